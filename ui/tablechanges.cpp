// The change list of file tables: the mapping of a displayed row to its
// stored line, a cell's text served from the list, the settling of the
// list when its table or file closes, and the enable flags of the edit
// choices.
#include "ui/tablechanges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "io/coltable.h"
#include "io/rwfiles.h"
#include "io/tablecalls.h"
#include "platform/indexed.h"
#include "ui/tables.h"

namespace ui {

namespace {

std::array<ChangeList, io::nrwfiles> lists;

void freeall(ChangeList& l) {
  l.history.clear();
  l.head = nullptr;
  l.cur = -1;
  chgstate.found = nullptr;
  chgstate.nostoredtext = false;
}

// Characters that would split a row of a line-indexed file when a cell
// held them: the line ends and the column separators.
bool splitsrow(std::int32_t unit, std::string_view text) {
  if (text.find_first_of("\r\n") != std::string_view::npos) return true;
  const io::RwFile& r = io::rwfiles(unit);
  if (!r.lineindex || !r.coltable) return false;
  const std::int32_t code = r.lineindex->lineend;
  if (code > 0 && code < 256 && text.find(static_cast<char>(code)) != std::string_view::npos)
    return true;
  for (std::int32_t c = 1; c <= r.coltable->columns.size(); ++c) {
    const std::string d = io::columnformat(unit, c);
    const bool separator =
        d.size() == 1 && std::string_view("AaFf").find(d[0]) == std::string_view::npos;
    // (A descriptor such as "A2" is a width, not a separator.)
    if (separator && text.find(d[0]) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

ChangeList* changesof(std::int32_t unit) {
  return io::isscriptunit(unit) ? &lists[static_cast<std::size_t>(unit - plat::unit_script_first)]
                                : nullptr;
}

void reset_changes() {
  for (ChangeList& l : lists) freeall(l);
  chgstate = ChangeState{};
}

std::int32_t storedlines(std::int32_t unit) {
  if (!io::isscriptunit(unit)) return 0;
  const io::RwFile& r = io::rwfiles(unit);
  if (r.lineindex) return std::max(r.lineindex->entries - 1, 0);
  if (r.recl > 0)
    return static_cast<std::int32_t>(std::min<std::int64_t>(r.filelength / r.recl, 2147483647));
  return 0;
}

void CHECKEDITED(std::int32_t unit, double& row, std::int32_t column, std::int32_t& status) {
  status = 0;
  chgstate.found = nullptr;
  chgstate.nostoredtext = false;
  const ChangeList* l = changesof(unit);
  const double r = row;
  const auto R = static_cast<std::int64_t>(std::llround(r));
  std::int32_t s = 0;
  if (l != nullptr && l->head != nullptr && !chgstate.skipmapping) {
    for (mxchange* q = l->head; q != nullptr;) {
      if (r + s < q->line) break;
      const auto d = static_cast<std::int64_t>(std::trunc(q->line - q->shift));
      if (R > d) {
        s = q->shift;
        q = q->next;
        continue;
      }
      if (R < d) break;
      if (column == 0) {
        row = q->line;
        if (mxcur != nullptr && mxcur->unit == unit && row > mxcur->nrows) row = mxcur->nrows;
        return;
      }
      if (column == q->col) {
        chgstate.found = q;
        chgstate.skipmapping = false;
        row = static_cast<double>(d);
        return;
      }
      if (column > q->col) {
        mxchange* n = q->next;
        if (n != nullptr && n->line == q->line) {
          q = n;
          continue;
        }
        if (q->is(chg::newline)) {
          chgstate.found = q;
          chgstate.nostoredtext = true;
        } else {
          s = q->shift;
        }
        break;
      }
      if (q->is(chg::newline)) {
        chgstate.found = q;
        chgstate.nostoredtext = true;
      }
      break;
    }
  } else if (column == 0 && io::isscriptunit(unit)) {
    const io::RwFile& f = io::rwfiles(unit);
    if (f.rowlist && R >= 1 && R <= f.rowlist->size() &&
        (*f.rowlist)(static_cast<std::int32_t>(R)) > 0)
      row = (*f.rowlist)(static_cast<std::int32_t>(R));
  }
  row += s;
  chgstate.skipmapping = false;
}

bool CHANGEINOUT(std::int32_t unit, std::int32_t row, std::int32_t column, std::span<char> text,
                 std::int32_t mode, std::int32_t& status) {
  status = 0;
  mxchange* const found = chgstate.found;
  const bool nostored = chgstate.nostoredtext;
  chgstate.found = nullptr;
  chgstate.nostoredtext = false;
  if ((mode & cellmode::read) != 0) {
    if (found == nullptr) return false;
    std::fill(text.begin(), text.end(), ' ');
    if (!nostored && found->hastext)
      std::copy_n(found->text.begin(), std::min(found->text.size(), text.size()), text.begin());
    mxcelllen = nostored || !found->hastext ? 0 : static_cast<std::int32_t>(found->text.size());
    return true;
  }
  if ((mode & 0x20) == 0 || !io::isscriptunit(unit)) return found != nullptr;
  const io::RwFile& r = io::rwfiles(unit);
  const std::string_view typed(text.data(), text.size());
  const std::size_t end = typed.find_last_not_of(' ');
  const std::string_view kept =
      end == std::string_view::npos ? std::string_view() : typed.substr(0, end + 1);
  if ((r.mode & io::rwflag::readonly) != 0 || splitsrow(unit, kept)) {
    core::msgkey.set(core::MSGKEY("msgWriteError"));
    return true;
  }
  chgstate.found = found;
  chgstate.nostoredtext = nostored;
  std::int32_t shown = row, colout = 0;
  mxchange* e = MXEDIT(unit, column, shown, colout, mxcmd::change, mode);
  chgstate.found = nullptr;
  chgstate.nostoredtext = false;
  if (e == nullptr) return true;
  std::int32_t n = std::max<std::int32_t>(static_cast<std::int32_t>(kept.size()), 1);
  // A column of fixed width keeps its width (in a line-indexed file too,
  // so that the cells after it stay in their places).
  if (r.coltable && column >= 1 && column <= r.coltable->columns.size() &&
      r.coltable->columns(column).width > 0)
    n = r.coltable->columns(column).width;
  e->text.assign(static_cast<std::size_t>(n), ' ');
  std::copy_n(typed.begin(), std::min<std::size_t>(typed.size(), e->text.size()), e->text.begin());
  e->hastext = true;
  return true;
}

void KILLEDITCHANGES(std::int32_t unit, std::int32_t& answer, std::int32_t mode) {
  answer = 0;
  if (editchangesanswer != 0) {
    answer = editchangesanswer;
    return;
  }
  ChangeList* l = changesof(unit);
  if (l == nullptr || l->history.empty()) return;
  if ((mode & io::settlemode::dropall) != 0 || io::rwfiles(unit).filevar <= 0) {
    freeall(*l);
    return;
  }
  if (l->head != nullptr) {
    bool byuser = false;
    for (const mxchange* q = l->head; q != nullptr; q = q->next)
      byuser = byuser || q->is(chg::useredit);
    const bool forced = (mode & io::settlemode::forced) != 0;
    int code = 1;
    if (byuser) {
      std::string detail;
      const std::int32_t fv = io::rwfiles(unit).filevar;
      if (fv >= 1 && fv <= core::nsym) detail = core::symbolname(fv).substr(0, 256);
      const std::int32_t keptstop = core::xeqstop;
      int a = 0;
      if (forced) {
        core::MSGBOXFROMHELP("msgSaveChanges2", detail, a);
      } else {
        core::MSGBOXFROMHELP("msgSaveChanges", detail, a);
      }
      // Cancel keeps the window: it does not stop the run.
      core::xeqstop = keptstop;
      code = a;
    } else if ((io::rwfiles(unit).chgkeep & 1) != 0) {
      return;
    }
    if (code == 3) {
      answer = -1;
      return;
    }
    if (code == 1) {
      const bool reported = (mode & io::settlemode::reported) != 0;
      if (!MXSAVE(unit, !reported)) {
        // The file stays as it was and the edits stay with it.
        answer = reported ? io::savefailed : forced ? 0 : -1;
        return;
      }
      answer = 1;
    }
  }
  freeall(*l);
}

void CHECK_UNDO_REDO(std::span<std::int16_t, 6> flags) {
  const std::array<std::int16_t, 6> start{0, 1, 0, 0, 1, 0};
  std::copy(start.begin(), start.end(), flags.begin());
  if (chgstate.remembered != 0) flags[0] = 1;
  const mxrec* t = mxcur;
  if (t != nullptr && t->nrows < 1) flags[1] = 0;
  if (exec::wdwcur != nullptr && (exec::wdwcur->kind & 0x10000) != 0) flags[4] = 0;
  const ChangeList* l = t != nullptr ? changesof(t->unit) : nullptr;
  if (l == nullptr || l->history.empty()) return;
  const auto& h = l->history;
  if (!h.front()->is(chg::undone)) flags[2] = 1;
  const auto cur = static_cast<std::size_t>(std::max(l->cur, 0));
  const bool after = cur + 1 < h.size();
  if (h.front()->is(chg::undone) || (after && h[cur + 1]->is(chg::undone)) ||
      (!after && h[cur]->is(chg::undone)))
    flags[3] = 1;
}

void scriptcellio(std::int32_t unit, std::int32_t row, std::int32_t col, std::span<char> text,
                  std::int32_t mode) {
  mxrec* const kept = mxcur;
  SETMXTOUNIT(unit);
  IOCHARMXELEMENT(unit, row, col, text, mode);
  mxcur = kept;
}

void SETMXTOUNIT(std::int32_t unit) {
  mxcur = nullptr;
  for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next) {
    for (mxrec* t = w->firsttable; t != nullptr; t = t->next) {
      if (t->unit == unit && unit > 0) {
        mxcur = t;
        return;
      }
    }
  }
}

}  // namespace ui
