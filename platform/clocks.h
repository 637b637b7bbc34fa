// Clocks of the program: the local date and time, a high-resolution
// counter, milliseconds since start, a tick count and the CPU time used.
//
// Tests can switch on a virtual clock: while it is on, every reading below
// except the CPU time comes from it, and it moves only when advanced.
#pragma once

#include <array>
#include <cstdint>

#include "platform/win_types.h"

namespace plat {

// The local date and time as the system's date-and-time query gives it.
struct LocalDateTime {
  int year = 1970;
  int month = 1;               // 1-12
  int day = 1;                 // 1-31
  int utc_offset_minutes = 0;  // local time minus UTC
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  // The eight clock values in the order year, month, day, offset from UTC
  // in minutes, hour, minute, second, millisecond.
  std::array<int, 8> values() const {
    return {year, month, day, utc_offset_minutes, hour, minute, second, millisecond};
  }
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

LocalDateTime local_now();

// The high-resolution counter and its counts per second.
std::int64_t counter_now();
std::int64_t counter_frequency();

// Milliseconds since the program started.
std::int64_t millis_since_start();

// CPU time the process has used, in seconds (always real).
double process_cpu_seconds();

// Virtual clock: set switches it on at the given local time (its offset
// counts), advance moves it forward, clear switches it off.
void set_virtual_clock(const LocalDateTime& t);
void advance_virtual_clock(std::int64_t milliseconds);
void advance_virtual_clock_us(std::int64_t microseconds);
void clear_virtual_clock();
bool virtual_clock_on();

// Calendar arithmetic (proleptic Gregorian): days since 1970-01-01 of a
// date, and the local date and time of milliseconds since 1970-01-01 UTC.
std::int64_t days_from_civil(int year, int month, int day);
LocalDateTime local_from_utc_ms(std::int64_t utc_ms, int utc_offset_minutes);

}  // namespace plat

namespace win {

// Milliseconds of the monotonic clock, wrapping at 2^32.
DWORD GetTickCount();

}  // namespace win
