// Random patterns and texts: the matcher must never crash, must agree with
// a plain recursive greedy matcher written straight from the dialect's
// rules, and must stay within its step bound.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/regex.h"
#include "core/search.h"

namespace {

// Greedy matching with backtracking, recursive, for small inputs only.
int reference(const core::RxScan& s, int alt, std::size_t e, int p) {
  const auto& els = s.alts[static_cast<std::size_t>(alt)];
  if (e == els.size()) return p;
  const core::RxElement& el = els[e];
  const bool optional = el.quant == core::rx_opt || el.quant == core::rx_star;
  if (el.kind != core::RxElement::accept) {
    const bool holds = el.kind == core::RxElement::bol ? p == s.first : p == s.to + 1;
    return holds || optional ? reference(s, alt, e + 1, p) : -1;
  }
  const int most = el.quant == 0 || el.quant == core::rx_opt ? 1 : 1 << 30;
  int run = 0;
  while (
      run < most && p + run <= s.to &&
      el.accepts[s.fold[static_cast<unsigned char>(s.text[static_cast<std::size_t>(p + run - 1)])]])
    ++run;
  const int least = optional ? 0 : 1;
  for (int c = run; c >= least; --c) {
    const int r = reference(s, alt, e + 1, p + c);
    if (r >= 0) return r;
  }
  return -1;
}

std::string random_text(std::mt19937& rng, std::string_view alphabet, int maxlen) {
  std::uniform_int_distribution<int> len(0, maxlen);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string t(static_cast<std::size_t>(len(rng)), ' ');
  for (char& c : t) c = alphabet[pick(rng)];
  return t;
}

TEST(RegexFuzz, AgreesWithRecursiveMatcherAndStaysBounded) {
  std::mt19937 rng(20240611);
  const std::string_view pattern_chars("ab.?+*|[]^$\\-dwsxz1A ");
  const std::string_view text_chars = std::string_view("abA1 -\r\n_\xE4", 10);
  std::uniform_int_distribution<int> coin(0, 7);
  for (int round = 0; round < 4000; ++round) {
    const std::string pat = random_text(rng, pattern_chars, 10);
    const std::string text = random_text(rng, text_chars, 24);
    const int options = core::so_regex | (coin(rng) == 0 ? core::so_case : 0) |
                        (coin(rng) == 0 ? core::so_words : 0) |
                        (coin(rng) == 0 ? core::so_back : 0);
    const int n = static_cast<int>(text.size());
    const int from = n > 0 ? 1 + coin(rng) % n : 1;
    const int to = n;
    if (from > to) continue;

    const auto tokens = core::PATTERN_PREPROZ(pat, options, core::line_ends_in(text, from, to));
    ASSERT_LE(tokens.size(), pat.size() + 3) << pat;
    core::RxScan scan;
    const int first = (options & core::so_back) != 0 ? to : from;
    core::rx_prepare(scan, tokens, text, from, to, first, options);
    scan.keep_done = true;  // every position is asked below, after successes too
    for (int a = 0; a < static_cast<int>(scan.alts.size()); ++a) {
      for (int p = from; p <= to + 1; ++p) {
        const int want = reference(scan, a, 0, p);
        const int got = core::MATCH_HERE(scan, a, p);
        ASSERT_EQ(got, want < 0 ? -1 : want - p)
            << "pattern '" << pat << "' text '" << text << "' alt " << a << " at " << p;
      }
    }
    const std::int64_t bound = 3LL * scan.nstates * (to - from + 2);
    EXPECT_LE(scan.steps, bound) << pat;

    int nf = 0;
    core::SEARCH(text, pat, from, to, options, nf);
    EXPECT_LE(core::regexsteps, bound) << pat;

    // Plain searches with any mix of options: results stay in the range.
    const int plain = static_cast<int>(rng() & 0x37F) & ~core::so_regex;
    const int r = core::SEARCH(text, pat, from, to, plain, nf);
    int len = 0;
    core::MATCHEDLENGTH(len);
    if ((plain & core::so_count) == 0 && r > 0) {
      EXPECT_LE(from + r - 1 + len - 1, to) << pat << " in " << text << " options " << plain;
    }
  }
}

TEST(RegexFuzz, PathologicalPatternsStayPolynomial) {
  // Nested stars over a long run: exponential for naive backtracking.
  const std::string text(3000, 'a');
  int nf = 0;
  const std::string pat = "a*a*a*a*a*a*a*a*a*a*a*a*b";
  EXPECT_EQ(core::SEARCH(text, pat, 1, 3000, core::so_regex, nf), 0);
  EXPECT_EQ(nf, 1);
  EXPECT_LE(core::regexsteps, 3LL * (2 * 13 + 1) * 3002);
  // Counting and whole words restart at every position; still bounded.
  core::SEARCH(text, "a+a+a+a+", 1, 3000, core::so_regex | core::so_words | core::so_back, nf);
  EXPECT_LE(core::regexsteps, 3LL * (2 * 4 + 1) * 3002);
  // A very long run must not exhaust the stack.
  const std::string big(400000, 'x');
  EXPECT_EQ(core::SEARCH(big, "x*y", 1, 400000, core::so_regex, nf), 0);
  const std::string big2 = big + "y";
  EXPECT_EQ(core::SEARCH(big2, "x*y", 1, 400001, core::so_regex, nf), 1);
  int len = 0;
  core::MATCHEDLENGTH(len);
  EXPECT_EQ(len, 400001);
}

}  // namespace
