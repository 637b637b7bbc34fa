#include "dll_run.h"

#include <filesystem>

#include "core/kompil.h"
#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "io/dll.h"

namespace dlltest {

std::string library() { return OSTREL_DLLTEST; }

Runner::Runner() : dir_(std::make_unique<testsupport::TempDir>()) {
  ide::install_all_builtins();
  exec::reset_all();
  io::reset_dll();
  exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
}

Runner::~Runner() {
  io::reset_dll();
  exec::reset_all();
}

std::string Runner::run(std::string text, bool keep) {
  for (std::size_t at; (at = text.find("$LIB")) != std::string::npos;)
    text.replace(at, 4, library());
  const auto release = core::freeuserdlls;
  if (keep) core::freeuserdlls = nullptr;
  std::string out = exec::run_script(text);
  core::freeuserdlls = release;
  return out;
}

}  // namespace dlltest
