// The parameters and work vectors of one SORT statement, shared by the
// option walk (sort.cpp), the sort itself (sort_exe.cpp) and the file
// access (sort_file.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "numeric/sort.h"

namespace numeric::sorting {

inline constexpr std::int32_t maxkeys = 8;
inline constexpr std::int32_t maxkeywidth = 256;

struct Key {
  std::int32_t vector = 0;  // symbol of a Vector key
  std::int32_t column = 0;  // column number of a Column key (0 or less: none given)
  std::int32_t groups = 0;  // group count; 2 or more splits the sorted values
  bool descending = false;
  std::int32_t sorted = 0;  // symbol of the Sorted target
  std::int32_t unit = 0;    // table mode: the unit whose cells the key reads
};

struct Params {
  std::array<Key, maxkeys + 1> keys{};  // keys(1..nkeys)
  std::int32_t nkeys = 0;
  std::int32_t index = 0, cluster = 0, rank = 0;  // symbols of the outputs
  bool physical = false;
  bool deldoubles = false;
  std::int32_t option = 0;  // handed to the text copy of text keys
  std::int32_t unit = 0;    // the file's unit, 0 without a file
  std::int32_t filerecords = 0;
  std::int32_t recl = maxkeywidth;
  bool haslines = false;     // the file's records are the lines of its index
  std::int32_t columns = 0;  // the columns of a file viewed as a table (0: none)
  SortLines lines;
  std::int32_t n = 0;
  bool clustermode = false;
  // Table mode: record r is row tablerows[r - 1] of the table's rows.
  bool tablemode = false;
  std::vector<std::int32_t> tablerows;

  Key& key(std::int32_t k) { return keys[static_cast<std::size_t>(k)]; }
};

// Work of the sort, positions and records counted from 1.
struct Work {
  std::vector<std::int32_t> p;     // p(i): the record at sorted position i
  std::vector<std::int64_t> clus;  // cluster number of the record at position i (when asked for)
  std::vector<double> value;       // key value of record r
  // Text keys: record r's key, cut to width characters and without its
  // trailing blanks, is text[start[r - 1], start[r]); keys compare as if
  // padded with blanks to the width.
  std::string text;
  std::vector<std::int64_t> start;
  std::int32_t width = 0;   // 0: the key is numeric
  bool indexorder = false;  // p came from Index: it is not written back

  std::int32_t& P(std::int32_t i) { return p[static_cast<std::size_t>(i - 1)]; }
  std::int64_t& C(std::int32_t i) { return clus[static_cast<std::size_t>(i - 1)]; }
  double& V(std::int32_t r) { return value[static_cast<std::size_t>(r - 1)]; }
  std::string_view T(std::int32_t r) const {
    const auto k = static_cast<std::size_t>(r);
    return std::string_view(text).substr(static_cast<std::size_t>(start[k - 1]),
                                         static_cast<std::size_t>(start[k] - start[k - 1]));
  }
};

// Sets the key's message key; returns false for the callers to pass on.
bool fail(std::string_view key);

// SORTEXEINTERNAL: every key in turn; false when it stopped with a message.
bool sortkeys(Params& s, Work& w);

// Record r of the file (a fixed-length record, or a line without its line
// end), at most max bytes of it; the run-time status, 0 when it was read.
int readrecord(const Params& s, std::int32_t r, std::int64_t max, std::string& out);
// Reads the records in turn (1, 2, ...): the lines of a text file a block
// of about a megabyte at a time, anything else by readrecord. A block that
// cannot be read whole leaves each line to readrecord, which says why.
struct RecordReader {
  std::string block;
  std::int64_t from = 0, to = 0;  // the file's bytes [from, to) in block
  int read(const Params& s, std::int32_t r, std::int64_t max, std::string& out);
};
// The physical rewrite of the file in the order p, through a temporary
// file beside it; false when it failed (reported with tag "So04").
bool rewritefile(Params& s, Work& w);

}  // namespace numeric::sorting
