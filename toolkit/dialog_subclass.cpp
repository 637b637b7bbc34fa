#include "toolkit/dialog_subclass.h"

#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "platform/win_message_keys.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/entry.h"
#include "toolkit/grid.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

// A subclassed class: its hidden window and its own procedure.
struct subclassed {
  win::HWND hidden = nullptr;
  win::WNDPROC previous = nullptr;
};
subclassed edit_class;
subclassed combo_class;
subclassed combo_list_class;

// Makes the hidden window of the class and puts the procedure in; false
// when the window cannot be made.
bool install(subclassed& c, const char* class_name, win::WNDPROC procedure) {
  // Installed, unless the window layer was started afresh since (its
  // classes then have their own procedures again).
  if (c.hidden != nullptr && win::IsWindow(c.hidden) &&
      win::GetClassLongPtrA(c.hidden, win::GCLP_WNDPROC) ==
          reinterpret_cast<win::ULONG_PTR>(procedure))
    return true;
  c = subclassed{};
  c.hidden = win::CreateWindowExA(0, class_name, "Hidden", 0, 0, 0, 50, 50, nullptr, nullptr,
                                  GET_MODULE_HANDLE(), nullptr);
  if (c.hidden == nullptr) return false;
  c.previous = reinterpret_cast<win::WNDPROC>(win::SetClassLongPtrA(
      c.hidden, win::GCLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(procedure)));
  return true;
}

bool key_down(int key) { return win::GetKeyState(key) < 0; }

// What a key in a control of a toolkit dialog or grid works on.
struct control_item {
  window_record_t* record = nullptr;  // the dialog's, or the grid's
  dialog_t* items = nullptr;
  int position = -1;
  bool in_grid = false;
  win::HWND dialog = nullptr;
  win::HWND control = nullptr;  // the item's control (a combo box for its field)

  dialog_t& item() const { return items[position]; }
  int grid_position() const { return record->dialog_items; }
};

// The messages the procedures look at; every other one passes at once.
bool keyboard_message(win::UINT message) {
  return message == win::WM_KEYDOWN || message == win::WM_CHAR || message == win::WM_GETDLGCODE ||
         message == win::WM_KILLFOCUS;
}

bool find_item(win::HWND window, control_item& c) {
  int in_grid = 0, id = 0;
  c.record = FIND_CONTROL_ITEM(window, in_grid, id, c.items, c.position);
  if (c.record == nullptr || c.items == nullptr || c.position < 0) return false;
  c.in_grid = in_grid != 0;
  c.dialog = c.in_grid ? win::GetParent(c.record->window) : c.record->window;
  c.control = DIALOG_ITEM_CONTROL(c.dialog, c.item());
  if (c.control == nullptr) c.control = window;
  return true;
}

// The refusal of a commit: the item's text back, selected, focused.
void refused(const control_item& c, win::HWND window) {
  RESTORE_CONTROL_TEXT(c.control, c.items, c.position);
  win::SendMessageA(window, win::EM_SETSEL, 0, -1);
  win::SetFocus(window);
  c.item().event_code = kEventChanged;
}

// F2 in a grid cell: the commit, then (for an edit box) the cell's value is
// stored and the grid told; the cell editor closes with storing.
void grid_f2(const control_item& c, win::HWND window, bool edit_box) {
  dialog_t& item = c.item();
  item.event_code = kEventCommit;
  if (ENTER_TEXT_CHANGE(c.items, c.position) != 0) {
    READ_DIALOG_CONTROL(c.control, c.items, c.position);
    if (CALL_TEXT_CHANGE_PROC(c.record->window, c.items, c.position) == 0) {
      refused(c, window);
      LEAVE_CHANGE(c.items, c.position);
      return;
    }
    LEAVE_CHANGE(c.items, c.position);
    if (ENTER_VALUE_CHANGE(c.items, c.position) != 0) {
      item.event_code = kEventAccepted;
      CALL_VALUE_CHANGE_PROC(c.record->window, c.items, c.position);
      LEAVE_CHANGE(c.items, c.position);
    }
    if (edit_box) {
      STORE_CELL_VALUE(c.items, c.position);
      if (item.event_code == kEventRepaintGrid)
        win::InvalidateRect(c.record->window, nullptr, win::TRUE);
    }
    item.event_code = kEventAccepted;
  }
  END_CELL_EDIT(*c.record, 1);
  if (edit_box) NOTIFY_CELL_VALUE(c.record->window, c.items, c.grid_position());
}

