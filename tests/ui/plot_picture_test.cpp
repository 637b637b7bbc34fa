// Plots as a user reads them, from the window's picture on the headless
// back end: labels at every step of the label interval (round labels, a
// grid no denser than 4 character widths), frames with their labels and
// titles inside the window on a screen of either shape, strip charts that
// keep their label step and title after they scroll, and marks of one size
// whichever way they are drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "axis_pixel.h"
#include "child_fixture.h"
#include "exec/builtins.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/line.h"
#include "plot/penplot.h"
#include "plot/plotstate.h"

namespace {

using axispixel::Pixels;
using axispixel::pixelsof;
using childtest::ChildScript;

class PlotPicture : public ChildScript {
 protected:
  void SetUp() override {
    ChildScript::SetUp();
    axispixel::resetplots();
  }
  // The script run; its picture of the window H.
  Pixels run(const std::string& script) {
    const std::string out = runopen(script + "END\n");
    EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
    const exec::wdwrec* w = windowof("H");
    if (w == nullptr) return {};
    return pixelsof(*w);
  }
};

// Palette colour 0, of axes and labels.
win::COLORREF black() { return exec::rgbtab(0); }

// A stretch of ink along a line: its first and last pixel.
struct InkRun {
  int first = 0, last = 0;
};

// The runs of ink across the band (x0..x1 by y0..y1, exclusive ends)
// along x (or along y), gaps of fewer than 8 pixels bridged; runs of fewer
// than 3 pixels (ticks that are no label's) left out.
std::vector<InkRun> runs(const Pixels& p, bool alongx, int x0, int x1, int y0, int y1) {
  std::vector<InkRun> out;
  const int from = alongx ? x0 : y0, to = alongx ? x1 : y1;
  int start = -1, last = -100;
  for (int i = from; i < to; ++i) {
    const bool ink =
        alongx ? p.in(black(), i, y0, i + 1, y1) > 0 : p.in(black(), x0, i, x1, i + 1) > 0;
    if (!ink) continue;
    if (i - last >= 8) {
      if (start >= 0 && last - start >= 2) out.push_back({start, last});
      start = i;
    }
    last = i;
  }
  if (start >= 0 && last - start >= 2) out.push_back({start, last});
  return out;
}

// Where axis 1 of the window lies: the y axis line's column, the x axis
// line's row, and a cell of the graphics font.
struct Axis1 {
  int linex = 0, liney = 0, cw = 0, ch = 0;
  Axis1() {
    const plot::AxisState& a = plot::axisstate;
    cw = plot::fontslots(5).cellwidth;
    ch = plot::fontslots(5).cellheight;
    linex = (a.frame(1).left + 6) * cw - 2;
    liney = (a.rows - a.frame(1).bottom - 3) * ch - 1;
  }
  int x(double v) const { return axispixel::pixel(1, v, 0).x; }
  int y(double v) const { return axispixel::pixel(1, 0, v).y; }
  // The x labels: runs along the label row below the axis, clear of the
  // ticks that have no label; the y labels likewise left of the axis.
  std::vector<InkRun> xlabels(const Pixels& p) const {
    return runs(p, true, linex - 1, p.width, liney + 5, liney + ch);
  }
  std::vector<InkRun> ylabels(const Pixels& p) const {
    return runs(p, false, linex - 12, linex - 5, 0, liney + 1);
  }
};

// The labels where the values' ticks are: a label starts at its tick (x:
// the run begins there; y: upward text, the run ends there) and the one
// at the axis' end, when it is written, ends there.
void labelsat(const std::vector<InkRun>& got, const std::vector<int>& ticks, bool alongx,
              int endtick, const std::string& what) {
  SCOPED_TRACE(what);
  std::string all;
  for (const InkRun& r : got)
    all += " [" + std::to_string(r.first) + "," + std::to_string(r.last) + "]";
  all += " ticks";
  for (int t : ticks) all += " " + std::to_string(t);
  SCOPED_TRACE(all);
  ASSERT_EQ(got.size(), ticks.size() + (endtick >= 0 ? 1 : 0));
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const InkRun r = alongx ? got[i] : got[got.size() - 1 - i];
    EXPECT_NEAR(alongx ? r.first : r.last, ticks[i], 2) << "label " << i;
  }
  if (endtick >= 0) {
    const InkRun r = alongx ? got.back() : got.front();
    EXPECT_NEAR(alongx ? r.last : r.first, endtick, 2) << "the label at the end";
  }
}

