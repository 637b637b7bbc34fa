// Scalar types of the Windows-style programming interface that Ostrel's
// platform layer offers (namespace win). Widths follow the interface's own
// definitions; handles and pointer-sized values are 64-bit here.
#pragma once

#include <cstdint>

namespace win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using CHAR = char;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;
using ATOM = WORD;

// Handles are small numbers kept in tables of the platform layer, dressed as
// distinct pointer types so that they cannot be mixed up. Their values fit in
// 32 bits, so a handle survives being stored in a 32-bit word or a 64-bit
// real of a script; nothing ever dereferences one.
#define OSTREL_DECLARE_HANDLE(name) \
  struct name##__ {};               \
  using name = name##__*
OSTREL_DECLARE_HANDLE(HWND);
OSTREL_DECLARE_HANDLE(HDC);
OSTREL_DECLARE_HANDLE(HGDIOBJ);
OSTREL_DECLARE_HANDLE(HPEN);
OSTREL_DECLARE_HANDLE(HBRUSH);
OSTREL_DECLARE_HANDLE(HFONT);
OSTREL_DECLARE_HANDLE(HBITMAP);
OSTREL_DECLARE_HANDLE(HRGN);
OSTREL_DECLARE_HANDLE(HPALETTE);
OSTREL_DECLARE_HANDLE(HMENU);
OSTREL_DECLARE_HANDLE(HINSTANCE);
OSTREL_DECLARE_HANDLE(HICON);
OSTREL_DECLARE_HANDLE(HCURSOR);
OSTREL_DECLARE_HANDLE(HACCEL);
OSTREL_DECLARE_HANDLE(HMODULE);
OSTREL_DECLARE_HANDLE(HANDLE);
#undef OSTREL_DECLARE_HANDLE

// A handle's number and back.
template <class H>
inline std::uint32_t handle_value(H h) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
}
template <class H>
inline H handle_from(std::uint32_t v) {
  return reinterpret_cast<H>(static_cast<std::uintptr_t>(v));
}

struct POINT {
  LONG x = 0;
  LONG y = 0;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
  // The character the back end read with a key-down message (0: none
  // given, -1: the key gives none), for TranslateMessage: keys queued
  // faster than they are taken keep each its own character.
  int typed = 0;
};

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

inline constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
inline constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
inline constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}

}  // namespace win
