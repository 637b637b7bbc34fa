// Floating-point status after numeric work.
#include "core/chars.h"

namespace core {

void FPUERRORSUB(int& result) { result = FPUERROR(); }

}  // namespace core
