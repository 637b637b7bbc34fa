// The sort of one SORT statement: for each key its values, then a stable
// bottom-up merge sort of the permutation over each range, the group
// numbers and the reversal of a descending key.
#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/rwfiles.h"
#include "numeric/sort_work.h"
#include "numeric/zarrays.h"

namespace numeric::sorting {

namespace {

struct Item {
  double value;
  std::int32_t record;
};

// Bottom-up merge sort with run widths 1, 2, 4, ...: of two elements the
// left one goes first when le(left, right), so equal keys keep their order.
// The work space is half the items: a merge sets the shorter run aside
// (the right one after moving the left one to the end of the pair) and
// merges forward into the freed room.
template <class LessEq>
void mergesort(std::vector<Item>& a, std::vector<Item>& work, LessEq le) {
  const std::size_t n = a.size();
  work.resize(n / 2 + 1);
  const auto at = [&](std::size_t k) { return a.begin() + static_cast<std::ptrdiff_t>(k); };
  for (std::size_t width = 1; width < n; width *= 2) {
    for (std::size_t lo = 0; lo + width < n; lo += 2 * width) {
      const std::size_t mid = lo + width, hi = std::min(lo + 2 * width, n);
      const std::size_t nleft = mid - lo, nright = hi - mid;
      // The left run is read from left[0..nleft), the right one from
      // right[0..nright); neither is overwritten before it is read.
      const Item* left = nullptr;
      const Item* right = nullptr;
      if (nleft <= work.size()) {
        std::copy(at(lo), at(mid), work.begin());
        left = work.data();
        right = a.data() + mid;
      } else {
        std::copy(at(mid), at(hi), work.begin());
        std::move_backward(at(lo), at(mid), at(hi));
        left = a.data() + lo + nright;
        right = work.data();
      }
      std::size_t i = 0, j = 0, out = lo;
      while (i < nleft && j < nright) a[out++] = le(left[i], right[j]) ? left[i++] : right[j++];
      while (i < nleft) a[out++] = left[i++];
      while (j < nright) a[out++] = right[j++];
    }
  }
}

// A text key's first eight bytes (blanks beyond its end) as one number
// that orders as the bytes do.
std::uint64_t prefix8(std::string_view t) {
  std::uint64_t v = 0;
  for (std::size_t b = 0; b < 8; ++b)
    v = v << 8 | (b < t.size() ? static_cast<unsigned char>(t[b]) : 0x20u);
  return v;
}

// Two text keys compared as if both were padded with blanks.
int comparepadded(std::string_view x, std::string_view y) {
  const std::size_t common = std::min(x.size(), y.size());
  if (const int c = std::memcmp(x.data(), y.data(), common); c != 0) return c;
  const std::string_view rest = x.size() > common ? x.substr(common) : y.substr(common);
  for (const char ch : rest) {
    const auto u = static_cast<unsigned char>(ch);
    if (u != 0x20u) return (u < 0x20u) == (x.size() > common) ? -1 : 1;
  }
  return 0;
}

// Record r's text key: the cell cut to the key width, upper-cased unless
// the Option says otherwise, without its trailing blanks; its value (for the
// group gaps) is the first eight bytes of the blank-padded slot read as a
// base-256 number.
void addtextkey(const Params& s, Work& w, std::int32_t r, const std::string& cell) {
  const std::size_t length = std::min(cell.size(), static_cast<std::size_t>(w.width));
  const std::size_t at = w.text.size();
  w.text.append(cell, 0, length);
  std::span<char> key(w.text.data() + at, length);
  core::STRITOC1UPCASE(std::string_view(key.data(), key.size()), key, s.option);
  std::size_t end = at + length;
  while (end > at && w.text[end - 1] == ' ') --end;
  w.text.resize(end);
  w.start[static_cast<std::size_t>(r)] = static_cast<std::int64_t>(end);
  double v = 0.0;
  const std::string_view t = w.T(r);
  for (std::size_t b = 0; b < std::min<std::size_t>(static_cast<std::size_t>(w.width), 8); ++b)
    v = v * 256.0 + (b < t.size() ? static_cast<unsigned char>(t[b]) : 0x20u);
  w.V(r) = v;
}

void starttext(const Params& s, Work& w) {
  w.text.clear();
  w.start.assign(static_cast<std::size_t>(s.n) + 1, 0);
}

// A text key: each record's cell.
bool loadtext(const Params& s, Work& w) {
  const std::int32_t n = s.n;
  w.width = std::max(s.recl, 1);
  starttext(s, w);
  std::string cell;
  RecordReader records;
  for (std::int32_t r = 1; r <= n; ++r) {
    std::int32_t status = records.read(s, r, w.width, cell);
    if (status != 0) {
      core::CHECKANDSETRUNTIMEERROR("So05", status);
      return false;
    }
    addtextkey(s, w, r, cell);
  }
  return true;
}

// A Column key of a file viewed as a table: its cells, as numbers through
// the column's format when it is a number format, else as texts (upper-cased
// unless the Option says otherwise) in slots of the column's width.
bool loadcolumn(const Params& s, Work& w, const Key& key) {
  const std::int32_t column = key.column;
  const std::int32_t unit = s.tablemode ? key.unit : s.unit;
  std::int32_t width = 0, kind = 0;
  io::GETELEMENTMAXCHLEN(unit, column, width, kind);
  // A table on a script variable has no file: its cells are texts of up to
  // a whole key's width.
  if (s.tablemode && !io::isscriptunit(unit)) width = maxkeywidth;
  if (column > s.columns && (!s.tablemode || width < 1)) return fail(core::MSGKEY("SortErrorD"));
  const auto cell = s.tablemode ? sortcells.tablecell : sortcells.celltext;
  if (cell == nullptr) return fail(core::MSGKEY("notYetBuilt"));
  const std::string format = io::columnformat(unit, column);
  const bool number = kind > 0;
  w.width = number ? 0 : std::clamp(width, 1, maxkeywidth);
  if (!number) starttext(s, w);
  std::string text;
  for (std::int32_t r = 1; r <= s.n; ++r) {
    const std::int32_t row = s.tablemode ? s.tablerows[static_cast<std::size_t>(r - 1)] : r;
    if (!cell(unit, row, column, text)) return false;
    if (number) {
      double v = 0.0;
      io::REALFROMSTRINGFMTD(text, v, format);
      core::msgkey.blank();
      w.V(r) = v;
      continue;
    }
    addtextkey(s, w, r, text);
  }
  return true;
}

// The order given by the Index array: its first elements, rounded, take
// the first places. It must stay a permutation of the records.
bool loadorder(const Params& s, Work& w, const ZArray& order) {
  const std::int32_t n = s.n;
  for (std::int32_t i = 1; i <= std::min(n, order.cols); ++i) w.P(i) = nearest32(order(i));
  std::vector<bool> seen(static_cast<std::size_t>(n) + 1, false);
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::int32_t r = w.P(i);
    if (r < 1 || r > n || seen[static_cast<std::size_t>(r)])
      return fail(core::MSGKEY("SortErrorE"));
    seen[static_cast<std::size_t>(r)] = true;
  }
  w.indexorder = true;
  return true;
}

// Key values in record order. sortit is false when the key was an order
// given by Index, which is taken as it stands.
bool loadkey(const Params& s, Work& w, const Key& key, bool& sortit) {
  sortit = true;
  w.width = 0;
  ZArray v;
  if (key.vector > 0 && numericarray(key.vector, v)) {
    for (std::int32_t r = 1; r <= s.n; ++r) w.V(r) = v(r);
    return true;
  }
  if (s.tablemode)
    return key.column >= 1 ? loadcolumn(s, w, key) : fail(core::MSGKEY("SortError8"));
  if (s.unit < 1) return fail(core::MSGKEY("SortError8"));
  if (key.column < 1 && numericarray(s.index, v)) {
    sortit = false;
    return loadorder(s, w, v);
  }
  if (s.columns > 0 && key.column >= 1) return loadcolumn(s, w, key);
  return loadtext(s, w);  // without a column layout a record is one text cell
}

// A text key in hand: its first eight bytes, and the record.
struct TextItem {
  std::uint64_t head;
  std::int32_t record;
};

void sortrange(Work& w, std::int32_t a, std::int32_t b, std::vector<Item>& items,
               std::vector<Item>& work) {
  const auto count = static_cast<std::size_t>(b - a + 1);
  if (w.width > 0) {
    // Text keys order totally, so any stable sort gives the same order.
    std::vector<TextItem> keys;
    keys.reserve(count);
    for (std::int32_t i = a; i <= b; ++i) keys.push_back({prefix8(w.T(w.P(i))), w.P(i)});
    std::stable_sort(keys.begin(), keys.end(), [&](const TextItem& x, const TextItem& y) {
      if (x.head != y.head) return x.head < y.head;
      const std::string_view tx = w.T(x.record), ty = w.T(y.record);
      return comparepadded(tx.substr(std::min<std::size_t>(tx.size(), 8)),
                           ty.substr(std::min<std::size_t>(ty.size(), 8))) < 0;
    });
    for (std::int32_t i = a; i <= b; ++i) w.P(i) = keys[static_cast<std::size_t>(i - a)].record;
    return;
  }
  items.clear();
  items.reserve(count);
  for (std::int32_t i = a; i <= b; ++i) items.push_back({w.V(w.P(i)), w.P(i)});
  mergesort(items, work, [](const Item& x, const Item& y) { return x.value <= y.value; });
  for (std::int32_t i = a; i <= b; ++i) w.P(i) = items[static_cast<std::size_t>(i - a)].record;
}

// With g >= 2 the g - 1 largest gaps between neighbouring sorted values
// (positive gaps only; of equal gaps the first) open a new group; each
// cluster number takes the record's group number as its next digit.
void group(Work& w, std::int32_t a, std::int32_t b, std::int32_t g) {
  if (w.clus.empty()) return;  // no one asked for the cluster numbers
  if (g < 2) {
    for (std::int32_t i = a; i <= b; ++i) w.C(i) = 16 * w.C(i) + g;
    return;
  }
  std::vector<std::pair<double, std::int32_t>> gaps;
  for (std::int32_t i = a + 1; i <= b; ++i) {
    const double gap = w.V(w.P(i)) - w.V(w.P(i - 1));
    if (gap > 0.0) gaps.emplace_back(gap, i);
  }
  std::stable_sort(gaps.begin(), gaps.end(),
                   [](const auto& x, const auto& y) { return x.first > y.first; });
  gaps.resize(std::min(gaps.size(), static_cast<std::size_t>(g - 1)));
  std::vector<bool> opens(static_cast<std::size_t>(b - a + 1), false);
  for (const auto& [gap, i] : gaps) opens[static_cast<std::size_t>(i - a)] = true;
  std::int64_t number = 1;
  for (std::int32_t i = a; i <= b; ++i) {
    if (opens[static_cast<std::size_t>(i - a)]) ++number;
    w.C(i) = 16 * w.C(i) + number;
  }
}

// A file viewed as a table keeps the order as its row map, with the
// sources of the keys. An order made in a statement is composed with the
// map the file has (new entry i = old entry p(i)); the table windows' sort
// makes the map anew from the rows it sorted.
void keeprowmap(const Params& s, const Work& w) {
  if (!io::isscriptunit(s.unit) || !io::rwfiles(s.unit).coltable) return;
  io::RwFile& r = io::rwfiles(s.unit);
  io::RowMap map;
  for (std::int32_t k = 1; k <= std::min(s.nkeys, maxkeys); ++k) {
    const Key& key = s.keys[static_cast<std::size_t>(k)];
    std::int32_t& source = map.keys[static_cast<std::size_t>(k - 1)];
    if (s.tablemode) {
      source = key.column;  // the window's first table
    } else if (key.vector > 0) {
      source = -core::name(key.vector).adr;
    } else {
      source = key.column;
    }
  }
  const bool compose = r.rowmap.has_value() && !s.tablemode;
  map.rows.resize(static_cast<std::size_t>(s.n));
  for (std::int32_t i = 1; i <= s.n; ++i) {
    const auto p = static_cast<std::size_t>(w.p[static_cast<std::size_t>(i - 1)]);
    std::int32_t row = static_cast<std::int32_t>(p);
    if (s.tablemode) {
      row = s.tablerows[p - 1];
    } else if (compose) {
      row = p <= r.rowmap->rows.size() ? r.rowmap->rows[p - 1] : 0;
    }
    map.rows[static_cast<std::size_t>(i - 1)] = row;
  }
  r.rowmap = std::move(map);
}

}  // namespace

