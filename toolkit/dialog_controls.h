// The controls of a running dialog and their items: the item's state put
// onto its control when the dialog starts and whenever the application
// updates a live item, the user's input read back into the items before a
// change procedure or the caller looks at them, items found by control id
// and by control window, and the list storage of list and combo boxes.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/dialog_item.h"
#include "toolkit/records.h"

namespace toolkit {

// Window-record flags of the dialog layer: set while WM_INITDIALOG runs, a
// dialog's record, a spreadsheet grid's record.
inline constexpr std::int32_t kDialogInitialising = 0x08;
inline constexpr std::int32_t kDialogRecord = 0x20;
inline constexpr std::int32_t kSpreadsheetRecord = 0x40;

// The id offset of an edit box's spinner.
inline constexpr int kSpinnerIdOffset = 0x4000;
// The width of an up-down item's arrows beside its count field (dialog units).
inline constexpr int kUpDownArrowsWidth = 12;

// The brush of dialogs and items without one (the button-face colour), made
// once, and its colour; the grid's brush (light grey).
win::HBRUSH DIALOG_BRUSH();
win::COLORREF dialog_brush_colour();
win::HBRUSH SPREADSHEET_BRUSH();

// Puts the item at `position` (0-based) onto its control: at WM_INITDIALOG
// (update 0) or for a live update (update 1). 1 when the control took the
// focus, else `focus`.
int INIT_DIALOG_CONTROL(win::HWND control, win::HWND dialog, dialog_t* items, int position,
                        int focus, int update);
// Applies the state flags (top byte: 0x01 disable, 0x02 enable, 0x04 hide,
// 0x08 show, 0x20 focus; the first four also act on the spinner), then puts
// the item onto its control. "Invalid dialog item in UPDATE_DIALOG_ITEM"
// when the control is not there.
void C_UPDATE_DIALOG_ITEM(dialog_t& item, win::HWND& dialog, const std::int32_t* state, int* ups);

void READ_DIALOG_CONTROLS(win::HWND dialog, const window_record_t& record, dialog_t* items);
void READ_DIALOG_CONTROL(win::HWND control, dialog_t* items, int position);
// The item's bound text, else its text, without trailing blanks.
std::string item_text(const dialog_t& item);
// Writes the item's bound text, else its text, into the control; `length`
// (when not negative) cuts the text.
void RESTORE_CONTROL_TEXT(win::HWND control, dialog_t* items, int position, int length = -1);

// 0-based place of the first item with the id, -1 when none.
int FIND_DIALOG_ITEM(const dialog_t* items, int id, int count);
// The same, 1-based, 0 when none.
int FIND_DIALOG_ITEM_NUMBER(const dialog_t* items, const int& id, const int& count);
// A grid column's own control, else the dialog's child with the item's id.
win::HWND DIALOG_ITEM_CONTROL(win::HWND dialog, const dialog_t& item);
win::HWND GET_DIALOG_ITEM_WINDOW(win::HWND dialog, const dialog_t& item, int* ups);
// The record of the first window at or above the control that has one
// (a grid's own record, with `in_grid` 1 and the array and place of the
// grid's dialog); null when none. `id` is the control id of the window
// right below that window, `position` -1 when no item has it.
window_record_t* FIND_CONTROL_ITEM(win::HWND control, int& in_grid, int& id, dialog_t*& items,
                                   int& position);
win::HWND GET_PARENT(win::HWND& window, int* ups);

// The list block of `count` entries of `length` characters (the stride is
// the distance from the first to the second entry): each without trailing
// blanks and with a NUL. A list box also gets its selection block. Null
// when there are no entries.
char* MAKE_ITEM_LIST(const char* first, int length, const char* second, int list_type, int* count,
                     dialog_t& item, int* ups);
void GET_ITEM_LIST_SELECTION(const dialog_t& item, std::int32_t* out, const int& out_length,
                             int* ups);

// The dialog layer's state back to the start. For tests.
void reset_dialog_controls();

}  // namespace toolkit
