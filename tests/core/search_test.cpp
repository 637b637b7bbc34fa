#include "core/search.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/regex.h"
#include "core/symbols_text.h"
#include "platform/charcase.h"

namespace {

using core::SEARCH;

struct Found {
  int pos;
  int len;
  int notfound;
};

// Searches the whole text and reads the match length.
Found find(std::string_view text, std::string_view pattern, int options, int from = 1,
           int to = -1) {
  if (to < 0) to = static_cast<int>(text.size());
  Found f{};
  f.pos = SEARCH(text, pattern, from, to, options, f.notfound);
  core::MATCHEDLENGTH(f.len);
  return f;
}

constexpr int rx = core::so_regex;

TEST(SearchRegex, DotAndWholeWordDot) {
  EXPECT_EQ(find("xa-c", "a.c", rx).pos, 2);
  EXPECT_EQ(find("xa-c", "a.c", rx).len, 3);
  // With bit 0x2 "." takes only name characters.
  EXPECT_EQ(find("a-c", "a.c", rx | core::so_words).notfound, 1);
  EXPECT_EQ(find("a_c", "a.c", rx | core::so_words).pos, 1);
}

TEST(SearchRegex, RepetitionIsGreedyAndBacktracks) {
  Found f = find("ab 12345 x", "[0-9]+", rx);
  EXPECT_EQ(f.pos, 4);
  EXPECT_EQ(f.len, 5);
  EXPECT_EQ(find("color", "colou?r", rx).len, 5);
  EXPECT_EQ(find("colour", "colou?r", rx).len, 6);
  // Backtracking: the star gives back what the rest needs.
  f = find("xaaab", "a*ab", rx);
  EXPECT_EQ(f.pos, 2);
  EXPECT_EQ(f.len, 4);
  EXPECT_EQ(find("abbbc", "ab+c", rx).len, 5);
  EXPECT_EQ(find("ac", "ab+c", rx).notfound, 1);
  EXPECT_EQ(find("ac", "ab*c", rx).len, 2);
}

TEST(SearchRegex, EndOfTextDoesNotStopOptionalElements) {
  // An element that may be absent can be absent at the very end too.
  Found f = find("xa", "ab*", rx);
  EXPECT_EQ(f.pos, 2);
  EXPECT_EQ(f.len, 1);
  EXPECT_EQ(find("colo", "colou?r?", rx).len, 4);
  EXPECT_EQ(find("xa", "ab", rx).notfound, 1);
}

TEST(SearchRegex, HexCharacterAndCase) {
  EXPECT_EQ(find("xA", "\\x41", rx).notfound, 1);  // text lowered, token stays "A"
  EXPECT_EQ(find("xA", "\\x41", rx | core::so_case).pos, 2);
  EXPECT_EQ(find("xa", "\\x61", rx).pos, 2);
  EXPECT_EQ(find("ABC", "abc", rx).pos, 1);
  EXPECT_EQ(find("ABC", "abc", rx | core::so_case).notfound, 1);
  // Windows-1252 letters fold too.
  EXPECT_EQ(find("\xE4", "\xC4", rx).pos, 1);
  EXPECT_EQ(find("\xE4", "\xC4", 0).pos, 1);
}

TEST(SearchRegex, ClassesAndEscapes) {
  EXPECT_EQ(find("abcd", "[^a-c]", rx).pos, 4);
  Found f = find("x42y", "\\d+", rx);
  EXPECT_EQ(f.pos, 2);
  EXPECT_EQ(f.len, 2);
  EXPECT_EQ(find("a\tb c", "\\s", rx).pos, 4);  // TAB is no blank class member
  EXPECT_EQ(find("1$", "\\a", rx).pos, 2);
  EXPECT_EQ(find("1_", "\\a", rx).pos, 2);
  EXPECT_EQ(find("12\xE4", "\\a", rx).pos, 3);
  EXPECT_EQ(find("-x9", "\\w", rx).pos, 2);
  EXPECT_EQ(find("xyG0", "\\z", rx | core::so_case).pos, 4);
  EXPECT_EQ(find("xyF0", "\\z", rx | core::so_case).pos, 3);
  EXPECT_EQ(find("a.b", "\\.", rx).pos, 2);
  EXPECT_EQ(find("a\\b", "\\\\", rx).pos, 2);
  EXPECT_EQ(find("a.b", "[.]", rx).pos, 2);      // metacharacters stand for themselves in a class
  EXPECT_EQ(find("a]b", "[]]", rx).pos, 2);      // "]" first in a class is a member
  EXPECT_EQ(find("a-b", "[x-]", rx).pos, 2);     // an open range is a "-"
  EXPECT_EQ(find("(a)", "(a)", rx).pos, 1);      // no grouping
  EXPECT_EQ(find("ab", "ab[", rx).notfound, 1);  // a class with no member takes nothing
  EXPECT_EQ(find("ab", "a[^", rx).len, 2);       // its negation takes anything
}

TEST(SearchRegex, TrailingBlanksAndBackslash) {
  EXPECT_EQ(find("xab", "ab ", 0).pos, 2);
  EXPECT_EQ(find("xab", "ab ", core::so_keepblanks).notfound, 1);
  EXPECT_EQ(find("xab y", "ab ", core::so_keepblanks).pos, 2);
  Found f = find("ab c", "ab\\", rx);
  EXPECT_EQ(f.pos, 1);
  EXPECT_EQ(f.len, 3);
  EXPECT_EQ(find("abc", "ab\\", rx).notfound, 1);
}

TEST(SearchRegex, AnchorsAndLineEnds) {
  EXPECT_EQ(find("abab", "^ab", rx).pos, 1);
  EXPECT_EQ(find("ab", "^b", rx).notfound, 1);
  EXPECT_EQ(find("abab", "^ab", rx, 3).pos, 1);  // "^" holds at the scan's first position
  EXPECT_EQ(find("abab", "b$", rx).pos, 4);
  EXPECT_EQ(find("abab", "a$", rx).notfound, 1);
  // CR LF text: "^" is the line feed, "$" the carriage return.
  Found f = find("x\r\nword", "^word", rx);
  EXPECT_EQ(f.pos, 3);
  EXPECT_EQ(f.len, 5);
  f = find("word\r\nx", "word$", rx);
  EXPECT_EQ(f.pos, 1);
  EXPECT_EQ(f.len, 5);
  EXPECT_EQ(find("a\nword", "^word", rx).pos, 2);
  EXPECT_EQ(find("a\rword", "^word", rx).pos, 2);
  EXPECT_EQ(find("word\nx", "word$", rx).len, 5);
}

TEST(SearchRegex, AlternativesInPatternOrder) {
  EXPECT_EQ(find("hotdog", "cat|dog", rx).pos, 4);
  EXPECT_EQ(find("abc", "ab|abc", rx).len, 2);
  EXPECT_EQ(find("abc", "abc|ab", rx).len, 3);
  // An empty match does not count: the next alternative is tried.
  EXPECT_EQ(find("b", "a*|b", rx).pos, 1);
  EXPECT_EQ(find("xyz", "q*", rx).notfound, 1);
}

TEST(SearchPlain, WholeWords) {
  EXPECT_EQ(find("concatenate cat.", "cat", core::so_words).pos, 13);
  EXPECT_EQ(find("cat dog", "cat", core::so_words).pos, 1);
  EXPECT_EQ(find("concat", "cat", core::so_words).notfound, 1);
  EXPECT_EQ(find("my_cat cat", "cat", core::so_words).pos, 8);  // "_" is no delimiter
  // A pattern that holds a delimiter is searched without the rule.
  EXPECT_EQ(find("xa.by", "a.b", core::so_words).pos, 2);
  // The rule is off with bit 0x10.
  EXPECT_EQ(find("concat", "cat", core::so_words | core::so_keepblanks).pos, 4);
  // A match ending at 'to' counts as ending a word.
  EXPECT_EQ(find("cats", "cat", core::so_words, 1, 3).pos, 1);
  EXPECT_EQ(find("concat x", "cat", rx | core::so_words).notfound, 1);
}

TEST(SearchPlain, SetsDirectionAndCounting) {
  EXPECT_EQ(find("abc;d,e", ",;", core::so_anyof).pos, 4);
  Found f = find("   xy", " ", core::so_noneof);
  EXPECT_EQ(f.pos, 4);
  EXPECT_EQ(f.len, 1);
  EXPECT_EQ(find("ab ab", "ab", core::so_back).pos, 4);
  EXPECT_EQ(find("ab ab", "ab", core::so_back | rx).pos, 4);
  EXPECT_EQ(find("a, b", ",", core::so_anyof | core::so_back).pos, 2);
  int nf = 0;
  EXPECT_EQ(SEARCH("ababab", "ab", 1, 6, core::so_count, nf), 3);
  EXPECT_EQ(SEARCH("aaaa", "aa", 1, 4, core::so_count, nf), 2);  // without overlap
  EXPECT_EQ(SEARCH("aaaa", "aa", 1, 4, core::so_count | core::so_back, nf), 2);
  EXPECT_EQ(SEARCH("a1b22c333", "\\d+", 1, 9, core::so_count | rx, nf), 3);
  EXPECT_EQ(SEARCH("xyz", "q", 1, 3, core::so_count, nf), 0);
  EXPECT_EQ(nf, 0);
  // The position is counted from 'from'; the range limits the match.
  EXPECT_EQ(find("xxabxab", "ab", 0, 4).pos, 3);  // found at 6
  EXPECT_EQ(find("xxab", "ab", 0, 1, 3).notfound, 1);
}

TEST(SearchPlain, SortedTextAndNearestMatch) {
  // Unsorted head: the binary search lands past the first "fig".
  EXPECT_EQ(find("fig banana cherry date fig grape", "fig", core::so_sorted).pos, 24);
  EXPECT_EQ(find("fig banana cherry date fig grape", "fig", 0).pos, 1);
  EXPECT_EQ(find("apple banana cherry date fig grape", "fig", core::so_sorted).pos, 26);
  EXPECT_EQ(find("apple banana cherry date fig grape", "apple", core::so_sorted).pos, 1);
  EXPECT_EQ(find("apple banana cherry date fig grape", "grape", core::so_sorted).pos, 30);
  EXPECT_EQ(find("apple banana cherry date fig grape", "cherry", core::so_sorted).pos, 14);
  EXPECT_EQ(find("apple banana cherry date fig grape", "kiwi", core::so_sorted).notfound, 1);
  EXPECT_EQ(find("banana cherry", "apple", core::so_sorted).notfound, 1);
  // Words with the same first letter: the scan starts at the first of them.
  EXPECT_EQ(find("a b c d e f fa fb fc fd g", "fa", core::so_sorted).pos, 13);
  // Nearest match: the first of the longest partial runs.
  Found f = find("bandana banana", "banx", core::so_nearest);
  EXPECT_EQ(f.pos, 1);
  EXPECT_EQ(f.len, 3);
  EXPECT_EQ(find("xyz", "q", core::so_nearest).notfound, 1);
  EXPECT_EQ(find("ab banx", "banx", core::so_nearest).pos, 4);
}

// A text in a block of its own size, so that a read past its end is
// caught (the sanitizer build).
struct Exact {
  std::unique_ptr<char[]> bytes;
  std::size_t n;
  explicit Exact(std::string_view t)
      : bytes(new char[t.size() + (t.empty() ? 1 : 0)]), n(t.size()) {
    std::copy(t.begin(), t.end(), bytes.get());
  }
  std::string_view view() const { return {bytes.get(), n}; }
};

TEST(SearchPlain, EdgesOfPatternAndText) {
  const Exact t(
      "Ab\xC9"
      "cd\x8A ab\xFF");  // 10 characters: A b É c d Š blank a b ÿ
  EXPECT_EQ(find(t.view(), "", 0).notfound, 1);
  EXPECT_EQ(find(t.view(),
                 "Ab\xC9"
                 "cd\x8A ab\xFFx",
                 0)
                .notfound,
            1);  // longer than the text
  Found f = find(t.view(), "a", 0);
  EXPECT_EQ(f.pos, 1);  // at the very first position
  EXPECT_EQ(f.len, 1);
  EXPECT_EQ(find(t.view(), "\x9F", 0).pos, 10);  // ÿ folds with Ÿ, at the very last
  EXPECT_EQ(find(t.view(), "\x9F", core::so_case).notfound, 1);
  EXPECT_EQ(find(t.view(),
                 "\xE9"
                 "CD\x9A",
                 0)
                .pos,
            3);  // é, š fold with É, Š
  EXPECT_EQ(find(t.view(),
                 "\xE9"
                 "CD\x9A",
                 core::so_case)
                .notfound,
            1);
  EXPECT_EQ(find(t.view(), "b\xFF", 0, 1, 9).notfound, 1);  // its end past 'to'
  EXPECT_EQ(find(t.view(), "AB\xFF", 0).pos, 8);            // the whole pattern ends the text
  // Letters without a partner fold to nothing else: sharp s, the signs.
  const Exact u("\xDF\xD7\xF7SS");
  EXPECT_EQ(find(u.view(), "\xDF", 0).pos, 1);
  EXPECT_EQ(find(u.view(), "\xF7", 0).pos, 3);
  EXPECT_EQ(find(u.view(), "s", 0).pos, 4);
  int nf = 0;
  EXPECT_EQ(SEARCH(t.view(), "B", 1, 10, core::so_count, nf), 2);
  EXPECT_EQ(SEARCH(t.view(), "b\xFF", 1, 10, core::so_count | core::so_case, nf), 1);
}

// The plain search as its rules read, position by position: the
// pattern's trailing blanks cut (at least one character kept) unless
// kept, whole words only while the pattern holds no delimiter, matches
// counted without overlap.
Found reference(std::string_view text, std::string pattern, int from, int to, int options,
                int& count) {
  if ((options & core::so_keepblanks) == 0)
    while (pattern.size() > 1 && pattern.back() == ' ') pattern.pop_back();
  bool words = (options & core::so_words) != 0 && (options & core::so_keepblanks) == 0;
  for (const char c : pattern) words = words && !core::is_delimiter(c);
  const auto fold = [options](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (options & core::so_case) != 0 ? u : plat::lower1252(u);
  };
  const auto m = static_cast<int>(pattern.size());
  from = std::max(from, 1);
  to = std::min(to, static_cast<int>(text.size()));
  count = 0;
  Found first{0, 0, 1};
  for (int p = from; m > 0 && p + m - 1 <= to;) {
    bool match = true;
    for (int k = 0; k < m && match; ++k)
      match = fold(text[static_cast<std::size_t>(p - 1 + k)]) ==
              fold(pattern[static_cast<std::size_t>(k)]);
    if (match && words) {
      const bool before = p == 1 || core::is_delimiter(text[static_cast<std::size_t>(p - 2)]);
      const bool after =
          p + m - 1 >= to || core::is_delimiter(text[static_cast<std::size_t>(p + m - 1)]);
      match = before && after;
    }
    if (!match) {
      ++p;
      continue;
    }
    if (first.notfound == 1) first = Found{p - from + 1, m, 0};
    if ((options & core::so_count) == 0) break;
    ++count;
    p += m;
  }
  return first;
}

// Random texts of letters that fold (and some that do not), random ranges
// and patterns taken from the text in either case: the search, SEARCH's
// and the character array's (C1SEARCH, made ready once and not), finds
// what the rules say, at every offset against the blocks of sixteen.
TEST(SearchPlain, RandomTextsFindWhatTheRulesSay) {
  static constexpr unsigned char letters[] = {'a',  'A',  'b',  'B',  ' ',  '.',  0xE9, 0xC9, 0x9A,
                                              0x8A, 0xFF, 0x9F, 0xDF, 0xDE, 0xFE, 0xD7, 0xF7, 'x'};
  std::mt19937 rng(20260521);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  static constexpr int optionsets[] = {0,
                                       core::so_case,
                                       core::so_words,
                                       core::so_count,
                                       core::so_count | core::so_case,
                                       core::so_keepblanks,
                                       core::so_words | core::so_count};
  for (int round = 0; round < 20000; ++round) {
    std::string text(static_cast<std::size_t>(pick(5) == 0 ? pick(200) : pick(48)), ' ');
    const int kinds = 2 + pick(static_cast<int>(sizeof letters) - 2);
    for (char& c : text) c = static_cast<char>(letters[pick(kinds)]);
    std::string pattern;
    if (!text.empty() && pick(4) != 0) {
      const int at = pick(static_cast<int>(text.size()));
      pattern = text.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(1 + pick(6)));
      for (char& c : pattern)
        if (pick(2) == 0) c = static_cast<char>(plat::upper1252(static_cast<unsigned char>(c)));
    } else {
      pattern.resize(static_cast<std::size_t>(pick(4)));
      for (char& c : pattern) c = static_cast<char>(letters[pick(kinds)]);
    }
    if (pick(8) == 0) text += pattern;  // a match that ends the text
    const Exact t(text);
    const int n = static_cast<int>(text.size());
    const int from = 1 + pick(n + 1) / (pick(3) == 0 ? 1 : n + 1);
    const int to = pick(3) == 0 ? pick(n + 1) : n;
    const int options = optionsets[pick(static_cast<int>(std::size(optionsets)))];
    int count = 0;
    const Found want = reference(t.view(), pattern, from, to, options, count);
    const auto shown = [&] {
      return "text '" + text + "' pattern '" + pattern + "' from " + std::to_string(from) + " to " +
             std::to_string(to) + " options " + std::to_string(options);
    };
    if (pattern.empty()) continue;  // (SEARCH's callers give none)
    Found got{};
    got.pos = SEARCH(t.view(), pattern, from, to, options, got.notfound);
    core::MATCHEDLENGTH(got.len);
    if ((options & core::so_count) != 0) {
      ASSERT_EQ(got.pos, count) << shown();
      continue;
    }
    ASSERT_EQ(got.notfound, want.notfound) << shown();
    ASSERT_EQ(got.pos, want.pos) << shown();
    ASSERT_EQ(got.len, want.len) << shown();
    // The character array's search, made ready once and again.
    std::int32_t status = 0, again = 0;
    const auto m = static_cast<std::int32_t>(pattern.size());
    const std::int32_t k = core::C1SEARCH(t.view(), pattern, m, from, to, options, status);
    int len = 0;
    core::MATCHEDLENGTH(len);
    const core::C1Ready ready = core::C1SEARCHREADY(pattern, m, options);
    ASSERT_EQ(core::C1SEARCH(ready, t.view(), from, to, again), k) << shown();
    ASSERT_EQ(again, status) << shown();
    int len2 = 0;
    core::MATCHEDLENGTH(len2);
    ASSERT_EQ(len2, len) << shown();
  }
}

