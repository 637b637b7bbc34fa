// Column layouts of table files, the split of a row into cells, and the
// conversion of a cell between its text and a script variable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/lineindex.h"
#include "io/rwfiles.h"
#include "platform/file_units.h"
#include "support/stores_fixture.h"
#include "support/test_support.h"

namespace {

constexpr std::int32_t unit = plat::unit_script_first;

class TableCells : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    storetest::addspecials();
    io::reset_rwfiles();
    core::msgkey.blank();
  }
  void TearDown() override {
    io::reset_rwfiles();
    core::msgkey.blank();
  }
  // The column table of a format text; layout receives the layout bits.
  const io::ColTable& table(const std::string& fmt, std::int32_t* layout = nullptr) {
    io::rwfiles(unit) = io::RwFile{};
    io::rwfiles(unit).filevar = 1;
    const std::int32_t k = storetest::addcharvar("F" + std::to_string(++nfmt_), fmt);
    std::int32_t columns = 0, lines = 0, headers = 0, bits = 0;
    char sep = 0;
    io::FILEMATRIXFORMAT(k, unit, columns, sep, lines, headers, bits);
    if (layout) *layout = bits;
    return *io::rwfiles(unit).coltable;
  }
  // The cells of a row as texts, "-" for a missing one.
  std::vector<std::string> cells(const std::string& fmt, const std::string& row, char quote = 0) {
    std::vector<std::int32_t> s, e;
    io::FILLCELLS1ROW(s, e, table(fmt), row, quote);
    std::vector<std::string> out;
    for (std::size_t c = 0; c < s.size(); ++c)
      out.push_back(s[c] < 1 ? "-" : row.substr(s[c] - 1, std::max(e[c] - s[c] + 1, 0)));
    return out;
  }
  int nfmt_ = 0;
};

using Texts = std::vector<std::string>;

TEST_F(TableCells, FixedColumnsLieAtTheirOffsetsWithTheirDescriptors) {
  std::int32_t layout = 0;
  const io::ColTable& t = table("(A10,F8.2,I5)", &layout);
  EXPECT_EQ(layout, 1);
  ASSERT_EQ(t.columns.size(), 3);
  const std::int32_t offsets[] = {1, 11, 19}, widths[] = {10, 8, 5}, kinds[] = {0, 3, 7};
  const char* texts[] = {"A10", "F8.2", "I5"};
  for (int c = 1; c <= 3; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(t.columns(c).offset, offsets[c - 1]);
    EXPECT_EQ(t.columns(c).width, widths[c - 1]);
    EXPECT_EQ(io::columnformat(unit, c), texts[c - 1]);
    std::int32_t width = 0, kind = -1;
    io::GETELEMENTMAXCHLEN(unit, c, width, kind);
    EXPECT_EQ(width, widths[c - 1]);
    EXPECT_EQ(kind, kinds[c - 1]);
  }
  EXPECT_EQ(table("3A5,2X,I2").columns(4).offset, 18);     // repeats and skips move the offset
  EXPECT_EQ(table("A5,A", &layout).columns(2).offset, 0);  // follows the cell before
  EXPECT_EQ(layout, 3);
}

TEST_F(TableCells, ItemsGiveSeparatorLinesAndHeaders) {
  table("NB=;,ML=2,SL=1,A,A");
  const io::RwFile& r = io::rwfiles(unit);
  EXPECT_EQ(r.coltable->columns.size(), 2);
  EXPECT_EQ(r.linesperrow, 2);
  EXPECT_EQ(r.firstline, 2);
  std::int32_t columns = 0, lines = 0, headers = 0, bits = 0;
  char sep = 0;
  io::rwfiles(unit) = io::RwFile{};
  io::rwfiles(unit).filevar = 1;
  io::FILEMATRIXFORMAT(storetest::addcharvar("G", "nb=;,ml=0,A"), unit, columns, sep, lines,
                       headers, bits);
  EXPECT_EQ(sep, ';');
  EXPECT_EQ(lines, 2);  // below 1 counts as 2
  EXPECT_EQ(columns, 1);
}

TEST_F(TableCells, RowsSplitIntoCellsByEveryKindOfDescriptor) {
  // A one-character descriptor ends the cell; an empty last cell takes the
  // rest of the row without its trailing control characters.
  EXPECT_EQ(cells(",;,;", "a,,b \t\r"), (Texts{"a", ",b "}));
  EXPECT_EQ(cells(",;,;,;", "a,,b"), (Texts{"a", "", "b"}));
  // The list separator is the text's last character unless that is a name
  // character: "," then.
  EXPECT_EQ(cells(";,;,A", "x;y;rest\r\nnext"), (Texts{"x", "y", "rest"}));
  // Two characters enclose the cell.
  EXPECT_EQ(cells("\"\",A", "x\"q r\"tail"), (Texts{"q r", "tail"}));
  EXPECT_EQ(cells("[],A", "no brackets"), (Texts{"-", "no brackets"}));
  // F: the next number, with one sign or blank in front.
  EXPECT_EQ(cells("F;F;F;", "x -1.5e2 abc 7"), (Texts{" -1.5e2", " 7", "-"}));
  // A fixed column past the end of the row: it and every later one missing.
  EXPECT_EQ(cells("A2,A3,A1", "abcd"), (Texts{"ab", "-", "-"}));
  EXPECT_EQ(cells("A2,A1", "abc"), (Texts{"ab", "c"}));  // one character, the row's last
  // Descriptors of three or more characters make no cells.
  EXPECT_EQ(cells(",;abc;,;", "a,b"), (Texts{"a", "-", "-"}));
}

