// SORT where the scripts of tests/scripts cannot show it alone: its
// failures one by one, and the sorts of files that a test writes first
// (fixed-length records, and text files through a line index the test
// supplies), with the physical rewrite and a copy that fails midway.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/rwfiles.h"
#include "numeric/sort.h"
#include "platform/file_units.h"
#include "support/script_folder.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

// The line index the test hands SORT: every LF ends a line (a CR alone
// when the file has no LF), the last line may lack it.
std::vector<std::int32_t> positions;
std::int32_t lineendcode = 0;

void indexlines(const std::string& bytes) {
  const bool lf = bytes.find('\n') != std::string::npos;
  const char end = lf ? '\n' : '\r';
  lineendcode = !lf ? 13 : bytes.find("\r\n") != std::string::npos ? 3338 : 10;
  positions = {1};
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == end && i + 1 < bytes.size())
      positions.push_back(static_cast<std::int32_t>(i + 2));
  positions.push_back(static_cast<std::int32_t>(bytes.size() + 1));
}

bool testindex(std::int32_t, numeric::SortLines& lines) {
  if (positions.empty()) return false;
  lines.positions = positions;
  lines.lineend = lineendcode;
  return true;
}

class SortScript : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override {
    ScriptInFolder::SetUp();
    positions.clear();
    numeric::sortlineindex = testindex;
  }
  void TearDown() override {
    numeric::sortlineindex = nullptr;
    ScriptInFolder::TearDown();
  }
  // The message key the run stopped with ("" when it ran to its end).
  static std::string key(const std::string& text) {
    const std::string out = run(text);
    const std::size_t k = out.find("key=");
    return k == std::string::npos ? "" : out.substr(k + 4, out.find('\n', k) - k - 4);
  }
};

TEST_F(SortScript, EachFailureHasItsKeyAndTheFirstWrittenOptionReportsFirst) {
  write_file("recs.dat", "bobAmyCatamy");
  write_file("text.txt", "b\na\n");
  const std::string decl =
      "DIMENSION V(3), W(4), I(3)\n"
      "CHARACTER F*10, G*10, H*10\n"
      "F = 'recs.dat'\n"
      "G = 'nofile.dat'\n"
      "X = 1\n";
  const struct {
    const char* script;
    const char* key;
  } cases[] = {
      {"SORT(Vector=X)", "SortError7"},
      {"SORT(Vector=V, Vector=W)", "SortErrorC"},
      // A computed text is no file variable.
      {"SORT(FIle=G//'x', Column=1)", "SortError9"},
      {"SORT(Vector=X, FIle=G//'x')", "SortError7"},
      {"SORT(FIle=G//'x', Vector=X)", "SortError9"},
      // G was never opened.
      {"SORT(FIle=G, Column=1)", "SortErrorB"},
      // F's second OPEN fails: F is a file variable without a unit.
      {"OPEN(FIle=F)\nOPEN(FIle=F, NEW, ERror=10)\n10 SORT(FIle=F, Column=1)", "SortErrorB"},
      {"OPEN(FIle=F, BINary)\nSORT(FIle=F, Column=1)", "SortErrorA"},
      {"SORT(Index=I)", "SortError8"},
      {"SORT(Column=1, Index=I)", "SortError8"},
      // A key vector holds one value per record of the file (4 here).
      {"OPEN(FIle=F, RecL=3)\nSORT(FIle=F, Vector=V)", "SortErrorC"},
      {"OPEN(FIle=F, RecL=3)\nI = 1, 1, 2\nSORT(FIle=F, Index=I)", "SortErrorE"},
      {"OPEN(FIle=F, RecL=3)\nI = 4, 0, 2\nSORT(FIle=F, Index=I)", "SortErrorE"},
      // An output that names a column of the current table: without a
      // table nothing is written; a text file without a line index.
      {"SORT(Vector=V, Index=X)", ""},
      {"H = 'text.txt'\nOPEN(FIle=H)\nSORT(FIle=H, Column=1)", "notYetBuilt"},
  };
  numeric::sortlineindex = nullptr;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(key(decl + c.script + "\nEND\n"), c.key);
  }
}

// The line index of t.txt as the file is at each SORT, so that rows
// appended during the run are counted.
bool liveindex(std::int32_t unit, numeric::SortLines& lines) {
  indexlines(read_file("t.txt"));
  return testindex(unit, lines);
}

// The row map on the record of the file the run sorted last.
std::optional<io::RowMap> rowmapleft() {
  for (std::int32_t u = plat::unit_script_first; u <= plat::unit_script_last; ++u)
    if (io::rwfiles(u).rowmap) return io::rwfiles(u).rowmap;
  return std::nullopt;
}

