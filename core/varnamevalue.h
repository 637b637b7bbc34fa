// A script variable as one line of text "name=value;", for the places where
// the user reads and edits values (name-edit items of dialogs, READ and
// WRITE of name=value texts, the EDIT command). A STRUCT record variable is
// shown field by field and page by page: "rec.a=1;rec.s=abc;rec.a.2=7;".
#pragma once

#include <cstdint>
#include <span>

namespace core {

// Writes the line of the symbol into the first limit characters of the
// text (a negative limit counts as 0, a limit beyond the text as its
// length); length = the line's length without trailing blanks. NUL
// characters in the line are shown as ".".
void NAMEEQUALSVALUE(const std::int32_t& symbol, std::span<char> text, const std::int32_t& limit,
                     std::int32_t& length);

}  // namespace core
