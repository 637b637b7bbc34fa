// The font slots: what SETFONT counts as a change and makes anew, the font
// options of a statement (weights, a slot by number, the font dialog and
// what it writes back), the start rotation of slots 5 and 7, item texts,
// and sizes read as pixels, fractions or cells.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/stores.h"
#include "platform/win_commdlg.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot_fixture.h"
#include "support/stores_fixture.h"

namespace {

using plottest::PlotTest;

class FontTest : public PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    storetest::setup();
    storetest::addspecials();
    plat::reset_common_dialogs();
  }
  void TearDown() override {
    plat::reset_common_dialogs();
    PlotTest::TearDown();
  }
  // A numeric variable holding the value.
  static std::int32_t number(std::string_view name, double value) {
    const std::int32_t k = storetest::addsym(name, 0x80);
    core::z(k) = value;
    return k;
  }
};

win::LONG escapement(win::HFONT f) {
  win::LOGFONTA lf{};
  win::GetObjectA(f, sizeof lf, &lf);
  return lf.lfEscapement;
}

TEST_F(FontTest, SetFontCountsWhatChangedAndMakesTheFontOnlyThen) {
  plot::SETFONT(4, "Courier new", 10, 0, 0, 400, 0);
  const win::HFONT first = plot::fontslots(4).font;
  ASSERT_NE(first, nullptr);
  plot::SETFONT(4, "COURIER NEW", 10, 0, 0, 400, 0);  // the same, in other letters
  EXPECT_EQ(plot::lastfontchange, 0);
  EXPECT_EQ(plot::fontslots(4).font, first);
  plot::SETFONT(4, "", 0, 0, 0, 400, 0);  // blank face and no size: counted, kept
  EXPECT_EQ(plot::lastfontchange, 1 + 2);
  EXPECT_EQ(plot::fontslots(4).face.trimmed(), "Courier new");
  EXPECT_EQ(plot::fontslots(4).points, 10);
  plot::SETFONT(4, "Arial", 12, 30, 1, 700, 1);
  EXPECT_EQ(plot::lastfontchange, 1 + 2 + 4 + 8 + 16 + 32);
  EXPECT_EQ(plot::fontslots(4).points, 12);
  EXPECT_GT(plot::fontslots(4).cellheight, 0);
}

TEST_F(FontTest, TheGraphicsFontStandsUprightAndItsTurnedTwinIsMadeWithIt) {
  // Slot 5 starts at 90 degrees; its own font is upright all the same, and
  // slot 9 turned.
  EXPECT_EQ(plot::fontslots(5).angle, 90.0F);
  plot::SETFONT(5, "Arial", 10, 90, 0, 400, 0);
  ASSERT_NE(plot::fontslots(5).font, nullptr);
  ASSERT_NE(plot::fontslots(9).font, nullptr);
  EXPECT_EQ(escapement(plot::fontslots(5).font), 0);
  EXPECT_EQ(escapement(plot::fontslots(9).font), 900);
  EXPECT_EQ(plot::graphicstextheight, plot::fontslots(5).cellheight);
  // The printer's slot: the statement's options start it upright; a
  // ROTate turns it.
  EXPECT_EQ(plot::SETFONTPTROULBOITST(7, 0, 0, 0, 0, 0, 0, 0), 7);
  EXPECT_EQ(plot::fontslots(7).angle, 0.0F);
  EXPECT_EQ(escapement(plot::fontslots(7).font), 0);
  const std::int32_t rot = number("ROT", 90);
  EXPECT_EQ(plot::SETFONTPTROULBOITST(7, 0, 0, rot, 0, 0, 0, 0), 7);
  EXPECT_EQ(plot::fontslots(7).angle, 90.0F);
  EXPECT_EQ(escapement(plot::fontslots(7).font), 900);
  // Once made, a slot keeps the rotation it was given.
  EXPECT_EQ(plot::SETFONTPTROULBOITST(7, 0, 0, 0, 0, 0, 0, 0), 7);
  EXPECT_EQ(plot::fontslots(7).angle, 90.0F);
}

