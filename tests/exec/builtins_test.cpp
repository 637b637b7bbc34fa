// Built-in functions of the word path called on a prepared operand stack:
// what scripts cannot observe from their variables (the palette, alarms,
// stop words and hand-backs to the run driver).
#include "exec/builtins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "core/codewords.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/assign.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "exec/xeqtemps.h"
#include "platform/win_message_box.h"
#include "support/stores_fixture.h"

using namespace core;
using exec::WordResult;

namespace {

class WordBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    std::int32_t one = 1, top = 400;
    ALLOCS("adrs", one, top);
    nadrs = top;
    nadrslow = top;
    reset_runwords();
    exec::reset_xeq();
    exec::reset_alarms();
    exec::reset_builtins();
    exec::reset_assign();
    plat::reset_message_boxes();
    for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) storetest::addsym(nm, 0x80);
    z(1) = 1.0;
    savedpanlio = exec::PANLIOSTEP;
    exec::PANLIOSTEP = [] {};
  }
  void TearDown() override { exec::PANLIOSTEP = savedpanlio; }

  // A number constant.
  static std::int32_t n(double v) {
    const std::int32_t k = storetest::addsym("1", 0x81);
    z(k) = v;
    return k;
  }
  // Runs word over the operands (the last one on top).
  WordResult run(unsigned word, std::initializer_list<std::int32_t> operands) {
    xeqstackbase = 1;
    xeqstackptr = 1;
    for (std::int32_t e : operands) adrs(++xeqstackptr) = e;
    iresult = nsym + 1;
    exec::newtemprecord(iresult);
    xeqstop = 0;
    msgkey.blank();
    return exec::BUILTINWORD(static_cast<std::int16_t>(word));
  }
  double result() const { return z(adrs(xeqstackptr)); }

  void (*savedpanlio)() = nullptr;
};

TEST_F(WordBuiltins, RgbClampsAndFillsThePalette) {
  const std::int32_t r = n(1), g = n(2), b = n(3), big = n(300), neg = n(-5);
  EXPECT_EQ(run(0xC102, {r, g, b}), WordResult::next);
  EXPECT_EQ(result(), 0x030201);
  EXPECT_EQ(exec::rgbtab(31), 0x030201u);
  EXPECT_EQ(xeqstackptr, 2);  // the result replaced the three arguments
  EXPECT_EQ(run(0xC103, {big, neg, b, n(25)}), WordResult::next);
  EXPECT_EQ(exec::rgbtab(25), 0x0300FFu);
  // Slots outside 24 to 31 are clamped; a missing blue is 0.
  EXPECT_EQ(run(0xC103, {r, g, b, n(40)}), WordResult::next);
  EXPECT_EQ(exec::rgbtab(31), 0x030201u);
  EXPECT_EQ(run(0xC103, {r, g, b, n(3)}), WordResult::next);
  EXPECT_EQ(exec::rgbtab(24), 0x030201u);
  EXPECT_EQ(run(0xC101, {r, g}), WordResult::next);
  EXPECT_EQ(result(), 0x0201);
  // One argument keeps the high bytes of its value.
  EXPECT_EQ(run(0xC100, {n(0x123456)}), WordResult::next);
  EXPECT_EQ(result(), 0x123400);
  EXPECT_EQ(exec::rgbtab(31), 0x123400u);
}

