// The clipboard of the Windows-style interface: a store inside the program
// of global memory blocks (win_global_memory.h) by format. A block handed
// to SetClipboardData belongs to the clipboard from then on. A display may
// connect the store to its own clipboard (plat::clipboard_data and
// plat::set_clipboard_data); what another program put there is brought in
// when the program reads the clipboard, once each time it is opened.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win_global_memory.h"

namespace win {

inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_DIB = 8;

// The owner window is optional. The clipboard is open for one caller at a
// time; EmptyClipboard, SetClipboardData and GetClipboardData need it open
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

// The clipboard's block of a format as bytes (a text without its NUL);
// false when it has none. set_clipboard_data replaces the whole store by
// the blocks given (a text gets its NUL) without telling the back end: a
// display puts another program's data in so.
bool clipboard_data(win::UINT format, std::string* bytes);
void set_clipboard_data(const std::vector<std::pair<win::UINT, std::string>>& blocks);

}  // namespace plat
