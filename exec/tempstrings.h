// Temporary strings: string results that live only while one statement is
// evaluated (a concatenation, a substring copy, a number written as text).
// They lie in the free part of `c1namen` above the permanent texts and are
// described by four small tables indexed by a temporary number 1 to 31; on
// the evaluator's stack a temporary is written as minus its number. The same
// tables describe the operands of a statement (exec/xeq2.h): descriptor and
// temporary numbers share one counter.
#pragma once

#include <cstdint>

#include "core/runwords.h"
#include "platform/indexed.h"

namespace exec {

// Numbers 1 to 31 name temporaries; entry 0 of `tmporig` is `tmptop`.
inline constexpr std::int32_t ntemps = 31;
inline plat::Store0<std::int32_t> tmporig(ntemps + 1);  // first position when made
inline plat::Store0<std::int32_t> tmpsym(ntemps + 1);   // the cell that holds it
inline plat::Store0<std::int32_t> tmpend(ntemps + 1);   // last position in `c1namen`
inline plat::Store0<std::int32_t> tmpbeg(ntemps + 1);   // first position in `c1namen`
// Next free position of the temporary area.
inline std::int32_t& tmptop() { return tmporig(0); }

// Results of MAKETEMPSTRING and COPYTEMPSTRING.
inline constexpr std::int32_t tempmade = 0;
inline constexpr std::int32_t tempgrown = core::stops::grown;  // store grown: run it again
inline constexpr std::int32_t tempoverrun = 2002;  // number beyond 31 or a bad cell
inline constexpr std::int32_t tempnostore = core::stops::error;  // `c1namen` could not grow

// Makes temporary |number| of the given length for the cell: its positions
// are blanked, the cell's `z` value holds them (first, last) and its type
// becomes 0x48. When the area is full, `c1namen` grows by the larger of the
// length and 64000, `xeqstop` becomes -998 and nothing is made (when it
// cannot grow, `tempnostore` with the store's key in `msgkey`). A number
// outside 1..31 or a cell outside the stores makes nothing (`tempoverrun`).
std::int32_t MAKETEMPSTRING(std::int32_t cell, std::int32_t length, std::int32_t number);

// Makes temporary `ndescr` + 1 for the cell holding a copy of `c1namen`
// positions first..last (copied through a buffer, so an overlapping source
// stays intact). Does not raise `ndescr`.
std::int32_t COPYTEMPSTRING(std::int32_t first, std::int32_t last, std::int32_t cell);

// Empties the temporary area: `tmptop` = `c1tmptop` + 1 and `tmplen` = 0.
void starttempstrings();

// Clears the tables.
void reset_tempstrings();

}  // namespace exec
