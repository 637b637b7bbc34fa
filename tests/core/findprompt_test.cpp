#include "core/findprompt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/helpdata.h"
#include "core/runwords.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

using namespace core;

class FindPrompt : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::reset_file_units();
    reset_helpdata();
    plat::reset_message_boxes();
    searchhistory = dir_.file("Ostrel-Searches.txt");
  }
  void TearDown() override {
    searchhistory = "Ostrel-Searches.txt";
    reset_helpdata();
    plat::reset_file_units();
  }
  std::string history() const { return testsupport::read_file(searchhistory); }
  // Records text as FIND_PROMPT does, with the file's current size.
  int record(const std::string& text, int count, int& mode) {
    const auto size = std::filesystem::exists(searchhistory)
                          ? static_cast<std::int64_t>(std::filesystem::file_size(searchhistory))
                          : -1;
    SEARCHFILERW(size, searchunit, text + "\r\n", count, mode);
    return mode;
  }
  testsupport::TempDir dir_;
};

TEST_F(FindPrompt, HistoryKeepsEachTextOnceMostRecentFirst) {
  int mode = 0;
  EXPECT_EQ(record("alpha", 1, mode), -1);  // a first search creates the file
  EXPECT_EQ(history(), "alpha\r\n");
  mode = 0;
  record("beta", 1, mode);
  record("gamma", 1, mode);
  EXPECT_EQ(history(), "gamma\r\nbeta\r\nalpha\r\n");
  mode = 0;
  record("alpha", 1, mode);  // moved to the front, not repeated
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(history(), "alpha\r\ngamma\r\nbeta\r\n");
  const auto before = std::filesystem::last_write_time(searchhistory);
  record("alpha", 1, mode);  // already first: nothing is written
  EXPECT_EQ(std::filesystem::last_write_time(searchhistory), before);
  EXPECT_EQ(history(), "alpha\r\ngamma\r\nbeta\r\n");
}

TEST_F(FindPrompt, OnlyWholeLinesMatch) {
  testsupport::write_file(searchhistory, "xabc\r\nother\r\n");
  int mode = 0;
  record("abc", 1, mode);
  EXPECT_EQ(mode, -1);
  EXPECT_EQ(history(), "abc\r\nxabc\r\nother\r\n");
}

TEST_F(FindPrompt, ProvisionalLineIsReplacedByTheFinalText) {
  testsupport::write_file(searchhistory, "A\r\nB\r\n");
  // Typed before the window and changed in it, count left at 1: both stay.
  int mode = 0;
  record("typed", 1, mode);
  record("changed", 1, mode);
  EXPECT_EQ(history(), "changed\r\ntyped\r\nA\r\nB\r\n");
  // With count 0 the provisional line goes; the file shrinks exactly.
  testsupport::write_file(searchhistory, "A\r\nB\r\n");
  mode = 0;
  record("typed", 1, mode);
  record("changed", 0, mode);
  EXPECT_EQ(history(), "changed\r\nA\r\nB\r\n");
  // The final text may be the line under the dropped one.
  testsupport::write_file(searchhistory, "A\r\nB\r\n");
  mode = 0;
  record("typed", 1, mode);
  record("A", 0, mode);
  EXPECT_EQ(history(), "A\r\nB\r\n");
  // Without a line end nothing is dropped.
  testsupport::write_file(searchhistory, "lonely");
  mode = 1;
  record("x", 0, mode);
  EXPECT_EQ(history(), "x\r\nlonely");
}

// A history that cannot be written is said once (until a write succeeds
// again) with its status; one that cannot be read is not written over.
TEST_F(FindPrompt, AHistoryThatCannotBeWrittenIsSaidOnceAndOneUnreadIsKept) {
  const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  helppath.set(path);
  CHECKSUM(path);
  std::filesystem::create_symlink("no/such/folder.txt", searchhistory);
  int mode = 0;
  record("one", 1, mode);
  record("two", 1, mode);
  EXPECT_EQ(iostatw[0], plat::iostat_no_file);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].title, searchhistory);
  EXPECT_NE(plat::message_box_log()[0].text.find("The file named in the title was not written: "
                                                 "its folder does not exist."),
            std::string::npos);
  std::filesystem::remove(searchhistory);
  record("three", 1, mode);
  EXPECT_EQ(history(), "three\r\n");

  testsupport::write_file(searchhistory, "kept\r\n");
  SEARCHFILERW(100, -1, "lost\r\n", mode, mode);  // no unit to read it on
  EXPECT_EQ(history(), "kept\r\n");
}

TEST_F(FindPrompt, PromptRecordsTheSearchText) {
  const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  helppath.set(path);
  CHECKSUM(path);
  std::string text = "needle                          ";  // the editor's 32 characters
  std::array<std::int16_t, 4> halves{};
  EXPECT_EQ(FIND_PROMPT(text, halves), 1);
  EXPECT_EQ(findpromptflag, 0);
  EXPECT_EQ(history(), "needle\r\n");
  EXPECT_TRUE(plat::message_box_log().empty());  // the find window is no box
  EXPECT_EQ(FIND_PROMPT(text, halves), 1);
  EXPECT_EQ(history(), "needle\r\n");
}

}  // namespace