std::string window(int width, int height) {
  return "WINDOW(WINdowhandle=H, Width=-" + std::to_string(width) + ", Height=-" +
         std::to_string(height) + ")\n";
}

// Seconds 0 to 7 on 800 pixels: a label and grid line every second (not
// every tenth, with labels 0, 0.4, 0.8 ...); counts to 125000 on 600: a
// label every 10000, written divided. A cosine from -1 to 1: labels every
// 0.2, 0 among them; on a short axis every 1 (not -1, -0.7, -0.4 ...).
// Labels stand evenly, as far apart as the widest needs.
TEST_F(PlotPicture, LabelsStandAtEveryStepOfTheirInterval) {
  Pixels p = run(window(800, 600) +
                 "AXIS(WINdowhandle=H, MiN=0, MaX=7, Title='seconds', Yaxis, MiN=0, MaX=125000, "
                 "Title='count')\n");
  Axis1 a;
  std::vector<int> ticks;
  for (int v = 0; v < 7; ++v) ticks.push_back(a.x(v));
  labelsat(a.xlabels(p), ticks, true, a.x(7), "seconds");
  ticks.clear();
  for (int v = 0; v < 13; ++v) ticks.push_back(a.y(v * 10000.0));
  labelsat(a.ylabels(p), ticks, false, a.y(130000), "count");
  // Grid lines at the labels only: none halfway between, nor a tenth on
  // (where only the horizontal grid lines cross).
  const int top = a.y(130000) + 2;
  EXPECT_GT(p.oncolumn(black(), a.x(3), top, a.liney - 2), (a.liney - top) * 9 / 10);
  EXPECT_LT(p.oncolumn(black(), a.x(3.5), top, a.liney - 2), (a.liney - top) / 10);
  EXPECT_LT(p.oncolumn(black(), a.x(3.1), top, a.liney - 2), (a.liney - top) / 10);

  p = run(window(800, 600) + "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=-1, MaX=1)\n");
  const Axis1 b;
  ticks.clear();
  for (int v = -5; v < 5; ++v) ticks.push_back(b.y(v / 5.0));
  labelsat(b.ylabels(p), ticks, false, b.y(1), "cosine");
  // Half as high: a tenth would be 2.5 widths long, so the step is 1.
  p = run(window(800, 300) + "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=-1, MaX=1)\n");
  const Axis1 c;
  labelsat(c.ylabels(p), {c.y(-1), c.y(0)}, false, c.y(1), "short cosine");
  // A step of 5.5 widths: room for "1" to "9", not for "-10" or "-8": the
  // labels stand at every other step all along (not -10, -8, ... 0, 1, 2).
  p = run(window(590, 300) + "AXIS(WINdowhandle=H, MiN=-10, MaX=10)\n");
  const Axis1 d;
  ticks.clear();
  for (int v = -10; v < 10; v += 2) ticks.push_back(d.x(v));
  labelsat(d.xlabels(p), ticks, true, d.x(10), "every other");
}

