// The axis engine: draws one axis of `axisstate` (frame, rounded scales,
// titles, ticks, labels and grid lines) and keeps the working values that
// the curve routines need to put points on it: the label margins, the
// origin axis and the tick walk that a scrolling plot continues.
//
// Lengths are plot units. A position along a direction is measured from
// the axis' start (the frame's corner plus the label margin).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "plot/plotdev.h"

namespace plot {

// Label room: 6 columns for y labels and 3 rows for x labels; none for a
// direction whose style word has `axisbit::nolabels`.
inline constexpr std::int32_t ylabelcolumns = 6;
inline constexpr std::int32_t xlabelrows = 3;
// The y title ends this many character widths left of the y axis.
inline constexpr float ytitlecolumns = 3.0F;
// The shortest axis drawn, in plot units.
inline constexpr float shortestaxis = 0.1001F;
// The largest magnitude a range may have when it reaches the engine.
inline constexpr float largestvalue = 1e30F;
// The most decades a log direction shows.
inline constexpr std::int32_t mostdecades = 36;

// The epsilon of a 32-bit real x: the larger of |x| times 2^-23 and the
// smallest normal 32-bit real.
double epsilonof(double x);

// A label written along a direction: its tick's value, whether it ends at
// its tick (the label at the maximum, which stands before its tick so as to
// stay in the frame), and where it stands now.
struct ShownLabel {
  double value = 0.0;
  bool ending = false;
  WrittenText written;
};
// The labels that stand along a direction, in the order they were written.
struct LabelSpan {
  std::vector<ShownLabel> shown;
};

// Working values shared by the axis drawing and the curve routines.
struct AxisWork {
  std::int32_t labelcolumns = ylabelcolumns;  // of the origin axis
  std::int32_t labelrows = xlabelrows;
  float leftmargin = 0.0F;      // plot units left of the y axis line
  float bottommargin = 0.0F;    // plot units below the x axis line
  std::int32_t originaxis = 0;  // the axis whose origin was set last
  std::int32_t direction = 0;   // 0 x, 1 y
  std::int32_t entry = 1;       // direction entry of `direction` on the current axis
  // Titles of x and y given as texts (by a panel), for a statement whose
  // title positions are 0.
  std::array<std::string, 2> titletexts;
  // Per direction entry (1..16, as `xentry`, `yentry`), the labels that
  // stand: a slide takes away those whose ticks leave the axis, and a
  // strip chart's scroll keeps those that stand where the range wants them.
  std::array<LabelSpan, 17> labels{};
};
inline AxisWork axiswork;

// The tick walk of PLOTTICS_INTERNAL. A caller that continues a walk
// (a scrolling plot) sets `distance`, `step`, `increment` and `phase`
// running first; XYAXIS starts every walk afresh.
namespace tickphase {
inline constexpr std::int32_t first = 0;    // step and counter from the scale
inline constexpr std::int32_t running = 1;  // the caller's step is kept
inline constexpr std::int32_t last = 2;     // the end was reached
}  // namespace tickphase
struct TickWalk {
  double distance = 0.0;  // of the current tick from the minimum, user units
  double counter = 0.0;   // ticks from 0 (linear, time); digits from the first decade (log)
  double step = 0.0;      // user units per tick (linear, time)
  std::int32_t phase = tickphase::first;
  std::int32_t increment = 1;  // +1 or -1: where new ticks appear
  double range = 0.0;
};
inline TickWalk tickwalk;

// Draws axis k (1..8) in the current window on the current device:
// frame limited to the window (`axisstate.columns`, `rows`), scales
// rounded, titles, ticks, labels and grid lines. Expects an open plot
// (PLOTS).
void XYAXIS(std::int32_t& k);
// Label margins of axis `axisstate.current`, and the origin there.
void SET_XT_YT_INTERNAL();
// Label columns and rows of axis k from its style words.
void SET_NYT_NXT_INTERNAL(std::int32_t& k);
// Draws the current direction (`axiswork.direction`) of the current axis:
// line, ticks, labels (labels above 0) and grid lines. Bit 0 of option:
// every label but the first ends at its tick (else only the one at the
// maximum). A label is written where it has its room after the one before
// and lies wholly inside the axis' frame.
void PLOTTICS_INTERNAL(std::int32_t& labels, std::int32_t& option);
// The grid lines of the current direction over a strip of device pixels
// (inclusive), where a strip chart's other direction slid: the pixels of
// each line that lie in it, as the whole line has them.
void STRIPGRID(const win::RECT& strip);
// Before a strip chart's direction entry e slides by dx, dy device pixels
// to the range low..high: the labels whose ticks leave the range (by more
// than a pixel, the frame's line at either end) are taken away where they
// stand (written again in the background's colour); the others go with
// the slide.
void STRIPSLIDE(std::int32_t e, double low, double high, std::int32_t dx, std::int32_t dy);
// The labels of the current direction of a strip chart after a scroll:
// every label step inside the frame, its lines at both ends included,
// carries its label as the axis drawn whole over the range would, with
// the same room between them; the label at the maximum and one that would
// run past the frame's line at the end stand before their ticks, ending
// there. Labels that stand so already stay; the others are taken away.
void STRIPLABELS();

// The position of a value along direction entry e (plot units from the
// axis' start, no margin) by the scale XYAXIS set; false on a log
// direction for a value not above 0.
bool axisposition(std::int32_t e, double value, double& position);

// Rounds the visible range of direction entry e as XYAXIS does before
// drawing, given the axis length in plot units and the character width in
// plot units; sets step length, divisor and units per plot unit. Every
// range ends: the result is finite and ordered.
void roundscale(std::int32_t e, float length, float charwidth);

// The label a long tick of the value shows on direction entry e, trimmed
// (before the room for it is checked).
std::string axislabel(std::int32_t e, double value);

// The title of direction d (0 x, 1 y) of the statement, trimmed, followed
// by " / " and the divisor when that is not 1.
std::string axistitle(std::int32_t d, double divisor);

// Finishes the scales of the current axis of the running AXIS statement
// and draws it.
void PLOTAXESNOW();

}  // namespace plot
