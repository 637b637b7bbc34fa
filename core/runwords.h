// Run words and message words of the interpreter, shared by the compiler,
// the executor and every built-in. Global on purpose: every subsystem reads
// and writes them as the one state of the running program.
#pragma once

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

// Sets every word above to its start value.
void reset_runwords();

}  // namespace core
