#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "core/trans_fixture.h"

using namespace core;
using translex::lex;
using translex::num;
using translex::sym;
using translex::W;
using translex::words;

namespace {

// Translates one line through the dispatch.
std::vector<std::int16_t> trans(std::string_view line) {
  lex(line);
  TRANS(line);
  return words();
}

std::string errorline() {
  std::string s;
  for (std::int32_t p = c1top + 1; p <= c1top + 60 && p < c1limit; ++p) s += c1namen(p);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

class Trans2Test : public ::testing::Test {
 protected:
  void SetUp() override { translex::setup(); }
};

TEST_F(Trans2Test, OrdersOperatorsByPriority) {
  const auto x = sym("X"), a = sym("A"), b = sym("B"), c = sym("C");
  EXPECT_EQ(trans("X=A+B*C"), W({-1, 0, x, 0x8840, a, b, c, 0xD860, 0xC820, 0x8880}));
  EXPECT_EQ(xeqstop, 0);
  // The tokenizer's two-operand "-" after "*" becomes the unary minus.
  EXPECT_EQ(trans("X=A*-B"), W({-1, 0, x, 0x8840, a, b, 0xC880, 0xD860, 0x8880}));
  // Equal priorities group from the left: (2^3)^2.
  const auto two = num("2"), three = num("3");
  EXPECT_EQ(trans("X=2^3^2"), W({-1, 0, x, 0x8840, two, three, 0xE020, two, 0xE020, 0x8880}));
  EXPECT_EQ(trans("X=2**3"), W({-1, 0, x, 0x8840, two, three, 0xE020, 0x8880}));
  // Concatenation binds weaker than "+": A joined with the sum.
  EXPECT_EQ(trans("X=A//B+C"), W({-1, 0, x, 0x8840, a, b, c, 0xC820, 0xC020, 0x8880}));
  // A prefix function after a power does not take the power's operand.
  EXPECT_EQ(trans("X=2^ABS(A)"), W({-1, 0, x, 0x8840, two, a, 0xE8C0, 0xE020, 0x8880}));
  EXPECT_EQ(trans("X=(A+B)*C"), W({-1, 0, x, 0x8840, a, b, 0xC820, c, 0xD860, 0x8880}));
}

TEST_F(Trans2Test, EmptyLineAndSingleNames) {
  EXPECT_EQ(trans(""), W({-1}));
  EXPECT_EQ(ntrans, 1);
  const auto arr = translex::array("V", 4, 1);
  const auto txt = translex::text("S");
  EXPECT_EQ(trans("V"), W({arr, 0x9805, 0xAD40, 0xF040}));
  EXPECT_EQ(trans("S"), W({txt, 0x9805, 0xAD40, 0xF340}));
  // A numeric name alone is an expression of its own.
  const auto a = sym("A");
  EXPECT_EQ(trans("A"), W({-1, 0, a}));
}

TEST_F(Trans2Test, ConditionsAndBlockWords) {
  const auto x = sym("X"), y = sym("Y"), one = num("1"), two = num("2");
  EXPECT_EQ(trans("IF (X>1) THEN"), W({-1, 0, x, one, 0xB8A0, 0xF400, 0xF500}));
  EXPECT_EQ(trans("ELSEIF (X<2) THEN"), W({-1, 0, x, two, 0xB860, 0xF480, 0xF500}));
  EXPECT_EQ(trans("ELSE"), W({-1, 0, 0xF440}));
  EXPECT_EQ(trans("ENDIF"), W({-1, 0, 0xF4C0}));
  EXPECT_EQ(trans("IF (X>=1) Y=2"), W({-1, 0, x, one, 0xB920, 0xF140, y, 0x8840, two, 0x8880}));
  EXPECT_EQ(xeqstop, 0);
}

TEST_F(Trans2Test, LeadingLabelGoesToItsCell) {
  const auto x = sym("X"), one = num("1");
  xeqline = 12;
  const auto w = trans("10 X=1");
  std::int32_t lbl = 0;
  for (std::int32_t k = 1; k <= nsym; ++k)
    if (name(k).type == 2) lbl = k;
  ASSERT_GT(lbl, 0);
  EXPECT_EQ(w, W({-1, 0, x, 0x8840, one, 0x8880}));
  EXPECT_EQ(I2EQUZ(1, lbl), 12);
}

TEST_F(Trans2Test, ArgumentListsMoveIntoPrefixBlocks) {
  const auto x = sym("X"), a = sym("A"), b = sym("B"), c = sym("C");
  // Two arguments: MAX is an operator of two operands.
  EXPECT_EQ(trans("X=MAX(A,B)"), W({-1, 0, x, 0x8840, a, b, 0xE920, 0x8880}));
  // Three: the whole list moves into a prefix block and a segment folds
  // its elements with MAX.
  EXPECT_EQ(trans("X=MAX(A,B,C)"),
            W({-1, 4, a, b, c, 0x8C02, x, 0x8840, 0xE93F, 0xA402, 0x801E, 2, 0x8880}));
  // A plain bracket list moves whole.
  const auto one = num("1"), two = num("2"), three = num("3");
  EXPECT_EQ(trans("X=(1,2,3)"), W({-1, 4, one, two, three, 0x8C02, x, 0x8840, 0xA402, 0x8880}));
  // SUM and MAX of one whole array fold its elements.
  const auto v = translex::array("V", 4, 1);
  EXPECT_EQ(trans("X=SUM(V)"), W({-1, 0, x, 0x8840, 0xE81F, v, 0xF040, 0x801E, 3, 0x8880}));
  EXPECT_EQ(trans("X=2*MAX(V)"),
            W({-1, 0, x, 0x8840, two, 0xE93F, v, 0xF040, 0x801E, 3, 0xD860, 0x8880}));
  // Of one element it is the plain function.
  EXPECT_EQ(trans("X=SUM(V(2))"), W({-1, 0, x, 0x8840, v, two, 0xF050, 0xE800, 0x8880}));
  // With an array inside, MAX counts its first comma as well, and the array
  // is folded first, in the list's block.
  EXPECT_EQ(trans("X=MAX(V,A)"), W({-1, 7, 0xE93F, v, 0xF040, 0x801E, 3, a, 0x8C01, x, 0x8840,
                                    0xE93F, 0xA401, 0x801E, 2, 0x8880}));
  EXPECT_EQ(trans("X=MAX(A,V)"), W({-1, 7, a, 0xE93F, v, 0xF040, 0x801E, 3, 0x8C01, x, 0x8840,
                                    0xE93F, 0xA401, 0x801E, 2, 0x8880}));
  // A built-in of two operands after another operand keeps its first
  // argument beside the list.
  EXPECT_EQ(trans("X=A+IAND(B,C)"),
            W({-1, 2, c, 0x8C01, x, 0x8840, a, b, 0xA401, 0xE820, 0xC820, 0x8880}));
  // The first argument of MOD stays in the main words whole.
  EXPECT_EQ(trans("X=MOD(V(1),V(2))"),
            W({-1, 4, v, two, 0xF050, 0x8C01, x, 0x8840, v, one, 0xF050, 0xA401, 0xE8E0, 0x8880}));
  // MOD counts its first comma from the start.
  EXPECT_EQ(trans("X=MOD(A,B)"), W({-1, 2, b, 0x8C01, x, 0x8840, a, 0xA401, 0xE8E0, 0x8880}));
}

TEST_F(Trans2Test, SubscriptsAndSubstrings) {
  const auto x = sym("X"), i = sym("I"), j = sym("J");
  const auto v = translex::array("V", 4, 1), m = translex::array("M", 2, 3);
  const auto s = translex::text("S");
  const auto two = num("2"), four = num("4");
  EXPECT_EQ(trans("X=V(I)"), W({-1, 0, x, 0x8840, v, i, 0xF050, 0x8880}));
  EXPECT_EQ(trans("X=M(I,J)"), W({-1, 0, x, 0x8840, m, i, j, 0xF060, 0x8880}));
  EXPECT_EQ(trans("V(I)=X"), W({-1, 0, v, i, 0xF050, 0x8840, x, 0x8880}));
  EXPECT_EQ(trans("X=V"), W({-1, 0, x, 0x8840, v, 0xF040, 0x8880}));
  EXPECT_EQ(trans("S=S(2:4)"), W({-1, 0, s, 0xF340, 0x8840, s, two, four, 0xA80C, 0xF360, 0x8880}));
  EXPECT_EQ(trans("S=S(:4)"),
            W({-1, 0, s, 0xF340, 0x8840, s, 0x7FFF, four, 0xA808, 0xF360, 0x8880}));
  EXPECT_EQ(trans("S=S(2)"), W({-1, 0, s, 0xF340, 0x8840, s, two, 0xF350, 0x8880}));
  // An element of a file opened as a table.
  const auto f = translex::text("F");
  name(f).type = 0x140;
  EXPECT_EQ(trans("X=F(I,J)"), W({-1, 0, x, 0x8840, f, i, j, 0xF620, 0x8880}));
  // The lower bound is complete before the range starts.
  const auto one = num("1");
  EXPECT_EQ(trans("S=S(I+1:4)"),
            W({-1, 0, s, 0xF340, 0x8840, s, i, one, 0xC820, four, 0xA80C, 0xF360, 0x8880}));
}

TEST_F(Trans2Test, OptionStatements) {
  const auto f = translex::text("F");
  // FIle with a value, NEW as a switch (its marker twice).
  EXPECT_EQ(trans("OPEN(FIle=F,NEW)"), W({-1, 0, 0xFE02, f, 0xF340, 0xFE04, 0xFE04, 0xF802}));
  EXPECT_EQ(xeqstop, 0);
  // The ERror label: the marker twice, then 0xF000 and the label.
  const auto w = trans("OPEN(ERror=100,NEW)");
  ASSERT_EQ(w.size(), 9u);
  EXPECT_EQ(w[2], static_cast<std::int16_t>(0xFE00));
  EXPECT_EQ(w[3], static_cast<std::int16_t>(0xFE00));
  EXPECT_EQ(w[4], static_cast<std::int16_t>(0xF000));
  EXPECT_EQ(name(w[5]).type, 2);
  EXPECT_EQ(w[8], static_cast<std::int16_t>(0xF802));
  // WRITE is written after its items.
  const auto a = sym("A"), b = sym("B");
  EXPECT_EQ(trans("WRITE(Text=F) A,B"), W({-1, 0, 0xFE02, f, 0xF340, a, b, 0xF881}));
}

TEST_F(Trans2Test, FailuresGiveTheirNumbersAndTexts) {
  struct Case {
    const char* line;
    std::int32_t number;
    const char* text;
  };
  const Case cases[] = {
      {"X=(A+B", 1010, " ( ) unbalanced: use TAB to check"},
      {"X=A+B)", 1002, "( missing"},
      {"X=(Y=1)", 1004, "rightKlA"},
      {"X Y=1", 1007, "incomplete left side"},
      {"X=((((((((A))))))))", 1009, "max ( nesting is = 8"},
      {"X=A B", 1013, "an operator or comma is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(trans(c.line), W({-1, 0}));
    EXPECT_EQ(trans2error, c.number);
    EXPECT_EQ(xeqstop, 0x7FFF);
    EXPECT_EQ(failedline.view().substr(0, std::string_view(c.text).size()), c.text);
    EXPECT_EQ(trans2text(c.number), std::string_view(c.text));
  }
  // A word without a rule: its code follows the text.
  lex("X=A");
  tokcod(3) = static_cast<std::int16_t>(0xF400);
  TRANS("X=A");
  EXPECT_EQ(trans2error, 1005);
  EXPECT_EQ(errorline().substr(0, 25), "--^ unknown token = -3072");
  EXPECT_EQ(trans2text(1005), " unknown token = ");
  EXPECT_EQ(trans2text(1008), "type conflict");
  // The error line points at the failing token and says what is missing
  // (no count of the values left over).
  trans("X=A B");
  const std::string expected = "-----^an operator or comma is missing";
  EXPECT_EQ(errorline().substr(0, expected.size()), expected);
  EXPECT_EQ(compnote.trimmed(), expected);
  // Seven nested brackets are fine.
  trans("X=(((((((A)))))))");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(trans2error, 0);
}

TEST_F(Trans2Test, WordsWithoutExecutorCodeGoToTheStatementTranslator) {
  const auto a = sym("A"), one = num("1");
  // BEEP has no executor code: the older form, with the compiler codes.
  const auto w = trans("A=BEEP(1)");
  EXPECT_EQ(xeqstop, 0);
  ASSERT_FALSE(w.empty());
  EXPECT_NE(w[0], -1);
  EXPECT_EQ(w, W({a, one, 0xC0E0, 0x8420}));
  // When the statement translator fails as well: "type conflict".
  trans("DO I=1,10)");
  EXPECT_EQ(trans2error, 1008);
  EXPECT_EQ(failedline.trimmed(), "type conflict");
  EXPECT_EQ(words(), W({-1, 0}));
}

}  // namespace
