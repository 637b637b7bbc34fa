// The steps of a program form over numbers (exec/fastpath_prog.h), as
// every run of a program takes them. Internal to the fast path.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/stores.h"
#include "exec/fastpath_prog.h"
#include "exec/operators.h"
#include "platform/fpu.h"

namespace exec::fast {

// An index or bound as the evaluator rounds it (halves away from zero).
inline std::int32_t intvalue(double v) {
  if (std::fabs(v) < 1073741824.0) {
    auto k = static_cast<std::int32_t>(v);
    const double frac = v - k;
    if (frac >= 0.5) ++k;
    if (frac <= -0.5) --k;
    return k;
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(nint64(v), -0x7FFFFFFF, 0x7FFFFFFE));
}

// MAX, MIN and the location forms over values, as the evaluator folds them
// (the accumulator starts with the first; a later value replaces it when
// strictly larger or smaller; the place of the last replacement).
inline bool foldvalues(unsigned fn, const double* v, std::int32_t n, double& out) {
  if (n < 1) return false;
  double acc = v[0];
  constexpr std::int32_t unset = static_cast<std::int32_t>(0x80000001u);
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

// A two-number step's operands: from cells or from the stack.
struct Pair {
  double a, b;
};
[[gnu::always_inline]] inline Pair operands(const PStep& s, const double* z, double*& n) {
  Pair p;
  p.b = (s.flag & 2) != 0 ? z[s.b] : *--n;
  p.a = (s.flag & 1) != 0 ? z[s.a] : *--n;
  return p;
}

// What a step over numbers did.
enum class Num : std::uint8_t {
  pushed,  // pushed its number or took the target
  made,    // made a number `r`, to check and push (one that is none gives up)
  giveup,  // the general path must run the statement
  other,   // a step of another kind
};

// Pushes the number a step made; false (the floating-point status
// cleared) for one that is none, or a failure the floating-point check
// would find: the general path's to report.
[[gnu::always_inline]] inline bool pushmade(double r, double*& n) {
  if (!std::isfinite(r)) {
    plat::fpu_clear();
    return false;
  }
  *n++ = r;
  return true;
}

// A step over numbers (the numbers n0..n, `lists` the list values).
[[gnu::always_inline]] inline Num numstep(const Prog& g, const PStep& s, const double* z,
                                          std::int32_t zsize, const double* lists, double*& n,
                                          double& r, std::int32_t& targetcell) {
  switch (s.op) {
    case P::num:
      if (s.a >= zsize) return Num::giveup;
      *n++ = z[s.a];
      return Num::pushed;
    case P::elem:
    case P::telem: {
      const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
      std::int32_t cell = 0;
      if (s.b == 1) {
        const std::int32_t i = intvalue(*--n);
        if (i < 1 || static_cast<std::int64_t>(i) > static_cast<std::int64_t>(a.rows) * a.cols)
          return Num::giveup;
        cell = a.first - 1 + i;
      } else {
        const std::int32_t col = intvalue(*--n);
        const std::int32_t row = intvalue(*--n);
        if (col < 1 || col > a.cols || row < 1 || row > a.rows) return Num::giveup;
        cell = a.first - 1 + a.cols * (row - 1) + col;
      }
      if (s.op == P::telem)
        targetcell = cell;
      else
        *n++ = z[cell];
      return Num::pushed;
    }
    case P::add: {
      const Pair p = operands(s, z, n);
      r = p.a + p.b;
      return Num::made;
    }
    case P::sub: {
      const Pair p = operands(s, z, n);
      r = p.a - p.b;
      return Num::made;
    }
    case P::mul: {
      const Pair p = operands(s, z, n);
      r = p.a * p.b;
      return Num::made;
    }
    case P::div: {
      const Pair p = operands(s, z, n);
      r = p.a / p.b;
      return Num::made;
    }
    case P::mod: {
      const Pair p = operands(s, z, n);
      r = modof(p.a, p.b);
      return Num::made;
    }
    case P::bin: {
      const Pair p = operands(s, z, n);
      if (binnumeric(s.code, p.a, p.b, false, r) != 0) return Num::giveup;
      return Num::made;
    }
    case P::rel: {
      const Pair p = operands(s, z, n);
      // The difference it tests may overflow: the general path reports
      // that (no number: the floating-point status is cleared).
      r = !std::isfinite(p.a - p.b)              ? std::nan("")
          : relholds(s.code, exprdiff(p.a, p.b)) ? 1.0
                                                 : 0.0;
      return Num::made;
    }
    case P::maxmin: {
      const Pair p = operands(s, z, n);
      r = (s.code == xop::max || s.code == xop::maxloc) ? (p.b > p.a ? p.b : p.a)
                                                        : (p.b < p.a ? p.b : p.a);
      return Num::made;
    }
    case P::una:
      r = unanumeric(s.code, *--n);
      return Num::made;
    case P::neg:
      r = -*--n;
      return Num::made;
    case P::log: {
      bool invalid = false;
      bool zero = false;
      if (s.b == 1) {
        const double x = *--n;
        zero = x == 0.0;
        r = logarithm(x, nullptr, invalid);
      } else {
        const double base = *--n;
        const double x = *--n;
        zero = x == 0.0 || base == 0.0;
        r = logarithm(x, &base, invalid);
      }
      // The logarithm of 0 divides by zero even when the quotient comes
      // out finite (LOG(8, 0) is -0): the floating-point check of the
      // general path stops the statement for it.
      if (invalid || zero) r = std::nan("");
      return Num::made;
    }
    case P::fold: {
      bool good = false;
      if (s.b == 0) {
        good = foldvalues(s.code, lists + g.listat[static_cast<std::size_t>(s.a)],
                          g.listsize[static_cast<std::size_t>(s.a)], r);
      } else {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        good = foldvalues(s.code, z + a.first, a.rows * a.cols, r);
      }
      if (!good) r = std::nan("");
      return Num::made;
    }
    default:
      return Num::other;
  }
}

// A program over numbers alone (Prog::plain): no texts, no lists, a short
// stack of its own. (runplain() runs it; the statement loop's chain of
// forms takes it in line.)
[[gnu::always_inline]] inline ProgResult plainsteps(const Prog& g) {
  ProgResult res;
  const double* const z = core::z.data();
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  double stack[plaindepth];
  double* n = stack;
  std::int32_t targetcell = 0;
  // A block condition that ends in a relation: that relation is the
  // condition, taken as it is tested.
  const PStep* const last = g.steps.data() + g.steps.size() - (g.condrel ? 1 : 0);
  for (const PStep* step = g.steps.data(); step != last; ++step) {
    const PStep& s = *step;
    double r = 0.0;
    switch (numstep(g, s, z, zsize, nullptr, n, r, targetcell)) {
      case Num::pushed:
        continue;
      case Num::made:
        if (!pushmade(r, n)) return res;
        continue;
      case Num::giveup:
        return res;
      case Num::other:
        break;
    }
    switch (s.op) {
      case P::ifnot:
        if (*--n == 0.0) {
          res.done = res.falsecond = true;
          return res;
        }
        continue;
      case P::tcell:
        targetcell = s.a;
        continue;
      case P::result:
        res.value = *--n;
        res.done = true;
        return res;
      case P::assign:
        if (targetcell < 1 || targetcell > core::nz || targetcell >= zsize) return res;
        res.value = *--n;
        continue;
      default:
        return res;
    }
  }
  if (g.condrel) {
    const Pair p = operands(*last, z, n);
    // (A difference that overflows is the general path's to report.)
    if (!std::isfinite(p.a - p.b)) {
      plat::fpu_clear();
      return res;
    }
    res.done = true;
    res.cond = relholds(last->code, exprdiff(p.a, p.b));
    return res;
  }
  res.done = true;
  if (g.blockkind != 0)
    res.cond = n[-1] != 0.0;
  else
    core::z.data()[targetcell] = res.value;
  return res;
}

}  // namespace exec::fast
