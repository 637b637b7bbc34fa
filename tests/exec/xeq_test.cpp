// The statement loop driven directly: single steps, the stop line, pending
// commands, keys and quit requests from the platform's queue, failed lines,
// and stepping over a CALL.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/program.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/script_runner.h"
#include "exec/xeq.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"

namespace {

using namespace core;

class Loop : public ::testing::Test {
 protected:
  void SetUp() override { scriptrun::start(); }
  void TearDown() override { scriptrun::finish(); }

  void compile(const char* text) { ASSERT_EQ(scriptrun::compile(text), ""); }
  // One call of XEQ over the program from statement `line`.
  static void xeq(std::int32_t line, std::int32_t mode) {
    xeqline = line;
    xeqmode = mode;
    xeqstop = 0;
    exec::XEQ({xeqbuf.ptr(1), static_cast<std::size_t>(xeqbuf.last())});
  }
  static double value(const char* nm) {
    std::int32_t k = 0;
    lokalsub = lokalscope = 0;
    return FINDSN(nm, k, 0x80) ? z(k) : -999.0;
  }
};

TEST_F(Loop, WithoutRunOnOneStatementRunsAndTheStopLineEndsARun) {
  compile("A = 1\r\nB = 2\r\nC = 3\r\nD = 4\r\n");
  xeq(1, 8);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(value("A"), 1);
  EXPECT_EQ(value("B"), 0);
  xeq(2, 8);
  EXPECT_EQ(xeqline, 3);
  EXPECT_EQ(value("B"), 2);
  // Run on from statement 2, with a stop line at statement 4.
  exec::stopline = 4;
  xeq(2, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(xeqline, 4);
  EXPECT_EQ(exec::stopline, 0);
  EXPECT_EQ(value("C"), 3);
  EXPECT_EQ(value("D"), 0);
  EXPECT_EQ(xeqmode, 8);
  // The whole program: the run ends on the last statement.
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(xeqline, nstmt);
  EXPECT_EQ(value("D"), 4);
}

TEST_F(Loop, PendingCommandsAndTheInputStep) {
  compile("A = 1\r\nB = 2\r\n1 C = 3\r\nGOTO 9\r\n5 K = 1\r\n9 CONTINUE\r\n");
  // Command 1 hands the run back at once with its stack entries.
  idecmd = 1;
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::command);
  EXPECT_EQ(value("A"), 0);
  EXPECT_EQ(xeqstackptr, xeqstackbase + 3);
  EXPECT_EQ(adrs(xeqstackbase + 1), -8);
  EXPECT_EQ(adrs(xeqstackptr), 1);
  // Escape breaks the run after the statement that was running, and
  // clears the alarms.
  idecmd = -1;
  exec::alarmtime(5) = 100.0F;
  keyrec = {27, 1, 0, 1};  // Escape, as the key reader records it
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::broken);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(value("B"), 0);
  EXPECT_EQ(exec::alarmtime(5), exec::alarmunset);
  keyrec.fill(0);
  // A quit request ends the run with -999.
  win::PostQuitMessage(0);
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::quit);
  EXPECT_EQ(xeqmode, 8);
  EXPECT_EQ(value("B"), 0);
  win::MSG quit{};
  EXPECT_TRUE(win::PeekMessageA(&quit, nullptr, win::WM_QUIT, win::WM_QUIT, win::PM_REMOVE))
      << "the quit request stays for the main loop";
  // A typed character jumps to the label of that name, once.
  idecmd = -1;
  keyrec = {'5', 6, 0, 1};
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(value("K"), 1);
  EXPECT_EQ(value("B"), 0);
  EXPECT_EQ(keyrec[0], 0);
  // Without a label of that name the run goes on.
  keyrec = {'x', 45, 0, 1};
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(value("C"), 3);
}

TEST_F(Loop, AFailedLineStopsTheRunWhenItIsReached) {
  ASSERT_NE(scriptrun::compile("A = 1\r\nB = (\r\nC = 3\r\n"), "");
  idecmd = -1;
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::error);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(value("A"), 1);
  EXPECT_EQ(value("C"), 0);
  EXPECT_EQ(msgkey.view().substr(0, 12), "notCorrected");
}

TEST_F(Loop, InSingleStepsACallRunsTheWholeSubroutineUnlessShiftIsHeld) {
  compile("CALL S\r\nA = 1\r\nEND\r\nSUBROUTINE S\r\nB = B + 2\r\nEND\r\n");
  idecmd = -1;
  xeq(1, 8);
  EXPECT_EQ(value("A"), 0);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(idecmd, -1);
  EXPECT_EQ(lokalscope, 0);
  std::int32_t s = 0;
  ASSERT_TRUE(FINDSN("S", s, 4));
  EXPECT_EQ(I2EQUZ(2, s), 0) << "the subroutine is no longer active";
  // With Shift the step goes into the subroutine: its first statement is next.
  keyrec[2] = 1;
  xeq(1, 8);
  keyrec[2] = 0;
  EXPECT_EQ(xeqline, 5);
  EXPECT_EQ(lokalscope, s);
  xeq(5, 8);
  xeq(6, 8);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(lokalscope, 0);
}

