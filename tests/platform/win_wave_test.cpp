// Wave-out devices over the sinks: the buffer protocol and its messages,
// the refusals, tones, the message tone, and the ALSA sink on ALSA's null
// device.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_sink.h"
#include "platform/win_cursor.h"
#include "platform/win_wave.h"

namespace {

using namespace win;

struct Told {
  UINT msg;
  bool mine;  // on the thread that called
};
std::mutex toldm;
std::vector<Told> told;
std::thread::id caller;

void proc(HWAVEOUT, UINT msg, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  std::lock_guard lk(toldm);
  told.push_back({msg, std::this_thread::get_id() == caller});
}

std::vector<Told> messages() {
  std::lock_guard lk(toldm);
  auto out = told;
  told.clear();
  return out;
}

class WaveOut : public ::testing::Test {
 protected:
  void SetUp() override {
    caller = std::this_thread::get_id();
    messages();
    plat::clear_sound_capture();
  }
  void TearDown() override {
    plat::reset_wave_devices();
    plat::use_sound_output(plat::SoundOutput::device);
  }
  static WAVEFORMATEX pcm(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.wBitsPerSample = bits;
    return f;
  }
  HWAVEOUT open(const WAVEFORMATEX& f) {
    HWAVEOUT h = nullptr;
    EXPECT_EQ(
        waveOutOpen(&h, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&proc), 0, CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    return h;
  }
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(88200, 0);  // 1 s mono 16-bit
};

TEST_F(WaveOut, ABufferIsQueuedUntilItHasPlayedOrTheDeviceIsReset) {
  plat::use_sound_output(plat::SoundOutput::silent);
  const HWAVEOUT h = open(pcm(1, 44100, 16));
  WAVEHDR hdr;
  hdr.lpData = reinterpret_cast<LPSTR>(buffer.data());
  hdr.dwBufferLength = static_cast<DWORD>(buffer.size());
  EXPECT_EQ(waveOutWrite(h, &hdr, sizeof hdr), WAVERR_UNPREPARED);
  EXPECT_EQ(waveOutPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(hdr.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
  EXPECT_EQ(waveOutUnprepareHeader(h, &hdr, sizeof hdr), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutWrite(h, &hdr, sizeof hdr), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
  // Done before the reset returned, told from the sink's thread.
  EXPECT_EQ(hdr.dwFlags, WHDR_PREPARED | WHDR_DONE);
  const auto m = messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].msg, MM_WOM_OPEN);
  EXPECT_EQ(m[1].msg, MM_WOM_DONE);
  EXPECT_FALSE(m[1].mine);
  EXPECT_EQ(waveOutUnprepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(hdr.dwFlags, WHDR_DONE);
  // Closing with a buffer queued drops it first.
  EXPECT_EQ(waveOutPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
  const auto c = messages();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].msg, MM_WOM_DONE);
  EXPECT_EQ(c[1].msg, MM_WOM_CLOSE);
  EXPECT_EQ(waveOutReset(h), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutClose(h), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOut, OnlyPcmOfOneOrTwoChannelsAndEightOrSixteenBitsOpens) {
  HWAVEOUT h = nullptr;
  WAVEFORMATEX f = pcm(1, 44100, 16);
  EXPECT_EQ(waveOutOpen(&h, 1, &f, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutOpen(&h, 0, &f, 0, 0, 0x50000), MMSYSERR_INVALFLAG);
  for (WAVEFORMATEX bad : {pcm(3, 44100, 16), pcm(1, 44100, 24), pcm(2, 0, 8)}) {
    EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &bad, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
    EXPECT_EQ(h, nullptr);
  }
  f.nBlockAlign = 4;
  EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
  f = pcm(2, 689, 8);
  f.wFormatTag = 3;
  EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
  f.wFormatTag = WAVE_FORMAT_PCM;
  EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);

  std::array<char, 12> text{};
  EXPECT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, text.data(), 12), MMSYSERR_NOERROR);
  EXPECT_EQ(std::string(text.data()), "The sound f");
  EXPECT_EQ(waveOutGetErrorTextA(4711, text.data(), 12), MMSYSERR_BADERRNUM);
  EXPECT_EQ(std::string(text.data()), "");
}

TEST_F(WaveOut, BeepPlaysItsToneWholeAndMessageBeepStartsAShortOne) {
  plat::use_sound_output(plat::SoundOutput::capture);
  EXPECT_FALSE(Beep(36, 10));
  EXPECT_FALSE(Beep(32768, 10));
  EXPECT_TRUE(plat::sound_capture().opens.empty());
  EXPECT_TRUE(Beep(37, 20));
  EXPECT_EQ(plat::sound_capture().bytes.size(), 2u * 882);
  plat::clear_sound_capture();
  // A long tone goes out in slices of 0.1 s.
  EXPECT_TRUE(Beep(1000, 250));
  auto c = plat::sound_capture();
  EXPECT_EQ(c.bytes.size(), 2u * 11025);
  EXPECT_EQ(c.buffers, 3);
  EXPECT_EQ(c.closes, 1);
  plat::clear_sound_capture();
  MessageBeep(0x10);
  // The beep plays on a thread of its own: waited for, half a minute at most.
  for (int i = 0; i < 30000 && plat::sound_capture().buffers == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_NE(plat::sound_capture().buffers, 0) << "no sound came of MessageBeep";
  c = plat::sound_capture();
  EXPECT_EQ(c.opens, (std::vector<plat::SoundFormat>{{1, 44100, 16}}));
  EXPECT_EQ(c.bytes.size(), 2u * 44100 * 220 / 1000);
}

TEST_F(WaveOut, TheAlsaSinkPlaysAndIsSilencedAtOnce) {
  auto sink = plat::open_alsa_sink({2, 22050, 16}, "null");
  ASSERT_NE(sink, nullptr);
  std::atomic<int> done{0};
  const std::vector<std::uint8_t> second(4 * 22050, 0);
  sink->play(second, [&] { ++done; });
  sink->play(second, [&] { ++done; });
  sink->reset();
  EXPECT_EQ(done, 2);
  EXPECT_EQ(plat::open_alsa_sink({1, 44100, 16}, "no such device"), nullptr);
}

}  // namespace
