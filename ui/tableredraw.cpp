// The visible block of a table moved and redrawn: the current cell steps
// with wrap-around, jumps, scrolls and block moves, the titles, cells and
// scroll bars rewritten, the focus cell marked and given the focus, and ROW
// and COL told where it is; and the Tab keys between the cells.
#include <algorithm>
#include <array>
#include <string>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/services.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"
#include "ui/tablework.h"

namespace ui {

namespace {

constexpr int vktab = 9, vkshift = 0x10;
constexpr win::UINT nextdlgctl = 0x28;  // WM_NEXTDLGCTL

// The cell-mode word (the last redraw rewrote the block after a step, a
// scroll, a jump), and what the Tab keys keep from one focus move to the
// next: the last move scrolled one column right, the id the focus went to.
bool cellmodeword = false;
bool scrolledright = false;
std::int32_t prevnewid = 0;

bool down(int vk) { return toolkit::GET_KEY_STATE(vk) < 0; }

bool inlist(const exec::wdwrec& w, const mxrec* t) {
  for (const mxrec* u = w.firsttable; u != nullptr; u = u->next)
    if (u == t) return true;
  return false;
}

// The columns of the window's tables before the table.
std::int32_t columnsbefore(const exec::wdwrec& w, const mxrec* t) {
  std::int32_t n = 0;
  for (const mxrec* u = w.firsttable; u != nullptr && u != t; u = u->next) n += u->ncols;
  return n;
}

// Symbols of the statement that made the table are gone once it ended.
void droptemporaries(mxrec& t) {
  if (core::iresult <= 0) return;
  for (std::int32_t* s : {&t.coltitle, &t.rowtitle, &t.colsel, &t.rowsel, &t.fmtsym})
    if (*s >= core::iresult) *s = 0;
}

bool pendingcell(const exec::wdwrec& w, const exec::ctlrec& c) {
  return editguard.window != nullptr && editguard.window == w.window &&
         editguard.control == c.ctlid;
}

// Rewrites the titles and cells of table u; false when a cell's read
// stopped the run.
bool redraw(exec::wdwrec& w, win::HWND hwnd, mxrec& u, bool& focus) {
  mxcur = &u;
  const bool firsttable = &u == w.firsttable;
  const win::COLORREF colour = exec::rgbtab(0);
  // Titles.
  exec::ctlrec* rec = tw::controlof(w, u.firstitem);
  for (std::int32_t k = 0; k < u.viscols + u.visrows && rec != nullptr; ++k, rec = rec->ctlnext) {
    const std::int32_t item = u.firstitem + k;
    if (!w.dialogitems.valid(item)) break;
    std::int32_t request = itemshow;
    rec->ctlkind &= ~tk::hidden;
    Title title;
    exec::ctlcur = rec;
    if (k < u.viscols) {
      std::int32_t col = u.leftcol + k;
      GETMXTITLES(col, title);
    } else {
      const std::int32_t row = u.toprow + k - u.viscols;
      if (firsttable && row <= u.nrows) {
        std::int32_t n = -row;
        GETMXTITLES(n, title);
      } else {
        request = itemhide;
        rec->ctlkind |= tk::hidden;
      }
    }
    tw::ItemChange change;
    change.request = request;
    change.text = &title.text;
    change.ivalue = &title.state;
    tw::updateitem(w.dialogitems(item), hwnd, change);
  }
  // Cells.
  rec = tw::controlof(w, u.firstcell);
  for (std::int32_t i = 1; i <= u.visrows; ++i) {
    for (std::int32_t k = 1; k <= u.viscols; ++k) {
      const std::int32_t item = u.firstcell + (i - 1) * u.viscols + (k - 1);
      if (rec == nullptr || item > u.lastcell || !w.dialogitems.valid(item)) return true;
      exec::ctlrec& c = *rec;
      rec = rec->ctlnext;
      toolkit::dialog_t& it = w.dialogitems(item);
      const std::int32_t r = u.toprow + i - 1, col = u.leftcol + k - 1;
      exec::ctlcur = &c;
      std::int32_t request = itemshow;
      c.ctlkind &= ~tk::hidden;
      const bool nocell = col > u.ncols || u.mapped(col) > u.nfmtcols || r < 1 || r > u.nrows;
      if (!nocell) c.ctlkind = u.kindof(col) & ~tk::marked;
      if (nocell) {
        c.ctlbind = {};
        c.ctlkind |= tk::hidden;
        tw::ItemChange change;
        change.request = itemhide;
        tw::updateitem(it, hwnd, change);
        continue;
      }
      if (pendingcell(w, c)) {
        // The user's edit not yet stored keeps its text and the focus.
        focus = false;
        continue;
      }
      if ((c.ctlkind & ck::character) != 0) {
        std::array<char, 256> text{};
        text.fill(' ');
        IOCHARMXELEMENT(u.unit, r, col, text, cellmode::shown);
        if (core::xeqstop > 0) return false;
        std::string shown;
        if (core::iostatw[0] != 0 || !core::msgkey.is_blank()) {
          request = itemhide;
          c.ctlkind |= tk::hidden;
          core::msgkey.blank();
          core::iostatw[0] = 0;
        } else {
          shown.assign(text.data(), text.size());
          for (char& ch : shown)
            if (ch == '\0') ch = '.';
          shown.erase(shown.find_last_not_of(' ') + 1);
        }
        tw::ItemChange change;
        change.request = request;
        change.text = &shown;
        change.proc = WINDLGCHPROC;
        change.colour = &colour;
        tw::updateitem(it, hwnd, change);
        continue;
      }
      if (u.unit <= 0 && core::NAMTYP(u.object, tw::typearray) != 0) {
        const std::int32_t index = u.mapped(col) + u.ncolsdata * (r - 1);
        c.ctlbind = {0, u.object, index - 1};
      }
      double value = 0.0;
      std::int32_t ivalue = 0, flags = itemshow;
      std::string shown;
      FORMATNUMMXELEMENT(item, r, col, value, ivalue, shown, flags);
      tw::ItemChange change;
      change.request = flags;
      change.text = &shown;
      change.ivalue = &ivalue;
      change.value = &value;
      change.proc = WINDLGR8PROC;
      change.colour = &colour;
      tw::updateitem(it, hwnd, change);
    }
  }
  return true;
}

}  // namespace

exec::wdwrec* tablewindow(win::HWND window) {
  if (window != nullptr) exec::FINDWINDOW(window);
  return exec::wdwcur;
}

void MATRIXUPDATE(win::HWND hwnd, std::int32_t newid, std::int32_t fromid, std::int32_t dcol,
                  std::int32_t drow, std::int32_t titlefocus) {
  exec::wdwrec* w = tablewindow(hwnd);
  if (w == nullptr || w->firsttable == nullptr) return;
  if (mxcur == nullptr || !inlist(*w, mxcur)) mxcur = w->firsttable;
  mxrec& t = *mxcur;
  droptemporaries(t);
  cellmodeword = false;
  bool focus = true, cellvalue = true;
  const std::int32_t oldtop = t.toprow;
  const std::int32_t vr = t.visrows, vc = t.viscols, nr = t.nrows, nc = t.ncols;
  const std::int32_t rowfirst = t.rowoffset + 1, colfirst = t.coloffset + 1;
  const std::int32_t toplimit = std::max(rowfirst, nr - vr + 1);
  const std::int32_t leftlimit = std::max(colfirst, nc - vc + 1);
  std::int32_t T = t.toprow + drow, L = t.leftcol + dcol;
  std::int32_t currow = t.currow, curcol = t.curcol, toprow = t.toprow, leftcol = t.leftcol;
  const bool block = fromid == 0 && newid == 0;
  if (!block) {
    const std::int32_t d = fromid - t.firstcellid;
    curcol = d % vc + 1;
    currow = d / vc + 1;
  }
  const bool full = dcol == 0 && drow == 0;
  if (!full) {
    if (block) {
      // The block reaches the target; a target outside the data is taken
      // at the data's edge.
      T = std::clamp(T, rowfirst, std::max(nr, rowfirst));
      L = std::clamp(L, colfirst, std::max(nc, colfirst));
      if (T < toprow || T >= toprow + vr) toprow = std::clamp(T, rowfirst, toplimit);
      currow = T - toprow + 1;
      if (L < leftcol || L >= leftcol + vc) leftcol = std::clamp(L, colfirst, leftlimit);
      curcol = L - leftcol + 1;
      t.firstvis = 0;
      cellvalue = false;
    } else if ((fromid == 0 && newid == t.lastcellid) || fromid > t.lastcellid + 2) {
      curcol = vc;
      currow = vr;
      leftcol = leftlimit;
      toprow = toplimit;
    } else if (fromid < t.firstcellid) {
      currow = curcol = 1;
      toprow = rowfirst;
      leftcol = colfirst;
    } else if (fromid == t.lastcellid + 1) {
      toprow = std::clamp(T, rowfirst, toplimit);
      if (w->dialogitems.valid(t.lastcell + 1))
        w->dialogitems(t.lastcell + 1).integer_value = toprow;
      focus = false;
    } else if (fromid == t.lastcellid + 2) {
      leftcol = std::clamp(L, colfirst, leftlimit);
      focus = false;
    } else {
      curcol += dcol;
      currow += drow;
      if (currow < 1) {
        if (currow + toprow - 1 < rowfirst) {
          currow = vr;
          toprow = toplimit;
        } else {
          currow = 1;
          toprow = std::max(rowfirst, toprow + drow);
        }
      } else if (currow > vr) {
        if (currow + toprow - 1 > nr) {
          currow = 1;
          toprow = rowfirst;
        } else {
          currow = vr;
          toprow = std::min(toplimit, toprow + drow);
        }
      } else if (curcol < 1) {
        if (curcol + leftcol - 1 < colfirst) {
          curcol = vc;
          if (currow > 1)
            --currow;
          else if (toprow > rowfirst)
            --toprow;
          else
            return;  // before the first cell: nothing moves
          leftcol = leftlimit;
        } else {
          curcol = 1;
          leftcol = std::max(colfirst, leftcol + dcol);
        }
      } else if (curcol > vc) {
        if (curcol + leftcol - 1 > nc) {
          curcol = 1;
          if (currow < vr)
            ++currow;
          else if (toprow < toplimit)
            ++toprow;
          else
            return;  // after the last cell: nothing moves
          leftcol = colfirst;
        } else {
          curcol = vc;
          leftcol = std::min(leftlimit, leftcol + dcol);
        }
      }
    }
  }
  t.currow = currow;
  t.curcol = curcol;
  t.toprow = toprow;
  t.leftcol = leftcol;

  // Redraw: all tables of the window scroll their rows together.
  mxrec* const remembered = &t;
  const bool rowsmoved = full || t.toprow != oldtop;
  mxrec* u = rowsmoved ? w->firsttable : &t;
  if (rowsmoved && u != &t) u->toprow = t.toprow;
  for (; u != nullptr; u = rowsmoved ? u->next : nullptr) {
    if (rowsmoved && u != w->firsttable) u->toprow = w->firsttable->toprow;
    const std::int32_t topleft = (u->toprow - 1) * u->ncols + u->leftcol;
    if (!full && topleft == u->firstvis) break;
    u->firstvis = topleft;
    u->lastvis = topleft + (u->visrows - 1) * u->ncols + u->viscols - 1;
    if (!redraw(*w, hwnd, *u, focus)) {
      mxcur = remembered;
      return;
    }
    cellmodeword = cellvalue;
  }
  mxcur = remembered;

  // The current position stays inside the block.
  t.currow = t.currow < 1 ? 1 : t.currow % t.visrows;
  if (t.currow == 0) t.currow = t.visrows;
  t.curcol = std::clamp(t.curcol, 1, t.viscols);

  // Scroll bars.
  if (w->dialogitems.valid(t.lastcell + 2)) {
    const bool shown = t.visrows < t.nrows && t.next == nullptr;
    const std::int32_t top = t.toprow, most = std::max(t.nrows - t.visrows + 1, rowfirst);
    tw::ItemChange v;
    v.request = shown ? itemshow : itemhide;
    v.ivalue = &top;
    v.imax = &most;
    tw::updateitem(w->dialogitems(t.lastcell + 1), hwnd, v);
    const std::int32_t left = t.leftcol;
    tw::ItemChange h;
    h.ivalue = &left;
    tw::updateitem(w->dialogitems(t.lastcell + 2), hwnd, h);
  }
  MXMARKSUPDATE(-1);
  if (!focus) return;
  std::int32_t target = 0;
  if (titlefocus == 1) {
    target = t.firstitem + t.curcol - 1;
  } else {
    exec::setwindowvar(w->rowvar, EXPANDMXROW(t.unit, t.toprow + t.currow - 1));
    const std::int32_t col = t.leftcol + t.curcol - 1 + columnsbefore(*w, &t);
    exec::setwindowvar(w->colvar, col);
    w->cellrow = t.toprow + t.currow - 1;
    w->cellcol = col;
    target = (t.currow - 1) * t.viscols + t.firstcell + t.curcol - 1;
    if (target < t.firstcell || target > t.lastcell) return;
    MXMARKSUPDATE(1);
  }
  if (hwnd == nullptr || !w->dialogitems.valid(target)) return;
  int ups = 0;
  const win::HWND control = toolkit::GET_DIALOG_ITEM_WINDOW(hwnd, w->dialogitems(target), &ups);
  if (ups == 0 && control != nullptr)
    toolkit::POST_MESSAGE(hwnd, nextdlgctl, reinterpret_cast<win::WPARAM>(control),
                          static_cast<win::LPARAM>(-1));
}

void MATRIXUPDATE(win::HWND window) { MATRIXUPDATE(window, 0, 0, 0, 0, 0); }

void resettablekeys() {
  cellmodeword = false;
  scrolledright = false;
  prevnewid = 0;
}

void MATRIXTABKEY(win::HWND hwnd, std::int32_t newid, std::int32_t oldid) {
  exec::wdwrec* const kept = exec::wdwcur;
  exec::FINDWINDOW(hwnd);
  exec::wdwrec* w = exec::wdwcur;
  const bool tab = down(vktab);
  // The table of the cell that got the focus; with Tab, a focus that left
  // a table's cells steps within that table unless it was at its end.
  const auto owner = [&](std::int32_t id, std::int32_t& offset) {
    offset = 0;
    mxrec* t = w != nullptr && w->window == hwnd ? w->firsttable : nullptr;
    while (t != nullptr && (id < t->firstcellid || id > t->lastcellid)) {
      offset += t->ncols;
      t = t->next;
    }
    return t;
  };
  std::int32_t offset = 0;
  mxrec* t = owner(newid, offset);
  if (t == nullptr && tab && oldid > 0) {
    t = owner(oldid, offset);
    if (t != nullptr) {
      mxcur = t;
      const bool pastend = std::int64_t{t->lastvis} > std::int64_t{t->nrows} * t->ncols;
      cellmodeword = false;
      scrolledright = false;
      prevnewid = newid;
      if (!pastend) MATRIXUPDATE(hwnd, oldid, oldid, down(vkshift) ? -1 : 1, 0, 0);
      w->cellrow = t->toprow + t->currow - 1;
      w->cellcol = t->leftcol + t->curcol - 1 + offset;
      return;
    }
  }
  if (t == nullptr) {
    exec::wdwcur = kept;
    return;
  }
  mxcur = t;
  std::int32_t fromid = oldid;
  if (tab) {
    if (newid > 0 && oldid > 0 && (newid == t->firstcellid || newid == oldid)) fromid = newid - 1;
    const bool pastend = std::int64_t{t->lastvis} > std::int64_t{t->nrows} * t->ncols;
    const bool shift = down(vkshift);
    bool repeat = false;
    if (shift)
      repeat = fromid > 0 && newid > 0 && newid > fromid;
    else if (scrolledright)
      repeat = cellmodeword;
    else
      repeat = prevnewid == fromid && fromid == newid && cellmodeword;
    scrolledright = false;
    cellmodeword = false;
    prevnewid = newid;
    if (!repeat && !pastend) {
      const std::int32_t before = t->leftcol;
      MATRIXUPDATE(hwnd, newid, fromid, shift ? -1 : 1, 0, 0);
      scrolledright = t->leftcol == before + 1;
    }
    w->cellrow = t->toprow + t->currow - 1;
    w->cellcol = t->leftcol + t->curcol - 1 + offset;
    return;
  }
  const std::int32_t d = newid - t->firstcellid;
  t->currow = d / t->viscols + 1;
  t->curcol = d % t->viscols + 1;
  exec::setwindowvar(w->rowvar, EXPANDMXROW(t->unit, t->toprow + d / t->viscols));
  w->cellcol = t->leftcol + t->curcol - 1 + offset;
  exec::setwindowvar(w->colvar, w->cellcol);
  w->cellrow = t->toprow + t->currow - 1;
  MXMARKSUPDATE(-1);
  MXMARKSUPDATE(1);
}

}  // namespace ui
