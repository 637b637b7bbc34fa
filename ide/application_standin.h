// The application's start and event routines as the toolkit calls them,
// until the IDE shell brings its own: the start routine makes the main
// window, titled by the script the command line names, and takes its
// messages until it closes; the event routine handles nothing, so the
// toolkit's defaults run; closing the main window is never refused.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace ide {

void FE_MAIN(char* command_line, int& length);
int FE_CONTROL(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam);
// The main window's close callback.
int EXITOSTREL(win::HWND& window);

// Installs FE_MAIN and FE_CONTROL as the toolkit's application.
void install_application();

// The script the command line names: its first word holding a "." (a word
// in double quotes may hold blanks; the quotes go), else "untitled".
std::string first_script_name(const std::string& cmdline);

}  // namespace ide
