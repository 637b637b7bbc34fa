// The steps of a program form over numbers (exec/fastpath_prog.h), as
// every run of a program takes them. Internal to the fast path.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/chars.h"
#include "core/stores.h"
#include "exec/fastpath_prog.h"
#include "exec/operators.h"
#include "platform/fpu.h"

namespace exec::fast {

// intvalue() of a number that is no whole number of 32 bits.
[[gnu::noinline]] inline std::int32_t intround(double v) {
  if (std::fabs(v) < 1073741824.0) {
    auto k = static_cast<std::int32_t>(v);
    const double frac = v - k;
    if (frac >= 0.5) ++k;
    if (frac <= -0.5) --k;
    return k;
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(nint64(v), -0x7FFFFFFF, 0x7FFFFFFE));
}

// An index or bound as the evaluator rounds it (halves away from zero).
// (A whole number below 2^30 each way, the commonest, is itself: it
// converts back to itself, which a number outside the 32-bit range or none
// does not, the processor's conversion giving the least 32-bit number.)
[[gnu::always_inline]] inline std::int32_t intvalue(double v) {
#if defined(__SSE2__)
  const std::int32_t whole = _mm_cvttsd_si32(_mm_set_sd(v));
  if (static_cast<double>(whole) == v &&
      static_cast<std::uint32_t>(whole) + 0x40000000u < 0x80000000u) [[likely]]
    return whole;
#endif
  return intround(v);
}

// The place (1 up to n, n below 2^31 - 1) that an index of value v names
// as intvalue() rounds it, or 0 for none. (A whole number in range, the
// commonest, takes one conversion each way and one comparison.)
[[gnu::always_inline]] inline std::int32_t indexin(double v, std::int32_t n) {
#if defined(__SSE2__)
  const std::int32_t whole = _mm_cvttsd_si32(_mm_set_sd(v));
  if (static_cast<double>(whole) == v &&
      static_cast<std::uint32_t>(whole) - 1u < static_cast<std::uint32_t>(n)) [[likely]]
    return whole;
#endif
  const std::int32_t i = intvalue(v);
  return i >= 1 && i <= n ? i : 0;
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

// MAX or MIN (or their location forms) `code` of a and b.
[[gnu::always_inline]] inline double maxminof(std::uint16_t code, double a, double b) {
  return (code == xop::max || code == xop::maxloc) ? (b > a ? b : a) : (b < a ? b : a);
}

// A text operand read in place (P::charat, P::pairat, P::textcopy): the
// whole of text slot a (kind 0), the character at the top number (1) or the
// piece between the two top numbers (2), taken off the stack; its first
// place and length. False for a piece outside the text or backwards: the
// general path's (it reports the one and copies the other).
[[gnu::always_inline]] inline bool textat(const Slot& a, unsigned kind, double*& n,
                                          std::int32_t& first, std::int32_t& len) {
  if (kind == 0) {
    first = 1;
    len = a.len;
    return true;
  }
  const std::int32_t last = intvalue(*--n);
  first = kind == 2 ? intvalue(*--n) : last;
  if (a.len == 0 || first < 1 || last > a.len || first > last) return false;
  len = last - first + 1;
  return true;
}
// The characters of such an operand.
[[gnu::always_inline]] inline std::string_view textchars(const Slot& a, std::int32_t first,
                                                         std::int32_t len) {
  if (len <= 0) return {};
  return {core::c1namen.data() + (a.first - 1) + (first - 1), static_cast<std::size_t>(len)};
}

// P::pairat over the numbers below n: the stack's new top with its number
// pushed, nullptr when the general path must run the statement. (Out of
// line, and no local of the caller's taken by address: the loops that run
// the steps keep theirs in registers.)
double* pairtexts(const Prog& g, const PStep& s, double* n);
// P::textcopy (Q::textcopy s) over the numbers below n: the statement's
// effect made (done), or nothing changed.
ProgResult copytext(const Prog& g, const QStep& s, double* n);

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
        const std::int32_t i = indexin(*--n, a.count);
        if (i == 0) return Num::giveup;
        cell = a.cell(i);
      } else {
        const std::int32_t col = indexin(*--n, a.cols);
        const std::int32_t row = indexin(*--n, a.rows);
        if (col == 0 || row == 0) return Num::giveup;
        cell = a.cell(row, col);
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
      r = maxminof(s.code, p.a, p.b);
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
    case P::charat: {
      const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
      const P use = static_cast<P>(s.code);
      if (s.b == 0) {
        // (A whole text may be empty.)
        const std::string_view c = textchars(a, 1, a.len);
        *n++ = use == P::ichar ? (c.empty() ? 0.0 : static_cast<unsigned char>(c[0]))
               : use == P::len ? static_cast<double>(c.size())
                               : core::C1LEN_TRIM(c);
        return Num::pushed;
      }
      std::int32_t first = 0, len = 0;
      if (!textat(a, static_cast<unsigned>(s.b), n, first, len)) return Num::giveup;
      const char* const c = core::c1namen.data() + (a.first - 1) + (first - 1);
      *n++ = use == P::ichar ? static_cast<unsigned char>(c[0])
             : use == P::len ? static_cast<double>(len)
                             : core::C1LEN_TRIM(std::string_view(c, static_cast<std::size_t>(len)));
      return Num::pushed;
    }
    case P::pairat: {
      double* const top = pairtexts(g, s, n);
      if (top == nullptr) return Num::giveup;
      n = top;
      return Num::pushed;
    }
    case P::fold: {
      bool good = false;
      if (s.b == 0) {
        good = foldvalues(s.code, lists + g.lists[static_cast<std::size_t>(s.a)].at,
                          g.lists[static_cast<std::size_t>(s.a)].size, r);
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

// The operands of a two-number step as its code says (Q): from the
// stack or from cells.
template <int from>
[[gnu::always_inline]] inline Pair takeoperands(const QStep& s, const double* z, double*& n) {
  Pair p;
  p.b = (from & 2) != 0 ? z[s.b] : *--n;
  p.a = (from & 1) != 0 ? z[s.a] : *--n;
  return p;
}

// MOD as modof gives it, its commonest case (whole numbers of 32 bits)
// in line. (The processor's conversion gives the least 32-bit number for
// a number outside the range or none, which converts back to itself only
// when it was that number.)
[[gnu::always_inline]] inline double modinline(double a, double b) {
#if defined(__SSE2__)
  const std::int32_t ia = _mm_cvttsd_si32(_mm_set_sd(a));
  const std::int32_t ib = _mm_cvttsd_si32(_mm_set_sd(b));
  if (static_cast<double>(ia) == a && static_cast<double>(ib) == b &&
      static_cast<std::uint32_t>(ib) + 1u > 1u) {
    const std::int32_t r = ia % ib;
    return r == 0 ? std::copysign(0.0, a) : static_cast<double>(r);
  }
#else
  if (std::fabs(a) < 2147483648.0 && std::fabs(b) < 2147483648.0 && b != 0.0) {
    const auto ia = static_cast<std::int32_t>(a), ib = static_cast<std::int32_t>(b);
    if (static_cast<double>(ia) == a && static_cast<double>(ib) == b && ib != -1) {
      const std::int32_t r = ia % ib;
      return r == 0 ? std::copysign(0.0, a) : static_cast<double>(r);
    }
  }
#endif
  return modof(a, b);
}

// A relation between two numbers as the expression path tests it.
[[gnu::always_inline]] inline bool relates(int rel, double a, double b) {
  return relholds(rel, exprdiff(a, b));
}

// A block condition of one step (Prog::onetest) on the cells of `z`, all
// below its size: false when the general path must run the statement
// (the floating-point status cleared: the general path reports the
// failure itself).
[[gnu::always_inline]] inline bool onetest(const QStep& s, const double* z, bool& cond) {
  double a = 0.0;
  switch (s.op) {
    case Q::addtest:
      a = z[s.a] + z[s.b];
      break;
    case Q::subtest:
      a = z[s.a] - z[s.b];
      break;
    case Q::multest:
      a = z[s.a] * z[s.b];
      break;
    case Q::divtest:
      a = z[s.a] / z[s.b];
      break;
    default:
      a = modinline(z[s.a], z[s.b]);
      break;
  }
  const double b = z[s.c];
  // (A difference that overflows is the general path's to report.)
  if (!std::isfinite(a) || !std::isfinite(a - b)) {
    plat::fpu_clear();
    return false;
  }
  cond = relates(s.code, a, b);
  return true;
}

// Finds whether the divisor and the number of the Q::modtest condition of
// g stand in cells as modrelation() takes them, and keeps them in g when so.
void modfit(Prog& g, const double* z);

// A Q::modtest condition whose divisor and number are the ones modfit()
// kept: the remainder of a whole number of 32 bits by a divisor of
// magnitude below 2^29 (not 0 or -1) is below it, and with a whole number
// of that size each way their difference is 0 or at least 1, which the
// expression path's tolerance (relative 1e-9) leaves as it is: the
// relation is decided on integers, as a range of remainders. False when
// the cells hold anything else (the number from cell a not whole or
// beyond 32 bits): onetest() decides then.
[[gnu::always_inline]] inline bool modrelation(const Prog& g, const double* z, bool& cond) {
  const QStep& s = g.quick[0];
  if (z[s.b] != g.modby || z[s.c] != g.modto) return false;
  const double x = z[s.a];
#if defined(__SSE2__)
  const std::int32_t ix = _mm_cvttsd_si32(_mm_set_sd(x));
#else
  if (!(std::fabs(x) < 2147483648.0)) return false;
  const auto ix = static_cast<std::int32_t>(x);
#endif
  if (static_cast<double>(ix) != x) return false;
  const auto r = static_cast<std::uint32_t>(ix % g.modbyint);
  cond = (r - static_cast<std::uint32_t>(g.modlow) <= g.modspan) != g.modoutside;
  return true;
}

// A block condition of one step (Prog::onetest): as onetest() decides it,
// a MOD related to a number on integers where it can.
[[gnu::always_inline]] inline bool blocktest(Prog& g, const double* z, bool& cond) {
  if (g.quick[0].op == Q::modtest) {
    if (modrelation(g, z, cond)) return true;
    modfit(g, z);
  }
  return onetest(g.quick[0], z, cond);
}

// Whether program g (Prog::plain) is a target cell and one two-number
// step of two cells assigned to it: its value is cellsvalue() of its
// second step. (Looked at in order: the steps end at the first Q::end.)
inline bool onecellsstep(const Prog& g) {
  const QStep* const q = g.quick.get();
  if (q == nullptr || q[0].op != Q::tcell) return false;
  switch (q[1].op) {
    case Q::add3:
    case Q::sub3:
    case Q::mul3:
    case Q::div3:
    case Q::mod3:
    case Q::maxmin3:
      return q[2].op == Q::assign && q[3].op == Q::end;
    default:
      return false;
  }
}
// The value of such a step (s) as plainsteps() makes it.
// (stepvalue(): of the operands' values a and b, op and code the step's.)
[[gnu::always_inline]] inline double stepvalue(Q op, std::uint16_t code, double a, double b) {
  switch (op) {
    case Q::add3:
      return a + b;
    case Q::sub3:
      return a - b;
    case Q::mul3:
      return a * b;
    case Q::div3:
      return a / b;
    case Q::mod3:
      return modinline(a, b);
    default:
      return maxminof(code, a, b);
  }
}
[[gnu::always_inline]] inline double cellsvalue(const QStep& s, const double* z) {
  return stepvalue(s.op, s.code, z[s.a], z[s.b]);
}

// A program over numbers alone (Prog::plain): no texts, no lists, a short
// stack of its own, run by its steps as they run (Prog::quick). (runplain()
// runs it; the statement loop's chain of forms takes it in line.)
// (`first`: the steps to run, Prog::quick or Prog::free.)
[[gnu::always_inline]] inline ProgResult plainsteps(const Prog& g, const QStep* first) {
  ProgResult res;
  const double* const z = core::z.data();
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  if (g.topcell >= zsize) return res;
  double stack[plaindepth];
  double* n = stack;
  std::int32_t targetcell = 0;
  // An element's cell: the target's, or its value pushed.
  const auto element = [&](bool target, std::int32_t cell) __attribute__((always_inline)) {
    if (target)
      targetcell = cell;
    else
      *n++ = z[cell];
  };
  Pair p;
  for (const QStep* step = first;; ++step) {
    const QStep& s = *step;
    double r = 0.0;
    switch (s.op) {
      case Q::num:
        *n++ = z[s.a];
        continue;
      case Q::una:
        r = unanumeric(s.code, *--n);
        break;
      case Q::neg:
        r = -*--n;
        break;
      case Q::elem1:
      case Q::telem1: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        const std::int32_t i = indexin(*--n, a.count);
        if (i == 0) return res;
        element(s.op == Q::telem1, a.cell(i));
        continue;
      }
      case Q::elem2:
      case Q::telem2: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        const std::int32_t col = indexin(*--n, a.cols);
        const std::int32_t row = indexin(*--n, a.rows);
        if (col == 0 || row == 0) return res;
        element(s.op == Q::telem2, a.cell(row, col));
        continue;
      }
      case Q::elemc1:
      case Q::telemc1: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        const std::int32_t i = indexin(z[s.b], a.count);
        if (i == 0) return res;
        element(s.op == Q::telemc1, a.cell(i));
        continue;
      }
      case Q::elemc2:
      case Q::telemc2: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        const std::int32_t row = indexin(z[s.b], a.rows);
        const std::int32_t col = indexin(z[s.c], a.cols);
        if (col == 0 || row == 0) return res;
        element(s.op == Q::telemc2, a.cell(row, col));
        continue;
      }
      // (Indices the loop found inside the bounds for all its passes.)
      case Q::elemf1:
      case Q::telemf1: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        element(s.op == Q::telemf1, a.cell(static_cast<std::int32_t>(z[s.b])));
        continue;
      }
      case Q::elemf2:
      case Q::telemf2: {
        const Slot& a = g.slots[static_cast<std::size_t>(s.a)];
        element(s.op == Q::telemf2,
                a.cell(static_cast<std::int32_t>(z[s.b]), static_cast<std::int32_t>(z[s.c])));
        continue;
      }
      case Q::tcell:
        targetcell = s.a;
        continue;
      case Q::assign:
        if (targetcell < 1 || targetcell > core::nz || targetcell >= zsize) return res;
        res.value = *--n;
        continue;
      case Q::ifnot:
        if (*--n == 0.0) {
          res.done = res.falsecond = true;
          return res;
        }
        continue;
      case Q::result:
        res.value = *--n;
        res.done = true;
        return res;
      case Q::textcopy:
        return copytext(g, s, n);
      case Q::other: {
        // (Through locals of its own, so that the loop's stay in registers.)
        double made = 0.0;
        std::int32_t target = targetcell;
        const Num k =
            numstep(g, g.steps[static_cast<std::size_t>(s.a)], z, zsize, nullptr, n, made, target);
        targetcell = target;
        if (k == Num::pushed) continue;
        if (k != Num::made) return res;
        r = made;
        break;
      }
      case Q::addtest:
      case Q::subtest:
      case Q::multest:
      case Q::divtest:
      case Q::modtest:
        res.done = onetest(s, z, res.cond);
        return res;
      case Q::end:
        res.done = true;
        if (g.blockkind != 0)
          res.cond = n[-1] != 0.0;
        else
          core::z.data()[targetcell] = res.value;
        return res;
      case Q::add:
        p = takeoperands<0>(s, z, n);
        r = p.a + p.b;
        break;
      case Q::add1:
        p = takeoperands<1>(s, z, n);
        r = p.a + p.b;
        break;
      case Q::add2:
        p = takeoperands<2>(s, z, n);
        r = p.a + p.b;
        break;
      case Q::add3:
        p = takeoperands<3>(s, z, n);
        r = p.a + p.b;
        break;
      case Q::sub:
        p = takeoperands<0>(s, z, n);
        r = p.a - p.b;
        break;
      case Q::sub1:
        p = takeoperands<1>(s, z, n);
        r = p.a - p.b;
        break;
      case Q::sub2:
        p = takeoperands<2>(s, z, n);
        r = p.a - p.b;
        break;
      case Q::sub3:
        p = takeoperands<3>(s, z, n);
        r = p.a - p.b;
        break;
      case Q::mul:
        p = takeoperands<0>(s, z, n);
        r = p.a * p.b;
        break;
      case Q::mul1:
        p = takeoperands<1>(s, z, n);
        r = p.a * p.b;
        break;
      case Q::mul2:
        p = takeoperands<2>(s, z, n);
        r = p.a * p.b;
        break;
      case Q::mul3:
        p = takeoperands<3>(s, z, n);
        r = p.a * p.b;
        break;
      case Q::div:
        p = takeoperands<0>(s, z, n);
        r = p.a / p.b;
        break;
      case Q::div1:
        p = takeoperands<1>(s, z, n);
        r = p.a / p.b;
        break;
      case Q::div2:
        p = takeoperands<2>(s, z, n);
        r = p.a / p.b;
        break;
      case Q::div3:
        p = takeoperands<3>(s, z, n);
        r = p.a / p.b;
        break;
      case Q::mod:
        p = takeoperands<0>(s, z, n);
        r = modinline(p.a, p.b);
        break;
      case Q::mod1:
        p = takeoperands<1>(s, z, n);
        r = modinline(p.a, p.b);
        break;
      case Q::mod2:
        p = takeoperands<2>(s, z, n);
        r = modinline(p.a, p.b);
        break;
      case Q::mod3:
        p = takeoperands<3>(s, z, n);
        r = modinline(p.a, p.b);
        break;
      case Q::maxmin:
      case Q::maxmin1:
      case Q::maxmin2:
      case Q::maxmin3:
        p = s.op == Q::maxmin    ? takeoperands<0>(s, z, n)
            : s.op == Q::maxmin1 ? takeoperands<1>(s, z, n)
            : s.op == Q::maxmin2 ? takeoperands<2>(s, z, n)
                                 : takeoperands<3>(s, z, n);
        r = maxminof(s.code, p.a, p.b);
        break;
      case Q::rel:
      case Q::rel1:
      case Q::rel2:
      case Q::rel3:
        p = s.op == Q::rel    ? takeoperands<0>(s, z, n)
            : s.op == Q::rel1 ? takeoperands<1>(s, z, n)
            : s.op == Q::rel2 ? takeoperands<2>(s, z, n)
                              : takeoperands<3>(s, z, n);
        // The difference it tests may overflow: the general path reports
        // that (no number: the floating-point status is cleared).
        r = !std::isfinite(p.a - p.b) ? std::nan("") : relates(s.code, p.a, p.b) ? 1.0 : 0.0;
        break;
      case Q::test:
        p = takeoperands<0>(s, z, n);
        goto test;
      case Q::test1:
        p = takeoperands<1>(s, z, n);
        goto test;
      case Q::test2:
        p = takeoperands<2>(s, z, n);
        goto test;
      case Q::test3:
        p = takeoperands<3>(s, z, n);
        goto test;
      default:
        // (Programs are made of the codes above alone: no range test
        // before the dispatch.)
        __builtin_unreachable();
    }
    if (!pushmade(r, n)) return res;
    continue;
  test:
    // A block condition that ends in a relation: that relation is the
    // condition, taken as it is tested. (A difference that overflows is
    // the general path's to report.)
    if (!std::isfinite(p.a - p.b)) {
      plat::fpu_clear();
      return res;
    }
    res.done = true;
    res.cond = relates(s.code, p.a, p.b);
    return res;
  }
}

}  // namespace exec::fast
