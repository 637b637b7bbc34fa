// The view of a table: its row index, sort keys and cluster numbers, the
// header and cluster sorts, and the cluster steps. Filters and searches are
// in tablesearch.cpp.
#include "ui/tablesort.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <numeric>

#include "core/messages.h"
#include "core/runwords.h"
#include "exec/windowlist.h"
#include "io/rwfiles.h"
#include "numeric/sort.h"
#include "ui/dialogwords.h"

namespace ui {

namespace {

// Allocation failures of the view are reported with their tag.
template <class F>
void allocating(std::string_view tag, F make) {
  try {
    make();
  } catch (const std::bad_alloc&) {
    std::int32_t status = 41;
    core::CHECKANDSETRUNTIMEERROR(tag, status);
  }
}

// The table of the window whose key is `key` (10000 × (table number - 1)
// plus its column); null when the window has no such table.
mxrec* keytable(mxrec& first, std::int32_t key) {
  const std::int32_t serial = key / 10000 + 1;
  for (mxrec* t = &first; t != nullptr; t = t->next)
    if (t->serial == serial) return t;
  return nullptr;
}

// The view that SORT sorts in table mode: the first table's keys as units
// and format columns of file tables or of the current table on a script
// variable.
bool tableview(numeric::SortView& view) {
  mxrec* first = mxfirst();
  if (first == nullptr || first->sortindex.empty() || first->clusterinfo1.empty()) return false;
  const std::size_t slots = std::min(first->clusterinfo1.size(), view.keycolumn.size());
  for (std::size_t k = 0; k < slots && first->clusterinfo1[k] != 0; ++k) {
    const std::int32_t key = first->clusterinfo1[k];
    const mxrec* t = keytable(*first, key);
    // A table on a script variable sorts as the current table, whose
    // cells the table cell reader reads.
    const bool ontext = t != nullptr && t->unit <= 0 && t == mxcur;
    if (t == nullptr || (!ontext && (!io::isscriptunit(t->unit) || !io::rwfiles(t->unit).coltable)))
      return false;
    view.keyunit[k] = t->unit;
    view.keycolumn[k] = t->mapped(key % 10000);
    view.keyvalue[k] = k < first->clusterinfo2.size() ? first->clusterinfo2[k] : 1;
  }
  view.rows = &first->sortindex;
  view.clusters = &first->clusterinfo3;
  return true;
}

// SORT's Descending on a column key: the sign of that slot's key value.
void keysign(std::int32_t key, bool descending) {
  mxrec* first = mxfirst();
  if (first == nullptr || first->sortindex.empty() || key < 1 ||
      static_cast<std::size_t>(key) > first->clusterinfo2.size() ||
      static_cast<std::size_t>(key) > first->clusterinfo1.size() ||
      first->clusterinfo1[static_cast<std::size_t>(key - 1)] == 0)
    return;
  std::int32_t& v = first->clusterinfo2[static_cast<std::size_t>(key - 1)];
  const std::int32_t magnitude = std::max(std::abs(v), 1);
  v = descending ? -magnitude : magnitude;
}

// A cell of a row of the row index (the file's filter applies, the pending
// edits are seen).
bool tablecell(std::int32_t unit, std::int32_t row, std::int32_t column, std::string& text) {
  std::array<char, 256> buf{};
  buf.fill(' ');
  mxrec* const kept = mxcur;
  exec::ctlrec* const keptctl = exec::ctlcur;
  exec::ctlcur = nullptr;
  IOCHARMXELEMENT(unit, row, column, buf, cellmode::read);
  mxcur = kept;
  exec::ctlcur = keptctl;
  text.clear();
  const std::int32_t status = core::iostatw[0];
  core::iostatw[0] = 0;
  if (!core::msgkey.is_blank()) return false;
  if (status != 0) return true;  // no such cell: it sorts as blank
  const std::string_view s(buf.data(), buf.size());
  text.assign(s.substr(0, s.find_last_not_of(' ') + 1));
  return true;
}

std::int32_t cluster(const mxrec& first, std::int32_t r) {
  if (r < 1 || r > static_cast<std::int32_t>(first.sortindex.size())) return 0;
  const std::int32_t row = first.sortindex[static_cast<std::size_t>(r - 1)];
  if (row < 1 || row > static_cast<std::int32_t>(first.clusterinfo3.size())) return 0;
  return first.clusterinfo3[static_cast<std::size_t>(row - 1)];
}

}  // namespace

mxrec* mxfirst() {
  if (mxcur != nullptr)
    for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next)
      for (mxrec* t = w->firsttable; t != nullptr; t = t->next)
        if (t == mxcur) return w->firsttable;
  if (mxcur != nullptr) return mxcur;  // a table not yet given to a window
  return exec::wdwcur != nullptr ? exec::wdwcur->firsttable : nullptr;
}

