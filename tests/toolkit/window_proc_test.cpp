// The window procedure: keys, commands, closing, the end of the program,
// timers and scrolling, as the application sees them.
#include "toolkit/window_proc.h"
#include "platform/win_controls.h"
#include "platform/win_message_keys.h"
#include "toolkit/accelerators.h"
#include "toolkit/loops.h"
#include "toolkit/timers.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::calls;
using tktest::codes;
using tktest::ToolkitTest;

TEST_F(ToolkitTest, KeysReachTheApplicationAsEventCodesWithTheKeyInWParam) {
  const win::HWND main = tktest::make_main();
  tktest::control_answer = [](int) { return 1; };
  plat::inject_key_press('A', 'a');
  EXPECT_EQ(PROCESS_MESSAGES(), 1);
  const auto keys = tktest::calls_of("control");
  ASSERT_EQ(codes("control"), (std::vector<int>{0x4100, 0x4102, 0x4101}));
  EXPECT_EQ(keys[0].wparam, static_cast<win::WPARAM>('A'));
  EXPECT_EQ(keys[1].wparam, static_cast<win::WPARAM>('a'));
  EXPECT_EQ(keys[0].window, main);
}

TEST_F(ToolkitTest, F1LeftToTheDefaultArrivesAsTheHelpCommand) {
  tktest::make_main();
  plat::inject_key_press(win::VK_F1);
  PROCESS_MESSAGES();
  EXPECT_EQ(codes("control"), (std::vector<int>{0x4100, 0x4002, 0x4101}));
}

TEST_F(ToolkitTest, TheQuitCommandClosesTheMainWindowThroughItsCloseCallback) {
  menu_item_t quit[1];
  const win::UINT_PTR id = kQuitCommand;
  SET_MENU_ITEM(quit[0], "&Quit", 5, nullptr, 0, "Alt+F4", 6, nullptr, 0, &id, nullptr);
  const win::HWND main = tktest::make_main(quit, 1);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
  plat::inject_key_press(win::VK_F4);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
  EXPECT_EQ(MESSAGE_LOOP(), 0);
  EXPECT_EQ(codes("control"), (std::vector<int>{0x4001}));
  EXPECT_EQ(codes("close"), (std::vector<int>{0}));
  EXPECT_FALSE(win::IsWindow(main));
  EXPECT_EQ(MAIN_WINDOW(), nullptr);
}

TEST_F(ToolkitTest, ARefusedCloseKeepsTheWindowAndItsRecord) {
  const win::HWND main = tktest::make_main();
  tktest::close_answer = 0;
  win::SendMessageA(main, win::WM_CLOSE, 0, 0);
  EXPECT_TRUE(win::IsWindow(main));
  EXPECT_NE(FIND_WINDOW_RECORD(main), nullptr);
  EXPECT_EQ(codes("close").size(), 1u);
}

TEST_F(ToolkitTest, ClosingTheMainWindowClosesTheOthersFirstAndEndsTheLoopWith0) {
  const win::HWND main = tktest::make_main();
  const win::HWND first = tktest::make_secondary();
  const win::HWND second = tktest::make_secondary();
  const win::HBRUSH brush = win::CreateSolidBrush(0x123456);
  ADD_GDI_OBJECT(brush, main)->kind = win::OBJ_BRUSH;
  win::PostMessageA(main, win::WM_CLOSE, 0, 0);
  EXPECT_EQ(MESSAGE_LOOP(), 0);
  std::vector<win::HWND> closed;
  for (const tktest::Call& c : calls)
    if (c.what == "close") closed.push_back(c.window);
  EXPECT_EQ(closed, (std::vector<win::HWND>{main, first, second}));
  EXPECT_FALSE(win::IsWindow(first) || win::IsWindow(second) || win::IsWindow(main));
  EXPECT_EQ(win::GetObjectType(brush), 0u);
  EXPECT_EQ(accelerator_table, nullptr);
}

