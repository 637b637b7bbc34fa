#include "exec/optvalues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/stores.h"
#include "exec/optdispatch.h"

namespace {

using namespace exec;

class OptValues : public ::testing::Test {
 protected:
  void SetUp() override {
    core::reset_stores();
    std::int32_t lo = 0, hi = 100;
    core::ALLOCS("z", lo, hi);
    reset_optdispatch();
  }
  void TearDown() override {
    reset_optdispatch();
    core::reset_stores();
  }
  // Option k present with a value held in cell 50 + k.
  static void give(std::int32_t k, double v) {
    core::z(50 + k) = v;
    optval(k) = 50 + k;
  }
};

TEST_F(OptValues, AbsentBareAndValuedOptions) {
  std::int32_t k = 2;
  EXPECT_EQ(KEYVALUE(optval(k)), 0);
  EXPECT_FALSE(KWPRESENTBUTNOT0(k));
  EXPECT_EQ(OPTIONTOR8(k), 0.0);
  // Without a value, as the fourth keyword of its list.
  k = 3;
  optval(k) = -3;
  EXPECT_EQ(KEYVALUE(optval(k)), -3);
  EXPECT_TRUE(KWPRESENTBUTNOT0(k));
  EXPECT_EQ(OPTIONTOR8(k), 0.0);
  // A value of 0 is present but reads as not given.
  k = 4;
  give(k, 0.0);
  EXPECT_FALSE(KWPRESENTBUTNOT0(k));
  give(k, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(KWPRESENTBUTNOT0(k));
  EXPECT_EQ(KEYVALUE(optval(k)), 0);
  give(k, -7.25);
  EXPECT_EQ(OPTIONTOR8(k), -7.25);
  // Slot indices outside the table read as absent.
  k = 200;
  EXPECT_FALSE(KWPRESENTBUTNOT0(k));
  EXPECT_EQ(OPTIONTOR8(k), 0.0);
}

TEST_F(OptValues, KeyValueRoundsHalvesAwayFromZero) {
  const struct {
    double v;
    std::int32_t want;
  } cases[] = {{2.5, 3}, {-2.5, 0}, {0.4, 0}, {1e-300, 0}, {0.5, 1}, {7.49, 7}, {1e12, 2147483647}};
  for (const auto& c : cases) {
    give(5, c.v);
    EXPECT_EQ(KEYVALUE(optval(5)), c.want) << c.v;
  }
}

}  // namespace
