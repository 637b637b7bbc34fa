// The view of a file table while a script shows it: header clicks that sort
// up, down and back to the stored order, up to eight keys, clusters stepped
// through with "&+Dn" and "&-Up", filters, change filters and searches
// that wrap or settle for the closest number. The rows are checked as the
// table shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/runwords.h"
#include "dialog_fixture.h"
#include "exec/varkommas.h"
#include "exec/windowlist.h"
#include "io/rwfiles.h"
#include "platform/file_units.h"
#include "support/test_support.h"
#include "ui/dialogwords.h"
#include "ui/tablechanges.h"
#include "ui/tables.h"
#include "ui/tablesort.h"

namespace {

using dlgtest::DialogScript;

std::int32_t openunit() {
  for (std::int32_t u = plat::unit_script_first; u <= plat::unit_script_last; ++u)
    if (io::isscriptunit(u) && io::rwfiles(u).filevar > 0) return u;
  return 0;
}

// Column col of every row the table shows, joined by "|".
std::string shown(std::int32_t col) {
  const ui::mxrec* t = ui::mxcur;
  std::string out;
  for (std::int32_t r = 1; r <= t->nrows; ++r) {
    std::array<char, 64> text{};
    text.fill(' ');
    core::iostatw[0] = 0;
    ui::IOCHARMXELEMENT(t->unit, r, col, text, ui::cellmode::shown);
    std::string s(text.data(), text.size());
    s.erase(s.find_last_not_of(' ') + 1);
    if (core::iostatw[0] != 0) s = "<" + std::to_string(core::iostatw[0]) + ">";
    out += (r > 1 ? "|" : "") + s;
  }
  return out;
}

class TableView : public DialogScript {
 protected:
  // Runs the checks while the script shows the file as a table.
  void withtable(const std::string& lines, const std::string& format,
                 const std::function<void(std::int32_t, ui::mxrec&)>& checks) {
    testsupport::write_file("t.txt", lines);
    bool ran = false;
    answer({dlgtest::probe([&](win::HWND) {
      const std::int32_t unit = openunit();
      ASSERT_NE(unit, 0) << "no open file";
      ui::SETMXTOUNIT(unit);
      ASSERT_NE(ui::mxcur, nullptr) << "no table shows the file";
      ran = true;
      checks(unit, *ui::mxcur);
    })});
    const std::string out = run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='" + format +
                                "')\nDLG(Edit=F, Format='" + format + "')\n");
    EXPECT_TRUE(ran) << out;
  }
  // The same for a text variable shown as a table.
  void withtext(const std::string& text, const std::string& format,
                const std::function<void(ui::mxrec&)>& checks) {
    bool ran = false;
    answer({dlgtest::probe([&](win::HWND) {
      ASSERT_NE(ui::mxcur, nullptr) << "no table shows the text";
      ran = true;
      checks(*ui::mxcur);
    })});
    const std::string out = run("CHARACTER S*" + std::to_string(text.size()) + "\nS = '" + text +
                                "'\nDLG(Edit=S, Format='" + format + "')\n");
    EXPECT_TRUE(ran) << out;
  }
};

const std::string letters = "c 3\na 1\nb 2\na 5\n";

TEST_F(TableView, ThreeHeaderClicksSortUpDownThenNotAtAll) {
  withtable(letters, "A2,F", [](std::int32_t u, ui::mxrec& t) {
    ui::SORTMXCOLUMN(1, 0);
    EXPECT_EQ(shown(1), "a|a|b|c");
    EXPECT_EQ(shown(2), "1|5|2|3");  // equal keys keep their stored order
    EXPECT_EQ(t.sortcol, 1);
    // A cell typed on the sorted view goes to the row it shows.
    std::string typed = "7";
    typed.resize(64, ' ');
    ui::IOCHARMXELEMENT(u, 1, 2, typed, 0xB2);
    std::array<char, 64> stored{};
    stored.fill(' ');
    ui::IOCHARMXELEMENT(u, 2, 2, stored, 0x49);
    EXPECT_EQ(stored[0], '7');
    EXPECT_EQ(shown(2), "7|5|2|3");
    ui::SORTMXCOLUMN(1, 0);
    EXPECT_EQ(shown(1), "c|b|a|a");
    ui::SORTMXCOLUMN(1, 0);
    EXPECT_EQ(shown(1), "c|a|b|a");
    EXPECT_EQ(t.sortcol, 0);
    EXPECT_TRUE(t.sortindex.empty());
    EXPECT_TRUE(t.clusterinfo1.empty());
    EXPECT_TRUE(t.clusterinfo2.empty());
    EXPECT_TRUE(t.clusterinfo3.empty());
    EXPECT_TRUE(core::msgkey.is_blank()) << core::msgkey.view();
  });
}

