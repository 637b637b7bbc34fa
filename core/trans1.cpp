// The statement translator: the older postfix form.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"

namespace core {

namespace {

// Word classes, in the order they are searched; entries 0 to 5 match the
// word itself, the others the bits of its class value.
constexpr std::array<std::int32_t, 17> classentry = {0x8420, 0x8C00, 0x9000, 0x9400, 0x9420, 0xA840,
                                                     0x80,   0x40,   0x10,   0x5,    0x4,    0x2,
                                                     0xE000, 0xC000, 0xC010, 0x9800, 0x8000};
enum : int {
  cAssign = 0,
  cLparen,
  cRparen,
  cComma,
  cColon,
  cUminus,
  cNum,
  cText,
  cArray,
  cFunc,
  cSub,
  cLabel,
  cStmt,
  cBuiltin,
  c14,
  cOpt,
  cEnd
};

// Which class may follow which: bit j of row i set when a word of class j
// may follow a word of class i. A unary minus takes a function reference
// as it takes a built-in (-F(1)).
constexpr std::array<std::uint32_t, 17> follows = {
    0x023E2, 0x0A3EE, 0x171DD, 0x0A3E2, 0x02362, 0x02342, 0x1403D, 0x1000F, 0x1402F,
    0x00002, 0x1000E, 0x131CC, 0x11F02, 0x00002, 0x02362, 0x02FEE, 0x13BE2};

constexpr std::int16_t kSubroutine = stmtcode("SUBROUTINE");
constexpr std::int16_t kCall = stmtcode("CALL");
constexpr std::int16_t kFunction = stmtcode("FUNCTION");
constexpr std::int16_t kContinue = stmtcode("CONTINUE");
constexpr std::int16_t kThen = stmtcode("THEN");
constexpr std::int16_t kElse = stmtcode("ELSE");
constexpr std::int16_t kElseif = stmtcode("ELSEIF");
constexpr std::int16_t kEnddo = stmtcode("ENDDO");
constexpr std::int16_t kDo = stmtcode("DO");
constexpr std::int16_t kBlockDo = cw(CwFamily::word, "DOblock");
constexpr std::int16_t kBlockIf = cw(CwFamily::word, "IFblock");
constexpr std::int16_t kElseMark = cw(CwFamily::word, "elsemark");
constexpr std::int16_t kSubscript = cw(CwFamily::word, "subscript");
constexpr std::int16_t kArgList = cw(CwFamily::word, "arglist");
constexpr std::int16_t kWholeArray = cw(CwFamily::word, "wholearray");
constexpr std::int16_t kTextAssign = cw(CwFamily::word, "=text");
constexpr std::int16_t kArrayAssign = cw(CwFamily::word, "=array");
constexpr std::int16_t kArrayExprAssign = cw(CwFamily::word, "=arrayexpr");
constexpr std::int16_t kMixedAssign = cw(CwFamily::word, "=mixed");
constexpr std::int16_t kListJoin = cwd::listjoin;
constexpr std::int16_t kWin = builtincode("win");
constexpr std::int16_t kSum = builtincode("SUM");
constexpr std::int16_t kMax = builtincode("MAX");
constexpr std::int16_t kMin = builtincode("MIN");
constexpr std::int16_t kMaxloc = builtincode("MAXLOC");
constexpr std::int16_t kMinloc = builtincode("MINLOC");
constexpr std::int16_t kRead = builtincode("READ");
constexpr std::int16_t kWrite = builtincode("WRITE");

// Built-ins that take numbers one by one: an array standing alone as an
// argument of one runs element by element, as beside an operator.
constexpr std::array<std::int16_t, 23> elementwise = {
    builtincode("LOG"),   builtincode("RAN"),  builtincode("ABS"),    builtincode("EXP"),
    builtincode("INT"),   builtincode("NINT"), builtincode("MOD"),    builtincode("SIN"),
    builtincode("COS"),   builtincode("TAN"),  builtincode("ASIN"),   builtincode("ACOS"),
    builtincode("ATAN"),  builtincode("SINH"), builtincode("COSH"),   builtincode("TANH"),
    builtincode("IAND"),  builtincode("IEOR"), builtincode("IOR"),    builtincode("NOT"),
    builtincode("FLOOR"), builtincode("SIGN"), builtincode("CEILING")};
bool iselementwise(std::int16_t w) {
  return std::any_of(elementwise.begin(), elementwise.end(),
                     [w](std::int16_t e) { return cwcode(e) == cwcode(w); });
}

constexpr int stackroom = 24;

struct Fail {
  std::string_view key;
};

struct Trans1 {
  std::string_view text;
  std::vector<std::int16_t> in;  // the statement's words, in(1..n)
  std::int32_t n = 0;
  std::int32_t i = 0;
  int state = cEnd;
  std::array<std::int16_t, stackroom + 1> stack{};  // entry 0: empty bottom
  int sp = 0;
  int depth = 0;
  std::int32_t arrayseen = 0;
  bool wholearray = false;
  bool textop = false;
  // By bracket depth: the output position of a "(" after a text symbol
  // that no ":" or "," of its own has answered yet, 0 for none. One for
  // each depth, so that a piece inside such a bracket (T(F(U(5 : 5)))) does
  // not answer the bracket around it.
  std::array<std::int32_t, stackroom + 2> pendtext{};
  // By bracket depth: the output position at its "(" and at each of its
  // commas, where its arguments end.
  std::array<std::vector<std::int32_t>, stackroom + 2> argends{};
  int callargpos = 0;
  std::int16_t ioword = 0;
  bool iowritten = false;  // the I/O word went before the assignment
  std::int32_t dopos = 0;
  std::int32_t leadlabel = 0;
  bool blockflag = false;
  bool optclosed = false;    // a ")" closed an option list: the end class follows
  bool piecetarget = false;  // the "=" at depth 0 assigns a piece of a text

