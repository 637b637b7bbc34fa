// Text written into a child window where its alignment key puts it.
#include <gtest/gtest.h>

#include <string>

#include "child_fixture.h"
#include "platform/win_gdi.h"
#include "plot/fontslots.h"

namespace {

using childtest::ChildScript;

// Which eighths of the window's first text line hold ink, left to right;
// and of its last line.
std::string inkmap(const exec::wdwrec& w, bool lastline) {
  const int ch = plot::fontslots(w.fontslot).cellheight;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, w.bitmap);
  const win::COLORREF back = win::GetPixel(dc, 0, w.clientheight / 2);
  const int top = lastline ? w.clientheight - ch : 0;
  std::string map;
  for (int part = 0; part < 8; ++part) {
    bool ink = false;
    for (int y = top; y < top + ch && !ink; ++y)
      for (int x = part * w.clientwidth / 8; x < (part + 1) * w.clientwidth / 8 && !ink; ++x)
        ink = win::GetPixel(dc, x, y) != back;
    map += ink ? '#' : '.';
  }
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return map;
}

TEST_F(ChildScript, AlignPlacesTheTextInTheWindowsTextArea) {
  plot::reset_fontslots();  // an earlier run's fonts went with its drawing objects
  const std::string out = runopen(
      "WINDOW(WINdowhandle=L, Width=-320, Height=-160, FONt=4)\n"
      "WINDOW(WINdowhandle=R, Width=-320, Height=-160, FONt=4)\n"
      "WINDOW(WINdowhandle=C, Width=-320, Height=-160, FONt=4)\n"
      "WRITE(WINdowhandle=L, Align='TopLef') 'XX'\n"
      "WRITE(WINdowhandle=R, Align='BotRig') 'XX'\n"
      "WRITE(WINdowhandle=C, Align='TopCen') 'XX'\n"
      "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const exec::wdwrec* l = windowof("L");
  const exec::wdwrec* r = windowof("R");
  const exec::wdwrec* c = windowof("C");
  ASSERT_TRUE(l != nullptr && r != nullptr && c != nullptr) << out;
  EXPECT_EQ(inkmap(*l, false), "#.......");
  EXPECT_EQ(inkmap(*r, true), ".......#");
  EXPECT_EQ(inkmap(*r, false), "........") << "nothing at the top";
  // Centred in the text area, which leaves the vertical scroll bar's room
  // at the right.
  const std::string centre = inkmap(*c, false);
  EXPECT_EQ(centre.substr(0, 3), "...") << centre;
  EXPECT_EQ(centre[3], '#') << centre;
  EXPECT_EQ(centre.substr(5), "...") << centre;
}

}  // namespace
