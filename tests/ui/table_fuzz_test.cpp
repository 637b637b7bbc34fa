// The readers of table texts against mutated input (a deterministic
// mutation loop; the sanitised build catches a read or write out of
// bounds): delimited texts split into rows and cells, and whole table
// statements of random objects, formats, titles and controls, which build
// a table or are refused and leave neither a table nor a window; and SORT
// over the cells of a mutated file viewed as a table.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "exec/windowlist.h"
#include "support/script_folder.h"
#include "support/test_support.h"
#include "ui/dialogs.h"
#include "ui/tables.h"
#include "ui/tablework.h"

namespace {

std::string mutate(std::string s, std::mt19937& rng) {
  static constexpr char alphabet[] = "A,;:.|0123456789 \r\nFXxaI()'\x01\x09\xFF-";
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    const char c = alphabet[rng() % (sizeof alphabet - 1)];
    switch (rng() % 3) {
      case 0:
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), c);
        break;
      case 1:
        if (at < s.size()) s.erase(at, 1 + rng() % 3);
        break;
      default:
        if (at < s.size()) s[at] = c;
        break;
    }
  }
  return s;
}

// A text for a script literal: no quote, no line end.
std::string literal(std::string s) {
  for (char& c : s)
    if (c == '\'' || c == '\r' || c == '\n') c = '.';
  return s;
}

TEST(TableTexts, DelimitedCellsLieInsideTheirText) {
  std::mt19937 rng(51);
  const std::vector<std::string> texts = {"a,b,c,d", "a,b;c,d", "1 2 3 4 5", "x;y\r\nz;w",
                                          "only",    ",,,",     "a,b,c,",    "  "};
  for (int i = 0; i < 5000; ++i) {
    const std::string t = mutate(texts[rng() % texts.size()], rng);
    const ui::tw::Delimited d = ui::tw::splitdelimited(t);
    EXPECT_LE(d.kinds.size(), 3u);
    for (const ui::tw::Piece& p : d.pieces) {
      EXPECT_GE(p.start, 0);
      EXPECT_GT(p.length, 0);
      EXPECT_LE(static_cast<std::size_t>(p.start + p.length), t.size());
    }
    const std::int32_t columns = 1 + static_cast<std::int32_t>(rng() % 4);
    const std::int32_t rows = ui::tw::delimitedrows(d, columns);
    EXPECT_GE(rows, 0);
    for (std::int32_t r = 1; r <= rows + 1; ++r)
      for (std::int32_t c = 1; c <= columns + 1; ++c) {
        ui::tw::Piece p;
        if (!ui::tw::delimitedcell(t, d, columns, r, c, p)) continue;
        EXPECT_LE(r, rows);
        EXPECT_LE(c, columns);
        EXPECT_LE(static_cast<std::size_t>(p.start + p.length), t.size());
      }
  }
}

using TableFuzz = testsupport::ScriptInFolder;

