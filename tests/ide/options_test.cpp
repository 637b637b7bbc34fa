// The Options and Help commands, the Quicky box, the names report and
// File > Print, with the dialogs answered by a queue of answers.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/headless_run.h"
#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "ide/fedhlp.h"
#include "ide/filehistory.h"
#include "ide/fontslot.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/options.h"
#include "ide/printdirect.h"
#include "ide/quicky.h"
#include "ide/report.h"
#include "platform/file_units.h"
#include "platform/win_commdlg.h"
#include "plot/fontslots.h"
#include "scripts_fixture.h"
#include "support/test_support.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/printing.h"
#include "toolkit/windows.h"

namespace {

namespace fs = std::filesystem;

struct Shown {
  std::string key;
  std::vector<std::int16_t> halves;
  std::vector<std::int32_t> words;
  std::string characters;
};
std::vector<Shown> shown;
std::deque<std::function<int(const core::HelpValues&)>> answers;

void fakewindow(std::string_view key, int& answer, const core::HelpValues& v) {
  Shown s{
      std::string(key), {v.halves.begin(), v.halves.end()}, {v.words.begin(), v.words.end()}, {}};
  if (v.characters.data() != nullptr) s.characters.assign(v.characters.data(), v.characters.size());
  shown.push_back(s);
  answer = 0;
  if (!answers.empty()) {
    answer = answers.front()(v);
    answers.pop_front();
  }
}

void answer(int a) {
  answers.push_back([a](const core::HelpValues&) { return a; });
}
// Types the expression into the box and presses the button.
void typed(const std::string& text, int button) {
  answers.push_back([text, button](const core::HelpValues&) {
    exec::dlgtext.set(text);
    return button;
  });
}

std::vector<std::string> keys() {
  std::vector<std::string> k;
  for (const Shown& s : shown) k.push_back(s.key);
  return k;
}

class OptionsTest : public idetest::ScriptsTest {
 protected:
  void SetUp() override {
    ScriptsTest::SetUp();
    ide::install_fontslots();
    ide::helpwindow = fakewindow;
    shown.clear();
    answers.clear();
  }
  void TearDown() override {
    ide::helpwindow = core::HELP;
    plat::writes_before_fault = -1;
    ide::askbitmapname = nullptr;
    ScriptsTest::TearDown();
  }
  void compiled(const std::string& script) {
    ASSERT_EQ(exec::compile_script(script), "");
    ASSERT_TRUE(exec::run_compiled());
  }
  std::string history() const { return testsupport::read_file(at(std::string(ide::quickyname))); }
};

std::string record(const std::string& text) {
  return text + std::string(256 - text.size(), ' ') + "\r\n";
}

TEST_F(OptionsTest, TheEditorDialogNeverChangesTheRunRequestBits) {
  constexpr std::size_t switches = 25 - core::edv::flags;
  constexpr std::size_t width = 25 - core::edv::width;
  for (const std::int32_t now : {0x18 | 0x1, 0x0}) {
    SCOPED_TRACE(now);
    core::edflags = now;
    answers.push_back([](const core::HelpValues&) {
      exec::edoptions[switches] = (exec::edoptions[switches] ^ 0x18) | 0x2;
      exec::edoptions[width] = 111;
      return 1;
    });
    ide::OPTIONS(ide::cmd::editor);
    EXPECT_EQ(core::edflags & 0x18, now & 0x18);
    EXPECT_EQ(core::edflags & 0x3, (now & 0x1) | 0x2);
    EXPECT_EQ(core::edvars(core::edv::width), 111);
    EXPECT_EQ(core::edmode, 13);
  }
}

TEST_F(OptionsTest, ThePaletteButtonLeadsToThePaletteAndBackUntilAnotherAnswer) {
  for (int a : {2, 1, 2, 0, 7}) answer(a);
  ide::OPTIONS(10302);
  EXPECT_EQ(keys(),
            (std::vector<std::string>{"colors", "ColorRedef", "colors", "ColorRedef", "colors"}));
  EXPECT_EQ(core::edmode, 13);
}

TEST_F(OptionsTest, TheHelpIndexListsTheCapitalKeysAndShowsTheChosenTopic) {
  const std::string list = ide::helpindexlist();
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.back(), '|');
  EXPECT_NE(list.find("|GOTO|"), std::string::npos) << list;
  // Every entry starts before "a"; none of the dialogs' own keys is offered.
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t bar = list.find('|', at);
    ASSERT_NE(bar, at) << "an empty entry at " << at;
    EXPECT_LT(static_cast<unsigned char>(list[at]), 'a') << list.substr(at, bar - at);
    at = bar + 1;
  }
  EXPECT_EQ(list.find("|editor|"), std::string::npos);

  typed("GOTO  whatever", 1);
  ide::OPTIONS(ide::cmd::index);
  ASSERT_EQ(keys(), (std::vector<std::string>{"Index", "GOTO"}));
  EXPECT_EQ(shown[0].characters, list);
  // An all-blank choice, and a topic filling the whole text, show nothing.
  for (const std::string& t : {std::string(), std::string(256, 'X')}) {
    shown.clear();
    typed(t, 1);
    ide::OPTIONS(ide::cmd::index);
    EXPECT_EQ(keys(), std::vector<std::string>{"Index"});
  }
}