  std::int16_t word(std::int32_t k) const { return k >= 1 && k <= n ? in[k] : cwd::end; }
  std::int16_t top() const { return stack[sp]; }
  std::int16_t lastout() const { return ntrans >= 1 ? tokcod(ntrans) : 0; }

  void out(std::int16_t w) {
    if (ntrans >= maxtokens) throw Fail{tooManyTokensKey()};
    tokcod(++ntrans) = w;
  }
  void push(std::int16_t w) {
    if (sp >= stackroom) throw Fail{tooManyTokensKey()};
    stack[++sp] = w;
  }
  static std::string_view tooManyTokensKey() { return toomanytokenskey; }

  // Raises the count in the low five bits of a word; 31 is the most.
  void raise(std::int16_t& w) {
    if ((cwu(w) & 0x1Fu) == 31u) toomanyoptions();
    w = cwv(cwu(w) + 1u);
  }
  [[noreturn]] void toomanyoptions() {
    std::string rest;
    if (i >= 1 && i <= ntok) {
      const auto b = static_cast<std::size_t>(std::max<std::int16_t>(tokbeg(i), 1));
      if (b <= text.size()) rest = std::string(text.substr(b - 1));
    }
    HelpValues v;
    std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(xeqline), 0, 0, 0};
    v.halves = halves;
    v.text = rest;
    int answer = 0;
    HELP(toomanyoptionskey, answer, v);
    throw Fail{};
  }

  int classof(std::int16_t c) const {
    std::int32_t value;
    if (c > 0) {
      if ((name.valid(c) ? name(c).type : 0) == 0x20) return cNum;
      value = NAMTYP(c, 0xD7);
    } else if (isoptmarker(c)) {
      value = 0x9800;
    } else if (isoptstmt(c)) {
      value = 0xC000;
    } else {
      for (int j = 0; j <= cUminus; ++j)
        if (c == cwv(static_cast<unsigned>(classentry[static_cast<std::size_t>(j)]))) return j;
      value = static_cast<std::int32_t>(c) & static_cast<std::int32_t>(0xFFFFE000u);
    }
    if (c > 0 && value == 0) return -1;
    for (int j = cNum; j <= cEnd; ++j) {
      const std::int32_t e = classentry[static_cast<std::size_t>(j)];
      if ((value & e) == e) return j;
    }
    return -1;
  }

