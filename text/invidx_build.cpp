// Building and updating the index: the sorted words of one text are merged
// into the sorted lexicon in one pass, the run's identification gets its
// groups of positions (replacing the ones it had), and the whole index text
// is written anew. The new text is assembled aside and copied in only when
// it fits, so a failing run leaves the index as it was.
#include <algorithm>
#include <bit>
#include <new>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/stores.h"
#include "text/invidx.h"

namespace text {

namespace {

// The old index (decoded) and the new one (being assembled).
class Merge {
 public:
  Merge(const WordList& w, std::int32_t base, std::int32_t flags)
      : W(w),
        base(base),
        casekept((flags & 1) != 0),
        c(invidxrun.curid + 1),
        Bnew(invidxrun.rownew + 1) {}

  std::int32_t readold(std::int32_t first, std::int32_t last);
  std::int32_t merge();
  std::int32_t write(std::int32_t first, std::int32_t last);

 private:
  std::int32_t runend(std::int32_t j) const {
    while (j < W.n() && W.order(j) > 0) ++j;
    return j;
  }
  std::string_view runword(std::int32_t j) const { return W.word(std::abs(W.order(j))); }
  void newword(std::string_view w);
  void setbit(std::int32_t id) {
    const auto i = static_cast<std::size_t>(id - 1);
    rows[rows.size() - static_cast<std::size_t>(Bnew) + i / 32] |=
        static_cast<std::int32_t>(1u << (i % 32));
  }
  void insertpos(std::int32_t j, std::int32_t e, std::int32_t count);
  void insertword(std::int32_t j, std::int32_t e, bool ignorable);
  std::int32_t copyold(std::int32_t w);
  std::int32_t equal(std::int32_t w, std::int32_t j, std::int32_t e);
  // Calls f(id) for every identification whose bit is set in old row w.
  template <class F>
  std::int32_t eachold(std::int32_t w, F f);

