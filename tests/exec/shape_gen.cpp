#include "exec/shape_gen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace shapes {

namespace {

using compose::Final;
using compose::Script;
using compose::Use;

std::string numtext(double x) {
  std::array<char, 40> b{};
  if (x == 0) x = 0;  // (no "-0")
  if (x == std::floor(x))
    std::snprintf(b.data(), b.size(), "%.0f", x);
  else
    std::snprintf(b.data(), b.size(), "%.10g", x);
  return b.data();
}

// ---------------------------------------------------------------------------
// Numeric expressions over scalars and arrays: numbers (never negative),
// variables, arrays, user FUNCTION references, folds (SUM, MAX, MIN of an
// array expression) and + - *. An array expression is worked out element
// by element, a scalar beside it taken for every element.

struct Ex {
  // txt: a text built-in over T written out in s, its value v; len: LEN of
  // a piece of the text s between the bounds a[0] and a[1].
  enum Kind { cst, var, arr, call, fold, bin, fn, txt, len } k = cst;
  double v = 0;
  std::string s;
  std::vector<Ex> a;
};

Ex cst(double v) {
  Ex e;
  e.v = v;
  return e;
}
Ex named(Ex::Kind k, std::string s) {
  Ex e;
  e.k = k;
  e.s = std::move(s);
  return e;
}
Ex apply(Ex::Kind k, std::string s, std::vector<Ex> a) {
  Ex e = named(k, std::move(s));
  e.a = std::move(a);
  return e;
}
Ex bin(std::string op, Ex l, Ex r) {
  return apply(Ex::bin, std::move(op), {std::move(l), std::move(r)});
}

bool hascall(const Ex& e) {
  return e.k == Ex::call || std::any_of(e.a.begin(), e.a.end(), hascall);
}

// A MAX or MIN fold with no FUNCTION reference inside: the translator
// refuses it over an undeclared formal array (it takes MAX(W * 2) for a
// list of one).
bool bareminmax(const Ex& e) {
  if (e.k == Ex::fold && e.s != "SUM" && !hascall(e.a[0])) return true;
  return std::any_of(e.a.begin(), e.a.end(), bareminmax);
}

int prec(const Ex& e) {
  if (e.k != Ex::bin) return 15;
  return e.s == "*" ? 11 : 9;
}

std::string show(const Ex& e) {
  switch (e.k) {
    case Ex::cst:
      return numtext(e.v);
    case Ex::var:
    case Ex::arr:
    case Ex::txt:
      return e.s;
    case Ex::len:
      return "LEN(" + e.s + "(" + show(e.a[0]) + ":" + show(e.a[1]) + "))";
    case Ex::call:
    case Ex::fold:
    case Ex::fn: {
      std::string t = e.s + "(";
      for (std::size_t i = 0; i < e.a.size(); ++i) t += (i ? ", " : "") + show(e.a[i]);
      return t + ")";
    }
    case Ex::bin: {
      const int p = prec(e);
      const std::string l = prec(e.a[0]) < p ? "(" + show(e.a[0]) + ")" : show(e.a[0]);
      const std::string r = prec(e.a[1]) <= p ? "(" + show(e.a[1]) + ")" : show(e.a[1]);
      return l + " " + e.s + " " + r;
    }
  }
  return "?";
}

// SUM, MAX, MIN of the values, or where MAXLOC and MINLOC find the first
// greatest and least of them.
double fold(const std::string& f, const std::vector<double>& v) {
  if (f == "MAXLOC" || f == "MINLOC") {
    std::size_t at = 0;
    for (std::size_t j = 1; j < v.size(); ++j)
      if (f == "MAXLOC" ? v[j] > v[at] : v[j] < v[at]) at = j;
    return static_cast<double>(at + 1);
  }
  double r = f == "SUM" ? 0 : v.front();
  for (const double x : v) r = f == "SUM" ? r + x : f == "MAX" ? std::max(r, x) : std::min(r, x);
  return r;
}

// A piece of a text: its variable, its bounds and how they are written.
struct Piece {
  std::string var;
  int a = 1, b = 1;
  Ex ea, eb;
};

bool relation(const std::string& r, double x, double y) {
  if (r == "<") return x < y;
  if (r == ">") return x > y;
  if (r == "<=") return x <= y;
  if (r == ">=") return x >= y;
  if (r == "==") return x == y;
  return x != y;
}

constexpr int tlen = 16, slen = 8;

// A number, or a number the script computes: what a use or a test holds.
struct Core {
  std::string text;
  double value = 0;
  std::string kind;
  bool declare = false;  // the arrays it folds must be declared where they are formals
  int depth = 0;         // folds nested in it
};

class Gen {
 public:
  explicit Gen(std::uint32_t seed)
      : rng(seed),
        rng2(seed ^ 0x5eed2u),
        rng3(seed ^ 0x5eed3u),
        rng4(seed ^ 0x5eed4u),
        rng5(seed ^ 0x5eed5u),
        rng6(seed ^ 0x5eed6u),
        rng7(seed ^ 0x5eed7u),
        rng8(seed ^ 0x5eed8u),
        rng9(seed ^ 0x5eed9u),
        rng10(seed ^ 0x5eedau),
        rng11(seed ^ 0x5eedbu) {
    out.seed = seed;
  }
  Script make(bool textsonly = false);

 private:
  std::mt19937 rng;
  // The folds of folds, lists and places below draw from a stream of their
  // own, so that the other snippets of a seed stay as they were.
  std::mt19937 rng2;
  // (And the whole-array expressions into one cell and the characters one
  // past a text's end from a third.)
  std::mt19937 rng3;
  // (And the passes of whole-array statements with a FUNCTION from a fourth.)
  std::mt19937 rng4;
  // (And logical IFs that hold over whole arrays, ranges in folds and
  // elements outside, with a FUNCTION, from a fifth.)
  std::mt19937 rng5;
  // (And folds over pieces bounded by text built-ins, FUNCTIONs of every
  // arity and XEQ lists from a sixth.)
  std::mt19937 rng6;
  // (And the texts of T and S written again as a file's name from a seventh.)
  std::mt19937 rng7;
  // (And lists that hold FUNCTION references from an eighth.)
  std::mt19937 rng8;
  // (And what stands beside them in such lists, and a piece as their
  // target, from a ninth.)
  std::mt19937 rng9;
  // (And FUNCTIONs that run an XEQ or STRUCT beside held values from a
  // tenth.)
  std::mt19937 rng10;
  // (And folds whose elements make texts, over arrays of 1 to 1,000
  // elements, from an eleventh.)
  std::mt19937 rng11;
  std::mt19937* draw = &rng;
  Script out;
  int n = 4;  // the length of every array
  std::map<std::string, std::vector<double>> arrays;
  std::map<std::string, double> scalars;
  std::map<std::string, std::string> texts;  // as stored, padded with blanks
  int letters = 0;                           // T's characters before its blanks
  int hole = 0;                              // a blank among them (0: none)
  // How the shared FUNCTIONs compute.
  std::string fnop = "-";
  int gdadd = 1, gumul = 2;
  std::string gsfold = "SUM";
  bool gsdeclared = false, ftdeclared = false;
  int ftform = 0;
  std::vector<std::string> lines, routines, after, chars, dims, kinds;
  int indent = 0;
  int label = 300;
  int stopindex = -1;  // the statement of lines that must stop the run

  int pick(int k) { return static_cast<int>((*draw)() % static_cast<unsigned>(k)); }
  bool chance(int pct) { return pick(100) < pct; }
  template <class T>
  const T& any(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(pick(static_cast<int>(v.size())))];
  }
  std::string op3() { return any(std::vector<std::string>{"+", "-", "*"}); }
  void put(const std::string& s) {
    lines.push_back(std::string(static_cast<std::size_t>(indent) * 2, ' ') + s);
  }
  static std::string nb(int i) { return "NB(" + std::to_string(i) + ")"; }
  void count(int i, const std::string& cond) {
    put("IF (" + cond + ") " + nb(i) + " = " + nb(i) + " + 1");
  }
  void compare(int i, const std::string& a, const std::string& b) { count(i, a + " /= " + b); }
  // The whole array `got` against the values `want`, given to the array
  // `expect`, element by element in a DO over `loop`.
  void compareall(int i, const std::string& got, const std::string& expect,
                  const std::vector<double>& want, const std::string& loop) {
    std::string list = expect + " = ";
    for (std::size_t j = 0; j < want.size(); ++j) list += (j ? ", " : "") + numtext(want[j]);
    put(list);
    put("DO " + loop + " = 1, " + std::to_string(want.size()));
    ++indent;
    compare(i, got + "(" + loop + ")", expect + "(" + loop + ")");
    --indent;
    put("ENDDO");
  }
  void use(const std::string& got, const std::string& want, const std::string& also = "") {
    out.uses.push_back({"", "", got, want, "", 0, also});
  }
  std::string tail(int i, const std::string& name) { return name + std::to_string(i); }
  // The quoted text `arg` as an XEQ's argument: as it stands, or (pct in
  // 100) first given to a text variable `name` of `width` characters.
  std::string xeqargument(int i, const std::string& arg, const std::string& name, int width,
                          int pct) {
    if (!chance(pct)) return arg;
    const std::string xs = tail(i, name);
    chars.push_back(xs + "*" + std::to_string(width));
    put(xs + " = " + arg);
    return xs;
  }
  // An XEQ of `arg` alone, between two statements that set g and v.
  void xeqalone(const std::string& g, const std::string& v, const std::string& arg) {
    use(g, v);
    put(g + " = 7");
    put("XEQ(" + arg + ")");
    put(v + " = 7");
  }

  // Values.
  std::vector<double> value(const Ex& e);
  double scalar(const Ex& e) { return value(e).front(); }
  double callvalue(const Ex& e);
  std::string text(const Piece& p);
  std::string show(const Piece& p) {
    return p.var + "(" + shapes::show(p.ea) + ":" + shapes::show(p.eb) + ")";
  }
  static bool small(const std::vector<double>& v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return std::fabs(x) < 1e6; });
  }

  // Making expressions.
  Ex smallnum() { return cst(pick(10)); }
  Ex index() { return chance(30) ? named(Ex::var, "KI") : cst(1 + pick(n)); }
  Ex arrayname() { return named(Ex::arr, chance(50) ? "X" : "Y"); }
  Ex usercall(int nest);
  Ex scalarop(int nest);
  Ex arrayexpr(int nest);
  Ex bound(int v, bool fn);
  Piece piece(const std::string& var, bool backward, bool fn, bool nonblankend, int most = 99);
  Core foldcore();
  Core piececore();
  Core bitscore();
  std::string condition(bool truth);
  std::string relationto(double v, bool truth, std::string& rel);

  // Snippets.
  void snippet(int i, const std::function<std::string()>& make = {});
  std::string body(int i, int kind);
  std::string placecore(int i, const Core& c);
  std::string inlist(const std::string& g, const Core& c, double& want);
  std::string inlimit(const std::string& g, const std::string& d, const Core& c, double& want);
  std::string wholearray(int i);
  std::string xeqvalue(int i);
  std::string xeqstatement(int i);
  std::string xeqtext(int i);
  std::string join(int i, bool blank);
  std::string structread(int i);
  std::string arrayformal(int i);
  std::string dolimit(int i);
  std::string falseif(int i);
  std::string onecell(int i);
  std::string passes(int i);
  std::string holds(int i);
  void outside();
  void nothingstored();
  // Folds of folds and lists over whole arrays, with no FUNCTION or beside one.
  Ex nestscalar(int depth, bool fn);
  Ex nestarray(int depth, bool fn);
  Ex nestfold(int depth, bool fn);
  Core nestcore();
  std::string nestplace(int i, const Core& c);
  std::string nestlist(int i);
  int budget = 0;      // folds a nested expression may still take
  bool scopy = false;  // SCOPY is among the routines
  void stop();
  void pastend();
  std::vector<std::string> functions();
  // Folds whose terms hold pieces bounded by text built-ins and FUNCTIONs,
  // FUNCTIONs and SUBROUTINEs of every arity that read and change the main
  // program's names, and XEQ texts that hold lists.
  Ex textbuiltin();
  Ex anybound(int v);
  Ex piecelen();
  Ex pieceterm(int depth);
  Ex piecearray(int depth);
  Core piecefold();
  std::string piecefolds(int i);
  std::string arities(int i);
  std::string xeqlist(int i);
  void xeqliststop();
  std::string filename(int i);
  // Lists that hold FUNCTION references: into a text, a whole array, XEQ.
  struct ListItems {
    std::vector<std::string> shown;   // as written
    std::vector<std::string> joined;  // as a join writes them
    std::vector<double> values;       // (numbers: all but texts)
    int w0 = 0, w = 0;                // LW<i> before and after the list
  };
  ListItems fnitems(int i, int m, bool withtexts);
  void besideitem(std::string& shown, double& v);
  std::string fnlist(int i);
  std::string heldvalues(int i);
  void fnliststop();
  int zmul = 1;     // FZ() = A * zmul + KI
  bool fz = false;  // FZ is among the routines
  // Folds over arrays of their own (1 to 1,000 elements) whose elements
  // make texts: pieces, CHAR, TRIM of T, S or a long text U<i>, folds in
  // folds; on the expression path and beside a FUNCTION.
  std::string textfold(int i);
};

// ---------------------------------------------------------------------------
// Values.

std::vector<double> Gen::value(const Ex& e) {
  switch (e.k) {
    case Ex::cst:
      return {e.v};
    case Ex::var:
      return {scalars.at(e.s)};
    case Ex::arr:
      return arrays.at(e.s);
    case Ex::call:
      return {callvalue(e)};
    case Ex::txt:
      return {e.v};
    case Ex::len:
      return {std::fabs(scalar(e.a[0]) - scalar(e.a[1])) + 1};
    case Ex::fold: {
      // (A list folds every value of its arguments.)
      std::vector<double> all;
      for (const Ex& a : e.a) {
        const auto v = value(a);
        all.insert(all.end(), v.begin(), v.end());
      }
      return {fold(e.s, all)};
    }
    case Ex::fn: {
      auto v = value(e.a[0]);
      if (e.s == "INDEX") {
        // The first element equal to the number searched for, 0 for none.
        const auto at = std::find(v.begin(), v.end(), e.a[1].v);
        return {at == v.end() ? 0.0 : static_cast<double>(at - v.begin() + 1)};
      }
      // (RAN(x, 0) is x.)
      for (double& x : v)
        x = e.s == "ABS" ? std::fabs(x) : e.s == "MOD" ? std::fmod(x, e.a[1].v) : x;
      return v;
    }
    case Ex::bin: {
      const auto l = value(e.a[0]), r = value(e.a[1]);
      std::vector<double> v(std::max(l.size(), r.size()));
      for (std::size_t j = 0; j < v.size(); ++j) {
        const double x = l[l.size() == 1 ? 0 : j], y = r[r.size() == 1 ? 0 : j];
        v[j] = e.s == "+" ? x + y : e.s == "-" ? x - y : x * y;
      }
      return v;
    }
  }
  return {0};
}

double Gen::callvalue(const Ex& e) {
  if (e.s == "FI") return scalar(e.a[0]);
  if (e.s == "FZ") return scalars.at("A") * zmul + scalars.at("KI");
  if (e.s == "FN") {
    const double p = scalar(e.a[0]), q = scalar(e.a[1]);
    return fnop == "+" ? p + q : fnop == "-" ? p - q : p * q;
  }
  const std::vector<double>& v = arrays.at(e.a[0].s);
  if (e.s == "GS") return fold(gsfold, v);
  const auto k = static_cast<std::size_t>(scalar(e.a[1])) - 1;
  return e.s == "GD" ? v[k] + gdadd : v[k] * gumul;
}

