// The format language: descriptors one at a time, record lengths of whole
// formats, and pictures, each as a table of worked examples.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "io/formatparse.h"
#include "io/picture.h"
#include "io/rwtexts.h"

namespace {

using namespace io;

struct ParseCase {
  const char* fmt;
  std::int32_t start;
  std::int32_t next;
  char letter;
  std::int32_t repeat, width, decimals;
  char written;
  std::int32_t textend;
};

TEST(FormatParse, OneDescriptor) {
  const ParseCase cases[] = {
      {"F10.3", 1, 7, 'F', 1, 10, 3, 'F', 5},
      {"F 1 0 . 3", 1, 11, 'F', 1, 10, 3, 'F', 9},
      {"3I5,A", 1, 5, 'I', 3, 5, -1, 'I', 3},
      {"3I5,A", 5, 7, 'A', 1, 0, -1, 'A', 5},
      {"E12.4E3", 1, 9, 'E', 1, 12, 4, 'E', 7},
      {"E12.4E", 1, -7, 'E', 1, 12, 4, 'E', 0},
      {"E12.4E34", 1, -8, 'E', 1, 12, 4, 'E', 0},
      {"F10.E2", 1, 8, 'F', 1, 10, 0, 'F', 6},
      {"F10.3E2E3", 1, 11, 'F', 1, 10, 3, 'F', 9},
      {"EN12.3", 1, 8, 'E', 1, 12, 3, 'E', 6},
      {"es12.3", 1, 8, 'E', 1, 12, 3, 'e', 6},
      {"IB4", 1, 5, 'i', 1, 4, -1, 'B', 3},
      {"IBU4", 1, 6, 'i', 1, 4, -1, 'u', 4},
      {"iu4", 1, 5, 'I', 1, 4, -1, 'u', 3},
      {"Iu4", 1, -2, 'I', 1, 0, -1, 'I', 0},
      {"FB8", 1, 5, 'f', 1, 8, -1, 'B', 3},
      {"fb8.2", 1, -4, 'f', 1, 8, -1, 'b', 0},
      {"B8.4", 1, 6, 'B', 1, 8, 4, 'B', 4},
      {"A8.2", 1, -3, 'A', 1, 8, -1, 'A', 0},
      {"X5", 1, -2, 'X', 1, 0, -1, ' ', 0},
      {"5X", 1, 4, 'X', 5, 0, -1, ' ', 2},
      {"'Total: ',F8.2", 1, 11, 'a', 1, 0, -1, ' ', 9},
      {"'it''s'", 1, -5, 'a', 1, 0, -1, ' ', 0},
      {"'open", 1, -6, ' ', 1, 0, -1, ' ', 0},
      {"(", 1, 2, '(', fmtnorepeat, 0, -1, ' ', 0},
      {"2(", 1, 3, '(', 2, 0, -1, ' ', 0},
      {"0(", 1, 3, '(', fmtnorepeat, 0, -1, ' ', 0},
      {"F8.2)", 1, 5, 'F', 1, 8, 2, 'F', 0},
      {"F8.2)", 5, 6, ')', 1, 0, -1, ' ', 0},
      {",A5", 1, 5, 'A', 1, 5, -1, 'A', 3},
      {" ,A5", 1, -2, ' ', 1, 0, -1, ' ', 0},
      {"I2147483647", 1, -11, 'I', 1, 214748364, -1, 'I', 0},
      {"I214748364", 1, 12, 'I', 1, 214748364, -1, 'I', 10},
      {"2147483647X", 1, -10, ' ', 214748364, 0, -1, ' ', 0},
      {"Uccyymmdd,F8.2", 1, 11, 'U', 1, 8, -1, 'U', 9},
      {"U(a/b)", 1, 8, 'U', 1, 5, -1, 'U', 6},
      {"12", 1, -3, ' ', 12, 0, -1, ' ', 0},
      {"F8.", 1, -4, 'F', 1, 8, 0, 'F', 0},
      {"F.3", 1, -2, 'F', 1, 0, -1, 'F', 0},
      {"Q5", 1, -1, ' ', 1, 0, -1, ' ', 0},
      {"A5", 3, -3, ' ', 1, 0, -1, ' ', 0},
      {"L2/A", 1, 4, 'L', 1, 2, -1, 'L', 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fmt) + " from " + std::to_string(c.start));
    std::int32_t pos = c.start;
    FmtDescr d;
    const std::string_view f(c.fmt);
    PARSENEXTFORMAT(f, static_cast<std::int32_t>(f.size()), pos, d);
    EXPECT_EQ(pos, c.next);
    EXPECT_EQ(d.letter, c.letter);
    EXPECT_EQ(d.repeat, c.repeat);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.decimals, c.decimals);
    EXPECT_EQ(d.written, c.written);
    if (c.next > 0) {
      EXPECT_EQ(d.textend, c.textend);
    }
  }
}

