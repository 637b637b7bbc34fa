// Menus from item records: accelerator texts, building and rebuilding,
// hints, item states, and accelerators in both message loops.
#include <string>
#include <vector>

#include "platform/win_dialog_testing.h"
#include "platform/win_message_keys.h"
#include "toolkit/accelerators.h"
#include "toolkit/loops.h"
#include "toolkit/menus.h"
#include "toolkit/status.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::codes;
using tktest::ToolkitTest;

void set(menu_item_t& item, const std::string& title, win::UINT_PTR id,
         const std::string& accelerator = "", const std::string& hint = "",
         menu_item_t* sub = nullptr, int sub_count = 0) {
  SET_MENU_ITEM(item, title.data(), static_cast<int>(title.size()), hint.data(),
                static_cast<int>(hint.size()), accelerator.data(),
                static_cast<int>(accelerator.size()), sub, sub_count, &id, nullptr);
}

TEST_F(ToolkitTest, AcceleratorTextsGiveTheirEntriesOrAreRefused) {
  struct Case {
    const char* text;
    int flags;  // 0: invalid
    int key;
  };
  const Case cases[] = {{"ctrl+shift+s", 0x0D, 0x53},
                        {"CNTRL+SHIFT+S", 0x0D, 0x53},
                        {"Alt+F4", 0x11, 0x73},
                        {"F10", 0x01, 0x79},
                        {"f1", 0x01, 0x70},
                        {"F24", 0x01, 0x87},
                        {"SHIFT+9", 0x05, '9'},
                        {"alt+ctrl+z", 0x19, 'Z'},
                        {"F", 0x01, 'F'},
                        {"F25", 0, 0},
                        {"F99", 0, 0},
                        {"FX", 0, 0},
                        {"F0", 0, 0},
                        {"CTRL+", 0, 0},
                        {"CTRL+Home", 0, 0},
                        {"Win+A", 0, 0},
                        {"CTRL+%", 0, 0},
                        {"CTRL+AB", 0, 0}};
  menu_item_t item;
  set(item, "&Open", 7);
  for (const Case& c : cases) {
    win::ACCEL entry;
    int ups = 0;
    const bool ok = PARSE_ACCELERATOR(c.text, entry, 7, item, 2, &ups);
    EXPECT_EQ(ok, c.flags != 0) << c.text;
    EXPECT_EQ(ups, ok ? 0 : 0x10000) << c.text;
    if (!ok) continue;
    EXPECT_EQ(entry.fVirt, c.flags) << c.text;
    EXPECT_EQ(entry.key, c.key) << c.text;
    EXPECT_EQ(entry.cmd, 7) << c.text;
  }
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  plat::push_message_box_answer(win::IDYES);
  win::ACCEL entry;
  PARSE_ACCELERATOR("Win+A", entry, 7, item, 2, nullptr);
  PARSE_ACCELERATOR("ctrl+home   ", entry, 7, item, 0x81, nullptr);
  ASSERT_EQ(plat::message_box_log().size(), 2u);
  EXPECT_EQ(plat::message_box_log()[0].text,
            "Invalid accelerator for:&Open:'WIN+A' in menu item:  2 ... Continue?");
  EXPECT_EQ(plat::message_box_log()[1].text,
            "Invalid accelerator key for:&Open:'CTRL+HOME' in menu item:  1 of menu item:  2 ... "
            "Continue?");
}

