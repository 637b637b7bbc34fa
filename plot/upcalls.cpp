#include "plot/upcalls.h"

#include "core/messages.h"
#include "core/runwords.h"

namespace plot {

void upcallmissing() {
  core::msgkey.set(core::MSGKEY("notYetBuilt"));
  core::xeqstop = core::stops::error;
}

}  // namespace plot
