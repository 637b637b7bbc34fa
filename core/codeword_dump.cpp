#include "core/codeword_dump.h"

#include <cstdio>

#include "core/codewords.h"
#include "core/shoplists.h"
#include "core/tokenizer.h"

namespace core::cwdump {

namespace {

std::string hex(std::int16_t w) {
  char b[8];
  std::snprintf(b, sizeof b, "0x%04X", cwu(w));
  return b;
}

// The first row of the table whose compiler (or executor) code is w.
const CodeWord* find(std::int16_t w, bool executor) {
  for (const auto& c : codewords) {
    if (c.family == CwFamily::token && c.code != cwd::end) continue;
    if (executor ? (c.family == CwFamily::xword ? c.code : c.xcode) == w : c.code == w) return &c;
  }
  return nullptr;
}

std::string marker(int entry, int stmt) {
  if (stmt >= 0) {
    const auto& e = shoplists[stmt].entries;
    if (entry >= 1 && entry <= static_cast<int>(e.size())) return std::string(e[entry - 1].kw);
  }
  return "opt" + std::to_string(entry);
}

std::string compilerword(std::int16_t w, int& stmt) {
  const unsigned u = cwu(w);
  if (isoptstmt(w)) {
    stmt = optstmtnr(w);
    const unsigned n = u & 0x1F;
    return std::string(optstmtname(stmt)) + (n ? "/" + std::to_string(n) : "");
  }
  if (isoptmarker(w)) return marker(static_cast<int>(u & 0x3FF) + 1, stmt);
  if (u > 0xA060 && u < 0xA070) return std::string(u - 0xA060, '&');
  if (const CodeWord* c = find(w, false)) return std::string(c->text);
  if ((u & 0xFE00) == 0xF400) return "subscript" + std::to_string(u & 0x1FF);
  if ((u & 0xFE00) == 0xF600) return "subscript=" + std::to_string(u & 0x1FF);
  return hex(w);
}

std::string executorword(std::int16_t w, int& stmt) {
  const unsigned u = cwu(w);
  if (u >= 0xF800 && u < 0xFE00) {
    stmt = static_cast<int>((u - 0xF800) >> 6);
    const unsigned m = u & 0x3F;
    return std::string(optstmtname(stmt)) + (m ? "/" + std::to_string(m) : "");
  }
  if ((u & 0xFE00) == 0xFE00) return marker(static_cast<int>(u & 0x1FF) + 1, stmt);
  if (const CodeWord* c = find(w, true)) return std::string(c->text);
  if (u > 0xC020 && u < 0xC800 && (u & 0x3F) == 0x20) return std::string((u - 0xC020) >> 6, '&');
  if (u > 0xA800 && u <= 0xA80F) return "range" + std::to_string(u & 0xF);
  if (u > 0xA400 && u < 0xA800) return "movedargs" + std::to_string(u & 0x3FF);
  if (u > 0x8C00 && u < 0x8D00) return "prefixend" + std::to_string(u & 0xFF);
  return hex(w);
}

}  // namespace

std::string dump(std::span<const std::int16_t> words, Space space) {
  std::string out;
  int stmt = -1;
  for (std::int16_t w : words) {
    std::string s;
    if (w > 0 && space == Space::tokens && (w == cwd::name || w == cwd::number || w == cwd::text))
      s = w == cwd::name ? "name" : w == cwd::number ? "num" : "text";
    else if (w > 0)
      s = "#" + std::to_string(w);
    else if (w == 0)
      s = "0";
    else if (w == cwd::filler)
      s = "filler";
    else
      s = space == Space::executor ? executorword(w, stmt) : compilerword(w, stmt);
    if (!out.empty()) out += ' ';
    out += s;
  }
  return out;
}

std::string tokens() {
  return dump(std::span<const std::int16_t>(tokcod.ptr(1), static_cast<std::size_t>(ntok)),
              Space::tokens);
}

}  // namespace core::cwdump
