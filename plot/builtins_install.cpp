#include "plot/builtins_install.h"

#include "core/shoplists.h"
#include "exec/optdispatch.h"
#include "plot/axisstatement.h"

namespace plot {

void install_builtins() { exec::install_optroutine(core::OptStmt::AXIS, AXIS); }

}  // namespace plot
