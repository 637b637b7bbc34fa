// Set-up for the evaluator's tests: stores with the six predefined cells,
// operands of every kind, and linked statements built word by word in the
// form that expression linking hands to the evaluator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace evaltest {

// Fresh stores (small `c1namen` when asked), the predefined cells $, $$,
// $R, $C, $1, $2 as symbols 1 to 6, and clean evaluator state.
void setup(std::int32_t nc1namen = 64000);
// A numeric variable, a number constant, a character variable, an array.
std::int32_t number(std::string_view nm, double v);
std::int32_t constant(double v);
std::int32_t text(std::string_view nm, std::string_view t);
std::int32_t array(std::string_view nm, std::int32_t rows, std::int32_t cols,
                   const std::vector<double>& v = {});
// The values of an array.
std::vector<double> values(std::int32_t arr);
// Makes temporary k describe a text written into the temporary area.
void temp(std::int32_t k, std::string_view t);
// The text that temporary k describes.
std::string temptext(std::int32_t k);
// Prepares a statement: `iresult` and the first result cell.
void statement();

// A linked statement: descriptors first, then the stream.
struct Linked {
  std::vector<std::int16_t> words{0};
  std::vector<std::int32_t> vals{0};
  std::int32_t ndescr = 0;
  std::int32_t header = 0;
  Linked& descr(unsigned kind, std::int32_t sym);
  Linked& w(unsigned code, std::int32_t value = 0);
  // Operand of a plain numeric symbol.
  Linked& num(std::int32_t sym);
  // Ends the target side (the words so far).
  Linked& split();
  // Runs the evaluator.
  std::int32_t run();
};

// The statement's result cell.
std::int32_t resultcell();

}  // namespace evaltest
