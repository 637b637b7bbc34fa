// Search and comparison over character arrays.
#include "core/chars.h"

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "platform/charcase.h"

namespace core {

namespace {

int pos(std::size_t i) { return static_cast<int>(i) + 1; }

bool in_set(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Three-way comparison of a and b after mapping each byte through fold, the
// shorter one compared as if blank padded.
template <class Fold>
int compare_padded(std::string_view a, std::string_view b, Fold fold) {
  const std::size_t n = a.size() > b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = fold(i < a.size() ? static_cast<unsigned char>(a[i]) : ' ');
    const unsigned char cb = fold(i < b.size() ? static_cast<unsigned char>(b[i]) : ' ');
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

unsigned char same(unsigned char c) { return c; }

}  // namespace

int C1INDEX(std::string_view a, std::string_view b, bool back) {
  const std::size_t p = back ? a.rfind(b) : a.find(b);
  return p == std::string_view::npos ? 0 : pos(p);
}

int C1SCANFNC(std::string_view a, std::string_view set, bool back) {
  if (back) {
    for (std::size_t i = a.size(); i > 0; --i)
      if (in_set(a[i - 1], set)) return static_cast<int>(i);
  } else {
    for (std::size_t i = 0; i < a.size(); ++i)
      if (in_set(a[i], set)) return pos(i);
  }
  return 0;
}

int C1VERIFY(std::string_view a, std::string_view set, bool back) {
  if (back) {
    for (std::size_t i = a.size(); i > 0; --i)
      if (!in_set(a[i - 1], set)) return static_cast<int>(i);
  } else {
    for (std::size_t i = 0; i < a.size(); ++i)
      if (!in_set(a[i], set)) return pos(i);
  }
  return 0;
}

int C1LEN_TRIM(std::string_view a) {
  // Sixty-four blanks at a time first, then sixteen: long texts are mostly
  // blank padding.
  const char* const p = a.data();
  std::size_t n = a.size();
  const __m128i blanks = _mm_set1_epi8(' ');
  const auto blank16 = [&](std::size_t at) {
    return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)), blanks);
  };
  for (; n >= 64; n -= 64) {
    const __m128i all = _mm_and_si128(_mm_and_si128(blank16(n - 64), blank16(n - 48)),
                                      _mm_and_si128(blank16(n - 32), blank16(n - 16)));
    if (_mm_movemask_epi8(all) != 0xFFFF) break;
  }
  for (; n >= 16; n -= 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));
    const auto others =
        ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, blanks))) & 0xFFFFu;
    // (Bit i: the character at n - 16 + i is no blank; the highest is the last.)
    if (others != 0) return static_cast<int>(n - 16) + 32 - __builtin_clz(others);
  }
  while (n > 0 && p[n - 1] == ' ') --n;
  return static_cast<int>(n);
}

int C1LENTRIM(std::string_view text, int n) {
  if (n < 1) return n;
  if (static_cast<std::size_t>(n) > text.size()) n = static_cast<int>(text.size());
  return C1LEN_TRIM(text.substr(0, static_cast<std::size_t>(n)));
}

int C1NOBLA1(std::string_view a) {
  const std::size_t p = a.find_first_not_of(' ');
  return p == std::string_view::npos ? 0 : pos(p);
}

int NOBLA1(std::string_view text) {
  const std::size_t p = text.find_first_not_of(' ');
  return p == std::string_view::npos ? static_cast<int>(text.size()) : pos(p);
}

int NOALFANUM1(std::string_view text, int last, int first) {
  if (first < 1) first = 1;
  if (last > static_cast<int>(text.size())) last = static_cast<int>(text.size());
  for (int i = first; i <= last; ++i) {
    const char c = text[i - 1];
    if (!is_namechar(c) && c != '.' && c != '+' && c != '-') return i;
  }
  return 0;
}

int C1_LT_EQ_GT(std::string_view a, std::string_view b) { return compare_padded(a, b, same); }

int C1CASE_LT_EQ_GT(int flag, std::string_view a, std::string_view b) {
  if (flag & 0x1) return compare_padded(a, b, same);
  return compare_padded(a, b, [](unsigned char c) { return plat::lower1252(c); });
}

bool C1LLE(std::string_view a, std::string_view b) { return C1_LT_EQ_GT(a, b) <= 0; }

bool C1LLT(std::string_view a, std::string_view b) { return C1_LT_EQ_GT(a, b) < 0; }

int C1READI4(std::string_view array, char digit, int deflt) {
  if (digit < '1' || digit > '9') return deflt;
  const std::size_t w = static_cast<std::size_t>(digit - '0');
  if (w > array.size()) return deflt;
  long long value = 0;
  bool neg = false;
  bool sign_allowed = true;
  bool have_digit = false;
  for (std::size_t i = 0; i < w; ++i) {
    const char c = array[i];
    if (c == ' ') continue;
    if ((c == '+' || c == '-') && sign_allowed) {
      neg = c == '-';
      sign_allowed = false;
      continue;
    }
    if (c < '0' || c > '9') return deflt;
    sign_allowed = false;
    have_digit = true;
    value = value * 10 + (c - '0');
  }
  // A lone sign does not read as a number; at most nine digits fit in the
  // field, so the value never leaves 32 bits.
  if (!have_digit && !sign_allowed) return deflt;
  return static_cast<int>(neg ? -value : value);
}

}  // namespace core
