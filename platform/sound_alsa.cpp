// The sound card's sink: the "default" PCM of ALSA, written by the sink's
// thread in slices of 10 ms so that a reset silences it at once.
#include <alsa/asoundlib.h>

#include <algorithm>

#include "platform/sound_queue.h"

namespace plat {

namespace {

// ALSA reports its failures on stderr unless told otherwise; a machine
// without a card fails every open, which is no news.
void quiet(const char*, int, const char*, int, const char*, ...) {}

class AlsaSink final : public detail::QueuedSink {
 public:
  AlsaSink(const SoundFormat& f, snd_pcm_t* pcm) : QueuedSink(f), pcm_(pcm) { start(); }
  ~AlsaSink() override {
    stop();
    snd_pcm_drain(pcm_);
    snd_pcm_close(pcm_);
  }

 private:
  void render(std::span<const std::uint8_t> bytes) override {
    const int frame = format().frame_bytes();
    const snd_pcm_uframes_t slice =
        static_cast<snd_pcm_uframes_t>(std::max(format().rate / 100, 1));
    snd_pcm_uframes_t left = bytes.size() / static_cast<std::size_t>(frame);
    const std::uint8_t* p = bytes.data();
    while (left > 0 && !dropping()) {
      snd_pcm_sframes_t n = snd_pcm_writei(pcm_, p, std::min(left, slice));
      if (n < 0) {
        if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) return;
        continue;
      }
      left -= static_cast<snd_pcm_uframes_t>(n);
      p += n * frame;
    }
  }
  void silence() override {
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
  }

  snd_pcm_t* pcm_;
};

}  // namespace

std::unique_ptr<SoundSink> open_alsa_sink(const SoundFormat& format, const char* device) {
  snd_lib_error_set_handler(quiet);
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, device, SND_PCM_STREAM_PLAYBACK, 0) < 0) {
    snd_config_update_free_global();
    return nullptr;
  }
  const snd_pcm_format_t sample = format.bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_set_params(pcm, sample, SND_PCM_ACCESS_RW_INTERLEAVED,
                         static_cast<unsigned>(format.channels), static_cast<unsigned>(format.rate),
                         1, 100000) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return std::make_unique<AlsaSink>(format, pcm);
}

}  // namespace plat
