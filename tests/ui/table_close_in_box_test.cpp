// A table cell whose write is refused shows why in a box; the user closes
// the table's window while the box is up. The change procedure that showed
// the box, and the dialog code around it, must not touch the window's
// freed items afterwards (run under AddressSanitizer).
#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "ui/tables.h"

namespace {

using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;

class TableCloseInBox : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    plat::set_message_boxes_as_windows(true);
  }
  void TearDown() override {
    plat::set_message_boxes_as_windows(false);
    DialogScript::TearDown();
  }
};

// The window's own close command, as its close box posts it.
constexpr win::WPARAM kCloseWindow = 21058;

TEST_F(TableCloseInBox, TheWindowClosedBehindARefusedCellsBoxIsLeftAlone) {
  // The file is open for reading only: a cell typed cannot be written.
  testsupport::write_file("t.txt", "12 ab\r\n34 cd\r\n");
  win::HWND table = nullptr;
  answer(keys({{probe([&](win::HWND d) { table = d; }), press(win::VK_END), press(win::VK_BACK),
                press(win::VK_BACK)},
               dlgtest::typing("12345"),
               {probe([](win::HWND d) {
                 // Tab leaves the cell; the close comes while the box says
                 // why the cell was not written.
                 plat::inject_key_press(win::VK_TAB, 0);
                 exec::closehandle = d;
                 win::PostMessageA(exec::mainwindow(), win::WM_COMMAND, kCloseWindow, 0);
               })}}));
  const std::string out =
      run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='I2,A', ReadOnly)\n"
          "DLG(Edit=F, Format='I2,A3')\n");
  ASSERT_NE(table, nullptr) << "the table never opened";
  EXPECT_FALSE(win::IsWindow(table));
  // The refusal first; the close then asks about the edit it still holds.
  ASSERT_FALSE(plat::message_box_log().empty()) << out;
  EXPECT_EQ(plat::message_box_log()[0].title, "Error");
  EXPECT_EQ(testsupport::read_file("t.txt"), "12 ab\r\n34 cd\r\n");
}

}  // namespace

namespace {

TEST_F(TableCloseInBox, TheWindowClosedBehindItsMoreMenuIsLeftAlone) {
  testsupport::write_file("t.txt", "12 ab\r\n34 cd\r\n");
  win::HWND table = nullptr;
  answer({probe([&](win::HWND d) { table = d; }), dlgtest::click(1002)});
  answer({probe([&](win::HWND) {
            exec::closehandle = table;
            win::PostMessageA(exec::mainwindow(), win::WM_COMMAND, kCloseWindow, 0);
          }),
          press(win::VK_ESCAPE)});
  const std::string out =
      run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='I2,A')\nDLG(Edit=F, Format='I2,A3')\n");
  ASSERT_NE(table, nullptr) << "the table never opened";
  EXPECT_FALSE(win::IsWindow(table)) << out;
}

}  // namespace
