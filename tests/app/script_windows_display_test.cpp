// A script's windows and dialogs on the test program's Xvfb under a window
// manager, as on a desktop: the program runs in a process of its own, the
// test types its keys as X events at a person's pace (without a focus
// change between them) and reads what X shows and what the script wrote.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "program_fixture.h"
#include "support/display_user.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

namespace {

using testsupport::DisplayUser;
using testsupport::read_file;
using testsupport::write_file;

// The pause between two keys a person types, in milliseconds.
class ScriptWindows : public apptest::ProgramOnADisplay, public ::testing::WithParamInterface<int> {
 protected:
  // Types the keys one after the other at the pace, as a person does: the
  // program gets no extra time to settle between them.
  void type(DisplayUser& u, Window w, std::initializer_list<std::pair<KeySym, KeySym>> keys) {
    for (const auto& [held, key] : keys) {
      if (held != 0)
        u.key(w, {held}, key, false);
      else
        u.key(w, {}, key, false);
      std::this_thread::sleep_for(std::chrono::milliseconds(GetParam()));
    }
  }
  // The script's table dialog that its run waits at, made by `dialog`.
  void tablewaits(const std::string& dialog);
  // Waits (bounded) until the file in the program's folder holds the text.
  void waitfor(const std::string& name, const std::string& text) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (read_file(dir.path() / name) != text) {
      if (std::chrono::steady_clock::now() > end)
        DisplayUser::abandon("waited 40 s in vain for " + name + " to hold \"" + text +
                             "\" (it holds \"" + read_file(dir.path() / name) + "\")");
      ::poll(nullptr, 0, 10);
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Paces, ScriptWindows, ::testing::Values(50, 250));

bool shown(Display* dpy, Window w) {
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

// A table dialog waits while its script's run stands at it: Write (Alt+W)
// runs the script's routine, which writes the edited array and the
// current ROW and COL, and the dialog stays open; OK ends it, and the run
// goes on after the statement, whose value is OK's number. The dialog
// (its title "E5 table") is made by the script's line `dialog`.
void ScriptWindows::tablewaits(const std::string& dialog) {
  write_file(dir.file("e5.ost"),
             "DIMENSION A(3,2)\r\nA = $\r\nK = " + dialog +
                 "\r\n"
                 "CHARACTER G*8\r\nG = 'b.txt'\r\nOPEN(FIle=G, RePLace)\r\n"
                 "WRITE(FIle=G, CLoSe=1) K, A(1,1), R, C\r\nEND\r\n"
                 "SUBROUTINE SAVEA\r\nCHARACTER F*8\r\nF = 'a.txt'\r\nOPEN(FIle=F, RePLace)\r\n"
                 "WRITE(FIle=F, CLoSe=1) A, R, C\r\nEND\r\n");
  start("e5.ost");
  {
    DisplayUser u(display);
    const Window main = runscript(u, "e5.ost");
    const Window table = u.window("E5 table");
    u.ready(table, false);
    // The first cell has the focus, its text selected: 99 replaces the 1,
    // Enter goes to the next row.
    type(u, table, {{0, XK_9}, {0, XK_9}, {0, XK_Return}, {XK_Alt_L, XK_w}});
    waitfor("a.txt", "99 2\r\n3 4\r\n5 6\r\n2 1\r\n");
    u.ready(table, false);
    testsupport::screenshot(u.display(), table, "table_waits", 0);
    EXPECT_TRUE(shown(u.display(), table)) << "the table closed after Write";
    type(u, table, {{XK_Alt_L, XK_o}});
    u.gone(table, "the table to go after OK");
    waitfor("b.txt", "1001 99 2 1\r\n");
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
}

TEST_P(ScriptWindows, ATableDialogStaysOpenWhileItsButtonsRunTheirRoutine) {
  tablewaits(
      "DLG(TItle='E5 table', Edit=A, Height=3, ROW=R, COL=C, Button='&Write', "
      "CALLback='SAVEA')");
}

// ... and so does the `win` function's, made from a text of items.
TEST_P(ScriptWindows, AWinTableStaysOpenWhileItsButtonsRunTheirRoutine) {
  tablewaits(
      "DLG('TItle=E5 table;Edit*1;Height=3;ROW*2;COL*3;Button=&Write;CALLback=SAVEA', A, R, C)");
}

// Minimising one script window through the window manager hides it alone:
// the main window and the other script window stay. The main window,
// maximised, minimised and shown again, comes back at its size.
TEST_P(ScriptWindows, MinimisingAScriptWindowHidesItAloneAndTheMainWindowKeepsItsSize) {
  write_file(dir.file("w2.ost"),
             "WINDOW(WINdowhandle=H1, Width=-300, Height=-200, TItle='one')\r\n"
             "WINDOW(WINdowhandle=H2, Width=-300, Height=-200, TItle='two')\r\nEND\r\n");
  start("w2.ost");
  {
    DisplayUser u(display);
    Display* dpy = u.display();
    const Window main = runscript(u, "w2.ost");
    const Window one = u.window("one");
    const Window two = u.window("two");
    u.ready(main);
    XWindowAttributes before{};
    ASSERT_TRUE(XGetWindowAttributes(dpy, main, &before));
    XIconifyWindow(dpy, one, DefaultScreen(dpy));
    XSync(dpy, False);
    u.gone(one, "the window \"one\" to be minimised");
    u.ready(main, false);
    EXPECT_TRUE(shown(dpy, main)) << "the main window went with \"one\"";
    EXPECT_TRUE(shown(dpy, two)) << "the window \"two\" went with \"one\"";
    // The main window minimised, then activated as a task bar does.
    XIconifyWindow(dpy, main, DefaultScreen(dpy));
    XSync(dpy, False);
    u.gone(main, "the main window to be minimised");
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = main;
    ev.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = 2;  // asked by the user
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    XSync(dpy, False);
    u.window("w2.ost");
    u.ready(main, false);
    XWindowAttributes after{};
    ASSERT_TRUE(XGetWindowAttributes(dpy, main, &after));
    testsupport::screenshot(dpy, main, "main_restored", 0);
    EXPECT_EQ(std::make_pair(after.width, after.height),
              std::make_pair(before.width, before.height));
    u.close(main);
    u.gone(main, "the main window to go when closed");
  }
  EXPECT_EQ(finish(), 0) << err;
}

}  // namespace
