// Operand words, assignments and option statements of the word path: the
// words of a statement that the statement loop (exec/xeq.h) runs word by
// word, other than the control words and the built-in functions. Operands
// are pushed onto the operand stack `xeqstack` as symbol indices and
// consumed by the words that follow: array elements and substrings,
// operators, concatenation, assignments and the option statements, which
// go to the option dispatch BUISOPT and then through the epilogue in which
// statements such as READ from a window, LINE, SOLVE, SYSTEM and DIFFEQ
// leave or re-enter the loop.
#pragma once

#include <cstdint>

#include "core/stores.h"
#include "exec/strings.h"
#include "exec/wordpath.h"
#include "exec/xeq.h"
#include "exec/xeqtemps.h"

namespace exec {

// Text position of a selection outside its string: such a value counts as
// one blank when it is assigned.
inline constexpr std::int32_t outsidetext = -99999;

// The last array element addressed was in range (an element outside
// stops the statement with the evaluator's index error).
inline bool elementinrange = true;

// Handles one word of the operand, assignment and option-statement
// families (the loop's `operandwords`).
WordResult OPERANDWORD(std::int16_t word);

// Single word families of OPERANDWORD, for callers that know the word's
// family already: a symbol operand (w > 0), a two-operand operator of the
// statement loop's token codes, and an assignment word (0x8400 family).
inline WordResult pushsymbol(std::int16_t w) {
  std::int32_t e = w;
  if (wordpath::issym(w)) {
    const core::SymbolRecord& r = core::name.data()[w - 1];
    const int t = static_cast<std::uint16_t>(r.type) & 0x7FF;
    // A scalar dummy argument bound to a cell stands for that cell.
    if ((t & 0xA8) == 0xA0 && r.adr > 0) e = r.adr;
    if ((t & 0x100) != 0 && static_cast<std::uint16_t>(codeword(wordpos + 1)) == 0xF400u) ++wordpos;
  }
  const std::int32_t p = core::xeqstackptr + 1;
  if (p < 1 || p > core::adrs.size()) return wordpath::fail(xeqkeys::xeqstack);
  core::adrs.data()[p - 1] = e;
  core::xeqstackptr = p;
  return WordResult::next;
}
inline WordResult binopword(std::int16_t w) {
  stmtflags |= 1;
  if (wordpath::depth() < 2) return wordpath::fail(xeqkeys::stackunderflow);
  double r = 0.0;
  const std::int32_t st = XEQBIN(r, wordpath::entry(1), w, wordpath::entry(0));
  if (st != 0) {
    if (core::msgkey.trimmed().empty()) core::msgkey.set(xeqkeys::notpossible);
    return WordResult::error;
  }
  core::z(core::iresult) = r;
  takeresult(2);
  return core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
}
WordResult assignword(std::int16_t w);

// The option-statement epilogue, after the word path's BUISOPT and for an
// option statement that the expression path ran (statement code code).
WordResult optepilogue(std::int16_t code);

// Installs OPERANDWORD and BUILTINWORD (exec/builtins.h) in the loop's
// handler hooks, and the variable-argument functions in the evaluator.
void install_wordhandlers();

// Start values of this file's words.
void reset_assign();

// Writes the elements that a whole-array statement reading its own target
// computed and held back (its passes ended, or the statement failed).
void flushdeferred();

}  // namespace exec