std::string Gen::text(const Piece& p) {
  const std::string& t = texts.at(p.var);
  const int lo = std::min(p.a, p.b), hi = std::max(p.a, p.b);
  std::string s = t.substr(static_cast<std::size_t>(lo - 1), static_cast<std::size_t>(hi - lo + 1));
  if (p.a > p.b) std::reverse(s.begin(), s.end());
  return s;
}

// ---------------------------------------------------------------------------
// Expressions.

// A reference to one of the shared FUNCTIONs.
Ex Gen::usercall(int nest) {
  switch (pick(6)) {
    case 0:
      return apply(Ex::call, "FI", {smallnum()});
    case 1:
      if (nest > 0) return apply(Ex::call, "FI", {apply(Ex::fold, "SUM", {arrayname()})});
      return apply(Ex::call, "FI", {named(Ex::var, chance(50) ? "A" : "KI")});
    case 2:
      return apply(Ex::call, "FN", {smallnum(), chance(30) ? named(Ex::var, "A") : smallnum()});
    case 3:
      return apply(Ex::call, "GD", {arrayname(), index()});
    case 4:
      return apply(Ex::call, "GU", {arrayname(), index()});
    default:
      return apply(Ex::call, "GS", {arrayname()});
  }
}

// A scalar beside an array: a number, a variable, a FUNCTION reference or
// (nest > 0) a fold.
Ex Gen::scalarop(int nest) {
  const int r = pick(100);
  if (r < 15) return smallnum();
  if (r < 25) return named(Ex::var, chance(50) ? "A" : "KI");
  if (r < 40 && nest > 0)
    return apply(Ex::fold, any(std::vector<std::string>{"SUM", "MAX", "MIN"}),
                 {arrayexpr(nest - 1)});
  return usercall(nest);
}

Ex Gen::arrayexpr(int nest) {
  switch (pick(6)) {
    case 0:
      return bin(op3(), arrayname(), scalarop(nest));
    case 1:
      return bin(op3(), scalarop(nest), arrayname());
    case 2:
      return bin(chance(50) ? "+" : "-", bin(op3(), arrayname(), scalarop(nest)), scalarop(nest));
    case 3:
      return bin(op3(), bin(op3(), named(Ex::arr, "X"), named(Ex::arr, "Y")), scalarop(nest));
    default:
      return bin(op3(), arrayname(), usercall(nest));
  }
}

// An expression whose value is v (a whole number): the number itself, or
// with fn a FUNCTION reference that gives it.
Ex Gen::bound(int v, bool fn) {
  if (!fn) return cst(v);
  const int ki = static_cast<int>(scalars.at("KI"));
  switch (pick(5)) {
    case 0:
      if (fnop == "-") return apply(Ex::call, "FN", {cst(v + 2), cst(2)});
      if (fnop == "+" && v >= 1) return apply(Ex::call, "FN", {cst(v - 1), cst(1)});
      if (fnop == "*") return apply(Ex::call, "FN", {cst(v), cst(1)});
      break;
    case 1:
      if (v > ki) return bin("+", named(Ex::var, "KI"), apply(Ex::call, "FI", {cst(v - ki)}));
      break;
    default:
      break;
  }
  return apply(Ex::call, "FI", {cst(v)});
}

// A piece of T (of its letters, or anywhere) or S; backward: read from its
// end; nonblankend: its last character read is no blank.
Piece Gen::piece(const std::string& var, bool backward, bool fn, bool nonblankend, int most) {
  const std::string& t = texts.at(var);
  const int used = var == "T" ? letters : static_cast<int>(t.find(' '));
  for (int tries = 0;; ++tries) {
    Piece p;
    p.var = var;
    const int len = 1 + pick(std::min(most, used));
    const int lo = 1 + pick(used - len + 1);
    p.a = backward ? lo + len - 1 : lo;
    p.b = backward ? lo : lo + len - 1;
    if (backward && len == 1 && used > 1) continue;
    const std::string s = text(p);
    if (nonblankend && s.back() == ' ' && tries < 40) continue;
    const int which = fn ? pick(3) : -1;
    p.ea = bound(p.a, which == 0 || which == 2);
    p.eb = bound(p.b, which == 1 || which == 2);
    return p;
  }
}

// A fold of an array expression that references a FUNCTION, alone or in
// an expression.
Core Gen::foldcore() {
  for (;;) {
    const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
    Ex e = apply(Ex::fold, f, {arrayexpr(1)});
    const int r = pick(10);
    if (r == 0) e = bin(op3(), e, scalarop(0));
    if (r == 1) e = bin(chance(50) ? "+" : "-", smallnum(), e);
    if (!hascall(e)) continue;
    const auto v = value(e);
    if (!small(v)) continue;
    int depth = 0;
    std::function<void(const Ex&, int)> walk = [&](const Ex& x, int d) {
      if (x.k == Ex::fold) depth = std::max(depth, ++d);
      for (const Ex& k : x.a) walk(k, d);
    };
    walk(e, 0);
    return {shapes::show(e), v.front(),
            depth > 1 ? f + " of a fold, with a FUNCTION" : f + " with a FUNCTION", bareminmax(e)};
  }
}

// A number made of a piece of T, mostly read backwards, in a statement
// with a FUNCTION reference (in a bound or beside the piece).
Core Gen::piececore() {
  for (;;) {
    const bool backward = chance(75);
    const bool fnbound = chance(60);
    const int form = pick(6);
    const Piece p = piece("T", backward, fnbound, false, form == 2 || form == 5 ? 8 : 99);
    const std::string s = text(p);
    if (form == 2 && ftform == 1 && s.size() < 2) continue;
    Core c;
    c.kind = std::string(backward ? "a piece read backwards" : "a piece") +
             (fnbound ? " with a FUNCTION bound" : " beside a FUNCTION");
    const Ex fi = usercall(0);
    const double fv = callvalue(fi);
    const std::string ps = show(p);
    const double len = static_cast<double>(s.size());
    const double ichar = static_cast<unsigned char>(s[0]);
    auto ft = [&](const std::string& x) {
      return ftform == 0 ? static_cast<double>(x.size()) * 1000 + static_cast<unsigned char>(x[0])
                         : static_cast<unsigned char>(x[1]) * 10.0 + static_cast<double>(x.size());
    };
    switch (form) {
      case 0:
        c.text = "LEN(" + ps + ")" + (fnbound ? "" : " + " + shapes::show(fi));
        c.value = len + (fnbound ? 0 : fv);
        c.kind += ", in LEN";
        break;
      case 1:
        c.text = "ICHAR(" + ps + ") + " + shapes::show(fi);
        c.value = ichar + fv;
        c.kind += ", in ICHAR";
        break;
      case 2:
        c.text = "FT(" + ps + ")";
        c.value = ft(s);
        c.kind += ", a FUNCTION's text argument";
        break;
      case 3: {
        // A pattern found in the piece (its first place), or not.
        std::string what = s.substr(static_cast<std::size_t>(pick(static_cast<int>(s.size()))), 2);
        if (what.find(' ') != std::string::npos) what = "zz";
        const std::size_t at = s.find(what);
        c.text = "INDEX(" + ps + ", '" + what + "') + " + shapes::show(fi);
        c.value = (at == std::string::npos ? 0.0 : static_cast<double>(at + 1)) + fv;
        c.kind += ", in INDEX";
        break;
      }
      case 4:
        c.text = "LEN(" + ps + ") * " + shapes::show(fi);
        c.value = len * fv;
        c.kind += ", in LEN";
        break;
      default:
        c.text = "FT(" + ps + ") + LEN(T(" + std::to_string(p.b) + ":" + std::to_string(p.a) + "))";
        if (ftform == 1 && s.size() < 2) continue;
        c.value = ft(s) + len;
        c.kind += ", a FUNCTION's text argument, beside the LEN of its reverse";
        break;
    }
    return c;
  }
}

// BITS in an expression: its value is 0.
Core Gen::bitscore() {
  const std::string target = chance(50) ? "A" : "KI";
  const int c = 1 + pick(9);
  const Ex fi = usercall(0);
  const double fv = callvalue(fi);
  const std::string b = "BITS(" + target + ")";
  switch (pick(5)) {
    case 0:
      return {std::to_string(c) + " + " + b, static_cast<double>(c), "BITS after a number"};
    case 1:
      return {shapes::show(fi) + " + " + b, fv, "BITS after a FUNCTION"};
    case 2:
      return {b + " + " + shapes::show(fi), fv, "BITS before a FUNCTION"};
    case 3:
      return {std::to_string(c) + " * 2 - " + b, c * 2.0, "BITS after a product"};
    default:
      return {b + " * 3 + " + shapes::show(fi), fv, "BITS times a number, and a FUNCTION"};
  }
}

// A relation that holds (or not) over v, by a clear margin.
std::string Gen::relationto(double v, bool truth, std::string& rel) {
  static const std::vector<std::string> rels = {"<", ">", "<=", ">=", "==", "/="};
  for (;;) {
    rel = any(rels);
    const double c = std::floor(v) + pick(5) - 2 + (chance(40) ? 0.5 : 0);
    if (relation(rel, v, c) == truth) return numtext(c);
  }
}

// The condition of a block IF: a fold with a FUNCTION, a piece bounded by
// one, or a FUNCTION alone, that holds (or not).
std::string Gen::condition(bool truth) {
  Core c;
  switch (pick(3)) {
    case 0:
      c = foldcore();
      break;
    case 1: {
      const Piece p = piece("T", chance(70), true, false);
      c = {"LEN(" + show(p) + ")", static_cast<double>(text(p).size()), ""};
      break;
    }
    default: {
      const Ex f = usercall(0);
      c = {shapes::show(f), callvalue(f), ""};
      break;
    }
  }
  std::string rel;
  const std::string k = relationto(c.value, truth, rel);
  const std::string k2 = k[0] == '-' ? "(" + k + ")" : k;
  return "IF (" + c.text + " " + rel + " " + k2 + ") THEN";
}

// ---------------------------------------------------------------------------
// Snippets. Each counts its disagreements in NB(i) and adds one use.

void Gen::snippet(int i, const std::function<std::string()>& make) {
  // Wrappers: DO loops, GOTO loops, block IFs; up to two, nested. Each
  // counts the passes that reach the snippet.
  struct Wrap {
    int kind, passes, labl;
  };
  std::vector<Wrap> wraps;
  const int nw = pick(10) < 5 ? 0 : pick(10) < 6 ? 1 : 2;
  int total = 1;
  std::string where;
  for (int k = 0; k < nw; ++k) {
    Wrap w{pick(5), 1, 0};
    if (w.kind == 0) w.passes = any(std::vector<int>{1, 2, 3, 16});
    if (w.kind == 1) w.passes = any(std::vector<int>{2, 3});
    total *= w.passes;
    wraps.push_back(w);
  }
  const std::string h = tail(i, "H");
  if (!wraps.empty()) put(h + " = 0");
  bool outerdo = false;
  for (std::size_t k = 0; k < wraps.size(); ++k) {
    Wrap& w = wraps[k];
    switch (w.kind) {
      case 0: {
        const std::string v = outerdo ? "J" : "I";
        outerdo = true;
        put("DO " + v + " = 1, " + std::to_string(w.passes));
        where += ", in DO " + v + " = 1, " + std::to_string(w.passes);
        break;
      }
      case 1: {
        const std::string c = tail(i, "C") + std::to_string(k);
        w.labl = label++;
        put(c + " = 0");
        put(std::to_string(w.labl) + " " + c + " = " + c + " + 1");
        where += ", in a GOTO loop of " + std::to_string(w.passes);
        break;
      }
      case 2:
        put(condition(true));
        where += ", in a block IF";
        break;
      case 3:
        put(condition(false));
        put("  " + nb(i) + " = " + nb(i) + " + 1");
        put("ELSE");
        where += ", in the ELSE of a block IF";
        break;
      default:
        put(condition(false));
        put("  " + nb(i) + " = " + nb(i) + " + 1");
        put("ELSE" + condition(true));
        where += ", in an ELSEIF";
        break;
    }
    ++indent;
  }
  if (!wraps.empty()) put(h + " = " + h + " + 1");
  const std::string what = make ? make() : body(i, pick(14));
  for (std::size_t k = wraps.size(); k-- > 0;) {
    const Wrap& w = wraps[k];
    --indent;
    if (w.kind == 0) put("ENDDO");
    if (w.kind == 1) {
      const std::string c = tail(i, "C") + std::to_string(k);
      put("IF (" + c + " < " + std::to_string(w.passes) + ") GOTO " + std::to_string(w.labl));
    }
    if (w.kind == 4) {
      put("ELSE");
      put("  " + nb(i) + " = " + nb(i) + " + 1");
    }
    if (w.kind >= 2) put("ENDIF");
  }
  if (!wraps.empty()) count(i, h + " /= " + std::to_string(total));
  Use& u = out.uses.back();
  u.kind = what;
  u.what = what + where;
  if (!wraps.empty()) {
    u.reached = h;
    u.passes = total;
  }
  kinds.push_back(what);
}

std::string Gen::body(int i, int kind) {
  switch (kind) {
    case 0:
    case 1:
      return placecore(i, foldcore());
    case 2:
      return wholearray(i);
    case 3:
      return xeqvalue(i);
    case 4:
      return xeqstatement(i);
    case 5:
      return xeqtext(i);
    case 6:
      return join(i, false);
    case 7:
      return join(i, true);
    case 8:
      return placecore(i, piececore());
    case 9: {
      // (BITS leaves its target as it was.)
      const Core c = bitscore();
      const std::string what = placecore(i, c);
      for (const char* v : {"A", "KI"}) count(i, std::string(v) + " /= " + numtext(scalars.at(v)));
      return what;
    }
    case 10:
      return structread(i);
    case 11:
      return arrayformal(i);
    case 12:
      return dolimit(i);
    default:
      return falseif(i);
  }
}

// g = the core c in a MAX or MIN list of two numbers; want its value.
std::string Gen::inlist(const std::string& g, const Core& c, double& want) {
  const std::string f = chance(50) ? "MAX" : "MIN";
  const int k1 = pick(10), k2 = pick(10);
  put(g + " = " + f + "(" + std::to_string(k1) + ", " + c.text + ", " + std::to_string(k2) + ")");
  want = f == "MAX" ? std::max({c.value, 1.0 * k1, 1.0 * k2})
                    : std::min({c.value, 1.0 * k1, 1.0 * k2});
  return " (in a " + f + " list)";
}

// g counts the passes of a DO over d whose limit is the core c.
std::string Gen::inlimit(const std::string& g, const std::string& d, const Core& c, double& want) {
  put(g + " = 0");
  put("DO " + d + " = 1, " + c.text);
  put("  " + g + " = " + g + " + 1");
  put("ENDDO");
  want = std::max(0.0, c.value);
  return " (DO limit)";
}

