#include "numeric/fuzzy.h"

#include <string_view>
#include <vector>

#include "core/messages.h"
#include "core/runwords.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace {

// The open ends of the outer sets when a value is fuzzified.
constexpr double openfoot = 1.0E30;

struct Sets {
  ZArray s;                           // peaks S(1..)
  std::int32_t c = 0;                 // number of sets
  std::int32_t k = 1;                 // stride to the neighbours
  ZArray m;                           // degrees in a vector, or
  std::vector<std::int32_t> scalars;  // the degree operands one by one
  bool invector = false;

  double peak(std::int32_t i) const { return s(i); }
  double left(std::int32_t i) const { return i > k ? s(i - k) : 2.0 * s(i) - s(i + k); }
  double right(std::int32_t i) const { return i + k <= c ? s(i + k) : 2.0 * s(i) - s(i - k); }
  double degree(std::int32_t i) const {
    if (invector) return m(i);
    const std::int32_t e = scalars[static_cast<std::size_t>(i - 1)];
    return core::z.valid(e) ? core::z(e) : 0.0;
  }
  void setdegree(std::int32_t i, double v) const {
    if (invector) {
      m(i) = v;
    } else {
      core::SETZTOR8(scalars[static_cast<std::size_t>(i - 1)], v);
    }
  }
};

bool failed(std::string_view key, const Sets& f) {
  core::msgkey.set(key);
  core::iostatw = {static_cast<std::int16_t>(f.s.count), static_cast<std::int16_t>(f.c),
                   static_cast<std::int16_t>(f.k), static_cast<std::int16_t>(f.s.base + 1)};
  return false;
}

// The checks in their order; f receives the sets.
bool takesets(std::span<const std::int32_t> ops, Sets& f) {
  if (ops.size() < 2) return failed(core::MSGKEY("fuzErr3"), f);
  std::size_t at = 0;
  if (!numericarray(ops[0], f.s)) {
    f.k = numericscalar(ops[0]) ? nearest32(core::z(ops[0])) : 1;
    at = 1;
  }
  if (!numericarray(ops[at], f.s)) return failed(core::MSGKEY("fuzErr5"), f);
  ++at;
  f.invector = at < ops.size() && numericarray(ops[at], f.m);
  if (f.invector) {
    f.c = f.m.count;
  } else {
    f.scalars.assign(ops.begin() + static_cast<std::ptrdiff_t>(at), ops.end());
    f.c = static_cast<std::int32_t>(f.scalars.size());
  }
  // A stride below 1 has no neighbours to reach.
  if (f.k < 1 || f.c < 2 * f.k) return failed(core::MSGKEY("fuzErr1"), f);
  if (f.s.count < f.c) return failed(core::MSGKEY("fuzErr2"), f);
  if (f.invector && at + 1 < ops.size()) return failed(core::MSGKEY("fuzErr6"), f);
  for (std::int32_t i = f.k + 1; i <= f.c; ++i)
    if (f.s(i) < f.s(i - f.k)) return failed(core::MSGKEY("fuzErr4"), f);
  return true;
}

double centroid(const Sets& f) {
  double moment = 0.0, area = 0.0;
  for (std::int32_t i = 1; i <= f.c; ++i) {
    const double l = f.left(i), r = f.right(i);
    const double a = (r - l) * f.degree(i) * 0.5;
    moment += (l + f.peak(i) + r) * a;
    area += a;
  }
  return area == 0.0 ? 0.0 : moment / (3.0 * area);
}

// Membership of v in set i; the outer sets are open to their sides.
double membership(const Sets& f, std::int32_t i, double v) {
  const double l = i == 1 ? -openfoot : f.left(i);
  const double r = i == f.c ? openfoot : f.right(i);
  const double s = f.peak(i);
  if (v == s) return 1.0;
  if (v < l || v > r) return 0.0;
  if (v < s) return (v - l) / (s - l);
  return (r - v) / (r - s);
}

}  // namespace

bool FUZZY(std::span<const std::int32_t> operands, const double* value) {
  Sets f;
  if (!takesets(operands, f)) return false;
  double result = 0.0;
  if (value == nullptr) {
    result = centroid(f);
  } else {
    for (std::int32_t i = 1; i <= f.c; ++i) {
      const double mu = membership(f, i, *value);
      f.setdegree(i, mu / f.k);
      result = mu;
    }
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = result;
  return true;
}

}  // namespace numeric
