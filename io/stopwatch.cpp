#include "io/stopwatch.h"

#include <array>
#include <cstdint>
#include <string>

#include "core/kompil.h"
#include "core/numwrite.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "core/winapi_byname.h"
#include "exec/optdispatch.h"
#include "exec/statusbar.h"

namespace io {

namespace {

std::int64_t startcount = 0;  // 0: not started
std::int64_t elapsed = 0;     // microseconds at the last reading
std::int32_t readings = 0;    // since the last reset

std::int64_t callcounter(std::string_view procedure) {
  std::int64_t v = 0;
  core::WinApiArgs a{};
  a[0] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(&v));
  core::CALLWINAPI(procedure, a, "K");
  return v;
}

// Counts in microseconds, rounded half away from zero; whole seconds and
// the rest apart, so that hours of counts stay within 64 bits.
std::int64_t microseconds(std::int64_t counts, std::int64_t frequency) {
  const std::int64_t whole = counts / frequency;
  const std::int64_t rest = counts % frequency;
  const std::int64_t half = rest >= 0 ? frequency : -frequency;
  return whole * 1'000'000 + (2 * rest * 1'000'000 + half) / (2 * frequency);
}

std::string thousands(std::int64_t v) {
  std::array<char, 40> t{};
  t.fill(' ');
  const std::string digits = std::to_string(v);
  std::copy(digits.begin(), digits.end(), t.begin());
  std::int32_t used = 0;
  core::INSERT1000KOMMAS(t, used);
  return std::string(t.data(), static_cast<std::size_t>(used));
}

bool textvariable(std::int32_t k) {
  std::int32_t first = 0, last = 0;
  return k >= 1 && core::ISCHAR(k, first, last) == 0x40;
}

}  // namespace

void REALTIME(std::int32_t mode, std::int32_t operand) {
  const std::int64_t reading = callcounter("QueryPerformanceCounter");
  if (startcount == 0) startcount = reading;
  std::string label;
  if (textvariable(operand) && operand > core::nspecial) {
    std::array<char, 256> t{};
    std::int32_t kind = 0;
    core::C1NAMENTOSTRI(operand, t, kind);
    label.assign(t.data(), t.size());
    label.erase(label.find_last_not_of(' ') + 1);
    exec::realtimeflags &= ~1;
    mode = 1;
  }
  if (mode == 0) {
    startcount = reading;
    elapsed = 0;
    readings = 0;
    return;
  }
  if (pcfrequency <= 0) pcfrequency = callcounter("QueryPerformanceFrequency");
  if (pcfrequency <= 0) return;
  ++readings;
  const std::int64_t previous = elapsed;
  elapsed = microseconds(reading - startcount, pcfrequency);
  std::string line = "CPU " + label + " " + thousands(elapsed) + " microsec";
  if (readings > 1) {
    line += "  (#" + std::to_string(readings) + "=" + thousands(elapsed - previous) +
            "), avg=" + thousands(elapsed / readings);
  }
  if (exec::realtimeflags & 1) {
    exec::STATUSBAR(line);
  } else if (textvariable(operand)) {
    core::STRITOC1NAMEN(operand, line, static_cast<std::int32_t>(line.size()));
  }
}

void reset_stopwatch() {
  startcount = 0;
  elapsed = 0;
  readings = 0;
  pcfrequency = 0;
}

}  // namespace io
