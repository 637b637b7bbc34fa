// The ComboBox class: a field (an Edit, or the chosen entry alone with
// CBS_DROPDOWNLIST) with a button that drops a ComboLBox list below it.
#include <algorithm>
#include <cstring>

#include "platform/win_combo_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

constexpr int kEditId = 1001;

struct ComboData : ControlBase {
  HWND edit = nullptr;
  HWND list = nullptr;
  bool dropped = false;
  int field_height = 0;
  int drop_height = 0;
  int selection_at_drop = -1;
};

ComboData* combo_data(HWND h) { return data_of<ComboData>(h); }

bool list_only(HWND h) { return (style_of(h) & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST; }

int button_width() { return GetSystemMetrics(SM_CXVSCROLL); }

RECT field_rect(HWND h) {
  RECT r = client_of(h);
  return {2, 2, std::max(2, r.right - 2 - button_width()), std::max(2, r.bottom - 2)};
}

RECT button_rect(HWND h) {
  RECT r = client_of(h);
  return {std::max(2, r.right - 2 - button_width()), 2, r.right - 2, std::max(2, r.bottom - 2)};
}

std::string item_text(HWND list, int i) {
  const LRESULT n = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
  if (n < 0) return {};
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<std::size_t>(n));
  return s;
}

int current(const ComboData& d) {
  return static_cast<int>(SendMessageA(d.list, LB_GETCURSEL, 0, 0));
}

