// APPENDIX: named blocks of free text carried in a script's own source.
//
// A block starts with a head line whose first column holds the block's name
// (never the script's first line); its body is the following lines that
// start with a blank, and empty lines among them. The copy drops the
// leading blank of every body line and keeps the lines separated by CR LF.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/messages.h"

namespace exec {

namespace appendixkeys {
inline constexpr auto nonchar = core::MSGKEY("apdxNonChar");
inline constexpr auto notfound = core::MSGKEY("apdxNotFound");
}  // namespace appendixkeys

// Finds the block named by the first word of the text (the whole text
// without trailing blanks when it holds no blank) in the editor text
// `c1edit`: first = the line number of its first body line (0 when not
// found), last = the number of its last line.
void MENUA_E(std::string_view text, std::int32_t& first, std::int32_t& last);
// The same for a name given whole, with the positions in `c1edit` of the
// head line's first character and of the block's last character. The
// name is compared with case and as a prefix of the head line's first
// word; a name of one character or less is not searched. False when not
// found (the outputs are then 0).
bool FINDAPPENDIXBLOCK(std::string_view name, std::int32_t& first, std::int32_t& last,
                       std::int32_t& start, std::int32_t& end);

// The built-in function APPENDIX(name [, line] or [, first, last]): the
// arguments are the top nargs entries of the operand stack stack(1..top)
// (stack[i - 1] is entry i), the name first. The result is a temporary
// string above `c1tmptop` held in z(`iresult`); on success it takes the
// place of the arguments (top = top - nargs + 1, entry top = `iresult`),
// on a failure the arguments are only removed. Failures set `msgkey` and
// `xeqstop` 0x7FFF; the result is the stop word.
std::int32_t APPENDIX(std::span<std::int32_t> stack, std::int32_t& top, std::int32_t nargs);
// The same over the executor's operand stack `xeqstack` (entries
// `xeqstackbase` + 1 to `xeqstackptr` of `adrs`).
std::int32_t APPENDIX(std::int32_t nargs);

}  // namespace exec
