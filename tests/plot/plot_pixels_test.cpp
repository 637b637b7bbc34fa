// What the device layer's entries leave on the current window's bitmap
// (headless back end): lines in plot units, texts by their angle codes,
// cleared windows, blanked axis boxes, moved pixel blocks; and the drawing
// bracket's refreshes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/upcalls.h"
#include "plot_fixture.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"

namespace {

using plottest::PlotTest;

int refreshes = 0;
win::RECT refreshed{};
void countrefresh(std::int32_t, exec::wdwrec*) {
  ++refreshes;
  refreshed = exec::updrect;
}

TEST_F(PlotTest, LinesInPlotUnitsLandOnTheBitmapAndEachEntryRefreshesOnce) {
  refreshes = 0;
  plot::upcalls.UPDATEWDW = countrefresh;
  plot::SETFONT(5, "Arial", 9, 0, 0, 400, 0);
  std::int32_t error = 0;
  plot::PLTFNC(3, 4, error);
  EXPECT_EQ(refreshes, 1);
  refreshes = 0;
  plot::PLOTS(0);
  plot::PLOT(1, 1, 3);
  plot::PLOT(5, 1, 2);
  // Three device operations (the scale, the move and the line), each in a
  // pass of its own.
  EXPECT_EQ(refreshes, 3);
  const int y = static_cast<int>(std::lround(plot::plotcom.ymax - plot::plotcom.yscale + 1));
  const int x0 = static_cast<int>(std::lround(plot::plotcom.xscale));
  const int x1 = static_cast<int>(std::lround(5 * plot::plotcom.xscale));
  EXPECT_EQ(at((x0 + x1) / 2, y), exec::rgbtab(4));
  EXPECT_EQ(at((x0 + x1) / 2, y - 3), 0xFFFFFFu);
  EXPECT_LE(refreshed.left, x0);
  EXPECT_GE(refreshed.right, x1);
  // Inside the caller's pass: no refresh in between.
  refreshes = 0;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&record->bitmap, nullptr, nullptr, *plot::plotdev, &ups);
  plot::PLOT(5, 3, 2);
  plot::UQMODX(4);  // no such operation: nothing
  EXPECT_EQ(refreshes, 0);
  toolkit::END_BITMAP_DRAW(*plot::plotdev, &ups);
  // Alone, an operation that does nothing still opens, closes and refreshes.
  plot::UQMODX(4);
  EXPECT_EQ(refreshes, 1);
  plot::upcalls.UPDATEWDW = nullptr;
}

TEST_F(PlotTest, TextsAlignByTheirAngleCodes) {
  plot::SETFONT(5, "Arial", 12, 0, 0, 400, 0);
  ASSERT_NE(plot::fontslots(5).font, nullptr);
  ASSERT_NE(plot::fontslots(9).font, nullptr);
  plot::PLOTS(0);
  const float x = 4, y = 3;
  const int px = static_cast<int>(std::lround(x * plot::plotcom.xscale));
  const int py = static_cast<int>(std::lround(plot::plotcom.ymax - y * plot::plotcom.yscale));
  const auto drawn = [&](float angle) {
    makebitmap(1000, 700);
    plot::UQTEXT(x, y, 0, "Hello plot", angle, 10);
    return inkbox();
  };
  win::RECT b = drawn(0);
  ASSERT_GT(b.right, b.left);
  EXPECT_GT(b.right - b.left, b.bottom - b.top);
  EXPECT_NEAR(b.left, px, 3);
  EXPECT_GE(b.top, py - 1);
  b = drawn(720);  // right-aligned: ends two pixels before the point
  EXPECT_GT(b.right - b.left, b.bottom - b.top);
  EXPECT_NEAR(b.right, px - 2, 3);
  b = drawn(90);  // upward from the point, standing right of it
  EXPECT_GT(b.bottom - b.top, b.right - b.left);
  EXPECT_LE(b.bottom, py + 1);
  EXPECT_GE(b.left, px - 1);
  EXPECT_LE(b.right, px + plot::fontslots(5).cellheight + 2);
  const win::RECT upward = b;
  b = drawn(45);  // the font of the previous call, placed as it stands
  EXPECT_GT(b.bottom - b.top, b.right - b.left);
  EXPECT_EQ(b.bottom - b.top, upward.bottom - upward.top);
  b = drawn(810);  // upward, ending at the point
  EXPECT_GT(b.bottom - b.top, b.right - b.left);
  EXPECT_GE(b.top, py - 1);
  EXPECT_GE(b.left, px - 1);
  EXPECT_GT(b.bottom, upward.bottom + (upward.bottom - upward.top) / 2);
  // Far out: nothing.
  makebitmap(1000, 700);
  plot::UQTEXT(1.0e6F, y, 0, "far", 0, 3);
  EXPECT_LE(inkbox().right, inkbox().left);
}

