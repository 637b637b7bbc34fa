// Test set-up of the stores: allocates them at chosen sizes and enters
// symbols the way the compiler lays them out (names one after another in
// `c1namen`, arrays and character texts in the top blocks).
#pragma once

#include <cstdint>
#include <string_view>

namespace storetest {

// Frees everything, then allocates `z`, `name`, `c1namen` and `xeqbuf` with
// the given sizes and empty top blocks.
void setup(std::int32_t nz = 8000, std::int32_t nname = 256, std::int32_t nc1namen = 64000,
           std::int32_t nxeqbuf = 2000);
// Enters the eleven predefined names that every compiled script starts
// with ("$" ... "$CMD_LINE"), as symbols 1 to 11.
void addspecials();
// Appends a symbol; its name goes to `c1namen` after the names before it.
std::int32_t addsym(std::string_view nm, int type, int scope = 0);
// A numeric array of rows x cols cells taken from the top block of `z`.
std::int32_t addarray(std::string_view nm, std::int32_t rows, std::int32_t cols, int scope = 0);
// A character variable whose text is taken from the top block of `c1namen`.
std::int32_t addcharvar(std::string_view nm, std::string_view text, int scope = 0);
// The text of character symbol k as its bounds give it.
std::string textof(std::int32_t k);

}  // namespace storetest
