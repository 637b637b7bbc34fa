// Building and updating the index: the sorted words of one text are merged
// into the sorted lexicon in one pass, the run's identification gets its
// groups of positions (replacing the ones it had), and the whole index text
// is written anew. The new text is assembled aside and copied in only when
// it fits, so a failing run leaves the index as it was.
#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/stores.h"
#include "platform/charcase.h"
#include "text/invidx.h"

namespace text {

namespace {

// The working storage of the runs, kept from one run to the next so that
// its room is not asked for anew every time.
struct Scratch {
  std::string oldlex, oldids, lex, body;
  std::vector<std::string_view> oldwords;
  InvIdxArrays old;
  std::vector<std::int32_t> pospw, rows, poss;
  std::vector<std::size_t> marks;
};
Scratch& scratch() {
  static Scratch s;
  for (std::string* t : {&s.oldlex, &s.oldids, &s.lex, &s.body}) t->clear();
  s.oldwords.clear();
  for (auto* v : {&s.pospw, &s.rows, &s.poss}) v->clear();
  s.marks.clear();
  return s;
}

// The old index (decoded) and the new one (being assembled).
class Merge {
 public:
  Merge(const WordList& w, std::int32_t base, std::int32_t flags)
      : W(w),
        base(base),
        casekept((flags & 1) != 0),
        c(invidxrun.curid + 1),
        Bnew(invidxrun.rownew + 1),
        S(scratch()) {}

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
    rows[(pospw.size() - 1) * static_cast<std::size_t>(Bnew) + i / 32] |=
        static_cast<std::int32_t>(1u << (i % 32));
  }
  void insertpos(std::int32_t j, std::int32_t e, std::int32_t count);
  void insertword(std::int32_t j, std::int32_t e, bool ignorable);
  bool holdsc(std::int32_t w) const;
  std::int32_t keepold(std::int32_t w);
  void dropword(std::size_t lexmark);
  bool keeprange(std::int32_t w0, std::int32_t w1);
  bool oldfolded = false;  // the old words are in lower case
  // The old positions: integer q, and n of them from op on appended.
  std::int32_t oldposs(std::int32_t q) const {
    if (!raw) return old.poss(q);
    std::int32_t v = 0;
    std::memcpy(&v, core::c1namen.data() + (possat + 4 * (static_cast<std::int64_t>(q) - 1) - 1),
                4);
    return v;
  }
  void appendold(std::int32_t n) {
    if (n <= 0) return;  // (a constant lexicon's words may have no positions at all)
    const std::size_t at = poss.size();
    poss.resize(at + static_cast<std::size_t>(n));
    if (raw)
      std::memcpy(poss.data() + at,
                  core::c1namen.data() + (possat + 4 * (static_cast<std::int64_t>(op) - 1) - 1),
                  4 * static_cast<std::size_t>(n));
    else
      std::copy(old.poss.ptr(op), old.poss.ptr(op) + n, poss.data() + at);
  }
  bool raw = false;         // binary positions read in place
  std::int64_t possat = 0;  // where the old positions stand in `c1namen`
  std::int32_t oldn = 0;    // number of old positions
  std::int32_t copyold(std::int32_t w);
  bool constword = false;  // keepold keeps a word without positions
  std::int32_t equal(std::int32_t w, std::int32_t j, std::int32_t e);
  // Calls f(id) for every identification whose bit is set in old row w.
  template <class F>
  std::int32_t eachold(std::int32_t w, F f);

