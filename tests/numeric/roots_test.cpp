#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "numeric/roots.h"

namespace {

using numeric::CUBICROOTS;

struct Case {
  std::vector<double> c;      // coefficients, highest power first
  int count;                  // expected root count
  std::vector<double> roots;  // expected roots, in the solver's order
};

TEST(Cubicroots, EveryBranchGivesItsRootsInItsOrder) {
  numeric::reset_roots();
  const Case cases[] = {
      {{1, -3, 2}, 2, {2, 1}},            // two real roots, c1 < 0
      {{2, 6, 4}, 2, {-2, -1}},           // c1 > 0 takes the other sign
      {{1, 0, 1}, 0, {}},                 // none
      {{1, -2, 1}, 2, {1, 1}},            // a double root is given twice
      {{3, 0, 0}, 2, {0, 0}},             // x squared: 0 twice, not 0/0
      {{0, 1, 1}, -1, {}},                // leading 0
      {{1, -6, 11, -6}, 3, {3, 1, 2}},    // three distinct roots
      {{1, 0, 0, -1}, 1, {1}},            // one real root
      {{1, 0, -3, 2}, 3, {-2, 1, 1}},     // D = 0: the double root twice
      {{2, -4, -22, 24}, 3, {4, -3, 1}},  // scaled leading coefficient
      {{0, 1, 2, 3}, -1, {}},
  };
  for (const Case& k : cases) {
    std::array<double, 4> w{};
    for (std::size_t i = 0; i < k.c.size(); ++i) w[i] = k.c[i];
    CUBICROOTS(w, static_cast<int>(k.c.size()) - 1);
    ASSERT_EQ(w[0], k.count) << k.c[1];
    for (int i = 1; i <= k.count; ++i)
      EXPECT_NEAR(w[i], k.roots[i - 1], 1e-9) << k.c[1] << " " << i;
  }
}

TEST(Cubicroots, TheThresholdDecidesANearDoubleRoot) {
  // (x - 1)^2 (x + 2) lifted a little: D is just above 0.
  std::array<double, 4> w = {1, 0, -3, 2 + 2e-6};
  numeric::rootthreshold = 1e-10;
  CUBICROOTS(w, 3);
  EXPECT_EQ(w[0], 1);
  w = {1, 0, -3, 2 + 2e-6};
  numeric::rootthreshold = 1e-5;
  CUBICROOTS(w, 3);
  EXPECT_EQ(w[0], 3);
  numeric::reset_roots();
}

TEST(Cubicroots, TheThresholdScalesWithTheRoots) {
  // (x - s)^2 (x + 2s) lifted by d s^3: the discriminant is about d s^6,
  // and the edge of the default threshold lies at d = 2.7E-9 at every
  // scale s. x^3 + e x keeps one real root however small e, and a triple
  // root is three equal ones.
  numeric::reset_roots();
  struct Edge {
    double s, d;
    int count;
  };
  const Edge edges[] = {{1e-3, 1e-9, 3}, {1e-3, 1e-8, 1}, {1, 1e-9, 3},
                        {1, 1e-8, 1},    {1e3, 1e-9, 3},  {1e3, 1e-8, 1}};
  for (const Edge& e : edges) {
    std::array<double, 4> w = {1, 0, -3 * e.s * e.s, (2 + e.d) * e.s * e.s * e.s};
    CUBICROOTS(w, 3);
    ASSERT_EQ(w[0], e.count) << e.s << " " << e.d;
    EXPECT_NEAR(w[1], -2 * e.s, 1e-6 * e.s) << e.s << " " << e.d;
    if (e.count == 3) {
      EXPECT_NEAR(w[2], e.s, 1e-4 * e.s) << e.s << " " << e.d;
    }
  }
  for (const double e : {1e-12, 1e-4, 1.0, 1e4}) {
    std::array<double, 4> w = {1, 0, e, 0};
    CUBICROOTS(w, 3);
    EXPECT_EQ(w[0], 1) << e;
  }
  for (const double s : {0.0, 1e-3, 1.0, 1e3}) {
    std::array<double, 4> w = {2, -6 * s, 6 * s * s, -2 * s * s * s};  // 2 (x - s)^3
    CUBICROOTS(w, 3);
    ASSERT_EQ(w[0], 3) << s;
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(w[i], s, 1e-9 + 1e-9 * s) << s;
  }
}

TEST(Cubicroots, OtherDegreesHaveNoRoots) {
  std::array<double, 4> w = {1, 2, 0, 0};
  CUBICROOTS(w, 1);
  EXPECT_EQ(w[0], -1);
}

}  // namespace
