// Clearing a window's picture: the whole backing bitmap of the current
// window filled with a background colour.
#pragma once

namespace plot {

// Fills the current window's backing bitmap with the colour number (0 to
// 31 a palette entry, above an RGB value; its decimals pick a hatch, as
// BACKBRUSH reads them). Nothing for a window without a bitmap.
void UQCLEAR(double colour);

}  // namespace plot
