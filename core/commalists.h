// Exact look-up of a word in a comma list: statement keywords and built-in
// names, the tokenizer's operator pairs and dotted words, and the list of
// all symbol names. No abbreviation is allowed (option keywords have their
// own matcher in core/shop.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// Entry number (from 1) of word(1:n), folded to upper case, in the list; 0
// when absent. The list's separator is its last non-blank character and the
// list begins with it. A list that begins with "$,$$," is the list of all
// symbol names in symbol order (as `c1namen` holds them): the result is then
// the symbol index, found under the scope rules of local subroutines and
// their use records, or 0.
std::int32_t FINDSTN(std::string_view list, std::string_view word, std::int32_t n);

}  // namespace core
