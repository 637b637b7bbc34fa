// The run-time half of ALIAS: lays numeric and character views over the
// storage of a base variable. The compile-time check (ALIASLEX) belongs to
// the lexicon (core/lexicon.h).
#pragma once

#include <cstdint>

#include "platform/indexed.h"

namespace exec {

// Keyword numbers of the ALIAS options.
namespace aliasopt {
inline constexpr int base = 1, index = 2, number = 3, vector = 4, matrix = 5, rows = 6, columns = 7,
                     string = 8, length = 9, trailingspace = 10;
}

// Lays the views of one ALIAS call whose options the dispatch collected by
// position (option noptions is the first written). On an error the views
// laid so far stay; the error number goes to the second message word, its
// text to `failedline`, and unless an error label is set (`nomsg`) the
// statement stops with that number and the message "AliasXeq".
void ALIXEQ(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions);

}  // namespace exec
