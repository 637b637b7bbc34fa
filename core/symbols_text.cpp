#include "core/symbols_text.h"

#include <algorithm>
#include <string>

#include "core/chars.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/regex.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace core {

namespace {

void blank(std::span<char> text) { std::fill(text.begin(), text.end(), ' '); }

std::string number(double v) {
  char buf[23];
  WTSID8(buf, v, 0);
  const int n = C1LEN_TRIM(std::string_view(buf, sizeof buf));
  const int b = C1NOBLA1(std::string_view(buf, sizeof buf));
  return b > 0 ? std::string(buf + b - 1, static_cast<std::size_t>(n - b + 1)) : std::string();
}

// Writes name and, when it fits, the element in brackets.
void putname(std::span<char> text, std::string_view nm, const std::string& element) {
  const std::size_t n = std::min(nm.size(), text.size());
  std::copy_n(nm.begin(), n, text.begin());
  if (!element.empty() && n + element.size() <= text.size())
    std::copy(element.begin(), element.end(), text.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace

void C1NAMENTOSTRI(std::int32_t symbol, std::span<char> text, std::int32_t& kind) {
  blank(text);
  std::int32_t first = 0, last = 0;
  kind = ISCHAR(symbol, first, last);
  if (kind != 0) {
    const long long n = std::min<long long>(static_cast<long long>(text.size()), last - first + 1);
    for (long long i = 0; i < n && c1namen.valid(first + i); ++i) {
      const char c = c1namen(first + i);
      text[static_cast<std::size_t>(i)] = c == '\0' ? '.' : c;
    }
  } else if (symbol >= 1 && symbol <= nname) {
    putname(text, symbolname(symbol), {});
  }
}

void GETNAME(std::int32_t index, std::span<char> text) {
  blank(text);
  if (index < 1) return;
  if (index <= nsym) {
    putname(text, symbolname(index), {});
    return;
  }
  for (auto k = static_cast<std::int32_t>(std::min<long long>(nsym, name.last())); k >= 1; --k) {
    const int t = static_cast<std::uint16_t>(name(k).type);
    if (t == 0x10 && index >= nztop && z.valid(k)) {
      std::int32_t rows = 0, cols = 0;
      TRANSFERR8TO2I4(z(k), rows, cols);
      const long long adr = name(k).adr, n = static_cast<long long>(rows) * cols;
      if (index < adr || index > adr + n - 1) continue;
      const long long e = index - adr + 1;
      std::string element;
      if (rows == 1 || cols < 1)
        element = "(" + number(static_cast<double>(e)) + ")";
      else
        element = "(" + number(static_cast<double>((e - 1) / cols + 1)) + "," +
                  number(static_cast<double>((e - 1) % cols + 1)) + ")";
      putname(text, symbolname(k), element);
      return;
    }
    if (t == 0x40 && index >= c1limit && z.valid(k)) {
      std::int32_t first = 0, last = 0;
      TRANSFERR8TO2I4(z(k), first, last);
      if (index < first || index > last) continue;
      putname(text, symbolname(k), "(" + number(index - first + 1) + ")");
      return;
    }
  }
}

void STRITOTEMPNAME(std::int32_t symbol, std::string_view text) {
  if (symbol < 1 || symbol > nsym || !name.valid(symbol) || !z.valid(symbol)) return;
  const auto n = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), nc1namenlimit));
  if (static_cast<long long>(c1tmptop) + n >= c1limit) {
    std::int32_t extra = n + 5000;
    if (!REALLOC(5, extra)) return;
  }
  const std::int32_t first = c1tmptop + 1;
  for (std::int32_t i = 0; i < n; ++i) c1namen(first + i) = text[static_cast<std::size_t>(i)];
  c1tmptop += n;
  name(symbol).type = 0x48;
  TRANSFER2I4TOR8(first, first + n - 1, z(symbol));
}

std::int32_t SEPIDX(std::int32_t from, std::int32_t to) {
  for (std::int32_t i = from; i >= std::max(to, 1); --i) {
    if (!c1namen.valid(i)) continue;
    const char c = c1namen(i);
    if (c != ' ' && !is_namechar(c)) return i;
  }
  return 0;
}

std::int32_t COUNTWORDS(std::int32_t from, std::int32_t to, std::int32_t options,
                        std::string_view separators) {
  constexpr std::string_view regexchars = "$.?*+^[]|\\";
  auto boundary = [&](char c) {
    if (c == ' ') return true;
    if (separators.find(c) == std::string_view::npos) return false;
    return !((options & 0x80) && regexchars.find(c) != std::string_view::npos);
  };
  std::int32_t count = 0;
  bool after = true;  // at the start or after a separator
  for (std::int32_t i = std::max(from, 1); i <= to && c1namen.valid(i); ++i) {
    const char c = c1namen(i);
    const bool sep = boundary(c);
    if (!sep && after) ++count;
    after = sep;
  }
  return count;
}

C1Ready C1SEARCHREADY(std::string_view pattern, std::int32_t m, std::int32_t options) {
  C1Ready r;
  r.options = options;
  pattern = pattern.substr(0, static_cast<std::size_t>(std::max(m, 0)));
  const std::int32_t plen = C1LEN_TRIM(pattern);
  r.trimrange = plen != 0 && (options & so_keepblanks) == 0;
  if (r.trimrange) pattern = pattern.substr(0, static_cast<std::size_t>(plen));
  r.pattern = pattern;
  r.plain = (options & ~(so_case | so_keepblanks)) == 0;
  if (r.plain) r.scan = plainpattern(pattern, (options & so_case) == 0);
  return r;
}

std::int32_t C1SEARCH(const C1Ready& r, std::string_view array, std::int32_t from, std::int32_t to,
                      std::int32_t& status) {
  if (to < from) {
    matchlen = 0;
    status = 2;
    return 0;
  }
  searchopts = r.options;
  from = std::max(from, 1);
  to = std::min(to, static_cast<std::int32_t>(array.size()));
  std::int32_t rangelen = to - from + 1;
  if (r.trimrange && rangelen > 0 && array[static_cast<std::size_t>(to - 1)] == ' ')
    rangelen = C1LEN_TRIM(
        array.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(rangelen)));
  status = 0;
  int pos = 0;
  if (r.plain) {
    // What MATCHREGEX does for the plain forward search, in line.
    matchlen = 0;
    regexsteps = 0;
    pos = findplain(r.scan, array, from, from + rangelen - 1);
    if (pos != 0) matchlen = static_cast<int>(r.pattern.size());
  } else {
    int count = 0;
    pos = MATCHREGEX(array, r.pattern, from, from + rangelen - 1, count);
    if (r.options & so_count) return count;
  }
  if (matchlen < 1) {
    status = 1;
    return 0;
  }
  return pos - from + 1;
}

std::int32_t C1SEARCH(std::string_view array, std::string_view pattern, std::int32_t m,
                      std::int32_t from, std::int32_t to, std::int32_t options,
                      std::int32_t& status) {
  return C1SEARCH(C1SEARCHREADY(pattern, m, options), array, from, to, status);
}

}  // namespace core
