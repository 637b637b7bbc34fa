// Commands of the IDE until they come: printing from the File menu, the
// Options and Help commands and break-on-variable do nothing yet.
#pragma once

#include <cstdint>

namespace ide {

void OPTIONS(std::int32_t command);
void PRINTDIRECT();
void SETBREAKVARIABLE(std::int32_t code);

void reset_commands_standin();

}  // namespace ide
