// Running a program form (exec/fastpath_prog.h). Values are numbers with
// the cell they stand in, or texts: a text of a variable is read where it
// stands, and the texts that the evaluator makes in its temporary area (a
// copy of a text the statement writes, a join, a character) are made in an
// area of the run's own, laid out as the evaluator lays out its area, so
// that a join goes where the evaluator's would go and the area's extent is
// the evaluator's. Nothing visible is changed before the last step.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/chars.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/fastpath_form.h"
#include "exec/fastpath_numbers.h"
#include "exec/fastpath_prog.h"
#include "exec/heldtexts.h"
#include "exec/operators.h"
#include "platform/fpu.h"

namespace exec::fast {

namespace {

constexpr std::int32_t maxtemps = 31;

struct TextVal {
  std::int32_t pos = 0;  // first position in `c1namen`, or the offset in the area
  std::int32_t len = 0;
  std::int32_t tmp = 0;  // its descriptor or temporary number
  bool area = false;
  std::int32_t sym = 0;  // the variable it is a piece of, 0 none
};

// The run's state (kept between runs, so that nothing is allocated once
// the areas are large enough).
struct Run {
  std::vector<double> nums = std::vector<double>(64);
  std::vector<std::int32_t> textstack = std::vector<std::int32_t>(16);
  std::vector<TextVal> texts;  // the first `ntexts` made in this run
  std::int32_t ntexts = 0;
  std::vector<double> lists;
  std::string area;  // the temporary area from its first position on
  std::string join;
  std::int32_t top = 0;     // the area's next free offset
  std::int32_t high = 0;    // the furthest offset the evaluator would touch
  std::int32_t tmplen = 0;  // length of the temporary made last
  std::int32_t ndescr = 0;  // descriptors and temporaries numbered so far
};
// (The executor runs on one thread.)
Run run;

std::string_view chars(const TextVal& t) {
  if (t.len <= 0) return {};
  const char* p = t.area ? run.area.data() + t.pos : core::c1namen.data() + (t.pos - 1);
  return {p, static_cast<std::size_t>(t.len)};
}

// INDEX(hay, needle) as the evaluator gives it: 0 when either text is
// empty or the needle is not there; a search kept the match's length for
// the script.
double textindex(std::string_view hay, std::string_view needle) {
  if (hay.empty() || needle.empty()) return 0.0;
  int notfound = 0;
  const int pos = core::SEARCH(hay, needle, 1, static_cast<int>(hay.size()), 0, notfound);
  int len = 0;
  core::MATCHEDLENGTH(len);
  core::matchlen = len;
  return notfound != 0 ? 0.0 : pos;
}

// Room in the area up to offset `end` (exclusive).
void areato(std::int32_t end) {
  if (static_cast<std::size_t>(end) > run.area.size())
    run.area.resize(std::max<std::size_t>(static_cast<std::size_t>(end), 2 * run.area.size()));
  run.high = std::max(run.high, end);
}

// A new temporary number; false when the evaluator would have none left.
bool newtemp(std::int32_t& t) {
  if (run.ndescr >= maxtemps) return false;
  t = ++run.ndescr;
  return true;
}

std::int32_t newtext(const TextVal& t) {
  // (The set-up made room for every slot and step.)
  run.texts[static_cast<std::size_t>(run.ntexts)] = t;
  return run.ntexts++;
}

// A copy of n characters at the area's top, as the evaluator's temporaries
// are made (`tmplen` noted).
TextVal maketemp(std::string_view s, std::int32_t tmp) {
  TextVal t;
  t.pos = run.top;
  t.len = static_cast<std::int32_t>(s.size());
  t.tmp = tmp;
  t.area = true;
  areato(run.top + t.len + 1);
  if (!s.empty()) std::memmove(run.area.data() + t.pos, s.data(), s.size());
  run.top += t.len;
  run.tmplen = t.len;
  return t;
}

// The join of two texts (the evaluator's concatenation, exec/strings.cpp);
// temporaries numbered above nlinked are this statement's own.
bool join(const TextVal& x, const TextVal& y, unsigned code, std::int32_t nlinked, TextVal& out) {
  const int n = catblanks(code);
  const std::size_t g = n >= 1 ? static_cast<std::size_t>(n - 1) : 0;
  std::string_view a = chars(x);
  if (n >= 1) a = a.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(a)));
  // A temporary of this statement that ends the area: the join takes its place.
  const auto attop = [nlinked](const TextVal& o) {
    return o.area && o.tmp > nlinked && o.len >= 1 && o.pos + o.len == run.top;
  };
  std::int32_t t = 0, start = 0;
  bool keepb = true;
  if (attop(x)) {
    t = x.tmp;
    start = x.pos;
  } else if (attop(y)) {
    t = y.tmp;
    start = y.pos;
  } else {
    if (!newtemp(t)) return false;
    keepb = false;
    start = run.top;
    // The room of the temporary made last goes back when it is joined.
    const std::int32_t len = run.tmplen;
    if (len > 0 && ((x.area && x.pos == run.top - len) || (y.area && y.pos == run.top - len)))
      start = run.top - len;
    run.tmplen = 0;
  }
  std::string_view b = chars(y);
  if (!keepb) b = b.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(b)));
  const auto len = static_cast<std::int32_t>(a.size() + g + b.size());
  if (!y.area && (!x.area || start == x.pos)) {
    // Straight into the area: the right text is a variable's, the left one
    // a variable's too or already where the join begins.
    const std::size_t na = a.size();
    areato(start + len + 1);
    char* const d = run.area.data() + start;
    if (!x.area && na > 0) std::memcpy(d, a.data(), na);
    if (g > 0) std::memset(d + na, ' ', g);
    if (!b.empty()) std::memcpy(d + na + g, b.data(), b.size());
  } else {
    std::string& r = run.join;
    r.assign(a);
    r.append(g, ' ');
    r.append(b);
    areato(start + len + 1);
    if (len > 0) std::memcpy(run.area.data() + start, r.data(), r.size());
  }
  out = TextVal{start, len, t, true, 0};
  run.top = std::max(run.top, start + len);
  if (t == x.tmp || t == y.tmp) run.top = start + len;
  return true;
}

}  // namespace

