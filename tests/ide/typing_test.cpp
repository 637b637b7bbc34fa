// The typing assistant in the running editor: keys typed into a script
// line get their candidates behind the line and a hint in the tooltip.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ide/idewords.h"
#include "ide/smarttype.h"
#include "ide/textwriters.h"
#include "ide/tooltip.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/test_support.h"

namespace idetest {
namespace {

// Whether the candidates' colour stands on the input row right of the
// typed text.
bool candidatesshown() {
  const auto w = static_cast<win::HWND>(mainwindow());
  const std::uint32_t row = ide::colour(ide::colnum(10));  // the input row
  const std::uint32_t text = ide::colour(ide::colnum(5));  // the candidates
  int top = 0;
  while (top < 400 && plat::window_pixel(w, 600, top) != row) ++top;
  for (int y = top; y < top + 12; ++y)
    for (int x = 90; x < 400; ++x)
      if (plat::window_pixel(w, x, y) == text) return true;
  return false;
}

TEST_F(IdeTest, TypingInTheEditorOffersCandidatesAndTabCompletes) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("demo.ost"), "X = 1\r\nY = 2\r\nEND\r\n");
  std::string offered, afterTab;
  bool tipshown = false, focuskept = false, drawn = false, kept = false;
  run(dir.file("demo.ost"),
      {[] {
         // (Come from the END line: drawing the row left moves the edit
         // buffer's line reader there.)
         presswith(win::VK_CONTROL, win::VK_END);
         presswith(win::VK_CONTROL, win::VK_HOME);
         plat::inject_key_press(win::VK_END);
         for (char c : std::string(" + si"))
           plat::inject_key_press(c == ' '   ? win::VK_SPACE
                                  : c == '+' ? win::VK_ADD
                                             : std::toupper(static_cast<unsigned char>(c)),
                                  c);
       },
       waitfor(candidatesshown, "the candidates behind the line",
               [&] {
                 drawn = true;
                 offered = ide::inlinehint.trimmed();
               }),
       [&] {
         kept = candidatesshown();
         tipshown = ide::tipwnd != nullptr && win::IsWindowVisible(ide::tipwnd);
         focuskept = win::GetForegroundWindow() == mainwindow();
         plat::inject_key_press(win::VK_TAB, '\t');
       },
       [&] { afterTab = ide::inlinehint.trimmed(); }});
  EXPECT_EQ(offered, "SIN( SINH( SIGN( [TAB next, SPACE to accept]");
  EXPECT_TRUE(drawn) << "the candidates stand behind the line";
  EXPECT_TRUE(kept) << "and stay there while the clock ticks";
  EXPECT_TRUE(tipshown);
  EXPECT_TRUE(focuskept);
  EXPECT_EQ(afterTab, "SINH( SIGN( [TAB next, SPACE to accept]");
}

}  // namespace
}  // namespace idetest
