// The drawing primitives on bitmap targets and on a printer page, checked
// on their pixels.
#include <cairo.h>

#include <cstdio>
#include <string>

#include "draw_testing.h"
#include "platform/win_print.h"
#include "support/test_support.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

class DrawTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    tktest::make_main();
    bitmap = CREATE_BITMAP(100, 60, nullptr, nullptr);
    START_BITMAP_DRAW(&bitmap, nullptr, nullptr, t, nullptr);
  }
  void TearDown() override {
    if (t.marker != 0) END_BITMAP_DRAW(t, nullptr);
    ToolkitTest::TearDown();
  }
  std::uint32_t at(int x, int y) { return drawtest::bitmap_pixel(bitmap, x, y); }
  // The leftmost and rightmost columns of row y that are not white.
  std::pair<int, int> ink(int y) {
    int first = -1, last = -1;
    for (int x = 0; x < 100; ++x)
      if (at(x, y) != 0xFFFFFFu) {
        if (first < 0) first = x;
        last = x;
      }
    return {first, last};
  }
  win::HBITMAP bitmap = nullptr;
  draw_target_t t;
};

void text(draw_target_t& t, const char* s, const int* x, const int* y, const win::COLORREF* bg,
          const int* more, int* ups = nullptr) {
  WRITE_TEXT(t, s, static_cast<int>(std::strlen(s)), nullptr, nullptr, x, y, nullptr, bg, nullptr,
             more, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
             ups);
}

TEST_F(DrawTest, TextContinuesWhereTheLastEndedAndATransparentBackgroundKeepsThePicture) {
  const win::COLORREF grey = 0x808080, transparent = 0xFFFFFFFF;
  const int zero = 0, yes = 1;
  NEW_BRUSH(t, &grey, nullptr, nullptr, nullptr);
  const int x2 = 99, y2 = 59;
  DRAW_RECTANGLE(t, nullptr, nullptr, nullptr, nullptr, nullptr, &zero, &zero, &x2, &y2, nullptr,
                 nullptr, nullptr);
  text(t, "ii", &zero, &zero, &transparent, nullptr);
  const win::POINT after = t.continuation;
  EXPECT_EQ(after.y, 0);
  EXPECT_GT(after.x, 0);
  EXPECT_EQ(t.current.x, 0);
  EXPECT_GT(t.current.y, 0);
  // Transparent: no white cell behind the letters.
  for (int y = 2; y < t.current.y - 2; ++y)
    for (int x = 1; x < after.x; ++x) EXPECT_NE(at(x, y), 0xFFFFFFu);
  const win::COLORREF white = 0xFFFFFF;
  text(t, "ii", nullptr, nullptr, &white, &yes);
  EXPECT_EQ(at(after.x + 1, 1), 0xFFFFFFu);  // an opaque cell right after the first text
  EXPECT_EQ(at(after.x - 1, 1), 0x808080u);
  // An empty text only moves one line down.
  const win::POINT before = t.current;
  text(t, "", nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(t.current.x, before.x);
  EXPECT_GT(t.current.y, before.y);
  EXPECT_EQ(t.continuation.y, before.y);
}

TEST_F(DrawTest, ChordDefaultsAndPenWidthsAndStyles) {
  // Only x2: a circle from the top-left corner, its defaults clipped.
  const int x2 = 40;
  win::RECT r{};
  win::POINT from{}, to{};
  DRAW_CHORD(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
             nullptr, &x2, nullptr, nullptr, nullptr, nullptr, nullptr, &r, &from, &to, nullptr);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.bottom, 40);
  EXPECT_EQ(from.x, 0);
  EXPECT_EQ(to.x, 99);
  EXPECT_EQ(to.y, 59);
  // From the radial through (0, 0) counter-clockwise to the one through
  // (99, 59): the lower left half of the circle.
  EXPECT_EQ(at(0, 20), 0u);
  EXPECT_EQ(at(20, 39), 0u);
  EXPECT_EQ(at(20, 2), 0xFFFFFFu);
  EXPECT_EQ(at(60, 20), 0xFFFFFFu);
  // A dashed pen of width 3 is one pixel wide; a square end cap makes a
  // geometric pen even at width 1.
  const int dashed = win::PS_DASH, three = 3, one = 1, square = win::PS_ENDCAP_SQUARE;
  NEW_PEN(t, nullptr, &dashed, nullptr, &three, nullptr, nullptr, nullptr);
  win::EXTLOGPEN pen{};
  win::GetObjectA(t.pen, sizeof pen, &pen);
  EXPECT_EQ(pen.elpWidth, 1u);
  EXPECT_EQ(pen.elpPenStyle & win::PS_TYPE_MASK, win::DWORD(win::PS_COSMETIC));
  NEW_PEN(t, nullptr, &square, nullptr, &one, nullptr, nullptr, nullptr);
  win::GetObjectA(t.pen, sizeof pen, &pen);
  EXPECT_EQ(pen.elpPenStyle & win::PS_TYPE_MASK, win::DWORD(win::PS_GEOMETRIC));
  // A fraction of the mean extent: (99 + 59) / 2 x 0.1 = 7.
  const float tenth = 0.1F;
  NEW_PEN(t, nullptr, nullptr, &tenth, nullptr, nullptr, nullptr, nullptr);
  win::GetObjectA(t.pen, sizeof pen, &pen);
  EXPECT_EQ(pen.elpWidth, 7u);
}

