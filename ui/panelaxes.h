// The plot axes of a panel: an axis group of the head line ("%1=" for
// axis 1 with "%" as its separator) reads its marks from the body (frame
// corners, ranges, style and grid words, titles) and the axes are drawn
// over the panel's text with the plot engine. Curves on them, and the x
// data they need, stop with "notYetBuilt" until the curve routines come.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exec/windowlist.h"
#include "plot/plotstate.h"

namespace ui {

struct PanelAxis {
  bool framed = false;
  plot::Frame frame;  // cells of the window's font; bottom from the lower edge
  float xmin = 0.0F, xmax = 0.0F, ymin = 0.0F, ymax = 0.0F;
  std::int32_t xstyle = plot::axisbit::grid;
  std::int32_t ystyle = plot::axisbit::grid | 15;
  std::int32_t xgrid = 0, ygrid = 0;
  std::string xtitle, ytitle;
};
using PanelAxes = std::array<PanelAxis, plot::naxes + 1>;  // 1 to 8

// The marks of the separator for axis k, blanked in the body. False with
// the message key set when a mark asks for what is not built.
bool panelaxisgroup(std::vector<std::string>& body, char separator, std::int32_t k,
                    PanelAxes& axes);
// Draws every framed axis into the window's bitmap.
void drawpanelaxes(exec::wdwrec& r, const PanelAxes& axes);

}  // namespace ui
