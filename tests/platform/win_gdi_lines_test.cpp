#include <gtest/gtest.h>

#include <cstddef>

#include "platform/gdi_segments.h"
#include "platform/win_gdi.h"
#include "win_gdi_testing.h"

using namespace win;
using gditest::Canvas;
using gditest::kBlack;
using gditest::kWhite;

class GdiLines : public gditest::GdiTest {};

TEST_F(GdiLines, LineLeavesOutItsEndPointAndMovesThePosition) {
  Canvas c(20, 20);
  MoveToEx(c.dc, 2, 5, nullptr);
  EXPECT_TRUE(LineTo(c.dc, 8, 5));
  EXPECT_EQ(c.picture(0, 5, 10, 6), "..######..\n");
  POINT cp;
  GetCurrentPositionEx(c.dc, &cp);
  EXPECT_EQ(cp.x, 8);
  EXPECT_EQ(cp.y, 5);

  // Diagonal and steep lines: one pixel per step of the longer axis.
  c.clear(kWhite);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 5, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.at(i, i), kBlack) << i;
  EXPECT_EQ(c.at(5, 5), kWhite);
  EXPECT_EQ(c.count_ink(), 5);
  c.clear(kWhite);
  MoveToEx(c.dc, 3, 12, nullptr);
  LineTo(c.dc, 5, 2);  // upward
  EXPECT_EQ(c.count_ink(), 10);
  EXPECT_EQ(c.at(3, 12), kBlack);
  EXPECT_EQ(c.at(5, 2), kWhite);

  // A zero-length line draws nothing.
  c.clear(kWhite);
  MoveToEx(c.dc, 4, 4, nullptr);
  LineTo(c.dc, 4, 4);
  EXPECT_EQ(c.count_ink(), 0);
}

TEST_F(GdiLines, PolylineJointsAreDrawnOnceAndInvertingTwiceRestores) {
  Canvas c(20, 20);
  const POINT pts[] = {{1, 1}, {8, 1}, {8, 8}, {1, 8}};
  SetROP2(c.dc, R2_NOT);
  const std::string before = c.snapshot();
  EXPECT_TRUE(Polyline(c.dc, pts, 4));
  EXPECT_EQ(c.at(8, 1), kBlack);  // a joint inverted once, not twice
  EXPECT_EQ(c.at(8, 8), kBlack);
  EXPECT_EQ(c.at(1, 8), kWhite);  // the last point is left out
  EXPECT_EQ(c.count_ink(), 7 + 7 + 7);
  Polyline(c.dc, pts, 4);
  EXPECT_EQ(c.snapshot(), before);

  // The same with XOR and a coloured pen on a coloured ground.
  c.clear(RGB(10, 200, 30));
  const std::string ground = c.snapshot();
  const HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  SelectObject(c.dc, red);
  SetROP2(c.dc, R2_XORPEN);
  Polyline(c.dc, pts, 4);
  EXPECT_EQ(c.at(8, 1), RGB(10 ^ 255, 200, 30));
  Polyline(c.dc, pts, 4);
  EXPECT_EQ(c.snapshot(), ground);

  // PolylineTo starts at the current position and ends there.
  EXPECT_FALSE(Polyline(c.dc, pts, 1));
  SetROP2(c.dc, R2_COPYPEN);
  MoveToEx(c.dc, 0, 15, nullptr);
  const POINT more[] = {{5, 15}, {5, 18}};
  PolylineTo(c.dc, more, 2);
  POINT cp;
  GetCurrentPositionEx(c.dc, &cp);
  EXPECT_EQ(cp.x, 5);
  EXPECT_EQ(cp.y, 18);
  EXPECT_EQ(c.at(0, 15), RGB(255, 0, 0));
  EXPECT_EQ(c.at(5, 17), RGB(255, 0, 0));
  EXPECT_EQ(c.at(5, 18), RGB(10, 200, 30));
}