  const WordList& W;
  const std::int32_t base;
  const bool casekept;
  const std::int32_t c, Bnew;
  Scratch& S;
  // Old index.
  std::string &oldlex = S.oldlex, &oldids = S.oldids;
  std::vector<std::string_view>& oldwords = S.oldwords;  // word w is oldwords[w - 1]
  InvIdxArrays& old = S.old;
  std::int32_t op = 1;  // next integer of the old positions
  // New index.
  std::string& lex = S.lex;
  std::vector<std::int32_t>&pospw = S.pospw, &rows = S.rows, &poss = S.poss;
  std::vector<std::size_t>& marks = S.marks;  // places of the extra characters' marks in poss
};

std::int32_t Merge::readold(std::int32_t first, std::int32_t last) {
  const InvIdxRun& r = invidxrun;
  const std::int32_t nold = r.NIDS - (r.newid ? 1 : 0);
  if (r.IDS1 < r.LEX1) return nold == 0 ? 0 : iist_damaged;  // a new index
  const std::int32_t len = last - first + 1;
  if (r.IDS1 > r.POSSPW1 || r.POSSPW1 - 1 > len) return iist_damaged;
  auto text = [&](std::string& to, std::int32_t from, std::int32_t upto) {
    if (upto >= from)
      to.assign(core::c1namen.ptr(first + from - 1), static_cast<std::size_t>(upto - from + 1));
  };
  text(oldlex, r.LEX1, r.IDS1 - 1);
  text(oldids, r.IDS1, r.POSSPW1 - 1);
  if (!oldlex.empty()) {
    if (oldlex.back() != '\n') return iist_damaged;
    const std::string_view body(oldlex.data(), oldlex.size() - 1);
    for (std::size_t p = 0;;) {
      std::size_t e = p;
      while (e < body.size() && body[e] != ' ') ++e;  // (words are short)
      if (e == p) return iist_damaged;
      oldwords.push_back(body.substr(p, e - p));
      if (e == body.size()) break;
      p = e + 1;
    }
  }
  if (static_cast<std::int32_t>(oldwords.size()) != r.NWORDS) return iist_damaged;
  const auto nlines = static_cast<std::int32_t>(std::count(oldids.begin(), oldids.end(), '\n'));
  if (nlines != nold || (!oldids.empty() && oldids.back() != '\n')) return iist_damaged;
  // Binary positions are copied straight from the index text.
  raw = !r.hex && std::endian::native == std::endian::little;
  possat = first + static_cast<std::int64_t>(r.POSS1) - 1;
  oldn = r.NPOSS > 0 ? r.NPOSS : 0;
  if (!raw) {
    const std::int32_t st = READINVIDXARRAYS(first, last, old);
    oldn = static_cast<std::int32_t>(old.poss.size());
    return st;
  }
  const std::int32_t st = READINVIDXARRAYS(first, last, old, false);
  if (st != 0 || r.NPOSS == 0) return st;
  old.rows.resize(static_cast<std::size_t>(r.NWORDS) * static_cast<std::size_t>(old.B));
  return ERROR_TRANSFERC1NAMENTOI4(first + r.IDSINW1 - 1, last,
                                   static_cast<std::int32_t>(old.rows.size()), old.rows.data())
             ? 0
             : invidxrun.status;
}

void Merge::newword(std::string_view w) {
  const std::size_t at = lex.size();
  lex.append(w);
  if (!casekept)
    for (std::size_t i = at; i < lex.size(); ++i)
      lex[i] = static_cast<char>(plat::lower1252(static_cast<unsigned char>(lex[i])));
  lex += ' ';
  pospw.push_back(0);  // its row: the next one of `rows`, zero
}

void Merge::dropword(std::size_t lexmark) {
  lex.resize(lexmark);
  const auto at = rows.begin() +
                  static_cast<std::ptrdiff_t>((pospw.size() - 1) * static_cast<std::size_t>(Bnew));
  std::fill(at, at + Bnew, 0);
  pospw.pop_back();
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
      if (id > nids || op > oldn) return iist_damaged;
      const std::int32_t g = oldposs(op);
      if (g < 1 || static_cast<std::int64_t>(op) + g - 1 > oldn) return iist_damaged;
      f(id, g);
      op += g;
    }
  }
  return op - before == old.posspw(w) ? 0 : iist_damaged;
}

// Whether old word w occurs in the identification being replaced.
bool Merge::holdsc(std::int32_t w) const {
  if (old.rows.size() == 0 || invidxrun.newid || c > 32 * old.B) return false;
  const auto row = static_cast<std::uint32_t>(
      old.rows((static_cast<std::int64_t>(w) - 1) * old.B + (c - 1) / 32 + 1));
  return ((row >> ((c - 1) % 32)) & 1) != 0;
}