TEST(SearchState, MatchedLengthIsReadOnce) {
  core::reset_search();
  Found f = find("hello", "ll", 0);
  EXPECT_EQ(f.len, 2);
  int len = -1;
  core::MATCHEDLENGTH(len);
  EXPECT_EQ(len, 0);
  int nf = 0;
  SEARCH("abc", "c", 1, 3, core::so_words | core::so_regex, nf);
  EXPECT_EQ(core::searchopts, core::so_words | core::so_regex);
  SEARCH("abc", ".", 1, 3, core::so_words, nf);
  EXPECT_EQ(core::searchopts, 0);  // dropped for a plain pattern with a delimiter
}

TEST(SearchState, DelimiterSetHas115Characters) {
  int n = 0;
  for (int c = 0; c < 256; ++c) n += core::is_delimiter(static_cast<char>(c)) ? 1 : 0;
  EXPECT_EQ(n, 115);
  EXPECT_FALSE(core::is_delimiter('$'));
  EXPECT_FALSE(core::is_delimiter('_'));
  EXPECT_FALSE(core::is_delimiter('\x83'));
  EXPECT_TRUE(core::is_delimiter('\x84'));
  EXPECT_TRUE(core::is_delimiter('\xD7'));
  EXPECT_TRUE(core::is_delimiter('\t'));
}

