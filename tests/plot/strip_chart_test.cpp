// Strip charts read back from the window's pixels: a scroll slides the
// axis area and its labels by whole cells the way the points went, blanks
// exactly the strip that came free, draws the other direction's grid
// lines across it from its first column or row, and leaves the axis that
// stays, the labels beside it and the titles as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "exec/builtins.h"
#include "line_fixture.h"
#include "plot/plotstate.h"

namespace {

using linetest::LineScript;

struct Picture {
  int width = 0, height = 0;
  std::vector<win::COLORREF> px;
  win::COLORREF operator()(int x, int y) const {
    return px[static_cast<std::size_t>(y * width + x)];
  }
};

class StripChart : public LineScript {
 protected:
  Picture picture() const {
    Picture p{width, height, {}};
    const win::HDC dc = win::CreateCompatibleDC(nullptr);
    const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) p.px.push_back(win::GetPixel(dc, x, y));
    win::SelectObject(dc, was);
    win::DeleteDC(dc);
    return p;
  }
};

// Pixels unlike what is wanted, counted, the first few named.
struct Unlike {
  int count = 0;
  std::string where;
  void check(bool same, int x, int y) {
    if (same || ++count > 4) return;
    where += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
  }
};

TEST_F(StripChart, AScrollSlidesTheAreaTheWayThePointsWentAndBlanksExactlyTheFreedStrip) {
  struct Way {
    const char* what;
    bool vertical;
    int sign;  // past the maximum (1) or below the minimum (-1)
  };
  const std::string across =
      "MiN=0, MaX=50, Scroll, Grid=0, Title='t', Yaxis, MiN=-1, MaX=1, "
      "Title='v'";
  const std::string upward =
      "MiN=-1, MaX=1, FixmiN, FiXmax, Title='t', Yaxis, MiN=0, MaX=20, "
      "Scroll, Grid=0, Title='v'";
  const Way ways[] = {
      {"left", false, 1}, {"right", false, -1}, {"down", true, 1}, {"up", true, -1}};
  const win::COLORREF white = 0xFFFFFF, black = exec::rgbtab(0);
  for (const Way& w : ways) {
    SCOPED_TRACE(std::string("the picture slides ") + w.what);
    // A curve over the whole axis; and at each end a stretch along a grid
    // line from the end inward, which a grid line drawn one pixel too far
    // into what moved would cover.
    const std::string curve =
        w.vertical ? "DO I = 0, 40\n  LINE(Color=4, X=0.9 * SIN(I / 3), Y=I / 2)\nENDDO\n"
                     "LINE(Line=3, Color=4, X=0, Y=20)\nLINE(Line=3, X=0, Y=17)\n"
                     "LINE(Line=5, Color=4, X=0, Y=0)\nLINE(Line=5, X=0, Y=3)\n"
                   : "DO I = 0, 100\n  LINE(Color=4, X=I / 2, Y=0.9 * SIN(I / 7))\nENDDO\n"
                     "LINE(Line=3, Color=4, X=50, Y=0)\nLINE(Line=3, X=47, Y=0)\n"
                     "LINE(Line=5, Color=4, X=0, Y=0)\nLINE(Line=5, X=3, Y=0)\n";
    const std::string drawn =
        plot("AXIS(" + (w.vertical ? upward : across) + ")\n" + curve + "END\n");
    ASSERT_NE(drawn.find("stop=-1"), std::string::npos) << drawn;
    const Picture before = picture();
    const plot::Scale sx = plot::axisstate.scale(plot::xentry(1)),
                      sy = plot::axisstate.scale(plot::yentry(1));
    const int x0 = pixel(1, sx.minimum, sy.minimum).x, x1 = pixel(1, sx.maximum, sy.minimum).x;
    const int top = pixel(1, sx.minimum, sy.maximum).y, bottom = pixel(1, sx.minimum, sy.minimum).y;
    // A point three and a half cells past the end: four cells.
    const plot::Scale& moved = w.vertical ? sy : sx;
    const double cell =
        moved.unitsperplot * (w.vertical ? plot::axisstate.cellheight : plot::axisstate.cellwidth);
    char at[64];
    std::snprintf(at, sizeof at, "%.9g",
                  w.sign > 0 ? moved.maximum + 3.5 * cell : moved.minimum - 3.5 * cell);
    plot(std::string("LINE(Line=2, NoLine, X=") + (w.vertical ? "0" : at) +
         ", Y=" + (w.vertical ? at : "0") + ")\nEND\n");
    const Picture after = picture();
    screenshot(std::string("strip_") + w.what);
    const int s = 4 * (w.vertical ? ch : cw);
    const int dx = w.vertical ? 0 : -w.sign * s, dy = w.vertical ? w.sign * s : 0;
    // Inside the area: the picture moved by (dx, dy); the strip that came
    // free holds the other direction's grid lines (as before, full across
    // the area) and nothing else.
    std::vector<bool> gridrow(static_cast<std::size_t>(height)),
        gridcolumn(static_cast<std::size_t>(width));
    for (int y = top; y < bottom; ++y) {
      int n = 0;
      for (int x = x0 + 1; x <= x1; ++x) n += before(x, y) == black;
      gridrow[static_cast<std::size_t>(y)] = n > (x1 - x0) / 2;
    }
    for (int x = x0 + 1; x <= x1; ++x) {
      int n = 0;
      for (int y = top; y < bottom; ++y) n += before(x, y) == black;
      gridcolumn[static_cast<std::size_t>(x)] = n > (bottom - top) / 2;
    }
    Unlike slid, strip;
    for (int y = top; y < bottom; ++y)
      for (int x = x0 + 1; x <= x1; ++x) {
        const int fx = x - dx, fy = y - dy;
        if (fx > x0 && fx <= x1 && fy >= top && fy < bottom) {
          slid.check(after(x, y) == before(fx, fy), x, y);
        } else {
          const bool grid = w.vertical ? gridcolumn[static_cast<std::size_t>(x)]
                                       : gridrow[static_cast<std::size_t>(y)];
          strip.check(after(x, y) == (grid ? black : white), x, y);
        }
      }
    // The labels of the moved direction moved with the area (where they
    // came from inside it), but for the one at the maximum, which ended at
    // its tick: it goes with the slide and is written again past its tick.
    // The other direction's axis and labels, the titles and the frame
    // stayed.
    Unlike labels, stayed;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool band = w.vertical ? x < x0 && x >= x0 - 3 * cw && y >= top && y < bottom
                                     : y > bottom && y < bottom + ch && x >= x0 && x <= x1;
        // (The label band reaches the axis line's row and column.)
        const bool still = w.vertical ? (y >= bottom && x >= x0) || y > bottom || x < x0 - 3 * cw
                                      : (x <= x0 && y <= bottom) || x < x0 || y >= bottom + ch;
        const int fx = x - dx, fy = y - dy;
        const bool atmaximum = w.sign > 0 && (w.vertical ? fy < top + 4 * cw : fx > x1 - 4 * cw);
        if (atmaximum && band) continue;
        if (band && (w.vertical ? fy >= top && fy < bottom : fx >= x0 && fx <= x1))
          labels.check(after(x, y) == before(fx, fy), x, y);
        else if (still)
          stayed.check(after(x, y) == before(x, y), x, y);
      }
    EXPECT_EQ(slid.count, 0) << "moved:" << slid.where;
    EXPECT_EQ(strip.count, 0) << "strip:" << strip.where;
    EXPECT_EQ(labels.count, 0) << "labels:" << labels.where;
    EXPECT_EQ(stayed.count, 0) << "stayed:" << stayed.where;
  }
}

