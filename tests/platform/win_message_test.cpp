#include <gtest/gtest.h>

#include "platform/win_gdi.h"
#include "tests/platform/win_window_recorder.h"

using namespace win;
using namespace wintest;

namespace {

int stray_calls = 0;
void stray_timer_proc(HWND, UINT, UINT_PTR, DWORD) { ++stray_calls; }

}  // namespace

using WinMessage = WindowTest;

TEST_F(WinMessage, PostedMessagesComeInOrderAndFiltersSelect) {
  HWND a = make_top();
  HWND b = make_top();
  pump();  // creation paints
  seen.clear();
  EXPECT_TRUE(PostMessageA(a, WM_USER + 1, 1, 2));
  EXPECT_TRUE(PostMessageA(b, WM_USER + 2, 0, 0));
  EXPECT_TRUE(PostMessageA(nullptr, WM_USER + 3, 0, 0));  // thread message
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x7777), WM_USER, 0, 0));

  MSG m;
  EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1u);
  EXPECT_TRUE(PeekMessageA(&m, b, 0, 0, PM_REMOVE));  // window filter
  EXPECT_EQ(m.message, WM_USER + 2u);
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));  // range filter
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
  EXPECT_EQ(m.message, WM_USER + 1u);
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_EQ(DispatchMessageA(&m), 0);
  EXPECT_EQ(messages_of(a), (std::vector<UINT>{WM_USER + 1}));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));

  // Nothing can arrive without a display and without a timer.
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), -1);
  EXPECT_EQ(GetMessageA(&m, reinterpret_cast<HWND>(0x7777), 0, 0), -1);
}

TEST_F(WinMessage, QuitComesAfterPostedMessagesAndEndsTheLoop) {
  HWND a = make_top();
  pump();
  PostQuitMessage(3);
  PostMessageA(a, WM_USER, 0, 0);
  MSG m;
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
  EXPECT_EQ(m.message, WM_USER);
  EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WinMessage, PaintComesWhenNothingElseIsQueuedParentsFirst) {
  HWND p = make_top();
  HWND c = make_child(p, 1, 10, 10, 50, 50);
  pump();
  seen.clear();
  InvalidateRect(p, nullptr, TRUE);
  PostMessageA(p, WM_USER, 0, 0);
  std::vector<MSG> taken = pump();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].message, WM_USER);
  EXPECT_EQ(taken[1].message, WM_PAINT);
  EXPECT_EQ(taken[1].hwnd, p);
  EXPECT_EQ(taken[2].message, WM_PAINT);
  EXPECT_EQ(taken[2].hwnd, c);  // the child lies under the invalid area
  EXPECT_EQ(messages_of(p), (std::vector<UINT>{WM_USER, WM_PAINT, WM_ERASEBKGND}));

  // Invalid areas add up; validating part of them leaves the rest.
  RECT r1{0, 0, 10, 10}, r2{100, 50, 120, 60};
  InvalidateRect(p, &r1, FALSE);
  InvalidateRect(p, &r2, FALSE);
  RECT u;
  EXPECT_TRUE(GetUpdateRect(p, &u, FALSE));
  EXPECT_EQ(u.left, 0);
  EXPECT_EQ(u.right, 120);
  EXPECT_EQ(u.bottom, 60);
  RECT left_part{0, 0, 50, 100};
  ValidateRect(p, &left_part);
  GetUpdateRect(p, &u, FALSE);
  EXPECT_EQ(u.left, 50);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(p, &ps);
  EXPECT_NE(dc, nullptr);
  EXPECT_EQ(ps.rcPaint.left, 50);
  EXPECT_EQ(ps.rcPaint.right, 120);
  EXPECT_FALSE(ps.fErase);
  EndPaint(p, &ps);
  EXPECT_FALSE(GetUpdateRect(p, &u, FALSE));

  // A hidden window is not painted until it shows.
  ShowWindow(c, SW_HIDE);
  pump();
  seen.clear();
  InvalidateRect(c, nullptr, TRUE);
  pump();
  EXPECT_TRUE(messages_of(c).empty());
  ShowWindow(c, SW_SHOW);
  pump();
  EXPECT_EQ(messages_of(c),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_PAINT, WM_ERASEBKGND}));  // no frame
}