TEST_F(OptionsTest, TheMemoryDialogGetsTheStoreFiguresAndItsButtonWritesTheReport) {
  compiled("CHARACTER S*12\r\nDIMENSION A(3,4)\r\nS = 'hello'\r\nX = 2.5\r\nEND\r\n");
  fs::current_path(home.path());
  answer(5);
  ide::OPTIONS(10404);
  ASSERT_FALSE(shown.empty());
  ASSERT_EQ(shown[0].key, "systemdata");
  const std::vector<std::int32_t>& w = shown[0].words;
  ASSERT_EQ(w.size(), 27u);
  EXPECT_EQ(w[0], core::nz);
  EXPECT_EQ(w[1], core::nsym);
  EXPECT_EQ(w[2], core::nz - core::nztop + 1);
  EXPECT_EQ(w[3], w[1] + w[2]);
  EXPECT_EQ(w[4], core::nc1namen);
  EXPECT_EQ(w[8], core::nxeqbuf);
  EXPECT_EQ(w[9], core::nxeqused);
  EXPECT_EQ(w[10], core::nadrs);
  EXPECT_EQ(w[14], w[12] + w[13]);
  EXPECT_EQ(w[15], core::nname);
  EXPECT_EQ(w[16], core::nsym);
  EXPECT_EQ(w[20], w[18] + w[19]);
  // The free room of each store: what its use leaves of its size.
  EXPECT_EQ(w[21], w[0] - w[3]);
  EXPECT_EQ(w[23], w[8] - w[9]);
  EXPECT_EQ(w[26], w[17] - w[20]);
  ASSERT_EQ(shown[0].halves.size(), 6u);
  EXPECT_EQ(shown[0].halves[0], static_cast<int>(w[3] * 100.0 / w[0]));
  EXPECT_EQ(shown[0].halves[2], static_cast<int>(w[9] * 100.0 / w[8]));
  EXPECT_EQ(shown[0].halves[4], static_cast<int>(core::nsym * 100.0 / core::nname));
  EXPECT_GT(shown[0].halves[4], 0);
  // The report went to the current folder and its window shows it.
  EXPECT_TRUE(fs::exists(home.path() / "MEMandNAMES.txt"));
  ASSERT_NE(exec::wdwtail, exec::wdwhead) << core::msgkey.trimmed() << " " << core::xeqstop;
  EXPECT_EQ(exec::wdwtail->title.trimmed(), "MEMandNAMES.txt");
}

