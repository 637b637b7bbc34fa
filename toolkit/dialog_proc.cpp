#include "toolkit/dialog_proc.h"

#include <algorithm>
#include <string>

#include "platform/win_commctrl.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_run.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/loops.h"
#include "toolkit/status.h"
#include "toolkit/window_proc.h"

namespace toolkit {

namespace {

// The dialog's record with its items; null without.
window_record_t* dialog_record(win::HWND window) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  return r != nullptr && r->dialog_array != nullptr ? r : nullptr;
}

void call_changed(window_record_t& r, win::HWND window, int code) {
  if (r.changed == nullptr) return;
  win::HWND w = window;
  r.changed(w, code);
}

// The closing road of a button: the changed callback, then a modeless
// dialog is closed and a modal one ended with the id.
win::INT_PTR close_dialog(win::HWND window, window_record_t& r, int id) {
  call_changed(r, window, kChangedDialogClosing);
  if (IS_MODELESS_DIALOG(window) != 0) {
    win::SendMessageA(window, win::WM_CLOSE, 0, 0);
  } else {
    FREE_WINDOW_RECORD(window);
    win::EndDialog(window, id);
  }
  return 1;
}

// A refused text back in the control: the item's text as the procedure
// left it, or, when the procedure left the text as it was read, the part a
// converter kept (its text length).
void restore_refused(win::HWND control, dialog_t* items, int position, const std::string& read) {
  const dialog_t& item = items[position];
  RESTORE_CONTROL_TEXT(control, items, position, item_text(item) == read ? item.text_length : -1);
}

void select_all(win::HWND control, const dialog_t& item) {
  if (low_type(item) == DLG_EDITBOX) win::SendMessageA(control, win::EM_SETSEL, 0, -1);
}

win::INT_PTR clicked(win::HWND window, window_record_t& r, int id, int position) {
  dialog_t* items = r.dialog_array;
  if (position < 0) {
    if (id == win::IDOK) READ_DIALOG_CONTROLS(window, r, items);
    return close_dialog(window, r, id);
  }
  dialog_t& item = items[position];
  if (id == win::IDCANCEL) {
    for (int i = 0; i < r.dialog_items; ++i)
      if (items[i].id == win::IDCANCEL) items[i].integer_value = 1;
    return close_dialog(window, r, id);
  }
  const int type = low_type(item);
  if ((id >= win::IDOK && id <= win::IDNO) || type == DLG_PUSHBUTTON ||
      type == DLG_DEFAULT_PUSHBUTTON) {
    // A procedure still running (behind a message box it shows) is not
    // entered again, and its dialog stays.
    if (item.text_proc != nullptr && item.busy != 0) return 1;
    const bool entered = ENTER_TEXT_CHANGE(items, position) != 0;
    READ_DIALOG_CONTROLS(window, r, items);
    item.integer_value = 1;
    // A push button of the application's own (not one of the standard ids)
    // was clicked: its procedure is told of a change, as for any control.
    if (id < win::IDOK || id > win::IDNO) item.event_code = kEventChanged;
    if (!entered) return close_dialog(window, r, id);
    CALL_TEXT_CHANGE_PROC(window, items, position);
    LEAVE_CHANGE(items, position);
    return 1;
  }
  item.event_code = kEventChanged;
  if (item.text_proc != nullptr)
    win::PostMessageA(window, kRunChangeMessage, reinterpret_cast<win::WPARAM>(item.text_proc),
                      position);
  return 0;
}

// A selection or text change: an item with a value kind is checked at once,
// any other runs its procedure after the notification.
win::INT_PTR changed(win::HWND window, dialog_t* items, int position, win::HWND control) {
  dialog_t& item = items[position];
  item.event_code = kEventChanged;
  if (item.text_proc == nullptr) return 0;
  if (item.value_kind == 0) {
    win::PostMessageA(window, kRunChangeMessage, reinterpret_cast<win::WPARAM>(item.text_proc),
                      position);
    return 0;
  }
  if (ENTER_TEXT_CHANGE(items, position) == 0) return 0;
  READ_DIALOG_CONTROL(control, items, position);
  const std::string read = item_text(item);
  if (CALL_TEXT_CHANGE_PROC(window, items, position) == 0) {
    restore_refused(control, items, position, read);
    if (low_type(item) == DLG_EDITBOX)
      win::SendMessageA(control, win::EM_SETSEL, static_cast<win::WPARAM>(item.text_length),
                        item.text_length);
  }
  LEAVE_CHANGE(items, position);
  return 0;
}

win::INT_PTR double_clicked(win::HWND window, window_record_t& r, int position, win::HWND control) {
  dialog_t* items = r.dialog_array;
  dialog_t& item = items[position];
  item.event_code |= kEventDoubleClick;
  if (ENTER_TEXT_CHANGE(items, position) != 0) {
    READ_DIALOG_CONTROLS(window, r, items);
    CALL_TEXT_CHANGE_PROC(window, items, position);
    LEAVE_CHANGE(items, position);
    return 1;
  }
  if ((item.style_options & kOptionDoubleClickProbe) != 0) {
    const win::LRESULT answer = win::SendMessageA(window, win::WM_USER, 0, 0);
    if (win::HIWORD(answer) == win::DC_HASDEFID)
      win::SendMessageA(window, win::WM_COMMAND, win::LOWORD(answer),
                        reinterpret_cast<win::LPARAM>(control));
  }
  return 0;
}

// The focus left a control with an unconfirmed change: the commit.
win::INT_PTR focus_lost(win::HWND window, dialog_t* items, int position, win::HWND control) {
  dialog_t& item = items[position];
  if ((item.event_code & kEventChanged) == 0 || ENTER_TEXT_CHANGE(items, position) == 0) return 0;
  item.event_code = kEventCommit;
  READ_DIALOG_CONTROL(control, items, position);
  const std::string read = item_text(item);
  const bool accepted = CALL_TEXT_CHANGE_PROC(window, items, position) != 0;
  if (accepted) {
    item.event_code = kEventAccepted;
  } else {
    item.event_code = kEventChanged;
    restore_refused(control, items, position, read);
    select_all(control, item);
    win::SetFocus(control);
  }
  LEAVE_CHANGE(items, position);
  if (accepted && ENTER_VALUE_CHANGE(items, position) != 0) {
    CALL_VALUE_CHANGE_PROC(window, items, position);
    LEAVE_CHANGE(items, position);
  }
  return 0;
}

win::INT_PTR command(win::HWND window, win::UINT message, win::WPARAM wparam, win::LPARAM lparam) {
  const int id = win::LOWORD(wparam);
  const int notification = win::HIWORD(wparam);
  if (lparam == 0 && notification == 0 && (id == 0 || id > 9)) {
    COMMAND_HANDLER(window, message, wparam, lparam);
    return 1;
  }
  window_record_t* r = dialog_record(window);
  if (r == nullptr || (r->flags & kDialogInitialising) != 0) return 0;
  const int position = FIND_DIALOG_ITEM(r->dialog_array, id, r->dialog_items);
  const auto control = reinterpret_cast<win::HWND>(lparam);
  if (notification == 0) return clicked(window, *r, id, position);
  if (position < 0) return 0;
  switch (notification) {
    case 5:
      if (low_type(r->dialog_array[position]) == DLG_LISTBOX) return 0;
      return changed(window, r->dialog_array, position, control);
    case 1:
    case win::EN_CHANGE:
      return changed(window, r->dialog_array, position, control);
    case 2:
      return double_clicked(window, *r, position, control);
    case 4:
    case win::EN_KILLFOCUS:
      return focus_lost(window, r->dialog_array, position, control);
    default:
      return 0;
  }
}

// A grid column's controls are made here, hidden, as children of the grid
// before them; a grid's text column needs none.
bool make_component(win::HWND window, window_record_t& r, dialog_t& item, win::HWND grid,
                    win::HWND& control) {
  control = nullptr;
  if (low_type(item) == DLG_TEXT) return true;
  win::RECT rect{item.x, item.y, item.x + item.width, item.y + item.height};
  win::MapDialogRect(window, &rect);
  control =
      win::CreateWindowExA(0, DIALOG_ITEM_CLASS_NAME(low_type(item)), "", item.window_style,
                           rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           grid, reinterpret_cast<win::HMENU>(static_cast<std::intptr_t>(item.id)),
                           GET_MODULE_HANDLE(), nullptr);
  if (control == nullptr) {
    LOG_DIAGNOSIS("Unable to create Spreadsheet control", 0);
    return false;
  }
  if (item.font == nullptr) item.font = r.font;
  item.image = control;
  win::ShowWindow(control, win::SW_HIDE);
  return true;
}

win::INT_PTR init_dialog(win::HWND window, win::LPARAM lparam) {
  DIALOG_BRUSH();
  const auto pending = absent_handle<win::HWND>();
  auto* r = reinterpret_cast<window_record_t*>(lparam);
  if (r == nullptr) {
    FREE_WINDOW_RECORD(pending);
    SET_STATUS_WITH_CODE(nullptr, "Internal Fenstra error in dialog box", kToolkitError);
    return 1;
  }
  if (r->window != pending && r->window != window) {
    LOG_DIAGNOSIS("Internal Fenstra error in dialog box", 0);
    return 1;
  }
  r->window = window;
  if (r->font != nullptr)
    win::SendMessageA(window, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(r->font), win::TRUE);
  if (r->dialog_brush == nullptr) {
    r->dialog_brush = DIALOG_BRUSH();
    r->background = dialog_brush_colour();
  } else if (r->background == 0) {
    r->background = brush_colour(r->dialog_brush);
  }
  r->flags |= kDialogInitialising;
  dialog_t* items = r->dialog_array;
  int focus = 0;
  win::HWND grid = nullptr;
  for (int i = 0; items != nullptr && i < r->dialog_items; ++i) {
    dialog_t& item = items[i];
    win::HWND control = nullptr;
    if ((item.style_options & kOptionComponent) != 0) {
      if (!make_component(window, *r, item, grid, control)) {
        r->flags &= ~kDialogInitialising;
        return 1;
      }
      if (control == nullptr) continue;
    } else {
      control = win::GetDlgItem(window, item.id);
    }
    if (low_type(item) == DLG_SPREADSHEET) {
      grid = control;
      if (item.font == nullptr) item.font = r->font;
    }
    if (item.brush != nullptr) item.background = brush_colour(item.brush);
    if (control != nullptr) focus = INIT_DIALOG_CONTROL(control, window, items, i, focus, 0);
  }
  call_changed(*r, window, kChangedDialogReady);
  r->flags &= ~kDialogInitialising;
  return focus == 0 ? 1 : 0;
}

// A spinner step: the item's procedures, then its text in the edit box.
win::INT_PTR spin(win::HWND window, win::LPARAM lparam) {
  const auto* step = reinterpret_cast<const win::NMUPDOWN*>(lparam);
  window_record_t* r = dialog_record(window);
  if (r == nullptr) return 0;
  const int position = FIND_DIALOG_ITEM(
      r->dialog_array, static_cast<int>(step->hdr.idFrom) - kSpinnerIdOffset, r->dialog_items);
  if (position < 0) return 0;
  dialog_t* items = r->dialog_array;
  const int entered = STEP_SPINNER(window, items, position, step->iDelta);
  if (win::HWND edit = DIALOG_ITEM_CONTROL(window, items[position]))
    RESTORE_CONTROL_TEXT(edit, items, position);
  return entered;
}

win::INT_PTR scrolled(win::HWND window, win::WPARAM wparam, win::LPARAM lparam) {
  const auto control = reinterpret_cast<win::HWND>(lparam);
  window_record_t* r = dialog_record(window);
  if (control == nullptr || r == nullptr) return 0;
  dialog_t* items = r->dialog_array;
  const int position = FIND_DIALOG_ITEM(items, win::GetDlgCtrlID(control), r->dialog_items);
  if (position < 0) return 0;
  dialog_t& item = items[position];
  const int code = win::LOWORD(wparam);
  switch (low_type(item)) {
    case DLG_UPDOWN:
      item.integer_value = static_cast<win::SHORT>(win::HIWORD(wparam));
      break;
    case DLG_TRACKBAR:
      item.integer_value =
          static_cast<std::int32_t>(win::SendMessageA(control, win::TBM_GETPOS, 0, 0));
      break;
    case DLG_SCROLLBAR: {
      std::int64_t v = item.integer_value;
      switch (code) {
        case win::SB_LINEUP:
          v -= 1;
          break;
        case win::SB_LINEDOWN:
          v += 1;
          break;
        case win::SB_PAGEUP:
          v -= item.integer_increment;
          break;
        case win::SB_PAGEDOWN:
          v += item.integer_increment;
          break;
        case win::SB_THUMBPOSITION:
          v = static_cast<win::SHORT>(win::HIWORD(wparam));
          break;
        case win::SB_THUMBTRACK:
        case win::SB_ENDSCROLL:
          return 1;
        case win::SB_TOP:
          v = 0;
          break;
        case win::SB_BOTTOM:
          v = item.integer_max;
          break;
        default:
          break;
      }
      v = std::clamp<std::int64_t>(v, item.integer_min, item.integer_max);
      item.integer_value = static_cast<std::int32_t>(v);
      win::SetScrollPos(control, win::SB_CTL, item.integer_value, win::TRUE);
      break;
    }
    default:
      break;
  }
  item.event_code = code;
  if (ENTER_TEXT_CHANGE(items, position) != 0) {
    CALL_TEXT_CHANGE_PROC(window, items, position);
    LEAVE_CHANGE(items, position);
  }
  return 0;
}

win::INT_PTR control_colour(win::HWND window, win::WPARAM wparam, win::LPARAM lparam) {
  window_record_t* r = dialog_record(window);
  if (r == nullptr) return 0;
  const int position = FIND_DIALOG_ITEM(
      r->dialog_array, win::GetDlgCtrlID(reinterpret_cast<win::HWND>(lparam)), r->dialog_items);
  if (position < 0) return 0;
  const dialog_t& item = r->dialog_array[position];
  const auto dc = reinterpret_cast<win::HDC>(wparam);
  if (item.background != 0) win::SetBkColor(dc, item.background);
  if (item.text_colour != 0) win::SetTextColor(dc, item.text_colour);
  return reinterpret_cast<win::INT_PTR>(item.brush);
}

}  // namespace

