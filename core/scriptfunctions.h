// The functions a script defines, gathered from its text before its lines
// are compiled: a function called above its FUNCTION line is then compiled
// as a call, not as an array element.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace core {

// Names (as written) of the FUNCTION lines of the script being compiled;
// empty outside a whole-script compile.
inline std::vector<std::string> scriptfunctions;

// The name defined by a FUNCTION line (the keyword as first word, in any
// case, then a name); empty for any other line.
std::string_view functionnamein(std::string_view line);

// Fills `scriptfunctions` from the lines of the edit buffer (core/editbuffer.h)
// up to the first line that begins with "#"; leaves the line reader rewound.
void gatherscriptfunctions();

// True when the word names a function of `scriptfunctions` (compared as
// symbol names are).
bool isscriptfunction(std::string_view word);

// Empties `scriptfunctions`.
void reset_scriptfunctions();

}  // namespace core
