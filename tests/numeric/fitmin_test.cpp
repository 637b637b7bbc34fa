// The rules of the fit's passes, through the model seam with C++ models:
// how the damping enters a trial and moves after it, which trial is taken,
// and when a fit may end.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "numeric/fit.h"
#include "numeric/solve.h"
#include "support/stores_fixture.h"

namespace {

using numeric::solvestate;

// One unknown p in z(1); data y(i); residual c (p - y(i)). A trial run
// at the trial point itself (UnknownIdx, in z(2), is 0; not one for a
// derivative) gives the residuals of `trialr` instead, when that is not
// empty.
std::vector<double> data, trialr;
double slope = 1.0;
bool model(std::int32_t i, double& r, bool trial) {
  const auto k = static_cast<std::size_t>(i - 1);
  r = trial && !trialr.empty() && core::z(2) == 0.0 ? trialr[k] : slope * (core::z(1) - data[k]);
  return true;
}

class FitPasses : public testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    numeric::reset_solve();
    numeric::fitmodel = model;
    data = {1.0, 3.0};
    trialr.clear();
    slope = 1.0;
    auto& s = solvestate;
    s.base = 0;
    s.nunknowns = s.m = 1;
    s.freeunknowns[1] = 1;
    s.nd = 2;
    s.unknownidx = 2;
    s.firstpass = true;
    numeric::solvework.assign(static_cast<std::size_t>(s.nd + 4), 0.0);
    core::solveiter = 0;
    core::solvemaxiter = 1000;
    core::solvedone = 0;
    core::nomsg = 1;  // no message boxes
    core::xeqstop = 0;
    core::msgkey.blank();
  }
  void TearDown() override {
    numeric::reset_solve();
    core::nomsg = 0;
    core::xeqstop = 0;
    core::solvemaxiter = 1000;
    core::msgkey.blank();
  }
  // The slices of the work: the normal matrix and the gradient (m = 1).
  double& normal() { return numeric::solvework[static_cast<std::size_t>(data.size()) + 1]; }
  double& gradient() { return numeric::solvework[static_cast<std::size_t>(data.size()) + 2]; }
  // Passes as the run driver makes them, up to the end of the fit; the
  // number of passes.
  int passes() {
    int n = 0;
    for (;;) {
      numeric::SOLVERUN();
      ++n;
      if (core::xeqstop != 0 || core::solvedone != 0 || core::solveiter >= core::solvemaxiter)
        return n;
      ++core::solveiter;
    }
  }
};

TEST_F(FitPasses, ATrialIsTakenOnlyWhenItLowersTheSum) {
  core::z(1) = 0.0;  // sum 1 + 9
  // A trial whose sum equals the best is no improvement: back to the
  // unknowns before it, damping up tenfold.
  trialr = {1.0, 3.0};
  numeric::SOLVERUN();
  EXPECT_FALSE(solvestate.improved);
  EXPECT_EQ(core::z(1), 0.0);
  EXPECT_EQ(solvestate.best, 10.0);
  EXPECT_DOUBLE_EQ(solvestate.damping, 1.0E-2);
  // A sum lower by the least amount is one: damping down tenfold.
  trialr = {1.0, std::nextafter(3.0, 0.0)};
  ++core::solveiter;
  numeric::SOLVERUN();
  EXPECT_TRUE(solvestate.improved);
  EXPECT_LT(solvestate.best, 10.0);
  EXPECT_DOUBLE_EQ(solvestate.damping, 1.0E-3);
  EXPECT_EQ(core::solvedone, 0);
}

TEST_F(FitPasses, TheDampingAddsItsValueTimesTheLargestDiagonalSeen) {
  // From p = 0 the normal matrix is 2 and the gradient 4: the first trial
  // (damping 0.001, the diagonal at its largest) steps by 4 / (2 * 1.001).
  core::z(1) = 0.0;
  numeric::SOLVERUN();
  // (Forward differences of a straight line are exact to about 1E-11.)
  EXPECT_NEAR(core::z(1), 4.0 / 2.002, 1e-10);
  EXPECT_NEAR(solvestate.scale[0], 2.0, 1e-10);
  // A diagonal of 200 seen before: the step from p = 0 with damping 0.01
  // is 4 / (2 + 0.01 * 200), a quarter of the plain form's.
  core::z(1) = 0.0;
  solvestate.best = 10.0;
  solvestate.damping = 0.01;
  solvestate.scale[0] = 200.0;
  normal() = 2.0;
  gradient() = 4.0;
  ++core::solveiter;
  numeric::SOLVERUN();
  EXPECT_NEAR(core::z(1), 4.0 / 4.0, 1e-10);
}

