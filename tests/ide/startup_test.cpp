// The program's start as a user sees it (the main window with its caption,
// menus, toolbar, status bar and start screen), the help data file it
// looks for, the fonts it starts with, and its end.
#include <gtest/gtest.h>

#include <filesystem>

#include <fstream>

#include "core/helpdata.h"
#include "core/runwords.h"
#include "editor_keys.h"
#include "exec/alarms.h"
#include "exec/headless_run.h"
#include "ide/fe_main.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/scriptfiles.h"
#include "ide/statusbar.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "plot/fontslots.h"
#include "toolkit/records.h"

namespace {

namespace fs = std::filesystem;
using idetest::IdeTest;

std::string caption() {
  char buf[300] = {};
  win::GetWindowTextA(static_cast<win::HWND>(idetest::mainwindow()), buf, sizeof buf);
  return buf;
}

// A pixel of the main window's text area (its client box lies below the
// toolbar), as 0x00BBGGRR.
std::uint32_t textpixel(int x, int y) {
  const toolkit::window_record_t* r = toolkit::MAIN_WINDOW_RECORD();
  return plat::window_pixel(toolkit::MAIN_WINDOW(), r->client.left + x, r->client.top + y);
}

TEST_F(IdeTest, TheStartScreenWelcomesTheUserAndQuitEndsWithStatus0) {
  int r = 0, y0 = 0;
  const int status =
      run("", {[&] {
                 // The start screen was shown, then the first script of the
                 // history opened and the editor drew it: the start screen
                 // is drawn once more here to be looked at.
                 EXPECT_EQ(caption(), "introduction.ost (" + ide::examplesdir() + ")");
                 bool welcome = false;
                 for (const toolkit::status_bar_item_t& f : ide::statusfields)
                   welcome = welcome ||
                             std::string(f.text.data())
                                 .starts_with("Welcome to Ostrel script introduction.ost. Click");
                 EXPECT_TRUE(welcome);
                 ide::startscreen();
                 idetest::snapshot("ide_start");
                 const ide::wdwrec& main = *ide::wdwhead;
                 r = std::min(main.clientheight / 2, main.clientwidth / 3);
                 y0 = main.clientheight / 2 - 36 * (r / 333);
                 // White paper; "Ostrel !" blue on yellow where it ends, level.
                 EXPECT_EQ(textpixel(5, 5), 0xFFFFFFu);
                 std::uint32_t yellow = 0, blue = 0;
                 for (int x = r; x < r + r / 2; ++x)
                   for (int y = y0; y < y0 + r / 8; ++y) {
                     yellow += textpixel(x, y) == 0x00FFFFu;
                     blue += textpixel(x, y) == 0xA00000u;
                   }
                 EXPECT_GT(yellow, 100u);
                 EXPECT_GT(blue, 100u);
                 // Nothing left of the spinning text's circle, and the tag line right.
                 EXPECT_EQ(textpixel(r / 4, y0), 0xFFFFFFu);
                 int ink = 0;
                 for (int x = 5 * main.clientwidth / 8; x < main.clientwidth; ++x)
                   for (int y = main.clientheight / 10; y < main.clientheight / 5; ++y)
                     ink += textpixel(x, y) == 0x010101u;
                 EXPECT_GT(ink, 50);
                 win::ShowWindow(static_cast<win::HWND>(idetest::mainwindow()), win::SW_RESTORE);
               },
               [&] {
                 // At the new size it is drawn to fit.
                 ide::startscreen();
                 idetest::snapshot("ide_start_restored");
                 const ide::wdwrec& main = *ide::wdwhead;
                 const int r2 = std::min(main.clientheight / 2, main.clientwidth / 3);
                 EXPECT_LT(r2, r);
                 EXPECT_EQ(textpixel(r2 + r2 / 4, main.clientheight / 2 + 2), 0x00FFFFu);
               }});
  EXPECT_EQ(status, 0);
  EXPECT_GT(r, 0);
}

// On an unchanged line the first Escape redraws, the second ends the editor
// and closes the script; the next one, with no script open, asks. The next
// tick opens the script again.
TEST_F(IdeTest, EscapeAsksWhetherToExitAndYesEnds) {
  int asked = 0;
  const auto escapes = [] {
    for (int k = 0; k < 3; ++k) plat::inject_key_press(win::VK_ESCAPE, 27);
  };
  const int status = run("", {escapes,
                              [&] {
                                asked = static_cast<int>(plat::message_box_log().size());
                                plat::push_message_box_answer(win::IDYES);
                                escapes();
                              },
                              [] { ADD_FAILURE() << "the program is still running"; }});
  EXPECT_EQ(status, 0);
  ASSERT_EQ(asked, 1);
  EXPECT_NE(plat::message_box_log()[0].text.find("Exit Ostrel?"), std::string::npos);
  EXPECT_EQ(plat::message_box_log()[0].answer, win::IDNO);
  ASSERT_EQ(plat::message_box_log().size(), 2u);
  EXPECT_EQ(plat::message_box_log()[1].answer, win::IDYES);
  // Only the Escapes that closed the script reached the editor.
  int escaped = 0;
  for (const idetest::HandedOver& h : idetest::handedover) escaped += h.key[0] == 27;
  EXPECT_EQ(escaped, 4);
}

TEST_F(IdeTest, TheCloseBoxEndsTheProgramWithStatus0) {
  const int status =
      run("x.ost", {[] {
                      win::PostMessageA(static_cast<win::HWND>(idetest::mainwindow()),
                                        win::WM_SYSCOMMAND, win::SC_CLOSE, 0);
                    },
                    [] { ADD_FAILURE() << "the program is still running"; }});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ide::startmode, -10);
}

