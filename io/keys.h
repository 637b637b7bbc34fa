// The KEY built-in and the live key states: the last key the user pressed
// during a run (reported once), its scan code and class, the modifier and
// lock keys and the mouse buttons.
#pragma once

#include <cstdint>

namespace io {

// Bits of the key-state mask.
namespace keybit {
inline constexpr std::int32_t shift = 0x1;
inline constexpr std::int32_t control = 0x2;
inline constexpr std::int32_t alt = 0x4;
inline constexpr std::int32_t capslock = 0x8;  // the lock and toggle keys: on
inline constexpr std::int32_t numlock = 0x10;
inline constexpr std::int32_t scrolllock = 0x20;
inline constexpr std::int32_t insert = 0x40;
inline constexpr std::int32_t pause = 0x80;
inline constexpr std::int32_t leftbutton = 0x100;
inline constexpr std::int32_t rightbutton = 0x200;
inline constexpr std::int32_t middlebutton = 0x400;
}  // namespace keybit

// The system's state of a virtual key: negative while it is down, 1 while
// it is toggled on and not down.
std::int16_t GET_KEY_STATE(std::int32_t vk);
// The key-state mask: Shift, Control, Alt and the mouse buttons when down,
// the lock keys, Insert and Pause when on (a lock key held down at that
// moment counts as off).
std::int32_t GETKEYSTATES();

// KEY, with the option table filled by keyword: each option given a
// variable receives its value; the function value is that of the first
// option written without a variable, in the order Scan, SHift, Control,
// ALt, CApital, Numlock, SCRoll, ScanType, Mouse, else the character code
// of the last key. The key words are cleared afterwards.
void KEY();

}  // namespace io
