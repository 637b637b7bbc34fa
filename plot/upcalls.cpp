#include "plot/upcalls.h"

#include "core/messages.h"
#include "core/runwords.h"

namespace plot {

void upcallmissing() {
  core::msgkey.set(core::MSGKEY("notYetBuilt"));
  core::xeqstop = 0x7FFF;
}

}  // namespace plot
