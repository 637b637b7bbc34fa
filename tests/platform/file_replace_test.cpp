// Replacing a file: links followed to the real file, mode and hard links
// kept, no temporary file opened through a link or left behind, and every
// failure (the file-size limit too) leaving the file as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_replace.h"
#include "platform/file_units.h"
#include "support/test_support.h"

namespace {

using namespace plat;
namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

class FileReplace : public ::testing::Test {
 protected:
  void SetUp() override { reset_file_units(); }
  void TearDown() override { reset_file_units(); }
  std::string file(const std::string& name) const { return dir.file(name); }
  // The folder's entries, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  unsigned mode(const std::string& name) const {
    struct stat st {};
    return ::stat(file(name).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  testsupport::TempDir dir;
};

using Names = std::vector<std::string>;

// A folder's write bit taken away for the life of the object.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const fs::path& p) : path_(p) { ::chmod(path_.c_str(), 0555); }
  ~ReadOnlyFolder() { ::chmod(path_.c_str(), 0755); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  fs::path path_;
};

TEST_F(FileReplace, ALinkWhereTheTemporaryFileUsedToBeIsNeverWrittenThrough) {
  write_file(file("t.ost"), "old\r\n");
  write_file(file("other.txt"), "keep\r\n");
  fs::create_symlink("other.txt", file("t.ost~"));
  const ReplaceResult r = replace_file(file("t.ost"), "new\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_FALSE(r.inplace);
  EXPECT_EQ(read_file(file("other.txt")), "keep\r\n");
  EXPECT_EQ(read_file(file("t.ost")), "new\r\n");
  EXPECT_FALSE(fs::is_symlink(file("t.ost")));
  EXPECT_TRUE(fs::is_symlink(file("t.ost~")));
  EXPECT_EQ(entries(), (Names{"other.txt", "t.ost", "t.ost~"}));
}

TEST_F(FileReplace, LinksAreFollowedToTheRealFileWhichKeepsItsMode) {
  // t.ost -> link.ost -> sub/real.ost (relative to each link's folder).
  fs::create_directory(file("sub"));
  write_file(file("sub/real.ost"), "old\r\n");
  ::chmod(file("sub/real.ost").c_str(), 0600);
  fs::create_symlink("sub/real.ost", file("link.ost"));
  fs::create_symlink(file("link.ost"), file("t.ost"));
  ReplaceResult r = replace_file(file("t.ost"), "new\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.path, file("sub/real.ost"));
  EXPECT_TRUE(fs::is_symlink(file("t.ost")) && fs::is_symlink(file("link.ost")));
  EXPECT_EQ(read_file(file("sub/real.ost")), "new\r\n");
  EXPECT_EQ(mode("sub/real.ost"), 0600u);
  ::chmod(file("sub/real.ost").c_str(), 0640);
  ASSERT_TRUE(replace_file(file("t.ost"), "newer\r\n").ok());
  EXPECT_EQ(mode("sub/real.ost"), 0640u);
  EXPECT_EQ(fs::directory_iterator(file("sub"))->path().filename(), "real.ost");

  // A dangling link is written to the path it names; the link stays.
  fs::create_symlink("made.ost", file("dangling.ost"));
  r = replace_file(file("dangling.ost"), "made\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(fs::is_symlink(file("dangling.ost")));
  EXPECT_EQ(read_file(file("made.ost")), "made\r\n");

  // A loop of links is refused.
  fs::create_symlink("loop2", file("loop1"));
  fs::create_symlink("loop1", file("loop2"));
  r = replace_file(file("loop1"), "x");
  EXPECT_EQ(r.error, ELOOP);
  EXPECT_EQ(r.step, ReplaceStep::name);
  EXPECT_TRUE(fs::is_symlink(file("loop1")) && fs::is_symlink(file("loop2")));
}

TEST_F(FileReplace, ANewFileTakesTheGivenModeLessTheUmask) {
  const mode_t old = ::umask(022);
  EXPECT_TRUE(replace_file(file("a.txt"), "a").ok());
  EXPECT_TRUE(replace_file(file("b.txt"), "b", {.sync = false, .newmode = 0600}).ok());
  ::umask(old);
  EXPECT_EQ(mode("a.txt"), 0644u);
  EXPECT_EQ(mode("b.txt"), 0600u);
}

TEST_F(FileReplace, AFileWithFurtherHardLinksIsWrittenInPlace) {
  write_file(file("a.ost"), "a fairly long old text\r\n");
  fs::create_hard_link(file("a.ost"), file("b.ost"));
  ReplaceResult r = replace_file(file("a.ost"), "short\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.inplace);
  EXPECT_EQ(read_file(file("b.ost")), "short\r\n");
  EXPECT_EQ(fs::hard_link_count(file("a.ost")), 2u);
  const std::string longer(5000, 'x');
  ASSERT_TRUE(replace_file(file("b.ost"), longer).ok());
  EXPECT_EQ(read_file(file("a.ost")), longer);
  EXPECT_EQ(entries(), (Names{"a.ost", "b.ost"}));
}

// A failed write, close or rename, by either road, leaves the file and no
// temporary file; the status tells the step.
TEST_F(FileReplace, EveryFailureLeavesTheFileAsItWas) {
  write_file(file("t.ost"), "old\r\n");
  write_file(file("h.ost"), "old\r\n");
  fs::create_hard_link(file("h.ost"), file("h2.ost"));
  const Names all{"h.ost", "h2.ost", "t.ost"};
  const std::string longer(3000, 'n');
  struct Case {
    std::int64_t* hook;
    ReplaceStep step;
    int iostat;
  };
  for (const Case& c : {Case{&writes_before_fault, ReplaceStep::write, iostat_write_error},
                        Case{&closes_before_fault, ReplaceStep::close, iostat_close_failed},
                        Case{&renames_before_fault, ReplaceStep::rename, iostat_write_error}}) {
    for (const char* name : {"t.ost", "h.ost"}) {
      *c.hook = 0;
      const ReplaceResult r = replace_file(file(name), longer);
      *c.hook = -1;
      if (std::string(name) == "h.ost" && c.step == ReplaceStep::rename) {
        EXPECT_TRUE(r.ok());  // in place: nothing is renamed
        write_file(file("h.ost"), "old\r\n");
        continue;
      }
      EXPECT_FALSE(r.ok()) << name;
      EXPECT_EQ(r.step, c.step) << name;
      EXPECT_EQ(replace_iostat(r), c.iostat) << name;
      // In place the bytes are written before the close fails.
      if (c.step != ReplaceStep::close || r.inplace) {
        EXPECT_EQ(read_file(file(name)), c.step == ReplaceStep::close ? longer : "old\r\n") << name;
      }
      EXPECT_EQ(entries(), all) << name;
      write_file(file("h.ost"), "old\r\n");
    }
  }
  EXPECT_EQ(replace_iostat(replace_file(file("nofolder/x.ost"), "x")), iostat_no_file);
  EXPECT_EQ(replace_iostat(replace_file("   ", "x")), iostat_bad_name);
  const ReplaceResult folder = replace_file(dir.path().string(), "x");
  EXPECT_EQ(folder.error, EISDIR);
  EXPECT_EQ(entries(), all);
}

// Past the file-size limit the write fails with EFBIG (the signal
// ignored): no temporary file stays, the file keeps its bytes and length,
// on both roads, and a new file is not made.
TEST_F(FileReplace, TheFileSizeLimitFailsTheReplaceAndKeepsTheFile) {
  write_file(file("t.ost"), "old\r\n");
  write_file(file("h.ost"), "old\r\n");
  fs::create_hard_link(file("h.ost"), file("h2.ost"));
  const std::string report = testsupport::in_child([&] {
    std::string out;
    if (!testsupport::limit_file_size(100)) return std::string("no limit set");
    const std::string big(1000, 'b');
    for (const char* name : {"t.ost", "h.ost", "new.ost"}) {
      const ReplaceResult r = replace_file(file(name), big);
      if (r.error != EFBIG || r.step != ReplaceStep::write)
        out += std::string(name) + ": error " + std::to_string(r.error) + "\n";
    }
    if (read_file(file("t.ost")) != "old\r\n") out += "t.ost changed\n";
    if (read_file(file("h.ost")) != "old\r\n") out += "h.ost changed\n";
    if (entries() != Names{"h.ost", "h2.ost", "t.ost"}) out += "files left in the folder\n";
    // Within the limit the same call succeeds.
    if (!replace_file(file("t.ost"), std::string(90, 's')).ok()) out += "90 bytes refused\n";
    return out;
  });
  EXPECT_EQ(report, "");
  EXPECT_EQ(read_file(file("t.ost")), std::string(90, 's'));
}

// Permissions: a root user writes every folder and file, so these cases
// say nothing as root.
TEST_F(FileReplace, AFolderThatTakesNoNewFileGetsItsWritableFileWrittenInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write a folder without its write bit";
  write_file(file("t.ost"), "old\r\n");
  ::chmod(file("t.ost").c_str(), 0600);
  // A file that may not be written is not replaced behind its back,
  // though its folder would take the rename.
  write_file(file("ro.ost"), "old\r\n");
  ::chmod(file("ro.ost").c_str(), 0444);
  EXPECT_EQ(replace_file(file("ro.ost"), "x").error, EACCES);
  EXPECT_EQ(read_file(file("ro.ost")), "old\r\n");
  ReadOnlyFolder readonly(dir.path());
  ReplaceResult r = replace_file(file("t.ost"), "new, and longer\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.inplace);
  EXPECT_EQ(read_file(file("t.ost")), "new, and longer\r\n");
  EXPECT_EQ(mode("t.ost"), 0600u);
  // No new file in such a folder.
  r = replace_file(file("new.ost"), "x");
  EXPECT_EQ(r.error, EACCES);
  EXPECT_EQ(r.step, ReplaceStep::create);
  EXPECT_EQ(entries(), (Names{"ro.ost", "t.ost"}));
}

}  // namespace

// Bytes handed over piece by piece: they reach the file only at the
// commit, by either road; a replace given up, or failing at the size limit
// midway, leaves the file and no temporary file.
TEST_F(FileReplace, APieceByPieceReplaceReachesTheFileOnlyWhenCommitted) {
  write_file(file("t.ost"), "old\r\n");
  write_file(file("h.ost"), "old\r\n");
  fs::create_hard_link(file("h.ost"), file("h2.ost"));
  const Names all{"h.ost", "h2.ost", "t.ost"};
  for (const char* name : {"t.ost", "h.ost"}) {
    {
      Replacement given_up(file(name));
      EXPECT_TRUE(given_up.write("never"));
    }
    EXPECT_EQ(read_file(file(name)), "old\r\n") << name;
    EXPECT_EQ(entries(), all) << name;
    Replacement job(file(name));
    EXPECT_TRUE(job.write("one,") && job.write("") && job.write("two"));
    EXPECT_EQ(read_file(file(name)), "old\r\n") << name;
    const ReplaceResult r = job.commit();
    ASSERT_TRUE(r.ok()) << name << ": " << r.error;
    EXPECT_EQ(r.inplace, std::string(name) == "h.ost");
    EXPECT_EQ(read_file(file(name)), "one,two") << name;
    EXPECT_FALSE(job.write("late"));
    EXPECT_EQ(entries(), all) << name;
    write_file(file(name), "old\r\n");
  }
  const std::string report = testsupport::in_child([&] {
    if (!testsupport::limit_file_size(100)) return std::string("no limit set");
    Replacement job(file("t.ost"));
    bool wrote = true;
    for (int i = 0; i < 20 && wrote; ++i) wrote = job.write(std::string(10, 'x'));
    if (wrote || job.result().error != EFBIG || job.result().step != ReplaceStep::write)
      return "the limit was not met: error " + std::to_string(job.result().error);
    if (job.commit().ok()) return std::string("a failed replace committed");
    if (read_file(file("t.ost")) != "old\r\n") return std::string("t.ost changed");
    return entries() == Names{"h.ost", "h2.ost", "t.ost"} ? std::string()
                                                          : std::string("files left behind");
  });
  EXPECT_EQ(report, "");
}

namespace {

FileId id_of(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

// A replace told which file its name must lead to: a link to another file
// or another file renamed over the name, before the replace starts or
// while its bytes are being written, fails it (status 40) and leaves the
// other file and the expected one as they were, by either road; the
// expected file itself, also through a link, is replaced.
TEST_F(FileReplace, AReplaceOfAnExpectedFileTouchesNoFileThatTookItsName) {
  write_file(file("other.txt"), "other\r\n");
  for (const bool hardlinked : {false, true}) {
    for (const bool aslink : {false, true}) {
      for (const bool whilewriting : {false, true}) {
        const std::string what = std::string(hardlinked ? "in place, " : "") +
                                 (aslink ? "a link" : "a file") +
                                 (whilewriting ? " while writing" : " before the start");
        write_file(file("t.txt"), "old\r\n");
        if (hardlinked) fs::create_hard_link(file("t.txt"), file("t2.txt"));
        const FileId expect = id_of(file("t.txt"));
        const auto take_name = [&] {
          fs::rename(file("t.txt"), file("away.txt"));
          if (aslink) {
            fs::create_symlink("other.txt", file("t.txt"));
          } else {
            write_file(file("new.txt"), "other\r\n");
            fs::rename(file("new.txt"), file("t.txt"));
          }
        };
        if (!whilewriting) take_name();
        Replacement job(file("t.txt"), {.sync = false, .expect = expect});
        job.write("new\r\n");
        if (whilewriting) take_name();
        const ReplaceResult r = job.commit();
        EXPECT_EQ(r.step, ReplaceStep::replaced) << what;
        EXPECT_EQ(replace_iostat(r), iostat_replaced) << what;
        EXPECT_EQ(read_file(file("other.txt")), "other\r\n") << what;
        EXPECT_EQ(read_file(file("t.txt")), "other\r\n") << what;
        EXPECT_EQ(read_file(file("away.txt")), "old\r\n") << what;
        for (const char* gone : {"t.txt", "t2.txt", "away.txt"}) fs::remove(file(gone));
        EXPECT_EQ(entries(), Names{"other.txt"}) << what;
      }
    }
  }
  write_file(file("real.txt"), "old\r\n");
  fs::create_symlink("real.txt", file("t.txt"));
  const ReplaceResult r =
      replace_file(file("t.txt"), "new\r\n", {.sync = false, .expect = id_of(file("real.txt"))});
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(read_file(file("real.txt")), "new\r\n");
  EXPECT_TRUE(fs::is_symlink(file("t.txt")));
}
