#include "core/chars.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using core::c1slice;

std::string padded(std::string_view text, int n) {
  std::string out(static_cast<std::size_t>(n), '?');
  core::STRITOC1(text, out);
  return out;
}

TEST(CharSets, NameCharactersAndSeparatorsSplitTheBytes) {
  int names = 0, seps = 0;
  for (int c = 0; c < 256; ++c) {
    const unsigned char cls = core::charclass[c];
    names += (cls & core::cc_name) != 0;
    seps += (cls & core::cc_separator) != 0;
    EXPECT_FALSE((cls & core::cc_name) && (cls & core::cc_separator)) << c;
  }
  EXPECT_EQ(names, 140);
  EXPECT_EQ(seps, 115);
  EXPECT_EQ(core::charclass[0], 0);
  for (char c : std::string_view("_$\x83\xAA\xB2\xB5\xDF\xFF\xC0"))
    EXPECT_TRUE(core::is_namechar(c)) << int(static_cast<unsigned char>(c));
  for (char c : std::string_view(" .,-+\t\x7F\x80\xD7\xF7\xA0\xB4"))
    EXPECT_TRUE(core::is_separator(c)) << int(static_cast<unsigned char>(c));
}

TEST(CharCopy, TextToArrayIsPaddedOrCut) {
  EXPECT_EQ(padded("ab", 5), "ab   ");
  EXPECT_EQ(padded("ab", 1), "a");
  EXPECT_EQ(padded("", 3), "   ");

  // The text may lie inside the array, ahead of or behind its target.
  std::string a = "xxabcd";
  core::STRITOC1(std::string_view(a).substr(2, 3), c1slice(a.data(), 5));
  EXPECT_EQ(a, "abc  d");
  std::string b = "abcdef";
  core::STRITOC1(std::string_view(b).substr(0, 3), c1slice(b.data() + 2, 4));
  EXPECT_EQ(b, "ababc ");

  std::string u(4, '?');
  core::STRITOC1UPCASE("a\xE4z", u, 0);
  EXPECT_EQ(u, "A\xC4Z ");
  core::STRITOC1UPCASE("a\xE4z", u, 3);
  EXPECT_EQ(u, "a\xE4z ");
}

TEST(CharCopy, ArrayToTextAndArrayToArray) {
  std::string text(4, '?');
  core::C1TOSTRI("0123456789", text);
  EXPECT_EQ(text, "0123");
  core::C1TOSTRI(core::c1view("zz", 0), text);
  EXPECT_EQ(text, "    ");

  std::string b(5, '?');
  core::C1TOC1("abc", b);
  EXPECT_EQ(b, "abc  ");
  core::C1TOC1("abcdefg", b);
  EXPECT_EQ(b, "abcde");

  std::string low = "??????";
  core::C1TOC1LOWERCASE("AB\xC9\xD7", c1slice(low.data(), 3));
  EXPECT_EQ(low, "ab\xE9???");

  std::string out(6, '?');
  core::STRIPNULLS_MAKEEND(out, std::string_view("ab\0cd", 5));
  EXPECT_EQ(out, "ab    ");
  core::STRIPNULLS_MAKEEND(out, "abcdefgh");
  EXPECT_EQ(out, "abcdef");

  core::BLANKC1STRING(out);
  EXPECT_EQ(out, "      ");

  std::string t = "a,b,c,d";
  core::ALLCHARATOCHARB(t, 4, ',', ';');
  EXPECT_EQ(t, "a;b;c,d");
  core::ALLCHARATOCHARB(t, 99, ',', ';');
  EXPECT_EQ(t, "a;b;c;d");
  core::ALLCHARATOCHARB(t, -1, ';', ',');
  EXPECT_EQ(t, "a;b;c;d");
}

