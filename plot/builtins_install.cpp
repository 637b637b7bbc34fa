#include "plot/builtins_install.h"

#include "exec/windowless.h"
#include "plot/printjob.h"

namespace plot {

void install_builtins() { exec::endprintjob = endopenjob; }

}  // namespace plot
