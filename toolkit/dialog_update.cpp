#include "toolkit/dialog_update.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_values.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

// The item an index or id names: the 0-based place, -1 after the report.
int select_item(const dialog_t* items, int count, const int* index, const int* id,
                std::string_view routine, int* ups) {
  if (index == nullptr && id != nullptr) {
    const int at = FIND_DIALOG_ITEM(items, *id, count);
    if (at < 0) REPORT_ERROR(ups, "Can't find ID in " + std::string(routine));
    return at;
  }
  const int at = index != nullptr ? *index - 1 : 0;
  if (at < 0 || at >= count) {
    REPORT_ERROR(ups, "Invalid index in " + std::string(routine));
    return -1;
  }
  return at;
}

// A descriptor of a registered array.
struct array_descriptor {
  const void* base = nullptr;
  int element_size = 0;
  int rank = 0;
  int extent = 0;
  int stride = 0;
  int in_use = 0;
};
std::vector<array_descriptor> registered_arrays;
constexpr std::size_t kArrayTableStep = 10;

}  // namespace

int UPDATE_DIALOG_ITEM(dialog_t& dialog_item, const win::HWND* dialog_window,
                       const std::int32_t* control_state, const char* title, int title_length,
                       const char* text, int text_length, const int* integer_value,
                       const text_array_t* list, change_procedure change_proc,
                       const win::HFONT* font, const std::uint32_t* value_kind,
                       const int* integer_max, const int* integer_min, const int* integer_increment,
                       const float* real4_value, const float* real4_max, const float* real4_min,
                       const float* real4_increment, const double* real8_value,
                       const double* real8_max, const double* real8_min,
                       const double* real8_increment, const char* format, int format_length,
                       const win::HBRUSH* brush, const win::COLORREF* text_colour,
                       const win::HICON* icon, const win::HBITMAP* bitmap,
                       const std::int32_t* state, const win::HWND* window, int* ups) {
  CLEAR_STATUS(ups);
  dialog_t& d = dialog_item;
  const auto length = [](int n) { return static_cast<std::size_t>(std::max(n, 0)); };
  if (title != nullptr) d.title.set(std::string_view(title, length(title_length)));
  if (integer_value != nullptr) {
    d.integer_value = *integer_value;
    d.text.blank();
  }
  if (text != nullptr) d.text.set(std::string_view(text, length(text_length)));
  if (font != nullptr) d.font = *font;
  if (list != nullptr) SET_ITEM_LIST(d, *list, ups);
  if (integer_max != nullptr) d.integer_max = *integer_max;
  if (integer_min != nullptr) d.integer_min = *integer_min;
  if (integer_increment != nullptr) d.integer_increment = *integer_increment;
  if (real4_value != nullptr) d.real4_value = *real4_value;
  if (real4_max != nullptr) d.real4_max = *real4_max;
  if (real4_min != nullptr) d.real4_min = *real4_min;
  if (real4_increment != nullptr) d.real4_increment = *real4_increment;
  if (real8_value != nullptr) d.real8_value = *real8_value;
  if (real8_max != nullptr) d.real8_max = *real8_max;
  if (real8_min != nullptr) d.real8_min = *real8_min;
  if (real8_increment != nullptr) d.real8_increment = *real8_increment;
  if (format != nullptr) d.format.set(std::string_view(format, length(format_length)));
  SET_PROCEDURES(d, value_kind, format, format_length, change_proc);
  if (brush != nullptr) d.brush = *brush;
  if (text_colour != nullptr) d.text_colour = *text_colour;
  if (icon != nullptr) {
    d.image = *icon;
    d.value_kind = 1;
  } else if (bitmap != nullptr) {
    d.image = *bitmap;
    d.value_kind = 0;
  }
  d.event_code = kEventInitial;

  win::HWND live = dialog_window != nullptr ? *dialog_window
                   : window != nullptr      ? *window
                                            : nullptr;
  if (state != nullptr) {
    const auto s = static_cast<std::uint32_t>(*state);
    if ((s & 0x01000000) != 0) d.window_style |= win::WS_DISABLED;
    if ((s & 0x02000000) != 0) d.window_style &= ~win::WS_DISABLED;
    if ((s & 0x04000000) != 0) d.window_style &= ~win::WS_VISIBLE;
    if ((s & 0x08000000) != 0) d.window_style |= win::WS_VISIBLE;
    if ((s & 0x20000000) != 0) d.style_options |= kOptionFocus;
    if (live != nullptr) C_UPDATE_DIALOG_ITEM(d, live, state, ups);
  } else if (live != nullptr) {
    C_UPDATE_DIALOG_ITEM(d, live, control_state, ups);
  }
  return 0;
}