bool arrayplace(std::int32_t a, ArrayPlace& at) {
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  if (a < 1 || a >= zsize || !core::name.valid(a)) return false;
  std::int32_t shape[2];
  std::memcpy(shape, core::z.data() + a, sizeof shape);
  const std::int64_t count = static_cast<std::int64_t>(shape[0]) * shape[1];
  const std::int32_t adr = core::name(a).adr;
  if (shape[0] <= 0 || shape[1] <= 0 || count > 0x7FFFFFFF || adr < 11 || adr + count > zsize)
    return false;
  at = {adr, shape[0], shape[1], static_cast<std::int32_t>(count)};
  return true;
}

bool readyprog(Prog& g) {
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  g.allcells = g.cells;
  for (Slot& s : g.slots) {
    if (s.sym < 1 || s.sym >= zsize) return false;
    if (s.array) {
      ArrayPlace at;
      if (!arrayplace(s.sym, at)) return false;
      s.first = at.first;
      s.rows = at.rows;
      s.cols = at.cols;
      s.count = at.count;
      if (s.copy) g.allcells += std::min(at.count, std::int32_t{1} << 30);
      continue;
    }
    std::int32_t f = 0, l = 0;
    // A text read forwards with valid bounds (an empty one has last = first - 1).
    if (core::ISCHAR(s.sym, f, l) == 0 || f < 1 || l < f - 1 || l > core::c1namen.last())
      return false;
    s.first = f;
    s.len = l - f + 1;
  }
  return g.allcells < (1 << 30);
}

// The program runners start on a cache line: where their loops fall
// within the lines then stays put when code elsewhere in the program
// moves them (a shift by 16 or 32 bytes cost a short loop of programs up
// to a fourth of its time).
[[gnu::aligned(64)]] ProgResult runplain(const Prog& g) { return plainsteps(g, g.quick.get()); }

[[gnu::aligned(64)]] ProgResult runplainfrom(const Prog& g, const QStep* first) {
  return plainsteps(g, first);
}

[[gnu::aligned(64)]] bool plainvalue(const Prog& g, double& value) {
  const ProgResult r = plainsteps(g, g.quick.get());
  value = r.value;
  return r.done;
}

