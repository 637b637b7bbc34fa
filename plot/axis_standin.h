// The plot axes as the IDE's mouse routine meets them, until plotting
// comes: the windows of the eight axes (none yet) and the conversion of a
// mouse position into the axis's units (nothing to convert).
#pragma once

#include <array>
#include <cstdint>

#include "platform/win_window.h"

namespace plot {

inline std::array<win::HWND, 8> axiswindows{};

// Stores the mouse position in the units of axis k (1 to 8) into the
// script variables AXIS bound.
inline void MAUSED(std::int32_t) {}

}  // namespace plot
