// READ and WRITE: the record of a file, a text variable or the clipboard
// taken apart or built item by item through the transfer engine, and the
// result handed to the status bar, the clipboard, a message box or a file.
#include "io/rwstatement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/numread.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/symbols.h"
#include "core/varnamevalue.h"
#include "exec/fastpath.h"
#include "exec/optdispatch.h"
#include "exec/optvalues.h"
#include "exec/statusbar.h"
#include "exec/xeq.h"
#include "io/clipboard.h"
#include "io/coltable.h"
#include "io/fileinfo.h"
#include "io/formatparse.h"
#include "io/lineindex.h"
#include "io/readwrite.h"
#include "io/rwfiles.h"
#include "io/rwindx.h"
#include "io/rwtexts.h"
#include "io/rwwindow.h"
#include "io/tableelement.h"

namespace io {

namespace {

constexpr std::string_view okmarker = "OKrw";

std::vector<RwItem> itemstore;

// One READ or WRITE.
struct Rw {
  char letter = 'R';  // R, W, or O (an OPEN with items, which reads)
  bool write = false;
  std::int32_t items = 0;
  Outcome* out = nullptr;
  std::int32_t unit = 0;
  std::int32_t mode = 0;   // the unit's rwflag bits
  std::int32_t recno = 0;  // the record of the transfer
  bool own = false;        // a file, text, clipboard or title bar target
  bool hastext = false;    // the work area is the Text variable
  std::int32_t fmtsym = 0;
  std::string_view fmt;     // the format, blank when none
  std::span<char> area;     // the work area
  std::int32_t ltext = 0;   // the record's usable length
  std::int32_t count = 0;   // characters transferred
  std::int32_t served = 0;  // items transferred
  bool cached = false;      // the work area holds the record already
  bool readback = false;    // a window's typed line is read into the items
  char lastletter = ' ';    // the descriptor that served the last item
  // The items, first written first (the store of the statement being run;
  // the list is not used once a message box may run other statements).
  std::vector<RwItem>& list = itemstore;
  std::int64_t textlength = 0, numbers = 0;

  // The record length of the item list with width characters a number.
  std::int32_t arglength(std::int32_t width) const {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(textlength + numbers * width, 0, 0x7FFFFFFF));
  }
  // Takes the items from the operand stack; false (letter D) when one has
  // no storage. Text positions change when the store grows: taken again
  // then.
  // operands: the items' operands when they are not on the stack.
  bool takeitems(std::span<const std::int32_t> operands = {}) {
    list.resize(static_cast<std::size_t>(items));
    textlength = numbers = 0;
    for (std::int32_t i = 1; i <= items; ++i) {
      RwItem& it = list[static_cast<std::size_t>(i - 1)];
      const std::int32_t k =
          operands.empty() ? rwoperand(i, items) : operands[static_cast<std::size_t>(i - 1)];
      if (!rwitem(k, it)) return false;
      if (it.text) {
        textlength += it.length;
      } else {
        numbers += it.count;
      }
    }
    return true;
  }
};

bool isformattedseq(std::int32_t mode) {
  return (mode & (rwflag::sequential | rwflag::formatted)) ==
         (rwflag::sequential | rwflag::formatted);
}
bool isstream(std::int32_t mode) {
  return (mode & (rwflag::sequential | rwflag::unformatted)) ==
         (rwflag::sequential | rwflag::unformatted);
}
bool isformatteddirect(std::int32_t mode) {
  return (mode & (rwflag::direct | rwflag::formatted)) == (rwflag::direct | rwflag::formatted);
}
bool isbinary(std::int32_t mode) { return (mode & rwflag::binary) != 0; }
// Fixed-length records reached by number (not byte positions).
bool isdirect(std::int32_t mode) { return (mode & rwflag::direct) != 0 && !isbinary(mode); }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::int32_t filesize(std::int32_t unit) {
  plat::UnitInfo info;
  plat::inquire_unit(unit, info);
  return static_cast<std::int32_t>(std::min<std::int64_t>(info.size, 0x7FFFFFFF));
}

void notbuilt(Rw& rw) {
  core::msgkey.set(core::MSGKEY("notYetBuilt"));
  core::xeqstop = core::stops::error;
  rw.out->letter = 'X';
}

// The format: the Format text, else the format the unit was opened with,
// else none.
void findformat(Rw& rw) {
  std::string_view f;
  rw.fmtsym = 0;
  if (rwtext(rwopt(rwslot::format), f)) {
    rw.fmtsym = rwopt(rwslot::format);
  } else if (rw.unit != 0 && rwfiles(rw.unit).format > 0 && rwtext(rwfiles(rw.unit).format, f)) {
    rw.fmtsym = rwfiles(rw.unit).format;
  }
  rw.fmt = rw.fmtsym != 0 ? f : std::string_view();
}

void resolveformat(Rw& rw) {
  rw.fmt = {};
  if (rw.fmtsym != 0) rwtext(rw.fmtsym, rw.fmt);
}

// Marks the work area as holding record recno of length n.
void setmarker(const Rw& rw, std::int32_t n) {
  rwprevrec = rw.recno;
  rwcachelen = n;
  if (rw.hastext) {
    rwcachetop = -1;
    return;
  }
  rwcachetop = core::c1tmptop;
  const std::int32_t at = core::c1tmptop + 1;
  if (core::c1namen.valid(at) && core::c1namen.valid(at + 3)) {
    std::memcpy(core::c1namen.ptr(at), okmarker.data(), 4);
    return;
  }
  for (std::int32_t k = 0; k < 4; ++k)
    if (core::c1namen.valid(at + k)) core::c1namen(at + k) = okmarker[static_cast<std::size_t>(k)];
}

bool markerstands() {
  if (rwcachetop != core::c1tmptop || rwcachelen < 1) return false;
  for (std::int32_t k = 0; k < 4; ++k) {
    const std::int32_t at = core::c1tmptop + 1 + k;
    if (!core::c1namen.valid(at) || core::c1namen(at) != okmarker[static_cast<std::size_t>(k)])
      return false;
  }
  return true;
}

// The record length a read of the unit takes.
std::int32_t readlength(const Rw& rw) {
  const RwFile& r = rwfiles(rw.unit);
  std::int32_t recl = r.recl;
  if (isformattedseq(rw.mode) && r.lineindex) {
    recl = r.recl;  // the longest row
  } else if (isformattedseq(rw.mode)) {
    // A line has room for 80 characters a number; without items (a
    // search, a line passed over) the whole line is read.
    recl = rw.items > 0 ? rw.arglength(80) : std::min(r.recl, rwworklength());
  } else if (isbinary(rw.mode)) {
    recl = 0;
    if (!trimmed(rw.fmt).empty()) {
      std::int32_t covered = 0;
      char summary = ' ';
      GETRECLFROMFMT(recl, rw.fmt, static_cast<std::int32_t>(rw.fmt.size()), covered, fmtnorepeat,
                     summary);
    }
    if (recl < 1) recl = rw.arglength(8);
  }
  return std::max(recl, 1);
}

// Room the statement may need in the work area (recl: the read length
// when it is known, -1 when not).
std::int64_t roomneeded(const Rw& rw, bool reads, std::int32_t recl = -1) {
  std::int64_t need = std::int64_t{rw.arglength(40)} + 2 * std::int64_t{rw.items} + 1000 +
                      static_cast<std::int64_t>(rw.fmt.size()) * (rw.items + 1);
  if (reads) need = std::max<std::int64_t>(need, recl >= 0 ? recl : readlength(rw));
  return need;
}

// Grows the character store when the work area is too small for need
// characters; false when it cannot grow (the run then stops).
bool room(std::int64_t need) {
  const std::int64_t have = rwworklength();
  if (have >= need) return true;
  std::int32_t extra =
      static_cast<std::int32_t>(std::min<std::int64_t>(need - have + 4999, 1 << 30));
  return core::REALLOC(5, extra) && rwworklength() >= need;
}

// The record number after n, held within the record numbers: a Recrow as
// large as they go leaves the position there.
std::int32_t recordafter(std::int64_t n) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(n + 1, 2147483647));
}

