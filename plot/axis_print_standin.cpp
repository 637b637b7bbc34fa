// A plot on the printer until printing comes: the statement stops with
// "notYetBuilt". Printing replaces this file.
#include "plot/axisstatement.h"
#include "plot/upcalls.h"

namespace plot {

void AXISPRINT(std::int32_t) { upcallmissing(); }
void AXISPAGE() { upcallmissing(); }

}  // namespace plot