// The field shows entry i (nothing for -1).
void show_entry(HWND h, ComboData& d, int i) {
  SendMessageA(d.list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  if (d.edit != nullptr) {
    const std::string t = i >= 0 ? item_text(d.list, i) : std::string();
    SetWindowTextA(d.edit, t.c_str());
    if (has_focus(d.edit)) SendMessageA(d.edit, EM_SETSEL, 0, -1);
  }
  InvalidateRect(h, nullptr, FALSE);
}

void layout(HWND h, ComboData& d) {
  if (d.edit == nullptr) return;
  const RECT f = field_rect(h);
  MoveWindow(d.edit, f.left, f.top, f.right - f.left, f.bottom - f.top, TRUE);
}

void set_field_height(HWND h, ComboData& d) {
  d.field_height = line_height(control_font(h)) + 6;
  RECT r = client_of(h);
  if (r.bottom != d.field_height)
    SetWindowPos(h, nullptr, 0, 0, r.right, d.field_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  layout(h, d);
}

void drop(HWND h, ComboData& d) {
  if (d.dropped || d.list == nullptr) return;
  notify_parent(h, CBN_DROPDOWN);
  if ((d.list == nullptr) || combo_data(h) == nullptr) return;
  RECT wr;
  GetWindowRect(h, &wr);
  const int items = static_cast<int>(SendMessageA(d.list, LB_GETCOUNT, 0, 0));
  const int ih = line_height(control_font(h));
  const int height = std::max(ih + 2, std::min(d.drop_height, std::max(1, items) * ih + 2));
  d.selection_at_drop = current(d);
  d.dropped = true;
  SetWindowPos(d.list, HWND_TOPMOST, wr.left, wr.bottom, wr.right - wr.left, height,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  if (d.selection_at_drop >= 0)
    SendMessageA(d.list, LB_SETCURSEL, static_cast<WPARAM>(d.selection_at_drop), 0);
  SetCapture(d.list);
  InvalidateRect(h, nullptr, FALSE);
}

void close_up(HWND h, ComboData& d, bool accept) {
  if (!d.dropped) return;
  d.dropped = false;
  if (GetCapture() == d.list) ReleaseCapture();
  ShowWindow(d.list, SW_HIDE);
  const int now = current(d);
  if (accept && now >= 0) {
    show_entry(h, d, now);
    if (now != d.selection_at_drop) notify_parent(h, CBN_SELCHANGE);
  } else if (!accept) {
    SendMessageA(d.list, LB_SETCURSEL, static_cast<WPARAM>(d.selection_at_drop), 0);
  }
  if (combo_data(h) != nullptr) notify_parent(h, CBN_CLOSEUP);
  InvalidateRect(h, nullptr, FALSE);
}

// Up and Down choose the entry before or after (the list follows while
// dropped).
void step(HWND h, ComboData& d, int by) {
  const int n = static_cast<int>(SendMessageA(d.list, LB_GETCOUNT, 0, 0));
  if (n == 0) return;
  const int now = current(d);
  // From no choice, forwards starts before the first entry, backwards
  // after the last.
  const int to = std::clamp((now < 0 ? (by > 0 ? -1 : n) : now) + by, 0, n - 1);
  if (to == now) return;
  show_entry(h, d, to);
  notify_parent(h, CBN_SELCHANGE);
}

void paint(HWND h, HDC dc, const ComboData& d) {
  const bool enabled = IsWindowEnabled(h) != FALSE;
  RECT r = client_of(h);
  HBRUSH bg = ask_colors(h, dc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  FillRect(dc, &r, bg);
  draw_sunken(dc, r);
  draw_arrow_button(dc, button_rect(h), 1, d.dropped, enabled);
  if (d.edit != nullptr) return;
  // A list-only box shows the chosen entry, highlighted while focused.
  RECT f = field_rect(h);
  const int cur = current(d);
  SetBkMode(dc, TRANSPARENT);
  if (has_focus(h) && !d.dropped) {
    fill(dc, {f.left + 1, f.top + 1, f.right - 1, f.bottom - 1}, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    draw_focus_rect(dc, {f.left + 1, f.top + 1, f.right - 1, f.bottom - 1});
  }
  if (cur >= 0) {
    const std::string t = item_text(d.list, cur);
    RECT tr{f.left + 3, f.top, f.right, f.bottom};
    draw_label(dc, t, tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, enabled);
  }
}

}  // namespace

HWND combo_of(HWND h) {
  HWND parent = GetParent(h);
  if (parent != nullptr && combo_data(parent) != nullptr) return parent;
  for (HWND c : all_windows()) {
    ComboData* d = combo_data(c);
    if (d != nullptr && d->list == h) return c;
  }
  return nullptr;
}

bool combo_field_key(HWND h, WPARAM vk) {
  ComboData* d = combo_data(h);
  if (d == nullptr) return false;
  const bool alt = GetKeyState(VK_MENU) < 0;
  switch (vk) {
    case VK_F4:
      d->dropped ? close_up(h, *d, true) : drop(h, *d);
      return true;
    case VK_UP:
    case VK_DOWN:
      if (alt) {
        d->dropped ? close_up(h, *d, true) : drop(h, *d);
        return true;
      }
      step(h, *d, vk == VK_UP ? -1 : 1);
      return true;
    case VK_RETURN:
    case VK_ESCAPE:
      if (!d->dropped) return false;
      close_up(h, *d, vk == VK_RETURN);
      return true;
    default:
      return false;
  }
}

LRESULT combo_list_click(HWND combo, HWND list, POINT p, bool down) {
  ComboData* d = combo_data(combo);
  if (d == nullptr || !d->dropped) return 0;
  RECT c = client_of(list);
  const bool in = p.x >= 0 && p.y >= 0 && p.x < c.right && p.y < c.bottom;
  if (down) {
    if (in) return 0;
    POINT scr = p;
    ClientToScreen(list, &scr);
    RECT wr;
    GetWindowRect(list, &wr);
    if (scr.x >= wr.left && scr.x < wr.right && scr.y >= wr.top && scr.y < wr.bottom) {
      // The list's own scroll bar.
      track_window_scroll_bar(list, HTVSCROLL, scr);
      if ((d = combo_data(combo)) != nullptr && d->dropped) SetCapture(list);
      return 0;
    }
    close_up(combo, *d, false);
    return 0;
  }
  if (in && current(*d) >= 0) close_up(combo, *d, true);
  return 0;
}

LRESULT combo_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) make_data<ComboData>(h);
  ComboData* d = combo_data(h);
  if (d == nullptr) return DefWindowProcA(h, msg, wp, lp);
  switch (msg) {
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
      // A scroll-bar style is the list's, not the box's.
      if (style_of(h) & (WS_VSCROLL | WS_HSCROLL)) {
        SetWindowLongA(h, GWL_STYLE, static_cast<LONG>(style_of(h) & ~(WS_VSCROLL | WS_HSCROLL)));
        SetWindowPos(h, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      const int lh = line_height(control_font(h));
      d->field_height = lh + 6;
      d->drop_height = std::max(lh + 2, cs->cy - d->field_height);
      if (!list_only(h)) {
        d->edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                  h, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kEditId)),
                                  nullptr, nullptr);
      }
      if ((d = combo_data(h)) == nullptr) return -1;
      d->list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ComboLBox", "",
                                WS_POPUP | WS_BORDER | WS_VSCROLL, 0, 0, cs->cx, d->drop_height, h,
                                nullptr, nullptr, h);
      if ((d = combo_data(h)) == nullptr || d->list == nullptr) return -1;
      set_field_height(h, *d);
      return 0;
    }
    case WM_DESTROY:
      if (IsWindow(d->list)) DestroyWindow(d->list);
      if ((d = combo_data(h)) != nullptr) d->list = nullptr;
      return 0;
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      if (d->edit != nullptr) SendMessageA(d->edit, WM_SETFONT, wp, lp);
      SendMessageA(d->list, WM_SETFONT, wp, lp);
      set_field_height(h, *d);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case WM_SIZE:
      layout(h, *d);
      return 0;
    case WM_PAINT: {
      ControlPaint p(h);
      if (p.dc != nullptr) paint(h, p.dc, *d);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      if (d->edit != nullptr) EnableWindow(d->edit, static_cast<BOOL>(wp));
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      const auto* m = reinterpret_cast<const MSG*>(lp);
      if (d->dropped && m != nullptr && m->message == WM_KEYDOWN &&
          (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETFOCUS:
      if (d->edit != nullptr) {
        SetFocus(d->edit);
      } else {
        InvalidateRect(h, nullptr, FALSE);
        notify_parent(h, CBN_SETFOCUS);
      }
      return 0;
    case WM_KILLFOCUS:
      if (d->edit == nullptr) {
        close_up(h, *d, false);
        InvalidateRect(h, nullptr, FALSE);
        notify_parent(h, CBN_KILLFOCUS);
      }
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lp) == d->edit && d->edit != nullptr) {
        switch (HIWORD(wp)) {
          case EN_SETFOCUS:
            SendMessageA(d->edit, EM_SETSEL, 0, -1);
            notify_parent(h, CBN_SETFOCUS);
            break;
          case EN_KILLFOCUS:
            close_up(h, *d, false);
            notify_parent(h, CBN_KILLFOCUS);
            break;
          case EN_CHANGE:
            notify_parent(h, CBN_EDITCHANGE);
            break;
          default:
            break;
        }
      }
      return 0;
    case WM_KEYDOWN:
      if (combo_field_key(h, wp)) return 0;
      if (d->edit == nullptr && (wp == VK_HOME || wp == VK_END)) {
        const int n = static_cast<int>(SendMessageA(d->list, LB_GETCOUNT, 0, 0));
        step(h, *d, wp == VK_HOME ? -n : n);
      }
      return 0;
    case WM_SYSKEYDOWN:
      if ((wp == VK_DOWN || wp == VK_UP) && combo_field_key(h, wp)) return 0;
      return DefWindowProcA(h, msg, wp, lp);
    case WM_CHAR:
      if (d->edit == nullptr && wp >= ' ') {
        // A list-only box jumps to the next entry with that first letter.
        const int n = static_cast<int>(SendMessageA(d->list, LB_GETCOUNT, 0, 0));
        const int cur = current(*d);
        for (int k = 1; k <= n; ++k) {
          const int i = (std::max(cur, 0) + k) % n;
          const std::string t = item_text(d->list, i);
          if (!t.empty() && upper_key(static_cast<unsigned char>(t[0])) ==
                                upper_key(static_cast<unsigned char>(wp))) {
            show_entry(h, *d, i);
            notify_parent(h, CBN_SELCHANGE);
            break;
          }
        }
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const RECT b = button_rect(h);
      SetFocus(h);
      if ((d = combo_data(h)) == nullptr) return 0;
      if (d->edit == nullptr || (p.x >= b.left && p.x < b.right))
        d->dropped ? close_up(h, *d, true) : drop(h, *d);
      return 0;
    }
    case WM_SETTEXT:
      if (d->edit != nullptr) return SendMessageA(d->edit, msg, wp, lp);
      return DefWindowProcA(h, msg, wp, lp);
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      if (d->edit != nullptr) return SendMessageA(d->edit, msg, wp, lp);
      const int cur = current(*d);
      const std::string t = cur >= 0 ? item_text(d->list, cur) : std::string();
      if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(t.size());
      if (wp == 0 || lp == 0) return 0;
      const std::size_t n = std::min<std::size_t>(t.size(), wp - 1);
      std::memcpy(reinterpret_cast<char*>(lp), t.data(), n);
      reinterpret_cast<char*>(lp)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case CB_ADDSTRING:
      return SendMessageA(d->list, LB_ADDSTRING, wp, lp);
    case CB_RESETCONTENT:
      SendMessageA(d->list, LB_RESETCONTENT, 0, 0);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case CB_GETCOUNT:
      return SendMessageA(d->list, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL:
      return SendMessageA(d->list, LB_GETCURSEL, 0, 0);
    case CB_GETLBTEXT:
      return SendMessageA(d->list, LB_GETTEXT, wp, lp);
    case CB_SETITEMDATA:
      return SendMessageA(d->list, LB_SETITEMDATA, wp, lp);
    case CB_GETITEMDATA:
      return SendMessageA(d->list, LB_GETITEMDATA, wp, lp);
    case CB_SETCURSEL: {
      const int n = static_cast<int>(SendMessageA(d->list, LB_GETCOUNT, 0, 0));
      const int i = static_cast<int>(wp);
      show_entry(h, *d, i >= 0 && i < n ? i : -1);
      return i >= 0 && i < n ? i : CB_ERR;
    }
    case CB_SELECTSTRING: {
      // The first entry after `start` that begins with the text.
      const std::string want = lp != 0 ? reinterpret_cast<const char*>(lp) : "";
      const int n = static_cast<int>(SendMessageA(d->list, LB_GETCOUNT, 0, 0));
      const int start = static_cast<int>(wp);
      for (int k = 1; k <= n; ++k) {
        const int i = ((start < 0 ? -1 : start) + k) % n;
        const std::string t = item_text(d->list, i);
        bool match = t.size() >= want.size();
        for (std::size_t c = 0; match && c < want.size(); ++c)
          match = upper_key(static_cast<unsigned char>(t[c])) ==
                  upper_key(static_cast<unsigned char>(want[c]));
        if (match) {
          show_entry(h, *d, i);
          return i;
        }
      }
      return CB_ERR;
    }
    case CB_SHOWDROPDOWN:
      wp ? drop(h, *d) : close_up(h, *d, true);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return d->dropped ? TRUE : FALSE;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail
