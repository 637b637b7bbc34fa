// Global-memory texts, heap failures and the interface-layer helpers.
#include <climits>
#include <cstring>
#include <string>

#include "platform/win_dialog.h"
#include "platform/win_gdi.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

win::HGLOBAL text_block(const char* text) {
  win::HGLOBAL b = GLOBAL_TEXT_ALLOC(std::strlen(text) + 1, nullptr);
  return GLOBAL_TEXT_APPEND_C(b, text, static_cast<int>(std::strlen(text)), nullptr);
}

// Reads lines into a buffer of `size` until -1; the results and texts.
std::string read_lines(win::HGLOBAL block, int size) {
  std::string out;
  int position = 0;
  char line[16];
  for (int n = 0; n != -1;) {
    n = GLOBAL_TEXT_READ_LINE(block, line, size, position, nullptr);
    out += std::to_string(n);
    if (n > 0) out += "[" + std::string(line, n) + "]";
    out += " ";
  }
  return out;
}

TEST_F(ToolkitTest, GlobalTextLinesEndAtLineFeedCarriageReturnOrTheBuffer) {
  win::HGLOBAL crlf = text_block("ab\r\ncd");
  EXPECT_EQ(read_lines(crlf, 16), "2[ab] 2[cd] 0 -1 ");
  // A bare carriage return keeps the next line's first character.
  win::HGLOBAL cr = text_block("ab\rcd\nef");
  EXPECT_EQ(read_lines(cr, 16), "2[ab] 2[cd] 2[ef] 0 -1 ");
  // A line longer than the buffer goes on in the next read.
  win::HGLOBAL longer = text_block("abcde\n");
  EXPECT_EQ(read_lines(longer, 3), "3[abc] 2[de] 0 -1 ");
  char line[4] = {'x', 'x', 'x', 'x'};
  int position = 0;
  EXPECT_EQ(GLOBAL_TEXT_READ_LINE(longer, line, 4, position, nullptr), 4);
  FREE_GLOBAL_MEMORY(crlf, nullptr);
  FREE_GLOBAL_MEMORY(cr, nullptr);
  FREE_GLOBAL_MEMORY(longer, nullptr);
}

TEST_F(ToolkitTest, AppendingGrowsTheBlockAndKeepsRoomForTheLineEnd) {
  int ups = -1;
  win::HGLOBAL b = GLOBAL_TEXT_ALLOC(4, &ups);
  EXPECT_EQ(ups, 0);
  // Exactly filling the block, then far beyond the 1024-byte step.
  const std::string two(2, 'a'), big(3000, 'b');
  b = GLOBAL_TEXT_APPEND(b, (two + "   ").c_str(), 5, 1, &ups);
  b = GLOBAL_TEXT_APPEND(b, big.c_str(), static_cast<int>(big.size()), 1, &ups);
  EXPECT_EQ(ups, 0);
  std::string all(3100, '?');
  GLOBAL_TEXT_GET(b, all.data(), static_cast<int>(all.size()), &ups);
  EXPECT_EQ(all, two + "\r\n" + big + "\r\n" + std::string(3100 - 3006, ' '));
  EXPECT_EQ(GLOBAL_TEXT_APPEND(nullptr, "x", 1, 0, nullptr), nullptr);
  FREE_GLOBAL_MEMORY(b, &ups);
  EXPECT_EQ(ups, 0);
  FREE_GLOBAL_MEMORY(b, &ups);
  EXPECT_NE(ups, 0);
  GLOBAL_TEXT_GET(b, all.data(), 4, &ups);
  EXPECT_NE(ups, 0);
}

TEST_F(ToolkitTest, AFailedAllocationReachesTheCallerOnlyInHeapMode) {
  int ups = 0;
  diagnosis_mode = 0x8001;
  EXPECT_EQ(CHECK_ALLOCATION(nullptr, &ups), 1);
  EXPECT_EQ(ups, 8);
  int here = 0;
  EXPECT_EQ(CHECK_ALLOCATION(&here, &ups), 0);
}

