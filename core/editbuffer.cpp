#include "core/editbuffer.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <new>
#include <vector>

#include "core/codewords.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/stores.h"

namespace core {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';

std::int32_t byteat(std::int32_t k) { return static_cast<std::uint8_t>(c1edit(k)); }
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

// Grows the store until `extra` positions and the margin lie free between
// text and log.
void ensureroom(std::int32_t extra = 0) {
  while (c1editend + c1editmargin + extra > c1redolimit && c1edit.size() > 0) {
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
  // The line reader stays on its line, which moved down.
  if (edline.pos > pos) {
    edline.pos += n;
    ++edline.line;
  }
}

void dropline(std::int32_t pos, std::int32_t whole) {
  shift(pos + whole, c1editend, -whole);
  c1editend -= whole;
  --nedlines;
  // The line reader stays on its line, which moved up; on the line that
  // went it stands on the next one (before the first line past the end).
  if (edline.pos > pos) {
    edline.pos -= whole;
    --edline.line;
  } else if (edline.pos == pos && pos > c1editend) {
    edline = {0, 0};
  }
}

// --- Record chains --------------------------------------------------------
//
// A line longer than a record holds is logged as a chain: its first record
// of the type of the change (the highest), then records of the type "+",
// each below the one before, that hold the rest of its text in order. Undo
// and redo take a chain as one change; a chain keeps its count of records
// while its text moves in and out (records may hold nothing).

// Records needed for a text of n characters.
std::int32_t recordsfor(std::int32_t n) {
  return std::max<std::int32_t>(1, (n + c1editline - 1) / c1editline);
}

struct Chain {
  std::int32_t lo = 0;  // lowest position of its lowest record
  std::int32_t hi = 0;  // one above its highest position
  char type = 0;
  std::int32_t pos = 0;
  std::int32_t count = 0;
  std::string text;
};

// A record's text length when a record with its length copies and a known
// type stands at b below `limit`; -1 otherwise.
std::int32_t recordat(std::int32_t b, std::int32_t limit) {
  if (b < 1 || b + c1editrecord > limit) return -1;
  const std::int32_t l = byteat(b);
  if (b + l + c1editrecord > limit || byteat(b + l + 1) != l) return -1;
  const char t = c1edit(b + l + 2);
  return t == 'I' || t == 'd' || t == 'r' || t == '+' ? l : -1;
}

// The chain whose lowest record starts at lo (the newest done chain, read
// upward to its first record); false when the records do not hold together.
bool chainup(std::int32_t lo, Chain& c) {
  std::vector<std::string> pieces;
  std::int32_t b = lo;
  for (;;) {
    const std::int32_t l = recordat(b, c1logbase);
    if (l < 0) return false;
    pieces.emplace_back(c1edit.ptr(b + 1), static_cast<std::size_t>(l));
    const char t = c1edit(b + l + 2);
    b += l + c1editrecord;
    if (t != '+') {
      c.type = t;
      c.pos = i4at(b - 4);
      break;
    }
  }
  c.lo = lo;
  c.hi = b;
  c.count = static_cast<std::int32_t>(pieces.size());
  c.text.clear();
  for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) c.text += *it;
  return true;
}

// The chain whose first record ends just below hi (the newest undone
// chain, read downward over its "+" records).
bool chaindown(std::int32_t hi, Chain& c) {
  std::int32_t top = hi;
  bool first = true;
  c.text.clear();
  c.count = 0;
  while (top - c1editrecord >= c1redolimit) {
    const std::int32_t l = byteat(top - 6);
    const std::int32_t b = top - l - c1editrecord;
    if (b < c1redolimit || recordat(b, top) != l) break;
    const char t = c1edit(b + l + 2);
    if (first == (t == '+')) break;
    if (first) {
      c.type = t;
      c.pos = i4at(b + l + 3);
    }
    c.text.append(c1edit.ptr(b + 1), static_cast<std::size_t>(l));
    ++c.count;
    top = b;
    first = false;
  }
  c.lo = top;
  c.hi = hi;
  return c.count > 0;
}

// The bytes of a chain of `count` records of the type and position holding
// the text (which must fit), lowest record first.
std::string chainbytes(char type, std::int32_t pos, std::int32_t count, std::string_view text) {
  std::string out;
  std::array<char, 4> p{};
  SET4C1FROMI4(p, pos);
  for (std::int32_t k = count - 1; k >= 0; --k) {
    const std::size_t from = std::min(text.size(), static_cast<std::size_t>(k) * c1editline);
    const std::string_view piece = text.substr(from, static_cast<std::size_t>(c1editline));
    const auto l = static_cast<char>(piece.size());
    out += l;
    out += piece;
    out += l;
    out += k == 0 ? type : '+';
    out.append(p.data(), 4);
  }
  return out;
}

// Replaces the chain's bytes by a chain holding the text, its top staying
// where it is: the records below it (from `c1redolimit`) move with the
// difference. Returns the new lowest position.
std::int32_t rewrite(const Chain& c, std::string_view text) {
  const std::int32_t count = std::max(c.count, recordsfor(static_cast<std::int32_t>(text.size())));
  const std::string bytes = chainbytes(c.type, c.pos, count, text);
  const std::int32_t lo = c.hi - static_cast<std::int32_t>(bytes.size());
  shift(c1redolimit, c.lo - 1, lo - c.lo);
  c1redolimit += lo - c.lo;
  std::copy(bytes.begin(), bytes.end(), c1edit.ptr(lo));
  return lo;
}

// Pushes a new chain below the done records; the undone ones are dropped.
void push(char type, std::int32_t pos, std::string_view text, std::int32_t count) {
  // Undone changes go: a saved text among them can no longer come back.
  if (c1savedepth > 0 && c1redolimit < c1logtop && donechanges() < c1savedepth) c1savedepth = -1;
  const std::string bytes = chainbytes(type, pos, count, text);
  c1logtop -= static_cast<std::int32_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), c1edit.ptr(c1logtop));
  c1redolimit = c1logtop;
}