TEST_F(Loop, ACallThatEndsALoopComesBackForTheLoopEnd) {
  compile("DO 30 I = 1, 2\r\n30 CALL S\r\nA = 1\r\nEND\r\nSUBROUTINE S\r\nK = K + 1\r\nEND\r\n");
  xeq(1, 8);
  ASSERT_EQ(xeqline, 2);
  // Stepped over, the CALL comes back to its own statement; the next step
  // is its loop end, which goes on with the loop's first statement.
  for (int pass = 1; pass <= 2; ++pass) {
    idecmd = -1;
    xeq(2, 8);
    EXPECT_EQ(value("K"), pass);
    EXPECT_EQ(xeqline, 2);
    xeq(2, 8);
    EXPECT_EQ(value("K"), pass) << "the loop end alone";
    EXPECT_EQ(xeqline, pass == 1 ? 2 : 3);
  }
  EXPECT_EQ(value("I"), 3);
  EXPECT_EQ(value("A"), 0);
  // Run whole, the loop runs to its end.
  xeq(1, 4 | 8);
  EXPECT_EQ(value("K"), 4);
  EXPECT_EQ(value("A"), 1);
}

TEST_F(Loop, AFiredAlarmCallsItsFunctionKeySubroutineAndReturns) {
  compile("A = 1\r\nB = 2\r\nEND\r\nSUBROUTINE F5 ! five\r\nK = K + 1\r\nEND\r\n");
  idecmd = 5;
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(value("K"), 1);
  EXPECT_EQ(value("A"), 1);
  EXPECT_EQ(value("B"), 2);
  EXPECT_EQ(idecmd, -1);
  // An alarm without its subroutine restores the command that it displaced.
  compile("A = 1\r\nB = 2\r\n");
  idecmd = 7;
  xeq(1, 4 | 8);
  EXPECT_EQ(idecmd, -1);
  EXPECT_EQ(value("B"), 2);
}

TEST_F(Loop, OneTranslatedStatementRunsOnceInSingleStatementMode) {
  compile("A = 1\r\nB = 2\r\nGOTO 7\r\nC = 3\r\n7 D = 4\r\n");
  // The words of statement 2, as the line compiler hands over a statement.
  std::vector<std::int16_t> words;
  for (std::int32_t p = core::stmtstart(2); xeqbuf(p) != endmark; ++p) words.push_back(xeqbuf(p));
  words.push_back(endmark);
  xeqline = 1;
  xeqmode = 0x40;
  exec::XEQ(words);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(value("B"), 2);
  EXPECT_EQ(value("A"), 0);
  // A jump leaves the statement number at its target for the caller.
  words.clear();
  for (std::int32_t p = core::stmtstart(3); xeqbuf(p) != endmark; ++p) words.push_back(xeqbuf(p));
  words.push_back(endmark);
  exec::XEQ(words);
  EXPECT_EQ(xeqline, 5);
  EXPECT_EQ(value("D"), 0);
}

TEST_F(Loop, AnErrorInsideAWindowEventHandlerLeavesTheHandlerOnly) {
  compile("A = 1\r\nB = 2\r\nEND\r\nSUBROUTINE H(X)\r\nC = 1 / X\r\nD = 5\r\nEND\r\n");
  std::int32_t h = 0;
  ASSERT_TRUE(FINDSN("H", h, 4));
  exec::eventlabel = h;
  idecmd = 21064;
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(value("A"), 1);
  EXPECT_EQ(value("B"), 2);
  EXPECT_EQ(idecmd, -1);
  EXPECT_EQ(lokalscope, 0);
  EXPECT_EQ(I2EQUZ(2, h), 0);
}

}  // namespace

namespace {

// An array declared again larger grows `z` while its line is compiled: the
// line's literal values (which stand in `z`) are read again, not from the
// store that was given up.
TEST_F(Loop, AnArrayDeclaredAgainLargerKeepsTheLinesValues) {
  compile("DIMENSION A(3)\r\nDIMENSION A(700000)\r\nA(5) = 2\r\nX = A(5) + 7\r\nEND\r\n");
  xeq(1, 4 | 8);
  EXPECT_EQ(xeqstop, exec::stops::end);
  EXPECT_EQ(value("X"), 9);
  std::int32_t rows = 0, cols = 0;
  std::int32_t a = 0;
  lokalsub = lokalscope = 0;
  ASSERT_TRUE(FINDSN("A", a, 0x10));
  TRANSFERR8TO2I4(z(a), rows, cols);
  EXPECT_EQ(static_cast<std::int64_t>(rows) * cols, 700000);
}

}  // namespace

