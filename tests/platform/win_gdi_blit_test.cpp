#include <gtest/gtest.h>

#include <cairo.h>

#include "platform/surface_seam.h"
#include "platform/win_gdi.h"
#include "win_gdi_testing.h"

using namespace win;
using gditest::Canvas;
using gditest::kBlack;
using gditest::kWhite;

class GdiBlit : public gditest::GdiTest {};

namespace {
// Column x of the canvas painted in a colour of its own.
COLORREF column_colour(int x) { return RGB(x * 10, 255 - x * 10, 7); }
void paint_columns(Canvas& c) {
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) SetPixel(c.dc, x, y, column_colour(x));
}
}  // namespace

TEST_F(GdiBlit, OverlappingCopiesInsideOneBitmapWorkBothWays) {
  Canvas c(20, 3);
  paint_columns(c);
  EXPECT_TRUE(BitBlt(c.dc, 3, 0, 10, 3, c.dc, 0, 0, SRCCOPY));  // to the right
  for (int x = 3; x < 13; ++x) EXPECT_EQ(c.at(x, 1), column_colour(x - 3)) << x;
  EXPECT_EQ(c.at(13, 1), column_colour(13));
  paint_columns(c);
  BitBlt(c.dc, 0, 0, 10, 3, c.dc, 3, 0, SRCCOPY);  // to the left
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.at(x, 2), column_colour(x + 3)) << x;

  // Vertically too, within one column.
  Canvas v(3, 20);
  for (int y = 0; y < 20; ++y) SetPixel(v.dc, 1, y, column_colour(y));
  BitBlt(v.dc, 0, 4, 3, 10, v.dc, 0, 0, SRCCOPY);
  for (int y = 4; y < 14; ++y) EXPECT_EQ(v.at(1, y), column_colour(y - 4)) << y;
  for (int y = 0; y < 20; ++y) SetPixel(v.dc, 1, y, column_colour(y));
  BitBlt(v.dc, 0, 2, 3, 15, v.dc, 0, 5, SRCCOPY);  // up
  for (int y = 2; y < 17; ++y) EXPECT_EQ(v.at(1, y), column_colour(y + 3)) << y;
  EXPECT_EQ(v.at(1, 17), column_colour(17));

  // A source partly outside its surface: those pixels stay.
  paint_columns(c);
  BitBlt(c.dc, 0, 0, 8, 3, c.dc, 15, 0, SRCCOPY);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(c.at(x, 0), column_colour(x + 15)) << x;
  for (int x = 5; x < 8; ++x) EXPECT_EQ(c.at(x, 0), column_colour(x)) << x;
}

