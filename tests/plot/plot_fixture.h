// The plot layer on the headless back end: a window record with a backing
// bitmap as the current window, the screen of 1280 x 1024 pixels, the
// plot, font and brush state at their start, and the pixels of the bitmap
// read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exec/windowlist.h"
#include "platform/win_gdi.h"

namespace plottest {

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The current window's bitmap made anew at this size, white.
  void makebitmap(int width, int height);
  // The colour of a pixel of the bitmap (outside any drawing pass).
  win::COLORREF at(int x, int y) const;
  // Pixels not of the colour in the rectangle (right and bottom exclusive).
  int countnot(win::COLORREF colour, int l, int t, int r, int b) const;
  // The bounding box of the pixels that are not white; right <= left when none.
  win::RECT inkbox() const;
  // Writes the bitmap as <name>.png into the folder OSTREL_SCREENSHOTS names.
  void screenshot(const std::string& name) const;
  exec::wdwrec* record = nullptr;
  int width = 0, height = 0;
};

// The device operations a primitive hands over, recorded in place of the
// device: the operation, the point, the pen and the function code and value.
struct DeviceCall {
  std::int32_t op;
  float x, y;
  std::int32_t pen, fcode, fvalue;
};
std::vector<DeviceCall>& devicecalls();
// Installs the recording device (plot::devicehook) with 10 pixels per plot
// unit and a device of 1000 x 700; removes it.
void recorddevice();
// Writes a backing bitmap of width x height pixels as <name>.png into the
// folder OSTREL_SCREENSHOTS names (nothing without it).
void screenshot(win::HBITMAP bitmap, int width, int height, const std::string& name);
void stoprecording();

}  // namespace plottest
