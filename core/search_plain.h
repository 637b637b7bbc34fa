// The forward scan of a plain pattern, as the text search (core/search.h)
// compares characters: byte for byte where case matters, else both folded
// to lower case with the Windows-1252 mapping. Sixteen positions are tried
// at a time by the pattern's first and last characters (in either case when
// folding), so that a long text costs well under an instruction a character
// and only the positions where both stand are compared in full.
#pragma once

#include <string_view>

namespace core {

// A pattern made ready once for any number of scans: the view is kept,
// not copied (it must outlive the scans).
struct PlainPattern {
  std::string_view pat;
  bool fold = false;
  // The bytes the first and the last character match (the same byte twice
  // where case matters or the letter has no other case).
  unsigned char first[2] = {0, 0}, last[2] = {0, 0};
};

PlainPattern plainpattern(std::string_view pattern, bool fold);

// The first position p from `from` to `to` (1-based positions of text, to
// at most its length) at which the pattern stands whole inside from..to;
// 0 when none or when the pattern is empty.
int findplain(const PlainPattern& p, std::string_view text, int from, int to);

// The byte that folds to the same lower-case letter as c, other than c
// (c itself when there is none).
unsigned char othercase(unsigned char c);

}  // namespace core
