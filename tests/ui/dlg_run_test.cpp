// DLG dialogs run as a user answers them: typed texts and numbers reach
// their variables, buttons give their numbers, Escape and Cancel stop the
// run, Enter keeps what the focused field shows, callbacks and jump labels
// act after the dialog, CHanGed keeps a bit per control.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::typing;

// The end key, then the text: what is typed goes after what a field shows.
std::vector<dlgtest::Key> append(const std::string& text) {
  return keys({{press(win::VK_END)}, typing(text)});
}
// Everything a field shows, replaced by the text.
std::vector<dlgtest::Key> replace(const std::string& text) {
  return keys(
      {{press(win::VK_HOME), press(win::VK_END, true), press(win::VK_DELETE)}, typing(text)});
}

constexpr const char* kForm = R"(CHARACTER S*20
S = 'hello'
X = 3.5
I = DLG(Text='Name:', Edit=S, Text='Value', Line, Edit=X, Button='&OK', Line, Button='0:Cancel')
)";

TEST_F(DialogScript, TypedTextAndNumberReachTheirVariablesAndTheButtonGivesItsNumber) {
  // Tab commits a field and goes on; Enter presses the default button.
  answer(keys({append(" world"), {press(win::VK_TAB)}, replace("-7.25"), {press(win::VK_RETURN)}}));
  EXPECT_EQ(run(kForm), "S='hello world         '\nX=-7.25\nI=1005\nstop=-1\n");
}

TEST_F(DialogScript, EscapeStopsTheRunWith120AndKeepsOnlyWhatWasCommitted) {
  // The first Escape drops the edit in hand (the field shows its value
  // again), the second closes.
  std::string afterescape;
  answer(keys({append("x"),
               {press(win::VK_TAB)},
               replace("9"),
               {press(win::VK_ESCAPE)},
               {dlgtest::probe([&](win::HWND w) { afterescape = dlgtest::shown(w, 1004); })},
               {press(win::VK_ESCAPE)}}));
  std::string err;
  EXPECT_EQ(runcaught(kForm, err), "S='hellox              '\nX=3.5\nI=0\nstop=120 line=4\n");
  EXPECT_EQ(afterescape, "3.5");
  // The Cancel button the same way.
  answer({click(2)});
  EXPECT_EQ(run(kForm), "S='hello               '\nX=3.5\nI=0\nstop=120 line=4\n");
}

TEST_F(DialogScript, ADialogNobodyAnswersClosesAsByEscapeAndSaysSo) {
  std::string err;
  EXPECT_EQ(runcaught(kForm, err), "S='hello               '\nX=3.5\nI=0\nstop=120 line=4\n");
  EXPECT_NE(err.find("ostrel: ...: Name:\n  Value\n  &OK\n  Cancel\n  -> Cancel\n"),
            std::string::npos)
      << err;
}

TEST_F(DialogScript, EnterKeepsWhatTheFocusedFieldShows) {
  // No button: Enter closes the dialog from the field it types in.
  answer(keys({replace("world"), {press(win::VK_TAB)}, replace("42"), {press(win::VK_RETURN)}}));
  EXPECT_EQ(run(R"(CHARACTER S*8
S = 'hello'
X = 1
DLG(Edit=S, Edit=X)
)"),
            "S='world   '\nX=42\nstop=-1\n");
  answer(keys({replace("every"), {press(win::VK_RETURN)}}));
  EXPECT_EQ(run(R"(CHARACTER S*8
S = 'hello'
DLG(Edit=S)
)"),
            "S='every   '\nstop=-1\n");
}

TEST_F(DialogScript, ChangedKeepsOneBitPerControlAndNoneFromId1032On) {
  std::string script = "CHARACTER Q*1\nK = 0\nA = 1\nB = 1\nLAST = 1\nDLG(Edit=A,Edit=B,CHanGed=K";
  for (int i = 3; i <= 31; ++i) script += ",T=Q";
  script += ",Edit=LAST,Button='&OK')\n";
  answer(keys({replace("7"), {press(win::VK_TAB)}, replace("8"), {click(1033)}}));
  EXPECT_EQ(run(script), "Q=' '\nK=6\nA=7\nB=8\nLAST=1\nstop=-1\n");
  // The 32nd control stores its value and sets no bit.
  answer(keys({replace("9"), {click(1033)}}),
         [](win::HWND w) { win::SetFocus(win::GetDlgItem(w, 1032)); });
  EXPECT_EQ(run(script), "Q=' '\nK=0\nA=1\nB=1\nLAST=9\nstop=-1\n");
}

