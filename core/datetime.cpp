#include "core/datetime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/chars.h"
#include "platform/clocks.h"

namespace core {

namespace {

// Rounds half away from zero; v must lie well inside the range of long long.
long long round_half_away(double v) {
  const double t = std::trunc(v);
  long long r = static_cast<long long>(t);
  if (v - t >= 0.5) ++r;
  if (t - v >= 0.5) --r;
  return r;
}

long long floor_div(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// The month factor of the calendar, 30.6001 as a single-precision number.
constexpr double calendar_month_factor = 30.600099563598633;
// Day number of 1 March 1600.
constexpr std::int64_t march1600 = 2305508;

void put2(char* p, int v) {
  p[0] = static_cast<char>('0' + v / 10);
  p[1] = static_cast<char>('0' + v % 10);
}

bool month_in_table(long long m) { return m >= 0 && m <= 13; }

// Reads a two-character integer field: blanks are ignored (an all-blank
// field is 0), a sign may stand before the digits.
bool read_field2(std::string_view field, int& value) {
  int v = 0;
  int sign = 1;
  bool signed_field = false;
  bool digits = false;
  for (char c : field) {
    if (c == ' ') continue;
    if ((c == '+' || c == '-') && !digits && !signed_field) {
      signed_field = true;
      if (c == '-') sign = -1;
    } else if (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
      digits = true;
    } else {
      return false;
    }
  }
  if (signed_field && !digits) return false;
  value = sign * v;
  return true;
}

// A timecode taken apart. For an undated code year is not used; for a dated
// one hour and minute are 0. ok is false when the dated year cannot be had.
struct TimecodeParts {
  bool dated = false;
  bool ok = true;
  int year = 0;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
};

// The month of day j of an undated code (counted from 0): m - 1 for the
// first m from 2 to 13 with j below the days before month m.
int month_of_undated(int j) {
  int m = 2;
  while (m < 13 && j >= daysbeforemonth[static_cast<std::size_t>(m)]) ++m;
  return m - 1;
}

// The month of day j of a dated code (counted from 1): m - 1 for the first
// m from 2 to 13 with j not above the days before month m.
int month_of_dated(int j) {
  int m = 2;
  while (m < 13 && j > daysbeforemonth[static_cast<std::size_t>(m)]) ++m;
  return m - 1;
}

TimecodeParts decode(float code) {
  TimecodeParts p;
  if (code >= 0.0f) {
    if (code > static_cast<float>(timecode_lastminute)) code = timecode_lastminute;
    float t = (code + 0.49f) / 1440.0f;
    const int j = static_cast<int>(std::fmod(t, 365.0f));
    t = (t - static_cast<float>(j)) * 24.0f;
    p.hour = static_cast<int>(std::fmod(t, 24.0f));
    p.minute = static_cast<int>((t - static_cast<float>(p.hour)) * 60.0f);
    p.month = month_of_undated(j);
    p.day = j - daysbeforemonth[static_cast<std::size_t>(p.month)] + 1;
    return p;
  }
  p.dated = true;
  const float t = (code + static_cast<float>(timecode_yearbase)) / 365.0f;
  // NaN and years far outside any label go no further.
  if (!(std::fabs(t) < 1.0e7f)) {
    p.ok = false;
    return p;
  }
  p.year = static_cast<int>(t);
  int j = static_cast<int>(round_half_away((t - static_cast<float>(p.year)) * 365.0f));
  // A day count that is a whole number of years is the last day of the
  // year before, not day 0 of January.
  if (j == 0) {
    --p.year;
    j = 365;
  }
  p.month = month_of_dated(j);
  p.day = j - daysbeforemonth[static_cast<std::size_t>(p.month)];
  return p;
}

bool fits2(int v) { return v >= 0 && v <= 99; }

}  // namespace

void SECONDSOFDAY(float& t) {
  const plat::LocalDateTime now = plat::local_now();
  t = static_cast<float>((now.hour * 60 + now.minute) * 60 + now.second) +
      static_cast<float>(now.millisecond) / 1000.0f;
}

void YMDHMSH(std::span<char> text) {
  const plat::LocalDateTime now = plat::local_now();
  std::array<char, 14> stamp{};
  put2(&stamp[0], ((now.year % 100) + 100) % 100);
  put2(&stamp[2], now.month);
  put2(&stamp[4], now.day);
  put2(&stamp[6], now.hour);
  put2(&stamp[8], now.minute);
  put2(&stamp[10], now.second);
  put2(&stamp[12], now.millisecond / 10);
  STRITOC1(std::string_view(stamp.data(), stamp.size()), text);
}

std::int64_t day_number(std::int64_t year, std::int64_t month, std::int64_t day) {
  // Years counted without a gap (0 is the year before 1), months carried
  // into them, then March taken as the first month so that the leap day
  // ends the year.
  const std::int64_t carry = floor_div(month - 1, 12);
  std::int64_t y = (year <= 0 ? year + 1 : year) + carry;
  std::int64_t m = month - 12 * carry;
  if (m <= 2) {
    y -= 1;
    m += 13;
  } else {
    m += 1;
  }
  const std::int64_t c = floor_div(y, 400) * 400;
  const std::int64_t r = y - c;
  return day + static_cast<std::int64_t>(calendar_month_factor * static_cast<double>(m)) + 365 * r +
         r / 4 - r / 100 + march1600 + 146097 * (c - 1600) / 400 - 123;
}

CalendarDate date_of_day_number(std::int64_t n) {
  const std::int64_t q = floor_div(n - march1600, 146097);
  std::int64_t r = n - march1600 - 146097 * q;
  const std::int64_t centuries = std::min<std::int64_t>(r / 36524, 3);
  r -= 36524 * centuries;
  const std::int64_t fours = r / 1461;
  r -= 1461 * fours;
  const std::int64_t years = std::min<std::int64_t>(r / 365, 3);
  r -= 365 * years;
  CalendarDate d;
  d.year = 1600 + 400 * q + 100 * centuries + 4 * fours + years;
  const std::int64_t k = (10 * r + 310) / 306 + 3;
  d.day = r - static_cast<std::int64_t>(calendar_month_factor * static_cast<double>(k)) + 123;
  if (k <= 13) {
    d.month = k - 1;
  } else {
    d.month = k - 13;
    d.year += 1;
  }
  if (d.year <= 0) d.year -= 1;
  return d;
}

void CALENDAR(std::int32_t mode, std::int32_t& day, std::int32_t& month, std::int32_t& year,
              std::int32_t& daynumber) {
  auto cut = [](std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  };
  if (mode == 3) {
    daynumber = cut(day_number(year, month, day));
  } else if (mode == 4) {
    const CalendarDate d = date_of_day_number(daynumber);
    day = cut(d.day);
    month = cut(d.month);
    year = cut(d.year);
  }
}

double excel_day_number(int year, int month, int day, double hour, double minute, double second,
                        double millisecond) {
  return static_cast<double>(day_number(year, month, day) - spreadsheet_epoch) +
         (((millisecond / 1000.0 + second) / 60.0 + minute) / 60.0 + hour) / 24.0;
}

double F90TIMETOEXCEL(std::span<const std::int32_t, 8> values) {
  return excel_day_number(values[0], values[1], values[2], values[4], values[5], values[6],
                          values[7]);
}

void TIMECODEFROMTEXT(float& code, std::string_view text) {
  std::array<char, 8> padded;
  padded.fill(' ');
  for (std::size_t i = 0; i < padded.size() && i < text.size(); ++i) padded[i] = text[i];
  std::array<int, 4> f{};
  for (std::size_t k = 0; k < 4; ++k) {
    if (!read_field2(std::string_view(&padded[2 * k], 2), f[k])) {
      code = 0.0f;
      return;
    }
  }
  const int a = f[0], b = f[1], c = f[2], d = f[3];
  if (a <= 12) {
    if (!month_in_table(a)) {
      code = 0.0f;
      return;
    }
    code = static_cast<float>((daysbeforemonth[static_cast<std::size_t>(a)] + b - 1) * 1440 +
                              c * 60 + d);
    return;
  }
  if (!month_in_table(c)) {
    code = 0.0f;
    return;
  }
  code = static_cast<float>(daysbeforemonth[static_cast<std::size_t>(c)] + (a * 100 + b) * 365 + d -
                            timecode_yearbase);
}

void TIMECODEFROMNUMBER(float x, float& code) {
  if (!(std::fabs(x) < 2.0e9f)) {
    code = 0.0f;
    return;
  }
  const long long a = static_cast<long long>(x);
  const long long b = round_half_away((x - static_cast<float>(a)) * 100.0f);
  if (b <= 12) {
    if (!month_in_table(b)) {
      code = 0.0f;
      return;
    }
    code = static_cast<float>((daysbeforemonth[static_cast<std::size_t>(b)] + a - 1) * 1440);
    return;
  }
  if (!month_in_table(a)) {
    code = 0.0f;
    return;
  }
  code = static_cast<float>(daysbeforemonth[static_cast<std::size_t>(a)] + (1900 + b) * 365 + 1 -
                            timecode_yearbase);
}

void TIMECODETONUMBER(float code, float& x) {
  const TimecodeParts p = decode(code);
  if (!p.dated) {
    x = static_cast<float>(p.day) + static_cast<float>(p.month) * 0.01f;
    return;
  }
  x = p.ok ? static_cast<float>(p.year % 100) : 0.0f;
}

void DATETIMELABEL(float code, std::span<char> text) {
  const TimecodeParts p = decode(code);
  std::array<char, 8> label;
  if (!p.dated) {
    put2(&label[0], p.month);
    put2(&label[2], p.day);
    put2(&label[4], p.hour);
    put2(&label[6], p.minute);
  } else if (p.ok && fits2(p.year / 100) && fits2(p.year % 100) && fits2(p.month) && fits2(p.day)) {
    put2(&label[0], p.year / 100);
    put2(&label[2], p.year % 100);
    put2(&label[4], p.month);
    put2(&label[6], p.day);
  } else {
    label.fill('*');
  }
  STRITOC1(std::string_view(label.data(), label.size()), text);
}

}  // namespace core
