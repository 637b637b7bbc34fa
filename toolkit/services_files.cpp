// Files, serial ports, folders, listings, file times, the environment and
// child processes.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win_last_error.h"
#include "platform/win_process.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/services.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kListingStep = 10;

bool failed(win::HANDLE h) { return h == nullptr || h == win::INVALID_HANDLE_VALUE; }

win::HANDLE open_for_times(const std::string& name, win::DWORD access) {
  return win::CreateFileA(name.c_str(), access, win::FILE_SHARE_READ, nullptr, win::OPEN_EXISTING,
                          win::FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

win::HANDLE FE_OPEN_FILE(const char* name, int name_length, const win::DWORD* access,
                         const win::DWORD* share, const win::DWORD* creation,
                         const win::DWORD* attributes, int* ups) {
  CLEAR_STATUS(ups);
  const win::HANDLE h = win::CreateFileA(
      trimmed_text(name, name_length).c_str(),
      access != nullptr ? *access : win::GENERIC_READ | win::GENERIC_WRITE,
      share != nullptr ? *share : 0, nullptr, creation != nullptr ? *creation : win::OPEN_EXISTING,
      attributes != nullptr ? *attributes : win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (failed(h)) {
    SET_STATUS_FROM_SYSTEM(ups, "Can't open file in FE_OPEN_FILE");
    return nullptr;
  }
  return h;
}

int FE_READ_FILE(win::HANDLE file, char* buffer, int length, int* read, int* ups) {
  CLEAR_STATUS(ups);
  win::DWORD got = 0;
  const int n = std::max(0, length);
  if (!win::ReadFile(file, buffer, static_cast<win::DWORD>(n), &got, nullptr))
    SET_STATUS_FROM_SYSTEM(ups, "Can't read file in FE_READ_FILE");
  std::fill(buffer + got, buffer + n, ' ');
  if (read != nullptr) *read = static_cast<int>(got);
  return static_cast<int>(got);
}

int FE_WRITE_FILE(win::HANDLE file, const char* buffer, int length, int* written, int* ups) {
  CLEAR_STATUS(ups);
  win::DWORD put = 0;
  if (!win::WriteFile(file, buffer, static_cast<win::DWORD>(std::max(0, length)), &put, nullptr))
    SET_STATUS_FROM_SYSTEM(ups, "Can't write file in FE_WRITE_FILE");
  if (written != nullptr) *written = static_cast<int>(put);
  return static_cast<int>(put);
}

void FE_CLOSE_FILE(win::HANDLE file, int* ups) {
  CLEAR_STATUS(ups);
  if (!win::CloseHandle(file)) SET_STATUS_FROM_SYSTEM(ups, "Can't close handle in FE_CLOSE_FILE");
}

void SET_COMM_TIMEOUT(win::HANDLE port, const win::COMMTIMEOUTS& timeouts, int* ups) {
  CLEAR_STATUS(ups);
  if (!win::SetCommTimeouts(port, &timeouts))
    SET_STATUS_FROM_SYSTEM(ups, "Can't set timeouts in SET_COMM_TIMEOUT");
}

void SET_COMM_MODE(win::HANDLE port, const int* baud_rate, const int* parity, const int* data_bits,
                   const int* stop_bits, int* ups) {
  CLEAR_STATUS(ups);
  win::DCB dcb;
  bool ok = win::GetCommState(port, &dcb) != 0;
  if (ok) {
    if (baud_rate != nullptr) dcb.BaudRate = static_cast<win::DWORD>(*baud_rate);
    if (parity != nullptr) dcb.Parity = static_cast<win::BYTE>(*parity);
    if (data_bits != nullptr) dcb.ByteSize = static_cast<win::BYTE>(*data_bits);
    if (stop_bits != nullptr) dcb.StopBits = static_cast<win::BYTE>(*stop_bits);
    ok = win::SetCommState(port, &dcb) != 0;
  }
  if (!ok) SET_STATUS_FROM_SYSTEM(ups, "Failure in SET_COMM_MODE");
}

void FE_CREATE_DIRECTORY(const char* path, int length, int* ups) {
  CLEAR_STATUS(ups);
  if (!win::CreateDirectoryA(trimmed_text(path, length).c_str(), nullptr))
    SET_STATUS_FROM_SYSTEM(ups, "Failure in FE_CREATE_DIRECTORY");
}

int DELETE_FILE(const char* path, int length, int* ups) {
  CLEAR_STATUS(ups);
  if (win::DeleteFileA(trimmed_text(path, length).c_str())) return -1;
  if (ups != nullptr)
    *ups = win::GetLastError() != 0 ? static_cast<int>(win::GetLastError()) : kToolkitError;
  return 0;
}

void SET_CURRENT_DIRECTORY(const char* path, int length, int* ups) {
  CLEAR_STATUS(ups);
  const std::string p = trimmed_text(path, length);
  if (!win::SetCurrentDirectoryA(p.c_str()))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to set current directory " + p);
}

void GET_TEMP_FILE_NAME(char* name, int length, const char* prefix, int prefix_length, int* ups) {
  CLEAR_STATUS(ups);
  char folder[win::MAX_PATH], made[win::MAX_PATH];
  const std::string pre = prefix != nullptr ? trimmed_text(prefix, prefix_length) : "tmp";
  const win::DWORD n = win::GetTempPathA(sizeof folder, folder);
  if (n == 0 || n >= sizeof folder || win::GetTempFileNameA(folder, pre.c_str(), 0, made) == 0) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create a temporary filename");
    return;
  }
  COPY_C_TO_PADDED(made, name, length);
}

int LIST_DIRECTORY(const char* pattern, int length, directory_listing& listing, int* ups) {
  CLEAR_STATUS(ups);
  listing = directory_listing{};
  auto grow = [&] {
    const int capacity = listing.capacity + kListingStep;
    auto* more = static_cast<win::WIN32_FIND_DATAA*>(REALLOCATE_MEMORY(
        listing.entries, sizeof(win::WIN32_FIND_DATAA) * static_cast<std::size_t>(capacity)));
    listing.entries = more;
    listing.capacity = capacity;
  };
  grow();
  win::WIN32_FIND_DATAA found;
  const win::HANDLE search = win::FindFirstFileA(trimmed_text(pattern, length).c_str(), &found);
  win::DWORD error = win::ERROR_NO_MORE_FILES;
  if (search == win::INVALID_HANDLE_VALUE) {
    error = win::GetLastError();
  } else {
    do {
      if (listing.count == listing.capacity) grow();
      listing.entries[listing.count++] = found;
    } while (win::FindNextFileA(search, &found));
    error = win::GetLastError();
    win::FindClose(search);
  }
  if (error == win::ERROR_NO_MORE_FILES || error == win::ERROR_FILE_NOT_FOUND) return listing.count;
  SET_STATUS_WITH_CODE(ups, "Error in getting directory listing", static_cast<int>(error));
  FREE_DIRECTORY_LIST(listing);
  return 0;
}

void CONVERT_DIRECTORY_LIST(directory_record* records, int count, int* ups,
                            const directory_listing& listing) {
  CLEAR_STATUS(ups);
  for (int i = 0; i < std::min(count, listing.count); ++i) {
    const win::WIN32_FIND_DATAA& f = listing.entries[i];
    directory_record& r = records[i];
    r.attributes = static_cast<std::int32_t>(f.dwFileAttributes);
    if (!FILE_TIME_TO_DATE_TIME(f.ftCreationTime, r.creation) ||
        !FILE_TIME_TO_DATE_TIME(f.ftLastAccessTime, r.access) ||
        !FILE_TIME_TO_DATE_TIME(f.ftLastWriteTime, r.write))
      if (ups != nullptr) *ups = static_cast<int>(win::GetLastError());
    r.size_low = static_cast<std::int32_t>(f.nFileSizeLow);
    r.size_high = static_cast<std::int32_t>(f.nFileSizeHigh);
    COPY_C_TO_PADDED(f.cFileName, r.name, sizeof r.name);
    char short_name[sizeof f.cAlternateFileName + 1] = {};
    std::memcpy(short_name, f.cAlternateFileName, sizeof f.cAlternateFileName);
    COPY_C_TO_PADDED(short_name, r.short_name, sizeof r.short_name);
  }
}

void FREE_DIRECTORY_LIST(directory_listing& listing) {
  FREE_MEMORY(listing.entries);
  listing = directory_listing{};
}

void DATE_TIME_TO_SYSTEM(const date_time_record& r, win::SYSTEMTIME& s) {
  s = win::SYSTEMTIME{static_cast<win::WORD>(r.year),
                      static_cast<win::WORD>(r.month),
                      0,
                      static_cast<win::WORD>(r.day),
                      static_cast<win::WORD>(r.hour),
                      static_cast<win::WORD>(r.minute),
                      static_cast<win::WORD>(r.second),
                      static_cast<win::WORD>(r.millisecond)};
}

bool FILE_TIME_TO_DATE_TIME(const win::FILETIME& file_time, date_time_record& r) {
  win::FILETIME local;
  win::SYSTEMTIME s;
  if (!win::FileTimeToLocalFileTime(&file_time, &local) || !win::FileTimeToSystemTime(&local, &s))
    return false;
  const auto units = [](const win::FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
  };
  r = date_time_record{
      s.wYear,   s.wMonth,
      s.wDay,    static_cast<std::int32_t>((units(local) - units(file_time)) / 600000000),
      s.wHour,   s.wMinute,
      s.wSecond, s.wMilliseconds};
  return true;
}

void GET_FILE_TIME(const char* file, int length, date_time_record* creation,
                   date_time_record* access, date_time_record* write, int* ups) {
  CLEAR_STATUS(ups);
  const win::HANDLE h = open_for_times(trimmed_text(file, length), win::GENERIC_READ);
  if (failed(h)) {
    SET_STATUS_FROM_SYSTEM(ups, "Can't open file in: GET_FILE_TIME");
    return;
  }
  win::FILETIME times[3];
  if (win::GetFileTime(h, &times[0], &times[1], &times[2])) {
    date_time_record* out[3] = {creation, access, write};
    for (int i = 0; i < 3; ++i)
      if (out[i] != nullptr && !FILE_TIME_TO_DATE_TIME(times[i], *out[i]) && ups != nullptr)
        *ups = static_cast<int>(win::GetLastError());
  } else {
    SET_STATUS_FROM_SYSTEM(ups, "Can't read the times in: GET_FILE_TIME");
  }
  win::CloseHandle(h);
}

void SET_FILE_TIME(const char* file, int length, const date_time_record* creation,
                   const date_time_record* access, const date_time_record* write, int* ups) {
  CLEAR_STATUS(ups);
  const win::HANDLE h = open_for_times(trimmed_text(file, length), win::GENERIC_WRITE);
  if (failed(h)) {
    SET_STATUS_FROM_SYSTEM(ups, "Can't open file in: SET_FILE_TIME");
    return;
  }
  const date_time_record* given[3] = {creation, access, write};
  static constexpr const char* kNames[3] = {"Creation Time", "Access Time", "Write Time"};
  win::FILETIME times[3];
  const win::FILETIME* use[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (given[i] == nullptr) continue;
    win::SYSTEMTIME s;
    win::FILETIME local;
    DATE_TIME_TO_SYSTEM(*given[i], s);
    if (win::SystemTimeToFileTime(&s, &local) && win::LocalFileTimeToFileTime(&local, &times[i]))
      use[i] = &times[i];
    else
      SET_STATUS_FROM_SYSTEM(ups, std::string("Unable to convert time parameter for ") + kNames[i]);
  }
  if (!win::SetFileTime(h, use[0], use[1], use[2]))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to set the file time in SET_FILE_TIME");
  win::CloseHandle(h);
}

void GET_ENVIRONMENT_VARIABLE(const char* name, int name_length, char* value, int value_length,
                              int* ups) {
  CLEAR_STATUS(ups);
  const int room = std::max(0, value_length);
  std::fill(value, value + room, ' ');
  std::string got(static_cast<std::size_t>(room) + 1, '\0');
  win::SetLastError(0);
  const win::DWORD n = win::GetEnvironmentVariableA(trimmed_text(name, name_length).c_str(),
                                                    got.data(), static_cast<win::DWORD>(room + 1));
  if (n == 0 && win::GetLastError() == win::ERROR_ENVVAR_NOT_FOUND) {
    SET_STATUS(ups, "Environment variable doesn't exist", kToolkitError);
    return;
  }
  if (n > static_cast<win::DWORD>(room)) {
    SET_STATUS(ups, "Environment variable is too long for its text", kToolkitError);
    return;
  }
  std::memcpy(value, got.data(), n);
}

void SET_ENVIRONMENT_VARIABLE(const char* name, int name_length, const char* value,
                              int value_length, int* ups) {
  CLEAR_STATUS(ups);
  const std::string v = value != nullptr ? trimmed_text(value, value_length) : "";
  if (!win::SetEnvironmentVariableA(trimmed_text(name, name_length).c_str(),
                                    value != nullptr ? v.c_str() : nullptr))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to SET_ENVIRONMENT_VARIABLE");
}

int SPAWN_PROCESS(const char* command_line, int length, const int* wait, int* ups) {
  CLEAR_STATUS(ups);
  std::string line = trimmed_text(command_line, length);
  win::STARTUPINFOA startup;
  win::PROCESS_INFORMATION info;
  if (!win::CreateProcessA(nullptr, line.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to spawn process: " + line);
    return 0;
  }
  if (wait != nullptr && *wait != 0) win::WaitForSingleObject(info.hProcess, win::INFINITE);
  // The child is reaped when it ends; its handles are not needed.
  win::CloseHandle(info.hProcess);
  win::CloseHandle(info.hThread);
  return -1;
}

}  // namespace toolkit
