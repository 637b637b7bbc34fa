// COM against pseudo-terminals: the slave is the script's port, the test
// plays the device on the master (or a child process does) and reads the
// line settings back.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/kompil.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/postfix.h"
#include "exec/windowless.h"
#include "exec/windowlist.h"
#include "exec/xeq.h"
#include "ide/panlio.h"
#include "io/comio.h"
#include "platform/win_comm.h"
#include "platform/win_gdi.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "support/run_open.h"
#include "tests/io/script_folder.h"

namespace {

struct Pty {
  Pty() {
    char n[128];
    if (openpty(&master, &slave, n, nullptr, nullptr) != 0) return;
    name = n;
    // Raw from the start, so that bytes put in before the port opens stay
    // as they are.
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
  }
  ~Pty() {
    close(master);
    close(slave);
  }
  int master = -1, slave = -1;
  std::string name;
};

// A device in a child process, working on the master until it returns or
// the test ends.
class Peer {
 public:
  template <class Body>
  explicit Peer(Body body) : pid_(fork()) {
    if (pid_ == 0) {
      body();
      _exit(0);
    }
  }
  ~Peer() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_;
};

class ComPort : public iotest::ScriptFolder {
 protected:
  void SetUp() override {
    ScriptFolder::SetUp();
    io::reset_comio();
    ASSERT_FALSE(pty.name.empty());
    ports("1=" + pty.name);
  }
  void TearDown() override {
    ide::install_inputstep();
    io::reset_comio();
    unsetenv("OSTREL_COMPORTS");
    ScriptFolder::TearDown();
  }
  static void ports(const std::string& map) { setenv("OSTREL_COMPORTS", map.c_str(), 1); }
  void put(std::string_view bytes) const {
    ASSERT_EQ(write(pty.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the script has sent.
  std::string sent() const {
    std::string out;
    pollfd p{pty.master, POLLIN, 0};
    char buf[256];
    while (poll(&p, 1, 50) > 0) {
      const ssize_t n = read(pty.master, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
  }
  termios line() const {
    termios t{};
    tcgetattr(pty.master, &t);
    return t;
  }
  speed_t speed() const {
    const termios t = line();
    return cfgetospeed(&t);
  }
  static win::DCB state() {
    win::DCB d;
    d.ByteSize = 0;
    win::GetCommState(io::comports.handle(1), &d);
    return d;
  }

  Pty pty;
};

TEST_F(ComPort, LineSettingsReachTheDeviceOnlyWhenChanged) {
  EXPECT_EQ(run("R = COM(Comport=1, Bauds=19200, Parity='O', DataBits=7, StopBits=1.5, Send='a')\n"
                "END\n"),
            "R=0\nstop=-1\n");
  EXPECT_EQ(speed(), static_cast<speed_t>(B19200));
  EXPECT_EQ(line().c_cflag & (CSTOPB | PARODD | CMSPAR), static_cast<tcflag_t>(CSTOPB | PARODD));
  EXPECT_EQ(state().ByteSize, 7);
  EXPECT_EQ(state().Parity, win::ODDPARITY);
  EXPECT_EQ(state().StopBits, win::ONE5STOPBITS);
  // Another program changes the speed: a COM that changes nothing keeps it.
  termios t = line();
  cfsetspeed(&t, B1200);
  tcsetattr(pty.master, TCSANOW, &t);
  run("COM(Send='b')\nEND\n");
  EXPECT_EQ(speed(), static_cast<speed_t>(B1200));
  run("COM(StopBits=1, Send='c')\nEND\n");
  EXPECT_EQ(speed(), static_cast<speed_t>(B19200));
  EXPECT_EQ(line().c_cflag & CSTOPB, 0u);
  run("COM(StopBits=2, DataBits=5, Send='d')\nEND\n");
  EXPECT_NE(line().c_cflag & CSTOPB, 0u);
  EXPECT_EQ(state().ByteSize, 5);
  EXPECT_EQ(state().StopBits, win::TWOSTOPBITS);
  EXPECT_EQ(sent(), "abcd");
}

TEST_F(ComPort, EveryParityLetterAndTheSettingsALineCannotTake) {
  struct Letter {
    char c;
    win::BYTE parity;
    tcflag_t bits;  // what a pseudo-terminal keeps of them
  };
  const Letter letters[] = {
      {'N', 0, 0},      {'n', 0, 0},     {'O', 1, PARODD},          {'o', 1, PARODD},
      {'E', 2, 0},      {'e', 2, 0},     {'M', 3, CMSPAR | PARODD}, {'m', 3, CMSPAR | PARODD},
      {'S', 4, CMSPAR}, {'s', 4, CMSPAR}};
  for (const Letter& l : letters) {
    SCOPED_TRACE(l.c);
    io::reset_comio();
    EXPECT_EQ(run(std::string("COM(Comport=1, Parity='") + l.c + "', Send='x')\nEND\n"),
              "stop=-1\n");
    EXPECT_EQ(state().Parity, l.parity);
    EXPECT_EQ(line().c_cflag & (PARODD | CMSPAR), l.bits);
  }
  for (const char* bad : {"Parity='X'", "Bauds=12345", "DataBits=4", "DataBits=9", "DataBits=261",
                          "StopBits=0.5", "StopBits=2.5"}) {
    SCOPED_TRACE(bad);
    io::reset_comio();
    EXPECT_EQ(run(std::string("COM(Comport=1, ") + bad + ", Send='x')\nEND\n"),
              "stop=32767 line=1 key=COMopenMode\n");
  }
  EXPECT_EQ(sent(), "xxxxxxxxxx");
}

TEST_F(ComPort, RefusedDevicesAndAnEndThatHasGone) {
  ports("1=" + pty.name + ";2=" + pty.name + ";3=/dev/null");
  EXPECT_EQ(run("A = COM(Comport=1, Send='a')\n"
                "B = COM(OnErroritem=-1, Comport=2, Send='b')\n"
                "C = COM(Comport=1, Send='c')\n"
                "END\n"),
            "A=0\nB=3\nC=0\nstop=-1\n");
  EXPECT_EQ(sent(), "ac");
  close(pty.master);
  pty.master = -1;
  EXPECT_EQ(run("COM(Send='d')\nEND\n"), "stop=32767 line=1 key=COMput\n");
  EXPECT_EQ(run("COM(Comport=3, Send='e')\nEND\n"), "stop=32767 line=1 key=COMopenMode\n");
}

TEST_F(ComPort, TheThirtyThirdPortFindsNoSlot) {
  std::vector<std::unique_ptr<Pty>> more;
  std::string map = "1=" + pty.name;
  for (int n = 2; n <= 33; ++n) {
    more.push_back(std::make_unique<Pty>());
    map += ";" + std::to_string(n) + "=" + more.back()->name;
  }
  ports(map);
  EXPECT_EQ(run("DO I = 1, 32\n"
                "  COM(Comport=I, Send='x')\n"
                "ENDDO\n"
                "COM(Comport=33, Send='x')\n"
                "END\n"),
            "I=33\nstop=32767 line=4 key=COMtoomanyPorts\n");
}

TEST_F(ComPort, SendsTextsNumbersDoublesAndChecksums) {
  EXPECT_EQ(run("COM(Comport=1, Echo=5, Send='AB', Send=13, Lastchar='x', Send='wxyz')\n"
                "COM(LastcharX='y', Send='uvyz', DouBLe=16, Send=16, Send=16)\n"
                "COM(ChecksumBits=8, Send=240, Send=32, ChecksumVal=S8, CheckSum)\n"
                "COM(ChecksumBits=0, Send=240, Send=32, ChecksumVal=S0, CheckSum)\n"
                "COM(ChecksumBits=9, Send=240, Send=32, ChecksumVal=S9)\n"
                "END\n"),
            "S8=16\nS0=208\nS9=16\nstop=-1\n");
  EXPECT_EQ(sent(), "AB\rwxuv\x10\x10\x10\xF0\x20\x10\xF0\x20\xD0\xF0\x20");
}

// The traffic shown in a child window: sent bytes dark on light, received
// ones light on dark, one after another on a line and on the next line
// once a line is full.
TEST_F(ComPort, EchoShowsTheTrafficInAChildWindow) {
  Peer device([&] {
    char c = 0;
    while (c != 'B')
      if (read(pty.master, &c, 1) != 1) return;
    if (write(pty.master, "xy;", 3) != 3) return;
    pause();  // keeps its end open until the test ends it
  });
  plot::reset_fontslots();  // an earlier run's fonts went with its drawing objects
  const std::string out = testsupport::run_open(
      "CHARACTER T*3\n"
      "WINDOW(WINdowhandle=H, Width=-300, Height=-200, FONt=4)\n"
      "COM(Comport=1, Timeout=2000, Echo=H, Send='AB', Lastchar=';', Receive=T)\n"
      "END\n");
  ASSERT_EQ(out.substr(0, out.find('\n')), "T='xy;'") << out;
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n") << out;
  std::int32_t h = 0;
  ASSERT_TRUE(core::FINDSN("H", h, 0x80));
  const auto handle = win::handle_from<win::HWND>(static_cast<std::uint32_t>(core::z(h)));
  exec::wdwrec* r = exec::wdwhead;
  while (r != nullptr && r->window != handle) r = r->next;
  ASSERT_NE(r, nullptr);
  const int cw = plot::fontslots(r->fontslot).cellwidth;
  const int ch = plot::fontslots(r->fontslot).cellheight;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, r->bitmap);
  const win::COLORREF light = win::GetPixel(dc, 0, 3 * ch);
  // The cells of the first line: what share of each is not the window's own.
  std::string row;
  for (int c = 0; c < 8; ++c) {
    int ink = 0;
    for (int y = 0; y < ch; ++y)
      for (int x = c * cw; x < (c + 1) * cw; ++x) ink += win::GetPixel(dc, x, y) != light ? 1 : 0;
    row += ink == 0 ? '.' : ink > cw * ch / 2 ? '#' : '+';
  }
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  exec::CLOSEWINDOWLESS();
  EXPECT_EQ(row, "++###...") << "A and B as glyphs, x y ; on the dark ground";
}

TEST_F(ComPort, ReceivesUntilTheLastCharacterOrUntilNothingCame) {
  put("ab;cd;ef");
  EXPECT_EQ(run("CHARACTER T*5, U*5, V*5\n"
                "V = 'VVVVV'\n"
                "COM(Comport=1, Timeout=200, Lastchar=';', Receive=T)\n"
                "COM(LastcharX=';', Receive=U)\n"
                "COM(Timeout=0, Receive=V)\n"
                "END\n"),
            "T='ab;  '\nU='cd   '\nV='efVVV'\nstop=32767 line=5 key=COMread\n");
  put("\x10\x10"
      "B\x10"
      "C");
  EXPECT_EQ(run("CHARACTER W*2, X*2\n"
                "COM(Timeout=100, DouBLe=16, Receive=W)\n"
                "COM(DouBLe=16, Receive=X)\n"
                "END\n"),
            "W='\x10"
            "B'\nX='  '\nstop=32767 line=3 key=COMdubl\n");
}

TEST_F(ComPort, InputWaitingBeforeASendIsTakenOrStopsIt) {
  put("!");
  EXPECT_EQ(run("CHARACTER E*2, C*2, T*2\n"
                "R = COM(Comport=1, OnErroritem=-1, ExitOnInput=E, Send='hello')\n"
                "COM(Send='x')\n"
                "END\n"),
            "E='! '\nC='  '\nT='  '\nR=4\nstop=-1\n");
  put("pqr");
  EXPECT_EQ(run("CHARACTER C*2, T*2\n"
                "R = COM(IgnoreInput=C, Timeout=0, OnErroritem=-1, Receive=T)\n"
                "END\n"),
            "C='r '\nT='  '\nR=4\nstop=-1\n");
  EXPECT_EQ(sent(), "x");
}

TEST_F(ComPort, AReceivedChecksumIsCheckedAgainstTheBytesBeforeIt) {
  put("\xF0\x20\x10");
  EXPECT_EQ(run("CHARACTER K*3\n"
                "COM(Comport=1, Timeout=100, ChecksumBits=8, Receive=K, CheckSum, ChecksumVal=S)\n"
                "END\n"),
            "K='\xF0 \x10'\nS=32\nstop=-1\n");
  put("\xF0\x20\x11");
  EXPECT_EQ(run("CHARACTER K*3\n"
                "COM(ChecksumBits=8, Receive=K, CheckSum)\n"
                "END\n"),
            "K='\xF0 \x11'\nstop=32767 line=2 key=COMchksum\n");
}

TEST_F(ComPort, WaitsForBitsOrForOneByte) {
  put("a\x81xyzK");
  EXPECT_EQ(run("W = COM(Comport=1, Timeout=200, WaitBIts=128)\n"
                "V = COM(Waitbyte='K')\n"
                "X = COM(Timeout=20, WaitBIts=1)\n"
                "END\n"),
            "W=129\nV=0\nX=0\nstop=32767 line=3 key=COMbits\n");
  EXPECT_EQ(run("COM(Timeout=20, Waitbyte='K')\nEND\n"), "stop=32767 line=1 key=COMread\n");
}

TEST_F(ComPort, AWaitWhileOtherBytesKeepComingEndsInCOMwait) {
  // 'O' has every bit of 'K' but is not it; 'a' has not.
  for (const char other : {'O', 'a'}) {
    SCOPED_TRACE(other);
    // One byte is there before the wait starts, however late the device
    // thread comes to run on a loaded machine.
    ASSERT_EQ(write(pty.master, &other, 1), 1);
    Peer peer([&] {
      for (int i = 0; i < 2000; ++i) {
        if (write(pty.master, &other, 1) != 1) return;
        usleep(2000);
      }
    });
    EXPECT_EQ(run("COM(Comport=1, Timeout=80, Waitbyte='K')\nEND\n"),
              "stop=32767 line=1 key=COMwait\n");
  }
}

TEST_F(ComPort, AScriptTalksToADeviceOnTheOtherEnd) {
  Peer device([&] {
    std::string asked;
    char c = 0;
    while (asked.size() < 16 && read(pty.master, &c, 1) == 1) {
      asked += c;
      if (c == '?') break;
    }
    const std::string answer = asked == "*IDN?" ? "OSTREL,1\n" : "what?\n";
    if (write(pty.master, answer.data(), answer.size()) < 0) return;
    pause();  // keeps its end open until the test ends it
  });
  EXPECT_EQ(run("CHARACTER ANSWER*10\n"
                "COM(Comport=1, Bauds=9600, Parity='N', DataBits=8, StopBits=1, Timeout=2000)\n"
                "COM(Send='*IDN?', LastcharX=10, Receive=ANSWER)\n"
                "END\n"),
            "ANSWER='OSTREL,1  '\nstop=-1\n");
}

// The input step of a retry: the first pass brings the missing bytes, the
// second an Escape.
int retrypasses = 0;
int retrymaster = -1;
void retrystep() {
  if (core::msgkey.trimmed() == "COMread") {
    if (++retrypasses == 1) {
      if (write(retrymaster, "cd", 2) != 2) return;
    } else {
      core::keyrec = {27, 1, 0, 1};  // Escape, as the key reader records it
    }
  }
  ide::PANLIOSTEP();
}

TEST_F(ComPort, ARetryRunsTheInputStepUntilEscape) {
  put("ab");
  retrypasses = 0;
  retrymaster = pty.master;
  exec::PANLIOSTEP = retrystep;
  EXPECT_EQ(run("CHARACTER T*4\n"
                "R = COM(Comport=1, Timeout=20, OnErroritem=4, Receive=T)\n"
                "END\n"),
            "T='cd  '\nR=0\nstop=-4 key=COMcanceled\n");
  EXPECT_EQ(retrypasses, 2);
}

// An alarm that falls due during a retry ends the statement without a
// message; the run goes on and the alarm's subroutine runs before the next
// statement (the run used to end there, and the alarm was lost).
int alarmpasses = 0;
TEST_F(ComPort, AnAlarmDuringARetryEndsTheStatementAndRunsItsSubroutine) {
  alarmpasses = 0;
  exec::PANLIOSTEP = [] {
    if (core::msgkey.trimmed() == "COMread") {
      if (++alarmpasses == 1) {
        // Alarm 2 falls due now.
        exec::alarmtime(2) = 0.0F;
        exec::alarmnext = 0;
        const std::int32_t zero = 0;
        exec::CHKALA(zero);
      } else {
        core::keyrec = {27, 1, 0, 1};  // the retry went on: Escape ends it
      }
    }
    ide::PANLIOSTEP();
  };
  // As a statement, and as a value to assign (which the alarm leaves as
  // it was).
  for (const char* com : {"COM(", "R = COM("}) {
    alarmpasses = 0;
    EXPECT_EQ(run(std::string("CHARACTER T*4\nA = 0\nR = 5\n") + com +
                  "Comport=1, Timeout=0, OnErroritem=4, Receive=T)\n"
                  "S = A + 1\n"
                  "END\n"
                  "SUBROUTINE F2\n"
                  "  A = 1\n"
                  "END\n"),
              "T='    '\nA=1\nR=5\nS=2\nstop=-1\n")
        << com;
    EXPECT_EQ(alarmpasses, 1);
  }
}

}  // namespace
