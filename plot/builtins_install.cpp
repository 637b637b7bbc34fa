#include "plot/builtins_install.h"

#include "core/shoplists.h"
#include "exec/optdispatch.h"
#include "exec/postfix.h"
#include "exec/windowless.h"
#include "plot/axisstatement.h"
#include "plot/line.h"
#include "plot/printjob.h"

namespace plot {

void install_builtins() {
  exec::install_optroutine(core::OptStmt::AXIS, AXIS);
  exec::install_optroutine(core::OptStmt::LINE, LINE);
  exec::linelive = linelive;
  exec::CALLBACKLINE = CALLBACKLINE;
  exec::endprintjob = endopenjob;
}

}  // namespace plot
