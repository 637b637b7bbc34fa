#include "exec/builtins.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/datetime.h"
#include "core/namevalue.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/allocate.h"
#include "exec/appendix.h"
#include "exec/assign.h"
#include "exec/builtins_random.h"
#include "exec/control.h"
#include "exec/postfix.h"
#include "exec/strings.h"
#include "exec/tablecalls.h"
#include "exec/tempstrings.h"
#include "exec/varkommas.h"
#include "exec/wholefolds.h"
#include "exec/wordpath.h"
#include "exec/xeqtemps.h"
#include "toolkit/services.h"
#include "toolkit/timers.h"
#include "toolkit/window_proc.h"

namespace exec {

namespace {

using core::cwu;
using namespace wordpath;

constexpr double hugeval = std::numeric_limits<double>::max();
constexpr std::int16_t textassign = core::cw(core::CwFamily::word, "=text");

// A selection outside its string (it reads as one blank).
bool outside(std::int32_t e) {
  return e > 0 && (typeof_(e) & 0x48) == 0x48 && core::I4EQUZ(1, e) == outsidetext;
}

// The text of a value read in place (scratch holds a blank or a text that
// runs backwards); the view lasts while the character store stays where
// it is.
bool textview(std::int32_t e, std::string_view& out, std::string& scratch) {
  if (outside(e)) {
    scratch.assign(1, ' ');
    out = scratch;
    return true;
  }
  std::int32_t f = 0, l = 0;
  if (!textbounds(e, f, l)) return false;
  out = c1read(f, l, scratch);
  return true;
}

// The same text as a copy of its own.
bool textof(std::int32_t e, std::string& out) { return copiedtext(textview, e, out); }

// The elements of a numeric array argument; false when e is none.
bool arrayof(std::int32_t e, std::int32_t& adr, std::int64_t& count) {
  if (!issym(e) || core::NAMTYP(e, 0x10) == 0) return false;
  std::int32_t rows = 0, cols = 0;
  core::TRANSFERR8TO2I4(core::z(e), rows, cols);
  adr = core::name(e).adr;
  count = static_cast<std::int64_t>(std::max(rows, 0)) * std::max(cols, 0);
  return true;
}

WordResult result(double v, std::int32_t consumed) {
  core::z(core::iresult) = v;
  takeresult(consumed);
  return core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
}

// A temporary string over positions first..last as the result.
WordResult textresult(std::int32_t first, std::int32_t last, std::int32_t consumed) {
  const std::int32_t c = core::iresult;
  core::name(c).type = strtemptype;
  core::SETI4EQUZ(1, c, first);
  core::SETI4EQUZ(2, c, last);
  takeresult(consumed);
  return core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
}

// A new one-character text in the temporary area.
WordResult charresult(char ch, std::int32_t consumed) {
  const std::int32_t p = core::c1tmptop + 1;
  if (!charroom(p)) return fail(core::storelimitkey);
  core::c1namen(p) = ch;
  core::c1tmptop = p;
  return textresult(p, p, consumed);
}

// CHAR(k, n, text) and CHAR(i, j, rows, columns, text) as the evaluator
// computes them: a copy of the piece in the temporary area.
WordResult charpiece(std::int32_t nargs) {
  std::array<double, 4> numbers{};
  if (nargs != 3 && nargs != 5) return fail(vkerrkey(vkerr::charcommas));
  for (std::int32_t i = 0; i < nargs - 1; ++i)
    numbers[static_cast<std::size_t>(i)] = value(entry(nargs - 1 - i));
  std::string text;
  if (!textof(entry(0), text)) return fail(vkerrkey(vkerr::chartext), entry(0));
  std::int64_t from = 0, count = 0;
  if (const std::int32_t r = CHARPIECE(std::span<const double>(numbers.data(),
                                                               static_cast<std::size_t>(nargs - 1)),
                                       static_cast<std::int64_t>(text.size()), from, count);
      r != 0)
    return fail(vkerrkey(-r));
  const std::int32_t p = core::c1tmptop + 1;
  if (!charroom(p + static_cast<std::int32_t>(count))) return fail(core::storelimitkey);
  for (std::int64_t i = 0; i < count; ++i)
    core::c1namen(p + static_cast<std::int32_t>(i)) = text[static_cast<std::size_t>(from + i)];
  core::c1tmptop = p + static_cast<std::int32_t>(count) - 1;
  return textresult(p, p + static_cast<std::int32_t>(count) - 1, nargs);
}

// The fold built-ins, by their code.
constexpr unsigned foldmax = core::cwcode(core::builtincode("MAX"));
constexpr unsigned foldmin = core::cwcode(core::builtincode("MIN"));
constexpr unsigned foldsum = core::cwcode(core::builtincode("SUM"));
constexpr unsigned foldmaxloc = core::cwcode(core::builtincode("MAXLOC"));
constexpr unsigned foldminloc = core::cwcode(core::builtincode("MINLOC"));
static_assert(foldmax == 0xC180u && foldmin == 0xC1A0u && foldsum == 0xC560u &&
              foldmaxloc == 0xC540u && foldminloc == 0xC580u);

// MAX, MIN, SUM, MAXLOC or MINLOC (fn) of n values (MINLOC of the codes of
// a text's characters with `chars`).
double foldof(unsigned fn, const double* v, std::size_t n, bool chars) {
  double acc = 0.0;
  std::size_t found = 0;
  switch (fn) {
    case foldmax:
      acc = -hugeval;
      for (std::size_t i = 0; i < n; ++i) acc = v[i] > acc ? v[i] : acc;
      break;
    case foldmin:
      acc = hugeval;
      for (std::size_t i = 0; i < n; ++i) acc = v[i] < acc ? v[i] : acc;
      break;
    case foldsum:
      for (std::size_t i = 0; i < n; ++i) acc += v[i];
      break;
    case foldmaxloc: {
      double best = -hugeval;
      // The first greatest element: a later one must be strictly greater.
      for (std::size_t i = 0; i < n; ++i)
        if (found == 0 || v[i] > best) {
          best = v[i];
          found = i + 1;
        }
      acc = static_cast<double>(found);
      break;
    }
    default: {
      double best = chars ? 256.0 : hugeval;
      for (std::size_t i = 0; i < n; ++i)
        if (v[i] < best) {
          best = v[i];
          found = i + 1;
        }
      acc = static_cast<double>(found);
      break;
    }
  }
  return acc;
}

// MAX, MIN, SUM, MAXLOC and MINLOC over an array, a string or the list of
// arguments.
WordResult fold(unsigned fn, std::int32_t nargs) {
  const std::int32_t top = entry(0);
  std::vector<double> v;
  if (nargs == 1) {
    // One argument over whole arrays: its value for each element in turn.
    switch (wholefold::next(v)) {
      case wholefold::Step::none:
        break;
      case wholefold::Step::again:
        return WordResult::stay;
      case wholefold::Step::done:
        return result(foldof(fn, v.data(), v.size(), false), 1);
    }
  }
  std::int32_t adr = 0;
  std::int64_t count = 0;
  std::string text;
  bool chars = false;
  if (arrayof(top, adr, count)) {
    if (adr <= 0) return fail(xeqkeys::xeqnoarray, top);
    v.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) v.push_back(value(static_cast<std::int32_t>(adr + i)));
  } else if (textof(top, text)) {
    chars = true;
    for (char c : text) v.push_back(static_cast<unsigned char>(c));
  } else {
    for (std::int32_t i = nargs - 1; i >= 0; --i) v.push_back(value(entry(i)));
  }
  return result(foldof(fn, v.data(), v.size(), chars), nargs);
}

WordResult rgb(std::int32_t nargs) {
  auto comp = [](double x) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(nearest(x), 0, 255));
  };
  if (nargs == 1) {
    const auto c = static_cast<std::uint32_t>(nearest(value(entry(0)))) & 0xFFFFFF00u;
    rgbtab(31) = c;
    return result(c, 1);
  }
  const std::uint32_t r = comp(value(entry(nargs - 1)));
  const std::uint32_t g = comp(value(entry(nargs - 2)));
  const std::uint32_t b = nargs >= 3 ? comp(value(entry(nargs - 3))) : 0;
  std::int64_t k = 31;
  if (nargs >= 4) k = std::clamp<std::int64_t>(nearest(value(entry(nargs - 4))), 24, 31);
  const std::uint32_t c =
      MAKE_COLOR != nullptr ? MAKE_COLOR(static_cast<std::int32_t>(r), static_cast<std::int32_t>(g),
                                         static_cast<std::int32_t>(b))
                            : r | (g << 8) | (b << 16);
  rgbtab(static_cast<std::int32_t>(k)) = c;
  return result(c, nargs);
}

