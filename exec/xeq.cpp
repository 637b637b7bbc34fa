#include "exec/xeq.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/alarms.h"
#include "exec/assign.h"
#include "exec/builtins.h"
#include "exec/callback.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/operands.h"
#include "exec/optforms.h"
#include "exec/postfix.h"
#include "exec/tablecalls.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"
#include "platform/win_queue_idle.h"

namespace exec {

namespace {

using core::adrs;
using core::z;

// The code being run: xeqbuf from its first word, or one translated line.
std::span<const std::int16_t> running;
// The translated line of a single-statement run (the text of XEQ), while
// `running` may be the program's code for a function that it references.
std::span<const std::int16_t> textcode;

constexpr std::int16_t endword = core::endmark;
constexpr std::int16_t placeholder = core::placeholdereq;
constexpr double emptyvalue = 1.0E-251;

enum class At {
  head,
  exprpath,
  wordpath,
  prologue,
  words,
  afterword,
  endstmt,
  looptest,
  stop,
  error
};

bool single() { return (core::xeqmode & core::runmode::single) != 0; }
// The translated statement itself runs, not a function or subroutine that
// it references (whose statements are the program's).
bool textitself() { return single() && calldepth == 0; }

std::span<const std::int16_t> programcode() {
  if (core::xeqbuf.size() < 2) return {};
  return {core::xeqbuf.ptr(1), static_cast<std::size_t>(core::xeqbuf.last())};
}
bool callbackmode() { return (core::xeqmode & core::runmode::callback) != 0; }

bool msgkeyis(std::string_view k) {
  std::string_view v = core::msgkey.view();
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v == k;
}

void pushentry(std::int32_t e) {
  ++core::xeqstackptr;
  if (adrs.valid(core::xeqstackptr)) adrs(core::xeqstackptr) = e;
}

// A fresh numeric temporary at `iresult`.
void freshresult() {
  if (resultroom(core::iresult)) newtemprecord(core::iresult);
}

// Statement `xeqline` is an option statement that runs from its form.
bool optionform() {
  const std::int32_t from = core::stmtstart(core::xeqline);
  const std::int32_t end = core::stmtstart(core::xeqline + 1);
  if (from < 1 || end - 1 - from < 1 || end - 1 > static_cast<std::int32_t>(running.size()) ||
      codeword(from) != -1)
    return false;
  return optforms::ready(
      running.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(end - 1 - from)));
}

// The error exit: the message with the failing statement, then the stop.
At errorexit() {
  if (core::nomsg != 0) {
    // (Taken quietly, a name that is no built-in and no array still fails
    // under its own key.)
    std::string key(core::msgkey.trimmed()), detail(core::failedline.trimmed());
    if (asnosucharray(key, detail)) core::msgkey.set(key);
    core::xeqstop = stops::error;
    return At::looptest;
  }
  if (quietfloatfailures && msgkeyis(xeqerrorkey(3300))) {
    // The callback's caller takes the failed calculation as an answer.
    errsubject = 1;
    core::failedline.blank();
    core::xeqstop = stops::error;
    return At::looptest;
  }
  std::int32_t subject = errsubject;
  if (subject < 1 || subject > core::nsym) subject = 1;
  errsubject = 1;
  std::array<std::int16_t, 4> halves = core::iostatw;
  halves[0] = static_cast<std::int16_t>(core::xeqline);
  // A failed calculation names its floating-point status second.
  if (msgkeyis(xeqerrorkey(3300))) halves[1] = detailwords[0];
  std::array<float, 2> where{xeqfailword, xeqfailpos};
  core::HelpValues hv;
  hv.halves = halves;
  hv.singles = where;
  if (z.size() > 1) hv.doubles = {z.ptr(1), static_cast<std::size_t>(z.size() - 1)};
  // The detail (*6): the symbol the failure named, else the text it left
  // (an index error's operand and index, a built-in's value or keyword).
  // The statement's own text (*7) from the script.
  std::string detail(subject > 1 ? core::symbolname(subject) : core::failedline.trimmed());
  // A name that is no built-in and no array fails under "noSuchArray",
  // which says so in the user's words, not as the index error it was found
  // as; the stop names that key.
  std::string failkey(core::msgkey.trimmed());
  if (asnosucharray(failkey, detail)) core::msgkey.set(failkey);
  std::string line = core::linetext(core::xeqline);
  hv.text = {detail.data(), std::min<std::size_t>(detail.size(), 256)};
  hv.characters = {line.data(), line.size()};
  hv.count = static_cast<int>(line.size());
  // The detail is this failure's: the next one starts without it.
  core::failedline.blank();
  std::array<char, 16> key{};
  std::copy_n(core::msgkey.data(), key.size(), key.begin());
  std::string_view k(key.data(), key.size());
  while (!k.empty() && k.back() == ' ') k.remove_suffix(1);
  int answer = 0;
  core::HELP(k, answer, hv);
  if (msgkeyis("yes")) {
    core::msgkey.blank();
    return At::looptest;
  }
  // HELP may have replaced the key; the failure keeps its own.
  core::msgkey.set(k);
  core::edmark = core::edmarkall;
  if (core::idecmd == -14) {
    wordpos = stmtend - 1;
    const WordResult r = controlword(static_cast<std::int16_t>(wreturn));
    if (r == WordResult::leave) return At::stop;
    return At::looptest;
  }
  core::xeqstop = stops::error;
  return At::looptest;
}

// The operand stack has met the statement table: the question whether to
// make room. True when `adrs` has grown (the statement runs again); else
// the run stops.
bool askstackroom() {
  int answer = 0;
  core::MSGBOXFROMHELP("msgXEQstack", {}, answer);
  if (answer == 1) {
    std::int32_t extra = core::nadrsstep;
    if (core::REALLOC(2, extra)) return true;
  }
  core::xeqstop = stops::error;
  return false;
}

// The work of a statement, or `failed` with the store message when that
// work asked for memory that is not there: the statement stops as one whose
// store could not grow, and what it had taken is given back.
template <class Work, class Result>
Result orstorelimit(Work work, Result failed) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    core::msgkey.set(core::storelimitkey);
    return failed;
  }
}