TEST_F(ToolkitTest, ApplicationTimersFireOnceUnlessBothHighBitsAreSet) {
  plat::set_virtual_clock(plat::LocalDateTime{});
  tktest::make_main();
  for (int id : {0x2005, 0x6005, 0x4005}) SET_TIMER(0.5F, id, nullptr);
  for (int tick = 0; tick < 3; ++tick) {
    plat::advance_virtual_clock(500);
    PROCESS_MESSAGES();
  }
  const std::vector<int> got = codes("control");
  EXPECT_EQ(std::count(got.begin(), got.end(), 0x2005), 1);
  EXPECT_EQ(std::count(got.begin(), got.end(), 0x4005), 1);
  EXPECT_EQ(std::count(got.begin(), got.end(), 0x6005), 3);
  const tktest::Call tick = tktest::calls_of("control")[0];
  EXPECT_EQ(tick.wparam, static_cast<win::WPARAM>(tick.code));
  // Without a main window there is nothing to start a timer on.
  reset_toolkit();
  int ups = 0;
  SET_TIMER(1.0F, 0x2001, &ups);
  EXPECT_EQ(ups, 1400);
}

TEST_F(ToolkitTest, AThumbBeyond65535MovesTheViewOnlyWhenReleasedUnderTheCursor) {
  const win::HWND main = tktest::make_main();
  window_record_t* r = FIND_WINDOW_RECORD(main);
  r->scroll.lines = 100000;
  r->scroll.lines_per_page = 10;
  const auto send = [&](int code, int thumb) {
    win::SendMessageA(main, win::WM_VSCROLL,
                      win::MAKEWPARAM(static_cast<win::WORD>(code), static_cast<win::WORD>(thumb)),
                      0);
  };
  send(win::SB_THUMBTRACK, 4000);
  EXPECT_EQ(r->scroll.first_line, 0);
  // 25 pixels of arrow margin at each end of the 300-pixel client height.
  win::POINT at{10, 25 + 125};
  win::ClientToScreen(main, &at);
  plat::input_mouse_move(at.x, at.y);
  send(win::SB_THUMBPOSITION, 4000);
  EXPECT_EQ(r->scroll.first_line, 50000);
  send(win::SB_LINEDOWN, 0);
  EXPECT_EQ(r->scroll.first_line, 50001);
  send(win::SB_BOTTOM, 0);
  EXPECT_EQ(r->scroll.first_line, 99999);
  // Too small a client area for the margins: the view stays.
  SET_CLIENT_SIZE(main, 400, 40);
  UPDATE_CLIENT_RECT(*r);
  send(win::SB_THUMBPOSITION, 0);
  EXPECT_EQ(r->scroll.first_line, 99999);
}

int scroll_calls = 0;
int last_scroll_code = 0;
int scroll_to_eight(win::HWND&, int& code, int& position, int& thumb) {
  ++scroll_calls;
  last_scroll_code = code;
  return position == 1 && thumb == 6 ? 8 : -1;
}

TEST_F(ToolkitTest, AScrollCallbackChoosesThePositionOneBased) {
  const win::HWND main = tktest::make_main();
  window_record_t* r = FIND_WINDOW_RECORD(main);
  r->scroll.longest_line = 50;
  r->scroll_proc = scroll_to_eight;
  win::SendMessageA(main, win::WM_HSCROLL, win::MAKEWPARAM(win::SB_THUMBTRACK, 5), 0);
  EXPECT_EQ(last_scroll_code, 0x105);
  EXPECT_EQ(r->scroll.first_column, 7);
  win::SendMessageA(main, win::WM_HSCROLL, win::MAKEWPARAM(win::SB_ENDSCROLL, 0), 0);
  EXPECT_EQ(scroll_calls, 1);
  EXPECT_EQ(r->scroll.first_column, 7);
}

}  // namespace
