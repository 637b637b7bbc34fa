#include "io/timedate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/optdispatch.h"
#include "io/stopwatch.h"
#include "platform/clocks.h"

namespace io {

namespace {

// The largest day number that an Excel or Gregorian input may have, and
// the largest YYYYMMDD number.
constexpr double maxdaynumber = 2147483647.0;
constexpr double maxyyyymmdd = 99991231.0;

constexpr std::array<std::string_view, 7> daynames = {
    "Monday   ", "Tuesday  ", "Wednesday", "Thursday ", "Friday   ", "Saturday ", "Sunday   "};

struct Fields {
  double year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

// The state of one call.
struct Call {
  plat::LocalDateTime now;
  double nowseconds = 0;  // the clock's time of day in seconds
  Fields f;
  std::int32_t flags = 0;
  bool output = false;  // the options are outputs now
  bool current = true;  // no input has been read: the fields are the clock's
  bool renorm = false;  // carry seconds, minutes and hours over
  bool ended = false;
};

Fields clockfields(const plat::LocalDateTime& t) {
  return {static_cast<double>(t.year),       static_cast<double>(t.month),
          static_cast<double>(t.day),        static_cast<double>(t.hour),
          static_cast<double>(t.minute),     static_cast<double>(t.second),
          static_cast<double>(t.millisecond)};
}

// Writes v with leading zeros into width characters, or asterisks when it
// is not a whole number from 0 that fits.
void putdigits(char* p, int width, double v) {
  double limit = 1;
  for (int i = 0; i < width; ++i) limit *= 10;
  if (!(v >= 0 && v < limit)) {
    std::fill_n(p, width, '*');
    return;
  }
  auto n = static_cast<long long>(v);
  for (int i = width - 1; i >= 0; --i, n /= 10) p[i] = static_cast<char>('0' + n % 10);
}

// The 18-character text "ccyymmddhhmmss.sss" of the fields, rounded.
std::array<char, 18> datetimeof(const Fields& f) {
  std::array<char, 18> t{};
  putdigits(&t[0], 4, std::round(f.year));
  putdigits(&t[4], 2, std::round(f.month));
  putdigits(&t[6], 2, std::round(f.day));
  putdigits(&t[8], 2, std::round(f.hour));
  putdigits(&t[10], 2, std::round(f.minute));
  putdigits(&t[12], 2, std::round(f.second));
  t[14] = '.';
  putdigits(&t[15], 3, std::round(f.msec));
  return t;
}

bool hasvalue(const TimeOption& o) {
  return o.cell != nullptr || (o.operand > 0 && core::z.valid(o.operand));
}
double valueof(const TimeOption& o) { return o.cell != nullptr ? *o.cell : core::z(o.operand); }
// Stores into an operand that can take a value (not a constant, an array
// or a text).
void store(const TimeOption& o, double v) {
  if (o.cell != nullptr) {
    *o.cell = v;
  } else if (o.operand > 0) {
    core::SETZTOR8(o.operand, v);
  }
}
// The ISCHAR kind of the operand: 0x40 a character variable, 0x41 a text
// constant, 0x48 a string temporary, 0 no text.
std::int32_t textkind(const TimeOption& o) {
  if (o.cell != nullptr || o.operand < 1) return 0;
  std::int32_t first = 0, last = 0;
  return core::ISCHAR(o.operand, first, last);
}

bool scratchprotocol() { return textscratch.view().starts_with(scratchprefix); }

// A value out of range: the run stops with the message, the value as its
// detail.
void timevalue(Call& c, double v) {
  std::array<char, 23> number{};
  core::WTSID8TRIMMED(number, v, 0);
  std::string_view shown(number.data(), number.size());
  shown = shown.substr(0, shown.find_last_not_of(' ') + 1);
  core::failedline.set(std::string("TIME value ").append(shown));
  core::msgkey.set(core::MSGKEY("timeValue"));
  core::xeqstop = core::stops::error;
  c.ended = true;
}

// The time of day from the fraction of a day number or YYYYMMDD number.
void timeofday(Fields& f, double v) {
  double s = (v - std::trunc(v)) * 86400.0;
  double ms = std::round((s - std::trunc(s)) * 1000.0);
  if (std::fabs(ms) == 1000.0) {
    s = std::round(s);
    ms = 0;
  }
  const double whole = std::trunc(s);
  f.msec = ms;
  f.second = std::fmod(whole, 60.0);
  const double m = (whole - f.second) / 60.0;
  f.minute = std::fmod(m, 60.0);
  f.hour = (m - f.minute) / 60.0;
}

void renormalise(Fields& f) {
  const double t = (((f.day * 24 + f.hour) * 60 + f.minute) * 60 + f.second) * 1000 + f.msec;
  f.second = std::trunc(t / 1000);
  f.msec = t - 1000 * f.second;
  f.minute = std::trunc(f.second / 60);
  f.second -= 60 * f.minute;
  f.hour = std::trunc(f.minute / 60);
  f.minute -= 60 * f.hour;
  f.day = std::trunc(f.hour / 24);
  f.hour -= 24 * f.day;
}

void setdate(Fields& f, std::int64_t daynumber) {
  const core::CalendarDate d = core::date_of_day_number(daynumber);
  f.year = static_cast<double>(d.year);
  f.month = static_cast<double>(d.month);
  f.day = static_cast<double>(d.day);
}

// The day number of the rounded day, month and year; false (after the
// message) when one of them is beyond the 32-bit range.
bool daynumber(Call& c, std::int64_t& n) {
  for (double v : {c.f.year, c.f.month, c.f.day}) {
    if (!(std::fabs(std::round(v)) <= maxdaynumber)) {
      timevalue(c, v);
      return false;
    }
  }
  n = core::day_number(static_cast<std::int64_t>(std::round(c.f.year)),
                       static_cast<std::int64_t>(std::round(c.f.month)),
                       static_cast<std::int64_t>(std::round(c.f.day)));
  return true;
}

// An Excel or Gregorian input: the whole days are a day number (offset
// from the Gregorian count), the fraction the time of day.
void daynumberin(Call& c, double v, std::int64_t offset) {
  if (!(std::fabs(v) <= maxdaynumber)) {
    timevalue(c, v);
    return;
  }
  setdate(c.f, static_cast<std::int64_t>(std::trunc(v)) + offset);
  timeofday(c.f, v);
}

// The first run of digits in columns from..to (1-based) of the text, and
// the column it starts in; false when there is none.
bool digitsin(std::string_view t, std::size_t from, std::size_t to, double& v, std::size_t& at) {
  std::size_t i = from - 1;
  while (i < to && (t[i] < '0' || t[i] > '9')) ++i;
  if (i >= to) return false;
  at = i + 1;
  v = 0;
  for (; i < to && t[i] >= '0' && t[i] <= '9'; ++i) v = v * 10 + (t[i] - '0');
  return true;
}

void readdatetime(Fields& f, std::string_view text) {
  std::array<char, 18> t;
  t.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), t.size()), t.begin());
  const std::string_view s(t.data(), t.size());
  std::size_t at = 0;
  if (!digitsin(s, 1, 4, f.year, at)) {
    f.year = 1899;
  } else if (at == 3) {
    f.year += 2000;
  }
  if (!digitsin(s, 5, 6, f.month, at)) f.month = 12;
  if (!digitsin(s, 7, 8, f.day, at)) f.day = 30;
  if (!digitsin(s, 9, 10, f.hour, at)) f.hour = 0;
  if (!digitsin(s, 11, 12, f.minute, at)) f.minute = 0;
  if (!digitsin(s, 13, 14, f.second, at)) f.second = 0;
  if (!digitsin(s, 16, 18, f.msec, at)) f.msec = 0;
}

