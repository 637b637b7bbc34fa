// EDIT options that move the position: moves and searches, scans for
// characters, ranges, words and items.
#include <algorithm>
#include <array>
#include <cstring>

#include "core/chars.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "text/edit_roads.h"

namespace text {

namespace {

// The pattern of a text value: at most maxpattern characters of the store.
std::string_view pattern(const Span& t) {
  return core::c1view(core::c1namen.ptr(t.first), std::min(t.size(), maxpattern));
}

}  // namespace

const core::C1Ready& makesearch(EditState& e, std::string_view p, std::int32_t mask) {
  // (A longer pattern, or more searches than are kept: made ready in the
  // last entry, which is not looked up.)
  const std::int32_t n = e.nsearches;
  const bool keep = p.size() <= 16 && n + 1 < static_cast<std::int32_t>(e.searches.size());
  EditState::Search& s = e.searches[static_cast<std::size_t>(keep ? n : e.searches.size() - 1)];
  s.ready = core::C1SEARCHREADY(p, static_cast<std::int32_t>(p.size()), mask);
  if (keep) {
    s.slot = e.slot;
    s.mask = mask;
    s.at = p.data();
    s.n = p.size();
    std::memcpy(s.chars.data(), p.data(), p.size());
    ++e.nsearches;
  }
  return *s.ready;
}

Flow moveby(EditState& e, int kw, std::int32_t v) {
  const bool right = kw == ekw::Right;
  const EditState::Value& value = optionvalue(e, v);
  const Span t = value.span();
  if (value.text && t.size() > 0)
    return searchby(e, right, readysearch(e, pattern(t), searchmask(e, right, value.literal)));
  const std::int32_t saved = e.pos;
  const std::int32_t n = v > 0 ? intvalue(v) : 1;
  e.pos = clamppos(static_cast<std::int64_t>(e.pos) + (right ? n : -n));
  e.matchlen =
      static_cast<std::int32_t>(std::min<std::size_t>(core::symbolname(v).size(), maxpattern));
  return inrange(e, saved);
}

Flow scan(EditState& e, int kw, std::int32_t v) {
  const bool want = kw == ekw::ScanFor || kw == ekw::ScanForLeft;
  const bool left = kw == ekw::ScanForLeft || kw == ekw::ScaNnotLeft;
  std::array<bool, 256> set{};
  Span t;
  if (optiontext(e, v, t))
    for (std::int32_t p = t.first; p <= t.last; ++p)
      set[static_cast<unsigned char>(core::c1namen(p))] = true;
  auto stops = [&](std::int32_t p) {
    return set[static_cast<unsigned char>(core::c1namen(p))] == want;
  };
  const std::int32_t saved = e.pos;
  std::int32_t p = e.pos;
  if (left) {
    const std::int32_t lo = std::max(e.rbeg, e.first);
    while (p >= lo && p <= e.last && !stops(p)) --p;
    if (p < lo) p = std::min(p, e.rbeg - 1);
  } else {
    const std::int32_t hi = std::min(e.rend, e.last);
    while (p <= hi && p >= e.first && !stops(p)) ++p;
    if (p > hi) p = std::max(p, e.rend + 1);
  }
  e.pos = p;
  e.matchlen = 1;
  if (e.pos < e.rbeg || e.pos > e.rend) return failed(e, est::outside, saved);
  return Flow::next;
}

Flow range(EditState& e, std::int32_t v) {
  ++e.rangenr;
  e.rseplen = 0;
  Span t;
  if (optiontext(e, v, t) && t.size() > 0) {
    e.rseplen = t.size();
    const std::string_view p = pattern(t);
    const std::int32_t to = std::min(e.end, e.last);
    std::int32_t k = 0, status = 0;
    const core::C1Ready& ready = readysearch(e, p, e.mask & ~om_counting);
    for (;;) {
      const std::int32_t from = std::max(e.pos, e.first);
      k = core::C1SEARCH(ready, storeview(), from, to, status);
      if (status != 0 || k != 1 || from != e.pos) break;
      // An empty range: step over its separator.
      ++e.rangenr;
      e.pos += e.rseplen;
    }
    e.rend = status == 0 && k >= 1 ? std::max(e.pos, e.first) + k - 1 : e.end;
  } else {
    e.rend = v > 0 ? clamppos(static_cast<std::int64_t>(e.pos) + intvalue(v)) : e.end;
  }
  e.rbeg = e.pos;
  if (e.rend > e.end || e.rend < e.first) {
    e.status = est::rangebeyond;
    return Flow::passend;
  }
  return Flow::next;
}

void word(EditState& e, std::int32_t v) {
  const std::int32_t n = intvalue(v);
  if (e.nseps == 2) {
    // The n-th pair of brackets.
    const int flag = (e.mask & om_case) != 0 ? 0 : 1;
    const int open = core::GETLOWERICHAR(e.seps[0], flag);
    const int close = core::GETLOWERICHAR(e.seps[1], flag);
    bool inside = false;
    std::int32_t pairs = 0, m1 = 0;
    for (std::int32_t p = std::max(e.pos, e.first); p <= std::min(e.rend, e.last); ++p) {
      const int c = core::GETLOWERICHAR(core::c1namen(p), flag);
      if (inside && c == close) {
        inside = false;
        if (++pairs == n) {
          e.mark1 = m1;
          e.mark2 = p - 1;
          e.matchlen = e.mark2 - e.mark1 + 1;
          e.pos = p + 1;
          e.status = 0;
          return;
        }
      } else if (c == open) {
        m1 = p + 1;
        inside = true;
      }
    }
    e.status = est::nopair;
    return;
  }
  const std::int32_t hi = std::min(e.end, e.last);
  std::int32_t ws = 0, we = 0;
  if (n >= 1) {
    std::int32_t p = std::max(e.pos, e.first);
    for (std::int32_t i = 1; i <= n; ++i) {
      ws = p;
      while (ws <= hi && insep(e, core::c1namen(ws))) ++ws;
      if (ws > hi) {
        e.status = est::outside;
        return;
      }
      we = ws;
      while (we < hi && !insep(e, core::c1namen(we + 1))) ++we;
      p = we + 1;
    }
    if (we == hi) e.status = est::lastword;
    e.pos = e.mark1 = ws;
  } else {
    // The word at the position (0), or |n| words before it.
    const std::int32_t lo = std::max(e.rbeg, e.first);
    std::int32_t q = std::max(e.pos, e.first);
    while (q <= hi && !insep(e, core::c1namen(q))) ++q;
    we = q - 1;
    std::int32_t m1 = std::min(e.pos, e.last);
    for (std::int32_t r = 0;; ++r) {
      const bool last = r >= -n;
      std::int32_t s = m1;
      while (s >= lo && !insep(e, core::c1namen(s))) --s;
      if (s < lo && !last) {
        e.status = est::outside;
        return;
      }
      ws = s < lo ? lo : s + 1;
      if (last) break;
      q = s - 1;
      while (q >= lo && insep(e, core::c1namen(q))) --q;
      if (q < lo) {
        e.status = est::outside;
        return;
      }
      m1 = we = q;
    }
    e.pos = e.mark1 = ws;
  }
  e.mark2 = we;
  e.matchlen = std::max(we - ws + 1, 0);
}

void wordend(EditState& e, std::int32_t v) {
  e.mark1 = e.pos;
  const std::int32_t hi = std::min(e.rend, e.last);
  std::int32_t q = std::max(e.pos + 1, e.first);
  while (q <= hi && !insep(e, core::c1namen(q))) ++q;
  e.pos = e.mark2 = q <= hi ? q - 1 : e.rend;
  Span t;
  if (textvalue(v, t) && t.size() > 0) e.wordend = core::c1namen(t.first);
}

Flow item(EditState& e, std::int32_t v) {
  const std::int32_t n = intvalue(v);
  const std::int32_t saved = e.pos;
  if (n < 1 || (n == 1 && insep(e, charat(e, e.pos)))) return failed(e, est::noitem, saved);
  std::int32_t items = 1;
  for (std::int32_t p = std::max(e.pos, e.first); items < n && p <= std::min(e.rend, e.last); ++p)
    if (insep(e, core::c1namen(p)) && ++items == n) e.pos = p + 1;
  if (items < n) return failed(e, est::noitem, saved);
  return Flow::next;
}

void NXTWORDINC1VEC(std::int32_t first, std::int32_t last, std::int32_t& wf, std::int32_t& wl,
                    std::string_view seps, std::int32_t count) {
  const std::string_view set = count == 0 ? std::string_view(" ") : seps.substr(0, count);
  auto sep = [&](std::int32_t p) { return set.find(core::c1namen(p)) != std::string_view::npos; };
  wf = wl = 0;
  std::int32_t p = std::max(first, 1);
  last = std::min<std::int32_t>(last, static_cast<std::int32_t>(core::c1namen.size()));
  while (p <= last && sep(p)) ++p;
  if (p > last) return;
  wf = p;
  while (p < last && !sep(p + 1)) ++p;
  wl = p;
}

}  // namespace text
