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
#include "exec/fastpath_prog.h"
#include "exec/operators.h"
#include "platform/fpu.h"

namespace exec::fast {

namespace {

constexpr std::int32_t maxtemps = 31;
constexpr std::int32_t unset = static_cast<std::int32_t>(0x80000001u);

struct TextVal {
  std::int32_t pos = 0;  // first position in `c1namen`, or the offset in the area
  std::int32_t len = 0;
  std::int32_t tmp = 0;  // its descriptor or temporary number
  bool area = false;
  std::int32_t sym = 0;  // the variable it is a piece of, 0 none
};

struct Val {
  double num = 0.0;
  std::int32_t cell = 0;   // the cell it stands in, 0 a computed value
  std::int32_t text = -1;  // its text, -1 a number
};

// The run's state (kept between runs, so that nothing is allocated once
// the areas are large enough).
struct Run {
  std::vector<Val> stack;
  std::vector<TextVal> texts;
  std::vector<double> lists;
  std::vector<std::int32_t> listat, listsize;
  std::string area;  // the temporary area from its first position on
  std::string join;
  std::int32_t top = 0;     // the area's next free offset
  std::int32_t high = 0;    // the furthest offset the evaluator would touch
  std::int32_t tmplen = 0;  // length of the temporary made last
  std::int32_t ndescr = 0;  // descriptors and temporaries numbered so far
};
thread_local Run run;

std::int32_t intvalue(double v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(nint64(v), -0x7FFFFFFF, 0x7FFFFFFE));
}

std::string_view chars(const TextVal& t) {
  if (t.len <= 0) return {};
  const char* p = t.area ? run.area.data() + t.pos : core::c1namen.data() + (t.pos - 1);
  return {p, static_cast<std::size_t>(t.len)};
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
  run.texts.push_back(t);
  return static_cast<std::int32_t>(run.texts.size()) - 1;
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
  std::string& r = run.join;
  r.assign(a);
  r.append(g, ' ');
  r.append(b);
  const auto len = static_cast<std::int32_t>(r.size());
  areato(start + len + 1);
  if (len > 0) std::memcpy(run.area.data() + start, r.data(), r.size());
  out = TextVal{start, len, t, true, 0};
  run.top = std::max(run.top, start + len);
  if (t == x.tmp || t == y.tmp) run.top = start + len;
  return true;
}

// MAX, MIN and the location forms over values, as the evaluator folds them
// (the accumulator starts with the first; a later value replaces it when
// strictly larger or smaller; the place of the last replacement).
bool foldvalues(unsigned fn, const double* v, std::int32_t n, double& out) {
  if (n < 1) return false;
  double acc = v[0];
  std::int32_t found = 0, pos = unset;
  const bool sum = fn == xop::sum;
  const bool larger = fn == xop::max || fn == xop::maxloc;
  for (std::int32_t i = 1; i < n; ++i) {
    const double b = v[i];
    if (sum) {
      acc = acc + b;
      if (!std::isfinite(acc)) return false;
      continue;
    }
    if (larger ? b > acc : b < acc) {
      pos = i + 1;
      acc = b;
    } else if (pos == unset) {
      pos = 1;
    }
    if (pos != unset) found = pos;
  }
  out = (fn == xop::maxloc || fn == xop::minloc) ? std::max(found, 1) : acc;
  return std::isfinite(out);
}

}  // namespace

bool readyprog(Prog& g) {
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  for (Slot& s : g.slots) {
    if (s.sym < 1 || s.sym >= zsize) return false;
    if (s.array) {
      std::int32_t shape[2];
      std::memcpy(shape, core::z.data() + s.sym, sizeof shape);
      const std::int64_t count = static_cast<std::int64_t>(shape[0]) * shape[1];
      const std::int32_t adr = core::name(s.sym).adr;
      if (shape[0] <= 0 || shape[1] <= 0 || count > 0x7FFFFFFF || adr < 11 || adr + count > zsize)
        return false;
      s.first = adr;
      s.rows = shape[0];
      s.cols = shape[1];
      continue;
    }
    std::int32_t f = 0, l = 0;
    // A text read forwards with valid bounds (an empty one has last = first - 1).
    if (core::ISCHAR(s.sym, f, l) == 0 || f < 1 || l < f - 1 || l > core::c1namen.last())
      return false;
    s.first = f;
    s.len = l - f + 1;
  }
  return true;
}

