// Run words and message words of the interpreter, shared by the compiler,
// the executor and every built-in. Global on purpose: every subsystem reads
// and writes them as the one state of the running program.
#pragma once

#include <array>
#include <cstdint>

#include "platform/fixed_text.h"

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
// Key of the message that goes with a failure, blank when none.
inline plat::FixedText<16> msgkey;
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
// The executor's copy of `xeqmode`.
inline std::int32_t xeqmodesave = 0;
// First and last position in `c1namen` of the text that the XEQ built-in
// hands to the run driver.
inline std::array<std::int32_t, 2> xeqspan{};
// Symbol that receives the result of a DLL call, below 1 none.
inline std::int32_t dllresult = 0;
// The editor's flag word (its twenty-first state word): while bit 0x20 or
// 0x1000 is set the compiler stages show no messages of their own.
inline std::int32_t edflags = 0;
// The input step's copy of the last key record: character, scan code,
// modifier bits, scan class (scan code 59 is F1).
inline std::array<std::uint8_t, 4> keystate{};

// Sets every word above to its start value.
void reset_runwords();

}  // namespace core
