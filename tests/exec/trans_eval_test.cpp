// Script lines compiled by the line compiler's stages (tokenizer, lexicon,
// translators), then linked and evaluated: the executor form means what
// the line says.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/lexicon.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"

using namespace core;

namespace {

class TransEval : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_stores();
    reset_runwords();
    reset_symbols();
    reset_lexicon();
    reset_trans();
    exec::reset_xeq2();
    exec::reset_tempstrings();
    std::int32_t zero = 0, one = 1;
    ALLOCS("z", zero, nz);
    ALLOCS("name", one, nname);
    ALLOCS("c1namen", one, nc1namen);
    nztop = nz + 1;
    c1limit = nc1namen + 1;
    for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) add(nm, 0x80);
    for (std::string_view nm : {"$CR", "$LF", "$CRLF", "$TAB", "$CMD_LINE"}) add(nm, 0x40);
    edflags = 0x1000;
    xeqmode = 0x100;
    saved = exec::xeq3;
    exec::xeq3 = &exec::XEQ3;
  }
  void TearDown() override { exec::xeq3 = saved; }

  static void add(std::string_view nm, int type) {
    const std::int32_t k = ++nsym;
    name(k) = SymbolRecord{};
    name(k).type = static_cast<std::int16_t>(type);
    name(k).nambeg = c1top + 1;
    name(k).namlen = static_cast<std::int16_t>(nm.size());
    for (char c : nm) c1namen(++c1top) = c;
  }

  // Compiles and, in the executor form, runs one line; the linker's result.
  std::int32_t run(std::string_view line) {
    const std::string text = std::string(line) + "\r\n";
    std::array<double, maxtokens> values{};
    for (int round = 0; round < 3; ++round) {
      xeqstop = 0;
      std::int32_t mode = 1;
      TOKEN(text, values, mode);
      if (xeqstop != 0) return -1;
      LEXIK(text, values, 0);
      if (xeqstop == -999) continue;
      if (xeqstop != 0) return -1;
      TRANS(text);
      if (xeqstop != 0) return -1;
      if (ntrans < 1 || tokcod(1) != -1) return 0;  // a declaration or the older form
      std::vector<std::int16_t> words;
      for (std::int32_t k = 2; k <= ntrans; ++k) words.push_back(tokcod(k));
      words.push_back(static_cast<std::int16_t>(0x8000));
      std::vector<std::int32_t> out(8 * words.size() + 8, 0);
      iresult = nsym + 20;
      return exec::XEQ2(words, out);
    }
    return -1;
  }
  static double value(std::string_view nm) {
    std::int32_t k = 0;
    return FINDSN(nm, k, 0x80) ? z(k) : -999.0;
  }
  static std::string text(std::string_view nm) {
    std::int32_t k = 0, first = 0, last = 0;
    if (!FINDSN(nm, k, 0x40)) return "?";
    ISCHAR(k, first, last);
    std::string s;
    for (std::int32_t p = first; p >= 1 && p <= last; ++p) s += c1namen(p);
    return s;
  }

  exec::Evaluator saved = nullptr;
};

TEST_F(TransEval, Arithmetic) {
  for (const char* l : {"A=1", "B=2", "C=3"}) ASSERT_EQ(run(l), 0) << l;
  const struct {
    const char* line;
    double x;
  } cases[] = {
      {"X=A+B*C", 7},
      {"X=(A+B)*C", 9},
      {"X=2^3^2", 64},
      {"X=-A^2", -1},
      {"X=A*-B", -2},
      {"X=MAX(A,B)", 2},
      {"X=MAX(A,B,C)", 3},
      {"X=MIN(C,B,A)", 1},
      {"X=SUM(A,B,C)", 6},
      {"X=MOD(7,3)", 1},
      {"X=ABS(-2)+INT(2.5)", 4},
      {"X=MAX(A,B,C)*2+MAX(1,9,2,3)", 15},
      {"X=MAXLOC(A,C,B)", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(run(c.line), 0);
    EXPECT_DOUBLE_EQ(value("X"), c.x);
  }
}

TEST_F(TransEval, ArraysAndStrings) {
  ASSERT_EQ(run("DIMENSION V(4)"), 0);
  ASSERT_EQ(run("CHARACTER S*6, T*6"), 0);
  EXPECT_EQ(run("V=2"), 0);
  EXPECT_EQ(run("V(2)=5"), 0);
  EXPECT_EQ(run("X=V(2)+V(1)"), 0);
  EXPECT_DOUBLE_EQ(value("X"), 7);
  EXPECT_EQ(run("X=SUM(V)"), 0);
  EXPECT_DOUBLE_EQ(value("X"), 11);
  EXPECT_EQ(run("X=MAX(V)"), 0);
  EXPECT_DOUBLE_EQ(value("X"), 5);
  EXPECT_EQ(run("X=2*SUM(V)+1"), 0);
  EXPECT_DOUBLE_EQ(value("X"), 23);
  EXPECT_EQ(run("S='abcdef'"), 0);
  EXPECT_EQ(run("T=S(2:4)"), 0);
  EXPECT_EQ(text("T"), "bcd   ");
  EXPECT_EQ(run("T=S(4:)//S(:1)"), 0);
  EXPECT_EQ(text("T"), "defa  ");
  EXPECT_EQ(run("X=LEN(S)"), 0);
  EXPECT_DOUBLE_EQ(value("X"), 6);
}

}  // namespace
