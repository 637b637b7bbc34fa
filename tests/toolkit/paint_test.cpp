// Auto-paint recording and replay, and the paint handler's styles.
#include <cstring>
#include <vector>

#include "draw_testing.h"
#include "toolkit/autopaint.h"
#include "toolkit/bitmaps.h"
#include "toolkit/boxes.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/memory.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

std::vector<std::uint32_t> words(const autopaint_buffer& b) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(b.used) / 4);
  std::memcpy(out.data(), b.base, out.size() * 4);
  return out;
}

// A target over the window that records into its buffer.
draw_target_t recording(win::HWND w) {
  draw_target_t t;
  START_DIRECT_DRAW(&w, nullptr, t, nullptr);
  t.autopaint_mode = 1;
  FIND_WINDOW_RECORD(w)->autopaint.mode = 1;
  return t;
}

void stop(draw_target_t& t) {
  FIND_WINDOW_RECORD(t.window)->autopaint.mode = 0;
  END_DIRECT_DRAW(t, nullptr);
}

TEST_F(ToolkitTest, RecordedCallsHaveTheirIdentityFourByteWordsAndCountedArrays) {
  const win::HWND w = drawtest::make_window();
  draw_target_t t = recording(w);
  const autopaint_buffer& b = FIND_WINDOW_RECORD(w)->autopaint;
  const win::COLORREF red = 0xFF;
  NEW_PEN(t, &red, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(b.used, 28);
  EXPECT_EQ(words(b), (std::vector<std::uint32_t>{kRecordNewPen, 0xFF, kAbsentWord, kAbsentWord,
                                                  kAbsentWord, kAbsentWord, kAbsentWord}));
  const float points[6] = {0.0F, 0.0F, 0.5F, 1.0F, 1.0F, 0.0F};
  DRAW_POLYLINE(t, points, 3, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
  const std::vector<std::uint32_t> after = words(b);
  const std::vector<std::uint32_t> line(after.begin() + 7, after.end());
  ASSERT_EQ(line.size(), 1u + 1 + 6 + 1 + 1 + 4 + 1);
  EXPECT_EQ(line[0], std::uint32_t(kRecordPolyline));
  EXPECT_EQ(line[1], 24u);
  EXPECT_EQ(line[8], 3u);
  EXPECT_EQ(line[9], 0u);
  EXPECT_EQ(line[14], 1u);
  // -0.0 and 0x80000000 are recorded as values, never as absent.
  const float minus_zero = -0.0F;
  const int lowest = static_cast<int>(0x80000000u);
  DRAW_LINE(t, &minus_zero, nullptr, nullptr, nullptr, &lowest, nullptr, nullptr, nullptr, nullptr,
            nullptr, nullptr);
  const std::vector<std::uint32_t> all = words(b);
  const std::size_t at = all.size() - 9;
  EXPECT_EQ(all[at], std::uint32_t(kRecordDrawLine));
  EXPECT_EQ(all[at + 1], 0u);
  EXPECT_EQ(all[at + 5], 0x80000001u);
  // An output while recording is reported; the call is still recorded.
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  win::POINT end;
  DRAW_LINE(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
            &end, nullptr);
  EXPECT_EQ(drawtest::last_report(),
            "Output arguments to auto-paint draw functions are not supported ... Continue?");
  EXPECT_EQ(b.used, int(all.size() * 4 + 36));
  stop(t);
}

TEST_F(ToolkitTest, ABufferGrowsByTheShortfallInStepsOf1024) {
  autopaint_buffer b;
  const char bytes[8] = {};
  APPEND_TO_BUFFER(b, bytes, 4);
  EXPECT_EQ(b.capacity, 1024);
  for (int i = 0; i < 254; ++i) APPEND_TO_BUFFER(b, bytes, 4);
  EXPECT_EQ(b.used, 1020);
  EXPECT_EQ(b.capacity, 1024);
  APPEND_TO_BUFFER(b, bytes, 8);
  EXPECT_EQ(b.capacity, 2048);
  EXPECT_EQ(b.used, 1028);
  FREE_MEMORY(b.base);
}

TEST_F(ToolkitTest, ReplayDrawsWhatWasRecordedAndACutBufferEndsTheReplay) {
  const int autopaint = 2;
  const win::HWND w = drawtest::make_window(nullptr, &autopaint);
  drawtest::pump();
  EXPECT_EQ(plat::window_pixel(w, 50, 50), 0xFFFFFFu);  // an empty buffer: the background
  draw_target_t t = recording(w);
  const win::COLORREF blue = 0xFF0000;
  NEW_BRUSH(t, &blue, nullptr, nullptr, nullptr);
  const int x1 = 10, y1 = 10, x2 = 60, y2 = 40;
  DRAW_RECTANGLE(t, nullptr, nullptr, nullptr, nullptr, nullptr, &x1, &y1, &x2, &y2, nullptr,
                 nullptr, nullptr);
  const char text[] = "Hi";
  const int tx = 100, ty = 60;
  WRITE_TEXT(t, text, 2, nullptr, nullptr, &tx, &ty, nullptr, nullptr, nullptr, nullptr, nullptr,
             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  stop(t);
  EXPECT_EQ(plat::window_pixel(w, 30, 20), 0xFFFFFFu);  // recording draws nothing
  win::InvalidateRect(w, nullptr, win::TRUE);
  drawtest::pump();
  EXPECT_EQ(plat::window_pixel(w, 30, 20), 0xFF0000u);
  EXPECT_EQ(plat::window_pixel(w, 10, 10), 0u);  // the pen's border
  bool text_drawn = false;
  for (int y = 60; y < 80; ++y)
    for (int x = 100; x < 120; ++x) text_drawn |= plat::window_pixel(w, x, y) == 0u;
  EXPECT_TRUE(text_drawn);
  // A buffer cut in the middle of an entry: what is whole is drawn.
  autopaint_buffer& b = FIND_WINDOW_RECORD(w)->autopaint;
  b.used -= 6;
  win::InvalidateRect(w, nullptr, win::TRUE);
  drawtest::pump();
  EXPECT_EQ(plat::window_pixel(w, 30, 20), 0xFF0000u);
  EXPECT_EQ(b.mode, 0);
}

int box_paints = 0;
void count_box_paint(draw_target_t& t) {
  ++box_paints;
  const win::COLORREF green = 0x00FF00;
  NEW_BRUSH(t, &green, nullptr, nullptr, nullptr);
  DRAW_RECTANGLE(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &t.bounds.right,
                 &t.bounds.bottom, nullptr, nullptr, nullptr);
}

TEST_F(ToolkitTest, BackingBitmapsAreStretchedOrCopiedAtTheScrollOffsetsAndBoxesPaintByStyle) {
  // A 100 x 50 bitmap: left half red, right half blue.
  std::vector<std::uint32_t> pixels(100 * 50);
  for (int k = 0; k < 100 * 50; ++k) pixels[k] = k % 100 < 50 ? 0x0000FF : 0xFF0000;
  const win::HBITMAP bitmap = ARRAY_TO_BITMAP_24(pixels.data(), 100, 50, nullptr, nullptr);
  const int stretched = 4;
  win::HWND w = drawtest::make_window(nullptr, &stretched, &bitmap);
  drawtest::pump();
  EXPECT_EQ(plat::window_pixel(w, 90, 90), 0x0000FFu);   // red over the left half
  EXPECT_EQ(plat::window_pixel(w, 110, 10), 0xFF0000u);  // blue from x = 100
  plat::reset_windows();
  reset_toolkit();
  const int scrolled = 0x1000;
  w = drawtest::make_window(nullptr, &scrolled, &bitmap);
  window_record_t* r = FIND_WINDOW_RECORD(w);
  r->scroll.first_column = 40;
  win::InvalidateRect(w, nullptr, win::TRUE);
  drawtest::pump();
  EXPECT_EQ(plat::window_pixel(w, 9, 5), 0x0000FFu);   // bitmap x 49
  EXPECT_EQ(plat::window_pixel(w, 10, 5), 0xFF0000u);  // bitmap x 50
  // A box with a paint callback paints inside its client rectangle only.
  box_paints = 0;
  const int left = 150, top = 10, right = 190, bottom = 90, box_style = 1;
  box_record_t* box =
      C_DEFINE_BOX(w, box_style, nullptr, 0, -1, -1.0F, -1.0F, -1.0F, -1.0F, left, top, right,
                   bottom, absent_handle<win::HBRUSH>(), kAbsentColour, absent_handle<win::HFONT>(),
                   nullptr, count_box_paint, nullptr, absent_handle<win::HBITMAP>(), nullptr);
  ASSERT_NE(box, nullptr);
  drawtest::pump();
  EXPECT_EQ(box_paints, 1);
  EXPECT_EQ(plat::window_pixel(w, 170, 50), 0x00FF00u);
  EXPECT_EQ(plat::window_pixel(w, 50, 20), 0xFF0000u);  // the window's bitmap beside it
  EXPECT_EQ(plat::window_pixel(w, 50, 60), 0xFFFFFFu);  // below it
}

TEST_F(ToolkitTest, AnErasedWindowGetsItsBackgroundAroundItsBoxesAndEachBoxItsBrush) {
  win::HWND w = drawtest::make_window();
  const win::HBRUSH blue = win::CreateSolidBrush(0xFF0000), green = win::CreateSolidBrush(0x00FF00);
  const int callback = 1;
  for (const auto& [box, brush] :
       {std::pair{win::RECT{20, 20, 60, 60}, blue}, std::pair{win::RECT{80, 30, 120, 80}, green}})
    ASSERT_NE(
        C_DEFINE_BOX(w, callback, nullptr, 0, -1, -1.0F, -1.0F, -1.0F, -1.0F, box.left, box.top,
                     box.right, box.bottom, brush, kAbsentColour, absent_handle<win::HFONT>(),
                     nullptr, nullptr, nullptr, absent_handle<win::HBITMAP>(), nullptr),
        nullptr);
  drawtest::pump();
  // Everything black, then the whole client area erased and painted.
  const win::HDC dc = win::GetDC(w);
  const win::RECT all{0, 0, 200, 100};
  win::FillRect(dc, &all, reinterpret_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
  win::ReleaseDC(w, dc);
  win::InvalidateRect(w, nullptr, win::TRUE);
  drawtest::pump();
  EXPECT_EQ(plat::window_pixel(w, 40, 40), 0xFF0000u);
  EXPECT_EQ(plat::window_pixel(w, 100, 50), 0x00FF00u);
  // Left, right, above and below each box, and between them.
  for (const auto& [x, y] :
       {std::pair{10, 40}, std::pair{70, 40}, std::pair{150, 50}, std::pair{40, 10},
        std::pair{40, 70}, std::pair{100, 20}, std::pair{100, 90}, std::pair{190, 95}})
    EXPECT_EQ(plat::window_pixel(w, x, y), 0xFFFFFFu) << x << ", " << y;
}

}  // namespace
