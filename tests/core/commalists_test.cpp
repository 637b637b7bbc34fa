#include "core/commalists.h"

#include <gtest/gtest.h>

#include <string>

#include "core/codewords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"

using namespace core;
using storetest::addsym;

TEST(CommaLists, ExactLookUp) {
  EXPECT_EQ(FINDSTN(stmtlist, "GOTO", 4), 1);
  EXPECT_EQ(FINDSTN(stmtlist, "goto", 4), 1);
  EXPECT_EQ(FINDSTN(stmtlist, "GOT", 3), 0);
  EXPECT_EQ(FINDSTN(stmtlist, "ENDIFX", 5), 15);  // only word(1:n) counts
  EXPECT_EQ(FINDSTN(stmtlist, "REAL", 4), 19);
  EXPECT_EQ(FINDSTN(builtinlist, "win", 3), 0);
  EXPECT_EQ(FINDSTN(builtinlist, "len_trim", 8), 56);
  EXPECT_EQ(FINDSTN(xeqoppairs, "<=", 2), 4);
  EXPECT_EQ(FINDSTN(xeqopdotted, ".ne.", 4), 6);
  // The separator is the list's last non-blank character.
  EXPECT_EQ(FINDSTN(";A;B;C;   ", "c", 1), 3);
  EXPECT_EQ(FINDSTN("", "A", 1), 0);
  EXPECT_EQ(FINDSTN(",A,B,", "", 0), 0);
}

TEST(CommaLists, SymbolNamesFollowTheScopeRules) {
  storetest::setup(200, 32, 500, 100);
  addsym("$", 0x80);
  addsym("$$", 0x80);
  const std::int32_t x = addsym("X", 0x80);
  const std::int32_t y = addsym("Y", 0x80);
  addsym("L", 0x2);
  const std::int32_t sub = addsym("SUB", 4);
  const std::int32_t xl = addsym("X", 0x80, sub);
  const std::int32_t lit = addsym("Q", 0x41, sub);
  // SUB uses Y of the main program.
  xeqbuf(100) = 3;
  xeqbuf(99) = static_cast<std::int16_t>(sub);
  xeqbuf(98) = static_cast<std::int16_t>(y);
  nusechain = 98;
  UPDATEUSEBUFFER();
  const std::string list(c1namen.ptr(1), static_cast<std::size_t>(c1top));
  ASSERT_EQ(list.substr(0, 5), "$,$$,");

  EXPECT_EQ(FINDSTN(list, "x", 1), x);
  EXPECT_EQ(FINDSTN(list, "Y", 1), y);
  EXPECT_EQ(FINDSTN(list, "L", 1), 0);  // labels are never answered
  lokalsub = sub;
  EXPECT_EQ(FINDSTN(list, "Y", 1), y);  // listed in the use record
  EXPECT_EQ(FINDSTN(list, "X", 1), 0);  // main-program X is not visible
  lokalsub = 0;
  EXPECT_EQ(FINDSTN(list + "X,", "X", 1), x);
  // A name of another scope is passed over; constants of any scope count.
  lokalsub = 99;
  EXPECT_EQ(FINDSTN(list, "Q", 1), lit);
  lokalsub = sub;
  EXPECT_EQ(FINDSTN(list, "SUB", 3), 0);  // scope 0 and not in the use record
  name(x).scope = 5;  // now the main X belongs elsewhere: the search goes on to SUB's X
  EXPECT_EQ(FINDSTN(list, "X", 1), xl);
}