TEST_F(GdiLines, MixModesCombinePenAndDestination) {
  Canvas c(4, 1);
  const COLORREF ground = RGB(0x0F, 0xF0, 0x55);
  const COLORREF pen = RGB(0x33, 0x33, 0xAA);
  const struct {
    int mode;
    COLORREF want;
  } cases[] = {
      {R2_BLACK, 0},
      {R2_WHITE, 0xFFFFFF},
      {R2_NOP, ground},
      {R2_NOT, ground ^ 0xFFFFFF},
      {R2_COPYPEN, pen},
      {R2_NOTCOPYPEN, pen ^ 0xFFFFFF},
      {R2_XORPEN, pen ^ ground},
      {R2_NOTXORPEN, (pen ^ ground) ^ 0xFFFFFF},
      {R2_MASKPEN, pen & ground},
      {R2_MERGEPEN, pen | ground},
      {R2_MASKPENNOT, pen & (ground ^ 0xFFFFFF)},
      {R2_MERGENOTPEN, (pen ^ 0xFFFFFF) | ground},
  };
  SelectObject(c.dc, CreatePen(PS_SOLID, 1, pen));
  for (const auto& k : cases) {
    c.clear(ground);
    SetROP2(c.dc, k.mode);
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 2, 0);
    EXPECT_EQ(c.at(0, 0), k.want) << "mode " << k.mode;
    EXPECT_EQ(c.at(2, 0), ground);
  }
}

TEST_F(GdiLines, StyledPensFollowTheirPatternAndFillGapsWhenOpaque) {
  Canvas c(40, 4);
  const HPEN dot = CreatePen(PS_DOT, 1, kBlack);
  SelectObject(c.dc, dot);
  SetBkColor(c.dc, RGB(255, 0, 0));
  SetBkMode(c.dc, TRANSPARENT);
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 18, 1);
  EXPECT_EQ(c.picture(0, 1, 19, 2), "###...###...###....\n");
  SetBkMode(c.dc, OPAQUE);
  MoveToEx(c.dc, 0, 2, nullptr);
  LineTo(c.dc, 12, 2);
  EXPECT_EQ(c.at(3, 2), RGB(255, 0, 0));
  EXPECT_EQ(c.at(6, 2), kBlack);

  // A dash is longer than a dot; a wide dashed pen is drawn solid.
  SelectObject(c.dc, CreatePen(PS_DASH, 1, kBlack));
  c.clear(kWhite);
  SetBkMode(c.dc, TRANSPARENT);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 40, 0);
  EXPECT_EQ(c.count_ink(0, 0, 40, 1), 18 + 16);
  SelectObject(c.dc, CreatePen(PS_DASH, 3, kBlack));
  c.clear(kWhite);
  MoveToEx(c.dc, 2, 1, nullptr);
  LineTo(c.dc, 37, 1);
  for (int x = 4; x < 36; ++x) EXPECT_TRUE(c.ink(x, 1)) << x;

  // The null pen draws nothing.
  c.clear(kWhite);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 30, 1);
  EXPECT_EQ(c.count_ink(), 0);
}

TEST_F(GdiLines, WidePensAreCentredAndCapped) {
  Canvas c(40, 20);
  SelectObject(c.dc, CreatePen(PS_SOLID, 5, kBlack));
  MoveToEx(c.dc, 10, 10, nullptr);
  LineTo(c.dc, 30, 10);
  const RECT box = c.ink_box();
  EXPECT_EQ(box.top, 8);
  EXPECT_EQ(box.bottom, 13);
  EXPECT_LE(box.left, 9);  // round caps reach past both ends
  EXPECT_GE(box.right, 32);

  // Flat caps stop at the end point (left out like a thin line's); square
  // caps go half the width past both ends.
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  c.clear(kWhite);
  SelectObject(c.dc, ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT, 4, &lb, 0, nullptr));
  MoveToEx(c.dc, 10, 10, nullptr);
  LineTo(c.dc, 30, 10);
  EXPECT_EQ(c.ink_box().left, 10);
  EXPECT_EQ(c.ink_box().right, 30);
  c.clear(kWhite);
  SelectObject(c.dc, ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_SQUARE, 4, &lb, 0, nullptr));
  MoveToEx(c.dc, 10, 10, nullptr);
  LineTo(c.dc, 30, 10);
  EXPECT_EQ(c.ink_box().left, 8);
  EXPECT_EQ(c.ink_box().right, 32);

  // A wide line in inverting mode drawn twice restores.
  c.clear(kWhite);
  const std::string before = c.snapshot();
  SetROP2(c.dc, R2_NOT);
  const POINT pts[] = {{5, 5}, {30, 15}, {35, 2}};
  Polyline(c.dc, pts, 3);
  EXPECT_GT(c.count_ink(), 50);
  Polyline(c.dc, pts, 3);
  EXPECT_EQ(c.snapshot(), before);
}

