// The program's own regular-expression dialect: pattern compilation into
// 32-bit tokens and the matcher that tries one alternative at one position.
//
// Dialect: a pattern is a sequence of elements (a literal, ".", a class
// token \d \a \w \s \z, or a bracketed class), each optionally followed by
// "?", "+" or "*"; "|" splits the whole pattern into alternatives; "^" and
// "$" are anchors (or line-end characters in a multi-line text). There is
// no grouping: "(", ")", "{" and "}" are literal characters.
//
// The matcher gives the result of greedy matching with backtracking, but
// works with an explicit stack and remembers the outcome of every (element,
// position) state it has settled, so no text can exhaust the stack and the
// work is bounded by the number of states times the range length.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

// Tokens of a compiled pattern. 0-255 are literal characters.
inline constexpr std::int32_t rx_any = 500;       // "."
inline constexpr std::int32_t rx_opt = 501;       // "?" zero or one
inline constexpr std::int32_t rx_plus = 502;      // "+" one or more
inline constexpr std::int32_t rx_star = 503;      // "*" zero or more
inline constexpr std::int32_t rx_bol = 504;       // "^" start of the range
inline constexpr std::int32_t rx_eol = 505;       // "$" end of the range
inline constexpr std::int32_t rx_range = 510;     // "-" inside a class
inline constexpr std::int32_t rx_class = 520;     // "["
inline constexpr std::int32_t rx_nclass = 521;    // "[^"
inline constexpr std::int32_t rx_alt = 531;       // "|"
inline constexpr std::int32_t rx_digit = 560;     // \d
inline constexpr std::int32_t rx_alpha = 561;     // \a
inline constexpr std::int32_t rx_word = 562;      // \w
inline constexpr std::int32_t rx_space = 563;     // \s
inline constexpr std::int32_t rx_hex = 564;       // \z
inline constexpr std::int32_t rx_classlen = 999;  // 999 + n after a class token
inline constexpr std::int32_t rx_end = -128;      // end of the pattern

// Kind of line ends of a searched text, from its first line end.
enum class LineEnds { none, lf, crlf, cr };

// Line-end kind of text(from..to), positions from 1.
LineEnds line_ends_in(std::string_view text, int from, int to);

// Compiles a pattern. Characters are taken through GETLOWERICHAR unless bit
// 0x1 of options is set. "^" and "$" are anchors when the text has no line
// ends, else line-end characters. The result ends with rx_end.
std::vector<std::int32_t> PATTERN_PREPROZ(std::string_view pattern, int options, LineEnds ends);

// True when c is in the class of a class token (rx_digit .. rx_hex).
bool in_class_token(std::int32_t token, unsigned char c);

// One element of an alternative, ready for matching.
struct RxElement {
  enum Kind { accept, bol, eol } kind = accept;
  std::int32_t quant = 0;    // 0 exactly once, else rx_opt, rx_plus or rx_star
  std::bitset<256> accepts;  // by the (case-folded) text character
};

// A compiled pattern set to run over text(from..to), and the memory of the
// states settled so far in this range.
struct RxScan {
  std::string_view text;
  int from = 1;
  int to = 0;
  int first = 1;  // the scan's first position, where "^" holds
  std::array<unsigned char, 256> fold{};
  std::vector<std::vector<RxElement>> alts;
  // State numbering: alternative a, element e, star flag s ->
  // base[a] + 2 * e + s; base[a] + 2 * size is that alternative's end.
  std::vector<int> base;
  std::vector<int> state_alt;  // alternative of each state
  int nstates = 0;
  // Failed states by position, in pages of 1024 positions allocated when
  // first touched; settled successes are kept in 'done'.
  std::vector<std::unique_ptr<std::vector<std::uint64_t>>> failed;
  std::unordered_map<std::uint64_t, int> done;  // state -> end position
  // Whether settled successes are kept: only a scan that may try the same
  // states again after a success (whole words, counting backwards) needs
  // them.
  bool keep_done = true;
  struct Frame {
    int state;
    int pos;
    int choice;
  };
  std::vector<Frame> stack;
  std::int64_t steps = 0;
};

// Prepares a scan of text(from..to) for the compiled tokens. 'first' is
// the scan's first position; words (search bit 0x2) limits "." to \w.
void rx_prepare(RxScan& scan, const std::vector<std::int32_t>& tokens, std::string_view text,
                int from, int to, int first, int options);

// Tries alternative alt at position pos; returns the length of its match
// (0 for an empty match) or -1 when it does not match there.
int MATCH_HERE(RxScan& scan, int alt, int pos);

// Number of matcher steps of the last MATCHREGEX call (for tests and
// benchmarks: bounded by the states times the range length).
inline std::int64_t regexsteps = 0;

}  // namespace core
