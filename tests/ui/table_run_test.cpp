// Tables in DLG dialogs run as a user works them, headless: numbers and
// texts typed into cells reach the array or the character variable, Tab
// and Enter move the focus cell with wrap-around and scrolling, ROW and COL
// follow the focus, the focus titles carry "*".
#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/win_controls.h"
#include "platform/win_message_keys.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;
using dlgtest::shown;
using dlgtest::typing;

// Everything a field shows, replaced by the text.
std::vector<dlgtest::Key> replace(const std::string& text) {
  return keys(
      {{press(win::VK_HOME), press(win::VK_END, true), press(win::VK_DELETE)}, typing(text)});
}

// The control id that has the focus.
int focusid() { return win::GetDlgCtrlID(win::GetFocus()); }

// Items of a first table of c columns and r rows: OK 1001, More 1002, the
// column titles, the row titles, then the cells row by row.
struct Ids {
  int c, r;
  int coltitle(int k) const { return 1002 + k; }
  int rowtitle(int k) const { return 1002 + c + k; }
  int cell(int row, int col) const { return 1002 + c + r + (row - 1) * c + col; }
};

constexpr const char* kArray = R"(DIMENSION A(3, 2)
A = $
R = 2
C = 1
I = DLG(Edit=A, Height=3, ROW=R, COL=C)
)";

TEST_F(DialogScript, ANumberTypedIntoACellAndTabReachTheElementAndRowAndColFollow) {
  const Ids ids{2, 3};
  std::string before, after;
  int focusbefore = 0, focusafter = 0;
  // The focus goes to the cell of ROW and COL once the dialog has opened.
  answer(keys({{probe([](win::HWND) {}), probe([&](win::HWND w) {
                  focusbefore = focusid();
                  before = shown(w, ids.coltitle(1)) + "|" + shown(w, ids.rowtitle(2)) + "|" +
                           shown(w, ids.cell(2, 1));
                })},
               replace("7.5"),
               {press(win::VK_TAB)},
               {probe([&](win::HWND w) {
                 focusafter = focusid();
                 after = shown(w, ids.coltitle(1)) + "|" + shown(w, ids.coltitle(2)) + "|" +
                         shown(w, ids.cell(2, 1));
               })},
               {click(1001)}}));
  EXPECT_EQ(run(kArray), "A=(1,2,7.5,4,5,6)\nR=2\nC=2\nI=1001\nstop=-1\n");
  EXPECT_EQ(focusbefore, ids.cell(2, 1));
  EXPECT_EQ(before, "A*|2*|3");
  EXPECT_EQ(focusafter, ids.cell(2, 2));
  EXPECT_EQ(after, "A|2*|7.5");
}

TEST_F(DialogScript, EachTextCellIsWrittenOverItsOwnColumnsWidth) {
  // Widths 3 and 5: row 2, column 2 is characters 12 to 16.
  const Ids ids{2, 2};
  const std::string script = R"(CHARACTER S*16
S = 'abcdefghIJKLMNOP'
R = 2
C = %
DLG(Edit=S, Format='A3,A5', ROW=R, COL=C)
)";
  const auto with = [&](char c) {
    std::string t = script;
    t[t.find('%')] = c;
    return t;
  };
  std::string cells;
  answer(keys({{probe([](win::HWND) {}), probe([&](win::HWND w) {
                  for (int r = 1; r <= 2; ++r)
                    for (int c = 1; c <= 2; ++c) cells += shown(w, ids.cell(r, c)) + "|";
                })},
               replace("xy"),
               {click(1001)}}));
  EXPECT_EQ(run(with('2')), "S='abcdefghIJKxy   '\nR=2\nC=2\nstop=-1\n");
  EXPECT_EQ(cells, "abc|defgh|IJK|LMNOP|");
  // A narrower column is not written into the next.
  answer(keys({{probe([](win::HWND) {})}, replace("Qrstuvw"), {click(1001)}}));
  EXPECT_EQ(run(with('1')), "S='abcdefghQrsLMNOP'\nR=2\nC=1\nstop=-1\n");
}

