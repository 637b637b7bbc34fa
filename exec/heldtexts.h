// Temporary texts that outlive the statement in hand: those of statements
// whose evaluation waits while a function they reference or a subroutine
// they CALL runs (a text the statement made before the reference, a text
// passed as an actual, which its formal names in place). Every statement
// starts its own temporaries above the permanent texts (`c1top`) and above
// these (textbase()), so that the statements run meanwhile leave them as
// they were.
//
// A frame entered while its calling statement has texts above that line
// raises it to the statement's `c1tmptop` (holdtexts(), with the frame's
// stack base), and the return from that frame lowers it again
// (releasetexts()). A frame entered without texts to keep raises nothing,
// so that the common call costs one comparison at each end. Where every
// frame is dropped or a run starts afresh, nothing is held (droptexts()).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/stores.h"

namespace exec {

// The top of the texts held, 0 when none.
inline std::int32_t heldtexts = 0;
// The stack base of the innermost frame that raised it, 0 when none.
inline std::int32_t heldbase = 0;
// Each frame that raised it, innermost last: its stack base and the top
// held before.
struct HeldFrame {
  std::int32_t base = 0, below = 0;
};
inline std::vector<HeldFrame> heldframes;

// Where the temporaries of the statement in hand begin (`c1tmptop` at its
// start; the evaluator's area begins one further).
[[gnu::always_inline]] inline std::int32_t textbase() { return std::max(core::c1top, heldtexts); }

// The raise of holdtexts() and the lowering of releasetexts().
void holdmore(std::int32_t calleebase);
void releaseheld(std::int32_t b);

// A frame with stack base `calleebase` entered from the statement in hand.
[[gnu::always_inline]] inline void holdtexts(std::int32_t calleebase) {
  if (core::c1tmptop > textbase()) [[unlikely]]
    holdmore(calleebase);
}
// The return from the frame with stack base b (any frame above it was left
// without its return).
[[gnu::always_inline]] inline void releasetexts(std::int32_t b) {
  if (heldbase >= b) [[unlikely]]
    releaseheld(b);
}
// Nothing held.
void droptexts();

}  // namespace exec
