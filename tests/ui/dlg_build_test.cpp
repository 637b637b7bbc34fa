// The items a DLG statement builds, looked at while the dialog is open:
// places and widths by the layout rules, values clamped by the control's
// kind, button prefixes, the label of NamEedit, boxes from a bit list, and
// the font stepped down for a dialog too large for the screen.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "exec/windowless.h"
#include "exec/windowlist.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;

struct Seen {
  int id;
  int x;
  int width;
  int value;
  std::string title;
};
std::vector<Seen> items;

// The items of the dialog that just opened.
void look(win::HWND) {
  items.clear();
  const exec::wdwrec* w = exec::wdwtail;
  ASSERT_NE(w, nullptr);
  for (std::int32_t i = 1; i <= w->shownitems; ++i) {
    const toolkit::dialog_t& d = w->dialogitems(i);
    items.push_back({d.id, d.x, d.width, d.integer_value, std::string(d.title.trimmed())});
  }
}

TEST_F(DialogScript, ColumnsPlaceItemsAndBarsClampTheirValues) {
  answer({}, look);
  run("A = -40000\nB = 70000\nC = -5\n"
      "DLG(BORder=8, Text='a', X=2, Text='b', TrackBar=A, ScrollBar=B, UpDown=C)\n");
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].x, 96);
  EXPECT_EQ(items[1].x, 140);
  EXPECT_EQ(items[2].value, -32767);
  EXPECT_EQ(items[3].value, 65535);
  EXPECT_EQ(items[4].value, 0);
}

TEST_F(DialogScript, TheLayoutRulesTellASwitchFromAZero) {
  // A switch carries the smallest normal number, not 0: a width of no
  // columns rather than one column.
  ui::builder = ui::Builder{};
  ui::builder.border = 8;
  EXPECT_EQ(ui::build::sizewidth(0.0, false, 0), 40);
  EXPECT_EQ(ui::build::sizewidth(DBL_MIN, false, 0), 0);
  EXPECT_EQ(ui::build::sizewidth(2.0, false, 0), 84);
  EXPECT_EQ(ui::build::sizewidth(-3.0, false, 0), 12);
  EXPECT_EQ(ui::build::sizeheight(2.0, false), 28);
  EXPECT_EQ(ui::build::columnx(DBL_MIN, false), 8);
  EXPECT_EQ(ui::build::columnx(3.0, true), 20);
  EXPECT_EQ(ui::build::liney(1.0, false), 8 + 4 + 12);
  EXPECT_EQ(ui::build::liney(1e9, false), 8 * 1024 / 16);
  EXPECT_EQ(ui::build::clampedvalue(-3e9, 0), -2147483647);
  EXPECT_EQ(ui::build::clampedvalue(12.9, ui::ck::trackbar), 12);
}

TEST_F(DialogScript, ButtonPrefixesChooseIdsAndNumbers) {
  answer({click(10005)}, look);
  EXPECT_EQ(
      run(R"(I = DLG(Button='5:Five', Button='0:Zero', Button='-1:Minus', Button='STEP:Step', Button='RUN:Run', Button='C:\dir', Button='a b:c')
)"),
      "I=5\nstop=-1\n");
  ASSERT_EQ(items.size(), 7u);
  const std::vector<std::pair<int, std::string>> want = {
      {10005, "Five"}, {2, "Zero"},       {4, "Minus"},   {0x7FFE, "Step"},
      {0x7FFD, "Run"}, {1006, "C:\\dir"}, {1007, "a b:c"}};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(items[i].id, want[i].first) << i;
    EXPECT_EQ(items[i].title, want[i].second) << i;
  }
}

TEST_F(DialogScript, NamEeditMakesALabelThatTakesTheNextPlacement) {
  answer({}, look);
  run("A = 1\nDLG(NamEedit=A, X=10)\n");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].title, "A=");
  EXPECT_EQ(items[0].x, 7 + 10 * 44);
  EXPECT_EQ(items[1].x, 7 + 10 * 44 + 44);
  answer({}, look);
  run("A = 1\nDLG(NamEedit=A)\n");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].x, 7);
  EXPECT_EQ(items[1].x, 51);
}

