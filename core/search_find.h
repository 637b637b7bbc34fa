// A ready search run for the hit's position and length in one call, its
// plain forward scan in line: for callers that repeat a search many times
// over a text that changes between the searches.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/chars.h"
#include "core/regex.h"
#include "core/search.h"
#include "core/search_plain.h"
#include "core/symbols_text.h"

namespace core {

// The search's words as C1FIND's plain scan leaves them.
[[gnu::always_inline]] inline void C1FOUND(const C1Ready& r) {
  searchopts = r.options;
  matchlen = 0;
  regexsteps = 0;
}

// C1FIND that leaves the search's words unwritten where it takes the plain
// scan (`unwritten` true): a caller that searches again and again writes
// them once, with C1FOUND, before anything may read them.
[[gnu::always_inline]] inline std::int32_t C1FINDQUIET(const C1Ready& r, std::string_view array,
                                                       std::int32_t from, std::int32_t to,
                                                       std::int32_t& length, bool& unwritten) {
  length = 0;
  unwritten = r.plain && to >= from;
  if (!unwritten) {
    std::int32_t status = 0;
    const std::int32_t k = C1SEARCH(r, array, from, to, status);
    int len = 0;
    MATCHEDLENGTH(len);
    if (status != 0 || k < 1) return 0;
    length = len;
    return std::max(from, 1) + k - 1;
  }
  from = std::max(from, 1);
  to = std::min(to, static_cast<std::int32_t>(array.size()));
  // (The range's trailing blanks left out; a text's end is often one.)
  auto blank = [&](std::int32_t p) { return array[static_cast<std::size_t>(p - 1)] == ' '; };
  if (r.trimrange && to >= from && blank(to) && --to >= from && blank(to))
    to = from - 1 +
         C1LEN_TRIM(array.substr(static_cast<std::size_t>(from - 1),
                                 static_cast<std::size_t>(to - from + 1)));
  const int pos = findplain(r.scan, array, from, to);
  if (pos != 0) length = static_cast<std::int32_t>(r.pattern.size());
  return pos;
}

// C1SEARCH then MATCHEDLENGTH: the hit's position in the array (0 none)
// and its length (not for a counting search); the search's state is left
// as those two leave it.
[[gnu::always_inline]] inline std::int32_t C1FIND(const C1Ready& r, std::string_view array,
                                                  std::int32_t from, std::int32_t to,
                                                  std::int32_t& length) {
  bool unwritten = false;
  const std::int32_t pos = C1FINDQUIET(r, array, from, to, length, unwritten);
  if (unwritten) C1FOUND(r);
  return pos;
}

}  // namespace core
