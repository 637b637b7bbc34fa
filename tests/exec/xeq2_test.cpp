#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "support/stores_fixture.h"

using namespace core;
using namespace exec;

namespace {

using storetest::addsym;

struct Captured {
  std::vector<std::int16_t> codes;
  std::vector<std::int32_t> values;
  std::int32_t header = 0;
  std::int32_t answer = 0;
};
Captured cap;

std::int32_t capture(std::span<std::int16_t> codes, std::int32_t& total,
                     std::span<std::int32_t> values, std::int32_t&, std::int32_t& header) {
  cap.codes.assign(codes.begin(), codes.begin() + total);
  cap.values.assign(values.begin(), values.begin() + total);
  cap.header = header;
  return cap.answer;
}

class Xeq2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    reset_xeq2();
    reset_tempstrings();
    for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) addsym(nm, 0x80);
    x = addsym("X", 0x80);
    a = addsym("A", 0x80);
    v = addsym("V", 0x10);
    s = addsym("S", 0x40);
    f = addsym("F", 0x140);
    lbl = addsym("10", 2);
    sub = addsym("SUB", 4);
    iresult = nsym + 10;
    saved = xeq3;
    xeq3 = capture;
    cap = Captured{};
  }
  void TearDown() override { xeq3 = saved; }
  Evaluator saved = nullptr;

  // Links the words (word 1, the prefix count, first) with the end word.
  std::int32_t link(std::initializer_list<std::int32_t> ws) {
    words.clear();
    for (auto w : ws) words.push_back(static_cast<std::int16_t>(w));
    words.push_back(static_cast<std::int16_t>(0x8000));
    out.assign(8 * words.size() + 8, 0);
    return XEQ2(words, out);
  }
  // The stream part of what the evaluator got (codes after the descriptors).
  std::vector<std::int16_t> stream() const {
    return {cap.codes.begin() + 1 + xeqexpr.ndescr, cap.codes.end()};
  }

  std::int32_t x = 0, a = 0, v = 0, s = 0, f = 0, lbl = 0, sub = 0;
  std::vector<std::int16_t> words;
  std::vector<std::int32_t> out;
};

std::vector<std::int16_t> W(std::initializer_list<std::int32_t> v) {
  std::vector<std::int16_t> r;
  for (auto x : v) r.push_back(static_cast<std::int16_t>(x));
  return r;
}

TEST_F(Xeq2Test, PlainOperandsAndScalarStatement) {
  EXPECT_EQ(link({0, x, 0x8840, a, 0x8880}), 0);
  EXPECT_EQ(stream(), W({0x80, 0x80, 0x8880, 0x8000}));
  EXPECT_EQ(cap.values[1], x);
  EXPECT_EQ(cap.values[2], a);
  EXPECT_EQ(cap.header, 2);  // split before the second entry, no descriptors
  EXPECT_EQ(xeqexpr.nelem, 1);
  EXPECT_EQ(xeqexpr.nelemall, 1);
  EXPECT_EQ(c1tmptop, c1top + 1);
  // Predefined cells are their own codes and set their operand bit.
  EXPECT_EQ(link({0, x, 0x8840, 1, 0x8880}), 0);
  EXPECT_EQ(stream(), W({0x80, 1, 0x8880, 0x8000}));
  EXPECT_EQ(xeqexpr.opflags, 1 | 2);
  // A single word statement links nothing but its end word.
  EXPECT_EQ(link({0}), 0);
  EXPECT_EQ(cap.codes.size(), 2u);
}

TEST_F(Xeq2Test, WordsThatTakeNoOrTwoPositions) {
  EXPECT_EQ(link({0, 0, 0xA800, 0xA803, lbl, a, 0x7FFF, 0xC820}), 0);
  EXPECT_EQ(stream(), W({0x80, 0x81, 0xC820, 0x8000}));
  EXPECT_EQ(link({0, 0xA805, 0xA810, 0xF400, 0, a}), 0);
  EXPECT_EQ(stream(), W({5014, 5006, 0x80, 0, 0xF400, 0, 0x80, 0x8000}));
  // A cell beyond the symbol table.
  EXPECT_EQ(link({0, nname + 5}), 0);
  EXPECT_EQ(stream(), W({0xA8, 0x8000}));
}

TEST_F(Xeq2Test, LabelOperandsSetTheErrorLabelUnlessAtTheEnd) {
  nomsg = 0;
  EXPECT_EQ(link({0, 0xF000, lbl, a, x, 0x8880}), 0);
  EXPECT_EQ(nomsg, lbl);
  nomsg = 0;
  EXPECT_EQ(link({0, a, 0xF000, lbl}), 0);
  EXPECT_EQ(nomsg, 0);
}

