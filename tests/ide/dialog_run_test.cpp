// A script run in the IDE opens a DLG dialog beside the editor; what the
// user types there reaches the variable and the button closes it, while
// the IDE's clock goes on ticking.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_commdlg.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "toolkit/services.h"

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

// Quitting the IDE while the run waits in a dialog's or a table's own
// message loop, or in a message box's or a file dialog's: the run ends
// before the IDE closes its script and frees its stores, which nothing
// reads afterwards (AddressSanitizer sees it).
TEST_F(IdeTest, QuittingWhileTheRunWaitsInADialogEndsTheRunFirst) {
  testsupport::TempDir dir;
  const char* scripts[] = {
      "CHARACTER S*6\r\nI = DLG(Text='Name', Edit=S, Button='&OK')\r\nK = 1\r\nEND\r\n",
      "DIMENSION A(8, 2)\r\nI = DLG(Edit=A, Height=3)\r\nK = 1\r\nEND\r\n",
      // The run's error box.
      "DIMENSION A(3)\r\nI = 5\r\nA(I) = 1\r\nK = 1\r\nEND\r\n",
      // OPEN's dialog for a missing file, then the error box after it.
      "CHARACTER F*40\r\nF = 'nosuch.txt'\r\nU = OPEN(FIle=F, OLD)\r\nK = 1\r\nEND\r\n"};
  for (const char* script : scripts) {
    testsupport::write_file(dir.file("q.ost"), script);
    win::HWND dialog = nullptr;
    bool quitting = false;
    std::vector<idetest::Step> steps{[] {
      // Boxes and file dialogs as windows, as on a display.
      plat::set_message_boxes_as_windows(true);
      plat::set_common_dialogs_as_windows(true);
      plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
      plat::set_key_state(win::VK_MENU, true);
      press('R');
      plat::set_key_state(win::VK_MENU, false);
      plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
    }};
    // Each tick looks for the dialog; once it shows, the user quits (and
    // drops the editor's changes, should it ask).
    constexpr int kTicks = 30;
    for (int i = 0; i < kTicks; ++i)
      steps.push_back([&] {
        if (quitting) return;
        const std::vector<win::HWND> boxes = plat::modal_dialog_loops();
        if (!boxes.empty())
          dialog = boxes.back();
        else if (exec::wdwtail != exec::wdwhead)
          dialog = exec::wdwtail->window;
        else
          return;
        quitting = true;
        plat::push_message_box_answer(win::IDNO);
        toolkit::POST_COMMAND(0x4001, nullptr);
      });
    run(dir.file("q.ost"), steps);
    ASSERT_TRUE(quitting) << "waited " << kTicks << " ticks for the run's dialog or box:\n"
                          << script;
    EXPECT_FALSE(win::IsWindow(dialog));
    // The quit itself closed the program, not the one after the last step.
    EXPECT_LT(ticks, kTicks) << "the program stayed open after the quit";
  }
}

}  // namespace
