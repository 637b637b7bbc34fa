// Program entry of Ostrel. The command line is the program's arguments
// joined by blanks, at most 1024 characters; an argument that holds a blank
// but no double quote is quoted the way a user writes it on one line: a
// KEY=value argument around its value (RUN="my script.ost"), any other as a
// whole.
//
// "RUN=<path>" with the path attached (in double quotes when it holds
// blanks) is the windowless run: the script is compiled and run without a
// window, its report goes to standard output (exec/headless_run.h) and its
// messages to standard error. Exit status: 0 the run ended normally, 1 the
// compile or the run failed or its report could not be written, 2 nothing
// could be run (the command line, a script that is missing or cannot be
// read, no help data file). Every other command line, "HELP=<script>" and a bare "RUN=" among them,
// belongs to the window program.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "app/window_program.h"
#include "core/messages.h"
#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "ide/cmdline.h"
#include "ide/fe_main.h"
#include "platform/file_names.h"
#include "platform/process_start.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t cmdlinemax = 1024;

std::string command_line(int argc, char** argv) {
  std::string cmdline;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.find(' ') != std::string::npos && arg.find('"') == std::string::npos) {
      const std::size_t eq = arg.find('=');
      const std::size_t at = eq != std::string::npos && eq < arg.find(' ') ? eq + 1 : 0;
      arg.insert(at, 1, '"');
      arg += '"';
    }
    if (i > 1) cmdline += ' ';
    cmdline += arg;
  }
  if (cmdline.size() > cmdlinemax) cmdline.resize(cmdlinemax);
  return cmdline;
}

// The whole script; a script that cannot be read gets its message.
std::optional<std::string> read_script(const std::string& path) {
  std::error_code ec;
  const std::string native = plat::system_path(path);
  const fs::file_status st = fs::status(native, ec);
  std::string_view key = core::MSGKEY("msgScriptUnread");
  std::string detail = path;
  if (st.type() == fs::file_type::not_found) {
    key = core::MSGKEY("msgNoScript");
  } else if (st.type() == fs::file_type::directory) {
    key = core::MSGKEY("msgScriptFolder");
  } else if (std::FILE* f = std::fopen(native.c_str(), "rb")) {
    std::string text;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    const bool failed = std::ferror(f) != 0;
    const int why = errno;
    std::fclose(f);
    if (!failed) return text;
    detail += std::string(" (") + std::strerror(why) + ")";
  } else {
    detail += std::string(" (") + std::strerror(errno) + ")";
  }
  int answer = 0;
  core::MSGBOXFROMHELP(key, detail, answer);
  return std::nullopt;
}

int run_windowless(const std::string& path, const std::string& cmdline) {
  const std::optional<std::string> text = read_script(path);
  if (!text) return 2;
  exec::take_command_line(cmdline);
  const std::string report = exec::run_script(*text);
  const int status = exec::run_status();
  errno = 0;
  const bool written = std::fwrite(report.data(), 1, report.size(), stdout) == report.size() &&
                       std::fflush(stdout) == 0;
  const int why = errno;
  // What the run left in the program's own stores goes with it: the
  // clipboard of a windowless run holds its blocks only while it runs.
  exec::reset_all();
  if (written) return status;
  // A report that did not arrive is no success.
  std::fprintf(stderr, "ostrel: the report could not be written to standard output (%s)\n",
               std::strerror(why != 0 ? why : EIO));
  return 1;
}

// Every command line that is not a windowless run ends here.
int start_window_program(const std::string& cmdline) { return app::run_window_program(cmdline); }

}  // namespace

// A sanitised build checks for leaks at the end: fontconfig keeps what it
// parsed from its configuration files (the dialogs of a run measure their
// texts) until the process ends, which is no leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
  plat::prepare_process();
  ide::install_all_builtins();
  // The command line is the program's own text from here on.
  const std::string cmdline = plat::name_from_system(command_line(argc, argv));
  exec::reset_all();
  const std::optional<std::string> script = ide::item_value(cmdline, "RUN=");
  if (!script || script->empty() || ide::item_value(cmdline, "HELP=")) {
    return start_window_program(cmdline);
  }
  std::error_code ec;
  const fs::path help = ide::find_progdir(fs::read_symlink("/proc/self/exe", ec)) / "Ostrel.hlp";
  if (!exec::prepare_run(help.string())) {
    std::fprintf(stderr,
                 "ostrel: the help data file Ostrel.hlp is neither beside the program nor in a "
                 "folder data above it\n");
    return 2;
  }
  return run_windowless(*script, cmdline);
}
