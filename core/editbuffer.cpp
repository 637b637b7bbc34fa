#include "core/editbuffer.h"

#include <algorithm>
#include <string>

#include "core/rawmem.h"
#include "core/stores.h"

namespace core {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';

bool crlfat(std::int32_t k) {
  return k >= 1 && k + 1 <= c1editend && c1edit(k) == cr && c1edit(k + 1) == lf;
}

// Moves the line reader forward to line target over the text, stopping on
// the last line when the text has fewer lines.
void forwardto(std::int32_t target) {
  for (std::int32_t k = edline.pos; k <= c1editend - 2 && edline.line < target; ++k) {
    if (crlfat(k)) {
      edline.pos = k + 2;
      ++edline.line;
    }
  }
}

// Moves the line reader back to line target (at least 1).
void backto(std::int32_t target) {
  edline = {1, 1};
  forwardto(target);
}

void writetrailer() {
  const std::int32_t n = nc1edit;
  SET4C1FROMI4({c1edit.ptr(n - 11), 4}, c1logbase);
  SET4C1FROMI4({c1edit.ptr(n - 7), 4}, c1logtop);
  SET4C1FROMI4({c1edit.ptr(n - 3), 4}, c1redolimit);
}

}  // namespace

void FEDNXT(std::span<char>* line, const std::int32_t* lineno, const std::int16_t* col) {
  const std::int32_t target = lineno ? *lineno : edline.line + 1;
  const bool allocated = c1edit.size() > 0;
  if (target < 1) {
    edline = {0, 0};
  } else {
    if (edline.pos < 1) edline = {1, 1};
    if (allocated) {
      if (target >= edline.line) {
        forwardto(target);
      } else {
        backto(target);
      }
    }
  }
  if (line == nullptr || !allocated) return;
  std::fill(line->begin(), line->end(), ' ');
  if (edline.pos < 1) return;
  const std::int32_t skip = col ? std::max<std::int32_t>(*col - 1, 0) : 0;
  const auto room = static_cast<std::int32_t>(line->size());
  const std::int32_t n = std::min(room, c1editend - edline.pos - skip + 1);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t k = edline.pos + skip + i;
    if (crlfat(k)) break;
    (*line)[static_cast<std::size_t>(i)] = c1edit(k);
  }
}

std::int32_t edlinelength() {
  if (edline.pos < 1 || c1edit.size() == 0) return 0;
  std::int32_t n = 0;
  for (std::int32_t k = edline.pos; k <= c1editend && !crlfat(k); ++k)
    if (c1edit(k) != ' ') n = k - edline.pos + 1;
  return n;
}

std::string linetext(std::int32_t lineno) {
  if (lineno < 1 || c1edit.size() == 0 || lineno > nedlines) return {};
  const EditLine kept = edline;
  FEDNXT(nullptr, &lineno);
  std::string out;
  if (edline.line == lineno)
    for (std::int32_t k = edline.pos; k >= 1 && k <= c1editend && !crlfat(k); ++k)
      out += c1edit(k);
  edline = kept;
  out.erase(out.find_last_not_of(' ') + 1);
  return out;
}

void C1EDITINSERT(std::int32_t pos, std::string_view text, std::int32_t /*flags*/) {
  auto n = static_cast<std::int32_t>(text.size());
  if (const auto e = text.find("\r\n"); e != std::string_view::npos)
    n = static_cast<std::int32_t>(e) + 2;
  // Keep the text clear of the log; the editor grows the buffer before this.
  if (pos < 1 || pos > c1editend + 1 || c1editend + n + 1 >= c1redolimit - 7) return;
  for (std::int32_t k = c1editend; k >= pos; --k) c1edit(k + n) = c1edit(k);
  for (std::int32_t i = 0; i < n; ++i) c1edit(pos + i) = text[static_cast<std::size_t>(i)];
  c1editend += n;
  ++nedlines;
  // An empty "I" record: position, type, both length copies.
  const std::int32_t t = c1logtop;
  SET4C1FROMI4({c1edit.ptr(t - 4), 4}, pos);
  c1edit(t - 5) = 'I';
  c1edit(t - 6) = 0;
  c1edit(t - 7) = 0;
  c1logtop = t - 7;
  c1redolimit = c1logtop;
  writetrailer();
}

void loadeditbuffer(std::string_view text) {
  std::string body(text);
  // A last line ended by a bare CR gets its LF.
  if (!body.empty() && body.back() == '\r')
    body += '\n';
  else if (body.size() < 2 || body.compare(body.size() - 2, 2, "\r\n") != 0)
    body += "\r\n";
  const auto len = static_cast<std::int32_t>(body.size());
  nc1edit = len + nc1editroom + c1edittrailer;
  std::int32_t one = 1;
  ALLOCS("c1edit", one, nc1edit);
  for (std::int32_t i = 0; i < len; ++i) c1edit(i + 1) = body[static_cast<std::size_t>(i)];
  c1editend = len;
  nedlines = 0;
  for (std::int32_t k = 1; k < len; ++k)
    if (crlfat(k)) ++nedlines;
  c1logbase = c1logtop = c1redolimit = nc1edit - c1edittrailer;
  writetrailer();
  edline = {0, 0};
}

void reset_editbuffer() {
  c1edit.clear();
  c1editend = nc1edit = 0;
  c1logbase = c1logtop = c1redolimit = 0;
  edline = {};
  pastelen = edcompileonly = memhdrbits = 0;
}

}  // namespace core
