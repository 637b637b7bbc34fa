#include "platform/charcase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CharCase, AsciiAndCodePageLettersFoldBothWays) {
  std::string s = "abcXYZ09 \xE4\xF6\xFC\xC4\x9A\x8A\x9C\x9E\xFF\xE0\xFE";
  EXPECT_EQ(win::CharUpperBuffA(s.data(), static_cast<win::DWORD>(s.size())), s.size());
  EXPECT_EQ(s, "ABCXYZ09 \xC4\xD6\xDC\xC4\x8A\x8A\x8C\x8E\x9F\xC0\xDE");
  EXPECT_EQ(win::CharLowerBuffA(s.data(), static_cast<win::DWORD>(s.size())), s.size());
  EXPECT_EQ(s, "abcxyz09 \xE4\xF6\xFC\xE4\x9A\x9A\x9C\x9E\xFF\xE0\xFE");
}

TEST(CharCase, LettersWithoutPartnerAndSignsStay) {
  // Multiplication and division signs, sharp s, micro, f with hook, ordinal
  // indicators, and the non-letters next to the folding ranges.
  for (int c : {0xD7, 0xF7, 0xDF, 0xB5, 0x83, 0xAA, 0xBA, 0x40, 0x5B, 0x60, 0x7B, 0x8B, 0x9B, 0x9D,
                0x8D, 0xBF}) {
    const auto u = static_cast<unsigned char>(c);
    EXPECT_EQ(plat::upper1252(u), u) << c;
    EXPECT_EQ(plat::lower1252(u), u) << c;
  }
}

TEST(CharCase, TablesAreInverseOnEveryFoldedLetter) {
  int folded = 0;
  for (int c = 0; c < 256; ++c) {
    const auto u = static_cast<unsigned char>(c);
    const unsigned char up = plat::upper1252(u);
    if (up != u) {
      ++folded;
      EXPECT_EQ(plat::lower1252(up), u) << c;
      EXPECT_EQ(plat::upper1252(up), up) << c;
    }
  }
  // 26 ASCII, 3 of 0x9A-0x9E, 0xFF, 30 of 0xE0-0xFE.
  EXPECT_EQ(folded, 60);
}

TEST(CharCase, CountLimitsTheFoldAndNullFoldsNothing) {
  std::string s = "abcd";
  EXPECT_EQ(win::CharUpperBuffA(s.data(), 2), 2u);
  EXPECT_EQ(s, "ABcd");
  EXPECT_EQ(win::CharLowerBuffA(nullptr, 5), 0u);
}

}  // namespace
