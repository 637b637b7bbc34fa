// Tunes played into the capture sink, with the sound state fresh for each
// test, and the samples the renderer must give, computed here on their own.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "io/music.h"
#include "platform/sound_sink.h"
#include "platform/win_wave.h"

namespace soundtest {

class Sound : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::use_sound_output(plat::SoundOutput::capture);
    io::reset_music();
    plat::clear_sound_capture();
  }
  void TearDown() override {
    io::reset_music();
    plat::reset_wave_devices();
    plat::use_sound_output(plat::SoundOutput::device);
  }
  // Sample k (from 0) of what was played, 16-bit.
  static std::int16_t word(const std::vector<std::uint8_t>& b, std::size_t k) {
    return static_cast<std::int16_t>(b[2 * k] | b[2 * k + 1] << 8);
  }
};

// The unmixed value of sample j (from 1) of a note d samples long, before
// truncation: partials amp, levels vol to volend, full scale F.
inline double voice(double freq, std::int64_t j, std::int64_t d, double vol, double volend,
                    const std::vector<double>& amp, double F = 32767.0, int channels = 1,
                    int rate = 44100) {
  const double w = 6.2831855f * freq / (channels * (rate / channels));
  double s = 0.0;
  for (std::size_t k = 1; k <= amp.size(); ++k)
    s += amp[k - 1] * std::sin(static_cast<double>(k) * (static_cast<double>(j) * w));
  const double a = F / 9.0 * std::exp(std::max(vol, volend) - 9.0);
  const double r = static_cast<double>(j) / static_cast<double>(d);
  return s * a * ((1.0 - r) * vol + r * volend);
}

}  // namespace soundtest
