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
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return fail(winerr_file_not_found);
  const std::int64_t n = a[2];
  if (a[1] == 0 || n <= 0) return fail(winerr_invalid_parameter);
  // The name cut to the buffer, always with its NUL.
  std::string s = exe.string();
  s.resize(
      static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(s.size()), n - 1)));
  if (!rawwrite(static_cast<std::uint64_t>(a[1]), s.c_str(), s.size() + 1))
    return fail(winerr_noaccess);
  return static_cast<std::int64_t>(s.size());
}
std::int64_t GetCurrentDirectoryA(const WinApiArgs& a) {
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  if (ec) return fail(winerr_file_not_found);
  return copy_out(cwd.string(), a[1], a[0]);
}
std::int64_t Beep(const WinApiArgs& a) {
  return win::Beep(static_cast<win::DWORD>(a[0]), static_cast<win::DWORD>(a[1]));
}

// Directory listing: a search is the folder's entries that match a pattern
// of "*" and "?", case ignored, taken one at a time.
struct Search {
  std::vector<std::filesystem::directory_entry> entries;
  std::size_t next = 0;
};
std::map<std::int64_t, std::unique_ptr<Search>> searches;
std::int64_t next_search = 0x100;

bool wild_match(std::string_view pat, std::string_view name) {
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pat.size() &&
        (pat[p] == '?' || plat::lower1252(static_cast<unsigned char>(pat[p])) ==
                              plat::lower1252(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (p < pat.size() && pat[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

WinFileTime file_time(std::filesystem::file_time_type t) {
  // 100-nanosecond steps since 1601-01-01 (UTC).
  const auto sys = std::chrono::file_clock::to_sys(t);
  const auto ticks =
      std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count() / 100 +
      116444736000000000LL;
  return {static_cast<std::uint32_t>(ticks & 0xFFFFFFFF), static_cast<std::uint32_t>(ticks >> 32)};
}

void fill(WinFindData& d, const std::filesystem::directory_entry& e) {
  d = WinFindData{};
  std::error_code ec;
  d.attributes = e.is_directory(ec) ? 0x10 : 0x80;
  const auto size = e.is_regular_file(ec) ? static_cast<std::uint64_t>(e.file_size(ec)) : 0;
  d.sizehigh = static_cast<std::uint32_t>(size >> 32);
  d.sizelow = static_cast<std::uint32_t>(size & 0xFFFFFFFF);
  const auto t = e.last_write_time(ec);
  if (!ec) d.written = d.created = d.accessed = file_time(t);
  const std::string name = e.path().filename().string();
  std::strncpy(d.name, name.c_str(), sizeof d.name - 1);
}

std::int64_t FindFirstFileA(const WinApiArgs& a) {
  if (a[0] == 0 || a[1] == 0) return fail(winerr_invalid_parameter, -1);
  WinFindData data;
  std::string p;
  if (!readtext(a[0], p) || !readrec(a[1], data)) return fail(winerr_noaccess, -1);
  for (char& c : p)
    if (c == '\\') c = '/';
  const std::filesystem::path path(p);
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  const std::string pat = path.filename().string();
  auto s = std::make_unique<Search>();
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (wild_match(pat, e.path().filename().string())) s->entries.push_back(e);
  if (s->entries.empty()) return fail(winerr_file_not_found, -1);
  fill(data, s->entries[0]);
  if (!writerec(a[1], data)) return fail(winerr_noaccess, -1);
  s->next = 1;
  const std::int64_t h = next_search++;
  searches[h] = std::move(s);
  return h;
}
std::int64_t FindNextFileA(const WinApiArgs& a) {
  const auto it = searches.find(a[0]);
  if (it == searches.end() || a[1] == 0) return fail(winerr_invalid_parameter);
  Search& s = *it->second;
  if (s.next >= s.entries.size()) return fail(winerr_no_more_files);
  WinFindData data;
  fill(data, s.entries[s.next]);
  if (!writerec(a[1], data)) return fail(winerr_noaccess);
  ++s.next;
  return 1;
}
std::int64_t FindClose(const WinApiArgs& a) {
  return searches.erase(a[0]) > 0 ? 1 : fail(winerr_invalid_parameter);
}

std::int64_t ticks_of(const WinFileTime& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.high) << 32) | t.low);
}

void to_system_time(const std::tm& tm, int ms, WinSystemTime& st) {
  st.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
  st.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
  st.dayofweek = static_cast<std::uint16_t>(tm.tm_wday);
  st.day = static_cast<std::uint16_t>(tm.tm_mday);
  st.hour = static_cast<std::uint16_t>(tm.tm_hour);
  st.minute = static_cast<std::uint16_t>(tm.tm_min);
  st.second = static_cast<std::uint16_t>(tm.tm_sec);
  st.millisecond = static_cast<std::uint16_t>(ms);
}

std::int64_t FileTimeToSystemTime(const WinApiArgs& a) {
  if (a[0] == 0 || a[1] == 0) return fail(winerr_invalid_parameter);
  WinFileTime ft;
  if (!readrec(a[0], ft)) return fail(winerr_noaccess);
  const std::int64_t t = ticks_of(ft) - 116444736000000000LL;
  const std::time_t secs =
      static_cast<std::time_t>(t >= 0 ? t / 10'000'000 : (t - 9'999'999) / 10'000'000);
  const int ms = static_cast<int>((t - static_cast<std::int64_t>(secs) * 10'000'000) / 10'000);
  std::tm tm{};
  if (gmtime_r(&secs, &tm) == nullptr) return fail(winerr_invalid_parameter);
  WinSystemTime st;
  to_system_time(tm, ms, st);
  return writerec(a[1], st) ? 1 : fail(winerr_noaccess);
}

std::int64_t SystemTimeToTzSpecificLocalTime(const WinApiArgs& a) {
  // The zone argument (a[0]) is not used: the machine's own zone applies.
  if (a[1] == 0 || a[2] == 0) return fail(winerr_invalid_parameter);
  WinSystemTime in;
  if (!readrec(a[1], in)) return fail(winerr_noaccess);
  std::tm tm{};
  tm.tm_year = in.year - 1900;
  tm.tm_mon = in.month - 1;
  tm.tm_mday = in.day;
  tm.tm_hour = in.hour;
  tm.tm_min = in.minute;
  tm.tm_sec = in.second;
  const std::time_t secs = timegm(&tm);
  std::tm local{};
  if (localtime_r(&secs, &local) == nullptr) return fail(winerr_invalid_parameter);
  WinSystemTime out;
  to_system_time(local, in.millisecond, out);
  return writerec(a[2], out) ? 1 : fail(winerr_noaccess);
}

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
    case winerr_no_more_files:
      return "No more files.";
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
  searches.clear();
  winlibhandles.fill(0);
  winapi_lasterror = 0;
  winapi_loads = 0;
}

}  // namespace core
