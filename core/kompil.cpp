#include "core/kompil.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/formalkinds.h"
#include "core/kompia.h"
#include "core/lexicon.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/program.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/structlayout.h"
#include "core/symbols.h"
#include "core/symbols_index.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "platform/win_message_keys.h"

namespace core {

namespace {

// Stop words that the executor hands back to the driver, as 16-bit words.
constexpr std::int16_t handdll = cwv(stops::dll);
constexpr std::int16_t handdiffeq = cwv(stops::diffeq);
constexpr std::int16_t handsolve = cwv(stops::solve);
constexpr std::int16_t handxeq = cwv(stops::xeq);
constexpr std::int16_t wcontinue = stmtcode("CONTINUE");
constexpr std::int16_t wtextresult = cw(CwFamily::word, "=text");  // 0x8400
constexpr std::int16_t wnumresult = cwd::assign;                   // 0x8420

constexpr std::string_view notbuiltkey = MSGKEY("notYetBuilt");
constexpr std::string_view illegalkey = MSGKEY("xeqillegal");
constexpr std::string_view labelsubkey = MSGKEY("labelSub?");

// Room that TOKEN may fill with literal values from z(nsym + 5) on.
constexpr std::int32_t literalroom = maxtokens;

bool keydown(int vk) { return win::GetKeyState(vk) < 0; }

// The literal values array of TOKEN and LEXIK: the cells from z(nsym + 5)
// on, kept clear of the top block so that no array is overwritten.
std::span<double> literalvalues() {
  if (z.size() == 0) return {};
  if (nsym + 5 + literalroom >= nztop) {
    std::int32_t extra = nzreserve;
    REALLOC(3, extra);
  }
  const std::int32_t first = nsym + 5;
  const std::int32_t n = std::clamp<std::int32_t>(nztop - first, 0, literalroom);
  if (n == 0 || !z.valid(first)) return {};
  return {z.ptr(first), static_cast<std::size_t>(n)};
}

void runxeq(std::span<const std::int16_t> code) {
  if (xeqstage) {
    xeqstage(code);
    return;
  }
  int answer = 0;
  iostatw[0] = static_cast<std::int16_t>(xeqline);
  HelpValues hv;
  hv.halves = iostatw;
  HELP(notbuiltkey, answer, hv);
  xeqstop = stops::error;
}

void runprogram() {
  if (xeqbuf.size() < 2) {
    xeqstop = stops::cancel;
    return;
  }
  runxeq({xeqbuf.ptr(1), static_cast<std::size_t>(xeqbuf.last())});
}

void runtokens() {
  const std::int32_t n = std::clamp<std::int32_t>(ntrans, 0, maxtokens - 1);
  tokcod(n + 1) = endmark;
  runxeq({tokcod.ptr(1), static_cast<std::size_t>(n + 1)});
}

// --- store set-up ---------------------------------------------------------

void setname(std::int32_t k, std::int16_t type, std::int32_t beg, std::int32_t len) {
  SymbolRecord& r = name(k);
  r = SymbolRecord{};
  r.type = type;
  r.nambeg = beg;
  r.namlen = static_cast<std::int16_t>(len);
}

// Takes the command line into the area before `c1namen` is replaced.
void keepcommandline() {
  cmdlinearea.blank();
  if (cmdlinefirst) {
    cmdlinefirst = false;
    const auto n = std::min<long long>(c1namen.size(), cmdlinesize);
    for (long long i = 0; i < n; ++i) cmdlinearea[static_cast<std::size_t>(i)] = c1namen(i + 1);
    return;
  }
  std::int32_t first = 0, last = 0;
  if (nsym < nspecial || !z.valid(nspecial)) return;
  TRANSFERR8TO2I4(z(nspecial), first, last);
  if (first < 1 || last < first || !c1namen.valid(last)) return;
  const std::int32_t n = std::min(last - first + 1, cmdlinesize);
  for (std::int32_t i = 0; i < n; ++i)
    cmdlinearea[static_cast<std::size_t>(i)] = c1namen(first + i);
}

void specialsymbols() {
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(specialnames.size()); ++i)
    c1namen(i + 1) = specialnames[static_cast<std::size_t>(i)];
  const std::int32_t n = nc1namen;
  setname(1, 0x80, 1, 1);
  setname(2, 0x80, 3, 2);
  setname(3, 0x80, 6, 2);
  setname(4, 0x80, 9, 2);
  setname(5, 0x80, 12, 2);
  setname(6, 0x80, 15, 2);
  setname(7, 0x40, 18, 3);
  setname(8, 0x40, 22, 3);
  setname(9, 0x40, 26, 5);
  setname(10, 0x40, 32, 4);
  setname(11, 0x40, 37, 9);
  c1namen(n - 1) = '\r';
  TRANSFER2I4TOR8(n - 1, n - 1, z(7));
  c1namen(n - 3) = '\n';
  TRANSFER2I4TOR8(n - 3, n - 3, z(8));
  c1namen(n - 6) = '\r';
  c1namen(n - 5) = '\n';
  TRANSFER2I4TOR8(n - 6, n - 5, z(9));
  c1namen(n - 8) = '\t';
  TRANSFER2I4TOR8(n - 8, n - 8, z(10));
  const auto len =
      std::max<std::int32_t>(static_cast<std::int32_t>(cmdlinearea.trimmed().size()), 1);
  const std::int32_t first = n - 10 - len;
  for (std::int32_t i = 0; i < len; ++i)
    c1namen(first + i) = cmdlinearea[static_cast<std::size_t>(i)];
  TRANSFER2I4TOR8(first, n - 11, z(11));
  c1limit = first;
  c1top = static_cast<std::int32_t>(specialnames.size());
  nsym = nspecial;
  symbolsdropped();
}

// Sets up the stores for a whole-script compile: sizes, fresh contents and
// the special names.
void setupstores() {
  const bool shift = keydown(win::VK_SHIFT);
  if (shift) {
    nname = nnamedefault;
    nc1namen = nc1namendefault;
    nxeqbuf = nxeqbufdefault;
    nz = nzdefault;
  }
  iresult = 1;
  nxeqused = 0;
  lokalsub = 0;
  keepcommandline();
  const auto stays = [&](long long actual, std::int32_t wanted, std::int32_t bit) {
    return actual > 0 && !shift && actual >= wanted &&
           ((memhdrbits & bit) == 0 || actual == wanted);
  };
  std::int32_t zero = 0, one = 1;
  if (stays(name.size(), nname, 0x10)) {
    nname = static_cast<std::int32_t>(name.size());
  } else {
    ALLOCS("name", one, nname);
  }
  if (stays(c1namen.size(), nc1namen, 0x2)) {
    nc1namen = static_cast<std::int32_t>(c1namen.size());
  } else {
    ALLOCS("c1namen", one, nc1namen);
  }
  if (stays(xeqbuf.size() - 1, nxeqbuf, 0x4)) {
    nxeqbuf = static_cast<std::int32_t>(xeqbuf.size() - 1);
  } else {
    ALLOCS("xeqbuf", zero, nxeqbuf);
  }
  std::int32_t wantadrs = std::max(nedlines, 0) + nadrsstep;
  if (stays(adrs.size(), wantadrs, 0x8)) {
    nadrs = static_cast<std::int32_t>(adrs.size());
  } else {
    ALLOCS("adrs", one, wantadrs);
    nadrs = wantadrs;
  }
  if (stays(z.size() - 1, nz, 0x1)) {
    nz = static_cast<std::int32_t>(z.size() - 1);
  } else {
    ALLOCS("z", zero, nz);
  }
  nztop = nz + 1;
  c1limit = nc1namen;
  std::fill(c1namen.raw().begin(), c1namen.raw().end(), ' ');
  std::fill(xeqbuf.raw().begin(), xeqbuf.raw().end(), std::int16_t{0});
  std::fill(adrs.raw().begin(), adrs.raw().end(), 0);
  std::fill(z.raw().begin(), z.raw().end(), 0.0);
  nadrslow = nadrs;
  nusechain = 0;
  if (name.size() < nspecial || c1namen.size() < cmdlinesize || z.size() <= nspecial) return;
  specialsymbols();
}

// --- one line ---------------------------------------------------------------

enum class Outcome { ok, fail, leave };

// TOKEN and LEXIK over the line. LEXIK rewrites the tokens in place, so
// every retry (an array declared, `z` or `name` grown) starts again from the
// tokenizer. Outcome::fail: TOKEN failed or a store could not grow;
// Outcome::leave: the stop word `stops::grown`.
Outcome tokenlex(std::string_view text, bool quiet) {
  for (;;) {
    std::int32_t mode = quiet ? 0 : 1;
    TOKEN(text, literalvalues(), mode);
    if (!quiet && stopword() > 0) return Outcome::fail;
    LEXIK(text, literalvalues(), quiet ? 1 : 0);
    if (stopword() == stops::grown) return Outcome::leave;
    if (stopword() == stops::retry) {
      xeqstop = 0;
      continue;
    }
    std::int32_t kind = 0, extra = 0;
    if (nsym + ntok + 5 > nztop) {
      kind = 3;
      extra = nzreserve;
    } else if (nsym >= nname) {
      kind = 4;
      extra = nname;
    }
    if (kind == 0) return Outcome::ok;
    if (!REALLOC(kind, extra)) return Outcome::fail;
    xeqstop = 0;
  }
}

Outcome translateline(std::string_view text, bool quiet) {
  const Outcome lexed = tokenlex(text, quiet);
  if (lexed != Outcome::ok) return lexed;
  if (quiet) return Outcome::leave;
  if (stopword() > 0) return Outcome::fail;
  formalkinds::keep();
  prelayout();
  TRANS(text);
  if (stopword() > 0) return Outcome::fail;
  formalkinds::made(text);
  return Outcome::ok;
}

// Step 6: TOKEN, LEXIK and TRANS over the line, growing `z` and `name`
// when they are short. A line refused leaves the symbol table as it was
// before it: its statement is the placeholder, which names no symbol.
Outcome compileline(std::string_view text, bool quiet) {
  if (quiet) return translateline(text, quiet);
  linebegins();
  const Outcome o = translateline(text, quiet);
  if (o == Outcome::fail) {
    linerefused();
  } else {
    lineended();
  }
  return o;
}

// --- value of an immediate line --------------------------------------------

void showvalue() {
  resulttext.blank();
  if (xeqstackptr >= xeqstackbase) {
    FPUERROR();
    std::int32_t& d = edvars(edv::digits);
    if (d < 1) d = 1;
    const std::int32_t dd = std::min<std::int32_t>(d, 256);
    const std::int32_t r = adrs.valid(xeqstackptr) ? adrs(xeqstackptr) : 0;
    const auto writenum = [&](double v) {
      WTSID8({resulttext.data(), static_cast<std::size_t>(dd)}, v, 0);
    };
    if (stopword() < 1 && r > 0) {
      if (r <= nname && name.valid(r) && z.valid(r)) {
        if (z(r) != 1.0E-251) {
          const std::int32_t t = NAMTYP(r, 0xC0);
          if (t == 0x40) {
            std::int32_t first = 0, last = 0;
            TRANSFERR8TO2I4(z(r), first, last);
            if (first > 0 && first <= last && last <= nc1namen) {
              const std::int32_t n = std::min(last - first + 1, 256);
              for (std::int32_t i = 0; i < n; ++i)
                resulttext[static_cast<std::size_t>(i)] = c1namen(first + i);
            }
          } else if (t == 0x80) {
            writenum(z(r));
          }
        }
      } else if (r > nname && z.valid(r)) {
        writenum(z(r));
      }
    }
  }
  xeqstackptr = xeqstackbase;
  if (showresult) {
    const std::int32_t d = edvars(edv::digits);
    const std::int32_t row = edvars(edv::toprow) + edvars(edv::curline) - edvars(edv::firstline);
    std::int32_t col = edvars(edv::leftcol) + edvars(edv::width) - 1;
    if (mainwidthchars > 0) col = std::min(mainwidthchars - 2, col);
    showresult(resulttext.view(), d, col - d, row);
  }
}

// --- XEQ built-in -------------------------------------------------------------

enum class Next { loop, run, endrun, leave };

struct Kept {
  std::int32_t c1top, c1limit, nztop, nsym, ntrans;
};

void restore(const Kept& k) {
  c1top = k.c1top;
  c1limit = k.c1limit;
  nztop = k.nztop;
  nsym = k.nsym;
  symbolsdropped();
  ntrans = k.ntrans;
}

// Where the XEQ statement xs puts the value of its text: the assignment
// word (a text's or a number's) and the target (its first word); the word
// is 0 when the statement does not assign.
struct XeqTarget {
  std::int16_t w = 0;
  std::int32_t t = 0;
};
XeqTarget xeqtarget(std::int32_t xs) {
  const std::int32_t start = stmtstart(xs), next = stmtstart(xs + 1);
  if (start < 1 || next <= start + 1) return {};
  // The word before the end word; a labelled statement ends with its label
  // and CONTINUE after it.
  std::int32_t at = next - 2;
  if (at >= 1 && xeqbuf(at) == wcontinue) {
    at = next - 4;
    if (at < 1 || xeqbuf(at) == wcontinue) return {};
  }
  if (at < 1) return {};
  const std::int16_t w = xeqbuf(at);
  if (w != wtextresult && w != wnumresult) return {};  // XEQ alone
  const std::int32_t t = xeqbuf(start);
  if (t < 1 || t > nsym || !z.valid(t)) return {};
  return {w, t};
}

// Whether cell r holds a text: a text's type, and where its characters lie
// (rf..rl). (A number's result cell may keep the type of a text that an
// earlier statement left there; its value names no characters.)
bool textcell(std::int32_t r, std::int32_t& rf, std::int32_t& rl) {
  return r >= 1 && NAMTYP(r, 0x40) != 0 && ISCHAR(r, rf, rl) != 0 && rf >= 1 && rl >= rf &&
         c1namen.valid(rl);
}

// Assigns the result of the XEQ text to the target of the XEQ statement xs,
// when the statement assigns; false when the assignment is illegal: a text
// into a number, a number or nothing into a text.
bool xeqassign(std::int32_t xs) {
  const auto [w, t] = xeqtarget(xs);
  if (w == 0) return true;
  // The text's value: the top of the operand stack (none after a CALL).
  const std::int32_t r =
      xeqstackptr > xeqstackbase && adrs.valid(xeqstackptr) ? adrs(xeqstackptr) : 0;
  std::int32_t rf = 0, rl = 0;
  const bool text = textcell(r, rf, rl);
  if (w == wtextresult) {
    std::int32_t tf = 0, tl = 0;
    if (!text || !textcell(t, tf, tl)) return false;
    C1TOC1({c1namen.ptr(rf), static_cast<std::size_t>(rl - rf + 1)},
           {c1namen.ptr(tf), static_cast<std::size_t>(tl - tf + 1)});
    return true;
  }
  if (NAMTYP(t, 0x80) == 0) return false;
  if (r < 1) {
    z(t) = numwork;
    return true;
  }
  if (r > nz || !z.valid(r) || text) return false;
  z(t) = z(r);
  return true;
}

// The XEQ statement xs (or the Quicky's expression) has handed its text
// over: it is compiled as a line that is no line of the program and run as
// one statement; what it declared is dropped afterwards. Its value goes to
// the statement's target, and the run goes on after the statement. A text
// that fails, compiling or running (its message shown), stops the run at
// the statement, or goes on at the error label of the text's statement, as
// that statement's failure would alone.
void xeqbuiltin(std::span<char> text) {
  // The text as the work buffer holds it: blank padded to the buffer's
  // length (at least 256), so that its last token ends like any line's.
  std::string line(std::max<std::size_t>(text.size(), 256), ' ');
  if (xeqspan[1] > 0) {
    std::size_t n = 0;
    for (std::int32_t i = xeqspan[0]; i <= xeqspan[1] && c1namen.valid(i); ++i) {
      if (n == line.size()) line.push_back(' ');
      line[n++] = c1namen(i);
    }
  } else {
    std::copy(text.begin(), text.end(), line.begin());
  }
  const std::int32_t xs = xeqline;
  const Kept kept{c1top, c1limit, nztop, nsym, ntrans};
  // The cells above the symbols may hold values of a statement that waits
  // for this one (X = F(1) + G() with G running the XEQ): the text's names
  // take those places while it is compiled and runs, and the cells come
  // back once its value went to its target. Then the layouts that STRUCT
  // made for the program's records in the text take symbols again, unless
  // such a statement could hold those places.
  struct After {
    std::int32_t from = 0;
    std::vector<std::pair<SymbolRecord, double>> cells;
    std::vector<KeptLayout> layouts;
    ~After() {
      for (std::size_t i = 0; i < cells.size(); ++i) {
        const auto c = from + static_cast<std::int32_t>(i);
        if (!name.valid(c) || !z.valid(c)) break;
        name(c) = cells[i].first;
        z(c) = cells[i].second;
      }
      if (cells.empty()) keeplayouts(layouts);
    }
  } after;
  after.from = nsym + 1;
  if (lokalscope != 0 && xeqspan[1] > 0)
    for (std::int32_t c = nsym + 1; c <= iresult && name.valid(c) && z.valid(c); ++c)
      after.cells.emplace_back(name(c), z(c));
  // (So may the characters above the permanent texts: the text's names go
  // above them.)
  c1top = std::max(c1top, c1tmptop);
  lexruntext = true;
  const Outcome lexed = tokenlex(line, false);
  lexruntext = false;
  if (lexed == Outcome::ok && stopword() <= 0) {
    // A list for a number: refused as `Z = 1, 2` is.
    const XeqTarget target = xeqspan[1] > 0 ? xeqtarget(xs) : XeqTarget{};
    runtextnumber = target.w == wnumresult && NAMTYP(target.t, 0x80) != 0;
    prelayout();
    TRANS(line);
    runtextnumber = false;
  }
  if (lexed != Outcome::ok || stopword() > 0) {
    restore(kept);
    if (stopword() <= 0) xeqstop = stops::error;  // a store could not grow
    xeqline = xs;
    if (nomsg < 1) xeqmode &= ~runmode::running;
    return;
  }
  const std::int32_t keptmode = xeqmode, keptnomsg = nomsg;
  const Kept compiled{c1top, c1limit, nztop, nsym, ntrans};
  xeqmode = runmode::single;
  xeqspan[0] = xs;
  idestate |= busy::compiling;
  runtokens();
  idestate &= ~busy::compiling;
  // (The error label of the text's statement takes the text's failure.)
  if (stopword() < 1 || nomsg < 1) nomsg = keptnomsg;
  // The text's own names go; what its run gave the program's variables
  // stays: cells and texts from ALLOCATE (the stores' free ends stay where
  // the run left them, the text's declarations below them with them) and
  // the layouts STRUCT made for the program's records, which take symbols
  // again once the value went to its target.
  after.layouts = layoutsabove(kept.nsym);
  const bool took =
      nztop < compiled.nztop || c1limit < compiled.c1limit || !after.layouts.empty();
  const std::int32_t runnztop = nztop, runc1limit = c1limit;
  restore(kept);
  if (took) {
    nztop = runnztop;
    c1limit = runc1limit;
  }
  xeqmode = keptmode & ~runmode::suspended;
  if (stopword() >= 1) {
    if (nomsg < 1) {
      xeqline = xs;
      xeqmode &= ~runmode::running;
    }
    return;
  }
  if (xeqspan[1] <= 0) return;  // (the Quicky reads the value itself)
  if (xeqline != xs + 1) {
    // The text jumped, or ended the run (END, RETURN, a break): no value;
    // the run stands where the text left it.
    xeqmode &= ~(runmode::suspended | runmode::running);
    return;
  }
  if (xeqassign(xs)) return;
  xeqline = xs;
  msgkey.set(illegalkey);
  xeqstop = stops::error;
  if (nomsg >= 1) return;
  int answer = 0;
  iostatw[0] = static_cast<std::int16_t>(xs);
  HelpValues hv;
  hv.halves = iostatw;
  hv.characters = {line.data(), line.size()};
  hv.count = static_cast<int>(line.size());
  HELP(illegalkey, answer, hv);
  // (HELP may have left its answer there; the failure keeps its key.)
  msgkey.set(illegalkey);
  xeqmode &= ~runmode::running;
}

// A hand-back whose statement is not part of this build stops the run.
void notbuilt(std::int32_t resumeline) {
  xeqstop = 0;
  int answer = 0;
  iostatw[0] = static_cast<std::int16_t>(xeqline);
  HelpValues hv;
  hv.halves = iostatw;
  HELP(notbuiltkey, answer, hv);
  xeqmode &= ~runmode::running;
  xeqline = resumeline;
  xeqstop = stops::error;
}

// After a statement handed back at `kept`: the statement is done with
// (nothing of it stays on the operand stack), and the run goes on after it,
// or stands at it after a failure. A failure that the statement's error
// label takes goes on there (the stop-word loop jumps); any other stop ends
// the run at the statement.
void resumeafter(std::int32_t kept) {
  xeqstackptr = xeqstackbase;
  if (xeqstop != 0) {
    xeqline = kept;
    if (stopword() < 1 || nomsg < 1) xeqmode &= ~runmode::running;
  } else {
    xeqline = kept + 1;
  }
}

// The SOLVE statement handed back: its iteration, pass by pass, until a
// pass fails, the iteration has finished or the pass limit is reached; the
// run then goes on after the statement, or stands at it after a failure.
void solvepasses() {
  xeqstop = 0;
  const std::int32_t kept = xeqline;
  solvedone = 0;
  for (;;) {
    solverun();
    xeqmode = xeqmodesave;
    if (xeqstop != 0 || (solvedone & 1) != 0 || solveiter >= solvemaxiter) break;
    ++solveiter;
    xeqline = kept;
  }
  solveiter = 0;
  modelstart = 0;
  resumeafter(kept);
}

// The DIFFEQ statement handed back: its integration, once.
void diffeqrun() {
  xeqstop = 0;
  const std::int32_t kept = xeqline;
  oderun();
  xeqmode = xeqmodesave;
  resumeafter(kept);
}

// The DLL call handed back by the executor at its statement (the run mode
// kept in xeqmodesave). Its result becomes the statement's value: the one
// operand, or the numeric variable that receives it; the run goes on with
// the next statement. A failed call stops the run at its statement, or
// resumes at the error label.
bool dllcall() {
  const std::int32_t kept = xeqline;
  xeqstop = 0;
  dllstatement();
  if (xeqstop != 0) return false;
  xeqline = kept + 1;
  xeqmode = xeqmodesave;
  if (dllresult < 1) {
    xeqstackptr = xeqstackbase + 1;
    if (adrs.valid(xeqstackptr)) adrs(xeqstackptr) = iresult;
  } else if (NAMTYP(dllresult, 0xC0) == 0x80 && z.valid(iresult)) {
    z(dllresult) = z(iresult);
    xeqstackptr = xeqstackbase + 1;
  }
  return true;
}

// An error whose error label names no statement stops the run at the
// failing statement, as GOTO to that label does.
void nolabel() {
  const std::int32_t sym = nomsg;
  nomsg = 0;
  std::array<std::int16_t, 4> halves = iostatw;
  halves[0] = static_cast<std::int16_t>(xeqline);
  std::string detail(symbolname(sym));
  std::string line = linetext(xeqline);
  HelpValues hv;
  hv.halves = halves;
  hv.text = {detail.data(), std::min<std::size_t>(detail.size(), 256)};
  hv.characters = {line.data(), line.size()};
  hv.count = static_cast<int>(line.size());
  int answer = 0;
  HELP(labelsubkey, answer, hv);
  msgkey.set(labelsubkey);
  edmark = edmarkall;
  xeqstop = stops::error;
  xeqmode &= ~runmode::running;
}

// Step 9: the stop-word loop.
Next stopwords(std::span<char> text) {
  for (;;) {
    const std::int16_t s = stopword();
    if (s >= 1 && nomsg >= 1) {
      // An error with an error label: resume at the label's statement.
      const std::int32_t at = errorlabelline(nomsg);
      if (at < 1) {
        nolabel();
        return Next::endrun;
      }
      xeqline = at;
      xeqstop = 0;
      return (xeqmode & runmode::running) ? Next::run : Next::endrun;
    }
    if (s == handdll) {
      if (!dllstatement) {
        notbuilt(xeqline - 1);
      } else if (!dllcall()) {
        // An error with an error label resumes there like any other.
        if (stopword() >= 1 && nomsg >= 1) continue;
        xeqmode &= ~runmode::running;
      }
    } else if ((s == handdiffeq && !oderun) || (s == handsolve && !solverun)) {
      notbuilt(xeqline);
    } else if (s == handdiffeq) {
      diffeqrun();
      if (stopword() >= 1 && nomsg >= 1) continue;
    } else if (s == handsolve) {
      solvepasses();
      // A failed pass with an error label resumes like any other error.
      if (stopword() >= 1 && nomsg >= 1) continue;
    } else if (s == handxeq) {
      xeqstop = 0;
      xeqbuiltin(text);
      // A failure of the text ends the run or goes on at its error label as
      // any other failure; a quit is one too.
      if (stopword() >= 1 || stopword() == stops::quit) continue;
    } else {
      if ((idestate & busy::windowread) || s == stops::quit) return Next::leave;
      return Next::endrun;
    }
    return (xeqmode & runmode::running) ? Next::run : Next::endrun;
  }
}

enum class Step { compile, splice, run, stoploop, endrun, endrun2, failure };

// The line compiled is an editor's line to be spliced into the program in
// place of its statement (not a line of the whole-script compile).
bool splicing() { return (edvars(edv::chg) & 0x80) != 0 && edmode != 14; }

void pasteloop(std::span<char> text);

// Steps 6 to 11 from the given step on. inpaste: called by the paste loop
// for one pasted line, which returns to it after the splice.
void steps(std::span<char> text, Step step, bool inpaste) {
  const bool quiet = (xeqmode & runmode::analysis) != 0;
  // The line compiled: the text handed over, or the editor's line it is
  // spliced for as the edit buffer holds it.
  std::string line(text.data(), text.size());
  bool refused = false;  // too long: the failure words are set
  for (;;) {
    switch (step) {
      case Step::compile: {
        const std::int32_t l = edvars(edv::curline);
        if (l > nstmt) {
          step = Step::splice;
          break;
        }
        // A line spliced into the program is compiled as the text holds
        // it: the editor hands over at most 253 characters, and a line
        // too long is refused as the whole-script compile refuses it.
        if (splicing() && l >= 1 && l <= nedlines) {
          DROPLABELS(l);
          const std::string held = linetext(l);
          if (linetoolong(held)) {
            REFUSELONG(held, static_cast<std::int32_t>(held.size()));
            refused = true;
            step = Step::failure;
            break;
          }
          line = held.substr(0, static_cast<std::size_t>(compiledline)) + "\r\n";
        }
        const Outcome o = compileline(line, quiet);
        if (o == Outcome::leave) return;
        if (o == Outcome::fail) {
          step = Step::failure;
          break;
        }
        if (edmode == 14 || (xeqmode & runmode::single)) return;
        step = Step::splice;
        break;
      }
      case Step::splice: {
        if ((xeqmode & (runmode::trace | runmode::storesready)) == 0) {
          runtokens();
          step = Step::endrun2;
          break;
        }
        std::array<char, 1> blank{' '};
        std::int32_t mode = -1;
        KOMPIA(blank, mode);
        if (stopword() > 0) {
          xeqstop = 0;
          return;
        }
        if (pastelen > 0) {
          if (!inpaste) pasteloop(text);
          return;
        }
        if (edcompileonly & 1) return;
        step = Step::run;
        break;
      }
      case Step::run:
        runprogram();
        step = Step::stoploop;
        break;
      case Step::stoploop: {
        const Next n = stopwords(text);
        if (n == Next::leave) return;
        step = n == Next::run ? Step::run : Step::endrun;
        break;
      }
      case Step::endrun: {
        const std::int16_t s = stopword();
        if (s != stops::command && s != stops::callback) {
          if (xeqmode & runmode::suspended) {
            xeqmode = runmode::suspended | runmode::running | runmode::compiled;
          } else if (xeqmode & runmode::trace) {
            xeqmode = runmode::compiled;
          }
        }
        step = Step::endrun2;
        break;
      }
      case Step::endrun2: {
        const std::int16_t s = stopword();
        if (s == stops::command) return;
        if (idecmd <= 0 && (s == stops::end || s == stops::broken)) xeqmode &= ~runmode::running;
        if (edflags & 4) showvalue();
        step = Step::failure;
        break;
      }
      case Step::failure: {
        const std::int16_t s = stopword();
        if (s <= 0 || s == stops::quietend) return;
        // A built-in that showed its failure itself left no key: the
        // failure is named by the message it showed.
        if (msgkey.trimmed().empty()) msgkey = shownkey;
        xeqmode &= ~runmode::running;
        if (pastelen > 0) {
          // A pasted line failed: the paste ends on it, and its placeholder
          // takes the statement that the paste opened for it.
          pastelen = 0;
          xeqline = edvars(edv::curline);
          edmode = 13;
        }
        if ((xeqmode & (runmode::trace | runmode::storesready)) == 0) return;
        if (!refused) failedline.set(line);
        if (text.size() >= 3) {
          text[0] = 1;
          text[1] = static_cast<char>(0x20);  // 0x8420, low byte first
          text[2] = static_cast<char>(0x84);
        }
        tokcod(1) = 1;
        tokcod(2) = placeholdereq;
        ntrans = 2;
        // The placeholder of an editor's line takes its statement also when
        // no run goes on (after a whole compile that failed): the program
        // keeps to the text. The splice returns at once on the stop word.
        if ((xeqmode & runmode::trace) == 0 && !splicing()) return;
        step = Step::splice;
        break;
      }
    }
  }
}

// Pastes the clipboard's lines after the current line: each line goes into
// the edit buffer, gets an empty statement and is compiled and spliced.
void pasteloop(std::span<char> /*text*/) {
  const std::string clip = clipboardtext ? clipboardtext(pastemost) : std::string();
  std::size_t pos = 0;
  std::int32_t count = 0, first = 0;
  std::array<char, 258> work{};
  while (pastelen > 0) {
    const std::size_t e = clip.find("\r\n", pos);
    if (e == std::string::npos) {
      pastelen = -count;
      edvars(edv::curline) = xeqline = first;
      edmark = edmarkall;
      return;
    }
    const std::string_view line = std::string_view(clip).substr(pos, e - pos);
    pos = e + 2;
    edvars(edv::chg) |= 0x40;
    const std::int32_t target = edvars(edv::curline) + 1;
    FEDNXT(nullptr, &target);
    const std::int32_t at = edline.line == target ? edline.pos : c1editend + 1;
    C1EDITINSERT(at, std::string(line) + "\r\n", 0);
    if (editsave) editsave();
    // The line is compiled as its own: a label it carries stands at it.
    edvars(edv::curline) = xeqline = target;
    if (first == 0) first = target;
    ++count;
    std::array<char, 1> blank{' '};
    std::int32_t mode = -1;
    KOMPIA(blank, mode);
    edmode = 12;
    edvars(edv::chg) |= 0x80;
    // The splice's walk ended the set-up mark; the line is spliced, not run.
    if ((xeqmode & runmode::storesready) == 0) {
      xeqmode |= runmode::storesready;
      INTERNAL_GETLOKALSUB();
    }
    const std::size_t n = std::min(line.size(), work.size() - 2);
    std::fill(work.begin(), work.end(), ' ');
    std::copy_n(line.begin(), n, work.begin());
    work[n] = '\r';
    work[n + 1] = '\n';
    steps({work.data(), n + 2}, Step::compile, true);
  }
}

}  // namespace

