#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_gdi_internal.h"
#include "support/test_support.h"
#include "win_gdi_testing.h"

using namespace win;
using gditest::Canvas;
using gditest::kBlack;
using gditest::kWhite;

class GdiText : public gditest::GdiTest {};

namespace {

HFONT font(int height, const char* face, int weight = FW_NORMAL, int escapement = 0) {
  return CreateFontA(height, 0, escapement, escapement, weight, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                     face);
}

SIZE extent(HDC dc, const char* s) {
  SIZE sz{};
  GetTextExtentPoint32A(dc, s, static_cast<int>(std::strlen(s)), &sz);
  return sz;
}

}  // namespace

TEST_F(GdiText, HeightsAndExtentsFollowTheFont) {
  Canvas c(10, 10);
  LONG last_cx = 0, last_cy = 0;
  for (int h : {-10, -16, -24, -40}) {
    SelectObject(c.dc, font(h, "Arial"));
    const SIZE sz = extent(c.dc, "Hello, world");
    EXPECT_GT(sz.cx, last_cx) << h;
    EXPECT_GT(sz.cy, last_cy) << h;
    last_cx = sz.cx;
    last_cy = sz.cy;
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(c.dc, &tm));
    // A negative height is the character height: the cell less its leading.
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -h);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(sz.cy, tm.tmHeight);
  }
  // A positive height is the cell height.
  SelectObject(c.dc, font(20, "Arial"));
  TEXTMETRICA tm;
  GetTextMetricsA(c.dc, &tm);
  EXPECT_EQ(tm.tmHeight, 20);
  // 12 points at 96 pixels per inch.
  EXPECT_EQ(MulDiv(12, GetDeviceCaps(c.dc, LOGPIXELSY), 72), 16);

  // Fixed faces have one advance for every character; others do not.
  SelectObject(c.dc, font(-14, "Courier New"));
  EXPECT_EQ(extent(c.dc, "iiii").cx, extent(c.dc, "WWWW").cx);
  GetTextMetricsA(c.dc, &tm);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
  SelectObject(c.dc, font(-14, "Times New Roman"));
  EXPECT_LT(extent(c.dc, "iiii").cx, extent(c.dc, "WWWW").cx);
  GetTextMetricsA(c.dc, &tm);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, TMPF_FIXED_PITCH);
  // Bold is wider than regular.
  SelectObject(c.dc, font(-14, "Arial", FW_BOLD));
  const LONG bold = extent(c.dc, "Hello world").cx;
  SelectObject(c.dc, font(-14, "Arial"));
  EXPECT_GT(bold, extent(c.dc, "Hello world").cx);

  // Partial fits.
  int fit = 0, dx[5];
  SIZE all;
  GetTextExtentExPointA(c.dc, "abcde", 5, extent(c.dc, "abc").cx, &fit, dx, &all);
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(dx[4], all.cx);
  EXPECT_EQ(dx[2], extent(c.dc, "abc").cx);
}

TEST_F(GdiText, TextLandsInsideItsCellByTheAlignment) {
  Canvas c(200, 100);
  SelectObject(c.dc, font(-20, "Arial"));
  SetBkMode(c.dc, TRANSPARENT);
  const SIZE sz = extent(c.dc, "Hxg");
  TEXTMETRICA tm;
  GetTextMetricsA(c.dc, &tm);
  TextOutA(c.dc, 50, 30, "Hxg", 3);
  RECT ink = c.ink_box();
  EXPECT_GE(ink.left, 50);
  EXPECT_LE(ink.right, 50 + sz.cx);
  EXPECT_GE(ink.top, 30);
  EXPECT_LE(ink.bottom, 30 + sz.cy);
  EXPECT_GT(ink.bottom, 30 + tm.tmAscent);  // the descender of g

  // Right and bottom alignment put the text left of and above the point.
  c.clear(kWhite);
  SetTextAlign(c.dc, TA_RIGHT | TA_BOTTOM);
  TextOutA(c.dc, 150, 80, "Hxg", 3);
  ink = c.ink_box();
  EXPECT_LE(ink.right, 150);
  EXPECT_GE(ink.left, 150 - sz.cx);
  EXPECT_LE(ink.bottom, 80);
  // Baseline: the H sits on the line above y.
  c.clear(kWhite);
  SetTextAlign(c.dc, TA_CENTER | TA_BASELINE);
  TextOutA(c.dc, 100, 60, "H", 1);
  ink = c.ink_box();
  EXPECT_EQ(ink.bottom, 60);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 2);

  // Opaque mode fills the whole cell with the background colour.
  c.clear(kWhite);
  SetTextAlign(c.dc, TA_LEFT | TA_TOP);
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, RGB(0, 0, 255));
  SetTextColor(c.dc, RGB(255, 0, 0));
  TextOutA(c.dc, 10, 10, "Hxg", 3);
  EXPECT_EQ(c.at(10, 10), RGB(0, 0, 255));
  EXPECT_EQ(c.at(10 + sz.cx - 1, 10 + sz.cy - 1), RGB(0, 0, 255));
  EXPECT_EQ(c.at(10 + sz.cx, 10), kWhite);
  EXPECT_EQ(c.count_ink(), sz.cx * sz.cy);

  // The current position: texts follow one another.
  c.clear(kWhite);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextAlign(c.dc, TA_UPDATECP);
  MoveToEx(c.dc, 5, 5, nullptr);
  TextOutA(c.dc, 0, 0, "Hxg", 3);
  TextOutA(c.dc, 0, 0, "Hxg", 3);
  POINT cp;
  GetCurrentPositionEx(c.dc, &cp);
  EXPECT_EQ(cp.x, 5 + 2 * sz.cx);
  EXPECT_EQ(cp.y, 5);
  EXPECT_GE(c.ink_box().left, 5);
  EXPECT_GT(c.ink_box().right, 5 + sz.cx);

  // Clipping to a rectangle.
  c.clear(kWhite);
  SetTextAlign(c.dc, TA_LEFT | TA_TOP);
  const RECT clip{10, 10, 20, 20};
  ExtTextOutA(c.dc, 10, 10, ETO_CLIPPED, &clip, "WWWW", 4, nullptr);
  ink = c.ink_box();
  EXPECT_GT(c.count_ink(), 0);
  EXPECT_LE(ink.right, 20);
  EXPECT_LE(ink.bottom, 20);
}

