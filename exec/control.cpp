#include "exec/assign.h"
#include "exec/control.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/formalkinds.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/alarms.h"
#include "exec/fastpath.h"
#include "exec/heldtexts.h"
#include "exec/postfix.h"
#include "exec/wholefolds.h"
#include "exec/windowlist.h"
#include "exec/xeqtemps.h"

namespace exec {

namespace {

using core::adrs;
using core::name;
using core::z;

using core::cwcode;
using core::cwcount;

std::int32_t top() {
  const std::int32_t p = core::xeqstackptr;
  return p > core::xeqstackbase && p >= 1 && p <= adrs.size() ? adrs.data()[p - 1] : 0;
}
double value(std::int32_t s) { return s >= 0 && s < z.size() ? z.data()[s] : 0.0; }
// Leaves the call frame whose base is b (valid): the caller's texts,
// stack, scope, base, word, temporaries and kind of call come back.
[[gnu::always_inline]] inline void popframe(std::int32_t b) {
  const std::int32_t* const frame = adrs.ptr(b - 4) - 1;  // frame[k] is adrs(b - 5 + k)
  releasetexts(b);
  core::xeqstackptr = b - framesize;
  core::lokalscope = frame[1];
  framegone(frame[1]);
  core::xeqstackbase = frame[2];
  wordpos = frame[3];
  firsttemp = frame[4];
  callkind = frame[5];
}
void pop() {
  if (core::xeqstackptr > core::xeqstackbase) --core::xeqstackptr;
}
void push(std::int32_t e) {
  const std::int32_t p = ++core::xeqstackptr;
  if (p >= 1 && p <= adrs.size()) adrs.data()[p - 1] = e;
}
bool validsym(std::int32_t s) { return s >= 1 && s <= core::nsym && name.valid(s); }

WordResult fail(std::string_view key, std::int32_t subject) {
  core::msgkey.set(key);
  errsubject = subject;
  return WordResult::error;
}

WordResult jump(std::int32_t line) {
  core::xeqline = line;
  return WordResult::looptest;
}

// The value v of a word becomes the statement's result.
void asresult(double v) {
  if (z.valid(core::iresult)) z(core::iresult) = v;
  takeresult(core::xeqstackptr > core::xeqstackbase ? 1 : 0);
}

// Position of the header word of the SUBROUTINE or FUNCTION statement s.
std::int32_t headerpos(std::int32_t s, bool function) {
  const std::int32_t next = core::stmtstart(s + 1);
  if (next < 3) return 0;
  return next - (function ? 3 : 2);
}

bool isfunction(std::int32_t s) { return (name(s).type & 0x5) == 0x5; }

// Saved mode (low byte) and command (high byte) of field 3.
std::int16_t packmode(std::int32_t mode, std::int32_t cmd) {
  return static_cast<std::int16_t>((mode & 0xFF) | ((cmd & 0xFF) << 8));
}
std::int32_t savedmodeof(std::int16_t f3) { return static_cast<std::uint16_t>(f3) & 0xFF; }
std::int32_t savedcmdof(std::int16_t f3) {
  return static_cast<std::int8_t>((static_cast<std::uint16_t>(f3) >> 8) & 0xFF);
}

bool shiftheld() { return (core::keyrec[2] & 1) != 0; }

// CALL (0xE080) or function reference (0xE160) with n arguments.
WordResult call(std::int16_t w) {
  const std::int32_t n = cwcount(w);
  const bool function = cwcode(w) == wfunction;
  const std::int32_t argbase = core::xeqstackptr - n;  // position of S
  const std::int32_t S = argbase > core::xeqstackbase && adrs.valid(argbase) ? adrs(argbase) : 0;
  if (!validsym(S)) return fail(xeqkeys::notpossible, 1);
  const std::int32_t f1 = core::I2EQUZ(1, S);
  if (f1 < 1 || f1 > core::nstmt) return fail(xeqkeys::labelsub, S);
  // The run came to the FUNCTION line itself (its header names the
  // function as a reference does): only a call enters a function. (The
  // text of XEQ or of a Quicky runs in no statement of the program: the
  // statement it stands for may be any, the FUNCTION line among them.)
  const bool fromtext = (core::xeqmode & core::runmode::single) != 0 && calldepth == 0;
  if (f1 == core::xeqline && !fromtext && (function || subactive(S)))
    return fail(reachedsubkey, S);
  // Calls are not re-entrant: a second call of an active subroutine would
  // overwrite its return statement and frame.
  if (subactive(S)) return fail(activesubkey, S);
  // (An event's handler, called in place of a word, is no CALL of the
  // statement's own.)
  const bool looptail = !function && core::idecmd <= 0 && labelledtail() != 0;
  return enter(callee(S, f1, function), n, nullptr, looptail);
}

// DO header (0xEC20, 0xEC60 with the parameter count).
WordResult dohead(std::int16_t w) {
  const std::int32_t var = top();
  pop();
  if (core::xeqstackptr - core::xeqstackbase != 1) return fail(xeqkeys::doprefix, 1);
  donargs = cwcount(w);
  stmtflags |= 0x10;
  const std::int32_t D = top();
  if (!validsym(D) || name(D).adr <= 0) return fail(xeqkeys::notpossible, D > 0 ? D : 1);
  dosym = D;
  // The forms of loop ends keep the record: they look again when it changes.
  if (core::I2EQUZ(3, D) != var || core::I2EQUZ(2, D) != core::xeqline) fast::stir();
  core::SETI2EQUZ(3, D, static_cast<std::int16_t>(var));
  core::SETI2EQUZ(2, D, static_cast<std::int16_t>(core::xeqline));
  adrs(core::xeqstackptr) = var;
  return WordResult::next;
}

// The test of a loop end: done when the variable has passed the limit.
// A variable, limit or step that is no number never passes: the loop
// stops the run instead of going round for ever.
WordResult looptest(std::int32_t D) {
  const std::int32_t var = core::I2EQUZ(3, D);
  const std::int32_t a = name(D).adr;
  const double limit = value(a), step = value(a + 1), v = value(var);
  if (std::isnan(v) || std::isnan(limit) || std::isnan(step))
    return fail(xeqkeys::donan, var > 0 ? var : 1);
  const double sign = step < 0.0 ? -1.0 : 1.0;
  if ((v - limit) * sign - zeps > 0.0) {
    // A loop whose end is not written yet (a script typed top down, its
    // ENDDO or label line still to come) is left past the last statement.
    const std::int32_t end = core::I2EQUZ(1, D);
    core::xeqline = end >= 1 ? end : core::nstmt;
  }
  core::xeqstackptr = core::xeqstackbase + 1;
  adrs(core::xeqstackptr) = var;
  return WordResult::endstmt;
}

// The end of the loop whose record is on top of the stack.
WordResult loopendof() {
  const std::int32_t D = top();
  // The compiler records the DO statement and the loop variable already;
  // a loop whose DO never ran still has no step (every DO sets one), and
  // its end falls through instead of looping on empty parameters.
  if (!validsym(D) || core::I2EQUZ(2, D) <= 0 || core::I2EQUZ(3, D) <= 0 || name(D).adr <= 0 ||
      value(name(D).adr + 1) == 0.0) {
    pop();
    return WordResult::next;
  }
  const std::int32_t var = core::I2EQUZ(3, D);
  if (z.valid(var)) z(var) += value(name(D).adr + 1);
  core::xeqline = core::I2EQUZ(2, D);
  return looptest(D);
}

// ENDDO (0xEC40) or CONTINUE (0xECA0).
WordResult loopend() {
  if (stmtflags & 0x10) return looptest(dosym);
  return loopendof();
}

// The vectorisation word (0xF420).
WordResult vectorise() {
  // (An array in the argument of a fold over whole arrays takes the fold's element.)
  if (WordResult r = WordResult::next; wholefold::element(r)) return r;
  rerunflag = true;
  const std::int32_t A = top();
  const double k = std::round(value(1));
  const std::int32_t rows = validsym(A) ? core::I4EQUZ(1, A) : 0;
  const std::int32_t cols = validsym(A) ? core::I4EQUZ(2, A) : 0;
  if (!validsym(A) || k > static_cast<double>(rows) * cols || k < 1.0) {
    // The source is used up: the statement ends here, its operands with it.
    flushdeferred();
    rerunflag = false;
    core::xeqstackptr = core::xeqstackbase;
    return WordResult::endstmt;
  }
  adrs(core::xeqstackptr) = name(A).adr + static_cast<std::int32_t>(k) - 1;
  return WordResult::next;
}

}  // namespace

bool callerframe(std::int32_t s, std::int32_t b) {
  // The frames down the stack, each below the one above it.
  const std::int32_t* const stack = adrs.data() - 1;  // stack[i] is adrs(i)
  const auto size = static_cast<std::int32_t>(adrs.size());
  while (b > framesize && b <= size) {
    if (stack[b - 4] == s) return true;
    const std::int32_t below = stack[b - 3];
    if (below >= b) break;
    b = below;
  }
  return false;
}

Callee callee(std::int32_t S, std::int32_t f1, bool function) {
  Callee c;
  c.S = S;
  c.f1 = f1;
  c.function = function;
  c.hp = headerpos(f1, function);
  c.formals = c.hp >= 1 && core::xeqbuf.valid(c.hp) ? cwcount(core::xeqbuf(c.hp)) : 0;
  return c;
}

WordResult enter(const Callee& c, std::int32_t n, const std::int32_t* formals, bool looptail) {
  const std::int32_t S = c.S;
  const bool function = c.function;
  const std::int32_t argbase = core::xeqstackptr - n;
  core::SETI2EQUZ(4, S, static_cast<std::int16_t>(n));
  ++calldepth;
  // The frame: five entries above the actuals.
  const std::int32_t p = core::xeqstackptr;
  const std::int32_t frame[framesize] = {core::lokalscope, core::xeqstackbase, wordpos, firsttemp,
                                         function ? wfunction : wcall};
  framekept(core::lokalscope);
  if (p >= 0 && p + framesize <= adrs.size()) {
    std::copy_n(frame, framesize, adrs.data() + p);
    core::xeqstackptr = p + framesize;
  } else {
    for (const std::int32_t e : frame) push(e);
  }
  core::xeqstackbase = core::xeqstackptr;
  // (The calling statement's texts stay where they are till the return.)
  holdtexts(core::xeqstackbase);
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s) (S is valid)
  core::lokalsub = records[S].scope;
  core::lokalscope = S;
  if (function) {
    if (z.valid(S + 1)) z(S + 1) = unassigned;
    firsttemp = core::iresult;
    keepdollar(S, value(1));
  } else {
    // (A CALL's statement ends at the return: its subroutine's statements
    // start without a rerun.)
    rerunflag = false;
  }
  // The formals take the actuals' types, addresses and values.
  const std::int32_t m = std::min(c.formals, n);
  const std::int32_t nname =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
  if (m > 0 && !adrs.valid(argbase + m)) adrs(argbase + m);  // (actuals past the stack: a fault)
  const std::int32_t* const actuals = m > 0 ? adrs.ptr(argbase + 1) : nullptr;
  double* const cells = z.data();
  const std::int32_t zsize = static_cast<std::int32_t>(z.size());
  std::int32_t formal = records[S].link;
  bool retyped = false;
  for (std::int32_t i = 0; i < m; ++i) {
    if (formals != nullptr) {
      formal = formals[i];
    } else if (!validsym(formal) || formal >= zsize) {
      if (validsym(formal)) z(formal);  // (a formal past the values is a fault)
      return fail(xeqkeys::notpossible, S);
    }
    const std::int32_t a = actuals[i];
    core::SymbolRecord& f = records[formal];
    const bool symbol = bindsname(a, nname, records);
    const std::int16_t type = symbol ? records[a].type : std::int16_t{0xA0};
    const std::int32_t adr = symbol ? records[a].adr : 0;
    // The statements that name the formal were made for its type.
    const double cell = a >= 0 && a < zsize ? cells[a] : 0.0;
    if ((f.type != type || f.adr != adr || fast::reshaped(type, cells[formal], cell)) && !retyped) {
      if (f.adr == adr && fast::readsalike(f.type) && fast::readsalike(type)) {
        fast::reclassed(S, c.f1, formal);
      } else {
        fast::retyped(c.f1);
        retyped = true;
      }
    }
    f.type = type;
    f.adr = adr;
    cells[formal] = cell;
    formal = f.link;
  }
  // A formal of unknown kind bound to an array, or no longer: its
  // statements take the words made for the kinds the formals have now.
  if (retyped) core::formalkinds::rebind(S, m);
  std::int16_t f3 = packmode(core::xeqmode & core::runmode::framebits, 0);
  // The statements of a function or subroutine that the text of XEQ
  // references run on to its return, which brings the text's mode back.
  if (core::xeqmode & core::runmode::single) core::xeqmode |= core::runmode::running;
  if (core::idecmd == -1 && !shiftheld()) {
    core::idecmd = 13;
    ++core::xeqline;
  }
  std::int32_t back = 0;
  if (core::idecmd <= 0) {
    back = core::xeqline + 1;
    f3 = packmode(savedmodeof(f3), core::idecmd);
  } else {
    back = core::xeqline;
    core::idecmd = -core::idecmd;
    const std::int32_t prev = alarmsavedcmd > 127 ? -1 : alarmsavedcmd;
    // A dialog's routine called while the run waits for that dialog: the
    // run waits again once the routine is back.
    const std::int32_t mode =
        savedmodeof(f3) | (eventcmd != 0 && awaitedopen() ? core::runmode::suspended : 0);
    f3 = packmode(mode, prev);
    if ((core::xeqmode & core::runmode::single) == 0) core::xeqmode |= core::runmode::running;
  }
  // (Stepped over or not, `back` is the statement after the CALL's: the
  // CALL's own instead, for its loop end.)
  if (looptail) calltail = --back;
  // The record: the return statement, mode and command.
  std::int16_t record[4];
  std::memcpy(record, cells + S, sizeof record);
  record[1] = static_cast<std::int16_t>(back);
  record[2] = f3;
  std::memcpy(cells + S, record, sizeof record);
  return jump(c.f1 + 1);
}

