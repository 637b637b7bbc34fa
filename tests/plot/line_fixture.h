// Scripts that plot into a window of the headless back end: the window's
// backing bitmap is read back pixel by pixel, and where a point should land
// is computed here from the data, the axis's range and the graphics font's
// cell (the axis starts 6 label columns and 3 label rows into its frame).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exec/windowlist.h"
#include "platform/win_gdi.h"
#include "support/script_folder.h"

namespace linetest {

class LineScript : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Axis k in the whole window (its frame as wide as the window less two
  // columns), x from x0 to x1, y from y0 to y1, style bits added to the
  // x and y style words; live, drawn and set up as AXIS leaves it.
  void axis(int k, float x0, float x1, float y0, float y1, std::int32_t xstyle = 0,
            std::int32_t ystyle = 0);
  // The frame's width and height in cells for the axes that follow (0:
  // the whole window).
  int framecolumns = 0, framerows = 0;
  // Compiles and runs the script in the window; the report as RUN gives it.
  std::string plot(const std::string& text);
  // The pixel where (x, y) of axis k lands.
  win::POINT pixel(int k, double x, double y) const;
  win::COLORREF at(int x, int y) const;
  win::COLORREF at(win::POINT p) const { return at(p.x, p.y); }
  // Pixels of the colour within r pixels of p.
  int near(win::POINT p, int r, win::COLORREF colour) const;
  // Pixels not white within r pixels of p.
  int inked(win::POINT p, int r) const;
  // Pixels not white in the rectangle (right and bottom exclusive).
  int inked(int l, int t, int r, int b) const;
  // The runs of columns that hold ink in rows top to bottom (exclusive),
  // first to last column of each; a gap of up to `gap` pixels lies inside
  // a run (a label and its tick make one).
  std::vector<std::pair<int, int>> inkruns(int top, int bottom, int gap = 4) const;
  // The runs written "first-last ...".
  static std::string runtext(const std::vector<std::pair<int, int>>& runs);
  double number(const std::string& name) const;
  void screenshot(const std::string& name) const;

  exec::wdwrec* record = nullptr;
  int width = 800, height = 500;
  int cw = 0, ch = 0;  // the graphics font's cell in pixels
  std::optional<std::string> keptserver;
};

}  // namespace linetest