TEST_F(Xeq2Test, ReferencesAndDescriptors) {
  // X = V(A): V read after the split.
  EXPECT_EQ(link({0, x, 0x8840, v, a, 0xF050, 0x8880}), 0);
  EXPECT_EQ(xeqexpr.ndescr, 1);
  EXPECT_EQ(cap.codes[1], xeqop::reference);
  EXPECT_EQ(cap.values[1], v);
  EXPECT_EQ(stream(), W({0x80, 5002, 0x80, 5005, 0x8880, 0x8000}));
  // V = V*2: the array read while it is written.
  EXPECT_EQ(link({0, v, 0xF040, 0x8840, v, 0xF040, a, 0xD860, 0x8880}), 0);
  EXPECT_EQ(xeqexpr.ndescr, 2);
  EXPECT_EQ(cap.codes[1], xeqop::closedtarget);
  EXPECT_EQ(stream()[0], 5002);
  EXPECT_EQ(stream()[1], 5003);
  // Without a split every reference is plain.
  EXPECT_EQ(link({0, s, 0xF340}), 0);
  EXPECT_EQ(cap.codes[1], xeqop::reference);
  EXPECT_EQ(stream(), W({5013, 0xF340, 0x8000}));
  EXPECT_EQ(cap.values[3], -1);  // the selector names the current descriptor
}

TEST_F(Xeq2Test, TableFileSymbols) {
  // F(1, 2) = A: the element closer makes the stream code 0x100 and 5008.
  EXPECT_EQ(link({0, f, a, a, 0xF620, 0x8840, a, 0x8880}), 0);
  EXPECT_EQ(stream()[0], 0x100);
  EXPECT_EQ(cap.values[2], f);
  EXPECT_EQ(stream()[3], 5008);
  EXPECT_EQ(stream()[5], static_cast<std::int16_t>(0x8881));  // assignment into a table element
  // F alone: a table-file descriptor.
  EXPECT_EQ(link({0, f, 0xF340}), 0);
  EXPECT_EQ(cap.codes[1], xeqop::tablefile);
}

TEST_F(Xeq2Test, ArgumentReferencesCountBlocksInOrder) {
  EXPECT_EQ(link({0, a, 0x8C01, a, 0x8C02, x, 0xA401, a, 0xA402, 0x8880}), 0);
  ASSERT_EQ(xeqexpr.ndescr, 2);
  EXPECT_EQ(cap.codes[1], xeqop::argblock);
  EXPECT_EQ(cap.values[1], 2);
  EXPECT_EQ(cap.values[2], 3);
  const auto st = stream();
  EXPECT_EQ(st[5], static_cast<std::int16_t>(0xA401));
  EXPECT_EQ(cap.values[2 + 6], 1);  // stream entry s stands at ndescr + s
  EXPECT_EQ(cap.values[2 + 8], 2);
  // X = MOD(A, A) + MOD(A, MOD(A, A)): the third block holds the second
  // one's reference, which is met before the first block's.
  const std::int32_t m = 0xE8E0;
  EXPECT_EQ(link({0, a, 0x8C01, a, 0x8C01, a, 0xA401, m, 0x8C01, x, 0x8840, a, 0xA401, m, a, 0xA401,
                  m, 0xC820, 0x8880}),
            0);
  ASSERT_EQ(xeqexpr.ndescr, 3);
  std::vector<std::int32_t> named;
  const auto refs = stream();
  for (std::size_t i = 0; i < refs.size(); ++i)
    if (refs[i] == static_cast<std::int16_t>(0xA401)) named.push_back(cap.values[3 + i + 1]);
  EXPECT_EQ(named, (std::vector<std::int32_t>{2, 1, 3}));
}

TEST_F(Xeq2Test, SegmentsMatchTheirOpeners) {
  EXPECT_EQ(
      link({0, static_cast<std::int32_t>(0xE91F), a, static_cast<std::int32_t>(0xE91E), 0, a}), 0);
  EXPECT_EQ(stream(), W({5011, 0x80, 5012, 0x80, 0x8000}));
  EXPECT_EQ(cap.values[1], static_cast<std::int16_t>(0xE900));
  EXPECT_EQ(cap.values[3], 1 - 2);
  // A fifth segment level is refused.
  EXPECT_EQ(link({0, 0xE91F, 0xE91F, 0xE91F, 0xE91F, 0xE91F, a}), xeq2overrun);
  EXPECT_EQ(failedline.trimmed(), "adrS/CMD overrun");
  // Segments one after another share their level, however many there are.
  const std::int32_t o = 0xE91F, c = 0xE91E;
  EXPECT_EQ(link({0, o, a, c, 0, o, a, c, 0, o, a, c, 0, o, a, c, 0, o, a, c, 0}), 0);
}

