// HELP shows every section of the help data file through the window
// builder: item lists with the caller's values in place, topics as a
// several-line field, the IDE's own dialogs bound to the caller's arrays.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/helpdata.h"
#include "core/kompia.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "dialog_fixture.h"
#include "exec/windowless.h"
#include "platform/backend.h"
#include "platform/win_commctrl.h"
#include "platform/win_controls.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "support/test_support.h"
#include "toolkit/scrolling.h"
#include "ui/childwords.h"
#include "ui/dialogwords.h"
#include "ui/win.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::typing;

// The caller's values: every kind, as the program's callers pass them.
struct Given {
  std::array<std::int8_t, 16> bytes{};
  std::array<std::int16_t, 8> halves{12, 3, 0, 0, 0, 0, 0, 0};
  std::array<std::int32_t, 8> words{21, 22, 23, 8, 0, 0, 0, 0};
  std::array<float, 4> singles{1.5F, 0, 0, 0};
  std::array<double, 8> doubles{2.5, 7, 0, 0, 0, 0, 0, 0};
  std::array<char, 32> text{};
  std::string characters = "X = Y / 0";
  core::HelpValues values() {
    core::HelpValues v;
    v.bytes = bytes;
    v.halves = halves;
    v.words = words;
    v.singles = singles;
    v.doubles = doubles;
    v.text = text;
    v.characters = characters;
    v.count = static_cast<int>(characters.size());
    return v;
  }
  Given() {
    text.fill(' ');
    const std::string t = "DETAIL";
    std::copy(t.begin(), t.end(), text.begin());
  }
};

class HelpWindows : public DialogScript {};

const plat::MessageBoxRecord* logged(const std::string& key) {
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    if (r.text.ends_with("key=" + key)) return &r;
  return nullptr;
}

TEST_F(HelpWindows, EverySectionOfTheHelpDataFileShowsOrIsOneOfItsOwnKind) {
  ASSERT_GT(core::helpcount, 50);
  int windows = 0;
  for (int i = 1; i <= core::helpcount; ++i) {
    const std::string key = core::helpkeys[i].str();
    SCOPED_TRACE(key);
    core::reset_runwords();
    Given g;
    int answer = -1;
    const std::size_t before = plat::message_box_log().size();
    core::HELP(key, answer, g.values());
    // A message (key ";;" or no ";") asks and is answered 0 by nobody; the
    // compile's progress is shown to no one here.
    if (plat::message_box_log().size() > before) {
      ++windows;
      EXPECT_EQ(answer, 0);
      EXPECT_TRUE(plat::message_box_log().back().text.ends_with("key=" + key))
          << plat::message_box_log().back().text;
    }
    EXPECT_NE(core::xeqstop, 0x7FFF) << core::msgkey.trimmed();
  }
  EXPECT_GT(windows, core::helpcount / 2);
}

TEST_F(HelpWindows, ValuesStandInTheTextsOfAnItemList) {
  Given g;
  int answer = 0;
  core::HELP("book_marks", answer, g.values());
  const plat::MessageBoxRecord* r = logged("book_marks");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->title, "Bookmarks");
  // The marks' lines (*3.1 to *3.3) and the line to go to (*3.4).
  EXPECT_NE(r->text.find("Mark 1 at line 21\n"), std::string::npos) << r->text;
  EXPECT_NE(r->text.find("Mark 3 at line 23"), std::string::npos) << r->text;
  EXPECT_NE(r->text.find("Go to line 8\n"), std::string::npos) << r->text;
  // A message: its detail (*6) and the statement's text (*7).
  core::HELP("notYetBuilt", answer, g.values());
  r = logged("notYetBuilt");
  ASSERT_NE(r, nullptr);
  EXPECT_NE(r->text.find("In line 12 the script uses it."), std::string::npos) << r->text;
  EXPECT_NE(r->text.find("X = Y / 0"), std::string::npos) << r->text;
}

TEST_F(HelpWindows, ATopicIsOneFieldOfItsLinesUnderItsTitle) {
  int answer = 0;
  core::HELP("EditorHelp", answer);
  const plat::MessageBoxRecord* r = logged("EditorHelp");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->title, "Help while you edit");
  EXPECT_NE(r->text.find("F1 tells you what the word at the cursor is:"), std::string::npos)
      << r->text;
}

// The tutorial tells what Run does: it starts at the cursor's line, not
// at the top of the script.
TEST_F(HelpWindows, TheTutorialSaysWhereRunStarts) {
  int answer = 0;
  core::HELP("langTutorial", answer);
  const plat::MessageBoxRecord* r = logged("langTutorial");
  ASSERT_NE(r, nullptr);
  EXPECT_NE(r->text.find("Run starts at the cursor's line (line 1 right after opening)"),
            std::string::npos)
      << r->text;
  EXPECT_EQ(r->text.find("runs to its END"), std::string::npos) << r->text;
}

