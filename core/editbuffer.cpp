#include "core/editbuffer.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "core/messages.h"
#include "core/rawmem.h"
#include "core/stores.h"

namespace core {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';

std::int32_t byteat(std::int32_t k) { return static_cast<std::uint8_t>(c1edit(k)); }
void setbyte(std::int32_t k, std::int32_t v) { c1edit(k) = static_cast<char>(v & 0xFF); }
std::int32_t i4at(std::int32_t k) { return GETI4FROM4C1({c1edit.ptr(k), 4}); }
void seti4(std::int32_t k, std::int32_t v) { SET4C1FROMI4({c1edit.ptr(k), 4}, v); }

bool crlfat(std::int32_t k) {
  return k >= 1 && k + 1 <= c1editend && c1edit(k) == cr && c1edit(k + 1) == lf;
}

// A line of the text starts at pos (pos <= last).
bool linestart(std::int32_t pos, std::int32_t last) {
  return pos >= 1 && pos <= last && pos <= c1editend + 1 && (pos == 1 || c1edit(pos - 1) == lf);
}

// Moves positions from .. to of the store by d (up: highest first).
void shift(std::int32_t from, std::int32_t to, std::int32_t d) {
  if (from > to || d == 0) return;
  char* base = c1edit.ptr(1) - 1;
  if (d > 0) {
    std::copy_backward(base + from, base + to + 1, base + to + 1 + d);
  } else {
    std::copy(base + from, base + to + 1, base + from + d);
  }
}

// Characters of the line at pos without its line end, and the length with it.
struct LineSpan {
  std::int32_t text = 0;
  std::int32_t whole = 0;
};
LineSpan linespan(std::int32_t pos) {
  const std::int32_t whole = C1EDITLINELENGTHWITHCRLF(pos);
  const bool ended = whole >= 2 && crlfat(pos + whole - 2);
  return {ended ? whole - 2 : whole, whole};
}

void writemarks() {
  seti4(nc1edit - 11, c1logbase);
  seti4(nc1edit - 7, c1logtop);
  seti4(nc1edit - 3, c1redolimit);
}

void ensureroom() {
  while (c1editend + c1editmargin > c1redolimit && c1edit.size() > 0) {
    const std::int32_t before = nc1edit;
    growc1edit();
    if (nc1edit == before) return;
  }
}

// Puts the text of a line (without line end) at pos, with CR LF.
void putline(std::int32_t pos, std::string_view text) {
  const auto n = static_cast<std::int32_t>(text.size()) + 2;
  shift(pos, c1editend, n);
  std::copy(text.begin(), text.end(), c1edit.ptr(pos));
  c1edit(pos + n - 2) = cr;
  c1edit(pos + n - 1) = lf;
  c1editend += n;
  ++nedlines;
}

void dropline(std::int32_t pos, std::int32_t whole) {
  shift(pos + whole, c1editend, -whole);
  c1editend -= whole;
  --nedlines;
}

// Deletes the line at pos into a new "d" record; force: also the only line.
bool deleteline(std::int32_t pos, bool force) {
  if ((!force && nedlines <= 1) || !linestart(pos, c1editend)) return false;
  ensureroom();
  const LineSpan s = linespan(pos);
  const std::int32_t m = s.text;
  if (m > c1editline) return false;
  const std::int32_t t = c1logtop;
  seti4(t - 4, pos);
  c1edit(t - 5) = 'd';
  setbyte(t - 6, m);
  std::copy_n(c1edit.ptr(pos), m, c1edit.ptr(t - 6 - m));
  setbyte(t - m - 7, m);
  c1logtop = t - m - c1editrecord;
  c1redolimit = c1logtop;
  dropline(pos, s.whole);
  return true;
}

// Takes the line at pos into the record at `c1logtop`, which holds no text.
void filetochange(std::int32_t pos, bool redo) {
  const LineSpan s = linespan(pos);
  const std::int32_t m = s.text;
  shift(c1redolimit, c1logtop, -m);
  std::copy_n(c1edit.ptr(pos), m, c1edit.ptr(c1logtop - m + 1));
  setbyte(c1logtop + 1, m);
  setbyte(c1logtop - m, m);
  c1redolimit -= m;
  c1logtop += redo ? -m : c1editrecord;
  dropline(pos, s.whole);
}

// Puts the l characters of the record at `c1logtop` back as the line at pos.
void changetofile(std::int32_t pos, std::int32_t l, bool redo) {
  const std::string text(c1edit.ptr(c1logtop + 1), static_cast<std::size_t>(l));
  putline(pos, text);
  shift(c1redolimit, c1logtop, l);
  c1redolimit += l;
  setbyte(c1logtop + l, 0);
  setbyte(c1logtop + l + 1, 0);
  c1logtop += redo ? l : l + c1editrecord;
}

// Exchanges the line at pos with the l characters of the record at `c1logtop`.
void swapline(std::int32_t pos, std::int32_t l, bool redo) {
  const std::string text(c1edit.ptr(c1logtop + 1), static_cast<std::size_t>(l));
  shift(c1redolimit, c1logtop, l);
  c1logtop += l;
  c1redolimit += l;
  filetochange(pos, redo);
  putline(pos, text);
}

}  // namespace

