// Single values between numbers and texts through a user format: a table
// cell's text into a script variable and back, a number into a text and
// back. The format engine (io/rwindx.h) runs on exactly one item; where
// the format does not apply, the plain number reader and writer step in.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace io {

// How the last cell was read into a number: 0 not read, 1 cleared because
// a message was pending, 2 by the plain number reader, 3 through the
// format.
inline std::int32_t cellreadmode = 0;

// The first letters that make a cell a number when read.
inline constexpr std::string_view numberletters = "UNFfEeIiBbOoZz";

// Text to number. When the format does not read it, the plain reader
// does; when that fails too, a format that does not parse gives 0.0, any
// other leaves value as it was and the message key "mx2element" pending.
// True when a number was read.
bool REALFROMSTRINGFMTD(std::string_view text, double& value, std::string_view format);

// Number to text (blanked first): the format engine's status; a format
// that does not parse ("a") writes the number in the plain form instead.
void REALTOSTRINGFMTD(std::span<char> text, double value, std::string_view format, char& status);

// A cell's text (of table column column, 0 for the whole line) into the
// target: a character variable or string temporary receives the text, a
// number follows the format's first letter (a number letter with a
// descriptor reads through the format, else the plain reader reads it; a
// one-letter "A" format, or column 0, leaves it unchanged). A message key
// pending on entry clears the target and is consumed.
void REALORSTRINGFROMSTRINGFMTD(std::string_view cell, std::int32_t column, std::int32_t target,
                                std::string_view format);

// The two halves of it: the cell as a number (false when it gives none:
// value then stays), and as text into chars.
bool CELLNUMBER(std::string_view cell, std::int32_t column, std::string_view format, double& value);
void CELLTEXT(std::string_view cell, std::int32_t column, std::string_view format,
              std::span<char> chars);

// The target (or value, when target is not positive) as cell text: "N"
// the plain form, "U F f I i E e" through the format, anything else (and
// a character target) the text of a character target, else deflt. used:
// the text's length without trailing blanks, at least 1.
void REALORSTRINGTOSTRINGFMTD(std::span<char> text, std::int32_t& used, std::int32_t target,
                              double value, std::string_view deflt, std::string_view format,
                              char& status);

}  // namespace io
