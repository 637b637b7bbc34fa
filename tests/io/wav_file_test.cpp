// WAV files written by tunes, byte for byte, and read back by PlaySoundA.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/file_units.h"
#include "support/test_support.h"
#include "tests/io/sound_fixture.h"

namespace {

namespace fs = std::filesystem;

class WavFile : public soundtest::Sound {
 protected:
  void SetUp() override {
    Sound::SetUp();
    cwd = fs::current_path();
    fs::current_path(dir.path());
  }
  void TearDown() override {
    fs::current_path(cwd);
    Sound::TearDown();
  }
  static std::string bytes(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }
  static std::string le(std::uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
    return s;
  }
  static std::string header(std::uint32_t size, int channels, std::uint32_t rate, int align,
                            int bits) {
    return "RIFF" + le(size + 36, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) +
           le(rate, 4) + le(rate * align, 4) + le(align, 2) + le(bits, 2) + "data" + le(size, 4);
  }
  testsupport::TempDir dir;
  fs::path cwd;
};

TEST_F(WavFile, HeaderAndSamplesMatchInEveryFormat) {
  std::string f;
  EXPECT_EQ(io::MUSIC("c", std::nullopt, "Mono.Wav"), 11264);
  f = testsupport::read_file("Mono.Wav");  // the name as the script wrote it
  ASSERT_EQ(f.size(), 11308u);
  EXPECT_EQ(f.substr(0, 44), header(11264, 1, 44100, 2, 16));

  EXPECT_EQ(io::MUSIC("c", "c", "stereo.wav"), 11264);
  f = testsupport::read_file("stereo.wav");
  ASSERT_EQ(f.size(), 11308u);
  EXPECT_EQ(f.substr(0, 44), header(11264, 2, 22050, 4, 16));

  EXPECT_EQ(io::MUSIC("$18cR", std::nullopt, "eight.wav"), 2 * 2816);
  f = testsupport::read_file("eight.wav");
  ASSERT_EQ(f.size(), 44u + 2 * 2816);
  EXPECT_EQ(f.substr(0, 44), header(2 * 2816, 1, 22050, 1, 8));
  EXPECT_EQ(f.substr(44 + 2816), std::string(2816, '\x7F'));

  // Nothing was played, and what plays is what the file holds.
  EXPECT_TRUE(plat::sound_capture().bytes.empty());
  for (const char* name : {"Mono.Wav", "stereo.wav", "eight.wav"}) {
    SCOPED_TRACE(name);
    const std::string data = testsupport::read_file(name).substr(44);
    EXPECT_TRUE(win::PlaySoundA(name, nullptr, win::SND_FILENAME));
    EXPECT_EQ(bytes(plat::sound_capture().bytes), data);
    plat::clear_sound_capture();
  }
  EXPECT_EQ(io::MUSIC("$18cR", std::nullopt, std::nullopt), 2 * 2816);
  EXPECT_EQ(bytes(plat::sound_capture().bytes), testsupport::read_file("eight.wav").substr(44));
}

TEST_F(WavFile, ATuneStartingWithAChordIsWrittenWhole) {
  EXPECT_EQ(io::MUSIC("<c d", std::nullopt, "chord.wav"), 11264);
  EXPECT_EQ(fs::file_size("chord.wav"), 11308u);
  EXPECT_EQ(io::MUSIC("$6 c d", std::nullopt, "none.wav"), 0);
  EXPECT_EQ(testsupport::read_file("none.wav"), header(0, 1, 689, 2, 16));
}

// A tune that cannot be written whole (the file-size limit) leaves an
// older file of its name as it was, and no other file; its status is kept.
TEST_F(WavFile, ATuneNotWrittenWholeLeavesTheOldFile) {
  testsupport::write_file("tune.wav", "old");
  const std::string report = testsupport::in_child([] {
    if (!testsupport::limit_file_size(1000)) return std::string("no limit set");
    core::iostatw[0] = 0;
    io::MUSIC("c", std::nullopt, "tune.wav");
    std::string wrong;
    if (core::iostatw[0] != plat::iostat_write_error)
      wrong += "status " + std::to_string(core::iostatw[0]) + "\n";
    if (testsupport::read_file("tune.wav") != "old") wrong += "tune.wav changed\n";
    if (std::distance(fs::directory_iterator("."), {}) != 1) wrong += "files left behind\n";
    return wrong;
  });
  EXPECT_EQ(report, "");
}

TEST_F(WavFile, OnlyPcmFilesOfEightOrSixteenBitsAndOneOrTwoChannelsPlay) {
  const std::string good = header(4, 1, 8000, 2, 16) + "\x01\x02\x03\x04";
  const auto write = [](const std::string& name, const std::string& body) {
    std::ofstream(name, std::ios::binary) << body;
  };
  write("good.wav", good);
  write("short.wav", good.substr(0, 44) + "\x01\x02\x03");  // data cut short, to whole frames
  write("notriff.wav", "RIFX" + good.substr(4));
  write("float.wav", good.substr(0, 20) + le(3, 2) + good.substr(22));
  write("bits24.wav", header(4, 1, 8000, 3, 24) + "\x01\x02\x03\x04");
  write("three.wav", header(4, 3, 8000, 6, 16) + "\x01\x02\x03\x04");
  write("nodata.wav", good.substr(0, 36));
  fs::create_directory("folder.wav");  // read as a file, it fails
  EXPECT_TRUE(win::PlaySoundA("good.wav", nullptr, win::SND_FILENAME));
  EXPECT_TRUE(win::PlaySoundA("short.wav", nullptr, win::SND_FILENAME));
  const auto c = plat::sound_capture();
  EXPECT_EQ(bytes(c.bytes), "\x01\x02\x03\x04\x01\x02");
  ASSERT_EQ(c.opens.size(), 2u);
  EXPECT_EQ(c.opens[0], (plat::SoundFormat{1, 8000, 16}));
  for (const char* bad : {"notriff.wav", "float.wav", "bits24.wav", "three.wav", "nodata.wav",
                          "missing.wav", "folder.wav"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(win::PlaySoundA(bad, nullptr, win::SND_FILENAME));
  }
  EXPECT_EQ(plat::sound_capture().opens.size(), 2u);
}

TEST_F(WavFile, MutatedWavFilesPlayOnlyTheirOwnBytesOrNothing) {
  const std::string good = header(64, 2, 8000, 4, 16) + std::string(64, '\x11');
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    std::string b = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) b[random() % 48] = static_cast<char>(random());
    if (random() % 4 == 0) b.resize(random() % b.size());
    std::ofstream("fuzz.wav", std::ios::binary | std::ios::trunc) << b;
    plat::clear_sound_capture();
    if (!win::PlaySoundA("fuzz.wav", nullptr, win::SND_FILENAME)) continue;
    const std::string played = bytes(plat::sound_capture().bytes);
    EXPECT_NE(b.find(played), std::string::npos) << "round " << round;
  }
}

}  // namespace
