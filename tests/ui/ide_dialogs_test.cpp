// The IDE's own dialogs of the help data file, shown by the window builder
// and answered by keys: what the user types reaches the program's settings.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "core/messages.h"
#include "dialog_fixture.h"
#include "exec/builtins.h"
#include "exec/settingrefs.h"
#include "exec/windowless.h"
#include "ide/menutool.h"
#include "ide/options.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/dialog_layout.h"
#include "toolkit/loops.h"
#include "ui/win.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::typing;

class IdeDialogs : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    ASSERT_TRUE(exec::OPENWINDOWLESS());
    plat::set_message_boxes_as_windows(true);
  }
  void TearDown() override {
    plat::set_message_boxes_as_windows(false);
    exec::CLOSEWINDOWLESS();
    DialogScript::TearDown();
  }
};

TEST_F(IdeDialogs, APaletteComponentOf160IsWrittenBackAsItsByte) {
  exec::rgbtab(0) = 0x00302001;
  answer(keys({{press(win::VK_END), press(win::VK_BACK), press(win::VK_BACK)},
               typing("160"),
               {click(10001)}}));
  int answer = 0;
  core::HELP("ColorRedef", answer);
  EXPECT_EQ(answer, 1);
  // Red took 160 (shown signed as -96); green and blue stayed.
  EXPECT_EQ(exec::rgbtab(0), 0x003020A0u);
}

TEST_F(IdeDialogs, TheHelpIndexListTakesTheTextItIsGivenAndLeavesTheChoice) {
  std::string list = "ALPHA|BETA|GAMMA|";
  core::HelpValues v;
  v.characters = list;
  v.count = static_cast<int>(list.size());
  exec::dlgtext.blank();
  // The focus into the list (the first entry is chosen), one entry down,
  // then Show.
  answer(keys({{dlgtest::probe([](win::HWND d) { win::SetFocus(win::GetDlgItem(d, 1002)); })},
               {press(win::VK_DOWN)},
               {click(10001)}}));
  int answer = 0;
  core::HELP("Index", answer, v);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(exec::dlgtext.trimmed(), "BETA");
}

}  // namespace

namespace {

// A PNG of the dialog for looking at, into the folder OSTREL_SCREENSHOTS
// names (when it names one).
void snapshot(win::HWND dialog, const std::string& name) {
  if (const char* dir = std::getenv("OSTREL_SCREENSHOTS"); dir != nullptr && *dir != '\0')
    dlgtest::picture(dialog, std::string(dir) + "/" + name + ".png");
}

TEST_F(IdeDialogs, ThePrintDialogShowsTheWindowsAndTheFontOnItsButton) {
  std::array<std::int32_t, 7> words{0, 2, 0, 0, 0, 0, 0};
  std::string label = "&Print selection (Fixedsys    9 pt)";
  std::string list = "main.ost|notes.txt|plot|";
  core::HelpValues v;
  v.words = words;
  v.text = label;
  v.characters = list;
  v.count = static_cast<int>(list.size());
  std::string button, faults;
  std::vector<int> checkboxes;
  answer(keys({{dlgtest::probe([&](win::HWND d) {
                 button = dlgtest::shown(d, 10001);
                 snapshot(d, "printoptions");
                 faults = testsupport::layout_faults(d);
                 checkboxes = testsupport::checkbox_lefts(d);
               })},
               {click(10005)}}));
  int answer = 0;
  core::HELP("printoptions", answer, v);
  EXPECT_EQ(button, label);
  // The four check boxes stand in one column; nothing overlaps or is cut.
  ASSERT_EQ(checkboxes.size(), 4u);
  EXPECT_EQ(checkboxes, std::vector<int>(4, checkboxes.front()));
  EXPECT_EQ(faults, "");
  EXPECT_EQ(answer, 5);
  // The window preset by its number stays chosen.
  EXPECT_EQ(words[1], 2);
}

// Help > Memory after a run: each store's size, use and free room in
// columns under their headings, use and free adding up to the size, and
// the share of use in per cent.
TEST_F(IdeDialogs, TheMemoryDialogShowsSizeUseAndFreeRoomInColumns) {
  std::string err;
  runcaught("CHARACTER S*12\r\nDIMENSION A(30)\r\nS = 'hello'\r\nEND\r\n", err);
  const ide::MemoryFigures m = ide::memoryfigures();
  std::vector<testsupport::ShownControl> shown;
  std::string faults;
  answer(keys({{dlgtest::probe([&](win::HWND d) {
                 snapshot(d, "systemdata");
                 shown = testsupport::shown_controls(d);
                 faults = testsupport::layout_faults(d);
               })},
               {press(win::VK_ESCAPE)}}));
  ide::OPTIONS(10404);
  EXPECT_EQ(faults, "");
  // The rows of the table: the heading, then a row per store.
  std::vector<std::vector<testsupport::ShownControl>> rows;
  for (const testsupport::ShownControl& c : shown) {
    if (rows.empty() || rows.back().front().rect.top != c.rect.top) rows.emplace_back();
    rows.back().push_back(c);
  }
  const auto heading = std::find_if(rows.begin(), rows.end(), [](const auto& r) {
    return r.size() == 5 && r[1].caption == "Size";
  });
  ASSERT_NE(heading, rows.end()) << testsupport::dialog_texts(shown.front().window);
  const std::size_t sizeword[6] = {0, 4, 8, 10, 15, 17};
  const std::size_t usedword[6] = {3, 7, 9, 14, 16, 20};
  for (std::size_t k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    ASSERT_LT(heading + 1 + static_cast<std::ptrdiff_t>(k), rows.end());
    const auto& row = *(heading + 1 + static_cast<std::ptrdiff_t>(k));
    ASSERT_EQ(row.size(), 5u);
    for (std::size_t col = 1; col < 5; ++col)
      EXPECT_EQ(row[col].rect.left, (*heading)[col].rect.left) << row[col].caption;
    const int size = std::stoi(row[1].caption), used = std::stoi(row[2].caption),
              free = std::stoi(row[3].caption);
    EXPECT_EQ(size, m.words[sizeword[k]]);
    EXPECT_EQ(used, m.words[usedword[k]]);
    EXPECT_EQ(used + free, size);
    EXPECT_EQ(std::stoi(row[4].caption), static_cast<int>(used * 100.0 / size));
  }
  // The cells in use: the symbols' and the array's 30 at least.
  EXPECT_GE(std::stoi((*(heading + 1))[2].caption), core::nsym + 30);
}

}  // namespace

