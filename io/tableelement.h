// One element (row, column) of a file variable viewed as a table, read
// into a script value or written from one: the cell text turned into the
// value (or the value into cell text) through its column's descriptor;
// column 0 is the whole row. Reads see the table edits not yet saved; a
// write to a line-indexed file becomes such an edit (saved when the file
// or its table closes), a write to a file of fixed records goes to the
// file at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace io {

// mode "R" reads into the value cell of symbol value, "W" writes it. The
// outcome is in `iostatw`: 25 row or column out of range, 26 the unit is
// no table ("extMatrixNotOpen" in `msgkey`), 38 a write to column 0, or
// the status of the row's read.
void READWRITEMATRIXELEMENT(char mode, std::int32_t unit, std::int32_t value, std::int32_t row,
                            std::int32_t column);

// The element for the executor's table operands: a text column's cell as
// a text as wide as the column (istext), any other as a number. The status
// as above (0 when read; a cell that does not read under its format leaves
// "mx2element" in `msgkey`).
std::int32_t READTABLEELEMENT(std::int32_t unit, std::int32_t row, std::int32_t column,
                              std::string& text, double& number, bool& istext);

// The executor's assignment to a table element: the text (istext) or the
// number into cell (row, column), a number through a number column's
// descriptor, else in its plain form. The status as above; a refused
// write leaves its key in `msgkey`.
std::int32_t WRITETABLEELEMENT(std::int32_t unit, std::int32_t row, std::int32_t column,
                               bool istext, std::string_view text, double number);

// The rows and columns a table unit offers its elements: the rows of its
// line index, else its file length / record length; false for a unit
// that is no table.
bool tableshape(std::int32_t unit, std::int32_t& rows, std::int32_t& columns);

}  // namespace io
