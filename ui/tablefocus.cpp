// The focus and the visible part of a table moved in answer to the dialog
// (the first focus from ROW and COL, the scroll bars, Enter and Ctrl+Enter),
// the focus cell marked by a "*" after its column and row titles, the
// refusal of work on a table whose file was closed, and the release of a
// window's tables.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/tablecalls.h"
#include "io/rwfiles.h"
#include "io/tablecalls.h"
#include "numeric/sort.h"
#include "platform/win_message_keys.h"
#include "toolkit/dialog_subclass.h"
#include "toolkit/services.h"
#include "ui/dialogwords.h"
#include "ui/tablechanges.h"
#include "ui/tableheaders.h"
#include "ui/tablelayout.h"
#include "ui/tables.h"
#include "ui/tablework.h"
#include "ui/writeback.h"

namespace ui {

namespace {

constexpr int vkshift = 0x10, vkcontrol = 0x11, vkreturn = 13;

bool down(int vk) { return toolkit::GET_KEY_STATE(vk) < 0; }

// The last Ctrl+Enter acted.
bool controlenterswitch = false;

// Puts "*" after the title's text.
void MARKINTERNAL(exec::wdwrec& w, std::int32_t item) {
  if (item < 1 || !w.dialogitems.valid(item)) return;
  toolkit::dialog_t& it = w.dialogitems(item);
  const std::string text = std::string(it.title.trimmed()) + "*";
  tw::ItemChange change;
  change.text = &text;
  tw::updateitem(it, w.window, change);
}

void freeone(mxrec* t) {
  if (mxcur == t) mxcur = nullptr;
  delete t;
}

}  // namespace

mxrec* tableofitem(exec::wdwrec& w, std::int32_t item) {
  for (mxrec* t = w.firsttable; t != nullptr; t = t->next)
    if (item >= t->firstcell && item <= t->lastcell) return t;
  return nullptr;
}

void SETMXFOCUS() {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || w->firsttable == nullptr) return;
  mxrec* t = w->firsttable;
  std::int32_t dcol = 0, drow = 0;
  if (w->colvar > 0 && core::z.valid(w->colvar)) {
    std::int32_t c = tw::rounded(core::z(w->colvar));
    while (c > t->ncols && t->next != nullptr) {
      c -= t->ncols;
      t = t->next;
    }
    dcol = c - (t->leftcol + t->curcol - 1);
  }
  if (w->rowvar > 0 && core::z.valid(w->rowvar)) {
    const double v = core::z(w->rowvar);
    const std::int32_t r =
        std::isfinite(v) ? static_cast<std::int32_t>(std::clamp(v, -2.0e9, 2.0e9)) : 1;
    drow = r - (t->toprow + t->currow - 1);
  }
  mxcur = t;
  // A block move: the block reaches the cell, which becomes current.
  MATRIXUPDATE(w->window, 0, 0, dcol, drow, 0);
}

bool MATRIXSCROLLBAR(win::HWND window, toolkit::dialog_t* items, int item) {
  exec::wdwrec* w = tablewindow(window);
  if (w == nullptr || items == nullptr || item < 1) return false;
  const toolkit::dialog_t& it = items[item - 1];
  for (mxrec* t = w->firsttable; t != nullptr; t = t->next) {
    std::int32_t dcol = 0, drow = 0;
    if (it.id == t->lastcellid + 1) {
      drow = it.integer_value - t->toprow;
    } else if (it.id == t->lastcellid + 2) {
      dcol = it.integer_value - t->leftcol;
    } else {
      continue;
    }
    if (down(vkcontrol)) {
      drow *= t->visrows;
      dcol *= t->viscols;
    }
    dcol = std::clamp(dcol, 1 - t->leftcol,
                      std::max(t->ncols - t->viscols - t->leftcol + 1, 1 - t->leftcol));
    if (dcol != 0 || drow != 0) {
      mxcur = t;
      MATRIXUPDATE(window, it.id, it.id, dcol, drow, 0);
    }
    return true;
  }
  return false;
}

void MATRIXENTERKEY(win::HWND window, toolkit::dialog_t* items, int item) {
  exec::wdwrec* w = tablewindow(window);
  mxrec* t = w != nullptr ? tableofitem(*w, item) : nullptr;
  if (t == nullptr) {
    // No table cell: the edit in hand is stored, the dialog stays.
    WRITESDORFMT(window, items, item, 0);
    return;
  }
  mxcur = t;
  const std::int32_t id = item + idbase;
  MATRIXUPDATE(window, id, id, 0, down(vkshift) ? -1 : 1, 0);
  w->cellrow = t->currow + t->toprow - 1;
}