TEST_F(OptionsTest, TheReportListsEverySymbolInItsColumns) {
  const std::string script =
      "CHARACTER S*12\r\nDIMENSION A(3,4)\r\nS = 'hello world!'\r\nX = 2.5\r\n"
      "DO 10 I = 1, 2\r\n10 CONTINUE\r\nCALL P(X)\r\nEND\r\nSUBROUTINE P(Y)\r\nY = 1\r\nEND\r\n";
  // Compiled, Y is the subroutine's dummy argument; the call gives it the
  // type of the variable it stands for.
  ASSERT_EQ(exec::compile_script(script), "");
  EXPECT_NE(ide::reporttext().find("  24 Y            0          N   dum   23\r\n"),
            std::string::npos)
      << ide::reporttext();
  ASSERT_TRUE(exec::run_compiled());
  const std::string text = ide::reporttext();
  const std::vector<std::string> lines = {
      "  Nr Name         Value      Typ     Sub#       Line    DOline    DOvar#       Ptr",
      "                                      or:       Pmax   RTNline    status     Alarm     "
      "Parms",
      "                                      or:       Rows   Columns       Ptr",
      "   1 $            1          N          0",
      "   2 $$           0          N          0",
      "   3 $R           1          N          0",
      "   4 $C           1          N          0",
      "   5 $1           1          N          0",
      "   6 $2           1          N          0",
      "   7 $CR          .          CH         0                63999               63999",
      "   8 $LF          .          CH         0                63997               63997",
      "   9 $CRLF        ..         CH         0                63994               63995",
      "  10 $TAB         .          CH         0                63992               63992",
      "  11 $CMD_LINE               CH         0                63989               63989",
      "  12 S            hello worl CH         0                63976               63987",
      "  13 A            8.488E-314 ARR        0          3         4      7989",
      "  14 3            3          n          0",
      "  15 4            4          n          0",
      "  16 hello world! hello worl ch         0                   55                  66",
      "  17 X            1          N          0",
      "  18 2.5          2.5        n          0",
      "  19 10           4.244E-313 LBL        0          6         5        20      7987",
      "  20 I            3          N          0",
      "  21 1            1          n          0",
      "  22 2            2          n          0",
      "  23 P            2.776E-309 SUB       23          9         0        12       255         "
      "1",
      "  24 Y            1          N         23"};
  std::string want;
  for (const std::string& l : lines) want += l + "\r\n";
  EXPECT_EQ(text, want);
  // Twice: only the second listing stays.
  fs::current_path(home.path());
  ide::REPORT();
  ide::REPORT();
  EXPECT_EQ(testsupport::read_file(home.file("MEMandNAMES.txt")), text);
}

TEST_F(OptionsTest, TheTypeCodesOfTheReport) {
  const std::pair<int, std::string_view> codes[] = {
      {2, "LBL"},     {4, "SUB"},     {5, "FNC"},     {0x10, "ARR"},  {0x40, "CH "},
      {0x41, "ch "},  {0x80, "N  "},  {0x81, "n  "},  {0x100, "FIL"}, {0x140, "FIL"},
      {0x141, "FIL"}, {0x810, "ALn"}, {0x840, "ALc"}, {0xA0, "N  "},  {0x82, "???"}};
  for (const auto& [type, code] : codes) EXPECT_EQ(ide::reporttype(type), code) << type;
}

TEST_F(OptionsTest, QuickyKeepsItsHistoryNewestFirst) {
  compiled("X = 2\r\nEND\r\n");
  // First evaluation: a history of one record.
  typed("X*3", 3);
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(history(), record("X*3"));
  EXPECT_EQ(keys(), (std::vector<std::string>{"quicky1", "quickyN"}));
  // The box's list: none before the history exists, then the history file.
  EXPECT_EQ(shown[0].characters, "");
  EXPECT_EQ(shown[1].characters, at(std::string(ide::quickyname)));
  EXPECT_DOUBLE_EQ(ide::quickyresult, 6.0);
  EXPECT_EQ(exec::dlgtext.trimmed(), "X*3");
  // A second evaluation in the same run goes first; the same expression
  // evaluated again stays one entry.
  typed("X+1  ", 3);
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(history(), record("X+1  ") + record("X*3"));
  typed("X+1  ", 3);
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(history(), record("X+1  ") + record("X*3"));
  // Answer 1: exactly one record, the current expression with its blanks.
  typed("X+1  ", 1);
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(history(), record("X+1  "));
  // A new run's first evaluation puts the expression before the old ones.
  ide::reset_quicky();
  typed("X-1", 3);
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(history(), record("X-1") + record("X+1  "));
}