// A working copy left empty by a crash, or holding a plain text, is put
// aside under a free name and the script opens from its own file, at this
// start and every later one.
TEST_F(IdeTest, AWorkingCopyThatIsNoneIsPutAsideAndTheScriptOpens) {
  testsupport::TempDir dir;
  const std::string script = "A = 1\r\nEND\r\n";
  testsupport::write_file(dir.file("t.ost"), script);
  std::string plain;
  for (int k = 0; k < 40; ++k) plain += "X = 1\r\n";
  plain += "END\r\n";
  testsupport::write_file(dir.file("t.tmp.bad"), "earlier");
  for (const std::string& copy : {std::string(), plain, std::string("-")}) {
    if (copy != "-") testsupport::write_file(dir.file("t.tmp"), copy);
    std::string text, told;
    EXPECT_EQ(run(dir.file("t.ost"), {[&] {
                    text = idetest::buffer();
                    for (const plat::MessageBoxRecord& r : plat::message_box_log())
                      told += r.title + "|";
                  }}),
              0);
    EXPECT_EQ(text, script);
    EXPECT_EQ(told, copy == "-" ? "" : dir.file(copy.empty() ? "t.tmp.bad2" : "t.tmp.bad3") + "|");
    EXPECT_FALSE(fs::exists(dir.file("t.tmp")));
  }
  EXPECT_EQ(testsupport::read_file(dir.file("t.tmp.bad")), "earlier");
  EXPECT_EQ(testsupport::read_file(dir.file("t.tmp.bad2")), "");
  EXPECT_EQ(testsupport::read_file(dir.file("t.tmp.bad3")), plain);
  EXPECT_EQ(testsupport::read_file(dir.file("t.ost")), script);
}

// The help data file: the setup file names it; the thresholds decide.
class HelpFileTest : public IdeTest {
 protected:
  testsupport::TempDir files;
  std::string file(const std::string& name, std::size_t size) {
    const std::string path = files.file(name);
    testsupport::write_file(path, std::string(size, 'x'));
    return path;
  }
  void setup(const std::string& first) {
    fs::create_directories(config.path() / "ostrel");
    testsupport::write_file(config.path() / "ostrel" / "Ostrel-setup.dat", first + "\r\n");
  }
  // The help data file taken, or "" after the dialog was cancelled.
  std::string found() {
    return ide::GOFURTHER(1) ? std::string(core::helppath.trimmed()) : std::string();
  }
};

