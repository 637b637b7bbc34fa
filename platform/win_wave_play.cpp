// Sounds played whole: WAV files, tones, and the short tones of MessageBeep
// where no display rings a bell.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <iterator>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/sound_sink.h"
#include "platform/win_wave.h"

namespace plat {

namespace {

constexpr int tonerate = 44100;

// Plays the bytes and waits until they have played.
void play_and_wait(SoundSink& sink, std::span<const std::uint8_t> bytes) {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  sink.play(bytes, [&] {
    std::lock_guard lk(m);
    done = true;
    cv.notify_all();
  });
  std::unique_lock lk(m);
  cv.wait(lk, [&] { return done; });
}

// Samples first .. first + count - 1 of a sine tone of `total` samples,
// 16-bit mono, at half of full scale, faded in and out over 5 ms so that
// it does not click.
std::vector<std::uint8_t> tone(double frequency, std::int64_t first, std::int64_t count,
                               std::int64_t total) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(count) * 2);
  const double step = 2.0 * std::numbers::pi * frequency / tonerate;
  const double fade = tonerate / 200.0;
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t n = first + k;
    const double edge = std::min({1.0, (n + 1) / fade, (total - n) / fade});
    const auto v =
        static_cast<std::int16_t>(16383.0 * edge * std::sin(step * static_cast<double>(n)));
    const auto u = static_cast<std::uint16_t>(v);
    out[static_cast<std::size_t>(2 * k)] = static_cast<std::uint8_t>(u & 0xFF);
    out[static_cast<std::size_t>(2 * k + 1)] = static_cast<std::uint8_t>(u >> 8);
  }
  return out;
}

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = v << 8 | static_cast<std::uint8_t>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

// The bytes of a file read whole; none when it cannot be (missing, a
// folder or a device, not readable, a read error). Opened without waiting,
// so that a pipe of that name does not hold the caller.
std::optional<std::string> filebytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> out;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    std::string bytes;
    std::array<char, 65536> buf{};
    for (;;) {
      const ssize_t n = ::read(fd, buf.data(), buf.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) out = std::move(bytes);
        break;
      }
      bytes.append(buf.data(), static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return out;
}

struct WavData {
  SoundFormat format;
  std::size_t first = 0;  // the samples: bytes first .. first + size - 1 of the file
  std::size_t size = 0;
};

// The format and samples of a PCM WAV file of 8 or 16 bits and 1 or 2
// channels; none for anything else. A data chunk longer than the file is
// taken as far as the file goes, cut to whole frames.
std::optional<WavData> wavdata(const std::string& b) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return {};
  std::optional<SoundFormat> fmt;
  std::optional<WavData> data;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const std::size_t len = le(b, at + 4, 4);
    const std::size_t body = at + 8;
    const std::size_t have = std::min(len, b.size() - body);
    if (id == "fmt " && have >= 16) {
      if (le(b, body, 2) != win::WAVE_FORMAT_PCM) return {};
      SoundFormat f;
      f.channels = static_cast<int>(le(b, body + 2, 2));
      f.rate = static_cast<int>(std::min<std::uint32_t>(le(b, body + 4, 4), 0x7FFFFFFF));
      f.bits = static_cast<int>(le(b, body + 14, 2));
      if ((f.channels != 1 && f.channels != 2) || (f.bits != 8 && f.bits != 16) || f.rate < 1)
        return {};
      fmt = f;
    } else if (id == "data" && !data) {
      data = WavData{{}, body, have};
    }
    if (len > b.size() - body) break;
    at = body + len + (len & 1);
  }
  if (!fmt || !data) return {};
  data->format = *fmt;
  data->size -= data->size % static_cast<std::size_t>(fmt->frame_bytes());
  return data;
}

// The short tones of the message-box types.
struct MessageTone {
  win::UINT type;
  double frequency;
  int ms;
};
constexpr MessageTone messagetones[] = {
    {0x10, 220.0, 220},  // MB_ICONHAND
    {0x20, 660.0, 110},  // MB_ICONQUESTION
    {0x30, 440.0, 160},  // MB_ICONEXCLAMATION
    {0x40, 1320.0, 90},  // MB_ICONASTERISK
    {0x00, 880.0, 110},  // MB_OK, and every other type
};

// The message tone: one sink kept open, its samples kept until played.
struct ToneVoice {
  std::unique_ptr<SoundSink> sink;
  SoundOutput output = SoundOutput::device;
  std::vector<std::uint8_t> samples;
  void stop() {
    if (sink) sink->reset();
    sink.reset();
  }
  ~ToneVoice() { stop(); }
};
ToneVoice voice;

}  // namespace

void play_message_tone(win::UINT type) {
  const MessageTone* t = &messagetones[std::size(messagetones) - 1];
  for (const MessageTone& m : messagetones)
    if (m.type == type) t = &m;
  if (voice.sink && voice.output != sound_output()) voice.stop();
  if (voice.sink) voice.sink->reset();
  if (!voice.sink) {
    voice.sink = open_sound_sink({1, tonerate, 16});
    voice.output = sound_output();
  }
  const std::int64_t n = std::int64_t{tonerate} * t->ms / 1000;
  voice.samples = tone(t->frequency, 0, n, n);
  voice.sink->play(voice.samples, {});
}

void stop_message_tone() { voice.stop(); }

void Backend::beep(win::UINT type) { play_message_tone(type); }

}  // namespace plat

namespace win {

BOOL PlaySoundA(LPCSTR name, HMODULE, DWORD flags) {
  if (name == nullptr) return TRUE;
  if (!(flags & SND_FILENAME)) return FALSE;
  const std::optional<std::string> bytes = plat::filebytes(plat::unit_file_path(name));
  if (!bytes) return FALSE;
  const std::string& file = *bytes;
  const auto wav = plat::wavdata(file);
  if (!wav) return FALSE;
  auto sink = plat::open_sound_sink(wav->format);
  if (sink == nullptr) return FALSE;
  const auto* p = reinterpret_cast<const std::uint8_t*>(file.data()) + wav->first;
  plat::play_and_wait(*sink, {p, wav->size});
  return TRUE;
}

BOOL Beep(DWORD frequency, DWORD duration) {
  if (frequency < 37 || frequency > 32767) return FALSE;
  auto sink = plat::open_sound_sink({1, plat::tonerate, 16});
  if (sink == nullptr) return FALSE;
  const std::int64_t total = std::int64_t{plat::tonerate} * duration / 1000;
  // A long tone goes out in slices of 0.1 s, not as one huge buffer.
  const std::int64_t slice = plat::tonerate / 10;
  for (std::int64_t first = 0; first < total; first += slice) {
    const auto samples = plat::tone(frequency, first, std::min(slice, total - first), total);
    plat::play_and_wait(*sink, samples);
  }
  return TRUE;
}

}  // namespace win
