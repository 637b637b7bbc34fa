// The window program's start: its answers without a display, and on the
// test program's Xvfb the IDE's main window, titled by the script, that
// ends as a user ends it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "app/window_program.h"
#include "exec/headless_run.h"
#include "ide/fe_control.h"
#include "ide/fe_main.h"
#include "ide/idewords.h"
#include "ide/scripts.h"
#include "platform/backend.h"
#include "platform/win_window.h"
#include "support/display_user.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "toolkit/entry.h"
#include "toolkit/windows.h"
// clang-format off
#include "platform/x11_backend.h"
#include <X11/keysym.h>
// clang-format on

namespace {

// DISPLAY set (or unset) for one test.
class DisplayVariable {
 public:
  explicit DisplayVariable(const char* value) {
    if (const char* old = std::getenv("DISPLAY")) old_ = old;
    if (value != nullptr)
      setenv("DISPLAY", value, 1);
    else
      unsetenv("DISPLAY");
  }
  ~DisplayVariable() {
    if (old_)
      setenv("DISPLAY", old_->c_str(), 1);
    else
      unsetenv("DISPLAY");
  }

 private:
  std::optional<std::string> old_;
};

// Standard error caught while the object lives.
class CaughtStderr {
 public:
  CaughtStderr() : path_(dir_.file("err")) {
    std::fflush(stderr);
    saved_ = dup(2);
    file_ = std::fopen(path_.c_str(), "w");
    dup2(fileno(file_), 2);
  }
  ~CaughtStderr() { text(); }
  // What came so far; the catching ends.
  const std::string& text() {
    if (file_ != nullptr) {
      std::fflush(stderr);
      dup2(saved_, 2);
      close(saved_);
      std::fclose(file_);
      file_ = nullptr;
      text_ = testsupport::read_file(path_);
    }
    return text_;
  }

 private:
  testsupport::TempDir dir_;
  std::string path_;
  int saved_ = -1;
  std::FILE* file_ = nullptr;
  std::string text_;
};

// Runs the window program with its standard error caught, in a current
// folder of its own (a script the command line names is made there), with
// HOME and the XDG folders of its own (its setup file goes there).
int run_caught(const std::string& cmdline, std::string& err) {
  testsupport::HomeFolders home;
  testsupport::TempDir dir;
  const std::filesystem::path folder = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  CaughtStderr caught;
  const int status = app::run_window_program(cmdline);
  err = caught.text();
  std::filesystem::current_path(folder);
  return status;
}

TEST(WindowProgramTest, WithoutADisplayItSaysWhyAndEndsWithStatus2) {
  std::string err;
  {
    DisplayVariable unset(nullptr);
    EXPECT_EQ(run_caught("demo.ost", err), 2);
  }
  EXPECT_EQ(err,
            "ostrel: no display (DISPLAY is not set); to run a script without one: ostrel "
            "RUN=script.ost\n");
  {
    DisplayVariable bad(":31999");
    EXPECT_EQ(run_caught("demo.ost", err), 2);
  }
  EXPECT_EQ(err, "ostrel: cannot open display :31999\n");
}

TEST(WindowProgramTest, TheWindowIsTitledByTheFirstScriptOfTheCommandLine) {
  EXPECT_EQ(ide::commandlinescript("demo.ost"), "demo.ost");
  EXPECT_EQ(ide::commandlinescript("RUN= \"my scripts/plot.ost\" x.ost"), "my scripts/plot.ost");
  // A KEY=value item names no script of this kind.
  EXPECT_EQ(ide::commandlinescript("HELP=\"guide.ost\""), "");
  EXPECT_EQ(ide::commandlinescript("RUN= fast"), "");
  EXPECT_EQ(ide::commandlinescript(""), "");
}

// The display tests: the program runs in this thread while a user thread
// plays the user on a connection of its own. The user waits for each state
// it needs (a window, its title, the program waiting for input) and gives
// up within a minute, saying what it waited for.
class OnADisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    XInitThreads();  // the user has a connection of its own
    std::string why;
    name = testsupport::xvfb_display(&why);
    ASSERT_FALSE(name.empty()) << why;
    display.emplace(name.c_str());
  }
  std::string name;
  std::optional<DisplayVariable> display;
};

TEST_F(OnADisplay, TheMainWindowShowsAndClosingItEndsTheProgram) {
  std::string cls;
  std::thread user([&] {
    testsupport::DisplayUser u(name);
    // Titled by the script once the program knows its size.
    const Window w = u.window("demo.ost");
    cls = u.window_class(w);
    u.ready(w);
    u.close(w);
    u.gone(w, "the main window to go after the window manager's close");
  });
  std::string err;
  const int status = run_caught("x=1 demo.ost", err);
  user.join();
  EXPECT_EQ(cls, "fenstra_MAIN_CLASS");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
}

TEST_F(OnADisplay, AltF4EndsTheProgramWith0) {
  std::thread user([&] {
    testsupport::DisplayUser u(name);
    const Window w = u.window("keys.ost");
    u.focus(w);
    u.key(w, {XK_Alt_L}, XK_F4, false);
    u.gone(w, "the main window to go after Alt+F4");
  });
  std::string err;
  const int status = run_caught("keys.ost", err);
  user.join();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
}

