// The look of a number in a numeric input field: the edit format taken from
// the sample the field starts with, and the value written back with it.
#pragma once

#include <cstdint>
#include <span>

#include "platform/fixed_text.h"

namespace ide {

struct FieldFormat {
  plat::FixedText<11> format;  // "(I2)", "(F6.2)", "(1PE10.4E2)"; blank: none usable
  std::int32_t width = 0;      // the sample's length
  std::int32_t point = 0;      // position of "." in it, 0 when none
  std::int32_t exponent = 0;   // position of "E" in it, 0 when none
};
inline FieldFormat fieldfmt;

// Takes the format from the sample: an exponent form with an "E", a fixed
// form with a ".", else an integer of the sample's width. A sample that
// gives no usable format (wider than 99, more than 9 decimals or exponent
// digits, an "E" without a "." before it) leaves the format blank. Returns 0.
std::int32_t SETFMT(std::span<const char> text);

// Writes the value into the text with the format (an integer format takes
// it rounded half away from zero, and leaves the text alone from 1.0E7 on;
// a blank format leaves it alone). Returns 1 when the text holds "*" after
// (the value did not fit), else 0.
std::int32_t SETFMTWRITE(std::span<char> text, float value);

}  // namespace ide
