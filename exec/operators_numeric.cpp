// The numeric side of the operators: rounding for the bit operations,
// comparisons with their tolerances, and the plain arithmetic tables.
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/runwords.h"
#include "exec/operators.h"
#include "exec/xeqtemps.h"

namespace exec {

std::int64_t nint64(double x) {
  if (std::isnan(x)) return 0;
  // 2^63 is the first real beyond the 64-bit range.
  constexpr double top = 9223372036854775808.0;
  const double r = std::round(x);
  if (r >= top) return std::numeric_limits<std::int64_t>::max();
  if (r < -top) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(r);
}

double logarithm(double x, const double* base, bool& invalid) {
  const double r = base == nullptr ? std::log(x) : std::log(x) / std::log(*base);
  invalid = std::isnan(r) && !std::isnan(x) && (base == nullptr || !std::isnan(*base));
  return r;
}

int exprrel(unsigned op) {
  switch (op) {
    case xop::lt:
      return 0;
    case xop::gt:
      return 1;
    case xop::le:
      return 2;
    case xop::ge:
      return 3;
    case xop::eq:
      return 4;
    case xop::ne:
      return 5;
    default:
      return -1;
  }
}

int looprel(unsigned op) {
  switch (op) {
    case xop::tlt:
      return 0;
    case xop::tgt:
      return 1;
    case xop::tle:
      return 2;
    case xop::tge:
      return 3;
    case xop::teq:
      return 4;
    case xop::tne:
      return 5;
    default:
      return -1;
  }
}

namespace {

double bitop(unsigned which, double a, double b) {
  // The two 32-bit halves combine separately, which for AND, OR and XOR is
  // the same as combining the whole 64 bits.
  const auto x = static_cast<std::uint64_t>(nint64(a));
  const auto y = static_cast<std::uint64_t>(nint64(b));
  std::uint64_t r = 0;
  if (which == 0) r = x & y;
  if (which == 1) r = x ^ y;
  if (which == 2) r = x | y;
  return static_cast<double>(static_cast<std::int64_t>(r));
}

double powerof(double a, double b) { return a == 0.0 ? 0.0 : std::pow(a, b); }

double signof(double a, double b) { return b < 0.0 ? -std::fabs(a) : std::fabs(a); }

}  // namespace

std::int32_t binnumeric(unsigned op, double a, double b, bool converted, double& out) {
  switch (op) {
    case xop::plus:
      out = a + b;
      return 0;
    case xop::minus:
      out = a - b;
      return 0;
    case xop::times:
      out = a * b;
      return 0;
    case xop::divide:
      out = a / b;
      return 0;
    case xop::power:
      out = powerof(a, b);
      return 0;
    case xop::iand:
      out = bitop(0, a, b);
      return 0;
    case xop::ieor:
      out = bitop(1, a, b);
      return 0;
    case xop::ior:
      out = bitop(2, a, b);
      return 0;
    case xop::mod:
      out = modof(a, b);
      return 0;
    case xop::sign:
      out = signof(a, b);
      return 0;
    case xop::separator:
      out = 0.0;
      return 1;
    default:
      break;
  }
  const int rel = exprrel(op);
  if (rel < 0) return 3501;
  out = (relholds(rel, exprdiff(a, b)) && !converted) ? 1.0 : 0.0;
  return 0;
}

bool binnumericcode(unsigned op) {
  switch (op) {
    case xop::plus:
    case xop::minus:
    case xop::times:
    case xop::divide:
    case xop::power:
    case xop::iand:
    case xop::ieor:
    case xop::ior:
    case xop::mod:
    case xop::sign:
      return true;
    default:
      return exprrel(op) >= 0;
  }
}

bool unanumericcode(unsigned op) {
  switch (op) {
    case xop::minus:
    case xop::inot:
    case xop::abs:
    case xop::exp:
    case xop::aint:
    case xop::nint:
    case xop::sin:
    case xop::cos:
    case xop::tan:
    case xop::ceiling:
    case xop::floor:
    case xop::asin:
    case xop::acos:
    case xop::atan:
    case xop::cosh:
    case xop::sinh:
    case xop::tanh:
      return true;
    default:
      return false;
  }
}

double unanumeric(unsigned op, double a) {
  switch (op) {
    case xop::minus:
      return -a;
    case xop::inot:
      return static_cast<double>(~nint64(a));
    case xop::abs:
      return std::fabs(a);
    case xop::exp:
      return std::exp(a);
    case xop::aint:
      return std::trunc(a);
    case xop::nint:
      return std::round(a);
    case xop::sin:
      return std::sin(a);
    case xop::cos:
      return std::cos(a);
    case xop::tan:
      return std::tan(a);
    case xop::ceiling:
      return std::ceil(a);
    case xop::floor:
      return std::floor(a);
    case xop::asin:
      return std::asin(a);
    case xop::acos:
      return std::acos(a);
    case xop::atan:
      return std::atan(a);
    case xop::cosh:
      return std::cosh(a);
    case xop::sinh:
      return std::sinh(a);
    case xop::tanh:
      return std::tanh(a);
    default:
      return a;
  }
}

std::int32_t XEQBINNUM(double& result, double a, std::int16_t op, double b) {
  const unsigned code = static_cast<std::uint16_t>(op);
  switch (code) {
    case xop::tplus:
      result = a + b;
      return 0;
    case xop::tminus:
      result = a - b;
      return 0;
    case xop::ttimes:
      result = a * b;
      return 0;
    case xop::tdivide:
      result = a / b;
      return 0;
    case xop::tpower:
      if (a == 0.0) {
        result = 0.0;
        return 0;
      }
      if (std::isnan(a)) {
        core::msgkey.set(xeqkeys::msgnan);
        return -1;
      }
      result = std::pow(a, b);
      return 0;
    case xop::tmod:
      result = modof(a, b);
      return 0;
    case xop::tiand:
      result = bitop(0, a, b);
      return 0;
    case xop::tieor:
      result = bitop(1, a, b);
      return 0;
    case xop::tior:
      result = bitop(2, a, b);
      return 0;
    case xop::tsign:
      result = signof(a, b);
      return 0;
    default:
      break;
  }
  const int rel = looprel(code);
  if (rel < 0) {
    core::msgkey.set(xeqkeys::notpossible);
    return -1;
  }
  result = relholds(rel, loopdiff(a, b)) ? 1.0 : 0.0;
  return 0;
}

}  // namespace exec
