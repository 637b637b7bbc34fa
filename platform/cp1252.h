// Windows-1252, the single-byte text of the whole program, and Unicode at
// the edges (file names, fonts, the terminal, a display).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// Unicode code point of a Windows-1252 byte. The five bytes that the code
// page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own value.
char32_t unicode_of_1252(unsigned char c);

// The Windows-1252 byte of a code point; '?' when the code page lacks it.
unsigned char cp1252_of_unicode(char32_t c);

// Appends the UTF-8 form of a code point below 0x10000.
void append_utf8(std::string& out, char32_t c);

// A Windows-1252 text as UTF-8.
std::string utf8_from_1252(std::string_view text);
// A UTF-8 text as Windows-1252: '?' for a character the code page lacks, a
// byte that starts no valid sequence taken as its own Windows-1252 byte.
std::string cp1252_from_utf8(std::string_view text);

// A Windows-1252 text as Latin-1 (ISO 8859-1): '?' for the characters
// beyond it.
std::string latin1_from_1252(std::string_view text);


}  // namespace plat
