#include "core/commalists.h"

#include <algorithm>
#include <string>

#include "core/chars.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace core {

namespace {

// The symbol whose name starts at position start (from 1) of the symbol-name
// list, 0 when no name starts there.
std::int32_t symbolat(std::size_t start) {
  std::size_t pos = 1;
  for (std::int32_t k = 1; k <= nsym && name.valid(k); ++k) {
    if (pos == start) return k;
    if (pos > start) return 0;
    pos += static_cast<std::size_t>(std::max<std::int16_t>(name(k).namlen, 0)) + 1;
  }
  return 0;
}

// What a symbol-name list answers for symbol k: the symbol, 0 (refused),
// or -1 (not visible here: go on searching).
std::int32_t visible(std::int32_t k) {
  const SymbolRecord& r = name(k);
  if (r.type & 0x2) return 0;
  if (r.scope == 0) {
    if (lokalsub == 0) return k;
    return uselisted(lokalsub, k) ? k : 0;
  }
  if ((r.type & 0x1) || r.scope == lokalsub) return k;
  return -1;
}

}  // namespace

std::int32_t FINDSTN(std::string_view list, std::string_view word, std::int32_t n) {
  const int lt = C1LEN_TRIM(list);
  if (lt < 1) return 0;
  list = list.substr(0, static_cast<std::size_t>(lt));
  const char sep = list.back();
  const std::size_t wn =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), word.size());
  std::string key(1, sep);
  key.append(word.substr(0, wn));
  UPCASE(std::span<char>(key).subspan(1), static_cast<int>(wn));
  key += sep;

  const bool symbols = list.starts_with("$,$$,");
  std::size_t from = 0;
  for (;;) {
    const std::size_t m = list.find(key, from);
    if (m == std::string_view::npos) return 0;
    if (!symbols)
      return static_cast<std::int32_t>(std::count(list.begin(), list.begin() + m + 1, sep));
    const std::int32_t k = symbolat(m + 2);
    if (k > 0) {
      const std::int32_t r = visible(k);
      if (r >= 0) return r;
    }
    from = m + 1;
  }
}

}  // namespace core
