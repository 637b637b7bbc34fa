// The dialog manager: the dialog window's own procedure around the
// program's dialog procedure, the keyboard of dialogs (Tab, arrows in a
// group, Enter, Escape, mnemonics), focus and the default button.
#include <algorithm>

#include "platform/win_dialog_internal.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

bool usable(HWND c) { return IsWindowVisible(c) && IsWindowEnabled(c); }

LRESULT dlg_code(HWND c, const MSG* m = nullptr) {
  return SendMessageA(c, WM_GETDLGCODE, m != nullptr ? m->wParam : 0, reinterpret_cast<LPARAM>(m));
}

bool is_push(LRESULT code) { return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }

// The start of the group that holds index i: the nearest control at or
// before it with WS_GROUP (the first control when none has it).
std::size_t group_start(const std::vector<HWND>& cs, std::size_t i) {
  while (i > 0 && (style_of(cs[i]) & WS_GROUP) == 0) --i;
  return i;
}

std::size_t group_end(const std::vector<HWND>& cs, std::size_t i) {
  std::size_t e = i + 1;
  while (e < cs.size() && (style_of(cs[e]) & WS_GROUP) == 0) ++e;
  return e;
}

// Tab lands on the checked radio button of a group of radio buttons.
HWND checked_in_group(HWND dlg, HWND c) {
  if ((dlg_code(c) & DLGC_RADIOBUTTON) == 0) return c;
  auto cs = dialog_controls(dlg);
  auto it = std::find(cs.begin(), cs.end(), c);
  if (it == cs.end()) return c;
  const std::size_t i = static_cast<std::size_t>(it - cs.begin());
  for (std::size_t k = group_start(cs, i); k < group_end(cs, i); ++k)
    if (usable(cs[k]) && (dlg_code(cs[k]) & DLGC_RADIOBUTTON) &&
        SendMessageA(cs[k], BM_GETCHECK, 0, 0) == BST_CHECKED)
      return cs[k];
  return c;
}

