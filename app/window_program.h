// The program with a display: what `ostrel` does with every command line
// that is not a windowless run.
#pragma once

#include <string>

namespace app {

// Opens the display that DISPLAY names, shows the program's window and
// takes its messages until it closes. Returns the exit status: 0 after the
// window closed; 2 when there is no display ("ostrel: no display (DISPLAY
// is not set); to run a script without one: ostrel RUN=script.ost") or it
// cannot be opened ("ostrel: cannot open display NAME"), the message going
// to standard error.
int run_window_program(const std::string& cmdline);

// The script the command line names: its first word holding a "." (a word
// in double quotes may hold blanks; the quotes go), else "untitled".
std::string first_script_name(const std::string& cmdline);

}  // namespace app
