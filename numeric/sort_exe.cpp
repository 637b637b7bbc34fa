// The sort of one SORT statement: for each key its values, then a stable
// bottom-up merge sort of the permutation over each range, the group
// numbers and the reversal of a descending key.
#include <algorithm>
#include <cstring>
#include <span>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
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
template <class LessEq>
void mergesort(std::vector<Item>& a, std::vector<Item>& work, LessEq le) {
  const std::size_t n = a.size();
  work.resize(n);
  for (std::size_t width = 1; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      std::size_t i = lo, j = mid, out = lo;
      while (i < mid && j < hi) work[out++] = le(a[i], a[j]) ? a[i++] : a[j++];
      while (i < mid) work[out++] = a[i++];
      while (j < hi) work[out++] = a[j++];
    }
    a.swap(work);
  }
}

// A text key: each record's cell, upper-cased unless the Option says
// otherwise, in a slot of the key width; its value (for the group gaps) is
// the slot's first eight bytes read as a base-256 number.
bool loadtext(const Params& s, Work& w) {
  const std::int32_t n = s.n;
  w.width = std::max(s.recl, 1);
  w.text.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(w.width), ' ');
  std::string cell;
  for (std::int32_t r = 1; r <= n; ++r) {
    std::int32_t status = readrecord(s, r, w.width, cell);
    if (status != 0) {
      core::CHECKANDSETRUNTIMEERROR("So05", status);
      return false;
    }
    char* slot =
        w.text.data() + static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(w.width);
    core::STRITOC1UPCASE(cell, std::span<char>(slot, static_cast<std::size_t>(w.width)), s.option);
    double v = 0.0;
    for (std::int32_t b = 0; b < std::min(w.width, 8); ++b)
      v = v * 256.0 + static_cast<unsigned char>(slot[b]);
    w.V(r) = v;
  }
  return true;
}

// A Column key of a file viewed as a table: its cells, as numbers through
// the column's format when it is a number format, else as texts (upper-cased
// unless the Option says otherwise) in slots of the column's width.
bool loadcolumn(const Params& s, Work& w, std::int32_t column) {
  if (column > s.columns) return fail(core::MSGKEY("SortErrorD"));
  if (sortcells.celltext == nullptr) return fail(core::MSGKEY("notYetBuilt"));
  const std::string format = io::columnformat(s.unit, column);
  std::int32_t width = 0, kind = 0;
  io::GETELEMENTMAXCHLEN(s.unit, column, width, kind);
  const bool number = kind > 0;
  w.width = number ? 0 : std::clamp(width, 1, maxkeywidth);
  if (!number)
    w.text.assign(static_cast<std::size_t>(s.n) * static_cast<std::size_t>(w.width), ' ');
  std::string cell;
  for (std::int32_t r = 1; r <= s.n; ++r) {
    if (!sortcells.celltext(s.unit, r, column, cell)) return false;
    if (number) {
      double v = 0.0;
      io::REALFROMSTRINGFMTD(cell, v, format);
      core::msgkey.blank();
      w.V(r) = v;
      continue;
    }
    char* slot =
        w.text.data() + static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(w.width);
    core::STRITOC1UPCASE(cell, std::span<char>(slot, static_cast<std::size_t>(w.width)), s.option);
    double v = 0.0;
    for (std::int32_t b = 0; b < std::min(w.width, 8); ++b)
      v = v * 256.0 + static_cast<unsigned char>(slot[b]);
    w.V(r) = v;
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
  if (s.unit < 1) return fail(core::MSGKEY("SortError8"));
  if (key.column < 1 && numericarray(s.index, v)) {
    sortit = false;
    return loadorder(s, w, v);
  }
  if (s.columns > 0 && key.column >= 1) return loadcolumn(s, w, key.column);
  return loadtext(s, w);  // without a column layout a record is one text cell
}

void sortrange(Work& w, std::int32_t a, std::int32_t b, std::vector<Item>& items,
               std::vector<Item>& work) {
  items.clear();
  for (std::int32_t i = a; i <= b; ++i) items.push_back({w.V(w.P(i)), w.P(i)});
  if (w.width > 0) {
    const auto width = static_cast<std::size_t>(w.width);
    mergesort(items, work, [&](const Item& x, const Item& y) {
      return std::memcmp(w.T(x.record), w.T(y.record), width) <= 0;
    });
  } else {
    mergesort(items, work, [](const Item& x, const Item& y) { return x.value <= y.value; });
  }
  for (std::int32_t i = a; i <= b; ++i) w.P(i) = items[static_cast<std::size_t>(i - a)].record;
}

// With g >= 2 the g - 1 largest gaps between neighbouring sorted values
// (positive gaps only; of equal gaps the first) open a new group; each
// cluster number takes the record's group number as its next digit.
void group(Work& w, std::int32_t a, std::int32_t b, std::int32_t g) {
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

}  // namespace

bool sortkeys(Params& s, Work& w) {
  const std::int32_t n = s.n;
  w.p.resize(static_cast<std::size_t>(n));
  w.clus.assign(static_cast<std::size_t>(n), 0);
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
    if (!sortit) continue;  // an order given by Index is neither grouped nor reversed
    for (std::int32_t a = 1; a <= n;) {
      std::int32_t b = s.clustermode ? a : n;
      while (b < n && w.C(b + 1) == w.C(a)) ++b;
      sortrange(w, a, b, items, work);
      group(w, a, b, key.groups);
      if (key.descending) {
        std::reverse(w.p.begin() + (a - 1), w.p.begin() + b);
        std::reverse(w.clus.begin() + (a - 1), w.clus.begin() + b);
      }
      a = b + 1;
    }
  }
  return true;
}

}  // namespace numeric::sorting
