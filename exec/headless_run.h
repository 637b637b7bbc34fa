// Running a whole script without a display, as the RUN command does: the
// text goes into the edit buffer, the whole script is compiled, and the
// program is run by the executor. Used by the script tests and by the
// program itself until the editor window takes over.
#pragma once

#include <string>
#include <string_view>

namespace exec {

// Closes the files a script opened; called when a run ends. Installed by
// the file statements (io/builtins_install.h); absent without them.
inline void (*closescriptfiles)() = nullptr;

// Every store, run word and table of the compiler and the executor back to
// its start value, with the executor installed: ready for the next script.
// The help data file and the platform layer are left as they are.
void reset_interpreter();

// reset_interpreter(), and the platform layer (file units, windows, message
// boxes, drawing) and the help data file's index too.
void reset_all();

// Indexes the help data file at path; true when it could be indexed.
bool prepare_run(std::string_view helpfile);

// Compiles the script (lines may end with LF or CR LF); empty when it compiled, else the stop word,
// the line and the contents of the compile error list.
std::string compile_script(std::string_view text);

// Runs the program that compile_script left, from its first statement;
// true when it ran to its end.
bool run_compiled();

// Compiles and runs the script; returns compile_script's report when the
// compile failed, else run_outcome().
std::string run_script(std::string_view text);

// One name=value line for each variable of the main program (texts quoted,
// arrays as a list in brackets), then "stop=" with the stop word and, when
// the run failed, the line and the message key.
std::string run_outcome();

}  // namespace exec
