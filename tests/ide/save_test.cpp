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
#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "scripts_fixture.h"

namespace idetest {
namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;
using Names = std::vector<std::string>;

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

TEST_F(Save, SaveWritesTheTextDropsTheCopyAndKeepsTheLog) {
  std::int32_t answer = 0;
  ide::FEDSAV(0, answer);  // no change: only the working copy goes
  EXPECT_EQ(read_file(at("demo.ost")), "one\r\ntwo\r\n");
  change();
  plat::push_message_box_answer(win::IDYES);
  ide::FEDSAV(0, answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(read_file(at("demo.ost")), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(entries(home.path()), Names{"demo.ost"});
  // Saved: nothing to ask at the next save, and Undo goes on past it.
  EXPECT_TRUE(core::undoavailable());
  EXPECT_FALSE(core::c1editmodified());
  plat::reset_message_boxes();
  ide::FEDSAV(0, answer);
  EXPECT_TRUE(boxes().empty());
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
    EXPECT_EQ(entries(home.path()), (Names{"demo.ost", "demo.tmp"}));
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

// A script reached through a link is saved into its real file, which
// keeps its mode; links standing at the names that the script's and the
// working copy's temporary files once had lead nowhere.
TEST_F(Save, AScriptBehindALinkIsSavedIntoItsRealFile) {
  fs::create_directory(at("real"));
  write_file(at("real/s.ost"), "one\r\n");
  fs::permissions(at("real/s.ost"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(at("real/s.ost"), at("s.ost"));
  write_file(at("other.txt"), "keep\r\n");
  fs::create_symlink("other.txt", at("s.ost~"));
  fs::create_symlink("other.txt", at("s.tmp~"));
  core::reset_editbuffer();
  ide::scriptpath.set(at("s.ost"));
  ide::OPENEDIT(at("s.ost"), true);
  change();
  EXPECT_EQ(read_file(at("s.tmp")), image());
  EXPECT_EQ(fs::status(at("s.tmp")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  plat::push_message_box_answer(win::IDYES);
  std::int32_t answer = 0;
  ide::FEDSAV(0, answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(read_file(at("real/s.ost")), "one\r\nthree\r\n");
  EXPECT_TRUE(fs::is_symlink(at("s.ost")));
  EXPECT_EQ(fs::status(at("real/s.ost")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(read_file(at("other.txt")), "keep\r\n");
  EXPECT_EQ(entries(home.path()),
            (Names{"demo.ost", "other.txt", "real", "s.ost", "s.ost~", "s.tmp~"}));
  EXPECT_EQ(entries(at("real")), Names{"s.ost"});
}

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

void withcontrol(int vk) {
  plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), true);
  plat::set_key_state(win::VK_CONTROL, true);
  press(vk);
  plat::set_key_state(win::VK_CONTROL, false);
  plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), false);
}

// Ctrl+S past the file-size limit: the user is told why the script was not
// saved; the file keeps its text, no temporary file stays beside it, and
// the edit is still in the editor, unsaved.
TEST_F(IdeTest, ASaveBeyondTheFileSizeLimitIsToldAndLosesNothing) {
  testsupport::TempDir dir;
  const std::string script = dir.file("e.ost");
  const std::string old = "X = 1\r\nEND\r\n";
  write_file(script, old);
  const std::string report = testsupport::in_child([&] {
    std::string out;
    const auto fail = [&](const std::string& what) { out += what + "\n"; };
    run(script, {[] {
                   press(win::VK_END);
                   press('0', '0');
                   press(win::VK_DOWN);
                 },
                 [&] {
                   if (!testsupport::limit_file_size(old.size()))
                     fail("the size limit was not set");
                   plat::reset_message_boxes();
                   plat::push_message_box_answer(win::IDYES);  // "Save the changes?"
                   withcontrol('S');
                 },
                 [&] {
                   const std::vector<plat::MessageBoxRecord>& boxes = plat::message_box_log();
                   if (boxes.size() != 2 || boxes[1].title != script ||
                       boxes[1].text.find("limit set on the size of files") == std::string::npos) {
                     fail("the user was not told: " + std::to_string(boxes.size()) + " boxes");
                   }
                   if (read_file(script) != old) fail("the script changed: " + read_file(script));
                   if (entries(dir.path()) != Names{"e.ost"})
                     fail("a file was left beside the script");
                   const std::string text(core::c1edit.ptr(1),
                                          static_cast<std::size_t>(core::c1editend));
                   if (text != "X = 10\r\nEND\r\n") fail("the editor holds " + text);
                   if (!core::undoavailable()) fail("the edit counts as saved");
                 }});
    return out;
  });
  EXPECT_EQ(report, "");
  EXPECT_EQ(read_file(script), old);
}

}  // namespace
}  // namespace idetest
