// The USE statement of the lexicon: lets a local subroutine use symbols of
// another through its use record at the top of `xeqbuf`.
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// Handles a USE line whose keyword is token 1. True when good (`lexflags`
// is then 0x40000); false with msgkey set and failtok the failing token.
bool LEXUSE(std::string_view line, std::int32_t& failtok);

// Adds sym to the use record of local subroutine sub (creating the record,
// or moving it to the bottom of the use chain first). False with msgkey
// "useBuffer" when the chain would reach the compiled code.
bool addusedsymbol(std::int32_t sub, std::int32_t sym);

}  // namespace core
