// Virtual keys, mouse-key flags and the key state of the Windows-style
// interface. GetKeyState answers as of the last key or mouse message taken
// from the queue, GetAsyncKeyState as of now; without a display every key
// is up unless a test sets it.
#pragma once

#include "platform/win_types.h"

namespace win {

inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_CANCEL = 0x03;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_CLEAR = 0x0C;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_SELECT = 0x29;
inline constexpr int VK_PRINT = 0x2A;
inline constexpr int VK_SNAPSHOT = 0x2C;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_HELP = 0x2F;
// '0'..'9' and 'A'..'Z' are their own virtual keys.
inline constexpr int VK_LWIN = 0x5B;
inline constexpr int VK_RWIN = 0x5C;
inline constexpr int VK_APPS = 0x5D;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_NUMPAD9 = 0x69;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SEPARATOR = 0x6C;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F3 = 0x72;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F5 = 0x74;
inline constexpr int VK_F6 = 0x75;
inline constexpr int VK_F7 = 0x76;
inline constexpr int VK_F8 = 0x77;
inline constexpr int VK_F9 = 0x78;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_F11 = 0x7A;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_F24 = 0x87;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;
inline constexpr int VK_OEM_1 = 0xBA;       // ;:
inline constexpr int VK_OEM_PLUS = 0xBB;    // =+
inline constexpr int VK_OEM_COMMA = 0xBC;   // ,<
inline constexpr int VK_OEM_MINUS = 0xBD;   // -_
inline constexpr int VK_OEM_PERIOD = 0xBE;  // .>
inline constexpr int VK_OEM_2 = 0xBF;       // /?
inline constexpr int VK_OEM_3 = 0xC0;       // `~
inline constexpr int VK_OEM_4 = 0xDB;       // [{
inline constexpr int VK_OEM_5 = 0xDC;       // \|
inline constexpr int VK_OEM_6 = 0xDD;       // ]}
inline constexpr int VK_OEM_7 = 0xDE;       // '"
inline constexpr int VK_OEM_102 = 0xE2;

// Mouse-message key flags (wParam).
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

// Bit 15 (negative result): the key is down; bit 0: toggled (Caps Lock,
// Num Lock, Scroll Lock on; for other keys it flips with every press).
SHORT GetKeyState(int vk);
// Bit 15: down now; bit 0: pressed since the previous GetAsyncKeyState of
// the same key.
SHORT GetAsyncKeyState(int vk);

}  // namespace win
