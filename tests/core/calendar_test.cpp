#include <gtest/gtest.h>

#include <cstdint>

#include "core/datetime.h"
#include "platform/clocks.h"

namespace {

// Day number of 1 January 1970, where the platform's day count starts.
constexpr std::int64_t unixepoch = 2440588;

TEST(Calendar, EveryDayFromYear1To9999GoesBothWays) {
  std::int32_t d = 0, m = 0, y = 0;
  std::int32_t n = 1721426;
  core::CALENDAR(4, d, m, y, n);
  EXPECT_EQ(d * 10000 + m * 100 + y, 10101);
  for (n = 1721426; n <= 5373484; ++n) {
    core::CALENDAR(4, d, m, y, n);
    // Against the platform's own calendar arithmetic.
    ASSERT_EQ(plat::days_from_civil(y, m, d) + unixepoch, n) << y << "-" << m << "-" << d;
    std::int32_t back = 0;
    core::CALENDAR(3, d, m, y, back);
    ASSERT_EQ(back, n);
  }
  EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
}

TEST(Calendar, FixedDaysAndTheYearBeforeOne) {
  std::int32_t d = 15, m = 10, y = 1582, n = 0;
  core::CALENDAR(3, d, m, y, n);
  EXPECT_EQ(n, 2299161);
  n = 1721425;
  core::CALENDAR(4, d, m, y, n);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(core::day_number(-1, 12, 31), 1721425);
  EXPECT_EQ(core::day_number(0, 1, 1), 1721426);                // no year 0: taken as 1
  EXPECT_EQ(core::date_of_day_number(1721425 - 366).year, -2);  // -1 is a leap year
  // Far days keep to 64 bits.
  const core::CalendarDate far = core::date_of_day_number(2147483647LL + 2415019);
  EXPECT_EQ(far.year * 10000 + far.month * 100 + far.day, 58815100710LL);
}

}  // namespace
