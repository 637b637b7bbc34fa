#include "platform/numedit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "platform/shortmoves.h"

namespace plat {

namespace {

constexpr std::uint64_t powersof10[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};

// The last k digits of v (v below 10^k), zeros ahead, written backwards
// ending at end; the first of them.
[[gnu::always_inline]] inline char* fixed_digits_back(std::uint64_t v, int k, char* end) {
  for (; k >= 2; k -= 2, v /= 100) {
    end -= 2;
    std::memcpy(end, detail::digitpairs.data() + 2 * (v % 100), 2);
  }
  if (k == 1) *--end = static_cast<char>('0' + v);
  return end;
}

// A finite, non-negative double a as m * 2^e (m below 2^53).
void split(double a, std::uint64_t& m, int& e) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  m = bits & ((std::uint64_t{1} << 52) - 1);
  e = -1074;
  if (biased != 0) {
    m |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
}

// Exact decimal expansion of a finite, non-negative double a = m * 2^e. The
// integer part is converted whole; the fraction (k bits) hands out its
// decimal digits one at a time by multiplying it by ten.
class ExactDecimal {
 public:
  explicit ExactDecimal(double a) {
    std::uint64_t m = 0;
    int e = 0;
    split(a, m, e);
    if (m == 0) return;
    if (e >= 0) {
      integer_from_shift(m, e);
      return;
    }
    k_ = -e;
    std::uint64_t frac = m;
    if (k_ < 64) {
      append_u64(m >> k_);
      frac = m & ((std::uint64_t{1} << k_) - 1);
    }
    nl_ = (k_ + 4 + 31) / 32;
    f_[0] = static_cast<std::uint32_t>(frac);
    f_[1] = static_cast<std::uint32_t>(frac >> 32);
    lo_ = f_[0] != 0 ? 0 : 1;
    done_ = frac == 0;
  }

  // Digits of the integer part without leading zeros; empty below 1.
  const std::string& integer_digits() const { return ip_; }

