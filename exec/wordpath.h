// Small helpers shared by the word-path handlers (assignment and option
// words, the loop's built-ins): the operand stack, symbols and values as
// those handlers read them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/tempstrings.h"
#include "exec/xeq.h"

namespace exec::wordpath {

// The nearest integer, halves away from zero; NaN gives 0 and values
// beyond the 64-bit range the nearest end of it.
inline std::int64_t nearest(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 9.2233720368547758e18) return std::numeric_limits<std::int64_t>::max();
  if (x <= -9.2233720368547758e18) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::round(x));
}

// An index or position: the nearest integer held within +-2^31, beyond any
// store, so that the positions and offsets worked out from it stay within
// 64 bits.
inline std::int64_t index(double x) {
  constexpr double most = 2147483648.0;
  if (std::isnan(x)) return 0;
  return static_cast<std::int64_t>(std::round(std::clamp(x, -most, most)));
}

// Entries on the operand stack, and the entry fromtop places below its top.
inline std::int32_t depth() { return core::xeqstackptr - core::xeqstackbase; }
inline std::int32_t& entry(std::int32_t fromtop) { return core::adrs(core::xeqstackptr - fromtop); }

// Ends the word with an error: key into `msgkey`, subject into `errsubject`.
inline WordResult fail(std::string_view key, std::int32_t subject = 1) {
  core::msgkey.set(key);
  errsubject = subject;
  return WordResult::error;
}

inline bool issym(std::int32_t s) { return s >= 1 && s <= core::nname && core::name.valid(s); }
// Type bits of a symbol (0x7FF of them), 0 for anything else.
inline int typeof_(std::int32_t s) {
  return issym(s) ? static_cast<std::uint16_t>(core::name(s).type) & 0x7FF : 0;
}
// The text bounds of a stack entry (a temporary string or a character
// symbol); false for a number.
inline bool textbounds(std::int32_t e, std::int32_t& first, std::int32_t& last) {
  if (e < 0) {
    const std::int32_t j = -e;
    if (j > ntemps) return false;
    first = tmpbeg(j);
    last = tmpend(j);
    return true;
  }
  if (!issym(e) || !core::z.valid(e)) return false;
  return core::ISCHAR(e, first, last) != 0;
}

// The value in cell e of `z`, 0 outside the store.
inline double value(std::int32_t e) { return core::z.valid(e) ? core::z(e) : 0.0; }

}  // namespace exec::wordpath
