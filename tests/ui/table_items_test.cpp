// The items a table is made of, looked at in the live dialog: titles from
// a row of the data and check-box titles bound to ColSel, per-column
// controls from CoNtrols, column widths from the item width, a second
// table beside the first, the pages of Ctrl with Enter and with the scroll
// bar, a NUL character of a text cell.
#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "exec/windowlist.h"
#include "platform/backend.h"
#include "platform/win_commctrl.h"
#include "platform/win_controls.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;
using dlgtest::shown;

int focusid() { return win::GetDlgCtrlID(win::GetFocus()); }

win::LRESULT ask(win::HWND dialog, int id, win::UINT message) {
  return win::SendMessageA(win::GetDlgItem(dialog, id), message, 0, 0);
}

// The item of control id `id` in the dialog's record.
const toolkit::dialog_t& itemof(win::HWND dialog, int id) {
  exec::FINDWINDOW(dialog);
  return exec::wdwcur->dialogitems(id - 1000);
}

bool visible(win::HWND dialog, int id) {
  return win::IsWindowVisible(win::GetDlgItem(dialog, id)) != 0;
}

dlgtest::Key ctrlenter() {
  dlgtest::Key k = press(win::VK_RETURN);
  k.ctrl = true;
  return k;
}

TEST_F(DialogScript, TitlesComeFromARowOfTheDataOrFromCheckBoxesBoundToColSel) {
  // A ColTitle of 1: row 1 gives the titles and is never scrolled into view.
  std::string look;
  answer({probe([&](win::HWND w) {
            for (int id = 1003; id <= 1008; ++id) look += shown(w, id) + "|";
            look += shown(w, 1009);
          }),
          click(1001)});
  EXPECT_EQ(run("DIMENSION A(3, 3)\nA = $\nCT = 1\nDLG(Edit=A, ColTitle=CT)\n"),
            "A=(1,2,3,4,5,6,7,8,9)\nCT=1\nstop=-1\n");
  EXPECT_EQ(look, "1*|2|3|2*|3||4");  // titles, row titles 2 and 3, a third row hidden
  // Check-box titles: title n is bit n-1 of ColSel's value 5.
  int checks[3] = {};
  answer({probe([&](win::HWND w) {
            look = shown(w, 1003) + shown(w, 1004) + shown(w, 1005);
            for (int k = 0; k < 3; ++k)
              checks[k] = static_cast<int>(ask(w, 1003 + k, win::BM_GETCHECK));
          }),
          click(1001)});
  EXPECT_EQ(
      run("DIMENSION B(2, 3)\nS = 5\nDLG(Edit=B, ColTitle='CHeckbox:a,CHeckbox:b,CHeckbox:c,', "
          "ColSel=S)\n"),
      "B=(0,0,0,0,0,0)\nS=5\nstop=-1\n");
  EXPECT_EQ(look, "&a*&b&c");  // the focus title marked
  EXPECT_EQ(checks[0], 1);
  EXPECT_EQ(checks[1], 0);
  EXPECT_EQ(checks[2], 1);
}

TEST_F(DialogScript, RowTitlesThatAreButtonsTakeEachFinalDigitOnce) {
  // Rows 1 and 11 end in the same digit: only row 1 gets it as access key.
  std::string list;
  for (char c = 'a'; c <= 'k'; ++c) list += std::string("Button:") + c + ",";
  std::string look;
  answer({probe([&](win::HWND w) {
            look = shown(w, 1004) + "|" + shown(w, 1005) + "|" + shown(w, 1014);
          }),
          click(1001)});
  run("DIMENSION A(1, 12)\nDLG(Edit=A, Height=11, RowTitle='" + list + "')\n");
  EXPECT_EQ(look, "&1 a*|&2 b|11 k");
}

TEST_F(DialogScript, CoNtrolsMakeAColumnsCellsTrackBarsAndLaterColumnsRepeatThem) {
  int ranges[2] = {}, positions[4] = {};
  bool edits = false;
  answer({probe([&](win::HWND w) {
            // Cells of 2 rows x 4 columns from 1009: columns 3 and 4 are track bars.
            ranges[0] = static_cast<int>(ask(w, 1011, win::TBM_GETRANGEMAX));
            ranges[1] = static_cast<int>(ask(w, 1011, win::TBM_GETRANGEMIN));
            positions[0] = static_cast<int>(ask(w, 1011, win::TBM_GETPOS));
            positions[1] = static_cast<int>(ask(w, 1012, win::TBM_GETPOS));
            positions[2] = static_cast<int>(ask(w, 1015, win::TBM_GETPOS));
            positions[3] = static_cast<int>(ask(w, 1016, win::TBM_GETPOS));
            edits = toolkit::low_type(itemof(w, 1009)) == toolkit::DLG_EDITBOX &&
                    toolkit::low_type(itemof(w, 1010)) == toolkit::DLG_EDITBOX &&
                    toolkit::low_type(itemof(w, 1011)) == toolkit::DLG_TRACKBAR &&
                    itemof(w, 1011).real8_max == 10.0 && itemof(w, 1011).integer_increment == 2;
          }),
          click(1001)});
  EXPECT_EQ(
      run("DIMENSION C(2, 4)\nC = $\nDLG(Edit=C, CoNtrols='MIN=0,MAX=10,DNum=2,3:TrackBar')\n"),
      "C=(1,2,3,4,5,6,7,8)\nstop=-1\n");
  EXPECT_EQ(ranges[0], 10);
  EXPECT_EQ(ranges[1], 0);
  EXPECT_EQ(positions[0], 3);
  EXPECT_EQ(positions[1], 4);
  EXPECT_EQ(positions[2], 7);
  EXPECT_EQ(positions[3], 8);
  EXPECT_TRUE(edits);
}