// The unit's record: chosen by Recrow (or the next one), read into the
// work area unless the work area holds it already.
void chooserecord(Rw& rw, bool reads, bool search) {
  RwFile& r = rwfiles(rw.unit);
  std::int32_t recno = exec::KEYVALUE(rwopt(rwslot::recrow));
  if (reads && !search && !rw.hastext && recno > 0 && recno == rwprevrec && markerstands()) {
    rw.recno = recno;
    rw.cached = true;
    return;
  }
  rwprevrec = 0;
  if (recno < 1) {
    recno = recordafter(r.position);
    if (r.coltable && r.lineindex) {
      // Reading on, a table starts at its first row after the header lines.
      const std::int64_t k = std::max<std::int32_t>(r.linesperrow, 1);
      recno = std::max(recno, recordafter((std::int64_t{std::max(r.firstline, 1)} - 2 + k) / k));
    }
  } else if (reads && isformattedseq(rw.mode) && !r.lineindex) {
    // A text file is read by line number through its line index.
    std::int32_t rows = 0, longest = 0;
    MAKEFILEINDEX(rw.unit, rows, longest, '"', 0, 0);
  }
  rw.recno = recno;
  r.position = recno;
}

// Reads the chosen record into the work area; false on a failure (the
// status is set). length: readlength(), when known. (Made in line where a
// transfer program reads.)
[[gnu::always_inline]] inline bool readrecordhere(Rw& rw, std::int32_t length) {
  if (rw.cached) {
    rw.ltext = std::min<std::int32_t>(rwcachelen, static_cast<std::int32_t>(rw.area.size()));
    return true;
  }
  const std::int32_t recl = std::min<std::int32_t>(length >= 0 ? length : readlength(rw),
                                                   static_cast<std::int32_t>(rw.area.size()));
  std::int32_t st = 0, got = recl;
  const bool text = isformattedseq(rw.mode);
  // (Read by row number through the line index.)
  const bool rows = text && rwfiles(rw.unit).lineindex;
  // (A line read in sequence blanks the rest of its record itself.)
  if (!text || rows) std::fill(rw.area.begin(), rw.area.begin() + recl, ' ');
  if (rows) {
    IOINDEXEDSEQ(rw.unit, rw.area.first(static_cast<std::size_t>(recl)), got, rw.recno, st, 0);
    // A text file that is no table ends after its last line, as when it
    // is read line after line.
    const RwFile& r = rwfiles(rw.unit);
    if (st == plat::iostat_bad_record && !r.coltable && rw.recno >= r.lineindex->entries)
      st = plat::iostat_eof;
  } else if (text) {
    READSEQFMT(rw.unit, rw.area, recl, st);
  } else if (isformatteddirect(rw.mode)) {
    READDIRFMT(rw.unit, rw.area, recl, rw.recno, st);
  } else {
    READDIRUNF(rw.unit, rw.area, recl, rw.recno, st);
    if (isbinary(rw.mode) && st == plat::iostat_no_record) {
      // Beyond the end: the bytes that exist.
      got = std::max(std::min(recl, filesize(rw.unit) - rw.recno + 1), 0);
      st = got > 0 ? 0 : plat::iostat_eof;
      std::fill(rw.area.begin() + got, rw.area.begin() + recl, ' ');
    }
  }
  if (st != 0) {
    rw.out->status = st;
    return false;
  }
  // A record cut at the end of the file reads as blank padded.
  // A row read through the line index ends where its line ended.
  const std::int32_t n = rows && rwfiles(rw.unit).lineindex ? got : recl;
  setmarker(rw, n);
  if (isbinary(rw.mode)) rwfiles(rw.unit).position = rw.recno + got - 1;
  rw.ltext = n;
  return true;
}
bool readrecord(Rw& rw, std::int32_t length = -1) { return readrecordhere(rw, length); }

// SEArch: the text is looked for record after record; Recrow receives
// where it was found (0 at the end of the file).
// The search text of SEArch and its options ("::" and letters: C case
// matters, W whole words); false when it is not longer than one character.
bool searchtext(std::string_view& pattern, int& options) {
  std::string_view text;
  rwtext(rwopt(rwslot::search), text);
  pattern = trimmed(text);
  options = 0;
  if (const auto sep = text.find("::"); sep != std::string_view::npos) {
    for (char ch : text.substr(sep + 2)) {
      if (ch == 'C' || ch == 'c') options |= core::so_case;
      if (ch == 'W' || ch == 'w') options |= core::so_words;
    }
    pattern = text.substr(0, sep);
  }
  return trimmed(pattern).size() > 1;
}

void searchrecords(Rw& rw) {
  std::string_view pattern;
  int options = 0;
  searchtext(pattern, options);
  const auto plen = static_cast<std::int32_t>(trimmed(pattern).size());
  const std::int32_t slot = rwopt(rwslot::recrow);
  for (;;) {
    int notfound = 1;
    const std::string_view rec(rw.area.data(), static_cast<std::size_t>(rw.ltext));
    const int p = rw.ltext > 0 ? core::SEARCH(rec, pattern, 1, rw.ltext, options, notfound) : 0;
    if (p > 0) {
      const double at =
          isbinary(rw.mode) ? rw.recno + p - 1.0 : rw.recno + p * static_cast<double>(0.000001f);
      core::SETZTOR8(slot, at);
      return;
    }
    RwFile& r = rwfiles(rw.unit);
    rw.recno = isbinary(rw.mode)
                   ? std::max(recordafter(std::int64_t{r.position} - plen), recordafter(rw.recno))
                   : recordafter(rw.recno);
    if (!isbinary(rw.mode)) r.position = rw.recno;
    rw.cached = false;
    if (!readrecord(rw)) {
      if (rw.out->status == plat::iostat_eof || rw.out->status == plat::iostat_no_record) {
        rw.out->status = 0;
        core::SETZTOR8(slot, 0.0);
      }
      return;
    }
  }
}

