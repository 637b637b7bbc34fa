#include "core/search_plain.h"

#include <emmintrin.h>

#include <array>
#include <cstring>

#include "platform/charcase.h"

namespace core {

namespace {

using plat::lower1252_table;

// For each byte the other byte of its folding class (itself when alone).
// No class holds more than two bytes, so one partner says it all.
constexpr std::array<unsigned char, 256> make_partners() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) {
    t[c] = static_cast<unsigned char>(c);
    int members = 0;
    for (int d = 0; d < 256; ++d) {
      if (lower1252_table[d] != lower1252_table[c]) continue;
      ++members;
      if (d != c) t[c] = static_cast<unsigned char>(d);
    }
    if (members > 2) throw "a folding class of more than two bytes";
  }
  return t;
}
constexpr std::array<unsigned char, 256> partners = make_partners();
static_assert(partners['a'] == 'A' && partners['A'] == 'a' && partners['1'] == '1');
static_assert(partners[0xFF] == 0x9F && partners[0x9A] == 0x8A && partners[0xDF] == 0xDF);
static_assert(partners[0xD7] == 0xD7 && partners[0xF7] == 0xF7);

unsigned char uc(char c) { return static_cast<unsigned char>(c); }

// The pattern's middle (all but its first and last characters) at p
// (0-based offset in s).
template <bool Fold>
bool middle(const char* s, const char* pat, std::size_t m) {
  if (m <= 2) return true;
  if constexpr (!Fold) {
    return std::memcmp(s + 1, pat + 1, m - 2) == 0;
  } else {
    for (std::size_t k = 1; k + 1 < m; ++k)
      if (lower1252_table[uc(s[k])] != lower1252_table[uc(pat[k])]) return false;
    return true;
  }
}

template <bool Fold>
bool stands(const PlainPattern& p, const char* s, std::size_t m) {
  const unsigned char a = uc(s[0]), b = uc(s[m - 1]);
  if (a != p.first[0] && (!Fold || a != p.first[1])) return false;
  if (b != p.last[0] && (!Fold || b != p.last[1])) return false;
  return middle<Fold>(s, p.pat.data(), m);
}

template <bool Fold>
int scan(const PlainPattern& p, const char* s, int from, int hi) {
  const std::size_t m = p.pat.size();
  const __m128i f0 = _mm_set1_epi8(static_cast<char>(p.first[0]));
  const __m128i f1 = _mm_set1_epi8(static_cast<char>(p.first[1]));
  const __m128i l0 = _mm_set1_epi8(static_cast<char>(p.last[0]));
  const __m128i l1 = _mm_set1_epi8(static_cast<char>(p.last[1]));
  int q = from;
  // Sixteen candidates at a time while all of them may hold the whole
  // pattern (so that no load reaches past position hi + m - 1).
  for (; q + 15 <= hi; q += 16) {
    const char* at = s + q - 1;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + m - 1));
    __m128i ea = _mm_cmpeq_epi8(a, f0), eb = _mm_cmpeq_epi8(b, l0);
    if constexpr (Fold) {
      ea = _mm_or_si128(ea, _mm_cmpeq_epi8(a, f1));
      eb = _mm_or_si128(eb, _mm_cmpeq_epi8(b, l1));
    }
    for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ea, eb))); bits != 0;
         bits &= bits - 1) {
      const int j = __builtin_ctz(bits);
      if (middle<Fold>(at + j, p.pat.data(), m)) return q + j;
    }
  }
  for (; q <= hi; ++q)
    if (stands<Fold>(p, s + q - 1, m)) return q;
  return 0;
}

}  // namespace

unsigned char othercase(unsigned char c) { return partners[c]; }

PlainPattern plainpattern(std::string_view pattern, bool fold) {
  PlainPattern p;
  p.pat = pattern;
  p.fold = fold;
  if (pattern.empty()) return p;
  const unsigned char a = uc(pattern.front()), b = uc(pattern.back());
  p.first[0] = a;
  p.last[0] = b;
  p.first[1] = fold ? partners[a] : a;
  p.last[1] = fold ? partners[b] : b;
  return p;
}

int findplain(const PlainPattern& p, std::string_view text, int from, int to) {
  const auto m = static_cast<int>(p.pat.size());
  if (from < 1) from = 1;
  if (to > static_cast<int>(text.size())) to = static_cast<int>(text.size());
  const int hi = to - m + 1;  // the last position where the pattern fits
  if (m == 0 || hi < from) return 0;
  return p.fold ? scan<true>(p, text.data(), from, hi) : scan<false>(p, text.data(), from, hi);
}

}  // namespace core
