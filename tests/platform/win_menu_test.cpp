// Menus: items and their states, the menu bar by keys and by mouse, the
// WM_MENUSELECT sequence, popup menus, and accelerators.
#include "platform/win_menu.h"

#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "platform/win_message_keys.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

using Menus = DialogTest;
using MenuTracking = DialogTest;
using Accelerators = DialogTest;

// File: New (101), Open (102, grey), separator, Recent > (a 111, b 112);
// Edit: Cut (201, checked), Copy (202).
struct Bar {
  HMENU bar, file, recent, edit;
  Bar() {
    bar = CreateMenu();
    file = CreatePopupMenu();
    recent = CreatePopupMenu();
    edit = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, 111, "&a.ost");
    AppendMenuA(recent, MF_STRING, 112, "&b.ost");
    AppendMenuA(file, MF_STRING, 101, "&New\tCtrl+N");
    AppendMenuA(file, MF_GRAYED, 102, "&Open");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(edit, MF_CHECKED, 201, "Cu&t");
    AppendMenuA(edit, MF_STRING, 202, "&Copy");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
  }
};

std::vector<WPARAM> commands_of(HWND h) {
  std::vector<WPARAM> out;
  for (const auto& s : wintest::seen)
    if (s.wnd == h && s.msg == WM_COMMAND) out.push_back(s.wp);
  return out;
}

std::vector<std::pair<WPARAM, LPARAM>> selects_of(HWND h) {
  std::vector<std::pair<WPARAM, LPARAM>> out;
  for (const auto& s : wintest::seen)
    if (s.wnd == h && s.msg == WM_MENUSELECT) out.emplace_back(s.wp, s.lp);
  return out;
}

HWND menu_window() {
  for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h != nullptr;
       h = GetWindow(h, GW_HWNDNEXT)) {
    char cls[16];
    GetClassNameA(h, cls, sizeof cls);
    if (std::string(cls) == "#32768" && IsWindowVisible(h)) return h;
  }
  return nullptr;
}

void keys(std::initializer_list<int> vks) {
  for (int vk : vks) key(vk);
}

LPARAM of(HMENU m) { return reinterpret_cast<LPARAM>(m); }

}  // namespace

