// Filters and searches of file tables: the rows shown that pass condition
// texts, the rows where a column's text changes, the next row that holds a
// text or a number (or the closest number), and the executor's search of a
// file variable shown as a table (INDEX).
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/symbols.h"
#include "exec/tablecalls.h"
#include "exec/varkommas.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/rowfilter.h"
#include "io/rwfiles.h"
#include "io/tableelement.h"
#include "ui/tablechanges.h"
#include "ui/tablesort.h"
#include "ui/tablework.h"

namespace ui {

namespace {

constexpr std::string_view filtertitle = "filtering...";
// The longest cell text a search or filter reads.
constexpr std::int32_t maxcell = 65536;

std::string_view trimmedright(std::string_view s) {
  const std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? s.substr(0, 0) : s.substr(0, e + 1);
}

// The unit held by a file variable (0 when the symbol is none).
std::int32_t unitof(std::int32_t filesym) {
  if (filesym < 1 || core::NAMTYP(filesym, tw::typefile) == 0) return 0;
  const std::int32_t unit = core::name(filesym).adr;
  return io::isscriptunit(unit) ? unit : 0;
}

std::int32_t celllength(std::int32_t unit) {
  return std::clamp(io::isscriptunit(unit) ? io::rwfiles(unit).recl : 0, 256, maxcell);
}

// The text of cell (row, col) in the given cell mode, without trailing
// blanks; false when it cannot be read.
bool celltext(std::int32_t unit, std::int32_t row, std::int32_t col, std::int32_t mode,
              std::int32_t length, std::string& out) {
  std::string buf(static_cast<std::size_t>(length), ' ');
  exec::ctlrec* const keptctl = exec::ctlcur;
  exec::ctlcur = nullptr;
  core::iostatw[0] = 0;
  IOCHARMXELEMENT(unit, row, col, buf, mode | cellmode::read);
  exec::ctlcur = keptctl;
  const bool ok = core::iostatw[0] == 0 && core::msgkey.is_blank();
  core::iostatw[0] = 0;
  core::msgkey.blank();
  out.assign(trimmedright(buf));
  return ok;
}

// The descriptor of display column col of the current table (empty when
// the file has no column table or the column is none).
std::string descriptorof(std::int32_t unit, std::int32_t col) {
  if (col < 1 || !io::isscriptunit(unit) || !io::rwfiles(unit).coltable) return {};
  const std::int32_t fc = mxcur != nullptr ? mxcur->mapped(col) : col;
  if (fc < 1 || fc > static_cast<std::int32_t>(io::rwfiles(unit).coltable->columns.size()))
    return {};
  return io::columnformat(unit, fc);
}

bool numericletter(std::string_view descr, std::string_view letters) {
  return !descr.empty() && letters.find(descr.front()) != std::string_view::npos;
}

// A text read as a plain number; false when it is none.
bool plainnumber(std::string_view text, double& value) {
  text = trimmedright(text);
  const std::size_t a = text.find_first_not_of(' ');
  if (a == std::string_view::npos) return false;
  text = text.substr(a);
  std::int32_t position = -1, error = 0;
  double v = 0.0;
  core::GETR8N(text, static_cast<std::int32_t>(text.size()), v, position, error);
  if (error != 0 || std::abs(position) <= static_cast<std::int32_t>(text.size())) return false;
  value = v;
  return true;
}

// The search text as a number the way column col's cells are read.
bool searchnumber(std::string_view text, std::int32_t col, double& value) {
  const std::string descr = mxcur != nullptr ? descriptorof(mxcur->unit, col) : std::string();
  if (!descr.empty() && descr.front() == 'U') {
    const std::string kept(core::msgkey.view());
    double v = 0.0;
    const bool ok = io::REALFROMSTRINGFMTD(text, v, descr) && core::msgkey.is_blank();
    core::msgkey.set(kept);
    if (ok) value = v;
    return ok;
  }
  return plainnumber(text, value);
}

std::string_view valueof(std::string_view text, const io::FilterCondition& c) {
  if (c.valstart < 1 || c.valend < c.valstart ||
      c.valstart > static_cast<std::int32_t>(text.size()))
    return {};
  return text.substr(static_cast<std::size_t>(c.valstart - 1),
                     static_cast<std::size_t>(c.valend - c.valstart + 1));
}

// The title item of display column col shows that the column is being
// filtered.
void marktitle(const mxrec& t, std::int32_t col) {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || col < 1) return;
  const std::int32_t item = t.firstitem + col - 1;
  if (!w->dialogitems.valid(item)) return;
  const std::string text(filtertitle);
  tw::ItemChange change;
  change.text = &text;
  tw::updateitem(w->dialogitems(item), w->window, change);
}

// The rows the search walks: the rows shown for display positions, else
// every row of the table (or of the file without a table).
std::int32_t searchrows(std::int32_t unit, std::int32_t mode) {
  const mxrec* t = mxcur;
  if (t != nullptr) {
    if ((mode & cellmode::displayed) != 0) return t->nrows;
    const mxrec* first = mxfirst();
    return first != nullptr && !first->sortindex.empty()
               ? static_cast<std::int32_t>(first->sortindex.size())
               : t->nrows;
  }
  return std::max(storedlines(unit), 0);
}

}  // namespace

