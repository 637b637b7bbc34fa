// Texts in the character store and the symbols that own them: a variable's
// text or name as a fixed-length text, the printable name of any value cell
// for messages, temporary strings, separators and words in `c1namen`, and
// the search of a character array.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/search_plain.h"

namespace core {

// The text is blanked; kind = ISCHAR(symbol). A character-like symbol's
// text is copied (as much as fits, NUL shown as "."); any other symbol's
// name is copied.
void C1NAMENTOSTRI(std::int32_t symbol, std::span<char> text, std::int32_t& kind);
// Printable name of a value cell: a symbol index names the symbol; a larger
// index an element of a numeric array ("A(3)", "M(2,1)") or a character of
// a character variable ("S(4)"). The text is blanked first.
void GETNAME(std::int32_t index, std::span<char> text);
// Copies the text above `c1tmptop` (growing `c1namen` when needed), raises
// `c1tmptop` and makes the symbol a temporary string holding it.
void STRITOTEMPNAME(std::int32_t symbol, std::string_view text);
// Scanning `c1namen` back from position from down to to: the nearest
// character that is no name character, blanks passed over; 0 when none.
std::int32_t SEPIDX(std::int32_t from, std::int32_t to);
// Number of words in c1namen(from..to): a word starts at a character that
// is neither a separator nor blank, at the start or after a separator or
// blank. Option bit 0x80: the characters of "$.?*+^[]|\" are word
// characters even when they are in the separators.
std::int32_t COUNTWORDS(std::int32_t from, std::int32_t to, std::int32_t options,
                        std::string_view separators);
// Searches array(from..to) for pattern(1..m) through the text search with
// the given options. Returns the match position relative to from (1 = at
// from), 0 with status 1 when not found, status 2 when to < from; with
// option 0x100 the number of matches.
std::int32_t C1SEARCH(std::string_view array, std::string_view pattern, std::int32_t m,
                      std::int32_t from, std::int32_t to, std::int32_t options,
                      std::int32_t& status);

// The same search made ready once for a caller that repeats it (a pattern
// that stays as it is): the pattern as C1SEARCH cuts it, its options, and
// the plain scan's pattern where no option asks for more than case. The
// views point into the pattern given.
struct C1Ready {
  std::string_view pattern;
  std::int32_t options = 0;
  bool trimrange = false;  // the range's trailing blanks are left out
  bool plain = false;      // found by the plain forward scan
  PlainPattern scan;
};
C1Ready C1SEARCHREADY(std::string_view pattern, std::int32_t m, std::int32_t options);
std::int32_t C1SEARCH(const C1Ready& ready, std::string_view array, std::int32_t from,
                      std::int32_t to, std::int32_t& status);

}  // namespace core
