// A program statement is linked once and its linked form reused while its
// words and the types of its operands stay the same: what the evaluator
// gets must be exactly what a fresh linking would give.
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

// What the evaluator was handed, and the state linking left.
struct Seen {
  std::vector<std::int16_t> codes;
  std::vector<std::int32_t> values;
  std::vector<std::int32_t> rest;  // the values beyond the used entries
  std::int32_t header = 0;
  std::int32_t capacity = 0;
  std::vector<std::int16_t> kinds, descrvalues;
  std::int32_t ndescr = 0, opflags = 0, nelem = 0, lhsdescr = 0, swappos = 0, nstream = 0;
  bool operator==(const Seen&) const = default;
};
Seen seen;

// Records what it got, then scribbles over the arrays as an evaluator may.
std::int32_t scribbler(std::span<std::int16_t> codes, std::int32_t& total,
                       std::span<std::int32_t> values, std::int32_t& capacity,
                       std::int32_t& header) {
  seen = Seen{};
  seen.codes.assign(codes.begin(), codes.begin() + total);
  seen.values.assign(values.begin(), values.begin() + total);
  seen.rest.assign(values.begin() + total, values.begin() + capacity);
  seen.header = header;
  seen.capacity = capacity;
  const auto& x = xeqexpr;
  for (std::int32_t j = 1; j <= x.ndescr; ++j) {
    seen.kinds.push_back(tokbeg(j));
    seen.descrvalues.push_back(tokend(j));
  }
  seen.ndescr = x.ndescr;
  seen.opflags = x.opflags;
  seen.nelem = x.nelem;
  seen.lhsdescr = x.lhsdescr;
  seen.swappos = x.swappos;
  seen.nstream = x.nstream;
  for (auto& c : codes) c = 0x1234;
  for (auto& v : values) v = -77;
  for (std::int32_t j = 1; j <= x.ndescr; ++j) tokbeg(j) = tokend(j) = 99;
  xeqexpr.opflags = xeqexpr.nelem = 12345;
  return 0;
}

class LinkReuseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    reset_xeq2();
    reset_tempstrings();
    for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) addsym(nm, 0x80);
    x = addsym("X", 0x80);
    a = addsym("A", 0x80);
    v = addsym("V", 0x10);
    lbl = addsym("10", 2);
    iresult = nsym + 10;
    nstmt = 3;
    xeqline = 2;
    saved = xeq3;
    xeq3 = scribbler;
  }
  void TearDown() override { xeq3 = saved; }
  Evaluator saved = nullptr;

  // Links the words with the end word in an output area of `room` entries
  // (0: eight per word and more) that starts out dirty.
  std::int32_t link(std::initializer_list<std::int32_t> ws, std::size_t room = 0) {
    words.clear();
    for (auto w : ws) words.push_back(static_cast<std::int16_t>(w));
    words.push_back(static_cast<std::int16_t>(0x8000));
    out.assign(room != 0 ? room : 8 * words.size() + 8, 555);
    return XEQ2(words, out);
  }
  // What a fresh linking of the same words gives.
  Seen fresh(std::initializer_list<std::int32_t> ws) {
    reset_xeq2();
    link(ws);
    return seen;
  }

  std::int32_t x = 0, a = 0, v = 0, lbl = 0;
  std::vector<std::int16_t> words;
  std::vector<std::int32_t> out;
};

TEST_F(LinkReuseTest, RepeatedStatementGetsTheSameArraysAndState) {
  // X = A with V(A) on the right, a label operand early on: descriptors,
  // split and the error label all come back on every run.
  const auto ws = {0, x, 0x8840, v, a, 0xF050, lbl, a, 0x8880, a, a, a};
  const Seen first = fresh(ws);
  EXPECT_EQ(first.ndescr, 1);
  for (int run = 0; run < 3; ++run) {
    nomsg = 0;
    EXPECT_EQ(link(ws), 0);
    EXPECT_EQ(seen, first) << "run " << run;
    EXPECT_EQ(nomsg, lbl);
    for (std::int32_t r : seen.rest) EXPECT_EQ(r, 0);
    EXPECT_EQ(c1tmptop, c1top + 1);
  }
  // Another statement number holds its own form; the first still holds.
  xeqline = 3;
  const auto other = {0, a, 0x8840, x, 0x8880};
  EXPECT_EQ(link(other), 0);
  const Seen second = seen;
  xeqline = 2;
  EXPECT_EQ(link(ws), 0);
  EXPECT_EQ(seen, first);
  xeqline = 3;
  EXPECT_EQ(link(other), 0);
  EXPECT_EQ(seen, second);
}