std::int32_t C1EDITLINELENGTHWITHCRLF(std::int32_t pos) {
  if (pos < 1 || pos > c1editend) return 0;
  const std::int32_t last = std::min<std::int32_t>(c1editend - 1, nc1edit - 1);
  for (std::int32_t k = pos; k <= last; ++k)
    if (c1edit(k) == cr && c1edit(k + 1) == lf) return k - pos + 2;
  return c1editend - pos + 1;
}

void C1EDITINSERT(std::int32_t pos, std::string_view text, std::int32_t flags) {
  if (c1edit.size() == 0 || pos < 1 || !(pos == c1editend + 1 || linestart(pos, c1editend))) return;
  std::string_view line = text.substr(0, text.find("\r\n"));
  if (line.size() > static_cast<std::size_t>(c1editline)) line = line.substr(0, c1editline);
  const bool replaced = (flags & 1) != 0 && pos <= c1editend;
  if (replaced && !deleteline(pos, true)) return;
  ensureroom();
  putline(pos, line);
  if (replaced) {
    c1edit(c1logtop + byteat(c1logtop) + 2) = 'r';
    writemarks();
    return;
  }
  const std::int32_t t = c1logtop;
  seti4(t - 4, pos);
  c1edit(t - 5) = 'I';
  setbyte(t - 6, 0);
  setbyte(t - 7, 0);
  c1logtop = t - c1editrecord;
  c1redolimit = c1logtop;
  writemarks();
}

void C1EDITDELETE(std::int32_t pos) {
  if (c1edit.size() > 0 && deleteline(pos, false)) writemarks();
}

void C1EDITUNDO(std::int32_t& pos, std::int32_t flags) {
  std::int32_t& chg = edvars(edv::chg);
  chg = 0;
  if (c1edit.size() == 0) return;
  const bool redo = (flags & 1) != 0;
  for (;;) {
    ensureroom();
    std::int32_t b = 0, l = 0;
    if (!redo) {
      if (c1logtop >= c1logbase) return;
      b = c1logtop;
      l = byteat(b);
    } else {
      if (c1redolimit >= c1logtop) return;
      l = byteat(c1logtop - 6);
      b = c1logtop - l - c1editrecord;
      if (b < c1redolimit) return;
    }
    if (b + l + c1editrecord > c1logbase || byteat(b + l + 1) != l) return;
    const std::int32_t p = i4at(b + l + 3);
    const char type = c1edit(b + l + 2);
    // Which way the record moves a line: out of the text, into it, or swapped.
    const bool out = (!redo && type == 'I') || (redo && type == 'd');
    const bool in = (!redo && type == 'd') || (redo && type == 'I');
    if (!out && !in && type != 'r') return;
    if (p > c1logbase) return;
    if (in ? !(p == c1editend + 1 || linestart(p, c1editend)) : !linestart(p, c1editend)) return;
    if (out && l != 0) return;
    if (redo) c1logtop = b;
    pos = p;
    if (out) {
      filetochange(p, redo);
      chg |= 0x20;
    } else if (in) {
      changetofile(p, l, redo);
      chg |= 0x40;
    } else {
      swapline(p, l, redo);
      chg |= 0x80;
    }
    writemarks();
    if (redo || type != 'r' || c1logtop >= c1logbase) return;
    // An insert of the same line right before its replace (a new line then
    // typed into) is one change with it; an insert of another line is not.
    const std::int32_t older = byteat(c1logtop);
    if (c1logtop + older + c1editrecord > c1logbase || c1edit(c1logtop + older + 2) != 'I') return;
    if (i4at(c1logtop + older + 3) != p) return;
  }
}