TEST_F(DialogScript, AnItemWidthOtherThan40GivesEveryColumnAQuarterOfIt) {
  int widths[2] = {};
  answer({probe([&](win::HWND w) {
            widths[0] = itemof(w, 1008).width;  // first cell of a 2 x 2 table
            widths[1] = itemof(w, 1009).width;
          }),
          click(1001)});
  run("DIMENSION A(2, 2)\nDLG(DefWidth=60, Edit=A)\n");
  EXPECT_EQ(widths[0], 68);
  EXPECT_EQ(widths[1], 68);
  answer({probe([&](win::HWND w) { widths[0] = itemof(w, 1008).width; }), click(1001)});
  run("DIMENSION A(2, 2)\nDLG(Edit=A)\n");
  EXPECT_EQ(widths[0], 48);
}

TEST_F(DialogScript, ASecondTableOnTheFirstOnesBandScrollsWithItAndColCountsOverBoth) {
  // A: 4 rows x 3 columns, 3 shown: items 1001-1019; B: 2 rows x 4 columns
  // from 1020 (titles 1020-1023, row titles 1024-1025, cells 1026-1033).
  const std::string script =
      "DIMENSION A(4, 3), B(2, 4)\nA = $\nB = $\nR = 3\nC = %\n"
      "DLG(Edit=A, Height=3, ROW=R, COL=C, Edit=B, Y=0)\n";
  const auto with = [&](char c) {
    std::string t = script;
    t[t.find('%')] = c;
    return t;
  };
  bool rowshidden = false;
  int focus = 0, bx = 0, cellx = 0;
  answer(keys({{probe([](win::HWND) {}), probe([&](win::HWND w) {
                  focus = focusid();
                  rowshidden = !visible(w, 1024) && !visible(w, 1025);
                  bx = itemof(w, 1020).x;
                  cellx = itemof(w, 1026).x;
                })},
               {click(1001)}}));
  // COL 5 is column 2 of B; ROW 3 is beyond B's two rows: its last.
  EXPECT_EQ(run(with('5')),
            "A=(1,2,3,4,5,6,7,8,9,10,11,12)\nB=(1,2,3,4,5,6,7,8)\nR=2\nC=5\nstop=-1\n");
  EXPECT_EQ(focus, 1031);
  EXPECT_TRUE(rowshidden);
  EXPECT_EQ(cellx, bx);
  // Enter on A's last shown row scrolls both tables; B has no third row.
  std::string rows;
  answer(keys({{probe([](win::HWND) {}), press(win::VK_RETURN), probe([&](win::HWND w) {
                  rows = shown(w, 1009) + "|" + shown(w, 1026) + "|" +
                         (visible(w, 1030) ? "shown" : "hidden");
                })},
               {click(1001)}}));
  EXPECT_EQ(run(with('2')),
            "A=(1,2,3,4,5,6,7,8,9,10,11,12)\nB=(1,2,3,4,5,6,7,8)\nR=4\nC=2\nstop=-1\n");
  EXPECT_EQ(rows, "4|5|hidden");
}

TEST_F(DialogScript, CtrlEnterAndCtrlWithTheScrollBarMoveByPages) {
  // Ten rows, three shown; cells 1007-1009, the vertical bar 1010.
  std::vector<std::string> tops;
  const auto top = [&] { return probe([&](win::HWND w) { tops.push_back(shown(w, 1004)); }); };
  answer(keys({{probe([](win::HWND) {}), top(), ctrlenter(), top(), ctrlenter(), top()},
               {probe([](win::HWND w) {
                  plat::set_key_state(win::VK_CONTROL, true);
                  win::SendMessageA(w, win::WM_VSCROLL, win::SB_LINEDOWN,
                                    reinterpret_cast<win::LPARAM>(win::GetDlgItem(w, 1010)));
                  plat::set_key_state(win::VK_CONTROL, false);
                }),
                top()},
               {click(1001)}}));
  run("DIMENSION A(1, 10)\nA = $\nDLG(Edit=A, Height=3)\n");
  EXPECT_EQ(tops, (std::vector<std::string>{"1*", "4", "7", "8"}));
}

TEST_F(DialogScript, ANulCharacterOfATextCellShowsAsADot) {
  std::string cell;
  answer({probe([&](win::HWND w) { cell = shown(w, 1005); }), click(1001)});
  run("CHARACTER S*4\nS = 'ab'\nS(2:2) = CHAR(0)\nDLG(Edit=S, Format='A4')\n");
  EXPECT_EQ(cell, "a.");
}

}  // namespace