  static bool istext(std::int16_t c) { return c > 0 && NAMTYP(c, 0x40) != 0; }
  static bool isarray(std::int16_t c) { return c > 0 && NAMTYP(c, 0x10) != 0; }
  // Priorities on a doubled scale: a join ("//", "&", a list's comma)
  // binds half a step looser than "+" and "-" and closer than a comparison,
  // as the expression translator orders them ('a' & 2 + 1 is 'a3' whether
  // or not the statement holds a function reference).
  static int cprio(std::int16_t c) {
    return 2 * cwprio(c) - (cwcode(c) == cwu(cwd::ampersand) ? 1 : 0);
  }
  static bool isassign(std::int16_t c) {
    const unsigned u = cwu(c);
    return u == 0x8400u || u == 0x8420u || u == 0x8440u || u == 0x8460u || u == 0x8480u;
  }
  // The absolute value of a word as a 16-bit number, bits 0x7C00.
  static unsigned absbits(std::int16_t c) {
    return static_cast<unsigned>(std::abs(static_cast<int>(c))) & 0x7C00u;
  }
  bool iobits(std::int16_t c) const {
    const std::int16_t io = ioword != 0 ? ioword : cwd::end;
    return absbits(c) == absbits(io);
  }
  static bool iscallword(std::int16_t c) {
    const unsigned u = cwcode(c);
    return u == cwu(kSubroutine) || u == cwu(kCall) || u == cwu(kFunction);
  }
  static bool isdo(std::int16_t c) {
    const unsigned u = cwcode(c);
    return u == cwu(kDo) || u == cwu(kBlockDo);
  }
  static bool iscallable(std::int16_t c) {
    return isbuiltinword(c) || isstmtword(c) || isoptstmt(c);
  }

  void labelcell(std::int16_t c, int quarter) {
    SETI2EQUZ(quarter, c, static_cast<std::int16_t>(xeqline));
  }

  std::vector<std::int32_t>& args(int d) {
    return argends[static_cast<std::size_t>(std::clamp(d, 0, stackroom + 1))];
  }

  // SUM, MAX or MIN of a list folds all the values its arguments give: an
  // argument that is an array, or whose arrays run element by element, is
  // folded first, by the built-in's word of one argument after it
  // (SUM(V + F(1), 2) adds all of V + F(1) and 2). MAXLOC and MINLOC of a list find an argument by
  // its position, which such an argument has none of: refused.
  void foldarguments(std::int16_t fn, int d) {
    const unsigned code = cwcode(fn);
    const bool loc = code == cwcode(kMaxloc) || code == cwcode(kMinloc);
    if (code != cwcode(kSum) && code != cwcode(kMax) && code != cwcode(kMin) && !loc) return;
    std::vector<std::int32_t>& ends = args(d);
    if (ends.size() < 2) return;
    ends.push_back(ntrans);
    const std::int16_t one = code == cwcode(kSum) ? kSum : code == cwcode(kMax) ? kMax : kMin;
    for (std::size_t a = ends.size() - 1; a >= 1; --a) {
      // (An array alone is the argument whole, all its elements.)
      bool whole = ends[a] == ends[a - 1] + 1 && isarray(tokcod(ends[a]));
      for (std::int32_t k = ends[a - 1] + 1; k <= ends[a]; ++k)
        whole = whole || tokcod(k) == kWholeArray;
      if (!whole) continue;
      if (loc) throw Fail{loclistkey};
      if (ntrans >= maxtokens) throw Fail{tooManyTokensKey()};
      for (std::int32_t k = ntrans; k > ends[a]; --k) tokcod(k + 1) = tokcod(k);
      tokcod(ends[a] + 1) = one;
      ++ntrans;
    }
  }

