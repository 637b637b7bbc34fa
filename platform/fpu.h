// Floating-point exception status of the calling thread, as the interpreter
// reads it after numeric work: zero-divide and overflow flags collected
// since the last reading.
#pragma once

namespace plat {

inline constexpr int fpu_zerodivide = 0x4;
inline constexpr int fpu_overflow = 0x8;

// Masks every floating-point exception (results become infinities and NaNs
// instead of traps) and sets rounding to nearest.
void fpu_mask_all();
// fpu_zerodivide and fpu_overflow as raised since the last call (or since
// the thread started), then every exception flag cleared.
int fpu_take_status();
// The same status without clearing it.
int fpu_peek_status();

}  // namespace plat
