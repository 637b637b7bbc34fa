// The column layout of a file viewed as a table, taken from the Format
// text that OPEN was given: fixed columns (descriptors with a width) at
// byte offsets of the row, separated columns split by their descriptor
// text, and the items NB= (data separator), ML= (lines a row) and SL=
// (header lines). Rows are read through the line index (io/lineindex.h)
// or, without one, as fixed-length records; a cell is located in its row.
//
// Separated columns, by their descriptor text D: "A" runs to the end of
// the line; "F" is the next number; any other single character ends the
// cell; two characters enclose it; longer texts make no cells. A cell that
// begins with the quote character (when one is given) ends at its closing
// quote. A cell that the row cannot give is missing (start and end -1).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/rwfiles.h"

namespace io {

// Builds the unit's column table from the text of the format symbol
// (nothing when it has one). columns: the column count; separator: the
// NB= character (0 when none); lines: lines a row (ML=, below 1 taken as
// 2; 0 without ML=); headers: header lines (SL=); layout: bit 1 some
// column has a fixed width, bit 2 some column is separated.
void FILEMATRIXFORMAT(std::int32_t format, std::int32_t unit, std::int32_t& columns,
                      char& separator, std::int32_t& lines, std::int32_t& headers,
                      std::int32_t& layout);

// The start and end (1-based within row) of every column's cell; quote 0
// for none.
void FILLCELLS1ROW(std::vector<std::int32_t>& starts, std::vector<std::int32_t>& ends,
                   const ColTable& table, std::string_view row, char quote);

// Where the descriptor text of a column lies in `c1namen` (0 and 0 for a
// column the unit does not have).
void FMTADRAZ(std::int32_t unit, std::int32_t column, std::int32_t& first, std::int32_t& last);
// The descriptor text itself; "A" for column 0.
std::string columnformat(std::int32_t unit, std::int32_t column);

// Width and kind of a column: width its fixed width (the record length
// for a separated column and for column 0), kind the place of its
// descriptor's first letter in "UNFfEeIiBbOoZz" (0: text). A column the
// unit does not have: 0 and 0.
void GETELEMENTMAXCHLEN(std::int32_t unit, std::int32_t column, std::int32_t& width,
                        std::int32_t& kind);

// Reads row row of the unit into rowtext and locates column's cell in it
// (column 0: the whole row without trailing blanks). start is 1-based, -1
// for a missing cell. Returns the I/O status, also left in `iostatw`: 24
// for a row outside the data rows, 25 without a row of that number.
std::int32_t CHARCELLAZ(std::int32_t unit, std::int32_t row, std::int32_t column,
                        std::string& rowtext, std::int32_t& start, std::int32_t& length);

// Reads (mode bit 4 clear) or writes (set) the bytes of row row of a
// line-indexed unit at the row's position, at most text's length and the
// row's own length. A row or column the unit does not have does nothing.
void CHARCELLIO(std::int32_t unit, std::int32_t row, std::int32_t column, std::span<char> text,
                std::int32_t mode, std::int32_t& status);

// Row row of a line-indexed unit into text as one record; bytes receives
// its length. A write request (mode bit 4) is refused with
// "msgWritetoSEQ". Status 25 without an index or a row of that number, -1
// for a negative position.
void IOINDEXEDSEQ(std::int32_t unit, std::span<char> text, std::int32_t& bytes, std::int32_t row,
                  std::int32_t& status, std::int32_t mode);

// Rows first..last of a line-indexed unit into buffer without their line
// ends; length receives the bytes used. 0, or -3 first below 1, -2 a row
// the index does not have, -1 a negative row length, -4 more than buffer
// holds; a failed read leaves "rdwrErK" and its status in `iostatw`.
std::int32_t GETBLOCKTXT(std::int32_t first, std::int32_t last, std::span<char> buffer,
                         std::int32_t& length, std::int32_t unit);

// Frees the unit's column table.
void KILLFILEFORMAT(std::int32_t unit);

}  // namespace io
