// Records, direct records and stream bytes of numbered file units.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_units.h"
#include "support/test_support.h"

namespace {

using namespace plat;
using testsupport::read_file;
using testsupport::write_file;

class FileUnitRecords : public ::testing::Test {
 protected:
  void SetUp() override { reset_file_units(); }
  void TearDown() override { reset_file_units(); }
  std::string file(const std::string& name) { return dir.file(name); }
  testsupport::TempDir dir;
};

UnitMode kind(UnitAccess access, UnitForm form, std::int64_t recl = 0) {
  UnitMode s;
  s.access = access;
  s.form = form;
  s.recl = recl;
  return s;
}

TEST_F(FileUnitRecords, ReadsLinesEndedByCrLfOrLf) {
  std::string name = file("lines.txt"), big(200000, 'q');
  write_file(name, "one\r\ntwo\n\r\nlast\rpart");
  ASSERT_EQ(open_unit(6970, name, UnitMode{}), iostat_ok);
  std::string rec;
  UnitInfo info;
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "one");
  inquire_unit(6970, info);
  EXPECT_EQ(info.pos, 6);  // after the CR LF
  EXPECT_EQ(unit_position(6970), 6);
  for (const char* want : {"two", "", "last\rpart"}) {
    EXPECT_EQ(read_record(6970, rec), iostat_ok);
    EXPECT_EQ(rec, want);
  }
  EXPECT_EQ(unit_position(6970), 21);  // the last record had no line end
  EXPECT_EQ(read_record(6970, rec), iostat_eof);
  EXPECT_EQ(unit_position(6971), 0);

  // Into a fixed buffer: cut or blank padded, with the record's own length;
  // a CR before the LF stays out even when the buffer ends just before it.
  write_file(name, "abc\r\n" + big + "\r\nz\r\n");
  rewind_unit(6970);
  char three[3], wide[6];
  std::int64_t len = 0;
  EXPECT_EQ(read_record(6970, three, &len), iostat_ok);
  EXPECT_EQ(std::string(three, 3), "abc");
  EXPECT_EQ(len, 3);
  EXPECT_EQ(read_record(6970, three, &len), iostat_ok);
  EXPECT_EQ(len, 200000);
  EXPECT_EQ(read_record(6970, wide, &len), iostat_ok);
  EXPECT_EQ(std::string(wide, 6), "z     ");

  UnitMode cr;
  cr.records = UnitRecords::cr;
  write_file(file("cr.txt"), "a\rb\r");
  ASSERT_EQ(open_unit(6971, file("cr.txt"), cr), iostat_ok);
  EXPECT_EQ(read_record(6971, rec), iostat_ok);
  EXPECT_EQ(rec, "a");
  EXPECT_EQ(read_record(6971, rec), iostat_ok);
  EXPECT_EQ(read_record(6971, rec), iostat_eof);
  EXPECT_EQ(write_record(6971, "c"), iostat_ok);
  EXPECT_EQ(read_file(file("cr.txt")), "a\rb\rc\r");
}

// Records of every length, with every line end, across the read-ahead's
// edges: read into a buffer as a plain split of the bytes reads them (eol:
// CR, LF or CR LF ends a record; lf: LF, a CR before it dropped).
TEST_F(FileUnitRecords, RecordsIntoABufferAcrossTheReadAhead) {
  const std::string name = file("mixed.txt");
  std::string bytes;
  std::vector<std::string> lines;
  for (std::uint32_t k = 1; bytes.size() < 3 * 65536; ++k) {
    std::string line(k * 7919 % 97, static_cast<char>('a' + k % 26));
    if (k % 13 == 0 && !line.empty()) line[line.size() / 2] = '\r';
    lines.push_back(line);
    bytes += line;
    bytes += k % 3 == 0 ? "\r\n" : k % 3 == 1 ? "\n" : "\r";
  }
  write_file(name, bytes);
  for (const UnitRecords records : {UnitRecords::eol, UnitRecords::lf}) {
    std::vector<std::string> want;
    std::string at;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      const bool ends = c == '\n' || (records == UnitRecords::eol && c == '\r');
      if (!ends) {
        at.push_back(c);
        continue;
      }
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      if (c == '\n' && !at.empty() && at.back() == '\r') at.pop_back();
      want.push_back(at);
      at.clear();
    }
    if (!at.empty()) want.push_back(at);  // a last record without its end
    UnitMode m;
    m.records = records;
    ASSERT_EQ(open_unit(6972, name, m), iostat_ok);
    char buffer[64];
    std::int64_t len = 0;
    for (std::size_t r = 0; r < want.size(); ++r) {
      ASSERT_EQ(read_record(6972, buffer, &len), iostat_ok) << r;
      const std::string& w = want[r];
      ASSERT_EQ(len, static_cast<std::int64_t>(w.size())) << r;
      std::string padded = w.substr(0, sizeof buffer);
      padded.resize(sizeof buffer, ' ');
      ASSERT_EQ(std::string(buffer, sizeof buffer), padded) << r;
    }
    EXPECT_EQ(read_record(6972, buffer, &len), iostat_eof);
    EXPECT_EQ(close_unit(6972), iostat_ok);
  }
}

