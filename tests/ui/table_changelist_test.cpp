// The change list of a file table driven through its edit commands while
// a script holds the file open (the script waits in a dialog): rows
// inserted, deleted, appended and copied, cells changed, edits undone and
// redone, checked cell by cell against a plain list of rows and, after the
// close, byte for byte in the saved file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "dialog_fixture.h"
#include "io/rwfiles.h"
#include "io/tablecalls.h"
#include "platform/file_units.h"
#include "support/test_support.h"
#include "ui/tablechanges.h"
#include "ui/tables.h"

namespace {

using dlgtest::DialogScript;

// A row of the file's table 'A2,A': a two-character cell and the rest.
struct Row {
  std::string a, b;
  bool operator==(const Row&) const = default;
};
using Rows = std::vector<Row>;

// A new row: both cells blank.
const Row blankrow{"  ", " "};

std::string filetext(const Rows& rows, const std::string& end) {
  std::string s;
  for (const Row& r : rows) s += r.a + r.b + end;
  return s;
}

Rows storedrows(int n) {
  Rows rows;
  for (int i = 1; i <= n; ++i)
    rows.push_back({"l" + std::to_string(i % 10), " " + std::string(1, char('a' + i % 26))});
  return rows;
}

// The unit of the script's open table file (0 none).
std::int32_t openunit() {
  for (std::int32_t u = plat::unit_script_first; u <= plat::unit_script_last; ++u)
    if (io::isscriptunit(u) && io::rwfiles(u).filevar > 0 && io::rwfiles(u).lineindex) return u;
  return 0;
}

std::string cell(std::int32_t unit, std::int32_t row, std::int32_t column) {
  std::array<char, 64> text{};
  text.fill(' ');
  core::iostatw[0] = 0;
  io::tablecalls.cellio(unit, row, column, text, 0x49);
  std::string s(text.data(), text.size());
  s.erase(s.find_last_not_of(' ') + 1);
  return core::iostatw[0] != 0 ? "<status " + std::to_string(core::iostatw[0]) + ">" : s;
}

void setcell(std::int32_t unit, std::int32_t row, std::int32_t column, std::string text) {
  text.resize(64, ' ');
  io::tablecalls.cellio(unit, row, column, text, 0x6a);
}

std::int32_t edit(std::int32_t unit, std::int32_t command, std::int32_t row) {
  std::int32_t colout = 0;
  ui::MXEDIT(unit, 0, row, colout, command, 0x40);
  return row;
}

// Every cell read through the change list equals the model's.
void expectcells(std::int32_t unit, const Rows& rows, const std::string& when) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto r = static_cast<std::int32_t>(i + 1);
    std::string a = rows[i].a, b = rows[i].b;
    a.erase(a.find_last_not_of(' ') + 1);
    b.erase(b.find_last_not_of(' ') + 1);
    ASSERT_EQ(cell(unit, r, 1), a) << when << ", row " << r;
    ASSERT_EQ(cell(unit, r, 2), b) << when << ", row " << r;
  }
}

class ChangeList : public DialogScript {
 protected:
  // Runs the edits while the script holds the file open, then closes it
  // (which saves script edits without a question).
  std::string withunit(const std::string& end, const Rows& stored,
                       const std::function<void(std::int32_t)>& edits,
                       const std::string& wait = "DLG(Text='wait')\n") {
    testsupport::write_file("t.txt", filetext(stored, end));
    bool ran = false;
    answer({dlgtest::probe([&](win::HWND) {
      const std::int32_t unit = openunit();
      ASSERT_NE(unit, 0) << "no open table file";
      ran = true;
      edits(unit);
    })});
    const std::string out = run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A2,A')\n" + wait +
                                "READ(FIle=F, CLoSe=1)\n");
    EXPECT_TRUE(ran) << out;
    return testsupport::read_file("t.txt");
  }
};

TEST_F(ChangeList, RowCommandsUndoAndRedoSaveByteForByte) {
  for (const std::string end : {"\n", "\r\n"}) {
    SCOPED_TRACE(end == "\n" ? "LF" : "CR LF");
    Rows model = storedrows(4);
    const std::string saved = withunit(end, model, [&](std::int32_t u) {
      // Insert before row 1 (a new first line), delete stored row 3.
      edit(u, ui::mxcmd::insert, 1);
      model.insert(model.begin(), blankrow);
      edit(u, ui::mxcmd::remove, 4);
      model.erase(model.begin() + 3);
      // Two changes of one cell, the second undone.
      setcell(u, 2, 2, "first");
      setcell(u, 2, 2, "second");
      edit(u, ui::mxcmd::undo, 0);
      model[1].b = "first";
      expectcells(u, model, "after the undo of a cell");
      // A copy of row 2 inserted before row 4, then undone as a whole
      // and redone.
      edit(u, ui::mxcmd::remember, 2);
      edit(u, ui::mxcmd::insertcopy, 4);
      edit(u, ui::mxcmd::undo, 0);
      expectcells(u, model, "after the undo of a copied row");
      edit(u, ui::mxcmd::redo, 0);
      model.insert(model.begin() + 3, model[1]);
      expectcells(u, model, "after the redo of a copied row");
      // An appended row with a cell, an inserted row deleted again.
      edit(u, ui::mxcmd::append, 0);
      model.push_back(blankrow);
      setcell(u, static_cast<std::int32_t>(model.size()), 1, "zz");
      model.back().a = "zz";
      edit(u, ui::mxcmd::insert, 2);
      edit(u, ui::mxcmd::remove, 2);
      expectcells(u, model, "at the end");
    });
    EXPECT_EQ(saved, filetext(model, end));
  }
}

