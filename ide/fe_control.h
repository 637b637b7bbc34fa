// The application's one event routine: the toolkit calls it for every menu,
// accelerator and toolbar command, every key message and every tick of the
// application's timers. Each event becomes work done at once, a pending
// command in `core::idecmd`, or a key in `core::keyrec`; then, unless a
// window close, a dispatch or a dialog build is under way, the dispatcher
// carries the pending work out.
#pragma once

#include <cstdint>

#include "platform/win_window.h"

namespace ide {

inline constexpr int kAppTimer = 0x6001;
// The pending command word of a quit asked for (File > Exit, Alt+F4).
inline constexpr std::int32_t kQuitCommand = 999;

// -1 when the event was handled, 0 when the toolkit is to apply its
// default (for 0x4001: close the main window).
int FE_CONTROL(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam);

// While commands are held (a Quicky's expression runs, and the statements
// of a FUNCTION it calls let messages through), no event is dispatched and
// no command carried out: each command waits, keys are only read (so that
// Escape breaks the run), ticks pass. Ending the hold posts the commands
// that waited, in their order.
void HOLDCOMMANDS(bool hold);

}  // namespace ide
