// The text area of the current window or of the printed page, from the
// window record's margins.
#pragma once

#include <cstdint>

namespace plot {

namespace setupsmode {
inline constexpr std::int32_t window = 2;
}  // namespace setupsmode

// Mode 2: the current window's text area (its client size less its
// margins in pixels) becomes the bounds of the window's plot target. Any
// other mode: the printer's text area (font slot 7 becomes current).
void SETUPS(std::int32_t mode);

// The printed page's text area (any mode but 2): the job's page area less
// the window's margins; font slot 7 becomes current. Until printing comes
// (plot/setups_printer_standin.cpp) it stops the statement with
// "notYetBuilt".
void SETUPSPRINTER(std::int32_t mode);

}  // namespace plot
