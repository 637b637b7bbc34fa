// The expression translator: writes the executor form (core/xform.h).
#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "core/xform.h"

namespace core {

namespace {

using namespace xform;

constexpr int maxlevel = 7;    // eight levels: 0 outside brackets, 1 to 7 inside
constexpr int stackroom = 16;  // operator stack
constexpr int listroom = 256;  // output list and prefix list

// Functions whose arguments stay on the stack, counted in their word.
constexpr std::array<std::int16_t, 5> argfunctions = {cwv(0xE080), cwv(0xE100), cwv(0xE140),
                                                      cwv(0xE180), cwv(0xE1C0)};
bool isargfunction(std::int16_t w) {
  return std::find(argfunctions.begin(), argfunctions.end(), w) != argfunctions.end();
}
// MAX, MIN and SIGN count their commas from the second one on.
bool ismaxminsign(std::int16_t w) { return w == foldmax || w == foldmin || w == cwv(0xE9A0); }
bool isfunctionword(std::int16_t w) {
  const unsigned m = cwu(w) & 0x6820u;
  return w < 0 && (m == 0x0020u || m == 0x6800u || m == 0x6820u);
}
bool isoptstmtx(std::int16_t w) { return isxoptstmt(w); }
// A built-in whose value is a number (all but CHAR and TRIM).
bool givesnumber(std::int16_t w) {
  return (isfunctionword(w) || isargfunction(w)) && w != xcw(CwFamily::builtin, "CHAR") &&
         w != xcw(CwFamily::builtin, "TRIM");
}

struct Level {
  int kind = 0;
  std::int32_t opcount = 0;   // operand count at the opening
  std::int32_t outpos = 0;    // output position at the opening
  std::int32_t firstarg = 0;  // output position at the end of the first argument
  std::int16_t fnword = 0;    // the word before the "("
  int commas = 0;             // commas that count for the level
  int commasmet = 0;          // commas met at the level
  bool anycomma = false;      // a comma at the level, counted or not
  int markers = 0;            // option markers met
  int argmark = 0;            // arguments of INDEX, RAN, LOG, CHAR, INIT
  std::int16_t mark = 0;      // subscript or substring base mark, 0 none
  bool markcomma = false;     // a comma in a subscript list
  int rangebits = 0;          // range words written in the bracket
  bool symbolseen = false;
  bool textseen = false;
  bool fileseen = false;
  bool arrayseen = false;
  std::vector<std::int32_t> argends;  // output position at each comma of the level
};

struct Failed {
  std::int32_t number;
  double value;
  bool withvalue;
};
struct HandOver {};

// Whether the words run over several elements of an array: a whole array,
// or an array subscripted with a range (V(1:2), A(2, :)); or hold a fold
// (whose list may have moved into a block), whose one value a fold around
// it folds.
// own: only the arrays and ranges of the words' own level count, not those
// inside a fold among them (and not the fold itself).
bool wholearrayin(std::span<const std::int16_t> words, bool own = false) {
  bool range = false;
  int folds = 0;  // folds open at the word
  for (const std::int16_t w : words) {
    if (cwcount(w) == 0x1F && isfold(cwv(cwcode(w)))) {
      if (!own) return true;
      ++folds;
    }
    if (w == segclose && folds > 0) --folds;
    if (folds > 0) continue;
    if (w == arraymark) return true;
    if ((cwu(w) & 0xFFF0u) == cwu(colon)) range = true;
    if (range && (w == cwv(cwu(arraymark) + closeone) || w == cwv(cwu(arraymark) + closetwo)))
      return true;
  }
  return false;
}

struct Trans2 {
  std::string_view text;
  std::int32_t n = 0;
  std::vector<std::int16_t> saved;  // saved(1..n): the compiler words
  std::vector<std::int16_t> x;      // x(1..n): the words recoded
  std::vector<std::int16_t> outl = std::vector<std::int16_t>(listroom + 1, 0);
  std::int32_t outpos = 2;
  std::vector<std::int16_t> prefix;
  struct Entry {
    std::int16_t w;
    bool lower;  // a range's lower and upper bounds were written
    bool upper;
  };
  std::array<Entry, stackroom + 1> stack{};
  int sp = 0;
  std::array<Level, maxlevel + 1> levels{};
  int level = 0;
  std::int32_t opcount = 0;
  std::int32_t i = 0;
  bool readwrite = false;    // the statement holds READ or WRITE
  std::int16_t heldopt = 0;  // option statement word written at the end
  bool labelnext = false;    // the next label follows an ERror "="
  bool errlabel = false;     // the statement holds the "=" of ERror
  bool leadlabel = false;
  std::int16_t leadsym = 0;  // the leading label
  bool blockpart = false;    // the statement is part of an IF block
  // The prefix words a logical IF's condition needs; -1 without such an IF.
  std::int32_t ifprefix = -1;
  bool blockword = false;     // the statement holds ELSE or ENDIF
  bool arraytarget = false;   // the left side is a whole array
  bool numbertarget = false;  // the left side is a number (variable or element)

