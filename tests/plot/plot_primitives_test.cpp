// The pen-plotter primitives on a recording device (10 pixels per plot
// unit): what each hands to the device, clipping, the origin, the 999
// sentinel, symbols and texts of the stroke font, and the font's data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/strokefont.h"
#include "plot_fixture.h"

namespace {

using plottest::DeviceCall;
using plottest::devicecalls;

struct Segment {
  float x0, y0, x1, y1;
};

// The drawn segments (pen-down operations 2, from the pixel before), in
// device pixels.
std::vector<Segment> segments() {
  std::vector<Segment> s;
  float x = 0, y = 0;
  for (const DeviceCall& c : devicecalls()) {
    if (c.op != plot::devop::pentopoint) continue;
    if (c.pen != 0) s.push_back({x, y, c.x, c.y});
    x = c.x;
    y = c.y;
  }
  return s;
}

class Primitives : public ::testing::Test {
 protected:
  void SetUp() override {
    plot::reset_plotdev();
    plottest::recorddevice();
    plot::PLOTS(0);
    devicecalls().clear();
  }
  void TearDown() override {
    plottest::stoprecording();
    plot::reset_plotdev();
  }
};

TEST_F(Primitives, TheSentinelKeepsACoordinateAndPenCodesMoveDrawAndSetTheOrigin) {
  plot::PLOT(1, 1, 3);
  EXPECT_TRUE(devicecalls().empty());  // a move reaches the device only with the next line
  plot::PLOT(999, 5, 2);
  ASSERT_EQ(devicecalls().size(), 2u);
  EXPECT_EQ(devicecalls()[0].pen, 0);
  EXPECT_FLOAT_EQ(devicecalls()[0].x, 10);
  EXPECT_FLOAT_EQ(devicecalls()[0].y, 10);
  EXPECT_EQ(devicecalls()[1].pen, 1);
  EXPECT_FLOAT_EQ(devicecalls()[1].x, 10);  // a vertical line
  EXPECT_FLOAT_EQ(devicecalls()[1].y, 50);
  plot::PLOT(999, 999, 2);  // to where the pen stands: nothing visible
  ASSERT_EQ(segments().size(), 2u);
  EXPECT_FLOAT_EQ(segments()[1].x0, segments()[1].x1);
  EXPECT_FLOAT_EQ(segments()[1].y0, segments()[1].y1);

  // Pen code -3 moves and makes the point the origin.
  plot::PLOT(2, 3, -3);
  float x = -1, y = -1;
  plot::WHEREP(x, y);
  EXPECT_EQ(x, 0.0F);
  EXPECT_EQ(y, 0.0F);
  devicecalls().clear();
  plot::PLOT(1, 0, 2);
  ASSERT_EQ(segments().size(), 1u);
  EXPECT_FLOAT_EQ(segments()[0].x0, 20);
  EXPECT_FLOAT_EQ(segments()[0].y0, 30);
  EXPECT_FLOAT_EQ(segments()[0].x1, 30);
  EXPECT_FLOAT_EQ(segments()[0].y1, 30);
  // Pen code 9 records the end without drawing it.
  devicecalls().clear();
  plot::PLOT(5, 5, 9);
  EXPECT_TRUE(segments().empty());
  plot::WHEREP(x, y);
  EXPECT_EQ(x, 5.0F);

  // A second PLOTS ends the plot and starts anew at the device origin.
  plot::PLOTS(0);
  plot::PLOTS(0);
  EXPECT_EQ(plot::plotcom.openmarker, plot::plotopen);
  plot::WHEREP(x, y);
  EXPECT_EQ(x, 0.0F);
  EXPECT_EQ(y, 0.0F);
  EXPECT_EQ(plot::plotcom.origx, 0.0F);
  EXPECT_EQ(plot::plotcom.origy, 0.0F);
  // Closed: PLOT draws nothing.
  plot::PLOTE();
  devicecalls().clear();
  plot::PLOT(3, 3, 2);
  EXPECT_TRUE(devicecalls().empty());
  EXPECT_EQ(plot::plotcom.openmarker, plot::plotclosed);
}

TEST_F(Primitives, ClippingCutsEverySegmentToTheWindowAndOnlyThere) {
  const auto drawn = [](float x0, float y0, float x1, float y1) {
    plot::PLOT(x0, y0, 3);
    devicecalls().clear();
    plot::PLOT(x1, y1, 2);
    return segments();
  };
  plot::UPWINDOW(0, 10, 0, 10);
  std::vector<Segment> s = drawn(-5, 5, 5, 5);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_FLOAT_EQ(s[0].x0, 0);  // moved onto the edge, then drawn
  EXPECT_FLOAT_EQ(s[0].x1, 50);
  EXPECT_TRUE(drawn(-5, 1, -3, 4).empty());  // wholly left
  EXPECT_TRUE(drawn(-2, 1, -2, 8).empty());  // vertical, left of the window
  EXPECT_TRUE(drawn(12, 1, 12, 8).empty());  // vertical, right of it
  EXPECT_TRUE(drawn(1, 12, 8, 12).empty());  // horizontal, above
  EXPECT_TRUE(drawn(1, -1, 8, -1).empty());  // horizontal, below
  s = drawn(5, -5, 5, 15);                   // vertical across: cut at both ends
  ASSERT_EQ(s.size(), 1u);
  EXPECT_FLOAT_EQ(s[0].x0, 50);
  EXPECT_FLOAT_EQ(s[0].y0, 0);
  EXPECT_FLOAT_EQ(s[0].y1, 100);
  s = drawn(-5, 3, 15, 3);  // horizontal across
  ASSERT_EQ(s.size(), 1u);
  EXPECT_FLOAT_EQ(s[0].x0, 0);
  EXPECT_FLOAT_EQ(s[0].x1, 100);
  s = drawn(-10, -10, 20, 20);  // a diagonal through two corners
  ASSERT_EQ(s.size(), 1u);
  EXPECT_FLOAT_EQ(s[0].x0, 0);
  EXPECT_FLOAT_EQ(s[0].y1, 100);
  // The window off: nothing is cut.
  plot::UPWINDOW(-99999, 99999, -99999, 99999);
  s = drawn(-5, 5, 5, 5);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_FLOAT_EQ(s[0].x0, -50);
}

TEST_F(Primitives, PenFunctionsReachTheDeviceWithTheirCodeAndValue) {
  plot::PLOTE();
  devicecalls().clear();
  std::int32_t error = -1;
  plot::PLTFNC(4, 123, error);  // no open plot needed
  ASSERT_EQ(devicecalls().size(), 1u);
  EXPECT_EQ(devicecalls()[0].op, plot::devop::penfunction);
  EXPECT_EQ(devicecalls()[0].fcode, 4);
  EXPECT_EQ(devicecalls()[0].fvalue, 123);
  EXPECT_EQ(error, 0);
}

// Extent of the pen-down pixels of the calls so far.
struct Box {
  float l = 1e9F, r = -1e9F, b = 1e9F, t = -1e9F;
};
Box drawnbox() {
  Box box;
  for (const Segment& s : segments()) {
    box.l = std::min({box.l, s.x0, s.x1});
    box.r = std::max({box.r, s.x0, s.x1});
    box.b = std::min({box.b, s.y0, s.y1});
    box.t = std::max({box.t, s.y0, s.y1});
  }
  return box;
}

TEST_F(Primitives, TextsAlignByTheirAngleAndSymbolsCentreOnThePoint) {
  // Height 70: one character unit is a plot unit, 10 pixels; "HH" spans
  // 4 + 3 + 4 units of ink.
  plot::SYMBOL(20, 20, 70, "HH", 0, 2);
  Box b = drawnbox();
  EXPECT_NEAR(b.l, 200, 0.01);
  EXPECT_NEAR(b.r, 310, 0.01);
  EXPECT_NEAR(b.b, 200, 0.01);
  EXPECT_NEAR(b.t, 270, 0.01);
  devicecalls().clear();
  plot::SYMBOL(20, 20, 70, "HH", 360, 2);
  b = drawnbox();
  EXPECT_NEAR((b.l + b.r) / 2, 200, 0.01);  // centred on the point
  devicecalls().clear();
  plot::SYMBOL(20, 20, 70, "HH", 720, 2);
  b = drawnbox();
  EXPECT_NEAR(b.r, 200, 0.01);  // ending at it
  devicecalls().clear();
  plot::SYMBOL(20, 20, 70, "HH", 90, 2);
  b = drawnbox();
  EXPECT_NEAR(b.b, 200, 0.01);  // upward from the point
  EXPECT_NEAR(b.t, 310, 0.01);
  EXPECT_NEAR(b.r, 200, 0.01);
  // A symbol: the square's centre on the point, the pen back on it.
  devicecalls().clear();
  plot::SYMBOL(20, 20, 70, "\x01", 0, -1);
  b = drawnbox();
  EXPECT_NEAR((b.l + b.r) / 2, 200, 0.01);
  EXPECT_NEAR((b.b + b.t) / 2, 200, 0.01);
  float x = 0, y = 0;
  plot::WHEREP(x, y);
  EXPECT_NEAR(x, 20, 1e-4);
  EXPECT_NEAR(y, 20, 1e-4);
  // n = 0 only moves; a height of 0 draws nothing after the move.
  devicecalls().clear();
  plot::SYMBOL(30, 30, 70, "HH", 0, 0);
  plot::SYMBOL(40, 40, 0, "HH", 0, 2);
  EXPECT_TRUE(segments().empty());
  plot::WHEREP(x, y);
  EXPECT_EQ(x, 40.0F);
}

TEST_F(Primitives, CodesWithoutStrokesOnlyAdvance) {
  for (const std::int32_t code : {18, 32, 200, -5}) {
    plot::PLOT(0, 0, 3);
    devicecalls().clear();
    plot::UQCHAR(code, 7, 0, 0);
    EXPECT_TRUE(segments().empty()) << code;
    float x = 0, y = 0;
    plot::WHEREP(x, y);
    EXPECT_NEAR(x, 7.0F, 1e-5) << code;
  }
}

TEST(StrokeFont, EveryGlyphStaysOnItsGrid) {
  for (std::int32_t code = 1; code <= plot::highestglyph; ++code) {
    plot::GlyphReader r = plot::glyphreader(code);
    std::vector<std::int32_t> v;
    std::int32_t value = 0;
    while (plot::UQCHAS(r, value) == 0) v.push_back(value);
    const bool expected = (code >= 1 && code <= 17) || (code >= 33 && code <= 125);
    EXPECT_EQ(!v.empty(), expected) << code;
    std::size_t i = 0;
    int points = 0;
    if (!v.empty() && v[0] == 5) {
      ASSERT_GE(v.size(), 2u);
      EXPECT_GE(v[1], 1) << code;
      EXPECT_LE(v[1], 4) << code;
      i = 2;
    }
    while (i < v.size()) {
      if (v[i] == 7) {
        ASSERT_LT(i + 1, v.size()) << code;  // a shift names its entry
        i += 2;
      } else if (v[i] <= 4) {
        ASSERT_LT(i + 1, v.size()) << code;  // a point has its y
        EXPECT_LE(v[i + 1], 7) << code;
        ++points;
        i += 2;
      } else {
        ++i;
      }
    }
    if (expected) {
      EXPECT_GE(points, 2) << code;
    }
  }
  // The telling glyphs: the square and the diamond as drawn, "A" with its
  // pen lift (-1), "I" narrow.
  const auto points = [](std::int32_t code) {
    plot::GlyphReader r = plot::glyphreader(code);
    std::vector<std::int32_t> v, p;
    std::int32_t value = 0;
    while (plot::UQCHAS(r, value) == 0) v.push_back(value);
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (v[i] <= 4 && i + 1 < v.size()) {
        p.push_back(v[i]);
        p.push_back(v[++i]);
      } else if (v[i] == 6) {
        p.push_back(-1);
      } else if (v[i] == 7 || (i == 0 && v[i] == 5)) {
        ++i;
      }
    }
    return p;
  };
  EXPECT_EQ(points(1), (std::vector<std::int32_t>{0, 1, 0, 5, 4, 5, 4, 1, 0, 1}));
  EXPECT_EQ(points(2), (std::vector<std::int32_t>{2, 1, 0, 3, 2, 5, 4, 3, 2, 1}));
  EXPECT_EQ(points('A'), (std::vector<std::int32_t>{0, 0, 2, 7, 4, 0, -1, 3, 2, 1, 2}));
  plot::GlyphReader r = plot::glyphreader('I');
  std::int32_t first = 0, width = 0;
  plot::UQCHAS(r, first);
  plot::UQCHAS(r, width);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(width, 2);
}

