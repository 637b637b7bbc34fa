#include "ui/tablelayout.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "toolkit/services.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"

namespace ui {

namespace {

// The answer of the question that keeps the layout.
constexpr int keepanswer = 10;
// ISCHAR's answer for a character variable.
constexpr std::int32_t charvariable = 0x40;

struct Kept {
  mxrec table;                 // the table record as it was
  win::HWND window = nullptr;  // its window, until that has closed
  bool posted = false;         // the run was posted to go on at its statement
};

std::unique_ptr<Kept> kept;

bool windowopen(win::HWND h) {
  for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next)
    if (w->window == h) return true;
  return false;
}

void keep() {
  mxrec* const saved = mxcur;
  // (The question's close makes its owner current.)
  const win::HWND window = exec::wdwcur != nullptr ? exec::wdwcur->window : nullptr;
  std::int32_t first = 0, last = 0;
  const std::int32_t what = mxcur->fmtsym > 0 ? core::ISCHARCHECKED(mxcur->fmtsym, first, last) : 0;
  const std::string_view key =
      what == charvariable ? core::MSGKEY("mxsLayV") : core::MSGKEY("mxsLayC");
  std::string format;
  if (what > 0 && first >= 1 && last >= first && core::c1namen.valid(last))
    format.assign(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  if (format.empty()) format = " ";
  std::array<std::int32_t, 8> words{mxcur->ncolsdata, mxcur->nrowsdata, mxcur->ncols,
                                    mxcur->nrows,     mxcur->leftcol,   mxcur->toprow,
                                    mxcur->curcol,    mxcur->currow};
  std::array<std::int16_t, 8> enable{};
  core::HelpValues values;
  values.halves = enable;
  values.words = words;
  values.characters = std::span<char>(format.data(), format.size());
  values.count = static_cast<int>(format.size());
  int answer = 0;
  core::HELP(key, answer, values);
  mxcur = saved;
  if (answer != keepanswer || mxcur == nullptr || window == nullptr) return;
  auto k = std::make_unique<Kept>();
  k->table = *mxcur;
  k->table.next = k->table.prev = nullptr;
  k->window = window;
  kept = std::move(k);
  exec::closehandle = kept->window;
  const win::HWND main = exec::mainwindow();
  toolkit::POST_COMMAND(cmd::closewindow, &main);
}

// The kept window has gone: the run goes on at the table's statement, as
// after a control's jump, once.
void resume() {
  if (!kept || kept->posted || kept->window == nullptr || windowopen(kept->window)) return;
  kept->posted = true;
  exec::resumestmt = kept->table.stmt;
  // (A run inside the statement stops; one that waited for the window
  // waits no more.)
  if ((core::xeqmode & core::runmode::suspended) == 0 &&
      (core::xeqmode & core::runmode::running) != 0)
    core::xeqstop = core::stops::error;
  const win::HWND main = exec::mainwindow();
  toolkit::POST_COMMAND(cmd::jump, &main);
}

}  // namespace

void MXLAYOUT(std::int32_t mode) {
  if (mode == 1 && mxcur != nullptr) keep();
  if (mode == 2) resume();
}

bool takelayout(std::int32_t& viscols, std::int32_t& visrows) {
  if (!kept) return false;
  viscols = std::max(kept->table.viscols, 1);
  visrows = std::max(kept->table.visrows, 1);
  kept.reset();
  return true;
}

bool layoutkept() { return kept != nullptr; }

bool layoutkeptfor(win::HWND window) {
  return kept != nullptr && !kept->posted && kept->window == window;
}

void reset_tablelayout() { kept.reset(); }

}  // namespace ui
