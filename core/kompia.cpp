#include "core/kompia.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/formalkinds.h"
#include "core/kompil.h"
#include "core/messages.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/savereport.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "platform/file_replace.h"

namespace core {

namespace {

// A SYSTEM statement with exactly one option, in the executor form.
constexpr std::int16_t systemoneoption =
    cwv(cwu(optstmtxcode(optstmtnr(builtincode("SYSTEM")))) + 1u);

// The message of a block mistake (an ENDIF or ENDDO missing or to spare).
constexpr std::string_view blockmistakekey = MSGKEY("blockMistake");

// Size of the line buffer the editor's line reader fills.
constexpr auto linesize = static_cast<std::size_t>(compiledline);
// Statement numbers are 16-bit words of the code: the most a script holds.
constexpr std::int32_t maxstatements = 32767;

// The number right-aligned in a field of the given width (wider when it
// does not fit).
std::string rightaligned(std::int32_t v, std::size_t width) {
  std::string digits;
  const bool negative = v < 0;
  auto u = static_cast<std::uint32_t>(negative ? -static_cast<std::int64_t>(v) : v);
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + u % 10));
    u /= 10;
  } while (u != 0);
  if (negative) digits.insert(digits.begin(), '-');
  if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
  return digits;
}

std::string_view trimright(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The error list of one compile: its records gather in `errorlist`, and
// the file is replaced by them when the compile ends (a compile without
// errors leaves an old file as it is). A list that cannot be written is
// said; the compile goes on.
struct ErrorFile {
  bool open = false;
  void create() {
    errorlist.clear();
    open = true;
  }
  void write(std::int32_t number, std::int32_t line) {
    if (!open) return;
    errorlist += rightaligned(number, 4) + rightaligned(line, 5) + " ";
    errorlist += trimright(failedline.view());
    errorlist += std::string(10, ' ');
    errorlist += trimright(compnote.view());
    errorlist += "\r\n";
  }
  void close() {
    if (!open) return;
    open = false;
    // Written anew by every compile that fails: not worth a sync.
    const plat::ReplaceResult r = plat::replace_file(errorfilename, errorlist, {.sync = false});
    if (!r.ok()) reportsave(r, errorfilename);
  }
  // The compile starts over: what was listed is listed again.
  void discard() {
    open = false;
    errorlist.clear();
  }
};

void closeprogress() {
  if (progressdialog != 0) {
    if (progressclose) progressclose();
    progressdialog = 0;
  }
}

bool placeholdertext(std::span<const char> work) {
  return work.size() >= 3 && work[0] == 1 && static_cast<unsigned char>(work[1]) == 0x20 &&
         static_cast<unsigned char>(work[2]) == 0x84;
}

// The first-line test: a first statement that is a SYSTEM call with one
// option whose value is not 0 is flagged for the IDE.
void firstlinetest(std::int32_t e) {
  if (e < 3 || xeqbuf(e - 1) != systemoneoption) return;
  const std::int16_t v = xeqbuf(e - 2);
  if (v <= 0 || !z.valid(v) || std::fabs(z(v)) >= 0.5) {
    edflags |= 8;
    edmark = edmarkall;
  }
}

// A line longer than the line buffer would compile cut off: it fails
// instead, with its length and the limit, and becomes the placeholder.
void refuselong(std::span<const char> line, std::span<char> work, std::int32_t length) {
  REFUSELONG({line.data(), line.size()}, length);
  work[0] = 1;
  work[1] = 0x20;
  work[2] = static_cast<char>(0x84);
}

bool noroom(std::int32_t top) { return top >= nxeqbuf || (nusechain > 0 && nusechain <= top); }

bool grow(std::int32_t extra) {
  std::int32_t e = extra;
  return REALLOC(1, e);
}

// Moves the words from..to of `xeqbuf` by n positions (up when n > 0).
void movewords(std::int32_t from, std::int32_t to, std::int32_t n) {
  if (n > 0) {
    for (std::int32_t k = to; k >= from; --k) xeqbuf(k + n) = xeqbuf(k);
  } else if (n < 0) {
    for (std::int32_t k = from; k <= to; ++k) xeqbuf(k + n) = xeqbuf(k);
  }
}

// The whole-script compile; false when it ended without a program.
bool wholescript() {
  errorlist.clear();
  // The program is compiled from the text as it stands.
  programstale = false;
  if (edvars(edv::readstate) != 0) {
    // The script was not read correctly: there is nothing sound to compile.
    nstmt = 0;
    xeqstop = stops::cancel;
    return false;
  }
  nblock = 0;
  iostatw.fill(0);
  int answer = 0;
  HelpValues pv;
  pv.halves = iostatw;
  if (z.size() > 1) pv.doubles = {z.ptr(1), static_cast<std::size_t>(z.size() - 1)};
  HELP(progresskey, answer, pv);
  // The window layer may have opened it: it is refreshed and closed again.
  if (progressclose != nullptr) progressdialog = 1;
  // While the lines compile, no run or trace bit may send KOMPIL into a
  // run or a splice; the trace bit comes back at the end.
  const std::int32_t trace = xeqmode & runmode::trace;
  xeqmode &= ~(runmode::running | runmode::compiled | runmode::trace);
  ErrorFile errors;
  std::array<char, linesize> line{};
  std::array<char, linesize + 2> work{};
  std::int32_t firststop = 0, firstline = 0, nerrors = 0;
  // The key of the first failed line's message: the one shown for it, else
  // the one its compile stage left unshown (the statement translator shows
  // nothing during a whole-script compile). It is left in `msgkey`.
  plat::FixedText<16> firstkey;
  // The statements that name formals of unknown kind keep their words for
  // the other kinds (core/formalkinds.h), from a fresh list at each start.
  struct Collect {
    Collect() { formalkinds::collecting = true; }
    ~Collect() { formalkinds::collecting = false; }
  } collect;
restart:
  formalkinds::clear();
  firststop = 0;
  std::int32_t p = 1;
  xeqline = 0;
  bool armed = true;
  const std::int32_t rewind = 0;
  FEDNXT(nullptr, &rewind);
  nstmt = nedlines;
  jumplimit = nxeqbuf;
  lokalsub = lokalscope = 0;
  xeqstackbase = 1;
  nerrors = 0;
  errors.discard();
  nusechain = 0;
  while (nstmt >= 1) {
    ++xeqline;
    if (xeqline % 20 == 1 && progressdialog != 0 && progressrefresh) progressrefresh();
    std::span<char> lb(line);
    FEDNXT(&lb);
    if (line[0] == '#') {
      nstmt = xeqline - 1;
      break;
    }
    if (xeqline > maxstatements) {
      // No statement number is left for this line: nothing is run.
      failedline.set(trimright({line.data(), line.size()}));
      compnote.set("more than " + std::to_string(maxstatements) + " statements");
      if (++nerrors == 1) errors.create();
      errors.write(nerrors, xeqline);
      errors.close();
      closeprogress();
      std::array<std::int32_t, 1> limit{maxstatements};
      HelpValues hv;
      hv.words = limit;
      HELP("tooManyLines", answer, hv);
      msgkey.set(MSGKEY("tooManyLines"));
      edflags &= ~0x20;
      xeqmode = 0;
      xeqstop = stops::error;
      nstmt = 0;
      return false;
    }
    edmode = 14;
    const auto n = static_cast<std::int32_t>(trimright({line.data(), line.size()}).size());
    std::fill(work.begin(), work.end(), ' ');
    std::copy_n(line.begin(), n, work.begin());
    work[static_cast<std::size_t>(n)] = '\r';
    work[static_cast<std::size_t>(n) + 1] = '\n';
    compnote.blank();
    shownkey.blank();
    // (A comment line may run on: nothing of it is compiled.)
    const std::string_view shown{line.data(), line.size()};
    const std::size_t lead = shown.find_first_not_of(' ');
    const bool comment = lead != std::string_view::npos && shown[lead] == '!';
    const std::int32_t length = edlinelength();
    if (length > static_cast<std::int32_t>(linesize) && !comment) {
      refuselong(line, work, length);
    } else {
      KOMPIL({work.data(), static_cast<std::size_t>(n) + 2});
    }
    if (xeqstop != 0) {
      ++nerrors;
      if (nerrors == 1) errors.create();
      errors.write(nerrors, xeqline);
      iostatw[0] = static_cast<std::int16_t>(nerrors);
      iostatw[1] = static_cast<std::int16_t>(nstmt);
      if (nerrors == 1) {
        firststop = xeqstop;
        firstline = xeqline;
        firstkey = shownkey.trimmed().empty() ? msgkey : shownkey;
        if (xeqline == 1) {
          errors.close();
          closeprogress();
          iostatw[0] = 1;
          HelpValues hv;
          hv.halves = iostatw;
          hv.characters = {failedline.data(), failedline.size()};
          std::string_view shown = trimright(failedline.view());
          while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
            shown.remove_suffix(1);
          hv.count = static_cast<int>(shown.size());
          HELP("ezl1", answer, hv);
          msgkey = firstkey;
          xeqmode = 0;
          xeqstop = 0;
          nstmt = 0;
          return false;
        }
        edflags |= 0x20;
      }
    }
    std::int32_t e = p + ntrans;
    if (noroom(e)) {
      if (!grow(0)) {
        errors.close();
        closeprogress();
        nstmt = 0;
        return false;
      }
      // Every line is compiled again, from fresh stores.
      xeqmode &= ~runmode::storesready;
      goto restart;
    }
    if (placeholdertext(work)) {
      xeqbuf(p) = 1;
      xeqbuf(p + 1) = placeholdereq;
      e = p + 2;
    } else {
      for (std::int32_t i = 1; i <= ntrans; ++i) xeqbuf(p + i - 1) = tokcod(i);
    }
    if (armed) {
      keystate[1] = 0;
      if (e > p) {
        armed = false;
        firstlinetest(e);
      }
    }
    xeqbuf(e) = endmark;
    p = e + 1;
    if (iostatw[2] == progressstop) {
      iostatw[2] = 0;
      nstmt = xeqline;
      break;
    }
    if (xeqline >= nstmt) break;
  }
  edflags &= ~0x20;
  // Block mistakes (an ENDIF or ENDDO missing or to spare, a second ELSE)
  // are errors of their lines like any other; they are judged once every
  // line compiled, since a block word on a failed line leaves its block
  // without its start or end.
  lokalsub = lokalscope = 0;
  jumplimit = nxeqbuf;
  INTERNALJUMPS();
  if (nerrors > 0) blockerrors.clear();
  const BlockError* firstblock = nullptr;
  for (const BlockError& b : blockerrors) {
    std::span<char> lb(line);
    FEDNXT(&lb, &b.stmt);
    failedline.set(trimright({line.data(), line.size()}));
    compnote.set(b.note);
    ++nerrors;
    if (nerrors == 1) errors.create();
    errors.write(nerrors, b.stmt);
    if (nerrors == 1 || b.stmt < firstline) {
      firststop = stops::error;
      firstline = b.stmt;
      firstblock = &b;
      firstkey.set(blockmistakekey);
    }
  }
  if (nerrors > 0) {
    // The boxes stand before the text, and nothing of the compile behind
    // them.
    closeprogress();
    if (showtextbeforeerrors != nullptr) showtextbeforeerrors();
  }
  if (firstblock != nullptr) {
    // The first block mistake is the compile's first error: it is shown as
    // a failed line's message is.
    std::span<char> lb(line);
    FEDNXT(&lb, &firstblock->stmt);
    std::string text(trimright({line.data(), line.size()}));
    std::string note(firstblock->note);
    std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(firstline), 0, 0, 0};
    HelpValues hv;
    hv.halves = halves;
    hv.text = note;
    hv.characters = text;
    hv.count = static_cast<int>(text.size());
    HELP(blockmistakekey, answer, hv);
  }
  if (nerrors > 0) {
    errors.close();
    std::array<std::int16_t, 1> count16{static_cast<std::int16_t>(nstmt)};
    std::array<std::int32_t, 1> count32{nerrors};
    HelpValues hv;
    hv.halves = count16;
    hv.words = count32;
    HELP("CompilErrors", answer, hv);
  }
  closeprogress();
  xeqmode |= runmode::running | runmode::compiled | trace;
  if ((edflags & 0x1000) && !(edflags & 8)) xeqmode &= ~runmode::running;
  if (nerrors == 0) {
    edvars(edv::firstline) = 1;
  } else {
    xeqline = firstline;
    xeqstop = firststop;
    msgkey = firstkey;
    xeqmode &= ~runmode::compiled;
  }
  lokalsub = lokalscope = 0;
  return true;
}

