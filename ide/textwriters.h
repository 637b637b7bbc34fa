// Text in character cells of the main window or a script window: one line,
// optionally in syntax colours; the line-input field with its caret cell
// and selection; the typing assistant's text; and the alignment keys of
// the toolkit's text output.
//
// A text class k (1 to 17) is the colour pair `colnum`(2k-1) (text) and
// `colnum`(2k) (background). Classes in fixed use: 4 editor rows, 5 the
// input line, 6 selected rows and columns, 9 and 13 the caret cell in
// overwrite and insert state, 14 comments, 15 strings and numbers, 16
// keywords and built-in names, 17 a match of the find text.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/win_gdi.h"

namespace ide {

// The class in force, and `txtcolors` set from a class.
inline std::int32_t txtclass = 4;
void setclass(std::int32_t k);

// Pixel start of the line written last, and the extent of the text written
// or measured last.
inline win::POINT textpos{};
inline win::SIZE lastextent{};

// Writes positions 1 to count of text at text column `column` (>= 0) and
// row `row` of the current window (the main window when none is current,
// which becomes current). A negative column redraws positions -column to
// row of the line written by the previous call. slot: the window's font
// slot (0 makes it 1, written back). mode > 0 clears the row behind the
// text and colours its tokens; otherwise the text is written plainly in
// `txtcolors`.
void WRITETEXT(std::string_view text, std::int32_t count, std::int32_t column, std::int32_t row,
               std::int32_t& slot, std::int32_t mode);
// Draws the coloured segments of positions 1 to count of a line tokenised
// into the token arrays, the line starting at pixel (x, y).
void COLORTOKENS(std::string_view text, std::int32_t count, std::int32_t x, std::int32_t y);

// Colours (text, background) in which the line-input field is drawn
// plainly, whatever the class in force; null: the class's, coloured.
inline const std::array<std::uint32_t, 2>* fieldcolours = nullptr;

// The line-input field: positions first to last of text at window column
// x, row y, coloured (a line whose compiled code the compiler marked as
// rejected is drawn plainly on the palette's grey); remembered for
// PANWR0PART, which draws that part again plainly in the current class and
// positions from to to of it in class `cls`.
void PANWR0(std::string_view text, std::int32_t first, std::int32_t last, std::int32_t x,
            std::int32_t y);
// The text rows of the main window that a line input drew on since the
// editor last took them: rows it left show its drawing until they are drawn
// from the text again.
inline std::vector<std::int32_t> inputrowsdrawn;
void PANWR0PART(std::string_view text, std::int32_t from, std::int32_t to, std::int32_t cls);

// Positions 1 to length of text at column and row (row >= 0), or positions
// column to -row of the text placed last (row < 0), in the current class.
void PANWRT(std::string_view text, std::int32_t column, std::int32_t row);

// The flag word of the toolkit's text output for an alignment key; given
// is 1 when the key fixed the vertical position.
std::int32_t GETALIGNFORMAT(std::string_view text, std::string_view key, std::int32_t& given);

// Whether the compiler marked the compiled code of statement `line` as a
// rejected line (its first code word 0xE0C1 or 1, or the block IF still
// open at the end of a script being typed), and as one it could not take
// at all (first word 1, or that block IF).
bool rejectedline(std::int32_t line);
bool untakenline(std::int32_t line);

void reset_textwriters();

}  // namespace ide
