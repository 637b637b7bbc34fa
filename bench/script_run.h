// Running a script in a benchmark: the stores are set up once, the script
// compiled and run with N in front of it.
#pragma once

#include <cstdint>
#include <string_view>

namespace bench {

// Compiles and runs the script with N = n; false when it did not run to its
// end.
bool runscript(std::string_view script, std::int64_t n);

}  // namespace bench
