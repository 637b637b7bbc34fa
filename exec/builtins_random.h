// The run-time random generator shared by RAN on both paths: uniform
// numbers in [0, 1), restarted from the clock or from a seed so that equal
// seeds repeat the sequence.
#pragma once

#include <cstdint>

namespace exec {

// The next uniform number in [0, 1).
double ranuniform();

// Restarts the generator: from the clock when s is 0 or |s| is not below
// 2147483647, else from the integer part of s.
void ranseed(double s);

// Start values: the generator as restarted from the clock.
void reset_random();

}  // namespace exec