TEST_F(TableView, RowsInsertedOrDeletedJoinTheSortedView) {
  withtable(letters, "A2,F", [](std::int32_t u, ui::mxrec& t) {
    ui::SORTMXCOLUMN(1, 0);
    std::int32_t row = 2, colout = 0;
    ui::MXEDIT(u, 0, row, colout, ui::mxcmd::insert, 0x80);
    // The blank row sorts first; the key stays ascending.
    EXPECT_EQ(shown(1), "|a|a|b|c");
    EXPECT_EQ(row, 1);
    EXPECT_EQ(t.clusterinfo2[0], 1);
    row = 2;  // rows of the table, as stored: the one inserted
    ui::MXEDIT(u, 0, row, colout, ui::mxcmd::remove, 0x80);
    EXPECT_EQ(shown(1), "a|a|b|c");
  });
}

TEST_F(TableView, KeysAddUpReweightAndStopAtEight) {
  withtable("a 1\nc 2\nb 1\nd 1\n", "A2,F", [](std::int32_t, ui::mxrec& t) {
    // Column 1 descending, then column 2: a key of one group sorts the
    // whole table, the keys before it break its ties.
    ui::SORTMXCOLUMN(1, 0);
    ui::SORTMXCOLUMN(1, 0);
    ui::SORTMXCOLUMN(2, 0);
    EXPECT_EQ(shown(1), "d|b|a|c");
    // A positive weight keeps the descending key descending: three
    // groups of column 1 (d c | b | a), column 2 within each.
    ui::MXCLUSTERSORT(1, 3, ui::mxmaxkeys, t.nrows);
    EXPECT_EQ(t.clusterinfo2[0], -3);
    EXPECT_EQ(shown(1), "d|c|b|a");
    // Removing a key that is not there while a slot is free sorts nothing.
    ui::MXCLUSTERSORT(7, 0, ui::mxmaxkeys, t.nrows);
    EXPECT_EQ(t.sortcol, 1);
  });
  // Fixed records of ten one-letter columns: the ninth key is not kept.
  withtable("zyxwvutsraabcdefghibabcdefghia", "A1,A1,A1,A1,A1,A1,A1,A1,A1,A1",
            [](std::int32_t, ui::mxrec& t) {
              for (std::int32_t c = 1; c <= 9; ++c) ui::SORTMXCOLUMN(c, 0);
              EXPECT_EQ(t.clusterinfo1, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
              EXPECT_EQ(t.sortcol, 9);
              EXPECT_EQ(shown(10), "b|a|a");  // the eight keys, stored order on ties
            });
}

TEST_F(TableView, FiltersNarrowTheRowsShown) {
  withtable("x 1\ny 2\ny 3\nz 3\nz 3\n", "A2,F", [](std::int32_t u, ui::mxrec& t) {
    std::int32_t rows = t.nrows;
    EXPECT_EQ(ui::MATRIXFILTER(u, "1:y,z", 5, rows, 0, 1e-13), 4);
    EXPECT_EQ(shown(2), "2|3|3|3");
    // A header sort orders the rows that passed, and only those.
    ui::SORTMXCOLUMN(2, 0);
    ui::SORTMXCOLUMN(2, 0);
    EXPECT_EQ(shown(1), "z|z|y|y");
    EXPECT_EQ(shown(2), "3|3|3|2");
    // A change filter keeps the rows whose text differs from the row before.
    std::int32_t row = 5;
    ui::MATRIXDELTAFILTER(row, 1, 't', 0);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(shown(1), "y");
    EXPECT_EQ(shown(2), "3");
    rows = t.nrows;
    EXPECT_EQ(ui::MATRIXFILTER(u, "q", 1, rows, 0, 1e-13), 0);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(t.nrows, 0);
    // The file's own line index is left whole: the script reads every row.
    EXPECT_EQ(ui::storedlines(u), 5);
  });
  withtable("s 1\ns 2\ns 3\n", "A2,F", [](std::int32_t, ui::mxrec& t) {
    std::int32_t row = 1;
    ui::MATRIXDELTAFILTER(row, 1, 't', 0);
    EXPECT_EQ(t.nrows, 0);
  });
}

TEST_F(TableView, SearchesWrapAndSettleForTheClosestNumber) {
  withtable("ab 10\ncd 20\nab 30\ncd 40\n", "A3,F", [](std::int32_t u, ui::mxrec&) {
    const std::int32_t f = io::rwfiles(u).filevar;
    double value = 0.0;
    // Forward from the last row: from row 1 up to it.
    std::int32_t row = 4;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "1:ab", 4, 0, ui::cellmode::shown, row, value, 1e-13));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(value, ui::mxnonumber);
    // Backward from row 1: from the last row down.
    row = 1;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "1:ab", 4, ui::mxopt::backward, ui::cellmode::shown, row,
                                 value, 1e-13));
    EXPECT_EQ(row, 3);
    // A number column: exact, then none within the tolerance.
    row = 0;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "2:40", 4, 0, ui::cellmode::shown, row, value, 1e-13));
    EXPECT_EQ(row, 4);
    EXPECT_EQ(value, 40.0);
    row = 0;
    EXPECT_FALSE(ui::MATRIXSEARCH(f, 1, "2:22", 4, 0, ui::cellmode::shown, row, value, 1e-13));
    row = 0;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "2:22", 4, ui::mxopt::closest, ui::cellmode::shown, row,
                                 value, 1e-13));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(value, 20.0);
    // A text condition alone sets no closest row.
    row = 0;
    EXPECT_FALSE(ui::MATRIXSEARCH(f, 1, "1:zz", 4, ui::mxopt::closest, ui::cellmode::shown, row,
                                  value, 1e-13));
    // The whole line is kept when column 0 hits.
    row = 0;
    ui::mxsearchcol = 0;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "cd 4", 4, 0, ui::cellmode::shown, row, value, 1e-13));
    EXPECT_EQ(ui::mxfoundtext, "cd 40");
    // The next change in column 1 from row 1, and backwards with wrap.
    ui::mxsearchcol = 1;
    row = 1;
    ui::MATRIXDELTASEARCH(f, 0, row, value);
    EXPECT_EQ(row, 2);
    row = 1;
    ui::MATRIXDELTASEARCH(f, ui::mxopt::backward, row, value);
    EXPECT_EQ(row, 4);
  });
}

