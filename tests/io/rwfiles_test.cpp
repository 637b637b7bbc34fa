// Record transfers of script units and the file length they keep, the
// record length of an item list, and the closing and deleting of units.
#include "io/rwfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/runwords.h"
#include "core/stores.h"
#include "exec/optdispatch.h"
#include "io/readwrite.h"
#include "io/tablecalls.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/stores_fixture.h"
#include "support/test_support.h"

namespace {

using namespace io;
namespace fs = std::filesystem;

class RwFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = fs::current_path();
    fs::current_path(dir_.path());
    storetest::setup();
    std::int32_t one = 1, hi = 300;
    core::ALLOCS("adrs", one, hi);
    plat::reset_file_units();
    plat::reset_message_boxes();
    exec::reset_optdispatch();
    reset_readwrite();
  }
  void TearDown() override {
    plat::reset_file_units();
    reset_readwrite();
    core::reset_stores();
    core::reset_runwords();
    fs::current_path(cwd_);
  }
  // A script unit on the file, as OPEN leaves it.
  static void openunit(std::int32_t unit, const char* name, plat::UnitMode m, std::int32_t bits,
                       std::int32_t recl) {
    ASSERT_EQ(plat::open_unit(unit, name, m), 0);
    rwfiles(unit).mode = bits;
    rwfiles(unit).recl = recl;
    rwfiles(unit).filelength = static_cast<std::int64_t>(fs::file_size(name));
  }
  static plat::UnitMode mode(plat::UnitAccess a, plat::UnitForm f, std::int64_t recl) {
    plat::UnitMode m;
    m.access = a;
    m.form = f;
    m.recl = recl;
    return m;
  }
  testsupport::TempDir dir_;
  fs::path cwd_;
};

