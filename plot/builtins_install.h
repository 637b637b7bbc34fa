// Puts this subsystem's built-ins into the executor's option dispatch and
// hooks. Called once when the program starts; calling it again does no harm.
#pragma once

namespace plot {

void install_builtins();

}  // namespace plot
