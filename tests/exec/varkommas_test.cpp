// Variable-argument functions inside expressions, called the way the
// evaluator calls them: arguments on an operand list, the result in the
// next result cell or in a new temporary string.
#include "exec/varkommas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/namevalue.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins_random.h"
#include "exec/eval_fixture.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"

using namespace core;

namespace {

class VarKommas : public ::testing::Test {
 protected:
  void SetUp() override {
    evaltest::setup();
    evaltest::statement();
    exec::starttempstrings();
    exec::install_varkommas();
  }

  // Runs word over the list; res is the result cell.
  std::int32_t call(std::vector<std::int32_t> list, unsigned word) {
    ops = list;
    top = static_cast<std::int32_t>(ops.size());
    iresult = nsym + 1;
    res = iresult;
    z(res) = -7.0;
    return exec::VARKOMMAS(res, ops, top, static_cast<std::int16_t>(word));
  }
  // A number in a fresh result cell.
  static std::int32_t n(double v) { return evaltest::constant(v); }
  // A temporary string k (negative operand), counted as in use.
  static std::int32_t t(std::int32_t k, std::string_view text) {
    evaltest::temp(k, text);
    exec::tmptop() = c1tmptop + 1;
    exec::xeqexpr.ndescr = std::max(exec::xeqexpr.ndescr, k);
    return -k;
  }

  std::vector<std::int32_t> ops;
  std::int32_t top = 0;
  std::int32_t res = 0;
};

TEST_F(VarKommas, LogNaturalAndToABase) {
  EXPECT_EQ(call({n(8), n(2)}, 0xE141), 0);
  EXPECT_NEAR(z(res), 3.0, 4e-16);
  EXPECT_EQ(top, 0);  // the evaluator pushes the result in their place
  EXPECT_EQ(call({n(std::exp(1.0))}, 0xE140), 0);
  EXPECT_DOUBLE_EQ(z(res), 1.0);
  // Two commas are refused and the result cell is left alone.
  EXPECT_EQ(call({n(1), n(2), n(3)}, 0xE142), -3410);
  EXPECT_EQ(z(res), -7.0);
  EXPECT_EQ(msgkey.str(), "xeq3410");  // the run reports the error under its own key
}

TEST_F(VarKommas, RandomNumbersAndSeeds) {
  EXPECT_EQ(call({n(10), n(1), n(5)}, 0xE102), 0);
  const double first = z(res);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(call({n(10), n(1), n(5)}, 0xE102), 0);
  EXPECT_EQ(z(res), first);  // the same seed repeats the value
  EXPECT_GE(first, 9.0);
  EXPECT_LT(first, 11.0);
  EXPECT_EQ(call({n(10), n(1), n(6)}, 0xE102), 0);
  EXPECT_NE(z(res), first);
  const std::int32_t four = n(4), minus2 = n(-2), half = n(0.5);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(call({four}, 0xE100), 0);
    ASSERT_GE(z(res), 0.0);
    ASSERT_LT(z(res), 4.0);
    ASSERT_EQ(call({minus2, half}, 0xE101), 0);
    ASSERT_GE(z(res), -2.5);
    ASSERT_LT(z(res), -1.5);
  }
  // Three commas would leave the evaluator's list out of step: refused.
  EXPECT_EQ(call({n(1), n(2), n(3), n(4)}, 0xE103), -exec::vkerr::rancommas);
}

