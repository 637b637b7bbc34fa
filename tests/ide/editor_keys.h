// Keys typed into the editor of a program run by the IDE tests, and what
// the editor holds: its text, and the picture of its text rows.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/editbuffer.h"
#include "core/stores.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"

namespace idetest {

inline void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

// The key with the modifier (Shift, Ctrl, Alt) held.
inline void with(int modifier, int vk, unsigned char ch = 0) {
  plat::input_key(modifier, plat::scan_code_of(modifier), true);
  plat::set_key_state(modifier, true);
  press(vk, ch);
  plat::set_key_state(modifier, false);
  plat::input_key(modifier, plat::scan_code_of(modifier), false);
}

// The key that types the character (with the character given, the key's
// shift state does not matter).
inline int keyof(char c) {
  switch (c) {
    case ' ':
      return win::VK_SPACE;
    case '=':
      return win::VK_OEM_PLUS;
    case '+':
      return win::VK_ADD;
    case '*':
      return win::VK_MULTIPLY;
    case '(':
      return '9';
    case ')':
      return '0';
    default:
      return std::toupper(static_cast<unsigned char>(c));
  }
}

inline void type(std::string_view text) {
  for (const char c : text) press(keyof(c), static_cast<unsigned char>(c));
}

inline void down(int n) {
  for (int i = 0; i < n; ++i) press(win::VK_DOWN);
}

// The script text as the edit buffer holds it.
inline std::string buffer() {
  return core::c1edit.size() > 0
             ? std::string(core::c1edit.ptr(1), static_cast<std::size_t>(core::c1editend))
             : std::string();
}

// The pixels of the main window's client area down to its text row
// `rows`, `columns` cells wide, row by row.
inline std::vector<std::uint32_t> picture(int rows, int columns) {
  const auto w = static_cast<win::HWND>(mainwindow());
  const plot::FontSlot& f = plot::fontslots(ide::wdwhead->fontslot);
  const int bottom = ide::wdwhead->topoffset + 6 + rows * f.cellheight;
  std::vector<std::uint32_t> px;
  px.reserve(static_cast<std::size_t>(bottom * columns * f.cellwidth));
  for (int y = 0; y < bottom; ++y)
    for (int x = 0; x < columns * f.cellwidth; ++x) px.push_back(plat::window_pixel(w, x, y));
  return px;
}

}  // namespace idetest
