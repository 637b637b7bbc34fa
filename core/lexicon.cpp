#include "core/lexicon.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/arrays_data.h"
#include "core/chars.h"
#include "core/codewords.h"
#include "core/commalists.h"
#include "core/editbuffer.h"
#include "core/lexicon_use.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

namespace core {

namespace {

// The `lexflags` bit of a statement keyword: 2 to the power of its entry.
consteval std::int32_t flagof(std::string_view kw) {
  std::int32_t n = 0;
  for (const auto& c : codewords) {
    if (c.family != CwFamily::stmt) continue;
    ++n;
    if (c.text == kw) return 1 << n;
  }
  throw "no such statement keyword";
}

constexpr std::int32_t fDIMENSION = flagof("DIMENSION"), fDATA = flagof("DATA"),
                       fSUBROUTINE = flagof("SUBROUTINE"), fFUNCTION = flagof("FUNCTION"),
                       fCHARACTER = flagof("CHARACTER"), fUSE = flagof("USE"),
                       fREAL = flagof("REAL");
constexpr std::int32_t declarations = fDIMENSION | fDATA | fCHARACTER | fUSE | fREAL;

enum class Step { next, fail, retry };

// State of the line being compiled.
struct Line {
  std::string_view text;
  bool quiet = false;
  std::int32_t k = 0;          // token in hand
  std::int32_t last = 0;       // last token before the end marker
  std::int32_t ifpos = 0;      // token of the IF that a THEN recodes
  std::int32_t depth = 0;      // parenthesis depth
  bool arraynext = false;      // DIMENSION: the next name is an array
  bool dummies = false;        // inside the dummy arguments of SUBROUTINE/FUNCTION
  std::int32_t defined = 0;    // subroutine or function defined by the line
  std::int32_t chainprev = 0;  // last record of the dummy chain
  std::int32_t caption = 0;    // position of a function-key caption block
  std::int32_t lastchar = 0;   // last variable of a CHARACTER statement
  std::int32_t aliascount = 0;
  bool keepdetail = false;  // failedline already holds the detail
};

bool in(std::int32_t f) { return (lexflags & f) != 0; }

std::int16_t codeat(std::int32_t j) { return j >= 1 && j <= ntok ? tokcod(j) : cwd::end; }

std::string_view linefrom(std::string_view line, std::int32_t col) {
  if (col < 1 || col > std::ssize(line)) return {};
  return line.substr(static_cast<std::size_t>(col - 1));
}

std::int32_t typeof_(std::int32_t s) { return static_cast<std::uint16_t>(name(s).type); }

Step fail(std::string_view key) {
  msgkey.set(key);
  return Step::fail;
}

// Makes sure a store growth that a caller asked for happened; a failed
// growth stops the line with the store's message.
Step grown(bool ok) {
  if (ok) return Step::next;
  if (msgkey.is_blank()) msgkey.set(storelimitkey);
  return Step::fail;
}

bool ischarvar(std::int32_t s) {
  return s >= 1 && s <= nsym && (typeof_(s) & 0x40) != 0 && (typeof_(s) & 0x1) == 0;
}

// --- Character declarations ---------------------------------------------

// Gives character variable s a block of n characters (a new one when its
// length changes) and fills it with text, blank padded.
Step setcharlength(std::int32_t s, std::int32_t n, std::string_view text) {
  std::int32_t first = 0, lastpos = 0;
  TRANSFERR8TO2I4(z(s), first, lastpos);
  const bool valid = first >= 1 && lastpos >= first - 1 && c1namen.valid(first) &&
                     (lastpos < first || c1namen.valid(lastpos));
  if (!valid || lastpos - first + 1 != n) {
    if (c1limit - c1top < n) {
      // A length near the top of the range asks for more than the store may hold.
      std::int32_t extra = n > INT32_MAX - 5000 ? INT32_MAX : n + 5000;
      if (grown(REALLOC(5, extra)) == Step::fail) return Step::fail;
    }
    c1limit -= n;
    first = c1limit;
    lastpos = c1limit + n - 1;
    TRANSFER2I4TOR8(first, lastpos, z(s));
  }
  // Both ends checked, the block is filled at once (it may be very long).
  char* const block = &c1namen(first);
  static_cast<void>(c1namen(first + n - 1));
  const auto kept = static_cast<std::size_t>(std::min<std::int64_t>(n, std::ssize(text)));
  std::copy_n(text.data(), kept, block);
  std::fill(block + kept, block + n, ' ');
  return Step::next;
}

// "*" after a variable of a CHARACTER statement: its length, from a text
// literal (which also gives the text) or a number or named constant.
Step characterlength(Line& ln) {
  const std::int32_t s = codeat(ln.k - 1);
  if (ln.k < 2 || s < 1 || !ischarvar(s)) return fail(MSGKEY("showCHARACTER"));
  if (typeof_(s) & 0x20) return Step::next;  // a dummy takes the caller's length
  const std::int32_t j = ln.k + 1;
  std::int32_t n = 0;
  std::string_view text;
  if (codeat(j) == cwd::text) {
    text = tokentext(ln.text, j);
    n = static_cast<std::int32_t>(text.size());
  } else if (codeat(j) == cwd::number || codeat(j) == cwd::name) {
    n = nearesti4(GETISSYMBR8VALUE(j));
  }
  if (n < 1) return fail(MSGKEY("showCHARACTER"));
  ++ln.k;  // the length is no declared name
  return setcharlength(s, n, text);
}

// --- Operators ----------------------------------------------------------

Step realoperator(Line& ln, std::int16_t code) {
  if (ln.k == 2 && code == cwd::comma && codeat(3) == cwd::name) {
    std::string word(tokentext(ln.text, 3));
    UPCASE(word);
    if (word == "PARAMETER") {
      lexflags |= lexparameter;
      ln.k = 4;  // past the word and the first colon
      return Step::next;
    }
  }
  if (ln.k == 2 && code == cwd::colon) {
    ln.k = 3;
    return Step::next;
  }
  if (code != cwd::assign) return Step::next;
  const std::int32_t s = codeat(ln.k - 1);
  // Only a numeric scalar takes a value here: the cell of an array or a
  // text holds its shape or bounds.
  if (ln.k < 2 || s < 1 || s > nsym || (typeof_(s) & 0x80) == 0 || (typeof_(s) & 0x5E) != 0)
    return fail(MSGKEY("array_init"));
  std::int32_t j = ln.k + 1;
  bool negative = false;
  if (codeat(j) == cwd::uminus || codeat(j) == cwd::minus) {
    negative = true;
    ++j;
  }
  const double v = GETISSYMBR8VALUE(j);
  z(s) = negative ? -v : v;
  return Step::next;
}

Step operatortoken(Line& ln, std::int16_t code) {
  if (code == cwd::lparen) {
    ++ln.depth;
    if (ln.defined != 0 && ln.depth == 1 && in(fSUBROUTINE | fFUNCTION)) ln.dummies = true;
  } else if (code == cwd::rparen) {
    --ln.depth;
    if (ln.depth <= 0) ln.dummies = false;
  }
  if (in(fCHARACTER)) {
    if (code == cwd::times) return characterlength(ln);
    if (code == cwd::divide && ln.k > 1 && codeat(ln.k - 1) > 0 && codeat(ln.k + 1) == cwd::text &&
        codeat(ln.k + 2) == cwd::divide && ischarvar(ln.lastchar)) {
      const std::string_view t = tokentext(ln.text, ln.k + 1);
      STRITOC1NAMEN(ln.lastchar, t, static_cast<std::int32_t>(t.size()));
    }
    return Step::next;
  }
  if (in(fREAL)) return realoperator(ln, code);
  if (in(fDATA) && code == cwd::divide) {
    lexk = ln.k;
    const std::int32_t r = LEXDAT(ln.k);
    return r == 0 ? Step::next : Step::fail;
  }
  if (code == cwd::times && ln.k > 1 && codeat(ln.k - 1) == cwd::comma) {
    tokcod(ln.k) = cwd::labelmarker;
  } else if (code == cwd::comma && in(fDIMENSION) && ln.depth == 0) {
    ln.arraynext = true;
  }
  return Step::next;
}

// --- Symbols ------------------------------------------------------------

// Room for `symbols` more symbols (names of n characters), made before they
// are: the table never fills up to its last record. A growth of `z` answers
// Step::retry: the line's literal values stood in it.
Step symbolroom(std::int32_t n, std::int32_t symbols = 1) {
  if (c1limit - c1top < symbols * n + 1000) {
    std::int32_t extra = symbols * n + 16000;
    if (grown(REALLOC(5, extra)) == Step::fail) return Step::fail;
  }
  if (nsym + symbols >= nname) {
    std::int32_t extra = 2 * nname;
    if (grown(REALLOC(4, extra)) == Step::fail) return Step::fail;
  }
  if (nsym + symbols >= nztop || !z.valid(nsym + symbols)) {
    std::int32_t extra = nz;
    if (grown(REALLOC(3, extra)) == Step::fail) return Step::fail;
    return Step::retry;
  }
  return Step::next;
}

// Appends a symbol record with its name.
std::int32_t newsymbol(std::string_view word, std::int32_t type, std::int32_t scope) {
  const std::int32_t s = ++nsym;
  SymbolRecord& r = name(s);
  r = SymbolRecord{};
  r.type = static_cast<std::int16_t>(type);
  r.scope = static_cast<std::int16_t>(scope);
  r.nambeg = c1top + 1;
  r.namlen = static_cast<std::int16_t>(word.size());
  for (char c : word) c1namen(++c1top) = c;
  c1namen(++c1top) = ',';
  z(s) = 0.0;
  return s;
}

// A one-character blank text from the top of `c1namen` for a new variable.
void onecharacter(std::int32_t s) {
  c1namen(--c1limit) = ' ';
  TRANSFER2I4TOR8(c1limit, c1limit, z(s));
}

bool arraydeclaration(std::int32_t kind) { return (kind & 0x50) == 0x10 && in(fDIMENSION | fREAL); }

// Looks a word up the way the lexicon does: the use record of the current
// subroutine, the kind, then a dummy of the kind.
bool lookup(std::string_view word, std::int32_t kind, bool isname, std::int32_t& s) {
  if (isname && lokalsub > 0 && lokalsub <= nsym && name(lokalsub).adr < 0) {
    const std::int32_t p = -name(lokalsub).adr;
    if (xeqbuf.valid(p) && xeqbuf.valid(p - 1) && xeqbuf(p - 1) == lokalsub) {
      const std::int32_t len = xeqbuf(p);
      for (std::int32_t q = p - 2; q > p - len && q >= 0; --q) {
        const std::int32_t u = xeqbuf(q);
        if (u >= 1 && u <= nsym && ELMNT_IS_NAMENI(word, u)) {
          s = u;
          return true;
        }
      }
    }
  }
  // The name of the forced local subroutine (index 0) is no symbol to use here.
  if (FINDSN(word, s, kind) && s >= 1) return true;
  if (!isname || (kind & 0x20)) return false;
  if (!FINDSN(word, s, kind | 0x20) || s < 1) return false;
  // A declaration that meets a dummy gives it its kind; so does a
  // subscript (W(2)) one that an earlier plain use took for a number
  // (Y = SUM(W), CALL S2(W)): the caller's array is shared with it.
  const std::int32_t t = typeof_(s);
  keeprecord(s);
  if ((arraydeclaration(kind) || kind == 0x10) && t == 0xA0) name(s).type = 0x30;
  if (kind == 0x40 && in(fCHARACTER) && (t == 0xA0 || t == 0x30)) name(s).type = 0x60;
  return true;
}

// An array declared again: a new shape, and a new block when it grew.
Step redeclare(std::int32_t s) {
  if ((xeqmode & runmode::analysis) || (typeof_(s) & 0x20)) return Step::next;
  ALLOCARRAY(-1);
  if (lexcount <= 0) return Step::next;
  std::int32_t rows = 0, cols = 0;
  TRANSFERR8TO2I4(z(s), rows, cols);
  // An alias view (an ALIAS line before the declaration made the name one)
  // owns no cells: those it shows (other scalars, or none yet) are not the
  // top block's to give back. Grown, it becomes an array with a block of
  // its own, whose address moves with the store like any array's.
  const bool view = (typeof_(s) & 0x800) != 0;
  const std::int64_t old = static_cast<std::int64_t>(rows) * cols;
  if (lexcount > old) {
    if (!view && old > 0 && name(s).adr > 0)
      MOVEXTD(s, name(s).adr, static_cast<std::int32_t>(old));
    const ArrayShape shape = zshape;
    const double* const cells = z.data();
    if (!ALLOCARRAY(0)) return grown(false);
    name(s).adr = lexblock;
    keeprecord(s);
    if (view) name(s).type = 0x10;
    zshape = shape;
    if (z.data() != cells) {
      // `z` moved, and the line's literal values with it: the line is read
      // again (the array has its new shape by then).
      TRANSFER2I4TOR8(zshape.rows, zshape.cols, z(s));
      return Step::retry;
    }
  }
  TRANSFER2I4TOR8(zshape.rows, zshape.cols, z(s));
  return Step::next;
}

// Steps 4 to 6: the symbol of token k, found or new, of the given kind.
Step resolve(Line& ln, std::int32_t kind, bool isname) {
  const std::int32_t k = ln.k;
  const std::string_view word = tokentext(ln.text, k);
  const bool view = (kind & 0x800) != 0;
  const bool filebound = (kind & 0x100) != 0;
  const bool literal = !isname;
  std::int32_t plain = view ? kind & 0x50 : kind & ~0x100;
  if (literal && filebound) plain = 0x41;
  const bool dummy = (kind & 0x20) != 0 && isname && plain != 0x20 && ln.dummies;
  const bool decl = in(fDIMENSION | fREAL | fCHARACTER);
  std::int32_t s = 0;

  bool found = lookup(word, literal && filebound ? 0x141 : plain, isname, s);
  // A plain name may stand for a whole array (DATA lists, array operands).
  if (!found && isname && plain == 0x80 && !decl && FINDSN(word, s, 0x10) && s >= 1) found = true;
  if (!found && isname && (plain == 0x80 || plain == 0x10) && !decl) {
    std::int32_t c = 0;
    if (FINDSN(word, c, 0x40) && c >= 1 && typeof_(c) != 0x41) {
      s = c;
      found = true;
      if (in(0x20000) && k >= 3 && codeat(k - 1) == cwd::assign && isoptmarker(codeat(k - 2))) {
        const auto entry = static_cast<std::size_t>(optmarkerentry(codeat(k - 2)));
        const std::string_view types = curshoptypes.view();
        if (entry < types.size() && types[entry] == 'N' && (typeof_(s) & 0x1) == 0) {
          ln.keepdetail = false;
          return fail(MSGKEY("lOP3"));
        }
      }
    }
  }
  if (!found && isname && decl) {
    std::int32_t c = 0;
    if (FINDSN(word, c, 0x400) && c >= 1) {
      if (kind == 0x40) {
        std::string note = "Type change ";
        note += word.substr(0, 52);
        compnote.set(note);
      }
      return fail(MSGKEY("nameConflict"));
    }
  }
  if (found) {
    if (s >= 1 && in(lexparameter) && (typeof_(s) & 0x10)) return fail(MSGKEY("pmtNotScalar"));
    if (s >= 1 && arraydeclaration(kind) && (typeof_(s) & 0x10)) {
      const Step r = redeclare(s);
      if (r != Step::next) return r;
    }
    if (filebound && s >= 1) {
      keeprecord(s);
      name(s).type = static_cast<std::int16_t>(typeof_(s) | 0x100);
    }
  } else {
    const bool newarray = arraydeclaration(kind) && !dummy;
    if (newarray && in(lexparameter)) return fail(MSGKEY("pmtNotScalar"));
    if (newarray) {
      lexk = k;
      if (!ALLOCARRAY(-1)) return fail(arrayshapekey);
    }
    // A function's result variable follows it: room for both at once.
    const std::int32_t symbols = kind == 5 ? 2 : 1;
    if (const Step r = symbolroom(static_cast<std::int32_t>(word.size()), symbols); r != Step::next)
      return r;
    std::int32_t type = dummy ? 0x20 : view ? kind : literal ? (kind | (plain & 1)) : kind;
    if (in(lexparameter) && !dummy && isname) type |= 0x81;
    std::int32_t scope = lokalsub;
    // A label is written as a literal but belongs to its subroutine.
    if (kind == 4 || kind == 5 || (literal && kind != 2)) scope = 0;
    if (kind == 2) scope = lokalscope;
    s = newsymbol(word, type, scope);
    if (dummy) {
      if (ln.chainprev >= 1) {
        keeprecord(ln.chainprev);
        name(ln.chainprev).link = static_cast<std::int16_t>(s);
      }
      ln.chainprev = s;
    } else if (literal && (plain & 0x40)) {
      const std::int32_t b = name(s).nambeg;
      TRANSFER2I4TOR8(b, b + name(s).namlen - 1, z(s));
    } else if (literal && plain == 0x81) {
      z(s) = k <= std::ssize(lexvalues) ? lexvalues[static_cast<std::size_t>(k - 1)] : 0.0;
    } else if (view && plain == 0x40) {
      TRANSFER2I4TOR8(2, 1, z(s));
    } else if (view) {
      const bool over = ln.aliascount > 0;
      name(s).adr = over ? s + 1 : 0;
      TRANSFER2I4TOR8(1, over ? ln.aliascount : 1, z(s));
    } else if ((plain & 0x40) && kind != 2) {
      onecharacter(s);
    } else if (newarray) {
      lexk = k;
      if (!ALLOCARRAY(0)) return grown(false);
      name(s).adr = lexblock;
      TRANSFER2I4TOR8(zshape.rows, zshape.cols, z(s));
      tokcod(k) = static_cast<std::int16_t>(s);
      return Step::retry;
    }
    if (kind == 5) {
      // The function's result variable, created right after it.
      if (const Step r = symbolroom(static_cast<std::int32_t>(word.size())); r != Step::next)
        return r;
      const std::int32_t r = newsymbol(word, 0x80, lokalsub);
      // A function without dummies has no names of its own: its result
      // stays a variable of the program around it, as its body's names do.
      const bool dummies = codeat(k + 1) == cwd::lparen && codeat(k + 2) != cwd::rparen;
      if (lokalsub == lokalscope && dummies) name(r).scope = static_cast<std::int16_t>(s);
    }
  }
  tokcod(k) = static_cast<std::int16_t>(s);
  if (in(fCHARACTER) && isname) ln.lastchar = s;

  // Step 5: the name defined by SUBROUTINE or FUNCTION.
  if ((kind == 4 || kind == 5) && k >= 2 &&
      (codeat(k - 1) == stmtcode("SUBROUTINE") || codeat(k - 1) == stmtcode("FUNCTION")) &&
      s >= 1) {
    ln.defined = s;
    ln.chainprev = s;
    if (lokalsub == 0) {
      lokalscope = s;
      if (codeat(k + 1) == cwd::lparen && codeat(k + 2) != cwd::rparen) {
        lokalsub = s;
        keeprecord(s);
        name(s).scope = static_cast<std::int16_t>(s);
        if (kind == 5 && s < nsym) {
          keeprecord(s + 1);
          name(s + 1).scope = static_cast<std::int16_t>(s);
        }
      }
    }
    // A caption position, or 0; a use record of the subroutine stays.
    if (ln.caption > 0 || name(s).adr >= 0) name(s).adr = ln.caption;
    if (ln.caption > 0 && menutoolonoff != nullptr) menutoolonoff("Fn", ln.caption);
  }
  return Step::next;
}

// --- Function-key subroutines -------------------------------------------

// Stores the caption block of subroutine Fn: its length byte, the key
// number and the caption (the line's comment without its CR LF).
Step fkeycaption(Line& ln, int key) {
  if (ln.k != ln.last) return fail(MSGKEY("noFdummies"));
  const std::string_view t0 = ln.text;
  std::string_view t;
  if (const auto bang = t0.find('!'); bang != std::string_view::npos)
    t = t0.substr(bang + 1);
  else
    t = linefrom(t0, tokbeg(ln.k));
  t = t.substr(0, static_cast<std::size_t>(C1LEN_TRIM(t)));
  std::int32_t len = static_cast<std::int32_t>(t.size());
  if (len == 0) return fail(MSGKEY("showCHARACTER"));
  if (len == 44) len = 45;   // never the code of the list separator
  len = std::min(len, 255);  // the length is kept in one byte
  const std::int32_t size = std::max(len, 2);
  if (c1limit - c1top <= size) {
    std::int32_t extra = 5000;
    if (grown(REALLOC(5, extra)) == Step::fail) return Step::fail;
  }
  c1limit -= size;
  const std::int32_t p = c1limit;
  c1namen(p) = static_cast<char>(static_cast<unsigned char>(len));
  c1namen(p + 1) = static_cast<char>(key);
  const std::int32_t n = std::min<std::int32_t>(len - 2, static_cast<std::int32_t>(t.size()));
  for (std::int32_t i = 0; i < n; ++i) c1namen(p + 2 + i) = t[static_cast<std::size_t>(i)];
  ln.caption = p;
  return Step::next;
}

// --- Names --------------------------------------------------------------

bool keywordallowed(const Line& ln, char cls) {
  const std::int32_t k = ln.k;
  const std::int16_t next = codeat(k + 1);
  switch (cls) {
    case 'n':
      return next == cwd::number;
    case '(':
      return next == cwd::lparen;
    case 'D':
      return next == cwd::number || next == cwd::name;
    case 'S':
      return next == cwd::name;
    case 'C':
      return ln.last == 1 || (ln.last == 2 && k == 2 && codeat(1) >= 1 && typeof_(codeat(1)) == 2);
    case '2':
      return k == 1 && next == cwd::name;
    case 'L':
      return k == ln.last;
    case 'R':
    case ':':
      return k == 1;
    case '1':
      return ln.last == 1;
    case ')':
      return k == ln.last && k >= 5;
    default:
      return false;
  }
}

// The built-in named by token k with its options.
Step builtin(Line& ln, std::int32_t nb, std::int32_t flags) {
  const std::int32_t k = ln.k;
  const std::int16_t code = builtincodes[static_cast<std::size_t>(nb - 1)];
  tokcod(k) = code;
  if (!isoptstmt(code)) return Step::next;
  lexflags |= 0x20000;
  const int sn = optstmtnr(code);
  const ShopList& sl = shoplists[sn];
  curshop.set(sl.shop);
  curshoptypes.set(sl.shoptypes);
  msgkey.blank();
  std::int32_t kout = k;
  LEXIOPTS(ln.text, k, sl.shop, sl.shoptypes, kout, flags & 1);
  if (xeqstop != 0) {
    ln.keepdetail = true;
    return Step::fail;
  }
  if (tokcod(k) != code) return Step::next;  // DLG became the dialog function
  const auto s = static_cast<OptStmt>(sn);
  if (s == OptStmt::READ || s == OptStmt::WRITE) {
    if (codeat(kout + 1) == cwd::plus) tokcod(kout + 1) = cwd::uplus;
    if (codeat(kout + 1) == cwd::minus) tokcod(kout + 1) = cwd::uminus;
  }
  if (s == OptStmt::ALIAS) {
    ln.aliascount = ALIASLEX(ln.text, flags);
    if (xeqstop != 0) return Step::fail;
    lexflags = 0x220000;
  }
  int fileentry = 0;
  if (s == OptStmt::OPEN || s == OptStmt::SORT || s == OptStmt::SYSTEM) fileentry = 3;
  if (s == OptStmt::READ) fileentry = optentry(OptStmt::READ, "FIle");
  if (s == OptStmt::WRITE) fileentry = optentry(OptStmt::WRITE, "FIle");
  if (fileentry > 0) {
    for (std::int32_t j = k + 1; j < ntok; ++j) {
      if (tokcod(j) != optmarkerof(fileentry)) continue;
      const std::int16_t c = codeat(j + 2);
      if (c == 0x40 || c == cwd::text || c == cwd::name)
        tokcod(j + 2) = static_cast<std::int16_t>(0x140 | (c & 1));
      break;
    }
  }
  return Step::next;
}

Step nametoken(Line& ln, std::int32_t flags) {
  const std::int32_t k = ln.k;
  const std::string_view word = tokentext(ln.text, k);
  const auto n = static_cast<std::int32_t>(word.size());

  // a. Statement keywords.
  if (const std::int32_t e = FINDSTN(stmtlist, word, n); e > 0) {
    const char cls = stmtclass[static_cast<std::size_t>(e - 1)];
    if (!keywordallowed(ln, cls)) return fail(MSGKEY("thisIsKeyword"));
    const std::int16_t code = stmtcodes[static_cast<std::size_t>(e - 1)];
    tokcod(k) = code;
    lexflags |= 1 << e;
    if (code == stmtcode("IF")) ln.ifpos = k;
    if (code == stmtcode("THEN") && ln.ifpos > 0) tokcod(ln.ifpos) = cw(CwFamily::word, "IFblock");
    if (code == stmtcode("DIMENSION")) ln.arraynext = true;
    if (code == stmtcode("END") && k <= 2) lokalsub = lokalscope = 0;
    return Step::next;
  }

  // b. The kind of the name.
  const std::int16_t prev = codeat(k - 1), next = codeat(k + 1);
  std::int32_t kind = 0x80;
  if (in(fDIMENSION) && ln.arraynext) {
    kind = 0x10;
    ln.arraynext = false;
  } else if (in(fCHARACTER)) {
    kind = 0x40;
    if (next == cwd::assign) tokcod(k + 1) = cwd::times;
  } else if (k >= 2 && (prev == stmtcode("SUBROUTINE") || prev == stmtcode("CALL"))) {
    kind = 4;
    // c. A function-key subroutine F2 to F9.
    if (prev == stmtcode("SUBROUTINE") && n == 2 && word[0] == 'F' && word[1] >= '2' &&
        word[1] <= '9' && fkeycaption(ln, word[1] - '0') == Step::fail)
      return Step::fail;
  } else if (k >= 2 && prev == stmtcode("FUNCTION")) {
    kind = 5;
  } else if (next == cwd::lparen && !ln.dummies) {
    if (const std::int32_t nb = FINDSTN(builtinlist, word, n); nb > 0)
      return builtin(ln, nb, flags);
    std::int32_t s = 0;
    if (FINDSN(word, s, 4)) {
      kind = 5;
    } else if (FINDSN(word, s, 0x10)) {
      kind = 0x10;
    } else if (FINDSN(word, s, 0x40)) {
      if (s >= 1 && typeof_(s) == 0x41) {
        const std::int32_t b = tokbeg(k), e = tokend(k);
        const bool quoted =
            b >= 2 && e < std::ssize(ln.text) &&
            ln.text[static_cast<std::size_t>(b - 2)] == ln.text[static_cast<std::size_t>(e)];
        kind = quoted ? 0x40 : 0x10;
      }
    } else {
      kind = 0x10;
    }
  }
  if (ln.dummies && kind == 0x80) kind = 0xA0;
  return resolve(ln, kind, true);
}

// --- Literals -----------------------------------------------------------

Step literaltoken(Line& ln, std::int16_t code) {
  const std::int32_t k = ln.k;
  const std::int16_t prev = codeat(k - 1), next = codeat(k + 1);
  bool label = false;
  if (k == 1)
    label = !lexruntext &&
            (ln.last == 1 || next == cwd::name || next == cwd::number || next == cwd::text);
  else
    label = prev == cwd::labelmarker || prev == stmtcode("GOTO") || prev == stmtcode("DO");
  return resolve(ln, label ? 2 : code, false);
}

void report(const Line& ln, std::int32_t flags) {
  if (flags & 1) {
    xeqstop = 0;
    return;
  }
  xeqstop = stops::error;
  const std::string key = msgkey.str();
  if (key.starts_with("Alias"))
    failedline.set(compnote.view());
  else if (!ln.keepdetail)
    failedline.set(tokentext(ln.text, ln.k));
  if (key.empty() || (edvars(edv::flags) & 0x1020) != 0) return;
  // The rest of the line without the CR LF that ends it.
  std::string_view rest = linefrom(ln.text, tokbeg(ln.k));
  rest = rest.substr(0, static_cast<std::size_t>(std::max(C1LEN_TRIM(rest) - 2, 0)));
  iostatw[0] = static_cast<std::int16_t>(xeqline);
  std::string detail(failedline.trimmed()), text(rest);
  HelpValues v;
  v.halves = iostatw;
  v.text = detail;
  v.characters = text;
  v.count = static_cast<int>(text.size());
  int answer = 0;
  HELP(key, answer, v);
}

}  // namespace

void LEXIK(std::string_view line, std::span<double> values, std::int32_t flags) {
  lexflags = 0;
  lexline = line;
  lexvalues = values;
  xeqstop = 0;
  if (lokalsub > 0) lokalscope = lokalsub;
  if (!line.empty() && line[0] == '#' && !lexruntext) {
    nstmt = xeqline - 1;  // the program ends before this line
    return;
  }
  Line ln;
  ln.text = line;
  ln.quiet = (flags & 1) != 0;
  ln.last = ntok >= 1 && tokcod(ntok) == cwd::end ? ntok - 1 : ntok;

  for (ln.k = 1; ln.k <= ntok; ++ln.k) {
    const std::int32_t k = ln.k;
    xeqstop = 0;
    failedline.set(linefrom(line, tokbeg(k)));
    lexk = k;
    ln.keepdetail = false;
    const std::int16_t code = tokcod(k);
    Step r = Step::next;
    if (tokend(k) < tokbeg(k)) {
      r = fail(MSGKEY("noEmptyString"));
    } else if (ln.dummies && code != cwd::name && code != cwd::comma && code != cwd::rparen &&
               code != cwd::end) {
      // A formal parameter is a plain name: an element, a number or an
      // expression there would give a call a cell to copy its value back
      // into.
      r = fail(MSGKEY("formalNotName"));
    } else if (code < 0) {
      if ((xeqmode & runmode::analysis) == 0) r = operatortoken(ln, code);
    } else if (code == cwd::number || code == cwd::text) {
      r = literaltoken(ln, code);
    } else if (code == cwd::name) {
      if (k == 1 && FINDSTN(stmtlist, tokentext(line, 1), tokend(1) - tokbeg(1) + 1) ==
                        FINDSTN(stmtlist, "USE", 3)) {
        std::int32_t at = 1;
        if (!LEXUSE(line, at)) {
          ln.k = at;
          r = Step::fail;
        } else {
          break;
        }
      } else {
        r = nametoken(ln, flags);
      }
    } else if (code > 0) {
      r = resolve(ln, code, (code & 1) == 0);  // a kind set by the option checks
    }
    if (r == Step::retry) {
      xeqstop = stops::retry;
      return;
    }
    if (r == Step::fail) {
      report(ln, flags);
      return;
    }
  }
  if (in(declarations) && !ln.quiet && keystate[1] != 59) {
    tokcod(1) = cwd::end;
    ntok = 1;
  }
}

void reset_lexicon() {
  lexflags = 0;
  lexline = {};
  lexvalues = {};
  lexk = 0;
  menutoolonoff = nullptr;
  zshape = {};
  lexcount = 0;
  lexblock = 0;
}

}  // namespace core
