// Keyboard focus, activation of top-level windows, mouse capture, enabling
// and disabling, and the window under a point.
#include <algorithm>

#include "platform/backend.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

HWND focus_wnd = nullptr;
HWND active_wnd = nullptr;
HWND capture_wnd = nullptr;

WPARAM activate_wparam(WORD how, const Window& w) {
  return MAKEWPARAM(how, (w.style & WS_MINIMIZE) ? 1 : 0);
}

void kill_focus_in(HWND root) {
  if (focus_wnd != nullptr && is_descendant(root, focus_wnd)) {
    HWND f = focus_wnd;
    focus_wnd = nullptr;
    send(f, WM_KILLFOCUS, 0, 0);
  }
}

// Another top-level window to activate when `gone` stops being active: its
// owner when that can be, else the topmost visible, enabled one.
HWND next_active(const Window& gone) {
  auto usable = [&](HWND h) {
    Window* w = find(h);
    return w != nullptr && h != gone.handle && !w->destroying && (w->style & WS_VISIBLE) &&
           (w->style & WS_DISABLED) == 0 && w->owner != gone.handle;
  };
  if (gone.owner != nullptr && usable(gone.owner)) return gone.owner;
  for (HWND h : desktop().children)
    if (usable(h)) return h;
  return nullptr;
}

void leave_active(Window& w) {
  if (active_wnd != w.handle) return;
  HWND next = next_active(w);
  if (next != nullptr) {
    activate(next, WA_ACTIVE);
  } else {
    active_wnd = nullptr;
    w.nc_dirty = true;
    paint_maybe_pending = true;
    call(w, WM_ACTIVATE, activate_wparam(WA_INACTIVE, w), 0);
  }
}

}  // namespace

void activate(HWND h, WORD how) {
  Window* w = find(h);
  if (w == nullptr || !is_toplevel(*w) || active_wnd == h) return;
  HWND old = active_wnd;
  if (Window* o = find(old)) {
    o->nc_dirty = true;
    paint_maybe_pending = true;
    call(*o, WM_ACTIVATE, activate_wparam(WA_INACTIVE, *o), reinterpret_cast<LPARAM>(h));
  }
  w = find(h);
  if (w == nullptr) return;
  active_wnd = h;
  // The display hears of the old window once it is no longer the active
  // one: while it still were, the display would hand the focus back to it
  // (the window manager's activation of another window undone).
  if (find(old) != nullptr) plat::backend().window_changed(old);
  auto& tops = desktop().children;
  std::erase(tops, h);
  tops.insert(tops.begin(), h);
  w->nc_dirty = true;
  paint_maybe_pending = true;
  call(*w, WM_ACTIVATE, activate_wparam(how, *w), reinterpret_cast<LPARAM>(old));
  // The focus does not stay behind in a window that is no longer active.
  if (active_wnd == h && focus_wnd != nullptr && !is_descendant(h, focus_wnd)) {
    HWND f = focus_wnd;
    focus_wnd = nullptr;
    send(f, WM_KILLFOCUS, 0, 0);
  }
  if (find(h) != nullptr) plat::backend().window_changed(h);
}

void before_destroy_input(Window& root) {
  HWND h = root.handle;
  if (capture_wnd != nullptr && is_descendant(h, capture_wnd)) {
    HWND c = capture_wnd;
    capture_wnd = nullptr;
    send(c, WM_CAPTURECHANGED, 0, 0);
  }
  kill_focus_in(h);
  if (Window* w = find(h)) leave_active(*w);
}

void before_hide_input(Window& w) {
  HWND h = w.handle;
  kill_focus_in(h);
  if (Window* wp = find(h)) leave_active(*wp);
}

void reset_input_state() { focus_wnd = active_wnd = capture_wnd = nullptr; }

}  // namespace win::detail

