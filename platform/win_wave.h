// Wave output of the Windows-style interface: a wave-out device plays PCM
// buffers through a sound sink (platform/sound_sink.h) and tells its
// callback, from the sink's thread, when each buffer has played; a WAV file
// played whole; a tone; and the short tones of MessageBeep where no display
// rings a bell.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "platform/win_window.h"

namespace win {

struct HWAVEOUT__ {};
using HWAVEOUT = HWAVEOUT__*;
using DWORD_PTR = std::uintptr_t;
using MMRESULT = UINT;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;

inline constexpr UINT WAVE_MAPPER = 0xFFFFFFFF;
inline constexpr WORD WAVE_FORMAT_PCM = 1;
inline constexpr DWORD CALLBACK_NULL = 0;
inline constexpr DWORD CALLBACK_FUNCTION = 0x30000;

// Messages to the callback: the device opened, closed, a buffer done
// (parameter 1 the buffer's header).
inline constexpr UINT MM_WOM_OPEN = 0x3BB;
inline constexpr UINT MM_WOM_CLOSE = 0x3BC;
inline constexpr UINT MM_WOM_DONE = 0x3BD;

// Header flags.
inline constexpr DWORD WHDR_DONE = 0x1;
inline constexpr DWORD WHDR_PREPARED = 0x2;
inline constexpr DWORD WHDR_INQUEUE = 0x10;

inline constexpr DWORD SND_FILENAME = 0x20000;

#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;  // frames per second
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;  // bytes per frame
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};
#pragma pack(pop)

struct WAVEHDR {
  LPSTR lpData = nullptr;
  DWORD dwBufferLength = 0;
  DWORD dwBytesRecorded = 0;
  DWORD_PTR dwUser = 0;
  DWORD dwFlags = 0;
  DWORD dwLoops = 0;
  WAVEHDR* lpNext = nullptr;
  DWORD_PTR reserved = 0;
};

// The callback: device, message, instance, parameter 1, parameter 2.
using WAVEOUTPROC = void (*)(HWAVEOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

// Opens a device (WAVE_MAPPER or device 0) for 8- or 16-bit PCM of one or
// two channels; with CALLBACK_FUNCTION, callback is a WAVEOUTPROC.
MMRESULT waveOutOpen(HWAVEOUT* device, UINT id, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size);
// Queues a prepared buffer; MM_WOM_DONE follows once it has played.
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT size);
// Stops at once; every queued buffer is marked done (MM_WOM_DONE) before it
// returns.
MMRESULT waveOutReset(HWAVEOUT device);
// WAVERR_STILLPLAYING while the buffer is queued; a header that was never
// prepared is left as it is.
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT size);
// Closes the device; a buffer still queued is dropped as by waveOutReset
// (the device never outlives its close).
MMRESULT waveOutClose(HWAVEOUT device);
// The text of an MMRESULT, cut to the buffer; MMSYSERR_BADERRNUM for an
// unknown code.
MMRESULT waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size);

// Plays a PCM WAV file (8 or 16 bits, 1 or 2 channels) and returns when it
// has played; flags must hold SND_FILENAME. FALSE, and nothing played, for
// a file that cannot be read or is no such WAV file. A null name plays
// nothing and returns TRUE.
BOOL PlaySoundA(LPCSTR name, HMODULE module, DWORD flags);

// A sine tone of frequency hertz (37 to 32767) for that many milliseconds;
// returns when it has played. FALSE for a frequency out of range.
BOOL Beep(DWORD frequency, DWORD duration);

}  // namespace win

namespace plat {

// The short tone of a message-box type (MB_ICONxxx, 0 or 0xFFFFFFFF),
// started without waiting: MessageBeep's sound where no display rings a
// bell. A tone still sounding is cut off by the next.
void play_message_tone(win::UINT type);

// Cuts off the message tone.
void stop_message_tone();

// Closes every open wave-out device and cuts off the message tone. For tests.
void reset_wave_devices();

}  // namespace plat
