// Dialog windows from item texts, as scripts build them with DLG('text',
// ...): where each item lands and which id it gets, what a typed answer
// stores into the script's variables, live and dead window handles, blocks
// of the script and sections of a keyed file as texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "exec/windowlist.h"
#include "platform/win_message_keys.h"
#include "support/test_support.h"
#include "toolkit/dialog_item.h"
#include "ui/dialogwords.h"
#include "ui/win.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;
using dlgtest::typing;

struct Seen {
  int id, type, x, y;
  std::string title;
  int entries;
};
std::vector<std::vector<Seen>> built;

void record(const exec::wdwrec& w) {
  std::vector<Seen> items;
  for (std::int32_t i = 1; i <= w.dialogitems.size(); ++i) {
    const toolkit::dialog_t& d = w.dialogitems(i);
    if (d.marker == 0 || d.id == 0) continue;
    items.push_back(
        {d.id, toolkit::low_type(d), d.x, d.y, std::string(d.title.trimmed()), d.list_count});
  }
  built.push_back(items);
}

class WinScript : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    built.clear();
    ui::winbuilt = record;
  }
  void TearDown() override {
    ui::winbuilt = nullptr;
    DialogScript::TearDown();
  }
  // The item of the last dialog with the id.
  static const Seen* item(int id) {
    if (built.empty()) return nullptr;
    for (const Seen& s : built.back())
      if (s.id == id) return &s;
    return nullptr;
  }
};

TEST_F(WinScript, ItemsTakeTheirIdsAndLinesTheirPlaces) {
  // Modeless (a handle variable): the run goes on while it is open.
  const std::string out =
      run("HWND = 0\n"
          "K = DLG(HWND, 'Hello;Button=Go;Text=1234;Width=6;0:Button=Cancel;3:Button=Three;"
          "STEP:Button=Step;RUN:Button=Run')\n"
          "IF (HWND > 0) OPEN = 1\n");
  EXPECT_NE(out.find("OPEN=1"), std::string::npos) << out;
  ASSERT_EQ(built.size(), 1u);
  // A script's text is one line of items: at y 7, from x 7.
  const Seen* hello = item(1001);
  const Seen* go = item(1002);
  ASSERT_TRUE(hello && go);
  EXPECT_EQ(hello->x, 7);
  EXPECT_EQ(hello->y, 7);
  EXPECT_EQ(go->y, 7);
  EXPECT_EQ(go->type, toolkit::DLG_PUSHBUTTON);
  // The digits after Text= stay its text.
  const Seen* digits = item(1003);
  ASSERT_TRUE(digits);
  EXPECT_EQ(digits->title, "1234");
  // Labels: 0 Cancel, n 10000 + n, STEP and RUN.
  ASSERT_TRUE(item(2) && item(10003) && item(0x7FFE) && item(0x7FFD));
  EXPECT_EQ(item(2)->title, "Cancel");
  EXPECT_EQ(item(0x7FFD)->title, "Run");
}

TEST_F(WinScript, ALineOfControlsMovesTheNextLine16DownALineOfTextsToTheNextGridLine) {
  // A text that names no block of the script is one text under "...".
  run("HWND = 0\nK = DLG(HWND, 'Just a text')\n");
  run("HWND = 0\n"
      "K = DLG(HWND, '#LINES')\n"
      "GWND = 0\n"
      "K = DLG(GWND, '#TEXTS')\n"
      "END\n"
      "#LINES Controls\n"
      " Alpha;Button=Go\n"
      " Beta\n"
      "#TEXTS Texts\n"
      " Alpha\n"
      " Beta\n");
  ASSERT_EQ(built.size(), 3u);
  ASSERT_EQ(built[0].size(), 1u);
  EXPECT_EQ(built[0][0].title, "Just a text");
  EXPECT_EQ(built[0][0].y, 7);
  // The block's name line is the title; its lines are the item lines.
  ASSERT_EQ(built[1].size(), 3u);
  EXPECT_EQ(built[1][2].title, "Beta");
  EXPECT_EQ(built[1][2].y, 23);
  ASSERT_EQ(built[2].size(), 2u);
  EXPECT_EQ(built[2][1].y, 15);
}

// Labels of wide and of narrow letters before their fields: each is as
// wide as its text is drawn, none clipped, nothing overlaps; the picture is
// kept when OSTREL_SCREENSHOTS names a folder.
TEST_F(WinScript, LabelsShowTheirWholeTextsBesideTheirFields) {
  std::string faults = "not shown";
  answer({probe([&](win::HWND d) {
            faults = dlgtest::layoutfaults(d);
            if (const char* dir = std::getenv("OSTREL_SCREENSHOTS"); dir != nullptr && *dir)
              dlgtest::picture(d, std::string(dir) + "/win_labels.png");
          }),
          click(10001)});
  const std::string out =
      run("A = 1\nB = 2\nC = 3\n"
          "K = DLG('WWMMWWMM;Edit*1;Column;Edit*2;ill;Edit*3;1:Button=&OK', A, B, C)\n");
  EXPECT_EQ(faults, "");
  EXPECT_NE(out.find("K=1"), std::string::npos) << out;
}

TEST_F(WinScript, TypedAnswersReachTheParametersAndTheButtonGivesItsNumber) {
  const std::string form =
      "CHARACTER NAME*12\n"
      "NAME = 'Ann'\n"
      "X = 2.5\n"
      "K = DLG('Your name;Edit*1;Value;Edit*2;1:Button=&OK;0:Button=Cancel', NAME, X)\n";
  answer(keys({{press(win::VK_END)},
               typing(" Lee"),
               {press(win::VK_TAB)},
               {press(win::VK_HOME), press(win::VK_END, true), press(win::VK_DELETE)},
               typing("7.5"),
               {press(win::VK_TAB)},
               {click(10001)}}));
  EXPECT_EQ(run(form), "NAME='Ann Lee     '\nX=7.5\nK=1\nstop=-1\n");
  // Cancel: nothing typed is kept and the run stops.
  answer({click(2)});
  EXPECT_EQ(run(form), "NAME='Ann         '\nX=2.5\nK=0\nstop=120 line=4\n");
}

