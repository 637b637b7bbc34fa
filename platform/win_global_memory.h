// Global memory of the Windows-style interface: blocks reached through a
// handle, locked to get their address. The clipboard and the printer
// settings (DEVMODEA, DEVNAMES) travel in such blocks.
//
// A handle is a small number of the platform's own table, whatever the
// flags; a block's address stays put while it is locked and may change when
// it is re-allocated. New memory is always zeroed.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace win {

using HGLOBAL = HANDLE;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_DDESHARE = 0x2000;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

inline constexpr DWORD ERROR_NOT_LOCKED = 158;

// Null with ERROR_NOT_ENOUGH_MEMORY when the memory cannot be had.
HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
// Keeps the contents up to the new size; what is added is zero.
HGLOBAL GlobalReAlloc(HGLOBAL mem, std::size_t bytes, UINT flags);
void* GlobalLock(HGLOBAL mem);
// Non-zero while the block stays locked; 0 when this was its last lock
// (last error 0) or it was not locked (ERROR_NOT_LOCKED).
BOOL GlobalUnlock(HGLOBAL mem);
// Null when freed; the handle again when it is not a block.
HGLOBAL GlobalFree(HGLOBAL mem);
std::size_t GlobalSize(HGLOBAL mem);

}  // namespace win
