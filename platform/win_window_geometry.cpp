// Where windows are and how big: showing, hiding, minimising and
// maximising, moving and sizing with WM_MOVE and WM_SIZE, rectangles and
// coordinate conversions, the frame and the system metrics.
#include <algorithm>

#include "platform/backend.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

int cascade_step = 0;

LPARAM size_lparam(const Window& w) {
  return MAKELPARAM(static_cast<WORD>(client_width(w)), static_cast<WORD>(client_height(w)));
}

LPARAM move_lparam(const Window& w) {
  POINT o{w.rect.left + w.client.left, w.rect.top + w.client.top};
  return MAKELPARAM(static_cast<WORD>(o.x), static_cast<WORD>(o.y));
}

// The rectangle a maximised window takes: the screen, or the parent's
// client area.
RECT maximized_rect(const Window& w) {
  if (is_toplevel(w)) {
    win::SIZE s = plat::backend().screen_size();
    return {0, 0, s.cx, s.cy};
  }
  Window* p = find(w.parent);
  return p == nullptr ? w.rect : RECT{0, 0, client_width(*p), client_height(*p)};
}

void notify_changed(Window& w) {
  if (is_toplevel(w)) plat::backend().window_changed(w.handle);
}

// Shows a hidden window (WM_SHOWWINDOW when asked); false when it is gone.
bool show(HWND h, bool send_show) {
  Window* w = find(h);
  if (w == nullptr) return false;
  if (w->style & WS_VISIBLE) return true;
  if (send_show) {
    call(*w, WM_SHOWWINDOW, TRUE, 0);
    w = find(h);
    if (w == nullptr) return false;
  }
  w->style |= WS_VISIBLE;
  invalidate_all(*w);
  notify_changed(*w);
  return true;
}

void hide(HWND h, bool send_show) {
  Window* w = find(h);
  if (w == nullptr || (w->style & WS_VISIBLE) == 0) return;
  if (send_show) {
    call(*w, WM_SHOWWINDOW, FALSE, 0);
    w = find(h);
    if (w == nullptr) return;
  }
  before_hide_input(*w);
  w = find(h);
  if (w == nullptr) return;
  w->style &= ~WS_VISIBLE;
  if (!is_toplevel(*w)) invalidate_parent_area(*w, w->rect);
  notify_changed(*w);
}

void minimize(HWND h) {
  Window* w = find(h);
  if (w == nullptr || (w->style & WS_MINIMIZE)) return;
  w->style |= WS_MINIMIZE;
  call(*w, WM_SIZE, SIZE_MINIMIZED, 0);
  if (Window* wp = find(h)) notify_changed(*wp);
}

void maximize(HWND h) {
  Window* w = find(h);
  if (w == nullptr || (w->style & WS_MAXIMIZE)) return;
  if ((w->style & WS_MINIMIZE) == 0) w->normal_rect = w->rect;
  w->style = (w->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
  RECT r = maximized_rect(*w);
  if (r.left == w->rect.left && r.top == w->rect.top && r.right == w->rect.right &&
      r.bottom == w->rect.bottom) {
    call(*w, WM_SIZE, SIZE_MAXIMIZED, size_lparam(*w));
    invalidate_all(*w);
  } else {
    place_window(*w, r, true);
  }
}

void restore(HWND h) {
  Window* w = find(h);
  if (w == nullptr) return;
  bool was_min = (w->style & WS_MINIMIZE) != 0;
  if (was_min && (w->style & WS_MAXIMIZE) != 0) {
    // A maximised window that was minimised comes back maximised.
    w->style &= ~WS_MINIMIZE;
    call(*w, WM_SIZE, SIZE_MAXIMIZED, size_lparam(*w));
    if ((w = find(h)) != nullptr) {
      invalidate_all(*w);
      notify_changed(*w);
    }
  } else if (w->style & WS_MAXIMIZE) {
    w->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
    RECT r = w->normal_rect;
    place_window(*w, r, true);
    w = find(h);
    if (w == nullptr) return;
    if (was_min) {
      call(*w, WM_SIZE, SIZE_RESTORED, size_lparam(*w));
      if ((w = find(h)) != nullptr) invalidate_all(*w);
    }
  } else if (was_min) {
    w->style &= ~WS_MINIMIZE;
    call(*w, WM_SIZE, SIZE_RESTORED, size_lparam(*w));
    if ((w = find(h)) != nullptr) {
      invalidate_all(*w);
      notify_changed(*w);
    }
  }
}

}  // namespace

void reset_geometry() { cascade_step = 0; }

void screen_rect_default(DWORD, int& x, int& y, int& cx, int& cy) {
  win::SIZE s = plat::backend().screen_size();
  if (x == CW_USEDEFAULT) {
    x = y = 32 + 24 * (cascade_step++ % 8);
  }
  if (cx == CW_USEDEFAULT) {
    cx = s.cx * 3 / 4;
    cy = s.cy * 3 / 4;
  }
}

