// The editor's Find prompt and the history of searched texts in the file
// "Ostrel-Searches.txt" (the most recent first, each line ended by CR LF).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace core {

inline constexpr int searchunit = 6993;

// Name of the history file (relative: it lies in the current folder).
inline std::string searchhistory = "Ostrel-Searches.txt";
// Option bytes of the editor's find, bound to the find window's controls.
inline std::array<std::int8_t, 16> findoptions{};
// 0xFF while the prompt runs, 0 otherwise.
inline std::uint8_t findpromptflag = 0;

// Asks for the text to search through the window of the help section
// "find" and records the text before and after the window in the history.
// text: the editor's search text, which receives the user's entry; halves:
// the editor's 16-bit values bound to the window. Returns the window's
// answer.
int FIND_PROMPT(std::span<char> text, std::span<std::int16_t> halves);

// Records entry (a text with its CR LF) as the first line of the history
// file, read on unit from its first size bytes (below 0 counts as 0). An
// entry that is a whole line of the history moves to the front; otherwise
// it is added and mode becomes -1. count 0 with bit 0x1 of mode drops the
// history's first line first. The file is rewritten exactly: no blanks and
// no stale bytes are left at its end.
void SEARCHFILERW(std::int64_t size, int unit, std::string_view entry, int& count, int& mode);

}  // namespace core
