// Dates and times: the time of day in seconds, a compact clock stamp, the
// spreadsheet day number of a set of clock values, and the timecode, a
// compact 32-bit real date-time value used for date axes.
//
// A timecode tells two ranges apart by its sign:
// - zero or positive: minutes since 1 January 00:00 of a 365-day year
//   without a year number, (days before the month + day - 1) x 1440 +
//   hour x 60 + minute; 525599 is 31 December 23:59;
// - negative: a date with a year, (year - 2700) x 365 + days before the
//   month + day; every year counts 365 days.
// Leap days are not handled anywhere in the timecode.
//
// Output texts are std::span<char> whose size is their length; input texts
// are std::string_view holding exactly the characters to use.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace core {

// Days before month m in a year without leap days, for m = 0 to 13; entry 0
// holds 0 like entry 1, entry 13 the length of the year.
inline constexpr std::array<int, 14> daysbeforemonth = {0,   0,   31,  59,  90,  120, 151,
                                                        181, 212, 243, 273, 304, 334, 365};

// The last minute of the undated range, 31 December 23:59.
inline constexpr int timecode_lastminute = 525599;
// Day count of year 2700 (2700 x 365): a dated code is the day count minus it.
inline constexpr int timecode_yearbase = 985500;

// The local time of day in seconds with milliseconds.
void SECONDSOFDAY(float& t);

// The 14-character clock stamp YYMMDDhhmmssHH (two-digit year, month, day,
// hour, minute, second, hundredths) of the local time, blank padded or cut
// to the text.
void YMDHMSH(std::span<char> text);

// Day numbers: Julian day numbers of the proleptic Gregorian calendar, which
// has no year 0: the year before 1 is -1 (a year 0 is taken as 1). 1 January
// 1 is 1721426, 15 October 1582 2299161, 1 January 2000 2451545. The
// spreadsheet day number counts from 30 December 1899, day number 2415019.
inline constexpr std::int64_t spreadsheet_epoch = 2415019;

// The day number of a date. Months outside 1 to 12 carry into the year, days
// outside the month into the months around it.
std::int64_t day_number(std::int64_t year, std::int64_t month, std::int64_t day);
struct CalendarDate {
  std::int64_t year = 0;
  std::int64_t month = 0;
  std::int64_t day = 0;
};
// The date of a day number.
CalendarDate date_of_day_number(std::int64_t n);

// The calendar on 32-bit words: mode 3 gives the day number of day, month
// and year, mode 4 day, month and year of the day number (a day number out
// of the 32-bit range is cut to it); other modes do nothing.
void CALENDAR(std::int32_t mode, std::int32_t& day, std::int32_t& month, std::int32_t& year,
              std::int32_t& daynumber);

// Spreadsheet day number of a date, plus the time of day as the fraction of
// a day: the one conversion behind TIME's Excel values and the file times.
// Time parts outside their ranges carry into the day.
double excel_day_number(int year, int month, int day, double hour, double minute, double second,
                        double millisecond);

// The day number of eight clock values: year, month, day, offset from UTC in
// minutes (not used), hour, minute, second, millisecond.
double F90TIMETOEXCEL(std::span<const std::int32_t, 8> values);

// Timecode of a text of four two-character numbers: month, day, hour,
// minute when the first is at most 12, else a four-digit year, month and
// day. 0.0 when the text does not read so or its month is outside 0 to 13.
void TIMECODEFROMTEXT(float& code, std::string_view text);

// Timecode of a number day.month (7.01 is 7 January 00:00) or, when the two
// digits after the point exceed 12, month.year with the year 1900 + those
// digits and day 1 (3.85 is 1 March 1985). 0.0 when the month is outside 0
// to 13 or the number is not finite.
void TIMECODEFROMNUMBER(float x, float& code);

// The number of a timecode: day + month x 0.01 for an undated code, the
// two-digit year for a dated one (0.0 when its year cannot be had).
void TIMECODETONUMBER(float code, float& x);

// Label text of a timecode: MMDDhhmm for an undated code, CCYYMMDD for a
// dated one ("********" when a field does not fit two digits), blank padded
// or cut to the text (a full label needs 8 characters).
void DATETIMELABEL(float code, std::span<char> text);

}  // namespace core
