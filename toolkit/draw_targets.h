// Drawing targets: bitmap drawing (off screen, into a given bitmap or the
// backing bitmap of a window or box, made on first use) and direct drawing
// (onto a window's or box's screen device); the validity check every draw
// routine makes first; the coordinate forms shared by all draw routines;
// the rectangle query. A target is open from a successful start routine to
// its end routine; every failed start leaves it closed (marker 0).
#pragma once

#include <string_view>

#include "toolkit/draw_target.h"
#include "toolkit/records.h"

namespace toolkit {

// Flag bit of a printer target (set by the printing routines).
inline constexpr std::int32_t kPrinterTarget = 2;

// The paint flag word of a window record (`direct_drawing`): a paint or a
// direct drawing holds the window's device; a refused one asked for a
// repaint; the status bar wants to be painted with the next paint.
inline constexpr std::uint8_t kPainting = 0x1;
inline constexpr std::uint8_t kStatusBarPaint = 0x4;
inline constexpr std::uint8_t kRepaintRequested = 0x10;

// The running print job's state word (0: running or none; 1: the user
// cancelled, the document is still open; 2: aborted) and its cancel
// dialog, both kept by the printing routines.
inline int print_job_state = 0;
inline win::HWND print_cancel_dialog = nullptr;

void START_BITMAP_DRAW(const win::HBITMAP* bitmap, const win::HWND* window, box_record_t* box,
                       draw_target_t& target, int* ups);
void END_BITMAP_DRAW(draw_target_t& target, int* ups);
void START_DIRECT_DRAW(const win::HWND* window, box_record_t* box, draw_target_t& target, int* ups);
void END_DIRECT_DRAW(draw_target_t& target, int* ups);

// The status of a drawing call on a printer target whose job the user
// cancelled: no failure, and nothing to say.
inline constexpr int kPrintCancelled = 0x50000;

// True (after reporting "Invalid argument 'ups' passed to: " and the
// routine's name) when the target is not open. A printer target whose job
// the user cancelled sets ups to kPrintCancelled (aborting the job once)
// and still counts as valid.
bool CHECK_STATUS_ARGUMENT(int* ups, draw_target_t& target, std::string_view routine);
// Selects the stock objects back into the target's device, deletes the
// target's pen, brush and font, and closes the target.
void RELEASE_DRAW_OBJECTS(draw_target_t& target);

// Left, top, right, bottom of the target's bounds, a bitmap, a window (its
// screen rectangle with bit 0 of the whole-window flag, else its client
// area), a box's client rectangle, or the desktop's client area.
void GET_RECT(draw_target_t* target, const win::HWND* window, box_record_t* box,
              const win::HBITMAP* bitmap, const int* whole_window, win::RECT& rect, int* ups);
// A window's client area less its status bar and toolbar (the desktop's
// without a window); true on success.
bool GET_CLIENT_AREA(win::HWND window, win::RECT& rect);

// Fills the target's resolution fields on first need (any of them 0).
void GET_TARGET_RESOLUTION(draw_target_t& target);

// A pixel coordinate truncated toward zero from a real, limited to the
// integers (0 for NaN).
int truncated(double value);
// A fraction of the target's width or height as a pixel coordinate:
// left + f x (right - left), truncated toward zero.
int fraction_x(const draw_target_t& target, float f);
int fraction_y(const draw_target_t& target, float f);

}  // namespace toolkit
