#include <gtest/gtest.h>

#include <cairo.h>

#include "platform/surface_seam.h"
#include "platform/win_gdi.h"
#include "win_gdi_testing.h"

using namespace win;
using gditest::Canvas;
using gditest::kBlack;
using gditest::kWhite;

class GdiObjects : public gditest::GdiTest {};

TEST_F(GdiObjects, SelectionReturnsThePreviousObjectAndDeletionWaitsForIt) {
  Canvas c(8, 8);
  const HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  const HGDIOBJ old = SelectObject(c.dc, red);
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), reinterpret_cast<HGDIOBJ>(red));
  EXPECT_EQ(GetObjectType(red), OBJ_PEN);

  // Deleting the selected pen leaves it drawing until it is deselected.
  EXPECT_TRUE(DeleteObject(red));
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 4, 0);
  EXPECT_EQ(c.at(0, 0), RGB(255, 0, 0));
  SelectObject(c.dc, old);
  EXPECT_EQ(GetObjectType(red), 0u);
  EXPECT_FALSE(DeleteObject(red));
  EXPECT_EQ(SelectObject(c.dc, red), nullptr);

  // Stock objects survive deletion.
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST_F(GdiObjects, ABitmapIsHeldByOneContextAtATime) {
  const HDC a = CreateCompatibleDC(nullptr);
  const HDC b = CreateCompatibleDC(nullptr);
  const HBITMAP bm = CreateCompatibleBitmap(a, 10, 6);
  EXPECT_NE(SelectObject(a, bm), nullptr);
  EXPECT_EQ(SelectObject(b, bm), nullptr);  // already in use
  RECT clip;
  GetClipBox(a, &clip);
  EXPECT_EQ(clip.right, 10);
  EXPECT_EQ(clip.bottom, 6);
  DeleteDC(a);
  EXPECT_NE(SelectObject(b, bm), nullptr);  // free again
  BITMAP info;
  ASSERT_EQ(GetObjectA(bm, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 10);
  EXPECT_EQ(info.bmHeight, 6);
  EXPECT_EQ(info.bmBitsPixel, 32);
  // A window context cannot hold a bitmap.
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
  const HDC w = seam::make_surface_dc(s, 0, 0, RECT{0, 0, 4, 4}, nullptr);
  EXPECT_EQ(SelectObject(w, CreateCompatibleBitmap(w, 2, 2)), nullptr);
  seam::free_surface_dc(w);
  cairo_surface_destroy(s);
  DeleteDC(b);
  DeleteObject(bm);
}

TEST_F(GdiObjects, ObjectDescriptions) {
  LOGPEN lp;
  EXPECT_EQ(GetObjectA(CreatePen(PS_DASH, 1, RGB(1, 2, 3)), sizeof lp, &lp),
            static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  LOGBRUSH lb{BS_SOLID, RGB(4, 5, 6), 0};
  const HPEN geo =
      ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 3, &lb, 0, nullptr);
  EXTLOGPEN ep;
  EXPECT_GT(GetObjectA(geo, sizeof ep, &ep), 0);
  EXPECT_EQ(ep.elpPenStyle, static_cast<DWORD>(PS_GEOMETRIC | PS_ENDCAP_SQUARE | PS_JOIN_MITER));
  EXPECT_EQ(ep.elpWidth, 3u);
  EXPECT_EQ(GetObjectType(geo), OBJ_EXTPEN);
  // A cosmetic pen is one pixel wide.
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(CreateHatchBrush(7, 0), nullptr);

  LOGFONTA lf;
  const HFONT f = CreateFontA(-16, 0, 450, 450, FW_BOLD, 1, 0, 1, 0, 0, 0, 0, 0, "Arial");
  EXPECT_EQ(GetObjectA(f, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfEscapement, 450);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(GetObjectA(f, 0, nullptr), static_cast<int>(sizeof lf));
  // The stock fonts describe themselves.
  EXPECT_EQ(GetObjectA(GetStockObject(SYSTEM_FONT), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
}

TEST_F(GdiObjects, DeviceCapabilitiesAndColours) {
  Canvas c(2, 2);
  EXPECT_EQ(GetDeviceCaps(c.dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(c.dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(c.dc, HORZRES), 1280);
  EXPECT_EQ(GetDeviceCaps(c.dc, VERTRES), 1024);
  EXPECT_EQ(GetDeviceCaps(c.dc, TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(GetDeviceCaps(c.dc, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(c.dc, NUMCOLORS), -1);

  EXPECT_EQ(GetSysColor(COLOR_WINDOW), kWhite);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), kBlack);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
  LOGBRUSH lb;
  GetObjectA(GetSysColorBrush(COLOR_BTNSHADOW), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNSHADOW));
  EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNSHADOW)));
  EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_BTNSHADOW)), OBJ_BRUSH);

  // Palettes: kept as records, their index colours resolved through them.
  struct {
    LOGPALETTE head;
    PALETTEENTRY more[2];
  } lp{};
  lp.head.palVersion = 0x300;
  lp.head.palNumEntries = 3;
  PALETTEENTRY* e = lp.head.palPalEntry;
  e[0] = {10, 20, 30, 0};
  e[1] = {200, 0, 0, 0};
  e[2] = {0, 0, 200, 0};
  const HPALETTE pal = CreatePalette(&lp.head);
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(190, 10, 0)), 1u);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SelectPalette(c.dc, pal, FALSE)),
            GetStockObject(DEFAULT_PALETTE));
  EXPECT_NE(RealizePalette(c.dc), GDI_ERROR);
  SetPixel(c.dc, 0, 0, PALETTEINDEX(2));
  EXPECT_EQ(c.at(0, 0), RGB(0, 0, 200));
  PALETTEENTRY sys[256];
  EXPECT_EQ(GetSystemPaletteEntries(c.dc, 0, 256, sys), 256u);
  EXPECT_EQ(sys[255].peRed, 255);
  EXPECT_EQ(sys[0].peRed, 0);
}

