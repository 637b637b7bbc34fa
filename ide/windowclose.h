// Closing windows and freeing their records in a fixed order, and the
// application's dialog-message hook, through which Escape, Ctrl+Tab and
// focus changes inside dialog and table windows are handled.
#pragma once

#include <cstdint>

#include "exec/windowwords.h"
#include "platform/win_window.h"

namespace ide {

// The command posted to the main window after a record is freed (0 or
// less: 21061); 0 again after posting (exec/windowwords.h).
using exec::closecmd;
inline constexpr std::int32_t kWindowClosed = 21061;
inline constexpr std::int32_t kNextWindow = 21065;

// Closes the window (mode bit 0: through the toolkit; 0: it is gone
// already) and frees its record; the main window's record is never freed,
// nor one whose tables' owner refuses to drop unsaved edits. Handle null:
// the first record whose window was never made, unless the current window
// is a real one. Afterwards the owner's record is current.
void KILLWINDOW(win::HWND handle, std::int32_t mode);
// Closes every window after the main window; stops at a record without a
// window yet and at one that stays open.
void KILLALLWINDOWS();
// The close callback of script windows: KILLWINDOW unless a close is under
// way; always -1.
int KILLNONDLGWINDOW(win::HWND& handle);
// The dialog-message hook, called first by the toolkit's dialog procedure:
// -1 handled, 0 let the toolkit go on. Ctrl+Tab posts the next-window
// command; Escape discards a pending control edit, or closes a modeless
// dialog once (again only after a message came with Escape released);
// focus notices move a table's focus.
int DLGCALLBACK(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM& lparam,
                win::LRESULT& result);
// Drops the pending control edit of the window when a discard was asked:
// the control shows its stored value again (a table cell its table's).
void ESCAPEINDLG(win::HWND window);

// The hook's words and closecmd back to their start values.
void reset_windowclose();

}  // namespace ide
