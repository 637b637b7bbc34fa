#include "platform/charcase.h"

namespace win {

DWORD CharUpperBuffA(char* s, DWORD n) {
  if (s == nullptr) return 0;
  for (DWORD i = 0; i < n; ++i) s[i] = plat::upper1252(s[i]);
  return n;
}

DWORD CharLowerBuffA(char* s, DWORD n) {
  if (s == nullptr) return 0;
  for (DWORD i = 0; i < n; ++i) s[i] = plat::lower1252(s[i]);
  return n;
}

}  // namespace win
