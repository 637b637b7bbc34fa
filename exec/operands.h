// Array, string, list and table operands of the postfix evaluator: the
// descriptor setup before the first element pass, the element passes over
// whole arrays and strings, indices, ranges, substrings, segment levels,
// and the index error message. Elements of files viewed as tables are read
// through exec/tablecells.h.
//
// Operand descriptors are entries 1 to 31 of the temporary-string tables
// (exec/tempstrings.h): for a string `tmpbeg`/`tmpend` are the positions of
// its first and last character in `c1namen` and `tmporig` where its text
// starts; for an array `tmporig` is its first element cell in `z`,
// `tmpbeg` its rows and `tmpend` its columns; `tmpsym` is the symbol.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace exec {

// Highest descriptor or temporary number.
inline constexpr std::int32_t maxtemps = 31;

// What each descriptor or temporary describes; repairs after a growth of
// `c1namen` touch only the string kinds.
enum class DescrKind : std::uint8_t { none, string, array, list, table, scalar };
inline std::array<DescrKind, maxtemps + 1> descrkind{};
// A string descriptor narrowed to a written range read backwards, S(6:5):
// its positions are read backwards even when they lie next to each other,
// which for any other string marks the empty text.
inline std::array<bool, maxtemps + 1> descrback{};

// String descriptor or temporary k read in its direction: whether it runs
// backwards, its length and its text.
bool descrbackwards(std::int32_t k);
std::int32_t descrlength(std::int32_t k);
std::string descrtext(std::int32_t k);

// One segment level (1 to 4) opened inside an expression by a function
// that runs over all elements of its argument.
struct SegLevel {
  std::int32_t fn = 0;            // function code the level folds with
  std::int32_t acc = 0;           // accumulator: a cell, or minus a temporary string
  std::int32_t wordpos = 0;       // word list position after the opening marker
  std::int32_t stackpos = 0;      // value stack height at the opening marker
  std::int32_t found = 0;         // MAXLOC, MINLOC: element found
  std::int32_t iresultstart = 0;  // `iresult` after the level opened
  std::int32_t ndescrstart = 0;   // `ndescr` after the level opened
  std::int32_t tmptopstart = 0;   // `tmptop` after the level opened
  bool counted = false;           // the count was taken from an operand
  std::int32_t countedby = 0;     // the array's descriptor that gave it, 0 none
};
inline std::array<SegLevel, 5> seglevels{};

// Error detail words: a row and a column, or a floating-point status.
inline std::array<std::int16_t, 2> detailwords{};

// Builds the index error text in `failedline`: the printable name of the
// indexed operand of descriptor descr, " has no ", what and, unless index
// is 0x7FFFFFFF, what's trailing blanks cut, a blank and the index in
// decimal. The result is the error status code.
std::int32_t IDXERROR_INTERNAL(std::int32_t code, std::int32_t descr, std::string_view what,
                               std::int32_t index);
// The same for the operand symbol sym (the word path's elements).
std::int32_t idxerrorof(std::int32_t code, std::int32_t sym, std::string_view what,
                        std::int32_t index);

// Whether symbol s, named with "(" in an expression, is neither a built-in
// function nor an array: an operand of no elements that was never declared
// (not an array of DIMENSION, no formal, no view, named by no ALIAS or
// ALLOCATE of the program).
bool nosucharray(std::int32_t s);
// The words that tell the user so: "SQRT is neither a built-in function
// nor a declared array". The run error's detail and the editor's help on
// such a name say it alike.
std::string nosucharraytext(std::int32_t s);

// A failure under `key` with detail `detail` that is the index error
// IDXERROR_INTERNAL made for such a name takes the key "noSuchArray" and
// the detail in the user's words (both rewritten; true). Any other failure
// keeps both (false).
bool asnosucharray(std::string& key, std::string& detail);

// Index error texts.
inline constexpr std::string_view idxrow = " row ";
inline constexpr std::string_view idxcolumn = " column ";
inline constexpr std::string_view idxindex = " index ";
inline constexpr std::string_view idxalias = "ALIAS initialization ";
inline constexpr std::int32_t noindex = 0x7FFFFFFF;

// Resets the descriptor kinds, segment levels and error words.
void reset_operands();

}  // namespace exec
