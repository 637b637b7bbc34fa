// The main window's status bar as the built-ins reach it: the IDE installs
// the bar itself; every text shown is also kept as the last one (without a
// main window that is all that happens, and tests read it there).
#pragma once

#include <string>
#include <string_view>

namespace exec {

inline void (*statusbarhook)(std::string_view text) = nullptr;
inline std::string statusbarlast;

inline void STATUSBAR(std::string_view text) {
  statusbarlast.assign(text);
  if (statusbarhook != nullptr) statusbarhook(text);
}

}  // namespace exec