  const WordList& W;
  const std::int32_t base;
  const bool casekept;
  const std::int32_t c, Bnew;
  // Old index.
  std::string oldlex, oldids;
  std::vector<std::string_view> oldwords;  // 0-based: word w is oldwords[w - 1]
  InvIdxArrays old;
  std::int32_t op = 1;  // next integer of the old positions
  // New index.
  std::string lex;
  std::vector<std::int32_t> pospw, rows, poss;
  std::vector<std::size_t> marks;  // places of the extra characters' marks in poss
};

std::int32_t Merge::readold(std::int32_t first, std::int32_t last) {
  const InvIdxRun& r = invidxrun;
  const std::int32_t nold = r.NIDS - (r.newid ? 1 : 0);
  if (r.IDS1 < r.LEX1) return nold == 0 ? 0 : iist_damaged;  // a new index
  const std::int32_t len = last - first + 1;
  if (r.IDS1 > r.POSSPW1 || r.POSSPW1 - 1 > len) return iist_damaged;
  auto text = [&](std::int32_t from, std::int32_t upto) {
    return upto >= from ? std::string(core::c1namen.ptr(first + from - 1),
                                      static_cast<std::size_t>(upto - from + 1))
                        : std::string();
  };
  oldlex = text(r.LEX1, r.IDS1 - 1);
  oldids = text(r.IDS1, r.POSSPW1 - 1);
  if (!oldlex.empty()) {
    if (oldlex.back() != '\n') return iist_damaged;
    const std::string_view body(oldlex.data(), oldlex.size() - 1);
    for (std::size_t p = 0;;) {
      const std::size_t e = std::min(body.find(' ', p), body.size());
      if (e == p) return iist_damaged;
      oldwords.push_back(body.substr(p, e - p));
      if (e == body.size()) break;
      p = e + 1;
    }
  }
  if (static_cast<std::int32_t>(oldwords.size()) != r.NWORDS) return iist_damaged;
  const auto nlines = static_cast<std::int32_t>(std::count(oldids.begin(), oldids.end(), '\n'));
  if (nlines != nold || (!oldids.empty() && oldids.back() != '\n')) return iist_damaged;
  return READINVIDXARRAYS(first, last, old);
}

void Merge::newword(std::string_view w) {
  const std::size_t at = lex.size();
  lex.append(w);
  if (!casekept) core::LOCASE(std::span<char>(lex.data() + at, w.size()));
  lex += ' ';
  pospw.push_back(0);
  rows.resize(rows.size() + static_cast<std::size_t>(Bnew), 0);
}

void Merge::insertpos(std::int32_t j, std::int32_t e, std::int32_t count) {
  pospw.back() += count + 1;
  setbit(c);
  poss.push_back(count + 1);
  for (std::int32_t i = j; i < j + count && i <= e; ++i) {
    const std::int32_t k = std::abs(W.order(i));
    if (W.start(k) == 0) {
      marks.push_back(poss.size());
      poss.push_back(-1);
    } else {
      poss.push_back(W.start(k) - base + invidxrun.offset + 1);
    }
  }
}

void Merge::insertword(std::int32_t j, std::int32_t e, bool ignorable) {
  const InvIdxRun& r = invidxrun;
  if (!r.growing) return;  // a constant lexicon takes no new words
  std::int32_t count = e - j + 1;
  if (ignorable && r.ignore && std::abs(W.order(e)) > r.ignorelimit) count = 0;
  newword(runword(j));
  insertpos(j, e, count);
}

template <class F>
std::int32_t Merge::eachold(std::int32_t w, F f) {
  if (old.rows.size() == 0) return 0;
  const std::int32_t B = old.B, nids = invidxrun.NIDS;
  const std::int32_t before = op;
  for (std::int32_t i = 0; i < B; ++i) {
    auto bits =
        static_cast<std::uint32_t>(old.rows((static_cast<std::int64_t>(w) - 1) * B + i + 1));
    while (bits != 0) {
      const std::int32_t id = 32 * i + std::countr_zero(bits) + 1;
      bits &= bits - 1;
      if (id > nids || op > old.poss.size()) return iist_damaged;
      const std::int32_t g = old.poss(op);
      if (g < 1 || static_cast<std::int64_t>(op) + g - 1 > old.poss.size()) return iist_damaged;
      f(id, g);
      op += g;
    }
  }
  return op - before == old.posspw(w) ? 0 : iist_damaged;
}

std::int32_t Merge::copyold(std::int32_t w) {
  const std::size_t mark = poss.size();
  std::vector<std::int32_t> ids;
  const std::int32_t st = eachold(w, [&](std::int32_t id, std::int32_t g) {
    if (id == c) return;  // the identification being replaced
    poss.insert(poss.end(), old.poss.ptr(op), old.poss.ptr(op) + g);
    ids.push_back(id);
  });
  if (st != 0) return st;
  const auto copied = static_cast<std::int32_t>(poss.size() - mark);
  // A word that only the replaced identification held leaves the lexicon;
  // a constant lexicon keeps its words, with positions or without.
  if (copied == 0 && invidxrun.growing) return 0;
  newword(oldwords[static_cast<std::size_t>(w - 1)]);
  pospw.back() = copied;
  for (const std::int32_t id : ids) setbit(id);
  return 0;
}

std::int32_t Merge::equal(std::int32_t w, std::int32_t j, std::int32_t e) {
  newword(runword(j));
  if (old.posspw.size() > 0 && old.posspw(w) == 1) {
    // An ignored word stays one, without positions.
    const std::int32_t st = eachold(w, [&](std::int32_t id, std::int32_t g) {
      poss.insert(poss.end(), old.poss.ptr(op), old.poss.ptr(op) + g);
      setbit(id);
    });
    pospw.back() = 1;
    return st;
  }
  bool inserted = false;
  const std::int32_t st = eachold(w, [&](std::int32_t id, std::int32_t g) {
    if (!inserted && id >= c) {
      insertpos(j, e, e - j + 1);
      inserted = true;
    }
    if (id == c) return;
    poss.insert(poss.end(), old.poss.ptr(op), old.poss.ptr(op) + g);
    pospw.back() += g;
    setbit(id);
  });
  if (!inserted) insertpos(j, e, e - j + 1);
  return st;
}

std::int32_t Merge::merge() {
  const auto nold = static_cast<std::int32_t>(oldwords.size());
  std::int32_t w = 1, j = 1;
  const std::int32_t flag = casekept ? 1 : 0;
  while (j <= W.n()) {
    const std::int32_t e = runend(j);
    const int cmp = w <= nold ? core::C1CASE_LT_EQ_GT(
                                    flag, oldwords[static_cast<std::size_t>(w - 1)], runword(j))
                              : 1;
    std::int32_t st = 0;
    if (cmp < 0) {
      st = copyold(w++);
    } else if (cmp > 0) {
      insertword(j, e, nold == 0);
      j = e + 1;
    } else {
      st = equal(w++, j, e);
      j = e + 1;
    }
    if (st != 0) return st;
  }
  while (w <= nold)
    if (const std::int32_t st = copyold(w++); st != 0) return st;
  return 0;
}

std::int32_t Merge::write(std::int32_t first, std::int32_t last) {
  InvIdxRun& r = invidxrun;
  if (!lex.empty()) lex.back() = '\n';
  std::string body = std::move(lex);
  const auto ids1 = iilex1 + static_cast<std::int32_t>(body.size());
  const bool firstid = r.newid && oldids.empty();
  body += oldids;
  if (r.newid) {
    body += r.key.trimmed();
    body += '\n';
  }
  if (firstid)
    for (std::size_t i = 0; i < marks.size() && static_cast<std::int32_t>(i) < r.xtrlen; ++i)
      poss[marks[i]] = -static_cast<std::int32_t>(i + 1);
  const std::int32_t width = r.hex ? 8 : 4;
  const auto put = [&](const std::vector<std::int32_t>& a) {
    if (r.hex)
      WRITEFMTC1NAMEN(body, a, width);
    else
      TRANSFERI4TOC1NAMEN(body, a);
    return iilex1 + static_cast<std::int32_t>(body.size());
  };
  const std::int32_t posspw1 = iilex1 + static_cast<std::int32_t>(body.size());
  std::int32_t idsinw1 = posspw1, poss1 = posspw1;
  if (!poss.empty()) {
    idsinw1 = put(pospw);
    poss1 = put(rows);
    put(poss);
  }
  if (static_cast<std::int64_t>(iiheaderlen) + static_cast<std::int64_t>(body.size()) >
      static_cast<std::int64_t>(last) - first + 1)
    return iist_noroom;
  r.IDS1 = ids1;
  r.POSSPW1 = posspw1;
  r.IDSINW1 = idsinw1;
  r.POSS1 = poss1;
  r.NWORDS = static_cast<std::int32_t>(pospw.size());
  r.NPOSS = static_cast<std::int32_t>(poss.size());
  r.rwidth = width;
  if (r.key.trimmed().starts_with("CONST")) r.growing = false;
  const std::string hdr = INVIDXHEADERLINE();
  char* p = core::c1namen.ptr(first);
  std::copy(hdr.begin(), hdr.end(), p);
  std::copy(body.begin(), body.end(), p + iiheaderlen);
  std::fill(p + iiheaderlen + body.size(), core::c1namen.ptr(last) + 1, ' ');
  return 0;
}

}  // namespace

void INVERT_INDEX(const WordList& words, std::int32_t first, std::int32_t last, std::int32_t base,
                  std::int32_t flags) {
  std::int32_t st = 0;
  try {
    Merge m(words, base, flags);
    st = m.readold(first, last);
    if (st == 0) st = m.merge();
    if (st == 0) st = m.write(first, last);
  } catch (const std::bad_alloc&) {
    std::int32_t nomem = 41;
    core::CHECKANDSETRUNTIMEERROR("ii01", nomem);
    return;
  }
  if (st != 0) INVIDXFAILURE(st, 0);
}

}  // namespace text