// Tab in a grid cell: the commit, then the focus leaves the grid (Ctrl) or
// the current cell moves sideways.
void grid_tab(const control_item& c, win::HWND window) {
  c.item().event_code = kEventCommit;
  if (COMMIT_EDIT_TEXT(c.items, c.position, *c.record, window) == 0) return;
  const bool back = key_down(win::VK_SHIFT);
  if (key_down(win::VK_CONTROL))
    SPREADSHEET_TAB_OUT(*c.record, back ? 1 : 0);
  else
    SPREADSHEET_MOVE_CELL(*c.record, back ? 3 : 1, 1, c.items, c.grid_position(), c.dialog);
  NOTIFY_CELL_VALUE(c.record->window, c.items, c.grid_position());
}

// Enter after the commit: a grid moves its current cell down (up with
// Shift); a dialog asks for its default button and presses it.
void after_enter(const control_item& c, win::HWND window) {
  if (c.in_grid) {
    SPREADSHEET_MOVE_CELL(*c.record, key_down(win::VK_SHIFT) ? 4 : 2, 1, c.items, c.grid_position(),
                          c.dialog);
    NOTIFY_CELL_VALUE(c.record->window, c.items, c.grid_position());
    return;
  }
  const win::LRESULT answer = win::SendMessageA(c.dialog, win::WM_USER, 0, 0);
  if (win::HIWORD(answer) == win::DC_HASDEFID)
    win::SendMessageA(c.dialog, win::WM_COMMAND, win::LOWORD(answer),
                      reinterpret_cast<win::LPARAM>(window));
}

// A grid's cell editor, or a cell of a table that the dialog's layer built.
bool table_cell(const control_item& c) {
  return c.in_grid ||
         (is_table_cell != nullptr && c.item().id != 0 && is_table_cell(c.dialog, c.item().id));
}

// F2 (kept from a plain edit box; in a table's cell it selects the text)
// and, in a grid, Tab: true when taken.
bool key_taken(const control_item& c, win::HWND window, win::WPARAM key, bool edit_box) {
  if (key == win::VK_F2) {
    if (c.in_grid)
      grid_f2(c, window, edit_box);
    else if (edit_box && table_cell(c))
      win::SendMessageA(window, win::EM_SETSEL, 0, -1);
    return true;
  }
  if (key != win::VK_TAB || !c.in_grid) return false;
  grid_tab(c, window);
  return true;
}

win::LRESULT pass(win::WNDPROC previous, win::HWND window, win::UINT message, win::WPARAM wparam,
                  win::LPARAM lparam) {
  if (previous == nullptr) return win::DefWindowProcA(window, message, wparam, lparam);
  return win::CallWindowProcA(previous, window, message, wparam, lparam);
}

// Enter: the commit (event code 0x1000, or 0x10000 for an edit box that
// reports Enter), then the grid's move or the dialog's default button. A
// field that takes Return gets it first; a combo box gets it last too.
win::LRESULT enter_key(const control_item& c, win::WNDPROC previous, win::HWND window,
                       win::UINT message, win::WPARAM wparam, win::LPARAM lparam, bool edit_box) {
  dialog_t& item = c.item();
  if (edit_box && (item.style_options & kOptionMultiline) != 0) {
    item.event_code = kEventEnter;
  } else {
    item.event_code = kEventCommit;
    if (!c.in_grid && (item.window_style & win::ES_WANTRETURN) != 0)
      pass(previous, window, message, wparam, lparam);
  }
  if (COMMIT_EDIT_TEXT(c.items, c.position, *c.record, c.control) == 0) return 0;
  after_enter(c, window);
  if (!edit_box && !c.in_grid) pass(previous, window, message, wparam, lparam);
  return 0;
}

// The keys of combo boxes and their lists.
win::LRESULT COMBO_KEYS(win::WNDPROC previous, win::HWND window, win::UINT message,
                        win::WPARAM wparam, win::LPARAM lparam) {
  control_item c;
  if (!keyboard_message(message) || !find_item(window, c))
    return pass(previous, window, message, wparam, lparam);
  switch (message) {
    case win::WM_KILLFOCUS:
      if (c.in_grid) END_CELL_EDIT(*c.record, 1);
      break;
    case win::WM_GETDLGCODE:
      if (c.in_grid) return win::DLGC_WANTALLKEYS;
      break;
    case win::WM_KEYDOWN:
      if (key_taken(c, window, wparam, false)) return 0;
      break;
    case win::WM_CHAR:
      if (wparam == '\r') return enter_key(c, previous, window, message, wparam, lparam, false);
      if (wparam == 0x1B && c.in_grid) END_CELL_EDIT(*c.record, 0);
      break;
    default:
      break;
  }
  return pass(previous, window, message, wparam, lparam);
}

}  // namespace

