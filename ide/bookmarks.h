// Two small editor services. Text marks: three marked script lines, set,
// jumped to, or used as the statement at which a run ends, through the
// dialog "book_marks". Break on variable: one script variable (a scalar,
// one element of a numeric array, or one character of a text) is watched
// after every statement of a run; a change shows the dialog
// "break_string" with the new value.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace ide {

// Marks 1 to 3 (statement numbers, 0 unset) and, as element 4, the line
// offered to the dialog.
inline plat::Store1<std::int32_t> textmarks(4);

// The watched variable's name (blank: none); a rejected name reads
// "enter valid name".
inline plat::FixedText<32> breakname;
inline constexpr std::string_view invalidname = "enter valid name";

struct BreakWatch {
  std::int32_t kind = 0;   // the symbol's type bits
  std::int32_t cell = 0;   // the z cell, or for a text its symbol; 0: nothing watched
  std::int32_t index = 1;  // element, from 1
  std::int32_t count = 0;  // elements of an array, characters of a text, 1
  std::int32_t c1pos = 0;  // a text's watched character in c1namen
  double value = 0.0;      // the recorded value
  char character = ' ';    // or character
};
inline BreakWatch breakwatch;

// The mark dialog for the cursor line; move is the editor's line offset (in
// and out); flag 0: a run-to-mark answer sets the run's end statement, else
// it only moves the cursor there.
void TEXTMARK(std::int32_t& move, std::int32_t line, std::int32_t flag = 0);
// Resolves `breakname` into what is watched: mode 101 asks for the name and
// shows it, 111 and 112 follow a growth of `z` or `c1namen` (nothing when
// no name is set), 0 from the input step.
void SETBREAKVARIABLE(std::int32_t mode);
// Compares the watched value (mode 0) or shows it anyway (101); answer 101
// on return asks the caller to resolve the name again.
void BREAKACTION(std::int32_t& mode);

// Installs SETBREAKVARIABLE as the stores' growth hook.
void install_breakwatch();
void reset_bookmarks();

}  // namespace ide
