// Window records, the box list, boxes and their layout.
#include "toolkit/records.h"

#include <cstring>
#include <string>

#include "platform/win_gdi.h"
#include "support/test_support.h"
#include "toolkit/boxes.h"
#include "toolkit/status.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

win::HWND fake(int i) { return win::handle_from<win::HWND>(0x5000 + i); }

TEST_F(ToolkitTest, RecordsComeInBlocksOf16AndANewBlockStandsFirst) {
  for (int i = 1; i <= 16; ++i) ASSERT_NE(GET_FREE_WINDOW_RECORD(fake(i), nullptr), nullptr);
  EXPECT_EQ(FIND_WINDOW_RECORD(nullptr), nullptr);
  window_record_t* seventeenth = GET_FREE_WINDOW_RECORD(fake(17), nullptr);
  EXPECT_EQ(FIRST_WINDOW_RECORD(), seventeenth);
  // The rest of the new block is free and comes before the old block.
  window_record_t* free_one = FIND_WINDOW_RECORD(nullptr);
  ASSERT_NE(free_one, nullptr);
  EXPECT_EQ(free_one, seventeenth + 1);
  int walked = 0;
  for (window_record_t* r = FIRST_WINDOW_RECORD(); r != nullptr; r = NEXT_WINDOW_RECORD(r))
    ++walked;
  EXPECT_EQ(walked, 17);
  EXPECT_EQ(NEXT_WINDOW_RECORD(seventeenth), FIND_WINDOW_RECORD(fake(1)));
}

TEST_F(ToolkitTest, AClosedSecondaryWindowsRecordIsTakenByTheNextWindow) {
  tktest::make_main();
  const win::HWND second = tktest::make_secondary();
  window_record_t* record = FIND_WINDOW_RECORD(second);
  ASSERT_NE(record, nullptr);
  win::SendMessageA(second, win::WM_CLOSE, 0, 0);
  EXPECT_FALSE(win::IsWindow(second));
  EXPECT_EQ(FIND_WINDOW_RECORD(second), nullptr);
  EXPECT_EQ(FIND_WINDOW_RECORD(tktest::make_secondary()), record);
}

TEST_F(ToolkitTest, ARecordWithoutBrushOrTextColourTakesTheDefaults) {
  window_record_t* r = FIND_WINDOW_RECORD(tktest::make_main());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->background, 0xFFFFFFu);
  EXPECT_EQ(r->text_colour, win::GetSysColor(win::COLOR_WINDOWTEXT));
  EXPECT_GT(r->char_width, 0);
  EXPECT_GT(r->line_height, r->char_width);
  EXPECT_EQ(MAIN_WINDOW_RECORD(), r);
  EXPECT_STREQ(main_title(), "Main");
  const win::HBRUSH red = win::CreateSolidBrush(0x0000FF);
  r = SETUP_WINDOW_RECORD(tktest::make_secondary(), nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                          nullptr, &red, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr);
  EXPECT_EQ(r->background, 0x0000FFu);
}

TEST_F(ToolkitTest, UnlinkingABoxThatIsNotInTheListIsReported) {
  box_record_t a, b;
  box_record_t* head = nullptr;
  APPEND_BOX(head, &a);
  int ups = 0;
  EXPECT_EQ(UNLINK_BOX(head, &b, &ups), 0);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(UNLINK_BOX(head, &a, &ups), 1);
  EXPECT_EQ(head, nullptr);
}

// A box of the main window (400 x 300 client pixels) from fractions and
// pixels, without a frame unless one is given.
box_record_t* box(const float* f, const int* p, const win::HBRUSH* frame = nullptr) {
  static const win::HBRUSH no_frame = nullptr;
  return DEFINE_BOX(nullptr, nullptr, nullptr, 0, nullptr, f ? &f[0] : nullptr, f ? &f[1] : nullptr,
                    f ? &f[2] : nullptr, f ? &f[3] : nullptr, p ? &p[0] : nullptr,
                    p ? &p[1] : nullptr, p ? &p[2] : nullptr, p ? &p[3] : nullptr, nullptr, nullptr,
                    nullptr, frame ? frame : &no_frame, nullptr, nullptr, nullptr, nullptr);
}

