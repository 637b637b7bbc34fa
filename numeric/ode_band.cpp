// The iteration matrix of the corrector and its band solver.
//
// Band storage: W = 2 ML + MU + 1 rows by N columns, column by column.
// Column i holds row i of the matrix: element (i, j) sits at position
// j - i + ML + 1, the diagonal at ML + 1. Positions ML + MU + 2 to W take
// the elimination multipliers. While a column is eliminated every row
// below is shifted left by one, so that the element of the column being
// eliminated is always at position 1.
#include <algorithm>
#include <cmath>

#include "numeric/ode.h"

namespace numeric {

namespace {

// Position k (from 1) of band column i (from 1).
struct Band {
  std::span<double> a;
  std::int32_t w;
  double& operator()(std::int32_t k, std::int32_t i) const {
    return a[static_cast<std::size_t>((i - 1) * w + k - 1)];
  }
};

std::size_t ix(std::int32_t i) { return static_cast<std::size_t>(i - 1); }

}  // namespace

int ODESMX(std::span<double> y, std::span<const double> w, std::span<double> save,
           std::span<double> scratch, std::span<const double> f0, std::span<double> band,
           std::span<std::int32_t> pivots, double con, int /*method*/, std::int32_t& status) {
  OdeState& s = odestate;
  const std::int32_t n = s.n, ml = s.ml, mu = s.mu;
  const std::int32_t bw = 2 * ml + mu + 1;
  const Band p{band, bw};
  double d = 0.0;
  for (std::int32_t i = 1; i <= n; ++i) d += f0[ix(i)] * f0[ix(i)];
  const double r0 = 1000.0 * std::abs(s.h) * std::sqrt(d) * uround;
  for (std::int32_t i = 1; i <= n; ++i) save[ix(i)] = y[ix(i)];
  const auto r = [&](std::int32_t i) { return std::max(s.sqrtur * w[ix(i)], r0); };
  // Columns MW apart share no equation: one evaluation serves them all.
  const std::int32_t mw = ml + mu + 1, groups = std::min(mw, n);
  for (std::int32_t g = 1; g <= groups; ++g) {
    for (std::int32_t i = g; i <= n; i += mw) y[ix(i)] += r(i);
    if (odef(odemode::jacobian, s.t, y, scratch) != 0) {
      for (std::int32_t i = g; i <= n; i += mw) y[ix(i)] = save[ix(i)];
      std::fill(save.begin(), save.begin() + n, 0.0);
      return 1;
    }
    for (std::int32_t i = g; i <= n; i += mw) {
      const double fac = con / r(i);
      for (std::int32_t e = std::max(i - mu, 1); e <= std::min(i + ml, n); ++e)
        p(i - e + ml + 1, e) = (scratch[ix(e)] - f0[ix(e)]) * fac;
      y[ix(i)] = save[ix(i)];
      save[ix(i)] = 0.0;
    }
  }
  std::fill(save.begin(), save.begin() + n, 0.0);
  ++s.nje;
  for (std::int32_t i = 1; i <= n; ++i) p(ml + 1, i) += 1.0;
  ODELUD(bw, n, ml, mu, band, pivots, status);
  return 0;
}

void ODELUD(std::int32_t w, std::int32_t n, std::int32_t ml, std::int32_t mu,
            std::span<double> band, std::span<std::int32_t> pivots, std::int32_t& status) {
  status = -1;
  if (n < 1 || ml < 0 || mu < 0 || ml > n - 1 || mu > n - 1 || 2 * ml + mu + 1 > w) return;
  if (band.size() < static_cast<std::size_t>(w) * static_cast<std::size_t>(n) ||
      pivots.size() < static_cast<std::size_t>(n))
    return;
  status = 0;
  const Band a{band, w};
  const std::int32_t top = ml + mu + 1;
  // The first ML rows start left of column 1: move them to position 1.
  for (std::int32_t i = 1; i <= ml; ++i) {
    const std::int32_t shift = ml + 1 - i;
    for (std::int32_t k = 1; k <= mu + i; ++k) a(k, i) = a(k + shift, i);
    for (std::int32_t k = mu + i + 1; k <= top; ++k) a(k, i) = 0.0;
  }
  for (std::int32_t k = 1; k <= n - 1; ++k) {
    const std::int32_t last = std::min(k + ml, n);
    std::int32_t piv = k;
    for (std::int32_t r = k + 1; r <= last; ++r)
      if (std::abs(a(1, r)) > std::abs(a(1, piv))) piv = r;
    pivots[ix(k)] = piv;
    if (piv != k)
      for (std::int32_t j = 1; j <= top; ++j) std::swap(a(j, k), a(j, piv));
    if (a(1, k) == 0.0) {
      status = k;
      return;
    }
    const double recip = 1.0 / a(1, k);
    a(1, k) = recip;
    const std::int32_t width = std::min(ml + mu, n - k);
    for (std::int32_t r = k + 1; r <= last; ++r) {
      const double x = -a(1, r) * recip;
      a(top + r - k, k) = x;
      for (std::int32_t j = 1; j <= width; ++j) a(j, r) = x * a(j + 1, k) + a(j + 1, r);
      a(top, r) = 0.0;
    }
  }
  pivots[ix(n)] = n;
  if (a(1, n) == 0.0) {
    status = n;
    return;
  }
  a(1, n) = 1.0 / a(1, n);
}

void ODESLG(std::int32_t w, std::int32_t n, std::int32_t ml, std::int32_t mu,
            std::span<const double> band, std::span<const std::int32_t> pivots,
            std::span<double> b) {
  const auto a = [&](std::int32_t k, std::int32_t i) {
    return band[static_cast<std::size_t>((i - 1) * w + k - 1)];
  };
  const std::int32_t top = ml + mu + 1;
  if (n == 1) {
    b[0] *= a(1, 1);
    return;
  }
  if (ml > 0) {
    for (std::int32_t k = 1; k <= n - 1; ++k) {
      const std::int32_t p = pivots[ix(k)];
      if (p != k) std::swap(b[ix(k)], b[ix(p)]);
      for (std::int32_t r = 1; r <= std::min(ml, n - k); ++r)
        b[ix(k + r)] += b[ix(k)] * a(top + r, k);
    }
  }
  b[ix(n)] *= a(1, n);
  for (std::int32_t k = n - 1; k >= 1; --k) {
    const std::int32_t len = std::min(n - k, ml + mu);
    double sum = b[ix(k)];
    for (std::int32_t j = 1; j <= len; ++j) sum -= a(j + 1, k) * b[ix(k + j)];
    b[ix(k)] = sum * a(1, k);
  }
}

void XPATOB(std::span<const double> a, std::int32_t rows, std::span<double> b, std::int32_t cols) {
  for (std::int32_t i = 1; i <= rows; ++i)
    for (std::int32_t j = 1; j <= cols; ++j)
      b[static_cast<std::size_t>((i - 1) * cols + j - 1)] =
          a[static_cast<std::size_t>((j - 1) * rows + i - 1)];
}

}  // namespace numeric