WordResult leave(std::int16_t w, const Callee* known) {
  eventlabel = 0;
  core::xeqstop = cwcode(w) == wend ? stops::end : stops::returned;
  --calldepth;
  if ((core::xeqmode & core::runmode::callback) && calldepth < 0) return WordResult::leave;
  const std::int32_t S = core::lokalscope;
  if (S <= 0 || !validsym(S)) {
    core::idecmd = -1;
    alarmsavedcmd = -1;
    core::xeqmode &= core::runmode::compiled;
    return WordResult::looptest;
  }
  const bool function = isfunction(S);
  double* const cells = z.data();
  const std::int32_t zlast = static_cast<std::int32_t>(z.last());
  // A function without a value returns all the same; the error is then
  // the calling statement's, with the function as its subject.
  const bool novalue =
      function && S + 1 <= zlast &&
      std::bit_cast<std::uint64_t>(cells[S + 1]) == std::bit_cast<std::uint64_t>(unassigned);
  // The record: 1 the statement, 2 the return statement, 3 mode and command, 4 the count.
  std::int16_t record[4] = {0, 0, 0, 0};
  if (S <= zlast) std::memcpy(record, cells + S, sizeof record);
  const std::int32_t f1 = record[0], f2 = record[1], f4 = record[3];
  const std::int16_t f3 = record[2];
  if (f4 < 0 || f1 <= 0 || f2 <= 0) {
    // Entered without a call: the run ends here.
    callkind = 0;
    core::xeqstackbase = 1;
    framesdropped();
    droptexts();
    core::lokalsub = 0;
    core::lokalscope = 0;
    return WordResult::looptest;
  }
  core::SETI2EQUZ(2, S, 0);
  const double v = function ? value(S + 1) : 0.0;
  core::xeqstop = 0;
  if (core::idecmd == -14) {
    core::idecmd = -1;
    core::edvars(core::edv::curline) = f2;
  }
  core::xeqline = f2;
  const std::int32_t calleefirst = firsttemp;
  // ALARM(0) and ALARM(-1) drop every call frame at the end of their
  // statement: a subroutine that returns after that has no caller to go
  // back to but the main program, at the statement after its CALL, which
  // runs on as the run did; a function cannot hand its value to the
  // statement that called it.
  const bool dropped = core::xeqstackbase <= framesize;
  if (dropped) {
    callkind = 0;
    core::lokalscope = 0;
    if (function) {
      --core::xeqline;
      return fail(xeqkeys::fncdropped, S);
    }
  } else {
    const std::int32_t b = core::xeqstackbase;
    if (!adrs.valid(b)) adrs(b);  // (a frame past the stack is a fault)
    popframe(b);
    const Callee c =
        known != nullptr && known->S == S && known->f1 == f1 && known->function == function
            ? *known
            : callee(S, f1, function);
    const std::int32_t hp = c.hp, formals = c.formals;
    const std::int32_t m = std::min(formals, f4);
    // A header with text after its formals gives a count that does not fit
    // the words before it: no actual can be given back.
    if (m > 0 && !core::xeqbuf.valid(hp - formals)) return fail(xeqkeys::notpossible, S);
    if (m > 0) {
      const std::int16_t* const header = core::xeqbuf.ptr(hp - formals);
      const std::int32_t* const actuals = adrs.ptr(core::xeqstackptr - f4 + 1);
      for (std::int32_t i = 0; i < m; ++i) {
        const std::int32_t formal = header[i];
        const std::int32_t a = actuals[i];
        // An actual is a symbol or the cell of an array element.
        if (formal >= 1 && formal <= zlast && a >= 1 && a <= zlast) cells[a] = cells[formal];
      }
    }
  }
  const std::int32_t scope = core::lokalscope;
  core::lokalsub = scope > 0 && validsym(scope) ? name.data()[scope - 1].scope : 0;
  const std::int32_t mode = dropped ? core::xeqmode : savedmodeof(f3);
  core::xeqmode = stoppedflag ? (mode & ~core::runmode::running) : mode;
  core::xeqstop = (mode & 0x02) && scope == tablescope ? stops::callback : 0;
  if (core::idecmd >= -9 && core::idecmd <= -2) core::edvars(core::edv::curline) = f2;
  core::idecmd = dropped ? -1 : savedcmdof(f3);
  if (alarmsavedcmd == core::idecmd) alarmsavedcmd = -1;
  if (shiftheld()) {
    core::xeqmode = core::runmode::compiled;
  } else if (core::idecmd < -1 && core::idecmd != -13) {
    core::xeqmode |= core::runmode::running;
  }
  if (function) {
    if (zlast >= 1) givedollar(S, cells);
    --core::xeqline;
    loadbounds();
    if (novalue) return fail(xeqkeys::nofncassign, S);
    core::xeqstackptr -= f4;
    core::iresult = calleefirst;
    if (resultroom(core::iresult)) newtemprecord(core::iresult);
    if (z.valid(core::iresult)) z(core::iresult) = v;
    takeresult(1);
    ++wordpos;
    return WordResult::stay;
  }
  // The CALL statement is over: its subroutine and arguments leave the
  // stack, so that the next statement starts from its base even when it
  // is an empty one (a comment line).
  core::xeqstackptr = std::max(core::xeqstackptr - f4 - 1, core::xeqstackbase);
  return (core::xeqmode & core::runmode::running) ? WordResult::looptest : WordResult::leave;
}

