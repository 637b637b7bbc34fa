#include "toolkit/dialog_item.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "platform/win_controls.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_values.h"
#include "toolkit/entry.h"
#include "toolkit/memory.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

// What an item of a type starts from: its window style, the bits that join
// it unless the caller gives a whole style, its class atom and size.
struct item_type_info {
  bool known = false;
  std::uint32_t base = 0;
  std::uint32_t added = 0;
  int atom = 0;
  int width = 0;
  int height = 0;
  const char* caption = nullptr;
};

constexpr item_type_info type_info(int type) {
  switch (type) {
    case DLG_OK_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "OK"};
    case DLG_CANCEL_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "Cancel"};
    case DLG_ABORT_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "ABORT"};
    case DLG_RETRY_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "RETRY"};
    case DLG_IGNORE_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "IGNORE"};
    case DLG_YES_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "YES"};
    case DLG_NO_BUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, "NO"};
    case DLG_GROUP:
      return {true, 0x50020007, 0, 0x80, 64, 0, nullptr};
    case DLG_PUSHBUTTON:
      return {true, 0x50000000, 0x10000, 0x80, 40, 12, nullptr};
    case DLG_DEFAULT_PUSHBUTTON:
      return {true, 0x50000001, 0x10000, 0x80, 40, 12, nullptr};
    case DLG_RADIOBUTTON:
      return {true, 0x50000009, 0, 0x80, 56, 8, nullptr};
    case DLG_CHECKBOX:
      return {true, 0x50000003, 0x10000, 0x80, 40, 12, nullptr};
    case DLG_EDITBOX:
      return {true, 0x50000000, 0x810080, 0x81, 80, 12, nullptr};
    case DLG_LISTBOX:
      return {true, 0x50000001, 0xA10000, 0x83, 80, 0, nullptr};
    case DLG_COMBOBOX:
      return {true, 0x50000000, 0x210002, 0x85, 80, 12, nullptr};
    case DLG_TEXT:
      return {true, 0x50000000, 0, 0x82, 80, 8, nullptr};
    case DLG_FRAME:
      return {true, 0x50000000, 7, 0x82, 80, 12, nullptr};
    case DLG_RECTANGLE:
      return {true, 0x50000000, 4, 0x82, 80, 12, nullptr};
    case DLG_UPDOWN:
      return {true, 0x50000000, 0x10020, 0, 12, 12, nullptr};
    case DLG_TRACKBAR:
      return {true, 0x50000000, 0x810001, 0, 80, 18, nullptr};
    case DLG_PROGRESSBAR:
      return {true, 0x50000000, 0x800000, 0, 80, 10, nullptr};
    case DLG_SCROLLBAR:
      return {true, 0x50000000, 0x10000, 0x84, 80, 10, nullptr};
    case DLG_SPREADSHEET:
      return {true, 0x54000400, 0x710000, 0, 200, 120, nullptr};
    default:
      return {};
  }
}

// The bits an edit box adds: with a value kind right-aligned and multi-line,
// a text kind left-aligned.
std::uint32_t edit_added(std::uint32_t kind) {
  if (kind == 0) return 0x810080;
  return (kind & kKindText) != 0 ? 0x810084 : 0x810086;
}

// Alignment of edit boxes and texts: left, right, centre, the first set.
void align(std::uint32_t& style, std::uint32_t options) {
  if ((options & kOptionLeft) != 0)
    style &= ~3U;
  else if ((options & kOptionRight) != 0)
    style = (style & ~3U) | 2;
  else if ((options & kOptionCentre) != 0)
    style = (style & ~3U) | 1;
}

// Frames and rectangles: black, grey, white, else black.
void colour_shape(std::uint32_t& style, std::uint32_t options, std::uint32_t black) {
  std::uint32_t shape = black;
  if ((options & kOptionRight) != 0)
    shape = black;
  else if ((options & kOptionGrey) != 0)
    shape = black + 1;
  else if ((options & kOptionCentre) != 0)
    shape = black + 2;
  style = (style & ~win::SS_TYPEMASK) | shape;
}

