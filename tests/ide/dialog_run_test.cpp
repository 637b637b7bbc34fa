// A script run in the IDE opens a DLG dialog beside the editor; what the
// user types there reaches the variable and the button closes it, while
// the IDE's clock goes on ticking.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor_program.h"
#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "ide/editorwords.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_commdlg.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "plot/fontslots.h"
#include "toolkit/services.h"

namespace {

using idetest::IdeTest;

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

void alt(int vk) { idetest::presswith(win::VK_MENU, vk); }

TEST_F(IdeTest, ADialogOfARunTakesWhatTheUserTypesAndItsButtonClosesIt) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("d.ost"),
                          "CHARACTER S*6\r\nS = 'ab'\r\nI = DLG(Text='Name', Edit=S, "
                          "Button='&OK')\r\nEND\r\n");
  win::HWND dialog = nullptr;
  std::string outcome;
  run(dir.file("d.ost"), {[] { alt('R'); },
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
      alt('R');
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

// While the run waits at a table dialog the editor shows the dialog's line
// on the input line's background, as it shows a line a step stopped at,
// also after a button ran its routine. A new run (Alt+R) closes that
// dialog first: the one it shows is the only one, the one the run waits
// at, and OK lets the run go on with OK's number as the dialog's value.
// The DLG statement's table and the `win` function's wait alike.
class TableWait : public IdeTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(
    Dialogs, TableWait,
    ::testing::Values("DLG(TItle='tab', Edit=A, Height=3, Button='&Write', CALLback='W')",
                      "DLG('TItle=tab;Edit*1;Height=3;Button=&Write;CALLback=W', A)"));

TEST_P(TableWait, TheEditorShowsItsLineAndANewRunClosesItFirst) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("t.ost"), "DIMENSION A(3,2)\r\nA = $\r\nN = N + 1\r\nK = " +
                                                 std::string(GetParam()) +
                                                 "\r\nY = K\r\nEND\r\n"
                                                 "SUBROUTINE W\r\nM = M + 1\r\nEND\r\n");
  constexpr int dlgline = 4;
  // The line stands on the input line's background, and only it.
  const auto shown = [](int line) {
    const auto w = static_cast<win::HWND>(idetest::mainwindow());
    const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
    const auto at = [&](int l) {
      const int top = ide::wdwhead->topoffset + ch * (l - ide::edfirstline + ide::edtoprow - 1);
      return plat::window_pixel(w, 600, top + ch / 2) == idetest::classbg(5);
    };
    return at(line) && !at(1) && idetest::rowsof(idetest::classbg(5)) == 1;
  };
  // The tables open, and the one the run waits at.
  const auto tables = [](win::HWND& awaited) {
    int n = 0;
    awaited = nullptr;
    for (const exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next) {
      if (r->firsttable == nullptr) continue;
      ++n;
      if ((r->kind & exec::kind::awaited) != 0) awaited = r->window;
    }
    return n;
  };
  win::HWND first = nullptr, second = nullptr;
  std::string outcome;
  // Each stage waits (a tick at a time, the ticks bounded) for what it
  // needs, then acts.
  struct Stage {
    const char* what;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  const std::vector<Stage> stages{
      {"the run to wait at its table, its line shown",
       [&] { return tables(first) == 1 && first != nullptr && shown(dlgline); }, [] { alt('W'); }},
      {"Write's routine to have run, the line shown still",
       [&] {
         return exec::run_outcome().find("\nM=1\n") != std::string::npos && shown(dlgline) &&
                win::IsWindow(first);
       },
       [] {
         win::SetFocus(exec::wdwhead->window);
         alt('R');
       }},
      {"the first table to go and the new run to wait at its own",
       [&] { return !win::IsWindow(first) && tables(second) == 1 && second != nullptr; }, [] {}},
      {"the line shown again", [&] { return shown(dlgline); }, [] { alt('O'); }},
      {"the run to end after OK",
       [&] {
         return !win::IsWindow(second) && exec::run_outcome().find("\nY=") != std::string::npos &&
                exec::run_outcome().find("\nY=0\n") == std::string::npos;
       },
       [&] { outcome = exec::run_outcome(); }}};
  std::size_t stage = 0;
  std::vector<idetest::Step> steps{[] { alt('R'); }};
  constexpr int kTicks = 60;
  for (int i = 0; i < kTicks; ++i)
    steps.push_back([&] {
      if (stage < stages.size() && stages[stage].ready()) stages[stage++].act();
    });
  run(dir.file("t.ost"), steps);
  ASSERT_EQ(stage, stages.size()) << "waited " << kTicks << " ticks in vain for "
                                  << stages[std::min(stage, stages.size() - 1)].what;
  const std::string vars = idetest::variables(outcome);
  EXPECT_NE(vars.find("\nK=1001\n"), std::string::npos) << vars;
  EXPECT_NE(vars.find("\nY=1001\n"), std::string::npos) << vars;
}

}  // namespace

