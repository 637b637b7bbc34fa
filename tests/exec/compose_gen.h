// Random scripts that compute one expression E and use it again in every
// place an expression stands. Each script stores V = E, then uses E in
// contexts: a second assignment, logical IF, IF ... GOTO, block IF and
// ELSEIF chains whose later branch E decides, nested blocks, DO start,
// limit and step, arguments of built-ins and of user functions, subscripts
// on both sides of an assignment, WRITE items written into texts and read
// back, unary minus, MAX/MIN lists, pieces of texts, a called SUBROUTINE
// (with arguments, and without, sharing the main program's names) and a
// FUNCTION body; now and then inside DO loops of 1, 16 and 17 passes, GOTO
// loops and block IFs. Each context compares what it got with what the same
// construct gives for V (or with the branch the generator worked out) and
// counts a disagreement in its element of NB. E is built from numbers,
// variables, elements with computed subscripts, user FUNCTIONs with number,
// array and text arguments (declared in the function or not), ABS, MOD,
// SIGN, INT, SUM, MAX and MIN of 2 to 4 arguments, LEN, LEN_TRIM, ICHAR,
// INDEX (with options and a length variable), unary minus, relations and
// pieces of texts. The generator works every value out itself, so that
// subscripts and text positions stay in range, no divisor or DO step is
// 0, and every branch it expects is decided by a clear margin: any
// disagreement, refused line or failure is a fault.
//
// Most scripts also reference functions of the form (x op y) op z over
// their three formals (+ - * and /) in a loop, in a statement of such
// references alone and in one beside a built-in, each compared with the
// same computed in line. Some end with a piece whose end lies one past its
// text, in a loop whose last pass reaches it: the run must stop at that
// line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace compose {

// One use of E: NB(i + 1) of the script counts the passes in which `got`
// differed from `want` (names of the script's variables).
struct Use {
  std::string kind;  // the use alone ("DO limit")
  std::string what;  // and the loops and blocks it stands in
  std::string got, want;
  // Inside loops and blocks: the variable that counts the passes that
  // reached the use, and how many must.
  std::string reached;
  int passes = 0;
  // A second variable that must hold what `want` holds, or empty.
  std::string also;
};

// A variable that must hold, when the run ends, what `want` holds (or
// `value` when `want` is empty).
struct Final {
  std::string what, name, want;
  double value = 0;
};

struct Script {
  std::uint32_t seed = 0;
  std::string text;
  std::string expr;  // E as the script writes it
  double value = 0;  // E as the generator worked it out
  std::vector<Use> uses;
  std::vector<Final> finals;
  // The line at which the run must stop with a failure; 0: it runs to its end.
  int stopline = 0;
  // The message key of that stop (empty: any).
  std::string stopkey;
};

Script generate(std::uint32_t seed);

// Whether the translators take a line of that length, bracket depth and
// (estimated) operator stack.
bool linefits(const std::string& line);

}  // namespace compose
