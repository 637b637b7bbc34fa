// Shared libraries of the Windows-style interface, on the dynamic loader.
//
// A library handle is the loader's own handle: an address of 64 bits, not a
// small number like the other handles. LoadLibraryA tries the name as it is
// written; a name ending in ".dll" (any case) is also tried as
// "lib<name>.so" and "<name>.so" in the same folder. Each successful load
// is counted, and FreeLibrary releases only a handle that still has loads
// to release, so a handle can never be closed more often than it was
// opened. A failed load sets the last-error word to ERROR_MOD_NOT_FOUND, a
// failed look-up to ERROR_PROC_NOT_FOUND, and both keep the loader's text,
// which FormatMessageA gives for that code.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace win {

using FARPROC = void (*)();

inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;

HMODULE LoadLibraryA(const char* file);
FARPROC GetProcAddress(HMODULE module, const char* name);
// False (ERROR_INVALID_HANDLE) for a handle with no load left to release.
BOOL FreeLibrary(HMODULE module);
// Only the program's own module is known (name null); it is never freed.
HMODULE GetModuleHandleA(const char* name);

// The system's text for an error code (FORMAT_MESSAGE_FROM_SYSTEM; source,
// language and arguments are not used): at most size - 1 characters and a
// NUL go into the buffer; returns the number of characters written, 0 when
// nothing fits.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD code, DWORD language, char* buffer,
                     DWORD size, void* arguments);

// A library handle as the 64-bit number that scripts keep, and back.
inline std::uint64_t module_value(HMODULE h) { return reinterpret_cast<std::uintptr_t>(h); }
inline HMODULE module_from(std::uint64_t v) {
  return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(v));
}

}  // namespace win

namespace plat {

// Loads that have not been released yet, over all handles (for tests).
int library_loads();

}  // namespace plat
