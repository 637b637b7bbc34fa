// Character-array utilities: moving text between blank-padded texts and
// character arrays, comparing and searching arrays, case folding, finding
// words, numbers and separators, and the floating-point status.
//
// Conventions of these routines:
// - An input array or text is a std::string_view holding exactly the
//   elements to use (c1view() makes one from a pointer and a count that may
//   be 0 or negative). An output text or array is a std::span<char> whose
//   size is its length.
// - Positions are counted from 1; 0 means "none".
// - Blank is the character 32. Case folding is the Windows-1252 mapping of
//   platform/charcase.h.
// - Nothing here allocates.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "platform/fpu.h"

namespace core {

// ---------------------------------------------------------------------------
// Character sets

// Name characters, 140 in this order.
inline constexpr std::string_view namechars =
    "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$"
    "\x83\x8A\x8C\x8E\x9A\x9C\x9E\x9F\xAA\xB2\xB3\xB5\xB9\xBA"
    "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
    "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF"
    "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
    "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";
static_assert(namechars.size() == 140);

// Bits of the character class table.
inline constexpr unsigned char cc_name = 0x1;       // a name character
inline constexpr unsigned char cc_separator = 0x2;  // bytes 1-255 that are not name characters
inline constexpr unsigned char cc_numeric = 0x4;    // "1234567890-E", the characters of a number

namespace chars_detail {
constexpr std::array<unsigned char, 256> make_charclass() {
  std::array<unsigned char, 256> t{};
  for (char c : namechars) t[static_cast<unsigned char>(c)] |= cc_name;
  for (int c = 1; c < 256; ++c)
    if ((t[c] & cc_name) == 0) t[c] |= cc_separator;
  for (char c : std::string_view("1234567890-E")) t[static_cast<unsigned char>(c)] |= cc_numeric;
  return t;
}
}  // namespace chars_detail

// Class bits of every byte value. Byte 0 is neither a name character nor a
// separator.
inline constexpr std::array<unsigned char, 256> charclass = chars_detail::make_charclass();

inline bool is_namechar(char c) {
  return (charclass[static_cast<unsigned char>(c)] & cc_name) != 0;
}
inline bool is_separator(char c) {
  return (charclass[static_cast<unsigned char>(c)] & cc_separator) != 0;
}

// The first n elements from p as an input array; empty when n < 1.
inline std::string_view c1view(const char* p, int n) {
  return n > 0 ? std::string_view(p, static_cast<std::size_t>(n)) : std::string_view();
}
// The first n elements from p as an output array; empty when n < 1.
inline std::span<char> c1slice(char* p, int n) {
  return n > 0 ? std::span<char>(p, static_cast<std::size_t>(n)) : std::span<char>();
}

// ---------------------------------------------------------------------------
// Copying between texts and character arrays (chars_copy.cpp)

// array = text, blank padded or cut. The text may lie inside the array.
void STRITOC1(std::string_view text, std::span<char> array);
// STRITOC1, then the array upper-cased unless bit 0x1 of flag is set.
void STRITOC1UPCASE(std::string_view text, std::span<char> array, int flag);
// The first min(n, length of text) elements into the text; the rest blank.
void C1TOSTRI(std::string_view array, std::span<char> text);
// b = a, blank padded or cut. a may overlap b.
void C1TOC1(std::string_view a, std::span<char> b);
// b(i) = a(i) lower-cased for i up to min(n, m); b beyond that unchanged.
void C1TOC1LOWERCASE(std::string_view a, std::span<char> b);
// out = in up to its first NUL (all of it without one), blank padded or cut.
void STRIPNULLS_MAKEEND(std::span<char> out, std::string_view in);
// Every element blank.
void BLANKC1STRING(std::span<char> array);
// Every a among the first n characters of the text becomes b.
void ALLCHARATOCHARB(std::span<char> text, int n, char a, char b);

// ---------------------------------------------------------------------------
// Search and comparison (chars_search.cpp)

// Position of b in a, the last occurrence when back; 0 when absent. An empty
// b is found at 1 (at the length + 1 when back).
int C1INDEX(std::string_view a, std::string_view b, bool back = false);
// Position of the first (last when back) element of a that is in the set.
int C1SCANFNC(std::string_view a, std::string_view set, bool back = false);
// Position of the first (last when back) element of a that is not in the set.
int C1VERIFY(std::string_view a, std::string_view set, bool back = false);
// Position of the last non-blank element, 0 when all are blank.
int C1LEN_TRIM(std::string_view a);
// Position of the last non-blank among the first n characters, 0 when all
// are blank; n itself when n < 1. n beyond the text counts as its length.
int C1LENTRIM(std::string_view text, int n);
// Position of the first non-blank element, 0 when all are blank.
int C1NOBLA1(std::string_view a);
// Position of the first non-blank character; the length when all blank.
int NOBLA1(std::string_view text);
// Position of the first character from first to last that is neither a name
// character nor ".", "+" or "-"; 0 when none. The range is kept inside the
// text.
int NOALFANUM1(std::string_view text, int last, int first);
// -1, 0 or +1 as a sorts before, equal to or after b, bytes compared as
// unsigned, the shorter one as if blank padded.
int C1_LT_EQ_GT(std::string_view a, std::string_view b);
// As C1_LT_EQ_GT on the lower-cased texts, unless bit 0x1 of flag is set.
int C1CASE_LT_EQ_GT(int flag, std::string_view a, std::string_view b);
// a <= b and a < b in the collating order of C1_LT_EQ_GT.
bool C1LLE(std::string_view a, std::string_view b);
bool C1LLT(std::string_view a, std::string_view b);
// The integer in the first w characters of the array, w being the value of
// the digit "1" to "9", read as an integer field: blanks ignored, an optional
// sign, then decimal digits; an all-blank field is 0. The default when the
// digit is not one of "123456789", w exceeds the array, or the field does not
// read as a 32-bit integer.
int C1READI4(std::string_view array, char digit, int deflt);

// ---------------------------------------------------------------------------
// Words, numbers and case (chars_words.cpp, chars_case.cpp)

// Value of the first run of decimal digits within the trimmed text; first
// and last receive the run's positions (0 when there is none). A "-" right
// before the run makes the value negative and is included in first. A run
// too long for 32 bits gives the largest value of that sign.
int INTGET(std::string_view text, int& first, int& last);
// True when prefix + value written in decimal without blanks + suffix occurs
// in text; first = where it begins, last = first + the written length of the
// value - 1. Both 0 when absent.
bool INTEGERINSTRING(std::string_view prefix, int value, std::string_view text, int& first,
                     int& last, std::string_view suffix);
// Number of numbers from position from to position to: a number is a run of
// "1234567890-E" that starts at from or after a separator; the scan stops at
// the first character that is neither. end = the last position examined
// (the stopping character's when it stopped).
int INTSCOUNT(std::string_view text, int to, int from, int& end);
// The words around a position, words being runs of characters that are not
// separators, scanned from the text's start up to its last non-blank:
// start = start of the last word beginning at or before position (0 when
// none), previous = start of the word before it (0 when none), end = last
// character of that word (0 when none), next = start of the first word
// beginning after position, or the last non-blank position + 1.
void NXTWORDAT(std::string_view text, int position, int& previous, int& start, int& end, int& next);
// Code (0-255) of c, lower-cased when flag > 0.
int GETLOWERICHAR(char c, int flag);
// The first n characters (the whole text without n) folded in place.
void LOCASE(std::span<char> text, int n);
void UPCASE(std::span<char> text, int n);
void LOCASE(std::span<char> text);
void UPCASE(std::span<char> text);

// ---------------------------------------------------------------------------
// Floating-point status (chars_fpu.cpp)

// Zero-divide (4) and overflow (8) raised since the last call, then all
// exception flags cleared. The first call also masks all exceptions and sets
// rounding to nearest. The argument is not used.
inline int FPUERROR(int /*mode*/ = -1) {
  // Exceptions masked and rounding to nearest, once per thread: the status
  // is per thread too.
  thread_local bool masked = false;
  if (!masked) {
    plat::fpu_mask_all();
    masked = true;
  }
  return plat::fpu_take_status();
}
// result = FPUERROR().
void FPUERRORSUB(int& result);

}  // namespace core
