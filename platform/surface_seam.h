// The seam between the window side of the platform layer (window tree,
// back ends) and the drawing side (device contexts and GDI objects).
//
// Every window's pixels live in a Cairo image surface (CAIRO_FORMAT_RGB24)
// owned by the window side. The drawing side makes device contexts over such
// a surface; the window side asks for one in GetDC, GetWindowDC and
// BeginPaint, and gives it back in ReleaseDC and EndPaint.
#pragma once

#include <cairo.h>

#include "platform/win_types.h"

namespace win::seam {

// Drawing side: a device context drawing into `surface` with its logical
// point (0,0) at (origin_x, origin_y) of the surface and every pixel clipped
// to `clip` (surface coordinates). `owner` is the window the context belongs
// to (WindowFromDC), or null for a memory surface.
HDC make_surface_dc(cairo_surface_t* surface, int origin_x, int origin_y, const RECT& clip,
                    HWND owner);
// Drawing side: ends such a context; its selected objects go back to their
// owners, the surface is flushed.
void free_surface_dc(HDC dc);

// Window side: the surface that holds the window's pixels, with the window's
// client origin in it and the part of the surface where the window may draw
// (the client area clipped by the parents), in surface coordinates. With
// whole_window set the origin and clip cover the non-client area too.
// Null when the window is not valid.
cairo_surface_t* window_surface(HWND wnd, bool whole_window, POINT* origin, RECT* clip);

}  // namespace win::seam