int UPDATE_DIALOG_ITEM_BY_ID(
    dialog_t* items, int count, const int* index, const int* id, const win::HWND* dialog_window,
    const std::int32_t* control_state, const char* title, int title_length, const char* text,
    int text_length, const int* integer_value, const text_array_t* list,
    change_procedure change_proc, const win::HFONT* font, const std::uint32_t* value_kind,
    const int* integer_max, const int* integer_min, const int* integer_increment,
    const float* real4_value, const float* real4_max, const float* real4_min,
    const float* real4_increment, const double* real8_value, const double* real8_max,
    const double* real8_min, const double* real8_increment, const char* format, int format_length,
    const win::HBRUSH* brush, const win::COLORREF* text_colour, const win::HICON* icon,
    const win::HBITMAP* bitmap, int* ups) {
  CLEAR_STATUS(ups);
  const int at = select_item(items, count, index, id, "update_dialog_item", ups);
  if (at < 0) return 0;
  return UPDATE_DIALOG_ITEM(items[at], dialog_window, control_state, title, title_length, text,
                            text_length, integer_value, list, change_proc, font, value_kind,
                            integer_max, integer_min, integer_increment, real4_value, real4_max,
                            real4_min, real4_increment, real8_value, real8_max, real8_min,
                            real8_increment, format, format_length, brush, text_colour, icon,
                            bitmap, nullptr, nullptr, ups);
}

void GET_DIALOG_VALUE(const dialog_t* items, int count, const int* index, const int* id, char* text,
                      int text_length, std::int32_t* integer_value, float* real4_value,
                      double* real8_value, std::int32_t* list_select, int list_select_count,
                      int* ups) {
  CLEAR_STATUS(ups);
  const int at = select_item(items, count, index, id, "get_dialog_value", ups);
  if (at < 0) return;
  const dialog_t& d = items[at];
  if (text != nullptr && text_length > 0) {
    std::memset(text, ' ', static_cast<std::size_t>(text_length));
    std::memcpy(text, d.text.data(), std::min<std::size_t>(d.text.size(), text_length));
  }
  if (integer_value != nullptr) *integer_value = d.integer_value;
  if (real4_value != nullptr) *real4_value = d.real4_value;
  if (real8_value != nullptr) *real8_value = d.real8_value;
  if (list_select == nullptr) return;
  if (d.type != DLG_LISTBOX) {
    REPORT_ERROR(ups,
                 "The list_select argument to get_dialog_value only works with DLG_LISTBOX type.");
    return;
  }
  GET_ITEM_LIST_SELECTION(d, list_select, std::max(list_select_count, 0), ups);
}

std::int32_t GET_DIALOG_INTEGER(const dialog_t* items, int count, const int* index, const int* id,
                                int* ups) {
  std::int32_t value = 0;
  GET_DIALOG_VALUE(items, count, index, id, nullptr, 0, &value, nullptr, nullptr, nullptr, 0, ups);
  return value;
}

float GET_DIALOG_REAL4(const dialog_t* items, int count, const int* index, const int* id,
                       int* ups) {
  float value = 0.0F;
  GET_DIALOG_VALUE(items, count, index, id, nullptr, 0, nullptr, &value, nullptr, nullptr, 0, ups);
  return value;
}

double GET_DIALOG_REAL8(const dialog_t* items, int count, const int* index, const int* id,
                        int* ups) {
  double value = 0.0;
  GET_DIALOG_VALUE(items, count, index, id, nullptr, 0, nullptr, nullptr, &value, nullptr, 0, ups);
  return value;
}

plat::FixedText<256> GET_DIALOG_TEXT(const dialog_t* items, int count, const int* index,
                                     const int* id, int* ups) {
  plat::FixedText<256> value;
  GET_DIALOG_VALUE(items, count, index, id, value.data(), static_cast<int>(value.size()), nullptr,
                   nullptr, nullptr, nullptr, 0, ups);
  return value;
}

int REGISTER_DIALOG_ARRAY(const dialog_t* items, int count, int& status) {
  status = 0;
  const array_descriptor descriptor{items,
                                    static_cast<int>(sizeof(dialog_t)),
                                    1,
                                    std::max(count, 0),
                                    static_cast<int>(sizeof(dialog_t)),
                                    1};
  for (std::size_t slot = 0; slot < registered_arrays.size(); ++slot) {
    if (registered_arrays[slot].in_use == 0) {
      registered_arrays[slot] = descriptor;
      return static_cast<int>(slot) + 1;
    }
  }
  const std::size_t slot = registered_arrays.size();
  registered_arrays.resize(slot + kArrayTableStep);
  registered_arrays[slot] = descriptor;
  return static_cast<int>(slot) + 1;
}

void reset_dialog_arrays() { registered_arrays.clear(); }

}  // namespace toolkit
