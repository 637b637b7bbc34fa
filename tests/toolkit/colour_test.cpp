// Colours and palettes, on the true-colour display and with the palette
// rules switched on.
#include "draw_testing.h"
#include "toolkit/bitmaps.h"
#include "toolkit/colours.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

win::COLORREF make(int r, int g, int b, const int* exact = nullptr, const int* high = nullptr) {
  return MAKE_COLOR(&r, &g, &b, exact, high, nullptr);
}

palette_record palette_of(int first, int count) {
  palette_record p;
  p.count = static_cast<win::WORD>(count);
  for (int i = 0; i < count; ++i)
    p.entries[i] = win::PALETTEENTRY{static_cast<win::BYTE>((first + i) & 0xFF),
                                     static_cast<win::BYTE>((first + i) >> 8), 7, 0};
  return p;
}

TEST_F(ToolkitTest, ColoursAreComposedLimitedAndDarkenedOnATrueColourDisplay) {
  EXPECT_EQ(make(300, 0, 0), 0x0000FFu);
  EXPECT_EQ(make(1, 2, 3), 0x030201u);
  EXPECT_EQ(make(-5, 256, 0), 0x00FF00u);
  const int high = 2;
  EXPECT_EQ(make(300, 0, 0, nullptr, &high), 0x020000FFu);
  EXPECT_EQ(DARKEN_COLOR(0x808080, 50), 0x404040u);
  EXPECT_EQ(DARKEN_COLOR(0x808080, 150), 0u);
  EXPECT_EQ(DARKEN_COLOR(0x0A1464, 10), 0x09125Au);
  EXPECT_EQ(PACK_COLOR(0x02123456), 0x123456u);
  EXPECT_EQ(NEAREST_COLOUR(0x123456, nullptr, nullptr), 0x123456u);
}

TEST_F(ToolkitTest, OnAPaletteDisplayNewColoursArePaletteRelativeAndAddedUpTo256) {
  tktest::make_main();
  set_palette_display(true);
  const int static_count = standard_palette.count;
  ASSERT_EQ(static_count, 20);
  // A static colour is shown as it is; another one becomes palette-relative
  // and joins the standard palette and its copy, once.
  EXPECT_EQ(make(128, 0, 0), 0x000080u);
  EXPECT_EQ(make(1, 2, 3), 0x02030201u);
  EXPECT_EQ(make(1, 2, 3), 0x02030201u);
  EXPECT_EQ(standard_palette.count, static_count + 1);
  EXPECT_EQ(saved_standard_palette.count, static_count + 1);
  const int exact = 1;
  EXPECT_EQ(make(4, 5, 6, &exact), 0x060504u);
  EXPECT_EQ(standard_palette.count, static_count + 1);
  for (int i = 0; standard_palette.count < 256; ++i) make(i, 100, 200);
  // The 257th colour is not added; it is still palette-relative.
  EXPECT_EQ(make(9, 9, 9), 0x02090909u);
  EXPECT_EQ(standard_palette.count, 256);
  const int add = 0;
  EXPECT_EQ(NEAREST_COLOUR(0x090909, nullptr, &add), 0x090909u);
  RESET_PALETTE();
  EXPECT_EQ(standard_palette.count, 256);  // the copy grew as well
  set_palette_display(false);
}

TEST_F(ToolkitTest, MergedPalettesFillFreeEntriesSkipKnownColoursAndStopAt256) {
  set_palette_display(true);
  palette_record destination = palette_of(1, 250);
  destination.entries[3] = win::PALETTEENTRY{};  // black counts as free
  palette_record source = palette_of(0x100, 10);
  source.entries[1] = destination.entries[5];  // known already
  MERGE_PALETTE(destination, source, nullptr);
  EXPECT_EQ(destination.count, 256);
  EXPECT_EQ(destination.entries[3].peGreen, 1);  // the first new colour took the free entry
  EXPECT_EQ(FIND_PALETTE_COLOR(destination.entries, 256, 0x070107), 255);
  EXPECT_EQ(FIND_PALETTE_COLOR(destination.entries, 256, 0x070108), -1);  // no room left
  EXPECT_EQ(FIND_PALETTE_COLOR(destination.entries, 256, 0), -1);
  EXPECT_EQ(FIND_PALETTE_COLOR(destination.entries, 0, 0x070001), -1);
  EXPECT_NE(destination.handle, nullptr);
  win::DeleteObject(destination.handle);
  set_palette_display(false);
}

TEST_F(ToolkitTest, PaletteBitmapsKeepTheirColoursAndTheArraysOfOtherFormatsAreRefused) {
  set_palette_display(true);
  palette_record colours = palette_of(0x30, 4);
  const std::uint8_t indices[8] = {0, 1, 2, 3, 3, 2, 1, 0};
  int ups = -1;
  const win::HBITMAP bitmap = ARRAY_TO_BITMAP(indices, 4, 2, colours, nullptr, &ups);
  ASSERT_EQ(ups, 0);
  palette_record* kept = GET_BITMAP_PALETTE(bitmap);
  ASSERT_NE(kept, nullptr);
  EXPECT_NE(kept, &colours);
  EXPECT_EQ(kept->count, 4);
  std::uint8_t back[8] = {};
  BITMAP_TO_ARRAY_I1(bitmap, back, 4, 2, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(std::vector<int>(back, back + 8), (std::vector<int>{0, 1, 2, 3, 3, 2, 1, 0}));
  const std::uint32_t pixels[1] = {0};
  EXPECT_EQ(ARRAY_TO_BITMAP_24(pixels, 1, 1, nullptr, &ups), nullptr);
  EXPECT_EQ(ups, 0x10000);
  DELETE_OBJECT(bitmap, &ups);
  EXPECT_EQ(GET_BITMAP_PALETTE(bitmap), nullptr);
  set_palette_display(false);
}

}  // namespace