TEST_F(WinScript, ValuesStandInTheirTextsAndATextThatHoldsAReferenceIsShownAsItIs) {
  run("CHARACTER S*2\n"
      "S = '*1'\n"
      "X = 2.5\n"
      "HWND = 0\n"
      "K = DLG(HWND, 'The value is *1 now;See *2 here', X, S)\n");
  ASSERT_EQ(built.size(), 1u);
  ASSERT_TRUE(item(1001) && item(1002));
  EXPECT_EQ(item(1001)->title, "The value is 2.5 now");
  EXPECT_EQ(item(1002)->title, "See *1 here");
}

TEST_F(WinScript, ALiveHandleOnlyRefreshesItsWindowADeadOneGetsANewWindow) {
  const std::string out =
      run("CHARACTER NAME*8\n"
          "NAME = 'Ann'\n"
          "HWND = 123456\n"
          "K = DLG(HWND, 'Your name;Edit*1', NAME)\n"
          "IF (HWND > 0) NEW = 1\n"
          "IF (HWND == 123456) NEW = 0\n"
          "FIRST = HWND\n"
          "NAME = 'Bob'\n"
          "K = DLG(HWND, 'Other;Edit*1', NAME)\n"
          "SAME = HWND - FIRST\n");
  EXPECT_NE(out.find("NEW=1"), std::string::npos) << out;
  EXPECT_NE(out.find("SAME=0"), std::string::npos) << out;
  // One window was built: the live handle's call built none.
  EXPECT_EQ(built.size(), 1u);
}

TEST_F(WinScript, MistakesStopTheStatementWithTheirMessages) {
  std::string err;
  EXPECT_EQ(runcaught("K = DLG(1, 2, 3, 4, 'Text')\n", err),
            "K=0\nstop=32767 line=1 key=msgDLGprefix\n");
  EXPECT_EQ(runcaught("A = 1\nK = DLG('*1;Edit*3', A, A)\n", err),
            "A=1\nK=0\nstop=32767 line=2 key=msgDLGadr\n");
  EXPECT_NE(err.find("No Parameter Nr 3: in Parameter list"), std::string::npos) << err;
  EXPECT_EQ(runcaught("K = DLG('#NOPE here')\n", err), "K=0\nstop=32767 line=1 key=msgNoMenu\n");
  EXPECT_NE(err.find("ostrel: #NOPE:"), std::string::npos) << err;
  // An index past the array's end.
  EXPECT_NE(
      runcaught("DIMENSION V(3)\nH = 0\nK = DLG(HWND, 'Edit*1.4', V)\n", err).find("key=msgDLGadr"),
      std::string::npos);
  EXPECT_NE(err.find("Array index 4 beyond array end"), std::string::npos) << err;
}

TEST_F(WinScript, ASectionOfAKeyedFileIsTheTextAfterHelpFile) {
  testsupport::write_file("form.txt", "form ;ti=Form;\r\n Your name;Edit*1\r\n");
  testsupport::write_file(
      "choice.txt",
      "choice /LB Pick one\r\n first\r\n second\r\n third\r\nnext Other\r\n more\r\n");
  run("CHARACTER N*8\nN = 'Ann'\nHWND = 0\nK = DLG(HWND, 'HelpFile=form.txt;form', N)\n");
  ASSERT_EQ(built.size(), 1u);
  ASSERT_EQ(built[0].size(), 2u);
  EXPECT_EQ(built[0][1].type, toolkit::DLG_EDITBOX);
  // A head line without ";" is one list of the section's lines.
  built.clear();
  run("HWND = 0\nK = DLG(HWND, 'HelpFile=choice.txt;choice')\n");
  ASSERT_EQ(built.size(), 1u);
  ASSERT_EQ(built[0].size(), 1u);
  EXPECT_EQ(built[0][0].type, toolkit::DLG_LISTBOX);
  EXPECT_EQ(built[0][0].entries, 3);
}

TEST_F(WinScript, ALinkClickedInADialogShowsItsBlockBeforeTheNextStatement) {
  answer({click(1002)});
  const std::string out =
      run("K = DLG('Read on;#TOPIC:Button=More;1:Button=&OK')\n"
          "A = 1\n"
          "END\n"
          "#TOPIC About it\n"
          " Alpha\n");
  EXPECT_NE(out.find("A=1"), std::string::npos) << out;
  ASSERT_EQ(built.size(), 2u);
  ASSERT_EQ(built[1].size(), 1u);
  EXPECT_EQ(built[1][0].title, "Alpha");
  EXPECT_EQ(ui::winlink.word, 0);
}

TEST_F(WinScript, AKeyThatNamesAScriptStartsTheProgramForIt) {
  std::vector<std::string> started;
  static std::vector<std::string>* sink = nullptr;
  sink = &started;
  const auto kept = ui::startprogram;
  ui::startprogram = [](const std::string& line) { sink->push_back(line); };
  run("HWND = 0\nK = DLG(HWND, 'HelpFile=" +
      (testsupport::source_dir() / "data" / "Ostrel.hlp").string() + ";intro.dem')\n");
  ui::startprogram = kept;
  ASSERT_EQ(started.size(), 1u);
  EXPECT_NE(started[0].find("HELP=intro.dem"), std::string::npos) << started[0];
  EXPECT_TRUE(built.empty());
}

}  // namespace
