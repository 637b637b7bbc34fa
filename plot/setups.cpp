#include "plot/setups.h"

#include <algorithm>

#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/plotdev.h"

namespace plot {

namespace {

// The margins of a window record in pixels: left, right, top, bottom.
constexpr int leftmargin = 0, rightmargin = 1, topmargin = 2, bottommargin = 3;

}  // namespace

void SETUPS(std::int32_t mode) {
  if (mode != setupsmode::window) return SETUPSPRINTER(mode);
  const exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr) return;
  const bool main = r == exec::wdwhead;
  std::int32_t width = r->clientwidth, height = r->clientheight;
  if (!main && r->window != nullptr) {
    win::RECT c{};
    if (win::GetClientRect(r->window, &c) != 0) {
      width = c.right - c.left;
      height = c.bottom - c.top;
    }
  }
  win::RECT area{};
  area.left = r->printarea[leftmargin];
  area.top = r->printarea[topmargin];
  area.right = width - r->printarea[rightmargin] - exec::sysmetrics(exec::metric::vscrollwidth);
  area.bottom = main ? height - r->printarea[bottommargin]
                     : height - r->printarea[bottommargin] - r->frameheight + r->topoffset;
  area.right = std::max(area.right, area.left);
  area.bottom = std::max(area.bottom, area.top);
  drawtargets[target::defaultplot].bounds = area;
}

}  // namespace plot
