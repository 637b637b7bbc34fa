// BEEP: system beeps, tones, WAV files played whole, and tunes in the note
// language (io/notes.h) rendered segment by segment and played through the
// wave-out device or written into a WAV file. Playing is synchronous; the
// input step runs every millisecond meanwhile, and Escape (or a cancel)
// silences the device at once and ends the tune.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/notes.h"
#include "platform/win_wave.h"

namespace io {

// 0 while a buffer plays, -1 once the device has returned it; the only
// word the wave-out callback touches, from the sound output's thread.
inline std::atomic<std::int32_t> wavedone{0};

// The wave-out callback.
void _waveOutProc(win::HWAVEOUT device, win::UINT message, win::DWORD_PTR instance,
                  win::DWORD_PTR p1, win::DWORD_PTR p2);

// BEEP over its arguments (stack entries, the first written first): one
// number a system beep, more numbers a tone (the last two: hertz and
// milliseconds), a lone text naming a ".WAV" file plays that file, and note
// strings make a tune, written into the ".WAV" file among the arguments
// when there is one. Returns the tune's size in bytes, else 0; a failure of
// the WAV file leaves its status in `iostatw`.
double MUSIC_ALL(std::span<const std::int32_t> args);

// The tune of channel 1 and, when given, channel 2 (then it is stereo),
// played, or written into the file named wav. Returns the size of the
// sound data in bytes.
double MUSIC(std::string_view ch1, std::optional<std::string_view> ch2,
             std::optional<std::string_view> wav);

// The 44-byte header of a WAV file of that many bytes of samples in the
// format of `waveformat`.
std::vector<std::uint8_t> wavheader(std::uint32_t datasize);

// Renders notes first to last of one channel (offset 0 left or mono, 1
// right) into a segment's samples (signed 16-bit words, or unsigned bytes
// at 8 bits, interleaved when there are two channels).
void CHANNELINTERNAL(std::int32_t offset, std::int32_t first, std::int32_t last,
                     const NoteList& list, const Partials& partials,
                     std::vector<std::int16_t>& words, std::vector<std::uint8_t>& bytes);

// Closes an open wave-out device and puts the rate and bits back to 44100
// and 16.
void CLOSE_INTERNAL();

// Shows the status of the last wave-out call when it is an error.
void CHKERRINTERNAL();

// Closes the device and puts `waveformat` back to its start values.
void reset_music();

}  // namespace io
