// Picture formats: a piece of text that shows what a field looks like.
//
// A number picture is an example number («1234.56», «1.5E+03») whose shape
// gives the width, the decimals and the form; a text picture is a stretch
// between two delimiter characters holding one of the alignment letters L,
// C or R («|Name L    |» is a left-aligned text field 10 wide). Pictures
// are turned into edit descriptors written into `fmtwork`: "(A" w ")",
// "(I" w ")", "(F" w "." d ")", "(ES" w "." d "E" x ")", every number right
// aligned in 3 characters (the decimals of F in 2), "*" when it does not fit.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace io {

// The delimiter code that lets the routine choose the delimiter itself.
inline constexpr char autodelimiter = 1;

// Results of PICTUREFORMAT.
inline constexpr int picnone = -1;
inline constexpr int picleft = 1;
inline constexpr int piccentre = 2;
inline constexpr int picright = 3;
inline constexpr int picliteral = 4;
inline constexpr int picnumber = 5;

// Reads the picture of text from position pos (up to last, trailing blanks
// not counted). mode < 0 reads a number picture, mode >= 0 a text picture.
// delimiter: autodelimiter lets the routine choose it and hands the choice
// back. letter receives "A", "a", "I", "F" or "E"; next the position after
// the picture (a text picture: its closing delimiter).
int PICTUREFORMAT(std::string_view text, std::int32_t last, std::int32_t pos, char& letter,
                  std::int32_t& width, std::int32_t& decimals, std::int32_t& next, char& delimiter,
                  std::int32_t mode);

// The text picture at pos as an edit descriptor («A 10» for «(A 10)») in
// descriptor (blank padded; left blank when the picture has no alignment
// and `fmtwork` was blanked beforehand). pos moves on; count counts the
// pictures found.
void PICTURETOFMT(std::string_view text, std::int32_t last, std::int32_t& pos,
                  std::span<char> descriptor, std::int32_t& count);

// Cuts the next field out of text by the separator picture in `fmtwork`
// (its characters are the separators in turn; its last one repeats) and
// puts it into target, blank padded. fieldstart receives the field's first
// position (0 for an empty field), textpos and picpos move on, status
// becomes "A". A field in double quotes keeps the separators inside it and
// loses its quotes; CR and LF characters are dropped from the field.
void PICTUREREAD(std::string_view text, std::span<char> target, std::int32_t& fieldstart,
                 std::int32_t& fieldend, std::int32_t& textpos, std::int32_t& picpos, char& status);

}  // namespace io
