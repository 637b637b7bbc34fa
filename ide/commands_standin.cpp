#include "ide/commands_standin.h"

namespace ide {

void OPTIONS(std::int32_t) {}
void PRINTDIRECT() {}

void reset_commands_standin() {}

}  // namespace ide