  // A "(" after a text symbol that holds a comma: an argument list.
  std::int32_t& pending(int d) {
    return pendtext[static_cast<std::size_t>(std::clamp(d, 0, stackroom + 1))];
  }

  void internalcheckfa() {
    std::int32_t& pend = pending(depth);
    if (pend == 0) return;
    if (sp > 1 && stack[sp - 1] == kSubscript) {
      stack[sp - 1] = kArgList;
    } else {
      push(top());
      stack[sp - 1] = kArgList;
    }
    if (arrayseen == 0) arrayseen = pend;
    pend = 0;
  }

  // A "//" whose joined text would be an actual argument of the call whose
  // list is open. A built-in's bracket inside that list takes the joined
  // text as its own operand (F(INDEX(S // 'x', 'a'))), which is no actual.
  bool joinsactual() const {
    if (callargpos <= 0) return false;
    for (int k = sp; k > callargpos + 1; --k)
      if (stack[k] == cwd::lparen && iscallable(stack[k - 1])) return false;
    return true;
  }

  void popto(std::int16_t c) {
    // A power binds closer than the sign before it: -2 ** 2 is -4.
    while (sp > 0 && cprio(c) <= cprio(top()) && !(c == cwd::power && top() == cwd::uminus)) {
      const std::int16_t t = stack[sp--];
      if (t == cwd::lparen) throw Fail{MSGKEY("rightBracket")};
      if (isassign(t) && i < n) throw Fail{MSGKEY("multiAssignment")};
      if (t == kContinue || iobits(t)) continue;
      // K = WRITE(...) items: the transfer runs on its items and its value
      // goes to K, so its word comes before the assignment that takes it.
      if (isassign(t) && ioword > 0 && !iowritten) {
        out(static_cast<std::int16_t>(-ioword));
        iowritten = true;
      }
      if ((t == kTextAssign || t == cwd::assign) && textop) {
        out(kMixedAssign);
        continue;
      }
      out(t);
      if (isdo(t)) dopos = ntrans;
    }
  }

  // Whether the values of a list at depth 0 are joined into one text: the
  // list is all that a text or a piece of one is given, or the whole
  // statement (an XEQ text whose value a text takes or nobody does).
  bool joinslist() const {
    if (depth != 0 || ioword != 0) return false;
    if (sp == 0) return !runtextnumber;
    return top() == kTextAssign || (piecetarget && top() == cwd::assign);
  }

  void comma() {
    if (dopos > 0 && depth == 0) {
      raise(tokcod(dopos));
      return;
    }
    if (joinslist()) {
      // Joined as "&" joins, left to right as "//" would.
      push(kListJoin);
      return;
    }
    if (depth == 0 && ioword == 0 &&
        (sp >= 1 ? isassign(top()) && top() != kArrayAssign && top() != kTextAssign
                 : runtextnumber))
      throw Fail{listtoonekey};
    if (ioword < 0) {
      raise(ioword);
    } else if (ioword > 0 && depth == 0) {
      // Between the items of a READ or WRITE, whose word stands at the end.
    } else if (sp == 1) {
      if (isoptstmt(stack[1]))
        raise(stack[1]);
      else if (stack[1] == cwd::lparen)
        internalcheckfa();
    } else if (sp == 0) {
      throw Fail{MSGKEY("syntax")};
    } else if (top() == cwd::lparen) {
      if (pending(depth) != 0) {
        internalcheckfa();
      } else {
        raise(stack[sp - 1]);
        args(depth).push_back(ntrans);
      }
    }
  }

