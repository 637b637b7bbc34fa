// The inverted word index: one text value of a script variable that holds a
// header line of items, the sorted lexicon, the list of identifications and
// three integer arrays (positions per word, identifications per word as bit
// rows, the positions themselves), in binary or hexadecimal form.
//
// Layout (positions relative to the index text's first character):
//   1..160             header "FMT=bin4 LEX=UPDATE LEX1=161 IDS1=.. ..." and a
//                      line feed at 160
//   LEX1..IDS1-1       the words, each followed by a blank; the last blank
//                      is a line feed
//   IDS1..POSSPW1-1    one key line per identification (line k = number k)
//   POSSPW1            NWORDS integers, then a line feed
//   IDSINW1            NWORDS rows of B = (NIDS - 1) / 32 + 1 integers: bit j
//                      of integer i of row w is identification 32i + j + 1
//   POSS1              NPOSS integers: per word, per identification holding
//                      it, a group "k + 1, then k positions"; a word without
//                      positions (an ignored word) has the group "1"
// When no positions exist the three arrays are absent and IDSINW1 and POSS1
// equal POSSPW1. Readers skip negative positions (the marks of the index's
// extra characters).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace text {

inline constexpr std::int32_t iiheaderlen = 160;
inline constexpr std::int32_t iilex1 = 161;

// Statuses of index runs: a damaged index (an array that does not fit, a
// group that runs past its array), a hexadecimal field that does not read,
// no room in the index variable.
inline constexpr std::int32_t iist_damaged = 67;
inline constexpr std::int32_t iist_badfield = 39;
inline constexpr std::int32_t iist_noroom = -1;

// The state of one index run (module state: each INIT_INVIDX overwrites it).
struct InvIdxRun {
  std::int32_t hdrlen = iiheaderlen;
  bool hex = false;
  std::int32_t rwidth = 4;  // characters per integer when reading
  std::int32_t LEX1 = iilex1, IDS1 = 0, POSSPW1 = 0, IDSINW1 = 0, POSS1 = 0;
  std::int32_t NWORDS = 0, NIDS = 0, NPOSS = 0;
  bool growing = true;
  plat::FixedText<16> xtr;  // extra characters, indexed as one-character words
  std::int32_t xtrlen = 0;
  std::int32_t xtrpos = 0;       // position of the XTR value in `c1namen`, 0 none
  bool ignore = false;           // the option text begins with "IGNORE"
  std::int32_t ignorelimit = 0;  // occurrences up to this one are extra characters
  std::int32_t offset = 0;       // added to every stored position
  bool newid = false;
  std::int32_t curid = 0;  // the identification c, held as c - 1
  std::int32_t idbit = 0, idword = 0;
  std::int32_t rowold = 0, rownew = 0;  // integers per row, less one
  plat::FixedText<256> key;             // the identification key (without its line feed)
  std::int32_t optfirst = 0;            // the option text's first position, 0 none
  std::int32_t status = 0;
  bool badlex1 = false;       // the header names a lexicon start other than 161
  std::int32_t lexwords = 0;  // position of a word list typed as the LEX value, 0 none
  std::int32_t ixlen = 0;     // the index text's length without trailing blanks
  bool hasareas = false;      // the header names areas or counts: the text is an index
};
inline InvIdxRun invidxrun;

void reset_invidx();

// Integers per identification row for n identifications.
inline std::int32_t iirowwidth(std::int32_t nids) { return (nids - 1) / 32 + 1; }

// Length of c1namen(first..last) without its trailing blanks.
std::int32_t IITRIMMEDLEN(std::int32_t first, std::int32_t last);

// Reads the header items of the index text c1namen(first..) (at most its
// first 160 characters, len of them present) into `invidxrun`.
void READINVIDXHEADER(std::int32_t first, std::int32_t len);
// The header line of `invidxrun`: 159 characters of items, blank padded (the
// XTR text cut when they are longer), and a line feed.
std::string INVIDXHEADERLINE();

