// FILEINFO: its questions at their edges, 64-bit sizes, the order of equal
// keys, a listing byte for byte and the walk through a made tree.
#include "io/fileinfo.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/file_units.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

constexpr int unit = plat::unit_work1;

std::int64_t ask(const std::string& path, std::int32_t what = 0, std::string_view flags = " ") {
  std::int64_t n = 0;
  io::FILEINFO(path, n, what, flags);
  return n;
}

// The listing of the pattern as the file holds it; n into `count`.
std::string listing(const fs::path& file, const std::string& pattern, std::string_view flags,
                    std::int64_t* count = nullptr) {
  plat::UnitMode m;
  m.status = plat::UnitStatus::replace;
  m.form = plat::UnitForm::unformatted;
  m.action = plat::UnitAction::write;
  EXPECT_EQ(plat::open_unit(unit, file.string(), m), plat::iostat_ok);
  const std::int64_t n = ask(pattern, unit, flags);
  if (count != nullptr) *count = n;
  EXPECT_FALSE(plat::unit_is_open(unit));
  return read_file(file);
}

// Sets the last write and last access times to local clock times.
void settimes(const fs::path& p, std::tm write, long write_ns, std::tm access, long access_ns) {
  write.tm_isdst = access.tm_isdst = -1;
  const timespec t[2] = {{std::mktime(&access), access_ns}, {std::mktime(&write), write_ns}};
  ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), t, AT_SYMLINK_NOFOLLOW), 0);
}

void sparse(const fs::path& p, off_t size) {
  const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, size), 0);
  ::close(fd);
}

class FileInfo : public ::testing::Test {
 protected:
  void TearDown() override { plat::reset_file_units(); }
  testsupport::TempDir dir_;
  testsupport::TempDir out_;  // the listing files, apart from what they list
  fs::path lst() const { return out_.path() / "l.lst"; }
  std::string at(const std::string& name) const { return dir_.path().string() + "/" + name; }
};

TEST_F(FileInfo, EachQuestionAtItsEdges) {
  write_file(at("a.txt"), "12345");
  write_file(at("b.txt"), "");
  fs::create_directory(at("sub"));
  EXPECT_EQ(ask(at("a.txt")), 5);
  EXPECT_EQ(ask(at("b.txt")), 0);
  EXPECT_EQ(ask(at("missing.txt")), -1);
  EXPECT_EQ(ask(at("sub")), 0);
  // A name that differs in case is found by the search.
  EXPECT_EQ(ask(at("A.TXT")), 5);
  // "*" counts the matches; "?" alone asks for the size of the first.
  EXPECT_EQ(ask(at("*.txt")), 2);
  EXPECT_EQ(ask(at("?.txt")), 5);
  EXPECT_EQ(ask(at("*.none")), -1);
  // "\" separates folders as "/" does.
  EXPECT_EQ(ask(dir_.path().string() + "\\a.txt"), 5);
  // The last write time of the first match, for a caller that keeps it.
  settimes(at("a.txt"), {7, 6, 5, 4, 2, 121, 0, 0, 0, 0, nullptr}, 500000000,
           {7, 6, 5, 4, 2, 121, 0, 0, 0, 0, nullptr}, 0);
  double day = -7.0;
  std::int64_t n = 0;
  io::FILEINFO(at("a*.txt"), n, -2, &day);
  EXPECT_EQ(n, 5);
  EXPECT_NEAR(day, 44259.2125868, 1e-7);
  io::FILEINFO(at("none*.txt"), n, -2, &day);
  EXPECT_EQ(n, -1);
  EXPECT_NEAR(day, 44259.2125868, 1e-7);
  // An empty path or one ending in a separator: -1 at once, and a listing
  // unit is left open and unwritten.
  EXPECT_EQ(ask("   "), -1);
  plat::UnitMode m;
  m.form = plat::UnitForm::unformatted;
  ASSERT_EQ(plat::open_unit(unit, at("keep.lst"), m), plat::iostat_ok);
  EXPECT_EQ(ask(dir_.path().string() + "\\", unit), -1);
  EXPECT_EQ(ask(dir_.path().string() + "/", unit), -1);
  EXPECT_TRUE(plat::unit_is_open(unit));
  // Nothing matching: -1, nothing written, the unit closed.
  EXPECT_EQ(ask(at("*.none"), unit), -1);
  EXPECT_FALSE(plat::unit_is_open(unit));
  EXPECT_EQ(read_file(at("keep.lst")), "");
}

TEST_F(FileInfo, SizesAreSixtyFourBitInAnswersColumnsAndKeys) {
  constexpr off_t five = off_t{5} << 30, oneandhalf = off_t{3} << 29;
  sparse(at("big.bin"), five);
  sparse(at("mid.bin"), oneandhalf);
  EXPECT_EQ(ask(at("big.bin")), five);
  EXPECT_EQ(ask(at("big.bin"), -2), five);
  // The low 32 bits of 5 GiB are 1 GiB: a 32-bit key would put it first.
  EXPECT_EQ(listing(lst(), at("*.bin"), "s NS"),
            "\"mid.bin\",1610612736,\r\n\"big.bin\",5368709120,\r\n");
  EXPECT_EQ(listing(lst(), at("*.bin"), "S NS"),
            "\"big.bin\",5368709120,\r\n\"mid.bin\",1610612736,\r\n");
}