namespace {

// The Quicky box lists the history file's records; an entry chosen from
// the list stands in the expression field at once and is what Evaluate
// evaluates.
TEST_F(IdeDialogs, TheQuickyBoxListsTheHistoryAndTakesAChosenEntry) {
  const std::string pad(256, ' ');
  testsupport::write_file("Ostrel_Quickies.txt",
                          "X+1" + pad.substr(3) + "\r\nSIN(2)" + pad.substr(6) + "\r\n");
  std::array<std::int16_t, 4> words{};
  double result = 0.0;
  std::string file = "Ostrel_Quickies.txt";
  core::HelpValues v;
  v.halves = words;
  v.doubles = std::span<double>(&result, 1);
  v.text = std::span<char>(exec::dlgtext.data(), exec::dlgtext.size());
  v.characters = file;
  v.count = static_cast<int>(file.size());
  exec::dlgtext.set("typed");
  win::HWND list = nullptr;
  std::string field;
  answer(keys({{dlgtest::probe([&list](win::HWND d) {
                 snapshot(d, "quicky1");
                 list = dlgtest::childofclass(d, "ListBox");
                 win::SetFocus(list);
               })},
               {press(win::VK_DOWN)},
               {dlgtest::probe([&field](win::HWND d) {
                 toolkit::PROCESS_MESSAGES();  // the key's change reaches the field
                 field = dlgtest::shown(d, 1001);
                 snapshot(d, "quicky1-chosen");
               })},
               {click(10003)}}));
  int answer = 0;
  core::HELP("quicky1", answer, v);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(answer, 3);
  EXPECT_EQ(field, "SIN(2)");
  EXPECT_EQ(exec::dlgtext.trimmed(), "SIN(2)");
}

}  // namespace

namespace {

// Help > Index lists every key of the index's run of the help data, one
// entry each, however long the list's text is.
TEST_F(IdeDialogs, TheHelpIndexListsEveryKeyOfItsRunOnePerEntry) {
  std::vector<std::string> keys;
  const std::string list = ide::helpindexlist();
  for (std::size_t at = 0, bar = 0; (bar = list.find('|', at)) != std::string::npos; at = bar + 1)
    keys.push_back(list.substr(at, bar - at));
  ASSERT_GT(keys.size(), 100u);
  std::vector<std::string> entries;
  answer(dlgtest::keys({{dlgtest::probe([&entries](win::HWND d) {
                          snapshot(d, "helpindex");
                          const win::HWND list = dlgtest::childofclass(d, "ListBox");
                          const auto n = win::SendMessageA(list, win::LB_GETCOUNT, 0, 0);
                          for (win::LRESULT i = 0; i < n; ++i) {
                            char entry[200] = "";
                            win::SendMessageA(list, win::LB_GETTEXT, static_cast<win::WPARAM>(i),
                                              reinterpret_cast<win::LPARAM>(entry));
                            entries.emplace_back(entry);
                          }
                        })},
                        {press(win::VK_ESCAPE)}}));
  ide::OPTIONS(ide::cmd::index);
  EXPECT_EQ(entries, keys);
  EXPECT_EQ(entries.front(), "Contents");
}

}  // namespace

namespace {

// The help windows with a heading sentence above their buttons show it
// whole, and a ";" written in a text of the help data stays in its
// sentence: About's line about compiling is one text, semicolon and all.
TEST_F(IdeDialogs, HelpWindowsShowTheirSentencesWholeWithTheirPunctuation) {
  const struct {
    const char* key;
    const char* sentence;
  } windows[] = {
      {"Contents", "Ostrel edits and runs scripts of its own language. Choose a part of the help."},
      {"stmtList", "The statements of the language. Choose one to read its topic."},
      {"builtinsList",
       "Built-in functions and statements with options. Choose one to read its topic."},
      {"dlgKeywords", "The keywords of DLG and of its texts of items. Choose one to read its topic."},
      {"aboutOstrel", "Each line is compiled as you type it; RUN, TRACE and 1 STEP run the script."},
  };
  for (const auto& w : windows) {
    SCOPED_TRACE(w.key);
    std::string texts, faults;
    answer(keys({{dlgtest::probe([&](win::HWND d) {
                   snapshot(d, w.key);
                   texts = testsupport::dialog_texts(d);
                   faults = testsupport::layout_faults(d);
                 })},
                 {press(win::VK_ESCAPE)}}));
    int answer = 0;
    core::HELP(w.key, answer);
    EXPECT_NE(texts.find(std::string(w.sentence) + "\n"), std::string::npos) << texts;
    EXPECT_EQ(faults.find("clipped"), std::string::npos) << faults;
  }
}

}  // namespace
