// The search of the word index: for every identification that holds the
// query's words, the narrowest windows of positions with one occurrence of
// each term (the anchor word's occurrences in turn, each other word at its
// nearest place), filtered by the distance rules, then ranked: full hits
// before partial ones, narrow before wide.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/sortroutines.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "platform/numedit.h"
#include "text/edit_words.h"
#include "text/invidx.h"
#include "text/invidx_search.h"

namespace text {

namespace {

constexpr std::int32_t unbounded = 1073741823;

struct Item {
  std::int32_t group = 0;  // term number, negative while absent
  std::int32_t word = 0, len = 0;
  std::int32_t lower = -unbounded, upper = unbounded;
  std::int32_t first = 0, last = 0;  // positions in POSS for the identification
  std::int32_t choice = 0;
  std::vector<std::int32_t> groups;  // POSS index of the word's group per identification
};

struct Hit {
  std::int32_t first = 0, span = 0, score = 0, line = 0, d = 0;
};

enum class Kind { none, listing, count, table, perid };

class Search {
 public:
  Search(EditState& e, const SearchCall& c) : e(e), call(c), r(invidxrun) {}
  void run();

 private:
  // The arrays: decoded in hexadecimal form, read in place in binary form.
  std::int32_t rawint(std::int64_t at) const {
    std::int32_t v = 0;
    std::memcpy(&v, core::c1namen.data() + (at - 1), 4);
    return v;
  }
  std::int32_t poss(std::int32_t q) const {
    return raw ? rawint(possat + 4 * (static_cast<std::int64_t>(q) - 1)) : A.poss(q);
  }
  std::int64_t nposs() const { return raw ? (r.NPOSS > 0 ? r.NPOSS : 0) : A.poss.size(); }
  bool hasrows() const { return raw ? r.NPOSS > 0 : A.rows.size() > 0; }
  std::uint32_t rowint(std::int32_t w, std::int32_t i) const {
    const std::int64_t k = (static_cast<std::int64_t>(w) - 1) * A.B + i;
    return static_cast<std::uint32_t>(raw ? rawint(rowsat + 4 * k) : A.rows(k + 1));
  }
  bool target();
  bool decode();
  std::vector<std::int32_t> groupsof(std::int32_t w);
  std::int32_t lexword(char c) const;
  void settings();
  bool query();
  void identification(std::int32_t d);
  bool minspread(std::int32_t anchor, std::int32_t a);
  void bounds(std::int64_t& lo, std::int64_t& hi) const;
  std::int64_t spread() const;
  bool notexcluded(std::int32_t k);
  void window(std::int32_t anchor, std::int32_t d);
  void output();
  std::int32_t writeresult(Hit& h, bool listing, std::int32_t width);
  std::int32_t neighbour(int side, std::int32_t g, std::int32_t p, std::int32_t& q) const;
  void put(std::string_view s) {
    for (const char c : s)
      if (cursor <= end) core::c1namen(cursor++) = c;
  }