TEST_F(ChangeList, AnExchangeOfTwoCellsIsTwoChangesUndoneAndRedoneOneByOne) {
  Rows model = storedrows(4);
  const Rows stored = model;
  std::swap(model[0].b, model[2].b);
  const std::string saved = withunit(
      "\n", stored,
      [&](std::int32_t u) {
        expectcells(u, model, "after the exchange");
        // The second element's change goes first, then the first's.
        edit(u, ui::mxcmd::undo, 0);
        Rows half = stored;
        half[0].b = model[0].b;
        expectcells(u, half, "after one undo");
        edit(u, ui::mxcmd::undo, 0);
        expectcells(u, stored, "after two undos");
        edit(u, ui::mxcmd::redo, 0);
        edit(u, ui::mxcmd::redo, 0);
        expectcells(u, model, "after two redos");
      },
      "F(1,2) >< F(3,2)\nDLG(Text='wait')\n");
  EXPECT_EQ(saved, filetext(model, "\n"));
}

// A save that fails at any step (a read, a write, the sync, the close, the
// rename, or a file the user may not read or write) leaves the file byte
// for byte, no temporary file beside it, and every edit in the list.
TEST_F(ChangeList, AFailedSaveLeavesTheFileAndTheEditsWhole) {
  Rows model = storedrows(3);
  const std::string stored = filetext(model, "\n");
  const auto strays = [] {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
      n += e.path().filename().string().starts_with("t.txt~") ? 1 : 0;
    return n;
  };
  const std::string saved = withunit("\n", model, [&](std::int32_t u) {
    setcell(u, 2, 2, "new");
    model[1].b = "new";
    edit(u, ui::mxcmd::insert, 1);
    model.insert(model.begin(), blankrow);
    const std::size_t records = ui::changesof(u)->history.size();
    const auto whole = [&](const std::string& when) {
      EXPECT_EQ(testsupport::read_file("t.txt"), stored) << when;
      EXPECT_EQ(strays(), 0) << when;
      EXPECT_EQ(ui::changesof(u)->history.size(), records) << when;
      expectcells(u, model, when);
    };
    const std::pair<const char*, std::int64_t*> faults[] = {
        {"read", &plat::reads_before_fault},
        {"write", &plat::writes_before_fault},
        {"sync", &plat::syncs_before_fault},
        {"close", &plat::closes_before_fault},
        {"rename", &plat::renames_before_fault}};
    for (const auto& [step, left] : faults) {
      *left = 0;
      EXPECT_FALSE(ui::MXSAVE(u)) << step;
      *left = -1;
      whole(std::string("a failed ") + step);
    }
    if (geteuid() != 0) {  // (rights do not bind the superuser)
      ASSERT_EQ(chmod("t.txt", 0444), 0);
      EXPECT_FALSE(ui::MXSAVE(u)) << "a file without write rights";
      ASSERT_EQ(chmod("t.txt", 0644), 0);
      whole("a file without write rights");
      ASSERT_EQ(chmod("t.txt", 0200), 0);
      EXPECT_FALSE(ui::MXSAVE(u)) << "a file without read rights";
      ASSERT_EQ(chmod("t.txt", 0644), 0);
      whole("a file without read rights");
    }
  });
  EXPECT_EQ(saved, filetext(model, "\n"));
}

// A file larger than the save reads at once: a cell whose CR LF straddles
// the edge of the first MiB, a deletion and an insertion after it.
TEST_F(ChangeList, ASaveOfALargeFileKeepsEveryByteAcrossItsReads) {
  Rows model = storedrows(400000);              // 6 bytes a row
  const std::int32_t edge = (1 << 20) / 6 + 1;  // its CR is byte 1 MiB + 1
  const std::string saved = withunit("\r\n", model, [&](std::int32_t u) {
    setcell(u, edge, 2, "new");
    model[edge - 1].b = "new";
    edit(u, ui::mxcmd::remove, edge + 7);
    model.erase(model.begin() + edge + 6);
    edit(u, ui::mxcmd::insert, 300000);
    model.insert(model.begin() + 299999, blankrow);
  });
  const std::string expected = filetext(model, "\r\n");
  ASSERT_EQ(saved.size(), expected.size());
  EXPECT_TRUE(saved == expected)
      << "first difference at byte "
      << std::mismatch(saved.begin(), saved.end(), expected.begin()).first - saved.begin();
}

