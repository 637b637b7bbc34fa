// File names at the system's edge. Inside the program a name is
// Windows-1252 text in which "\" and "/" both separate folders; the file
// system holds UTF-8. Every place that hands a name to the system or takes
// one from it goes through these two, so that a name listed can be opened
// again.
//
// A name coming back is made Windows-1252; bytes that are no valid UTF-8
// (a name written in a single-byte code by another program) are kept as
// they are, and a character that Windows-1252 lacks becomes "?". Going out,
// each folder or file part with a character above 127 is given in UTF-8
// when that entry exists or when no entry of its folder comes back as that
// part; otherwise it is given as the entry that does, so every existing
// file stays reachable.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// The path for a name: cut at its first NUL, trailing blanks dropped, "\"
// as "/". Empty for a blank name.
std::string system_path(std::string_view name);

// A name (or path) as the system gives it, in Windows-1252.
std::string name_from_system(std::string_view native);

}  // namespace plat
