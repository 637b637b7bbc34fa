#include "exec/optitems.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/codewords.h"
#include "core/rawmem.h"
#include "core/stores.h"
#include "core/xform.h"
#include "exec/fastpath.h"
#include "exec/fastpath_form.h"
#include "exec/fastpath_numbers.h"
#include "exec/postfix_eval.h"
#include "exec/xeq.h"
#include "exec/xeqtemps.h"

namespace exec::optitems {

namespace {

namespace xf = core::xform;

std::size_t sz(std::int32_t i) { return static_cast<std::size_t>(i); }

// The descriptor kinds and stream words of the linked form (exec/xeq2.h)
// that items are made of.
constexpr std::uint32_t arraybase = 5002, indexclosed = 5003, oneindex = 5005, twoindices = 5006,
                        segopen = 5011, segclose = 5012, stringref = 5013, onerange = 5015,
                        splitindex = 5019, argblock = 5010;
constexpr std::uint32_t onechar = 0xF350, textrange = 0xF360, negate = 0xC880;

struct Entries {
  const LinkedStatement& L;
  std::uint32_t code(std::size_t i) const { return static_cast<std::uint16_t>(L.codes[i]); }
  std::int32_t value(std::size_t i) const { return L.values[i]; }
};

// How many evaluator stack entries entry i leaves beyond those it takes,
// for the words a program may be made of; `skip` receives the entries
// after it that belong to it. False for any other word.
bool stackmove(const Entries& E, std::size_t i, std::int32_t& move, std::size_t& skip) {
  const std::uint32_t w = E.code(i);
  skip = 0;
  if (evaldetail::isplainoperand(w) || core::isxoptmarker(w) || w == arraybase || w == stringref ||
      xf::ismovedargs(static_cast<std::int16_t>(w))) {
    move = 1;
    return true;
  }
  switch (w) {
    case oneindex:
      move = -1;
      return true;
    case twoindices:
      move = -2;
      return true;
    case core::cwu(xf::textmark):
    case onerange:
    case negate:
      move = 0;
      return true;
    case textrange:
      move = -2;
      return true;
    case onechar:
      move = -1;
      return true;
    case segopen: {
      // A fold of a list (its reference and the closer) or of one array
      // (its base, its closer and the segment's closer).
      const std::size_t n = E.L.codes.size();
      if (i + 2 < n && xf::ismovedargs(static_cast<std::int16_t>(E.code(i + 1))) &&
          E.code(i + 2) == segclose) {
        skip = 2;
      } else if (i + 3 < n && E.code(i + 1) == arraybase &&
                 (E.code(i + 2) == indexclosed || E.code(i + 2) == splitindex) &&
                 E.code(i + 3) == segclose) {
        skip = 3;
      } else {
        return false;
      }
      move = 1;
      return true;
    }
    default:
      break;
  }
  if ((w & 0x8020u) == 0x8020u && (w & 0xF800u) != 0xF800u) {
    move = -1;  // two operands become one
    return true;
  }
  if ((w & 0x6800u) == 0x6800u && !core::isstmtword(w)) {
    move = 0;  // one operand stays one
    return true;
  }
  if (core::isstmtword(w) && (w & 0xF800u) != 0xF800u) {
    move = -core::cwcount(w);  // a function of its arguments
    return true;
  }
  return false;
}

// The descriptors that entries from..to name.
void named(const Entries& E, std::size_t from, std::size_t to, std::vector<bool>& used) {
  for (std::size_t i = from; i < to; ++i) {
    const std::uint32_t w = E.code(i);
    const std::int32_t v = E.value(i);
    const bool names = w == arraybase || w == indexclosed || w == oneindex || w == twoindices ||
                       w == stringref || w == splitindex ||
                       xf::isblockend(static_cast<std::int16_t>(w)) ||
                       xf::ismovedargs(static_cast<std::int16_t>(w));
    if (names && v >= 1 && sz(v) < used.size()) used[sz(v)] = true;
  }
}

struct Maker {
  const LinkedStatement& L;
  Entries E{L};
  std::size_t prefixend = 0;  // the entries before the options: the prefix blocks
  std::vector<std::pair<std::int16_t, std::int16_t>>& types;
  Items& out;