int SUBCLASS_EDIT() {
  install(edit_class, "EDIT", EDIT_SUBCLASS_PROC);
  return 1;
}

int SUBCLASS_COMBOBOX() {
  if (!install(combo_class, "ComboBox", COMBOBOX_SUBCLASS_PROC))
    LOG_DIAGNOSIS("Unable to subclass the ComboBox class", 0);
  if (!install(combo_list_class, "ComboLBox", COMBOLBOX_SUBCLASS_PROC))
    LOG_DIAGNOSIS("Unable to subclass the ComboLBox class", 0);
  return 1;
}

void UNSUBCLASS_EDIT() {
  if (edit_class.hidden == nullptr) return;
  win::SetClassLongPtrA(edit_class.hidden, win::GCLP_WNDPROC,
                        reinterpret_cast<win::LONG_PTR>(edit_class.previous));
  win::DestroyWindow(edit_class.hidden);
  edit_class = subclassed{};
}

int COMMIT_EDIT_TEXT(dialog_t* items, int position, window_record_t& record, win::HWND edit) {
  control_item c;
  c.items = items;
  c.position = position;
  c.record = &record;
  c.control = edit;
  READ_DIALOG_CONTROL(edit, items, position);
  if (ENTER_TEXT_CHANGE(items, position) == 0) return 1;
  if (CALL_TEXT_CHANGE_PROC(record.window, items, position) == 0) {
    refused(c, edit);
    LEAVE_CHANGE(items, position);
    return 0;
  }
  items[position].event_code = kEventAccepted;
  LEAVE_CHANGE(items, position);
  if (ENTER_VALUE_CHANGE(items, position) != 0) {
    CALL_VALUE_CHANGE_PROC(record.window, items, position);
    LEAVE_CHANGE(items, position);
  }
  return 1;
}

win::LRESULT EDIT_SUBCLASS_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                win::LPARAM lparam) {
  const win::WNDPROC previous = edit_class.previous;
  control_item c;
  if (message == win::WM_LBUTTONDOWN || message == win::WM_LBUTTONDBLCLK) {
    if (!find_item(window, c) || !table_cell(c))
      return pass(previous, window, message, wparam, lparam);
    // The focus comes with the click; the text is the cell's value, taken
    // whole (no drag selects a part of it).
    pass(previous, window, message, wparam, lparam);
    if (win::GetCapture() == window) win::ReleaseCapture();
    win::SendMessageA(window, win::EM_SETSEL, 0, -1);
    return 0;
  }
  if (!keyboard_message(message) || !find_item(window, c))
    return pass(previous, window, message, wparam, lparam);
  switch (message) {
    case win::WM_GETDLGCODE: {
      const win::LRESULT code = pass(previous, window, message, wparam, lparam);
      return c.in_grid ? code | win::DLGC_WANTTAB : code;
    }
    case win::WM_KEYDOWN:
      if (wparam == win::VK_ESCAPE && c.in_grid) END_CELL_EDIT(*c.record, 0);
      if (key_taken(c, window, wparam, true)) return 0;
      break;
    case win::WM_CHAR:
      if (wparam == '\r') return enter_key(c, previous, window, message, wparam, lparam, true);
      if (wparam == 0x1B && c.in_grid) END_CELL_EDIT(*c.record, 0);
      // The Tab that moved the cell is no character of the cell's text.
      if (wparam == '\t' && c.in_grid) return 0;
      break;
    default:
      break;
  }
  return pass(previous, window, message, wparam, lparam);
}

win::LRESULT COMBOBOX_SUBCLASS_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                    win::LPARAM lparam) {
  return COMBO_KEYS(combo_class.previous, window, message, wparam, lparam);
}

win::LRESULT COMBOLBOX_SUBCLASS_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                     win::LPARAM lparam) {
  return COMBO_KEYS(combo_list_class.previous, window, message, wparam, lparam);
}

void reset_subclassing() {
  edit_class = subclassed{};
  combo_class = subclassed{};
  combo_list_class = subclassed{};
}

}  // namespace toolkit
