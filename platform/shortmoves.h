// Fills and copies of a few characters, as fields of a record take them:
// up to sixteen moved by two overlapping stores of a fixed size (which the
// compiler makes plain moves, never a call of the library), longer ones by
// the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plat {

// n copies of c at p.
inline void fill_short(char* p, std::size_t n, char c) {
  const std::uint64_t eight = 0x0101010101010101u * static_cast<unsigned char>(c);
  if (n >= 8 && n <= 16) {
    std::memcpy(p, &eight, 8);
    std::memcpy(p + n - 8, &eight, 8);
  } else if (n >= 4 && n < 8) {
    const auto four = static_cast<std::uint32_t>(eight);
    std::memcpy(p, &four, 4);
    std::memcpy(p + n - 4, &four, 4);
  } else if (n >= 2 && n < 4) {
    const auto two = static_cast<std::uint16_t>(eight);
    std::memcpy(p, &two, 2);
    std::memcpy(p + n - 2, &two, 2);
  } else if (n == 1) {
    *p = c;
  } else if (n > 16) {
    std::memset(p, static_cast<unsigned char>(c), n);
  }
}

// The n characters at from copied to p (the two do not overlap).
inline void copy_short(char* p, const char* from, std::size_t n) {
  if (n >= 8 && n <= 16) {
    std::uint64_t a = 0, b = 0;
    std::memcpy(&a, from, 8);
    std::memcpy(&b, from + n - 8, 8);
    std::memcpy(p, &a, 8);
    std::memcpy(p + n - 8, &b, 8);
  } else if (n >= 4 && n < 8) {
    std::uint32_t a = 0, b = 0;
    std::memcpy(&a, from, 4);
    std::memcpy(&b, from + n - 4, 4);
    std::memcpy(p, &a, 4);
    std::memcpy(p + n - 4, &b, 4);
  } else if (n >= 2 && n < 4) {
    std::uint16_t a = 0, b = 0;
    std::memcpy(&a, from, 2);
    std::memcpy(&b, from + n - 2, 2);
    std::memcpy(p, &a, 2);
    std::memcpy(p + n - 2, &b, 2);
  } else if (n == 1) {
    *p = *from;
  } else if (n > 16) {
    std::memcpy(p, from, n);
  }
}

}  // namespace plat
