// Puts this subsystem's built-ins into the executor's option dispatch and
// hooks. Called once when the program starts; calling it again does no harm.
#pragma once

namespace ui {

void install_builtins();
// The entries of the dialog print (plot::upcalls): control records and
// table pages.
void install_tableprint();

}  // namespace ui
