// Reading a script or a working copy into the edit buffer.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/namevalue.h"
#include "core/rawmem.h"
#include "core/stores.h"

namespace core {

namespace {

// The script's lines, each ended by CR LF; a last line without line end
// keeps none (ended tells).
struct Laid {
  std::string body;
  bool ended = true;
};
Laid laidout(std::string_view text) {
  Laid out;
  out.body.reserve(text.size() + text.size() / 32 + 2);
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t lf = text.find('\n', from);
    std::string_view line = text.substr(from, lf == std::string_view::npos ? lf : lf - from);
    // A last line ended by a bare CR counts as ended.
    const bool ended = lf != std::string_view::npos || line.ends_with('\r');
    if (line.ends_with('\r')) line.remove_suffix(1);
    out.body += line;
    if (ended) out.body += "\r\n";
    out.ended = ended;
    from = lf == std::string_view::npos ? text.size() : lf + 1;
  }
  if (text.empty()) out.ended = false;
  return out;
}

// Line reader at the last line, `nedlines` its number, over text of n bytes.
void countlines(std::int32_t n, bool nulends) {
  edline = {1, 1};
  BYTELINESYNC(edline.pos, edline.line, {c1edit.data(), static_cast<std::size_t>(n)}, INT32_MAX, 0,
               nulends);
  nedlines = edline.line;
}

void settitle(std::string_view title) {
  std::fill_n(c1edit.ptr(c1logbase), c1edittitle, ' ');
  std::copy_n(title.begin(), std::min<std::size_t>(title.size(), c1edittitle),
              c1edit.ptr(c1logbase));
}

std::int32_t i4at(std::int32_t k) { return GETI4FROM4C1({c1edit.ptr(k), 4}); }
std::int32_t byteat(std::int32_t k) { return static_cast<std::uint8_t>(c1edit(k)); }

bool linestartat(std::int32_t p) {
  return p >= 1 && p <= c1editend + 1 && (p == 1 || c1edit(p - 1) == '\n');
}

// The records from `c1redolimit` to `c1logbase` follow each other, each
// with equal length copies, a known type and a position inside the text;
// the "+" records of a chain lie right below its first record, at its
// position, and no chain reaches over `c1logtop`; a chain holds text only
// while its line is out of the text; the newest done and the newest undone
// change name line starts of the text.
bool logholds() {
  std::int32_t b = c1redolimit;
  bool first = true, metlogtop = c1redolimit == c1logtop;
  std::int32_t lastundone = 0, chaintext = 0, chainpos = -1;
  while (b < c1logbase) {
    if (b == c1logtop) {
      if (chainpos >= 0) return false;
      metlogtop = true;
      first = true;
    }
    const std::int32_t l = byteat(b);
    if (b + l + c1editrecord > c1logbase || byteat(b + l + 1) != l) return false;
    const char type = c1edit(b + l + 2);
    const std::int32_t p = i4at(b + l + 3);
    if (type != 'I' && type != 'd' && type != 'r' && type != '+') return false;
    if (p < 1 || p > c1logbase || (chainpos >= 0 && p != chainpos)) return false;
    chaintext += l;
    b += l + c1editrecord;
    if (type == '+') {
      chainpos = p;
      continue;
    }
    const bool done = b - l - c1editrecord >= c1logtop;
    if (chaintext != 0 && ((done && type == 'I') || (!done && type == 'd'))) return false;
    if (first && done && !linestartat(p)) return false;
    if (!done) lastundone = p;
    first = false;
    chaintext = 0;
    chainpos = -1;
  }
  if (b != c1logbase || !metlogtop || chainpos >= 0) return false;
  return lastundone == 0 || linestartat(lastundone);
}

}  // namespace

void loadeditbuffer(std::string_view text, std::string_view title) {
  Laid laid = laidout(text);
  nc1edit = static_cast<std::int32_t>(laid.body.size()) + nc1editroom;
  if (!laid.ended) laid.body += "\r\n";
  std::int32_t one = 1;
  ALLOCS("c1edit", one, nc1edit);
  if (c1edit.size() == 0) {
    nc1edit = c1editend = nedlines = 0;
    return;
  }
  std::copy(laid.body.begin(), laid.body.end(), c1edit.ptr(1));
  c1editend = static_cast<std::int32_t>(laid.body.size());
  countlines(c1editend, false);
  c1logbase = c1logtop = c1redolimit = nc1edit - c1edittrailer;
  c1savedepth = 0;
  settitle(title);
  sealc1edit();
  c1edit(c1editend + 1) = ' ';
  applymemoryheader();
  edline = {0, 0};
}

