#include "core/scriptfunctions.h"

#include <array>
#include <span>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/stores.h"
#include "platform/charcase.h"

namespace core {

namespace {

char upper(char c) { return static_cast<char>(plat::upper1252(static_cast<unsigned char>(c))); }
bool isname(char c) { return is_namechar(upper(c)); }
bool isnamestart(char c) {
  const char u = upper(c);
  return is_namechar(u) && !(u >= '0' && u <= '9');
}

// Names compare with bit 0x20 of every byte cleared, as symbol names do.
bool samename(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if ((static_cast<unsigned char>(a[i]) & ~0x20u) != (static_cast<unsigned char>(b[i]) & ~0x20u))
      return false;
  return true;
}

}  // namespace

std::string_view functionnamein(std::string_view line) {
  constexpr std::string_view keyword = "FUNCTION";
  std::size_t p = 0;
  while (p < line.size() && line[p] == ' ') ++p;
  if (line.size() - p <= keyword.size()) return {};
  for (std::size_t i = 0; i < keyword.size(); ++i)
    if (upper(line[p + i]) != keyword[i]) return {};
  p += keyword.size();
  if (isname(line[p])) return {};
  while (p < line.size() && line[p] == ' ') ++p;
  if (p >= line.size() || !isnamestart(line[p])) return {};
  std::size_t e = p;
  while (e < line.size() && isname(line[e])) ++e;
  return line.substr(p, e - p);
}

void gatherscriptfunctions() {
  scriptfunctions.clear();
  const std::int32_t rewind = 0;
  FEDNXT(nullptr, &rewind);
  std::array<char, 256> buf{};
  for (std::int32_t l = 1; l <= nedlines; ++l) {
    std::span<char> line(buf);
    FEDNXT(&line);
    const std::string_view text(buf.data(), buf.size());
    if (text[0] == '#') break;
    const std::string_view nm = functionnamein(text);
    if (!nm.empty() && !isscriptfunction(nm)) scriptfunctions.emplace_back(nm);
  }
  FEDNXT(nullptr, &rewind);
}

bool isscriptfunction(std::string_view word) {
  for (const std::string& s : scriptfunctions)
    if (samename(s, word)) return true;
  return false;
}

void reset_scriptfunctions() { scriptfunctions.clear(); }

}  // namespace core
