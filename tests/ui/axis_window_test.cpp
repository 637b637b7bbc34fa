// AXIS in script windows, run as RUN runs it on the headless back end: the
// frames where the layout puts them, read back from the window's picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "axis_pixel.h"
#include "child_fixture.h"
#include "exec/builtins.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "toolkit/scrolling.h"

namespace {

using axispixel::Pixels;
using axispixel::pixelsof;
using childtest::ChildScript;

// Writes the window as <name>.png into the folder OSTREL_SCREENSHOTS names.
void screenshot(const exec::wdwrec& r, const std::string& name) {
  const char* folder = std::getenv("OSTREL_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0' || r.window == nullptr) return;
  int ups = 0;
  toolkit::UPDATE_WINDOW(r.window, nullptr, nullptr, &ups);
  plat::write_window_png(r.window, std::string(folder) + "/" + name + ".png");
}

// A window of 640 x 400 pixels for each name.
std::string windows(std::initializer_list<const char*> names) {
  std::string s;
  for (const char* n : names)
    s += std::string("WINDOW(WINdowhandle=") + n + ", Width=-640, Height=-400)\n";
  return s;
}

const plot::Scale& scale(int e) { return plot::axisstate.scale(e); }

TEST_F(ChildScript, AxisOptionsNumberLayOutAndStyleTheFrames) {
  plot::reset_fontslots();
  plot::reset_plotstate();
  const std::string out =
      runopen(windows({"H1", "H2", "H3", "H4", "H5"}) +
              "AXIS(WINdowhandle=H1, Axis=9)\n"
              "N = 12345\n"
              "AXIS(WINdowhandle=N, Axis=-8, MiN=1, MaX=2)\n"
              "AXIS(Axis=-2, MiN=3, MaX=4)\n"
              "AXIS(WINdowhandle=H2, Axis=0, Axis=3, Axis)\n"
              "AXIS(WINdowhandle=H4, Axis=5, ForeColor=4, Xaxis=2048, Yaxis, Grid=0)\n"
              "AXIS(WINdowhandle=H5, Axis=6, Height=0.5, Left=2, Width=1, Axis=7, Left=1)\n"
              "AXIS(WINdowhandle=H3, Axis=2, Yaxis, Title='Volts')\n"
              "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const auto handle = [&](const char* n) { return windowof(n)->window; };
  const plot::AxisState& a = plot::axisstate;
  EXPECT_EQ(a.window(8), handle("H1")) << "Axis=9 draws axis 8";
  EXPECT_FLOAT_EQ(scale(8).defaultmax, 2.0F) << "a handle of no window: the current window";
  EXPECT_EQ(a.window(1), handle("H2")) << "Axis=0 draws axis 1";
  EXPECT_EQ(a.window(3), handle("H2"));
  EXPECT_EQ(a.window(4), handle("H2")) << "an Axis without a value numbers one above";
  // Three frames side by side, filling the width of the window.
  const std::int32_t w = a.columns / 3;
  EXPECT_EQ(a.frame(1).left, 0);
  EXPECT_EQ(a.frame(3).left, w);
  EXPECT_EQ(a.frame(4).left, 2 * w);
  EXPECT_EQ(a.frame(4).width, w);
  EXPECT_EQ(a.frame(4).height, a.rows);
  // Axis=-2 drew nothing; its range became axis 2's default.
  EXPECT_EQ(a.window(2), handle("H3"));
  EXPECT_FLOAT_EQ(scale(2).defaultmin, 3.0F);
  EXPECT_FLOAT_EQ(scale(2).defaultmax, 4.0F);
  EXPECT_NEAR(scale(2).minimum, 3.0F, 0.01F);
  EXPECT_NEAR(scale(2).maximum, 4.0F, 0.01F);
  // A Title after Yaxis names the y direction.
  EXPECT_EQ(a.xtitle[0], 0);
  EXPECT_NE(a.ytitle[0], 0);
  // Xaxis=2048 is the whole x style word; Grid=0 takes the y grid away.
  EXPECT_EQ(a.style(plot::xentry(5)), 0x800);
  EXPECT_EQ(a.style(plot::yentry(5)), 0x0F);
  // Fractions of the window, and a left edge held 5 columns from the right.
  EXPECT_EQ(a.frame(6).height, a.rows / 2);
  EXPECT_EQ(a.frame(6).left, 2);
  EXPECT_EQ(a.frame(6).width, a.columns - 2);
  EXPECT_EQ(a.frame(7).left, a.columns - 5);
}

TEST_F(ChildScript, AxisRangesAreOrderedRoundedAndAlwaysEnd) {
  plot::reset_fontslots();
  plot::reset_plotstate();
  const std::string out = runopen(
      windows({"H"}) +
      "AXIS(WINdowhandle=H, MiN=2, MaX=9)\n"
      "AXIS(WINdowhandle=H, Axis=3, LoG, MiN=0.01, MaX=100, Yaxis, LoG=2, MiN=0.01, MaX=100)\n"
      "AXIS(WINdowhandle=H, Axis=4, MiN=5, MaX=1, Yaxis, MiN=3, MaX=3)\n"
      "AXIS(WINdowhandle=H, Axis=5, MiN=0, MaX=0, Yaxis, MiN=-1E30, MaX=-1E30)\n"
      "AXIS(WINdowhandle=H, Axis=6, LoG, MaX=-1, Yaxis, MiN=-5, MaX=-5)\n"
      "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  // Without an Axis option the options are axis 1's.
  EXPECT_LE(scale(1).minimum, 2.0F);
  EXPECT_GE(scale(1).maximum, 9.0F);
  EXPECT_LE(scale(1).maximum, 10.0F);
  // LoG alone: the decades the range needs; LoG=2: two below the maximum.
  EXPECT_FLOAT_EQ(scale(3).minimum, 0.01F);
  EXPECT_FLOAT_EQ(scale(3).maximum, 100.0F);
  EXPECT_FLOAT_EQ(scale(11).minimum, 1.0F);
  EXPECT_FLOAT_EQ(scale(11).maximum, 100.0F);
  // Swapped, and a range of 1.
  EXPECT_FLOAT_EQ(scale(4).minimum, 1.0F);
  EXPECT_FLOAT_EQ(scale(4).maximum, 5.0F);
  EXPECT_FLOAT_EQ(scale(12).minimum, 3.0F);
  EXPECT_FLOAT_EQ(scale(12).maximum, 4.0F);
  for (const int e : {5, 13, 6, 14}) {
    EXPECT_TRUE(std::isfinite(scale(e).minimum) && std::isfinite(scale(e).maximum)) << e;
    EXPECT_LT(scale(e).minimum, scale(e).maximum) << e;
  }
  // Each frame covered the one before: only the last stays live.
  EXPECT_EQ(plot::axisstate.live & 0x1FE, 1U << 6);
}

// Frames of n axes in the window, each in its own background colour:
// where the layout puts them in cells, with their axis lines where the
// label margins put them.
void framesat(const Pixels& p, int n, int rows, int columns) {
  const plot::AxisState& a = plot::axisstate;
  const int cw = plot::fontslots(5).cellwidth, ch = plot::fontslots(5).cellheight;
  const int w = a.columns / columns, h = a.rows / rows;
  const win::COLORREF black = exec::rgbtab(0);
  for (int c = 1; c <= n; ++c) {
    const int col = (c - 1) % columns, row = c > columns ? 0 : rows - 1;
    SCOPED_TRACE("frame " + std::to_string(c));
    const plot::Frame f = a.frame(c);
    EXPECT_EQ(f.left, col * w);
    EXPECT_EQ(f.bottom, row * h);
    EXPECT_EQ(f.width, w);
    EXPECT_EQ(f.height, h);
    const win::RECT box = p.box(exec::rgbtab(c));
    const int top = (a.rows - f.bottom - f.height) * ch;
    EXPECT_NEAR(box.left, f.left * cw + 1, 2);
    EXPECT_NEAR(box.right, (f.left + f.width) * cw + 1, 2);
    EXPECT_NEAR(box.top, top, 2);
    EXPECT_NEAR(box.bottom, top + f.height * ch, 2);
    // The x axis line above 3 label rows, the y axis line right of 6
    // label columns, both drawn.
    const int liney = (a.rows - f.bottom - 3) * ch - 1;
    const int linex = (f.left + 6) * cw - 2;
    const int along = (f.width - 8) * cw;
    int best = 0;
    for (int y = liney - 1; y <= liney + 1; ++y)
      best = std::max(best, p.onrow(black, y, linex + 2, linex + along));
    EXPECT_GT(best, along * 9 / 10);
    best = 0;
    for (int x = linex - 1; x <= linex + 1; ++x)
      best = std::max(best, p.oncolumn(black, x, top + 2, liney - 2));
    EXPECT_GT(best, (liney - top - 4) * 9 / 10);
  }
}

TEST_F(ChildScript, AxisFramesFillTheirCellsOfTheWindow) {
  plot::reset_fontslots();
  plot::reset_plotstate();
  std::string script = windows({"A", "B", "C"});
  const auto axes = [](const char* window, int n) {
    std::string s = std::string("AXIS(WINdowhandle=") + window;
    for (int k = 1; k <= n; ++k)
      s += ", Axis=" + std::to_string(k) + ", BaCkcolor=" + std::to_string(k);
    return s + ")\n";
  };
  const std::string out = runopen(script + axes("A", 3) + "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const exec::wdwrec* a = windowof("A");
  ASSERT_NE(a, nullptr);
  screenshot(*a, "axis_three");
  framesat(pixelsof(*a), 3, 1, 3);
  // Four as two rows of two, eight as two rows of four; the first axes on top.
  for (const auto& [n, rows, columns] : {std::tuple{4, 2, 2}, std::tuple{8, 2, 4}}) {
    SCOPED_TRACE(std::to_string(n) + " axes");
    const std::string more = runopen(script + axes("B", n) + "END\n");
    ASSERT_EQ(more.substr(more.rfind("stop=")), "stop=-1\n") << more;
    const exec::wdwrec* b = windowof("B");
    ASSERT_NE(b, nullptr);
    screenshot(*b, "axis_" + std::to_string(n));
    framesat(pixelsof(*b), n, rows, columns);
  }
}

TEST_F(ChildScript, AxisStylesShowInThePicture) {
  plot::reset_fontslots();
  plot::reset_plotstate();
  const std::string out = runopen(windows({"N", "L", "T"}) +
                                  "AXIS(WINdowhandle=N, Title='A title', Xaxis=2048, Yaxis=2063)\n"
                                  "AXIS(WINdowhandle=L, LoG, MiN=1, MaX=1000, Yaxis, Grid=0)\n"
                                  "AXIS(WINdowhandle=T, TiMe, MiN=0, MaX=10, Yaxis, Grid=0)\n"
                                  "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const plot::AxisState& a = plot::axisstate;
  const int cw = plot::fontslots(5).cellwidth, ch = plot::fontslots(5).cellheight;
  const win::COLORREF white = exec::rgbtab(15), black = exec::rgbtab(0);
  // No labels, no title, no lines, ticks of no length: nothing but the
  // background.
  const Pixels n = pixelsof(*windowof("N"));
  screenshot(*windowof("N"), "axis_nolabels");
  EXPECT_EQ(n.box(black).right, 0) << "ink at " << n.box(black).left << "," << n.box(black).top;
  // A grid line across the frame at each decade, none between.
  const Pixels l = pixelsof(*windowof("L"));
  screenshot(*windowof("L"), "axis_loggrid");
  const plot::Frame f = a.frame(1);
  const int top = (a.rows - f.bottom - f.height) * ch + 2;
  const int liney = (a.rows - f.bottom - 3) * ch - 1;
  const int linex = (f.left + 6) * cw - 2;
  const double decade = a.length(1) / a.unitsperpixelx / 3.0;
  const auto line = [&](double p) {
    int best = 0;
    const int x = linex + static_cast<int>(std::lround(p));
    for (int d = -1; d <= 1; ++d) best = std::max(best, l.oncolumn(black, x + d, top, liney - 4));
    return best;
  };
  const int height = liney - 4 - top;
  for (int d = 1; d <= 3; ++d) EXPECT_GT(line(d * decade), height * 9 / 10) << "decade " << d;
  EXPECT_LT(line(std::log10(3.0) * decade), height / 10) << "between decades";
  EXPECT_LT(line((1 + std::log10(5.0)) * decade), height / 10);
  // Date labels under the x axis line.
  const Pixels t = pixelsof(*windowof("T"));
  screenshot(*windowof("T"), "axis_time");
  EXPECT_GT(t.onrow(black, liney + ch / 2 + 2, linex, linex + 5 * cw) +
                t.onrow(black, liney + ch / 2, linex, linex + 5 * cw),
            4)
      << "a label at the first tick";
  EXPECT_EQ(white, t(2, 2));
}

}  // namespace

namespace {

// The first labels of a negative range stand clear of their ticks, which
// are tripled under a label: the minus signs and leading ones stay visible.
TEST_F(ChildScript, AxisLabelsStandClearOfTheirTicks) {
  plot::reset_fontslots();
  plot::reset_plotstate();
  const std::string out = runopen(windows({"N"}) +
                                  "AXIS(WINdowhandle=N, MiN=-100, MaX=100, Yaxis, MiN=-100, "
                                  "MaX=100)\nEND\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const plot::AxisState& a = plot::axisstate;
  const int cw = plot::fontslots(5).cellwidth, ch = plot::fontslots(5).cellheight;
  const win::COLORREF black = exec::rgbtab(0);
  const Pixels p = pixelsof(*windowof("N"));
  screenshot(*windowof("N"), "axis_negative");
  const plot::Frame f = a.frame(1);
  const int liney = (a.rows - f.bottom - 3) * ch - 1;
  const int linex = (f.left + 6) * cw - 2;
  // The y label of the minimum ("-100", upward) ends above the x axis line
  // that is its tick, left of the y axis line.
  int label = 0, ontick = 0;
  for (int x = linex - ch - 4; x < linex - 2; ++x) {
    label += p.oncolumn(black, x, liney - 5 * cw, liney - 2);
    ontick += p.oncolumn(black, x, liney - 2, liney);
  }
  EXPECT_GT(label, 10) << "no y label";
  EXPECT_EQ(ontick, 0) << "the y label runs into its tick";
  // The x label of the minimum starts past the y axis line that is its tick.
  label = ontick = 0;
  for (int y = liney + 3; y < liney + ch; ++y) {
    label += p.onrow(black, y, linex + 3, linex + 5 * cw);
    ontick += p.onrow(black, y, linex + 1, linex + 3);
  }
  EXPECT_GT(label, 10) << "no x label";
  EXPECT_EQ(ontick, 0) << "the x label runs into its tick";
}

}  // namespace