// A name alone shows the variable in a box of its own: a short text keeps
// the default width of an edit field, a longer one widens it to the text.
TEST_F(DialogScript, ANameAloneKeepsTheDefaultFieldWidthForAShortText) {
  const std::string declared = "CHARACTER S*40\nS = ";
  const auto fieldwidth = [this](const std::string& script) {
    answer({}, look);
    run(script);
    return items.empty() ? -1 : items.back().width;
  };
  const int plain = fieldwidth(declared + "'ab'\nDLG(Edit=S)\n");
  const int shorttext = fieldwidth(declared + "'ab'\nS\n");
  const int longtext = fieldwidth(declared + "'abcdefghijklmnopqrstuvwxyz0123456789'\nS\n");
  EXPECT_GT(plain, 0);
  EXPECT_EQ(shorttext, plain);
  EXPECT_GT(longtext, plain);
}

TEST_F(DialogScript, ABitListMakesOneBoxPerBitOfItsVariable) {
  answer({click(1002), click(1001)}, look);
  EXPECT_EQ(run("F = 5\nDLG(BiTteXt='Red|Green|Blue', CHeckbox=F)\n"), "F=6\nstop=-1\n");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].title, "Red");
  EXPECT_EQ(items[1].title, "Green");
  EXPECT_EQ(items[2].title, "Blue");
  EXPECT_EQ(items[0].value, 1);
  EXPECT_EQ(items[1].value, 0);
  EXPECT_EQ(items[2].value, 1);
  answer({}, look);
  run("F = 2\nDLG(BiTteXt='RGB', CHeckbox=F)\n");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].title + items[1].title + items[2].title, "RGB");
  EXPECT_EQ(items[1].value, 1);
}

TEST_F(DialogScript, ANumberShownAsItsNameAndValueIsAsWideAsItsText) {
  answer({}, look);
  run("LONGNAME = 1234567890123.5\nK = 1\nDLG(Text=LONGNAME, Text=K)\n");
  ASSERT_EQ(items.size(), 2u);
  // "LONGNAME=1234567890123.5;" holds 25 characters: 33 columns of the
  // width unit; "K=1;" stands in the default width.
  EXPECT_EQ(items[0].width, 4 * 33 - 1);
  EXPECT_EQ(items[1].width, 40);
  EXPECT_EQ(items[1].title, "K=1;");
}

TEST_F(DialogScript, ADialogTooLargeForTheScreenStepsItsFontDown) {
  answer({});
  run("DLG(Text='top', Y=300)\n");
  EXPECT_EQ(plot::fontslots(6).face.trimmed(), "Courier new");
  const std::int32_t tall = plot::fontslots(6).points;
  EXPECT_GE(tall, 4);
  EXPECT_LE(tall, 9);
  // Wider still: smaller, down to 4 points and no further.
  answer({});
  run("DLG(Text='top', Y=300, Width=-2000)\n");
  EXPECT_LT(plot::fontslots(6).points, tall);
  EXPECT_GE(plot::fontslots(6).points, 4);
  plot::reset_fontslots();
  answer({});
  run("DLG(Text='top', Y=2)\n");
  EXPECT_EQ(plot::fontslots(6).face.trimmed(), "Fixedsys");
}

// A control's id is counted as its option is staged; a table waiting for
// the next control places its items before that control does. A control
// counted as any id of the items placed since, the last one included,
// takes the id of its own place (else a script's button would share an id
// with the table's More button, or with any other of its items); an id of
// its own (a numbered button's) is kept.
TEST_F(DialogScript, AControlCountedBeforeItemsPlacedBeforeItTakesTheIdOfItsPlace) {
  ASSERT_TRUE(exec::OPENWINDOWLESS());
  const auto place = [](std::int32_t id) {
    ui::staged = ui::Staged{};
    ui::staged.keyword = ui::dk("Button");
    ui::staged.itemid = id;
    std::int32_t status = 0;
    ui::SETDLGWINDOW_ITEM(status);
    EXPECT_EQ(status, 0);
    return exec::ctlcur != nullptr ? exec::ctlcur->ctlid : 0;
  };
  constexpr std::int32_t placed = 5;
  for (std::int32_t counted = ui::idbase + 1; counted <= ui::idbase + placed + 2; ++counted) {
    ui::builder = ui::Builder{};
    ui::builder.planned = placed + 2;
    for (std::int32_t k = 1; k <= placed; ++k) place(ui::idbase + k);
    const std::int32_t own = ui::idbase + placed + 1;
    EXPECT_EQ(place(counted), counted <= own ? own : counted) << counted - ui::idbase;
    EXPECT_EQ(place(ui::labelbase + 3), ui::labelbase + 3);
    exec::dropunmade(exec::wdwcur);
  }
  ui::builder = ui::Builder{};
  exec::CLOSEWINDOWLESS();
}

}  // namespace
