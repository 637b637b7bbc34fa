// Fonts defined by name and size, the target's font, the font query and
// the font dialog.
#include "draw_testing.h"
#include "platform/win_dialog_testing.h"
#include "platform/win_commdlg.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/fonts.h"

namespace {

using namespace toolkit;

win::HFONT stock(int index) { return reinterpret_cast<win::HFONT>(win::GetStockObject(index)); }
using tktest::ToolkitTest;

win::LOGFONTA logical(win::HFONT font) {
  win::LOGFONTA lf{};
  win::GetObjectA(font, sizeof lf, &lf);
  return lf;
}

TEST_F(ToolkitTest, DefinedFontsTakeTheirHeightFromPointsAndStockNamesOnlyAsWritten) {
  int ups = -1;
  const win::HFONT twelve = C_DEFINE_FONT("Arial  ", 7, 0, 12, 0, 0, 1, 0, 450, nullptr, 4, &ups);
  const win::LOGFONTA lf = logical(twelve);
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWidth, 24);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfEscapement, 450);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  // A stock value wins over a face.
  EXPECT_EQ(C_DEFINE_FONT("Arial", 5, win::ANSI_VAR_FONT, 12, 0, 0, 0, 0, 0, nullptr, 0, &ups),
            stock(win::ANSI_VAR_FONT));
  const char upper[] = "SYSTEM_FONT", lower[] = "system_font";
  EXPECT_EQ(DEFINE_FONT(nullptr, upper, 11, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr, &ups),
            stock(win::SYSTEM_FONT));
  const float angle = 12.35F;
  const win::HFONT face = DEFINE_FONT(nullptr, lower, 11, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, &angle, nullptr, &ups);
  EXPECT_NE(face, stock(win::SYSTEM_FONT));
  EXPECT_STREQ(logical(face).lfFaceName, "system_font");
  EXPECT_EQ(logical(face).lfHeight, -13);  // 10 points
  EXPECT_EQ(logical(face).lfEscapement, 124);
}

TEST_F(ToolkitTest, NewFontTakesStockNamesInAnyCaseAndGetFontDataReadsItBack) {
  tktest::make_main();
  const win::HBITMAP bitmap = CREATE_BITMAP(50, 50, nullptr, nullptr);
  draw_target_t t;
  int ups = -1;
  START_BITMAP_DRAW(&bitmap, nullptr, nullptr, t, &ups);
  const char lower[] = "system_font";
  NEW_FONT(t, lower, 11, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(logical(t.font).lfHeight, logical(stock(win::SYSTEM_FONT)).lfHeight);
  const char face[] = "Courier New";
  const int points = 12, bold = 1, italic = 1;
  const float angle = 90.0F;
  NEW_FONT(t, face, 11, &points, &italic, nullptr, nullptr, &bold, &angle, nullptr, &ups);
  char name[40];
  int got_points = 0, got_italic = 0, got_bold = 0;
  float got_angle = 0;
  GET_FONT_DATA(nullptr, &t, name, sizeof name, &got_points, &got_italic, nullptr, nullptr,
                &got_bold, &got_angle, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(std::string(name, 12), "Courier New ");
  EXPECT_EQ(got_points, 12);
  EXPECT_EQ(got_italic, 1);
  EXPECT_EQ(got_bold, 1);
  EXPECT_FLOAT_EQ(got_angle, 90.0F);
  // Without a name only what is given changes.
  const int no = 0;
  NEW_FONT(t, nullptr, 0, nullptr, nullptr, nullptr, nullptr, &no, nullptr, nullptr, &ups);
  EXPECT_EQ(logical(t.font).lfWeight, 400);
  EXPECT_EQ(logical(t.font).lfItalic, 1);
  // Bold is a weight above 600.
  win::LOGFONTA lf = logical(t.font);
  lf.lfWeight = 600;
  const win::HFONT six = win::CreateFontIndirectA(&lf);
  GET_FONT_DATA(&six, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, &got_bold, nullptr,
                &ups);
  EXPECT_EQ(got_bold, 0);
  win::DeleteObject(six);
  END_BITMAP_DRAW(t, &ups);
}

TEST_F(ToolkitTest, TheFontDialogShowsTheTitleAndReturnsTheChoiceAndItsColour) {
  const win::HWND main = tktest::make_main();
  plat::push_dialog_answer({true, {{"Size", "12"}, {"Font style", "Bold"}, {"Colour", "Red"}}});
  win::COLORREF colour = 0;
  const char title[] = "Axis font   ";
  int ups = -1;
  const win::HFONT font =
      CHOOSE_FONT(&main, &colour, nullptr, nullptr, title, sizeof title - 1, nullptr, &ups);
  ASSERT_NE(font, nullptr);
  ASSERT_FALSE(plat::common_dialog_log().empty());
  EXPECT_EQ(plat::common_dialog_log().back().title, "Axis font");
  EXPECT_EQ(colour, 0x0000FFu);
  EXPECT_EQ(logical(font).lfHeight, -16);
  EXPECT_EQ(logical(font).lfWeight, 700);
  // Nothing typed: cancelled, no status.
  EXPECT_EQ(CHOOSE_FONT(&main, nullptr, nullptr, nullptr, nullptr, 0, nullptr, &ups), nullptr);
  EXPECT_EQ(ups, 0);
}

}  // namespace
