// EDIT options that change the text or copy out of it: inserts,
// deletions, replacements, case changes, copies, appends and Parse views.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/strings.h"
#include "text/edit_roads.h"
#include "text/edit_words.h"

namespace text {

namespace {

bool bothmarks(const EditState& e) { return e.mark1 > 0 && e.mark2 > 0; }

void clearmarks(EditState& e) { e.mark1 = e.mark2 = e.matchlen = 0; }

// What CoPyto and APpendTo copy: the marked text, else the last hit, else
// the word from the position on.
std::string copysource(const EditState& e) {
  std::int32_t a = e.pos, b = e.pos;
  if (bothmarks(e)) {
    a = std::min(e.mark1, e.mark2);
    b = std::max(e.mark1, e.mark2);
  } else if (e.matchlen >= 1) {
    b = e.pos + e.matchlen - 1;
  } else {
    const std::int32_t hi = std::min(e.end, e.last);
    std::int32_t q = std::max(e.pos, e.first);
    while (q <= hi && !insep(e, core::c1namen(q))) ++q;
    b = std::max(q - 1, e.pos);
  }
  return exec::c1text(std::max(a, e.first), std::min(b, e.last));
}

}  // namespace

void MAKEREPLACESPACE(EditState& e, std::int32_t delta, std::string_view fill) {
  e.result += 1;
  if (delta == 0 || e.pos < e.first || e.pos > e.last) return;
  auto& c = core::c1namen;
  if (delta > 0) {
    delta = std::min(delta, e.last - e.pos + 1);
    const std::int32_t hi = std::min(e.end, e.last - delta);
    if (hi >= e.pos)
      std::memmove(c.ptr(e.pos + delta), c.ptr(e.pos), static_cast<std::size_t>(hi - e.pos + 1));
    const auto n = static_cast<std::size_t>(delta);
    const std::size_t k = std::min(n, fill.size());
    char* const at = c.ptr(e.pos);
    (void)c.ptr(e.pos + delta - 1);  // (the room's end lies in the store)
    if (k > 0) std::memmove(at, fill.data(), k);
    if (k < n) std::memset(at + k, ' ', n - k);
    e.end = std::min(std::max(e.end, e.pos - 1) + delta, e.last);
    e.rend = std::min(e.rend + delta, e.last);
    return;
  }
  // No more than the characters from the position to text end.
  const std::int32_t k = std::min(-delta, e.end - e.pos + 1);
  if (k <= 0) return;
  if (e.pos + k <= e.end)
    std::memmove(c.ptr(e.pos), c.ptr(e.pos + k), static_cast<std::size_t>(e.end - e.pos - k + 1));
  std::memset(c.ptr(e.end - k + 1), ' ', static_cast<std::size_t>(k));
  e.end -= k;
  e.rend -= k;
}

Flow insert(EditState& e, std::int32_t v) {
  Span t;
  if (!optiontext(e, v, t)) return Flow::next;
  clearmarks(e);
  std::string s = textcopy(t, e.last - e.first + 1);
  if ((e.mask & om_blanks) == 0) s.resize(static_cast<std::size_t>(core::C1LEN_TRIM(s)));
  MAKEREPLACESPACE(e, static_cast<std::int32_t>(s.size()), s);
  if (e.last <= e.rend) {
    e.status = est::full;
    return Flow::passend;
  }
  return Flow::next;
}

Flow remove(EditState& e, std::int32_t v) {
  Span t;
  if (optiontext(e, v, t) && t.size() > 0) {
    const std::string_view p =
        core::c1view(core::c1namen.ptr(t.first), std::min(t.size(), maxpattern));
    const std::int32_t from = std::max(e.pos, e.first);
    std::int32_t status = 0;
    const std::int32_t k = core::C1SEARCH(storeview(), p, static_cast<std::int32_t>(p.size()), from,
                                          std::min(e.rend, e.last), 0, status);
    int len = 0;
    core::MATCHEDLENGTH(len);
    if (status != 0 || k < 1) {
      e.status = est::deletenohit;
      return Flow::passend;
    }
    e.pos = from + k - 1;
    MAKEREPLACESPACE(e, -len);
  } else if (v > 0) {
    MAKEREPLACESPACE(e, -std::max(intvalue(v), 0));
  } else {
    if (bothmarks(e)) {
      const std::int32_t a = std::min(std::min(e.mark1, e.mark2), e.end);
      const std::int32_t b = std::min(std::max(e.mark1, e.mark2), e.end);
      e.pos = a;
      MAKEREPLACESPACE(e, -(b - a + 1));
    } else {
      MAKEREPLACESPACE(e, -1);
    }
    clearmarks(e);
  }
  return Flow::next;
}

Flow replace(EditState& e, std::int32_t v) {
  Span t;
  if (!optiontext(e, v, t)) return Flow::next;
  return replaceby(e, t);
}

Flow replacecopy(EditState& e, const Span& t, std::int32_t old) {
  const std::string copy = textcopy(t, std::min(t.size(), e.last - e.first + 1));
  return putover(e, copy, t.size() - old, t.size());
}

void changecase(EditState& e, std::int32_t v, bool upper) {
  std::int32_t n = 1;
  if (v > 0) {
    n = std::max(intvalue(v), 0);
  } else if (bothmarks(e) && e.mark1 <= e.mark2) {
    e.pos = e.mark1;
    n = e.mark2 - e.mark1 + 1;
    e.mark1 = e.mark2 = 0;
  }
  const std::int32_t a = std::max(e.pos, e.first);
  const std::int32_t b = std::min({e.pos + n - 1, e.end, e.last});
  if (b >= a) {
    const std::span<char> s = core::c1slice(core::c1namen.ptr(a), b - a + 1);
    upper ? core::UPCASE(s) : core::LOCASE(s);
  }
  e.pos = clamppos(static_cast<std::int64_t>(e.pos) + n);
  e.result += 1;
}

void copyto(EditState& e, std::int32_t v) {
  Span dst;
  if (writabletext(v, dst))
    core::C1TOC1(copysource(e), core::c1slice(core::c1namen.ptr(dst.first), dst.size()));
  clearmarks(e);
}

Flow appendto(EditState& e, std::int32_t v) {
  Span dst;
  if (!writabletext(v, dst)) {
    e.status = est::noappend;
    return Flow::passend;
  }
  const std::string src = copysource(e);
  auto filled = [&] {
    return core::C1LEN_TRIM(core::c1view(core::c1namen.ptr(dst.first), dst.size()));
  };
  const std::int32_t used = filled();
  const std::int32_t at = used + (e.wordend == ' ' && used > 0 ? 1 : 0);
  if (at + static_cast<std::int32_t>(src.size()) > dst.size()) {
    e.status = est::nopair;  // no room: recorded only
  } else {
    std::copy(src.begin(), src.end(), core::c1namen.ptr(dst.first + at));
    if (const std::int32_t now = filled(); now < dst.size())
      core::c1namen(dst.first + now) = e.wordend;
  }
  clearmarks(e);
  return Flow::next;
}

Flow parse(EditState& e, std::int32_t v) {
  const bool symbol = v >= 1 && v <= core::nsym && core::name.valid(v) && core::z.valid(v);
  const int type = symbol ? static_cast<std::uint16_t>(core::name(v).type) : 0;
  if ((type & 0x850) != 0x840) {
    // Not a view yet: a variable whose cell holds two equal halves.
    if (!symbol || (type & 0x17) != 0 || (type & 0xC0) == 0 ||
        core::I4EQUZ(1, v) != core::I4EQUZ(2, v)) {
      namedfailure(core::MSGKEY("illegalVar"), v);
      return Flow::stop;
    }
  }
  const std::int32_t saved = e.pos;
  const std::int32_t hi = std::min(e.end, e.last);
  std::int32_t fs = 0, fe = 0, next = 0;
  if (e.mark1 == 0) {
    bool found = false;
    if (e.nseps == 2) {
      std::int32_t o = std::max(e.pos, e.first);
      while (o <= hi && core::c1namen(o) != e.seps[0]) ++o;
      std::int32_t c = o + 1;
      while (c <= hi && core::c1namen(c) != e.seps[1]) ++c;
      if (c <= hi) {
        fs = o + 1;
        fe = c - 1;
        next = c + 2;
        found = true;
      }
    }
    if (!found) {
      fs = std::max(e.pos, e.first);
      while (fs <= hi && insep(e, core::c1namen(fs))) ++fs;
      if (fs > hi) return failed(e, est::nofield, saved);
      std::int32_t q = fs;
      while (q <= hi && !insep(e, core::c1namen(q))) ++q;
      fe = q - 1;
      next = q <= hi ? q + 1 : q;
    }
  } else {
    fs = std::min(std::max({e.mark1, e.countstart, e.first}), e.last + 1);
    fe = std::min(e.mark2 > 0 ? e.mark2 : e.pos, e.last);
    next = fe + 1;
  }
  fe = std::max(fe, fs - 1);  // an empty field is a view of length 0
  core::TRANSFER2I4TOR8(fs, fe, core::z(v));
  core::name(v).type = static_cast<std::int16_t>((type & ~0x90) | 0x840);
  e.known = 0;  // (the view may be another option's value)
  if (core::name(v).scope == 0 && core::name.valid(e.textsym))
    core::name(v).scope = core::name(e.textsym).scope;
  e.mark1 = e.mark2 = 0;
  e.pos = next;
  return Flow::next;
}

}  // namespace text
