// The EDIT statement's frame: what is edited, the passes over the option
// list with their ranges, DO loops and IF blocks, and the result.
#include "text/edit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "core/chars.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/optdispatch.h"
#include "exec/postfix.h"
#include "exec/strings.h"
#include "exec/tempstrings.h"
#include "exec/xeq.h"
#include "exec/xeq2.h"
#include "platform/win_queue_idle.h"
#include "text/edit_roads.h"
#include "text/edit_state.h"
#include "text/invidx.h"

namespace text {

using exec::noptions;
using exec::optkw;
using exec::optval;

bool textvalue(std::int32_t v, Span& s) {
  std::int32_t f = 0, l = 0;
  if (v < 1 || (core::ISCHAR(v, f, l) & 0x40) == 0) return false;
  if (!core::c1namen.valid(f) || !core::c1namen.valid(l)) return false;
  s = {f, l};
  return true;
}

const EditState::Value& readvalue(EditState& e, std::int32_t v) {
  const auto slot = static_cast<std::uint32_t>(e.slot);
  const bool kept = slot < e.values.size();
  EditState::Value& known = e.values[kept ? slot : 0];
  Span span;
  known.text = textvalue(v, span);
  known.first = span.first;
  known.last = span.last;
  known.literal = known.text && (core::NAMTYP(v, 0x49) & 1) != 0;
  if (kept) e.known |= std::uint32_t{1} << slot;
  return known;
}

std::string textcopy(const Span& s, std::int32_t max) {
  return exec::c1text(s.first, s.first + std::min(s.size(), max) - 1);
}

std::int32_t intvalue(std::int32_t v) {
  Span s;
  if (v < 1 || !core::z.valid(v) || textvalue(v, s)) return 0;
  const double d = core::z(v);
  if (std::isnan(d)) return 0;
  // Kept well inside 32 bits, so that positions plus values cannot overflow.
  return core::nearesti4(std::clamp(d, -1e9, 1e9));
}

std::string_view storeview() {
  return {core::c1namen.data(), static_cast<std::size_t>(core::c1namen.size())};
}

char charat(const EditState& e, std::int32_t p) {
  return p >= e.first && p <= e.last ? core::c1namen(p) : ' ';
}

bool insep(const EditState& e, char c) {
  for (std::int32_t i = 0; i < e.nseps; ++i)
    if (e.seps[static_cast<std::size_t>(i)] == c) return true;
  return false;
}

namespace {

[[gnu::noinline]] void showprogress(const EditState& e) {
  const std::int64_t pct = (static_cast<std::int64_t>(e.pos) - e.first) * 100 / (e.end - e.first);
  editprogress.set(std::to_string(pct) + "%");
  exec::realtimehook(-1, 0);
}

}  // namespace

// The input step between passes: Escape (the break byte) makes the stop
// word -4 and gives true. Shows the progress when the run timer is on.
inline bool inputstep(EditState& e) {
  exec::runinputstep();
  if ((exec::realtimeflags & 1) && exec::realtimehook && e.end > e.first && e.pos >= e.first &&
      e.pos <= e.end)
    showprogress(e);
  if (core::keystate[1] == 1) {
    core::xeqstop = core::stops::broken;
    return true;
  }
  return core::idecmd == 999;  // a quit waits for the statement's end
}

Flow failed(EditState& e, std::int32_t status, std::int32_t saved) {
  e.status = status;
  if (!e.ifopen) return Flow::passend;
  e.pos = saved;
  e.iffailed = true;
  return Flow::next;
}

void namedfailure(std::string_view key, std::int32_t sym) {
  core::msgkey.set(key);
  core::failedline.set(core::symbolname(sym));
  exec::errsubject = sym;
}

namespace {

Flow stopwith(std::string_view key) {
  core::msgkey.set(key);
  return Flow::stop;
}

// The start of a run over the text.
void runstart(EditState& e) {
  e.pos = e.rbeg = e.first;
  const std::int32_t len = e.last - e.first + 1;
  const std::int32_t trimmed = core::C1LEN_TRIM(core::c1view(core::c1namen.ptr(e.first), len));
  e.end = trimmed == 0 ? e.first : e.first + trimmed - 1 + (trimmed < len ? 1 : 0);
  e.rend = e.end;
  e.rangenr = 0;
  e.rseplen = 0;
  e.mask = 0;
  std::copy(defaultseps.begin(), defaultseps.end(), e.seps.begin());
  e.nseps = nsepset;
  e.docount = 0;
  setpassnr(e, 1);
  e.countstart = e.first;
  e.countsym = 0;
  e.restart = e.firstslot - 1;
  e.stop = 1;
  e.posarrays = {};
}

// The start of every pass.
void passstart(EditState& e) {
  e.status = 0;
  e.matchlen = 0;
  e.mark1 = e.mark2 = 0;
  e.ifopen = e.iffailed = e.elseskip = false;
  e.met = 0;
}

// A DO arriving with more than one pass to go: the pass is counted
// unless an operation failed; the input step runs.
inline Flow countpass(EditState& e, bool last) {
  if (e.rend < e.end) e.status = 0;
  if (e.iffailed || e.status != 0) return Flow::next;
  --e.docount;
  setpassnr(e, e.passnr + 1);
  if (inputstep(e)) return Flow::runend;
  return last && e.pos >= e.first && e.pos <= e.end ? Flow::newpass : Flow::next;
}

// DO: a loop of n passes from the DO on (without a value: until an
// operation fails); a DO written last repeats the list before it.
Flow dooption(EditState& e, std::int32_t v) {
  const bool last = e.slot == e.lastslot;
  if (e.docount == 0) {
    const std::int32_t n = v > 0 ? intvalue(v) : std::numeric_limits<std::int32_t>::max();
    if (n < 1) return Flow::passend;
    e.docount = n;
    if (!last) {
      e.restart = e.slot;
      setpassnr(e, 0);  // the body's first pass is pass 1
      return Flow::newpass;
    }
  }
  if (e.docount > 1) return countpass(e, last);
  e.docount = 0;  // the last pass
  if (!last) setpassnr(e, e.passnr + 1);
  return Flow::next;
}

Flow enddo(EditState& e) {
  e.stop = e.slot;
  if (e.docount > 0) return Flow::newpass;
  e.restart = e.slot - 1;
  e.stop = 1;
  setpassnr(e, 1);
  return Flow::next;
}

void ifoption(EditState& e, std::int32_t v) {
  Span t;
  e.ifopen = true;
  e.iffailed = false;
  if (optiontext(e, v, t) && t.size() > 0)
    e.iffailed =
        e.pos < e.first || e.pos > e.last || core::c1namen(e.pos) != core::c1namen(t.first);
}

void elseoption(EditState& e) {
  if (e.iffailed) {
    e.iffailed = e.ifopen = false;
  } else if (e.ifopen) {
    e.elseskip = true;
    e.ifopen = false;
  }
}

Flow separators(EditState& e, std::int32_t v) {
  Span t;
  if (textvalue(v, t)) {
    const std::string s = textcopy(t, nsepset);
    std::fill(e.seps.begin(), e.seps.end(), ' ');
    std::copy(s.begin(), s.end(), e.seps.begin());
    e.nseps = std::max(core::C1LEN_TRIM(s), 1);
    return Flow::next;
  }
  const std::int32_t n = v > 0 ? intvalue(v) : 0;
  if (n < 1) return stopwith(core::MSGKEY("editSep<=0"));
  e.fixedwidth = n;
  e.nseps = 0;
  return Flow::next;
}

Flow continueif(EditState& e, std::int32_t v) {
  Span t;
  if (!optiontext(e, v, t) || t.size() < 1 || e.pos < e.first || e.pos > e.last)
    return Flow::passend;
  const auto c = static_cast<unsigned char>(core::c1namen(e.pos));
  const auto lo = static_cast<unsigned char>(core::c1namen(t.first));
  const auto hi = static_cast<unsigned char>(core::c1namen(t.last));
  return lo <= c && c <= hi ? Flow::next : Flow::passend;
}

// Options that change the text fail on a constant.
bool changes(int kw) {
  using namespace ekw;
  return kw == UpperCase || kw == LowerCase || kw == RePLaceby || kw == CoPyto || kw == APpendTo ||
         kw == Insert || kw == Delete || kw == TabiFyfont;
}

Flow runoption(EditState& e, int kw, std::int32_t v) {
  using namespace ekw;
  if (e.constant && changes(kw)) return stopwith(core::MSGKEY("editConstant"));
  switch (kw) {
    case Text:
      return stopwith(core::MSGKEY("editText2"));
    case Right:
    case Left:
      return moveby(e, kw, v);
    case ScanFor:
    case ScaNnot:
    case ScanForLeft:
    case ScaNnotLeft:
      return scan(e, kw, v);
    case RaNge:
      return range(e, v);
    case ITeM:
      return item(e, v);
    case Word:
      word(e, v);
      return Flow::next;
    case WordEnd:
      wordend(e, v);
      return Flow::next;
    case RangeBegin:
      e.pos = e.rbeg;
      return Flow::next;
    case RangEend:
      if (e.rend == e.end) e.rend = e.last;  // the trailing blanks join the range
      e.pos = e.rend;
      return Flow::next;
    case Begin: {
      const std::int32_t b =
          core::C1NOBLA1(core::c1view(core::c1namen.ptr(e.first), e.last - e.first + 1));
      e.pos = b == 0 ? e.last : e.first + b - 1;
      return Flow::next;
    }
    case End:
      e.pos = e.end;
      return Flow::next;
    case Mark1:
      e.mark1 = e.pos;
      return Flow::next;
    case Mark2:
      e.mark2 = e.pos;
      return Flow::next;
    case ContInueiF:
      return continueif(e, v);
    case Option:
      e.mask = intvalue(v);
      return Flow::next;
    case SePaRators:
      return separators(e, v);
    case Insert:
      return insert(e, v);
    case Delete:
      return remove(e, v);
    case RePLaceby:
      return replace(e, v);
    case UpperCase:
    case LowerCase:
      changecase(e, v, kw == UpperCase);
      return Flow::next;
    case CoPyto:
      copyto(e, v);
      return Flow::next;
    case APpendTo:
      return appendto(e, v);
    case Parse:
      return parse(e, v);
    case GetPosition:
      return getposition(e, v);
    case SetPosition:
      return setposition(e, v);
    case Marks:
      setmarks(e, v);
      return Flow::next;
    case Count:
      count(e, v);
      return Flow::next;
    case DO:
      return dooption(e, v);
    case ENDDO:
      return enddo(e);
    case IF:
      ifoption(e, v);
      return Flow::next;
    case ELSE:
      elseoption(e);
      return Flow::next;
    case ENDIF:
      e.ifopen = e.iffailed = e.elseskip = false;
      return Flow::next;
    case EXit:
      return Flow::runend;
    case LeXicon:
    case SorTtoIndex:
    case SorTedtext:
    case SortFromIndex:
    case SortDelDbls:
      return wordsort(e, kw, v);
    case InvertedIndex:
      return invertedindex(e, v);
    case TabiFyfont:
      return tabify(e);
    case EXTRA:
    case IDentification:
    case Id1:
    case Id2:
    case OFfSet:
    case SorTSequence:
    case SorTColumn1:
      indexsetting(e, kw, v);
      return Flow::next;
    default:
      return Flow::next;  // ERror (taken by the dispatch), MatriX after the first option
  }
}

// Options that write nowhere but into the edited string (or nothing).
bool writesinside(int kw) {
  using namespace ekw;
  switch (kw) {
    case ERror:
    case Text:
    case Right:
    case Left:
    case Delete:
    case Insert:
    case DO:
    case RaNge:
    case UpperCase:
    case LowerCase:
    case Option:
    case ScanFor:
    case ScaNnot:
    case SePaRators:
    case ContInueiF:
    case ScanForLeft:
    case ScaNnotLeft:
    case RePLaceby:
    case IF:
    case ELSE:
    case RangeBegin:
    case RangEend:
    case EXit:
    case ITeM:
    case Mark1:
    case Mark2:
    case ENDIF:
    case End:
    case Begin:
    case Word:
    case WordEnd:
    case ENDDO:
      return true;
    default:
      return false;
  }
}

// The roads of the statement's slots (see EditState::steps).
void plan(EditState& e) {
  e.steps = {};
  if (!fixedroads) return;
  const std::int32_t top = std::min(e.firstslot - 1, static_cast<std::int32_t>(e.steps.size()) - 1);
  for (std::int32_t s = e.firstslot - 1; s >= 1; --s)
    if (!writesinside(optkw(s))) return;
  for (std::int32_t s = top; s >= 1; --s) {
    const int kw = optkw(s);
    if (kw != ekw::Right && kw != ekw::Left && kw != ekw::RePLaceby) continue;
    e.slot = s;
    const EditState::Value& value = optionvalue(e, optval(s));
    const Span t = value.span();
    if (!value.text || (t.last >= e.first && t.first <= e.last)) continue;
    EditState::Step& step = e.steps[static_cast<std::size_t>(s)];
    if (kw == ekw::RePLaceby) {
      if (!e.constant) step.road = EditState::Road::replace;
      continue;
    }
    if (t.size() < 1 || e.nfixed >= static_cast<std::int32_t>(e.fixed.size())) continue;
    // (Made for the mask of a statement without Option; another mask at
    // the pass takes the general road.)
    const bool right = kw == ekw::Right;
    EditState::Fixed& f = e.fixed[static_cast<std::size_t>(e.nfixed)];
    f.mask = searchmask(e, right, value.literal);
    const std::string_view p =
        core::c1view(core::c1namen.ptr(t.first), std::min(t.size(), maxpattern));
    f.ready = core::C1SEARCHREADY(p, static_cast<std::int32_t>(p.size()), f.mask);
    step.road = EditState::Road::search;
    step.fixed = static_cast<std::uint8_t>(e.nfixed++);
  }
  // Loops of fixed roads (a DO written last repeats the list: not one).
  for (std::int32_t s = top; s > e.lastslot; --s) {
    if (optkw(s) != ekw::DO) continue;
    std::int32_t n = s - 1;
    while (n > 0 && e.steps[static_cast<std::size_t>(n)].road != EditState::Road::general) --n;
    if (n > 0 && n < s - 1 && optkw(n) == ekw::ENDDO) {
      e.steps[static_cast<std::size_t>(s)].road = EditState::Road::loop;
      e.steps[static_cast<std::size_t>(s)].end = static_cast<std::uint8_t>(n);
    }
  }
}

// The plans of the statements run lately, each with what it was made
// from: the option table, the edited string, and everything the values it
// read depend on (their symbols' records and cells, the store's place and
// size, the patterns' characters). A statement that finds all of it the
// same takes the plan as plan() would make it again.
struct Kept {
  bool used = false;
  std::int32_t noptions = 0;
  std::array<std::uint8_t, keptslots> kw{};
  std::array<std::int32_t, keptslots> val{};
  std::int32_t first = 0, last = 0;
  bool constant = false;
  const char* store = nullptr;
  long long storesize = 0;
  std::int32_t nc1namen = 0, nname = 0, nsym = 0;
  // The values plan() read (bit s of `known`): their symbols as they stood.
  struct Read {
    std::int16_t type;
    std::int16_t namlen;
    std::int32_t nambeg;
    std::uint64_t cell;
  };
  std::array<Read, keptslots> reads{};
  std::uint32_t known = 0;
  std::array<EditState::Value, keptslots> values{};
  std::array<EditState::Step, keptslots> steps{};
  std::array<EditState::Fixed, 4> fixed{};
  std::int32_t nfixed = 0;
  std::string patterns;  // the fixed searches' characters, one after another
};

// The characters a fixed search at slot s was made from (as plan() reads
// them, trailing blanks and all).
std::string_view searched(const EditState::Value& v) {
  const Span t = v.span();
  return core::c1view(core::c1namen.data() + (t.first - core::c1namen.first()),
                      std::min(t.size(), maxpattern));
}
std::array<Kept, 4> kept;
std::size_t keptnext = 0;

// What a value symbol's text depends on (see textvalue()).
bool readof(std::int32_t v, Kept::Read& r) {
  if (v < 1 || v > core::nname || !core::name.valid(v) || !core::z.valid(v)) return false;
  const core::SymbolRecord& n = core::name(v);
  r.type = n.type;
  r.namlen = n.namlen;
  r.nambeg = n.nambeg;
  std::memcpy(&r.cell, core::z.ptr(v), sizeof r.cell);
  return true;
}

// Value symbol v stands as readof() found it. (Compared where it stands:
// a record just written in pieces and read back whole waits for the
// writes.)
bool readsame(std::int32_t v, const Kept::Read& was) {
  if (v < 1 || v > core::nname || !core::name.valid(v) || !core::z.valid(v)) return false;
  const core::SymbolRecord& n = core::name(v);
  std::uint64_t cell = 0;
  std::memcpy(&cell, core::z.ptr(v), sizeof cell);
  return n.type == was.type && n.namlen == was.namlen && n.nambeg == was.nambeg && cell == was.cell;
}

bool samestate(const Kept& k, const EditState& e) {
  if (!k.used || k.noptions != noptions || k.first != e.first || k.last != e.last ||
      k.constant != e.constant || k.store != core::c1namen.data() ||
      k.storesize != core::c1namen.size() || k.nc1namen != core::nc1namen ||
      k.nname != core::nname || k.nsym != core::nsym)
    return false;
  const auto n = static_cast<std::size_t>(noptions);
  if (std::memcmp(k.kw.data(), optkw.data(), n) != 0 ||
      std::memcmp(k.val.data() + 1, optval.data() + 1, n * sizeof(std::int32_t)) != 0)
    return false;
  for (std::uint32_t bits = k.known; bits != 0; bits &= bits - 1) {
    const int s = __builtin_ctz(bits);
    if (!readsame(optval.data()[s], k.reads[static_cast<std::size_t>(s)])) return false;
  }
  std::size_t at = 0;
  for (std::uint32_t bits = k.known; bits != 0; bits &= bits - 1) {
    const auto s = static_cast<std::size_t>(__builtin_ctz(bits));
    if (k.steps[s].road != EditState::Road::search) continue;
    const std::string_view p = searched(k.values[s]);
    if (p.compare(std::string_view(k.patterns).substr(at, p.size())) != 0) return false;
    at += p.size();
  }
  return true;
}

// The plan of a statement like one run lately: taken over; false when
// there is none.
bool keptplan(EditState& e) {
  if (noptions >= static_cast<std::int32_t>(keptslots) || !fixedroads) return false;
  for (const Kept& k : kept) {
    if (!samestate(k, e)) continue;
    for (std::uint32_t bits = k.known; bits != 0; bits &= bits - 1) {
      const auto s = static_cast<std::size_t>(__builtin_ctz(bits));
      e.values[s] = k.values[s];
    }
    e.known = k.known;
    e.steps = k.steps;
    std::copy_n(k.fixed.begin(), k.nfixed, e.fixed.begin());
    e.nfixed = k.nfixed;
    return true;
  }
  return false;
}

// Keeps the plan plan() just made, with what it was made from.
void keepplan(const EditState& e) {
  if (noptions >= static_cast<std::int32_t>(keptslots) || !fixedroads) return;
  Kept& k = kept[keptnext];
  keptnext = (keptnext + 1) % kept.size();
  k.used = false;
  k.known = e.known;
  for (std::uint32_t bits = k.known; bits != 0; bits &= bits - 1) {
    const auto s = static_cast<std::size_t>(__builtin_ctz(bits));
    if (!readof(optval(static_cast<std::int32_t>(s)), k.reads[s])) return;
    k.values[s] = e.values[s];
  }
  k.noptions = noptions;
  const auto n = static_cast<std::size_t>(noptions);
  std::memcpy(k.kw.data(), optkw.data(), n);
  std::memcpy(k.val.data() + 1, optval.data() + 1, n * sizeof(std::int32_t));
  k.first = e.first;
  k.last = e.last;
  k.constant = e.constant;
  k.store = core::c1namen.data();
  k.storesize = core::c1namen.size();
  k.nc1namen = core::nc1namen;
  k.nname = core::nname;
  k.nsym = core::nsym;
  k.steps = e.steps;
  k.nfixed = e.nfixed;
  std::copy_n(e.fixed.begin(), e.nfixed, k.fixed.begin());
  k.patterns.clear();
  // (A fixed search's slot is one whose value the plan read.)
  for (std::uint32_t bits = k.known; bits != 0; bits &= bits - 1) {
    const auto s = static_cast<std::size_t>(__builtin_ctz(bits));
    if (k.steps[s].road == EditState::Road::search) k.patterns += searched(k.values[s]);
  }
  k.used = true;
}

constexpr std::uint64_t metbit(int kw) { return kw < 64 ? std::uint64_t{1} << kw : 0; }

// Runs the option at the slot: a fixed road, else through its keyword.
inline Flow runslot(EditState& e, int kw, std::int32_t v) {
  const auto slot = static_cast<std::size_t>(e.slot);
  if (slot < e.steps.size()) {
    const EditState::Step step = e.steps[slot];
    if (step.road == EditState::Road::replace) return replaceby(e, e.values[slot].span());
    if (step.road == EditState::Road::search) {
      const bool right = kw == ekw::Right;
      const EditState::Fixed& f = e.fixed[step.fixed];
      if (searchmask(e, right, e.values[slot].literal) == f.mask)
        return searchby(e, right, *f.ready);
    }
  }
  return runoption(e, kw, v);
}

// The body of a loop of fixed roads, read once when the loop starts.
// (The body changes no option mask: whether a search was made for the
// mask in force is decided once.)
enum class Kind : std::uint8_t { replace, right, left, general };
struct Body {
  std::int32_t slot;
  Kind kind;
  std::int32_t first, last;  // the value's text
  std::int32_t size;         // its length
  const core::C1Ready* ready;
  Span span() const { return {first, last}; }
};

// The input step would do nothing: the program's own step with nothing
// for it (see exec::idlestep), no progress to show, no quit waiting, no
// key. Nothing but the input step changes that, or a signal, which may
// set the break byte and the key state: while it holds, a loop that runs
// nothing else reads only those two at each of its input steps (brk()).
bool quietstep() {
  return exec::PANLIOSTEP == exec::idlestep && exec::PANLIOSTEP != nullptr && win::queue_idle() &&
         !exec::stepwatch && exec::alarmnext >= 0 && (exec::realtimeflags & 1) == 0 &&
         core::idecmd != 999 && core::keyrec[1] == 0 &&
         core::keystate == std::array<std::uint8_t, 4>{};
}
inline bool brk() {
  const auto byte = [](const std::uint8_t& b) {
    return *static_cast<const volatile std::uint8_t*>(&b);
  };
  return (byte(core::keyrec[1]) | byte(core::keystate[1])) != 0;
}

// The last non-blank position of first..to (first - 1 when none): where a
// search that leaves the range's trailing blanks out ends.
std::int32_t lastnonblank(const char* chars, std::int32_t first, std::int32_t to) {
  if (to < first || chars[to - 1] != ' ') return to;
  if (to - 1 < first || chars[to - 2] != ' ') return to - 1;
  return first - 1 + core::C1LEN_TRIM(core::c1view(chars + (first - 1), to - first + 1));
}

// The candidates of substitutes()'s scan: those of block q left in
// `bits` (bit j: position q + j), `next` the first position no block has
// covered.
struct Blocks {
  std::uint64_t bits = 0;
  std::int32_t q = 0, next = 0;
  std::uint64_t low = 0;  // the bit of the hit nexthit() returned (0: none)
};

// The next hit of pattern p (m characters) from the blocks on, up to
// position hi (0 when none; `reach`: the last start of a block whose loads
// lie in the store); the candidates it passes over are gone.
template <bool Fold>
[[gnu::always_inline]] inline std::int32_t nexthit(const core::PlainPattern& p, const char* chars,
                                                   std::size_t m, std::int32_t hi,
                                                   std::int32_t reach, Blocks& b) {
  for (;;) {
    if (b.bits != 0) {
      const std::int32_t c = b.q + __builtin_ctzll(b.bits);
      const std::uint64_t low = b.bits & (~b.bits + 1);
      b.bits ^= low;
      if (core::plainscan::middle<Fold>(p, chars + (c - 1), m)) {
        b.low = low;
        return c;
      }
    } else if (b.next + 63 <= hi) {
      b.q = b.next;
      b.next += 64;
      const char* const at = chars + (b.q - 1);
      const auto four = [&](int k) {
        return std::uint64_t{core::plainscan::candidates<Fold>(p, at + 16 * k, m)} << 16 * k;
      };
      b.bits = four(0) | four(1) | four(2) | four(3);
    } else if (b.next + 15 <= hi) {
      b.q = b.next;
      b.next += 16;
      b.bits = core::plainscan::candidates<Fold>(p, chars + (b.q - 1), m);
    } else if (b.next <= hi && b.next <= reach) {
      // (The last block: its candidates after hi left out.)
      b.q = b.next;
      b.next = hi + 1;
      b.bits =
          core::plainscan::candidates<Fold>(p, chars + (b.q - 1), m) & ((2U << (hi - b.q)) - 1);
    } else {
      const std::int32_t hit = b.next <= hi ? core::plainscan::scan<Fold>(p, chars, b.next, hi) : 0;
      b.next = hit == 0 ? hi + 1 : hit;
      b.low = 0;
      return hit;
    }
  }
}

// The candidates before position `pos` gone (a hit of block q replaced).
[[gnu::always_inline]] inline void cutbefore(Blocks& b, std::int32_t pos) {
  const std::int32_t k = pos - b.q;
  b.bits = k >= 64 ? 0 : b.bits & (~std::uint64_t{0} << k);
  b.next = std::max(b.next, pos);
}

// cutbefore() where the hit nexthit() returned last is m < 64 characters
// long and `pos` the position after it: the mask made from the hit's bit,
// which the next hit does not wait for as it does for the position.
[[gnu::always_inline]] inline void cuthit(Blocks& b, std::size_t m, std::int32_t pos) {
  b.bits &= ~((b.low << m) - 1);
  b.next = std::max(b.next, pos);
}

// A pattern's length as the passes' compares and copies are shaped for it
// (see putchars()).
enum class Length : std::uint8_t { one, upto3, upto8, longer };
constexpr Length lengthclass(std::size_t m) {
  return m <= 1 ? Length::one : m <= 3 ? Length::upto3 : m <= 8 ? Length::upto8 : Length::longer;
}
// m, known to lie in its class.
template <Length L>
[[gnu::always_inline]] inline std::size_t inclass(std::size_t m) {
  if (lengthclass(m) != L) __builtin_unreachable();
  return m;
}
// f called with the class of length m as a constant.
template <class F>
[[gnu::always_inline]] inline auto bylength(std::size_t m, F&& f) {
  using C = Length;
  switch (lengthclass(m)) {
    case C::one:
      return f(std::integral_constant<C, C::one>{});
    case C::upto3:
      return f(std::integral_constant<C, C::upto3>{});
    case C::upto8:
      return f(std::integral_constant<C, C::upto8>{});
    case C::longer:
      break;
  }
  return f(std::integral_constant<C, C::longer>{});
}

// The steady passes of a loop whose body is a search to the right by the
// plain scan (`search`) and a replacement of the pattern's length
// (`replacement`), as tight() runs them: each hit is written over where it
// stands, and the candidates of a block of sixty-four (or sixteen)
// positions serve every pass whose hit lies among them (a replacement
// changes no character that a candidate after it was found by). The scan
// ends where the range's last non-blank does (known until a replacement
// reaches it). `counted`: the first pass has had its DO (entered from
// loop() as the body starts, where the passes restart at this DO and no
// marks stand for the replacement). Such a pass started at the DO, so the
// pass's start left the state as the next passes find it; the walk's lower
// end, which loop() sets at the first ENDDO, is read by no walk before it
// meets this DO again.
template <bool Fold>
Flow substitutes(EditState& e, const Body& search, const Body& replacement, std::int32_t d,
                 std::int32_t n, std::int32_t& slot, bool counted) {
  const core::C1Ready& r = *search.ready;
  const core::PlainPattern& p = r.scan;
  const std::int32_t m = replacement.size;
  const auto um = static_cast<std::size_t>(m);
  const std::int32_t first = e.first, last = e.last, rbeg = e.rbeg, rend = e.rend;
  const std::int32_t to = std::min(rend, last);
  std::int32_t pos = e.pos, matchlen = e.matchlen, docount = e.docount, passnr = e.passnr;
  double result = e.result;
  // (Position p is element p - 1 of the store, which stays where it is
  // while nothing but this loop runs.)
  char* chars = core::c1namen.data();
  const char* with = chars + (replacement.first - 1);
  std::int32_t hi = 0;     // the last position a hit may start at (the scan ends at hi + m - 1)
  std::int32_t reach = 0;  // the last start of a block whose loads lie in the store
  Blocks blocks;
  // (The search's words are written as the last search would leave them.)
  bool unwritten = false;
  const auto restart = [&] {
    hi = (r.trimrange ? lastnonblank(chars, first, to) : to) - m + 1;
    reach = static_cast<std::int32_t>(core::c1namen.size()) - m - 14;
    blocks.bits = 0;
    blocks.next = std::max(pos, first);
  };
  const auto back = [&] {
    if (unwritten) core::C1FOUND(r);
    unwritten = false;
    e.pos = pos;
    e.matchlen = matchlen;
    e.docount = docount;
    e.result = result;
    setpassnr(e, passnr);
  };
  const auto failat = [&](std::int32_t status) {
    back();
    e.status = status;
    slot = e.slot = search.slot;
    return Flow::passend;
  };
  // The replacement over the hit (its text lies outside the edited string),
  // the position after it; the candidates before that position are gone.
  const auto replace = [&](std::int32_t hit) __attribute__((always_inline)) {
    putchars(chars + (hit - 1), with, um);
    pos = hit + m;
    if (hit >= hi) {  // (the replacement reached the scan's end)
      restart();
      return;
    }
    cutbefore(blocks, pos);
  };
  restart();
  bool quiet = quietstep();
  for (;; counted = false) {
    // The passes whose DO counts down with the input step idle (a pass
    // checks only the break), each found and replaced as the pass below
    // does; a pass with anything else to do (the last, the one that finds
    // no hit, a break) is left to it.
    // (The scan's own state in locals of the burst, for registers.)
    if (!counted && quiet && docount > 1) {
      // (Run with the pattern's length class known, so that a pass's
      // compare and copy do not ask the length again.)
      const auto burst = [&](auto width) __attribute__((always_inline)) {
        const std::size_t len = inclass<decltype(width)::value>(um);
        const std::int32_t most = docount - 1;
        std::int32_t k = 0;
        Blocks b = blocks;
        char* const at = chars;
        const char* const by = with;
        std::int32_t end = hi;
        bool outside = false;
        std::int32_t after = pos;  // (the position after the last hit)
        while (k < most && !brk()) {
          const std::int32_t hit = nexthit<Fold>(p, at, len, end, reach, b);
          if (hit == 0) break;
          ++k;
          if (hit < rbeg) {
            after = hit;
            outside = true;
            break;
          }
          putchars(at + (hit - 1), by, len);
          after = hit + m;
          if (hit >= end) {
            pos = after;
            restart();
            b = blocks;
            end = hi;
          } else if constexpr (decltype(width)::value == Length::longer) {
            cutbefore(b, after);
          } else {
            cuthit(b, len, after);
          }
        }
        blocks = b;
        pos = after;
        if (k > 0) {
          unwritten = true;
          passnr += k;
          docount -= k;
          result += outside ? k - 1 : k;
          matchlen = outside ? m : 0;
        }
        return outside;
      };
      if (bylength(um, burst)) return failat(est::outside);
    }
    // The DO: the pass counted, the input step between passes.
    if (!counted) {
      ++passnr;
      if (docount > 1) {
        --docount;
        if (!quiet || brk()) {
          back();
          e.slot = d;
          if (inputstep(e)) return Flow::runend;
          pos = e.pos;
          chars = core::c1namen.data();
          with = chars + (replacement.first - 1);
          restart();
          quiet = quietstep();
        }
      } else {
        docount = 0;
      }
    }
    // The search, from the position on.
    const std::int32_t from = std::max(pos, first);
    if (to < from) {
      std::int32_t len = 0;
      (void)core::C1FIND(r, storeview(), from, to, len);
      unwritten = false;
      return failat(est::rightnohit);
    }
    unwritten = true;
    const std::int32_t hit = nexthit<Fold>(p, chars, um, hi, reach, blocks);
    if (hit == 0) return failat(est::rightnohit);
    if (hit < rbeg) {
      pos = hit;
      matchlen = m;
      return failat(est::outside);
    }
    replace(hit);
    result += 1;
    matchlen = 0;
    // The ENDDO.
    if (docount > 0) continue;
    back();
    slot = e.slot = n;
    e.restart = n - 1;
    e.stop = 1;
    setpassnr(e, 1);
    return Flow::next;
  }
}

// A body that substitutes() runs: a search to the right by the plain scan
// and a replacement of the pattern's length.
bool substitution(const Body* body, std::size_t nbody) {
  return nbody == 2 && body[0].kind == Kind::right && body[0].ready->plain &&
         body[1].kind == Kind::replace && body[1].size > 0 &&
         static_cast<std::size_t>(body[1].size) == body[0].ready->pattern.size();
}

// The steady passes of a loop whose body holds searches and replacements
// only (each with a text), entered at a new pass from its DO at d (ENDDO
// at n) as passstart() leaves the state: the passes as loop() runs them,
// with the position, the hit's length, the text and range ends, the passes
// left, the pass number and the result in locals, written back where the
// loop ends, a pass fails, or the input step has work.
Flow tight(EditState& e, const Body* body, std::size_t nbody, std::int32_t d, std::int32_t n,
           std::int32_t& slot) {
  if (substitution(body, nbody))
    return body[0].ready->scan.fold ? substitutes<true>(e, body[0], body[1], d, n, slot, false)
                                    : substitutes<false>(e, body[0], body[1], d, n, slot, false);
  const std::int32_t first = e.first, last = e.last, rbeg = e.rbeg;
  std::int32_t pos = e.pos, matchlen = e.matchlen, end = e.end, rend = e.rend;
  std::int32_t docount = e.docount, passnr = e.passnr;
  double result = e.result;
  // (Position p is element p - 1 of the store, which stays where it is
  // while nothing but these roads runs.)
  std::string_view store = storeview();
  char* chars = core::c1namen.data();
  // (The search's words are written as the last search would leave them.)
  const core::C1Ready* unwritten = nullptr;
  const auto back = [&] {
    if (unwritten != nullptr) core::C1FOUND(*unwritten);
    unwritten = nullptr;
    e.pos = pos;
    e.matchlen = matchlen;
    e.end = end;
    e.rend = rend;
    e.docount = docount;
    e.result = result;
    setpassnr(e, passnr);
  };
  const auto failat = [&](const Body& b, std::int32_t status) {
    back();
    e.status = status;
    slot = e.slot = b.slot;
    return Flow::passend;
  };
  bool quiet = quietstep();
  for (;;) {
    // The DO: the pass counted, the input step between passes.
    ++passnr;
    if (docount > 1) {
      --docount;
      if (!quiet || brk()) {
        back();
        e.slot = d;
        if (inputstep(e)) return Flow::runend;
        pos = e.pos;
        store = storeview();
        chars = core::c1namen.data();
        quiet = quietstep();
      }
    } else {
      docount = 0;
    }
    for (std::size_t i = 0; i < nbody; ++i) {
      const Body& b = body[i];
      if (b.kind == Kind::replace) {
        const std::int32_t old = std::max(matchlen, 1);
        matchlen = 0;
        if (pos < first || pos > last) {
          back();
          slot = e.slot = b.slot;
          return Flow::passend;
        }
        const std::int32_t size = b.size;
        const char* const t = chars + (b.first - 1);
        if (size != old) {
          back();
          e.slot = b.slot;
          MAKEREPLACESPACE(e, size - old, std::string_view(t, static_cast<std::size_t>(size)));
          end = e.end;
          rend = e.rend;
          result = e.result;
        } else {
          result += 1;
        }
        putchars(chars + (pos - 1), t, static_cast<std::size_t>(std::min(size, last - pos + 1)));
        pos += size;
        continue;
      }
      const bool right = b.kind == Kind::right;
      const std::int32_t from = right ? std::max(pos, first) : std::max(rbeg, first);
      const std::int32_t to = right ? std::min(rend, last) : std::min(pos, last);
      std::int32_t len = 0;
      bool quietfind = false;
      const std::int32_t hit = core::C1FINDQUIET(*b.ready, store, from, to, len, quietfind);
      unwritten = quietfind ? b.ready : nullptr;
      if (hit < from || hit > to) return failat(b, right ? est::rightnohit : est::leftnohit);
      pos = hit;
      matchlen = len;
      if (pos > rend + 1 || pos < rbeg) return failat(b, est::outside);
    }
    // The ENDDO.
    if (docount > 0) {
      matchlen = 0;  // (a new pass)
      continue;
    }
    back();
    slot = e.slot = n;
    e.restart = n - 1;
    e.stop = 1;
    setpassnr(e, 1);
    return Flow::next;
  }
}

// The passes of a loop of fixed roads, from its DO at the slot (counting,
// entered with the IF flags clear): as the list runs them, option by
// option, from the body read once. The slot receives where the last pass
// ended (its ENDDO when the loop is done and the list goes on).
Flow loop(EditState& e, std::int32_t& slot) {
  const std::int32_t d = slot;
  const std::int32_t n = e.steps[static_cast<std::size_t>(d)].end;
  const std::int32_t v = optval(d);
  // (The keywords met are not noted: only Count's is read, and a loop of
  // fixed roads holds none; each pass starts them anew. The body is read
  // once the DO lets a pass run: a DO that starts the loop only counts.)
  e.slot = d;
  Flow f = e.docount > 1 ? countpass(e, false) : dooption(e, v);
  if (f != Flow::next) return f;
  std::array<Body, keptslots> body;
  std::size_t nbody = 0;
  bool steady = true;  // the body runs in tight()
  for (std::int32_t s = d - 1; s > n; --s) {
    const auto k = static_cast<std::size_t>(s);
    const EditState::Step step = e.steps[k];
    const int kw = optkw(s);
    const bool right = kw == ekw::Right;
    const EditState::Fixed& f = e.fixed[step.fixed];
    Kind kind = Kind::replace;
    if (step.road == EditState::Road::search)
      kind = searchmask(e, right, e.values[k].literal) != f.mask ? Kind::general
             : right                                             ? Kind::right
                                                                 : Kind::left;
    const Span span = e.values[k].span();
    body[nbody++] = {s, kind, span.first, span.last, span.size(), f.ready ? &*f.ready : nullptr};
    if (kind == Kind::general || (kind == Kind::replace && span.size() < 1)) steady = false;
  }
  if (steady && substitution(body.data(), nbody) && e.restart == d &&
      (e.mark1 <= 0 || e.mark2 <= 0))
    return body[0].ready->scan.fold ? substitutes<true>(e, body[0], body[1], d, n, slot, true)
                                    : substitutes<false>(e, body[0], body[1], d, n, slot, true);
  for (;;) {
    for (std::size_t i = 0; i < nbody; ++i) {
      const Body& b = body[i];
      e.slot = b.slot;
      switch (b.kind) {
        case Kind::replace:
          f = replaceby(e, b.span());
          break;
        case Kind::right:
          f = searchby(e, true, *b.ready);
          break;
        case Kind::left:
          f = searchby(e, false, *b.ready);
          break;
        case Kind::general:
          f = runoption(e, optkw(b.slot), optval(b.slot));
          break;
      }
      if (f != Flow::next) {
        slot = b.slot;
        return f;
      }
    }
    slot = e.slot = n;
    f = enddo(e);
    if (f != Flow::newpass || e.restart != d) return f;
    passstart(e);
    if (steady) return tight(e, body.data(), nbody, d, n, slot);
    e.slot = d;
    f = e.docount > 1 ? countpass(e, false) : dooption(e, v);
    if (f != Flow::next) return f;
  }
}

// Runs the option list over the text; false when the statement stopped
// with a message. stopped receives the slot at which the last pass ended
// (0 when it ran to the end of the list).
bool runlist(EditState& e, std::int32_t& stopped) {
  runstart(e);
  passstart(e);
  // (The slots a pass runs lie in the option table, 1 to noptions; the
  // table is read where it stands: a sort option clears its keyword there.)
  static_assert(decltype(optkw)::first() == 1 && decltype(optval)::first() == 0);
  const std::uint8_t* const keywords = optkw.data();  // (slot s at s - 1)
  const std::int32_t* const values = optval.data();
  for (;;) {
    Flow f = Flow::next;
    std::int32_t slot = std::min(e.restart, noptions);
    while (slot >= std::max(e.stop, 1)) {
      e.slot = slot;
      const int kw = keywords[slot - 1];
      e.met |= metbit(kw);
      if ((e.iffailed || e.elseskip) && kw != ekw::DO && kw != ekw::ELSE && kw != ekw::ENDIF) {
        --slot;
        continue;
      }
      // (A loop runs by its roads only outside an IF block: a failure in
      // one would skip the rest of the list.)
      const bool counting = e.docount > 0 && !e.ifopen && !e.iffailed && !e.elseskip;
      if (counting && static_cast<std::size_t>(slot) < keptslots &&
          e.steps[static_cast<std::size_t>(slot)].road == EditState::Road::loop)
        f = loop(e, slot);
      else
        f = runslot(e, kw, values[slot]);
      if (f == Flow::newpass) {
        passstart(e);
        slot = e.restart;
        continue;
      }
      if (f != Flow::next) break;
      --slot;
    }
    stopped = std::max(slot, 0);
    if (f == Flow::stop || !core::msgkey.is_blank()) return false;
    if (f == Flow::runend) return true;
    if (e.rend + e.rseplen >= e.end) return true;
    // The next range.
    e.docount = 0;
    e.pos = e.rend + e.rseplen;
    if (inputstep(e)) return true;
    passstart(e);
  }
}

// The text result: a list written into the receiving variable, the marked
// text, else the word at the position.
void textresult(const EditState& e) {
  std::int32_t a = 0, b = 0;
  if (e.resultspan.size() > 0) {
    a = e.resultspan.first;
    b = e.resultspan.last;
  } else if (e.mark1 > 0 && e.mark2 > 0 && e.mark1 <= e.mark2) {
    a = std::max(e.mark1, e.first);
    b = std::min(e.mark2, e.last);
  } else {
    NXTWORDINC1VEC(std::max(e.pos, e.first), std::min(e.end, e.last), a, b,
                   std::string_view(e.seps.data(), static_cast<std::size_t>(e.nseps)), e.nseps);
  }
  if (a < 1 || b < a) return;
  const std::string word = exec::c1text(a, b);
  const auto len = static_cast<std::int32_t>(word.size());
  // A statement of its own keeps its temporaries above `c1tmptop`.
  if (!e.expression) exec::starttempstrings();
  // Room first (the store grows in place), so the statement need not run again.
  if (!exec::charroom(exec::tmptop() + len)) return;
  const std::int32_t j = exec::xeqexpr.ndescr + 1;
  if (exec::MAKETEMPSTRING(core::iresult, len, j) != exec::tempmade) return;
  for (std::int32_t i = 0; i < len; ++i)
    core::c1namen(exec::tmpbeg(j) + i) = word[static_cast<std::size_t>(i)];
  core::c1tmptop = std::max(core::c1tmptop, exec::tmptop() - 1);
}

// The end of the run: unreached position stores, the result.
void finish(EditState& e, std::int32_t stopped) {
  finishcount(e);
  // (The table read where it stands, as runlist() reads it.)
  const std::uint8_t* const keywords = optkw.data();  // (slot s at s - 1)
  const std::int32_t* const values = optval.data();
  for (std::int32_t s = std::min(stopped, noptions); s >= 1; --s) {
    const std::int32_t v = values[s];
    if (keywords[s - 1] == ekw::GetPosition && v > 0 && core::NAMTYP(v, 0x10) == 0)
      core::SETZTOR8(v, -1.0);
  }
  const std::int32_t r = core::iresult;
  if (!core::z.valid(r) || !core::name.valid(r)) return;
  core::z(r) = e.result;
  core::name(r).type = 0x88;
  if (e.arraycells > 0 && core::z.valid(1)) core::z(1) = e.arraycells;
  if (e.resultspan.size() > 0 || (!e.keepnumber && e.status == 0 && e.result == 0.0 &&
                                  (e.met & (std::uint64_t{1} << ekw::Count)) == 0))
    textresult(e);
}

void storezero() {
  const std::int32_t r = core::iresult;
  if (!core::z.valid(r) || !core::name.valid(r)) return;
  core::z(r) = 0.0;
  core::name(r).type = 0x88;
}

}  // namespace

std::int32_t firstoption() {
  std::int32_t s = noptions;
  while (s >= 1 && optkw(s) == ekw::ERror) --s;
  return std::max(s, 0);
}

std::int32_t lastoption() {
  std::int32_t s = 1;
  while (s <= noptions && optkw(s) == ekw::ERror) ++s;
  return s <= noptions ? s : 0;
}

void EDIT(const exec::OptCall& call) {
  const std::int32_t firstslot = firstoption(), lastslot = lastoption();
  if (firstslot < 1) {
    core::msgkey.set(core::MSGKEY("editText1"));
    return;
  }
  const int kw0 = optkw(firstslot);
  const std::int32_t v0 = optval(firstslot);
  Span text;
  const bool istext = textvalue(v0, text);
  // The table form names its file with MatriX, first or last.
  if ((kw0 == ekw::MatriX || optkw(lastslot) == ekw::MatriX) && editmx != nullptr) {
    editmx();
    return;
  }
  if (kw0 == ekw::MatriX) {
    exec::notyetbuilt(call);  // (no table editor installed)
    return;
  }
  if (kw0 != ekw::Text && istext) {
    editorform(firstslot, text);
    return;
  }
  if (kw0 != ekw::Text) {
    core::msgkey.set(core::MSGKEY("editText1"));
    return;
  }
  if (!istext || text.size() < 1) {
    storezero();
    return;
  }
  // The receiving variable starts with the character of code 1.
  Span target;
  const std::int32_t t = core::xeqtarget;
  if (assignedkind(call.assignkind) && t != v0 && core::NAMTYP(t, 0x49) == 0x40 &&
      textvalue(t, target) && target.size() > 0)
    core::c1namen(target.first) = '\x01';

  EditState e;
  e.assignkind = call.assignkind;
  invidxrun.offset = 0;
  e.textsym = v0;
  e.firstslot = firstslot;
  e.lastslot = lastslot;
  e.first = text.first;
  e.last = text.last;
  e.constant = (core::NAMTYP(v0, 0x49) & 1) != 0;
  e.expression = call.expression;
  if (!keptplan(e)) {
    plan(e);
    keepplan(e);
  }
  std::int32_t stopped = 0;
  // TabiFyfont runs the list again, a run per column gap; each run takes
  // up a gap of every range, so the text's length bounds them.
  bool ok = true;
  for (std::int32_t runs = 0; runs <= e.last - e.first + 2; ++runs) {
    ok = runlist(e, stopped);
    if (!ok || core::xeqstop != 0 || !tabifyagain(e)) break;
  }
  tabifyend();
  if (!ok) return;
  finish(e, stopped);
}

}  // namespace text