TEST_F(Primitives, EveryGlyphDrawsInsideItsCellAndAdvancesByItsWidth) {
  for (std::int32_t code = 1; code <= plot::highestglyph; ++code) {
    plot::PLOT(0, 0, 3);
    devicecalls().clear();
    plot::UQCHAR(code, 7, 0, 0);  // one unit = 10 pixels
    const Box b = drawnbox();
    if (segments().empty()) continue;
    EXPECT_GE(b.l, -0.01F) << code;
    EXPECT_LE(b.r, 40.01F) << code;
    EXPECT_GE(b.b, -30.01F) << code;
    EXPECT_LE(b.t, 70.01F) << code;
    float x = 0, y = 0;
    plot::WHEREP(x, y);
    EXPECT_TRUE(x == 7.0F || x == 5.0F) << code;
    EXPECT_EQ(y, 0.0F) << code;
  }
}

// Random pens, points (far out, not numbers, the sentinel), windows,
// symbols and texts: every drawn segment of a clipped plot that is
// vertical or horizontal lies inside the window, and nothing reaches the
// device that is not a number.
TEST_F(Primitives, RandomPlotsStayInsideTheirWindow) {
  std::uint32_t seed = 7;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  const auto coord = [&next]() -> float {
    switch (next() % 8) {
      case 0:
        return 999.0F;
      case 1:
        return 1.0e30F * ((next() % 2) != 0 ? 1.0F : -1.0F);
      case 2:
        return std::nanf("");
      default:
        return static_cast<float>(static_cast<int>(next() % 4001) - 2000) / 100.0F;
    }
  };
  for (int round = 0; round < 2000; ++round) {
    const float w[4] = {-5, 5, -3, 3};
    plot::UPWINDOW(w[0], w[1], w[2], w[3]);
    devicecalls().clear();
    const std::int32_t pens[] = {2, 3, -2, -3, 9, 0, 7};
    float x = coord(), y = coord();
    const float cx = plot::plotcom.curx, cy = plot::plotcom.cury;
    const float ox = plot::plotcom.origx, oy = plot::plotcom.origy;
    if (x == 999.0F) x = cx;
    if (y == 999.0F) y = cy;
    plot::PLOT(x, y, pens[next() % 7]);
    for (const DeviceCall& c : devicecalls()) {
      ASSERT_FALSE(std::isnan(c.x)) << round;
      ASSERT_FALSE(std::isnan(c.y)) << round;
      // A vertical or horizontal line is drawn inside the window only.
      if (c.op != plot::devop::pentopoint || (cx != x && cy != y)) continue;
      EXPECT_GE(c.x, ox + 10 * w[0] - 0.01F) << round;
      EXPECT_LE(c.x, ox + 10 * w[1] + 0.01F) << round;
      EXPECT_GE(c.y, oy + 10 * w[2] - 0.01F) << round;
      EXPECT_LE(c.y, oy + 10 * w[3] + 0.01F) << round;
    }
    if (next() % 5 == 0) {
      const char text[] = {static_cast<char>(next() % 256), static_cast<char>(next() % 256)};
      devicecalls().clear();
      plot::SYMBOL(coord(), coord(), static_cast<float>(next() % 20), std::string_view(text, 2),
                   static_cast<float>(next() % 1000), static_cast<std::int32_t>(next() % 5) - 2);
      for (const DeviceCall& c : devicecalls()) {
        ASSERT_FALSE(std::isnan(c.x)) << round;
        ASSERT_FALSE(std::isnan(c.y)) << round;
      }
    }
    if (next() % 50 == 0) plot::PLOTS(0);
  }
}

}  // namespace
