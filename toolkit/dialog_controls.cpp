#include "toolkit/dialog_controls.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/win_commctrl.h"
#include "platform/win_dialog.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

win::HBRUSH dialog_brush = nullptr;
win::HBRUSH spreadsheet_brush = nullptr;
constexpr win::COLORREF kSpreadsheetColour = 0xC0C0C0;

bool has_bound_text(const dialog_t& item) {
  return item.bound_address != nullptr && item.bound_kind > 0 &&
         (item.style_options & kOptionComponent) == 0;
}

std::string bound_text(const dialog_t& item) {
  return trimmed_text(static_cast<const char*>(item.bound_address), item.bound_kind);
}

void set_text(win::HWND control, const std::string& text) {
  win::SetWindowTextA(control, text.c_str());
}

win::LRESULT send(win::HWND control, win::UINT message, win::WPARAM wparam, win::LPARAM lparam) {
  return win::SendMessageA(control, message, wparam, lparam);
}

// The control's text into the bound text (at most its length) or the
// item's text (at most 256), blank-padded; the text length is the count.
void read_text(win::HWND control, dialog_t& item) {
  const bool bound = has_bound_text(item);
  const int room = bound ? item.bound_kind : 256;
  std::string buf(static_cast<std::size_t>(room) + 1, '\0');
  const int n = std::max(0, win::GetWindowTextA(control, buf.data(), room + 1));
  const std::string_view got(buf.data(), static_cast<std::size_t>(n));
  if (bound)
    COPY_C_TO_PADDED(buf.c_str(), static_cast<char*>(item.bound_address), item.bound_kind);
  else
    item.text.set(got);
  item.text_length = n;
}

// A list entry's text: the item's text, its length and value entry + 1;
// nothing selected gives an empty text, length 0 and value 0.
void take_list_entry(win::HWND control, dialog_t& item, win::LRESULT index) {
  if (index < 0) {
    item.text.blank();
    item.text_length = 0;
    item.integer_value = 0;
    return;
  }
  const auto length = send(control, win::LB_GETTEXTLEN, static_cast<win::WPARAM>(index), 0);
  std::string buf(static_cast<std::size_t>(std::max<win::LRESULT>(length, 0)) + 1, '\0');
  send(control, win::LB_GETTEXT, static_cast<win::WPARAM>(index),
       reinterpret_cast<win::LPARAM>(buf.data()));
  const std::size_t n = std::strlen(buf.c_str());
  item.text.set(std::string_view(buf.data(), n));
  item.text_length = static_cast<int>(std::min<std::size_t>(n, 256));
  item.integer_value = static_cast<std::int32_t>(index) + 1;
}

bool multiple_selection(const dialog_t& item) {
  return (item.window_style & (win::LBS_MULTIPLESEL | win::LBS_EXTENDEDSEL)) != 0;
}

const char* list_entry(const dialog_t& item, int k) {
  return item.list_block + static_cast<std::ptrdiff_t>(k) * item.list_entry_size;
}

// Calls the item's text procedure when it can be entered.
void run_text_proc(win::HWND window, dialog_t* items, int position) {
  if (ENTER_TEXT_CHANGE(items, position) == 0) return;
  CALL_TEXT_CHANGE_PROC(window, items, position);
  LEAVE_CHANGE(items, position);
}

void make_spinner(win::HWND control, win::HWND dialog, const dialog_t& item) {
  if (win::GetDlgItem(dialog, item.id + kSpinnerIdOffset) != nullptr) return;
  const auto edit_style = static_cast<win::DWORD>(win::GetWindowLongA(control, win::GWL_STYLE));
  win::DWORD style = (edit_style & (win::WS_VISIBLE | win::WS_DISABLED)) | 0x40800024;
  if ((item.style_options & kOptionHorizontalSpinner) != 0) style |= win::UDS_HORZ;
  if (win::CreateUpDownControl(style, 0, 0, 0, 0, win::GetParent(control),
                               item.id + kSpinnerIdOffset, GET_MODULE_HANDLE(), control, 32767, 0,
                               0) == nullptr)
    LOG_DIAGNOSIS("Unable to create updown for Spinner", 0);
}