// A stream file: the items straight from the file, 8 bytes a number.
void streamread(Rw& rw) {
  for (const RwItem& it : rw.list) {
    std::int32_t st = 0;
    if (it.text) {
      std::span<char> t(core::c1namen.ptr(it.first), static_cast<std::size_t>(it.length));
      if (it.writable) std::fill(t.begin(), t.end(), ' ');
      std::vector<char> scratch;
      if (!it.writable) {
        scratch.assign(t.size(), ' ');
        t = scratch;
      }
      READSEQUNF(rw.unit, t, it.length, st);
      if (st != 0) return;
      rw.count += it.length;
    } else {
      std::vector<char> buf(static_cast<std::size_t>(it.count) * 8);
      READSEQUNF(rw.unit, buf, static_cast<std::int32_t>(buf.size()), st);
      if (st != 0) return;  // the items not read keep their values
      for (std::int32_t e = 0; e < it.count; ++e) {
        double v = 0;
        std::memcpy(&v, buf.data() + 8 * e, 8);
        if (it.array) {
          core::z(it.cell + e) = v;
        } else if (it.writable) {
          core::z(it.cell) = v;
        }
      }
      rw.count += static_cast<std::int32_t>(buf.size());
    }
    ++rw.served;
  }
}

// Clears what is left of the items after a free-field read ran out of
// numbers: from element e of item i on (the item in hand was cleared by
// the engine).
void clearrest(const Rw& rw, std::int32_t i, std::int32_t e) {
  for (; i <= rw.items; ++i, e = 0) {
    const RwItem& it = rw.list[static_cast<std::size_t>(i - 1)];
    if (!it.writable) continue;
    if (it.text) {
      std::fill_n(core::c1namen.ptr(it.first), it.length, ' ');
    } else {
      for (std::int32_t k = e; k < it.count; ++k) core::z(it.cell + k) = 0.0;
    }
  }
}

// Name: the item as its name, "=" and its value.
void namevalue(Rw& rw, const RwItem& it, std::int32_t& tpos, bool lineend) {
  const std::int32_t room = rw.ltext - tpos;
  if (room <= 0) {
    rw.out->letter = '3';
    return;
  }
  std::span<char> at =
      rw.area.subspan(static_cast<std::size_t>(tpos), static_cast<std::size_t>(room));
  std::fill(at.begin(), at.end(), ' ');
  std::int32_t length = 0;
  core::NAMEEQUALSVALUE(it.k, at, room, length);
  tpos += length;
  const bool colon = length > 0 && at[static_cast<std::size_t>(length - 1)] == ':';
  if (!colon && lineend && tpos + 2 <= rw.ltext) {
    rw.area[static_cast<std::size_t>(tpos)] = '\r';
    rw.area[static_cast<std::size_t>(tpos) + 1] = '\n';
    tpos += 2;
  }
  ++rw.served;
}

bool endswithslash(std::string_view f) {
  f = trimmed(f);
  return !f.empty() && f.back() == '/';
}

// Puts CR LF at tpos, the blanks before it dropped.
void linebreak(const Rw& rw, std::int32_t& tpos) {
  while (tpos > 0 && rw.area[static_cast<std::size_t>(tpos - 1)] == ' ') --tpos;
  if (tpos + 2 > rw.ltext) return;
  rw.area[static_cast<std::size_t>(tpos)] = '\r';
  rw.area[static_cast<std::size_t>(tpos) + 1] = '\n';
  tpos += 2;
}

// A file shown as a table: each element is the cell of the record's row
// and the next column, from Column on (Column 0: the whole row first).
void cellloop(Rw& rw) {
  const std::int32_t slot = rwopt(rwslot::column);
  std::int32_t column = slot > 0 ? core::nearesti4(core::z(slot)) : 1;
  if (column < 0) column = 1;
  Outcome& out = *rw.out;
  for (const RwItem& it : rw.list) {
    const std::int32_t elements = it.text ? 1 : it.count;
    for (std::int32_t e = 0; e < elements; ++e) {
      const std::int32_t target = it.text ? it.k : it.cell + (it.array ? e : 0);
      READWRITEMATRIXELEMENT(rw.write ? 'W' : 'R', rw.unit, target, rw.recno, column);
      if (core::msgkey.trimmed() == "notYetBuilt") return notbuilt(rw);
      if (core::iostatw[0] != 0) {
        out.status = core::iostatw[0];
        return;
      }
      if (!core::msgkey.is_blank()) {
        // The cell does not read under its column's format.
        core::msgkey.blank();
        rwdetail.set(core::symbolname(it.k));
        out.letter = 'F';
        return;
      }
      ++rw.served;
      ++column;
    }
  }
}

// The items of a record under a plan (see itemloop): the steps of the
// engine's loop that a plain format can take. blanked: how far the blanks
// laid ahead of the items reach.
void plannedloop(Rw& rw, char dir, std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep,
                 std::int32_t& inrecord, std::int32_t& written, std::int32_t& blanked) {
  Outcome& out = *rw.out;
  char letter = dir, st = ' ';
  rwplanbegin(rw.area, rw.ltext, dir, letter, tpos, fpos, irep, st);
  std::vector<char> scratch;
  for (const RwItem& it : rw.list) {
    const std::int32_t elements = it.text ? 1 : it.count;
    for (std::int32_t e = 0; e < elements; ++e) {
      if (rw.write) {
        // What lies between tpos and the blanks laid before is blank still.
        const std::int32_t to = std::min(tpos + 1000, rw.ltext);
        const std::int32_t from = std::max(tpos, blanked);
        if (to > from) std::fill(rw.area.begin() + from, rw.area.begin() + to, ' ');
        blanked = std::max(blanked, to);
      }
      std::span<char> text;
      double v = 0.0;
      if (it.text) {
        text = {core::c1namen.ptr(it.first), static_cast<std::size_t>(it.length)};
        if (!rw.write && !it.writable) {
          scratch.assign(text.begin(), text.end());
          text = scratch;
        }
      } else {
        v = core::z(it.cell + e);
      }
      written = std::max(written, tpos);
      letter = dir;
      rwplanfield(inrecord + 1, text, v);
      if (!it.text && !rw.write && (it.array || it.writable)) core::z(it.cell + e) = v;
      if (st != ' ' && st != 'x') {
        out.letter = st;
        if (st != '2') ++rw.served;
        return;
      }
      ++rw.served;
      ++inrecord;
      rw.lastletter = letter;
    }
  }
}

