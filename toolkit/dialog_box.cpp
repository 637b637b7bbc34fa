#include "toolkit/dialog_box.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win_controls.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_editor.h"
#include "toolkit/dialog_run.h"
#include "toolkit/grid.h"
#include "toolkit/grid_paint.h"
#include "toolkit/helpers.h"
#include "toolkit/services.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kAutomatic = -4;
constexpr int kNewColumn = -3;
constexpr int kBelowSecondBefore = -2;
constexpr int kRightOfPrevious = -1;
constexpr int kGroupFirstRow = 12;
constexpr int kGroupStartHeight = 10;
constexpr win::DWORD kEditedDialogStyle = 0x90C80004;
constexpr win::DWORD kNoIntegralHeight[2] = {0x100, 0x400};  // list box, combo box

// The layout's state during one dialog.
struct layout_state {
  int column_x = kLayoutMargin;
  int next_y = kLayoutMargin;
  int width = 0;
  int height = 0;
  dialog_t* group = nullptr;
  int group_next_x = 0;
  int group_next_y = 0;
  dialog_t* first_member = nullptr;
  dialog_t* spreadsheet = nullptr;
};

// A combo box counts with its closed height.
int layout_height(const dialog_t& item) {
  return low_type(item) == DLG_COMBOBOX ? 12 : item.height;
}

bool is_static(const dialog_t& item) {
  const int type = low_type(item);
  return type == DLG_TEXT || type == DLG_FRAME || type == DLG_RECTANGLE;
}

// The item's x (and y where the code says so) from its placement code.
void place_x(dialog_t* items, int i, layout_state& s) {
  dialog_t& item = items[i];
  int code = item.x;
  if ((code == kRightOfPrevious && i < 1) || (code == kBelowSecondBefore && i < 2))
    code = kAutomatic;
  switch (code) {
    case kAutomatic:
      if (s.group != nullptr) {
        item.x = s.group_next_x;
        item.y = s.group_next_y;
      } else {
        item.x = s.column_x;
      }
      break;
    case kNewColumn:
      if (s.group != nullptr) {
        item.x = s.group->x + s.group->width;
        item.y = s.group->y + kGroupFirstRow;
      } else {
        item.x = s.width + kLayoutMargin;
        item.y = kLayoutMargin;
      }
      break;
    case kBelowSecondBefore: {
      const dialog_t& before = items[i - 2];
      item.x = before.x;
      item.y = before.y + layout_height(before) + kLayoutGap;
      break;
    }
    case kRightOfPrevious: {
      const dialog_t& before = items[i - 1];
      item.y = before.y;
      item.x = before.x + before.width + kLayoutGap;
      break;
    }
    default:
      break;
  }
}

void place_group_box(dialog_t* items, int i, layout_state& s) {
  dialog_t& item = items[i];
  s.group = nullptr;
  place_x(items, i, s);
  item.height = kGroupStartHeight;
  s.group = &item;
  s.group_next_x = item.x + kLayoutGap;
  s.group_next_y = item.y + kGroupFirstRow;
  s.first_member = nullptr;
  s.column_x = item.x;
  s.next_y = item.y + 16;
  s.width = std::max(s.width, item.x + item.width + kLayoutMargin);
  s.height = std::max(s.height, item.y + 20);
}

void place_group_member(dialog_t* items, int i, layout_state& s) {
  dialog_t& item = items[i];
  place_x(items, i, s);
  const bool radio = item.type == DLG_RADIOBUTTON;
  if (s.first_member == nullptr) {
    if (!is_static(item)) {
      item.window_style |= win::WS_TABSTOP;
      s.first_member = &item;
    }
  } else if (radio && item.integer_value == 1) {
    if (s.first_member->type == DLG_RADIOBUTTON) s.first_member->window_style &= ~win::WS_TABSTOP;
    item.window_style |= win::WS_TABSTOP;
  }
  const int h = layout_height(item);
  dialog_t& g = *s.group;
  s.group_next_x = item.x;
  s.group_next_y = item.y + h + kLayoutGap;
  g.height = std::max(g.height, item.y - g.y + h + kLayoutGap);
  g.width = std::max(g.width, item.x + item.width - g.x + kLayoutGap);
  s.next_y = std::max(s.next_y, item.y + h + 9);
  s.width = std::max(s.width, g.x + g.width + kLayoutMargin);
  s.height = std::max(s.height, g.y + g.height + 3);
}

