// The line index of text files: entries for every kind of line end, the
// ".i4" file kept, reused and rebuilt, and rows of several lines after
// header lines.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "io/lineindex.h"
#include "io/readwrite.h"
#include "io/rwfiles.h"
#include "io/script_folder.h"
#include "platform/file_units.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

constexpr std::int32_t unit = plat::unit_script_first;

std::vector<std::int32_t> entries(const io::RwFile& r) {
  if (!r.lineindex) return {};
  const auto& p = r.lineindex->positions.raw();
  return {p.begin(), p.begin() + r.lineindex->entries};
}

std::string le(std::initializer_list<std::uint32_t> values) {
  std::string bytes;
  for (std::uint32_t v : values)
    for (int b = 0; b < 4; ++b) bytes += static_cast<char>((v >> (8 * b)) & 0xFF);
  return bytes;
}

class LineIndex : public iotest::ScriptFolder {
 protected:
  // Mode 0 on the bytes, as OPEN runs it, messages silenced.
  std::int32_t build(const std::string& bytes, std::int32_t nomsg = 1) {
    write_file("d.txt", bytes);
    io::rwname.set("d.txt");
    io::rwfiles(unit) = io::RwFile{};
    io::rwfiles(unit).filevar = 1;
    core::nomsg = nomsg;
    std::int32_t longest = -1, count = 0, position = 0, status = 0;
    io::STREAMEDLINES(0, unit, longest, count, position, {}, status);
    core::nomsg = 0;
    return status;
  }
  // An index file of the given bytes, seconds newer than d.txt.
  static void indexfile(const std::string& bytes, double seconds) {
    write_file("d.txt.i4", bytes);
    fs::last_write_time("d.txt.i4", fs::last_write_time("d.txt") +
                                        std::chrono::duration_cast<fs::file_time_type::duration>(
                                            std::chrono::duration<double>(seconds)));
  }
  static std::string openlength() {
    return run("CHARACTER F*8\nF = 'd.txt'\nOPEN(FIle=F, Format='A', InDeX, LENgth=L)\nEND\n");
  }
};

