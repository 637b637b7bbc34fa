// The storage that ALLOCATE gives an array or a text.
//
// Element storage of arrays lies in the top block of `z`, which grows
// downward from `nz` (`nztop` its lowest used cell); the texts of character
// variables lie at the top end of `c1namen`, growing downward from there
// (`c1limit` their first character). ALLOCATE takes new storage at that
// free end. When the old storage of the array or text is the block at the
// free end and nothing else lies in it (no other array, view, formal,
// label, text or name), the new storage takes its place instead, ending
// where the old one ended: a loop that grows one array or one text then
// moves only the old elements at each pass, and the store does not fill up
// with the storage left behind. A store that must grow for it grows by as
// much again as its part in use, so that its copies, too, cost about what
// the passes move.
#pragma once

#include <cstdint>

namespace exec {

// Gives numeric array s storage for n elements (rows times columns): the
// old elements first, in storage order, the rest 0.0; the array's address
// is set, its shape is left to the caller. False when `z` could not grow
// (the statement stops with the store's key).
bool allocatecells(std::int32_t s, std::int32_t n);

// Gives character variable s a text of n characters: its old text first,
// then blanks; the variable's bounds are set. False when `c1namen` could
// not grow.
bool allocatetext(std::int32_t s, std::int32_t n);

}  // namespace exec