void dropcalls() {
  while (calldepth > 0 && core::xeqstackbase > framesize) {
    const std::int32_t S = core::lokalscope;
    if (validsym(S)) core::SETI2EQUZ(2, S, 0);
    const std::int32_t b = core::xeqstackbase;
    if (!adrs.valid(b)) break;
    popframe(b);
    --calldepth;
  }
  const std::int32_t scope = core::lokalscope;
  core::lokalsub = validsym(scope) ? name(scope).scope : 0;
}

bool iscontrolword(std::int16_t w) {
  const auto u = static_cast<std::uint16_t>(w);
  if (u == wblockjump) return true;
  if (!core::isstmtword(u)) return false;
  return !((core::issubscript(u) || core::issubscriptstore(u)) && cwcode(u) != wwholearray);
}

std::int32_t blocktarget() { return codeword(stmtend - 2); }

std::int32_t labelledtail() {
  return codeword(stmtend - 2) == static_cast<std::int16_t>(wcontinue) && codeword(stmtend - 3) > 0
             ? 2
             : 0;
}

WordResult labelledloopend() {
  push(codeword(stmtend - 3));
  return loopendof();
}

WordResult blockjump(std::int32_t subject) {
  const std::int32_t t = blocktarget();
  if (t <= 0) return fail(xeqkeys::noendif, subject);
  jumpedflag = 0xFF;
  return jump(t);
}

