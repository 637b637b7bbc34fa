// On the test program's Xvfb, a script run in the IDE makes a child window
// with a menu bar and an armed popup menu; the user chooses a menu item by
// keys (F10, Down, Enter) and picks from the popup that a right click
// opens, on the display's own keyboard and mouse, and each choice runs its
// handler with $$ and the SelTxt variable. Every wait is for a state, with
// a bound; the IDE runs in a child process that is stopped after 50 seconds.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <string>

#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/clocks.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "toolkit/loops.h"
// clang-format off
#include "platform/x11_backend.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace {

using idetest::IdeTest;
using Clock = std::chrono::steady_clock;

Display* user = nullptr;
std::string displayname;
Clock::time_point deadline;
std::string waited;

// Handles the program's messages until the state holds; false (and what
// was waited for noted) when the bound passed first.
bool waitfor(const std::function<bool()>& state, const std::string& what) {
  while (!state()) {
    if (Clock::now() > deadline) {
      if (waited.empty()) waited = "waited in vain for " + what;
      return false;
    }
    XSync(user, False);
    toolkit::PROCESS_MESSAGES();
  }
  return true;
}

std::string text(const char* name) {
  std::int32_t k = 0, first = 0, last = 0;
  if (!core::FINDSN(name, k, 0x400) || core::ISCHAR(k, first, last) == 0 || last < first) return "";
  const std::string t(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  return t.substr(0, t.find_last_not_of(' ') + 1);
}

void tap(KeySym sym) {
  const KeyCode k = XKeysymToKeycode(user, sym);
  XTestFakeKeyEvent(user, k, True, CurrentTime);
  XTestFakeKeyEvent(user, k, False, CurrentTime);
  XFlush(user);
}

// Whether a pop-up of the program (a window that no window manager frames)
// stands on the display that `user` connects to.
bool popupshown(Display* user) {
  ::Window root = 0, parent = 0, *kids = nullptr;
  unsigned n = 0;
  bool shown = false;
  if (!XQueryTree(user, DefaultRootWindow(user), &root, &parent, &kids, &n)) return false;
  for (unsigned i = 0; i < n && !shown; ++i) {
    XWindowAttributes a{};
    XClassHint hint{};
    if (!XGetWindowAttributes(user, kids[i], &a) || !a.override_redirect ||
        a.map_state != IsViewable || !XGetClassHint(user, kids[i], &hint))
      continue;
    shown = hint.res_name != nullptr && std::string(hint.res_name) == "ostrel";
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  if (kids != nullptr) XFree(kids);
  return shown;
}

bool altrsent = false;

// Alt+R once the editor waits for the user: a key that comes while the
// opened script still compiles is the compile's, not the editor's.
void altr() {
  if (altrsent || plat::waits_for_user == nullptr || plat::waits_for_user() == 0) return;
  altrsent = true;
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
  plat::set_key_state(win::VK_MENU, true);
  plat::inject_key_press('R', 0);
  plat::set_key_state(win::VK_MENU, false);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
}

// The user's part, once the run has made the window.
void choose() {
  const idetest::HoldSteps held;
  win::HWND child = nullptr;
  if (!waitfor(
          [&] {
            child = exec::wdwtail != exec::wdwhead ? exec::wdwtail->window : nullptr;
            return child != nullptr;
          },
          "the child window"))
    return;
  const ::Window xid = plat::x11::current()->xid_of(child);
  // The window manager frames the window before the user clicks it.
  const Atom wmstate = XInternAtom(user, "WM_STATE", False);
  if (!waitfor(
          [&] {
            int n = 0;
            Atom* props = XListProperties(user, xid, &n);
            const bool framed = props != nullptr && std::find(props, props + n, wmstate) != props + n;
            if (props != nullptr) XFree(props);
            return framed;
          },
          "the window manager to frame the child window"))
    return;
  XSetInputFocus(user, xid, RevertToParent, CurrentTime);
  if (!waitfor(
          [&] {
            ::Window focus = 0;
            int revert = 0;
            XGetInputFocus(user, &focus, &revert);
            return focus == xid;
          },
          "the display's focus on the child window"))
    return;
  // The menu bar by keys: File, its sub-menu, its first item Open.
  for (KeySym s : {XK_F10, XK_Down, XK_Return}) tap(s);
  if (!waitfor([] { return text("S") == "Open"; }, "the menu handler")) return;
  // A right click in the window (amid its client area, below the menu
  // bar), then Green from the popup by keys.
  XWindowAttributes a{};
  XGetWindowAttributes(user, xid, &a);
  XWarpPointer(user, 0, xid, 0, 0, 0, 0, 30, a.height / 2);
  XTestFakeButtonEvent(user, 3, True, CurrentTime);
  XTestFakeButtonEvent(user, 3, False, CurrentTime);
  XFlush(user);
  // The window manager sees the click first and hands it on: the keys wait
  // for the popup, as the user's eyes do. The program meanwhile runs the
  // popup's own loop, so another connection waits and types.
  std::thread typist([] {
    Display* eyes = XOpenDisplay(displayname.c_str());
    if (eyes == nullptr) return;
    while (!popupshown(eyes) && Clock::now() < deadline) {
      pollfd p{ConnectionNumber(eyes), POLLIN, 0};
      ::poll(&p, 1, 10);
    }
    for (KeySym s : {XK_Down, XK_Down, XK_Return}) {
      const KeyCode k = XKeysymToKeycode(eyes, s);
      XTestFakeKeyEvent(eyes, k, True, CurrentTime);
      XTestFakeKeyEvent(eyes, k, False, CurrentTime);
    }
    XCloseDisplay(eyes);
  });
  waitfor([] { return text("PS") == "Green"; }, "the popup handler");
  typist.join();
}

TEST_F(IdeTest, OnADisplayAMenuItemChosenByKeysAndARightClickPopupRunTheirHandlers) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  testsupport::TempDir dir;
  testsupport::write_file(
      dir.file("c.ost"),
      testsupport::crlf("CHARACTER M*50, P*20, S*12, PS*12\n"
                        "M = 'File|Edit|File:Open|Save||Quit|Edit:Copy|'\n"
                        "P = 'Red|Green|'\nMN = 0\nPN = 0\nH = 0\n"
                        "WINDOW(WINdowhandle=H, Width=-300, Height=-200, Menu=M, SelTxt=S)\n"
                        "POP(Menu=P, Poptype=2, SelTxt=PS)\n"
                        "END\n"
                        "SUBROUTINE M\nMN = $$\nRETURN\nEND\n"
                        "SUBROUTINE P\nPN = $$\nRETURN\nEND\n"));
  const std::string report = testsupport::in_child([&]() -> std::string {
    // The display's clock is the real one: the IDE's timer ticks each second.
    plat::clear_virtual_clock();
    const std::string problem = plat::use_display(display.c_str());
    if (!problem.empty()) return problem;
    displayname = display;
    user = XOpenDisplay(display.c_str());
    if (user == nullptr) return "no second connection to " + display;
    deadline = Clock::now() + std::chrono::seconds(38);
    std::string outcome;
    // Alt+R at the first tick at which the editor waits (the ticks come
    // each second), then the user's choices.
    run(dir.file("c.ost"), {altr, altr, altr, altr, altr, altr, altr, altr, choose,
                            [&] { outcome = exec::run_outcome(); }});
    if (!altrsent && waited.empty()) waited = "waited in vain for the editor to wait for keys";
    XCloseDisplay(user);
    plat::close_display();
    if (!waited.empty()) return waited + "\n" + outcome;
    for (const char* want : {"S='Open        '\n", "MN=3\n", "PS='Green       '\n", "PN=2\n"})
      if (outcome.find(want) == std::string::npos) return "the run gave:\n" + outcome;
    return "";
  });
  EXPECT_EQ(report, "");
}

}  // namespace
