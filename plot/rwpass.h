// Inside RWPRINT: one pass on one target (the window's backing bitmap or
// the printer page), shared by the text and the figure routines.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "exec/windowlist.h"
#include "plot/printjob.h"
#include "toolkit/draw_target.h"

namespace plot {

struct Pass {
  exec::wdwrec* window = nullptr;  // the window the call names
  toolkit::draw_target_t* target = nullptr;
  bool printer = false;
  std::string_view options;  // blank: none
  Area area;
  win::POINT at{};
  std::int32_t cw = 1, ch = 1;  // the target's character cell
  std::int32_t slot = 1;        // the caller's font slot
  // Pixel values of "L=", "T=", "W=", "H=" (0 absent).
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  bool areaitem = false;    // the call set the text area
  bool figureitem = false;  // a frame, ellipse or point figure
};

// The numbers of a point list that starts right after position `from`:
// integers separated by blanks, commas and semicolons, up to the first
// that cannot be read; each "^" among them closes a figure (`ends` holds
// how many numbers stood before it).
struct PointList {
  std::vector<std::int32_t> numbers;
  std::vector<std::size_t> ends;
};
PointList pointlist(std::string_view text, std::size_t from);

// The value of an item "name=value" of the options; false when absent or
// not a number.
bool itemvalue(std::string_view options, std::string_view name, double& value);

// The figure items of the options ("BC", "RA", "EL" with "A1" and "A2",
// "PO=", "BE=", "LI=" with "FC=", "CHA", "PXL" and "^") drawn on the pass's
// target; the frame shrinks the text area.
void drawfigures(Pass& p);

}  // namespace plot