// The wide stroke's edges: the target's border, repeated points, a path of
// one point, a pen wider than the target and coordinates near the ends of
// their range, and the corner each join makes.
TEST_F(GdiLines, WideStrokesClipJoinAndPassOverRepeatedPoints) {
  Canvas c(20, 10);
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  const auto pen = [&](DWORD style, DWORD width) {
    DeleteObject(SelectObject(c.dc, ExtCreatePen(PS_GEOMETRIC | style, width, &lb, 0, nullptr)));
    c.clear(kWhite);
  };
  // Rows -1 to 2 of a line running out past both sides: three of them seen.
  pen(PS_ENDCAP_FLAT, 4);
  const POINT across[] = {{-50, 1}, {100, 1}};
  Polyline(c.dc, across, 2);
  EXPECT_EQ(c.count_ink(), 3 * 20);
  EXPECT_EQ(c.count_ink(0, 0, 20, 3), 3 * 20);

  // A repeated point neither breaks the line nor turns its corner.
  pen(PS_ENDCAP_FLAT | PS_JOIN_MITER, 4);
  const POINT corner[] = {{3, 8}, {10, 8}, {10, 1}};
  Polyline(c.dc, corner, 3);
  const std::string once = c.snapshot();
  c.clear(kWhite);
  const POINT repeated[] = {{3, 8}, {3, 8}, {10, 8}, {10, 8}, {10, 8}, {10, 1}, {10, 1}};
  Polyline(c.dc, repeated, 7);
  EXPECT_EQ(c.snapshot(), once);
  // The miter fills the corner's outer pixel, the bevel cuts it off, the
  // round join reaches it.
  EXPECT_TRUE(c.ink(11, 9));
  pen(PS_ENDCAP_FLAT | PS_JOIN_BEVEL, 4);
  Polyline(c.dc, corner, 3);
  EXPECT_FALSE(c.ink(11, 9));
  EXPECT_TRUE(c.ink(10, 9));
  pen(PS_ENDCAP_FLAT | PS_JOIN_ROUND, 4);
  Polyline(c.dc, corner, 3);
  EXPECT_TRUE(c.ink(11, 9));

  // A path of one point: a dot with round ends, nothing with square ends.
  pen(PS_ENDCAP_ROUND, 3);
  const POINT dot[] = {{5, 5}, {5, 5}};
  Polyline(c.dc, dot, 2);
  EXPECT_EQ(c.picture(3, 3, 8, 8), ".....\n.###.\n.###.\n.###.\n.....\n");
  pen(PS_ENDCAP_SQUARE, 3);
  Polyline(c.dc, dot, 2);
  EXPECT_EQ(c.count_ink(), 0);

  // A pen wider than the target, and one as wide as pens go on a line
  // between the ends of the coordinate range: all of it inked.
  pen(0, 60);
  Polyline(c.dc, dot, 2);
  EXPECT_EQ(c.count_ink(), 20 * 10);
  pen(PS_JOIN_MITER, 0x7FFF);
  const POINT far[] = {{-2147483647, -2147483647}, {2147483647, 2147483647}, {-2147483647, 5}};
  Polyline(c.dc, far, 3);
  EXPECT_EQ(c.count_ink(), 20 * 10);
}