// The same plot on a screen of another shape (plot units are fixed parts
// of the screen, so a unit has more pixels across than up) is the same
// picture: the y title and labels, which stand upright, keep their room
// across the axis, inside the window.
TEST_F(PlotPicture, AScreenOfAnotherShapeGivesTheSamePicture) {
  const std::string axis =
      window(400, 300) +
      "AXIS(WINdowhandle=H, MiN=0, MaX=10, Title='x', Yaxis, MiN=0, MaX=20, Title='value')\n";
  const Pixels square = run(axis);
  exec::sysmetrics(exec::metric::screenwidth) = 1920;
  exec::sysmetrics(exec::metric::screenheight) = 1080;
  const Pixels wide = run(axis);
  ASSERT_EQ(square.width, wide.width);
  ASSERT_EQ(square.height, wide.height);
  // Up to a pixel of rounding either way, left of the y axis and the
  // y axis itself. (The x title ends a fixed part of the screen, a tenth
  // of a plot unit, before the axis' end: that is more pixels on a wider
  // screen.)
  const Axis1 a;
  const auto unmatched = [&a](const Pixels& one, const Pixels& other) {
    int n = 0;
    for (int y = 0; y < one.height; ++y)
      for (int x = 0; x < a.linex + 2; ++x)
        if (one(x, y) == black() && other.in(black(), x - 1, y - 1, x + 2, y + 2) == 0) ++n;
    return n;
  };
  EXPECT_EQ(unmatched(square, wide), 0);
  EXPECT_EQ(unmatched(wide, square), 0);
  const int title = square.in(black(), 0, 0, a.linex - 3 * a.cw, a.liney);
  EXPECT_GT(title, 20) << "no y title";
  EXPECT_EQ(wide.in(black(), 0, 0, a.linex - 3 * a.cw, a.liney), title) << "the y title cut";
}

// A window made smaller after the WINDOW statement (by its user, or by
// the desktop) gets its frame in the window as it is now: the y title and
// the top label are whole.
TEST_F(PlotPicture, AWindowMadeSmallerGetsItsFrameInside) {
  const std::string axis =
      "AXIS(WINdowhandle=H, MiN=0, MaX=10, Title='x', Yaxis, MiN=0, MaX=20, Title='value')\n";
  const Pixels whole = run(window(400, 300) + axis);
  const Axis1 a;
  const int title = whole.in(black(), 0, 0, a.linex - 3 * a.cw, a.liney);
  ASSERT_GT(title, 20);
  exec::wdwrec* w = windowof("H");
  ASSERT_NE(w, nullptr);
  win::RECT outer{};
  win::GetWindowRect(w->window, &outer);
  win::SetWindowPos(w->window, nullptr, 0, 0, outer.right - outer.left,
                    outer.bottom - outer.top - 3 * a.ch, win::SWP_NOMOVE | win::SWP_NOZORDER);
  const Pixels smaller =
      run("H = " + std::to_string(static_cast<long long>(number("H"))) + "\n" + axis);
  ASSERT_EQ(smaller.height, whole.height - 3 * a.ch);
  const Axis1 b;
  EXPECT_EQ(b.liney, smaller.height - 3 * b.ch - 1 - (smaller.height % b.ch));
  EXPECT_EQ(smaller.in(black(), 0, 0, b.linex - 3 * b.cw, b.liney), title) << "the y title cut";
}

// The x labels of axis 1 at their ticks, a step apart, on every step
// whose tick lies in the axis: starting at the tick where the text (3
// widths at most) ends before the axis' end, else ending at it (the one
// at the maximum of an axis drawn whole, and after a scroll the one that
// would run past the frame's right line). The title stands right-aligned
// under the axis' end.
void xlabels(const Pixels& q, double step, const std::string& what) {
  const plot::Scale& s = plot::axisstate.scale(1);
  const Axis1 a;
  const int end = a.x(s.maximum);
  std::vector<int> ticks;
  int endtick = -1;
  for (double v = std::ceil(s.minimum / step) * step; a.x(v) <= end; v += step) {
    if (a.x(v) <= a.linex + 2) continue;
    if (a.x(v) + 4 * a.cw < end)
      ticks.push_back(a.x(v));
    else
      endtick = a.x(v);
  }
  std::vector<InkRun> got = a.xlabels(q);
  if (!got.empty() && got.front().first <= a.linex + 2) got.erase(got.begin());
  labelsat(got, ticks, true, endtick, what);
  EXPECT_GT(q.in(black(), end - 3 * a.cw, a.liney + a.ch, end + 1, a.liney + 2 * a.ch), 3)
      << what << ": no title";
}

