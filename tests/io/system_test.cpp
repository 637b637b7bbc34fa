// SYSTEM from scripts: each message raised by its case, a failure ending
// the statement, waiting for programs or not, pauses, window measures and
// accented file names. Every child is bounded by `timeout` and waited for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_window.h"
#include "script_folder.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

class System : public iotest::ScriptFolder {
 protected:
  // The title and text of the last message shown.
  static std::string shown() {
    const auto& log = plat::message_box_log();
    return log.empty() ? "" : log.back().title + "|" + log.back().text;
  }
  // Waits (at most half a minute) for a file that a child makes.
  static bool appears(const fs::path& p) {
    for (int i = 0; i < 3000 && !fs::exists(p); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(p);
  }
};

TEST_F(System, EachMessageIsRaisedByItsCase) {
  write_file("a.txt", "abc");
  // A command of 128 + q characters.
  const auto command = [](int q) {
    const std::string n = std::to_string(q);
    return "CHARACTER P*128, Q*" + n + ", C*" + std::to_string(128 + q) + "\nP = 'true #" +
           std::string(122, 'x') + "'\nQ = '" + std::string(static_cast<std::size_t>(q), 'x') +
           "'\nC = P // Q\nSYSTEM(RUN=C)\n";
  };
  struct Case {
    std::string script, message;
  };
  const Case cases[] = {
      {"SYSTEM(CoMmand='timeout 10 sh -c \"exit 3\"')", "The command ended with an error."},
      {"SYSTEM(RUN='exit 3')", "The command ended with an error."},
      {"SYSTEM(RUN='no-such-program-here', WAIT=1)", "The command ended with an error."},
      {"SYSTEM(COPY='a.txt')", "The file could not be copied."},
      {"SYSTEM(COPY='missing.txt b.txt')", "The file could not be copied."},
      {"SYSTEM(DELETE='missing.txt')", "The file could not be deleted."},
      {"SYSTEM(FIle='a.txt', SetFileTime='2021x304050607.000')", "TIME error|"},
      {"SYSTEM(FIle='a.txt', SetFileTime='20211304050607.000')", "TIME error|"},
      {"CHARACTER G*20\nG = 'PATH'\nSYSTEM(GEteNV=G)", "GEteNV needs a text"},
      {"SYSTEM(sEteNV='=x')", "GEteNV needs a text"},
      {"CHARACTER F*8\nF = 'a.txt'\nOPEN(FIle=F, ReadOnly)\nSYSTEM(DIR='*', FIle=F)",
       "DIR needs a character variable."},
      {"SYSTEM(DIR='*', FIle='no/such/folder.lst')", "DIR needs a character variable."},
      {"SYSTEM(FIle='missing.txt', SetFileTime='20210304050607.000')",
       "The time of the file could not be set."},
      {command(129), "The command line is too long."},
      {"SYSTEM(SHell='missing.doc')", "Shell error|"},
      {"SYSTEM(WINdowhandle=12345)", "WINdowhandle names no window"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    plat::reset_message_boxes();
    EXPECT_NE(run(c.script + "\nEND\n").find("stop=32767"), std::string::npos);
    EXPECT_NE(shown().find(c.message), std::string::npos) << shown();
  }
  // One character less runs.
  EXPECT_NE(run(command(128) + "END\n").find("stop=-1"), std::string::npos);
}

TEST_F(System, TheFirstFailureEndsTheStatementAndTheRun) {
  write_file("keep.txt", "k");
  EXPECT_NE(run("SYSTEM(COPY='nothing', DELETE='keep.txt', sEteNV='OSTREL_LATE=1')\n"
                "AFTER = 1\nEND\n")
                .find("stop=32767"),
            std::string::npos);
  EXPECT_TRUE(fs::exists("keep.txt"));
  EXPECT_EQ(std::getenv("OSTREL_LATE"), nullptr);
}

// COPY replaces its target only with a whole copy: one that fails at the
// file-size limit stops the run (or, with ERror=, goes on at the label)
// and leaves the old target and no other file; a target that is a link
// gets the copy in the file it names.
TEST_F(System, ACopyThatFailsLeavesTheOldTargetWhole) {
  write_file("big.txt", std::string(1000, 'b'));
  write_file("t.txt", "old\r\n");
  const std::string report = testsupport::in_child([&] {
    if (!testsupport::limit_file_size(100)) return std::string("no limit set");
    const std::string out = run("SYSTEM(COPY='big.txt', COPYTO='t.txt')\nEND\n");
    std::string wrong;
    if (out.find("stop=32767") == std::string::npos) wrong += "the run went on: " + out;
    if (shown().find("The file could not be copied.") == std::string::npos)
      wrong += "no message: " + shown() + "\n";
    const std::string labelled =
        run("SYSTEM(COPY='big.txt', COPYTO='t.txt', ERror=1)\nA = 1\n1 B = 2\nEND\n");
    if (labelled != "A=0\nB=2\nstop=-1\n") wrong += "with a label: " + labelled;
    if (read_file("t.txt") != "old\r\n") wrong += "t.txt changed\n";
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(".")) ++n;
    if (n != 2) wrong += std::to_string(n) + " files in the folder\n";
    return wrong;
  });
  EXPECT_EQ(report, "");
  fs::create_symlink("real.txt", "link.txt");
  EXPECT_NE(run("SYSTEM(COPY='t.txt link.txt')\nEND\n").find("stop=-1"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink("link.txt"));
  EXPECT_EQ(read_file("real.txt"), "old\r\n");
}

// A listing replaces its file only whole: one that fails at the file-size
// limit stops the run and leaves the old file and no other (the file was
// emptied before the listing was made); a link gets the listing in the file
// it names.
TEST_F(System, AListingThatFailsLeavesTheOldFileWhole) {
  for (int i = 0; i < 20; ++i) write_file("entry" + std::to_string(100 + i) + ".dat", "x");
  write_file("list.txt", "old\r\n");
  const std::string report = testsupport::in_child([&] {
    if (!testsupport::limit_file_size(100)) return std::string("no limit set");
    const std::string out = run("SYSTEM(DIR='*.dat', FIle='list.txt', SORt=' N')\nEND\n");
    std::string wrong;
    if (out.find("stop=32767") == std::string::npos) wrong += "the run went on: " + out;
    if (read_file("list.txt") != "old\r\n") wrong += "list.txt changed\n";
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(".")) ++n;
    if (n != 21) wrong += std::to_string(n) + " files in the folder\n";
    return wrong;
  });
  EXPECT_EQ(report, "");
  fs::create_symlink("real.txt", "link.txt");
  EXPECT_NE(run("SYSTEM(DIR='entry100.*', FIle='link.txt', SORt=' N')\nEND\n").find("stop=-1"),
            std::string::npos);
  EXPECT_TRUE(fs::is_symlink("link.txt"));
  EXPECT_EQ(read_file("real.txt"), "\"entry100.dat\",\r\n");
}

TEST_F(System, WaitAsASwitchReturnsAtOnceWaitOneWaits) {
  const std::string child = "timeout 10 sh -c \"sleep 0.3; echo x > ";
  EXPECT_EQ(run("SYSTEM(RUN='" + child +
                "later.txt\"', WAIT)\n"
                "SYSTEM(FIle='later.txt', FileSize=NOW)\nEND\n"),
            "NOW=-1\nstop=-1\n");
  EXPECT_TRUE(appears("later.txt"));
  EXPECT_EQ(run("SYSTEM(RUN='" + child +
                "waited.txt\"', WAIT=1)\n"
                "SYSTEM(FIle='waited.txt', FileSize=NOW)\nEND\n"),
            "NOW=2\nstop=-1\n");
}

TEST_F(System, PausesOfWait) {
  using clock = std::chrono::steady_clock;
  const auto ms = [](clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  };
  auto start = clock::now();
  run("SYSTEM(WAIT=-250)\nEND\n");
  EXPECT_GE(ms(clock::now() - start), 250);
  start = clock::now();
  run("SYSTEM(WAIT)\nEND\n");
  EXPECT_GE(ms(clock::now() - start), 500);
}

TEST_F(System, MeasuresAWindowByItsHandle) {
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = win::DefWindowProcA;
  wc.lpszClassName = "SystemMeasured";
  win::RegisterClassA(&wc);
  const win::HWND w = win::CreateWindowExA(0, "SystemMeasured", "M", win::WS_OVERLAPPEDWINDOW, 60,
                                           50, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  const std::string h = std::to_string(win::handle_value(w));
  EXPECT_EQ(run("H = " + h +
                "\nSYSTEM(WINdowhandle=H, getXPixels=XP, getYPixels=YP, X0=X, Y0=Y, "
                "FullWidth=FW, FullHeight=FH)\nEND\n"),
            "H=" + h + "\nXP=300\nYP=180\nX=60\nY=50\nFW=300\nFH=200\nstop=-1\n");
  win::DestroyWindow(w);
}

// Names of the script's own text are UTF-8 on disk; a name that is no
// valid UTF-8 is listed with its bytes and reached by them again.
TEST_F(System, AccentedNamesAreListedOpenedAndRun) {
  write_file("caf\xc3\xa9.txt", "hello");
  write_file("na\xefve.txt", "ab");
  const std::string script =
      "CHARACTER A*10, B*10, T*10, U*10\n"
      "A = 'caf\xe9.txt'\n"
      "B = 'na\xefve.txt'\n"
      "N = SYSTEM(DIR='*.txt', FIle='names.lst', SORt=' N')\n"
      "OPEN(FIle=A)\nREAD(FIle=A, CLoSe=1) T\n"
      "OPEN(FIle=B)\nREAD(FIle=B, CLoSe=1) U\n"
      "SYSTEM(RUN='cat \"caf\xe9.txt\" > copy1.txt')\n"
      "SYSTEM(COPY=B, COPYTO='copy2.txt')\n"
      "SYSTEM(FIle=B, FileSize=NB)\n"
      "SYSTEM(DELETE=B)\n"
      "END\n";
  const std::string out = run(script);
  EXPECT_NE(out.find("N=2\n"), std::string::npos) << out;
  EXPECT_NE(out.find("T='hello     '"), std::string::npos) << out;
  EXPECT_NE(out.find("U='ab        '"), std::string::npos) << out;
  EXPECT_NE(out.find("NB=2\n"), std::string::npos) << out;
  EXPECT_EQ(read_file("names.lst"), "\"caf\xe9.txt\",\r\n\"na\xefve.txt\",\r\n");
  EXPECT_EQ(read_file("copy1.txt"), "hello");
  EXPECT_EQ(read_file("copy2.txt"), "ab");
  EXPECT_FALSE(fs::exists("na\xefve.txt"));
}

}  // namespace