// The record's end after its items: what is left of the format and the
// blanks of a record written, the count and the cursor.
[[gnu::always_inline]] inline void itemsend(Rw& rw, bool planned, std::int32_t tpos,
                                            std::int32_t fpos, std::int32_t irep,
                                            std::int32_t inrecord, std::int32_t written,
                                            std::int32_t blanked) {
  const auto lfmt = static_cast<std::int32_t>(rw.fmt.size());
  if (rw.write && rw.out->letter == ' ') {
    const std::int32_t f = fpos;
    const std::int32_t itemsat = tpos;  // where the items ended
    // (A format position past the format's end has nothing left at all: the
    // format is not trimmed for it.)
    const bool within = (f > 1 && f <= lfmt) || f < -1;
    const auto n = within ? static_cast<std::int32_t>(trimmed(rw.fmt).size()) : 0;
    if (n > 0 && rw.items > 0 && ((f > 1 && f <= n) || f < -1)) {
      // What is left of the format's literals and template (planned, its
      // skips and groups' ends as the plan knows them).
      char letter = 'w', st = ' ';
      double none = 0.0;
      if (!planned || !rwplanclosing(inrecord, rw.area, rw.ltext, tpos, fpos, irep))
        RWINDX(rw.fmt, lfmt, rw.area, rw.ltext, inrecord + 1, {}, none, letter, tpos, fpos, irep,
               st);
    }
    // The rest of a Text variable; of the work area as far as the items
    // may have written. (Planned, the record ends at tpos: what lies
    // between the items' end and the blanks laid ahead is blank already,
    // and the closing pass only skips or writes blanks.)
    std::int32_t end = rw.hastext ? static_cast<std::int32_t>(rw.area.size())
                                  : std::min(rw.ltext, std::max(tpos, written) + 1000);
    std::int32_t from = tpos;
    if (planned && !rw.hastext) {
      from = std::max(itemsat, blanked);
      end = std::min(rw.ltext, tpos);
    }
    if (end > from) std::fill(rw.area.begin() + from, rw.area.begin() + end, ' ');
  }
  rw.count = tpos;
  rwcursor.recno = rw.recno;
  rwcursor.tpos = tpos;
  rwcursor.fpos = fpos;
  rwcursor.irep = irep;
  rwcursor.served = inrecord;
  // (Copied over the text in hand: its room stays from one record to the next.)
  const auto kept = static_cast<std::size_t>(std::clamp(tpos, 0, rw.ltext));
  if (rwcursor.record.size() != kept) rwcursor.record.resize(kept);
  if (kept > 0) std::memcpy(rwcursor.record.data(), rw.area.data(), kept);
}

// The planned items of a record begun afresh (see itemloop): all at once
// when their fields are common ones, else one by one.
// whole: items holds the fields' items (none is an array, which is served
// item by item). takeitems: fills rw.list, which only serving the items one
// by one reads.
template <class TakeItems>
void planneditems(Rw& rw, std::span<const RwPlanItem> items, bool whole, TakeItems takeitems) {
  const char dir = rw.write ? 'W' : 'R';
  RwPlanEnd e;
  std::int32_t inrecord = 0;
  if (whole && rwplanrecord(rw.area.first(static_cast<std::size_t>(rw.ltext)), dir, items, e)) {
    inrecord = static_cast<std::int32_t>(items.size());
    rw.served += inrecord;
    rw.lastletter = e.letter;
  } else {
    reset_rwindx();
    e = RwPlanEnd{};
    takeitems();
    plannedloop(rw, dir, e.tpos, e.fpos, e.irep, inrecord, e.written, e.blanked);
  }
  itemsend(rw, true, e.tpos, e.fpos, e.irep, inrecord, e.written, e.blanked);
}

// The items, one after the other, through the engine.
void itemloop(Rw& rw) {
  const std::int32_t column = exec::KEYVALUE(rwopt(rwslot::column));
  std::int32_t tpos = 0, fpos = 1, irep = 1, inrecord = 0;
  const bool goon = rw.own && column >= 1 && rw.recno == rwcursor.recno;
  if (!rw.unit && !goon && rwopt(rwslot::recrow) < 0) rw.recno = recordafter(rwcursor.recno);
  if (goon) {
    tpos = std::min<std::int32_t>(rwcursor.tpos, rw.ltext);
    fpos = rwcursor.fpos;
    irep = rwcursor.irep;
    inrecord = rwcursor.served;
    if (rw.write && !rw.hastext) {
      const std::size_t n = std::min(rwcursor.record.size(), rw.area.size());
      std::copy_n(rwcursor.record.begin(), n, rw.area.begin());
    }
  } else {
    reset_rwindx();
  }
  if (rw.write && rw.unit == 0 && rw.hastext && rwgiven(rwslot::append))
    tpos =
        static_cast<std::int32_t>(trimmed(std::string_view(rw.area.data(), rw.area.size())).size());
  const bool clip = rwgiven(rwslot::clipboard);
  if (!rw.write && clip) {
    std::fill(rw.area.begin(), rw.area.begin() + rw.ltext, ' ');
    CLIPBORD('R', rw.area, rw.ltext);
  }
  const char dir = rw.readback ? 'R' : rw.write || !rw.own ? 'W' : 'R';
  const bool named = rw.write && rwgiven(rwslot::name);
  const bool bar = rw.write && rwgiven(rwslot::statusbar);
  const std::int32_t room = rw.write ? exec::KEYVALUE(rwopt(rwslot::length)) : 0;
  const bool noformat = trimmed(rw.fmt).empty();
  const auto lfmt = static_cast<std::int32_t>(rw.fmt.size());
  bool templ = false;
  std::int32_t written = tpos;  // the furthest text position an item started at
  Outcome& out = *rw.out;

  if (rw.items == 0 && rw.write && !noformat) {
    // A pass without items writes what the format holds before its first
    // data descriptor.
    char letter = 'w', st = ' ';
    double none = 0.0;
    RWINDX(rw.fmt, lfmt, rw.area, rw.ltext, 1, {}, none, letter, tpos, fpos, irep, st);
  }
  // A record begun afresh under a plain format: each item goes straight to
  // its field (with the fast forms; without them, through the walk, which
  // the tests compare it with). The blanks ahead of each item written are
  // laid once.
  bool planned = false;
  std::int32_t blanked = 0;  // planned: the area is blank from tpos up to here
  if (exec::fast::enabled && !goon && tpos == 0 && !named && !clip && !rw.readback && room <= 0 &&
      !noformat) {
    std::int64_t elements = 0;
    for (const RwItem& it : rw.list) elements += it.text ? 1 : it.count;
    planned = elements <= 0x7FFFFFFF &&
              rwplan(rw.fmt, lfmt, static_cast<std::int32_t>(elements), rw.ltext);
  }
  if (planned) plannedloop(rw, dir, tpos, fpos, irep, inrecord, written, blanked);
  bool ended = false;  // the record ran out of numbers
  for (std::int32_t i = 1; i <= rw.items && out.letter == ' ' && !ended && !planned; ++i) {
    const RwItem& it = rw.list[static_cast<std::size_t>(i - 1)];
    if (named) {
      // One line an item; the last line of a file record ends with the record.
      namevalue(rw, it, tpos, !bar && !(rw.unit != 0 && i == rw.items));
      continue;
    }
    const std::int32_t elements = it.text ? 1 : it.count;
    for (std::int32_t e = 0; e < elements && out.letter == ' '; ++e) {
      if (rw.write && !templ) {
        const std::int32_t to = std::min(tpos + 1000, rw.ltext);
        if (to > tpos) std::fill(rw.area.begin() + tpos, rw.area.begin() + to, ' ');
      }
      std::span<char> text;
      std::vector<char> scratch;
      double v = 0.0;
      if (it.text) {
        text = {core::c1namen.ptr(it.first), static_cast<std::size_t>(it.length)};
        if (!rw.write && !it.writable) {
          scratch.assign(text.begin(), text.end());
          text = scratch;
        }
        if (!rw.write && clip && it.length > rw.ltext - tpos) {
          CLIPBORD('R', text, it.length);  // straight from the clipboard
          ++rw.served;
          continue;
        }
      } else {
        v = core::z(it.cell + e);
      }
      written = std::max(written, tpos);
      std::int32_t limit = rw.ltext;
      if (room > 0 && !it.text)
        limit = std::min<std::int32_t>(limit, tpos + room + (v < 0 ? 1 : 0));
      char letter = dir, st = ' ';
      RWINDX(rw.fmt, lfmt, rw.area, limit, inrecord + 1, text, v, letter, tpos, fpos, irep, st);
      if (!rwindxstate.served && (st == ' ' || st == 'a') && letter != '/') {
        // The format was spent: it starts again for this item.
        letter = dir;
        RWINDX(rw.fmt, lfmt, rw.area, limit, inrecord + 1, text, v, letter, tpos, fpos, irep, st);
      }
      if (!it.text && !rw.write && rwindxstate.served && (it.array || it.writable))
        core::z(it.cell + e) = v;
      if (st == 'a') templ = true;
      if (st == 'B') {
        clearrest(rw, i, e);
        ended = true;
        break;
      }
      if (st != ' ' && st != 'x' && st != 'a') {
        out.letter = st;
        if (st != '2' && rwindxstate.served) ++rw.served;
        break;
      }
      if (letter == '/') {
        if (!endswithslash(rw.fmt)) {
          if (rw.write) {
            linebreak(rw, tpos);
          } else {
            if (tpos < rw.ltext && rw.area[static_cast<std::size_t>(tpos)] == '\r') ++tpos;
            if (tpos < rw.ltext && rw.area[static_cast<std::size_t>(tpos)] == '\n') ++tpos;
          }
        }
      } else if (!rwindxstate.served || letter == dir) {
        out.letter = 'A';
        break;
      } else if (std::string_view("AEFGBIOZLUif").find(letter) == std::string_view::npos) {
        int answer = 0;
        rwdetail.set(std::string_view(&letter, 1));
        core::MSGBOXFROMHELP("msgAEFGBIOZLif", rwdetail.trimmed(), answer);
        out.letter = 'X';
        break;
      }
      if (rwindxstate.served) {
        ++rw.served;
        ++inrecord;
        rw.lastletter = letter;
      }
      // Without a format a matrix is written one row per line.
      if (rw.write && noformat && it.array && (e + 1) % it.cols == 0 &&
          !(i == rw.items && e + 1 == elements))
        linebreak(rw, tpos);
    }
  }
  itemsend(rw, planned, tpos, fpos, irep, inrecord, written, blanked);
}