void FMTREADSEARCHTEXT(std::string_view text, std::int32_t length, std::int32_t column,
                       double& value) {
  text = text.substr(0, static_cast<std::size_t>(std::clamp<std::int64_t>(
                            length, 0, static_cast<std::int64_t>(text.size()))));
  value = 0.0;
  double v = 0.0;
  if (searchnumber(text, column, v)) value = v;
}

std::int32_t MATRIXFILTER(std::int32_t /*unit*/, std::string_view text, std::int32_t length,
                          std::int32_t& rows, std::int32_t options, double tolerance) {
  ALLOCATEMXSORTINDEX();
  mxrec* t = mxcur;
  mxrec* first = mxfirst();
  if (t == nullptr || first == nullptr || first->sortindex.empty()) return 0;
  const std::int32_t unit = t->unit;
  text = text.substr(0, static_cast<std::size_t>(std::clamp<std::int64_t>(
                            length, 0, static_cast<std::int64_t>(text.size()))));
  std::vector<io::FilterCondition> conds;
  bool andflag = false;
  core::msgkey.blank();
  io::FILEFILTERANALYZE(t->ncols, mxsearchcol, text, mxmaxkeys, conds, andflag);
  if (!core::msgkey.is_blank() || conds.empty()) return 0;
  std::vector<std::string> formats;
  for (io::FilterCondition& c : conds) {
    if (c.column == 0) c.column = std::max(mxsearchcol, 0);
    c.column = std::min(c.column, t->ncols);
    marktitle(*t, c.column);
    formats.push_back(descriptorof(unit, c.column));
    // A number column compares numbers when the value reads as one.
    c.numeric = numericletter(formats.back(), "NFfEeIiBbOoZz") &&
                searchnumber(valueof(text, c), c.column, c.number);
  }
  std::vector<std::int32_t>& index = first->sortindex;
  const std::int32_t shown =
      std::min(std::clamp(rows, 0, t->nrows), static_cast<std::int32_t>(index.size()));
  const std::int32_t length1 = celllength(unit);
  std::int32_t count = 0;
  std::string cell;
  std::vector<std::int32_t> kept;
  kept.reserve(static_cast<std::size_t>(shown));
  for (std::int32_t r = 1; r <= shown; ++r) {
    bool verdict = false;
    for (std::size_t k = 0; k < conds.size(); ++k) {
      if (!celltext(unit, r, conds[k].column, cellmode::shown, length1, cell)) {
        verdict = false;
        break;
      }
      verdict = false;
      if (io::FILTERFINITO(verdict, conds[k], valueof(text, conds[k]), cell, formats[k], options,
                           tolerance))
        break;
    }
    if (!verdict) continue;
    const std::int32_t e = index[static_cast<std::size_t>(r - 1)];
    kept.push_back(e != 0 ? e : r);
  }
  count = static_cast<std::int32_t>(kept.size());
  std::copy(kept.begin(), kept.end(), index.begin());
  std::fill(index.begin() + count, index.begin() + std::max(shown, count), 0);
  rows = count;
  t->nrows = count;
  return count;
}

