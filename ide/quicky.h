// The Quicky box: one expression or statement typed, run at once with the
// script's variables, its number or text shown in the same box, and the
// typed expressions kept newest first in "Ostrel_Quickies.txt".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fixed_text.h"

namespace ide {

// The history file's name and the record length of its entries.
inline constexpr std::string_view quickyname = "Ostrel_Quickies.txt";
inline constexpr std::size_t quickyrecord = 256;

// The box's words: 1 the history written in this run, 4 the trimmed
// length of the last text result; the last numeric result; the shown key.
inline std::array<std::int16_t, 4> quickywords{};
inline double quickyresult = 0.0;
// The history file in use: its name in the current folder, or its full
// path where that folder takes no file.
inline plat::FixedText<256> quickyfile;

// The box until the user closes it.
void QUICKY();

// Where the history lies: the current folder (`workdir`), or the per-user
// state folder where the current folder cannot be written.
std::string quickypath();

// Writes the history: the expression (256 characters) first, then, unless
// only it is to stay, the old records (but the newest when it is the same
// expression, evaluated again). The file is replaced only when every
// record was read and written and the new file closed; otherwise the old
// history stays whole. False when it was not replaced.
bool writequickies(std::string_view expression, bool onlythis);

void reset_quicky();

}  // namespace ide