TEST_F(FitPasses, AFitEndsOnlyAtAMinimum) {
  // Straight to the minimum p = 2: the damping passes its limit there and
  // the fit ends without a message.
  core::z(1) = -1000.0;
  passes();
  EXPECT_EQ(core::solvedone, 1);
  EXPECT_TRUE(core::msgkey.is_blank());
  EXPECT_NEAR(core::z(1), 2.0, 1e-8);
  EXPECT_LT(numeric::FITSCALEDGRADIENT(std::span<const double>(&normal(), 1),
                                       std::span<const double>(&gradient(), 1), solvestate.best),
            1.0E-3);

  // The pass limit that the script set (MaXIters) reached far from it
  // (one pass from p = -1000 reaches about 1): SolveNoConv, with the
  // passes for the message.
  SetUp();
  core::z(1) = -1000.0;
  core::solvemaxiter = 1;
  solvestate.passlimitset = true;
  EXPECT_EQ(passes(), 1);
  EXPECT_EQ(core::msgkey.trimmed(), "SolveNoConv");
  EXPECT_EQ(core::iostatw[0], 1);
  EXPECT_EQ(core::xeqstop, core::stops::error);
  EXPECT_NEAR(core::z(1), 1.0, 0.01);

  // The built-in pass limit reached there: the end test goes on with a
  // Gauss-Newton step from its own derivatives, which reaches the minimum
  // (the sum 2 there).
  SetUp();
  core::z(1) = -1000.0;
  core::solvemaxiter = 1;
  EXPECT_EQ(passes(), 1);
  EXPECT_TRUE(core::msgkey.is_blank());
  EXPECT_EQ(core::solvedone, 1);
  EXPECT_NEAR(core::z(1), 2.0, 1e-8);
  EXPECT_NEAR(solvestate.best, 2.0, 1e-8);

  // The pass limit reached at the minimum: the fit ends as it would have.
  SetUp();
  core::z(1) = 1.9999999;
  core::solvemaxiter = 1;
  EXPECT_EQ(passes(), 1);
  EXPECT_TRUE(core::msgkey.is_blank());
  EXPECT_EQ(core::solvedone, 1);
}

TEST_F(FitPasses, AFitStuckInTheScaledFormGoesOnInThePlainOne) {
  // No trial ever lowers the sum. The first diagonal seen was 100 times
  // the one at the start point: once the damping passes its limit, the
  // damping takes the diagonal as it is and starts again; stuck again, the
  // fit fails.
  core::z(1) = 0.0;
  trialr = {1e10, 1e10};
  numeric::SOLVERUN();
  ASSERT_FALSE(solvestate.improved);
  solvestate.scale[0] = 100.0 * normal();
  // 1E-3 times ten each pass passes 1E10 in the fourteenth.
  for (int pass = 2; pass <= 14; ++pass) {
    ASSERT_GT(solvestate.damping, solvestate.startdamping) << pass;
    ++core::solveiter;
    numeric::SOLVERUN();
  }
  EXPECT_TRUE(core::msgkey.is_blank());
  EXPECT_EQ(core::solvedone, 0);
  EXPECT_EQ(solvestate.scale[0], normal());
  EXPECT_DOUBLE_EQ(solvestate.damping, solvestate.startdamping);
  ++core::solveiter;
  EXPECT_EQ(passes(), 14);
  EXPECT_EQ(core::msgkey.trimmed(), "SolveNoConv");
  EXPECT_EQ(core::iostatw[0], 28);
  EXPECT_EQ(core::z(1), 0.0);
}

}  // namespace