TEST(FormatParse, LastLimitsTheScanAndTextStartIsTheLettersPosition) {
  std::int32_t pos = 1;
  FmtDescr d;
  PARSENEXTFORMAT("F10.3", 5, pos, d);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(d.textstart, 1);
  pos = 1;
  PARSENEXTFORMAT("I5,I6", 2, pos, d);  // the rest beyond last is not read
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(d.width, 5);
  pos = 4;
  d.textstart = 77;
  PARSENEXTFORMAT("2X, FB8", 7, pos, d);
  EXPECT_EQ(d.textstart, 5);  // the F, not the B
  pos = 1;
  d.textstart = 77;
  PARSENEXTFORMAT("'x'", 3, pos, d);
  EXPECT_EQ(d.textstart, 77);  // not written for a literal
  pos = 1;
  PARSENEXTFORMAT("A5", 99, pos, d);  // last beyond the text is cut to it
  EXPECT_EQ(pos, 4);
}

struct ReclCase {
  const char* fmt;
  std::int32_t items;
  std::int32_t recl, covered;
  char summary;
};

TEST(FormatParse, RecordLengthOfAFormat) {
  const ReclCase cases[] = {
      {"3F10.3", fmtnorepeat, 30, 3, 'F'},
      {"A8,2X,I5", fmtnorepeat, 15, 2, 'I'},
      {"A", fmtnorepeat, 0, 1, '?'},
      {"I5,A", fmtnorepeat, 5, 2, '?'},
      {"I5,F", fmtnorepeat, 5, 2, '?'},
      {"I5,I", fmtnorepeat, 5, 1, 'I'},
      {"(I5)", fmtnorepeat, 5, 2, '?'},
      {"'Sum',F8.2", fmtnorepeat, 8, 2, '?'},
      {"B8,A", fmtnorepeat, 8, 2, '2'},
      {"5I4", 2, 8, 2, 'I'},
      {"I4,I4,I4", 2, 8, 2, 'I'},
      {"A8,2X,I5   ", fmtnorepeat, 15, 2, 'I'},
      {"|Name L    |", fmtnorepeat, 12, 1, '?'},
      {"$$", fmtnorepeat, 0, 1, '?'},
      {"", fmtnorepeat, 0, 1, '?'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fmt);
    std::int32_t recl = -1, covered = -1;
    char summary = 0;
    const std::string_view f(c.fmt);
    GETRECLFROMFMT(recl, f, static_cast<std::int32_t>(f.size()), covered, c.items, summary);
    EXPECT_EQ(recl, c.recl);
    EXPECT_EQ(covered, c.covered);
    EXPECT_EQ(summary, c.summary);
  }
}

TEST(FormatParse, RandomFormatsAndPicturesNeverReadOutsideTheTextAndAlwaysEnd) {
  // Each text is copied into a buffer of exactly its size, so that the
  // address sanitizer sees any read beyond it.
  std::mt19937 rng(30);
  const std::string alphabet = "AEFGILOZBUXfiub0123456789.,/()'\" ENS$|LCR-+";
  for (int round = 0; round < 20000; ++round) {
    const std::size_t n = rng() % 14;
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += alphabet[rng() % alphabet.size()];
    std::unique_ptr<char[]> exact(new char[n + 1]);
    std::copy(text.begin(), text.end(), exact.get());
    const std::string_view f(exact.get(), n);
    std::int32_t recl = 0, covered = 0;
    char summary = 0;
    GETRECLFROMFMT(recl, f, static_cast<std::int32_t>(n), covered, fmtnorepeat, summary);
    EXPECT_GE(recl, 0) << text;
    // The same text as a number picture, and as a separator picture.
    char letter = ' ', delimiter = autodelimiter;
    std::int32_t width = 0, decimals = 0, next = 0;
    PICTUREFORMAT(f, static_cast<std::int32_t>(n), 1, letter, width, decimals, next, delimiter, -1);
    fmtwork.set(text.substr(0, rng() % 4));
    std::string target(6, ' ');
    std::int32_t start = 0, end = 0, tp = 1, pp = 1;
    char status = ' ';
    for (int k = 0; k < 4; ++k) PICTUREREAD(f, target, start, end, tp, pp, status);
    std::int32_t pos = 1;
    for (int k = 0; k < 40 && pos > 0 && pos <= static_cast<std::int32_t>(n); ++k) {
      FmtDescr d;
      const std::int32_t before = pos;
      PARSENEXTFORMAT(f, static_cast<std::int32_t>(n), pos, d);
      if (pos > 0) {
        EXPECT_GT(pos, before) << text;
      }
      EXPECT_GE(d.repeat, 1);
    }
  }
}

