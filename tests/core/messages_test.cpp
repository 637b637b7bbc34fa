#include "core/messages.h"

#include <gtest/gtest.h>

#include <string>

#include "core/helpdata.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

using namespace core;

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::reset_file_units();
    reset_helpdata();
    reset_runwords();
    plat::reset_message_boxes();
    const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
    helppath.set(path);
    CHECKSUM(path);
  }
  void TearDown() override {
    reset_helpdata();
    reset_runwords();
    plat::reset_message_boxes();
    plat::reset_file_units();
  }
  static const plat::MessageBoxRecord& last_box() { return plat::message_box_log().back(); }
};

TEST_F(Messages, BoxTitleTextAndLetters) {
  int answer = -5;
  MESSAGEBOX("o", "no bar here", answer);
  EXPECT_EQ(last_box().title, "Ostrel message");
  EXPECT_EQ(last_box().text, "no bar here");
  EXPECT_EQ(answer, 1);
  // A blank detail gives an empty title; "|" and ";" break lines.
  MESSAGEBOX("o", "|one;two|three   ", answer);
  EXPECT_EQ(last_box().title, "");
  EXPECT_EQ(last_box().text, "one\rtwo\rthree");
  // "-": the answer is not stored.
  answer = -5;
  MESSAGEBOX("-S", "T|stop", answer);
  EXPECT_EQ(last_box().style, 0x10u);
  EXPECT_EQ(answer, -5);
  EXPECT_EQ(box_style("?y2M"), 0x20u | 0x4u | 0x100u | 0x1000u);
  EXPECT_EQ(box_style("oO"), 0x1u);
}