// A number computed in one of the places an expression stands: an
// assignment, a logical IF, a SUBROUTINE or a FUNCTION body (handed the
// main program's names), a DO limit, a MAX or MIN list, a subscript, after
// a unary minus.
std::string Gen::placecore(int i, const Core& c) {
  const std::string g = tail(i, "G"), v = tail(i, "V");
  use(g, v);
  auto formals = [&](std::vector<std::string>& to) {
    if (chance(50) || c.declare) {
      to.push_back("  DIMENSION X(" + std::to_string(n) + "), Y(" + std::to_string(n) + ")");
      to.push_back("  CHARACTER T*" + std::to_string(tlen));
    }
  };
  double want = c.value;
  std::string where;
  switch (pick(9)) {
    case 0: {
      std::string rel;
      const bool truth = chance(50);
      const std::string k = relationto(c.value, truth, rel);
      put(g + " = 0");
      put("IF (" + c.text + " " + rel + " " + (k[0] == '-' ? "(" + k + ")" : k) + ") " + g +
          " = 1");
      want = truth ? 1 : 0;
      where = " (logical IF)";
      break;
    }
    case 1: {
      const std::string s = tail(i, "SW");
      std::vector<std::string>& to = chance(50) ? routines : after;
      to.push_back("SUBROUTINE " + s + "(X, Y, T, A, KI, R)");
      formals(to);
      to.push_back("  R = " + c.text);
      to.push_back("END");
      put("CALL " + s + "(X, Y, T, A, KI, " + g + ")");
      where = " (in a SUBROUTINE)";
      break;
    }
    case 2: {
      const std::string f = tail(i, "FW");
      routines.push_back("FUNCTION " + f + "(X, Y, T, A, KI)");
      formals(routines);
      routines.push_back("  " + f + " = " + c.text);
      routines.push_back("END");
      put(g + " = " + f + "(X, Y, T, A, KI)");
      where = " (in a FUNCTION body)";
      break;
    }
    case 3:
      if (c.value == std::floor(c.value) && c.value >= -2 && c.value <= 20) {
        where = inlimit(g, tail(i, "JC"), c, want);
        break;
      }
      [[fallthrough]];
    case 4: {
      where = inlist(g, c, want);
      break;
    }
    case 5:
      if (c.value == std::floor(c.value) && c.value >= 1 && c.value <= n) {
        put(g + " = Y(" + c.text + ")");
        want = arrays.at("Y")[static_cast<std::size_t>(c.value) - 1];
        where = " (a subscript)";
        break;
      }
      [[fallthrough]];
    case 6:
      put(g + " = -(" + c.text + ")");
      want = -c.value;
      where = " (after a unary minus)";
      break;
    default:
      put(g + " = " + c.text);
      break;
  }
  put(v + " = " + numtext(want));
  compare(i, g, v);
  return c.kind + where;
}

// A whole-array statement whose element expression references a
// FUNCTION, in the main program or into a SUBROUTINE's array formal.
std::string Gen::wholearray(int i) {
  Ex e;
  std::vector<double> v;
  do {
    e = arrayexpr(1);
    v = value(e);
  } while (!hascall(e) || !small(v) || v.size() != static_cast<std::size_t>(n));
  const std::string ag = tail(i, "AG"), av = tail(i, "AV");
  dims.push_back(ag + "(" + std::to_string(n) + ")");
  dims.push_back(av + "(" + std::to_string(n) + ")");
  use(ag, av);
  std::string where;
  if (chance(30)) {
    const std::string s = tail(i, "SW");
    after.push_back("SUBROUTINE " + s + "(X, Y, A, KI, R)");
    if (chance(50) || bareminmax(e))
      after.push_back("  DIMENSION X(" + std::to_string(n) + "), Y(" + std::to_string(n) + ")");
    after.push_back("  DIMENSION R(" + std::to_string(n) + ")");
    after.push_back("  R = " + shapes::show(e));
    after.push_back("END");
    put("CALL " + s + "(X, Y, A, KI, " + ag + ")");
    where = " (into a SUBROUTINE's array formal)";
  } else {
    put(ag + " = " + shapes::show(e));
  }
  compareall(i, ag, av, {v.begin(), v.begin() + n}, tail(i, "JC"));
  return "whole-array statement with a FUNCTION" + where;
}

// W = XEQ(text): the text references FUNCTIONs, folds or is a lone number.
std::string Gen::xeqvalue(int i) {
  const std::string g = tail(i, "G"), v = tail(i, "V");
  use(g, v);
  const bool sub = chance(20);
  Ex e;
  std::string kind;
  if (chance(20)) {
    e = cst(pick(20) + (chance(30) ? 0.5 : 0));
    kind = "XEQ of a lone number";
  } else {
    for (;;) {
      if (sub) {
        e = chance(50) ? apply(Ex::call, "FI", {smallnum()})
                       : apply(Ex::call, "FN", {smallnum(), smallnum()});
      } else {
        e = chance(25) ? apply(Ex::fold, any(std::vector<std::string>{"SUM", "MAX", "MIN"}),
                               {arrayexpr(0)})
                       : usercall(1);
      }
      if (chance(60)) e = bin(op3(), e, smallnum());
      if (hascall(e) && small(value(e))) break;
    }
    kind = "XEQ of a text with a FUNCTION";
  }
  const std::string t = shapes::show(e);
  const double want = scalar(e);
  if (sub) {
    // (A text of FUNCTIONs and numbers only: the SUBROUTINE's names are
    // its own.)
    const std::string s = tail(i, "SX");
    after.push_back("SUBROUTINE " + s + "(R)");
    after.push_back("  HX = XEQ('" + t + "')");
    after.push_back("  R = HX");
    after.push_back("END");
    put("CALL " + s + "(" + g + ")");
    kind += " (in a SUBROUTINE)";
  } else {
    put(g + " = XEQ(" + xeqargument(i, "'" + t + "'", "XS", 40, 50) + ")");
  }
  put(v + " = " + numtext(want));
  compare(i, g, v);
  return kind;
}

// XEQ(text) alone, the text an assignment.
std::string Gen::xeqstatement(int i) {
  const std::string g = tail(i, "QG"), v = tail(i, "V");
  use(g, v);
  Ex e;
  do {
    e = chance(30) ? bin(op3(), usercall(1), named(Ex::var, "A")) : usercall(1);
  } while (!small(value(e)));
  const std::string t = g + " = " + shapes::show(e);
  put(g + " = 0");
  if (chance(50)) {
    const std::string xs = tail(i, "XS");
    chars.push_back(xs + "*40");
    put(xs + " = '" + t + "'");
    put("XEQ(" + xs + ")");
  } else {
    put("XEQ('" + t + "')");
  }
  put(v + " = " + numtext(scalar(e)));
  compare(i, g, v);
  return "XEQ alone, of an assignment with a FUNCTION";
}

// T2 = XEQ(text) whose result is a text: pieces, read backwards or not.
std::string Gen::xeqtext(int i) {
  const std::string g = tail(i, "SG"), v = tail(i, "SV");
  chars.push_back(g + "*" + std::to_string(tlen));
  chars.push_back(v + "*" + std::to_string(tlen));
  use(g, v);
  const bool backward = chance(60);
  const Piece p = piece(chance(70) ? "T" : "S", backward, chance(50), true);
  std::string t = show(p), want = text(p);
  if (chance(30)) {
    const Piece q = piece("T", chance(50), false, true, 6);
    t += " // " + show(q);
    want += text(q);
  }
  put(g + " = XEQ('" + t + "')");
  put(v + " = '" + want + "'");
  compare(i, g, v);
  return std::string("XEQ of a text whose result is a ") + (backward ? "backward " : "") + "piece";
}

// Pieces joined: backward ones and ones with FUNCTION bounds; with blank,
// an all-blank piece between two others.
std::string Gen::join(int i, bool blank) {
  const std::string g = tail(i, "SG"), v = tail(i, "SV");
  chars.push_back(g + "*" + std::to_string(tlen));
  chars.push_back(v + "*" + std::to_string(tlen));
  std::vector<std::string> parts;
  std::string want, blankwhat;
  bool backward = false, fn = false;
  if (blank) {
    // The join keeps the right text's trailing blanks where the left text
    // or the right one is a text the statement made (a join so far, a piece
    // read backwards, which is a copy), else drops them: a piece read
    // forwards is the text's own characters.
    const int left = pick(10) < 6 ? 0 : pick(2) + 1;  // forwards, backwards, a join
    const Piece p1 = piece(chance(50) ? "S" : "T", left == 1, chance(30), true, 5);
    std::string lefttext = text(p1);
    parts.push_back(show(p1));
    if (left == 2) {
      const Piece q = piece(chance(50) ? "S" : "T", chance(30), chance(30), true, 4);
      parts.push_back(show(q));
      lefttext += text(q);
    }
    Piece b;
    b.var = "T";
    if (hole > 0 && chance(50)) {
      b.a = b.b = hole;
    } else {
      const int lo = letters + 1 + pick(tlen - letters), len = 1 + pick(std::min(3, tlen - lo + 1));
      b.a = lo;
      b.b = lo + len - 1;
      if (chance(30)) std::swap(b.a, b.b);
    }
    const bool fb = chance(60);
    b.ea = bound(b.a, fb && chance(60));
    b.eb = bound(b.b, fb && (!hascall(b.ea) || chance(40)));
    const Piece p2 = piece(chance(50) ? "S" : "T", chance(30), chance(30), true, 5);
    parts.push_back(show(b));
    parts.push_back(show(p2));
    const bool keeps = left != 0 || b.a > b.b;
    want = lefttext + (keeps ? text(b) : "") + text(p2);
    fn = std::any_of(parts.begin(), parts.end(),
                     [](const std::string& x) { return x.find('F') != std::string::npos; });
    blankwhat = keeps ? left == 2   ? "an all-blank piece after a join, kept"
                        : left == 1 ? "an all-blank piece after a piece read backwards, kept"
                                    : "an all-blank piece read backwards, kept"
                      : "an all-blank piece between two, dropped";
  } else {
    const int k = 1 + pick(3);
    for (int j = 0; j < k; ++j) {
      const bool back = chance(60);
      const bool f = chance(50);
      const Piece p = piece(chance(70) ? "T" : "S", back, f, true, 5);
      parts.push_back(show(p));
      want += text(p);
      backward = backward || (back && text(p).size() > 1);
      fn = fn || f;
    }
    if (chance(30)) {
      parts.push_back("'|'");
      want += "|";
    } else if (chance(20)) {
      parts.insert(parts.begin(), "'<'");
      want = "<" + want;
    }
  }
  std::string e;
  for (const std::string& p : parts) e += (e.empty() ? "" : " // ") + p;
  std::string what = blank ? blankwhat : backward ? "pieces read backwards" : "pieces";
  what += fn ? ", with FUNCTION bounds" : "";
  const int place = pick(10);
  if (place < 2 && !blank) {
    // In a SUBROUTINE, into its text formal.
    const std::string s = tail(i, "SW");
    after.push_back("SUBROUTINE " + s + "(T, S, KI, R)");
    if (chance(50))
      after.push_back("  CHARACTER T*" + std::to_string(tlen) + ", S*" + std::to_string(slen));
    after.push_back("  R = " + e);
    after.push_back("END");
    use(g, v);
    put(v + " = '" + want + "'");
    put("CALL " + s + "(T, S, KI, " + g + ")");
    compare(i, g, v);
    return what + " (into a SUBROUTINE's text formal)";
  }
  if (place < 4) {
    // In a relation: equal to what it must give, or not to another text.
    const std::string gg = tail(i, "G"), vv = tail(i, "V");
    use(gg, vv);
    const bool same = chance(60), equal = chance(50);
    const std::string other = same ? want : want + "q";
    put(gg + " = 0");
    put("IF (" + e + (equal ? " == '" : " /= '") + other + "') " + gg + " = 1");
    put(vv + " = " + (same == equal ? "1" : "0"));
    compare(i, gg, vv);
    return what + " (in a relation)";
  }
  if (place < 6) {
    // Its length: no blank more or less.
    const std::string gg = tail(i, "G"), vv = tail(i, "V");
    use(gg, vv);
    const bool fi = chance(50);
    put(gg + " = LEN(" + e + ")" + (fi ? " + FI(1)" : ""));
    put(vv + " = " + std::to_string(want.size() + (fi ? 1 : 0)));
    compare(i, gg, vv);
    return what + (fi ? " (its length, beside a FUNCTION)" : " (its length)");
  }
  use(g, v);
  put(g + " = " + e);
  put(v + " = '" + want + "'");
  compare(i, g, v);
  return what;
}

// A record written by STRUCT, its fields cleared and read back by STRUCT
// over the record itself or into another target, which keeps its text.
std::string Gen::structread(int i) {
  struct Field {
    std::string type, name;
    double value;
    std::string text;
    int width;
  };
  std::vector<Field> fields;
  std::string bytes;
  for (;;) {
    fields.clear();
    bytes.clear();
    const int k = 1 + pick(3);
    for (int j = 0; j < k; ++j) {
      Field f;
      f.name = "P" + std::string(1, static_cast<char>('A' + j)) + std::to_string(i);
      const int t = pick(5);
      std::array<char, 8> b{};
      if (t == 0) {
        f.type = "I2";
        const auto x = static_cast<std::int16_t>(pick(601) - 300);
        f.value = x;
        f.width = 2;
        std::memcpy(b.data(), &x, 2);
      } else if (t == 1) {
        f.type = "I4";
        const auto x = static_cast<std::int32_t>(pick(200001) - 100000);
        f.value = x;
        f.width = 4;
        std::memcpy(b.data(), &x, 4);
      } else if (t == 2 || t == 3) {
        f.type = t == 2 ? "R8" : "R4";
        f.value = (pick(201) - 100) / 2.0;
        f.width = t == 2 ? 8 : 4;
        if (t == 2) std::memcpy(b.data(), &f.value, 8);
        const auto fl = static_cast<float>(f.value);
        if (t == 3) std::memcpy(b.data(), &fl, 4);
      } else {
        f.type = "CHar";
        f.name = "NM" + std::to_string(i);
        for (int c = 0; c < 3; ++c) f.text += static_cast<char>('a' + pick(20));
        f.width = 3;
        std::memcpy(b.data(), f.text.data(), 3);
      }
      // (A keyword written twice in a row reads as a switch: one field
      // of each type.)
      if (std::any_of(fields.begin(), fields.end(),
                      [&](const Field& o) { return o.type == f.type; }))
        continue;
      bytes.append(b.data(), static_cast<std::size_t>(f.width));
      fields.push_back(f);
    }
    if (bytes.find_first_of("\r\n") == std::string::npos) break;
  }
  const std::string r = tail(i, "RG"), keep = tail(i, "KG"), v = tail(i, "V");
  const int len = static_cast<int>(bytes.size()) + pick(4);
  chars.push_back(r + "*" + std::to_string(len));
  chars.push_back(keep + "*" + std::to_string(len));
  std::string opts;
  for (const Field& f : fields) {
    if (f.type == "CHar") {
      chars.push_back(f.name + "*3");
      put(f.name + " = '" + f.text + "'");
    } else {
      put(f.name + " = " + numtext(f.value));
    }
    opts += (opts.empty() ? "" : ", ") + f.type + "=" + f.name;
  }
  put(r + " = STRUCT(" + opts + ")");
  put(keep + " = " + r);
  for (const Field& f : fields) put(f.name + (f.type == "CHar" ? " = 'zzz'" : " = 0"));
  const bool other = chance(40);
  if (other) {
    const std::string o = tail(i, "OG");
    chars.push_back(o + "*8");
    put(o + " = 'kept'");
    put(o + " = STRUCT(STruc=" + r + ", GetPage=1)");
    count(i, o + " /= 'kept'");
  } else {
    put(r + " = STRUCT(STruc=" + r + ", GetPage=1)");
  }
  const Field& first = fields.front();
  if (first.type == "CHar") {
    const std::string sv = tail(i, "SV");
    chars.push_back(sv + "*3");
    put(sv + " = '" + first.text + "'");
    use(first.name, sv);
    compare(i, first.name, sv);
  } else {
    put(v + " = " + numtext(first.value));
    use(first.name, v);
    compare(i, first.name, v);
  }
  for (std::size_t j = 1; j < fields.size(); ++j) {
    const Field& f = fields[j];
    if (f.type == "CHar") {
      count(i, f.name + " /= '" + f.text + "'");
    } else {
      count(i, f.name + " /= " + (f.value < 0 ? "(" + numtext(f.value) + ")" : numtext(f.value)));
      out.finals.push_back({"STRUCT read back into " + f.type, f.name, "", f.value});
    }
  }
  compare(i, r, keep);
  out.finals.push_back({"the record after STRUCT read it back", r, keep, 0});
  return other ? "STRUCT reading a record into another target"
               : "STRUCT reading a record over itself";
}

