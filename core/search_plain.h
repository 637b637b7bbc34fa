// The forward scan of a plain pattern, as the text search (core/search.h)
// compares characters: byte for byte where case matters, else both folded
// to lower case with the Windows-1252 mapping. Sixteen positions are tried
// at a time by the pattern's first and last characters (in either case when
// folding), so that a long text costs well under an instruction a character
// and only the positions where both stand are compared in full. The scan
// is in line, its sixteen-byte masks made with the pattern: a caller that
// scans a text again and again pays little more than the bytes it reads.
#pragma once

#include <emmintrin.h>

#include <cstring>
#include <string_view>

#include "platform/charcase.h"

namespace core {

// A pattern made ready once for any number of scans: the view is kept,
// not copied (it must outlive the scans).
struct PlainPattern {
  std::string_view pat;
  bool fold = false;
  // The bytes the first and the last character match (the same byte twice
  // where case matters or the letter has no other case).
  unsigned char first[2] = {0, 0}, last[2] = {0, 0};
  // Those of the second character, when there are three or more.
  unsigned char second[2] = {0, 0};
  // Those bytes in every lane.
  __m128i first0{}, first1{}, last0{}, last1{};
};

PlainPattern plainpattern(std::string_view pattern, bool fold);

namespace plainscan {

inline unsigned char uc(char c) { return static_cast<unsigned char>(c); }

// The pattern's middle (all but its first and last characters) at s: the
// second character by its bytes, the rest compared.
template <bool Fold>
[[gnu::always_inline]] inline bool middle(const PlainPattern& p, const char* s, std::size_t m) {
  if (m <= 2) return true;
  const unsigned char c = uc(s[1]);
  if (c != p.second[0] && (!Fold || c != p.second[1])) return false;
  if (m == 3) return true;
  const char* const pat = p.pat.data();
  if constexpr (!Fold) {
    return std::memcmp(s + 2, pat + 2, m - 3) == 0;
  } else {
    for (std::size_t k = 2; k + 1 < m; ++k)
      if (plat::lower1252_table[uc(s[k])] != plat::lower1252_table[uc(pat[k])]) return false;
    return true;
  }
}

template <bool Fold>
bool stands(const PlainPattern& p, const char* s, std::size_t m) {
  const unsigned char a = uc(s[0]), b = uc(s[m - 1]);
  if (a != p.first[0] && (!Fold || a != p.first[1])) return false;
  if (b != p.last[0] && (!Fold || b != p.last[1])) return false;
  return middle<Fold>(p, s, m);
}

// The sixteen candidates from at (bit j: at + j) where the pattern's first
// and last characters stand; reads at[0] to at[m + 14].
template <bool Fold>
[[gnu::always_inline]] inline unsigned candidates(const PlainPattern& p, const char* at,
                                                  std::size_t m) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + m - 1));
  __m128i ea = _mm_cmpeq_epi8(a, p.first0), eb = _mm_cmpeq_epi8(b, p.last0);
  if constexpr (Fold) {
    ea = _mm_or_si128(ea, _mm_cmpeq_epi8(a, p.first1));
    eb = _mm_or_si128(eb, _mm_cmpeq_epi8(b, p.last1));
  }
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
}

template <bool Fold>
[[gnu::always_inline]] inline int scan(const PlainPattern& p, const char* s, int from, int hi) {
  const std::size_t m = p.pat.size();
  int q = from;
  // Sixteen candidates at a time while all of them may hold the whole
  // pattern (so that no load reaches past position hi + m - 1).
  for (; q + 15 <= hi; q += 16) {
    const char* at = s + q - 1;
    for (unsigned bits = candidates<Fold>(p, at, m); bits != 0; bits &= bits - 1) {
      const int j = __builtin_ctz(bits);
      if (middle<Fold>(p, at + j, m)) return q + j;
    }
  }
  for (; q <= hi; ++q)
    if (stands<Fold>(p, s + q - 1, m)) return q;
  return 0;
}

}  // namespace plainscan

// The first position p from `from` to `to` (1-based positions of text, to
// at most its length) at which the pattern stands whole inside from..to;
// 0 when none or when the pattern is empty.
[[gnu::always_inline]] inline int findplain(const PlainPattern& p, std::string_view text, int from,
                                            int to) {
  const auto m = static_cast<int>(p.pat.size());
  if (from < 1) from = 1;
  if (to > static_cast<int>(text.size())) to = static_cast<int>(text.size());
  const int hi = to - m + 1;  // the last position where the pattern fits
  if (m == 0 || hi < from) return 0;
  return p.fold ? plainscan::scan<true>(p, text.data(), from, hi)
                : plainscan::scan<false>(p, text.data(), from, hi);
}

// The byte that folds to the same lower-case letter as c, other than c
// (c itself when there is none).
unsigned char othercase(unsigned char c);

}  // namespace core
