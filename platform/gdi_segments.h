// Many short lines drawn at once with the current pen, as a grid's pieces
// are: each from its first end (drawn) to its second (left out), exactly as
// one line after another would draw them; lines along rows and columns are
// written with the pixels opened once. The current position stays.
#pragma once

#include <cstddef>

#include "platform/win_gdi.h"

namespace plat {

// `ends` holds 2 * segments points, the two ends of each line in turn.
bool draw_segments(win::HDC dc, const win::POINT* ends, std::size_t segments);

}  // namespace plat
