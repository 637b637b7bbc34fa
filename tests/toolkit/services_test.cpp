// The system services: raw files, serial-port modes, listings, file times,
// the environment, processes, the clipboard with its sources, commands.
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/file_units.h"
#include "platform/win_clipboard.h"
#include "support/test_support.h"
#include "toolkit/services.h"
#include "toolkit/window_proc.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using testsupport::read_file;
using testsupport::write_file;
using tktest::ToolkitTest;

class Services : public ToolkitTest {
 protected:
  void TearDown() override {
    plat::reset_file_units();
    ToolkitTest::TearDown();
  }
  std::string file(const std::string& name) { return dir.file(name); }
  testsupport::TempDir dir;
};

int length(const std::string& s) { return static_cast<int>(s.size()); }

TEST_F(Services, RawReadsBlankTheRestOfTheBuffer) {
  const std::string f = file("abc.bin");
  write_file(f, "abc");
  int ups = -1;
  const win::HANDLE h =
      FE_OPEN_FILE(f.c_str(), length(f), nullptr, nullptr, nullptr, nullptr, &ups);
  ASSERT_NE(h, nullptr);
  char buf[10] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  int got = -1;
  EXPECT_EQ(FE_READ_FILE(h, buf, 10, &got, &ups), 3);
  EXPECT_EQ(got, 3);
  EXPECT_EQ(std::string(buf, 10), "abc       ");
  EXPECT_EQ(FE_WRITE_FILE(h, "de", 2, &got, &ups), 2);
  FE_CLOSE_FILE(h, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(read_file(f), "abcde");
  FE_CLOSE_FILE(h, &ups);
  EXPECT_NE(ups, 0);
  EXPECT_EQ(FE_OPEN_FILE("nofile", 6, nullptr, nullptr, nullptr, nullptr, &ups), nullptr);
  EXPECT_EQ(ups, 2);
}

TEST_F(Services, ACommModeChangesOnlyTheGivenFields) {
  int master = -1, slave = -1;
  char name[128];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  setenv("OSTREL_COMPORTS", ("4=" + std::string(name)).c_str(), 1);
  const win::HANDLE port =
      FE_OPEN_FILE("\\\\.\\COM4", 8, nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(port, nullptr);
  const int baud = 2400, odd = 1, seven = 7, two = 2;
  int ups = -1;
  SET_COMM_MODE(port, &baud, &odd, &seven, &two, &ups);
  EXPECT_EQ(ups, 0);
  const int fast = 57600;
  SET_COMM_MODE(port, &fast, nullptr, nullptr, nullptr, &ups);
  win::DCB d;
  win::GetCommState(port, &d);
  EXPECT_EQ(d.BaudRate, 57600u);
  EXPECT_EQ(d.Parity, 1);
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.StopBits, 2);
  termios t{};
  tcgetattr(slave, &t);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
  const int bad = 12345;
  SET_COMM_MODE(port, &bad, nullptr, nullptr, nullptr, &ups);
  EXPECT_NE(ups, 0);
  const win::COMMTIMEOUTS at_once{win::MAXDWORD, 0, 0, 0, 0};
  SET_COMM_TIMEOUT(port, at_once, &ups);
  EXPECT_EQ(ups, 0);
  FE_CLOSE_FILE(port, nullptr);
  unsetenv("OSTREL_COMPORTS");
  close(master);
  close(slave);
}

TEST_F(Services, ListingsGrowByTenAndNoMatchIsNoFailure) {
  int ups = -1;
  directory_listing listing;
  const std::string none = file("*.none");
  EXPECT_EQ(LIST_DIRECTORY(none.c_str(), length(none), listing, &ups), 0);
  EXPECT_EQ(ups, 0);
  FREE_DIRECTORY_LIST(listing);
  for (int i = 0; i < 11; ++i) write_file(file("f" + std::to_string(i + 10) + ".txt"), "12345");
  const std::string all = file("*.txt");
  EXPECT_EQ(LIST_DIRECTORY(all.c_str(), length(all), listing, &ups), 11);
  EXPECT_EQ(listing.capacity, 20);
  directory_record records[11];
  CONVERT_DIRECTORY_LIST(records, 11, &ups, listing);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(std::string(records[10].name, 8), "f20.txt ");
  EXPECT_EQ(records[0].size_low, 5);
  EXPECT_EQ(records[0].write.year >= 2024, true);
  FREE_DIRECTORY_LIST(listing);
  const std::string missing = file("no/*.txt");
  EXPECT_EQ(LIST_DIRECTORY(missing.c_str(), length(missing), listing, &ups), 0);
  EXPECT_EQ(ups, 3);
  EXPECT_EQ(listing.entries, nullptr);
}

TEST_F(Services, FileTimesAreLocalWithTheirOffset) {
  const std::string f = file("t.txt");
  write_file(f, "x");
  date_time_record when{2021, 7, 4, 0, 13, 14, 15, 160};
  int ups = -1;
  SET_FILE_TIME(f.c_str(), length(f), nullptr, nullptr, &when, &ups);
  EXPECT_EQ(ups, 0);
  date_time_record back;
  GET_FILE_TIME(f.c_str(), length(f), nullptr, nullptr, &back, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(back.year, 2021);
  EXPECT_EQ(back.hour, 13);
  EXPECT_EQ(back.millisecond, 160);
  std::tm local{};
  local.tm_year = 121;
  local.tm_mon = 6;
  local.tm_mday = 4;
  local.tm_hour = 13;
  local.tm_isdst = -1;
  std::mktime(&local);
  EXPECT_EQ(back.offset, local.tm_gmtoff / 60);
  // A date that is none changes nothing and names the time.
  date_time_record wrong = when;
  wrong.month = 13;
  SET_FILE_TIME(f.c_str(), length(f), nullptr, nullptr, &wrong, &ups);
  EXPECT_NE(ups, 0);
  GET_FILE_TIME(f.c_str(), length(f), nullptr, nullptr, &back, &ups);
  EXPECT_EQ(back.month, 7);
  const std::string gone = file("gone");
  SET_FILE_TIME(gone.c_str(), length(gone), nullptr, nullptr, &when, &ups);
  EXPECT_EQ(ups, 2);
  GET_FILE_TIME(gone.c_str(), length(gone), nullptr, nullptr, &back, &ups);
  EXPECT_EQ(ups, 2);
}

TEST_F(Services, EnvironmentValuesAreBlankPaddedOrRefused) {
  SET_ENVIRONMENT_VARIABLE("OSTREL_SVC", 10, "value  ", 7, nullptr);
  char text[6];
  int ups = -1;
  GET_ENVIRONMENT_VARIABLE("OSTREL_SVC", 10, text, 6, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(std::string(text, 6), "value ");
  GET_ENVIRONMENT_VARIABLE("OSTREL_SVC", 10, text, 4, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(std::string(text, 4), "    ");
  SET_ENVIRONMENT_VARIABLE("OSTREL_SVC", 10, nullptr, 0, &ups);
  EXPECT_EQ(std::getenv("OSTREL_SVC"), nullptr);
  GET_ENVIRONMENT_VARIABLE("OSTREL_SVC", 10, text, 6, &ups);
  EXPECT_EQ(ups, 0x10000);
}

TEST_F(Services, AWaitedProcessHasEndedAndTemporaryNamesAreNew) {
  const std::string out = file("done.txt");
  const std::string line = "sh -c \"sleep 0.2; echo ok > '" + out + "'\"";
  const int wait = 1;
  int ups = -1;
  EXPECT_EQ(SPAWN_PROCESS(line.c_str(), length(line), &wait, &ups), -1);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(read_file(out), "ok\n");
  EXPECT_EQ(SPAWN_PROCESS("no-such-program", 15, &wait, &ups), 0);
  EXPECT_EQ(ups, 2);
  char name[300];
  setenv("TMPDIR", dir.path().c_str(), 1);
  GET_TEMP_FILE_NAME(name, sizeof name, "ost", 3, &ups);
  unsetenv("TMPDIR");
  const std::string made =
      std::string(name, sizeof name).substr(0, std::string(name, sizeof name).find(' '));
  EXPECT_EQ(std::filesystem::path(made).filename().string().substr(0, 3), "ost");
  EXPECT_TRUE(std::filesystem::exists(made));
}

const std::string kFive = "line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\n";

TEST_F(Services, CopiesTakeTheRangeFromFilesUnitsAndScrollWindows) {
  const std::string f = file("five.txt");
  write_file(f, kFive);
  const int two = 2, three = 3, four = 4;
  int ups = -1;
  COPY_TO_CLIPBOARD(nullptr, 0, nullptr, nullptr, f.c_str(), length(f), nullptr, nullptr, nullptr,
                    &two, &three, &three, &four, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(plat::clipboard_text(), "ne 2\r\nline");
  // A unit is read from its start, and stays open.
  plat::UnitMode mode;
  mode.status = plat::UnitStatus::old_file;
  ASSERT_EQ(plat::open_unit(6970, f, mode), 0);
  std::string skipped;
  plat::read_record(6970, skipped);
  const int unit = 6970;
  COPY_TO_CLIPBOARD(nullptr, 0, nullptr, &unit, nullptr, 0, nullptr, nullptr, nullptr, &four,
                    nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(plat::clipboard_text(), "line 4\r\nline 5\r\n");
  EXPECT_TRUE(plat::unit_is_open(6970));
  // The lines of a window that shows the file.
  char cls[32];
  std::fill(cls, cls + sizeof cls, ' ');
  const int style = kStyleFile;
  const win::HWND w = CREATE_SECONDARY_WINDOW(
      "S", 1, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, &style, f.c_str(), length(f), nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const int one = 1, six = 6;
  COPY_TO_CLIPBOARD(nullptr, 0, nullptr, nullptr, nullptr, 0, &w, nullptr, nullptr, &two, &six,
                    &three, &one, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(plat::clipboard_text(), "2\r\nl");
  // A window that shows no file is refused.
  const win::HWND plain = tktest::make_secondary();
  COPY_TO_CLIPBOARD(nullptr, 0, nullptr, nullptr, nullptr, 0, &plain, nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  COPY_TO_CLIPBOARD("text   ", 7, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(plat::clipboard_text(), "text");
}

TEST_F(Services, PastesBecomeRecordsOfAUnitOrAPaddedText) {
  plat::set_clipboard_text("a\r\nb\rc\nd\r\r\n" + std::string(1030, 'x') + "\ne\n");
  const std::string f = file("paste.txt");
  std::string old;
  for (int i = 0; i < 300; ++i) old += "old ";
  write_file(f, old + "end");
  plat::UnitMode mode;
  ASSERT_EQ(plat::open_unit(6971, f, mode), 0);
  const int unit = 6971;
  int ups = -1;
  PASTE_FROM_CLIPBOARD(nullptr, 0, nullptr, &unit, nullptr, 0, nullptr, &ups);
  EXPECT_EQ(ups, 0);
  plat::close_unit(6971);
  EXPECT_EQ(read_file(f),
            "a\r\nb\r\nc\r\nd\r\n\r\n" + std::string(1024, 'x') + "\r\nxxxxxx\r\ne\r\n");
  char text[8];
  plat::set_clipboard_text("12345");
  PASTE_FROM_CLIPBOARD(text, 8, nullptr, nullptr, nullptr, 0, nullptr, &ups);
  EXPECT_EQ(std::string(text, 8), "12345   ");
  // A file given by name is written on the clipboard's own unit, closed after.
  const std::string named = file("named.txt");
  PASTE_FROM_CLIPBOARD(nullptr, 0, nullptr, nullptr, named.c_str(), length(named), nullptr, &ups);
  EXPECT_EQ(read_file(named), "12345\r\n");
  EXPECT_FALSE(plat::unit_is_open(kClipboardUnit));
  // A file that cannot be written is told, and a folder of its name stays.
  const std::string folder = file("folder.txt");
  std::filesystem::create_directory(folder);
  PASTE_FROM_CLIPBOARD(nullptr, 0, nullptr, nullptr, folder.c_str(), length(folder), nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  win::HGLOBAL none = nullptr;
  PASTE_FROM_CLIPBOARD(nullptr, 0, &none, nullptr, nullptr, 0, nullptr, &ups);
  EXPECT_EQ(none, nullptr);
  EXPECT_NE(ups, 0);
}

TEST_F(Services, PostedCommandsReachTheMainWindow) {
  tktest::make_main();
  tktest::control_answer = [](int) { return 1; };
  POST_COMMAND(kQuitCommand, nullptr);
  win::MSG msg;
  while (win::PeekMessageA(&msg, nullptr, 0, 0, win::PM_REMOVE)) win::DispatchMessageA(&msg);
  EXPECT_EQ(tktest::codes("control"), std::vector<int>{kQuitCommand});
  SEND_COMMAND(77, nullptr);
  EXPECT_EQ(tktest::codes("control").back(), 77);
}

}  // namespace
