#include "numeric/sort.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "core/messages.h"
#include "core/runwords.h"
#include "exec/optvalues.h"
#include "io/rwfiles.h"
#include "numeric/sort_work.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace sorting {

bool fail(std::string_view key) {
  core::msgkey.set(key);
  return false;
}

}  // namespace sorting

namespace {

using exec::optkw;
using exec::optval;
using sorting::fail;
using sorting::Key;
using sorting::Params;
using sorting::Work;

// Keyword numbers of the option list.
enum Kw {
  kwVector = 1,
  kwFIle,
  kwColumn,
  kwIndex,
  kwCLUSter,
  kwRank,
  kwGroups,
  kwStDdev,
  kwPhySsort,
  kwDescending,
  kwSorted,
  kwOption,
  kwDELDouBLes
};

// What the option walk leaves: go on, stop with the message in `msgkey`,
// or end without sorting (a file of fewer than two records).
enum class Walk { go, failed, done };

Walk stop(std::string_view key) {
  fail(key);
  return Walk::failed;
}

// A form that needs the table editor or the line index of text files.
Walk notyet() { return stop(core::MSGKEY("notYetBuilt")); }

Key& current(Params& s) { return s.key(std::max(s.nkeys, 1)); }

// A Vector or Column starts a new key; a ninth replaces the eighth.
Key& newkey(Params& s) {
  s.nkeys = std::min(s.nkeys + 1, sorting::maxkeys);
  Key& k = s.key(s.nkeys);
  k.vector = 0;
  k.column = 0;
  return k;
}

// The records of the file named by symbol f.
Walk takefile(Params& s, std::int32_t f) {
  if (f < 1 || (core::NAMTYP(f, 0x100) & 0x100) == 0) return stop(core::MSGKEY("SortError9"));
  const std::int32_t unit = core::name(f).adr;
  if (!io::isscriptunit(unit) || io::rwfiles(unit).filevar < 1)
    return stop(core::MSGKEY("SortErrorB"));
  const io::RwFile& r = io::rwfiles(unit);
  if (r.recl < 1 && r.format < 1) return stop(core::MSGKEY("SortErrorA"));
  // A file viewed as a table: its Column keys are its cells.
  if (r.coltable) s.columns = std::max(static_cast<std::int32_t>(r.coltable->columns.size()), 0);
  s.unit = unit;
  s.recl = r.recl >= 1 ? std::min(r.recl, sorting::maxkeywidth) : sorting::maxkeywidth;
  s.haslines = sortlineindex != nullptr && sortlineindex(unit, s.lines);
  if (r.rowmap) {
    // The order an earlier SORT left: its records.
    s.filerecords = static_cast<std::int32_t>(std::count_if(
        r.rowmap->rows.begin(), r.rowmap->rows.end(), [](std::int32_t e) { return e > 0; }));
    if (!s.haslines && (r.mode & io::rwflag::direct) == 0) return notyet();
  } else if (s.haslines) {
    s.filerecords = std::max(s.lines.lines(), 0);
  } else if ((r.mode & io::rwflag::direct) == 0) {
    return notyet();  // the lines of a text file need its line index
  } else {
    s.filerecords =
        r.recl >= 1
            ? static_cast<std::int32_t>(std::min<std::int64_t>(r.filelength / r.recl, 2147483647))
            : 0;
  }
  s.n = s.filerecords;
  return s.n < 2 ? Walk::done : Walk::go;
}

// The options in written order (slot noptions first).
Walk takeoptions(Params& s) {
  std::int32_t vectorlength = -1;
  for (std::int32_t slot = exec::noptions; slot >= 1; --slot) {
    const std::int32_t v = optval(slot);
    ZArray a;
    switch (optkw(slot)) {
      case kwVector:
        if (!numericarray(v, a)) return stop(core::MSGKEY("SortError7"));
        if (vectorlength >= 0 && a.cols != vectorlength) return stop(core::MSGKEY("SortErrorC"));
        vectorlength = a.cols;
        newkey(s).vector = v;
        s.n = a.cols;
        break;
      case kwFIle:
        if (const Walk w = takefile(s, v); w != Walk::go) return w;
        break;
      case kwColumn:
        newkey(s).column = exec::KEYVALUE(v);
        break;
      case kwIndex:
        s.index = v;
        break;
      case kwCLUSter:
        s.cluster = v;
        break;
      case kwRank:
        s.rank = v;
        break;
      case kwGroups:
        current(s).groups = std::max(exec::KEYVALUE(v), 0);
        s.clustermode = true;
        break;
      case kwPhySsort:
        s.physical = exec::KEYVALUE(v) > 0;
        break;
      case kwDescending:
        current(s).descending = exec::KEYVALUE(v) != 0;
        // A column key also turns the shown table's key of that slot.
        if (current(s).column > 0 && sortcells.keysign != nullptr)
          sortcells.keysign(std::max(s.nkeys, 1), current(s).descending);
        break;
      case kwSorted:
        current(s).sorted = v;
        break;
      case kwOption:
        s.option = v > 0 && core::z.valid(v) ? nearest32(core::z(v)) : 0;
        break;
      case kwDELDouBLes:
        s.deldoubles = exec::KEYVALUE(v) != 0;
        break;
      default:
        break;  // ERror is the dispatch's; StDdev is not used
    }
  }
  // A key vector holds one value per record of the file.
  if (s.unit > 0 && vectorlength >= 0 && vectorlength != s.filerecords)
    return stop(core::MSGKEY("SortErrorC"));
  if (s.unit > 0) s.n = s.filerecords;
  // An output that is no array names a column of the current table.
  ZArray a;
  for (const std::int32_t out : {s.index, s.cluster, s.rank})
    if (out > 0 && !numericarray(out, a) && sortcells.putcolumn == nullptr) return notyet();
  return Walk::go;
}

// The array receives first min(n, its columns) values, the rest 0.
template <class F>
void fillarray(const ZArray& a, std::int32_t n, F value) {
  const std::int32_t m = std::min(n, a.cols);
  for (std::int32_t i = 1; i <= a.count; ++i) a(i) = i <= m ? value(i) : 0.0;
}

void writeoutputs(Params& s, Work& w) {
  const std::int32_t n = s.n;
  // The key vectors in sorted order, all read before any is written, as a
  // target may be another key's vector.
  std::vector<std::pair<ZArray, std::vector<double>>> sorted;
  for (std::int32_t k = 1; k <= s.nkeys; ++k) {
    ZArray v, t;
    const Key& key = s.key(k);
    if (key.vector < 1 || !numericarray(key.vector, v) || !numericarray(key.sorted, t)) continue;
    std::vector<double> values(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) values[static_cast<std::size_t>(i - 1)] = v(w.P(i));
    sorted.emplace_back(t, std::move(values));
  }
  for (const auto& entry : sorted) {
    const std::vector<double>& values = entry.second;
    fillarray(entry.first, n,
              [&](std::int32_t i) { return values[static_cast<std::size_t>(i - 1)]; });
  }

  std::vector<std::int32_t> rank(static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) rank[static_cast<std::size_t>(w.P(i) - 1)] = i;
  const auto clusterof = [&](std::int32_t i) { return static_cast<double>(w.C(i)); };
  const auto rankof = [&](std::int32_t r) {
    return static_cast<double>(rank[static_cast<std::size_t>(r - 1)]);
  };
  const auto indexof = [&](std::int32_t i) { return static_cast<double>(w.P(i)); };
  // An array receives the values; any other output names the column of the
  // current table whose rows receive them (the first cell that cannot take
  // its value ends the column).
  const auto out = [&](std::int32_t sym, auto value) {
    if (sym <= 0) return;
    ZArray a;
    if (numericarray(sym, a)) {
      fillarray(a, n, value);
    } else if (sortcells.putcolumn != nullptr && core::z.valid(sym)) {
      const std::int32_t column = nearest32(core::z(sym));
      for (std::int32_t i = 1; i <= n; ++i)
        if (!sortcells.putcolumn(column, i, value(i))) break;
    }
  };
  out(s.cluster, clusterof);
  out(s.rank, rankof);
  if (!w.indexorder) out(s.index, indexof);
}

void setresult(std::int32_t n) {
  if (core::z.valid(core::iresult)) core::z(core::iresult) = n;
}

}  // namespace

