// Fixed-length, blank-padded texts: keys, file names and messages that keep
// their length and are padded with blanks (character 32) after their
// contents.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace plat {

template <std::size_t N>
class FixedText {
 public:
  FixedText() { buf_.fill(' '); }
  FixedText(std::string_view s) { set(s); }  // NOLINT: implicit on purpose

  // Copies s, cut at N or blank padded to N.
  void set(std::string_view s) {
    // s may be a view of this text itself (a key set again from its own
    // trimmed view): moved before the rest is blanked.
    const std::size_t n = std::min(s.size(), N);
    if (n > 0) std::memmove(buf_.data(), s.data(), n);
    std::fill(buf_.begin() + static_cast<std::ptrdiff_t>(n), buf_.end(), ' ');
  }
  void blank() { buf_.fill(' '); }

  static constexpr std::size_t size() { return N; }
  char* data() { return buf_.data(); }
  const char* data() const { return buf_.data(); }
  char& operator[](std::size_t i) { return buf_[i]; }
  const char& operator[](std::size_t i) const { return buf_[i]; }

  // All N characters, blanks included.
  std::string_view view() const { return {buf_.data(), N}; }
  // Contents without trailing blanks.
  std::string_view trimmed() const {
    // Eight blanks at a time, then one by one.
    constexpr std::uint64_t blanks = 0x2020202020202020u;
    std::size_t n = N;
    for (std::uint64_t w = 0; n >= 8; n -= 8) {
      std::memcpy(&w, buf_.data() + n - 8, 8);
      if (w != blanks) break;
    }
    while (n > 0 && buf_[n - 1] == ' ') --n;
    return {buf_.data(), n};
  }
  std::string str() const { return std::string(trimmed()); }
  bool is_blank() const { return trimmed().empty(); }

  friend bool operator==(const FixedText& a, const FixedText& b) { return a.buf_ == b.buf_; }

 private:
  std::array<char, N> buf_;
};

}  // namespace plat