// A device that never ends a record (endless zeros) fails the read once
// the record is longer than a record can be, instead of reading for ever.
TEST_F(FileUnitRecords, AnEndlessRecordFailsTheRead) {
  if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
  ASSERT_EQ(open_unit(6973, "/dev/zero", UnitMode{}), iostat_ok);
  char buffer[16];
  std::int64_t len = 0;
  EXPECT_EQ(read_record(6973, buffer, &len), iostat_record_overflow);
  EXPECT_EQ(close_unit(6973), iostat_ok);
}

TEST_F(FileUnitRecords, WritesCrLfWithoutCuttingTheFile) {
  std::string name = file("w.txt");
  ASSERT_EQ(open_unit(6999, name, UnitMode{}), iostat_ok);
  ASSERT_EQ(open_unit(6998, name, UnitMode{}), iostat_ok);
  std::string rec;
  EXPECT_EQ(read_record(6998, rec), iostat_eof);
  EXPECT_EQ(write_record(6999, "   1 text"), iostat_ok);
  EXPECT_EQ(write_record(6999, ""), iostat_ok);
  EXPECT_EQ(read_file(name), "   1 text\r\n\r\n");
  // The other unit of the same file sees the new records.
  EXPECT_EQ(read_record(6998, rec), iostat_ok);
  EXPECT_EQ(rec, "   1 text");

  // Rewriting the start leaves the rest until the file is ended there.
  rewind_unit(6999);
  EXPECT_EQ(write_record(6999, "xy"), iostat_ok);
  EXPECT_EQ(read_file(name), "xy\r\n text\r\n\r\n");
  EXPECT_EQ(end_file(6999), iostat_ok);
  EXPECT_EQ(read_file(name), "xy\r\n");
}

TEST_F(FileUnitRecords, BackspaceAndAppend) {
  std::string name = file("b.txt");
  write_file(name, "first\r\nsecond\r\nthird");
  ASSERT_EQ(open_unit(6970, name, UnitMode{}), iostat_ok);
  std::string rec;
  EXPECT_EQ(backspace_unit(6970), iostat_ok);  // at the start: stays
  read_record(6970, rec);
  read_record(6970, rec);
  EXPECT_EQ(backspace_unit(6970), iostat_ok);
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "second");
  backspace_unit(6970);
  backspace_unit(6970);
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "first");
  // The last record has no line end: backspace finds its start all the same.
  read_record(6970, rec);
  read_record(6970, rec);
  backspace_unit(6970);
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "third");
  // Read to the end, step back over it and write: the record is appended.
  EXPECT_EQ(read_record(6970, rec), iostat_eof);
  EXPECT_EQ(backspace_unit(6970), iostat_ok);
  EXPECT_EQ(write_record(6970, "fourth"), iostat_ok);
  EXPECT_EQ(read_file(name), "first\r\nsecond\r\nthirdfourth\r\n");

  UnitMode app;
  app.position = UnitPosition::append;
  write_file(name, "a\r\n");
  ASSERT_EQ(open_unit(6971, name, app), iostat_ok);
  EXPECT_EQ(write_record(6971, "b"), iostat_ok);
  EXPECT_EQ(read_file(name), "a\r\nb\r\n");
}

