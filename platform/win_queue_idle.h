// A check of the message queue cheap enough to make between two statements
// of a running script: when it says idle, a peek would find nothing.
#pragma once

#include <cstdint>

namespace win::detail {

// Non-zero from the moment something may have entered the queue (a posted
// message or input, a quit request, a translated character, a timer) until
// a peek finds the queue empty with no timer left.
extern unsigned queue_stirred;
extern bool backend_polls;
extern bool paint_maybe_pending;
// QS_ bits of what was posted, came in or was asked to paint since the
// queue was last looked at.
extern std::uint32_t queue_new_bits;

}  // namespace win::detail

namespace win {

// True when PeekMessageA would return FALSE without looking further: no
// queued message, no quit request, no paint request, no timer and no back
// end with a display to poll.
inline bool queue_idle() {
  return detail::queue_stirred == 0 && !detail::backend_polls && !detail::paint_maybe_pending;
}

// True when a message was posted, input came in or a paint was asked for
// since the queue was last looked at. While it is false and the queue is
// not idle, only timers or a display to poll can bring something.
// With `kinds`, only what those QS_ bits cover counts.
inline bool queue_posted(std::uint32_t kinds = ~0U) {
  return (detail::queue_new_bits & kinds) != 0;
}

}  // namespace win
