// Row filters: how a filter text is parsed into conditions, and which rows
// of a table file each form keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/rowfilter.h"
#include "io/script_folder.h"
#include "support/test_support.h"

namespace {

struct Parsed {
  std::int32_t column;
  std::string value;
  int ops;
  friend bool operator==(const Parsed&, const Parsed&) = default;
  friend void PrintTo(const Parsed& p, std::ostream* os) {
    *os << p.column << ":" << p.value << "/" << p.ops;
  }
};

std::vector<Parsed> parse(std::string_view text, std::int32_t columns, bool* andflag = nullptr) {
  std::vector<io::FilterCondition> conds;
  bool a = false;
  io::FILEFILTERANALYZE(columns, 0, text, 8, conds, a);
  if (andflag) *andflag = a;
  std::vector<Parsed> out;
  for (const auto& c : conds)
    out.push_back(
        {c.column,
         std::string(text.substr(static_cast<std::size_t>(c.valstart - 1),
                                 static_cast<std::size_t>(std::max(c.valend - c.valstart + 1, 0)))),
         c.ops});
  return out;
}

constexpr int V = io::filter_value;

TEST(FilterParse, ColumnsOperatorsValuesAndSeparators) {
  using P = std::vector<Parsed>;
  bool andflag = true;
  EXPECT_EQ(parse("2:>100", 5, &andflag), (P{{2, "100", io::filter_greater | V}}));
  EXPECT_FALSE(andflag);
  EXPECT_EQ(parse("3:&x,4 :&~y", 5, &andflag),
            (P{{3, "x", io::filter_and | V}, {4, "y", io::filter_and | io::filter_not | V}}));
  EXPECT_TRUE(andflag);
  // The last character separates when it is no name character.
  EXPECT_EQ(parse("3:x;4:y;", 5), (P{{3, "x", V}, {4, "y", V}}));
  EXPECT_EQ(parse("3:a,b;", 5), (P{{3, "a,b", V}}));
  // Digits without a colon are part of the value.
  EXPECT_EQ(parse("ab12c", 20), (P{{0, "ab12c", V}}));
  EXPECT_EQ(parse("ab12:c", 20), (P{{12, "c", V}}));
  // A column outside the table: 0 first, then the column before.
  EXPECT_EQ(parse("9:a,2:b,7:c", 5), (P{{0, "a", V}, {2, "b", V}, {2, "c", V}}));
  EXPECT_EQ(parse("1:<,", 5), (P{{1, "", io::filter_less}}));
  EXPECT_EQ(parse("1:a,1:b,1:c,1:d,1:e,1:f,1:g,1:h,1:i", 5).size(), 8u);
  EXPECT_TRUE(parse("   ", 5).empty());
}

class FilterScript : public iotest::ScriptFolder {
 protected:
  // The rows of the table that pass the filter, or the IOStat of the OPEN.
  static std::string kept(const std::string& filter, const std::string& more = "") {
    const std::string out = run("CHARACTER F*8, FT*40\nF = 'f.txt'\nFT = '" + filter +
                                "'\nL = -1\nIO = 0\nOPEN(FIle=F, Format=',;,;,;,;A;', FiLTer=FT" +
                                more + ", LENgth=L, IOStat=IO, ERror=9)\n9 CONTINUE\nEND\n");
    const auto at = [&](const std::string& v) {
      const std::size_t p = out.find("\n" + v + "=");
      const std::size_t from = p + v.size() + 2;
      return p == std::string::npos ? std::string("?")
                                    : out.substr(from, out.find('\n', from) - from);
    };
    return at("IO") == "0" ? at("L") : "IO" + at("IO");
  }
};

TEST_F(FilterScript, EveryFormKeepsItsRows) {
  testsupport::write_file("f.txt",
                          "a,50,0,x,q\n"
                          "b,150,1,x,y\n"
                          "c,100,0,z,y\n"
                          "abc,100.3,2,x,y\n");
  const struct {
    const char* filter;
    const char* rows;
  } cases[] = {
      {"2:>100", "2"},                        // at least 100 plus the tolerance
      {"2:<100", "2"},                        // below 100 plus the tolerance
      {"2:100", "1"},    {"abc", "1"},        // anywhere in the row
      {"3:~0", "2"},     {"4:&x,5:&y", "2"},  // both
      {"4:x,5:y", "4"},                       // either
      {"4:x;5:q;", "3"}, {"1:<b", "2"},       // texts in character order
      {"1:>b", "1"},     {"4:~x,5:q", "2"},   // (not x) or q
      {"5:y", "3"},      {"5:b", "IO-87"},    // the last column only, not the row
      {"zz", "IO-87"},                        // no row passes: no table
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(kept(c.filter), c.rows);
  }
  EXPECT_EQ(kept("2:100", ", CompTol=0.5"), "2");
  EXPECT_EQ(kept("2:100"), "1");  // the tolerance held for that statement only
}

TEST_F(FilterScript, HeaderLinesStayAndKeptRowsAreReadInOrder) {
  testsupport::write_file("h.txt", "name,value\nb,150\nc,99\nd,300\n");
  const std::string out =
      run("CHARACTER F*8, N*4\nF = 'h.txt'\n"
          "OPEN(FIle=F, Format='SL=1,,;F;', FiLTer='2:>100', LENgth=L)\n"
          "READ(FIle=F) N, X\nREAD(FIle=F) N, Y\nEND\n");
  EXPECT_EQ(out, "F='h.txt   '\nN='d   '\nL=3\nX=150\nY=300\nstop=-1\n");
}

// A filter over a direct file lists the rows it keeps and nothing after
// them: the table has as many rows as passed, however many the file has.
TEST_F(FilterScript, ADirectFilesFilterLeavesNoRowAfterTheRowsItKeeps) {
  testsupport::write_file("d.txt", "a1\r\nb2\r\na3\r\nb4\r\na5\r\n");
  for (const auto& [filter, rows] : {std::pair{"1:a", "L=3\n"}, std::pair{"2:3", "L=1\n"}}) {
    const std::string out =
        run(std::string("CHARACTER F*8\nF = 'd.txt'\nOPEN(FIle=F, DIRect, RecL=4, "
                        "Format='A1,A1', FiLTer='") +
            filter + "', LENgth=L)\nEND\n");
    EXPECT_NE(out.find(rows), std::string::npos) << filter << "\n" << out;
  }
}

}  // namespace