// Calls the label or subroutine of an event as the word CALL would.
WordResult eventcall(std::int32_t label) {
  pushentry(label);
  return controlword(static_cast<std::int16_t>(wcall));
}

enum class Served { word, skipserve, returned, handled };

// The pending command before a word. `r` receives the outcome of a call.
Served servecommand(WordResult& r) {
  const std::int32_t cmd = core::idecmd;
  if (cmd == 1) {
    const std::int32_t b = core::xeqstackbase;
    if (adrs.valid(b + 3)) {
      adrs(b + 1) = -8;
      adrs(b + 2) = 0;
      adrs(b + 3) = 1;
    }
    core::xeqstackptr = b + 3;
    core::xeqstop = stops::command;
    return Served::returned;
  }
  if (cmd == 999) {
    r = controlword(static_cast<std::int16_t>(wreturn));
    return Served::handled;
  }
  if (evtflags == -1) {
    // After ALARM(1)'s wait: served within the waiting statement, the
    // command's handler returns to the statement after it (the next word
    // is fetched first); at a later statement it returns to that one.
    evtflags = 0;
    if (core::xeqline == alarmwaitline) {
      ++core::xeqline;
      return Served::skipserve;
    }
  }
  if (cmd == 21059) {
    // A link clicked in a dialog: its window is shown, then the statement
    // runs from its start.
    core::idecmd = alarmsavedcmd == cmd ? -1 : alarmsavedcmd;
    if (WINLINKREQUEST != nullptr) WINLINKREQUEST();
    r = WordResult::looptest;
    return Served::handled;
  }
  if (cmd == 21063 || cmd == 21064 || cmd > 22099) {
    const bool window = cmd == 21063 || cmd == 21064;
    eventcmd = window ? cmd : 0;
    if (!window && stateupdate != nullptr && core::z.valid(2))
      stateupdate(static_cast<std::int32_t>(std::lround(std::clamp(core::z(2), -1.0e9, 1.0e9))));
    if (!window && eventlabel <= 0) {
      // A menu or toolbar without a handler: the choice is dropped.
      core::idecmd = -1;
      r = WordResult::looptest;
      return Served::handled;
    }
    core::idecmd = 14;
    r = eventcall(eventlabel);
    return Served::handled;
  }
  alarmnext = 0;
  const std::array<char, 2> fn{'F', static_cast<char>(cmd + 48)};
  std::int32_t k = 0;
  const std::string_view nm(fn.data(), fn.size());
  if (core::FINDSN(nm, k, 4) || core::FINDSN(nm, k, 2)) {
    core::keyrec.fill(0);
    r = eventcall(k);
    return Served::handled;
  }
  core::idecmd = alarmsavedcmd == cmd ? -1 : alarmsavedcmd;
  r = WordResult::looptest;
  return Served::handled;
}

}  // namespace

