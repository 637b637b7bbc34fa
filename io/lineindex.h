// The line index of text files viewed as tables. This build makes none:
// every unit answers "no index", so a file opened with a fixed-width
// format is a binary direct file without a column table, and a sequential
// OPEN with a table format is not available yet.
#pragma once

#include <cstdint>

namespace io {

// True when the unit has a line index; rows then receives its row count.
inline bool FILEISINDEXED(std::int32_t /*unit*/, std::int32_t /*format*/, std::int32_t& /*rows*/) {
  return false;
}

}  // namespace io