TEST_F(FileInfo, EqualKeysKeepTheSystemOrderAndTurnWithIt) {
  write_file(at("c.txt"), "333");
  write_file(at("b.dat"), "333");
  write_file(at("A.txt"), "333");
  write_file(at("d.txt"), "1");
  EXPECT_EQ(listing(lst(), at("?.*"), "s N"),
            "\"d.txt\",\r\n\"A.txt\",\r\n\"b.dat\",\r\n\"c.txt\",\r\n");
  EXPECT_EQ(listing(lst(), at("?.*"), "S N"),
            "\"c.txt\",\r\n\"b.dat\",\r\n\"A.txt\",\r\n\"d.txt\",\r\n");
  // Extensions compare upper-cased: DAT before TXT, the TXT ties in order.
  EXPECT_EQ(listing(lst(), at("?.*"), "x N"),
            "\"b.dat\",\r\n\"A.txt\",\r\n\"c.txt\",\r\n\"d.txt\",\r\n");
  EXPECT_EQ(listing(lst(), at("?.*"), "X N"),
            "\"d.txt\",\r\n\"c.txt\",\r\n\"A.txt\",\r\n\"b.dat\",\r\n");
  // A letter outside the table keeps the system's order; no column letter
  // gives the six default columns.
  EXPECT_EQ(listing(lst(), at("?.*"), "q N"),
            "\"A.txt\",\r\n\"b.dat\",\r\n\"c.txt\",\r\n\"d.txt\",\r\n");
  const std::string fields = listing(lst(), at("d.txt"), "q");
  EXPECT_EQ(fields.substr(0, 13), "\"d.txt\",1,32,");
  EXPECT_EQ(std::count(fields.begin(), fields.end(), ','), 6);
}

TEST_F(FileInfo, ListingByteForByte) {
  const fs::path box = dir_.path() / "box";
  fs::create_directory(box);
  write_file(box / ".hid", "ab");
  write_file(box / "plain", "abc");
  fs::permissions(box / "plain", fs::perms::owner_read | fs::perms::group_read);
  fs::create_directory(box / "sub");
  const std::tm write{7, 6, 5, 4, 2, 121, 0, 0, 0, 0, nullptr};
  const std::tm access{5, 4, 3, 2, 0, 122, 0, 0, 0, 0, nullptr};
  for (const fs::path& p : {box / ".hid", box / "plain", box / "sub", box, dir_.path()})
    settimes(p, write, 500000000, access, 250000000);
  const std::string folder = box.string() + "\\";
  const std::string times = "44259.212587,";
  std::int64_t n = 0;
  const std::string got = listing(lst(), folder + "*", "-NSAWXDP", &n);
  EXPECT_EQ(n, 5);
  const std::string d = "\"" + folder + "\",\"" + folder;
  EXPECT_EQ(got, "\".\",0,16," + times + "," + d + ".\",\r\n" +        //
                     "\"..\",0,16," + times + "," + d + "..\",\r\n" +  //
                     "\".hid\",2,34," + times + "hid," + d + ".hid\",\r\n" + "\"plain\",3,33," +
                     times + " ," + d + "plain\",\r\n" + "\"sub\",0,16," + times + " ," + d +
                     "sub\",\r\n");
  // (Reading the folder may touch its own access time: L on a file alone.)
  EXPECT_EQ(listing(lst(), folder + "plain", " l"), "44563.127839,\r\n");
  // Column letters after the tenth character do not count.
  EXPECT_EQ(listing(lst(), folder + "plain", " XXXXXXXXXS"), " , , , , , , , , ,\r\n");
}

TEST_F(FileInfo, WalkEntersFoldersWithoutDotsNoLinksAndAtMost32Down) {
  const fs::path root = dir_.path();
  write_file(root / "x.txt", "1");
  fs::create_directory(root / "sub");
  write_file(root / "sub" / "y.txt", "1");
  for (const char* skipped : {"sub.d", ".h"}) {
    fs::create_directory(root / skipped);
    write_file(root / skipped / "z.txt", "1");
  }
  fs::create_directory_symlink(root / "sub", root / "link");
  fs::path deep = root;
  for (int level = 1; level <= 34; ++level) {
    deep /= "l" + std::to_string(level);
    fs::create_directory(deep);
    write_file(deep / "f.txt", "1");
  }
  // The start, sub and l1 to l32.
  EXPECT_EQ(ask(at("*.txt"), 0, " &"), 34);
  std::int64_t n = 0;
  const std::string got = listing(lst(), at("*.txt"), "w+N", &n);
  EXPECT_EQ(n, 34);
  EXPECT_EQ(std::count(got.begin(), got.end(), '\n'), 34);
  EXPECT_EQ(got.find("z.txt"), std::string::npos);
  // Depth first, the start folder's own entries first.
  EXPECT_EQ(got.substr(0, 18), "\"x.txt\",\r\n\"f.txt\",");
  // Nothing anywhere: the walk's total is 0.
  EXPECT_EQ(ask(at("*.none"), 0, "+"), 0);
}

}  // namespace
