// The script editor's entries until the editor comes: each notes the
// pending command and the key it is handed, takes them, and waits for the
// next event. Escape ends the editor, as the editor does.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace ide {

void FEDIT(std::span<char> line, std::int32_t& key);
void FEDITRESUME(std::span<char> line, std::int32_t& key);

// What the editor was handed: the pending command and the key (all four
// bytes 0xFF: none; the editor marks each key taken so).
struct HandedOver {
  std::int32_t command = 0;
  std::array<std::uint8_t, 4> key{};
};
inline std::vector<HandedOver> handedover;

void reset_fedit_standin();

}  // namespace ide