  // The program of entries from..to as a statement of its own: the
  // statement's descriptors (those it does not name made empty lists),
  // its prefix blocks, then those entries as its value.
  std::int32_t program(std::size_t from, std::size_t to) {
    const std::int32_t nd = L.ndescr;
    std::vector<bool> used(sz(nd) + 1, false);
    named(E, sz(nd) + 1, prefixend, used);
    named(E, from, to, used);
    LinkedStatement p;
    p.codes.assign(L.codes.begin(), L.codes.begin() + nd + 1);
    p.values.assign(L.values.begin(), L.values.begin() + nd + 1);
    for (std::int32_t d = 1; d <= nd; ++d) {
      if (used[sz(d)]) continue;
      p.codes[sz(d)] = static_cast<std::int16_t>(argblock);
      p.values[sz(d)] = 1;
    }
    p.codes.insert(p.codes.end(), L.codes.begin() + nd + 1,
                   L.codes.begin() + static_cast<std::ptrdiff_t>(prefixend));
    p.values.insert(p.values.end(), L.values.begin() + nd + 1,
                    L.values.begin() + static_cast<std::ptrdiff_t>(prefixend));
    p.codes.insert(p.codes.end(), L.codes.begin() + static_cast<std::ptrdiff_t>(from),
                   L.codes.begin() + static_cast<std::ptrdiff_t>(to));
    p.values.insert(p.values.end(), L.values.begin() + static_cast<std::ptrdiff_t>(from),
                    L.values.begin() + static_cast<std::ptrdiff_t>(to));
    p.codes.push_back(xf::end);
    p.values.push_back(0);
    p.operands = L.operands;
    p.ndescr = nd;
    p.opflags = L.opflags;
    p.nelem = 1;
    p.lhsdescr = L.lhsdescr;
    fast::Prog g;
    std::vector<std::pair<std::int32_t, std::int16_t>> found;
    if (!fast::makeprog(p, g, found)) return -1;
    for (const auto& [s, t] : found) types.emplace_back(static_cast<std::int16_t>(s), t);
    out.progs.push_back(std::move(g));
    return static_cast<std::int32_t>(out.progs.size()) - 1;
  }

  // The program's value is a number.
  bool numeric(std::int32_t prog) const {
    const std::vector<fast::PStep>& st = out.progs[sz(prog)].steps;
    return !st.empty() && st.back().op == fast::P::result && st.back().b == 0;
  }

  std::int16_t typeof_(std::int32_t s) const {
    for (const auto& [sym, t] : L.operands)
      if (sym == s) return static_cast<std::int16_t>(t);
    return s >= 1 && s <= core::nname && core::name.valid(s) ? core::name(s).type : 0;
  }

  // Entries from..to make one value on the evaluator's stack: its units
  // (the entries of each value it holds while they are made), top last.
  bool units(std::size_t from, std::size_t to,
             std::vector<std::pair<std::size_t, std::size_t>>& u) {
    std::int32_t depth = 0;
    std::size_t start = from;
    for (std::size_t i = from; i < to;) {
      std::int32_t move = 0;
      std::size_t skip = 0;
      if (!stackmove(E, i, move, skip)) return false;
      depth += move;
      i += 1 + skip;
      if (depth < 0) return false;
      if (depth == static_cast<std::int32_t>(u.size()) + 1 && move >= 0 &&
          (i >= to || E.code(i) != core::cwu(xf::textmark))) {
        // (A text's mark belongs to the text before it.)
        u.emplace_back(start, i);
        start = i;
      } else if (depth <= static_cast<std::int32_t>(u.size())) {
        // A word that took values made earlier joins them into one.
        while (static_cast<std::int32_t>(u.size()) >= depth && !u.empty()) {
          start = u.back().first;
          u.pop_back();
        }
        u.emplace_back(start, i);
        start = i;
      }
    }
    return depth == static_cast<std::int32_t>(u.size());
  }

