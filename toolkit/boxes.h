// Boxes: rectangular panes inside a window's client area that the toolkit
// draws and scrolls as small windows of their own (background, text colour,
// font, frame, scroll bars, a scrolled file, a backing bitmap, paint and
// scroll callbacks). A box is no system window: its record is its identity,
// and only boxes that are alive pass the box check.
//
// Each edge is a fraction of the window's usable client area (the client
// area less the status bar and toolbar) or a pixel position; an absent
// fraction is -1.0, an absent pixel value -1, and a fraction wins.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/helpers.h"
#include "toolkit/records.h"

namespace toolkit {

// Interface form: every argument but the file name is optional (null =
// absent); the window defaults to the main window, fractions are clamped
// to 0.0 .. 1.0, and file units are refused.
box_record_t* DEFINE_BOX(const win::HWND* window, const int* style, const char* file_name,
                         int file_name_length, const int* unit, const float* left_fraction,
                         const float* top_fraction, const float* right_fraction,
                         const float* bottom_fraction, const int* left, const int* top,
                         const int* right, const int* bottom, const win::HBRUSH* brush,
                         const win::COLORREF* text_colour, const win::HFONT* font,
                         const win::HBRUSH* frame_brush, paint_callback paint,
                         scroll_callback scroll, const win::HBITMAP* bitmap, int* ups);
int REDEFINE_BOX(box_record_t* box, const int* style, const char* file_name, int file_name_length,
                 const int* unit, const float* left_fraction, const float* top_fraction,
                 const float* right_fraction, const float* bottom_fraction, const int* left,
                 const int* top, const int* right, const int* bottom, const win::HBRUSH* brush,
                 const win::COLORREF* text_colour, const win::HFONT* font,
                 const win::HBRUSH* frame_brush, paint_callback paint, scroll_callback scroll,
                 const win::HBITMAP* bitmap, const int* remove_paint, const int* remove_scroll,
                 int* ups);
// Destroys the box and sets the caller's box to null.
int DESTROY_BOX(box_record_t*& box, int* ups);

// Workers: absent numbers are -1, fractions -1.0, handles absent_handle(),
// the text colour kAbsentColour, callbacks null. A frame brush of null means
// no frame, an absent one the system window-frame colour.
box_record_t* C_DEFINE_BOX(win::HWND window, int style, const char* file_name, int file_name_length,
                           int unit, float left_fraction, float top_fraction, float right_fraction,
                           float bottom_fraction, int left, int top, int right, int bottom,
                           win::HBRUSH brush, win::COLORREF text_colour, win::HFONT font,
                           win::HBRUSH frame_brush, paint_callback paint, scroll_callback scroll,
                           win::HBITMAP bitmap, int* ups);
int C_REDEFINE_BOX(box_record_t* box, int style, const char* file_name, int file_name_length,
                   int unit, float left_fraction, float top_fraction, float right_fraction,
                   float bottom_fraction, int left, int top, int right, int bottom,
                   win::HBRUSH brush, win::COLORREF text_colour, win::HFONT font,
                   win::HBRUSH frame_brush, paint_callback paint, scroll_callback scroll,
                   win::HBITMAP bitmap, int remove_paint, int remove_scroll, int* ups);
int C_DESTROY_BOX(box_record_t*& box, int* ups);

void DESTROY_BOX_SCROLL_BARS(box_record_t& box);
void DESTROY_VERTICAL_SCROLL_BAR(box_record_t& box);
void DESTROY_HORIZONTAL_SCROLL_BAR(box_record_t& box);

// True for a live box; otherwise "Invalid box argument passed to: " and the
// routine's name is reported. A dead or foreign box is never read.
bool CHECK_BOX_ARGUMENT(const box_record_t* box, std::string_view routine, int* ups);

// Places the box in its window's usable client area.
void LAYOUT_BOX(box_record_t& box);
void LAYOUT_BOXES(win::HWND window);

// Forgets every live box. For tests.
void reset_boxes();

}  // namespace toolkit