// A condition written without a column is on the current search column;
// with none current, on the whole row.
TEST_F(TableView, AConditionWithoutAColumnIsOnTheSearchColumn) {
  withtable("a2 1\nb  2\nc  3\n", "A3,F", [](std::int32_t u, ui::mxrec& t) {
    const std::int32_t f = io::rwfiles(u).filevar;
    ui::mxsearchcol = 2;
    double value = 0.0;
    std::int32_t row = 0;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "2", 1, 0, ui::cellmode::shown, row, value, 1e-13));
    EXPECT_EQ(row, 2);
    std::int32_t rows = t.nrows;
    EXPECT_EQ(ui::MATRIXFILTER(u, "2", 1, rows, 0, 1e-13), 1);
    EXPECT_EQ(shown(1), "b");
    ui::mxsearchcol = 0;
  });
  // The whole row of a delimited text of two columns is both its cells.
  withtext("ab,1;cd;ef,3;gh,x2", "A,A", [](ui::mxrec& t) {
    EXPECT_EQ(shown(0), "ab,1|cd|ef,3|gh,x2");
    ui::mxsearchcol = 0;
    std::int32_t rows = t.nrows;
    EXPECT_EQ(ui::MATRIXFILTER(t.unit, "x", 1, rows, 0, 1e-13), 1);
  });
  // A cell of one character at the text's last character.
  withtext("abcdef", "A2,A1", [](ui::mxrec&) { EXPECT_EQ(shown(2), "c|f"); });
}

