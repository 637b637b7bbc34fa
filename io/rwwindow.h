// READ and WRITE with a window as their target: WRITE writes its text at a
// place of the main window or of the WINdowhandle window, in the colours
// and font the statement asks for; WRITE(TitleBar) renames a window; a
// READ with items shows their values as an editable line of the window and
// suspends the run until the user has typed it (READWINDOW), every key
// reaching the line through the IDE's key dispatch (READWINDOWKEY), then
// reads the typed line into the items when the statement runs again.
// A windowless run writes the shown line to the standard output and takes
// the typed line from the standard input instead.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "exec/windowlist.h"
#include "platform/win_window.h"

namespace io {

// What a window target needs of the floors above, filled at start-up by
// the script windows (the title bar) and the IDE (the line editor). Empty
// entries: a title bar is not renamed, a line is not shown (the read then
// ends at once with the values shown).
struct RwWindowCalls {
  // Titles the window whose handle is z(cell) (below 1: the main window)
  // with the first `length` characters of the title.
  void (*WINDOWTITLEBAR)(std::int32_t cell, std::string_view title, std::int32_t length) = nullptr;
  // The line editor on the current window at text row `row` and column
  // `column`, in the colours `colours` (text, background), drawn plainly:
  // opens the field (open true) or applies the pending key to it. The text
  // is the editor's: its first character the mode digit, then the line.
  void (*LINEFIELD)(std::span<char> text, std::int32_t row, std::int32_t column,
                    const std::array<std::uint32_t, 2>& colours, bool open) = nullptr;
};
inline RwWindowCalls rwwindowcalls;

// The statement code that a waiting window read leaves in the executor's
// `resumecode`.
inline constexpr std::int16_t readresume = static_cast<std::int16_t>(0xAC20);

// The window read in progress, kept between the start and the finish.
struct WindowRead {
  win::HWND caller = nullptr;  // current when the READ began
  win::HWND input = nullptr;   // the window the line stands in
  std::int32_t line = 1, column = 1, characters = 0, items = 0;
  // The line editor's text: the mode digit, then the line.
  std::array<char, 257> field{};
};
inline WindowRead windowread;

// The start (while `resumecode` is not `readresume`): the shown text
// (the items' values as the item loop wrote them) becomes the editable
// line at column and line of the window, the run waits. The finish (the
// READ run again): the typed line goes into `typed`, blank-padded, and
// the run words are as before the start. A windowless run does both at
// once through the standard output and input.
void READWINDOW(std::string_view shown, std::int32_t column, std::int32_t line,
                std::int32_t characters, std::int32_t items, exec::wdwrec* window,
                std::span<char> typed);
// One key of the user's, while a window read waits: it goes to the line
// only; a completed line (Enter, Escape, a closed window) clears the
// wait bit, after which the IDE resumes the run.
void READWINDOWKEY();

void reset_readwindow();

}  // namespace io