  Level& cur() { return levels[static_cast<std::size_t>(level)]; }
  std::int16_t top() const { return sp > 0 ? stack[static_cast<std::size_t>(sp)].w : 0; }
  std::int16_t lastout() const { return outl[static_cast<std::size_t>(outpos)]; }
  std::int16_t prevx() const { return i > 1 ? x[static_cast<std::size_t>(i - 1)] : 0; }
  std::int16_t nextsaved() const {
    return i < n ? saved[static_cast<std::size_t>(i + 1)] : cwd::end;
  }

  [[noreturn]] void fail(std::int32_t number) { throw Failed{number, 0.0, false}; }

  void out(std::int16_t w) {
    if (outpos >= listroom) fail(trans2full);
    outl[static_cast<std::size_t>(++outpos)] = w;
  }
  void push(std::int16_t w, bool lower = false, bool upper = false) {
    if (sp >= stackroom) fail(trans2full);
    stack[static_cast<std::size_t>(++sp)] = {w, lower, upper};
  }

  // Writes a popped word: a ":" becomes its range word.
  void writepopped(const Entry& e, bool beforecomma) {
    if (e.w != colon) {
      out(e.w);
      return;
    }
    int b = 0;
    if (beforecomma) {
      b = (e.lower ? rangelow1 : 0) | (e.upper ? rangeup1 : 0);
      // A(:, j): both bounds are placeholders; the bare range word would
      // read as a whole range closing the list and ask for four bounds.
      if (b == 0) b = rangelow1 | rangeup1;
    } else
      b = (e.lower ? rangelow : 0) | (e.upper ? rangeup : 0);
    cur().rangebits |= b;
    out(rangeword(b));
  }
  // Pops the words of priority p and above, never a "(".
  void popfrom(int p, bool beforecomma = false) {
    while (sp > 0 && top() != lparen && xprio(top()) >= p)
      writepopped(stack[static_cast<std::size_t>(sp--)], beforecomma);
  }

  void movetoprefix(std::int32_t from, std::int32_t to) {
    for (std::int32_t k = from; k <= to; ++k) {
      if (static_cast<int>(prefix.size()) >= listroom) fail(trans2full);
      prefix.push_back(outl[static_cast<std::size_t>(k)]);
    }
  }
  void prefixword(std::int16_t w) {
    if (static_cast<int>(prefix.size()) >= listroom) fail(trans2full);
    prefix.push_back(w);
  }

