// A DLG dialog on the test program's Xvfb: the keys a user types on the
// display's keyboard reach the edit field and, after Enter, its variable.
// The run goes on in a child process that is stopped after 50 seconds.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "exec/windowlist.h"
#include "ide/windowclose.h"
#include "platform/backend.h"
#include "support/script_folder.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "toolkit/loops.h"
#include "ui/dialogs.h"
// clang-format off
#include "platform/x11_backend.h"
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace {

using Clock = std::chrono::steady_clock;

Display* keyboard = nullptr;
Clock::time_point deadline;
std::string waited;
constexpr win::UINT typenow = 0x8000 + 0x78;

void tap(KeySym sym) {
  const KeyCode k = XKeysymToKeycode(keyboard, sym);
  XTestFakeKeyEvent(keyboard, k, True, CurrentTime);
  XTestFakeKeyEvent(keyboard, k, False, CurrentTime);
}

// Once the display's focus is on the dialog, the keys are typed on the
// display's keyboard; until then the dialog looks again.
int hook(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM& lparam,
         win::LRESULT& result) {
  if (message == win::WM_INITDIALOG) win::PostMessageA(window, typenow, 0, 0);
  if (message != typenow) return ide::DLGCALLBACK(window, message, wparam, lparam, result);
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(keyboard, &focus, &revert);
  if (focus != plat::x11::current()->xid_of(window)) {
    if (Clock::now() < deadline) {
      win::PostMessageA(window, typenow, 0, 0);
    } else {
      waited = "the display's focus never came to the dialog";
      win::PostMessageA(window, win::WM_CLOSE, 0, 0);
    }
    return -1;
  }
  tap(XK_End);
  for (KeySym s : {XK_space, XK_w, XK_o, XK_r, XK_l, XK_d}) tap(s);
  tap(XK_Return);
  XFlush(keyboard);
  return -1;
}

void killwindow(win::HWND handle, std::int32_t mode) {
  ide::KILLWINDOW(handle, mode);
  toolkit::SET_DIALOG_HOOK(hook);
}

using DisplayDialog = testsupport::ScriptInFolder;

TEST_F(DisplayDialog, WhatTheUserTypesOnTheDisplayReachesTheVariable) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  const std::string report = testsupport::in_child([&]() -> std::string {
    const std::string problem = plat::use_display(display.c_str());
    if (!problem.empty()) return problem;
    keyboard = XOpenDisplay(display.c_str());
    if (keyboard == nullptr) return "no second connection to " + display;
    deadline = Clock::now() + std::chrono::seconds(30);
    toolkit::SET_DIALOG_HOOK(hook);
    exec::windowcalls.KILLWINDOW = killwindow;
    const std::string out = run("CHARACTER S*12\nS = 'hello'\nI = DLG(Edit=S)\n");
    XCloseDisplay(keyboard);
    plat::close_display();
    if (!waited.empty()) return waited;
    return out == "S='hello world '\nI=0\nstop=-1\n" ? "" : "the run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
