// Every executor-form statement that the expression translator writes is
// linked by the expression linker without error.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "core/trans_fixture.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"

using namespace core;

namespace {

struct Seen {
  int calls = 0;
  std::vector<std::int16_t> codes;
  std::vector<std::int32_t> values;
  std::int32_t header = 0;
};
Seen seen;

std::int32_t recorder(std::span<std::int16_t> codes, std::int32_t& total,
                      std::span<std::int32_t> values, std::int32_t& /*capacity*/,
                      std::int32_t& header) {
  ++seen.calls;
  seen.codes.assign(codes.begin(), codes.begin() + total);
  seen.values.assign(values.begin(), values.begin() + total);
  seen.header = header;
  return 0;
}

// Translates the line and links its executor form as the statement loop
// would: the words after the first, with the end word.
std::int32_t roundtrip(std::string_view line) {
  translex::lex(line);
  TRANS(line);
  EXPECT_EQ(xeqstop, 0) << line;
  if (ntrans < 1 || tokcod(1) != -1) return -1;
  std::vector<std::int16_t> words;
  for (std::int32_t k = 2; k <= ntrans; ++k) words.push_back(tokcod(k));
  words.push_back(static_cast<std::int16_t>(0x8000));
  std::vector<std::int32_t> out(8 * words.size() + 8, 0);
  return exec::XEQ2(words, out);
}

class TransRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    translex::setup();
    exec::reset_xeq2();
    exec::reset_tempstrings();
    saved = exec::xeq3;
    exec::xeq3 = recorder;
    seen = Seen{};
    iresult = nsym + 20;
    translex::array("V", 4, 1);
    translex::array("M", 2, 3);
    translex::text("S");
    translex::text("F");
  }
  void TearDown() override { exec::xeq3 = saved; }
  exec::Evaluator saved = nullptr;
};

TEST_F(TransRoundTrip, EveryExecutorFormLineLinks) {
  const char* lines[] = {
      "X=A+B*C",
      "X=A*-B",
      "X=2^3^2",
      "X=A//B+C",
      "X=MAX(A,B)",
      "X=MAX(A,B,C)",
      "X=MIN(A,B,C,D)",
      "X=(1,2,3)",
      "X=MOD(A,B)",
      "X=SIN(A)+COS(B)",
      "X=V(I)",
      "X=M(I,J)",
      "V(I)=X",
      "V=V*2",
      "S=S(2:4)",
      "S=S(:4)",
      "S=S(2:)",
      "S=S(2)",
      "S=S//F",
      "IF (X>1) THEN",
      "ELSEIF (X<2) THEN",
      "ELSE",
      "ENDIF",
      "IF (X>=1) Y=2",
      "10 X=1",
      "X=(((((((A)))))))",
      "OPEN(FIle=F,NEW)",
      "OPEN(ERror=100,NEW)",
      "WRITE(Text=F) A,B",
      "X=ABS(-A)",
      "X=INDEX(S,F)",
      "DIMENSION W(2)",
      "CHARACTER T*4",
      "X=-(A)",
      "X=LEN(S)",
      "X=A.LT.B",
      "X=MAX(V(1),V(2),3)",
      "X=M(1:2,3)",
      "S=S(I+1:4)",
      "X=SUM(V)",
      "X=-A^2",
      "",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    const std::int32_t r = roundtrip(line);
    EXPECT_NE(r, -1) << "not in the executor form";
    EXPECT_EQ(r, 0);
  }
}

TEST_F(TransRoundTrip, ReferencesFindTheirArgumentBlocks) {
  // The inner list is closed first: its block is descriptor 1, and the
  // first reference word met refers to it.
  ASSERT_EQ(roundtrip("X=MAX(A,MAX(B,C,D),E)"), 0);
  std::vector<std::int32_t> blocks, refs;
  for (std::size_t j = 1; j < seen.codes.size(); ++j) {
    const auto u = static_cast<std::uint16_t>(seen.codes[j]);
    if ((u & 0xFC00u) == 0x8C00u) blocks.push_back(seen.values[j]);
    if ((u & 0xFC00u) == 0xA400u) refs.push_back(seen.values[j]);
  }
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(refs, blocks);
}