TEST_F(Xeq2Test, Failures) {
  EXPECT_EQ(link({0, x, 0x8840, sub, 0x8880}), xeq2notimplemented);
  EXPECT_EQ(failedline.trimmed(), "not yet implemented");
  EXPECT_EQ(xeqfailword, static_cast<float>(sub));
  EXPECT_EQ(xeqfailpos, 4.0F);
  EXPECT_EQ(iostatw[0], 2001);
  // More descriptors than temporary numbers.
  std::vector<std::int32_t> many = {0};
  for (int k = 0; k < 32; ++k) many.push_back(v);
  words.clear();
  for (auto w : many) words.push_back(static_cast<std::int16_t>(w));
  out.assign(8 * words.size(), 0);
  EXPECT_EQ(XEQ2(words, out), xeq2overrun);
  // An output area too small for the stream.
  words = W({0, a, a, a, a});
  out.assign(3, 0);
  EXPECT_EQ(XEQ2(words, out), xeq2overrun);
  // The evaluator's error result is kept with the statement number.
  xeqline = 33;
  cap.answer = 3006;
  EXPECT_EQ(link({0, a}), 3006);
  EXPECT_EQ(iostatw[0], 3006);
  EXPECT_EQ(iostatw[1], 33);
  // Block results of the evaluator pass unchanged.
  cap.answer = static_cast<std::int32_t>(0x80000021u);
  EXPECT_EQ(link({0, a}), static_cast<std::int32_t>(0x80000021u));
}

TEST(TempStrings, MadeAdjacentAndBlank) {
  reset_stores();
  reset_runwords();
  reset_xeq2();
  reset_tempstrings();
  std::int32_t zero = 0, one = 1;
  nc1namen = 200;
  ALLOCS("z", zero, nz);
  ALLOCS("name", one, nname);
  ALLOCS("c1namen", one, nc1namen);
  c1top = 10;
  c1tmptop = 10;
  c1limit = 150;
  for (std::int32_t p = 1; p <= nc1namen; ++p) c1namen(p) = 'x';
  starttempstrings();
  EXPECT_EQ(tmptop(), 11);
  EXPECT_EQ(MAKETEMPSTRING(40, 5, -3), tempmade);  // a negative number names the same
  EXPECT_EQ(tmpbeg(3), 11);
  EXPECT_EQ(tmpend(3), 15);
  EXPECT_EQ(tmpsym(3), 40);
  EXPECT_EQ(name(40).type, 0x48);
  std::int32_t first = 0, last = 0;
  TRANSFERR8TO2I4(z(40), first, last);
  EXPECT_EQ(first, 11);
  EXPECT_EQ(last, 15);
  for (std::int32_t p = 11; p <= 15; ++p) EXPECT_EQ(c1namen(p), ' ');
  EXPECT_EQ(MAKETEMPSTRING(41, 0, 4), tempmade);  // empty: last one below first
  EXPECT_EQ(tmpbeg(4), 16);
  EXPECT_EQ(tmpend(4), 15);
  EXPECT_EQ(tmptop(), 16);
  EXPECT_EQ(xeqexpr.tmplen, 0);
  // A copy of an overlapping source stays intact.
  for (std::int32_t p = 16; p <= 19; ++p) c1namen(p) = static_cast<char>('a' + p - 16);
  xeqexpr.ndescr = 4;
  EXPECT_EQ(COPYTEMPSTRING(16, 19, 42), tempmade);
  EXPECT_EQ(tmpbeg(5), 16);
  EXPECT_EQ(std::string(c1namen.ptr(16), 4), "abcd");
  EXPECT_EQ(xeqexpr.ndescr, 4);
  // Numbers beyond the tables are refused.
  EXPECT_EQ(MAKETEMPSTRING(40, 1, 32), tempoverrun);
  EXPECT_EQ(MAKETEMPSTRING(40, 1, 0), tempoverrun);
  // No room: the store grows and the statement must run again.
  xeqstop = 0;
  EXPECT_EQ(MAKETEMPSTRING(43, 200, 6), tempgrown);
  EXPECT_EQ(xeqstop, -998);
  EXPECT_GE(nc1namen, 200 + 64000);
}

}  // namespace