void yyyymmdd(Call& c, const TimeOption& o) {
  const std::int32_t kind = textkind(o);
  const bool protocol = scratchprotocol();
  if (c.output) {
    if (kind == 0x40 || protocol) {
      const std::array<char, 18> t = datetimeof(c.current ? clockfields(c.now) : c.f);
      const std::string_view text(t.data(), t.size());
      textscratch.set(text);
      if (!protocol) core::STRITOC1NAMEN(o.operand, text, 18);
    } else {
      const Fields& f = c.f;
      store(o, f.year * 10000 + f.month * 100 + f.day + f.hour / 24 + f.minute / 1440 +
                   (f.second + f.msec / 1000) / 86400);
    }
    return;
  }
  if (protocol || kind > 0) {
    if (protocol) {
      readdatetime(c.f, textscratch.view().substr(scratchprefix.size()));
    } else {
      std::array<char, 18> t{};
      std::int32_t k = 0;
      core::C1NAMENTOSTRI(o.operand, t, k);
      readdatetime(c.f, std::string_view(t.data(), t.size()));
    }
    c.current = false;
    return;
  }
  if (!hasvalue(o)) return;
  const double v = valueof(o);
  if (!(std::fabs(v) <= maxyyyymmdd)) {
    timevalue(c, v);
    return;
  }
  const auto n = static_cast<std::int64_t>(std::trunc(v));
  c.f.day = static_cast<double>(n % 100);
  c.f.month = static_cast<double>((n / 100) % 100);
  c.f.year = static_cast<double>(n / 10000);
  timeofday(c.f, v);
  c.current = false;
}