[[gnu::aligned(64)]] ProgResult runprog(const Prog& g) {
  if (g.plain) return runplain(g);
  ProgResult res;
  Run& R = run;
  const double* const z = core::z.data();
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  if (R.nums.size() < static_cast<std::size_t>(g.numdepth) + 1)
    R.nums.resize(static_cast<std::size_t>(g.numdepth) + 1);
  double* const n0 = R.nums.data();
  double* n = n0;             // the numbers n0[0..n)
  std::int32_t* t = nullptr;  // the texts: indices into R.texts
  if (g.texts) {
    R.top = R.high = R.tmplen = 0;
    R.ndescr = g.nlinked;
    // Room for a text of every slot and step.
    const std::size_t most = g.slots.size() + g.steps.size();
    if (R.texts.size() < most) R.texts.resize(most);
    R.ntexts = 0;
    // The set-up: every text slot as it stands, copies into the area.
    for (const Slot& s : g.slots) {
      TextVal v{s.first, s.len, 0, false, s.sym};
      if (!s.array && s.copy && s.len > 0) v = maketemp(chars(v), 0);
      newtext(v);
    }
    if (R.textstack.size() < static_cast<std::size_t>(g.textdepth) + 1)
      R.textstack.resize(static_cast<std::size_t>(g.textdepth) + 1);
    t = R.textstack.data();
  } else {
    R.ndescr = g.nlinked;
  }
  if (g.listvalues > 0) {
    if (R.lists.size() < static_cast<std::size_t>(g.listvalues))
      R.lists.resize(static_cast<std::size_t>(g.listvalues));
    if (g.listclear) std::fill(R.lists.begin(), R.lists.begin() + g.listvalues, 0.0);
  }
  std::int32_t targetcell = 0, targettext = -1;
  bool valueonly = false;  // a value alone, no target
  for (const PStep& s : g.steps) {
    double r = 0.0;
    switch (s.op) {
      case P::num:
      case P::elem:
      case P::telem:
      case P::add:
      case P::sub:
      case P::mul:
      case P::div:
      case P::mod:
      case P::bin:
      case P::rel:
      case P::maxmin:
      case P::una:
      case P::neg:
      case P::log:
      case P::fold:
      case P::charat:
      case P::pairat:
        switch (numstep(g, s, z, zsize, R.lists.data(), n, r, targetcell)) {
          case Num::pushed:
            continue;
          case Num::made:
            if (!pushmade(r, n)) return res;
            continue;
          case Num::giveup:
          case Num::other:
            return res;
        }
        continue;
      case P::list: {
        double* const l = R.lists.data() + g.lists[static_cast<std::size_t>(s.a)].at;
        n -= s.b;
        for (std::int32_t i = 0; i < s.b; ++i) l[i] = n[i];
        continue;
      }
      case P::ref:
        *n++ = R.lists[static_cast<std::size_t>(g.lists[static_cast<std::size_t>(s.a)].at)];
        continue;
      case P::text:
        *t++ = s.a;
        continue;
      case P::substr:
      case P::onechar: {
        std::int32_t a = 0, b = 0;
        if (s.op == P::substr) {
          b = intvalue(*--n);
          a = intvalue(*--n);
        } else {
          a = b = intvalue(*--n);
        }
        const TextVal v = R.texts[static_cast<std::size_t>(t[-1])];
        // (A piece read backwards is a copy of its own: the general path's.)
        if (v.len == 0 || a < 1 || a > v.len || b < 1 || b > v.len || a > b) return res;
        TextVal p{v.pos + a - 1, b - a + 1, 0, v.area, v.sym};
        if (!newtemp(p.tmp)) return res;
        t[-1] = newtext(p);
        continue;
      }
      case P::cat: {
        const TextVal y = R.texts[static_cast<std::size_t>(*--t)];
        const TextVal x = R.texts[static_cast<std::size_t>(t[-1])];
        TextVal out;
        if (!join(x, y, s.code, g.nlinked, out)) return res;
        t[-1] = newtext(out);
        continue;
      }
      case P::trim: {
        TextVal v = R.texts[static_cast<std::size_t>(t[-1])];
        if (v.len < 1) return res;
        // A linked descriptor keeps its bounds: TRIM works on a new temporary.
        if (v.tmp <= g.nlinked && !newtemp(v.tmp)) return res;
        v.len = std::max(core::C1LEN_TRIM(chars(v)), 1);
        t[-1] = newtext(v);
        continue;
      }
      case P::len:
      case P::lentrim:
      case P::ichar: {
        const TextVal& v = R.texts[static_cast<std::size_t>(*--t)];
        const std::string_view c = chars(v);
        r = v.len;
        if (s.op == P::lentrim) r = core::C1LEN_TRIM(c);
        if (s.op == P::ichar) r = c.empty() ? 0.0 : static_cast<unsigned char>(c[0]);
        *n++ = r;
        continue;
      }
      case P::index: {
        const std::string_view needle = chars(R.texts[static_cast<std::size_t>(*--t)]);
        const std::string_view hay = chars(R.texts[static_cast<std::size_t>(*--t)]);
        *n++ = textindex(hay, needle);
        continue;
      }
      case P::chr: {
        // (A code that no character has is refused by the general path.)
        const double x = std::round(*--n);
        if (!(x >= 0.0 && x <= 255.0)) return res;
        const char c = static_cast<char>(static_cast<int>(x));
        std::int32_t tmp = 0;
        if (!newtemp(tmp)) return res;
        *t++ = newtext(maketemp(std::string_view(&c, 1), tmp));
        continue;
      }
      case P::reltext: {
        const std::string_view b = chars(R.texts[static_cast<std::size_t>(*--t)]);
        const std::string_view a = chars(R.texts[static_cast<std::size_t>(*--t)]);
        *n++ = relholds(s.code, core::C1_LT_EQ_GT(a, b)) ? 1.0 : 0.0;
        continue;
      }
      case P::ifnot:
        if (*--n == 0.0) {
          res.falsecond = true;
          goto done;
        }
        continue;
      case P::tcell:
        targetcell = s.a;
        continue;
      case P::ttext:
        targettext = *--t;
        continue;
      case P::result:
        if (s.b == 0) {
          res.value = *--n;
        } else {
          // A text of a variable (one the evaluator makes in its area is
          // read there afterwards: the general path's).
          const TextVal& v = R.texts[static_cast<std::size_t>(*--t)];
          if (v.area) return res;
          std::int32_t bounds[2] = {v.pos, v.pos + v.len - 1};
          std::memcpy(&res.value, bounds, sizeof res.value);
          res.textresult = true;
        }
        valueonly = true;
        goto done;
      case P::pass:
      case P::pelem:
      case P::tpelem:
        return res;  // (a statement in passes runs by runpasses)
      case P::textcopy:
        return res;  // (only a program on numbers alone has it: runplain)
      case P::assign:
        if (s.b == 0) {
          // A number into a variable's or an element's cell.
          if (targetcell < 1 || targetcell > core::nz || targetcell >= zsize) return res;
          res.value = *--n;
        } else {
          const TextVal& to = R.texts[static_cast<std::size_t>(targettext)];
          if (to.area || to.sym < 1 || to.len < 1 || (core::name(to.sym).type & 0x1) != 0)
            return res;
          res.textresult = true;
        }
        continue;
    }
  }
done:
  // The general path would grow no store for this statement.
  const std::int64_t areastart = static_cast<std::int64_t>(textbase()) + 1;
  if (g.texts && R.high > 0 && areastart + 1 + R.high >= core::c1limit)
    return res;
  res.done = true;
  // The temporaries land in the evaluator's area as the general path leaves
  // them there: what a statement before it left at the top of that area (a
  // record kept for the next READ, say) is overwritten alike.
  // (That area begins after the stores' texts and those held for waiting
  // statements, where each evaluation begins it; the run word may still
  // hold an earlier statement's.)
  if (g.texts && R.top > 0 && areastart + R.top < core::c1limit)
    std::memcpy(core::c1namen.data() + areastart, R.area.data(), static_cast<std::size_t>(R.top));
  if (valueonly) return res;
  if (g.blockkind != 0) {
    res.cond = n[-1] != 0.0;
    return res;
  }
  if (res.falsecond) return res;
  if (res.textresult) {
    const TextVal& to = R.texts[static_cast<std::size_t>(targettext)];
    const std::string_view from = chars(R.texts[static_cast<std::size_t>(*--t)]);
    char* const at = core::c1namen.data() + (to.pos - 1);
    const std::size_t k = std::min(from.size(), static_cast<std::size_t>(to.len));
    if (k > 0) std::memmove(at, from.data(), k);
    if (static_cast<std::size_t>(to.len) > k)
      std::memset(at + k, ' ', static_cast<std::size_t>(to.len) - k);
    std::int32_t bounds[2] = {to.pos, to.pos + to.len - 1};
    std::memcpy(&res.value, bounds, sizeof res.value);
  } else {
    core::z.data()[targetcell] = res.value;
  }
  return res;
}

