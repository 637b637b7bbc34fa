// Helpers shared by the two forms of the DLL built-in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace io::dllcommon {

// The text of a character symbol with trailing blanks cut ("" for any
// other symbol).
std::string symboltext(std::int32_t sym);
// A symbol of the table that is no temporary.
bool issymbol(std::int32_t v);
// A numeric scalar variable: no text, array, temporary or constant.
bool numericscalar(std::int32_t v);
// A library handle kept in a real, and back; a value that is no whole
// number of 64 bits gives 0.
std::uint64_t handleof(double v);
inline double realof(std::uint64_t h) { return static_cast<double>(h); }
// A failure: the key goes into msgkey and the run stops (xeqstop 0x7FFF);
// the message is shown with the detail text unless messages are silenced.
void fail(std::string_view key, std::string_view detail = {});
// Shows msgkey with the detail text for the statement being run (unless
// messages are silenced).
void show(std::string_view detail);

}  // namespace io::dllcommon
