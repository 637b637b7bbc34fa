#include "io/music.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <thread>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/winapi_byname.h"
#include "exec/postfix.h"
#include "exec/wordpath.h"
#include "exec/xeq.h"
#include "platform/file_replace.h"
#include "platform/win_cursor.h"

namespace io {

namespace {

// The longest text that may name a WAV file.
constexpr std::size_t wavnamelimit = 256;

// The status of the last wave-out call, and the one header of the device,
// prepared and unprepared around each segment.
win::MMRESULT status = 0;
win::WAVEHDR header;

win::HWAVEOUT device() { return win::handle_from<win::HWAVEOUT>(core::hwaveout); }

void report(win::MMRESULT result) {
  status = result;
  CHKERRINTERNAL();
}

void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void inputstep() { exec::runinputstep(); }

// One BEEP call's tune: both channels' notes, whether it goes into a WAV
// file (replaced by the new sound only once it is whole), and the file's
// first failure.
struct Tune {
  NoteList ch1;
  NoteList ch2;
  NoteParse parse;
  bool file = false;
  std::optional<plat::Replacement> wav;
  int filestatus = 0;
};

// Plays one rendered segment and waits for it, running the input step
// every millisecond; a break silences and closes the device.
void play(std::span<std::uint8_t> bytes) {
  header = {};
  header.lpData = reinterpret_cast<win::LPSTR>(bytes.data());
  header.dwBufferLength = static_cast<win::DWORD>(bytes.size());
  const win::HWAVEOUT h = device();
  report(win::waveOutPrepareHeader(h, &header, sizeof header));
  pause();
  report(win::waveOutWrite(h, &header, sizeof header));
  // Without a buffer queued no done will come.
  bool queued = status == 0;
  while (queued && wavedone.load() == 0) {
    pause();
    inputstep();
    if (core::xeqstop == exec::stops::cancel || core::keystate[1] == 1) {
      report(win::waveOutReset(h));
      report(win::waveOutClose(h));
      core::hwaveout = 0;
      break;
    }
    // Closed meanwhile: a store grew during the input step.
    if (core::hwaveout == 0) break;
  }
  if (core::hwaveout != 0) status = win::waveOutUnprepareHeader(h, &header, sizeof header);
  wavedone = 0;
  CHKERRINTERNAL();
}

// Renders one segment of count samples (notes after..last of each
// channel), then plays it or appends it to the WAV file.
void SOUND_IT_NOW_INTERNAL(Tune& tune, std::int64_t count, std::array<std::int32_t, 2> after,
                           std::array<std::int32_t, 2> last) {
  const std::int32_t bytes = waveformat.bits / 8;
  win::WAVEFORMATEX f;
  f.wFormatTag = win::WAVE_FORMAT_PCM;
  f.nChannels = static_cast<win::WORD>(waveformat.channels);
  f.nSamplesPerSec = static_cast<win::DWORD>(waveformat.rate / waveformat.channels);
  f.nAvgBytesPerSec = static_cast<win::DWORD>(waveformat.rate * bytes);
  f.nBlockAlign = static_cast<win::WORD>(waveformat.channels * bytes);
  f.wBitsPerSample = static_cast<win::WORD>(waveformat.bits);
  f.cbSize = 0;
  if (core::hwaveout == 0) {
    win::HWAVEOUT h = nullptr;
    status =
        win::waveOutOpen(&h, win::WAVE_MAPPER, &f, reinterpret_cast<win::DWORD_PTR>(&_waveOutProc),
                         0, win::CALLBACK_FUNCTION);
    core::hwaveout = win::handle_value(h);
    CHKERRINTERNAL();
  }
  std::vector<std::int16_t> words(bytes == 2 ? static_cast<std::size_t>(count) : 0);
  std::vector<std::uint8_t> pcm(bytes == 1 ? static_cast<std::size_t>(count) : 0);
  if (tune.ch1.count > 0)
    CHANNELINTERNAL(0, after[0] + 1, last[0], tune.ch1, tune.parse.partials, words, pcm);
  if (waveformat.channels == 2 && tune.ch2.count > 0)
    CHANNELINTERNAL(1, after[1] + 1, last[1], tune.ch2, tune.parse.partials, words, pcm);
  if (bytes == 2) {
    pcm.resize(words.size() * 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
      const auto u = static_cast<std::uint16_t>(words[i]);
      pcm[2 * i] = static_cast<std::uint8_t>(u & 0xFF);
      pcm[2 * i + 1] = static_cast<std::uint8_t>(u >> 8);
    }
  }
  if (tune.file) {
    const std::string_view out(reinterpret_cast<const char*>(pcm.data()), pcm.size());
    if (!tune.wav->write(out)) tune.filestatus = plat::replace_iostat(tune.wav->result());
    return;
  }
  if (core::hwaveout != 0) play(pcm);
}

std::string textof(std::int32_t first, std::int32_t last) {
  std::string t;
  for (std::int32_t i = first; i <= last && core::c1namen.valid(i); ++i) t += core::c1namen(i);
  return t;
}

// Without trailing blanks, but never shorter than one character.
std::string_view trimmed(std::string_view t) {
  const std::size_t n = t.find_last_not_of(' ');
  return t.substr(0, n == std::string_view::npos ? std::min<std::size_t>(t.size(), 1) : n + 1);
}

bool wavname(std::string_view t) {
  if (t.size() > wavnamelimit) return false;
  std::string up(t);
  for (char& c : up)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return up.find(".WAV") != std::string::npos;
}

}  // namespace

void _waveOutProc(win::HWAVEOUT, win::UINT message, win::DWORD_PTR, win::DWORD_PTR,
                  win::DWORD_PTR) {
  if (message == win::MM_WOM_OPEN || message == win::MM_WOM_CLOSE) wavedone = 0;
  if (message == win::MM_WOM_DONE) wavedone = -1;
}

void CLOSE_INTERNAL() {
  if (core::hwaveout == 0) return;
  const win::HWAVEOUT h = device();
  report(win::waveOutReset(h));
  report(win::waveOutUnprepareHeader(h, &header, sizeof header));
  report(win::waveOutClose(h));
  core::hwaveout = 0;
  waveformat.bits = 16;
  waveformat.rate = 44100;
}

void CHKERRINTERNAL() {
  if (status == 0) return;
  std::array<char, 256> text{};
  status = win::waveOutGetErrorTextA(status, text.data(), static_cast<win::UINT>(text.size()));
  std::string_view t(text.data());
  t = t.substr(0, t.find_last_not_of(' ') + 1);
  int answer = 0;
  core::MESSAGEBOX("-", t, answer);
}

double MUSIC(std::string_view ch1, std::optional<std::string_view> ch2,
             std::optional<std::string_view> wav) {
  if (!ch2 && waveformat.channels == 2) {
    CLOSE_INTERNAL();
    waveformat.channels = 1;
  } else if (ch2 && waveformat.channels == 1) {
    CLOSE_INTERNAL();
    waveformat.channels = 2;
  }
  Tune tune;
  const std::size_t capacity = std::max(ch1.size(), ch2 ? ch2->size() : 0);
  // A pass that closed the device ("$") is parsed again, so that every
  // duration counts with the settings the first pass left.
  std::uint32_t before = 0;
  do {
    before = core::hwaveout;
    tune.parse = {};
    PREPARE_CHANNEL_INTERNAL(ch1, capacity, tune.ch1, tune.parse);
    PREPARE_CHANNEL_INTERNAL(ch2.value_or(""), capacity, tune.ch2, tune.parse);
  } while (core::hwaveout != before);
  const std::int64_t total = std::max(tune.ch1.samples(), tune.ch2.samples());
  const std::int64_t datasize = total * (waveformat.bits / 8);
  if (wav) {
    const auto h = wavheader(static_cast<std::uint32_t>(datasize));
    tune.wav.emplace(*wav);
    if (!tune.wav->write({reinterpret_cast<const char*>(h.data()), h.size()})) {
      core::iostatw[0] = static_cast<std::int16_t>(plat::replace_iostat(tune.wav->result()));
      return static_cast<double>(datasize);
    }
    tune.file = true;
  }
  std::int32_t last1 = 0, last2 = 0;
  std::int64_t length = 0;
  for (;;) {
    const std::array<std::int32_t, 2> after{last1, last2};
    if (!NEXT_SEGMENT(tune.ch1, tune.ch2, last1, last2, length)) break;
    SOUND_IT_NOW_INTERNAL(tune, length, after, {last1, last2});
    // A file is written whole whatever the device does; playing ends when
    // the device was closed (a break).
    if (tune.file ? tune.filestatus != 0 : core::hwaveout == 0) break;
  }
  if (tune.file) {
    // A sound not written whole leaves the file as it was.
    const int status =
        tune.filestatus != 0 ? tune.filestatus : plat::replace_iostat(tune.wav->commit());
    core::iostatw[0] = static_cast<std::int16_t>(status);
  }
  return static_cast<double>(datasize);
}

double MUSIC_ALL(std::span<const std::int32_t> args) {
  const auto n = static_cast<std::int32_t>(args.size());
  std::optional<std::string> ch1, ch2, wav;
  for (std::int32_t k = 0; k < n; ++k) {
    std::int32_t first = 0, last = 0;
    if (!exec::wordpath::textbounds(args[static_cast<std::size_t>(k)], first, last)) {
      // A number: a system beep, or a tone of the last two numbers.
      if (n == 1) {
        static constexpr std::array<win::UINT, 5> types{0, 0x30, 0x40, 0x20, 0x10};
        const std::int64_t v = exec::wordpath::nearest(exec::wordpath::value(args[0]));
        win::MessageBeep(v >= 1 && v <= 4 ? types[static_cast<std::size_t>(v)] : 0);
      } else {
        core::WinApiArgs a{};
        a[0] = static_cast<win::DWORD>(
            exec::wordpath::nearest(exec::wordpath::value(args[static_cast<std::size_t>(n - 2)])));
        a[1] = static_cast<win::DWORD>(
            exec::wordpath::nearest(exec::wordpath::value(args[static_cast<std::size_t>(n - 1)])));
        core::CALLWINAPISUB("Beep", a, "K-");
      }
      return 0.0;
    }
    const std::string text = textof(first, last);
    if (wavname(text)) {
      const std::string name(trimmed(text));
      if (n == 1) {
        win::PlaySoundA(name.c_str(), nullptr, win::SND_FILENAME);
        return 0.0;
      }
      wav = name;
      continue;
    }
    if (!ch1) ch1 = std::string(trimmed(text));
    if (k == n - 1) ch2 = std::string(trimmed(text));
  }
  std::optional<std::string_view> right, file;
  if (ch2) right = *ch2;
  if (wav) file = *wav;
  return MUSIC(ch1.value_or(""), right, file);
}

void reset_music() {
  CLOSE_INTERNAL();
  waveformat = {};
  wavedone = 0;
  status = 0;
  header = {};
}

}  // namespace io
