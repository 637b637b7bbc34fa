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
  std::string button;
  answer(keys({{dlgtest::probe([&button](win::HWND d) {
                 button = dlgtest::shown(d, 10001);
                 snapshot(d, "printoptions");
               })},
               {click(10005)}}));
  int answer = 0;
  core::HELP("printoptions", answer, v);
  EXPECT_EQ(button, label);
  EXPECT_EQ(answer, 5);
  // The window preset by its number stays chosen.
  EXPECT_EQ(words[1], 2);
}

std::string built;

TEST_F(IdeDialogs, TheMemoryDialogShowsItsFigures) {
  std::array<std::int16_t, 6> percent{12, 34, 56, 7, 8, 9};
  std::array<std::int32_t, 21> words{};
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::int32_t>(100 + i);
  core::HelpValues v;
  v.halves = percent;
  v.words = words;
  answer(keys({{dlgtest::probe([](win::HWND d) { snapshot(d, "systemdata"); })}, {click(2)}}));
  ui::winbuilt = [](const exec::wdwrec& w) { built = ui::windowtext(w, "systemdata"); };
  int answer = 0;
  core::HELP("systemdata", answer, v);
  ui::winbuilt = nullptr;
  // Words 4, 1 and 3; 8 and 5; 21 and 18.
  EXPECT_NE(built.find("103 of 100 used, 102 free"), std::string::npos) << built;
  EXPECT_NE(built.find("107 of 104 used"), std::string::npos) << built;
  EXPECT_NE(built.find("120 of 117 used"), std::string::npos) << built;
  EXPECT_NE(built.find("12"), std::string::npos) << built;
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
