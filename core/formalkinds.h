// Statements that name formals of unknown kind. A formal that its routine
// does not declare (no DIMENSION, no CHARACTER, no subscript before the
// statement) is translated as a number, but a call may bind it to an array:
// the words of such a statement that take it for one number would read the
// array's shape cell as its value. So the whole-script compile translates
// each statement that names such formals once more for every choice of
// them as arrays; where the words differ, the statement keeps its words for
// each choice, and room for the longest of them (the shorter ones filled
// with `pad` words before the end word). When a call binds the formals of a
// routine to other kinds, `rebind` writes the words made for the kinds they
// have now in place. A choice that cannot be written so (the translator
// refused it, or the statement has a label or block words that the program
// walk ties to other statements) writes a statement that stops with
// "formalKind" when it runs.
#pragma once

#include <cstdint>
#include <string_view>

namespace core::formalkinds {

// While set, translateline() keeps the statements of the whole-script
// compile (set by it from its first line to its last).
inline bool collecting = false;

// Forgets every statement kept (a new compile, or a line spliced in: the
// statement numbers no longer hold); true when there were any.
bool clear();

// Called by translateline() before TRANS: keeps the lexicon's tokens when
// the statement names formals of unknown kind.
void keep();
// Called after TRANS succeeded: translates the kept tokens for the other
// kinds of those formals and, where the words differ, keeps them for
// statement `xeqline` and pads tokcod(1..ntrans) to the room they need.
void made(std::string_view text);

// Whether formal s has statements kept (a cheap test before rebind()).
bool haskept(std::int32_t s);
// The formals f1, f2, ... (`link` chain from routine S's record, `count`
// of them) were bound: each kept statement that names one of them gets
// the words made for the kinds they have now. True when any words changed.
bool rebind(std::int32_t S, std::int32_t count);

}  // namespace core::formalkinds
