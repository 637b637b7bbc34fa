#include "plot/plotstate.h"

namespace plot {

AxisState initialaxisstate() {
  AxisState a;
  static constexpr Frame frames[naxes] = {{80, 29, 0, 0},   {80, 15, 0, 0}, {80, 15, 0, 15},
                                          {40, 29, 40, 0},  {40, 15, 0, 0}, {40, 15, 40, 0},
                                          {40, 14, 40, 15}, {40, 14, 0, 15}};
  for (int k = 1; k <= naxes; ++k) {
    a.frame(k) = frames[k - 1];
    a.style(xentry(k)) = axisbit::grid;
    a.style(yentry(k)) = axisbit::grid | 15;  // background colour 15
  }
  for (int e = 1; e <= 2 * naxes; ++e) a.labelevery(e) = 10;
  return a;
}

plat::Store0<Curve> initialcurvestate() {
  plat::Store0<Curve> c(ncurves);
  for (int i = 0; i < ncurves; ++i) {
    // Colours 0..14, 16..23, then 0..8: white (15) is left out.
    c(i).style = i < 15 ? i : i < 23 ? i + 1 : i - 23;
    c(i).symbol = i < 17 ? i + 1 : 65 + (i - 17);
  }
  return c;
}

void reset_plotstate() {
  axisstate = initialaxisstate();
  curvestate = initialcurvestate();
}

}  // namespace plot