TEST(CharSearch, IndexScanAndVerifyForwardAndBack) {
  EXPECT_EQ(core::C1INDEX("abcabc", "bc"), 2);
  EXPECT_EQ(core::C1INDEX("abcabc", "bc", true), 5);
  EXPECT_EQ(core::C1INDEX("abcabc", "x"), 0);
  EXPECT_EQ(core::C1INDEX("ab", "abc"), 0);
  EXPECT_EQ(core::C1INDEX("abc", ""), 1);
  EXPECT_EQ(core::C1INDEX("abc", "", true), 4);

  EXPECT_EQ(core::C1SCANFNC("a,b;c", ",;"), 2);
  EXPECT_EQ(core::C1SCANFNC("a,b;c", ",;", true), 4);
  EXPECT_EQ(core::C1SCANFNC("abc", ",;"), 0);
  EXPECT_EQ(core::C1SCANFNC("abc", ""), 0);

  EXPECT_EQ(core::C1VERIFY("  ab  ", " "), 3);
  EXPECT_EQ(core::C1VERIFY("  ab  ", " ", true), 4);
  EXPECT_EQ(core::C1VERIFY("    ", " "), 0);
  EXPECT_EQ(core::C1VERIFY("", " "), 0);
}

TEST(CharSearch, BlanksFromEitherEnd) {
  EXPECT_EQ(core::C1LEN_TRIM("ab c  "), 4);
  EXPECT_EQ(core::C1LEN_TRIM("   "), 0);
  EXPECT_EQ(core::C1LEN_TRIM("\tx\t"), 3);  // only character 32 is blank
  // Long texts are scanned sixty-four, then sixteen characters at a time
  // from their end: a character at every place before, on and after such
  // groups.
  for (std::size_t at = 0; at < 150; ++at) {
    std::string t(151, ' ');
    t[at] = 'x';
    EXPECT_EQ(core::C1LEN_TRIM(t), static_cast<int>(at) + 1);
  }
  EXPECT_EQ(core::C1LEN_TRIM(std::string(64, ' ')), 0);
  EXPECT_EQ(core::C1LEN_TRIM(std::string(150, ' ')), 0);

  EXPECT_EQ(core::C1LENTRIM("ab  cd", 4), 2);
  EXPECT_EQ(core::C1LENTRIM("ab  cd", 99), 6);
  EXPECT_EQ(core::C1LENTRIM("  ", 2), 0);
  EXPECT_EQ(core::C1LENTRIM("abc", 0), 0);
  EXPECT_EQ(core::C1LENTRIM("abc", -3), -3);

  EXPECT_EQ(core::C1NOBLA1("  x "), 3);
  EXPECT_EQ(core::C1NOBLA1("    "), 0);
  EXPECT_EQ(core::NOBLA1("  x "), 3);
  EXPECT_EQ(core::NOBLA1("    "), 4);
  EXPECT_EQ(core::NOBLA1(""), 0);
}

TEST(CharSearch, FirstCharacterOutsideNumberAndNameCharacters) {
  EXPECT_EQ(core::NOALFANUM1("abc+1.5e", 8, 1), 0);
  EXPECT_EQ(core::NOALFANUM1("ab=1", 4, 1), 3);
  EXPECT_EQ(core::NOALFANUM1("a b=c", 5, 3), 4);
  EXPECT_EQ(core::NOALFANUM1("a b=c", 2, 1), 2);
  EXPECT_EQ(core::NOALFANUM1("a=b", 99, -5), 2);
  EXPECT_EQ(core::NOALFANUM1("\xE4\xDF\xD7", 3, 1), 3);
}