// Enter: the focused push button, else the default id, else IDOK.
void press_enter(HWND dlg, HWND focus) {
  int id = IDOK;
  HWND button = nullptr;
  if (focus != nullptr && is_push(dlg_code(focus))) {
    button = focus;
    id = control_id(focus);
  } else {
    const LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
    button = GetDlgItem(dlg, id);
    if (button != nullptr && !IsWindowEnabled(button)) return;
  }
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// A mnemonic: the next control (after the focus, wrapping) whose text has
// it. A button is clicked (a check box or radio button also takes the
// focus); a static text gives the focus to the control after it.
bool mnemonic(HWND dlg, HWND focus, unsigned char ch) {
  const unsigned char key = upper_key(ch);
  auto cs = dialog_controls(dlg);
  if (cs.empty()) return false;
  auto it = std::find(cs.begin(), cs.end(), focus);
  std::size_t start = it == cs.end() ? 0 : static_cast<std::size_t>(it - cs.begin()) + 1;
  for (std::size_t n = 0; n < cs.size(); ++n) {
    const std::size_t i = (start + n) % cs.size();
    HWND c = cs[i];
    if (!usable(c)) continue;
    const LRESULT code = dlg_code(c);
    if ((code & DLGC_STATIC) && (style_of(c) & SS_NOPREFIX) &&
        (style_of(c) & BS_TYPEMASK) != BS_GROUPBOX)
      continue;
    if (mnemonic_of(text_of(c)) != key) continue;
    if (code & DLGC_STATIC) {
      for (std::size_t k = 1; k < cs.size(); ++k) {
        HWND next = cs[(i + k) % cs.size()];
        if (usable(next) && (dlg_code(next) & DLGC_STATIC) == 0) {
          dialog_set_focus(dlg, checked_in_group(dlg, next));
          return true;
        }
      }
      return true;
    }
    if (code & DLGC_BUTTON) {
      if (!is_push(code)) dialog_set_focus(dlg, c);
      SendMessageA(c, BM_CLICK, 0, 0);
      return true;
    }
    dialog_set_focus(dlg, c);
    return true;
  }
  return false;
}

void group_move(HWND dlg, HWND focus, bool previous) {
  HWND next = GetNextDlgGroupItem(dlg, focus, previous ? TRUE : FALSE);
  if (next == nullptr || next == focus) return;
  dialog_set_focus(dlg, next);
  // An automatic radio button is checked as it gets the focus.
  if ((style_of(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON && (dlg_code(next) & DLGC_RADIOBUTTON))
    SendMessageA(next, BM_CLICK, 0, 0);
}

void restore_focus(HWND dlg) {
  DialogData* d = dialog_data(dlg);
  if (d == nullptr) return;
  HWND f = d->focus;
  const bool moved = d->focus_moved;
  d->focus_moved = false;
  if (f == nullptr || !IsWindow(f) || !IsChild(dlg, f) || !usable(f))
    f = GetNextDlgTabItem(dlg, nullptr, FALSE);
  if (f == nullptr) return;
  if (moved)
    dialog_set_focus(dlg, f);
  else
    SetFocus(f);
}

LRESULT default_dialog(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  DialogData* d = dialog_data(dlg);
  if (d == nullptr) return DefWindowProcA(dlg, msg, wp, lp);
  LRESULT result = 0;
  if (font_message(dlg, msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_ERASEBKGND: {
      auto brush = reinterpret_cast<HBRUSH>(
          SendMessageA(dlg, WM_CTLCOLORDLG, wp, reinterpret_cast<LPARAM>(dlg)));
      if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
      RECT r = client_of(dlg);
      FillRect(reinterpret_cast<HDC>(wp), &r, brush);
      return 1;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f != nullptr && IsChild(dlg, f)) {
          d->focus = f;
          d->focus_moved = false;
        }
      } else {
        restore_focus(dlg);
      }
      return 0;
    case WM_SETFOCUS:
      restore_focus(dlg);
      return 0;
    case WM_CLOSE:
      if (HWND cancel = GetDlgItem(dlg, IDCANCEL); cancel == nullptr || IsWindowEnabled(cancel))
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
      return 0;
    case DM_GETDEFID:
      return d->def_id != 0 ? MAKELPARAM(static_cast<WORD>(d->def_id), DC_HASDEFID) : 0;
    case DM_SETDEFID:
      d->def_id = static_cast<int>(wp);
      update_default_button(dlg, GetFocus());
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND target = nullptr;
      if (LOWORD(lp) != 0) {
        target = reinterpret_cast<HWND>(wp);
      } else {
        HWND cur = control_holding(dlg, GetFocus());
        target = GetNextDlgTabItem(dlg, cur, wp != 0 ? TRUE : FALSE);
        if (target != nullptr) target = checked_in_group(dlg, target);
      }
      if (target == nullptr || !IsChild(dlg, target)) return 0;
      // A dialog behind the active window (a box of its own in front of it)
      // keeps the move for when it is active again: moving the focus does
      // not bring it to the front.
      Window* w = find(dlg);
      if (w != nullptr && toplevel_of(*w)->handle != GetActiveWindow()) {
        d->focus = target;
        d->focus_moved = true;
        return 0;
      }
      dialog_set_focus(dlg, target);
      return 0;
    }
    case WM_NCDESTROY:
      if (d->own_font && d->font != nullptr) DeleteObject(d->font);
      d->font = nullptr;
      if (d->disabled_owner != nullptr) EnableWindow(d->disabled_owner, TRUE);
      return DefWindowProcA(dlg, msg, wp, lp);
    default:
      return DefWindowProcA(dlg, msg, wp, lp);
  }
}

bool result_direct(UINT msg) {
  return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC);
}

}  // namespace

DialogData* dialog_data(HWND dlg) { return data_of<DialogData>(dlg); }

bool is_dialog(HWND h) { return dialog_data(h) != nullptr; }

std::vector<HWND> dialog_controls(HWND dlg) {
  Window* w = find(dlg);
  if (w == nullptr) return {};
  // The tree keeps children topmost first, the newest on top.
  return std::vector<HWND>(w->children.rbegin(), w->children.rend());
}

HWND control_holding(HWND dlg, HWND wnd) {
  for (Window* w = find(wnd); w != nullptr; w = find(w->parent))
    if (w->parent == dlg) return w->handle;
  return nullptr;
}