void ALLOCATEMXSORTINDEX() {
  if (mxcur == nullptr && exec::wdwcur != nullptr) mxcur = exec::wdwcur->firsttable;
  mxrec* first = mxfirst();
  if (first == nullptr || mxcur == nullptr || !first->sortindex.empty() || mxcur->nrows < 1) return;
  allocating("Mh01", [&] {
    first->sortindex.resize(static_cast<std::size_t>(mxcur->nrows));
    std::iota(first->sortindex.begin(), first->sortindex.end(), 1);
  });
}

void ALLOCATEMXCLUSTERINFO(std::int32_t n) {
  if (mxcur == nullptr && exec::wdwcur != nullptr) mxcur = exec::wdwcur->firsttable;
  mxrec* first = mxfirst();
  if (first == nullptr || n < 1) return;
  const auto slots = static_cast<std::size_t>(n);
  if (first->clusterinfo1.empty())
    allocating("Mh02", [&] { first->clusterinfo1.assign(slots, 0); });
  if (first->clusterinfo2.empty())
    allocating("Mh03", [&] { first->clusterinfo2.assign(slots, 0); });
  // A cluster number for every row the index can name.
  const std::size_t rows =
      std::max(first->sortindex.size(), static_cast<std::size_t>(std::max(first->nrows, 0)));
  if (first->clusterinfo3.empty() && rows > 0)
    allocating("Mh04", [&] { first->clusterinfo3.assign(rows, 0); });
}

void FREEMXSORTINDEX(mxrec& first) {
  std::vector<std::int32_t>().swap(first.sortindex);
  std::vector<std::int32_t>().swap(first.clusterinfo1);
  std::vector<std::int32_t>().swap(first.clusterinfo2);
  std::vector<std::int32_t>().swap(first.clusterinfo3);
}

void MXVIEWAFTEREDIT(std::int32_t& row, bool show) {
  mxrec* first = mxfirst();
  if (first == nullptr || mxcur == nullptr || first->sortindex.empty()) return;
  std::vector<std::int32_t>().swap(first->sortindex);
  std::vector<std::int32_t>().swap(first->clusterinfo3);
  ALLOCATEMXSORTINDEX();
  ALLOCATEMXCLUSTERINFO(mxmaxkeys);
  bool keys = false;
  for (const std::int32_t k : first->clusterinfo1) keys = keys || k != 0;
  if (keys) numeric::SORTSTMT(mxcur->nrows);
  if (!show) return;
  const auto at = std::find(first->sortindex.begin(), first->sortindex.end(), row);
  if (at != first->sortindex.end())
    row = static_cast<std::int32_t>(at - first->sortindex.begin()) + 1;
}

void SORTMXCOLUMN(std::int32_t column, std::int32_t /*options*/) {
  if (mxcur == nullptr && exec::wdwcur != nullptr) mxcur = exec::wdwcur->firsttable;
  mxrec* first = mxfirst();
  if (first == nullptr || mxcur == nullptr) return;
  // The key lists are made when missing, also after a filter made the
  // row index alone.
  ALLOCATEMXSORTINDEX();
  ALLOCATEMXCLUSTERINFO(mxmaxkeys);
  if (first->clusterinfo1.empty() || first->clusterinfo2.empty()) return;
  const std::int32_t key = 10000 * (mxcur->serial - 1) + column;
  std::int32_t d = 1;
  for (std::size_t k = 0; k < first->clusterinfo1.size(); ++k) {
    if (first->clusterinfo1[k] != key) continue;
    std::int32_t& v = first->clusterinfo2[k];
    if (v > 0) {
      d = v;
      v = -v;
    } else {
      d = v == 0 ? 1 : 0;
    }
    break;
  }
  MXCLUSTERSORT(key, d, mxmaxkeys, first->nrows);
}