TEST_F(FontTest, BoldReadsOneAndZeroAsOnAndOffAndOtherValuesAsTheWeight) {
  for (const auto& [value, weight] : {std::pair{1.0, 700}, {0.0, 400}, {600.0, 600}}) {
    const std::int32_t bold = number("B" + std::to_string(weight), value);
    ASSERT_EQ(plot::SETFONTPTROULBOITST(4, 0, 0, 0, 0, bold, 0, 0), 4);
    EXPECT_EQ(plot::fontslots(4).weight, weight) << value;
  }
  ASSERT_EQ(plot::SETFONTPTROULBOITST(4, 0, 0, 0, 0, -1, -1, 0), 4);  // without values: on
  EXPECT_EQ(plot::fontslots(4).weight, 700);
  EXPECT_EQ(plot::fontslots(4).italic, 1);
  // A slot by number takes that slot's face and size.
  plot::SETFONT(3, "Arial", 11, 0, 0, 400, 0);
  const std::int32_t three = number("THREE", 3);
  EXPECT_EQ(plot::SETFONTPTROULBOITST(4, three, 0, 0, 0, 0, 0, 0), 3);
  EXPECT_TRUE(plat::common_dialog_log().empty());
}

TEST_F(FontTest, AFontNumberWithoutASlotAsksForSlotSixAndCancelWritesNothing) {
  const std::int32_t font = number("FNR", 12);
  const std::int32_t points = number("PT", 0);
  plot::fontdialogtitle.set("Choose font");
  plat::push_dialog_answer({false, {}});
  const std::int32_t before = plot::fontslots(6).points;
  EXPECT_EQ(plot::SETFONTPTROULBOITST(2, font, points, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(plat::common_dialog_log().size(), 1u);
  EXPECT_EQ(plat::common_dialog_log()[0].outcome, "Cancel");
  EXPECT_EQ(core::z(points), 0.0);
  EXPECT_EQ(core::z(font), 12.0);
  EXPECT_EQ(plot::fontslots(6).points, before);
  EXPECT_EQ(plot::fontslots(6).font, nullptr);
  // Chosen: slot 6 takes it and the variables hear of it.
  plat::push_dialog_answer({true, {{"Size", "14"}, {"Font style", "Bold"}}});
  core::z(points) = 1.0;  // in cells: the window's one row
  EXPECT_EQ(plot::SETFONTPTROULBOITST(2, font, points, 0, 0, 0, 0, 0), 6);
  EXPECT_EQ(plot::fontslots(6).points, 14);
  EXPECT_EQ(core::z(points), 14.0);
}

TEST_F(FontTest, ABlankFaceVariableAsksAndReceivesTheChosenFace) {
  const std::int32_t face = storetest::addcharvar("FACE", "                    ");
  const std::int32_t weight = number("W", 0);
  plat::push_dialog_answer({true, {{"Font", "Courier New"}, {"Font style", "Bold"}}});
  EXPECT_EQ(plot::SETFONTPTROULBOITST(4, face, 0, 0, 0, weight, 0, 0), 4);
  EXPECT_EQ(storetest::textof(face).substr(0, 11), "Courier New");
  EXPECT_EQ(core::z(weight), 700.0);
  EXPECT_EQ(plot::fontslots(4).face.trimmed(), "Courier New");
}

TEST_F(FontTest, AnItemTextNamesFaceSizeAndStyle) {
  plot::SETFONTPTULBO("Courier new,P=10,Bold", 21, 6);
  EXPECT_EQ(plot::fontslots(6).face.trimmed(), "Courier new");
  EXPECT_EQ(plot::fontslots(6).points, 10);
  EXPECT_EQ(plot::fontslots(6).weight, 700);
  plot::SETFONTPTULBO("Arial", 5, 6);  // a bare face keeps the size
  EXPECT_EQ(plot::fontslots(6).face.trimmed(), "Arial");
  EXPECT_EQ(plot::fontslots(6).points, 10);
  EXPECT_EQ(plot::fontslots(6).weight, 0);
  // An unknown face still gives a font.
  plot::SETFONTPTULBO("No such face at all,P=9", 23, 6);
  EXPECT_NE(plot::fontslots(6).font, nullptr);
}

TEST(FontSizes, PixelsFractionsAndUnitsSaturate) {
  EXPECT_EQ(plot::PXLSFROMR8(-12.4, 8, 600), 12);
  EXPECT_EQ(plot::PXLSFROMR8(0.5, 8, 600), 300);
  EXPECT_EQ(plot::PXLSFROMR8(0.9999999, 8, 600), 599);
  EXPECT_EQ(plot::PXLSFROMR8(10.9, 8, 600), 87);
  EXPECT_EQ(plot::PXLSFROMR8(-1.0e300, 8, 600), 2147483647);
  EXPECT_EQ(plot::PXLSFROMR8(1.0e300, 8, 600), 2147483647);
  EXPECT_EQ(plot::PXLSFROMR8(1.0e300, -8, 600), -2147483647);
  EXPECT_EQ(plot::PXLSFROMR8(std::nan(""), 8, 600), 0);
}

}  // namespace