// A narrow chart whose labels grow from one digit to two as it scrolls
// point by point: once every label shown was written on a strip, each
// starts at least its length and four widths after the one before, the
// room the axis drawn whole leaves between its labels.
class NarrowStrip : public StripChart {
 protected:
  NarrowStrip() { width = 330; }
};

TEST_F(NarrowStrip, LabelsWrittenAfterAScrollKeepTheirRoom) {
  ASSERT_EQ(plot("AXIS(MiN=0, MaX=9, Scroll, Yaxis, MiN=-1, MaX=1)\nLINE(X=0, Y=0)\n"
                 "DO I = 1, 42\n  LINE(X=9 + I / 4, Y=0)\nENDDO\nEND\n"),
            "I=43\nstop=-1\n");
  ASSERT_GT(plot::axisstate.scale(1).minimum, 10.0F) << "a label of the axis drawn whole is left";
  // The labels' ink across the rows of their digits (below the ticks),
  // as runs of columns; a gap of up to 4 pixels lies inside a label.
  const int bottom = pixel(1, 0, -1).y;
  const auto labels = inkruns(bottom + 4, bottom + ch - 2);
  const std::string all = runtext(labels);
  EXPECT_GE(labels.size(), 4u) << all;
  for (std::size_t k = 1; k < labels.size(); ++k)
    EXPECT_GE(labels[k].first - labels[k - 1].first, (2 + 4) * cw) << all;
  screenshot("strip_labels");
}

