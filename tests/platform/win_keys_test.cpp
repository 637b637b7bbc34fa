#include <gtest/gtest.h>

#include "tests/platform/win_window_recorder.h"

using namespace win;
using namespace wintest;

namespace {

std::vector<MSG> taken_of(const std::vector<MSG>& all, UINT lo, UINT hi) {
  std::vector<MSG> out;
  for (const MSG& m : all)
    if (m.message >= lo && m.message <= hi) out.push_back(m);
  return out;
}

}  // namespace

using WinKeys = WindowTest;

TEST_F(WinKeys, KeyMessagesCarryTheClassicLParamLayout) {
  HWND h = make_top();
  pump();
  plat::input_key('Q', 0x10, true);
  plat::input_key('Q', 0x10, true, false, 0, 3);  // held: repeats
  plat::input_key('Q', 0x10, false);
  plat::input_key(VK_LEFT, 0x4B, true, true);
  auto keys = taken_of(pump(), WM_KEYDOWN, WM_KEYUP);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].hwnd, h);
  EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('Q'));
  EXPECT_EQ(keys[0].lParam, 0x00100001);  // count 1, scan 0x10
  EXPECT_EQ(keys[1].lParam, 0x40100003);  // previous state down, count 3
  EXPECT_EQ(keys[2].message, WM_KEYUP);
  EXPECT_EQ(keys[2].lParam, 0xC0100001);  // transition and previous state
  EXPECT_EQ(keys[3].lParam, 0x014B0001);  // extended key

  // With Alt down the keys are system keys with the context bit.
  plat::input_key(VK_MENU, 0x38, true);
  plat::input_key('X', 0x2D, true);
  plat::input_key('X', 0x2D, false);
  plat::input_key(VK_MENU, 0x38, false);
  auto sys = taken_of(pump(), WM_KEYDOWN, WM_SYSKEYUP);
  ASSERT_EQ(sys.size(), 4u);
  EXPECT_EQ(sys[1].message, WM_SYSKEYDOWN);
  EXPECT_EQ(sys[1].lParam & (1 << 29), 1 << 29);
  EXPECT_EQ(sys[3].message, WM_SYSKEYUP);
}

// Keys queued faster than they are taken keep each its own character: ")"
// and "0" share their key.
TEST_F(WinKeys, QueuedKeysTypeTheCharactersTheyWereReadWith) {
  make_top();
  pump();
  for (const char c : std::string("0)0(9")) {
    const int vk = c == ')' ? '0' : c == '(' ? '9' : c;
    plat::inject_key_press(vk, static_cast<unsigned char>(c));
  }
  std::string typed;
  for (const MSG& m : taken_of(pump(), WM_CHAR, WM_CHAR)) typed += static_cast<char>(m.wParam);
  EXPECT_EQ(typed, "0)0(9");
}

TEST_F(WinKeys, KeyStateFollowsTheQueueAsyncStateFollowsInput) {
  make_top();
  pump();
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);  // everything up at first
  plat::input_key(VK_SHIFT, 0x2A, true);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);  // not taken from the queue yet
  pump();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_LSHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_RSHIFT) & 0x8000, 0);
  plat::input_key(VK_SHIFT, 0x2A, false);
  pump();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);

  // Caps Lock: the toggle bit, exactly 1 when on and up.
  plat::inject_key_press(VK_CAPITAL);
  pump();
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  plat::inject_key_press(VK_CAPITAL);
  pump();
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 0);

  // Bit 0 of the asynchronous state: pressed since the last question.
  GetAsyncKeyState(VK_TAB);
  EXPECT_EQ(GetAsyncKeyState(VK_TAB), 0);
  plat::inject_key_press(VK_TAB);
  EXPECT_EQ(GetAsyncKeyState(VK_TAB), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_TAB), 0);

  plat::set_key_state(VK_NUMLOCK, false, true);
  plat::set_key_state(VK_CONTROL, true);
  EXPECT_EQ(GetKeyState(VK_NUMLOCK), 1);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  plat::reset_windows();
  EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
}

