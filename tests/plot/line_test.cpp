// LINE in scripts, read back from the window's pixels: where points land,
// which curves and colours they take, how they join, fill, step, mark and
// write; function plots; strip charts that slide; a click read back in
// axis units; and where the axis' labels stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "line_fixture.h"
#include "plot/curves.h"
#include "plot/plotstate.h"

namespace {

using linetest::LineScript;

win::COLORREF colour(int n) { return exec::rgbtab(n); }

bool ran(const std::string& out) { return out.find("stop=-1") != std::string::npos; }

// A point halfway between two pixels.
win::POINT mid(win::POINT a, win::POINT b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

TEST_F(LineScript, PointsLandWhereTheirValuesSayOnCurvesStartedAnew) {
  axis(1, 0, 10, 0, 10);
  // One Y alone is the point x = 1; a symbol makes it seen. The editor is
  // told to bring its cursor line back without drawing over the plot.
  core::edmode = 10;
  EXPECT_EQ(plot("LINE(Symbol=1, Y=3)\nEND\n"), "stop=-1\n");
  EXPECT_EQ(core::edmode, core::edmodeshowline);
  EXPECT_GT(inked(pixel(1, 1, 3), 4), 4);
  EXPECT_EQ(inked(pixel(1, 2, 3), 3), 0) << "the one point is not at x = 2";
  EXPECT_EQ(inked(pixel(1, 1, 5), 3), 0);

  // Arrays of equal length: one polyline, not joined to the curve's last
  // point, in the start colour of curve 0.
  EXPECT_TRUE(
      ran(plot("DIMENSION A(4), B(4)\nDO I = 1, 4\n  A(I) = 2 * I\n  B(I) = 9 - 2 * I\n"
               "ENDDO\nLINE(X=A, Y=B)\nEND\n")));
  for (int i = 1; i < 4; ++i)
    EXPECT_GT(near(mid(pixel(1, 2 * i, 9 - 2 * i), pixel(1, 2 * i + 2, 7 - 2 * i)), 1, colour(0)),
              0)
        << "segment " << i;
  EXPECT_EQ(inked(mid(pixel(1, 1, 3), pixel(1, 2, 7)), 1), 0) << "joined to the earlier point";
  screenshot("line_polyline");
}

TEST_F(LineScript, OneXWithSeveralYGoesToConsecutiveCurvesAndColours) {
  axis(1, 0, 10, 0, 10);
  EXPECT_EQ(plot("DIMENSION V(3)\nV(1) = 2\nV(2) = 5\nV(3) = 8\n"
                 "LINE(Symbol=1, SymbolDiameter=6, X=5, Y=V)\nEND\n"),
            "V=(2,5,8)\nstop=-1\n");
  for (int i = 0; i < 3; ++i)
    EXPECT_GT(near(pixel(1, 5, 2 + 3 * i), 12, colour(i)), 4) << "curve " << i;
  EXPECT_EQ(plot::curvestate(2).symbol, 3) << "each curve its own symbol";

  // A negative colour holds for all of them.
  axis(1, 0, 10, 0, 10);
  EXPECT_TRUE(
      ran(plot("DIMENSION V(3)\nV(1) = 2\nV(2) = 5\nV(3) = 8\n"
               "LINE(Color=-3, Symbol=1, SymbolDiameter=6, X=7, Y=V)\nEND\n")));
  for (int i = 0; i < 3; ++i)
    EXPECT_GT(near(pixel(1, 7, 2 + 3 * i), 12, colour(3)), 4) << "curve " << i;
  EXPECT_EQ(near(pixel(1, 7, 5), 12, colour(1)), 0);

  // From a first curve of symbol 0 the next ones count up: 1, 2.
  axis(1, 0, 10, 0, 10);
  EXPECT_TRUE(
      ran(plot("DIMENSION V(3)\nV(1) = 2.5\nV(2) = 5.5\nV(3) = 8.5\n"
               "LINE(Symbol=0, SymbolDiameter=6, X=4.5, Y=V)\nEND\n")));
  EXPECT_EQ(plot::curvestate(0).symbol, 0);
  EXPECT_EQ(plot::curvestate(1).symbol, 1);
  EXPECT_EQ(plot::curvestate(2).symbol, 2);
  for (int i = 1; i < 3; ++i)
    EXPECT_GT(near(pixel(1, 4.5, 2.5 + 3 * i), 12, colour(i)), 4) << "curve " << i;
}

TEST_F(LineScript, LimitsCurveNumberAndDashAndNeverPaintsTheBackgroundColour) {
  axis(1, 0, 10, 0, 10);
  EXPECT_EQ(plot("LINE(Line=40, DaSH=9, lineWidth=3, X=1, Y=1)\nLINE(Line=40, X=9, Y=9)\nEND\n"),
            "stop=-1\n");
  // Curve 31 starts in colour 8; dash 6 is no platform style: solid.
  EXPECT_GT(near(pixel(1, 5, 5), 1, colour(8)), 0);
  EXPECT_EQ(plot::curvestate(31).style & 31, 8);
  // Curve 15 started anew is not drawn in the background colour 15.
  axis(1, 0, 10, 0, 10);
  plot("LINE(Line=15, X=1, Y=2)\nLINE(Line=15, X=9, Y=2)\nEND\n");
  EXPECT_NE(plot::curvestate(15).style & 31, 15);
  EXPECT_GT(inked(pixel(1, 5, 2), 1), 0);
}

// The next curves' colours pass over the axis' background, which fills the
// frame (a curve in it would not be seen), and characters as symbols
// count on through the characters: 'A', 'B', 'C'.
TEST_F(LineScript, NextCurvesSkipTheBackgroundAndCountCharacterSymbolsOn) {
  ASSERT_TRUE(
      ran(plot("AXIS(BaCkcolor=3, Grid=0, MiN=0, MaX=10, Yaxis, Grid=0, MiN=0, MaX=10)\n"
               "END\n")));
  const win::COLORREF back = colour(3);
  ASSERT_EQ(at(pixel(1, 5, 5)), back);
  // The ink of a mark, cut to its box.
  const auto mark = [&](double x, double y) {
    const win::POINT p = pixel(1, x, y);
    int l = width, t = height, r = -1, b = -1;
    for (int v = p.y - 14; v <= p.y + 14; ++v)
      for (int u = p.x - 14; u <= p.x + 14; ++u)
        if (at(u, v) != back) {
          l = std::min(l, u);
          t = std::min(t, v);
          r = std::max(r, u);
          b = std::max(b, v);
        }
    std::string ink;
    for (int v = t; v <= b; ++v, ink += '\n')
      for (int u = l; u <= r; ++u) ink += at(u, v) != back ? '#' : '.';
    return ink;
  };
  ASSERT_TRUE(
      ran(plot("DIMENSION V(3)\nV(1) = 2.5\nV(2) = 5.5\nV(3) = 8.5\n"
               "LINE(Color=1, Symbol=-65, SymbolDiameter=8, X=4.5, Y=V)\n"
               "LINE(Line=6, Color=2, Symbol=-66, SymbolDiameter=8, X=1.5, Y=5.5)\n"
               "LINE(Line=7, Color=4, Symbol=-67, SymbolDiameter=8, X=1.5, Y=8.5)\nEND\n")));
  EXPECT_GT(near(pixel(1, 4.5, 8.5), 12, colour(4)), 4) << "curve 2 not in colour 4";
  const std::string b = mark(1.5, 5.5), c = mark(1.5, 8.5);
  EXPECT_GT(std::count(b.begin(), b.end(), '#'), 10);
  EXPECT_NE(b, c);
  EXPECT_EQ(mark(4.5, 5.5), b) << "curve 1 does not write B";
  EXPECT_EQ(mark(4.5, 8.5), c) << "curve 2 does not write C";
  screenshot("line_next_curves");
}

// The pen is 2 pixels wide unless the statement says otherwise, also for a
// curve started anew on an axis drawn again after a wider one.
TEST_F(LineScript, ACurveStartedAnewOnARedrawnAxisTakesTheWidthTwo) {
  // Rows of ink in the column across a level line at y.
  const auto thickness = [&](double y) {
    const win::POINT p = pixel(1, 5.5, y);
    return inked(p.x, p.y - 8, p.x + 1, p.y + 9);
  };
  const std::string points = "DIMENSION A(2), B(2)\nA(1) = 1\nA(2) = 9\n";
  axis(1, 0, 10, 0, 10);
  plot(points + "B(1) = 3\nB(2) = 3\nLINE(lineWidth=5, X=A, Y=B)\nEND\n");
  EXPECT_EQ(thickness(3), 5);
  axis(1, 0, 10, 0, 10);
  plot(points + "B(1) = 7\nB(2) = 7\nLINE(X=A, Y=B)\nEND\n");
  EXPECT_EQ(thickness(7), 2);
  EXPECT_EQ(plot::curvestate(0).linewidth, 2);
}

TEST_F(LineScript, SentinelOneWayStepsAndNoZeroShapeTheLine) {
  axis(1, 0, 10, 0, 10);
  // 999 keeps the last x: a vertical line.
  plot("LINE(X=2, Y=3)\nLINE(X=999, Y=7)\nEND\n");
  EXPECT_GT(inked(pixel(1, 2, 5), 1), 0);
  // OneWay: a step back in x is not joined.
  plot(
      "DIMENSION A(3), B(3)\nA(1) = 4\nA(2) = 6\nA(3) = 5\nB(1) = 1\nB(2) = 1\nB(3) = 9\n"
      "LINE(Line=1, OneWay=1, X=A, Y=B)\nEND\n");
  EXPECT_GT(inked(pixel(1, 5, 1), 1), 0);
  EXPECT_EQ(inked(pixel(1, 5.5, 5), 1), 0) << "joined against its one way";
  // Steps: across first, then up.
  plot(
      "DIMENSION A(2), B(2)\nA(1) = 7\nA(2) = 9\nB(1) = 2\nB(2) = 6\n"
      "LINE(Line=2, STeps, X=A, Y=B)\nEND\n");
  EXPECT_GT(inked(pixel(1, 8, 2), 1), 0);
  EXPECT_GT(inked(pixel(1, 9, 4), 1), 0);
  EXPECT_EQ(inked(pixel(1, 8, 4), 1), 0) << "a step is no diagonal";
  screenshot("line_shapes");
}

TEST_F(LineScript, NoZeroSkipsZeroValuesAndTheirExtent) {
  axis(1, 0, 10, -2, 8);
  plot(
      "DIMENSION A(3), B(3)\nA(1) = 2\nA(2) = 5\nA(3) = 8\nB(1) = 6\nB(2) = 0\nB(3) = 6\n"
      "LINE(NoZero, X=A, Y=B)\nEND\n");
  EXPECT_GT(inked(pixel(1, 5, 6), 1), 0) << "the line runs past the zero";
  EXPECT_EQ(inked(pixel(1, 5, 0), 2), 0);
  EXPECT_EQ(plot::axisstate.scale(plot::yentry(1)).defaultmin, 6.0F);
}

TEST_F(LineScript, SymbolsAreStrokedOrWrittenAndDrawTextsStandWhereTheirCodeSays) {
  axis(1, 0, 10, 0, 10);
  plot("LINE(Symbol=65, SymbolDiameter=8, X=3, Y=5)\nLINE(Line=1, Symbol=-65, X=7, Y=5)\nEND\n");
  const win::POINT a = pixel(1, 3, 5), b = pixel(1, 7, 5);
  EXPECT_GT(inked(a, 12), 5) << "stroked A";
  EXPECT_GT(inked(b, 12), 5) << "written A";
  // Draw 9: upward text one cell right of and above the frame's corner.
  axis(2, 0, 10, 0, 10);
  plot("LINE(Axis=2, Draw=9, Text='Hi', X=0, Y=0)\nEND\n");
  const int bottom = ch * plot::axisstate.rows;
  EXPECT_GT(inked(cw, bottom - 5 * ch, cw + ch + 2, bottom - ch + 2), 3);
  EXPECT_EQ(inked(0, bottom - 8 * ch, cw - 1, bottom - ch - 1), 0) << "left of its point";
  EXPECT_EQ(inked(4 * cw, bottom - 8 * ch, width, bottom), 0) << "placed in axis units";
  screenshot("line_marks");
}

TEST_F(LineScript, AFillCoversThePolygonOfThePoints) {
  axis(1, -10, 10, -10, 10);
  // Ten points round the centre, and then ten thousand.
  for (const int n : {10, 10000}) {
    const std::string s = "DIMENSION A(" + std::to_string(n) + "), B(" + std::to_string(n) +
                          ")\nDO I = 1, " + std::to_string(n) +
                          "\n  A(I) = 8 * COS(6.2831853 * I / " + std::to_string(n) +
                          ")\n  B(I) = 8 * SIN(6.2831853 * I / " + std::to_string(n) +
                          ")\nENDDO\nLINE(BaCkcolor=4, X=A, Y=B)\nEND\n";
    EXPECT_TRUE(ran(plot(s))) << n;
    EXPECT_EQ(at(pixel(1, 0, 0)), colour(4)) << n;
    EXPECT_EQ(at(pixel(1, 3, -3)), colour(4)) << n;
    EXPECT_NE(at(pixel(1, 9, 9)), colour(4)) << n;
  }
}

TEST_F(LineScript, AFunctionPlotRunsAcrossTheAxis) {
  axis(1, 0, 10, 0, 100);
  EXPECT_EQ(plot("X = 3\nLINE(X=X, Y=X * X, Points=11)\nEND\n"), "X=10\nstop=-1\n");
  for (const double x : {1.0, 4.5, 9.5}) EXPECT_GT(inked(pixel(1, x, x * x), 2), 0) << x;
  EXPECT_EQ(inked(pixel(1, 3, 60), 2), 0);
  // Points=1 runs one step as Points=2: from minimum to maximum.
  axis(2, 0, 10, 0, 100);
  plot::axisstate.frame(2).bottom = 0;
  const std::string one = plot("X = 5\nLINE(Axis=2, Line=3, X=X, Y=10 * X, Points=1)\nEND\n");
  EXPECT_EQ(one, "X=10\nstop=-1\n");
  EXPECT_GT(inked(pixel(2, 5, 50), 1), 0);
  EXPECT_GT(inked(pixel(2, 2.5, 25), 1), 0);
  screenshot("line_function");
}

TEST_F(LineScript, AStripChartSlidesAndStaysOnItsData) {
  // A small frame: every scroll moves its pixels.
  framecolumns = 30;
  framerows = 12;
  axis(1, 0, 50, -1, 1, plot::axisbit::scroll);
  const float units = plot::axisstate.scale(1).unitsperplot * plot::axisstate.cellwidth;
  // A point 3.5 columns past the maximum: four columns.
  plot("LINE(Symbol=1, X=10, Y=0)\nLINE(X=50 + 3.5 * " + std::to_string(units) + ", Y=0.5)\nEND\n");
  EXPECT_NEAR(plot::axisstate.scale(1).maximum, 50 + 4 * units, units / 100);
  EXPECT_NEAR(plot::axisstate.scale(1).minimum, 4 * units, units / 100);
  // The earlier mark moved with the picture.
  const win::POINT mark = pixel(1, 10, 0);
  EXPECT_GT(inked(mark, 3), 0);
  // Two hundred more scrolls: the newest points lie where the range says.
  plot("DO I = 1, 200\n  LINE(Line=2, X=60 + 4 * I, Y=SIN(I / 5))\nENDDO\nEND\n");
  const plot::Scale& s = plot::axisstate.scale(1);
  EXPECT_GE(s.maximum, 860.0F);
  EXPECT_LT(s.maximum, 860.0F + units);
  for (const int i : {198, 199})
    EXPECT_GT(near(mid(pixel(1, 60 + 4 * i, std::sin(i / 5.0)),
                       pixel(1, 64 + 4 * i, std::sin((i + 1) / 5.0))),
                   2, colour(2)),
              0)
        << i;
  screenshot("line_strip");

  // Without Scroll the point is clipped at the frame's edge.
  axis(3, 0, 50, -1, 1);
  plot("LINE(Axis=3, Line=4, X=40, Y=0)\nLINE(Axis=3, Line=4, X=60, Y=0)\nEND\n");
  EXPECT_EQ(plot::axisstate.scale(plot::xentry(3)).maximum, 50.0F);
  EXPECT_GT(near(pixel(3, 49, 0), 1, colour(4)), 0);
  EXPECT_EQ(near(pixel(3, 51, 0), 1, colour(4)), 0);
}

// PRint 0 is "the window only": the curve is drawn there, not on paper.
TEST_F(LineScript, PrintZeroSendsTheCurveToTheWindowOnly) {
  axis(1, 0, 10, 0, 10);
  EXPECT_EQ(plot("LINE(PRint=0, X=1, Y=5)\nLINE(X=9, Y=5)\nEND\n"), "stop=-1\n");
  EXPECT_EQ(record->printstate, 2);
  EXPECT_GT(inked(pixel(1, 5, 5), 1), 0);
}

TEST_F(LineScript, AYOnAnAxisNotDrawnStopsWithItsNumber) {
  axis(1, 0, 10, 0, 10);
  EXPECT_EQ(plot("LINE(Axis=3, Y=1)\nEND\n"), "stop=32767 line=1 key=AxisUnknown\n");
}

TEST_F(LineScript, LogDirectionsSkipPointsAtOrBelowZero) {
  axis(1, 1, 1000, 0, 10, plot::axisbit::log);
  plot(
      "DIMENSION A(3), B(3)\nA(1) = 10\nA(2) = 0\nA(3) = 100\nB(1) = 2\nB(2) = 5\nB(3) = 8\n"
      "LINE(Symbol=1, X=A, Y=B)\nEND\n");
  EXPECT_GT(inked(pixel(1, 10, 2), 3), 0);
  EXPECT_GT(inked(pixel(1, 100, 8), 3), 0);
  EXPECT_EQ(inked(pixel(1, 1, 5), 6), 0) << "the point at 0";
}

// A click read in axis units: the axis ends are the range's ends, the label
// strip lies below the minimum, and a frame with no room for an axis
// writes nothing.
TEST_F(LineScript, AClickReadsAxisUnitsOnTheDrawnAxis) {
  axis(1, 0, 10, -5, 5);
  plot("MX = -99\nMY = -99\nMA = 0\nEND\n");
  std::int32_t mx = 0, my = 0, ma = 0;
  ASSERT_TRUE(core::FINDSN("MX", mx, 0x400));
  ASSERT_TRUE(core::FINDSN("MY", my, 0x400));
  ASSERT_TRUE(core::FINDSN("MA", ma, 0x400));
  plot::axisstate.mouse(1) = {0, static_cast<std::int16_t>(mx), static_cast<std::int16_t>(my),
                              static_cast<std::int16_t>(ma)};
  const win::POINT lo = pixel(1, 0, -5), hi = pixel(1, 10, 5);
  const double xpix = 10.0 / (hi.x - lo.x), ypix = 10.0 / (lo.y - hi.y);
  EXPECT_EQ(plot::MAUSED(1, lo.x, lo.y), 0);
  EXPECT_NEAR(core::z(mx), 0.0, xpix);
  EXPECT_NEAR(core::z(my), -5.0, ypix);
  EXPECT_EQ(core::z(ma), 1.0);
  EXPECT_EQ(plot::MAUSED(1, hi.x, hi.y), 0);
  EXPECT_NEAR(core::z(mx), 10.0, xpix);
  EXPECT_NEAR(core::z(my), 5.0, ypix);
  // One pixel into the label strip below the minimum.
  plot::MAUSED(1, lo.x, lo.y + 1);
  EXPECT_LT(core::z(my), -5.0);
  EXPECT_NEAR(core::z(my), -5.0 - ypix, ypix / 4);
  plot::MAUSED(1, lo.x - 3 * cw, lo.y);
  EXPECT_LT(core::z(mx), 0.0);
  // Outside the frame, or on an axis not live: nothing.
  core::z(mx) = -99;
  EXPECT_EQ(plot::MAUSED(1, width - 5, 10), -1);
  EXPECT_EQ(plot::MAUSED(2, lo.x, lo.y), -1);
  EXPECT_EQ(core::z(mx), -99);
  // A frame as high as its label rows has no y axis.
  plot::axisstate.frame(1).height = 3;
  plot::axisstate.length(plot::yentry(1)) = 0.0F;
  core::z(my) = -99;
  plot::MAUSED(1, lo.x, lo.y);
  EXPECT_EQ(core::z(my), -99);
}

// Ranges with no width as the engine holds them (1 to 1 + 1E-15 is 1 to 1
// in its reals) get one; a log range inside one decade shows that decade.
TEST_F(LineScript, RangesWithoutWidthGetOneAndALogRangeADecade) {
  ASSERT_TRUE(ran(plot("AXIS(MiN=1, MaX=1 + 1E-15, Yaxis, MiN=-3, MaX=-3 + 1E-15)\nEND\n")));
  const plot::Scale &x = plot::axisstate.scale(plot::xentry(1)),
                    &y = plot::axisstate.scale(plot::yentry(1));
  EXPECT_EQ(x.minimum, 1.0F);
  EXPECT_EQ(x.maximum, 2.0F);
  EXPECT_EQ(y.minimum, -3.0F);
  EXPECT_EQ(y.maximum, -2.0F);
  ASSERT_TRUE(ran(plot("AXIS(LoG, MiN=1, MaX=1.0005, Yaxis, MiN=0, MaX=1)\nEND\n")));
  EXPECT_EQ(x.minimum, 1.0F);
  EXPECT_EQ(x.maximum, 10.0F);
  EXPECT_EQ(x.step, plot::axisstate.length(plot::xentry(1)));
  screenshot("line_one_decade");
}

// Labels at a step of exactly 1000 are written divided, as at larger
// steps: a digit each but the last.
TEST_F(LineScript, LabelsAtAStepOfAThousandAreWrittenDivided) {
  ASSERT_TRUE(ran(plot("AXIS(MiN=0, MaX=10000, Yaxis, MiN=0, MaX=1)\nEND\n")));
  EXPECT_EQ(plot::axisstate.scale(plot::xentry(1)).divisor, 1000.0F);
  const win::POINT zero = pixel(1, 0, 0);
  const auto runs = inkruns(zero.y + 4, zero.y + ch - 2);
  ASSERT_GE(runs.size(), 6u) << runtext(runs);
  // (The last, "10", ends at its tick.)
  for (std::size_t k = 0; k + 1 < runs.size(); ++k)
    EXPECT_LT(runs[k].second - runs[k].first, 2 * cw) << runtext(runs);
  screenshot("line_thousands");
}

// Labels over a range across zero stand as far apart on both sides: the
// fractions' labels with a minus sign ("-0.9") are the axis' widest, and
// every label keeps the step they need. Each labelled tick makes one run
// of ink with its label below the axis (the last label ends at its tick).
TEST_F(LineScript, LabelsAcrossZeroStandEquallyFarApartOnBothSides) {
  ASSERT_TRUE(ran(plot("AXIS(MiN=-1, MaX=1, Yaxis, MiN=0, MaX=1)\nEND\n")));
  const win::POINT zero = pixel(1, 0, 0);
  const auto runs = inkruns(zero.y + 4, zero.y + ch - 2);
  const std::string all = runtext(runs);
  ASSERT_GE(runs.size(), 7u) << all;
  int nearest = width, farthest = 0;
  for (std::size_t k = 1; k + 1 < runs.size(); ++k) {
    nearest = std::min(nearest, runs[k].first - runs[k - 1].first);
    farthest = std::max(farthest, runs[k].first - runs[k - 1].first);
  }
  EXPECT_LE(farthest - nearest, 1) << all;
  EXPECT_TRUE(std::any_of(runs.begin(), runs.end(),
                          [&](const auto& r) { return std::abs(r.first - zero.x) <= 1; }))
      << "no label at 0:" << all;
}

// Every curve starts at its first point, also when that point lies on the
// axis' minimum far from zero (dates near 45000), where a line from the
// curve's earlier point, cut at the minimum, shrinks to the point itself;
// and a first point left of the axis starts the line at the axis' edge.
TEST_F(LineScript, EveryCurveStartsAtItsFirstPoint) {
  for (const double x0 : {45000.0, 1.0}) {
    const std::string lo = std::to_string(static_cast<int>(x0));
    const std::string hi = std::to_string(static_cast<int>(x0) + 29);
    ASSERT_TRUE(ran(plot("DIMENSION T(30), A(30), B(30), C(30)\nT = " + lo +
                         " + ($ - 1)\nA = 8 - MOD($, 2) * 6\nB = A + 1\nC = 5\nC(1) = 9\n"
                         "AXIS(TiMe='DD.MM', MiN=" + lo + ", MaX=" + hi +
                         ", Yaxis, MiN=0, MaX=10)\n"
                         "LINE(Line=1, X=T, Y=A)\nLINE(Line=2, X=T, Y=B)\n"
                         "LINE(Line=4, Symbol=1, SymbolDiameter=6, X=T, Y=C)\nEND\n")))
        << x0;
    EXPECT_GT(near(mid(pixel(1, x0, 2), pixel(1, x0 + 1, 8)), 1, colour(1)), 0) << x0;
    EXPECT_GT(near(mid(pixel(1, x0, 3), pixel(1, x0 + 1, 9)), 1, colour(2)), 0) << x0;
    EXPECT_GT(near(mid(pixel(1, x0, 9), pixel(1, x0 + 1, 5)), 1, colour(4)), 0) << x0;
    EXPECT_GT(inked(pixel(1, x0, 9), 2), 2) << "the first symbol, " << x0;
    screenshot(x0 > 2 ? "line_first_point_dates" : "line_first_point");
  }
  // Without TiMe, three points from the axis' minimum; and a first point
  // before the minimum.
  ASSERT_TRUE(ran(plot("DIMENSION T(3), A(3), U(2), B(2)\nT = 44999 + $\nA(1) = 2\nA(2) = 8\n"
                       "A(3) = 2\nU(1) = 44999\nU(2) = 45001\nB = 5\n"
                       "AXIS(MiN=45000, MaX=45002, Yaxis, MiN=0, MaX=10)\n"
                       "LINE(Line=5, X=T, Y=A)\nLINE(Line=6, X=U, Y=B)\nEND\n")));
  EXPECT_GT(near(mid(pixel(1, 45000, 2), pixel(1, 45001, 8)), 1, colour(5)), 0);
  EXPECT_GT(near(pixel(1, 45000.25, 5), 1, colour(6)), 0) << "the line from before the minimum";
}

}  // namespace