std::int32_t SEARCHMXCELLTEXT(std::int32_t unit, std::int32_t row, std::int32_t column,
                              std::int32_t celllen, std::int32_t mode, std::string_view pattern,
                              std::int32_t options, std::int32_t& status) {
  std::string cell;
  status = 0;
  if (!celltext(unit, row, column, mode, std::clamp(celllen, 1, maxcell), cell)) {
    status = 1;
    return 0;
  }
  if (cell.empty() || pattern.empty()) return 0;
  int notfound = 0;
  const int at = core::SEARCH(cell, pattern, 1, static_cast<int>(cell.size()), options, notfound);
  if (notfound != 0 || at < 1) return 0;
  if (column == 0) mxfoundtext = cell.substr(0, 256);
  return at;
}

namespace {

// Whether a search of `column` may go to the executor's column search: a
// single plain text condition (`single`), forwards, neither closest nor
// counting nor bisecting, and the rows and columns searched are the
// file's own (no sorted or filtered view, no column order, no filter).
bool columnsearch(std::int32_t unit, std::int32_t n, bool single, std::int32_t options,
                  std::int32_t mode, std::int32_t column) {
  if (!single || (options & (mxopt::backward | mxopt::closest | 256 | 512)) != 0) return false;
  std::int32_t rows = 0, columns = 0;
  if (!io::tableshape(unit, rows, columns) || rows != n || column > columns) return false;
  if ((mode & cellmode::displayed) == 0 || mxcur == nullptr) return true;
  const mxrec* first = mxfirst();
  return (first == nullptr || first->sortindex.empty()) && mxcur->mapped(column) == column;
}

}  // namespace

