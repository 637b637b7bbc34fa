// Opening, sharing, closing and inquiring numbered file units.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_units.h"
#include "support/test_support.h"

namespace {

using namespace plat;
namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

class FileUnits : public ::testing::Test {
 protected:
  void SetUp() override { reset_file_units(); }
  void TearDown() override { reset_file_units(); }
  std::string file(const std::string& name) { return dir.file(name); }
  testsupport::TempDir dir;
};

UnitMode opening(UnitStatus status, UnitAction action = UnitAction::readwrite,
                 UnitShare share = UnitShare::denynone) {
  UnitMode s;
  s.status = status;
  s.action = action;
  s.share = share;
  return s;
}

TEST_F(FileUnits, OpenStatusAgainstExistingAndMissingFiles) {
  std::string here = file("here.txt"), gone = file("gone.txt");
  write_file(here, "abc\r\n");
  EXPECT_EQ(open_unit(6970, gone, opening(UnitStatus::old_file)), iostat_no_file);
  EXPECT_FALSE(unit_is_open(6970));
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_EQ(open_unit(6970, here, opening(UnitStatus::old_file)), iostat_ok);
  EXPECT_EQ(open_unit(6971, here, opening(UnitStatus::new_file)), iostat_exists);
  EXPECT_EQ(open_unit(6971, file("n.txt"), opening(UnitStatus::new_file)), iostat_ok);
  EXPECT_EQ(open_unit(6972, file("u.txt"), opening(UnitStatus::unknown)), iostat_ok);
  EXPECT_TRUE(fs::exists(file("n.txt")) && fs::exists(file("u.txt")));
  EXPECT_EQ(open_unit(6973, file("nodir/x.txt"), opening(UnitStatus::unknown)), iostat_no_file);
  EXPECT_EQ(read_file(here), "abc\r\n");
  reset_file_units();
  EXPECT_EQ(open_unit(6970, here, opening(UnitStatus::replace)), iostat_ok);
  EXPECT_EQ(read_file(here), "");

  EXPECT_EQ(open_unit(6974, dir.path().string(), UnitMode{}), iostat_open_failed);
  EXPECT_EQ(open_unit(6974, "   ", UnitMode{}), iostat_bad_name);
  UnitMode direct;
  direct.access = UnitAccess::direct;
  direct.form = UnitForm::unformatted;
  EXPECT_EQ(open_unit(6974, here, direct), iostat_no_recl);
}

TEST_F(FileUnits, CloseKeepsDeletesAndDropsScratchFiles) {
  std::string name = file("k.txt");
  ASSERT_EQ(open_unit(6992, name, UnitMode{}), iostat_ok);
  EXPECT_EQ(close_unit(6992), iostat_ok);
  EXPECT_TRUE(fs::exists(name));
  ASSERT_EQ(open_unit(6992, name, UnitMode{}), iostat_ok);
  EXPECT_EQ(close_unit(6992, UnitClose::remove), iostat_ok);
  EXPECT_FALSE(fs::exists(name));

  // A named scratch file starts empty and goes at close, even when kept.
  write_file(name, "old contents");
  ASSERT_EQ(open_unit(6994, name, opening(UnitStatus::scratch)), iostat_ok);
  EXPECT_EQ(read_file(name), "");
  EXPECT_EQ(close_unit(6994, UnitClose::keep), iostat_ok);
  EXPECT_FALSE(fs::exists(name));

  // Without a name: a private temporary file.
  UnitMode spill = opening(UnitStatus::scratch);
  spill.form = UnitForm::unformatted;
  ASSERT_EQ(open_unit(6995, "", spill), iostat_ok);
  EXPECT_EQ(write_stream(6995, "store cells"), iostat_ok);
  char back[11];
  EXPECT_EQ(read_stream(6995, back, 1), iostat_ok);
  EXPECT_EQ(std::string(back, 11), "store cells");
  EXPECT_EQ(close_unit(6995), iostat_ok);
}

TEST_F(FileUnits, DenyModesBetweenUnitsOfOneFile) {
  std::string name = file("shared.dat");
  write_file(name, "x");
  using A = UnitAction;
  using S = UnitShare;
  const auto old = UnitStatus::old_file;

  // The first unit denies writing: a reader may join, a writer may not.
  ASSERT_EQ(open_unit(6970, name, opening(old, A::read, S::denywrite)), iostat_ok);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::read)), iostat_ok);
  EXPECT_EQ(open_unit(6972, name, opening(old, A::readwrite)), iostat_open_failed);
  EXPECT_EQ(open_unit(6972, name, opening(old, A::write)), iostat_open_failed);
  reset_file_units();

  // The second open's deny mode is checked against what the first does.
  ASSERT_EQ(open_unit(6970, name, opening(old, A::readwrite)), iostat_ok);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::read, S::denywrite)), iostat_open_failed);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::read, S::denyread)), iostat_open_failed);
  close_unit(6970);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::read, S::denywrite)), iostat_ok);
  reset_file_units();

  ASSERT_EQ(open_unit(6970, name, opening(old, A::write, S::denyread)), iostat_ok);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::write)), iostat_ok);
  EXPECT_EQ(open_unit(6972, name, opening(old, A::read)), iostat_open_failed);
  reset_file_units();
  ASSERT_EQ(open_unit(6970, name, opening(old, A::read, S::denyreadwrite)), iostat_ok);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::write)), iostat_open_failed);
  EXPECT_EQ(open_unit(6971, name, opening(old, A::read)), iostat_open_failed);

  // Another spelling of the name is the same file; a refused open does not
  // empty it.
  std::string other = dir.path().string() + "\\.\\shared.dat   ";
  EXPECT_EQ(open_unit(6971, other, opening(UnitStatus::replace)), iostat_open_failed);
  EXPECT_EQ(read_file(name), "x");
}