// A strip chart after many scrolls: the labels keep the step they had
// before, none in between, and the title beside the moved strip stays.
TEST_F(PlotPicture, AStripChartKeepsItsLabelStepAndTitleAsItScrolls) {
  Pixels p = run(window(800, 600) +
                 "AXIS(WINdowhandle=H, MiN=0, MaX=50, Scroll, Title='t', Yaxis, MiN=-1.2, MaX=1.2, "
                 "FixmiN, FiXmax)\n"
                 "DO I = 0, 50\n  LINE(X=I, Y=SIN(I / 5))\nENDDO\n");
  // A point exactly at the maximum does not scroll.
  EXPECT_EQ(plot::axisstate.scale(1).maximum, 50.0F);
  EXPECT_EQ(plot::axisstate.scale(1).minimum, 0.0F);
  xlabels(p, 10, "before scrolling");
  p = run("H = " + std::to_string(static_cast<long long>(number("H"))) +
          "\nDO I = 51, 120\n  LINE(X=I, Y=SIN(I / 5))\nENDDO\n");
  EXPECT_GE(plot::axisstate.scale(1).maximum, 120.0F);
  xlabels(p, 10, "after scrolling");

  // Upward. A step of 1 is 5.4 widths long: room for a label of one digit,
  // not for the widest, of two: the labels stand at every other step, at
  // the even numbers, and after the scrolls still there. The y title at
  // the top.
  p = run(window(800, 600) +
          "AXIS(WINdowhandle=H, MiN=0, MaX=10, FixmiN, FiXmax, Yaxis, MiN=0, MaX=20, Scroll, "
          "Title='v')\nDO I = 0, 45\n  LINE(X=I / 5, Y=I)\nENDDO\n");
  const plot::Scale& s = plot::axisstate.scale(plot::yentry(1));
  EXPECT_GE(s.maximum, 45.0F);
  const Axis1 a;
  std::vector<int> ticks;
  for (double v = std::ceil(s.minimum / 2) * 2; v < s.maximum; v += 2)
    if (a.y(v) < a.liney - 2 && a.y(v) - 4 * a.cw > 0) ticks.push_back(a.y(v));
  std::vector<InkRun> got = a.ylabels(p);
  if (!got.empty() && got.back().last >= a.liney - 2) got.pop_back();
  labelsat(got, ticks, false, -1, "upward");
  EXPECT_GT(p.in(black(), 0, 0, a.linex - 3 * a.cw, a.liney / 2), 3) << "no y title";
}

// The label at the maximum ends at its tick before the chart scrolls; a
// few scrolls on, with room past its tick, it stands there as the others
// do, not where it slid to.
TEST_F(PlotPicture, AStripChartsEndLabelStandsPastItsTickOnceItScrolled) {
  run(window(800, 600) +
      "AXIS(WINdowhandle=H, MiN=0, MaX=50, Scroll, Title='t', Yaxis, MiN=-1.2, MaX=1.2, "
      "FixmiN, FiXmax)\n"
      "DO I = 0, 56\n  LINE(X=I, Y=SIN(I / 5))\nENDDO\n");
  const Pixels p = pixelsof(*windowof("H"));
  ASSERT_GE(plot::axisstate.scale(1).maximum, 56.0F);
  ASSERT_LE(plot::axisstate.scale(1).maximum, 60.0F);
  xlabels(p, 10, "a few scrolls on");
}

