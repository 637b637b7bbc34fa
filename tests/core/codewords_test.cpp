#include "core/codewords.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/codeword_dump.h"
#include "core/commalists.h"

using namespace core;

TEST(CodeWords, DerivedLists) {
  EXPECT_EQ(stmtlist,
            ",GOTO,IF,DO,CALL,CONTINUE,END,DIMENSION,DATA,RETURN,SUBROUTINE,FUNCTION,CHARACTER,"
            "ELSE,ELSEIF,ENDIF,THEN,ENDDO,USE,REAL,");
  EXPECT_EQ(stmtclass, "n(DSCC22L22R1(1)1:R");
  EXPECT_EQ(builtinlist.substr(0, 30), ",LOG,ABS,EXP,RAN,INTPOL,LOCK,B");
  EXPECT_EQ(builtinlist.size(), 349u);
  EXPECT_EQ(xeqopchars, "(,=)+-*/:^<>");
  EXPECT_EQ(xeqoppairs, ",**,  ,  ,<=,>=,==,/=,><,//,");
  // Entry k of a list has code k of its code table.
  EXPECT_EQ(stmtcodes[FINDSTN(stmtlist, "do", 2) - 1], cwv(0xEC60));
  EXPECT_EQ(builtincodes[FINDSTN(builtinlist, "intpol", 6) - 1], cwv(0xAD00));
  EXPECT_EQ(builtincodes[44 - 1], cwv(0xC5A0));  // "win" holds entry 44
  EXPECT_EQ(FINDSTN(builtinlist, "win", 3), 0);
}

TEST(CodeWords, ValuesAndFamilies) {
  EXPECT_EQ(stmtcode("GOTO"), cwv(0xE020));
  EXPECT_EQ(stmtcode("IF"), cwv(0xE040));
  EXPECT_EQ(stmtcode("END"), cwv(0xE0C0));
  EXPECT_EQ(builtincode("SIGN"), cwv(0xC5F0));
  EXPECT_EQ(builtincode("MOD") & 0x1F, 1);
  EXPECT_EQ(dottedcode(1), cwv(0x9C10));  // .LT.
  EXPECT_EQ(dottedcode(6), cwv(0x9CB0));  // .NE.
  // "**" and "^" share the compiler and the executor code; SUM and unary plus
  // share the executor code.
  EXPECT_EQ(cw(CwFamily::pair, "**"), cw(CwFamily::op, "^"));
  EXPECT_EQ(xcw(CwFamily::pair, "**"), cwv(0xE020));
  EXPECT_EQ(xcw(CwFamily::builtin, "SUM"), xcw(CwFamily::unary, "+u"));
  // Option statements: 21 of them, code 0xAC00 + 0x20 s, executor 0xF800 + 0x40 s.
  int n = 0;
  for (const auto& c : codewords)
    if (c.family == CwFamily::builtin && isoptstmt(c.code)) ++n;
  EXPECT_EQ(n, noptstmts);
  EXPECT_EQ(optstmtname(0), "OPEN");
  EXPECT_EQ(optstmtname(7), "SYSTEM");
  EXPECT_EQ(optstmtname(20), "ALIAS");
  EXPECT_EQ(optstmtnr(cwv(0xAC45)), 2);
  EXPECT_EQ(optstmtxcode(16), cwv(0xFC00));
  EXPECT_EQ(optstmtxcode(20), cwv(0xFD00));
  EXPECT_EQ(optmarkerof(1), cwv(0x9800));
  EXPECT_TRUE(isoptmarker(optmarkerof(37)));
  // Priorities.
  EXPECT_EQ(cwprio(cwd::power), 10);
  EXPECT_EQ(cwprio(stmtcode("DO")), 27);
  EXPECT_EQ(cwprio(builtincode("LEN")), 17);
  EXPECT_EQ(xcwprio(xcw(CwFamily::op, "*")), 11);
  // Every statement keyword and built-in code lies in its family's range.
  std::set<std::int16_t> seen;
  for (const auto& c : codewords) {
    if (c.family == CwFamily::stmt) {
      EXPECT_EQ(cwu(c.code) & 0xE000, 0xE000u) << c.text;
    }
    if (c.family == CwFamily::builtin && !isoptstmt(c.code)) {
      EXPECT_EQ(cwu(c.code) & 0xE000, 0xC000u) << c.text;
    }
    if (c.family == CwFamily::stmt || c.family == CwFamily::builtin) {
      EXPECT_TRUE(seen.insert(c.code).second) << c.text;
    }
  }
}

TEST(CodeWords, ReadableDump) {
  const std::vector<std::int16_t> prog = {3,
                                          cwd::assign,
                                          cwv(cwu(optstmtcode(2)) | 2),
                                          cwd::lparen,
                                          optmarkerof(1),
                                          cwd::labelmarker,
                                          7,
                                          cwd::comma,
                                          optmarkerof(3),
                                          cwd::assign,
                                          9,
                                          cwd::rparen,
                                          cwd::end,
                                          0,
                                          cwd::filler,
                                          cwv(0xA063),
                                          cwv(0xF402),
                                          cwv(0x1234)};
  EXPECT_EQ(core::cwdump::dump(prog),
            "#3 = WRITE/2 ( ERror label #7 , Text = #9 ) end 0 filler &&& subscript2 #4660");
  const std::vector<std::int16_t> x = {cwv(-1),     2,           cwv(0xE020), cwv(0xF880),
                                       cwv(0xFE02), cwv(0xC0A0), cwv(0xE800), cwv(0x8880)};
  EXPECT_EQ(core::cwdump::dump(x, core::cwdump::Space::executor), "filler #2 ^ WRITE Text && +u =");
  EXPECT_EQ(core::cwdump::dump(std::vector<std::int16_t>{cwv(0x9C11)}), "0x9C11");
}
