// A test that runs scripts as RUN runs them, with every built-in installed,
// in a fresh temporary folder that is the current folder while it runs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "plot/backbrush.h"
#include "support/test_support.h"

namespace testsupport {

class ScriptInFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    ide::install_all_builtins();
    // The kept brushes go while their drawing objects still stand: the
    // reset numbers new objects afresh, and a kept handle would name one.
    plot::reset_brushes();
    exec::reset_all();
    ASSERT_TRUE(exec::prepare_run((source_dir() / "data" / "Ostrel.hlp").string()));
  }
  void TearDown() override {
    plot::reset_brushes();
    exec::reset_all();
    std::filesystem::current_path(cwd_);
  }
  static std::string run(const std::string& text) { return exec::run_script(crlf(text)); }

  TempDir dir_;
  std::filesystem::path cwd_;
};

}  // namespace testsupport