// A strip chart slides its picture and draws only the strip that came
// free. The same curve gives the same picture whether every point slides
// the chart by one cell or an unseen second curve slides it three cells
// ahead of the points; and, away from the axis' ends, the picture of the
// chart slid by a whole axis length at once, which is drawn whole (the
// axis over the range it slid to, then the curve). Across, on a screen
// of 64 pixels to a plot unit with an axis of 14 units over 70, every
// position is exact: grid lines, ticks and labels are the same, and the
// curve (its colour shows a grid line drawn over it) but for a pixel of a
// join where its other picture has the curve beside it; upward a position
// may stand a row off, and the curve and what it touches are left out.
// The window shows what its bitmap holds.
TEST_F(PlotPicture, AStripChartSlidesToThePictureOfAWholeDrawing) {
  struct Chart {
    std::string what, axis;
    bool vertical;
    double from, toward;  // where the points start, and their direction
  };
  const std::string y = "Yaxis, MiN=-1.2, MaX=1.2, FixmiN, FiXmax)\n";
  const Chart charts[] = {
      {"to the right", "MiN=0, MaX=70, Scroll, Title='t', " + y, false, 70, 1},
      {"to the left", "MiN=0, MaX=70, Scroll, Title='t', " + y, false, 0, -1},
      {"upward", "MiN=-1.2, MaX=1.2, FixmiN, FiXmax, Yaxis, MiN=0, MaX=20, Scroll, Title='v')\n",
       true, 20, 1},
  };
  for (const Chart& c : charts) {
    SCOPED_TRACE(c.what);
    const std::string axis = window(c.vertical ? 800 : 935, 600) + "AXIS(WINdowhandle=H, " + c.axis;
    run(axis);  // (the first run of a test reads the screen's size)
    exec::sysmetrics(exec::metric::screenwidth) = c.vertical ? 1280 : 1568;
    run(axis);
    // A cell along the sliding direction in its units, and the cells of a
    // whole axis length.
    const plot::AxisState& s = plot::axisstate;
    const int e = c.vertical ? plot::yentry(1) : plot::xentry(1);
    const float along = c.vertical ? s.cellheight : s.cellwidth;
    const double cell = along * s.scale(e).unitsperplot;
    const int n = static_cast<int>(std::ceil(s.length(e) / along));
    // Point j half a cell past cell j: the points slide one cell each.
    const auto place = [&](const std::string& j) {
      char at[96];
      std::snprintf(at, sizeof at, "%.9g + %.9g * (%s - 0.5)", c.from, c.toward * cell, j.c_str());
      return std::string(at);
    };
    const auto point = [&](const std::string& j, const std::string& line) {
      const std::string v = place(j), w = line == "1" ? "SIN(" + j + " / 7)" : "0";
      return "  LINE(Line=" + line + (line == "1" ? ", Color=4" : ", NoLine") +
             ", X=" + (c.vertical ? w : v) + ", Y=" + (c.vertical ? v : w) + ")\n";
    };
    // Each chart's curve starts with its first point on the axis just
    // drawn (else it would go on from the last chart's).
    const std::string start = axis + point("1", "1"), last = std::to_string(n);
    const std::string loop = "DO J = 2, " + last + "\n";
    const Pixels one = run(start + loop + point("J", "1") + "ENDDO\n");
    const win::COLORREF curve = exec::rgbtab(4);  // (the palette the run set)
    const plot::Scale range = s.scale(e);
    const exec::wdwrec* w = windowof("H");
    ASSERT_NE(w, nullptr);
    int unlike = 0;
    for (int py = 0; py < one.height; ++py)
      for (int px = 0; px < one.width; ++px) {
        const std::uint32_t shown = plat::window_pixel(w->window, px, py);
        unlike += shown != 0xFFFFFFFF && shown != one(px, py) ? 1 : 0;
      }
    EXPECT_EQ(unlike, 0) << "pixels of the window unlike its bitmap";
    // Pixels unlike those of `other` inside the rectangle, the curve's
    // left out upward.
    const auto differ = [&](const Pixels& other, const win::RECT& r, const std::string& what) {
      ASSERT_EQ(other.at.size(), one.at.size());
      int count = 0;
      std::string where;
      for (int py = r.top; py < r.bottom; ++py)
        for (int px = r.left; px < r.right; ++px) {
          const win::COLORREF a = one(px, py), b = other(px, py);
          // Whether picture p has the colour next to the pixel (upward
          // only in its column, a row off).
          const auto near = [&](const Pixels& p, win::COLORREF colour, bool beside) {
            return p.in(colour, px - (beside ? 1 : 0), py - 1, px + (beside ? 2 : 1), py + 2) > 0;
          };
          const bool join =
              (a == curve && near(other, curve, true)) || (b == curve && near(one, curve, true));
          const bool touched = c.vertical && (near(one, curve, true) || near(other, curve, true));
          const bool rowoff = c.vertical && near(one, b, false) && near(other, a, false);
          if (a != b && !join && !touched && !rowoff && ++count <= 5)
            where += " (" + std::to_string(px) + "," + std::to_string(py) + ")";
        }
      EXPECT_EQ(count, 0) << "pixels unlike those of " << what << ":" << where;
    };
    const Pixels three =
        run(start + loop + "  IF (MOD(J, 3) == 2) THEN\n  " +
            point("MIN(J + 2, " + last + ")", "2") + "  ENDIF\n" + point("J", "1") + "ENDDO\n");
    // (three cells at once add up otherwise than three one by one)
    EXPECT_NEAR(s.scale(e).minimum, range.minimum, 1e-5 * cell);
    differ(three, win::RECT{0, 0, one.width, one.height}, "slides of three cells");
    const Pixels whole = run(start + point(last, "2") + loop + point("J", "1") + "ENDDO\n");
    EXPECT_NEAR(s.scale(e).minimum, range.minimum, 1e-5 * cell);
    // Away from the ends, where the axis drawn whole writes a label at its
    // start: eight cells from each.
    const Axis1 a;
    const plot::Scale& x = s.scale(plot::xentry(1));
    win::RECT inner{a.x(x.minimum) + 8 * a.cw, 0, a.x(x.maximum) - 8 * a.cw, a.liney + a.ch};
    if (c.vertical)
      inner = win::RECT{0, a.y(range.maximum) + 8 * a.ch, a.x(x.maximum),
                        a.y(range.minimum) - 8 * a.ch};
    differ(whole, inner, "the whole drawing");
  }
}