void weekday(Call& c, const TimeOption& o) {
  if (!c.output) return;
  std::int64_t n = 0;
  if (!daynumber(c, n)) return;
  std::int64_t w = (n - 2299163) % 7;
  if (w <= 0) w += 7;
  const std::string_view name = daynames[static_cast<std::size_t>(w - 1)];
  if (c.flags & 1) {
    datetimetext.set(name);
  } else if (textkind(o) == 0x40) {
    core::STRITOC1NAMEN(o.operand, name, static_cast<std::int32_t>(name.size()));
  } else {
    store(o, static_cast<double>(w));
  }
}

// Excel (offset 2415019) and Gregorian (offset 0) day numbers.
void daynumberoption(Call& c, const TimeOption& o, std::int64_t offset) {
  if (!c.output) {
    if (!hasvalue(o)) return;
    c.current = false;
    daynumberin(c, valueof(o), offset);
    return;
  }
  std::int64_t n = 0;
  if (!daynumber(c, n)) return;
  if (offset != 0 && !c.current) {
    store(o, core::excel_day_number(static_cast<int>(std::round(c.f.year)),
                                    static_cast<int>(std::round(c.f.month)),
                                    static_cast<int>(std::round(c.f.day)), c.f.hour, c.f.minute,
                                    c.f.second, c.f.msec));
    return;
  }
  store(o, static_cast<double>(n - offset) + (c.current ? c.nowseconds / 86400.0 : 0.0));
}

void field(Call& c, const TimeOption& o, double Fields::*member, double limit) {
  if (c.output) {
    store(o, c.f.*member);
    return;
  }
  if (!hasvalue(o)) return;
  double v = valueof(o);
  if (member == &Fields::msec) v = std::round(v);
  c.f.*member = v;
  c.current = false;
  if (v > limit) c.renorm = true;
}

void cpu(Call& c, const TimeOption& o) {
  std::int32_t mode = 1;
  if (hasvalue(o)) {
    const double v = std::round(valueof(o));
    if (std::isfinite(v))
      mode = static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
  }
  REALTIME(mode, o.cell != nullptr ? 0 : o.operand);
  c.ended = true;
}

void option(Call& c, const TimeOption& o) {
  namespace k = timekw;
  constexpr double none = std::numeric_limits<double>::infinity();
  switch (o.kw) {
    case k::to:
      c.output = true;
      if (c.current) c.f = clockfields(c.now);
      break;
    case k::msec:
      field(c, o, &Fields::msec, 999);
      break;
    case k::sec:
      field(c, o, &Fields::second, 59);
      break;
    case k::minute:
      field(c, o, &Fields::minute, 59);
      break;
    case k::hour:
      field(c, o, &Fields::hour, 23);
      break;
    case k::day:
      field(c, o, &Fields::day, 31);
      break;
    case k::month:
      field(c, o, &Fields::month, none);
      break;
    case k::year:
      field(c, o, &Fields::year, none);
      break;
    case k::yyyymmdd:
      yyyymmdd(c, o);
      break;
    case k::excel:
      daynumberoption(c, o, core::spreadsheet_epoch);
      break;
    case k::gregorian:
      daynumberoption(c, o, 0);
      break;
    case k::weekday:
      weekday(c, o);
      break;
    case k::cpu:
      cpu(c, o);
      break;
    default:
      break;
  }
}

}  // namespace

void TIMEDATE(std::span<const TimeOption> written, std::int32_t flags, double* result) {
  Call c;
  c.flags = flags;
  c.now = plat::local_now();
  c.nowseconds =
      c.now.hour * 3600.0 + c.now.minute * 60.0 + c.now.second + c.now.millisecond * 0.001;
  if (result != nullptr) *result = c.nowseconds;
  const std::array<char, 18> t = datetimeof(clockfields(c.now));
  datetimetext.set(std::string_view(t.data(), t.size()));

  c.output = std::none_of(written.begin(), written.end(),
                          [](const TimeOption& o) { return o.kw == timekw::to; });
  if (c.output) c.f = clockfields(c.now);
  for (auto o = written.rbegin(); o != written.rend() && !c.ended; ++o) {
    option(c, *o);
    if (c.renorm) renormalise(c.f);
  }
}

void TIMEBUILTIN() {
  // The options collected by position stand last written first.
  std::vector<TimeOption> written;
  for (std::int32_t k = exec::noptions; k >= 1; --k) {
    const std::int32_t v = exec::optval(k);
    written.push_back({exec::optkw(k), v > 0 ? v : 0, nullptr});
  }
  TIMEDATE(written, 0, core::z.valid(core::iresult) ? &core::z(core::iresult) : nullptr);
}

void reset_timedate() {
  textscratch.blank();
  datetimetext.blank();
}

}  // namespace io
