// The format language: edit descriptors as READ, WRITE, table cells and
// text files viewed as tables use them, read one descriptor at a time.
//
// A format is read by 1-based positions. Outside quotes blanks are ignored
// («F 1 0 . 3» is «F10.3»); descriptors are separated by "," or "/"; "(" and
// ")" are descriptors of their own. One descriptor is: an optional repeat
// count, then a letter with an optional width ("." and decimals for E, F,
// G, I, O, Z, B; an exponent suffix "E" plus one digit after decimals), or
// "X" (repeat only), a quoted literal, "(" or ")", or "U" followed by a
// picture text up to the next ",".
//
// Letters reported: A E F G I L O Z B U X as written (either case); "f" for
// FB, "i" for IB (binary float and integer); "a" for a literal; "(" and
// ")". "EN" and "ES" report E. After a binary mark (B, or the B of FB/IB)
// or a lower-case "i", a "U" is the unsigned mark: the written letter
// becomes "u".
#pragma once

#include <cstdint>
#include <string_view>

namespace io {

// What one descriptor read reports.
struct FmtDescr {
  std::int32_t repeat = 1;     // at least 1; 2147483647 for "(" without a count
  char letter = ' ';           // the reported letter, blank when none was read
  std::int32_t width = 0;      // 0 when none was written
  std::int32_t decimals = -1;  // -1 without "."; 0 after a bare "."
  // Position of the letter as written: set only for letter descriptors and
  // U (left as it was for X, literals, parentheses and the B of FB/IB).
  std::int32_t textstart = 0;
  // The position before the separator that ended the descriptor (last at
  // the end of the text); 0 when ")" ended it; for U the end of its text.
  std::int32_t textend = 0;
  char written = ' ';  // the letter as written, "B"/"b" for FB/IB, "u" for
                       // the unsigned mark, blank for X, literals, parentheses
};

inline constexpr std::int32_t fmtnorepeat = 2147483647;

// Reads one descriptor of fmt from position pos up to position last (cut to
// the text's length). On return pos is where the next call starts; a
// negative pos is a failure: minus the offending position, minus (last + 1)
// when the text ends inside a descriptor, minus the start when the range is
// empty. The fields of d then hold what was read so far.
void PARSENEXTFORMAT(std::string_view fmt, std::int32_t last, std::int32_t& pos, FmtDescr& d);

// False when the record that fmt describes is wider than the character
// store can ever hold: its widths, counts and X skips add up beyond it, or
// a count or width is too long to be read. Such a format is refused before
// anything is sized by it.
bool FORMATFITSSTORE(std::string_view fmt);

// The next descriptor for routines that measure a format (fmt's first
// fmtlen characters). A format that does not parse there may be one text
// picture: it comes back as letter "?" whose width is the trimmed format
// length; anything else that does not parse comes back as letter "?" with
// the written letter the format's last character, and the position moved
// past that character's next occurrence.
void NEXTFORMAT(std::string_view fmt, std::int32_t fmtlen, std::int32_t& pos, FmtDescr& d);

// The record length that the first fmtlen characters of fmt produce for
// items items (2147483647: the whole format). covered receives the items
// the format served; summary: "2" when a descriptor had no width and a B
// descriptor had one, "?" when only a descriptor had no width (a literal
// counts as one without width), otherwise the letter of the last
// descriptor read.
void GETRECLFROMFMT(std::int32_t& recl, std::string_view fmt, std::int32_t fmtlen,
                    std::int32_t& covered, std::int32_t items, char& summary);

}  // namespace io