WordResult ran(std::int32_t nargs) {
  if (nargs > 3) return fail(xeqkeys::xequnknown);
  if (nargs == 3) ranseed(value(entry(0)));
  const double r = ranuniform();
  if (nargs == 1) return result(std::fabs(2.0 * value(entry(0)) * (r - 0.5)), 1);
  const double a = value(entry(nargs - 1)), w = value(entry(nargs - 2));
  return result(a + 2.0 * w * (r - 0.5), nargs);
}

// INDEX as the evaluator computes it (its word for two to four
// arguments), the texts read as the words give them.
WordResult index(std::int32_t nargs) {
  if (nargs < 2 || nargs > 4) return fail(xeqkeys::indexerror);
  std::array<std::int32_t, 4> args{};
  for (std::int32_t i = 0; i < nargs; ++i)
    args[static_cast<std::size_t>(i)] = entry(nargs - 1 - i);
  double found = 0.0;
  INDEXOF(std::span<const std::int32_t>(args.data(), static_cast<std::size_t>(nargs)),
          {textview, false}, found);
  return result(found, nargs);
}

WordResult init(std::int32_t nargs) {
  std::int32_t top = core::xeqstackptr;
  core::PARSE(nargs - 1, core::adrs, top);
  core::xeqstackptr = top;
  takeresult(1);
  return core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
}

