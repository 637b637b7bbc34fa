#include "core/datetime.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/clocks.h"

namespace {

struct VirtualClockOff {
  ~VirtualClockOff() { plat::clear_virtual_clock(); }
};

float code_of(std::string_view text) {
  float code = -1.0f;
  core::TIMECODEFROMTEXT(code, text);
  return code;
}

std::string label_of(float code, std::size_t n = 8) {
  std::string out(n, '?');
  core::DATETIMELABEL(code, out);
  return out;
}

float number_of(float code) {
  float x = -1.0f;
  core::TIMECODETONUMBER(code, x);
  return x;
}

float code_of_number(float x) {
  float code = -1.0f;
  core::TIMECODEFROMNUMBER(x, code);
  return code;
}

std::string two(int v) {
  char buf[12];  // (room for any int the compiler must allow for)
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

TEST(Timecode, UndatedCodesOfTextLabelAndNumber) {
  // 7 January 15:30.
  EXPECT_EQ(code_of("01071530"), 9570.0f);
  EXPECT_EQ(label_of(9570.0f), "01071530");
  EXPECT_FLOAT_EQ(number_of(9570.0f), 7.01f);

  // Code 0 is 1 January 00:00; codes past the year end at 31 December 23:59.
  EXPECT_EQ(label_of(0.0f), "01010000");
  EXPECT_FLOAT_EQ(number_of(0.0f), 1.01f);
  EXPECT_EQ(label_of(600000.0f), "12312359");
  EXPECT_FLOAT_EQ(number_of(600000.0f), 31.12f);
  EXPECT_EQ(label_of(std::numeric_limits<float>::infinity()), "12312359");
  EXPECT_EQ(code_of("12312359"), 525599.0f);
}

TEST(Timecode, MinutesAcrossTheYearComeBackAsTheirText) {
  // Every seventh minute of each day, shifted by one each day so that a week
  // covers every minute of the day; every minute of 31 December, where the
  // 32-bit code is coarsest.
  static constexpr std::array<int, 12> lengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int dayofyear = 0;
  int checked = 0;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= lengths[static_cast<std::size_t>(month - 1)]; ++day, ++dayofyear) {
      for (int minute = 0; minute < 1440; ++minute) {
        if (dayofyear < 364 && (minute - dayofyear % 7 + 7) % 7 != 0) continue;
        const std::string text = two(month) + two(day) + two(minute / 60) + two(minute % 60);
        const float code = code_of(text);
        ASSERT_EQ(code, static_cast<float>(dayofyear * 1440 + minute)) << text;
        ASSERT_EQ(label_of(code), text);
        ASSERT_FLOAT_EQ(number_of(code), static_cast<float>(day) + 0.01f * month) << text;
        ++checked;
      }
    }
  }
  EXPECT_EQ(dayofyear, 365);
  EXPECT_GT(checked, 364 * 205);
}

TEST(Timecode, DatedCodesOfTextLabelAndNumber) {
  const float jan7 = code_of("20190107");
  EXPECT_EQ(jan7, static_cast<float>((2019 - 2700) * 365 + 7));
  EXPECT_EQ(label_of(jan7), "20190107");
  EXPECT_EQ(number_of(jan7), 19.0f);

  // The last day of a year is a whole number of years from the base: it is
  // still 31 December of that year, not day 0 of the next January.
  const float dec31 = code_of("20191231");
  EXPECT_EQ(dec31, static_cast<float>((2020 - 2700) * 365));
  EXPECT_EQ(label_of(dec31), "20191231");
  EXPECT_EQ(number_of(dec31), 19.0f);
  EXPECT_EQ(label_of(code_of("19991231")), "19991231");
  EXPECT_EQ(label_of(code_of("20000101")), "20000101");
}

TEST(Timecode, EveryDayOfTwoCenturiesComesBackAsItsText) {
  static constexpr std::array<int, 12> lengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int year = 1900; year <= 2100; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= lengths[static_cast<std::size_t>(month - 1)]; ++day) {
        const std::string text = two(year / 100) + two(year % 100) + two(month) + two(day);
        const float code = code_of(text);
        ASSERT_LT(code, 0.0f) << text;
        ASSERT_EQ(label_of(code), text);
        ASSERT_EQ(number_of(code), static_cast<float>(year % 100)) << text;
      }
    }
  }
}

TEST(Timecode, TextFieldsIgnoreBlanksAndFailAsZero) {
  EXPECT_EQ(code_of(" 1 71530"), 9570.0f);
  EXPECT_EQ(code_of("1 7 1530"), 9570.0f);
  EXPECT_EQ(code_of("0107"), 8640.0f);               // short text padded with blanks
  EXPECT_EQ(code_of("01071530 trailing"), 9570.0f);  // only eight characters count
  EXPECT_EQ(code_of("+1+71530"), 9570.0f);

  EXPECT_EQ(code_of("ab071530"), 0.0f);
  EXPECT_EQ(code_of("1-071530"), 0.0f);
  EXPECT_EQ(code_of("+ 071530"), 0.0f);
  EXPECT_EQ(code_of("01.71530"), 0.0f);

  // Months the table does not hold give 0 instead of reading past it.
  EXPECT_EQ(code_of("-1071530"), 0.0f);
  EXPECT_EQ(code_of("20191401"), 0.0f);
  EXPECT_EQ(code_of("2019-101"), 0.0f);
  EXPECT_EQ(code_of("20191301"), static_cast<float>((2020 - 2700) * 365 + 1));
}

