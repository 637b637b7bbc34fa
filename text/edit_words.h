// The word lists of EDIT: the words of a text cut out, sorted and marked,
// and the two routines that turn them into output (edit_lexicon.cpp).
#pragma once

#include <cstdint>
#include <string_view>

#include "text/edit_state.h"
#include "text/invidx.h"

namespace text {

// A character variable that may be written (no constant, no temporary).
bool writabletext(std::int32_t v, Span& s);
// A numeric array: its first cell in `z` and its number of cells.
bool arraycells(std::int32_t v, std::int32_t& adr, std::int32_t& cells);
// The array of a whole-array assignment: the executor names the array, or
// the cell of the element it is at (element receives its number).
bool arraytarget(std::int32_t t, std::int32_t& adr, std::int32_t& cells, std::int32_t& element,
                 std::int32_t& sym);

// The next word of text from index p on (separators: the first count of
// seps, or the blank alone when count is 0): b and e bound it (e one past
// its end) and p moves behind it. False when no word is left.
bool nextword(std::string_view text, std::size_t& p, std::size_t& b, std::size_t& e,
              std::string_view seps, std::int32_t count);

// Looks the words of the text from the position up in the lexicon and
// writes what it found into the statement's target by the target's kind
// (text, numeric scalar, numeric array). False when the statement has no
// such target: nothing is done.
bool EVALUATE_LEXICON(EditState& e, std::string_view lexicon, std::int32_t mask);

// Writes the words in the order of the sorted list (or of the values of
// array `fromvar`) into the text targets of the statement: the receiving
// variable, the sort option's own text variable `own` and the variables of
// CoPyto and APpendTo; the edited text itself when there is none. distinct:
// only the last word of each run of equal words. countslot: the slot of a
// numeric array that receives the number of entries of each distinct word.
void MAKELEXFROMIDXVEC(EditState& e, const WordList& w, std::int32_t own, bool distinct,
                       std::int32_t countslot, std::int32_t fromvar);

}  // namespace text
