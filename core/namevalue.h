// Name=value texts: small readers that find a named item in a text of
// pairs (a name, "=" and a value), and PARSE, the routine of the built-in
// function INIT, which assigns script variables from such a text.
//
// Two forms of name are used. Option texts ("MIn=1,MAx=5") name keywords of
// a keyword list, matched by the abbreviation rule of ITEMNRINSHOP; pair
// texts (the command line, a script's memory header, print options, table
// formats, index files, INIT) name items exactly, letter case included.
//
// Pair text: an item is a name followed by "=" and a value, or by a
// delimiter alone (an item without value). A value may be quoted with a
// double or a single quote; an unquoted value ends at the first delimiter
// or line break. An "&" directly before a carriage return continues the
// value on the next line. None of these routines shows a message.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/indexed.h"

namespace core {

// Reads from text(1:n) the integer written for the keyword `name` (matched
// in the keyword list `shop` by the abbreviation rule; `name` must select
// an entry of it). result receives deflt first and keeps it when the
// keyword, or a 32-bit integer right after its "=", is absent; a decimal
// point ends the number (7.9 gives 7). types is passed along and not used.
// The token arrays and every run word the tokenizer touches are left as
// they were.
void NAMEVALUEINSHOP(std::string_view text, std::int32_t n, std::string_view name,
                     std::string_view shop, std::string_view types, std::int32_t& result,
                     std::int32_t deflt);

// Position in text(1:n) where the first item whose name is an entry of
// list begins, 0 when none. list holds entries separated by commas without
// the framing commas. An item written with "=" sets valstart to the position
// after the "=" and valend to the next comma after it (n when none follows);
// an item followed by a comma or ending the text sets valstart to 0.
std::int32_t ITEMSTARTINSTRING(std::string_view list, std::string_view text, std::int32_t n,
                               std::int32_t& valstart, std::int32_t& valend);

// Looks in text(1:n) for item (exactly) standing at the start, after a
// line break, a delimiter, "=" or a blank, and followed by "=", a delimiter
// or the end of the text. Returns 0 when none qualifies; else the item's
// position p, or -p when its value is no number. valstart and valend bound
// the value (valstart beyond n when only blanks follow; valend minus the
// item's length when a delimiter rather than "=" follows the item). value
// is the value read as a number, evaluated left to right over "+", "-",
// "*" and "/" written without blanks (a division by 0 is skipped); 0 when
// there is none.
std::int32_t ITEMVALUEINSTRING(std::string_view item, std::string_view delimiters,
                               std::string_view text, std::int32_t n, std::int32_t& valstart,
                               std::int32_t& valend, double& value);

// The built-in INIT: operands(top - k) is the text, operands(top - k + 1) to
// operands(top) the variables. Each variable whose printable name (in
// capitals) is an item of the text takes the item's value by its kind: a
// character variable its characters (blank padded or cut; "!!" starts a
// comment), a numeric scalar or array cell the number, a numeric array the
// list of numbers from the value on. top is lowered by k and z(iresult)
// receives the number of variables found.
void PARSE(std::int32_t k, const plat::Store1<std::int32_t>& operands, std::int32_t& top);

// Services of the executor that PARSE reads; absent until the executor
// sets them. The text bounds in `c1namen` of temporary string j (an operand
// -j); false when there is none.
inline bool (*tempstringbounds)(std::int32_t j, std::int32_t& first, std::int32_t& last) = nullptr;
// The variable behind an operand (a temporary's origin, or the symbol whose
// cell an operand above the symbol capacity is); absent: the operand itself.
inline std::int32_t (*origop)(std::int32_t op) = nullptr;

}  // namespace core
