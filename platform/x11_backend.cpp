// The X11 back end: top-level windows shown as X windows, their pixels
// copied through cairo-xlib, and the display's events turned into input
// and into the ordinary calls (SetWindowPos, WM_SYSCOMMAND, activation).
#include "platform/x11_backend.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <cairo-xlib.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/cp1252.h"
#include "platform/surface_seam.h"
#include "platform/win_message_keys.h"
#include "platform/win_resources.h"
#include "platform/win_window_tree.h"

namespace plat::x11 {

namespace {

using WinRec = win::detail::Window;

std::unique_ptr<Backend> instance;

int ignore_error(Display*, XErrorEvent*) { return 0; }

bool empty(const win::RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool same(const win::RECT& a, const win::RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

win::RECT unite(const win::RECT& a, const win::RECT& b) {
  if (empty(a)) return b;
  if (empty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

win::RECT intersect(const win::RECT& a, const win::RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool is_managed(const WinRec& w) { return (w.style & win::WS_CAPTION) == win::WS_CAPTION; }

// The part of a window that its X window shows (window coordinates), at
// least one pixel.
win::RECT shown_part(const WinRec& w, bool managed) {
  const int cx = win::detail::width(w), cy = win::detail::height(w);
  win::RECT r{0, 0, cx, cy};
  if (managed) {
    const int b = win::detail::border_width(w.style, w.ex_style);
    r = {b, b + win::kCaptionHeight, cx - b, cy - b};
  }
  r.right = std::max(r.right, r.left + 1);
  r.bottom = std::max(r.bottom, r.top + 1);
  return r;
}

unsigned font_glyph(int shape) {
  switch (shape) {
    case 32513:
      return XC_xterm;
    case 32514:
    case 32650:
      return XC_watch;
    case 32515:
      return XC_crosshair;
    case 32516:
      return XC_center_ptr;
    case 32642:
      return XC_bottom_right_corner;
    case 32643:
      return XC_bottom_left_corner;
    case 32644:
      return XC_sb_h_double_arrow;
    case 32645:
      return XC_sb_v_double_arrow;
    case 32646:
      return XC_fleur;
    case 32648:
      return XC_X_cursor;
    case 32649:
      return XC_hand2;
    case 32651:
      return XC_question_arrow;
    default:
      return XC_left_ptr;
  }
}

}  // namespace

Backend* current() {
  return instance && &plat::backend() == instance.get() ? instance.get() : nullptr;
}

Backend::Backend(Display* dpy)
    : dpy_(dpy), screen_(DefaultScreen(dpy)), root_(RootWindow(dpy, screen_)) {
  wm_protocols_ = XInternAtom(dpy_, "WM_PROTOCOLS", False);
  wm_delete_ = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
  net_wm_name_ = XInternAtom(dpy_, "_NET_WM_NAME", False);
  net_wm_icon_name_ = XInternAtom(dpy_, "_NET_WM_ICON_NAME", False);
  utf8_string_ = XInternAtom(dpy_, "UTF8_STRING", False);
  net_active_window_ = XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False);
  input_idle_ = XInternAtom(dpy_, input_idle_name, False);
  input_ping_ = XInternAtom(dpy_, input_ping_name, False);
  // A window manager that follows the usual conventions names its check
  // window on the root.
  Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy_, root_, check, 0, 1, False, XA_WINDOW, &type, &format, &n, &after,
                         &data) == Success &&
      data != nullptr) {
    has_wm_ = n == 1;
    XFree(data);
  }
  // Keys held down repeat as key presses alone.
  XkbSetDetectableAutoRepeat(dpy_, True, nullptr);
  clipboard_ = std::make_unique<Clipboard>(dpy_);
}

Backend::~Backend() {
  XSync(dpy_, False);
  clipboard_.reset();
  for (auto& [h, x] : wins_) drop(x);
  for (auto& [shape, c] : cursors_) XFreeCursor(dpy_, c);
  if (device_ != nullptr) {
    // Cairo's records of the connection go before the connection.
    cairo_device_flush(device_);
    XSync(dpy_, False);
    cairo_device_finish(device_);
    cairo_device_destroy(device_);
  }
  XCloseDisplay(dpy_);
}

win::SIZE Backend::screen_size() const {
  return {DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)};
}

Window Backend::xid_of(win::HWND h) const {
  auto it = wins_.find(h);
  return it == wins_.end() ? 0 : it->second.xid;
}

win::HWND Backend::hwnd_of(Window xid) const {
  for (const auto& [h, x] : wins_)
    if (x.xid == xid) return h;
  return nullptr;
}

void Backend::make_xwindow(win::HWND h, XWin& x) {
  WinRec* w = win::detail::find(h);
  if (w == nullptr) return;
  x.managed = is_managed(*w);
  x.shown = shown_part(*w, x.managed);
  const win::POINT o = win::detail::window_origin_on_screen(*w);
  x.placed = {o.x + x.shown.left, o.y + x.shown.top, o.x + x.shown.right, o.y + x.shown.bottom};
  const int cx = x.placed.right - x.placed.left, cy = x.placed.bottom - x.placed.top;
  XSetWindowAttributes a{};
  a.background_pixmap = None;
  a.bit_gravity = NorthWestGravity;
  a.override_redirect = x.managed ? False : True;
  a.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                 ButtonReleaseMask | PointerMotionMask | StructureNotifyMask | FocusChangeMask;
  x.xid = XCreateWindow(dpy_, root_, x.placed.left, x.placed.top, cx, cy, 0, CopyFromParent,
                        InputOutput, CopyFromParent,
                        CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWEventMask, &a);
  std::string cls = w->cls->name;
  XClassHint ch{const_cast<char*>("ostrel"), cls.data()};
  XSetClassHint(dpy_, x.xid, &ch);
  XSetWMProtocols(dpy_, x.xid, &wm_delete_, 1);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(dpy_, x.xid, &hints);
  set_size_hints(h, x);
  x.title.clear();
  set_title(x, w->text);
  x.owner = nullptr;
  if (cursor_shape_ >= 0) XDefineCursor(dpy_, x.xid, cursor_for(cursor_shape_));
  x.target = cairo_xlib_surface_create(dpy_, x.xid, DefaultVisual(dpy_, screen_), cx, cy);
  if (device_ == nullptr) device_ = cairo_device_reference(cairo_surface_get_device(x.target));
  x.mapped = x.iconic = false;
  x.unmaps_expected = 0;
  std::fill(std::begin(x.idle), std::end(x.idle), -1);
}

void Backend::drop(XWin& x) {
  if (x.target != nullptr) {
    cairo_surface_finish(x.target);
    cairo_surface_destroy(x.target);
  }
  x.target = nullptr;
  if (x.xid != 0) XDestroyWindow(dpy_, x.xid);
  x.xid = 0;
  x.mapped = false;
}

void Backend::set_title(XWin& x, const std::string& text) {
  if (x.title == text && !x.title.empty()) return;
  x.title = text;
  const std::string latin = latin1_from_1252(text);
  const std::string utf8 = utf8_from_1252(text);
  auto put = [&](Atom prop, Atom type, const std::string& v) {
    XChangeProperty(dpy_, x.xid, prop, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(v.data()), static_cast<int>(v.size()));
  };
  put(XA_WM_NAME, XA_STRING, latin);
  put(XA_WM_ICON_NAME, XA_STRING, latin);
  put(net_wm_name_, utf8_string_, utf8);
  put(net_wm_icon_name_, utf8_string_, utf8);
}

void Backend::set_size_hints(win::HWND h, XWin& x) {
  WinRec* w = win::detail::find(h);
  if (w == nullptr || !x.managed) return;
  XSizeHints* sh = XAllocSizeHints();
  sh->flags = USPosition | PPosition | PSize | PWinGravity;
  sh->x = x.placed.left;
  sh->y = x.placed.top;
  sh->width = x.placed.right - x.placed.left;
  sh->height = x.placed.bottom - x.placed.top;
  // The window manager keeps the shown part where we put it and draws its
  // frame around it.
  sh->win_gravity = StaticGravity;
  if ((w->style & win::WS_THICKFRAME) == 0) {
    sh->flags |= PMinSize | PMaxSize;
    sh->min_width = sh->max_width = sh->width;
    sh->min_height = sh->max_height = sh->height;
  }
  XSetWMNormalHints(dpy_, x.xid, sh);
  XFree(sh);
}

void Backend::focus(win::HWND h, XWin& x) {
  if (has_wm_ && x.managed) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = x.xid;
    ev.xclient.message_type = net_active_window_;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = 1;  // asked by an application
    ev.xclient.data.l[1] = static_cast<long>(last_time_);
    XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  } else {
    // Nobody else hands out the focus.
    XRaiseWindow(dpy_, x.xid);
    XSetInputFocus(dpy_, x.xid, RevertToParent, CurrentTime);
  }
  // Shown pop-ups that the window owns (a tooltip) stay above it.
  for (auto& [other, o] : wins_) {
    const WinRec* w = win::detail::find(other);
    if (o.mapped && !o.managed && w != nullptr && w->owner == h) XRaiseWindow(dpy_, o.xid);
  }
  // Focus events of earlier requests are stale from here on.
  focus_serial_ = NextRequest(dpy_);
  focused_ = h;
}

void Backend::hand_focus(Window from, win::HWND to) {
  // Asked as of the user's last input: the server refuses the move when
  // the focus moved after it (the user went elsewhere meanwhile, and the
  // events that told of it are still on their way here).
  auto it = wins_.find(to);
  if (it == wins_.end() || !it->second.mapped || it->second.xid == 0 || last_time_ == CurrentTime)
    return;
  Window now = 0;
  int revert = 0;
  XGetInputFocus(dpy_, &now, &revert);
  // (Its focus events tell the program of the move, as the window
  // manager's would.)
  if (now == from) XSetInputFocus(dpy_, it->second.xid, RevertToParent, last_time_);
}

win::HWND Backend::successor(win::HWND h) {
  const win::HWND active = win::GetActiveWindow();
  if (active != nullptr && active != h) return active;
  const WinRec* w = win::detail::find(h);
  return w != nullptr ? w->owner : nullptr;
}

void Backend::sync(win::HWND h, XWin& x) {
  WinRec* w = win::detail::find(h);
  if (w == nullptr) return;
  if (x.xid == 0 || is_managed(*w) != x.managed) {
    drop(x);
    make_xwindow(h, x);
    if (x.xid == 0) return;
  }
  set_title(x, w->text);
  // A window that is minimised by itself (it has a minimise box: a
  // script's window) stays owned here but is no transient of its owner:
  // the window manager would minimise the owner and all its transients
  // with it. Dialogs and boxes stay transient, above their owner.
  const win::HWND transient_for = (w->style & win::WS_MINIMIZEBOX) != 0 ? nullptr : w->owner;
  if (transient_for != x.owner) {
    x.owner = transient_for;
    const Window owner = xid_of(transient_for);
    if (owner != 0)
      XSetTransientForHint(dpy_, x.xid, owner);
    else
      XDeleteProperty(dpy_, x.xid, XA_WM_TRANSIENT_FOR);
  }

  const win::RECT shown = shown_part(*w, x.managed);
  const win::POINT o = win::detail::window_origin_on_screen(*w);
  const win::RECT want{o.x + shown.left, o.y + shown.top, o.x + shown.right, o.y + shown.bottom};
  if (!same(shown, x.shown)) {
    x.shown = shown;
    x.damage = unite(x.damage, shown);
  }
  if (!same(want, x.placed)) {
    const int cx = want.right - want.left, cy = want.bottom - want.top;
    if (cx != x.placed.right - x.placed.left || cy != x.placed.bottom - x.placed.top)
      cairo_xlib_surface_set_size(x.target, cx, cy);
    x.placed = want;
    XMoveResizeWindow(dpy_, x.xid, want.left, want.top, cx, cy);
    set_size_hints(h, x);
  }

  const bool visible = (w->style & win::WS_VISIBLE) != 0;
  const bool minimized = (w->style & win::WS_MINIMIZE) != 0;
  // (A window the window manager minimised waits for its minimise message,
  // whatever is drawn meanwhile.)
  if (minimized) x.minimising = false;
  if (visible && !minimized && !x.mapped && !x.minimising) {
    XMapWindow(dpy_, x.xid);
    x.mapped = true;
    x.iconic = false;
    x.damage = x.shown;
  } else if ((!visible || minimized) && x.mapped) {
    hand_focus(x.xid, successor(h));
    if (visible && x.managed && has_wm_) {
      XIconifyWindow(dpy_, x.xid, screen_);
      x.iconic = true;
    } else {
      XUnmapWindow(dpy_, x.xid);
    }
    x.mapped = false;
    ++x.unmaps_expected;
    if (focused_ == h) focused_ = nullptr;
  }
  if (x.mapped && win::GetActiveWindow() == h && focused_ != h) focus(h, x);
  XFlush(dpy_);
}

void Backend::window_created(win::HWND h) {
  XWin& x = wins_[h];
  drop(x);  // a window of an earlier tree under the same handle
  x = XWin();
  sync(h, x);
}

void Backend::window_destroyed(win::HWND h) {
  auto it = wins_.find(h);
  if (it == wins_.end()) return;
  drop(it->second);
  wins_.erase(it);
  if (focused_ == h) focused_ = nullptr;
  if (caret_top_ == h) caret_top_ = nullptr;
  XFlush(dpy_);
}

void Backend::window_changed(win::HWND h) {
  WinRec* w = win::detail::find(h);
  if (w == nullptr || !win::detail::is_toplevel(*w)) return;
  sync(h, wins_[h]);
}

void Backend::present(win::HWND h, const win::RECT& area) {
  auto it = wins_.find(h);
  if (it != wins_.end()) it->second.damage = unite(it->second.damage, area);
}

void Backend::copy(win::HWND h, XWin& x, const win::RECT& area) {
  win::POINT origin;
  win::RECT clip;
  cairo_surface_t* s = win::seam::window_surface(h, true, &origin, &clip);
  const win::RECT r = intersect(area, x.shown);
  if (s == nullptr || empty(r)) return;
  cairo_t* cr = cairo_create(x.target);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, s, -origin.x - x.shown.left, -origin.y - x.shown.top);
  cairo_rectangle(cr, r.left - x.shown.left, r.top - x.shown.top, r.right - r.left,
                  r.bottom - r.top);
  cairo_fill(cr);
  // The caret inverts the pixels under it.
  const win::RECT c = intersect(caret_, r);
  if (caret_top_ == h && !empty(c)) {
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, c.left - x.shown.left, c.top - x.shown.top, c.right - c.left,
                    c.bottom - c.top);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(x.target);
}