  EditState& e;
  const SearchCall& call;
  const InvIdxRun& r;
  Kind kind = Kind::none;
  std::int32_t cursor = 0, end = 0;  // output area: characters or cells
  std::int32_t adr = 0, cells = 0;
  // The index.
  InvIdxArrays A;
  bool raw = false;                     // binary arrays read in place
  std::int64_t rowsat = 0, possat = 0;  // where they stand in `c1namen`
  std::string lexicon, ids;
  std::vector<std::int32_t> linestart;  // offset of each identification line in ids
  std::vector<std::int32_t> wordstart;  // POSS index of each word's first group
  std::vector<std::uint32_t> cand;
  bool broken = false;  // a word's groups do not agree with its counts
  // The query.
  std::vector<Item> it{Item{}};  // items from 1
  std::int32_t nq = 0, terms = 0, maxspan = unbounded;
  bool alternatives = false, distance = false;
  std::int32_t lword = 0, rword = 0, xword = 0;
  std::vector<std::int32_t> lgroups, rgroups, xgroups;
  std::int32_t deflower = -unbounded, defupper = unbounded;
  // The hits.
  std::vector<Hit> hits;
  bool haslast = false, lastfull = false;
  Hit prev;  // the last window taken
  bool prevvalid = false;
  std::int32_t fullind = 0, lineoff = 0, firstd = 0, curd = 0;
  std::int64_t lastfirst = -1, lastend = -1;  // the last hit written
  std::int32_t lastd = -1;
};

bool Search::target() {
  const std::int32_t t = core::xeqtarget;
  const auto k = static_cast<std::uint16_t>(e.assignkind);
  Span s;
  std::int32_t element = 0, sym = 0;
  if (k == 0x8400 && writabletext(t, s)) {
    kind = Kind::listing;
    std::fill(core::c1namen.ptr(s.first), core::c1namen.ptr(s.last) + 1, ' ');
    cursor = s.first;
    end = s.last;
    e.resultspan = s;
  } else if (k == 0x8420 && core::NAMTYP(t, 0x10) == 0) {
    kind = Kind::count;
    e.result = 0;
  } else if (k == 0x8440 && arraytarget(t, adr, cells, element, sym)) {
    e.arraycells = cells + 1;
    if (element > 1) {  // filled at the first element
      e.result = core::z(adr + element - 1);
      return false;
    }
    kind = core::I4EQUZ(1, sym) > 1 ? Kind::table : Kind::perid;
    std::fill(core::z.ptr(adr), core::z.ptr(adr) + cells, 0.0);
    cursor = adr;
    end = adr + cells - 1;
  } else {
    e.result = 0;
    return false;
  }
  return true;
}

bool Search::decode() {
  const std::int32_t len = call.ixlast - call.ixfirst + 1;
  raw = !r.hex && std::endian::native == std::endian::little;
  std::int32_t st = READINVIDXARRAYS(call.ixfirst, call.ixlast, A, !raw);
  rowsat = call.ixfirst + static_cast<std::int64_t>(r.IDSINW1) - 1;
  possat = call.ixfirst + static_cast<std::int64_t>(r.POSS1) - 1;
  if (st == 0 && (r.IDS1 < iilex1 || r.POSSPW1 < r.IDS1 || r.POSSPW1 - 1 > len)) st = iist_damaged;
  if (st != 0) {
    INVIDXFAILURE(st, 0);
    return false;
  }
  const char* base = core::c1namen.ptr(call.ixfirst);
  lexicon.assign(base + iilex1 - 1, static_cast<std::size_t>(r.IDS1 - iilex1));
  ids.assign(base + r.IDS1 - 1, static_cast<std::size_t>(r.POSSPW1 - r.IDS1));
  for (std::size_t p = 0; p < ids.size();) {
    linestart.push_back(static_cast<std::int32_t>(p));
    const std::size_t q = ids.find('\n', p);
    p = q == std::string::npos ? ids.size() : q + 1;
  }
  std::int32_t at = 1;
  for (std::int32_t w = 1; w <= r.NWORDS; ++w) {
    wordstart.push_back(at);
    at += A.posspw.size() > 0 ? A.posspw(w) : 0;
  }
  return true;
}

// The POSS index of word w's group in each identification (0: none). The
// groups must fill the word's share of POSS exactly, one for each
// identification of its row: otherwise the index is damaged.
std::vector<std::int32_t> Search::groupsof(std::int32_t w) {
  std::vector<std::int32_t> g(static_cast<std::size_t>(r.NIDS), 0);
  if (w < 1 || w > r.NWORDS || !hasrows()) return g;
  const std::int64_t from = wordstart[static_cast<std::size_t>(w - 1)];
  const std::int64_t to = from + A.posspw(w);  // one past the word's share
  std::int64_t q = from;
  for (std::int32_t i = 0; i < A.B; ++i) {
    auto bits = rowint(w, i);
    for (; bits != 0; bits &= bits - 1) {
      const std::int32_t d = 32 * i + std::countr_zero(bits);
      if (d >= r.NIDS || q >= to || poss(static_cast<std::int32_t>(q)) < 1 ||
          q + poss(static_cast<std::int32_t>(q)) > to) {
        broken = true;
        return g;
      }
      g[static_cast<std::size_t>(d)] = static_cast<std::int32_t>(q);
      q += poss(static_cast<std::int32_t>(q));
    }
  }
  if (q != to) broken = true;
  return g;
}

// The word number of the one-character lexicon word c, 0 when none.
std::int32_t Search::lexword(char c) const {
  for (std::size_t p = 0; p < lexicon.size(); ++p) {
    if (lexicon[p] != c) continue;
    const bool before = p == 0 || lexicon[p - 1] == ' ' || lexicon[p - 1] == '\n';
    const bool after = p + 1 >= lexicon.size() || lexicon[p + 1] == ' ' || lexicon[p + 1] == '\n';
    if (before && after)
      return GET_TOKENNR_OF_INDEX(lexicon, static_cast<std::int32_t>(p) + 1, ' ');
  }
  return 0;
}

// The items of the EXTRA text: L=, R=, X= words and the D= direction.
void Search::settings() {
  const std::string_view s = call.settings;
  for (std::size_t p = s.find('=', 1); p != std::string_view::npos && p + 1 < s.size();
       p = s.find('=', p + 2)) {
    const char letter = s[p - 1];
    char c = s[p + 1];
    if (letter == 'D') {
      distance = true;
      if (std::string_view("+FfRr").find(c) != std::string_view::npos) deflower = 0;
      if (std::string_view("-BbLl").find(c) != std::string_view::npos) defupper = 0;
      continue;
    }
    c = c == 'C' ? '\r' : c == 'L' || c == 'T' ? '\n' : c;
    if (letter == 'L') lword = lexword(c);
    if (letter == 'R') rword = lexword(c);
    if (letter == 'X') xword = lexword(c);
  }
  lgroups = groupsof(lword);
  rgroups = groupsof(rword);
  xgroups = groupsof(xword);
}

// The items of the query cells; false when nothing can be found.
bool Search::query() {
  const std::int32_t nidw = (r.NIDS - 1) / 32;
  cand.assign(static_cast<std::size_t>(nidw + 1), 0);
  bool anyword = false, open = false, newterm = true;
  struct Op {
    std::int32_t before;
    QueryCell c;
  };
  std::vector<Op> ops;
  for (const QueryCell& c : iiquery) {
    if (c.op) {
      ops.push_back({static_cast<std::int32_t>(it.size()) - 1, c});
      continue;
    }
    if (!open) newterm = true;
    open = !c.closes;
    Item item;
    item.lower = deflower;
    item.upper = defupper;
    item.len = std::abs(c.n);
    if (c.p != 0) {
      const std::int32_t w = GET_TOKENNR_OF_INDEX(lexicon, std::abs(c.p), ' ');
      if (w < 1 || w > r.NWORDS) continue;
      if (A.posspw.size() > 0 && A.posspw(w) == 1) continue;  // an ignored word: no item
      item.word = w;
      anyword = true;
      for (std::int32_t i = 0; i <= nidw && hasrows(); ++i)
        cand[static_cast<std::size_t>(i)] |= rowint(w, std::min(i, A.B - 1));
      item.groups = groupsof(w);
    }
    if (newterm) {
      ++terms;
      newterm = false;
    } else {
      alternatives = true;
    }
    item.group = terms;
    it.push_back(std::move(item));
  }
  nq = static_cast<std::int32_t>(it.size()) - 1;
  for (const Op& op : ops) {
    if (!op.c.opnumber) continue;
    distance = true;
    const std::string_view back("BbLl-"), forth("FfRr+");
    const bool b = back.find(op.c.opchar) != std::string_view::npos;
    const bool f = forth.find(op.c.opchar) != std::string_view::npos;
    for (std::int32_t j = std::max(2, op.before + 1); j <= nq; ++j) {
      if (b) it[static_cast<std::size_t>(j)].lower = -op.c.m;
      if (f) it[static_cast<std::size_t>(j)].upper = op.c.m;
    }
    if (!b && !f) maxspan = op.c.m;
  }
  return nq > 0 && anyword && std::any_of(cand.begin(), cand.end(), [](auto x) { return x != 0; });
}

// The chosen places: lo the first, hi the largest place plus its length.
void Search::bounds(std::int64_t& lo, std::int64_t& hi) const {
  lo = std::numeric_limits<std::int64_t>::max();
  hi = 0;
  for (std::int32_t j = 1; j <= nq; ++j) {
    const Item& x = it[static_cast<std::size_t>(j)];
    if (x.choice == 0) continue;
    lo = std::min<std::int64_t>(lo, poss(x.choice));
    hi = std::max<std::int64_t>(hi, static_cast<std::int64_t>(poss(x.choice)) + x.len);
  }
}

std::int64_t Search::spread() const {
  std::int64_t lo = 0, hi = 0;
  bounds(lo, hi);
  return hi - lo + 1;
}

// The exclusion word has no position strictly inside the chosen window;
// otherwise item k loses its choice.
bool Search::notexcluded(std::int32_t k) {
  const std::int32_t g = xword == 0 ? 0 : xgroups[static_cast<std::size_t>(curd)];
  if (g == 0) return true;
  std::int64_t lo = 0, hi = 0;
  bounds(lo, hi);
  for (std::int32_t q = g + 1; q < g + poss(g); ++q) {
    if (poss(q) > lo && poss(q) < hi) {
      it[static_cast<std::size_t>(k)].choice = 0;
      return false;
    }
  }
  return true;
}

// Builds one window around the anchor position a of item `anchor`: every
// item of another term takes the position nearest to the anchor (within
// its distance bounds), then single steps that narrow the window. False
// when no window can be made.
bool Search::minspread(std::int32_t anchor, std::int32_t a) {
  for (Item& x : it) x.choice = 0;
  Item& an = it[static_cast<std::size_t>(anchor)];
  an.choice = a;
  const std::int32_t apos = poss(a);
  const std::int32_t aterm = std::abs(an.group);
  bool bound = false, skip = false;
  for (std::int32_t j = 1; j <= nq; ++j) {
    Item& x = it[static_cast<std::size_t>(j)];
    if (j == anchor || x.group < 0 || x.first == 0 || std::abs(x.group) == aterm) continue;
    // The reference: the anchor with alternatives, else the item before.
    std::int32_t ref = apos;
    if (!alternatives)
      for (std::int32_t k = j - 1; k >= 1; --k)
        if (it[static_cast<std::size_t>(k)].choice != 0) {
          ref = poss(it[static_cast<std::size_t>(k)].choice);
          break;
        }
    std::int32_t best = 0;
    if (x.lower == -unbounded) {
      for (std::int32_t q = x.first; q <= x.last; ++q) {
        const std::int32_t p = poss(q);
        if (p < 0) continue;
        if (x.upper != unbounded && static_cast<std::int64_t>(p) - ref >= x.upper) {
          bound = true;
          if (j == 2 && q == x.first) skip = true;
          break;
        }
        const std::int64_t off = static_cast<std::int64_t>(p) - apos;
        if (off < 0) {
          best = q;
          continue;
        }
        if (off == 0) {
          if (q < x.last) continue;
          if (alternatives && std::abs(x.group) > 1) {
            best = 0;
            break;
          }
          return false;
        }
        // The nearer of the last place before the anchor and this one; the
        // later one on equal distance.
        if (best == 0 || apos - poss(best) >= off) best = q;
        break;
      }
    } else {
      for (std::int32_t q = x.first; q <= x.last; ++q) {
        const std::int64_t off = static_cast<std::int64_t>(poss(q)) - ref;
        if (poss(q) < 0 || off <= x.lower) continue;
        if (x.upper != unbounded && off >= x.upper)
          bound = true;
        else
          best = q;
        break;
      }
      // Of two alternatives of one term the earlier place stays.
      if (alternatives && best != 0)
        for (std::int32_t k = 1; k < j; ++k) {
          Item& y = it[static_cast<std::size_t>(k)];
          if (y.choice == 0 || std::abs(y.group) != std::abs(x.group)) continue;
          if (poss(y.choice) <= poss(best))
            best = 0;
          else
            y.choice = 0;
        }
    }
    x.choice = best;
  }
  if (!skip && !bound) {
    if (!alternatives) {
      std::int64_t cur = spread();
      for (std::int32_t j = 2; j <= nq; ++j) {
        Item& x = it[static_cast<std::size_t>(j)];
        if (j == anchor || x.choice == 0) continue;
        const std::int32_t saved = x.choice;
        bool moved = false;
        for (const std::int32_t q : {saved - 1, saved + 1}) {
          if (q < x.first || q > x.last || poss(q) < 0) continue;
          if (q == saved - 1 && q == it[static_cast<std::size_t>(j - 1)].choice) continue;
          x.choice = q;
          const std::int64_t s = spread();
          if (s < cur && notexcluded(j)) {
            cur = s;
            moved = true;
            break;
          }
          x.choice = saved;
        }
        if (!moved) {
          x.choice = saved;
          if (!notexcluded(j) && j - 1 != anchor) it[static_cast<std::size_t>(j - 1)].choice = 0;
        }
      }
    } else {
      // Of the alternatives of each term the one that gives the narrowest
      // window with the terms decided before it (the later one on ties).
      std::vector<std::int32_t> saved(it.size());
      for (std::size_t j = 0; j < it.size(); ++j) saved[j] = it[j].choice;
      for (std::int32_t j = 1; j <= nq; ++j)
        if (j != anchor) it[static_cast<std::size_t>(j)].choice = 0;
      for (std::int32_t t = 1; t <= terms; ++t) {
        if (t == aterm) continue;
        std::int32_t bestj = 0;
        std::int64_t bests = 0;
        for (std::int32_t j = 1; j <= nq; ++j) {
          if (std::abs(it[static_cast<std::size_t>(j)].group) != t ||
              saved[static_cast<std::size_t>(j)] == 0)
            continue;
          it[static_cast<std::size_t>(j)].choice = saved[static_cast<std::size_t>(j)];
          const std::int64_t s = spread();
          it[static_cast<std::size_t>(j)].choice = 0;
          if (bestj == 0 || s <= bests) {
            bestj = j;
            bests = s;
          }
        }
        if (bestj != 0)
          it[static_cast<std::size_t>(bestj)].choice = saved[static_cast<std::size_t>(bestj)];
      }
    }
  } else if (bound) {
    for (std::int32_t j = 2; j < nq; ++j)
      if (it[static_cast<std::size_t>(j)].choice != 0) notexcluded(j);
  }
  return true;
}

// The window that minspread built, kept when it passes the rules.
void Search::window(std::int32_t anchor, std::int32_t d) {
  // (Places may lie anywhere up to the largest integer: sums are wide.)
  std::int32_t first = 0, top = 0;
  std::int64_t last = 0;
  std::vector<bool> found(static_cast<std::size_t>(terms + 1), false);
  for (std::int32_t j = 1; j <= nq; ++j) {
    const Item& x = it[static_cast<std::size_t>(j)];
    if (x.choice == 0 || x.word == 0) continue;
    const std::int32_t p = poss(x.choice);
    if (first == 0 || p < first) first = p;
    if (p > top) {
      top = p;
      last = static_cast<std::int64_t>(p) + x.len - 1;
    }
    found[static_cast<std::size_t>(std::abs(x.group))] = true;
  }
  (void)anchor;
  if (first < 1) return;
  const auto missing = static_cast<std::int32_t>(std::count(found.begin() + 1, found.end(), false));
  if (haslast && lastfull && missing > 0) return;
  if (haslast && !lastfull && missing == 0) {
    hits.clear();
    prevvalid = false;
  }
  if (last - first + 1 >= maxspan) return;
  const auto span = static_cast<std::int32_t>(last - first + 1);  // below maxspan
  if (prevvalid && prev.d == d && first <= static_cast<std::int64_t>(prev.first) + prev.span - 1 &&
      prev.first <= last) {
    if (prev.span <= span) return;
    prev.first = first;
    prev.span = span;
    if (!hits.empty() && hits.back().d == d) {
      hits.back().first = first;
      hits.back().span = span;
    }
    return;
  }
  haslast = true;
  lastfull = missing == 0;
  const std::int32_t score = missing == 0 ? -++fullind : missing;
  prev = {first, span, score, lineoff, d};
  prevvalid = true;
  if (kind == Kind::count) {
    if (missing == 0) e.result += 1;
  } else if (kind == Kind::perid) {
    const std::int32_t c = cursor + d - firstd;
    if (missing == 0 && c <= end) core::z(c) += 1;
  } else {
    hits.push_back(prev);
  }
}

// One identification: its items' positions, the anchor, the windows.
void Search::identification(std::int32_t d) {
  curd = d;
  fullind = 0;
  for (std::int32_t j = 1; j <= nq; ++j) {
    Item& x = it[static_cast<std::size_t>(j)];
    x.group = std::abs(x.group);
    const std::int32_t g = x.word == 0 ? 0 : x.groups[static_cast<std::size_t>(d)];
    if (g == 0 || poss(g) < 2) {
      x.group = -x.group;
      x.first = x.last = 0;
      continue;
    }
    x.first = g + 1;
    x.last = g + poss(g) - 1;
    while (x.first <= x.last && poss(x.first) < 0) ++x.first;  // marks of extra characters
    if (x.first > x.last) {
      x.group = -x.group;
      x.first = x.last = 0;
    }
  }
  if (kind == Kind::perid && (call.mask & 0x100) == 0) {
    for (std::int32_t j = 1; j <= nq && cursor <= end; ++j) {
      const Item& x = it[static_cast<std::size_t>(j)];
      core::z(cursor++) = x.group < 0 ? 0.0 : x.groups[static_cast<std::size_t>(d)];
    }
    return;
  }
  auto present = [&](std::int32_t j) { return it[static_cast<std::size_t>(j)].group > 0; };
  std::int32_t anchor = 0;
  if (!alternatives && !distance) {
    for (std::int32_t j = 1; j <= nq; ++j)
      if (!present(j)) return;
    // The rarest word is the anchor.
    std::vector<std::int32_t> count(static_cast<std::size_t>(nq)), rank(count.size());
    for (std::int32_t j = 1; j <= nq; ++j)
      count[static_cast<std::size_t>(j - 1)] =
          it[static_cast<std::size_t>(j)].last - it[static_cast<std::size_t>(j)].first + 1;
    core::RANK_MERGE_SORT(count, nq, rank, nq);
    std::vector<Item> sorted(it.size());
    for (std::int32_t j = 1; j <= nq; ++j) {
      sorted[static_cast<std::size_t>(j)] =
          std::move(it[static_cast<std::size_t>(rank[static_cast<std::size_t>(j - 1)])]);
    }
    for (std::int32_t j = 1; j <= nq; ++j) {
      sorted[static_cast<std::size_t>(j)].group = it[static_cast<std::size_t>(j)].group;
      sorted[static_cast<std::size_t>(j)].lower = it[static_cast<std::size_t>(j)].lower;
      sorted[static_cast<std::size_t>(j)].upper = it[static_cast<std::size_t>(j)].upper;
    }
    it.swap(sorted);
    anchor = 1;
  } else {
    if (alternatives && (call.mask & 0x20) == 0) {
      std::vector<bool> has(static_cast<std::size_t>(terms + 1), false);
      for (std::int32_t j = 1; j <= nq; ++j)
        if (present(j)) has[static_cast<std::size_t>(it[static_cast<std::size_t>(j)].group)] = true;
      if (std::count(has.begin() + 1, has.end(), false) > 0) return;
    }
    for (std::int32_t j = 1; j <= nq && anchor == 0; ++j)
      if (present(j)) anchor = j;
    if (anchor == 0) return;
  }
  lineoff = r.IDS1 - 1 + linestart[static_cast<std::size_t>(d)];
  const std::int32_t aterm = it[static_cast<std::size_t>(anchor)].group;
  for (;;) {
    Item& an = it[static_cast<std::size_t>(anchor)];
    if (an.first > an.last) {
      if (!alternatives) break;
      std::int32_t next = 0;
      for (std::int32_t j = anchor + 1; j <= nq && next == 0; ++j)
        if (it[static_cast<std::size_t>(j)].group == aterm) next = j;
      if (next == 0) break;
      anchor = next;
      continue;
    }
    if (minspread(anchor, an.first)) window(anchor, d);
    if (distance) {
      ++an.first;
    } else {
      const std::int32_t w = an.word;
      std::int32_t same = 0;
      for (std::int32_t j = 1; j <= nq; ++j)
        same += it[static_cast<std::size_t>(j)].word == w ? 1 : 0;
      for (std::int32_t j = 1; j <= nq; ++j)
        if (it[static_cast<std::size_t>(j)].word == w && it[static_cast<std::size_t>(j)].first > 0)
          it[static_cast<std::size_t>(j)].first += same;
    }
    while (an.first <= an.last && poss(an.first) < 0) ++an.first;
  }
}

// The nearest delimiter position: left (side -1) the last one below p (q 0
// when the first lies above p); right the first one at or above p.
std::int32_t Search::neighbour(int side, std::int32_t g, std::int32_t p, std::int32_t& q) const {
  q = 0;
  std::vector<std::int32_t> at;
  for (std::int32_t k = g + 1; k < g + poss(g); ++k)
    if (poss(k) >= 0) at.push_back(poss(k));
  if (side < 0) {
    if (at.empty() || at.front() == p) return 0;
    if (at.front() > p) return 1;
    for (const std::int32_t x : at)
      if (x < p) q = x;
    return 2;
  }
  for (const std::int32_t x : at)
    if (x >= p) {
      q = x;
      return 3;
    }
  return 0;
}

// One hit widened to its delimiters; written into the listing (its line
// follows) or back into the table. 0 done or passed over, 0x42 no room.
std::int32_t Search::writeresult(Hit& h, bool listing, std::int32_t width) {
  if (listing && static_cast<std::int64_t>(cursor) + 3 * width + 4 > end) {
    core::msgkey.set(core::MSGKEY("rdwrErK"));
    core::failedline.set("Write to InvIdx-result:");
    core::iostatw[0] = 0x42;
    core::iostatw[1] = 1;
    invidxrun.status = 0x42;
    return 0x42;
  }
  // (Wide sums: delimiters may lie anywhere up to the largest integer.)
  std::int64_t first = h.first, span = h.span;
  std::int32_t q = 0;
  const auto d = static_cast<std::size_t>(h.d);
  if (lword != 0) {
    const std::int32_t g = lgroups[d];
    if (g == 0 || neighbour(-1, g, h.first, q) < 1) return 0;
    span += first - q;
    first = q;
  }
  if (rword != 0) {
    const std::int32_t g = rgroups[d];
    const auto last = static_cast<std::int32_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(h.first) + h.span - 1, std::numeric_limits<std::int32_t>::max()));
    if (g == 0 || neighbour(1, g, last, q) < 1) return 0;
    span += q - last;
  }
  if (lword != 0) {
    if (rword != 0 && first == lastfirst && first + span - 1 == lastend && h.d == lastd) return 0;
    if (lword == rword) {
      first += 1;
      span -= 2;
    }
  }
  first = std::max<std::int64_t>(first, 1);
  auto narrow = [](std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  };
  if (!listing) {
    h.first = narrow(first);
    h.span = narrow(span);
    return 0;
  }
  for (const std::int32_t v : {narrow(first), narrow(span), h.score}) put(plat::edit_int(v, width));
  cursor += 1;  // a blank before the line
  lastfirst = first;
  lastend = first + span - 1;
  lastd = h.d;
  for (std::size_t p = static_cast<std::size_t>(h.line - (r.IDS1 - 1));
       p < ids.size() && ids[p] != '\n' && cursor + 2 < end; ++p)
    put(std::string_view(&ids[p], 1));
  put("\r\n");
  return 0;
}

