// Random scripts made of small snippets of the language's rarer shapes,
// most meeting user FUNCTIONs, with the value every snippet must leave
// worked out by the generator itself:
//
// - folds (SUM, MAX, MIN, nested two deep) and whole-array statements whose
//   element expression references FUNCTIONs of scalars and of arrays
//   (declared in the function or not, one summing its array);
// - XEQ of texts that reference FUNCTIONs, fold, or hold a lone number, as
//   the whole right side of a numeric or text assignment and alone as a
//   statement;
// - pieces read backwards and all-blank pieces between two others, with
//   FUNCTION bounds beside constant ones, joined, measured, compared and
//   handed to a FUNCTION's text formal (a blank piece joined keeps its
//   blanks beside a text the statement made, a join or a piece read
//   backwards, and loses them beside a piece read forwards);
// - BITS beside numbers and FUNCTIONs (its value is 0), a record read back
//   by STRUCT over itself and into another target;
// - SUBROUTINEs that change an array formal, DO loops whose body changes
//   the variable of its limit or step, and a false logical IF that guards
//   a MIN or MAX list of pieces of a text formal too short for them.
//
// - folds of folds (four deep at most, the inner ones now and then the only
//   arrays of the outer one's argument), MAXLOC and MINLOC, and SUM, MAX
//   and MIN of lists holding whole arrays and array expressions (ABS, MOD,
//   RAN) among numbers and INDEX of an array, with no FUNCTION or beside
//   one, in every place an expression stands (assignments, logical IF,
//   IF ... GOTO, block IF and ELSEIF, a DO loop's start, limit and step, a
//   subscript, after a unary minus, a MAX/MIN list, the argument of a
//   built-in, a FUNCTION or a CALL, a WRITE item read back, a SUBROUTINE or
//   FUNCTION body), and such lists (with $ now and then) into a whole
//   array. They come from a random stream of their own, after the others,
//   so that the other snippets of a seed stay as they were.
//
// - whole-array statements with a FUNCTION whose passes are those of the
//   same statement without it: a target element that $ subscripts (with a
//   whole array on the right or none), a fold over an array and a character
//   of T, a target read on its own right side, elements past the end or
//   before the start after $, ranges of the target's or the source's
//   elements, a false logical IF; and an assignment whose passes end before
//   its first store (it stops the run). They come from a fourth stream.
//
// - folds (SUM, MAX, MIN, two deep) and whole-array statements whose terms
//   hold pieces of T with any expression at either bound: INDEX and
//   LEN_TRIM of T, user FUNCTIONs, FZ() without arguments, moved by a
//   number or a FUNCTION or inside one; a FUNCTION around the piece, before
//   it or after it. FUNCTIONs and SUBROUTINEs without arguments (they share
//   the main program's names: two references in one statement see each
//   other's change) and of one to three arguments that change the variables
//   handed to them. XEQ texts that hold lists: alone their values go
//   nowhere, into a text they are joined, for a number they stop the run
//   (listToOne). They come from a sixth stream.
//
// - the text that T or S was given written again as a file's name
//   (SYSTEM FIle= with FileSize) and then as a plain text. It comes from a
//   seventh stream.
//
// - lists that hold FUNCTION references (FI, FN, FZ() and one without
//   arguments that changes a variable a later element reads) beside
//   numbers, A, KI and the texts S and T: joined into a text, element by
//   element into a whole array, as XEQ texts alone and into a text, and now
//   and then as an XEQ text for a number, which stops the run (listToOne).
//   They come from an eighth stream.
//
// Each snippet stands now and then in a DO loop, a GOTO loop, a block IF
// (its condition a fold or a piece with a FUNCTION), a SUBROUTINE or a
// FUNCTION body (handed the main program's names, its arrays declared or
// not), a logical IF, a DO limit, a MAX/MIN list, a subscript or after a
// unary minus; it counts its disagreements in its element of NB and names
// its result and the value expected. A script holds five to ten snippets,
// now and then one or two alone. Some scripts end at a statement that
// must stop the run with a known key: a run error inside an XEQ text, an
// XEQ result that its place cannot take, a piece bound outside its text.
#pragma once

#include <cstdint>

#include "exec/compose_gen.h"

namespace shapes {

compose::Script generate(std::uint32_t seed);

// Scripts of the folds whose elements make texts alone (the shapes that
// generate() adds now and then from their stream).
compose::Script textfolds(std::uint32_t seed);

}  // namespace shapes
