// The program with a display: what `ostrel` does with every command line
// that is not a windowless run.
#pragma once

#include <string>

namespace app {

// Opens the display that DISPLAY names and enters the toolkit's program
// entry with the command line: the application makes its main window and
// takes its messages until it closes. Returns the exit status: 0 after the
// main window closed; 2 when the help data file was not found (the
// application has said where it looked) or there is no display ("ostrel: no display
// (DISPLAY is not set); to run a script without one: ostrel RUN=script.ost")
// or it cannot be opened ("ostrel: cannot open display NAME"), the message
// going to standard error.
int run_window_program(const std::string& cmdline);

}  // namespace app