float timeofday() {
  float t = 0.0F;
  core::SECONDSOFDAY(t);
  daysecs = t;
  return t;
}

WordResult alarm(std::int32_t nargs) {
  const float now = timeofday();
  const double last = value(entry(0));
  const std::int64_t n = nearest(last);
  if (n >= 2 && n <= 9 && nargs == 2) {
    alarmnext = 0;
    const float at = now + static_cast<float>(value(entry(1)));
    alarmtime(static_cast<std::int32_t>(n)) = at;
    return result(at, 2);
  }
  // Negative values other than -1 and -2 do nothing.
  if (n <= 0) {
    if (n == 0 || n == -2) {
      const std::int32_t one = 1;
      CLRALA(one);
    }
    if (n == 0 || n == -1) {
      const std::int32_t two = 2;
      CLRALA(two);
      alarmreset = true;
    }
    return result(last, nargs);
  }
  if (n == 1) {
    core::idecmd = -1;
    alarmnext = 0;
    evtflags = 0;
    for (;;) {
      toolkit::SLEEP_SECONDS(0.01F);
      runinputstep();
      if ((evtflags & 0x13) != 0) break;
      // A quit request or Escape must end the wait as well.
      if (core::idecmd == 999 || core::keystate[1] == 1) break;
      timeofday();
      const std::int32_t zero = 0;
      CHKALA(zero);
      if (core::idecmd > 0) break;
    }
    const double flags = evtflags;
    evtflags = -1;
    alarmwaitline = core::xeqline;
    return result(flags, nargs);
  }
  if (n == 999) {
    // The quit command, as Alt+F4 gives it; the run ends with its quit word.
    toolkit::POST_COMMAND(toolkit::kQuitCommand, nullptr);
    core::idecmd = 999;
    core::xeqmode &= core::runmode::compiled;
    core::xeqstop = stops::quit;
    return WordResult::leave;
  }
  return fail(xeqkeys::alarmerror);
}

