// What a table can show: a script file opened with a Format is shown with
// its rows and columns (a cell edit is kept and saved when the window
// closes and the user says so); every object or format that cannot be a table is refused
// with its message and leaves neither a table nor a window behind.
#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "exec/windowlist.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "support/test_support.h"
#include "ui/tables.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;
using dlgtest::shown;
using dlgtest::typing;

TEST_F(DialogScript, AFileOpenedWithAFormatIsShownAndAnEditOfItIsSavedOnClose) {
  testsupport::write_file("t.txt", "ab   first\r\ncd   second\r\nef   third\r\n");
  // 2 columns, 3 rows: OK, More, titles 1003-1004, rows 1005-1007, cells
  // from 1008.
  std::string look;
  answer(keys({{probe([&](win::HWND w) {
                 for (int id = 1003; id <= 1013; ++id) look += shown(w, id) + "|";
               })},
               {press(win::VK_END)},
               typing("x"),
               {press(win::VK_TAB), click(1001)}}));
  std::string err;
  plat::push_message_box_answer(win::IDYES);  // "msgSaveChanges"
  const std::string out = runcaught(
      "CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A5,A')\n"
      "DLG(Edit=F, Format='A5,A10')\n",
      err);
  EXPECT_EQ(look, "&F*|2 &a|1*|2|3|ab|first|cd|second|ef|third|");
  EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
  // The question names the file, not its variable.
  bool asked = false;
  for (const plat::MessageBoxRecord& b : plat::message_box_log())
    asked = asked || (b.text.find("Save the changes?") != std::string::npos && b.title == "t.txt");
  EXPECT_TRUE(asked);
  const std::string saved = testsupport::read_file("t.txt");
  EXPECT_EQ(saved, "abx  first\r\ncd   second\r\nef   third\r\n");
}

TEST_F(DialogScript, AnEditOfADirectRecordFileInATableLandsInItsRecord) {
  // Records of 6 bytes, no line ends: cell (2,2) is bytes 3-6 of record 2.
  testsupport::write_file("d.dat", "ab1234cd5678ef9012");
  answer(keys({{probe([](win::HWND) {}), press(win::VK_HOME), press(win::VK_DELETE)},
               typing("z"),
               {press(win::VK_TAB), click(1001)}}));
  plat::push_message_box_answer(win::IDYES);  // "msgSaveChanges", if asked
  std::string err;
  const std::string out = runcaught(
      "CHARACTER F*8\nF = 'd.dat'\nOPEN(FIle=F, DIRect, BINary, RecL=6, Format='A2,A4')\n"
      "R = 2\nC = 2\nDLG(Edit=F, Format='A2,A4', ROW=R, COL=C)\nREAD(FIle=F, CLoSe=1)\n",
      err);
  EXPECT_NE(out.find("stop=-1"), std::string::npos) << out << err;
  EXPECT_EQ(testsupport::read_file("d.dat"), "ab1234cdz678ef9012");
}

// A binary descriptor (FB8) in a table's Format: an array's cells and a
// file of 8-byte reals show their numbers, and a number typed into the
// file's cell is stored as its eight bytes.
TEST_F(DialogScript, BinaryDescriptorsShowTheirCellsAsNumbers) {
  // 2 columns, 3 rows: OK, More, titles 1003-1004, rows 1005-1007, cells
  // 1008-1013; then 1 column, 3 rows: title 1003, rows 1004-1006, cells
  // 1007-1009.
  std::string array, file;
  answer(keys({{probe([&](win::HWND w) {
                  for (int id = 1008; id <= 1013; ++id) array += shown(w, id) + "|";
                }),
                click(1001)}}));
  answer(keys({{probe([&](win::HWND w) {
                  for (int id = 1007; id <= 1009; ++id) file += shown(w, id) + "|";
                }),
                press(win::VK_END)},
               typing("5"),
               {press(win::VK_TAB), click(1001)}}));
  plat::push_message_box_answer(win::IDYES);  // "msgSaveChanges"
  std::string err;
  const std::string out = runcaught(
      "DIMENSION A(3, 2), V(3)\nA(1, 1) = 1.5\nA(3, 2) = -2.25\n"
      "DLG(Edit=A, Format='FB8')\n"
      "CHARACTER F*8\nF = 'r8.bin'\nOPEN(FIle=F, BINary)\nV(1) = 0.125\nV(2) = 1000\n"
      "V(3) = -7\nWRITE(FIle=F, Format='3FB8', CLoSe=1) V\n"
      "OPEN(FIle=F, BINary, Format='FB8')\nDLG(Edit=F, Format='FB8')\nX = F(1, 1)\n",
      err);
  EXPECT_EQ(array, "1.5|0|0|0|0|-2.25|");
  EXPECT_EQ(file, "0.125|1000|-7|");
  EXPECT_NE(out.find("X=0.1255\n"), std::string::npos) << out << err;
  EXPECT_NE(out.find("stop=-1"), std::string::npos) << out << err;
}