TEST_F(OptionsTest, AFailedWriteLeavesTheOldQuickyHistoryWhole) {
  compiled("X = 2\r\nEND\r\n");
  const std::string old = record("A") + record("B");
  testsupport::write_file(at(std::string(ide::quickyname)), old);
  for (int allowed : {0, 1, 2}) {
    SCOPED_TRACE(allowed);
    ide::reset_quicky();
    plat::writes_before_fault = allowed;
    typed("X", 3);
    ide::OPTIONS(ide::cmd::quicky);
    plat::writes_before_fault = -1;
    EXPECT_EQ(history(), old);
    EXPECT_EQ(ide::quickywords[0], 0);
    EXPECT_EQ(idetest::entries(home.path()),
              std::vector<std::string>{std::string(ide::quickyname)});
  }
}

TEST_F(OptionsTest, QuickyHistoryOfAFolderThatTakesNoFileGoesToTheStateFolder) {
  compiled("X = 2\r\nEND\r\n");
  const std::string kept = state.file("ostrel/" + std::string(ide::quickyname));
  // A current folder that is gone, and (for a user whom permissions bind)
  // one that may not be written.
  ide::workdir.set(home.file("gone") + "/");
  typed("X", 3);
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(testsupport::read_file(kept), record("X"));
  EXPECT_EQ(ide::quickyfile.trimmed(), kept);
  if (::geteuid() == 0) return;
  ide::workdir.set(home.path().string() + "/");
  ide::reset_quicky();
  ::chmod(home.path().c_str(), 0555);
  typed("X+1", 3);
  ide::OPTIONS(ide::cmd::quicky);
  ::chmod(home.path().c_str(), 0755);
  EXPECT_EQ(testsupport::read_file(kept), record("X+1") + record("X"));
  EXPECT_FALSE(fs::exists(at(std::string(ide::quickyname))));
}

TEST_F(OptionsTest, QuickyShowsATextResultAndKeepsAnEmptyExpression) {
  compiled("CHARACTER S*8\r\nS = 'abc'\r\nEND\r\n");
  typed("S(1:3)", 3);
  std::string inthefield;
  answers.push_back([&inthefield](const core::HelpValues&) {
    inthefield = exec::dlgtext.trimmed();
    exec::dlgtext.blank();
    return 3;
  });
  ide::OPTIONS(ide::cmd::quicky);
  EXPECT_EQ(keys(), (std::vector<std::string>{"quicky1", "quickyS", "quickyS"}));
  EXPECT_EQ(ide::quickywords[3], 3);
  EXPECT_EQ(history(), record("S(1:3)"));
  // The text result stood in the field.
  EXPECT_EQ(inthefield, "abc");
}

// Three windows besides the main one: a text window, a hidden one and one
// without a title.
class PrintTest : public OptionsTest {
 protected:
  void SetUp() override {
    OptionsTest::SetUp();
    compiled("X = 1\r\nEND\r\n");
    exec::wdwhead->title.set("main.ost");
    add("notes.txt", 0x40 | 0x200);
    add("hidden", 0x400);
    add("", 0x80);
    add("plot", 0x80);
    exec::wdwcur = exec::wdwhead;
  }
  exec::wdwrec* add(const std::string& title, std::int32_t kind) {
    std::int32_t status = 0;
    exec::NEWWINDOW(status, nullptr);
    char cls[32];
    std::fill(cls, cls + sizeof cls, ' ');
    const int width = 40, height = 30;
    exec::wdwcur->window = toolkit::CREATE_SECONDARY_WINDOW(
        "Second", 6, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr,
        nullptr, &width, &height, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    exec::wdwcur->title.set(title);
    exec::wdwcur->kind = kind;
    return exec::wdwcur;
  }
  exec::wdwrec* find(const std::string& title) {
    for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next)
      if (w->title.trimmed() == title) return w;
    return nullptr;
  }
};

TEST_F(PrintTest, TheListOffersTitledWindowsNotMarkedHiddenAndPresetsTheCurrentOne) {
  exec::wdwcur = find("plot");
  std::int32_t count = 0;
  EXPECT_EQ(ide::printlist(count), "main.ost|notes.txt|plot|");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(ide::printwords[1], 3);
}

