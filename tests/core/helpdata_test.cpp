#include "core/helpdata.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_units.h"
#include "support/test_support.h"

namespace {

using namespace core;

// Joins lines with CR LF.
std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

struct Section {
  int found = 0;
  int last = 0;
  int len = 0;
  int width = 0;
  std::string head;
};

Section lookup(std::string_view key, int unit = helpunit) {
  helpkey.set(key);
  plat::FixedText<256> line;
  Section s;
  GETMENUDATA(unit, s.found, s.last, s.len, s.width, std::span<char>(line.data(), line.size()));
  s.head = line.str();
  return s;
}

// Every remaining line of the section found last.
std::vector<std::string> body() {
  std::vector<std::string> out;
  plat::FixedText<256> line;
  int entry = helpentry;
  int pos = helppos;
  while (GETMENULINE(std::span<char>(line.data(), line.size()), entry, pos) == 0)
    out.push_back(line.str());
  return out;
}

class HelpData : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::reset_file_units();
    reset_helpdata();
  }
  void TearDown() override {
    reset_helpdata();
    plat::reset_file_units();
  }
  void index(const std::vector<std::string>& lines) {
    path_ = dir_.file("test.hlp");
    testsupport::write_file(path_, crlf(lines));
    helppath.set(path_);
    CHECKSUM(path_);
  }
  testsupport::TempDir dir_;
  std::string path_;
};

const std::vector<std::string> sample = {
    "! heading comment",          // 0: before any section
    "first title text",           // head 1
    " line a",                    //
    "! comment inside",           //
    "\tline b, the longest one",  //
    "msgSaveChanges ?Y",          // head 2
    " Save?",                     //
    "msgSaveChangesX o",          // head 3
    " wrong one",                 //
    "redir ->target",             // head 4
    "target i",                   // head 5
    " target text",               //
    "longkeyabcdefghijklmnop x",  // head 6, key cut to 16
    " long body",                 //
    "Apple o",                    // head 7
    " apple body",                //
    "loopA ->loopB",              // head 8
    "loopB ->loopA",              // head 9
    "empty o",                    // head 10
    "last o",                     // head 11
    " last one",                  //
    " last two",                  //
};

TEST_F(HelpData, IndexKeysAndOffsets) {
  index(sample);
  EXPECT_EQ(helpcount, 11);
  EXPECT_EQ(helpkeys[1].str(), "first");
  EXPECT_EQ(helpkeys[2].str(), "msgSaveChanges");
  EXPECT_EQ(helpkeys[6].str(), "longkeyabcdefghi");
  EXPECT_EQ(helpoffsets[1], 20);  // after "! heading comment" and CR LF
  const auto size = static_cast<std::int32_t>(testsupport::read_file(path_).size());
  EXPECT_EQ(helpoffsets[12], size + 1);
  EXPECT_TRUE(plat::unit_is_open(helpunit));
}

TEST_F(HelpData, KeysMatchTheWholeFirstWord) {
  index(sample);
  Section s = lookup("msgSaveChanges some detail");
  EXPECT_EQ(s.found, 1);
  EXPECT_EQ(s.head, "msgSaveChanges ?Y");
  EXPECT_EQ(body(), (std::vector<std::string>{" Save?"}));
  EXPECT_EQ(lookup("msgSaveChange").found, 0);   // a longer stored key does not match
  EXPECT_EQ(lookup("msgsavechanges").found, 0);  // keys compare with case
  // A first word longer than 16 characters matches its first 16.
  s = lookup("longkeyabcdefghiXYZ");
  EXPECT_EQ(s.found, 1);
  EXPECT_EQ(body(), (std::vector<std::string>{" long body"}));
  EXPECT_EQ(lookup("   ").found, 0);
}

TEST_F(HelpData, DroppedHAndRedirections) {
  index(sample);
  Section s = lookup("AppleH");
  EXPECT_EQ(s.found, 1);
  EXPECT_EQ(s.head, "Apple o");
  EXPECT_EQ(lookup("AppleHH").found, 1);
  s = lookup("NopeHH");
  EXPECT_EQ(s.found, 0);
  EXPECT_EQ(helpkey.str(), "NopeHH");  // the key as asked, its "H"s back
  s = lookup("redir");
  EXPECT_EQ(s.found, 1);
  EXPECT_EQ(s.head, "target i");
  EXPECT_EQ(helpkey.str(), "target");
  EXPECT_EQ(lookup("loopA").found, 0);  // a loop ends as missing
}

