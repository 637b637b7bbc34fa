#include "exec/alias.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/lexicon.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "exec/optdispatch.h"
#include "support/stores_fixture.h"

namespace {

using namespace core;

// ALIAS lines compiled by the lexicon, then run through the dispatch with
// the pair list that the evaluator builds from the compiled options.
class Alias : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_stores();
    reset_symbols();
    reset_runwords();
    reset_lexicon();
    reset_shop();
    reset_tokenizer();
    exec::reset_optdispatch();
    storetest::setup();
    edvars.assign(25, 0);
    edvars(edv::flags) = 0x20;
    storetest::addspecials();
  }
  void TearDown() override {
    exec::reset_optdispatch();
    reset_lexicon();
    reset_stores();
    reset_symbols();
    reset_runwords();
    edvars.assign(25, 0);
  }
  std::int32_t compile(std::string text) {
    lines.push_back(text + "\r\n");
    const std::string& ln = lines.back();
    do {
      std::int32_t mode = 2;
      xeqstop = 0;
      TOKEN(ln, values, mode);
      LEXIK(ln, values, 0);
    } while (xeqstop == -999);
    return xeqstop;
  }
  // Compiles an ALIAS call and runs it; returns the stop word.
  std::int32_t run(const std::string& text) {
    EXPECT_EQ(compile("X = " + text), 0) << text << " " << msgkey.str() << " " << compnote.str();
    std::vector<std::int32_t> pairs;
    for (std::int32_t i = 1; i <= ntok; ++i) {
      if (!isoptmarker(tokcod(i))) continue;
      pairs.push_back(cwu(tokcod(i)) & 0x3FF);
      pairs.push_back(tokcod(i + 1) == cwd::assign ? tokcod(i + 2) : exec::novalue);
    }
    xeqstop = 0;
    const auto c = static_cast<std::int32_t>(pairs.size() / 2);
    exec::BUISOPTNEW(static_cast<std::int16_t>(optstmtxcode(static_cast<int>(OptStmt::ALIAS)) | c),
                     0, pairs, static_cast<std::int32_t>(pairs.size()));
    return xeqstop;
  }
  static std::int32_t sym(std::string_view nm) {
    for (std::int32_t k = 1; k <= nsym; ++k)
      if (symbolname(k) == nm && name(k).type != 0x41 && name(k).type != 0x81) return k;
    return 0;
  }
  static std::pair<std::int32_t, std::int32_t> cell(std::int32_t s) {
    std::int32_t a = 0, b = 0;
    TRANSFERR8TO2I4(z(s), a, b);
    return {a, b};
  }
  static std::string text(std::int32_t s) {
    const auto [a, b] = cell(s);
    std::string t;
    for (std::int32_t i = a; i <= b; ++i) t += c1namen(i);
    return t;
  }

  std::vector<std::string> lines;
  std::vector<double> values = std::vector<double>(256);
};

TEST_F(Alias, VectorsOverAnArrayShareItsCells) {
  ASSERT_EQ(compile("DIMENSION A(2,3)"), 0);
  const std::int32_t a = sym("A");
  EXPECT_EQ(run("ALIAS(Base=A, Columns=3, Vector=P, Vector=Q)"), 0);
  const std::int32_t p = sym("P"), q = sym("Q");
  EXPECT_EQ(name(p).adr, name(a).adr);
  EXPECT_EQ(name(q).adr, name(a).adr + 3);
  EXPECT_EQ(cell(q), std::make_pair(1, 3));
  EXPECT_EQ(name(q).type, 0x810);
  // Writing Q(1) is writing A's fourth element.
  EXPECT_EQ(IDXINZ(q, 0), name(a).adr + 3);

  ASSERT_EQ(compile("DIMENSION B(10)"), 0);
  const std::int32_t b = sym("B");
  EXPECT_EQ(run("ALIAS(Base=B, Index=5, TrailingSpace=T)"), 0);
  EXPECT_EQ(name(sym("T")).adr, name(b).adr + 4);
  EXPECT_EQ(cell(sym("T")), std::make_pair(1, 6));
  EXPECT_EQ(run("ALIAS(Base=B, Rows=2, Columns=4, Matrix=M, Columns=2, Vector=R)"), 0);
  EXPECT_EQ(cell(sym("M")), std::make_pair(2, 4));
  EXPECT_EQ(name(sym("R")).adr, name(b).adr + 8);
}

