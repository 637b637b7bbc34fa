#include "platform/fixedfield.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/numedit.h"

namespace plat {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

void skipblanks(std::string_view t, std::size_t& i) {
  while (i < t.size() && t[i] == ' ') ++i;
}

// Digits with blanks between them ignored; -1 when none. Values are capped.
int number(std::string_view t, std::size_t& i) {
  skipblanks(t, i);
  if (i >= t.size() || t[i] < '0' || t[i] > '9') return -1;
  long long v = 0;
  for (skipblanks(t, i); i < t.size() && t[i] >= '0' && t[i] <= '9'; skipblanks(t, i)) {
    v = std::min<long long>(v * 10 + (t[i] - '0'), 100000000);
    ++i;
  }
  return static_cast<int>(v);
}

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 1), '*'); }

// Right-aligns a body in w characters (w < 1: as it is); stars when it does
// not fit.
std::string place(std::string body, int w) {
  if (w < 1) return body;
  const auto width = static_cast<std::size_t>(w);
  if (body.size() > width) return stars(w);
  body.insert(0, width - body.size(), ' ');
  return body;
}

// As place, dropping the optional zero before the point when the field is
// one character short.
std::string placezero(const std::string& sign, const std::string& rest, int w) {
  std::string body = sign + "0" + rest;
  if (w > 0 && body.size() == static_cast<std::size_t>(w) + 1) body = sign + rest;
  return place(std::move(body), w);
}

std::string special(double v, int w) {
  if (std::isnan(v)) return place("NaN", w);
  return place(v < 0 ? "-Inf" : "Inf", w);
}

// "E+xx", "+xxx" (no exponent width given) or "E" sign and e digits; empty
// when the exponent does not fit.
std::string exponent(int x, int e, char letter) {
  const int ax = x < 0 ? -x : x;
  const char sign = x < 0 ? '-' : '+';
  std::string digits = std::to_string(ax);
  if (e < 1) {
    if (ax > 999) return {};
    if (ax > 99) return std::string(1, sign) + digits;
    if (digits.size() < 2) digits.insert(0, 1, '0');
    return std::string(1, letter) + sign + digits;
  }
  if (digits.size() > static_cast<std::size_t>(e)) return {};
  digits.insert(0, static_cast<std::size_t>(e) - digits.size(), '0');
  return std::string(1, letter) + sign + digits;
}

int widthof(const EditDesc& d) { return d.width < 0 ? 0 : d.width; }

// Ew.d(Ee) and Dw.d: 0.ddd with the exponent.
std::string putexp(double v, const EditDesc& d) {
  const int w = widthof(d);
  int x = 0;
  const std::string sig = significant_digits(v, d.digits, x);
  if (v == 0) x = 0;
  const std::string ex = exponent(x, d.expdigits, d.letter == 'D' ? 'D' : 'E');
  if (ex.empty()) return stars(w);
  return placezero(std::signbit(v) && v != 0 ? "-" : "", "." + sig + ex, w);
}

// ESw.d and ENw.d: one to three digits before the point.
std::string putscaled(double v, const EditDesc& d) {
  const int w = widthof(d);
  int x = 0, k = 1;
  std::string sig;
  if (v == 0) {
    sig.assign(static_cast<std::size_t>(d.digits) + 1, '0');
    x = 1;
  } else if (d.variant == 'S') {
    sig = significant_digits(v, d.digits + 1, x);
  } else {
    significant_digits(v, 17, x);
    for (int round = 0; round < 2; ++round) {
      k = ((x - 1) % 3 + 3) % 3 + 1;
      int x2 = 0;
      sig = significant_digits(v, k + d.digits, x2);
      if (x2 == x) break;
      x = x2;  // rounding carried into a new digit
    }
  }
  const std::string ex = exponent(x - k, d.expdigits, 'E');
  if (ex.empty()) return stars(w);
  std::string body = v < 0 ? "-" : "";
  body += sig.substr(0, static_cast<std::size_t>(k));
  body += '.';
  body += sig.substr(static_cast<std::size_t>(k));
  return place(body + ex, w);
}

// Gw.d(Ee): fixed point when the value rounded to d digits lies from 0.1
// up to 10^d, followed by as many blanks as the exponent would take.
std::string putgeneral(double v, const EditDesc& d) {
  const int w = widthof(d);
  const int n = d.expdigits > 0 ? d.expdigits + 2 : 4;
  int x = 0;
  if (v != 0) significant_digits(v, d.digits, x);
  if (v == 0 || (x >= 0 && x <= d.digits)) {
    const int decimals = v == 0 ? std::max(d.digits - 1, 0) : d.digits - x;
    if (w == 0) return edit_fixed(v, 0, decimals);
    if (w - n < 1) return stars(w);
    std::string f = edit_fixed(v, w - n, decimals);
    if (f[0] == '*') return stars(w);
    return f + std::string(static_cast<std::size_t>(n), ' ');
  }
  return putexp(v, d);
}

