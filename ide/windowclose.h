// Closing windows and freeing their records, and the application's
// dialog-message hook. Until script windows exist this is the least the
// window list needs: a record is unlinked and freed, its owner becomes
// current and the close is posted; the hook handles nothing.
#pragma once

#include <cstdint>

#include "platform/win_window.h"

namespace ide {

// The command posted to the main window after a record is freed (0 or
// less: 21061); 0 again after posting.
inline std::int32_t closecmd = 0;
inline constexpr std::int32_t kWindowClosed = 21061;

// Closes the window (mode bit 0: through the toolkit; 0: it is gone
// already) and frees its record; the main window's record is never freed.
// Afterwards the owner's record is current.
void KILLWINDOW(win::HWND handle, std::int32_t mode);
// Closes every window after the main window.
void KILLALLWINDOWS();
// The close callback of script windows: KILLWINDOW unless a close is under
// way; always -1.
int KILLNONDLGWINDOW(win::HWND& handle);
// The dialog-message hook: nothing is handled (0).
int DLGCALLBACK(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM& lparam,
                win::LRESULT& result);

}  // namespace ide
