#include "exec/alarms.h"

#include <gtest/gtest.h>

#include <array>

#include "core/datetime.h"
#include "core/lexicon.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "platform/clocks.h"

using namespace exec;
using core::idecmd;
using core::keyrec;

namespace {

int fnresets = 0;

struct AlarmTest : ::testing::Test {
  void SetUp() override {
    core::reset_runwords();
    reset_alarms();
    idecmd = -1;
    plat::set_virtual_clock({2026, 12, 7, 60, 10, 0, 0, 0});
    core::SECONDSOFDAY(daysecs);
  }
  void TearDown() override {
    plat::clear_virtual_clock();
    core::menutoolonoff = nullptr;
  }
  // The IDE's one-second tick: the time of day, then the check.
  void tick() {
    plat::advance_virtual_clock(1000);
    core::SECONDSOFDAY(daysecs);
    CHKALA(0);
  }
  // ALARM(n, s).
  void arm(std::int32_t n, float s) {
    alarmnext = 0;
    alarmtime(n) = daysecs + s;
  }
  // The executor takes a fired alarm up.
  void takeup() {
    alarmnext = 0;
    idecmd = -1;
  }
};

}  // namespace

TEST_F(AlarmTest, FiresOnceWhenItsTimeComes) {
  arm(5, 2.0F);
  tick();
  EXPECT_EQ(idecmd, -1);
  EXPECT_EQ(alarmnext, 5);
  tick();
  EXPECT_EQ(idecmd, 5);
  EXPECT_EQ(alarmsavedcmd, -1);
  EXPECT_EQ(keyrec[1], 1);  // waiting built-ins see the pending alarm
  takeup();
  tick();
  EXPECT_EQ(idecmd, -1);
  EXPECT_EQ(alarmnext, 9);  // nothing armed: ties go to the highest slot

  keyrec = {'x', 0x3F, 4, 1};  // F5 fires slot 5 without an alarm
  CHKALA(0);
  EXPECT_EQ(idecmd, 5);
  EXPECT_EQ(keyrec, (std::array<std::uint8_t, 4>{0, 1, 0, 0}));
}

TEST_F(AlarmTest, AlarmsOfOneSecondFireHighestFirst) {
  arm(3, 1.0F);
  arm(6, 1.0F);
  tick();
  EXPECT_EQ(idecmd, 6);
  idecmd = -1;  // not taken up: the cache still names the spent slot
  tick();
  EXPECT_EQ(idecmd, -1);
  takeup();
  tick();
  EXPECT_EQ(idecmd, 3);
}

TEST_F(AlarmTest, PendingCommandGatesAlarms) {
  arm(2, 1.0F);
  arm(3, 1.0F);
  arm(7, 2.0F);
  idecmd = -3;
  tick();
  EXPECT_EQ(idecmd, -3);  // 2 and 3 are due but blocked
  tick();
  EXPECT_EQ(idecmd, 7);  // a due higher alarm goes in their place
  EXPECT_EQ(alarmsavedcmd, -3);
  idecmd = -2;
  CHKALA(0);
  EXPECT_EQ(idecmd, 3);

  alarmtime(2) = alarmunset;
  arm(9, 5.0F);
  idecmd = -6;
  keyrec = {0, 0x42, 0, 0};  // F8: blocked, but consumed
  CHKALA(0);
  EXPECT_EQ(idecmd, -6);
  EXPECT_EQ(keyrec[1], 0);
  for (int i = 0; i < 6; ++i) tick();
  EXPECT_EQ(idecmd, -6);

  idecmd = 10203;  // a pending command is displaced
  CHKALA(0);
  EXPECT_EQ(idecmd, 9);
  EXPECT_EQ(alarmsavedcmd, 10203);
}

TEST_F(AlarmTest, ClearingResetsAlarmsButKeepsMinus14) {
  core::menutoolonoff = [](std::string_view nm, std::int32_t value) {
    fnresets += nm == "Fn" && value == 0 ? 1 : 100;
  };
  fnresets = 0;
  arm(4, 1.0F);
  alarmsavedcmd = 77;
  idecmd = 3;
  core::xeqmode = 0x20E;
  CLRALA(1);
  EXPECT_EQ(idecmd, -1);
  EXPECT_EQ(alarmnext, 2);
  EXPECT_EQ(alarmtime(4), alarmunset);
  EXPECT_EQ(alarmsavedcmd, -1);
  EXPECT_EQ(fnresets, 1);
  EXPECT_EQ(static_cast<std::uint16_t>(alarmrunmode), 0xFF0A);
  idecmd = -14;
  CLRALA(1);
  EXPECT_EQ(idecmd, -14);
}

TEST_F(AlarmTest, RunWordsOfSubroutinesTakeTheCapturedMode) {
  core::reset_stores();
  core::nz = 20;
  core::nname = 10;
  std::int32_t zero = 0, one = 1;
  core::ALLOCS("z", zero, core::nz);
  core::ALLOCS("name", one, core::nname);
  core::nsym = 3;
  core::name(1).type = 4;     // SUBROUTINE
  core::name(2).type = 5;     // FUNCTION
  core::name(3).type = 0x80;  // a scalar
  core::name(4).type = 4;     // beyond nsym
  core::z(3) = 2.5;

  core::xeqmode = 0x46;
  CLRALA(3);
  const auto mode = static_cast<std::int16_t>(0xFF42);
  EXPECT_EQ(core::I2EQUZ(3, 1), mode);
  EXPECT_EQ(core::I2EQUZ(3, 2), mode);
  EXPECT_EQ(core::I2EQUZ(1, 1), 0);
  EXPECT_EQ(core::z(3), 2.5);
  EXPECT_EQ(core::I2EQUZ(3, 4), 0);

  core::xeqmode = 0;  // bit 2 alone uses the mode of the last clearing
  core::SETI2EQUZ(3, 1, 0);
  CLRALA(2);
  EXPECT_EQ(core::I2EQUZ(3, 1), mode);
  core::reset_stores();
}
