// What a click on a push button with a link does: a script link starts
// this program again (never through a shell), "$P" asks for printing, web,
// mail and shell links go to the shell, anything else is a request for a
// dialog text; a button with a callback posts it, and a modal window closes
// first.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "exec/windowless.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "platform/win_message.h"
#include "support/script_folder.h"
#include "support/test_support.h"
#include "toolkit/dialog_item.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> started;
void keepstarted(const std::string& commandline) { started.push_back(commandline); }

class Links : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override {
    ScriptInFolder::SetUp();
    ui::reset_dialogs();
    started.clear();
    ui::startprogram = keepstarted;
    ASSERT_TRUE(exec::OPENWINDOWLESS());
    std::int32_t status = 0;
    exec::NEWWINDOW(status, nullptr, 1);
    record = exec::wdwcur;
    record->window = win::CreateWindowExA(0, "STATIC", "dialog", 0, 0, 0, 10, 10, nullptr, nullptr,
                                          nullptr, nullptr);
    record->kind = exec::kind::modal;
    control = new exec::ctlrec;
    control->ctlkind = ui::ck::pushbutton;
    control->ctlid = 1001;
    control->ctlident = 1001;
    record->firstcontrol = control;
    toolkit::dialog_t& item = record->dialogitems(1);
    item.type = toolkit::DLG_PUSHBUTTON;
    item.id = 1001;
    item.marker = 0;
    posted();
  }
  void TearDown() override {
    exec::CLOSEWINDOWLESS();
    ui::startprogram = ui::spawnprogram;
    ScriptInFolder::TearDown();
  }
  void link(const std::string& target) {
    control->ctltext.assign(188, ' ');
    std::copy(target.begin(), target.end(), control->ctltext.begin());
  }
  // Clicks the button; the commands posted to the main window.
  std::vector<win::WPARAM> click() {
    record->dialogitems(1).event_code = toolkit::kEventChanged;
    win::HWND w = record->window;
    int item = 1;
    ui::WINDLGCHPROC(w, &record->dialogitems(1), item);
    return posted();
  }
  static std::vector<win::WPARAM> posted() {
    std::vector<win::WPARAM> out;
    win::MSG m{};
    while (
        win::PeekMessageA(&m, exec::mainwindow(), win::WM_COMMAND, win::WM_COMMAND, win::PM_REMOVE))
      out.push_back(m.wParam);
    return out;
  }
  exec::wdwrec* record = nullptr;
  exec::ctlrec* control = nullptr;
};

TEST_F(Links, ScriptLinksStartThisProgramAgainAndLeaveTheWindowOpen) {
  link("guide.ost");
  EXPECT_TRUE(click().empty());
  link("dem.first steps");
  EXPECT_TRUE(click().empty());
  ASSERT_EQ(started.size(), 2u);
  const std::string program = fs::read_symlink("/proc/self/exe").string();
  const std::string quoted =
      program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
  EXPECT_EQ(started[0], quoted + " HELP=guide.ost");
  EXPECT_EQ(started[1], quoted + " HELP=Tutorial.ost, \"RUN=first steps\"");
}

TEST_F(Links, PrintingClosesAModalWindowAndOtherTextsAskForADialog) {
  record->printselect = 2;
  link("$P");
  EXPECT_EQ(click(), (std::vector<win::WPARAM>{21058, 10005}));
  EXPECT_EQ(record->printselect, 0);
  EXPECT_EQ(exec::closehandle, record->window);
  record->kind = exec::kind::modeless;
  EXPECT_EQ(click(), (std::vector<win::WPARAM>{10005}));
  link("topic");
  EXPECT_EQ(click(), (std::vector<win::WPARAM>{21059}));
  EXPECT_GT(ui::winlink.word, 1);
  EXPECT_EQ(ui::winlink.text.view().substr(0, 8), "E=topic ");
  EXPECT_TRUE(started.empty());
}

TEST_F(Links, WebLinksGoToTheShellWithoutWaiting) {
  const testsupport::TempDir bin;
  const fs::path note = bin.path() / "note";
  testsupport::write_file(bin.path() / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" +
                                                       note.string() + ".part\" && mv \"" +
                                                       note.string() + ".part\" \"" +
                                                       note.string() + "\"\n");
  fs::permissions(bin.path() / "xdg-open", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
  link("http://example.org/ostrel");
  EXPECT_TRUE(click().empty());
  setenv("PATH", path.c_str(), 1);
  // The opener writes its note when it ran (waited for thirty seconds at most).
  for (int i = 0; i < 3000 && !fs::exists(note); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testsupport::read_file(note), "http://example.org/ostrel") << "the opener never ran";
  EXPECT_TRUE(started.empty());
}

TEST_F(Links, AButtonOf10000OnWithACallbackPostsItAfterTheClose) {
  control->ctlid = record->dialogitems(1).id = 10001;
  control->ctllink = 42;
  EXPECT_EQ(click(), (std::vector<win::WPARAM>{21058, 21064}));
  EXPECT_EQ(exec::eventlabel, 42);
  record->kind = exec::kind::modeless;
  EXPECT_EQ(click(), (std::vector<win::WPARAM>{21064}));
  control->ctllink = 0;
  EXPECT_TRUE(click().empty());
}

}  // namespace
