#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/runwords.h"
#include "numeric/solve.h"

namespace {

using numeric::GAUSSJ;

// Column by column, as GAUSSJ takes it.
double& at(std::vector<double>& a, int n, int i, int j) { return a[(j - 1) * n + (i - 1)]; }

TEST(Gaussj, InvertsHilbertFiveToItsIntegerInverse) {
  const int n = 5;
  std::vector<double> a(n * n), b(n, 1.0);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) at(a, n, i, j) = 1.0 / (i + j - 1);
  ASSERT_TRUE(GAUSSJ(a, b, n));
  // The exact inverse: (-1)^(i+j) (i+j-1) C(n+i-1, n-j) C(n+j-1, n-i) C(i+j-2, i-1)^2.
  auto choose = [](int p, int q) {
    double r = 1;
    for (int k = 1; k <= q; ++k) r = r * (p - q + k) / k;
    return r;
  };
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      const double sign = (i + j) % 2 == 0 ? 1.0 : -1.0;
      const double c = choose(i + j - 2, i - 1);
      const double exact =
          sign * (i + j - 1) * choose(n + i - 1, n - j) * choose(n + j - 1, n - i) * c * c;
      EXPECT_NEAR(at(a, n, i, j), exact, 1e-8 * std::abs(exact)) << i << "," << j;
    }
  // The row sums of the inverse solve H x = (1, ..., 1).
  for (int i = 1; i <= n; ++i) {
    double sum = 0;
    for (int j = 1; j <= n; ++j) sum += at(a, n, i, j);
    EXPECT_NEAR(b[i - 1], sum, 1e-6);
  }
}

TEST(Gaussj, SolvesALargeRandomSystemWithAKnownSolution) {
  const int n = 200;
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> a(n * n), x(n), b(n, 0.0);
  for (double& v : a) v = u(gen);
  for (int i = 0; i < n; ++i) x[i] = i - 100.5;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) b[i - 1] += at(a, n, i, j) * x[j - 1];
  const std::vector<double> original = a;
  ASSERT_TRUE(GAUSSJ(a, b, n));
  for (int i = 0; i < n; ++i) EXPECT_NEAR(b[i], x[i], 1e-8) << i;
  // What comes back is the inverse: its product with the matrix is the identity.
  for (int i = 1; i <= n; i += 37)
    for (int j = 1; j <= n; j += 23) {
      double s = 0;
      for (int k = 1; k <= n; ++k) s += original[(k - 1) * n + i - 1] * at(a, n, k, j);
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-9) << i << "," << j;
    }
}

TEST(Gaussj, StopsAtAZeroPivot) {
  core::msgkey.blank();
  std::vector<double> a = {1, 2, 2, 4}, b = {1, 2};
  EXPECT_FALSE(GAUSSJ(a, b, 2));
  EXPECT_EQ(core::msgkey.trimmed(), "SolveSingular");
  core::msgkey.blank();
  // All zero: no pivot at all.
  std::vector<double> z(9, 0.0), zb(3, 0.0);
  EXPECT_FALSE(GAUSSJ(z, zb, 3));
  core::msgkey.blank();
}

}  // namespace
