// The note language: every command, the notes and rests it gives, the
// partial table, and the cutting of tunes into segments.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "io/music.h"
#include "io/notes.h"
#include "platform/sound_sink.h"

namespace {

using io::NoteList;

// Frequency of semitone i above the C of octave o, as the tunes compute it.
std::int32_t hz(int i, int o = 0) {
  return static_cast<std::int32_t>(261.6255f * static_cast<float>(1 << o) * std::exp2(i / 12.0));
}

struct Note {
  std::int32_t dur, freq, vol, volend;
  bool operator==(const Note&) const = default;
};

void PrintTo(const Note& n, std::ostream* os) {
  *os << "{" << n.dur << "," << n.freq << "," << n.vol << "," << n.volend << "}";
}

class Notes : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::use_sound_output(plat::SoundOutput::capture);
    io::reset_music();
  }
  void TearDown() override { io::reset_music(); }
  std::vector<Note> parse(const std::string& s) {
    io::PREPARE_CHANNEL_INTERNAL(s, s.size(), list, shared);
    std::vector<Note> out;
    for (std::int32_t i = 1; i <= list.count; ++i)
      out.push_back({list.notedur(i), list.notefreq(i), list.notevol(i), list.notevolend(i)});
    return out;
  }
  NoteList list;
  io::NoteParse shared;
};

constexpr std::int32_t unit = 128 * 44;  // one length unit at 44100 Hz
const Note rest{unit, 21, 0, 0};

