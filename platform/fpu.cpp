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

int fpu_take_status() {
  // Only zero-divide and overflow are ever reported, so the flags need
  // clearing only when one of them is up: clearing costs far more than
  // testing, and the executor asks after every statement.
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW);
  if (raised == 0) return 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  int status = 0;
  if (raised & FE_DIVBYZERO) status |= fpu_zerodivide;
  if (raised & FE_OVERFLOW) status |= fpu_overflow;
  return status;
}

}  // namespace plat