void MATRIXCONTROLENTER(win::HWND window) {
  // One key press may report its change more than once: only the first
  // report of a press acts (the key was pressed since the last look).
  controlenterswitch = (win::GetAsyncKeyState(vkreturn) & 1) != 0;
  if (!controlenterswitch) return;
  exec::wdwrec* w = tablewindow(window);
  if (w == nullptr || w->firsttable == nullptr) return;
  bool ours = false;
  for (const mxrec* t = w->firsttable; t != nullptr; t = t->next) ours = ours || t == mxcur;
  if (!ours) mxcur = w->firsttable;
  mxrec* t = mxcur;
  const std::int32_t id = (t->currow - 1) * t->viscols + t->firstcellid + t->curcol - 1;
  MATRIXUPDATE(window, id, id, 0, t->visrows, 0);
}

void MXMARKSUPDATE(std::int32_t k) {
  exec::wdwrec* w = exec::wdwcur;
  mxrec* t = mxcur;
  if (w == nullptr || t == nullptr) return;
  if (k == -1) {
    for (std::int32_t item = t->firstitem; item < t->firstcell; ++item) {
      if (!w->dialogitems.valid(item)) break;
      toolkit::dialog_t& it = w->dialogitems(item);
      const std::string_view s = it.title.trimmed();
      if (s.empty() || s.back() != '*') continue;
      const std::string text(s.substr(0, s.size() - 1));
      tw::ItemChange change;
      change.text = &text;
      tw::updateitem(it, w->window, change);
    }
    return;
  }
  MARKINTERNAL(*w, t->firstitem + t->curcol - 1);
  MARKINTERNAL(*w, t->firstrowitem + t->currow - 1);
}

bool MXNOTCONNECTEDTOOPENFILE() {
  const mxrec* t = mxcur;
  if (t == nullptr || !io::isscriptunit(t->unit) || io::rwfiles(t->unit).filevar >= 1) return false;
  core::xeqstop = core::stops::error;
  core::msgkey.set(core::MSGKEY("msgMxClosed"));
  int answer = 0;
  core::MSGBOXFROMHELP("msgMxClosed", "File not open", answer);
  return true;
}

void KILLMX(std::int32_t& answer) {
  answer = 0;
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr) return;
  while (w->firsttable != nullptr) {
    mxrec* t = w->firsttable;
    if (t->unit > 0) {
      KILLEDITCHANGES(t->unit, answer, tableclosesforced ? io::settlemode::forced : 0);
      if (answer == -1) return;
    }
    w->firsttable = t->next;
    if (t->next != nullptr) t->next->prev = nullptr;
    freeone(t);
  }
  mxcur = nullptr;
}

void freetables(exec::wdwrec& w) {
  for (mxrec* t = w.firsttable; t != nullptr;) {
    mxrec* next = t->next;
    if (t->unit > 0) {
      // Nobody can keep this table open: its edits are saved or dropped.
      std::int32_t answer = 0;
      KILLEDITCHANGES(t->unit, answer, io::settlemode::forced);
    }
    freeone(t);
    t = next;
  }
  w.firsttable = nullptr;
}

void releasetables() {
  dropstaged();
  exec::wdwrec* w = exec::wdwcur;
  if (w != nullptr && w->firsttable != nullptr && w->window == nullptr) freetables(*w);
}

win::HWND FINDFILEMATRIXWINDOW(std::int32_t unit) {
  for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next)
    if (w->firsttable != nullptr && w->firsttable->unit == unit && w->window != nullptr)
      return w->window;
  return nullptr;
}

namespace {

// The control of the id is a cell of one of the window's tables.
bool tablecellcontrol(win::HWND dialog, int id) {
  const exec::wdwrec* w = exec::windowrecord(dialog);
  if (w == nullptr || w->firsttable == nullptr) return false;
  for (const exec::ctlrec* c = w->firstcontrol; c != nullptr; c = c->ctlnext)
    if (c->ctlid == id) return (c->ctlkind & ck::tablecell) != 0;
  return false;
}

}  // namespace

void install_tables() {
  toolkit::is_table_cell = tablecellcontrol;
  exec::tablecalls.freetables = freetables;
  exec::tablecalls.releasetables = releasetables;
  io::findtablewindow = FINDFILEMATRIXWINDOW;
  numeric::sortcells.celltext = sortcelltext;
  numeric::sortcells.putcolumn = sortputcolumn;
  io::tablecalls.settleedits = KILLEDITCHANGES;
  io::tablecalls.cellio = scriptcellio;
  io::tablecalls.settabletounit = SETMXTOUNIT;
}

void reset_tables() {
  dropstaged();
  reset_tablelayout();
  reset_tableheaders();
  mxcur = nullptr;
  mxbuildno = 1;
  mxmaxrows = 0;
  mxrowtitley = 0;
  dlgitemend = 0;
  mxcelllen = 0;
  controlenterswitch = false;
  editchangesanswer = 0;
  tableclosesforced = false;
  reset_changes();
  resettitlekeys();
  resettablekeys();
}

}  // namespace ui