void Search::output() {
  const bool listing = kind == Kind::listing;
  if (hits.empty() || (!listing && kind != Kind::table)) return;
  const auto n = static_cast<std::int32_t>(hits.size());
  std::vector<std::int32_t> m(static_cast<std::size_t>(n) * 5);
  for (std::int32_t i = 0; i < n; ++i) {
    const Hit& h = hits[static_cast<std::size_t>(i)];
    const std::int32_t row[] = {h.first, h.span, h.score, h.line, h.d};
    for (std::size_t c = 0; c < 5; ++c)
      m[c * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)] = row[c];
  }
  core::MULTISORT(m, n, 5, 1, n, call.sortkey == 999 ? 32 : call.sortkey);
  for (std::int32_t i = 0; i < n; ++i) {
    auto cell = [&](std::size_t c) {
      return m[c * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)];
    };
    hits[static_cast<std::size_t>(i)] = {cell(0), cell(1), -cell(2), cell(3), cell(4)};
  }
  std::int32_t width = 2;
  if (listing) {
    std::int64_t big = 0;
    for (const std::int32_t v : m)
      big = std::max<std::int64_t>(big, std::abs(static_cast<std::int64_t>(v)));
    width = static_cast<std::int32_t>(std::to_string(big).size()) + 1;
  }
  const Hit* before = nullptr;
  std::int32_t room = cells / 4;
  for (Hit& h : hits) {
    if (!listing && room-- <= 0) break;
    const bool same = before != nullptr && before->first == h.first && before->span == h.span &&
                      before->score == h.score && before->line == h.line;
    before = &h;
    if (listing) {
      if (!same && writeresult(h, true, width) != 0) return;
      continue;
    }
    if (!call.settings.empty() && writeresult(h, false, width) != 0) return;
    if (same) continue;
    for (const std::int32_t v : {h.first, h.span, h.score, h.line})
      if (cursor <= end) core::z(cursor++) = v;
  }
}

