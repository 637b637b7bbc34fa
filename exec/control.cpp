#include "exec/control.h"

#include <bit>
#include <cmath>
#include <vector>

#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/fastpath.h"
#include "exec/xeqtemps.h"

namespace exec {

namespace {

using core::adrs;
using core::name;
using core::z;

std::uint16_t fam(std::int16_t w) { return static_cast<std::uint16_t>(w) & 0xFFE0u; }
std::int32_t count(std::int16_t w) { return static_cast<std::uint16_t>(w) & 0x1Fu; }

std::int32_t top() {
  const std::int32_t p = core::xeqstackptr;
  return p > core::xeqstackbase && p >= 1 && p <= adrs.size() ? adrs.data()[p - 1] : 0;
}
double value(std::int32_t s) { return s >= 0 && s < z.size() ? z.data()[s] : 0.0; }
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
  const std::int32_t n = count(w);
  const bool function = fam(w) == wfunction;
  const std::int32_t argbase = core::xeqstackptr - n;  // position of S
  const std::int32_t S = argbase > core::xeqstackbase && adrs.valid(argbase) ? adrs(argbase) : 0;
  if (!validsym(S)) return fail(xeqkeys::notpossible, 1);
  const std::int32_t f1 = core::I2EQUZ(1, S);
  if (f1 < 1 || f1 > core::nstmt) return fail(xeqkeys::labelsub, S);
  // Calls are not re-entrant: a second call of an active subroutine would
  // overwrite its return statement and frame.
  if (subactive(S)) return fail(activesubkey, S);
  core::SETI2EQUZ(4, S, static_cast<std::int16_t>(n));
  ++calldepth;
  const std::int32_t hp = headerpos(f1, function);
  const std::int32_t formals = hp >= 1 && core::xeqbuf.valid(hp) ? count(core::xeqbuf(hp)) : 0;
  push(core::lokalscope);
  push(core::xeqstackbase);
  push(wordpos);
  push(firsttemp);
  push(function ? wfunction : wcall);
  core::xeqstackbase = core::xeqstackptr;
  core::lokalsub = name(S).scope;
  core::lokalscope = S;
  if (function) {
    if (z.valid(S + 1)) z(S + 1) = unassigned;
    firsttemp = core::iresult;
    keepdollar(S, value(1));
  }
  std::int32_t formal = name(S).link;
  for (std::int32_t i = 1; i <= std::min(formals, n); ++i) {
    if (!validsym(formal)) return fail(xeqkeys::notpossible, S);
    const std::int32_t a = adrs(argbase + i);
    core::SymbolRecord& f = name(formal);
    const bool symbol = a >= 1 && a <= core::nname && name.valid(a);
    const std::int16_t type = symbol ? name(a).type : std::int16_t{0xA0};
    const std::int32_t adr = symbol ? name(a).adr : 0;
    // The statements that name the formal were made for its type.
    if (f.type != type || f.adr != adr) fast::stir();
    f.type = type;
    f.adr = adr;
    z(formal) = value(a);
    formal = f.link;
  }
  std::int16_t f3 = packmode(core::xeqmode & 0x7F, 0);
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
    f3 = packmode(savedmodeof(f3), prev);
    if ((core::xeqmode & 0x40) == 0) core::xeqmode |= 0x04;
  }
  core::SETI2EQUZ(2, S, static_cast<std::int16_t>(back));
  core::SETI2EQUZ(3, S, f3);
  return jump(f1 + 1);
}

