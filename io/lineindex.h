// The line index of text files viewed as tables: where each row of a
// unit's file begins, so that row k is read without reading the rows
// before it. OPEN with a Format builds it (or reuses the ".i4" file kept
// beside the data file when InDeX is given); a READ with a record number
// and the table views make it for files opened otherwise. The index lives
// in the unit's record (LineIndex, io/rwfiles.h) until the unit is closed.
//
// ".i4" file: the data file's name with ".i4" appended (or the InDeX
// text): no header, one little-endian 4-byte integer per entry, rows + 1
// entries, the last one the data file's length + 1. It is reused only
// while it is at least one second newer than the data file and its
// entries ascend from 1 to that last one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace io {

// Statuses besides the file units' own: the user cancelled at the
// question about a last line without a line end; a row outside the data
// rows.
inline constexpr std::int32_t iostat_cancelled = 51;
inline constexpr std::int32_t iostat_no_row = 24;
// A table's edits were not saved: another program changed the bytes the
// file's line index was made from (LineIndex::madesum).
inline constexpr std::int32_t iostat_changed = 42;

// A sum of bytes handed over in pieces of any size: any change of one
// byte, or of the count, changes it (each 8-byte word goes through a
// one-to-one mix of the sum so far and the word).
class ByteSum {
 public:
  void add(std::string_view bytes);
  std::uint64_t value() const;

 private:
  static std::uint64_t mix(std::uint64_t h, std::uint64_t w);
  std::uint64_t sum_ = 0x6A09E667F3BCC908ull;
  std::uint64_t pending_ = 0;  // the bytes of a word not yet whole
  int fill_ = 0;
  std::uint64_t count_ = 0;
};

// The unit's own write of bytes from the 1-based position at on: within
// the bytes its index was made from, the index no longer knows them, and
// its save no longer checks them.
void ownwrite(std::int32_t unit, std::int64_t at);

// The steps of the index, by mode (status 0, -1 at an end of file that
// ends the work, or the failing status):
//   0  build or reuse the index of the file being opened on unit (its
//      name in `rwname`, InDeX in the option table); longest receives the
//      longest row in bytes, line end included. Sets the unit's rows,
//      record length (the longest row), index and mode bit 0x20000.
//   1  skip count header lines: position and the unit's first data byte
//      become the 1-based position after the count-th line end (the
//      file's length + 1 when it has fewer).
//   2  count the rows from the first data byte, the unit's lines per row
//      lines a row: count and longest receive them.
//   3  fill the first count positions of the unit's index from the first
//      data byte (and the entry after them).
//   4  row count into text, read as one record of the file.
//   5  row count into text, as many bytes as text holds.
void STREAMEDLINES(std::int32_t mode, std::int32_t unit, std::int32_t& longest, std::int32_t& count,
                   std::int32_t& position, std::span<char> text, std::int32_t& status);

// The index of a unit for reading rows by number: header lines skipped,
// linesperrow lines a row, the rows that pass the unit's filter. rows
// receives the row count (0: nothing to show).
void MAKEFILEINDEX(std::int32_t unit, std::int32_t& rows, std::int32_t& longest, char quote,
                   std::int32_t headers, std::int32_t linesperrow);

// The same for a file opened DIRect or BINary whose rows are split by the
// unit's column table: each row starts right after the last cell of the
// row before (and its row gap, and the separator of a last separated
// column).
void IDXANDCELLSVIASCRATCH(std::int32_t unit, std::int32_t& rows, std::int32_t& longest, char quote,
                           std::int32_t headers);

// True when the unit has a line index. The first call with a format
// symbol above 0 builds the unit's column table from it and applies its
// filter (mode bit 0x4000 then marks both as made); rows receives the
// index's rows, or for fixed columns without an index the file length /
// record length (also kept as the unit's rows). A format symbol of 0 or
// less does no work: it only answers, with the rows of the index.
bool FILEISINDEXED(std::int32_t unit, std::int32_t format, std::int32_t& rows);

// Line k of the unit's index as one record into out, without its line end
// (a file whose rows end at another byte is cut before that byte). The
// I/O status; 25 for a line the index does not have.
int readindexedline(std::int32_t unit, std::int32_t k, std::string& out);

// Frees the unit's line index and filter row list.
void KILLFILEINDEX(std::int32_t unit);

}  // namespace io
