// Files, folders, directory listings and file times of the Windows-style
// interface, over the Linux file system. Names arrive as Windows-1252 texts
// (a "\" counts as a path separator) and are UTF-8 on disk; names handed
// back are Windows-1252 again (platform/file_names.h).
//
// A handle from CreateFileA is a number of the platform's kernel-object
// table (files, serial ports, directory searches, processes), closed with
// CloseHandle. Sharing is kept among the handles of this process: an open
// is refused (ERROR_SHARING_VIOLATION) when an open handle of the same file
// does not share what the new one wants, or the new one does not share
// what an open handle does; a file open without FILE_SHARE_DELETE cannot be
// deleted. The names "\\.\COMn" and "COMn" open serial ports (win_comm.h).
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace win {

inline constexpr int MAX_PATH = 260;
inline const HANDLE INVALID_HANDLE_VALUE =
    reinterpret_cast<HANDLE>(~static_cast<std::uintptr_t>(0));

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD GENERIC_ALL = 0x10000000;

inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
// A folder can be opened (for its times) only with this flag.
inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
inline constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

inline constexpr DWORD ERROR_INVALID_FUNCTION = 1;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_NO_MORE_FILES = 18;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_HANDLE_EOF = 38;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
inline constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
inline constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
inline constexpr DWORD ERROR_ENVVAR_NOT_FOUND = 203;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_DIRECTORY = 267;

// Files -----------------------------------------------------------------------

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD creation,
                   DWORD flags, HANDLE template_file);
// Reads up to `count` bytes; 0 read at the end of a file is success.
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped);
// Moves the file pointer; with `high` the distance and the result are
// 64-bit (high word through `high`). INVALID_SET_FILE_POINTER on failure.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD method);
// Closes any kernel object: file, serial port, search, process or thread.
BOOL CloseHandle(HANDLE object);

// Folders and names -----------------------------------------------------------

BOOL CreateDirectoryA(const char* path, void* security);
BOOL DeleteFileA(const char* path);
// A folder that does not exist gives ERROR_FILE_NOT_FOUND.
BOOL SetCurrentDirectoryA(const char* path);
// The current folder; the length written, or the size needed (with the
// NUL) when the buffer is too small.
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
// Copies the bytes of a file and its last write time; an existing target
// is replaced unless `fail_if_exists`. A file copied onto itself gives
// ERROR_SHARING_VIOLATION and is left as it was.
BOOL CopyFileA(const char* existing, const char* target, BOOL fail_if_exists);
// The temporary folder (TMPDIR, else /tmp) with a closing "/"; the length
// written, or the size needed (with the NUL) when the buffer is too small.
DWORD GetTempPathA(DWORD size, char* buffer);
// Fills `name` (MAX_PATH bytes) with the folder, the first three
// characters of the prefix, four hexadecimal digits and ".TMP". With
// `unique` 0 a number is chosen whose file did not exist and the file is
// created empty; otherwise the name is only made. Returns the number used,
// 0 on failure.
UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique, char* name);

// File times: 100-nanosecond units since 1601-01-01 UTC ----------------------

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};
struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;  // 0 = Sunday
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};
// A creation time that the file system does not keep reads as the last
// write time and is not changed by SetFileTime. A null or zero time is
// left as it is.
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* access, FILETIME* write);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write);
BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time);
// Refuses a date outside 1601..30827 or a field out of its range
// (ERROR_INVALID_PARAMETER); the day of the week is not read.
BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, FILETIME* file_time);
// Universal and local time, by the local time zone's rules at that instant
// (the offset in force then, daylight saving included).
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);
BOOL SystemTimeToTzSpecificLocalTime(const void* zone, const SYSTEMTIME* utc, SYSTEMTIME* local);

// The time zone: Bias is the offset in force now (UTC = local + Bias, in
// minutes); the zone's rules are not described, so the answer is
// TIME_ZONE_ID_UNKNOWN with both extra biases 0.
struct TIME_ZONE_INFORMATION {
  LONG Bias = 0;
  char16_t StandardName[32] = {};
  SYSTEMTIME StandardDate;
  LONG StandardBias = 0;
  char16_t DaylightName[32] = {};
  SYSTEMTIME DaylightDate;
  LONG DaylightBias = 0;
};
inline constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone);

// Directory searches ---------------------------------------------------------

// 320 bytes, as the searches hand it out.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes = 0;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh = 0;
  DWORD nFileSizeLow = 0;
  DWORD dwReserved0 = 0;
  DWORD dwReserved1 = 0;
  char cFileName[MAX_PATH] = {};
  char cAlternateFileName[14] = {};
};

// The pattern is a folder (optional) and a name with "*" and "?"; case is
// ignored, "*.*" matches every name and "*." the names without a dot; "."
// and ".." come first, the other names in case-blind order. Nothing
// matching: ERROR_FILE_NOT_FOUND; no such folder: ERROR_PATH_NOT_FOUND.
// Attributes: FILE_ATTRIBUTE_DIRECTORY for a folder, else ARCHIVE;
// READONLY when the owner may not write; HIDDEN for a name beginning with
// "." (but "." and ".."). The creation time is the birth time where the
// file system keeps one, else the last write.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
// FALSE with ERROR_NO_MORE_FILES after the last name.
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE search);

}  // namespace win

namespace plat {

// Whether a name matches a search pattern by the rules of FindFirstFileA.
bool find_pattern_matches(const char* pattern, const char* name);

}  // namespace plat