namespace {

// The statement that an ELSEIF whose words end with w, t and the end word
// names, when it is to be passed over once its chain took a branch; else 0.
std::int32_t elseiftarget(std::int16_t w, std::int16_t t) {
  // (The older form, that of a condition which references a function: an
  // ELSEIF of the executor form tests its condition, which counts as false
  // then.)
  if (w >= 0 || cwcode(static_cast<std::uint16_t>(w)) != welseif) return 0;
  return t > 0 ? t : 0;
}

}  // namespace

std::int32_t passableelseif(std::span<const std::int16_t> words) {
  const std::size_t n = words.size();
  return n >= 3 ? elseiftarget(words[n - 3], words[n - 2]) : 0;
}

bool passedelseif() {
  const std::int32_t t = elseiftarget(codeword(stmtend - 3), codeword(stmtend - 2));
  if (t == 0 || !chaintaken(core::xeqline)) return false;
  blockstep(core::cwu(core::xform::elseifword), core::xeqline, false, t);
  jumpedflag = 0xFF;
  jump(t);
  return true;
}

WordResult controlword(std::int16_t w) {
  const auto u = static_cast<std::uint16_t>(w);
  if (u == wblockjump) return jumpedflag ? WordResult::next : blockjump(1);
  // An END that closed DO loops still open: the compile listed it.
  if (w == core::endopendo) return fail(xeqkeys::notcorrected, 1);
  // The words that find their operands themselves.
  switch (cwcode(u)) {
    case wcall:
    case wfunction:
      return call(w);
    case wend:
    case wreturn:
      return leave(w, nullptr);
    case wdoblock:
    case wdo:
      return dohead(w);
    case wenddo:
    case wcontinue:
      return loopend();
    case wwholearray:
      return vectorise();
    default:
      break;
  }
  const std::int32_t s = top();
  const double v = value(s);
  switch (cwcode(u)) {
    case wlabel:
      core::nomsg = s;
      pop();
      return WordResult::next;
    case wgoto: {
      const std::int32_t at = validsym(s) ? core::I2EQUZ(1, s) : 0;
      if (at > 0) return jump(at);
      return fail(xeqkeys::labelsub, s > 0 ? s : 1);
    }
    case wif:
      pop();
      // A true condition leaves nothing of the IF on the stack: the words
      // of the statement it guards find the stack as if they stood alone.
      if (v != 0.0) {
        condpassstmt = rerunflag ? stmtstart : 0;
        condpassbase = core::xeqstackbase;
        return WordResult::next;
      }
      // Skipped is the guarded statement only: the label and loop end of
      // a labelled IF still run, so that a DO loop ending on it goes on.
      wordpos = stmtend - 2 - labelledtail();
      // (A false condition also ends the statement's passes over arrays.)
      rerunflag = false;
      asresult(v);
      return WordResult::next;
    case wifblock:
    case welseif:
    case welse:
    case wendif: {
      // The block words of the older form (a condition that references a
      // function) take the same step of the run-time block stack as those
      // of the executor form, so that one chain may hold both.
      const std::uint32_t kind = u == wifblock  ? core::cwu(core::xform::blockif)
                                 : u == welseif ? core::cwu(core::xform::elseifword)
                                 : u == welse   ? core::cwu(core::xform::elseword)
                                                : core::cwu(core::xform::endifword);
      const BlockStep r = blockstep(kind, core::xeqline, v != 0.0, blocktarget());
      if (!r.skip) return WordResult::endstmt;
      return blockjump(s > 0 ? s : 1);
    }
    case wthen:
      if (v != 0.0) return WordResult::endstmt;
      return blockjump(s > 0 ? s : 1);
    default:
      break;
  }
  asresult(v);
  return WordResult::next;
}