  // Kind of the bracket that the "(" at position i opens.
  int bracketkind(std::int16_t w) {
    if (sp == 0) return 0x0400;
    const std::int16_t w1 = i > 2 ? x[static_cast<std::size_t>(i - 2)] : 0;
    const std::int16_t w2 = i > 3 ? x[static_cast<std::size_t>(i - 3)] : 0;
    if (istwooperand(w) && w != mod && i >= 3 && (w1 == assign || w2 == ifword || w2 == blockif))
      return 0x1000;
    if (w == assign || w == lparen || w == rparen) return 0x0400;
    if (w == negate || w == unaryplus) return 0x0800;
    if (w == ifword || w == blockif || w == elseifword || w == 0) return 0x0400;
    if (isoptstmtx(w)) return 0x0200;
    if (w == mod) {
      cur().commas = 1;
      return 0x2000;
    }
    if (w > 0) return name.valid(w) ? name(w).type : 0x0400;
    if (isfunctionword(w)) {
      const int k = functionkind(w);
      // A built-in of two operands needs its first argument beside the list
      // of the others: a plain bracket, whose list would be its only
      // operand, takes the two-argument form.
      if (k == 0x0400 && istwooperand(w) && isstmtword(w)) return 0x1000;
      return k;
    }
    // A "(" after a comma, a ":", "><" or another word: a plain bracket.
    return 0x0400;
  }

  // Kind of a bracket after a function word: by its commas, else by the
  // first ")" or comma in it.
  int functionkind(std::int16_t w) {
    int commas = 0;
    int d = 0;
    for (std::int32_t k = i + 1; k <= n; ++k) {
      const std::int16_t s = saved[static_cast<std::size_t>(k)];
      if (s == 1 || s == 3 || s == 4 || s == 5) {
        commas += 10;
        break;
      }
      if (s == cwd::lparen) ++d;
      if (s == cwd::rparen && d-- == 0) break;
      if (s == cwd::comma && d == 0) ++commas;
    }
    const unsigned lastmasked = cwcode(lastout());
    if (commas >= 2) return lastmasked == cwu(optmarker) ? 0x0400 : 0x1000;
    if ((cwu(w) & 0x20u) == 0 && isstmtword(w)) return 0x4000;
    if ((cwu(w) & 0x20u) != 0) {
      for (std::int32_t k = i + 1; k <= n; ++k) {
        const std::int16_t s = saved[static_cast<std::size_t>(k)];
        if (s == cwd::rparen) return 0x2000;
        if (s == cwd::comma) {
          if (lastmasked == cwu(lhsend)) return 0x2000;
          if (lastout() > 0 || lastmasked == cwu(optmarker) || lastmasked == cwu(assign) ||
              lastmasked == cwu(comma) || lastmasked == cwu(arraymark))
            return 0x0400;
          return (cwu(top()) & 0x20u) == 0 ? 0x2000 : 0x1000;
        }
      }
    }
    return 0x0400;
  }

  void openbracket() {
    if (level >= maxlevel) fail(trans2nesting);
    const std::int16_t w = prevx();
    ++level;
    cur() = Level{};
    cur().fnword = w;
    cur().kind = bracketkind(w);
    // A subscript or substring: the symbol's mark closes the bracket.
    if (w > 0 && outpos >= 4 && outl[static_cast<std::size_t>(outpos - 1)] == w &&
        (lastout() == arraymark || lastout() == textmark) && cur().kind != 0x4000 &&
        cur().kind != 0x1000) {
      const std::int16_t before = i > 2 ? saved[static_cast<std::size_t>(i - 2)] : 0;
      const bool othersymbol =
          before > 0 && name.valid(before) && (name(before).type & ~0x820) != 2;
      if (!othersymbol) {
        const std::int16_t t = name(w).type;
        cur().mark =
            lastout() == arraymark ? arraymark : ((t & 0x150) == 0x140 ? tablemark : textmark);
        --outpos;
      }
    }
    cur().opcount = opcount;
    cur().outpos = outpos;
    push(lparen);
  }

  bool wholearrayin(std::int32_t from, std::int32_t to, bool own = false) const {
    return core::wholearrayin(std::span(outl).subspan(static_cast<std::size_t>(from),
                                                      static_cast<std::size_t>(to - from + 1)),
                              own);
  }

