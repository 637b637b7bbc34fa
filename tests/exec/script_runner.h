// Runs a script as the RUN command does, without a display: the text goes
// into the edit buffer, the whole script is compiled and the program is run
// by the executor. The outcome is written as one name=value line for each
// variable of the main program, then, when the run failed, the stop word and
// the message key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scriptrun {

// Prepares fresh stores and run words and makes the current folder a
// temporary one; ended by finish().
void start();
void finish();

// Compiles and runs the script; returns the outcome as described above,
// after the lines the script wrote into its main window (as a windowless
// run writes them on the standard output).
std::string run(std::string_view text);
// The lines a READ from a window takes, as the standard input of a
// windowless run (none: the input has ended).
void input(std::string_view lines);

// The steps of run(): the whole-script compile (empty when it succeeded,
// else the stop word, the line and the error list) and the outcome.
std::string compile(std::string_view text);
std::string outcome();

// The code words of statement s, as hexadecimal numbers (for diagnosis).
std::string dump(std::int32_t s);

// Has `press` press the break key (Escape) once the run in this process has
// used cpu_ms of processor time, or once it has slept slept_ms (a run that
// waits uses no processor time), and again every 0.2 s after that, should
// the run clear it. Time spent waiting for a processor is neither: however
// loaded the machine, a run gets the break key at the same point of its
// work. For runs in a child process of their own.
void breakkeyafter(void (*press)(int), long cpu_ms, long slept_ms);

}  // namespace scriptrun
