// The print state kept; printing at once stops with "notYetBuilt" until
// printing comes.
#include "exec/windowlist.h"
#include "plot/printstate.h"
#include "plot/upcalls.h"

namespace plot {

namespace {

constexpr std::int32_t toprinter = 0x1;
constexpr std::int32_t towindow = 0x2;
constexpr std::int32_t minusone = 0x4;
constexpr std::int32_t endjob = 0x8;
constexpr std::int32_t printnow = -2;
constexpr std::int32_t printplot = -3;
constexpr std::int32_t endplot = -4;

}  // namespace

void SETPRINTSTATE(std::int32_t value) {
  exec::wdwrec* w = exec::wdwcur;
  if (value == printnow || value == printplot) return upcallmissing();
  if (w == nullptr || value == endplot) return;
  std::int32_t& s = w->printstate;
  s &= ~(minusone | endjob);
  if (value == -1) {
    s |= minusone;
  } else if (value == 0) {
    if ((s & (toprinter | towindow)) != 0) s |= endjob;
  } else if ((s & toprinter) == 0 || (value & endjob) == 0) {
    s = value;
  } else {
    s |= value;
  }
}

}  // namespace plot
