#include "core/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codeword_dump.h"
#include "core/codewords.h"
#include "core/runwords.h"

using namespace core;

namespace {

struct Tok {
  std::vector<double> values = std::vector<double>(maxtokens, -1.0);
  std::string run(std::string_view line, std::int32_t mode = 1) {
    reset_runwords();
    reset_tokenizer();
    values.assign(maxtokens, -1.0);
    TOKEN(line, values, mode);
    return core::cwdump::tokens();
  }
  std::string cols() const {
    std::string s;
    for (int k = 1; k <= ntok; ++k)
      s += std::to_string(tokbeg(k)) + "-" + std::to_string(tokend(k)) + " ";
    return s;
  }
};

}  // namespace

TEST(Tokenizer, OperatorsAndSigns) {
  Tok t;
  EXPECT_EQ(t.run("A**2 "), "name ^ num end");
  EXPECT_EQ(tokcod(2), cwv(0xA810));
  EXPECT_EQ(t.run("A**2 ", 0), "name * * num end");  // lenient: no pairs
  EXPECT_EQ(t.run("A^2 "), "name ^ num end");
  EXPECT_EQ(t.run("X=-1 "), "name = -u num end");
  EXPECT_EQ(tokcod(3), cwv(0xA840));
  EXPECT_EQ(t.values[3], 1.0);
  EXPECT_EQ(t.run("X=A*-1 "), "name = name * - num end");
  EXPECT_EQ(tokcod(5), cwv(0xA030));
  EXPECT_EQ(t.run("+1,(-2):/+3 "), "+u num , ( -u num ) : / +u num end");
  EXPECT_EQ(t.run("a<=b>=c==d/=e><f//g "),
            "name <= name >= name == name /= name >< name // name end");
  EXPECT_EQ(tokcod(12), cwv(0xA060));
  EXPECT_EQ(t.run("s = a & b && c "), "name = name & name && name end");
  EXPECT_EQ(tokcod(6), cwv(0xA062));
}

TEST(Tokenizer, DottedWordsNamesAndNumbers) {
  Tok t;
  EXPECT_EQ(t.run("a.lt.b "), "name < name end");
  EXPECT_EQ(tokcod(2), cwv(0x9C10));
  EXPECT_EQ(t.run("a.ne.b .GE. c "), "name /= name >= name end");
  EXPECT_EQ(t.run("x_1$ = \xE4hnlich "), "name = name end");
  EXPECT_EQ(t.cols(), "1-4 6-6 8-14 15-15 ");
  EXPECT_EQ(t.run("Y=12.5e1+.5 "), "name = num + num end");
  EXPECT_EQ(t.values[2], 125.0);
  EXPECT_EQ(t.values[4], 0.5);
  EXPECT_EQ(t.values[0], 0.0);   // a name's element is set to 0
  EXPECT_EQ(t.values[1], -1.0);  // an operator's is left alone
  EXPECT_EQ(t.cols(), "1-1 2-2 3-8 9-9 10-11 12-12 ");
}

TEST(Tokenizer, TextLiteralsAndComments) {
  Tok t;
  EXPECT_EQ(t.run("S='it''s' "), "name = text text end");
  EXPECT_EQ(t.cols(), "1-1 2-2 4-5 8-8 10-10 ");
  EXPECT_EQ(t.run("#abc# "), "text end");
  EXPECT_EQ(t.cols(), "2-4 6-6 ");
  EXPECT_EQ(t.run("S=\"\" "), "name = text end");
  EXPECT_EQ(tokend(3), tokbeg(3) - 1);  // empty literal
  EXPECT_EQ(t.run("A=1 ! note"), "name = num end");
  EXPECT_EQ(tokbeg(4), 5);
  EXPECT_EQ(t.run("A=1\r\nB=2 "), "name = num end");
  EXPECT_EQ(tokbeg(4), 4);
  EXPECT_EQ(t.run("   "), "end");
  EXPECT_EQ(t.run(""), "end");
}

TEST(Tokenizer, ScanLimitWithoutTrailingBlank) {
  Tok t;
  // The last position is the scan limit: a single character there is not
  // taken, a token reaching it is taken without an end marker.
  EXPECT_EQ(t.run("A=B"), "name = end");
  EXPECT_EQ(t.run("A=BC"), "name = name");
  EXPECT_EQ(t.run("A=12"), "name = num");
  EXPECT_EQ(t.run("A=12 "), "name = num end");
}

TEST(Tokenizer, Failures) {
  Tok t;
  t.run("A=1E ");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(tokenkey.str(), "invalNum");
  EXPECT_EQ(ntok, 3);
  t.run("A=1E ", 0);  // malformed numbers fail in every mode
  EXPECT_EQ(tokenkey.str(), "invalNum");

  t.run("S='abc ");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(tokenkey.str(), "illegalChar");
  t.run("S='abc ", -1);
  EXPECT_EQ(tokenkey.str(), "illegalChar");
  // Lenient: the lone delimiter is a one-character token and the scan goes on.
  EXPECT_EQ(t.run("S='abc ", 0), "name = text name end");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_TRUE(tokenkey.is_blank());
  EXPECT_EQ(t.cols(), "1-1 2-2 3-3 4-6 7-7 ");
}

TEST(Tokenizer, LineCapacity) {
  Tok t;
  std::string line;
  for (int i = 0; i < 127; ++i) line += "a,";
  line += "b ";  // 255 tokens and the end marker fit exactly
  t.run(line);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(ntok, 256);
  EXPECT_EQ(tokcod(256), cwd::end);
  line.insert(0, "c,");
  t.run(line);
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(tokenkey.str(), "tooManyTokens");
  EXPECT_EQ(ntok, 256);

  // More number literals than the values array holds.
  std::vector<double> few(2);
  std::int32_t mode = 1;
  reset_runwords();
  TOKEN("1,2,3 ", few, mode);
  EXPECT_EQ(tokenkey.str(), "tooManyTokens");
  EXPECT_EQ(few[0], 1.0);
}

TEST(Tokenizer, Txliza) {
  std::int32_t n = -5;
  const std::string_view text = "a\r\nb\r\nc\r\n";
  TXLIZA(text, 1, 1, n);
  EXPECT_EQ(n, 0);
  TXLIZA(text, 1, 10, n);
  EXPECT_EQ(n, 3);
  TXLIZA(text, 1, 5, n);  // the CR at 5 is not counted
  EXPECT_EQ(n, 1);
  TXLIZA(text, 9, 1, n);
  EXPECT_EQ(n, -3);
  TXLIZA(text, 9, 2, n);  // the CR at 2 lies at the end point
  EXPECT_EQ(n, -2);
}
