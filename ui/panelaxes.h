// The plot axes of a panel: an axis group of the head line ("%1=" for
// axis 1 with "%" as its separator) reads its marks from the body (frame
// corners, ranges, style and grid words, titles) and the axes are drawn
// over the panel's text with the plot engine. Its "X" and "Y" marks with a
// data letter add the axis's x data item and its curves to the panel's
// records (ui/panelcurves.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exec/windowlist.h"
#include "platform/win_window.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "toolkit/draw_target.h"
#include "ui/panel.h"

namespace ui {

struct PanelAxis {
  bool framed = false;
  plot::Frame frame;  // cells of the window's font; bottom from the lower edge
  float xmin = 0.0F, xmax = 0.0F, ymin = 0.0F, ymax = 0.0F;
  std::int32_t xstyle = plot::axisbit::grid;
  std::int32_t ystyle = plot::axisbit::grid | 15;
  std::int32_t xgrid = 0, ygrid = 0;
  std::string xtitle, ytitle;
};
using PanelAxes = std::array<PanelAxis, plot::naxes + 1>;  // 1 to 8

// What the next curve of the panel takes unless its mark says otherwise,
// and the curves made so far.
struct CurveCounters {
  std::int32_t style = 0, pen = 2, curve = 1;
  float size = 2.0F;
  std::int32_t made = 0;
};
inline constexpr std::int32_t maxpanelcurves = 32;

// The marks of the separator for axis k, blanked in the body; the x data
// items and curves they make are added to `made`, not bound yet. False
// with the message key set for a 33rd curve.
bool panelaxisgroup(std::vector<std::string>& body, char separator, std::int32_t k, PanelAxes& axes,
                    CurveCounters& counters, std::vector<panelrec>& made);
// Draws every framed axis into the window's bitmap, whose panel text has
// that many lines.
void drawpanelaxes(exec::wdwrec& r, const PanelAxes& axes, std::int32_t lines);

// What the plot engine holds for one axis number: every entry that XYAXIS
// and the curve drawing read or write for it (x direction first).
struct EngineAxis {
  plot::Frame frame;
  std::array<plot::Scale, 2> scale{};
  std::array<std::int32_t, 2> style{}, labelevery{}, timepicture{}, minorticks{};
  std::array<float, 2> length{};
  std::array<plot::LabelSpan, 2> labels{};
  win::RECT box{};
  win::HWND window = nullptr;
  bool drawn = false, live = false, setup = false;
};

// A panel's own part of the plot engine: the axes it drew and the curves
// it draws on them, and the tick walk its scrolling axes continue. Another
// window's AXIS or panel on the same numbers changes the engine's entries,
// not these: the panel puts them into the engine while it draws.
struct PanelEngine {
  std::array<EngineAxis, plot::naxes + 1> axes{};  // 1 to 8
  std::uint32_t axesheld = 0;                      // bit k: axis k is the panel's
  std::array<plot::Curve, plot::ncurves> curves{};
  std::uint32_t curvesheld = 0;  // bit c: curve c is the panel's
  plot::TickWalk walk;
};
// The window's panel engine, made when it has none (freed with its panel
// records).
PanelEngine& panelengine(exec::wdwrec& r);

// While one stands (a panel's build), the panels' drawings leave the plot
// engine as they drew it: a LINE on the panel's axis numbers after the
// build finds the panel's axes, until something else takes the numbers.
// Later redraws give the engine back what it held.
struct KeepEngine {
  KeepEngine();
  ~KeepEngine();
  KeepEngine(const KeepEngine&) = delete;
  KeepEngine& operator=(const KeepEngine&) = delete;
  bool before;
};

// The plot opened on the window's bitmap with the scale of its size, as
// the panel's axes were drawn, with the panel's own axes and curves in the
// plot engine. When it goes the plot is closed, the panel takes its axes
// and curves back as the drawing left them, and the engine, the plot
// device and the current window are what they were before.
class PanelPlot {
 public:
  explicit PanelPlot(exec::wdwrec& r);
  ~PanelPlot();
  PanelPlot(const PanelPlot&) = delete;
  PanelPlot& operator=(const PanelPlot&) = delete;
  bool open() const { return open_; }

 private:
  exec::wdwrec* entry_;
  toolkit::draw_target_t* device_;
  PanelEngine* own_;
  // The engine as the panel found it.
  plot::AxisState axes_;
  plot::AxisWork work_;
  plot::TickWalk walk_;
  plot::ScrollShift shift_;
  plot::PlotCom com_;
  std::array<win::RECT, plot::naxes + 1> boxes_;
  plat::Store0<plot::Curve> curves_;
  std::int32_t currentcurve_;
  bool open_ = false;
};

}  // namespace ui
