#include "platform/clocks.h"

#include <time.h>

#include <mutex>

namespace plat {

namespace {

constexpr std::int64_t ns_per_ms = 1'000'000;

std::int64_t monotonic_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// The monotonic reading when the program started: taken while it loads,
// or at the first use when another part of the program asks earlier.
std::int64_t start_ns() {
  static const std::int64_t start = monotonic_ns();
  return start;
}
[[maybe_unused]] const std::int64_t start_taken = start_ns();

struct VirtualClock {
  bool on = false;
  std::int64_t utc_us = 0;
  int offset_minutes = 0;
  std::int64_t counter_ns = 0;  // the monotonic reading it stands for
};

std::mutex clock_mutex;
VirtualClock vclock;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Reading of the monotonic nanoseconds, real or virtual.
std::int64_t current_ns() {
  {
    std::lock_guard lock(clock_mutex);
    if (vclock.on) return vclock.counter_ns;
  }
  return monotonic_ns();
}

}  // namespace

std::int64_t days_from_civil(int year, int month, int day) {
  // Years counted from March, so that the leap day ends the year.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = floor_div(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;  // March = 0
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalDateTime local_from_utc_ms(std::int64_t utc_ms, int utc_offset_minutes) {
  const std::int64_t local_ms = utc_ms + std::int64_t{utc_offset_minutes} * 60'000;
  const std::int64_t days = floor_div(local_ms, 86'400'000);
  const std::int64_t ms_of_day = local_ms - days * 86'400'000;

  const std::int64_t z = days + 719468;
  const std::int64_t era = floor_div(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;

  LocalDateTime t;
  t.year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  t.month = static_cast<int>(m);
  t.day = static_cast<int>(d);
  t.utc_offset_minutes = utc_offset_minutes;
  t.hour = static_cast<int>(ms_of_day / 3'600'000);
  t.minute = static_cast<int>(ms_of_day / 60'000 % 60);
  t.second = static_cast<int>(ms_of_day / 1000 % 60);
  t.millisecond = static_cast<int>(ms_of_day % 1000);
  return t;
}

LocalDateTime local_now() {
  {
    std::lock_guard lock(clock_mutex);
    if (vclock.on) return local_from_utc_ms(floor_div(vclock.utc_us, 1000), vclock.offset_minutes);
  }
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm parts{};
  const time_t secs = ts.tv_sec;
  localtime_r(&secs, &parts);
  LocalDateTime t;
  t.year = parts.tm_year + 1900;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.utc_offset_minutes = static_cast<int>(parts.tm_gmtoff / 60);
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  // A leap second shows as second 60; keep the usual range.
  t.second = parts.tm_sec < 60 ? parts.tm_sec : 59;
  t.millisecond = static_cast<int>(ts.tv_nsec / ns_per_ms);
  return t;
}

std::int64_t counter_now() { return current_ns(); }

std::int64_t counter_frequency() { return 1'000'000'000; }

std::int64_t millis_since_start() { return (current_ns() - start_ns()) / ns_per_ms; }

double process_cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void set_virtual_clock(const LocalDateTime& t) {
  const std::int64_t utc_ms =
      days_from_civil(t.year, t.month, t.day) * 86'400'000 +
      ((std::int64_t{t.hour} * 60 + t.minute - t.utc_offset_minutes) * 60 + t.second) * 1000 +
      t.millisecond;
  const std::int64_t now_ns = monotonic_ns();
  std::lock_guard lock(clock_mutex);
  // The counter goes on from where the real one stands, or from where the
  // virtual one stands when it was on already: it never runs backwards.
  if (!vclock.on) vclock.counter_ns = now_ns;
  vclock.on = true;
  vclock.utc_us = utc_ms * 1000;
  vclock.offset_minutes = t.utc_offset_minutes;
}

void advance_virtual_clock(std::int64_t milliseconds) {
  advance_virtual_clock_us(milliseconds * 1000);
}

void advance_virtual_clock_us(std::int64_t microseconds) {
  std::lock_guard lock(clock_mutex);
  if (!vclock.on) return;
  vclock.utc_us += microseconds;
  vclock.counter_ns += microseconds * 1000;
}

void clear_virtual_clock() {
  std::lock_guard lock(clock_mutex);
  vclock = VirtualClock{};
}

bool virtual_clock_on() {
  std::lock_guard lock(clock_mutex);
  return vclock.on;
}

}  // namespace plat

namespace win {

DWORD GetTickCount() { return static_cast<DWORD>(plat::counter_now() / 1'000'000); }

}  // namespace win