// The record to its unit, whose record is r. (Made in line where a
// transfer program writes.)
[[gnu::always_inline]] inline void writerecordhere(Rw& rw, RwFile& r) {
  if (isformattedseq(rw.mode) && r.lineindex && !r.coltable) {
    // The rows move: the index is made again when a row is read by number.
    KILLFILEINDEX(rw.unit);
    r.mode &= ~rwflag::indexed;
  }
  std::int32_t n = rw.count;
  if ((rw.mode & rwflag::sequential) && !(rw.mode & rwflag::unformatted))
    n = static_cast<std::int32_t>(
        trimmed(std::string_view(rw.area.data(), static_cast<std::size_t>(n))).size());
  std::string_view rec(rw.area.data(), static_cast<std::size_t>(n));
  // A record of a direct file is whole, blank padded to the record length:
  // a short one would end the file in the middle of a record.
  static std::string whole;  // (its room kept from one record to the next)
  if (isdirect(rw.mode) && n < r.recl) {
    whole.assign(rec);
    whole.resize(static_cast<std::size_t>(r.recl), ' ');
    rec = whole;
    n = r.recl;
  }
  std::int32_t st = 0;
  std::int64_t at = rw.recno;
  const bool append = rwgiven(rwslot::append);
  if (isformattedseq(rw.mode)) {
    if (append) plat::position_unit(rw.unit, std::int64_t{filesize(rw.unit)} + 1);
    WRITESEQFMT(r, rw.unit, rec, n, st);
  } else if (isstream(rw.mode)) {
    WRITESEQUNF(rw.unit, rec, n, st);
  } else if (isformatteddirect(rw.mode)) {
    WRITEDIRFMT(rw.unit, rec, n, rw.recno, st);
  } else {
    // APPend: the record after the end of the file (a byte position for a
    // binary file).
    if (append)
      at = isdirect(rw.mode) ? (r.filelength + r.recl - 1) / std::max(r.recl, 1) + 1
                             : r.filelength + 1;
    WRITEDIRUNF(rw.unit, rec, n, at, st);
  }
  if (st != 0) {
    rw.out->status = st;
    return;
  }
  if (isbinary(rw.mode)) r.position = static_cast<std::int32_t>(at) + std::max(n, 1) - 1;
  setmarker(rw, n);
}
void writerecord(Rw& rw) { writerecordhere(rw, rwfiles(rw.unit)); }

// The message box of Messagebox: its letters, the text of the record, the
// button pressed; OnButton goes on at its label for the buttons that the
// letters A, B and C name.
void messagebox(Rw& rw) {
  std::string letters = "O";
  std::string_view given;
  if (rwtext(rwopt(rwslot::messagebox), given)) letters = std::string(given.substr(0, 16));
  const std::string_view text =
      trimmed(std::string_view(rw.area.data(), static_cast<std::size_t>(rw.count)));
  int answer = 0;
  core::MESSAGEBOXC1(letters, text, static_cast<int>(text.size()), answer);
  rw.count = answer;
  rw.out->button = answer;
  const std::int32_t label = rwopt(rwslot::onbutton);
  if (label <= 0 || answer < 1 || answer > 3) return;
  if (letters.find("ABC"[answer - 1]) == std::string::npos) return;
  std::string name;
  std::string_view t;
  if (rwtext(label, t)) {
    name = std::string(trimmed(t));
  } else if (label <= core::nsym) {
    name = std::string(core::symbolname(label));
  } else if (core::z.valid(label)) {
    name = std::to_string(core::nearesti4(core::z(label)));
  }
  std::int32_t k = 0;
  if (!name.empty() && core::FINDSN(name, k, 2) && core::I2EQUZ(1, k) > 0) {
    core::xeqline = core::I2EQUZ(1, k) - 1;  // the statement's end steps on to the label
    core::iostatw[0] = static_cast<std::int16_t>(answer);
  }
}

