#include "exec/optforms.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/assign.h"
#include "exec/fastpath.h"
#include "exec/heldtexts.h"
#include "exec/operands.h"
#include "exec/optdispatch.h"
#include "exec/optitems.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"
#include "exec/xfercalls.h"
#include "platform/fpu.h"

namespace exec::optforms {

namespace {

constexpr std::uint16_t endword = 0x8000u;
constexpr std::uint16_t separator = 0xF340u;

struct Form {
  std::uint64_t run = 0;  // the run epoch in which the words were compared
  bool ok = false;
  std::vector<std::int16_t> words;
  std::int16_t header = 0;  // the option word with the pair count
  std::int32_t stmt = 0;
  std::vector<std::int32_t> list;                               // pairs, then items
  std::vector<std::pair<std::int16_t, std::int16_t>> operands;  // symbol, type
  // The linked form, for the state that linking and a failure leave.
  std::int32_t linkedn = 0;
  std::uint16_t linkedlast = 0;
  std::int32_t ndescr = 0, opflags = 0, nelem = 1, swappos = 0, lhsdescr = 0;
  // The forms' epoch in which the operands' types were last found the
  // same (statements between two stirs change no types).
  std::uint64_t typesseen = 0;
  // A READ or WRITE with a transfer program of its own (io/), and the
  // option table it runs with.
  bool xfer = false;
  // A statement whose built-in runs from the list on the loop's road
  // too, as a transfer program runs (see directkind(), direct()).
  bool direct = false;
  std::vector<OptSlot> slots;
  std::int32_t noptions = 0;
  // The statement's first word and the next statement's (0 until the
  // transfer's own road runs it).
  std::int32_t from = 0, end = 0;
  // The items of a READ or WRITE, where some compute (made from the linked
  // form; such a statement runs only by its transfer program).
  optitems::Items items;
};

// The last replay ran a transfer program that changed no symbol's type.
bool xferdone = false;

std::vector<Form> forms;  // by statement number
Form* current = nullptr;
// The forms' epoch in which a form's types were last found the same: in
// another, no form holds such a finding that a change of type must clear.
std::uint64_t lastseen = 0;

// Symbols a form may take: numeric scalars and texts, variables and
// constants (a text variable also while it names an open file).
bool plaintype(std::int16_t t) {
  return t == 0x80 || t == 0x81 || t == 0x40 || t == 0x41 || t == 0x140;
}

// Statements that the dispatch treats apart (a user library call, the
// statements whose result or target comes from around them, a line
// drawn while it is shown).
bool replayable(std::int32_t s) {
  using core::OptStmt;
  switch (static_cast<OptStmt>(s)) {
    case OptStmt::LINE:
    case OptStmt::DLL:
    case OptStmt::POP:
    case OptStmt::STRUCT:
    case OptStmt::BITS:
    case OptStmt::ALIAS:
      return false;
    default:
      return true;
  }
}

// Statements whose built-ins run no script code, wait for nothing and
// leave the loop nothing to take up (no resumption, no rerun, no alarm):
// they run from their lists on the loop's road as well, between the
// statements of a chain of forms.
bool directkind(std::int32_t s) {
  using core::OptStmt;
  switch (static_cast<OptStmt>(s)) {
    case OptStmt::EDIT:
    case OptStmt::SORT:
    case OptStmt::INTPOL:
      return true;
    default:
      return false;
  }
}

bool build(Form& f, std::span<const std::int16_t> w) {
  f.ok = false;
  f.from = f.end = 0;
  f.xfer = false;
  f.direct = false;
  f.typesseen = 0;
  f.words.assign(w.begin(), w.end());
  f.list.clear();
  f.operands.clear();
  f.items = optitems::Items{};
  const auto n = static_cast<std::int32_t>(w.size());
  if (n < 5 || w[0] < 0 || core::cwu(w[static_cast<std::size_t>(n - 1)]) != endword) return false;
  const unsigned h = core::cwu(w[static_cast<std::size_t>(n - 2)]);
  if (!core::isxoptstmt(h)) return false;
  const std::int32_t s = core::xoptstmtnr(h);
  const std::int32_t count = core::xcwcount(h);
  if (s >= core::noptstmts || count < 1 || !replayable(s) ||
      core::xcwcode(core::optstmtxcode(s)) != core::xcwcode(h))
    return false;
  const auto st = static_cast<core::OptStmt>(s);
  const bool rw = st == core::OptStmt::READ || st == core::OptStmt::WRITE;
  // The options come first (after the prefix blocks of the items), each a
  // marker and its value (a marker written twice: no value).
  const std::int32_t first = 1 + w[0];
  if (first > n - 3 || !core::isxoptmarker(w[static_cast<std::size_t>(first)]) ||
      (first > 1 && !rw))
    return false;
  bool computed = false;
  for (std::int32_t p = first; p <= n - 3 && !computed; ++p) {
    const std::int16_t x = w[static_cast<std::size_t>(p)];
    const unsigned u = core::cwu(x);
    if (core::isxoptmarker(u)) {
      std::int32_t run = 0;
      while (p - 1 - run >= first && w[static_cast<std::size_t>(p - 1 - run)] == x) ++run;
      f.list.push_back(run % 2 == 1 ? novalue : core::xoptmarkerentry(u));
    } else if (u == separator) {
      continue;
    } else if (x >= 7 && x <= core::nsym && core::name.valid(x) && plaintype(core::name(x).type)) {
      f.list.push_back(x);
      f.operands.emplace_back(x, core::name(x).type);
    } else if (rw && static_cast<std::int32_t>(f.list.size()) >= 2 * count) {
      // An item that computes: the items are made from the linked form.
      computed = true;
    } else {
      return false;
    }
  }
  computed = computed || first > 1;  // (prefix blocks belong to items that compute)
  if (static_cast<std::int32_t>(f.list.size()) < 2 * count) return false;
  LinkedStatement linked;
  if (!XEQ2LINK(w, linked) || linked.labelmsg != 0 || linked.codes.empty()) return false;
  if (computed) {
    // The options' values are plain (checked above up to the items); the
    // items, plain or not, come from the linked form.
    f.list.resize(static_cast<std::size_t>(2 * count));
    if (!optitems::make(linked, count, st == core::OptStmt::READ, f.operands, f.items))
      return false;
    for (const optitems::Item& it : f.items.items) f.list.push_back(it.sym);
  }
  f.linkedn = static_cast<std::int32_t>(linked.codes.size());
  f.linkedlast = core::cwu(linked.codes.back());
  f.ndescr = linked.ndescr;
  f.opflags = linked.opflags;
  f.nelem = linked.nelem;
  f.swappos = linked.swappos;
  f.lhsdescr = linked.lhsdescr;
  f.header = static_cast<std::int16_t>(h);
  f.stmt = s;
  f.ok = true;
  if (xfercalls.make != nullptr && rw)
    f.xfer = xfercalls.make(core::xeqline, st == core::OptStmt::READ ? 'R' : 'W', f.list, count);
  if (f.xfer)
    f.noptions = OPTIONSLOTS(f.header, f.list, static_cast<std::int32_t>(f.list.size()), f.slots);
  // Items that compute run only by the transfer program.
  if (f.items.computed && !f.xfer) f.ok = false;
  f.direct = f.ok && !f.xfer && directkind(s);
  return f.ok;
}

bool sametypes(const Form& f) {
  for (const auto& [s, t] : f.operands)
    if (s > core::nsym || !core::name.valid(s) || core::name(s).type != t) return false;
  return true;
}

// The failure of the evaluator's own: its key and position, as the
// evaluator reports them.
std::int32_t failure(const Form& f, std::int32_t code) {
  if (core::nomsg == 0) {
    xeqfailword = static_cast<float>(f.linkedlast);
    xeqfailpos = static_cast<float>(f.linkedn);
    if (code > 3300 && code < 3400) {
      core::msgkey.set(xeqerrorkey(3300));
      detailwords[0] = static_cast<std::int16_t>(code - 3300);
      code = 3300;
    } else {
      if (const std::string_view key = xeqerrorkey(code); !key.empty()) core::msgkey.set(key);
      core::iostatw[0] = static_cast<std::int16_t>(code);
    }
  }
  return code;
}

// What the compiled forms of other statements rely on beyond their own
// words and symbols: the stores' sizes, the symbols, the operand stack. A
// replayed statement that changed none of it, nor the types of the
// symbols it names, and left no failed calculation pending, leaves the
// forms as they were checked (the general path stirs them after every
// statement).
struct Footprint {
  std::size_t zsize = 0, namesize = 0, c1size = 0, adrssize = 0;
  std::int32_t nname = 0, nztop = 0, nsym = 0, nadrs = 0, c1limit = 0, nstmt = 0;

