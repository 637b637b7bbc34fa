// The shared integer sorts against hand-made cases and against the
// standard library's sorts on random vectors full of ties.
#include "core/sortroutines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

using V = std::vector<std::int32_t>;

// Keys in -3..3 (many ties, negatives), n from 0 to 70.
std::vector<V> randomkeys() {
  std::mt19937 gen(38);
  std::vector<V> out;
  for (int n = 0; n <= 70; ++n) {
    V k(static_cast<std::size_t>(n));
    for (auto& x : k) x = static_cast<std::int32_t>(gen() % 7) - 3;
    out.push_back(k);
  }
  return out;
}

TEST(RankMergeSort, KeepsEqualKeysInOrderAndRanksOnlyTheShorterCount) {
  const V key{5, 3, 5, 1};
  V rank(4);
  core::RANK_MERGE_SORT(key, 4, rank, 4);
  EXPECT_EQ(rank, (V{4, 2, 1, 3}));

  const V ten{9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  V four{0, 0, 0, 0, -7};
  core::RANK_MERGE_SORT(ten, 10, four, 4);
  EXPECT_EQ(four, (V{4, 3, 2, 1, -7}));  // the first four keys only; rank(5) untouched

  for (const V& k : randomkeys()) {
    SCOPED_TRACE(k.size());
    V want(k.size());
    std::iota(want.begin(), want.end(), 1);
    std::stable_sort(want.begin(), want.end(),
                     [&](std::int32_t a, std::int32_t b) { return k[a - 1] < k[b - 1]; });
    V got(k.size() + 1, -9);
    core::RANK_MERGE_SORT(k, static_cast<std::int32_t>(k.size()), got,
                          static_cast<std::int32_t>(k.size()) + 1);
    want.push_back(-9);
    EXPECT_EQ(got, want);
  }
}

TEST(HeapSort2, SortsTheKeysAndCarriesTheCompanions) {
  V key{3, 1}, comp{30, 10};
  core::HEAPSORT2(1, key, comp);
  EXPECT_EQ(key, (V{3, 1}));
  core::HEAPSORT2(0, key, comp);
  EXPECT_EQ(comp, (V{30, 10}));
  for (const V& k : randomkeys()) {
    SCOPED_TRACE(k.size());
    V key2 = k, from(k.size());
    std::iota(from.begin(), from.end(), 0);
    core::HEAPSORT2(static_cast<std::int32_t>(k.size()), key2, from);
    EXPECT_TRUE(std::is_sorted(key2.begin(), key2.end()));
    // Every companion still sits beside its own key, each once.
    for (std::size_t i = 0; i < k.size(); ++i)
      EXPECT_EQ(k[static_cast<std::size_t>(from[i])], key2[i]);
    std::sort(from.begin(), from.end());
    EXPECT_TRUE(std::adjacent_find(from.begin(), from.end()) == from.end());
  }
}

TEST(Resort, TakesTheElementsInRankOrder) {
  V a{10, 20, 30, 40};
  core::RESORT(a, V{4, 1, 3, 2}, 3);  // n = 3: rank(1) = 4 lies outside and keeps a(1)
  EXPECT_EQ(a, (V{10, 10, 30, 40}));
  core::RESORT(a, V{3, 1, 2, 4}, 4);
  EXPECT_EQ(a, (V{30, 10, 10, 40}));
}

// Rows 2..5 of a 6-row matrix of 3 columns, column-major.
V matrix() {
  return {9, 2, 1, 1, 3, 9,   // column 1
          9, 5, 6, 7, 8, 9,   // column 2
          9, 1, 0, 1, 0, 9};  // column 3
}

// Column j of rows 2..5.
V column(const V& m, int j) { return V(m.begin() + (j - 1) * 6 + 1, m.begin() + (j - 1) * 6 + 5); }

TEST(Multisort, SortsRowsByTheKeyDigitsAndMovesWholeRows) {
  V m = matrix();
  core::MULTISORT(m, 6, 3, 2, 5, 31);  // column 3, ties by column 1
  EXPECT_EQ(column(m, 3), (V{0, 0, 1, 1}));
  EXPECT_EQ(column(m, 1), (V{1, 3, 1, 2}));
  EXPECT_EQ(column(m, 2), (V{6, 8, 7, 5}));
  EXPECT_EQ(m[0], 9);  // rows outside first..last stay
  EXPECT_EQ(m[17], 9);
  V m13 = matrix();
  core::MULTISORT(m13, 6, 3, 2, 5, 13);  // column 1, ties by column 3
  EXPECT_EQ(column(m13, 2), (V{6, 7, 5, 8}));

  V same = matrix();
  core::MULTISORT(same, 6, 3, 2, 5, 0);  // no key digit: nothing moves
  EXPECT_EQ(same, matrix());
  // Digits 0 are skipped; a digit above the column count is the last column.
  V by3 = matrix();
  core::MULTISORT(by3, 6, 3, 2, 5, 3);
  for (const std::int32_t spec : {300, 9}) {
    V other = matrix();
    core::MULTISORT(other, 6, 3, 2, 5, spec);
    EXPECT_EQ(other, by3) << spec;
  }
  V none = matrix();
  core::MULTISORT(none, 6, 3, 5, 2, 1);  // first > last
  EXPECT_EQ(none, matrix());
}

}  // namespace