  // The next decimal digit of the fraction (0 once it is used up).
  int next() {
    if (done_) return 0;
    std::uint64_t carry = 0;
    for (int i = lo_; i < nl_; ++i) {
      const std::uint64_t t = std::uint64_t{f_[i]} * 10 + carry;
      f_[i] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    const int li = k_ / 32;
    const int bi = k_ % 32;
    std::uint64_t w = f_[li];
    if (li + 1 < nl_) w |= std::uint64_t{f_[li + 1]} << 32;
    const int digit = static_cast<int>((w >> bi) & 0xF);
    f_[li] &= bi == 0 ? 0u : ((1u << bi) - 1);
    if (li + 1 < nl_) f_[li + 1] = 0;
    while (lo_ < nl_ && f_[lo_] == 0) ++lo_;
    done_ = lo_ >= nl_;
    return digit;
  }

 private:
  static constexpr int kLimbs = 40;

  void append_u64(std::uint64_t v) {
    if (v == 0) return;
    char buf[24];
    int n = 0;
    while (v != 0) {
      buf[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    }
    while (n > 0) ip_.push_back(buf[--n]);
  }

  // Integer part m * 2^e for e >= 0, converted by repeated division by 10^9.
  void integer_from_shift(std::uint64_t m, int e) {
    std::array<std::uint32_t, kLimbs> big{};
    const int ls = e / 32;
    const int bs = e % 32;
    const std::uint64_t low = m << bs;
    big[ls] = static_cast<std::uint32_t>(low);
    big[ls + 1] = static_cast<std::uint32_t>(low >> 32);
    big[ls + 2] = bs == 0 ? 0u : static_cast<std::uint32_t>(m >> (64 - bs));
    int n = ls + 3;
    while (n > 0 && big[n - 1] == 0) --n;
    std::string rev;  // groups of nine digits, lowest first
    while (n > 0) {
      std::uint64_t rem = 0;
      for (int i = n - 1; i >= 0; --i) {
        const std::uint64_t cur = (rem << 32) | big[i];
        big[i] = static_cast<std::uint32_t>(cur / 1000000000u);
        rem = cur % 1000000000u;
      }
      while (n > 0 && big[n - 1] == 0) --n;
      for (int j = 0; j < 9; ++j) {
        rev.push_back(static_cast<char>('0' + rem % 10));
        rem /= 10;
      }
    }
    while (!rev.empty() && rev.back() == '0') rev.pop_back();
    ip_.assign(rev.rbegin(), rev.rend());
  }

  std::string ip_;
  std::array<std::uint32_t, kLimbs> f_{};
  int k_ = 0;
  int nl_ = 0;
  int lo_ = 0;
  bool done_ = true;
};

// Adds one unit in the last place of a digit string; a carry out of the
// first digit puts a "1" in front. Returns true when the string grew.
bool round_up(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 1), '*'); }

// Right-aligns a field body in w characters (w = 0: as it is).
std::string place(std::string body, int w) {
  if (w <= 0) return body;
  const auto width = static_cast<std::size_t>(w);
  if (body.size() > width) return stars(w);
  body.insert(0, width - body.size(), ' ');
  return body;
}

std::string edit_special(double v, int w) {
  if (std::isnan(v)) return place("NaN", w);
  return place(v < 0 ? "-Inf" : "Inf", w);
}

// Drops the optional zero before the point when the field is one short.
std::string place_with_optional_zero(const std::string& sign, const std::string& rest, bool zero,
                                     int w) {
  std::string body = sign + (zero ? "0" : "") + rest;
  if (w > 0 && zero && body.size() == static_cast<std::size_t>(w) + 1) body = sign + rest;
  return place(std::move(body), w);
}

}  // namespace

std::string edit_int(std::int64_t v, int w) {
  std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  char buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + mag % 10);
    mag /= 10;
  } while (mag != 0);
  std::string body;
  if (v < 0) body.push_back('-');
  while (n > 0) body.push_back(buf[--n]);
  return place(std::move(body), w);
}

std::string edit_radix(std::uint64_t bits, int base, int w) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buf[72];
  int n = 0;
  const auto b = static_cast<std::uint64_t>(base);
  do {
    buf[n++] = kDigits[bits % b];
    bits /= b;
  } while (bits != 0);
  std::string body;
  while (n > 0) body.push_back(buf[--n]);
  return place(std::move(body), w);
}

namespace {

// The digits of |v| with d decimals, rounded half away from zero, when
// |v| * 10^d fits 128 bits (|v| below 2^63, d at most 9), written from
// `end` backwards: the integer part without leading zeros (none below 1),
// then the d decimals. Returns the count written (at least d), or -1 when
// the number is beyond that.
int scaled_digits(double v, int d, char* end) {
  const double a = std::fabs(v);
  if (d > 9 || !(a < 9223372036854775808.0)) return -1;
  std::uint64_t m = 0;
  int e = 0;
  split(a, m, e);
  std::uint64_t p10 = 1;
  for (int i = 0; i < d; ++i) p10 *= 10;
  using u128 = unsigned __int128;
  u128 q = 0;
  if (e >= 0) {
    q = (u128{m} << e) * p10;
  } else {
    const int k = -e;
    const u128 scaled = u128{m} * p10;  // below 2^83
    if (k < 127) {
      q = scaled >> k;
      const u128 rest = scaled & ((u128{1} << k) - 1);
      if (rest >= (u128{1} << (k - 1))) ++q;
    }
  }
  int n = 0;
  while (q > ~std::uint64_t{0}) {
    *--end = static_cast<char>('0' + static_cast<int>(q % 10));
    q /= 10;
    ++n;
  }
  for (auto r = static_cast<std::uint64_t>(q); r != 0; r /= 10, ++n)
    *--end = static_cast<char>('0' + static_cast<int>(r % 10));
  for (; n < d; ++n) *--end = '0';
  return n;
}

// The characters of a finite v in Fw.d (d >= 0) made from its scaled
// digits, written backwards from `end` of a buffer of 64: the first of
// them, or nullptr when the number is beyond that road.
const char* scaled_fixed(double v, int w, int d, char* end) {
  const int n = scaled_digits(v, d, end);
  if (n < 0) return nullptr;
  // The integer part moves one place left for the point.
  char* first = std::move(end - n, end - d, end - n - 1);
  *first = '.';
  first = end - n - 1;
  const int nint = n - d;
  const bool nonzero = std::find_if(first, end, [](char c) { return c >= '1' && c <= '9'; }) != end;
  const bool zero = nint == 0;
  const bool negative = v < 0 && nonzero;
  const auto with = static_cast<int>(end - first) + (negative ? 1 : 0) + (zero ? 1 : 0);
  // The optional zero before the point is dropped when the field is one short.
  if (zero && (w <= 0 || with != w + 1)) *--first = '0';
  if (negative) *--first = '-';
  return first;
}

}  // namespace

