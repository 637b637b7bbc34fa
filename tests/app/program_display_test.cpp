// The program itself on the test program's Xvfb, as a user starts it from
// a terminal: "ostrel script.ost" in a process of its own, with its own
// HOME and XDG folders, while this test plays the user on a connection of
// its own. It types each key only when the program waits for it, and waits
// for each window it needs, every wait bounded.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/display_user.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

namespace {

namespace fs = std::filesystem;
using testsupport::DisplayUser;
using testsupport::read_file;
using testsupport::write_file;

constexpr int kRunLimit = 55;  // seconds the program may live

class ProgramOnADisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    display = testsupport::xvfb_display(&why);
    ASSERT_FALSE(display.empty()) << why;
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  // Starts the program on the script in the test's folder; the leak
  // checker of the sanitised build looks at what is left at its end.
  void start(const std::string& script) {
    const std::string errfile = logs.file("err");
    pid = fork();
    if (pid == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME",
                            "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        setenv(v, dir.path().c_str(), 1);
      setenv("DISPLAY", display.c_str(), 1);
      std::string asan = "detect_leaks=1";
      if (const char* old = std::getenv("ASAN_OPTIONS")) asan = std::string(old) + ":" + asan;
      setenv("ASAN_OPTIONS", asan.c_str(), 1);
      alarm(kRunLimit);
      dup2(open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      execl(OSTREL_BINARY, OSTREL_BINARY, script.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  // Waits for the program's end; its exit status (128 + the signal).
  int finish() {
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    err = read_file(logs.path() / "err");
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
      err += "(the program did not end within " + std::to_string(kRunLimit) + " seconds)\n";
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  testsupport::TempDir dir, logs;
  std::string display, err;
  pid_t pid = -1;
};

// A question box with its icon, answered; then the program ends with
// nothing of the icon's drawing left behind.
TEST_F(ProgramOnADisplay, AQuestionBoxShownLeavesNothingBehindAtTheEnd) {
  write_file(dir.file("s.ost"), "X = 1\r\nEND\r\n");
  start("s.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("s.ost");
    u.focus(main);
    u.key(main, {XK_Control_L}, XK_Home);
    u.key(main, {}, XK_End);
    u.key(main, {}, XK_1);
    u.key(main, {XK_Control_L}, XK_s, false);
    const Window box = u.window([](const std::string& t) { return t == "s.ost"; },
                                "the question whether to save the changes", main);
    u.ready(box, false);
    u.key(main, {}, XK_Return, false);
    u.gone(box, "the question to go after Return");
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(err.find("LeakSanitizer"), std::string::npos) << err;
  EXPECT_EQ(read_file(dir.path() / "s.ost"), "X = 11\r\nEND\r\n");
}

// The values a script wrote into "v.txt" before it ended.
const char* kWriteValues =
    "CHARACTER F*8\r\nF = 'v.txt'\r\nOPEN(FIle=F, RePLace)\r\nWRITE(FIle=F, CLoSe=1) ";

// WRITE(TitleBar) renames the window that WINdowhandle names, and without
// one the main window: the display shows the new titles.
TEST_F(ProgramOnADisplay, WriteToTheTitleBarRenamesTheWindowsOnTheDisplay) {
  write_file(dir.file("t.ost"),
             "WINDOW(WINdowhandle=H, Width=-300, Height=-200, TItle='first')\r\n"
             "WRITE(TitleBar, WINdowhandle=H) 'renamed child'\r\n"
             "WRITE(TitleBar) 'renamed main'\r\nEND\r\n");
  start("t.ost");
  std::string child;
  {
    DisplayUser u(display);
    const Window main = u.window("t.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    child = u.title(u.window("renamed child"));
    u.window("renamed main");
    u.ready(main, false);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(child, "renamed child");
  EXPECT_EQ(finish(), 0) << err;
}

// A READ from a child window waits while the user edits the shown value on
// the display; Enter completes the line and the run goes on at the READ
// with the typed number.
TEST_F(ProgramOnADisplay, ALineTypedIntoAWindowReadReachesItsVariable) {
  write_file(dir.file("r.ost"),
             std::string("X = 3.5\r\nWINDOW(WINdowhandle=H, Width=-300, Height=-200, "
                         "TItle='reader')\r\nREAD(WINdowhandle=H, Format='F6.2', Recrow=2, "
                         "Column=3) X\r\n") +
                 kWriteValues + "X\r\nEND\r\n");
  start("r.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("r.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    const Window reader = u.window("reader");
    u.ready(main);
    u.key(main, {}, XK_Home);
    for (int i = 0; i < 4; ++i) u.key(main, {}, XK_Delete);
    for (const KeySym k : {XK_4, XK_2, XK_period, XK_2, XK_5}) u.key(main, {}, k);
    u.key(main, {}, XK_Return, false);
    u.ready(main);
    testsupport::screenshot(u.display(), main, "read_main", 0);
    testsupport::screenshot(u.display(), reader, "read_child", 0);
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(read_file(dir.path() / "v.txt"), "42.25\r\n");
}

}  // namespace
