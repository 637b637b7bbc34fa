// The memory this process may still take.
#pragma once

#include <cstdint>

namespace plat {

// Bytes this process may still commit: the memory the system has available
// (MemAvailable and free swap) within the limits set on the process (its
// memory cgroup's limit less its use, and RLIMIT_AS and RLIMIT_DATA less
// what it maps). -1 when none of them can be read. An estimate, read anew
// at each call: for a request so large that committing it could end the
// process, not for every allocation.
std::int64_t memoryroom();

}  // namespace plat