// (A label never written before a statement, a variable or a number is
// no label of a statement.)
std::int32_t errorlabelline(std::int32_t sym) {
  if (sym < 1 || sym > nsym || !name.valid(sym) || !z.valid(sym)) return 0;
  if ((name(sym).type & 0xD2) != 0x2) return 0;
  const std::int32_t at = I2EQUZ(1, sym);
  return at >= 1 && at <= nstmt ? at : 0;
}

bool STOPATMISSINGLABEL() {
  if (xeqstop != stops::error || nomsg < 1 || errorlabelline(nomsg) >= 1) return false;
  nolabel();
  return true;
}

void INTERNAL_GETLOKALSUB() {
  lokalsub = 0;
  const std::int32_t next = stmtstart(edvars(edv::loadline) + 1);
  std::int32_t q = (next >= 1 ? next : nxeqused) - 3;
  for (; q >= 1; --q) {
    const std::int16_t w = xeqbuf(q);
    if (w >= 0) continue;
    const unsigned u = cwu(w);
    std::int32_t sym = 0;
    if (cwcode(u) == cwu(stmtcode("END")) && xeqbuf(q - 1) == endmark) {
      lokalsub = 0;
      return;
    }
    if (cwcode(u) == cwu(stmtcode("SUBROUTINE"))) {
      const std::int32_t at = q - 1 - cwcount(u);
      if (at >= 1) sym = xeqbuf(at);
    } else if (cwcode(u) == cwu(stmtcode("FUNCTION")) &&
               cwcode(xeqbuf(q - 1)) == cwu(stmtcode("FUNCTION"))) {
      const std::int32_t at = q - cwcount(xeqbuf(q - 1)) - 2;
      if (at >= 1) sym = xeqbuf(at);
    }
    if (sym < 1 || sym > nsym || !name.valid(sym)) continue;
    lokalsub = name(sym).scope;
    if (lokalsub != 0) return;
    lokalscope = sym;
  }
}

