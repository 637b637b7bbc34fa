// The display tests' program: ostrel itself, started as a user starts it
// (support/program_process.h).
#pragma once

#include <string>
#include <vector>

#include "support/program_process.h"

namespace apptest {

class ProgramOnADisplay : public testsupport::ProgramOnADisplay {
 protected:
  void start(const std::string& script) { start(std::vector<std::string>{script}); }
  void start(const std::vector<std::string>& args) {
    testsupport::ProgramOnADisplay::start(OSTREL_BINARY, args);
  }
};

}  // namespace apptest
