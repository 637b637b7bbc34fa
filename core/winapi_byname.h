// Windows functions called by library and procedure name, with twelve
// argument values (integers, handles or addresses of the caller's records;
// 64-bit here, each checked before it is read or written). The system
// libraries are served by a table of the program's own stand-ins for the
// procedures that it calls by name.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace core {

// Six slots of 12 characters, each name after two blanks; the file name of
// a slot is its name with ".DLL".
inline constexpr std::string_view winliblist =
    "  COMDLG32    GDI         KERNEL32    RICHEDIT20  SHLWAPI     USER32    ";
// Module handles of the slots, 0 while a slot's library is not loaded;
// shared with the script's DLL statement.
inline std::array<std::uint32_t, 6> winlibhandles{};

using WinApiArgs = std::array<std::int64_t, 12>;

// Calls the procedure of the library chosen by library's first character
// ("C", "G", "K", "R", "S", "U"). Its second character says how a failure
// shows: "-" never, "0" a non-zero result (the error code), "=" and a
// number n a result equal to n, anything else a result of 0. The word
// "unload" frees the library after the call. A failure is shown in the
// "APIs error" box with the procedure, the error code and its text.
// Returns the 32-bit result (0 for a missing procedure and under "=").
std::int32_t CALLWINAPI(std::string_view procedure, const WinApiArgs& args,
                        std::string_view library);
void CALLWINAPISUB(std::string_view procedure, const WinApiArgs& args, std::string_view library);

// The library services behind the call, on the stand-in table.
std::uint32_t winapi_load(std::string_view file);  // 0 when there is no such library
std::int64_t (*winapi_proc(std::uint32_t module, std::string_view name))(const WinApiArgs&);
void winapi_free(std::uint32_t module);
// The last error code a stand-in left, and the text of a code.
inline std::uint32_t winapi_lasterror = 0;
std::string_view winapi_message(std::uint32_t code);
// Number of library loads so far (the table counts them).
inline int winapi_loads = 0;

// Error codes of the stand-ins.
inline constexpr std::uint32_t winerr_file_not_found = 2;
inline constexpr std::uint32_t winerr_no_more_files = 18;
inline constexpr std::uint32_t winerr_invalid_parameter = 87;
inline constexpr std::uint32_t winerr_mod_not_found = 126;
inline constexpr std::uint32_t winerr_proc_not_found = 127;
inline constexpr std::uint32_t winerr_noaccess = 998;
inline constexpr std::uint32_t winerr_invalid_window = 1400;

// Records that the stand-ins fill, laid out as the callers expect them.
struct WinFileTime {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
};
struct WinSystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayofweek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t millisecond = 0;
};
struct WinFindData {
  std::uint32_t attributes = 0;  // 0x10 a folder, 0x80 a plain file
  WinFileTime created;
  WinFileTime accessed;
  WinFileTime written;
  std::uint32_t sizehigh = 0;
  std::uint32_t sizelow = 0;
  std::uint32_t reserved0 = 0;
  std::uint32_t reserved1 = 0;
  char name[260] = {};
  char shortname[14] = {};
};

// Unloads every library and clears the handles (the state at start).
void reset_winapi();

}  // namespace core