WordResult allocate(std::int32_t nargs) {
  if (nargs < 2 || nargs > 3) return fail(xeqkeys::allocate);
  const std::int32_t s = entry(nargs - 1);
  if (!issym(s) || s > core::nsym) return fail(xeqkeys::allocnoarrnochar, s);
  const int type = static_cast<std::uint16_t>(core::name(s).type);
  const std::int64_t rows = nearest(value(entry(nargs - 2)));
  const std::int64_t cols = nargs == 3 ? nearest(value(entry(0))) : 1;
  if ((type & 0x800) != 0 && (type & 0x50) != 0) return fail(xeqkeys::allocuseali, s);
  if ((type & 0x10) != 0 && (type & 0x40) == 0) {
    if (rows < 1 || cols < 1 || rows * cols > core::nzlimit / 2) return fail(xeqkeys::allocate, s);
    const auto n = static_cast<std::int32_t>(rows * cols);
    if (!allocatecells(s, n)) return WordResult::error;
    core::SETI4EQUZ(1, s, static_cast<std::int32_t>(rows));
    core::SETI4EQUZ(2, s, static_cast<std::int32_t>(cols));
    return result(n, nargs);
  }
  if ((type & 0x40) != 0 && (type & 0x10) == 0 && nargs == 2) {
    if (rows < 1 || rows > core::nc1namenlimit / 2) return fail(xeqkeys::allocate, s);
    const auto n = static_cast<std::int32_t>(rows);
    if (!allocatetext(s, n)) return WordResult::error;
    return result(n, nargs);
  }
  return fail(xeqkeys::allocnoarrnochar, s);
}

// One-argument functions on a number.
[[gnu::always_inline]] inline bool numeric1(unsigned fn, double x, double& r) {
  switch (fn) {
    case 0xC040u:
      r = std::fabs(x);
      return true;
    case 0xC060u:
      r = std::exp(x);
      return true;
    case 0xC0A0u:
      r = std::ceil(x);
      return true;
    case 0xC120u:
      r = std::trunc(x);
      return true;
    case 0xC140u:
      r = static_cast<double>(nearest(x));
      return true;
    case 0xC1C0u:
      r = std::sin(x);
      return true;
    case 0xC1E0u:
      r = std::cos(x);
      return true;
    case 0xC200u:
      r = std::tan(x);
      return true;
    case 0xC220u:
      r = std::asin(x);
      return true;
    case 0xC240u:
      r = std::acos(x);
      return true;
    case 0xC260u:
      r = std::atan(x);
      return true;
    case 0xC280u:
      r = std::sinh(x);
      return true;
    case 0xC2A0u:
      r = std::cosh(x);
      return true;
    case 0xC2C0u:
      r = std::tanh(x);
      return true;
    case 0xC300u:
      r = std::floor(x);
      return true;
    case 0xC520u:
      r = static_cast<double>(~nearest(x));
      return true;
    default:
      return false;
  }
}

// Two-argument functions: a the first argument, b the last.
[[gnu::always_inline]] inline bool numeric2(unsigned fn, double a, double b, double& r) {
  switch (fn) {
    case 0xC160u:
      r = modof(a, b);
      return true;
    case 0xC4C0u:
      r = static_cast<double>(nearest(a) & nearest(b));
      return true;
    case 0xC4E0u:
      r = static_cast<double>(nearest(a) ^ nearest(b));
      return true;
    case 0xC500u:
      r = static_cast<double>(nearest(a) | nearest(b));
      return true;
    case 0xC5E0u:
      r = std::copysign(std::fabs(a), b < 0.0 ? -1.0 : 1.0);
      return true;
    default:
      return false;
  }
}

// XEQ: the run driver compiles and runs the text at positions f..l and
// gives its value to the statement's target; nothing else of the statement
// runs. So XEQ stands alone or is the whole right side of an assignment to
// a variable (the statement's first word); anywhere else its value would be
// lost without a word.
WordResult xeqtext(std::int32_t f, std::int32_t l) {
  const std::int32_t last = stmtend - 1 - labelledtail();  // the end word, or the loop end
  const std::int32_t next = wordpos + 1;
  bool whole = next == last && depth() == 1;
  if (!whole && next + 1 == last && depth() == 2) {
    const std::int16_t a = codeword(next);
    whole = (a == core::cwd::assign || a == textassign) && entry(1) > 0 &&
            entry(1) == codeword(stmtstart);
  }
  if (!whole) return fail(xeqkeys::xeqillegal);
  if (l < 1 || l < f) {
    // An empty text (an empty piece, a value that is no text) runs
    // nothing: alone the statement is done, and a target gets no value.
    if (depth() == 1) return WordResult::endstmt;
    return fail(xeqkeys::xeqillegal);
  }
  core::xeqspan = {f, l};
  core::xeqstop = stops::xeq;
  // (A statement that ends DO loops has its loop end still to run.)
  const bool text = (core::xeqmode & core::runmode::single) != 0;
  xeqtail = labelledtail() != 0 && !text ? core::xeqline : 0;
  return WordResult::leave;
}