TEST_F(PrintTest, TheOptionStringAndThePrintModes) {
  ide::printwords[4] = 1;
  ide::printwords[5] = 2;
  EXPECT_EQ(ide::printoptionstring(), "LWXA,LS=2");
  ide::printwords[4] = 0;
  ide::printwords[5] = 0;
  EXPECT_EQ(ide::printoptionstring(), "LSXA,LS=0");
  ide::printwords[0] = 1;
  ide::printwords[6] = 1;
  EXPECT_EQ(ide::printmode(3, true), 0x479);
  ide::printwords[0] = 0;
  ide::printwords[6] = 0;
  EXPECT_EQ(ide::printmode(1, false), 1);
  EXPECT_EQ(ide::printmode(2, false), 0x21);
  plot::fontslots(7).face.set("Fixedsys");
  plot::fontslots(7).points = 9;
  EXPECT_EQ(ide::printlabel(), "&Print selection (Fixedsys    9 pt)");
}

TEST_F(PrintTest, ACancelOrAVanishedWindowLeavesTheCurrentRecord) {
  exec::wdwrec* const entry = find("notes.txt");
  for (int choice : {0, 10}) {
    exec::wdwcur = entry;
    answer(choice);
    ide::PRINTDIRECT();
    EXPECT_EQ(exec::wdwcur, entry);
  }
  typed("gone", 5);
  ide::PRINTDIRECT();
  EXPECT_EQ(exec::wdwcur, entry);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().key, "printNoWdw");
}

TEST_F(PrintTest, AChoiceLeftAsPresetIsTheCurrentWindow) {
  exec::wdwcur = find("notes.txt");
  answer(2);
  ide::PRINTDIRECT();
  EXPECT_EQ(ide::printwords[1], 2);
  EXPECT_EQ(exec::wdwcur, find("notes.txt"));
  // Printed as one job: the state word is back to 0 and the document
  // lies in the current folder under the window's name.
  EXPECT_EQ(find("notes.txt")->printstate, 0);
  EXPECT_TRUE(fs::exists("notes.txt.pdf"));
}

TEST_F(PrintTest, PrintingTextEndsItsJobAndAWindowWithoutATableSavesNone) {
  const std::int32_t stop = core::xeqstop;
  testsupport::write_file("notes.txt", "first line\nsecond line\n");
  typed("notes.txt", 3);
  ide::PRINTDIRECT();
  EXPECT_EQ(find("notes.txt")->printstate, 0);
  EXPECT_EQ(exec::wdwcur, find("notes.txt"));
  EXPECT_TRUE(fs::exists("notes.txt.pdf"));
  EXPECT_EQ(core::xeqstop, stop);
  typed("plot", 7);
  ide::PRINTDIRECT();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().key, "printNotMX");
}

TEST_F(PrintTest, AWindowsPictureIsSavedAsABitmapAndReadsBack) {
  exec::wdwrec* w = find("plot");
  int ups = 0;
  w->bitmap = toolkit::CREATE_BITMAP(20, 10, nullptr, &ups);
  ASSERT_NE(w->bitmap, nullptr);
  const std::string path = home.file("p.bmp");
  // The save dialog's answer: the name it was offered, the name chosen.
  static std::string chosen;
  static std::string offered;
  chosen = path;
  ide::askbitmapname = [](std::string& p) {
    offered = p;
    p = chosen;
    return true;
  };
  typed("plot", 4);
  ide::PRINTDIRECT();
  EXPECT_EQ(offered, "plot.bmp");
  const std::string bytes = testsupport::read_file(path);
  ASSERT_GT(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  const win::HBITMAP back =
      toolkit::LOAD_BITMAP(nullptr, 0, nullptr, path.c_str(), static_cast<int>(path.size()),
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  ASSERT_NE(back, nullptr);
  win::BITMAP info{};
  win::GetObjectA(back, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 20);
  EXPECT_EQ(info.bmHeight, 10);
  win::DeleteObject(back);
  // A folder that does not exist: the message, nothing written.
  chosen = home.file("no/such/p.bmp");
  typed("plot", 4);
  ide::PRINTDIRECT();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().key, "printBadFilename");
  // A window without a picture saves nothing.
  offered.clear();
  typed("notes.txt", 4);
  ide::PRINTDIRECT();
  EXPECT_TRUE(offered.empty());
  win::DeleteObject(w->bitmap);
  w->bitmap = nullptr;
}

}  // namespace

