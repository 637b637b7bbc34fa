// The editor form of EDIT: a text searched in the script that the editor
// holds (`c1edit`, the script as loaded in a run without a window), the
// line found shown in the editor and its number stored.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "text/edit.h"
#include "text/edit_state.h"

namespace text {

namespace {

using exec::noptions;
using exec::optkw;
using exec::optval;

// The longest pattern taken.
constexpr std::int32_t mostpattern = 1536;

// The editor's text, position p being element p - 1.
std::string_view editortext() {
  if (core::c1edit.size() == 0 || core::c1editend < 1 || !core::c1edit.valid(core::c1editend))
    return {};
  return {core::c1edit.data(), static_cast<std::size_t>(core::c1editend)};
}

// The position of line l's first character (past the text when it has
// fewer lines).
std::int32_t linestart(std::string_view text, std::int32_t l) {
  std::int32_t pos = 1;
  for (std::int32_t line = 1; line < l; ++line) {
    const std::size_t lf = text.find('\n', static_cast<std::size_t>(pos - 1));
    if (lf == std::string_view::npos) return static_cast<std::int32_t>(text.size()) + 1;
    pos = static_cast<std::int32_t>(lf) + 2;
  }
  return pos;
}

// The number of the line that holds position pos.
std::int32_t lineat(std::string_view text, std::int32_t pos) {
  const auto before = text.substr(0, static_cast<std::size_t>(pos - 1));
  return static_cast<std::int32_t>(std::count(before.begin(), before.end(), '\n')) + 1;
}

// One search from position from to the text's end: the first hit that
// begins a line, else the first hit at all; a hit at from itself counts as
// none. 0 when nothing was found.
std::int32_t searchfrom(std::string_view text, std::string_view pattern, std::int32_t from,
                        int options) {
  const auto end = static_cast<std::int32_t>(text.size());
  std::int32_t first = 0;
  for (std::int32_t at = from; at <= end;) {
    int notfound = 0;
    const int k = core::SEARCH(text, pattern, at, end, options, notfound);
    int length = 0;
    core::MATCHEDLENGTH(length);
    if (k <= 0 || notfound != 0) break;
    const std::int32_t hit = at + k - 1;
    if (hit < at || hit > end) break;
    if (hit != from) {
      if (hit > 1 && text[static_cast<std::size_t>(hit - 2)] == '\n') return hit;
      if (first == 0) first = hit;
    }
    at = hit + 1;
  }
  return first;
}

// The slot of the option written after the one in slot s (0 none).
std::int32_t nextoption(std::int32_t s) {
  for (--s; s >= 1; --s)
    if (optkw(s) != ekw::ERror) return s;
  return 0;
}

}  // namespace

void editorform(std::int32_t firstslot, const Span& pattern) {
  const std::string what = textcopy(pattern, mostpattern);
  int options = core::so_case;
  std::int32_t startline = 1;
  for (std::int32_t s = firstslot - 1; s >= 1; --s) {
    const std::int32_t v = optval(s);
    if (optkw(s) == ekw::Option && v > 0)
      options = intvalue(v) & ~core::so_count;
    else if (optkw(s) == ekw::Count && v > 0)
      startline = std::max(intvalue(v), 0) + 1;
  }
  const std::string_view text = editortext();
  std::int32_t line = 0;
  if (!text.empty() && !what.empty()) {
    std::int32_t hit = searchfrom(text, what, linestart(text, startline), options);
    if (hit == 0 && startline > 1) hit = searchfrom(text, what, 1, options);
    if (hit > 0) line = lineat(text, hit);
  }
  if (line > 0 && editorcalls.showline != nullptr) editorcalls.showline(line);
  if (const std::int32_t s = nextoption(firstslot); s > 0 && optval(s) > 0)
    core::SETZTOR8(optval(s), line);
  // The statement's value is the line too, a number.
  const std::int32_t r = core::iresult;
  if (core::z.valid(r) && core::name.valid(r)) {
    core::z(r) = line;
    core::name(r).type = 0x88;
  }
}

}  // namespace text