namespace {

// A view used as a loop variable: its cell then holds a number, not a
// shape. Writing out the run's variables must not read past the store.
TEST_F(Loop, AViewWrittenAsANumberIsWrittenOutWithinTheStore) {
  // (DO over a view compiles as a labelled DO: one ENDDO closes the outer loop.)
  const std::string out = scriptrun::run(
      "DIMENSION M(3, 4)\r\nDO R = 1, 3\r\nN = ALIAS(Base=A, Columns=2, Vector=Q, Vector=R)\r\n"
      "  DO Q = 1, 4\r\n    M(R + 3 * (Q - 1)) = R * 10 + Q\r\n  ENDDO\r\nEND\r\n");
  EXPECT_NE(out.find("stop=32767 line=3 key=AliasXeq"), std::string::npos) << out.substr(0, 300);
}

}  // namespace

namespace {

// A division by zero names its floating-point status (4), not the line.
TEST_F(Loop, AFailedCalculationNamesItsFloatingPointStatus) {
  const std::string out = scriptrun::run("Z = 0\r\nY = 2\r\nX = Y / Z\r\nEND\r\n");
  EXPECT_NE(out.find("stop=32767 line=3 key=xeq3300"), std::string::npos) << out;
  bool named = false;
  for (const auto& box : plat::message_box_log())
    if (box.text.find("In statement 3 a calculation failed (floating-point status 4)") !=
        std::string::npos)
      named = true;
  EXPECT_TRUE(named);
}

}  // namespace

namespace {

bool boxshows(std::string_view text) {
  for (const auto& box : plat::message_box_log())
    if (box.text.find(text) != std::string::npos) return true;
  return false;
}

// An index error names the operand and the index, not the element cell.
TEST_F(Loop, AnIndexErrorNamesTheArrayAndTheIndex) {
  scriptrun::run("DIMENSION V(3), M(2, 5)\r\nV(5) = 1\r\nEND\r\n");
  EXPECT_TRUE(boxshows("V has no  column 5"));
  scriptrun::run("DIMENSION V(3), M(2, 5)\r\nX = M(3, 1)\r\nEND\r\n");
  EXPECT_TRUE(boxshows("M has no  row 3"));
}

TEST_F(Loop, AnOptionErrorNamesItsLine) {
  scriptrun::compile("X = 1\r\nWRITE(FOO=1) X\r\nEND\r\n");
  EXPECT_TRUE(boxshows("In line 2 the statement WRITE() has no option of the name FOO"));
}

// A run error shows the detail its failure left (*6) and the statement's
// own text (*7), never the name of the predefined cell $.
TEST_F(Loop, ARunErrorShowsItsDetailAndTheStatementsText) {
  plat::reset_message_boxes();
  scriptrun::run("X = 1\r\nY = INET(X)\r\nEND\r\n");
  EXPECT_TRUE(boxshows("Y = INET(X)"));
  plat::reset_message_boxes();
  scriptrun::run("X = 1\r\nY = TIME(Excel=E, TO, YYYYMMDD=999999999)\r\nEND\r\n");
  EXPECT_TRUE(boxshows("999999999")) << plat::message_box_log().back().text;
  EXPECT_FALSE(boxshows("The value was $"));
}

// A name written with "(" that is no built-in and was never declared
// says so in the user's words, and the stop names that message's key, on
// the expression path and the word path (a FUNCTION reference in the
// statement); a view that its ALIAS statement has not yet shaped is an
// index error.
TEST_F(Loop, ANameNeitherBuiltinNorArraySaysSo) {
  plat::reset_message_boxes();
  std::string out = scriptrun::run("X = 4\r\nY = SQRT(X)\r\nEND\r\n");
  EXPECT_NE(out.find("stop=32767 line=2 key=noSuchArray"), std::string::npos) << out;
  EXPECT_TRUE(boxshows("SQRT is neither a built-in function nor a declared array"));
  EXPECT_FALSE(boxshows("ALIAS initialization"));
  plat::reset_message_boxes();
  out = scriptrun::run(
      "GOTO 10\r\nFUNCTION FI(K)\r\nFI = K\r\nEND\r\n10 R = FI(2) + SQRT(TOT)\r\nEND\r\n");
  EXPECT_NE(out.find("stop=32767 line=5 key=noSuchArray"), std::string::npos) << out;
  EXPECT_TRUE(boxshows("SQRT is neither a built-in function nor a declared array"));
  plat::reset_message_boxes();
  out = scriptrun::run("DIMENSION A(6)\r\nX = P(1)\r\nALIAS(Base=A, Vector=P)\r\nEND\r\n");
  EXPECT_NE(out.find("stop=32767 line=2 key=xeq3006"), std::string::npos) << out;
  EXPECT_FALSE(boxshows("neither a built-in function"));
  EXPECT_TRUE(boxshows("P has no ALIAS initialization"));
}

// A function without a value fails in the statement that called it.
TEST_F(Loop, AFunctionWithoutAValueFailsInTheCallingStatement) {
  const std::string out = scriptrun::run(
      "GOTO 10\r\nFUNCTION F(X)\r\n  Y = X\r\nEND\r\n10 A = 1\r\nB = A + F(2)\r\nEND\r\n");
  EXPECT_NE(out.find("stop=32767 line=6 key=noFncAssign"), std::string::npos) << out;
  EXPECT_TRUE(boxshows("The function F, called in statement 6,"));
}

}  // namespace
