// A script run in the IDE opens a DLG dialog beside the editor; what the
// user types there reaches the variable and the button closes it, while
// the IDE's clock goes on ticking.
#include <gtest/gtest.h>

#include <string>

#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"

namespace {

using idetest::IdeTest;

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

TEST_F(IdeTest, ADialogOfARunTakesWhatTheUserTypesAndItsButtonClosesIt) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("d.ost"),
                          "CHARACTER S*6\r\nS = 'ab'\r\nI = DLG(Text='Name', Edit=S, "
                          "Button='&OK')\r\nEND\r\n");
  win::HWND dialog = nullptr;
  std::string outcome;
  run(dir.file("d.ost"), {[] {
                            plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
                            plat::set_key_state(win::VK_MENU, true);
                            press('R');
                            plat::set_key_state(win::VK_MENU, false);
                            plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
                          },
                          [&] {
                            // The run waits in the dialog: it has the focus, right of the
                            // editor's text and inside the screen.
                            ASSERT_NE(exec::wdwtail, exec::wdwhead);
                            dialog = exec::wdwtail->window;
                            ASSERT_NE(dialog, nullptr);
                            EXPECT_EQ(win::GetParent(win::GetFocus()), dialog);
                            win::RECT r{};
                            win::GetWindowRect(dialog, &r);
                            EXPECT_GE(r.left, 0);
                            EXPECT_LE(r.right, plat::backend().screen_size().cx);
                            press(win::VK_END);
                            press('C', 'c');
                            press(win::VK_RETURN);
                          },
                          [&] { outcome = exec::run_outcome(); }});
  EXPECT_FALSE(win::IsWindow(dialog));
  EXPECT_EQ(outcome.substr(0, outcome.find("stop=")), "S='abc   '\nI=1003\n");
}

}  // namespace