ProgResult runprog(const Prog& g, std::int32_t firstcell) {
  ProgResult res;
  Run& R = run;
  const double* const z = core::z.data();
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  if (R.stack.size() < static_cast<std::size_t>(g.depth) + 1)
    R.stack.resize(static_cast<std::size_t>(g.depth) + 1);
  Val* const st = R.stack.data();
  std::int32_t sp = 0;  // entries st[0..sp)
  R.top = R.high = R.tmplen = 0;
  R.ndescr = g.nlinked;
  std::int32_t cells = g.cells;
  if (g.texts) {
    R.texts.clear();
    // The set-up: every text slot as it stands, copies into the area.
    for (const Slot& s : g.slots) {
      if (s.array) {
        R.texts.emplace_back();
        continue;
      }
      TextVal t{s.first, s.len, 0, false, s.sym};
      if (s.copy && s.len > 0) t = maketemp(chars(t), 0);
      R.texts.push_back(t);
    }
    // (Descriptor numbers: slot i's is its place among the descriptors.)
  }
  for (const Slot& s : g.slots)
    if (s.array && s.copy) cells += s.rows * s.cols;
  if (!g.lists.empty()) {
    R.listat.resize(g.lists.size());
    R.listsize.resize(g.lists.size());
    std::int32_t at = 0;
    for (std::size_t l = 0; l < g.lists.size(); ++l) {
      R.listat[l] = at;
      R.listsize[l] = g.lists[l];
      at += g.lists[l];
    }
    if (R.lists.size() < static_cast<std::size_t>(at)) R.lists.resize(static_cast<std::size_t>(at));
    std::fill(R.lists.begin(), R.lists.begin() + at, 0.0);
  }
  bool ok = true;
  std::int32_t assignedcell = 0, assignedtext = -1, fromtext = -1;
  double assignedvalue = 0.0;
  for (const PStep& s : g.steps) {
    switch (s.op) {
      case P::num:
        if (s.a >= zsize) return res;
        st[sp++] = {z[s.a], s.a, -1};
        break;
      case P::elem: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        std::int32_t cell = 0;
        if (s.b == 1) {
          const std::int32_t i = intvalue(st[--sp].num);
          if (i < 1 || static_cast<std::int64_t>(i) > static_cast<std::int64_t>(a.rows) * a.cols)
            return res;
          cell = a.first - 1 + i;
        } else {
          const std::int32_t col = intvalue(st[--sp].num);
          const std::int32_t row = intvalue(st[--sp].num);
          if (col < 1 || col > a.cols || row < 1 || row > a.rows) return res;
          cell = a.first - 1 + a.cols * (row - 1) + col;
        }
        st[sp++] = {z[cell], cell, -1};
        break;
      }
      case P::text:
        st[sp++] = {0.0, 0, s.a};
        break;
      case P::substr:
      case P::onechar: {
        std::int32_t a = 0, b = 0;
        if (s.op == P::substr) {
          b = intvalue(st[--sp].num);
          a = intvalue(st[--sp].num);
        } else {
          a = b = intvalue(st[--sp].num);
        }
        const TextVal t = R.texts[static_cast<std::size_t>(st[sp - 1].text)];
        // (A piece read backwards is a copy of its own: the general path's.)
        if (t.len == 0 || a < 1 || a > t.len || b < 1 || b > t.len || a > b) return res;
        TextVal p{t.pos + a - 1, b - a + 1, 0, t.area, t.sym};
        if (!newtemp(p.tmp)) return res;
        st[sp - 1].text = newtext(p);
        break;
      }
      case P::bin: {
        const double b = st[--sp].num, a = st[sp - 1].num;
        double r = 0.0;
        if (exprrel(s.code) >= 0 && !std::isfinite(a - b)) ok = false;
        if (!ok || binnumeric(s.code, a, b, false, r) != 0 || !std::isfinite(r)) {
          ok = false;
          break;
        }
        st[sp - 1] = {r, 0, -1};
        break;
      }
      case P::maxmin: {
        const double b = st[--sp].num, a = st[sp - 1].num;
        const bool takeb = (s.code == xop::max || s.code == xop::maxloc) ? b > a : b < a;
        st[sp - 1] = {takeb ? b : a, 0, -1};
        break;
      }
      case P::una: {
        const double r = unanumeric(s.code, st[sp - 1].num);
        if (!std::isfinite(r)) {
          ok = false;
          break;
        }
        st[sp - 1] = {r, 0, -1};
        break;
      }
      case P::neg:
        st[sp - 1] = {-st[sp - 1].num, 0, -1};
        break;
      case P::log: {
        bool invalid = false;
        double r = 0.0;
        if (s.b == 1) {
          r = logarithm(st[sp - 1].num, nullptr, invalid);
        } else {
          const double base = st[--sp].num;
          r = logarithm(st[sp - 1].num, &base, invalid);
        }
        if (invalid || !std::isfinite(r)) {
          ok = false;
          break;
        }
        st[sp - 1] = {r, 0, -1};
        break;
      }
      case P::list: {
        double* const l = R.lists.data() + R.listat[static_cast<std::size_t>(s.a)];
        for (std::int32_t i = 0; i < s.b; ++i) l[i] = st[sp - s.b + i].num;
        sp -= s.b;
        if (s.b < g.lists[static_cast<std::size_t>(s.a)])
          R.listsize[static_cast<std::size_t>(s.a)] = std::max(s.b, 1);
        break;
      }
      case P::ref:
        st[sp++] = {R.lists[static_cast<std::size_t>(R.listat[static_cast<std::size_t>(s.a)])], 0,
                    -1};
        break;
      case P::fold: {
        double r = 0.0;
        bool good = false;
        if (s.b == 0) {
          good = foldvalues(s.code, R.lists.data() + R.listat[static_cast<std::size_t>(s.a)],
                            R.listsize[static_cast<std::size_t>(s.a)], r);
        } else {
          const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
          good = foldvalues(s.code, z + a.first, a.rows * a.cols, r);
        }
        if (!good) {
          ok = false;
          break;
        }
        st[sp++] = {r, 0, -1};
        break;
      }
      case P::cat: {
        const TextVal y = R.texts[static_cast<std::size_t>(st[--sp].text)];
        const TextVal x = R.texts[static_cast<std::size_t>(st[sp - 1].text)];
        TextVal out;
        if (!join(x, y, s.code, g.nlinked, out)) return res;
        st[sp - 1] = {0.0, 0, newtext(out)};
        break;
      }
      case P::trim: {
        TextVal t = R.texts[static_cast<std::size_t>(st[sp - 1].text)];
        if (t.len < 1) return res;
        // A linked descriptor keeps its bounds: TRIM works on a new temporary.
        if (t.tmp <= g.nlinked && !newtemp(t.tmp)) return res;
        t.len = std::max(core::C1LEN_TRIM(chars(t)), 1);
        st[sp - 1].text = newtext(t);
        break;
      }
      case P::len:
      case P::lentrim:
      case P::ichar: {
        const TextVal& t = R.texts[static_cast<std::size_t>(st[sp - 1].text)];
        const std::string_view c = chars(t);
        double r = t.len;
        if (s.op == P::lentrim) r = core::C1LEN_TRIM(c);
        if (s.op == P::ichar) r = c.empty() ? 0.0 : static_cast<unsigned char>(c[0]);
        st[sp - 1] = {r, 0, -1};
        break;
      }
      case P::index: {
        const std::string_view needle = chars(R.texts[static_cast<std::size_t>(st[--sp].text)]);
        const std::string_view hay = chars(R.texts[static_cast<std::size_t>(st[sp - 1].text)]);
        double r = 0.0;
        if (!hay.empty() && !needle.empty()) {
          int notfound = 0;
          const int pos = core::SEARCH(hay, needle, 1, static_cast<int>(hay.size()), 0, notfound);
          r = notfound != 0 ? 0.0 : pos;
          int len = 0;
          core::MATCHEDLENGTH(len);
          core::matchlen = len;
        }
        st[sp - 1] = {r, 0, -1};
        break;
      }
      case P::chr: {
        const double x = st[sp - 1].num;
        if (!(std::fabs(x) < 1.0e15)) return res;
        const char c = static_cast<char>(static_cast<std::int64_t>(std::round(x)) & 0xFF);
        std::int32_t t = 0;
        if (!newtemp(t)) return res;
        st[sp - 1] = {0.0, 0, newtext(maketemp(std::string_view(&c, 1), t))};
        break;
      }
      case P::rel: {
        const std::string_view b = chars(R.texts[static_cast<std::size_t>(st[--sp].text)]);
        const std::string_view a = chars(R.texts[static_cast<std::size_t>(st[sp - 1].text)]);
        st[sp - 1] = {relholds(exprrel(s.code), core::C1_LT_EQ_GT(a, b)) ? 1.0 : 0.0, 0, -1};
        break;
      }
      case P::ifnot:
        if (st[sp - 1].num == 0.0) {
          res.falsecond = true;
          goto done;
        }
        break;
      case P::assign: {
        const Val v = st[--sp];
        const Val t = st[sp - 1];
        if (v.text < 0) {
          // A number into a variable's or an element's cell.
          const std::int32_t c = t.cell;
          if (c < 1 || c > core::nz || c >= zsize) return res;
          if (c <= core::nsym && (core::name(c).type & 0x53) != 0) return res;
          assignedcell = c;
          assignedvalue = v.num;
        } else {
          const TextVal& to = R.texts[static_cast<std::size_t>(t.text)];
          if (to.area || to.sym < 1 || to.len < 1 || (core::name(to.sym).type & 0x1) != 0)
            return res;
          assignedtext = t.text;
          fromtext = v.text;
        }
        break;
      }
    }
    if (!ok) {
      // The general path finds the failed calculation itself.
      plat::fpu_clear();
      return res;
    }
  }
