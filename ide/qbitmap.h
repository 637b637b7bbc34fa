// Scrolling a text window's backing bitmap by whole text rows or columns,
// and the width of a text with tab stops.
#pragma once

#include <cstdint>
#include <string_view>

#include "ide/windowlist.h"
#include "platform/win_gdi.h"

namespace ide {

// Moves the bitmap's contents by rowshift rows (> 0 up: the view moved
// down the text) and colshift columns (> 0 left), from the 0-based first
// row and column on, leaving rowskeep rows at the bottom and colskeep
// columns at the right alone; the band the move uncovers is painted in the
// window's background colour. Cells are those of the record's font slot
// (the main window's when it has none).
void BITMAPACTION(wdwrec& record, std::int32_t rowshift, std::int32_t colshift,
                  std::int32_t firstrow, std::int32_t firstcol, std::int32_t rowskeep,
                  std::int32_t colskeep);

// Width in pixels of the first count characters of text in the device's
// font, tabs going to the next stop (every eight average character widths).
std::int32_t GETTABBEDTEXTWIDTH(win::HDC dc, std::string_view text, std::int32_t count);

}  // namespace ide