namespace {

// Old histories of any bytes: every record of the new one is 256
// characters and a line end, the new expression first, one record for each
// line of the old file.
TEST_F(OptionsTest, QuickyHistoryFuzz) {
  const std::string path = at(std::string(ide::quickyname));
  const std::string alphabet = std::string("ab \r\n\t") + '\0' + "\xe9";
  std::uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 200; ++round) {
    std::string old;
    const std::size_t n = next() % 700;
    for (std::size_t i = 0; i < n; ++i) old.push_back(alphabet[next() % alphabet.size()]);
    testsupport::write_file(path, old);
    std::size_t oldrecords = 0;
    for (std::size_t at = 0; at < old.size(); ++oldrecords) {
      const std::size_t lf = old.find('\n', at);
      at = lf == std::string::npos ? old.size() : lf + 1;
    }
    ASSERT_TRUE(ide::writequickies("NEW", false)) << round;
    const std::string now = testsupport::read_file(path);
    ASSERT_EQ(now.size(), 258 * (oldrecords + 1)) << round;
    EXPECT_EQ(now.substr(0, 258), record("NEW"));
    for (std::size_t r = 0; r < now.size(); r += 258) ASSERT_EQ(now.substr(r + 256, 2), "\r\n");
  }
}

}  // namespace

namespace {

TEST_F(OptionsTest, UpdateAndDonateOpenTheReadmeAndEmailAnEmptyMail) {
  const std::string readme = (testsupport::source_dir() / "README.md").string();
  EXPECT_EQ(ide::linkfor(10405), "file://" + readme);
  EXPECT_EQ(ide::linkfor(ide::cmd::donate), "file://" + readme);
  EXPECT_EQ(ide::linkfor(10406), "mailto:");
  EXPECT_TRUE(fs::exists(readme));
}

}  // namespace

namespace {

TEST_F(OptionsTest, EachHelpCommandShowsItsDialog) {
  const std::pair<int, std::string> dialogs[] = {{ide::cmd::tooltips, "tooltips"},
                                                 {ide::cmd::contents, "Contents"},
                                                 {ide::cmd::about, "aboutOstrel"},
                                                 {ide::cmd::fonts, "ChooseFont"}};
  for (const auto& [command, key] : dialogs) {
    shown.clear();
    ide::OPTIONS(command);
    ASSERT_EQ(keys(), std::vector<std::string>{key}) << command;
  }
  ide::OPTIONS(ide::cmd::tooltips);
  EXPECT_EQ(shown.back().words,
            std::vector<std::int32_t>(ide::tipopts.begin(), ide::tipopts.end()));
  // CPU time switches its display; a command of the editor goes back to it.
  const bool before = ide::cputoggle;
  ide::OPTIONS(ide::cmd::cputime);
  EXPECT_NE(ide::cputoggle, before);
  core::idestate |= core::busy::editor;
  core::idecmd = 0;
  ide::OPTIONS(10350);
  EXPECT_EQ(core::idecmd, 10350);
  core::idestate &= ~core::busy::editor;
}

}  // namespace