TEST_F(Notes, EachCommandAndNoteGivesItsEntries) {
  struct Case {
    std::string text;
    std::vector<Note> notes;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {" \r\n ", {}},
      {"(c d) V3 v2 # b ' \"", {}},
      {"c", {{unit, 261, 9, 0}}},
      {"C", {{unit, 130, 9, 0}}},
      {"'c", {{unit, 523, 9, 0}}},
      {"\"c", {{unit, hz(24), 9, 0}}},
      {"'c d", {{unit, 523, 9, 0}, {unit, hz(2), 9, 0}}},  // the octave mark is for one note
      {"4c", {{4 * unit, 261, 9, 0}}},
      {"123c", {{3 * unit, 261, 9, 0}}},  // 12, then 3
      {"0c", {{unit, 261, 9, 0}}},
      {"4c d", {{4 * unit, 261, 9, 0}, {unit, hz(2), 9, 0}}},
      {"h H", {{unit, hz(11), 9, 0}, {unit, hz(-1), 9, 0}}},
      {"#e f bc", {{unit, hz(5), 9, 0}, {unit, hz(5), 9, 0}, {unit, hz(-1), 9, 0}}},
      {"b#d #bd", {{unit, hz(3), 9, 0}, {unit, hz(1), 9, 0}}},  // the last sign counts
      {"#C", {{unit, hz(-11), 9, 0}}},
      {"o2c o1D oc", {{unit, hz(0, 2), 9, 0}, {unit, hz(-10, 1), 9, 0}, {unit, hz(0, 1), 9, 0}}},
      {"BR-.,pt)\t", std::vector<Note>(9, rest)},
      {"(c(d)e)f (g", {{unit, hz(5), 9, 0}}},
      {"V5v2c d Vv e", {{unit, 261, 5, 2}, {unit, hz(2), 5, 2}, {unit, hz(4), 9, 0}}},
      {"V5v2R", {rest}},
      {"4c<4e<4g", {{4 * unit, 261, 9, 0}, {-4 * unit, hz(4), 9, 0}, {-4 * unit, hz(7), 9, 0}}},
      {"c<4e", {{unit, 261, 9, 0}, {-unit, hz(4), 9, 0}}},  // reaches back no further than c
      {"<c", {{0, 261, 9, 0}}},
      {"T4c d", {{64 * 44, 261, 9, 0}, {64 * 44, hz(2), 9, 0}}},
      {"T4 4c", {{4 * 64 * 44, 261, 9, 0}}},
      {"T0c", {{16 * 44, 261, 9, 0}}},
      {"Tc", {{unit, 261, 9, 0}}},  // the note clears the tempo sign
      {"$7c", {{7 * unit, 261, 9, 0}}},
      {"$28c", {{128 * 11, 261, 9, 0}}},
      {"$6c", {{0, 261, 9, 0}}},
      {"c$1c", {{unit, 261, 9, 0}, {128 * 22, 261, 9, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    io::reset_music();
    shared = {};
    EXPECT_EQ(parse(c.text), c.notes);
  }
}

TEST_F(Notes, RateBitsAndUnitStayForTheNextTune) {
  parse("$28 T4 c");
  EXPECT_EQ(io::waveformat.rate, 11025);
  EXPECT_EQ(io::waveformat.bits, 8);
  EXPECT_EQ(io::waveformat.unit, 64);
  // Rates 44100 / 2^d for every digit 0 to 6.
  for (int d = 0; d <= 6; ++d) {
    parse("$" + std::to_string(d));
    EXPECT_EQ(io::waveformat.rate, 44100 >> d);
  }
  // The tempo sign is carried from one channel's string into the next.
  io::reset_music();
  shared = {};
  parse("c T");
  EXPECT_EQ(parse("4c"), (std::vector<Note>{{64 * 44, 261, 9, 0}}));
}

TEST_F(Notes, PartialsAddUpToOne) {
  struct Case {
    std::string text;
    std::vector<float> amp;
    std::int32_t count;
  };
  const std::vector<Case> cases = {
      {"P", {1, 0, 0, 0, 0, 0, 0, 0}, 1},
      {"P000", {1, 0, 0, 0, 0, 0, 0, 0}, 3},
      {"P13", {0.25f, 0.75f, 0, 0, 0, 0, 0, 0}, 2},
      {"P0004", {0, 0, 0, 1, 0, 0, 0, 0}, 4},
      {"P111111119", {0.125f, 0.125f, 0.125f, 0.125f, 0.125f, 0.125f, 0.125f, 0.125f}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    shared = {};
    parse(c.text);
    for (std::int32_t k = 1; k <= 8; ++k) EXPECT_FLOAT_EQ(shared.partials.amp(k), c.amp[k - 1]);
    EXPECT_EQ(shared.partials.count, c.count);
  }
  // A ninth digit is a length.
  EXPECT_EQ(list.count, 0);
  parse("P111111119c");
  EXPECT_EQ(list.notedur(1), 9 * unit);
}

// The segments of a tune: for each, the last note of each channel and the
// length in samples.
struct Cut {
  std::int32_t last1, last2;
  std::int64_t length;
  bool operator==(const Cut&) const = default;
};

void PrintTo(const Cut& c, std::ostream* os) {
  *os << "{" << c.last1 << "," << c.last2 << "," << c.length << "}";
}

TEST_F(Notes, SegmentsEndWhereBothChannelsEndANoteAndNeverInAChord) {
  struct Case {
    std::string left, right;
    std::vector<Cut> cuts;
  };
  const std::vector<Case> cases = {
      {"c d e", "", {{1, 0, unit}, {2, 0, unit}, {3, 0, unit}}},
      {"4c<4e<4g d", "", {{3, 0, 4 * unit}, {4, 0, unit}}},
      {"c d<2e f", "", {{3, 0, 2 * unit}, {4, 0, unit}}},  // e reaches back over c and d
      {"<c d", "", {{2, 0, unit}}},                        // a segment of nothing is passed over
      {"$6c d", "", {}},
      {"c d", "e f", {{1, 1, unit}, {2, 2, unit}}},
      {"2c d", "d 2e", {{2, 2, 3 * unit}}},
      {"2c<2e g", "c d g", {{2, 2, 2 * unit}, {3, 3, unit}}},
      {"c", "2e f", {{1, 1, 2 * unit}, {1, 2, unit}}},
      {"", "c", {{0, 1, unit}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left + " | " + c.right);
    io::reset_music();
    NoteList left, right;
    io::NoteParse p;
    const std::size_t cap = std::max(c.left.size(), c.right.size());
    io::PREPARE_CHANNEL_INTERNAL(c.left, cap, left, p);
    io::PREPARE_CHANNEL_INTERNAL(c.right, cap, right, p);
    std::vector<Cut> cuts;
    std::int32_t l1 = 0, l2 = 0;
    std::int64_t length = 0;
    while (io::NEXT_SEGMENT(left, right, l1, l2, length)) cuts.push_back({l1, l2, length});
    EXPECT_EQ(cuts, c.cuts);
  }
}

}  // namespace
