// Readers of the option table: what a built-in makes of one option slot.
#pragma once

#include <cstdint>

namespace exec {

// The integer of an option slot (passed as the slot itself): the slot when
// it is 0 or less (absent, or minus the keyword number of an option written
// without a value); otherwise its value rounded half away from zero, or 0
// for a value that is 0, negative or not a number.
std::int32_t KEYVALUE(const std::int32_t& slot);
// Option k (keyword number from 0) is present and not 0: false when absent,
// true when written without a value, else true when its value is not 0.
bool KWPRESENTBUTNOT0(const std::int32_t& k);
// The value of option k, 0.0 when the option is absent or has no value.
double OPTIONTOR8(const std::int32_t& k);

}  // namespace exec