void KOMPIL(std::span<char> text) {
  if (text.empty()) {
    INTERNAL_GETLOKALSUB();
    return;
  }
  if (stopword() == handxeq) {
    steps(text, Step::stoploop, false);
    return;
  }
  xeqstop = 0;
  if (pastelen <= 0 && idecmd < 0 && xeqline > nstmt) return;
  solveiter = 0;
  Step step = Step::compile;
  if (xeqmode & (runmode::single | runmode::analysis)) {
    INTERNAL_GETLOKALSUB();
  } else if (xeqmode & runmode::running) {
    step = Step::run;
  } else if (xeqmode & runmode::compiled) {
    if (idecmd < 22100) xeqmode |= runmode::trace;
    INTERNAL_GETLOKALSUB();
    if (pastelen <= 0 && (edvars(edv::chg) & 1) == 0 &&
        !(keydown(win::VK_CONTROL) && idecmd != 21063))
      step = Step::run;
  }
  if (step == Step::compile) {
    if ((xeqmode & runmode::storesready) == 0) {
      xeqmode |= runmode::storesready;
      if (edmode == 14) {
        setupstores();
      } else {
        INTERNAL_GETLOKALSUB();
      }
    }
    if (pastelen > 0) {
      pasteloop(text);
      return;
    }
  }
  steps(text, step, false);
}

void reset_kompil() {
  cmdlinearea.blank();
  cmdlinefirst = true;
  resulttext.blank();
  numwork = 0.0;
  progressdialog = 0;
  mainwidthchars = 0;
}

}  // namespace core
