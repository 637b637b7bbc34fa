// Tables on the test program's Xvfb: what the user types on the display's
// keyboard into a cell of a numeric array and into a cell of a fixed-width
// text reaches the element and the text's own characters; Tab leads from
// one table into the next. The run goes on in a child process; the user is
// a thread of it that types each key when the dialog is ready for it.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "exec/windowlist.h"
#include "ide/windowclose.h"
#include "platform/backend.h"
#include "support/display_user.h"
#include "support/script_folder.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "table_display.h"
#include "toolkit/loops.h"
#include "ui/dialogs.h"
// clang-format off
#include "platform/x11_backend.h"
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

namespace {

// 42 into the array's first cell, Tab twice (the last cell of the array,
// then the text's first cell), "xyz" into it, Tab, Escape.
void user(const std::string& display) {
  testsupport::DisplayUser u(display);
  const ::Window found = u.window("Cells");
  u.focus(found);
  const std::vector<KeySym> keys = {XK_End, XK_BackSpace, XK_4,         XK_2,         XK_Tab,
                                    XK_Tab, XK_End,       XK_BackSpace, XK_BackSpace, XK_BackSpace,
                                    XK_x,   XK_y,         XK_z,         XK_Tab,       XK_Escape};
  for (std::size_t i = 0; i < keys.size(); ++i) u.key(found, {}, keys[i], i + 1 < keys.size());
  u.gone(found, "the dialog to close after Escape");
}

using DisplayTable = testsupport::ScriptInFolder;

TEST_F(DisplayTable, WhatTheUserTypesIntoCellsOnTheDisplayReachesTheArrayAndTheText) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  const std::string report = testsupport::in_child([&]() -> std::string {
    const std::string problem = tabledisplay::open(display);
    if (!problem.empty()) return problem;
    std::thread typist(user, display);
    const std::string out =
        run("DIMENSION A(2, 1)\nCHARACTER S*8\nS = 'abcdefgh'\n"
            "DLG(TItle='Cells', Edit=A, Edit=S, Format='A3,A5', Y=0)\n");
    typist.join();
    plat::close_display();
    // Escape after the cells changed ends the dialog as answered, as it
    // does headless.
    const std::string expected = "A=(42,0)\nS='xyzdefgh'\nstop=-1\n";
    return out == expected ? "" : "the run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