void place_window(Window& w, const RECT& new_rect_in, bool repaint) {
  HWND h = w.handle;
  RECT nr = new_rect_in;
  bool sized = nr.right - nr.left != width(w) || nr.bottom - nr.top != height(w);
  if (sized && is_toplevel(w)) {
    MINMAXINFO mmi;
    win::SIZE s = plat::backend().screen_size();
    mmi.ptMaxSize = {s.cx, s.cy};
    mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    call(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    if (find(h) == nullptr) return;
    nr.right =
        nr.left + std::clamp<LONG>(nr.right - nr.left, 0, std::max<LONG>(0, mmi.ptMaxTrackSize.x));
    nr.bottom =
        nr.top + std::clamp<LONG>(nr.bottom - nr.top, 0, std::max<LONG>(0, mmi.ptMaxTrackSize.y));
  }
  Window* wp = find(h);
  if (wp == nullptr) return;
  RECT old = wp->rect;
  int old_cw = client_width(*wp), old_ch = client_height(*wp);
  bool moved = nr.left != old.left || nr.top != old.top;
  sized = nr.right - nr.left != old.right - old.left || nr.bottom - nr.top != old.bottom - old.top;
  if (!moved && !sized) return;
  bool top = is_toplevel(*wp);
  if (!top && repaint && visible_chain(*wp)) invalidate_parent_area(*wp, old);
  wp->rect = nr;
  recompute_client(*wp);
  if (top && sized) resize_surface(*wp);
  if (repaint) {
    if (!top && moved) {
      invalidate_all(*wp);
    } else if (sized) {
      wp->nc_dirty = true;
      UINT cs = wp->cls->style;
      int cw = client_width(*wp), ch = client_height(*wp);
      if (((cs & CS_HREDRAW) && cw != old_cw) || ((cs & CS_VREDRAW) && ch != old_ch)) {
        invalidate(*wp, nullptr, true);
      } else {
        if (cw > old_cw) {
          RECT r{old_cw, 0, cw, ch};
          invalidate(*wp, &r, true);
        }
        if (ch > old_ch) {
          RECT r{0, old_ch, cw, ch};
          invalidate(*wp, &r, true);
        }
        paint_maybe_pending = true;
      }
    }
  }
  if (moved) {
    call(*wp, WM_MOVE, 0, move_lparam(*wp));
    if ((wp = find(h)) == nullptr) return;
  }
  if (sized) {
    const WPARAM type = (wp->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                        : (wp->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                    : SIZE_RESTORED;
    call(*wp, WM_SIZE, type, size_lparam(*wp));
    if ((wp = find(h)) == nullptr) return;
  }
  notify_changed(*wp);
}

}  // namespace win::detail

namespace win {

using namespace detail;

BOOL ShowWindow(HWND wnd, int cmd) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return FALSE;
  BOOL was_visible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
  bool top = is_toplevel(*w);
  bool activate_it = false;
  switch (cmd) {
    case SW_HIDE:
      hide(wnd, true);
      return was_visible;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      if (!show(wnd, true)) return was_visible;
      minimize(wnd);
      break;
    case SW_SHOWMAXIMIZED:
      if (!show(wnd, true)) return was_visible;
      maximize(wnd);
      activate_it = true;
      break;
    case SW_SHOWNOACTIVATE:
      if (!show(wnd, true)) return was_visible;
      restore(wnd);
      break;
    case SW_SHOWNA:
      show(wnd, true);
      break;
    case SW_SHOW:
      if (!show(wnd, true)) return was_visible;
      activate_it = true;
      break;
    default:  // SW_SHOWNORMAL, SW_RESTORE, SW_SHOWDEFAULT
      if (!show(wnd, true)) return was_visible;
      restore(wnd);
      activate_it = true;
      break;
  }
  if (activate_it && top && IsWindow(wnd) && (find(wnd)->style & WS_MINIMIZE) == 0)
    activate(wnd, WA_ACTIVE);
  return was_visible;
}

BOOL ShowWindowAsync(HWND wnd, int cmd) {
  if (find(wnd) == nullptr) return FALSE;
  ShowWindow(wnd, cmd);
  return TRUE;
}

BOOL IsWindowVisible(HWND wnd) {
  Window* w = find(wnd);
  return w != nullptr && visible_chain(*w) ? TRUE : FALSE;
}

BOOL IsIconic(HWND wnd) {
  Window* w = find(wnd);
  return w != nullptr && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND wnd) {
  Window* w = find(wnd);
  return w != nullptr && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(wnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND wnd, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return FALSE;
  bool redraw = (flags & SWP_NOREDRAW) == 0;
  if ((flags & SWP_NOZORDER) == 0 && insert_after != HWND_NOTOPMOST) {
    Window* p = find(w->parent);
    auto& sib = p->children;
    std::vector<HWND> before = sib;
    std::erase(sib, wnd);
    if (insert_after == HWND_TOP || insert_after == HWND_TOPMOST) {
      sib.insert(sib.begin(), wnd);
    } else if (insert_after == HWND_BOTTOM) {
      sib.push_back(wnd);
    } else {
      auto it = std::find(sib.begin(), sib.end(), insert_after);
      sib.insert(it == sib.end() ? sib.begin() : it + 1, wnd);
    }
    if (sib != before && redraw && visible_chain(*w) && !is_toplevel(*w)) invalidate_all(*w);
  }
  if (flags & SWP_FRAMECHANGED) {
    int cw = client_width(*w), ch = client_height(*w);
    recompute_client(*w);
    if (redraw) invalidate_all(*w);
    if (client_width(*w) != cw || client_height(*w) != ch) {
      call(*w, WM_SIZE, (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED,
           MAKELPARAM(static_cast<WORD>(client_width(*w)), static_cast<WORD>(client_height(*w))));
      if ((w = find(wnd)) == nullptr) return TRUE;
    }
  }
  RECT nr = w->rect;
  if ((flags & SWP_NOMOVE) == 0) {
    nr.right += x - nr.left;
    nr.bottom += y - nr.top;
    nr.left = x;
    nr.top = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    nr.right = nr.left + std::max(cx, 0);
    nr.bottom = nr.top + std::max(cy, 0);
  }
  place_window(*w, nr, redraw);
  if ((w = find(wnd)) == nullptr) return TRUE;
  if (flags & SWP_SHOWWINDOW) show(wnd, false);
  if (flags & SWP_HIDEWINDOW) hide(wnd, false);
  if ((w = find(wnd)) == nullptr) return TRUE;
  if (is_toplevel(*w) && (flags & SWP_NOACTIVATE) == 0 && (w->style & WS_VISIBLE))
    activate(wnd, WA_ACTIVE);
  return TRUE;
}

BOOL GetClientRect(HWND wnd, RECT* rect) {
  Window* w = find(wnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  if (w->style & WS_MINIMIZE)
    *rect = {0, 0, 0, 0};
  else
    *rect = {0, 0, client_width(*w), client_height(*w)};
  return TRUE;
}

BOOL GetWindowRect(HWND wnd, RECT* rect) {
  Window* w = find(wnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  POINT o = window_origin_on_screen(*w);
  *rect = {o.x, o.y, o.x + width(*w), o.y + height(*w)};
  return TRUE;
}

BOOL ClientToScreen(HWND wnd, POINT* pt) {
  Window* w = find(wnd);
  if (w == nullptr || pt == nullptr) return FALSE;
  POINT o = client_origin_on_screen(*w);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND wnd, POINT* pt) {
  Window* w = find(wnd);
  if (w == nullptr || pt == nullptr) return FALSE;
  POINT o = client_origin_on_screen(*w);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD ex_style) {
  if (rect == nullptr) return FALSE;
  // Like the classic call, the window's scroll bars are not counted.
  if ((style & (WS_CHILD | WS_POPUP)) == 0) style |= WS_CAPTION;
  constexpr int kBig = 1 << 20;
  RECT in = frame_insets(style & ~(WS_VSCROLL | WS_HSCROLL), ex_style, menu != 0, kBig, kBig,
                         (style & WS_CHILD) != 0);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += kBig - in.right;
  rect->bottom += kBig - in.bottom;
  return TRUE;
}

int GetSystemMetrics(int index) {
  win::SIZE s = plat::backend().screen_size();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED:
      return s.cx;
    case SM_CYSCREEN:
    case SM_CYMAXIMIZED:
      return s.cy;
    case SM_CYFULLSCREEN:
      return s.cy - kCaptionHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return kScrollBarWidth;
    case SM_CYCAPTION:
      return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return kBorderWidth;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return kDialogFrameWidth;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return kSizingFrameWidth;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return kEdgeWidth;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CYMENU:
      return kMenuBarHeight;
    case SM_CXSIZE:
    case SM_CYSIZE:
      return kCaptionHeight - 2;
    case SM_CXMIN:
      return 112;
    case SM_CYMIN:
      return kCaptionHeight + 2 * kSizingFrameWidth;
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMINTRACK:
      return kCaptionHeight + 2 * kSizingFrameWidth;
    case SM_CXMAXTRACK:
      return s.cx + 2 * kSizingFrameWidth + 4096;
    case SM_CYMAXTRACK:
      return s.cy + 2 * kSizingFrameWidth + 4096;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return kDoubleClickArea;
    case SM_CXDRAG:
    case SM_CYDRAG:
      return kDragDistance;
    case SM_MOUSEWHEELPRESENT:
      return 1;
    default:
      return 0;
  }
}

}  // namespace win
