// What the editor and the line input call of the typing assistant, context
// help, text marks and break-on-variable, which do nothing yet.
#pragma once

#include <cstdint>
#include <span>

namespace ide {

// The typing assistant on the line input's text; state -1 is idle.
void SMARTTYPE(std::span<char> text, std::int32_t& state, std::int32_t& changed);
// Context help for the word at the column of the line.
void FEDHLP(std::span<const char> line, std::int32_t column, std::int32_t mode);
// A text mark at the line (move: the cursor move the editor has pending).
void TEXTMARK(std::int32_t& move, std::int32_t line);
// The watched variable's check; answer 101 asks for a new break.
void BREAKACTION(std::int32_t& answer);

}  // namespace ide
