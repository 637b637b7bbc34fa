// The TIME built-in: the clock, and conversions between the fields of a
// date and time, spreadsheet and Gregorian day numbers, the number and the
// text YYYYMMDD and the weekday; its CPU option is the stopwatch
// (io/stopwatch.h). Day numbers and the calendar are core/datetime.h's.
//
// Options written after TO are inputs, those before it outputs; they are
// treated from the last written to the first, so one call converts, for
// example, a spreadsheet day number into year, month and day. Without TO
// every option is an output of the clock's present reading.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/shoplists.h"
#include "platform/fixed_text.h"

namespace io {

// Keyword numbers of the TIME list.
namespace timekw {
using core::optkwnr;
using core::OptStmt;
inline constexpr int to = optkwnr(OptStmt::TIME, "TO");
inline constexpr int msec = optkwnr(OptStmt::TIME, "MSec");
inline constexpr int sec = optkwnr(OptStmt::TIME, "Sec");
inline constexpr int minute = optkwnr(OptStmt::TIME, "MInute");
inline constexpr int hour = optkwnr(OptStmt::TIME, "Hour");
inline constexpr int day = optkwnr(OptStmt::TIME, "Day");
inline constexpr int month = optkwnr(OptStmt::TIME, "MOnth");
inline constexpr int year = optkwnr(OptStmt::TIME, "Year");
inline constexpr int yyyymmdd = optkwnr(OptStmt::TIME, "YYYYMMDD");
inline constexpr int excel = optkwnr(OptStmt::TIME, "Excel");
inline constexpr int gregorian = optkwnr(OptStmt::TIME, "Gregorian");
inline constexpr int weekday = optkwnr(OptStmt::TIME, "WeekDay");
inline constexpr int cpu = optkwnr(OptStmt::TIME, "CPU");
}  // namespace timekw

// The shared work text, and the date-time text "ccyymmddhhmmss.sss" of the
// last clock reading (or, after a WeekDay output with flag bit 0, the
// day's name).
inline plat::FixedText<256> textscratch;
inline plat::FixedText<18> datetimetext;
// While the work text begins with this prefix, a YYYYMMDD text is read from
// the rest of it and written into it instead of a variable.
inline constexpr std::string_view scratchprefix = "get DTc18 ";

// One option of a call: its keyword number and its operand, a value cell
// of `z` (a symbol or a temporary; 0 none) or a number of the caller's own.
struct TimeOption {
  std::int32_t kw = 0;
  std::int32_t operand = 0;
  double* cell = nullptr;
};

// Carries out the options, given in the order written. flags bit 0: the
// WeekDay name goes into `datetimetext` instead of an operand. result, when
// given, receives the clock's time of day in seconds. A day number or
// YYYYMMDD number out of range stops the run with "timeValue".
void TIMEDATE(std::span<const TimeOption> written, std::int32_t flags, double* result);

// TIME as the option dispatch calls it, on the options collected by
// position.
void TIMEBUILTIN();

void reset_timedate();

}  // namespace io