TEST_F(WordBuiltins, AlarmSetsClearsAndRefuses) {
  EXPECT_EQ(run(0xC3E1, {n(60), n(5)}), WordResult::next);
  EXPECT_NEAR(result(), exec::daysecs + 60.0, 0.01);
  EXPECT_FLOAT_EQ(exec::alarmtime(5), static_cast<float>(result()));
  EXPECT_EQ(exec::alarmnext, 0);
  // ALARM(-2) clears the slots only and returns its argument.
  EXPECT_EQ(run(0xC3E0, {n(-2)}), WordResult::next);
  EXPECT_EQ(result(), -2.0);
  EXPECT_EQ(exec::alarmtime(5), exec::alarmunset);
  EXPECT_FALSE(exec::alarmreset);
  // ALARM(0) also resets the variables and drops the subroutine frames.
  EXPECT_EQ(run(0xC3E0, {n(0)}), WordResult::next);
  EXPECT_TRUE(exec::alarmreset);
  // A slot number with one argument, or an unknown number, is refused.
  EXPECT_EQ(run(0xC3E0, {n(5)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "alarmError");
  EXPECT_EQ(run(0xC3E1, {n(60), n(12)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "alarmError");
}

TEST_F(WordBuiltins, AlarmWaitsForAnAlarmAndQuitEndsTheRun) {
  // An alarm already due ends the wait at once with it as the command.
  run(0xC3E0, {n(-2)});
  exec::alarmtime(3) = 0.0F;
  EXPECT_EQ(run(0xC3E0, {n(1)}), WordResult::next);
  EXPECT_EQ(idecmd, 3);
  EXPECT_EQ(exec::evtflags, -1);
  // An input event ends it as well, with the event flags as the result.
  idecmd = 0;
  exec::PANLIOSTEP = [] { exec::evtflags = 0x10; };
  EXPECT_EQ(run(0xC3E0, {n(1)}), WordResult::next);
  EXPECT_EQ(result(), 16.0);

  xeqmode = 0x0C | 0x20;
  EXPECT_EQ(run(0xC3E0, {n(999)}), WordResult::leave);
  EXPECT_EQ(xeqstop, -999);
  EXPECT_EQ(xeqmode, 8);
}

TEST_F(WordBuiltins, XeqHandsItsTextToTheRunDriver) {
  const std::int32_t s = storetest::addcharvar("S", "Y = 1");
  std::int32_t f = 0, l = 0;
  ISCHAR(s, f, l);
  // XEQ(S) as a statement of its own: the word, then the end word.
  exec::wordpos = 1;
  exec::stmtend = 3;
  EXPECT_EQ(run(0xC340, {s}), WordResult::leave);
  EXPECT_EQ(xeqstop, 0xC340);
  EXPECT_EQ(xeqspan[0], f);
  EXPECT_EQ(xeqspan[1], l);
  // A word after it would take a value that the driver never hands back.
  exec::stmtend = 4;
  EXPECT_EQ(run(0xC340, {s}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "xeqillegal");
}

TEST_F(WordBuiltins, OperandChecksComeFirst) {
  EXPECT_EQ(run(0xC040, {}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "stackUnderFlow");
  EXPECT_EQ(run(0xC162, {n(7)}), WordResult::error);  // MOD(a, b) needs two
  EXPECT_EQ(msgkey.str(), "stackUnderFlow");
  // A top entry of 0 is a break.
  EXPECT_EQ(run(0xC040, {0}), WordResult::stophandling);
  EXPECT_EQ(xeqstop, -4);
  EXPECT_EQ(run(0xC400, {n(3)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "charExpected");
  EXPECT_EQ(run(0xC4A0, {n(256)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "charError");
  const auto music = exec::MUSICALL;
  exec::MUSICALL = nullptr;
  EXPECT_EQ(run(0xC0E0, {n(440)}), WordResult::error);  // BEEP comes with sound
  exec::MUSICALL = music;
  EXPECT_EQ(run(0xC7E0, {n(1)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "xeqUnknown");
}

TEST_F(WordBuiltins, AllocateGivesNewStorage) {
  const std::int32_t a = storetest::addarray("A", 2, 1);
  z(name(a).adr) = 5.0;
  z(name(a).adr + 1) = 6.0;
  const std::int32_t s = storetest::addcharvar("S", "abc");
  const std::int32_t x = storetest::addsym("X", 0x80);
  EXPECT_EQ(run(0xC622, {a, n(2), n(3)}), WordResult::next);
  EXPECT_EQ(result(), 6.0);
  EXPECT_EQ(I4EQUZ(1, a), 2);
  EXPECT_EQ(I4EQUZ(2, a), 3);
  EXPECT_EQ(z(name(a).adr), 5.0);
  EXPECT_EQ(z(name(a).adr + 1), 6.0);
  EXPECT_EQ(z(name(a).adr + 5), 0.0);
  EXPECT_EQ(run(0xC621, {s, n(5)}), WordResult::next);
  EXPECT_EQ(storetest::textof(s), "abc  ");
  EXPECT_EQ(run(0xC621, {x, n(5)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "allocNoArrNoChar");
  EXPECT_EQ(run(0xC621, {a, n(0)}), WordResult::error);
  EXPECT_EQ(msgkey.str(), "ALLOCATE()");
}

TEST_F(WordBuiltins, CountFieldLessTheBuiltInsOwnCount) {
  EXPECT_EQ(exec::builtinextra(static_cast<std::int16_t>(0xC183)), 2);  // MAX(a, b, c)
  EXPECT_EQ(exec::builtinextra(static_cast<std::int16_t>(0xC181)), 0);  // MAX(array)
  EXPECT_EQ(exec::builtinextra(static_cast<std::int16_t>(0xC162)), 1);  // MOD(a, b)
  EXPECT_EQ(exec::builtinextra(static_cast<std::int16_t>(0xC103)), 3);  // RGB(r, g, b, k)
  // Every built-in with every count field, against the first code of the
  // list that has the same function bits; words of other families carry none.
  for (const std::int16_t c : core::builtincodes)
    for (unsigned k = 0; k < 32; ++k) {
      const unsigned w = (static_cast<std::uint16_t>(c) & 0xFFE0u) | k;
      unsigned own = 0;
      for (const std::int16_t d : core::builtincodes)
        if ((static_cast<std::uint16_t>(d) & 0xFFE0u) == (w & 0xFFE0u) &&
            (w & 0xE000u) == 0xC000u) {
          own = static_cast<std::uint16_t>(d) & 0x1Fu;
          break;
        }
      EXPECT_EQ(exec::builtinextra(static_cast<std::int16_t>(w)), k > own ? k - own : 0) << w;
    }
  EXPECT_EQ(exec::builtinextra(static_cast<std::int16_t>(0xA162)), 2);
}

}  // namespace
