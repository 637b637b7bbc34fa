// Serial ports over a pseudo-terminal, the environment and child processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/win_comm.h"
#include "platform/win_files.h"
#include "platform/win_last_error.h"
#include "platform/win_process.h"
#include "support/test_support.h"

namespace {

using namespace win;

// A pseudo-terminal whose slave is port 7.
class SerialPort : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    setenv("OSTREL_COMPORTS", ("3=/dev/null;7=" + std::string(name)).c_str(), 1);
  }
  void TearDown() override {
    unsetenv("OSTREL_COMPORTS");
    close(master);
    close(slave);
  }
  int master = -1, slave = -1;
};

HANDLE open_port(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(SerialPort, PortsAreFoundByNumberAndHeldExclusively) {
  HANDLE port = open_port("\\\\.\\com7");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(open_port("COM7"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  // A device that is no terminal opens, but has no line settings.
  HANDLE plain = open_port("\\\\.\\COM3");
  ASSERT_NE(plain, INVALID_HANDLE_VALUE);
  DCB d;
  EXPECT_FALSE(GetCommState(plain, &d));
  EXPECT_FALSE(SetCommState(plain, &d));
  CloseHandle(plain);
  CloseHandle(port);
  port = open_port("COM7");
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
}

TEST_F(SerialPort, StateReachesTheLineAndBadStatesChangeNothing) {
  HANDLE port = open_port("\\\\.\\COM7");
  DCB d;
  ASSERT_TRUE(GetCommState(port, &d));
  d.BaudRate = 19200;
  d.ByteSize = 7;
  d.Parity = MARKPARITY;
  d.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(SetCommState(port, &d));
  termios t{};
  tcgetattr(slave, &t);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
  EXPECT_EQ(t.c_cflag & (CMSPAR | PARODD | CSTOPB),
            static_cast<tcflag_t>(CMSPAR | PARODD | CSTOPB));
  DCB bad = d;
  bad.BaudRate = 12345;
  EXPECT_FALSE(SetCommState(port, &bad));
  bad = d;
  bad.StopBits = 3;
  EXPECT_FALSE(SetCommState(port, &bad));
  bad = d;
  bad.ByteSize = 9;
  EXPECT_FALSE(SetCommState(port, &bad));
  DCB now;
  GetCommState(port, &now);
  EXPECT_EQ(now.BaudRate, 19200u);
  EXPECT_EQ(now.ByteSize, 7);
  EXPECT_EQ(now.Parity, MARKPARITY);
  EXPECT_EQ(now.StopBits, TWOSTOPBITS);
  CloseHandle(port);
}

TEST_F(SerialPort, ReadsKeepToTheirTimeouts) {
  using Clock = std::chrono::steady_clock;
  HANDLE port = open_port("\\\\.\\COM7");
  char buf[8] = {};
  DWORD n = 99;
  COMMTIMEOUTS at_once{MAXDWORD, 0, 0, 0, 0};
  SetCommTimeouts(port, &at_once);
  EXPECT_TRUE(ReadFile(port, buf, 8, &n, nullptr));
  EXPECT_EQ(n, 0u);
  ASSERT_EQ(write(master, "ab", 2), 2);
  // Read at once until the bytes have come through the terminal (half a
  // minute at most).
  std::string came;
  for (const auto end = Clock::now() + std::chrono::seconds(30);
       came.size() < 2 && Clock::now() < end; std::this_thread::yield()) {
    EXPECT_TRUE(ReadFile(port, buf, 8, &n, nullptr));
    came.append(buf, n);
  }
  EXPECT_EQ(came, "ab");
  // A total of 80 ms: what came by then.
  COMMTIMEOUTS total{0, 0, 80, 0, 0};
  SetCommTimeouts(port, &total);
  ASSERT_EQ(write(master, "c", 1), 1);
  const auto start = Clock::now();
  EXPECT_TRUE(ReadFile(port, buf, 8, &n, nullptr));
  const auto took = Clock::now() - start;
  EXPECT_EQ(std::string(buf, n), "c");
  EXPECT_GE(took, std::chrono::milliseconds(75));
  // Enough bytes end the read before the time-out.
  ASSERT_EQ(write(master, "defg", 4), 4);
  EXPECT_TRUE(ReadFile(port, buf, 3, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "def");
  EXPECT_TRUE(WriteFile(port, "xyz", 3, &n, nullptr));
  char got[4] = {};
  pollfd written{master, POLLIN, 0};
  ASSERT_EQ(poll(&written, 1, 30000), 1) << "nothing came out of the port";
  EXPECT_EQ(read(master, got, 4), 3);
  EXPECT_EQ(std::string(got, 3), "xyz");
  CloseHandle(port);
}

TEST(Environment, ValuesSizesAndRemoval) {
  ASSERT_TRUE(SetEnvironmentVariableA("OSTREL_TEST_VAR", "caf\xE9"));
  EXPECT_STREQ(std::getenv("OSTREL_TEST_VAR"), "caf\xC3\xA9");
  char small[4];
  EXPECT_EQ(GetEnvironmentVariableA("OSTREL_TEST_VAR", small, sizeof small), 5u);
  char buf[8];
  EXPECT_EQ(GetEnvironmentVariableA("OSTREL_TEST_VAR", buf, 5), 4u);
  EXPECT_STREQ(buf, "caf\xE9");
  EXPECT_TRUE(SetEnvironmentVariableA("OSTREL_TEST_VAR", nullptr));
  EXPECT_EQ(GetEnvironmentVariableA("OSTREL_TEST_VAR", buf, 8), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
  EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
}

TEST(CommandLine, ClassicQuotingRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(plat::split_command_line("  prog  a\tb  "), (V{"prog", "a", "b"}));
  EXPECT_EQ(plat::split_command_line("\"C:\\my prog\\x.exe\" \"a b\" c"),
            (V{"C:\\my prog\\x.exe", "a b", "c"}));
  EXPECT_EQ(plat::split_command_line("p a\\\\\\\"b"), (V{"p", "a\\\"b"}));
  EXPECT_EQ(plat::split_command_line("p a\\\\\"b c\""), (V{"p", "a\\b c"}));
  EXPECT_EQ(plat::split_command_line("p a\\b\\\\c"), (V{"p", "a\\b\\\\c"}));
  EXPECT_EQ(plat::split_command_line("p \"a\"\"b\" \"\""), (V{"p", "a\"b", ""}));
  EXPECT_EQ(plat::split_command_line("p x\"y z\"w"), (V{"p", "xy zw"}));
  EXPECT_TRUE(plat::split_command_line("   ").empty());
}

TEST(Processes, WaitExitCodeTimeoutAndReaping) {
  char line[] = "sh -c \"exit 3\"";
  PROCESS_INFORMATION pi;
  ASSERT_TRUE(
      CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_EQ(WaitForSingleObject(pi.hThread, 0), WAIT_OBJECT_0);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);

  char slow[] = "sleep 5";
  ASSERT_TRUE(
      CreateProcessA(nullptr, slow, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30), WAIT_TIMEOUT);
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, STILL_ACTIVE);
  kill(static_cast<pid_t>(pi.dwProcessId), SIGTERM);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 128u + SIGTERM);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);

  // Nobody waits and the handles are closed at once: the child is reaped
  // all the same, no zombie stays.
  char quick[] = "true";
  ASSERT_TRUE(
      CreateProcessA(nullptr, quick, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  const std::string proc = "/proc/" + std::to_string(pi.dwProcessId);
  for (int i = 0; i < 3000 && access(proc.c_str(), F_OK) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(access(proc.c_str(), F_OK), 0) << "the child was not reaped within half a minute";

  char missing[] = "no-such-program-here x";
  EXPECT_FALSE(
      CreateProcessA(nullptr, missing, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Processes, TheChildRunsInTheGivenFolder) {
  testsupport::TempDir dir;
  char line[] = "sh -c \"pwd > here.txt\"";
  PROCESS_INFORMATION pi;
  const std::string folder = dir.path().string();
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                             nullptr, &pi));
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(testsupport::read_file(dir.path() / "here.txt"), folder + "\n");
}

}  // namespace
