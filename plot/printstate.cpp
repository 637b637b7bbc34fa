// The print state word of a window, set from the statements' PRint values.
#include "plot/printstate.h"

#include "exec/windowlist.h"
#include "plot/fontslots.h"
#include "plot/printjob.h"
#include "plot/rwprint.h"
#include "plot/setups.h"

namespace plot {

namespace {

constexpr std::int32_t textwindowslot = 4;

exec::wdwrec* recordof(win::HWND h) {
  if (h == nullptr) return nullptr;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == h) return r;
  return nullptr;
}

}  // namespace

void SETPRINTSTATE(std::int32_t value) {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr) return;
  if (value == printvalue::endplot || value == printvalue::printplot) {
    if (w != exec::wdwhead) w->fontslot = textwindowslot;
    exec::wdwrec* p = recordof(plotwindow);
    if (p == nullptr || (p->printstate & printbit::printer) == 0) return;
    w = p;
    exec::wdwcur = p;
    p->printstate |= printbit::endjob;
  }
  std::int32_t& s = w->printstate;
  if (value != printvalue::printnow) s &= ~(printbit::minusone | printbit::endjob);
  if (value == printvalue::printplot) s |= printbit::endjob;
  if (value == -1) {
    s |= printbit::minusone;
  } else if (value == 0) {
    if ((s & (printbit::printer | printbit::window)) != 0) s |= printbit::endjob;
  } else if (value == printvalue::printnow || value == printvalue::printplot) {
    std::int32_t columns = 0, status = 0;
    const std::int32_t slot = fontslots.valid(w->fontslot) ? w->fontslot : 1;
    RWPRINT("", 0.0, 0.0, columns, slot, "", "", w, status);
    // A job that failed fails the statement that asked for it.
    failprintstatement(printfailure);
  } else if (value == printvalue::endplot) {
    // The plot window's job ends with its next output.
    s |= printbit::endjob;
  } else if ((s & printbit::printer) == 0 || (value & printbit::endjob) == 0) {
    s = value;
    SETUPS(value);
  } else {
    s |= value;
  }
}

}  // namespace plot
