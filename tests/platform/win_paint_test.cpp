#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>

#include "platform/win_gdi.h"
#include "tests/platform/win_window_recorder.h"
#include "tests/support/test_support.h"

using namespace win;
using namespace wintest;

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);

HBRUSH sys_brush(int colour) {
  return reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(colour + 1));
}

// A pixel of a PNG file written by the window system, as a colour.
COLORREF png_pixel(const std::string& path, int x, int y, int* w = nullptr, int* h = nullptr) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  EXPECT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  if (w) *w = cairo_image_surface_get_width(s);
  if (h) *h = cairo_image_surface_get_height(s);
  const unsigned char* d = cairo_image_surface_get_data(s);
  std::uint32_t v;
  std::memcpy(&v, d + y * cairo_image_surface_get_stride(s) + x * 4, 4);
  cairo_surface_destroy(s);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

class WinPaint : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    red = CreateSolidBrush(kRed);
    blue = CreateSolidBrush(kBlue);
    register_recorder(0, sys_brush(COLOR_WINDOW), "White");
    register_recorder(0, red, "Red");
  }
  void TearDown() override {
    WindowTest::TearDown();
    DeleteObject(red);
    DeleteObject(blue);
  }
  HWND make(const char* cls, DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr) {
    return CreateWindowExA(0, cls, "Pane", style | WS_VISIBLE, x, y, cx, cy, parent, nullptr,
                           nullptr, nullptr);
  }
  HBRUSH red = nullptr;
  HBRUSH blue = nullptr;
};

}  // namespace

TEST_F(WinPaint, BackgroundsAreErasedWithTheClassBrush) {
  HWND p = make("White", WS_POPUP, 0, 0, 200, 150);
  HWND c = make("Red", WS_CHILD, 50, 40, 30, 20, p);
  pump();
  EXPECT_EQ(plat::window_pixel(p, 5, 5), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(plat::window_pixel(p, 55, 45), kRed);  // the child on its parent
  EXPECT_EQ(plat::window_pixel(p, 49, 45), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(plat::window_pixel(c, 0, 0), kRed);
  EXPECT_EQ(plat::window_pixel(c, 29, 19), kRed);
  EXPECT_EQ(plat::window_pixel(c, 30, 0), 0xFFFFFFFFu);  // outside its client area

  // A parent repainted over its child repaints the child after it.
  InvalidateRect(p, nullptr, TRUE);
  pump();
  EXPECT_EQ(plat::window_pixel(p, 55, 45), kRed);
}

TEST_F(WinPaint, PaintingStaysInsideTheChildAndTheInvalidArea) {
  HWND p = make("White", WS_POPUP, 0, 0, 200, 150);
  HWND c = make("White", WS_CHILD, 50, 40, 30, 20, p);
  pump();
  react = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (h != c || m != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT all{-100, -100, 300, 300};
    FillRect(dc, &all, blue);
    EndPaint(h, &ps);
    r = 0;
    return true;
  };
  RECT part{0, 0, 10, 20};
  InvalidateRect(c, &part, FALSE);
  pump();
  EXPECT_EQ(plat::window_pixel(c, 0, 0), kBlue);
  EXPECT_EQ(plat::window_pixel(c, 9, 19), kBlue);
  EXPECT_EQ(plat::window_pixel(c, 10, 0), GetSysColor(COLOR_WINDOW));   // not invalid
  EXPECT_EQ(plat::window_pixel(p, 45, 35), GetSysColor(COLOR_WINDOW));  // outside the child

  // GetDC draws at once, anywhere in the client area.
  HDC dc = GetDC(c);
  RECT r{20, 0, 30, 5};
  FillRect(dc, &r, red);
  EXPECT_EQ(ReleaseDC(c, dc), 1);
  EXPECT_EQ(ReleaseDC(c, dc), 0);  // not ours any more
  EXPECT_EQ(plat::window_pixel(c, 25, 2), kRed);
}

TEST_F(WinPaint, FrameAndCaptionShowTheActiveState) {
  HWND a = CreateWindowExA(0, "White", "Alpha", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                           nullptr, nullptr, nullptr, nullptr);
  pump();
  testsupport::TempDir tmp;
  std::string file = tmp.file("a.png");
  ASSERT_TRUE(plat::write_window_png(a, file, true));
  int w = 0, h = 0;
  EXPECT_EQ(png_pixel(file, 290, 10, &w, &h), GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  EXPECT_EQ(png_pixel(file, 0, 100), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(png_pixel(file, 150, 100), GetSysColor(COLOR_WINDOW));

  CreateWindowExA(0, "White", "Beta", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 10, 300, 200, nullptr,
                  nullptr, nullptr, nullptr);
  pump();
  ASSERT_TRUE(plat::write_window_png(a, file, true));
  EXPECT_EQ(png_pixel(file, 290, 10), GetSysColor(COLOR_INACTIVECAPTION));

  // The client area alone.
  ASSERT_TRUE(plat::write_window_png(a, file));
  png_pixel(file, 0, 0, &w, &h);
  EXPECT_EQ(w, 292);
  EXPECT_EQ(h, 172);
  EXPECT_FALSE(plat::write_window_png(reinterpret_cast<HWND>(0x9999), file));
}

TEST_F(WinPaint, ScrollingMovesPixelsAndInvalidatesTheUncoveredStrip) {
  HWND p = make("White", WS_POPUP, 0, 0, 100, 100);
  pump();
  HDC dc = GetDC(p);
  RECT band{0, 0, 100, 10};
  FillRect(dc, &band, red);
  ReleaseDC(p, dc);
  RECT upd;
  EXPECT_EQ(ScrollWindowEx(p, 0, 20, nullptr, nullptr, nullptr, &upd, SW_INVALIDATE | SW_ERASE),
            SIMPLEREGION);
  EXPECT_EQ(upd.top, 0);
  EXPECT_EQ(upd.bottom, 20);
  EXPECT_EQ(upd.right, 100);
  EXPECT_EQ(plat::window_pixel(p, 50, 25), kRed);
  EXPECT_EQ(plat::window_pixel(p, 50, 35), GetSysColor(COLOR_WINDOW));
  RECT u;
  EXPECT_TRUE(GetUpdateRect(p, &u, FALSE));
  EXPECT_EQ(u.bottom, 20);
  pump();  // the strip is erased and painted again
  EXPECT_EQ(plat::window_pixel(p, 50, 5), GetSysColor(COLOR_WINDOW));

  // Scrolling up by more than the area leaves nothing moved.
  EXPECT_EQ(ScrollWindowEx(p, 0, -200, nullptr, nullptr, nullptr, &upd, SW_INVALIDATE),
            SIMPLEREGION);
  EXPECT_EQ(upd.bottom - upd.top, 100);
}
