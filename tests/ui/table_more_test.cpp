// The More menu and the title buttons of tables, worked as a user works
// them headless: the prompts are answered by clicks, the kept layout runs
// the table's statement once more, the history of searches is kept.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/messages.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "dialog_fixture.h"
#include "exec/windowless.h"
#include "exec/windowlist.h"
#include "exec/xeq.h"
#include "platform/win_controls.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "ui/tableheaders.h"
#include "ui/tablelayout.h"
#include "ui/tables.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;

// The prompts shown as dialogs, answered by the clicks given.
class TableMore : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    plat::set_message_boxes_as_windows(true);
  }
  void TearDown() override {
    plat::set_message_boxes_as_windows(false);
    DialogScript::TearDown();
  }
};

// Ids of the items of WIN prompts: 10000 plus the choice.
constexpr int choiceid(int c) { return 10000 + c; }
constexpr int kMore = 1002;

std::int32_t visrows(win::HWND d) {
  exec::wdwrec* w = ui::tablewindow(d);
  return w != nullptr && w->firsttable != nullptr ? w->firsttable->visrows : -1;
}

void setvariable(const char* name, double v) {
  std::int32_t k = 0;
  if (core::FINDSN(name, k, 0x80)) core::z(k) = v;
}

constexpr const char* kLayout = R"(DIMENSION A(8, 2)
H = 3
N = 0
I = DLG(Edit=A, Height=H)
N = N + 1
)";