TEST_F(ToolkitTest, AMenuBarBuiltAgainHasItsAcceleratorsAndHintsOnce) {
  menu_item_t file[2], bar[4];
  set(file[0], "&Open", 101, "CTRL+O", "Opens a script");
  set(file[1], "&Save", 102, "CTRL+S");
  set(bar[0], "&File", 0, "", "The file menu", file, 2);
  set(bar[1], "&Quit", 0x4001, "ALT+F4");
  set(bar[2], "Again", 101, "CTRL+O");  // the same entry again
  set(bar[3], "Other", 103, "ctrl+o");  // the same keys for another command
  prepare_accelerator_list();
  const win::HMENU first = MAKE_MENU(bar, 4, 0, nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(accelerator_list.size(), 5u);
  EXPECT_EQ(menu_hint_count(), 6);
  EXPECT_EQ(bar[0].command, reinterpret_cast<win::UINT_PTR>(file[0].menu));
  EXPECT_EQ(bar[1].menu, first);
  MAKE_MENU(bar, 4, 0, nullptr);
  EXPECT_EQ(accelerator_list.size(), 5u);
  EXPECT_EQ(menu_hint_count(), 6);
  BUILD_ACCELERATORS(bar, 4, nullptr);
  EXPECT_EQ(accelerator_list.size(), 1u);
  EXPECT_EQ(menu_hint_count(), 0);
  EXPECT_EQ(bar[1].menu, nullptr);
}

TEST_F(ToolkitTest, MenuHintsFollowTheSelection) {
  menu_item_t file[1], bar[2];
  set(file[0], "&Open", 101, "", "Opens a script");
  set(bar[0], "&File", 0, "", "The file menu", file, 1);
  set(bar[1], "&Run", 102);
  const win::HMENU menu = MAKE_MENU(bar, 2, 0, nullptr);
  EXPECT_EQ(SHOW_MENU_HINT(nullptr, menu, win::MAKEWPARAM(0, win::MF_POPUP)), 1);
  EXPECT_STREQ(current_menu_hint(), "The file menu");
  EXPECT_EQ(SHOW_MENU_HINT(nullptr, file[0].menu, win::MAKEWPARAM(101, 0)), 1);
  EXPECT_STREQ(current_menu_hint(), "Opens a script");
  // An item without a hint has an entry without text.
  EXPECT_EQ(SHOW_MENU_HINT(nullptr, menu, win::MAKEWPARAM(102, 0)), 1);
  EXPECT_EQ(current_menu_hint(), nullptr);
  EXPECT_EQ(SHOW_MENU_HINT(nullptr, menu, win::MAKEWPARAM(999, 0)), 0);
  SHOW_MENU_HINT(nullptr, file[0].menu, win::MAKEWPARAM(101, 0));
  EXPECT_EQ(SHOW_MENU_HINT(nullptr, nullptr, win::MAKEWPARAM(0xF060, win::MF_SYSMENU)), 1);
  EXPECT_EQ(current_menu_hint(), nullptr);
  // A hint torn down is not shown any longer.
  SHOW_MENU_HINT(nullptr, file[0].menu, win::MAKEWPARAM(101, 0));
  BUILD_ACCELERATORS(bar, 2, nullptr);
  EXPECT_EQ(current_menu_hint(), nullptr);
}

TEST_F(ToolkitTest, UnsetItemsAreSkippedWithTheirPlaceAndStatesGoToTheMenu) {
  menu_item_t bar[2];
  set(bar[0], "&Run", 102);
  int ups = 0;
  const win::HMENU menu = MAKE_MENU(bar, 2, 0, &ups);
  EXPECT_EQ(ups, 0x10000);
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  MAKE_MENU(bar, 2, 0, nullptr);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].text,
            "Menu item ( 2) in Menu Bar has not been initialized ... Continue?");
  UPDATE_MENU_ITEM(bar[0], 8 | 1 | 0x10, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(bar[0].flags, 9);
  EXPECT_EQ(win::CheckMenuItem(bar[0].menu, 102, win::MF_BYCOMMAND), win::MF_CHECKED);
  (void)menu;
  bar[0].command = 555;
  UPDATE_MENU_ITEM(bar[0], 0, &ups);
  EXPECT_NE(ups, 0);
}

TEST_F(ToolkitTest, AcceleratorsBecomeCommandsInBothLoopsAndCtrlShiftRAlways) {
  menu_item_t bar[1];
  set(bar[0], "&Open", 101, "CTRL+O");
  tktest::make_main(bar, 1);
  tktest::control_answer = [](int) { return 1; };
  const auto ctrl = [](int vk) {
    plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), true);
    plat::inject_key_press(vk);
    plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), false);
  };
  ctrl('O');
  PROCESS_MESSAGES();
  ctrl('O');
  win::PostQuitMessage(3);
  EXPECT_EQ(MESSAGE_LOOP(), 3);
  const std::vector<int> got = codes("control");
  EXPECT_EQ(std::count(got.begin(), got.end(), 101), 2);
  EXPECT_EQ(std::count(got.begin(), got.end(), 0x4100), 2);  // the Control key alone
  // The Tools command in a secondary window without a menu.
  tktest::calls.clear();
  tktest::make_secondary();
  plat::input_key(win::VK_SHIFT, plat::scan_code_of(win::VK_SHIFT), true);
  ctrl('R');
  plat::input_key(win::VK_SHIFT, plat::scan_code_of(win::VK_SHIFT), false);
  PROCESS_MESSAGES();
  const std::vector<int> tools = codes("control");
  EXPECT_EQ(std::count(tools.begin(), tools.end(), 0x4003), 1);
}

// The popup menu's window while it tracks.
win::HWND popup_window() {
  for (win::HWND h = win::GetWindow(win::GetDesktopWindow(), win::GW_CHILD); h != nullptr;
       h = win::GetWindow(h, win::GW_HWNDNEXT)) {
    char cls[16];
    win::GetClassNameA(h, cls, sizeof cls);
    if (std::string(cls) == "#32768" && win::IsWindowVisible(h)) return h;
  }
  return nullptr;
}

TEST_F(ToolkitTest, APopupMenuAtHalfTheScreenOpensAtItsCentreAndReturnsTheChoice) {
  menu_item_t items[2];
  set(items[0], "&Cut", 201);
  set(items[1], "C&opy", 202, "CTRL+C");
  tktest::make_main();
  const float half = 0.5F;
  win::RECT at{};
  dlgtest::later([&] {
    win::GetWindowRect(popup_window(), &at);
    dlgtest::key(win::VK_ESCAPE);
  });
  int ups = -1;
  EXPECT_EQ(
      DISPLAY_POPUP_MENU(items, 2, nullptr, &half, &half, nullptr, nullptr, nullptr, nullptr, &ups),
      0);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(at.left, 640);
  EXPECT_EQ(at.top, 512);
  dlgtest::later([] {
    dlgtest::key(win::VK_DOWN);
    dlgtest::key(win::VK_DOWN);
    dlgtest::key(win::VK_RETURN);
  });
  const int x = 10, y = 20;
  EXPECT_EQ(DISPLAY_POPUP_MENU(items, 2, nullptr, nullptr, nullptr, &x, &y, nullptr, nullptr, &ups),
            202);
  // The accelerators of a popup menu stay until its array is torn down.
  EXPECT_EQ(accelerator_list.size(), 2u);
  BUILD_ACCELERATORS(items, 2, nullptr);
  EXPECT_EQ(accelerator_list.size(), 1u);
}

}  // namespace
