// Number editing of the classic run-time: the output edit descriptors Iw,
// Bw, Ow, Zw, Fw.d and Ew.d (width 0 for minimal width where the descriptor
// allows it) and the input conversion of one fixed-point field.
//
// Rounding works on the exact value of the stored double: its decimal
// expansion is produced with integer arithmetic and halves are rounded away
// from zero. Nothing here depends on the C locale or on printf.
//
// Not-a-number and infinite values are written as "NaN", "Inf" and "-Inf",
// right-aligned in the field like a number (asterisks when the field is too
// narrow).
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace plat {

// Iw: the integer right-aligned in w characters, w asterisks when it does not
// fit; w = 0 (I0) gives just the digits and a "-" when negative.
std::string edit_int(std::int64_t v, int w);

// Bw, Ow, Zw: the bit pattern in base 2, 8 or 16 (capital hexadecimal
// digits), right-aligned in w characters or asterisks; w = 0 is minimal.
std::string edit_radix(std::uint64_t bits, int base, int w);

// Fw.d: rounded to d decimals, right-aligned in w characters, with a zero
// before the point when the field has room for it, all asterisks when the
// value does not fit. The point is always written (F5.0 of 3 is "   3.").
// w = 0 (F0.d) gives the minimal width, zero before the point included. A
// negative value that rounds to zero is written without its minus sign.
std::string edit_fixed(double v, int w, int d);
// Writes the decimal digits of v (none for 0) backwards, the last one just
// before end, two at a time; returns the first.
namespace detail {
// The two digits of each number below 100, in turn.
inline constexpr std::array<char, 200> digitpairs = [] {
  std::array<char, 200> t{};
  for (int i = 0; i < 100; ++i) {
    t[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    t[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return t;
}();
}  // namespace detail
inline char* put_digits_back(std::uint64_t v, char* end) {
  for (; v >= 100; v /= 100) {
    end -= 2;
    std::memcpy(end, detail::digitpairs.data() + 2 * (v % 100), 2);
  }
  if (v >= 10) {
    end -= 2;
    std::memcpy(end, detail::digitpairs.data() + 2 * v, 2);
  } else if (v > 0) {
    *--end = static_cast<char>('0' + v);
  }
  return end;
}
// edit_fixed of a finite v made straight into a field of its own width;
// false (the field untouched) when the value takes the exact road or is
// not finite, which edit_fixed then makes.
bool edit_fixed_into(double v, int d, std::span<char> field);

// Ew.d: [-][0].d1...ddE+xx with d significant digits; a three-digit exponent
// is written as +xxx without the E, a larger one gives asterisks. The zero
// before the point is written when the field has room. d < 1 gives
// asterisks. w = 0 gives the minimal width.
std::string edit_exp(double v, int w, int d);

// The first n (at least 1) significant decimal digits of |v|, rounded half
// away from zero on the exact value, and the exponent x with |v| about
// 0.d1d2...dn times 10^x. Zero (and a value that is not finite) gives n
// zeros and x = 0.
std::string significant_digits(double v, int n, int& x);

// I/O statuses of read_real_field.
inline constexpr int numfield_ok = 0;
inline constexpr int numfield_malformed = 1;  // not a number under the descriptor
inline constexpr int numfield_overflow = 2;   // beyond the range of a 64-bit real

// Input conversion of one field Fw.d: the field is the first w characters of
// the text (a shorter text counts as blank padded). Blanks are ignored and an
// all-blank field reads zero; otherwise an optional sign, digits, an optional
// point, and an optional exponent (E, e, D or d followed by an optionally
// signed integer, or a sign followed by an integer); at least one digit
// before the exponent. Without a point the last d digits are decimals. The
// result is the correctly rounded double; a value too small for a double
// reads as zero. On a positive status value is left unchanged.
int read_real_field(std::string_view text, int w, int d, double& value);
// The common field of read_real_field (blanks, a sign, at most 15
// significant digits and a point, no exponent) read at once: false, value
// untouched, for any other field.
bool read_plain_real(std::string_view field, int d, double& value);

// The first character of p..e that is not a blank (e when all are), eight
// at a time.
inline const char* skip_blanks(const char* p, const char* e) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t blanks = 0x2020202020202020u;
    for (; e - p >= 8; p += 8) {
      std::uint64_t x = 0;
      std::memcpy(&x, p, 8);
      if ((x ^= blanks) != 0) return p + std::countr_zero(x) / 8;
    }
  }
  while (p != e && *p == ' ') ++p;
  return p;
}

}  // namespace plat