  // Puts a segment around the words from..to that folds them with fn.
  void segmentaround(std::int32_t from, std::int32_t to, std::int16_t fn) {
    if (outpos >= listroom - 2) fail(trans2full);
    for (std::int32_t k = outpos; k > to; --k)
      outl[static_cast<std::size_t>(k + 3)] = outl[static_cast<std::size_t>(k)];
    for (std::int32_t k = to; k >= from; --k)
      outl[static_cast<std::size_t>(k + 1)] = outl[static_cast<std::size_t>(k)];
    outl[static_cast<std::size_t>(from)] = segopen(fn);
    outl[static_cast<std::size_t>(to + 2)] = segclose;
    outl[static_cast<std::size_t>(to + 3)] = static_cast<std::int16_t>(to + 2 - from);
    outpos += 3;
  }

  // A fold of a list folds all the values its arguments give: an argument
  // over whole arrays of its own is folded first, with the same function
  // (SUM(V, 2) is the sum of V's elements and 2). MAXLOC and MINLOC of a
  // list find an argument by its position, which an argument over whole
  // arrays has none of: the statement translator refuses such a list.
  void foldarguments(const Level& l, std::int16_t fn) {
    std::vector<std::int32_t> starts{l.outpos + 1};
    for (const std::int32_t e : l.argends) starts.push_back(e + 1);
    std::int32_t end = outpos;
    for (std::size_t a = starts.size(); a-- > 0;) {
      const std::int32_t from = starts[a];
      if (from <= end && wholearrayin(from, end, true)) {
        if (fn == foldmaxloc || fn == foldminloc) throw HandOver{};
        segmentaround(from, end, fn);
      }
      end = from - 1;
    }
  }

  void closebracket() {
    popfrom(xprio(rparen));
    if (sp == 0 || top() != lparen) fail(trans2missingparen);
    --sp;
    if (level == 0) fail(trans2missingparen);
    Level& l = cur();
    // MAX and MIN of two arguments one of which runs over arrays (MAX(2, V),
    // MIN(V + 1, W)) fold a list, whatever kind of bracket they stand in.
    if ((top() == foldmax || top() == foldmin) && l.mark == 0 && l.commas == 0 &&
        !l.argends.empty() && wholearrayin(l.outpos + 1, outpos, true))
      l.commas = static_cast<int>(l.argends.size());
    if (l.mark != 0) {
      if (!l.symbolseen) {
        outpos = l.outpos;
        out(l.mark);
      } else if (l.mark == textmark) {
        out(cwv(cwu(textmark) + static_cast<unsigned>(l.rangebits != 0 ? closetwo : closeone)));
      } else {
        out(cwv(cwu(l.mark) + static_cast<unsigned>(l.markcomma ? closetwo : closeone)));
      }
      opcount = l.opcount;
    } else if (l.commas >= 1 && isfold(top())) {
      // SUM, MAX, MIN, MAXLOC or MINLOC of a list: the whole list moves into
      // a block, and a segment folds its elements.
      const std::int16_t fn = top();
      foldarguments(l, fn);
      movetoprefix(l.outpos + 1, outpos);
      prefixword(plainend(opcount - l.opcount));
      outpos = l.outpos;
      out(segopen(fn));
      out(movedargs(l.commas));
      out(segclose);
      out(2);
      --sp;
      opcount = l.opcount + 1 + (istwooperand(fn) ? 1 : 0);
      --level;
      return;
    } else if (l.commas >= 1) {
      if ((l.kind & 0x3800) != 0 && outpos > l.outpos) {
        // The first argument stays in the main words, all of it.
        const std::int32_t keep = l.firstarg > l.outpos ? l.firstarg : l.outpos + 1;
        movetoprefix(keep + 1, outpos);
        prefixword(blockend(l.commas));
        outpos = keep;
        out(movedargs(l.commas));
        opcount -= l.commas - 1;
      } else if (l.kind == 0x0400 && outpos > l.outpos) {
        movetoprefix(l.outpos + 1, outpos);
        prefixword(plainend(opcount - l.opcount));
        outpos = l.outpos;
        out(movedargs(l.commas));
        opcount -= l.commas;
      }
    }
    const std::int16_t under = top();
    if (l.mark == 0 && !l.anycomma && isfold(under) && wholearrayin(l.outpos + 1, outpos)) {
      // A function over all elements of one array: a segment around the
      // argument that folds the elements with the function.
      if (outpos >= listroom - 2) fail(trans2full);
      for (std::int32_t k = outpos; k > l.outpos; --k)
        outl[static_cast<std::size_t>(k + 1)] = outl[static_cast<std::size_t>(k)];
      outl[static_cast<std::size_t>(l.outpos + 1)] = segopen(under);
      ++outpos;
      out(segclose);
      out(static_cast<std::int16_t>(outpos - (l.outpos + 1)));
      --sp;
      if (istwooperand(under)) ++opcount;
      --level;
      return;
    }
    if (under == ifword || under == blockif || under == elseword || under == elseifword ||
        under == endifword) {
      // A condition is one value: operands left over (a word that is no
      // operator, read as a text) would leave the decision to one of them.
      if (under != elseword && under != endifword && opcount - l.opcount != 1)
        throw Failed{trans2stack, static_cast<double>(opcount - l.opcount), false};
      if (under == ifword) ifprefix = static_cast<std::int32_t>(prefix.size());
      out(under);
      --sp;
      if (under != elseword && under != endifword) opcount = 0;
    } else if (isoptstmtx(under)) {
      const std::int16_t w = cwv(cwu(under) + static_cast<unsigned>(l.markers));
      --sp;
      if (readwrite)
        heldopt = w;
      else
        out(w);
      // The statement's result was counted when its word was met; the
      // options and values inside are its own.
      opcount = l.opcount;
    } else if (isargfunction(under)) {
      // The count field holds the call's commas (arguments less one).
      stack[static_cast<std::size_t>(sp)].w = cwv(cwu(under) + static_cast<unsigned>(l.argmark));
      opcount -= l.argmark;
    }
    --level;
  }

