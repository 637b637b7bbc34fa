// Pictures of the Windows-style interface: cursors, icons and bitmaps from
// a resource table compiled into the program (the system's own cursors and
// icons are drawn by our code; the program adds its own pictures), the
// cursor shown, the caret, and the message beep.
#pragma once

#include <cairo.h>

#include <functional>
#include <string_view>

#include "platform/win_types.h"

namespace win {

// A resource number passed where a resource name is expected.
inline const char* MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}

inline const char* const IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const char* const IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline const char* const IDC_WAIT = MAKEINTRESOURCEA(32514);
inline const char* const IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline const char* const IDI_HAND = MAKEINTRESOURCEA(32513);
inline const char* const IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline const char* const IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline const char* const IDI_ASTERISK = MAKEINTRESOURCEA(32516);

// With a null module the system's pictures, else the program's; a name is
// a text (case does not matter, "#123" is number 123) or a number. Null,
// with ERROR_RESOURCE_NAME_NOT_FOUND, when there is no such picture. The
// same picture gives the same handle every time; it is never freed.
HCURSOR LoadCursorA(HINSTANCE module, const char* name);
HICON LoadIconA(HINSTANCE module, const char* name);
// A new bitmap (DeleteObject frees it).
HBITMAP LoadBitmapA(HINSTANCE module, const char* name);

// The cursor shown over the program's windows; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The caret: one per program, in one window. It is not part of the
// window's pixels; a display draws it over them (see plat::caret_rect).
BOOL CreateCaret(HWND wnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND wnd);
BOOL HideCaret(HWND wnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* pt);

// The sound of a message box of this type (MB_ICONxxx, 0 or 0xFFFFFFFF).
BOOL MessageBeep(UINT type);

}  // namespace win

namespace plat {

// The program's own pictures, drawn on demand at the given size (cursors
// with their hot spot). `id` names a numbered resource, `name` a named one
// (one of the two, the other 0 or empty).
enum class ResourceKind { cursor, icon, bitmap };
using PictureDrawer = std::function<void(cairo_t* cr, int width, int height)>;
void add_picture_resource(ResourceKind kind, int id, std::string_view name, int width, int height,
                          PictureDrawer draw, win::POINT hot_spot = {});

// The image of a cursor or icon (ARGB, premultiplied) and a cursor's hot
// spot; null for an unknown handle.
cairo_surface_t* picture_image(std::uint32_t handle, win::POINT* hot_spot = nullptr);
// The caret's window and its rectangle in that window's client area; false
// when no caret shows.
bool caret_rect(win::HWND* wnd, win::RECT* r);
// Message beeps since the last reset, for tests.
int beep_count();

}  // namespace plat
