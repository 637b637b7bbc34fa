// Run words and message words of the interpreter, shared by the compiler,
// the executor and every built-in. Global on purpose: every subsystem reads
// and writes them as the one state of the running program.
#pragma once

#include <array>
#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace core {

// Stop word of the compiler stages and the executor: 0 running, -1 end,
// -4 break or step, -999 quit (or: grow a store and retry), 120 cancel,
// 0x7FFF error.
inline std::int32_t xeqstop = 0;
// Pending command of the IDE, or the number of a fired alarm.
inline std::int32_t idecmd = 0;
// Run mode flags.
inline std::int32_t xeqmode = 0;
// Busy bits of the active layers.
inline std::int32_t idestate = 0;
// The busy bits that the floors below the IDE read: a line input field is
// open, a READ from a window waits for its line.
namespace busybits {
inline constexpr std::int32_t lineinput = 0x20;
inline constexpr std::int32_t windowread = 0x200;
}  // namespace busybits
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
// The editor's line mark; 0x3FFFFFFF asks for the error marks to be shown.
inline std::int32_t edmark = 0;
inline constexpr std::int32_t edmarkall = 0x3FFFFFFF;

// Sets every word above to its start value.
void reset_runwords();

}  // namespace core