// The button options, the first set winning; alignment and multi-line
// only on the 9x line.
void button_options(std::uint32_t& style, std::uint32_t options) {
  const bool old_line = facts.win9x != 0;
  if ((options & kOptionLeft) != 0) {
    if (old_line) style |= win::BS_LEFT;
  } else if ((options & kOptionRight) != 0) {
    if (old_line) style |= win::BS_RIGHT;
  } else if ((options & kOptionCentre) != 0) {
    if (old_line) style |= win::BS_CENTER;
  } else if ((options & kOptionTextLeft) != 0) {
    style |= win::BS_LEFTTEXT;
  } else if ((options & kOptionGrey) != 0) {
    if (old_line) style |= win::BS_MULTILINE;
  } else if ((options & kOptionButtonBit1) != 0) {
    style |= win::BS_DEFPUSHBUTTON;  // the default button, which Enter presses
  }
}

int list_default_height(int type, int count) {
  const int shown = std::min(count, 3);
  return type == DLG_LISTBOX ? 8 * shown : 12 + 10 * shown;
}

template <class T>
void take(T& field, const T* argument, bool defaults, T fallback) {
  if (argument != nullptr)
    field = *argument;
  else if (defaults)
    field = fallback;
}

template <std::size_t N>
void take_text(plat::FixedText<N>& field, const char* text, int length, bool defaults) {
  if (text != nullptr)
    field.set(std::string_view(text, static_cast<std::size_t>(std::max(length, 0))));
  else if (defaults)
    field.blank();
}

}  // namespace

bool is_push_button(int type) {
  return (type >= DLG_OK_BUTTON && type <= DLG_NO_BUTTON) || type == DLG_PUSHBUTTON ||
         type == DLG_DEFAULT_PUSHBUTTON;
}

bool is_button_type(int type) { return type >= DLG_OK_BUTTON && type <= DLG_CHECKBOX; }

void FREE_ITEM_LISTS(dialog_t& item) {
  FREE_MEMORY(item.list_block);
  FREE_MEMORY(item.selection_block);
  item.list_block = nullptr;
  item.selection_block = nullptr;
}

void SET_ITEM_LIST(dialog_t& item, const text_array_t& list, int* ups) {
  FREE_ITEM_LISTS(item);
  int count = list.first != nullptr ? std::max(list.count, 0) : 0;
  item.list_entry_size = list.length + 1;
  const int stride = list.stride != 0 ? list.stride : list.length;
  const char* second = count > 1 ? list.first + stride : list.first;
  item.list_block =
      MAKE_ITEM_LIST(list.first, list.length, second, low_type(item), &count, item, ups);
  item.list_count = item.list_block != nullptr ? count : 0;
}