int ENTER_TEXT_CHANGE(dialog_t* items, int position) {
  dialog_t& item = items[position];
  if (item.text_proc == nullptr || item.busy != 0) return 0;
  item.busy = 1;
  return 1;
}

int ENTER_VALUE_CHANGE(dialog_t* items, int position) {
  dialog_t& item = items[position];
  if (item.value_proc == nullptr || item.busy != 0) return 0;
  item.busy = 1;
  return 1;
}

void LEAVE_CHANGE(dialog_t* items, int position) { items[position].busy = 0; }

int CALL_TEXT_CHANGE_PROC(win::HWND window, dialog_t* items, int position) {
  if (items[position].text_proc == nullptr) return 0;
  int number = position + 1;
  return items[position].text_proc(window, items, number);
}

int CALL_VALUE_CHANGE_PROC(win::HWND window, dialog_t* items, int position) {
  if (items[position].value_proc == nullptr) return 0;
  int number = position + 1;
  return items[position].value_proc(window, items, number);
}

int STEP_SPINNER(win::HWND window, dialog_t* items, int position, int delta) {
  dialog_t& item = items[position];
  item.event_code = kEventSpin | (delta & 0x1FF);
  int entered = 0;
  if (ENTER_TEXT_CHANGE(items, position) != 0) {
    PAD_FROM_NUL(item.text.data(), static_cast<int>(item.text.size()));
    CALL_TEXT_CHANGE_PROC(window, items, position);
    item.event_code = kEventAccepted;
    LEAVE_CHANGE(items, position);
    entered = 1;
  }
  if (ENTER_VALUE_CHANGE(items, position) != 0) {
    CALL_VALUE_CHANGE_PROC(window, items, position);
    LEAVE_CHANGE(items, position);
  }
  return entered;
}