  void rparen() {
    --depth;
    if (top() != cwd::lparen) throw Fail{MSGKEY("leftBracket")};
    --sp;
    if (isoptmarker(lastout())) optclosed = true;
    if (pending(depth + 1) != 0) {
      out(cwd::colon);
      pending(depth + 1) = 0;
    }
    if (ioword < 0) {
      if (cwcode(ioword) == cwcode(top())) {
        stack[sp] = ioword;
        ioword = static_cast<std::int16_t>(-ioword);
      }
    } else if (sp > 0 && iscallable(top()) && !iobits(top())) {
      if (isbuiltinword(top())) foldarguments(top(), depth + 1);
      out(stack[sp--]);
    }
    // A call's argument list that this ")" closed is no longer open: the
    // innermost call whose list still is decides (S = T(1 : F(3)) // 'x').
    callargpos = 0;
    for (int k = sp - 1; k >= 1 && callargpos == 0; --k)
      if (iscallword(stack[k]) && stack[k + 1] == cwd::lparen) callargpos = k;
  }

  void symbol(std::int16_t c, int j) {
    if (j == cLabel) {
      if (i == 1) {
        labelcell(c, 1);
        leadlabel = c;
        return;
      }
      if (sp > 0 && isdo(top())) {
        labelcell(c, 2);
        if (name(c).adr <= 0) {
          nztop -= 2;
          name(c).adr = nztop;
        }
      }
      out(c);
      return;
    }
    if (j < cNum || j > cSub) throw Fail{MSGKEY("notImplemented")};
    out(c);
    const std::int16_t next = word(i + 1);
    if (j == cFunc) push(kFunction);
    if (istext(c) && next == cwd::assign) in[i + 1] = kTextAssign;
    if (istext(c) && next == cwd::lparen && depth == 0 && assignsafter(i + 1)) piecetarget = true;
    if (name(c).type == 0x140) {
      const std::int16_t under = sp >= 1 ? stack[sp - 1] : 0;
      const bool plain = (cwu(under) & 0xC000u) == 0;
      const bool call = (isbuiltinword(under) || isstmtword(under)) && under != kWin &&
                        under != kBlockIf && under != kElseif;
      if (plain || call) push(kSubscript);
    }
    if (isarray(c)) {
      if (next == cwd::lparen)
        push(kSubscript);
      else if (wholearray && !passedwhole(next))
        push(kWholeArray);
    }
  }

  // Whether the bracket that opens at word k is followed by "=".
  bool assignsafter(std::int32_t k) const {
    for (int d = 0; k <= n; ++k) {
      if (word(k) == cwd::lparen) ++d;
      if (word(k) == cwd::rparen && --d == 0) return word(k + 1) == cwd::assign;
    }
    return false;
  }

  // The call or built-in whose argument the array at i stands alone as
  // (between "(" or "," and "," or ")" of its own bracket), 0 for none.
  std::int16_t aloneof(std::int16_t next) const {
    const std::int16_t before = word(i - 1);
    if (sp >= 2 && top() == cwd::lparen && (before == cwd::lparen || before == cwd::comma) &&
        (next == cwd::rparen || next == cwd::comma))
      return stack[sp - 1];
    return 0;
  }
  // An array standing alone as an actual of a call or a function reference
  // is shared with its formal, also in a statement that runs over its
  // arrays' elements; so is one that a built-in takes whole (INDEX(V, 3),
  // LEN_TRIM(V)), but a fold's, which folds either way.
  bool passedwhole(std::int16_t next) const {
    const std::int16_t w = aloneof(next);
    if (w == 0) return false;
    if (iscallword(w)) return true;
    const unsigned c = cwcode(w);
    return isbuiltinword(w) && !iselementwise(w) && c != cwcode(kSum) && c != cwcode(kMax) &&
           c != cwcode(kMin) && c != cwcode(kMaxloc) && c != cwcode(kMinloc);
  }