double* pairtexts(const Prog& g, const PStep& s, double* n) {
  const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
  const Slot& b = g.slots[static_cast<std::size_t>(s.b)];
  std::int32_t fa = 0, la = 0, fb = 0, lb = 0;
  // (The second text's places are on top.)
  if (!textat(b, (s.code >> 10) & 3u, n, fb, lb) || !textat(a, (s.code >> 8) & 3u, n, fa, la))
    return nullptr;
  const std::string_view x = textchars(a, fa, la), y = textchars(b, fb, lb);
  const unsigned rel = s.code & 0xFFu;
  if (rel != 0) {
    *n++ = relholds(static_cast<int>(rel) - 1, core::C1_LT_EQ_GT(x, y)) ? 1.0 : 0.0;
    return n;
  }
  *n++ = textindex(x, y);
  return n;
}

ProgResult copytext(const Prog& g, const QStep& s, double* n) {
  ProgResult res;
  const Slot& to = g.slots[static_cast<std::size_t>(s.a)];
  const Slot& from = g.slots[static_cast<std::size_t>(s.b)];
  std::int32_t ft = 0, lt = 0, ff = 0, lf = 0;
  // (The source's places are on top.)
  if (!textat(from, (s.code >> 2) & 3u, n, ff, lf) || !textat(to, s.code & 3u, n, ft, lt))
    return res;
  if (lt < 1 || (core::name(to.sym).type & 0x1) != 0) return res;
  const std::string_view v = textchars(from, ff, lf);
  char* const at = core::c1namen.data() + (to.first - 1) + (ft - 1);
  const std::size_t k = std::min(v.size(), static_cast<std::size_t>(lt));
  // (Source and target may overlap: a piece of the text it is assigned to.)
  if (k > 0) std::memmove(at, v.data(), k);
  if (static_cast<std::size_t>(lt) > k) std::memset(at + k, ' ', static_cast<std::size_t>(lt) - k);
  const std::int32_t pos = to.first + ft - 1;
  std::int32_t bounds[2] = {pos, pos + lt - 1};
  std::memcpy(&res.value, bounds, sizeof res.value);
  res.textresult = true;
  res.done = true;
  return res;
}

