// EDIT options that store and restore positions and count: GetPosition
// (a number, an array element per range or pass, or a position list in a
// string), SetPosition, $Marks and Count.
#include <algorithm>
#include <cmath>
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
#include "text/edit_state.h"

namespace text {

namespace {

// The cell a GetPosition or SetPosition value names: the value itself, or
// for a numeric array the element of this range (or pass). Returns 0, the
// status 6 (no such element) or -10 (a fifth array: "editPos").
std::int32_t ZPOSIDXINI(EditState& e, std::int32_t v, bool forset, std::int32_t& target) {
  target = v;
  if (core::NAMTYP(v, 0x10) == 0) return 0;
  auto slot = std::find(e.posarrays.begin(), e.posarrays.end(), v);
  if (slot == e.posarrays.end()) slot = std::find(e.posarrays.begin(), e.posarrays.end(), 0);
  if (slot == e.posarrays.end()) {
    core::msgkey.set(core::MSGKEY("editPos"));
    return est::badarray;
  }
  *slot = v;
  const std::int64_t size =
      static_cast<std::int64_t>(std::max(core::I4EQUZ(1, v), 0)) * std::max(core::I4EQUZ(2, v), 0);
  const std::int32_t adr = core::name(v).adr;
  auto cell = [&](std::int64_t i) { return static_cast<std::int64_t>(adr) + i - 1; };
  std::int64_t index = e.rangenr > 0 ? e.rangenr : e.passnr;
  if (forset && (e.mask & om_back) != 0) {
    // From the end, passing over elements that are not positive.
    for (;;) {
      index = size - e.passnr + 1;
      if (index < 1 || index > size || !core::z.valid(cell(index))) return est::arraybeyond;
      if (core::z(cell(index)) > 0.0) break;
      setpassnr(e, e.passnr + 1);
    }
  }
  if (index < 1 || index > size || !core::z.valid(cell(index))) return est::arraybeyond;
  target = static_cast<std::int32_t>(cell(index));
  return 0;
}

// Writes s into the list at writepos and moves writepos past it;
// "stringtooshort" (and nothing written) when the list ends before.
void putinlist(std::string_view s, std::int32_t& writepos, std::int32_t last, std::int32_t list) {
  const auto len = static_cast<std::int32_t>(s.size());
  if (last - writepos + 1 < len) {
    namedfailure(core::MSGKEY("stringtooshort"), list);
    return;
  }
  std::copy(s.begin(), s.end(), core::c1namen.ptr(writepos));
  writepos += len;
}

// One entry of a position list: text1, the integer n and text2, at most 16
// characters without trailing blanks.
void WRITEINTTOC1NAMEN(std::string_view text1, std::int32_t n, std::string_view text2,
                       std::int32_t& writepos, std::int32_t last, std::int32_t list) {
  std::string buf = (std::string(text1) + std::to_string(n) + std::string(text2)).substr(0, 16);
  buf.resize(static_cast<std::size_t>(core::C1LEN_TRIM(buf)));
  putinlist(buf, writepos, last, list);
}

// A position list in character variable v: this run's entry (the marker
// text, then every separator of the text with its position) replaces the
// entry of the same marker.
void positionlist(EditState& e, std::int32_t v, const Span& list) {
  auto& c = core::c1namen;
  const char term = c(list.first) == ' ' ? '\n' : c(list.first);
  const std::string marker = e.marks1 > 0 ? exec::c1text(e.marks1, e.marks2) : std::string(1, term);
  const std::string_view store = storeview();
  std::int32_t status = 0;
  const std::int32_t m = core::C1SEARCH(store, marker, static_cast<std::int32_t>(marker.size()),
                                        list.first, list.last, core::so_case, status);
  if (status == 0 && m >= 1) {
    const std::int32_t at = list.first + m - 1;
    std::int32_t t = at + static_cast<std::int32_t>(marker.size());
    while (t <= list.last && c(t) != term) ++t;
    if (t <= list.last) {
      std::int32_t b = t;
      while (b <= list.last && c(b) != ' ') ++b;
      const std::string rest = exec::c1text(t, b - 1);
      std::copy(rest.begin(), rest.end(), c.ptr(at));
      for (std::int32_t q = at + static_cast<std::int32_t>(rest.size()); q <= list.last; ++q)
        c(q) = ' ';
    }
  }
  const std::string_view seps(e.seps.data(), static_cast<std::size_t>(e.nseps));
  if (core::C1LEN_TRIM(seps) == 0) return;
  const std::string text = exec::c1text(e.first, std::min(e.end, e.last));
  c(list.first) = term;
  std::int32_t w = list.first + core::C1LEN_TRIM(core::c1view(c.ptr(list.first), list.size()));
  putinlist(std::string_view(marker).substr(1), w, list.last, v);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (!insep(e, ch) || defaultseps.find(ch) == std::string_view::npos) continue;
    WRITEINTTOC1NAMEN(std::string_view(&ch, 1), static_cast<std::int32_t>(i) + 1, "", w, list.last,
                      v);
    e.result += 1;
  }
  if (w <= list.last) c(w) = term;
}

// The numeric value of a cell, rounded.
std::int32_t cellvalue(std::int32_t cell) {
  if (!core::z.valid(cell) || std::isnan(core::z(cell))) return 0;
  return core::nearesti4(std::clamp(core::z(cell), -1e9, 1e9));
}

}  // namespace

