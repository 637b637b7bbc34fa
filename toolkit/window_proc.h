// The window procedure of every top-level window the toolkit makes. It
// turns messages into calls of the application's event routine (keys as
// 0x4100 key down, 0x4101 key up, 0x4102 character; commands as their id;
// ticks of timers from 0x2000 up as their id) and of the window record's
// callbacks (close, changed, mouse, scroll, paint), and runs the toolkit's
// own machinery: the mouse engine, scrolling of windows and boxes, the
// status bar's clock, menu hints, and the orderly end of the program when
// the main window goes.
#pragma once

#include "platform/win_message.h"

namespace toolkit {

// Event codes of keys and the changed callback's codes.
inline constexpr int kKeyEventBase = 0x4000;
inline constexpr int kChangedMoved = 0x405;
inline constexpr int kChangedFocusGained = 0x406;
inline constexpr int kChangedFocusLost = 0x407;

// Built-in commands.
inline constexpr int kQuitCommand = 0x4001;
inline constexpr int kHelpCommand = 0x4002;
inline constexpr int kNothingCommand = 0x4004;
inline constexpr int kHookCommand = 0x4005;

win::LRESULT MAIN_WINDOW_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                              win::LPARAM lparam);
// WM_COMMAND: the application first, with the wait cursor shown; then the
// built-in commands.
win::LRESULT COMMAND_HANDLER(win::HWND window, win::UINT message, win::WPARAM wparam,
                             win::LPARAM lparam);
void WINDOW_DESTROYED(win::HWND window);
// Sends WM_CLOSE unless the handle is null or -1; always 1.
int CLOSE_WINDOW(win::HWND window, int unused = 0);

}  // namespace toolkit
