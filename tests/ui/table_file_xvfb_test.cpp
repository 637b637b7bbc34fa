// A file shown as a table on the test program's Xvfb: what the user types
// into a cell is kept as an edit of the file; closing the window asks
// whether to save, and Yes writes the file. The run goes on in a child
// process; the user is a thread of it that types each key when the
// program is ready for it.
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

// "zq" over the first cell, Tab, then the window's close button and Yes
// (the question's default) by Return.
void user(const std::string& display) {
  testsupport::DisplayUser u(display);
  const ::Window found = u.window("Cells");
  u.focus(found);
  const std::vector<KeySym> keys = {XK_End, XK_BackSpace, XK_BackSpace, XK_z, XK_q, XK_Tab};
  for (const KeySym k : keys) u.key(found, {}, k);
  u.close(found);
  const ::Window question =
      u.window([](const std::string& t) { return t != "Cells" && !t.empty(); },
               "the question whether to save the changes");
  u.ready(question, false);
  u.key(question, {}, XK_Return, false);
  u.gone(found, "the table's window to close after the answer");
}

using DisplayFileTable = testsupport::ScriptInFolder;

TEST_F(DisplayFileTable, ACellTypedOnTheDisplayIsSavedWhenTheUserAnswersYes) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  testsupport::write_file("t.txt", "l1 a\nl2 b\nl3 c\n");
  const std::string report = testsupport::in_child([&]() -> std::string {
    const std::string problem = tabledisplay::open(display);
    if (!problem.empty()) return problem;
    std::thread typist(user, display);
    const std::string out =
        run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A2,A')\n"
            "DLG(TItle='Cells', Edit=F, Format='A2,A', Y=0)\n");
    typist.join();
    plat::close_display();
    const std::string file = testsupport::read_file("t.txt");
    return file == "zq a\nl2 b\nl3 c\n" ? ""
                                        : "the file holds:\n" + file + "\nthe run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
