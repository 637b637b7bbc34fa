#include "ide/builtins_install.h"

#include "exec/builtins.h"
#include "io/builtins_install.h"
#include "numeric/builtins_install.h"
#include "plot/builtins_install.h"
#include "text/builtins_install.h"
#include "toolkit/colours.h"
#include "ui/builtins_install.h"

namespace ide {

void install_all_builtins() {
  exec::MAKE_COLOR = [](std::int32_t r, std::int32_t g, std::int32_t b) -> std::uint32_t {
    return toolkit::MAKE_COLOR(&r, &g, &b, nullptr, nullptr, nullptr);
  };
  io::install_builtins();
  ui::install_builtins();
  plot::install_builtins();
  text::install_builtins();
  numeric::install_builtins();
}

}  // namespace ide
