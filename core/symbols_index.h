// The look-up index beside the symbol table: a symbol's name, folded as
// names compare (bit 0x20 of every byte cleared), leads to the symbols of
// that folded name in creation order, so that FINDSN looks at those and not
// at the whole table. The table and its records stay as they are; the
// index follows them: records made since the last look-up are taken in
// then, a record found with another name than it was taken in with makes
// the index start over, and the table dropping records (a new compile, a
// reset, an undone step) tells it through symbolsdropped().
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// The symbols whose folded name equals the text's, in ascending order:
// first, then next() until 0. Every one must still be checked against the
// look-up's own rules; none is missing. False when the index had to start
// over while walking: the caller starts again with first().
struct SymbolCandidates {
  std::uint32_t hash = 0;
  std::int32_t k = 0;
};
SymbolCandidates firstcandidate(std::string_view text);
std::int32_t nextcandidate(SymbolCandidates& c);
// The candidate k still has the name it was indexed with.
bool candidatecurrent(std::int32_t k);

// Records above `nsym` were dropped, or records were replaced.
void symbolsdropped();

}  // namespace core