void BYTELINESYNC(std::int32_t& bytepos, std::int32_t& lineno, std::span<const char> text,
                  std::int32_t target, std::int32_t mode, bool nulends) {
  const auto n = static_cast<std::int32_t>(text.size());
  const auto at = [&](std::int32_t k) { return text[static_cast<std::size_t>(k - 1)]; };
  constexpr std::int32_t far = INT32_MAX;
  bool forward = false;
  std::int32_t stopline = 0, stoppos = 0;
  if ((mode & 1) == 0) {
    forward = target > lineno;
    stopline = target;
    stoppos = forward ? far : 0;
  } else {
    forward = target > bytepos;
    stoppos = target;
    stopline = forward ? far : 1;
  }
  if (forward) {
    const std::int32_t last = std::min(stoppos, n - 2);
    for (std::int32_t k = std::max(bytepos, 1); k <= last; ++k) {
      if (at(k) != cr || at(k + 1) != lf) continue;
      if (nulends && k <= n - 3 && at(k + 2) == '\0') return;
      bytepos = k + 2;
      if (++lineno == stopline) return;
    }
    return;
  }
  if (stopline >= lineno) return;
  ++lineno;
  for (std::int32_t k = std::min(bytepos - 1, n); k >= 2; --k) {
    if (at(k) != lf || at(k - 1) != cr) continue;
    bytepos = k + 1;
    --lineno;
    if (k < stoppos || lineno == stopline) return;
  }
  bytepos = 1;
  lineno = 1;
}

void FEDNXT(std::span<char>* line, const std::int32_t* lineno, const std::int16_t* col) {
  const std::int32_t target = lineno ? *lineno : edline.line + 1;
  const bool allocated = c1edit.size() > 0;
  if (target < 1) {
    edline = {0, 0};
  } else {
    if (edline.pos < 1) edline = {1, 1};
    if (allocated)
      BYTELINESYNC(edline.pos, edline.line,
                   {c1edit.data(), static_cast<std::size_t>(std::max(c1editend, 0))}, target, 0);
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
    for (std::int32_t k = edline.pos; k >= 1 && k <= c1editend && !crlfat(k); ++k) out += c1edit(k);
  edline = kept;
  out.erase(out.find_last_not_of(' ') + 1);
  return out;
}

void VARSTOJ(std::span<std::int32_t, 25> j) {
  for (int k = 1; k <= 25; ++k) {
    edvarssaved(26 - k) = edvars(26 - k);
    j[static_cast<std::size_t>(k - 1)] = edvars(26 - k);
  }
}

void JTOVARS(std::span<const std::int32_t, 25> j) {
  const std::int32_t kept = edvars(edv::flags) & 0x18;
  for (int k = 1; k <= 25; ++k) edvars(26 - k) = j[static_cast<std::size_t>(k - 1)];
  edvars(edv::flags) |= kept;
  for (int k = 1; k <= 25; ++k) edvarssaved(k) = edvars(k);
}

bool undoavailable() { return c1logtop != c1logbase; }
bool redoavailable() { return c1redolimit < c1logtop; }

void sealc1edit() {
  if (c1edit.size() == 0) return;
  c1edit(c1editend + 1) = '\0';
  writemarks();
}

bool c1editroomy() { return c1editend + c1editmargin <= c1redolimit; }

void growc1edit() {
  if (c1edit.size() == 0) return;
  const std::int32_t old = nc1edit;
  std::vector<char> grown;
  try {
    grown.assign(static_cast<std::size_t>(old) + nc1editroom, ' ');
  } catch (const std::bad_alloc&) {
    std::int32_t status = 41;
    CHECKANDSETRUNTIMEERROR("al03", status);
    return;
  }
  const std::vector<char>& was = c1edit.raw();
  std::copy_n(was.begin(), c1editend + 1, grown.begin());
  std::copy(was.begin() + (c1redolimit - 1), was.end(),
            grown.begin() + (c1redolimit - 1 + nc1editroom));
  c1edit.raw().swap(grown);
  nc1edit = old + nc1editroom;
  c1logbase += nc1editroom;
  c1logtop += nc1editroom;
  c1redolimit += nc1editroom;
  writemarks();
}

std::string trailertitle() {
  if (c1edit.size() == 0 || c1logbase < 1 || c1logbase + c1edittitle - 1 > nc1edit) return {};
  return std::string(c1edit.ptr(c1logbase), c1edittitle);
}

void reset_editbuffer() {
  c1edit.clear();
  c1editend = nc1edit = 0;
  c1logbase = c1logtop = c1redolimit = 0;
  edline = {};
  pastelen = edcompileonly = memhdrbits = 0;
  std::fill(edvarssaved.raw().begin(), edvarssaved.raw().end(), 0);
}

}  // namespace core
