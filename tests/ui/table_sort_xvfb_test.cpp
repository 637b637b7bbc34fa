// A file table on the test program's Xvfb: a click of the display's mouse
// on a column's title sorts the rows shown, and a find from the More menu
// moves the focus to the cell found. The run goes on in a child process;
// the user is a thread of it that acts when the program waits for it.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "exec/windowlist.h"
#include "ide/windowclose.h"
#include "platform/backend.h"
#include "platform/win_controls.h"
#include "platform/win_window.h"
#include "support/display_user.h"
#include "support/script_folder.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "table_display.h"
#include "toolkit/loops.h"
// clang-format off
#include "platform/x11_backend.h"
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

namespace {

// Items of a table of two columns and three rows shown: the More button,
// the first column's title, the first column's cells; the prompts' choices
// are 10000 plus the choice: the go-to mode, then its find.
constexpr int kMore = 1002;
constexpr int kTitle1 = 1003;
constexpr int kCells[] = {1008, 1010, 1012};
constexpr int kGoToMode = 10000 + 1204;
constexpr int kFind = 10000 + 1101;

// Seen by the user while the program waits for it.
struct Seen {
  std::string sorted;  // the first column's cells after the title's click
  std::string focus;   // the text of the cell with the focus after the find
};

std::string textof(win::HWND control) {
  char text[64] = {};
  win::GetWindowTextA(control, text, sizeof text);
  return text;
}

// The first edit field of a prompt (of the lowest id).
win::HWND firstfield(win::HWND d) {
  win::HWND found = nullptr;
  for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    char cls[32] = {};
    win::GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == "Edit" &&
        (found == nullptr || win::GetDlgCtrlID(c) < win::GetDlgCtrlID(found)))
      found = c;
  }
  return found;
}

// A click of the display's first button in the middle of the control.
void click(testsupport::DisplayUser& u, win::HWND control, const char* what) {
  if (control == nullptr) testsupport::DisplayUser::abandon(std::string("no ") + what);
  win::RECT r{};
  win::GetWindowRect(control, &r);
  u.click(DefaultRootWindow(u.display()), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The program's newest window: the one the user just waited for.
win::HWND newest() { return exec::wdwtail != nullptr ? exec::wdwtail->window : nullptr; }

// The program's windows are looked at only while it waits for the user.
void user(const std::string& display, Seen& seen) {
  testsupport::DisplayUser u(display);
  const ::Window table = u.window("Sorted");
  u.focus(table);
  const win::HWND d = newest();
  click(u, win::GetDlgItem(d, kTitle1), "column title");
  u.ready(table);
  for (int id : kCells) seen.sorted += textof(win::GetDlgItem(d, id)) + "|";
  testsupport::screenshot(u.display(), table, "table_sorted", 0);
  // More, then the prompt's field: "cc" to find in the go-to mode.
  click(u, win::GetDlgItem(d, kMore), "More button");
  const ::Window menu =
      u.window([](const std::string& t) { return t != "Sorted" && !t.empty(); }, "the More menu");
  u.ready(menu, false);
  const win::HWND m = newest();
  click(u, firstfield(m), "field in the More menu");
  u.ready(menu, false);
  for (KeySym k : {XK_End, XK_BackSpace, XK_BackSpace, XK_c, XK_c}) u.key(menu, {}, k, false);
  u.ready(menu, false);
  click(u, win::GetDlgItem(m, kGoToMode), "go-to choice");
  u.gone(menu, "the More menu to close after the go-to choice");
  const ::Window go = u.window([](const std::string& t) { return t != "Sorted" && !t.empty(); },
                               "the go-to prompt", menu);
  u.ready(go, false);
  click(u, win::GetDlgItem(newest(), kFind), "find choice");
  u.gone(go, "the go-to prompt to close after its find");
  u.ready(table);
  seen.focus = textof(win::GetFocus());
  testsupport::screenshot(u.display(), table, "table_found", 0);
  u.key(table, {}, XK_Escape, false);
  u.gone(table, "the table to close after Escape");
}

using DisplaySortedTable = testsupport::ScriptInFolder;

TEST_F(DisplaySortedTable, ATitleClickSortsTheRowsShownAndAFindMovesTheFocusToTheHit) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  testsupport::write_file("t.txt", "cc 1\r\nab 3\r\nbb 2\r\n");
  const std::string report = testsupport::in_child([&]() -> std::string {
    const std::string problem = tabledisplay::open(display);
    if (!problem.empty()) return problem;
    Seen seen;
    std::thread typist(user, display, std::ref(seen));
    const std::string out =
        run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A3,A')\n"
            "DLG(TItle='Sorted', Edit=F, Format='A3,A2', Y=0)\n");
    typist.join();
    plat::close_display();
    std::string failed;
    if (seen.sorted != "ab|bb|cc|")
      failed += "the rows shown after the click: " + seen.sorted + "\n";
    if (seen.focus != "cc") failed += "the focus cell after the find: " + seen.focus + "\n";
    if (testsupport::read_file("t.txt") != "cc 1\r\nab 3\r\nbb 2\r\n")
      failed += "the file changed\n";
    return failed.empty() ? "" : failed + "the run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
