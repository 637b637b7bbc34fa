#include "core/lexicon.h"

#include <gtest/gtest.h>

#include <string>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/lexicon_fixture.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

using namespace core;
using lextest::Lexicon;

TEST_F(Lexicon, KeywordsOnlyWhereTheirClassAllows) {
  EXPECT_EQ(compile("GOTO 10"), 0);
  EXPECT_EQ(tokcod(1), stmtcode("GOTO"));
  ASSERT_GT(tokcod(2), 0);
  EXPECT_EQ(type(tokcod(2)), 2);
  EXPECT_EQ(lexflags, 0x2);

  EXPECT_EQ(compile("GOTO X"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "thisIsKeyword");
  EXPECT_EQ(failedline.trimmed(), "GOTO");

  EXPECT_EQ(compile("20 CONTINUE"), 0);
  EXPECT_EQ(type(tokcod(1)), 2);
  EXPECT_EQ(tokcod(2), stmtcode("CONTINUE"));
  EXPECT_EQ(compile("CONTINUE X"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "thisIsKeyword");

  // A block IF: THEN at the end recodes the IF.
  EXPECT_EQ(compile("IF (X > 1) THEN"), 0);
  EXPECT_EQ(cwu(tokcod(1)), 0xE800u);
  EXPECT_EQ(lexflags, 0x4 | 0x10000);
  EXPECT_EQ(compile("IF (X > 1) THEN Y = 2"), 0x7FFF);
  EXPECT_EQ(compile("X = END"), 0x7FFF);
  // The same word as a variable where no keyword may stand.
  EXPECT_EQ(compile("ENDIF"), 0);
  EXPECT_EQ(tokcod(1), stmtcode("ENDIF"));
}

TEST_F(Lexicon, NamesAndLiteralsBecomeSharedSymbols) {
  EXPECT_EQ(compile("X = 1.5 + Y"), 0);
  const std::int32_t x = tokcod(1), one = tokcod(3), y = tokcod(5);
  EXPECT_EQ(type(x), 0x80);
  EXPECT_EQ(type(one), 0x81);
  EXPECT_EQ(z(one), 1.5);
  EXPECT_EQ(type(y), 0x80);
  EXPECT_EQ(tokcod(2), cwd::assign);
  // Equal names (any case) and equal literals share one symbol.
  EXPECT_EQ(compile("y = 1.5 + 'ab'"), 0);
  EXPECT_EQ(tokcod(1), y);
  EXPECT_EQ(tokcod(3), one);
  const std::int32_t text = tokcod(5);
  EXPECT_EQ(type(text), 0x41);
  EXPECT_EQ(storetest::textof(text), "ab");
  // A literal first, followed by a name, is a label.
  EXPECT_EQ(compile("100 X = 2"), 0);
  EXPECT_EQ(type(tokcod(1)), 2);
  EXPECT_EQ(compile("X = ''"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "noEmptyString");
}

TEST_F(Lexicon, RealWithParameterMakesConstants) {
  EXPECT_EQ(compile("REAL, PARAMETER :: N = -3.5"), 0);
  const std::int32_t n = sym("N");
  ASSERT_GT(n, 0);
  EXPECT_EQ(type(n), 0x81);
  EXPECT_EQ(z(n), -3.5);
  EXPECT_EQ(ntok, 1);  // a declaration leaves no code
  EXPECT_EQ(tokcod(1), cwd::end);

  EXPECT_EQ(compile("REAL :: M = N"), 0);
  EXPECT_EQ(type(sym("M")), 0x80);
  EXPECT_EQ(z(sym("M")), -3.5);

  EXPECT_EQ(compile("REAL, PARAMETER :: A(3)"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "pmtNotScalar");
  EXPECT_EQ(compile("REAL = 5"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "array_init");
}

TEST_F(Lexicon, CharacterDeclarationsSetLengthAndText) {
  EXPECT_EQ(compile("CHARACTER S*20, T*'abc', U = 'hello', W*5/'xy'/"), 0);
  EXPECT_EQ(storetest::textof(sym("S")), std::string(20, ' '));
  EXPECT_EQ(storetest::textof(sym("T")), "abc");
  EXPECT_EQ(storetest::textof(sym("U")), "hello");
  EXPECT_EQ(storetest::textof(sym("W")), "xy   ");
  EXPECT_EQ(type(sym("S")), 0x40);
  EXPECT_EQ(ntok, 1);
  // The same length keeps the block and sets the text again.
  std::int32_t before = 0, after = 0, last = 0;
  ISCHAR(sym("T"), before, last);
  EXPECT_EQ(compile("CHARACTER T*'xyz'"), 0);
  ISCHAR(sym("T"), after, last);
  EXPECT_EQ(after, before);
  EXPECT_EQ(storetest::textof(sym("T")), "xyz");

  EXPECT_EQ(compile("CHARACTER V*0"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "showCHARACTER");
  EXPECT_EQ(compile("X = 1"), 0);
  EXPECT_EQ(compile("CHARACTER X*3"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "nameConflict");
  EXPECT_EQ(compnote.trimmed(), "Type change X");
}

TEST_F(Lexicon, SubroutinesDummiesAndFunctionResults) {
  EXPECT_EQ(compile("SUBROUTINE SUB(A, B)"), 0);
  const std::int32_t sub = sym("SUB"), a = sym("A"), b = sym("B");
  EXPECT_EQ(type(sub), 4);
  EXPECT_EQ(lokalsub, sub);
  EXPECT_EQ(name(sub).scope, sub);
  EXPECT_EQ(type(a), 0x20);
  EXPECT_EQ(name(a).scope, sub);
  EXPECT_EQ(name(sub).link, a);  // the dummies form a chain in order
  EXPECT_EQ(name(a).link, b);
  // A dummy takes its kind at its first typed use.
  EXPECT_EQ(compile("X = A"), 0);
  EXPECT_EQ(tokcod(3), a);
  EXPECT_EQ(type(a), 0xA0);
  EXPECT_EQ(name(tokcod(1)).scope, sub);
  // An array declaration turns a dummy scalar into an array dummy, without storage.
  const std::int32_t top = nztop;
  EXPECT_EQ(compile("DIMENSION B(3)"), 0);
  EXPECT_EQ(type(b), 0x30);
  EXPECT_EQ(nztop, top);
  EXPECT_EQ(compile("END"), 0);
  EXPECT_EQ(lokalsub, 0);
  EXPECT_EQ(lokalscope, 0);

  EXPECT_EQ(compile("FUNCTION FN(Q)"), 0);
  const std::int32_t fn = sym("FN");
  EXPECT_EQ(type(fn), 5);
  EXPECT_EQ(type(fn + 1), 0x80);  // the result variable
  EXPECT_EQ(name(fn + 1).scope, fn);
  EXPECT_EQ(compile("END"), 0);
  EXPECT_EQ(compile("CALL SUB(X, Y)"), 0);
  EXPECT_EQ(tokcod(2), sub);
  EXPECT_EQ(compile("Y = FN(2)"), 0);
  EXPECT_EQ(tokcod(3), fn);
}

TEST_F(Lexicon, FunctionKeySubroutineStoresItsCaption) {
  std::string seen;
  std::int32_t at = 0;
  static std::string* pseen = nullptr;
  static std::int32_t* pat = nullptr;
  pseen = &seen;
  pat = &at;
  menutoolonoff = [](std::string_view nm, std::int32_t v) {
    *pseen = std::string(nm);
    *pat = v;
  };
  EXPECT_EQ(compile("SUBROUTINE F3 ! Save all"), 0);
  const std::int32_t f3 = sym("F3");
  const std::int32_t p = name(f3).adr;
  EXPECT_EQ(p, c1limit);
  EXPECT_EQ(seen, "Fn");
  EXPECT_EQ(at, p);
  EXPECT_EQ(static_cast<unsigned char>(c1namen(p)), 11u);  // " Save all" and CR LF
  EXPECT_EQ(c1namen(p + 1), 3);
  EXPECT_EQ(std::string(c1namen.ptr(p + 2), 9), " Save all");
  EXPECT_EQ(compile("END"), 0);

  EXPECT_EQ(compile("SUBROUTINE F4(A)"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "noFdummies");
  // A caption too long for its length byte is cut to what the byte holds.
  EXPECT_EQ(compile("SUBROUTINE F5 !" + std::string(300, 'c')), 0);
  const std::int32_t q = name(sym("F5")).adr;
  EXPECT_EQ(static_cast<unsigned char>(c1namen(q)), 255u);
  EXPECT_EQ(c1namen(q + 254), 'c');
  EXPECT_EQ(c1namen(q + 1), 5);
}

TEST_F(Lexicon, UseListsSymbolsOfAnotherSubroutine) {
  EXPECT_EQ(compile("SUBROUTINE A(X)"), 0);
  EXPECT_EQ(compile("Q = X"), 0);
  const std::int32_t q = tokcod(1);
  EXPECT_EQ(compile("R = X"), 0);
  const std::int32_t r = tokcod(1);
  EXPECT_EQ(compile("END"), 0);
  EXPECT_EQ(compile("SUBROUTINE B(Y)"), 0);
  const std::int32_t b = sym("B");
  EXPECT_EQ(compile("USE A: Q"), 0);
  EXPECT_EQ(lexflags, 0x40000);
  EXPECT_EQ(ntok, 1);
  EXPECT_EQ(name(b).adr, -nxeqbuf);
  EXPECT_TRUE(uselisted(b, q));
  // The used name now means A's symbol inside B.
  EXPECT_EQ(compile("Z = Q"), 0);
  EXPECT_EQ(tokcod(3), q);
  EXPECT_EQ(compile("USE A: NOPE"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "useUnknown");
  EXPECT_EQ(compile("USE NOSUCH: Q"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "useSyntax");
  EXPECT_EQ(compile("END"), 0);

  // A second record lies below; adding to B's record moves it to the bottom.
  EXPECT_EQ(compile("SUBROUTINE C(W)"), 0);
  const std::int32_t c = sym("C");
  EXPECT_EQ(compile("USE A: Q"), 0);
  EXPECT_EQ(compile("END"), 0);
  EXPECT_EQ(compile("SUBROUTINE B(Y)"), 0);
  EXPECT_EQ(compile("USE A: R"), 0);
  EXPECT_TRUE(uselisted(b, q));
  EXPECT_TRUE(uselisted(b, r));
  EXPECT_TRUE(uselisted(c, q));
  EXPECT_FALSE(uselisted(c, r));
  EXPECT_EQ(name(c).adr, -nxeqbuf);
  EXPECT_EQ(nusechain, nxeqbuf - 7);
  // The chain may not reach the compiled code.
  nxeqused = nusechain;
  EXPECT_EQ(compile("USE A: X"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "useBuffer");
}

TEST_F(Lexicon, OptionStatementsMarkFileNamesAndCheckValues) {
  storetest::addcharvar("S", "abc");
  EXPECT_EQ(compile("OPEN(FIle=FNAME, OLD)"), 0);
  const std::int32_t f = tokcod(5);
  ASSERT_GT(f, 0);
  EXPECT_EQ(symbolname(f), "FNAME");
  EXPECT_EQ(type(f), 0x140);
  EXPECT_EQ(lexflags & 0x20000, 0x20000);
  EXPECT_EQ(compile("WRITE(FIle='out.txt', Text=S) X"), 0);
  EXPECT_EQ(type(tokcod(5)), 0x141);
  EXPECT_EQ(storetest::textof(tokcod(5)), "out.txt");
  // A text given for a numeric option.
  EXPECT_EQ(compile("SORT(Vector=S)"), 0x7FFF);
  EXPECT_EQ(msgkey.trimmed(), "lOP3");
  // A sign after the closing parenthesis of WRITE is unary.
  EXPECT_EQ(compile("WRITE(Text=S) -X"), 0);
  EXPECT_EQ(tokcod(7), cwd::uminus);
}

TEST_F(Lexicon, AliasChecksKeywordsAndMarksViews) {
  storetest::addarray("A", 2, 3);
  EXPECT_EQ(compile("ALIAS(Base=A, Columns=3, Vector=P, Vector=Q)"), 0);
  EXPECT_EQ(lexflags, 0x220000);
  const std::int32_t p = sym("P");
  EXPECT_EQ(type(p), 0x810);
  EXPECT_EQ(shaperows(p), 1);
  EXPECT_EQ(shapecols(p), 1);
  EXPECT_EQ(type(sym("Q")), 0x810);

  // A new Base over new Number scalars is a vector over their cells.
  EXPECT_EQ(compile("ALIAS(Base=V, Number=a1, Number=a2)"), 0);
  const std::int32_t v = sym("V");
  EXPECT_EQ(type(v), 0x810);
  EXPECT_EQ(name(v).adr, v + 1);
  EXPECT_EQ(shapecols(v), 2);
  EXPECT_EQ(sym("a1"), v + 1);
  EXPECT_EQ(sym("a2"), v + 2);

  struct Bad {
    const char* line;
    int err;
    const char* note;
  };
  for (const Bad& c :
       {Bad{"ALIAS(Vector=P)", 3806, "Vector: First keyword must be Base=..."},
        Bad{"ALIAS(Base=A, Vector=P, Index=2)", 3803, "Index: Index1 not option 2"},
        Bad{"ALIAS(Base=A, Vector=P, Number=a1)", 3805, "Number: Here: Number(s) only after Base"},
        Bad{"ALIAS(Base=A, String=P)", 3806,
            "String: no type match with Base, or invalid position"}}) {
    EXPECT_EQ(compile(c.line), 0x7FFF) << c.line;
    EXPECT_EQ(iostatw[1], c.err) << c.line;
    EXPECT_EQ(msgkey.trimmed(), "AliasErr");
    EXPECT_EQ(compnote.trimmed(), c.note);
    EXPECT_EQ(failedline.trimmed(), c.note);  // the detail of an ALIAS message is its note
  }
}

TEST_F(Lexicon, StoresGrowForNewSymbols) {
  storetest::setup(8000, 16, 1060);
  for (const char* nm : {"$", "$$", "$R", "$C", "$1", "$2", "$CR", "$LF", "$CRLF", "$TAB"})
    storetest::addsym(nm, 0x80);
  storetest::addcharvar("$CMD_LINE", "cmd");
  EXPECT_EQ(compile("A1 = A2 + A3 + A4 + A5 + A6 + A7"), 0);
  EXPECT_EQ(nname, 48);
  EXPECT_GT(nc1namen, 1060);
  EXPECT_EQ(nsym, 18);
  EXPECT_EQ(symbolname(tokcod(13)), "A7");
  EXPECT_EQ(storetest::textof(11), "cmd");  // texts move with the store
  EXPECT_EQ(compile("CHARACTER T*'abc'"), 0);
  EXPECT_EQ(storetest::textof(sym("T")), "abc");
}

TEST_F(Lexicon, QuietAnalysisAndMessages) {
  // Quiet: no error, the declaration keeps its tokens.
  EXPECT_EQ(compile("GOTO X", 1), 0);
  EXPECT_EQ(compile("REAL :: K = 2", 1), 0);
  EXPECT_GT(ntok, 1);
  EXPECT_EQ(lexflags & 0x80000, 0x80000);
  // With F1 in hand a declaration keeps its tokens as well.
  keystate[1] = 59;
  EXPECT_EQ(compile("REAL :: K = 2"), 0);
  EXPECT_GT(ntok, 1);
  keystate[1] = 0;
  // "#" ends the program at the line before.
  xeqline = 7;
  line = "# the rest is notes\r\n";
  ntok = 0;
  LEXIK(line, values, 0);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(nstmt, 6);

  // Shown through the help data file unless the compile lists errors itself.
  plat::reset_file_units();
  reset_helpdata();
  const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  CHECKSUM(path);
  edvars(edv::flags) = 0;
  xeqline = 4;
  EXPECT_EQ(compile("GOTO X"), 0x7FFF);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_NE(plat::message_box_log()[0].text.find("GOTO X"), std::string::npos);
  EXPECT_NE(plat::message_box_log()[0].text.find('4'), std::string::npos);
  reset_helpdata();
  plat::reset_file_units();
}

}  // namespace