// A READ from a window: the values shown as a line of the window; the run
// waits for the typed line, which the statement, run again, reads into
// the items: one number the engine showed with E, F, G or I through the
// number reader, anything else through the engine, as a READ of a Text
// would read the line.
void readfromwindow(Rw& rw) {
  const std::string shown(rw.area.data(), static_cast<std::size_t>(std::max(rw.count, 0)));
  std::array<char, 256> typed{};
  const std::int32_t column = std::max(exec::KEYVALUE(rwopt(rwslot::column)), 1);
  const std::int32_t recrow = rwopt(rwslot::recrow);
  const std::int32_t line = recrow > 0 ? std::max(exec::KEYVALUE(recrow), 1) : 1;
  READWINDOW(shown, column, line, rw.count, rw.items, rwtargetwindow(), typed);
  if (exec::resumecode == readresume) {
    // The run waits for the line; the statement comes again.
    if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.count;
    return;
  }
  const std::string_view line256(typed.data(), typed.size());
  if (rw.items == 1 && !rw.list[0].text && rw.list[0].count == 1 &&
      std::string_view("EFGI").find(rw.lastletter) != std::string_view::npos) {
    double v = 0.0;
    std::int32_t position = 0, status = 0;
    core::GETR8N(line256, static_cast<std::int32_t>(line256.size()), v, position, status);
    if (status == 0) {
      if (rw.list[0].array || rw.list[0].writable) core::z(rw.list[0].cell) = v;
      if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.count;
      return;
    }
  }
  std::fill(rw.area.begin(), rw.area.end(), ' ');
  std::copy(typed.begin(), typed.end(), rw.area.begin());
  rw.ltext = static_cast<std::int32_t>(typed.size());
  rw.readback = true;
  rw.served = 0;
  rw.takeitems();
  itemloop(rw);
  rw.out->served = rw.served;
  if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.count;
}

}  // namespace

void rwtransfer(char letter, std::int32_t items, Outcome& out) {
  Rw rw;
  rw.letter = letter;
  rw.write = letter == 'W';
  rw.items = items;
  rw.out = &out;
  rw.unit = out.unit;
  out.served = 0;
  const std::int32_t filek = rwopt(rwslot::file);
  const std::int32_t textk = rwopt(rwslot::text);
  const bool search = rwopt(rwslot::search) > 0 && !rw.write;
  if (search) {
    std::string_view pattern;
    int options = 0;
    if (!searchtext(pattern, options)) {
      out.letter = 'O';
      return;
    }
  }
  // A WRITE to a file variable without a unit that names a window writes
  // into the window.
  bool filewindow = false;
  if (filek != 0 && rw.unit == 0 && (items > 0 || search)) {
    if (!rw.write || !rwgiven(rwslot::windowhandle)) {
      out.letter = 'J';
      return;
    }
    filewindow = true;
  }
  rw.hastext = textk != 0;
  if (rw.hastext) {
    std::int32_t first = 0, last = 0;
    if (textk < 0 || core::ISCHARCHECKED(textk, first, last) <= 0) {
      out.letter = 'N';
      return;
    }
    if (rw.write && core::NAMTYP(textk, 0x41) == 0x41) {
      out.letter = 'L';
      return;
    }
  }
  if (!rw.takeitems()) {
    out.letter = 'D';
    for (const RwItem& it : rw.list)
      if (it.k != 0) rwdetail.set(core::symbolname(it.k));
    return;
  }
  const bool clip = rwgiven(rwslot::clipboard);
  const bool box = rwopt(rwslot::messagebox) != 0;
  const bool bar = rw.write && rwgiven(rwslot::statusbar);
  rw.own = (filek != 0 && !filewindow) || rw.hastext || clip || rwgiven(rwslot::titlebar);
  const bool inwindow = !rw.own && !box && !bar;  // a window's text
  if (inwindow) {
    const exec::wdwrec* w = rwtargetwindow();
    if (w == nullptr || (w->kind & (exec::kind::modeless | exec::kind::editorstyle)) != 0) {
      out.letter = 'S';
      return;
    }
  }

  if (rw.unit != 0) rw.mode = rwfiles(rw.unit).mode;
  const bool transfers = rw.unit != 0 && (items > 0 || search || exec::noptions == 1);
  const bool reads = transfers && !rw.write && !isstream(rw.mode);
  findformat(rw);
  if (!rw.hastext && rwworklength() < roomneeded(rw, reads)) {
    if (!room(roomneeded(rw, reads))) {
      out.letter = 'X';  // the store has reached its limit: the run stops
      return;
    }
    rw.takeitems();  // the texts have moved
    resolveformat(rw);
  }
  if (rw.hastext) {
    std::int32_t first = 0, last = 0;
    core::ISCHARCHECKED(textk, first, last);
    rw.area = {core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)};
  } else {
    rw.area = {core::c1namen.ptr(rwworkfirst()), static_cast<std::size_t>(rwworklength())};
  }
  rw.ltext = static_cast<std::int32_t>(rw.area.size());
  if (rw.write && rw.unit != 0 && isdirect(rw.mode))
    rw.ltext = std::min(rw.ltext, std::max(rwfiles(rw.unit).recl, 1));

  bool cells = false;
  if (transfers && isstream(rw.mode)) {
    const std::int32_t r = exec::KEYVALUE(rwopt(rwslot::recrow));
    if (r > 0) {
      out.status = plat::position_unit(rw.unit, r);
      if (out.status != 0) return;
    }
    if (!rw.write) {
      streamread(rw);
      out.served = rw.served;
      if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.count;
      return;
    }
  } else if (transfers) {
    // A file shown as a table: the items are cells of a row, read by
    // itself.
    cells = rwfiles(rw.unit).coltable && !rwgiven(rwslot::append);
    // A search that meets the end of the file leaves Recrow 0.
    auto searchend = [&] {
      if (search && (out.status == plat::iostat_eof || out.status == plat::iostat_no_record)) {
        out.status = 0;
        core::SETZTOR8(rwopt(rwslot::recrow), 0.0);
      }
    };
    chooserecord(rw, reads || search, search);
    if (out.status != 0) return searchend();
    if (search || (reads && !(cells && items > 0))) {
      if (!readrecord(rw)) return searchend();
      if (search) return searchrecords(rw);
    }
  }
  if (cells && items > 0) {
    cellloop(rw);
    out.served = rw.served;
    if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.served;
    return;
  }
  if (items > 0 || rw.write || !transfers) itemloop(rw);
  out.served = rw.served;
  if (out.letter == 'X') return;
  if (inwindow && !rw.write && items > 0) {
    if (out.letter == ' ') readfromwindow(rw);
    return;
  }

  if (out.letter == ' ') {
    if (bar) {
      const std::string_view text(rw.area.data(),
                                  static_cast<std::size_t>(std::min(rw.count, 256)));
      exec::STATUSBAR(trimmed(text));
      rw.count = 0;
    } else if (rw.write && clip) {
      CLIPBORD('W', rw.area, rw.count);
    } else if (rw.write && rwgiven(rwslot::titlebar)) {
      titlebar(trimmed(std::string_view(rw.area.data(), static_cast<std::size_t>(rw.count))));
    } else if (box) {
      messagebox(rw);
    } else if (inwindow) {
      windowwrite(std::string_view(rw.area.data(), static_cast<std::size_t>(rw.count)), out);
      if (out.letter == 'X') return;
    }
    if (rw.write && transfers) writerecord(rw);
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.count;
}

