// The application's start routine and the end of the program: the folders,
// the setup file and the help data file are found, the main window is made
// with its menus, toolbar, status bar and callbacks, the fonts are made,
// the one-second timer starts, and the toolkit's message loop runs until
// the main window is gone.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/win_window.h"

namespace ide {

// Given the blank-padded command line (1024 characters) and its length.
// `exitstatus` is 2 afterwards when the program could not start.
void FE_MAIN(char* command_line, int& length);
// Finds the folders, reads the setup file's first line and finds and
// indexes the help data file; false when there is none (the user cancelled
// the question for it): the paths tried have been shown.
bool GOFURTHER(int mode);
// The main window's exit callback: closes the script; -1 lets it close.
int EXITOSTREL(win::HWND& window);
// Closes a window other than the main window.
void INTERNAL_KILL(win::HWND handle);

// Installs FE_MAIN and FE_CONTROL as the toolkit's application, and the
// IDE's status bar and font slots behind the built-ins.
void install_application();

// The program's data folder: a folder "data" holding Ostrel.hlp in the
// executable's folder or up to four folders above it (or the executable's
// folder itself when it holds Ostrel.hlp), else <prefix>/share/ostrel.
std::filesystem::path find_progdir(const std::filesystem::path& executable);
// The per-user folder of the setup file: $XDG_CONFIG_HOME/ostrel (else
// ~/.config/ostrel), made with mode 0700 when missing.
std::filesystem::path find_appdir();

// The help data file's size limits: a file must be larger than the first;
// one not larger than the second sends the search to the working folder.
inline constexpr std::int64_t helpminsize = 270000;
inline constexpr std::int64_t helpfallbacksize = 50000;

// Everything of the IDE, with the compiler's and the executor's stores and
// run words, back to its start, as a fresh process has it.
void reset_ide();

}  // namespace ide
