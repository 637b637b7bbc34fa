// KOMPIA: the whole-script compile (every line of the editor's text into
// `xeqbuf`, errors listed in "TranslationErrors.txt") and the one-line
// splice that puts the code of one changed, inserted or deleted line into
// the program and resolves the jumps again.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/messages.h"

namespace core {

// The compile error list, written to this file in the current folder.
inline constexpr std::string_view errorfilename = "TranslationErrors.txt";
// The records of the last whole-script compile's error list as the file
// holds them (each ended by CR LF); empty when that compile listed none.
inline std::string errorlist;

// The key of the progress dialog's help section.
inline constexpr std::string_view progresskey = MSGKEY("compilPB");

// The open progress dialog (0 = none) and the window services that refresh
// and close it; absent until the window layer supplies them.
inline std::int32_t progressdialog = 0;
inline void (*progressrefresh)() = nullptr;
inline void (*progressclose)() = nullptr;
// Shows the script's text before a whole compile tells of its failed lines
// (the editor draws its rows, so that the box stands before them); absent
// without an editor.
inline void (*showtextbeforeerrors)() = nullptr;
// The third progress word set to this ends the compile after the line in
// hand (the progress dialog's Stop button answers it).
inline constexpr std::int16_t progressstop = 99;

// The most characters of a line that a compile takes; a longer line that
// is not a comment is refused.
inline constexpr std::int32_t compiledline = 256;

// A line that is not a comment, longer than `compiledline`.
bool linetoolong(std::string_view line);
// Refuses the line of `length` characters as too long: the failure words
// (`failedline`, `compnote`, `msgkey` "lineTooLong", `xeqstop`) and, unless
// a whole-script compile goes on, the message with line `xeqline`.
void REFUSELONG(std::string_view line, std::int32_t length);

// mode bit 1 clear: compile the whole script; set: splice the line that the
// editor's change flags name (the editor's current line). The text is the
// caller's work buffer.
void KOMPIA(std::span<char> text, std::int32_t& mode);

}  // namespace core