TEST_F(GdiBlit, RasterOperationsCombineSourcePatternAndDestination) {
  Canvas src(4, 4), dst(4, 4);
  src.clear(RGB(0xF0, 0x0F, 0x33));
  const COLORREF s = RGB(0xF0, 0x0F, 0x33), d = RGB(0x55, 0xAA, 0xFF);
  const HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
  SelectObject(dst.dc, brush);
  const COLORREF p = RGB(0x12, 0x34, 0x56);
  const struct {
    DWORD rop;
    COLORREF want;
  } cases[] = {
      {SRCCOPY, s},       {SRCPAINT, s | d},          {SRCAND, s & d},
      {SRCINVERT, s ^ d}, {NOTSRCCOPY, s ^ 0xFFFFFF}, {DSTINVERT, d ^ 0xFFFFFF},
      {PATCOPY, p},       {PATINVERT, p ^ d},         {MERGECOPY, p & s},
      {BLACKNESS, 0},     {WHITENESS, 0xFFFFFF},      {SRCERASE, s & (d ^ 0xFFFFFF)},
  };
  for (const auto& k : cases) {
    dst.clear(d);
    EXPECT_TRUE(BitBlt(dst.dc, 1, 1, 2, 2, src.dc, 0, 0, k.rop)) << std::hex << k.rop;
    EXPECT_EQ(dst.at(1, 1), k.want) << std::hex << k.rop;
    EXPECT_EQ(dst.at(3, 3), d);
  }
  // Inverting copies twice restores.
  dst.clear(d);
  BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, SRCINVERT);
  BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, SRCINVERT);
  EXPECT_EQ(dst.at(2, 2), d);
  // A transfer that needs a source fails without one.
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(PatBlt(dst.dc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(PatBlt(dst.dc, 3, 3, -2, -2, PATCOPY));  // negative extents
  EXPECT_EQ(dst.at(2, 2), p);
  EXPECT_EQ(dst.at(1, 1), d);
}

TEST_F(GdiBlit, StretchScalesAndMirrors) {
  Canvas src(2, 2), dst(6, 4);
  SetPixel(src.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc, 1, 0, RGB(0, 255, 0));
  SetPixel(src.dc, 0, 1, RGB(0, 0, 255));
  SetPixel(src.dc, 1, 1, kBlack);
  EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(dst.at(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(dst.at(2, 1), RGB(0, 255, 0));
  EXPECT_EQ(dst.at(3, 3), kBlack);
  EXPECT_EQ(dst.at(4, 0), kWhite);
  // A negative width mirrors left and right.
  dst.clear(kWhite);
  StretchBlt(dst.dc, 3, 0, -4, 2, src.dc, 0, 0, 2, 2, SRCCOPY);
  EXPECT_EQ(dst.at(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.at(3, 0), RGB(255, 0, 0));
  EXPECT_EQ(dst.at(0, 1), kBlack);
}

TEST_F(GdiBlit, FillsFramesAndInversions) {
  Canvas c(10, 10);
  const RECT r{2, 2, 6, 5};
  // COLOR_xxx + 1 stands for the system colour.
  EXPECT_EQ(FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1)), 1);
  EXPECT_EQ(c.at(2, 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(c.at(5, 4), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(c.at(6, 4), kWhite);
  EXPECT_EQ(c.at(5, 5), kWhite);
  EXPECT_EQ(c.count_ink(), 12);
  EXPECT_EQ(FillRect(c.dc, &r, GetSysColorBrush(COLOR_WINDOW)), 1);
  EXPECT_EQ(c.count_ink(), 0);

  FrameRect(c.dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.picture(1, 1, 8, 7),
            ".......\n"
            ".####..\n"
            ".#..#..\n"
            ".####..\n"
            ".......\n"
            ".......\n");

  const std::string before = c.snapshot();
  const RECT all{0, 0, 10, 10};
  InvertRect(c.dc, &all);
  EXPECT_EQ(c.at(0, 0), kBlack);
  EXPECT_EQ(c.at(2, 2), kWhite);
  InvertRect(c.dc, &all);
  EXPECT_EQ(c.snapshot(), before);
}

TEST_F(GdiBlit, ScrollMovesPixelsAndReportsTheUncoveredStrip) {
  Canvas c(6, 10);
  for (int y = 0; y < 10; ++y) SetPixel(c.dc, 2, y, RGB(y * 20, 0, 0));
  RECT update;
  EXPECT_TRUE(ScrollDC(c.dc, 0, -3, nullptr, nullptr, nullptr, &update));
  for (int y = 0; y < 7; ++y) EXPECT_EQ(c.at(2, y), RGB((y + 3) * 20, 0, 0)) << y;
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.top, 7);
  EXPECT_EQ(update.right, 6);
  EXPECT_EQ(update.bottom, 10);
  // Sideways within a part of the context.
  const RECT part{1, 0, 5, 10};
  ScrollDC(c.dc, 2, 0, &part, &part, nullptr, &update);
  EXPECT_EQ(c.at(4, 0), RGB(60, 0, 0));
  EXPECT_EQ(update.left, 1);
  EXPECT_EQ(update.right, 3);
}

TEST_F(GdiBlit, WindowContextsDrawAtTheirOriginWithinTheirClip) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 30);
  const RECT clip{10, 5, 30, 25};
  const HDC dc = seam::make_surface_dc(s, 10, 5, clip, nullptr);
  ASSERT_NE(dc, nullptr);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 20);
  const RECT all{-50, -50, 100, 100};
  FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetPixel(dc, 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
  seam::free_surface_dc(dc);
  cairo_surface_flush(s);
  auto px = [&](int x, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                            y * cairo_image_surface_get_stride(s))[x] &
           0xFFFFFF;
  };
  EXPECT_EQ(px(10, 5), 0x010203u);  // logical (0, 0)
  EXPECT_EQ(px(29, 24), 0xFFFFFFu);
  EXPECT_EQ(px(30, 24), 0u);  // outside the clip: untouched
  EXPECT_EQ(px(9, 5), 0u);
  cairo_surface_destroy(s);
}
