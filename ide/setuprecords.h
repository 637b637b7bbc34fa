// The lines of the setup file as texts: the display settings of line 2, the
// history records from line 3 on, and the free-format reading of their
// values.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace ide {

// What a history record keeps of a script: its path, the editor font (face
// and rotation of font slot 2 and then its points, weight, underline and
// italic), the store sizes `nxeqbuf`, `nadrs`, `nz`, `nname`, `nc1namen`
// and the main window's left, top, width, height and flags word.
struct HistoryRecord {
  std::string path;
  std::string face;
  float rotation = 0.0F;
  std::array<std::int32_t, 14> values{};
};

// A record's line: path, face, rotation (four characters, no decimals) and
// the 14 integers, each after a comma, and a comma at the end.
std::string recordline(const HistoryRecord& record);
// Splits a record's line at its first two commas into path and face and
// reads the values after them into the record; the values that cannot be
// read, and those after them, keep what the record held. Returns false for
// a line without comma (no record).
bool readrecord(std::string_view line, HistoryRecord& record);

// Line 2: the 16-character tag and each value after a comma, a comma at
// the end.
std::string displayline(std::string_view tag, std::span<const std::int32_t> values);

// Free-format values: items parted by commas or blanks (blanks around a
// comma belong to it, two commas in a row leave a value as it is). Reads
// into the targets in order and stops at the first item that is no number
// of its target's kind; returns how many targets were read or skipped.
using FreeTarget = std::variant<std::int32_t*, float*, std::string*>;
std::size_t readfree(std::string_view text, std::span<const FreeTarget> targets);

// Title of recent-files entry n (1 to 10): "&", the last digit of n, ": "
// and the path.
std::string recenttitle(int n, std::string_view path);

}  // namespace ide