TEST_F(TableFuzz, RandomTablesBuildOrAreRefusedAndLeaveNothingBehind) {
  testsupport::write_file("f.txt", "ab   first\r\ncd   second\r\n");
  std::mt19937 rng(2051);
  const std::vector<std::string> objects = {"A", "B", "S", "T", "F", "X", "'a,b'"};
  const std::vector<std::string> formats = {"A3,A5",  "F8.2", "A,A",    "2A4,X,F5.1", "(A2)",
                                            "'x',A3", "I4",   "A5,A10", "B8",         ""};
  const std::vector<std::string> titles = {"a,b,c,",   "2:x,1:y,", "CHeckbox:p,RADio:q,",
                                           "Button:z", "3:,",      ""};
  const std::vector<std::string> controls = {"MIN=0,MAX=10,3:TrackBar", "2:CHeckbox",
                                             "2:DNum,4:UpDown", "9:Edit"};
  const std::vector<std::string> keywords = {"Edit", "Text", "CHeckbox", "RADio", "TrackBar"};
  for (int i = 0; i < 160; ++i) {
    std::string o = keywords[rng() % keywords.size()] + "=" + objects[rng() % objects.size()];
    if (rng() % 4 != 0)
      o += ", Format='" + literal(mutate(formats[rng() % formats.size()], rng)) + "'";
    if (rng() % 2 == 0)
      o += ", ColTitle='" + literal(mutate(titles[rng() % titles.size()], rng)) + "'";
    if (rng() % 3 == 0)
      o += ", RowTitle='" + literal(mutate(titles[rng() % titles.size()], rng)) + "'";
    if (rng() % 4 == 0) o += ", ColTitle=N";
    if (rng() % 3 == 0) o += ", Width=" + std::to_string(rng() % 4);
    if (rng() % 3 == 0) o += ", Height=" + std::to_string(rng() % 5);
    if (rng() % 3 == 0)
      o += ", CoNtrols='" + literal(mutate(controls[rng() % controls.size()], rng)) + "'";
    if (rng() % 3 == 0) o += ", ROW=N, COL=N";
    if (rng() % 4 == 0) o += ", Edit=A, Y=0";
    const std::string statement = "DLG(" + o + ")";
    const std::string out =
        run("DIMENSION A(3, 4), B(1, 5)\nCHARACTER S*24, T*12, F*8\nS = 'ab,cd;ef gh,ij\x01kl'\n"
            "T = 'abcdefghijkl'\nF = 'f.txt'\nOPEN(FIle=F, Format='A5,A')\nX = 1\nN = 2\n" +
            statement + "\nEND\n");
    EXPECT_NE(out.find("stop="), std::string::npos) << statement << "\n" << out;
    EXPECT_EQ(core::idestate & 0x100, 0) << statement;
    EXPECT_EQ(ui::pendingtables, nullptr) << statement;
    EXPECT_EQ(exec::wdwhead, nullptr) << statement;
  }
}

TEST_F(TableFuzz, SortOverTheCellsOfAMutatedFileEndsAndGivesAPermutation) {
  // Mutated rows read through a random column layout: SORT stops with a
  // message or leaves in I a permutation of the records.
  std::mt19937 rng(5138);
  int sorted = 0;
  const std::vector<std::string> formats = {"A2,F", "A3,A", "F,F", "A1,'x',A", "A2,F4.1,A"};
  for (int i = 0; i < 120; ++i) {
    testsupport::write_file("s.txt", mutate("b 2\r\na 30\r\nc 1.5\r\n\"q\" 7\r\n", rng));
    const std::string fmt = literal(mutate(formats[rng() % formats.size()], rng));
    const std::string column = std::to_string(rng() % 4);
    const std::string out =
        run("DIMENSION I(9)\nCHARACTER F*8\nF = 's.txt'\nOPEN(FIle=F, Format='" + fmt +
            "')\nN = SORT(FIle=F, Column=" + column + ", Index=I)\nEND\n");
    SCOPED_TRACE(fmt + " column " + column);
    ASSERT_NE(out.find("stop="), std::string::npos) << out;
    if (out.find("stop=-1") == std::string::npos) continue;
    const std::size_t a = out.find("I=("), b = out.find(')', a), nat = out.find("\nN=");
    ASSERT_TRUE(a != std::string::npos && b != std::string::npos && nat != std::string::npos);
    const int n = std::stoi(out.substr(nat + 3));
    if (n < 2) continue;
    ++sorted;
    std::vector<int> seen(static_cast<std::size_t>(n) + 1, 0);
    std::size_t at = a + 3;
    for (int k = 0; k < std::min(n, 9); ++k) {
      const int r = std::stoi(out.substr(at));
      ASSERT_TRUE(r >= 1 && r <= n) << out;
      EXPECT_EQ(++seen[static_cast<std::size_t>(r)], 1) << out;
      at = out.find(',', at) + 1;
    }
  }
  EXPECT_GT(sorted, 30);  // most runs reach the sort itself
}

}  // namespace
