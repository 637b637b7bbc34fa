#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string_view>
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

std::int32_t labelof(std::string_view text) {
  for (std::int32_t k = 1; k <= nsym; ++k)
    if (name(k).type == 2 && symbolname(k) == text) return k;
  return 0;
}

class Trans1Test : public ::testing::Test {
 protected:
  void SetUp() override { translex::setup(); }
};

TEST_F(Trans1Test, DoLoopsAndLabels) {
  const auto i = sym("I"), one = num("1"), ten = num("10");
  xeqline = 5;
  lex("DO I=1,10");
  TRANS("DO I=1,10");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(words(), W({0, i, 0xEC21, one, ten, 0x8420}));

  lex("DO 10 I=1,10");
  const auto l10 = labelof("10");
  ASSERT_GT(l10, 0);
  TRANS("DO 10 I=1,10");
  EXPECT_EQ(words(), W({l10, i, 0xEC61, one, ten, 0x8420}));
  EXPECT_EQ(I2EQUZ(2, l10), 5);
  EXPECT_GT(name(l10).adr, 0);  // the label got two cells of its own
  EXPECT_EQ(name(l10).adr, nztop);

  xeqline = 9;
  lex("10 CONTINUE");
  TRANS("10 CONTINUE");
  EXPECT_EQ(words(), W({l10, 0xECA0}));
  EXPECT_EQ(I2EQUZ(1, l10), 9);
}

TEST_F(Trans1Test, CallsCountTheirArguments) {
  const auto a = sym("A"), b = sym("B");
  lex("CALL SUB(A,B)");
  // The lexicon makes the name after CALL a subroutine (kind 4).
  const auto sub = sym("SUB");
  name(sub).type = 4;
  TRANS("CALL SUB(A,B)");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(words(), W({sub, a, b, 0xE082}));
}

TEST_F(Trans1Test, BracketsAfterTextSymbols) {
  const auto a = sym("A"), s = translex::text("S");
  const auto one = num("1"), two = num("2");
  // One index: the ")" writes ":" so that the bracket reads as a substring.
  lex("A=BEEP(S(2))");
  TRANS1("A=BEEP(S(2))");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(words(), W({a, s, two, 0x9420, 0xC0E0, 0x8420}));
  // A comma makes it an argument list (0xF401).
  lex("A=BEEP(S(1,2))");
  TRANS1("A=BEEP(S(1,2))");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(words(), W({a, s, one, two, 0xF401, 0xC0E0, 0x8420}));
}

// An omitted bound of a piece is a 0 slot on either side of the ":".
TEST_F(Trans1Test, OmittedBoundsOfAPieceAreZeroSlots) {
  const auto a = sym("A"), s = translex::text("S"), two = num("2");
  lex("A=BEEP(S(:2))");
  TRANS1("A=BEEP(S(:2))");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(words(), W({a, s, 0, two, 0x9420, 0xC0E0, 0x8420}));
  lex("A=BEEP(S(2:))");
  TRANS1("A=BEEP(S(2:))");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(words(), W({a, s, two, 0, 0x9420, 0xC0E0, 0x8420}));
}

// Texts joined inside a call's argument list: refused where the joined text
// would be an actual argument, translated inside a built-in's bracket.
TEST_F(Trans1Test, JoinedTextsInACallsArguments) {
  translex::text("S");
  for (const char* line :
       {"A=F(S//S)", "A=F(1,(S//S))", "A=F(LEN(S//S))", "A=F(2,INDEX(S//S,S),3)"}) {
    SCOPED_TRACE(line);
    lex(line);
    name(sym("F")).type = 5;  // a FUNCTION of the script
    msgkey.set("");
    TRANS1(line);
    const bool actual = std::string_view(line).find("LEN") == std::string_view::npos &&
                        std::string_view(line).find("INDEX") == std::string_view::npos;
    EXPECT_EQ(xeqstop, actual ? 0x7FFF : 0);
    EXPECT_EQ(msgkey.trimmed(), std::string_view(actual ? "subfnc+cat" : ""));
  }
}

TEST_F(Trans1Test, Failures) {
  lex("DO I=1,10)");
  TRANS1("DO I=1,10)");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "leftBracket");

  // The statement of the end word alone gives no words.
  lex("");
  TRANS1("");
  EXPECT_EQ(ntok, 0);
  EXPECT_EQ(ntrans, 0);
  EXPECT_EQ(xeqstop, 0);
}

TEST_F(Trans1Test, TooManyOptionsFailsAtTheNextComma) {
  // A call whose argument count already stands at 31.
  const auto a = sym("A");
  lex("CALL SUB(A,A)");
  name(sym("SUB")).type = 4;
  TRANS1("CALL SUB(A,A)");
  EXPECT_EQ(xeqstop, 0);
  // Build the same call by hand with 33 arguments.
  ntok = 0;
  tokcod(++ntok) = stmtcode("CALL");
  tokcod(++ntok) = static_cast<std::int16_t>(sym("SUB"));
  tokcod(++ntok) = cwd::lparen;
  for (int k = 0; k < 33; ++k) {
    if (k > 0) tokcod(++ntok) = cwd::comma;
    tokcod(++ntok) = static_cast<std::int16_t>(a);
  }
  tokcod(++ntok) = cwd::rparen;
  tokcod(++ntok) = cwd::end;
  for (std::int32_t k = 1; k <= ntok; ++k) tokbeg(k) = tokend(k) = 1;
  TRANS1("CALL SUB(...)");
  EXPECT_EQ(xeqstop, 0x7FFF);
}

TEST_F(Trans1Test, DispatchSendsEachStatementToOneTranslator) {
  // A deciding symbol outside the expression list: the statement translator.
  const auto q = sym("Q"), one = num("1");
  name(q).type = 0x180;
  lex("Q=1");
  TRANS("Q=1");
  EXPECT_EQ(xeqstop, 0);
  const auto w = words();
  ASSERT_FALSE(w.empty());
  EXPECT_NE(w[0], -1);
  EXPECT_EQ(w, W({q, one, 0x8420}));
  // CONTINUE alone goes to the statement translator directly.
  lex("CONTINUE");
  TRANS("CONTINUE");
  EXPECT_EQ(words(), W({}));
}

}  // namespace
