#include "core/kompia.h"

#include <gtest/gtest.h>

#include <string>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/kompil.h"
#include "core/kompil_standins.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

using namespace core;
using standin::Words;

namespace {

constexpr std::int16_t ELSEWORD = cwv(0xF440), ELSEIFWORD = cwv(0xF480), ENDDOWORD = cwv(0xEC40),
                       PLACEHOLDER = cwv(0x8420);

constexpr std::string_view script =
    "a = 1\r\n"                // 1
    "IF (a > 0) THEN\r\n"      // 2
    "b = 2\r\n"                // 3
    "ELSEIF (a < 0) THEN\r\n"  // 4
    "b = 4\r\n"                // 5
    "ELSE\r\n"                 // 6
    "b = 3\r\n"                // 7
    "ENDIF\r\n"                // 8
    "DO i = 1, 3\r\n"          // 9
    "a = a + i\r\n"            // 10
    "ENDDO\r\n"                // 11
    "10 CONTINUE\r\n"          // 12
    "GOTO 10\r\n"              // 13
    "END\r\n"                  // 14
    "SUBROUTINE S\r\n"         // 15
    "RETURN\r\n"               // 16
    "END\r\n";                 // 17

using WholeScript = standin::Compiling;

TEST_F(WholeScript, AScriptCompilesToStatementsAndJumps) {
  compile(script);
  ASSERT_EQ(xeqstop, 0);
  ASSERT_EQ(nstmt, 17);
  EXPECT_EQ(stmtstart(18), nxeqused);
  EXPECT_EQ(edmark, 0);
  // IF -> ELSEIF -> ELSE -> ENDIF: each jump slot is the statement's last word.
  EXPECT_EQ(words(2).back(), 4);
  EXPECT_EQ(words(4).back(), 6);
  EXPECT_EQ(words(4)[words(4).size() - 2], ELSEIFWORD);
  EXPECT_EQ(words(6), (Words{-1, ELSEWORD, 8}));
  // The block DO and its hidden label.
  const std::int32_t loop = sym(".do001", 2);
  ASSERT_GT(loop, 0);
  EXPECT_EQ(words(9).front(), loop);
  EXPECT_EQ(words(11), (Words{static_cast<std::int16_t>(loop), ENDDOWORD}));
  EXPECT_EQ(I2EQUZ(1, loop), 11);
  EXPECT_EQ(I2EQUZ(2, loop), 9);
  EXPECT_EQ(I2EQUZ(1, sym("10", 2)), 12);
  EXPECT_EQ(I2EQUZ(1, sym("S", 4)), 15);
  // Ready to run from the first line; no error list, no report.
  EXPECT_EQ(xeqmode & 0x10C, 0xC);
  EXPECT_EQ(edvars(edv::firstline), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "TranslationErrors.txt"));
  EXPECT_TRUE(plat::message_box_log().empty());

  // A "#" line ends the compiled part.
  compile("a = 1\r\n# notes\r\nb = (\r\n");
  EXPECT_EQ(nstmt, 1);
  EXPECT_EQ(xeqstop, 0);
}

TEST_F(WholeScript, FailingLinesAreListedAndTheRunPointsAtTheFirst) {
  testsupport::write_file(dir.path() / "TranslationErrors.txt", "old list\r\n");
  compile("a = 1\r\nb = (2\r\nc = 3\r\nd = 4)   \r\n");
  EXPECT_EQ(nstmt, 4);
  EXPECT_EQ(words(2), (Words{1, PLACEHOLDER}));
  EXPECT_EQ(words(4), (Words{1, PLACEHOLDER}));
  EXPECT_NE(words(3).front(), 1);
  const std::string list = errorfile();
  EXPECT_EQ(list.substr(0, 29), "   1    2 b = (2\r\n          -");
  EXPECT_NE(list.find("\r\n   2    4 d = 4)\r\n          "), std::string::npos);
  EXPECT_EQ(list.find("old list"), std::string::npos);
  EXPECT_FALSE(plat::unit_is_open(plat::unit_errors));
  EXPECT_EQ(lastboxtitle(), "Compile errors");
  EXPECT_NE(plat::message_box_log().back().text.find("errors in 2 of its 4"), std::string::npos);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(xeqmode & 0xC, 0x4);
  EXPECT_EQ(edflags & 0x20, 0);

  // A compile without errors leaves the list alone.
  compile("a = 1\r\n");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(errorfile(), list);
}

TEST_F(WholeScript, AnErrorInTheFirstLineLeavesNoProgram) {
  compile("b = (2\r\na = 1\r\n");
  EXPECT_EQ(nstmt, 0);
  EXPECT_EQ(xeqmode, 0);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(lastboxtitle(), "Compile error");
  // The error list is complete and closed.
  EXPECT_FALSE(plat::unit_is_open(plat::unit_errors));
  EXPECT_EQ(errorfile().substr(0, 18), "   1    1 b = (2\r\n");
}

