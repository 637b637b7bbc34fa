// The drawing primitives on an open drawing target: the target's pen, brush
// and font, text with wrapping, rotation and formats, lines, polylines,
// polygons, Bezier curves, chords, rectangles and stretched bitmaps; and
// the brush, text-metric and device-capability queries that need no
// target. Every routine checks its target first and does nothing else when
// it is not open; all arguments but the target are optional (null).
//
// Coordinates come as 4-byte reals (fractions of the target's extent) or
// as integer pixels; each routine says which form wins. Colours are RGB
// values 0x00BBGGRR. Pens, brushes and fonts made here belong to the
// target: each replaces and deletes the previous one, and all go when the
// drawing ends. The recordable routines take part in auto-paint.
#pragma once

#include "platform/win_gdi.h"
#include "toolkit/draw_target.h"

namespace toolkit {

// Colour (the window-text colour when absent); style (solid; end caps and
// joins make the pen geometric; a dashed style forces width 1); width, the
// first given of: a fraction of the target's mean extent, pixels, inches,
// millimetres (1 pixel when none).
void NEW_PEN(draw_target_t& target, const win::COLORREF* colour, const int* style,
             const float* width_fraction, const int* width_pixels, const float* width_inches,
             const float* width_millimetres, int* ups);
// Colour (the window colour when absent), style (solid), hatch (4).
void NEW_BRUSH(draw_target_t& target, const win::COLORREF* colour, const int* style,
               const int* hatch, int* ups);
// A stock font by name ("ANSI_FIXED_FONT", "ANSI_VAR_FONT", "SYSTEM_FONT",
// case ignored) or a face; without a name the target's current font is
// changed. Points (10), angle in degrees, width divisor.
void NEW_FONT(draw_target_t& target, const char* name, int name_length, const int* points,
              const int* italic, const int* underline, const int* strike_out, const int* bold,
              const float* angle, const int* width_divisor, int* ups);
// Text at (x, y) (the real form wins; the current point where neither is
// given; the end of the previous text with the continue flag), in the
// colours and font given; background 0xFFFFFFFF is transparent. With a
// format (1 centre, 2 right, 4 vertical centre, 8 bottom, 32 single line,
// 128 expand tabs) the text is formatted between x and the right bound.
void WRITE_TEXT(draw_target_t& target, const char* text, int text_length, const float* x,
                const float* y, const int* x_pixels, const int* y_pixels,
                const win::COLORREF* colour, const win::COLORREF* background,
                const win::HFONT* font, const int* continue_flag, const int* format,
                const int* tab_size, const int* left_margin, const int* right_margin,
                const float* angle, win::POINT* start_point, win::POINT* current_position,
                int* lines, int* characters_written, int* ups);
// The text's width and height as fractions of the target (two reals) and
// in pixels (two integers).
void GET_TEXT_EXTENT(draw_target_t& target, const char* text, int text_length,
                     const win::HFONT* font, float* extent_fraction, int* extent_pixels, int* ups);
// A line from the start point (the integer form wins; the current point
// when neither) to the end point, which becomes the current point.
void DRAW_LINE(draw_target_t& target, const float* x, const float* y, const float* x_start,
               const float* y_start, const int* x_pixels, const int* y_pixels,
               const int* x_start_pixels, const int* y_start_pixels, win::POINT* start_point,
               win::POINT* end_point, int* ups);

// The polyline family's members: `count` points, as reals mapped from the
// user window (x0, y0)-(x1, y1) (default 0, 0, 1, 1) onto the bounds when
// the use-real flag is set, else as integer pixels. A user window of zero
// width or height is refused.
void C_DRAW_POLYLINE(draw_target_t& target, const float* points, const int* count, const float* x0,
                     const float* y0, const float* x1, const float* y1, const int* pixel_points,
                     const int* use_real, int* ups);
void C_DRAW_POLYGON(draw_target_t& target, const float* points, const int* count, const float* x0,
                    const float* y0, const float* x1, const float* y1, const int* pixel_points,
                    const int* use_real, int* ups);
void C_DRAW_POLY_BEZIER(draw_target_t& target, const float* points, const int* count,
                        const float* x0, const float* y0, const float* x1, const float* y1,
                        const int* pixel_points, const int* use_real, int* ups);
// Interface forms: the points as (x, y) pairs, `points_count` real pairs or
// `pixel_count` integer pairs (the real ones win).
void DRAW_POLYLINE(draw_target_t& target, const float* points, int points_count, const float* x0,
                   const float* y0, const float* x1, const float* y1, const int* pixel_points,
                   int pixel_count, int* ups);
void DRAW_POLYGON(draw_target_t& target, const float* points, int points_count, const float* x0,
                  const float* y0, const float* x1, const float* y1, const int* pixel_points,
                  int pixel_count, int* ups);
void DRAW_POLY_BEZIER(draw_target_t& target, const float* points, int points_count, const float* x0,
                      const float* y0, const float* x1, const float* y1, const int* pixel_points,
                      int pixel_count, int* ups);

// A chord of the ellipse in (x1, y1)-(x2, y2) from the radial through the
// start point to that through the end point (each value's integer form
// wins). Outputs: the rectangle, the start and end point used.
void DRAW_CHORD(draw_target_t& target, const float* x1, const float* y1, const float* x2,
                const float* y2, const float* x_start, const float* y_start, const float* x_end,
                const float* y_end, const int* x1_pixels, const int* y1_pixels,
                const int* x2_pixels, const int* y2_pixels, const int* x_start_pixels,
                const int* y_start_pixels, const int* x_end_pixels, const int* y_end_pixels,
                win::RECT* rect, win::POINT* start_point, win::POINT* end_point, int* ups);
// A rectangle (the real form wins); an absent second corner coordinate
// makes a physical square; a corner size rounds the corners.
void DRAW_RECTANGLE(draw_target_t& target, const float* x1, const float* y1, const float* x2,
                    const float* y2, const float* corner, const int* x1_pixels,
                    const int* y1_pixels, const int* x2_pixels, const int* y2_pixels,
                    const int* corner_pixels, win::RECT* rect, int* ups);
// The bitmap (its source rectangle, else all of it) stretched onto the
// bounds, each side replaced by the real (wins) or the integer form;
// scaling 1 keeps the physical aspect, 2 the physical size, 3 one pixel per
// pixel.
void DRAW_BITMAP(draw_target_t& target, win::HBITMAP bitmap, const win::RECT* source,
                 const int* scaling, const float* x1, const float* y1, const float* x2,
                 const float* y2, const int* x1_pixels, const int* y1_pixels, const int* x2_pixels,
                 const int* y2_pixels, int* ups);

// A brush (white, solid, hatch 4 by default) that no target owns.
win::HBRUSH CREATE_BRUSH(const win::COLORREF* colour, const int* style, const int* hatch, int* ups);
// The metrics of the font (the current one when absent) on the target's
// device, else the screen's.
void GET_TEXT_METRICS(win::TEXTMETRICA& metrics, draw_target_t* target, const win::HFONT* font,
                      int* ups);
// A capability of the target's device, else of the screen.
int GET_DEVICE_CAPS(int index, draw_target_t* target, int* ups);

// Forgets NEW_FONT's kept description. For tests.
void reset_draw();

}  // namespace toolkit