bool MATRIXSEARCH(std::int32_t filesym, std::int32_t maxconditions, std::string_view text,
                  std::int32_t length, std::int32_t options, std::int32_t mode, std::int32_t& row,
                  double& value, double tolerance) {
  const std::int32_t unit = unitof(filesym);
  SETMXTOUNIT(unit);
  if (unit == 0) return false;
  text = text.substr(0, static_cast<std::size_t>(std::clamp<std::int64_t>(
                            length, 0, static_cast<std::int64_t>(text.size()))));
  const io::RwFile& f = io::rwfiles(unit);
  const std::int32_t columns =
      mxcur != nullptr ? mxcur->ncols
                       : (f.coltable ? static_cast<std::int32_t>(f.coltable->columns.size()) : 0);
  std::vector<io::FilterCondition> conds;
  bool andflag = false;
  core::msgkey.blank();
  io::FILEFILTERANALYZE(columns, mxsearchcol, text, std::max(maxconditions, 1), conds, andflag);
  if (!core::msgkey.is_blank() || conds.empty()) return false;
  // Per condition: its column, and its value as a number when the column
  // holds numbers (a column 0 or one without a format is text).
  struct Test {
    std::int32_t column = 0;
    bool number = false;
    double wanted = 0.0;
    std::string_view pattern;
  };
  std::vector<Test> tests;
  for (const io::FilterCondition& c : conds) {
    Test k;
    k.column = c.column != 0 ? c.column : std::max(mxsearchcol, 0);
    k.pattern = valueof(text, c);
    k.number = k.column > 0 && numericletter(descriptorof(unit, k.column), io::numberletters) &&
               searchnumber(k.pattern, k.column, k.wanted);
    tests.push_back(k);
  }
  const std::int32_t n = searchrows(unit, mode);
  const bool back = (options & mxopt::backward) != 0;
  if (f.lineindex && columnsearch(unit, n,
                                  tests.size() == 1 && !tests[0].number && tests[0].column > 0 &&
                                      (conds[0].ops & (io::filter_and | io::filter_not)) == 0,
                                  options, mode, tests[0].column)) {
    // One plain text condition forwards over a line-indexed file whose
    // rows show as stored: the executor's column search finds the row.
    const std::int32_t from = row + 1 > n || row + 1 < 1 ? 1 : row + 1;
    const std::int32_t to = from == 1 ? std::clamp(row, 1, n) : n;
    const std::int32_t hit =
        exec::MXSEARCHFMTD(filesym, from, tests[0].column, std::string(tests[0].pattern), options);
    value = mxnonumber;
    if (hit >= from && hit <= to) {
      row = hit;
      return true;
    }
    row = to + 1;
    return false;
  }
  std::int32_t from = 0, to = 0;
  if (!back) {
    from = row + 1;
    to = n;
    if (from > n) {
      from = 1;
      to = row;
    }
  } else {
    // The start row itself is tested when the caller raised it by one.
    from = std::min(n + 1, row) - 1;
    to = 1;
    if (from < 1) {
      from = n;
      to = std::max(row, 1);
    }
  }
  from = std::clamp(from, 1, std::max(n, 1));
  to = std::clamp(to, 1, std::max(n, 1));
  const std::int32_t step = back ? -1 : 1;
  const std::int32_t length1 = celllength(unit);
  double best = mxnonumber, bestvalue = mxnonumber;
  std::int32_t closest = 0;
  if (n >= 1) {
    for (std::int32_t r = from; back ? r >= to : r <= to; r += step) {
      row = r;
      for (std::size_t k = 0; k < tests.size(); ++k) {
        const Test& c = tests[k];
        bool hit = false;
        if (c.number) {
          double v = 0.0;
          std::int32_t state = 0;
          exec::ctlrec* const keptctl = exec::ctlcur;
          exec::ctlcur = nullptr;
          core::iostatw[0] = 0;
          IOR8MXELEMENT(unit, r, c.column, 0, v, state, mode | cellmode::read);
          exec::ctlcur = keptctl;
          const bool read = core::iostatw[0] == 0 && core::msgkey.is_blank() && core::xeqstop <= 0;
          core::iostatw[0] = 0;
          core::msgkey.blank();
          if (core::xeqstop == core::stops::error) core::xeqstop = 0;
          if (read) {
            value = v;
            const double d = std::fabs(c.wanted - v);
            hit = d <= tolerance;
            if (!hit && d < best) {
              best = d;
              bestvalue = v;
              closest = r;
            }
          }
        } else {
          value = mxnonumber;
          std::int32_t status = 0;
          hit = SEARCHMXCELLTEXT(unit, r, c.column, length1, mode, c.pattern,
                                 options & ~mxopt::backward, status) > 0;
        }
        if (core::xeqstop == core::stops::cancel) return false;
        const bool last = k + 1 == tests.size();
        bool found = false, failed = false;
        switch (conds[k].ops & (io::filter_and | io::filter_not)) {
          case 0:
            found = hit;
            break;
          case io::filter_and:
            failed = !hit;
            found = hit && last;
            break;
          case io::filter_not:
            failed = hit;
            found = !hit;
            break;
          default:
            failed = hit;
            found = !hit && last;
            break;
        }
        if (found) return true;
        if (failed) break;
      }
    }
    row = to + step;
  }
  if ((options & mxopt::closest) != 0 && closest > 0) {
    row = closest;
    value = bestvalue;
    return true;
  }
  return false;
}