// A SUBROUTINE that changes the array handed to it: element by element in
// a loop, whole, through a FUNCTION handed the formal, or through another
// SUBROUTINE handed it on.
std::string Gen::arrayformal(int i) {
  const std::string s = tail(i, "SA"), ag = tail(i, "AG"), av = tail(i, "AV");
  dims.push_back(ag + "(" + std::to_string(n) + ")");
  dims.push_back(av + "(" + std::to_string(n) + ")");
  use(ag, av);
  const std::string from = chance(50) ? "X" : "Y";
  std::vector<double> v = arrays.at(from);
  const int m = 1 + pick(n);
  const bool declared = chance(60);
  std::vector<std::string> b;
  b.push_back("SUBROUTINE " + s + "(V, N)");
  if (declared) b.push_back("  DIMENSION V(" + std::to_string(n) + ")");
  const int c = 1 + pick(3), d = pick(6);
  std::string what = "a SUBROUTINE changing its array formal";
  if (declared && chance(40)) {
    b.push_back("  V = V * " + std::to_string(c) + " + FI(" + std::to_string(d) + ")");
    for (double& x : v) x = x * c + d;
    what += " whole, with a FUNCTION";
  } else {
    b.push_back("  DO JS = 1, N");
    b.push_back("    V(JS) = V(JS) * " + std::to_string(c) + " + " + std::to_string(d));
    b.push_back("  ENDDO");
    for (int j = 0; j < m; ++j)
      v[static_cast<std::size_t>(j)] = v[static_cast<std::size_t>(j)] * c + d;
    what += " in a loop";
  }
  const int after2 = pick(3);
  if (after2 == 1) {
    b.push_back("  V(N) = V(N) + GD(V, 1)");
    v[static_cast<std::size_t>(m - 1)] += v[0] + gdadd;
    what += ", then handed to a FUNCTION";
  } else if (after2 == 2) {
    b.push_back("  CALL SPUT(V, N, " + std::to_string(d + 10) + ")");
    v[static_cast<std::size_t>(m - 1)] = d + 10;
    what += ", then handed on";
  }
  b.push_back("END");
  std::vector<std::string>& to = chance(50) ? routines : after;
  to.insert(to.end(), b.begin(), b.end());
  put(ag + " = " + from);
  const bool viaki = static_cast<int>(scalars.at("KI")) == m && chance(50);
  put("CALL " + s + "(" + ag + ", " + (viaki ? std::string("KI") : std::to_string(m)) + ")");
  compareall(i, ag, av, {v.begin(), v.begin() + n}, tail(i, "JC"));
  return what;
}

// A DO loop whose body changes the variable of its limit (and of its
// step): both were taken when the loop began.
std::string Gen::dolimit(int i) {
  const std::string nl = tail(i, "NL"), cg = tail(i, "CG"), v = tail(i, "V");
  use(cg, v);
  const int m0 = pick(7);
  if (chance(30)) {
    // In a SUBROUTINE, the limit its formal.
    const std::string s = tail(i, "SL");
    const int d = any(std::vector<int>{1, 2, -1});
    after.push_back("SUBROUTINE " + s + "(N, C)");
    after.push_back("  C = 0");
    after.push_back("  DO JS = 1, N");
    after.push_back("    N = N + " + (d < 0 ? "(" + std::to_string(d) + ")" : std::to_string(d)));
    after.push_back("    C = C + JS");
    after.push_back("  ENDDO");
    after.push_back("END");
    put(nl + " = " + std::to_string(m0));
    put("CALL " + s + "(" + nl + ", " + cg + ")");
    double c = 0, nv = m0;
    for (int j = 1; j <= m0; ++j) {
      nv += d;
      c += j;
    }
    put(v + " = " + numtext(c));
    compare(i, cg, v);
    count(i, nl + " /= " + (nv < 0 ? "(" + numtext(nv) + ")" : numtext(nv)));
    out.finals.push_back({"the limit's variable changed in a SUBROUTINE's loop", nl, "", nv});
    return "a DO loop changing its limit's variable (in a SUBROUTINE)";
  }
  const std::string jd = tail(i, "JD"), ks = tail(i, "KS");
  const int start = pick(3);
  const int step = any(std::vector<int>{1, 1, 2, -1});
  const bool stepvar = chance(30);
  double limit = m0;
  std::string lim = nl;
  if (chance(40)) {
    const int c = pick(4);
    lim = nl + " + FI(" + std::to_string(c) + ")";
    limit += c;
  }
  int s0 = start;
  if (step < 0) s0 = static_cast<int>(limit) + pick(3);
  const int change = pick(4);
  put(nl + " = " + std::to_string(m0));
  put(cg + " = 0");
  if (stepvar) put(ks + " = " + (step < 0 ? "(-1)" : std::to_string(step)));
  std::string head = "DO " + jd + " = " + std::to_string(s0) + ", " + lim;
  if (stepvar)
    head += ", " + ks;
  else if (step != 1)
    head += ", " + (step < 0 ? std::string("-1") : std::to_string(step));
  put(head);
  const std::vector<std::string> changes = {nl + " = " + nl + " + 2", nl + " = " + nl + " - 3",
                                            nl + " = FI(" + nl + ") * 2", nl + " = 0"};
  put("  " + changes[static_cast<std::size_t>(change)]);
  if (stepvar) put("  " + ks + " = " + ks + " + 1");
  put("  " + cg + " = " + cg + " + " + jd);
  put("ENDDO");
  double var = s0, c = 0, nv = m0;
  while ((var - limit) * (step < 0 ? -1 : 1) <= 0) {
    nv = change == 0 ? nv + 2 : change == 1 ? nv - 3 : change == 2 ? nv * 2 : 0;
    c += var;
    var += step;
  }
  put(v + " = " + numtext(c));
  compare(i, cg, v);
  count(i, jd + " /= " + (var < 0 ? "(" + numtext(var) + ")" : numtext(var)));
  count(i, nl + " /= " + (nv < 0 ? "(" + numtext(nv) + ")" : numtext(nv)));
  out.finals.push_back({"a DO loop's variable after the loop", jd, "", var});
  out.finals.push_back({"the limit's variable changed in the loop", nl, "", nv});
  return std::string("a DO loop changing its limit's variable") +
         (stepvar ? " and its step's" : "");
}

// A false logical IF guarding a MIN or MAX list of three or more that
// holds pieces of a text formal too short for them; then the same called
// with a text long enough and the IF true.
std::string Gen::falseif(int i) {
  const std::string g = tail(i, "G"), v = tail(i, "V"), g2 = tail(i, "RH");
  use(g, v);
  const std::string f = chance(50) ? "MIN" : "MAX";
  const int r0 = 1 + pick(9);
  const std::string& t = texts.at("T");
  std::vector<std::string> args;
  std::vector<double> vals;
  const int k = 3 + pick(2);
  const int at = pick(k);
  for (int j = 0; j < k; ++j) {
    const int r = j == at ? 0 : pick(5);
    if (r == 0 || r == 1) {
      const int a = 2 + pick(4), b = 2 + pick(4);
      args.push_back("LEN(S(" + std::to_string(a) + ":" + std::to_string(b) + "))");
      vals.push_back(std::abs(a - b) + 1);
    } else if (r == 2) {
      const int a = 2 + pick(4);
      args.push_back("ICHAR(S(" + std::to_string(a) + ":" + std::to_string(a) + "))");
      vals.push_back(static_cast<unsigned char>(t[static_cast<std::size_t>(a - 1)]));
    } else if (r == 3) {
      const int c = pick(9);
      args.push_back("FI(" + std::to_string(c) + ")");
      vals.push_back(c);
    } else {
      const int c = pick(9);
      args.push_back(std::to_string(c));
      vals.push_back(c);
    }
  }
  std::string list;
  for (const std::string& a : args) list += (list.empty() ? "" : ", ") + a;
  const double when = f == "MIN" ? *std::min_element(vals.begin(), vals.end())
                                 : *std::max_element(vals.begin(), vals.end());
  const std::string cond = any(std::vector<std::string>{"P > 0", "P /= 0", "P == 1", "P >= 1"});
  const std::string zero = any(std::vector<std::string>{"0", "KI - KI", "FI(0)"});
  std::string shorttext = "'" + std::string(1, static_cast<char>('a' + pick(20))) + "'";
  if (chance(30)) shorttext = "S(1:1)";
  const bool func = chance(40);
  if (func) {
    const std::string fb = tail(i, "FB");
    routines.push_back("FUNCTION " + fb + "(S, P)");
    routines.push_back("  " + fb + " = " + std::to_string(r0));
    routines.push_back("  IF (" + cond + ") " + fb + " = " + f + "(" + list + ")");
    routines.push_back("END");
    put(g + " = " + fb + "(" + shorttext + ", " + zero + ")");
    put(g2 + " = " + fb + "(T, 1)");
  } else {
    const std::string sb = tail(i, "SB");
    std::vector<std::string>& to = chance(50) ? routines : after;
    to.push_back("SUBROUTINE " + sb + "(S, P, R)");
    to.push_back("  R = " + std::to_string(r0));
    to.push_back("  IF (" + cond + ") R = " + f + "(" + list + ")");
    to.push_back("END");
    put("CALL " + sb + "(" + shorttext + ", " + zero + ", " + g + ")");
    put("CALL " + sb + "(T, 1, " + g2 + ")");
  }
  put(v + " = " + std::to_string(r0));
  compare(i, g, v);
  count(i, g2 + " /= " + numtext(when));
  out.finals.push_back({"the guarded " + f + " list with a text long enough", g2, "", when});
  return "a false IF guarding a " + f + " list of " + std::to_string(k) +
         " with pieces of a short text" + (func ? " (in a FUNCTION)" : "");
}

// The statement at which the run must stop, with its key: a run error
// inside an XEQ text, an XEQ result its place cannot take, a piece bound
// outside its text (on the last pass of a loop, now and then).
void Gen::stop() {
  const int kind = pick(3);
  const std::string ni = std::to_string(n + 1);
  if (kind == 0) {
    struct Failing {
      std::string text, key;
    };
    // (A piece's bound outside its text stops its statement with xeq3045,
    // whether a FUNCTION gives the bound or not.)
    const std::vector<Failing> texts = {{"QE = 1/0", "xeq3300"},
                                        {"QE = A / (KI - KI)", "xeq3300"},
                                        {"QE = X(" + ni + ")", "xeq3006"},
                                        {"QE = X(KI + " + std::to_string(n) + ")", "xeq3006"},
                                        {"QE = T(0:2)", "xeq3045"},
                                        {"QE = T(KI - KI:2)", "xeq3045"},
                                        {"QE = LEN(T(FI(17):2))", "xeq3045"}};
    const Failing& f = any(texts);
    out.stopkey = f.key;
    const int form = pick(3);
    if (form == 0) {
      chars.push_back("XE*40");
      put("XE = '" + f.text + "'");
      stopindex = static_cast<int>(lines.size());
      put("XEQ(XE)");
    } else if (form == 1) {
      stopindex = static_cast<int>(lines.size());
      put("XEQ('" + f.text + "')");
    } else {
      stopindex = static_cast<int>(lines.size());
      put("QW = XEQ('" + f.text.substr(5) + "')");
    }
    kinds.push_back("stop: a run error inside XEQ (" + f.key + ")");
    return;
  }
  if (kind == 1) {
    out.stopkey = "xeqillegal";
    chars.push_back("F1*40");
    chars.push_back("SE*16");
    dims.push_back("RE(" + std::to_string(n) + ")");
    put(std::string("F1 = '") + (chance(50) ? "2 + 3" : "FI(2) + 3") + "'");
    const std::vector<std::string> forms = {
        "QB = 1 + XEQ(F1)", "QB = XEQ(F1) * 2",  "QB = FI(1) + XEQ(F1)", "RE(2) = XEQ(F1)",
        "RE(KI) = XEQ(F1)", "SE = XEQ('1 + 1')", "SE = XEQ(F1)"};
    const std::string s = any(forms);
    stopindex = static_cast<int>(lines.size());
    put(s);
    kinds.push_back("stop: an XEQ result its place cannot take");
    return;
  }
  out.stopkey = "xeq3045";
  chars.push_back("SE*16");
  if (chance(40)) {
    const int p = 1 + pick(4);
    put("DO I = 1, " + std::to_string(p));
    stopindex = static_cast<int>(lines.size());
    put("  SE = T(FI(I + " + std::to_string(tlen + 1 - p) + "):2) // 'x'");
    put("ENDDO");
    kinds.push_back("stop: a piece bound past its text on a loop's last pass");
    return;
  }
  const std::vector<std::string> forms = {"SE = T(FI(0):2)",         "QE = LEN(T(3:FI(17)))",
                                          "SE = T(FI(17):2) // 'x'", "QE = ICHAR(T(FI(0):3))",
                                          "SE = T(2:FI(17))",        "SE = T(2:FI(0))"};
  stopindex = static_cast<int>(lines.size());
  put(any(forms));
  kinds.push_back("stop: a piece bound outside its text");
}

// A whole-array expression that references a FUNCTION stored into a
// number or an element: it takes the arrays' first elements, as the same
// with no FUNCTION does.
std::string Gen::onecell(int i) {
  Ex e;
  std::vector<double> v;
  do {
    e = arrayexpr(1);
    v = value(e);
  } while (!hascall(e) || !small(v) || v.size() != static_cast<std::size_t>(n));
  const std::string g = tail(i, "G"), vv = tail(i, "V");
  use(g, vv);
  put(vv + " = " + numtext(v.front()));
  if (chance(50)) {
    put(g + " = " + shapes::show(e));
    compare(i, g, vv);
    return "whole-array expression with a FUNCTION into a number";
  }
  const std::string ag = tail(i, "AG");
  dims.push_back(ag + "(" + std::to_string(n) + ")");
  const int k = 1 + pick(n);
  const std::string at = chance(50) ? std::to_string(k) : "FI(" + std::to_string(k) + ")";
  put(ag + " = 0");
  put(ag + "(" + at + ") = " + shapes::show(e));
  put(g + " = " + ag + "(" + std::to_string(k) + ")");
  compare(i, g, vv);
  for (int j = 1; j <= n; ++j)
    if (j != k) compare(i, ag + "(" + std::to_string(j) + ")", "0");
  return "whole-array expression with a FUNCTION into an element";
}

