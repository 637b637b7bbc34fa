// Timers: SetTimer and KillTimer, and the WM_TIMER messages the queue makes
// when a timer is due. Time is the program clock in milliseconds, which is
// the virtual clock while tests have it on.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/clocks.h"
#include "platform/win_queue_idle.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

struct Timer {
  HWND wnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  std::int64_t due = 0;
};

std::vector<Timer> timers;
UINT_PTR next_thread_timer_id = 1;

const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

bool matches(const Timer& t, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == kThreadOnly) return t.wnd == nullptr;
  return t.wnd == filter || (t.wnd != nullptr && IsChild(filter, t.wnd));
}

Timer* find_timer(HWND wnd, UINT_PTR id) {
  for (Timer& t : timers)
    if (t.wnd == wnd && t.id == id) return &t;
  return nullptr;
}

}  // namespace

std::int64_t now_ms() { return plat::millis_since_start(); }

bool timers_exist() { return !timers.empty(); }

bool take_due_timer(HWND filter, MSG* msg, bool remove) {
  std::int64_t now = now_ms();
  Timer* best = nullptr;
  for (Timer& t : timers)
    if (t.due <= now && matches(t, filter) && (best == nullptr || t.due < best->due)) best = &t;
  if (best == nullptr) return false;
  *msg = MSG{best->wnd,
             WM_TIMER,
             best->id,
             reinterpret_cast<LPARAM>(best->proc),
             static_cast<DWORD>(now),
             cursor_pos()};
  if (remove) best->due = now + best->elapse;
  return true;
}

long long ms_to_next_timer(HWND filter) {
  std::int64_t now = now_ms();
  long long best = -1;
  for (const Timer& t : timers) {
    if (!matches(t, filter)) continue;
    long long d = std::max<long long>(0, t.due - now);
    if (best < 0 || d < best) best = d;
  }
  return best;
}

void clock_wait(long long ms) {
  if (ms <= 0) return;
  if (plat::virtual_clock_on())
    plat::advance_virtual_clock(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void kill_window_timers(HWND wnd) {
  std::erase_if(timers, [wnd](const Timer& t) { return t.wnd == wnd; });
}

bool timer_has_proc(HWND wnd, UINT_PTR id, TIMERPROC proc) {
  Timer* t = find_timer(wnd, id);
  return t != nullptr && t->proc == proc;
}

void reset_timers() {
  timers.clear();
  next_thread_timer_id = 1;
}

}  // namespace win::detail

namespace win {

using namespace detail;

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc) {
  if (wnd != nullptr && (find(wnd) == nullptr || wnd == desktop_handle())) return 0;
  UINT elapse = std::clamp<UINT>(elapse_ms, USER_TIMER_MINIMUM, 0x7FFFFFFF);
  std::int64_t due = now_ms() + elapse;
  Timer* t = wnd != nullptr || id != 0 ? find_timer(wnd, id) : nullptr;
  if (t != nullptr) {
    t->elapse = elapse;
    t->proc = proc;
    t->due = due;
    return wnd != nullptr ? (id != 0 ? id : 1) : id;
  }
  if (wnd == nullptr) {
    // A new id for a timer without a window.
    while (find_timer(nullptr, next_thread_timer_id) != nullptr || next_thread_timer_id == 0)
      ++next_thread_timer_id;
    id = next_thread_timer_id++;
  }
  timers.push_back(Timer{wnd, id, elapse, proc, due});
  queue_stirred = 1;
  return wnd != nullptr ? (id != 0 ? id : 1) : id;
}

BOOL KillTimer(HWND wnd, UINT_PTR id) {
  auto n = std::erase_if(timers, [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
  return n > 0 ? TRUE : FALSE;
}

}  // namespace win
