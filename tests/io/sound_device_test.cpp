// The wave-out device across tunes: kept for the next tune, closed by "$",
// by a change of channels, by a store growth and by Escape during a tune.
#include <chrono>

#include "core/runwords.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "ide/panlio.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "tests/io/sound_fixture.h"
#include "tests/io/time_script.h"

namespace {

using SoundDevice = soundtest::Sound;

TEST_F(SoundDevice, KeptForTheNextTuneUntilDollarChannelsOrAStoreGrowthCloseIt) {
  EXPECT_EQ(io::MUSIC("$8c", std::nullopt, std::nullopt), 5632);
  const std::uint32_t first = core::hwaveout;
  EXPECT_NE(first, 0u);
  // The same channels: the same device, still at 8 bits.
  EXPECT_EQ(io::MUSIC("c", std::nullopt, std::nullopt), 5632);
  EXPECT_EQ(core::hwaveout, first);
  // "$" closes it, and rate and bits start again from 44100 and 16.
  EXPECT_EQ(io::MUSIC("$c", std::nullopt, std::nullopt), 11264);
  // Two channels close the mono device.
  EXPECT_EQ(io::MUSIC("c", "c", std::nullopt), 11264);
  auto c = plat::sound_capture();
  EXPECT_EQ(c.opens,
            (std::vector<plat::SoundFormat>{{1, 44100, 8}, {1, 44100, 16}, {2, 22050, 16}}));
  EXPECT_EQ(c.closes, 2);
  EXPECT_EQ(c.buffers, 4);
  // Every allocation of a store closes it first.
  std::int32_t lo = 0, hi = -1;
  core::ALLOCS("none", lo, hi);
  EXPECT_EQ(core::hwaveout, 0u);
  EXPECT_EQ(plat::sound_capture().closes, 3);
  io::MUSIC("c", "c", std::nullopt);
  EXPECT_EQ(plat::sound_capture().opens.size(), 4u);
}

class SoundBreak : public iotest::ScriptRun {
 protected:
  void SetUp() override {
    ScriptRun::SetUp();
    io::reset_music();
    kept = exec::PANLIOSTEP;
  }
  void TearDown() override {
    exec::PANLIOSTEP = kept;
    io::reset_music();
    plat::use_sound_output(plat::SoundOutput::device);
    ScriptRun::TearDown();
  }
  void (*kept)() = nullptr;
};

int polls = 0;

TEST_F(SoundBreak, EscapeStopsALongTuneAtOnceAndTheNextBeepOpensTheDeviceAgain) {
  plat::use_sound_output(plat::SoundOutput::silent);
  polls = 0;
  // The user presses Escape some 30 ms into a tune of 12.7 s.
  exec::PANLIOSTEP = [] {
    if (++polls == 30) core::keyrec = {27, 1, 0, 1};  // Escape, as the key reader records it
    ide::PANLIOSTEP();
  };
  const std::string out = run("N = BEEP('99c')\nM = 1\nEND\n");
  EXPECT_LT(polls, 3000) << "the tune went on after Escape";
  // BEEP gives the tune's size as always, and the run stops after it.
  EXPECT_EQ(out.substr(0, out.find("\nstop=")), "N=1115136\nM=0") << out;
  EXPECT_NE(out.find("stop=-4"), std::string::npos) << out;
  EXPECT_EQ(core::hwaveout, 0u);
  plat::use_sound_output(plat::SoundOutput::capture);
  plat::clear_sound_capture();
  EXPECT_EQ(run("N = BEEP('c')\nEND\n"), "N=11264\nstop=-1\n");
  EXPECT_NE(core::hwaveout, 0u);
  EXPECT_EQ(plat::sound_capture().opens.size(), 1u);
}

}  // namespace