WordResult textfunction(unsigned fn, std::int32_t nargs) {
  const std::int32_t top = entry(0);
  std::int32_t f = 0, l = 0;
  std::string t;
  if (outside(top)) {
    if (fn == 0xC600u) return charresult(' ', nargs);
    t.assign(1, ' ');
  } else if (textbounds(top, f, l)) {
    t = c1text(f, l);
  } else {
    return fail(xeqkeys::charexpected, top);
  }
  const auto len = static_cast<std::int32_t>(t.size());
  const std::size_t trimmed = t.find_last_not_of(' ') + 1;  // npos + 1 = 0
  switch (fn) {
    case 0xC0C0u:
      lockchar = t.empty() ? ' ' : t[0];
      return result(t.empty() ? 0.0 : static_cast<unsigned char>(t[0]), nargs);
    case 0xC380u:
      return result(t.empty() ? 0.0 : static_cast<unsigned char>(t[0]), nargs);
    case 0xC400u:
      return result(len, nargs);
    case 0xC480u:
      return result(static_cast<double>(trimmed), nargs);
    case 0xC600u:
      // TRIM of an all-blank text leaves one character, as the evaluator's.
      return textresult(f, f + std::max(static_cast<std::int32_t>(trimmed), std::min(len, 1)) - 1,
                        nargs);
    default:
      return xeqtext(f, l);
  }
}

// The top n entries of the operand stack, the lowest first.
std::span<const std::int32_t> operands(std::int32_t n) {
  return {&entry(n - 1), static_cast<std::size_t>(n)};
}

// FUZ: a function of its sets, or, when it opens an assignment, the target
// that takes the value: its operands then stay on the stack with one entry
// more, and the statement's assignment hands the value to the sets.
WordResult fuz(std::int32_t nargs) {
  if (FUZZY == nullptr) return fail(xeqkeys::notyetbuilt);
  bool target = false;
  if (depth() == nargs)
    for (std::int32_t p = wordpos + 1; p < stmtend; ++p)
      if ((cwu(codeword(p)) & 0xFF80u) == 0x8400u) target = true;
  if (!target) {
    if (!FUZZY(operands(nargs), nullptr)) return WordResult::error;
    return result(core::z(core::iresult), nargs);
  }
  stmtflags |= 4;
  if (!core::adrs.valid(core::xeqstackptr + 1)) return fail(xeqkeys::xeqstack);
  ++core::xeqstackptr;
  entry(0) = core::iresult;
  return WordResult::next;
}

}  // namespace

// The argument count that each built-in's own code holds, by its function
// bits (the word's bits 5 to 12), from the first code of the list with
// those bits.
constexpr auto owncounts = [] {
  std::array<std::uint8_t, 256> own{};
  std::array<bool, 256> seen{};
  for (const std::int16_t c : core::builtincodes) {
    const auto u = static_cast<std::uint16_t>(c);
    if (!core::isbuiltinword(u) || seen[core::builtinslot(u)]) continue;
    seen[core::builtinslot(u)] = true;
    own[core::builtinslot(u)] = static_cast<std::uint8_t>(core::cwcount(u));
  }
  return own;
}();

std::int32_t builtinextra(std::int16_t word) {
  const unsigned u = cwu(word);
  const std::int32_t own = core::isbuiltinword(u) ? owncounts[core::builtinslot(u)] : 0;
  return std::max(core::cwcount(u) - own, 0);
}

bool numericbuiltin(std::int16_t word, std::int32_t& nargs) {
  const unsigned u = cwu(word);
  if (!core::isbuiltinword(u)) return false;
  nargs = builtinextra(word) + 1;
  double r = 0.0;
  const unsigned fn = core::cwcode(u);
  return nargs == 1 ? numeric1(fn, 0.0, r) : nargs == 2 && numeric2(fn, 0.0, 1.0, r);
}

bool foldbuiltin(std::int16_t word, std::int32_t& nargs) {
  const unsigned u = cwu(word);
  if (!core::isbuiltinword(u)) return false;
  const unsigned fn = core::cwcode(u);
  nargs = builtinextra(word) + 1;
  return fn == foldmax || fn == foldmin || fn == foldsum || fn == foldmaxloc || fn == foldminloc;
}