TEST_F(FileUnitRecords, DirectRecordsInAndOutOfRange) {
  std::string name = file("d.dat");
  ASSERT_EQ(open_unit(6972, name, kind(UnitAccess::direct, UnitForm::unformatted, 4)), iostat_ok);
  EXPECT_EQ(write_direct(6972, 3, "cccc"), iostat_ok);
  EXPECT_EQ(write_direct(6972, 1, "aa"), iostat_ok);
  EXPECT_EQ(read_file(name), std::string("aa\0\0\0\0\0\0cccc", 12));
  char rec[4], five[5];
  std::int64_t got = -1;
  EXPECT_EQ(read_direct(6972, 3, rec, &got), iostat_ok);
  EXPECT_EQ(std::string(rec, 4), "cccc");
  EXPECT_EQ(read_direct(6972, 4, rec, &got), iostat_no_record);
  EXPECT_EQ(got, 0);
  EXPECT_EQ(read_direct(6972, 0, rec), iostat_bad_record);
  EXPECT_EQ(read_direct(6972, INT64_MAX, rec), iostat_bad_record);
  EXPECT_EQ(read_direct(6972, 1, five), iostat_record_short);
  EXPECT_EQ(write_direct(6972, 1, "12345"), iostat_record_overflow);

  // Formatted records are blank padded on the way out and on the way in.
  ASSERT_EQ(open_unit(6973, file("f.dat"), kind(UnitAccess::direct, UnitForm::formatted, 5)),
            iostat_ok);
  EXPECT_EQ(write_direct(6973, 2, "ab"), iostat_ok);
  EXPECT_EQ(read_file(file("f.dat")), std::string("\0\0\0\0\0ab   ", 10));
  char eight[8];
  EXPECT_EQ(read_direct(6973, 2, eight), iostat_ok);
  EXPECT_EQ(std::string(eight, 8), "ab      ");

  // Binary direct with records of one byte: the record number is a byte
  // position, and a read beyond the end brings the bytes that exist.
  write_file(file("h.bin"), "0123456789");
  ASSERT_EQ(open_unit(6991, file("h.bin"), kind(UnitAccess::direct, UnitForm::binary, 1)),
            iostat_ok);
  EXPECT_EQ(read_direct(6991, 3, rec), iostat_ok);
  EXPECT_EQ(std::string(rec, 4), "2345");
  EXPECT_EQ(read_direct(6991, 9, rec, &got), iostat_no_record);
  EXPECT_EQ(got, 2);
  EXPECT_EQ(std::string(rec, 2), "89");
}

TEST_F(FileUnitRecords, StreamBytesAtPositions) {
  std::string name = file("s.bin");
  ASSERT_EQ(open_unit(6993, name, kind(UnitAccess::stream, UnitForm::unformatted)), iostat_ok);
  EXPECT_EQ(write_stream(6993, "hello world"), iostat_ok);
  EXPECT_EQ(write_stream(6993, "W", 7), iostat_ok);
  EXPECT_EQ(read_file(name), "hello World");
  char buf[5];
  std::int64_t got = 0;
  EXPECT_EQ(read_stream(6993, buf, 1), iostat_ok);
  EXPECT_EQ(read_stream(6993, buf), iostat_ok);  // goes on where it stood
  EXPECT_EQ(std::string(buf, 5), " Worl");
  EXPECT_EQ(read_stream(6993, buf, 0, &got), iostat_eof);
  EXPECT_EQ(got, 1);
  EXPECT_EQ(read_stream(6993, buf, -1), iostat_bad_record);
  EXPECT_EQ(position_unit(6993, 0), iostat_bad_record);
  EXPECT_EQ(position_unit(6993, 3), iostat_ok);
  EXPECT_EQ(end_file(6993), iostat_ok);
  EXPECT_EQ(read_file(name), "he");
}

TEST_F(FileUnitRecords, PositionsBeyondFourGigabytes) {
  std::string name = file("big.bin");
  write_file(name, "");
  std::error_code ec;
  std::filesystem::resize_file(name, std::int64_t{5} << 30, ec);  // sparse
  if (ec) GTEST_SKIP() << "no sparse files here";
  const std::int64_t far = (std::int64_t{1} << 32) + 5;
  ASSERT_EQ(open_unit(6993, name, kind(UnitAccess::stream, UnitForm::unformatted)), iostat_ok);
  EXPECT_EQ(write_stream(6993, "far", far), iostat_ok);
  UnitInfo info;
  inquire_unit(6993, info);
  EXPECT_EQ(info.pos, far + 3);
  char buf[3];
  ASSERT_EQ(open_unit(6972, name, kind(UnitAccess::direct, UnitForm::binary, 1)), iostat_ok);
  EXPECT_EQ(read_direct(6972, far, buf), iostat_ok);
  EXPECT_EQ(std::string(buf, 3), "far");
  EXPECT_EQ(read_direct(6972, (std::int64_t{5} << 30) + 1, buf), iostat_no_record);
}

// Lines read at their positions one by one keep the read-ahead; a write
// through another unit of the same file is still seen at once.
TEST_F(FileUnitRecords, PositionedReadsSeeWritesThroughAnyUnitOfTheFile) {
  std::string name = file("rows.txt"), rec;
  write_file(name, "aa\nbb\ncc\n");
  ASSERT_EQ(open_unit(6970, name, UnitMode{}), iostat_ok);
  ASSERT_EQ(open_unit(6971, name, kind(UnitAccess::stream, UnitForm::unformatted)), iostat_ok);
  EXPECT_EQ(position_unit(6970, 4), iostat_ok);
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "bb");
  EXPECT_EQ(write_stream(6971, "BB", 4), iostat_ok);
  EXPECT_EQ(position_unit(6970, 4), iostat_ok);
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "BB");
  EXPECT_EQ(position_unit(6970, 1), iostat_ok);
  EXPECT_EQ(read_record(6970, rec), iostat_ok);
  EXPECT_EQ(rec, "aa");
}

}  // namespace