void update_default_button(HWND dlg, HWND focus) {
  DialogData* d = dialog_data(dlg);
  if (d == nullptr) return;
  HWND f = control_holding(dlg, focus);
  const bool focus_is_push = f != nullptr && is_push(dlg_code(f));
  for (HWND c : dialog_controls(dlg)) {
    const LRESULT code = dlg_code(c);
    if (!is_push(code)) continue;
    const bool want = focus_is_push ? c == f : control_id(c) == d->def_id;
    const bool is_def = (code & DLGC_DEFPUSHBUTTON) != 0;
    if (want != is_def) SendMessageA(c, BM_SETSTYLE, want ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void dialog_set_focus(HWND dlg, HWND control) {
  if (control == nullptr) return;
  SetFocus(control);
  if (GetFocus() == control && (dlg_code(control) & DLGC_HASSETSEL))
    SendMessageA(control, EM_SETSEL, 0, -1);
  update_default_button(dlg, GetFocus());
}

LRESULT dialog_class_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    make_data<DialogData>(dlg);
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
    if (cs != nullptr) dialog_init_param(reinterpret_cast<LPARAM>(cs->lpCreateParams), dlg);
  }
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dlg, DWLP_DLGPROC));
  if (proc != nullptr) {
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
    const INT_PTR r = proc(dlg, msg, wp, lp);
    if (r != 0) {
      if (result_direct(msg)) return r;
      return IsWindow(dlg) ? GetWindowLongPtrA(dlg, DWLP_MSGRESULT) : 0;
    }
    if (!IsWindow(dlg)) return 0;
  }
  return default_dialog(dlg, msg, wp, lp);
}

}  // namespace win::detail

namespace win {

using namespace detail;

LRESULT DefDlgProcA(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  return dialog_class_proc(dlg, msg, wp, lp);
}

HWND GetNextDlgTabItem(HWND dlg, HWND control, BOOL previous) {
  auto cs = dialog_controls(dlg);
  if (cs.empty()) return nullptr;
  if (previous) std::reverse(cs.begin(), cs.end());
  HWND from = control_holding(dlg, control);
  auto it = std::find(cs.begin(), cs.end(), from);
  const std::size_t start = it == cs.end() ? 0 : static_cast<std::size_t>(it - cs.begin()) + 1;
  for (std::size_t n = 0; n < cs.size(); ++n) {
    HWND c = cs[(start + n) % cs.size()];
    if ((style_of(c) & WS_TABSTOP) && usable(c)) return c;
  }
  return from;
}

HWND GetNextDlgGroupItem(HWND dlg, HWND control, BOOL previous) {
  auto cs = dialog_controls(dlg);
  HWND from = control_holding(dlg, control);
  auto it = std::find(cs.begin(), cs.end(), from);
  if (it == cs.end()) return nullptr;
  const std::size_t i = static_cast<std::size_t>(it - cs.begin());
  const std::size_t s = group_start(cs, i), e = group_end(cs, i), n = e - s;
  for (std::size_t k = 1; k < n; ++k) {
    const std::size_t j = previous ? s + (i - s + n - k) % n : s + (i - s + k) % n;
    if (usable(cs[j])) return cs[j];
  }
  return from;
}

BOOL IsDialogMessageA(HWND dlg, MSG* msg) {
  if (msg == nullptr || !IsWindow(dlg)) return FALSE;
  if (msg->hwnd != dlg && !IsChild(dlg, msg->hwnd)) return FALSE;
  const UINT m = msg->message;
  if (m == WM_KEYDOWN || m == WM_CHAR || m == WM_SYSCHAR) {
    const LRESULT code = msg->hwnd != dlg ? dlg_code(msg->hwnd, msg) : 0;
    HWND focus = control_holding(dlg, msg->hwnd);
    if (m == WM_KEYDOWN && (code & DLGC_WANTMESSAGE) == 0) {
      switch (msg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          SendMessageA(dlg, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
          return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
          if (code & DLGC_WANTARROWS) break;
          if (focus != nullptr)
            group_move(dlg, focus, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
          return TRUE;
        case VK_ESCAPE:
          SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
          return TRUE;
        case VK_RETURN:
          press_enter(dlg, focus);
          return TRUE;
        default:
          break;
      }
    } else if (m == WM_CHAR && (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) == 0 &&
               !(msg->wParam == '\t' && (code & DLGC_WANTTAB))) {
      if (msg->wParam > ' ' && mnemonic(dlg, focus, static_cast<unsigned char>(msg->wParam)))
        return TRUE;
    } else if (m == WM_SYSCHAR) {
      if (mnemonic(dlg, focus, static_cast<unsigned char>(msg->wParam))) return TRUE;
    }
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}

}  // namespace win
