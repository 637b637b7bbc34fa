// Pen-plotter style drawing in plot units over the device layer: open and
// close a plot, move or draw the pen with an origin and a clipping window,
// pen functions, segments, and symbols and texts in the built-in stroke
// font (plot/strokefont.h). Every device action is a numbered device
// operation (plot/plotdev.h) handed over by UQINIT.
//
// A coordinate of exactly 999 stands for the current one. Pen codes of
// PLOT: 2 (or -2) draws, 9 records the end of a segment without drawing
// it, any other moves; 0 or negative also makes the point the new origin.
#pragma once

#include <cstdint>
#include <string_view>

namespace plot {

// Error codes handed to UQERR.
namespace plterr {
inline constexpr std::int32_t notopen = 1;
inline constexpr std::int32_t reopened = 3;
inline constexpr std::int32_t segmentopen = 22;
inline constexpr std::int32_t nosegment = 23;
}  // namespace plterr

// A coordinate that stands for the current one.
inline constexpr float sameas = 999.0F;
// The user window that means no clipping.
inline constexpr float nowindow = 99999.0F;

void PLOTS(std::int32_t device);
void PLOTE();
void PLOT(float x, float y, std::int32_t pen);
void ORIG(float x, float y);
void WHEREP(float& x, float& y);
void UPWINDOW(float xmin, float xmax, float ymin, float ymax);
void PLTFNC(std::int32_t code, std::int32_t value, std::int32_t& error);
// A symbol (n -1 or -2 stroked and centred on the point, n -2 and -4 with
// a line to it, n -3 and below the device font's character; the symbol
// number is the code of the text's first character) or a text of n
// characters (n >= 0) at height/10 plot units. Angle: 0..359 left-aligned
// in that direction, +360 centred on the point, +720 ending at it.
void SYMBOL(float x, float y, float height, std::string_view text, float angle, std::int32_t n);
// One stroked character of code 1..125 (else only the advance of 7
// units). Mode 0 draws and advances, 1 draws centred on the pen and stays,
// -1 steps back one advance, -2 steps forward one gap.
void UQCHAR(std::int32_t code, float h, float angle, std::int32_t mode);
// Clips the segment p0-p1 to the window (x min, x max, y min, y max) in
// place; moved becomes true when p0 was moved; invisible when nothing of
// the segment lies inside.
void UQCUT(float p0[2], float p1[2], const float window[4], bool& moved, bool& invisible);
void GOSOPN(std::int32_t n);
void GOSCLS();
void GOSOPR(std::int32_t segment, std::int32_t function, std::int32_t value);
// Clears the error word and carries out the device operation unless the
// plot is suspended.
void UQINIT(std::int32_t op);
// The error hook: does nothing.
void UQERR(std::int32_t code);

// A device in place of UQMODX (null: the device layer). For tests.
inline void (*devicehook)(std::int32_t op) = nullptr;

}  // namespace plot