TEST_F(SortScript, AFileViewedAsATableKeepsTheOrderAsItsRowMapComposedSortBySort) {
  numeric::sortlineindex = liveindex;
  const std::string open =
      "CHARACTER F*8, G*8\nDIMENSION I(5), J(5)\nF = 't.txt'\nOPEN(FIle=F)\n"
      "WRITE(FIle=F) 'd 2'\nWRITE(FIle=F) 'b 40'\nWRITE(FIle=F) 'a 7'\n"
      "WRITE(FIle=F, CLoSe=1) 'c 1'\nOPEN(FIle=F, Format='A2,F')\n";
  // By column 2 (2, 40, 7, 1): the records 4, 1, 3, 2.
  run(open + "N = SORT(FIle=F, Column=2, Index=I)\nEND\n");
  std::optional<io::RowMap> map = rowmapleft();
  ASSERT_TRUE(map.has_value()) << "no row map after one SORT";
  EXPECT_EQ(map->rows, (std::vector<std::int32_t>{4, 1, 3, 2}));
  EXPECT_EQ(map->keys, (std::array<std::int32_t, 8>{2, 0, 0, 0, 0, 0, 0, 0}));
  // Then by column 1 (d, b, a, c): the statement's own order 3, 2, 4, 1,
  // the map's entry i the first map's entry at that place.
  EXPECT_NE(run(open + "SORT(FIle=F, Column=2)\nN = SORT(FIle=F, Column=1, Index=J)\nEND\n")
                .find("J=(3,2,4,1,0)\n"),
            std::string::npos);
  map = rowmapleft();
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(map->rows, (std::vector<std::int32_t>{3, 1, 2, 4}));
  EXPECT_EQ(map->keys[0], 1);
  // A row appended after the sort: the next SORT takes the map's count of
  // records, not the file's lines.
  const std::string out =
      run(open + "SORT(FIle=F, Column=2)\nG = 't.txt'\nOPEN(FIle=G, APPend)\n"
                 "WRITE(FIle=G, CLoSe=1) 'e 5'\nN = SORT(FIle=F, Column=1, Index=J)\nEND\n");
  EXPECT_NE(out.find("N=4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("J=(3,2,4,1,0)\n"), std::string::npos) << out;
  EXPECT_EQ(read_file("t.txt"), "d 2\r\nb 40\r\na 7\r\nc 1\r\ne 5\r\n");
}

TEST_F(SortScript, AFileOfOneRecordEndsTheStatementWithoutAMessage) {
  write_file("one.dat", "xyz");
  EXPECT_EQ(run("CHARACTER F*8\nF = 'one.dat'\nOPEN(FIle=F, RecL=3)\n"
                "DIMENSION I(2)\nI = 7, 7\nN = SORT(FIle=F, Column=1, Index=I, PhySsort=1)\nEND\n"),
            "F='one.dat '\nI=(7,7)\nN=1\nstop=-1\n");
}

TEST_F(SortScript, FixedRecordsSortByTheirTextUpperCasedUnlessTheOptionKeepsCase) {
  write_file("recs.dat", "bobAmyCatamy");
  const std::string out =
      run("CHARACTER F*8\nF = 'recs.dat'\nDIMENSION I(4), J(4), K(4)\n"
          "OPEN(FIle=F, RecL=3)\n"
          "SORT(FIle=F, Column=1, Index=I)\n"
          "SORT(FIle=F, Column=1, Option=1, Index=J)\n"
          "SORT(FIle=F, Column=1, Descending=1, Index=K)\nEND\n");
  EXPECT_NE(out.find("I=(2,4,1,3)\nJ=(2,3,4,1)\nK=(3,1,4,2)\n"), std::string::npos) << out;
}

TEST_F(SortScript, PhysicalRewriteOfFixedRecordsKeepsATailAndFreesTheUnit) {
  // Records of 3 bytes, then 2 bytes that make no record; a binary unit
  // counts its records in bytes.
  for (const char* open : {"OPEN(FIle=F, RecL=3)", "OPEN(FIle=F, BINary, RecL=3)"}) {
    SCOPED_TRACE(open);
    write_file("recs.dat", "bobAmyCatamyzz");
    const std::string out =
        run(std::string("CHARACTER F*8\nF = 'recs.dat'\nDIMENSION V(4)\nV = 3, 1, 4, 2\n") + open +
            "\nN = SORT(FIle=F, Vector=V, PhySsort=1)\nM = SORT(FIle=F, Column=1)\nEND\n");
    // The file is closed afterwards: the next SORT no longer finds it.
    EXPECT_NE(out.find("N=4\n"), std::string::npos) << out;
    EXPECT_NE(out.find("key=SortErrorB"), std::string::npos) << out;
    EXPECT_EQ(read_file("recs.dat"), "AmyamybobCatzz");
    EXPECT_FALSE(fs::exists("TempSort"));
  }
}

TEST_F(SortScript, AnIndexArrayGivesTheOrderAndIsNotWrittenBack) {
  fs::create_directory("sub");
  write_file("sub/recs.dat", "aaabbbccc");
  write_file("TempSort", "not ours");
  EXPECT_EQ(run("CHARACTER F*12\nF = 'sub/recs.dat'\nDIMENSION I(3)\nI = 3, 1, 2\n"
                "OPEN(FIle=F, RecL=3)\nN = SORT(FIle=F, Index=I, PhySsort=1)\nEND\n"),
            "F='sub/recs.dat'\nI=(3,1,2)\nN=3\nstop=-1\n");
  EXPECT_EQ(read_file("sub/recs.dat"), "cccaaabbb");
  // The scratch file lies beside the data file.
  EXPECT_EQ(read_file("TempSort"), "not ours");
  EXPECT_FALSE(fs::exists("sub/TempSort"));
}

// The rewrite goes through a link to the real file, which keeps its mode;
// a link where the scratch file used to be made is not written through,
// and no other file is left.
TEST_F(SortScript, TheRewriteReachesTheRealFileAndFollowsNoPlantedLink) {
  write_file("real.dat", "cccaaabbb");
  fs::permissions("real.dat",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real.dat", "recs.dat");
  write_file("other.txt", "keep");
  fs::create_symlink("other.txt", "TempSort");
  EXPECT_NE(run("CHARACTER F*8\nF = 'recs.dat'\nOPEN(FIle=F, RecL=3)\n"
                "N = SORT(FIle=F, Column=1, PhySsort=1)\nEND\n")
                .find("N=3\nstop=-1\n"),
            std::string::npos);
  EXPECT_EQ(read_file("real.dat"), "aaabbbccc");
  EXPECT_TRUE(fs::is_symlink("recs.dat"));
  EXPECT_EQ(fs::status("real.dat").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(read_file("other.txt"), "keep");
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(".")) ++n;
  EXPECT_EQ(n, 4u);
}

TEST_F(SortScript, TextFilesAreRewrittenWithTheirOwnLineEndsAndDoublesDropped) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"pear\nfig\napple\npear\nkiwi\n", "apple\nfig\nkiwi\npear\n"},
      {"pear\r\nfig\r\napple\r\npear\r\nkiwi\r\n", "apple\r\nfig\r\nkiwi\r\npear\r\n"},
      {"pear\rfig\rapple\rpear\rkiwi\r", "apple\rfig\rkiwi\rpear\r"},
      // An unterminated last line keeps every character and gets the end.
      {"pear\nfig\napple\npear\nkiwi", "apple\nfig\nkiwi\npear\n"},
      // Lines equal as keys but not as texts are both kept.
      {"pear\nPear\npear\n", "pear\nPear\npear\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    write_file("fruit.txt", c.in);
    indexlines(c.in);
    run("CHARACTER F*10\nF = 'fruit.txt'\nOPEN(FIle=F)\n"
        "SORT(FIle=F, Column=1, PhySsort=1, DELDouBLes=1)\nEND\n");
    EXPECT_EQ(read_file("fruit.txt"), c.out);
  }
  // Without DELDouBLes every line stays.
  write_file("fruit.txt", "b\na\nb\n");
  indexlines("b\na\nb\n");
  run("CHARACTER F*10\nF = 'fruit.txt'\nOPEN(FIle=F)\nSORT(FIle=F, Column=1, PhySsort=1)\nEND\n");
  EXPECT_EQ(read_file("fruit.txt"), "a\nb\nb\n");
}

TEST_F(SortScript, ACopyThatFailsMidwayLeavesTheDataFileAsItWas) {
  const struct {
    std::string data, open;
  } cases[] = {{"ccbbaa", "OPEN(FIle=F, RecL=2)"}, {"c\nb\na\n", "OPEN(FIle=F)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.open);
    write_file("data.txt", c.data);
    positions.clear();
    if (c.data.find('\n') != std::string::npos) indexlines(c.data);
    plat::writes_before_fault = 2;  // the third record's write fails
    const std::string out = run("CHARACTER F*10\nF = 'data.txt'\n" + c.open +
                                "\nSORT(FIle=F, Column=1, PhySsort=1)\nEND\n");
    plat::writes_before_fault = -1;
    EXPECT_NE(out.find("key=rdwrErK"), std::string::npos) << out;
    EXPECT_EQ(read_file("data.txt"), c.data);
    EXPECT_FALSE(fs::exists("TempSort"));
  }
}

}  // namespace
