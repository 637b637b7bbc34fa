#include "numeric/intpol.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "core/messages.h"
#include "core/runwords.h"
#include "numeric/roots.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace {

using exec::optval;

enum Slot { xislot = 1, xslot, yslot, initslot, dydxslot, d2slot, x2slot, findslot };

// What is asked of the curve at Xi.
enum class Ask { value, slope, curvature, integral };

struct Table {
  ZArray x, y;
  std::int32_t n = 0;
  bool cubic = false;  // the ordinates carry their coefficient columns

  double X(std::int32_t k) const { return x(k); }
  double Y(std::int32_t k) const { return y(k); }
  double& col(std::int32_t c, std::int32_t k) const { return y(k + (c - 1) * n); }
  double h(std::int32_t k) const { return x(k + 1) - x(k); }
};

bool failed(std::string_view key) {
  core::msgkey.set(key);
  return false;
}

// The slope columns from the secants of four neighbouring intervals.
bool initcoefficients(const Table& t) {
  const std::int32_t n = t.n;
  // m[k + 2] is the secant m(k), k = -1 .. n + 1.
  std::vector<double> m(static_cast<std::size_t>(n + 4));
  auto sec = [&](std::int32_t k) -> double& { return m[static_cast<std::size_t>(k + 2)]; };
  for (std::int32_t k = 1; k <= n - 1; ++k) {
    if ((k >= 2 && t.h(k) * t.h(k - 1) <= 0.0) || t.h(k) == 0.0) {
      core::iostatw[0] = static_cast<std::int16_t>(k + 1);
      return failed(core::MSGKEY("IPOLdir"));
    }
    sec(k) = (t.Y(k + 1) - t.Y(k)) / t.h(k);
  }
  sec(0) = sec(-1) = sec(1);
  sec(n) = sec(n + 1) = sec(n - 1);
  for (std::int32_t k = 1; k <= n; ++k) {
    const double a = std::abs(sec(k - 1) - sec(k - 2));
    const double b = std::abs(sec(k + 1) - sec(k));
    t.col(2, k) =
        a + b > 0.0 ? (a * sec(k) + b * sec(k - 1)) / (a + b) : (sec(k) + sec(k + 1)) / 2.0;
  }
  for (std::int32_t k = 1; k <= n - 1; ++k) {
    const double h = t.h(k), t0 = t.col(2, k), t1 = t.col(2, k + 1);
    t.col(3, k) = (3.0 * sec(k) - 2.0 * t0 - t1) / h;
    t.col(4, k) = (t0 + t1 - 2.0 * sec(k)) / (h * h);
  }
  t.col(3, n) = t.col(4, n) = 0.0;
  return true;
}

bool inside(const Table& t, std::int32_t k, double xi) {
  return std::min(t.X(k), t.X(k + 1)) <= xi && xi <= std::max(t.X(k), t.X(k + 1));
}

// The first interval that holds xi, 0 when none; a polyline passes over
// intervals of no width.
std::int32_t intervalof(const Table& t, double xi) {
  for (std::int32_t k = 1; k <= t.n - 1; ++k)
    if (inside(t, k, xi) && (t.cubic || t.h(k) != 0.0)) return k;
  return 0;
}

// The interval whose straight line continues the table at xi outside it:
// the last one beyond x(n), else the first.
std::int32_t outerinterval(const Table& t, double xi) {
  return (xi - t.X(t.n)) * (t.X(t.n) - t.X(1)) > 0.0 ? t.n - 1 : 1;
}

double lineslope(const Table& t, std::int32_t k) {
  const double h = t.h(k) == 0.0 ? 1.0E20 : t.h(k);
  return (t.Y(k + 1) - t.Y(k)) / h;
}

double lineat(const Table& t, std::int32_t k, double xi) {
  return t.Y(k) + (xi - t.X(k)) * lineslope(t, k);
}

// Integral of the line of interval k from a to b.
double lineintegral(const Table& t, std::int32_t k, double a, double b) {
  return (b - a) * (t.Y(k) + lineslope(t, k) * ((a + b) / 2.0 - t.X(k)));
}

// Integral of the curve on interval k (its cubic, or the straight line of
// a plain table) from x(k) to x(k) + d.
double pieceintegral(const Table& t, std::int32_t k, double d) {
  if (!t.cubic) return lineintegral(t, k, t.X(k), t.X(k) + d);
  return d * (t.Y(k) + d * (t.col(2, k) / 2.0 + d * (t.col(3, k) / 3.0 + d * t.col(4, k) / 4.0)));
}

// The integral of the curve from x(1) to xi, the lines continuing it on
// both sides of the table.
double fromstart(const Table& t, double xi) {
  double sum = 0.0;
  for (std::int32_t k = 1; k <= t.n - 1; ++k) {
    if (inside(t, k, xi)) return sum + pieceintegral(t, k, xi - t.X(k));
    sum += pieceintegral(t, k, t.h(k));
  }
  const std::int32_t k = outerinterval(t, xi);
  if (k == 1) return lineintegral(t, 1, t.X(1), xi);
  return sum + lineintegral(t, k, t.X(t.n), xi);
}

