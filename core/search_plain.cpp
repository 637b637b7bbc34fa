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

}  // namespace

unsigned char othercase(unsigned char c) { return partners[c]; }

PlainPattern plainpattern(std::string_view pattern, bool fold) {
  PlainPattern p;
  p.pat = pattern;
  p.fold = fold;
  if (pattern.empty()) return p;
  const unsigned char a = plainscan::uc(pattern.front()), b = plainscan::uc(pattern.back());
  p.first[0] = a;
  p.last[0] = b;
  p.first[1] = fold ? partners[a] : a;
  p.last[1] = fold ? partners[b] : b;
  if (pattern.size() >= 3) {
    const unsigned char c = plainscan::uc(pattern[1]);
    p.second[0] = c;
    p.second[1] = fold ? partners[c] : c;
  }
  p.first0 = _mm_set1_epi8(static_cast<char>(p.first[0]));
  p.first1 = _mm_set1_epi8(static_cast<char>(p.first[1]));
  p.last0 = _mm_set1_epi8(static_cast<char>(p.last[0]));
  p.last1 = _mm_set1_epi8(static_cast<char>(p.last[1]));
  return p;
}

}  // namespace core
