// The AXIS statement (its options by position in exec's option table) and
// what it asks of printing.
#pragma once

#include <cstdint>

#include "exec/optdispatch.h"

namespace plot {

void AXIS(const exec::OptCall& call);

// A plot on the printer: the window's print state set from the statement's
// PRint value (then output asked for at once) and `plotdev` pointed at the
// printer's page.
void AXISPRINT(std::int32_t value);
// The printer's page made ready for the plot: slot 5 for the page (its
// cell copied into slot 7) and the page's columns and rows in its cells.
void AXISPAGE();

}  // namespace plot