// Rows of unequal length: a cell a row does not have sorts as blank.
TEST_F(TableView, ACellARowDoesNotHaveSortsAsBlank) {
  withtable("b;xy\na\nc;ab\nd;zz\n", ";,A", [](std::int32_t, ui::mxrec&) {
    ui::SORTMXCOLUMN(2, 0);
    EXPECT_EQ(shown(1), "a|c|b|d");
    ui::SORTMXCOLUMN(2, 0);
    EXPECT_EQ(shown(1), "d|b|c|a");
  });
  withtable("b;2\na\nc;-1\nd;3\n", ";,F", [](std::int32_t, ui::mxrec&) {
    ui::SORTMXCOLUMN(2, 0);
    EXPECT_EQ(shown(1), "c|a|b|d");
  });
  // A text variable's row without the cell: the reader finds no cell there.
  withtext("b,xy;a;c,ab;d,zz", "A,A", [](ui::mxrec&) {
    ui::SORTMXCOLUMN(2, 0);
    EXPECT_EQ(shown(1), "a|c|b|d");
  });
}

TEST_F(TableView, ClusterStepsWrapAtEitherEnd) {
  withtable("a 1\nb 20\nc 2\nd 10\ne 21\nf 11\n", "A2,F", [](std::int32_t, ui::mxrec& t) {
    // The first cluster bar, with the view scrolled one column right, set
    // to three groups: column 2 as 1 2 | 10 11 | 20 21.
    ui::ALLOCATEMXSORTINDEX();
    ui::ALLOCATEMXCLUSTERINFO(ui::mxmaxkeys);
    exec::ctlrec bar;
    bar.ctlid = ui::idbase + t.lastitem - t.viscols + 1;
    exec::ctlcur = &bar;
    t.leftcol = 2;
    ui::MXCLUSTERSORT(0, 3, ui::mxmaxkeys, t.nrows);
    t.leftcol = 1;
    exec::ctlcur = nullptr;
    EXPECT_EQ(t.clusterinfo1[0], 2);
    ASSERT_EQ(shown(1), "a|c|d|f|b|e");
    if (const char* keep = std::getenv("OSTREL_TABLE_PNG")) {
      const win::HWND w = ui::FINDFILEMATRIXWINDOW(t.unit);
      ui::MATRIXUPDATE(w);
      dlgtest::picture(w, keep);
    }
    const std::int32_t down = t.lastcell + 3, up = t.lastcell + 4;
    t.toprow = 1;
    ui::MXCLUSTERUPDOWN(down);
    EXPECT_EQ(t.toprow, 3);
    ui::MXCLUSTERUPDOWN(down);
    EXPECT_EQ(t.toprow, 5);
    ui::MXCLUSTERUPDOWN(down);  // in the last cluster
    EXPECT_EQ(t.toprow, 1);
    ui::MXCLUSTERUPDOWN(up);  // in the first cluster
    EXPECT_EQ(t.toprow, 5);
    ui::MXCLUSTERUPDOWN(up);
    EXPECT_EQ(t.toprow, 3);
  });
}

}  // namespace

// Condition texts made of the characters the parser reads, mutated at
// random: a filter never shows more rows than before nor a row twice, and a
// search ends on a row of the table.
TEST_F(TableView, MutatedConditionTextsFilterAndSearchWithinTheTable) {
  withtable("ab 10\ncd 20\nab 30\ncd 40\nef 5\n", "A3,F", [](std::int32_t u, ui::mxrec& t) {
    const std::int32_t f = io::rwfiles(u).filevar;
    const std::string alphabet = "0123456789:&~<>,;|ab cdef.-eE";
    std::mt19937 rng(53);
    for (int round = 0; round < 300 && !testing::Test::HasFailure(); ++round) {
      std::string text;
      for (std::size_t n = rng() % 12; n > 0; --n) text += alphabet[rng() % alphabet.size()];
      SCOPED_TRACE("'" + text + "'");
      ui::mxsearchcol = static_cast<std::int32_t>(rng() % 4);
      std::int32_t row = static_cast<std::int32_t>(rng() % 8) - 1;
      double value = 0.0;
      const std::int32_t options = static_cast<std::int32_t>(rng() % 64);
      if (ui::MATRIXSEARCH(f, 8, text, static_cast<std::int32_t>(text.size()), options,
                           ui::cellmode::shown, row, value, 1e-13)) {
        EXPECT_GE(row, 1);
        EXPECT_LE(row, t.nrows);
      }
      const std::int32_t before = t.nrows;
      std::int32_t rows = t.nrows;
      ui::MATRIXFILTER(u, text, static_cast<std::int32_t>(text.size()), rows, options, 1e-13);
      EXPECT_LE(t.nrows, before);
      std::vector<std::int32_t> seen(t.sortindex.begin(), t.sortindex.begin() + t.nrows);
      std::sort(seen.begin(), seen.end());
      EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
      core::msgkey.blank();
      if (t.nrows == 0 || round % 7 == 0) {
        // The view back to every row, as the reset does.
        ui::FREEMXSORTINDEX(t);
        t.nrows = 5;
      }
    }
  });
}

