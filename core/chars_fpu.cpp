// Floating-point status after numeric work.
#include "core/chars.h"
#include "platform/fpu.h"

namespace core {

int FPUERROR(int /*mode*/) {
  // Exceptions masked and rounding to nearest, once per thread: the status
  // is per thread too.
  thread_local bool masked = false;
  if (!masked) {
    plat::fpu_mask_all();
    masked = true;
  }
  return plat::fpu_take_status();
}

void FPUERRORSUB(int& result) { result = FPUERROR(); }

}  // namespace core
