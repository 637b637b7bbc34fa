// Opening a script: new ones from their templates, left-over working copies
// (good, damaged, too short, in the state folder), folders with dots and
// missing folders.
#include <filesystem>

#include <sys/stat.h>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "ide/idewords.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/windowlist.h"
#include "scripts_fixture.h"

namespace idetest {
namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

class Open : public ScriptsTest {
 protected:
  bool open(const std::string& path) {
    ide::scriptpath.set(path);
    ide::OPENEDIT(path, true);
    return ide::scriptopen && core::edvars(ide::edexitfield) == 0;
  }
  // A working copy of text with one change done and one undone.
  std::string imageof(const std::string& text, const std::string& title) {
    core::loadeditbuffer(text, title);
    core::C1EDITINSERT(1, "gone\r\n", 0);
    core::C1EDITINSERT(1, "new\r\n", 0);
    std::int32_t pos = 0;
    core::C1EDITUNDO(pos, 0);
    core::sealc1edit();
    std::string image(core::c1edit.data(), static_cast<std::size_t>(core::nc1edit));
    core::reset_editbuffer();
    return image;
  }
};

TEST_F(Open, NewScriptsGetTheirTemplates) {
  ASSERT_TRUE(open(at("untitled-T.ost")));
  // The lines begin at their first column, as the template's own text says
  // of comments.
  EXPECT_TRUE(text().starts_with("! Template:")) << text();
  EXPECT_EQ(text().find("\r\n "), text().find("\r\n  ")) << "only indented lines start blank";
  EXPECT_EQ(read_file(at("untitled-T.ost")), text());
  ide::OPENEDITCLOSE(0);
  ASSERT_TRUE(open(at("plain.ost")));
  EXPECT_TRUE(text().starts_with("! A new Ostrel script.")) << text();
  core::reset_editbuffer();
  // A template that the help data file lacks gives one empty line.
  ASSERT_TRUE(open(at("untitled-X.ost")));
  EXPECT_EQ(text(), "\r\n");
  EXPECT_EQ(core::edmode, 13);
  EXPECT_EQ(ide::workdir.trimmed(), home.path().string() + "/");
}

TEST_F(Open, AScriptWithoutItsLastLineEnd) {
  fs::create_directories(home.path() / "a.b");
  write_file(at("a.b/demo.ost"), "X = 1\nY = 2");
  ASSERT_TRUE(open(at("a.b/demo.ost")));
  EXPECT_EQ(text(), "X = 1\r\nY = 2\r\n");
  EXPECT_EQ(ide::workpath.trimmed(), at("a.b/demo.tmp"));  // named after the script, not the folder
  EXPECT_EQ(core::nedlines, 2);
}

TEST_F(Open, ALeftOverWorkingCopyBringsTextAndLogBack) {
  write_file(at("demo.ost"), "old\r\n");
  const std::string image = imageof("old\r\n", at("demo.ost"));
  write_file(at("demo.tmp"), image);
  ASSERT_TRUE(open(at("demo.ost")));
  EXPECT_EQ(text(), "gone\r\nold\r\n");
  EXPECT_TRUE(core::undoavailable());
  EXPECT_TRUE(core::redoavailable());
  EXPECT_EQ(ide::scriptpath.trimmed(), at("demo.tmp"));
  EXPECT_EQ(ide::wdwhead->title.trimmed(), at("demo.tmp"));
  std::int32_t pos = 0;
  core::C1EDITUNDO(pos, 0);
  EXPECT_EQ(text(), "old\r\n");
}

TEST_F(Open, DamagedAndTooShortWorkingCopies) {
  write_file(at("demo.ost"), "old\r\n");
  std::string image = imageof("old\r\n", at("demo.ost"));
  image[image.size() - 6] ^= 0x55;  // the log top
  write_file(at("demo.tmp"), image);
  ASSERT_TRUE(open(at("demo.ost")));
  EXPECT_EQ(text(), "gone\r\nold\r\n");
  EXPECT_FALSE(core::undoavailable());
  ide::OPENEDITCLOSE(0);
  EXPECT_EQ(read_file(at("demo.tmp")), image) << "a damaged copy is not deleted";
  write_file(at("demo.tmp"), "short");
  EXPECT_FALSE(open(at("demo.ost")));
  EXPECT_FALSE(fs::exists(at("demo.tmp")));
  EXPECT_TRUE(open(at("demo.ost")));
  EXPECT_EQ(text(), "old\r\n");
}

TEST_F(Open, AFolderThatCannotBeWrittenKeepsItsCopiesInTheStateFolder) {
  const std::string kept = state.file("ostrel/demo.tmp");
  // A folder this user cannot write (as root, one of the system's).
  fs::create_directories(home.path() / "ro");
  ::chmod(at("ro").c_str(), 0555);
  const std::string readonly = ::access(at("ro").c_str(), W_OK) != 0 ? at("ro/")
                               : ::access("/proc/sys", W_OK) != 0    ? "/proc/sys/"
                                                                     : "";
  if (!readonly.empty()) {
    EXPECT_EQ(ide::workpathfor(readonly + "demo.ost"), kept);
  }
  ::chmod(at("ro").c_str(), 0755);
  // A copy there is taken only for the script it was made for.
  write_file(at("demo.ost"), "old\r\n");
  fs::create_directories(state.path() / "ostrel");
  write_file(kept, imageof("old\r\n", at("demo.ost")));
  ASSERT_TRUE(open(at("demo.ost")));
  EXPECT_EQ(text(), "gone\r\nold\r\n");
  EXPECT_EQ(ide::workpath.trimmed(), kept);
  core::reset_editbuffer();
  write_file(kept, imageof("other\r\n", at("elsewhere/demo.ost")));
  ASSERT_TRUE(open(at("demo.ost")));
  EXPECT_EQ(text(), "old\r\n");
  EXPECT_EQ(ide::workpath.trimmed(), at("demo.tmp"));
}

TEST_F(Open, AMissingFolderIsMadeAndAsksForAName) {
  EXPECT_FALSE(open(at("new/sub/x.ost")));
  EXPECT_TRUE(fs::is_directory(at("new/sub")));
  EXPECT_EQ(core::edvars(ide::edexitfield), 11);
}

}  // namespace
}  // namespace idetest