TEST_F(LinkReuseTest, ChangedWordsOrTypesAreLinkedAgain) {
  const auto before = {0, x, 0x8840, a, 0x8880};
  const auto after = {0, x, 0x8840, v, 0x8880};
  link(before);
  EXPECT_EQ(link(after), 0);  // new words at the same statement number
  EXPECT_EQ(seen, fresh(after));
  EXPECT_EQ(seen.ndescr, 1);
  // A becomes an array: the same words now make a reference.
  xeqline = 2;
  link(before);
  link(before);
  name(a).type = 0x10;
  link(before);
  const Seen relinked = seen;
  EXPECT_EQ(relinked.ndescr, 1);
  EXPECT_EQ(relinked, fresh(before));
  // A word beyond the symbol table, until the table grows over it.
  const std::int32_t beyond = nname + 1;
  const auto ahead = {0, x, 0x8840, beyond, 0x8880};
  link(ahead);
  link(ahead);
  EXPECT_EQ(seen.codes[2], 0xA8);
  std::int32_t extra = 64;
  ASSERT_TRUE(REALLOC(4, extra));
  name(beyond).type = 0x80;
  link(ahead);
  EXPECT_EQ(seen.codes[2], 0x80);
  EXPECT_EQ(seen.values[2], beyond);
}

TEST_F(LinkReuseTest, RoomIsCheckedOnEveryRun) {
  const auto ws = {0, a, a, a, a};
  EXPECT_EQ(link(ws), 0);
  EXPECT_EQ(link(ws, 3), xeq2overrun);
  EXPECT_EQ(failedline.trimmed(), "adrS/CMD overrun");
  EXPECT_EQ(link(ws), 0);
  // A smaller area that still holds the statement is enough.
  const std::size_t total = seen.codes.size();
  EXPECT_EQ(link(ws, total), 0);
  EXPECT_EQ(seen.capacity, static_cast<std::int32_t>(total));
}

TEST_F(LinkReuseTest, SingleStatementsAndFailuresAreNotKept) {
  // A translated line in single-statement mode has no statement number.
  xeqmode = 0x40;
  const auto ws = {0, x, 0x8840, a, 0x8880};
  link(ws);
  EXPECT_EQ(seen, fresh(ws));
  xeqmode = 0;
  // A failed linking is reported again on the next run.
  const std::int32_t sub = addsym("SUB", 4);
  EXPECT_EQ(link({0, x, 0x8840, sub, 0x8880}), xeq2notimplemented);
  iostatw[0] = 0;
  EXPECT_EQ(link({0, x, 0x8840, sub, 0x8880}), xeq2notimplemented);
  EXPECT_EQ(iostatw[0], xeq2notimplemented);
}

}  // namespace

namespace {

// Linking without evaluating gives the arrays the evaluator would get and
// leaves the expression state and the error label as they were.
TEST_F(LinkReuseTest, LinkingAloneGivesTheEvaluatorsArraysAndChangesNothing) {
  const auto ws = {0, x, 0x8840, v, a, 0xF050, lbl, a, 0x8880, a, a, a};
  const Seen evaluated = fresh(ws);
  xeqexpr.opflags = 77;
  nomsg = 5;
  LinkedStatement l;
  ASSERT_TRUE(XEQ2LINK(words, l));
  EXPECT_EQ(l.codes, evaluated.codes);
  EXPECT_EQ(l.values, evaluated.values);
  EXPECT_EQ(l.ndescr, evaluated.ndescr);
  EXPECT_EQ(l.labelmsg, lbl);
  EXPECT_EQ(xeqexpr.opflags, 77);
  EXPECT_EQ(nomsg, 5);
}

}  // namespace