namespace {

// The programs, by statement number: the operands of the items of a READ
// or WRITE whose options are FIle, Format, IOStat and ERror only.
struct RwProgram {
  bool ok = false;
  char letter = 'R';
  std::vector<std::int32_t> items;
  // The items as rwitem() finds them: the numbers bound to their cells (their
  // types stay while the form stands), the texts marked, their bounds found
  // at each run (texts move when the store grows).
  std::vector<RwItem> bound;
  std::int32_t numbers = 0;  // the numbers among the items
  // A Format that is a text constant: its text, which no statement changes,
  // kept here (empty when the format is looked up at each run).
  std::string format;
  bool constformat = false;
  bool blankformat = false;  // (a constant format of blanks only)
  // The items as the record's fields take them, made again at each run.
  std::vector<RwPlanItem> plan;
  RwPlanKey plankey;  // the constant format's plan
  // Every item a number bound to its cell or a text, the format a constant:
  // what a run finds of the items, the file name and the work area then
  // stands while the stores stay where they are, the work area keeps its
  // place and the texts' cells name the same bounds (`Found`).
  bool steady = false;
  struct Found {
    bool valid = false;
    const char* c1 = nullptr;  // the character store
    long long c1size = 0;
    std::int32_t nc1 = 0;
    const double* z = nullptr;  // the cells
    long long zsize = 0;
    std::int32_t c1tmptop = 0, c1limit = 0;  // the work area's place
    std::int32_t filesym = 0;
    std::uint64_t filebits = 0;  // the file variable's cell (its text's bounds)
    std::vector<std::pair<std::int32_t, std::uint64_t>> texts;  // the text items' cells
    std::string_view filename;
    std::int64_t textlength = 0, elements = 0;
    std::int32_t recl = 0;
  } found;
};

std::uint64_t cellbits(std::int32_t k) {
  std::uint64_t b = 0;
  std::memcpy(&b, core::z.data() + k, sizeof b);
  return b;
}

// Whether what the last run of p found stands (see RwProgram::Found).
bool foundstands(const RwProgram& p, std::int32_t filesym) {
  const RwProgram::Found& f = p.found;
  if (!f.valid || f.filesym != filesym || f.c1 != core::c1namen.data() ||
      f.c1size != core::c1namen.size() || f.nc1 != core::nc1namen || f.z != core::z.data() ||
      f.zsize != core::z.size() || f.c1tmptop != core::c1tmptop || f.c1limit != core::c1limit ||
      f.filebits != cellbits(filesym))
    return false;
  for (const auto& [k, bits] : f.texts)
    if (cellbits(k) != bits) return false;
  return true;
}
std::vector<RwProgram> programs;

// The bounds of text symbol k (character-like by its type) that its cell
// holds, when they lie in the character store: what ISCHARCHECKED finds
// then (`c1span` set alike), read in place.
bool heldbounds(std::int32_t k, std::int32_t& first, std::int32_t& last) {
  if (core::NAMTYP(k, 0x49) <= 0 || !core::z.valid(k)) return false;
  core::TRANSFERR8TO2I4(core::z.data()[k], first, last);
  if (first < 1 || last < first || last > core::nc1namen || !core::c1namen.valid(first) ||
      !core::c1namen.valid(last))
    return false;
  core::c1span = {first, last};
  return true;
}

// The item of text operand k, whose type the program found (as rwitem()
// finds it); false when its text has no valid bounds.
bool textitem(std::int32_t k, bool writable, RwItem& it) {
  std::int32_t first = 0, last = 0;
  if (!heldbounds(k, first, last)) {
    if (core::ISCHARCHECKED(k, first, last) < 0) return false;
  }
  it = RwItem{};
  it.k = k;
  it.text = true;
  it.first = first;
  it.length = last - first + 1;
  it.writable = writable;
  return it.length >= 1 && core::c1namen.valid(first) && core::c1namen.valid(last);
}

// The text of symbol k as rwtext() finds it, its bounds read in place
// where its cell holds valid ones.
bool filetext(std::int32_t k, std::string_view& text) {
  std::int32_t first = 0, last = 0;
  if (!heldbounds(k, first, last)) return rwtext(k, text);
  text = {core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)};
  return true;
}

// The outcome of a program that failed, left for the report that READWRITE
// makes next for the statement.
[[gnu::noinline]] exec::XferRun leftpending(std::int32_t line, char letter, const Outcome& out,
                                            std::string_view filename, bool counted,
                                            std::int32_t count) {
  rwname.set(filename);
  rwpending.active = true;
  rwpending.letter = letter;
  rwpending.line = line;
  rwpending.out = out;
  rwpending.counted = counted;
  rwpending.count = count;
  return exec::XferRun::failed;
}

}  // namespace

bool rwprogrammake(std::int32_t line, char letter, std::span<const std::int32_t> list,
                   std::int32_t pairs) {
  if (line < 1 || (letter != 'R' && letter != 'W')) return false;
  if (programs.size() <= static_cast<std::size_t>(line))
    programs.resize(static_cast<std::size_t>(line) + 1);
  RwProgram& p = programs[static_cast<std::size_t>(line)];
  p = RwProgram{};
  const auto n = static_cast<std::int32_t>(list.size());
  if (pairs < 1 || 2 * pairs >= n) return false;
  bool file = false;
  std::int32_t format = 0;
  for (std::int32_t j = 0; j < pairs; ++j) {
    const std::int32_t kw = list[static_cast<std::size_t>(2 * j)];
    const std::int32_t v = list[static_cast<std::size_t>(2 * j + 1)];
    std::int32_t slot = -1;
    if (letter == 'R' && kw >= 0 && kw < std::ssize(exec::readslots))
      slot = exec::readslots[static_cast<std::size_t>(kw)];
    if (letter == 'W' && kw >= 0 && kw < std::ssize(exec::writeslots))
      slot = exec::writeslots[static_cast<std::size_t>(kw)];
    const bool symbol = v >= 1 && v != exec::novalue;
    if (slot == rwslot::file && symbol) {
      file = true;
    } else if (slot == rwslot::format && symbol) {
      format = v;
    } else if (slot != rwslot::iostat && slot != rwslot::error) {
      return false;
    }
  }
  if (!file || format == 0) return false;
  for (std::int32_t j = 2 * pairs; j < n; ++j) {
    const std::int32_t k = list[static_cast<std::size_t>(j)];
    if (k < 1) return false;
    p.items.push_back(k);
    RwItem it;
    it.k = 0;  // (found at each run)
    if (k <= core::nname && core::name.valid(k) && (core::name(k).type & 0x50) == 0) {
      it.k = k;
      it.cell = k;
      it.writable = k > core::nsym || (core::name(k).type & 1) == 0;
      ++p.numbers;
    } else if ((core::NAMTYP(k, 0x40) & 0x40) != 0) {
      it.text = true;  // (its bounds found at each run)
      it.writable = core::NAMTYP(k, 0x41) != 0x41;
    }
    p.bound.push_back(it);
  }
  // A text constant's format is read once.
  std::string_view f;
  if ((core::NAMTYP(format, 0x141) & 0x141) == 0x41 && rwtext(format, f)) {
    p.format.assign(f);
    p.constformat = true;
    p.blankformat = trimmed(f).empty();
  }
  p.plan.resize(p.items.size());
  p.steady = p.constformat && std::all_of(p.bound.begin(), p.bound.end(),
                                          [](const RwItem& it) { return it.k != 0 || it.text; });
  p.letter = letter;
  p.ok = true;
  return true;
}

