#include "platform/win_queue_idle.h"

#include <gtest/gtest.h>

#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "tests/platform/win_window_recorder.h"

using namespace win;
using namespace wintest;

namespace {

// A peek that takes nothing: whatever is pending stays pending.
bool peek_finds_something() {
  MSG m{};
  return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

// Empties the queue the way the run loop does.
void drain() {
  MSG m{};
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

class QueueIdle : public WindowTest {};

}  // namespace

TEST_F(QueueIdle, IdleOnlyAfterAPeekFoundTheQueueEmpty) {
  drain();
  EXPECT_TRUE(queue_idle());
  EXPECT_FALSE(peek_finds_something());
  // Anything entering the queue ends the idle state until a peek finds
  // the queue empty again.
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  EXPECT_FALSE(queue_idle());
  EXPECT_TRUE(peek_finds_something());
  EXPECT_FALSE(queue_idle());
  drain();
  EXPECT_TRUE(queue_idle());

  PostQuitMessage(3);
  EXPECT_FALSE(queue_idle());
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_FALSE(peek_finds_something());
  EXPECT_TRUE(queue_idle());

  // Keys from the display or a test, and the character a translated key
  // makes.
  SetFocus(make_top());
  drain();
  EXPECT_TRUE(queue_idle());
  plat::inject_key_press(VK_ESCAPE);
  EXPECT_FALSE(queue_idle());
  drain();
  EXPECT_TRUE(queue_idle());
  PostMessageA(nullptr, WM_KEYDOWN, 'A', 0);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  TranslateMessage(&m);
  EXPECT_FALSE(queue_idle());
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_CHAR));
  EXPECT_FALSE(peek_finds_something());
  EXPECT_TRUE(queue_idle());
}

TEST_F(QueueIdle, TimersAndPaintRequestsKeepTheQueueAwake) {
  HWND h = make_top();
  drain();
  EXPECT_TRUE(queue_idle());
  // A timer not yet due: nothing to take, but a tick will come, so the
  // queue is looked at while the timer lives.
  const UINT_PTR id = SetTimer(h, 7, 60000, nullptr);
  EXPECT_FALSE(queue_idle());
  EXPECT_FALSE(peek_finds_something());
  EXPECT_FALSE(queue_idle());
  KillTimer(h, id);
  EXPECT_FALSE(peek_finds_something());
  EXPECT_TRUE(queue_idle());

  InvalidateRect(h, nullptr, TRUE);
  EXPECT_FALSE(queue_idle());
  EXPECT_TRUE(peek_finds_something());
  drain();
  EXPECT_TRUE(queue_idle());
}
