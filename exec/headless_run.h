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

// The script that a run hands over to (CHain): the first entry of the
// recent-files list, which the editor keeps. A run that ends with the stop
// word -6 is followed by this script: run_script closes the one that ran as
// when another is opened, then compiles and runs it.
inline std::string chainscript;

// Every store, run word and table of the compiler and the executor back to
// its start value, with the executor installed: ready for the next script.
// The help data file and the platform layer are left as they are.
void reset_interpreter();

// reset_interpreter(), and the platform layer (file units, windows, message
// boxes, drawing) and the help data file's index too.
void reset_all();

// Indexes the help data file at path; true when it could be indexed. The
// messages of the runs that follow name no action of the editor: where the
// editor's text would, a section of the windowless run says what happened.
bool prepare_run(std::string_view helpfile);

// Takes the program's command line (at most 1024 characters are kept) as
// the program's start does: the next compile gives it to $CMD_LINE.
void take_command_line(std::string_view cmdline);

// Compiles the script (lines may end with LF or CR LF); empty when it
// compiled, else "compile stop=<stop word> line=<line> key=<key of the
// first failed line's message>" and the compile error list of this compile
// ("TranslationErrors.txt" in the current folder; a list left there by an
// earlier compile is removed first). A failed first line, which leaves no
// program, is reported the same way.
std::string compile_script(std::string_view text);

// Runs the program that compile_script left, from its first statement;
// true when it ran to its end.
bool run_compiled();

// Compiles and runs the script; returns compile_script's report when the
// compile failed, else run_outcome().
std::string run_script(std::string_view text);

// One name=value line for each variable of the main program (texts quoted,
// arrays as a list in brackets), then "stop=" with the stop word and, when
// the run failed, the line and the message key. A NUL character of a text
// shows as "."; every other byte stands as it is. A name used with an index
// but never given storage is no variable and is left out.
std::string run_outcome();

// Exit status of the last compile_script and run: 0 when the program ran to
// its end (stop word -1), 1 when the compile or the run failed.
int run_status();

}  // namespace exec
