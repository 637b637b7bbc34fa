// The More menu's choices as a user reaches them: the table's More button
// clicked, each prompt answered by a click, the table looked at after.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>
#include "platform/backend.h"
#include "platform/win_commctrl.h"

#include "dialog_fixture.h"
#include "platform/win_controls.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::probe;

class TableMenu : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    plat::reset_message_boxes();
    plat::set_message_boxes_as_windows(true);
  }
  void TearDown() override {
    plat::set_message_boxes_as_windows(false);
    DialogScript::TearDown();
  }
};

constexpr int choiceid(int c) { return 10000 + c; }
constexpr int kMore = 1002;
constexpr int kEnd = choiceid(1200);  // a choice no prompt acts on: the menu ends

// A file table of five rows.
constexpr const char* kFile =
    "CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A5,A')\n"
    "DLG(Edit=F, Format='A5,A10', Height=5)\n";
void writefile() {
  testsupport::write_file("t.txt",
                          "ab   one\r\nab   two\r\ncd   three\r\ncd   four\r\nef   five\r\n");
}

// The first column of the rows shown (cells 1010, 1012, ...), "|" after each.
std::string column1(win::HWND d) {
  std::string s;
  for (int id = 1010; id <= 1018; id += 2)
    if (win::IsWindowVisible(win::GetDlgItem(d, id))) s += dlgtest::shown(d, id) + "|";
  return s;
}

// Every text the dialog's controls show, "|" after each.
std::string texts(win::HWND d) {
  std::string s;
  for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    char text[300] = {};
    win::GetWindowTextA(c, text, sizeof text);
    s += std::string(text) + "|";
  }
  return s;
}

TEST_F(TableMenu, AfterAChoiceTheMoreButtonHasTheFocus) {
  writefile();
  bool more = false;
  answer({probe([](win::HWND) {}), click(kMore),
          probe([&](win::HWND d) { more = win::GetFocus() == win::GetDlgItem(d, kMore); }),
          click(1001)});
  // A focus put elsewhere while the menu runs.
  answer({probe([](win::HWND) { win::SetFocus(win::GetDlgItem(dlgtest::opened.front(), 1009)); }),
          click(choiceid(1204))});
  answer({click(kEnd)});
  const std::string out = run(kFile);
  EXPECT_TRUE(more) << out << dlgtest::opened.size();
}

// The focus put on a cell of the table's dialog.
dlgtest::Key focuscell(int id) {
  return probe([id](win::HWND d) { win::SetFocus(win::GetDlgItem(d, id)); });
}

TEST_F(TableMenu, MagnifyShowsATextCellAsTextAndANumericCellAsItsNumber) {
  testsupport::write_file("t.txt", "ab   12.50\r\ncd   3\r\n");
  std::vector<std::string> shown;
  const auto seen = [&] { return probe([&](win::HWND d) { shown.push_back(texts(d)); }); };
  answer({probe([](win::HWND) {}), focuscell(1007), click(kMore), focuscell(1008), click(kMore),
          click(1001)});
  answer({click(choiceid(1204))});
  answer({click(choiceid(1105))});
  answer({seen(), click(kEnd)});
  answer({click(choiceid(1105))});
  answer({seen(), click(kEnd)});
  run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A5,F')\n"
      "DLG(Edit=F, Format='A5,F10.2')\n");
  ASSERT_EQ(shown.size(), 2u);
  // The cell's text comes first, then the buttons and the place.
  EXPECT_EQ(shown[0].rfind("ab|", 0), 0u) << shown[0];
  EXPECT_EQ(shown[1].rfind("12.5|", 0), 0u) << shown[1];
}

// The prompt's column (its count field, read-only, stepped by the Up key)
// raised from 0 to 1.
std::vector<dlgtest::Key> columnone() {
  return {probe([](win::HWND d) {
            win::HWND field = nullptr;
            for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
                 c = win::GetWindow(c, win::GW_HWNDNEXT)) {
              char cls[32] = {};
              win::GetClassNameA(c, cls, sizeof cls);
              if (std::string(cls) == "Edit" &&
                  (field == nullptr || win::GetDlgCtrlID(c) > win::GetDlgCtrlID(field)))
                field = c;
            }
            win::SetFocus(field);
          }),
          dlgtest::press(win::VK_UP)};
}