TEST(Timecode, NumbersAreDayMonthOrMonthYear) {
  EXPECT_EQ(code_of_number(7.01f), 8640.0f);
  EXPECT_EQ(code_of_number(31.12f), code_of("12310000"));
  EXPECT_EQ(code_of_number(3.85f), code_of("19850301"));
  EXPECT_EQ(label_of(code_of_number(3.85f)), "19850301");
  EXPECT_EQ(code_of_number(12.99f), code_of("19991201"));
  EXPECT_EQ(code_of_number(1.995f), code_of("20000101"));  // 99.5 rounds up to 100

  // Month numbers outside the table, and numbers that are no numbers, give 0.
  EXPECT_EQ(code_of_number(-7.01f), 0.0f);
  EXPECT_EQ(code_of_number(14.85f), 0.0f);
  EXPECT_EQ(code_of_number(std::numeric_limits<float>::quiet_NaN()), 0.0f);
  EXPECT_EQ(code_of_number(3.0e30f), 0.0f);
}

TEST(Timecode, LabelsThatDoNotFitAndShortTexts) {
  // Years before 0 have no two-digit century; a NaN has no year at all.
  EXPECT_EQ(label_of(-1.0e30f), "********");
  EXPECT_EQ(label_of(-985600.0f), "********");  // before year 0
  EXPECT_EQ(label_of(std::numeric_limits<float>::quiet_NaN()), "********");
  EXPECT_EQ(number_of(std::numeric_limits<float>::quiet_NaN()), 0.0f);
  EXPECT_EQ(number_of(-1.0e30f), 0.0f);

  EXPECT_EQ(label_of(9570.0f, 10), "01071530  ");
  EXPECT_EQ(label_of(9570.0f, 4), "0107");
  EXPECT_EQ(label_of(9570.0f, 0), "");
}

TEST(ClockReadings, SecondsOfDayAndStampFollowTheClock) {
  VirtualClockOff guard;
  plat::set_virtual_clock({2019, 1, 7, 60, 12, 0, 0, 500});
  float t = 0.0f;
  core::SECONDSOFDAY(t);
  EXPECT_EQ(t, 43200.5f);

  plat::set_virtual_clock({2019, 1, 7, 60, 23, 59, 59, 999});
  core::SECONDSOFDAY(t);
  EXPECT_FLOAT_EQ(t, 86399.999f);

  plat::set_virtual_clock({2005, 11, 9, 0, 13, 45, 30, 257});
  std::string stamp(14, '?');
  core::YMDHMSH(stamp);
  EXPECT_EQ(stamp, "05110913453025");
  std::string longer(17, '?');
  core::YMDHMSH(longer);
  EXPECT_EQ(longer, "05110913453025   ");
  std::string shorter(6, '?');
  core::YMDHMSH(shorter);
  EXPECT_EQ(shorter, "051109");
}

TEST(DayNumber, DaysSinceTheEndOf1899WithTheTimeAsFraction) {
  EXPECT_EQ(core::excel_day_number(1899, 12, 30, 0, 0, 0, 0), 0.0);
  EXPECT_EQ(core::excel_day_number(1899, 12, 31, 0, 0, 0, 0), 1.0);
  EXPECT_EQ(core::excel_day_number(1900, 1, 1, 0, 0, 0, 0), 2.0);
  EXPECT_EQ(core::excel_day_number(1900, 3, 1, 0, 0, 0, 0), 61.0);  // 1900 has no 29 February
  EXPECT_EQ(core::excel_day_number(2000, 1, 1, 0, 0, 0, 0), 36526.0);
  EXPECT_EQ(core::excel_day_number(2000, 3, 1, 0, 0, 0, 0) -
                core::excel_day_number(2000, 2, 28, 0, 0, 0, 0),
            2.0);
  EXPECT_EQ(core::excel_day_number(2019, 1, 7, 0, 0, 0, 0), 43472.0);

  EXPECT_DOUBLE_EQ(core::excel_day_number(2000, 1, 1, 0, 0, 90, 0), 36526.0 + 90.0 / 86400.0);
  EXPECT_DOUBLE_EQ(core::excel_day_number(2000, 1, 1, 6, 30, 15, 500),
                   36526.0 + (6 * 3600 + 30 * 60 + 15.5) / 86400.0);

  // Months and days out of range carry.
  EXPECT_EQ(core::excel_day_number(2000, 13, 1, 0, 0, 0, 0),
            core::excel_day_number(2001, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(core::excel_day_number(2000, 0, 1, 0, 0, 0, 0),
            core::excel_day_number(1999, 12, 1, 0, 0, 0, 0));
  EXPECT_EQ(core::excel_day_number(2000, 3, 0, 0, 0, 0, 0),
            core::excel_day_number(2000, 2, 29, 0, 0, 0, 0));
  EXPECT_TRUE(std::isfinite(core::excel_day_number(2147483647, 2147483647, 1, 0, 0, 0, 0)));
}

TEST(DayNumber, ClockValuesLeaveTheOffsetOut) {
  const std::array<std::int32_t, 8> values = {2019, 1, 7, 60, 18, 0, 0, 0};
  EXPECT_DOUBLE_EQ(core::F90TIMETOEXCEL(values), 43472.75);
  const std::array<std::int32_t, 8> other_zone = {2019, 1, 7, -300, 18, 0, 0, 0};
  EXPECT_EQ(core::F90TIMETOEXCEL(other_zone), core::F90TIMETOEXCEL(values));
  EXPECT_DOUBLE_EQ(core::F90TIMETOEXCEL(plat::LocalDateTime{2000, 1, 1, 0, 0, 0, 0, 500}.values()),
                   36526.0 + 0.5 / 86400.0);
}

}  // namespace
