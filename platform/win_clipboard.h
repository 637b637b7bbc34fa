// Global memory blocks and the clipboard of the Windows-style interface.
//
// A global block is known by its handle; GlobalLock gives its bytes, which
// stay where they are until GlobalReAlloc or GlobalFree. The clipboard is a
// store inside the program: a block handed to SetClipboardData belongs to
// the clipboard from then on. A display may connect the store to its own
// clipboard (plat::clipboard_text and plat::set_clipboard_text).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace win {

using HGLOBAL = HANDLE;
using SIZE_T = std::size_t;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GMEM_DDESHARE = 0x2000;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Null with ERROR_NOT_ENOUGH_MEMORY when the block cannot be had, or with
// ERROR_INVALID_HANDLE for an unknown handle.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
void* GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
// Null on success, the block when it could not be freed.
HGLOBAL GlobalFree(HGLOBAL block);

inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_DIB = 8;

// The owner window is optional. The clipboard is open for one caller at a
// time; EmptyClipboard and SetClipboardData need it open
// (ERROR_CLIPBOARD_NOT_OPEN otherwise).
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE data);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);

}  // namespace win

namespace plat {

// The clipboard's text (CF_TEXT, Windows-1252), empty when it has none; a
// display that owns the clipboard puts text in. Changing the store tells
// the back end (clipboard_changed).
std::string clipboard_text();
void set_clipboard_text(std::string_view text);

}  // namespace plat