TEST_F(DialogScript, ACallbackRunsAfterTheDialogAndAJumpLabelTakesTheRunOn) {
  answer({click(10001)});
  EXPECT_EQ(run(R"(G = 0
I = DLG(Button='1:Go', CALLback='MARK')
END
SUBROUTINE MARK
G = G + 1
RETURN
END
)"),
            "G=1\nI=1\nstop=-1\n");
  answer({click(1001)});
  EXPECT_EQ(run(R"(A = 0
B = 0
DLG(Button='Go', Jumpto=20)
A = 1
20 B = 2
)"),
            "A=0\nB=2\nstop=-1\n");
}

TEST_F(DialogScript, AListShowsItsBoundChoiceAndKeepsTheNewOne) {
  const std::string list =
      "CHARACTER C*8\nC = '?'\nK = %\nDLG(ListBox='Red,Green,Blue,', SelTxt=C, SelIdx=K)\n";
  const auto with = [&](char k) {
    std::string s = list;
    s[s.find('%')] = k;
    return s;
  };
  // The bound index chooses the entry when the dialog opens; 0 chooses none.
  EXPECT_EQ(run(with('2')), "C='Green   '\nK=2\nstop=120 line=4\n");
  EXPECT_EQ(run(with('0')), "C='?       '\nK=0\nstop=120 line=4\n");
  answer({press(win::VK_DOWN), press(win::VK_RETURN)});
  EXPECT_EQ(run(with('2')), "C='Blue    '\nK=3\nstop=-1\n");
}

TEST_F(DialogScript, TheSpinnerStepsToTheNextRoundNumber) {
  answer({press(win::VK_UP), press(win::VK_RETURN)});
  EXPECT_EQ(run("X = 12.34\nDLG(Edit=X, DNum=1)\n"), "X=20\nstop=-1\n");
  answer({press(win::VK_UP), press(win::VK_RETURN)});
  EXPECT_EQ(run("X = 0\nDLG(Edit=X, DNum=1)\n"), "X=0.1\nstop=-1\n");
  answer({press(win::VK_DOWN), press(win::VK_DOWN), press(win::VK_RETURN)});
  EXPECT_EQ(run("X = 10\nDLG(Edit=X, DNum=1)\n"), "X=8\nstop=-1\n");
}

TEST_F(DialogScript, AnUpDownShowsItsCountBesideNarrowArrowsAndAStepReachesTheVariable) {
  // The up-down is item 2 (id 1002); its count field has the id 0x4000 higher.
  constexpr int updown = 1002, field = updown + 0x4000;
  std::string before, after;
  int arrows = 0, width = 0;
  answer({dlgtest::probe([&](win::HWND w) {
            before = dlgtest::shown(w, field);
            win::RECT a{}, f{};
            win::GetWindowRect(win::GetDlgItem(w, updown), &a);
            win::GetWindowRect(win::GetDlgItem(w, field), &f);
            arrows = a.right - a.left;
            width = f.right - f.left;
            // A press on the upper half of the arrows steps up.
            win::SendMessageA(win::GetDlgItem(w, updown), win::WM_LBUTTONDOWN, 0,
                              win::MAKELPARAM(1, 1));
            win::SendMessageA(win::GetDlgItem(w, updown), win::WM_LBUTTONUP, 0,
                              win::MAKELPARAM(1, 1));
            after = dlgtest::shown(w, field);
          }),
          click(1003)});
  EXPECT_EQ(run("N = 7\nDLG(Text='Count', UpDown=N, Button='OK')\n"), "N=8\nstop=-1\n");
  EXPECT_EQ(before, "7");
  EXPECT_EQ(after, "8");
  EXPECT_GT(arrows, 0);
  EXPECT_GT(width, 2 * arrows);
}

}  // namespace
