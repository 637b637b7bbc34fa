// Arrays indexed from a fixed base (1 or 0), so that code indexes a store
// exactly as its description counts it. Index checks are always on: a bad
// index is a programming error and aborts with a clear message instead of
// reading or writing past the array.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace plat {

[[noreturn]] inline void index_fault(long long i, long long lo, long long hi) {
  std::fprintf(stderr, "ostrel: index %lld outside %lld..%lld\n", i, lo, hi);
  std::abort();
}

// A growable array whose first element has index Base.
template <class T, int Base>
class IndexedStore {
 public:
  IndexedStore() = default;
  explicit IndexedStore(std::size_t n, const T& fill = T()) : v_(n, fill) {}
  IndexedStore(std::initializer_list<T> init) : v_(init) {}

  T& operator[](long long i) { return v_[check(i)]; }
  const T& operator[](long long i) const { return v_[check(i)]; }
  // Same element, for code that reads like z(i).
  T& operator()(long long i) { return v_[check(i)]; }
  const T& operator()(long long i) const { return v_[check(i)]; }

  // Number of elements; the last index is first() + size() - 1.
  long long size() const { return static_cast<long long>(v_.size()); }
  static constexpr long long first() { return Base; }
  long long last() const { return Base + size() - 1; }
  bool valid(long long i) const { return i >= Base && i <= last(); }

  void resize(std::size_t n, const T& fill = T()) { v_.resize(n, fill); }
  void assign(std::size_t n, const T& fill) { v_.assign(n, fill); }
  void clear() { v_.clear(); }

  // The element at index i as a raw pointer, for routines that take a slice
  // (pointer and count) of the store.
  T* ptr(long long i) { return v_.data() + check(i); }
  const T* ptr(long long i) const { return v_.data() + check(i); }
  T* data() { return v_.data(); }
  const T* data() const { return v_.data(); }
  std::vector<T>& raw() { return v_; }
  const std::vector<T>& raw() const { return v_; }

 private:
  std::size_t check(long long i) const {
    if (i < Base || i > last()) index_fault(i, Base, last());
    return static_cast<std::size_t>(i - Base);
  }
  std::vector<T> v_;
};

template <class T>
using Store1 = IndexedStore<T, 1>;
template <class T>
using Store0 = IndexedStore<T, 0>;

}  // namespace plat