TEST_F(GdiText, RotatedTextRunsUpwardFromThePoint) {
  Canvas c(100, 200);
  SelectObject(c.dc, font(-20, "Arial", FW_NORMAL, 900));
  SetBkMode(c.dc, TRANSPARENT);
  const SIZE sz = extent(c.dc, "Rotated");
  TextOutA(c.dc, 40, 150, "Rotated", 7);
  const RECT ink = c.ink_box();
  // Along the text: upward from y = 150; across: to the right of x = 40.
  EXPECT_LE(ink.bottom, 151);
  EXPECT_GE(ink.top, 150 - sz.cx - 1);
  EXPECT_GT(ink.bottom - ink.top, sz.cx * 3 / 4);
  EXPECT_GE(ink.left, 39);
  EXPECT_LE(ink.right, 40 + sz.cy + 1);
  EXPECT_LT(ink.right - ink.left, sz.cy + 2);
}

TEST_F(GdiText, Windows1252CharactersHaveTheirGlyphs) {
  Canvas c(100, 40);
  SelectObject(c.dc, font(-20, "Arial"));
  SetBkMode(c.dc, TRANSPARENT);
  // The euro sign (0x80) and a-umlaut (0xE4) are drawn as such: not empty,
  // and not the same as each other or as the plain letter.
  TextOutA(c.dc, 5, 5, "\x80", 1);
  const std::string euro = c.picture(0, 0, 40, 40);
  EXPECT_GT(c.count_ink(), 10);
  c.clear(kWhite);
  TextOutA(c.dc, 5, 5, "\xE4", 1);
  const std::string umlaut = c.picture(0, 0, 40, 40);
  c.clear(kWhite);
  TextOutA(c.dc, 5, 5, "a", 1);
  const std::string plain = c.picture(0, 0, 40, 40);
  EXPECT_NE(euro, umlaut);
  EXPECT_NE(umlaut, plain);
  EXPECT_GT(c.count_ink(0, 0, 100, 40), 10);
  // The umlaut's dots sit above the plain letter's top.
  c.clear(kWhite);
  TextOutA(c.dc, 5, 5, "\xE4", 1);
  const LONG umlaut_top = c.ink_box().top;
  c.clear(kWhite);
  TextOutA(c.dc, 5, 5, "a", 1);
  EXPECT_LT(umlaut_top, c.ink_box().top);
}

TEST_F(GdiText, UnderlineAndStrikeOutAddLines) {
  Canvas c(120, 40);
  SetBkMode(c.dc, TRANSPARENT);
  SelectObject(c.dc, font(-20, "Arial"));
  TextOutA(c.dc, 5, 5, "ooo", 3);
  const int plain = c.count_ink();
  const RECT plain_box = c.ink_box();
  c.clear(kWhite);
  SelectObject(c.dc, CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 1, 0, 0, 0, 0, 0, 0, "Arial"));
  TextOutA(c.dc, 5, 5, "ooo", 3);
  EXPECT_GT(c.count_ink(), plain);
  EXPECT_GT(c.ink_box().bottom, plain_box.bottom);  // below the round letters
  c.clear(kWhite);
  SelectObject(c.dc, CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 1, 0, 0, 0, 0, 0, "Arial"));
  TextOutA(c.dc, 5, 5, "ooo", 3);
  EXPECT_GT(c.count_ink(), plain);
  EXPECT_EQ(c.ink_box().bottom, plain_box.bottom);
}