// A mark written as text (a negative symbol) is as high as the stroked
// mark of the same letter and size, at the size the curve gives it, and
// centred on its point like the stroked one.
TEST_F(PlotPicture, AMarkWrittenAsTextIsAsHighAsAStrokedOne) {
  for (const int diameter : {3, 8}) {
    SCOPED_TRACE("SymbolDiameter=" + std::to_string(diameter));
    const std::string d = std::to_string(diameter);
    const Pixels p =
        run(window(600, 400) + "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=10)\n" +
            "LINE(Line=3, Color=3, Symbol=-65, SymbolDiameter=" + d + ", NoLine, X=3, Y=5)\n" +
            "LINE(Line=4, Color=4, Symbol=65, SymbolDiameter=" + d + ", NoLine, X=7, Y=5)\n");
    const win::RECT text = p.box(exec::rgbtab(3)), stroked = p.box(exec::rgbtab(4));
    ASSERT_GT(stroked.bottom - stroked.top, 4);
    ASSERT_GT(text.bottom - text.top, 0) << "no text mark";
    const double ratio =
        static_cast<double>(text.bottom - text.top) / (stroked.bottom - stroked.top);
    EXPECT_GT(ratio, 0.8);
    EXPECT_LT(ratio, 1.25);
    const win::POINT at = axispixel::pixel(1, 3, 5);
    EXPECT_NEAR((text.top + text.bottom) / 2.0, at.y, (stroked.bottom - stroked.top) / 4.0);
    EXPECT_NEAR((text.left + text.right) / 2.0, at.x, (stroked.bottom - stroked.top) / 4.0);
  }
}