void Search::run() {
  if (r.IDS1 < 1) {
    core::msgkey.set(core::MSGKEY("editInv"));
    return;
  }
  if (!target() || !decode()) return;
  if (r.curid / 32 > (r.NIDS - 1) / 32) return;
  settings();
  const bool any = !broken && query();
  if (broken) {
    INVIDXFAILURE(iist_damaged, 0);
    return;
  }
  if (!any) return;
  firstd = call.alone ? r.curid : 0;
  const std::int32_t lastd = call.alone ? r.curid : r.NIDS - 1;
  if (lastd < firstd || lastd < 0) {
    core::msgkey.set(core::MSGKEY("invidxError"));
    return;
  }
  const std::string_view key = r.key.trimmed();
  for (std::int32_t d = firstd; d <= lastd; ++d) {
    if (call.filter && !key.empty()) {
      const auto b = static_cast<std::size_t>(linestart[static_cast<std::size_t>(d)]);
      const std::size_t q = ids.find('\n', b);
      const std::string_view line =
          std::string_view(ids).substr(b, (q == std::string::npos ? ids.size() : q) - b);
      std::int32_t notfound = 0;
      if (line.empty() || core::SEARCH(line, key, 1, static_cast<std::int32_t>(line.size()),
                                       core::so_regex, notfound) < 1)
        continue;
    }
    if (((cand[static_cast<std::size_t>(d / 32)] >> (d % 32)) & 1) == 0) continue;
    identification(d);
  }
  output();
  if ((kind == Kind::table || kind == Kind::perid) && cells > 0) e.result = core::z(adr);
}

}  // namespace

void SEARCHINVIDX(EditState& e, const SearchCall& call) {
  try {
    Search s(e, call);
    s.run();
  } catch (const std::bad_alloc&) {
    core::msgkey.set(core::MSGKEY("msgFailedAlloc"));
  }
}

}  // namespace text
