// LINE with option lists made at random (a deterministic mutation loop):
// any keywords in any order, with values that are arrays, texts, zero,
// negative, huge, not a number or absent, on live and dead axes. Each call
// ends (the sanitizers watch it), leaves the curve settings within their
// limits and the device layer's recording off.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "exec/xeq.h"
#include "line_fixture.h"
#include "plot/line.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"

namespace {

using linetest::LineScript;

TEST_F(LineScript, RandomOptionListsEndAndKeepTheCurvesInTheirLimits) {
  framecolumns = 24;  // small frames: scrolls move few pixels
  framerows = 10;
  axis(1, 0, 10, -5, 5, plot::axisbit::scroll, plot::axisbit::scroll);
  axis(2, 1, 1000, 1, 100, plot::axisbit::log, plot::axisbit::log);
  const std::string out = plot(
      "DIMENSION A(7), E(1), M(2, 3)\nCHARACTER S*3, T*1\nS = 'abc'\nT = 'Q'\n"
      "DO I = 1, 7\n  A(I) = I * I - 10\nENDDO\nM(1, 1) = 999\nZ = 0\nBIG = 1E300\n"
      "NEG = -7.5\nNAN = 0\nONE = 1\nNINE = 999\nW = 40\nEND\n");
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << out;
  std::vector<std::int32_t> values{0};
  for (const char* n : {"A", "E", "M", "S", "T", "Z", "BIG", "NEG", "NAN", "ONE", "NINE", "W"}) {
    std::int32_t k = 0;
    ASSERT_TRUE(core::FINDSN(n, k, 0x400)) << n;
    values.push_back(k);
  }
  core::z(values[9]) = std::numeric_limits<double>::quiet_NaN();
  std::mt19937 random(57);
  const auto pick = [&](std::size_t n) {
    return static_cast<std::size_t>(random() % static_cast<std::uint32_t>(n));
  };
  for (int round = 0; round < 800; ++round) {
    const auto n = static_cast<std::int32_t>(1 + pick(8));
    exec::noptions = n;
    for (std::int32_t slot = 1; slot <= n; ++slot) {
      // Mostly X, Y, Axis and Points, which decide what is drawn.
      static constexpr std::uint8_t favoured[] = {13, 14, 1, 4, 13, 14};
      exec::optkw(slot) = pick(3) == 0 ? favoured[pick(6)] : static_cast<std::uint8_t>(pick(21));
      const std::int32_t v = values[pick(values.size())];
      exec::optval(slot) = v == 0 && pick(2) == 0 ? -exec::optkw(slot) : v;
    }
    core::msgkey.blank();
    plot::LINE(exec::OptCall{});
    // A function plot started is run out as the executor would.
    for (int step = 0; step < 100 && plot::linelive(); ++step) plot::CALLBACKLINE();
    exec::resumecode = 0;
    ASSERT_EQ(plot::plotcom.recording, 0) << "round " << round;
    ASSERT_FALSE(plot::drawing(*plot::plotdev)) << "a drawing pass left open, round " << round;
    for (int c = 0; c < plot::ncurves; ++c) {
      const plot::Curve& cv = plot::curvestate(c);
      ASSERT_GE(cv.oneway, -1);
      ASSERT_LE(cv.oneway, 1);
      ASSERT_GE(cv.linewidth, 1);
    }
  }
}

}  // namespace