// The tick walk of each kind of axis to its end, from the picture.
// Log: a tick at every digit of every decade up to the last (1 to 10000:
// 37), labels at the decades, the last one ending at the axis' end.
// Dates: a tick a day, labels a week apart (7 days per plot unit or so).
// Negative numbers: the labels keep their minus signs (the field has room
// for it), one at every step.
TEST_F(PlotPicture, EveryKindOfAxisWalksItsTicksToTheEnd) {
  Pixels p = run(window(800, 600) +
                 "AXIS(WINdowhandle=H, LoG, MiN=1, MaX=10000, Grid=0, Yaxis, Grid=0)\n");
  Axis1 a;
  const double decade = (a.x(10000) - a.linex) / 4.0;
  // Ticks: columns inked on the row just below the axis line.
  std::vector<InkRun> ticks = [&] {
    std::vector<InkRun> t;
    for (int x = a.linex + 1; x <= a.x(10000) + 1; ++x)
      if (p(x, a.liney + 1) == black()) {
        if (!t.empty() && t.back().last >= x - 1)
          t.back().last = x;
        else
          t.push_back({x, x});
      }
    return t;
  }();
  std::vector<int> expected;
  for (double v = 2; v <= 10000.5;) {
    expected.push_back(a.linex + static_cast<int>(std::lround(std::log10(v) * decade)));
    const double step = std::pow(10.0, std::floor(std::log10(v) + 1e-9));
    v += step;
  }
  ASSERT_EQ(ticks.size(), expected.size()) << "ticks of 2 to 10000";
  for (std::size_t i = 0; i < ticks.size(); ++i)
    EXPECT_NEAR(ticks[i].first, expected[i], 2) << "tick " << i;
  labelsat(a.xlabels(p),
           {a.linex, a.linex + static_cast<int>(decade), a.linex + static_cast<int>(2 * decade),
            a.linex + static_cast<int>(3 * decade)},
           true, a.x(10000), "decades");

  p = run(window(800, 600) + "AXIS(WINdowhandle=H, TiMe, MiN=0, MaX=100, Yaxis, Grid=0)\n");
  const Axis1 b;
  std::vector<int> weeks;
  // (The label of 98 would end past the frame's edge.)
  for (int d = 0; d < 98; d += 7) weeks.push_back(b.x(d));
  labelsat(b.xlabels(p), weeks, true, -1, "weeks");

  // With a picture: day 0 is that day's midnight (the picture alone
  // would take 0 for the clock's time).
  run(window(800, 600) + "AXIS(WINdowhandle=H, TiMe='HH:mm', MiN=0, MaX=1)\n");
  EXPECT_EQ(plot::axislabel(1, 0.0), "00:00");
  EXPECT_EQ(plot::axislabel(1, 0.75), "18:00");

  p = run(window(800, 600) + "AXIS(WINdowhandle=H, MiN=-0.05, MaX=0.05, Yaxis, Grid=0)\n");
  const Axis1 c;
  std::vector<int> hundredths;
  for (int v = -5; v < 5; ++v) {
    hundredths.push_back(c.x(v / 100.0));
    EXPECT_EQ(plot::axislabel(1, v / 100.0),
              v == 0 ? "0" : (v < 0 ? "-" : "") + std::string("0.0") + std::to_string(std::abs(v)));
  }
  labelsat(c.xlabels(p), hundredths, true, c.x(0.05), "hundredths");
}

