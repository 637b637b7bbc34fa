// Script statements run as a callback of a numerical built-in (the model of
// SOLVE, the right-hand side of DIFFEQ): the run driver has taken the
// built-in's statement back from the executor, and the built-in runs the
// script from one of its statements in callback mode until that run stops.
#pragma once

#include <cstdint>
#include <string_view>

namespace exec {

struct CallbackRun {
  // The stop word: -3 when the run reached RETURN of its level or a SOLVE
  // statement (which cannot run inside a callback), -1 at END, -4 after
  // Escape, 0x7FFF after an error (already shown), and so on.
  std::int32_t stop = 0;
  // With -3: the value on top of the operand stack (for a SOLVE statement
  // met, the value of its first option), else 0.
  double value = 0.0;
};

// Runs the program from statement `line` with the run-mode bits 0x20 and
// 0x04 added. `xeqline`, `xeqmode` and the operand stack are as before
// afterwards; `xeqstop` keeps the stop word for the caller to clear. With
// `quietfloat` a calculation that fails (a division by zero, a result too
// large) ends the run with the error stop word and its key in `msgkey` but
// shows no message: the caller decides what the failure means.
CallbackRun runcallback(std::int32_t line, bool quietfloat = false);

// A run of script statements that the run driver is busy with (a callback,
// the text of XEQ) stopped at a statement that the driver would carry out
// when handed back (DIFFEQ, DLL, SOLVE, XEQ): there it cannot, and the
// statement fails at its own line with the message of `key` (none shown when
// an error label takes the failure). False when no statement was handed back.
bool refusehandback(std::string_view key);

// Set while a run started with `quietfloat` goes on.
inline bool quietfloatfailures = false;

}  // namespace exec