TEST_F(VarKommas, CharMakesCharactersAndPieces) {
  EXPECT_EQ(call({n(65.4)}, 0xE180), 1);
  EXPECT_EQ(evaltest::temptext(1), "A");
  // A code that no character has is refused, not cut to its low byte.
  EXPECT_EQ(call({n(321)}, 0xE180), -exec::vkerr::charcode);
  EXPECT_EQ(msgkey.str(), "charError");
  EXPECT_EQ(call({n(-0.6)}, 0xE180), -exec::vkerr::charcode);
  EXPECT_EQ(call({n(255.4)}, 0xE180), 2);
  EXPECT_EQ(evaltest::temptext(2), "\xFF");

  const std::int32_t c0 = n(0), c1 = n(1), c2 = n(2), c3 = n(3), c4 = n(4);
  const std::int32_t ten = t(3, "abcdefghij");
  EXPECT_EQ(call({c2, c3, ten}, 0xE182), 4);
  EXPECT_EQ(evaltest::temptext(4), "def");
  EXPECT_EQ(top, 0);
  EXPECT_EQ(call({c3, c3, ten}, 0xE182), 5);
  EXPECT_EQ(evaltest::temptext(5), "ghi");  // the remainder "j" is never returned
  // Row 2, column 1 of a 2 x 2 grid of "abcdefgh" is the third piece.
  const std::int32_t eight = t(6, "abcdefgh");
  EXPECT_EQ(call({c2, c1, c2, c2, eight}, 0xE184), 7);
  EXPECT_EQ(evaltest::temptext(7), "ef");

  EXPECT_EQ(call({c4, c3, ten}, 0xE182), -3405);
  EXPECT_EQ(call({c0, c3, ten}, 0xE182), -3405);
  EXPECT_EQ(call({c1, c0, ten}, 0xE182), -3406);
  EXPECT_EQ(call({c1, c2, c3}, 0xE182), -3407);
  EXPECT_EQ(call({c1, ten}, 0xE181), -3408);
  EXPECT_EQ(call({c1, c1, c1, ten}, 0xE183), -3408);
  EXPECT_EQ(z(res), -7.0);
}

TEST_F(VarKommas, IndexInNumbers) {
  const std::int32_t a = evaltest::array("A", 4, 1, {1, 3, 5, 7});
  EXPECT_EQ(call({a, n(5)}, 0xE081), 0);
  EXPECT_EQ(z(res), 3.0);
  EXPECT_EQ(call({a, n(4)}, 0xE081), 0);
  EXPECT_EQ(z(res), 0.0);
  // Nearest element: of 3 and 5 the first one met.
  EXPECT_EQ(call({a, n(4), n(32)}, 0xE082), 0);
  EXPECT_EQ(z(res), 2.0);
  // Backwards the other one is met first.
  EXPECT_EQ(call({a, n(4), n(36)}, 0xE082), 0);
  EXPECT_EQ(z(res), 3.0);
  // The out argument receives the number of elements compared.
  const std::int32_t out = evaltest::number("OUT", 0);
  evaltest::number("LAST", 0);
  EXPECT_EQ(call({a, n(5), n(0), out}, 0xE083), 0);
  EXPECT_EQ(z(out), 3.0);
  // A text as the number to find.
  EXPECT_EQ(call({a, t(1, "x=7")}, 0xE081), 0);
  EXPECT_EQ(z(res), 4.0);
  // An array the evaluator describes by its first element.
  exec::xeqexpr.ndescr = 2;
  exec::descrkind[2] = exec::DescrKind::array;
  exec::tmporig(2) = name(a).adr;
  exec::tmpbeg(2) = 2;
  exec::tmpend(2) = 2;
  EXPECT_EQ(call({name(a).adr - 1, n(7)}, 0xE081), 0);
  EXPECT_EQ(z(res), 4.0);
  EXPECT_EQ(call({a}, 0xE080), -3409);
  EXPECT_EQ(call({a, n(1), n(2), n(3), n(4)}, 0xE084), -3409);
}