TEST_F(WinKeys, MouseEventsReachTheWindowUnderThePoint) {
  HWND p = make_top();  // client origin (104, 74) on the screen
  HWND c = make_child(p, 1, 10, 10, 50, 50);
  pump();
  plat::input_mouse_move(104 + 20, 74 + 30);
  plat::input_mouse_move(104 + 21, 74 + 30);  // merged with the one before
  plat::input_mouse_button(0, true, 104 + 21, 74 + 30);
  plat::input_mouse_button(0, false, 104 + 21, 74 + 30);
  plat::input_mouse_button(1, true, 104 + 200, 74 + 100);
  auto mouse = taken_of(pump(), WM_MOUSEFIRST, WM_MOUSELAST);
  ASSERT_EQ(mouse.size(), 5u);
  EXPECT_EQ(mouse[0].message, WM_MOUSEMOVE);
  EXPECT_EQ(mouse[0].hwnd, c);
  EXPECT_EQ(GET_X_LPARAM(mouse[0].lParam), 11);
  EXPECT_EQ(GET_Y_LPARAM(mouse[0].lParam), 20);
  EXPECT_EQ(mouse[1].message, WM_LBUTTONDOWN);
  EXPECT_EQ(mouse[1].wParam, MK_LBUTTON);
  EXPECT_EQ(mouse[2].message, WM_LBUTTONUP);
  EXPECT_EQ(mouse[2].wParam, 0u);
  EXPECT_EQ(mouse[3].message, WM_MOUSEMOVE);  // a press elsewhere moves there first
  EXPECT_EQ(mouse[4].message, WM_RBUTTONDOWN);
  EXPECT_EQ(mouse[4].hwnd, p);
  EXPECT_EQ(GET_X_LPARAM(mouse[4].lParam), 200);
  EXPECT_LT(GetKeyState(VK_RBUTTON), 0);
  plat::input_mouse_button(1, false, 104 + 200, 74 + 100);
  pump();

  // The capture window gets everything, in its own client coordinates.
  SetCapture(c);
  plat::input_mouse_move(104 + 300, 74 + 5);
  plat::input_mouse_wheel(-WHEEL_DELTA, 104 + 300, 74 + 5);
  mouse = taken_of(pump(), WM_MOUSEFIRST, WM_MOUSELAST);
  ASSERT_EQ(mouse.size(), 2u);
  EXPECT_EQ(mouse[0].hwnd, c);
  EXPECT_EQ(GET_X_LPARAM(mouse[0].lParam), 290);
  EXPECT_EQ(GET_Y_LPARAM(mouse[0].lParam), -5);
  EXPECT_EQ(mouse[1].message, WM_MOUSEWHEEL);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(mouse[1].wParam), -WHEEL_DELTA);
  EXPECT_EQ(GET_X_LPARAM(mouse[1].lParam), 404);  // screen coordinates
  ReleaseCapture();

  // A disabled window gets no mouse input.
  EnableWindow(p, FALSE);
  plat::inject_click(p, 200, 100);
  EXPECT_TRUE(taken_of(pump(), WM_MOUSEFIRST, WM_MOUSELAST).empty());
}

TEST_F(WinKeys, DoubleClicksOnlyForClassesThatAskAndClicksActivate) {
  register_recorder(0, nullptr, "NoDouble");
  HWND a = make_top();
  HWND b = CreateWindowExA(0, "NoDouble", "B", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 50, 300, 200,
                           nullptr, nullptr, nullptr, nullptr);
  pump();
  EXPECT_EQ(GetActiveWindow(), b);
  plat::inject_click(a, 10, 10);
  EXPECT_EQ(GetActiveWindow(), a);  // a click activates
  WPARAM how = 0;
  for (const Seen& s : seen)
    if (s.wnd == a && s.msg == WM_ACTIVATE) how = s.wp;
  EXPECT_EQ(LOWORD(how), WA_CLICKACTIVE);
  plat::inject_click(a, 11, 11);
  plat::inject_click(b, 10, 10);
  plat::inject_click(b, 10, 10);
  std::vector<UINT> downs;
  for (const MSG& m : pump())
    if (m.message != WM_MOUSEMOVE && m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST)
      downs.push_back(m.message);
  EXPECT_EQ(downs, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                      WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
}
