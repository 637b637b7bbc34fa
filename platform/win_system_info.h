// System information and process-wide services of the Windows-style
// interface: the version record, the program's module and its path, named
// mutexes, volume information, sleeping, the help viewer, and the
// processor's identification instruction.
//
// The version record describes the NT line, release 4 or later: the
// platform id is VER_PLATFORM_WIN32_NT and the major and minor numbers are
// the running kernel's (the major never below 4).
//
// A named mutex is a lock file in the user's runtime folder (XDG_RUNTIME_DIR,
// else the temporary folder): the first creator holds it for the life of
// the process, and every later creation of the same name, in this process
// or another live one, gets ERROR_ALREADY_EXISTS.
#pragma once

#include <cstdint>

#include "platform/win_library.h"
#include "platform/win_window.h"

namespace win {

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

inline constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  CHAR szCSDVersion[128] = {};
};

// FALSE with ERROR_INSUFFICIENT_BUFFER when the size field is too small.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// The program file's full path, NUL-terminated, cut to size - 1 characters
// (then the result is size and the error ERROR_INSUFFICIENT_BUFFER).
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// The handle of the named mutex; ERROR_ALREADY_EXISTS (183) when it existed
// already, else the error word is cleared. An unnamed mutex is private.
// A named one is a lock file in a folder of the user's own: the runtime
// folder ($XDG_RUNTIME_DIR), else "ostrel" in the state folder. Null when
// the lock file cannot be made or is not a plain file of the user's own (a
// link in its place is not followed); the error says why.
HANDLE CreateMutexA(void* attributes, BOOL initial_owner, LPCSTR name);

// File-system flags of GetVolumeInformationA.
inline constexpr DWORD FILE_CASE_SENSITIVE_SEARCH = 0x00000001;
inline constexpr DWORD FILE_CASE_PRESERVED_NAMES = 0x00000002;
inline constexpr DWORD FILE_UNICODE_ON_DISK = 0x00000004;
inline constexpr DWORD FILE_PERSISTENT_ACLS = 0x00000008;
inline constexpr DWORD FILE_FILE_COMPRESSION = 0x00000010;
inline constexpr DWORD FILE_VOLUME_IS_COMPRESSED = 0x00008000;

// The volume that holds `root` (the current folder when null): the mounted
// device's name, a serial number from the file system's id, the longest
// file name, the flags above, and the file system's type ("ext4"). Every
// output may be null. FALSE with ERROR_PATH_NOT_FOUND when the root does
// not exist.
BOOL GetVolumeInformationA(LPCSTR root, LPSTR volume_name, DWORD volume_name_size, DWORD* serial,
                           DWORD* max_component_length, DWORD* flags, LPSTR file_system_name,
                           DWORD file_system_name_size);

// Suspends the thread; while the virtual clock is on, advances it instead.
void Sleep(DWORD milliseconds);

// There is no help viewer: WinHelpA always fails (ERROR_CALL_NOT_IMPLEMENTED).
inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_QUIT = 0x0002;
inline constexpr UINT HELP_HELPONHELP = 0x0004;
BOOL WinHelpA(HWND wnd, LPCSTR help_file, UINT command, ULONG_PTR data);

}  // namespace win

namespace plat {

// The processor's identification instruction: the four registers of one
// leaf. False (registers untouched) on processors without it.
bool cpuid(std::uint32_t leaf, std::uint32_t regs[4]);

}  // namespace plat
