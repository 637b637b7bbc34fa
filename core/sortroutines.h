// Small sorts on 32-bit signed integers, shared by the word sort of EDIT,
// the word-index search and the sorted file listings. Positions count from
// 1: element i of a vector is v[i - 1]. Counts beyond a vector's size are
// cut to it; the routines report nothing and cannot fail. Their temporary
// vectors live on the heap, so vectors of any size may be sorted.
#pragma once

#include <cstdint>
#include <span>

namespace core {

// Heap sort of key(1..n), ascending, companion(i) moved with key(i). Not
// stable: equal keys may come out in any order.
void HEAPSORT2(std::int32_t n, std::span<std::int32_t> key, std::span<std::int32_t> companion);

// Stable merge sort that leaves the keys as they are: with n = min(nkeys,
// nrank), rank(1..n) receives the positions of key(1..n) in ascending order
// (key(rank(1)) <= key(rank(2)) <= ...; equal keys keep their order).
// rank entries above n are left alone.
void RANK_MERGE_SORT(std::span<const std::int32_t> key, std::int32_t nkeys,
                     std::span<std::int32_t> rank, std::int32_t nrank);

// a(i) becomes the old a(rank(i)) for i = 1..n. rank must hold positions
// 1..n; an entry outside them leaves a(i) as it was.
void RESORT(std::span<std::int32_t> a, std::span<const std::int32_t> rank, std::int32_t n);

// Sorts rows first..last of the column-major matrix m (ld rows of storage,
// ncols columns) by the key columns named by the decimal digits of keyspec:
// the leftmost digit is the primary key, each further digit orders the ties
// of the ones before it, 0 is skipped and a digit above ncols means the
// last column. Every column moves with its row; ties of all keys keep their
// order.
void MULTISORT(std::span<std::int32_t> m, std::int32_t ld, std::int32_t ncols, std::int32_t first,
               std::int32_t last, std::int32_t keyspec);

}  // namespace core