TEST_F(LineIndex, EntriesLineEndAndLongestRowOfEveryKindOfFile) {
  const struct {
    const char* bytes;
    std::vector<std::int32_t> entries;
    std::int32_t code, longest;
  } cases[] = {
      {"a\nbc\n", {1, 3, 6}, 10, 3},
      {"a\r\nbc\r\n", {1, 4, 8}, 3338, 4},
      {"a\rbc\r", {1, 3, 6}, 13, 3},
      {"a\nbc", {1, 3, 5}, 10, 2},  // a last line without its end is a row
      {"a;bc;", {1, 3, 6}, ';', 3},
      {"a;b\nc;", {1, 5, 7}, 10, 4},  // line ends come first
      {"a\rb\nc\n", {1, 5, 7}, 3338, 4},
      {"\n\n", {1, 2, 3}, 10, 1},
      {"", {1}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
    ASSERT_EQ(build(c.bytes), 0);
    const io::RwFile& r = io::rwfiles(unit);
    EXPECT_EQ(entries(r), c.entries);
    EXPECT_EQ(r.lineindex->lineend, c.code);
    EXPECT_EQ(r.recl, c.longest);
    EXPECT_EQ(r.rows, static_cast<std::int32_t>(c.entries.size()) - 1);
    EXPECT_EQ((r.mode & io::rwflag::lineends) != 0, c.code != 0);
    EXPECT_FALSE(plat::unit_is_open(unit));
    EXPECT_FALSE(fs::exists("d.txt.i4"));  // without InDeX nothing stays
  }
}

TEST_F(LineIndex, ALastLineWithoutItsEndAsksAndTheFirstButtonCancels) {
  EXPECT_EQ(build("a\nb", 0), io::iostat_cancelled);
  EXPECT_EQ(core::msgkey.trimmed(), "RequestCanceled");
  EXPECT_FALSE(io::rwfiles(unit).lineindex);
  EXPECT_EQ(build("a\nb\n", 0), 0);  // nothing to ask
}

TEST_F(LineIndex, InDeXKeepsTheIndexFileAndReusesItOnlyWhenNewerAndSound) {
  write_file("d.txt", "a\nbc\n");
  EXPECT_NE(openlength().find("L=2\n"), std::string::npos);
  EXPECT_EQ(read_file("d.txt.i4"), le({1, 3, 6}));
  // A sound index a second or more newer than its data is taken as it is.
  indexfile(le({1, 6}), 2.0);
  EXPECT_NE(openlength().find("L=1\n"), std::string::npos);
  EXPECT_EQ(read_file("d.txt.i4"), le({1, 6}));
  // Less than a second newer, or not sound: built anew and written again.
  const std::string broken[] = {le({1, 6}),         std::string("\1\0\0", 3), le({2, 6}),
                                le({1, 3, 5}),      le({1, 3, 3, 6}),         le({1, 7, 6}),
                                le({0xFFFFFFFF, 6})};
  for (std::size_t i = 0; i < std::size(broken); ++i) {
    SCOPED_TRACE(i);
    indexfile(broken[i], i == 0 ? 0.5 : 2.0);
    EXPECT_NE(openlength().find("L=2\n"), std::string::npos);
    EXPECT_EQ(read_file("d.txt.i4"), le({1, 3, 6}));
  }
  // A text given to InDeX names the index file.
  run("CHARACTER F*8\nF = 'd.txt'\nOPEN(FIle=F, Format='A', InDeX='lines.idx ')\nEND\n");
  EXPECT_EQ(read_file("lines.idx"), le({1, 3, 6}));
}

// Without InDeX no index file is made: a link or a file of the index's
// name stays as it was. With InDeX an index that cannot be written (the
// file-size limit) fails the OPEN with its status and leaves the old one.
TEST_F(LineIndex, TheIndexFileIsWrittenOnlyWhenKeptAndItsFailureReachesTheOpen) {
  write_file("d.txt", "a\nbc\n");
  write_file("other.txt", "keep");
  fs::create_symlink("other.txt", "d.txt.i4");
  EXPECT_NE(
      run("CHARACTER F*8\nF = 'd.txt'\nOPEN(FIle=F, Format='A', LENgth=L)\nEND\n").find("L=2\n"),
      std::string::npos);
  EXPECT_TRUE(fs::is_symlink("d.txt.i4"));
  EXPECT_EQ(read_file("other.txt"), "keep");
  fs::remove("d.txt.i4");

  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "a\n";
  write_file("d.txt", lines);
  indexfile(le({1, 3}), -5.0);  // older than its data: built anew
  const std::string report = testsupport::in_child([&] {
    if (!testsupport::limit_file_size(100)) return std::string("no limit set");
    const std::string out =
        run("CHARACTER F*8\nF = 'd.txt'\nIO = 0\n"
            "OPEN(FIle=F, Format='A', InDeX, IOStat=IO, ERror=1)\n1 CONTINUE\nEND\n");
    std::string wrong;
    if (out.find("IO=38\n") == std::string::npos) wrong += "the OPEN went on: " + out;
    if (read_file("d.txt.i4") != le({1, 3})) wrong += "the old index changed\n";
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(".")) ++n;
    if (n != 3) wrong += std::to_string(n) + " files in the folder\n";
    return wrong;
  });
  EXPECT_EQ(report, "");
}

TEST_F(LineIndex, RowsOfSeveralLinesAfterHeaderLines) {
  const struct {
    const char* bytes;
    std::int32_t headers, lines;
    std::vector<std::int32_t> entries;
  } cases[] = {
      {"1\n2\n3\n4\n5\n", 0, 2, {1, 5, 9}},  // the fifth line makes no row
      {"1\n2\n3\n4\n5", 0, 2, {1, 5, 9, 10}},
      {"1\r\n2\r\n3\r\n4\r\n5\r\n", 0, 2, {1, 7, 13}},
      {"h\n1\n2\n", 1, 1, {3, 5, 7}},
      {"h\nk\n1\n2\n3\n", 2, 2, {5, 9}},
      {"h\n1\n", 5, 1, {}},  // fewer lines than header lines: no rows
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
    write_file("p.txt", c.bytes);
    io::rwfiles(unit) = io::RwFile{};
    io::rwfiles(unit).filevar = 1;
    io::rwfiles(unit).mode = io::rwflag::sequential | io::rwflag::formatted;
    plat::UnitMode m;
    m.records = plat::UnitRecords::eol;
    ASSERT_EQ(plat::open_unit(unit, "p.txt", m), 0);
    std::int32_t rows = -1, longest = 0;
    io::MAKEFILEINDEX(unit, rows, longest, '"', c.headers, c.lines);
    EXPECT_EQ(rows, c.entries.empty() ? 0 : static_cast<std::int32_t>(c.entries.size()) - 1);
    EXPECT_EQ(entries(io::rwfiles(unit)), c.entries);
    io::RWCLOSE(unit);
  }
}

}  // namespace