  void operatorword(std::int16_t c) {
    if (c == cwd::lparen) {
      pending(depth + 1) = 0;
      if (sp > 0 && iscallword(top()) && word(i + 1) != cwd::rparen) {
        raise(stack[sp]);
        callargpos = sp;
      } else if (istext(word(i - 1))) {
        pending(depth + 1) = ntrans;
      }
      ++depth;
      args(depth).assign(1, ntrans);
      push(c);
      return;
    }
    if (isoptmarker(c) || c == cwd::uminus) {
      push(c);
      return;
    }
    if (isifblockword(c)) {
      if (c == kThen) return;
      if (c == kElse || c == kElseif) {
        out(kElseMark);
        blockflag = true;
      }
      if (c == kBlockIf) blockflag = true;
    }
    if (c == cwd::colon) pending(depth) = 0;
    if (cwcode(c) == cwu(cwd::ampersand) && joinsactual()) throw Fail{MSGKEY("subfnc+cat")};
    popto(c);
    if (c == cwd::rparen) {
      rparen();
      return;
    }
    if (c == cwd::comma) {
      comma();
      return;
    }
    std::int16_t p = c;
    if (c == cwd::assign && arrayseen != 0) {
      p = word(i - 1) == arrayseen ? kArrayAssign : kArrayExprAssign;
      if (ntrans >= 1 && cwcode(lastout()) == cwu(kSubscript))
        tokcod(ntrans) = cwv(cwu(lastout()) + 0x200u);
    }
    if (c == kEnddo) out(0);
    if (cwcode(c) == cwu(kRead) || cwcode(c) == cwu(kWrite)) ioword = c;
    push(p);
  }

  void run() {
    for (i = 1; i <= n; ++i) {
      std::int16_t c = in[i];
      if (c == cwd::uplus) continue;
      if (c == cwd::lassign) {
        out(c);
        continue;
      }
      const int j = classof(c);
      if (j < 0 && c != cwd::end) throw Fail{MSGKEY("notImplemented")};
      if (c > 0) {
        const std::int16_t next = word(i + 1);
        if (isarray(c)) {
          if (arrayseen == 0) arrayseen = c;
          // A whole array as an operand of an operator, on either side of
          // it (F(1) + A), or of a sign: the statement runs over its
          // elements.
          const std::int16_t before = word(i - 1);
          if ((cwu(next) & 0xC010u) == 0x8010u ||
              (next != cwd::lparen && before < 0 &&
               ((cwu(before) & 0xC010u) == 0x8010u || before == cwd::uminus)))
            wholearray = true;
          // So does one alone as an argument of a built-in of numbers
          // (ABS(V), LOG(V, 2)).
          if (const std::int16_t w = aloneof(next); w != 0 && iselementwise(w)) wholearray = true;
        }
        if (istext(c)) {
          if (next < 0 && (cwu(next) & 0x8010u) == 0x8010u) textop = true;
          if (sp > 0 && top() == cwd::assign) stack[sp] = kTextAssign;
        }
      }
      if (((follows[static_cast<std::size_t>(state)] >> j) & 1u) == 0) {
        const bool listend = (c == cwd::rparen || c == cwd::comma) &&
                             ((sp > 0 && isoptmarker(top())) ||
                              (ntrans >= 1 && (cwu(lastout()) & 0xAC00u) == 0xAC00u));
        const bool endok = i == n && ((follows[static_cast<std::size_t>(state)] >> cEnd) & 1u);
        if (!listend && !endok) {
          if (j == cNum && sp > 0 && cwcode(top()) == cwu(kDo) && state == cStmt) {
            stack[sp] = cwv(cwu(kBlockDo) | static_cast<unsigned>(cwcount(top())));
            out(0);
          } else if (c == cwd::labelmarker) {
          } else if (c == cwd::lparen && word(i - 1) > 0 && (name(word(i - 1)).type & 0x20) != 0) {
          } else if (c == cwd::rparen && word(i - 1) == cwd::colon) {
            out(0);
          } else if (c == cwd::colon && (word(i - 1) == cwd::lparen || word(i - 1) == cwd::comma)) {
            // An omitted lower bound (T(:3)): its 0 slot, as for an omitted
            // upper one.
            out(0);
          } else {
            throw Fail{MSGKEY("syntax")};
          }
        }
      }
      if (c > 0)
        symbol(c, j);
      else
        operatorword(c);
      state = optclosed ? static_cast<int>(cEnd) : j;
      optclosed = false;
      if (isoptmarker(c)) {
        const std::int16_t next = word(i + 1);
        if (next == cwd::assign) {
          ++i;
        } else if (next == cwd::rparen || next == cwd::comma) {
          out(0);
          state = cNum;
        }
      }
    }
    // A READ or WRITE word follows its items; the label of a labelled
    // statement and its CONTINUE (the end of the DO loops on it) follow
    // the statement's own words.
    if (ioword > 0) {
      if (!iowritten) out(static_cast<std::int16_t>(-ioword));
    } else if (sp > 1) {
      throw Fail{MSGKEY("opStackNotEmpty")};
    }
    if (leadlabel != 0) {
      out(static_cast<std::int16_t>(leadlabel));
      out(kContinue);
    }
    if (blockflag) out(0);
  }

