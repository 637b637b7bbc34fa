#include "platform/fpu.h"

#include <gtest/gtest.h>

namespace {

// volatile so that the operations happen at run time.
volatile double zero = 0.0;
volatile double one = 1.0;
volatile double huge = 1e308;

TEST(FpuStatus, ZeroDivideAndOverflowAreReportedOnceThenCleared) {
  plat::fpu_mask_all();
  plat::fpu_take_status();

  volatile double r = one / zero;
  (void)r;
  EXPECT_EQ(plat::fpu_take_status(), plat::fpu_zerodivide);
  EXPECT_EQ(plat::fpu_take_status(), 0);

  r = huge * huge;
  EXPECT_EQ(plat::fpu_take_status(), plat::fpu_overflow);

  r = one / zero;
  r = huge * huge;
  EXPECT_EQ(plat::fpu_take_status(), plat::fpu_zerodivide | plat::fpu_overflow);
}

TEST(FpuStatus, ExtendedPrecisionFlagsAreReportedToo) {
  plat::fpu_take_status();
  volatile long double lzero = 0.0L;
  volatile long double lhuge = 1e4000L;
  volatile long double r = 1.0L / lzero;
  EXPECT_EQ(plat::fpu_take_status(), plat::fpu_zerodivide);
  r = lhuge * lhuge;
  (void)r;
  EXPECT_EQ(plat::fpu_take_status(), plat::fpu_overflow);
  EXPECT_EQ(plat::fpu_take_status(), 0);
}

TEST(FpuStatus, OtherExceptionsAreClearedButNotReported) {
  plat::fpu_take_status();
  volatile double r = zero / zero;  // invalid
  r = one / 3.0;                    // inexact
  (void)r;
  EXPECT_EQ(plat::fpu_take_status(), 0);
}

}  // namespace