bool edit_fixed_into(double v, int d, std::span<char> field) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (field.empty() || field.size() > 0x7FFFFFFF || biased == 0x7FF) return false;
  const auto w = static_cast<int>(field.size());
  d = std::max(d, 0);
  // |v| times 10^d rounded half up on the exact value, when it is below
  // 2^64: m * 10^d shifted right by k bits, m the significand of |v| =
  // m * 2^-k (whose product with 10^d, below 2^83, mostly fits 64 bits).
  std::uint64_t q = 0;
  bool fits = false;
  if (d <= 9 && biased < 1023 + 63) {
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = -1074;
    if (biased != 0) {
      m |= std::uint64_t{1} << 52;
      e = biased - 1075;
    }
    const std::uint64_t p10 = powersof10[d];
    std::uint64_t s = 0;
    if (e < 0 && !__builtin_mul_overflow(m, p10, &s)) {
      const int k = -e;
      q = k < 64 ? (s >> k) + ((s >> (k - 1)) & 1) : k == 64 ? s >> 63 : 0;
      fits = true;
    } else {
      using u128 = unsigned __int128;
      u128 scaled = u128{m} * p10;  // below 2^83
      if (e >= 0) {
        scaled <<= e;
      } else if (e > -127) {
        const int k = -e;
        const bool up = ((scaled >> (k - 1)) & 1) != 0;
        scaled = (scaled >> k) + (up ? 1 : 0);
      } else {
        scaled = 0;
      }
      fits = scaled <= ~std::uint64_t{0};
      q = static_cast<std::uint64_t>(scaled);
    }
  }
  char buf[64];
  char* const end = buf + sizeof buf;
  const char* first = nullptr;
  if (fits) {
    // The d decimals, the point, the integer part (none below 1); the
    // optional zero before the point dropped when the field is one short.
    const std::uint64_t p10 = powersof10[d];
    const std::uint64_t r = q / p10;
    char* p = fixed_digits_back(q - r * p10, d, end);
    *--p = '.';
    p = put_digits_back(r, p);
    const bool negative = (bits >> 63) != 0 && q != 0;
    if (r == 0 && static_cast<int>(end - p) + (negative ? 1 : 0) != w) *--p = '0';
    if (negative) *--p = '-';
    first = p;
  } else {
    first = scaled_fixed(v, w, d, end);
    if (first == nullptr) return false;
  }
  const auto size = static_cast<std::size_t>(end - first);
  if (size > field.size()) {
    fill_short(field.data(), field.size(), '*');
    return true;
  }
  const std::size_t lead = field.size() - size;
  fill_short(field.data(), lead, ' ');
  copy_short(field.data() + lead, first, size);
  return true;
}

