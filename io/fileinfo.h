// File information: what the system asks the file system about a path.
//
// This build answers one question, what = 0: n receives the size in bytes
// of the named file (the low 32 bits, signed), or -1 when there is no such
// file. Patterns, folders, file times and listings come with the file
// information built-in.
#pragma once

#include <cstdint>
#include <string_view>

namespace io {

void FILEINFO(std::string_view path, std::int32_t& n, std::int32_t what);

}  // namespace io
