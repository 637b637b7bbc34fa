#include "ide/cmdline.h"

#include <algorithm>

namespace ide {

std::optional<std::string> item_value(std::string_view cmdline, std::string_view key) {
  for (std::size_t at = cmdline.find(key); at != std::string_view::npos;
       at = cmdline.find(key, at + 1)) {
    if (at > 0 && cmdline[at - 1] != ' ') continue;
    std::size_t from = at + key.size();
    char end = ' ';
    if (from < cmdline.size() && cmdline[from] == '"') {
      end = '"';
      ++from;
    }
    const std::size_t to = std::min(cmdline.find(end, from), cmdline.size());
    return std::string(cmdline.substr(from, to - from));
  }
  return std::nullopt;
}

}  // namespace ide