TEST_F(PlotTest, ClearingAndBlankingFillWithTheirColours) {
  plot::upcalls.UPDATEWDW = countrefresh;
  plot::UQCLEAR(4);
  plot::upcalls.UPDATEWDW = nullptr;
  EXPECT_EQ(countnot(exec::rgbtab(4), 0, 0, width, height), 0);
  EXPECT_EQ(refreshed.right, width);
  plot::SETFONT(5, "Arial", 9, 0, 0, 400, 0);
  std::int32_t error = 0;
  plot::PLTFNC(2, 6, error);
  plot::axisstate.current = 2;
  plot::UQFLUSH(2, 5, 1, 2);
  const plot::FontSlot& g = plot::fontslots(5);
  const win::RECT box = plot::axisboxes[2];
  EXPECT_EQ(box.left, 2 * g.cellwidth + 1);
  EXPECT_EQ(box.top, g.cellheight);
  EXPECT_EQ(box.right - box.left, 5 * g.cellwidth);
  EXPECT_EQ(countnot(exec::rgbtab(6), box.left, box.top, box.right, box.bottom), 0);
  EXPECT_EQ(at(box.left - 1, box.top), exec::rgbtab(4));
  EXPECT_EQ(at(box.right + 1, box.top), exec::rgbtab(4));
  EXPECT_NE(plot::axisstate.setup & (1U << 2), 0U);
  plot::UQENDAXES();
  EXPECT_EQ(plot::axisstate.setup, 0U);
}

TEST_F(PlotTest, PixelBlocksMoveUpAndDownOverThemselves) {
  // Every row its own colour.
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&record->bitmap, nullptr, nullptr, *plot::plotdev, &ups);
  const auto rowcolour = [](int y) { return static_cast<win::COLORREF>(y * 0x010203 & 0xFFFFFF); };
  for (int y = 0; y < height; ++y) {
    const win::HBRUSH b = win::CreateSolidBrush(rowcolour(y));
    const win::RECT r{0, y, width, y + 1};
    win::FillRect(plot::plotdev->dc, &r, b);
    win::DeleteObject(b);
  }
  plot::pxlmovargs = {100, 0, 100, 300, 110, 0, plot::pxlmovcopy};  // down by 10
  plot::PXLMOV();
  plot::pxlmovargs = {300, 0, 100, 300, 290, 0, plot::pxlmovcopy};  // up by 10
  plot::PXLMOV();
  const win::COLORREF grey = 0x808080;
  toolkit::NEW_BRUSH(*plot::plotdev, &grey, nullptr, nullptr, &ups);
  plot::pxlmovargs = {0, 0, 5, 50, 600, 500, 0};  // a fill with the brush
  plot::PXLMOV();
  toolkit::END_BITMAP_DRAW(*plot::plotdev, &ups);
  for (int y = 110; y < 210; ++y) ASSERT_EQ(at(150, y), rowcolour(y - 10)) << y;
  for (int y = 290; y < 390; ++y) ASSERT_EQ(at(150, y), rowcolour(y + 10)) << y;
  EXPECT_EQ(at(150, 105), rowcolour(105));
  EXPECT_EQ(countnot(grey, 500, 600, 550, 605), 0);
  EXPECT_EQ(at(500, 605), rowcolour(605));
}

TEST_F(PlotTest, EveryGlyphLeavesInkInItsOwnCell) {
  plot::SETFONT(5, "Arial", 9, 0, 0, 400, 0);
  // The plot's rows fill the bitmap.
  plot::axisstate.rows = height / plot::fontslots(5).cellheight;
  plot::PLOTS(0);
  ASSERT_GT(plot::plotcom.ymax, 11.8F * plot::plotcom.yscale);
  // Rows of 16 glyphs, each in a cell of 1 x 1.2 plot units, 0.7 high.
  std::vector<std::int32_t> codes;
  for (std::int32_t c = 1; c <= 17; ++c) codes.push_back(c);
  for (std::int32_t c = 33; c <= 125; ++c) codes.push_back(c);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const float x = 0.5F + static_cast<float>(i % 16);
    const float y = 11.0F - 1.2F * static_cast<float>(i / 16);
    const char c = static_cast<char>(codes[i]);
    plot::SYMBOL(x, y, 7, std::string_view(&c, 1), 0, 1);
  }
  screenshot("glyphs");
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const float x = 0.5F + static_cast<float>(i % 16);
    const float y = 11.0F - 1.2F * static_cast<float>(i / 16);
    const int l = static_cast<int>(x * plot::plotcom.xscale);
    const int r = static_cast<int>((x + 0.5F) * plot::plotcom.xscale) + 1;
    const int b = static_cast<int>(plot::plotcom.ymax - (y - 0.35F) * plot::plotcom.yscale) + 2;
    const int t = static_cast<int>(plot::plotcom.ymax - (y + 0.75F) * plot::plotcom.yscale);
    ASSERT_GE(t, 0);
    EXPECT_GT(countnot(0xFFFFFF, l, t, r, b), 3) << codes[i];
  }
}

}  // namespace