bool rect_is(const win::RECT& r, int l, int t, int rr, int b) {
  return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

TEST_F(ToolkitTest, BoxesLieByFractionsOrPixelsInsideTheClientArea) {
  tktest::make_main();
  const float whole[4] = {0.0F, 0.0F, 1.0F, 1.0F};
  EXPECT_TRUE(rect_is(box(whole, nullptr)->outer, 0, 0, 400, 300));
  const float right_half[4] = {0.5F, 0.0F, 1.0F, 1.0F};
  EXPECT_TRUE(rect_is(box(right_half, nullptr)->outer, 200, 0, 400, 300));
  // Pixels outside the client area are brought to its edges.
  const int beyond[4] = {-5, -1, 999, 120};
  EXPECT_TRUE(rect_is(box(nullptr, beyond)->outer, 0, 0, 400, 120));
  // A fraction above 1 is cut by DEFINE_BOX, not by REDEFINE_BOX.
  const float over[4] = {0.25F, 0.5F, 1.5F, 1.0F};
  box_record_t* b = box(over, nullptr);
  EXPECT_TRUE(rect_is(b->outer, 100, 150, 400, 300));
  const float wide = 1.5F;
  REDEFINE_BOX(b, nullptr, nullptr, 0, nullptr, nullptr, nullptr, &wide, nullptr, nullptr, nullptr,
               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
               nullptr, nullptr, nullptr);
  EXPECT_EQ(b->outer.right, 600);
  // A frame: the client rectangle lies one pixel inside.
  const win::HBRUSH system_frame = absent_handle<win::HBRUSH>();
  box_record_t* framed = box(whole, nullptr, &system_frame);
  EXPECT_EQ(framed->frame_width, 1);
  EXPECT_TRUE(rect_is(framed->client, 1, 1, 399, 299));
  EXPECT_TRUE(rect_is(box(whole, nullptr)->client, 0, 0, 400, 300));
}

void paint_nothing(draw_target_t&) {}

TEST_F(ToolkitTest, BoxStylesDefaultByWhatTheBoxShows) {
  const win::HWND main = tktest::make_main();
  // A box that shows a file makes it: in the test's own folder.
  testsupport::TempDir dir;
  const std::string shown = dir.file("a.txt");
  const auto style_of = [&](paint_callback paint, const char* file, const win::HBITMAP* bitmap) {
    return DEFINE_BOX(&main, nullptr, file, file ? static_cast<int>(std::strlen(file)) : 0, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, paint, nullptr, bitmap, nullptr)
        ->style;
  };
  const win::HBITMAP bitmap = win::CreateCompatibleBitmap(win::GetDC(nullptr), 30, 20);
  EXPECT_EQ(style_of(paint_nothing, nullptr, nullptr), 1);
  EXPECT_EQ(style_of(nullptr, shown.c_str(), nullptr), 0x6800);
  EXPECT_EQ(style_of(nullptr, nullptr, &bitmap), 0x7000);
  EXPECT_EQ(style_of(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(FIND_WINDOW_RECORD(main)->first_box->next->next->scroll.lines, 20);
}

TEST_F(ToolkitTest, ADeadOrForeignBoxIsReportedAndNeverRead) {
  tktest::make_main();
  box_record_t* b = box(nullptr, nullptr);
  box_record_t* kept = b;
  int ups = 0;
  EXPECT_EQ(DESTROY_BOX(b, &ups), 1);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(DESTROY_BOX(b, &ups), 0);
  EXPECT_EQ(ups, 0x10000);
  // The freed record, and one the toolkit never made.
  REDEFINE_BOX(kept, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
               nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  box_record_t foreign;
  foreign.marker = kMarker;
  EXPECT_FALSE(CHECK_BOX_ARGUMENT(&foreign, "UPDATE_BOX", &ups));
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  CHECK_BOX_ARGUMENT(&foreign, "UPDATE_BOX", nullptr);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].text,
            "Invalid box argument passed to: UPDATE_BOX ... Continue?");
}

TEST_F(ToolkitTest, AScrollStyleGivesTheMainWindowAnAutomaticBoxThatFollowsItsSize) {
  const int scrolled = 0x4000;
  const win::HWND main = tktest::make_main(nullptr, 0, &scrolled);
  ASSERT_NE(main_auto_box, nullptr);
  EXPECT_EQ(FIND_WINDOW_RECORD(main)->first_box, main_auto_box);
  EXPECT_EQ(main_auto_box->style, 0x4000);
  EXPECT_EQ(main_auto_box->frame_width, 0);
  EXPECT_TRUE(rect_is(main_auto_box->outer, 0, 0, 400, 300));
  SET_CLIENT_SIZE(main, 500, 200);
  EXPECT_TRUE(rect_is(main_auto_box->outer, 0, 0, 500, 200));
}

}  // namespace