TEST_F(RwFiles, DirectWritesRaiseTheFileLengthToTheirEnd) {
  testsupport::write_file("b.dat", std::string(50, 'x'));
  openunit(6970, "b.dat", mode(plat::UnitAccess::direct, plat::UnitForm::binary, 1),
           rwflag::direct | rwflag::binary, 0);
  std::int32_t st = -5;
  WRITEDIRUNF(6970, "0123456789", 10, 101, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(rwfiles(6970).filelength, 110);
  WRITEDIRUNF(6970, "0123456789", 10, 1, st);
  EXPECT_EQ(rwfiles(6970).filelength, 110);
  WRITEDIRUNF(6970, "abc", 3, 0, st);  // record 0 cannot be written
  EXPECT_EQ(st, plat::iostat_bad_record);
  EXPECT_EQ(rwfiles(6970).filelength, 110);

  // Records of 20 bytes: record 3 ends at byte 60; n is cut to the buffer.
  testsupport::write_file("r.dat", "");
  openunit(6989, "r.dat", mode(plat::UnitAccess::direct, plat::UnitForm::unformatted, 20),
           rwflag::direct | rwflag::unformatted, 20);
  WRITEDIRFMT(6989, std::string(20, 'r'), 99, 3, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(rwfiles(6989).filelength, 60);
  EXPECT_EQ(fs::file_size("r.dat"), 60u);

  std::string back(12, '?');
  READDIRUNF(6970, back, 10, 101, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(back, "0123456789??");
  READDIRFMT(6970, back, 12, 105, st);  // beyond the end: the bytes there are
  EXPECT_EQ(st, plat::iostat_no_record);
  EXPECT_EQ(back.substr(0, 6), "456789");
}

TEST_F(RwFiles, SequentialRecordsAddTheirLineEnd) {
  testsupport::write_file("s.txt", "");
  openunit(6971, "s.txt", mode(plat::UnitAccess::sequential, plat::UnitForm::formatted, 0),
           rwflag::sequential | rwflag::formatted, 0);
  std::int32_t st = -5;
  WRITESEQFMT(6971, "", 0, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(rwfiles(6971).filelength, 2);
  WRITESEQFMT(6971, "abcdef", 3, st);
  WRITESEQFMT(6971, "zz", -4, st);  // a negative count writes an empty record
  EXPECT_EQ(rwfiles(6971).filelength, 9);
  EXPECT_EQ(testsupport::read_file("s.txt"), "\r\nabc\r\n\r\n");

  ASSERT_EQ(plat::rewind_unit(6971), 0);
  std::string line(4, '?');
  READSEQFMT(6971, line, 4, st);
  EXPECT_EQ(line, "    ");
  line = "????";
  READSEQFMT(6971, line, 2, st);
  EXPECT_EQ(line, "ab??");
  READSEQFMT(6971, line, 4, st);
  READSEQFMT(6971, line, 4, st);
  EXPECT_EQ(st, plat::iostat_eof);

  // A stream unit moves bytes without record ends.
  testsupport::write_file("u.bin", "");
  openunit(6972, "u.bin", mode(plat::UnitAccess::sequential, plat::UnitForm::unformatted, 0),
           rwflag::sequential | rwflag::unformatted, 0);
  WRITESEQUNF(6972, "12345", 5, st);
  EXPECT_EQ(rwfiles(6972).filelength, 0);  // a stream write leaves the length
  ASSERT_EQ(plat::rewind_unit(6972), 0);
  READSEQUNF(6972, line, 4, st);
  EXPECT_EQ(line, "1234");
  READSEQUNF(6972, line, 4, st);
  EXPECT_EQ(st, plat::iostat_eof);
}

TEST_F(RwFiles, RecordLengthOfTheItemListAndOpenWithItems) {
  storetest::addspecials();
  const std::int32_t x = storetest::addsym("X", 0x80);
  const std::int32_t a = storetest::addarray("A", 3, 4);
  const std::int32_t t = storetest::addcharvar("T", std::string(20, 't'));
  const std::int32_t f = storetest::addcharvar("F", "items.bin");
  const std::int32_t r = storetest::addsym("R", 0x80);
  core::xeqstackptr = 10;
  core::adrs(8) = x;
  core::adrs(9) = a;
  core::adrs(10) = t;
  rwnitems = 3;
  EXPECT_EQ(GETRECLFROMARGUMENTS(8), 8 + 96 + 20);
  EXPECT_EQ(GETRECLFROMARGUMENTS(80), 80 + 960 + 20);
  rwnitems = 1;
  EXPECT_EQ(GETRECLFROMARGUMENTS(8), 20);

  // OPEN with items opens the file with the items' record length and reads
  // at once: the new, empty file ends at once (status -1).
  exec::optval(rwslot::file) = f;
  exec::optval(rwslot::direct) = -rwslot::direct;
  exec::optval(rwslot::getrecl) = r;
  core::iresult = 400;
  READWRITE('O', 3);
  EXPECT_EQ(core::z(r), 124.0);
  EXPECT_EQ(core::z(400), rwflag::direct | rwflag::binary);
  EXPECT_EQ(core::iostatw[0], -1);
  EXPECT_TRUE(plat::unit_is_open(6970));
  EXPECT_EQ(core::name(f).adr, 6970);
  EXPECT_NE(core::name(f).type & 0x100, 0);
}

TEST_F(RwFiles, ClosingTouchesScriptUnitsOnlyAndNegativeUnitsDelete) {
  testsupport::write_file("keep.txt", "k");
  const auto text = mode(plat::UnitAccess::sequential, plat::UnitForm::formatted, 0);
  ASSERT_EQ(plat::open_unit(6969, "keep.txt", text), 0);
  ASSERT_EQ(plat::open_unit(6990, "keep.txt", text), 0);
  RWCLOSE(6969);
  RWCLOSE(-6990);
  EXPECT_TRUE(plat::unit_is_open(6969));
  EXPECT_TRUE(plat::unit_is_open(6990));
  EXPECT_TRUE(fs::exists("keep.txt"));

  // A bound variable loses its unit; the first and last script units.
  storetest::addspecials();
  const std::int32_t v = storetest::addcharvar("V", "last.txt");
  core::name(v).type |= 0x100;
  core::name(v).adr = 6989;
  openunit(6989, "keep.txt", text, rwflag::sequential, 7);
  rwfiles(6989).filevar = static_cast<std::int16_t>(v);
  openunit(6970, "keep.txt", text, rwflag::sequential, 7);
  rwfiles(6970).filevar = static_cast<std::int16_t>(v + 1);
  RWCLOSE(6989);
  EXPECT_FALSE(plat::unit_is_open(6989));
  EXPECT_EQ(core::name(v).adr, 0);
  EXPECT_NE(core::name(v).type & 0x100, 0);  // the bit stays
  EXPECT_EQ(rwfiles(6989).filevar, 0);
  EXPECT_EQ(rwfiles(6989).recl, 0);
  RWCLOSEALL();
  EXPECT_FALSE(plat::unit_is_open(6970));
  EXPECT_EQ(rwfiles(6970).filevar, 0);

  testsupport::write_file("del.txt", "d");
  openunit(6975, "del.txt", text, rwflag::sequential, 0);
  RWCLOSE(-6975);
  EXPECT_FALSE(fs::exists("del.txt"));
  EXPECT_FALSE(plat::unit_is_open(6975));
  EXPECT_TRUE(plat::message_box_log().empty());

  // The file went away while open: the delete fails and says so, unless
  // messages are silenced.
  for (int silenced : {0, 1}) {
    testsupport::write_file("gone.txt", "g");
    openunit(6976, "gone.txt", text, rwflag::sequential, 0);
    fs::remove("gone.txt");
    core::nomsg = silenced;
    RWCLOSE(-6976);
    EXPECT_FALSE(plat::unit_is_open(6976));
  }
  core::nomsg = 0;
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].title, "Cannot delete file");
  EXPECT_EQ(plat::message_box_log()[0].text, "gone.txt");
}

// A table's edits that cannot be saved as the unit closes: the close
// reports the save's status, and a status even when the save left none.
TEST_F(RwFiles, AFailedSaveAtTheCloseIsTheClosesStatus) {
  testsupport::write_file("t.txt", "a\r\n");
  const auto text = mode(plat::UnitAccess::sequential, plat::UnitForm::formatted, 0);
  storetest::addspecials();
  const std::int32_t v = storetest::addcharvar("V", "t.txt");
  const auto kept = tablecalls.settleedits;
  static std::int16_t left = 0;  // the status the failed save leaves
  tablecalls.settleedits = [](std::int32_t, std::int32_t& answer, std::int32_t mode) {
    if ((mode & settlemode::reported) == 0) return;
    core::iostatw[0] = left;
    answer = savefailed;
  };
  for (const std::int16_t status : {std::int16_t{29}, std::int16_t{0}}) {
    left = status;
    openunit(6970, "t.txt", text, rwflag::sequential, 0);
    rwfiles(6970).filevar = static_cast<std::int16_t>(v);
    EXPECT_EQ(RWCLOSE(6970), status != 0 ? status : plat::iostat_write_error) << status;
    EXPECT_FALSE(plat::unit_is_open(6970));
  }
  tablecalls.settleedits = kept;
}

}  // namespace
