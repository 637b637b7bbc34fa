// Test set-up for the built-ins that work on the interpreter's own storage:
// stores with the eleven predefined symbols, script lines compiled by the
// tokenizer and the lexicon, and an option built-in called through the
// expression form of the dispatch with the pair list that the evaluator
// builds from the compiled options.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/shoplists.h"

namespace builtintest {

class Script : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Compiles one line (CR LF appended); returns the final stop word.
  std::int32_t compile(const std::string& text);
  // Compiles "target = call" and runs the option built-in of the call with
  // xeqtarget = target and a fresh result cell; returns the stop word. extra
  // pairs (keyword number, value) are put before the compiled ones.
  std::int32_t run(core::OptStmt stmt, const std::string& text,
                   std::vector<std::int32_t> extra = {});
  // The function value of the last run.
  static double result();

  static std::int32_t sym(std::string_view nm);
  static std::string text(std::int32_t s);
  static void settext(std::int32_t s, std::string_view t);
  static std::string key();

  std::vector<std::string> lines;
  std::vector<double> values = std::vector<double>(256);
  std::int32_t resultcell = 0;
};

}  // namespace builtintest
