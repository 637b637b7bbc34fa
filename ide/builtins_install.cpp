#include "ide/builtins_install.h"

#include "io/builtins_install.h"
#include "numeric/builtins_install.h"
#include "plot/builtins_install.h"
#include "text/builtins_install.h"
#include "ui/builtins_install.h"

namespace ide {

void install_all_builtins() {
  io::install_builtins();
  ui::install_builtins();
  plot::install_builtins();
  text::install_builtins();
  numeric::install_builtins();
}

}  // namespace ide
