// The EDIT statement: a small text-processing language whose options run
// one after another, in the order written, over one string: moves and
// scans, marks, words and items, ranges, DO loops and IF blocks, inserts,
// deletions, replacements, case changes, copies, Parse views, positions
// and counts. The result is a count or, when nothing was counted or
// changed, the marked text or the word at the position.
#pragma once

#include "exec/optdispatch.h"
#include "platform/fixed_text.h"

namespace text {

// The option routine of EDIT (options by position in the option table;
// the receiving variable in `xeqtarget`).
void EDIT(const exec::OptCall& call);

// The form of EDIT that searches the script in the editor (its first
// option, not Text, with a text): the line found is shown through this
// record, which the IDE fills at start-up. Empty (a run without a window)
// the line is only stored.
struct EditorCalls {
  // Puts the editor's cursor on line (from 1) and makes it the first line
  // shown.
  void (*showline)(std::int32_t line) = nullptr;
};
inline EditorCalls editorcalls;

// The table form of EDIT (its first or last option MatriX), which the
// script windows install: the option table is read as it stands. Absent,
// the statement stops with "notYetBuilt".
inline void (*editmx)() = nullptr;

// The slots of the first and the last option written in the option table,
// ERror left out (the dispatch takes it: it never decides the form); 0
// when the statement has no other option.
std::int32_t firstoption();
std::int32_t lastoption();

// Progress of a long EDIT loop over its text ("37%"), written before the
// run timer's hook is called with -1 so that the status bar can show it.
inline plat::FixedText<256> editprogress;

}  // namespace text