bool isinteger(char l) { return l == 'I' || l == 'B' || l == 'O' || l == 'Z'; }

}  // namespace

bool parse_edit_desc(std::string_view text, std::size_t& pos, EditDesc& d) {
  d = EditDesc{};
  std::size_t i = pos;
  skipblanks(text, i);
  if (i >= text.size()) return false;
  const char l = upper(text[i]);
  if (std::strchr("ABDEFGILOZ", l) == nullptr || l == 0) return false;
  d.letter = l;
  ++i;
  if (l == 'E') {
    std::size_t j = i;
    skipblanks(text, j);
    if (j < text.size() && (upper(text[j]) == 'N' || upper(text[j]) == 'S')) {
      d.variant = upper(text[j]);
      i = j + 1;
    }
  }
  d.width = number(text, i);
  if (l != 'A' && l != 'L' && d.width >= 0) {
    std::size_t j = i;
    skipblanks(text, j);
    if (j < text.size() && text[j] == '.') {
      ++j;
      d.digits = number(text, j);
      if (d.digits < 0) return false;
      i = j;
      if (std::strchr("DEG", l) != nullptr) {
        skipblanks(text, j);
        if (j < text.size() && upper(text[j]) == 'E') {
          ++j;
          d.expdigits = number(text, j);
          if (d.expdigits < 1) return false;
          i = j;
        }
      }
    }
  }
  pos = i;
  return true;
}

std::string put_integer(std::int64_t v, const EditDesc& d, int bits, int* status) {
  if (status != nullptr) *status = field_ok;
  const char l = d.letter == 'G' ? 'I' : d.letter;
  if (!isinteger(l)) {
    if (status != nullptr) *status = field_unsuited;
    return {};
  }
  const int w = widthof(d);
  // The digits are made from the last one backwards.
  std::array<char, 64> buf{};
  char* const end = buf.data() + buf.size();
  char* first = end;
  if (l == 'I') {
    std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    for (; mag != 0; mag /= 10) *--first = static_cast<char>('0' + mag % 10);
  } else {
    std::uint64_t bitsof = static_cast<std::uint64_t>(v);
    if (bits < 64) bitsof &= (std::uint64_t{1} << bits) - 1;
    const unsigned base = l == 'B' ? 2 : l == 'O' ? 8 : 16;
    for (; bitsof != 0; bitsof /= base) *--first = "0123456789ABCDEF"[bitsof % base];
  }
  const auto count = static_cast<std::size_t>(end - first);
  const int m = d.digits < 0 ? 1 : d.digits;
  const std::size_t zeros =
      count < static_cast<std::size_t>(m) ? static_cast<std::size_t>(m) - count : 0;
  const bool minus = l == 'I' && v < 0;
  std::string digits;
  digits.reserve(count + zeros + (minus ? 1 : 0));
  if (minus) digits.push_back('-');
  digits.append(zeros, '0');
  digits.append(first, count);
  if (w > 0 && d.digits > w) return stars(w);
  return place(std::move(digits), w);
}

std::string put_real(double v, const EditDesc& d, int* status) {
  if (status != nullptr) *status = field_ok;
  const char l = d.letter;
  const bool suited = (l == 'F' && (d.digits >= 0 || d.width < 1)) ||
                      ((l == 'E' || l == 'D' || l == 'G') && d.digits >= 0);
  if (!suited || (l != 'F' && l != 'G' && d.variant == 0 && d.digits < 1)) {
    if (status != nullptr) *status = field_unsuited;
    return {};
  }
  if (!std::isfinite(v)) return special(v, widthof(d));
  if (l == 'F') return edit_fixed(v, widthof(d), std::max(d.digits, 0));
  if (l == 'G') return putgeneral(v, d);
  if (d.variant != 0) return putscaled(v, d);
  return putexp(v, d);
}

std::string put_logical(bool v, const EditDesc& d, int* status) {
  if (status != nullptr) *status = field_ok;
  if (d.letter != 'L' && d.letter != 'G') {
    if (status != nullptr) *status = field_unsuited;
    return {};
  }
  return place(v ? "T" : "F", std::max(widthof(d), 1));
}

