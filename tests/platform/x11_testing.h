// A fixture for the tests on the test program's own Xvfb: the X11 back end
// in force, a second connection of the test's own, and helpers to type on
// the test server's keyboard and read window properties.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "support/xvfb_server.h"
#include "win_window_recorder.h"
// clang-format off
#include "platform/x11_backend.h"
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace x11test {

using wintest::Seen;
using wintest::seen;

class X11Test : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    std::string why;
    // The back end on its own: no window manager places or focuses,
    // unless the test asks for one.
    display_name = managed ? testsupport::xvfb_display(&why) : testsupport::bare_xvfb_display(&why);
    ASSERT_FALSE(display_name.empty()) << why;
    ASSERT_EQ(plat::use_display(display_name.c_str()), "");
    ASSERT_NE(plat::x11::current(), nullptr);
    dpy = XOpenDisplay(display_name.c_str());
    ASSERT_NE(dpy, nullptr);
  }
  void TearDown() override {
    if (dpy != nullptr) XCloseDisplay(dpy);
    plat::reset_windows();
    plat::close_display();
    WindowTest::TearDown();
  }

  // Pumps the queue until `done` holds, waiting for the display's events
  // in between; false when it still does not after half a minute.
  bool pump_until(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
      wintest::pump();
      if (done()) return true;
      Display* own = plat::x11::current()->display();
      XSync(own, False);
      if (XPending(own) == 0) {
        pollfd p{ConnectionNumber(own), POLLIN, 0};
        ::poll(&p, 1, 2);
      }
    }
    return done();
  }
  // Lets the back end show everything and the server take it in: the
  // back end reads its events and shows what changed (the queue polls it at
  // most once a millisecond, so it is polled here itself), the server has
  // done what it asked for, and the test's own requests are done too.
  void settle() {
    for (int i = 0; i < 5; ++i) {
      wintest::pump();
      plat::x11::current()->poll();
      XSync(plat::x11::current()->display(), False);
    }
    XSync(dpy, False);
  }
  ::Window xid(win::HWND h) { return plat::x11::current()->xid_of(h); }

  std::string property(::Window w, const char* name) {
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, name, False), 0, 1024, False, AnyPropertyType,
                           &type, &format, &n, &after, &data) == Success &&
        data != nullptr) {
      out.assign(reinterpret_cast<char*>(data), n);
      XFree(data);
    }
    return out;
  }

  // Types one key of the test server's keyboard.
  void press(KeySym sym, bool down) {
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, sym), down ? True : False, CurrentTime);
    XFlush(dpy);
  }
  void tap(KeySym sym) {
    press(sym, true);
    press(sym, false);
  }

  const Seen* find_msg(win::HWND h, win::UINT msg) {
    for (const Seen& s : seen)
      if (s.wnd == h && s.msg == msg) return &s;
    return nullptr;
  }
  std::string chars_of(win::HWND h) {
    std::string out;
    for (const Seen& s : seen)
      if (s.wnd == h && s.msg == win::WM_CHAR) out += static_cast<char>(s.wp);
    return out;
  }

  Display* dpy = nullptr;
  // With a window manager on the display (set before SetUp), and its name.
  bool managed = false;
  std::string display_name;
};

}  // namespace x11test