// The one-line splice of the editor's current line. After a whole-script
// compile the program already holds every line as the text stands, so
// pending change flags are only cleared there.
void oneline(bool single) {
  // A line spliced in moves the statements after it: those that keep words
  // for other kinds of their formals are compiled again before a run.
  if (single && formalkinds::clear()) programstale = true;
  const std::int32_t l = edvars(edv::curline);
  if (edflags <= 0 || l <= 0) return;
  if (nxeqused < 1) {
    // A whole-script compile may leave no statement (the first line starts
    // with "#"): an empty program, not a failed compile.
    if (single) {
      xeqstop = stops::cancel;
    } else {
      edvars(edv::chg) = 0;
    }
    return;
  }
  edvars(edv::loadline) = l;
  // A line opened below the last line, while every line above it is a
  // statement, opens a statement of its own after the last one: it is
  // compiled as the whole-script compile would take it. (Lines after a
  // "#" line stay out of the program.)
  const bool appended =
      single && l == nstmt + 1 && l == nedlines && (edvars(edv::chg) & (0x40 | 0x80)) == 0x40;
  if (l > nstmt && !appended) return;
  const std::int32_t s0 = stmtstart(l), s1 = appended ? s0 + 1 : stmtstart(l + 1);
  if (s0 < 1 || s1 <= s0) {
    xeqstop = stops::cancel;
    return;
  }
  const std::int32_t d = (s1 - s0) - ntrans - 1;
  const std::int32_t flags = single ? edvars(edv::chg) : 0;
  jumplimit = nxeqbuf;
  if (flags & 0x80) {
    if (d < 0) {
      if (noroom(nxeqused - d) && !grow(200)) return;
      movewords(s1 - 1, nxeqused, -d);
    } else {
      xeqbuf(s1 - d - 1) = endmark;
      movewords(s1, nxeqused, -d);
    }
    for (std::int32_t i = 1; i <= ntrans; ++i) xeqbuf(s0 + i - 1) = tokcod(i);
    jumplimit = nxeqused - d;
  } else if (flags & 0x40) {
    // The insert needs one word more: make room before anything moves.
    if (noroom(nxeqused + 1) && !grow(200)) return;
    movewords(s0, nxeqused, 1);
    xeqbuf(s0) = endmark;
    insline = l;
    jumplimit = nxeqused + 1;
    ++nstmt;
  } else if (flags & 0x20) {
    const std::int32_t n = s1 - s0;
    movewords(s1, nxeqused, -n);
    delline = l;
    jumplimit = nxeqused - n;
    --nstmt;
  }
  edvars(edv::chg) = 0;
  if (single) INTERNALJUMPS(true);
}

}  // namespace

bool linetoolong(std::string_view line) {
  line = trimright(line);
  const std::size_t lead = line.find_first_not_of(' ');
  return static_cast<std::int32_t>(line.size()) > compiledline &&
         !(lead != std::string_view::npos && line[lead] == '!');
}

void REFUSELONG(std::string_view line, std::int32_t length) {
  constexpr std::int32_t limit = compiledline;
  failedline.set(line.substr(0, failedline.size()));
  compnote.set("too long: " + std::to_string(length) + " characters, at most " +
               std::to_string(limit));
  msgkey.set(MSGKEY("lineTooLong"));
  xeqstop = stops::error;
  if ((edflags & 0x1020) == 0) {
    std::array<std::int32_t, 3> words{xeqline, length, limit};
    HelpValues hv;
    hv.words = words;
    std::string text(trimright(line).substr(0, 60));
    hv.characters = text;
    hv.count = static_cast<int>(text.size());
    int answer = 0;
    HELP(msgkey.trimmed(), answer, hv);
  }
}

void KOMPIA(std::span<char> /*text*/, std::int32_t& mode) {
  const bool single = (mode & 1) != 0;
  if (!single && !wholescript()) return;
  oneline(single);
}

}  // namespace core
