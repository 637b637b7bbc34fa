// Drawing targets: bitmap and direct drawing, the validity rules, fractions,
// a paint refused while painting.
#include "toolkit/draw_targets.h"
#include "draw_testing.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/paint.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

TEST_F(ToolkitTest, AWindowGetsAWhiteBackingBitmapOnItsFirstBitmapDrawingAndKeepsIt) {
  const win::HWND w = drawtest::make_window();
  draw_target_t t;
  int ups = -1;
  START_BITMAP_DRAW(nullptr, &w, nullptr, t, &ups);
  ASSERT_EQ(ups, 0);
  window_record_t* r = FIND_WINDOW_RECORD(w);
  ASSERT_NE(r->bitmap, nullptr);
  EXPECT_EQ(r->style, 0x7000);
  EXPECT_EQ(t.bounds.right, 199);
  EXPECT_EQ(t.bounds.bottom, 99);
  EXPECT_EQ(drawtest::bitmap_pixel(r->bitmap, 150, 80), 0xFFFFFFu);
  // A fraction of 1.0 is the last pixel, 0.5 truncates.
  EXPECT_EQ(fraction_x(t, 1.0F), 199);
  EXPECT_EQ(fraction_x(t, 0.5F), 99);
  EXPECT_EQ(fraction_y(t, 0.5F), 49);
  const win::HBITMAP first = r->bitmap;
  END_BITMAP_DRAW(t, &ups);
  EXPECT_EQ(t.marker, 0u);
  START_BITMAP_DRAW(nullptr, &w, nullptr, t, &ups);
  EXPECT_EQ(r->bitmap, first);
  END_BITMAP_DRAW(t, &ups);
}

TEST_F(ToolkitTest, ClosedTargetsAndFailedStartsAreReportedByTheRoutineThatGetsThem) {
  tktest::make_main();
  const int hundred = 100;
  const win::HBITMAP bitmap = CREATE_BITMAP(hundred, hundred, nullptr, nullptr);
  draw_target_t t, second;
  int ups = -1;
  START_BITMAP_DRAW(&bitmap, nullptr, nullptr, t, &ups);
  ASSERT_EQ(ups, 0);
  EXPECT_EQ(fraction_x(t, 1.0F), 99);
  // The same bitmap a second time: refused, and that target stays closed.
  START_BITMAP_DRAW(&bitmap, nullptr, nullptr, second, &ups);
  EXPECT_NE(ups, 0);
  EXPECT_EQ(second.marker, 0u);
  END_BITMAP_DRAW(t, &ups);
  EXPECT_EQ(ups, 0);
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  DRAW_LINE(t, nullptr, nullptr, nullptr, nullptr, &hundred, &hundred, nullptr, nullptr, nullptr,
            nullptr, nullptr);
  EXPECT_EQ(drawtest::last_report(), "Invalid argument 'ups' passed to: DRAW_LINE ... Continue?");
  // Every failed start leaves its target closed.
  const win::HBITMAP none = nullptr;
  START_BITMAP_DRAW(nullptr, nullptr, nullptr, t, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(t.marker, 0u);
  START_BITMAP_DRAW(&none, nullptr, nullptr, t, &ups);
  EXPECT_EQ(t.marker, 0u);
  START_DIRECT_DRAW(nullptr, nullptr, t, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(t.marker, 0u);
  NEW_PEN(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
}

int paints = 0;
int refused = 0;
void paint_and_draw_directly(draw_target_t& target) {
  ++paints;
  if (paints > 1) return;
  draw_target_t direct;
  START_DIRECT_DRAW(&target.window, nullptr, direct, &refused);
}

TEST_F(ToolkitTest, DirectDrawingDuringAPaintIsRefusedAndBringsExactlyOneMoreRepaint) {
  paints = refused = 0;
  const int style = 1;
  const win::HWND w = drawtest::make_window(paint_and_draw_directly, &style);
  drawtest::pump();
  EXPECT_EQ(refused, 0x10000);
  EXPECT_EQ(paints, 2);
  drawtest::pump();
  EXPECT_EQ(paints, 2);
  // A paint that arrives while the window is drawn on directly is put off
  // until the drawing ends.
  draw_target_t direct;
  int ups = -1;
  START_DIRECT_DRAW(&w, nullptr, direct, &ups);
  ASSERT_EQ(ups, 0);
  EXPECT_EQ(PaintWindow(w, 0, 0), 0);
  END_DIRECT_DRAW(direct, &ups);
  drawtest::pump();
  EXPECT_EQ(paints, 3);
}

TEST_F(ToolkitTest, GetRectOfTargetsBitmapsWindowsBoxesAndTheDesktop) {
  const win::HWND w = drawtest::make_window();
  const win::HBITMAP bitmap = CREATE_BITMAP(30, 20, nullptr, nullptr);
  win::RECT r{};
  int ups = -1;
  GET_RECT(nullptr, nullptr, nullptr, &bitmap, nullptr, r, &ups);
  EXPECT_EQ(r.right, 30);
  EXPECT_EQ(r.bottom, 20);
  GET_RECT(nullptr, &w, nullptr, nullptr, nullptr, r, &ups);
  EXPECT_EQ(r.right, 200);
  const int whole = 1;
  GET_RECT(nullptr, &w, nullptr, nullptr, &whole, r, &ups);
  EXPECT_GT(r.bottom - r.top, 100);
  GET_RECT(nullptr, nullptr, nullptr, nullptr, nullptr, r, &ups);
  EXPECT_EQ(r.right, 1280);
  draw_target_t t;
  START_BITMAP_DRAW(&bitmap, nullptr, nullptr, t, &ups);
  t.autopaint_mode = 1;
  GET_RECT(&t, nullptr, nullptr, nullptr, nullptr, r, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(r.right, 29);
  t.autopaint_mode = 0;
  END_BITMAP_DRAW(t, &ups);
  // An object the toolkit never recorded is still deleted.
  const win::HBRUSH brush = win::CreateSolidBrush(0xFF);
  DELETE_OBJECT(brush, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(win::GetObjectType(brush), 0u);
}

}  // namespace
