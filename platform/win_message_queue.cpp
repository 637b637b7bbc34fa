// The message queue of the one GUI thread: posted messages and input in
// arrival order, then WM_QUIT, WM_PAINT and WM_TIMER made when asked for;
// sending, getting, peeking, translating and dispatching.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>

#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "platform/win_queue_idle.h"
#include "platform/win_window_tree.h"

namespace win::detail {

bool backend_polls = false;
UINT queue_new_bits = 0;
unsigned queue_stirred = 1;

namespace {

struct Entry {
  MSG msg;
  UINT kind = QS_POSTMESSAGE;
};

std::deque<Entry> posted;
bool quit_pending = false;
int quit_code = 0;
DWORD last_time = 0;
std::chrono::steady_clock::time_point last_poll;

const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
const HWND kBroadcast = handle_from<HWND>(0xFFFF);

bool in_range(UINT m, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (m >= lo && m <= hi); }

bool window_matches(HWND msg_wnd, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == kThreadOnly) return msg_wnd == nullptr;
  return msg_wnd == filter || (msg_wnd != nullptr && IsChild(filter, msg_wnd));
}

// A back end with a display is asked for its events at most once per
// millisecond of the real clock.
void poll_backend() {
  if (!backend_polls) return;
  auto now = std::chrono::steady_clock::now();
  if (now - last_poll < std::chrono::milliseconds(1)) return;
  last_poll = now;
  plat::backend().poll();
}

bool retrieve(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  poll_backend();
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (!window_matches(it->msg.hwnd, filter) || !in_range(it->msg.message, lo, hi)) continue;
    *out = it->msg;
    if (remove) {
      posted.erase(it);
      key_message_taken(*out);
    }
    return true;
  }
  if (quit_pending) {
    *out =
        MSG{nullptr,     WM_QUIT, static_cast<WPARAM>(quit_code), 0, static_cast<DWORD>(now_ms()),
            cursor_pos()};
    if (remove) quit_pending = false;
    return true;
  }
  if (in_range(WM_PAINT, lo, hi) && paint_maybe_pending) {
    HWND pf = filter == kThreadOnly ? nullptr : filter;
    if (filter != kThreadOnly) {
      if (HWND h = next_paint_window(pf)) {
        *out = MSG{h, WM_PAINT, 0, 0, static_cast<DWORD>(now_ms()), cursor_pos()};
        return true;
      }
      // No window of the whole thread needs painting.
      if (pf == nullptr) paint_maybe_pending = false;
    }
  }
  if (in_range(WM_TIMER, lo, hi) && timers_exist() && take_due_timer(filter, out, remove))
    return true;
  return false;
}

bool nothing_pending() {
  return !backend_polls && posted.empty() && !quit_pending && !paint_maybe_pending &&
         !timers_exist();
}

}  // namespace

void post(const MSG& msg, UINT kind) {
  posted.push_back(Entry{msg, kind});
  queue_new_bits |= kind;
  queue_stirred = 1;
}

void post_mouse_move(const MSG& msg) {
  if (!posted.empty()) {
    Entry& last = posted.back();
    if (last.msg.message == WM_MOUSEMOVE && last.msg.hwnd == msg.hwnd &&
        last.msg.wParam == msg.wParam) {
      last.msg = msg;
      return;
    }
  }
  post(msg, QS_MOUSEMOVE);
}

void purge_queue(HWND wnd) {
  std::erase_if(posted, [wnd](const Entry& e) { return e.msg.hwnd == wnd; });
}

void reset_queue() {
  posted.clear();
  quit_pending = false;
  quit_code = 0;
  queue_new_bits = 0;
  last_time = 0;
  reset_paint();
}

}  // namespace win::detail

namespace win {

using namespace detail;

LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (wnd == kBroadcast) {
    for (HWND t : std::vector<HWND>(desktop().children)) send(t, msg, wp, lp);
    return 0;
  }
  return send(wnd, msg, wp, lp);
}

BOOL PostMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  MSG m{wnd, msg, wp, lp, static_cast<DWORD>(now_ms()), cursor_pos()};
  if (wnd == kBroadcast) {
    for (HWND t : desktop().children) {
      m.hwnd = t;
      post(m, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
    }
    return TRUE;
  }
  if (wnd != nullptr && (find(wnd) == nullptr || wnd == desktop_handle())) return FALSE;
  post(m, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
  return TRUE;
}

void PostQuitMessage(int exit_code) {
  quit_pending = true;
  quit_code = exit_code;
  queue_new_bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  queue_stirred = 1;
}

BOOL GetMessageA(MSG* msg, HWND wnd, UINT filter_min, UINT filter_max) {
  if (msg == nullptr) return -1;
  if (wnd != nullptr && wnd != kThreadOnly && find(wnd) == nullptr) return -1;
  for (;;) {
    if (retrieve(msg, wnd, filter_min, filter_max, true)) {
      queue_new_bits = 0;
      last_time = msg->time;
      return msg->message == WM_QUIT ? 0 : 1;
    }
    long long t = in_range(WM_TIMER, filter_min, filter_max) ? ms_to_next_timer(wnd) : -1;
    if (backend_polls) {
      if (!plat::backend().wait(t < 0 ? -1 : static_cast<int>(std::min(t, 1LL << 30)))) {
        if (t < 0) return -1;
        clock_wait(t);
      }
      continue;
    }
    if (t < 0) {
      std::fprintf(stderr, "ostrel: GetMessageA: no message can arrive (no display, no timer)\n");
      return -1;
    }
    clock_wait(t);
  }
}

BOOL PeekMessageA(MSG* msg, HWND wnd, UINT filter_min, UINT filter_max, UINT remove) {
  if (nothing_pending()) {
    queue_new_bits = 0;
    queue_stirred = 0;
    return FALSE;
  }
  if (msg == nullptr) return FALSE;
  if (!retrieve(msg, wnd, filter_min, filter_max, (remove & PM_REMOVE) != 0)) {
    queue_new_bits = 0;
    if (nothing_pending()) queue_stirred = 0;
    return FALSE;
  }
  queue_new_bits = 0;
  if (remove & PM_REMOVE) last_time = msg->time;
  return TRUE;
}

DWORD GetQueueStatus(UINT flags) {
  UINT now = 0;
  for (const Entry& e : posted) now |= e.kind;
  if (quit_pending) now |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  if (any_paint_pending()) now |= QS_PAINT;
  if (timers_exist() && ms_to_next_timer(nullptr) == 0) now |= QS_TIMER;
  DWORD result = ((now & flags) << 16) | (queue_new_bits & flags);
  queue_new_bits &= ~flags;
  return result;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
    const unsigned char ch = msg->typed != 0 ? static_cast<unsigned char>(std::max(msg->typed, 0))
                                             : key_char(static_cast<int>(msg->wParam));
    if (ch != 0) {
      MSG c = *msg;
      c.message = m == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
      c.wParam = ch;
      posted.push_front(Entry{c, QS_KEY});
      queue_new_bits |= QS_KEY;
      queue_stirred = 1;
    }
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    // Only the procedure of a live timer is called, never a stray value.
    if (!timer_has_proc(msg->hwnd, msg->wParam, proc)) return 0;
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(now_ms()));
    return 0;
  }
  if (msg->hwnd == nullptr) return 0;
  return send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

DWORD GetMessageTime() { return last_time; }

LRESULT CallWindowProcA(WNDPROC proc, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (proc == nullptr) return 0;
  return proc(wnd, msg, wp, lp);
}

}  // namespace win
