// Telling the user that a file the program rewrites (a script, the setup
// file, the compile error list, the search history) was not written, and
// why: a message box titled with the file's name.
#pragma once

#include <string_view>

#include "platform/file_replace.h"

namespace core {

void reportsave(const plat::ReplaceResult& result, std::string_view name);

}  // namespace core