// An up-down item shows the number it stands at: a read-only count field
// takes the item's place but for the arrows at its right, the arrows write
// their position into it, and its Up and Down keys step them. The field's
// id is the item's plus the spinner offset, so hiding or disabling the item
// acts on it too. An item too narrow for both keeps its arrows alone.
void make_count_field(win::HWND control, win::HWND dialog, const dialog_t& item) {
  const win::HWND parent = win::GetParent(control);
  if (parent == nullptr || (item.style_options & kOptionComponent) != 0 ||
      win::GetDlgItem(parent, item.id + kSpinnerIdOffset) != nullptr)
    return;
  win::RECT arrows{0, 0, kUpDownArrowsWidth, 0};
  win::MapDialogRect(dialog, &arrows);
  win::RECT r{};
  win::GetWindowRect(control, &r);
  win::POINT at{r.left, r.top};
  win::ScreenToClient(parent, &at);
  const int width = r.right - r.left, height = r.bottom - r.top, aw = arrows.right;
  if (aw <= 0 || width < 2 * aw) return;
  const auto own = static_cast<win::DWORD>(win::GetWindowLongA(control, win::GWL_STYLE));
  const win::DWORD style = (own & (win::WS_VISIBLE | win::WS_DISABLED)) | win::WS_CHILD |
                           win::WS_BORDER | win::ES_RIGHT | win::ES_READONLY | win::WS_TABSTOP;
  const win::HWND field = win::CreateWindowExA(
      0, "Edit", "", style, at.x, at.y, width - aw, height, parent,
      reinterpret_cast<win::HMENU>(static_cast<std::intptr_t>(item.id + kSpinnerIdOffset)),
      GET_MODULE_HANDLE(), nullptr);
  if (field == nullptr) {
    LOG_DIAGNOSIS("Unable to create the count field of an updown", 0);
    return;
  }
  if (item.font != nullptr)
    send(field, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(item.font), win::TRUE);
  win::MoveWindow(control, at.x + width - aw, at.y, aw, height, win::TRUE);
  win::SetWindowLongA(control, win::GWL_STYLE,
                      static_cast<win::LONG>(own | win::UDS_SETBUDDYINT | win::UDS_ARROWKEYS));
  send(control, win::UDM_SETBUDDY, reinterpret_cast<win::WPARAM>(field), 0);
}

void fill_list(win::HWND control, win::HWND dialog, const dialog_t& item) {
  if ((item.window_style & win::LBS_MULTICOLUMN) != 0) {
    win::RECT r{0, 0, item.integer_increment, 0};
    win::MapDialogRect(dialog, &r);
    send(control, win::LB_SETCOLUMNWIDTH, static_cast<win::WPARAM>(r.right), 0);
  }
  send(control, win::LB_RESETCONTENT, 0, 0);
  for (int k = 0; k < item.list_count && item.list_block != nullptr; ++k) {
    const auto at =
        send(control, win::LB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>(list_entry(item, k)));
    send(control, win::LB_SETITEMDATA, static_cast<win::WPARAM>(at), at);
  }
  if (multiple_selection(item)) {
    if (item.integer_value != 0)
      send(control, win::LB_SETSEL, win::TRUE, item.integer_value - 1);
    else
      send(control, win::LB_SETSEL, win::FALSE, -1);
  } else {
    send(control, win::LB_SETCURSEL, static_cast<win::WPARAM>(item.integer_value - 1), 0);
  }
}

void fill_combo(win::HWND control, win::HWND dialog, dialog_t* items, int position, int update) {
  const dialog_t& item = items[position];
  send(control, win::CB_RESETCONTENT, 0, 0);
  for (int k = 0; k < item.list_count && item.list_block != nullptr; ++k) {
    const auto at =
        send(control, win::CB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>(list_entry(item, k)));
    send(control, win::CB_SETITEMDATA, static_cast<win::WPARAM>(at), at);
  }
  run_text_proc(dialog, items, position);
  if (!item.text.is_blank())
    send(control, win::CB_SELECTSTRING, static_cast<win::WPARAM>(-1),
         reinterpret_cast<win::LPARAM>(item.text.str().c_str()));
  else if (item.integer_value != 0 || update != 0)
    send(control, win::CB_SETCURSEL, static_cast<win::WPARAM>(item.integer_value - 1), 0);
}

void init_spreadsheet(win::HWND control, dialog_t* items, int position, int update) {
  run_text_proc(control, items, position);
  if (update == 0) {
    if (window_record_t* r = FIND_WINDOW_RECORD(control)) {
      r->dialog_array = items;
      r->dialog_items = position;
      r->flags |= kSpreadsheetRecord;
    }
  }
  if (ENTER_VALUE_CHANGE(items, position) == 0) return;
  CALL_VALUE_CHANGE_PROC(control, items, position);
  LEAVE_CHANGE(items, position);
}

