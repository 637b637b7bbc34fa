// The rounded scales of an axis direction: linear ranges on multiples of a
// power of ten with a divisor for large steps, log ranges on whole decades.
#include <algorithm>
#include <cmath>

#include "plot/axis.h"
#include "plot/plotstate.h"

namespace plot {

namespace {

constexpr double smallestnormal = 1.1754944e-38;
// A power of ten is looked for at most this many steps away.
constexpr int moststeps = 80;
// The label step in character widths: shrunk while above the first, then
// grown while below the second.
constexpr double longeststep = 10.0;
constexpr double shorteststep = 4.0;

// A value that reaches the engine: finite, within the largest magnitude.
double sane(float v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(static_cast<double>(v), -static_cast<double>(largestvalue),
                    static_cast<double>(largestvalue));
}

// q as a whole number when it lies within 10 epsilons of one.
double snapped(double q) {
  const double r = std::nearbyint(q);
  return std::fabs(q - r) <= 10.0 * epsilonof(q) ? r : q;
}

// The exponent of v by scaling it by 10 down while at least `down` and up
// while below `up`.
int exponentof(double v, double down, double up) {
  int e = 0;
  for (int i = 0; i < moststeps && v >= down; ++i) {
    v /= 10.0;
    ++e;
  }
  for (int i = 0; i < moststeps && v < up; ++i) {
    v *= 10.0;
    --e;
  }
  return e;
}

void linear(Scale& s, double mn, double mx, double length, double charwidth) {
  // r: user units per plot unit; c / r then counts the character widths
  // of a step s. The step shrinks by tenths while it is longer than 10
  // widths, then grows tenfold while it is shorter than 4: a power of ten
  // 4 to 40 widths long, so that grid lines stand at least 4 widths apart.
  double r = (mx - mn) / length;
  const double c = 1.0 / std::max(charwidth, 1e-30);
  double step = 1.0;
  for (int i = 0; i < moststeps && c / r > longeststep; ++i) {
    r *= 10.0;
    step /= 10.0;
  }
  for (int i = 0; i < moststeps && c / r < shorteststep; ++i) {
    r /= 10.0;
    step *= 10.0;
  }
  const double lo = std::floor(snapped(mn / step));
  double hi = std::ceil(snapped(mx / step));
  if (hi <= lo) hi = lo + 1.0;
  mn = step * lo;
  mx = step * hi;
  const double steps = std::max(1.0, std::nearbyint(hi - lo));
  s.minimum = static_cast<float>(mn);
  s.maximum = static_cast<float>(mx);
  s.unitsperplot = static_cast<float>((mx - mn) / length);
  s.step = static_cast<float>(length / steps);
  s.divisor = step >= 1000.0 ? static_cast<float>(step) : 1.0F;
}

void logarithmic(Scale& s, double mn, double mx, double length) {
  if (mn <= smallestnormal) mn = 1e-6;
  const int e1 = exponentof(mn, 9.99, 0.999);
  mn = std::pow(10.0, e1);
  // A maximum not above the rounded minimum shows one decade.
  if (mx <= mn) mx = 10.0 * mn;
  int e2 = exponentof(mx, 1.001, 0.1001);
  if (e2 <= e1) e2 = e1 + 1;
  s.minimum = static_cast<float>(mn);
  s.maximum = static_cast<float>(std::pow(10.0, e2));
  s.step = static_cast<float>(length / (e2 - e1));
  s.unitsperplot = 1.0F;
  s.divisor = 1.0F;
}

}  // namespace

void roundscale(std::int32_t e, float length, float charwidth) {
  Scale& s = axisstate.scale(e);
  const double len = std::max(static_cast<double>(length), static_cast<double>(shortestaxis));
  double mn = sane(s.minimum), mx = sane(s.maximum);
  if (!(mn < mx)) {
    // A positive minimum doubles; at or below 0 doubling would not make a
    // range, so the maximum lies at least 1 above.
    mx = mn > 0.0 ? 2.0 * mn : mn + std::max(1.0, std::fabs(mn));
  }
  if ((axisstate.style(e) & axisbit::log) != 0)
    logarithmic(s, mn, mx, len);
  else
    linear(s, mn, mx, len, charwidth);
}

}  // namespace plot