// A whole-array statement with a FUNCTION that runs the passes the same
// statement without it runs: a target element that $ subscripts, with a
// whole array on the right or none; a fold over an array and a character
// of T; a target its own right side reads (as it was before the first
// pass); an element past the array's end (the passes end) or before its
// start (0) after $; a range of the target's or the source's elements; a
// false logical IF over a whole array (it ends the passes).
std::string Gen::passes(int i) {
  const std::string ag = tail(i, "AG"), av = tail(i, "AV"), ns = std::to_string(n);
  const auto num = [](double v) { return numtext(v); };
  const auto str = [](int v) { return std::to_string(v); };
  const std::string& t = texts.at("T");
  const auto code = [&t](int k) {
    return static_cast<double>(static_cast<unsigned char>(t[static_cast<std::size_t>(k - 1)]));
  };
  const std::string a = chance(50) ? "X" : "Y";
  const std::vector<double>& x = arrays.at(a);
  std::vector<double> want(static_cast<std::size_t>(n), 0.0);
  const auto at = [&want](int r) -> double& { return want[static_cast<std::size_t>(r - 1)]; };
  const auto xs = [&x](int r) { return x[static_cast<std::size_t>(r - 1)]; };
  std::string kind;
  put(ag + " = 0");
  const int c = pick(10);
  switch (pick(8)) {
    case 0:
      // (FI referenced once before: its reference is made in line.)
      put("QE = FI(" + str(c) + ")");
      put(ag + "($) = " + a + " + FI(" + str(c) + ")");
      for (int r = 1; r <= n; ++r) at(r) = xs(r) + c;
      kind = "a $ target from a whole array and a FUNCTION";
      break;
    case 1: {
      const int m = 1 + pick(4);
      if (chance(50)) {
        put(ag + "($) = " + str(m) + " + FI(" + str(c) + ")");
        for (int r = 1; r <= n; ++r) at(r) = m + c;
      } else {
        put(ag + "($) = $ * " + str(m) + " + FI(" + str(c) + ")");
        for (int r = 1; r <= n; ++r) at(r) = r * m + c;
      }
      kind = "a $ target with no whole array, with a FUNCTION";
      break;
    }
    case 2: {
      const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
      const int k = 1 + pick(letters + 2);
      std::vector<double> v;
      for (int r = 1; r <= n; ++r) v.push_back(xs(r) + code(k));
      put(ag + "(1) = " + f + "(" + a + " + ICHAR(T(FI(" + str(k) + "))))");
      at(1) = fold(f, v);
      kind = "a fold over an array and a character of T through a FUNCTION";
      break;
    }
    case 3: {
      put(ag + " = " + a);
      const int form = pick(3);
      if (form == 0) {
        const int j = 1 + pick(n);
        put(ag + " = " + ag + "(" + str(j) + ") + " + ag + " + FI(" + str(c) + ")");
        for (int r = 1; r <= n; ++r) at(r) = xs(j) + xs(r) + c;
      } else if (form == 1) {
        put(ag + " = FI(" + ag + ") * 2 + " + ag);
        for (int r = 1; r <= n; ++r) at(r) = xs(1) * 2 + xs(r);
      } else {
        // Positions in T, the first decides every element.
        std::string l = ag + " = ";
        const int k = 1 + pick(letters);
        for (int r = 1; r <= n; ++r) l += (r > 1 ? ", " : "") + str(r == 1 ? k : 1 + pick(letters));
        put(l);
        put(ag + " = ICHAR(T(FI(" + ag + ")))");
        for (int r = 1; r <= n; ++r) at(r) = code(k);
      }
      kind = "a whole array its own right side reads, with a FUNCTION";
      break;
    }
    case 4: {
      const int d = 1 + pick(n - 1);
      if (chance(50)) {
        put(ag + " = " + a + "($+" + str(d) + ") + FI(" + str(c) + ")");
        for (int r = 1; r + d <= n; ++r) at(r) = xs(r + d) + c;
        kind = "a whole array from elements past the end after $, with a FUNCTION";
      } else {
        put(ag + " = " + a + "($-" + str(d) + ") + FI(" + str(c) + ")");
        for (int r = 1; r <= n; ++r) at(r) = (r > d ? xs(r - d) : 0.0) + c;
        kind = "a whole array from elements before the start after $, with a FUNCTION";
      }
      break;
    }
    case 5: {
      int lo = 1 + pick(n), hi = 1 + pick(n);
      const int m = std::abs(hi - lo) + 1, dir = hi >= lo ? 1 : -1;
      if (chance(50)) {
        const int d = pick(tlen - m + 1);
        put(ag + "(" + str(lo) + ":" + str(hi) + ") = ICHAR(T(FI($+" + str(d) + ")))");
        for (int r = 1; r <= m; ++r) at(lo + (r - 1) * dir) = code(r + d);
      } else {
        put(ag + "(" + str(lo) + ":" + str(hi) + ") = $ + FI(" + str(c) + ")");
        for (int r = 1; r <= m; ++r) at(lo + (r - 1) * dir) = r + c;
      }
      kind = "a range of the target's elements, with a FUNCTION";
      break;
    }
    case 6: {
      const int lo = 1 + pick(n), hi = 1 + pick(n);
      const int m = std::abs(hi - lo) + 1, dir = hi >= lo ? 1 : -1;
      put(ag + " = " + a + "(" + str(lo) + ":" + str(hi) + ") + FI(" + str(c) + ")");
      for (int r = 1; r <= m; ++r) at(r) = xs(lo + (r - 1) * dir) + c;
      kind = "a whole array from a range of an array, with a FUNCTION";
      break;
    }
    default: {
      // The first element's condition is false: nothing runs.
      const double lim = xs(1) + c + pick(3);
      put("IF (" + a + " + FI(" + str(c) + ") > " + num(lim) + ") " + ag + "(1) = " + ag +
          "(1) + 1");
      kind = "a false logical IF over a whole array with a FUNCTION";
      break;
    }
  }
  dims.push_back(ag + "(" + ns + ")");
  dims.push_back(av + "(" + ns + ")");
  use(ag, av);
  compareall(i, ag, av, {want.begin(), want.begin() + n}, tail(i, "JC"));
  return kind;
}

// With a FUNCTION: a logical IF over a whole array runs its statement for
// each element while it holds (a target that is no whole array, or one);
// a range in a fold's argument is folded element by element and bounds the
// fold's elements.
std::string Gen::holds(int i) {
  const std::string ag = tail(i, "HG"), av = tail(i, "HV"), ns = std::to_string(n);
  const auto str = [](int v) { return std::to_string(v); };
  const std::string a = chance(50) ? "X" : "Y";
  const std::vector<double>& x = arrays.at(a);
  std::vector<double> want(static_cast<std::size_t>(n), 0.0);
  const auto at = [&want](int r) -> double& { return want[static_cast<std::size_t>(r - 1)]; };
  const auto xs = [&x](int r) { return x[static_cast<std::size_t>(r - 1)]; };
  std::string kind;
  put(ag + " = 0");
  const int c = pick(10);
  switch (pick(4)) {
    case 0:
    case 1: {
      // The first element's condition holds; the passes end at the first
      // that does not.
      const double lim = xs(1) + c - 1 - pick(4);
      const std::string cond = "IF (" + a + " + FI(" + str(c) + ") > " + numtext(lim) + ") ";
      int held = 0;
      while (held < n && xs(held + 1) + c > lim) ++held;
      if (chance(50)) {
        put(cond + ag + "(1) = " + ag + "(1) + 1");
        at(1) = held;
        kind = "a logical IF that holds over a whole array, into one element, with a FUNCTION";
      } else {
        const int m = 1 + pick(4);
        put(cond + ag + " = " + a + " * " + str(m));
        for (int r = 1; r <= held; ++r) at(r) = xs(r) * m;
        kind = "a logical IF that holds over a whole array, into a whole array, with a FUNCTION";
      }
      break;
    }
    default: {
      const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
      const int lo = 1 + pick(n), hi = 1 + pick(n);
      const int m = std::abs(hi - lo) + 1, dir = hi >= lo ? 1 : -1;
      const std::string range = a + "(" + str(lo) + ":" + str(hi) + ")";
      std::vector<double> v;
      if (chance(50)) {
        put(ag + "(1) = " + f + "(" + range + ") + FI(" + str(c) + ")");
        for (int r = 1; r <= m; ++r) v.push_back(xs(lo + (r - 1) * dir));
      } else {
        const std::string b = a == "X" ? "Y" : "X";
        const std::vector<double>& y = arrays.at(b);
        put(ag + "(1) = " + f + "(" + b + " + " + range + ") + FI(" + str(c) + ")");
        for (int r = 1; r <= m; ++r)
          v.push_back(y[static_cast<std::size_t>(r - 1)] + xs(lo + (r - 1) * dir));
      }
      at(1) = fold(f, v) + c;
      kind = "a fold over a range of an array, with a FUNCTION";
      break;
    }
  }
  dims.push_back(ag + "(" + ns + ")");
  dims.push_back(av + "(" + ns + ")");
  use(ag, av);
  compareall(i, ag, av, {want.begin(), want.begin() + n}, tail(i, "JH"));
  return kind;
}

// A whole-array assignment that reads an element outside its array (no $)
// stops the run with the index error, with a FUNCTION or not.
void Gen::outside() {
  const std::string k = std::to_string(chance(50) ? n + 1 + pick(3) : -pick(2));
  out.stopkey = "xeq3006";
  const std::vector<std::string> forms = {"Y = X(" + k + ") + FI(0)", "Y = X(" + k + ") + 1",
                                          "X = Y(" + k + ") * FI(2)"};
  stopindex = static_cast<int>(lines.size());
  put(any(forms));
  kinds.push_back("stop: a whole-array assignment reading an element outside");
}

// An assignment whose passes over `$` end before its first store stops the
// run with xeq3028, whether a FUNCTION stands in it or not.
void Gen::nothingstored() {
  const std::string past = std::to_string(n + 1 + pick(3));
  out.stopkey = "xeq3028";
  const std::vector<std::string> forms = {"QE = X($+" + past + ") + FI(0)",
                                          "QE = Y($ + FI(" + past + "))",
                                          "QE = X($+" + past + ") + 1",
                                          "IF (X($+" + past + ") + FI(1) > 0) QE = 1"};
  stopindex = static_cast<int>(lines.size());
  put(any(forms));
  kinds.push_back("stop: an assignment whose passes end before its first store");
}

// A character one past T's end through a FUNCTION bound, read or written,
// stops the run with the index error (a piece reaching there with xeq3045).
void Gen::pastend() {
  const std::string past = std::to_string(tlen + 1);
  chars.push_back("SE*16");
  struct Failing {
    std::string text, key;
  };
  const std::vector<Failing> forms = {{"SE = T(FI(" + past + "))", "xeq3006"},
                                      {"SE = T(FI(" + past + ")) // 'x'", "xeq3006"},
                                      {"QE = ICHAR(T(FI(" + past + ")))", "xeq3006"},
                                      {"QE = ICHAR(T(FI(" + std::to_string(tlen) + ") + 1))",
                                       "xeq3006"},
                                      {"T(FI(" + past + ")) = 'x'", "xeq3006"},
                                      {"SE = T(" + past + ":FI(" + past + "))", "xeq3045"},
                                      {"T(FI(" + std::to_string(tlen) + "):FI(" + past +
                                           ")) = 'xy'",
                                       "xeq3045"}};
  const Failing& f = any(forms);
  out.stopkey = f.key;
  if (chance(40)) {
    // On the last pass of a loop, the character before it on the others.
    const int p = 2 + pick(3);
    put("DO I = 1, " + std::to_string(p));
    stopindex = static_cast<int>(lines.size());
    put("  SE = T(FI(I + " + std::to_string(tlen + 1 - p) + "))");
    put("ENDDO");
    out.stopkey = "xeq3006";
    kinds.push_back("stop: a character past its text on a loop's last pass");
    return;
  }
  stopindex = static_cast<int>(lines.size());
  put(f.text);
  kinds.push_back("stop: a character one past its text through a FUNCTION");
}

// ---------------------------------------------------------------------------
// Folds of folds and lists over whole arrays: with no FUNCTION (the
// expression's own words run them) or beside a FUNCTION (run word by
// word), in every place an expression stands.

// A number beside an array: a number, a variable, a FUNCTION of numbers
// (fn), where INDEX finds a number in an array, or (depth > 0) a fold.
Ex Gen::nestscalar(int depth, bool fn) {
  const int r = pick(100);
  if (depth > 0 && budget > 0 && r < 40) return nestfold(depth - 1, fn);
  if (fn && r < 60)
    return chance(60) ? apply(Ex::call, "FI", {smallnum()})
                      : apply(Ex::call, "FN", {smallnum(), smallnum()});
  if (r < 80) return smallnum();
  if (r < 90) {
    // (A number not negative: a sign after the comma would be an operator.)
    const Ex a = arrayname();
    const double x = arrays.at(a.s)[static_cast<std::size_t>(pick(n))];
    return apply(Ex::fn, "INDEX", {a, cst(chance(70) && x >= 0 ? x : 30)});
  }
  return named(Ex::var, chance(50) ? "A" : "KI");
}

// An array expression: an array (now and then in ABS, MOD or RAN with no
// spread) beside a number, or both arrays.
Ex Gen::nestarray(int depth, bool fn) {
  Ex a = arrayname();
  const int w = pick(10);
  if (w == 0) a = apply(Ex::fn, "ABS", {bin("-", a, smallnum())});
  if (w == 1) a = apply(Ex::fn, "MOD", {a, cst(3 + pick(3))});
  if (w == 2) a = apply(Ex::fn, "RAN", {a, cst(0)});
  switch (pick(5)) {
    case 0:
      return bin(op3(), a, nestscalar(depth, fn));
    case 1:
      return bin(op3(), nestscalar(depth, fn), a);
    case 2:
      return bin(op3(), bin(op3(), named(Ex::arr, "X"), named(Ex::arr, "Y")),
                 nestscalar(depth, fn));
    case 3:
      return bin(chance(50) ? "+" : "-", bin(op3(), a, nestscalar(depth, fn)),
                 nestscalar(depth, fn));
    default:
      return bin(op3(), a, smallnum());
  }
}

// A fold: MAXLOC or MINLOC, SUM, MAX or MIN of one argument (over arrays,
// or with none of its own but a fold's value), or SUM, MAX or MIN of a
// list that holds an argument over whole arrays or more among numbers.
Ex Gen::nestfold(int depth, bool fn) {
  --budget;
  const int r = pick(10);
  auto one = [&]() {
    if (depth > 0 && budget > 0 && chance(30)) {
      const Ex f = nestfold(depth - 1, fn);
      return chance(50) ? bin(op3(), f, smallnum()) : bin(op3(), smallnum(), f);
    }
    return nestarray(depth, fn);
  };
  if (r < 3) return apply(Ex::fold, chance(50) ? "MAXLOC" : "MINLOC", {one()});
  const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
  if (r < 7) return apply(Ex::fold, f, {one()});
  const int k = 2 + pick(3), at = pick(k);
  std::vector<Ex> args;
  for (int j = 0; j < k; ++j)
    args.push_back(j == at || chance(20) ? (chance(30) ? arrayname() : nestarray(depth, fn))
                                         : nestscalar(depth, fn));
  return apply(Ex::fold, f, args);
}