std::string put_text(std::string_view s, const EditDesc& d, int* status) {
  if (status != nullptr) *status = field_ok;
  if (d.letter != 'A' && d.letter != 'G') {
    if (status != nullptr) *status = field_unsuited;
    return {};
  }
  if (d.width < 0) return std::string(s);
  const auto w = static_cast<std::size_t>(d.width);
  if (s.size() >= w) return std::string(s.substr(0, w));
  return std::string(w - s.size(), ' ') + std::string(s);
}

int get_integer(std::string_view field, const EditDesc& d, std::int64_t& v) {
  const char l = d.letter == 'G' ? 'I' : d.letter;
  if (!isinteger(l)) return field_unsuited;
  // Blanks count for nothing wherever they stand.
  const std::size_t n = field.size();
  std::size_t i = 0;
  auto skipblanks = [&] {
    while (i < n && field[i] == ' ') ++i;
  };
  skipblanks();
  bool negative = false, sign = false;
  if (l == 'I' && i < n && (field[i] == '+' || field[i] == '-')) {
    negative = field[i++] == '-';
    sign = true;
    skipblanks();
  }
  if (i == n) {
    if (sign) return field_malformed;  // a sign alone
    v = 0;
    return field_ok;
  }
  const unsigned base = l == 'I' ? 10 : l == 'B' ? 2 : l == 'O' ? 8 : 16;
  std::uint64_t acc = 0;
  bool over = false;
  for (; i < n; ++i) {
    if (field[i] == ' ') continue;
    const char c = upper(field[i]);
    unsigned digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    if (digit >= base) return field_malformed;
    if (acc > (std::numeric_limits<std::uint64_t>::max() - digit) / base) over = true;
    acc = acc * base + digit;
  }
  if (over) return field_overflow;
  if (l != 'I') {
    v = static_cast<std::int64_t>(acc);
    return field_ok;
  }
  const std::uint64_t limit = std::uint64_t{1} << 63;
  if (acc > limit || (!negative && acc == limit)) return field_overflow;
  v = negative ? static_cast<std::int64_t>(0 - acc) : static_cast<std::int64_t>(acc);
  return field_ok;
}

int get_real(std::string_view field, const EditDesc& d, double& v) {
  if (std::strchr("DEFG", d.letter) == nullptr || d.letter == 0) return field_unsuited;
  // Only a field whose first character after the sign is N or I can name
  // a special value.
  std::size_t at = field.find_first_not_of(' ');
  if (at != std::string_view::npos && (field[at] == '-' || field[at] == '+'))
    at = field.find_first_not_of(' ', at + 1);
  if (at == std::string_view::npos || (upper(field[at]) != 'N' && upper(field[at]) != 'I')) {
    const int st = read_real_field(field, static_cast<int>(field.size()), std::max(d.digits, 0), v);
    if (st == numfield_malformed) return field_malformed;
    if (st == numfield_overflow) return field_overflow;
    return field_ok;
  }
  std::string s;
  for (char c : field)
    if (c != ' ') s.push_back(upper(c));
  std::string_view body(s);
  const bool negative = !body.empty() && body[0] == '-';
  if (!body.empty() && (body[0] == '-' || body[0] == '+')) body.remove_prefix(1);
  if (body == "NAN") {
    v = std::numeric_limits<double>::quiet_NaN();
    return field_ok;
  }
  if (body == "INF" || body == "INFINITY") {
    v = negative ? -HUGE_VAL : HUGE_VAL;
    return field_ok;
  }
  const int st = read_real_field(field, static_cast<int>(field.size()), std::max(d.digits, 0), v);
  if (st == numfield_malformed) return field_malformed;
  if (st == numfield_overflow) return field_overflow;
  return field_ok;
}

int get_logical(std::string_view field, bool& v) {
  std::size_t i = 0;
  skipblanks(field, i);
  if (i < field.size() && field[i] == '.') ++i;
  if (i >= field.size()) return field_malformed;
  const char c = upper(field[i]);
  if (c != 'T' && c != 'F') return field_malformed;
  v = c == 'T';
  return field_ok;
}

void get_text(std::string_view field, std::span<char> target) {
  const std::size_t n = target.size();
  if (field.size() >= n) {
    std::copy_n(field.end() - static_cast<std::ptrdiff_t>(n), n, target.begin());
    return;
  }
  std::copy(field.begin(), field.end(), target.begin());
  std::fill(target.begin() + static_cast<std::ptrdiff_t>(field.size()), target.end(), ' ');
}

}  // namespace plat
