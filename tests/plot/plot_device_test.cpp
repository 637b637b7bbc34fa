// The device layer on the headless back end: pens, brushes and the
// palette, the pixel conversion's limits, and what the entries draw on
// the current window's bitmap.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "plot/backbrush.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot_fixture.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/records.h"

namespace {

using plottest::PlotTest;

win::EXTLOGPEN penof(const toolkit::draw_target_t& t) {
  win::EXTLOGPEN p{};
  win::GetObjectA(t.pen, sizeof p, &p);
  return p;
}

TEST_F(PlotTest, PenCodesGiveColourStyleAndWidth) {
  toolkit::draw_target_t t;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&record->bitmap, nullptr, nullptr, t, &ups);
  std::int32_t width = 0;
  plot::NEWPENCOLSTYLEWIDTH(t, 4.32, width);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(penof(t).elpColor, exec::rgbtab(4));
  EXPECT_EQ(penof(t).elpPenStyle & 0xF, 3u);
  plot::NEWPENCOLSTYLEWIDTH(t, 40.5, width);  // clamped to 31.99
  EXPECT_EQ(width, 9);
  EXPECT_EQ(penof(t).elpColor, exec::rgbtab(31));
  plot::NEWPENCOLSTYLEWIDTH(t, 2.0, width);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(penof(t).elpColor, exec::rgbtab(2));
  EXPECT_EQ(penof(t).elpPenStyle & 0xF, 0u);
  plot::NEWPENCOLSTYLEWIDTH(t, -3.0, width);
  EXPECT_EQ(penof(t).elpColor, exec::rgbtab(0));
  toolkit::END_BITMAP_DRAW(t, &ups);

  // Pen function 4: style value mod 10 (0 above 4), width value / 10.
  std::int32_t error = 0;
  plot::PLTFNC(4, 7, error);
  EXPECT_EQ(plot::plotcom.penstyle, 0);
  EXPECT_EQ(plot::plotcom.penwidth, 1);
  plot::PLTFNC(4, 123, error);
  EXPECT_EQ(plot::plotcom.penstyle, 3);
  EXPECT_EQ(plot::plotcom.penwidth, 12);
  // On a printer page the width doubles.
  toolkit::draw_target_t& page = plot::drawtargets[plot::target::printer];
  const win::HBITMAP paper = toolkit::CREATE_BITMAP(200, 200, nullptr, &ups);
  toolkit::START_BITMAP_DRAW(&paper, nullptr, nullptr, page, &ups);
  page.flags = toolkit::kPrinterTarget;
  plot::plotdev = &page;
  plot::PLTFNC(4, 123, error);
  EXPECT_EQ(plot::plotcom.penwidth, 24);
  page.flags = 0;
  toolkit::END_BITMAP_DRAW(page, &ups);
  plot::plotdev = &plot::drawtargets[plot::target::defaultplot];
  // Colour functions take palette entries, the number AND 31.
  plot::PLTFNC(3, 33, error);
  EXPECT_EQ(plot::plotcom.pencolour, exec::rgbtab(1));
  plot::PLTFNC(2, 5, error);
  EXPECT_EQ(plot::plotcom.brushcolour, exec::rgbtab(5));
}

TEST_F(PlotTest, BrushesAreKeptPerColourUntilThePaletteOrTheStyleChanges) {
  const win::HBRUSH a = plot::BACKBRUSH(3);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(plot::BACKBRUSH(3), a);
  win::LOGBRUSH lb{};
  exec::rgbtab(3) = 0x123456;
  const win::HBRUSH b = plot::BACKBRUSH(3);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(win::GetObjectA(b, sizeof lb, &lb), 0);
  EXPECT_EQ(lb.lbColor, 0x123456u);
  const win::HBRUSH hatched = plot::BACKBRUSH(3.21);
  ASSERT_NE(win::GetObjectA(hatched, sizeof lb, &lb), 0);
  EXPECT_EQ(lb.lbStyle, 2u);
  // A negative value frees them all.
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(plot::BACKBRUSH(-1)), 0xC0C0C0u);
  EXPECT_EQ(win::GetObjectA(hatched, sizeof lb, &lb), 0);
}

TEST_F(PlotTest, ADeviceCoordinateFarOutIsHeldAtTheLimitBothWays) {
  std::vector<win::POINT> points;
  plot::plotcom.recording = 1;
  plot::plotcom.recordto = &points;
  plot::plotcom.ymax = 700;
  plot::plotcom.pen = 1;
  for (const float v : {3.0e9F, -3.0e9F, 1.0e30F}) {
    plot::plotcom.devx = v;
    plot::plotcom.devy = v;
    plot::UQMODX(plot::devop::pentopoint);
  }
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].x, 2126008832);
  EXPECT_EQ(points[0].y, -2126008832);
  EXPECT_EQ(points[1].x, -2126008832);
  EXPECT_EQ(points[1].y, 2126008832);
  EXPECT_EQ(points[2].x, 2126008832);
  // And drawn: a line towards a point far out crosses the bitmap.
  plot::plotcom.recording = 0;
  plot::PLOTS(0);
  plot::PLOT(1, 1, 3);
  plot::PLOT(1.0e9F, 1, 2);
  EXPECT_GT(countnot(0xFFFFFF, 0, 0, width, height), width / 2);
}

TEST_F(PlotTest, TheScaleFollowsTheScreenOrThePrintersResolution) {
  plot::PLOTS(0);
  EXPECT_NEAR(plot::plotcom.xscale, 1280 / 24.5, 0.01);
  EXPECT_NEAR(plot::plotcom.yscale, 1024 / 18.45, 0.01);
  EXPECT_NEAR(plot::plotcom.xscale, 52.24, 0.01);
  EXPECT_NEAR(plot::plotcom.yscale, 55.50, 0.01);
  toolkit::draw_target_t& page = plot::drawtargets[plot::target::printer];
  int ups = 0;
  const win::HBITMAP paper = toolkit::CREATE_BITMAP(200, 200, nullptr, &ups);
  toolkit::START_BITMAP_DRAW(&paper, nullptr, nullptr, page, &ups);
  page.flags = toolkit::kPrinterTarget;
  page.pixels_per_inch_x = page.pixels_per_inch_y = 600;
  page.pixels_per_mm_x = page.pixels_per_mm_y = 23.6F;
  plot::plotdev = &page;
  plot::PLOTS(0);
  EXPECT_NEAR(plot::plotcom.xscale, 236.2, 0.1);
  page.flags = 0;
  toolkit::END_BITMAP_DRAW(page, &ups);
}

TEST_F(PlotTest, GetTextWidthCountsCellsRoundedUp) {
  plot::ifontslot = 2;
  const plot::FontSlot& f = plot::fontslots(2);
  plot::SETFONT(2, "Courier new", 10, 0, 0, 400, 0);
  ASSERT_NE(f.font, nullptr);
  const std::int32_t cell = f.cellwidth;
  ASSERT_GT(cell, 1);
  EXPECT_EQ(plot::GETTEXTWIDTH("abc   "), 3);  // a monospace face: one cell each
  // Text a pixel wider than a cell: two cells.
  plot::fontslots(2).cellwidth = static_cast<std::int16_t>(cell - 1);
  EXPECT_EQ(plot::GETTEXTWIDTH("a"), 2);
  EXPECT_FALSE(plot::drawing(*plot::plotdev));  // the pass it opened is closed
}

}  // namespace
