#include "core/varnamevalue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/structlayout.h"
#include "core/symbols.h"
#include "core/symbols_text.h"

namespace core {

namespace {

// The line being built: its usable characters and the length without
// trailing blanks.
struct Line {
  std::span<char> t;
  std::int32_t k() const {
    auto n = static_cast<std::int32_t>(t.size());
    while (n > 0 && t[static_cast<std::size_t>(n - 1)] == ' ') --n;
    return n;
  }
  std::int32_t size() const { return static_cast<std::int32_t>(t.size()); }
  // Writes s from position (0-based) at, as far as the line has room.
  void put(std::int32_t at, std::string_view s) {
    for (std::size_t i = 0; i < s.size() && at + static_cast<std::int32_t>(i) < size(); ++i)
      t[static_cast<std::size_t>(at) + i] = s[i];
  }
  void append(std::string_view s) { put(k(), s); }
};

std::string trimmed(std::span<const char> b) {
  std::size_t n = b.size();
  while (n > 0 && b[n - 1] == ' ') --n;
  return std::string(b.data(), n);
}

std::string printable(std::int32_t v) {
  std::array<char, 64> b{};
  GETNAME(v, b);
  return trimmed(b);
}

std::string number(double x, std::int32_t width, std::int32_t separators) {
  std::array<char, 23> b{};
  WTSID8(std::span<char>(b.data(), static_cast<std::size_t>(width)), x, separators);
  return trimmed(std::span<const char>(b.data(), static_cast<std::size_t>(width)));
}

// The text of a character-like symbol, "" for any other.
std::string textof(std::int32_t v) {
  std::int32_t first = 0, last = 0;
  if (v < 1 || !name.valid(v) || !z.valid(v) || ISCHAR(v, first, last) == 0) return {};
  std::string s;
  for (std::int32_t i = first; i <= last && c1namen.valid(i); ++i) s += c1namen(i);
  return s;
}

std::int32_t elements(std::int32_t v) {
  if (v < 1 || v > nsym || (static_cast<std::uint16_t>(name(v).type) & 0x91) != 0x10) return 1;
  std::int32_t rows = 0, cols = 0;
  TRANSFERR8TO2I4(z(v), rows, cols);
  return static_cast<std::int32_t>(
      std::clamp<long long>(static_cast<long long>(rows) * cols, 0, INT32_MAX));
}

bool numericcode(std::int32_t t) {
  return (t >= 1 && t <= 4) || (t >= 9 && t <= 11) || t == 15 || t == 16 || t == 25;
}
bool pointercode(std::int32_t t) {
  return (t >= 5 && t <= 8) || (t >= 12 && t <= 14) || t == 17 || t == 18;
}

// Writes the value of field (v, t) of a record read at q into the line
// (as far as it has room) and moves q past the field.
void fieldvalue(Line& ln, std::int32_t v, std::int32_t t, std::int32_t& q) {
  const std::int32_t L = ln.size();
  if (numericcode(t)) {
    const std::int32_t w = structfieldwidth(t);
    const std::int32_t count = elements(v);
    bool full = false;
    for (std::int32_t e = 0; e < count; ++e) {
      if (full) {
        q += w;
        continue;
      }
      const double x = STRUCTFIELDVALUE(q, t);
      if (!msgkey.is_blank()) {
        iostatw[1] = static_cast<std::int16_t>(t);
        return;
      }
      ln.put(e == 0 ? ln.k() : ln.k() + 1, number(x, 15, 1));
      if (ln.k() + 1 > L - 8) {
        ln.put(std::max(L - 3, 0),
               std::string_view("...").substr(0, static_cast<std::size_t>(std::min(L, 3))));
        full = true;
      }
    }
    return;
  }
  if (t <= -19 && t >= -22) {
    std::string s = textof(v);
    if ((t == -21 || t == -22) && !s.empty()) s.pop_back();
    ln.append(s);
    q += t == -20 || t == -22 ? structptrwidth : static_cast<std::int32_t>(textof(v).size());
    return;
  }
  if (t == 999 || t == 998) {
    if (L - ln.k() >= 8)
      ln.append(printable(v));
    else
      iostatw[1] = static_cast<std::int16_t>(t);
    q += t == 998 ? structptrwidth : static_cast<std::int32_t>(textof(v).size());
    return;
  }
  if (pointercode(t)) {
    std::uint64_t a = 0;
    for (std::int32_t i = 0; i < structptrwidth; ++i)
      if (c1namen.valid(q + i))
        a |= static_cast<std::uint64_t>(static_cast<unsigned char>(c1namen(q + i))) << (8 * i);
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int i = 15; i >= 0; --i) s += hex[(a >> (4 * i)) & 0xF];
    ln.append(s);
    if (ln.k() < L) ln.append("*");
    q += structptrwidth;
  }
}

bool nonblankfrom(std::int32_t q, std::int32_t last) {
  for (std::int32_t i = std::max(q, 1); i <= last && c1namen.valid(i); ++i)
    if (c1namen(i) != ' ') return true;
  return false;
}

}  // namespace

void NAMEEQUALSVALUE(const std::int32_t& symbol, std::span<char> text, const std::int32_t& limit,
                     std::int32_t& length) {
  const auto L = static_cast<std::int32_t>(
      std::clamp<long long>(limit, 0, static_cast<long long>(text.size())));
  Line ln{text.first(static_cast<std::size_t>(L))};
  std::fill(ln.t.begin(), ln.t.end(), ' ');

  std::int32_t n = 0, v = symbol, t = 0, i = 1, p = 1, q = 0, last = 0, pagestart = 0;
  std::string prefix;
  const bool record = STRUCTELEMENT(symbol, 0, n) != 0;
  if (record) {
    ln.append(printable(symbol) + ".");
    prefix.assign(ln.t.data(), static_cast<std::size_t>(ln.k()));
    t = STRUCTELEMENT(symbol, 1, v);
    std::int32_t first = 0;
    TRANSFERR8TO2I4(z(symbol), first, last);
    q = pagestart = first;
  }
  for (;;) {
    if (NAMTYP(v, 0x61) != 0x41) ln.append(printable(v));
    if (!record) {
      if (ln.k() < L) {
        if (ln.k() > 0) ln.append("=");
        if (NAMTYP(v, 0x49) != 0)
          ln.append(textof(v));
        else
          ln.append(number(v >= 0 && z.valid(v) ? z(v) : 0.0, 23, 1));
      }
      if (ln.k() < L) ln.append(";");
      break;
    }
    Line rest = ln;
    if (ln.k() < L) {
      if (ln.k() > 0) {
        if (p > 1) ln.append("." + number(p, 23, 0));
        ln.append("=");
      }
      fieldvalue(ln, v, t, q);
    } else {
      // No room for the value: the field is passed over all the same.
      std::array<char, 1> none{};
      rest.t = std::span<char>(none.data(), 0);
      fieldvalue(rest, v, t, q);
    }
    if (ln.k() < L) ln.append(";");
    if (i < n) {
      t = STRUCTELEMENT(symbol, ++i, v);
    } else if (q > pagestart && nonblankfrom(q, last)) {
      ++p;
      i = 1;
      pagestart = q;
      t = STRUCTELEMENT(symbol, 1, v);
    } else {
      break;
    }
    ln.append(prefix);
  }
  for (char& c : ln.t)
    if (c == '\0') c = '.';
  length = ln.k();
}

}  // namespace core
