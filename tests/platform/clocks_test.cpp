#include "platform/clocks.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct VirtualClockOff {
  ~VirtualClockOff() { plat::clear_virtual_clock(); }
};

TEST(Calendar, DaysAndBreakdownAgreeAcrossEpochsAndLeapDays) {
  EXPECT_EQ(plat::days_from_civil(1970, 1, 1), 0);
  EXPECT_EQ(plat::days_from_civil(2000, 3, 1), 11017);
  EXPECT_EQ(plat::days_from_civil(1969, 12, 31), -1);
  EXPECT_EQ(plat::days_from_civil(1900, 3, 1) - plat::days_from_civil(1900, 2, 28), 1);
  EXPECT_EQ(plat::days_from_civil(2024, 3, 1) - plat::days_from_civil(2024, 2, 28), 2);

  const plat::LocalDateTime leap = plat::local_from_utc_ms(
      plat::days_from_civil(2024, 2, 29) * 86'400'000 + 23 * 3'600'000 + 59 * 60'000 + 59'999, 0);
  EXPECT_EQ(leap.values(), (std::array<int, 8>{2024, 2, 29, 0, 23, 59, 59, 999}));

  // An offset moves the local date across midnight, both ways, and before
  // 1970 too.
  const std::int64_t midnight = plat::days_from_civil(1969, 12, 31) * 86'400'000;
  EXPECT_EQ(plat::local_from_utc_ms(midnight, -60).values(),
            (std::array<int, 8>{1969, 12, 30, -60, 23, 0, 0, 0}));
  EXPECT_EQ(plat::local_from_utc_ms(midnight - 1, 90).values(),
            (std::array<int, 8>{1969, 12, 31, 90, 1, 29, 59, 999}));
}

TEST(VirtualClock, EveryReadingFollowsTheVirtualClock) {
  VirtualClockOff guard;
  const std::int64_t since_start = plat::millis_since_start();
  const plat::LocalDateTime t{2019, 12, 31, 60, 23, 59, 58, 500};
  plat::set_virtual_clock(t);
  EXPECT_TRUE(plat::virtual_clock_on());
  EXPECT_EQ(plat::local_now(), t);

  const std::int64_t c0 = plat::counter_now();
  const std::int64_t m0 = plat::millis_since_start();
  const win::DWORD k0 = win::GetTickCount();
  EXPECT_GE(m0, since_start);
  EXPECT_EQ(plat::counter_now(), c0);  // stands still until advanced

  plat::advance_virtual_clock(2'000);
  EXPECT_EQ(plat::local_now().values(), (std::array<int, 8>{2020, 1, 1, 60, 0, 0, 0, 500}));
  EXPECT_EQ(plat::counter_now() - c0, 2 * plat::counter_frequency());
  EXPECT_EQ(plat::millis_since_start() - m0, 2'000);
  EXPECT_EQ(win::GetTickCount() - k0, 2'000u);

  // Setting it again changes the date but never runs the counter back.
  plat::set_virtual_clock(plat::LocalDateTime{2001, 1, 1, 0, 0, 0, 0, 0});
  EXPECT_EQ(plat::counter_now() - c0, 2 * plat::counter_frequency());

  plat::clear_virtual_clock();
  EXPECT_FALSE(plat::virtual_clock_on());
}

TEST(RealClock, ReadingsAreSaneAndMoveForward) {
  plat::clear_virtual_clock();
  const plat::LocalDateTime t = plat::local_now();
  EXPECT_GE(t.year, 2020);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12);
  EXPECT_TRUE(t.day >= 1 && t.day <= 31);
  EXPECT_TRUE(t.hour >= 0 && t.hour < 24 && t.minute < 60 && t.second < 60);
  EXPECT_TRUE(t.millisecond >= 0 && t.millisecond < 1000);
  EXPECT_LE(std::abs(t.utc_offset_minutes), 14 * 60);

  const std::int64_t c0 = plat::counter_now();
  volatile double sink = 0;
  for (int i = 0; i < 2'000'000; ++i) sink = sink + i;
  EXPECT_GT(plat::counter_now(), c0);
  EXPECT_GT(plat::process_cpu_seconds(), 0.0);
  EXPECT_GE(plat::millis_since_start(), 0);
  EXPECT_EQ(plat::counter_frequency(), 1'000'000'000);
}

}  // namespace
