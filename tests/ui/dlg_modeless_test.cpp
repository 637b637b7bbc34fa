// Modeless dialogs live while the script runs on: what the user types
// reaches the variables even after the character store has grown and moved
// them, a callback runs between statements, and DLG with the dialog's
// handle shows the variables' new values.
#include <gtest/gtest.h>

#include <string>

#include "core/stores.h"
#include "dialog_fixture.h"
#include "platform/win_message_keys.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::typing;

std::string textof(win::HWND dialog, int id) {
  char buf[512] = {};
  win::GetWindowTextA(win::GetDlgItem(dialog, id), buf, sizeof buf);
  return buf;
}

TEST_F(DialogScript, TypingReachesVariablesThatMovedWhenTheStoreGrew) {
  answer(keys({{press(win::VK_END)},
               typing("er"),
               {press(win::VK_TAB), press(win::VK_END)},
               typing(" text"),
               {press(win::VK_TAB), click(10001)}}),
         [](win::HWND) {
           // The texts of S and L move up while the dialog is open.
           std::int32_t extra = 200000;
           ASSERT_TRUE(core::REALLOC(5, extra));
         });
  EXPECT_EQ(run(R"(CHARACTER S*8, L*300
S = 'short'
L = 'long'
G = 0
N = 0
DLG(Edit=S, Edit=L, Button='1:Done', CALLback='FIN', WINdowhandle=H)
10 N = N + 1
IF (G > 0) GOTO 20
IF (N < 5000000) GOTO 10
20 H = 0
N = 0
END
SUBROUTINE FIN
G = 1
RETURN
END
)"),
            "S='shorter '\nL='long text" + std::string(291, ' ') + "'\nG=1\nN=0\nH=0\nstop=-1\n");
}

TEST_F(DialogScript, DlgWithTheHandleShowsTheVariablesNewValues) {
  std::string shown;
  std::string box;
  answer({});
  answer({}, [&](win::HWND) {
    // The modeless dialog, while the second one is open.
    const win::HWND modeless = dlgtest::opened.front();
    shown = textof(modeless, 1001);
    box = textof(modeless, 1002);
  });
  EXPECT_EQ(run(R"(CHARACTER S*8
S = 'before'
X = 1
DLG(Edit=S, Edit=X, WINdowhandle=H)
S = 'after'
X = 2.5
DLG(WINdowhandle=H)
DLG(Text='look')
H = 0
)"),
            "S='after   '\nX=2.5\nH=0\nstop=120 line=8\n");
  EXPECT_EQ(shown, "after");
  EXPECT_EQ(box, "2.5");
}

}  // namespace