TEST_F(DrawTest, PolylinesMapTheirUserWindowAndRefuseAnEmptyOne) {
  const float points[4] = {0.0F, 0.0F, 10.0F, 5.0F};
  const float x0 = 0, y0 = 0, x1 = 10, y1 = 5;
  int ups = -1;
  DRAW_POLYLINE(t, points, 2, &x0, &y0, &x1, &y1, nullptr, 0, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(at(0, 0), 0u);
  EXPECT_EQ(at(49, 29), 0u);  // the middle of the diagonal to (99, 59)
  // A user window without width: refused with the routine's message.
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  DRAW_POLYGON(t, points, 2, &x0, &y0, &x0, &y1, nullptr, 0, nullptr);
  EXPECT_EQ(drawtest::last_report(), "Unable to draw a POLYGON ... Continue?");
  plat::push_message_box_answer(win::IDYES);
  DRAW_POLYLINE(t, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
  EXPECT_EQ(drawtest::last_report(),
            "You must supply either points or pixel_points to DRAW_POLYLINE ... Continue?");
  // Integer points are pixels; a Bezier takes 1 + 3k of them.
  const int curve[8] = {0, 59, 30, 0, 70, 0, 99, 59};
  DRAW_POLY_BEZIER(t, nullptr, 0, nullptr, nullptr, nullptr, nullptr, curve, 4, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_TRUE(at(49, 15) == 0u || at(50, 15) == 0u);  // the curve's top
  EXPECT_EQ(at(49, 13), 0xFFFFFFu);
}

TEST_F(DrawTest, BitmapsAreStretchedOrCopiedPixelForPixelAndRefusedWhileRecording) {
  const std::uint32_t red[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  const win::HBITMAP small = ARRAY_TO_BITMAP_24(red, 2, 2, nullptr, nullptr);
  const int one_to_one = 3, x1 = 10, y1 = 10;
  int ups = -1;
  DRAW_BITMAP(t, small, nullptr, &one_to_one, nullptr, nullptr, nullptr, nullptr, &x1, &y1, nullptr,
              nullptr, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(ink(10), (std::pair<int, int>{10, 11}));
  EXPECT_EQ(ink(12).first, -1);
  DRAW_BITMAP(t, small, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
              nullptr, nullptr, &ups);
  EXPECT_EQ(at(99, 59), 0x0000FFu);  // stretched over the whole target
  t.autopaint_mode = 1;
  DRAW_BITMAP(t, small, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
              nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  int size[2] = {};
  GET_TEXT_EXTENT(t, "x", 1, nullptr, nullptr, size, &ups);
  EXPECT_EQ(ups, 0x10000);
  t.autopaint_mode = 0;
  GET_TEXT_EXTENT(t, "xx", 2, nullptr, nullptr, size, &ups);
  EXPECT_GT(size[0], 0);
}

TEST_F(ToolkitTest, ARectangleWithOneSideIsAPhysicalSquareOnAPrinterPage) {
  testsupport::TempDir dir;
  plat::VirtualPrinter printer;
  printer.name = "Narrow";
  printer.paper_width = 5080;  // 2 x 2 inches
  printer.paper_height = 5080;
  printer.dpi = 96;
  printer.dpi_y = 120;
  plat::add_virtual_printer(printer);
  const win::HDC dc = win::CreateDCA(nullptr, "Narrow", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  const std::string pdf = dir.file("square.pdf");
  win::DOCINFOA doc;
  doc.lpszOutput = pdf.c_str();
  ASSERT_GT(win::StartDocA(dc, &doc), 0);
  win::StartPage(dc);
  draw_target_t t;
  t.dc = dc;
  t.flags = kPrinterTarget;
  t.bounds = win::RECT{0, 0, 191, 239};
  t.marker = kMarker;
  const win::COLORREF black = 0;
  NEW_BRUSH(t, &black, nullptr, nullptr, nullptr);
  const int x1 = 48, y1 = 60, x2 = 96;
  win::RECT r{};
  DRAW_RECTANGLE(t, nullptr, nullptr, nullptr, nullptr, nullptr, &x1, &y1, &x2, nullptr, nullptr,
                 &r, nullptr);
  EXPECT_EQ(r.bottom - r.top, 60);  // 48 x 120 / 96
  RELEASE_DRAW_OBJECTS(t);
  win::EndPage(dc);
  win::EndDoc(dc);
  win::DeleteDC(dc);
  plat::remove_virtual_printers();
  // On the paper: half an inch each way from (0.5, 0.5) inch.
  const std::string png = dir.file("square");
  const std::string command =
      "pdftoppm -r 100 -png -singlefile '" + pdf + "' '" + png + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  cairo_surface_t* page = cairo_image_surface_create_from_png((png + ".png").c_str());
  ASSERT_EQ(cairo_surface_status(page), CAIRO_STATUS_SUCCESS);
  const unsigned char* data = cairo_image_surface_get_data(page);
  const int stride = cairo_image_surface_get_stride(page);
  auto dark = [&](int x, int y) { return data[y * stride + x * 4 + 1] < 128; };
  EXPECT_TRUE(dark(52, 52));
  EXPECT_TRUE(dark(98, 98));
  EXPECT_FALSE(dark(102, 75));
  EXPECT_FALSE(dark(75, 102));
  EXPECT_FALSE(dark(47, 75));
  cairo_surface_destroy(page);
}

}  // namespace
