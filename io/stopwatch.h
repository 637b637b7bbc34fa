// The stopwatch: microseconds on the high-resolution counter since its
// last reset, with the number of readings. A reading makes a summary line,
// "CPU <label> 1'500 microsec" and from the second reading on
// "  (#<n>=<since the last reading>), avg=<mean per reading>", which goes to
// the status bar while the run timer display (bit 0 of
// exec::realtimeflags) is on, else to the text variable given.
#pragma once

#include <cstdint>

namespace io {

// Counts per second of the counter; read at the first use while 0.
inline std::int64_t pcfrequency = 0;

// mode 0 resets, any other mode takes a reading. operand: a script symbol
// or 0. A text variable other than the special names gives the label (its
// text), switches the display off, receives the line and makes the call a
// reading whatever the mode.
void REALTIME(std::int32_t mode, std::int32_t operand);

void reset_stopwatch();

}  // namespace io
