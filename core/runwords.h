// Run words and message words of the interpreter, shared by the compiler,
// the executor and every built-in. Global on purpose: every subsystem reads
// and writes them as the one state of the running program.
#pragma once

#include <array>
#include <cstdint>

#include "core/codewords.h"
#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace core {

// Stop word of the compiler stages and the executor: 0 while running, else
// one of the `stops` below, or a positive error number of its own (the
// ALIAS checks, the expression translator).
inline std::int32_t xeqstop = 0;

// The stop codes of `xeqstop`. A positive stop is a failure; a negative one
// ends or suspends the run without one.
namespace stops {
inline constexpr std::int32_t end = -1;         // END, end of the script, or the stop line reached
inline constexpr std::int32_t command = -2;     // a pending command: the run waits for events
inline constexpr std::int32_t returned = -3;    // RETURN from the main program or the model's end
inline constexpr std::int32_t broken = -4;      // Escape, or one step done
inline constexpr std::int32_t chain = -6;       // CHain: another script takes over
inline constexpr std::int32_t callback = -7;    // returned from a window's callback subroutine
inline constexpr std::int32_t grown = -998;     // a store was grown: the statement runs again
                                                // (the compile driver gives up on the line)
inline constexpr std::int32_t quit = -999;      // quit asked for
inline constexpr std::int32_t retry = -999;     // a compile stage or option statement grew a
                                                // store or made an array: run the line again
inline constexpr std::int32_t quietend = 63;    // ends a run without the failure path
inline constexpr std::int32_t cancel = 120;     // the user chose Cancel in a message
inline constexpr std::int32_t error = 0x7FFF;   // the line or statement failed
// A statement that the executor hands back to the run driver stops it with
// its code word, kept as its unsigned 16 bits.
constexpr std::int32_t handback(std::int16_t code) { return static_cast<std::int32_t>(cwu(code)); }
inline constexpr std::int32_t dll = handback(builtincode("DLL"));
inline constexpr std::int32_t diffeq = handback(builtincode("DIFFEQ"));
inline constexpr std::int32_t solve = handback(builtincode("SOLVE"));
inline constexpr std::int32_t xeq = handback(builtincode("XEQ"));
// Callers tell failures from the other stops by the sign alone, and a
// handed-back statement from a failure by its code.
static_assert(end < 0 && command < 0 && returned < 0 && broken < 0 && chain < 0 &&
              callback < 0 && grown < 0 && quit < 0);
static_assert(quietend > 0 && cancel > 0 && error > 0);
static_assert(dll > error && diffeq > error && solve > error && xeq > error);
}  // namespace stops
// The stop word as the 16-bit word that it is: a handed-back statement
// reads as its code word.
inline std::int16_t stopword() { return static_cast<std::int16_t>(xeqstop & 0xFFFF); }

// Pending command of the IDE, or the number of a fired alarm.
inline std::int32_t idecmd = 0;
// Run mode flags: the `runmode` bits below.
inline std::int32_t xeqmode = 0;
namespace runmode {
// The run waits in a window or dialog for an event (also: an event handler
// was interrupted by a window's table procedure).
inline constexpr std::int32_t suspended = 0x2;
// Run on after a statement; without it one statement runs (a step).
inline constexpr std::int32_t running = 0x4;
// The script is compiled for this run; the one bit that every stop keeps.
inline constexpr std::int32_t compiled = 0x8;
// Trace, or immediate mode: a statement run while a run is paused.
inline constexpr std::int32_t trace = 0x10;
// A run called back by SOLVE or DIFFEQ: RETURN or END of the called part,
// Escape and a floating-point error go back to the caller.
inline constexpr std::int32_t callback = 0x20;
// One translated statement (in `tokcod`), run once.
inline constexpr std::int32_t single = 0x40;
// The stores are set up for this compile run; the statement translator
// then shows no failure message of its own.
inline constexpr std::int32_t storesready = 0x100;
// The quiet compile of the editor's context help and typing assistant.
inline constexpr std::int32_t analysis = 0x200;
// The bits that a subroutine call keeps in its frame.
inline constexpr std::int32_t framebits = 0x7F;
}  // namespace runmode
// Busy bits of the active layers: the `busy` bits below.
inline std::int32_t idestate = 0;
namespace busy {
inline constexpr std::int32_t closing = 0x1;        // a window is being closed
inline constexpr std::int32_t editor = 0x2;         // the editor is open
inline constexpr std::int32_t compiling = 0x4;      // a compile or the XEQ built-in's text runs
inline constexpr std::int32_t command = 0x10;       // the command phase of the command handler
inline constexpr std::int32_t lineinput = 0x20;     // a line-input field is open
inline constexpr std::int32_t dispatching = 0x80;   // DISPATCH runs (and so during a whole run)
inline constexpr std::int32_t dialogbuild = 0x100;  // a dialog is being built
inline constexpr std::int32_t windowread = 0x200;   // a script's READ from a window waits
// While any of these is set, events are only recorded.
inline constexpr std::int32_t nodispatch = closing | dispatching | dialogbuild;
}  // namespace busy
// Key of the message that goes with a failure, blank when none.
inline plat::FixedText<16> msgkey;
// Key of the last message shown by its key (HELP, MSGBOXFROMHELP). The
// executor blanks it as each statement starts, so that a statement that
// failed with a message of its own (a built-in that shows its failure and
// blanks `msgkey`) is still named by that message's key when the run ends.
inline plat::FixedText<16> shownkey;
// Detail text shown with the pending message key.
inline plat::FixedText<256> failedline;
// Note on the line being compiled.
inline plat::FixedText<64> compnote;
// The four 16-bit message value words that go with a message: word 0 (the
// status word iostatw itself) the statement number or an I/O status, word 1
// an error number, then the option position and the origin. Messages shown
// by key get them as their 16-bit values.
inline std::array<std::int16_t, 4> iostatw{};

