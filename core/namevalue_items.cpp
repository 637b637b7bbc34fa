// Finding named items in option texts and pair texts.
#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "core/chars.h"
#include "core/kompil.h"
#include "core/namevalue.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/stores.h"
#include "core/symbols_index.h"
#include "core/tokenizer.h"

namespace core {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';

// The first n characters of text (n clamped to the text).
std::string_view head(std::string_view text, std::int32_t n) {
  return text.substr(0, static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, text.size())));
}

// Character at position i (from 1) of t.
char at(std::string_view t, std::int32_t i) { return t[static_cast<std::size_t>(i - 1)]; }

bool isin(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Everything the tokenizer writes, kept aside while an option text is
// tokenized for reading, so that a compiled line or a running statement in
// the token arrays survives the call.
struct TokenizerSnapshot {
  plat::Store1<std::int16_t> cod = tokcod, beg = tokbeg, end = tokend;
  std::int32_t n = ntok;
  plat::FixedText<60> key = tokenkey;
  std::int32_t stop = xeqstop;
  std::int32_t top = c1top, limit = c1limit, syms = nsym, trans = ntrans, mode = xeqmode,
               ztop = nztop;

  ~TokenizerSnapshot() {
    tokcod = cod;
    tokbeg = beg;
    tokend = end;
    ntok = n;
    tokenkey = key;
    xeqstop = stop;
    c1top = top;
    c1limit = limit;
    nsym = syms;
    symbolsdropped();
    ntrans = trans;
    xeqmode = mode;
    nztop = ztop;
  }
};

}  // namespace

void NAMEVALUEINSHOP(std::string_view text, std::int32_t n, std::string_view name,
                     std::string_view shop, std::string_view /*types*/, std::int32_t& result,
                     std::int32_t deflt) {
  result = deflt;
  const std::string_view t = head(text, n);
  std::int32_t position = 0;
  const std::int32_t wanted = ITEMNRINSHOP(name, shop, position);
  if (wanted == 0 || t.empty()) return;

  const TokenizerSnapshot saved;
  KOMPIL(std::span<char>{});  // the local subroutine of the current line
  // The number values of the tokens go to a scratch array of our own: the
  // `z` cells above the symbols hold the executor's temporaries.
  std::array<double, maxtokens> values{};
  std::int32_t mode = -1;
  xeqstop = 0;
  TOKEN(t, values, mode);
  // After a failure the last token counted is the failing one, without a code.
  const std::int32_t last = xeqstop == 0 ? ntok : ntok - 1;

  for (std::int32_t k = 1; k <= last; ++k) {
    if (static_cast<std::uint16_t>(tokcod(k)) == 0x8000) break;
    const std::int32_t b = tokbeg(k), e = tokend(k);
    if (b < 1 || e < b || e > static_cast<std::int32_t>(t.size())) continue;
    if (ITEMNRINSHOP(t.substr(static_cast<std::size_t>(b - 1), static_cast<std::size_t>(e - b + 1)),
                     shop, position) != wanted)
      continue;
    if (k + 2 > last) return;
    std::int32_t pos = tokbeg(k + 2), value = 0, status = 0;
    if (pos < 1 || pos > static_cast<std::int32_t>(t.size())) return;
    GETI4N(t, static_cast<std::int32_t>(t.size()), value, pos, status);
    if (status == 0) result = value;
    return;
  }
}

std::int32_t ITEMSTARTINSTRING(std::string_view list, std::string_view text, std::int32_t n,
                               std::int32_t& valstart, std::int32_t& valend) {
  const std::string framed = "," + std::string(list) + ",";
  const std::string_view t = head(text, n);
  const auto len = static_cast<std::int32_t>(t.size());
  std::int32_t w = 1;
  while (w <= len) {
    // The word: its non-blank characters up to the next "=" or ",".
    std::string word;
    std::int32_t i = w;
    for (; i <= len && at(t, i) != '=' && at(t, i) != ','; ++i) {
      if (at(t, i) != ' ')
        word += at(t, i);
      else if (word.empty())
        w = i + 1;
    }
    if (word.empty()) return 0;
    std::int32_t position = 0;
    const bool match = ITEMNRINSHOP(word, framed, position) > 0;
    if (i > len) {  // the text ended inside the word
      if (!match) return 0;
      valstart = 0;
      return w;
    }
    if (at(t, i) == '=') {
      const std::size_t comma = t.find(',', static_cast<std::size_t>(i));
      if (match) {
        valstart = i + 1;
        valend = comma == std::string_view::npos ? len : static_cast<std::int32_t>(comma) + 1;
        return w;
      }
      if (comma == std::string_view::npos) return 0;
      w = static_cast<std::int32_t>(comma) + 2;
    } else {
      if (match) {
        valstart = 0;
        return w;
      }
      w = i + 1;
    }
  }
  return 0;
}

