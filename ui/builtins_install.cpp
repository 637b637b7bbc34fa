#include "ui/builtins_install.h"

namespace ui {

void install_builtins() {}

}  // namespace ui
