// Built into every test program: before any test runs, the process gets a
// folder of its own under the system's temporary folder, and HOME, the XDG
// folders, TMPDIR (where every TempDir is made) and the current folder all
// point into it; CUPS_SERVER names no scheduler, so that printing goes
// to the "PDF" printer. Whatever a test or the program writes without naming a
// folder (a setup file, a log, a working copy, a lock) lands there, never
// in the checkout, the build folder or the user's home; the folder goes
// when the process ends. OSTREL_KEEP_TEST_FOLDER=1 keeps it (its path is
// then written on standard error).
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

class Sandbox {
 public:
  Sandbox() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "ostrel-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("ostrel tests: no folder of their own");
      std::_Exit(1);
    }
    root_ = pattern;
    owner_ = getpid();
    // name of the variable, folder below the root
    const struct {
      const char* var;
      const char* dir;
    } folders[] = {{"HOME", "home"},
                   {"XDG_CONFIG_HOME", "home/.config"},
                   {"XDG_DATA_HOME", "home/.local/share"},
                   {"XDG_STATE_HOME", "home/.local/state"},
                   {"XDG_CACHE_HOME", "home/.cache"},
                   {"XDG_RUNTIME_DIR", "run"},
                   {"TMPDIR", "tmp"}};
    for (const auto& f : folders) {
      const fs::path dir = root_ / f.dir;
      fs::create_directories(dir, ec);
      fs::permissions(dir, fs::perms::owner_all, ec);
      setenv(f.var, dir.c_str(), 1);
    }
    // No print scheduler: the "PDF" printer is the default, and a printed
    // document lands in the current folder, never on a real printer.
    setenv("CUPS_SERVER", (root_ / "run" / "no-cups-scheduler").c_str(), 1);
    fs::create_directories(root_ / "work", ec);
    fs::current_path(root_ / "work", ec);
    self = this;
    testsupport::remove_test_folder = [] { self->remove(); };
  }
  ~Sandbox() { remove(); }

  void remove() const {
    // Only the process that made it removes it: a forked child that ends
    // by exit() leaves it to its parent.
    if (getpid() != owner_) return;
    if (const char* keep = std::getenv("OSTREL_KEEP_TEST_FOLDER");
        keep != nullptr && *keep == '1') {
      std::fprintf(stderr, "test folder kept: %s\n", root_.c_str());
      return;
    }
    std::error_code ec;
    fs::current_path(root_.parent_path(), ec);
    fs::remove_all(root_, ec);
  }

 private:
  static inline const Sandbox* self = nullptr;
  fs::path root_;
  pid_t owner_ = 0;
};

const Sandbox sandbox;

}  // namespace