TEST_F(FileUnits, ReopeningAUnit) {
  std::string a = file("a.txt"), b = file("b.txt");
  write_file(a, "one\r\ntwo\r\n");
  write_file(b, "bee\r\n");
  UnitMode s = opening(UnitStatus::unknown, UnitAction::readwrite, UnitShare::denyreadwrite);
  ASSERT_EQ(open_unit(6990, a, s), iostat_ok);
  std::string rec;
  ASSERT_EQ(read_record(6990, rec), iostat_ok);
  // Same file and mode: nothing changes, and the unit's own deny mode does
  // not stand in the way.
  EXPECT_EQ(open_unit(6990, a, s), iostat_ok);
  EXPECT_EQ(read_record(6990, rec), iostat_ok);
  EXPECT_EQ(rec, "two");
  // Another mode: closed and opened anew at the start.
  s.share = UnitShare::denynone;
  EXPECT_EQ(open_unit(6990, a, s), iostat_ok);
  EXPECT_EQ(read_record(6990, rec), iostat_ok);
  EXPECT_EQ(rec, "one");
  // Another file: the first is let go.
  EXPECT_EQ(open_unit(6990, b, s), iostat_ok);
  FileNameInfo fi;
  inquire_name(a, fi);
  EXPECT_EQ(fi.unit, -1);
}

TEST_F(FileUnits, InquireByUnitAndByName) {
  std::string name = file("data.bin");
  UnitInfo info;
  FileNameInfo fi;
  inquire_name(name, fi);
  EXPECT_EQ(fi.size, -1);

  UnitMode s;
  s.access = UnitAccess::direct;
  s.form = UnitForm::unformatted;
  s.recl = 16;
  ASSERT_EQ(open_unit(6975, name + "  ", s), iostat_ok);
  ASSERT_EQ(write_direct(6975, 2, "0123456789abcdef"), iostat_ok);
  inquire_unit(6975, info);
  EXPECT_EQ(info.name, name);
  EXPECT_EQ(info.size, 32);
  EXPECT_EQ(info.pos, 33);
  EXPECT_EQ(info.nextrec, 3);
  inquire_name(name, fi);
  EXPECT_EQ(fi.unit, 6975);
  EXPECT_EQ(fi.size, 32);
  close_unit(6975);
  inquire_unit(6975, info);
  EXPECT_FALSE(info.open);
}

TEST_F(FileUnits, NamesBecomeFileSystemPaths) {
  EXPECT_EQ(unit_file_path("C:\\Ostrel\\intro.ost   "), "C:/Ostrel/intro.ost");
  EXPECT_EQ(unit_file_path("M\xE4rz \x80.txt"), "M\xC3\xA4rz \xE2\x82\xAC.txt");
  EXPECT_EQ(unit_file_path(std::string_view("name.txt\0junk", 13)), "name.txt");
  ASSERT_EQ(open_unit(6970, dir.path().string() + "\\gr\xFC\xDF.txt", UnitMode{}), iostat_ok);
  EXPECT_EQ(write_record(6970, "hallo"), iostat_ok);
  EXPECT_EQ(read_file(dir.path() / "gr\xC3\xBC\xC3\x9F.txt"), "hallo\r\n");
}

