// Plots as a user reads them, from the window's picture on the headless
// back end: labels at every step of the label interval (round labels, a
// grid no denser than 4 character widths), frames with their labels and
// titles inside the window on a screen of either shape, strip charts that
// keep their label step and title after they scroll, and marks of one size
// whichever way they are drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "axis_pixel.h"
#include "child_fixture.h"
#include "exec/builtins.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/line.h"
#include "plot/plotstate.h"

namespace {

using axispixel::Pixels;
using axispixel::pixelsof;
using childtest::ChildScript;

class PlotPicture : public ChildScript {
 protected:
  void SetUp() override {
    ChildScript::SetUp();
    plot::reset_fontslots();
    plot::reset_plotstate();
    plot::reset_curves();
    plot::reset_line();
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
  const auto xlabels = [this](const Pixels& q, double step, bool atend, const std::string& what) {
    const plot::Scale& s = plot::axisstate.scale(1);
    const Axis1 a;
    // The labels whose ticks lie in the axis and whose text (3 widths at
    // most) ends before the frame's right edge; the one at the maximum
    // only when the axis was drawn with it.
    std::vector<int> ticks;
    for (double v = std::ceil(s.minimum / step) * step; v < s.maximum; v += step)
      if (a.x(v) > a.linex + 2 && a.x(v) + 4 * a.cw < q.width) ticks.push_back(a.x(v));
    std::vector<InkRun> got = a.xlabels(q);
    if (!got.empty() && got.front().first <= a.linex + 2) got.erase(got.begin());
    labelsat(got, ticks, true, atend ? a.x(s.maximum) : -1, what);
    // The title, right-aligned under the axis' end.
    const int end = a.x(s.maximum);
    EXPECT_GT(q.in(black(), end - 3 * a.cw, a.liney + a.ch, end + 1, a.liney + 2 * a.ch), 3)
        << what << ": no title";
  };
  xlabels(p, 10, true, "before scrolling");
  p = run("H = " + std::to_string(static_cast<long long>(number("H"))) +
          "\nDO I = 51, 120\n  LINE(X=I, Y=SIN(I / 5))\nENDDO\n");
  EXPECT_GE(plot::axisstate.scale(1).maximum, 120.0F);
  xlabels(p, 10, false, "after scrolling");

  // Upward. A step of 1 is 5.4 widths long: room for the labels of one
  // digit, not for those of two, which stand at every other step from 11
  // on; after the scrolls still at the odd numbers. The y title at the top.
  p = run(window(800, 600) +
          "AXIS(WINdowhandle=H, MiN=0, MaX=10, FixmiN, FiXmax, Yaxis, MiN=0, MaX=20, Scroll, "
          "Title='v')\nDO I = 0, 45\n  LINE(X=I / 5, Y=I)\nENDDO\n");
  const plot::Scale& s = plot::axisstate.scale(plot::yentry(1));
  EXPECT_GE(s.maximum, 45.0F);
  const Axis1 a;
  std::vector<int> ticks;
  for (double v = std::ceil((s.minimum - 1) / 2) * 2 + 1; v < s.maximum; v += 2)
    if (a.y(v) < a.liney - 2 && a.y(v) - 4 * a.cw > 0) ticks.push_back(a.y(v));
  std::vector<InkRun> got = a.ylabels(p);
  if (!got.empty() && got.back().last >= a.liney - 2) got.pop_back();
  labelsat(got, ticks, false, -1, "upward");
  EXPECT_GT(p.in(black(), 0, 0, a.linex - 3 * a.cw, a.liney / 2), 3) << "no y title";
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

}  // namespace
