// The keys of edit and combo boxes in toolkit dialogs and grid cells. The
// class procedures of the system's edit, combo-box and combo-list classes
// are replaced once per process, so every such control made afterwards
// runs the toolkit's procedure first: Enter commits the text (and presses
// the dialog's default button), F2 is kept from plain edit boxes, and in a
// grid cell Tab, Enter, Escape and F2 commit or drop the cell's text and
// move between cells. A click into a table's cell selects all of its text.
// Everything else goes to the class's own procedure.
#pragma once

#include "platform/win_message.h"
#include "toolkit/dialog_item.h"
#include "toolkit/records.h"

namespace toolkit {

// Install the procedures (each class once; later calls do nothing); 1.
int SUBCLASS_EDIT();
int SUBCLASS_COMBOBOX();
// Puts the edit class's own procedure back (when the main window goes).
void UNSUBCLASS_EDIT();

win::LRESULT EDIT_SUBCLASS_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                win::LPARAM lparam);
win::LRESULT COMBOBOX_SUBCLASS_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                    win::LPARAM lparam);
win::LRESULT COMBOLBOX_SUBCLASS_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                     win::LPARAM lparam);

// Whether the edit control of the id in the dialog is a cell of a table:
// a click, a double click or F2 in it selects its whole text, so that the
// first character typed replaces the cell's value, as the grid's cell
// editor does when it opens. Filled by the layer that builds tables; none:
// only the grid's cells.
inline bool (*is_table_cell)(win::HWND dialog, int id) = nullptr;

// Reads the control into its item and runs the item's text procedure with
// the record's window: 0 after a refusal (the item's text back in the
// control, selected, with the focus; event code 0x800), else 1 after the
// value procedure ran with event code 0x2000.
int COMMIT_EDIT_TEXT(dialog_t* items, int position, window_record_t& record, win::HWND edit);

// Forgets the installed procedures and the hidden windows. For tests.
void reset_subclassing();

}  // namespace toolkit
