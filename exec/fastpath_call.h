// A function reference run in one step (exec/fastpath_call.cpp). Internal
// to the fast path.
#pragma once

#include <cstdint>
#include <vector>

#include "exec/fastpath_form.h"

namespace exec::fast {

// Runs the function reference w (its function and arguments on the operand
// stack) in one step when the function is one assignment to its value and
// END, both with checked forms, and nothing between could stop, fail or be
// seen; the stores and run words are then as the general path leaves them
// after the return, with `wordpos` on the word after w. False when the
// general path must run it; nothing was changed then.
bool inlinecall(std::int16_t w, const std::vector<Form>& forms);

}  // namespace exec::fast
