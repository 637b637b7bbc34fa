// Routines of the toolkit's later layers that windows, boxes and the window
// procedure already call: the dialog layer's hooks and the Tools dialog.
// Until each layer comes they do nothing; each layer replaces its routines
// here.
#pragma once

#include "platform/win_message.h"
#include "toolkit/records.h"

namespace toolkit {

// The dialog layer.
void SHOW_TOOLS_DIALOG(win::HWND window);
void DEFAULT_COMMAND_HOOK(win::HWND window);

// The spreadsheet grid's cell editing, which the keys of its cell editors
// drive: close the editor (storing its value or not), store a cell, move
// the current cell (direction 1 right, 2 down, 3 left, 4 up), leave the
// grid for the next (previous) dialog control, tell the grid's value
// procedure of a new cell value.
void END_CELL_EDIT(window_record_t& record, int store);
void STORE_CELL_VALUE(dialog_t* items, int position);
void SPREADSHEET_MOVE_CELL(window_record_t& record, int direction, int count, dialog_t* items,
                           int grid_position, win::HWND dialog);
void SPREADSHEET_TAB_OUT(window_record_t& record, int backwards);
void NOTIFY_CELL_VALUE(win::HWND grid, dialog_t* items, int grid_position);

// The help viewer is told to quit for the window; the flag is cleared.
void QUIT_HELP(window_record_t& record);

}  // namespace toolkit
