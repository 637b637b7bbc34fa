// A table window saved as text: the file's bytes as a user gets them, the
// questions before, and a failed write that keeps the old file.
#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "exec/windowlist.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "ui/tableexport.h"
#include "ui/tables.h"
#include "ui/tablesort.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::probe;

class TableExport : public DialogScript {
 protected:
  // Runs the script; while its dialog is open, `f` gets the dialog's window
  // record (made current, titled "Sales").
  std::string during(const std::string& script, std::function<void(exec::wdwrec&)> f) {
    bool reached = false;
    answer(keys({{probe([](win::HWND) {}), probe([&](win::HWND d) {
                    exec::wdwrec* w = ui::tablewindow(d);
                    if (w == nullptr || w->firsttable == nullptr) return;
                    reached = true;
                    w->title.set("Sales");
                    f(*w);
                  })},
                 {click(1001)}}));
    const std::string out = run(script);
    EXPECT_TRUE(reached) << "the table's dialog never opened";
    return out;
  }
  std::string file() { return testsupport::read_file(dir_.path() / "Sales.txt"); }
};

constexpr const char* kText =
    "CHARACTER S*21\nS = 'ab cdefghijklmnopqrst'\n"
    "DLG(Edit=S, Format='A3,A4')\n";

TEST_F(TableExport, CellsArePaddedOrCutToTheirWidthsAndTheFileIsAskedForAndReplacedWhole) {
  std::string text;
  during(kText, [&](exec::wdwrec& w) {
    text = ui::tabletext(w);
    plat::reset_message_boxes();
    // A new file: "save?" answered OK writes it.
    plat::push_message_box_answer(win::IDOK);
    ui::SAVETOFILEMX("");
    // It exists now: "replace?"; Cancel leaves it.
    testsupport::write_file(dir_.path() / "Sales.txt", "old");
    plat::push_message_box_answer(win::IDCANCEL);
    ui::SAVETOFILEMX("");
    EXPECT_EQ(file(), "old");
    // A write that fails shows why and keeps the old file whole.
    plat::push_message_box_answer(win::IDOK);
    plat::writes_before_fault = 0;
    ui::SAVETOFILEMX("");
    plat::writes_before_fault = -1;
    EXPECT_EQ(file(), "old");
  });
  EXPECT_EQ(text, "ab  cdef \r\nghi jklm \r\nnop qrst \r\n");
  const auto& boxes = plat::message_box_log();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].title, "Sales.txt");
  EXPECT_NE(boxes[1].text, boxes[0].text);  // "replace?" in place of "save?"
  EXPECT_EQ(boxes[1].answer, win::IDCANCEL);
  EXPECT_NE(boxes[3].text, boxes[2].text);  // the failure
}

TEST_F(TableExport, TheFirstSaveWritesTheFileNamedAfterTheTitle) {
  during(kText, [&](exec::wdwrec&) {
    plat::push_message_box_answer(win::IDOK);
    ui::SAVETOFILEMX("");
  });
  EXPECT_EQ(file(), "ab  cdef \r\nghi jklm \r\nnop qrst \r\n");
}

TEST_F(TableExport, GroupedRowsCarryTheirGroupInHexWithAnEmptyLineBeforeEachNewGroup) {
  std::string text;
  during(kText, [&](exec::wdwrec& w) {
    ui::mxrec& t = *w.firsttable;
    // One key of group value 2 (grouped), the rows' groups 1, 1, 2; then 26.
    t.clusterinfo1 = {1, 0, 0, 0, 0, 0, 0, 0};
    t.clusterinfo2 = {-2, 0, 0, 0, 0, 0, 0, 0};
    t.clusterinfo3 = {1, 1, 2};
    text = ui::tabletext(w);
    t.clusterinfo3 = {26, 26, 26};
    text += "|" + ui::tabletext(w);
    // Keys of group value 1 only: plain lines.
    t.clusterinfo2 = {1, 0, 0, 0, 0, 0, 0, 0};
    text += "|" + ui::tabletext(w);
  });
  EXPECT_EQ(text,
            "\r\n1 ab  cdef \r\n1 ghi jklm \r\n\r\n2 nop qrst \r\n"
            "|\r\n1A ab  cdef \r\n1A ghi jklm \r\n1A nop qrst \r\n"
            "|ab  cdef \r\nghi jklm \r\nnop qrst \r\n");
}

TEST_F(TableExport, RowsPastAShorterTableAreBlanksOfItsWidthsAndNumbersFollowTheirFormat) {
  std::string text;
  during(
      "DIMENSION A(2, 1), B(3, 1)\nA = 1.5, 2\nB = 10, 20, 30\n"
      "DLG(Edit=A, Format='F6.2', Edit=B, Format='I3')\n",
      [&](exec::wdwrec& w) { text = ui::tabletext(w); });
  EXPECT_EQ(text, "  1.50  10 \r\n  2.00  20 \r\n        30 \r\n");
  // Without a format every column is written, each number as its cell shows it.
  during("DIMENSION A(2, 3)\nA = $\nDLG(Edit=A, Width=1)\n",
         [&](exec::wdwrec& w) { text = ui::tabletext(w); });
  EXPECT_EQ(text, "1          2          3          \r\n4          5          6          \r\n");
}

TEST_F(TableExport, AFileTableIsWrittenInTheOrderItShowsItsRows) {
  testsupport::write_file(dir_.path() / "t.txt", "c 3\r\na 1\r\nb 2\r\n");
  std::string text;
  during(
      "CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A2,F')\n"
      "DLG(Edit=F, Format='A2,F4.1')\n",
      [&](exec::wdwrec& w) {
        ui::mxcur = w.firsttable;
        ui::SORTMXCOLUMN(1, 0);
        text = ui::tabletext(w);
      });
  // Each number read with the file's own format and written with the table's.
  EXPECT_EQ(text, "a   1.0 \r\nb   2.0 \r\nc   3.0 \r\n");
}

TEST_F(TableExport, AWindowWithoutATableWritesNothing) {
  exec::wdwrec w;
  EXPECT_EQ(ui::tabletext(w), "");
}

}  // namespace
