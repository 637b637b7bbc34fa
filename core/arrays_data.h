// Array storage and DATA values for the lexicon's declarations: the shape
// and block of an array in the top of `z`, the numbers of a DATA list, and
// the value of a dimension written as a number or a named constant. All
// work on the lexicon's line and token (core/lexicon.h).
#pragma once

#include <cstdint>

namespace core {

// Shape of the last array read by ALLOCARRAY: rows and columns, packed
// into the array's cell.
struct ArrayShape {
  std::int32_t rows = 0;
  std::int32_t cols = 0;
};
inline ArrayShape zshape;
// Cell count of that shape (0 or less: no block) and the first cell of
// the block taken for it.
inline std::int32_t lexcount = 0;
inline std::int32_t lexblock = 0;

// The numeric value of token j: the value of the constant or variable it
// names when it is an unresolved name of a numeric symbol, else the
// number that the tokenizer read for it.
double GETISSYMBR8VALUE(std::int32_t j);

// Reads the shape of the array named by token lexk from the tokens after
// it ("(" rows "," columns ")" or "(" columns ")"). With mode 0 or more,
// takes a zeroed block of that many cells below `nztop` (growing `z` when
// the reserve would be touched). False when the count is below 1, too
// large, or the store could not grow; nothing is taken then.
bool ALLOCARRAY(std::int32_t mode);

// Stores the values of the DATA list opened by the "/" at token k. k ends
// on the closing "/" (or the end of the line, or the failing token).
// Returns 0, or 1 with msgkey "DATA" (a value that is no number, an open
// list), "dataError" (no numeric target, an element before its array) or
// "dataIndex" (an element past its array).
std::int32_t LEXDAT(std::int32_t& k);

}  // namespace core