// A fold of folds or of a list over whole arrays, alone or in an
// expression.
Core Gen::nestcore() {
  for (;;) {
    const bool fn = chance(35);
    budget = 4;
    Ex e = nestfold(pick(4), fn);
    const int r = pick(10);
    if (r == 0) e = bin(op3(), e, nestscalar(0, fn));
    if (r == 1) e = bin(chance(50) ? "+" : "-", smallnum(), e);
    if (fn && !hascall(e)) e = bin("+", e, apply(Ex::call, "FI", {smallnum()}));
    const auto v = value(e);
    const std::string t = shapes::show(e);
    // (The places it stands in open a bracket or two more.)
    if (!small(v) || !compose::linefits("IF (MAX(1, " + t + ", 2) /= 4.5) G99 = 1")) continue;
    int depth = 0;
    bool list = false, loc = false;
    std::function<void(const Ex&, int)> walk = [&](const Ex& x, int d) {
      if (x.k == Ex::fold) {
        depth = std::max(depth, ++d);
        list = list || x.a.size() > 1;
        loc = loc || x.s == "MAXLOC" || x.s == "MINLOC";
      }
      for (const Ex& k : x.a) walk(k, d);
    };
    walk(e, 0);
    std::string kind = list ? "a list over whole arrays" : loc ? "MAXLOC or MINLOC" : "a fold";
    if (depth >= 3) kind += ", folds " + std::to_string(depth) + " deep";
    if (depth == 2) kind += " of a fold";
    if (fn) kind += ", with a FUNCTION";
    return {t, v.front(), kind, true, depth};
  }
}

// The number of such a fold in one of the places an expression stands:
// an assignment, a logical IF, IF ... GOTO, a block IF or an ELSEIF, a DO
// loop's start, limit or step, a subscript, after a unary minus, a MAX or
// MIN list, the argument of a built-in, of a FUNCTION or of a CALL, an
// item of a WRITE, a SUBROUTINE or a FUNCTION body.
std::string Gen::nestplace(int i, const Core& c) {
  const std::string g = tail(i, "G"), v = tail(i, "V");
  use(g, v);
  double want = c.value;
  std::string where;
  const bool whole = c.value == std::floor(c.value);
  std::string rel;
  const bool truth = chance(50);
  auto cond = [&]() {
    const std::string k = relationto(c.value, truth, rel);
    return c.text + " " + rel + " " + (k[0] == '-' ? "(" + k + ")" : k);
  };
  const std::string jc = tail(i, "JC");
  int place = pick(15);
  if ((place == 3 && !(whole && c.value >= -2 && c.value <= 20)) ||
      (place == 4 && !(whole && c.value >= -20 && c.value <= 20)) ||
      (place == 5 && !(whole && c.value >= 1 && c.value <= 6)) ||
      (place == 6 && !(whole && c.value >= 1 && c.value <= n)) ||
      (place == 8 && c.depth >= 4))  // (a list folds once more: four deep at most)
    place = 7;
  switch (place) {
    case 0:
      put(g + " = 0");
      put("IF (" + cond() + ") " + g + " = 1");
      want = truth ? 1 : 0;
      where = " (logical IF)";
      break;
    case 1: {
      const std::string l = std::to_string(label++);
      put(g + " = 1");
      put("IF (" + cond() + ") GOTO " + l);
      put(g + " = 0");
      put(l + " CONTINUE");
      want = truth ? 1 : 0;
      where = " (IF ... GOTO)";
      break;
    }
    case 2:
      if (chance(50)) {
        put(g + " = 2");
        put("IF (" + cond() + ") THEN");
        put("  " + g + " = 1");
        put("ENDIF");
        want = truth ? 1 : 2;
        where = " (block IF)";
      } else {
        put("IF (KI < 0) THEN");
        put("  " + g + " = 5");
        put("ELSEIF (" + cond() + ") THEN");
        put("  " + g + " = 1");
        put("ELSE");
        put("  " + g + " = 2");
        put("ENDIF");
        want = truth ? 1 : 2;
        where = " (ELSEIF)";
      }
      break;
    case 3:
      where = inlimit(g, jc, c, want);
      break;
    case 4:
      put(g + " = 0");
      put("DO " + jc + " = " + c.text + ", " + numtext(c.value + 2));
      put("  " + g + " = " + g + " + " + jc);
      put("ENDDO");
      count(i, jc + " /= " +
                   (c.value + 3 < 0 ? "(" + numtext(c.value + 3) + ")" : numtext(c.value + 3)));
      want = 3 * c.value + 3;
      where = " (DO start)";
      break;
    case 5:
      put(g + " = 0");
      put("DO " + jc + " = 1, 12, " + c.text);
      put("  " + g + " = " + g + " + 1");
      put("ENDDO");
      want = std::floor(11 / c.value) + 1;
      where = " (DO step)";
      break;
    case 6:
      put(g + " = Y(" + c.text + ")");
      want = arrays.at("Y")[static_cast<std::size_t>(c.value) - 1];
      where = " (a subscript)";
      break;
    case 7:
      put(g + " = -(" + c.text + ")");
      want = -c.value;
      where = " (after a unary minus)";
      break;
    case 8: {
      where = inlist(g, c, want);
      break;
    }
    case 9: {
      const int k = pick(10);
      put(g + " = ABS(" + c.text + " - " + std::to_string(k) + ")");
      want = std::fabs(c.value - k);
      where = " (a built-in's argument)";
      break;
    }
    case 10:
      put(g + " = FI(" + c.text + ") + 1");
      want = c.value + 1;
      where = " (a FUNCTION's argument)";
      break;
    case 11:
      if (!scopy) {
        routines.push_back("SUBROUTINE SCOPY(P, R)");
        routines.push_back("  R = P");
        routines.push_back("END");
        scopy = true;
      }
      put("CALL SCOPY(" + c.text + ", " + g + ")");
      where = " (a CALL's argument)";
      break;
    case 12: {
      const std::string sw = tail(i, "SW");
      chars.push_back(sw + "*24");
      put("WRITE(Text=" + sw + ") " + c.text);
      put("READ(Text=" + sw + ") " + g);
      where = " (a WRITE item, read back)";
      break;
    }
    case 13: {
      const std::string f = tail(i, "FW");
      const std::string d =
          "  DIMENSION X(" + std::to_string(n) + "), Y(" + std::to_string(n) + ")";
      if (chance(50)) {
        routines.push_back("FUNCTION " + f + "(X, Y, A, KI)");
        routines.push_back(d);
        routines.push_back("  " + f + " = " + c.text);
        routines.push_back("END");
        put(g + " = " + f + "(X, Y, A, KI)");
        where = " (in a FUNCTION body)";
      } else {
        std::vector<std::string>& to = chance(50) ? routines : after;
        to.push_back("SUBROUTINE " + f + "(X, Y, A, KI, R)");
        to.push_back(d);
        to.push_back("  R = " + c.text);
        to.push_back("END");
        put("CALL " + f + "(X, Y, A, KI, " + g + ")");
        where = " (in a SUBROUTINE)";
      }
      break;
    }
    default:
      put(g + " = " + c.text);
      break;
  }
  put(v + " = " + numtext(want));
  compare(i, g, v);
  return c.kind + where;
}

// A whole array given a list over whole arrays (and $, now and then):
// every element the fold of all the values.
std::string Gen::nestlist(int i) {
  const std::string ag = tail(i, "AG"), av = tail(i, "AV");
  for (;;) {
    const bool fn = chance(35);
    budget = 2;
    const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
    const int k = 2 + pick(2), at = pick(k);
    bool dollar = false;
    std::vector<Ex> args;
    for (int j = 0; j < k; ++j) {
      if (j == at) {
        args.push_back(chance(30) ? arrayname() : nestarray(pick(2), fn));
      } else if (chance(35)) {
        args.push_back(chance(50) ? named(Ex::var, "$")
                                  : bin(op3(), named(Ex::var, "$"), smallnum()));
        dollar = true;
      } else {
        args.push_back(nestscalar(1, fn));
      }
    }
    Ex e = apply(Ex::fold, f, args);
    if (fn && !hascall(e)) e.a.push_back(apply(Ex::call, "FI", {smallnum()}));
    std::vector<double> want;
    for (int r = 1; r <= n; ++r) {
      scalars["$"] = r;
      want.push_back(scalar(e));
    }
    scalars.erase("$");
    const std::string t = shapes::show(e);
    if (!small(want) || !compose::linefits(ag + " = " + t)) continue;
    dims.push_back(ag + "(" + std::to_string(n) + ")");
    dims.push_back(av + "(" + std::to_string(n) + ")");
    use(ag, av);
    put(ag + " = " + t);
    std::string list = av + " = ";
    for (int j = 0; j < n; ++j)
      list += (j ? ", " : "") + numtext(want[static_cast<std::size_t>(j)]);
    put(list);
    put("DO " + tail(i, "JC") + " = 1, " + std::to_string(n));
    ++indent;
    compare(i, ag + "(" + tail(i, "JC") + ")", av + "(" + tail(i, "JC") + ")");
    --indent;
    put("ENDDO");
    return std::string("a whole array given ") + f + " of a list over whole arrays" +
           (dollar ? ", with $" : "") + (fn ? ", with a FUNCTION" : "");
  }
}

// ---------------------------------------------------------------------------
// Folds over pieces whose bounds call text built-ins and FUNCTIONs,
// FUNCTIONs and SUBROUTINEs of every arity that share or change the main
// program's names, and XEQ texts that hold lists.

// A text built-in over T and its value: LEN_TRIM, or where INDEX finds a
// blank, a letter or two letters of T (their first place).
Ex Gen::textbuiltin() {
  const std::string& t = texts.at("T");
  Ex e = named(Ex::txt, "LEN_TRIM(T)");
  e.v = letters;
  const int r = pick(4);
  if (r == 1) {
    e.s = "INDEX(T, ' ')";
    e.v = hole > 0 ? hole : letters + 1;
  } else if (r > 1) {
    std::string what;
    do {
      what = t.substr(static_cast<std::size_t>(pick(letters - r + 2)),
                      static_cast<std::size_t>(r - 1));
    } while (what.find(' ') != std::string::npos);
    e.s = "INDEX(T, '" + what + "')";
    e.v = static_cast<double>(t.find(what) + 1);
  }
  return e;
}

// An expression whose value is v: a number, a FUNCTION, FZ() moved by a
// number, or a text built-in alone, moved by a number or a FUNCTION or
// inside a FUNCTION.
Ex Gen::anybound(int v) {
  const int r = pick(10);
  if (r == 0) return cst(v);
  if (r == 1) return bound(v, true);
  if (r == 2) {
    fz = true;
    const int by = v - static_cast<int>(callvalue(apply(Ex::call, "FZ", {})));
    const Ex f = apply(Ex::call, "FZ", {});
    return by == 0 ? f : bin(by > 0 ? "+" : "-", f, cst(std::abs(by)));
  }
  const Ex b = textbuiltin();
  const int by = v - static_cast<int>(b.v);
  const std::string op = by >= 0 ? "+" : "-";
  const Ex moved = by == 0 ? b : bin(op, b, cst(std::abs(by)));
  if (r < 5) return moved;
  if (r < 8) return apply(Ex::call, "FI", {moved});
  return bin(op, b, apply(Ex::call, "FI", {cst(std::abs(by))}));
}

// LEN of a piece of T (now and then read backwards), each bound any
// expression.
Ex Gen::piecelen() {
  int a = 1 + pick(tlen), b = 1 + pick(tlen);
  if (a > b && chance(70)) std::swap(a, b);
  Ex e = named(Ex::len, "T");
  e.a = {anybound(a), anybound(b)};
  return e;
}

// A number that holds such a piece, a FUNCTION around it, before it or
// after it, or (depth > 0) a fold over such pieces.
Ex Gen::pieceterm(int depth) {
  const Ex p = piecelen();
  switch (pick(depth > 0 ? 8 : 7)) {
    case 0:
      return p;
    case 1:
      return apply(Ex::call, "FI", {p});
    case 2:
      return bin(op3(), p, usercall(0));
    case 3:
      return bin(op3(), usercall(0), p);
    case 4:
      return apply(Ex::call, "FI", {bin(op3(), p, smallnum())});
    case 5:
      return chance(50) ? apply(Ex::call, "FN", {p, smallnum()})
                        : apply(Ex::call, "FN", {smallnum(), p});
    case 6:
      fz = true;
      return bin(op3(), p, apply(Ex::call, "FZ", {}));
    default:
      return apply(Ex::fold, any(std::vector<std::string>{"SUM", "MAX", "MIN"}),
                   {piecearray(depth - 1)});
  }
}

// An array expression with such a number, a FUNCTION now and then before
// or after the array.
Ex Gen::piecearray(int depth) {
  const Ex t = pieceterm(depth);
  switch (pick(5)) {
    case 0:
      return bin(op3(), arrayname(), t);
    case 1:
      return bin(op3(), t, arrayname());
    case 2:
      return bin(chance(50) ? "+" : "-", bin(op3(), arrayname(), t), usercall(0));
    case 3:
      return bin(op3(), usercall(0), bin(op3(), arrayname(), t));
    default:
      return bin(op3(), bin(op3(), named(Ex::arr, "X"), named(Ex::arr, "Y")), t);
  }
}

// SUM, MAX or MIN of such an array expression (two deep now and then),
// alone or beside a FUNCTION.
Core Gen::piecefold() {
  for (;;) {
    const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
    const int depth = chance(30) ? 1 : 0;
    Ex e = apply(Ex::fold, f, {piecearray(depth)});
    const int r = pick(10);
    if (r == 0) e = bin(op3(), e, usercall(0));
    if (r == 1) e = bin(op3(), usercall(0), e);
    const auto v = value(e);
    const std::string t = shapes::show(e);
    if (!small(v) || !compose::linefits("IF (MAX(1, " + t + ", 2) /= 4.5) G99 = 1")) continue;
    return {t, v.front(),
            f + (depth > 0 ? " of a fold" : "") + " over pieces bounded by text built-ins" +
                (hascall(e) ? ", with a FUNCTION" : ""),
            true, depth + 1};
  }
}

// The same terms element by element into a whole array, or folded.
std::string Gen::piecefolds(int i) {
  if (chance(70)) return placecore(i, piecefold());
  Ex e;
  std::vector<double> v;
  do {
    e = piecearray(chance(30) ? 1 : 0);
    v = value(e);
  } while (!small(v) || v.size() != static_cast<std::size_t>(n) ||
           !compose::linefits("AG99 = " + shapes::show(e)));
  const std::string ag = tail(i, "AG"), av = tail(i, "AV");
  dims.push_back(ag + "(" + std::to_string(n) + ")");
  dims.push_back(av + "(" + std::to_string(n) + ")");
  use(ag, av);
  put(ag + " = " + shapes::show(e));
  compareall(i, ag, av, v, tail(i, "JC"));
  return "a whole array of pieces bounded by text built-ins";
}