Flow getposition(EditState& e, std::int32_t v) {
  if (v < 1) return Flow::next;
  std::int32_t target = 0;
  const std::int32_t st = ZPOSIDXINI(e, v, false, target);
  if (st == est::badarray) return Flow::stop;
  e.status = st;
  if (st != 0) return Flow::runend;
  Span list;
  if (target == v && textvalue(v, list)) {
    if (core::NAMTYP(v, 0x49) == 0x40 && list.size() > 0) positionlist(e, v, list);
  } else {
    core::SETZTOR8(target, static_cast<double>(e.pos) - e.first + 1);
  }
  return Flow::next;
}

Flow setposition(EditState& e, std::int32_t v) {
  if (v < 1) return Flow::next;
  Span s;
  if (textvalue(v, s)) {
    if (s.size() > 0 && core::c1namen(s.first) != ' ') e.tolerant = true;
    return Flow::next;
  }
  std::int32_t target = 0;
  const std::int32_t st = ZPOSIDXINI(e, v, true, target);
  if (st == est::badarray) return Flow::stop;
  e.status = st;
  if (st != 0) return Flow::runend;
  const std::int32_t n = cellvalue(target);
  if (n < 1) return e.tolerant ? Flow::next : Flow::passend;
  e.pos = n > e.last - e.first + 1 ? e.last : e.first + n - 1;
  return Flow::next;
}

void setmarks(EditState& e, std::int32_t v) {
  Span t;
  if (textvalue(v, t) && core::C1LEN_TRIM(core::c1view(core::c1namen.ptr(t.first), t.size())) > 0) {
    e.marks1 = t.first;
    e.marks2 = t.last;
  }
}

void count(EditState& e, std::int32_t v) {
  Span t;
  if (v < 1) {
    e.countstart = e.pos;
    if ((e.mask & om_words) != 0)
      e.result =
          core::COUNTWORDS(std::max(e.pos, e.first), std::min(e.end, e.last), e.mask,
                           std::string_view(e.seps.data(), static_cast<std::size_t>(e.nseps)));
  } else if (textvalue(v, t)) {
    e.countsym = v;
  } else if (core::NAMTYP(v, 0x10) == 0) {
    const std::int32_t len = e.last - e.first + 1;
    e.countstart = e.first + std::clamp(cellvalue(v), 1, len) - 1;
  }
}

void finishcount(EditState& e) {
  Span t;
  if (e.countsym == 0 || !textvalue(e.countsym, t) || t.size() < 1) return;
  const std::string p = textcopy(t, maxpattern);
  const std::int32_t to = std::min(e.rend, e.last);
  std::int32_t from = std::max(e.countstart, e.first), hits = 0;
  while (from <= to) {
    std::int32_t status = 0;
    const std::int32_t k = core::C1SEARCH(storeview(), p, static_cast<std::int32_t>(p.size()), from,
                                          to, e.mask & om_regex, status);
    const std::int32_t hit = from + k - 1;
    if (status != 0 || k < 1 || hit > e.pos) break;
    ++hits;
    from = hit + 1;
  }
  int len = 0;
  core::MATCHEDLENGTH(len);
  e.result = hits;
}

}  // namespace text
