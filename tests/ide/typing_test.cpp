// The typing assistant in the running editor: keys typed into a script
// line get their candidates behind the line and a hint in the tooltip.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ide/smarttype.h"
#include "ide/tooltip.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/test_support.h"

namespace idetest {
namespace {

TEST_F(IdeTest, TypingInTheEditorOffersCandidatesAndTabCompletes) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("demo.ost"), "X = 1\r\nY = 2\r\nEND\r\n");
  std::string offered, afterTab;
  bool tipshown = false, focuskept = false;
  run(dir.file("demo.ost"),
      {[] {
         plat::inject_key_press(win::VK_END);
         for (char c : std::string(" + si"))
           plat::inject_key_press(c == ' '   ? win::VK_SPACE
                                  : c == '+' ? win::VK_ADD
                                             : std::toupper(static_cast<unsigned char>(c)),
                                  c);
       },
       [&] {
         offered = ide::inlinehint.trimmed();
         tipshown = ide::tipwnd != nullptr && win::IsWindowVisible(ide::tipwnd);
         focuskept = win::GetForegroundWindow() == mainwindow();
         plat::inject_key_press(win::VK_TAB, '\t');
       },
       [&] { afterTab = ide::inlinehint.trimmed(); }});
  EXPECT_EQ(offered, "SIN( SINH( SIGN( [TAB next, SPACE to accept]");
  EXPECT_TRUE(tipshown);
  EXPECT_TRUE(focuskept);
  EXPECT_EQ(afterTab, "SINH( SIGN( [TAB next, SPACE to accept]");
}

}  // namespace
}  // namespace idetest