std::int32_t ITEMVALUEINSTRING(std::string_view item, std::string_view delimiters,
                               std::string_view text, std::int32_t n, std::int32_t& valstart,
                               std::int32_t& valend, double& value) {
  value = 0.0;
  valend = 1;
  const std::string_view t = head(text, n);
  const auto len = static_cast<std::int32_t>(t.size());
  const auto m = static_cast<std::int32_t>(item.size());
  if (m == 0) return 0;
  const std::int32_t mtrim = C1LEN_TRIM(item);

  // The first occurrence that stands as an item of its own.
  std::int32_t p = 0;
  for (std::int32_t s = 1; s <= len;) {
    const std::size_t f = t.find(item, static_cast<std::size_t>(s - 1));
    if (f == std::string_view::npos) return 0;
    const auto q = static_cast<std::int32_t>(f) + 1;
    const bool before = q == 1 || isin(at(t, q - 1), delimiters) || at(t, q - 1) == cr ||
                        at(t, q - 1) == lf || at(t, q - 1) == '=' || at(t, q - 1) == ' ';
    const bool after = q + mtrim - 1 >= len || q + m > len || at(t, q + m) == '=' ||
                       isin(at(t, q + m), delimiters);
    if (before && after) {
      p = q;
      break;
    }
    s = q + m;
  }
  if (p == 0) return 0;

  std::int32_t result = p;
  const bool withvalue = p + m <= len && at(t, p + m) == '=';
  std::int32_t q = p + m + 1;
  while (q <= len && at(t, q) == ' ') ++q;
  valstart = q;
  if (q > len) return result;

  char quote = 0;
  if (at(t, q) == '"' || at(t, q) == '\'') {
    quote = at(t, q);
    ++q;
  }
  valstart = q;
  const std::string endset =
      quote != 0 ? std::string{cr, lf, quote} : std::string(delimiters) + std::string{cr, lf};
  for (;;) {
    std::int32_t e = 0;
    for (std::int32_t i = q; i <= len; ++i) {
      if (isin(at(t, i), endset)) {
        e = i;
        break;
      }
    }
    if (e == 0) {
      valend = C1LEN_TRIM(t);
      break;
    }
    if (e > 1 && at(t, e - 1) == '&' && at(t, e) == cr) {
      q = e + 2;  // continued on the next line
      continue;
    }
    valend = e - 1;
    break;
  }
  if (!withvalue) {
    valend = -m;
    return result;
  }

  // The value as a number, then "+", "-", "*" and "/" from left to right.
  const std::int32_t vlen = valend - valstart + 1;
  if (vlen < 1) return -p;
  const std::string_view v = t.substr(static_cast<std::size_t>(valstart - 1));
  std::int32_t pos = 1, status = 0;
  double x = 0.0;
  GETR8N(v, vlen, x, pos, status);
  if (status != 0) return -p;
  value = x;
  while (pos < vlen) {
    const char op = at(v, pos);
    if (op != '+' && op != '-' && op != '*' && op != '/') break;
    std::int32_t next = pos + 1;
    double y = 0.0;
    GETR8N(v, vlen, y, next, status);
    if (status != 0) break;
    switch (op) {
      case '+':
        value += y;
        break;
      case '-':
        value -= y;
        break;
      case '*':
        value *= y;
        break;
      default:
        if (y != 0.0) value /= y;
    }
    pos = next;
  }
  return result;
}

}  // namespace core
