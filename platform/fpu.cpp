#include "platform/fpu.h"

#include <cfenv>

namespace plat {

static_assert(FE_DIVBYZERO == fpu_zerodivide && FE_OVERFLOW == fpu_overflow);

void fpu_mask_all() {
  std::fesetround(FE_TONEAREST);
#if defined(__GLIBC__)
  // Exceptions are masked from the start on Linux; undo anything that may
  // have unmasked them (a library, a debugger setting).
  fedisableexcept(FE_ALL_EXCEPT);
#endif
}

int fpu_raised_slow() { return std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW); }

void fpu_clear() { std::feclearexcept(FE_ALL_EXCEPT); }

}  // namespace plat
