// The integrator through its right-hand-side seam, with C++ functions.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/runwords.h"
#include "numeric/ode.h"

namespace {

using numeric::odestate;

void setup(int n, double t0, double tout, double dt1, double eps) {
  numeric::reset_ode();
  core::msgkey.blank();
  numeric::odestart(numeric::ODETEO, n, t0, tout, dt1, eps);
}

// Goes on to a new output time, as a DIFFEQ with Go=0 does.
int goon(std::vector<double>& y, double tout) {
  odestate.tout = odestate.target = tout;
  odestate.mode = 0;
  odestate.budget = 1'000'000;
  return numeric::ODEINI(y);
}

int rober(int, double, std::span<const double> y, std::span<double> f) {
  f[0] = -0.04 * y[0] + 1e4 * y[1] * y[2];
  f[1] = 0.04 * y[0] - 1e4 * y[1] * y[2] - 3e7 * y[1] * y[1];
  f[2] = 3e7 * y[1] * y[1];
  return 0;
}

// A chain y1' = -y1, y2' = y1 - 2 y2, y3' = 2 y2 - 3 y3 that fails when
// asked to: at its failcount-th evaluation in the mode given after a time.
int failmode = 0, failcount = 0;
double failafter = 1e30;
int chain(int mode, double t, std::span<const double> y, std::span<double> f) {
  if (mode == failmode && t > failafter && --failcount == 0) return 1;
  f[0] = -y[0];
  f[1] = y[0] - 2 * y[1];
  f[2] = 2 * y[1] - 3 * y[2];
  return 0;
}

class OdeGear : public testing::Test {
 protected:
  void TearDown() override {
    numeric::reset_ode();
    core::msgkey.blank();
  }
};

TEST_F(OdeGear, RoberKeepsItsInvariantToTheLastDecade) {
  numeric::odestart(rober, 3, 0.0, 0.4, 1e-8, 1e-6, 1e-20);
  EXPECT_EQ(odestate.digits, 20);
  std::vector<double> y{1.0, 0.0, 0.0};
  ASSERT_EQ(numeric::ODEINI(y), 0);
  for (double t = 4.0; t <= 4e10 * 1.01; t *= 10.0) {
    ASSERT_EQ(goon(y, t), 0) << t;
    ASSERT_EQ(odestate.errflag, 0) << t << " " << core::msgkey.trimmed();
    EXPECT_EQ(odestate.tout, t);
    EXPECT_NEAR(y[0] + y[1] + y[2], 1.0, 1e-9) << t;
    for (double v : y) EXPECT_GE(v, 0.0) << t;
  }
  ASSERT_EQ(goon(y, 1e11), 0);
  const double ref[3] = {2.083340149701255e-8, 8.333360770334713e-14, 0.9999999791665050};
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(y[i] / ref[i], 1.0, 1e-3) << i;
  EXPECT_GT(odestate.steps, 100);
  EXPECT_LT(odestate.nje, odestate.steps);
}

TEST_F(OdeGear, FailuresLeaveTheLastAcceptedSolution) {
  // Uninterrupted.
  setup(3, 0.0, 1.0, 1e-3, 1e-7);
  numeric::oderhs = chain;
  failmode = 0;
  std::vector<double> whole{1.0, 0.5, 0.25};
  ASSERT_EQ(numeric::ODEINI(whole), 0);
  // A failure in the second Jacobian column group, then in a step's first
  // evaluation: each time the solution is that of the last step, and the
  // integration goes on from there as if nothing had happened.
  for (const int mode : {numeric::odemode::jacobian, numeric::odemode::attempt}) {
    SCOPED_TRACE(mode);
    setup(3, 0.0, 1.0, 1e-3, 1e-7);
    numeric::oderhs = chain;
    failmode = mode;
    failcount = mode == numeric::odemode::jacobian ? 2 : 1;
    failafter = 0.2;
    std::vector<double> y{1.0, 0.5, 0.25};
    ASSERT_EQ(numeric::ODEINI(y), 1);
    const double t = odestate.t;
    EXPECT_LE(t, 0.3);
    EXPECT_NEAR(y[0], std::exp(-t), 1e-5);
    EXPECT_EQ(y[0], numeric::odework.cells[0]);
    failmode = 0;
    ASSERT_EQ(goon(y, 1.0), 0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(y[i], whole[i], 1e-12) << i;
  }
}

// y' = -y for a number of steps, then a derivative whose error does not
// shrink with the step (its value within a step differs from that at the
// step's start by 1 / h); or y' = -y until a time, then no number.
double jump = 0.0;
int inverseh(int mode, double, std::span<const double> y, std::span<double> f) {
  using namespace numeric::odemode;
  const bool instep = mode == attempt || mode == corrector || mode == jacobian;
  f[0] = odestate.steps < jump ? -y[0] : instep ? 1.0 / odestate.h : 0.0;
  return 0;
}
int nonumber(int, double t, std::span<const double> y, std::span<double> f) {
  f[0] = t < jump ? -y[0] : std::nan("");
  return 0;
}

TEST_F(OdeGear, EveryFailureHasItsKey) {
  struct Case {
    const char* key;
    double t0, tout, dt1, eps, jump;
    numeric::OdeRhs rhs;
  };
  const Case cases[] = {
      {"odeToutLTt0", 0.0, 0.0, 1e-3, 1e-5, 1e9, inverseh},
      {"odeToutLTt0", 1.0, 0.5, 1e-3, 1e-5, 1e9, inverseh},
      {"odeHis0", 1e20, 2e20, 1.0, 1e-5, 1e9, inverseh},
      {"odeEpsTooSmall", 0.0, 1.0, 1e-3, 1e-20, 1e9, inverseh},
      // Failing at the first step size, which is the smallest.
      {"odeInsolvable", 0.0, 1.0, 1e-3, 1e-5, 0.0, inverseh},
      // Failing far above the smallest step.
      {"odeErrorTooSmall", 0.0, 1.0, 1e-20, 1e-5, 30, inverseh},
      {"odeNoConv", 0.0, 1.0, 1e-3, 1e-5, 0.5, nonumber},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    setup(1, c.t0, c.tout, c.dt1, c.eps);
    numeric::oderhs = c.rhs;
    jump = c.jump;
    std::vector<double> y{1.0};
    EXPECT_EQ(numeric::ODEINI(y), 0);
    EXPECT_EQ(core::msgkey.trimmed(), c.key);
    EXPECT_EQ(odestate.errflag, 1);
    // The solution of the last accepted step (none when the start failed).
    const double t = c.key == std::string_view("odeToutLTt0") ? c.t0 : odestate.t;
    EXPECT_NEAR(y[0], std::exp(c.t0 - t), 1e-4) << t;
  }
}

// y' = -y, but no number within a step across t = 0.5 longer than
// `longest`: the corrector fails there at every longer step.
double longest = 0.0;
int narrow(int mode, double t, std::span<const double> y, std::span<double> f) {
  const bool instep = mode != numeric::odemode::first && mode != numeric::odemode::recover;
  const bool across = odestate.told < 0.5 && t >= 0.5;
  f[0] = instep && across && std::abs(odestate.h) > longest ? std::nan("") : -y[0];
  return 0;
}

TEST_F(OdeGear, ACorrectorFailingAtTheSmallestStepLowersIt) {
  // The smallest step starts at DT1 = 1E-3; a corrector that converges only
  // below 2E-5 gets the smallest step lowered twice, and the integration
  // goes through.
  setup(1, 0.0, 1.0, 1e-3, 1e-6);
  numeric::oderhs = narrow;
  longest = 2e-5;
  std::vector<double> y{1.0};
  EXPECT_EQ(numeric::ODEINI(y), 0);
  EXPECT_EQ(odestate.errflag, 0) << core::msgkey.trimmed();
  EXPECT_EQ(odestate.hminred, 2);
  EXPECT_NEAR(y[0], std::exp(-1.0), 1e-5);
  // Below 1E-14 it would take eleven: after ten, odeNoConv, with the
  // solution of the last step taken.
  setup(1, 0.0, 1.0, 1e-3, 1e-6);
  numeric::oderhs = narrow;
  longest = 1e-14;
  y = {1.0};
  EXPECT_EQ(numeric::ODEINI(y), 0);
  EXPECT_EQ(core::msgkey.trimmed(), "odeNoConv");
  EXPECT_EQ(odestate.hminred, 10);
  EXPECT_NEAR(y[0], std::exp(-odestate.t), 1e-5);
  EXPECT_GT(odestate.t, 0.499);
}

TEST_F(OdeGear, PositivityClipsNegativeValues) {
  // y' = -1 from 0.001 with one step of 0.01: -0.009, or the unit
  // roundoff when positivity is on.
  const auto down = [](int, double, std::span<const double>, std::span<double> f) {
    f[0] = -1.0;
    return 0;
  };
  for (const double nonzero : {0.0, 1e-6, -1.0}) {
    setup(1, 0.0, 1.0, 0.01, 1e-5);
    numeric::oderhs = down;
    odestate.nonzero = nonzero;
    odestate.digits = nonzero > 0 ? 6 : 0;
    odestate.budget = 1;
    std::vector<double> y{0.001};
    EXPECT_EQ(numeric::ODEINI(y), 0);
    EXPECT_EQ(odestate.tout, odestate.t);
    EXPECT_EQ(y[0], nonzero > 0 ? numeric::uround : 0.001 - 0.01) << nonzero;
  }
  // A negative threshold is off: a component at 0 keeps its weights finite.
  setup(2, 0.0, 1.0, 1e-3, 1e-5);
  numeric::oderhs = [](int, double, std::span<const double> y, std::span<double> f) {
    f[0] = -y[0];
    f[1] = y[0];
    return 0;
  };
  odestate.nonzero = -1.0;
  std::vector<double> y{1.0, 0.0};
  EXPECT_EQ(numeric::ODEINI(y), 0);
  EXPECT_NEAR(y[0], std::exp(-1.0), 1e-4);
  EXPECT_NEAR(y[1], 1.0 - std::exp(-1.0), 1e-4);
}

}  // namespace
