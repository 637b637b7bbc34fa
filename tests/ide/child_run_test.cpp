// A script run in the IDE makes a child window with a menu bar, a toolbar
// and an armed popup menu; after the run the user chooses a menu item,
// presses a toolbar button and picks from the popup at a right press, and
// each choice runs its handler subroutine with the item's number in $$,
// the chosen title in the SelTxt variable and the button's state in the
// state array.
#include <gtest/gtest.h>

#include <string>

#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/test_support.h"
#include "ui/childwords.h"

namespace {

using idetest::IdeTest;

void press(int vk) { plat::inject_key_press(vk, 0); }

void altr() {
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
  plat::set_key_state(win::VK_MENU, true);
  plat::inject_key_press('R', 0);
  plat::set_key_state(win::VK_MENU, false);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
}

// A 24-bit BMP strip of three 16 x 16 images.
std::string strip() {
  std::string b = "BM";
  auto put = [&b](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(54 + 48 * 3 * 16, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(48, 4);
  put(16, 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(48 * 3 * 16, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 48; ++x) put(x < 16 ? 0x0000C0 : x < 32 ? 0x00C000 : 0xC00000, 3);
  return b;
}

TEST_F(IdeTest, MenuToolbarAndPopupChoicesRunTheirHandlers) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("tools.bmp"), strip());
  testsupport::write_file(
      dir.file("c.ost"),
      testsupport::crlf("CHARACTER M*50, P*20, S*12, PS*12, T*40\n"
                        "DIMENSION TS(3)\n"
                        "M = 'File|Edit|File:Open|Save||Quit|Edit:Copy|'\n"
                        "P = 'Red|Green|'\n"
                        "T = 'tools.bmp|Open|Save||Quit|'\n"
                        "TS(1) = 2\nMN = 0\nTN = 0\nPN = 0\nH = 0\n"
                        "WINDOW(WINdowhandle=H, Width=-300, Height=-200, Menu=M, SelTxt=S, "
                        "Toolbar=T, ToolTypes=TS)\n"
                        "POP(Menu=P, Poptype=2, SelTxt=PS)\n"
                        "END\n"
                        "SUBROUTINE M\nMN = $$\nRETURN\nEND\n"
                        "SUBROUTINE T\nTN = $$\nRETURN\nEND\n"
                        "SUBROUTINE P\nPN = $$\nRETURN\nEND\n"));
  win::HWND child = nullptr;
  std::string outcome;
  run(dir.file("c.ost"), {altr,
                          [&] {
                            ASSERT_NE(exec::wdwtail, exec::wdwhead);
                            child = exec::wdwtail->window;
                            ASSERT_NE(child, nullptr);
                            // Open in File's sub-menu, as the menu sends it.
                            win::PostMessageA(child, win::WM_COMMAND, 31003, 0);
                          },
                          [&] { win::PostMessageA(child, win::WM_COMMAND, 22101, 0); },
                          [&] {
                            // The right press shows the popup; the next step picks from it.
                            win::SendMessageA(child, win::WM_RBUTTONDOWN, 2,
                                              win::MAKELPARAM(30, 40));
                          },
                          [] {
                            press(win::VK_DOWN);
                            press(win::VK_DOWN);
                            press(win::VK_RETURN);
                          },
                          [&] { outcome = exec::run_outcome(); }});
  EXPECT_NE(outcome.find("S='Open        '\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("MN=3\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("TS=(34,0,0)\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("TN=1\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("PS='Green       '\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("PN=2\n"), std::string::npos) << outcome;
  EXPECT_EQ(ui::popuppending, 0);
}

}  // namespace
