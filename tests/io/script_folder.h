// Scripts run as RUN runs them, with every built-in installed, in a
// temporary folder of their own that is the current folder meanwhile.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "io/readwrite.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace iotest {

class ScriptFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    ide::install_all_builtins();
    exec::reset_all();
    io::reset_readwrite();
    plat::reset_message_boxes();
    ASSERT_TRUE(exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string()));
  }
  void TearDown() override {
    ide::install_all_builtins();
    exec::reset_all();
    io::reset_readwrite();
    plat::reset_message_boxes();
    std::filesystem::current_path(cwd_);
  }
  static std::string run(const std::string& text) {
    return exec::run_script(testsupport::crlf(text));
  }
  testsupport::TempDir dir_;
  std::filesystem::path cwd_;
};

}  // namespace iotest
