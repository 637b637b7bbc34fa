// Puts this subsystem's built-ins into the executor's option dispatch and
// hooks, with their settings at their start values. Called once when the
// program starts; calling it again does no harm.
#pragma once

namespace numeric {

void install_builtins();

// Start values of the settings that stay in force from one statement (and
// run) to the next: the root threshold, SOLVE's state and DIFFEQ's
// integration.
void reset_numeric();

}  // namespace numeric
