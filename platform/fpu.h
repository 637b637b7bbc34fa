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
int fpu_raised_slow();
// The zero-divide and overflow flags that are up (as fpu_ values), read
// straight from both units: far cheaper than the library's test.
inline int fpu_raised() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  // Both units keep the flags at the same bits (zero-divide 0x4, overflow
  // 0x8): the SSE control word and the x87 status word.
  unsigned int csr = 0;
  unsigned short x87 = 0;
  __asm__ volatile("stmxcsr %0" : "=m"(csr));
  __asm__ volatile("fnstsw %0" : "=am"(x87));
  return static_cast<int>((csr | x87) & (fpu_zerodivide | fpu_overflow));
#else
  return fpu_raised_slow();
#endif
}
// Clears every exception flag.
void fpu_clear();

// fpu_zerodivide and fpu_overflow as raised since the last call (or since
// the thread started), then every exception flag cleared. Only those two
// are ever reported, so the flags need clearing only when one is up:
// clearing costs far more than testing, and the executor asks after every
// value it makes.
inline int fpu_take_status() {
  const int raised = fpu_raised();
  if (raised != 0) fpu_clear();
  return raised;
}
// The same status without clearing it.
inline int fpu_peek_status() { return fpu_raised(); }

}  // namespace plat
