// The program's own stand-ins for the system library procedures that it
// calls by name.
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "core/rawmem.h"
#include "core/winapi_byname.h"
#include "platform/charcase.h"
#include "platform/clocks.h"
#include "platform/win_files.h"
#include "platform/win_last_error.h"
#include "platform/win_system_info.h"
#include "platform/win_wave.h"
#include "platform/win_window.h"

namespace core {

namespace {

using Proc = std::int64_t (*)(const WinApiArgs&);

// The records behind the caller's addresses are read and written through
// checked copies: an address that is not the caller's memory fails the
// call with `winerr_noaccess`.
template <class T>
bool readrec(std::int64_t address, T& out) {
  return address != 0 && rawread(static_cast<std::uint64_t>(address), &out, sizeof(T));
}
template <class T>
bool writerec(std::int64_t address, const T& value) {
  return address != 0 && rawwrite(static_cast<std::uint64_t>(address), &value, sizeof(T));
}

// The NUL-ended text at the address, at most `most` characters.
bool readtext(std::int64_t address, std::string& out, std::size_t most = 4096) {
  out.clear();
  for (std::size_t i = 0; i < most; ++i) {
    char c = 0;
    if (!readrec(address + static_cast<std::int64_t>(i), c)) return false;
    if (c == '\0') return true;
    out += c;
  }
  return false;
}

win::HWND hwnd(std::int64_t v) {
  return win::handle_from<win::HWND>(static_cast<std::uint32_t>(v));
}

std::int64_t fail(std::uint32_t code, std::int64_t result = 0) {
  winapi_lasterror = code;
  win::SetLastError(code);
  return result;
}

// Copies s with its NUL into the buffer at the address, of size n; returns
// the length, or the size needed (NUL included) when the buffer is too small.
std::int64_t copy_out(const std::string& s, std::int64_t buf, std::int64_t n) {
  if (buf == 0 || n <= static_cast<std::int64_t>(s.size()))
    return static_cast<std::int64_t>(s.size()) + 1;
  if (!rawwrite(static_cast<std::uint64_t>(buf), s.c_str(), s.size() + 1))
    return fail(winerr_noaccess);
  return static_cast<std::int64_t>(s.size());
}

// A window rectangle into the caller's record.
std::int64_t rect_out(int (*get)(win::HWND, win::RECT*), const WinApiArgs& a) {
  win::RECT r{};
  if (get(hwnd(a[0]), &r) == 0) return fail(winerr_invalid_window);
  return writerec(a[1], r) ? 1 : fail(winerr_noaccess);
}

// --- USER32 -----------------------------------------------------------------

std::int64_t GetClientRect(const WinApiArgs& a) { return rect_out(win::GetClientRect, a); }
std::int64_t GetWindowRect(const WinApiArgs& a) { return rect_out(win::GetWindowRect, a); }
std::int64_t ShowWindow(const WinApiArgs& a) {
  return win::ShowWindow(hwnd(a[0]), static_cast<int>(a[1]));
}
std::int64_t ShowWindowAsync(const WinApiArgs& a) {
  return win::ShowWindowAsync(hwnd(a[0]), static_cast<int>(a[1]));
}

// --- KERNEL32 -----------------------------------------------------------------

std::int64_t GetModuleHandleA(const WinApiArgs& a) {
  // Only the program's own module (no name) is known.
  return a[0] == 0 ? 1 : fail(winerr_mod_not_found);
}
std::int64_t QueryPerformanceFrequency(const WinApiArgs& a) {
  if (a[0] == 0) return fail(winerr_invalid_parameter);
  return writerec(a[0], plat::counter_frequency()) ? 1 : fail(winerr_noaccess);
}
std::int64_t QueryPerformanceCounter(const WinApiArgs& a) {
  if (a[0] == 0) return fail(winerr_invalid_parameter);
  return writerec(a[0], plat::counter_now()) ? 1 : fail(winerr_noaccess);
}
std::int64_t GetModuleFileNameA(const WinApiArgs& a) {
  const std::int64_t n = a[2];
  if (a[1] == 0 || n <= 0) return fail(winerr_invalid_parameter);
  // The name cut to the buffer, always with its NUL.
  std::string s(static_cast<std::size_t>(std::min<std::int64_t>(n, win::MAX_PATH)), '\0');
  const win::DWORD got =
      win::GetModuleFileNameA(nullptr, s.data(), static_cast<win::DWORD>(s.size()));
  if (got == 0) return fail(win::GetLastError());
  s.resize(std::min<std::size_t>(got, s.size() - 1));
  if (!rawwrite(static_cast<std::uint64_t>(a[1]), s.c_str(), s.size() + 1))
    return fail(winerr_noaccess);
  return static_cast<std::int64_t>(s.size());
}
std::int64_t GetCurrentDirectoryA(const WinApiArgs& a) {
  const win::DWORD need = win::GetCurrentDirectoryA(0, nullptr);
  if (need == 0) return fail(win::GetLastError());
  std::string cwd(need, '\0');
  win::GetCurrentDirectoryA(need, cwd.data());
  cwd.resize(need - 1);
  return copy_out(cwd, a[1], a[0]);
}
std::int64_t Beep(const WinApiArgs& a) {
  return win::Beep(static_cast<win::DWORD>(a[0]), static_cast<win::DWORD>(a[1]));
}

// Directory searches, file times and copies are the platform's; the
// caller's records are checked before the call and written after it.
static_assert(sizeof(WinFindData) == sizeof(win::WIN32_FIND_DATAA));
static_assert(sizeof(WinFileTime) == sizeof(win::FILETIME));
static_assert(sizeof(WinSystemTime) == sizeof(win::SYSTEMTIME));

win::HANDLE search_of(std::int64_t v) {
  return win::handle_from<win::HANDLE>(static_cast<std::uint32_t>(v));
}

std::int64_t FindFirstFileA(const WinApiArgs& a) {
  if (a[0] == 0 || a[1] == 0) return fail(winerr_invalid_parameter, -1);
  win::WIN32_FIND_DATAA data;
  std::string pattern;
  if (!readtext(a[0], pattern) || !readrec(a[1], data)) return fail(winerr_noaccess, -1);
  const win::HANDLE h = win::FindFirstFileA(pattern.c_str(), &data);
  if (h == win::INVALID_HANDLE_VALUE) return fail(win::GetLastError(), -1);
  writerec(a[1], data);
  return win::handle_value(h);
}
std::int64_t FindNextFileA(const WinApiArgs& a) {
  win::WIN32_FIND_DATAA data;
  if (a[1] == 0) return fail(winerr_invalid_parameter);
  if (!readrec(a[1], data)) return fail(winerr_noaccess);
  if (!win::FindNextFileA(search_of(a[0]), &data)) return fail(win::GetLastError());
  writerec(a[1], data);
  return 1;
}
std::int64_t FindClose(const WinApiArgs& a) {
  return win::FindClose(search_of(a[0])) ? 1 : fail(win::GetLastError());
}

std::int64_t FileTimeToSystemTime(const WinApiArgs& a) {
  if (a[0] == 0 || a[1] == 0) return fail(winerr_invalid_parameter);
  win::FILETIME ft;
  win::SYSTEMTIME st;
  if (!readrec(a[0], ft) || !readrec(a[1], st)) return fail(winerr_noaccess);
  if (!win::FileTimeToSystemTime(&ft, &st)) return fail(win::GetLastError());
  return writerec(a[1], st) ? 1 : fail(winerr_noaccess);
}

std::int64_t SystemTimeToTzSpecificLocalTime(const WinApiArgs& a) {
  // The zone argument (a[0]) is not used: the machine's own zone applies.
  if (a[1] == 0 || a[2] == 0) return fail(winerr_invalid_parameter);
  win::SYSTEMTIME in, out;
  // The result's place must take it before the conversion is judged.
  if (!readrec(a[1], in) || !readrec(a[2], out) || !writerec(a[2], out))
    return fail(winerr_noaccess);
  if (!win::SystemTimeToTzSpecificLocalTime(nullptr, &in, &out)) return fail(win::GetLastError());
  return writerec(a[2], out) ? 1 : fail(winerr_noaccess);
}

std::int64_t CopyFileA(const WinApiArgs& a) {
  std::string from, to;
  if (a[0] == 0 || a[1] == 0) return fail(winerr_invalid_parameter);
  if (!readtext(a[0], from) || !readtext(a[1], to)) return fail(winerr_noaccess);
  return win::CopyFileA(from.c_str(), to.c_str(), a[2] != 0) ? 1 : fail(win::GetLastError());
}

// The last error that a procedure of the table left.
std::int64_t GetLastError(const WinApiArgs&) { return win::GetLastError(); }

// --- COMDLG32 -----------------------------------------------------------------

// The file dialogs belong to the window toolkit; without it they are
// cancelled at once.
std::int64_t GetOpenFileNameA(const WinApiArgs&) { return 0; }
std::int64_t GetSaveFileNameA(const WinApiArgs&) { return 0; }
std::int64_t CommDlgExtendedError(const WinApiArgs&) { return 0; }

// --- SHLWAPI -----------------------------------------------------------------

// There is no registry: every value is missing.
std::int64_t SHGetValueA(const WinApiArgs&) { return winerr_file_not_found; }

struct Library {
  std::string_view file;
  std::vector<std::pair<std::string_view, Proc>> procs;
};

const std::vector<Library>& libraries() {
  static const std::vector<Library> libs = {
      {"COMDLG32.DLL",
       {{"GetOpenFileNameA", GetOpenFileNameA},
        {"GetSaveFileNameA", GetSaveFileNameA},
        {"CommDlgExtendedError", CommDlgExtendedError}}},
      {"GDI.DLL", {}},
      {"KERNEL32.DLL",
       {{"GetModuleHandleA", GetModuleHandleA},
        {"QueryPerformanceFrequency", QueryPerformanceFrequency},
        {"QueryPerformanceCounter", QueryPerformanceCounter},
        {"GetModuleFileNameA", GetModuleFileNameA},
        {"GetCurrentDirectoryA", GetCurrentDirectoryA},
        {"FindFirstFileA", FindFirstFileA},
        {"FindNextFileA", FindNextFileA},
        {"FindClose", FindClose},
        {"FileTimeToSystemTime", FileTimeToSystemTime},
        {"SystemTimeToTzSpecificLocalTime", SystemTimeToTzSpecificLocalTime},
        {"CopyFileA", CopyFileA},
        {"GetLastError", GetLastError},
        {"Beep", Beep}}},
      {"RICHEDIT20.DLL", {}},
      {"SHLWAPI.DLL", {{"SHGetValueA", SHGetValueA}}},
      {"USER32.DLL",
       {{"GetClientRect", GetClientRect},
        {"GetWindowRect", GetWindowRect},
        {"ShowWindowAsync", ShowWindowAsync},
        {"ShowWindow", ShowWindow}}},
  };
  return libs;
}

// Loaded modules: handle -> library index. Handles count up from 0x7000.
std::map<std::uint32_t, std::size_t> modules;
std::uint32_t next_module = 0x7000;

}  // namespace

std::uint32_t winapi_load(std::string_view file) {
  const auto& libs = libraries();
  for (std::size_t i = 0; i < libs.size(); ++i) {
    if (!plat::same_any_case(libs[i].file, file)) continue;
    ++winapi_loads;
    const std::uint32_t h = next_module++;
    modules[h] = i;
    return h;
  }
  winapi_lasterror = winerr_mod_not_found;
  return 0;
}

std::int64_t (*winapi_proc(std::uint32_t module, std::string_view name))(const WinApiArgs&) {
  const auto it = modules.find(module);
  if (it != modules.end()) {
    for (const auto& [n, p] : libraries()[it->second].procs)
      if (n == name) return p;  // procedure names compare with case
  }
  winapi_lasterror = it == modules.end() ? winerr_mod_not_found : winerr_proc_not_found;
  return nullptr;
}

void winapi_free(std::uint32_t module) { modules.erase(module); }

std::string_view winapi_message(std::uint32_t code) {
  switch (code) {
    case 0:
      return "No error.";
    case winerr_file_not_found:
      return "File not found.";
    case 3:
      return "Path not found.";
    case 5:
      return "Access denied.";
    case winerr_no_more_files:
      return "No more files.";
    case 32:
      return "The file is in use.";
    case 80:
      return "The file exists.";
    case winerr_invalid_parameter:
      return "Invalid argument.";
    case winerr_mod_not_found:
      return "Library not found.";
    case winerr_proc_not_found:
      return "Procedure not found in the library.";
    case winerr_invalid_window:
      return "Invalid window handle.";
    case winerr_noaccess:
      return "The address is not accessible.";
    default:
      return "Unknown error.";
  }
}

void reset_winapi() {
  modules.clear();
  winlibhandles.fill(0);
  winapi_lasterror = 0;
  winapi_loads = 0;
}

}  // namespace core
