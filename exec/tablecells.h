// Elements of a file variable viewed as a table, F(row, column), read
// where a script names one (in the expression evaluator and on the word
// path) and assigned in the evaluator. The files subsystem installs the
// reader and the writer; until then such an element stops the statement
// with "notYetBuilt".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exec/xeq.h"

namespace exec {

// Reads element (row, column) of the table on unit: a text column's cell
// into text (istext), any other into number. The I/O status: 0, 25 outside
// the table, 26 the unit is no table, another a failed read; a cell that
// does not read under its format leaves its key in `msgkey`.
inline std::int32_t (*readtableelement)(std::int32_t unit, std::int32_t row, std::int32_t column,
                                        std::string& text, double& number, bool& istext) = nullptr;

// Writes element (row, column) of the table on unit: the text (istext) or
// the number, as the column's descriptor puts it. The I/O status as for
// reads, 38 a write to column 0 (the whole line); a refused write leaves
// its key in `msgkey`.
inline std::int32_t (*writetableelement)(std::int32_t unit, std::int32_t row, std::int32_t column,
                                         bool istext, std::string_view text,
                                         double number) = nullptr;

// The shape of the table on unit and the kind of one of its columns: rows
// and columns, the column's width and kind (0 text, else a number column;
// column 0 is the whole row, text). 0, or -3401 when the unit is no table
// with a column table, -3402 for a column it does not have.
inline std::int32_t (*tablecolumn)(std::int32_t unit, std::int32_t column, std::int32_t& rows,
                                   std::int32_t& columns, std::int32_t& width,
                                   std::int32_t& kind) = nullptr;

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
// The assignment of the value (a text or a number) to the element that
// tableoperand left as the statement's target; status 0 or an error code.
std::int32_t tableassign(Eval& e, bool istext, std::string_view text, double number);
// The value of element (row, column) of the table on unit, and the value
// written there; status 0 or an error code as for an element read or
// assigned in an expression.
std::int32_t tableread(std::int32_t unit, std::int32_t row, std::int32_t column, std::string& text,
                       double& number, bool& istext);
std::int32_t tablestore(std::int32_t unit, std::int32_t row, std::int32_t column, bool istext,
                        std::string_view text, double number);

}  // namespace exec::evaldetail
