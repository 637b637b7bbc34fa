// The line compiler and run driver KOMPIL: the one door through which
// script text enters the compiler (TOKEN, LEXIK, TRANS) and through which a
// compiled program is run by the executor. After a run it carries out the
// statements that the executor hands back (the XEQ built-in; DLL, DIFFEQ
// and SOLVE) and shows the value of an immediate line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/fixed_text.h"

namespace core {

// The executor XEQ, supplied by the executor: runs code words from the
// first word given, xeqbuf(1) for the program (from statement `xeqline`)
// or tokcod(1) for one translated line closed by 0x8000. Absent, a run
// stops with "notYetBuilt".
inline void (*xeqstage)(std::span<const std::int16_t> code) = nullptr;
// One pass of the SOLVE iteration, supplied by the numerical built-ins:
// runs the model through the executor, leaves `xeqstop` not 0 when the pass
// failed and sets bit 1 of `solvedone` when the iteration has finished.
// Absent, a SOLVE handed back stops with "notYetBuilt".
inline void (*solverun)() = nullptr;
// The integration of a DIFFEQ statement, supplied by the numerical
// built-ins: runs once, leaves `xeqstop` not 0 when it failed. Absent, a
// DIFFEQ handed back stops with "notYetBuilt".
inline void (*oderun)() = nullptr;
// The DLL call that the executor hands back, supplied by the files and
// devices built-ins: carries out the call with the option table as the
// dispatch left it; leaves the result in z(iresult) and xeqstop 0, or a
// non-zero xeqstop on failure. Absent, the run stops with "notYetBuilt".
inline void (*dllstatement)() = nullptr;
// Releases the user libraries that scripts keep loaded; called when a
// script is closed (and at the end of a windowless run).
inline void (*freeuserdlls)() = nullptr;
// Editor services used while pasting: the clipboard text (at most the
// given number of characters) and the save of the edit buffer.
inline std::string (*clipboardtext)(std::int32_t most) = nullptr;
// The most characters of the clipboard a paste of lines takes.
inline constexpr std::int32_t pastemost = 32000;
inline void (*editsave)() = nullptr;
// Writes the value of an immediate line into the main window.
inline void (*showresult)(std::string_view text, std::int32_t digits, std::int32_t column,
                          std::int32_t row) = nullptr;
// Main window's width in characters (0 = unknown).
inline std::int32_t mainwidthchars = 0;

// Command-line area: the program's command line, carried from one store
// set-up to the next as the text of $CMD_LINE.
inline constexpr std::int32_t cmdlinesize = 1280;
inline plat::FixedText<cmdlinesize> cmdlinearea;
// Set when the program starts: the first set-up takes the command line
// from c1namen(1..1280), where the start-up left it.
inline bool cmdlinefirst = true;

// The shown value of an immediate line.
inline plat::FixedText<256> resulttext;
// The shared numeric work value of the translator and the executor.
inline double numwork = 0.0;

// The special names that every store set-up enters as symbols 1 to 11.
inline constexpr std::string_view specialnames = "$,$$,$R,$C,$1,$2,$CR,$LF,$CRLF,$TAB,$CMD_LINE,";
inline constexpr std::int32_t nspecial = 11;

// Compiles, splices or runs one line (see the callers' conditions in
// `xeqmode`, `edmode` and the editor's change flags). The text may be
// overwritten: a line that fails becomes the placeholder mark (byte 1, then
// the two bytes of 0x8420). An empty text only sets the local subroutine of
// the line compiled last.
void KOMPIL(std::span<char> text);

// Sets `lokalsub` (and `lokalscope`) for the line compiled last (the
// thirteenth editor word).
void INTERNAL_GETLOKALSUB();

// A statement that failed (`xeqstop` the error stop) with an error label
// (ERror=, in `nomsg`) that names no statement of the script: shows
// "labelSub?", sets its key and stops the run, as the driver does after a
// run; the caller is one that runs statements itself (a callback). False,
// and nothing changed, for any other outcome.
bool STOPATMISSINGLABEL();

// The statement of the error label `sym` (ERror=): the run goes on there
// after a failure of a statement that carries it. 0 when the symbol is no
// label of a statement of the script.
std::int32_t errorlabelline(std::int32_t sym);

// Start values of the driver's own words (the command line counts as not
// yet taken).
void reset_kompil();

}  // namespace core
