// The dialog procedure of every toolkit dialog: it finishes the dialog at
// WM_INITDIALOG (the grid columns' controls, every control filled from its
// item), turns the controls' notifications into calls of the items' change
// procedures and of the dialog's changed callback (0x408 once the controls
// are filled, 0x409 before a button closes the dialog), closes the dialog
// on its buttons, colours the controls, and hands menu and accelerator
// commands to the command handler.
//
// A change procedure is called with the item's event code saying why, after
// the control's state was read into the item; each call is bracketed by
// ENTER_... and LEAVE_CHANGE, so a procedure is never entered again for the
// same item through what it causes itself (texts set, focus moved, message
// boxes).
#pragma once

#include "platform/win_message.h"
#include "toolkit/dialog_item.h"

namespace toolkit {

// Posted to a dialog to run an item's text procedure (lParam: its 0-based
// place) after the notification in hand.
inline constexpr win::UINT kRunChangeMessage = 0x4C8;
// The changed callback's codes.
inline constexpr int kChangedDialogReady = 0x408;
inline constexpr int kChangedDialogClosing = 0x409;

// 1, with the item marked busy, when it has the procedure and is not busy.
int ENTER_TEXT_CHANGE(dialog_t* items, int position);
int ENTER_VALUE_CHANGE(dialog_t* items, int position);
void LEAVE_CHANGE(dialog_t* items, int position);
int CALL_TEXT_CHANGE_PROC(win::HWND window, dialog_t* items, int position);
int CALL_VALUE_CHANGE_PROC(win::HWND window, dialog_t* items, int position);
// The text procedure of the 1-based item when it has one, else 0.
int CALL_CHANGE_PROC_BY_NUMBER(win::HWND& window, dialog_t* items, int& number);

// A spinner step of the item: event code 0x200 with the 9-bit delta, the
// text procedure (then event code 0x2000) and the value procedure, each
// called with `window`; 1 when the text procedure ran.
int STEP_SPINNER(win::HWND window, dialog_t* items, int position, int delta);

win::INT_PTR DIALOG_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                         win::LPARAM lparam);

}  // namespace toolkit