// Words shared by the compiler stages, the run driver and the executor.
// Number of statements of the compiled program (one per script line).
inline std::int32_t nstmt = 0;
// Number of translated words of the line in tokcod(1..ntrans).
inline std::int32_t ntrans = 0;
// 0, or the symbol of the error label that a failing statement resumes at.
inline std::int32_t nomsg = 0;
// Index in `z` of the result cell of the built-in being executed.
inline std::int32_t iresult = 0;
// Operand index of the variable that receives a built-in's result.
inline std::int32_t xeqtarget = 0;
// The executor's copy of `xeqmode`.
inline std::int32_t xeqmodesave = 0;
// First and last position in `c1namen` of the text that the XEQ built-in
// hands to the run driver.
inline std::array<std::int32_t, 2> xeqspan{};
// Symbol that receives the result of a DLL call, below 1 none.
inline std::int32_t dllresult = 0;
// The SOLVE iteration as the run driver and the statement share it: the
// pass counter (0 while no iteration is under way) and its limit, the done
// flag (bit 1: the iteration has finished), and the statement at which the
// model begins (0 while no iteration is armed).
inline std::int32_t solveiter = 0;
inline std::int32_t solvemaxiter = 1000;
inline std::int32_t solvedone = 0;
inline std::int32_t modelstart = 0;
// The input step's copy of the last key record: character, scan code,
// modifier bits, scan class (scan code 59 is F1).
inline std::array<std::uint8_t, 4> keystate{};
// The record of the last key: character, scan code (1 Escape, 59 F1, F2 to
// F9 0x3C to 0x43), modifier bits, scan class. Its scan-code byte is set to
// 1 while a command or fired alarm is pending; waiting built-ins poll it.
inline std::array<std::uint8_t, 4> keyrec{};
// The words of the last key that the KEY built-in reports: `keykept` the
// last key record (character code in the low byte, scan code in the second,
// scan class in the high byte), written by the input step when a key
// arrives during a run; `keyreported` the record KEY reported last;
// `keyscan` the scan code of the last key down; `mousebtn` the last mouse
// button event. KEY clears them all: a key is reported once.
inline std::int32_t keykept = 0;
inline std::int32_t keyreported = 0;
inline std::int32_t keyscan = 0;
inline std::int32_t mousebtn = 0;

// The editor's 25 state words, fields 1 to 25 (the editor keeps them
// together and saves them with the script's working copy).
inline plat::Store1<std::int32_t> edvars(25);
// Fields of `edvars` that the compiler and the run driver use.
namespace edv {
inline constexpr int chg = 1;         // change flags: 1 changed, 0x20 deleted, 0x40 inserted,
                                      // 0x80 replaced
inline constexpr int handline = 2;    // the line the command handler takes next
inline constexpr int digits = 6;      // digits of a shown value
inline constexpr int loadline = 13;   // line compiled last
inline constexpr int curline = 14;    // current line
inline constexpr int leftcol = 16;    // first text column shown
inline constexpr int toprow = 17;     // row of the first shown line
inline constexpr int width = 18;      // characters written per row
inline constexpr int firstline = 20;  // first line shown
inline constexpr int flags = 21;      // run and editing switches (`edflags`)
inline constexpr int readstate = 23;  // 0 after a good read of the script, -1 after a failed one
inline constexpr int mode = 24;       // editor mode (`edmode`)
}  // namespace edv
// Field 21, `edflags`: bit 0x20 a whole-script compile met an error, bit 8
// the first-line test, bit 0x1000 silences the compiler's own messages,
// bit 4 shows the value of an immediate line.
inline std::int32_t& edflags = edvars[edv::flags];
// Field 24, `edmode`: 12, 13, or 14 while a whole-script compile runs.
inline std::int32_t& edmode = edvars[edv::mode];
// `edmode` after a run stopped or drew a plot: the editor brings the
// cursor line back into view without drawing over the rest.
inline constexpr std::int32_t edmodeshowline = 12;
// The editor's line mark; 0x3FFFFFFF asks for the error marks to be shown.
inline std::int32_t edmark = 0;
inline constexpr std::int32_t edmarkall = 0x3FFFFFFF;

// Sets every word above to its start value.
void reset_runwords();

}  // namespace core
