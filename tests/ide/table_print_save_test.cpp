// A script run in the IDE leaves a table window open; File > Print's "save
// table" writes it as "<title>.txt" into the current folder, and a write
// that fails says so and leaves the file there whole.
#include <gtest/gtest.h>

#include <string>

#include "exec/windowlist.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "support/test_support.h"
#include "toolkit/services.h"

namespace {

using idetest::IdeTest;

// The print prompt's choice that saves a table.
constexpr int kSaveTable = 7;

void altr() {
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), true);
  plat::set_key_state(win::VK_MENU, true);
  plat::inject_key_press('R', 0);
  plat::set_key_state(win::VK_MENU, false);
  plat::input_key(win::VK_MENU, plat::scan_code_of(win::VK_MENU), false);
}

// File > Print with the table's window current; its prompt answered "save
// table", the question after it OK.
void printtable() {
  exec::wdwrec* w = exec::wdwhead;
  while (w != nullptr && w->title.trimmed() != "Sales") w = w->next;
  ASSERT_NE(w, nullptr) << "the table's window is not open";
  exec::wdwcur = w;
  plat::reset_message_boxes();
  plat::push_message_box_answer(kSaveTable);
  plat::push_message_box_answer(win::IDOK);
  const win::HWND main = exec::wdwhead->window;
  toolkit::POST_COMMAND(ide::cmd::print, &main);
}

TEST_F(IdeTest, FilePrintSavesAnOpenTableAsTextAndAFailedWriteKeepsTheFile) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("t.ost"),
                          testsupport::crlf("CHARACTER S*21\nS = 'ab cdefghijklmnopqrst'\nH = 0\n"
                                            "DLG(Edit=S, Format='A3,A4', TItle='Sales', "
                                            "WINdowhandle=H)\nEND\n"));
  const std::string file = dir.file("Sales.txt");
  std::string first, folder;
  std::vector<plat::MessageBoxRecord> boxes;
  run(dir.file("t.ost"), {altr, printtable,
                          [&] {
                            folder = ide::workdir.trimmed();
                            first = testsupport::read_file(file);
                            testsupport::write_file(file, "old");
                            plat::writes_before_fault = 0;
                            printtable();
                          },
                          [&] {
                            plat::writes_before_fault = -1;
                            boxes = plat::message_box_log();
                          }});
  plat::writes_before_fault = -1;
  EXPECT_EQ(folder, dir.path().string() + "/");
  EXPECT_EQ(first, "ab  cdef \r\nghi jklm \r\nnop qrst \r\n");
  EXPECT_EQ(testsupport::read_file(file), "old");
  // The print prompt, "replace?", then the failure, named after the file.
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].title, "Sales.txt");
  EXPECT_EQ(boxes[2].title, "Sales.txt");
  EXPECT_NE(boxes[2].text, boxes[1].text);
}

}  // namespace
