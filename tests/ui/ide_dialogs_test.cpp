// The IDE's own dialogs of the help data file, shown by the window builder
// and answered by keys: what the user types reaches the program's settings.
#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "dialog_fixture.h"
#include "exec/builtins.h"
#include "exec/settingrefs.h"
#include "exec/windowless.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::typing;

class IdeDialogs : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    ASSERT_TRUE(exec::OPENWINDOWLESS());
    plat::set_message_boxes_as_windows(true);
  }
  void TearDown() override {
    plat::set_message_boxes_as_windows(false);
    exec::CLOSEWINDOWLESS();
    DialogScript::TearDown();
  }
};

TEST_F(IdeDialogs, APaletteComponentOf160IsWrittenBackAsItsByte) {
  exec::rgbtab(0) = 0x00302001;
  answer(keys({{press(win::VK_END), press(win::VK_BACK), press(win::VK_BACK)},
               typing("160"),
               {click(10001)}}));
  int answer = 0;
  core::HELP("ColorRedef", answer);
  EXPECT_EQ(answer, 1);
  // Red took 160 (shown signed as -96); green and blue stayed.
  EXPECT_EQ(exec::rgbtab(0), 0x003020A0u);
}

TEST_F(IdeDialogs, TheHelpIndexListTakesTheTextItIsGivenAndLeavesTheChoice) {
  std::string list = "ALPHA|BETA|GAMMA|";
  core::HelpValues v;
  v.characters = list;
  v.count = static_cast<int>(list.size());
  exec::dlgtext.blank();
  // The focus into the list (the first entry is chosen), one entry down,
  // then Show.
  answer(keys({{dlgtest::probe([](win::HWND d) { win::SetFocus(win::GetDlgItem(d, 1002)); })},
               {press(win::VK_DOWN)},
               {click(10001)}}));
  int answer = 0;
  core::HELP("Index", answer, v);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(exec::dlgtext.trimmed(), "BETA");
}

}  // namespace
