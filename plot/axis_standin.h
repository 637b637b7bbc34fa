// The mouse position in axis units, until the curve routines come: a
// mouse position is converted into no axis's units.
#pragma once

#include <cstdint>

namespace plot {

// Stores the mouse position in the units of axis k (1 to 8) into the
// script variables AXIS bound.
inline void MAUSED(std::int32_t) {}

}  // namespace plot
