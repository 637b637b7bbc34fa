#include "io/notes.h"

#include <algorithm>
#include <cmath>

#include "io/music.h"

namespace io {

namespace {

// Middle C, as the tunes have always been tuned.
constexpr float middlec = 261.6255f;
// Note letters by semitone above C; "H" is B natural.
constexpr std::string_view scale = "C D EF G A H";

bool isdigit(char c) { return c >= '0' && c <= '9'; }

// The parse state of one channel.
struct Channel {
  float reference = middlec;  // the octave's C
  float base = middlec;       // the next note's C
  std::int32_t accidental = 0;
  std::int32_t length = 1;
  bool chord = false;
  std::int64_t elapsed = 0;  // milliseconds
  std::int8_t start = 9;
  std::int8_t end = 0;
};

void partials(std::string_view s, std::size_t& i, Partials& p) {
  p.count = 1;
  for (std::int32_t k = 1; k <= 8; ++k) p.amp(k) = 0.0f;
  for (std::int32_t j = 1; j <= 8 && i + 1 < s.size() && isdigit(s[i + 1]); ++j) {
    p.amp(j) = static_cast<float>(s[++i] - '0');
    p.count = j;
  }
  float sum = 0.0f;
  for (std::int32_t k = 1; k <= 8; ++k) sum += p.amp(k);
  if (sum == 0.0f) {
    p.amp(1) = 1.0f;
    sum = 1.0f;
  }
  for (std::int32_t k = 1; k <= 8; ++k) p.amp(k) /= sum;
}

void note(char c, Channel& ch, NoteList& list) {
  if (static_cast<unsigned char>(c) <= static_cast<unsigned char>('H')) ch.accidental -= 12;
  const char up = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  const std::size_t k = scale.find(up);
  const std::int32_t n = ++list.count;
  if (k != std::string_view::npos) {
    const auto i = static_cast<std::int32_t>(k) + ch.accidental;  // semitones above C
    const double f = std::max(static_cast<double>(ch.base) * std::exp2(i / 12.0), 21.0);
    list.notefreq(n) = static_cast<std::int32_t>(f);
    list.notevol(n) = ch.start;
    list.notevolend(n) = ch.end;
  } else {
    list.notefreq(n) = 21;
    list.notevol(n) = 0;
    list.notevolend(n) = 0;
  }
  const std::int32_t unit = waveformat.unit;
  if (ch.chord) {
    ch.chord = false;
    ch.length = -static_cast<std::int32_t>(std::min<std::int64_t>(ch.length, ch.elapsed / unit));
  } else {
    ch.elapsed += static_cast<std::int64_t>(ch.length) * unit;
  }
  list.notedur(n) = ch.length * unit * (waveformat.rate / 1000);
  ch.length = 1;
  ch.accidental = 0;
  ch.base = ch.reference;
}

}  // namespace

std::int64_t NoteList::samples() const {
  std::int64_t sum = 0;
  for (std::int32_t i = 1; i <= count; ++i) sum += std::max(notedur(i), 0);
  return sum;
}

void PREPARE_CHANNEL_INTERNAL(std::string_view s, std::size_t capacity, NoteList& list,
                              NoteParse& shared) {
  capacity = std::max(capacity, s.size());
  for (auto* a : {&list.notedur, &list.notefreq}) a->assign(capacity, 0);
  for (auto* a : {&list.notevol, &list.notevolend}) a->assign(capacity, 0);
  list.count = 0;
  list.reach = 0;
  Channel ch;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool digitnext = i + 1 < s.size() && isdigit(s[i + 1]);
    switch (c) {
      case ' ':
      case '\r':
      case '\n':
        break;
      case '"':
        ch.base = ch.reference * 4.0f;
        break;
      case '\'':
        ch.base = ch.reference * 2.0f;
        break;
      case '#':
        ch.accidental = 1;
        break;
      case 'b':
        ch.accidental = -1;
        break;
      case '$':
        CLOSE_INTERNAL();
        while (i + 1 < s.size() && isdigit(s[i + 1]) && s[i + 1] != '7' && s[i + 1] != '9') {
          const int d = s[++i] - '0';
          if (d == 8)
            waveformat.bits = 8;
          else
            waveformat.rate = 44100 / (1 << d);
        }
        break;
      case '(':
        for (int depth = 1; depth > 0 && i + 1 < s.size();) {
          const char t = s[++i];
          depth += t == '(' ? 1 : t == ')' ? -1 : 0;
        }
        break;
      case '<':
        ch.length = 1;
        ch.chord = true;
        break;
      case 'o':
        if (digitnext) {
          ch.reference = middlec * static_cast<float>(1 << (s[++i] - '0'));
          ch.base = ch.reference;
        }
        break;
      case 'P':
        partials(s, i, shared.partials);
        break;
      case 'T':
        shared.tempo = true;
        break;
      case 'V':
        ch.start = static_cast<std::int8_t>(digitnext ? s[++i] - '0' : 9);
        break;
      case 'v':
        ch.end = static_cast<std::int8_t>(digitnext ? s[++i] - '0' : 0);
        break;
      default:
        if (isdigit(c)) {
          std::int32_t n = c - '0';
          if (digitnext) n = n * 10 + (s[++i] - '0');
          if (shared.tempo) {
            waveformat.unit = std::max(n, 1) * 16;
            ch.length = 1;
          } else {
            ch.length = std::max(n, 1);
          }
          shared.tempo = false;
        } else {
          shared.tempo = false;
          note(c, ch, list);
        }
    }
  }
  for (std::int32_t i = 1; i <= list.count; ++i)
    list.reach = std::max(list.reach, -list.notedur(i));
}

void MATCH_INTERNAL(std::int32_t& last, const NoteList& list, std::int64_t& t,
                    std::int64_t target) {
  do {
    ++last;
    t += std::max(list.notedur(last), 0);
    // A later chord note that starts before the cut belongs to this side of
    // it; none can once the running time is further on than the longest
    // reach back.
    std::int64_t s = t;
    for (std::int32_t j = last + 1; j <= list.count && s - list.reach < t; ++j) {
      if (s + list.notedur(j) < t) {
        last = j;
        t = s;
      } else {
        s += std::max(list.notedur(j), 0);
      }
    }
  } while (t < target && last < list.count);
}

bool NEXT_SEGMENT(const NoteList& ch1, const NoteList& ch2, std::int32_t& last1,
                  std::int32_t& last2, std::int64_t& length) {
  while (last1 < ch1.count || last2 < ch2.count) {
    std::int64_t t1 = 0, t2 = 0;
    if (last1 < ch1.count) MATCH_INTERNAL(last1, ch1, t1, t2);
    if (last2 < ch2.count) MATCH_INTERNAL(last2, ch2, t2, t1);
    for (;;) {
      if (t1 > t2) {
        if (last2 >= ch2.count) break;
        MATCH_INTERNAL(last2, ch2, t2, t1);
      } else if (t1 < t2) {
        if (last1 >= ch1.count) break;
        MATCH_INTERNAL(last1, ch1, t1, t2);
      } else {
        break;
      }
    }
    length = std::max(t1, t2);
    if (length > 0) return true;
  }
  return false;
}

}  // namespace io
