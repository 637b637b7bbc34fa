// INTPOL: interpolation in a table of abscissae and ordinates. Plain
// ordinate vectors give a polyline; an ordinate array with three more
// columns holds a local cubic per interval (slope, quadratic and cubic
// coefficient), which the option Init computes from the ordinates. The
// result is a value, a first or second derivative, an integral, or the
// abscissa at which the curve, its slope or its curvature reaches a value.
#pragma once

#include "exec/optdispatch.h"

namespace numeric {

// The statement's routine: reads its options from `optval` (slots by
// keyword: 1 Xi, 2 XVector, 3 YVector, 4 Init, 5 DYdx, 6 D2ydx, 7 X2,
// 8 Find), writes the result into z(iresult) or a key into `msgkey`
// ("IPOLlength", "IPOLnoVECs", "IPOLdir" with the point in `iostatw`,
// "IPOLnoRoot").
void INTPOL(const exec::OptCall& call);

}  // namespace numeric