done:
  // The general path would grow no store for this statement.
  if (!cellsfrom(firstcell, cells)) return res;
  if (R.high > 0 && static_cast<std::int64_t>(core::c1top) + 2 + R.high >= core::c1limit)
    return res;
  res.done = true;
  if (g.blockkind != 0) {
    res.cond = st[sp - 1].num != 0.0;
    return res;
  }
  if (res.falsecond) return res;
  if (assignedtext >= 0) {
    const TextVal& to = R.texts[static_cast<std::size_t>(assignedtext)];
    const std::string_view from = chars(R.texts[static_cast<std::size_t>(fromtext)]);
    char* const at = core::c1namen.data() + (to.pos - 1);
    const std::size_t n = std::min(from.size(), static_cast<std::size_t>(to.len));
    if (n > 0) std::memmove(at, from.data(), n);
    if (static_cast<std::size_t>(to.len) > n)
      std::memset(at + n, ' ', static_cast<std::size_t>(to.len) - n);
    std::int32_t bounds[2] = {to.pos, to.pos + to.len - 1};
    std::memcpy(&res.value, bounds, sizeof res.value);
    res.textresult = true;
  } else {
    core::z.data()[assignedcell] = assignedvalue;
    res.value = assignedvalue;
  }
  return res;
}

}  // namespace exec::fast