TEST_F(HelpData, SectionBodies) {
  index(sample);
  Section s = lookup("first");
  EXPECT_EQ(s.last, 4);
  EXPECT_EQ(s.width, static_cast<int>(std::string("\tline b, the longest one").size()));
  EXPECT_EQ(
      s.len,
      static_cast<int>(
          std::string(" line a\r\n! comment inside\r\n\tline b, the longest one\r\n").size()));
  EXPECT_EQ(body(),
            (std::vector<std::string>{" line a", "! comment inside", "\tline b, the longest one"}));
  s = lookup("empty");
  EXPECT_EQ(s.found, 1);
  EXPECT_EQ(s.len, 0);
  EXPECT_EQ(s.last, 1);
  EXPECT_TRUE(body().empty());
  lookup("last");
  EXPECT_EQ(body(), (std::vector<std::string>{" last one", " last two"}));
  // Rewind reads the same section again.
  EXPECT_EQ(GETMENUREWIND(), 0);
  EXPECT_EQ(helppos, 1);
  EXPECT_EQ(body().size(), 2u);
}

TEST_F(HelpData, ReadingAnotherEntryReloadsIt) {
  index(sample);
  lookup("first");
  plat::FixedText<256> line;
  int entry = 7;  // "Apple"
  int pos = 1;
  EXPECT_EQ(GETMENULINE(std::span<char>(line.data(), line.size()), entry, pos), 0);
  EXPECT_EQ(line.str(), " apple body");
  EXPECT_EQ(helpentry, 7);
  int other = 99;
  EXPECT_EQ(GETMENULINE(std::span<char>(line.data(), line.size()), other, pos), 1);
}

TEST_F(HelpData, LastLineWithoutLineEndAndMissingFile) {
  path_ = dir_.file("short.hlp");
  testsupport::write_file(path_, "one x\r\n a\r\ntwo y\r\n b");
  helppath.set(path_);
  CHECKSUM(path_);
  EXPECT_EQ(helpcount, 2);
  lookup("two");
  EXPECT_EQ(body(), (std::vector<std::string>{" b"}));
  reset_helpdata();
  CHECKSUM(dir_.file("none.hlp"));
  EXPECT_EQ(helpcount, 0);
  EXPECT_EQ(lookup("one").found, 0);
}

TEST_F(HelpData, IndexGrowsPast800Keys) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 1000; ++i) {
    lines.push_back("key" + std::to_string(i) + " o");
    lines.push_back(" text " + std::to_string(i));
  }
  index(lines);
  EXPECT_EQ(helpcount, 1000);
  lookup("key1000");
  EXPECT_EQ(body(), (std::vector<std::string>{" text 1000"}));
}

TEST_F(HelpData, SequentialReaderOfAnotherFile) {
  const std::string other = dir_.file("other.txt");
  testsupport::write_file(other, crlf({"intro", " x", "menu1 ;items", " a", " bb",
                                       "menu2 plain text", " c", "alias ->menu2", "menu3"}));
  menuunit = 6990;
  menufile.set(other);
  Section s = lookup("menu1", 6990);
  EXPECT_EQ(s.found, 3);
  EXPECT_EQ(s.last, 5);
  EXPECT_EQ(s.len, 2 + 2 + 3 + 2);
  EXPECT_EQ(s.width, 3);
  EXPECT_EQ(s.head, "menu1 ;items");
  int position = 0;
  GETMENUPOSITION(6990, position);
  EXPECT_EQ(position, 1 + 7 + 4 + 14);  // the line after the head line
  EXPECT_EQ(body().front(), " a");
  s = lookup("alias", 6990);
  EXPECT_EQ(s.found, 6);
  EXPECT_EQ(helptext.str(), "plain text");
  EXPECT_EQ(lookup("menu3", 6990).found, 9);  // a head line of the key alone
  EXPECT_EQ(lookup("menu", 6990).found, 0);
  // A rewind after a search stands before the section's body again.
  lookup("menu1", 6990);
  plat::FixedText<256> line;
  int entry = 0;
  int pos = 0;
  GETMENULINE(std::span<char>(line.data(), line.size()), entry, pos);
  EXPECT_EQ(GETMENUREWIND(), 0);
  GETMENULINE(std::span<char>(line.data(), line.size()), entry, pos);
  EXPECT_EQ(line.str(), " a");
  plat::close_unit(6990);
}

}  // namespace
