// The first script from the command line, and the command handler through
// the executor's stop words (a fake executor gives them).
#include <deque>
#include <filesystem>

#include "core/editbuffer.h"
#include "core/kompil.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "ide/idewords.h"
#include "ide/m2.h"
#include "ide/menutool.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "platform/backend.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "scripts_fixture.h"
#include "ui/win.h"

namespace idetest {
namespace {

namespace fs = std::filesystem;

class CommandLine : public ScriptsTest {};

TEST_F(CommandLine, TheFirstScriptAndHowTheProgramStarted) {
  struct Case {
    std::string line;
    std::string script;
    std::int16_t mode;
  };
  const std::string examples = ide::examplesdir();
  for (const Case& c : std::vector<Case>{{"RUN= HELP=hello.ost", examples + "hello.ost", -1},
                                         {"HELP=/x/y.ost RUN=", "/x/y.ost", -1},
                                         {"\"/my files/a.b.ost\" RUN=", "/my files/a.b.ost", -10},
                                         {"-q rel.ost", "rel.ost", -10},
                                         {"KEY=v.ost untitled", "untitled", 0},
                                         {"", examples + "introduction.ost", 0}}) {
    ide::reset_scripts();
    ide::startmode = 0;
    core::edflags = 0;
    ide::OPENEDITSTART(c.line);
    EXPECT_EQ(ide::scriptpath.trimmed(), c.script) << c.line;
    EXPECT_EQ(ide::startmode, c.mode) << c.line;
    EXPECT_EQ((core::edflags & 8) != 0, c.line.find("RUN=") != std::string::npos) << c.line;
  }
  EXPECT_TRUE(ide::filemenu(9).title.trimmed().starts_with("&1: /"));
  // A script of the command line leaves the history unshown.
  ide::reset_scripts();
  ide::OPENEDITSTART("x.ost");
  EXPECT_TRUE(ide::filemenu(9).title.is_blank());
}

// The executor's stop words, in turn, and the statement each stops at.
std::deque<std::pair<std::int32_t, std::int32_t>> stops;
int runs = 0;
void fakerun(std::span<const std::int16_t>) {
  ++runs;
  if (stops.empty()) {
    core::xeqstop = -1;
    return;
  }
  core::xeqstop = stops.front().first;
  core::xeqline = stops.front().second;
  stops.pop_front();
}

class Handler : public ScriptsTest {
 protected:
  void SetUp() override {
    ScriptsTest::SetUp();
    testsupport::write_file(at("first.ost"), "X = 1\r\nY = 2\r\nEND\r\n");
    testsupport::write_file(at("second.ost"), "Z = 3\r\nEND\r\n");
    ide::scriptpath.set(at("first.ost"));
    core::xeqstage = fakerun;
    core::keyrec.fill(0xFF);  // no key waits
    stops.clear();
    runs = 0;
  }
  void run(std::int32_t command = ide::cmd::run) {
    core::idecmd = command;
    ide::M2();
  }
};

TEST_F(Handler, ARunToItsEndShowsTheLastStatement) {
  stops = {{-1, 2}};
  run();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(core::xeqstop, 0);
  EXPECT_EQ(core::edmode, 10);  // editing again, on the last statement
  EXPECT_EQ(core::edvars(core::edv::curline), 2);
  EXPECT_EQ(core::edvars(core::edv::loadline), 2);
  EXPECT_NE(core::idestate & 0x10, 0);
  EXPECT_EQ(ide::waitinput & 1, 1);
  EXPECT_EQ(core::edflags & 8, 0);  // the run request is taken
}

TEST_F(Handler, AnErrorPutsTheEditorOnItsLine) {
  stops = {{0x7FFF, 2}};
  run();
  EXPECT_EQ(core::xeqstop, 0);
  EXPECT_EQ(core::edvars(core::edv::curline), 2);
  EXPECT_EQ(core::edvars(core::edv::loadline), 2);
  EXPECT_EQ(core::edmode, 10);
  EXPECT_EQ(core::idecmd, -1);
}

TEST_F(Handler, AnotherScriptTakesOverAndRuns) {
  stops = {{-6, 1}, {-1, 1}};
  exec::chainscript = "second.ost";
  run();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(ide::scriptpath.trimmed(), at("second.ost"));
  EXPECT_EQ(text(), "Z = 3\r\nEND\r\n");
}

TEST_F(Handler, AQuitClosesTheScript) {
  stops = {{-999, 1}};
  run();
  EXPECT_EQ(core::c1edit.size(), 0);
  EXPECT_EQ(core::idestate & 0x10, 0);
  EXPECT_FALSE(ide::scriptopen);
}

TEST_F(Handler, AScriptThatCannotBeOpenedEndsTheCommandPhase) {
  ide::scriptpath.set(at("missing/dir/x.ost"));
  run();
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(core::idestate & 0x10, 0);
}

}  // namespace
}  // namespace idetest

