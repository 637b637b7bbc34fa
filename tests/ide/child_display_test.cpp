// On the test program's Xvfb, a script run in the IDE makes a child window
// with a menu bar and an armed popup menu; the user chooses a menu item by
// keys (F10, Down, Enter) and picks from the popup that a right click
// opens, on the display's own keyboard and mouse, and each choice runs its
// handler with $$ and the SelTxt variable. Every wait is for a state, with
// a bound; the IDE runs in a child process that is stopped after 50 seconds.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace {

using idetest::IdeTest;
using Clock = std::chrono::steady_clock;

Display* user = nullptr;
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
  win::HWND child = nullptr;
  if (!waitfor(
          [&] {
            child = exec::wdwtail != exec::wdwhead ? exec::wdwtail->window : nullptr;
            return child != nullptr;
          },
          "the child window"))
    return;
  const ::Window xid = plat::x11::current()->xid_of(child);
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
  // A right click in the window, then Green from the popup by keys.
  win::POINT at{30, 40};
  win::ClientToScreen(child, &at);
  XTestFakeMotionEvent(user, DefaultScreen(user), at.x, at.y, CurrentTime);
  XTestFakeButtonEvent(user, 3, True, CurrentTime);
  XTestFakeButtonEvent(user, 3, False, CurrentTime);
  for (KeySym s : {XK_Down, XK_Down, XK_Return}) tap(s);
  waitfor([] { return text("PS") == "Green"; }, "the popup handler");
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