namespace win {

using namespace detail;

BOOL EnableWindow(HWND wnd, BOOL enable) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return FALSE;
  BOOL was_disabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && was_disabled) {
    w->style &= ~WS_DISABLED;
    call(*w, WM_ENABLE, TRUE, 0);
  } else if (!enable && !was_disabled) {
    w->style |= WS_DISABLED;
    kill_focus_in(wnd);
    if (Window* wp = find(wnd)) call(*wp, WM_ENABLE, FALSE, 0);
  }
  return was_disabled;
}

BOOL IsWindowEnabled(HWND wnd) {
  Window* w = find(wnd);
  return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

HWND SetFocus(HWND wnd) {
  HWND old = focus_wnd;
  if (wnd == nullptr) {
    if (old != nullptr) {
      focus_wnd = nullptr;
      send(old, WM_KILLFOCUS, 0, 0);
    }
    return old;
  }
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return nullptr;
  if (focus_wnd == wnd) return wnd;
  HWND top = toplevel_of(*w)->handle;
  if (active_wnd != top) {
    activate(top, WA_ACTIVE);
    if (find(wnd) == nullptr) return nullptr;
    if (focus_wnd == wnd) return old;
  }
  // The focus moves first: a window that takes it back while it loses it
  // (a field refusing its text) keeps it, and the target is not told.
  HWND before = focus_wnd;
  focus_wnd = wnd;
  if (before != nullptr) send(before, WM_KILLFOCUS, reinterpret_cast<WPARAM>(wnd), 0);
  if (find(wnd) == nullptr) {
    if (focus_wnd == wnd) focus_wnd = nullptr;
    return nullptr;
  }
  if (focus_wnd != wnd) return old;
  send(wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(before), 0);
  return old;
}

HWND GetFocus() { return focus_wnd; }

HWND SetActiveWindow(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr || !is_toplevel(*w)) return nullptr;
  HWND old = active_wnd;
  activate(wnd, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() { return active_wnd; }

BOOL SetForegroundWindow(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return FALSE;
  activate(toplevel_of(*w)->handle, WA_ACTIVE);
  return TRUE;
}

HWND GetForegroundWindow() { return active_wnd; }

HWND SetCapture(HWND wnd) {
  HWND old = capture_wnd;
  if (find(wnd) == nullptr || wnd == desktop_handle()) return old;
  capture_wnd = wnd;
  if (old != nullptr && old != wnd) send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(wnd));
  return old;
}

BOOL ReleaseCapture() {
  HWND old = capture_wnd;
  capture_wnd = nullptr;
  if (old != nullptr) send(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return capture_wnd; }

BOOL GetCursorPos(POINT* pt) {
  if (pt == nullptr) return FALSE;
  *pt = cursor_pos();
  return TRUE;
}

namespace {

bool contains(const Window& w, POINT screen) {
  POINT o = window_origin_on_screen(w);
  return screen.x >= o.x && screen.x < o.x + width(w) && screen.y >= o.y &&
         screen.y < o.y + height(w);
}

bool in_client(const Window& w, POINT screen) {
  POINT o = client_origin_on_screen(w);
  return screen.x >= o.x && screen.x < o.x + client_width(w) && screen.y >= o.y &&
         screen.y < o.y + client_height(w);
}

HWND descend(Window& w, POINT pt) {
  if (!in_client(w, pt)) return w.handle;
  for (HWND c : w.children) {
    Window* cw = find(c);
    if (cw == nullptr || (cw->style & WS_VISIBLE) == 0 || !contains(*cw, pt)) continue;
    if (cw->style & WS_DISABLED) continue;  // the point goes to what lies below
    return descend(*cw, pt);
  }
  return w.handle;
}

}  // namespace

HWND WindowFromPoint(POINT pt) {
  for (HWND t : desktop().children) {
    Window* w = find(t);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0 || (w->style & WS_MINIMIZE)) continue;
    if (contains(*w, pt)) return descend(*w, pt);
  }
  return nullptr;
}

}  // namespace win
