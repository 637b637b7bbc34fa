#include "exec/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "exec/eval_fixture.h"
#include "exec/operands.h"
#include "exec/operators.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "platform/win_message_box.h"

namespace {

using namespace exec;
using core::z;

std::int16_t op(unsigned code) { return static_cast<std::int16_t>(code); }

class Strings : public ::testing::Test {
 protected:
  void SetUp() override {
    evaltest::setup();
    evaltest::statement();
    core::iresult = res = 200;
  }
  std::int32_t res = 0;
};

TEST_F(Strings, ComparisonByCodesWithBlankPadding) {
  double r = -1;
  EXPECT_EQ(XEQ2COMPARECHAR(r, "AB", op(xop::eq), "AB  "), 0);
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(XEQ2COMPARECHAR(r, "ab", op(xop::lt), "AB"), 0);
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(XEQ2COMPARECHAR(r, "AB", op(xop::lt), "ab"), 0);
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(XEQ2COMPARECHAR(r, "\xE4", op(xop::gt), "z"), 0);
  EXPECT_EQ(r, 1.0);  // codes above 127 sort after the letters
  r = 7;
  EXPECT_EQ(XEQ2COMPARECHAR(r, "a", op(xop::plus), "b"), 3504);
  EXPECT_EQ(r, 7.0);
  EXPECT_EQ(XEQBINCHAR(r, "AB", op(xop::tne), "AB "), 0);
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(XEQBINCHAR(r, "AB", op(xop::eq), "AB"), -1);
  EXPECT_EQ(core::msgkey.trimmed(), "notPossible");
}

TEST_F(Strings, StatementLoopPairs) {
  const std::int32_t s = evaltest::text("S", "abc"), t = evaltest::text("T", "abd");
  const std::int32_t x = evaltest::number("X", 2), y = evaltest::number("Y", 3);
  double r = 0;
  EXPECT_EQ(XEQBIN(r, s, op(xop::tlt), t), 0);
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(XEQBIN(r, x, op(xop::ttimes), y), 0);
  EXPECT_EQ(r, 6.0);
  core::msgkey.blank();
  EXPECT_EQ(XEQBIN(r, s, op(xop::tlt), x), -2);
  EXPECT_EQ(core::msgkey.trimmed(), "notPossible");
  EXPECT_EQ(XEQBIN(r, 0, op(xop::tlt), x), -4);
}

// Mixed operands inside an expression of a scalar statement.
TEST_F(Strings, NumbersAndStringsMixed) {
  const std::int32_t one = evaltest::number("one", 1);
  const std::int32_t twelve = evaltest::number("twelve", 12);
  evaltest::temp(1, "12");
  evaltest::temp(2, "A");
  evaltest::temp(3, "2");
  EXPECT_EQ(XEQ2BIN(res, one, op(xop::plus), -1), 0);
  EXPECT_EQ(z(res), 13.0);
  EXPECT_EQ(XEQ2BIN(res, one, op(xop::plus), -2), 0);
  EXPECT_EQ(z(res), 66.0);
  EXPECT_EQ(XEQ2BIN(res, -1, op(xop::plus), one), 0);
  EXPECT_EQ(z(res), 50.0);
  EXPECT_EQ(XEQ2BIN(res, -1, op(xop::minus), -3), 0);
  EXPECT_EQ(z(res), 10.0);
  EXPECT_EQ(XEQ2BIN(res, twelve, op(xop::eq), -1), 0);
  EXPECT_EQ(z(res), 0.0);  // a converted operand never compares true
  tmpbeg(3) = 0;
  EXPECT_EQ(XEQ2BIN(res, one, op(xop::plus), -3), -2);
  EXPECT_EQ(XEQ2BIN(res, -3, op(xop::plus), one), -1);
}

TEST_F(Strings, StringRelationsInScalarAndVectorStatements) {
  evaltest::temp(1, "abc");
  evaltest::temp(2, "abd");
  EXPECT_EQ(XEQ2BIN(res, -1, op(xop::lt), -2), 0);
  EXPECT_EQ(z(res), 1.0);
  // In a vector statement the pass's characters compare.
  xeqexpr.nelem = 3;
  xeqexpr.ielem = 2;
  EXPECT_EQ(XEQ2BIN(res, -1, op(xop::eq), -2), 0);
  EXPECT_EQ(z(res), 1.0);
  xeqexpr.ielem = 3;
  EXPECT_EQ(XEQ2BIN(res, -1, op(xop::eq), -2), 0);
  EXPECT_EQ(z(res), 0.0);
}

TEST_F(Strings, ConcatenationBlankCounts) {
  for (int n = 0; n <= 2; ++n) {
    evaltest::setup();
    evaltest::statement();
    evaltest::temp(1, "X  ");
    evaltest::temp(2, "Y");
    xeqexpr.ndescr = xeqexpr.nlinked = 2;
    const auto code = static_cast<unsigned>(xop::cat + (n << 6));
    ASSERT_EQ(XEQ2BIN(200, -1, op(code), -2), 2);
    const char* want[] = {"X  Y", "XY", "X Y"};
    EXPECT_EQ(evaltest::temptext(xeqexpr.idescr), want[n]) << n;
    EXPECT_EQ(xeqexpr.idescr, 3);
  }
}

TEST_F(Strings, ConcatenationWithNumbersAndInPlace) {
  const std::int32_t v = evaltest::number("v", 2.5);
  evaltest::temp(1, "N=");
  xeqexpr.ndescr = xeqexpr.nlinked = 1;
  ASSERT_EQ(XEQ2BIN(res, -1, op(xop::cat), v), 2);
  const std::int32_t t = xeqexpr.idescr;
  EXPECT_EQ(evaltest::temptext(t), "N=2.5");
  // A temporary of this element at the top grows in place.
  ASSERT_EQ(XEQ2BIN(res, -t, op(xop::cat + 0x80), -1), 2);
  EXPECT_EQ(xeqexpr.idescr, t);
  EXPECT_EQ(evaltest::temptext(t), "N=2.5 N=");
  ASSERT_EQ(XEQ2BIN(res, v, op(xop::cat), -1), 2);
  EXPECT_EQ(evaltest::temptext(xeqexpr.idescr), "2.5N=");
}

TEST_F(Strings, BuiltinsOnStrings) {
  evaltest::temp(1, "ab  ");
  evaltest::temp(2, "    ");
  evaltest::temp(3, "\xE4x");
  evaltest::temp(4, " -3 ");
  xeqexpr.ndescr = xeqexpr.nlinked = 4;
  EXPECT_EQ(XEQ2UNA(res, -1, op(xop::len)), 0);
  EXPECT_EQ(z(res), 4.0);
  EXPECT_EQ(XEQ2UNA(res, -1, op(xop::lentrim)), 0);
  EXPECT_EQ(z(res), 2.0);
  EXPECT_EQ(core::name(res).type, 0x88);
  EXPECT_EQ(XEQ2UNA(res, -2, op(xop::lentrim)), 0);
  EXPECT_EQ(z(res), 0.0);
  EXPECT_EQ(XEQ2UNA(res, -3, op(xop::ichar)), 0);
  EXPECT_EQ(z(res), 228.0);
  EXPECT_EQ(XEQ2UNA(res, -4, op(xop::abs)), 0);
  EXPECT_EQ(z(res), 3.0);
  EXPECT_EQ(XEQ2UNA(res, -2, op(xop::trim)), -2);
  EXPECT_EQ(evaltest::temptext(2), " ");  // an all-blank text keeps one character
  EXPECT_EQ(XEQ2UNA(res, -1, op(xop::trim)), -2);
  EXPECT_EQ(evaltest::temptext(1), "ab");
  EXPECT_EQ(core::name(res).type, 0x48);
}

TEST_F(Strings, StatementLoopConcatenation) {
  const std::int32_t a = evaltest::text("A", "x  "), b = evaltest::text("B", "yz ");
  const std::int32_t n = evaltest::number("N", 12);
  const std::int32_t r = storetest::addsym("r", 0x48);
  EXPECT_EQ(XEQTIDCAT(r, a, 0, b), 0);
  EXPECT_EQ(storetest::textof(r), "x  yz");
  EXPECT_EQ(core::name(r).type, 0x48);
  EXPECT_EQ(XEQTIDCAT(r, n, 0, a), 0);
  // A number is its text alone, as in the evaluator; a right text loses its
  // trailing blanks.
  EXPECT_EQ(storetest::textof(r), "12x");
  EXPECT_EQ(XEQTIDCAT(r, a, 0, n), 0);
  EXPECT_EQ(storetest::textof(r), "x  12");
}

// A store that is full grows during the statement and the join goes on:
// nothing runs twice, and texts that moved are found where they went.
TEST_F(Strings, FullStoreGrowsAndTheStatementGoesOn) {
  evaltest::setup(200);
  evaltest::statement();
  const std::int32_t a = evaltest::text("A", std::string(60, 'a'));
  const std::int32_t b = evaltest::text("B", std::string(60, 'b'));
  const std::int32_t r = storetest::addsym("r", 0x48);
  const std::int32_t oldlimit = core::c1limit;
  ASSERT_EQ(XEQTIDCAT(r, a, 0, b), 0);
  EXPECT_EQ(core::xeqstop, 0);
  EXPECT_GT(core::c1limit, oldlimit);
  EXPECT_EQ(storetest::textof(r), std::string(60, 'a') + std::string(60, 'b'));
  EXPECT_EQ(storetest::textof(a), std::string(60, 'a'));

  // Inside an expression: a descriptor of a variable and a string result
  // cell that pointed into the moved texts follow them.
  evaltest::setup(300);
  evaltest::statement();
  const std::int32_t s = evaltest::text("S", std::string(100, 's'));
  std::int32_t f = 0, l = 0;
  core::TRANSFERR8TO2I4(z(s), f, l);
  tmpbeg(1) = tmporig(1) = f;
  tmpend(1) = l;
  descrkind[1] = DescrKind::string;
  const std::int32_t cell = 250;
  core::name(cell).type = 0x48;
  core::TRANSFER2I4TOR8(f, l, z(cell));
  evaltest::temp(2, std::string(80, 't'));
  xeqexpr.ndescr = xeqexpr.nlinked = 2;
  ASSERT_EQ(XEQ2BIN(res, -1, op(xop::cat), -2), 2);
  EXPECT_EQ(core::xeqstop, 0);
  EXPECT_EQ(evaltest::temptext(xeqexpr.idescr), std::string(100, 's') + std::string(80, 't'));
  EXPECT_EQ(evaltest::temptext(1), std::string(100, 's'));
  EXPECT_EQ(storetest::textof(s), std::string(100, 's'));
  EXPECT_EQ(storetest::textof(cell), std::string(100, 's'));
}

}  // namespace