// Twenty points each a label step past the end of x 0 to 9: the labels 21
// to 28 stand at their ticks, one step after another (none is left out
// where the step of the labels came out otherwise for a slide), and so
// does 20, whose tick the last slide left within a pixel of the axis'
// start, on the frame's line. One more point slides 20 and 21 off the
// axis: their labels go with their ticks and none stays at the start.
TEST_F(NarrowStrip, EveryLabelStepThatScrollsInGetsItsLabelAndALabelGoesWithItsTick) {
  ASSERT_EQ(plot("AXIS(MiN=0, MaX=9, Scroll, Yaxis, MiN=-1, MaX=1)\nLINE(X=0, Y=0)\n"
                 "DO I = 1, 20\n  LINE(X=9 + I, Y=0)\nENDDO\nEND\n"),
            "I=21\nstop=-1\n");
  const float low = plot::axisstate.scale(1).minimum;
  ASSERT_GT(low, 20.0F);
  ASSERT_LT(low, 20.03F);
  // The labels' ink with their ticks, as runs of columns.
  const int bottom = pixel(1, 0, -1).y;
  const int start = pixel(1, low, -1).x;
  auto labels = inkruns(bottom + 4, bottom + ch - 2);
  ASSERT_EQ(labels.size(), 9u) << runtext(labels);
  for (int v = 20; v <= 28; ++v)
    EXPECT_NEAR(labels[static_cast<std::size_t>(v - 20)].first, std::max(start, pixel(1, v, -1).x),
                1)
        << v << ":" << runtext(labels);
  ASSERT_EQ(plot("LINE(X=30, Y=0)\nEND\n"), "stop=-1\n");
  ASSERT_GT(plot::axisstate.scale(1).minimum, 21.1F);
  labels = inkruns(bottom + 4, bottom + ch - 2);
  ASSERT_FALSE(labels.empty());
  EXPECT_NEAR(labels.front().first, pixel(1, 22, -1).x, 1) << runtext(labels);
  screenshot("strip_every_label");
}

// A chart of 800 x 600 whose labels are read at the frame's lines at
// both ends of the axis after a scroll: every label step inside the
// frame, the steps on its lines included, carries its label, placed as
// in a chart that never scrolled: starting at its tick, but for the label
// at the maximum and one that would run past the frame's right line,
// which end at their ticks.
class EdgeStrip : public StripChart {
 protected:
  EdgeStrip() { height = 600; }
  // Labels first, first + step, ... last, each as one run of ink with its
  // tick (a tick on the frame's line within a pixel past it stands on the
  // line); all but the last start at their ticks, the last ends at its
  // tick; no ink lies past the frame's right line.
  void expectlabels(int first, int last, int step) const {
    const plot::Scale sx = plot::axisstate.scale(plot::xentry(1));
    const int x0 = pixel(1, sx.minimum, -1).x, x1 = pixel(1, sx.maximum, -1).x;
    const int bottom = pixel(1, 0, -1).y;
    // (The stroke of a 7 stands 5 pixels clear of its tick.)
    const auto runs = inkruns(bottom + 4, bottom + ch - 2, 6);
    const std::string all = runtext(runs);
    ASSERT_EQ(runs.size(), static_cast<std::size_t>((last - first) / step + 1)) << all;
    for (std::size_t k = 0; k < runs.size(); ++k) {
      const int v = first + static_cast<int>(k) * step;
      const int tick = std::clamp(static_cast<int>(pixel(1, v, -1).x), x0, x1);
      const auto [from, to] = runs[k];
      EXPECT_NEAR(v == last ? to : from, tick, 1) << v << ":" << all;
      EXPECT_GE(to - from, cw) << v << " has no label:" << all;
      EXPECT_LE(to, x1) << v << " runs past the frame's right line:" << all;
    }
  }
};

