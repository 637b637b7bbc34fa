// SORT: orders records (the elements of numeric vectors, or the records of
// an open script file, a file viewed as a table by its columns) by up to
// eight keys. It sorts a permutation of the
// record numbers and hands it out as the order itself (Index), the place of
// each record (Rank), group numbers (CLUSter), the key vectors in order
// (Sorted), or a physical rewrite of the file (PhySsort).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "exec/optdispatch.h"

namespace numeric {

// The statement routine, options by position (exec/optdispatch.h). Failures
// leave their key in `msgkey` and stop the run: "SortError7" to
// "SortErrorE", "rdwrErK" for a file operation (place tags "So01" memory,
// "So04" the physical rewrite, "So05" a key read).
void SORT(const exec::OptCall& call);
// The same with the table row count of the table editor's cluster sort
// (table mode); 0 from the statement.
void SORTSTMT(std::int32_t tablerows);

// The line index of a text file unit as SORT reads it: entry k of
// positions (from 1) is the 1-based byte position of line k, the entry
// after the last line the file length + 1; lineend is the code of the line
// end the file uses (10 LF, 13 CR, 3338 CR LF, another byte value, 0 none).
struct SortLines {
  std::span<const std::int32_t> positions;
  std::int32_t lineend = 0;
  std::int32_t lines() const { return static_cast<std::int32_t>(positions.size()) - 1; }
};
// Where SORT finds a unit's line index: true with the index filled when the
// unit has one. The installer points it at the line index of io's text
// files (tests point it at their own); while it is empty, text files are
// not sorted ("notYetBuilt").
inline bool (*sortlineindex)(std::int32_t unit, SortLines& lines) = nullptr;

// The table cells SORT reads and writes, filled by the script windows: the
// text of cell (row, column) of the table of a file (false when it cannot
// be read; the run is then stopped with the message left in `msgkey`), and
// a number into row `row` of column `column` of the current table (false
// when that cell could not take it; nothing and true without a table).
struct SortView;
struct SortCells {
  bool (*celltext)(std::int32_t unit, std::int32_t row, std::int32_t column,
                   std::string& text) = nullptr;
  bool (*putcolumn)(std::int32_t column, std::int32_t row, double value) = nullptr;
  // The table mode: the view of the window's first table (false: no file
  // table to sort), and the text of a cell of a row as the view numbers
  // its rows (a row of the row index).
  bool (*tableview)(SortView& view) = nullptr;
  bool (*tablecell)(std::int32_t unit, std::int32_t row, std::int32_t column,
                    std::string& text) = nullptr;
  // Sets the sign of key slot `key` (from 1) in the sort list of the
  // current window's table, when that list is in force: negative for
  // descending.
  void (*keysign)(std::int32_t key, bool descending) = nullptr;
};
inline SortCells sortcells;

// The table being sorted in table mode: per key slot (from 0; a free slot
// ends the keys) the unit and column of its cells and its signed group
// value (negative: descending); the row index (display position -> row,
// 0 past the rows shown), which the sort rewrites for the rows shown, and
// the cluster number of each row (entry row - 1), which it fills.
struct SortView {
  std::array<std::int32_t, 8> keyunit{}, keycolumn{}, keyvalue{};
  std::vector<std::int32_t>* rows = nullptr;
  std::vector<std::int32_t>* clusters = nullptr;
};

}  // namespace numeric