struct PictureCase {
  const char* text;
  std::int32_t mode;
  int code;
  char letter;
  std::int32_t width, next;
  const char* made;
};

TEST(Pictures, NumberAndTextPictures) {
  const PictureCase cases[] = {
      {"12345", -1, picnumber, 'I', 5, 6, "(I  5)"},
      {"1234.56", -1, picnumber, 'F', 7, 8, "(F  7. 2)"},
      {"1.234E+05", -1, picnumber, 'E', 9, 10, "(ES  9.  3E  3)"},
      {"<12.3>", -1, picnumber, 'F', 4, 6, "(F  4. 1)"},
      {"-1234.56", -1, picnone, ' ', 0, 1, ""},
      {"x", -1, picliteral, 'a', 0, 2, ""},
      {"|ab|", -1, picnone, ' ', 0, 4, ""},
      {"|Name L    |", 0, picleft, 'A', 10, 12, "(A 10)"},
      {"|C  |", 0, piccentre, 'A', 3, 5, "(A  3)"},
      {"#  R#", 0, picright, 'A', 3, 5, "(A  3)"},
      {"|Name      |", 0, picliteral, 'a', 10, 12, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string_view t(c.text);
    char letter = ' ', delimiter = autodelimiter;
    std::int32_t width = 0, decimals = 0, next = 0;
    fmtwork.blank();
    const int code = PICTUREFORMAT(t, static_cast<std::int32_t>(t.size()), 1, letter, width,
                                   decimals, next, delimiter, c.mode);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(next, c.next);
    if (code > 0) {
      EXPECT_EQ(letter, c.letter);
      EXPECT_EQ(width, c.width);
    }
    EXPECT_EQ(fmtwork.trimmed(), c.made);
  }
}

TEST(Pictures, AWidthOfFourDigitsFillsItsFieldWithStars) {
  const std::string t = "|L" + std::string(1000, ' ') + "|";
  char letter = ' ', delimiter = autodelimiter;
  std::int32_t width = 0, decimals = 0, next = 0;
  PICTUREFORMAT(t, static_cast<std::int32_t>(t.size()), 1, letter, width, decimals, next, delimiter,
                0);
  EXPECT_EQ(width, 1001);
  EXPECT_EQ(fmtwork.trimmed(), "(A***)");
}

TEST(Pictures, PictureToFormatGivesTheDescriptorWithoutParentheses) {
  std::string desc(16, '?');
  std::int32_t pos = 1, count = 0;
  fmtwork.blank();
  PICTURETOFMT("|Name L    |", 12, pos, desc, count);
  EXPECT_EQ(desc, "A 10            ");
  EXPECT_EQ(pos, 12);
  EXPECT_EQ(count, 1);
  pos = 1;
  fmtwork.blank();
  PICTURETOFMT("|Name      |", 12, pos, desc, count);
  EXPECT_EQ(desc, std::string(16, ' '));
}

// PICTUREREAD over text with the picture pic; returns the field read.
std::string readfield(const char* pic, std::string_view text, std::int32_t& textpos,
                      std::int32_t& picpos) {
  fmtwork.set(pic);
  std::string target(8, '#');
  std::int32_t start = 0, end = 0;
  char status = ' ';
  PICTUREREAD(text, target, start, end, textpos, picpos, status);
  EXPECT_EQ(status, 'A');
  return target.substr(0, target.find_last_not_of(' ') + 1);
}

TEST(Pictures, ReadingFieldsBySeparators) {
  std::int32_t tp = 1, pp = 1;
  EXPECT_EQ(readfield(",", "a,b", tp, pp), "a");
  EXPECT_EQ(tp, 2);  // on the comma
  tp = 3;
  EXPECT_EQ(readfield(",", "a,b", tp, pp), "b");
  EXPECT_EQ(tp, 4);
  // The comma inside the quotes does not end the field; the quotes go.
  tp = 1;
  pp = 1;
  EXPECT_EQ(readfield(",;", "\"x,y\",z", tp, pp), "x,y");
  EXPECT_EQ(tp, 6);
  EXPECT_EQ(pp, 1);
  // CR and LF are dropped from a field.
  tp = 1;
  pp = 1;
  EXPECT_EQ(readfield(";", "a\r\nb;c", tp, pp), "ab");
  // A picture without separators gives a blank field and passes the text.
  tp = 1;
  pp = 1;
  EXPECT_EQ(readfield("", "abc  ", tp, pp), "");
  EXPECT_EQ(tp, 4);
}

}  // namespace
