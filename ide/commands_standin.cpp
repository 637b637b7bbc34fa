#include "ide/commands_standin.h"

namespace ide {

void OPTIONS(std::int32_t) {}
void PRINTDIRECT() {}
void SETBREAKVARIABLE(std::int32_t) {}

void reset_commands_standin() {}

}  // namespace ide