TEST_F(GdiText, DrawTextBreaksAlignsAndMeasures) {
  Canvas c(200, 120);
  SelectObject(c.dc, font(-14, "Arial"));
  TEXTMETRICA tm;
  GetTextMetricsA(c.dc, &tm);
  const char* text = "the quick brown fox jumps over the lazy dog";
  RECT r{0, 0, 80, 0};
  const int h = DrawTextA(c.dc, text, -1, &r, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GT(h, 2 * tm.tmHeight);
  EXPECT_EQ(h % tm.tmHeight, 0);
  EXPECT_EQ(r.bottom, h);
  EXPECT_EQ(c.count_ink(), 0);  // measuring draws nothing

  // Drawn: nothing beyond the width, every line within the rectangle.
  RECT box{10, 10, 90, 110};
  SetBkMode(c.dc, TRANSPARENT);
  DrawTextA(c.dc, text, -1, &box, DT_WORDBREAK);
  RECT ink = c.ink_box();
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 90);
  EXPECT_LE(ink.bottom, 10 + h);

  // Single line, centred both ways.
  c.clear(kWhite);
  RECT one{0, 0, 200, 120};
  DrawTextA(c.dc, "Mid", 3, &one, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  ink = c.ink_box();
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 3);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 60, tm.tmHeight / 2);

  // The prefix character is not shown; a doubled one shows once.
  RECT a{0, 0, 0, 0}, b{0, 0, 0, 0};
  DrawTextA(c.dc, "&File", -1, &a, DT_CALCRECT | DT_SINGLELINE);
  DrawTextA(c.dc, "File", -1, &b, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(a.right, b.right);
  DrawTextA(c.dc, "A&&B", -1, &a, DT_CALCRECT | DT_SINGLELINE);
  DrawTextA(c.dc, "A&B", -1, &b, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(a.right, b.right);
}

TEST_F(GdiText, PictureWrittenAsPng) {
  Canvas c(240, 60);
  SetBkMode(c.dc, TRANSPARENT);
  SelectObject(c.dc, font(-18, "Times New Roman"));
  TextOutA(c.dc, 4, 4, "Ostrel \x80 \xE4\xF6\xFC", 12);
  SelectObject(c.dc, CreatePen(PS_SOLID, 2, RGB(200, 0, 0)));
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Ellipse(c.dc, 150, 5, 230, 55);
  testsupport::TempDir dir;
  const std::string path = dir.file("text.png");
  ASSERT_EQ(cairo_surface_write_to_png(plat::bitmap_surface(c.bitmap), path.c_str()),
            CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(testsupport::read_file(path).substr(1, 3), "PNG");
}

// Upright text is laid down where its glyphs have ink, so nothing of a
// glyph that reaches beyond its cell (an italic f, a descender, an accent
// over a capital) may be lost: every character of several faces, slanted
// and bold, in runs of 16, shows the same pixels as the glyphs drawn by
// Cairo alone.
TEST_F(GdiText, GlyphsReachingOutOfTheirCellAreDrawnWhole) {
  constexpr int kWide = 900, kHigh = 140, kAt = 50;
  Canvas c(kWide, kHigh);
  detail::Dc& d = *detail::dc(c.dc);
  for (const char* face : {"Arial", "Times New Roman", "Courier New"})
    for (const int height : {-9, -20, -37})
      for (const int style : {0, 1, 2}) {
        const HFONT f = CreateFontA(height, 0, 0, 0, style == 2 ? FW_BOLD : FW_NORMAL, style > 0, 0,
                                    0, ANSI_CHARSET, 0, 0, 0, 0, face);
        SelectObject(c.dc, f);
        const auto fd = detail::font_data(*detail::current_font(d));
        for (int first = 0x20; first <= 0xF0; first += 16) {
          std::string run;
          std::vector<cairo_glyph_t> glyphs;
          double pen = kAt;
          for (int ch = first; ch < first + 16; ++ch) {
            run += static_cast<char>(ch);
            glyphs.push_back({fd->glyph[static_cast<unsigned>(ch)], pen, double(kAt + fd->ascent)});
            pen += fd->advance[static_cast<unsigned>(ch)];
          }
          cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, kWide, kHigh);
          cairo_t* cr = cairo_create(mask);
          cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
          cairo_set_scaled_font(cr, fd->scaled);
          cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
          cairo_destroy(cr);
          cairo_surface_flush(mask);
          const unsigned char* a = cairo_image_surface_get_data(mask);
          const int stride = cairo_image_surface_get_stride(mask);
          for (const int mode : {TRANSPARENT, OPAQUE}) {
            c.clear(kWhite);
            SetBkMode(c.dc, mode);
            SetBkColor(c.dc, RGB(200, 200, 255));
            TextOutA(c.dc, kAt, kAt, run.data(), 16);
            detail::PixelView v;
            ASSERT_TRUE(detail::begin_pixels(d, v));
            int wrong = 0;
            for (int y = 0; y < kHigh; ++y)
              for (int x = 0; x < kWide; ++x)
                wrong += (a[y * stride + x] >= 128) != ((v.at(x, y) & 0xFFFFFF) == 0);
            detail::end_pixels(d, false);
            EXPECT_EQ(wrong, 0) << face << " " << height << " style " << style << " from " << first
                                << " mode " << mode;
          }
          cairo_surface_destroy(mask);
        }
        SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(f);
      }
}
