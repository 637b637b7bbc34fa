// Reading numbers: the one number reader of the interpreter with its entry
// per target kind, the conversions of a 64-bit real into narrower kinds, the
// reader of dialog fields with thousands separators, and the list readers.
//
// Every reading entry reads the first n characters of its text starting at
// |position|; a positive position requires the number to come next (after
// blanks), a negative one finds the next number anywhere after it. On
// success the position moves to the first character after the number, with
// its sign kept. Statuses: 0 stored, 1 found but does not fit the target (or
// a malformed exponent), 2 no number.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/fixed_text.h"

namespace core {

// Target kinds: 16 times the class plus the byte width; a kind holds a value
// when its code is at least the value's smallest kind.
namespace kindcode {
inline constexpr std::int32_t i1 = 0x11;  // 8-bit integer
inline constexpr std::int32_t i2 = 0x12;  // 16-bit integer
inline constexpr std::int32_t i4 = 0x14;  // 32-bit integer
inline constexpr std::int32_t r4 = 0x24;  // 32-bit real
inline constexpr std::int32_t r8 = 0x28;  // 64-bit real
inline constexpr std::int32_t integer_bit = 0x10;
}  // namespace kindcode

// Digits, decimal point, "+" and "-": a character's place classifies it.
// Place 10 (index 10) is the current decimal-point character.
inline plat::FixedText<13> numchars{"0123456789.+-"};

// Thousands separator, inserted by the number writer and removed by the
// dialog-field reader.
inline constexpr char c1thousands = '\'';

// Outcome of the last reading or conversion call.
enum class NumOutcome : std::int32_t { none, stored, status1, status2 };

struct NumReadState {
  double value = 0.0;     // last value read or converted
  std::int32_t kind = 0;  // smallest kind that holds it
  NumOutcome outcome = NumOutcome::none;
  char terminator = ' ';  // field terminator, blank outside GETR8NOPTS
};
inline NumReadState numreadstate;

void GETR8N(std::string_view text, std::int32_t n, double& value, std::int32_t& position,
            std::int32_t& status);
void GETR4N(std::string_view text, std::int32_t n, float& value, std::int32_t& position,
            std::int32_t& status);
void GETI4N(std::string_view text, std::int32_t n, std::int32_t& value, std::int32_t& position,
            std::int32_t& status);
void GETI2N(std::string_view text, std::int32_t n, std::int16_t& value, std::int32_t& position,
            std::int32_t& status);
void GETI1N(std::string_view text, std::int32_t n, std::int8_t& value, std::int32_t unused,
            std::int32_t& position, std::int32_t& status);
// Option bit 1: "," becomes the decimal point (and stays so after the call).
// Option bit 2: the first character of terminator ends the field; other
// characters before or inside the number are skipped.
void GETR8NOPTS(std::string_view text, std::int32_t n, double& value, std::int32_t& position,
                std::int32_t options, std::string_view terminator, std::int32_t& status);

void R8TOR8N(double source, double& target, std::int32_t& status);
void R8TOR4N(double source, float& target, std::int32_t& status);
void R8TOI4N(double source, std::int32_t& target, std::int32_t& status);
void R8TOI2N(double source, std::int16_t& target, std::int32_t& status);

// The smallest kind recorded by the last reading or conversion call.
void SMALLESTKIND(std::int32_t& kind);

// The decimal point becomes the text's first character ("." for an empty
// text).
void SETDECIMALPOINT(std::string_view text);

// Removes every thousands separator and converts the rest as one fixed-point
// field 80 characters wide (plat::read_real_field). iostat is 0 on success,
// positive on a malformed field; value is unchanged then.
void GETR8_1000S(std::string_view text, double& value, std::int32_t& iostat);

// Read up to maxcount numbers (at most values.size()) from text(1..n) from
// position on, separated by any one character, ending at the last character
// of endmark. The array is zeroed up to maxcount before the first value is
// stored and untouched when none is. Returns the count; position moves past
// what was read.
std::int32_t I4VECTORREAD(std::string_view text, std::int32_t n, std::string_view endmark,
                          std::span<std::int32_t> values, std::int32_t maxcount,
                          std::int32_t& position);
// As I4VECTORREAD; also steps over a continuation "&" CR LF.
std::int32_t R8VECTORREAD(std::string_view text, std::int32_t n, std::string_view endmark,
                          std::span<double> values, std::int32_t maxcount, std::int32_t& position);

// Start values of numchars and numreadstate.
void reset_numread();

}  // namespace core