namespace idetest {
namespace {

// Open and New close the script in the editor (recording it) and open the
// chosen one; a cancelled dialog keeps it.
TEST_F(Handler, OpenAndNewReplaceTheScript) {
  run();
  ASSERT_EQ(text(), "X = 1\r\nY = 2\r\nEND\r\n");
  core::idecmd = ide::cmd::open;  // cancelled: no answer queued
  ide::M2COMMAND();
  EXPECT_EQ(ide::scriptpath.trimmed(), at("first.ost"));
  EXPECT_EQ(text(), "X = 1\r\nY = 2\r\nEND\r\n");
  plat::push_dialog_answer({true, {{"File name", at("second.ost")}}});
  core::idecmd = ide::cmd::open;
  ide::M2COMMAND();
  EXPECT_EQ(text(), "Z = 3\r\nEND\r\n");
  EXPECT_TRUE(setuplines()[2].starts_with(at("first.ost") + ","));
  // New asks which kind of script, in its window: unanswered, nothing
  // changes.
  const auto kept = core::helpwin;
  core::helpwin = ui::helpwindow;
  core::idecmd = ide::cmd::newscript;
  ide::M2COMMAND();
  EXPECT_EQ(text(), "Z = 3\r\nEND\r\n");
  EXPECT_NE(plat::message_box_log().back().text.find("key=newFile"), std::string::npos);
  plat::push_message_box_answer(2);  // an empty script
  core::idecmd = ide::cmd::newscript;
  ide::M2COMMAND();
  EXPECT_EQ(ide::scriptpath.trimmed(), "untitled");
  EXPECT_TRUE(text().starts_with("! A new Ostrel script.")) << text();
  EXPECT_TRUE(setuplines()[2].starts_with(at("second.ost") + ","));
  core::helpwin = kept;
}

}  // namespace
}  // namespace idetest

namespace idetest {
namespace {

// "HELP=script RUN=": the script runs at once; it gets no working copy and
// no record; closing it (Escape in the editor: the first redraws, the
// second leaves) ends the program.
TEST_F(IdeTest, HelpAndRunRunTheScriptAndClosingItEndsTheProgram) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("job.ost"), "X = 6 * 7\r\nEND\r\n");
  std::string outcome;
  const int status = run("HELP=" + dir.file("job.ost") + " RUN=",
                         {[&] {
                            outcome = exec::run_outcome();
                            plat::inject_key_press(win::VK_ESCAPE, 27);
                            plat::inject_key_press(win::VK_ESCAPE, 27);
                          },
                          [] { ADD_FAILURE() << "the program is still running"; }});
  EXPECT_EQ(status, 0);
  EXPECT_NE(outcome.find("X=42\n"), std::string::npos) << outcome;
  EXPECT_FALSE(fs::exists(dir.file("job.tmp")));
  EXPECT_EQ(testsupport::read_file(config.path() / "ostrel" / "Ostrel-setup.dat").find("job.ost"),
            std::string::npos);
}

}  // namespace
}  // namespace idetest
