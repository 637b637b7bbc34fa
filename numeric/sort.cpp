#include "numeric/sort.h"

#include <algorithm>
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
  // A file viewed as a table (column layout, row map) waits for the table
  // editor.
  if (r.coltable) return notyet();
  s.unit = unit;
  s.recl = r.recl >= 1 ? std::min(r.recl, sorting::maxkeywidth) : sorting::maxkeywidth;
  s.haslines = sortlineindex != nullptr && sortlineindex(unit, s.lines);
  if (s.haslines) {
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
    if (out > 0 && !numericarray(out, a)) return notyet();
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

  ZArray a;
  if (numericarray(s.cluster, a))
    fillarray(a, n, [&](std::int32_t i) { return static_cast<double>(w.C(i)); });
  if (numericarray(s.rank, a)) {
    std::vector<std::int32_t> rank(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) rank[static_cast<std::size_t>(w.P(i) - 1)] = i;
    fillarray(a, n, [&](std::int32_t r) {
      return static_cast<double>(rank[static_cast<std::size_t>(r - 1)]);
    });
  }
  if (!w.indexorder && numericarray(s.index, a))
    fillarray(a, n, [&](std::int32_t i) { return static_cast<double>(w.P(i)); });
}

void setresult(std::int32_t n) {
  if (core::z.valid(core::iresult)) core::z(core::iresult) = n;
}

}  // namespace

void SORTSTMT(std::int32_t tablerows) {
  if (tablerows != 0) {
    notyet();  // the table editor's cluster sort
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
  if (!core::msgkey.is_blank()) core::xeqstop = 0x7FFF;
}

void SORT(const exec::OptCall&) { SORTSTMT(0); }

}  // namespace numeric
