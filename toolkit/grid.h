// The spreadsheet grid of toolkit dialogs: a DLG_SPREADSHEET item is a
// window of the class "FE_SPREADSHEET" that shows rows of the caller's
// arrays, one column per component item directly after the grid item.
// The cells are edited with the components' own controls (edit boxes,
// combo boxes, check boxes, with their spinners), which the grid moves over
// the current cell, loads from the column's data and writes back.
//
// Fields of the grid item with a grid meaning: current row (`text_length`,
// 1-based; -1 while the title row is selected), current column
// (`list_stride`, the 1-based component; -1 while a whole row is selected),
// column count (`integer_value`), row count (`bound_count`), title-row
// height (`integer_max`), row-number-column width (`integer_increment`),
// row height (`integer_min`; 0 or less: the first component's height), all
// in dialog units, and the editing flag (style option 0x4000). A component
// keeps the row its editor was opened on in `spare`.
//
// The grid's window record (flag 0x40) holds the dialog array, the grid
// item's 0-based place (in `dialog_items`) and the first visible row and
// column as scroll offsets (`scroll.first_line`, `scroll.first_column`).
#pragma once

#include <cstdint>

#include "platform/win_message.h"
#include "toolkit/dialog_item.h"
#include "toolkit/records.h"

namespace toolkit {

inline constexpr const char* kSpreadsheetClass = "FE_SPREADSHEET";
// A component option: the column stays in view when the grid scrolls
// sideways.
inline constexpr std::uint32_t kOptionKeepVisible = 0x00200000;
// A column of 4-byte logical values (edited as integers, not painted).
inline constexpr int kBoundLogical = -4;
// The grid's key events for its value procedure.
inline constexpr int kEventInsert = 0x100000;
inline constexpr int kEventInsertShift = 0x200000;
inline constexpr int kEventDelete = 0x40000;
inline constexpr int kEventDeleteShift = 0x80000;

// Directions of a move.
inline constexpr int kMoveRight = 1;
inline constexpr int kMoveDown = 2;
inline constexpr int kMoveLeft = 3;
inline constexpr int kMoveUp = 4;

// Registers the class on the first call; 1, or 0 with "Unable to register
// spreadsheet class".
int REGISTER_SPREADSHEET_CLASS(int* ups);
win::LRESULT SPREADSHEET_WINDOW_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                     win::LPARAM lparam);

// Moves the current cell of a running grid (`grid_number` is the grid
// item's 1-based place).
void FE_SPREADSHEET_MOVE(win::HWND& grid, int direction, int count, dialog_t* items,
                         int grid_number, int* ups);

// A column's data: the address of its first element and the stride to the
// second.
void SET_COLUMN_DATA(dialog_t& item, void* first, const void* second);
void SET_COLUMN_TEXT_DATA(dialog_t& item, char* first, int first_length, const char* second,
                          int second_length);
// The address of a column's element in a 1-based row, null outside.
char* COLUMN_ELEMENT(const dialog_t& column, int row);
// One element of a column, by 1-based row (a row outside the column reads
// 0 or blanks); a text is cut to 256 characters and blank-padded.
void GET_COLUMN_INTEGER(const dialog_t& item, const int& row, std::int32_t& result);
void GET_COLUMN_REAL8(const dialog_t& item, const int& row, double& result);
void GET_COLUMN_TEXT(const dialog_t& item, const int& row, char* buffer, int buffer_length);

// A copy of a running grid's item (column 0) or of one of its components,
// and the copy put back; "Spreadsheet dialog not available" when the
// window is no grid or the column is not there.
void GET_SPREADSHEET_COLUMN_ITEM(win::HWND& grid, dialog_t& item, int column, int* ups);
void SET_SPREADSHEET_COLUMN_ITEM(win::HWND& grid, const dialog_t& item, int column, int* ups);

// After the application changed a grid's components: ends a cell edit
// without storing, takes the current row and column when given, counts the
// components again and puts the grid onto its control (with the state
// word) or renews its scroll ranges, then shows the current cell.
void UPDATE_SPREADSHEET(win::HWND& dialog, dialog_t* items, int grid_number,
                        const std::int32_t* state, const int* row, const int* column, int* ups);

// Places the components (x: pixels in the grid, negative for a column
// scrolled out; y: the current row's); the last column that fits the
// grid's width.
int LAYOUT_SPREADSHEET_COLUMNS(window_record_t& record);
// The current cell moves (direction 1 right, 2 down, 3 left, 4 up) and is
// scrolled into view; an open editor closes with storing and opens again
// on the new cell.
void SPREADSHEET_MOVE_CELL(window_record_t& record, int direction, int count, dialog_t* items,
                           int grid_position, win::HWND dialog);
void BEGIN_CELL_EDIT(window_record_t& record, dialog_t* items, int grid_position, win::HWND dialog);
// Closes the cell editor; with `store`, the committed value goes into the
// column's data.
void END_CELL_EDIT(window_record_t& record, int store);
void STORE_CELL_VALUE(dialog_t* items, int position);
// The focus leaves the grid for the next (previous) tab item of the dialog,
// the editor closed with storing.
void SPREADSHEET_TAB_OUT(window_record_t& record, int backwards);
// The grid item's value procedure with event code 0x800 (the given code).
void NOTIFY_CELL_VALUE(win::HWND grid, dialog_t* items, int grid_position);
void SPREADSHEET_KEY_EVENT(win::HWND grid, int code);
// After the grid scrolled: an open editor follows its cell or hides.
void SPREADSHEET_SCROLLED(win::HWND grid);
// The grid's mouse callback (a click or a double click).
int SPREADSHEET_MOUSE(int& event, win::POINT& first, win::POINT& second, win::HWND& window,
                      win::RECT& rect, int& key_state);

// The grid's sizes in pixels of its dialog.
struct grid_geometry_t {
  int title_height = 0;
  int label_width = 0;
  int row_height = 1;
  int width = 0;
};
grid_geometry_t GRID_GEOMETRY(win::HWND grid, const dialog_t* items, int grid_position);
// The scroll ranges (rows, columns) and the page sizes of the grid window.
void SET_GRID_SCROLL_RANGE(win::HWND grid, int rows, int columns);

}  // namespace toolkit
