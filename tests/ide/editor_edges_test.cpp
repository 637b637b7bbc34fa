// The editor at its edges: the row just below the view, the last line on
// the bottom row, paragraph keys over indented lines, texts with and
// without a last line end, the tenth recent file, and the question whether
// to save, which only a changed text asks.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/editbuffer.h"
#include "core/stores.h"
#include "ide/editorwords.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "scripts_fixture.h"

namespace idetest {
namespace {

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

void withctrl(int vk) {
  plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), true);
  plat::set_key_state(win::VK_CONTROL, true);
  press(vk);
  plat::set_key_state(win::VK_CONTROL, false);
  plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), false);
}

class EditorEdges : public IdeTest {
 protected:
  testsupport::TempDir dir;
  std::string script(const std::string& text) {
    testsupport::write_file(dir.file("e.ost"), text);
    return dir.file("e.ost");
  }
};

// Ctrl+Page Down passes over indented and empty lines to the next line that
// starts with a character, Ctrl+Page Up back to the previous one, the first
// line too; the same with and without a line end after the last line.
class ParagraphKeys : public EditorEdges {
 protected:
  void check(const std::string& end) {
    std::vector<std::int32_t> at;
    const auto note = [&] { at.push_back(ide::edcurline); };
    const auto notethen = [&](int vk, bool ctrl) {
      return [&, vk, ctrl] {
        note();
        ctrl ? withctrl(vk) : press(vk);
      };
    };
    run(script("A = 1\r\n  B = 2\r\n\r\n  C = 3\r\nD = 4\r\nEND" + end),
        {[] { withctrl(win::VK_HOME); }, notethen(win::VK_NEXT, true), notethen(win::VK_NEXT, true),
         notethen(win::VK_PRIOR, true), notethen(win::VK_PRIOR, true),
         notethen(win::VK_DOWN, false), notethen(win::VK_PRIOR, true), note});
    EXPECT_EQ(at, (std::vector<std::int32_t>{1, 5, 6, 5, 1, 2, 1}));
  }
};

TEST_F(ParagraphKeys, PassOverIndentedLinesWithALastLineEnd) { check("\r\n"); }
TEST_F(ParagraphKeys, PassOverIndentedLinesWithoutALastLineEnd) { check(""); }

// Down on the bottom row moves the view by one line (the line below the
// view is not shown); Ctrl+End puts the last line on the bottom row.
TEST_F(EditorEdges, TheLineBelowTheViewScrollsItIntoViewAndTheLastLineStaysOnTheBottomRow) {
  std::string text;
  for (int k = 1; k <= 150; ++k) text += "X = " + std::to_string(k) + "\r\n";
  text += "END\r\n";
  std::int32_t rows = 0;
  run(script(text), {[] { withctrl(win::VK_HOME); },
                     [&] {
                       rows = ide::edrows;
                       ASSERT_GT(rows, 2);
                       for (int k = 1; k < rows; ++k) press(win::VK_DOWN);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, rows);
                       EXPECT_EQ(ide::edfirstline, 1) << "the bottom row is still in view";
                       press(win::VK_DOWN);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, rows + 1);
                       EXPECT_EQ(ide::edfirstline, 2) << "the line below the view came into it";
                       withctrl(win::VK_END);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, core::nedlines);
                       EXPECT_EQ(ide::edfirstline, core::nedlines - rows + 1);
                       withctrl(win::VK_DOWN);  // the view goes no further
                     },
                     [&] { EXPECT_EQ(ide::edfirstline, core::nedlines - rows + 1); }});
}

class SaveEdges : public ScriptsTest {
 protected:
  void open(const std::string& text) {
    testsupport::write_file(at("demo.ost"), text);
    ide::scriptpath.set(at("demo.ost"));
    ide::OPENEDIT(at("demo.ost"), true);
  }
  static void change() {
    core::C1EDITINSERT(core::c1editend + 1, "three\r\n", 0);
    ide::C1EDITSAVE();
  }
  static std::vector<std::string> questions() {
    std::vector<std::string> out;
    for (const plat::MessageBoxRecord& r : plat::message_box_log()) out.push_back(r.text);
    return out;
  }
};

// Closing or saving an unchanged text asks nothing; a changed one asks
// once, and a text without a last line end keeps its last line.
TEST_F(SaveEdges, OnlyAChangedTextAsksWhetherToSaveItAndTheLastLineIsKept) {
  for (const std::string end : {"\r\n", ""}) {
    SCOPED_TRACE(end.empty() ? "without a last line end" : "with a last line end");
    plat::reset_message_boxes();
    open("one\r\ntwo" + end);
    EXPECT_EQ(ide::ASKSAVECHANGES(), 0);
    std::int32_t answer = -5;
    ide::FEDSAV(0, answer);
    EXPECT_TRUE(questions().empty()) << questions().front();
    EXPECT_EQ(testsupport::read_file(at("demo.ost")), "one\r\ntwo" + end);

    change();
    plat::push_message_box_answer(win::IDCANCEL);
    EXPECT_EQ(ide::ASKSAVECHANGES(), 3);
    ASSERT_EQ(questions().size(), 1U);
    EXPECT_NE(questions()[0].find("Save the changes?"), std::string::npos) << questions()[0];
    plat::push_message_box_answer(win::IDYES);
    ide::FEDSAV(0, answer);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(questions().size(), 2U);
    EXPECT_EQ(testsupport::read_file(at("demo.ost")), "one\r\ntwo\r\nthree\r\n");
    // Saved: nothing more to ask.
    EXPECT_EQ(ide::ASKSAVECHANGES(), 0);
    ide::FEDSAV(0, answer);
    EXPECT_EQ(questions().size(), 2U);
    core::reset_editbuffer();
  }
}

// The recent-files menu has ten entries: the tenth is shown as "&0" and
// chosen with its settings, an eleventh record is not offered.
TEST_F(SaveEdges, TheTenthRecentFileIsShownAndChosen) {
  std::vector<std::string> lines{"0L /h/Ostrel.hlp", "xA,"};
  for (int n = 1; n <= 11; ++n)
    lines.push_back("/s/f" + std::to_string(n) + ".ost,Face" + std::to_string(n) + ",");
  writesetup(lines);
  ide::FILEHISTORY(5, 0);
  EXPECT_EQ(ide::filemenu(8 + 9).title.trimmed(), "&9: /s/f9.ost");
  EXPECT_EQ(ide::filemenu(8 + 10).title.trimmed(), "&0: /s/f10.ost");
  EXPECT_EQ(ide::filecount, 8 + 10);
  ide::FILEHISTORY(2, 10);
  EXPECT_EQ(ide::scriptpath.trimmed(), "/s/f10.ost");
  EXPECT_EQ(plot::fontslots(2).face.trimmed(), "Face10");
}

}  // namespace
}  // namespace idetest
