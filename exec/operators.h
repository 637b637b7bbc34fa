// Numeric operators and one-argument functions of the script language.
//
// Inside an evaluated expression, XEQ2BIN applies every two-operand
// operator and XEQ2UNA every one-operand operator and numeric built-in;
// XEQBINNUM serves the statement loop's own short path. Operands are cells
// of `z` (a positive index) or temporary strings (a negative index, see
// exec/strings.h for what the operators do with them). All values are
// 64-bit reals; logical truth is 1.0 and 0.0.
#pragma once

#include <cmath>
#include <cstdint>

namespace exec {

// Comparison tolerance and the relative tolerance built on it.
inline constexpr double zeps = 1.0e-13;
inline constexpr double zepsrel = zeps * 10000.0;

// Executor operator codes (16-bit words, written unsigned).
namespace xop {
inline constexpr unsigned cat = 0xC020;  // "//", blank count in bits 6 to 10
inline constexpr unsigned plus = 0xC820;
inline constexpr unsigned minus = 0xC860;  // also unary minus in XEQ2UNA
inline constexpr unsigned times = 0xD860;
inline constexpr unsigned divide = 0xD820;
inline constexpr unsigned power = 0xE020;
inline constexpr unsigned sum = 0xE800;  // one operand: the operand; a whole array: its sum
inline constexpr unsigned iand = 0xE820;
inline constexpr unsigned ieor = 0xE860;
inline constexpr unsigned ior = 0xE8A0;
inline constexpr unsigned mod = 0xE8E0;
inline constexpr unsigned max = 0xE920;
inline constexpr unsigned min = 0xE960;
inline constexpr unsigned sign = 0xE9A0;
inline constexpr unsigned maxloc = 0xE9E0;
inline constexpr unsigned minloc = 0xEA20;
inline constexpr unsigned separator = 0xA400;
inline constexpr unsigned lt = 0xB860;
inline constexpr unsigned gt = 0xB8A0;
inline constexpr unsigned le = 0xB8E0;
inline constexpr unsigned ge = 0xB920;
inline constexpr unsigned eq = 0xB960;
inline constexpr unsigned ne = 0xB9A0;
// One-operand codes.
inline constexpr unsigned inot = 0xE880;
inline constexpr unsigned abs = 0xE8C0;
inline constexpr unsigned exp = 0xE900;
inline constexpr unsigned aint = 0xE940;
inline constexpr unsigned nint = 0xE980;
inline constexpr unsigned sin = 0xE9C0;
inline constexpr unsigned cos = 0xEA00;
inline constexpr unsigned tan = 0xEA40;
inline constexpr unsigned ceiling = 0xEA80;
inline constexpr unsigned floor = 0xEAC0;
inline constexpr unsigned asin = 0xEB00;
inline constexpr unsigned acos = 0xEB40;
inline constexpr unsigned atan = 0xEB80;
inline constexpr unsigned cosh = 0xEBC0;
inline constexpr unsigned sinh = 0xEC00;
inline constexpr unsigned tanh = 0xEC40;
inline constexpr unsigned ichar = 0xEC80;
inline constexpr unsigned len = 0xECC0;
inline constexpr unsigned lentrim = 0xED00;
inline constexpr unsigned trim = 0xED40;
// The statement loop's token codes (XEQBINNUM, XEQBINCHAR).
inline constexpr unsigned tplus = 0xA010;
inline constexpr unsigned tminus = 0xA030;
inline constexpr unsigned ttimes = 0xA410;
inline constexpr unsigned tdivide = 0xA430;
inline constexpr unsigned tpower = 0xA810;
inline constexpr unsigned tmod = 0xC161;
inline constexpr unsigned tiand = 0xC4C1;
inline constexpr unsigned tieor = 0xC4E1;
inline constexpr unsigned tior = 0xC501;
inline constexpr unsigned tsign = 0xC5F0;
inline constexpr unsigned tlt = 0x9C10;
inline constexpr unsigned tgt = 0x9C30;
inline constexpr unsigned tle = 0x9C50;
inline constexpr unsigned tge = 0x9C70;
inline constexpr unsigned teq = 0x9C90;
inline constexpr unsigned tne = 0x9CB0;
}  // namespace xop

// True for the concatenation family (code AND 0xF83F = 0xC020).
constexpr bool iscatcode(unsigned op) { return (op & 0xF83Fu) == xop::cat; }
// Blank count n of a concatenation code.
constexpr int catblanks(unsigned op) { return static_cast<int>((op >> 6) & 0x1Fu); }

// The nearest 64-bit integer, halves away from zero; NaN gives 0 and values
// beyond the 64-bit range the nearest end of it.
std::int64_t nint64(double x);

// MOD: the remainder of a by b with the sign of a, as fmod gives it (exact);
// whole numbers below 2^53 take the integer remainder, which is the same
// and far cheaper.
inline double modof(double a, double b) {
  constexpr double whole = 9007199254740992.0;
  // (Below 2^31 the 32-bit division, cheaper still.)
  if (std::fabs(a) < 2147483648.0 && std::fabs(b) < 2147483648.0 && b != 0.0) {
    const auto ia = static_cast<std::int32_t>(a), ib = static_cast<std::int32_t>(b);
    if (static_cast<double>(ia) == a && static_cast<double>(ib) == b && ib != -1) {
      const std::int32_t r = ia % ib;
      return r == 0 ? std::copysign(0.0, a) : static_cast<double>(r);
    }
  }
  if (std::fabs(a) < whole && std::fabs(b) < whole && b != 0.0) {
    const auto ia = static_cast<std::int64_t>(a), ib = static_cast<std::int64_t>(b);
    if (static_cast<double>(ia) == a && static_cast<double>(ib) == b) {
      const std::int64_t r = ia % ib;
      return r == 0 ? std::copysign(0.0, a) : static_cast<double>(r);
    }
  }
  return std::fmod(a, b);
}

// The relations' codes, as the compiled words and the forms carry them.
namespace relcode {
constexpr int lt = 0, gt = 1, le = 2, ge = 3, eq = 4, ne = 5;
}

// Relation r (relcode::lt .. relcode::ne) tested on a difference d.
[[gnu::always_inline]] inline bool relholds(int r, double d) {
  switch (r) {
    case relcode::lt:
      return d < 0.0;
    case relcode::gt:
      return d > 0.0;
    case relcode::le:
      return d <= 0.0;
    case relcode::ge:
      return d >= 0.0;
    case relcode::eq:
      return d == 0.0;
    case relcode::ne:
      return d != 0.0;
    default:
      return false;
  }
}
// Index 0..5 of an expression relational code, -1 for any other code.
int exprrel(unsigned op);
// Index 0..5 of a statement-loop relational code, -1 for any other code.
int looprel(unsigned op);

// The difference a - b as the expression path compares it: within the
// relative tolerance it is 0; below `zeps` it is 0 unless a or b is 0.0.
// With a NaN it is NaN, for which only /= holds.
[[gnu::always_inline]] inline double exprdiff(double a, double b) {
  if (a == b) return 0.0;  // equal infinities too
  double d = a - b;
  if (std::isnan(d)) return d;
  if (std::fabs(d) >= zeps) {
    // (Neither is a NaN here: the larger magnitude without fmax's call.)
    const double fa = std::fabs(a), fb = std::fabs(b);
    if (std::fabs(d) < (fa > fb ? fa : fb) * zepsrel) d = 0.0;
  } else if (a != 0.0 && b != 0.0) {
    d = 0.0;
  }
  return d;
}
// The same for the statement loop's path: below `zeps` it is always 0.
[[gnu::always_inline]] inline double loopdiff(double a, double b) {
  if (a == b) return 0.0;
  double d = a - b;
  if (std::isnan(d)) return d;
  if (std::fabs(d) >= zeps) {
    // (Neither is a NaN here: the larger magnitude without fmax's call.)
    const double fa = std::fabs(a), fb = std::fabs(b);
    if (std::fabs(d) < (fa > fb ? fa : fb) * zepsrel) d = 0.0;
  } else {
    d = 0.0;
  }
  return d;
}

// Applies a two-operand numeric operator of the expression codes.
// converted: an operand was converted from a string (relations then give
// 0.0). Returns 0, 1 for the argument separator (no value), 3501 for a
// code outside the table (no value).
std::int32_t binnumeric(unsigned op, double a, double b, bool converted, double& out);

// The codes that binnumeric's table names (the operators and relations).
bool binnumericcode(unsigned op);

// Applies a one-operand numeric code; a code outside the table copies a.
double unanumeric(unsigned op, double a);
// The codes that unanumeric's table names.
bool unanumericcode(unsigned op);

// LOG(x) (base null) or LOG(x, base). `invalid` is set when the arguments
// lie outside the logarithm's domain (a negative number or base, LOG(1, 1)):
// a failed calculation of floating-point status 1 that the caller reports
// as the floating-point check reports the others.
double logarithm(double x, const double* base, bool& invalid);
inline constexpr int fpuinvalid = 1;

// Two-operand operator inside an expression: res the result cell (0: into
// the left operand's cell; a constant left operand sends the value to
// `iresult` with status -3), a and b operand indices. Statuses: 0 done,
// 1 separator, 2 a string result in temporary `idescr`, -3 result in
// `iresult`, 3501 relational code outside the table, -1 / -2 the left /
// right temporary string has no valid bounds, 3502 / 3503 / 3504 string
// failures (exec/strings.h).
std::int32_t XEQ2BIN(std::int32_t res, std::int32_t a, std::int16_t op, std::int32_t b);

// One-operand operator or function inside an expression, result into cell
// res. Statuses: 0 done, -2 TRIM made a string result.
std::int32_t XEQ2UNA(std::int32_t res, std::int32_t a, std::int16_t op);

// Two-operand operator of the statement loop on plain values (token
// codes). 0 done; -1 power of a NaN ("msgNaN") or a code outside the table
// ("notPossible"), result unchanged.
std::int32_t XEQBINNUM(double& result, double a, std::int16_t op, double b);

}  // namespace exec
