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

#include "exec/xeq.h"

namespace exec::optforms {

// Whether statement `xeqline` has a form that can run now. `words` are the
// statement's words as the evaluator's linking takes them (from its second
// word up to its end word).
bool ready(std::span<const std::int16_t> words);
// Runs the statement whose form ready() just accepted; returns what the
// evaluator's linking and evaluation would (XEQ2).
std::int32_t run();

// What transfer() did with statement `xeqline`.
enum class Xfer : std::uint8_t {
  none,      // it has no transfer program that runs now: nothing was changed
  ran,       // it ran through its end step: the next statement's loop test is next
  handed,    // its transfer failed: the general path, at once, makes its report
  looptest,  // it ran and stopped the run or went elsewhere: the loop test is next
  word,      // it ran; the loop takes `answer` as a word's answer
};
// A READ or WRITE whose form has a transfer program, run by it from the
// loop's head to its end step (or a statement whose built-in runs no script
// code and waits for nothing, EDIT, SORT or INTPOL, run from its list) as the statement loop runs it (the head, the
// expression path's steps, the replay and the epilogue), when nothing in
// the loop's state asks for more; only while the loop test before it would
// find nothing to do. code: the program's words.
// clear: transferclear() has just accepted the statement.
Xfer transfer(std::span<const std::int16_t> code, WordResult& answer, bool clear = false);
// Whether statement line, which transferable() accepted, runs by its
// program now: nothing in the loop's state asks for more (transfer()
// then changes the run words before the program can decline).
bool transferclear(std::int32_t line);
// Whether statement line has a transfer program that transfer() finds
// without the program's words: its form was made and looked at in this
// run, for the types as they stand.
bool transferable(std::int32_t line);

// Forgets every form.
void reset();

// The forms of statements first to last look at their operands' types
// again (a formal named there was bound to another type).
void retyped(std::int32_t first, std::int32_t last);

}  // namespace exec::optforms
