// The file units as the script files use them: records that end at LF,
// CR LF or CR, and buffered writes that every other operation passes on.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_units.h"
#include "support/test_support.h"

using namespace plat;

namespace {

UnitMode textmode(bool buffered) {
  UnitMode m;
  m.records = UnitRecords::eol;
  m.buffered = buffered;
  return m;
}

}  // namespace

TEST(RwUnits, RecordsEndAtLfCrLfOrCr) {
  testsupport::TempDir dir;
  const std::string name = (dir.path() / "eol.txt").string();
  // A CR as the last byte of the read-ahead: its LF lies in the next one.
  const std::string filler(64 * 1024 - 3, 'x');
  testsupport::write_file(name, "a\nb\r\nc\r" + filler + "\r\nd\r\r\ne");
  ASSERT_EQ(open_unit(6980, name, textmode(false)), iostat_ok);
  std::string rec;
  for (const std::string& want : {std::string("a"), std::string("b"), std::string("c"), filler,
                                  std::string("d"), std::string(), std::string("e")}) {
    ASSERT_EQ(read_record(6980, rec), iostat_ok);
    EXPECT_EQ(rec, want);
  }
  EXPECT_EQ(read_record(6980, rec), iostat_eof);
  ASSERT_EQ(write_record(6980, "w"), iostat_ok);
  close_unit(6980);
  const std::string all = testsupport::read_file(name);
  EXPECT_EQ(all.substr(all.size() - 7), "\r\r\new\r\n");  // the last line had no end
}

TEST(RwUnits, BufferedWritesArePassedOnBeforeAnythingElse) {
  testsupport::TempDir dir;
  const std::string name = (dir.path() / "buf.txt").string();
  ASSERT_EQ(open_unit(6981, name, textmode(true)), iostat_ok);
  ASSERT_EQ(write_record(6981, "one"), iostat_ok);
  ASSERT_EQ(write_record(6981, "two"), iostat_ok);
  EXPECT_EQ(testsupport::read_file(name), "");  // held back
  FileNameInfo ni;
  inquire_name(name, ni);  // asking about the file passes them on
  EXPECT_EQ(ni.size, 10);
  ASSERT_EQ(write_record(6981, "three"), iostat_ok);
  // A second unit of the same file reads what the first has written.
  UnitMode other = textmode(false);
  other.action = UnitAction::read;
  ASSERT_EQ(open_unit(6982, name, other), iostat_ok);
  std::string rec;
  for (const char* want : {"one", "two", "three"}) {
    ASSERT_EQ(read_record(6982, rec), iostat_ok);
    EXPECT_EQ(rec, want);
  }
  // A write elsewhere in the file passes on what was held first.
  ASSERT_EQ(write_record(6981, "four"), iostat_ok);
  ASSERT_EQ(position_unit(6981, 1), iostat_ok);
  ASSERT_EQ(write_record(6981, "ONE"), iostat_ok);
  EXPECT_EQ(flush_unit(6981), iostat_ok);
  EXPECT_EQ(testsupport::read_file(name), "ONE\r\ntwo\r\nthree\r\nfour\r\n");
  // 64 KiB are passed on without being asked.
  ASSERT_EQ(position_unit(6981, 23), iostat_ok);
  const std::string line(1000, 'z');
  for (int k = 0; k < 70; ++k) ASSERT_EQ(write_record(6981, line), iostat_ok);
  EXPECT_GE(testsupport::read_file(name).size(), 64u * 1024);
  close_unit(6982);
  close_unit(6981);
  EXPECT_EQ(testsupport::read_file(name).size(), 22u + 70 * 1002);
}
