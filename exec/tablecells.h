// Elements of a file variable viewed as a table, F(row, column), read
// where a script names one: in the expression evaluator and on the word
// path. The files subsystem installs the reader; until then, and for
// writes and exchanges, such an element stops the statement with
// "notYetBuilt".
#pragma once

#include <cstdint>
#include <string>

#include "exec/xeq.h"

namespace exec {

// Reads element (row, column) of the table on unit: a text column's cell
// into text (istext), any other into number. The I/O status: 0, 25 outside
// the table, 26 the unit is no table, another a failed read; a cell that
// does not read under its format leaves its key in `msgkey`.
inline std::int32_t (*readtableelement)(std::int32_t unit, std::int32_t row, std::int32_t column,
                                        std::string& text, double& number, bool& istext) = nullptr;

// The element of file variable sym as the result of a word-path word that
// consumes the top `consumed` entries of the operand stack.
WordResult tableelementword(std::int32_t sym, std::int64_t row, std::int64_t column,
                            std::int32_t consumed);

}  // namespace exec

namespace exec::evaldetail {

struct Eval;
// The element word 5008 of descriptor descr at position p: row and column
// taken off the stack, the element's value put there.
std::int32_t tableoperand(Eval& e, std::int32_t p, std::int32_t descr);

}  // namespace exec::evaldetail
