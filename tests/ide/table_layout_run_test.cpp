// A script run in the IDE shows a table; the user keeps its layout from
// the More menu, the table's window closes, and the run goes on again at
// the table's statement: once, however many windows close afterwards.
#include <gtest/gtest.h>

#include <string>

#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_controls.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/test_support.h"
#include "ui/tablelayout.h"

namespace {

using idetest::IdeTest;

// Ids of the table's buttons and of the prompts' choices (10000 plus the
// choice).
constexpr int kOk = 1001;
constexpr int kMore = 1002;
constexpr int kKeepLayout = 10000 + 1107;
constexpr int kKeep = 10000 + 10;

// The user, at each tick, in the newest window: the first table's More
// button, "Keep layout", the question's keep; the table shown again is
// left by its button. Each window gets one click.
int tables = 0;  // table windows seen
win::HWND clicked = nullptr;

void user() {
  const win::HWND w = exec::wdwtail != exec::wdwhead ? exec::wdwtail->window : nullptr;
  if (w == nullptr || w == clicked || !win::IsWindow(w)) return;
  clicked = w;
  int id = 0;
  if (win::GetDlgItem(w, kKeepLayout) != nullptr)
    id = kKeepLayout;
  else if (win::GetDlgItem(w, kKeep) != nullptr)
    id = kKeep;
  else if (win::GetDlgItem(w, kMore) != nullptr)
    id = ++tables == 1 ? kMore : kOk;
  if (id != 0) win::PostMessageA(win::GetDlgItem(w, id), win::BM_CLICK, 0, 0);
}

void altr() {
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
  plat::set_key_state(win::VK_MENU, true);
  plat::inject_key_press('R', 0);
  plat::set_key_state(win::VK_MENU, false);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
}

TEST_F(IdeTest, AKeptLayoutRunsTheScriptAgainFromTheTableOnce) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("t.ost"),
                          testsupport::crlf("DIMENSION A(8, 2)\nB = 0\nK = 0\nB = B + 1\n"
                                            "I = DLG(Edit=A, Height=3)\nK = K + 1\nEND\n"));
  tables = 0;
  clicked = nullptr;
  std::string outcome;
  bool ended = false;
  std::vector<idetest::Step> steps{[] {
    plat::set_message_boxes_as_windows(true);
    altr();
  }};
  // Each tick looks whether the run has ended after the second table; a
  // few ticks more show that nothing runs it a third time.
  constexpr int kTicks = 60;
  int quiet = 0;
  for (int i = 0; i < kTicks; ++i)
    steps.push_back([&] {
      user();
      if (tables < 2 || exec::wdwtail != exec::wdwhead) return;
      if (!ended) outcome = exec::run_outcome();
      ended = true;
      ++quiet;
    });
  run(dir.file("t.ost"), steps);
  plat::set_message_boxes_as_windows(false);
  ASSERT_TRUE(ended) << "waited " << kTicks << " ticks for the run to end after a second table; "
                     << tables << " tables shown";
  EXPECT_GT(quiet, 3);
  EXPECT_EQ(tables, 2);
  // Statements before the table ran once, the one after it once.
  EXPECT_NE(outcome.find("B=1\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("K=1\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("I=1001\n"), std::string::npos) << outcome;
  EXPECT_FALSE(ui::layoutkept());
}

}  // namespace