int SET_DIALOG_ITEM(dialog_t& dialog_item, const int* type, const std::uint32_t* options,
                    const char* title, int title_length, const char* text, int text_length,
                    const int* id, const int* integer_value, const int* x, const int* y,
                    const int* width, const int* height, const text_array_t* list,
                    change_procedure change_proc, const win::HFONT* font,
                    const std::uint32_t* value_kind, const int* integer_max, const int* integer_min,
                    const int* integer_increment, const float* real4_value, const float* real4_max,
                    const float* real4_min, const float* real4_increment, const double* real8_value,
                    const double* real8_max, const double* real8_min, const double* real8_increment,
                    const char* format, int format_length, const win::HBRUSH* brush,
                    const win::COLORREF* text_colour, const win::HICON* icon,
                    const win::HBITMAP* bitmap, const std::uint32_t* window_style,
                    char* text_variable, int text_variable_length, const int* edit, int* ups) {
  INIT_TOOLKIT();
  CLEAR_STATUS(ups);
  dialog_t& d = dialog_item;
  bool defaults = edit == nullptr || *edit == 0;
  if (d.marker != kMarker) {
    // Never set: whatever the list fields hold is not ours.
    d.list_block = nullptr;
    d.selection_block = nullptr;
    defaults = true;
  } else if (defaults) {
    FREE_ITEM_LISTS(d);
  }
  d.marker = kMarker;

  take(d.id, id, defaults, 0);
  take(d.type, type, defaults, DLG_PUSHBUTTON);
  take_text(d.title, title, title_length, defaults);
  take_text(d.text, text, text_length, defaults);
  take(d.integer_value, integer_value, defaults, 0);
  take(d.brush, brush, defaults, static_cast<win::HBRUSH>(nullptr));
  take(d.text_colour, text_colour, defaults, win::COLORREF{0});
  take(d.x, x, defaults, -4);
  take(d.y, y, defaults, -4);
  take(d.font, font, defaults, static_cast<win::HFONT>(nullptr));
  take(d.integer_max, integer_max, defaults, INT_MAX);
  take(d.integer_min, integer_min, defaults, -INT_MAX);
  take(d.integer_increment, integer_increment, defaults, 1);
  take(d.real4_value, real4_value, defaults, 0.0F);
  take(d.real4_max, real4_max, defaults, FLT_MAX);
  take(d.real4_min, real4_min, defaults, -FLT_MAX);
  take(d.real4_increment, real4_increment, defaults, 1.0F);
  take(d.real8_value, real8_value, defaults, 0.0);
  take(d.real8_max, real8_max, defaults, DBL_MAX);
  take(d.real8_min, real8_min, defaults, -DBL_MAX);
  take(d.real8_increment, real8_increment, defaults, 1.0);
  take_text(d.format, format, format_length, defaults);
  d.event_code = kEventInitial;
  d.busy = 0;
  if (defaults) {
    d.list_count = 0;
    d.list_entry_size = 0;
  }

  if (text_variable != nullptr) {
    d.bound_address = text_variable;
    d.bound_stride = 0;
    d.bound_count = 1;
    d.bound_kind = text_variable_length;
  } else if (defaults) {
    d.bound_count = 0;
    d.bound_address = nullptr;
    d.bound_kind = 0;
  }

  const int kind_type = low_type(d);
  const item_type_info info = type_info(kind_type);
  if (info.known) {
    std::uint32_t added = info.added;
    if (kind_type == DLG_EDITBOX)
      added = edit_added(value_kind != nullptr ? *value_kind : (defaults ? 0 : d.value_kind));
    if (window_style != nullptr) {
      d.window_style = info.base | *window_style;
      take(d.style_options, options, defaults, 0U);
    } else if (options != nullptr) {
      d.style_options = *options & 0xFFFF0000U;
      d.window_style = (*options & 0xFFFFU) | info.base | added;
    } else if (defaults) {
      d.window_style = info.base | added;
      d.style_options = 0;
    }
    if (defaults) {
      d.class_atom = info.atom;
      if (info.caption != nullptr) {
        d.id = kind_type;
        if (d.title.is_blank()) d.title.set(info.caption);
      }
    }
    switch (kind_type) {
      case DLG_EDITBOX:
        align(d.window_style, d.style_options);
        if ((d.style_options & kOptionMultiline) != 0)
          d.window_style |= win::ES_MULTILINE | win::ES_WANTRETURN;
        break;
      case DLG_TEXT:
        align(d.window_style, d.style_options);
        break;
      case DLG_FRAME:
        colour_shape(d.window_style, d.style_options, win::SS_BLACKFRAME);
        break;
      case DLG_RECTANGLE:
        colour_shape(d.window_style, d.style_options, win::SS_BLACKRECT);
        break;
      case DLG_UPDOWN:
        if ((d.style_options & kOptionHorizontalSpinner) != 0) d.window_style |= 0x40;
        break;
      default:
        break;
    }
    const bool has_list = kind_type == DLG_LISTBOX || kind_type == DLG_COMBOBOX;
    if (has_list && list != nullptr) SET_ITEM_LIST(d, *list, ups);
    const int given_entries = has_list && list != nullptr ? std::max(list->count, 0) : 0;
    take(d.width, width, defaults, info.width);
    take(d.height, height, defaults,
         has_list ? list_default_height(kind_type, given_entries) : info.height);
    if (kind_type == DLG_SPREADSHEET) {
      d.integer_value = 0;
      d.bound_count = 0;
      if (defaults) {
        if (integer_max == nullptr) d.integer_max = 12;
        if (integer_increment == nullptr) d.integer_increment = d.title.str() == "()" ? 8 : 21;
      }
    }
    // The group bit, then the options that act on the window style. A type
    // the toolkit does not know keeps its style as it was.
    if (d.type != DLG_RADIOBUTTON && (d.style_options & kOptionSameGroup) == 0)
      d.window_style |= win::WS_GROUP;
    if (options != nullptr) {
      if ((*options & kOptionDisabled) != 0) d.window_style |= win::WS_DISABLED;
      if ((*options & kOptionHidden) != 0) d.window_style &= ~win::WS_VISIBLE;
      if (d.class_atom == 0x80) button_options(d.window_style, *options);
    }
  }

  if (defaults) {
    d.value_kind = 0;
    d.text_proc = nullptr;
    d.value_proc = nullptr;
  }
  SET_PROCEDURES(d, value_kind, format, format_length, change_proc);

  if (icon != nullptr) {
    d.image = *icon;
    d.window_style |= win::BS_ICON;
  } else if (bitmap != nullptr) {
    d.image = *bitmap;
    d.window_style |= win::BS_BITMAP;
  } else if (defaults) {
    d.image = nullptr;
  }
  return 0;
}

