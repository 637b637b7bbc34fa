// The lexicon: the second pass of the line compiler. It gives every token
// of the line its meaning (statement keyword, built-in, option marker,
// label, or symbol index, creating the symbol when it is new) and carries
// out the declarations (DIMENSION, CHARACTER, REAL with PARAMETER, DATA,
// USE, SUBROUTINE, FUNCTION) at compile time.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/messages.h"

namespace core {

// Statement flags of the line: bit n for keyword n of `stmtlist` met in the
// line (GOTO 0x2 ... REAL 0x80000); 0x20000 also for an option statement,
// 0x100000 for the PARAMETER attribute; 0x220000 after ALIAS, 0x40000
// after a good USE.
inline std::int32_t lexflags = 0;
inline constexpr std::int32_t lexparameter = 0x100000;

// The line being compiled, the values of its number literals (values[k-1]
// for token k) and the token in hand; the array and DATA helpers
// (core/arrays_data.h) work on them.
inline std::string_view lexline;
inline std::span<double> lexvalues;
inline std::int32_t lexk = 0;

// Set while the text that the XEQ built-in runs is compiled: it is no line
// of the program, so a number that starts it is a value, not the line's
// label (which would take that label from the line it stands at), and a
// "#" that starts it does not end the program there.
inline bool lexruntext = false;

// The IDE's menu and tool-bar switch, called with "Fn" and the position of
// a function-key caption block; absent until the IDE sets it.
inline void (*menutoolonoff)(std::string_view name, std::int32_t value) = nullptr;

// Message key of an array declared with a dimension below 1 (or too large).
inline constexpr std::string_view arrayshapekey = MSGKEY("arrayShape");

// Walks the tokens of the line (core/tokenizer.h) and rewrites them in
// place. values: the number literal values from TOKEN. flags bit 0: quiet
// analysis (no message, xeqstop stays 0 on an error, declarations keep
// their tokens). xeqstop: 0, 0x7FFF (msgkey and failedline set) or -999
// (an array was allocated: compile the line again).
void LEXIK(std::string_view line, std::span<double> values, std::int32_t flags);

// Checks the options of the ALIAS call of the line and marks the names that
// are to become views (0x810 numeric, 0x840 character). Returns the number
// of Number options accepted. mode bit 0: check nothing, return 0. On an
// error xeqstop and the second message word hold its number (3802 to
// 3807), compnote the keyword and message, msgkey "AliasErr".
std::int32_t ALIASLEX(std::string_view line, std::int32_t mode);

// Puts the lexicon's words back to their start values.
void reset_lexicon();

}  // namespace core
