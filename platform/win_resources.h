// Pictures of the Windows-style interface: icons and bitmaps from a
// resource table compiled into the program (the system's icons are drawn by
// our code; the program adds its own pictures), and the caret. The system
// cursors and the beep are in win_cursor.h.
#pragma once

#include <cairo.h>

#include <functional>
#include <string_view>

#include "platform/win_cursor.h"

namespace win {

inline const LPCSTR IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDI_HAND = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline const LPCSTR IDI_ASTERISK = MAKEINTRESOURCEA(32516);

// With a null module the system's pictures, else the program's; a name is
// a text (case does not matter, "#123" is number 123) or a number. Null,
// with ERROR_RESOURCE_NAME_NOT_FOUND, when there is no such picture. The
// same icon gives the same handle every time; it is never freed.
HICON LoadIconA(HINSTANCE module, LPCSTR name);
// A new bitmap (DeleteObject frees it).
HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);

// The caret: one per program, in one window. It is not part of the
// window's pixels; a display draws it over them (see plat::caret_rect).
BOOL CreateCaret(HWND wnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND wnd);
BOOL HideCaret(HWND wnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* pt);

}  // namespace win

namespace plat {

// The program's own pictures, drawn on demand at the given size. `id`
// names a numbered resource, `name` a named one (one of the two, the other
// 0 or empty).
enum class ResourceKind { icon, bitmap };
using PictureDrawer = std::function<void(cairo_t* cr, int width, int height)>;
void add_picture_resource(ResourceKind kind, int id, std::string_view name, int width, int height,
                          PictureDrawer draw);

// The image of an icon (ARGB, premultiplied); null for an unknown handle.
cairo_surface_t* icon_image(win::HICON icon);
// The caret's window and its rectangle in that window's client area; false
// when no caret shows.
bool caret_rect(win::HWND* wnd, win::RECT* r);

}  // namespace plat
