// File information: what the system asks the file system about a path.
//
// This build answers two questions about one file: what = 0, n receives
// its size in bytes (the low 32 bits, signed), or -1 when there is no such
// file; what = -2, the same size, and lastwrite (when given) its last-write
// time as a local spreadsheet day number. Patterns, folders and listings
// come with the file information built-in.
#pragma once

#include <cstdint>
#include <string_view>

namespace io {

void FILEINFO(std::string_view path, std::int32_t& n, std::int32_t what,
              double* lastwrite = nullptr);

}  // namespace io
