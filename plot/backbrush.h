// Solid and hatched brushes of the palette colours, made once per colour
// and kept until the palette entry or the style asked for changes.
#pragma once

#include "platform/win_gdi.h"

namespace plot {

// The brush of a colour number: its integer part (0 to 31, clamped) the
// palette entry, its first two decimals the style (tens, 0 solid, 1 and 2
// hatched) and the hatch (units). A negative value deletes every kept
// brush and returns the colour 0xC0C0C0 in place of a brush.
win::HBRUSH BACKBRUSH(double value);

// Deletes the kept brushes. For tests and the end of the program.
void reset_brushes();

}  // namespace plot