TEST_F(EdgeStrip, EveryLabelStepOnTheFrameLinesCarriesItsLabelAfterAScroll) {
  const std::string x0to9 = "AXIS(MiN=0, MaX=9, Scroll, Yaxis, MiN=-1, MaX=1)\n";
  // Before any scroll: 0 starts at its tick on the left line, 9 ends at
  // its tick on the right one.
  ASSERT_EQ(plot(x0to9 + "DO I = 0, 9\n  LINE(X=I, Y=0)\nENDDO\nEND\n"), "I=10\nstop=-1\n");
  expectlabels(0, 9, 1);
  // Scrolled to 23.009 .. 32.009: the tick of 23 lies within a pixel left
  // of the left line, that of 32 a pixel inside the right one.
  ASSERT_EQ(plot("DO I = 10, 32\n  LINE(X=I, Y=0)\nENDDO\nEND\n"), "I=33\nstop=-1\n");
  ASSERT_NEAR(plot::axisstate.scale(1).minimum, 23.0093, 1e-3);
  expectlabels(23, 32, 1);
  screenshot("strip_edges");
  // 71.24 .. 121.24 with a label every 10: 120, which would run past the
  // right line, ends at its tick.
  ASSERT_EQ(plot("AXIS(MiN=0, MaX=50, Scroll, Yaxis, MiN=-1, MaX=1)\n"
                 "DO I = 0, 121\n  LINE(X=I, Y=0)\nENDDO\nEND\n"),
            "I=122\nstop=-1\n");
  ASSERT_NEAR(plot::axisstate.scale(1).minimum, 71.238, 1e-2);
  expectlabels(80, 120, 10);
  // The slide that ends at 45 puts the minimum on the tick of 45 (to the
  // last digit of the range): that label stays.
  ASSERT_EQ(plot(x0to9 + "DO I = 0, 54\n  LINE(X=I, Y=0)\nENDDO\nEND\n"), "I=55\nstop=-1\n");
  ASSERT_NEAR(plot::axisstate.scale(1).minimum, 45.0, 1e-5);
  expectlabels(45, 54, 1);
}

// Points below the minimum slide the chart down a cell at a time: the
// label 18 comes to the right line, ends at its tick there, and stays so
// as the chart slides on while its tick is inside.
TEST_F(EdgeStrip, ALabelEndingAtItsTickStaysOnAChartSlidingDown) {
  ASSERT_EQ(plot("AXIS(MiN=10, MaX=19, Scroll, Yaxis, MiN=-1, MaX=1)\nLINE(X=10, Y=0)\n"
                 "DO I = 1, 16\n  LINE(X=10 - I / 20, Y=0)\nENDDO\nEND\n"),
            "I=17\nstop=-1\n");
  expectlabels(10, 18, 1);
  const int was = pixel(1, 18, -1).x;
  for (const char* point : {"9.15", "9.1"}) {
    SCOPED_TRACE(point);
    ASSERT_EQ(plot(std::string("LINE(X=") + point + ", Y=0)\nEND\n"), "stop=-1\n");
    expectlabels(10, 18, 1);
  }
  EXPECT_EQ(pixel(1, 18, -1).x, was + 2 * cw) << "the chart did not slide twice";
  screenshot("strip_down_edge");
}

}  // namespace
