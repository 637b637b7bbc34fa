// Set-up for the translator tests: stores with the predefined symbols, and
// lines taken through the tokenizer and the lexicon as the line compiler
// takes them, ready for TRANS.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace translex {

// Sets up the stores and the predefined symbols 1 to 11 ("$" ... "$CMD_LINE").
void setup();
// Symbols the lines may use besides numeric scalars.
std::int32_t array(std::string_view nm, std::int32_t rows = 3, std::int32_t cols = 1);
std::int32_t text(std::string_view nm, std::string_view value = "abcdef");
// The symbol of a name (created as a numeric scalar when new) and of a
// number literal, so that tests know the indices the lexicon will find.
std::int32_t sym(std::string_view nm);
std::int32_t num(std::string_view literal);
// Tokenizes the line and runs the lexicon over it (`tokcod` then holds its
// words for TRANS); false when either failed.
bool lex(std::string_view line);
// The translated words tokcod(1..ntrans).
std::vector<std::int16_t> words();
// Code words written as numbers (0x8000 and up as they are stored).
inline std::vector<std::int16_t> W(std::initializer_list<std::int32_t> v) {
  std::vector<std::int16_t> out;
  for (auto x : v) out.push_back(static_cast<std::int16_t>(x));
  return out;
}

}  // namespace translex