TEST_F(VarKommas, IndexBisectsAscendingData) {
  const std::int32_t a = evaltest::array("A", 8, 1, {1, 2, 4, 8, 16, 32, 0, 0});
  const std::int32_t out = evaltest::number("OUT", 0);
  evaltest::number("LAST", 0);
  EXPECT_EQ(call({a, n(16), n(512), out}, 0xE083), 0);
  EXPECT_EQ(z(res), 5.0);
  EXPECT_LE(z(out), 3.0);  // halving, not a walk over all six
  EXPECT_EQ(call({a, n(1), n(512)}, 0xE082), 0);
  EXPECT_EQ(z(res), 1.0);
  EXPECT_EQ(call({a, n(32), n(512)}, 0xE082), 0);
  EXPECT_EQ(z(res), 6.0);
  EXPECT_EQ(call({a, n(5), n(512)}, 0xE082), 0);
  EXPECT_EQ(z(res), 0.0);
  EXPECT_EQ(call({a, n(5), n(512 + 32)}, 0xE082), 0);
  EXPECT_EQ(z(res), 3.0);
}

TEST_F(VarKommas, IndexInText) {
  const std::int32_t s = evaltest::text("S", "Tom and Jerry");
  EXPECT_EQ(call({s, t(1, "Jer")}, 0xE081), 0);
  EXPECT_EQ(z(res), 9.0);
  EXPECT_EQ(call({s, t(2, "jer")}, 0xE081), 0);
  EXPECT_EQ(z(res), 9.0);  // case ignored by default
  EXPECT_EQ(call({s, t(3, "jer"), n(1)}, 0xE082), 0);
  EXPECT_EQ(z(res), 0.0);  // option 1: case matters
  const std::int32_t out = evaltest::number("OUT", 0);
  evaltest::number("LAST", 0);
  const std::int32_t back = n(4);
  EXPECT_EQ(call({s, t(4, "r"), back, out}, 0xE083), 0);
  EXPECT_EQ(z(res), 12.0);  // option 4: from the end
  EXPECT_EQ(z(out), 1.0);   // the match length
  // A number is looked for as written with thousands separators.
  const std::int32_t price = evaltest::text("P", "costs 1'000 now");
  EXPECT_EQ(call({price, n(1000)}, 0xE081), 0);
  EXPECT_EQ(z(res), 7.0);
}

TEST_F(VarKommas, TableArgumentsNeedAnOpenTable) {
  const std::int32_t unit = evaltest::number("U", 6970);
  EXPECT_EQ(call({unit, n(1), n(2), 2147483647, t(1, "x"), n(0)}, 0xE0C2), -3401);
  EXPECT_EQ(exec::MXSEARCHFMTD(unit, 1, 2, "x   ", 0), -1);
}

TEST_F(VarKommas, InitAssignsNamedVariables) {
  const std::int32_t x = evaltest::number("X", 0);
  const std::int32_t s = evaltest::text("NAME", "????");
  evaltest::number("LAST", 0);
  evaltest::statement();
  EXPECT_EQ(call({t(1, "X=42, NAME=Tom&Jerry"), x, s}, 0xE1C2), 0);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(z(res), 2.0);
  EXPECT_EQ(z(x), 42.0);
  std::int32_t f = 0, l = 0;
  ISCHAR(s, f, l);
  EXPECT_EQ(std::string(&c1namen(f), 4), "Tom&");
}

TEST_F(VarKommas, OrigopFindsTheVariableBehindAnOperand) {
  const std::int32_t a = evaltest::array("A", 3, 1, {1, 2, 3});
  const std::int32_t s = evaltest::text("S", "abc");
  t(1, "abc");
  exec::tmpsym(1) = s;
  EXPECT_EQ(exec::ORIGOP(-1), s);
  EXPECT_EQ(exec::ORIGOP(5), 5);
  // An element of a copy the evaluator made of A maps to A's own element.
  exec::xeqexpr.ndescr = 2;
  exec::descrkind[2] = exec::DescrKind::array;
  exec::tmpsym(2) = a;
  exec::tmporig(2) = 500;
  exec::tmpbeg(2) = 3;
  exec::tmpend(2) = 1;
  EXPECT_EQ(exec::ORIGOP(501), name(a).adr + 1);
  EXPECT_EQ(core::origop, &exec::ORIGOP);
}

}  // namespace
