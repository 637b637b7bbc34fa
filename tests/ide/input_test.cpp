// The input step and the line-input field: keys as the key reader records
// them, applied to a field's text without a window.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include <chrono>
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/alarms.h"
#include "exec/headless_run.h"
#include "exec/postfix.h"
#include "ide/editorwords.h"
#include "ide/idewords.h"
#include "ide/mainwindow.h"
#include "ide/panlio.h"
#include "ide/textwriters.h"
#include "platform/win_message.h"

namespace {

constexpr std::uint8_t kShift = 1, kCtrl = 2;

class InputTest : public ::testing::Test {
 protected:
  std::string text;  // the field: mode digit, then the editable part
  std::int32_t key = 0;
  std::int32_t changed = 0;

  void SetUp() override {
    exec::reset_all();
    ide::reset_panlio();
    ide::reset_editorwords();
    ide::reset_textwriters();
    ide::waitinput = 0;
    core::edvars[18] = 254;  // edwidth
  }
  void TearDown() override {
    core::idestate = 0;
    exec::reset_all();
  }
  // Opens the field with the text; mode digit first.
  void open(const std::string& t, std::int32_t at = 0) {
    text = t;
    key = at;
    ide::PANLIO(text, 1, key, changed);
  }
  // One key: its scan code, character and modifier bits.
  void press(std::uint8_t scan, char ch = 0, std::uint8_t mods = 0) {
    core::keyrec = {static_cast<std::uint8_t>(ch), scan, mods, 1};
    ide::PANLIOKEY(text, 0, key, changed);
  }
  void type(const std::string& s) {
    for (char c : s) press(0x10, c);
  }
  std::int32_t cursor() {
    std::int32_t c = 0;
    ide::PANLIOCURSOR(c);
    return c;
  }
  bool open_field() const { return (core::idestate & 0x20) != 0; }
};

TEST_F(InputTest, AFieldOpensOnItsFirstNonBlankAndEndsOnEnterOrEscape) {
  open("3  abc    ");
  EXPECT_TRUE(open_field());
  EXPECT_EQ(cursor(), 3) << "before the a";
  EXPECT_EQ(ide::waitinput, -1);
  open("3         ");
  EXPECT_EQ(cursor(), 1) << "a blank field: before column 2";
  open("3abc      ", -2);
  EXPECT_EQ(cursor(), 2) << "a negative key places the cursor";
  press(28, 13);
  EXPECT_FALSE(open_field());
  EXPECT_EQ(key, 28);
  EXPECT_EQ(ide::waitinput, 0) << "the caller takes the key that ended the field";
  open("3abc      ");
  press(1, 27);
  EXPECT_FALSE(open_field());
  EXPECT_EQ(key, 1);
}

TEST_F(InputTest, ModesDecideWhatAKeyDoes) {
  // A text without a mode digit is shown as mode 2, but PANLIOKEY then
  // handles no key: nothing changes and the field stays.
  open("xabc      ");
  press(0x1E, 'q');
  EXPECT_EQ(text, "xabc      ");
  EXPECT_EQ(changed, 0);
  // Mode 2 (display only): every key ends the field.
  open("2abc      ");
  press(77);
  EXPECT_FALSE(open_field());
  // Mode 1: cursor keys and Delete work, characters are ignored.
  open("1abc      ");
  press(0x1E, 'q');
  EXPECT_EQ(text, "1abc      ");
  press(83);
  EXPECT_EQ(text, "1bc       ");
  // Mode 0: the key's scan code comes back and nothing else happens.
  open("0abc      ");
  press(0x1E, 'q');
  EXPECT_EQ(key, 0x1E);
  EXPECT_EQ(text, "0abc      ");
}

TEST_F(InputTest, TypingInsertsOrOverwritesAndDropsTheLastCharacterOfAFullField) {
  open("3abcdefghi");
  type("X");
  EXPECT_EQ(text, "3Xabcdefgh") << "insert: the last character falls off";
  EXPECT_EQ(changed, -1);
  EXPECT_EQ(cursor(), 2);
  press(82);  // Insert: overwrite
  EXPECT_EQ(ide::insmode.view(), "OVR");
  EXPECT_EQ(ide::caretclass, 9);
  type("YZ");
  EXPECT_EQ(text, "3XYZcdefgh");
  press(82);
  EXPECT_EQ(ide::caretclass, 13);
  // At the last column the character lands there and the cursor stays.
  open("3abc      ", -8);
  press(77);
  type("Q");
  EXPECT_EQ(text, "3abc     Q");
  EXPECT_EQ(cursor(), 9);
}

TEST_F(InputTest, BackspaceLeftRightHomeEndAndDeleteAtTheEdges) {
  open("3abc      ", -1);
  press(14);  // Backspace at position 1: nothing
  press(75);  // Left at position 1: nothing
  EXPECT_EQ(text, "3abc      ");
  EXPECT_TRUE(open_field());
  EXPECT_EQ(cursor(), 1);
  press(77);
  press(77);
  press(14);
  EXPECT_EQ(text, "3ac       ");
  EXPECT_EQ(cursor(), 2);
  press(79);  // End: behind the last character
  EXPECT_EQ(cursor(), 3);
  press(71);  // Home: on the first
  EXPECT_EQ(cursor(), 1);
  // End in a full field: on its last column, there is none behind it.
  for (const char* full : {"3abcdefghi", "1abcdefghi"}) {
    open(full, -1);
    press(79);
    EXPECT_EQ(cursor(), 9) << full;
    EXPECT_TRUE(open_field()) << full;
  }
  // Delete at the last column steps back first.
  open("3abcdefghi", -8);
  press(77);
  press(83);
  EXPECT_EQ(text, "3abcdefgi ");
  // Right stops on the last column; Right there ends the field.
  open("3abc      ", -8);
  press(77);
  EXPECT_TRUE(open_field());
  EXPECT_EQ(cursor(), 9);
  press(77);
  EXPECT_FALSE(open_field());
  EXPECT_EQ(key, 77);
  // The head of a line held whole: Right stays on its last column.
  open("3abc      ", -8);
  ide::panfield.heldwhole = true;
  press(77);
  press(77);
  EXPECT_TRUE(open_field());
  EXPECT_EQ(cursor(), 9);
}

TEST_F(InputTest, ControlMovesByWordsAndShiftSelectsColumnsThatDeleteAndTypingCut) {
  open("3ab cd ef ", -1);
  press(77, 0, kCtrl);
  EXPECT_EQ(cursor(), 4) << "the start of the next word";
  press(77, 0, kCtrl | kShift);
  EXPECT_EQ(cursor(), 5) << "the end of the word";
  EXPECT_EQ(ide::edselcol1, 5);
  EXPECT_EQ(ide::edselcol2, 6);
  type("Z");
  EXPECT_EQ(text, "3ab Z ef  ") << "the selection is cut, the character takes its place";
  // Control+Left: to the start of the word, then of the one before it,
  // and at the first word the cursor stays in the line.
  open("3ab cd ef ", -8);
  for (const int at : {7, 4, 1, 1}) {
    press(75, 0, kCtrl);
    EXPECT_EQ(cursor(), at);
  }
  EXPECT_TRUE(open_field());
  open("3ab cd ef ", -3);
  press(77, 0, kShift);
  press(77, 0, kShift);
  EXPECT_EQ(ide::edselcol1, 4);
  EXPECT_EQ(ide::edselcol2, 6);
  press(83);
  EXPECT_EQ(text, "3ab ef    ");
  EXPECT_EQ(cursor(), 3);
  EXPECT_EQ(ide::edselcol1, 0);
}

TEST_F(InputTest, TabMatchesParentheses) {
  open("3a(b(c)d)e", -2);  // on the first "("
  press(15);
  EXPECT_EQ(cursor(), 8) << "on its closing parenthesis";
  press(15);
  EXPECT_EQ(cursor(), 2) << "and back";
  press(15, 0, kShift);
  EXPECT_EQ(cursor(), 2) << "Shift reverses: nothing opens before the first";
  open("3x (a)    ", -1);  // elsewhere: the next "(" forward
  press(15);
  EXPECT_EQ(cursor(), 3);
  open("3abc      ", -2);
  press(15);
  EXPECT_EQ(cursor(), 2) << "no parentheses: the field is only refreshed";
  EXPECT_EQ(text, "3abc      ");
}

TEST_F(InputTest, LineSelectionKeysMarkTheEditorsLines) {
  core::nedlines = 20;
  ide::edcurline = 5;
  ide::nrows = 8;
  open("3abc      ");
  press(80, 0, kShift);
  EXPECT_EQ(ide::edselfrom, 5);
  EXPECT_EQ(ide::edselto, 5);
  EXPECT_FALSE(open_field()) << "a key without a character ends the field";
  ide::edcurline = 6;
  open("3abc      ");
  press(81, 0, kShift);
  EXPECT_EQ(ide::edselfrom, 5) << "the first end stays";
  EXPECT_EQ(ide::edselto, 14);
  open("3abc      ");
  press(79, 0, kShift | kCtrl);
  EXPECT_EQ(ide::edselfrom, 6);
  EXPECT_EQ(ide::edselto, 20);
  open("3abc      ");
  press(30, 1, kCtrl);
  EXPECT_EQ(ide::edselfrom, 1);
  EXPECT_EQ(ide::edselto, 20);
  EXPECT_EQ(core::keystate[2], kShift);
  EXPECT_FALSE(open_field());
}

TEST_F(InputTest, ANumberFieldWritesItsValueBackInTheSamplesLook) {
  open("5 12.50");
  press(83);  // Delete the 1
  press(28, 13);
  EXPECT_EQ(text, "5  2.50") << "read and written back as F6.2";
  open("5 12.50");
  type("99");
  press(28, 13);
  EXPECT_EQ(text, "5******") << "9912. is too wide for F6.2";
  open("5 12.50");
  type("x");
  press(28, 13);
  EXPECT_EQ(text, "5 x12.5") << "not a number: as typed";
  open("5 12.50");
  press(28, 13);
  EXPECT_EQ(text, "5 12.50") << "unchanged: not written";
}

TEST_F(InputTest, AwaitedCharacterSwallowsEveryKeyUntilItComes) {
  ide::awaitchar = 'y';
  open("3ab       ", -1);
  type("q");
  EXPECT_EQ(text, "3ab       ");
  EXPECT_EQ(ide::awaitchar, 'y');
  type("y");
  EXPECT_EQ(text, "3ab       ");
  EXPECT_EQ(ide::awaitchar, ' ');
  type("z");
  EXPECT_EQ(text, "3zab      ");
}

TEST_F(InputTest, TheStepHandsKeysToTheRunAndClearsTheCopyWhenNothingWaits) {
  core::keystate = {'k', 37, 0, 1};
  ide::PANLIOSTEP();
  EXPECT_EQ(core::keystate, (std::array<std::uint8_t, 4>{})) << "no key, no break variable";
  core::keyrec = {'k', 37, 0, 1};
  ide::PANLIOSTEP();
  EXPECT_EQ(core::keystate, (std::array<std::uint8_t, 4>{'k', 37, 0, 1}));
  EXPECT_EQ(core::keykept, 'k' | 37 << 8 | 1 << 24);
  EXPECT_EQ(core::keyrec[1], 0);
  EXPECT_EQ(core::keyrec[0], 'k') << "the label character stays for the run";
  core::keyrec = {27, 1, 0, 1};
  ide::PANLIOSTEP();
  EXPECT_EQ(core::keyrec[1], 1) << "Escape stays the run's break key";
  // "No key" (all bytes 0xFF) is no key.
  core::keyrec = {0xFF, 0xFF, 0xFF, 0xFF};
  core::keykept = 0;
  ide::PANLIOSTEP();
  EXPECT_EQ(core::keykept, 0);
  // F5 fires alarm 5 at once.
  core::keyrec = {0, 0x3F, 0, 64};
  core::idecmd = -1;
  ide::PANLIOSTEP();
  EXPECT_EQ(core::idecmd, 5);
  EXPECT_EQ(core::keystate, (std::array<std::uint8_t, 4>{0, 1, 0, 0})) << "taken; a command waits";
}

TEST_F(InputTest, TheStepMeetsAQuitAndLooksAtTimersOnlyEveryFewMilliseconds) {
  ide::install_inputstep();
  win::PostQuitMessage(0);
  core::idecmd = -1;
  core::keyrec = {'a', 30, 0, 1};
  ide::PANLIOSTEP();
  EXPECT_EQ(core::idecmd, 999);
  EXPECT_EQ(core::keyrec[1], 30) << "nothing else happens in that step";
  win::MSG m{};
  ASSERT_TRUE(win::PeekMessageA(&m, nullptr, win::WM_QUIT, win::WM_QUIT, win::PM_REMOVE));
  // A timer that is due at once: the step does not read the queue on every
  // call, but within a few milliseconds it does.
  int fired = 0;
  static int* counter;
  counter = &fired;
  const win::UINT_PTR id = win::SetTimer(
      nullptr, 0, 1, [](win::HWND, win::UINT, win::UINT_PTR, win::DWORD) { ++*counter; });
  core::keyrec = {};
  const auto start = std::chrono::steady_clock::now();
  int calls = 0;
  while (fired == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
    ide::PANLIOSTEP();
    ++calls;
  }
  win::KillTimer(nullptr, id);
  EXPECT_EQ(fired, 1);
  EXPECT_GT(calls, 1);
}

}  // namespace