void modfit(Prog& g, const double* z) {
  const QStep& s = g.quick[0];
  const double by = z[s.b], to = z[s.c];
  // (Remainders and numbers of magnitude below 2^29: a difference of 1
  // is beyond the relative tolerance of either.)
  constexpr std::int32_t most = std::int32_t{1} << 29, least = -most;
  constexpr double small = most;
  if (!(std::fabs(by) < small && std::fabs(to) < small && by != 0.0 && by != -1.0 &&
        by == std::trunc(by) && to == std::trunc(to)))
    return;
  // The remainders (of magnitude below 2^29) for which the relation
  // holds, from `low` to `high`; those outside for /=.
  const auto k = static_cast<std::int32_t>(to);
  std::int32_t low = k, high = k;
  bool outside = false;
  switch (s.code) {
    case relcode::lt:
      low = least;
      high = k - 1;
      break;
    case relcode::gt:
      low = k + 1;
      high = most;
      break;
    case relcode::le:
      low = least;
      break;
    case relcode::ge:
      high = most;
      break;
    case relcode::eq:
      break;
    case relcode::ne:
      outside = true;
      break;
    default:
      return;
  }
  g.modby = by;
  g.modto = to;
  g.modbyint = static_cast<std::int32_t>(by);
  g.modlow = low;
  g.modspan = static_cast<std::uint32_t>(high) - static_cast<std::uint32_t>(low);
  g.modoutside = outside;
}

}  // namespace exec::fast
