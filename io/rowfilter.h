// Row filters of files viewed as tables: the FiLTer text of OPEN is
// parsed into at most eight conditions, every row is tested, and only the
// rows that pass stay: a line-indexed file keeps their positions in its
// index, a direct or binary file lists their numbers in its row list.
//
// A condition is [column:][operators]value. The column (a number and ":")
// picks the cell, otherwise the whole row; operators "&" (and), "~"
// (not), "<" and ">". Conditions are separated by the text's last
// character when that is no name character, else by ",". A value that
// reads as a number is compared with the cell read through its column's
// format, within the tolerance (CompTol); any other value is searched for
// in the cell, or compared with its start ("<", ">").
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace io {

// Operator bits of a condition.
inline constexpr std::uint8_t filter_and = 1;
inline constexpr std::uint8_t filter_not = 2;
inline constexpr std::uint8_t filter_less = 4;
inline constexpr std::uint8_t filter_greater = 8;
inline constexpr std::uint8_t filter_value = 16;

struct FilterCondition {
  std::int32_t column = 0;                // 0: the whole row
  std::int32_t valstart = 1, valend = 0;  // the value within the filter text
  std::uint8_t ops = 0;
  double number = 0.0;
  bool numeric = false;
};

// The tolerance of numeric conditions; OPEN's CompTol replaces it for its
// statement.
inline constexpr double filtertoldefault = 1.0e-13;
inline double filtertolerance = filtertoldefault;

// Parses text into at most maxcond conditions (the count is returned). A
// column outside 0 .. columns is replaced: in the first condition by
// current when that is a column, else 0; later by the column before.
// andflag: some condition has "&".
std::int32_t FILEFILTERANALYZE(std::int32_t columns, std::int32_t current, std::string_view text,
                               std::int32_t maxcond, std::vector<FilterCondition>& conditions,
                               bool& andflag);

// Tests one cell (read as a number through format for a numeric
// condition) and updates the row's result; true when the row is decided.
bool FILTERFINITO(bool& result, const FilterCondition& c, std::string_view value,
                  std::string_view cell, std::string_view format, int options, double tolerance);

// Runs the filter of symbol filter over the rows of unit (header rows
// pass); rows receives the rows kept. An empty filter text takes the
// filter from the unit (filter and the unit's FiLTer become 0).
void FILEFILTER(std::int32_t unit, std::int32_t& rows, std::int32_t& filter, std::int32_t recl,
                std::int32_t options);

// The filter of a unit just made a table: a direct or binary file gets
// its row list (1 .. rows before the filter).
void MAKEFILTERINTERNAL(std::int32_t unit, std::int32_t rows);

}  // namespace io
