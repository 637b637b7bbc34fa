#include "exec/operators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/runwords.h"
#include "core/stores.h"
#include "exec/eval_fixture.h"
#include "exec/xeq2.h"

namespace {

using namespace exec;
using core::z;

std::int16_t op(unsigned code) { return static_cast<std::int16_t>(code); }

class Operators : public ::testing::Test {
 protected:
  void SetUp() override {
    evaltest::setup();
    evaltest::statement();
    // Result cells well above the variables the tests add.
    core::iresult = res = 200;
  }
  // a op b through XEQ2BIN on two fresh variables.
  double bin(double a, unsigned code, double b) {
    const std::int32_t x = evaltest::number("a", a), y = evaltest::number("b", b);
    EXPECT_EQ(XEQ2BIN(res, x, op(code), y), 0);
    return z(res);
  }
  double una(unsigned code, double a) {
    const std::int32_t x = evaltest::number("a", a);
    EXPECT_EQ(XEQ2UNA(res, x, op(code)), 0);
    return z(res);
  }
  std::int32_t res = 0;
};

TEST_F(Operators, ArithmeticAndPower) {
  EXPECT_EQ(bin(2, xop::plus, 3), 5.0);
  EXPECT_EQ(bin(2, xop::minus, 3), -1.0);
  EXPECT_EQ(bin(2, xop::times, 3), 6.0);
  EXPECT_EQ(bin(3, xop::divide, 2), 1.5);
  EXPECT_EQ(bin(2, xop::power, 10), 1024.0);
  EXPECT_EQ(bin(0, xop::power, 0), 0.0);
  EXPECT_EQ(bin(0, xop::power, -1), 0.0);
  EXPECT_EQ(bin(-7, xop::mod, 3), -1.0);
  EXPECT_EQ(bin(7, xop::mod, -3), 1.0);
  EXPECT_EQ(bin(5, xop::sign, 0), 5.0);
  EXPECT_EQ(bin(5, xop::sign, -0.0), 5.0);
  EXPECT_EQ(bin(5, xop::sign, -2), -5.0);
  EXPECT_EQ(bin(6, xop::iand, 3), 2.0);
  EXPECT_EQ(bin(6, xop::ior, 3), 7.0);
  EXPECT_EQ(bin(6, xop::ieor, 3), 5.0);
  EXPECT_EQ(bin(2.5, xop::iand, 3), 3.0);  // 2.5 rounds away from zero to 3
  EXPECT_EQ(una(xop::inot, 0), -1.0);
}

TEST_F(Operators, RelationsUseTheirTolerances) {
  EXPECT_EQ(bin(1.0, xop::eq, 1.0 + 5.0e-10), 1.0);
  EXPECT_EQ(bin(1.0, xop::eq, 1.0 + 5.0e-8), 0.0);
  EXPECT_EQ(bin(0.0, xop::eq, 5.0e-14), 0.0);
  EXPECT_EQ(bin(1.0e-20, xop::eq, 5.0e-14), 1.0);
  EXPECT_EQ(bin(1, xop::lt, 2), 1.0);
  EXPECT_EQ(bin(2, xop::le, 2), 1.0);
  EXPECT_EQ(bin(2, xop::gt, 2), 0.0);
  EXPECT_EQ(bin(2, xop::ge, 3), 0.0);
  EXPECT_EQ(bin(2, xop::ne, 3), 1.0);
  double r = -1;
  EXPECT_EQ(XEQBINNUM(r, 0.0, op(xop::teq), 5.0e-14), 0);
  EXPECT_EQ(r, 1.0);  // the statement loop's path forgives below zeps
  EXPECT_EQ(XEQBINNUM(r, 3.0, op(xop::tgt), 2.0), 0);
  EXPECT_EQ(r, 1.0);
  const std::int32_t x = evaltest::number("x", 1), y = evaltest::number("y", 2);
  z(res) = 42.0;
  EXPECT_EQ(XEQ2BIN(res, x, op(0xB9E0), y), 3501);
  EXPECT_EQ(z(res), 42.0);
}

TEST_F(Operators, MaxMinAndTheirLocations) {
  xeqexpr.maxlocpos = static_cast<std::int32_t>(0x80000001u);
  xeqexpr.ielem = 4;
  EXPECT_EQ(bin(3, xop::max, 3), 3.0);
  EXPECT_EQ(xeqexpr.maxlocpos, 1);  // equal values keep the first
  EXPECT_EQ(bin(3, xop::maxloc, 5), 5.0);
  EXPECT_EQ(xeqexpr.maxlocpos, 4);
  EXPECT_EQ(bin(3, xop::min, 5), 3.0);
  EXPECT_EQ(xeqexpr.maxlocpos, 4);
  EXPECT_EQ(bin(3, xop::minloc, -1), -1.0);
}

TEST_F(Operators, ResultIntoTheLeftOperandButNeverIntoAConstant) {
  const std::int32_t v = evaltest::number("v", 2), c = evaltest::constant(2);
  const std::int32_t b = evaltest::number("b", 3);
  EXPECT_EQ(XEQ2BIN(0, v, op(xop::plus), b), 0);
  EXPECT_EQ(z(v), 5.0);
  z(core::iresult) = 0;
  EXPECT_EQ(XEQ2BIN(0, c, op(xop::plus), b), -3);
  EXPECT_EQ(z(c), 2.0);
  EXPECT_EQ(z(core::iresult), 5.0);
}

// CEILING and FLOOR hold over the whole range of a real, and the bit
// operations clamp what no 64-bit integer holds.
TEST_F(Operators, WideRoundingAndClampedBitOperands) {
  EXPECT_EQ(una(xop::ceiling, 3.0e10 + 0.5), 3.0e10 + 1);
  EXPECT_EQ(una(xop::floor, -3.0e10 - 0.5), -3.0e10 - 1);
  EXPECT_EQ(una(xop::ceiling, 1.0e300), 1.0e300);
  EXPECT_EQ(una(xop::floor, -2.5), -3.0);
  EXPECT_EQ(nint64(std::nan("")), 0);
  EXPECT_EQ(nint64(1.0e300), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(nint64(-1.0e300), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(nint64(-2.5), -3);
  EXPECT_EQ(bin(std::nan(""), xop::ior, 5), 5.0);
  EXPECT_EQ(una(xop::inot, 1.0e30), static_cast<double>(std::numeric_limits<std::int64_t>::min()));
}

TEST_F(Operators, OneOperandFunctions) {
  EXPECT_EQ(una(xop::minus, 2), -2.0);
  EXPECT_EQ(una(xop::abs, -2), 2.0);
  EXPECT_EQ(una(xop::aint, -2.7), -2.0);
  EXPECT_EQ(una(xop::nint, -2.5), -3.0);
  EXPECT_EQ(una(xop::nint, 2.5), 3.0);
  EXPECT_DOUBLE_EQ(una(xop::exp, 1), std::exp(1.0));
  EXPECT_DOUBLE_EQ(una(xop::atan, 1), std::atan(1.0));
  EXPECT_EQ(una(0xE800, 7), 7.0);  // a code outside the table copies
  // LEN and LEN_TRIM of a number without a current temporary.
  xeqexpr.idescr = 0;
  EXPECT_EQ(una(xop::len, 123), 1.0);
  EXPECT_EQ(una(xop::lentrim, 123), 1.0);
}

TEST_F(Operators, StatementLoopPath) {
  double r = 0;
  EXPECT_EQ(XEQBINNUM(r, 2, op(xop::tpower), 3), 0);
  EXPECT_EQ(r, 8.0);
  EXPECT_EQ(XEQBINNUM(r, 0, op(xop::tpower), -3), 0);
  EXPECT_EQ(r, 0.0);
  r = 5;
  EXPECT_EQ(XEQBINNUM(r, std::nan(""), op(xop::tpower), 2), -1);
  EXPECT_EQ(r, 5.0);
  EXPECT_EQ(core::msgkey.trimmed(), "msgNaN");
  EXPECT_EQ(XEQBINNUM(r, 7, op(xop::tmod), 4), 0);
  EXPECT_EQ(r, 3.0);
  EXPECT_EQ(XEQBINNUM(r, 6, op(xop::tiand), 3), 0);
  EXPECT_EQ(r, 2.0);
  EXPECT_EQ(XEQBINNUM(r, 1, op(0x1234), 2), -1);
  EXPECT_EQ(core::msgkey.trimmed(), "notPossible");
}

}  // namespace