win::LPARAM low_high(int low, int high) {
  return win::MAKELPARAM(static_cast<win::WORD>(low), static_cast<win::WORD>(high));
}

}  // namespace

win::HBRUSH DIALOG_BRUSH() {
  if (dialog_brush == nullptr) dialog_brush = win::CreateSolidBrush(dialog_brush_colour());
  return dialog_brush;
}

win::COLORREF dialog_brush_colour() { return win::GetSysColor(win::COLOR_BTNFACE); }

win::HBRUSH SPREADSHEET_BRUSH() {
  if (spreadsheet_brush == nullptr) spreadsheet_brush = win::CreateSolidBrush(kSpreadsheetColour);
  return spreadsheet_brush;
}

int INIT_DIALOG_CONTROL(win::HWND control, win::HWND dialog, dialog_t* items, int position,
                        int focus, int update) {
  dialog_t& item = items[position];
  const int type = low_type(item);
  if (item.text_colour != 0 && item.brush == nullptr) {
    if (is_button_type(type) || type == DLG_TEXT || type == DLG_TRACKBAR ||
        type == DLG_PROGRESSBAR || type == DLG_SCROLLBAR) {
      item.brush = DIALOG_BRUSH();
      item.background = dialog_brush_colour();
    } else if (type == DLG_EDITBOX || type == DLG_LISTBOX || type == DLG_COMBOBOX) {
      item.brush = reinterpret_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH));
      item.background = 0xFFFFFF;
    }
  }
  if (type == DLG_SPREADSHEET && item.brush == nullptr) {
    item.brush = SPREADSHEET_BRUSH();
    item.background = kSpreadsheetColour;
  }
  if (item.font != nullptr)
    send(control, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(item.font), win::TRUE);
  if (is_button_type(type) || type == DLG_TEXT) {
    if (has_bound_text(item))
      set_text(control, bound_text(item));
    else if (update != 0)
      set_text(control, item.title.str());
  }

  switch (type) {
    case DLG_RADIOBUTTON:
    case DLG_CHECKBOX:
      if (item.integer_value != 0 || update != 0)
        send(control, win::BM_SETCHECK, static_cast<win::WPARAM>(item.integer_value), 0);
      break;
    case DLG_EDITBOX:
      if ((item.value_kind & kKindSpinner) != 0 && update == 0) make_spinner(control, dialog, item);
      run_text_proc(dialog, items, position);
      RESTORE_CONTROL_TEXT(control, items, position);
      break;
    case DLG_LISTBOX:
      fill_list(control, dialog, item);
      break;
    case DLG_COMBOBOX:
      fill_combo(control, dialog, items, position, update);
      break;
    case DLG_UPDOWN:
      if (update == 0) make_count_field(control, dialog, item);
      send(control, win::UDM_SETRANGE, 0, low_high(item.integer_max, item.integer_min));
      send(control, win::UDM_SETPOS, 0, low_high(item.integer_value, 0));
      break;
    case DLG_TRACKBAR:
      send(control, win::TBM_SETRANGE, win::FALSE, low_high(item.integer_min, item.integer_max));
      send(control, win::TBM_SETPOS, win::TRUE, item.integer_value);
      send(control, win::TBM_SETPAGESIZE, 0, item.integer_increment);
      send(control, win::TBM_SETTICFREQ, static_cast<win::WPARAM>(item.integer_increment), 0);
      break;
    case DLG_PROGRESSBAR:
      send(control, win::PBM_SETRANGE, 0, low_high(item.integer_min, item.integer_max));
      send(control, win::PBM_SETPOS, static_cast<win::WPARAM>(item.integer_value), 0);
      send(control, win::PBM_SETSTEP, static_cast<win::WPARAM>(item.integer_increment), 0);
      break;
    case DLG_SCROLLBAR:
      send(control, win::SBM_SETRANGE, static_cast<win::WPARAM>(item.integer_min),
           item.integer_max);
      send(control, win::SBM_SETPOS, static_cast<win::WPARAM>(item.integer_value), win::TRUE);
      break;
    case DLG_SPREADSHEET:
      init_spreadsheet(control, items, position, update);
      break;
    default:
      if (is_push_button(type)) {
        item.integer_value = 0;
        if (item.image != nullptr) {
          const win::WPARAM kind =
              (item.window_style & win::BS_BITMAP) != 0 ? win::IMAGE_BITMAP : win::IMAGE_ICON;
          send(control, win::BM_SETIMAGE, kind, reinterpret_cast<win::LPARAM>(item.image));
        }
      }
      break;
  }

  if (update == 0 && (item.style_options & kOptionFocus) != 0) {
    win::SetFocus(control);
    if (type == DLG_EDITBOX) send(control, win::EM_SETSEL, 0, -1);
    return 1;
  }
  return focus;
}

