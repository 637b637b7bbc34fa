// A plot for the printer: the AXIS statement's PRint value starts a print
// job on the plot's window and the plot draws on the job's page.
#include <algorithm>

#include "exec/windowlist.h"
#include "plot/axisstatement.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/printjob.h"
#include "plot/printstate.h"

namespace plot {

namespace {

constexpr std::int32_t graphicsslot = 5;
constexpr std::int32_t printerslot = 7;

}  // namespace

void AXISPRINT(std::int32_t value) {
  exec::wdwrec* w = exec::wdwcur != nullptr ? exec::wdwcur : exec::wdwhead;
  if (w == nullptr) return;
  exec::wdwcur = w;
  plotwindow = w->window;
  SETPRINTSTATE(value);
  exec::wdwcur = w;
  SETPRINTSTATE(printvalue::printnow);
  exec::wdwcur = w;
}

void AXISPAGE() {
  toolkit::draw_target_t& page = drawtargets[target::printer];
  if (!printing(page)) return;
  plotdev = &page;
  // The graphics font made for the page; the printer's cell is its cell.
  FontSlot& g = fontslots(graphicsslot);
  const plat::FixedText<32> face = g.face;
  g.points = -g.points;
  SETFONT(graphicsslot, face.view(), -g.points, 0.0F, g.underline, g.weight, g.italic);
  fontslots(printerslot).cellwidth = g.cellwidth;
  fontslots(printerslot).cellheight = g.cellheight;
  const std::int32_t cw = std::max<std::int32_t>(1, g.cellwidth);
  const std::int32_t ch = std::max<std::int32_t>(1, g.cellheight);
  axisstate.columns = std::max(1, printjob.pagearea.width() / cw);
  axisstate.rows = std::max(1, printjob.pagearea.height() / ch);
}

}  // namespace plot
