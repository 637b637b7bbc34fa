// Fonts outside a drawing target's current font: a font defined by face
// name and point size for the screen or a target's device, the font-choice
// dialog that starts from the previous choice, and the query of a font's
// face, size and effects.
#pragma once

#include "platform/win_gdi.h"
#include "platform/win_window.h"
#include "toolkit/draw_target.h"

namespace toolkit {

// The worker: a non-zero stock index returns that stock font and nothing
// else; otherwise a font of the face (trailing blanks dropped, at most 31
// characters) with height -(points x vertical pixels per inch / 72) of the
// target's device (the screen's without a target or device), width
// horizontal pixels per inch / divisor (0 when the divisor is not
// positive), the angle in tenths of a degree, weight 700 when bold. On
// failure "CreateFontIndirect failed" and the system font.
win::HFONT C_DEFINE_FONT(const char* face, int face_length, int stock, int points, int italic,
                         int underline, int bold, int strike_out, int angle_tenths,
                         draw_target_t* target, int width_divisor, int* ups);
// "ANSI_FIXED_FONT", "ANSI_VAR_FONT" and "SYSTEM_FONT" (exactly, case
// counts) choose those stock fonts, any other name is a face; no name is
// the system font. Points default to 10, the angle (degrees) becomes
// tenths rounded to the nearest.
win::HFONT DEFINE_FONT(draw_target_t* target, const char* name, int name_length, const int* points,
                       const int* italic, const int* underline, const int* strike_out,
                       const int* bold, const float* angle, const int* width_divisor, int* ups);

// The font-choice dialog, owned by the window (the main window when none),
// starting from the previous choice. With a colour the user may choose
// colour, underline and strike-out, and the chosen colour comes back in
// it; with an angle the font is turned by it (degrees); with a printer
// target the sizes are the printer's. The title, when given, is the
// dialog's caption. The new font, or null when cancelled (no status).
win::HFONT CHOOSE_FONT(const win::HWND* owner, win::COLORREF* colour, const float* angle,
                       draw_target_t* target, const char* title, int title_length, const int* flags,
                       int* ups);
// The hook of the font dialog: gives it the caption CHOOSE_FONT asked for.
win::UINT_PTR FONT_DIALOG_HOOK(win::HWND dialog, win::UINT message, win::WPARAM wparam,
                               win::LPARAM lparam);

// The face (blank-padded), points (rounded), italic, underline and
// strike-out bytes, bold (weight above 600) and angle (degrees) of the
// given font, else of the target's current one.
void GET_FONT_DATA(const win::HFONT* font, draw_target_t* target, char* face, int face_length,
                   int* points, int* italic, int* underline, int* strike_out, int* bold,
                   float* angle, int* ups);

// Forgets the dialog's kept choice. For tests.
void reset_fonts();

}  // namespace toolkit
