// The one text search of the program: a pattern found in a range of a
// character array, as plain text or as a regular expression of the
// program's own dialect (core/regex.h), with options for case, whole words,
// direction and counting.
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// Option bits of a search (searchopts).
inline constexpr int so_case = 0x1;         // case matters
inline constexpr int so_words = 0x2;        // whole words only
inline constexpr int so_back = 0x4;         // search from 'to' down to 'from'
inline constexpr int so_anyof = 0x8;        // plain: first character that is one of the pattern's
inline constexpr int so_keepblanks = 0x10;  // keep the pattern's trailing blanks
inline constexpr int so_nearest = 0x20;     // plain: report the longest partial match
inline constexpr int so_noneof = 0x40;      // plain: first character that is none of the pattern's
inline constexpr int so_regex = 0x80;       // the pattern is a regular expression
inline constexpr int so_count = 0x100;      // count the matches in the range
inline constexpr int so_sorted = 0x200;     // plain: the text is sorted by words

// Option bits of the current search.
inline std::int32_t searchopts = 0;
// Length of the text matched by the last search (0 when nothing matched).
inline std::int32_t matchlen = 0;

void reset_search();

// Finds pattern in text(from..to) (positions from 1). Unless so_keepblanks
// is set the pattern is cut after its last non-blank (one character at
// least). Returns the match position counted from 'from' (1 = at from), 0
// when none (then notfound = 1, else 0); with so_count the number of
// matches.
int SEARCH(std::string_view text, std::string_view pattern, int from, int to, int options,
           int& notfound);

// length = matchlen, then matchlen = 0: a length is read once.
void MATCHEDLENGTH(int& length);

// The search proper under the options in searchopts, with the pattern as
// given (the whole view is used). Returns the absolute position of the
// match (0 none) and sets matchlen; with so_count, count receives the
// number of matches (the return value is then the first match's position).
int MATCHREGEX(std::string_view text, std::string_view pattern, int from, int to, int& count);

// Whole-word test of a match at pos of length len in a range ending at to:
// a delimiter (or the text's start) before it, a delimiter (or the range's
// end) after it.
bool THISISWORD(std::string_view text, int pos, int len, int to);

// The delimiter set of the whole-word test: every byte from 1 to 255 that
// is no name character (115 characters; "$" and "_" are no delimiters).
bool is_delimiter(char c);

}  // namespace core
