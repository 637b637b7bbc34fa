// Real script lines through the tokenizer, the lexicon, the translators and
// the expression linker on to the evaluator, and the values they leave.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/lexicon.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"

using namespace core;

namespace {

class EvalLines : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    reset_trans();
    for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) storetest::addsym(nm, 0x80);
    for (std::string_view nm : {"$CR", "$LF", "$CRLF", "$TAB", "$CMD_LINE"})
      storetest::addcharvar(nm, " ");
    edflags = 0x1000;  // no message windows
    xeqmode = 0x100;
    xeqline = 7;
    reset_lexicon();
    exec::reset_xeq2();
    exec::reset_tempstrings();
    exec::reset_operands();
    exec::reset_postfix();
    saved = exec::xeq3;
    exec::xeq3 = exec::XEQ3;
  }
  void TearDown() override { exec::xeq3 = saved; }

  // Compiles the line as the line compiler does; false on a failure.
  bool compile(std::string_view line) {
    const std::string text = std::string(line) + "\r\n";
    std::array<double, maxtokens> values{};
    for (int round = 0; round < 3; ++round) {
      xeqstop = 0;
      std::int32_t mode = 1;
      TOKEN(text, values, mode);
      if (xeqstop != 0) return false;
      LEXIK(text, values, 0);
      if (xeqstop == -999) continue;
      if (xeqstop != 0) return false;
      TRANS(text);
      return xeqstop == 0;
    }
    return false;
  }
  // Compiles and runs one expression statement; the evaluator's result.
  std::int32_t run(std::string_view line) {
    EXPECT_TRUE(compile(line)) << line << ": " << msgkey.str();
    std::vector<std::int16_t> words;
    for (std::int32_t k = 2; k <= ntrans; ++k) words.push_back(tokcod(k));
    // The jump slot after a block word holds the statement it leads to
    // once the whole script is compiled; here it leads to statement 20.
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
      if ((static_cast<std::uint16_t>(words[i]) & 0xFF00u) == 0xF400u &&
          static_cast<std::uint16_t>(words[i + 1]) == 0xF500u)
        words[i + 1] = 20;
    words.push_back(static_cast<std::int16_t>(0x8000));
    std::vector<std::int32_t> out(8 * words.size() + 64, 0);
    iresult = nsym + 1;
    c1tmptop = c1top;
    return exec::XEQ2(words, out);
  }
  double value(std::string_view nm) {
    std::int32_t k = 0;
    EXPECT_TRUE(FINDSN(nm, k, 0x400)) << nm;
    return z(k);
  }
  std::string text(std::string_view nm) {
    std::int32_t k = 0;
    EXPECT_TRUE(FINDSN(nm, k, 0x400)) << nm;
    return storetest::textof(k);
  }
  exec::Evaluator saved = nullptr;
};

TEST_F(EvalLines, NumbersAndOperators) {
  EXPECT_EQ(run("X=2"), 0);
  EXPECT_EQ(run("Y=X*3+1"), 0);
  EXPECT_EQ(value("Y"), 7.0);
  EXPECT_EQ(run("Y=(X+1)**2-MOD(7,3)"), 0);
  EXPECT_EQ(value("Y"), 8.0);
  EXPECT_EQ(run("Y=-X+ABS(-5)"), 0);
  EXPECT_EQ(value("Y"), 3.0);
  EXPECT_EQ(run("Y=X.GT.1"), 0);
  EXPECT_EQ(value("Y"), 1.0);
}

TEST_F(EvalLines, ArraysAndElements) {
  ASSERT_TRUE(compile("DIMENSION V(4), M(2,3)"));
  EXPECT_EQ(run("V=7"), 0);
  EXPECT_EQ(run("V(2)=V(1)-1"), 0);
  std::int32_t v = 0;
  ASSERT_TRUE(FINDSN("V", v, 0x400));
  std::vector<double> got;
  for (std::int32_t i = 0; i < 4; ++i) got.push_back(z(name(v).adr + i));
  EXPECT_EQ(got, (std::vector<double>{7, 6, 7, 7}));
  EXPECT_EQ(run("M(1,2)=V(2)*2"), 0);
  std::int32_t m = 0;
  ASSERT_TRUE(FINDSN("M", m, 0x400));
  EXPECT_EQ(z(name(m).adr + 1), 12.0);
  EXPECT_EQ(run("X=V(5)"), 3006);
  EXPECT_EQ(failedline.trimmed(), "V has no  column 5");
}

TEST_F(EvalLines, Strings) {
  ASSERT_TRUE(compile("CHARACTER S*6, T*3"));
  EXPECT_EQ(run("S='abc'//'de'"), 0);
  EXPECT_EQ(text("S"), "abcde ");
  EXPECT_EQ(run("T=S(2:4)"), 0);
  EXPECT_EQ(text("T"), "bcd");
  EXPECT_EQ(run("X=LEN(S)"), 0);
  EXPECT_EQ(value("X"), 6.0);
  EXPECT_EQ(run("S='ab  '//,'cd'"), 0);
  EXPECT_EQ(text("S"), "abcd  ");
  EXPECT_EQ(run("S='ab'//'cdefgh'"), 0);
  EXPECT_EQ(text("S"), "abcdef");
}