void Backend::caret_changed() {
  win::HWND wnd = nullptr, top = nullptr;
  win::RECT r{};
  if (plat::caret_rect(&wnd, &r)) {
    WinRec* w = win::detail::find(wnd);
    WinRec* t = w != nullptr ? win::detail::toplevel_of(*w) : nullptr;
    if (t != nullptr) {
      // Into the top-level window's coordinates, inside the caret window's
      // client area.
      const win::POINT c = win::detail::client_origin_on_screen(*w);
      const win::POINT o = win::detail::window_origin_on_screen(*t);
      const int dx = c.x - o.x, dy = c.y - o.y;
      r = intersect(
          {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy},
          {dx, dy, dx + win::detail::client_width(*w), dy + win::detail::client_height(*w)});
      top = t->handle;
    }
  }
  if (top == caret_top_ && same(r, caret_)) return;
  if (auto it = wins_.find(caret_top_); it != wins_.end())
    it->second.damage = unite(it->second.damage, caret_);
  caret_top_ = top;
  caret_ = top != nullptr ? r : win::RECT{};
  if (auto it = wins_.find(top); it != wins_.end())
    it->second.damage = unite(it->second.damage, caret_);
}

void Backend::flush() {
  if (flushing_) return;
  flushing_ = true;
  for (auto& [h, x] : wins_) {
    if (!x.mapped || empty(x.damage)) continue;
    const win::RECT d = x.damage;
    x.damage = {};
    copy(h, x, d);
  }
  flushing_ = false;
  XFlush(dpy_);
}

