// Folds over ranges of arrays, and the range word of a range with both
// bounds omitted before a comma.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/runwords.h"
#include "core/trans.h"
#include "core/trans_fixture.h"

using namespace core;
using translex::num;
using translex::sym;
using translex::W;

namespace {

std::vector<std::int16_t> trans(std::string_view line) {
  translex::lex(line);
  TRANS(line);
  return translex::words();
}

class Trans2RangeTest : public ::testing::Test {
 protected:
  void SetUp() override { translex::setup(); }
};

TEST_F(Trans2RangeTest, FoldOfARangeIsASegment) {
  const auto x = sym("X");
  const auto v = translex::array("V", 3, 1);
  const auto a = translex::array("A", 2, 3);
  const auto one = num("1"), two = num("2");
  EXPECT_EQ(trans("X=SUM(V(1:2))"),
            W({-1, 0, x, 0x8840, 0xE81F, v, one, two, 0xA80C, 0xF050, 0x801E, 6, 0x8880}));
  EXPECT_EQ(xeqstop, 0);
  // MAX has two operands as a plain function; folded it is one value.
  EXPECT_EQ(trans("X=MAX(V(2:))"),
            W({-1, 0, x, 0x8840, 0xE93F, v, two, 0x7FFF, 0xA804, 0xF050, 0x801E, 6, 0x8880}));
  EXPECT_EQ(xeqstop, 0);
  // A row of a matrix: the row index is repeated as the row range.
  EXPECT_EQ(trans("X=SUM(A(2,:))"), W({-1, 0, x, 0x8840, 0xE81F, a, two, 0x8940, 0x7FFF, 0x7FFF,
                                       0xA800, 0xF060, 0x801E, 8, 0x8880}));
  // One element stays the plain function.
  EXPECT_EQ(trans("X=SUM(V(2))"), W({-1, 0, x, 0x8840, v, two, 0xF050, 0xE800, 0x8880}));
}

TEST_F(Trans2RangeTest, BareRangeBeforeACommaCountsBothPlaceholders) {
  const auto u = translex::array("U", 2, 1);
  const auto a = translex::array("A", 2, 3);
  const auto two = num("2");
  // Written like A(1:2, 2), the placeholders standing for the bounds.
  EXPECT_EQ(trans("U=A(:,2)"),
            W({-1, 0, u, 0xF040, 0x8840, a, 0x7FFF, 0x7FFF, 0xA803, two, 0xF060, 0x8880}));
  EXPECT_EQ(xeqstop, 0);
}

}  // namespace
