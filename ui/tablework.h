// Helpers shared by the table files: the text of a character symbol, the
// cells of a delimited text, rounding, and putting an item's new state onto
// its control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exec/windowlist.h"
#include "platform/win_window.h"
#include "toolkit/dialog_item.h"
#include "ui/tables.h"

namespace ui::tw {

std::int32_t rounded(double v);

// The text of a character symbol (a variable, a literal or a string
// temporary) and the position of its first character in `c1namen`; false
// when the symbol is no text.
bool symboltext(std::int32_t sym, std::string& text, std::int32_t& first);
bool symboltext(std::int32_t sym, std::string& text);

// A text of cells split by separators. The separators are the characters
// (at most three kinds, the one met last first) that are no name characters
// and stand before the text's last non-blank character; the rows end at
// line ends and at the first kind. With one kind the cells run `columns` to
// a row; with more, each row is one piece and its cells are split by the
// other kinds. Runs of separators count as one.
struct Piece {
  std::int32_t start = 0;  // 0-based in the text
  std::int32_t length = 0;
};
struct Delimited {
  std::string kinds;          // the separator kinds, the one met last first
  std::vector<Piece> pieces;  // the row pieces (one kind: the cells)
  bool onekind() const { return kinds.size() <= 1; }
};
Delimited splitdelimited(std::string_view text);
// The rows of a delimited text of `columns` columns (0: it has no separator).
std::int32_t delimitedrows(const Delimited& d, std::int32_t columns);
// Cell (row, col) of a delimited text: false when the text has none.
bool delimitedcell(std::string_view text, const Delimited& d, std::int32_t columns,
                   std::int32_t row, std::int32_t col, Piece& cell);

// What a redraw changes in an item: the request (show, hide), its text
// (as title and text), its values, its change procedure and text colour;
// put onto the control when the dialog is on screen.
struct ItemChange {
  std::int32_t request = 0;
  const std::string* text = nullptr;
  const std::int32_t* ivalue = nullptr;
  const double* value = nullptr;
  toolkit::change_procedure proc = nullptr;
  const win::COLORREF* colour = nullptr;
  const std::int32_t* imax = nullptr;
};
void updateitem(toolkit::dialog_t& item, win::HWND window, const ItemChange& change);

// The control record of item `item` of the window (null when none).
exec::ctlrec* controlof(exec::wdwrec& w, std::int32_t item);

// Symbol types.
inline constexpr std::int32_t typefile = 0x100;
inline constexpr std::int32_t typearray = 0x10;
inline constexpr std::int32_t typechar = 0x40;
inline constexpr std::int32_t typeconst = 0x1;
inline constexpr std::int32_t typetemp = 0x8;

}  // namespace ui::tw
