// Runs a script as RUN runs it, without the IDE, and leaves the windows it
// made open for the test to look at. For test programs that link the
// executor.
#pragma once

#include <array>
#include <string>

#include "core/kompil.h"
#include "core/runwords.h"
#include "exec/headless_run.h"
#include "exec/windowless.h"
#include "support/test_support.h"

namespace testsupport {

// The compile's failure, or the run's outcome as a windowless run reports it.
inline std::string run_open(const std::string& text) {
  std::string failed = exec::compile_script(crlf(text));
  if (!failed.empty()) return failed;
  exec::OPENWINDOWLESS();
  core::xeqmode = core::runmode::running | core::runmode::compiled;
  core::xeqline = 1;
  std::array<char, 256> line{};
  line.fill(' ');
  core::KOMPIL(line);
  return exec::run_outcome();
}

}  // namespace testsupport
