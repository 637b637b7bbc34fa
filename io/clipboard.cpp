#include "io/clipboard.h"

#include <algorithm>

namespace io {

void CLIPBORD(char mode, std::span<char> text, std::int32_t n) {
  const std::size_t m = std::min(static_cast<std::size_t>(std::max(n, 0)), text.size());
  if (mode == 'W') {
    clipstatus = copytoclipboard != nullptr ? copytoclipboard({text.data(), m}) : 0x10000;
  } else {
    clipstatus = pastefromclipboard != nullptr ? pastefromclipboard(text.first(m)) : 0x10000;
  }
}

}  // namespace io
