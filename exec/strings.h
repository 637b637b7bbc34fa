// String operands of the operators: mixing a string with a number,
// comparing two strings, joining strings with "//", and the string
// built-ins ICHAR, LEN, LEN_TRIM and TRIM.
//
// A string is a first and a last position in `c1namen`. Inside evaluated
// expressions a string operand is a temporary or descriptor named by a
// negative operand index (exec/tempstrings.h holds its positions); on the
// statement loop's short path it is a character symbol whose cell holds the
// positions. Strings compare by character codes, the shorter one extended
// with blanks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/stores.h"
#include "core/symbols.h"
#include "exec/operators.h"

namespace exec {

// Compares two texts under an expression relational code and stores 1.0
// or 0.0 in result. 0, or 3504 for a code outside the table.
std::int32_t XEQ2COMPARECHAR(double& result, std::string_view a, std::int16_t rel,
                             std::string_view b);
// The same with the statement loop's codes; a code outside the table sets
// the key "notPossible" and returns -1 without a result.
std::int32_t XEQBINCHAR(double& result, std::string_view a, std::int16_t rel, std::string_view b);

// The statement loop's two-operand entry on symbols a and b. 0 done; -4 a
// below 1, -2 a string with a number (both "notPossible"); -3 a numeric
// failure; -1 a bad string relation.
std::int32_t XEQBINTEXT(double& result, std::int32_t a, std::int16_t op, std::int32_t b);
inline std::int32_t XEQBIN(double& result, std::int32_t a, std::int16_t op, std::int32_t b) {
  // A number on the left (NAMTYP tells it without the text's bounds): the
  // numeric operator; anything else goes on in XEQBINTEXT.
  if (a >= 1 && a < core::z.size() && b >= 0 && b < core::z.size() && core::NAMTYP(a, 0x49) == 0) {
    const double* const cells = core::z.data();
    return XEQBINNUM(result, cells[a], op, cells[b]) == 0 ? 0 : -3;
  }
  return XEQBINTEXT(result, a, op, b);
}

// The statement loop's concatenation of symbols a and b into the result
// symbol res (a temporary string), the right text without its trailing
// blanks unless it or the left one is the text the statement made last, and
// a number written as its text alone (as the evaluator joins). 0 done, -1
// refused by the user. When the character store is full it is grown and
// the join goes on.
std::int32_t XEQTIDCAT(std::int32_t res, std::int32_t a, std::int32_t ignored, std::int32_t b);

// The text of positions first..last of `c1namen` read in its direction
// (backwards when first > last + 1); empty when the bounds are not valid.
std::string c1text(std::int32_t first, std::int32_t last);
// The same text without a copy when it runs forwards: a view into
// `c1namen`, valid until the store changes; read backwards it is copied
// into `scratch`.
std::string_view c1read(std::int32_t first, std::int32_t last, std::string& scratch);
// The text that read(e, view, scratch) reads in place, as a copy of its
// own; false when read finds none.
template <class Read>
bool copiedtext(Read read, std::int32_t e, std::string& out) {
  std::string scratch;
  std::string_view v;
  if (!read(e, v, scratch)) return false;
  out.assign(v);
  return true;
}
// Length of the string first..last: 0 when last = first - 1, otherwise the
// number of positions between them, read in either direction.
std::int32_t c1length(std::int32_t first, std::int32_t last);

// Grows `c1namen` by at least extra characters while an expression is being
// evaluated, and repairs every live position that pointed into the moved
// block (texts of the character variables): string descriptors and
// temporaries, and string result cells above `nsym`. The evaluation goes on
// afterwards; nothing runs twice. False when the store could not grow.
bool growcharstore(std::int32_t extra);
// Makes sure that positions up to last stay below `c1limit`, growing the
// store when needed. False when it could not grow, with `storelimitkey` in
// `msgkey`.
bool charroom(std::int32_t last);

// The string side of XEQ2BIN and XEQ2UNA (exec/operators.h).
std::int32_t binstring(std::int32_t res, std::int32_t a, unsigned op, std::int32_t b);
std::int32_t unastring(std::int32_t res, std::int32_t a, unsigned op);

}  // namespace exec
