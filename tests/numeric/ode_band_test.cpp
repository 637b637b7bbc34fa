#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numeric/ode.h"

namespace {

using numeric::ODELUD;
using numeric::ODESLG;

// A banded matrix kept dense (row by row) and in band form.
struct Banded {
  int n, ml, mu, w;
  std::vector<double> dense, band;
  std::vector<std::int32_t> piv;
  Banded(int n_, int ml_, int mu_)
      : n(n_),
        ml(ml_),
        mu(mu_),
        w(2 * ml_ + mu_ + 1),
        dense(n_ * n_, 0.0),
        band(w * n_, -7.0),
        piv(n_, 0) {}
  void set(int i, int j, double v) {  // from 1
    dense[(i - 1) * n + j - 1] = v;
    band[(i - 1) * w + (j - i + ml + 1) - 1] = v;
  }
  // Fills every element of the band with a value of i and j.
  template <class F>
  void fill(F f) {
    for (int i = 1; i <= n; ++i)
      for (int j = std::max(1, i - ml); j <= std::min(n, i + mu); ++j) set(i, j, f(i, j));
  }
  std::vector<double> times(const std::vector<double>& x) const {
    std::vector<double> b(n, 0.0);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) b[i] += dense[i * n + j] * x[j];
    return b;
  }
  int factor() {
    std::int32_t status = 99;
    ODELUD(w, n, ml, mu, band, piv, status);
    return status;
  }
  // Solves for a known x and returns the largest error.
  double solveerror() {
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i) x[i] = 1.0 + 0.5 * i - 0.1 * i * i;
    std::vector<double> b = times(x);
    ODESLG(w, n, ml, mu, band, piv, b);
    double e = 0.0;
    for (int i = 0; i < n; ++i) e = std::max(e, std::abs(b[i] - x[i]));
    return e;
  }
};

TEST(OdeBand, FactorsAndSolvesEveryBandShape) {
  struct Shape {
    int n, ml, mu;
  };
  // Small diagonals force row exchanges wherever the band allows them (a
  // triangular band, which allows none, gets a large one).
  for (const Shape s : {Shape{5, 2, 1}, Shape{6, 1, 2}, Shape{4, 3, 3}, Shape{5, 0, 2},
                        Shape{5, 2, 0}, Shape{2, 1, 1}, Shape{7, 1, 1}}) {
    SCOPED_TRACE(testing::Message() << s.n << " " << s.ml << " " << s.mu);
    Banded a(s.n, s.ml, s.mu);
    const double diag = s.ml > 0 && s.mu > 0 ? 0.01 : 5.0;
    a.fill([&](int i, int j) { return i == j ? diag * i : 1.0 + i + 2.0 * j * ((i + j) % 3 - 1); });
    ASSERT_EQ(a.factor(), 0);
    EXPECT_LT(a.solveerror(), 1e-11);
  }
  // The last super-diagonal of rows 1 and 2 is what the first ML rows'
  // shift must keep.
  Banded b(4, 2, 1);
  b.fill([](int i, int j) { return j > i ? 3.0 * i : i == j ? 1e-3 : 1.0 + j; });
  ASSERT_EQ(b.factor(), 0);
  EXPECT_LT(b.solveerror(), 1e-10);
}

TEST(OdeBand, OneEquationIsItsReciprocal) {
  Banded a(1, 0, 0);
  a.set(1, 1, 4.0);
  ASSERT_EQ(a.factor(), 0);
  EXPECT_EQ(a.band[0], 0.25);
  std::vector<double> b{2.0};
  ODESLG(1, 1, 0, 0, a.band, a.piv, b);
  EXPECT_EQ(b[0], 0.5);
  a.set(1, 1, 0.0);
  EXPECT_EQ(a.factor(), 1);
}

TEST(OdeBand, TiesPickTheUpperRowAndZeroPivotsAreNamed) {
  // Column 1: rows 2 and 3 hold the largest magnitude, once each sign.
  Banded a(3, 2, 2);
  a.fill([](int i, int j) { return j == 1 ? (i == 1 ? 1.0 : i == 2 ? -5.0 : 5.0) : i + 2.0 * j; });
  ASSERT_EQ(a.factor(), 0);
  EXPECT_EQ(a.piv[0], 2);
  EXPECT_LT(a.solveerror(), 1e-12);
  // Equal rows 1 and 2 in column 1: row 1 stays.
  Banded b(3, 1, 1);
  b.fill([](int i, int j) { return j == 1 ? 2.0 : i == j ? 3.0 : 1.0; });
  ASSERT_EQ(b.factor(), 0);
  EXPECT_EQ(b.piv[0], 1);
  EXPECT_LT(b.solveerror(), 1e-12);
  // Column 2 is eliminated to nothing: the second pivot is zero.
  Banded c(3, 1, 1);
  c.fill([](int i, int j) { return i == 3 ? (j == 3 ? 1.0 : 0.0) : 1.0 * j; });
  EXPECT_EQ(c.factor(), 2);
  // Only the last pivot zero.
  Banded d(2, 1, 1);
  d.fill([](int, int) { return 1.0; });
  EXPECT_EQ(d.factor(), 2);
  // Sizes that do not fit the band.
  Banded e(3, 1, 1);
  std::int32_t status = 0;
  ODELUD(e.w - 1, 3, 1, 1, e.band, e.piv, status);
  EXPECT_EQ(status, -1);
  ODELUD(e.w, 3, 3, 0, e.band, e.piv, status);
  EXPECT_EQ(status, -1);
}

TEST(OdeBand, XpatobTransposes) {
  const std::vector<double> v{1, 2, 3};
  std::vector<double> out(3);
  numeric::XPATOB(v, 3, out, 1);
  EXPECT_EQ(out, v);
  // A 2 x 3 matrix column by column: (1 3 5 / 2 4 6).
  const std::vector<double> a{1, 2, 3, 4, 5, 6};
  std::vector<double> t(6);
  numeric::XPATOB(a, 2, t, 3);
  EXPECT_EQ(t, (std::vector<double>{1, 3, 5, 2, 4, 6}));
}

TEST(OdeBand, CoefficientsAreGearsStiffFormulas) {
  double fact = 1.0;
  for (int q = 1; q <= 5; ++q) {
    SCOPED_TRACE(q);
    // l(x) = prod (1 + x / j), scaled so that its x coefficient is 1.
    std::vector<double> p{1.0};
    for (int j = 1; j <= q; ++j) {
      std::vector<double> next(p.size() + 1, 0.0);
      for (std::size_t k = 0; k < p.size(); ++k) {
        next[k] += p[k];
        next[k + 1] += p[k] / j;
      }
      p = next;
    }
    std::array<double, 7> l{};
    std::array<double, 5> tau{};
    int maxorder = 0;
    numeric::ODECOF(2, q, l, tau, maxorder);
    EXPECT_EQ(maxorder, 5);
    EXPECT_EQ(l[2], 1.0);
    for (int j = 1; j <= q + 1; ++j) EXPECT_NEAR(l[j], p[j - 1] / p[1], 1e-13) << j;
    // The error constants as the formulas give them, to the table's digits.
    if (q > 1) fact *= q - 1;
    EXPECT_NEAR(tau[1], 1.0 / fact, 2e-4);
    EXPECT_NEAR(tau[2] * l[1], q + 1.0, 2e-3);
    if (q < 5) {
      EXPECT_NEAR(tau[3] * l[1], q + 2.0, 2e-3);
    }
    EXPECT_DOUBLE_EQ(tau[4], 0.5 * tau[2] / (q + 2));
  }
}

}  // namespace
