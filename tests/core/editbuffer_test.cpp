#include "core/editbuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

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
  EXPECT_EQ(nc1edit, 14 + nc1editroom + 107);
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
