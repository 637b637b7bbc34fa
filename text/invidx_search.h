// Searching the word index: a query of terms ("a b"), alternatives
// ("a|b"), regular-expression words and distance operators ("<5", "<5F",
// "<5B") is turned into query cells, and the narrowest windows of each
// identification that hold one occurrence of every term are ranked and
// delivered as a listing, a hit table, a count or one value per
// identification.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "text/edit_state.h"

namespace text {

// One query cell: p the place of the lexicon word (from 1 at the lexicon's
// first character; negative: the cell opens a term; 0: the word is not in
// the lexicon), n the matched length (negative: the cell closes its term).
// A cell of a distance operator (the word right after "<") carries its
// number m and the character behind it; the search passes over its p and n.
struct QueryCell {
  std::int32_t p = 0, n = 0;
  bool op = false;
  bool closes = true;     // the last cell of its term (a word not found closes unless "|" follows)
  bool opnumber = false;  // a number stands at the start of the operator word
  std::int32_t m = 0;
  char opchar = ' ';
};

// The cells of the last query prepared; the search reads them in order.
inline std::vector<QueryCell> iiquery;

// Translates the query into cells, also written into the cells of `z`
// after the result cell (two 32-bit integers each). seps: EDIT's word
// separators; lexicon: the lexicon area of the index; mask: 0x1 case,
// 0x80 regular-expression words. ndist receives the number of "<".
// Returns the number of cells; a cell that does not fit below the arrays
// of `z` stops with "internal".
std::int32_t PREPAREIISEARCH(std::string_view query, std::string_view seps,
                             std::string_view lexicon, std::int32_t mask, std::int32_t& ndist);

// What the search needs besides the index run's state and the cells.
struct SearchCall {
  std::int32_t ixfirst = 0, ixlast = 0;  // the index text
  std::int32_t mask = 0;       // 0x1 case, 0x20 partial hits, 0x100 counts per identification
  std::string_view settings;   // the EXTRA text: "L=x R=x X=x D=x" items
  std::int32_t sortkey = 999;  // SorTSequence: digits of the hit table's sort keys
  bool alone = false;          // the identification of the run alone
  bool filter = false;         // the key selects the identification lines it occurs in
};

// Searches the index and writes the hits into the statement's target by
// its kind (EDIT's assignment kind and `xeqtarget`): e.result, e.resultspan
// and e.arraycells receive the statement's value.
void SEARCHINVIDX(EditState& e, const SearchCall& call);

}  // namespace text
