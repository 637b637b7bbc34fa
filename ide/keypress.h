// Between the event routine and the command handler: key messages become
// one completed key in `core::keyrec`, and the dispatcher decides who gets
// a key or pending command (a closing child window, the exit question, a
// script READ from a window, or the command handler), fixes keypad digits,
// repaints, and shows the start screen while no script is open.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "ide/windowlist.h"
#include "platform/win_window.h"

namespace ide {

// Scan classes by scan code 0 to 93 (94 and above: 1): 0 unassigned, 1 an
// ordinary character key, 2 a keypad navigation key, 4 a dead accent key, 8
// Shift, Control or Alt, 16 a lock key, 33 minus, bracket, quote and the
// keypad operators, 64 a function key.
extern const std::array<std::int8_t, 94> scanclass;
std::int32_t scanclassof(std::int32_t scan);

// kind: 0 key down (key: the virtual key), 1 character (key: its code), 2
// key up; lparam the message's raw parameter. kind becomes -1 when the key
// is complete and the dispatcher is not running.
void KEYPRESSED(std::int32_t& kind, std::int32_t key, std::int32_t lparam);

// kind: 1 after a key down, 2 after a character, 3 after a key up, 4 after
// a command or another event.
void DISPATCH(win::HWND window, std::int32_t kind);

// mode 0 the whole window erased, 1 the whole window, 2 the collected
// rectangle `updrect`, 3 that rectangle erased; `updrect` is empty after.
void UPDATEWDW(std::int32_t mode, wdwrec* record);

// The start screen, drawn into the current window's backing bitmap.
void startscreen();
inline constexpr std::string_view tagline = "Your scripts, line by line.";
void reset_startscreen();

void reset_keypress();

}  // namespace ide