  static Footprint now() {
    Footprint p;
    p.zsize = core::z.size();
    p.namesize = core::name.size();
    p.c1size = core::c1namen.size();
    p.adrssize = core::adrs.size();
    p.nname = core::nname;
    p.nztop = core::nztop;
    p.nsym = core::nsym;
    p.nadrs = core::nadrs;
    p.c1limit = core::c1limit;
    p.nstmt = core::nstmt;
    return p;
  }
  bool operator==(const Footprint&) const = default;
};

}  // namespace

namespace {

// The form of statement `xeqline` when it can run now (see ready()), be
// it by the replay or by its transfer program only.
Form* lookat(std::span<const std::int16_t> words) {
  const std::int32_t line = core::xeqline;
  if (!fast::enabled || (core::xeqmode & core::runmode::single) != 0 || line < 1 ||
      line > core::nstmt)
    return nullptr;
  if (forms.size() <= static_cast<std::size_t>(line))
    forms.resize(static_cast<std::size_t>(line) + 1);
  Form& f = forms[static_cast<std::size_t>(line)];
  if (f.run != fast::runepoch) {
    if (f.words.size() != words.size() || !std::equal(words.begin(), words.end(), f.words.begin()))
      build(f, words);
    f.run = fast::runepoch;
  }
  // A symbol that changed its type (a text bound to a file, then closed)
  // makes the form anew.
  if (f.ok && f.typesseen != fast::epoch && !sametypes(f)) build(f, words);
  return f.ok ? &f : nullptr;
}

}  // namespace

bool ready(std::span<const std::int16_t> words) {
  Form* const f = lookat(words);
  current = f != nullptr && !f->items.computed ? f : nullptr;
  return current != nullptr;
}

namespace {

// What the evaluation's caller makes of its result r.
std::int32_t answered(std::int32_t r) {
  const auto ur = static_cast<std::uint32_t>(r);
  if (ur >= 0x80000001u && ur <= 0x80000021u) return r;
  if (r == 0) return core::xeqstop;
  core::iostatw[0] = static_cast<std::int16_t>(r & 0xFFFF);
  // A failure with a key keeps the detail its statement wrote.
  if (r != xeqkeyed) core::iostatw[1] = static_cast<std::int16_t>(core::xeqline);
  return r;
}

// The expression state that linking the statement's words leaves, as the
// replay starts from it (the text area's temporaries begin anew).
[[gnu::always_inline]] inline void exprstate(decltype(xeqexpr)& x, const Form& f) {
  core::c1tmptop = textbase() + 1;
  x.opflags = f.opflags;
  x.nelem = x.nelemall = 1;
  x.swappos = f.swappos;
  x.lhsdescr = f.lhsdescr;
  x.ndescr = x.nlinked = f.ndescr;
  x.idescr = x.idescrsave = x.iseg = x.usedcells = x.tmplen = 0;
  x.ielem = 1;
  x.segidx[0] = 1;
}

// The end of a replay after its statement ran (xr: what its transfer
// program did): the evaluation's result and state, as linking leaves them.
std::int32_t replayend(const Form& f, XferRun xr, std::int32_t stacktop, std::int32_t iresult0,
                       std::int32_t resultcell) {
  using core::iresult;
  xferdone = xr == XferRun::done;
  core::xeqstackptr = stacktop;
  if (core::xeqstop == stops::grown) {
    iresult = iresult0;
    return 0;
  }
  const std::int32_t res = iresult;
  std::int32_t r = 0;
  // (OPEN, statement 0, ends as a statement without a built-in.)
  if (f.stmt > 0 && !core::msgkey.trimmed().empty()) {
    r = xeqkeyed;
  } else {
    if (core::z.valid(resultcell) && core::name.valid(resultcell) && core::z.valid(res) &&
        res != resultcell) {
      core::z(resultcell) = core::z(res);
      if (core::name.valid(res) && (core::name(res).type & 0x48) == 0x48)
        core::name(resultcell).type = strtemptype;
    }
    const int fp = core::FPUERROR(-1);
    r = fp != 0 ? failure(f, 3300 + fp) : f.stmt > 0 ? xeqoptbase + f.stmt : 0;
  }
  iresult = iresult0;
  return answered(r);
}

std::int32_t replay(const Form& f) {
  using core::iresult;
  // The set-up of linking, and the expression state it leaves.
  auto& x = xeqexpr;
  x.tmpcell0 = iresult + 1;
  if (iresult + 64 >= core::nname) {
    std::int32_t extra = 64;
    core::REALLOC(4, extra);
  }
  exprstate(x, f);
  // The evaluation: its result cell, the predefined cells, the pass.
  core::xeqstop = 0;
  core::msgkey.blank();
  starttempstrings();    // (texts a built-in makes stand above the statement's)
  core::iostatw[1] = 0;  // the statement's own detail, if it fails with a key
  const std::int32_t iresult0 = iresult;
  const std::int32_t resultcell = x.tmpcell0;
  resultroom(resultcell + 1);
  if (core::nsym >= 6) {
    core::z(3) = core::z(4) = core::z(5) = core::z(6) = 1.0;
    core::z(1) = 1.0;
  }
  iresult = std::max(iresult0, resultcell + 1);
  std::int32_t r = 0;
  if (!resultroom(iresult + 2) || !resultroom(iresult + 1)) {
    r = failure(f, 2002);
  } else {
    core::xeqtarget = 0;
    ++iresult;
    newtemprecord(iresult);
    const std::int32_t stacktop = core::xeqstackptr;
    const auto n = static_cast<std::int32_t>(f.list.size());
    // A transfer program that declines or fails leaves the statement, or
    // its report, to the dispatch.
    XferRun xr = XferRun::declined;
    if (f.xfer && xfercalls.run != nullptr) {
      FILLOPTIONS(f.slots, f.noptions);
      if (core::z.valid(iresult)) core::z(iresult) = 0.0;
      xr = xfercalls.run(core::xeqline);
    }
    if (xr != XferRun::done) BUISOPTNEW(f.header, 0, f.list, n);
    return replayend(f, xr, stacktop, iresult0, resultcell);
  }
  iresult = iresult0;
  return answered(r);
}

}  // namespace

std::int32_t run() {
  Form& f = *current;
  current = nullptr;
  const Footprint before = Footprint::now();
  xferdone = false;
  const std::int32_t r = replay(f);
  // (A transfer program writes values only, never types.)
  if (!(Footprint::now() == before) || (!xferdone && !sametypes(f)) ||
      plat::fpu_peek_status() != 0) {
    fast::stir();
  } else {
    f.typesseen = lastseen = fast::epoch;
  }
  return r;
}

namespace {

// What would make the loop take another step before statement f: a rerun,
// frames dropped, a statement resumed, a record layout made, the stacks or
// stores grown. (The form's words end in its option word: no labelled loop
// end follows it.) A failed calculation still pending (a loop end's) is
// not looked at here: the statement's items are symbols alone, so the
// general path too makes the transfer first and reports the failure with
// what the transfer raised, from the one reading of the status after it.
[[gnu::always_inline]] inline bool headclear(const Form& f) {
  const std::int32_t ft = firsttemp, base = core::xeqstackbase, sp = base + 1;
  return (f.xfer || f.direct) && !rerunflag && !alarmreset && resumecode == 0 && ft > core::nsym &&
         core::adrs.valid(sp + 1) && core::nadrs - core::nedlines - sp - 5 >= 8 &&
         ft + 64 < core::nname && ft + 4 < core::nztop && core::z.valid(ft + 4) &&
         core::name.valid(ft + 4);
}

}  // namespace

namespace {

// The epilogue and end step of a statement whose evaluation gave r on the
// loop's road (as transfer() and direct() leave it): what the loop makes of
// its answer, as after the replay.
[[gnu::always_inline]] inline Xfer ending(const Form& f, std::int32_t r, WordResult& answer) {
  const std::int32_t ft = firsttemp, sp = core::xeqstackbase + 1;
  if (r == xeqoptbase + f.stmt && core::xeqstop == 0 && resumecode == 0) {
    // The epilogue of a statement that ran well (optepilogue): its result
    // pushed and taken as a word's value, the next temporary made.
    core::adrs.data()[sp - 1] = ft + 1;
    core::adrs.data()[sp] = ft;
    core::xeqstackptr = sp + 1;
    core::iresult = ft + 1;
    newtemprecord(ft + 1);
    // (Its floating-point check finds the status the evaluation's end took:
    // none.)
    core::xeqstackptr = sp;
    ++core::xeqline;
    jumpedflag = 0;
    return Xfer::ran;
  }
  // What the loop makes of the evaluation's answer.
  core::adrs(sp) = ft + 1;
  if (r > xeqoptbase && r <= xeqoptbase + 31) {
    const auto optcode = static_cast<std::int16_t>(0xAC00 | ((r - xeqoptbase) << 5));
    answer = optepilogue(optcode);
    switch (answer) {
      case WordResult::leave:
      case WordResult::error:
      case WordResult::stophandling:
        return Xfer::word;
      case WordResult::looptest:
        return Xfer::looptest;
      default:
        break;
    }
    core::xeqstackptr = sp;
  } else if (r != 0) {
    if (core::xeqstop == stops::error && core::nomsg == 0 && core::iostatw[0] != 0 &&
        core::msgkey.is_blank())
      return Xfer::looptest;  // the failure was shown and the run stops
    if (core::msgkey.is_blank()) {
      const std::string_view k = xeqerrorkey(r);
      core::msgkey.set(k.empty() ? xeqkeys::xequnknown : k);
    }
    answer = WordResult::error;
    return Xfer::word;
  }
  // The end step.
  ++core::xeqline;
  jumpedflag = 0;
  return Xfer::ran;
}

// A statement of a directkind() on the loop's road, its head and the
// expression path's steps taken (by transfer()): its built-in called from
// the list, then the replay's end and the epilogue. A statement that grew
// a store to be run again goes back to the loop, which runs it from its
// head; one that changed what the forms rely on (the stores, a type, the
// forms' epochs, a failed calculation pending) stirs them, and the loop
// test comes next, as after the replay.
Xfer direct(Form& f, WordResult& answer) {
  const std::int32_t ft = firsttemp, sp = core::xeqstackbase + 1;
  const Footprint before = Footprint::now();
  const std::uint64_t epoch = fast::epoch, runepoch = fast::runepoch;
  starttempstrings();  // (as the evaluation starts them)
  BUISOPTNEW(f.header, 0, f.list, static_cast<std::int32_t>(f.list.size()));
  xferdone = false;
  const std::int32_t r = replayend(f, XferRun::declined, sp, ft, ft + 1);
  const bool same = Footprint::now() == before && sametypes(f) && plat::fpu_peek_status() == 0 &&
                    fast::epoch == epoch && fast::runepoch == runepoch;
  if (same) {
    f.typesseen = lastseen = fast::epoch;
  } else {
    fast::stir();
  }
  if (core::xeqstop == stops::grown || core::xeqstop == stops::retry) {
    core::xeqstop = 0;
    core::iresult = ft;
    fast::stir();
    return Xfer::handed;
  }
  const Xfer x = ending(f, r, answer);
  return x == Xfer::ran && !same ? Xfer::looptest : x;
}

}  // namespace

bool transferclear(std::int32_t line) {
  if (line < 1 || line > core::nstmt || static_cast<std::size_t>(line) >= forms.size())
    return false;
  const Form& f = forms[static_cast<std::size_t>(line)];
  return (f.direct || xfercalls.run != nullptr) && headclear(f);
}

Xfer transfer(std::span<const std::int16_t> code, WordResult& answer, bool clear) {
  const std::int32_t line = core::xeqline;
  if (!clear && (line < 1 || line > core::nstmt)) return Xfer::none;
  // A form looked at in this run, whose types are those it was made for,
  // stands for the statement's words (they change only between runs).
  Form* g = static_cast<std::size_t>(line) < forms.size() ? &forms[static_cast<std::size_t>(line)]
                                                          : nullptr;
  if (!clear && (g == nullptr || g->run != fast::runepoch || !g->ok ||
                 g->typesseen != fast::epoch || g->from < 1)) {
    const std::int32_t from = core::stmtstart(line), end = core::stmtstart(line + 1);
    if (from < 1 || end - 1 - from < 1 || end - 1 > static_cast<std::int32_t>(code.size()) ||
        code[static_cast<std::size_t>(from - 1)] != -1)
      return Xfer::none;
    g = lookat(
        code.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(end - 1 - from)));
    if (g == nullptr) return Xfer::none;
    g->from = from;
    g->end = end;
  }
  Form& f = *g;
  current = nullptr;
  const std::int32_t from = f.from, end = f.end;
  const std::int32_t ft = firsttemp, base = core::xeqstackbase, sp = base + 1;
  if (!clear && (!headclear(f) || (!f.direct && xfercalls.run == nullptr))) return Xfer::none;
  // The loop's head and the expression path's steps up to the evaluation.
  core::xeqstop = 0;
  core::shownkey.blank();
  stmtstart = from;
  stmtend = end;
  if (core::lokalscope == 0) core::lokalscope = core::lokalsub;
  if ((core::idestate & core::busy::compiling) == 0) core::nomsg = 0;
  core::iresult = ft;
  // (The records from ft to ft + 4 lie in the store: headclear().)
  core::SymbolRecord* const temps = core::name.data() + (ft - 1);
  freshtemprecord(temps[0]);
  core::xeqstackptr = sp;
  core::msgkey.blank();
  // The replay (see replay()), its result cells' room found above.
  auto& x = xeqexpr;
  x.tmpcell0 = ft + 1;
  exprstate(x, f);
  core::iostatw[1] = 0;
  double* const cells = core::z.data();
  // (The run words' cells as they were, for a statement whose items give
  // it back: the general path sets them only once it has linked the
  // statement, and a link that fails leaves them.)
  std::array<double, 7> kept{};
  const bool keep = f.items.computed && core::nsym >= 6;
  if (keep) std::copy_n(cells, kept.size(), kept.begin());
  if (core::nsym >= 6) cells[1] = cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
  const auto givenback = [&] {
    core::iresult = ft;
    if (keep) std::copy_n(kept.begin(), kept.size(), cells);
    return Xfer::none;
  };
  core::xeqtarget = 0;
  core::iresult = ft + 3;
  freshtemprecord(temps[3]);
  // Items that compute fill their temporaries, chosen anew where the
  // stores changed their sizes (a program that gives up
  // leaves the statement to the general path, as a transfer that declines).
  if (f.items.computed && !optitems::placed(f.items)) {
    const std::vector<std::int16_t> words = f.words;
    if (!build(f, words) || !f.xfer) return givenback();
    f.from = from;
    f.end = end;
  }
  if (f.items.computed && !optitems::fill(f.items)) return givenback();
  if (f.direct) return direct(f, answer);
  FILLOPTIONS(f.slots, f.noptions);
  cells[ft + 3] = 0.0;
  const XferRun xr = xfercalls.run(line);
  if (xr != XferRun::declined) optitems::giveback(f.items);
  if (xr != XferRun::done) {
    // The general path runs the statement from its head (a program that
    // failed left its outcome for the report).
    core::iresult = ft;
    return xr == XferRun::declined ? Xfer::none : Xfer::handed;
  }
  // The replay's end (replayend()): where the program left no stop and no
  // message, its count (in the number temporary it was made in) moves to
  // the result cell, the floating-point status is taken, and with none
  // the statement ran well.
  std::int32_t r = 0;
  if (core::xeqstop == 0 && core::iresult == ft + 3 && core::msgkey.is_blank()) {
    xferdone = true;
    core::xeqstackptr = sp;
    cells[ft + 1] = cells[ft + 3];
    const int fp = core::FPUERROR(-1);
    core::iresult = ft;
    r = fp != 0 ? answered(failure(f, 3300 + fp)) : xeqoptbase + f.stmt;
  } else {
    r = replayend(f, xr, sp, ft, ft + 1);
  }
  // (A program grows no store and changes no type; the evaluation's end
  // took the floating-point status.)
  f.typesseen = lastseen = fast::epoch;
  return ending(f, r, answer);
}

bool transferable(std::int32_t line) {
  if (line < 1 || static_cast<std::size_t>(line) >= forms.size()) return false;
  const Form& g = forms[static_cast<std::size_t>(line)];
  return (g.xfer || g.direct) && g.ok && g.run == fast::runepoch && g.typesseen == fast::epoch &&
         g.from >= 1;
}

void reset() {
  forms.clear();
  current = nullptr;
}

void retyped(std::int32_t first, std::int32_t last) {
  if (lastseen != fast::epoch) return;
  const auto end = std::min(forms.size(), static_cast<std::size_t>(std::max(last, 0)) + 1);
  for (auto s = static_cast<std::size_t>(std::max(first, 0)); s < end; ++s) forms[s].typesseen = 0;
}

}  // namespace exec::optforms