TEST_F(FileUnits, TransfersCheckTheUnit) {
  std::string name = file("t.txt");
  write_file(name, "line\r\n");
  std::string rec;
  char byte[1];
  EXPECT_EQ(read_record(6980, rec), iostat_not_connected);
  ASSERT_EQ(open_unit(6980, name, opening(UnitStatus::old_file, UnitAction::read)), iostat_ok);
  EXPECT_EQ(write_record(6980, "x"), iostat_read_only);
  EXPECT_EQ(end_file(6980), iostat_read_only);
  EXPECT_EQ(read_direct(6980, 1, byte), iostat_wrong_access);
  ASSERT_EQ(open_unit(6981, name, opening(UnitStatus::old_file, UnitAction::write)), iostat_ok);
  EXPECT_EQ(read_record(6981, rec), iostat_no_read_access);
  UnitMode stream;
  stream.access = UnitAccess::stream;
  stream.form = UnitForm::unformatted;
  ASSERT_EQ(open_unit(6982, name, stream), iostat_ok);
  EXPECT_EQ(read_record(6982, rec), iostat_wrong_access);
  EXPECT_EQ(write_direct(6982, 1, "x"), iostat_wrong_access);
  EXPECT_EQ(read_file(name), "line\r\n");
}

}  // namespace

namespace {

// A file committed over another replaces it whole; a failed write, close
// or rename leaves the old one and no temporary file.
TEST_F(FileUnits, CommitReplacesTheTargetOrLeavesItWhole) {
  const std::string target = file("t.ost"), temp = file("t.ost~");
  write_file(target, "old\r\n");
  const auto attempt = [&](std::int64_t& hook) {
    hook = 0;
    EXPECT_EQ(open_unit(6993, temp, opening(UnitStatus::replace)), iostat_ok);
    const int wrote = write_record(6993, "new");
    const int committed = commit_unit(6993, target);
    hook = -1;
    return std::make_pair(wrote, committed);
  };
  EXPECT_EQ(attempt(writes_before_fault), std::make_pair(iostat_write_error, iostat_write_error));
  EXPECT_EQ(attempt(closes_before_fault).second, iostat_close_failed);
  EXPECT_EQ(attempt(renames_before_fault).second, iostat_write_error);
  EXPECT_EQ(read_file(target), "old\r\n");
  EXPECT_FALSE(unit_is_open(6993));
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_EQ(open_unit(6993, temp, opening(UnitStatus::replace)), iostat_ok);
  EXPECT_EQ(write_record(6993, "new"), iostat_ok);
  EXPECT_EQ(commit_unit(6993, target, false), iostat_ok);
  EXPECT_EQ(read_file(target), "new\r\n");
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_EQ(commit_unit(6993, target), iostat_not_connected);
}

}  // namespace

namespace {

// Another file renamed over a unit's name, or a link made there: the unit
// still cuts its own file through its handle (also one opened for reading
// only), the name check tells the name was taken, and a scratch file or a
// file closed with remove leaves the file that took its name in place.
TEST_F(FileUnits, AFileThatTookTheUnitsNameIsNeitherCutNorDeleted) {
  const std::string name = file("u.txt"), other = file("other.txt");
  write_file(other, "other\r\n");
  const auto take_name = [&](bool aslink) {
    fs::remove(name);
    if (aslink) {
      fs::create_symlink("other.txt", name);
    } else {
      write_file(file("new.txt"), "taken\r\n");
      fs::rename(file("new.txt"), name);
    }
  };
  for (const bool aslink : {false, true}) {
    for (const UnitAction action : {UnitAction::readwrite, UnitAction::read}) {
      fs::remove(name);
      write_file(name, "one\r\ntwo\r\n");
      ASSERT_EQ(open_unit(6970, name, opening(UnitStatus::old_file, action)), iostat_ok);
      EXPECT_EQ(check_unit_name(6970), iostat_ok);
      take_name(aslink);
      EXPECT_EQ(check_unit_name(6970), iostat_replaced);
      EXPECT_EQ(cut_unit(6970, 6), iostat_ok);
      std::string record;
      EXPECT_EQ(read_record(6970, record), iostat_ok);
      EXPECT_EQ(read_record(6970, record), iostat_eof) << "the unit's own file was not cut";
      EXPECT_EQ(close_unit(6970), iostat_ok);
      EXPECT_EQ(read_file(name), aslink ? "other\r\n" : "taken\r\n");
    }
    for (const UnitStatus status : {UnitStatus::scratch, UnitStatus::unknown}) {
      fs::remove(name);
      ASSERT_EQ(open_unit(6970, name, opening(status)), iostat_ok);
      take_name(aslink);
      EXPECT_EQ(close_unit(6970, UnitClose::remove), iostat_replaced);
      EXPECT_EQ(read_file(name), aslink ? "other\r\n" : "taken\r\n");
    }
  }
  EXPECT_EQ(read_file(other), "other\r\n");
  fs::remove(name);
  EXPECT_EQ(check_unit_name(6970), iostat_not_connected);
  ASSERT_EQ(open_unit(6970, name, opening(UnitStatus::unknown)), iostat_ok);
  fs::remove(name);
  EXPECT_EQ(check_unit_name(6970), iostat_no_file);
}

}  // namespace