  bool item(std::size_t from, std::size_t to, bool reads) {
    Item it;
    const std::uint32_t w = E.code(from);
    const std::int32_t v = E.value(from);
    if (to - from == 1 && evaldetail::isplainoperand(w)) {
      // A variable or constant.
      if (v < 7 || v > core::nsym) return false;
      const std::int16_t t = typeof_(v);
      if (t != 0x80 && t != 0x81) return false;
      types.emplace_back(static_cast<std::int16_t>(v), t);
      it.sym = v;
      out.items.push_back(it);
      return true;
    }
    if (to - from == 2 && w == stringref && E.code(from + 1) == core::cwu(xf::textmark)) {
      // A text variable or constant (one bound to an open file too).
      if (v < 1 || v > L.ndescr) return false;
      const std::int32_t s = L.values[sz(v)];
      const std::int16_t t = typeof_(s);
      if (s < 1 || s > core::nsym || (t != 0x40 && t != 0x41 && t != 0x140)) return false;
      types.emplace_back(static_cast<std::int16_t>(s), t);
      it.sym = s;
      out.items.push_back(it);
      return true;
    }
    out.computed = true;
    const std::uint32_t last = E.code(to - 1);
    if (w == arraybase && (last == oneindex || last == twoindices) && E.value(to - 1) == v) {
      // An element: its array, and each subscript read from its cell or
      // made by a program.
      if (v < 1 || v > L.ndescr) return false;
      const std::int32_t a = L.values[sz(v)];
      const std::int16_t t = typeof_(a);
      if (a < 1 || a > core::nsym || (static_cast<std::uint16_t>(t) & 0x110u) != 0x10u)
        return false;
      types.emplace_back(static_cast<std::int16_t>(a), t);
      it.kind = Item::Kind::element;
      it.of = a;
      if (!subscripts(from + 1, to - 1, last == oneindex ? 1 : 2, it)) return false;
      out.items.push_back(it);
      return true;
    }
    const bool range = last == textrange && to - from >= 4 && E.code(to - 2) == onerange;
    if (w == stringref && (range || last == onechar)) {
      // A piece of a text (or one character): its text, and each bound
      // read from its cell or made by a program. A READ writes into it: a
      // variable's.
      if (v < 1 || v > L.ndescr) return false;
      const std::uint32_t kind = E.code(sz(v));
      const std::int32_t t = L.values[sz(v)];
      const auto type = static_cast<std::uint16_t>(typeof_(t));
      if ((kind != 5009 && kind != 5001) || t < 1 || t > core::nsym || (type & 0x7FEu) != 0x40u ||
          (reads && (type & 1u) != 0))
        return false;
      types.emplace_back(static_cast<std::int16_t>(t), static_cast<std::int16_t>(type));
      it.kind = Item::Kind::piece;
      it.of = t;
      if (!subscripts(from + 1, range ? to - 2 : to - 1, range ? 2 : 1, it)) return false;
      out.items.push_back(it);
      return true;
    }
    // A number (a READ into one reads into its temporary, as the general
    // path's does).
    it.prog = program(from, to);
    if (it.prog < 0 || !numeric(it.prog)) return false;
    it.kind = Item::Kind::number;
    out.items.push_back(it);
    return true;
  }

