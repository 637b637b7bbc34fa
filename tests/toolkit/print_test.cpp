// Printing through the toolkit on the "PDF" printer and on virtual
// printers: a two-page job without a dialog, the spooling dialog's layout,
// margins against the printable area, landscape reaching the device,
// Cancel in the middle of a job, and fitting pictures onto the page.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dialog_testing.h"
#include "platform/win_commdlg.h"
#include "platform/win_print.h"
#include "support/test_support.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/printing.h"

using namespace toolkit;
namespace fs = std::filesystem;

namespace {

std::string pdf_pages(const std::string& path) {
  const std::string out = testsupport::command_output("pdfinfo '" + path + "' 2>/dev/null");
  const auto at = out.find("Pages:");
  if (at == std::string::npos) return "";
  const auto from = out.find_first_not_of(' ', at + 6);
  return out.substr(from, out.find('\n', from) - from);
}

void write(draw_target_t& t, const std::string& text, int* ups = nullptr) {
  const int x = 0, y = 0;
  WRITE_TEXT(t, text.c_str(), static_cast<int>(text.size()), nullptr, nullptr, &x, &y, nullptr,
             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
             nullptr, nullptr, nullptr, ups);
}

class Printing : public dlgt::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    testing::internal::CaptureStderr();
    plat::reset_common_dialogs();
    tktest::make_main();
    std::error_code gone;  // an earlier test may have removed the folder it left us in
    home = fs::current_path(gone);
    if (gone) home = fs::temp_directory_path();
    fs::current_path(dir.path());
  }
  void TearDown() override {
    fs::current_path(home);
    plat::remove_virtual_printers();
    testing::internal::GetCapturedStderr();
    DialogTest::TearDown();
  }
  std::vector<std::string> files() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir.path())) out.push_back(e.path().filename());
    return out;
  }
  int start(draw_target_t& t, const std::string& name, int* ups, const int* landscape = nullptr) {
    int flags = -1;
    return START_PRINT(t, &flags, nullptr, name.c_str(), static_cast<int>(name.size()), landscape,
                       ups);
  }
  testsupport::TempDir dir;
  fs::path home;
};