void C_UPDATE_DIALOG_ITEM(dialog_t& item, win::HWND& dialog, const std::int32_t* state, int* ups) {
  CLEAR_STATUS(ups);
  win::HWND control = DIALOG_ITEM_CONTROL(dialog, item);
  if (control == nullptr || !win::IsWindow(control)) {
    SET_STATUS(ups, "Invalid dialog item in UPDATE_DIALOG_ITEM", kToolkitError);
    return;
  }
  if (state != nullptr) {
    win::HWND spinner = (item.value_kind & kKindSpinner) != 0 || low_type(item) == DLG_UPDOWN
                            ? win::GetDlgItem(win::GetParent(control), item.id + kSpinnerIdOffset)
                            : nullptr;
    const auto both = [&](auto&& act) {
      act(control);
      if (spinner != nullptr) act(spinner);
    };
    const std::uint32_t s = static_cast<std::uint32_t>(*state);
    if ((s & 0x01000000) != 0) both([](win::HWND h) { win::EnableWindow(h, win::FALSE); });
    if ((s & 0x02000000) != 0) both([](win::HWND h) { win::EnableWindow(h, win::TRUE); });
    if ((s & 0x04000000) != 0) both([](win::HWND h) { win::ShowWindow(h, win::SW_HIDE); });
    if ((s & 0x08000000) != 0) both([](win::HWND h) { win::ShowWindow(h, win::SW_SHOW); });
    if ((s & 0x20000000) != 0) win::SetFocus(control);
  }
  const window_record_t* r = FIND_WINDOW_RECORD(dialog);
  if (r == nullptr || r->dialog_array == nullptr) return;
  const std::ptrdiff_t at = &item - r->dialog_array;
  const int position =
      at >= 0 && at < r->dialog_items ? static_cast<int>(at) : item.item_number - 1;
  if (position < 0) return;
  INIT_DIALOG_CONTROL(control, dialog, r->dialog_array, position, 0, 1);
}

void READ_DIALOG_CONTROLS(win::HWND dialog, const window_record_t& record, dialog_t* items) {
  for (int i = 0; i < record.dialog_items; ++i)
    if (win::HWND control = DIALOG_ITEM_CONTROL(dialog, items[i]))
      READ_DIALOG_CONTROL(control, items, i);
}

void READ_DIALOG_CONTROL(win::HWND control, dialog_t* items, int position) {
  dialog_t& item = items[position];
  switch (low_type(item)) {
    case DLG_RADIOBUTTON:
    case DLG_CHECKBOX:
      item.integer_value = static_cast<std::int32_t>(send(control, win::BM_GETCHECK, 0, 0));
      break;
    case DLG_EDITBOX:
      read_text(control, item);
      break;
    case DLG_LISTBOX:
      if (multiple_selection(item)) {
        int first = -1;
        if (send(control, win::LB_GETSELITEMS, 1, reinterpret_cast<win::LPARAM>(&first)) < 1)
          first = -1;
        take_list_entry(control, item, first);
        for (int k = 0; k < item.list_count && item.selection_block != nullptr; ++k)
          item.selection_block[k] =
              send(control, win::LB_GETSEL, static_cast<win::WPARAM>(k), 0) > 0 ? 1 : 0;
      } else {
        take_list_entry(control, item, send(control, win::LB_GETCURSEL, 0, 0));
      }
      break;
    case DLG_COMBOBOX: {
      const auto index = send(control, win::CB_GETCURSEL, 0, 0);
      item.integer_value = index < 0 ? 0 : static_cast<std::int32_t>(index) + 1;
      read_text(control, item);
      break;
    }
    default:
      break;
  }
}

std::string item_text(const dialog_t& item) {
  return has_bound_text(item) ? bound_text(item) : item.text.str();
}

void RESTORE_CONTROL_TEXT(win::HWND control, dialog_t* items, int position, int length) {
  std::string text = item_text(items[position]);
  if (length >= 0 && static_cast<std::size_t>(length) < text.size())
    text.resize(static_cast<std::size_t>(length));
  set_text(control, text);
}