// Old word w as it was: its groups and its row in one piece.
std::int32_t Merge::keepold(std::int32_t w) {
  const std::int32_t n = old.posspw.size() > 0 ? old.posspw(w) : 0;
  if (n < 0 || static_cast<std::int64_t>(op) - 1 + n > oldn) return iist_damaged;
  if (n == 0 && invidxrun.growing && !constword) return 0;
  newword(oldwords[static_cast<std::size_t>(w - 1)]);
  if (n > 0) {
    appendold(n);
    const std::int32_t* row = old.rows.raw().data() + (static_cast<std::int64_t>(w) - 1) * old.B;
    std::copy(row, row + old.B,
              rows.begin() +
                  static_cast<std::ptrdiff_t>((pospw.size() - 1) * static_cast<std::size_t>(Bnew)));
  }
  op += n;
  pospw.back() = n;
  return 0;
}

std::int32_t Merge::copyold(std::int32_t w) {
  if (!holdsc(w)) return keepold(w);
  const std::size_t lexmark = lex.size(), possmark = poss.size();
  newword(oldwords[static_cast<std::size_t>(w - 1)]);
  const std::int32_t st = eachold(w, [&](std::int32_t id, std::int32_t g) {
    if (id == c) return;  // the identification being replaced
    appendold(g);
    setbit(id);
  });
  if (st != 0) return st;
  const auto copied = static_cast<std::int32_t>(poss.size() - possmark);
  pospw.back() = copied;
  // A word that only the replaced identification held leaves the lexicon;
  // a constant lexicon keeps its words, with positions or without.
  if (copied == 0 && invidxrun.growing) dropword(lexmark);
  return 0;
}

std::int32_t Merge::equal(std::int32_t w, std::int32_t j, std::int32_t e) {
  newword(runword(j));
  if (old.posspw.size() > 0 && old.posspw(w) == 1) {
    // An ignored word stays one, without positions.
    const std::int32_t st = eachold(w, [&](std::int32_t id, std::int32_t g) {
      appendold(g);
      setbit(id);
    });
    pospw.back() = 1;
    return st;
  }
  if (invidxrun.newid) {
    // A new identification comes after all the others.
    dropword(lex.size() - runword(j).size() - 1);
    constword = true;
    const std::int32_t st = keepold(w);
    constword = false;
    if (st == 0) insertpos(j, e, e - j + 1);
    return st;
  }
  bool inserted = false;
  const std::int32_t st = eachold(w, [&](std::int32_t id, std::int32_t g) {
    if (!inserted && id >= c) {
      insertpos(j, e, e - j + 1);
      inserted = true;
    }
    if (id == c) return;
    appendold(g);
    pospw.back() += g;
    setbit(id);
  });
  if (!inserted) insertpos(j, e, e - j + 1);
  return st;
}

// Old words w0 to w1 - 1 kept as they were, in one piece: a new
// identification changes no old group. False when one of them needs the
// word-by-word way (a word without positions in a growing lexicon).
bool Merge::keeprange(std::int32_t w0, std::int32_t w1) {
  if (w1 <= w0) return true;
  std::int64_t n = 0;
  for (std::int32_t w = w0; w < w1; ++w) {
    const std::int32_t k = old.posspw.size() > 0 ? old.posspw(w) : 0;
    if (k < 0 || (k == 0 && invidxrun.growing)) return false;
    n += k;
  }
  if (op - 1 + n > oldn) return false;
  const std::string_view a = oldwords[static_cast<std::size_t>(w0 - 1)];
  const std::string_view b = oldwords[static_cast<std::size_t>(w1 - 2)];
  const std::size_t at = lex.size();
  lex.append(a.data(), static_cast<std::size_t>(b.data() + b.size() - a.data()));
  lex += ' ';
  if (!casekept && !oldfolded)
    for (std::size_t i = at; i < lex.size(); ++i)
      lex[i] = static_cast<char>(plat::lower1252(static_cast<unsigned char>(lex[i])));
  const std::size_t row0 = pospw.size();
  for (std::int32_t w = w0; w < w1; ++w) pospw.push_back(old.posspw.size() > 0 ? old.posspw(w) : 0);
  if (old.rows.size() > 0) {
    for (std::int32_t w = w0; w < w1; ++w) {
      const std::int32_t* row = old.rows.raw().data() + (static_cast<std::int64_t>(w) - 1) * old.B;
      std::copy(
          row, row + old.B,
          rows.begin() + static_cast<std::ptrdiff_t>((row0 + static_cast<std::size_t>(w - w0)) *
                                                     static_cast<std::size_t>(Bnew)));
    }
  }
  appendold(static_cast<std::int32_t>(n));
  op += static_cast<std::int32_t>(n);
  return true;
}