Restore loadworkcopy(std::string_view image) {
  if (image.size() < 16) return Restore::tooshort;
  const auto n = static_cast<std::int32_t>(image.size());
  std::int32_t one = 1;
  nc1edit = n;
  ALLOCS("c1edit", one, nc1edit);
  if (c1edit.size() == 0) {
    nc1edit = 0;
    return Restore::tooshort;
  }
  std::copy(image.begin(), image.end(), c1edit.ptr(1));
  c1editend = n;
  countlines(n, true);
  // The text ends with its last line, before the NUL saved after it.
  c1editend = edline.pos + C1EDITLINELENGTHWITHCRLF(edline.pos) - 1;
  const bool sized = n > c1edittrailer + 2;
  if (sized) {
    c1logbase = i4at(n - 11);
    c1logtop = i4at(n - 7);
    c1redolimit = i4at(n - 3);
  }
  // The marks first: they keep the reads after the text inside the image.
  const bool holds = sized && c1editend >= 2 && c1editend + 1 < c1redolimit &&
                     c1redolimit <= c1logtop && c1logtop <= c1logbase &&
                     c1logbase == n - c1edittrailer && c1edit(c1editend - 1) == '\r' &&
                     c1edit(c1editend) == '\n' && c1edit(c1editend + 1) == '\0' && logholds();
  if (!holds) {
    // The text as far as it goes, without log.
    std::int32_t end = std::clamp(c1editend, 0, n);
    if (const char* nul = std::find(c1edit.ptr(1), c1edit.ptr(1) + end, '\0');
        nul != c1edit.ptr(1) + end)
      end = static_cast<std::int32_t>(nul - c1edit.ptr(1));
    const std::string text(c1edit.ptr(1), static_cast<std::size_t>(end));
    const std::string title =
        sized ? std::string(c1edit.ptr(n - c1edittrailer), c1edittitle) : std::string();
    loadeditbuffer(text, title);
    // The text came from the working copy: it is not the script's file.
    c1savedepth = -1;
    return Restore::damaged;
  }
  applymemoryheader();
  edline = {0, 0};
  // Changes in the log were made after the script was last saved.
  c1savedepth = c1logtop < c1logbase ? -1 : 0;
  return Restore::restored;
}

void applymemoryheader() {
  memhdrbits = 0;
  if (c1edit.size() == 0 || c1editend < 1) return;
  // The last two lines.
  std::string_view t(c1edit.data(), static_cast<std::size_t>(c1editend));
  std::size_t from = t.size();
  for (int lines = 0; lines < 2 && from > 0; ++lines) {
    const std::size_t end = t.substr(0, from).ends_with("\r\n") ? from - 2 : from;
    const std::size_t before = t.rfind("\r\n", end == 0 ? 0 : end - 1);
    from = before == std::string_view::npos || end == 0 ? 0 : before + 2;
  }
  std::string tail(t.substr(from));
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  struct Item {
    std::string_view name;
    std::int32_t* size;
    std::int32_t limit;
    std::int32_t bit;
  };
  const std::array<Item, 5> items{{{"FLOATS", &nz, nzlimit, 1},
                                   {"CHARS", &nc1namen, nc1namenlimit, 2},
                                   {"PROGRAM", &nxeqbuf, nxeqbuflimit, 4},
                                   {"STACK", &nadrs, nadrslimit, 8},
                                   {"NAMES", &nname, nnamelimit, 16}}};
  const auto n = static_cast<std::int32_t>(tail.size());
  for (const Item& item : items) {
    std::int32_t vs = 0, ve = 0;
    double value = 0;
    if (ITEMVALUEINSTRING(item.name, ";,", tail, n, vs, ve, value) <= 0) continue;
    const double rounded = std::round(value);
    if (!(rounded >= 1) || rounded > item.limit) continue;
    *item.size = static_cast<std::int32_t>(rounded);
    memhdrbits |= item.bit;
  }
}

}  // namespace core
