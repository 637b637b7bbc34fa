#include "core/arrays_data.h"

#include <gtest/gtest.h>

#include "core/lexicon.h"
#include "core/lexicon_fixture.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

namespace {

using namespace core;

class ArraysData : public lextest::Lexicon {
 protected:
  // The n cells of array a from its first one.
  std::vector<double> cells(std::int32_t a, int n) {
    std::vector<double> out;
    for (int i = 0; i < n; ++i) out.push_back(z(name(a).adr + i));
    return out;
  }
};

TEST_F(ArraysData, DimensionTakesBlocksFromTheTopAndRetries) {
  EXPECT_EQ(compile("DIMENSION A(3,4)"), 0);
  EXPECT_EQ(passes, 2);  // allocated, then compiled again with the array known
  EXPECT_EQ(ntok, 1);
  const std::int32_t a = sym("A");
  EXPECT_EQ(type(a), 0x10);
  EXPECT_EQ(name(a).adr, nz - 11);
  EXPECT_EQ(shaperows(a), 3);
  EXPECT_EQ(shapecols(a), 4);
  // Two arrays in one line, one below the other; a dimension may be a constant.
  EXPECT_EQ(compile("REAL, PARAMETER :: N = 5"), 0);
  EXPECT_EQ(compile("DIMENSION B(2), C(N, 2)"), 0);
  EXPECT_EQ(passes, 3);
  EXPECT_EQ(name(sym("B")).adr, nz - 13);
  EXPECT_EQ(name(sym("C")).adr, nz - 23);
  EXPECT_EQ(shaperows(sym("C")), 5);
  EXPECT_EQ(shapecols(sym("C")), 2);
  EXPECT_EQ(type(sym("N")), 0x81);  // the constant stays a scalar
  EXPECT_EQ(nztop, nz - 23);
  // REAL declares arrays as well; a scalar cannot become one.
  EXPECT_EQ(compile("REAL :: R(4)"), 0);
  EXPECT_EQ(name(sym("R")).adr, nz - 27);
  EXPECT_EQ(compile("X = 1"), 0);
  EXPECT_EQ(compile("DIMENSION X(3)"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "nameConflict");
}

TEST_F(ArraysData, RedeclaredArrayKeepsOrMovesItsBlock) {
  EXPECT_EQ(compile("DIMENSION A(3,4), B(2)"), 0);
  const std::int32_t a = sym("A"), b = sym("B");
  // Larger: the old block is given back (B moves up) and a new one taken.
  EXPECT_EQ(compile("DIMENSION A(5,5)"), 0);
  EXPECT_EQ(name(b).adr, nz - 1);
  EXPECT_EQ(name(a).adr, nz - 1 - 25);
  EXPECT_EQ(shaperows(a), 5);
  EXPECT_EQ(nztop, nz - 26);
  // Smaller: only the shape changes.
  const std::int32_t adra = name(a).adr;
  EXPECT_EQ(compile("DIMENSION A(2,3)"), 0);
  EXPECT_EQ(name(a).adr, adra);
  EXPECT_EQ(shaperows(a), 2);
  EXPECT_EQ(shapecols(a), 3);
  EXPECT_EQ(nztop, nz - 26);
}

TEST_F(ArraysData, DimensionBelowOneTakesNoBlock) {
  const std::int32_t top = nztop;
  EXPECT_EQ(compile("DIMENSION A(0)"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "arrayShape");
  EXPECT_EQ(compile("DIMENSION A(-2, 3)"), 0x7FFF);
  EXPECT_EQ(compile("DIMENSION A"), 0x7FFF);
  EXPECT_EQ(compile("DIMENSION A(100000, 100000)"), 0x7FFF);
  EXPECT_EQ(nztop, top);
}

TEST_F(ArraysData, DataFillsScalarsAndArraysInRowOrder) {
  EXPECT_EQ(compile("DIMENSION A(2,3)"), 0);
  const std::int32_t a = sym("A");
  EXPECT_EQ(compile("DATA A /1, 2, 3, 4, 5, 6/"), 0);
  EXPECT_EQ(cells(a, 6), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ntok, 1);
  // Surplus values are ignored; once full, a missing "/" is no error.
  EXPECT_EQ(compile("DATA A /7, 7, 7, 7, 7, 7, 8, 9/"), 0);
  EXPECT_EQ(compile("DATA A /6, 5, 4, 3, 2, 1"), 0);
  EXPECT_EQ(cells(a, 6), (std::vector<double>{6, 5, 4, 3, 2, 1}));
  // An element: (2, 1) is the fourth cell.
  EXPECT_EQ(compile("DATA A(2,1) /9/"), 0);
  EXPECT_EQ(z(name(a).adr + 3), 9);
  EXPECT_EQ(compile("DATA A(3) /10/"), 0);
  EXPECT_EQ(z(name(a).adr + 2), 10);
  // A minus holds up to the next comma.
  EXPECT_EQ(compile("DATA A /-1 2, 3/"), 0);
  EXPECT_EQ(cells(a, 3), (std::vector<double>{-1, -2, 3}));
  // Scalars, and several lists in one statement.
  EXPECT_EQ(compile("DATA X /7/, Y /-0.5/"), 0);
  EXPECT_EQ(z(sym("X")), 7);
  EXPECT_EQ(z(sym("Y")), -0.5);
}

TEST_F(ArraysData, DataRejectsWhatIsNoNumberOrNoTarget) {
  EXPECT_EQ(compile("DIMENSION A(2,3)"), 0);
  const std::int32_t a = sym("A");
  EXPECT_EQ(compile("DATA A /1, -X/"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "DATA");
  EXPECT_EQ(z(name(a).adr), 1);  // values before the error stay
  EXPECT_EQ(compile("DATA A /1, 'x'/"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "DATA");
  EXPECT_EQ(compile("DATA A /1, 2"), 0x7FFF);  // open list with room left
  EXPECT_EQ(msgkey.trimmed(), "DATA");
  EXPECT_EQ(compile("CHARACTER S*4"), 0);
  EXPECT_EQ(compile("DATA S /1/"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "dataError");
  // An element before the block is refused, nothing is stored outside it.
  const double before = z(name(a).adr - 1);
  EXPECT_EQ(compile("DATA A(1,0) /5/"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "dataError");
  EXPECT_EQ(z(name(a).adr - 1), before);
}

}  // namespace
