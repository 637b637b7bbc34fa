// The plot device layer: the bottom of the plotting stack. The pen-plotter
// primitives (plot/penplot.h) express everything as numbered device
// operations on `plotcom`; this layer carries them out with the toolkit's
// drawing calls on the current plot device `plotdev`: the backing bitmap of
// the current window, or a printer page. It also offers the direct entries
// of the plot engine, the windows and printing: text at a plot position,
// clearing a window, blanking an axis's text box, the palette's pens and
// colours, and a pixel-block mover for strip-chart scrolling.
//
// Drawing bracket: an entry that finds no drawing pass open on `plotdev`
// opens one on the current window's backing bitmap, selects the kept pen,
// draws, closes the pass and refreshes the window (mode 2); inside a pass
// its caller opened it only draws, so a caller that draws a whole curve
// gets no refresh in between.
//
// Device pixels: x grows to the right, the plot's y upward from the
// device's lower edge; plot units are fixed fractions of the screen
// (24.5 by 18.45 units for the whole screen: 52.24 by 55.50 pixels per
// unit on a 1280 x 1024 screen), or centimetres on a printer page.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_gdi.h"
#include "toolkit/draw_target.h"

namespace plot {

// The toolkit draw targets the system keeps: the window pass of printing,
// the printer, the font dialog, and the default plot record. `plotdev`
// points at one of them (the default plot record from start-up on; the
// printer's while a print job draws).
namespace target {
inline constexpr int printwindow = 0;
inline constexpr int printer = 1;
inline constexpr int fontdialog = 2;
inline constexpr int defaultplot = 3;
}  // namespace target
inline std::array<toolkit::draw_target_t, 4> drawtargets{};
inline toolkit::draw_target_t* plotdev = &drawtargets[target::defaultplot];

// True while the record is a printer page.
bool printing(const toolkit::draw_target_t& t);
// True while a drawing pass is open on the record.
bool drawing(const toolkit::draw_target_t& t);

// Pen codes of operation 2 and the function codes of operation 5.
namespace penfn {
inline constexpr std::int32_t brushcolour = 2;
inline constexpr std::int32_t pencolour = 3;
inline constexpr std::int32_t stylewidth = 4;
}  // namespace penfn

// Device operations (UQMODX).
namespace devop {
inline constexpr std::int32_t setscale = 1;
inline constexpr std::int32_t pentopoint = 2;
inline constexpr std::int32_t endplot = 3;
inline constexpr std::int32_t penfunction = 5;
inline constexpr std::int32_t segment = 7;  // ignored by this device
}  // namespace devop

// Open markers of the plot.
inline constexpr std::int32_t plotopen = 21796;
inline constexpr std::int32_t plotclosed = 21795;

// A device x or y beyond this is drawn at it (either sign) rather than
// overflowing the pixel conversion.
inline constexpr double devicelimit = 2126008832.0;

// The state shared by the pen-plotter primitives and the device layer.
struct PlotCom {
  // The package (plot/penplot.h).
  std::int32_t openmarker = 0;  // plotopen while open
  std::int32_t error = 0;       // error of the last call
  std::int32_t suspend = 0;     // non-zero: no device operations
  std::int32_t preverror = 0;
  std::int32_t device = 0;
  std::int32_t segment = 0;  // the open segment, 0 none
  std::int32_t fcode = 0, fvalue = 0, segarg = 0;
  float devx = 0.0F, devy = 0.0F;    // device point of operation 2 (y: the width operation 1 gives)
  std::int32_t pen = 0;              // 0 up, non-zero down
  float curx = 0.0F, cury = 0.0F;    // pen position in plot units from the origin
  float origx = 0.0F, origy = 0.0F;  // origin in device pixels
  float ta = 0.0F, tb = 0.0F, tc = 0.0F, td = 0.0F;  // device = (a x + b y, c x + d y) + origin
  float xscale = 0.0F, yscale = 0.0F;                // saved pixels per plot unit
  float xmin = 0.0F, xmax = 0.0F, ymin = 0.0F, ymax = 0.0F;  // device extent, pixels
  float wxmin = -99999.0F, wxmax = 99999.0F, wymin = -99999.0F, wymax = 99999.0F;
  bool windowoff = true;     // the user window is the default: no clipping
  bool penuppending = true;  // the next drawn segment first moves to its start
  // The device layer.
  float xfactor = 0.0F, yfactor = 0.0F;  // pixels per plot unit of operation 1
  win::COLORREF pencolour = 0;
  std::int32_t penstyle = 0;  // 0..4 the platform's styles, 5 the null pen
  std::int32_t penwidth = 1;
  win::COLORREF brushcolour = 15;
  std::int32_t lastx = 0, lasty = 0, prevx = 0, prevy = 0;  // device pixels
  std::int64_t sizeproduct = 0;  // main window's client width x height last seen
  // Recording: with `recording` 1 or more, operation 2 stores each pen-down
  // pixel at `recordat` of `recordto` (grown as needed) and counts on,
  // instead of drawing.
  // With `recording` at `recordstrokes`, a pen-up operation stores
  // `strokebreak` and then its own pixel, where the next stroke starts.
  std::int32_t recording = 0;
  std::vector<win::POINT>* recordto = nullptr;
  std::int32_t recordat = 0;
};
inline PlotCom plotcom;
inline constexpr std::int32_t recordstrokes = 2;
inline constexpr win::POINT strokebreak{-2147483647 - 1, -2147483647 - 1};

// The last blanked text box of each axis (1..8): left, top, right, bottom.
inline std::array<win::RECT, 9> axisboxes{};

// The argument block of PXLMOV (pixels); mode 32 copies, any other fills.
struct PxlMovArgs {
  std::int32_t srcy = 0, srcx = 0, height = 0, width = 0, dsty = 0, dstx = 0;
  std::int32_t mode = 32;
};
inline PxlMovArgs pxlmovargs;
inline constexpr std::int32_t pxlmovcopy = 32;

// Width and height in pixels of the text UQTEXT measured last.
inline std::array<std::int32_t, 2> textextent{};

// A text as UQTEXT wrote it: where (device pixels) and in which font.
struct WrittenText {
  std::string text;
  std::int32_t x = 0, y = 0;
  win::HFONT font = nullptr;
  win::RECT box{};  // the pixels it covers
};
// The text UQTEXT wrote last.
inline WrittenText lastwritten;
// Writes a text once more, moved by dx, dy device pixels, in the colour:
// in the background's colour it takes the text away (text is drawn
// without smoothing, pixel for pixel). The caller has the pass open.
void REWRITETEXT(const WrittenText& t, std::int32_t dx, std::int32_t dy, win::COLORREF colour);

// Carries out device operation op: 1 set scale, 2 pen to point, 3 end of
// plot, 5 pen function; others change nothing (the bracket still opens and
// closes).
void UQMODX(std::int32_t op);
// Text at a plot position: x, y plot units from the lower left of the
// current axis's frame. Angle 0 horizontal (n < 0: a symbol character
// centred on the point), 720 right-aligned, 90 upward from the point and
// right of it, 810 the same ending at the point; any other angle keeps the font of the previous call and
// places the text as it stands. n < 1 writes one character, else at most n
// (trailing blanks dropped).
void UQTEXT(float x, float y, float size, std::string_view text, float angle, std::int32_t n);
// Fills the whole current window with the background colour number (its
// decimals pick a hatch, as BACKBRUSH reads them).
void UQCLEAR(double colour);
// Blanks the current axis's text box (cells of the graphics font) with the
// brush colour; not in a window whose flags have both bits 0x201.
void UQFLUSH(std::int32_t rows, std::int32_t columns, std::int32_t toprow, std::int32_t leftcol);
// Blanks the editor's text area.
void UQCLEARTEXT();
// Forgets which axes are set up and closes a drawing pass this layer
// would close.
void UQENDAXES();
// Entry n AND 31 of the palette.
win::COLORREF DOSCOLTORGB(std::int32_t n);
// Selects on the target a pen coded as colour.style-width: 4.32 is colour
// 4, style 3, width 2 (the value clamped to 0..31.99; width at least 1).
void NEWPENCOLSTYLEWIDTH(toolkit::draw_target_t& t, double value, std::int32_t& width);
// Copies (mode 32) or fills with the current brush a block of pixels of
// `plotdev`, as `pxlmovargs` says. The caller has the pass open.
void PXLMOV();

// Everything above back to its start. For tests.
void reset_plotdev();

}  // namespace plot
