// Storing what the user changed in a dialog control into what the control
// is bound to: a script variable, the window's own variables or a table
// cell. The change procedures call it for each change, the IDE's event
// routine when a pending write-back waits, and closing a window for the
// last change. It also keeps the window's CHanGed bits and asks the IDE to
// run a control's callback.
#pragma once

#include <cstdint>

#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

// The window (handle), its item array, the control's item number (1-based;
// 0: complete the pending write-back) and the mode: 0 or less a text was
// edited, positive a value control moved (the value is the text width to
// write it in), negative also a file-backed cell's number.
void WRITESDORFMT(win::HWND window, toolkit::dialog_t* items, std::int32_t item, std::int32_t mode);
// Completes the pending write-back of the window the edit guard names.
void WRITESDORFMT();
// The same between the user's keys (the IDE's clock, its commands): a table
// cell whose editor has the focus keeps the text typed so far
// (STORETABLECELL's `typing`).
void WRITEWHILETYPING();
// Asks the IDE to run the script routine `link` (a control's callback)
// between statements.
void POSTCALLBACK(std::int32_t link);

}  // namespace ui