namespace {

// SORT's Descending on a column key while a table's sort list is in force
// turns that key of the table: a later header sort runs downwards.
TEST_F(TableView, DescendingInSortTurnsTheShownTablesKey) {
  testsupport::write_file("t.txt", "c 3\na 1\nb 2\n");
  std::vector<std::int32_t> keys;
  answer({dlgtest::probe([](win::HWND d) {
    exec::FINDWINDOW(d);
    ui::mxcur = ui::mxfirst();
    if (ui::mxcur != nullptr) ui::SORTMXCOLUMN(1, 0);
  })});
  answer({dlgtest::probe([&](win::HWND) {
    const ui::mxrec* t = nullptr;
    for (exec::wdwrec* w = exec::wdwhead; w != nullptr && t == nullptr; w = w->next)
      t = w->firsttable;
    if (t != nullptr && !t->clusterinfo2.empty()) keys.push_back(t->clusterinfo2[0]);
  })});
  const std::string out =
      run("CHARACTER F*8\nDIMENSION J(3)\nF = 't.txt'\nOPEN(FIle=F, Format='A2,F')\n"
          "DLG(Edit=F, Format='A2,F', WINdowhandle=H)\nX = 1\n"
          "SORT(FIle=F, Column=1, Index=J, Descending=1)\nDLG(Text='seen')\n");
  EXPECT_EQ(keys, (std::vector<std::int32_t>{-1})) << out;
}

}  // namespace

namespace {

// The executor's column search over a shown file: texts from a row on,
// backwards, counted and bisected; numbers nearest or exact; a column the
// file does not have fails.
TEST_F(TableView, TheColumnSearchFindsRowsOfAFile) {
  withtable("c 3\na 1\nb 2\na 5\n", "A2,F", [](std::int32_t u, ui::mxrec&) {
    const std::int32_t f = io::rwfiles(u).filevar;
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 1, "a ", 0), 2);
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 3, 1, "a", 0), 4);
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 3, 1, "a", 4), 2);    // backwards from row 3
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 1, "a", 256), 2);  // rows that match
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 1, "z", 0), 0);
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 2, "2", 0), 3);  // a number column
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 2, "4.9", 0), 0);
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 2, "4.9", 32), 4);  // the nearest
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 0, "b 2", 0), 3);   // the whole line
    EXPECT_EQ(exec::MXSEARCHFMTD(f, 1, 3, "a", 0), -1);    // no such column
    // Through the table's search: the row after the start, then wrapping.
    std::int32_t row = 2;
    double value = 0.0;
    ui::mxsearchcol = 1;
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "a", 1, 0, ui::cellmode::read, row, value, 1e-13));
    EXPECT_EQ(row, 4);
    EXPECT_TRUE(ui::MATRIXSEARCH(f, 1, "c", 1, 0, ui::cellmode::read, row, value, 1e-13));
    EXPECT_EQ(row, 1);
  });
}

// A text variable shown as a table sorts and filters as a file does: its
// cells show the rows in the order of the row index, as its row titles do.
TEST_F(TableView, ATextVariablesTableShowsItsRowsSortedAndFiltered) {
  withtext("c3a1b2", "A1,A1", [](ui::mxrec& t) {
    ui::SORTMXCOLUMN(1, 0);
    EXPECT_EQ(shown(1), "a|b|c");
    EXPECT_EQ(shown(2), "1|2|3");
    std::int32_t rows = t.nrows;
    ui::mxsearchcol = 2;
    EXPECT_EQ(ui::MATRIXFILTER(t.unit, "2", 1, rows, 0, 1e-13), 1);
    t.nrows = rows;
    EXPECT_EQ(shown(1), "b");
  });
}

}  // namespace
