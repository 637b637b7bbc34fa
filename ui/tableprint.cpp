// What the print of a dialog window reaches of the script windows: the
// window's control records and its table moved block by block.
#include <algorithm>

#include "plot/upcalls.h"
#include "ui/builtins_install.h"
#include "ui/tables.h"

namespace ui {

namespace {

exec::wdwrec* recordof(win::HWND h) {
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == h) return r;
  return nullptr;
}

exec::ctlrec* controlrecords(win::HWND window) {
  exec::wdwrec* w = recordof(window);
  return w != nullptr ? w->firstcontrol : nullptr;
}

// The window's first table from its first row, or on by the rows one
// screen shows (one at least); rows: how many follow those shown.
void tablepage(win::HWND window, bool first, std::int32_t& rows) {
  exec::wdwrec* w = recordof(window);
  rows = 0;
  if (w == nullptr || w->firsttable == nullptr) return;
  mxrec& t = *w->firsttable;
  mxcur = &t;
  const std::int32_t step = first ? -(t.nrows + 1) : std::max(1, t.visrows);
  // The table's scroll bar form: the block's top row set directly.
  MATRIXUPDATE(window, 0, t.lastcellid + 1, 0, step, 0);
  rows = std::max(0, t.nrows - (t.toprow + std::max(1, t.visrows) - 1));
}

}  // namespace

void install_tableprint() {
  plot::upcalls.CONTROLRECORDS = controlrecords;
  plot::upcalls.MATRIXUPDATE = tablepage;
}

}  // namespace ui
