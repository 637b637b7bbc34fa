// Case folding of texts with the Windows-1252 mapping.
#include <algorithm>

#include "core/chars.h"
#include "platform/charcase.h"

namespace core {

namespace {

std::span<char> first_n(std::span<char> text, int n) {
  return text.first(n > 0 ? std::min(static_cast<std::size_t>(n), text.size()) : 0);
}

}  // namespace

int GETLOWERICHAR(char c, int flag) {
  const unsigned char u = static_cast<unsigned char>(c);
  return flag > 0 ? plat::lower1252(u) : u;
}

void LOCASE(std::span<char> text, int n) { LOCASE(first_n(text, n)); }

void UPCASE(std::span<char> text, int n) { UPCASE(first_n(text, n)); }

void LOCASE(std::span<char> text) {
  win::CharLowerBuffA(text.data(), static_cast<win::DWORD>(text.size()));
}

void UPCASE(std::span<char> text) {
  win::CharUpperBuffA(text.data(), static_cast<win::DWORD>(text.size()));
}

}  // namespace core