TEST_F(GdiLines, BezierStartsAtTheFirstPointAndStaysInItsHull) {
  Canvas c(40, 40);
  const POINT pts[] = {{2, 30}, {10, 2}, {30, 2}, {37, 30}};
  EXPECT_TRUE(PolyBezier(c.dc, pts, 4));
  EXPECT_EQ(c.at(2, 30), kBlack);
  EXPECT_EQ(c.at(37, 30), kWhite);  // the end point is left out
  const RECT box = c.ink_box();
  EXPECT_GE(box.top, 2);
  EXPECT_LE(box.top, 12);  // the curve bends towards the control points
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.bottom, 31);
  EXPECT_FALSE(PolyBezier(c.dc, pts, 3));  // not 1 + 3k points

  // PolyBezierTo continues from the current position.
  MoveToEx(c.dc, 0, 0, nullptr);
  EXPECT_TRUE(PolyBezierTo(c.dc, pts + 1, 3));
  POINT cp;
  GetCurrentPositionEx(c.dc, &cp);
  EXPECT_EQ(cp.x, 37);
  EXPECT_EQ(cp.y, 30);
}

TEST_F(GdiLines, FiguresFarBeyondTheSurfaceCostNoMoreThanVisibleOnes) {
  // The plot layer may hand over device coordinates of about 2^31.
  Canvas c(30, 20);
  MoveToEx(c.dc, -5, 5, nullptr);
  LineTo(c.dc, 2126008832, 5);
  EXPECT_EQ(c.count_ink(0, 5, 30, 6), 30);
  MoveToEx(c.dc, 0, -2000000000, nullptr);
  LineTo(c.dc, 20, 2000000000);  // steep: crosses the surface at x = 10
  EXPECT_TRUE(c.ink(10, 10));
  c.clear(kWhite);
  SelectObject(c.dc, GetStockObject(GRAY_BRUSH));
  Rectangle(c.dc, -2000000000, 2, 2000000000, 2000000000);
  EXPECT_EQ(c.at(3, 2), kBlack);
  EXPECT_EQ(c.at(3, 10), RGB(128, 128, 128));
  Ellipse(c.dc, -2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(c.at(15, 10), RGB(128, 128, 128));
  const POINT tri[] = {{-2000000000, 0}, {2000000000, 0}, {0, 2000000000}};
  Polygon(c.dc, tri, 3);
  Chord(c.dc, -2000000000, -2000000000, 2000000000, 2000000000, 1, 0, -1, 0);
}

TEST_F(GdiLines, SegmentsDrawnAtOnceAsOneByOne) {
  // Lines along rows and columns (one past the edge, one of no length),
  // then slanted ones among them, with a solid and a dotted pen.
  const POINT ends[] = {{2, 3}, {17, 3}, {5, 1},  {5, 30}, {-4, 9}, {9, 9},
                        {7, 7}, {7, 7},  {1, 18}, {12, 2}, {3, 14}, {9, 19}};
  for (const int style : {PS_SOLID, PS_DOT})
    for (const std::size_t n : {std::size_t{4}, std::size_t{6}}) {
      Canvas one(20, 20), each(20, 20);
      const HPEN pen = CreatePen(style, 1, RGB(200, 20, 40));
      SelectObject(one.dc, pen);
      SelectObject(each.dc, pen);
      MoveToEx(one.dc, 11, 12, nullptr);
      EXPECT_TRUE(plat::draw_segments(one.dc, ends, n));
      for (std::size_t i = 0; i < n; ++i) Polyline(each.dc, ends + 2 * i, 2);
      EXPECT_EQ(one.snapshot(), each.snapshot()) << style << " " << n;
      POINT cp;
      GetCurrentPositionEx(one.dc, &cp);
      EXPECT_EQ(cp.x, 11);  // the position stays
      SelectObject(one.dc, GetStockObject(BLACK_PEN));
      SelectObject(each.dc, GetStockObject(BLACK_PEN));
      DeleteObject(pen);
    }
}
