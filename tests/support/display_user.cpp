#include "support/display_user.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/x11_backend.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo-xlib.h>
#include <cairo.h>
// clang-format on

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

int ignore_error(Display*, XErrorEvent*) { return 0; }

// Standard error as the test program started with it: a test may catch
// the program's own while the user gives up.
const int first_stderr = fcntl(2, F_DUPFD_CLOEXEC, 3);

std::string property_text(Display* dpy, Window w, Atom prop) {
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(dpy, w, prop, 0, 1024, False, AnyPropertyType, &type, &format, &n, &after,
                         &data) == Success &&
      data != nullptr) {
    if (format == 8) out.assign(reinterpret_cast<char*>(data), n);
    XFree(data);
  }
  return out;
}

// Waits until `done` holds, looking again every few milliseconds (the
// connection selects no events: Xlib would keep queued ones past its
// close); gives up after the bound.
template <class Done>
void await(Display* dpy, Done done, const std::function<std::string()>& what) {
  const auto end = Clock::now() + std::chrono::seconds(kDisplayWaitSeconds);
  while (!done()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) {
      if (done()) return;
      DisplayUser::abandon("waited " + std::to_string(kDisplayWaitSeconds) + " s in vain for " +
                           what());
    }
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 10)));
  }
}

// Waits until the keyboard focus is on `w`.
void awaitfocus(Display* dpy, Window w, const std::function<std::string()>& what) {
  await(
      dpy,
      [&] {
        Window now = 0;
        int revert = 0;
        XGetInputFocus(dpy, &now, &revert);
        return now == w;
      },
      what);
}

// Whether the window is one of the program's (its WM_CLASS names "ostrel").
bool isprogram(Display* dpy, Window w) {
  XClassHint hint{};
  if (!XGetClassHint(dpy, w, &hint)) return false;
  const bool program = hint.res_name != nullptr && std::string(hint.res_name) == "ostrel";
  XFree(hint.res_name);
  XFree(hint.res_class);
  return program;
}

// Asks the window manager to activate the window, as a pager or a click
// does for the user.
void activate(Display* dpy, Window w) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = 2;  // from a pager: the user asked for it
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &ev);
}

}  // namespace

DisplayUser::DisplayUser(const std::string& display) {
  XSetErrorHandler(ignore_error);  // a window may go while it is looked at
  dpy_ = XOpenDisplay(display.c_str());
  if (dpy_ == nullptr) abandon("no connection to the display " + display);
}

DisplayUser::~DisplayUser() {
  if (dpy_ != nullptr) XCloseDisplay(dpy_);
}

void DisplayUser::abandon(const std::string& why) {
  std::string text = "\nThe display test gives up: it " + why + ".\n";
  if (abandon_note) text += abandon_note();
  if (std::this_thread::get_id() == gives_up_alone) throw GaveUp(text);
  std::fflush(stdout);
  if (write(first_stderr >= 0 ? first_stderr : 2, text.data(), text.size()) < 0)
    std::fputs(text.c_str(), stdout);
  // The folder first: once the server is gone, the program's own end
  // (Xlib ends a process that lost its display) would race with it.
  if (remove_test_folder != nullptr) remove_test_folder();
  stop_xvfb();
  std::_Exit(1);
}

bool DisplayUser::shown(Window w) {
  XWindowAttributes a;
  return XGetWindowAttributes(dpy_, w, &a) && a.map_state == IsViewable;
}

std::string DisplayUser::title(Window w) {
  std::string t = property_text(dpy_, w, XInternAtom(dpy_, "_NET_WM_NAME", False));
  return t.empty() ? property_text(dpy_, w, XA_WM_NAME) : t;
}

std::string DisplayUser::window_class(Window w) {
  XClassHint hint{};
  if (!XGetClassHint(dpy_, w, &hint)) return {};
  std::string cls = hint.res_class != nullptr ? hint.res_class : "";
  XFree(hint.res_name);
  XFree(hint.res_class);
  return cls;
}

std::vector<Window> DisplayUser::ours() {
  std::vector<Window> out;
  // The program's windows among the root's children, and inside the frames
  // that the window manager put around its managed ones.
  std::function<void(Window, int)> look = [&](Window at, int depth) {
    Window root, parent, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(dpy_, at, &root, &parent, &kids, &n)) return;
    for (unsigned i = 0; i < n; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(dpy_, kids[i], &hint)) {
        if (depth < 2) look(kids[i], depth + 1);
        continue;
      }
      const bool program = hint.res_name != nullptr && std::string(hint.res_name) == "ostrel";
      XFree(hint.res_name);
      XFree(hint.res_class);
      if (program && shown(kids[i])) out.push_back(kids[i]);
    }
    if (kids != nullptr) XFree(kids);
  };
  look(DefaultRootWindow(dpy_), 0);
  return out;
}

