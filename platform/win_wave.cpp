// Wave-out devices over the sound sinks.
#include "platform/win_wave.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/sound_sink.h"

namespace win {

namespace {

struct Device {
  HWAVEOUT handle = nullptr;
  WAVEOUTPROC proc = nullptr;
  DWORD_PTR instance = 0;
  // Guards the flags of the headers this device has queued: the sink's
  // thread marks them done.
  std::mutex m;
  std::unique_ptr<plat::SoundSink> sink;  // last: gone first, with its thread

  void tell(UINT msg, DWORD_PTR p1) const {
    if (proc != nullptr) proc(handle, msg, instance, p1, 0);
  }
};

// Open devices by handle; used on the GUI thread only.
std::map<std::uint32_t, std::unique_ptr<Device>> devices;
std::uint32_t next_handle = 0x5A00;

Device* find(HWAVEOUT h) {
  const auto it = devices.find(handle_value(h));
  return it == devices.end() ? nullptr : it->second.get();
}

// The checks of every call on a header, then its flags changed under the
// device's lock: a header in the queue is refused, one without the flags
// `need` is unprepared, and a header to be prepared needs its data.
MMRESULT headerflags(HWAVEOUT device, WAVEHDR* header, UINT size, DWORD need, DWORD clear,
                     DWORD set, Device*& d) {
  d = find(device);
  if (d == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR) ||
      ((set & WHDR_PREPARED) && header->lpData == nullptr))
    return MMSYSERR_INVALPARAM;
  std::lock_guard lk(d->m);
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  if ((header->dwFlags & need) != need) return WAVERR_UNPREPARED;
  header->dwFlags = (header->dwFlags & ~clear) | set;
  return MMSYSERR_NOERROR;
}

bool playable(const WAVEFORMATEX& f) {
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec > 0 &&
         f.nSamplesPerSec <= 0x7FFFFFFF && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

struct ErrorText {
  MMRESULT code;
  std::string_view text;
};
constexpr std::array<ErrorText, 9> errortexts{{
    {MMSYSERR_NOERROR, "The specified command was carried out."},
    {MMSYSERR_BADDEVICEID, "The specified device identifier is out of range."},
    {MMSYSERR_INVALHANDLE, "The specified device handle is invalid."},
    {MMSYSERR_BADERRNUM, "The specified error number is out of range."},
    {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
    {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
    {WAVERR_BADFORMAT, "The sound format is not supported by the sound output."},
    {WAVERR_STILLPLAYING, "The buffer cannot be used while it is still playing."},
    {WAVERR_UNPREPARED, "The wave header was not prepared."},
}};

}  // namespace

MMRESULT waveOutOpen(HWAVEOUT* device, UINT id, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags) {
  if (device == nullptr || format == nullptr) return MMSYSERR_INVALPARAM;
  *device = nullptr;
  if (id != WAVE_MAPPER && id != 0) return MMSYSERR_BADDEVICEID;
  if (flags != CALLBACK_NULL && flags != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
  if (!playable(*format)) return WAVERR_BADFORMAT;
  auto d = std::make_unique<Device>();
  d->sink = plat::open_sound_sink(
      {format->nChannels, static_cast<int>(format->nSamplesPerSec), format->wBitsPerSample});
  if (d->sink == nullptr) return WAVERR_BADFORMAT;
  d->handle = handle_from<HWAVEOUT>(next_handle++);
  if (flags == CALLBACK_FUNCTION) d->proc = reinterpret_cast<WAVEOUTPROC>(callback);
  d->instance = instance;
  *device = d->handle;
  const Device& opened = *d;
  devices[handle_value(d->handle)] = std::move(d);
  opened.tell(MM_WOM_OPEN, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size) {
  Device* d = nullptr;
  return headerflags(device, header, size, 0, 0, WHDR_PREPARED, d);
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT size) {
  Device* d = nullptr;
  const MMRESULT r = headerflags(device, header, size, WHDR_PREPARED, WHDR_DONE, WHDR_INQUEUE, d);
  if (r != MMSYSERR_NOERROR) return r;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
  d->sink->play({bytes, header->dwBufferLength}, [d, header] {
    {
      std::lock_guard lk(d->m);
      header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    }
    d->tell(MM_WOM_DONE, reinterpret_cast<DWORD_PTR>(header));
  });
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT device) {
  Device* d = find(device);
  if (d == nullptr) return MMSYSERR_INVALHANDLE;
  d->sink->reset();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size) {
  Device* d = nullptr;
  return headerflags(device, header, size, 0, WHDR_PREPARED, 0, d);
}

MMRESULT waveOutClose(HWAVEOUT device) {
  const auto it = devices.find(handle_value(device));
  if (it == devices.end()) return MMSYSERR_INVALHANDLE;
  std::unique_ptr<Device> d = std::move(it->second);
  devices.erase(it);
  d->sink->reset();
  d->sink.reset();
  d->tell(MM_WOM_CLOSE, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
  if (text == nullptr || size == 0) return MMSYSERR_INVALPARAM;
  const auto it = std::find_if(errortexts.begin(), errortexts.end(),
                               [error](const ErrorText& e) { return e.code == error; });
  if (it == errortexts.end()) {
    text[0] = '\0';
    return MMSYSERR_BADERRNUM;
  }
  const std::size_t n = std::min<std::size_t>(it->text.size(), size - 1);
  std::memcpy(text, it->text.data(), n);
  text[n] = '\0';
  return MMSYSERR_NOERROR;
}

}  // namespace win

namespace plat {

void reset_wave_devices() {
  while (!win::devices.empty())
    win::waveOutClose(win::handle_from<win::HWAVEOUT>(win::devices.begin()->first));
  win::next_handle = 0x5A00;
  stop_message_tone();
}

}  // namespace plat
