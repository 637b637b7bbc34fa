#include "io/fileinfo.h"

#include <sys/stat.h>

#include <ctime>
#include <string>

#include "core/datetime.h"
#include "platform/file_units.h"

namespace io {

namespace {

// The last-write time of the file as a local day number; false when the
// file system does not tell it.
bool lastwritten(std::string_view path, double& day) {
  struct stat st {};
  if (::stat(plat::unit_file_path(path).c_str(), &st) != 0) return false;
  std::tm t{};
  const std::time_t seconds = st.st_mtim.tv_sec;
  if (::localtime_r(&seconds, &t) == nullptr) return false;
  day = core::excel_day_number(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                               t.tm_sec, static_cast<double>(st.st_mtim.tv_nsec) / 1e6);
  return true;
}

}  // namespace

void FILEINFO(std::string_view path, std::int32_t& n, std::int32_t what, double* lastwrite) {
  n = -1;
  if (what != 0 && what != -2) return;
  path = path.substr(0, 256);
  plat::FileNameInfo info;
  plat::inquire_name(path, info);
  if (!info.exists) return;
  n = static_cast<std::int32_t>(static_cast<std::uint32_t>(info.size));
  if (what == -2 && lastwrite != nullptr && !lastwritten(path, *lastwrite)) *lastwrite = 0.0;
}

}  // namespace io
