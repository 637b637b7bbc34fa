// Runs scripts that call the test library (its path stands for $LIB in the
// script text), without a display, as the RUN command does.
#pragma once

#include <memory>
#include <string>

#include "support/test_support.h"

namespace dlltest {

class Runner {
 public:
  Runner();
  ~Runner();
  // The outcome of the run (exec::run_outcome()). With keep, the user
  // libraries that the script holds at its end stay loaded.
  std::string run(std::string text, bool keep = false);
  const testsupport::TempDir& dir() const { return *dir_; }

 private:
  std::unique_ptr<testsupport::TempDir> dir_;
};

// The test library's path.
std::string library();

}  // namespace dlltest