bool sortkeys(Params& s, Work& w) {
  const std::int32_t n = s.n;
  w.p.resize(static_cast<std::size_t>(n));
  // The cluster numbers are kept only for a Cluster output or cluster mode.
  if (s.cluster > 0 || s.clustermode) w.clus.assign(static_cast<std::size_t>(n), 0);
  w.value.assign(static_cast<std::size_t>(n), 0.0);
  std::vector<Item> items, work;
  for (std::int32_t k = 1; k <= std::max(s.nkeys, 1); ++k) {
    const Key& key = s.key(k);
    // Outside cluster mode each key sorts from record order; in cluster
    // mode it sorts within the groups that the keys before it left.
    if (k == 1 || !s.clustermode)
      for (std::int32_t i = 1; i <= n; ++i) w.P(i) = i;
    bool sortit = true;
    if (!loadkey(s, w, key, sortit)) return false;
    if (!sortit) {  // an order given by Index is neither grouped nor reversed
      keeprowmap(s, w);
      continue;
    }
    for (std::int32_t a = 1; a <= n;) {
      std::int32_t b = s.clustermode ? a : n;
      while (b < n && w.C(b + 1) == w.C(a)) ++b;
      sortrange(w, a, b, items, work);
      group(w, a, b, key.groups);
      if (key.descending) {
        std::reverse(w.p.begin() + (a - 1), w.p.begin() + b);
        if (!w.clus.empty()) std::reverse(w.clus.begin() + (a - 1), w.clus.begin() + b);
      }
      a = b + 1;
    }
    keeprowmap(s, w);
  }
  return true;
}

}  // namespace numeric::sorting
