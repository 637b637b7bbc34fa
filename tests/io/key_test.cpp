// KEY with keys and buttons as the platform reports them, the key-state
// mask, and the clipboard text over its seams.
#include <gtest/gtest.h>

#include <string>

#include "core/runwords.h"
#include "exec/postfix.h"
#include "ide/panlio.h"
#include "io/clipboard.h"
#include "io/keys.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "tests/io/time_script.h"

namespace {

using KeyScript = iotest::ScriptRun;

TEST_F(KeyScript, AKeyPressedDuringTheRunIsReportedOnce) {
  // The key "a" comes in before the first statement ends, as the key
  // reader records it; the input step takes it.
  static int calls;
  calls = 0;
  exec::PANLIOSTEP = [] {
    if (++calls == 1) {
      core::keyscan = 0x1E;
      core::keyrec = {'a', 0x1E, 0, 1};
    }
    ide::PANLIOSTEP();
  };
  const std::string out =
      run("N = 0\n"
          "K1 = KEY(Ascii=A1, Scan=S1, ScanType=T1)\n"
          "K2 = KEY(Scan)\n"
          "K3 = KEY()\n"
          "END\n");
  ide::install_inputstep();
  EXPECT_EQ(out, "N=0\nK1=97\nA1=97\nS1=30\nT1=1\nK2=0\nK3=0\nstop=-1\n");
}

TEST_F(KeyScript, OptionsWithoutVariableGiveTheFunctionValueInTheirOrder) {
  plat::set_key_state(win::VK_SHIFT, true);
  plat::set_key_state(win::VK_CONTROL, true);
  plat::set_key_state(win::VK_LBUTTON, true);
  plat::set_key_state(win::VK_RBUTTON, true);
  plat::set_key_state(win::VK_NUMLOCK, false, true);
  const std::string out =
      run("S = KEY(SHift)\n"
          "C = KEY(Control)\n"
          "M = KEY(Mouse)\n"
          "F = KEY(Mouse, Numlock, Control, SHift=V, ALt=W)\n"
          "END\n");
  EXPECT_EQ(out, "S=1\nC=2\nM=192\nF=2\nV=1\nW=0\nstop=-1\n");
}

TEST(KeyStates, EachKeyGivesItsBitAndALockKeyHeldDownIsOff) {
  struct Case {
    int vk;
    std::int32_t bit;
    bool toggle;
  };
  const Case cases[] = {
      {win::VK_SHIFT, io::keybit::shift, false},
      {win::VK_CONTROL, io::keybit::control, false},
      {win::VK_MENU, io::keybit::alt, false},
      {win::VK_CAPITAL, io::keybit::capslock, true},
      {win::VK_NUMLOCK, io::keybit::numlock, true},
      {win::VK_SCROLL, io::keybit::scrolllock, true},
      {win::VK_INSERT, io::keybit::insert, true},
      {win::VK_PAUSE, io::keybit::pause, true},
      {win::VK_LBUTTON, io::keybit::leftbutton, false},
      {win::VK_RBUTTON, io::keybit::rightbutton, false},
      {win::VK_MBUTTON, io::keybit::middlebutton, false},
  };
  plat::reset_windows();
  EXPECT_EQ(io::GETKEYSTATES(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vk);
    plat::set_key_state(c.vk, !c.toggle, c.toggle);
    EXPECT_EQ(io::GETKEYSTATES(), c.bit);
    // Down and toggled: a down key counts, a lock key does not.
    plat::set_key_state(c.vk, true, true);
    EXPECT_EQ(io::GETKEYSTATES(), c.toggle ? 0 : c.bit);
    plat::set_key_state(c.vk, false, false);
  }
  plat::reset_windows();
}

TEST(Clipboard, TextGoesBothWaysAndANegativeCountIsNone) {
  static std::string board;
  io::copytoclipboard = [](std::string_view t) {
    board.assign(t);
    return 0;
  };
  io::pastefromclipboard = [](std::span<char> t) {
    std::fill(t.begin(), t.end(), ' ');
    std::copy_n(board.begin(), std::min(board.size(), t.size()), t.begin());
    return 0;
  };
  std::string text = "hello world";
  io::CLIPBORD('W', text, 5);
  EXPECT_EQ(board, "hello");
  std::string into(8, '.');
  io::CLIPBORD('R', into, 3);
  EXPECT_EQ(into, "hel.....");
  io::CLIPBORD('W', text, -4);
  EXPECT_EQ(board, "");
  io::CLIPBORD('W', text, 99);  // no further than the text
  EXPECT_EQ(board, "hello world");
  EXPECT_EQ(io::clipstatus, 0);
  io::copytoclipboard = nullptr;
  io::pastefromclipboard = nullptr;
  io::CLIPBORD('R', into, 3);
  EXPECT_EQ(into, "hel.....");
  EXPECT_NE(io::clipstatus, 0);
}

}  // namespace