TEST_F(EvalLines, NumbersReadFromText) {
  ASSERT_TRUE(compile("DIMENSION V(3)"));
  EXPECT_EQ(run("V=' 1.5 -2 3E2'"), 0);
  std::int32_t v = 0;
  ASSERT_TRUE(FINDSN("V", v, 0x400));
  EXPECT_EQ(z(name(v).adr), 1.5);
  EXPECT_EQ(z(name(v).adr + 1), -2.0);
  EXPECT_EQ(z(name(v).adr + 2), 300.0);
  EXPECT_EQ(run("X=1+'12'"), 0);
  EXPECT_EQ(value("X"), 13.0);
}

TEST_F(EvalLines, MoreForms) {
  ASSERT_TRUE(compile("DIMENSION V(4)"));
  ASSERT_TRUE(compile("CHARACTER S*6, T*6"));
  EXPECT_EQ(run("V=3"), 0);
  EXPECT_EQ(run("V(2)=5"), 0);
  EXPECT_EQ(run("V=V*2"), 0);
  std::int32_t v = 0;
  ASSERT_TRUE(FINDSN("V", v, 0x400));
  auto vals = [&] {
    std::vector<double> got;
    for (std::int32_t i = 0; i < 4; ++i) got.push_back(z(name(v).adr + i));
    return got;
  };
  EXPECT_EQ(vals(), (std::vector<double>{6, 10, 6, 6}));
  EXPECT_EQ(run("X=MAX(V(1),V(2),V(3))"), 0);
  EXPECT_EQ(value("X"), 10.0);
  EXPECT_EQ(run("X=MIN(4,2)+SIGN(3,-1)"), 0);
  EXPECT_EQ(value("X"), -1.0);
  EXPECT_EQ(run("Y=1"), 0);
  EXPECT_EQ(run("X><Y"), 0);
  EXPECT_EQ(value("X"), 1.0);
  EXPECT_EQ(value("Y"), -1.0);
  EXPECT_EQ(run("S='abcdef'"), 0);
  EXPECT_EQ(run("T=S(:2)//S(4:)"), 0);
  EXPECT_EQ(text("T"), "abdef ");
  EXPECT_EQ(run("X=S.EQ.'abcdef'"), 0);
  EXPECT_EQ(value("X"), 1.0);
  EXPECT_EQ(run("S=2.5"), 0);
  EXPECT_EQ(text("S"), "2.5   ");
  EXPECT_EQ(run("X=LEN_TRIM(S)+ICHAR('A')"), 0);
  EXPECT_EQ(value("X"), 68.0);
  EXPECT_EQ(run("X=0"), 0);
  EXPECT_EQ(run("IF (X<1) X=9"), 0);
  EXPECT_EQ(value("X"), 9.0);
  EXPECT_EQ(run("IF (X<1) X=7"), 0);
  EXPECT_EQ(value("X"), 9.0);
}

TEST_F(EvalLines, PassesRangesAndBlocks) {
  ASSERT_TRUE(compile("DIMENSION V(4), M(2,3)"));
  ASSERT_TRUE(compile("CHARACTER S*4, T*4"));
  std::int32_t v = 0, m = 0;
  ASSERT_TRUE(FINDSN("V", v, 0x400));
  ASSERT_TRUE(FINDSN("M", m, 0x400));
  auto vals = [](std::int32_t k, std::int32_t n) {
    std::vector<double> got;
    for (std::int32_t i = 0; i < n; ++i) got.push_back(z(name(k).adr + i));
    return got;
  };
  EXPECT_EQ(run("V=$*10"), 0);
  EXPECT_EQ(vals(v, 4), (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(run("V(2:3)=0"), 0);
  EXPECT_EQ(vals(v, 4), (std::vector<double>{10, 0, 0, 40}));
  EXPECT_EQ(run("M=$R*10+$C"), 0);
  EXPECT_EQ(vals(m, 6), (std::vector<double>{11, 12, 13, 21, 22, 23}));
  EXPECT_EQ(run("X=M(2,3)-M(1,1)"), 0);
  EXPECT_EQ(value("X"), 12.0);
  EXPECT_EQ(run("X=M(3,1)"), 3006);
  EXPECT_EQ(failedline.trimmed(), "M has no  row 3");
  EXPECT_EQ(run("S='ab'"), 0);
  EXPECT_EQ(run("T='cd'"), 0);
  EXPECT_EQ(run("S><T"), 0);
  EXPECT_EQ(text("S"), "cd  ");
  EXPECT_EQ(text("T"), "ab  ");
  EXPECT_EQ(run("X=S(0:2)"), 3045);
  EXPECT_EQ(run("M(1:2,2:3)=5"), 0);
  EXPECT_EQ(vals(m, 6), (std::vector<double>{11, 5, 5, 21, 5, 5}));
  EXPECT_EQ(run("M(2,1:2)=7"), 0);
  EXPECT_EQ(vals(m, 6), (std::vector<double>{11, 5, 5, 7, 7, 5}));
  EXPECT_EQ(run("M(1:2,1)=0"), 0);
  EXPECT_EQ(vals(m, 6), (std::vector<double>{0, 5, 5, 0, 7, 5}));
  exec::nblock = 0;
  xeqline = 10;
  EXPECT_EQ(run("IF (S.EQ.'cd') THEN"), 0);
  xeqline = 12;
  EXPECT_EQ(run("ELSE"), exec::xeqfalseblock);
  exec::nblock = 0;
  xeqline = 10;
  EXPECT_EQ(run("IF (X.LT.0) THEN"), exec::xeqfalseblock);
}

}  // namespace