TEST_F(Messages, BoxAnswers) {
  int answer = 0;
  plat::push_message_box_answer(win::IDNO);
  MESSAGEBOX("?y", "q", answer);
  EXPECT_EQ(answer, 2);
  EXPECT_EQ(xeqstop, 0);
  plat::push_message_box_answer(win::IDYES);
  MESSAGEBOX("?y", "q", answer);
  EXPECT_EQ(answer, 1);
  plat::push_message_box_answer(win::IDCANCEL);
  MESSAGEBOX("Y", "q", answer);
  EXPECT_EQ(answer, 3);
  EXPECT_EQ(xeqstop, 0x7FFF);
  xeqstop = 0;
  plat::push_message_box_answer(win::IDCANCEL);
  MESSAGEBOX("O", "q", answer);
  EXPECT_EQ(answer, 2);
  EXPECT_EQ(xeqstop, 0x7FFF);
  xeqstop = 0;
  plat::push_message_box_answer(win::IDRETRY);
  MESSAGEBOX("a", "q", answer);
  EXPECT_EQ(answer, 2);
  plat::push_message_box_answer(win::IDABORT);
  MESSAGEBOX("a", "q", answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(xeqstop, 0x7FFF);
  MESSAGEBOXC1("o", "abc|defgh", 6, answer);
  EXPECT_EQ(last_box().title, "abc");
  EXPECT_EQ(last_box().text, "de");
}

TEST_F(Messages, BoxFromHelpFile) {
  int answer = 0;
  plat::push_message_box_answer(win::IDYES);
  MSGBOXFROMHELP("msgExit?", "", answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(last_box().style, 0x24u);
  EXPECT_EQ(last_box().title, "");
  // (The blank that starts a body line of the help data is not shown.)
  EXPECT_EQ(last_box().text, "Exit Ostrel?");
  MSGBOXFROMHELP("msgSaveChanges", "script.ost", answer);
  EXPECT_EQ(last_box().title, "script.ost");
  EXPECT_EQ(answer, 3);  // nobody answers: Cancel
  // A missing key: the key as title, "cannot be found" as text.
  MSGBOXFROMHELP("noSuchKeyAtAll", "detail", answer);
  EXPECT_EQ(last_box().title, "noSuchKeyAtAll");
  EXPECT_EQ(last_box().text, " \rcannot be found");
  // A failed search in another keyed file falls back to the help data file.
  menuunit = 6990;
  menufile.set("no-such-file.txt");
  MSGBOXFROMHELP("msgExit?", "x", answer);
  EXPECT_EQ(last_box().text, "Exit Ostrel?");
  EXPECT_EQ(menuunit, helpunit);
}

TEST_F(Messages, RunTimeStatusReports) {
  std::int32_t status = 0;
  msgkey.set("keep");
  CHECKANDSETRUNTIMEERROR("al01", status);
  EXPECT_TRUE(plat::message_box_log().empty());
  EXPECT_EQ(msgkey.str(), "keep");
  status = 7;
  plat::push_message_box_answer(win::IDOK);
  CHECKANDSETRUNTIMEERROR("So003", status);
  EXPECT_EQ(last_box().title, "Error So00     7");
  EXPECT_EQ(msgkey.str(), "rdwrErK");
  EXPECT_EQ(iostatw[0], 7);
  EXPECT_EQ(xeqstop, 0);
  status = -123456;
  CHECKANDSETRUNTIMEERROR("Wb01", status);  // unanswered: Cancel
  EXPECT_EQ(last_box().title, "Error Wb01******");
  EXPECT_EQ(xeqstop, 120);
}

// Memory that is not there stops the statement with the store's key; the
// program goes on. Outside a run the message comes at once.
TEST_F(Messages, OutOfMemoryStopsTheStatementWithTheStoreKey) {
  xeqline = 42;
  xeqmode = runmode::running;
  std::int32_t status = 41;
  CHECKANDSETRUNTIMEERROR("al03", status);
  EXPECT_EQ(msgkey.str(), "storeLimit");
  EXPECT_EQ(xeqstop, stops::error);
  EXPECT_TRUE(plat::message_box_log().empty());

  xeqmode = 0;
  xeqstop = 0;
  CHECKANDSETRUNTIMEERROR("al03", status);
  EXPECT_EQ(xeqstop, stops::error);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_NE(last_box().text.find("the memory it needs is not there"), std::string::npos)
      << last_box().text;
  xeqline = 0;
}

TEST_F(Messages, HelpShowsMessageSectionsAsBoxes) {
  std::array<std::int16_t, 4> halves{12, 0, 0, 0};
  std::string detail = "\"\"   ";
  std::string chars = "x = \"\" // y";
  HelpValues v;
  v.halves = halves;
  v.text = detail;
  v.characters = chars;
  v.count = 6;
  EXPECT_EQ(help_flags(v), 0x2 | 0x8 | 0x80 | 0x100);
  int answer = 0;
  HELP("noEmptyString", answer, v);
  EXPECT_EQ(last_box().title, "Compile error");
  EXPECT_EQ(last_box().text,
            "In line 12 an empty text (\"\") stands where a text is needed.\r"
            "Give the text at least one character.\rx = \"\"");
  EXPECT_EQ(answer, 1);
  // Dialogs of their own wait for the window builder.
  const std::size_t shown = plat::message_box_log().size();
  answer = 77;
  HELP("find", answer);
  HELP("compilPB", answer);
  EXPECT_EQ(plat::message_box_log().size(), shown);
  EXPECT_EQ(answer, 77);
  // A missing key.
  HELP("noSuchHelpKey", answer);
  EXPECT_EQ(last_box().text,
            "This help topic is not in the help file.\r"
            "The title names the topic and the file that was searched.");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(answer, 0);
}

TEST_F(Messages, HelpReferencesStepThroughValues) {
  // A section of our own on another file is not reachable by HELP, so the
  // stepping rules are seen through CompilErrors: *3.1 and *2.1.
  std::array<std::int16_t, 1> halves{250};
  std::array<std::int32_t, 1> words{3};
  HelpValues v;
  v.halves = halves;
  v.words = words;
  int answer = 0;
  HELP("CompilErrors", answer, v);
  EXPECT_NE(last_box().text.find("errors in 3 of its 250 statements"), std::string::npos)
      << last_box().text;
}

}  // namespace
