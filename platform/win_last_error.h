// The thread's last-error word of the Windows-style interface: every
// platform call that fails sets it, with the classic numbers where callers
// test them; a call that succeeds leaves it as it was.
#pragma once

#include "platform/win_types.h"

namespace win {

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr DWORD ERROR_INVALID_MENU_HANDLE = 1401;
inline constexpr DWORD ERROR_INVALID_ACCEL_HANDLE = 1403;
inline constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
inline constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
inline constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
inline constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
inline constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;
inline constexpr DWORD ERROR_CHILD_WINDOW_MENU = 1436;
inline constexpr DWORD ERROR_TIMEOUT = 1460;

DWORD GetLastError();
void SetLastError(DWORD code);
// Sets the last error that stands for a system error number (errno).
void SetLastErrorFromErrno(int error);

}  // namespace win