TEST(ToolkitDeathTest, AFailedAllocationWithoutHeapModeEndsTheProgram) {
  EXPECT_EXIT(
      {
        int ups = 0;
        diagnosis_mode = 1;
        CHECK_ALLOCATION(nullptr, &ups);
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "");
}

std::string as_text(std::int32_t value, int length = 12) {
  std::string t(length, '?');
  INTEGER_TO_TEXT(t.data(), length, value);
  return t;
}

TEST(ToolkitHelpersTest, IntegersAsTextIncludingTheExtremes) {
  EXPECT_EQ(as_text(-120), "-120        ");
  EXPECT_EQ(as_text(0), "0           ");
  EXPECT_EQ(as_text(1000000000), "1000000000  ");
  EXPECT_EQ(as_text(INT_MAX), "2147483647  ");
  EXPECT_EQ(as_text(INT_MIN), "-2147483648 ");
  EXPECT_EQ(as_text(-7, 1), "-");
}

TEST(ToolkitHelpersTest, DaysBetweenDatesAcrossMonthsYearsAndLeapRules) {
  EXPECT_EQ(DAYS_BETWEEN({2000, 2, 28}, {2000, 3, 1}), 2);
  EXPECT_EQ(DAYS_BETWEEN({1900, 2, 28}, {1900, 3, 1}), 1);
  EXPECT_EQ(DAYS_BETWEEN({2004, 2, 28}, {2004, 3, 1}), 2);
  EXPECT_EQ(DAYS_BETWEEN({1999, 12, 31}, {2000, 1, 1}), 1);
  EXPECT_EQ(DAYS_BETWEEN({2000, 1, 1}, {1999, 12, 31}), -1);
  EXPECT_EQ(DAYS_BETWEEN({1999, 1, 1}, {2001, 1, 1}), 731);
  EXPECT_EQ(DAY_OF_YEAR({2023, 12, 31}), 365);
  EXPECT_EQ(SAME_DATE({2000, 1, 2}, {2000, 1, 2}), -1);
  EXPECT_EQ(SAME_DATE({2000, 1, 2}, {2000, 2, 1}), 0);
}

TEST(ToolkitHelpersTest, PaddedTextsAndCStrings) {
  char ab[4] = {'A', 'B', ' ', ' '};
  EXPECT_EQ(TERMINATE_TRIMMED(ab, 4), '\0');
  EXPECT_EQ(std::string(ab), "AB");
  char full[3] = {'x', 'y', 'z'};
  EXPECT_EQ(TERMINATE_TRIMMED(full, 3), 'z');
  EXPECT_EQ(std::string(full), "xy");
  PAD_FROM_NUL(ab, 4);
  EXPECT_EQ(std::string(ab, 4), "AB  ");
  c_string_t c;
  TO_C_STRING("hello   ", 8, c);
  EXPECT_EQ(std::string(c.text), "hello");
  EXPECT_EQ(c.length, 5);
  EXPECT_EQ(c.allocated, -1);
  FREE_C_STRING(c);
  char word[6] = {'a', 'B', 'z', ' ', 'q', ' '};
  UPPER_CASE(word, 6);
  EXPECT_EQ(std::string(word, 6), "ABZ Q ");
  LOWER_CASE(word, 6);
  EXPECT_EQ(std::string(word, 6), "abz q ");
  char dst[4];
  COPY_C_STRING(dst, "abcdef", 4);
  EXPECT_EQ(std::string(dst), "abc");
  EXPECT_EQ(COMPARE_BYTES("\x80", "\x10", 1), 1);
  EXPECT_EQ(HIGH_WORD(static_cast<std::int32_t>(0xABCD1234)), 0xABCD);
  EXPECT_EQ(LOW_WORD(static_cast<std::int32_t>(0xABCD1234)), 0x1234);
  EXPECT_EQ(ALIGN_4(13), 16u);
  EXPECT_EQ(ALIGN_4(16), 16u);
}

TEST_F(ToolkitTest, DialogUnitsFromTheSystemAndRefusedForAFontWithoutMetrics) {
  const win::LONG units = win::GetDialogBaseUnits();
  const int bw = LOW_WORD(units), bh = HIGH_WORD(units);
  int x = 10 * bw, y = 3 * bh, width = 80, height = 32, ups = -1;
  TO_DIALOG_UNITS(nullptr, nullptr, &x, &y, &width, &height, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 24);
  EXPECT_EQ(width, 80 * 4 / bw);
  EXPECT_EQ(height, 32 * 8 / bh);
  FROM_DIALOG_UNITS(nullptr, nullptr, &x, &y, nullptr, nullptr, &ups);
  EXPECT_EQ(x, 10 * bw);
  EXPECT_EQ(y, 3 * bh);
  const win::HFONT no_font = win::handle_from<win::HFONT>(0x7FFFFF);
  TO_DIALOG_UNITS(nullptr, &no_font, &x, nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(x, 10 * bw);
}

}  // namespace