// The statement as READWRITE runs it when the unit is a text file read or
// written record after record and the format plans the items: the same
// steps, without the choices that its options have made already.
exec::XferRun rwprogramrun(std::int32_t line) {
  using exec::XferRun;
  if (line < 1 || static_cast<std::size_t>(line) >= programs.size()) return XferRun::declined;
  RwProgram& p = programs[static_cast<std::size_t>(line)];
  if (!p.ok) return XferRun::declined;
  // What would make the statement take another road: checked before
  // anything changes.
  const std::int32_t filesym = rwopt(rwslot::file);
  if (filesym < 1 || (core::NAMTYP(filesym, 0x100) & 0x100) == 0) return XferRun::declined;
  const std::int32_t unit = core::name(filesym).adr;
  if (!isscriptunit(unit)) return XferRun::declined;
  RwFile& r = rwfiles(unit);  // (no unit is opened or closed below: it stays)
  if (!isformattedseq(r.mode) || r.lineindex || r.coltable) return XferRun::declined;
  // (What the last run found of the items, the file name and the work
  // area, where it stands.)
  const bool stands = p.steady && foundstands(p, filesym);
  if (!stands) p.found.valid = false;  // (the fields' items are made anew below)
  std::string_view filename = p.found.filename;
  if (!stands && !filetext(filesym, filename)) return XferRun::declined;
  Outcome out;
  out.unit = unit;
  out.named = true;
  // (Copied from one made once: cheaper than clearing it field by field.)
  static Rw fresh;  // (never changed)
  Rw rw(fresh);
  rw.letter = p.letter;
  rw.write = p.letter == 'W';
  rw.items = static_cast<std::int32_t>(p.items.size());
  rw.out = &out;
  rw.unit = unit;
  rw.mode = r.mode;
  rw.own = true;
  const std::size_t nitems = p.items.size();
  rw.numbers = p.numbers;
  // The fields' items (the statement's item list is made only where the
  // items are served one by one).
  std::int64_t elements = p.numbers;
  bool whole = true;
  RwPlanItem* const fielditem = p.plan.data();
  auto found = [&p](std::size_t i, RwItem& it) {
    const RwItem& b = p.bound[i];
    return b.text ? textitem(p.items[i], b.writable, it) : rwitem(p.items[i], it);
  };
  for (std::size_t i = 0; i < nitems && !stands; ++i) {
    const RwItem& b = p.bound[i];
    RwPlanItem& f = fielditem[i];
    if (b.k != 0) {
      if (!core::z.valid(b.cell)) return XferRun::declined;
      f.text = {};
      f.number = core::z.data() + b.cell;
      f.takes = b.writable;
      continue;
    }
    RwItem it;
    if (!found(i, it)) return XferRun::declined;
    f.takes = it.writable;
    if (it.text) {
      rw.textlength += it.length;
      ++elements;
      f.text = {core::c1namen.ptr(it.first), static_cast<std::size_t>(it.length)};
      f.number = nullptr;
    } else {
      rw.numbers += it.count;
      elements += it.count;
      whole = whole && !it.array;
      f.text = {};
      f.number = core::z.ptr(it.cell);
    }
  }
  const bool reads = !rw.write;
  if (p.constformat) {
    rw.fmt = p.format;  // (its symbol is read only where the format is looked for)
  } else {
    findformat(rw);
  }
  if (stands) {
    rw.textlength = p.found.textlength;
    elements = p.found.elements;
  }
  const std::int32_t recl = !reads ? -1 : stands ? p.found.recl : readlength(rw);
  if (!stands && rwworklength() < roomneeded(rw, reads, recl)) return XferRun::declined;
  if (p.steady && !stands) {
    // (Found once for the runs after, while it stands.)
    RwProgram::Found& f = p.found;
    f.c1 = core::c1namen.data();
    f.c1size = core::c1namen.size();
    f.nc1 = core::nc1namen;
    f.z = core::z.data();
    f.zsize = core::z.size();
    f.c1tmptop = core::c1tmptop;
    f.c1limit = core::c1limit;
    f.filesym = filesym;
    f.filebits = cellbits(filesym);
    f.texts.clear();
    for (std::size_t i = 0; i < nitems; ++i)
      if (p.bound[i].text) f.texts.emplace_back(p.items[i], cellbits(p.items[i]));
    f.filename = filename;
    f.textlength = rw.textlength;
    f.elements = elements;
    f.recl = recl;
    f.valid = true;
  }
  rw.area = {core::c1namen.ptr(rwworkfirst()), static_cast<std::size_t>(rwworklength())};
  rw.ltext = static_cast<std::int32_t>(rw.area.size());
  const std::int32_t planned = reads ? std::min<std::int32_t>(recl, rw.ltext) : rw.ltext;
  if (elements > 0x7FFFFFFF || (p.constformat ? p.blankformat : trimmed(rw.fmt).empty()))
    return XferRun::declined;
  const auto lfmt = static_cast<std::int32_t>(rw.fmt.size());
  const auto nelements = static_cast<std::int32_t>(elements);
  if (p.constformat ? !rwplan(rw.fmt, lfmt, nelements, planned, p.plankey)
                    : !rwplan(rw.fmt, lfmt, nelements, planned))
    return XferRun::declined;

  // READWRITE's set-up.
  rwnitems = rw.items;
  if (unit != rwunit) rwprevrec = 0;
  rwunit = unit;
  // (The detail blanked only where something wrote it since it was last
  // blanked. The file name is read only by the report of the statement
  // that names it: laid where the report follows.)
  rwdetail.blankagain();
  // The transfer.
  // The next record (chooserecord without Recrow).
  rwprevrec = 0;
  rw.recno = recordafter(r.position);
  r.position = rw.recno;
  if (reads && !readrecordhere(rw, recl))
    return leftpending(line, p.letter, out, filename, false, rw.count);
  planneditems(rw, p.plan, whole, [&] {
    // (The same items as found above: nothing between moved them.)
    rw.list.resize(nitems);
    for (std::size_t i = 0; i < nitems; ++i) {
      if (p.bound[i].k != 0) {
        rw.list[i] = p.bound[i];
      } else {
        found(i, rw.list[i]);
      }
    }
  });
  out.served = rw.served;
  if (out.letter == ' ' && rw.write) writerecordhere(rw, r);
  if (core::z.valid(core::iresult)) core::z(core::iresult) = rw.count;
  if (out.letter != ' ' || out.status != 0)
    return leftpending(line, p.letter, out, filename, true, rw.count);
  // The report of a statement that went well.
  if (const std::int32_t iostat = rwopt(rwslot::iostat); iostat != 0) core::SETZTOR8(iostat, 0.0);
  if (core::numchars[10] != '.') core::SETDECIMALPOINT(".");
  return XferRun::done;
}

void reset_rwpending() { rwpending = RwPending{}; }

}  // namespace io