TEST(CharCompare, PaddedByteOrderAndCaseFolding) {
  EXPECT_EQ(core::C1_LT_EQ_GT("ab", "ab "), 0);
  EXPECT_EQ(core::C1_LT_EQ_GT("ab", "abc"), -1);
  EXPECT_EQ(core::C1_LT_EQ_GT("abc", "ab"), 1);
  EXPECT_EQ(core::C1_LT_EQ_GT("", "   "), 0);
  // Bytes compare unsigned; a control character sorts below the padding.
  EXPECT_EQ(core::C1_LT_EQ_GT("\xE4", "z"), 1);
  EXPECT_EQ(core::C1_LT_EQ_GT("ab\t", "ab"), -1);

  EXPECT_EQ(core::C1CASE_LT_EQ_GT(0, "ABC", "abc"), 0);
  EXPECT_EQ(core::C1CASE_LT_EQ_GT(0, "\xC4x", "\xE4X"), 0);
  EXPECT_EQ(core::C1CASE_LT_EQ_GT(1, "ABC", "abc"), -1);
  EXPECT_EQ(core::C1CASE_LT_EQ_GT(0, "B", "a"), 1);

  EXPECT_TRUE(core::C1LLE("ab", "ab "));
  EXPECT_FALSE(core::C1LLT("ab", "ab "));
  EXPECT_TRUE(core::C1LLT("AB", "ab"));
  EXPECT_FALSE(core::C1LLE("b", "a"));
}

TEST(CharCompare, ReadsAnIntegerFieldOfTheGivenWidth) {
  EXPECT_EQ(core::C1READI4("12345", '3', -1), 123);
  EXPECT_EQ(core::C1READI4(" -4 2", '5', -1), -42);
  EXPECT_EQ(core::C1READI4("+7", '2', -1), 7);
  EXPECT_EQ(core::C1READI4("   x", '3', -1), 0);  // a blank field is 0
  EXPECT_EQ(core::C1READI4("1x3", '3', -1), -1);  // not a number
  EXPECT_EQ(core::C1READI4("-", '1', -1), -1);    // a sign alone
  EXPECT_EQ(core::C1READI4("1-2", '3', -1), -1);  // sign after a digit
  EXPECT_EQ(core::C1READI4("12", '3', -1), -1);   // field beyond the array
  EXPECT_EQ(core::C1READI4("12", '0', -1), -1);   // not a digit 1 to 9
  EXPECT_EQ(core::C1READI4("999999999", '9', -1), 999999999);
}

// Value, first and last of INTGET.
std::array<int, 3> intget(std::string_view text) {
  int first = -1, last = -1;
  const int v = core::INTGET(text, first, last);
  return {v, first, last};
}

TEST(CharNumbers, IntgetFindsTheFirstDigitRun) {
  using A = std::array<int, 3>;
  EXPECT_EQ(intget("x-12y3"), (A{-12, 2, 4}));
  EXPECT_EQ(intget("abc  "), (A{0, 0, 0}));
  EXPECT_EQ(intget("  007 8"), (A{7, 3, 5}));
  EXPECT_EQ(intget("-5"), (A{-5, 1, 2}));
  EXPECT_EQ(intget("- 5"), (A{5, 3, 3}));
  // Runs beyond 32 bits stay at the limit of their sign.
  EXPECT_EQ(intget("99999999999"), (A{2147483647, 1, 11}));
  EXPECT_EQ(intget("-2147483648"), (A{-2147483647 - 1, 1, 11}));
  EXPECT_EQ(intget("-99999999999")[0], -2147483647 - 1);
}

// Found flag, first and last of INTEGERINSTRING.
std::array<int, 3> int_in(std::string_view prefix, int value, std::string_view text,
                          std::string_view suffix) {
  int first = -1, last = -1;
  const bool found = core::INTEGERINSTRING(prefix, value, text, first, last, suffix);
  return {found ? 1 : 0, first, last};
}

TEST(CharNumbers, IntegerInStringFindsPrefixNumberSuffix) {
  using A = std::array<int, 3>;
  EXPECT_EQ(int_in("", 12, "1:a 12:b", ":"), (A{1, 5, 6}));
  EXPECT_EQ(int_in("c", -3, "xc-3y", ""), (A{1, 2, 3}));
  EXPECT_EQ(int_in("", 2, "12:", " "), (A{0, 0, 0}));
  EXPECT_EQ(int_in("", 123, "12", ""), (A{0, 0, 0}));
  EXPECT_EQ(int_in("", -2147483647 - 1, "=-2147483648", ""), (A{1, 2, 12}));
}

