// The event routine: what each kind of event becomes (a pending command, a
// key, work done at once) and when the dispatcher is called; the key
// reader's completed keys as message sequences reach it.
#include <gtest/gtest.h>

#include "core/runwords.h"
#include "core/stores.h"
#include "exec/alarms.h"
#include "exec/headless_run.h"
#include "ide/fe_control.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"

namespace {

using idetest::IdeTest;

int control(int code, std::intptr_t wparam = 0) {
  win::HWND w = static_cast<win::HWND>(idetest::mainwindow());
  win::WPARAM wp = static_cast<win::WPARAM>(wparam);
  win::LPARAM lp = 0;
  return ide::FE_CONTROL(code, w, wp, lp);
}

std::size_t handed() { return idetest::handedover.size(); }

// A dispatch with no key: the record is all 0xFF, or the editor cleared it
// after taking the last key.
bool keyless(const idetest::HandedOver& h) { return h.key[1] == 0xFF || h.key[1] == 0; }

TEST_F(IdeTest, EventsBecomePendingCommandsAndKeys) {
  run("", {[] {
        // F5 of the toolbar: the key F5, no character; the dispatcher runs.
        // (The editor hands the key it does not take to the command
        // handler, which enters the editor once more, keyless.)
        const std::size_t before = handed();
        EXPECT_EQ(control(22005), -1);
        ASSERT_GT(handed(), before);
        EXPECT_EQ(idetest::handedover[before].key[1], 63);
        EXPECT_EQ(idetest::handedover[before].key[0], 0);
        EXPECT_EQ(core::keyscan, 63);
        const std::size_t afterf5 = handed();
        // A script window's menu item 7, while a run holds the dispatcher.
        core::idestate |= ide::busy::dispatching;
        core::idecmd = 10203;
        EXPECT_EQ(control(31007), -1);
        EXPECT_EQ(core::idecmd, 31000);
        EXPECT_EQ(ide::prevcmd, 10203);
        EXPECT_EQ(core::z(2), 7.0);
        EXPECT_NE(ide::evtflags & ide::evt::scriptmenu, 0);
        // Alt+R during a run only becomes pending.
        EXPECT_EQ(control(10203), -1);
        EXPECT_EQ(core::idecmd, 10203);
        EXPECT_EQ(handed(), afterf5);
        // A closed window while 22001 is pending keeps the saved command.
        core::idecmd = 22001;
        ide::prevcmd = 5;
        control(21061);
        EXPECT_EQ(core::idecmd, 21061);
        EXPECT_EQ(ide::prevcmd, 5);
        // Not handled: the toolkit's defaults apply.
        EXPECT_EQ(control(10150), 0);
        EXPECT_EQ(control(22050), 0);
        EXPECT_EQ(control(32025), 0);
        // Closing the main window: quit pending, the toolkit closes it.
        EXPECT_EQ(control(0x4001), 0);
        EXPECT_EQ(core::idecmd, 999);
        core::idestate &= ~ide::busy::dispatching;
        core::idecmd = 0;
      }});
}

TEST_F(IdeTest, TicksDispatchEverySecondUnlessAnAlarmWaits) {
  std::size_t at2 = 0, at3 = 0, at4 = 0;
  run("", {[] {}, [&] { at2 = handed(); },
           [&] {
             at3 = handed();
             exec::alarmtime(4) = 86000.0F;  // late tonight
           },
           [&] { at4 = handed(); }});
  EXPECT_EQ(at3, at2 + 1);
  EXPECT_EQ(at4, at3);
}

TEST_F(IdeTest, OpeningARecentScriptDuringARunAsksFirst) {
  run("", {[] {
        core::idestate |= ide::busy::dispatching;
        core::idecmd = 0;
        control(10012);  // the answer: No
        EXPECT_EQ(core::idecmd, 0);
        ASSERT_EQ(plat::message_box_log().size(), 1u);
        plat::push_message_box_answer(win::IDYES);
        control(10012);
        EXPECT_EQ(core::idecmd, 10012);
        core::idestate &= ~ide::busy::dispatching;
        core::idecmd = 0;
      }});
}

// Completed keys as the command handler receives them.
TEST_F(IdeTest, KeysCompleteAtTheirCharacterTheirKeyDownOrTheDeadKeysKeyUp) {
  std::vector<idetest::HandedOver> got;
  run("", {[] {
             idetest::handedover.clear();
             plat::inject_key_press('A', 'a');
             plat::inject_key_press(win::VK_F7);
             plat::inject_key_press(win::VK_TAB, '\t');
           },
           [&] {
             got = idetest::handedover;
             idetest::handedover.clear();
             // Ctrl+Tab goes to the next window, and no further.
             plat::set_key_state(win::VK_CONTROL, true);
             plat::inject_key_press(win::VK_TAB);
           },
           [&] {
             plat::set_key_state(win::VK_CONTROL, false);
             for (const idetest::HandedOver& h : idetest::handedover) EXPECT_TRUE(keyless(h));
           }});
  // The ticks' own dispatches hand over no key: keep those with one.
  std::erase_if(got, keyless);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].key, (std::array<std::uint8_t, 4>{'a', 30, 0, 1}));
  EXPECT_EQ(got[1].key[1], 65);
  EXPECT_EQ(got[1].key[3], 64);
  EXPECT_EQ(got[2].key, (std::array<std::uint8_t, 4>{'\t', 15, 0, 1}));
}

