// File names for the file dialogs: patterns of '*' and '?' matched without
// regard to case, and paths made plain.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// Whether a name matches one of the patterns (separated by ';', blanks
// around each ignored). "*.*" and "*" match every name; case does not
// count (Windows-1252 folding).
bool matches_patterns(std::string_view name, std::string_view patterns);

// An absolute path without "." and ".." steps, doubled or trailing '/'.
std::string normal_path(std::string_view absolute);

}  // namespace plat
