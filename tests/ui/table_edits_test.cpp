// Edits of script files viewed as tables, saved byte for byte: EDIT's
// table form (rows deleted and appended), script writes of single cells
// (kept until the file closes, read back before that), the statuses of
// element access, and saves that fail at every step of the file layer
// leaving the file as it was.
#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

using dlgtest::DialogScript;

const std::string head = "CHARACTER F*8, S*6\nF = 't.txt'\nOPEN(FIle=F, Format='A2,A')\n";

std::string lines(const char* end, int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += "l" + std::to_string(i) + " " + char('a' + i - 1) + end;
  return s;
}

TEST_F(DialogScript, EditDeletesAndAppendsRowsAndSavesThemByteForByte) {
  for (const char* end : {"\n", "\r\n"}) {
    SCOPED_TRACE(end[0] == '\n' ? "LF" : "CR LF");
    // Delete=5 with DO=3: rows name stored lines, so 5, 6 and 7 go.
    testsupport::write_file("t.txt", lines(end, 1, 8));
    std::string out = run(head + "N = EDIT(Delete=5, DO=3, MatriX=F)\n");
    EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
    EXPECT_EQ(testsupport::read_file("t.txt"), lines(end, 1, 4) + lines(end, 8, 8));
    // Appended rows follow the last line, which gets its line end first.
    std::string last = lines(end, 1, 2);
    last.resize(last.size() - std::string(end).size());
    testsupport::write_file("t.txt", last);
    out = run(head + "N = EDIT(APpendTo, DO=2, MatriX=F)\n");
    EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
    const std::string blankrow = std::string("   ") + end;
    EXPECT_EQ(testsupport::read_file("t.txt"), lines(end, 1, 2) + blankrow + blankrow);
    // Deleting every row leaves an empty file.
    testsupport::write_file("t.txt", lines(end, 1, 3));
    out = run(head + "N = EDIT(Delete=1, DO=3, MatriX=F)\n");
    EXPECT_EQ(testsupport::read_file("t.txt"), "");
  }
}

TEST_F(DialogScript, EditTableFormRefusesOtherOptions) {
  testsupport::write_file("t.txt", lines("\n", 1, 3));
  EXPECT_NE(run(head + "N = EDIT(Delete=1, Right=2, MatriX=F)\n").find("key=editMXinvKW"),
            std::string::npos);
  EXPECT_NE(run(head + "N = EDIT(Delete=1, MatriX=F, DO=2)\n").find("key=editText1"),
            std::string::npos);
  EXPECT_EQ(testsupport::read_file("t.txt"), lines("\n", 1, 3));
}

TEST_F(DialogScript, ScriptCellWritesAreKeptReadBackAndSavedAtTheClose) {
  testsupport::write_file("t.txt", lines("\r\n", 1, 4));
  // Two writes of one cell: the second counts; the read sees it before
  // the file holds it.
  const std::string out = run(head +
                              "WRITE(FIle=F, REC=2, Column=2) 'xyz'\n"
                              "WRITE(FIle=F, REC=2, Column=2) 'longer'\n"
                              "READ(FIle=F, REC=2, Column=2) S\n"
                              "CHARACTER K*20\nK = F\n");
  EXPECT_NE(out.find("S='longer'"), std::string::npos) << out;
  EXPECT_EQ(testsupport::read_file("t.txt"), "l1 a\r\nl2longer\r\nl3 c\r\nl4 d\r\n");
}

TEST_F(DialogScript, ElementStatusesOutsideTheTable) {
  testsupport::write_file("t.txt", lines("\n", 1, 3));
  const std::string out = run(head +
                              "I1 = 0\nI2 = 0\nI3 = 0\nI4 = 0\n"
                              "READ(FIle=F, REC=4, Column=1, IOStat=I1, ERror=10) S\n"
                              "10 READ(FIle=F, REC=1, Column=3, IOStat=I2, ERror=20) S\n"
                              "20 WRITE(FIle=F, REC=1, Column=0, IOStat=I3, ERror=30) 'q'\n"
                              "30 CONTINUE\n");
  EXPECT_NE(out.find("I1=25"), std::string::npos) << out;
  EXPECT_NE(out.find("I2=25"), std::string::npos) << out;
  EXPECT_NE(out.find("I3=38"), std::string::npos) << out;
  EXPECT_EQ(testsupport::read_file("t.txt"), lines("\n", 1, 3));
}

TEST_F(DialogScript, ASaveThatFailsAtAnyStepLeavesTheFileWhole) {
  const std::string before = lines("\r\n", 1, 6);
  const struct {
    const char* what;
    std::int64_t* hook;
  } faults[] = {
      {"write", &plat::writes_before_fault},
      {"close", &plat::closes_before_fault},
      {"rename", &plat::renames_before_fault},
  };
  for (const auto& f : faults) {
    for (std::int64_t after = 0; after < 3; ++after) {
      SCOPED_TRACE(std::string(f.what) + " " + std::to_string(after));
      testsupport::write_file("t.txt", before);
      *f.hook = after;
      const std::string out = run(head + "N = EDIT(Delete=2, MatriX=F)\n");
      *f.hook = -1;
      const std::string now = testsupport::read_file("t.txt");
      bool reported = false;
      for (const plat::MessageBoxRecord& b : plat::message_box_log())
        reported = reported || b.title.find("not saved") != std::string::npos ||
                   b.text.find("could not be saved") != std::string::npos;
      // Either the save went through whole, or it was reported and the
      // file is untouched.
      if (now != lines("\r\n", 1, 1) + lines("\r\n", 3, 6)) {
        EXPECT_EQ(now, before);
        EXPECT_TRUE(reported) << out;
      }
      plat::reset_message_boxes();
    }
  }
}

}  // namespace
