#include "plot/builtins_install.h"

namespace plot {

void install_builtins() {}

}  // namespace plot