// FUNCTIONs and SUBROUTINEs of no argument (they share the main program's
// names, two references in one statement each seeing the other's change)
// and of one to three that change the variables handed to them.
std::string Gen::arities(int i) {
  const std::string g = tail(i, "G"), v = tail(i, "V"), w = tail(i, "WZ"), f = tail(i, "FA");
  use(g, v);
  const double a = scalars.at("A"), ki = scalars.at("KI");
  const int c = 1 + pick(5), k = pick(9);
  // (A FUNCTION is known from its line on; a SUBROUTINE that shares the
  // main program's arrays comes after the main program's DIMENSION.)
  std::vector<std::string>& to = routines;
  double want = 0, wz = k;
  std::string kind;
  put(w + " = " + std::to_string(k));
  switch (pick(6)) {
    case 0:
      to.insert(to.end(), {"FUNCTION " + f + "()", "  " + w + " = " + w + " + " + std::to_string(c),
                           "  " + f + " = " + w + " + A * KI", "END"});
      if (chance(50)) {
        put(g + " = " + f + "() + " + f + "()");
        want = 2 * (k + a * ki) + 3 * c;
        wz = k + 2 * c;
      } else {
        put(g + " = " + f + "() * 2");
        want = 2 * (k + c + a * ki);
        wz = k + c;
      }
      kind = "a FUNCTION without arguments changing the main program's names";
      break;
    case 1: {
      const std::string s = tail(i, "SZ");
      after.insert(after.end(),
                   {"SUBROUTINE " + s, "  " + w + " = " + w + " * 2 + SUM(X) + KI", "END"});
      put("CALL " + s);
      put(g + " = " + w);
      wz = k * 2 + fold("SUM", arrays.at("X")) + ki;
      want = wz;
      kind = "a SUBROUTINE without arguments changing the main program's names";
      break;
    }
    case 2:
      to.insert(to.end(), {"FUNCTION " + f + "(P)", "  P = P + " + std::to_string(c),
                           "  " + f + " = P * 2", "END"});
      put(g + " = " + f + "(" + w + ") + 1");
      wz = k + c;
      want = wz * 2 + 1;
      kind = "a FUNCTION changing its one argument";
      break;
    case 3:
      to.insert(to.end(),
                {"FUNCTION " + f + "(P, Q)", "  Q = Q + P", "  " + f + " = Q - P * 2", "END"});
      put(g + " = " + f + "(" + std::to_string(c) + ", " + w + ")");
      wz = k + c;
      want = k - c;
      kind = "a FUNCTION changing the second of two arguments";
      break;
    case 4: {
      const std::string s = tail(i, "SZ"), u = tail(i, "UZ");
      std::vector<std::string>& sub = chance(50) ? to : after;
      sub.insert(sub.end(),
                 {"SUBROUTINE " + s + "(P, Q, R)", "  R = P * Q + R", "  P = P + 1", "END"});
      put(u + " = " + std::to_string(c));
      put("CALL " + s + "(" + u + ", KI, " + w + ")");
      put(g + " = " + u);
      wz = c * ki + k;
      want = c + 1;
      kind = "a SUBROUTINE changing two of its three arguments";
      break;
    }
    default: {
      // A FUNCTION without arguments in a fold over a whole array and in a
      // piece's bound.
      fz = true;
      const double z = callvalue(apply(Ex::call, "FZ", {}));
      const std::string fl = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
      std::vector<double> x = arrays.at("X");
      for (double& e : x) e = e * c + z;
      if (z <= tlen && chance(50)) {
        put(g + " = " + fl + "(X * " + std::to_string(c) + " + LEN(T(FZ():" + std::to_string(tlen) +
            ")))");
        for (double& e : x) e += tlen - z + 1 - z;
      } else {
        put(g + " = " + fl + "(X * " + std::to_string(c) + " + FZ())");
      }
      want = fold(fl, x);
      kind = "a FUNCTION without arguments in a fold";
      break;
    }
  }
  put(v + " = " + numtext(want));
  compare(i, g, v);
  count(i, w + " /= " + numtext(wz));
  return kind;
}

// An XEQ text that holds a list of numbers: alone its values go nowhere,
// into a text they are joined.
std::string Gen::xeqlist(int i) {
  std::string list, joined;
  for (int j = 0, m = 2 + pick(3); j < m; ++j) {
    if (chance(40)) {
      const std::string v = chance(50) ? "A" : "KI";
      list += (j ? ", " : "") + v;
      joined += numtext(scalars.at(v));
    } else {
      const std::string d = std::to_string(pick(chance(50) ? 100 : 10));
      list += (j ? ", " : "") + d;
      joined += d;
    }
  }
  const std::string arg = xeqargument(i, "'" + list + "'", "XS", 40, 40);
  if (chance(30)) {
    const std::string g = tail(i, "G"), v = tail(i, "V");
    xeqalone(g, v, arg);
    compare(i, g, v);
    return "XEQ of a list alone";
  }
  const std::string g = tail(i, "SG"), v = tail(i, "SV");
  chars.push_back(g + "*" + std::to_string(tlen));
  chars.push_back(v + "*" + std::to_string(tlen));
  use(g, v);
  put(g + " = XEQ(" + arg + ")");
  put(v + " = '" + joined + "'");
  compare(i, g, v);
  return "XEQ of a list into a text";
}

// The text that T or S was given, written again as the name of a file
// that is not there (its size -1) and then as a plain text once more: the
// statements that hold the same text read it as text, before and after.
std::string Gen::filename(int i) {
  const std::string var = chance(50) ? "T" : "S";
  std::string lit = texts.at(var);
  lit.erase(lit.find_last_not_of(' ') + 1);
  const std::string g = tail(i, "FS"), v = tail(i, "FV"), w = tail(i, "FT");
  use(g, v);
  chars.push_back(w + "*" + std::to_string(var == "T" ? tlen : slen));
  put("SYSTEM(FIle='" + lit + "', FileSize=" + g + ")");
  put(v + " = -1");
  compare(i, g, v);
  put(w + " = '" + lit + "'");
  compare(i, w, "'" + lit + "'");
  return "the text of " + var + " as a file's name";
}

// An XEQ text that holds a list, for a number: the run stops at the XEQ.
void Gen::xeqliststop() {
  out.stopkey = "listToOne";
  std::string list = chance(50) ? "1, 2" : std::to_string(pick(9)) + ", A";
  if (chance(40)) {
    chars.push_back("XL*40");
    put("XL = '" + list + "'");
    list = "XL";
  } else {
    list = "'" + list + "'";
  }
  stopindex = static_cast<int>(lines.size());
  put(any(std::vector<std::string>{"QW = XEQ(" + list + ")", "QE = XEQ(" + list + ")"}));
  kinds.push_back("stop: an XEQ list for a number");
}

// m elements, one at least a FUNCTION reference: numbers, A, KI, FI, FN,
// FZ() and LF<i>(), which raises LW<i> by a step and gives LW<i> + A (its
// change seen by the list's later elements), LW<i> after the last LF<i>()
// (an array's list reads a variable when the list ends), and with texts S
// and T (a join drops their trailing blanks).
Gen::ListItems Gen::fnitems(int i, int m, bool withtexts) {
  ListItems r;
  const std::string w = tail(i, "LW"), f = tail(i, "LF");
  const double a = scalars.at("A"), ki = scalars.at("KI");
  const int step = 1 + pick(5);
  r.w0 = r.w = pick(9);
  const int sure = pick(m);  // (a FUNCTION reference stands there)
  bool changes = false, read = false, defined = false;
  for (int j = 0; j < m; ++j) {
    int kind = j == sure ? 2 + pick(4) : pick(withtexts ? 8 : 7);
    if (kind == 5 && read) kind = 2;
    if (kind == 6 && !changes) kind = 0;
    std::string shown;
    double v = 0;
    switch (kind) {
      case 0:
        v = pick(chance(50) ? 100 : 10);
        shown = numtext(v);
        besideitem(shown, v);
        break;
      case 1:
        shown = chance(50) ? "A" : "KI";
        v = scalars.at(shown);
        break;
      case 2: {
        const bool byname = chance(40);
        const std::string arg = byname ? (chance(50) ? "A" : "KI") : std::to_string(pick(10));
        v = byname ? scalars.at(arg) : std::stod(arg);
        shown = "FI(" + arg + ")";
        break;
      }
      case 3: {
        const Ex e =
            apply(Ex::call, "FN", {smallnum(), chance(40) ? named(Ex::var, "A") : smallnum()});
        v = callvalue(e);
        shown = shapes::show(e);
        break;
      }
      case 4:
        fz = true;
        v = a * zmul + ki;
        shown = "FZ()";
        break;
      case 5:
        if (!defined)
          routines.insert(routines.end(), {"FUNCTION " + f + "()",
                                           "  " + w + " = " + w + " + " + std::to_string(step),
                                           "  " + f + " = " + w + " + A", "END"});
        defined = changes = true;
        r.w += step;
        v = r.w + a;
        shown = f + "()";
        break;
      case 6:
        read = true;
        v = r.w;
        shown = w;
        break;
      default:
        shown = chance(50) ? "S" : "T";
        r.shown.push_back(shown);
        r.joined.push_back(texts.at(shown).substr(0, texts.at(shown).find_last_not_of(' ') + 1));
        continue;
    }
    r.shown.push_back(shown);
    r.joined.push_back(numtext(v));
    r.values.push_back(v);
  }
  return r;
}

// Now and then, in place of a number in such a list: the length of a
// piece of T with a FUNCTION bound, BITS beside a number or a FUNCTION, a
// sum or difference with a FUNCTION (the list's join binds looser), or a
// fold over a whole array beside a FUNCTION.
void Gen::besideitem(std::string& shown, double& v) {
  std::mt19937* const was = draw;
  draw = &rng9;
  if (chance(40)) {
    const int k = 1 + pick(9);
    const std::string fk = "FI(" + std::to_string(k) + ")";
    switch (pick(5)) {
      case 0: {
        const int a = 1 + pick(tlen), b = a + pick(tlen - a + 1);
        shown = "LEN(T(FI(" + std::to_string(a) + "):" + std::to_string(b) + "))";
        v = b - a + 1;
        break;
      }
      case 1:
        // (BITS of a variable without options gives 0.)
        shown = std::to_string(k) + " + BITS(" + (chance(50) ? "A" : "KI") + ")";
        v = k;
        break;
      case 2:
        shown = "BITS(A) + " + fk;
        v = k;
        break;
      case 3: {
        const int a = pick(10);
        shown = chance(50) ? std::to_string(a) + " + " + fk : fk + " - " + std::to_string(a);
        v = shown.front() == 'F' ? k - a : a + k;
        break;
      }
      default: {
        const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
        std::vector<double> x = arrays.at("X");
        for (double& e : x) e += k;
        shown = f + "(X + " + fk + ")";
        v = fold(f, x);
        break;
      }
    }
  }
  draw = was;
}

// A FUNCTION that runs an XEQ text with a name of its own, or writes a
// record with STRUCT, referenced in a statement that holds a value made
// before the reference: a FUNCTION's result, or a joined text.
std::string Gen::heldvalues(int i) {
  const std::string f = tail(i, "WF"), g = tail(i, "WG"), v = tail(i, "WV");
  const int k = pick(10);
  const bool record = chance(40);
  double value = 0;
  if (record) {
    // (The record is declared where the FUNCTION, compiled first, names it.)
    const std::string r = tail(i, "WR");
    routines.insert(routines.end(),
                    {"FUNCTION " + f + "()", "  CHARACTER " + r + "*8",
                     "  " + r + " = STRUCT(I2=A, I4=KI)", "  " + f + " = " + std::to_string(k),
                     "END"});
    value = k;
  } else {
    routines.insert(routines.end(),
                    {"FUNCTION " + f + "()",
                     "  " + f + " = XEQ('" + tail(i, "WQ") + " = " + std::to_string(k) + " + A')",
                     "END"});
    value = k + scalars.at("A");
  }
  const std::string what = record ? "a FUNCTION writing a record" : "a FUNCTION running an XEQ";
  use(g, v);
  if (chance(50)) {
    const int a = pick(10);
    put(g + " = FI(" + std::to_string(a) + ") + " + f + "()");
    put(v + " = " + numtext(a + value));
    compare(i, g, v);
    return what + " beside a FUNCTION's value";
  }
  // Pieces of T and S that end on a letter (a joined piece keeps its
  // blanks, the right one loses those at its end).
  const std::string& t = texts.at("T");
  const std::string& sv = texts.at("S");
  int m = 1 + pick(letters);
  while (t[static_cast<std::size_t>(m - 1)] == ' ') --m;
  const int ns = 1 + pick(static_cast<int>(sv.find(' ')));
  chars.push_back(g + "*40");
  chars.push_back(v + "*40");
  put(g + " = T(1:" + std::to_string(m) + ") // S(1:" + std::to_string(ns) + ") // " + f + "()");
  put(v + " = '" + t.substr(0, static_cast<std::size_t>(m)) +
      sv.substr(0, static_cast<std::size_t>(ns)) + numtext(value) + "'");
  compare(i, g, v);
  return what + " beside a joined text";
}

// A list that holds FUNCTION references: into a whole array element by
// element (the rest of the array kept), joined into a text, and as an XEQ
// text alone (its value goes nowhere) or into a text.
std::string Gen::fnlist(int i) {
  const std::string w = tail(i, "LW");
  const int r = pick(10);
  const auto written = [](const ListItems& l) {
    std::string t;
    for (const std::string& e : l.shown) t += (t.empty() ? "" : ", ") + e;
    return t;
  };
  if (r < 3) {
    const int m = 2 + pick(n);
    const ListItems l = fnitems(i, m, false);
    const std::string ag = tail(i, "LA"), av = tail(i, "LB");
    dims.push_back(ag + "(" + std::to_string(n) + ")");
    dims.push_back(av + "(" + std::to_string(n) + ")");
    use(ag, av);
    put(w + " = " + std::to_string(l.w0));
    put(ag + " = 0");
    put(ag + " = " + written(l));
    std::vector<double> want(static_cast<std::size_t>(n), 0.0);
    for (std::size_t j = 0; j < want.size() && j < l.values.size(); ++j) want[j] = l.values[j];
    compareall(i, ag, av, want, tail(i, "LJ"));
    count(i, w + " /= " + std::to_string(l.w));
    return "a list with a FUNCTION into a whole array";
  }
  const ListItems l = fnitems(i, 2 + pick(3), true);
  std::string joined;
  for (const std::string& e : l.joined) joined += e;
  const std::string g = tail(i, "LG"), v = tail(i, "LV");
  put(w + " = " + std::to_string(l.w0));
  std::string kind;
  if (r < 6) {
    chars.push_back(g + "*40");
    chars.push_back(v + "*40");
    use(g, v);
    // (Now and then into a piece of the text, the rest of it kept.)
    std::string piece;
    draw = &rng9;
    if (chance(30)) {
      const int a = 1 + pick(8);
      piece = "(" + std::to_string(a) + ":" + std::to_string(a + 4 + pick(20)) + ")";
      put(g + " = 'keep'");
      put(v + " = 'keep'");
    }
    draw = &rng8;
    put(g + piece + " = " + written(l));
    put(v + piece + " = '" + joined + "'");
    kind = piece.empty() ? "a list with a FUNCTION into a text"
                         : "a list with a FUNCTION into a piece of a text";
  } else {
    const std::string arg = xeqargument(i, "'" + written(l) + "'", "LX", 60, 40);
    if (chance(35)) {
      xeqalone(g, v, arg);
      kind = "XEQ of a list with a FUNCTION alone";
    } else {
      chars.push_back(g + "*40");
      chars.push_back(v + "*40");
      use(g, v);
      put(g + " = XEQ(" + arg + ")");
      put(v + " = '" + joined + "'");
      kind = "XEQ of a list with a FUNCTION into a text";
    }
  }
  compare(i, g, v);
  count(i, w + " /= " + std::to_string(l.w));
  return kind;
}

