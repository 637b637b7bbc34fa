#include "exec/optdispatch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/codewords.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/optforms.h"

namespace exec {

namespace {

using core::OptStmt;

// An operand-stack entry that is an option marker: the sign-extended code
// word 0x9800 OR keyword number.
bool ismarker(std::int32_t e) { return (static_cast<std::uint32_t>(e) & ~0x3FFu) == 0xFFFF9800u; }

// The slots that FILLOPTIONS wrote last into a table it cleared, while no
// other fill has cleared it since.
std::vector<OptSlot> filled;
bool fillstands = false;

void clearoptions() {
  fillstands = false;
  noptions = 0;
  if (optval.size() != noptslots) optval.assign(noptslots, 0);
  // (Cleared for the length the store has: for a length written out the
  // compiler makes a string store, slow to start, where the library's
  // clearing is not.)
  std::int32_t* const v = optval.ptr(0);
  std::fill(v, v + optval.size(), 0);
}

// The slot of keyword number kw of statement s; -1 when it has none.
std::int32_t slotfor(OptStmt s, std::int32_t kw) {
  if (s == OptStmt::READ) return kw >= 0 && kw < std::ssize(readslots) ? readslots[kw] : -1;
  if (s == OptStmt::WRITE) return kw >= 0 && kw < std::ssize(writeslots) ? writeslots[kw] : -1;
  return kw >= 0 && kw < noptslots ? kw : -1;
}

// Adds an option collected by position; false when the table is full.
bool addpositional(std::int32_t kw, std::int32_t value) {
  if (noptions >= optkw.size()) return false;
  ++noptions;
  optkw(noptions) = static_cast<std::uint8_t>(kw & 0xFF);
  optval(noptions) = value;
  return true;
}

void callroutine(const OptEntry& e, const OptCall& call) {
  const bool timed = e.stmt == OptStmt::DLG && (realtimeflags & 1) && realtimehook != nullptr;
  if (timed) realtimehook(2, 0);
  // A statement that gives no value of its own gives 0, not what an earlier
  // statement left in its result cell.
  if (core::z.valid(core::iresult)) core::z(core::iresult) = 0.0;
  e.routine(call);
  if (timed && call.expression) realtimehook(0, 0);
}

// Makes room on the operand stack for one more entry.
bool stackroom() {
  const std::int32_t next = core::xeqstackptr + 1;
  while (!core::adrs.valid(next) || (core::nadrslow > 0 && next >= core::nadrslow)) {
    std::int32_t extra = core::nadrsstep;
    if (!core::REALLOC(2, extra)) return false;
  }
  return true;
}

}  // namespace

void notyetbuilt(const OptCall&) {
  core::msgkey.set(core::MSGKEY("notYetBuilt"));
  core::xeqstop = core::stops::error;
}

void BUISOPT(std::int16_t header, std::int16_t next) {
  clearoptions();
  std::int32_t newtop = 0, items = 0;
  const std::int32_t c = static_cast<std::int32_t>(core::cwu(header) & 0x1Fu);
  const std::int32_t s = core::optstmtnr(header);
  const std::int32_t base = core::xeqstackbase;
  auto entry = [&](std::int32_t i) { return core::adrs.valid(i) ? core::adrs(i) : 0; };

  if (core::isoptstmt(header) && s < core::noptstmts && !opttable[s].expressiononly) {
    const OptEntry& e = opttable[s];
    if (e.fill == OptFill::position) {
      for (std::int32_t i = core::xeqstackptr; i >= base + 1; --i) {
        const std::int32_t v = entry(i);
        if (ismarker(v)) {
          const std::int32_t kw = core::optmarkerentry(v);
          const std::int32_t below = i > base + 1 ? entry(i - 1) : 0;
          if (!addpositional(kw, below > 0 ? below : -kw)) break;
          newtop = i - 1;
        } else if (noptions == 0) {
          newtop = i + 1;  // an operand on top: the statement has no options here
          break;
        }
      }
    } else {
      for (std::int32_t i = core::xeqstackptr; i >= base + 1; --i) {
        const std::int32_t v = entry(i);
        if (ismarker(v)) {
          ++noptions;
          const std::int32_t kw = core::optmarkerentry(v);
          const std::int32_t below = i > base + 1 ? entry(i - 1) : 0;
          if (const std::int32_t slot = slotfor(e.stmt, kw); slot >= 0)
            optval(slot) = below > 0 && below < 0x7FFF ? below : -kw;
          newtop = i - 1;
          // READ and WRITE give the stack back from below their option
          // list: below the lowest option's value (ERror's marker has
          // none, its label went to `nomsg`), so that their value stands
          // alone or beside the variable that takes it.
          if (e.stmt == OptStmt::READ || e.stmt == OptStmt::WRITE)
            newtop = kw == 0 || i == base + 1 ? i - 1 : i - 2;
        } else if (noptions == 0) {
          ++items;
        } else if (noptions == c + 1) {
          break;
        }
      }
    }
    OptCall call;
    call.items = items;
    call.assignkind = next;
    if (e.stmt == OptStmt::EDIT) core::xeqtarget = entry(base + 1);
    callroutine(e, call);
  }
  core::xeqstackptr = newtop != 0 ? newtop : base + 1;
}

void BUISOPTNEW(std::int16_t header, std::int16_t assignkind, std::span<const std::int32_t> list,
                std::int32_t n) {
  clearoptions();
  const unsigned code = core::xcwcode(header);
  const std::int32_t s = core::xoptstmtnr(code);
  if (s >= core::noptstmts || core::cwu(core::optstmtxcode(s)) != code) return;
  const OptEntry& e = opttable[s];
  n = std::clamp<std::int32_t>(n, 0, static_cast<std::int32_t>(list.size()));
  const std::int32_t c = std::min<std::int32_t>(core::cwu(header) & 0x3Fu, n / 2);

  OptCall call;
  call.assignkind = assignkind;
  call.expression = true;
  if (e.fill == OptFill::keyword) {
    for (std::int32_t j = 0; j < c; ++j) {
      ++noptions;
      const std::int32_t kw = list[2 * j], v = list[2 * j + 1];
      if (const std::int32_t slot = slotfor(e.stmt, kw); slot >= 0)
        optval(slot) = v == novalue ? -kw : v;
    }
    if (e.stmt == OptStmt::READ || e.stmt == OptStmt::WRITE) {
      for (std::int32_t j = 2 * c; j < n; ++j) {
        if (!stackroom()) break;
        core::adrs(++core::xeqstackptr) = list[j];
        ++call.items;
      }
    }
  } else {
    // (As addpositional() for each pair, last written first, until the
    // table is full; clearoptions() gave optval all its slots.)
    static_assert(decltype(optkw)::first() == 1 && decltype(optval)::first() == 0);
    const auto room = static_cast<std::int32_t>(optkw.size());
    std::uint8_t* const kws = optkw.data();        // slot s at s - 1
    std::int32_t* const vals = optval.data() + 1;  // slot s at s - 1
    for (std::int32_t j = c - 1; j >= 0 && noptions < room; --j, ++noptions) {
      const std::int32_t kw = list[2 * j], v = list[2 * j + 1];
      kws[noptions] = static_cast<std::uint8_t>(kw & 0xFF);
      vals[noptions] = v == novalue ? -kw : v;
    }
    core::xeqstackptr = core::xeqstackbase + n;
  }
  if (e.stmt == OptStmt::DLL) {
    core::xeqstop = core::stops::dll;  // the run driver makes the call
    core::dllresult = core::xeqtarget;
    core::xeqmodesave = core::xeqmode;  // the stop clears the run bit
    return;
  }
  callroutine(e, call);
}

std::int32_t OPTIONSLOTS(std::int16_t header, std::span<const std::int32_t> list, std::int32_t n,
                         std::vector<OptSlot>& slots) {
  slots.clear();
  const std::int32_t s = core::xoptstmtnr(core::xcwcode(header));
  if (s >= core::noptstmts || opttable[s].fill != OptFill::keyword) return 0;
  n = std::clamp<std::int32_t>(n, 0, static_cast<std::int32_t>(list.size()));
  const std::int32_t c = std::min<std::int32_t>(core::cwu(header) & 0x3Fu, n / 2);
  for (std::int32_t j = 0; j < c; ++j) {
    const std::int32_t kw = list[2 * j], v = list[2 * j + 1];
    if (const std::int32_t slot = slotfor(opttable[s].stmt, kw); slot >= 0)
      slots.push_back({slot, v == novalue ? -kw : v});
  }
  return c;
}

void FILLOPTIONS(std::span<const OptSlot> slots, std::int32_t count) {
  // The same slots filled last time, still holding their values: the table
  // is as the fill leaves it (every fill of other slots clears it first; a
  // table cleared otherwise no longer holds the values).
  // (Each slot filled last lies in the table: it was filled at this size.)
  if (fillstands && noptions == count && optval.size() == noptslots &&
      slots.size() == filled.size()) {
    const OptSlot* const last = filled.data();
    const std::int32_t* const table = optval.data() - optval.first();
    std::size_t i = 0;
    for (; i < slots.size(); ++i) {
      const OptSlot& o = slots[i];
      if (o.slot != last[i].slot || o.value != last[i].value || table[o.slot] != o.value) break;
    }
    if (i == slots.size()) return;
  }
  clearoptions();
  noptions = count;
  for (const OptSlot& o : slots) optval(o.slot) = o.value;
  filled.assign(slots.begin(), slots.end());
  fillstands = true;
}

void reset_optdispatch() {
  clearoptions();
  optkw.assign(noptslots - 1, 0);
  realtimeflags = 0;
  optforms::reset();
}

}  // namespace exec