  void commaword() {
    // Commas right after a two-operand word (the ones before this one were
    // taken the same way) raise the count of a concatenation on top.
    std::int32_t j = i - 1;
    while (j > 1 && x[static_cast<std::size_t>(j)] == comma) --j;
    const std::int16_t p = j >= 1 ? x[static_cast<std::size_t>(j)] : 0;
    if (istwooperand(p) && isconcat(top())) {
      stack[static_cast<std::size_t>(sp)].w = cwv(cwu(top()) + 0x40u);
      return;
    }
    popfrom(xprio(comma), true);
    Level& l = cur();
    if (level > 0 && l.firstarg == 0) l.firstarg = outpos;
    if (level > 0) l.argends.push_back(outpos);
    l.anycomma = true;
    if (level > 0 && l.kind != 0x0200 && !l.textseen && (l.kind & 0xE000) == 0 && l.mark == 0 &&
        !isargfunction(l.fnword)) {
      ++l.commasmet;
      if (ismaxminsign(l.fnword) && !l.arrayseen) {
        if (l.commasmet >= 2) l.commas = l.commasmet;
      } else {
        ++l.commas;
      }
    }
    if (level == 0) {
      // A list of values for a whole array fills its elements in turn: the
      // statement loop's list assignment, not a concatenation.
      // A list for a number target is refused by the statement translator
      // (a list is no concatenation of numbers); so is one that is all of
      // an XEQ text whose value goes to a number.
      if (arraytarget || numbertarget || (runtextnumber && sp == 0 && !readwrite))
        throw HandOver{};
      if (!readwrite) {
        push(toplevelcomma);
        --opcount;
      }
    } else if (l.mark != 0) {
      l.markcomma = true;
    } else if (l.kind == 0x0200) {
    } else if (isargfunction(l.fnword)) {
      ++l.argmark;
    } else if (!l.textseen) {
    } else if (l.fileseen) {
      push(toplevelcomma);
      --opcount;
    } else if (l.outpos + 1 <= outpos &&
               (cwu(outl[static_cast<std::size_t>(l.outpos + 1)]) & 0xC020u) == 0xC020u) {
      push(toplevelcomma);
      --opcount;
    }
  }

