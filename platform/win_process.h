// The environment and child processes of the Windows-style interface.
// Names and values are Windows-1252 inside and UTF-8 in the environment.
//
// CreateProcessA runs a program without a shell: the command line is split
// into arguments by the classic rules (see plat::split_command_line), the
// first naming the program, looked up on PATH. Every child is reaped as
// soon as it ends, whether or not anyone waits for it or closes its
// handles, so none is left behind.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace win {

// The length copied (without the NUL); the size needed (with the NUL) when
// the buffer is too small, which is then left as it was; 0 with
// ERROR_ENVVAR_NOT_FOUND when there is no such variable.
DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size);
// A null value removes the variable.
BOOL SetEnvironmentVariableA(const char* name, const char* value);

struct STARTUPINFOA {
  DWORD cb = sizeof(STARTUPINFOA);
  char* lpReserved = nullptr;
  char* lpDesktop = nullptr;
  char* lpTitle = nullptr;
  DWORD dwX = 0, dwY = 0, dwXSize = 0, dwYSize = 0;
  DWORD dwXCountChars = 0, dwYCountChars = 0, dwFillAttribute = 0;
  DWORD dwFlags = 0;
  WORD wShowWindow = 0;
  WORD cbReserved2 = 0;
  BYTE* lpReserved2 = nullptr;
  HANDLE hStdInput = nullptr, hStdOutput = nullptr, hStdError = nullptr;
};
struct PROCESS_INFORMATION {
  HANDLE hProcess = nullptr;
  HANDLE hThread = nullptr;
  DWORD dwProcessId = 0;
  DWORD dwThreadId = 0;
};

// The program is `application` when given, else the first argument of the
// command line; `folder` (optional) is the child's current folder. A
// program that cannot be found gives ERROR_FILE_NOT_FOUND. The process and
// its thread handle both stand for the child.
BOOL CreateProcessA(const char* application, char* command_line, void* process_security,
                    void* thread_security, BOOL inherit_handles, DWORD creation_flags,
                    void* environment, const char* folder, STARTUPINFOA* startup,
                    PROCESS_INFORMATION* info);

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD STILL_ACTIVE = 259;

// Waits for a process (or its thread) to end, at most `milliseconds`.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// STILL_ACTIVE while it runs; then its exit status (128 + the signal that
// ended it).
BOOL GetExitCodeProcess(HANDLE process, DWORD* code);

}  // namespace win

namespace plat {

// A command line split into arguments: blanks and tabs separate them; a
// quote starts or ends a quoted part, in which blanks are kept and two
// quotes give one; 2n backslashes before a quote give n and the quote
// acts, 2n+1 give n and a quote taken as it is; other backslashes stay.
// The first argument, the program, ends at the next blank or, when it
// starts with a quote, at the next quote, without backslash rules.
std::vector<std::string> split_command_line(std::string_view line);

}  // namespace plat