namespace {

// Options > Fonts: the slot chosen in its dialog gets what the platform's
// font dialog answers; a cancelled font dialog leaves the slot as it was.
TEST_F(OptionsTest, TheFontsCommandWritesTheChosenSlotThroughTheFontDialog) {
  plat::reset_common_dialogs();
  const int before = plot::fontslots(3).points;
  answer(3);
  plat::push_dialog_answer({true, {{"Size", std::to_string(before + 5)}}});
  ide::OPTIONS(ide::cmd::fonts);
  EXPECT_EQ(plot::fontslots(3).points, before + 5);
  EXPECT_NE(plot::fontslots(3).font, nullptr);
  answer(3);
  plat::push_dialog_answer({false, {{"Size", "30"}}});
  ide::OPTIONS(ide::cmd::fonts);
  EXPECT_EQ(plot::fontslots(3).points, before + 5);
  ASSERT_EQ(plat::common_dialog_log().size(), 2u);
  EXPECT_EQ(plat::common_dialog_log().back().outcome, "Cancel");
}

// File > Print Setup: the page-setup dialog's answer is kept for the
// print jobs to come; Cancel keeps what was there.
TEST_F(OptionsTest, PrintSetupKeepsThePageTheDialogAnswered) {
  toolkit::reset_printing();
  plat::reset_common_dialogs();
  const auto landscape = [] {
    int l = -1, ups = 0;
    toolkit::GET_PAGE_DATA(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, &l, &ups);
    return l;
  };
  plat::push_dialog_answer({true, {{"Landscape", "1"}}});
  ide::OPTIONS(ide::cmd::printsetup);
  EXPECT_EQ(landscape(), 1);
  plat::push_dialog_answer({false, {{"Portrait", "1"}}});
  ide::OPTIONS(ide::cmd::printsetup);
  EXPECT_EQ(landscape(), 1);
  ASSERT_EQ(plat::common_dialog_log().size(), 2u);
  EXPECT_NE(plat::common_dialog_log()[0].outcome, "Cancel");
  toolkit::reset_printing();
}

// Help > e-mail and Update hand their links to xdg-open and do not wait
// for it: a stand-in on PATH notes its arguments.
TEST_F(OptionsTest, TheLinksGoToTheShellsOpener) {
  testsupport::TempDir bin;
  const std::string noted = bin.file("noted");
  testsupport::write_file(bin.file("xdg-open"),
                          "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + noted + "'\n");
  fs::permissions(bin.file("xdg-open"), fs::perms::owner_all);
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
  const auto awaitlines = [&](int n) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      const std::string t = fs::exists(noted) ? testsupport::read_file(noted) : std::string();
      if (std::count(t.begin(), t.end(), '\n') >= n) return t;
      if (std::chrono::steady_clock::now() > end) return "waited in vain for the opener: " + t;
      std::this_thread::yield();
    }
  };
  ide::OPTIONS(10406);
  const std::string mail = awaitlines(1);
  ide::OPTIONS(10405);
  const std::string both = awaitlines(2);
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(mail, "mailto:\n");
  EXPECT_EQ(both, "mailto:\n" + ide::linkfor(10405) + "\n");
  EXPECT_TRUE(core::msgkey.trimmed().empty()) << core::msgkey.trimmed();
}

// The text of a PDF file, as pdftotext reads it.
std::string pdftext(const std::string& pdf) {
  std::string out;
  if (std::FILE* p = ::popen(("pdftotext '" + pdf + "' - 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

// Print the picture: a window's picture goes to the printer the print
// dialog chose, here a PDF file, with the page stamp unless "No page
// stamp" is ticked.
TEST_F(PrintTest, AWindowsPictureIsPrintedOnThePrinterTheDialogChose) {
  toolkit::reset_printing();
  exec::wdwrec* w = find("plot");
  int ups = 0;
  w->bitmap = toolkit::CREATE_BITMAP(20, 10, nullptr, &ups);
  ASSERT_NE(w->bitmap, nullptr);
  for (const int nostamp : {0, 1}) {
    SCOPED_TRACE(nostamp != 0 ? "no page stamp" : "the page stamp");
    ide::printwords[6] = nostamp;
    const std::string pdf = home.file("plot" + std::to_string(nostamp) + ".pdf");
    plat::push_dialog_answer({true, {{"Print to file", "1"}}});
    plat::push_dialog_answer({true, {{"File name", pdf}}});
    typed("plot", 5);
    ide::PRINTDIRECT();
    const std::string bytes = testsupport::read_file(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("/Image"), std::string::npos) << "the picture on the page";
    EXPECT_EQ(pdftext(pdf).find("Ostrel / main.ost / ") == std::string::npos, nostamp != 0)
        << pdftext(pdf);
    EXPECT_EQ(exec::wdwcur, w);
  }
  ide::printwords[6] = 0;
  // A file that outgrows the largest file this process may write: the
  // job fails, says so and leaves no file.
  shown.clear();
  const std::string cut = home.file("cut.pdf");
  plat::push_dialog_answer({true, {{"Print to file", "1"}}});
  plat::push_dialog_answer({true, {{"File name", cut}}});
  typed("plot", 5);
  rlimit kept{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &kept), 0);
  const auto signal = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{1000, kept.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ide::PRINTDIRECT();
  setrlimit(RLIMIT_FSIZE, &kept);
  std::signal(SIGXFSZ, signal);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().key, "printFailed");
  EXPECT_FALSE(fs::exists(cut));
  toolkit::reset_printing();
}

}  // namespace
