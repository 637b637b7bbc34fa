// Commands of the IDE until they come: printing from the File menu and the
// Options and Help commands do nothing yet.
#pragma once

#include <cstdint>

#include "ide/bookmarks.h"

namespace ide {

void OPTIONS(std::int32_t command);
void PRINTDIRECT();

void reset_commands_standin();

}  // namespace ide