TEST_F(TableMore, AKeptLayoutRunsTheTablesStatementOnceMoreWithTheKeptRows) {
  std::vector<std::int32_t> rows;
  const auto seen = [&] { return probe([&](win::HWND d) { rows.push_back(visrows(d)); }); };
  answer({probe([](win::HWND) {}), seen(), probe([](win::HWND) { setvariable("H", 5); }),
          click(kMore)});
  answer({click(choiceid(1107))});
  answer({click(choiceid(10))});
  answer({probe([](win::HWND) {}), seen(), click(1001)});
  const std::string out = run(kLayout);
  // The rebuilt table has the kept three rows although Height asks for 5;
  // the statement after it ran once.
  EXPECT_EQ(rows, (std::vector<std::int32_t>{3, 3})) << out;
  EXPECT_NE(out.find("N=1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("I=1001\n"), std::string::npos) << out;
}

TEST_F(TableMore, ALayoutNotKeptChangesNothing) {
  answer({probe([](win::HWND) {}), click(kMore)});
  answer({click(choiceid(1107))});
  answer({press(win::VK_ESCAPE)});
  const std::string out = run(kLayout);
  // The table, the menu, the question; the table's dialog, left by
  // nobody, ends the run as by Escape, and nothing runs it again.
  EXPECT_EQ(dlgtest::opened.size(), 3u);
  EXPECT_NE(out.find("N=0\n"), std::string::npos) << out;
  EXPECT_FALSE(ui::layoutkept());
}

// A table of a file: 2 columns, 3 rows.
constexpr const char* kFile =
    "CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A5,A')\nDLG(Edit=F, Format='A5,A10')\n";

void writefile() {
  testsupport::write_file("t.txt", "ab   first\r\ncd   second\r\nef   third\r\n");
}

// The focus into the prompt's first field, its text replaced by `text`.
// The prompt's first field (of the lowest control id).
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

std::vector<dlgtest::Key> field(const std::string& text) {
  return keys({{probe([](win::HWND d) { win::SetFocus(firstfield(d)); }), press(win::VK_HOME),
                press(win::VK_END, true), press(win::VK_DELETE)},
               dlgtest::typing(text)});
}

TEST_F(TableMore, SearchesAreKeptMostRecentFirstWithoutRepeats) {
  writefile();
  // A first use shows the find prompt with "?" and records it as it stands.
  std::string first;
  answer({probe([](win::HWND) {}), click(kMore)});
  answer({probe([&](win::HWND d) {
            char text[64] = {};
            win::GetWindowTextA(firstfield(d), text, sizeof text);
            first = text;
          }),
          click(choiceid(1200))});
  run(kFile);
  EXPECT_EQ(first, "?");
  EXPECT_EQ(testsupport::read_file("Ostrel-Searches.txt"), "?\r\n");
  std::remove("Ostrel-Searches.txt");
  for (const char* text : {"abc", "xyz", "abc"}) {
    answer({probe([](win::HWND) {}), click(kMore)});
    answer(keys({field(text), {click(choiceid(1200))}}));
    run(kFile);
  }
  EXPECT_EQ(testsupport::read_file("Ostrel-Searches.txt"), "abc\r\nxyz\r\n");
}

TEST_F(TableMore, TitleCheckBoxesAndRadioButtonsWriteTheSelectionVariables) {
  // Columns: check boxes on the bits of S; rows: radio buttons over the
  // elements of R. Number 33 is past a scalar's bits.
  double past = 0.0;
  answer({probe([](win::HWND) {}), click(1004), click(1007), probe([&](win::HWND) {
            std::int32_t k = 0;
            if (!core::FINDSN("S", k, 0x80)) return;
            ui::CHECKRADIOANDCO(1, 33, k, false);
            past = core::z(k);
          }),
          click(1001)});
  const std::string out =
      run("DIMENSION B(2, 3), R(2)\nS = 5\nR = 1, 0\n"
          "DLG(Edit=B, ColTitle='CHeckbox:a,CHeckbox:b,CHeckbox:c,', ColSel=S, "
          "RowTitle='RADio:x,RADio:y,', RowSel=R)\n");
  EXPECT_NE(out.find("R=(0,1)\nS=7\n"), std::string::npos) << out;
  EXPECT_EQ(past, 7.0);
}

TEST_F(TableMore, ATitleCallbackRunsItsRoutineAndTheDialogsRoutineGoesOnAfterIt) {
  // The table is shown from a subroutine: the click runs PICK, which sees
  // the selection the click made; SHOW then ends as it would without it.
  // The click keeps the dialog and SHOW's scope for the callback's return
  // (looked at one step later, when the dialog has taken the click).
  bool kept = false;
  answer({probe([](win::HWND) {}), click(1004), probe([](win::HWND) {}), probe([&](win::HWND d) {
            kept = exec::tablehwnd == d && core::lokalscope > 0 &&
                   exec::tablescope == core::lokalscope;
          }),
          click(1001)});
  const std::string out = run(R"(DIMENSION B(2, 3)
S = 0
G = 0
CALL SHOW
DONE = 1
END
SUBROUTINE SHOW
DLG(Edit=B, ColTitle='CHeckbox:a,CHeckbox:b,CHeckbox:c,', ColSel=S, CALLback='PICK')
BACK = 1
RETURN
END
SUBROUTINE PICK
G = S + 10
RETURN
END
)");
  // Title b is bit 2 of S.
  EXPECT_NE(out.find("S=2\nG=12\nDONE=1\nBACK=1\nstop=-1\n"), std::string::npos) << out;
  EXPECT_TRUE(kept);
}

// Each button of a dialog that holds a table, clicked in a run of its own:
// only the table's More button opens the More prompt; the script's own
// button after the table keeps its own id and ends the dialog, with a typed
// cell stored.
TEST_F(TableMore, EachButtonBesideATableDoesItsOwnWork) {
  // 1001 OK, 1002 More, titles 1003-1005, rows 1006-1015, cells 1016-1045,
  // scroll bars 1046-1047, the script's OK 1048.
  constexpr const char* script =
      "DIMENSION A(12, 3)\nK = DLG(TItle='Array table', Edit=A, "
      "ColTitle='Number,Remainder,Square,', Button='&OK')\n";
  std::string faults;
  const auto intocell = probe([&](win::HWND d) {
    faults = dlgtest::layoutfaults(d);
    win::SetFocus(win::GetDlgItem(d, 1016));
  });
  const struct {
    int button;
    const char* outcome;
    std::size_t dialogs;
  } cases[] = {{1001, "K=1001\n", 1}, {1002, "K=1048\n", 2}, {1048, "K=1048\n", 1}};
  for (const auto& c : cases) {
    dlgtest::opened.clear();
    std::vector<dlgtest::Key> table = keys({{intocell, press(win::VK_END)},
                                            dlgtest::typing("7"),
                                            {press(win::VK_TAB), click(c.button)}});
    // After the More prompt (left by Escape) the script's OK ends the table.
    if (c.button == kMore) table.push_back(click(1048));
    answer(table);
    if (c.button == kMore) answer({click(2)});
    const std::string out = run(script);
    EXPECT_NE(out.find(c.outcome), std::string::npos) << c.button << "\n" << out;
    EXPECT_NE(out.find("A=(7,0,0,"), std::string::npos) << c.button << "\n" << out;
    EXPECT_NE(out.find("stop=-1"), std::string::npos) << c.button << "\n" << out;
    EXPECT_EQ(dlgtest::opened.size(), c.dialogs) << c.button;
    EXPECT_EQ(faults, "") << c.button;
  }
}

// A script's button with a callback beside a table runs its routine; the
// table's OK ends the dialog.
TEST_F(TableMore, AScriptsButtonBesideATableRunsItsCallback) {
  // 1001 OK, 1002 More, titles 1003-1004, rows 1005-1007, cells 1008-1013,
  // scroll bars 1014-1015, Write 1016.
  answer({probe([](win::HWND) {}), click(1016), probe([](win::HWND) {}), click(1001)});
  const std::string out = run(R"(DIMENSION A(3, 2)
SAVED = 0
R = 1
C = 1
DLG(TItle='E5 table', Edit=A, Height=3, ROW=R, COL=C, Button='&Write', CALLback='SAVEA')
END
SUBROUTINE SAVEA
SAVED = SAVED + 1
RETURN
END
)");
  EXPECT_NE(out.find("SAVED=1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
  EXPECT_EQ(dlgtest::opened.size(), 1u);
}

// A filter from the More menu of a file table relabels neither the
// script's own button nor the More button.
TEST_F(TableMore, AFilterLeavesTheButtonsBesideTheTableTheirLabels) {
  testsupport::write_file("c.txt", "Berlin    3.6\r\nBern      0.1\r\nParis     2.1\r\n");
  // 1001 OK, 1002 More, titles 1003-1004, rows 1005-1007, cells 1008-1013,
  // scroll bars 1014-1015, +Dn 1016, -Up 1017, track bars 1018-1019, the
  // script's OK 1020.
  std::string labels;
  answer({probe([](win::HWND) {}), click(kMore), probe([&](win::HWND d) {
            labels = dlgtest::shown(d, 1001) + "|" + dlgtest::shown(d, kMore) + "|" +
                     dlgtest::shown(d, 1020);
          }),
          click(1020)});
  answer(keys({field("Ber"), {click(choiceid(1103))}}));
  const std::string out =
      run("CHARACTER F*8\nF = 'c.txt'\nOPEN(FIle=F, Format='A10,A')\n"
          "K = DLG(TItle='Cities', Edit=F, Format='A10,A', Button='&OK')\n");
  EXPECT_EQ(labels, "&OK|&More|&OK");
  EXPECT_NE(out.find("K=1020\n"), std::string::npos) << out;
}

// The first column's cells of the three rows shown (items 1008, 1010, 1012).
dlgtest::Key column1(std::vector<std::string>& seen) {
  return probe([&seen](win::HWND d) {
    seen.push_back(dlgtest::shown(d, 1008) + dlgtest::shown(d, 1010) + dlgtest::shown(d, 1012));
  });
}

std::string title(win::HWND d) {
  char text[128] = {};
  win::GetWindowTextA(d, text, sizeof text);
  return text;
}

TEST_F(TableMore, ThreeClicksOnAColumnTitleSortUpDownThenAsStored) {
  testsupport::write_file("t.txt", "c 3\r\na 1\r\nb 2\r\n");
  std::vector<std::string> seen;
  answer({probe([](win::HWND) {}), click(1003), column1(seen), click(1003), column1(seen),
          click(1003), column1(seen), click(1001)});
  const std::string out =
      run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A2,F')\nDLG(Edit=F, Format='A2,F')\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"abc", "cba", "cab"})) << out;
  // Sorting shows the rows in another order and changes nothing in the file:
  // the focus cell, never edited, leaves nothing to save.
  EXPECT_EQ(testsupport::read_file("t.txt"), "c 3\r\na 1\r\nb 2\r\n");
  for (const plat::MessageBoxRecord& b : plat::message_box_log())
    EXPECT_EQ(b.text.find("Save the changes?"), std::string::npos) << b.text;
}

TEST_F(TableMore, AFilterThatMatchesNoRowShowsEveryRowAndSaysSo) {
  writefile();
  std::string after, rows;
  answer({probe([](win::HWND) {}), click(kMore)});
  answer(keys({field("zz"), {click(choiceid(1103))}}));
  answer({probe([&](win::HWND) {
            const win::HWND table = dlgtest::opened.front();
            after = title(table);
            for (int id : {1008, 1010, 1012})
              if (win::IsWindowVisible(win::GetDlgItem(table, id)))
                rows += dlgtest::shown(table, id) + "|";
          }),
          click(choiceid(1200))});
  run(kFile);
  // The prompt shown again over the table, which shows every row.
  ASSERT_EQ(dlgtest::opened.size(), 3u);
  EXPECT_EQ(after, "filter matches 0 rows");
  EXPECT_EQ(rows, "ab|cd|ef|");
}

TEST_F(TableMore, AFilterThatMatchesShowsOnlyThoseRowsAndCountsThem) {
  writefile();
  std::string after, rows;
  // The menu opened from the table's dialog; once it has ended, the window
  // and its cells are looked at.
  answer({probe([&](win::HWND d) {
    exec::wdwrec* w = ui::tablewindow(d);
    if (w == nullptr || w->firsttable == nullptr) return;
    ui::mxcur = w->firsttable;
    std::int32_t column = 1, options = 0, choice = 0;
    char mode = 't';
    ui::MXMOREBUTTON(d, nullptr, 0, column, mode, options, choice);
    after = title(d);
    for (int id : {1008, 1010, 1012})
      if (win::IsWindowVisible(win::GetDlgItem(d, id))) rows += dlgtest::shown(d, id) + "|";
  })});
  answer(keys({field("cd"), {click(choiceid(1103))}}));
  run(kFile);
  EXPECT_EQ(after, "1 filtered rows");
  EXPECT_EQ(rows, "cd|");
}

TEST_F(TableMore, TheFindPromptsSwitchBetweenTextsAndNumbers) {
  writefile();
  std::vector<std::string> titles;
  const auto seen = [&] { return probe([&](win::HWND d) { titles.push_back(title(d)); }); };
  answer({probe([](win::HWND) {}), click(kMore)});
  answer({seen(), click(choiceid(1201))});
  answer({seen(), click(choiceid(1203))});
  answer({seen(), click(choiceid(1200))});
  run(kFile);
  EXPECT_EQ(titles, (std::vector<std::string>{"Find in the table", "Find numbers in the table",
                                              "Find in the table"}));
}

TEST_F(TableMore, AFindInTheGoToPromptMovesToTheHitWithoutAResultPrompt) {
  testsupport::write_file("t.txt", "ab   first\r\ncd   second\r\nef   third\r\nab   fourth\r\n");
  answer({probe([](win::HWND) {}), click(kMore)});
  answer(keys({field("ef"), {click(choiceid(1204))}}));
  answer({click(choiceid(1101))});
  run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A5,A')\nDLG(Edit=F, Format='A5,A10', "
      "Height=1)\n");
  // The table, the find prompt, the go-to prompt: no result prompt after.
  EXPECT_EQ(dlgtest::opened.size(), 3u);
  EXPECT_EQ(testsupport::read_file("Ostrel-Searches.txt"), "ef\r\n");
}

TEST_F(TableMore, TheDownAndUpButtonsPageThroughRowsWithoutClusters) {
  writefile();
  // One row shown: cells 1006 and 1007, scroll bars 1008 and 1009, then
  // "&+Dn" 1010 and "&-Up" 1011.
  std::vector<std::string> seen;
  const auto row = [&] {
    return probe([&](win::HWND d) { seen.push_back(dlgtest::shown(d, 1006)); });
  };
  answer({probe([](win::HWND) {}), row(), click(1010), row(), click(1010), row(), click(1010),
          row(), click(1011), row(), click(1001)});
  run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A5,A')\n"
      "DLG(Edit=F, Format='A5,A10', Height=1)\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"ab", "cd", "ef", "ab", "ef"}));
}

}  // namespace

namespace {

// The prompts as a user sees them, with the menu's values bound: each
// shows its texts and returns the choice of the button pressed. With
// OSTREL_SCREENSHOTS naming a folder, their pictures go there.
class Prompts : public TableMore {
 protected:
  void SetUp() override {
    TableMore::SetUp();
    ASSERT_TRUE(exec::OPENWINDOWLESS());
  }
  void TearDown() override {
    exec::CLOSEWINDOWLESS();
    TableMore::TearDown();
  }
};

TEST_F(Prompts, EachPromptShowsItsValuesAndReturnsTheChoicePressed) {
  const struct {
    const char* key;
    int choice;
    const char* shows;  // a text one of its items shows
  } prompts[] = {
      {"mx2FFt", 1101, "?"},
      {"mx2FFF", 1101, "?"},
      {"mx2FFS", 1101, "&Sort"},
      {"mx2FFG", 1104, "&Go to"},
      {"mx2FFE", 1401, "&Insert row"},
      {"mx2helpFF", 1107, "&Keep layout"},
      {"mx2FFmagnify", 1203, "cell text"},
      {"mx2FFcfound", 1101, "cell text"},
      {"mx2FFnfound", 1101, "Find &again"},
      {"mxsLayC", 10, "A5,A10"},
  };
  for (const auto& p : prompts) {
    std::array<std::int8_t, 16> boxes{};
    std::array<std::int16_t, 8> enable{1, 1, 1, 1, 1, 1, 1, 1};
    std::array<std::int32_t, 8> words{0, 40, 12, 3, 2, 12, 2, 12};
    std::array<float, 1> history{1.0F};
    std::array<double, 2> numbers{42.5, 1e-13};
    std::string search = "?" + std::string(39, ' ');
    std::string display = "cell text" + std::string(247, ' ');
    if (std::string(p.key) == "mxsLayC") display = "A5,A10";
    core::HelpValues v;
    v.bytes = boxes;
    v.halves = enable;
    v.words = words;
    v.singles = history;
    v.doubles = numbers;
    v.text = std::span<char>(search.data(), 40);
    v.characters = std::span<char>(display.data(), display.size());
    v.count = static_cast<int>(display.size());
    bool showed = false;
    std::string faults;
    answer({probe([&](win::HWND d) {
              faults = dlgtest::layoutfaults(d);
              for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
                   c = win::GetWindow(c, win::GW_HWNDNEXT)) {
                char text[300] = {};
                win::GetWindowTextA(c, text, sizeof text);
                const std::string t(text);
                showed = showed || t == p.shows || t.rfind(p.shows, 0) == 0;
              }
              if (const char* dir = std::getenv("OSTREL_SCREENSHOTS"); dir != nullptr && *dir)
                dlgtest::picture(d, std::string(dir) + "/" + p.key + ".png");
            }),
            click(choiceid(p.choice))});
    int answer = 0;
    core::HELP(p.key, answer, v);
    EXPECT_EQ(answer, p.choice) << p.key;
    EXPECT_TRUE(showed) << p.key << " does not show " << p.shows;
    EXPECT_EQ(faults, "") << p.key;
  }
}

}  // namespace
