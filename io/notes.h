// The note language of BEEP: a note string per channel becomes a list of
// notes and rests (durations in samples, frequencies, start and end
// levels), and the two lists are cut into segments that end where both
// channels end a note, never inside a chord.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/indexed.h"

namespace io {

// The sound settings, kept while the program runs: the rate counts the
// samples of all channels together; the time unit is the length of one
// note-length unit in milliseconds.
struct WaveSettings {
  std::int32_t rate = 44100;
  std::int32_t bits = 16;  // 16 or 8
  std::int32_t channels = 1;
  std::int32_t unit = 128;
};
inline WaveSettings waveformat;

// The partial table: amplitudes 1 to 8 (adding up to 1) and the count used.
struct Partials {
  plat::Store1<float> amp{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  std::int32_t count = 1;
};

// What one BEEP call's parse carries from channel 1 into channel 2.
struct NoteParse {
  Partials partials;
  bool tempo = false;
};

// One channel's notes, 1 to count. A duration counts samples of the whole
// interleaved stream; a negative one is a chord note that starts that many
// samples back and sounds with what precedes it. A rest has frequency 21
// and levels 0.
struct NoteList {
  std::int32_t count = 0;
  plat::Store1<std::int32_t> notedur;
  plat::Store1<std::int32_t> notefreq;
  plat::Store1<std::int8_t> notevol;
  plat::Store1<std::int8_t> notevolend;
  // The longest reach back of a chord note, in samples.
  std::int32_t reach = 0;
  // Sum of the positive durations.
  std::int64_t samples() const;
};

// Parses one channel's note string into list (sized to capacity, at least
// the string's length, and cleared first). Changes the rate, the bits and
// the time unit of `waveformat` as the string says; "$" closes the wave-out
// device (CLOSE_INTERNAL).
void PREPARE_CHANNEL_INTERNAL(std::string_view notes, std::size_t capacity, NoteList& list,
                              NoteParse& shared);

// Advances one channel: takes notes after `last` into its segment time t
// until t reaches target or the notes run out (at least one note), and
// then every later chord note that reaches back before the cut.
void MATCH_INTERNAL(std::int32_t& last, const NoteList& list, std::int64_t& t, std::int64_t target);

// The next segment after notes last1 of channel 1 and last2 of channel 2:
// moves them to the segment's last notes and gives its length in samples.
// False when no note is left. A segment of no samples (a tune at rate 689,
// a chord sign before the first note) is passed over, not taken for the
// end, so that every note is reached.
bool NEXT_SEGMENT(const NoteList& ch1, const NoteList& ch2, std::int32_t& last1,
                  std::int32_t& last2, std::int64_t& length);

}  // namespace io
