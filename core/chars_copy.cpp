// Moving text between blank-padded texts and character arrays.
#include <algorithm>
#include <cstring>

#include "core/chars.h"
#include "platform/charcase.h"

namespace core {

namespace {

// out = in, blank padded or cut; in may overlap out.
void copy_padded(std::string_view in, std::span<char> out) {
  const std::size_t k = std::min(in.size(), out.size());
  if (k > 0) std::memmove(out.data(), in.data(), k);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(k), out.end(), ' ');
}

}  // namespace

void STRITOC1(std::string_view text, std::span<char> array) { copy_padded(text, array); }

void STRITOC1UPCASE(std::string_view text, std::span<char> array, int flag) {
  copy_padded(text, array);
  if ((flag & 0x1) == 0) UPCASE(array);
}

void C1TOSTRI(std::string_view array, std::span<char> text) { copy_padded(array, text); }

void C1TOC1(std::string_view a, std::span<char> b) { copy_padded(a, b); }

void C1TOC1LOWERCASE(std::string_view a, std::span<char> b) {
  const std::size_t k = std::min(a.size(), b.size());
  // Element by element, like the copy loop it is; a and b may be one array.
  for (std::size_t i = 0; i < k; ++i) b[i] = static_cast<char>(plat::lower1252(a[i]));
}

void STRIPNULLS_MAKEEND(std::span<char> out, std::string_view in) {
  const std::size_t nul = in.find('\0');
  copy_padded(nul == std::string_view::npos ? in : in.substr(0, nul), out);
}

void BLANKC1STRING(std::span<char> array) { std::fill(array.begin(), array.end(), ' '); }

void ALLCHARATOCHARB(std::span<char> text, int n, char a, char b) {
  const std::size_t k = n > 0 ? std::min(static_cast<std::size_t>(n), text.size()) : 0;
  std::replace(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(k), a, b);
}

}  // namespace core
