#include <gtest/gtest.h>

#include "platform/win_types.h"

TEST(WinTypes, ColourPacksRedLowGreenMiddleBlueHigh) {
  const win::COLORREF c = win::RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x563412u);
  EXPECT_EQ(win::GetRValue(c), 0x12);
  EXPECT_EQ(win::GetGValue(c), 0x34);
  EXPECT_EQ(win::GetBValue(c), 0x56);
  EXPECT_EQ(win::LOWORD(0x12345678u), 0x5678);
  EXPECT_EQ(win::HIWORD(0x12345678u), 0x1234);
}