TEST_F(TableMenu, TheChangeFilterKeepsTheRowsWhereTheColumnChanges) {
  writefile();
  std::string rows;
  answer({probe([](win::HWND) {}), click(kMore), probe([&](win::HWND d) { rows = column1(d); }),
          click(1001)});
  answer(dlgtest::keys({columnone(), {click(choiceid(1108))}}));
  run(kFile);
  // The first row is never kept: the rows whose text differs from the one before.
  EXPECT_EQ(rows, "cd|ef|");
  EXPECT_EQ(testsupport::read_file("t.txt"),
            "ab   one\r\nab   two\r\ncd   three\r\ncd   four\r\nef   five\r\n");
}

TEST_F(TableMenu, NextChangeStepsToTheRowsWhereTheColumnChanges) {
  writefile();
  std::vector<std::string> found;
  const auto seen = [&] { return probe([&](win::HWND d) { found.push_back(texts(d)); }); };
  answer({probe([](win::HWND) {}), click(kMore), click(1001)});
  answer(dlgtest::keys({columnone(), {click(choiceid(1106))}}));
  answer({seen(), click(choiceid(1106))});
  answer({seen(), click(choiceid(1100))});
  run(kFile);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_NE(found[0].find("Found in row 3"), std::string::npos) << found[0];
  EXPECT_NE(found[1].find("Found in row 5"), std::string::npos) << found[1];
}

// The track bars of the table's dialog, by control id.
std::vector<win::HWND> trackbars(win::HWND d) {
  std::vector<win::HWND> bars;
  for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    char cls[32] = {};
    win::GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == "msctls_trackbar32") bars.push_back(c);
  }
  std::sort(bars.begin(), bars.end(),
            [](win::HWND a, win::HWND b) { return win::GetDlgCtrlID(a) < win::GetDlgCtrlID(b); });
  return bars;
}

TEST_F(TableMenu, AClickOnAClusterBarSortsTheRowsByItsColumn) {
  testsupport::write_file("t.txt", "a 1\r\nb 20\r\nc 2\r\nd 10\r\ne 21\r\nf 11\r\n");
  std::string rows;
  int position = 0;
  answer({probe([&](win::HWND d) {
            // A click beside the thumb of the second column's bar: a page on.
            const auto b = trackbars(d);
            win::RECT r{};
            if (b.size() >= 2 && win::GetClientRect(b[1], &r))
              plat::inject_click(b[1], r.right - 2, r.bottom / 2);
          }),
          probe([&](win::HWND d) {
            for (int id = 1011; id <= 1021; id += 2) rows += dlgtest::shown(d, id) + "|";
            const auto b = trackbars(d);
            if (b.size() >= 2)
              position = static_cast<int>(win::SendMessageA(b[1], win::TBM_GETPOS, 0, 0));
          }),
          click(1001)});
  run("CHARACTER F*8\nF = 't.txt'\nOPEN(FIle=F, Format='A2,F')\n"
      "DLG(Edit=F, Format='A2,F4')\n");
  EXPECT_GT(position, 0);
  EXPECT_EQ(rows, "a|c|d|f|b|e|");
  // The cells the sort rewrote are no edits: closing writes nothing and
  // tells of no failed write.
  EXPECT_EQ(testsupport::read_file("t.txt"), "a 1\r\nb 20\r\nc 2\r\nd 10\r\ne 21\r\nf 11\r\n");
  EXPECT_TRUE(plat::message_box_log().empty());
}

TEST_F(TableMenu, AnInsertedRowIsUndoneFromTheMenu) {
  writefile();
  std::vector<std::string> seen;
  const auto rows = [&] { return probe([&](win::HWND d) { seen.push_back(column1(d)); }); };
  answer({probe([](win::HWND) {}), click(kMore), rows(), click(kMore), rows(), click(1001)});
  answer({click(choiceid(1209))});
  answer({click(choiceid(1401))});
  answer({click(choiceid(1411))});
  run(kFile);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "|ab|ab|cd|cd|");
  EXPECT_EQ(seen[1], "ab|ab|cd|cd|ef|");
  EXPECT_EQ(testsupport::read_file("t.txt"),
            "ab   one\r\nab   two\r\ncd   three\r\ncd   four\r\nef   five\r\n");
}

}  // namespace
