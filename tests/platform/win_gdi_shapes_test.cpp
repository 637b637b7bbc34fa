#include <gtest/gtest.h>

#include "platform/win_gdi.h"
#include "win_gdi_testing.h"

using namespace win;
using gditest::Canvas;
using gditest::kBlack;
using gditest::kWhite;

class GdiShapes : public gditest::GdiTest {};

namespace {
const COLORREF kGrey = RGB(128, 128, 128);
}

TEST_F(GdiShapes, RectangleLeavesOutRightAndBottomEdges) {
  Canvas c(12, 10);
  SelectObject(c.dc, GetStockObject(GRAY_BRUSH));
  EXPECT_TRUE(Rectangle(c.dc, 2, 2, 8, 6));
  EXPECT_EQ(c.picture(0, 1, 10, 7),
            "..........\n"
            "..######..\n"
            "..######..\n"
            "..######..\n"
            "..######..\n"
            "..........\n");
  EXPECT_EQ(c.at(2, 2), kBlack);  // border with the pen
  EXPECT_EQ(c.at(7, 5), kBlack);
  EXPECT_EQ(c.at(3, 3), kGrey);  // inside with the brush

  // Corners given the other way round make the same rectangle.
  c.clear(kWhite);
  Rectangle(c.dc, 8, 6, 2, 2);
  EXPECT_EQ(c.ink_box().left, 2);
  EXPECT_EQ(c.ink_box().right, 8);

  // Without a pen the figure is one pixel smaller each way.
  c.clear(kWhite);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Rectangle(c.dc, 2, 2, 8, 6);
  const RECT box = c.ink_box();
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 2);
  EXPECT_EQ(box.right, 7);
  EXPECT_EQ(box.bottom, 5);
  EXPECT_EQ(c.at(2, 2), kGrey);
}

TEST_F(GdiShapes, InvertedOutlinesDrawnTwiceRestoreEveryPixel) {
  // The rubber band: hollow brush, inverting mode, drawn and drawn again.
  Canvas c(40, 30);
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc, 5, 5, 20, 20);
  const std::string before = c.snapshot();
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  SetROP2(c.dc, R2_NOT);
  Rectangle(c.dc, 10, 3, 30, 25);
  EXPECT_EQ(c.at(10, 3), kBlack);
  EXPECT_EQ(c.at(10, 10), kWhite);  // crossing the black square
  EXPECT_EQ(c.at(29, 24), kBlack);
  EXPECT_EQ(c.at(30, 25), kWhite);
  EXPECT_EQ(c.at(15, 15), kBlack);  // inside untouched (still black)
  Rectangle(c.dc, 10, 3, 30, 25);
  EXPECT_EQ(c.snapshot(), before);

  // Filled figures under XOR, and a 3-pixel pen, restore as well.
  SetROP2(c.dc, R2_XORPEN);
  SelectObject(c.dc, CreateSolidBrush(RGB(0, 200, 100)));
  SelectObject(c.dc, CreatePen(PS_SOLID, 3, RGB(255, 0, 0)));
  for (int round = 0; round < 2; ++round) {
    Ellipse(c.dc, 2, 2, 35, 28);
    RoundRect(c.dc, 8, 8, 30, 22, 8, 6);
    const POINT tri[] = {{1, 28}, {20, 1}, {38, 28}};
    Polygon(c.dc, tri, 3);
    Chord(c.dc, 0, 0, 30, 30, 30, 15, 0, 15);
  }
  EXPECT_EQ(c.snapshot(), before);
}

TEST_F(GdiShapes, EllipseFitsItsBoxAndTouchesEverySide) {
  Canvas c(30, 30);
  SelectObject(c.dc, GetStockObject(GRAY_BRUSH));
  EXPECT_TRUE(Ellipse(c.dc, 3, 4, 23, 18));
  const RECT box = c.ink_box();
  EXPECT_EQ(box.left, 3);
  EXPECT_EQ(box.top, 4);
  EXPECT_EQ(box.right, 23);
  EXPECT_EQ(box.bottom, 18);
  EXPECT_FALSE(c.ink(3, 4));  // corners stay clear
  EXPECT_FALSE(c.ink(22, 17));
  EXPECT_EQ(c.at(13, 11), kGrey);
  EXPECT_EQ(c.at(3, 11), kBlack);
  // Symmetric both ways.
  for (int y = 4; y < 18; ++y)
    for (int x = 3; x < 23; ++x) {
      EXPECT_EQ(c.at(x, y), c.at(3 + 22 - x, y)) << x << "," << y;
      EXPECT_EQ(c.at(x, y), c.at(x, 4 + 17 - y)) << x << "," << y;
    }
  // The outline is closed: no grey pixel touches the white outside.
  for (int y = 4; y < 18; ++y)
    for (int x = 3; x < 23; ++x)
      if (c.at(x, y) == kGrey) {
        EXPECT_NE(c.at(x - 1, y), kWhite);
        EXPECT_NE(c.at(x + 1, y), kWhite);
        EXPECT_NE(c.at(x, y - 1), kWhite);
        EXPECT_NE(c.at(x, y + 1), kWhite);
      }

  // A small circle is round, not a diamond or a square.
  c.clear(kWhite);
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Ellipse(c.dc, 0, 0, 8, 8);
  EXPECT_EQ(c.picture(0, 0, 8, 8),
            "..####..\n"
            ".#....#.\n"
            "#......#\n"
            "#......#\n"
            "#......#\n"
            "#......#\n"
            ".#....#.\n"
            "..####..\n");

  // An inside-frame wide pen keeps the figure within the box.
  c.clear(kWhite);
  SelectObject(c.dc, CreatePen(PS_INSIDEFRAME, 5, kBlack));
  Ellipse(c.dc, 5, 5, 25, 25);
  const RECT inner = c.ink_box();
  EXPECT_GE(inner.left, 5);
  EXPECT_LE(inner.right, 25);
  EXPECT_EQ(c.at(7, 15), kBlack);
}

