// A script that gives the main window a caption of its own (here the name
// of another file): Ctrl+S, File > Print and QUIT's question still belong
// to the script being edited, and the print of the editor's text holds the
// line the cursor still stands on.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "editor_keys.h"
#include "exec/settingrefs.h"
#include "ide/fedhlp.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/win_message_box.h"
#include "platform/win_window.h"
#include "support/test_support.h"

namespace idetest {
namespace {

namespace fs = std::filesystem;

// What the print prompt offered; it is answered "print the editor's text".
std::string offered;
void printprompt(std::string_view key, int& answer, const core::HelpValues& v) {
  answer = 0;
  if (key != "printoptions") return;
  offered.assign(v.characters.data(), v.characters.size());
  exec::printsrc = 1;
  answer = 1;
}

std::string pdftext(const fs::path& file) {
  std::string out;
  const std::string command = "pdftotext -raw '" + file.string() + "' - 2>/dev/null";
  if (std::FILE* p = popen(command.c_str(), "r")) {
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;)
      out.append(buf.data(), n);
    pclose(p);
  }
  return out;
}

class CaptionSave : public IdeTest {
 protected:
  void TearDown() override {
    ide::helpwindow = core::HELP;
    exec::printsrc = 0;
    IdeTest::TearDown();
  }
};

TEST_F(CaptionSave, ACaptionFromTheScriptLeavesSavePrintAndQuitToTheScript) {
  testsupport::TempDir dir;
  const std::string script = dir.file("cap.ost"), victim = dir.file("victim.txt");
  testsupport::write_file(script, "A = 1\r\nWINDOW(TItle='victim.txt')\r\nEND\r\n");
  testsupport::write_file(victim, "keep\r\n");
  ide::helpwindow = printprompt;
  offered.clear();
  plat::reset_message_boxes();
  std::string caption, saved, printed;
  run("\"" + script + "\"",
      {[] { with(win::VK_MENU, 'R'); },
       [&] {
         std::array<char, 256> t{};
         win::GetWindowTextA(static_cast<win::HWND>(mainwindow()), t.data(), t.size());
         caption = t.data();
         with(win::VK_CONTROL, win::VK_HOME);
         press(win::VK_END);
         type(" + 41");
         press(win::VK_DOWN);
       },
       [] {
         plat::push_message_box_answer(win::IDYES);
         with(win::VK_CONTROL, 'S');
       },
       [&] {
         saved = testsupport::read_file(script);
         // Typed on the first line, which the cursor does not leave.
         press(win::VK_UP);
         press(win::VK_END);
         type(" + 1");
         with(win::VK_CONTROL, 'P');
       },
       [&] {
         for (const fs::directory_entry& e : fs::directory_iterator(dir.path()))
           if (e.path().extension() == ".pdf") printed += pdftext(e.path());
         // QUIT's question about the change printed but not saved.
         plat::push_message_box_answer(win::IDYES);
       }});
  EXPECT_EQ(caption, "victim.txt");
  EXPECT_EQ(saved, "A = 1 + 41\r\nWINDOW(TItle='victim.txt')\r\nEND\r\n");
  EXPECT_EQ(offered, script + "|");
  EXPECT_NE(printed.find("A = 1 + 41 + 1"), std::string::npos) << printed;
  EXPECT_EQ(testsupport::read_file(script),
            "A = 1 + 41 + 1\r\nWINDOW(TItle='victim.txt')\r\nEND\r\n");
  EXPECT_EQ(testsupport::read_file(victim), "keep\r\n");
  // Ctrl+S and QUIT asked, each titled with the script.
  std::vector<std::string> asked;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    if (r.text.find("Save the changes?") != std::string::npos) asked.push_back(r.title);
  EXPECT_EQ(asked, (std::vector<std::string>{script, script}));
}

}  // namespace
}  // namespace idetest
