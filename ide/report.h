// The names-and-memory report: every symbol of the script with its value,
// type and storage words, written to "MEMandNAMES.txt" in the current
// folder and shown in a child window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ide {

inline constexpr std::string_view reportname = "MEMandNAMES.txt";

// The report's text: three heading records and one per symbol, each ended
// by CR LF.
std::string reporttext();
// The type code of a symbol's type bits (the dummy bit 0x20 is ignored).
std::string_view reporttype(std::int32_t nametype);

// Writes the report file and opens the window that shows it.
void REPORT();

}  // namespace ide