void MATRIXDELTASEARCH(std::int32_t filesym, std::int32_t options, std::int32_t& row,
                       double& value) {
  value = mxnonumber;
  const std::int32_t unit = unitof(filesym);
  SETMXTOUNIT(unit);
  const mxrec* t = mxcur;
  if (unit == 0 || t == nullptr || t->nrows < 1) return;
  const std::int32_t n = t->nrows, col = std::max(mxsearchcol, 0);
  const std::int32_t start = std::clamp(row, 1, n);
  std::string first, cell;
  celltext(unit, start, col, cellmode::shown, 256, first);
  const bool back = (options & mxopt::backward) != 0;
  std::int32_t r = start;
  for (;;) {
    r = back ? (r - 1 < 1 ? n : r - 1) : (r + 1 > n ? 1 : r + 1);
    if (r == start) break;
    celltext(unit, r, col, cellmode::shown, 256, cell);
    if (cell != first) break;
  }
  row = r;
  if (r == start) cell = first;
  if (col < 1) return;
  const std::string descr = descriptorof(unit, col);
  if (!numericletter(descr, "NFfEeIiBbOoZz")) return;
  const std::string kept(core::msgkey.view());
  double v = 0.0;
  if (io::REALFROMSTRINGFMTD(cell, v, descr) && core::msgkey.is_blank()) value = v;
  core::msgkey.set(kept);
}

void MATRIXDELTAFILTER(std::int32_t& row, std::int32_t column, char mode, std::int32_t options) {
  if (mode != 't') {
    const std::int32_t filesym =
        mxcur != nullptr && io::isscriptunit(mxcur->unit) ? io::rwfiles(mxcur->unit).filevar : 0;
    double value = 0.0;
    MATRIXDELTASEARCH(filesym, options, row, value);
    return;
  }
  ALLOCATEMXSORTINDEX();
  mxrec* t = mxcur;
  mxrec* first = mxfirst();
  row = 1;
  mxsearchcol = column;
  if (t == nullptr || first == nullptr || first->sortindex.empty()) return;
  std::vector<std::int32_t>& index = first->sortindex;
  const std::int32_t shown = std::min(t->nrows, static_cast<std::int32_t>(index.size()));
  const std::int32_t col = std::max(column, 0);
  // Each row whose text differs from the row before it; the first row
  // never. The texts are read before the index changes.
  std::vector<std::int32_t> kept;
  std::string before, cell;
  for (std::int32_t r = 1; r <= shown; ++r) {
    celltext(t->unit, r, col, cellmode::shown, 256, cell);
    if (r > 1 && cell != before) {
      const std::int32_t e = index[static_cast<std::size_t>(r - 1)];
      kept.push_back(e != 0 ? e : r);
    }
    before.swap(cell);
  }
  const auto count = static_cast<std::int32_t>(kept.size());
  std::copy(kept.begin(), kept.end(), index.begin());
  std::fill(index.begin() + count, index.begin() + std::max(shown, count), 0);
  t->nrows = count;
}

namespace {

// INDEX of a file variable: searches the file's table from the row after
// its last transfer (backwards: before it), so that a script reads the
// row found and searches on; the row found, 0 when none.
bool indexsearch(std::int32_t filesym, std::string_view text, bool isnumber, double number,
                 std::int32_t options, double& found) {
  const std::int32_t unit = unitof(filesym);
  if (unit == 0 || !io::rwfiles(unit).coltable) return false;
  std::string what(text);
  if (isnumber) {
    std::array<char, 40> buf{};
    buf.fill(' ');
    char status = ' ';
    io::REALTOSTRINGFMTD(buf, number, "F15", status);
    const std::string_view s(buf.data(), buf.size());
    const std::size_t a = s.find_first_not_of(' ');
    what = a == std::string_view::npos ? std::string() : std::string(trimmedright(s.substr(a)));
  }
  mxrec* const kept = mxcur;
  SETMXTOUNIT(unit);
  const std::int32_t n = searchrows(unit, cellmode::read);
  const std::int32_t position = io::rwfiles(unit).position;
  std::int32_t row = 0;
  if ((options & mxopt::backward) == 0) {
    row = std::max(position + 1, 1) - 1;
  } else {
    row = (position > 1 ? position - 1 : n) + 1;
  }
  double value = 0.0;
  const bool hit = MATRIXSEARCH(filesym, 1, what, static_cast<std::int32_t>(what.size()), options,
                                cellmode::read, row, value, io::filtertoldefault);
  mxcur = kept;
  found = hit ? row : 0.0;
  return true;
}

}  // namespace

void install_tablesearch() { exec::tablecalls.search = indexsearch; }

}  // namespace ui