  // Entries from..to are the n subscripts (or bounds) of item it.
  bool subscripts(std::size_t from, std::size_t to, std::int32_t n, Item& it) {
    std::vector<std::pair<std::size_t, std::size_t>> subs;
    if (!units(from, to, subs) || static_cast<std::int32_t>(subs.size()) != n) return false;
    it.nsubs = n;
    for (std::size_t k = 0; k < subs.size(); ++k) {
      const auto [a0, a1] = subs[k];
      const std::int32_t s = E.value(a0);
      if (a1 - a0 == 1 && evaldetail::isplainoperand(E.code(a0)) && s >= 1 && s <= core::nsym &&
          (typeof_(s) == 0x80 || typeof_(s) == 0x81)) {
        types.emplace_back(static_cast<std::int16_t>(s), typeof_(s));
        it.subcell[k] = s;
        continue;
      }
      it.subprog[k] = program(a0, a1);
      if (it.subprog[k] < 0 || !numeric(it.subprog[k])) return false;
    }
    return true;
  }
};

// The result cells from `first` on, `n` of them, are free cells of the
// general path's (with their records).
bool freecells(std::int32_t first, std::int32_t n) {
  const std::int32_t last = first + n - 1;
  return first > core::nsym && last < core::nname && last < core::nztop &&
         last < static_cast<std::int32_t>(core::z.size()) && core::name.valid(last);
}

// Where the temporaries of n items go: the result cells at the top of the
// free ones, far from those the statement's evaluation and transfer take.
std::int32_t topcells(std::int32_t n) { return std::min(core::nztop, core::nname) - 1 - n; }

}  // namespace

bool make(const LinkedStatement& L, std::int32_t pairs, bool reads,
          std::vector<std::pair<std::int16_t, std::int16_t>>& types, Items& out) {
  out = Items{};
  out.reads = reads;
  const std::size_t total = L.codes.size();
  const auto nd = static_cast<std::size_t>(L.ndescr);
  if (L.split != 0 || L.nelem != 1 || L.swappos != 0 || total < nd + 3 || L.codes.back() != xf::end)
    return false;
  Maker m{L, Entries{L}, 0, types, out};
  // The prefix blocks come first, then the options (a marker and its value
  // each), then the items; the statement's word ends them.
  std::size_t i = nd + 1;
  while (i < total && !core::isxoptmarker(m.E.code(i))) ++i;
  m.prefixend = i;
  const std::size_t stmt = total - 2;
  if ((m.E.code(stmt) & 0xF800u) != 0xF800u) return false;
  std::vector<std::pair<std::size_t, std::size_t>> u;
  if (!m.units(m.prefixend, stmt, u) || static_cast<std::int32_t>(u.size()) < 2 * pairs + 1)
    return false;
  // The options' markers and values are plain (as the words read them).
  for (std::size_t k = 0; k < static_cast<std::size_t>(2 * pairs); ++k) {
    const auto [a, b] = u[k];
    const std::uint32_t w = m.E.code(a);
    const bool plain =
        b - a == 1 ? evaldetail::isplainoperand(w) || core::isxoptmarker(w)
                   : b - a == 2 && w == stringref && m.E.code(a + 1) == core::cwu(xf::textmark);
    if (!plain) return false;
  }
  for (std::size_t k = static_cast<std::size_t>(2 * pairs); k < u.size(); ++k)
    if (!m.item(u[k].first, u[k].second, reads)) return false;
  out.cells = static_cast<std::int32_t>(total) + 8;
  if (!out.computed) return true;
  // The temporaries, their records made for what they take.
  const auto n = static_cast<std::int32_t>(out.items.size());
  out.base = topcells(n);
  if (!freecells(out.base, n) || firsttemp + out.cells >= out.base) return false;
  for (std::int32_t k = 0; k < n; ++k) {
    Item& it = out.items[sz(k)];
    if (it.kind == Item::Kind::symbol) continue;
    it.sym = out.base + k;
    newtemprecord(it.sym);
    if (it.kind == Item::Kind::piece) core::name(it.sym).type = strtemptype;
  }
  return true;
}

namespace {

// The value of a program; false when it gives up. (One on numbers alone
// runs by its own runner.)
bool valueof(const fast::Prog& g, double& value) {
  if (g.plain) return fast::plainvalue(g, value);
  const fast::ProgResult r = fast::runprog(g);
  value = r.value;
  return r.done;
}

// Finds what the general path's set-up finds of the items' programs and
// texts (kept while the forms' epoch stays).
bool readyitems(Items& it) {
  for (fast::Prog& g : it.progs)
    if (!fast::readyprog(g)) return false;
  for (Item& item : it.items) {
    if (item.kind == Item::Kind::element) {
      fast::ArrayPlace at;
      if (!fast::arrayplace(item.of, at)) return false;
      item.first = at.first;
      item.rows = at.rows;
      item.cols = at.cols;
      item.length = at.count;
      continue;
    }
    if (item.kind != Item::Kind::piece) continue;
    std::int32_t f = 0, l = 0;
    // A text read forwards with valid bounds (an empty one has last = first - 1).
    if (core::ISCHAR(item.of, f, l) == 0 || f < 1 || l < f - 1 || l > core::c1namen.last())
      return false;
    item.first = f;
    item.length = l - f + 1;
    item.bounds[0] = item.bounds[1] = std::numeric_limits<double>::quiet_NaN();
  }
  it.readied = fast::epoch;
  return true;
}

}  // namespace

bool fill(Items& it) {
  if (!it.computed) return true;
  const auto n = static_cast<std::int32_t>(it.items.size());
  // The temporaries stand where they were chosen, above every cell the
  // general path would take for the statement.
  // (While the stores keep their sizes the cells chosen stay free cells.)
  // (placed() the caller has found.)
  if (it.base <= core::nsym || firsttemp + it.cells >= it.base) return false;
  if (it.readied != fast::epoch && !readyitems(it)) return false;
  // Every value is found before any temporary is written.
  double* const z = core::z.data();
  double values[64];
  if (n > 64) return false;
  for (std::int32_t k = 0; k < n; ++k) {
    Item& item = it.items[sz(k)];
    if (item.kind == Item::Kind::symbol) continue;
    if (item.kind == Item::Kind::number) {
      if (!valueof(it.progs[sz(item.prog)], values[k])) return false;
      continue;
    }
    double sub[2];
    for (std::int32_t j = 0; j < item.nsubs; ++j) {
      if (item.subcell[j] != 0) {
        sub[j] = z[item.subcell[j]];
        continue;
      }
      if (!valueof(it.progs[sz(item.subprog[j])], sub[j])) return false;
    }
    if (item.kind == Item::Kind::element) {
      // The cell as the evaluator finds it (indices rounded, each within
      // the array's shape).
      if (item.nsubs == 1) {
        const std::int32_t i = fast::indexin(sub[0], item.length);
        if (i == 0) return false;
        item.cell = item.first - 1 + i;
      } else {
        const std::int32_t row = fast::indexin(sub[0], item.rows);
        const std::int32_t col = fast::indexin(sub[1], item.cols);
        if (row == 0 || col == 0) return false;
        item.cell = item.first - 1 + item.cols * (row - 1) + col;
      }
      values[k] = z[item.cell];
      continue;
    }
    // A piece as the evaluator takes one (its bounds rounded, within the
    // text and in order; one read backwards is a copy: the general path's).
    // The bounds of the last fill make the same piece of the same text.
    if (item.nsubs == 1) sub[1] = sub[0];
    if (sub[0] == item.bounds[0] && sub[1] == item.bounds[1]) {
      values[k] = item.piece;
      continue;
    }
    const std::int32_t a = fast::intvalue(sub[0]);
    const std::int32_t b = fast::intvalue(sub[1]);
    const std::int32_t len = item.length;
    if (len == 0 || a < 1 || a > len || b < 1 || b > len || a > b) return false;
    core::TRANSFER2I4TOR8(item.first + a - 1, item.first + b - 1, values[k]);
    item.bounds[0] = sub[0];
    item.bounds[1] = sub[1];
    item.piece = values[k];
  }
  // (The temporaries' records, from it.base on: in the store while it
  // keeps its size, as make() found them.)
  if (!core::name.valid(it.base + n - 1)) return false;
  core::SymbolRecord* const records = core::name.data() + (it.base - 1);
  for (std::int32_t k = 0; k < n; ++k) {
    const Item& item = it.items[sz(k)];
    if (item.kind == Item::Kind::symbol) continue;
    const std::int16_t type = item.kind == Item::Kind::piece ? strtemptype : numtemptype;
    core::SymbolRecord& r = records[k];
    if (r.type != type) {
      r = core::SymbolRecord{};
      r.type = type;
    }
    z[item.sym] = values[k];
  }
  return true;
}

void givebackread(const Items& it) {
  double* const z = core::z.data();
  for (const Item& item : it.items)
    if (item.kind == Item::Kind::element) z[item.cell] = z[item.sym];
}

}  // namespace exec::optitems
