// Tables on the test program's Xvfb: what the user types on the display's
// keyboard into a cell of a numeric array and into a cell of a fixed-width
// text reaches the element and the text's own characters; Tab leads from
// one table into the next. The run goes on in a child process.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

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
constexpr win::UINT typenow = 0x8000 + 0x79;

void tap(KeySym sym) {
  const KeyCode k = XKeysymToKeycode(keyboard, sym);
  XTestFakeKeyEvent(keyboard, k, True, CurrentTime);
  XTestFakeKeyEvent(keyboard, k, False, CurrentTime);
}

// The keys, once the display's focus is on the dialog: 42 into the array's
// first cell, Tab twice (the last cell of the array, then the text's first
// cell), "xyz" into it, Tab, Escape.
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
  const std::vector<KeySym> keys = {XK_End, XK_BackSpace, XK_4,         XK_2,         XK_Tab,
                                    XK_Tab, XK_End,       XK_BackSpace, XK_BackSpace, XK_BackSpace,
                                    XK_x,   XK_y,         XK_z,         XK_Tab,       XK_Escape};
  for (KeySym s : keys) tap(s);
  XFlush(keyboard);
  return -1;
}

void killwindow(win::HWND handle, std::int32_t mode) {
  ide::KILLWINDOW(handle, mode);
  toolkit::SET_DIALOG_HOOK(hook);
}

using DisplayTable = testsupport::ScriptInFolder;

TEST_F(DisplayTable, WhatTheUserTypesIntoCellsOnTheDisplayReachesTheArrayAndTheText) {
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
    const std::string out =
        run("DIMENSION A(2, 1)\nCHARACTER S*8\nS = 'abcdefgh'\n"
            "DLG(Edit=A, Edit=S, Format='A3,A5', Y=0)\n");
    XCloseDisplay(keyboard);
    plat::close_display();
    if (!waited.empty()) return waited;
    const std::string expected = "A=(42,0)\nS='xyzdefgh'\nstop=120 line=4\n";
    return out == expected ? "" : "the run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
