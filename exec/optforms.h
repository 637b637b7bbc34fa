// Replayed option statements. An option statement that stands alone and
// whose options and items are plain variables and constants (numbers and
// texts) is read once from its words into the list that the dispatch takes
// (keyword and value pairs, then the items) and run from that list while
// its words and the types of its symbols stay the same, without linking and
// evaluating the statement anew. The stores, the result cells and the run
// words are left as the general path leaves them; any statement of another
// shape, or one run in single steps, takes the general path.
#pragma once

#include <cstdint>
#include <span>

namespace exec::optforms {

// Whether statement `xeqline` has a form that can run now. `words` are the
// statement's words as the evaluator's linking takes them (from its second
// word up to its end word).
bool ready(std::span<const std::int16_t> words);
// Runs the statement whose form ready() just accepted; returns what the
// evaluator's linking and evaluation would (XEQ2).
std::int32_t run();

// Forgets every form.
void reset();

// The forms of statements first to last look at their operands' types
// again (a formal named there was bound to another type).
void retyped(std::int32_t first, std::int32_t last);

}  // namespace exec::optforms
