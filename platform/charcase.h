// Case folding of Windows-1252 text, the single-byte mapping the program's
// texts use everywhere (never the C locale).
//
// Letters that fold: A-Z <-> a-z; 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E; 0x9F <-> 0xFF;
// 0xC0-0xDE <-> 0xE0-0xFE except 0xD7 and 0xF7 (the multiplication and
// division signs). Letters without a partner inside the code page stay as
// they are in both directions: 0x83 (small f with hook, whose capital is not
// in the code page), 0xAA and 0xBA (the ordinal indicators, which have no
// case partner at all), 0xB5 (micro sign: its capital is a Greek letter) and
// 0xDF (sharp s: its capital needs two characters).
#pragma once

#include <array>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

namespace charcase_detail {

constexpr bool folds_pair(int lower) {
  if (lower >= 'a' && lower <= 'z') return true;
  if (lower == 0x9A || lower == 0x9C || lower == 0x9E) return true;
  return lower >= 0xE0 && lower <= 0xFE && lower != 0xF7;
}

constexpr std::array<unsigned char, 256> make_upper() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 0; c < 256; ++c) {
    if (!folds_pair(c)) continue;
    // a-z and 0xE0-0xFE sit 0x20 above their capitals, the three letters of
    // 0x9A-0x9E 0x10 above theirs.
    t[c] = static_cast<unsigned char>(c >= 0x9A && c <= 0x9E ? c - 0x10 : c - 0x20);
  }
  t[0xFF] = 0x9F;
  return t;
}

constexpr std::array<unsigned char, 256> make_lower() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  const auto up = make_upper();
  for (int c = 0; c < 256; ++c)
    if (up[c] != c) t[up[c]] = static_cast<unsigned char>(c);
  return t;
}

}  // namespace charcase_detail

// The two folding tables, indexed by the byte value.
inline constexpr std::array<unsigned char, 256> upper1252_table = charcase_detail::make_upper();
inline constexpr std::array<unsigned char, 256> lower1252_table = charcase_detail::make_lower();

inline unsigned char upper1252(unsigned char c) { return upper1252_table[c]; }
inline unsigned char lower1252(unsigned char c) { return lower1252_table[c]; }

// Two texts equal but for case (names of classes, printers, modules).
inline bool same_any_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper1252(static_cast<unsigned char>(a[i])) != upper1252(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Order of two texts without regard to case, then by bytes: <0, 0, >0.
inline int compare_any_case(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const int x = upper1252(static_cast<unsigned char>(a[i]));
    const int y = upper1252(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace plat

namespace win {

// Fold the first n bytes of s in place; return n. A null s folds nothing
// and returns 0.
DWORD CharUpperBuffA(char* s, DWORD n);
DWORD CharLowerBuffA(char* s, DWORD n);

}  // namespace win