// The program's event routine, followed by its paint and a look at the
// display: the largest share of the start screen's yellow that the main
// window showed after an event (the start screen comes with the first
// one, and goes with the next).
Display* looker = nullptr;
double startyellow = 0;
int watched(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam) {
  const int result = ide::FE_CONTROL(code, window, wparam, lparam);
  plat::x11::Backend* b = plat::x11::current();
  if (startyellow < 0.05 && b != nullptr && toolkit::MAIN_WINDOW() != nullptr) {
    win::UpdateWindow(toolkit::MAIN_WINDOW());  // the paint the event asked for
    b->flush();
    XSync(b->display(), False);
    startyellow = std::max(
        startyellow,
        testsupport::screenshot(looker, b->xid_of(toolkit::MAIN_WINDOW()), "ide_start", 0xFFFF00));
  }
  return result;
}

TEST_F(OnADisplay, TheIdeShowsItsStartScreenThenTheLastScriptAndAltF4EndsIt) {
  testsupport::HomeFolders home;
  testsupport::TempDir dir;
  // The last script used, as the setup file names it, is a copy of the
  // introduction in the test's own folder.
  const std::string script = dir.file("introduction.ost");
  std::filesystem::copy_file(testsupport::source_dir() / "examples" / "introduction.ost", script);
  std::filesystem::create_directories(home.config() / "ostrel");
  testsupport::write_file(home.config() / "ostrel" / "Ostrel-setup.dat",
                          "0L " + (testsupport::source_dir() / "data" / "Ostrel.hlp").string() +
                              "\r\nxA,1,0,\r\n" + script +
                              ",Fixedsys,  0.,9,400,0,0,2000,0,8000,256,64000,0,0,640,480,1,\r\n");
  const std::filesystem::path folder = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  looker = XOpenDisplay(name.c_str());
  ASSERT_NE(looker, nullptr);
  startyellow = 0;
  exec::reset_all();  // as in a process of its own: no editor words of an earlier run
  std::thread user([&] {
    testsupport::DisplayUser u(name);
    const Window w = u.window("introduction.ost (" + dir.path().string() + "/)");
    u.focus(w);  // the editor waits for keys
    u.key(w, {XK_Alt_L}, XK_F4, false);
    u.gone(w, "the main window to go after Alt+F4");
  });
  int status = -1;
  {
    CaughtStderr caught;
    ASSERT_EQ(plat::use_display(), "");
    ide::reset_ide();
    ide::install_application();
    toolkit::application.FE_CONTROL = watched;
    toolkit::WinMain(toolkit::GET_MODULE_HANDLE(), nullptr, "", win::SW_SHOWNORMAL);
    plat::close_display();
    status = ide::exitstatus;
    user.join();
    EXPECT_EQ(caught.text(), "");
  }
  XCloseDisplay(looker);
  std::filesystem::current_path(folder);
  EXPECT_GT(startyellow, 0.05) << "the start screen did not show on the display";
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("introduction.ost.tmp")))
      << "the working copy is left";
}

// On the display the editor takes typed keys: a line is changed at its
// end, compiled when left, and Ctrl+S saves the script (answered Yes)
// before Alt+F4.
TEST_F(OnADisplay, TheEditorTakesTypedLinesAndSavesThem) {
  testsupport::TempDir dir;
  const std::string script = dir.file("typed.ost");
  testsupport::write_file(script, "X = 1\r\nEND\r\n");
  exec::reset_all();  // as in a process of its own: no editor words of an earlier run
  std::thread user([&] {
    testsupport::DisplayUser u(name);
    const Window w = u.window("typed.ost (" + dir.path().string() + "/)");
    u.focus(w);  // the editor waits for keys
    u.key(w, {}, XK_End);
    for (const KeySym k : {XK_space, XK_minus, XK_space, XK_3}) u.key(w, {}, k);
    u.key(w, {}, XK_Down);
    // The question comes in a box of its own, and the editor waits for it.
    u.key(w, {XK_Control_L}, XK_s, false);
    const Window box = u.window([&](const std::string& t) { return t != u.title(w); },
                                "the question whether to save");
    u.key(w, {}, XK_Return);  // "Save the changes?": Yes (the box has the focus)
    u.gone(box, "the question to go after Return");
    testsupport::screenshot(u.display(), w, "ide_editor", 0);
    u.key(w, {XK_Alt_L}, XK_F4, false);
    u.gone(w, "the main window to go after Alt+F4");
  });
  std::string err;
  const int status = run_caught("\"" + script + "\"", err);
  user.join();
  plat::reset_windows();  // the message box's icon, kept drawn until now
  EXPECT_EQ(status, 0);
  EXPECT_EQ(testsupport::read_file(script), "X = 1 - 3\r\nEND\r\n");
  EXPECT_NE(err.find("Save the changes?"), std::string::npos) << err;
  EXPECT_NE(err.find("-> Yes"), std::string::npos) << err;
}

}  // namespace