// END (0xE0C0) or RETURN (0xE120).
WordResult ret(std::int16_t w) {
  eventlabel = 0;
  core::xeqstop = fam(w) == wend ? stops::end : stops::returned;
  --calldepth;
  if ((core::xeqmode & 0x20) && calldepth < 0) return WordResult::leave;
  const std::int32_t S = core::lokalscope;
  if (S <= 0 || !validsym(S)) {
    core::idecmd = -1;
    alarmsavedcmd = -1;
    core::xeqmode &= 8;
    return WordResult::looptest;
  }
  const bool function = isfunction(S);
  // A function without a value returns all the same; the error is then
  // the calling statement's, with the function as its subject.
  const bool novalue =
      function && z.valid(S + 1) &&
      std::bit_cast<std::uint64_t>(z(S + 1)) == std::bit_cast<std::uint64_t>(unassigned);
  const std::int32_t f1 = core::I2EQUZ(1, S), f2 = core::I2EQUZ(2, S);
  const std::int32_t f4 = core::I2EQUZ(4, S);
  const std::int16_t f3 = core::I2EQUZ(3, S);
  if (f4 < 0 || f1 <= 0 || f2 <= 0) {
    // Entered without a call: the run ends here.
    callkind = 0;
    core::xeqstackbase = 1;
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
  if (core::xeqstackbase > framesize) {
    const std::int32_t b = core::xeqstackbase;
    core::xeqstackptr = b - framesize;
    core::lokalscope = adrs(b - 4);
    core::xeqstackbase = adrs(b - 3);
    wordpos = adrs(b - 2);
    firsttemp = adrs(b - 1);
    callkind = adrs(b);
    const std::int32_t hp = headerpos(f1, function);
    const std::int32_t formals = hp >= 1 && core::xeqbuf.valid(hp) ? count(core::xeqbuf(hp)) : 0;
    const std::int32_t m = std::min(formals, f4);
    // A header with text after its formals gives a count that does not fit
    // the words before it: no actual can be given back.
    if (m > 0 && !core::xeqbuf.valid(hp - formals)) return fail(xeqkeys::notpossible, S);
    for (std::int32_t i = 1; i <= m; ++i) {
      const std::int32_t formal = core::xeqbuf(hp - formals + i - 1);
      const std::int32_t a = adrs(core::xeqstackptr - f4 + i);
      // An actual is a symbol or the cell of an array element.
      if (formal >= 1 && z.valid(formal) && a >= 1 && z.valid(a)) z(a) = z(formal);
    }
  }
  core::lokalsub =
      core::lokalscope > 0 && validsym(core::lokalscope) ? name(core::lokalscope).scope : 0;
  const std::int32_t mode = savedmodeof(f3);
  core::xeqmode = stoppedflag ? (mode & ~0x04) : mode;
  core::xeqstop = (mode & 0x02) && core::lokalscope == tablescope ? stops::callback : 0;
  if (core::idecmd >= -9 && core::idecmd <= -2) core::edvars(core::edv::curline) = f2;
  core::idecmd = savedcmdof(f3);
  if (alarmsavedcmd == core::idecmd) alarmsavedcmd = -1;
  if (shiftheld()) {
    core::xeqmode = 8;
  } else if (core::idecmd < -1 && core::idecmd != -13) {
    core::xeqmode |= 0x04;
  }
  if (function) {
    if (static_cast<std::size_t>(S) < dollarkept.size() && z.valid(1))
      z(1) = dollarkept[static_cast<std::size_t>(S)];
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
  return (core::xeqmode & 0x04) ? WordResult::looptest : WordResult::leave;
}

// DO header (0xEC20, 0xEC60 with the parameter count).
WordResult dohead(std::int16_t w) {
  const std::int32_t var = top();
  pop();
  if (core::xeqstackptr - core::xeqstackbase != 1) return fail(xeqkeys::doprefix, 1);
  donargs = count(w);
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
WordResult looptest(std::int32_t D) {
  const std::int32_t var = core::I2EQUZ(3, D);
  const std::int32_t a = name(D).adr;
  const double limit = value(a), step = value(a + 1);
  const double sign = step < 0.0 ? -1.0 : 1.0;
  if ((value(var) - limit) * sign - zeps > 0.0) core::xeqline = core::I2EQUZ(1, D);
  core::xeqstackptr = core::xeqstackbase + 1;
  adrs(core::xeqstackptr) = var;
  return WordResult::endstmt;
}

// ENDDO (0xEC40) or CONTINUE (0xECA0).
WordResult loopend() {
  if (stmtflags & 0x10) return looptest(dosym);
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

// The vectorisation word (0xF420).
WordResult vectorise() {
  rerunflag = true;
  const std::int32_t A = top();
  const double k = std::round(value(1));
  const std::int32_t rows = validsym(A) ? core::I4EQUZ(1, A) : 0;
  const std::int32_t cols = validsym(A) ? core::I4EQUZ(2, A) : 0;
  if (!validsym(A) || k > static_cast<double>(rows) * cols || k < 1.0) {
    rerunflag = false;
    return WordResult::endstmt;
  }
  adrs(core::xeqstackptr) = name(A).adr + static_cast<std::int32_t>(k) - 1;
  return WordResult::next;
}

}  // namespace

bool iscontrolword(std::int16_t w) {
  const auto u = static_cast<std::uint16_t>(w);
  if (u == wblockjump) return true;
  if ((u & 0xE000u) != 0xE000u) return false;
  const std::uint16_t f = u & 0xFE00u;
  return !((f == 0xF400u || f == 0xF600u) && (u & 0xFFE0u) != 0xF420u);
}

std::int32_t blocktarget() { return codeword(stmtend - 2); }

WordResult blockjump(std::int32_t subject) {
  const std::int32_t t = blocktarget();
  if (t <= 0) return fail(xeqkeys::noendif, subject);
  jumpedflag = 0xFF;
  return jump(t);
}

bool subactive(std::int32_t s) {
  if (s == core::lokalscope) return true;
  for (std::int32_t b = core::xeqstackbase; b > framesize && adrs.valid(b);) {
    if (adrs(b - 4) == s) return true;
    const std::int32_t below = adrs(b - 3);
    if (below >= b) break;
    b = below;
  }
  return false;
}

WordResult controlword(std::int16_t w) {
  const auto u = static_cast<std::uint16_t>(w);
  if (u == wblockjump) return jumpedflag ? WordResult::next : blockjump(1);
  // An END that closed DO loops still open: the compile listed it.
  if (w == core::endopendo) return fail(xeqkeys::notcorrected, 1);
  // The words that find their operands themselves.
  switch (u & 0xFFE0u) {
    case wcall:
    case wfunction:
      return call(w);
    case wend:
    case wreturn:
      return ret(w);
    case 0xEC20:
    case 0xEC60:
      return dohead(w);
    case 0xEC40:
    case 0xECA0:
      return loopend();
    case 0xF420:
      return vectorise();
    default:
      break;
  }
  const std::int32_t s = top();
  const double v = value(s);
  switch (u & 0xFFE0u) {
    case 0xE000:
      core::nomsg = s;
      pop();
      return WordResult::next;
    case 0xE020: {
      const std::int32_t at = validsym(s) ? core::I2EQUZ(1, s) : 0;
      if (at > 0) return jump(at);
      return fail(xeqkeys::labelsub, s > 0 ? s : 1);
    }
    case 0xE040:
      pop();
      // A true condition leaves nothing of the IF on the stack: the words
      // of the statement it guards find the stack as if they stood alone.
      if (v != 0.0) return WordResult::next;
      wordpos = stmtend - 2;
      asresult(v);
      return WordResult::next;
    case 0xE800:
    case 0xE9C0:
    case 0xEA00:
      if (v != 0.0) return WordResult::endstmt;
      return blockjump(s > 0 ? s : 1);
    case 0xE9A0:
    case 0xE9E0:
      if (u == 0xE9A0 || u == 0xE9E0) return WordResult::endstmt;
      break;
    default:
      break;
  }
  asresult(v);
  return WordResult::next;
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
