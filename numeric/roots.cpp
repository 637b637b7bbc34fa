#include "numeric/roots.h"

#include <algorithm>
#include <cmath>

#include "numeric/zarrays.h"

namespace numeric {

namespace {

// The constant that the cubic's trigonometric form uses.
constexpr double pi = 3.14159265358979;

// Each solver returns how many of its roots (from the first) are roots of
// the polynomial itself, to be polished.
std::int32_t quadratic(std::array<double, 4>& w) {
  const double c0 = w[0], c1 = w[1], c2 = w[2];
  const double disc = c1 * c1 - 4.0 * c0 * c2;
  if (disc < 0.0) {
    w[0] = 0;
    return 0;
  }
  const double s = c1 >= 0.0 ? 1.0 : -1.0;
  const double q = -(c1 + s * std::sqrt(disc)) / 2.0;
  w[0] = 2;
  if (q == 0.0) {
    // c1 and c2 are both 0: x squared is 0.
    w[1] = w[2] = 0.0;
    return 2;
  }
  w[1] = q / c0;
  w[2] = c2 / q;
  return 2;
}

std::int32_t cubic(std::array<double, 4>& w) {
  const double a = w[1] / w[0], b = w[2] / w[0], c = w[3] / w[0];
  const double p = (3.0 * b - a * a) / 3.0;
  const double q = 2.0 * a * a * a / 27.0 + c - a * b / 3.0;
  const double d = (q / 2.0) * (q / 2.0) + (p / 3.0) * (p / 3.0) * (p / 3.0);
  if (d >= 0.0) {
    const double s = std::sqrt(d);
    const double u = std::cbrt(s - q / 2.0), v = -std::cbrt(s + q / 2.0);
    w[1] = u + v - a / 3.0;
    w[0] = 1;
    // D has the dimension of a root to the sixth power: the threshold is
    // taken relative to that size, so that scaling x changes no count. An
    // exact 0 (a triple root at 0 included) is always a double root.
    const double size6 = std::max({a * a * a * a * a * a, std::abs(b * b * b), c * c});
    if (d == 0.0 || d < rootthreshold * size6) {
      // Counted as a double root: where the polynomial comes nearest to
      // 0, which need not be a root of it, so it is left as it is.
      w[2] = w[3] = -((u + v) / 2.0 + a / 3.0);
      w[0] = 3;
    }
    return 1;
  }
  const double r = std::sqrt(std::abs(p) / 3.0);
  const double phi = std::acos(std::clamp(-(q / 2.0) / (r * r * r), -1.0, 1.0));
  w[1] = 2.0 * r * std::cos(phi / 3.0) - a / 3.0;
  w[2] = -(a / 3.0 + 2.0 * r * std::cos((phi - pi) / 3.0));
  w[3] = -(a / 3.0 + 2.0 * r * std::cos((phi + pi) / 3.0));
  w[0] = 3;
  return 3;
}

// The closed form loses digits when the roots differ by orders of
// magnitude (a small root comes out of the difference of two large
// cube roots). Newton steps on the polynomial itself win them back; a
// step is kept only while it makes the residual smaller, so no root
// comes out worse than the closed form gave it.
void polish(const std::array<double, 4>& c, std::int32_t degree, double& x) {
  const auto value = [&](double t, double& slope) {
    double v = c[0];
    slope = 0.0;
    for (std::int32_t k = 1; k <= degree; ++k) {
      slope = slope * t + v;
      v = v * t + c[static_cast<std::size_t>(k)];
    }
    return v;
  };
  double slope = 0.0;
  double v = value(x, slope);
  for (int step = 0; step < 8 && v != 0.0 && slope != 0.0 && std::isfinite(slope); ++step) {
    const double next = x - v / slope;
    double nextslope = 0.0;
    const double nextv = value(next, nextslope);
    if (!(std::abs(nextv) < std::abs(v))) return;
    x = next;
    v = nextv;
    slope = nextslope;
  }
}

}  // namespace

void CUBICROOTS(std::array<double, 4>& w, std::int32_t degree) {
  if ((degree != 2 && degree != 3) || w[0] == 0.0) {
    w[0] = -1;
    return;
  }
  const std::array<double, 4> coefficients = w;
  const std::int32_t roots = degree == 2 ? quadratic(w) : cubic(w);
  for (std::int32_t k = 1; k <= roots; ++k) polish(coefficients, degree, w[static_cast<std::size_t>(k)]);
}

double ROOTSFN(std::span<const std::int32_t> operands) {
  if (operands.size() == 3) {
    const std::int32_t t = operands[2];
    if (numericscalar(t)) rootthreshold = core::z(t);
    operands = operands.first(2);
  }
  ZArray c, r;
  if (operands.size() != 2 || !numericarray(operands[0], c) || !numericarray(operands[1], r))
    return -1;
  if (c.count != 3 && c.count != 4) return -1;
  std::array<double, 4> w{};
  for (std::int32_t k = 1; k <= c.count; ++k) w[static_cast<std::size_t>(k - 1)] = c(k);
  CUBICROOTS(w, c.count - 1);
  const auto n = static_cast<std::int32_t>(w[0]);
  for (std::int32_t k = 1; k <= std::min(n, r.count); ++k) r(k) = w[static_cast<std::size_t>(k)];
  return w[0];
}

void reset_roots() { rootthreshold = 1.0E-10; }

}  // namespace numeric
