// A fixed-column text file shown as a table on the test program's Xvfb,
// with the script's own OK button under it: a click on a column's title
// sorts whole rows, a number typed into a cell after the sort is kept as
// an edit of the row it shows and written into that line of the file when
// the table closes; the OK button stands whole, clear of the table's
// scroll bar. The run goes on in a child process; the user is a thread of
// it that clicks and types when the program waits for it.
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

// Items of a table of three columns and four rows: the column titles,
// then (after the row titles) the cells row by row, then its scroll bars.
constexpr int kTitle2 = 1004;
constexpr int kFirstCell = 1010;
constexpr int kHorizontalBar = kFirstCell + 12 + 1;
int cell(int row, int col) { return kFirstCell + 3 * (row - 1) + (col - 1); }

const char* const kStock =
    "pears           12     2.50\r\n"
    "apples          40     1.25\r\n"
    "plums            7     3.10\r\n"
    "cherries        25     4.00\r\n";

struct Seen {
  std::string sorted;  // the cells row by row after the title's click
  std::string boxes;   // windows other than the table's after the edit
  std::string button;  // what is wrong with the script's OK button
};

std::string textof(win::HWND control) {
  char text[64] = {};
  win::GetWindowTextA(control, text, sizeof text);
  return text;
}

win::RECT rectof(win::HWND control) {
  win::RECT r{};
  win::GetWindowRect(control, &r);
  return r;
}

void click(testsupport::DisplayUser& u, win::HWND control, const char* what) {
  if (control == nullptr) testsupport::DisplayUser::abandon(std::string("no ") + what);
  const win::RECT r = rectof(control);
  u.click(DefaultRootWindow(u.display()), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The script's button: the last push button of the dialog titled OK.
win::HWND scriptbutton(win::HWND d) {
  win::HWND found = nullptr;
  for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT))
    if ((textof(c) == "OK" || textof(c) == "&OK") &&
        (found == nullptr || win::GetDlgCtrlID(c) > win::GetDlgCtrlID(found)))
      found = c;
  return found;
}

void user(const std::string& display, Seen& seen) {
  testsupport::DisplayUser u(display);
  const ::Window table = u.window("Stock");
  u.focus(table);
  const win::HWND d = exec::wdwtail != nullptr ? exec::wdwtail->window : nullptr;
  // The button stands whole inside the dialog, clear of the scroll bar.
  const win::HWND ok = scriptbutton(d);
  const win::HWND bar = win::GetDlgItem(d, kHorizontalBar);
  if (ok == nullptr) {
    seen.button = "no OK button";
  } else {
    const win::RECT b = rectof(ok), client = [&] {
      win::RECT r{};
      win::GetWindowRect(d, &r);
      return r;
    }();
    if (b.bottom > client.bottom || b.right > client.right)
      seen.button += "the OK button reaches out of the dialog\n";
    if (bar != nullptr && win::IsWindowVisible(bar)) {
      const win::RECT s = rectof(bar);
      if (b.left < s.right && s.left < b.right && b.top < s.bottom && s.top < b.bottom)
        seen.button += "the OK button lies under the horizontal scroll bar\n";
    }
  }
  click(u, win::GetDlgItem(d, kTitle2), "second column's title");
  u.ready(table);
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 3; ++c) seen.sorted += textof(win::GetDlgItem(d, cell(r, c))) + "|";
    seen.sorted += "\n";
  }
  testsupport::screenshot(u.display(), table, "table_stock_sorted", 0);
  // 9.99 into row 4, column 3 (apples, after the sort), then a click on
  // another cell.
  click(u, win::GetDlgItem(d, cell(4, 3)), "cell of row 4, column 3");
  u.ready(table);
  for (KeySym k : {XK_End, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_9, XK_period,
                   XK_9, XK_9})
    u.key(table, {}, k);
  click(u, win::GetDlgItem(d, cell(1, 1)), "cell of row 1, column 1");
  u.ready(table, false);
  for (const std::string& t : u.titles())
    if (t != "Stock") seen.boxes += "\"" + t + "\" ";
  if (!seen.boxes.empty()) testsupport::DisplayUser::abandon("boxes after the edit: " + seen.boxes);
  u.alone(table, "the table alone after the edit");
  click(u, scriptbutton(d), "script's OK button");
  // The question whether to save, answered Yes (its default).
  const ::Window question =
      u.window([](const std::string& t) { return t != "Stock" && !t.empty(); },
               "the question whether to save the changes");
  u.ready(question, false);
  u.key(question, {}, XK_Return, false);
  u.gone(table, "the table's window to close after the answer");
}

using DisplayStockTable = testsupport::ScriptInFolder;

TEST_F(DisplayStockTable, ATitleClickMovesWholeRowsAndAnEditAfterItIsSavedIntoTheRowItShows) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  testsupport::write_file("stock.txt", kStock);
  const std::string report = testsupport::in_child([&]() -> std::string {
    const std::string problem = tabledisplay::open(display);
    if (!problem.empty()) return problem;
    Seen seen;
    std::thread typist(user, display, std::ref(seen));
    const std::string out =
        run("CHARACTER F*30, LAYOUT*40\nF = 'stock.txt'\nLAYOUT = '(A12, I6, F9.2)'\n"
            "OPEN(FIle=F, Format=LAYOUT)\n"
            "R = DLG(TItle='Stock', Edit=F, Format=LAYOUT, Button='1:&OK')\n"
            "READ(FIle=F, CLoSe=1)\n");
    typist.join();
    plat::close_display();
    std::string failed = seen.button;
    const std::string sorted =
        "plums|7|3.10|\npears|12|2.50|\ncherries|25|4.00|\napples|40|1.25|\n";
    if (seen.sorted != sorted) failed += "the rows shown after the click:\n" + seen.sorted;
    const std::string file = testsupport::read_file("stock.txt");
    const std::string saved =
        "pears           12     2.50\r\n"
        "apples          40     9.99\r\n"
        "plums            7     3.10\r\n"
        "cherries        25     4.00\r\n";
    if (file != saved) failed += "the file holds:\n" + file;
    return failed.empty() ? "" : failed + "the run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