TEST_F(Menus, ItemStatesByCommandAndPositionAndTheirHandles) {
  Bar b;
  EXPECT_EQ(CheckMenuItem(b.bar, 201, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(b.bar, 201, MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(b.recent, 1, MF_BYPOSITION | MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(b.bar, 112, MF_UNCHECKED), MF_CHECKED);  // found in a sub-menu
  EXPECT_EQ(CheckMenuItem(b.bar, 999, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(b.bar, 102, MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(b.file, 2, MF_BYPOSITION | MF_DISABLED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(b.file, 9, MF_BYPOSITION), -1);

  HWND top = wintest::make_top();
  RECT before, after;
  GetClientRect(top, &before);
  ASSERT_TRUE(SetMenu(top, b.bar));
  GetClientRect(top, &after);
  EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(GetMenu(top), b.bar);
  HWND child = wintest::make_child(top, 3, 0, 0, 10, 10);
  SetLastError(0);
  EXPECT_FALSE(SetMenu(child, b.bar));
  EXPECT_EQ(GetLastError(), ERROR_CHILD_WINDOW_MENU);
  // Destroying a menu destroys the menus its items open.
  ASSERT_TRUE(DestroyMenu(b.file));
  SetLastError(0);
  EXPECT_FALSE(AppendMenuA(b.recent, MF_STRING, 1, "x"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
  EXPECT_FALSE(DestroyMenu(b.file));
}

TEST_F(MenuTracking, KeyboardWalkWithTheMenuSelectSequenceAndAChoice) {
  Bar b;
  HWND top = wintest::make_top();
  SetMenu(top, b.bar);
  wintest::seen.clear();
  key(VK_MENU);  // pressed and released alone
  later([] {
    keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});  // New, Open (grey), Recent; open it
    keys({VK_DOWN, VK_RETURN});                    // b.ost
  });
  wintest::pump();
  wintest::pump();
  EXPECT_EQ(commands_of(top), (std::vector<WPARAM>{112}));
  const auto sel = selects_of(top);
  const auto popup = MF_POPUP | MF_HILITE;
  EXPECT_EQ(sel, (std::vector<std::pair<WPARAM, LPARAM>>{
                     {MAKEWPARAM(0, popup), of(b.bar)},         // File
                     {MAKEWPARAM(101, MF_HILITE), of(b.file)},  // New
                     {MAKEWPARAM(102, MF_GRAYED | MF_HILITE), of(b.file)},
                     {MAKEWPARAM(3, popup), of(b.file)},          // Recent, by position
                     {MAKEWPARAM(111, MF_HILITE), of(b.recent)},  // its first item
                     {MAKEWPARAM(112, MF_HILITE), of(b.recent)},
                     {MAKEWPARAM(0, 0xFFFF), 0}}));  // closed
  EXPECT_EQ(menu_window(), nullptr);
}

TEST_F(MenuTracking, MnemonicsGreyItemsAndEscapeLevelByLevel) {
  Bar b;
  HWND top = wintest::make_top();
  SetMenu(top, b.bar);
  wintest::seen.clear();
  with(VK_MENU, 'E');  // Alt+E opens Edit
  later([] { key('T', 't'); });
  wintest::pump();
  wintest::pump();
  EXPECT_EQ(commands_of(top), (std::vector<WPARAM>{201}));
  // A grey item cannot be chosen; Escape closes the menu, then the bar.
  wintest::seen.clear();
  key(VK_F10);
  later([] {
    keys({VK_DOWN, VK_DOWN, VK_RETURN, 'O'});
    later([] {
      EXPECT_NE(menu_window(), nullptr);  // still open
      keys({VK_ESCAPE});
      later([] {
        EXPECT_EQ(menu_window(), nullptr);  // back on the bar
        keys({VK_RIGHT, VK_ESCAPE});
      });
    });
  });
  wintest::pump();
  wintest::pump();
  EXPECT_TRUE(commands_of(top).empty());
  const auto sel = selects_of(top);
  ASSERT_FALSE(sel.empty());
  EXPECT_EQ(sel.back(), (std::pair<WPARAM, LPARAM>{MAKEWPARAM(0, 0xFFFF), 0}));
  EXPECT_EQ(sel[sel.size() - 2],
            (std::pair<WPARAM, LPARAM>{MAKEWPARAM(1, MF_POPUP | MF_HILITE), of(b.bar)}));
}

TEST_F(MenuTracking, TheMouseOpensTheBarAndChoosesWithPixelsOfTheStates) {
  Bar b;
  HWND top = wintest::make_top(100, 100, 400, 300);
  SetMenu(top, b.bar);
  RECT wr;
  GetWindowRect(top, &wr);
  const int bar_y = wr.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) + 10;
  wintest::seen.clear();
  // A click on "Edit" (after "File") opens its menu; the cut item shows its
  // check mark, then a click on "Copy" chooses it.
  plat::input_mouse_button(0, true, wr.left + 60, bar_y);
  plat::input_mouse_button(0, false, wr.left + 60, bar_y);
  int checked_ink = 0, unchecked_ink = 0;
  later([&] {
    HWND m = menu_window();
    ASSERT_NE(m, nullptr);
    UpdateWindow(m);
    for (int y = 3; y < 17; ++y)
      for (int x = 3; x < 17; ++x) {
        checked_ink += plat::window_pixel(m, x, y) == 0 ? 1 : 0;
        unchecked_ink += plat::window_pixel(m, x, y + 17) == 0 ? 1 : 0;
      }
    RECT mr;
    GetWindowRect(m, &mr);
    EXPECT_EQ(mr.top, bar_y - 10 + GetSystemMetrics(SM_CYMENU));
    plat::input_mouse_move(mr.left + 30, mr.top + 2 + 17 + 5);
    plat::input_mouse_button(0, true, mr.left + 30, mr.top + 2 + 17 + 5);
    plat::input_mouse_button(0, false, mr.left + 30, mr.top + 2 + 17 + 5);
  });
  wintest::pump();
  wintest::pump();
  EXPECT_GT(checked_ink, 8);
  EXPECT_EQ(unchecked_ink, 0);
  EXPECT_EQ(commands_of(top), (std::vector<WPARAM>{202}));
  // A click outside every menu closes it without a command.
  wintest::seen.clear();
  plat::input_mouse_button(0, true, wr.left + 20, bar_y);
  later([&] { plat::input_mouse_button(0, true, wr.left + 300, wr.bottom - 20); });
  wintest::pump();
  wintest::pump();
  EXPECT_TRUE(commands_of(top).empty());
  EXPECT_EQ(menu_window(), nullptr);
}

TEST_F(MenuTracking, APopupMenuReturnsTheCommandOrZeroAndAvoidsTheExcludedRectangle) {
  Bar b;
  HWND top = wintest::make_top();
  later([] { keys({VK_DOWN, VK_DOWN, VK_RETURN}); });
  EXPECT_EQ(TrackPopupMenuEx(b.edit, TPM_RETURNCMD, 50, 60, top, nullptr), 202);
  later([] { keys({VK_ESCAPE}); });
  EXPECT_EQ(TrackPopupMenuEx(b.edit, TPM_RETURNCMD, 50, 60, top, nullptr), 0);
  // Without TPM_RETURNCMD the command goes to the owner.
  wintest::seen.clear();
  later([] { keys({VK_DOWN, VK_RETURN}); });
  EXPECT_EQ(TrackPopupMenuEx(b.edit, 0, 50, 60, top, nullptr), TRUE);
  wintest::pump();
  EXPECT_EQ(commands_of(top), (std::vector<WPARAM>{201}));
  // A popup that would cover the excluded rectangle goes beside it.
  TPMPARAMS p;
  p.rcExclude = {40, 50, 200, 90};
  RECT at{};
  later([&] {
    GetWindowRect(menu_window(), &at);
    keys({VK_ESCAPE});
  });
  TrackPopupMenuEx(b.edit, TPM_RETURNCMD, 50, 60, top, &p);
  EXPECT_EQ(at.left, 200);
  EXPECT_EQ(at.top, 60);
  later([&] {
    GetWindowRect(menu_window(), &at);
    keys({VK_ESCAPE});
  });
  TrackPopupMenuEx(b.edit, TPM_RETURNCMD | TPM_VERTICAL, 50, 60, top, &p);
  EXPECT_EQ(at.left, 50);
  EXPECT_EQ(at.top, 90);
}

TEST_F(Accelerators, ExactModifiersMakeCommandsWithHighWordOne) {
  Bar b;
  HWND top = wintest::make_top();
  SetMenu(top, b.bar);
  const ACCEL table[] = {{FVIRTKEY | FCONTROL, 'S', 301},
                         {FVIRTKEY | FCONTROL | FSHIFT, 'S', 303},
                         {FVIRTKEY | FALT, VK_F4, 302},
                         {FVIRTKEY, VK_F5, 102},  // the grey Open
                         {0, 'q', 304}};
  HACCEL acc = CreateAcceleratorTableA(table, 5);
  ASSERT_NE(acc, nullptr);
  auto down = [&](UINT m, WPARAM vk, LPARAM lp = 0) {
    MSG msg{top, m, vk, lp, 0, {}};
    return TranslateAcceleratorA(top, acc, &msg);
  };
  wintest::seen.clear();
  plat::set_key_state(VK_CONTROL, true);
  EXPECT_EQ(down(WM_KEYDOWN, 'S'), 1);
  plat::set_key_state(VK_SHIFT, true);
  EXPECT_EQ(down(WM_KEYDOWN, 'S'), 1);
  plat::set_key_state(VK_CONTROL, false);
  EXPECT_EQ(down(WM_KEYDOWN, 'S'), 0);  // Shift+S alone is none
  plat::set_key_state(VK_SHIFT, false);
  EXPECT_EQ(down(WM_SYSKEYDOWN, VK_F4, 1 << 29), 1);
  EXPECT_EQ(down(WM_KEYDOWN, VK_F4), 0);
  EXPECT_EQ(down(WM_KEYDOWN, VK_F5), 1);  // taken, but a grey command is not sent
  EXPECT_EQ(down(WM_CHAR, 'q'), 1);
  EXPECT_EQ(down(WM_KEYDOWN, 'Q'), 0);  // a character entry is no key entry
  EXPECT_EQ(commands_of(top), (std::vector<WPARAM>{MAKEWPARAM(301, 1), MAKEWPARAM(303, 1),
                                                   MAKEWPARAM(302, 1), MAKEWPARAM(304, 1)}));
  ASSERT_TRUE(DestroyAcceleratorTable(acc));
  SetLastError(0);
  EXPECT_EQ(down(WM_KEYDOWN, 'S'), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCEL_HANDLE);
}
