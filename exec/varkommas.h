// Built-in functions with a variable number of arguments inside
// expressions: INDEX, RAN, LOG, CHAR, INIT and the table-column search.
// The evaluator meets them as words whose top three bits are set; the
// function is word AND 0xE7C0 and the low five bits count the commas of
// the call.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace exec {

// The function of a variable-argument word (word AND 0xE7C0).
namespace vkfn {
inline constexpr std::uint32_t index = 0xE080;
inline constexpr std::uint32_t tablesearch = 0xE0C0;
inline constexpr std::uint32_t ran = 0xE100;
inline constexpr std::uint32_t log = 0xE140;
inline constexpr std::uint32_t chr = 0xE180;
inline constexpr std::uint32_t init = 0xE1C0;
}  // namespace vkfn

// The word of the table-column search with two commas.
inline constexpr std::int16_t mxsearchword = static_cast<std::int16_t>(0xE0C2);
// An operand above this marks a table-file argument (unit, first row,
// column and the marker, from the bottom).
inline constexpr std::int32_t tablemarker = 2147483547;

// Error numbers returned as their negatives.
namespace vkerr {
inline constexpr std::int32_t notable = 3401;      // not an open table file
inline constexpr std::int32_t nocolumn = 3402;     // column outside the column table
inline constexpr std::int32_t piece = 3405;        // CHAR piece number outside 1 to n
inline constexpr std::int32_t piececount = 3406;   // CHAR piece count below 1
inline constexpr std::int32_t chartext = 3407;     // CHAR text argument no string
inline constexpr std::int32_t charcommas = 3408;   // CHAR with 1, 3 or more than 4 commas
inline constexpr std::int32_t indexcommas = 3409;  // INDEX with a comma count outside 1 to 3
inline constexpr std::int32_t logcommas = 3410;    // LOG with more than one comma
inline constexpr std::int32_t rancommas = 3411;    // RAN with more than two commas
inline constexpr std::int32_t charcode = 3412;     // CHAR of a code outside 0 to 255
inline constexpr std::int32_t noroom = 2002;       // no room for a temporary string
}  // namespace vkerr

// Evaluates the call of word over the top entries of stack(1..top) (the
// last argument on top; positive entries are value cells, negative ones
// temporary strings). Removes the arguments (top decreases by the comma
// count plus one, by three more for a table-file argument): the evaluator
// pushes the result operand in their place. Returns 0
// for a number stored in z(nextcell), k > 0 for the temporary string k, or
// minus an error number (the result cell is then unchanged).
std::int32_t VARKOMMASCALL(std::int32_t nextcell, std::span<std::int32_t> stack, std::int32_t& top,
                           std::int16_t word);

// The message key of error e of these functions (vkerr), empty for none.
std::string_view vkerrkey(std::int32_t e);

// CHAR(k, n, text) and CHAR(i, j, rows, columns, text) over a text of
// `length` characters, the two or four numbers given: where the piece
// they name begins (from 0) and its length; 0, or minus the error (vkerr).
std::int32_t CHARPIECE(std::span<const double> numbers, std::int64_t length, std::int64_t& from,
                       std::int64_t& count);

// INDEX(where, what [, options [, out]]) of its two to four operands: the
// position of a text in a text, of a number in a numeric array, or the
// count with option 256, in `out`; a text read as a number or a number
// written as a text where the other is so; the length found (the count of
// elements compared) written to an out variable. The texts are read by
// `text`; `descriptors` when the operands are the evaluator's (negative:
// its temporary strings), whose descriptors name the statement's arrays.
struct IndexReader {
  bool (*text)(std::int32_t e, std::string_view& out, std::string& scratch);
  bool descriptors;
};
void INDEXOF(std::span<const std::int32_t> args, const IndexReader& reader, double& out);

// Searches a column of a table file from a row: the row found, -1 when
// the search failed.
std::int32_t MXSEARCHFMTD(std::int32_t table, std::int32_t firstrow, std::int32_t column,
                          std::string_view text, std::int32_t options);

// The variable behind an evaluation operand: the origin of a temporary,
// the element cell behind a copied array element, otherwise op itself.
std::int32_t ORIGOP(std::int32_t op);

// The text bounds of temporary string j; false when j is none.
bool tempbounds(std::int32_t j, std::int32_t& first, std::int32_t& last);

// Installs VARKOMMASCALL in the evaluator's hook and the temporary-string
// services that INIT reads. Safe to call more than once.
void install_varkommas();

}  // namespace exec