void MXCLUSTERSORT(std::int32_t key, std::int32_t value, std::int32_t slots, std::int32_t rows) {
  mxrec* first = mxfirst();
  mxrec* t = mxcur != nullptr ? mxcur : first;
  if (first == nullptr || t == nullptr) return;
  if (first->clusterinfo1.empty() || first->clusterinfo2.empty()) {
    ALLOCATEMXSORTINDEX();
    ALLOCATEMXCLUSTERINFO(mxmaxkeys);
    if (first->clusterinfo1.empty() || first->clusterinfo2.empty()) return;
  }
  if (key == 0) {
    // The cluster bar of the current control: bars stand one under each
    // visible column, the last items of the table.
    if (exec::ctlcur == nullptr) return;
    const std::int32_t bar = exec::ctlcur->ctlid - idbase - (t->lastitem - t->viscols);
    if (bar < 1 || bar > t->viscols) return;
    key = 10000 * (t->serial - 1) + t->leftcol - 1 + bar;
  }
  std::vector<std::int32_t>& cols = first->clusterinfo1;
  std::vector<std::int32_t>& vals = first->clusterinfo2;
  const auto n = static_cast<std::size_t>(
      std::clamp(slots, 0, static_cast<std::int32_t>(std::min(cols.size(), vals.size()))));
  std::size_t slot = 0;
  while (slot < n && cols[slot] != key && cols[slot] != 0) ++slot;
  if (slot < n && cols[slot] == 0) {
    if (value == 0) return;  // nothing to remove
    cols[slot] = key;
    vals[slot] = value;
  } else if (slot < n && value != 0) {
    vals[slot] = vals[slot] < 0 ? -std::abs(value) : std::abs(value);
  } else if (slot < n) {
    for (std::size_t k = slot; k + 1 < n; ++k) {
      cols[k] = cols[k + 1];
      vals[k] = vals[k + 1];
    }
    cols[n - 1] = 0;
    vals[n - 1] = 0;
    std::int64_t weight = 0;
    for (std::size_t k = 0; k < n; ++k) weight += std::abs(vals[k]);
    if (weight == 0) {
      FREEMXSORTINDEX(*first);
      t->sortcol = 0;
      return;
    }
    key = cols[slot > 0 ? slot - 1 : 0];
  }
  t->sortcol = key;
  numeric::SORTSTMT(rows);
}

void MXCLUSTERUPDOWN(std::int32_t item) {
  mxrec* first = mxfirst();
  if (first == nullptr || first->nrows < 1) return;
  mxrec& t = *first;
  const bool down = item == t.lastcell + 3;
  const std::int32_t step = down ? 1 : -1, limit = down ? t.nrows : 1;
  bool grouped = false;
  for (const std::int32_t v : t.clusterinfo2) grouped = grouped || std::abs(v) >= 2;
  if (!grouped || t.sortindex.empty()) {
    // Pages of the visible rows.
    if (down) {
      t.toprow += t.visrows;
      if (t.toprow > t.nrows) t.toprow = 1;
    } else {
      t.toprow -= t.visrows;
      if (t.toprow < 1) t.toprow = std::max(t.nrows - t.visrows + 1, 1);
    }
    return;
  }
  t.toprow = std::clamp(t.toprow, 1, t.nrows);
  std::int32_t v = cluster(t, t.toprow);
  bool changed = false;
  for (std::int32_t r = t.toprow + step; down ? r <= limit : r >= limit; r += step) {
    const std::int32_t c = cluster(t, r);
    if (c == v) continue;
    if (down || changed) {
      t.toprow = down ? r : r + 1;
      return;
    }
    changed = true;
    v = c;
  }
  t.toprow = 1;
  if (down || changed) return;
  // Up from the first cluster: the first row of the last one.
  v = cluster(t, t.nrows);
  for (std::int32_t r = t.nrows - 1; r >= 1; --r) {
    if (cluster(t, r) != v) {
      t.toprow = r + 1;
      return;
    }
  }
}

void install_tablesort() {
  numeric::sortcells.tableview = tableview;
  numeric::sortcells.tablecell = tablecell;
  numeric::sortcells.keysign = keysign;
  install_tablesearch();
}

}  // namespace ui