// Count and end of INTSCOUNT.
std::array<int, 2> ints(std::string_view text, int to, int from) {
  int end = -1;
  const int n = core::INTSCOUNT(text, to, from, end);
  return {n, end};
}

TEST(CharNumbers, IntscountCountsRunsUpToTheFirstOtherCharacter) {
  using A = std::array<int, 2>;
  EXPECT_EQ(ints("1,2, 3;4", 8, 1), (A{4, 8}));
  EXPECT_EQ(ints("1,2a3", 5, 1), (A{2, 4}));
  EXPECT_EQ(ints("65", 2, 1), (A{1, 2}));
  EXPECT_EQ(ints("-1E5 20", 7, 1), (A{2, 7}));
  EXPECT_EQ(ints("1 2 3", 3, 3), (A{1, 3}));  // from and to bound the scan
  EXPECT_EQ(ints("abc", 3, 1), (A{0, 1}));
  EXPECT_EQ(ints("1 2", 99, 0), (A{2, 3}));
  EXPECT_EQ(ints("12", 1, 2)[0], 0);
}

// previous, start, end and next of NXTWORDAT.
std::array<int, 4> words_at(std::string_view text, int position) {
  std::array<int, 4> w{-1, -1, -1, -1};
  core::NXTWORDAT(text, position, w[0], w[1], w[2], w[3]);
  return w;
}

TEST(CharWords, WordsAroundAPosition) {
  using A = std::array<int, 4>;
  // Words start at 1, 7 and 13 of "alpha beta, gamma  ".
  const std::string_view t = "alpha beta, gamma  ";
  EXPECT_EQ(words_at(t, 8), (A{1, 7, 10, 13}));
  EXPECT_EQ(words_at(t, 11), (A{1, 7, 10, 13}));       // on the comma: still after "beta"
  EXPECT_EQ(words_at(t, 15), (A{7, 13, 17, 18}));      // no next word: trimmed length + 1
  EXPECT_EQ(words_at("  ab", 1), (A{0, 0, 0, 3}));     // before the first word
  EXPECT_EQ(words_at("ab x cd", 4), (A{1, 4, 4, 6}));  // a one-character word
  EXPECT_EQ(words_at("   ", 2), (A{0, 0, 0, 1}));
  EXPECT_EQ(words_at("na\xEFve+x", 1), (A{0, 1, 5, 7}));  // code-page letters belong to words
}

TEST(CharFold, FoldsTextsInPlace) {
  std::string s = "ab\xE4\xFF\xDF";
  core::UPCASE(s, 3);
  EXPECT_EQ(s, "AB\xC4\xFF\xDF");
  core::UPCASE(s);
  EXPECT_EQ(s, "AB\xC4\x9F\xDF");
  core::LOCASE(s, 99);
  EXPECT_EQ(s, "ab\xE4\xFF\xDF");
  core::UPCASE(s, 0);
  core::UPCASE(s, -2);
  EXPECT_EQ(s, "ab\xE4\xFF\xDF");

  EXPECT_EQ(core::GETLOWERICHAR('A', 1), 'a');
  EXPECT_EQ(core::GETLOWERICHAR('A', 0), 'A');
  EXPECT_EQ(core::GETLOWERICHAR('\xC4', 2), 0xE4);
  EXPECT_EQ(core::GETLOWERICHAR('\xC4', -1), 0xC4);
}

volatile double zero = 0.0;
volatile double one = 1.0;

TEST(CharFpu, StatusAfterZeroDivideIsReadOnce) {
  core::FPUERROR();
  volatile double r = one / zero;
  (void)r;
  EXPECT_EQ(core::FPUERROR(), 4);
  EXPECT_EQ(core::FPUERROR(), 0);
  r = 1e308 * (one * 1e308);
  int status = -1;
  core::FPUERRORSUB(status);
  EXPECT_EQ(status, 8);
}

}  // namespace