std::string edit_fixed(double v, int w, int d) {
  if (!std::isfinite(v)) return edit_special(v, w);
  if (d < 0) d = 0;
  char buf[64];
  char* const end = buf + sizeof buf;
  if (const char* first = scaled_fixed(v, w, d, end); first != nullptr) {
    const std::string_view body(first, static_cast<std::size_t>(end - first));
    const auto size = static_cast<int>(body.size());
    if (w <= 0) return std::string(body);
    if (size > w) return stars(w);
    std::string out(static_cast<std::size_t>(w - size), ' ');
    out.append(body);
    return out;
  }
  std::string digits;
  std::size_t nint = 0;
  ExactDecimal x(std::fabs(v));
  digits = x.integer_digits();
  nint = digits.size();
  digits.reserve(nint + static_cast<std::size_t>(d) + 1);
  for (int i = 0; i < d; ++i) digits.push_back(static_cast<char>('0' + x.next()));
  if (x.next() >= 5 && round_up(digits)) ++nint;
  const bool nonzero = digits.find_first_not_of('0') != std::string::npos;
  const std::string sign = v < 0 && nonzero ? "-" : "";
  std::string rest = digits.substr(0, nint);
  rest.push_back('.');
  rest.append(digits, nint, std::string::npos);
  return place_with_optional_zero(sign, rest, nint == 0, w);
}

std::string significant_digits(double a, int n, int& x) {
  a = std::fabs(a);
  x = 0;
  const auto nd = static_cast<std::size_t>(n < 1 ? 1 : n);
  std::string sig;
  if (a == 0 || !std::isfinite(a)) return std::string(nd, '0');
  ExactDecimal ed(a);
  const std::string& ip = ed.integer_digits();
  int dg = 0;
  if (!ip.empty()) {
    x = static_cast<int>(ip.size());
    sig = ip.substr(0, nd + 1);
  } else {
    while ((dg = ed.next()) == 0) --x;
    sig.push_back(static_cast<char>('0' + dg));
  }
  while (sig.size() < nd + 1) sig.push_back(static_cast<char>('0' + ed.next()));
  const bool up = sig[nd] >= '5';
  sig.resize(nd);
  if (up && round_up(sig)) {
    sig.resize(nd);
    ++x;
  }
  return sig;
}

std::string edit_exp(double v, int w, int d) {
  if (!std::isfinite(v)) return edit_special(v, w);
  if (d < 1) return stars(w);
  int x = 0;
  const std::string sig = significant_digits(v, d, x);
  const int ax = x < 0 ? -x : x;
  if (ax > 999) return stars(w);
  std::string rest = "." + sig;
  if (ax <= 99) rest.push_back('E');
  rest.push_back(x < 0 ? '-' : '+');
  if (ax > 99) rest.push_back(static_cast<char>('0' + ax / 100));
  rest.push_back(static_cast<char>('0' + ax / 10 % 10));
  rest.push_back(static_cast<char>('0' + ax % 10));
  return place_with_optional_zero(v < 0 ? "-" : "", rest, true, w);
}