std::int16_t codeword(std::int32_t p) {
  if (p < 1 || p > static_cast<std::int32_t>(running.size())) return endword;
  return running[static_cast<std::size_t>(p - 1)];
}

void loadbounds() {
  if (single()) {
    if (calldepth == 0) {
      running = textcode;
      stmtstart = 1;
      stmtend = static_cast<std::int32_t>(running.size()) + 1;
      return;
    }
    running = programcode();
  }
  stmtstart = core::stmtstart(core::xeqline);
  stmtend = core::stmtstart(core::xeqline + 1);
  if (stmtend < stmtstart) stmtend = stmtstart;
}

void XEQ(std::span<const std::int16_t> code) {
  const bool text = single();
  const auto keptcode = running, kepttext = textcode;
  running = code;
  if (text) textcode = code;
  struct Restore {
    std::span<const std::int16_t> code, text;
    bool wastext;
    ~Restore() {
      if (wastext) {
        // Stopped inside a function or subroutine that the text references:
        // its return would lead back into the text, which is over.
        if (calldepth > 0) dropcalls();
        // (A text that did not run through leaves no loop end to run.)
        if (core::xeqstop != 0) xeqtail = 0;
      }
      running = code;
      textcode = text;
      if (!single() && core::nstmt > 0 && core::xeqline > core::nstmt) core::xeqline = core::nstmt;
    }
  } restore{keptcode, kepttext, text};

  core::iostatw[0] = static_cast<std::int16_t>(core::FPUERROR(-1));
  // A failure's detail text is its own, not what a compile left.
  core::failedline.blank();
  fast::newrun();
  calldepth = 0;
  framesdropped();
  // (Texts are held for the frames on the stack: a run of the main program
  // has none, unless it runs inside a statement, as a callback or alone.)
  if (core::xeqstackbase <= framesize &&
      (core::xeqmode & (core::runmode::callback | core::runmode::single)) == 0)
    droptexts();
  core::xeqline = std::max(core::xeqline, 1);
  if (xeqtail != 0 && !text && !callbackmode()) {
    // The run goes on after an XEQ statement that ends DO loops: its loop
    // end comes first.
    if (core::xeqline == xeqtail + 1) calltail = core::xeqline = xeqtail;
    xeqtail = 0;
  }
  At at = At::head;
  bool resumed = false;
  if (xeqstartpos != 0) {
    stmtstart = xeqstartpos;
    resumed = true;
  } else if (core::xeqstackbase <= framesize) {
    // A run in the main program. Within a call (the run goes on after a
    // statement handed back to the run driver, or a single step) the
    // function's temporaries stay above its caller's: the calling statement
    // still holds its values there.
    firsttemp = core::nsym + 1;
    callkind = 0;
  }
  std::int16_t lastword = 0;
  bool byform = false;                    // the statement in hand runs from its option form
  WordResult pending = WordResult::next;  // what the word just run answered

  for (;;) {
    switch (at) {
      case At::head: {
        // (A statement back from its CALL or XEQ runs its loop end alone.)
        const bool whole = calltail != core::xeqline;
        byform =
            !resumed && whole && fast::enabled && !single() && core::idecmd <= 0 && optionform();
        if (byform && fast::tally != nullptr) {
          // (Measuring: an option statement replayed from its list.)
          ++fast::tally->forms;
          ++fast::tally->options;
        }
        if (!resumed && whole && fast::enabled && !single() && core::idecmd <= 0 && !byform) {
          const fast::Outcome o = orstorelimit([] { return fast::runstatement(running); },
                                               fast::Outcome{fast::Outcome::afterword,
                                                             WordResult::error, 0});
          if (o.kind == fast::Outcome::looptest) {
            at = At::looptest;
            break;
          }
          if (o.kind == fast::Outcome::afterword) {
            // A statement that ran by its form up to a word whose answer
            // the loop must take.
            pending = o.answer;
            lastword = o.lastword;
            at = At::afterword;
            break;
          }
        }
        if (!resumed && core::idecmd <= 0) {
          loadbounds();
          if (passedelseif()) {
            at = At::looptest;
            break;
          }
        }
        if (!resumed) {
          core::xeqstop = 0;
          core::shownkey.blank();
          loadbounds();
          if (core::lokalscope == 0) core::lokalscope = core::lokalsub;
        }
        resumed = false;
        // (The text of XEQ keeps its statement's error label; the functions
        // it references clear it as every statement does.)
        if ((core::idestate & core::busy::compiling) == 0 || calldepth > 0) core::nomsg = 0;
        const std::int16_t first = codeword(stmtstart);
        at = (first == 1 || first == -1) && core::idecmd <= 0 ? At::exprpath : At::wordpath;
        break;
      }

      case At::exprpath: {
        // A statement replayed from its option form stirs the forms only
        // when it changed what they rely on (optforms::run()).
        if (!byform) fast::stir();
        if (firsttemp <= core::nsym) firsttemp = core::nsym + 1;  // a record layout was made
        core::iresult = firsttemp;
        freshresult();
        const std::int32_t len = stmtend - stmtstart;
        if (codeword(stmtstart) == 1) {
          // A line that failed to compile, or a block marked as wrong.
          core::msgkey.set(xeqkeys::notcorrected);
          at = At::error;
          break;
        }
        if (len == 2) {
          const std::int32_t sp = core::xeqstackptr;
          if (adrs.valid(sp) && adrs(sp) == 0) {
            adrs(sp) = firsttemp;
            if (z.valid(firsttemp)) z(firsttemp) = emptyvalue;
          } else if (core::xeqmode & core::runmode::trace) {
            core::xeqstackptr = 0;
          }
          at = At::endstmt;
          break;
        }
        if (len <= 1) {
          at = At::wordpath;
          break;
        }
        const std::int16_t second = codeword(stmtstart + 1);
        const std::int16_t third = codeword(stmtstart + 2);
        if (second == placeholder || (second == 0 && third == endword)) {
          // What a failed line left, or an empty statement of the executor form.
          core::msgkey.set(xeqkeys::notcorrected);
          at = At::error;
          break;
        }
        core::xeqstackptr = core::xeqstackbase + 1;
        if (!adrs.valid(core::xeqstackptr)) {
          fast::stir();
          core::msgkey.set(xeqkeys::xeqstack);
          at = At::error;
          break;
        }
        const std::int32_t room = core::nadrs - core::nedlines - core::xeqstackptr - 5;
        if (room < 8) {
          fast::stir();
          at = askstackroom() ? At::head : At::looptest;
          break;
        }
        // Linking passes over the statement's second word, which holds the
        // prefix words (0 for none). An ELSE statement has its block word
        // there (-1, ELSE, its jump slot, end): it is given from its first
        // word so that the block word is evaluated with its slot.
        const bool elseform = second == core::xform::elseword;
        const std::int32_t from = elseform ? stmtstart - 1 : stmtstart;
        // A labelled statement's loop end runs after its words (below).
        const std::int32_t tail = labelledtail();
        std::span<const std::int16_t> words = running.subspan(
            static_cast<std::size_t>(from), static_cast<std::size_t>(stmtend - 1 - tail - from));
        std::span<std::int32_t> out{adrs.ptr(core::xeqstackptr), static_cast<std::size_t>(room)};
        core::msgkey.blank();
        if (byform && elseform) fast::stir();
        const std::int32_t r = orstorelimit(
            [&] { return byform && !elseform ? optforms::run() : XEQ2(words, out); },
            xeqkeyed);
        byform = false;
        if (core::xeqstop == stops::retry || core::xeqstop == stops::grown) {
          core::xeqstop = 0;
          at = At::head;
          resumed = true;
          break;
        }
        adrs(core::xeqstackptr) = firsttemp + 1;
        if (r == 0) {
          if (tail != 0) labelledloopend();
          at = At::endstmt;
        } else if (r == xeqfalseblock) {
          const WordResult w = blockjump(1);
          at = w == WordResult::error ? At::error : At::looptest;
        } else if (r > xeqoptbase && r <= xeqoptbase + 31) {
          // Option statement n of the expression built-ins ran: its
          // epilogue, with the statement code 0xAC00 + 32 n.
          const std::int32_t n = r - xeqoptbase;
          const auto optcode = static_cast<std::int16_t>(0xAC00 | (n << 5));
          const std::int32_t base = core::xeqstackptr;
          switch (optepilogue(optcode)) {
            case WordResult::leave:
              return;
            case WordResult::error:
              at = At::error;
              break;
            case WordResult::stophandling:
              at = At::stop;
              break;
            case WordResult::looptest:
              at = At::looptest;
              break;
            case WordResult::rerun:
              at = At::head;
              break;
            default:
              core::xeqstackptr = base;
              at = At::endstmt;
              break;
          }
        } else if (core::xeqstop == stops::error && core::nomsg == 0 && core::iostatw[0] != 0 &&
                   msgkeyis("")) {
          at = At::looptest;  // the built-in has shown its failure and stopped the run
        } else {
          if (msgkeyis("")) {
            const std::string_view k = xeqerrorkey(r);
            core::msgkey.set(k.empty() ? xeqkeys::xequnknown : k);
          }
          at = At::error;
        }
        break;
      }

      case At::wordpath:
        fast::stir();
        wordpathstart();
        at = At::prologue;
        break;

      case At::prologue: {
        if (wholefold::underway != 0) wholefold::drop(core::xeqstackbase);
        if (firsttemp <= core::nsym) firsttemp = core::nsym + 1;  // a record layout was made
        core::iresult = firsttemp;
        freshresult();
        core::xeqstackptr = core::xeqstackbase;
        if (core::xeqstackptr + core::nadrsstep / 4 >= core::nadrslow) {
          if (!askstackroom()) at = At::looptest;
          break;  // grown: the statement runs again
        }
        stmtflags = 0;
        wordpos = stmtstart;
        if (calltail != 0 && calltail == core::xeqline) {
          // Back from the CALL of this statement: its loop end is left.
          calltail = 0;
          if (labelledtail() != 0) wordpos = stmtend - 1 - labelledtail();
        }
        at = At::words;
        break;
      }

      case At::words: {
        WordResult r = WordResult::next;
        bool served = false;
        if (core::idecmd > 0) {
          switch (servecommand(r)) {
            case Served::returned:
              return;
            case Served::handled:
              served = true;
              break;
            case Served::skipserve:
            case Served::word:
              break;
          }
        }
        if (!served) {
          if (wordpos == 0) {
            core::msgkey.set(xeqkeys::apology);
            at = At::error;
            break;
          }
          if (wordpos >= stmtend || wordpos > static_cast<std::int32_t>(running.size())) {
            at = At::endstmt;
            break;
          }
          const std::int16_t w = codeword(wordpos);
          lastword = w;
          if (w == endword) {
            at = At::endstmt;
            break;
          }
          r = orstorelimit(
              [w] {
                if (iscontrolword(w)) return controlword(w);
                if (core::isbuiltinword(w))
                  return builtinwords ? builtinwords(w) : WordResult::unknown;
                return operandwords ? operandwords(w) : WordResult::unknown;
              },
              WordResult::error);
        }
        pending = r;
      }
        [[fallthrough]];

      case At::afterword: {
        const WordResult r = pending;
        if ((r == WordResult::next || r == WordResult::looptest) && core::xeqstop == stops::error &&
            core::iostatw[0] != 0) {
          // A floating-point failure found after a value-producing word.
          const std::string_view cls = core::isbuiltinword(lastword) ? "function" : "other   ";
          std::copy_n(cls.begin(), 8, opclass);
          if (msgkeyis("")) core::msgkey.set(xeqerrorkey(3300));
          if (callbackmode()) return;
          at = At::looptest;
          break;
        }
        switch (r) {
          case WordResult::next:
            ++wordpos;
            at = At::words;
            break;
          case WordResult::stay:
            at = At::words;
            break;
          case WordResult::endstmt:
            at = At::endstmt;
            break;
          case WordResult::rerun:
            // From the prologue's second step: `$` keeps its value.
            at = At::prologue;
            break;
          case WordResult::looptest:
            at = At::looptest;
            break;
          case WordResult::stophandling:
            at = At::stop;
            break;
          case WordResult::leave:
            return;
          case WordResult::error:
            at = At::error;
            break;
          case WordResult::unknown:
            core::msgkey.set(xeqkeys::xequnknown);
            at = At::error;
            break;
        }
        break;
      }

      case At::endstmt: {
        if (rerunflag) {
          rerunflag = false;
          if (z.valid(1)) z(1) += 1.0;
          at = At::prologue;
          break;
        }
        if (core::xeqstackptr - core::xeqstackbase > 1) {
          const unsigned before = core::cwcode(codeword(stmtend - 2));
          const unsigned twobefore = core::cwcode(codeword(stmtend - 3));
          if (before != wsubroutine && before != wfunction && twobefore != wfunction) {
            core::msgkey.set(xeqkeys::xeqstack);
            at = At::error;
            break;
          }
        }
        if (alarmreset) {
          alarmreset = false;
          core::xeqstackbase = 1;
          framesdropped();
          droptexts();
        }
        ++core::xeqline;
        jumpedflag = 0;
        at = At::looptest;
        break;
      }

      case At::looptest: {
        if (stopline != 0 && core::xeqline == stopline) {
          stopline = 0;
          core::xeqstop = stops::end;
          at = At::stop;
          break;
        }
        if (core::xeqstop == 0 && core::xeqline > core::nstmt && !single()) {
          core::xeqstop = stops::end;
          at = At::stop;
          break;
        }
        if (textitself()) return;
        if (core::idecmd > 0 && core::xeqstop == 0) {
          at = At::head;
          break;
        }
        if (core::keyrec[1] != 1) {
          // (Input may edit and compile lines: forms look at their words again.)
          if (!win::queue_idle()) fast::newrun();
          runinputstep();
        }
        if (core::idecmd == 999) {
          core::xeqmode &= core::runmode::compiled;
          core::xeqstop = stops::quit;
          return;
        }
        if (core::keyrec[1] == 1) {
          if (callbackmode()) {
            core::xeqstop = stops::broken;
            at = At::stop;
            break;
          }
          if (core::idecmd <= 0) {
            core::keyrec[1] = 0;
            core::xeqstop = stops::broken;
            if (eventlabel > 0) core::edmark = core::edmarkall;
            at = At::stop;
            break;
          }
        } else if (core::keyrec[0] != 0 && !callbackmode()) {
          // A typed character jumps to the label of that one-character name.
          const char c = static_cast<char>(core::keyrec[0]);
          std::int32_t k = 0;
          if (core::FINDSN(std::string_view(&c, 1), k, 2) && core::I2EQUZ(1, k) > 0) {
            core::keyrec[0] = 0;
            core::xeqline = core::I2EQUZ(1, k);
            break;  // back to the loop test's first step
          }
        }
        if (core::xeqstop == stops::cancel && core::idecmd == -14) {
          core::idecmd = -1;
          core::xeqmode &= ~core::runmode::running;
        }
        at = (core::xeqmode & core::runmode::running) && core::xeqstop == 0 ? At::head : At::stop;
        break;
      }

      case At::stop: {
        if (callbackmode()) return;
        const std::int32_t s = core::xeqstop;
        if (s > 0 && core::nomsg >= 1 && single() && calldepth > 0) {
          // The error label of a statement in a function or subroutine that
          // the text of XEQ references: the run goes on at it here, as the
          // run driver goes on at a label of the program (the driver cannot:
          // the return leads back into the text).
          const std::int32_t label = core::errorlabelline(core::nomsg);
          if (label >= 1) {
            core::xeqline = label;
            core::xeqstop = 0;
            at = At::head;
            break;
          }
          core::STOPATMISSINGLABEL();
        }
        // The run ends: tables set up for no window go.
        if ((s == stops::end || s == stops::returned || s > 0) &&
            tablecalls.releasetables != nullptr)
          tablecalls.releasetables();
        // The run is over, unless an error label takes the failure: a CALL
        // that ends a loop still has its loop end to run after the return.
        if (s == stops::end || (s > 0 && core::nomsg < 1) || s == stops::broken) calltail = 0;
        if (s == stops::end || s > 0) {
          resumecode = 0;
          xeqstartpos = 0;
          if (core::nomsg != 0) return;
          if ((core::xeqmode & core::runmode::trace) && s == stops::cancel) {
            core::xeqstop = 0;
            core::edflags &= ~0x10;
          }
          core::xeqmode &= core::runmode::compiled;
          stoppedflag = 0xFF;
          return;
        }
        if (s == stops::broken) {
          const std::int32_t one = 1;
          CLRALA(one);
        }
        return;
      }

      case At::error:
        flushdeferred();
        at = errorexit();
        break;
    }
  }
}

void runstage(std::span<const std::int16_t> code) {
  const bool text = single();
  XEQ(code);
  // The driver is busy with the XEQ statement whose text this is: a
  // statement that it would carry out after the text cannot run.
  if (text) refusehandback(xeqkeys::xeqtextstmt);
}

void installexecutor() {
  core::xeqstage = &runstage;
  install_wordhandlers();
}

namespace {
[[maybe_unused]] const bool installed = (installexecutor(), true);
}  // namespace

void reset_xeq() {
  running = {};
  stopline = firsttemp = stmtstart = stmtend = wordpos = xeqstartpos = stmtflags = 0;
  droptexts();
  rerunflag = false;
  jumpedflag = 0;
  calldepth = callkind = calltail = 0;
  resumecode = resumemarker = savedmode = 0;
  eventcmd = eventlabel = 0;
  stoppedflag = 0;
  evtflags = alarmwaitline = 0;
  alarmreset = false;
  solvetarget = 0;
  tablehwnd = nullptr;
  tablescope = 0;
  std::copy_n("        ", 8, opclass);
  errsubject = 1;
  reset_control();
}

}  // namespace exec