  void colonword() {
    const std::int16_t p = prevx();
    Level& l = cur();
    bool lower = true;
    if (p == lparen) {
      out(nobound);
      ++opcount;
      lower = false;
    } else if (p == comma) {
      if ((l.rangebits & 3) == 0) out(rangedup);
      out(nobound);
      ++opcount;
      lower = false;
    } else {
      popfrom(xprio(colon) + 1);
      if (l.markcomma && (l.rangebits & 3) == 0) out(rangedup1);
    }
    bool upper = true;
    const std::int16_t next = nextsaved();
    if (next == cwd::rparen || next == cwd::comma) {
      out(nobound);
      ++opcount;
      upper = false;
    }
    push(colon, lower, upper);
  }

  void assignment(std::int16_t w) {
    popfrom(xprio(assign));
    if (opcount != 1) fail(trans2leftside);
    if (level != 0) fail(trans2assigninbracket);
    arraytarget = w == assign && outpos == 4 && lastout() == arraymark;
    numbertarget = w == assign && !arraytarget && !isselectfamily(lastout()) &&
                   (cwu(lastout()) & 0xFFC0u) != cwu(tablemark);
    out(lhsend);
    opcount = 0;
    push(w);
  }

  void symbol(std::int16_t c) {
    const std::int16_t type = name.valid(c) ? name(c).type : 0;
    if ((type & ~0x820) == 2) {
      if (i == 1) {
        SETI2EQUZ(1, c, static_cast<std::int16_t>(xeqline));
        leadlabel = true;
        leadsym = c;
        return;
      }
      if (labelnext) out(labelref);
      labelnext = false;
      out(c);
      return;
    }
    const int t = type & ~(0x800 | 0x100 | 0x20 | 0x8 | 0x1);
    if (t != 0x80 && t != 0x10 && t != 0x40) throw HandOver{};
    if (labelnext) {
      // ERror=name: the name is the jump's target as a label would be,
      // not an operand of the statement.
      labelnext = false;
      out(labelref);
      out(c);
      return;
    }
    out(c);
    ++opcount;
    // The texts inside a built-in that gives a number (LEN(T), ICHAR,
    // INDEX) are its own: the brackets around it, however deep it stands
    // in them, count their commas and join no texts for them
    // (MAX((LEN(T) > 2), 4, 1)). MAX, MIN and SIGN take numbers only: a
    // text in their list stands in a relation or a call that gives one
    // (MIN(3, (T == 'a'), 2)).
    bool owntext = false;
    for (int k = level; k >= 1; --k) {
      Level& l = levels[static_cast<std::size_t>(k)];
      l.symbolseen = true;
      if (ismaxminsign(l.fnword)) owntext = true;
      if (t == 0x40 && !owntext) l.textseen = true;
      if (t == 0x40 && (type & 0x100) != 0 && !owntext) l.fileseen = true;
      if (t == 0x10) l.arrayseen = true;
      if (givesnumber(l.fnword)) owntext = true;
    }
    if (t == 0x10) out(arraymark);
    if (t == 0x40) out(textmark);
  }