TEST_F(HelpWindows, AQueuedAnswerIsTakenOnlyWhenAButtonGivesIt) {
  int answer = 0;
  plat::push_message_box_answer(3);
  core::HELP("newFile", answer);
  EXPECT_EQ(answer, 3);
  plat::push_message_box_answer(6);  // no button of the window gives 6
  core::HELP("newFile", answer);
  EXPECT_EQ(answer, 0);
}

TEST_F(HelpWindows, TheFindWindowTakesTheTextAndTheSwitchesTypedIntoIt) {
  // Shown as a window without a display, beside a main window, it is
  // answered by keys.
  ASSERT_TRUE(exec::OPENWINDOWLESS());
  plat::set_message_boxes_as_windows(true);
  Given g;
  g.text.fill(' ');
  answer(keys({typing("abc"), {click(1003)}, {click(10001)}}));
  int answer = 0;
  core::HELP("find", answer, g.values());
  plat::set_message_boxes_as_windows(false);
  exec::CLOSEWINDOWLESS();
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(std::string(g.text.data(), 4), "abc ");
  EXPECT_EQ(g.bytes[0], 1);  // Match case
  EXPECT_EQ(g.bytes[1], 0);
}

TEST_F(HelpWindows, TheCompilesProgressWindowFollowsItsWordsAndGoesWhenTheCompileEnds) {
  // A window left open after the compile kept the keys from the script's
  // own windows.
  ASSERT_TRUE(exec::OPENWINDOWLESS());
  plat::set_message_boxes_as_windows(true);
  // As the IDE shows it (a windowless run leaves it out).
  const auto seam = core::helpsectionfor;
  core::helpsectionfor = nullptr;
  core::iostatw.fill(0);
  core::HelpValues v;
  v.halves = core::iostatw;
  int answer = 0;
  core::HELP(core::progresskey, answer, v);
  const win::HWND h = ui::WINKEYED(core::progresskey);
  ASSERT_NE(h, nullptr);
  ASSERT_NE(core::progressrefresh, nullptr);
  ASSERT_NE(core::progressclose, nullptr);
  core::iostatw[1] = 40;
  core::progressrefresh();
  // The bar's position, as the bar gives it back when it is set again.
  std::string bar = "no bar";
  for (win::HWND c = win::GetWindow(h, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    char cls[64] = {};
    win::GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == win::PROGRESS_CLASSA)
      bar = "at " + std::to_string(win::SendMessageA(c, win::PBM_SETPOS, 40, 0));
  }
  EXPECT_EQ(bar, "at 40");
  // Stop (labelled 99) pressed while the lines compile: the next refresh
  // lets the press through and the compile's third word asks it to end.
  EXPECT_EQ(core::iostatw[2], 0);
  win::PostMessageA(win::GetDlgItem(h, 10099), win::BM_CLICK, 0, 0);
  core::progressrefresh();
  EXPECT_EQ(core::iostatw[2], core::progressstop);
  EXPECT_NE(toolkit::IS_WINDOW_VALID(h), 0);
  core::iostatw[2] = 0;
  core::progressclose();
  EXPECT_EQ(ui::WINKEYED(core::progresskey), nullptr);
  EXPECT_EQ(toolkit::IS_WINDOW_VALID(h), 0);
  core::helpsectionfor = seam;
  plat::set_message_boxes_as_windows(false);
  exec::CLOSEWINDOWLESS();
}

TEST_F(HelpWindows, APopupSectionOfALinkedFileIsAMenuOfItsLines) {
  testsupport::write_file("pop.txt", "pick /POPUP\r\n Red\r\n Green\r\n Blue\r\nnext Other\r\n");
  // The chosen title goes into a text of the script's stores.
  run("A = 1\n");
  ASSERT_TRUE(exec::OPENWINDOWLESS());
  // The user's keys go to the main window.
  win::SetFocus(exec::wdwhead->window);
  plat::inject_key_press(win::VK_DOWN, 0);
  plat::inject_key_press(win::VK_DOWN, 0);
  plat::inject_key_press(win::VK_RETURN, 0);
  ui::winlink.word = 2;
  ui::winlink.text.set("pick");
  ui::winlink.file.set((std::filesystem::current_path() / "pop.txt").string());
  ui::WINLINKCOMMAND();
  EXPECT_EQ(ui::popuppending, 1);
  // Green, the second of the section's three lines, is chosen.
  win::MSG m{};
  const bool chosen = win::PeekMessageA(&m, exec::wdwhead->window, win::WM_COMMAND, win::WM_COMMAND,
                                        win::PM_REMOVE);
  exec::CLOSEWINDOWLESS();
  ASSERT_TRUE(chosen);
  EXPECT_EQ(win::LOWORD(m.wParam), 31002);
  EXPECT_NE(core::xeqstop, 0x7FFF) << core::msgkey.trimmed();
}

}  // namespace