double forward(const Table& t, Ask ask, double xi, double x2) {
  // The integral of a plain table is that of its polyline.
  if (ask == Ask::integral) return fromstart(t, x2) - fromstart(t, xi);
  const std::int32_t k = intervalof(t, xi);
  if (k == 0) {
    const std::int32_t e = outerinterval(t, xi);
    if (!t.cubic || ask == Ask::value) return lineat(t, e, xi);
    return ask == Ask::slope ? lineslope(t, e) : 0.0;
  }
  if (!t.cubic) return t.Y(k) + (xi - t.X(k)) * (t.Y(k + 1) - t.Y(k)) / t.h(k);
  const double d = xi - t.X(k), tk = t.col(2, k), c2 = t.col(3, k), c3 = t.col(4, k);
  switch (ask) {
    case Ask::slope:
      return tk + d * (2.0 * c2 + 3.0 * c3 * d);
    case Ask::curvature:
      return 2.0 * c2 + 6.0 * c3 * d;
    default:
      return t.Y(k) + d * (tk + d * (c2 + d * c3));
  }
}

// The candidate nearest to xi so far; an earlier one stays on a tie.
struct Nearest {
  double xi = 0.0;
  double best = 0.0;
  bool found = false;
  void offer(double x) {
    if (!found || std::abs(x - xi) < std::abs(best - xi)) best = x;
    found = true;
  }
};

// The real roots of the polynomial w(0..degree), highest power first, into
// w(1..) with their count in w(0); leading zeros lower the degree, and a
// constant has none.
void polyroots(std::array<double, 4>& w, std::int32_t degree) {
  while (degree > 0 && w[0] == 0.0) {
    std::copy(w.begin() + 1, w.end(), w.begin());
    w[3] = 0.0;
    --degree;
  }
  if (degree >= 2) {
    CUBICROOTS(w, degree);
  } else if (degree == 1) {
    w[1] = -w[1] / w[0];
    w[0] = 1;
  } else {
    w[0] = 0;
  }
}

// Where the cubics, their slopes or their curvature reach v.
void cubicinverse(const Table& t, Ask ask, double v, Nearest& near) {
  for (std::int32_t k = 1; k <= t.n - 1; ++k) {
    const double tk = t.col(2, k), c2 = t.col(3, k), c3 = t.col(4, k), h = t.h(k);
    std::array<double, 4> w{};
    if (ask == Ask::curvature) {
      w = {6.0 * c3, 2.0 * c2 - v, 0.0, 0.0};
      polyroots(w, 1);
    } else if (ask == Ask::slope) {
      w = {3.0 * c3, 2.0 * c2, tk - v, 0.0};
      polyroots(w, 2);
    } else {
      w = {c3, c2, tk, t.Y(k) - v};
      polyroots(w, 3);
    }
    const std::int32_t count = std::clamp(static_cast<std::int32_t>(w[0]), 0, 3);
    if (count < 1) continue;
    for (std::int32_t j = 2; j <= count; ++j)  // at most three roots: insertion
      for (std::int32_t i = j; i > 1 && w[i] < w[i - 1]; --i) std::swap(w[i], w[i - 1]);
    for (std::int32_t j = 1; j <= count; ++j) {
      const double d = w[static_cast<std::size_t>(j)];
      if (std::min(0.0, h) <= d && d <= std::max(0.0, h)) near.offer(t.X(k) + d);
    }
  }
}

// Where the polyline reaches v.
void lineinverse(const Table& t, double v, Nearest& near) {
  for (std::int32_t k = 1; k <= t.n - 1; ++k) {
    const double y0 = t.Y(k), y1 = t.Y(k + 1), x0 = t.X(k), x1 = t.X(k + 1);
    if (x0 == x1) continue;
    if (y0 == y1) {
      if (y0 == v) near.offer(std::clamp(near.xi, std::min(x0, x1), std::max(x0, x1)));
      continue;
    }
    const double f = (v - y0) / (y1 - y0);
    if (f >= 0.0 && f <= 1.0) near.offer(x0 + f * (x1 - x0));
  }
}

double slotnumber(std::int32_t s) { return s > 0 && core::z.valid(s) ? core::z(s) : 0.0; }

}  // namespace

void INTPOL(const exec::OptCall&) {
  core::iostatw.fill(0);
  if (optval(xslot) == 0 || optval(yslot) == 0) {
    failed(core::MSGKEY("IPOLlength"));
    return;
  }
  Table t;
  if (!numericarray(optval(xslot), t.x) || !numericarray(optval(yslot), t.y)) {
    failed(core::MSGKEY("IPOLnoVECs"));
    return;
  }
  t.n = t.x.count;
  if (t.n < 2 || (t.y.count != t.n && t.y.count != 4 * t.n)) {
    failed(core::MSGKEY("IPOLnoVECs"));
    return;
  }
  t.cubic = t.y.count == 4 * t.n;

  Ask ask = Ask::value;
  bool inverse = false;
  double target = 0.0;
  if (optval(findslot) > 0) {
    inverse = true;
    target = slotnumber(optval(findslot));
  } else if (optval(dydxslot) != 0) {
    ask = Ask::slope;
    inverse = optval(dydxslot) > 0;
    target = slotnumber(optval(dydxslot));
  } else if (optval(d2slot) != 0) {
    ask = Ask::curvature;
    inverse = optval(d2slot) > 0;
    target = slotnumber(optval(d2slot));
  } else if (optval(x2slot) > 0) {
    ask = Ask::integral;
  }
  const double xi = slotnumber(optval(xislot));

  if (t.cubic && optval(initslot) != 0 && !initcoefficients(t)) return;
  double result = 0.0;
  if (inverse) {
    Nearest near{xi};
    if (t.cubic) {
      cubicinverse(t, ask, target, near);
    } else if (ask == Ask::value) {
      lineinverse(t, target, near);
    }
    if (!near.found) {
      failed(core::MSGKEY("IPOLnoRoot"));
      return;
    }
    result = near.best;
  } else {
    result = forward(t, ask, xi, slotnumber(optval(x2slot)));
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = result;
}

}  // namespace numeric
