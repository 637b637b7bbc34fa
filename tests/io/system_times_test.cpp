// SYSTEM's file times: a time that cannot be set on its file stops the
// statement and says so; a time set is read back.
#include <gtest/gtest.h>

#include <string>

#include "platform/win_message_box.h"
#include "script_folder.h"
#include "support/test_support.h"

namespace {

class SystemTimes : public iotest::ScriptFolder {};

TEST_F(SystemTimes, ATimeThatCannotBeSetStopsTheStatementAndSaysWhy) {
  const std::string out =
      run("SYSTEM(FIle='gone.txt', SetFileTime='20210304050607.500')\nAFTER = 1\nEND\n");
  EXPECT_NE(out.find("stop=32767"), std::string::npos) << out;
  EXPECT_EQ(out.find("AFTER=1"), std::string::npos) << out;
  const auto& log = plat::message_box_log();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().text.find("The time of the file could not be set"), std::string::npos)
      << log.back().text;
  plat::reset_message_boxes();
  testsupport::write_file("here.txt", "x");
  EXPECT_NE(run("CHARACTER T*18\nSYSTEM(FIle='here.txt', SetFileTime='20210304050607.500')\n"
                "SYSTEM(FIle='here.txt', FileTime=T)\nEND\n")
                .find("T='20210304050607.500'"),
            std::string::npos);
  EXPECT_TRUE(plat::message_box_log().empty());
}

}  // namespace