TEST(RegexCompile, Tokens) {
  using V = std::vector<std::int32_t>;
  using core::LineEnds;
  EXPECT_EQ(core::PATTERN_PREPROZ("a[^0-9]\\d|x?", 0, LineEnds::none),
            (V{'a', 521, 999 + 4, '0', 510, '9', 560, 531, 'x', 501, -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("[", 0, LineEnds::none), (V{520, 1000, -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("[ab", 0, LineEnds::none), (V{520, 1002, 'a', 'b', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("[\\d\\]]", 0, LineEnds::none), (V{520, 1002, 560, ']', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("\\x4A", 0, LineEnds::none), (V{0x4A, -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("\\xg1", 0, LineEnds::none), (V{0x01, -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("A\\", 0, LineEnds::none), (V{'a', ' ', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("A", core::so_case, LineEnds::none), (V{'A', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("\\D", 0, LineEnds::none), (V{560, -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("\\D", core::so_case, LineEnds::none), (V{'D', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("^.$", 0, LineEnds::none), (V{504, 500, 505, -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("^$", 0, LineEnds::lf), (V{'\n', '\n', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("^$", 0, LineEnds::crlf), (V{'\n', '\r', -128}));
  EXPECT_EQ(core::PATTERN_PREPROZ("^$", 0, LineEnds::cr), (V{'\r', '\r', -128}));
  EXPECT_EQ(core::line_ends_in("ab\r\ncd", 1, 6), LineEnds::crlf);
  EXPECT_EQ(core::line_ends_in("ab\r\ncd", 1, 3), LineEnds::cr);
  EXPECT_EQ(core::line_ends_in("ab\ncd\r", 1, 6), LineEnds::lf);
  EXPECT_EQ(core::line_ends_in("ab\ncd", 4, 5), LineEnds::none);
}

}  // namespace