std::int32_t Merge::merge() {
  poss.reserve(static_cast<std::size_t>(oldn) + 2 * static_cast<std::size_t>(W.n()) + 1);
  pospw.reserve(oldwords.size() + static_cast<std::size_t>(W.n()));
  rows.assign(pospw.capacity() * static_cast<std::size_t>(Bnew), 0);
  oldfolded = std::all_of(oldlex.begin(), oldlex.end(), [](char ch) {
    return plat::lower1252(static_cast<unsigned char>(ch)) == static_cast<unsigned char>(ch);
  });
  const auto nold = static_cast<std::int32_t>(oldwords.size());
  std::int32_t w = 1, j = 1;
  const std::int32_t flag = casekept ? 1 : 0;
  auto before = [&](std::int32_t k, std::int32_t run) {
    return core::C1CASE_LT_EQ_GT(flag, oldwords[static_cast<std::size_t>(k - 1)], runword(run)) < 0;
  };
  while (j <= W.n()) {
    const std::int32_t e = runend(j);
    if (invidxrun.newid && w <= nold && before(w, j)) {
      // The old words before this one, found by halving, kept at once.
      std::int32_t lo = w + 1, hi = nold + 1;
      while (lo < hi) {
        const std::int32_t m = lo + (hi - lo) / 2;
        if (before(m, j))
          lo = m + 1;
        else
          hi = m;
      }
      if (keeprange(w, lo)) {
        w = lo;
        continue;
      }
    }
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
  if (invidxrun.newid && keeprange(w, nold + 1)) return 0;
  while (w <= nold)
    if (const std::int32_t st = copyold(w++); st != 0) return st;
  return 0;
}

std::int32_t Merge::write(std::int32_t first, std::int32_t last) {
  InvIdxRun& r = invidxrun;
  if (!lex.empty()) lex.back() = '\n';
  std::string& body = S.body;
  body.swap(lex);
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
  // The arrays: hexadecimal ones written behind the lists, binary ones
  // copied into the index text straight from their vectors.
  rows.resize(pospw.size() * static_cast<std::size_t>(Bnew));
  const std::vector<std::int32_t>* arrays[] = {&pospw, &rows, &poss};
  std::int64_t at = iilex1 + static_cast<std::int64_t>(body.size());
  std::int32_t starts[3] = {};
  for (int k = 0; k < 3; ++k) {
    starts[k] = static_cast<std::int32_t>(std::min<std::int64_t>(at, 0x7FFFFFFF));
    if (poss.empty()) continue;
    if (r.hex) {
      WRITEFMTC1NAMEN(body, *arrays[k], width);
      at = iilex1 + static_cast<std::int64_t>(body.size());
    } else {
      at += 4 * static_cast<std::int64_t>(arrays[k]->size()) + 1;
    }
  }
  const std::int64_t used = at - 1;  // the new text's length
  if (used > static_cast<std::int64_t>(last) - first + 1) return iist_noroom;
  r.IDS1 = ids1;
  r.POSSPW1 = starts[0];
  r.IDSINW1 = poss.empty() ? starts[0] : starts[1];
  r.POSS1 = poss.empty() ? starts[0] : starts[2];
  r.NWORDS = static_cast<std::int32_t>(pospw.size());
  r.NPOSS = static_cast<std::int32_t>(poss.size());
  r.rwidth = width;
  if (r.key.trimmed().starts_with("CONST")) r.growing = false;
  const std::string hdr = INVIDXHEADERLINE();
  char* p = core::c1namen.ptr(first);
  std::copy(hdr.begin(), hdr.end(), p);
  std::copy(body.begin(), body.end(), p + iiheaderlen);
  if (!r.hex && !poss.empty())
    for (int k = 0; k < 3; ++k) TRANSFERI4TOC1NAMEN(p + starts[k] - 1, *arrays[k]);
  // Beyond the old text's end all is blank already.
  const std::int64_t end = std::max<std::int64_t>(r.ixlen, used);
  std::fill(p + used, p + std::min<std::int64_t>(end, last - first + 1), ' ');
  r.ixlen = static_cast<std::int32_t>(used);
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
