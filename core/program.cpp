#include "core/program.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/formalkinds.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace core {

namespace {

// Words of the executor form that the walk acts on.
constexpr std::int16_t xif = xcw(CwFamily::word, "IFblock");  // 0xF400
constexpr std::int16_t xelse = xcw(CwFamily::stmt, "ELSE");   // 0xF440
constexpr std::int16_t xelseif = xcw(CwFamily::stmt, "ELSEIF");
constexpr std::int16_t xendif = xcw(CwFamily::stmt, "ENDIF");
constexpr std::int16_t xthen = xcw(CwFamily::stmt, "THEN");
// Words of the older form. The statement translator writes a block IF or
// ELSEIF whose condition it took (one that references a function) as its
// condition, the word and a jump slot before the end mark: the same chain
// as the executor form's.
constexpr std::int16_t oif = cw(CwFamily::word, "IFblock");  // 0xE800
constexpr std::int16_t oelse = stmtcode("ELSE");
constexpr std::int16_t oelseif = stmtcode("ELSEIF");
constexpr std::int16_t oendif = stmtcode("ENDIF");
constexpr unsigned oblockdo = cwu(cw(CwFamily::word, "DOblock"));  // 0xEC20 + n
constexpr unsigned oenddo = cwu(stmtcode("ENDDO"));
constexpr unsigned odo = cwu(stmtcode("DO"));
constexpr unsigned oend = cwu(stmtcode("END"));
constexpr unsigned osub = cwu(stmtcode("SUBROUTINE"));
constexpr unsigned ofunc = cwu(stmtcode("FUNCTION"));
constexpr unsigned ocontinue = cwu(stmtcode("CONTINUE"));

constexpr std::int32_t labeltype = 0x2;
// The first symbols are the special names that every compile enters.
constexpr std::int32_t firstscriptsymbol = 12;

// A labelled DO loop open at the walk's position: its label and the
// statement of its DO.
struct OpenLoop {
  std::int16_t label = 0;
  std::int32_t stmt = 0;
};

// A statement of the older form that a walk marked as wrong: the mark
// covers its first word (a DO's label, the first operand of a block IF's
// condition, ELSEIF's jump mark), so the word is kept here for the next
// walk to put back.
struct MarkedStmt {
  std::int32_t stmt = 0;
  std::int16_t first = 0;
};
std::vector<MarkedStmt> markedstmts;

// State of one walk.
struct Walk {
  std::int32_t p = 0;    // position of the word being looked at
  std::int32_t s = 1;    // current statement
  std::int32_t t = 1;    // first word of the current statement
  bool xform = false;    // the current statement is in the executor form
  std::int32_t ndo = 0;  // depth of the DO stack
  std::int32_t docount = 0;
  plat::Store1<std::int16_t> dostack = plat::Store1<std::int16_t>(maxdoblocks);
  std::vector<OpenLoop> labelled;      // labelled DOs whose label is still ahead
  std::vector<OpenLoop> dolabels;      // every labelled DO of the walk
  std::vector<MarkedStmt> lastmarked;  // `markedstmts` of the last walk, renumbered
};

// Marks statement s (at position t in `xeqbuf`) as wrong and lists it.
void blockerror(std::int32_t s, std::int32_t t, std::string note) {
  if (xeqbuf.valid(t)) {
    if (xeqbuf(t) != -1 && xeqbuf(t) != 1) markedstmts.push_back({s, xeqbuf(t)});
    xeqbuf(t) = 1;
  }
  edmark = edmarkall;
  blockerrors.push_back({s, std::move(note)});
}

void markerror(Walk& w, std::string note) { blockerror(w.s, w.t, std::move(note)); }

std::string ofline(std::string_view what, std::int32_t s) {
  return std::string(what) + std::to_string(s);
}

// The statement of the DO that a hidden label belongs to.
std::int32_t dostatement(std::int16_t sym) { return sym > 0 ? I2EQUZ(2, sym) : 0; }

// The first word of a new statement: an END left open by the last walk is
// judged again, and a block error mark from the last walk is lifted (the
// statement then does nothing but may be marked again by this walk).
void firstword(Walk& w) {
  if (!xeqbuf.valid(w.t + 1)) {
    w.xform = false;
    return;
  }
  std::int16_t& f = xeqbuf(w.t);
  if (f == endopendo) f = cw(CwFamily::stmt, "END");
  if (f == 1 && xeqbuf(w.t + 1) != placeholdereq) {
    // A statement of the older form gets back the word the mark covers (a
    // block DO or ENDDO without it an empty label slot, which this walk
    // ties again); any other statement is of the executor form.
    const std::int16_t second = xeqbuf(w.t + 1);
    const bool olddo =
        second != endmark && xeqbuf.valid(w.t + 2) &&
        (cwu(second) == oenddo ? xeqbuf(w.t + 2) == endmark : cwcode(xeqbuf(w.t + 2)) == oblockdo);
    f = olddo ? 0 : -1;
    for (const MarkedStmt& m : w.lastmarked)
      if (m.stmt == w.s) f = m.first;
    edmark = edmarkall;
  }
  w.xform = f == -1;
}

// Room for one more entry of the statement table above the operand stack.
bool tableroom() {
  if (nadrslow - 1 > std::max(xeqstackptr, 0)) return true;
  std::int32_t extra = 0;
  return REALLOC(2, extra);
}

// Looks up the hidden label of a block DO in the scope being walked, making
// it when the last walk left none.
std::int32_t hiddenlabel(std::int32_t number) {
  // Three digits as a rule; more from the 1000th loop on, so that every
  // loop keeps a label of its own.
  std::string nm = std::to_string(number);
  if (nm.size() < 3) nm.insert(0, 3 - nm.size(), '0');
  nm.insert(0, ".do");
  std::int32_t sym = 0;
  // The label belongs to `lokalsub`; with no local subroutine set, the
  // look-up must search the main program, not the scope of `xeqline`.
  const std::int32_t keptline = xeqline;
  if (lokalsub == 0 && lokalscope == 0) xeqline = 0;
  const bool found = FINDSN(nm, sym, labeltype);
  xeqline = keptline;
  if (found && sym > 0) return sym;
  const auto len = static_cast<std::int32_t>(nm.size());
  if (nsym + 1 >= nname) {
    std::int32_t extra = nname;
    if (!REALLOC(4, extra)) return 0;
  }
  if (nsym + 1 >= nztop - 2) {
    std::int32_t extra = 0;
    if (!REALLOC(3, extra)) return 0;
  }
  if (c1top + len + 1 >= c1limit) {
    std::int32_t extra = 5000;
    if (!REALLOC(5, extra)) return 0;
  }
  sym = ++nsym;
  SymbolRecord& r = name(sym);
  r = SymbolRecord{};
  r.type = labeltype;
  r.scope = static_cast<std::int16_t>(lokalsub);
  r.nambeg = c1top + 1;
  r.namlen = static_cast<std::int16_t>(len);
  for (char c : nm) c1namen(++c1top) = c;
  c1namen(++c1top) = ',';
  nztop -= 2;
  r.adr = nztop;
  z(sym) = 0.0;
  return sym;
}

void blockdo(Walk& w) {
  ++w.docount;
  if (w.ndo >= maxdoblocks || w.p < 3) {
    markerror(w, "DO loops nested too deeply");
    return;
  }
  const std::int32_t sym = hiddenlabel(w.docount);
  if (sym < 1) {
    markerror(w, "no room for the DO loop");
    return;
  }
  xeqbuf(w.p - 2) = static_cast<std::int16_t>(sym);
  SETI2EQUZ(1, sym, 0);
  SETI2EQUZ(2, sym, static_cast<std::int16_t>(w.s));
  SETI2EQUZ(3, sym, xeqbuf(w.p - 1));
  w.dostack(++w.ndo) = static_cast<std::int16_t>(sym);
}

void enddo(Walk& w) {
  if (w.ndo < 1) {
    markerror(w, "ENDDO without a DO before it");
    return;
  }
  const std::int16_t sym = w.dostack(w.ndo--);
  xeqbuf(w.p - 1) = sym;
  SETI2EQUZ(1, sym, static_cast<std::int16_t>(w.s));
}

// A labelled DO. Its label holds one loop record: a DO inside a loop that
// ends on the same label would take over the outer loop's record, so it is
// refused.
void labelleddo(Walk& w) {
  const std::int16_t lbl = xeqbuf(w.t);
  if (lbl <= 0) return;
  for (const OpenLoop& o : w.labelled) {
    if (o.label != lbl) continue;
    markerror(w, "DO " + std::string(symbolname(lbl)) + " inside the DO of line " +
                     std::to_string(o.stmt) + " ends on the same label");
    return;
  }
  SETI2EQUZ(2, lbl, static_cast<std::int16_t>(w.s));
  w.labelled.push_back({lbl, w.s});
  w.dolabels.push_back({lbl, w.s});
}

// A labelled DO whose label stands at no statement of its program unit.
bool unended(const OpenLoop& d) {
  return name(d.label).type == labeltype && I2EQUZ(1, d.label) < 1;
}
bool unended(const Walk& w) {
  return std::any_of(w.dolabels.begin(), w.dolabels.end(),
                     [](const OpenLoop& d) { return unended(d); });
}

// A labelled DO whose label stands at no statement of its program unit
// would have no end to go on at (an empty loop would start over from the
// top for ever): it is refused.
void unendeddos(const Walk& w) {
  for (const OpenLoop& d : w.dolabels) {
    if (!unended(d)) continue;
    const std::string lbl(symbolname(d.label));
    blockerror(d.stmt, stmtstart(d.stmt), "DO " + lbl + " without a statement labelled " + lbl);
  }
}

// The word CONTINUE after a label ends the statement that carries the
// label: the labelled loops open on it are closed.
void labelend(Walk& w) {
  if (w.p - 1 < w.t) return;
  const std::int16_t lbl = xeqbuf(w.p - 1);
  if (lbl <= 0) return;
  std::erase_if(w.labelled, [lbl](const OpenLoop& o) { return o.label == lbl; });
}

void endstmt(Walk& w) {
  lokalsub = lokalscope = 0;
  w.labelled.clear();
  // The END word itself is marked 0xE0C1 with block IFs or DO loops open:
  // the next walk takes it for END again and judges it anew, so that the
  // END comes back once its blocks are closed.
  if (nblock != 0) {
    const std::int32_t open = std::abs(blockstmt(nblock));
    for (std::int32_t k = 1; k <= maxblocks; ++k) blockstmt(k) = 0;
    nblock = 0;
    blockerror(w.s, w.p, ofline("END before the ENDIF of the IF in line ", open));
    xeqbuf(w.p) = endopendo;
  }
  if (w.ndo != 0) {
    const std::int32_t open = dostatement(w.dostack(w.ndo));
    w.ndo = 0;
    blockerror(w.s, w.p, ofline("END before the ENDDO of the DO in line ", open));
    xeqbuf(w.p) = endopendo;
  }
}

void heading(Walk& w) {
  if (w.p <= 0 || w.p >= nxeqbuf) return;
  const std::int16_t sym = xeqbuf(w.t);
  if (sym <= 0 || sym > nsym) return;
  lokalsub = lokalscope = sym;
  SETI2EQUZ(1, sym, static_cast<std::int16_t>(w.s));
  std::int32_t q2 = I2EQUZ(2, sym);
  if (q2 > delline) --q2;
  if (q2 > insline) ++q2;
  SETI2EQUZ(2, sym, static_cast<std::int16_t>(q2));
}

// A block word of either form, given as the executor form's word: the
// block stack of the walk and the jump slots.
void blockword(Walk& w, std::int16_t word) {
  bool pushed = true;
  if (word == xif) {
    if (nblock >= maxblocks) {
      markerror(w, "block IFs nested too deeply");
      pushed = false;
    } else {
      blockstmt(++nblock) = w.s;
    }
  } else if (word == xelse || word == xelseif || word == xendif) {
    if (nblock < 1) {
      markerror(w, "no IF ... THEN block open here");
    } else {
      const std::int32_t slot = blockslot(nblock);
      if (slot >= 1 && xeqbuf.valid(slot)) xeqbuf(slot) = static_cast<std::int16_t>(w.s);
      if (blockstmt(nblock) <= 0) {
        if (word == xendif) {
          blockstmt(nblock--) = 0;
        } else {
          markerror(w, ofline("the block of line ", -blockstmt(nblock)) + " had its ELSE");
        }
      } else if (word == xendif) {
        blockstmt(nblock--) = 0;
      } else if (word == xelse) {
        blockstmt(nblock) = -blockstmt(nblock);
        if (w.xform && xeqbuf.valid(w.p + 1) && xeqbuf(w.p + 1) == endmark) {
          xeqbuf(w.p - 1) = xelse;
          xeqbuf(w.p) = 0;
        }
      }
    }
  }
  if (nblock > 0 && pushed && (word == xif || word == xelse || word == xelseif)) {
    std::int32_t q = w.p;
    while (q < nxeqbuf && xeqbuf.valid(q) && xeqbuf(q) != endmark) ++q;
    if (xeqbuf.valid(q) && xeqbuf(q) == endmark) {
      // The slot holds only what this walk finds: a block whose ELSE or
      // ENDIF went has no statement to go on at.
      blockslot(nblock) = q - 1;
      xeqbuf(q - 1) = 0;
    }
  }
}

void INTERNALJUMPS2NEW(Walk& w) {
  const std::int16_t word = xeqbuf(w.p);
  if (word == xthen && w.p > 1 && (xeqbuf(w.p - 1) == xif || xeqbuf(w.p - 1) == xelseif)) {
    xeqbuf(w.p) = 0;
    --w.p;
    return;
  }
  blockword(w, word);
}

void INTERNALJUMPS2OLD(Walk& w) {
  const std::int16_t word = xeqbuf(w.p);
  const unsigned u = cwu(word);
  if (word == oif) {
    blockword(w, xif);
  } else if (word == oelse) {
    blockword(w, xelse);
  } else if (word == oelseif) {
    blockword(w, xelseif);
  } else if (word == oendif) {
    blockword(w, xendif);
  } else if (cwcode(u) == oblockdo) {
    blockdo(w);
  } else if (u == oenddo) {
    enddo(w);
  } else if (cwcode(u) == odo) {
    labelleddo(w);
  } else if (u == oend) {
    endstmt(w);
  } else if (cwcode(u) == osub ||
             (cwcode(u) == ofunc && xeqbuf.valid(w.p + 1) && cwu(xeqbuf(w.p + 1)) == ofunc)) {
    heading(w);
  }
}

// A label the script wrote (a loop's hidden label is placed by the walk;
// a labelled DO that ran keeps its variable in the label's third word, so
// that word does not tell the two apart).
bool ownlabel(std::int32_t k) {
  return name(k).type == labeltype && !symbolname(k).starts_with('.');
}

// The statements the script's own labels stand at, as numbered after the
// line inserted or deleted. A label whose line went stands at no
// statement.
void shiftlabels() {
  if (insline == nolinemark && delline == nolinemark) return;
  for (std::int32_t k = firstscriptsymbol; k <= nsym && name.valid(k) && z.valid(k); ++k) {
    if (!ownlabel(k)) continue;
    std::int32_t q1 = I2EQUZ(1, k);
    if (q1 <= 0) continue;
    if (q1 >= insline) {
      ++q1;
    } else if (q1 == delline) {
      q1 = 0;
    } else if (q1 > delline) {
      --q1;
    }
    SETI2EQUZ(1, k, static_cast<std::int16_t>(q1));
  }
}

}  // namespace

