// Script alarms: up to eight alarms, numbered 2 to 9, each a time of day in
// seconds. An alarm that falls due, or the function key F2 to F9 of the same
// number, becomes the pending command `idecmd`; between two statements the
// executor then calls the script's subroutine "F2" to "F9".
//
// CHKALA is called by the IDE's one-second tick, by the input step and by
// the waiting ALARM built-in; CLRALA clears the alarms and resets the run
// words of the script's subroutines.
#pragma once

#include <cstdint>

#include "platform/indexed.h"

namespace exec {

// Time of an alarm that is not armed.
inline constexpr float alarmunset = 1.0e30F;

// Alarm times in seconds of the day, slots 2 to 9 (slot 1 is never used).
inline plat::Store1<float> alarmtime(9, alarmunset);
// Slot of the earliest armed alarm: 2 to 9 a valid cache; below 2 the next
// check searches again (0 after an alarm was armed or taken up; -999 makes
// the next input step go through the check).
inline std::int32_t alarmnext = 2;
// The time of day in seconds with milliseconds that alarm times are
// measured on, refreshed by the one-second tick and by ALARM.
inline float daysecs = 0.0F;
// The pending command that the firing of an alarm displaced, -1 when none.
inline std::int32_t alarmsavedcmd = -1;
// Value that CLRALA writes into the subroutines' run words: 0xFF in the
// high byte, the low byte of `xeqmode` without bit 0x4 at the last clearing.
inline std::int16_t alarmrunmode = 0;

// Fires a due alarm or a pressed function key F2 to F9 into `idecmd`, when
// `idecmd` lets it through: -1 lets every alarm through, -k only alarms
// above k, -6 and below none. The alarm's previous command goes to
// `alarmsavedcmd` and its slot is unset. While `idecmd` is positive the
// scan-code byte of the key record is set to 1. The argument is not read.
void CHKALA(const std::int32_t& ignored);

// mode bit 1: clear every alarm (and the pending command unless it is -14),
// reset the function-key buttons and capture `alarmrunmode`; bit 2: write
// `alarmrunmode` into the third 16-bit part of every subroutine's cell.
void CLRALA(const std::int32_t& mode);

// Start values of the alarm words.
void reset_alarms();

}  // namespace exec
