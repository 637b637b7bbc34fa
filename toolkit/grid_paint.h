// The spreadsheet grid's own procedures, given to every DLG_SPREADSHEET
// item by DIALOG_BOX: its text change procedure, which turns the grid
// control into a toolkit window when the dialog starts; the paint
// procedure, which draws the title row, the row labels, the grid lines and
// every visible cell from the columns' data; and the scroll procedure,
// which turns scroll-bar requests into the first visible row or column.
#pragma once

#include <string>

#include "toolkit/dialog_item.h"
#include "toolkit/draw_target.h"

namespace toolkit {

// Title row and row labels.
inline constexpr win::COLORREF kGridTitleColour = 0xA4A0A0;

// Event code 0x400: the grid window gets its record, paint and scroll
// procedures, scroll ranges and mouse procedure; 0x2000: a cell edit ends
// without storing; -1: a pending mouse capture ends. Returns -1.
int SPREADSHEET_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number);
void GRID_PAINT_PROC(draw_target_t& target);
// The new first visible row (codes 0 to 7) or column (0x100 to 0x107),
// 1-based, or -1 for no change.
int GRID_SCROLL_PROC(win::HWND& grid, int& code, int& position, int& thumb);

// The text of a cell (at most 64 characters, without surrounding blanks):
// the element written with the column's format (fallbacks "(i10)",
// "(g12.5)", "(g17.10)"), a text element as it is, or, for a value kind
// with bit 0x80, what the column's text procedure leaves in the text at
// event code 0x400. False for a column of logicals, which cannot be shown.
bool GRID_CELL_TEXT(win::HWND grid, dialog_t* items, int position, int row, std::string& text);

}  // namespace toolkit
