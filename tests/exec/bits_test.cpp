#include "exec/bits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "exec/optdispatch.h"

namespace {

using namespace core;
namespace kw = exec::bitskw;

// BITS calls built as the evaluator hands them to the dispatch: the target
// first, then (keyword, value) pairs in written order.
class Bits : public ::testing::Test {
 protected:
  struct Opt {
    int kw;
    std::int32_t v = exec::novalue;
  };
  void SetUp() override {
    storetest::setup();
    exec::reset_optdispatch();
  }
  void TearDown() override {
    exec::reset_optdispatch();
    reset_stores();
    reset_runwords();
  }
  // Runs BITS; returns the message key (empty on success).
  std::string bits(std::int32_t target, std::vector<Opt> opts) {
    std::vector<std::int32_t> pairs = {kw::error, target};
    for (const Opt& o : opts) {
      pairs.push_back(o.kw);
      pairs.push_back(o.v);
    }
    msgkey.blank();
    failedline.blank();
    iostatw = {};
    iresult = nsym + 50;
    z(iresult) = 99.0;
    const auto c = static_cast<std::int32_t>(pairs.size() / 2);
    exec::BUISOPTNEW(static_cast<std::int16_t>(optstmtxcode(static_cast<int>(OptStmt::BITS)) | c),
                     0, pairs, static_cast<std::int32_t>(pairs.size()));
    EXPECT_EQ(z(iresult), 0.0);
    return std::string(msgkey.trimmed());
  }
  static std::int32_t cst(double v) {
    const std::int32_t s = storetest::addsym("#", 0x81);
    z(s) = v;
    return s;
  }
  static std::int32_t num(double v) {
    const std::int32_t s = storetest::addsym("N" + std::to_string(nsym + 1), 0x80);
    z(s) = v;
    return s;
  }
  static std::int32_t arr(std::vector<double> v, std::int32_t rows = 1) {
    const auto n = static_cast<std::int32_t>(v.size());
    const std::int32_t s = storetest::addarray("A" + std::to_string(nsym + 1), rows, n / rows);
    for (std::int32_t i = 0; i < n; ++i) z(name(s).adr + i) = v[static_cast<std::size_t>(i)];
    return s;
  }
  static std::int32_t str(const std::string& t) {
    return storetest::addcharvar("S" + std::to_string(nsym + 1), t);
  }
  // A list written in place: a temporary whose values follow its address.
  std::int32_t lst(std::vector<double> v) {
    const std::int32_t s = nsym + 100 + ++nlists;
    const auto n = static_cast<std::int32_t>(v.size());
    nztop -= n;
    name(s) = SymbolRecord{};
    name(s).type = 0x88;
    name(s).adr = nztop;
    name(s).namlen = static_cast<std::int16_t>(-n);
    for (std::int32_t i = 0; i < n; ++i) z(nztop + i) = v[static_cast<std::size_t>(i)];
    return s;
  }
  static std::vector<double> cells(std::int32_t a) {
    std::int32_t r = 0, c = 0;
    TRANSFERR8TO2I4(z(a), r, c);
    std::vector<double> out;
    for (std::int32_t i = 0; i < r * c; ++i) out.push_back(z(name(a).adr + i));
    return out;
  }
  int nlists = 0;
};

TEST_F(Bits, TargetAndViewChecks) {
  const std::int32_t x = num(5);
  EXPECT_EQ(bits(x, {}), "");
  EXPECT_EQ(z(x), 5.0);
  // A temporary is no target, even after ERror.
  const std::int32_t t = lst({1, 2});
  EXPECT_EQ(bits(t, {{kw::error, 0}}), "bitsNoSubArSt");
  EXPECT_EQ(iostatw[1], 3727);
  EXPECT_EQ(bits(str(""), {}), "bits0option");
  // A numeric element holds 64 bits at most; a string element any width.
  EXPECT_EQ(bits(x, {{kw::rowscolsbits, cst(65)}}), "bitsadrs");
  EXPECT_EQ(iostatw[1], 3719);
  EXPECT_EQ(iostatw[2], 2);
  EXPECT_EQ(exec::bitsdetail.first, 9.0f);   // R x C x w
  EXPECT_EQ(exec::bitsdetail.second, 8.0f);  // target bytes
  const std::int32_t s = str(std::string(10, '\0'));
  EXPECT_EQ(bits(s, {{kw::rowscolsbits, cst(80)}, {kw::setbit}}), "");
  EXPECT_EQ(storetest::textof(s), std::string(10, '\xFF'));
  EXPECT_EQ(bits(s, {{kw::rowscolsbits, lst({4, 3, 8})}}), "bitsadrs");
  EXPECT_EQ(iostatw[1], 3711);
  EXPECT_EQ(bits(s, {{kw::rowscolsbits, lst({2, 3, 16})}}), "bitsadrs");
  EXPECT_EQ(iostatw[1], 3720);
}

TEST_F(Bits, StringElementsSetFlipAndCount) {
  const std::int32_t s = str("ab");
  const std::int32_t n = num(0);
  EXPECT_EQ(bits(s, {{kw::setbit, cst(0)}, {kw::bitcount, n}}), "");
  EXPECT_EQ(storetest::textof(s), "ac");
  EXPECT_EQ(z(n), 7.0);  // 3 + 4 one bits
  // A 12-bit field in two bytes: FLiP inverts bits 0 to 11 only.
  const std::int32_t f = str(std::string("\x00\xF0", 2));
  EXPECT_EQ(bits(f, {{kw::rowscolsbits, cst(12)}, {kw::flip}}), "");
  EXPECT_EQ(storetest::textof(f), "\xFF\xFF");
  // Bit numbers: w x 8 - 1 is the last one.
  EXPECT_EQ(bits(f, {{kw::rowscolsbits, cst(12)}, {kw::clr, cst(15)}}), "");
  EXPECT_EQ(storetest::textof(f), "\xFF\x7F");
  EXPECT_EQ(bits(f, {{kw::rowscolsbits, cst(12)}, {kw::clr, cst(16)}}), "bitsadrs");
  EXPECT_EQ(iostatw[1], 3713);
  EXPECT_EQ(bits(f, {{kw::rowscolsbits, cst(12)}, {kw::clr, lst({0, 3})}}), "");
  EXPECT_EQ(storetest::textof(f), "\xF0\x7F");
}

TEST_F(Bits, ShiftsAndRotations) {
  const std::int32_t x = num(1);
  EXPECT_EQ(bits(x, {{kw::shift, cst(64)}}), "");
  EXPECT_EQ(z(x), 0.0);
  z(x) = 1;
  EXPECT_EQ(bits(x, {{kw::rotate, cst(65)}}), "");
  EXPECT_EQ(z(x), 2.0);
  EXPECT_EQ(bits(x, {{kw::rotate, cst(0)}, {kw::shift, cst(-1)}}), "");
  EXPECT_EQ(z(x), 1.0);
  // An 8-bit field: the result is sign-extended.
  z(x) = 0x81;
  EXPECT_EQ(bits(x, {{kw::rowscolsbits, cst(8)}, {kw::rotate, cst(1)}}), "");
  EXPECT_EQ(z(x), 3.0);
  z(x) = 1;
  EXPECT_EQ(bits(x, {{kw::rowscolsbits, cst(8)}, {kw::shift, cst(7)}}), "");
  EXPECT_EQ(z(x), -128.0);
  const std::int32_t s = str("\x01\x80");
  EXPECT_EQ(bits(s, {{kw::rotate, cst(-1)}}), "");
  EXPECT_EQ(storetest::textof(s), "\x80\x40");
}

TEST_F(Bits, LogicOperators) {
  const std::int32_t x = num(12);
  EXPECT_EQ(bits(x, {{kw::and_, cst(10)}}), "");
  EXPECT_EQ(z(x), 8.0);
  EXPECT_EQ(bits(x, {{kw::or_, cst(3)}, {kw::eor, cst(1)}}), "");
  EXPECT_EQ(z(x), 10.0);
  EXPECT_EQ(bits(x, {{kw::and_}}), "bitsArgNeeded");
  EXPECT_EQ(iostatw[1], 3714);
  // A string operand gives its bytes element by element.
  const std::int32_t s = str("AB");
  EXPECT_EQ(bits(s, {{kw::eor, str("  ")}}), "");
  EXPECT_EQ(storetest::textof(s), "ab");
}

TEST_F(Bits, TestsSelectElementsForOneOperation) {
  const std::int32_t s = str("\x04\x01\x10\x1C\x02");
  EXPECT_EQ(bits(s, {{kw::ifset, lst({2, 4})}, {kw::clr}, {kw::setbit, cst(7)}}), "");
  EXPECT_EQ(storetest::textof(s), "\x80\x81\x80\x80\x82");
  const std::int32_t c = str("\x0F\x07");
  EXPECT_EQ(bits(c, {{kw::ifclr, lst({0, 3})}, {kw::setbit, cst(7)}}), "");
  EXPECT_EQ(storetest::textof(c), "\x0F\x87");
  const std::int32_t a = arr({5, 6, 7, 8, 5});
  EXPECT_EQ(bits(a, {{kw::ifeq, cst(5)}, {kw::setval, cst(0)}}), "");
  EXPECT_EQ(cells(a), (std::vector<double>{0, 6, 7, 8, 0}));
  EXPECT_EQ(bits(a, {{kw::ifneq, lst({6, 7})}, {kw::setval, cst(1)}}), "");
  EXPECT_EQ(cells(a), (std::vector<double>{1, 6, 7, 1, 1}));
  EXPECT_EQ(bits(a, {{kw::ifgt, cst(6)}, {kw::setval, cst(9)}}), "");
  EXPECT_EQ(cells(a), (std::vector<double>{1, 6, 9, 1, 1}));
  // IFLOC and LocGet count elements from 1.
  const std::int32_t where = arr({0, 0, 0, 0});
  EXPECT_EQ(bits(a, {{kw::ifloc, lst({3, 5})}, {kw::locget, where}}), "");
  EXPECT_EQ(cells(where), (std::vector<double>{3, 4, 5, 0}));
  const std::int32_t last = num(0);
  EXPECT_EQ(bits(a, {{kw::iflt, cst(2)}, {kw::locget, last}}), "");
  EXPECT_EQ(z(last), 5.0);
}

TEST_F(Bits, FindingBitsAndReadingValuesOut) {
  const std::int32_t x = num(0), r = num(-1);
  EXPECT_EQ(bits(x, {{kw::low1, r}}), "");
  EXPECT_EQ(z(r), 0.0);  // no 1 bit leaves 0
  z(x) = 1;
  EXPECT_EQ(bits(x, {{kw::low1, r}}), "");
  EXPECT_EQ(z(r), 0.0);
  z(x) = 0x28;
  EXPECT_EQ(bits(x, {{kw::low1, r}}), "");
  EXPECT_EQ(z(r), 3.0);
  EXPECT_EQ(bits(x, {{kw::high1, r}}), "");
  EXPECT_EQ(z(r), 5.0);
  // Positions count over the elements visited.
  const std::int32_t s = str(std::string("\x00\x00\x04", 3));
  EXPECT_EQ(bits(s, {{kw::low1, r}}), "");
  EXPECT_EQ(z(r), 18.0);
  const std::int32_t into = arr({0, 0}), two = str("AB");
  EXPECT_EQ(bits(two, {{kw::getval, into}}), "");
  EXPECT_EQ(cells(into), (std::vector<double>{65, 66}));
  EXPECT_EQ(bits(two, {{kw::getval, r}}), "bitsval");
  EXPECT_EQ(iostatw[1], 3708);
  EXPECT_EQ(bits(two, {{kw::getval, cst(1)}}), "bitsKWarg");
  EXPECT_EQ(iostatw[1], 3712);
  EXPECT_EQ(bits(cst(3), {{kw::setval, cst(1)}}), "bitsKWarg");
  EXPECT_EQ(iostatw[1], 3724);
  // A result array with too few cells.
  const std::int32_t one = arr({0});
  EXPECT_EQ(bits(two, {{kw::bitcount, one}}), "bitsval");
  EXPECT_EQ(iostatw[1], 3707);
}

TEST_F(Bits, ErrorsAndTheirReport) {
  const std::int32_t s = str("ab");
  EXPECT_EQ(bits(s, {{kw::base}}), "unexpected");
  EXPECT_EQ(iostatw[1], 3700);
  EXPECT_EQ(bits(s, {{kw::base, cst(1)}}), "bitskwseq");
  EXPECT_EQ(iostatw[1], 3718);
  const std::int32_t big = cst(99);
  EXPECT_EQ(bits(s, {{kw::setbit, cst(1)}, {kw::clr, big}}), "bitsadrs");
  EXPECT_EQ(iostatw[2], 3);  // the target counts 1
  EXPECT_EQ(iostatw[3], 1);  // the origin
  EXPECT_EQ(failedline.trimmed(), "CLR #");
  EXPECT_EQ(storetest::textof(s), "cb");  // what was done stays
  // After ERror every failure is silent.
  EXPECT_EQ(bits(s, {{kw::error, 0}, {kw::clr, big}}), "");
  EXPECT_EQ(bits(s, {{kw::box, cst(1)}}), "bitsbox");
  EXPECT_EQ(bits(num(1), {{kw::copy, cst(1)}}), "bitsMvCp");
  EXPECT_EQ(bits(num(1), {{kw::xlate, str("1:2")}}), "bitsXLate");
}

TEST_F(Bits, BoxesWindowsAndRings) {
  // BoxDim=(2,2) on a 4 x 4 view: BOX=3 is rows 2 and 3, columns 0 and 1.
  std::vector<double> zero(16, 0.0);
  const std::int32_t m = arr(zero, 4);
  EXPECT_EQ(bits(m, {{kw::boxdim, lst({2, 2})}, {kw::box, cst(3)}, {kw::setval, cst(1)}}), "");
  std::vector<double> want(16, 0.0);
  for (int e : {8, 9, 12, 13}) want[static_cast<std::size_t>(e)] = 1;
  EXPECT_EQ(cells(m), want);
  // X and Y pick a column and a row from the origin.
  const std::int32_t g = arr(std::vector<double>(9, 0.0), 3);
  EXPECT_EQ(bits(g, {{kw::x, cst(2)}, {kw::y, cst(2)}, {kw::ring, cst(1)}, {kw::setval, cst(1)}}),
            "");
  EXPECT_EQ(cells(g), (std::vector<double>{1, 1, 1, 1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(bits(g, {{kw::x, cst(4)}}), "bitsadrs");
  EXPECT_EQ(iostatw[1], 3732);
  EXPECT_EQ(bits(g, {{kw::origin, cst(0)}, {kw::y, cst(2)}, {kw::setval, cst(7)}}), "");
  EXPECT_EQ(cells(g), (std::vector<double>{1, 1, 1, 1, 0, 1, 7, 7, 7}));
  // BitCount per box: a row gets bit v - 1 of each value v in the box's
  // cell, a matrix the count of each bit in the box's row.
  z(name(m).adr) = 3;
  const std::int32_t flags = arr({0, 0, 0, 0});
  EXPECT_EQ(bits(m, {{kw::boxdim, lst({2, 2})}, {kw::bitcount, flags}}), "");
  EXPECT_EQ(cells(flags), (std::vector<double>{4, 0, 1, 0}));
  const std::int32_t counts = arr(std::vector<double>(8, 0.0), 4);
  EXPECT_EQ(bits(m, {{kw::boxdim, lst({2, 2})}, {kw::bitcount, counts}}), "");
  EXPECT_EQ(cells(counts), (std::vector<double>{1, 1, 0, 0, 4, 0, 0, 0}));
}

TEST_F(Bits, CopyMoveTranslateAndPools) {
  const std::int32_t a = arr({1, 2, 3, 4});
  EXPECT_EQ(bits(a, {{kw::copy, cst(1)}}), "");
  EXPECT_EQ(cells(a), (std::vector<double>{1, 1, 2, 3}));  // all elements at once
  EXPECT_EQ(bits(a, {{kw::move, cst(-1)}}), "");
  EXPECT_EQ(cells(a), (std::vector<double>{1, 2, 3, 0}));
  // XLate: the first occurrence of the key wins ("5:" inside "15:").
  const std::int32_t s = str(std::string("\x05\x00", 2));
  EXPECT_EQ(bits(s, {{kw::rowscolsbits, cst(16)}, {kw::xlate, str("15:AB,5:C")}}), "");
  EXPECT_EQ(storetest::textof(s), "AB");
  const std::int32_t t = str("\x07");
  EXPECT_EQ(bits(t, {{kw::xlate, str("15:AB,5:C")}}), "");
  EXPECT_EQ(storetest::textof(t), "\x07");
  // A pool hands its values out one by one.
  const std::int32_t pool = arr({4, 5, 6});
  const std::int32_t row = arr({0, 0, 0});
  EXPECT_EQ(bits(row, {{kw::pool, pool}, {kw::setval, pool}}), "");
  EXPECT_EQ(cells(row), (std::vector<double>{4, 5, 6}));
  const std::int32_t text = str("7 8 9");
  EXPECT_EQ(bits(row, {{kw::pool, text}, {kw::setval, text}}), "");
  EXPECT_EQ(cells(row), (std::vector<double>{7, 8, 9}));
  EXPECT_EQ(bits(row, {{kw::pool, num(1)}}), "notStringorArray");
}

TEST_F(Bits, PoolPassesJumpsAndLargeSettings) {
  // The option list runs again while the pool has values left.
  const std::int32_t row = arr({0, 0});
  const std::int32_t p = arr({4, 5, 6, 7});
  EXPECT_EQ(bits(row, {{kw::pool, p}, {kw::setval, p}}), "");
  EXPECT_EQ(cells(row), (std::vector<double>{6, 7}));
  // JumpBase moves the window's first row and column (counted from 1).
  const std::int32_t g = arr(std::vector<double>(9, 0.0), 3);
  EXPECT_EQ(bits(g, {{kw::jumpbase, lst({2, 2})}, {kw::setval, cst(1)}}), "");
  EXPECT_EQ(cells(g), (std::vector<double>{0, 0, 0, 0, 1, 1, 0, 1, 1}));
  // Outside the view it ends the pass without a message.
  EXPECT_EQ(bits(g, {{kw::jumpbase, cst(4)}, {kw::setval, cst(5)}}), "");
  EXPECT_EQ(cells(g), (std::vector<double>{0, 0, 0, 0, 1, 1, 0, 1, 1}));
  // Huge radii and box ranges end quickly.
  EXPECT_EQ(bits(g, {{kw::ring, cst(1e9)}, {kw::setval, cst(3)}}), "");
  EXPECT_EQ(cells(g), (std::vector<double>{0, 0, 0, 0, 1, 1, 0, 1, 1}));
  EXPECT_EQ(bits(g, {{kw::boxdim, cst(1)}, {kw::box, lst({1, 1e9})}, {kw::setval, cst(2)}}), "");
  EXPECT_EQ(cells(g), std::vector<double>(9, 2.0));
}

TEST_F(Bits, ArbitraryOptionListsStayInsideTheirVariables) {
  // Every keyword with every kind of value, on every kind of target: the
  // call may fail, but it writes only into its target and value variables
  // (the sanitizers watch the stores) and always returns 0.
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const std::int32_t scalar = num(77), row = arr({1, 2, 3, 4, 5, 6});
  const std::int32_t matrix = arr({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 3);
  const std::int32_t text = str("abcdefg"), numbers = str("3 1 4 1 5");
  const std::int32_t table = str("1:x,2:yz"), result = arr({0, 0, 0}), single = num(0);
  std::vector<std::int32_t> small, wide;
  for (int v = -5; v < 15; ++v) small.push_back(cst(v));
  for (int v = -100; v < 100; v += 7) wide.push_back(cst(v));
  const std::int32_t two = lst({0, 0}), three = lst({0, 0, 0});
  const std::int32_t targets[] = {scalar, row, matrix, text};
  for (int round = 0; round < 3000; ++round) {
    std::vector<Opt> opts;
    const auto n = next(5);
    for (std::uint32_t i = 0; i < n; ++i) {
      Opt o{static_cast<int>(next(37))};
      switch (next(9)) {
        case 0:
          break;
        case 1:
          o.v = small[next(static_cast<std::uint32_t>(small.size()))];
          break;
        case 2:
          o.v = wide[next(static_cast<std::uint32_t>(wide.size()))];
          break;
        case 3:
          name(two).namlen = -2;
          z(name(two).adr) = next(6);
          z(name(two).adr + 1) = next(6);
          o.v = two;
          break;
        case 4:
          name(three).namlen = -3;
          z(name(three).adr) = next(5);
          z(name(three).adr + 1) = next(5);
          z(name(three).adr + 2) = next(70);
          o.v = three;
          break;
        case 5:
          o.v = result;
          break;
        case 6:
          o.v = table;
          break;
        case 7:
          o.v = numbers;
          break;
        default:
          o.v = single;
          break;
      }
      opts.push_back(o);
    }
    bits(targets[next(4)], opts);
  }
}

}  // namespace
