// The output of EDIT's word lists: the words of a text looked up in a
// lexicon (EVALUATE_LEXICON), and sorted or distinct word lists with their
// counts (MAKELEXFROMIDXVEC).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/optdispatch.h"
#include "exec/strings.h"
#include "text/edit_words.h"

namespace text {

using exec::optkw;
using exec::optval;

namespace {

constexpr std::string_view metachars = "$.?*+^[]|\\";

void blank(const Span& s) {
  std::fill(core::c1namen.ptr(s.first), core::c1namen.ptr(s.last) + 1, ' ');
}

// An output text written from its first character on, cut at its end.
struct Output {
  Span s;
  std::int32_t at = 0;
  bool room(std::size_t n) const { return at + static_cast<std::int64_t>(n) - 1 <= s.last; }
  void put(std::string_view t) {
    for (const char c : t) {
      if (at > s.last) return;
      core::c1namen(at++) = c;
    }
  }
};

}  // namespace

bool EVALUATE_LEXICON(EditState& e, std::string_view lexicon, std::int32_t mask) {
  if (!assignedkind(e.assignkind)) return false;
  const auto kind = static_cast<std::uint16_t>(e.assignkind);
  const std::int32_t t = core::xeqtarget;
  const std::int32_t upto = std::min(e.end, e.last);
  const std::string work = e.pos >= e.first && e.pos <= upto ? exec::c1text(e.pos, upto) : "";
  Output out;
  std::int32_t adr = 0, cells = 0, element = 0, sym = 0, filled = 0;
  std::uint64_t bits = 0;
  if (kind == 0x8400 && writabletext(t, out.s)) {
    blank(out.s);
    out.at = out.s.first;
    e.resultspan = out.s;
  } else if (kind == 0x8440 && arraytarget(t, adr, cells, element, sym)) {
    e.arraycells = cells + 1;
    // The whole array is filled at its first element; the statement's
    // value at each element is what stands there.
    if (element > 1) {
      e.result = core::z(adr + element - 1);
      return true;
    }
    std::fill(core::z.ptr(adr), core::z.ptr(adr) + cells, 0.0);
  }
  std::string seps(e.seps.data(), static_cast<std::size_t>(std::max(e.nseps, 0)));
  if ((mask & om_regex) != 0)
    for (char& c : seps)
      if (metachars.find(c) != std::string_view::npos) c = ' ';
  auto lexsep = [&](char c) { return c == ' ' || c == '\n' || seps.find(c) != std::string::npos; };
  const bool marking = e.marks1 > 0;
  const std::string marker = marking ? exec::c1text(e.marks1, e.marks2) : "";
  const auto lexlen = static_cast<std::int32_t>(lexicon.size());
  const std::int32_t smask = mask & ~(core::so_count | core::so_back);
  std::size_t p = 0, b = 0, end = 0, prevend = 0;
  for (std::int32_t k = 1; nextword(work, p, b, end, seps, e.nseps); ++k) {
    const std::string_view pattern =
        std::string_view(work).substr(b, std::min<std::size_t>(end - b, 256));
    const bool all = pattern.find_first_of(metachars) != std::string_view::npos;
    for (std::int32_t from = 1; from <= lexlen;) {
      std::int32_t status = 0;
      const std::int32_t hit = core::C1SEARCH(
          lexicon, pattern, static_cast<std::int32_t>(pattern.size()), from, lexlen, smask, status);
      if (status != 0 || hit < 1) break;
      const std::int32_t at = from + hit - 1;
      std::int32_t len = 0;
      core::MATCHEDLENGTH(len);
      if (kind == 0x8440) {
        if (filled < cells) core::z(adr + filled++) = static_cast<double>(b + 1);
      } else if (kind == 0x8420) {
        if (k <= 53) bits |= std::uint64_t{1} << (k - 1);
      } else if (marking) {
        if (prevend <= b) out.put(std::string_view(work).substr(prevend, b - prevend));
        prevend = end;
        out.put(marker.substr(0, 1));
        out.put(lexicon.substr(static_cast<std::size_t>(at - 1), static_cast<std::size_t>(len)));
        if (marker.size() > 1) out.put(marker.substr(marker.size() - 1));
      } else {
        std::int32_t l = at, r = at + std::max(len, 1) - 1;
        while (l > 1 && !lexsep(lexicon[static_cast<std::size_t>(l - 2)])) --l;
        while (r < lexlen && !lexsep(lexicon[static_cast<std::size_t>(r)])) ++r;
        const std::string_view entry =
            lexicon.substr(static_cast<std::size_t>(l - 1), static_cast<std::size_t>(r - l + 1));
        if (out.s.size() > 0 && out.room(entry.size() + 1)) {
          out.put(entry);
          out.put(",");
        } else {
          e.pos = e.pos + static_cast<std::int32_t>(end) - 1;  // the last word not listed
        }
      }
      if (!all) break;
      from = at + std::max(len, 1);
    }
  }
  if (marking) out.put(std::string_view(work).substr(std::min(prevend, work.size())));
  if (kind == 0x8420) e.result = static_cast<double>(bits);
  if (kind == 0x8440 && cells > 0) e.result = core::z(adr);
  return true;
}

void MAKELEXFROMIDXVEC(EditState& e, const WordList& w, std::int32_t own, bool distinct,
                       std::int32_t countslot, std::int32_t fromvar) {
  const std::int32_t n = w.n();
  if (n == 0) return;
  // The text targets, each with the slot that it comes from (0: none).
  struct Target {
    Output out;
    std::int32_t slot = 0;
  };
  std::vector<Target> targets;
  auto take = [&](std::int32_t v, std::int32_t slot) {
    Span s;
    if (!writabletext(v, s)) return false;
    for (const Target& t : targets)
      if (t.out.s.first == s.first) return true;
    targets.push_back({{s, s.first}, slot});
    return true;
  };
  // The receiving variable's text becomes the statement's result.
  if (e.assignkind == static_cast<std::int16_t>(0x8400) && take(core::xeqtarget, 0))
    e.resultspan = targets.front().out.s;
  take(own, 0);
  std::int32_t copyslot = 0, appendslot = 0;
  for (std::int32_t s = exec::noptions - 1; s >= 1; --s) {
    if (optkw(s) == ekw::CoPyto && copyslot == 0) copyslot = s;
    if (optkw(s) == ekw::APpendTo && appendslot == 0) appendslot = s;
  }
  if (copyslot > 0) take(optval(copyslot), copyslot);
  if (appendslot > 0) take(optval(appendslot), appendslot);
  if (targets.empty()) {
    if (e.constant || e.rbeg < e.first || e.rbeg > e.last) return;
    targets.push_back({{{e.rbeg, e.last}, e.rbeg}, 0});
  }
  for (const Target& t : targets) blank(t.out.s);
  for (const Target& t : targets)
    if (t.slot > 0) optkw(t.slot) = 0;  // that option has had its output

  std::int32_t cadr = 0, ncells = 0;
  const bool counting = countslot > 0 && arraycells(optval(countslot), cadr, ncells);
  if (counting) {
    std::fill(core::z.ptr(cadr), core::z.ptr(cadr) + ncells, 0.0);
    optkw(countslot) = 0;
  }
  std::int32_t fadr = 0, nfrom = 0;
  const bool fromarray = fromvar > 0 && arraycells(fromvar, fadr, nfrom);

  // The separator after each word.
  std::string sep(1, ',');
  const std::string_view seps(e.seps.data(), e.seps.size());
  if (seps != defaultseps) {
    sep.assign(1, e.seps[0]);
    if (e.seps[0] == '\r' && e.seps[1] == '\n') sep += '\n';
  }
  std::int64_t counter = 0;
  std::int32_t cell = 0;
  double cellvalue = 0.0;
  std::string_view previous;
  const std::int32_t entries = fromarray ? nfrom : n;
  for (std::int32_t i = 1; i <= entries; ++i) {
    std::int32_t x = 0;
    if (fromarray) {
      const double d = core::z(fadr + i - 1);
      if (!std::isfinite(d) || std::nearbyint(d) < 1 || std::nearbyint(d) > n) continue;
      x = static_cast<std::int32_t>(std::nearbyint(d));
    } else {
      x = w.order(i);
    }
    ++counter;
    if (distinct && x > 0) continue;
    const std::string_view word = w.word(std::abs(x));
    // The targets are written in step; the list ends where one is full.
    for (const std::string_view part : {word, std::string_view(sep)}) {
      for (const char c : part) {
        for (const Target& t : targets)
          if (!t.out.room(1)) return;
        for (Target& t : targets) t.out.put(std::string_view(&c, 1));
      }
    }
    if (counting) {
      if (cell == 0 || core::C1_LT_EQ_GT(word, previous) != 0) {
        counter -= static_cast<std::int64_t>(cellvalue);
        ++cell;
      }
      cellvalue = static_cast<double>(counter);
      if (cell <= ncells) core::z(cadr + cell - 1) = cellvalue;
    }
    previous = word;
  }
}

}  // namespace text
