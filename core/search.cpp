#include "core/search.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/chars.h"
#include "core/regex.h"
#include "core/search_plain.h"
#include "platform/charcase.h"

namespace core {

namespace {

using Fold = std::array<unsigned char, 256>;

// The characters as a search compares them: folded to lower case unless
// case matters (the two tables are made once).
const Fold& fold_table(int options) {
  static const auto make = [](int flag) {
    Fold f{};
    for (int c = 0; c < 256; ++c)
      f[static_cast<std::size_t>(c)] =
          static_cast<unsigned char>(GETLOWERICHAR(static_cast<char>(c), flag));
    return f;
  };
  static const Fold folded = make(1), exact = make(0);
  return (options & so_case) != 0 ? exact : folded;
}

unsigned char at(std::string_view text, int p) {
  return static_cast<unsigned char>(text[static_cast<std::size_t>(p - 1)]);
}

// Every position is a candidate.
int each(int p) { return p; }

// Walks the scan positions from 'start' in the search's direction (forwards
// only those that next gives, 0 when none is left), asks try_at for the
// match length at each, applies the whole-word rule and either returns the
// first accepted match or counts them all.
template <class Try, class Next = int (*)(int)>
int scan_positions(std::string_view text, int from, int to, int start, int options, int& count,
                   Try try_at, Next next = each) {
  const bool back = (options & so_back) != 0;
  const bool counting = (options & so_count) != 0;
  const bool words = (options & so_words) != 0 &&
                     (options & (so_anyof | so_keepblanks | so_nearest | so_noneof)) == 0;
  int first_found = 0;
  int last_len = 0;
  int fence = to + 1;  // counting backwards: matches must end before the last one found
  for (int p = start; back ? p >= from : p <= to;) {
    if (!back && (p = next(p)) == 0) break;
    int len = try_at(p);
    if (len > 0 && words && !THISISWORD(text, p, len, to)) len = 0;
    if (len > 0 && counting && back && p + len > fence) len = 0;
    if (len <= 0) {
      p += back ? -1 : 1;
      continue;
    }
    if (!counting) {
      matchlen = len;
      return p;
    }
    // Matches are counted without overlap: the scan goes on after the match.
    ++count;
    last_len = len;
    if (first_found == 0) first_found = p;
    if (back) {
      fence = p;
      --p;
    } else {
      p += len;
    }
  }
  matchlen = last_len;
  return first_found;
}

// Start of the word around q: the position after the nearest delimiter at
// or before q, not below low.
int word_start(std::string_view text, int q, int low, int to) {
  int d = q;
  while (d >= low && !is_delimiter(text[static_cast<std::size_t>(d - 1)])) --d;
  const int s = d < low ? low : d + 1;
  return s > to ? to : s;
}

// Where the plain scan of a text sorted by words begins: a binary search on
// the pattern's first character pc. Returns 0 when the pattern's place lies
// before the range, so that nothing can be found.
int sorted_start(std::string_view text, int from, int to, unsigned char pc) {
  auto lowc = [&](int p) { return plat::lower1252(at(text, p)); };
  const int start = from;
  int low = from;
  int high = to;
  int raw = (low + high) / 2;
  if (raw == 0) return start;
  int probe = word_start(text, raw, low, to);
  // Each step narrows low..high; the bound only guards odd texts that are
  // not sorted at all.
  for (int guard = 0; guard < 256; ++guard) {
    const unsigned char c = lowc(probe);
    if (pc > c) {
      low = probe;
      const int next = (probe + high) / 2;
      if (next == raw) return probe;
      raw = next;
      probe = word_start(text, raw, low, to);
    } else if (pc < c) {
      if (probe == start) return 0;
      high = probe;
      raw = low;
      probe = low;
    } else {
      // Step back over the words before that begin with the same character.
      for (;;) {
        int q = probe - 1;
        while (q >= low && is_delimiter(text[static_cast<std::size_t>(q - 1)])) --q;
        if (q < low) return probe;
        const int w = word_start(text, q, low, to);
        if (lowc(w) != pc || w >= probe) return probe;
        probe = w;
        if (w == low) return low;
      }
    }
  }
  return low;
}

// The plain matches forwards from `start`, found by the scan of
// core/search_plain.h (each position it gives holds the pattern).
int forwardplain(std::string_view text, std::string_view pattern, int from, int to, int start,
                 int options, int& count) {
  const PlainPattern pp = plainpattern(pattern, (options & so_case) == 0);
  const int m = static_cast<int>(pattern.size());
  return scan_positions(
      text, from, to, start, options, count, [m](int) { return m; },
      [&](int p) { return findplain(pp, text, p, to); });
}

// Plain search: the pattern's characters after case folding, or a set of
// characters (so_anyof, so_noneof), in the direction of the search.
int NONRXSEARCH_INTERNAL(std::string_view text, std::string_view pattern, int from, int to,
                         int& count) {
  const int options = searchopts;
  const int m = static_cast<int>(pattern.size());
  const bool forwards = (options & (so_back | so_anyof | so_noneof | so_nearest)) == 0 ||
                        ((options & so_nearest) != 0 && (options & so_count) != 0 &&
                         (options & (so_back | so_anyof | so_noneof)) == 0);
  if (forwards && m > 0) {
    int start = from;
    if ((options & so_sorted) != 0) {
      start = sorted_start(text, from, to, plat::lower1252(static_cast<unsigned char>(pattern[0])));
      if (start == 0) {
        matchlen = 0;
        return 0;
      }
    }
    return forwardplain(text, pattern, from, to, start, options, count);
  }

  const Fold& fold = fold_table(options);
  std::string pat(pattern);
  for (char& c : pat) c = static_cast<char>(fold[static_cast<unsigned char>(c)]);

  if ((options & (so_anyof | so_noneof)) != 0) {
    std::array<bool, 256> inset{};
    for (char c : pat) inset[static_cast<unsigned char>(c)] = true;
    const bool want = (options & so_anyof) != 0;
    auto try_set = [&](int p) { return inset[fold[at(text, p)]] == want ? 1 : 0; };
    return scan_positions(text, from, to, (options & so_back) != 0 ? to : from, options, count,
                          try_set);
  }

  int start = (options & so_back) != 0 ? to : from;
  if ((options & so_sorted) != 0 && (options & so_back) == 0 && m > 0) {
    start = sorted_start(text, from, to, plat::lower1252(static_cast<unsigned char>(pat[0])));
    if (start == 0) {
      matchlen = 0;
      return 0;
    }
  }

  const bool nearest = (options & so_nearest) != 0 && (options & so_count) == 0;
  int best_run = 0;
  int best_pos = 0;
  auto try_plain = [&](int p) {
    int k = 0;
    while (k < m && p + k <= to && fold[at(text, p + k)] == static_cast<unsigned char>(pat[k])) ++k;
    if (nearest && k > best_run && k < m) {
      best_run = k;
      best_pos = p;
    }
    return k == m ? m : 0;
  };
  const int pos = scan_positions(text, from, to, start, options, count, try_plain);
  if (pos == 0 && nearest && best_run > 0) {
    matchlen = best_run;
    return best_pos;
  }
  return pos;
}

}  // namespace

void reset_search() {
  searchopts = 0;
  matchlen = 0;
  regexsteps = 0;
}

bool is_delimiter(char c) { return is_separator(c); }

bool THISISWORD(std::string_view text, int pos, int len, int to) {
  const bool before = pos <= 1 || is_delimiter(text[static_cast<std::size_t>(pos - 2)]);
  const int last = pos + len - 1;
  const bool after = last >= to || is_delimiter(text[static_cast<std::size_t>(last)]);
  return before && after;
}

namespace {

// MATCHREGEX under options other than case and blanks alone.
[[gnu::noinline]] int optionsearch(std::string_view text, std::string_view pattern, int from,
                                   int to, int& count) {
  const int options = searchopts;
  if ((options & so_regex) == 0) return NONRXSEARCH_INTERNAL(text, pattern, from, to, count);

  const bool back = (options & so_back) != 0;
  const std::vector<std::int32_t> tokens =
      PATTERN_PREPROZ(pattern, options, line_ends_in(text, from, to));
  RxScan scan;
  rx_prepare(scan, tokens, text, from, to, back ? to : from, options);
  const int nalts = static_cast<int>(scan.alts.size());
  // The alternatives in pattern order; an empty match does not count, so
  // the next alternative is tried.
  auto try_regex = [&](int p) {
    for (int a = 0; a < nalts; ++a) {
      const int len = MATCH_HERE(scan, a, p);
      if (len > 0) return len;
    }
    return 0;
  };
  const int pos = scan_positions(text, from, to, back ? to : from, options, count, try_regex);
  regexsteps = scan.steps;
  return pos;
}

}  // namespace

int MATCHREGEX(std::string_view text, std::string_view pattern, int from, int to, int& count) {
  count = 0;
  matchlen = 0;
  regexsteps = 0;
  const int n = static_cast<int>(text.size());
  if (from < 1) from = 1;
  if (to > n) to = n;
  if (from > to) return 0;
  const int options = searchopts;
  if ((options & ~(so_case | so_keepblanks)) != 0)
    return optionsearch(text, pattern, from, to, count);
  // The plain first match forwards, the most common search of all.
  const int p = findplain(plainpattern(pattern, (options & so_case) == 0), text, from, to);
  if (p != 0) matchlen = static_cast<int>(pattern.size());
  return p;
}

int SEARCH(std::string_view text, std::string_view pattern, int from, int to, int options,
           int& notfound) {
  searchopts = options;
  if ((options & so_keepblanks) == 0) {
    std::size_t m = pattern.size();
    while (m > 1 && pattern[m - 1] == ' ') --m;
    pattern = pattern.substr(0, m);
  }
  if ((options & so_words) != 0 && (options & so_regex) == 0) {
    for (char c : pattern) {
      if (is_delimiter(c)) {
        searchopts &= ~so_words;
        break;
      }
    }
  }
  notfound = 0;
  int count = 0;
  const int pos = MATCHREGEX(text, pattern, from, to, count);
  if ((searchopts & so_count) != 0) return count;
  if (matchlen == 0) {
    notfound = 1;
    return 0;
  }
  return pos - from + 1;
}

void MATCHEDLENGTH(int& length) {
  length = matchlen;
  matchlen = 0;
}

}  // namespace core