int CALL_CHANGE_PROC_BY_NUMBER(win::HWND& window, dialog_t* items, int& number) {
  return CALL_TEXT_CHANGE_PROC(window, items, number - 1);
}

win::INT_PTR DIALOG_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                         win::LPARAM lparam) {
  if (dialog_hook != nullptr) {
    win::HWND w = window;
    win::UINT m = message;
    win::WPARAM wp = wparam;
    win::LPARAM lp = lparam;
    win::LRESULT result = 0;
    if (dialog_hook(w, m, wp, lp, result) != 0) return result;
  }
  switch (message) {
    case win::WM_ACTIVATE:
      current_modeless_dialog = win::LOWORD(wparam) == 0 ? nullptr : window;
      return 0;
    case win::WM_DESTROY:
      if (current_modeless_dialog == window) current_modeless_dialog = nullptr;
      WINDOW_DESTROYED(window);
      return 0;
    case win::WM_SYSCOMMAND:
      // The window manager's close box on a modeless dialog is its Cancel,
      // and takes the closing road with the changed callback; a modal
      // one ends with Cancel through its close message.
      if ((wparam & 0xFFF0) == win::SC_CLOSE && IS_MODELESS_DIALOG(window) != 0) {
        win::SendMessageA(window, win::WM_COMMAND, win::MAKEWPARAM(win::IDCANCEL, win::BN_CLICKED),
                          0);
        return 1;
      }
      return 0;
    case win::WM_CLOSE:
      if (IS_MODELESS_DIALOG(window) == 0) {
        FREE_WINDOW_RECORD(window);
        win::EndDialog(window, win::IDCANCEL);
      } else {
        win::DestroyWindow(window);
      }
      return 1;
    case win::WM_SETFONT:
      return 1;
    case win::WM_INITDIALOG:
      return init_dialog(window, lparam);
    case win::WM_COMMAND:
      return command(window, message, wparam, lparam);
    case kRunChangeMessage: {
      window_record_t* r = dialog_record(window);
      const auto position = static_cast<int>(lparam);
      if (r == nullptr || position < 0 || position >= r->dialog_items) return 0;
      // The items as they are now: the procedure may close the window.
      dialog_t* items = r->dialog_array;
      READ_DIALOG_CONTROLS(window, *r, items);
      if (ENTER_TEXT_CHANGE(items, position) != 0) {
        CALL_TEXT_CHANGE_PROC(window, items, position);
        LEAVE_CHANGE(items, position);
      }
      return 1;
    }
    case win::WM_NOTIFY: {
      const auto* head = reinterpret_cast<const win::NMHDR*>(lparam);
      if (head == nullptr || head->code != win::UDN_DELTAPOS ||
          (head->idFrom & kSpinnerIdOffset) == 0)
        return 0;
      return spin(window, lparam);
    }
    case win::WM_HSCROLL:
    case win::WM_VSCROLL:
      return scrolled(window, wparam, lparam);
    case win::WM_CTLCOLOREDIT:
    case win::WM_CTLCOLORLISTBOX:
    case win::WM_CTLCOLORBTN:
    case win::WM_CTLCOLORSCROLLBAR:
    case win::WM_CTLCOLORSTATIC:
      return control_colour(window, wparam, lparam);
    case win::WM_CTLCOLORDLG: {
      window_record_t* r = FIND_WINDOW_RECORD(window);
      return reinterpret_cast<win::INT_PTR>(
          r != nullptr && r->dialog_brush != nullptr ? r->dialog_brush : DIALOG_BRUSH());
    }
    default:
      return 0;
  }
}

}  // namespace toolkit
