// The samples of notes, chords, rests and stereo tunes, to the sample.
#include <algorithm>
#include <cmath>

#include "tests/io/sound_fixture.h"

namespace {

using soundtest::voice;

class SoundRender : public soundtest::Sound {};

constexpr std::int64_t note = 5632;  // one length unit at 44100 Hz

TEST_F(SoundRender, ANoteFollowsItsLevelsFromStartToEnd) {
  EXPECT_EQ(io::MUSIC("V7v2e", std::nullopt, std::nullopt), 2.0 * note);
  const auto b = plat::sound_capture().bytes;
  ASSERT_EQ(b.size(), 2u * note);
  for (std::int64_t j = 1; j <= note; ++j)
    ASSERT_EQ(word(b, j - 1), std::trunc(voice(329, j, note, 7, 2, {1.0}))) << j;
}

TEST_F(SoundRender, PartialsShareTheAmplitude) {
  io::MUSIC("P13c", std::nullopt, std::nullopt);
  const auto b = plat::sound_capture().bytes;
  for (std::int64_t j = 1; j <= note; j += 97)
    EXPECT_EQ(word(b, j - 1), std::trunc(voice(261, j, note, 9, 0, {0.25, 0.75}))) << j;
}

TEST_F(SoundRender, AChordNoteIsAveragedWithTheVoicesBeforeIt) {
  io::MUSIC("c<e<g", std::nullopt, std::nullopt);
  const auto b = plat::sound_capture().bytes;
  ASSERT_EQ(b.size(), 2u * note);
  for (std::int64_t j = 1; j <= note; j += 13) {
    const double c = std::trunc(voice(261, j, note, 9, 0, {1.0}));
    const double ce = std::trunc(0.5 * voice(329, j, note, 9, 0, {1.0}) + 0.5 * c);
    const double ceg = std::trunc(1.0 / 3 * voice(391, j, note, 9, 0, {1.0}) + (1 - 1.0 / 3) * ce);
    ASSERT_EQ(word(b, j - 1), ceg) << j;
  }
}

TEST_F(SoundRender, EightBitSamplesCentreOn127AndARestIs127) {
  EXPECT_EQ(io::MUSIC("$8V5c R", std::nullopt, std::nullopt), 2.0 * note);
  const auto b = plat::sound_capture().bytes;
  ASSERT_EQ(b.size(), 2u * note);
  for (std::int64_t j = 1; j <= note; j += 7)
    ASSERT_EQ(b[j - 1], std::trunc(voice(261, j, note, 5, 0, {1.0}, 127.0) + 127.0)) << j;
  EXPECT_TRUE(std::all_of(b.begin() + note, b.end(), [](std::uint8_t v) { return v == 127; }));
}

TEST_F(SoundRender, StereoInterleavesLeftAndRight) {
  io::MUSIC("c", "V3g", std::nullopt);
  const auto b = plat::sound_capture().bytes;
  ASSERT_EQ(b.size(), 2u * note);
  for (std::int64_t j = 1; j <= note; j += 2 * 11) {
    EXPECT_EQ(word(b, j - 1), std::trunc(voice(261, j, note, 9, 0, {1.0}, 32767.0, 2))) << j;
    EXPECT_EQ(word(b, j), std::trunc(voice(391, j, note, 3, 0, {1.0}, 32767.0, 2))) << j;
  }
}

TEST_F(SoundRender, NoSampleGoesBeyondFullScale) {
  const auto peak = [] {
    const auto b = plat::sound_capture().bytes;
    std::int32_t p = 0;
    for (std::size_t k = 0; k < b.size() / 2; ++k) p = std::max(p, std::abs(word(b, k) + 0));
    plat::clear_sound_capture();
    return p;
  };
  io::MUSIC("V9v9'c", std::nullopt, std::nullopt);
  EXPECT_EQ(peak() / 10, 3276);
  io::MUSIC("P11111111V9v9'c", std::nullopt, std::nullopt);
  EXPECT_LE(peak(), 32767);
  io::MUSIC("$8V9v9'c", std::nullopt, std::nullopt);
  const auto b = plat::sound_capture().bytes;
  EXPECT_EQ(*std::max_element(b.begin(), b.end()) / 2, 126);
  EXPECT_EQ(*std::min_element(b.begin(), b.end()), 0);
}

}  // namespace
