// The line of a READ from a script window, edited by the input step's line
// editor: drawn plainly in the colours the READ asks for, at a row and
// column of the current window.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ide {

// Opens the field (open true) or applies the pending key to it; see
// io::RwWindowCalls::LINEFIELD.
void WINDOWLINEFIELD(std::span<char> text, std::int32_t row, std::int32_t column,
                     const std::array<std::uint32_t, 2>& colours, bool open);

}  // namespace ide
