// The options a DO loop's passes run most, in line: the search of a Right
// or Left with a text, the range check after a move, and RePLaceby.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/chars.h"
#include "core/search_find.h"
#include "core/stores.h"
#include "text/edit_state.h"

namespace text {

// The range check after a move: one past range end is still inside.
inline Flow inrange(EditState& e, std::int32_t saved) {
  if (e.pos > e.rend + 1 || e.pos < e.rbeg) return failed(e, est::outside, saved);
  return Flow::next;
}

// The search of a Right or Left with a text, made ready as `ready`.
[[gnu::always_inline]] inline Flow searchby(EditState& e, bool right, const core::C1Ready& ready) {
  const std::int32_t saved = e.pos;
  const std::int32_t from = right ? std::max(e.pos, e.first) : std::max(e.rbeg, e.first);
  const std::int32_t to = right ? std::min(e.rend, e.last) : std::min(e.pos, e.last);
  std::int32_t len = 0;
  const std::int32_t hit = core::C1FIND(ready, storeview(), from, to, len);
  if (hit < from || hit > to) return failed(e, right ? est::rightnohit : est::leftnohit, saved);
  e.pos = hit;
  e.matchlen = len;
  return inrange(e, saved);
}

// k characters of s to at, short ones without a call: two copies that
// may overlap, each read whole before it is written.
[[gnu::always_inline]] inline void putchars(char* at, const char* s, std::size_t k) {
  auto two = [&](auto word) {
    decltype(word) head, tail;
    std::memcpy(&head, s, sizeof word);
    std::memcpy(&tail, s + k - sizeof word, sizeof word);
    std::memcpy(at, &head, sizeof word);
    std::memcpy(at + k - sizeof word, &tail, sizeof word);
  };
  if (k >= 4 && k <= 8) {
    two(std::uint32_t{});
  } else if (k >= 2 && k <= 3) {
    two(std::uint16_t{});
  } else if (k == 1) {
    at[0] = s[0];
  } else if (k > 8) {
    std::memmove(at, s, k);
  }
}

// s over the characters at the position, delta more than were there; the
// position moves on by step.
[[gnu::always_inline]] inline Flow putover(EditState& e, std::string_view s, std::int32_t delta,
                                           std::int32_t step) {
  if (delta != 0) {
    MAKEREPLACESPACE(e, delta, s);
  } else {
    e.result += 1;
  }
  const std::size_t k = std::min(s.size(), static_cast<std::size_t>(e.last - e.pos + 1));
  // (The position lies in the edited string, whose bounds were checked
  // when the statement read them.)
  putchars(core::c1namen.data() + (e.pos - core::c1namen.first()), s.data(), k);
  e.pos += step;
  return Flow::next;
}

// RePLaceby with text t, read where it stands when it lies outside the
// edited string.
[[gnu::always_inline]] inline Flow replaceby(EditState& e, const Span& t) {
  std::int32_t old = std::max(e.matchlen, 1);
  if (e.mark1 > 0 && e.mark2 > 0) {
    old = std::abs(e.mark2 - e.mark1) + 1;
    e.pos = std::min(e.mark1, e.mark2);
    e.mark1 = e.mark2 = 0;
  }
  e.matchlen = 0;
  if (e.pos < e.first || e.pos > e.last) return Flow::passend;
  // The room made for a text in the edited string moves it: copied first.
  const std::int32_t n = std::min(t.size(), e.last - e.first + 1);
  if (n > 0 && (t.last < e.first || t.first > e.last))
    return putover(e, core::c1view(core::c1namen.data() + (t.first - core::c1namen.first()), n),
                   t.size() - old, t.size());
  return replacecopy(e, t, old);
}

}  // namespace text