  void operatorword(std::int16_t c) {
    std::int16_t w = xcode(c);
    if (c == cwd::plus || c == cwd::minus) {
      const std::int16_t p = prevx();
      if (p < 0 && (cwu(p) & 0x8020u) == 0x8020u) w = c == cwd::plus ? unaryplus : negate;
    }
    if (isoptmarker(c)) {
      x[static_cast<std::size_t>(i)] = w;
      ++cur().markers;
      out(w);
      if (nextsaved() == cwd::assign) {
        ++i;
        x[static_cast<std::size_t>(i)] = assign;
      } else {
        out(w);
      }
      return;
    }
    if (c == cwd::labelmarker) {
      x[static_cast<std::size_t>(i)] = labelref;
      labelnext = true;
      errlabel = true;
      return;
    }
    if (w == 0) throw HandOver{};
    x[static_cast<std::size_t>(i)] = w;
    if (isoptstmt(c)) {
      ++opcount;
      const int s = optstmtnr(c);
      if (s == 1 || s == 2) readwrite = true;
    }
    if (w == lparen) return openbracket();
    if (w == rparen) return closebracket();
    if (w == comma) return commaword();
    if (w == colon) return colonword();
    if (w == assign || w == exchange) return assignment(w);
    if (w == thenword || w == blockif || w == elseword || w == elseifword || w == endifword)
      blockpart = true;
    if (w == thenword) {
      out(w);
      ++opcount;
      return;
    }
    if (w == continueword) return out(w);
    if (w == elseword || w == endifword) blockword = true;
    // Prefix words never pop what stands before them.
    const bool prefixword = w == negate || w == ifword || w == elseword || w == elseifword ||
                            w == endifword || w == blockif || c == cwd::uplus || isbuiltinword(c);
    if (!prefixword) popfrom(xprio(w));
    if (istwooperand(w)) {
      push(w);
      --opcount;
    } else if (isoneoperand(w) || prefixword) {
      push(w);
    } else {
      throw Failed{trans2unknown, static_cast<double>(c), true};
    }
  }

  void endword() {
    if (level != 0) fail(trans2unbalanced);
    if (heldopt != 0) {
      // K = WRITE(...) items: the transfer runs on its items and its value
      // goes to K, so its word comes before the assignment that takes it.
      while (sp > 0 && top() != lparen && top() != assign && top() != exchange)
        writepopped(stack[static_cast<std::size_t>(sp--)], false);
      out(heldopt);
      opcount = 1;
    }
    popfrom(0);
    if (opcount != 1 && !leadlabel && !errlabel && !(blockword && opcount == 0))
      throw Failed{trans2stack, static_cast<double>(opcount), false};
  }

  void run() {
    for (i = 1; i <= n; ++i) {
      const std::int16_t c = saved[static_cast<std::size_t>(i)];
      x[static_cast<std::size_t>(i)] = c;
      if (c == cwd::end) {
        endword();
        return;
      }
      if (c > 0)
        symbol(c);
      else
        operatorword(c);
    }
    endword();
  }

  void report(const Failed& f) {
    trans2error = f.number;
    xeqstop = f.number;
    const std::string msg = f.number == trans2assigninbracket ? HELPLINE(trans2bracketkey)
                                                              : std::string(trans2text(f.number));
    failedline.set(msg);
    const std::int32_t k = std::clamp<std::int32_t>(i, 1, std::max<std::int32_t>(n, 1));
    // A failure at the statement's end points just past its last character,
    // however far the blanks of a padded text put the end word.
    const std::size_t used = text.find_last_not_of(" \r\n");
    const auto after = static_cast<std::int32_t>(used == std::string_view::npos ? 0 : used + 1) + 1;
    const std::int32_t col = k <= ntok ? std::clamp<std::int32_t>(tokbeg(k), 1, after) : 1;
    std::string line(static_cast<std::size_t>(col - 1), '-');
    line += '^';
    line += msg;
    if (f.withvalue) {
      std::array<char, 23> num{};
      WTSID8(num, f.value, 0);
      std::string_view v(num.data(), num.size());
      while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
      while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
      line += v;
    }
    const auto len = static_cast<std::int32_t>(line.size());
    if (c1top >= 0 && c1top + len < c1limit && c1namen.valid(c1top + len)) {
      for (std::int32_t p = 0; p < len; ++p)
        c1namen(c1top + 1 + p) = line[static_cast<std::size_t>(p)];
    }
    if ((edflags & 0x1000) == 0) {
      std::string src(text);
      HelpValues v;
      std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(xeqline), 0, 0, 0};
      v.halves = halves;
      v.text = line;
      v.characters = src;
      v.count = static_cast<int>(src.size());
      int answer = 0;
      HELP(freetext ? trans2textkey : trans2key, answer, v);
    }
    compnote.set(std::string_view(line).substr(0, 64));
    ntrans = 2;
    tokcod(1) = lead;
    tokcod(2) = 0;
    xeqstop = stops::error;
  }
};

}  // namespace

