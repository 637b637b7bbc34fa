// Opening a script: new ones from their templates, left-over working copies
// (good, damaged, ones that are none, in the state folder), folders with
// dots and missing folders.
#include <filesystem>

#include <sys/stat.h>

#include "core/editbuffer.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "ide/idewords.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/windowlist.h"
#include "platform/win_message_box.h"
#include "platform/win_window.h"
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

// A copy whose records do not hold together keeps its text; one that is
// none (too short, marks outside it) is put aside under a free name and
// the script opens from its own file at once.
TEST_F(Open, DamagedWorkingCopiesAndOnesThatAreNone) {
  write_file(at("demo.ost"), "old\r\n");
  const std::string good = imageof("old\r\n", at("demo.ost"));
  std::string image = good;
  const std::int32_t top = core::GETI4FROM4C1({image.data() + image.size() - 8, 4});
  image[static_cast<std::size_t>(top)] ^= 0x55;  // the newest record's top length copy
  write_file(at("demo.tmp"), image);
  ASSERT_TRUE(open(at("demo.ost")));
  EXPECT_EQ(text(), "gone\r\nold\r\n");
  EXPECT_FALSE(core::undoavailable());
  ide::OPENEDITCLOSE(0);
  EXPECT_EQ(read_file(at("demo.tmp")), image) << "a damaged copy is not deleted";
  write_file(at("demo.tmp.bad"), "earlier");
  std::string outside = good;
  outside[outside.size() - 5] ^= 0x55;  // the log top, far above the file
  for (const std::string& none : {std::string("short"), outside}) {
    write_file(at("demo.tmp"), none);
    ASSERT_TRUE(open(at("demo.ost")));
    EXPECT_EQ(text(), "old\r\n");
    EXPECT_EQ(ide::wdwhead->title.trimmed(), at("demo.ost"));
    EXPECT_EQ(ide::workpath.trimmed(), at("demo.tmp"));
    EXPECT_FALSE(fs::exists(at("demo.tmp")));
    ASSERT_FALSE(plat::message_box_log().empty());
    EXPECT_EQ(plat::message_box_log().back().title,
              at(none == "short" ? "demo.tmp.bad2" : "demo.tmp.bad3"));
    ide::OPENEDITCLOSE(0);
  }
  EXPECT_EQ(read_file(at("demo.tmp.bad")), "earlier");
  EXPECT_EQ(read_file(at("demo.tmp.bad2")), "short");
  EXPECT_EQ(read_file(at("demo.tmp.bad3")), outside);
  EXPECT_EQ(read_file(at("demo.ost")), "old\r\n");
}

// Working copies cut short, with marks moved anywhere, bytes changed, or
// random bytes and plain texts (seeded): each is taken, or put aside and
// the script read; nothing fails, and the script's file stays as it was.
TEST_F(Open, DamagedWorkingCopiesNeverCrashTheOpenNorLoseTheScript) {
  const std::string script = "A = 1\r\nB = 2\r\nEND\r\n";
  write_file(at("f.ost"), script);
  const std::string good = imageof(script, at("f.ost"));
  // (A small window is quickly drawn.)
  win::SetWindowPos(static_cast<win::HWND>(ide::wdwhead->window), nullptr, 0, 0, 160, 120,
                    win::SWP_NOZORDER);
  std::uint32_t seed = 20250611;
  auto rnd = [&](std::uint32_t n) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 250; ++round) {
    std::string image = good;
    switch (round % 5) {
      case 0:  // cut short
        image.resize(rnd(static_cast<std::uint32_t>(good.size())));
        break;
      case 1:  // a mark anywhere
        for (std::size_t k = 0; k < 4; ++k)
          image[image.size() - 11 + 4 * rnd(3) + k] = static_cast<char>(rnd(256));
        break;
      case 2:  // bytes changed
        for (std::uint32_t k = rnd(8) + 1; k > 0; --k)
          image[rnd(static_cast<std::uint32_t>(image.size()))] = static_cast<char>(rnd(256));
        break;
      case 3:  // random bytes
        image.resize(rnd(400));
        for (char& c : image) c = static_cast<char>(rnd(256));
        break;
      default:  // a plain text
        image.clear();
        for (std::uint32_t k = rnd(60); k > 0; --k) image += "X = 1\r\n";
        image += "END\r\n";
        break;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    write_file(at("f.tmp"), image);
    ASSERT_TRUE(open(at("f.ost")));
    if (!ide::workcopyimage(image)) {
      EXPECT_EQ(text(), script);
      EXPECT_EQ(read_file(at("f.tmp.bad")), image);
      fs::remove(at("f.tmp.bad"));
    }
    // Whatever log was taken goes back and forth to its ends.
    std::int32_t pos = 0;
    for (int k = 0; k < 20 && core::undoavailable(); ++k) core::C1EDITUNDO(pos, 0);
    for (int k = 0; k < 20 && core::redoavailable(); ++k) core::C1EDITUNDO(pos, 1);
    ide::OPENEDITCLOSE(0);
    fs::remove(at("f.tmp"));
    ASSERT_EQ(read_file(at("f.ost")), script);
  }
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