std::vector<std::string> DisplayUser::titles() {
  std::vector<std::string> out;
  for (const Window w : ours()) out.push_back(title(w));
  return out;
}

Window DisplayUser::window(const std::function<bool(const std::string&)>& accept,
                           const std::string& what, Window except) {
  Window found = 0;
  std::string seen;  // the titles of the program's windows at the last look
  await(
      dpy_,
      [&] {
        seen.clear();
        for (const Window w : ours()) {
          if (w == except || found != 0) continue;
          const std::string t = title(w);
          seen += " \"" + t + "\"";
          // (A window gone meanwhile has no title: it is none of them.)
          if (accept(t) && shown(w)) found = w;
        }
        return found != 0;
      },
      [&] {
        return what + " (the program's shown windows:" + (seen.empty() ? " none" : seen) + ")";
      });
  return found;
}

Window DisplayUser::window(const std::string& t) {
  return window([t](const std::string& seen) { return seen == t; },
                "a window titled \"" + t + "\"");
}

void DisplayUser::idle(Window w, long (&values)[3]) {
  std::fill(std::begin(values), std::end(values), -1);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  const Atom prop = XInternAtom(dpy_, plat::x11::Backend::input_idle_name, False);
  if (XGetWindowProperty(dpy_, w, prop, 0, 3, False, XA_CARDINAL, &type, &format, &n, &after,
                         &data) == Success &&
      data != nullptr) {
    if (format == 32 && n == 3) std::copy_n(reinterpret_cast<long*>(data), 3, values);
    XFree(data);
  }
}

void DisplayUser::ready(Window w, bool user) {
  // Numbers of pings, new for each one the process sends to any program.
  static std::atomic<long> pings{0};
  const long ping = ++pings;
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(dpy_, plat::x11::Backend::input_ping_name, False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = ping;
  XSendEvent(dpy_, w, False, NoEventMask, &ev);
  XSync(dpy_, False);
  long now[3];
  // Every key and click sent before the ping taken too: a click may reach
  // the program after the ping, held back by the window manager until it
  // has looked at it.
  const auto taken = [&] { return keysbefore_ < 0 ? keys_ : now[0] - keysbefore_; };
  await(
      dpy_,
      [&] {
        idle(w, now);
        if (now[1] == ping && keysbefore_ < 0) keysbefore_ = now[0] - keys_;
        return now[1] == ping && (!user || now[2] == 1) && taken() >= keys_;
      },
      [&] {
        if (now[1] == ping && taken() < keys_)
          return "the program to take the input sent: it was sent " + std::to_string(keys_) +
                 " key and button events, and the program took only " + std::to_string(taken()) +
                 ": the keyboard focus is not on its window";
        return std::string(user ? "the program to wait for the user" : "the program to wait") +
               " after ping " + std::to_string(ping) +
               " (the last ping it took: " + std::to_string(now[1]) +
               "; waits for the user: " + std::to_string(now[2]) + ")";
      });
}

void DisplayUser::focus(Window w) {
  // A window that the window manager manages is activated through it, as
  // a pager or a click does: a focus set past it would race with what it
  // does for the clicks and windows before.
  bool managed = false;
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy_, DefaultRootWindow(dpy_),
                         XInternAtom(dpy_, "_NET_CLIENT_LIST", False), 0, 4096, False, XA_WINDOW,
                         &type, &format, &n, &after, &data) == Success &&
      data != nullptr) {
    const Window* list = reinterpret_cast<const Window*>(data);
    managed = std::find(list, list + n, w) != list + n;
    XFree(data);
  }
  if (managed)
    activate(dpy_, w);
  else
    XSetInputFocus(dpy_, w, RevertToParent, CurrentTime);
  XSync(dpy_, False);
  awaitfocus(dpy_, w, [&] { return "the keyboard focus on the window \"" + title(w) + "\""; });
  ready(w);
}

void DisplayUser::focusedprogram() {
  Window at = 0;
  await(
      dpy_,
      [&] {
        int revert = 0;
        XGetInputFocus(dpy_, &at, &revert);
        // The focus window or one it lies in is the program's.
        for (Window w = at; w > PointerRoot && w != DefaultRootWindow(dpy_);) {
          if (isprogram(dpy_, w)) return true;
          Window root, parent, *kids = nullptr;
          unsigned n = 0;
          if (!XQueryTree(dpy_, w, &root, &parent, &kids, &n)) return false;
          if (kids != nullptr) XFree(kids);
          w = parent;
        }
        return false;
      },
      [&] {
        return "the keyboard focus on a window of the program (it is on " +
               (at <= PointerRoot ? std::string(at == 0 ? "none" : "the pointer's window")
                                  : "\"" + title(at) + "\"") +
               ")";
      });
}