void TRANS2(std::string_view text) {
  Trans2 t;
  t.text = text;
  t.n = std::clamp<std::int32_t>(ntok, 0, maxtokens);
  t.saved.assign(static_cast<std::size_t>(t.n) + 2, 0);
  t.x.assign(static_cast<std::size_t>(t.n) + 2, 0);
  for (std::int32_t k = 1; k <= t.n; ++k) t.saved[static_cast<std::size_t>(k)] = tokcod(k);
  xeqstop = 0;
  trans2error = 0;
  if (t.n == 0 || (t.n == 1 && t.saved[1] == cwd::end)) {
    ntrans = 1;
    tokcod(1) = lead;
    return;
  }
  try {
    t.run();
    const auto m = static_cast<std::int32_t>(t.prefix.size());
    const std::int32_t total = 2 + m + (t.outpos - 2);
    if (total > maxtokens) t.fail(trans2full);
    std::vector<std::int16_t> result;
    result.reserve(static_cast<std::size_t>(total));
    result.push_back(lead);
    result.push_back(static_cast<std::int16_t>(m));
    result.insert(result.end(), t.prefix.begin(), t.prefix.end());
    for (std::int32_t k = 3; k <= t.outpos; ++k)
      result.push_back(t.outl[static_cast<std::size_t>(k)]);
    // A bare array or text name: the dialog that shows and edits it.
    if (total == 4 && result[2] > 0 && (result[3] == arraymark || result[3] == textmark))
      result = {result[2], namedit, dlgstmt, result[3]};
    // The last statement of DO loops ends with their label and CONTINUE,
    // as the statement translator writes them (the walk fills the word
    // before the end of an IF block's statements: those keep their form).
    if (t.leadsym > 0 && result[0] == lead && name(t.leadsym).adr > 0 && !t.blockpart &&
        t.heldopt == 0) {
      if (total + 2 > maxtokens) t.fail(trans2full);
      result.push_back(t.leadsym);
      result.push_back(stmtcode("CONTINUE"));
    }
    // The prefix blocks run before the main words: those of the statement
    // a logical IF governs would run (and fail: a divisor 0, an index 0, a
    // piece outside its text) whatever the condition says. The gate
    // between the condition's blocks and the statement's has the
    // condition decided first.
    if (t.ifprefix >= 0 && m > t.ifprefix) {
      if (static_cast<std::int32_t>(result.size()) + 1 > maxtokens) t.fail(trans2full);
      result.insert(result.begin() + 2 + t.ifprefix, ifgate);
      result[1] = static_cast<std::int16_t>(m + 1);
    }
    for (std::size_t k = 0; k < result.size(); ++k)
      tokcod(static_cast<std::int32_t>(k) + 1) = result[k];
    ntrans = static_cast<std::int32_t>(result.size());
  } catch (const Failed& f) {
    t.report(f);
  } catch (const HandOver&) {
    for (std::int32_t k = 1; k <= t.n; ++k) tokcod(k) = t.saved[static_cast<std::size_t>(k)];
    ntok = t.n;
    TRANS1(text);
    // (A refusal of its own, shown by the statement translator, stands.)
    if (xeqstop != 0 && msgkey.trimmed() != listtoonekey && msgkey.trimmed() != loclistkey) {
      t.i = std::min(t.i, t.n);
      t.report(Failed{trans2typeconflict, 0.0, false});
    }
  }
}

}  // namespace core