// A fold (SUM, MAX, MIN, MAXLOC, MINLOC) over an array W<i> of 1 to 1,000
// elements of its own whose element expression makes texts for each
// element: pieces of T measured and read by ICHAR, CHAR of a number, TRIM
// of T, S, a piece or a long text U<i> (30 characters or more), a fold
// over a second array V<i> inside; alone on the expression path, beside a
// FUNCTION word by word, in a logical IF and in a SUBROUTINE.
std::string Gen::textfold(int i) {
  const int m = any(std::vector<int>{1, 7, 31, 100, 1000});
  const int m2 = any(std::vector<int>{1, 3, 7});
  const std::string w = tail(i, "WT"), vv = tail(i, "VT"), u = tail(i, "UT");
  std::vector<double> wv, v2;
  const int wa = pick(11), wb = 3 + pick(9);
  for (int j = 1; j <= m; ++j) wv.push_back((j * wa) % wb - 3);
  for (int j = 1; j <= m2; ++j) v2.push_back((j * 5) % 7 - 2);
  dims.push_back(w + "(" + std::to_string(m) + ")");
  dims.push_back(vv + "(" + std::to_string(m2) + ")");
  chars.push_back(u + "*40");
  std::string ut;
  for (int j = 0, k = 30 + pick(9); j < k; ++j) ut += static_cast<char>('A' + pick(26));
  if (chance(30)) ut[static_cast<std::size_t>(pick(20))] = ' ';
  put(u + " = '" + ut + "'");
  put("DO JT = 1, " + std::to_string(m));
  put("  " + w + "(JT) = MOD(JT * " + std::to_string(wa) + ", " + std::to_string(wb) + ") - 3");
  put("ENDDO");
  put(vv + " = " + [&] {
    std::string l;
    for (std::size_t j = 0; j < v2.size(); ++j) l += (j ? ", " : "") + numtext(v2[j]);
    return l;
  }());
  const std::string& t = texts.at("T");
  const std::string& st = texts.at("S");
  auto trimmed = [](const std::string& x) {
    const std::size_t e = x.find_last_not_of(' ');
    return e == std::string::npos ? 1.0 : static_cast<double>(e + 1);
  };
  // A term: its text and value, the same for every element.
  auto term = [&](std::string& kind) -> std::pair<std::string, double> {
    const int a = 1 + pick(letters), b = 1 + pick(letters);
    const std::string ab = std::to_string(a), bb = std::to_string(b);
    switch (pick(9)) {
      case 0:
        kind += " ICHAR(piece)";
        if (a == static_cast<int>(scalars.at("A")))
          return {"ICHAR(T(A:A))", static_cast<unsigned char>(t[static_cast<std::size_t>(a - 1)])};
        return {"ICHAR(T(" + ab + ":" + ab + "))",
                static_cast<unsigned char>(t[static_cast<std::size_t>(a - 1)])};
      case 1:
        kind += " LEN(piece)";
        return {"LEN(T(" + ab + ":" + bb + "))", std::abs(a - b) + 1};
      case 2: {
        kind += " ICHAR(CHAR)";
        const int c = 40 + pick(60);
        return {"ICHAR(CHAR(A + " + std::to_string(c) + "))", scalars.at("A") + c};
      }
      case 3:
        kind += " LEN(TRIM(T))";
        return {"LEN(TRIM(T))", trimmed(t)};
      case 4:
        kind += " LEN(TRIM(S))";
        return {"LEN(TRIM(S))", trimmed(st)};
      case 5: {
        kind += " LEN(TRIM(piece))";
        const int lo = std::min(a, b), hi = std::max(a, b);
        std::string pc = t.substr(static_cast<std::size_t>(lo - 1), static_cast<std::size_t>(hi - lo + 1));
        return {"LEN(TRIM(T(" + std::to_string(lo) + ":" + std::to_string(hi) + ")))", trimmed(pc)};
      }
      case 6:
        kind += " LEN(TRIM(long))";
        return {"LEN(TRIM(" + u + "))", trimmed(ut)};
      case 7:
        kind += " LEN_TRIM";
        return {"LEN_TRIM(" + u + ")", trimmed(ut)};
      default: {
        kind += " a fold of a piece";
        const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN"});
        const double c = static_cast<unsigned char>(t[static_cast<std::size_t>(b - 1)]);
        std::vector<double> x;
        for (const double y : v2) x.push_back(y + c);
        return {f + "(" + vv + " + ICHAR(T(" + bb + ":" + bb + ")))", fold(f, x)};
      }
    }
  };
  std::string kind = "a fold of texts made per element:";
  const auto [t1, c1] = term(kind);
  const std::string op1 = op3();
  std::string el = w + " " + op1 + " " + t1;
  auto ap = [](const std::string& op, double x, double y) {
    return op == "+" ? x + y : op == "-" ? x - y : x * y;
  };
  std::vector<double> vals;
  if (chance(50)) {
    const auto [t2, c2] = term(kind);
    const std::string op2 = op3();
    el += " " + op2 + " " + t2;
    for (const double x : wv)
      vals.push_back(op2 == "*" ? ap(op1, x, c1 * c2) : ap(op2, ap(op1, x, c1), c2));
  } else {
    for (const double x : wv) vals.push_back(ap(op1, x, c1));
  }
  const std::string f = any(std::vector<std::string>{"SUM", "MAX", "MIN", "MAXLOC", "MINLOC"});
  const std::string fe = f + "(" + el + ")";
  const double value = fold(f, vals);
  kind += " " + f + " over " + std::to_string(m);
  const std::string g = tail(i, "G"), v = tail(i, "V") + "E";
  use(g, v);
  const bool word = chance(50);
  const std::string core = word ? fe + " + FI(0)" : fe;
  double want = value;
  switch (pick(4)) {
    case 0: {
      const double k = value + (chance(50) ? 0 : 1);
      put(g + " = 0");
      put("IF (" + core + " == " + (k < 0 ? "(" + numtext(k) + ")" : numtext(k)) + ") " + g + " = 1");
      want = k == value ? 1 : 0;
      kind += " (logical IF)";
      break;
    }
    case 1: {
      const std::string s = tail(i, "SXT");
      routines.push_back("SUBROUTINE " + s + "(" + w + ", " + vv + ", T, S, " + u + ", A, R)");
      routines.push_back("  DIMENSION " + w + "(" + std::to_string(m) + "), " + vv + "(" +
                         std::to_string(m2) + ")");
      routines.push_back("  CHARACTER T*" + std::to_string(tlen) + ", S*" + std::to_string(slen) +
                         ", " + u + "*40");
      routines.push_back("  R = " + core);
      routines.push_back("END");
      put("CALL " + s + "(" + w + ", " + vv + ", T, S, " + u + ", A, " + g + ")");
      kind += " (in a SUBROUTINE)";
      break;
    }
    default:
      put(g + " = " + core);
      break;
  }
  kind += word ? ", word by word" : "";
  put(v + " = " + numtext(want));
  compare(i, g, v);
  return kind;
}

// An XEQ text that holds a list with a FUNCTION, for a number: the run
// stops at the XEQ.
void Gen::fnliststop() {
  out.stopkey = "listToOne";
  std::vector<std::string> e = {any(std::vector<std::string>{"FI(3)", "FN(2, A)", "FZ()"}),
                                std::to_string(pick(9))};
  if (e.front() == "FZ()") fz = true;
  if (chance(50)) std::swap(e[0], e[1]);
  std::string list = "'" + e[0] + ", " + e[1] + "'";
  if (chance(40)) {
    chars.push_back("XLF*40");
    put("XLF = " + list);
    list = "XLF";
  }
  stopindex = static_cast<int>(lines.size());
  put(any(std::vector<std::string>{"QW = XEQ(" + list + ")", "QE = XEQ(" + list + ")"}));
  kinds.push_back("stop: an XEQ list with a FUNCTION for a number");
}

std::vector<std::string> Gen::functions() {
  const std::string ns = std::to_string(n);
  std::vector<std::string> f = {"FUNCTION FI(K)",
                                "  FI = K",
                                "END",
                                "FUNCTION FN(P, Q)",
                                "  FN = P " + fnop + " Q",
                                "END",
                                "FUNCTION GD(ARD, KD)",
                                "  DIMENSION ARD(" + ns + ")",
                                "  GD = ARD(KD) + " + std::to_string(gdadd),
                                "END",
                                "FUNCTION GU(ARU, KU)",
                                "  GU = ARU(KU) * " + std::to_string(gumul),
                                "END",
                                "FUNCTION GS(ARS)"};
  if (gsdeclared) f.push_back("  DIMENSION ARS(" + ns + ")");
  f.push_back("  GS = " + gsfold + "(ARS)");
  f.push_back("END");
  f.push_back("FUNCTION FT(S)");
  if (ftdeclared) f.push_back("  CHARACTER S*20");
  f.push_back(ftform == 0 ? "  FT = LEN(S) * 1000 + ICHAR(S)"
                          : "  FT = ICHAR(S(2:2)) * 10 + LEN(S)");
  f.push_back("END");
  return f;
}

Script Gen::make(bool textsonly) {
  n = 3 + pick(3);
  for (const char* a : {"X", "Y"}) {
    std::vector<double> v;
    for (int j = 0; j < n; ++j) v.push_back(pick(25) - 8 + (chance(15) ? 0.5 : 0));
    arrays[a] = v;
  }
  scalars["A"] = 1 + pick(6);
  scalars["KI"] = 1 + pick(n);
  letters = 6 + pick(5);
  std::string t;
  for (int j = 0; j < letters; ++j) t += static_cast<char>('a' + pick(20));
  hole = chance(60) ? 2 + pick(letters - 2) : 0;
  if (hole > 0) t[static_cast<std::size_t>(hole - 1)] = ' ';
  std::string s;
  for (int j = 0, k = 2 + pick(3); j < k; ++j) s += static_cast<char>('m' + pick(12));
  texts["T"] = t + std::string(static_cast<std::size_t>(tlen - letters), ' ');
  texts["S"] = s + std::string(static_cast<std::size_t>(slen) - s.size(), ' ');
  fnop = any(std::vector<std::string>{"+", "-", "*"});
  gdadd = pick(4);
  gumul = 1 + pick(3);
  gsfold = pick(10) < 6 ? "SUM" : chance(50) ? "MAX" : "MIN";
  // (MAX and MIN of one undeclared formal are refused: the translator
  // cannot know it for an array.)
  gsdeclared = gsfold != "SUM" || chance(50);
  ftdeclared = chance(40);
  ftform = pick(2);

  // (Now and then one or two snippets alone: a fault shows by itself.)
  int nsnippets = textsonly ? 0 : chance(15) ? 1 + pick(2) : 5 + pick(6);
  for (int i = 1; i <= nsnippets; ++i) snippet(i);
  // (Scripts of folds whose elements make texts hold those alone.)
  if (!textsonly) {
    // Folds of folds and lists over whole arrays, from the stream of their own.
    draw = &rng2;
    for (int k = 1 + pick(3); k > 0; --k) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() {
        return chance(25) ? nestlist(i) : nestplace(i, nestcore());
      });
    }
    draw = &rng;
    if (chance(30)) stop();
    draw = &rng3;
    for (int k = pick(3); k > 0; --k) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() { return onecell(i); });
    }
    if (stopindex < 0 && chance(25)) pastend();
    draw = &rng4;
    for (int k = pick(3); k > 0; --k) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() { return passes(i); });
    }
    if (stopindex < 0 && chance(10)) nothingstored();
    draw = &rng5;
    for (int k = pick(3); k > 0; --k) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() { return holds(i); });
    }
    if (stopindex < 0 && chance(8)) outside();
    draw = &rng6;
    zmul = 1 + pick(3);
    for (int k = pick(4); k > 0; --k) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() {
        const int r = pick(10);
        return r < 5 ? piecefolds(i) : r < 8 ? arities(i) : xeqlist(i);
      });
    }
    // Lists that hold FUNCTION references, from the stream of their own
    // (before the stops below, so that they run).
    draw = &rng8;
    for (int k = pick(3); k > 0; --k) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() { return fnlist(i); });
    }
    draw = &rng6;
    if (stopindex < 0 && chance(6)) xeqliststop();
    draw = &rng7;
    if (chance(30)) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() { return filename(i); });
    }
    draw = &rng10;
    if (chance(30)) {
      ++nsnippets;
      snippet(nsnippets, [this, i = nsnippets]() { return heldvalues(i); });
    }
  }
  draw = &rng11;
  for (int k = textsonly ? 3 + pick(4) : pick(100) < 40 ? 1 : 0; k > 0; --k) {
    ++nsnippets;
    snippet(nsnippets, [this, i = nsnippets]() { return textfold(i); });
  }
  draw = &rng8;
  if (!textsonly && stopindex < 0 && chance(5)) fnliststop();
  if (fz)
    routines.insert(routines.begin(),
                    {"FUNCTION FZ()", "  FZ = A * " + std::to_string(zmul) + " + KI", "END"});
  draw = &rng;

  std::vector<std::string> text = {"GOTO 100"};
  for (const std::string& l : functions()) text.push_back(l);
  text.insert(text.end(), routines.begin(), routines.end());
  text.push_back("SUBROUTINE SPUT(W, M, Q)");
  text.push_back("  W(M) = Q");
  text.push_back("END");
  text.push_back("100 CONTINUE");
  std::string decl = "CHARACTER T*" + std::to_string(tlen) + ", S*" + std::to_string(slen);
  for (const std::string& c : chars) {
    if (decl.size() + c.size() > 200) {
      text.push_back(decl);
      decl = "CHARACTER " + c;
    } else {
      decl += ", " + c;
    }
  }
  text.push_back(decl);
  std::string dim = "DIMENSION X(" + std::to_string(n) + "), Y(" + std::to_string(n) + "), NB(" +
                    std::to_string(nsnippets) + ")";
  for (const std::string& d : dims) {
    if (dim.size() + d.size() > 200) {
      text.push_back(dim);
      dim = "DIMENSION " + d;
    } else {
      dim += ", " + d;
    }
  }
  text.push_back(dim);
  text.push_back("T = '" + t + "'");
  text.push_back("S = '" + s + "'");
  for (const char* a : {"X", "Y"}) {
    std::string l = std::string(a) + " = ";
    for (int j = 0; j < n; ++j)
      l += (j ? ", " : "") + numtext(arrays[a][static_cast<std::size_t>(j)]);
    text.push_back(l);
  }
  text.push_back("A = " + numtext(scalars["A"]));
  text.push_back("KI = " + numtext(scalars["KI"]));
  text.push_back("QE = 0");
  const int first = static_cast<int>(text.size());
  text.insert(text.end(), lines.begin(), lines.end());
  if (stopindex >= 0) out.stopline = first + stopindex + 1;
  text.push_back("NBAD = SUM(NB)");
  text.push_back("END");
  text.insert(text.end(), after.begin(), after.end());
  for (const std::string& l : text) out.text += l + "\n";
  for (const std::string& k : kinds) out.expr += (out.expr.empty() ? "" : "; ") + k;
  return out;
}

}  // namespace

Script generate(std::uint32_t seed) { return Gen(seed).make(); }

Script textfolds(std::uint32_t seed) { return Gen(seed).make(true); }

}  // namespace shapes
