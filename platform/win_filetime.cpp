// File times and their conversions.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "platform/clocks.h"
#include "platform/win_files.h"
#include "platform/win_kernel_internal.h"

namespace win {

namespace detail {

namespace {

// 100-ns units between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 116444736000000000;
constexpr std::int64_t kUnitsPerSecond = 10000000;

std::int64_t units_of(const FILETIME& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
}

FILETIME file_time(std::int64_t units) {
  return {static_cast<DWORD>(units), static_cast<DWORD>(static_cast<std::uint64_t>(units) >> 32)};
}

timespec timespec_of(const FILETIME& t) {
  const std::int64_t unix_units = units_of(t) - kEpochDifference;
  std::int64_t seconds = unix_units / kUnitsPerSecond;
  std::int64_t rest = unix_units % kUnitsPerSecond;
  if (rest < 0) {
    rest += kUnitsPerSecond;
    --seconds;
  }
  return {static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

// The offset of local time from UTC, in seconds, at a UTC instant.
long offset_at_utc(time_t utc) {
  tm local{};
  localtime_r(&utc, &local);
  return local.tm_gmtoff;
}

// The offset at a local time (read as if it were UTC): the one in force at
// that wall-clock time.
long offset_at_local(time_t wall) {
  long offset = offset_at_utc(wall);
  // Twice: the offset at the instant the first guess gives.
  offset = offset_at_utc(wall - offset);
  return offset_at_utc(wall - offset);
}

}  // namespace

FILETIME file_time_of(const timespec& t) {
  return file_time(static_cast<std::int64_t>(t.tv_sec) * kUnitsPerSecond + t.tv_nsec / 100 +
                   kEpochDifference);
}

}  // namespace detail

using detail::FileObject;

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* access, FILETIME* write) {
  FileObject* f = detail::object_as<FileObject>(file);
  if (f == nullptr) return FALSE;
  struct statx sx {};
  if (statx(f->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    SetLastError(detail::error_of_errno(errno));
    return FALSE;
  }
  auto ts = [](const statx_timestamp& t) {
    return detail::file_time_of(
        timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
  };
  if (creation != nullptr)
    *creation = (sx.stx_mask & STATX_BTIME) != 0 ? ts(sx.stx_btime) : ts(sx.stx_mtime);
  if (access != nullptr) *access = ts(sx.stx_atime);
  if (write != nullptr) *write = ts(sx.stx_mtime);
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* access, const FILETIME* write) {
  FileObject* f = detail::object_as<FileObject>(file);
  if (f == nullptr) return FALSE;
  timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  if (access != nullptr && detail::units_of(*access) != 0) times[0] = detail::timespec_of(*access);
  if (write != nullptr && detail::units_of(*write) != 0) times[1] = detail::timespec_of(*write);
  if (futimens(f->fd, times) != 0) {
    SetLastError(detail::error_of_errno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time) {
  if (file_time == nullptr || system_time == nullptr || detail::units_of(*file_time) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t units = detail::units_of(*file_time);
  const std::int64_t ms = (units - detail::kEpochDifference) / 10000 -
                          ((units - detail::kEpochDifference) % 10000 < 0 ? 1 : 0);
  const plat::LocalDateTime t = plat::local_from_utc_ms(ms, 0);
  const std::int64_t days = plat::days_from_civil(t.year, t.month, t.day);
  *system_time = SYSTEMTIME{static_cast<WORD>(t.year),
                            static_cast<WORD>(t.month),
                            static_cast<WORD>(((days % 7) + 11) % 7),
                            static_cast<WORD>(t.day),
                            static_cast<WORD>(t.hour),
                            static_cast<WORD>(t.minute),
                            static_cast<WORD>(t.second),
                            static_cast<WORD>(t.millisecond)};
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* s, FILETIME* file_time) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool valid = s != nullptr && file_time != nullptr && s->wYear >= 1601 &&
                     s->wYear <= 30827 && s->wMonth >= 1 && s->wMonth <= 12 && s->wDay >= 1 &&
                     s->wHour < 24 && s->wMinute < 60 && s->wSecond < 60 && s->wMilliseconds < 1000;
  if (valid) {
    const int y = s->wYear;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (s->wDay > kDays[s->wMonth - 1] + (s->wMonth == 2 && leap ? 1 : 0)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t seconds = plat::days_from_civil(s->wYear, s->wMonth, s->wDay) * 86400 +
                               s->wHour * 3600 + s->wMinute * 60 + s->wSecond;
  *file_time = detail::file_time(seconds * detail::kUnitsPerSecond + s->wMilliseconds * 10000 +
                                 detail::kEpochDifference);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (utc == nullptr || local == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const timespec t = detail::timespec_of(*utc);
  *local = detail::file_time(detail::units_of(*utc) +
                             detail::offset_at_utc(t.tv_sec) * detail::kUnitsPerSecond);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (utc == nullptr || local == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const timespec t = detail::timespec_of(*local);
  *utc = detail::file_time(detail::units_of(*local) -
                           detail::offset_at_local(t.tv_sec) * detail::kUnitsPerSecond);
  return TRUE;
}

BOOL SystemTimeToTzSpecificLocalTime(const void*, const SYSTEMTIME* utc, SYSTEMTIME* local) {
  FILETIME u, l;
  return SystemTimeToFileTime(utc, &u) && FileTimeToLocalFileTime(&u, &l) &&
         FileTimeToSystemTime(&l, local);
}

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) {
  if (zone == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0xFFFFFFFF;
  }
  *zone = TIME_ZONE_INFORMATION{};
  zone->Bias = static_cast<LONG>(-detail::offset_at_utc(std::time(nullptr)) / 60);
  tzset();
  for (int i = 0; i < 31 && tzname[0][i] != '\0'; ++i)
    zone->StandardName[i] = static_cast<char16_t>(tzname[0][i]);
  for (int i = 0; i < 31 && tzname[1][i] != '\0'; ++i)
    zone->DaylightName[i] = static_cast<char16_t>(tzname[1][i]);
  return TIME_ZONE_ID_UNKNOWN;
}

}  // namespace win
