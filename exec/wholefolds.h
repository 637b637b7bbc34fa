// Folds over whole arrays on the word path. SUM, MAX, MIN, MAXLOC and
// MINLOC of one argument whose words take whole arrays element by element
// (SUM(X + F(0)), a statement that a function reference sends word by
// word) run that argument once for each element: its arrays' vectorisation
// words take the fold's own running element instead of the statement's
// pass (`$`), the argument's words run again from their first one until
// the first array's elements are used up, and the fold then folds the
// values as it folds an array's. An array shorter than that first one
// gives 0 for the elements it lacks. A range of an array's elements
// (SUM(Y(2:3)) + F(0)) runs so too, one element of the range each time,
// and the fold ends with the range's last element. A fold inside such an argument runs
// so within each element of the fold around it; the statement's other
// arrays still take the element of its pass.
//
// Which fold an array's vectorisation word belongs to is read from the
// statement's words where they run: the innermost fold of one argument
// whose argument's words hold it. A fold under way is known by the frame
// it runs in and its word's position; a statement that starts, or runs
// again, in a frame forgets those of its frame and of the frames above.
#pragma once

#include <cstdint>
#include <vector>

#include "exec/xeq.h"

namespace exec::wholefold {

// For the vectorisation word at `wordpos`, the array on top of the stack:
// when the word lies in the argument of such a fold, puts the fold's
// running element of the array in its place and answers true, with the
// word's answer in r. False: the statement's pass decides (the caller
// does what it does without folds).
bool element(WordResult& r);

// For a range of an array's elements (`count` of them) whose word is at
// `wordpos`: when it lies in the argument of such a fold, the fold's
// running element, 0 when it does not (the statement's pass decides). The
// fold runs over no more elements than the range has.
std::int64_t rangeelement(std::int64_t count);

// What a fold word at `wordpos` of one argument does with it.
enum class Step {
  none,   // no fold over whole arrays runs there: the argument is folded as it stands
  again,  // its value was taken; the argument runs for the next element from `wordpos`
  done,   // the last element's value was taken; `values` holds them all, in order
};
Step next(std::vector<double>& values);

// A fold over whole arrays of the statement in hand runs the word at
// `wordpos` for one of its elements (the word lies in its argument).
bool within();

// (drop(), in exec/xeq.h, forgets those of a frame and the frames above.)

}  // namespace exec::wholefold