TEST_F(Alias, ViewsPastTheBaseStopTheStatement) {
  ASSERT_EQ(compile("DIMENSION A(2,3)"), 0);
  const std::int32_t a = sym("A");
  EXPECT_EQ(run("ALIAS(Base=A, Columns=4, Vector=P, Vector=Q)"), 3815);
  EXPECT_EQ(msgkey.trimmed(), "AliasXeq");
  EXPECT_EQ(failedline.trimmed(), "too long");
  EXPECT_EQ(iostatw[1], 3815);
  EXPECT_EQ(name(sym("P")).adr, name(a).adr);  // the view before stays laid
  EXPECT_EQ(run("ALIAS(Base=A, Rows=3, Columns=3, Matrix=M)"), 3811);
  ASSERT_EQ(compile("REAL, PARAMETER :: NEG = -2"), 0);
  EXPECT_EQ(run("ALIAS(Base=A, Columns=NEG, Vector=W)"), 3815);
  // With an error label the statement ends silently.
  nomsg = 5;
  msgkey.blank();
  EXPECT_EQ(run("ALIAS(Base=A, Columns=9, Vector=P)"), 0);
  EXPECT_TRUE(msgkey.is_blank());
  EXPECT_EQ(iostatw[1], 3815);
}

TEST_F(Alias, StringsOverACharacterVariable) {
  ASSERT_EQ(compile("CHARACTER S*'abcdefg'"), 0);
  EXPECT_EQ(run("ALIAS(Base=S, Length=3, String=P, String=Q)"), 0);
  EXPECT_EQ(text(sym("P")), "abc");
  EXPECT_EQ(text(sym("Q")), "def");
  EXPECT_EQ(name(sym("Q")).type, 0x840);
  EXPECT_EQ(run("ALIAS(Base=S, Length=3, String=P, String=Q, Length=2, String=R)"), 3812);
  EXPECT_EQ(run("ALIAS(Base=S, Index=3, String=P)"), 0);
  EXPECT_EQ(text(sym("P")), "c");
  EXPECT_EQ(run("ALIAS(Base=S, Index=6, TrailingSpace=TS)"), 0);
  EXPECT_EQ(text(sym("TS")), "fg");
  // A change through the view is a change of the base.
  c1namen(cell(sym("TS")).first) = 'F';
  EXPECT_EQ(text(sym("S")), "abcdeFg");
}

TEST_F(Alias, IllegalBaseAndConstantViews) {
  ASSERT_EQ(compile("Y = 1"), 0);
  EXPECT_EQ(run("ALIAS(Base=Y, Vector=P)"), 3814);
  EXPECT_EQ(failedline.trimmed(), "illegal base");
  // A literal must never become a view: it stands for its value everywhere.
  ASSERT_EQ(compile("DIMENSION A(4)"), 0);
  ASSERT_EQ(compile("Y = 7"), 0);
  const std::int32_t seven = tokcod(3);
  ASSERT_EQ(name(seven).type, 0x81);
  std::vector<std::int32_t> pairs = {exec::aliasopt::base, sym("A"), exec::aliasopt::vector, seven};
  exec::BUISOPTNEW(static_cast<std::int16_t>(optstmtxcode(static_cast<int>(OptStmt::ALIAS)) | 2), 0,
                   pairs, 4);
  EXPECT_EQ(xeqstop, 3816);
  EXPECT_EQ(name(seven).type, 0x81);
  EXPECT_EQ(z(seven), 7.0);
}

TEST_F(Alias, NewBaseOverNumberScalars) {
  EXPECT_EQ(run("ALIAS(Base=V, Number=a1, Number=a2, Number=a3)"), 0);
  const std::int32_t v = sym("V");
  EXPECT_EQ(cell(v), std::make_pair(1, 3));
  z(sym("a2")) = 4.5;
  EXPECT_EQ(z(IDXINZ(v, 1)), 4.5);
}

}  // namespace
