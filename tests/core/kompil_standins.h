// Test set-up for the line compiler and the whole-script compile: fresh
// stores, run and editor words, the help data file indexed, the current
// folder a temporary one (the compile writes its error list there), and a
// stand-in executor whose behaviour each test sets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace standin {

using Words = std::vector<std::int16_t>;

class Compiling : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Loads the text into the edit buffer and compiles the whole script.
  void compile(std::string_view text);
  // The editor changed line l (change flags as the editor sets them) to
  // text: KOMPIL compiles and splices it without a run.
  void edit(std::int32_t l, std::int32_t flags, std::string_view text);
  // KOMPIL with the (blank padded) text in `buf`, e.g. to run the program.
  void kompil(std::string_view text = {});
  // The words of statement s without its end mark.
  static Words words(std::int32_t s);
  // Symbol of that name and search type in the main program, 0 when none.
  static std::int32_t sym(std::string_view nm, std::int32_t type);
  static std::string lastboxtitle();
  std::string errorfile() const;

  std::array<char, 256> buf{};
  testsupport::TempDir dir;
  std::filesystem::path cwd;
  // The stand-in executor: called with the code to run.
  std::function<void(std::span<const std::int16_t>)> onxeq;
  int xeqcalls = 0;
};

}  // namespace standin