void place_other(dialog_t* items, int i, layout_state& s) {
  dialog_t& item = items[i];
  s.group = nullptr;
  place_x(items, i, s);
  const int h = layout_height(item);
  s.column_x = item.x;
  s.next_y = item.y + h + kLayoutGap;
  s.width = std::max(s.width, item.x + item.width + kLayoutMargin);
  s.height = std::max(s.height, item.y + h + kLayoutMargin);
}

// The editor's round: the dialog shown inert from a copy of the items, the
// editor beside it, then (unless cancelled) the edited copy run modal.
win::INT_PTR edit_then_run(dialog_t* items, int count, const char* title, int title_length,
                           const win::HWND* owner, const float* x_fraction, const float* y_fraction,
                           const int* x, const int* y, const int* width, const int* height,
                           const win::HFONT* font, const win::DWORD* style,
                           const win::HBRUSH* brush, const win::COLORREF* text_colour,
                           changed_callback changed, int* ups) {
  dialog_editor_running = true;
  std::vector<dialog_t> copy(static_cast<std::size_t>(count) + 20);
  std::copy(items, items + count, copy.begin());
  const int modeless = 1;
  const win::DWORD shown_style = style != nullptr ? *style : kEditedDialogStyle;
  win::HWND shown = reinterpret_cast<win::HWND>(
      DIALOG_BOX(copy.data(), count, title, title_length, owner, x_fraction, y_fraction, x, y,
                 width, height, &modeless, font, &shown_style, brush, text_colour, nullptr, ups));
  int edited = count;
  win::INT_PTR result = 0;
  if (DIALOG_EDITOR_HOOK(copy.data(), edited, shown) != 0) {
    const int modal = 0;
    result = DIALOG_BOX(copy.data(), edited, title, title_length, owner, x_fraction, y_fraction, x,
                        y, width, height, &modal, font, style, brush, text_colour, changed, ups);
  }
  dialog_editor_running = false;
  return result;
}

}  // namespace

dialog_layout_t LAYOUT_DIALOG_ITEMS(dialog_t* items, int count, int* ups) {
  dialog_layout_t out;
  layout_state s;
  for (int i = 0; i < count; ++i) {
    dialog_t& item = items[i];
    item.item_number = i + 1;
    item.event_code = kEventInitial;
    if (item.marker != kMarker)
      SET_STATUS(ups,
                 ("Dialog_t item " + std::to_string(i + 1) +
                  " passed to DIALOG_BOX was never initialized by SET_DIALOG_ITEM")
                     .substr(0, 80),
                 kToolkitError);
    if (item.y == kAutomatic) item.y = s.next_y;
    const bool component = (item.style_options & kOptionComponent) != 0;
    if (low_type(item) == DLG_SPREADSHEET) {
      REGISTER_SPREADSHEET_CLASS(ups);
      item.text_proc = SPREADSHEET_TEXT_PROC;
      item.integer_value = 0;
      item.bound_count = 0;
      s.spreadsheet = &item;
    }
    if (component) {
      if (s.spreadsheet == nullptr) {
        SET_STATUS_WITH_CODE(
            ups, "Spreadsheet components must directly follow the DLG_SPREADSHEET item", i + 1);
      } else {
        dialog_t& grid = *s.spreadsheet;
        ++grid.integer_value;
        grid.bound_count = std::max(grid.bound_count, item.bound_count);
        if (grid.integer_min <= 0) grid.integer_min = item.height;
        if (item.font == nullptr) item.font = grid.font;
        item.owner_spreadsheet = grid.item_number;
      }
      item.x = 0;
      item.y = 0;
      continue;
    }
    out.size_estimate +=
        2 * TRIMMED_LENGTH(item.title.data(), static_cast<int>(item.title.size())) +
        2 * DIALOG_ITEM_CLASS_LENGTH(item) + 34;
    ++out.template_items;
    if (low_type(item) != DLG_SPREADSHEET) s.spreadsheet = nullptr;
    if (item.type == DLG_GROUP && item.height == 0)
      place_group_box(items, i, s);
    else if (s.group != nullptr &&
             (item.type == DLG_RADIOBUTTON || (item.style_options & kOptionSameGroup) != 0))
      place_group_member(items, i, s);
    else
      place_other(items, i, s);
  }
  out.width = s.width;
  out.height = s.height;
  return out;
}