TEST(KeyPressed, ADeadKeyCompletesAtItsKeyUpWhenNoCharacterCame) {
  ide::reset_keypress();
  core::idestate = 0;
  const std::int32_t accent = 13 << 16;
  std::int32_t kind = 0;
  ide::KEYPRESSED(kind, 0xDD, accent);
  EXPECT_EQ(kind, 0);
  kind = 2;
  ide::KEYPRESSED(kind, 0xDD, accent);
  EXPECT_EQ(kind, -1);
  EXPECT_EQ(core::keyrec[0], 0);
  EXPECT_EQ(core::keyrec[3], 4);
  // The composed letter completes once more, at its character.
  const std::int32_t e = 18 << 16;
  kind = 0;
  ide::KEYPRESSED(kind, 'E', e);
  EXPECT_EQ(kind, 0);
  kind = 1;
  ide::KEYPRESSED(kind, 0xE9, e);
  EXPECT_EQ(kind, -1);
  EXPECT_EQ(core::keyrec[0], 0xE9);
  kind = 2;
  ide::KEYPRESSED(kind, 'E', e);
  EXPECT_EQ(kind, 2);
  EXPECT_NE(ide::evtflags & ide::evt::keyup, 0);
  // While the dispatcher runs, a key completes but asks for no dispatch.
  core::idestate = ide::busy::dispatching;
  kind = 0;
  ide::KEYPRESSED(kind, win::VK_F2, 60 << 16);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(core::keyrec[1], 60);
  core::idestate = 0;
}

TEST(KeyPressed, EveryScanCodeHasItsClass) {
  const std::array<int, 94> expected = [] {
    std::array<int, 94> t{};
    auto set = [&t](int from, int to, int c) {
      for (int i = from; i <= to; ++i) t[static_cast<std::size_t>(i)] = c;
    };
    set(1, 11, 1), set(12, 12, 33), set(13, 13, 4), set(14, 25, 1), set(26, 26, 33);
    set(27, 28, 1), set(29, 29, 8), set(30, 39, 1), set(40, 40, 33), set(41, 41, 4);
    set(42, 42, 8), set(43, 53, 1), set(54, 54, 8), set(55, 55, 33), set(56, 56, 8);
    set(57, 57, 1), set(58, 58, 16), set(59, 68, 64), set(69, 70, 16), set(71, 73, 2);
    set(74, 74, 33), set(75, 77, 2), set(78, 78, 33), set(79, 83, 2), set(86, 86, 1);
    set(87, 88, 64);
    return t;
  }();
  for (int s = 0; s < 94; ++s)
    EXPECT_EQ(ide::scanclassof(s), expected[static_cast<std::size_t>(s)]) << s;
  EXPECT_EQ(ide::scanclassof(94), 1);
  EXPECT_EQ(ide::scanclassof(200), 1);
}

TEST_F(IdeTest, WithNumLockTheKeypadTypesDigitsButTheGreyKeysStayKeys) {
  std::vector<idetest::HandedOver> got;
  run("", {[] {
             plat::set_key_state(win::VK_NUMLOCK, false, true);
             core::idestate |= ide::busy::command;
             idetest::handedover.clear();
             plat::inject_key_press(win::VK_NUMPAD0 + 7, '7');
             plat::input_key(win::VK_HOME, 71, true, true);
             plat::input_key(win::VK_HOME, 71, false, true);
           },
           [&] {
             got = idetest::handedover;
             core::idestate &= ~ide::busy::command;
           }});
  std::erase_if(got, keyless);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].key[0], '7');
  EXPECT_EQ(got[0].key[1], 9);
  EXPECT_EQ(got.back().key[0], 0);
  EXPECT_EQ(got.back().key[1], 71);
  EXPECT_EQ(got.back().key[3], 2);
}

}  // namespace
