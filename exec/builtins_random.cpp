#include "exec/builtins_random.h"

#include <cmath>

#include "platform/clocks.h"

namespace exec {

namespace {

std::uint64_t state = 0x9E3779B97F4A7C15ull;

std::uint64_t next64() {
  // splitmix64: every seed gives a full-period, well-mixed sequence.
  std::uint64_t x = (state += 0x9E3779B97F4A7C15ull);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// The seed from the clock: the platform's counter, which a test may stop.
std::uint64_t clockseed() { return static_cast<std::uint64_t>(plat::counter_now()); }

}  // namespace

double ranuniform() { return static_cast<double>(next64() >> 11) * 0x1.0p-53; }

void ranseed(double s) {
  if (s == 0.0 || !(std::fabs(s) < 2147483647.0)) {
    state = clockseed();
    return;
  }
  const auto seed = static_cast<std::int64_t>(std::trunc(s));
  state = static_cast<std::uint64_t>(seed) * 0x2545F4914F6CDD1Dull + 0x632BE59BD9B4E019ull;
}

void reset_random() { state = clockseed(); }

}  // namespace exec
