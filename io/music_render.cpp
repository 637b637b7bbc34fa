// The samples of a tune's notes, and the header of a WAV file.
#include <algorithm>
#include <cmath>

#include "io/music.h"

namespace io {

namespace {

// 2 pi as the tunes have always been computed with.
constexpr float twopi = 6.2831855f;

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

void CHANNELINTERNAL(std::int32_t offset, std::int32_t first, std::int32_t last,
                     const NoteList& list, const Partials& partials,
                     std::vector<std::int16_t>& words, std::vector<std::uint8_t>& bytes) {
  const std::int64_t channels = waveformat.channels;
  const std::int64_t persecond = waveformat.rate / channels;
  const bool sixteen = waveformat.bits != 8;
  const double full = sixteen ? 32767.0 : 127.0;
  const std::int64_t size =
      sixteen ? static_cast<std::int64_t>(words.size()) : static_cast<std::int64_t>(bytes.size());
  std::int64_t p = offset;
  std::int32_t voices = 1;
  for (std::int32_t i = first; i <= last; ++i) {
    const double w =
        static_cast<double>(twopi) * list.notefreq(i) / static_cast<double>(channels * persecond);
    const double vol = list.notevol(i);
    const double volend = list.notevolend(i);
    const double amplitude = full / 9.0 * std::exp(std::max(vol, volend) - 9.0);
    std::int64_t d = list.notedur(i);
    double a = 1.0;
    if (d > 0) {
      voices = 1;
    } else {
      ++voices;
      a = 1.0 / voices;
      d = -d;
      p -= d;
    }
    const std::int64_t steps = (d + channels - 1) / channels;
    for (std::int64_t step = 0; step < steps; ++step) {
      const std::int64_t j = 1 + step * channels;
      const std::int64_t at = p + j - 1;  // j counts from 1
      if (at < 0 || at >= size) continue;
      const double phase = static_cast<double>(j) * w;
      double s = 0.0;
      for (std::int32_t k = 1; k <= partials.count; ++k) s += partials.amp(k) * std::sin(k * phase);
      const double r = static_cast<double>(j) / static_cast<double>(d);
      const double level = (1.0 - r) * vol + r * volend;
      const auto index = static_cast<std::size_t>(at);
      if (sixteen) {
        const double v = a * s * amplitude * level + (1.0 - a) * words[index];
        words[index] = static_cast<std::int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
      } else {
        const double v = s * amplitude * level + 127.0;
        const double mixed = a * v + (1.0 - a) * bytes[index];
        bytes[index] = static_cast<std::uint8_t>(std::clamp(std::trunc(mixed), 0.0, 255.0));
      }
    }
    p += d;
  }
}

std::vector<std::uint8_t> wavheader(std::uint32_t datasize) {
  std::vector<std::uint8_t> h(44, 0);
  const auto text = [&h](std::size_t at, const char* t) {
    std::copy(t, t + 4, h.begin() + static_cast<std::ptrdiff_t>(at));
  };
  const std::uint32_t channels = static_cast<std::uint32_t>(waveformat.channels);
  const std::uint32_t align = channels * static_cast<std::uint32_t>(waveformat.bits / 8);
  const std::uint32_t rate = static_cast<std::uint32_t>(waveformat.rate) / channels;
  text(0, "RIFF");
  put32(h, 4, datasize + 36);
  text(8, "WAVE");
  text(12, "fmt ");
  put32(h, 16, 16);
  put16(h, 20, 1);
  put16(h, 22, channels);
  put32(h, 24, rate);
  put32(h, 28, rate * align);
  put16(h, 32, align);
  put16(h, 34, static_cast<std::uint32_t>(waveformat.bits));
  text(36, "data");
  put32(h, 40, datasize);
  return h;
}

}  // namespace io
