// How the numerical built-ins see their operands and option values: a
// numeric array as a run of cells of `z` counted from 1, a numeric scalar
// as its own cell.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/rawmem.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace numeric {

// The elements of a numeric array: element k (from 1) is z(base + k), k up
// to count, in storage order.
struct ZArray {
  std::int32_t base = 0;
  std::int32_t count = 0;
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  double& operator()(std::int32_t k) const { return core::z(base + k); }
};

// True when symbol s is a numeric array whose elements lie in `z`.
inline bool numericarray(std::int32_t s, ZArray& a) {
  if (core::NAMTYP(s, 0x10) == 0 || !core::z.valid(s)) return false;
  core::TRANSFERR8TO2I4(core::z(s), a.rows, a.cols);
  const long long n = static_cast<long long>(std::max(a.rows, 0)) * std::max(a.cols, 0);
  a.base = core::name(s).adr - 1;
  a.count = static_cast<std::int32_t>(n);
  if (n > std::numeric_limits<std::int32_t>::max()) return false;
  return n == 0 || (core::z.valid(a.base + 1) && core::z.valid(a.base + a.count));
}

// True when symbol s is a numeric scalar, a constant included.
inline bool numericscalar(std::int32_t s) {
  return (core::NAMTYP(s, 0x80) & 0x80) != 0 && core::z.valid(s);
}

// True when symbol s is a numeric scalar that may be written.
inline bool numericvariable(std::int32_t s) {
  return core::NAMTYP(s, 0x80) == 0x80 && core::z.valid(s);
}

// The nearest integer, halves away from zero, kept within 32 bits.
inline std::int32_t nearest32(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (x <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(std::round(x));
}

}  // namespace numeric
