// A script run in the IDE reads a number from its child window: the
// value stands formatted at the READ's line and column in the palette's
// input colours, the run waits while the user edits the line (the keys
// reach only the line, not the editor), and once Enter completes it the
// run goes on after the READ with the typed number.
#include <gtest/gtest.h>

#include <string>

#include "core/runwords.h"
#include "exec/builtins.h"
#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "exec/xeq.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "support/test_support.h"

namespace {

using idetest::IdeTest;

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

void altr() {
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
  plat::set_key_state(win::VK_MENU, true);
  press('R');
  plat::set_key_state(win::VK_MENU, false);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
}

// The pixels of text cell (column, row), both from 1, of a window's
// bitmap that differ from the cell's first one.
int ink(const exec::wdwrec& w, int column, int row) {
  const int cw = plot::fontslots(w.fontslot).cellwidth, ch = plot::fontslots(w.fontslot).cellheight;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, w.bitmap);
  const win::COLORREF first = win::GetPixel(dc, (column - 1) * cw, (row - 1) * ch);
  int n = 0;
  for (int y = (row - 1) * ch; y < row * ch; ++y)
    for (int x = (column - 1) * cw; x < column * cw; ++x) n += win::GetPixel(dc, x, y) != first;
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return n;
}

win::COLORREF pixel(win::HBITMAP bitmap, int x, int y) {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, bitmap);
  const win::COLORREF c = win::GetPixel(dc, x, y);
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return c;
}

TEST_F(IdeTest, AReadFromAWindowWaitsForTheTypedLineAndTheRunGoesOn) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("r.ost"),
                          testsupport::crlf("X = 3.5\nY = 0\n"
                                            "WINDOW(WINdowhandle=H, Width=-300, Height=-200)\n"
                                            "READ(WINdowhandle=H, Format='F6.2', Recrow=2, "
                                            "Column=3) X\n"
                                            "Y = X * 2\nEND\n"));
  std::size_t handed = 0;
  std::string outcome;
  run(dir.file("r.ost"),
      {altr,
       [&] {
         ASSERT_NE(core::idestate & core::busy::windowread, 0) << "the READ waits";
         EXPECT_EQ(exec::resumecode, static_cast<std::int16_t>(0xAC20));
         ASSERT_NE(exec::wdwtail, exec::wdwhead);
         // The value's first digit, in the input line's colours: column 3
         // of the field starts with the two blanks of "  3.50".
         const std::int32_t slot = exec::wdwtail->fontslot;
         const int cw = plot::fontslots(slot).cellwidth, ch = plot::fontslots(slot).cellheight;
         const win::COLORREF back = pixel(exec::wdwtail->bitmap, 2 * cw + 1, ch + ch / 2);
         EXPECT_EQ(back, exec::rgbtab(10)) << "the blank before the value";
         handed = idetest::handedover.size();
         press(win::VK_HOME);
         for (int i = 0; i < 4; ++i) press(win::VK_DELETE);
         for (char c : std::string("42.25"))
           press(c == '.' ? win::VK_OEM_PERIOD : c, static_cast<unsigned char>(c));
       },
       [&] {
         EXPECT_NE(core::idestate & core::busy::windowread, 0) << "still typing";
         EXPECT_EQ(idetest::handedover.size(), handed) << "the keys went to the editor";
         // The line "  42.25" fits its field and stands whole at columns
         // 3 to 9, not scrolled: a blank first, the last "5" at column 9.
         const exec::wdwrec& w = *exec::wdwtail;
         EXPECT_EQ(ink(w, 3, 2), 0) << "the line scrolled";
         EXPECT_GT(ink(w, 9, 2), 0) << "the line scrolled";
         press(win::VK_RETURN);
       },
       [&] { outcome = exec::run_outcome(); }});
  EXPECT_NE(outcome.find("X=42.25\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("Y=84.5\n"), std::string::npos) << outcome;
  EXPECT_EQ(exec::resumecode, 0);
}

}  // namespace