// The common field, blanks, a sign, at most 15 significant digits and a
// point, read without a detour through text: its digits are an integer
// below 2^53 and the power of ten that scales them is exact up to 10^22,
// so one division or multiplication rounds the value correctly. False for
// any other field.
bool read_plain_real(std::string_view field, int d, double& value) {
  static constexpr double tens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = field.data();
  const char* const e = p + field.size();
  // Blanks count for nothing wherever they stand; a sign comes before the
  // digits and the point.
  p = skip_blanks(p, e);
  bool negative = false;
  if (p != e && (*p == '+' || *p == '-')) negative = *p++ == '-';
  {
    // Digits, a point and digits, blanks after them, at most 15 digits in
    // all: read in one pass (anything else by the loop below).
    const char* q = p;
    std::uint64_t m = 0;
    unsigned c = 0;
    for (; q != e && (c = static_cast<unsigned char>(*q) - 48u) <= 9; ++q) m = m * 10 + c;
    auto n = static_cast<int>(q - p);
    int frac = -1;
    if (q != e && *q == '.') {
      const char* const f = ++q;
      for (; q != e && (c = static_cast<unsigned char>(*q) - 48u) <= 9; ++q) m = m * 10 + c;
      frac = static_cast<int>(q - f);
      n += frac;
    }
    while (q != e && *q == ' ') ++q;
    const int exp10 = frac >= 0 ? -frac : -d;
    if (q == e && n >= 1 && n <= 15 && exp10 >= -22 && exp10 <= 22) {
      double r = static_cast<double>(m);
      r = exp10 < 0 ? r / tens[-exp10] : r * tens[exp10];
      value = negative ? -r : r;
      return true;
    }
  }
  std::uint64_t mant = 0;
  int significant = 0, fracdigits = 0;
  bool point = false, digits = false;
  for (; p != e; ++p) {
    const auto c = static_cast<unsigned>(static_cast<unsigned char>(*p)) - '0';
    if (c <= 9) {
      digits = true;
      fracdigits += point ? 1 : 0;
      if (mant == 0 && c == 0) continue;
      if (++significant > 15) return false;
      mant = mant * 10 + c;
    } else if (*p == ' ') {
      continue;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  const int exp10 = -fracdigits - (point ? 0 : d);
  if (exp10 < -22 || exp10 > 22) return false;
  double r = static_cast<double>(mant);
  r = exp10 < 0 ? r / tens[-exp10] : r * tens[exp10];
  value = negative ? -r : r;
  return true;
}

int read_real_field(std::string_view text, int w, int d, double& value) {
  if (w < 0) w = 0;
  const std::string_view field = text.substr(0, static_cast<std::size_t>(w));
  if (read_plain_real(field, d, value)) return numfield_ok;
  std::string s;
  s.reserve(field.size());
  for (char c : field) {
    if (c != ' ') s.push_back(c);
  }
  if (s.empty()) {
    value = 0.0;
    return numfield_ok;
  }
  std::size_t i = 0;
  const std::size_t n = s.size();
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  std::string mant;
  int fracdigits = 0;
  bool point = false;
  for (; i < n; ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      mant.push_back(c);
      if (point) ++fracdigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mant.empty()) return numfield_malformed;
  long long expo = 0;
  if (i < n) {
    const char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd')
      ++i;
    else if (c != '+' && c != '-')
      return numfield_malformed;
    bool eneg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
    if (i >= n) return numfield_malformed;
    for (; i < n; ++i) {
      if (s[i] < '0' || s[i] > '9') return numfield_malformed;
      if (expo < 1000000) expo = expo * 10 + (s[i] - '0');
    }
    if (eneg) expo = -expo;
  }
  long long exp10 = expo - fracdigits - (point ? 0 : d);
  const std::size_t lead = mant.find_first_not_of('0');
  if (lead == std::string::npos) {
    value = negative ? -0.0 : 0.0;
    return numfield_ok;
  }
  mant.erase(0, lead);
  // Decimal exponent of the leading digit plus one.
  const long long magnitude = static_cast<long long>(mant.size()) + exp10;
  if (magnitude > 400) return numfield_overflow;
  if (magnitude < -400) {
    value = negative ? -0.0 : 0.0;
    return numfield_ok;
  }
  char ebuf[24];
  const auto conv = std::to_chars(ebuf, ebuf + sizeof ebuf, exp10);
  mant.push_back('e');
  mant.append(ebuf, conv.ptr);
  double result = 0.0;
  const auto [ptr, ec] = std::from_chars(mant.data(), mant.data() + mant.size(), result,
                                         std::chars_format::scientific);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return numfield_overflow;
    result = 0.0;
  } else if (ec != std::errc()) {
    return numfield_malformed;
  }
  value = negative ? -result : result;
  return numfield_ok;
}

}  // namespace plat
