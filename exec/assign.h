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

#include "exec/xeq.h"

namespace exec {

// Text position of a selection outside its string: such a value counts as
// one blank when it is assigned.
inline constexpr std::int32_t outsidetext = -99999;

// The last array element addressed was in range; an out-of-range element
// skipped under the tolerant assignment word 0x8440 clears it, and a
// whole-array assignment then stores nothing.
inline bool elementinrange = true;

// Handles one word of the operand, assignment and option-statement
// families (the loop's `operandwords`).
WordResult OPERANDWORD(std::int16_t word);

// Single word families of OPERANDWORD, for callers that know the word's
// family already: a symbol operand (w > 0), a two-operand operator of the
// statement loop's token codes, and an assignment word (0x8400 family).
WordResult pushsymbol(std::int16_t w);
WordResult binopword(std::int16_t w);
WordResult assignword(std::int16_t w);

// The option-statement epilogue, after the word path's BUISOPT and for an
// option statement that the expression path ran (statement code code).
WordResult optepilogue(std::int16_t code);

// Installs OPERANDWORD and BUILTINWORD (exec/builtins.h) in the loop's
// handler hooks, and the variable-argument functions in the evaluator.
void install_wordhandlers();

// Start values of this file's words.
void reset_assign();

}  // namespace exec
