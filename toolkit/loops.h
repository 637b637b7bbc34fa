// The program's two ways of taking messages off the queue: the blocking
// main loop that the application enters once, and the non-blocking drain
// that a running script calls between statements. Both offer each message
// first to the current modeless dialog, then to the accelerator table,
// before translating and dispatching it. Also the application's dialog
// hook, which the dialog procedure offers every dialog message to.
#pragma once

#include "platform/win_message.h"

namespace toolkit {

// The current modeless dialog (null when none), set by the dialog layer.
inline win::HWND current_modeless_dialog = nullptr;

// Non-zero when the hook handled the message; the dialog procedure then
// returns the hook's result.
using dialog_hook_routine = int (*)(win::HWND& window, win::UINT& message, win::WPARAM& wparam,
                                    win::LPARAM& lparam, win::LRESULT& result);
inline dialog_hook_routine dialog_hook = nullptr;

// Runs until WM_QUIT (or an error of the blocking get); its exit code.
int MESSAGE_LOOP();
// Handles every pending message, then every pending paint; 1 when the
// queue was drained, 0 when it met WM_QUIT (which is posted again, so the
// main loop sees it too).
int PROCESS_MESSAGES();

void SET_DIALOG_HOOK(dialog_hook_routine routine);
void CLEAR_DIALOG_HOOK();

}  // namespace toolkit
