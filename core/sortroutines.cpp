#include "core/sortroutines.h"

#include <algorithm>
#include <vector>

namespace core {

namespace {

std::int32_t fit(std::int32_t n, std::size_t size) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 0, static_cast<std::int64_t>(size)));
}

// Element i (from 1) of a vector.
template <class T>
T& at(std::span<T> v, std::int32_t i) {
  return v[static_cast<std::size_t>(i - 1)];
}

}  // namespace

void HEAPSORT2(std::int32_t n, std::span<std::int32_t> key, std::span<std::int32_t> companion) {
  n = std::min(fit(n, key.size()), fit(n, companion.size()));
  if (n < 2) return;
  std::int32_t l = n / 2 + 1, ir = n;
  for (;;) {
    std::int32_t k = 0, c = 0;
    if (l > 1) {
      --l;
      k = at(key, l);
      c = at(companion, l);
    } else {
      k = at(key, ir);
      c = at(companion, ir);
      at(key, ir) = at(key, 1);
      at(companion, ir) = at(companion, 1);
      if (--ir == 1) {
        at(key, 1) = k;
        at(companion, 1) = c;
        return;
      }
    }
    // Sift the pair down from l.
    std::int32_t i = l, j = 2 * l;
    while (j <= ir) {
      if (j < ir && at(key, j) < at(key, j + 1)) ++j;
      if (k >= at(key, j)) break;
      at(key, i) = at(key, j);
      at(companion, i) = at(companion, j);
      i = j;
      j *= 2;
    }
    at(key, i) = k;
    at(companion, i) = c;
  }
}

void RANK_MERGE_SORT(std::span<const std::int32_t> key, std::int32_t nkeys,
                     std::span<std::int32_t> rank, std::int32_t nrank) {
  const std::int32_t n = std::min(fit(nkeys, key.size()), fit(nrank, rank.size()));
  if (n < 1) return;
  auto k = [&](std::int32_t pos) { return at(key, pos); };
  // Ordered pairs; an odd last position stands alone.
  for (std::int32_t i = 1; i <= n; i += 2) {
    if (i + 1 <= n && k(i + 1) < k(i)) {
      at(rank, i) = i + 1;
      at(rank, i + 1) = i;
    } else {
      at(rank, i) = i;
      if (i + 1 <= n) at(rank, i + 1) = i + 1;
    }
  }
  // Neighbouring runs merged, the left run taken on ties.
  std::vector<std::int32_t> left;
  for (std::int32_t width = 2; width < n; width *= 2) {
    for (std::int32_t lo = 1; lo + width <= n; lo += 2 * width) {
      const std::int32_t mid = lo + width, hi = std::min(lo + 2 * width - 1, n);
      left.assign(rank.begin() + (lo - 1), rank.begin() + (mid - 1));
      std::size_t a = 0;
      std::int32_t b = mid, out = lo;
      while (a < left.size() && b <= hi) {
        if (k(left[a]) <= k(at(rank, b)))
          at(rank, out++) = left[a++];
        else
          at(rank, out++) = at(rank, b++);
      }
      while (a < left.size()) at(rank, out++) = left[a++];
    }
  }
}

void RESORT(std::span<std::int32_t> a, std::span<const std::int32_t> rank, std::int32_t n) {
  n = std::min(fit(n, a.size()), fit(n, rank.size()));
  const std::vector<std::int32_t> t(a.begin(), a.begin() + n);
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::int32_t r = at(rank, i);
    if (r >= 1 && r <= n) at(a, i) = t[static_cast<std::size_t>(r - 1)];
  }
}

void MULTISORT(std::span<std::int32_t> m, std::int32_t ld, std::int32_t ncols, std::int32_t first,
               std::int32_t last, std::int32_t keyspec) {
  // The rows and columns must lie inside the matrix.
  if (ld < 1 || ncols < 1 || first < 1 || last > ld ||
      static_cast<std::int64_t>(ld) * ncols > static_cast<std::int64_t>(m.size()))
    return;
  const std::int32_t rows = std::max(last - first + 1, 0);
  if (rows < 2) return;
  auto cell = [&](std::int32_t row, std::int32_t col) -> std::int32_t& {
    return m[static_cast<std::size_t>(col - 1) * static_cast<std::size_t>(ld) +
             static_cast<std::size_t>(row - 1)];
  };
  std::vector<std::int32_t> p(static_cast<std::size_t>(rows)), k(p.size()), r(p.size());
  for (std::int32_t i = 1; i <= rows; ++i) at(std::span(p), i) = i;
  // Least significant digit first: the last, stable pass is the primary key.
  for (int digit = 0; digit < 10; ++digit) {
    std::int32_t d = keyspec % 10;
    keyspec /= 10;
    if (d > ncols) d = ncols;
    if (d <= 0) continue;
    for (std::int32_t i = 1; i <= rows; ++i) at(std::span(k), i) = cell(first + i - 1, d);
    RESORT(k, p, rows);
    RANK_MERGE_SORT(k, rows, r, rows);
    RESORT(p, r, rows);
  }
  // Each column's rows moved once, through a copy of them.
  for (std::int32_t j = 1; j <= ncols; ++j) {
    for (std::int32_t i = 1; i <= rows; ++i) at(std::span(k), i) = cell(first + i - 1, j);
    for (std::int32_t i = 1; i <= rows; ++i)
      cell(first + i - 1, j) = at(std::span(k), at(std::span(p), i));
  }
}

}  // namespace core