// Random numeric expressions of valid arity: each one translates, and its
// executor form links (unless it needs more descriptors or segments than a
// statement has).
TEST_F(TransRoundTrip, RandomExpressionsTranslateAndLink) {
  const auto a = static_cast<std::int16_t>(translex::sym("A"));
  const auto x = static_cast<std::int16_t>(translex::sym("X"));
  const auto v = static_cast<std::int16_t>(translex::sym("V"));
  const auto two = static_cast<std::int16_t>(translex::num("2"));
  const std::int16_t ops[] = {cwd::plus,   cwd::minus, cwd::times,
                              cwd::divide, cwd::power, cwv(0x9C10)};
  const std::int16_t fns[] = {builtincode("SIN"), builtincode("MAX"),  builtincode("MIN"),
                              builtincode("MOD"), builtincode("SUM"),  builtincode("IAND"),
                              builtincode("ABS"), builtincode("SIGN"), builtincode("MAXLOC")};
  std::mt19937 rng(7);
  std::vector<std::int16_t> t;
  std::function<void(int)> expr = [&](int depth) {
    switch (depth > 3 ? 0 : rng() % 7) {
      case 0:
      case 1: {
        const std::int16_t o[] = {a, two, v};
        t.push_back(o[rng() % 3]);
        break;
      }
      case 2:
        expr(depth + 1);
        t.push_back(ops[rng() % 6]);
        expr(depth + 1);
        break;
      case 3:
        t.push_back(cwd::lparen);
        expr(depth + 1);
        t.push_back(cwd::rparen);
        break;
      case 4: {
        const std::int16_t f = fns[rng() % 9];
        const int args = f == fns[0] || f == fns[6]                  ? 1
                         : f == fns[3] || f == fns[5] || f == fns[7] ? 2
                                                                     : 2 + rng() % 3;
        t.push_back(f);
        t.push_back(cwd::lparen);
        const std::size_t from = t.size();
        for (int k = 0; k < args; ++k) {
          if (k > 0) t.push_back(cwd::comma);
          expr(depth + 1);
        }
        // (MAXLOC of a list takes numbers only: no array stands whole in it.)
        if (f == fns[8])
          for (std::size_t j = from; j < t.size(); ++j)
            if (t[j] == v && (j + 1 == t.size() || t[j + 1] != cwd::lparen)) t[j] = a;
        t.push_back(cwd::rparen);
        break;
      }
      case 5:
        t.push_back(v);
        t.push_back(cwd::lparen);
        expr(depth + 1);
        t.push_back(cwd::rparen);
        break;
      default:
        t.push_back(cwd::uminus);
        expr(depth + 1);
    }
  };
  exec::xeq3 = nullptr;
  for (int it = 0; it < 3000; ++it) {
    t = {x, cwd::assign};
    expr(0);
    t.push_back(cwd::end);
    ntok = 0;
    for (auto w : t) {
      tokcod(++ntok) = w;
      tokbeg(ntok) = tokend(ntok) = static_cast<std::int16_t>(ntok);
    }
    TRANS("random");
    ASSERT_EQ(xeqstop, 0) << "statement " << it << " fails with " << trans2error;
    ASSERT_EQ(tokcod(1), -1);
    std::vector<std::int16_t> words;
    int segments = 0;
    for (std::int32_t k = 2; k <= ntrans; ++k) {
      words.push_back(tokcod(k));
      if (tokcod(k) < 0 && (tokcod(k) & 0x1F) == 0x1F) ++segments;
    }
    words.push_back(cwd::end);
    std::vector<std::int32_t> out(8 * words.size() + 8, 0);
    const std::int32_t r = exec::XEQ2(words, out);
    if (r == exec::xeq2overrun && (segments > 4 || exec::xeqexpr.ndescr >= exec::ntemps)) continue;
    ASSERT_EQ(r, 0) << "statement " << it;
  }
}

}  // namespace