namespace {

// The column set-routines' common road. `kind` is the column's own value
// kind (0 for a type that is no edit box).
int set_column(dialog_t& item, void* data, int stride, int count, int bound_kind, int numeric,
               const char* title, int title_length, const std::uint32_t* options,
               const text_array_t* list, const int* width, const int* height,
               const int* int_limits[3], const float* real4_limits[3],
               const double* real8_limits[3], const int* id, const int* type, const char* format,
               int format_length, change_procedure change_proc, const win::HFONT* font,
               const std::uint32_t* value_kind, const win::HBRUSH* brush,
               const win::COLORREF* text_colour, const std::uint32_t* window_style, const int* edit,
               int* ups) {
  const int zero = 0;
  const bool defaults = edit == nullptr || *edit == 0 || item.marker != kMarker;
  const int the_type = type != nullptr ? *type : DLG_EDITBOX;
  const bool increment_given =
      int_limits[2] != nullptr || real4_limits[2] != nullptr || real8_limits[2] != nullptr;
  std::uint32_t kind = 0;
  const std::uint32_t own_kinds[] = {kKindText, kKindInteger, kKindReal4, kKindReal8};
  if (!defaults) {
    if (value_kind != nullptr) kind = *value_kind;
  } else if (numeric == 0) {
    kind = kKindText;
  } else if (value_kind != nullptr && *value_kind != 0) {
    kind = *value_kind;
  } else if ((the_type & 0xFFFF) == DLG_EDITBOX) {
    kind = own_kinds[numeric] | (increment_given ? kKindSpinner : 0);
  }
  std::uint32_t column_options = 0;
  const std::uint32_t* options_arg = options;
  if (defaults && options == nullptr) {
    column_options = numeric != 0 ? kOptionRight : kOptionLeft;
    options_arg = &column_options;
  }
  SET_DIALOG_ITEM(item, defaults ? &the_type : type, options_arg, title, title_length, nullptr, 0,
                  id, nullptr, &zero, &zero, width, height, list, change_proc, font,
                  (defaults || value_kind != nullptr) ? &kind : nullptr, int_limits[0],
                  int_limits[1], int_limits[2], nullptr, real4_limits[0], real4_limits[1],
                  real4_limits[2], nullptr, real8_limits[0], real8_limits[1], real8_limits[2],
                  format, format_length, brush, text_colour, nullptr, nullptr, window_style,
                  nullptr, 0, edit, ups);
  item.bound_address = data;
  item.bound_stride = stride;
  item.bound_count = std::max(count, 0);
  item.bound_kind = bound_kind;
  item.style_options |= kOptionComponent;
  item.window_style = (item.window_style & ~win::WS_VISIBLE) | win::WS_DISABLED;
  if (low_type(item) == DLG_EDITBOX) item.window_style |= win::ES_MULTILINE;
  if (width == nullptr && defaults) {
    const int widths[] = {(17 * bound_kind) / 4 + 1, 42, 51, 72};
    item.width = widths[numeric];
  }
  if (height == nullptr && defaults) item.height = 12;
  return 0;
}

}  // namespace