namespace {

// Keys typed into a table's cells while the IDE's clock ticks between them,
// as on a busy machine: the tick stores the cell typed so far, but the
// cell's editor keeps its text, caret and selection, so the keys after the
// tick land where the user left off. In the first cell Home and Shift+End
// select the text, "7" replaces it, a tick, ".", a tick, "5" and Enter:
// 7.5, not the 0.57 or 57 of a text put back with the caret in front. In
// the cell below, "-" (no number yet) waits for the "5" after the tick.
TEST_F(IdeTest, KeysTypedIntoATableCellAcrossTheClocksTicksKeepTheirOrder) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("c.ost"),
                          "DIMENSION A(3,2)\r\nA = $\r\nK = DLG(TItle='E5 table', Edit=A, "
                          "Height=3, ROW=R, COL=C, Button='&Write', CALLback='SAVEA')\r\n"
                          "Y = K\r\nEND\r\nSUBROUTINE SAVEA\r\nM = M + 1\r\nEND\r\n");
  // The focused cell's editor as each tick left it.
  std::vector<std::string> shown;
  const auto cell = [] {
    const win::HWND f = win::GetFocus();
    return f != nullptr && exec::wdwtail != exec::wdwhead &&
                   win::GetParent(f) == exec::wdwtail->window
               ? f
               : nullptr;
  };
  const auto look = [&] {
    char text[32] = {};
    win::DWORD from = 0, to = 0;
    win::GetWindowTextA(cell(), text, sizeof text);
    win::SendMessageA(cell(), win::EM_GETSEL, reinterpret_cast<win::WPARAM>(&from),
                      reinterpret_cast<win::LPARAM>(&to));
    shown.push_back(std::string(text) + "|" + std::to_string(from) + "-" + std::to_string(to));
  };
  const auto selectall = [] {
    press(win::VK_HOME);
    idetest::presswith(win::VK_SHIFT, win::VK_END);
  };
  // The cell as shown, then its last digit and Enter.
  const auto lastfive = [&] {
    look();
    press('5', '5');
    press(win::VK_RETURN);
  };
  // What each tick does once the table has the focus.
  const std::vector<idetest::Step> keys{[&] {
                                          selectall();
                                          press('7', '7');
                                        },
                                        [&] {
                                          look();
                                          press(win::VK_OEM_PERIOD, '.');
                                        },
                                        lastfive,
                                        [&] {
                                          selectall();
                                          press(win::VK_OEM_MINUS, '-');
                                        },
                                        lastfive,
                                        [] { alt('O'); }};
  bool typing = false, done = false;
  std::string outcome;
  std::vector<idetest::Step> steps{[] { alt('R'); }};
  std::size_t next = 0;
  constexpr int kTicks = 40;
  for (int i = 0; i < kTicks; ++i)
    steps.push_back([&] {
      if (done) return;
      if (!typing) {
        typing = cell() != nullptr;
        if (!typing) return;
      }
      if (next < keys.size()) {
        keys[next++]();
      } else if (exec::run_outcome().find("\nY=") != std::string::npos) {
        outcome = exec::run_outcome();
        done = true;
      }
    });
  run(dir.file("c.ost"), steps);
  ASSERT_TRUE(done) << "waited " << kTicks << " ticks in vain for the table and the run's end";
  EXPECT_EQ(shown, (std::vector<std::string>{"7|1-1", "7.|2-2", "-|1-1"}));
  EXPECT_NE(idetest::variables(outcome).find("A=(7.5,2,-5,4,5,6)\n"), std::string::npos) << outcome;
}

}  // namespace
