// The view of a table: the row index through which its rows are shown
// sorted or filtered, up to eight sort keys with their group values, and
// the per-row cluster numbers, all kept in the window's first table (the
// head of the window's table list) whatever table is current. Header
// clicks sort by one column, the cluster bars add, re-weight or remove
// keys, "&+Dn" and "&-Up" step between clusters, filters keep the rows that
// pass condition texts or whose text changes, and searches find texts or
// numbers (the closest number too); the executor's search of a file
// variable shown as a table comes here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/tables.h"

namespace ui {

// The most sort keys a table holds.
inline constexpr std::int32_t mxmaxkeys = 8;
// A cell that is not a number, in every value these routines hand back.
inline constexpr double mxnonumber = 1.7976931348623157E308;
// Search option bits (the rest pass on to the text search unchanged).
namespace mxopt {
inline constexpr std::int32_t backward = 0x4;
inline constexpr std::int32_t closest = 0x20;
}  // namespace mxopt
// The start row handed to a search by the More menu and the column that
// conditions without a column number refer to.
inline std::int32_t mxsearchrow = 0;
inline std::int32_t mxsearchcol = 0;
// The whole line found by the last hit of a search over column 0.
inline std::string mxfoundtext;

// The window's first table (the head of the current window's list; the
// current table's window when there is one); null when none.
mxrec* mxfirst();

// Makes the current table the window's first when none is current; gives
// the first table a row index (entry i = i) when it has none.
void ALLOCATEMXSORTINDEX();
// Gives the first table, each only when missing, n key columns, n key
// values and a cluster number per row shown, all zero.
void ALLOCATEMXCLUSTERINFO(std::int32_t n);
// Frees the row index, the key lists and the cluster numbers of the table
// (the stored order is shown again).
void FREEMXSORTINDEX(mxrec& first);

// After rows of the table were inserted, deleted or appended: the row
// index anew over every row, sorted again by the keys the table has (the
// keys stay as they are; a filter is dropped). With `show` the row (a row
// of the table) becomes the display position that shows it.
void MXVIEWAFTEREDIT(std::int32_t& row, bool show);

// A header click on display column `column`: ascending, descending, then
// the column's key removed. The options are accepted and not used.
void SORTMXCOLUMN(std::int32_t column, std::int32_t options);
// Adds, re-weights (value's magnitude, the direction kept) or removes
// (value 0) the key and sorts the first table's `rows` rows again; key 0
// stands for the column of the current cluster bar; slots is 8.
void MXCLUSTERSORT(std::int32_t key, std::int32_t value, std::int32_t slots, std::int32_t rows);
// Moves the first table's view to the next ("&+Dn", the item at the last
// cell + 3) or previous cluster; item: the pressed button's position in
// the window's items.
void MXCLUSTERUPDOWN(std::int32_t item);

// Keeps the shown rows that pass the condition text (length characters of
// text); rows: the rows shown, lowered to the count that passed, which is
// returned (0 and nothing changed when the text is refused: its key is in
// `msgkey`).
std::int32_t MATRIXFILTER(std::int32_t unit, std::string_view text, std::int32_t length,
                          std::int32_t& rows, std::int32_t options, double tolerance);
// Searches the table of the file variable filesym for the conditions of
// text: row in is the start (the search begins after it, or before it
// backwards), out the row found; value: the number read in the last
// numeric test (`mxnonumber` for a text column). True when found (with
// option `mxopt::closest`, also when a closest numeric row was met).
bool MATRIXSEARCH(std::int32_t filesym, std::int32_t maxconditions, std::string_view text,
                  std::int32_t length, std::int32_t options, std::int32_t mode, std::int32_t& row,
                  double& value, double tolerance);
// The position of pattern in the text of cell (row, column) read in cell
// mode `mode` (at most celllen characters), 0 when not there; a hit over
// column 0 keeps the whole line in `mxfoundtext`. status 1: the cell could
// not be read.
std::int32_t SEARCHMXCELLTEXT(std::int32_t unit, std::int32_t row, std::int32_t column,
                              std::int32_t celllen, std::int32_t mode, std::string_view pattern,
                              std::int32_t options, std::int32_t& status);
// The search text as a number, read as the cells of display column
// `column` are.
void FMTREADSEARCHTEXT(std::string_view text, std::int32_t length, std::int32_t column,
                       double& value);
// Moves row to the next (backwards: previous) row whose text in the search
// column differs from the start row's, with wrap-around; value: that cell
// as a number, or `mxnonumber`.
void MATRIXDELTASEARCH(std::int32_t filesym, std::int32_t options, std::int32_t& row,
                       double& value);
// Mode 't': keeps the rows where the text of `column` changes (row becomes
// 1); any other mode: one change search step from row.
void MATRIXDELTAFILTER(std::int32_t& row, std::int32_t column, char mode, std::int32_t options);

// Puts SORT's table mode and the executor's table search into their hooks.
void install_tablesort();
void install_tablesearch();

}  // namespace ui