void DROPLABELS(std::int32_t stmt) {
  for (std::int32_t k = firstscriptsymbol; k <= nsym && name.valid(k) && z.valid(k); ++k)
    if (ownlabel(k) && I2EQUZ(1, k) == stmt) SETI2EQUZ(1, k, 0);
}

void INTERNALJUMPS(bool spliced) {
  xeqmode &= ~runmode::storesready;
  if (nadrs < 1 || adrs.size() == 0) {
    std::int32_t one = 1, upper = std::max(nedlines, nstmt) + nadrsstep;
    ALLOCS("adrs", one, upper);
    nadrs = static_cast<std::int32_t>(adrs.size());
  }
  nadrslow = nadrs;
  adrs(nadrs) = 1;
  for (std::int32_t k = 1; k <= maxblocks; ++k) blockstmt(k) = blockslot(k) = 0;
  nblock = 0;
  blockerrors.clear();
  // A label is tied to its labelled DO as the walk meets the DO (a run ties
  // it too): a DO gone leaves its label free.
  for (std::int32_t k = firstscriptsymbol; k <= nsym && name.valid(k) && z.valid(k); ++k)
    if (ownlabel(k)) SETI2EQUZ(2, k, 0);
  const std::int32_t keptsub = lokalsub;
  Walk w;
  // The statements marked by the last walk, as numbered after the line
  // inserted or deleted since.
  for (const MarkedStmt& m : markedstmts) {
    if (m.stmt == delline) continue;
    std::int32_t s = m.stmt;
    if (s >= insline) {
      ++s;
    } else if (s > delline) {
      --s;
    }
    w.lastmarked.push_back({s, m.first});
  }
  markedstmts.clear();
  firstword(w);
  const std::int32_t last =
      std::min<std::int32_t>(nxeqbuf, static_cast<std::int32_t>(xeqbuf.last()));
  while (w.p < last) {
    ++w.p;
    const std::int16_t word = xeqbuf(w.p);
    if (word == endmark) {
      ++w.s;
      w.t = w.p + 1;
      if (!tableroom()) break;
      adrs(--nadrslow) = w.t;
      if (w.s > nstmt) {
        // The last statement is closed: the words beyond belong to no
        // statement and must not be read as code.
        w.p = w.t;
        break;
      }
      firstword(w);
      continue;
    }
    if (word == -1) continue;
    if (cwu(word) == ocontinue) labelend(w);
    if (word < 0) {
      if (w.xform) {
        INTERNALJUMPS2NEW(w);
      } else {
        INTERNALJUMPS2OLD(w);
      }
    }
    if (w.p >= jumplimit || w.s > nstmt) break;
  }
  shiftlabels();
  const std::int32_t wasopen = openblock;
  openblock = 0;
  if (spliced) {
    // Typed top down, a script reaches the ENDIF or ENDDO of a block only
    // after its first line: a branch that skips the block goes past the
    // last statement for now, and a loop that is done does so too (the
    // executor's loop test). Only the innermost block IF is shown.
    for (std::int32_t k = 1; k <= nblock; ++k) {
      const std::int32_t slot = blockslot(k);
      if (slot >= 1 && xeqbuf.valid(slot)) xeqbuf(slot) = static_cast<std::int16_t>(nstmt + 1);
    }
    if (nblock != 0) openblock = std::abs(blockstmt(nblock));
    if (nblock != 0 || w.ndo != 0 || unended(w)) programstale = true;
  } else {
    if (nblock != 0) {
      const std::int32_t open = std::abs(blockstmt(nblock));
      blockerror(open, stmtstart(open), "IF ... THEN without its ENDIF");
    }
    // A block DO still open at the end.
    if (w.ndo != 0) {
      const std::int32_t open = dostatement(w.dostack(w.ndo));
      if (open >= 1) blockerror(open, stmtstart(open), "DO without its ENDDO");
    }
    unendeddos(w);
  }
  if (openblock != wasopen) edmark = edmarkall;
  iresult = nsym + 1;
  nxeqused = w.p;
  lokalsub = lokalscope = keptsub;
  insline = delline = nolinemark;
}

void reset_program() {
  formalkinds::clear();
  blockerrors.clear();
  openblock = 0;
  markedstmts.clear();
  for (std::int32_t k = 1; k <= maxblocks; ++k) blockstmt(k) = blockslot(k) = 0;
  nblock = 0;
  insline = delline = nolinemark;
  jumplimit = 0;
}

}  // namespace core
