// Built-in functions of the word path: the numeric functions, the text
// functions on the bounds of their argument, the functions over an array,
// a string or a list of numbers, and the built-ins that call out (LOG, RAN,
// RGB, INDEX, INIT, ALARM, APPENDIX, ALLOCATE, XEQ). The same functions
// inside expressions belong to the expression evaluator and to
// exec/varkommas.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/messages.h"
#include "exec/xeq.h"
#include "platform/indexed.h"

namespace exec {

// The colour palette of scripts: a colour argument 0 to 31 indexes it;
// RGB writes slots 24 to 31. Entries are colour values 0x00BBGGRR.
inline plat::Store0<std::uint32_t> rgbtab(32);

// Rows and columns of the array of the last element word, for the
// built-in that follows it.
inline std::int32_t elemrows = 0;
inline std::int32_t elemcols = 0;

// The lock character of the line input, set by LOCK.
inline char lockchar = ' ';

// Built-in functions that the numerical built-ins supply (absent, the
// statement stops with "notYetBuilt"). Both get their operands as the
// stack holds them (symbol indices, the one written first first).
// ROOTS: returns the function's value.
inline double (*ROOTS)(std::span<const std::int32_t> operands) = nullptr;
// FUZ: value null, the function's value; otherwise FUZ is the target of an
// assignment and value points to the number assigned. Writes the result
// into z(iresult); false with the key in `msgkey` when it failed.
inline bool (*FUZZY)(std::span<const std::int32_t> operands, const double* value) = nullptr;
// BEEP, which the sound output supplies: returns the function's value; a
// failure leaves a non-zero `iostatw` (the statement then stops with
// "rdwrErK").
inline double (*MUSICALL)(std::span<const std::int32_t> operands) = nullptr;

// The `win` built-in, which the script dialogs supply (absent, the
// statement stops with "notYetBuilt"): gets its operands as the stack holds
// them and writes the function's value into z(iresult); a failure leaves
// its key in `msgkey` or a positive `xeqstop`.
inline void (*WINFUNCTION)(std::span<const std::int32_t> operands) = nullptr;
// Serves the link request a click in a dialog left (command 21059): the
// dialog it asks for is shown between statements.
inline void (*WINLINKREQUEST)() = nullptr;

// Arguments beyond the first of a built-in word: its count field less the
// count that the built-in's own code carries (MAX, MIN, MOD, IAND, IEOR
// and IOR carry 1).
std::int32_t builtinextra(std::int16_t word);

// Whether built-in word `word` is a function of one or two numbers (ABS,
// MOD, ...) that BUILTINWORD computes from its arguments' values alone;
// `nargs` receives its count. numericvalue computes it (a the first
// argument, b the last; for one argument both are it) as BUILTINWORD does.
bool numericbuiltin(std::int16_t word, std::int32_t& nargs);
bool numericvalue(std::int16_t word, std::int32_t nargs, double a, double b, double& r);
// Whether built-in word `word` is MAX, MIN, SUM, MAXLOC or MINLOC (`nargs`
// receives its count), which BUILTINWORD folds over its arguments' values
// where the last is a number (not an array nor a text); foldvalue computes
// it from the values, in the arguments' order, as BUILTINWORD does.
bool foldbuiltin(std::int16_t word, std::int32_t& nargs);
double foldvalue(std::int16_t word, const double* values, std::int32_t nargs);
// Either of the two: a built-in that the fast path computes from numbers.
inline bool builtinargs(std::int16_t word, std::int32_t& nargs) {
  return numericbuiltin(word, nargs) || foldbuiltin(word, nargs);
}

// Handles one built-in function word (W AND 0xE000 = 0xC000) of the word
// path (the loop's `builtinwords`).
WordResult BUILTINWORD(std::int16_t word);

// The colour value of red, green and blue components 0 to 255: the
// toolkit's colour routine, which the program installs at start-up
// (ide::install_all_builtins); until then the components composed as they
// are.
inline std::uint32_t (*MAKE_COLOR)(std::int32_t r, std::int32_t g, std::int32_t b) = nullptr;

// Start values of the palette and this file's words.
void reset_builtins();

}  // namespace exec
