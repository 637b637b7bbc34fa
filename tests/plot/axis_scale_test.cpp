// The axis engine's scales as numbers, and ranges that could keep it
// turning: every range, however odd, is drawn in a bounded number of device
// operations.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <string>

#include "core/datetime.h"
#include "plot/axis.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot_fixture.h"

namespace {

using plottest::PlotTest;

constexpr float charwidth = 0.2F;

plot::Scale& rounded(int e, float mn, float mx, float length, std::int32_t style = 0) {
  plot::axisstate.style(e) = style;
  plot::Scale& s = plot::axisstate.scale(e);
  s.minimum = mn;
  s.maximum = mx;
  plot::roundscale(e, length, charwidth);
  return s;
}

double tickstep(const plot::Scale& s) {
  return static_cast<double>(s.step) * s.unitsperplot / 10.0;
}

TEST_F(PlotTest, LinearRangesRoundToStepsOfAPowerOfTen) {
  // A step of 1 would be 20/7 widths long, below 4: the step grows to 10
  // (29 widths) and the range to a whole step.
  const plot::Scale& a = rounded(1, 0.0F, 7.0F, 20 * charwidth);
  EXPECT_FLOAT_EQ(a.minimum, 0.0F);
  EXPECT_FLOAT_EQ(a.maximum, 10.0F);
  EXPECT_NEAR(tickstep(a), 1.0, 1e-6);
  EXPECT_FLOAT_EQ(a.divisor, 1.0F);
  // The band's edges: a step of exactly 4 widths stays, one just below 4
  // grows tenfold; one of 40 widths shrinks to a tenth, 4, and stays.
  // (Widths of a quarter unit: the products are exact.)
  const auto step = [](float widths) {
    plot::axisstate.style(1) = 0;
    plot::Scale& s = plot::axisstate.scale(1);
    s.minimum = 0.0F;
    s.maximum = 10.0F;
    plot::roundscale(1, widths * 0.25F, 0.25F);
    return tickstep(s);
  };
  EXPECT_NEAR(step(40), 0.1, 1e-6);
  EXPECT_NEAR(step(39), 1.0, 1e-6);
  EXPECT_NEAR(step(400), 0.01, 1e-7);
  // Outward to whole steps, a quotient next to a whole number taken as it.
  const plot::Scale& b = rounded(1, -0.35F, 6.2F, 20 * charwidth);
  EXPECT_FLOAT_EQ(b.minimum, -10.0F);
  EXPECT_FLOAT_EQ(b.maximum, 10.0F);
  const plot::Scale& c = rounded(1, 0.3F, 0.7F, 20 * charwidth);
  EXPECT_NEAR(c.minimum, 0.3, 1e-6);
  EXPECT_NEAR(c.maximum, 0.7, 1e-6);
  // Large steps are written divided; the title says by what.
  const plot::Scale& d = rounded(1, 0.0F, 125000.0F, 60 * charwidth);
  EXPECT_FLOAT_EQ(d.divisor, 10000.0F);
  EXPECT_FLOAT_EQ(d.maximum, 130000.0F);
  EXPECT_EQ(plot::axistitle(0, d.divisor), " / 10000");
  EXPECT_EQ(plot::axistitle(0, 1.0), "");
  EXPECT_EQ(plot::axislabel(1, 120000.0), "12");
  // A minimum not below the maximum: a positive one doubles, others get
  // a range of at least 1 above them.
  EXPECT_FLOAT_EQ(rounded(1, 3.0F, 3.0F, 20 * charwidth).maximum, 6.0F);
  for (const float v : {0.0F, -5.0F, -1e30F}) {
    const plot::Scale& m = rounded(1, v, v, 20 * charwidth);
    EXPECT_LE(m.minimum, v);
    EXPECT_GE(m.maximum, v + std::max(1.0F, std::fabs(v)));
  }
  // A range of two ulps on the shortest axis, less than a step: one step.
  const plot::Scale& u = rounded(1, 1.0F, 1.0000002F, plot::shortestaxis);
  EXPECT_FLOAT_EQ(u.minimum, 1.0F);
  EXPECT_GT(u.maximum, u.minimum);
  // A step of exactly 1000 is written divided too.
  EXPECT_FLOAT_EQ(rounded(1, 0.0F, 2000.0F, 20 * charwidth).divisor, 1000.0F);
  // A log maximum not above the minimum: one decade.
  EXPECT_FLOAT_EQ(rounded(1, 0.5F, -1.0F, 20 * charwidth, plot::axisbit::log).maximum, 1.0F);
}

TEST_F(PlotTest, LogRangesRoundToWholeDecades) {
  const float length = 10.0F;
  const plot::Scale& a = rounded(9, 0.02F, 150.0F, length, plot::axisbit::log);
  EXPECT_FLOAT_EQ(a.minimum, 0.01F);
  EXPECT_FLOAT_EQ(a.maximum, 1000.0F);
  EXPECT_FLOAT_EQ(a.step, length / 5);
  double p = 0;
  ASSERT_TRUE(plot::axisposition(9, 10.0, p));
  EXPECT_NEAR(p, 3 * length / 5, 1e-4);
  EXPECT_FALSE(plot::axisposition(9, 0.0, p));
  EXPECT_FLOAT_EQ(rounded(9, 0.0F, 100.0F, length, plot::axisbit::log).minimum, 1e-6F);
  // Both ends in one decade: that decade.
  const plot::Scale& c = rounded(9, 2.0F, 3.0F, length, plot::axisbit::log);
  EXPECT_FLOAT_EQ(c.minimum, 1.0F);
  EXPECT_FLOAT_EQ(c.maximum, 10.0F);
  EXPECT_FLOAT_EQ(c.step, length);
  // Both ends in the first thousandth of one: that decade too.
  const plot::Scale& d = rounded(9, 1.0F, 1.0005F, length, plot::axisbit::log);
  EXPECT_FLOAT_EQ(d.maximum, 10.0F);
  EXPECT_FLOAT_EQ(d.step, length);
}

TEST_F(PlotTest, DateLabelsAreTheTimeOfDayOrThePicturesText) {
  plot::axisstate.scale(1) = plot::Scale{1.0F, 1.0F, 0.0F, 1.0F, 10.0F};
  plot::axisstate.style(1) = plot::axisbit::time;
  std::array<char, 8> full{};
  core::DATETIMELABEL(5.0F, full);
  EXPECT_EQ(plot::axislabel(1, 5.0), std::string({full[4], full[5], ':', full[6], full[7]}));
  EXPECT_EQ(plot::axislabel(1, 5.0).size(), 5U);
  // A dated range (below 0) shows the year.
  plot::axisstate.scale(1) = plot::Scale{1.0F, 1.0F, -3000.0F, 1.0F, -2990.0F};
  core::DATETIMELABEL(-2995.0F, full);
  EXPECT_EQ(plot::axislabel(1, -2995.0), std::string(full.data(), 4));
}

// Every range reaches a drawing that ends: the ones that doubled into
// nothing, the largest, the ones that are not numbers.
TEST_F(PlotTest, NoRangeKeepsAnAxisTurning) {
  plottest::recorddevice();
  std::mt19937 random(56);
  const float special[] = {0.0F,
                           -5.0F,
                           -1e30F,
                           1e30F,
                           -1.0F,
                           1e-45F,
                           std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           3.4e38F,
                           1e6F,
                           1e6F + 0.0625F};
  const std::int32_t styles[] = {0x40, 0x60, 0x240, 0x800, 0x40 | 0x400};
  std::uniform_int_distribution<int> pick(0, 11), pickstyle(0, 4);
  std::uniform_real_distribution<float> any(-1e6F, 1e6F);
  for (int round = 0; round < 300; ++round) {
    const int k = 1 + round % plot::naxes;
    for (const int e : {plot::xentry(k), plot::yentry(k)}) {
      plot::Scale& s = plot::axisstate.scale(e);
      s.minimum =
          round < 144 ? special[round % 12] : (random() % 2 ? any(random) : special[pick(random)]);
      s.maximum =
          round < 144 ? special[round / 12] : (random() % 2 ? any(random) : special[pick(random)]);
      plot::axisstate.style(e) = styles[pickstyle(random)];
    }
    plot::axisstate.frame(k) = plot::Frame{1 + round % 90, 1 + round % 40, round % 7, round % 3};
    plottest::devicecalls().clear();
    plot::PLOTS(0);
    std::int32_t axis = k;
    plot::XYAXIS(axis);
    for (const int e : {plot::xentry(k), plot::yentry(k)}) {
      const plot::Scale& s = plot::axisstate.scale(e);
      ASSERT_TRUE(std::isfinite(s.minimum) && std::isfinite(s.maximum)) << "round " << round;
      ASSERT_LT(s.minimum, s.maximum) << "round " << round;
    }
    ASSERT_LT(plottest::devicecalls().size(), 200000U) << "round " << round;
  }
  plottest::stoprecording();
}

}  // namespace