// Every dash style of LINE by its pixels: solid, dashes, dots, dash-dot,
// dash-dot-dot; the styles above 4 are solid.
TEST_F(PlotPicture, EveryDashStyleDrawsItsPattern) {
  std::string script =
      window(600, 400) +
      "AXIS(WINdowhandle=H, MiN=0, MaX=10, Grid=0, Yaxis, MiN=0, MaX=10, Grid=0)\n";
  for (int k = 0; k <= 6; ++k)
    for (const int x : {1, 9})
      script += "LINE(Line=" + std::to_string(k) + ", Color=0, DaSH=" + std::to_string(k) +
                ", lineWidth=1, X=" + std::to_string(x) + ", Y=" + std::to_string(k + 1) + ")\n";
  const Pixels p = run(script);
  const Axis1 a;
  // The dashes (D, longer than 5 pixels) and dots (.) along the line.
  const auto pattern = [&](int k) {
    const int y0 = a.y(k + 1);
    int y = y0;
    for (int d = -1; d <= 1; ++d)
      if (p.onrow(black(), y0 + d, a.x(1), a.x(9)) > p.onrow(black(), y, a.x(1), a.x(9)))
        y = y0 + d;
    std::string s;
    int run = 0;
    for (int x = a.x(1) + 3; x < a.x(9) - 3; ++x) {
      if (p(x, y) == black()) {
        ++run;
      } else if (run > 0) {
        s += run > 5 ? 'D' : '.';
        run = 0;
      }
    }
    if (run > 0) s += run > 5 ? 'D' : '.';
    return s;
  };
  const auto repeats = [](const std::string& s, const std::string& unit) {
    // The pattern is the unit again and again (cut anywhere at both ends).
    if (s.size() < 3 * unit.size()) return false;
    for (std::size_t start = 0; start < unit.size(); ++start) {
      bool all = true;
      for (std::size_t i = unit.size(); i + unit.size() < s.size() && all; ++i)
        all = s[i] == unit[(i + start) % unit.size()];
      if (all) return true;
    }
    return false;
  };
  EXPECT_EQ(pattern(0), "D");
  EXPECT_TRUE(repeats(pattern(1), "D")) << pattern(1);
  EXPECT_TRUE(repeats(pattern(2), ".")) << pattern(2);
  EXPECT_TRUE(repeats(pattern(3), "D.")) << pattern(3);
  EXPECT_TRUE(repeats(pattern(4), "D..")) << pattern(4);
  EXPECT_EQ(pattern(5), "D");
  EXPECT_EQ(pattern(6), "D");
}

// Draw=8: a text in character cells from the frame's lower left corner
// (one cell right of and above it for 0, 0), not at a user value; with 4
// the pen moves there without a line.
TEST_F(PlotPicture, ATextInCharacterCellsStandsInItsCell) {
  const Pixels p = run(window(600, 400) +
                       "AXIS(WINdowhandle=H, MiN=0, MaX=10, Grid=0, Yaxis, MiN=0, MaX=10, Grid=0)\n"
                       "LINE(Color=2, Draw=12, Text='Hi', X=20, Y=10)\n");
  const plot::AxisState& s = plot::axisstate;
  const int cw = plot::fontslots(5).cellwidth, ch = plot::fontslots(5).cellheight;
  const win::RECT box = p.box(exec::rgbtab(2));
  ASSERT_GT(box.right, box.left) << "no text";
  // Its cell: column 21, the row whose top is 11 rows above the frame's
  // bottom edge.
  const int left = (s.frame(1).left + 21) * cw, top = (s.rows - s.frame(1).bottom - 11) * ch;
  EXPECT_GE(box.left, left - 1);
  EXPECT_LT(box.left, left + cw);
  EXPECT_GE(box.top, top - 1);
  EXPECT_LT(box.bottom, top + ch + 1);
}

// AXIS without MiN and MaX scales an axis to the points drawn on it since
// it was drawn: the smallest of them, here neither the first nor the last.
TEST_F(PlotPicture, AnAxisScaledToItsDataReachesTheirMinimum) {
  const Pixels p = run(window(800, 600) +
                       "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=10)\n"
                       "LINE(X=1, Y=7)\nLINE(X=2, Y=3)\nLINE(X=3, Y=5)\n"
                       "AXIS(WINdowhandle=H, Axis=1)\nLINE(X=1, Y=7)\nLINE(X=2, Y=3)\n");
  const plot::Scale& y = plot::axisstate.scale(plot::yentry(1));
  EXPECT_EQ(y.minimum, 3.0F);
  EXPECT_EQ(y.maximum, 7.0F);
  // The lowest point on the x axis line: the curve reaches it.
  const Axis1 a;
  EXPECT_EQ(a.y(3), a.liney);
  EXPECT_GT(p.in(black(), a.x(2) - 2, a.liney - 3, a.x(2) + 3, a.liney), 3);
}

}  // namespace
