// The command handler: opens the script, hands keys and commands to the
// editor, compiles and runs the script, reacts to the executor's stop
// word, and closes the script, one step per event.
#pragma once

#include <array>
#include <cstdint>

namespace ide {

// The key word handed to the editor (and the answer of the save question).
inline std::int32_t edkey = 0;
// The text of the current line: position 1 a control character, the script
// line from position 2.
inline std::array<char, 256> edlinebuf{};

// The first call of a command phase (opens the current script), and every
// later event of it.
void M2();
void M2COMMAND();

void reset_m2();

}  // namespace ide