// The text of the line at pos, without its line end.
std::string linetextat(std::int32_t pos) {
  const LineSpan s = linespan(pos);
  return std::string(c1edit.ptr(pos), static_cast<std::size_t>(s.text));
}

// Deletes the line at pos into a new "d" chain; force: also the only line.
bool deleteline(std::int32_t pos, bool force) {
  if ((!force && nedlines <= 1) || !linestart(pos, c1editend)) return false;
  const LineSpan s = linespan(pos);
  ensureroom(s.text + c1editrecord * recordsfor(s.text));
  push('d', pos, std::string_view(c1edit.ptr(pos), static_cast<std::size_t>(s.text)),
       recordsfor(s.text));
  dropline(pos, s.whole);
  return true;
}

// The statement code of a line's first word (after its label); 0 for none.
std::int16_t statementof(std::string_view line) {
  std::size_t k = line.find_first_not_of(' ');
  while (k < line.size() && line[k] >= '0' && line[k] <= '9') ++k;
  while (k < line.size() && line[k] == ' ') ++k;
  std::string word;
  while (k < line.size() && std::isalpha(static_cast<unsigned char>(line[k])) != 0)
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(line[k++])));
  if (word.empty()) return 0;
  const std::size_t at = stmtlist.find("," + word + ",");
  if (at == std::string_view::npos) return 0;
  // The list starts with a comma, and the word's own comma is not counted:
  // the commas before it are as many as the words before it.
  const auto n = static_cast<std::size_t>(std::count(stmtlist.begin(), stmtlist.begin() + at, ','));
  return stmtcodes[n];
}

// The label a line carries: the number it begins with (without leading
// zeros) when a name, a number, a text or nothing follows; empty for none.
std::string_view labelof(std::string_view line) {
  std::size_t k = line.find_first_not_of(' ');
  if (k == std::string_view::npos) return {};
  while (k < line.size() && line[k] == '0' && k + 1 < line.size() && line[k + 1] >= '0' &&
         line[k + 1] <= '9')
    ++k;
  const std::size_t from = k;
  while (k < line.size() && line[k] >= '0' && line[k] <= '9') ++k;
  if (k == from) return {};
  const std::string_view label = line.substr(from, k - from);
  while (k < line.size() && line[k] == ' ') ++k;
  if (k == line.size() || line[k] == '\'' || line[k] == '"' ||
      std::isalnum(static_cast<unsigned char>(line[k])) != 0)
    return label;
  return {};
}

// A line coming or going at pos, the text as it stands: it reaches the
// code of other lines when it is one of the statements that do, or when a
// declaration follows it (whether a declaration is taken depends on the
// statements before it), or when another line carries its label (a label
// stands at the last line that carries it). `self`: the line at pos is the
// one going or changed, no other line.
void noteline(std::string_view line, std::int32_t pos, bool self) {
  if (programstale) return;
  if (reachesotherlines(line)) {
    programstale = true;
    return;
  }
  if (const std::string_view label = labelof(line); !label.empty()) {
    for (std::int32_t k = 1; k <= c1editend;) {
      const LineSpan s = linespan(k);
      if (s.whole <= 0) break;
      if ((k != pos || !self) &&
          labelof(std::string_view(c1edit.ptr(k), static_cast<std::size_t>(s.text))) == label) {
        programstale = true;
        return;
      }
      k += s.whole;
    }
  }
  for (std::int32_t k = std::max(pos, 1); k <= c1editend;) {
    const LineSpan s = linespan(k);
    if (s.whole <= 0) break;
    const std::int16_t code =
        statementof(std::string_view(c1edit.ptr(k), static_cast<std::size_t>(s.text)));
    if (std::find(declarationstatements.begin(), declarationstatements.end(), code) !=
        declarationstatements.end()) {
      programstale = true;
      return;
    }
    k += s.whole;
  }
}

}  // namespace

bool reachesotherlines(std::string_view line) {
  const std::int16_t code = statementof(line);
  return code != 0 &&
         std::find(scopestatements.begin(), scopestatements.end(), code) != scopestatements.end();
}

