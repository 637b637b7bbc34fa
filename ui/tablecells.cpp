// One table cell moved between its storage and its dialog item: the text of
// a cell of a character variable (fixed-width or delimited fields) or of a
// script file, and the number of a cell of a numeric array, of a numeric
// column of a character variable or of a file, through the column's format.
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
#include "exec/windowlist.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/rwfiles.h"
#include "ui/bindings.h"
#include "ui/dialogwords.h"
#include "ui/tablechanges.h"
#include "ui/tables.h"
#include "ui/tablesort.h"
#include "ui/tablework.h"

namespace ui {

namespace {

constexpr std::int32_t nosuchcell = 987;
constexpr std::int32_t skipped = 1;
constexpr std::size_t celltextsize = 128;

void setiostat(std::int32_t s) {
  core::iostatw[0] = static_cast<std::int16_t>(std::clamp(s, -32768, 32767));
}

bool ischartable(const mxrec& t) {
  return t.unit <= 0 && core::NAMTYP(t.object, tw::typechar) != 0 &&
         core::NAMTYP(t.object, tw::typearray) == 0;
}

// The column record of format column c (none beyond the format).
const ColInfo* columnof(const mxrec& t, std::int32_t c) {
  if (c < 1 || c >= static_cast<std::int32_t>(t.colinfo.size())) return nullptr;
  return &t.colinfo[static_cast<std::size_t>(c)];
}

bool numberletter(std::string_view format) {
  return !format.empty() && io::numberletters.find(format.front()) != std::string_view::npos;
}

// A number read from a cell's text through its format: the formatted
// conversion for a number letter, else the plain reader. A blank cell is 0.
bool readnumber(std::string_view text, std::string_view format, double& value) {
  const std::size_t end = text.find_last_not_of(' ');
  if (end == std::string_view::npos) {
    value = 0.0;
    return true;
  }
  if (numberletter(format)) {
    const std::string kept(core::msgkey.view());
    const bool ok = io::REALFROMSTRINGFMTD(text, value, format);
    core::msgkey.set(kept);
    return ok;
  }
  std::int32_t at = 1, status = 0;
  double v = 0.0;
  core::GETR8N(text, static_cast<std::int32_t>(end + 1), v, at, status);
  if (status > 0) return false;
  value = v;
  return true;
}

// A displayed row of a table as its row: through the window's row index
// when it has one; false for a position that shows no row.
bool viewrow(std::int32_t& row) {
  const mxrec* first = mxfirst();
  if (first == nullptr || first->sortindex.empty()) return true;
  if (row < 1 || row > static_cast<std::int32_t>(first->sortindex.size())) return false;
  row = first->sortindex[static_cast<std::size_t>(row - 1)];
  return row >= 1;
}

// The text of a character table and the place of its first character.
bool tabletext(const mxrec& t, std::string& text, std::int32_t& first) {
  return tw::symboltext(t.object, text, first) && first >= 1;
}

}  // namespace

bool charcell(const mxrec& t, std::int32_t row, std::int32_t col, exec::BoundRef& where,
              std::int32_t& length) {
  where = {};
  length = 0;
  std::string text;
  std::int32_t first = 0;
  if (row < 1 || !tabletext(t, text, first)) return false;
  const auto size = static_cast<std::int32_t>(text.size());
  const ColInfo* c = columnof(t, std::max(col, 1));
  if (c == nullptr) return false;
  if (c->width >= 0) {
    const std::int64_t record = std::int64_t{t.cellchars} * (row - 1);
    const std::int64_t at = record + (col == 0 ? 1 : c->start);
    const std::int64_t w = col == 0 ? t.cellchars : c->width;
    if (at < 1 || at > size || w < 1) return false;
    where = {0, t.object, static_cast<std::int32_t>(at - 1)};
    length = static_cast<std::int32_t>(std::min<std::int64_t>(w, size - at + 1));
    return true;
  }
  const tw::Delimited d = tw::splitdelimited(text);
  tw::Piece p;
  if (col == 0) {
    tw::Piece a, b;
    if (!tw::delimitedcell(text, d, t.nfmtcols, row, 1, a)) return false;
    b = a;
    for (std::int32_t k = t.nfmtcols; k > 1; --k)
      if (tw::delimitedcell(text, d, t.nfmtcols, row, k, b)) break;
    p = {a.start, b.start + b.length - a.start};
  } else if (!tw::delimitedcell(text, d, t.nfmtcols, row, col, p)) {
    return false;
  }
  where = {0, t.object, p.start};
  length = p.length;
  return true;
}

void IOCHARMXELEMENT(std::int32_t unit, std::int32_t row, std::int32_t col, std::span<char> text,
                     std::int32_t mode) {
  mxrec* t = mxcur;
  if ((mode & cellmode::displayed) != 0 && t != nullptr && col > 0) col = t->mapped(col);
  if (row < 1 || col < 0) {
    std::int32_t status = 36;
    core::CHECKANDSETRUNTIMEERROR("Ma01", status);
    return;
  }
  core::msgkey.blank();
  setiostat(0);
  // A displayed row goes through the sort and filter row index, for a
  // table on a script variable as for a file: its cells, its row titles
  // and its ROW variable then speak of the same row.
  if ((mode & cellmode::displayed) != 0 && t != nullptr && !viewrow(row)) {
    setiostat(skipped);
    return;
  }
  if (unit <= 0) {
    if (t == nullptr) return;
    const ColInfo* c = columnof(*t, std::max(col, 1));
    if (c == nullptr) {
      setiostat(nosuchcell);
      return;
    }
    if (col > 0 && c->letter != 'A') {
      core::msgkey.set(core::MSGKEY("mx2element"));
      return;
    }
    exec::BoundRef where;
    std::int32_t length = 0;
    if (!charcell(*t, row, col, where, length)) {
      setiostat(nosuchcell);
      return;
    }
    if (exec::ctlcur != nullptr) {
      exec::ctlcur->ctlbind = where;
      exec::ctlcur->ctllen = length;
    }
    const std::span<char> from = charsof(where, length);
    core::C1TOSTRI(std::string_view(from.data(), from.size()), text);
    return;
  }
  if (!io::isscriptunit(unit)) {
    setiostat(skipped);
    return;
  }
  io::RwFile& r = io::rwfiles(unit);
  if ((mode & cellmode::stored) == 0 && r.rowlist) {
    if (!r.rowlist->valid(row) || (*r.rowlist)(row) < 1) {
      setiostat(skipped);
      return;
    }
    row = (*r.rowlist)(row);
  }
  double editedrecord = 0.0;
  if ((mode & (cellmode::read | 0x80)) != 0 ||
      ((mode & cellmode::write) != 0 && r.lineindex.has_value())) {
    double stored = row;
    std::int32_t status = 0;
    CHECKEDITED(unit, stored, col, status);
    if (status != 0) {
      core::CHECKANDSETRUNTIMEERROR("Mio4", status);
      return;
    }
    row = tw::rounded(stored);
    if (col == 0 && (mode & cellmode::read) != 0) {
      // The whole line as edited: a new line from its cells, a stored one
      // read and its changed cells put in.
      chgstate.found = nullptr;
      chgstate.nostoredtext = false;
      std::string line;
      bool isnew = false;
      if (const ChangeList* l = changesof(unit); l != nullptr)
        for (const mxchange* q = l->head; q != nullptr; q = q->next)
          isnew = isnew || (q->line == stored && q->is(chg::newline));
      if (r.lineindex.has_value() || isnew) {
        if (EDITEDLINE(unit, stored, line)) {
          std::fill(text.begin(), text.end(), ' ');
          std::copy_n(line.begin(), std::min(line.size(), text.size()), text.begin());
          mxcelllen = static_cast<std::int32_t>(line.size());
          return;
        }
      } else {
        editedrecord = stored;  // read below, then edited
      }
    }
    if (CHANGEINOUT(unit, row, col, text, mode, status)) {
      if (status != 0) core::CHECKANDSETRUNTIMEERROR("Mio5", status);
      return;
    }
  }
  const bool writing = (mode & cellmode::write) != 0;
  if (writing && (r.lineindex.has_value() || (r.mode & io::rwflag::readonly) != 0)) {
    // A line-indexed file is written only through its change list.
    core::msgkey.set(core::MSGKEY("msgWriteError"));
    setiostat(skipped);
    return;
  }
  if (!writing && (r.mode & io::rwflag::indexed) != 0) {
    std::string rowtext;
    std::int32_t start = 0, length = 0;
    std::fill(text.begin(), text.end(), ' ');
    if (io::CHARCELLAZ(unit, row, col, rowtext, start, length) != 0) return;
    if (start >= 1 && start <= static_cast<std::int32_t>(rowtext.size())) {
      const std::string_view cell = std::string_view(rowtext).substr(
          static_cast<std::size_t>(start - 1), static_cast<std::size_t>(std::max(length, 0)));
      core::C1TOSTRI(cell, text);
    }
    mxcelllen = length;
    return;
  }
  if (MXNOTCONNECTEDTOOPENFILE()) {
    std::int32_t status = -1;
    core::CHECKANDSETRUNTIMEERROR("Mio6", status);
    return;
  }
  // Records: a cell of a column table lies in its row; without one each
  // cell is a record of its own. A binary unit is addressed by bytes, any
  // other direct unit by record numbers: there the cell is read out of its
  // whole record, and written back into it.
  std::int64_t record = 0;
  std::int32_t offset = 1;
  std::int32_t length = r.recl;
  if (r.coltable && col >= 1 && col <= r.coltable->columns.size()) {
    const io::ColDef& d = r.coltable->columns(std::max(col, 1));
    record = row;
    offset = std::clamp(d.offset, 1, std::max(r.recl, 1));
    length = std::min(static_cast<std::int32_t>(text.size()), d.width > 0 ? d.width : r.recl);
  } else if (r.coltable && col == 0) {
    // The whole row: its record.
    record = row;
    length = std::min(static_cast<std::int32_t>(text.size()), r.recl);
  } else {
    const std::int64_t columns = t != nullptr ? std::max(t->ncols, 1) : 1;
    record = columns * (row - 1) + std::max(col, 1);
  }
  const bool bybytes = (r.mode & io::rwflag::binary) != 0;
  if (!bybytes) length = std::clamp(length, 0, std::max(r.recl - offset + 1, 0));
  mxcelllen = length;
  const std::int64_t position = (record - 1) * r.recl + offset;
  std::int32_t status = 0;
  std::string whole;
  if (!bybytes) {
    whole.assign(static_cast<std::size_t>(std::max(r.recl, 0)), ' ');
    io::READDIRUNF(unit, whole, r.recl, record, status);
    if (writing && status < 0) status = 0;  // a record past the end: blanks
  }
  if (writing) {
    if (bybytes) {
      io::WRITEDIRUNF(unit, std::string_view(text.data(), text.size()), length, position, status);
    } else if (status == 0) {
      std::copy_n(text.begin(), std::min<std::size_t>(text.size(), length),
                  whole.begin() + (offset - 1));
      io::WRITEDIRUNF(unit, whole, r.recl, record, status);
    }
    if (status > 0) {
      core::msgkey.set(core::MSGKEY("msgWriteError"));
      setiostat(status);
    }
    return;
  }
  std::fill(text.begin(), text.end(), ' ');
  if (bybytes)
    io::READDIRUNF(unit, text, length, position, status);
  else if (status == 0)
    std::copy_n(whole.begin() + (offset - 1), std::min<std::size_t>(text.size(), length),
                text.begin());
  if (status != 0) setiostat(status);
  std::string line(text.data(), text.size());
  if (status == 0 && editedrecord >= 1.0 && EDITEDLINE(unit, editedrecord, line)) {
    std::fill(text.begin(), text.end(), ' ');
    std::copy_n(line.begin(), std::min(line.size(), text.size()), text.begin());
  }
}

void IOR8MXELEMENT(std::int32_t unit, std::int32_t row, std::int32_t col, std::int32_t item,
                   double& value, std::int32_t& state, std::int32_t mode) {
  mxrec* t = mxcur;
  exec::wdwrec* w = exec::wdwcur;
  // A displayed row that the view does not show has no cell.
  std::int32_t shownrow = row;
  if (unit > 0 && t != nullptr && (mode & cellmode::displayed) != 0 && !viewrow(shownrow)) {
    setiostat(skipped);
    return;
  }
  setiostat(0);
  exec::ctlrec* c = exec::ctlcur;
  if (unit <= 0) {
    if (t == nullptr) return;
    const std::int32_t fc = (mode & cellmode::displayed) != 0 ? t->mapped(col) : col;
    if (ischartable(*t)) {
      exec::BoundRef where;
      std::int32_t length = 0;
      const ColInfo* ci = columnof(*t, fc);
      if (ci == nullptr || !charcell(*t, row, fc, where, length)) {
        setiostat(nosuchcell);
        return;
      }
      const std::span<char> from = charsof(where, length);
      if (!readnumber(std::string_view(from.data(), from.size()), ci->descr, value)) {
        setiostat(skipped);
        return;
      }
    } else {
      const std::int64_t index = std::int64_t{t->ncolsdata} * (row - 1) + fc;
      const std::int32_t cell = fc >= 1 && fc <= t->ncolsdata && index >= 1 && index <= 2147483647
                                    ? cellof({0, t->object, static_cast<std::int32_t>(index - 1)})
                                    : 0;
      if (cell < 1) {
        setiostat(nosuchcell);
        return;
      }
      value = core::z(cell);
    }
    if (c != nullptr && (c->ctlkind & ck::bars) != 0 && w != nullptr &&
        w->dialogitems.valid(item)) {
      toolkit::dialog_t& it = w->dialogitems(item);
      const double range = it.integer_max != it.integer_min
                               ? std::abs(static_cast<double>(it.integer_max) - it.integer_min)
                               : 100.0;
      if (it.real8_max == it.real8_min) {
        it.real8_min = 0.0;
        it.real8_max = range;
        it.integer_min = 0;
        it.integer_max = tw::rounded(range);
      }
      const double lo = std::min(it.real8_min, it.real8_max),
                   hi = std::max(it.real8_min, it.real8_max);
      value = std::clamp(value, lo, hi);
      state = hi > lo ? tw::rounded((value - lo) * range / (hi - lo)) : 0;
      return;
    }
    state = value != 0.0 ? 1 : 0;
    return;
  }
  if (!io::isscriptunit(unit)) {
    setiostat(skipped);
    return;
  }
  const io::RwFile& r = io::rwfiles(unit);
  std::string format;
  std::int32_t fc = col;
  if (!r.coltable) {
    switch (r.recl) {
      case 1:
        format = "ib1";
        break;
      case 2:
        format = "ib2";
        break;
      case 4:
        format = "ib4";
        break;
      case 8:
        format = "fb8";
        break;
      default:
        core::msgkey.set(core::MSGKEY("rdwrErW"));
        return;
    }
  } else {
    if (t != nullptr && (mode & cellmode::displayed) != 0) fc = t->mapped(col);
    const ColInfo* ci = t != nullptr ? columnof(*t, fc) : nullptr;
    if (fc < 1 || fc > r.coltable->columns.size() || (ci != nullptr && ci->unusable)) {
      core::xeqstop = core::stops::error;
      return;
    }
    format = io::columnformat(unit, fc);
  }
  std::array<char, celltextsize> text{};
  text.fill(' ');
  const std::int32_t cellmodeword = mode & ~cellmode::displayed;
  if ((mode & cellmode::write) == 0) {
    IOCHARMXELEMENT(unit, shownrow, fc, text, cellmodeword | cellmode::read);
    if (core::iostatw[0] != 0 || !core::msgkey.is_blank()) return;
    double v = 0.0;
    if (readnumber(std::string_view(text.data(), text.size()), format, v)) {
      value = v;
    } else {
      setiostat(skipped);
      return;
    }
  } else {
    char status = ' ';
    io::REALTOSTRINGFMTD(text, value, format, status);
    if (status != ' ') core::WTSID8(text, value, 0);
    IOCHARMXELEMENT(unit, shownrow, fc, text, cellmodeword);
  }
  state = value != 0.0 ? 1 : 0;
}

void FORMATNUMMXELEMENT(std::int32_t item, std::int32_t row, std::int32_t col, double& value,
                        std::int32_t& ivalue, std::string& text, std::int32_t& flags) {
  mxrec* t = mxcur;
  exec::ctlrec* c = exec::ctlcur;
  std::int32_t state = 0;
  value = 0.0;
  if (t != nullptr) IOR8MXELEMENT(t->unit, row, col, item, value, state, cellmode::shown);
  std::int32_t status = 0;
  core::R8TOI4N(value, ivalue, status);
  const bool failed =
      t == nullptr || core::iostatw[0] != 0 || core::xeqstop > 0 || !core::msgkey.is_blank();
  if (failed) {
    flags = itemhide;
    if (c != nullptr) c->ctlkind |= tk::hidden;
    core::msgkey.blank();
    core::xeqstop = 0;
    setiostat(0);
  }
  text.clear();
  if (failed || c == nullptr) return;
  if ((c->ctlkind & ck::formatted) != 0) {
    const exec::wdwrec* w = exec::wdwcur;
    if (value == 0.0 && w != nullptr && (w->kind & exec::kind::zeroblank) != 0) return;
    const ColInfo* ci = columnof(*t, t->mapped(col));
    std::array<char, celltextsize> buf{};
    buf.fill(' ');
    if (ci == nullptr || !ci->showsnumber()) {
      core::WTSID8(std::span<char>(buf.data(), 11), value, 0);
    } else {
      char st = ' ';
      io::REALTOSTRINGFMTD(buf, value, ci->descr, st);
      if (st != ' ') core::WTSID8(std::span<char>(buf.data(), 11), value, 0);
    }
    const std::string_view s(buf.data(), buf.size());
    const std::size_t a = s.find_first_not_of(' ');
    if (a != std::string_view::npos) text.assign(s.substr(a, s.find_last_not_of(' ') - a + 1));
  } else if ((c->ctlkind & ck::bars) != 0) {
    ivalue = tw::rounded(value);
    if ((c->ctlkind & ck::progressbar) != 0) flags = 1;
  }
}

std::string cellastext(mxrec& t, std::int32_t row, std::int32_t col) {
  mxrec* const kept = mxcur;
  mxcur = &t;
  const std::int32_t fc = t.mapped(col);
  const ColInfo* ci = columnof(t, fc);
  std::string out;
  if (ci != nullptr && (t.unit > 0 || ci->letter == 'A')) {
    std::array<char, 256> text{};
    text.fill(' ');
    exec::ctlrec* const keptctl = exec::ctlcur;
    exec::ctlcur = nullptr;
    IOCHARMXELEMENT(t.unit, row, fc, text, cellmode::read | cellmode::title);
    exec::ctlcur = keptctl;
    if (core::iostatw[0] == 0 && core::msgkey.is_blank()) {
      const std::string_view s(text.data(), text.size());
      const std::size_t e = s.find_last_not_of(' ');
      if (e != std::string_view::npos) out.assign(s.substr(0, e + 1));
    }
  } else if (ci != nullptr) {
    double v = 0.0;
    std::int32_t state = 0;
    exec::ctlrec* const keptctl = exec::ctlcur;
    exec::ctlcur = nullptr;
    IOR8MXELEMENT(t.unit, row, fc, 0, v, state, cellmode::read);
    exec::ctlcur = keptctl;
    if (core::iostatw[0] == 0 && core::msgkey.is_blank()) {
      std::array<char, celltextsize> buf{};
      buf.fill(' ');
      char st = ' ';
      if (ci->showsnumber()) io::REALTOSTRINGFMTD(buf, v, ci->descr, st);
      if (!ci->showsnumber() || st != ' ') core::WTSID8(std::span<char>(buf.data(), 23), v, 0);
      const std::string_view s(buf.data(), buf.size());
      const std::size_t a = s.find_first_not_of(' ');
      if (a != std::string_view::npos) out.assign(s.substr(a, s.find_last_not_of(' ') - a + 1));
    }
  }
  core::msgkey.blank();
  setiostat(0);
  mxcur = kept;
  return out;
}

}  // namespace ui
