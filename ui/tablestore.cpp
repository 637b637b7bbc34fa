// What the user typed or moved in a table cell, stored into the cell: the
// text of a character table over its own column's width, the number of an
// array element, or of a numeric column of a character table written back
// through the column's format.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "io/cellconvert.h"
#include "io/lineindex.h"
#include "io/timepicture.h"
#include "ui/bindings.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"
#include "ui/tablework.h"

namespace ui {

namespace {

// A cell write refused: the message shows, and the run stops with it.
// The edit is no longer pending: the redraw after it shows the cell's
// stored value again, so the refused text is not offered again (and
// refused again) at the next key or focus change.
void refused(std::string_view key) {
  editguard = EditGuard{};
  const std::string k(key);
  int answer = 0;
  core::MSGBOXFROMHELP(k, "Error", answer);
  core::msgkey.set(k);
  core::xeqstop = core::stops::error;
}

// The text a number cell shows.
std::string shownumber(const exec::wdwrec& w, const ColInfo* ci, double value, std::int32_t width) {
  if (value == 0.0 && (w.kind & exec::kind::zeroblank) != 0) return {};
  std::array<char, 128> buf{};
  buf.fill(' ');
  const std::size_t n = static_cast<std::size_t>(std::clamp(width, 1, 23));
  core::WTSID8(std::span<char>(buf.data(), n), value, 0);
  if (ci != nullptr && ci->showsnumber() && std::abs(ci->width) <= width) {
    std::array<char, 128> f{};
    f.fill(' ');
    char status = ' ';
    io::REALTOSTRINGFMTD(f, value, ci->descr, status);
    if (status == ' ') buf = f;
  }
  const std::string_view s(buf.data(), buf.size());
  const std::size_t a = s.find_first_not_of(' ');
  return a == std::string_view::npos ? std::string()
                                     : std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

}  // namespace

bool storenumber(mxrec& t, std::int32_t row, std::int32_t fc, std::int32_t item, double value) {
  if (fc < 1 || fc > t.nfmtcols || row < 1 || row > t.nrows) return false;
  const ColInfo* ci = &t.colinfo[static_cast<std::size_t>(fc)];
  if (t.unit > 0) {
    std::int32_t state = 0;
    mxrec* const kept = mxcur;
    mxcur = &t;
    IOR8MXELEMENT(t.unit, row, fc, item, value, state, cellmode::write);
    mxcur = kept;
    return core::msgkey.is_blank() && core::iostatw[0] == 0;
  }
  if (core::NAMTYP(t.object, tw::typearray) != 0) {
    const std::int64_t index = std::int64_t{t.ncolsdata} * (row - 1) + fc;
    const std::int32_t cell = fc <= t.ncolsdata && index >= 1 && index <= 2147483647
                                  ? cellof({0, t.object, static_cast<std::int32_t>(index - 1)})
                                  : 0;
    if (cell < 1) return false;
    core::z(cell) = value;
    return true;
  }
  // A numeric column of a character table: the number in the column's
  // format over the column's width.
  exec::BoundRef where;
  std::int32_t length = 0;
  if (!charcell(t, row, fc, where, length)) return false;
  std::array<char, 256> text{};
  text.fill(' ');
  const std::size_t n = static_cast<std::size_t>(std::clamp(length, 1, 256));
  char status = ' ';
  if (!ci->descr.empty())
    io::REALTOSTRINGFMTD(std::span<char>(text.data(), n), value, ci->descr, status);
  if (ci->descr.empty() || status != ' ')
    core::WTSID8(std::span<char>(text.data(), std::min<std::size_t>(n, 23)), value, 0);
  core::STRITOC1(std::string_view(text.data(), n), charsof(where, length));
  return true;
}

CellStore STORETABLECELL(exec::wdwrec& w, exec::ctlrec& c, std::int32_t item, toolkit::dialog_t& it,
                         std::int32_t mode, bool typing) {
  constexpr CellStore no = CellStore::none, yes = CellStore::stored;
  mxrec* t = tableofitem(w, item);
  if (t == nullptr) return no;
  mxcur = t;
  if (MXNOTCONNECTEDTOOPENFILE()) return no;
  const std::int32_t k = item - t->firstcell;
  const std::int32_t row = t->toprow + k / t->viscols, col = t->leftcol + k % t->viscols;
  const std::int32_t fc = t->mapped(col);
  if (row < 1 || row > t->nrows || col > t->ncols || fc < 1 || fc > t->nfmtcols) return no;
  const ColInfo* ci = &t->colinfo[static_cast<std::size_t>(fc)];
  const win::HWND window = w.window;
  const std::string typed(it.text.trimmed());
  if (mode > 0) {
    // A report of the value: a number cell shows its stored value.
    if ((c.ctlkind & ck::character) != 0) return no;
    double value = 0.0;
    std::int32_t state = 0;
    IOR8MXELEMENT(t->unit, row, col, item, value, state, cellmode::shown);
    if (core::iostatw[0] == 0 && core::msgkey.is_blank()) {
      it.text.set(shownumber(w, ci, value, it.width / 4 - 2));
      it.real8_value = value;
    }
    core::iostatw[0] = 0;
    core::msgkey.blank();
    return no;
  }

  if ((c.ctlkind & ck::character) != 0) {
    if (t->unit > 0) {
      std::array<char, 256> text{};
      text.fill(' ');
      // A cell left as it stands (only given the focus) is no edit.
      exec::ctlrec* const keptctl = exec::ctlcur;
      exec::ctlcur = nullptr;
      IOCHARMXELEMENT(t->unit, row, col, text, cellmode::shown);
      exec::ctlcur = keptctl;
      const bool readable = core::iostatw[0] == 0 && core::msgkey.is_blank();
      core::iostatw[0] = 0;
      core::msgkey.blank();
      if (readable && std::string_view(text.data(), text.size()).substr(0, typed.size()) == typed &&
          std::string_view(text.data(), text.size()).find_first_not_of(' ', typed.size()) ==
              std::string_view::npos)
        return yes;
      text.fill(' ');
      std::copy_n(typed.begin(), std::min(typed.size(), text.size()), text.begin());
      IOCHARMXELEMENT(t->unit, row, col, text, cellmode::edited);
      if (!core::msgkey.is_blank()) {
        refused(core::msgkey.trimmed());
        MATRIXUPDATE(window);
        return no;
      }
      return yes;
    }
    // Each cell is written over its own column's width.
    exec::BoundRef where;
    std::int32_t length = 0;
    if (!charcell(*t, row, fc, where, length)) return no;
    core::STRITOC1(typed, charsof(where, length));
    c.ctlbind = where;
    c.ctllen = length;
    return yes;
  }

  // A number: typed into an edit or a text, or moved in another control.
  const int type = toolkit::low_type(it);
  double value = it.real8_value;
  if (type == toolkit::DLG_EDITBOX || type == toolkit::DLG_TEXT) {
    double old = 0.0;
    std::int32_t state = 0;
    IOR8MXELEMENT(t->unit, row, col, item, old, state, cellmode::shown);
    const bool readable = core::iostatw[0] == 0;
    core::iostatw[0] = 0;
    core::msgkey.blank();
    bool ok = false;
    if (ci->letter == 'U' && !ci->descr.empty() && old != 0.0) {
      std::array<char, 256> text{};
      text.fill(' ');
      std::copy_n(typed.begin(), std::min(typed.size(), text.size()), text.begin());
      double v = old;
      io::TIMEDATEU(std::string_view(ci->descr).substr(1), v, text, true);
      ok = true;
      value = v;
    } else {
      std::string t8(typed);
      std::erase(t8, core::c1thousands);
      std::int32_t at = 1, status = 0;
      double v = 0.0;
      core::GETR8N(t8, static_cast<std::int32_t>(t8.size()), v, at, status);
      if (status == 0 && !t8.empty()) {
        ok = true;
        value = v;
      } else if (t8.empty()) {
        ok = true;
        value = 0.0;
      }
    }
    if (!ok) {
      if (typing) return CellStore::waits;
      // Not a number: the cell shows its stored value again.
      const std::string shown = readable ? shownumber(w, ci, old, it.width / 4 - 2) : std::string();
      tw::ItemChange change;
      change.text = &shown;
      change.value = &old;
      tw::updateitem(it, window, change);
      return no;
    }
  }
  // A file's cell as the user sees it: the row the view shows there, the
  // number kept in the file's change list.
  bool stored = false;
  if (t->unit > 0) {
    std::int32_t state = 0;
    IOR8MXELEMENT(t->unit, row, col, item, value, state, cellmode::edited);
    stored = core::msgkey.is_blank() && core::iostatw[0] == 0;
  } else {
    stored = storenumber(*t, row, fc, item, value);
  }
  if (!stored) {
    if (!core::msgkey.is_blank()) {
      refused(core::msgkey.trimmed());
      MATRIXUPDATE(window);
    }
    return no;
  }
  if (t->unit <= 0 && core::NAMTYP(t->object, tw::typearray) != 0)
    c.ctlbind = {0, t->object, t->ncolsdata * (row - 1) + fc - 1};
  if ((type == toolkit::DLG_EDITBOX || type == toolkit::DLG_TEXT) && !typing) {
    const std::string shown = shownumber(w, ci, value, it.width / 4 - 2);
    tw::ItemChange change;
    change.text = &shown;
    change.value = &value;
    tw::updateitem(it, window, change);
  } else {
    it.real8_value = value;
  }
  return yes;
}

}  // namespace ui

namespace ui {

bool sortcelltext(std::int32_t unit, std::int32_t row, std::int32_t column, std::string& text) {
  std::array<char, 256> buf{};
  buf.fill(' ');
  mxrec* const kept = mxcur;
  mxcur = nullptr;
  IOCHARMXELEMENT(unit, row, column, buf, cellmode::read | cellmode::stored);
  mxcur = kept;
  text.clear();
  const std::int32_t status = core::iostatw[0];
  core::iostatw[0] = 0;
  if (status == io::iostat_no_row) return true;  // a header line: no cell
  if (status != 0 || !core::msgkey.is_blank()) {
    if (core::msgkey.is_blank()) core::msgkey.set(core::MSGKEY("rdwrErK"));
    return false;
  }
  const std::string_view s(buf.data(), buf.size());
  text.assign(s.substr(0, s.find_last_not_of(' ') + 1));
  return true;
}

bool sortputcolumn(std::int32_t column, std::int32_t row, double value) {
  exec::wdwrec* w = exec::wdwcur;
  mxrec* t = mxcur;
  bool ours = false;
  for (const mxrec* u = w != nullptr ? w->firsttable : nullptr; u != nullptr; u = u->next)
    ours = ours || u == t;
  if (!ours) return true;
  if (!storenumber(*t, row, t->mapped(column), 0, value)) return false;
  if (row >= t->nrows) MATRIXUPDATE(w->window);
  return true;
}

}  // namespace ui
