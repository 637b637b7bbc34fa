// Test set-up for the lexicon: stores with the eleven predefined symbols,
// and a compile of one script line through the tokenizer and the lexicon
// the way the line compiler runs them (again after an array allocation).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace lextest {

class Lexicon : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Compiles the line (CR LF is appended); returns the final xeqstop.
  // passes counts the lexicon calls the line took.
  std::int32_t compile(std::string_view text, std::int32_t flags = 0);
  // Symbol of the given name and search type, 0 when none.
  static std::int32_t sym(std::string_view nm, std::int32_t type = 0x400);
  static std::int32_t type(std::int32_t s);
  static std::int32_t shaperows(std::int32_t s);
  static std::int32_t shapecols(std::int32_t s);

  std::string line;
  std::vector<double> values = std::vector<double>(256);
  int passes = 0;
};

}  // namespace lextest
