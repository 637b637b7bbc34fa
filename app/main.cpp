// Program entry of Ostrel: reads the command line (at most 1024
// characters). Until the editor window exists, "RUN=script.ost" runs the
// script without a window and writes the variables of its main program,
// one name=value line each, with the stop word; messages of the run go to
// standard error. Without RUN= the program starts and ends.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"

namespace {

namespace fs = std::filesystem;

// The value of "KEY=" in the command line: the text up to the next blank.
std::string key_value(const std::string& cmdline, const std::string& key) {
  const auto at = cmdline.find(key);
  if (at == std::string::npos) return {};
  const auto from = at + key.size();
  const auto to = cmdline.find(' ', from);
  return cmdline.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The help data file: data/Ostrel.hlp beside the program or in a folder
// above it (the program may run from its build folder).
fs::path find_helpdata(const char* argv0) {
  std::error_code ec;
  fs::path dir = fs::weakly_canonical(fs::path(argv0), ec).parent_path();
  for (int up = 0; up < 5 && !dir.empty(); ++up, dir = dir.parent_path()) {
    for (const fs::path& p : {dir / "Ostrel.hlp", dir / "data" / "Ostrel.hlp"})
      if (fs::is_regular_file(p, ec)) return p;
    if (dir == dir.parent_path()) break;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  ide::install_all_builtins();
  std::string cmdline;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmdline += ' ';
    cmdline += argv[i];
  }
  if (cmdline.size() > 1024) cmdline.resize(1024);

  const std::string script = key_value(cmdline, "RUN=");
  if (script.empty()) return 0;

  std::ifstream in(script, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ostrel: cannot read the script %s\n", script.c_str());
    return 2;
  }
  const std::string text(std::istreambuf_iterator<char>(in), {});
  const fs::path help = find_helpdata(argv[0]);
  exec::reset_all();
  if (help.empty() || !exec::prepare_run(help.string())) {
    std::fprintf(stderr, "ostrel: the help data file Ostrel.hlp was not found\n");
    return 2;
  }
  const std::string outcome = exec::run_script(text);
  std::fputs(outcome.c_str(), stdout);
  return outcome.find("stop=-1") != std::string::npos ? 0 : 1;
}
