// SORT: orders records (the elements of numeric vectors, or the records of
// an open script file) by up to eight keys. It sorts a permutation of the
// record numbers and hands it out as the order itself (Index), the place of
// each record (Rank), group numbers (CLUSter), the key vectors in order
// (Sorted), or a physical rewrite of the file (PhySsort).
#pragma once

#include <cstdint>
#include <span>

#include "exec/optdispatch.h"

namespace numeric {

// The statement routine, options by position (exec/optdispatch.h). Failures
// leave their key in `msgkey` and stop the run: "SortError7" to
// "SortErrorE", "rdwrErK" for a file operation (place tags "So01" memory,
// "So04" the physical rewrite, "So05" a key read).
void SORT(const exec::OptCall& call);
// The same with the table row count of the table editor's cluster sort
// (table mode); 0 from the statement.
void SORTSTMT(std::int32_t tablerows);

// The line index of a text file unit as SORT reads it: entry k of
// positions (from 1) is the 1-based byte position of line k, the entry
// after the last line the file length + 1; lineend is the code of the line
// end the file uses (10 LF, 13 CR, 3338 CR LF, another byte value, 0 none).
struct SortLines {
  std::span<const std::int32_t> positions;
  std::int32_t lineend = 0;
  std::int32_t lines() const { return static_cast<std::int32_t>(positions.size()) - 1; }
};
// Where SORT finds a unit's line index: true with the index filled when the
// unit has one. The installer points it at the line index of io's text
// files (tests point it at their own); while it is empty, text files are
// not sorted ("notYetBuilt").
inline bool (*sortlineindex)(std::int32_t unit, SortLines& lines) = nullptr;

}  // namespace numeric
