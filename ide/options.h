// The Options and Help menus and the File and Go menus' Print Setup,
// Quicky and CPU time: dialogs of the help data file bound to the
// program's own settings, the memory figures, the help index and the
// links handed to the shell.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ide {

// Carries out the command of the id (see the menus' ids in menutool.h).
// An id outside the Options and Help commands goes back to the editor as
// the pending command while the editor is open.
void OPTIONS(std::int32_t command);

// The store figures of the "systemdata" dialog, in the dialog's order:
// 21 words, then the free room of each store (its size less its use, so
// that used and free add up to the size), and six percentages of use (z,
// c1namen, xeqbuf, adrs, name, c1edit).
inline constexpr std::size_t memorystores = 6;
inline constexpr std::size_t memorywords = 21;
struct MemoryFigures {
  std::array<std::int32_t, memorywords + memorystores> words{};
  std::array<std::int16_t, 6> percent{};
};
MemoryFigures memoryfigures();
// Shows the figures; the answer 5 writes and shows the names report.
void SHOWMEMORY();

// The Help Index list: every key of the help data file, in its stored
// order, that starts before "a" (capitals, digits and signs), trimmed and
// each followed by "|", up to the first key from "a" on once one is taken.
std::string helpindexlist();

// The links of the Update, e-mail and Donate commands, by command id; empty
// when no README is installed with the program.
std::string linkfor(std::int32_t command);

}  // namespace ide