bool doheader() {
  if ((stmtflags & 0x10) != 0) return true;
  // A function referenced in the loop's parameters ran statements of its
  // own, which took the notes of the DO word: they are read again from the
  // statement's words (the loop's label, its variable, the DO word).
  if (wordpos <= stmtstart + 2) return false;
  const std::int16_t d = codeword(stmtstart), v = codeword(stmtstart + 1);
  const std::int16_t w = codeword(stmtstart + 2);
  if (d <= 0 || v <= 0 || (cwcode(w) != wdo && cwcode(w) != wdoblock)) return false;
  stmtflags |= 0x10;
  dosym = d;
  donargs = cwcount(w);
  return true;
}

bool takedoparams() {
  if (donargs == 2) {
    if (name.valid(dosym) && z.valid(name(dosym).adr + 1)) z(name(dosym).adr + 1) = value(top());
    pop();
    donargs = 1;
  } else if (name.valid(dosym) && z.valid(name(dosym).adr + 1)) {
    z(name(dosym).adr + 1) = 1.0;
  }
  if (donargs != 1) {
    core::msgkey.set(xeqkeys::stinkingdo);
    errsubject = dosym > 0 ? dosym : 1;
    return false;
  }
  if (name.valid(dosym) && z.valid(name(dosym).adr)) z(name(dosym).adr) = value(top());
  pop();
  return true;
}

WordResult doendtest() { return looptest(dosym); }

void reset_control() {
  dollarkept.clear();
  dosym = 0;
  donargs = 0;
}

}  // namespace exec
