// Application timers on the main window and the toolkit's sleep.
//
// Ticks arrive through the window procedure: ids from 0x2000 up reach the
// application's event routine and fire once, unless both bits 0x2000 and
// 0x4000 are set (then until killed); ids 1 to 5 belong to the toolkit
// (status-bar clock 1 to 4, auto-scroll of a text selection 5).
#pragma once

namespace toolkit {

inline constexpr int kRepeatingTimer = 0x6000;
inline constexpr int kFirstApplicationTimer = 0x2000;
inline constexpr int kAutoScrollTimer = 5;

// Starts (or restarts) timer `id` on the main window, every `seconds`
// (converted to whole milliseconds).
void SET_TIMER(float seconds, int id, int* ups);
// Suspends the program; messages wait meanwhile.
void SLEEP_SECONDS(float seconds);

}  // namespace toolkit
