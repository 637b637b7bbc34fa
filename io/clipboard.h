// Clipboard text for the script's READ and WRITE, the editor and the
// compiler. The toolkit's clipboard is reached through two seams that it
// installs; each returns its status, 0 for success.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace io {

// Puts the text on the clipboard.
inline std::int32_t (*copytoclipboard)(std::string_view text) = nullptr;
// Copies the clipboard's text into the text.
inline std::int32_t (*pastefromclipboard)(std::span<char> text) = nullptr;
// Status of the last clipboard call; not reported further. 0x10000 when no
// clipboard is installed.
inline std::int32_t clipstatus = 0;

// Mode 'W' puts the first n characters of the text on the clipboard, any
// other mode takes the clipboard's text into the first n characters. A
// negative n counts as 0, n is cut to the text's length.
void CLIPBORD(char mode, std::span<char> text, std::int32_t n);

}  // namespace io