namespace {

// A numeric column: the limits go to the value form of the data's type.
template <class T>
int set_numeric_column(dialog_t& item, T* data, int count, const char* title, int title_length,
                       const std::uint32_t* options, const text_array_t* list, const int* width,
                       const int* height, const T* maximum, const T* minimum, const T* increment,
                       const int* id, const int* type, const char* format, int format_length,
                       change_procedure change_proc, const win::HFONT* font,
                       const std::uint32_t* value_kind, const win::HBRUSH* brush,
                       const win::COLORREF* text_colour, const std::uint32_t* window_style,
                       const int* edit, int* ups) {
  const int* ints[3] = {};
  const float* r4[3] = {};
  const double* r8[3] = {};
  int form = 0;
  int bound_kind = 0;
  if constexpr (std::is_same_v<T, std::int32_t>) {
    form = 1;
    bound_kind = kBoundInteger;
    std::tie(ints[0], ints[1], ints[2]) = std::tie(maximum, minimum, increment);
  } else if constexpr (std::is_same_v<T, float>) {
    form = 2;
    bound_kind = kBoundReal4;
    std::tie(r4[0], r4[1], r4[2]) = std::tie(maximum, minimum, increment);
  } else {
    form = 3;
    bound_kind = kBoundReal8;
    std::tie(r8[0], r8[1], r8[2]) = std::tie(maximum, minimum, increment);
  }
  return set_column(item, data, sizeof *data, count, bound_kind, form, title, title_length, options,
                    list, width, height, ints, r4, r8, id, type, format, format_length, change_proc,
                    font, value_kind, brush, text_colour, window_style, edit, ups);
}

}  // namespace

int SET_COLUMN_ITEM_INTEGER(dialog_t& dialog_item, std::int32_t* data, int count, const char* title,
                            int title_length, const std::uint32_t* options,
                            const text_array_t* list, const int* width, const int* height,
                            const int* maximum, const int* minimum, const int* increment,
                            const int* id, const int* type, const char* format, int format_length,
                            change_procedure change_proc, const win::HFONT* font,
                            const std::uint32_t* value_kind, const win::HBRUSH* brush,
                            const win::COLORREF* text_colour, const std::uint32_t* window_style,
                            const int* edit, int* ups) {
  return set_numeric_column(dialog_item, data, count, title, title_length, options, list, width,
                            height, maximum, minimum, increment, id, type, format, format_length,
                            change_proc, font, value_kind, brush, text_colour, window_style, edit,
                            ups);
}

int SET_COLUMN_ITEM_REAL4(dialog_t& dialog_item, float* data, int count, const char* title,
                          int title_length, const std::uint32_t* options, const text_array_t* list,
                          const int* width, const int* height, const float* maximum,
                          const float* minimum, const float* increment, const int* id,
                          const int* type, const char* format, int format_length,
                          change_procedure change_proc, const win::HFONT* font,
                          const std::uint32_t* value_kind, const win::HBRUSH* brush,
                          const win::COLORREF* text_colour, const std::uint32_t* window_style,
                          const int* edit, int* ups) {
  return set_numeric_column(dialog_item, data, count, title, title_length, options, list, width,
                            height, maximum, minimum, increment, id, type, format, format_length,
                            change_proc, font, value_kind, brush, text_colour, window_style, edit,
                            ups);
}

int SET_COLUMN_ITEM_REAL8(dialog_t& dialog_item, double* data, int count, const char* title,
                          int title_length, const std::uint32_t* options, const text_array_t* list,
                          const int* width, const int* height, const double* maximum,
                          const double* minimum, const double* increment, const int* id,
                          const int* type, const char* format, int format_length,
                          change_procedure change_proc, const win::HFONT* font,
                          const std::uint32_t* value_kind, const win::HBRUSH* brush,
                          const win::COLORREF* text_colour, const std::uint32_t* window_style,
                          const int* edit, int* ups) {
  return set_numeric_column(dialog_item, data, count, title, title_length, options, list, width,
                            height, maximum, minimum, increment, id, type, format, format_length,
                            change_proc, font, value_kind, brush, text_colour, window_style, edit,
                            ups);
}

int SET_COLUMN_ITEM_TEXT(dialog_t& dialog_item, char* data, int length, int count,
                         const char* title, int title_length, const std::uint32_t* options,
                         const text_array_t* list, const int* width, const int* height,
                         const int* id, const int* type, change_procedure change_proc,
                         const win::HFONT* font, const std::uint32_t* value_kind,
                         const win::HBRUSH* brush, const win::COLORREF* text_colour,
                         const std::uint32_t* window_style, const int* edit, int* ups) {
  const int* ints[3] = {};
  const float* r4[3] = {};
  const double* r8[3] = {};
  return set_column(dialog_item, data, length, count, length, 0, title, title_length, options, list,
                    width, height, ints, r4, r8, id, type, nullptr, 0, change_proc, font,
                    value_kind, brush, text_colour, window_style, edit, ups);
}

}  // namespace toolkit
