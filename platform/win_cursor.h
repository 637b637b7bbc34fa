// The mouse cursor and the beep of the Windows-style interface.
//
// The cursors are the system's own shapes (IDC_xxx); a cursor handle is the
// shape's number, so it stays valid for the whole program and needs no
// freeing. The back end in force shows the cursor over the program's
// windows and sounds the beep; the headless one does neither.
#pragma once

#include "platform/win_window.h"

namespace win {

inline LPCSTR MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}

inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDC_WAIT = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDC_CROSS = MAKEINTRESOURCEA(32515);
inline const LPCSTR IDC_UPARROW = MAKEINTRESOURCEA(32516);
inline const LPCSTR IDC_SIZENWSE = MAKEINTRESOURCEA(32642);
inline const LPCSTR IDC_SIZENESW = MAKEINTRESOURCEA(32643);
inline const LPCSTR IDC_SIZEWE = MAKEINTRESOURCEA(32644);
inline const LPCSTR IDC_SIZENS = MAKEINTRESOURCEA(32645);
inline const LPCSTR IDC_SIZEALL = MAKEINTRESOURCEA(32646);
inline const LPCSTR IDC_NO = MAKEINTRESOURCEA(32648);
inline const LPCSTR IDC_HAND = MAKEINTRESOURCEA(32649);
inline const LPCSTR IDC_APPSTARTING = MAKEINTRESOURCEA(32650);
inline const LPCSTR IDC_HELP = MAKEINTRESOURCEA(32651);

inline constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
inline constexpr DWORD ERROR_INVALID_CURSOR_HANDLE = 1402;

// A system cursor (instance null, name one of IDC_xxx); null with
// ERROR_RESOURCE_NAME_NOT_FOUND for anything else.
HCURSOR LoadCursorA(HINSTANCE inst, LPCSTR name);
// Shows the cursor (null hides it) and returns the one shown before.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The beep of a message-box type (MB_OK, MB_ICONxxx) or 0xFFFFFFFF.
BOOL MessageBeep(UINT type);

}  // namespace win

namespace win::detail {

// What DefWindowProcA does with WM_SETCURSOR in a top-level window: the
// class cursor of the window under the mouse (wp) over a client area, the
// arrow elsewhere. Returns FALSE (the message goes on being the default).
LRESULT set_default_cursor(WPARAM wp, LPARAM lp);
void reset_cursor();

}  // namespace win::detail