TEST_F(HelpFileTest, OnlyAFileLargerThan270000BytesIsTaken) {
  const std::string exact = file("exact.hlp", 270000), above = file("above.hlp", 270001);
  setup("0L " + exact);
  EXPECT_EQ(found(), "");
  ASSERT_EQ(plat::common_dialog_log().size(), 1u);
  EXPECT_EQ(plat::common_dialog_log()[0].title, "Where is Ostrel.hlp?");
  // Cancelled: the program says where it looked.
  ASSERT_FALSE(plat::message_box_log().empty());
  const std::string said = plat::message_box_log().back().text;
  EXPECT_NE(said.find(exact + " (270000 bytes)"), std::string::npos) << said;

  plat::reset_common_dialogs();
  plat::push_dialog_answer({true, {{"File name", above}}});
  EXPECT_EQ(found(), above);
  setup("0L " + above);
  EXPECT_EQ(found(), above);
  EXPECT_GT(core::helpcount, 0);
  EXPECT_EQ(plat::common_dialog_log().size(), 1u);
}

TEST_F(HelpFileTest, A50000ByteFileSendsTheSearchToTheWorkingFolder) {
  const fs::path here = fs::current_path();
  fs::current_path(files.path());
  file("Ostrel.hlp", 270001);
  setup("0L " + file("small.hlp", 50000));
  EXPECT_EQ(found(), files.file("Ostrel.hlp"));
  // 100,000 bytes are not replaced: the question comes at once.
  setup("0L " + file("middle.hlp", 100000));
  EXPECT_EQ(found(), "");
  EXPECT_EQ(plat::common_dialog_log().size(), 1u);
  fs::current_path(here);
}

TEST_F(HelpFileTest, AnOlderSetupFileIsMadeAnewAndTheDataFolderIsTheDefault) {
  const std::string big = file("big.hlp", 270001);
  setup("1A " + big);
  EXPECT_EQ(found(), big);
  setup("0K " + big);
  const std::string standard = found();
  EXPECT_EQ(standard, (testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  EXPECT_EQ(testsupport::read_file(config.path() / "ostrel" / "Ostrel-setup.dat"), "");
}

TEST_F(HelpFileTest, WithoutTheHelpDataFileNoWindowIsMadeAndTheStatusIs2) {
  setup("0L " + files.file("gone.hlp"));
  const fs::path here = fs::current_path();
  fs::current_path(files.path());
  EXPECT_EQ(run("", {}), 2);
  fs::current_path(here);
  EXPECT_EQ(ide::wdwhead, nullptr);
  EXPECT_EQ(plat::common_dialog_log().size(), 1u);
}

// A screen of a given width, otherwise headless.
class ScreenBackend : public plat::Backend {
 public:
  explicit ScreenBackend(int width) : width_(width) {}
  const char* name() const override { return "screen"; }
  win::SIZE screen_size() const override { return {width_, 800}; }
  int dpi() const override { return 96; }
  bool has_display() const override { return false; }
  bool wait(int) override { return false; }

 private:
  int width_;
};

TEST_F(IdeTest, WithoutSavedPointsTheFontsAre8PointUpTo1000PixelsAnd9Above) {
  for (const int width : {1000, 1001}) {
    ScreenBackend screen(width);
    plat::set_backend(&screen);
    plot::fontslots(2).points = 0;
    std::filesystem::remove(config.path() / "ostrel" / "Ostrel-setup.dat");
    run("", {});
    plat::set_backend(nullptr);
    for (int s = 1; s <= plot::nfontslots; ++s)
      EXPECT_EQ(plot::fontslots(s).points, width == 1000 ? 8 : 9) << width << " slot " << s;
    exec::reset_all();
    ide::reset_ide();
    ide::install_application();
  }
}

TEST_F(IdeTest, TheEditorFontIs9PointFixedsysTwelvePixelsHigh) {
  run("", {[] {
        win::LOGFONTA lf{};
        ASSERT_NE(plot::fontslots(2).font, nullptr);
        win::GetObjectA(plot::fontslots(2).font, sizeof lf, &lf);
        EXPECT_EQ(lf.lfHeight, -12);
        EXPECT_EQ(lf.lfWeight, 400);
        EXPECT_EQ(plot::fontslots(2).face.trimmed(), "Fixedsys");
        EXPECT_GT(plot::fontslots(2).cellheight, 10);
        EXPECT_GT(plot::fontslots(2).cellwidth, 4);
        EXPECT_NE(plot::fontslots(3).font, nullptr);
        EXPECT_NE(plot::fontslots(5).font, nullptr);
        EXPECT_EQ(plot::fontslots(1).font, nullptr);
      }});
}

}  // namespace