TEST_F(TableCells, AQuotedCellEndsAtItsOwnClosingQuote) {
  EXPECT_EQ(cells(",;,;", "\"a,b\",c", '"'), (Texts{"a,b", "c"}));
  EXPECT_EQ(cells(",;,;,;", "\"ab\",c,\"d\"", '"'), (Texts{"ab", "c", "d"}));
  EXPECT_EQ(cells(",;,;", "\"a,b\",c"), (Texts{"\"a", "b\""}));  // without a quote character
}

TEST_F(TableCells, RowsOfABinaryFileStartAfterTheCellsOfTheRowBefore) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.path() / "b.dat", "a|b,c|dd,e|f,");
  plat::UnitMode m;
  m.access = plat::UnitAccess::direct;
  m.form = plat::UnitForm::binary;
  m.recl = 1;
  ASSERT_EQ(plat::open_unit(unit, dir.file("b.dat"), m), 0);
  table("|;,;");
  io::rwfiles(unit).mode = io::rwflag::direct | io::rwflag::binary;
  std::int32_t rows = 0, longest = 0;
  io::MAKEFILEINDEX(unit, rows, longest, '"', 1, 0);  // the first row is a header
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(longest, 5);
  const auto& p = io::rwfiles(unit).lineindex->positions.raw();
  EXPECT_EQ(p, (std::vector<std::int32_t>{5, 10, 14}));  // each row's own start
  plat::close_unit(unit);
}

TEST_F(TableCells, NumbersReadThroughTheFormatOrThePlainReader) {
  double v = 7.0;
  EXPECT_TRUE(io::REALFROMSTRINGFMTD("12.5", v, "F5.1"));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(io::REALFROMSTRINGFMTD("12.5", v = 0, "Q"));  // does not parse: the plain reader
  EXPECT_EQ(v, 12.5);
  EXPECT_FALSE(io::REALFROMSTRINGFMTD("xyz", v = 7, "Q"));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(core::msgkey.is_blank());
  EXPECT_FALSE(io::REALFROMSTRINGFMTD("xyz", v = 7, "F5.1"));
  EXPECT_EQ(v, 7.0);
  EXPECT_EQ(core::msgkey.trimmed(), "mx2element");

  std::string text(8, '#');
  char status = '?';
  io::REALTOSTRINGFMTD(text, 3.25, "Q", status);
  EXPECT_EQ(text, "3.25    ");
  EXPECT_TRUE(core::msgkey.is_blank());
}

TEST_F(TableCells, ACellGoesIntoATextOrANumberByTheTargetAndTheFormatLetter) {
  const std::int32_t s = storetest::addcharvar("S", "old text"), x = storetest::addsym("X", 0x80);
  auto number = [&](std::string_view cell, std::int32_t column, std::string_view fmt) {
    core::z(x) = -1.0;
    io::REALORSTRINGFROMSTRINGFMTD(cell, column, x, fmt);
    return core::z(x);
  };
  io::REALORSTRINGFROMSTRINGFMTD("whole line", 0, s, "A");
  EXPECT_EQ(storetest::textof(s), "whole li");
  EXPECT_EQ(number("12.5", 0, "A"), -1.0);  // a text has no number to give
  EXPECT_EQ(number("12.5", 2, "A"), -1.0);
  EXPECT_EQ(number(" 12.5", 2, "F"), 12.5);  // one letter: the plain reader
  EXPECT_EQ(io::cellreadmode, 2);
  EXPECT_EQ(number("  -3.5", 2, "F6.1"), -3.5);
  EXPECT_EQ(io::cellreadmode, 3);
  EXPECT_EQ(number("abc", 2, "A10"), -1.0);
  EXPECT_EQ(io::cellreadmode, 0);
  core::msgkey.set("pending");
  EXPECT_EQ(number("12", 2, "F4.0"), 0.0);
  EXPECT_EQ(io::cellreadmode, 1);
  EXPECT_TRUE(core::msgkey.is_blank());
}

TEST_F(TableCells, AValueBecomesCellTextByItsFormatLetter) {
  const std::int32_t s = storetest::addcharvar("S", "abc"), x = storetest::addsym("X", 0x80);
  std::string text(6, '#');
  std::int32_t used = 0;
  char status = ' ';
  auto write = [&](std::int32_t target, double value, std::string_view fmt) {
    io::REALORSTRINGTOSTRINGFMTD(text, used, target, value, "dflt", fmt, status);
    return text;
  };
  EXPECT_EQ(write(0, -2.5, "F6.2"), " -2.50");  // zero and negatives are numbers
  EXPECT_EQ(write(0, 0.0, "F6.2"), "  0.00");
  EXPECT_EQ(write(0, 1.5, "N"), "1.5   ");
  EXPECT_EQ(write(0, 1.5, "B8"), "dflt  ");  // read as a number, written as text
  core::z(x) = 4.0;
  EXPECT_EQ(write(x, 0.0, "I6"), "     4");
  EXPECT_EQ(write(s, 0.0, "F6.2"), "abc   ");  // a character target is text
  EXPECT_EQ(used, 3);
  EXPECT_EQ(write(0, 0.0, "x"), "dflt  ");
  io::REALORSTRINGTOSTRINGFMTD(text, used, 0, 0.0, "", "x", status);
  EXPECT_EQ(used, 1);
}

}  // namespace
