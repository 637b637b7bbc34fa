// Shell execution against a fake xdg-open put first on PATH: links and
// documents handed on, programs started themselves, and the failures that
// SHELLXEQ records. Every child writes a note when it ends, which the test
// waits for (at most ten seconds), so none outlives it.
#include "io/shell.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "io/rwtexts.h"
#include "support/stores_fixture.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

// The note a child left: its folder and its arguments, one a line; empty
// when none came within half a minute.
std::string note(const fs::path& p) {
  for (int i = 0; i < 3000 && !fs::exists(p); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return read_file(p);
}

void script(const fs::path& p, const std::string& body) {
  write_file(p, "#!/bin/sh\n" + body);
  fs::permissions(p, fs::perms::owner_all);
}

// The fake opener and a program both write their notes atomically.
constexpr const char* noting =
    "printf '%s\\n' \"$PWD\" \"$@\" > \"$NOTE.part\" && mv \"$NOTE.part\" \"$NOTE\"\n";

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    core::msgkey.blank();
    core::iostatw = {};
    fs::create_directory(bin_.path() / "bin");
    script(bin_.path() / "bin" / "xdg-open", noting);
    path_ = std::getenv("PATH");
    setenv("PATH", (bin_.path() / "bin").string().append(":").append(path_).c_str(), 1);
    setenv("NOTE", notefile().c_str(), 1);
    cwd_ = fs::current_path();
    fs::current_path(dir_.path());
  }
  void TearDown() override {
    fs::current_path(cwd_);
    setenv("PATH", path_.c_str(), 1);
    unsetenv("NOTE");
  }
  std::string notefile() const { return (bin_.path() / "note").string(); }
  // Hands the file over and returns the child's note.
  std::string open(const std::string& file, const std::string& verb = " ",
                   const std::string& parameters = " ", const std::string& folder = " ") {
    fs::remove(notefile());
    io::SHELLXEQ(file, verb, parameters, folder, "shellXEQ");
    return core::msgkey.trimmed().empty() ? note(notefile()) : "";
  }

  testsupport::TempDir dir_, bin_;
  std::string path_;
  fs::path cwd_;
};

TEST_F(Shell, DocumentsFoldersAndLinksGoToTheOpener) {
  write_file(dir_.path() / "doc.txt", "x");
  fs::create_directory(dir_.path() / "folder");
  const std::string here = dir_.path().string();
  // A blank verb and "open" are the default action; a relative name is
  // handed on as a full path, from the folder given.
  EXPECT_EQ(open("doc.txt   "), here + "\n" + here + "/doc.txt\n");
  EXPECT_EQ(open("doc.txt", "OPEN", " ", "folder"), here + "/folder\n" + here + "/doc.txt\n");
  EXPECT_EQ(open("folder"), here + "\n" + here + "/folder\n");
  // A name found only in the folder given.
  write_file(dir_.path() / "folder" / "only.txt", "x");
  EXPECT_EQ(open("only.txt", " ", " ", "folder"), here + "/folder\n" + here + "/folder/only.txt\n");
  EXPECT_EQ(open("https://example.org/a b"), here + "\nhttps://example.org/a b\n");
  EXPECT_TRUE(core::msgkey.trimmed().empty());
}

TEST_F(Shell, AnExecutableStartsItselfWithItsParametersInTheFolder) {
  script(dir_.path() / "prog", noting);
  fs::create_directory(dir_.path() / "work");
  EXPECT_EQ(open("prog", " ", "one \"two three\"", "work"),
            (dir_.path() / "work").string() + "\none\ntwo three\n");
}

TEST_F(Shell, FailuresAreRecordedNotShown) {
  write_file(dir_.path() / "doc.txt", "x");
  open("doc.txt", "print");
  EXPECT_EQ(core::msgkey.trimmed(), "shellXEQ");
  EXPECT_EQ(core::iostatw[0], 31);
  EXPECT_EQ(io::rwdetail.trimmed(), "doc.txt");
  core::msgkey.blank();
  open("missing.doc   ");
  EXPECT_EQ(core::msgkey.trimmed(), "shellXEQ");
  EXPECT_EQ(core::iostatw[0], 2);
  EXPECT_EQ(io::rwdetail.trimmed(), "missing.doc");
  // Without an opener on PATH a document has no program.
  core::msgkey.blank();
  setenv("PATH", "/nonexistent", 1);
  open("doc.txt");
  EXPECT_EQ(core::iostatw[0], 31);
}

TEST_F(Shell, MailAddressFromTheCharacterStore) {
  const std::int32_t k = storetest::addcharvar("ADDR", "someone@example.org");
  std::int32_t first = 0, last = 0;
  core::TRANSFERR8TO2I4(core::z(k), first, last);
  fs::remove(notefile());
  io::SHELLXEQC1(first, last - first + 1);
  EXPECT_EQ(note(notefile()), dir_.path().string() + "\nmailto:someone@example.org\n");
}

}  // namespace