int FIND_DIALOG_ITEM(const dialog_t* items, int id, int count) {
  for (int i = 0; i < count; ++i)
    if (items[i].id == id) return i;
  return -1;
}

int FIND_DIALOG_ITEM_NUMBER(const dialog_t* items, const int& id, const int& count) {
  return FIND_DIALOG_ITEM(items, id, count) + 1;
}

win::HWND DIALOG_ITEM_CONTROL(win::HWND dialog, const dialog_t& item) {
  if ((item.style_options & kOptionComponent) != 0) return static_cast<win::HWND>(item.image);
  return win::GetDlgItem(dialog, item.id);
}

win::HWND GET_DIALOG_ITEM_WINDOW(win::HWND dialog, const dialog_t& item, int* ups) {
  CLEAR_STATUS(ups);
  win::HWND control = DIALOG_ITEM_CONTROL(dialog, item);
  if (control == nullptr || !win::IsWindow(control)) {
    SET_STATUS(ups, "Failure in GET_DIALOG_ITEM_WINDOW", kToolkitError);
    return nullptr;
  }
  return control;
}

window_record_t* FIND_CONTROL_ITEM(win::HWND control, int& in_grid, int& id, dialog_t*& items,
                                   int& position) {
  in_grid = 0;
  id = 0;
  items = nullptr;
  position = -1;
  win::HWND below = control;
  win::HWND w = control;
  window_record_t* r = nullptr;
  while (w != nullptr && (r = FIND_WINDOW_RECORD(w)) == nullptr) {
    below = w;
    w = win::GetParent(w);
  }
  if (r == nullptr) return nullptr;
  id = win::GetDlgCtrlID(below);
  const window_record_t* owner = r;
  if ((r->flags & kSpreadsheetRecord) != 0) {
    in_grid = 1;
    owner = FIND_WINDOW_RECORD(win::GetParent(w));
    if (owner == nullptr) return r;
  }
  items = owner->dialog_array;
  if (items != nullptr) position = FIND_DIALOG_ITEM(items, id, owner->dialog_items);
  return r;
}

win::HWND GET_PARENT(win::HWND& window, int* ups) {
  CLEAR_STATUS(ups);
  win::HWND parent = win::GetParent(window);
  if (parent == nullptr) SET_STATUS(ups, "No parent available in GET_PARENT", kToolkitError);
  return parent;
}

char* MAKE_ITEM_LIST(const char* first, int length, const char* second, int list_type, int* count,
                     dialog_t& item, int* ups) {
  CLEAR_STATUS(ups);
  if (count == nullptr || *count <= 0 || first == nullptr) return nullptr;
  const std::ptrdiff_t stride = second - first;
  item.list_stride = static_cast<std::int32_t>(stride);
  const std::size_t entry = static_cast<std::size_t>(std::max(length, 0)) + 1;
  auto* block = static_cast<char*>(ALLOCATE_MEMORY(entry * static_cast<std::size_t>(*count), ups));
  if (block == nullptr) return nullptr;
  for (int k = 0; k < *count; ++k) {
    const std::string text = trimmed_text(first + k * stride, length);
    std::memcpy(block + k * entry, text.c_str(), text.size() + 1);
  }
  if (list_type == DLG_LISTBOX) {
    const std::size_t bytes = sizeof(std::int32_t) * static_cast<std::size_t>(*count);
    item.selection_block = static_cast<std::int32_t*>(ALLOCATE_MEMORY(bytes, ups));
    if (item.selection_block != nullptr) std::memset(item.selection_block, 0, bytes);
  }
  return block;
}

void GET_ITEM_LIST_SELECTION(const dialog_t& item, std::int32_t* out, const int& out_length,
                             int* ups) {
  CLEAR_STATUS(ups);
  if (item.selection_block == nullptr) {
    SET_STATUS(ups, "Dialog item has not been set", kToolkitError);
    return;
  }
  const int n = std::min(item.list_count, std::max(out_length, 0));
  std::copy_n(item.selection_block, n, out);
}

void reset_dialog_controls() {
  if (dialog_brush != nullptr) win::DeleteObject(dialog_brush);
  if (spreadsheet_brush != nullptr) win::DeleteObject(spreadsheet_brush);
  dialog_brush = nullptr;
  spreadsheet_brush = nullptr;
}

}  // namespace toolkit
