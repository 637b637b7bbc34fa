// Figures, fills and images on printer pages go on as vectors and as images
// of their own resolution, so a page stays small; the screen as composed of
// the top-level windows; LockWindowUpdate.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_print.h"
#include "support/test_support.h"
#include "win_window_recorder.h"

namespace {

using namespace win;

class VectorPageTest : public ::testing::Test {
 protected:
  void TearDown() override {
    plat::remove_virtual_printers();
    plat::reset_gdi();
  }
  testsupport::TempDir dir;
};

TEST_F(VectorPageTest, AFullPageFillAndAStretchedImageMakeASmallFileThatRendersRight) {
  HDC dc = CreateDCA(nullptr, "pdf", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
  const std::string out = dir.file("page.pdf");
  DOCINFOA di;
  di.lpszOutput = out.c_str();
  ASSERT_GT(StartDocA(dc, &di), 0);
  StartPage(dc);
  HBRUSH grey = CreateSolidBrush(0x808080);
  HGDIOBJ old = SelectObject(dc, grey);
  Rectangle(dc, 0, 0, w, h);
  SelectObject(dc, old);
  DeleteObject(grey);
  // A 2 x 1 image, red and blue, over two inches.
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP pair = CreateCompatibleBitmap(memory, 2, 1);
  SelectObject(memory, pair);
  SetPixel(memory, 0, 0, 0x0000FF);
  SetPixel(memory, 1, 0, 0xFF0000);
  StretchBlt(dc, 600, 600, 1200, 600, memory, 0, 0, 2, 1, SRCCOPY);
  DeleteDC(memory);
  DeleteObject(pair);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, 0x000000);
  RECT r{2400, 600, 3000, 1200};
  FillRect(dc, &r, hatch);
  DeleteObject(hatch);
  EndPage(dc);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  EXPECT_LT(std::filesystem::file_size(out), 20000u);
  // The one image is the 2 x 1 source (and the hatch's 8 x 8 tile).
  const std::string images =
      testsupport::command_output("pdfimages -list '" + out + "' 2>/dev/null");
  EXPECT_NE(images.find(" 2     1 "), std::string::npos) << images;
  EXPECT_EQ(images.find(" 600 "), std::string::npos) << images;
  const std::string png = dir.file("page");
  ASSERT_EQ(std::system(("pdftoppm -r 50 -png -singlefile '" + out + "' '" + png + "'").c_str()),
            0);
  cairo_surface_t* s = cairo_image_surface_create_from_png((png + ".png").c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  auto pixel = [&](int x, int y) {
    const auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
  };
  EXPECT_EQ(pixel(200, 500), 0x808080u);  // 50 dpi: inches x 50
  EXPECT_EQ(pixel(60, 75), 0xFF0000u);    // red, as Cairo's 0xRRGGBB
  EXPECT_EQ(pixel(140, 75), 0x0000FFu);
  cairo_surface_destroy(s);
}

using wintest::WindowTest;

TEST_F(WindowTest, TheScreenIsComposedOfTheWindowsInZOrderAndALockedWindowWaits) {
  const DWORD plain = WS_POPUP | WS_VISIBLE;
  HWND low = wintest::make_top(10, 10, 100, 100, plain);
  HWND high = wintest::make_top(60, 60, 100, 100, plain);
  wintest::pump();
  auto fill = [](HWND wnd, COLORREF c) {
    HDC dc = GetDC(wnd);
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, 0, 100, 100};
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(wnd, dc);
  };
  fill(low, 0x0000FF);
  fill(high, 0x00FF00);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 20, 20), 0x0000FFu);
  EXPECT_EQ(GetPixel(screen, 80, 80), 0x00FF00u);  // the higher window covers the lower
  EXPECT_EQ(GetPixel(screen, 5, 5), GetSysColor(COLOR_DESKTOP));
  ReleaseDC(nullptr, screen);
  // A locked window is not painted until it is unlocked.
  ASSERT_TRUE(LockWindowUpdate(low));
  EXPECT_FALSE(LockWindowUpdate(high));
  wintest::seen.clear();
  InvalidateRect(low, nullptr, TRUE);
  UpdateWindow(low);
  wintest::pump();
  auto paints = [&] {
    const auto m = wintest::messages_of(low);
    return std::count(m.begin(), m.end(), WM_PAINT);
  };
  EXPECT_EQ(paints(), 0);
  EXPECT_TRUE(LockWindowUpdate(nullptr));
  wintest::pump();
  EXPECT_EQ(paints(), 1);
}

}  // namespace