TEST_F(Printing, TwoPagesWithoutADialog) {
  if (plat::default_printer() != "PDF") GTEST_SKIP() << "a CUPS printer is the default";
  draw_target_t t;
  int ups = -1;
  ASSERT_EQ(start(t, "two pages", &ups), 1);
  EXPECT_EQ(ups, 0);
  EXPECT_TRUE(plat::common_dialog_log().empty());
  // The spooling dialog: texts 92 units wide, Cancel centred under them.
  const win::HWND spooling = print_cancel_dialog;
  ASSERT_NE(spooling, nullptr);
  win::RECT text{}, cancel{};
  win::GetWindowRect(win::GetDlgItem(spooling, 0x401), &text);
  win::GetWindowRect(win::GetDlgItem(spooling, win::IDCANCEL), &cancel);
  win::POINT at{cancel.left, cancel.top};
  win::ScreenToClient(spooling, &at);
  win::RECT want{33, 0, 92, 0};
  win::MapDialogRect(spooling, &want);
  EXPECT_EQ(text.right - text.left, want.right);
  EXPECT_EQ(at.x, want.left);
  EXPECT_EQ(dlgt::text(win::GetDlgItem(spooling, 0x402)), "two pages");
  EXPECT_FALSE(win::IsWindowEnabled(MAIN_WINDOW()));  // until the first page spools

  write(t, "first", &ups);
  EXPECT_EQ(ups, 0);
  NEXT_PRINT_PAGE(t, &ups);
  EXPECT_EQ(ups, 0);
  write(t, "second");
  END_PRINT(t, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_FALSE(win::IsWindow(spooling));
  EXPECT_EQ(files(), std::vector<std::string>{"two pages.pdf"});
  EXPECT_EQ(pdf_pages("two pages.pdf"), "2");
}

TEST_F(Printing, MarginsLandscapeAndPageData) {
  // Letter at 600 dpi with 50 unprintable pixels on every side.
  plat::add_virtual_printer({"Virtual", 21590, 27940, 600, 50, 50, 50, 50, true});
  const int inches = 0, margins[4] = {1000, 1000, 1000, 1000};
  SET_PAGE_DATA(nullptr, nullptr, nullptr, nullptr, &inches, nullptr, margins, nullptr, nullptr,
                nullptr);
  draw_target_t t;
  int ups = 0;
  ASSERT_EQ(start(t, "margins", &ups), 1);
  EXPECT_EQ(t.bounds.left, 550);
  EXPECT_EQ(t.bounds.top, 550);
  EXPECT_EQ(t.bounds.right, 5100 - 600 - 50);
  EXPECT_EQ(t.bounds.bottom, 6600 - 600 - 50);
  int got[4] = {}, landscape = -1, copies = 0;
  GET_PAGE_DATA(&t, nullptr, nullptr, nullptr, nullptr, &copies, nullptr, nullptr, nullptr, got,
                nullptr, &landscape, &ups);
  EXPECT_EQ(got[2], 1000);
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(landscape, 0);
  END_PRINT(t, &ups);
  // Landscape given with flags -1 reaches the device.
  const int wide = 1;
  ASSERT_EQ(start(t, "wide", &ups, &wide), 1);
  EXPECT_EQ(win::GetDeviceCaps(t.dc, win::PHYSICALWIDTH), 6600);
  EXPECT_EQ(t.bounds.right, 6600 - 600 - 50);
  END_PRINT(t, &ups);
  EXPECT_EQ(ups, 0);
}

TEST_F(Printing, CancelAbortsOnceWithoutAFailureText) {
  plat::add_virtual_printer({"Virtual", 21000, 29700, 300, 0, 0, 0, 0, true});
  const std::size_t boxes = plat::message_box_log().size();
  draw_target_t t;
  ASSERT_EQ(start(t, "cancelled", nullptr), 1);
  write(t, "first");
  // Cancel pressed while the page spools: the abort procedure sees it.
  const win::HWND spooling = print_cancel_dialog;
  win::PostMessageA(spooling, win::WM_COMMAND, win::IDCANCEL, 0);
  NEXT_PRINT_PAGE(t, nullptr);
  EXPECT_EQ(print_job_state, 2);
  EXPECT_FALSE(win::IsWindow(spooling));
  int ups = 0;
  write(t, "later", &ups);  // quietly refused
  EXPECT_EQ(ups, 0x50000);
  NEXT_PRINT_PAGE(t, nullptr);
  END_PRINT(t, nullptr);
  EXPECT_EQ(plat::message_box_log().size(), boxes);
  EXPECT_TRUE(files().empty());
  EXPECT_TRUE(win::IsWindowEnabled(MAIN_WINDOW()));
  // Cancel before a drawing call: that call aborts the document.
  ASSERT_EQ(start(t, "again", nullptr), 1);
  win::SendMessageA(print_cancel_dialog, win::WM_COMMAND, win::IDCANCEL, 0);
  EXPECT_EQ(print_job_state, 1);
  write(t, "now", &ups);
  EXPECT_EQ(ups, 0x50000);
  EXPECT_EQ(print_job_state, 2);
  END_PRINT(t, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_TRUE(files().empty());
}

TEST_F(Printing, FitPrintRectangle) {
  draw_target_t t;
  t.pixels_per_inch_x = t.pixels_per_inch_y = 600;
  t.pixels_per_mm_x = t.pixels_per_mm_y = 600 / 25.4F;
  const win::RECT picture{0, 0, 200, 100};
  win::RECT d{10, 10, 610, 610};
  FIT_PRINT_RECTANGLE(picture, d, t, 1, 100, 100);
  EXPECT_EQ(d.right, 610);
  EXPECT_EQ(d.bottom, 310);  // half the width
  d = {0, 0, 300, 600};
  FIT_PRINT_RECTANGLE(picture, d, t, 1, 100, 100);
  EXPECT_EQ(d.right, 300);
  EXPECT_EQ(d.bottom, 150);
  d = {0, 0, 2000, 500};
  FIT_PRINT_RECTANGLE(picture, d, t, 2, 100, 100);  // 2 x 1 inches, cut by the destination
  EXPECT_EQ(d.right, 1200);
  EXPECT_EQ(d.bottom, 500);
  FIT_PRINT_RECTANGLE(picture, d, t, 3, 0, 0);
  EXPECT_EQ(d.right, 200);
  EXPECT_EQ(d.bottom, 100);
  // No size or no resolution: the destination stays.
  d = {0, 0, 50, 50};
  FIT_PRINT_RECTANGLE(win::RECT{0, 0, 0, 100}, d, t, 1, 100, 100);
  FIT_PRINT_RECTANGLE(picture, d, t, 1, 0, 100);
  FIT_PRINT_RECTANGLE(picture, d, t, 2, 100, 0);
  FIT_PRINT_RECTANGLE(picture, d, t, 4, 100, 100);
  EXPECT_EQ(d.right, 50);
  EXPECT_EQ(d.bottom, 50);
  win::RECT r{-5, 3, 80, 120};
  CLIP_RECTANGLE(r, win::RECT{0, 5, 70, 100});
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.right, 70);
  EXPECT_EQ(r.bottom, 100);
}

}  // namespace