TEST_F(GdiShapes, RoundRectCutsOnlyTheCorners) {
  Canvas c(20, 14);
  RoundRect(c.dc, 1, 1, 19, 13, 8, 8);
  EXPECT_FALSE(c.ink(1, 1));
  EXPECT_FALSE(c.ink(18, 12));
  EXPECT_TRUE(c.ink(10, 1));  // straight top edge
  EXPECT_TRUE(c.ink(1, 7));   // straight left edge
  EXPECT_TRUE(c.ink(18, 7));  // right edge at right - 1
  EXPECT_FALSE(c.ink(19, 7));
  EXPECT_EQ(c.ink_box().bottom, 13);
}

TEST_F(GdiShapes, PolygonFillFollowsTheFillMode) {
  Canvas c(12, 12);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  const POINT sq[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  Polygon(c.dc, sq, 4);
  const RECT box = c.ink_box();  // the same pixels as FillRect(0, 0, 10, 10)
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(c.count_ink(), 100);

  // A five-pointed star: its middle is a hole with ALTERNATE, filled with
  // WINDING.
  Canvas s(40, 40);
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  SelectObject(s.dc, GetStockObject(BLACK_BRUSH));
  const POINT star[] = {{20, 1}, {31, 37}, {1, 14}, {39, 14}, {9, 37}};
  Polygon(s.dc, star, 5);
  EXPECT_FALSE(s.ink(20, 21));
  EXPECT_TRUE(s.ink(20, 5));
  SetPolyFillMode(s.dc, WINDING);
  Polygon(s.dc, star, 5);
  EXPECT_TRUE(s.ink(20, 21));

  // With a pen the outline passes through every vertex.
  s.clear(kWhite);
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  SelectObject(s.dc, GetStockObject(NULL_BRUSH));
  const POINT tri[] = {{2, 2}, {30, 2}, {2, 30}};
  Polygon(s.dc, tri, 3);
  EXPECT_TRUE(s.ink(2, 2));
  EXPECT_TRUE(s.ink(30, 2));
  EXPECT_TRUE(s.ink(2, 30));
  EXPECT_FALSE(s.ink(10, 10));
}

TEST_F(GdiShapes, ChordFillsTheSideOfItsArc) {
  Canvas c(32, 32);
  SelectObject(c.dc, GetStockObject(GRAY_BRUSH));
  // From the radial through the right to the one through the left,
  // counter-clockwise: the upper half.
  EXPECT_TRUE(Chord(c.dc, 0, 0, 31, 31, 31, 15, 0, 15));
  EXPECT_EQ(c.at(15, 5), kGrey);
  EXPECT_FALSE(c.ink(15, 25));
  EXPECT_TRUE(c.ink(15, 0));
  EXPECT_EQ(c.ink_box().top, 0);
  EXPECT_LE(c.ink_box().bottom, 17);
  // The other way round: the lower half.
  c.clear(kWhite);
  Chord(c.dc, 0, 0, 31, 31, 0, 15, 31, 15);
  EXPECT_EQ(c.at(15, 25), kGrey);
  EXPECT_FALSE(c.ink(15, 5));
}

TEST_F(GdiShapes, HatchPatternRepeatsEveryEightPixels) {
  Canvas c(32, 32);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, CreateHatchBrush(HS_CROSS, kBlack));
  SetBkMode(c.dc, TRANSPARENT);
  Rectangle(c.dc, 0, 0, 33, 33);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) EXPECT_EQ(c.at(x, y), c.at(x + 8, y + 8)) << x << "," << y;
  EXPECT_EQ(c.count_ink(0, 0, 8, 8), 15);  // one row and one column per cell

  // Opaque mode paints the background of the hatch in the background colour.
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, RGB(0, 0, 255));
  SelectObject(c.dc, CreateHatchBrush(HS_FDIAGONAL, RGB(255, 0, 0)));
  c.clear(kWhite);
  Rectangle(c.dc, 0, 0, 17, 17);
  int red = 0, blue = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      red += c.at(x, y) == RGB(255, 0, 0);
      blue += c.at(x, y) == RGB(0, 0, 255);
    }
  EXPECT_EQ(red, 32);  // a diagonal in each 8 x 8 cell
  EXPECT_EQ(blue, 256 - 32);

  // The brush origin shifts the pattern.
  const COLORREF at_origin = c.at(0, 0);
  SetBrushOrgEx(c.dc, 3, 0, nullptr);
  c.clear(kWhite);
  Rectangle(c.dc, 0, 0, 17, 17);
  EXPECT_EQ(c.at(3, 0), at_origin);
  EXPECT_NE(c.at(0, 0), at_origin);
}

TEST_F(GdiShapes, SinglePixels) {
  Canvas c(4, 4);
  EXPECT_EQ(SetPixel(c.dc, 1, 2, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc, 1, 2), RGB(1, 2, 3));
  EXPECT_EQ(SetPixel(c.dc, 4, 0, kBlack), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc, -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc, 0, 4), CLR_INVALID);
  EXPECT_TRUE(SetPixelV(c.dc, 3, 3, PALETTERGB(9, 8, 7)));
  EXPECT_EQ(GetPixel(c.dc, 3, 3), RGB(9, 8, 7));
}
