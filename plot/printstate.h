// The print state of a window (its `printstate` word): where text and
// figures written to it go and how a print job behaves. Bits: 1 to the
// printer, 2 to the window, 4 set by the value -1, 8 end the job with the
// next output, 0x10 no page stamp, 0x20 the user chooses the printer font,
// 0x40 the font dialog's variant, 0x80 landscape, 0x100 a new page before
// the next output, 0x400 the page set-up and print dialogs when the job
// opens, 0x800 a window pass keeps the text area.
//
// Printing itself is not part of this build: a value that would print at
// once (-2, -3) stops the statement with "notYetBuilt".
#pragma once

#include <cstdint>

namespace plot {

// Sets the print state of the current window from a statement's PRint
// value: -1 sets bit 4; 0 asks for the end of the job (bit 8) when the
// window prints; a value with bit 8 adds its bits to a window that prints
// already; any other value becomes the state.
void SETPRINTSTATE(std::int32_t value);

}  // namespace plot