TEST_F(GdiObjects, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(12, 96, 72), 16);
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, -1, 2), -3);
  EXPECT_EQ(MulDiv(7, 3, -2), -11);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 2, 1), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);
}

TEST_F(GdiObjects, ContextsOverOtherSurfacesDrawTheSame) {
  // An image surface of a 300-dpi device: pixel-exact like a memory context.
  plat::DeviceInfo info;
  info.technology = DT_RASPRINTER;
  info.width = 50;
  info.height = 40;
  info.dpi_x = info.dpi_y = 300;
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 50, 40);
  HDC dc = plat::make_device_dc(img, 1.0, info);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 300);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
  const HDC mem = CreateCompatibleDC(dc);
  EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSX), 300);  // compatible with the printer
  DeleteDC(mem);
  MoveToEx(dc, 0, 5, nullptr);
  LineTo(dc, 10, 5);
  EXPECT_EQ(GetPixel(dc, 9, 5), kBlack);
  EXPECT_EQ(GetPixel(dc, 10, 5), 0u);
  DeleteDC(dc);
  cairo_surface_destroy(img);

  // A vector surface (as a PDF page would be) at two surface units per
  // pixel: the figures and text arrive, scaled.
  cairo_surface_t* rec = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
  dc = plat::make_device_dc(rec, 2.0, info);
  const RECT r{5, 5, 15, 10};
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(dc, CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 20, 20, "Page", 4);
  EXPECT_EQ(GetPixel(dc, 6, 6), CLR_INVALID);  // nothing to read back
  DeleteDC(dc);
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 100, 80);
  cairo_t* cr = cairo_create(out);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_surface(cr, rec, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(out);
  auto px = [&](int x, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(out) +
                                            y * cairo_image_surface_get_stride(out))[x] &
           0xFFFFFF;
  };
  EXPECT_EQ(px(12, 12), 0u);  // inside the rectangle, doubled
  EXPECT_EQ(px(29, 12), 0u);
  EXPECT_EQ(px(31, 12), 0xFFFFFFu);  // beyond its right edge
  int ink = 0;
  for (int y = 36; y < 80; ++y)
    for (int x = 40; x < 100; ++x) ink += px(x, y) != 0xFFFFFF;
  EXPECT_GT(ink, 20);  // the text
  cairo_surface_destroy(out);
  cairo_surface_destroy(rec);
}