void DisplayUser::key(Window w, std::initializer_list<KeySym> held, KeySym key, bool then) {
  focusedprogram();
  auto send = [&](KeySym sym, bool down) {
    XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, sym), down ? True : False, CurrentTime);
    ++keys_;
  };
  for (const KeySym m : held) send(m, true);
  send(key, true);
  send(key, false);
  for (auto m = std::rbegin(held); m != std::rend(held); ++m) send(*m, false);
  XSync(dpy_, False);
  if (then) ready(w);
}

void DisplayUser::press(KeySym key) {
  focusedprogram();
  XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, key), True, CurrentTime);
  ++keys_;
  XSync(dpy_, False);
}

void DisplayUser::letgoaway(KeySym key) {
  // A window as another program's: the window manager gives it the focus.
  const Window own = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 60, 40, 0, 0, 0);
  XMapRaised(dpy_, own);
  XSync(dpy_, False);
  await(
      dpy_, [&] { return shown(own); }, [] { return std::string("a window of the user's own"); });
  activate(dpy_, own);
  XSync(dpy_, False);
  awaitfocus(dpy_, own,
             [] { return std::string("the keyboard focus on a window of the user's own"); });
  XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, key), False, CurrentTime);
  XDestroyWindow(dpy_, own);
  XSync(dpy_, False);
}

void DisplayUser::type(Window w, const std::vector<Stroke>& strokes, int pace_ms, bool user) {
  focusedprogram();
  for (const Stroke& s : strokes) {
    // The server takes the stroke's first event pace_ms after the one
    // before it, and the rest of the stroke at once.
    unsigned long delay = static_cast<unsigned long>(pace_ms);
    auto send = [&](KeySym sym, bool down) {
      XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, sym), down ? True : False, delay);
      delay = 0;
      ++keys_;
    };
    for (const KeySym m : s.held) send(m, true);
    send(s.key, true);
    send(s.key, false);
    for (auto m = s.held.rbegin(); m != s.held.rend(); ++m) send(*m, false);
  }
  XSync(dpy_, False);
  ready(w, user);
}

void DisplayUser::click(Window w, int x, int y, unsigned button) {
  XWarpPointer(dpy_, None, w, 0, 0, 0, 0, x, y);
  XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
  XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
  keys_ += 2;
  XSync(dpy_, False);
}

void DisplayUser::close(Window w) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
  XSendEvent(dpy_, w, False, NoEventMask, &ev);
  XSync(dpy_, False);
}

void DisplayUser::gone(Window w, const std::string& what) {
  await(
      dpy_, [&] { return !shown(w); },
      [&] {
        std::string seen;
        for (const std::string& t : titles()) seen += " \"" + t + "\"";
        return what + " (the program's shown windows:" + seen + ")";
      });
}

void DisplayUser::alone(Window w, const std::string& what, const std::string& besides) {
  await(
      dpy_,
      [&] {
        for (const Window o : ours())
          if (o != w && (besides.empty() || title(o) != besides)) return false;
        return shown(w);
      },
      [&] {
        std::string seen;
        for (const std::string& t : titles()) seen += " \"" + t + "\"";
        return what + " (the program's shown windows:" + seen + ")";
      });
  ready(w);
}

double screenshot(Display* dpy, Window w, const std::string& name, unsigned colour) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(dpy, w, &a) || a.width <= 0 || a.height <= 0) return 0;
  cairo_surface_t* s = cairo_xlib_surface_create(dpy, w, a.visual, a.width, a.height);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a.width, a.height);
  cairo_t* cr = cairo_create(img);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(img);
  if (const char* dir = std::getenv("OSTREL_SCREENSHOTS"); dir != nullptr && *dir != '\0')
    cairo_surface_write_to_png(img, (std::string(dir) + "/" + name + ".png").c_str());
  const unsigned char* px = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  long same = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      std::uint32_t v;
      std::memcpy(&v, px + y * stride + x * 4, 4);
      same += (v & 0xFFFFFFu) == colour;
    }
  cairo_surface_destroy(img);
  cairo_surface_destroy(s);
  return static_cast<double>(same) / (static_cast<double>(a.width) * a.height);
}

}  // namespace testsupport
