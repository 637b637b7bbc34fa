#include "core/numread.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/chars.h"
#include "platform/numedit.h"

namespace core {

namespace {

// Where a reading or conversion call puts its result.
struct Target {
  std::int32_t kind = kindcode::r8;
  double* r8 = nullptr;
  float* r4 = nullptr;
  std::int32_t* i4 = nullptr;
  std::int16_t* i2 = nullptr;
  std::int8_t* i1 = nullptr;
};

constexpr std::int32_t status_stored = 0;
constexpr std::int32_t status_nofit = 1;
constexpr std::int32_t status_none = 2;

// 10^k for k = 0..308, each the correctly rounded double.
const std::array<double, 309>& powers_of_ten() {
  static const std::array<double, 309> table = [] {
    std::array<double, 309> t{};
    for (int k = 0; k <= 308; ++k) {
      char buf[8] = {'1', 'e'};
      const auto r = std::to_chars(buf + 2, buf + sizeof buf, k);
      std::from_chars(buf, r.ptr, t[static_cast<std::size_t>(k)]);
    }
    return t;
  }();
  return table;
}

// The exponent is applied in floating point: a multiplication by 10^e, or a
// division by 10^-e for a negative one (10^k is exact up to k = 22, so the
// common cases round only once).
double scale_by_ten(double value, int e) {
  const auto& p = powers_of_ten();
  if (e >= 0) return value * p[static_cast<std::size_t>(e)];
  return value / p[static_cast<std::size_t>(-e)];
}

// The double nearest to the decimal number written in `decimal` (digits, a
// point, an exponent); the digit-by-digit value when it lies beyond the
// range of a double. A zero keeps no sign.
double nearest_double(std::string_view decimal, double accumulated) {
  double v = 0.0;
  const auto r = std::from_chars(decimal.data(), decimal.data() + decimal.size(), v);
  if (r.ec != std::errc{} || r.ptr != decimal.data() + decimal.size()) return accumulated;
  return v == 0.0 ? 0.0 : v;
}

// The smallest kind that holds a value. Not-a-number fits no integer kind
// (a 32-bit real can hold it).
std::int32_t smallest_kind(double v, bool point) {
  if (std::isnan(v)) return kindcode::r4;
  const double a = std::fabs(v);
  if (a > 3.4e38) return kindcode::r8;
  if (point || a > 2147483647.0) return kindcode::r4;
  if (a <= 255.0) return kindcode::i1;
  if (a <= 32767.0) return kindcode::i2;
  return kindcode::i4;
}

// Range test and store (the end of every reading and conversion call).
std::int32_t store(const Target& t, double v, std::int32_t smallest) {
  if (t.kind < smallest) {
    if (t.r4 != nullptr) *t.r4 = 0.0f;
    return status_nofit;
  }
  switch (t.kind) {
    case kindcode::r8:
      *t.r8 = v;
      break;
    case kindcode::r4:
      if (v == 0.0) {
        *t.r4 = 0.0f;
      } else if (std::fabs(v) <= 1.1e-37) {
        *t.r4 = v < 0 ? -1.1e-37f : 1.1e-37f;
      } else {
        *t.r4 = static_cast<float>(v);
      }
      break;
    case kindcode::i4:
      // std::round rounds halves away from zero exactly (|v| + 0.5 would
      // round 0.49999999999999994 up).
      *t.i4 = static_cast<std::int32_t>(std::round(v));
      break;
    case kindcode::i2:
      *t.i2 = static_cast<std::int16_t>(
          static_cast<std::uint16_t>(static_cast<std::int64_t>(std::round(v)) & 0xFFFF));
      break;
    default:
      *t.i1 = static_cast<std::int8_t>(
          static_cast<std::uint8_t>(static_cast<std::int64_t>(std::round(v)) & 0xFF));
      break;
  }
  return status_stored;
}

void remember(double v, std::int32_t kind, std::int32_t status) {
  numreadstate.value = v;
  numreadstate.kind = kind;
  numreadstate.outcome = status == status_stored  ? NumOutcome::stored
                         : status == status_nofit ? NumOutcome::status1
                                                  : NumOutcome::status2;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_digit(char c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  static constexpr std::string_view hex = "0123456789abcdef";
  const auto p = hex.find(c);
  return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

int place_in_numchars(char c) {
  for (int k = 0; k < 13; ++k) {
    if (numchars[static_cast<std::size_t>(k)] == c) return k;
  }
  return -1;
}

// "STORED": repeat the previous outcome into this target. The repeat leaves
// the remembered outcome as it was. With nothing read yet there is no number
// (status 2, target untouched).
std::int32_t repeat_stored(const Target& t) {
  switch (numreadstate.outcome) {
    case NumOutcome::stored:
      return store(t, numreadstate.value, numreadstate.kind);
    case NumOutcome::status1:
      if (t.r4 != nullptr) *t.r4 = 0.0f;
      return status_nofit;
    default:
      return status_none;
  }
}

// The shared body of the reading entries.
std::int32_t read_number(std::string_view text, std::int32_t n, std::int32_t& position,
                         const Target& t) {
  const char terminator = numreadstate.terminator;
  numreadstate.terminator = ' ';
  const bool has_term = terminator != ' ';

  if (n < 0) n = 0;
  if (static_cast<std::size_t>(n) < text.size()) text = text.substr(0, static_cast<std::size_t>(n));
  const int len = static_cast<int>(text.size());
  const int last = C1LEN_TRIM(text);  // L
  if (text.substr(0, static_cast<std::size_t>(last)) == "STORED") return repeat_stored(t);

  auto at = [&](long long i) {
    return i >= 1 && i <= len ? text[static_cast<std::size_t>(i - 1)] : ' ';
  };
  const bool anywhere = position < 0;
  // A start below 1 (position 0) reads from the first character.
  long long start = std::llabs(static_cast<long long>(position));
  if (start < 1) start = 1;
  const bool integer_target = (t.kind & kindcode::integer_bit) != 0;

  double value = 0.0;
  double sign = 1.0;
  double scale = 1.0;
  bool opened = false;
  bool point = false;
  bool digit = false;
  long long i = start;
  long long end = start;  // first character not taken
  bool bad_exponent = false;
  bool none = false;
  bool hex = false;
  // The number as written, for the correctly rounded value at the end.
  std::string decimal;

  while (true) {
    if (i > last) {
      end = i;
      break;
    }
    const char c1 = at(i);
    const char c2 = at(i + 1);
    if (!opened && c1 == ' ') {
      ++i;
      continue;
    }
    const int cls = place_in_numchars(c1);
    bool number_char = cls >= 0 && cls <= 9;
    if (cls >= 10) {
      if (i == last) {
        end = i;
        break;
      }
      number_char = is_digit(c2) || (c1 == '.' && (c2 == 'E' || c2 == 'e')) ||
                    ((c1 == '-' || c1 == '+') && c2 == '.');
    }
    if (number_char) {
      if (!opened) {
        opened = true;
        value = 0.0;
        decimal.clear();
        if (cls == 12) {
          sign = scale = -1.0;
          decimal.assign(1, '-');
          ++i;
          continue;
        }
        sign = scale = 1.0;
        if (c1 == '0' && c2 == 'x') {
          // Hexadecimal: no sign, no exponent, an empty run reads 0.
          digit = true;
          hex = true;
          i += 2;
          while (i <= last) {
            const int h = hex_digit(at(i));
            if (h < 0) break;
            value = value * 16.0 + h;
            ++i;
          }
          end = i;
          break;
        }
        if (cls == 11) {
          ++i;
          continue;
        }
      }
      if (cls <= 9) {
        decimal += static_cast<char>('0' + cls);
        if (!point) {
          value = value * 10.0;
          value = value + cls * sign;
        } else {
          scale = scale * 0.1;
          value = value + cls * scale;
        }
        digit = true;
        ++i;
        continue;
      }
      if (cls == 10 && !integer_target && !point) {
        point = true;
        decimal += '.';
        ++i;
        continue;
      }
      end = i;  // a point for an integer kind, a second point, a sign
      break;
    }

    if (digit && (c1 == 'E' || c1 == 'e')) {
      long long j = i + 1;
      int esign = 1;
      if (c2 == '+' || c2 == '-') {
        esign = c2 == '-' ? -1 : 1;
        ++j;
      }
      // The exponent's digits follow at once: a number further on in the
      // text (after a comma, a name) is none of this one's.
      if (j > last || !is_digit(at(j))) {
        bad_exponent = true;
        break;
      }
      int first = 0;
      int run_end = 0;
      const int ev = INTGET(
          text.substr(static_cast<std::size_t>(j - 1), static_cast<std::size_t>(last - j + 1)),
          first, run_end);
      if (run_end == 0 || ev > 300 || ev < -300) {
        bad_exponent = true;
        break;
      }
      value = scale_by_ten(value, esign * ev);
      decimal += 'e';
      decimal += std::to_string(esign * ev);
      end = j + run_end;
      break;
    }
    if (has_term) {
      if (c1 == terminator) {
        end = i;
        break;
      }
      ++i;
      continue;
    }
    if (digit) {
      end = i;
      break;
    }
    point = false;
    if (!anywhere) {
      none = true;
      break;
    }
    // Skipped: a sign or point taken so far does not carry over.
    opened = false;
    ++i;
  }

  if (bad_exponent) {
    if (t.r4 != nullptr) *t.r4 = 0.0f;
    remember(value, numreadstate.kind, status_nofit);
    return status_nofit;
  }
  if (has_term) {
    if (!digit) {
      value = 0.0;
      point = false;
    }
    // The field ends after its terminator, searched from where the field
    // starts, so that a caller can walk from field to field.
    const auto from = static_cast<std::size_t>(start - 1);
    const auto p = from < static_cast<std::size_t>(last)
                       ? text.substr(0, static_cast<std::size_t>(last)).find(terminator, from)
                       : std::string_view::npos;
    end = p == std::string_view::npos ? last + 1 : static_cast<long long>(p) + 2;
  } else if (none || !digit) {
    remember(value, numreadstate.kind, status_none);
    return status_none;
  }

  position = static_cast<std::int32_t>(anywhere ? -end : end);
  if (digit && !hex) value = nearest_double(decimal, value);
  // A value beyond the range of a 64-bit real (too many digits, or an
  // exponent that overflows) fits no target.
  const std::int32_t smallest =
      std::isfinite(value) ? smallest_kind(value, point) : kindcode::r8 + 1;
  const std::int32_t status = store(t, value, smallest);
  remember(value, smallest, status);
  return status;
}

std::int32_t convert(double source, const Target& t) {
  const std::int32_t smallest = smallest_kind(source, false);
  const std::int32_t status = store(t, source, smallest);
  remember(source, smallest, status);
  return status;
}

}  // namespace

void GETR8N(std::string_view text, std::int32_t n, double& value, std::int32_t& position,
            std::int32_t& status) {
  Target t;
  t.kind = kindcode::r8;
  t.r8 = &value;
  status = read_number(text, n, position, t);
}

void GETR4N(std::string_view text, std::int32_t n, float& value, std::int32_t& position,
            std::int32_t& status) {
  Target t;
  t.kind = kindcode::r4;
  t.r4 = &value;
  status = read_number(text, n, position, t);
}

void GETI4N(std::string_view text, std::int32_t n, std::int32_t& value, std::int32_t& position,
            std::int32_t& status) {
  Target t;
  t.kind = kindcode::i4;
  t.i4 = &value;
  status = read_number(text, n, position, t);
}

void GETI2N(std::string_view text, std::int32_t n, std::int16_t& value, std::int32_t& position,
            std::int32_t& status) {
  Target t;
  t.kind = kindcode::i2;
  t.i2 = &value;
  status = read_number(text, n, position, t);
}

void GETI1N(std::string_view text, std::int32_t n, std::int8_t& value, std::int32_t /*unused*/,
            std::int32_t& position, std::int32_t& status) {
  Target t;
  t.kind = kindcode::i1;
  t.i1 = &value;
  status = read_number(text, n, position, t);
}

void GETR8NOPTS(std::string_view text, std::int32_t n, double& value, std::int32_t& position,
                std::int32_t options, std::string_view terminator, std::int32_t& status) {
  if ((options & 1) != 0) numchars[10] = ',';
  if ((options & 2) != 0 && !terminator.empty()) numreadstate.terminator = terminator[0];
  Target t;
  t.kind = kindcode::r8;
  t.r8 = &value;
  status = read_number(text, n, position, t);
}

void R8TOR8N(double source, double& target, std::int32_t& status) {
  Target t;
  t.kind = kindcode::r8;
  t.r8 = &target;
  status = convert(source, t);
}

void R8TOR4N(double source, float& target, std::int32_t& status) {
  Target t;
  t.kind = kindcode::r4;
  t.r4 = &target;
  status = convert(source, t);
}

void R8TOI4N(double source, std::int32_t& target, std::int32_t& status) {
  Target t;
  t.kind = kindcode::i4;
  t.i4 = &target;
  status = convert(source, t);
}

void R8TOI2N(double source, std::int16_t& target, std::int32_t& status) {
  Target t;
  t.kind = kindcode::i2;
  t.i2 = &target;
  status = convert(source, t);
}

void SMALLESTKIND(std::int32_t& kind) { kind = numreadstate.kind; }

void SETDECIMALPOINT(std::string_view text) { numchars[10] = text.empty() ? '.' : text[0]; }

void GETR8_1000S(std::string_view text, double& value, std::int32_t& iostat) {
  std::string copy;
  copy.reserve(text.size());
  for (char c : text) {
    if (c != c1thousands) copy.push_back(c);
  }
  copy.resize(text.size(), ' ');
  // One field 80 characters wide: what stands beyond column 80 is not read.
  iostat = plat::read_real_field(copy, 80, 0, value);
}

namespace {

template <class T, class Read>
std::int32_t vector_read(std::string_view text, std::int32_t n, std::string_view endmark,
                         std::span<T> values, std::int32_t maxcount, std::int32_t& position,
                         bool continuation, Read read) {
  if (n < 0) n = 0;
  if (static_cast<std::size_t>(n) > text.size()) n = static_cast<std::int32_t>(text.size());
  if (maxcount > static_cast<std::int32_t>(values.size())) {
    maxcount = static_cast<std::int32_t>(values.size());
  }
  const char mark = endmark.empty() ? '\0' : endmark.back();
  const bool anywhere = position < 0;
  auto pos = [&]() { return anywhere ? -position : position; };
  auto set_pos = [&](std::int32_t p) { position = anywhere ? -p : p; };
  auto at = [&](std::int32_t i) {
    return i >= 1 && i <= n ? text[static_cast<std::size_t>(i - 1)] : ' ';
  };
  if (pos() < 1) set_pos(1);

  std::int32_t count = 0;
  while (true) {
    while (pos() < n && at(pos()) == ' ') set_pos(pos() + 1);
    if (count >= maxcount) break;
    T v{};
    std::int32_t status = 0;
    read(text, n, v, position, status);
    if (status != 0) {
      const std::int32_t p = pos();
      if (continuation && at(p) == '&' && p + 2 <= n && at(p + 1) == '\r' && at(p + 2) == '\n') {
        set_pos(p + 3);
        continue;
      }
      break;
    }
    if (count == 0) {
      for (std::int32_t k = 0; k < maxcount; ++k) values[static_cast<std::size_t>(k)] = T{};
    }
    values[static_cast<std::size_t>(count)] = v;
    ++count;
    if (pos() >= n || at(pos()) == mark) break;
    set_pos(pos() + 1);
  }
  return count;
}

}  // namespace

std::int32_t I4VECTORREAD(std::string_view text, std::int32_t n, std::string_view endmark,
                          std::span<std::int32_t> values, std::int32_t maxcount,
                          std::int32_t& position) {
  return vector_read(text, n, endmark, values, maxcount, position, false,
                     [](std::string_view s, std::int32_t m, std::int32_t& v, std::int32_t& p,
                        std::int32_t& st) { GETI4N(s, m, v, p, st); });
}

std::int32_t R8VECTORREAD(std::string_view text, std::int32_t n, std::string_view endmark,
                          std::span<double> values, std::int32_t maxcount, std::int32_t& position) {
  return vector_read(text, n, endmark, values, maxcount, position, true,
                     [](std::string_view s, std::int32_t m, double& v, std::int32_t& p,
                        std::int32_t& st) { GETR8N(s, m, v, p, st); });
}

void reset_numread() {
  numchars.set("0123456789.+-");
  numreadstate = NumReadState{};
}

}  // namespace core