void Backend::poll() {
  while (XPending(dpy_) > 0) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    handle(ev);
  }
  flush();
}

bool Backend::wait(int timeout_ms) {
  flush();
  publish_idle();
  // Last before the wait: sending may have read events off the connection
  // into Xlib's queue, where the wait on the socket would not see them.
  if (XPending(dpy_) > 0) return true;
  pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
  ::poll(&p, 1, timeout_ms);
  return true;
}

void Backend::publish_idle() {
  const long now[3] = {input_taken_, last_ping_, waits_for_user != nullptr ? waits_for_user() : 1};
  bool changed = false;
  for (auto& [h, x] : wins_) {
    if (x.xid == 0 || std::equal(now, now + 3, x.idle)) continue;
    XChangeProperty(dpy_, x.xid, input_idle_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(now), 3);
    std::copy(now, now + 3, x.idle);
    changed = true;
  }
  if (changed) XFlush(dpy_);
}

void Backend::configured(win::HWND h, XWin& x) {
  Window child;
  int rx = 0, ry = 0;
  XWindowAttributes wa;
  if (!XGetWindowAttributes(dpy_, x.xid, &wa) ||
      !XTranslateCoordinates(dpy_, x.xid, root_, 0, 0, &rx, &ry, &child))
    return;
  const int cx = wa.width, cy = wa.height;
  const win::RECT now{rx, ry, rx + cx, ry + cy};
  if (same(now, x.placed)) return;
  if (cx != x.placed.right - x.placed.left || cy != x.placed.bottom - x.placed.top)
    cairo_xlib_surface_set_size(x.target, cx, cy);
  x.placed = now;
  WinRec* w = win::detail::find(h);
  if (w == nullptr) return;
  const int extra_x = win::detail::width(*w) - (x.shown.right - x.shown.left);
  const int extra_y = win::detail::height(*w) - (x.shown.bottom - x.shown.top);
  win::SetWindowPos(h, nullptr, rx - x.shown.left, ry - x.shown.top, cx + extra_x, cy + extra_y,
                    win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

void Backend::released_away() {
  // The keys down on the keyboard now, by their virtual keys; a Shift,
  // Ctrl or Alt down holds both sides and the generic key.
  char keys[32];
  XQueryKeymap(dpy_, keys);
  std::vector<bool> held(256, false);
  const auto hold = [&](std::initializer_list<int> vks) {
    for (const int vk : vks) held[static_cast<std::size_t>(vk)] = true;
  };
  for (int code = 8; code < 256; ++code) {
    if ((keys[code / 8] & (1 << (code % 8))) == 0) continue;
    XKeyEvent kev{};
    kev.type = KeyPress;
    kev.display = dpy_;
    kev.keycode = static_cast<unsigned>(code);
    const KeyInput k = translate_key(kev);
    if (k.altgr) hold({win::VK_CONTROL, win::VK_LCONTROL, win::VK_MENU, win::VK_RMENU});
    if (k.vk == win::VK_SHIFT || k.vk == win::VK_LSHIFT || k.vk == win::VK_RSHIFT)
      hold({win::VK_SHIFT, win::VK_LSHIFT, win::VK_RSHIFT});
    else if (k.vk == win::VK_CONTROL || k.vk == win::VK_LCONTROL || k.vk == win::VK_RCONTROL)
      hold({win::VK_CONTROL, win::VK_LCONTROL, win::VK_RCONTROL});
    else if (k.vk == win::VK_MENU || k.vk == win::VK_LMENU || k.vk == win::VK_RMENU)
      hold({win::VK_MENU, win::VK_LMENU, win::VK_RMENU});
    else if (k.vk > 0 && k.vk < 256)
      hold({k.vk});
  }
  win::detail::keys_let_go_elsewhere(held);
}

bool Backend::typed_into_disabled(const KeyInput& k, bool down) {
  if (clicked_disabled_ == nullptr) return false;
  const WinRec* w = win::detail::find(clicked_disabled_);
  if (w == nullptr || (w->style & win::WS_DISABLED) == 0) {
    clicked_disabled_ = nullptr;
    return false;
  }
  // Shift, Ctrl and Alt still count, and a key that went down before the
  // click still comes up; any other key is refused with a beep.
  switch (k.vk) {
    case 0:
    case win::VK_SHIFT:
    case win::VK_LSHIFT:
    case win::VK_RSHIFT:
    case win::VK_CONTROL:
    case win::VK_LCONTROL:
    case win::VK_RCONTROL:
    case win::VK_MENU:
    case win::VK_LMENU:
    case win::VK_RMENU:
      return false;
    default:
      break;
  }
  if (k.altgr) return false;
  if (!down) return !win::detail::key_down_now(k.vk);
  beep(0);
  return true;
}

void Backend::handle(XEvent& ev) {
  if (ev.type == MappingNotify) {
    XRefreshKeyboardMapping(&ev.xmapping);
    return;
  }
  if (ev.type == KeyPress || ev.type == KeyRelease || ev.type == ButtonPress ||
      ev.type == ButtonRelease)
    ++input_taken_;
  if (ev.type == ClientMessage && ev.xclient.message_type == input_ping_) {
    last_ping_ = ev.xclient.data.l[0];
    return;
  }
  if (clipboard_->handle(ev)) return;
  const win::HWND h = hwnd_of(ev.xany.window);
  if (h == nullptr) return;
  auto it = wins_.find(h);
  XWin& x = it->second;
  WinRec* w = win::detail::find(h);
  if (w == nullptr) return;
  // Screen point of a point of the X window.
  const win::POINT o = win::detail::window_origin_on_screen(*w);
  auto screen_x = [&](int px) { return o.x + x.shown.left + px; };
  auto screen_y = [&](int py) { return o.y + x.shown.top + py; };

  switch (ev.type) {
    case Expose:
      x.damage = unite(x.damage, win::RECT{x.shown.left + ev.xexpose.x, x.shown.top + ev.xexpose.y,
                                           x.shown.left + ev.xexpose.x + ev.xexpose.width,
                                           x.shown.top + ev.xexpose.y + ev.xexpose.height});
      break;
    case ConfigureNotify:
      configured(h, x);
      break;
    case ClientMessage:
      if (ev.xclient.message_type == wm_protocols_ &&
          static_cast<Atom>(ev.xclient.data.l[0]) == wm_delete_)
        win::PostMessageA(h, win::WM_SYSCOMMAND, win::SC_CLOSE, 0);
      break;
    case FocusIn: {
      released_away();
      if (ev.xfocus.mode == NotifyGrab || ev.xfocus.mode == NotifyUngrab ||
          ev.xfocus.detail == NotifyPointer || ev.xany.serial < focus_serial_)
        break;
      focused_ = h;
      win::HWND target = h;
      // A window disabled behind a modal one passes the activation on.
      if (w->style & win::WS_DISABLED) {
        target = nullptr;
        for (win::HWND t : win::detail::desktop().children) {
          WinRec* o2 = win::detail::find(t);
          if (o2 != nullptr && o2->owner == h && (o2->style & win::WS_VISIBLE) &&
              (o2->style & win::WS_DISABLED) == 0) {
            target = t;
            break;
          }
        }
      }
      if (target != nullptr && win::GetActiveWindow() != target) win::SetActiveWindow(target);
      // The windows it owns that are no transients of it (they are
      // minimised by themselves) stay above it, as transients do.
      for (auto& [other, o] : wins_) {
        const WinRec* ow = win::detail::find(other);
        if (o.mapped && o.managed && o.owner == nullptr && ow != nullptr && ow->owner == h)
          XRaiseWindow(dpy_, o.xid);
      }
      break;
    }
    case KeyPress:
    case KeyRelease: {
      last_time_ = ev.xkey.time;
      const bool down = ev.type == KeyPress;
      const KeyInput k = translate_key(ev.xkey);
      if (typed_into_disabled(k, down)) break;
      if (k.altgr) {
        input_key(win::VK_CONTROL, 0x1D, down, false, -1);
        input_key(win::VK_MENU, 0x38, down, true, -1);
      } else if (k.vk != 0) {
        input_key(k.vk, k.scan, down, k.extended, down ? k.ch : 0);
      }
      break;
    }
    case ButtonPress:
    case ButtonRelease: {
      last_time_ = ev.xbutton.time;
      const bool down = ev.type == ButtonPress;
      if (down) clicked_disabled_ = (w->style & win::WS_DISABLED) != 0 ? h : nullptr;
      const int sx = screen_x(ev.xbutton.x), sy = screen_y(ev.xbutton.y);
      switch (ev.xbutton.button) {
        case Button1:
          input_mouse_button(0, down, sx, sy);
          break;
        case Button2:
          input_mouse_button(2, down, sx, sy);
          break;
        case Button3:
          input_mouse_button(1, down, sx, sy);
          break;
        case Button4:
        case Button5:
          if (down) input_mouse_wheel(ev.xbutton.button == Button4 ? 120 : -120, sx, sy);
          break;
        default:
          break;
      }
      break;
    }
    case MotionNotify:
      while (XCheckTypedWindowEvent(dpy_, x.xid, MotionNotify, &ev)) {
      }
      last_time_ = ev.xmotion.time;
      input_mouse_move(screen_x(ev.xmotion.x), screen_y(ev.xmotion.y));
      break;
    case UnmapNotify: {
      if (x.unmaps_expected > 0) {
        --x.unmaps_expected;
        break;
      }
      // Unmapped by the window manager: minimised when it says so.
      Atom wm_state = XInternAtom(dpy_, "WM_STATE", False), type;
      int format;
      unsigned long n, after;
      unsigned char* data = nullptr;
      bool iconic = false;
      if (XGetWindowProperty(dpy_, x.xid, wm_state, 0, 2, False, wm_state, &type, &format, &n,
                             &after, &data) == Success &&
          data != nullptr) {
        iconic = n >= 1 && format == 32 && reinterpret_cast<long*>(data)[0] == IconicState;
        XFree(data);
      }
      if (iconic) {
        x.mapped = false;
        x.iconic = true;
        if ((w->style & win::WS_MINIMIZE) == 0) {
          x.minimising = true;
          win::PostMessageA(h, win::WM_SYSCOMMAND, win::SC_MINIMIZE, 0);
        }
      }
      break;
    }
    case MapNotify:
      if (x.iconic) {
        x.iconic = false;
        x.minimising = false;
        x.mapped = true;
        x.damage = x.shown;
        if (w->style & win::WS_MINIMIZE)
          win::PostMessageA(h, win::WM_SYSCOMMAND, win::SC_RESTORE, 0);
      }
      break;
    default:
      break;
  }
}

Cursor Backend::cursor_for(int shape) {
  auto it = cursors_.find(shape);
  if (it != cursors_.end()) return it->second;
  Cursor c;
  if (shape == 0) {
    // No cursor: a blank one-pixel shape.
    static const char bits[1] = {0};
    Pixmap p = XCreateBitmapFromData(dpy_, root_, bits, 1, 1);
    XColor black{};
    c = XCreatePixmapCursor(dpy_, p, p, &black, &black, 0, 0);
    XFreePixmap(dpy_, p);
  } else {
    c = XCreateFontCursor(dpy_, font_glyph(shape));
  }
  cursors_[shape] = c;
  return c;
}

void Backend::set_cursor(int shape) {
  cursor_shape_ = shape;
  const Cursor c = cursor_for(shape);
  for (auto& [h, x] : wins_)
    if (x.xid != 0) XDefineCursor(dpy_, x.xid, c);
  XFlush(dpy_);
}

void Backend::clipboard_changed() { clipboard_->claim(CurrentTime); }

bool Backend::clipboard_import() { return clipboard_->import(); }

void Backend::beep(win::UINT) {
  XBell(dpy_, 0);
  XFlush(dpy_);
}

}  // namespace plat::x11

namespace plat {

std::string use_display(const char* name) {
  const char* n = name != nullptr ? name : std::getenv("DISPLAY");
  if (n == nullptr || *n == '\0') return "no display (DISPLAY is not set)";
  Display* dpy = XOpenDisplay(n);
  if (dpy == nullptr) return std::string("cannot open display ") + n;
  close_display();
  XSetErrorHandler(x11::ignore_error);
  x11::instance = std::make_unique<x11::Backend>(dpy);
  set_backend(x11::instance.get());
  // Windows made before the display came show on it now.
  std::vector<win::HWND> tops = win::detail::desktop().children;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) x11::instance->window_created(*it);
  return "";
}

void close_display() {
  if (!x11::instance) return;
  if (&backend() == x11::instance.get()) set_backend(nullptr);
  x11::instance.reset();
}

}  // namespace plat
