#include "platform/fpu.h"

#include <cfenv>

namespace plat {

void fpu_mask_all() {
  std::fesetround(FE_TONEAREST);
#if defined(__GLIBC__)
  // Exceptions are masked from the start on Linux; undo anything that may
  // have unmasked them (a library, a debugger setting).
  fedisableexcept(FE_ALL_EXCEPT);
#endif
}

namespace {

// The zero-divide and overflow flags that are up, as FE_ flags.
int raisedflags() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  // Both units keep the flags at the same bits (zero-divide 0x4, overflow
  // 0x8): the SSE control word and the x87 status word are read directly,
  // which is far cheaper than the library's test.
  static_assert(FE_DIVBYZERO == 0x4 && FE_OVERFLOW == 0x8);
  unsigned int csr = 0;
  unsigned short x87 = 0;
  __asm__ volatile("stmxcsr %0" : "=m"(csr));
  __asm__ volatile("fnstsw %0" : "=am"(x87));
  return static_cast<int>((csr | x87) & (FE_DIVBYZERO | FE_OVERFLOW));
#else
  return std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW);
#endif
}

}  // namespace

int fpu_take_status() {
  // Only zero-divide and overflow are ever reported, so the flags need
  // clearing only when one of them is up: clearing costs far more than
  // testing, and the executor asks after every statement.
  const int raised = raisedflags();
  if (raised == 0) return 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  int status = 0;
  if (raised & FE_DIVBYZERO) status |= fpu_zerodivide;
  if (raised & FE_OVERFLOW) status |= fpu_overflow;
  return status;
}

int fpu_peek_status() {
  const int raised = raisedflags();
  int status = 0;
  if (raised & FE_DIVBYZERO) status |= fpu_zerodivide;
  if (raised & FE_OVERFLOW) status |= fpu_overflow;
  return status;
}

}  // namespace plat