TEST_F(ChangeList, TheShownTableOffersWhatItsListAllows) {
  Rows model = storedrows(3);
  std::array<std::int16_t, 6> flags{};
  const auto offered = [&] {
    ui::CHECK_UNDO_REDO(flags);
    return std::to_string(flags[0]) + std::to_string(flags[1]) + std::to_string(flags[2]) +
           std::to_string(flags[3]) + std::to_string(flags[4]);
  };
  const std::string saved = withunit(
      "\n", model,
      [&](std::int32_t u) {
        ui::SETMXTOUNIT(u);
        ASSERT_NE(ui::mxcur, nullptr) << "no table shows the file";
        // copy-insert, delete, undo, redo, insert
        EXPECT_EQ(offered(), "01001");
        edit(u, ui::mxcmd::insert, 2);
        model.insert(model.begin() + 1, blankrow);
        EXPECT_EQ(offered(), "01101");
        edit(u, ui::mxcmd::undo, 0);
        model.erase(model.begin() + 1);
        EXPECT_EQ(offered(), "01011");
        edit(u, ui::mxcmd::remember, 3);
        edit(u, ui::mxcmd::insertcopy, 1);
        model.insert(model.begin(), model[2]);
        EXPECT_EQ(offered(), "11101");
        edit(u, ui::mxcmd::append, 0);
        model.push_back(blankrow);
        expectcells(u, model, "in the shown table");
      },
      "DLG(Edit=F, Format='A2,A')\n");
  EXPECT_EQ(saved, filetext(model, "\n"));
}

TEST_F(ChangeList, SixtyInsertsAtOnePlaceKeepTheirOrder) {
  Rows model = storedrows(3);
  const std::string saved = withunit("\n", model, [&](std::int32_t u) {
    // Each new row goes before the one inserted last: the line values
    // between stored lines 1 and 2 must stay distinct and ordered.
    for (int i = 0; i < 60; ++i) {
      edit(u, ui::mxcmd::insert, 2);
      const std::string name = std::to_string(i % 100);
      setcell(u, 2, 2, "n" + name);
      model.insert(model.begin() + 1, Row{"  ", "n" + name});
    }
    expectcells(u, model, "after 60 inserts");
  });
  EXPECT_EQ(saved, filetext(model, "\n"));
}

// Random edits, undos and redos against a list of rows with a history of
// its own states.
TEST_F(ChangeList, RandomEditsUndosAndRedosMatchAPlainModel) {
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::vector<Rows> states{storedrows(5)};
    std::size_t now = 0;
    std::string log;
    const std::string saved = withunit(seed % 2 ? "\n" : "\r\n", states[0], [&](std::int32_t u) {
      const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
      for (int step = 0; step < 40 && !testing::Test::HasFailure(); ++step) {
        Rows m = states[now];
        const std::size_t n = m.size();
        const int what = static_cast<int>(pick(8));
        if (what == 6 || what == 7) {
          const bool undo = what == 6;
          log += undo ? " undo" : " redo";
          edit(u, undo ? ui::mxcmd::undo : ui::mxcmd::redo, 0);
          if (undo && now > 0) --now;
          if (!undo && now + 1 < states.size()) ++now;
          expectcells(u, states[now], log);
          continue;
        }
        if (n == 0 && what != 2) continue;
        const std::size_t r = n > 0 ? pick(n) : 0;
        const auto row = static_cast<std::int32_t>(r + 1);
        switch (what) {
          case 0:
            log += " insert " + std::to_string(row);
            edit(u, ui::mxcmd::insert, row);
            m.insert(m.begin() + static_cast<std::ptrdiff_t>(r), blankrow);
            break;
          case 1:
            log += " delete " + std::to_string(row);
            edit(u, ui::mxcmd::remove, row);
            m.erase(m.begin() + static_cast<std::ptrdiff_t>(r));
            break;
          case 2:
            log += " append";
            edit(u, ui::mxcmd::append, 0);
            m.push_back(blankrow);
            break;
          case 3: {
            const std::size_t to = pick(n);
            log += " copy " + std::to_string(row) + " to " + std::to_string(to + 1);
            edit(u, ui::mxcmd::remember, row);
            edit(u, ui::mxcmd::insertcopy, static_cast<std::int32_t>(to + 1));
            m.insert(m.begin() + static_cast<std::ptrdiff_t>(to), m[r]);
            break;
          }
          default: {
            const std::int32_t column = what == 4 ? 1 : 2;
            std::string text = column == 1 ? std::string(1, char('A' + pick(26))) + "x"
                                           : "v" + std::to_string(step);
            log += " set " + std::to_string(row) + "," + std::to_string(column) + "=" + text;
            setcell(u, row, column, text);
            (column == 1 ? m[r].a : m[r].b) = text;
            break;
          }
        }
        states.resize(now + 1);
        states.push_back(m);
        ++now;
        expectcells(u, states[now], log);
      }
    });
    EXPECT_EQ(saved, filetext(states[now], seed % 2 ? "\n" : "\r\n")) << log;
  }
}

}  // namespace
