// TIME against the clock, the date-time pictures and the stopwatch, on the
// virtual clock.
#include <gtest/gtest.h>

#include <string>

#include "exec/optdispatch.h"
#include "exec/statusbar.h"
#include "io/timepicture.h"
#include "tests/io/time_script.h"

namespace {

class TimeClock : public iotest::ScriptRun {
 protected:
  void SetUp() override {
    ScriptRun::SetUp();
    plat::set_virtual_clock({2019, 1, 7, 60, 13, 45, 30, 250});
  }
  static std::string picture(std::string_view pic, double value, std::size_t length) {
    std::string text(length, '?');
    io::TIMEDATEU(pic, value, text, false);
    return text;
  }
  static double readback(std::string_view pic, std::string text) {
    double value = -1;
    io::TIMEDATEU(pic, value, text, true);
    return value;
  }
};

TEST_F(TimeClock, OutputsWithoutInputsAreTheClocksReading) {
  const std::string out =
      run("CHARACTER C*20\n"
          "S = TIME()\n"
          "TIME(YYYYMMDD=C, Excel=X, Gregorian=G, WeekDay=W, Hour=H, MSec=M)\n"
          "TIME(Excel=X2, Year=Y, TO)\n"
          "TIME(Excel=X3, TO, Year=2019, MOnth=1, Day=7, MInute=3)\n"
          "END\n");
  // The present day number carries the time of day; once an input is read
  // the clock is no longer asked.
  EXPECT_EQ(out,
            "C='20190107134530.250  '\nS=49530.25\nX=43472.573266782405\n"
            "G=2458491.5732667823\nW=1\nH=13\nM=250\nX2=43472.573266782405\nY=2019\n"
            "X3=43472.00208333333\nstop=-1\n");
}

TEST_F(TimeClock, PicturesFillTheFirstPlaceOfEachCode) {
  EXPECT_EQ(picture("DD.MM.CCYY HH:mm", 43472.5, 16), "07.01.2019 12:00");
  EXPECT_EQ(picture("WWW DD", 43472, 6), "Mon 07");
  EXPECT_EQ(picture("WWWWWWWWWWW", 43472, 11), "Monday     ");
  EXPECT_EQ(picture("YYYY", 43472, 4), "19YY");
  EXPECT_EQ(picture("HH:mm:SS.sss MM/DD", 43472.75 + 1.5 / 86400, 18), "18:00:01.500 01/07");
  // A text shorter than the picture takes the codes that end within it.
  EXPECT_EQ(picture("DD.MM HH:mm", 43472, 7), "07.01 H");
  EXPECT_EQ(picture("DD", 43472, 4), "07  ");
  // 0 is the present moment, its weekday included.
  EXPECT_EQ(picture("WWW CCYYMMDD HH:mm:SS.sss", 0, 25), "Mon 20190107 13:45:30.250");
  // Year 10000 does not fit four digits; a year before 1 neither.
  EXPECT_EQ(picture("DD.MM.CCYY", 2958466, 10), "invalid   ");
  EXPECT_EQ(picture("DD.MM.CCYY", -700000, 10), "invalid   ");
}

TEST_F(TimeClock, PicturesReadBackIntoDayNumbers) {
  EXPECT_EQ(readback("DD-MMM-CCYY", "07-Jan-2019"), 43472);
  EXPECT_EQ(readback("DD-MMM-CCYY", "07-DEC-2019"), 43806);
  EXPECT_DOUBLE_EQ(readback("DD.MM.YY HH:mm", "07.01.19 18:30"), 43472 + 18.5 / 24);
  // No year in the picture: 1899. Nothing at all: 30 December 1899.
  EXPECT_EQ(readback("DD.MM", "07.01"), -357);
  EXPECT_EQ(readback("HH", "12"), 0.5);
  // Letters that only straddle two abbreviations are no month: December,
  // as for a month without digits.
  EXPECT_EQ(readback("DD-MMM-CCYY", "07-ANF-2019"), 43806);
  for (double v : {43472.0, 43472.75, 1.0, 2958465.0}) {
    const std::string pic = "CCYY-MM-DD HH:mm:SS.sss";
    EXPECT_DOUBLE_EQ(readback(pic, picture(pic, v, pic.size())), v) << v;
  }
}

TEST_F(TimeClock, StopwatchCountsMicrosecondsSinceItsReset) {
  exec::realtimeflags = 1;
  io::REALTIME(0, 0);
  plat::advance_virtual_clock_us(1500);
  io::REALTIME(2, 0);
  EXPECT_EQ(exec::statusbarlast, "CPU  1'500 microsec");
  plat::advance_virtual_clock_us(500);
  io::REALTIME(2, 0);
  EXPECT_EQ(exec::statusbarlast, "CPU  2'000 microsec  (#2=500), avg=1'000");
  // Forty minutes on: beyond what 32 bits of microseconds hold.
  plat::advance_virtual_clock(40 * 60 * 1000);
  io::REALTIME(3, 0);
  EXPECT_EQ(exec::statusbarlast,
            "CPU  2'400'002'000 microsec  (#3=2'400'000'000), avg=800'000'666");
  io::REALTIME(0, 0);
  io::REALTIME(1, 0);
  EXPECT_EQ(exec::statusbarlast, "CPU  0 microsec");
}

TEST_F(TimeClock, CpuReadingsGoToATextVariableWhichSwitchesTheDisplayOff) {
  exec::statusbarlast = "before";
  exec::realtimeflags = 1;
  const std::string out =
      run("CHARACTER L*30\n"
          "L = 'loop'\n"
          "TIME(CPU=0)\n"
          "TIME(CPU)\n"
          "TIME(CPU=L)\n"
          "END\n");
  // CPU without a value is a reading, shown while the display is on.
  EXPECT_EQ(exec::statusbarlast, "CPU  0 microsec");
  EXPECT_EQ(out, "L='CPU loop 0 microsec  (#2=0), a'\nstop=-1\n");  // cut to its length
  EXPECT_EQ(exec::realtimeflags & 1, 0);
}

}  // namespace
