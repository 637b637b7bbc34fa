// Saving: the working copy after each change, the script on Save and Save
// As, and every failure of a save, after which the old file is whole.
#include <filesystem>

#include "core/editbuffer.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "ide/idewords.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/windowlist.h"
#include "platform/file_units.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "scripts_fixture.h"

namespace idetest {
namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

class Save : public ScriptsTest {
 protected:
  void SetUp() override {
    ScriptsTest::SetUp();
    write_file(at("demo.ost"), "one\r\ntwo\r\n");
    ide::scriptpath.set(at("demo.ost"));
    ide::OPENEDIT(at("demo.ost"), true);
  }
  void change(const std::string& line = "three") {
    core::C1EDITINSERT(core::c1editend + 1, line + "\r\n", 0);
    ide::C1EDITSAVE();
  }
  std::string image() const {
    return std::string(core::c1edit.data(), static_cast<std::size_t>(core::nc1edit));
  }
  static void answerdialog(const std::string& name) {
    plat::push_dialog_answer({true, {{"File name", name}}});
  }
};

TEST_F(Save, TheWorkingCopyIsTheImageAfterEachChangeAndGrowsWithIt) {
  change();
  EXPECT_EQ(read_file(at("demo.tmp")), image());
  EXPECT_EQ(core::c1edit(core::c1editend + 1), '\0');
  // Growth keeps undo and redo; the copy follows.
  const std::int32_t size = core::nc1edit;
  for (int i = 0; i < 40; ++i) change(std::string(250, static_cast<char>('a' + i % 26)));
  EXPECT_GT(core::nc1edit, size);
  EXPECT_EQ(read_file(at("demo.tmp")), image());
  std::int32_t pos = 0;
  core::C1EDITUNDO(pos, 0);
  ide::C1EDITSAVE();
  core::reset_editbuffer();
  ide::OPENEDIT(at("demo.ost"), true);
  EXPECT_TRUE(core::redoavailable());
  core::C1EDITUNDO(pos, 1);
  EXPECT_TRUE(text().ends_with(std::string(250, 'n') + "\r\n"));
}

TEST_F(Save, ACommandLineScriptGetsNoWorkingCopy) {
  ide::startmode = -10;
  change();
  EXPECT_FALSE(fs::exists(at("demo.tmp")));
  EXPECT_EQ(core::GETI4FROM4C1({core::c1edit.ptr(core::nc1edit - 7), 4}), core::c1logtop);
}

TEST_F(Save, SaveWritesTheTextAndDropsCopyAndLog) {
  std::int32_t answer = 0;
  ide::FEDSAV(0, answer);  // no change: only the working copy goes
  EXPECT_EQ(read_file(at("demo.ost")), "one\r\ntwo\r\n");
  change();
  plat::push_message_box_answer(win::IDYES);
  ide::FEDSAV(0, answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(read_file(at("demo.ost")), "one\r\ntwo\r\nthree\r\n");
  EXPECT_FALSE(fs::exists(at("demo.tmp")));
  EXPECT_FALSE(fs::exists(at("demo.ost~")));
  EXPECT_FALSE(core::undoavailable());
  EXPECT_EQ(text(), "one\r\ntwo\r\nthree\r\n");
  // Cancel leaves everything.
  change("four");
  plat::push_message_box_answer(win::IDCANCEL);
  ide::FEDSAV(0, answer);
  EXPECT_EQ(answer, 3);
  EXPECT_TRUE(fs::exists(at("demo.tmp")));
  EXPECT_TRUE(core::undoavailable());
}

TEST_F(Save, EveryFailedSaveKeepsOldFileWorkingCopyAndLog) {
  change();
  const std::string copy = read_file(at("demo.tmp"));
  for (std::int64_t* hook :
       {&plat::writes_before_fault, &plat::closes_before_fault, &plat::renames_before_fault}) {
    plat::reset_message_boxes();
    plat::push_message_box_answer(win::IDYES);
    *hook = 0;
    std::int32_t answer = 0;
    ide::FEDSAV(0, answer);
    *hook = -1;
    EXPECT_EQ(answer, 3);
    EXPECT_EQ(read_file(at("demo.ost")), "one\r\ntwo\r\n");
    EXPECT_EQ(read_file(at("demo.tmp")), copy);
    EXPECT_FALSE(fs::exists(at("demo.ost~")));
    EXPECT_TRUE(core::undoavailable());
    EXPECT_EQ(boxes().size(), 2u);  // the question, then the failure
  }
  // The working copy: its old image stays, said once.
  plat::reset_message_boxes();
  for (std::int64_t* hook :
       {&plat::writes_before_fault, &plat::closes_before_fault, &plat::renames_before_fault}) {
    *hook = 0;
    change("more");
    *hook = -1;
    EXPECT_EQ(read_file(at("demo.tmp")), copy);
  }
  EXPECT_EQ(boxes().size(), 1u);
  change("again");
  EXPECT_EQ(read_file(at("demo.tmp")), image());
}

TEST_F(Save, ARestoredWorkingCopyIsSavedUnderAnotherName) {
  change();
  core::reset_editbuffer();
  ide::OPENEDIT(at("demo.ost"), true);
  ASSERT_EQ(ide::wdwhead->title.trimmed(), at("demo.tmp"));
  answerdialog(at("saved.ost"));
  plat::push_message_box_answer(win::IDYES);  // create it
  std::int32_t answer = 0;
  ide::FEDSAV(-2, answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(read_file(at("saved.ost")), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(ide::scriptpath.trimmed(), at("saved.ost"));
  EXPECT_FALSE(fs::exists(at("demo.tmp")));
  ASSERT_FALSE(plat::common_dialog_log().empty());
}

}  // namespace
}  // namespace idetest
