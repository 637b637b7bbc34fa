#include "core/editbuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/rawmem.h"
#include "core/stores.h"

using namespace core;

namespace {

struct EditBuffer : ::testing::Test {
  void TearDown() override {
    reset_editbuffer();
    reset_stores();
  }
  // FEDNXT into a buffer of n characters; the text without trailing blanks.
  std::string next(const std::int32_t* lineno = nullptr, const std::int16_t* col = nullptr,
                   std::size_t n = 256) {
    std::string buf(n, '?');
    std::span<char> s(buf);
    FEDNXT(&s, lineno, col);
    while (!buf.empty() && buf.back() == ' ') buf.pop_back();
    return buf;
  }
};

TEST_F(EditBuffer, LoadLaysOutTextRoomAndTrailer) {
  loadeditbuffer("a = 1\r\nb = 2");
  EXPECT_EQ(nedlines, 2);
  EXPECT_EQ(c1editend, 14);  // the missing last CR LF is added
  EXPECT_EQ(c1edit(13), '\r');
  EXPECT_EQ(c1edit(14), '\n');
  EXPECT_EQ(nc1edit, 12 + nc1editroom);  // the script's own length and the room
  EXPECT_EQ(c1logbase, nc1edit - 107);
  EXPECT_EQ(c1logtop, c1logbase);
  EXPECT_EQ(c1redolimit, c1logbase);
  EXPECT_EQ(GETI4FROM4C1({c1edit.ptr(nc1edit - 11), 4}), c1logbase);
  EXPECT_EQ(GETI4FROM4C1({c1edit.ptr(nc1edit - 3), 4}), c1redolimit);
  EXPECT_EQ(edline.line, 0);
}

TEST_F(EditBuffer, LineReaderStepsPositionsAndStaysOnTheLastLine) {
  loadeditbuffer("first\r\nsecond line\r\nend\r\n");
  EXPECT_EQ(next(), "first");
  EXPECT_EQ(edline.line, 1);
  EXPECT_EQ(edline.pos, 1);
  EXPECT_EQ(next(), "second line");
  EXPECT_EQ(next(), "end");
  EXPECT_EQ(edline.pos, 21);
  // Past the last line: the last line again.
  EXPECT_EQ(next(), "end");
  EXPECT_EQ(edline.line, 3);
  // To a line by number, backwards too, from a column.
  const std::int32_t two = 2, three = 3, zero = 0;
  const std::int16_t col3 = 3;
  EXPECT_EQ(next(&two), "second line");
  EXPECT_EQ(next(&three, &col3), "d");
  // Line 0 rewinds: the next step delivers line 1.
  FEDNXT(nullptr, &zero);
  EXPECT_EQ(edline.line, 0);
  EXPECT_EQ(edline.pos, 0);
  EXPECT_EQ(next(), "first");
  // A short buffer gets the start of the line, blank padded.
  EXPECT_EQ(next(&two, nullptr, 4), "seco");
}

TEST_F(EditBuffer, InsertShiftsTheTailAndLogsAnEmptyRecord) {
  loadeditbuffer("a\r\nc\r\n");
  const std::int32_t top = c1logtop;
  C1EDITINSERT(4, "b\r\n", 0);
  EXPECT_EQ(std::string(c1edit.ptr(1), static_cast<std::size_t>(c1editend)), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(nedlines, 3);
  EXPECT_EQ(c1logtop, top - 7);
  EXPECT_EQ(c1redolimit, c1logtop);
  EXPECT_EQ(c1edit(top - 5), 'I');
  EXPECT_EQ(GETI4FROM4C1({c1edit.ptr(top - 4), 4}), 4);
  EXPECT_EQ(GETI4FROM4C1({c1edit.ptr(nc1edit - 7), 4}), c1logtop);
}

}  // namespace

namespace {

std::string text() { return std::string(c1edit.ptr(1), static_cast<std::size_t>(c1editend)); }
std::int32_t byteat(std::int32_t k) { return static_cast<std::uint8_t>(c1edit(k)); }
// The bytes from `c1redolimit` to `c1logbase`.
std::string log() {
  return std::string(c1edit.ptr(c1redolimit), static_cast<std::size_t>(c1logbase - c1redolimit));
}
std::string record(std::string_view line, char type, std::int32_t pos) {
  std::string r;
  r += static_cast<char>(line.size());
  r += line;
  r += static_cast<char>(line.size());
  r += type;
  std::array<char, 4> p{};
  SET4C1FROMI4(p, pos);
  r.append(p.data(), 4);
  return r;
}
std::int32_t undo(std::int32_t flags, std::int32_t pos = -5) {
  C1EDITUNDO(pos, flags);
  return pos;
}
bool invariants() {
  return c1editend + 1 < c1redolimit && c1redolimit <= c1logtop && c1logtop <= c1logbase &&
         c1logbase == nc1edit - 107 && text().ends_with("\r\n");
}

TEST_F(EditBuffer, DeleteReplaceUndoRedoAreByteExact) {
  loadeditbuffer("one\r\ntwo\r\nthree\r\n");
  C1EDITDELETE(6);
  EXPECT_EQ(text(), "one\r\nthree\r\n");
  EXPECT_EQ(log(), record("two", 'd', 6));
  C1EDITINSERT(6, "TWO\r\n", 1);  // replaces "three": the "d" record becomes "r"
  EXPECT_EQ(text(), "one\r\nTWO\r\n");
  EXPECT_EQ(log(), record("three", 'r', 6) + record("two", 'd', 6));
  EXPECT_EQ(undo(0), 6);
  EXPECT_EQ(edvars(edv::chg), 0x80);
  EXPECT_EQ(text(), "one\r\nthree\r\n");
  EXPECT_EQ(std::string(c1edit.ptr(c1logtop), 10), record("two", 'd', 6));
  EXPECT_EQ(undo(0), 6);
  EXPECT_EQ(edvars(edv::chg), 0x40);
  EXPECT_EQ(text(), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(c1logtop, c1logbase);
  // The undone records wait for redo, emptied of the lines now in the text.
  EXPECT_EQ(log(), record("TWO", 'r', 6) + record("", 'd', 6));
  EXPECT_EQ(undo(0, 9), 9);  // nothing to undo: pos stays
  EXPECT_EQ(edvars(edv::chg), 0);
  EXPECT_EQ(undo(1), 6);
  EXPECT_EQ(edvars(edv::chg), 0x20);
  EXPECT_EQ(undo(1), 6);
  EXPECT_EQ(edvars(edv::chg), 0x80);
  EXPECT_EQ(text(), "one\r\nTWO\r\n");
  EXPECT_EQ(undo(1, 2), 2);  // nothing to redo
  // A new change drops what could be redone.
  undo(0);
  C1EDITINSERT(1, "zero\r\n", 0);
  EXPECT_EQ(c1redolimit, c1logtop);
  EXPECT_EQ(undo(1, 3), 3);
  EXPECT_TRUE(invariants());
}

TEST_F(EditBuffer, AnUndoOfAReplaceTakesTheInsertBelowItAlong) {
  loadeditbuffer("a\r\nb\r\n");
  C1EDITINSERT(4, "\r\n", 0);
  C1EDITINSERT(4, "new", 1);  // no CR LF: the whole text is the line
  EXPECT_EQ(text(), "a\r\nnew\r\nb\r\n");
  EXPECT_EQ(undo(0), 4);
  EXPECT_EQ(edvars(edv::chg), 0xA0);
  EXPECT_EQ(text(), "a\r\nb\r\n");
  EXPECT_EQ(c1logtop, c1logbase);
  // One redo brings the line back as it was typed.
  undo(1);
  EXPECT_EQ(edvars(edv::chg), 0xC0);
  EXPECT_EQ(text(), "a\r\nnew\r\nb\r\n");
  EXPECT_EQ(c1redolimit, c1logtop);
}

TEST_F(EditBuffer, RecordSizesTheOnlyLineAndLinesWithoutEnd) {
  loadeditbuffer("x\r\ny\r\n");
  const std::int32_t base = c1logtop;
  C1EDITINSERT(1, std::string(300, 'L'), 0);  // whole: two empty records
  C1EDITDELETE(1);                            // 255 and 45 characters
  EXPECT_EQ(c1logtop, base - 2 * 7 - 262 - 52);
  C1EDITDELETE(1);
  EXPECT_EQ(nedlines, 1);
  C1EDITDELETE(1);  // the last line stays
  EXPECT_EQ(text(), "y\r\n");
  // A replace of the only line logs one "r" record.
  const std::int32_t top = c1logtop;
  C1EDITINSERT(1, "z\r\n", 1);
  EXPECT_EQ(text(), "z\r\n");
  EXPECT_EQ(std::string(c1edit.ptr(c1logtop), 8), record("y", 'r', 1));
  EXPECT_EQ(c1logtop, top - 8);
  undo(0);
  EXPECT_EQ(text(), "y\r\n");
  // A position that starts no line changes nothing.
  C1EDITINSERT(2, "q\r\n", 0);
  C1EDITDELETE(2);
  EXPECT_EQ(text(), "y\r\n");
  EXPECT_EQ(C1EDITLINELENGTHWITHCRLF(1), 3);
  // A line without line end ends with the text, which stays as it is.
  c1editend = 2;
  EXPECT_EQ(C1EDITLINELENGTHWITHCRLF(1), 2);
  EXPECT_EQ(c1edit(1), 'y');
  EXPECT_EQ(C1EDITLINELENGTHWITHCRLF(3), 0);
}

// A line longer than a record is logged as a chain: the record of the
// change with its first 255 characters, "+" records below with the rest;
// undo and redo take it whole, and a replace keeps records for the longer
// of its two versions.
TEST_F(EditBuffer, ALongLineIsOneChangeOfSeveralRecords) {
  std::string t;
  for (int k = 0; k < 600; ++k) t += static_cast<char>('a' + k % 26);
  loadeditbuffer("a\r\n" + t + "\r\nb\r\n");
  EXPECT_EQ(nedlines, 3);
  C1EDITDELETE(4);
  EXPECT_EQ(text(), "a\r\nb\r\n");
  EXPECT_EQ(log(), record(t.substr(510), '+', 4) + record(t.substr(255, 255), '+', 4) +
                       record(t.substr(0, 255), 'd', 4));
  EXPECT_EQ(undo(0), 4);
  EXPECT_EQ(edvars(edv::chg), 0x40);
  EXPECT_EQ(text(), "a\r\n" + t + "\r\nb\r\n");
  EXPECT_EQ(log(), record("", '+', 4) + record("", '+', 4) + record("", 'd', 4));
  EXPECT_EQ(undo(1), 4);
  EXPECT_EQ(text(), "a\r\nb\r\n");
  undo(0);
  // Replaced by a short line and back.
  C1EDITINSERT(4, "short\r\n", 1);
  EXPECT_EQ(text(), "a\r\nshort\r\nb\r\n");
  undo(0);
  EXPECT_EQ(edvars(edv::chg), 0x80);
  EXPECT_EQ(text(), "a\r\n" + t + "\r\nb\r\n");
  undo(1);
  EXPECT_EQ(text(), "a\r\nshort\r\nb\r\n");
  // A short line replaced by a longer one gets the records it needs.
  const std::string longer = t + t;
  C1EDITINSERT(4, longer, 1);
  EXPECT_EQ(text(), "a\r\n" + longer + "\r\nb\r\n");
  undo(0);
  EXPECT_EQ(text(), "a\r\nshort\r\nb\r\n");
  undo(1);
  EXPECT_EQ(text(), "a\r\n" + longer + "\r\nb\r\n");
  // An inserted long line goes and comes back whole.
  C1EDITINSERT(1, t + "\r\n", 0);
  undo(0);
  EXPECT_EQ(edvars(edv::chg), 0x20);
  EXPECT_EQ(text(), "a\r\n" + longer + "\r\nb\r\n");
  undo(1);
  EXPECT_EQ(text(), t + "\r\na\r\n" + longer + "\r\nb\r\n");
  EXPECT_TRUE(invariants());
}

TEST_F(EditBuffer, LineSyncByLineAndByPosition) {
  const std::string_view t = "a\r\nb\r\nccc\r\n";
  std::int32_t pos = 1, line = 1;
  BYTELINESYNC(pos, line, t, INT32_MAX, 0);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(line, 3);
  BYTELINESYNC(pos, line, t, 2, 0);
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(line, 2);
  BYTELINESYNC(pos, line, t, 1, 0);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(line, 1);
  // The line that holds a position, forward and back.
  BYTELINESYNC(pos, line, t, 8, 1);
  EXPECT_EQ(pos, 7);
  BYTELINESYNC(pos, line, t, 5, 1);
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(line, 2);
  // The line end belongs to its line, forward too; an empty line holds its
  // own line end.
  pos = line = 1;
  BYTELINESYNC(pos, line, t, 5, 1);
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(line, 2);
  pos = line = 1;
  BYTELINESYNC(pos, line, std::string_view("a\r\n\r\nb\r\n"), 4, 1);
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(line, 2);
  // A NUL after a line end ends an image's text.
  const std::string image("a\r\nb\r\n\0c\r\n", 10);
  pos = line = 1;
  BYTELINESYNC(pos, line, image, INT32_MAX, 0, true);
  EXPECT_EQ(line, 2);
  pos = line = 1;
  BYTELINESYNC(pos, line, image, INT32_MAX, 0);
  EXPECT_EQ(line, 3);
}

TEST_F(EditBuffer, EditorWordsTravelReversedAndKeepTheRunRequests) {
  std::array<std::int32_t, 25> j{};
  for (int k = 1; k <= 25; ++k) edvars(k) = 100 + k;
  VARSTOJ(j);
  EXPECT_EQ(j[0], 125);
  EXPECT_EQ(j[24], 101);
  EXPECT_EQ(edvarssaved(3), 103);
  edvars(edv::flags) = 0x18;
  j[4] = 7;
  JTOVARS(j);
  EXPECT_EQ(edvars(edv::flags), 0x1F);
  EXPECT_EQ(edvars(1), 101);
  EXPECT_EQ(edvarssaved(edv::flags), 0x1F);
}

TEST_F(EditBuffer, MemoryHeaderInTheLastTwoLines) {
  nz = 8000;
  loadeditbuffer("! Names=999\r\nX = 1\r\n! floats=20000.5; CHARS=0, Program=3e9\r\nEND");
  EXPECT_EQ(nz, 20001);
  EXPECT_EQ(nname, nnamedefault);        // third line from the end
  EXPECT_EQ(nc1namen, nc1namendefault);  // not positive
  EXPECT_EQ(nxeqbuf, nxeqbufdefault);    // beyond the limit
  EXPECT_EQ(memhdrbits, 1);
}

// Random changes, undos and redos against a list of lines; now and then
// the store goes through a working copy's image and on from there.
TEST_F(EditBuffer, RandomEditsFollowAModelThroughGrowthAndImages) {
  std::vector<std::vector<std::string>> states{{"start"}};
  // The kind of each change and the position of its line.
  std::vector<std::pair<char, std::int32_t>> kinds{{' ', 0}};
  std::size_t now = 0;
  loadeditbuffer("start\r\n");
  std::uint32_t seed = 12345;
  auto rnd = [&](std::uint32_t n) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 8) % n;
  };
  const std::int32_t firstsize = nc1edit;
  for (int step = 0; step < 1500; ++step) {
    std::vector<std::string> lines = states[now];
    const auto n = static_cast<std::uint32_t>(lines.size());
    const std::uint32_t what = rnd(10);
    const std::uint32_t at = rnd(n + 1);
    std::int32_t pos = 1;
    for (std::uint32_t i = 0; i < std::min(at, n); ++i)
      pos += static_cast<std::int32_t>(lines[i].size()) + 2;
    char kind = 0;
    // Lines of every size a record chain takes: short, one record, several.
    const auto length = [&] {
      const std::uint32_t k = rnd(6);
      return k == 0 ? 255u : k == 1 ? 256u + rnd(600) : rnd(40);
    };
    if (what < 3) {
      std::string line(length(), ' ');
      for (char& c : line) c = static_cast<char>('a' + rnd(26));
      C1EDITINSERT(pos, line + "\r\n", 0);
      lines.insert(lines.begin() + at, line);
      kind = 'I';
    } else if (what < 5 && at < n) {
      C1EDITDELETE(pos);
      if (n > 1) {
        lines.erase(lines.begin() + at);
        kind = 'd';
      }
    } else if (what < 6 && at < n) {
      const std::string line(rnd(4) == 0 ? length() : rnd(20), static_cast<char>('A' + rnd(26)));
      C1EDITINSERT(pos, line, 1);
      lines[at] = line;
      kind = 'r';
    } else if (what < 8) {
      undo(0);
      // An insert goes with the replace after it when that is its line.
      const bool paired = kinds[now].first == 'r' && now >= 2 && kinds[now - 1].first == 'I' &&
                          kinds[now - 1].second == kinds[now].second;
      if (now > 0) now -= paired ? 2 : 1;
    } else {
      undo(1);
      // ... and is redone with it.
      const bool paired = now + 2 < states.size() && kinds[now + 1].first == 'I' &&
                          kinds[now + 2].first == 'r' &&
                          kinds[now + 1].second == kinds[now + 2].second;
      if (now + 1 < states.size()) now += paired ? 2 : 1;
    }
    if (kind != 0) {
      states.resize(now + 1);
      kinds.resize(now + 1);
      states.push_back(lines);
      kinds.push_back({kind, pos});
      ++now;
    }
    std::string want;
    for (const std::string& l : states[now]) want += l + "\r\n";
    ASSERT_EQ(text(), want) << "step " << step;
    ASSERT_EQ(nedlines, static_cast<std::int32_t>(states[now].size()));
    ASSERT_TRUE(invariants()) << "step " << step;
    // The line reader, wherever the change left it, reads the lines.
    const auto k = static_cast<std::int32_t>(1 + rnd(static_cast<std::uint32_t>(nedlines)));
    std::string read(1000, ' ');
    std::span<char> into(read);
    FEDNXT(&into, &k);
    read.erase(read.find_last_not_of(' ') + 1);
    ASSERT_EQ(read, states[now][static_cast<std::size_t>(k - 1)]) << "step " << step;
    if (step % 97 == 0) {
      sealc1edit();
      const std::string image(c1edit.data(), static_cast<std::size_t>(nc1edit));
      ASSERT_EQ(loadworkcopy(image), Restore::restored) << "step " << step;
      ASSERT_EQ(std::string(c1edit.data(), static_cast<std::size_t>(nc1edit)), image);
      ASSERT_EQ(text(), want);
    }
  }
  EXPECT_GT(nc1edit, firstsize);  // it grew on the way
}

TEST_F(EditBuffer, GrowthMovesLogAndTrailerAndBlanksTheRoom) {
  loadeditbuffer("a\r\nb\r\n", "/home/u/s.ost");
  C1EDITDELETE(1);
  undo(0);
  C1EDITDELETE(4);
  const std::string before = log();
  const std::int32_t n = nc1edit, base = c1logbase, top = c1logtop, limit = c1redolimit;
  c1edit(c1editend + 5) = 'x';
  growc1edit();
  EXPECT_EQ(nc1edit, n + 10000);
  EXPECT_EQ(c1logbase, base + 10000);
  EXPECT_EQ(c1logtop, top + 10000);
  EXPECT_EQ(c1redolimit, limit + 10000);
  EXPECT_EQ(log(), before);
  EXPECT_EQ(c1edit(c1editend + 5), ' ');
  EXPECT_EQ(trailertitle().substr(0, 13), "/home/u/s.ost");
  EXPECT_EQ(GETI4FROM4C1({c1edit.ptr(nc1edit - 7), 4}), c1logtop);
  undo(0);
  EXPECT_EQ(text(), "a\r\nb\r\n");
}

TEST_F(EditBuffer, ADamagedWorkingCopyKeepsItsTextWithoutLog) {
  loadeditbuffer("keep\r\nme\r\n", "/w/k.ost");
  C1EDITINSERT(1, "new\r\n", 0);
  sealc1edit();
  const std::string good(c1edit.data(), static_cast<std::size_t>(nc1edit));
  const auto damaged = [&](std::int32_t at, char c) {
    std::string image = good;
    image[static_cast<std::size_t>(at - 1)] = c;
    return loadworkcopy(image);
  };
  const std::int32_t top = c1logtop, n = nc1edit;
  for (const auto& [at, c] : std::vector<std::pair<std::int32_t, char>>{
           {n - 6, 1},         // log top moved off its record
           {top + 1, 9},       // length copies differ
           {top + 2, 'x'},     // unknown type
           {top + 3, 9},       // newest record's line is no line start
           {n - 10, 0x7F}}) {  // log base not where the trailer lies
    EXPECT_EQ(damaged(at, c), Restore::damaged) << at;
    EXPECT_EQ(text(), "new\r\nkeep\r\nme\r\n");
    EXPECT_EQ(c1logtop, c1logbase);
    EXPECT_EQ(trailertitle().substr(0, 8), "/w/k.ost");
  }
  EXPECT_EQ(loadworkcopy(good.substr(0, 15)), Restore::tooshort);
  // Lines up to the image's last byte: a text, never read past its end.
  EXPECT_EQ(loadworkcopy(std::string(400, 'x') + "\r\n"), Restore::damaged);
  EXPECT_EQ(loadworkcopy(good), Restore::restored);
  EXPECT_EQ(c1logtop, top);
}

// Working copies with changes of long and short lines, done and undone,
// damaged byte by byte (seeded): each is taken whole or as its text alone,
// and whatever log it keeps can be undone and redone to its ends.
TEST_F(EditBuffer, DamagedWorkingCopiesAreTakenSafely) {
  std::string t;
  for (int k = 0; k < 700; ++k) t += static_cast<char>('A' + k % 23);
  loadeditbuffer("one\r\n" + t + "\r\nthree\r\n", "/w/f.ost");
  C1EDITDELETE(6);
  C1EDITINSERT(1, t.substr(0, 300) + "\r\n", 0);
  C1EDITINSERT(1, "x", 1);
  C1EDITINSERT(1, "y\r\n", 0);
  undo(0);
  undo(0);
  sealc1edit();
  const std::string good(c1edit.data(), static_cast<std::size_t>(nc1edit));
  std::uint32_t seed = 20240507;
  auto rnd = [&](std::uint32_t n) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 8) % n;
  };
  // The bytes worth hitting: the text's start, the log and the trailer; and
  // the record starts, which the marks may be set to.
  const auto logfrom = static_cast<std::uint32_t>(c1redolimit - 1);
  const auto n = static_cast<std::uint32_t>(good.size());
  std::vector<std::int32_t> starts;
  for (std::int32_t b = c1redolimit; b < c1logbase; b += byteat(b) + 7) starts.push_back(b);
  for (int round = 0; round < 1000; ++round) {
    std::string image = good;
    for (std::uint32_t hits = 1 + rnd(3); hits > 0; --hits) {
      if (rnd(3) == 0) {
        // The log top or the redo limit put on another record's start.
        std::array<char, 4> mark{};
        SET4C1FROMI4(mark, starts[rnd(static_cast<std::uint32_t>(starts.size()))]);
        image.replace(n - (rnd(2) == 0 ? 8 : 4), 4, mark.data(), 4);
        continue;
      }
      const std::uint32_t at = rnd(4) == 0 ? rnd(40) : logfrom + rnd(n - logfrom);
      image[at] = static_cast<char>(rnd(4) == 0 ? rnd(256) : image[at] ^ (1u << rnd(8)));
    }
    const Restore r = loadworkcopy(image);
    ASSERT_NE(r, Restore::tooshort) << round;
    ASSERT_TRUE(invariants()) << round;
    // A log taken whole undoes to its start and redoes back to the text.
    const std::string loaded = text();
    int undone = 0;
    while (undone < 10 && (undo(0), edvars(edv::chg) != 0)) ++undone;
    ASSERT_TRUE(invariants()) << round;
    ASSERT_TRUE(r == Restore::damaged || c1logtop == c1logbase) << round;
    while (undone > 0 && (undo(1), edvars(edv::chg) != 0)) --undone;
    ASSERT_TRUE(invariants()) << round;
    if (r == Restore::restored) {
      ASSERT_EQ(text(), loaded) << round;
    }
  }
}

}  // namespace

// The save point: the text is modified while the done changes are not those
// at the save; undone past it and changed, the saved text cannot come back.
TEST_F(EditBuffer, TheSavePointTellsWhetherTheTextIsModified) {
  loadeditbuffer("a\r\nb\r\n");
  EXPECT_FALSE(c1editmodified());
  C1EDITINSERT(1, "x\r\n", 1);
  C1EDITINSERT(4, "\r\n", 0);
  EXPECT_TRUE(c1editmodified());
  c1editsaved();
  EXPECT_FALSE(c1editmodified());
  undo(0);
  EXPECT_TRUE(c1editmodified());
  undo(1);
  EXPECT_FALSE(c1editmodified());
  undo(0);
  undo(0);
  EXPECT_TRUE(c1editmodified());
  C1EDITDELETE(1);  // the redo records go, and with them the saved text
  undo(0);
  undo(1);
  EXPECT_TRUE(c1editmodified());
  c1editforget();
  EXPECT_FALSE(c1editmodified());
  EXPECT_FALSE(undoavailable());
}
