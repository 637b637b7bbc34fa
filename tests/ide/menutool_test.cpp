// The menu bar and toolbar: the accelerators the menus bring, and the items
// greyed, enabled, hidden and checked in each mode of the IDE.
#include <gtest/gtest.h>

#include <set>

#include "core/editbuffer.h"
#include "core/stores.h"
#include "ide/menutool.h"
#include "ide/scripts.h"
#include "ide_fixture.h"
#include "platform/win_commctrl.h"
#include "platform/win_menu.h"
#include "platform/win_message_keys.h"
#include "toolkit/accelerators.h"
#include "toolkit/records.h"

namespace {

using idetest::IdeTest;

bool greyed(const toolkit::menu_item_t& item) { return (item.flags & 1) != 0; }
bool checked(const toolkit::menu_item_t& item) { return (item.flags & 8) != 0; }

// The buttons shown, by their place 1 to 28.
std::set<int> shown() {
  const win::HWND bar = toolkit::MAIN_WINDOW_RECORD()->toolbar->window;
  std::set<int> out;
  for (int i = 1; i <= ide::ntoolitems; ++i) {
    const toolkit::toolbar_item_t& b = ide::toolitems(i);
    if (b.style == 1) continue;
    if (win::SendMessageA(bar, win::TB_ISBUTTONHIDDEN, static_cast<win::WPARAM>(b.command), 0) == 0)
      out.insert(i);
  }
  return out;
}

TEST_F(IdeTest, EveryAcceleratorOfTheMenusGivesItsCommand) {
  run("", {[] {
        struct Key {
          win::BYTE modifiers;
          win::WORD key;
          int command;
        };
        const Key keys[] = {
            {win::FCONTROL, 'S', 10003},     {win::FCONTROL, 'P', 10005},
            {win::FALT, win::VK_F4, 0x4001}, {win::FALT, 'I', 10101},
            {win::FCONTROL, 'X', 10102},     {win::FCONTROL, 'C', 10103},
            {win::FCONTROL, 'V', 10104},     {win::FCONTROL, 'F', 10105},
            {win::FCONTROL, 'Z', 10106},     {win::FCONTROL, 'Y', 10107},
            {win::FALT, 'S', 10201},         {win::FALT, 'T', 10202},
            {win::FALT, 'R', 10203},         {win::FALT, 'Q', 10204},
            {win::FALT, 'M', 10205},         {win::FCONTROL, 'T', 10402},
            {win::FALT, 'C', 10403},
        };
        for (const Key& k : keys) {
          int found = 0;
          for (const win::ACCEL& a : toolkit::accelerator_list)
            if (a.key == k.key &&
                (a.fVirt & (win::FCONTROL | win::FALT | win::FSHIFT)) == k.modifiers)
              found = a.cmd;
          EXPECT_EQ(found, k.command) << static_cast<char>(k.key);
        }
      }});
}

TEST_F(IdeTest, TheStartStateGreysEditingAndShowsSixButtons) {
  run("", {[] {
        ide::OPENEDITCLOSE(0);  // no script open
        EXPECT_TRUE(greyed(ide::menubar(2)));
        for (const int i : {1, 3, 4, 5}) EXPECT_FALSE(greyed(ide::menubar(i))) << i;
        for (const int i : {3, 4, 5}) EXPECT_TRUE(greyed(ide::filemenu(i))) << i;
        for (const int i : {1, 2, 6, 7}) EXPECT_FALSE(greyed(ide::filemenu(i))) << i;
        for (const int i : {6, 7}) EXPECT_TRUE(greyed(ide::editmenu(i))) << i;
        EXPECT_FALSE(greyed(ide::editmenu(1)));
        EXPECT_FALSE(greyed(ide::gomenu(1)));
        EXPECT_TRUE(greyed(ide::gomenu(2)));
        EXPECT_FALSE(greyed(ide::gomenu(3)));
        for (const int i : {4, 5}) EXPECT_TRUE(greyed(ide::gomenu(i))) << i;
        for (const int i : {1, 4}) EXPECT_TRUE(greyed(ide::helpmenu(i))) << i;
        for (const int i : {2, 3, 5, 6, 7, 8}) EXPECT_FALSE(greyed(ide::helpmenu(i))) << i;
        // New, Step, Run, Escape, Contents, Tooltips.
        EXPECT_EQ(shown(), (std::set<int>{1, 12, 14, 16, 18, 19}));
        for (int k = 2; k <= 9; ++k) {
          EXPECT_EQ(ide::toolitems(19 + k).tooltip.trimmed(), "This subroutine is not yet defined");
          EXPECT_EQ(ide::fkeymarks(k), 0);
        }
      }});
}

TEST_F(IdeTest, EditingEnablesTheMenusAndTheFixedButtonsAndUndoFollowsTheLog) {
  run("", {[] {
        core::c1logtop = core::c1logbase = core::c1redolimit = 500;
        ide::MENUTOOLONOFF("E0");
        for (int i = 1; i <= 5; ++i) EXPECT_FALSE(greyed(ide::menubar(i))) << i;
        for (int i = 1; i <= 5; ++i) EXPECT_FALSE(greyed(ide::gomenu(i))) << i;
        for (int i = 1; i <= 5; ++i) EXPECT_FALSE(greyed(ide::filemenu(i))) << i;
        EXPECT_FALSE(greyed(ide::helpmenu(4)));
        EXPECT_TRUE(greyed(ide::editmenu(6)));
        EXPECT_TRUE(greyed(ide::editmenu(7)));
        std::set<int> fixed;
        for (int i = 1; i <= 20; ++i)
          if (i != 9 && i != 10 && ide::toolitems(i).style != 1) fixed.insert(i);
        EXPECT_EQ(shown(), fixed);
        // One change logged: Undo; one of two undone: Undo and Redo.
        core::c1logtop = 480;
        ide::MENUTOOLONOFF("UR");
        EXPECT_FALSE(greyed(ide::editmenu(6)));
        EXPECT_TRUE(greyed(ide::editmenu(7)));
        EXPECT_TRUE(shown().contains(9));
        EXPECT_FALSE(shown().contains(10));
        core::c1redolimit = 460;
        ide::MENUTOOLONOFF("UR");
        EXPECT_FALSE(greyed(ide::editmenu(7)));
        EXPECT_TRUE(shown().contains(10));
      }});
}

TEST_F(IdeTest, TheCpuTimeSwitchTogglesItsCheckMark) {
  run("", {[] {
        ide::MENUTOOLONOFF("t0");
        EXPECT_TRUE(ide::cputoggle);
        EXPECT_TRUE(checked(ide::gomenu(5)));
        for (int i = 1; i <= 5; ++i) EXPECT_FALSE(greyed(ide::gomenu(i))) << i;
        ide::MENUTOOLONOFF("t0");
        EXPECT_FALSE(ide::cputoggle);
        EXPECT_FALSE(checked(ide::gomenu(5)));
        ide::MENUTOOLONOFF("xx");
        EXPECT_FALSE(ide::cputoggle);
      }});
}

TEST_F(IdeTest, FunctionKeyButtonsShowOnlyForSubroutinesOfTheScript) {
  run("", {[] {
        // The compiler's record for F3: length, key, tooltip.
        const std::string tip = "Plot it";
        core::c1namen(100) = static_cast<char>(tip.size() + 2);
        core::c1namen(101) = 3;
        for (std::size_t i = 0; i < tip.size(); ++i)
          core::c1namen(102 + static_cast<long long>(i)) = tip[i];
        ide::MENUTOOLONOFF("Fn", 100);
        EXPECT_EQ(ide::fkeymarks(3), 3);
        EXPECT_EQ(ide::toolitems(22).tooltip.trimmed(), "Plot it");
        EXPECT_TRUE(shown().contains(22));
        ide::MENUTOOLONOFF("Fn", -3);
        EXPECT_EQ(ide::fkeymarks(3), 1);
        EXPECT_FALSE(shown().contains(22));
        ide::MENUTOOLONOFF("Fn", 0);
        EXPECT_EQ(ide::fkeymarks(3), 3);
        EXPECT_TRUE(shown().contains(22));
        // F5 has no subroutine: it stays hidden.
        ide::MENUTOOLONOFF("Fn", 5);
        EXPECT_EQ(ide::fkeymarks(5), 0);
        EXPECT_FALSE(shown().contains(24));
        ide::MENUTOOLONOFF("A0");
        EXPECT_FALSE(shown().contains(22));
        EXPECT_EQ(ide::fkeymarks(3), 0);
      }});
}

}  // namespace
