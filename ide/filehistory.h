// The setup file "Ostrel-setup.dat" in the per-user folder `appdir`: line
// 1 the marker "0L " and the help data file's path, line 2 the display
// settings, then the recent-files history, one record per script closed,
// the most recent first. Every rewrite replaces it whole the safe way
// (platform/file_replace.h), so a failed one leaves the old file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fixed_text.h"

namespace ide {

// Tag of line 2, and the typing assistant's options: hints in the tooltip
// window, hints in the status bar, the tooltip's column and line offsets.
inline plat::FixedText<16> setuptag{"xA"};
inline std::array<std::int32_t, 4> tipopts{1, 0, 2, 1};

// The example scripts of a first start, in the examples folder; the first
// is the introduction.
inline constexpr std::array<std::string_view, 10> builtinhistory{"introduction.ost",
                                                                 "hello.ost",
                                                                 "newton.ost",
                                                                 "primes.ost",
                                                                 "fahrenheit.ost",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 ""};

// operation 1: read the first record (the script to open, its font, store
// sizes and window; the stores are allocated); 2: make recent-files entry
// `argument` the current script with its settings; 3: record the current script
// on top and rewrite the file; 5: set the ten recent-files menu titles.
// The file is made with the built-in examples when it is missing, empty or
// spoilt; a folder where it cannot be made gets one message, and the
// program goes on without it.
void FILEHISTORY(std::int32_t operation, std::int32_t argument);

// The setup file's path.
std::string setuppath();

void reset_filehistory();

}  // namespace ide