TEST_F(WinMessage, UpdateWindowPaintsAtOnce) {
  HWND p = make_top();
  pump();
  InvalidateRect(p, nullptr, FALSE);
  seen.clear();
  UpdateWindow(p);
  EXPECT_EQ(messages_of(p), (std::vector<UINT>{WM_PAINT}));
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WinMessage, KeyDownsTranslateIntoCharacters) {
  HWND h = make_top();
  pump();
  auto chars = [&](auto inject) {
    seen.clear();
    inject();
    pump();
    std::string out;
    for (const Seen& s : seen)
      if (s.msg == WM_CHAR || s.msg == WM_SYSCHAR) out += static_cast<char>(s.wp);
    return out;
  };
  EXPECT_EQ(chars([] { plat::inject_key_press('A'); }), "a");
  EXPECT_EQ(chars([] {
              plat::input_key(VK_SHIFT, 0x2A, true);
              plat::inject_key_press('A');
              plat::inject_key_press('1');
              plat::inject_key_press(VK_OEM_2);
              plat::input_key(VK_SHIFT, 0x2A, false);
            }),
            "A!?");
  EXPECT_EQ(chars([] {
              plat::inject_key_press(VK_CAPITAL);
              plat::inject_key_press('B');
              plat::inject_key_press(VK_CAPITAL);
            }),
            "B");
  EXPECT_EQ(chars([] {
              plat::input_key(VK_CONTROL, 0x1D, true);
              plat::inject_key_press('C');
              plat::input_key(VK_CONTROL, 0x1D, false);
            }),
            "\x03");
  EXPECT_EQ(chars([] { plat::inject_key_press(VK_RETURN); }), "\r");
  EXPECT_EQ(chars([] { plat::inject_key_press(VK_LEFT); }), "");
  EXPECT_EQ(chars([] { plat::inject_key_press('E', 0xE9); }), "\xE9");  // typed by the layout
  // WM_CHAR follows its WM_KEYDOWN directly.
  seen.clear();
  plat::inject_key_press('X');
  pump();
  EXPECT_EQ(messages_of(h), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
}

TEST_F(WinMessage, AltF4ClosesThroughTheDefaults) {
  HWND h = make_top();
  pump();
  seen.clear();
  plat::input_key(VK_MENU, 0x38, true);
  plat::input_key(VK_F4, 0x3E, true);
  pump();
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(messages_of(h),
            (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_KILLFOCUS,
                               WM_ACTIVATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WinMessage, QueueStatusTellsWhatIsPendingAndWhatIsNew) {
  HWND h = make_top();
  pump();
  EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);
  PostMessageA(h, WM_USER, 0, 0);
  DWORD st = GetQueueStatus(QS_POSTMESSAGE | QS_PAINT);
  EXPECT_EQ(HIWORD(st), QS_POSTMESSAGE);
  EXPECT_EQ(LOWORD(st), QS_POSTMESSAGE);
  st = GetQueueStatus(QS_POSTMESSAGE);
  EXPECT_EQ(HIWORD(st), QS_POSTMESSAGE);
  EXPECT_EQ(LOWORD(st), 0);  // no longer new
  pump();
  InvalidateRect(h, nullptr, FALSE);
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_PAINT)), QS_PAINT);
  pump();
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_PAINT)), 0);
}

TEST_F(WinMessage, DispatchCallsOnlyTheProcedureOfALiveTimer) {
  HWND h = make_top();
  pump();
  stray_calls = 0;
  MSG m{h, WM_TIMER, 9, reinterpret_cast<LPARAM>(stray_timer_proc), 0, {}};
  DispatchMessageA(&m);
  EXPECT_EQ(stray_calls, 0);
  SetTimer(h, 9, 100, stray_timer_proc);
  DispatchMessageA(&m);
  EXPECT_EQ(stray_calls, 1);
}