namespace {

// Table mode: the rows shown of the window's first table, sorted by its
// key slots in cluster mode. The records are the rows shown in stored
// order, so that the order is the keys' alone whatever order was shown
// before; the row index and the cluster numbers are written back.
void sorttable(std::int32_t tablerows) {
  SortView view;
  if (sortcells.tableview == nullptr || !sortcells.tableview(view) || view.rows == nullptr ||
      view.clusters == nullptr)
    return;
  std::vector<std::int32_t>& index = *view.rows;
  Params s;
  s.tablemode = true;
  s.clustermode = true;
  for (std::size_t k = 0; k < view.keycolumn.size() && view.keycolumn[k] != 0; ++k) {
    Key& key = newkey(s);
    key.unit = view.keyunit[k];
    key.column = view.keycolumn[k];
    key.groups = std::abs(view.keyvalue[k]);
    key.descending = view.keyvalue[k] < 0;
  }
  const std::int32_t n = std::min(tablerows, static_cast<std::int32_t>(index.size()));
  if (s.nkeys < 1 || n < 1) return;
  for (std::int32_t i = 0; i < n; ++i)
    if (index[static_cast<std::size_t>(i)] >= 1)
      s.tablerows.push_back(index[static_cast<std::size_t>(i)]);
  std::sort(s.tablerows.begin(), s.tablerows.end());
  s.n = static_cast<std::int32_t>(s.tablerows.size());
  s.unit = s.key(1).unit;
  Work w;
  if (!sorting::sortkeys(s, w)) return;
  std::vector<std::int32_t>& clusters = *view.clusters;
  for (std::int32_t i = 1; i <= s.n; ++i) {
    const std::int32_t row = s.tablerows[static_cast<std::size_t>(w.P(i) - 1)];
    index[static_cast<std::size_t>(i - 1)] = row;
    if (static_cast<std::size_t>(row) > clusters.size())
      clusters.resize(static_cast<std::size_t>(row), 0);
    clusters[static_cast<std::size_t>(row - 1)] = static_cast<std::int32_t>(w.C(i));
  }
}

}  // namespace

void SORTSTMT(std::int32_t tablerows) {
  if (tablerows != 0) {
    try {
      sorttable(tablerows);
    } catch (const std::bad_alloc&) {
      std::int32_t status = 41;
      core::CHECKANDSETRUNTIMEERROR("So01", status);
    }
  } else {
    Params s;
    switch (takeoptions(s)) {
      case Walk::failed:
        break;
      case Walk::done:
        setresult(s.n);
        break;
      case Walk::go:
        try {
          Work w;
          if (!sorting::sortkeys(s, w)) break;
          setresult(s.n);
          writeoutputs(s, w);
          if (s.physical && s.unit > 0) sorting::rewritefile(s, w);
        } catch (const std::bad_alloc&) {
          std::int32_t status = 41;
          core::CHECKANDSETRUNTIMEERROR("So01", status);
        }
        break;
    }
  }
  if (!core::msgkey.is_blank()) core::xeqstop = core::stops::error;
}

void SORT(const exec::OptCall&) { SORTSTMT(0); }

}  // namespace numeric
