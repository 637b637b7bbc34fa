// The More menu's choices as a user reaches them: the table's More button
// clicked, each prompt answered by a click, the table looked at after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "platform/win_controls.h"
#include "platform/win_message_box.h"
#include "platform/win_window.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::probe;

class TableMenu : public DialogScript {
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