double foldvalue(std::int16_t word, const double* values, std::int32_t nargs) {
  return foldof(core::cwcode(cwu(word)), values, static_cast<std::size_t>(nargs), false);
}

bool numericvalue(std::int16_t word, std::int32_t nargs, double a, double b, double& r) {
  const unsigned fn = core::cwcode(cwu(word));
  return nargs == 1 ? numeric1(fn, b, r) : numeric2(fn, a, b, r);
}

WordResult BUILTINWORD(std::int16_t word) {
  const unsigned u = cwu(word);
  if (!core::isbuiltinword(u)) return WordResult::unknown;
  const unsigned fn = core::cwcode(u);
  if (depth() < 1) return fail(xeqkeys::stackunderflow);
  if (entry(0) <= 0) {
    core::xeqstop = stops::broken;
    return WordResult::stophandling;
  }
  const std::int32_t nargs = builtinextra(word) + 1;
  if (depth() < nargs) return fail(xeqkeys::stackunderflow);
  const double x = value(entry(0));
  const double first = nargs > 1 ? value(entry(1)) : x;
  double r = 0.0;
  switch (fn) {
    case 0xC0C0u:
    case 0xC380u:
    case 0xC400u:
    case 0xC480u:
    case 0xC600u:
    case 0xC340u:
      return textfunction(fn, nargs);
    case 0xC4A0u: {
      if (nargs > 1) return charpiece(nargs);
      const std::int64_t code = nearest(x);
      if (std::isnan(x) || code < 0 || code > 255) return fail(xeqkeys::charerror, entry(0));
      return charresult(static_cast<char>(code), nargs);
    }
    case foldmax:
    case foldmin:
    case foldmaxloc:
    case foldsum:
    case foldminloc:
      return fold(fn, nargs);
    case 0xC020u: {
      if (nargs > 2) return fail(xeqkeys::xequnknown);
      bool invalid = false;
      const double v = nargs == 1 ? logarithm(x, nullptr, invalid) : logarithm(first, &x, invalid);
      const WordResult w = result(v, nargs);
      // An argument outside the domain fails as the floating-point check
      // reports a failed calculation.
      if (invalid && core::iostatw[0] == 0) {
        core::iostatw[0] = fpuinvalid;
        ndpfailure(fpuinvalid);
        return WordResult::looptest;
      }
      return w;
    }
    case 0xC080u:
      return ran(nargs);
    case 0xC100u:
      return rgb(nargs);
    case 0xC360u:
      return index(nargs);
    case 0xC3C0u:
      return init(nargs);
    case 0xC3E0u:
      return alarm(nargs);
    case 0xC620u:
      return allocate(nargs);
    case 0xC420u: {
      APPENDIX(nargs);
      if (core::xeqstop != 0) return WordResult::error;
      return WordResult::next;
    }
    case 0xC2E0u:
      if (ROOTS == nullptr) return fail(xeqkeys::notyetbuilt);
      return result(ROOTS(operands(nargs)), nargs);
    case 0xC440u:
      return fuz(nargs);
    case 0xC0E0u: {
      if (MUSICALL == nullptr) return fail(xeqkeys::notyetbuilt);
      const WordResult w = result(MUSICALL(operands(nargs)), nargs);
      if (core::iostatw[0] != 0) return fail(xeqkeys::rdwrerk);
      return w;
    }
    case 0xC5A0u: {
      if (WINFUNCTION == nullptr) return fail(xeqkeys::notyetbuilt);
      WINFUNCTION(operands(nargs));
      // A failure was shown already: the run stops with its key.
      return result(core::z(core::iresult), nargs);
    }
    case 0xC5C0u:
      // INET: the program does not provide network access.
      return fail(xeqkeys::inetnotprovided);
    default:
      break;
  }
  if (nargs == 1 && numeric1(fn, x, r)) return result(r, 1);
  if (nargs == 2 && numeric2(fn, first, x, r)) return result(r, 2);
  return fail(xeqkeys::xequnknown);
}

void reset_builtins() {
  for (std::int32_t i = 0; i < 32; ++i) rgbtab(i) = 0;
  elemrows = 0;
  elemcols = 0;
  lockchar = ' ';
}

}  // namespace exec
