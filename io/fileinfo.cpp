#include "io/fileinfo.h"

#include "platform/file_units.h"

namespace io {

void FILEINFO(std::string_view path, std::int32_t& n, std::int32_t what) {
  n = -1;
  if (what != 0) return;
  plat::FileNameInfo info;
  plat::inquire_name(path.substr(0, 256), info);
  if (info.exists) n = static_cast<std::int32_t>(static_cast<std::uint32_t>(info.size));
}

}  // namespace io
