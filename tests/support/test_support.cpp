#include "support/test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <random>
#include <sstream>
#include <string_view>

namespace testsupport {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    std::ostringstream name;
    // Always the same length: a script that lists its own folder must see
    // the same texts in every run.
    name << "ostrel-test-" << std::hex << std::setfill('0') << std::setw(8) << rd() << std::setw(8)
         << rd();
    path_ = base / name.str();
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const { return (path_ / name).string(); }

HomeFolders::HomeFolders() {
  const struct {
    const char* var;
    const char* below;
  } folders[] = {{"HOME", ""},
                 {"XDG_CONFIG_HOME", ".config"},
                 {"XDG_DATA_HOME", ".local/share"},
                 {"XDG_STATE_HOME", ".local/state"},
                 {"XDG_CACHE_HOME", ".cache"}};
  for (const auto& f : folders) {
    const char* old = std::getenv(f.var);
    kept_.emplace_back(f.var, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    const std::filesystem::path dir = dir_.path() / f.below;
    std::filesystem::create_directories(dir);
    setenv(f.var, dir.c_str(), 1);
  }
}

HomeFolders::~HomeFolders() {
  for (const auto& [var, old] : kept_) {
    if (old)
      setenv(var.c_str(), old->c_str(), 1);
    else
      unsetenv(var.c_str());
  }
}

CurrentFolder::CurrentFolder(const std::filesystem::path& dir)
    : kept_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ec;
  std::filesystem::current_path(kept_, ec);
}

std::filesystem::path source_dir() {
  if (const char* env = std::getenv("OSTREL_SOURCE_DIR")) return env;
  return OSTREL_SOURCE_DIR;
}

std::uint32_t sized(std::uint32_t quick, std::uint32_t full) {
  const char* env = std::getenv("OSTREL_TEST_FULL");
  return env != nullptr && *env != 0 && std::string_view(env) != "0" ? full : quick;
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string command_output(const std::string& command) {
  std::string out;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

std::string crlf(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string in_child(const std::function<std::string()>& check) {
  constexpr unsigned kChildSeconds = 50;
  int fds[2];
  if (::pipe(fds) != 0) return "no pipe to the child";
  const pid_t pid = ::fork();
  if (pid < 0) return "no child process";
  if (pid == 0) {
    ::close(fds[0]);
    ::alarm(kChildSeconds);
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string report = check();
    for (std::size_t done = 0; done < report.size();) {
      const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buf[1024];
  for (;;) {
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    report.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) {
    report +=
        WTERMSIG(status) == SIGALRM
            ? "the check in the child did not end within " + std::to_string(kChildSeconds) + " s"
            : "the child ended by signal " + std::to_string(WTERMSIG(status));
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    // A check that gave up (a display test's wait in vain) ended the child.
    report += "the child ended with status " + std::to_string(WEXITSTATUS(status));
  }
  return report;
}

bool limit_file_size(std::uint64_t bytes) {
  const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace testsupport