win::INT_PTR DIALOG_BOX(dialog_t* items, int count, const char* title, int title_length,
                        const win::HWND* owner, const float* x_fraction, const float* y_fraction,
                        const int* x, const int* y, const int* width, const int* height,
                        const int* modeless, const win::HFONT* font, const win::DWORD* style,
                        const win::HBRUSH* brush, const win::COLORREF* text_colour,
                        changed_callback changed, int* ups) {
  CLEAR_STATUS(ups);
  const std::string caption = trimmed_text(title, title_length);
  if (dialog_editor_enabled && !dialog_editor_running) {
    const std::string question = "Do you want to edit the '" + caption + "' dialog box?";
    const char kTitle[] = "Fenstra Dialog Editor";
    const win::UINT yes_no = win::MB_YESNO;
    if (SHOW_MESSAGE_BOX(question.c_str(), static_cast<int>(question.size()), kTitle,
                         sizeof kTitle - 1, &yes_no, nullptr, nullptr) == win::IDYES)
      return edit_then_run(items, count, title, title_length, owner, x_fraction, y_fraction, x, y,
                           width, height, font, style, brush, text_colour, changed, ups);
  }
  dialog_layout_t layout = LAYOUT_DIALOG_ITEMS(items, count, ups);
  layout.size_estimate += 58 + (title != nullptr ? 2 * static_cast<int>(caption.size()) : 0);
  if (width != nullptr) layout.width = *width;
  if (height != nullptr) layout.height = *height;
  win::HWND parent = owner != nullptr && *owner != nullptr ? *owner : MAIN_WINDOW();
  int is_modeless = modeless != nullptr && *modeless != 0 ? 1 : 0;
  dialog_template_t t;
  if (BUILD_DIALOG_HEADER(title, title_length, x_fraction, y_fraction, x, y, layout.width,
                          layout.height, layout.template_items, layout.size_estimate, t,
                          is_modeless, &parent, style, font, ups) == 0)
    return 0;
  for (int i = 0; i < count; ++i) {
    if (items[i].id == 0) items[i].id = 0x400 + i + 1;
    if ((items[i].style_options & kOptionComponent) == 0) BUILD_DIALOG_TEMPLATE(items[i], t);
  }
  return RUN_DIALOG(t, parent, items, count, is_modeless, brush, text_colour, font, changed, ups);
}

void DIALOG_ONE_ITEM(dialog_t& item, const win::HWND* owner, const float* x_fraction,
                     const float* y_fraction, const int* x, const int* y, const win::HBRUSH* brush,
                     const win::COLORREF* text_colour, int* ups) {
  CLEAR_STATUS(ups);
  if (item.marker != kMarker)
    SET_STATUS(ups,
               "Dialog_t item passed to DIALOG_ONE_ITEM was never initialized by SET_DIALOG_ITEM",
               kToolkitError);
  if (low_type(item) == DLG_LISTBOX) item.window_style |= kNoIntegralHeight[0];
  if (low_type(item) == DLG_COMBOBOX) item.window_style |= kNoIntegralHeight[1];
  int estimate = 70 + 2 * DIALOG_ITEM_CLASS_LENGTH(item) +
                 2 * TRIMMED_LENGTH(item.title.data(), static_cast<int>(item.title.size()));
  win::HWND parent = owner != nullptr && *owner != nullptr ? *owner : MAIN_WINDOW();
  item.x = 0;
  item.y = 0;
  item.item_number = 1;
  item.event_code = kEventInitial;
  const win::DWORD style = win::WS_CHILD | win::WS_VISIBLE;
  const win::HFONT* font = item.font != nullptr ? &item.font : nullptr;
  int modeless = 1;
  int count = 1;
  dialog_template_t t;
  if (BUILD_DIALOG_HEADER("", 0, x_fraction, y_fraction, x, y, item.width, item.height, count,
                          estimate, t, modeless, &parent, &style, font, ups) == 0)
    return;
  if (item.id == 0) item.id = 0x400;
  BUILD_DIALOG_TEMPLATE(item, t);
  RUN_DIALOG(t, parent, &item, count, modeless, brush, text_colour, font, nullptr, ups);
}

}  // namespace toolkit