std::int32_t C1EDITLINELENGTHWITHCRLF(std::int32_t pos) {
  if (pos < 1 || pos > c1editend) return 0;
  const std::int32_t last = std::min<std::int32_t>(c1editend - 1, nc1edit - 1);
  for (std::int32_t k = pos; k <= last; ++k)
    if (c1edit(k) == cr && c1edit(k + 1) == lf) return k - pos + 2;
  return c1editend - pos + 1;
}

void C1EDITINSERT(std::int32_t pos, std::string_view text, std::int32_t flags) {
  if (c1edit.size() == 0 || pos < 1 || !(pos == c1editend + 1 || linestart(pos, c1editend))) return;
  const std::string_view line = text.substr(0, text.find("\r\n"));
  const auto n = static_cast<std::int32_t>(line.size());
  const bool replaced = (flags & 1) != 0 && pos <= c1editend;
  if (replaced) noteline(linetextat(pos), pos, true);
  noteline(line, pos, replaced);
  if (replaced && !deleteline(pos, true)) return;
  ensureroom(n + 2 + c1editrecord * recordsfor(n));
  putline(pos, line);
  if (replaced) {
    // The "d" chain of the old line becomes the "r" chain of the change,
    // with records enough for either version.
    Chain c;
    if (chainup(c1logtop, c)) {
      c.type = 'r';
      c1logtop = rewrite(c, c.text);
      const std::int32_t more = recordsfor(n) - c.count;
      if (more > 0) {
        c.lo = c1logtop;
        c.count += more;
        c1logtop = rewrite(c, c.text);
      }
    }
    writemarks();
    return;
  }
  push('I', pos, {}, recordsfor(n));
  writemarks();
}

void C1EDITDELETE(std::int32_t pos) {
  if (c1edit.size() > 0 && linestart(pos, c1editend)) noteline(linetextat(pos), pos, true);
  if (c1edit.size() > 0 && deleteline(pos, false)) writemarks();
}

void C1EDITUNDO(std::int32_t& pos, std::int32_t flags) {
  std::int32_t& chg = edvars(edv::chg);
  chg = 0;
  if (c1edit.size() == 0) return;
  const bool redo = (flags & 1) != 0;
  for (;;) {
    Chain c;
    if (!redo) {
      if (c1logtop >= c1logbase || !chainup(c1logtop, c)) return;
    } else {
      if (c1redolimit >= c1logtop || !chaindown(c1logtop, c)) return;
    }
    const std::int32_t p = c.pos;
    // Which way the change moves a line: out of the text, into it, or swapped.
    const bool out = (!redo && c.type == 'I') || (redo && c.type == 'd');
    const bool in = (!redo && c.type == 'd') || (redo && c.type == 'I');
    if (p < 1 || p > c1logbase) return;
    if (in ? !(p == c1editend + 1 || linestart(p, c1editend)) : !linestart(p, c1editend)) return;
    if (out && !c.text.empty()) return;
    const std::string line = in ? std::string() : linetextat(p);
    ensureroom(static_cast<std::int32_t>(std::max(line.size(), c.text.size())) + 2 +
               c1editrecord * recordsfor(static_cast<std::int32_t>(line.size())));
    // The store may have grown: the chain moved with the log.
    if (!(redo ? chaindown(c1logtop, c) : chainup(c1logtop, c))) return;
    pos = p;
    const std::string back = c.text;
    noteline(line, p, true);
    noteline(back, p, !in);
    if (!in) dropline(p, linespan(p).whole);
    const std::int32_t lo = rewrite(c, line);
    if (!out) putline(p, back);
    chg |= out ? 0x20 : in ? 0x40 : 0x80;
    c1logtop = redo ? lo : c.hi;
    writemarks();
    // An insert of the same line right before its replace (a new line then
    // typed into) is one change with it, undone and redone together; an
    // insert of another line is not.
    Chain next;
    if (redo) {
      if (c.type != 'I' || c1redolimit >= c1logtop || !chaindown(c1logtop, next) ||
          next.type != 'r' || next.pos != p)
        return;
    } else {
      if (c.type != 'r' || c1logtop >= c1logbase || !chainup(c1logtop, next) || next.type != 'I' ||
          next.pos != p)
        return;
    }
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
    // By position: only the line ends before the target's line count (the
    // CR LF at or just before the target ends the target's own line).
    const std::int32_t last = std::min((mode & 1) != 0 ? stoppos - 2 : stoppos, n - 2);
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

std::int32_t donechanges() {
  std::int32_t n = 0;
  for (std::int32_t b = c1logtop; b < c1logbase;) {
    Chain c;
    if (!chainup(b, c)) break;
    ++n;
    b = c.hi;
  }
  return n;
}

void c1editsaved() { c1savedepth = c1edit.size() > 0 ? donechanges() : 0; }

bool c1editmodified() { return c1edit.size() > 0 && donechanges() != c1savedepth; }

void c1editforget() {
  c1logtop = c1redolimit = c1logbase;
  c1savedepth = 0;
  if (c1edit.size() > 0) writemarks();
}
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
  c1savedepth = 0;
  programstale = false;
  edline = {};
  pastelen = edcompileonly = memhdrbits = 0;
  std::fill(edvarssaved.raw().begin(), edvarssaved.raw().end(), 0);
}

}  // namespace core