// Sets up an index run. mode 0 build (a new identification is counted), 1
// search, 2 look-up only. The index text is c1namen(ixfirst..ixlast). The
// identification is idfirst..idlast of `c1namen`, or the number idlast when
// idfirst < 1 and idlast > 0. rangeflag > 0 (or an offset) adds the span
// rangefirst..rangelast, counted from base, to the key. optfirst..optlast is
// the option text (optfirst < 1: none). Returns false with `msgkey` set
// when the index is damaged or the number names no identification.
bool INIT_INVIDX(std::int32_t mode, std::int32_t ixfirst, std::int32_t ixlast,
                 std::int32_t rangeflag, std::int32_t idfirst, std::int32_t idlast,
                 std::int32_t base, std::int32_t rangefirst, std::int32_t rangelast,
                 std::int32_t optfirst, std::int32_t optlast);

// 1 plus the number of separator characters among the first n characters of
// the text (0 plus that number, that is 0, when n < 1).
std::int32_t GET_TOKENNR_OF_INDEX(std::string_view text, std::int32_t n, char separator);

// --- Integer arrays in the index text ----------------------------------------
// n integers from c1namen(first..), four characters each, least significant
// first; false (status 67) when they do not end by last.
bool ERROR_TRANSFERC1NAMENTOI4(std::int32_t first, std::int32_t last, std::int32_t n,
                               std::int32_t* out);
// n integers of width characters each, hexadecimal, blank before the digits;
// false with the status in `invidxrun` when a field does not read.
bool ERROR_READFMTC1(std::string_view text, std::int32_t width, std::int32_t n, std::int32_t* out);
// The integers in binary form, then a line feed, written from `to` on.
void TRANSFERI4TOC1NAMEN(char* to, const std::vector<std::int32_t>& a);
// The integers in hexadecimal fields of width characters, then a line
// feed, appended to out.
void WRITEFMTC1NAMEN(std::string& out, const std::vector<std::int32_t>& a, std::int32_t width);

// The arrays of an index, decoded and checked against each other.
struct InvIdxArrays {
  plat::Store1<std::int32_t> posspw;  // NWORDS
  plat::Store1<std::int32_t> rows;    // NWORDS * B, row after row
  plat::Store1<std::int32_t> poss;    // NPOSS
  std::int32_t B = 1;
};
// Decodes the arrays of the index text c1namen(first..last) as the header
// of `invidxrun` lays them out (no positions: none). Not whole: the
// positions per word only, the other two checked to fit but not read (their
// vectors are left as they are).
// Returns 0 or the status of the failure.
std::int32_t READINVIDXARRAYS(std::int32_t first, std::int32_t last, InvIdxArrays& a,
                              bool whole = true);

// Reports a failed index run: `iostatw`, `msgkey` and the detail text.
void INVIDXFAILURE(std::int32_t status, std::int32_t writepos);

// --- Building -----------------------------------------------------------------
// The words of a text, sorted: order(1..n) holds word numbers, the last of
// each run of equal words negated; word k starts at start(k) in `c1namen`
// (0 for the mark of an extra character) and its characters, folded unless
// case counts, are chars[off(k), off(k) + length(k)).
struct WordList {
  plat::Store1<std::int32_t> order, start, length, off;
  std::string chars;
  std::int32_t n() const { return static_cast<std::int32_t>(start.size()); }
  std::string_view word(std::int32_t k) const {
    return std::string_view(chars).substr(static_cast<std::size_t>(off(k)),
                                          static_cast<std::size_t>(length(k)));
  }
  void add(std::int32_t at, std::string_view w) {
    start.raw().push_back(at);
    length.raw().push_back(static_cast<std::int32_t>(w.size()));
    off.raw().push_back(static_cast<std::int32_t>(chars.size()));
    chars.append(w);
  }
};

// Adds the sorted words to the index text c1namen(first..last), or
// replaces the run's identification; positions are counted from base.
// flags bit 0: words keep their case. On failure the index text is as it
// was and `msgkey` is set.
void INVERT_INDEX(const WordList& words, std::int32_t first, std::int32_t last, std::int32_t base,
                  std::int32_t flags);

}  // namespace text
