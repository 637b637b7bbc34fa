#include "text/builtins_install.h"

namespace text {

void install_builtins() {}

}  // namespace text