TEST_F(DialogScript, TabWrapsFromRowToRowAndLeavesTheTableAtItsEnds) {
  const Ids ids{2, 3};
  std::vector<int> focus;
  const auto where = [&] { return probe([&](win::HWND) { focus.push_back(focusid()); }); };
  // From (2,2) Tab wraps to (3,1), then (3,2); a Tab from the last cell
  // leaves the table and moves nothing.
  answer(keys({{probe([](win::HWND) {}), where(), press(win::VK_TAB), where(), press(win::VK_TAB),
                where(), press(win::VK_TAB), where()},
               {click(1001)}}));
  EXPECT_EQ(run("DIMENSION A(3, 2)\nR = 2\nC = 2\nDLG(Edit=A, ROW=R, COL=C)\n"),
            "A=(0,0,0,0,0,0)\nR=3\nC=2\nstop=-1\n");
  EXPECT_EQ(focus, (std::vector<int>{ids.cell(2, 2), ids.cell(3, 1), ids.cell(3, 2), 1001}));
  // Back from the first cell leaves it too.
  focus.clear();
  answer(
      keys({{probe([](win::HWND) {}), where(), press(win::VK_TAB, true), where()}, {click(1001)}}));
  EXPECT_EQ(run("DIMENSION A(3, 2)\nR = 1\nC = 1\nDLG(Edit=A, ROW=R, COL=C)\n"),
            "A=(0,0,0,0,0,0)\nR=1\nC=1\nstop=-1\n");
  EXPECT_EQ(focus, (std::vector<int>{ids.cell(1, 1), 1002}));
}

TEST_F(DialogScript, EnterMovesDownAndScrollsAtTheLastVisibleRowAndWrapsAtTheLastRow) {
  // Five rows, two shown: Enter from row 2 scrolls; from row 5 it wraps to
  // row 1; Shift+Enter goes up.
  const Ids ids{1, 2};
  std::vector<std::string> titles;
  const auto look = [&] {
    return probe([&](win::HWND w) {
      titles.push_back(shown(w, ids.rowtitle(1)) + "," + shown(w, ids.rowtitle(2)));
    });
  };
  answer(keys({{probe([](win::HWND) {}), look()},
               {press(win::VK_RETURN), look(), press(win::VK_RETURN), press(win::VK_RETURN), look(),
                press(win::VK_RETURN), look(), press(win::VK_RETURN, true), look()},
               {click(1001)}}));
  EXPECT_EQ(run("DIMENSION A(1, 5)\nA = $\nR = 2\nDLG(Edit=A, Height=2, ROW=R)\n"),
            "A=(1,2,3,4,5)\nR=5\nstop=-1\n");
  EXPECT_EQ(titles, (std::vector<std::string>{"1,2*", "2,3*", "4,5*", "1*,2", "4,5*"}));
}

}  // namespace

namespace {

TEST_F(DialogScript, SortWritesAnOutputThatNamesAColumnIntoTheOpenTable) {
  // The second column of the open table receives the ranks; a column the
  // table lacks takes nothing and leaves the run going.
  answer(keys({{probe([](win::HWND) {})}}));
  EXPECT_EQ(run(R"(DIMENSION A(3, 2), V(3)
A = $
V = 30, 10, 20
DLG(Edit=A, WINdowhandle=H)
SORT(Vector=V, Rank=2)
SORT(Vector=V, Index=7)
H = 0
END
)"),
            "A=(1,3,3,1,5,2)\nV=(30,10,20)\nH=0\nstop=-1\n");
}

TEST_F(DialogScript, AnArrayOrAFormattedTextInADialogTextIsATableWhoseCellsReachIt) {
  const Ids ids{2, 3};
  std::string cells;
  std::uint32_t lastrow = 0;
  answer(keys({{probe([](win::HWND) {}), probe([&](win::HWND w) {
                  for (int r = 1; r <= 3; ++r)
                    for (int c = 1; c <= 2; ++c) cells += shown(w, ids.cell(r, c)) + "|";
                  // The rows take their colours from the window's (not black).
                  win::InvalidateRect(w, nullptr, win::TRUE);
                  win::UpdateWindow(w);
                  lastrow = plat::window_pixel(win::GetDlgItem(w, ids.cell(3, 2)), 2, 2);
                })},
               replace("7.5"),
               {press(win::VK_TAB)},
               {click(1001)}}));
  EXPECT_EQ(run("DIMENSION A(3, 2)\nA = $\nR = 2\nC = 1\n"
                "K = DLG('Edit*1;Height=3;ROW*2;COL*3', A, R, C)\n"),
            "A=(1,2,7.5,4,5,6)\nR=2\nC=2\nK=1001\nstop=-1\n");
  EXPECT_EQ(cells, "1|2|3|4|5|6|");
  EXPECT_EQ(lastrow, exec::rgbtab(exec::colnum(2)));
  // A character variable with a written format: its columns' widths.
  const Ids two{2, 2};
  cells.clear();
  answer(keys({{probe([&](win::HWND w) {
                 for (int r = 1; r <= 2; ++r)
                   for (int c = 1; c <= 2; ++c) cells += shown(w, two.cell(r, c)) + "|";
               })},
               {click(1001)}}));
  run("CHARACTER S*16\nS = 'abcdefghIJKLMNOP'\nK = DLG('Edit*1;Format=A3,A5', S)\n");
  EXPECT_EQ(cells, "abc|defgh|IJK|LMNOP|");
}

}  // namespace
