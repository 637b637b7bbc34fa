// Sound output. A sink takes buffers of PCM samples and plays them one
// after the other on a thread of its own; it reports each buffer done, from
// that thread, once the buffer has played or a reset has dropped it. Three
// sinks exist: the sound card through ALSA; a silent one that only lets each
// buffer's playing time pass, used whenever no card can be opened (a
// machine without sound, CI); and a capture sink for tests, which keeps
// every byte and reports each buffer done at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace plat {

struct SoundFormat {
  int channels = 1;  // 1 or 2, samples interleaved
  int rate = 44100;  // frames per second
  int bits = 16;     // 8 (unsigned bytes) or 16 (signed, little-endian)
  int frame_bytes() const { return channels * (bits / 8); }
  bool operator==(const SoundFormat&) const = default;
};

class SoundSink {
 public:
  virtual ~SoundSink() = default;
  // Queues a buffer; its bytes stay the caller's and must live until done
  // has run (on the sink's thread).
  virtual void play(std::span<const std::uint8_t> bytes, std::function<void()> done) = 0;
  // Silences the sink at once: the buffer playing and those queued are
  // dropped, and their done has run when reset returns.
  virtual void reset() = 0;
};

// Where sound goes: `device` the sound card, or silence where none can be
// opened (the start value); `silent` always silence in real time;
// `capture` the capture sink.
enum class SoundOutput { device, silent, capture };
void use_sound_output(SoundOutput kind);
SoundOutput sound_output();

// A sink for the format, as the output in force says; null only for a
// format that no sink plays (channels not 1 or 2, bits not 8 or 16, rate
// below 1).
std::unique_ptr<SoundSink> open_sound_sink(const SoundFormat& format);

// Playing time of a buffer of that many bytes, in nanoseconds.
std::int64_t sound_nanoseconds(const SoundFormat& format, std::size_t bytes);

// What the capture sinks took since the last clear: every byte played, in
// order; the format of each sink opened; and the sinks closed, the resets
// and the buffers played.
struct SoundCapture {
  std::vector<std::uint8_t> bytes;
  std::vector<SoundFormat> opens;
  int closes = 0;
  int resets = 0;
  int buffers = 0;
};
SoundCapture sound_capture();
void clear_sound_capture();

// The sink of an ALSA playback device ("default": the sound card), null
// when it cannot be opened for the format.
std::unique_ptr<SoundSink> open_alsa_sink(const SoundFormat& format,
                                          const char* device = "default");

}  // namespace plat