TEST_F(WholeScript, AnErrorOfTheTokenizerNamesItsLine) {
  compile("a = 1\r\nb = 2\r\nc = \"abc\r\n");
  bool named = false;
  for (const auto& box : plat::message_box_log())
    if (box.text.find("In line 3 a text has no closing quote") != std::string::npos) named = true;
  EXPECT_TRUE(named);
}

TEST_F(WholeScript, GrowingTheProgramStoreCompilesAgainFromFreshStores) {
  const std::string_view text =
      "DIMENSION v(5)\r\nCHARACTER t*8\r\na = 1\r\nb = a + 2 * a\r\nDO i = 1, 2\r\nENDDO\r\n";
  compile(text);
  ASSERT_EQ(xeqstop, 0);
  const std::int32_t symbols = nsym, top = nztop, limit = c1limit, used = nxeqused;
  reset_stores();
  reset_kompil();
  nxeqbuf = 12;
  compile(text);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_GT(nxeqbuf, 12);
  EXPECT_EQ(nstmt, 6);
  // Every declaration was made once, in the stores of the last pass.
  EXPECT_EQ(nsym, symbols);
  EXPECT_EQ(nztop, top);
  EXPECT_EQ(c1limit, limit);
  EXPECT_EQ(nxeqused, used);
}

TEST_F(WholeScript, RunAndTraceBitsDoNotRunTheScriptWhileItCompiles) {
  loadeditbuffer("a = 1\r\nb = (\r\nc = 2\r\n");
  xeqmode = 0x4 | 0x8 | 0x10;
  std::int32_t mode = 0;
  KOMPIA(buf, mode);
  EXPECT_EQ(xeqcalls, 0);
  EXPECT_EQ(nstmt, 3);
  EXPECT_EQ(words(2), (Words{1, PLACEHOLDER}));
  EXPECT_EQ(xeqmode & 0x14, 0x14);
}

using OneLine = standin::Compiling;

TEST_F(OneLine, ChangedInsertedAndDeletedLinesKeepEveryJumpRight) {
  compile(script);
  ASSERT_EQ(nstmt, 17);
  const std::int32_t ten = sym("10", 2), sub = sym("S", 4), loop = sym(".do001", 2);
  const std::int32_t used = nxeqused, symbols = nsym;
  // A longer statement inside the IF branch moves the tail up.
  edit(3, 0x80, "b = 2 + a * (a - 1)");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_GT(nxeqused, used);
  EXPECT_EQ(edvars(edv::chg), 0);
  EXPECT_EQ(edvars(edv::loadline), 3);
  EXPECT_EQ(words(2).back(), 4);
  EXPECT_EQ(words(6).back(), 8);
  // The old one again: back to the same length.
  edit(3, 0x80, "b = 2");
  EXPECT_EQ(nxeqused, used);
  // An inserted line (an empty statement, then its words) moves what follows.
  edit(9, 0x40, " ");
  ASSERT_EQ(nstmt, 18);
  EXPECT_EQ(words(9), Words{});
  edit(9, 0x80, "c = 5");
  EXPECT_EQ(words(6).back(), 8);
  EXPECT_EQ(I2EQUZ(1, ten), 13);
  EXPECT_EQ(I2EQUZ(1, sub), 16);
  EXPECT_EQ(I2EQUZ(1, loop), 12);
  EXPECT_EQ(I2EQUZ(2, loop), 10);
  EXPECT_EQ(nsym, symbols + 2);  // c and 5; the loop keeps its label
  // Deleting it again.
  edit(9, 0x20, " ");
  EXPECT_EQ(nstmt, 17);
  EXPECT_EQ(I2EQUZ(1, ten), 12);
  EXPECT_EQ(I2EQUZ(1, sub), 15);
  EXPECT_EQ(I2EQUZ(1, loop), 11);
  EXPECT_EQ(stmtstart(18), nxeqused);
  EXPECT_EQ(edmark, 0);
}

TEST_F(OneLine, AnInsertMakesRoomBeforeItMovesAnything) {
  compile("a = 1\r\nb = 2\r\n");
  // The program fills the store up to its last word.
  xeqbuf.resize(static_cast<std::size_t>(nxeqused) + 1);
  nxeqbuf = nxeqused;
  const Words second = words(2);
  edit(1, 0x40, " ");
  EXPECT_GT(nxeqbuf, nxeqused);
  EXPECT_EQ(nstmt, 3);
  EXPECT_EQ(words(1), Words{});
  EXPECT_EQ(words(3), second);
}

TEST_F(OneLine, WithoutAProgramThereIsNothingToSplice) {
  std::int32_t mode = -1;
  edvars(edv::chg) = 0x80;
  KOMPIA(buf, mode);
  EXPECT_EQ(xeqstop, 120);
}

}  // namespace
