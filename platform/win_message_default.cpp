// DefWindowProcA: what a window does with a message its procedure leaves to
// the system.
#include <algorithm>
#include <cstring>

#include "platform/backend.h"
#include "platform/win_cursor.h"
#include "platform/win_gdi.h"
#include "platform/win_menu.h"
#include "platform/win_message_keys.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

int hit_test(Window& w, POINT screen) {
  POINT o = window_origin_on_screen(w);
  int x = screen.x - o.x, y = screen.y - o.y;
  if (x < 0 || y < 0 || x >= width(w) || y >= height(w)) return HTNOWHERE;
  const RECT& c = w.client;
  if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return HTCLIENT;
  if ((w.style & WS_VSCROLL) && x >= c.right && x < c.right + kScrollBarWidth && y >= c.top &&
      y < c.bottom)
    return HTVSCROLL;
  if ((w.style & WS_HSCROLL) && y >= c.bottom && y < c.bottom + kScrollBarWidth && x >= c.left &&
      x < c.right)
    return HTHSCROLL;
  const int b = border_width(w.style, w.ex_style);
  int top = b;
  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    if (y >= top && y < top + kCaptionHeight && x >= b && x < width(w) - b) return HTCAPTION;
    top += kCaptionHeight;
  }
  if (is_toplevel(w) && w.menu != nullptr && y >= top && y < top + kMenuBarHeight) return HTMENU;
  return HTBORDER;
}

void send_to_top(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
  Window* t = toplevel_of(w);
  if (t != nullptr && t->handle != desktop_handle()) SendMessageA(t->handle, msg, wp, lp);
}

LRESULT erase_background(Window& w, HDC dc) {
  HBRUSH brush = w.cls->background;
  if (brush == nullptr || dc == nullptr) return 0;
  RECT r{0, 0, client_width(w), client_height(w)};
  FillRect(dc, &r, brush);
  return 1;
}

LRESULT copy_text(const Window& w, WPARAM max_count, LPARAM buffer) {
  auto* out = reinterpret_cast<char*>(buffer);
  if (out == nullptr || max_count == 0) return 0;
  std::size_t n = std::min<std::size_t>(w.text.size(), max_count - 1);
  std::memcpy(out, w.text.data(), n);
  out[n] = '\0';
  return static_cast<LRESULT>(n);
}

void set_text(Window& w, LPARAM text) {
  auto* s = reinterpret_cast<const char*>(text);
  w.text = s != nullptr ? s : "";
  if (is_toplevel(w)) plat::backend().window_changed(w.handle);
  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    w.nc_dirty = true;
    paint_maybe_pending = true;
  }
}

}  // namespace

}  // namespace win::detail

namespace win {

using namespace detail;

LRESULT DefWindowProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
      if (cs != nullptr && cs->lpszName != nullptr &&
          reinterpret_cast<std::uintptr_t>(cs->lpszName) >= 0x10000)
        w->text = cs->lpszName;
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(wnd);
      return 0;
    case WM_ERASEBKGND:
      return erase_background(*w, reinterpret_cast<HDC>(wp));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(wnd, &ps);
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_NCPAINT:
      draw_frame(*w);
      return 0;
    case WM_SETTEXT:
      set_text(*w, lp);
      return TRUE;
    case WM_GETTEXT:
      return copy_text(*w, wp, lp);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && (w->style & WS_MINIMIZE) == 0) SetFocus(wnd);
      return 0;
    case WM_NCHITTEST: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      return hit_test(*w, pt);
    }
    case WM_SETCURSOR:
      // A child asks its parent first; the top-level window sets the cursor.
      if (!is_toplevel(*w)) return SendMessageA(w->parent, WM_SETCURSOR, wp, lp);
      return set_default_cursor(wp, lp);
    case WM_MOUSEWHEEL:
      if (!is_toplevel(*w)) return SendMessageA(w->parent, msg, wp, lp);
      return 0;
    case WM_KEYDOWN:
      if (wp == static_cast<WPARAM>(VK_F1) && GetKeyState(VK_CONTROL) >= 0) {
        HELPINFO hi;
        hi.iCtrlId = is_toplevel(*w) ? 0 : GetDlgCtrlID(wnd);
        hi.hItemHandle = reinterpret_cast<HANDLE>(wnd);
        GetCursorPos(&hi.MousePos);
        SendMessageA(wnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
      }
      return 0;
    case WM_HELP:
      if (!is_toplevel(*w)) return SendMessageA(w->parent, msg, wp, lp);
      return 0;
    case WM_NCLBUTTONDOWN: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (wp == HTVSCROLL || wp == HTHSCROLL)
        track_window_scroll_bar(wnd, static_cast<int>(wp), pt);
      if (wp == HTMENU) track_menu_bar(wnd, pt, true, 0);
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      // Fields on the window colour, everything else on the button face.
      const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
      auto dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(field ? COLOR_WINDOW
                                                        : msg == WM_CTLCOLORSCROLLBAR
                                                            ? COLOR_SCROLLBAR
                                                            : COLOR_BTNFACE));
    }
    case WM_SYSKEYDOWN:
      if (wp == static_cast<WPARAM>(VK_F4) && (lp & (1 << 29))) {
        Window* t = toplevel_of(*w);
        if (t != nullptr && t->handle != desktop_handle())
          SendMessageA(t->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      if (wp == static_cast<WPARAM>(VK_F10)) send_to_top(*w, WM_SYSCOMMAND, SC_KEYMENU, 0);
      return 0;
    case WM_SYSKEYUP:
      // Alt pressed and released alone selects the menu bar.
      if (wp == static_cast<WPARAM>(VK_MENU) && alt_pressed_alone())
        send_to_top(*w, WM_SYSCOMMAND, SC_KEYMENU, 0);
      return 0;
    case WM_SYSCHAR:
      // Alt and a letter: the menu bar's item with that mnemonic.
      send_to_top(*w, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wp & 0xFF));
      return 0;
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_CLOSE:
          if ((w->cls->style & CS_NOCLOSE) == 0) SendMessageA(wnd, WM_CLOSE, 0, 0);
          return 0;
        case SC_MINIMIZE:
          ShowWindow(wnd, SW_MINIMIZE);
          return 0;
        case SC_MAXIMIZE:
          ShowWindow(wnd, SW_MAXIMIZE);
          return 0;
        case SC_RESTORE:
          ShowWindow(wnd, SW_RESTORE);
          return 0;
        case SC_KEYMENU:
          track_menu_bar(wnd, POINT{}, false, static_cast<unsigned char>(lp));
          return 0;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

}  // namespace win