TEST_F(DialogScript, WhatCannotBeATableIsRefusedAndLeavesNothingBehind) {
  testsupport::write_file("exists.txt", "x\r\n");
  const struct {
    const char* script;
    const char* key;
  } cases[] = {
      {"CHARACTER F*12\nF = 'exists.txt'\nDLG(Edit=F, Format='A5')\n", "mx2fileNotOpen"},
      {"DLG(Edit='a,b,c,d', Format='A,A')\n", "mx2noConsts"},
      {"CHARACTER F*12\nF = 'exists.txt'\nOPEN(FIle=F, DIRect, RecL=3)\n"
       "DLG(Edit=F, Format='A3')\n",
       "mx2noBINnoSEQ"},
      {"CHARACTER F*12\nF = 'exists.txt'\nOPEN(FIle=F)\nDLG(Edit=F, Format='A3')\n",
       "mx2noFileFmt"},
      {"CHARACTER S*8\nDLG(Edit=S, Format='F8.2')\n", "mx2noAfmtforCh"},
      {"DIMENSION A(2, 2)\nDLG(Edit=A, Format='A4')\n", "mx2AfmtforR8"},
      {"CHARACTER S*8\nS = 'abc'\nDLG(Edit=S, Format='A,A')\n", "mx2isScalar"},
      {"X = 1\nDLG(Edit=X, Format='F8.2')\n", "mx2invalidObj"},
      {"CHARACTER S*6\nDLG(CHeckbox=S, Format='A3,A3')\n", "mx2AnoLCR"},
      {"DIMENSION A(2, 2)\nDLG(RADio=A, Format='F4')\n", "mx2nosense"},
      {"DIMENSION A(2, 2)\nDLG(Text=A, Format='A2,F4')\n", "mx2AfmtforR8"},
      {"CHARACTER F*12\nF = 'exists.txt'\nOPEN(FIle=F, Format='A1')\n"
       "DLG(Edit=F, Format='A6,2147483647X')\n",
       "mx2fmtWide"},
      // Counts and widths each of them readable, their sum beyond the store.
      {"CHARACTER F*12\nF = 'exists.txt'\nOPEN(FIle=F, Format='A1')\n"
       "DLG(Edit=F, Format='A6,214748364X,214748364X,214748364X,214748364X,214748364X')\n",
       "mx2fmtWide"},
      {"CHARACTER F*12\nF = 'exists.txt'\nOPEN(FIle=F, Format='A1')\n"
       "DLG(Edit=F, Format='A214748364,A214748364,A214748364,A214748364,A214748364,A5')\n",
       "mx2fmtWide"},
  };
  for (const auto& c : cases) {
    const std::string out = run(c.script);
    EXPECT_NE(out.find(std::string("key=") + c.key + "\n"), std::string::npos) << c.script << out;
    EXPECT_EQ(out.find("stop=32767"), out.rfind("stop=")) << out;
    EXPECT_EQ(ui::pendingtables, nullptr) << c.script;
    EXPECT_TRUE(exec::wdwhead == nullptr || exec::wdwhead->next == nullptr) << c.script;
    EXPECT_TRUE(dlgtest::opened.empty()) << c.script;
  }
}

}  // namespace