  void report(std::string_view key) {
    msgkey.set(key);
    xeqstop = stops::error;
    std::int32_t k = i > n ? n : i;
    if (k == n && k > 1) --k;
    const std::int32_t first = n >= 1 ? std::max<std::int16_t>(tokbeg(1), 1) : 1;
    std::int32_t last = k >= 1 && k <= ntok ? tokend(k) : static_cast<std::int32_t>(text.size());
    last = std::clamp<std::int32_t>(last, 0, static_cast<std::int32_t>(text.size()));
    const std::string upto(text.substr(0, static_cast<std::size_t>(last)));
    failedline.set(upto);
    // A refusal whose key tells what is wrong with the statement (not that
    // its shape cannot be read) is shown as the lexicon shows its own, in a
    // whole-script compile too, and noted in the compile's list.
    const bool own = key == listtoonekey || key == loclistkey;
    if (key == listtoonekey) compnote.set("a list fills a whole array");
    if (key == loclistkey) compnote.set("MAXLOC, MINLOC of a list over whole arrays");
    if (own ? (edflags & 0x1020) != 0
            : (edflags & 0x1000) != 0 || (xeqmode & runmode::storesready) != 0)
      return;
    std::string shown;
    if (first <= last)
      shown = std::string(text.substr(static_cast<std::size_t>(first - 1),
                                      static_cast<std::size_t>(last - first + 1)));
    std::string tokchar;
    if (k >= 1 && k <= ntok && tokbeg(k) >= 1 &&
        tokbeg(k) <= static_cast<std::int32_t>(text.size()))
      tokchar = std::string(1, text[static_cast<std::size_t>(tokbeg(k) - 1)]);
    HelpValues v;
    std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(xeqline), 0, 0, 0};
    v.halves = halves;
    v.text = tokchar;
    v.characters = shown;
    v.count = static_cast<int>(shown.size());
    int answer = 0;
    HELP(key, answer, v);
  }
};

}  // namespace

void TRANS1(std::string_view text) {
  Trans1 t;
  t.text = text;
  t.n = std::clamp<std::int32_t>(ntok, 0, maxtokens);
  t.in.assign(static_cast<std::size_t>(t.n) + 2, 0);
  for (std::int32_t k = 1; k <= t.n; ++k) {
    std::int16_t& c = t.in[static_cast<std::size_t>(k)];
    c = tokcod(k);
    // A sign right after a two-operand operator or another sign is the
    // operand's own (X = A * -B, A - -B), as the expression translator
    // reads it.
    const std::int16_t before = k > 1 ? t.in[static_cast<std::size_t>(k - 1)] : 0;
    const bool afterop = before < 0 && ((cwu(before) & 0xC010u) == 0x8010u ||
                                        before == cwd::uminus || before == cwd::uplus);
    if (afterop && c == cwd::minus) c = cwd::uminus;
    if (afterop && c == cwd::plus) c = cwd::uplus;
  }
  ntrans = 0;
  if (t.n == 0 || (t.n == 1 && t.in[1] == cwd::end)) {
    ntok = 0;
    return;
  }
  try {
    t.run();
  } catch (const Fail& f) {
    if (f.key.empty())
      xeqstop = stops::error;
    else
      t.report(f.key);
  }
}

}  // namespace core
