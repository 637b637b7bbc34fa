// Wires every subsystem's built-ins into the executor: the files and
// devices, script windows, plotting, text processing and numerical
// built-ins, the toolkit's clipboard for the clipboard built-ins and its
// colour routine behind RGB. The program entry and the test programs call
// it once at start.
#pragma once

namespace ide {

void install_all_builtins();

}  // namespace ide
