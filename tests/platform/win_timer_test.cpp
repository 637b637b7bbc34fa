#include <gtest/gtest.h>

#include <chrono>

#include "tests/platform/win_window_recorder.h"

using namespace win;
using namespace wintest;

namespace {

std::vector<UINT_PTR> proc_ticks;
void tick_proc(HWND, UINT msg, UINT_PTR id, DWORD) {
  if (msg == WM_TIMER) proc_ticks.push_back(id);
}

// WM_TIMER messages taken now, as their ids.
std::vector<UINT_PTR> ticks() {
  std::vector<UINT_PTR> out;
  for (const MSG& m : pump())
    if (m.message == WM_TIMER) out.push_back(m.wParam);
  return out;
}

class WinTimer : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    plat::set_virtual_clock(plat::LocalDateTime{2024, 3, 1, 60, 12, 0, 0, 0});
    proc_ticks.clear();
  }
};

}  // namespace

TEST_F(WinTimer, TicksWhenDueOnTheVirtualClockWithoutMakingUpLateTicks) {
  HWND h = make_top();
  pump();
  EXPECT_EQ(SetTimer(h, 0x2001, 500, nullptr), 0x2001u);
  EXPECT_TRUE(ticks().empty());
  plat::advance_virtual_clock(499);
  EXPECT_TRUE(ticks().empty());
  plat::advance_virtual_clock(1);
  EXPECT_EQ(ticks(), (std::vector<UINT_PTR>{0x2001}));
  EXPECT_TRUE(ticks().empty());
  plat::advance_virtual_clock(1500);  // three periods late: one tick
  EXPECT_EQ(ticks(), (std::vector<UINT_PTR>{0x2001}));
  plat::advance_virtual_clock(499);
  EXPECT_TRUE(ticks().empty());
  plat::advance_virtual_clock(1);
  EXPECT_EQ(messages_of(h).back(), WM_TIMER);
  EXPECT_EQ(ticks(), (std::vector<UINT_PTR>{0x2001}));

  // Peeking without removal leaves the tick due.
  plat::advance_virtual_clock(500);
  MSG m;
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(WinTimer, SettingAgainRestartsKillingStopsDestroyingKills) {
  HWND h = make_top();
  pump();
  SetTimer(h, 7, 100, nullptr);
  plat::advance_virtual_clock(80);
  SetTimer(h, 7, 100, nullptr);  // restarted: due 100 ms from now
  plat::advance_virtual_clock(80);
  EXPECT_TRUE(ticks().empty());
  plat::advance_virtual_clock(20);
  EXPECT_EQ(ticks().size(), 1u);

  // A timer killed in its own tick (a one-shot) ticks once.
  react = [](HWND w, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
    if (msg == WM_TIMER) KillTimer(w, wp);
    return false;
  };
  plat::advance_virtual_clock(1000);
  EXPECT_EQ(ticks().size(), 1u);
  plat::advance_virtual_clock(1000);
  EXPECT_TRUE(ticks().empty());
  EXPECT_FALSE(KillTimer(h, 7));

  SetTimer(h, 8, 0, nullptr);  // raised to the minimum period
  plat::advance_virtual_clock(USER_TIMER_MINIMUM - 1);
  EXPECT_TRUE(ticks().empty());
  plat::advance_virtual_clock(1);
  EXPECT_EQ(ticks().size(), 1u);
  DestroyWindow(h);
  plat::advance_virtual_clock(100);
  EXPECT_TRUE(ticks().empty());
  EXPECT_EQ(SetTimer(h, 9, 100, nullptr), 0u);
}

TEST_F(WinTimer, TimerProceduresAndWaitingOnTheVirtualClock) {
  UINT_PTR id = SetTimer(nullptr, 0, 250, tick_proc);
  EXPECT_NE(id, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 250, tick_proc), id);  // each gets its own id
  KillTimer(nullptr, id + 1);
  std::int64_t before = plat::millis_since_start();
  MSG m;
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);  // waits by advancing the clock
  EXPECT_EQ(plat::millis_since_start() - before, 250);
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.hwnd, nullptr);
  DispatchMessageA(&m);
  EXPECT_EQ(proc_ticks, (std::vector<UINT_PTR>{id}));
}

TEST(WinTimerRealClock, GetMessageSleepsUntilTheTick) {
  plat::reset_windows();
  plat::clear_virtual_clock();
  UINT_PTR id = SetTimer(nullptr, 0, 30, tick_proc);
  auto start = std::chrono::steady_clock::now();
  MSG m;
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
  auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(m.wParam, id);
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(spent).count(), 25);
  plat::reset_windows();
}
