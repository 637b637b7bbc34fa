// Scripts run as RUN runs them, with every built-in installed, the run
// timer display off and the clock virtual when a test sets it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "io/stopwatch.h"
#include "io/timedate.h"
#include "platform/clocks.h"
#include "support/test_support.h"

namespace iotest {

class ScriptRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ide::install_all_builtins();
    exec::reset_all();
    io::reset_timedate();
    io::reset_stopwatch();
    ASSERT_TRUE(exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string()));
  }
  void TearDown() override {
    plat::clear_virtual_clock();
    exec::reset_all();
  }
  static std::string run(const std::string& text) {
    return exec::run_script(testsupport::crlf(text));
  }
};

}  // namespace iotest
