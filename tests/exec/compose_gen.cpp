#include "exec/compose_gen.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <random>
#include <utility>

namespace compose {

namespace {

// ---------------------------------------------------------------------------
// Expressions as trees, written out and worked out.

enum class K {
  num,    // a number, not negative
  var,    // a number variable
  arr,    // an array's name, as an argument
  elem,   // an element: name(a[0])
  call,   // user function f with arguments a
  fn,     // built-in s with arguments a
  neg,    // -a[0]
  bin,    // a[0] s a[1], s one of + - * /
  rel,    // (a[0] s a[1]), s a relation
  hole,   // where E (or V) goes in a context
  text,   // a text variable
  piece,  // s(a[0] : a[1]); form says which bounds are written
  cat,    // a[0] // a[1]
  lit,    // 's'
};

struct Node {
  K k = K::num;
  double num = 0;
  std::string s;
  int f = -1;
  int form = 0;  // piece: 0 (a:b), 1 (a:), 2 (:b), 3 (a)
  bool paren = false;
  std::vector<Node> a;
};

Node num(double x) {
  Node n;
  n.num = x;
  return n;
}
Node named(K k, std::string s) {
  Node n;
  n.k = k;
  n.s = std::move(s);
  return n;
}
Node op(K k, std::string s, std::vector<Node> a) {
  Node n = named(k, std::move(s));
  n.a = std::move(a);
  return n;
}
Node fn(std::string s, std::vector<Node> a) { return op(K::fn, std::move(s), std::move(a)); }
Node bin(std::string s, Node l, Node r) {
  return op(K::bin, std::move(s), {std::move(l), std::move(r)});
}
Node neg(Node x, bool paren = false) {
  Node n = op(K::neg, "", {std::move(x)});
  n.paren = paren;
  return n;
}
Node lit(std::string s) { return named(K::lit, std::move(s)); }
Node hole() { return named(K::hole, ""); }
// A signed constant: negative ones as a unary minus.
Node constant(double x) { return x < 0 ? neg(num(-x)) : num(x); }

Node subst(const Node& t, const Node& e) {
  if (t.k == K::hole) return e;
  Node n = t;
  for (Node& k : n.a) k = subst(k, e);
  return n;
}

bool has(const Node& n, const std::function<bool(const Node&)>& p) {
  if (p(n)) return true;
  return std::any_of(n.a.begin(), n.a.end(), [&](const Node& k) { return has(k, p); });
}

std::string numtext(double x) {
  std::array<char, 40> b{};
  if (x == std::floor(x))
    std::snprintf(b.data(), b.size(), "%.0f", x);
  else
    std::snprintf(b.data(), b.size(), "%.10g", x);
  return b.data();
}

bool primary(const Node& n) { return n.k != K::neg && n.k != K::bin && n.k != K::cat; }

// Precedence as the translator orders: relations 7, + - and unary minus 9,
// * / 11; what stands in brackets of its own binds tightest.
int prec(const Node& n) {
  if (n.paren) return 15;
  if (n.k == K::bin) return n.s == "+" || n.s == "-" ? 9 : 11;
  if (n.k == K::neg) return 9;
  return 15;
}

std::string show(const Node& n, int right = 0);

std::string list(const std::vector<Node>& a) {
  std::string s;
  for (const Node& k : a) s += (s.empty() ? "" : ", ") + show(k);
  return s;
}

// A relation without its brackets (conditions, a right side).
std::string bare(const Node& n) {
  if (n.k != K::rel) return show(n);
  return show(n.a[0], 7) + " " + n.s + " " + show(n.a[1]);
}

// `right`: the precedence of the operator that follows the text (0: none),
// so that a unary minus is bracketed where it would take in more.
std::string show(const Node& n, int right) {
  switch (n.k) {
    case K::num:
      return numtext(n.num);
    case K::var:
    case K::arr:
    case K::text:
      return n.s;
    case K::lit:
      return "'" + n.s + "'";
    case K::hole:
      return "?";
    case K::elem:
      return n.s + "(" + show(n.a[0]) + ")";
    case K::call:
    case K::fn:
      return n.s + "(" + list(n.a) + ")";
    case K::piece: {
      const bool wide = n.a.size() > 1 || (!n.a.empty() && n.a[0].k != K::num);
      const std::string colon = wide ? " : " : ":";
      switch (n.form) {
        case 0:
          return n.s + "(" + show(n.a[0]) + colon + show(n.a[1]) + ")";
        case 1:
          return n.s + "(" + show(n.a[0]) + ":)";
        case 2:
          return n.s + "(:" + show(n.a[0]) + ")";
        default:
          return n.s + "(" + show(n.a[0]) + ")";
      }
    }
    case K::cat:
      return show(n.a[0]) + " // " + show(n.a[1]);
    case K::rel:
      return "(" + bare(n) + ")";
    case K::neg: {
      const Node& x = n.a[0];
      std::string t = "-" + (primary(x) || x.paren ? show(x) : "(" + show(x) + ")");
      return n.paren || right > 9 ? "(" + t + ")" : t;
    }
    case K::bin: {
      const int p = n.s == "+" || n.s == "-" ? 9 : 11;
      const Node& l = n.a[0];
      const Node& r = n.a[1];
      std::string ls = l.k == K::neg ? show(l, p) : prec(l) < p ? "(" + show(l) + ")" : show(l, p);
      std::string rs;
      if (r.k == K::neg)
        rs = show(r, n.paren ? 0 : right);
      else if (prec(r) <= p)
        rs = "(" + show(r) + ")";
      else
        rs = show(r, n.paren ? 0 : right);
      const std::string t = ls + " " + n.s + " " + rs;
      return n.paren ? "(" + t + ")" : t;
    }
  }
  return "?";
}

// Whether the translator takes a line: at most 256 characters, seven
// brackets open at once, and (estimated with a margin) an operator stack
// of 16 words: each open bracket holds its "(" and the function, array or
// keyword before it, each level the operators still waiting in it.
bool takes(const std::string& line) {
  constexpr std::size_t maxline = 256;
  if (line.size() > maxline) return false;
  std::vector<std::pair<int, std::vector<int>>> levels(1);
  auto alnum = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.';
  };
  int most = 0, words = 0;
  bool named = false;
  for (std::size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (c == ' ') {
      ++i;
      continue;
    }
    ++words;
    if (c == '\'') {
      i = line.find('\'', i + 1) + 1;
      named = false;
      continue;
    }
    if (alnum(c)) {
      std::size_t j = i;
      while (j < line.size() && alnum(line[j])) ++j;
      named = std::isalpha(static_cast<unsigned char>(c)) != 0;
      i = j;
      continue;
    }
    std::size_t len = 1;
    if (c == '(') {
      levels.push_back({named ? 2 : 1, {}});
      if (levels.size() > 8) return false;
    } else if (c == ')') {
      if (levels.size() > 1) levels.pop_back();
    } else if (c == ',') {
      levels.back().second.clear();
    } else {
      const std::string two = line.substr(i, 2);
      if (two == "//" || two == "<=" || two == ">=" || two == "==" || two == "/=") len = 2;
      const int p = c == '=' && len == 1                 ? 1
                    : c == ':'                           ? 5
                    : c == '*' || (c == '/' && len == 1) ? 11
                    : c == '+' || c == '-'               ? 9
                                                         : 7;
      auto& ops = levels.back().second;
      while (!ops.empty() && ops.back() >= p) ops.pop_back();
      ops.push_back(p);
    }
    named = false;
    i += len;
    int total = 0;
    for (const auto& [base, ops] : levels) total += base + static_cast<int>(ops.size());
    most = std::max(most, total);
  }
  // Each SUM and each MAX or MIN of three arguments or more opens a
  // segment of the statement; it may open four.
  int segments = 0;
  for (std::size_t at = 0; (at = line.find('(', at)) != std::string::npos; ++at) {
    const std::string before = line.substr(at >= 3 ? at - 3 : 0, std::min<std::size_t>(at, 3));
    if (before == "SUM") ++segments;
    if (before != "MAX" && before != "MIN") continue;
    int depth = 0, commas = 0;
    for (std::size_t j = at; j < line.size(); ++j) {
      if (line[j] == '\'') j = line.find('\'', j + 1);
      if (j == std::string::npos) break;
      if (line[j] == '(') ++depth;
      if (line[j] == ')' && --depth == 0) break;
      if (line[j] == ',' && depth == 1) ++commas;
    }
    if (commas >= 2) ++segments;
  }
  return most <= 14 && words <= 120 && segments <= 4;
}

// ---------------------------------------------------------------------------
// Working values out. Anything a run could not do (an index outside its
// array, a piece outside its text, a divisor 0) or that a rounding could
// decide (an INT or a relation close to its edge) throws Bad: the generator
// then tries another expression.

struct Bad {};
[[noreturn]] void bad() { throw Bad{}; }

struct Val {
  enum { number, array, text } kind = number;
  double x = 0;
  std::vector<double> v;
  std::string t;
};

struct Scope {
  std::map<std::string, double> num;
  std::map<std::string, std::vector<double>> arr;
  std::map<std::string, std::string> txt;
};

// A formal argument: 'n' number, 'a' array of 5, 't' text.
struct Formal {
  char kind;
  std::string name;
};

// One statement of a function: target = value, under a condition when
// `cond` is set (with an ELSE assignment when `other` is set).
struct Stmt {
  std::optional<Node> cond;
  std::string target;
  Node value;
  std::optional<Node> other;
};

struct Func {
  std::string name;
  std::vector<Formal> formals;
  std::vector<std::string> decl;
  std::vector<Stmt> body;
};

double checked(double x) {
  if (!std::isfinite(x) || std::fabs(x) > 1e7) bad();
  return x;
}

double whole(double x) {
  checked(x);
  const double r = std::round(x);
  if (x != r && std::fabs(x - r) < 1e-6) bad();
  return std::trunc(x);
}

bool relation(const std::string& s, double x, double y) {
  if (x != y && std::fabs(x - y) < 1e-6 * std::max({1.0, std::fabs(x), std::fabs(y)})) bad();
  if (s == "<") return x < y;
  if (s == ">") return x > y;
  if (s == "<=") return x <= y;
  if (s == ">=") return x >= y;
  if (s == "==") return x == y;
  return x != y;
}

int place(double x, int lo, int hi) {
  if (x != std::floor(x) || x < lo || x > hi) bad();
  return static_cast<int>(x);
}

struct Search {
  int at = 0, length = 0;
};

// INDEX on texts of lower-case letters and blanks: a plain search, or with
// option 128 the pattern "x[a-z]*".
Search search(const std::string& where, const std::string& what, int options) {
  if (options == 128) {
    const std::size_t p = where.find(what[0]);
    if (p == std::string::npos) return {};
    std::size_t n = 1;
    while (p + n < where.size() && where[p + n] >= 'a' && where[p + n] <= 'z') ++n;
    return {static_cast<int>(p) + 1, static_cast<int>(n)};
  }
  const std::size_t p = where.find(what);
  if (p == std::string::npos) return {};
  return {static_cast<int>(p) + 1, static_cast<int>(what.size())};
}

class Eval {
 public:
  explicit Eval(const std::vector<Func>& f) : funcs(f) {}

  Val operator()(const Node& n, Scope& s) { return ev(n, s, 0); }
  double number(const Node& n, Scope& s) { return numberof(ev(n, s, 0)); }
  void run(const std::vector<Stmt>& body, Scope& s, int depth) {
    for (const Stmt& st : body) {
      const Node* value = &st.value;
      if (st.cond && numberof(ev(*st.cond, s, depth)) == 0) {
        if (!st.other) continue;
        value = &*st.other;
      }
      s.num[st.target] = numberof(ev(*value, s, depth));
    }
  }

 private:
  const std::vector<Func>& funcs;

  static double numberof(const Val& v) {
    if (v.kind != Val::number) bad();
    return checked(v.x);
  }
  static std::string textof(const Val& v) {
    if (v.kind != Val::text || v.t.empty()) bad();
    return v.t;
  }
  static Val of(double x) {
    Val v;
    v.x = checked(x);
    return v;
  }

  Val ev(const Node& n, Scope& s, int depth) {
    switch (n.k) {
      case K::num:
        return of(n.num);
      case K::var: {
        const auto it = s.num.find(n.s);
        if (it == s.num.end()) bad();
        return of(it->second);
      }
      case K::arr: {
        const auto it = s.arr.find(n.s);
        if (it == s.arr.end()) bad();
        Val v;
        v.kind = Val::array;
        v.v = it->second;
        return v;
      }
      case K::text: {
        const auto it = s.txt.find(n.s);
        if (it == s.txt.end()) bad();
        Val v;
        v.kind = Val::text;
        v.t = it->second;
        return v;
      }
      case K::lit: {
        Val v;
        v.kind = Val::text;
        v.t = n.s;
        return v;
      }
      case K::elem: {
        const auto it = s.arr.find(n.s);
        if (it == s.arr.end()) bad();
        const int i = place(numberof(ev(n.a[0], s, depth)), 1, static_cast<int>(it->second.size()));
        return of(it->second[static_cast<std::size_t>(i - 1)]);
      }
      case K::piece: {
        const auto it = s.txt.find(n.s);
        if (it == s.txt.end()) bad();
        const std::string& t = it->second;
        const int len = static_cast<int>(t.size());
        int lo = 1, hi = len;
        if (n.form == 0 || n.form == 1 || n.form == 3)
          lo = place(numberof(ev(n.a[0], s, depth)), 1, len);
        if (n.form == 0) hi = place(numberof(ev(n.a[1], s, depth)), lo, len);
        if (n.form == 2) hi = place(numberof(ev(n.a[0], s, depth)), 1, len);
        if (n.form == 3) hi = lo;
        Val v;
        v.kind = Val::text;
        v.t = t.substr(static_cast<std::size_t>(lo - 1), static_cast<std::size_t>(hi - lo + 1));
        return v;
      }
      case K::cat: {
        Val v;
        v.kind = Val::text;
        v.t = textof(ev(n.a[0], s, depth)) + textof(ev(n.a[1], s, depth));
        return v;
      }
      case K::neg:
        return of(-numberof(ev(n.a[0], s, depth)));
      case K::bin: {
        const double l = numberof(ev(n.a[0], s, depth)), r = numberof(ev(n.a[1], s, depth));
        if (n.s == "+") return of(l + r);
        if (n.s == "-") return of(l - r);
        if (n.s == "*") return of(l * r);
        if (std::fabs(r) < 1e-3) bad();
        return of(l / r);
      }
      case K::rel:
        return of(
            relation(n.s, numberof(ev(n.a[0], s, depth)), numberof(ev(n.a[1], s, depth))) ? 1 : 0);
      case K::call:
        return call(n, s, depth);
      case K::fn:
        return builtin(n, s, depth);
      case K::hole:
        break;
    }
    bad();
  }

  Val call(const Node& n, Scope& s, int depth) {
    if (depth > 6) bad();
    const Func& f = funcs[static_cast<std::size_t>(n.f)];
    if (f.formals.size() != n.a.size()) bad();
    Scope inner;
    for (std::size_t i = 0; i < n.a.size(); ++i) {
      const Val v = ev(n.a[i], s, depth);
      const Formal& fo = f.formals[i];
      if (fo.kind == 'n') inner.num[fo.name] = numberof(v);
      if (fo.kind == 'a') {
        if (v.kind != Val::array) bad();
        inner.arr[fo.name] = v.v;
      }
      if (fo.kind == 't') inner.txt[fo.name] = textof(v);
    }
    run(f.body, inner, depth + 1);
    const auto it = inner.num.find(f.name);
    if (it == inner.num.end()) bad();
    return of(it->second);
  }

  Val builtin(const Node& n, Scope& s, int depth) {
    const std::string& b = n.s;
    auto arg = [&](std::size_t i) { return numberof(ev(n.a[i], s, depth)); };
    if (b == "ABS") return of(std::fabs(arg(0)));
    if (b == "INT") return of(whole(arg(0)));
    if (b == "MOD") {
      const double x = arg(0), m = arg(1);
      if (std::fabs(m) < 0.25) bad();
      return of(std::fmod(x, m));
    }
    if (b == "SIGN") {
      const double x = arg(0), y = arg(1);
      return of(y < 0 ? -std::fabs(x) : std::fabs(x));
    }
    if (b == "MAX" || b == "MIN") {
      double r = arg(0);
      for (std::size_t i = 1; i < n.a.size(); ++i) {
        const double x = arg(i);
        if (b == "MAX" ? x > r : x < r) r = x;
      }
      return of(r);
    }
    if (b == "SUM") {
      const Val v = ev(n.a[0], s, depth);
      if (v.kind != Val::array) bad();
      double r = 0;
      for (const double x : v.v) r += x;
      return of(r);
    }
    const std::string t = textof(ev(n.a[0], s, depth));
    if (b == "LEN") return of(static_cast<double>(t.size()));
    if (b == "LEN_TRIM") {
      const std::size_t e = t.find_last_not_of(' ');
      return of(e == std::string::npos ? 0.0 : static_cast<double>(e + 1));
    }
    if (b == "ICHAR") return of(static_cast<unsigned char>(t[0]));
    // INDEX(where, 'what' [, options [, length]])
    const int options = n.a.size() > 2 ? static_cast<int>(arg(2)) : 0;
    const Search r = search(t, n.a[1].s, options);
    if (n.a.size() > 3) s.num[n.a[3].s] = r.length;
    return of(r.at);
  }
};

// ---------------------------------------------------------------------------
// The generator.

// Where an expression is made: the names it may use, the functions it may
// call (those defined above it), and the values it is worked out with (the
// main program's, or samples of a function's arguments).
struct Where {
  Scope sc;
  std::vector<std::string> nums, arrs, txts;
  int callable = 0;
  bool main = false;
};

constexpr int arraysize = 5;

class Gen {
 public:
  explicit Gen(std::uint32_t seed) : rng(seed), more(seed ^ 0x9E3779B9u), eval(funcs) {
    out.seed = seed;
  }
  Script make();

 private:
  std::mt19937 rng;
  // (Drawn from apart, so that what it adds leaves the rest of a seed's
  // script as it was.)
  std::mt19937 more;
  std::vector<Func> funcs;
  Eval eval;
  Script out;
  Where top;                              // the main program
  Node e;                                 // E
  double ev = 0;                          // its value
  std::map<std::string, double> lengths;  // INDEX lengths E leaves
  int nlength = 0;
  std::vector<std::string> lines, routines, after, texts;
  int indent = 0;
  int label = 300;

  int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
  bool chance(int pct) { return pick(100) < pct; }
  template <class T>
  const T& any(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(pick(static_cast<int>(v.size())))];
  }
  // (Shuffled here: std::shuffle may differ between libraries, and a seed
  // must give the same script everywhere.)
  template <class T>
  void mix(std::vector<T>& v) {
    for (std::size_t i = v.size(); i > 1; --i)
      std::swap(v[i - 1], v[static_cast<std::size_t>(pick(static_cast<int>(i)))]);
  }
  std::string letters(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + pick(12));
    return s;
  }
  double small() {
    const double x = pick(19) - 9;
    return chance(30) ? x + 0.5 : x;
  }

  std::optional<double> value(const Node& n, const Where& w) {
    Scope s = w.sc;
    try {
      return eval.number(n, s);
    } catch (const Bad&) {
      return std::nullopt;
    }
  }
  std::optional<std::string> textvalue(const Node& n, const Where& w) {
    Scope s = w.sc;
    try {
      const Val v = eval(n, s);
      if (v.kind != Val::text || v.t.empty()) return std::nullopt;
      return v.t;
    } catch (const Bad&) {
      return std::nullopt;
    }
  }

  Node number(int depth, Where& w);
  Node numberonce(int depth, Where& w);
  Node leaf(Where& w);
  Node whole(int lo, int hi, int depth, Where& w);
  Node textnode(int depth, Where& w, bool joined);
  Node textfn(int depth, Where& w);
  Node usercall(int depth, Where& w);
  Node builtin(int depth, Where& w);
  Node condition(const Node& x, bool truth);
  Node transform(const Node& h);

  void makefuncs();
  void makefunc(int j, bool three, int attempt = 0);
  std::vector<std::string> funclines(const Func& f);
  void makeexpr();
  std::string usesof(const Node& n, bool declared, std::vector<std::string>& decl);

  void put(const std::string& s) {
    lines.push_back(std::string(static_cast<std::size_t>(indent) * 2, ' ') + s);
  }
  std::string nb(int i) { return "NB(" + std::to_string(i) + ")"; }
  void count(int i, const std::string& cond) {
    put("IF (" + cond + ") " + nb(i) + " = " + nb(i) + " + 1");
  }
  std::string g(int i) { return "G" + std::to_string(i); }
  std::string x(int i) { return "X" + std::to_string(i); }
  std::string textpair(int i) {
    texts.push_back("SG" + std::to_string(i) + "*32");
    texts.push_back("SX" + std::to_string(i) + "*32");
    return std::to_string(i);
  }
  std::string got(const Node& t) { return show(subst(t, e)); }
  std::string want(const Node& t) { return show(subst(t, named(K::var, "V"))); }

  void context(int i);
  std::string decided(const std::string& head, bool truth);
  std::string contextbody(int i);
  std::string usebody(int i, int kind);
  void edge();
  void threeloop();
};

// Names, calls: what makes an expression more than a constant.
bool varies(const Node& n) {
  return has(n, [](const Node& k) {
    return k.k == K::var || k.k == K::elem || k.k == K::arr || k.k == K::text || k.k == K::piece ||
           k.k == K::call;
  });
}

Node Gen::number(int depth, Where& w) {
  for (int t = 0; t < 12; ++t) {
    Node n = numberonce(depth, w);
    if (n.k != K::num && !varies(n) && t < 10) continue;
    if (value(n, w)) return n;
  }
  return num(1 + pick(9));
}

Node Gen::leaf(Where& w) {
  const int r = pick(100);
  if (r < 25 || (w.nums.empty() && r < 60)) return chance(70) ? num(pick(10)) : num(pick(10) + 0.5);
  if (r < 60) return named(K::var, any(w.nums));
  if (r < 75 && !w.arrs.empty()) {
    Node n = named(K::elem, any(w.arrs));
    n.a.push_back(w.main && chance(50) ? named(K::var, "K") : num(1 + pick(arraysize)));
    return n;
  }
  if (w.txts.empty() && !w.nums.empty() && chance(80)) return named(K::var, any(w.nums));
  return textfn(0, w);
}

Node Gen::numberonce(int depth, Where& w) {
  if (depth <= 0 || chance(15)) return leaf(w);
  const int r = pick(100);
  if (r < 18 && w.callable > 0) return usercall(depth, w);
  if (r < 36) return builtin(depth, w);
  if (r < 48 && (!w.txts.empty() || chance(20))) return textfn(depth, w);
  if (r < 56) {
    Node x = number(depth - 1, w);
    if (!primary(x) && chance(60)) x = usercall(depth - 1, w);
    return neg(x, chance(25));
  }
  if (r < 64 && !w.arrs.empty()) {
    Node n = named(K::elem, any(w.arrs));
    n.a.push_back(whole(1, arraysize, depth - 1, w));
    return n;
  }
  if (r < 70) {
    static const std::vector<std::string> rels = {"<", ">", "<=", ">=", "==", "/="};
    return op(K::rel, any(rels), {number(depth - 1, w), number(depth - 1, w)});
  }
  static const std::vector<std::string> ops = {"+", "-", "*", "+", "-", "*", "/"};
  const std::string o = any(ops);
  Node l = number(depth - 1, w);
  Node r2 = o == "/" && chance(50) ? num(any(std::vector<double>{2, 4, 0.5, 8, 5}))
                                   : number(depth - 1, w);
  Node n = bin(o, std::move(l), std::move(r2));
  n.paren = chance(10);
  return n;
}

// A whole number from lo to hi: an expression whose value lies there
// (in the main program), or one brought there by MOD.
Node Gen::whole(int lo, int hi, int depth, Where& w) {
  if (chance(20)) return num(lo + pick(hi - lo + 1));
  if (w.main && chance(50)) {
    for (int t = 0; t < 6; ++t) {
      Node n = number(depth, w);
      const auto v = value(n, w);
      if (v && *v == std::floor(*v) && *v >= lo && *v <= hi) return n;
    }
  }
  for (int t = 0; t < 4; ++t) {
    const Node x = number(depth, w);
    if (!varies(x)) continue;
    Node inner = fn("MOD", {fn("INT", {fn("ABS", {x})}), num(hi - lo + 1)});
    Node n = pick(3) == 0 ? bin("+", inner, num(lo)) : bin("+", num(lo), inner);
    if (lo == 1 && chance(30)) n = bin("-", num(hi), inner);
    if (value(n, w)) return n;
  }
  return num(lo + pick(hi - lo + 1));
}

Node Gen::textnode(int depth, Where& w, bool joined) {
  const int r = pick(100);
  if (w.txts.empty() || r < 8) return lit(letters(2 + pick(3)));
  if (joined && r < 16 && depth > 0) {
    Node n = op(K::cat, "", {textnode(depth - 1, w, false), textnode(depth - 1, w, false)});
    if (textvalue(n, w)) return n;
  }
  const std::string t = any(w.txts);
  if (r < 50) return named(K::text, t);
  Node p = named(K::piece, t);
  p.form = pick(10) < 6 ? 0 : pick(3) + 1;
  if (w.main) {
    const int len = static_cast<int>(w.sc.txt.at(t).size());
    if (p.form == 2) {
      p.a.push_back(whole(1, len, depth - 1, w));
    } else {
      p.a.push_back(whole(1, len, depth - 1, w));
      if (p.form == 0) {
        const int lo = static_cast<int>(value(p.a[0], w).value_or(1));
        p.a.push_back(whole(lo, len, depth - 1, w));
      }
    }
  } else {
    // Any text of three characters or more.
    const Node first = chance(70) ? num(1 + pick(3)) : whole(1, 3, depth - 1, w);
    p.a.push_back(p.form == 2 ? num(3) : first);
    if (p.form == 0) p.a.push_back(chance(50) ? fn("LEN", {named(K::text, t)}) : num(3));
  }
  if (textvalue(p, w)) return p;
  return named(K::text, t);
}

Node Gen::textfn(int depth, Where& w) {
  const int r = pick(100);
  Node t = textnode(depth - 1, w, true);
  // (What LEN gives for a joined text depends on where the join puts it:
  // the right text may lose its trailing blanks.)
  if (r < 20) return fn(t.k == K::cat ? "LEN_TRIM" : "LEN", {t});
  if (r < 40) return fn("LEN_TRIM", {t});
  if (r < 60) return fn("ICHAR", {t});
  // INDEX: a pattern mostly found in the text, with options and a length.
  const std::string where = textvalue(t, w).value_or("abc");
  std::string nonblank;
  for (const char c : where)
    if (c != ' ') nonblank += c;
  std::string what = letters(2);
  if (!nonblank.empty() && chance(75)) {
    const int at = pick(static_cast<int>(nonblank.size()));
    what = nonblank.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(1 + pick(3)));
  }
  Node n = fn("INDEX", {t, lit(what)});
  const int args = pick(10) < 3 ? 2 : pick(10) < 3 ? 3 : 4;
  const bool pattern = args == 4 && chance(40);
  if (pattern) n.a[1] = lit(what.substr(0, 1) + "[a-z]*");
  if (args >= 3) n.a.push_back(num(pattern ? 128 : 0));
  if (args == 4) n.a.push_back(named(K::var, w.main ? "L" + std::to_string(++nlength) : "LX"));
  return n;
}

Node Gen::usercall(int depth, Where& w) {
  for (int t = 0; t < 6 && w.callable > 0; ++t) {
    const int j = pick(w.callable);
    const Func& f = funcs[static_cast<std::size_t>(j)];
    Node n = named(K::call, f.name);
    n.f = j;
    bool fits = true;
    for (const Formal& fo : f.formals) {
      if (fo.kind == 'n') n.a.push_back(chance(35) ? leaf(w) : number(depth - 1, w));
      if (fo.kind == 'a') {
        if (w.arrs.empty())
          fits = false;
        else
          n.a.push_back(named(K::arr, any(w.arrs)));
      }
      if (fo.kind == 't') n.a.push_back(textnode(depth - 1, w, false));
    }
    if (fits && value(n, w)) return n;
  }
  return leaf(w);
}

Node Gen::builtin(int depth, Where& w) {
  const int r = pick(100);
  if (r < 15) return fn("ABS", {number(depth - 1, w)});
  if (r < 27) return fn("INT", {number(depth - 1, w)});
  if (r < 42) {
    Node m = chance(70) ? constant(any(std::vector<double>{2, 3, 4, 5, 7, -3, 2.5}))
                        : number(depth - 1, w);
    return fn("MOD", {number(depth - 1, w), m});
  }
  if (r < 52) return fn("SIGN", {number(depth - 1, w), number(depth - 1, w)});
  if (r < 58 && !w.arrs.empty()) return fn("SUM", {named(K::arr, any(w.arrs))});
  std::vector<Node> a;
  const int n = 2 + pick(3);
  for (int i = 0; i < n; ++i) a.push_back(chance(30) ? textfn(depth - 1, w) : number(depth - 1, w));
  return fn(chance(50) ? "MAX" : "MIN", a);
}

// ---------------------------------------------------------------------------
// User functions.

void Gen::makefunc(int j, bool three, int attempt) {
  static const char* const fnames[] = {"FA", "FB", "FC", "FD"};
  Func f;
  f.name = three ? "FQ" : fnames[j];
  Where w;
  w.callable = j;
  if (three) {
    f.formals = {{'n', "P"}, {'n', "Q"}, {'n', "R"}};
  } else {
    const int n = 1 + pick(3);
    bool arr = false, txt = false;
    static const char* const scal[] = {"P", "Q", "R"};
    int ns = 0;
    for (int i = 0; i < n; ++i) {
      const int r = pick(100);
      if (r < 22 && !arr) {
        arr = true;
        f.formals.push_back({'a', "W"});
      } else if (r < 45 && !txt) {
        txt = true;
        f.formals.push_back({'t', "S"});
      } else {
        f.formals.push_back({'n', scal[ns++]});
      }
    }
    mix(f.formals);
  }
  for (const Formal& fo : f.formals) {
    if (fo.kind == 'n') {
      w.nums.push_back(fo.name);
      w.sc.num[fo.name] = small();
    }
    if (fo.kind == 'a') {
      w.arrs.push_back(fo.name);
      w.sc.arr[fo.name] = top.sc.arr.at("Y");
      if (chance(50))
        f.decl.push_back("DIMENSION " + fo.name + "(" + std::to_string(arraysize) + ")");
    }
    if (fo.kind == 't') {
      w.txts.push_back(fo.name);
      w.sc.txt[fo.name] = top.sc.txt.at(chance(50) ? "T" : "U");
      if (chance(50)) f.decl.push_back("CHARACTER " + fo.name + "*" + (chance(50) ? "12" : "20"));
    }
  }
  if (three) {
    // (x op y) op z over three different arguments.
    std::vector<Node> v = {named(K::var, "P"), named(K::var, "Q"), named(K::var, "R")};
    mix(v);
    static const std::vector<std::string> ops = {"+", "-", "*"};
    Node inner = bin(any(ops), v[0], v[1]);
    inner.paren = true;
    f.body.push_back({std::nullopt, f.name, bin(any(ops), inner, v[2]), std::nullopt});
    funcs.push_back(f);
    return;
  }
  const int shape = pick(10);
  if (shape < 3) {
    // A local first.
    const Node l = number(2, w);
    f.body.push_back({std::nullopt, "H1", l, std::nullopt});
    Scope s = w.sc;
    try {
      eval.run(f.body, s, 0);
      w.sc = s;
      w.nums.push_back("H1");
    } catch (const Bad&) {
      f.body.clear();
    }
  }
  Node v = number(2, w);
  if (shape >= 7) {
    // Under a condition: logical IF after an assignment, or IF ... ELSE.
    const Node c = op(K::rel, chance(50) ? ">" : "<", {number(1, w), number(1, w)});
    if (shape == 7) {
      f.body.push_back({std::nullopt, f.name, number(1, w), std::nullopt});
      f.body.push_back({c, f.name, v, std::nullopt});
    } else {
      f.body.push_back({c, f.name, v, number(2, w)});
    }
  } else {
    f.body.push_back({std::nullopt, f.name, v, std::nullopt});
  }
  const auto l = funclines(f);
  if (!std::all_of(l.begin(), l.end(), takes)) {
    if (attempt < 8) return makefunc(j, three, attempt + 1);
    f.body = {{std::nullopt, f.name, num(1), std::nullopt}};
  }
  funcs.push_back(f);
}

std::vector<std::string> Gen::funclines(const Func& f) {
  std::vector<std::string> s;
  std::string head = "FUNCTION " + f.name + "(";
  for (std::size_t i = 0; i < f.formals.size(); ++i) head += (i ? ", " : "") + f.formals[i].name;
  s.push_back(head + ")");
  for (const std::string& d : f.decl) s.push_back("  " + d);
  for (const Stmt& st : f.body) {
    const std::string a = st.target + " = " + bare(st.value);
    if (!st.cond) {
      s.push_back("  " + a);
    } else if (!st.other) {
      s.push_back("  IF (" + bare(*st.cond) + ") " + a);
    } else {
      s.push_back("  IF (" + bare(*st.cond) + ") THEN");
      s.push_back("    " + a);
      s.push_back("  ELSE");
      s.push_back("    " + st.target + " = " + bare(*st.other));
      s.push_back("  ENDIF");
    }
  }
  s.push_back("END");
  return s;
}

void Gen::makefuncs() {
  const int n = 1 + pick(4);
  for (int j = 0; j < n; ++j) makefunc(j, false);
  if (chance(40)) makefunc(n, true);
  // A function that cannot be worked out with its samples still stands;
  // the places that call it are checked one by one.
}

// The formals of a routine holding E: the names E uses, declared in the
// routine or not.
std::string Gen::usesof(const Node& n, bool declared, std::vector<std::string>& decl) {
  std::string args;
  for (const char* v : {"A", "B", "C", "K"})
    if (has(n, [&](const Node& k) { return k.k == K::var && k.s == v; }))
      args += std::string(args.empty() ? "" : ", ") + v;
  for (const char* v : {"Y"})
    if (has(n, [&](const Node& k) { return (k.k == K::arr || k.k == K::elem) && k.s == v; })) {
      args += std::string(args.empty() ? "" : ", ") + v;
      if (declared) decl.push_back(std::string("DIMENSION ") + v + "(5)");
    }
  for (const char* v : {"T", "U"})
    if (has(n, [&](const Node& k) { return (k.k == K::text || k.k == K::piece) && k.s == v; })) {
      args += std::string(args.empty() ? "" : ", ") + v;
      if (declared)
        decl.push_back(std::string("CHARACTER ") + v + (std::string(v) == "T" ? "*12" : "*6"));
    }
  return args;
}

void Gen::makeexpr() {
  for (int t = 0; t < 40; ++t) {
    nlength = 0;
    Node n = number(3, top);
    Scope s = top.sc;
    double v = 0;
    try {
      v = eval.number(n, s);
    } catch (const Bad&) {
      continue;
    }
    // (Room left for the uses around it, and for E twice in one statement.)
    const std::string text = bare(n);
    if (std::fabs(v) > 1e5 || text.size() > 110 ||
        !takes("  Z(1 + MOD(INT(ABS(" + text + ")), 5)) = 1") ||
        !takes("X = " + text + " + " + text))
      continue;
    // Something that composes, and a name of the main program (so that
    // the routines holding E take arguments).
    // (Calls count most; text built-ins, lists, pieces, unary minus,
    // computed subscripts and relations too.)
    int score = 0;
    has(n, [&](const Node& k) {
      if (k.k == K::call) score += 2;
      if (k.k == K::fn && k.s != "ABS" && k.s != "INT" && k.s != "SIGN") ++score;
      if (k.k == K::neg || k.k == K::rel || k.k == K::piece) ++score;
      if (k.k == K::elem && k.a[0].k != K::num) ++score;
      return false;
    });
    const bool rich = score >= 3;
    std::vector<std::string> unused;
    const bool names = !usesof(n, false, unused).empty();
    if (!names || (!rich && t < 30)) continue;
    e = n;
    ev = v;
    lengths.clear();
    for (int i = 1; i <= nlength; ++i) {
      const std::string l = "L" + std::to_string(i);
      if (s.num.count(l) != 0 && has(n, [&](const Node& k) { return k.k == K::var && k.s == l; }))
        lengths[l] = s.num[l];
    }
    return;
  }
  e = bin("+", named(K::var, "A"), num(1));
  ev = top.sc.num["A"] + 1;
  lengths.clear();
}

// ---------------------------------------------------------------------------
// Conditions and contexts.

// Something computed from h (E or V) whose value decides a branch.
Node Gen::transform(const Node& h) {
  switch (pick(7)) {
    case 0:
      return fn("ABS", {h});
    case 1:
      return fn("INT", {h});
    case 2:
      return fn("MOD", {fn("INT", {fn("ABS", {h})}), num(3 + pick(5))});
    case 3:
      return bin("+", bin("*", h, num(2)), num(1));
    case 4:
      return neg(h);
    default:
      return h;
  }
}

// A relation over x that holds (or not) by a clear margin.
Node Gen::condition(const Node& x, bool truth) {
  static const std::vector<std::string> rels = {"<", ">", "<=", ">=", "==", "/="};
  for (int t = 0; t < 30; ++t) {
    Node tx = t < 25 ? transform(x) : x;
    const auto tv = value(subst(tx, e), top);
    if (!tv) continue;
    const std::string r = any(rels);
    Node rhs;
    if (chance(20)) {
      // Against the same of V: equal.
      if ((r == "==" || r == "<=" || r == ">=") != truth) continue;
      rhs = subst(tx, named(K::var, "V"));
    } else {
      const double base = std::floor(*tv);
      const double c = base + pick(5) - 2 + (chance(40) ? 0.5 : 0);
      try {
        if (relation(r, *tv, c) != truth) continue;
      } catch (const Bad&) {
        continue;
      }
      rhs = constant(c);
    }
    return op(K::rel, r, {tx, rhs});
  }
  // (E rel E: == holds, /= does not.)
  return op(K::rel, truth ? "==" : "/=", {x, x});
}

// A block IF or ELSEIF line whose condition over E holds (or not).
std::string Gen::decided(const std::string& head, bool truth) {
  for (int t = 0; t < 10; ++t) {
    const std::string l = head + " (" + bare(subst(condition(hole(), truth), e)) + ") THEN";
    if (takes(std::string(static_cast<std::size_t>(indent) * 2 + 4, ' ') + l)) return l;
  }
  return head + " (" + bare(condition(named(K::var, "A"), truth)) + ") THEN";
}

void Gen::context(int i) {
  // Wrappers: loops of 1, 16 and 17 passes, GOTO loops, block IFs; up to
  // two, nested. Each counts the passes that reach the use.
  struct Wrap {
    int kind, passes, labl;
  };
  std::vector<Wrap> wraps;
  std::string where;
  const int nw = pick(10) < 4 ? 0 : pick(10) < 6 ? 1 : 2;
  int total = 1;
  bool outerdo = false;
  for (int k = 0; k < nw; ++k) {
    Wrap wr{pick(5), 1, 0};
    if (wr.kind == 0 || wr.kind == 1) wr.passes = any(std::vector<int>{1, 16, 17});
    if (wr.kind == 1) wr.passes = any(std::vector<int>{2, 3, 17});
    total *= wr.passes;
    wraps.push_back(wr);
  }
  const std::string h = "H" + std::to_string(i);
  if (!wraps.empty()) put(h + " = 0");
  for (Wrap& wr : wraps) {
    switch (wr.kind) {
      case 0: {
        const std::string v = outerdo ? "J" : "I";
        outerdo = true;
        put("DO " + v + " = 1, " + std::to_string(wr.passes));
        where += ", in DO " + v + " = 1, " + std::to_string(wr.passes);
        break;
      }
      case 1: {
        const std::string c = "W" + std::to_string(i) + std::to_string(&wr - wraps.data());
        wr.labl = label++;
        put(c + " = 0");
        put(std::to_string(wr.labl) + " " + c + " = " + c + " + 1");
        where += ", in a GOTO loop of " + std::to_string(wr.passes);
        break;
      }
      case 2:
        put(decided("IF", true));
        where += ", in a block IF decided by E";
        break;
      case 3:
        put(decided("IF", false));
        ++indent;
        put(nb(i) + " = " + nb(i) + " + 1");
        --indent;
        put("ELSE");
        where += ", in the ELSE of a block IF decided by E";
        break;
      default:
        put(decided("IF", false));
        ++indent;
        put(nb(i) + " = " + nb(i) + " + 1");
        --indent;
        put(decided("ELSEIF", true));
        where += ", in an ELSEIF decided by E";
        break;
    }
    ++indent;
  }
  if (!wraps.empty()) put(h + " = " + h + " + 1");
  const std::string what = contextbody(i);
  for (auto it = wraps.rbegin(); it != wraps.rend(); ++it) {
    --indent;
    if (it->kind == 0) put("ENDDO");
    if (it->kind == 1) {
      const std::string c = "W" + std::to_string(i) + std::to_string(&*it - wraps.data());
      put("IF (" + c + " < " + std::to_string(it->passes) + ") GOTO " + std::to_string(it->labl));
    }
    if (it->kind == 4) {
      put("ELSE");
      ++indent;
      put(nb(i) + " = " + nb(i) + " + 1");
      --indent;
    }
    if (it->kind >= 2) put("ENDIF");
  }
  if (!wraps.empty()) count(i, h + " /= " + std::to_string(total));
  Use& u = out.uses.back();
  u.kind = what;
  u.what = what + where;
  if (!wraps.empty()) {
    u.reached = h;
    u.passes = total;
  }
}

// The use itself; returns what it is.
std::string Gen::contextbody(int i) {
  // A use whose lines grow too long for a line of the script is taken
  // back, and another chosen.
  const std::size_t nlines = lines.size(), nroutines = routines.size(), nafter = after.size(),
                    ntexts = texts.size(), nuses = out.uses.size();
  const int label0 = label;
  auto fits = [&] {
    auto ok = [](const std::vector<std::string>& v, std::size_t from) {
      return std::all_of(v.begin() + static_cast<std::ptrdiff_t>(from), v.end(),
                         [](const std::string& l) { return takes(l); });
    };
    if (ok(lines, nlines) && ok(routines, nroutines) && ok(after, nafter)) return true;
    lines.resize(nlines);
    routines.resize(nroutines);
    after.resize(nafter);
    texts.resize(ntexts);
    out.uses.resize(nuses);
    label = label0;
    return false;
  };
  for (int t = 0; t < 30; ++t) {
    const std::string what = usebody(i, t < 29 ? pick(18) : 0);
    if (!what.empty() && fits()) return what;
  }
  // (E itself fits on a line.)
  return usebody(i, 0);
}

// Use number `kind` (empty when it does not suit E).
std::string Gen::usebody(int i, int kind) {
  const Node H = hole();
  const Node V = named(K::var, "V");
  auto use = [&](const std::string& gotname, const std::string& wantname) {
    out.uses.push_back({"", "", gotname, wantname, "", 0, ""});
  };
  auto compare = [&](const std::string& a, const std::string& b) { count(i, a + " /= " + b); };
  const std::string G = g(i), X = x(i);
  // A number from lo to hi made of h: h itself where its value lies
  // there, else brought there by MOD.
  auto within = [&](int lo, int hi, const Node& hh) {
    if (ev == std::floor(ev) && ev >= lo && ev <= hi && chance(70)) return hh;
    Node inner = fn("MOD", {fn("INT", {fn("ABS", {hh})}), num(hi - lo + 1)});
    return chance(50) ? bin("+", num(lo), inner) : bin("+", inner, num(lo));
  };
  const bool intok = value(fn("INT", {fn("ABS", {e})}), top).has_value();
  {
    switch (kind) {
      case 0: {  // a second assignment, and INDEX's lengths after it
        use(G, X);
        for (const auto& [l, n] : lengths) put(l + " = -1");
        put(G + " = " + bare(e));
        for (const auto& [l, n] : lengths) count(i, l + " /= " + numtext(n));
        put(X + " = V");
        compare(G, X);
        return lengths.empty() ? "assignment" : "assignment and INDEX's lengths";
      }
      case 1: {  // logical IF, or a relation's value
        const bool truth = chance(50);
        const Node c = condition(H, truth);
        use(G, X);
        if (chance(70)) {
          put(G + " = 0");
          put("IF (" + bare(subst(c, e)) + ") " + G + " = 1");
        } else {
          put(G + " = " + bare(subst(c, e)));
        }
        put(X + " = " + (truth ? "1" : "0"));
        compare(G, X);
        return "logical IF";
      }
      case 2: {  // IF ... GOTO
        const bool truth = chance(50);
        const Node c = condition(H, truth);
        const int l = label++;
        use(G, X);
        put(G + " = 1");
        put("IF (" + bare(subst(c, e)) + ") GOTO " + std::to_string(l));
        put(G + " = 0");
        put(std::to_string(l) + (chance(50) ? " CONTINUE" : " " + X + " = " + (truth ? "1" : "0")));
        put(X + " = " + (truth ? "1" : "0"));
        compare(G, X);
        return "IF ... GOTO";
      }
      case 3:
      case 4: {  // block IF / ELSEIF chain, E deciding a later branch
        use(G, X);
        // code: what G holds when the chain ends (a nested chain appends
        // its branch as a digit).
        std::function<int(int, int)> chain = [&](int depth, int code) {
          const int nconds = 2 + pick(3);
          const bool hasElse = chance(60);
          const int target = chance(15) ? 0 : 1 + pick(nconds);
          int left = target < nconds || hasElse ? code * (depth == 0 ? 0 : 10) + target + 1 : code;
          for (int b = 0; b <= nconds; ++b) {
            if (b == nconds && !hasElse) break;
            if (b < nconds) {
              const bool truth = b == target || (b > target && chance(50));
              const Node c = b != target && chance(35) ? condition(named(K::var, "A"), truth)
                                                       : condition(H, truth);
              put(std::string(b == 0 ? "IF (" : "ELSEIF (") + bare(subst(c, e)) + ") THEN");
            } else {
              put("ELSE");
            }
            ++indent;
            put(G + " = " + (depth == 0 ? "" : G + " * 10 + ") + std::to_string(b + 1));
            if (b == target && depth == 0 && chance(40)) left = chain(1, left);
            --indent;
          }
          put("ENDIF");
          return left;
        };
        put(G + " = 0");
        const int code = chain(0, 0);
        put(X + " = " + std::to_string(code));
        compare(G, X);
        return "block IF/ELSEIF chain";
      }
      case 5: {  // DO start, limit or step: the passes counted
        if (!intok) return {};
        const int r = pick(4);
        Node start = num(1), limit = num(1), step = num(1);
        if (r == 0) {
          start = chance(50) ? H : transform(H);
          const auto sv = value(subst(start, e), top);
          if (!sv) return {};
          limit = constant(std::floor(*sv) + pick(6) + (chance(50) ? 0.5 : 0));
        } else if (r == 1) {
          limit = std::fabs(ev) <= 20 && chance(60) ? H : within(0, 9, H);
        } else {
          if (ev >= 0.5 && ev <= 12 && chance(60)) {
            step = H;
          } else if (ev <= -0.5 && ev >= -12 && chance(60)) {
            step = H;
            start = num(12);
            limit = num(0);
          } else {
            step = within(1, 4, H);
          }
          if (step.k != K::hole || ev > 0) {
            start = num(0);
            limit = num(12);
          }
          if (r == 3 && step.k != K::hole) start = within(0, 3, H);
        }
        const auto a = value(subst(start, e), top), b = value(subst(limit, e), top),
                   c = value(subst(step, e), top);
        if (!a || !b || !c || *c == 0) return {};
        const double q = (*b - *a) / *c;
        const double rq = std::round(q);
        if (q != rq && std::fabs(q - rq) < 1e-6) return {};
        auto dyadic = [](double v) { return v * 1024 == std::floor(v * 1024); };
        if (q == rq && !(dyadic(*a) && dyadic(*b) && dyadic(*c))) return {};
        const int passes = q < 0 ? 0 : static_cast<int>(std::floor(q)) + 1;
        if (passes > 40) return {};
        const std::string d = "D" + std::to_string(i);
        use(G, X);
        put(G + " = 0");
        std::string head = "DO " + d + " = " + got(start) + ", " + got(limit);
        if (!(step.k == K::num && step.num == 1)) head += ", " + got(step);
        put(head);
        put("  " + G + " = " + G + " + 1");
        put("ENDDO");
        put(X + " = " + std::to_string(passes));
        compare(G, X);
        return r == 0 ? "DO start" : r == 1 ? "DO limit" : r == 2 ? "DO step" : "DO start and step";
      }
      case 6: {  // argument of a built-in
        std::vector<Node> ts = {fn("ABS", {H}),
                                fn("INT", {H}),
                                fn("MOD", {H, constant(any(std::vector<double>{3, 7, -5, 2.5}))}),
                                fn("SIGN", {num(3), H}),
                                fn("SIGN", {H, constant(-2)}),
                                fn("MAX", {H, num(2)}),
                                fn("MIN", {num(-1), H}),
                                fn("ICHAR", {[&] {
                                     Node p = named(K::piece, "T");
                                     p.form = 0;
                                     p.a = {within(1, 7, H), num(12)};
                                     return p;
                                   }()}),
                                fn("LEN", {[&] {
                                     Node p = named(K::piece, "T");
                                     p.form = 0;
                                     p.a = {within(1, 6, H), num(11)};
                                     return p;
                                   }()}),
                                fn("INDEX", {[&] {
                                               Node p = named(K::piece, "T");
                                               p.form = 1;
                                               p.a = {within(1, 4, H)};
                                               return p;
                                             }(),
                                             lit(top.sc.txt["T"].substr(2, 1))})};
        const Node t = any(ts);
        if (!value(subst(t, e), top)) return {};
        use(G, X);
        put(G + " = " + got(t));
        put(X + " = " + want(t));
        compare(G, X);
        return "argument of " + t.s;
      }
      case 7: {  // argument of a user function
        bool done = false;
        for (int tries = 0; tries < 8 && !done; ++tries) {
          const int j = pick(static_cast<int>(funcs.size()));
          const Func& f = funcs[static_cast<std::size_t>(j)];
          Node c = named(K::call, f.name);
          c.f = j;
          std::vector<std::size_t> slots;
          for (const Formal& fo : f.formals) {
            if (fo.kind == 'n') {
              slots.push_back(c.a.size());
              c.a.push_back(leaf(top));
            }
            if (fo.kind == 'a') c.a.push_back(named(K::arr, "Y"));
            if (fo.kind == 't') c.a.push_back(named(K::text, chance(50) ? "T" : "U"));
          }
          if (slots.empty()) continue;
          const std::size_t at =
              slots[static_cast<std::size_t>(pick(static_cast<int>(slots.size())))];
          c.a[at] = chance(25) ? neg(H) : H;
          if (!value(subst(c, e), top)) continue;
          use(G, X);
          put(G + " = " + got(c));
          put(X + " = " + want(c));
          compare(G, X);
          done = true;
        }
        if (done) return "argument of a user FUNCTION";
        return {};
      }
      case 8: {  // subscript on the right
        if (!intok) return {};
        Node t = named(K::elem, "Y");
        t.a = {within(1, 5, H)};
        if (chance(40)) t = bin("+", t, bin("*", named(K::elem, "Y"), num(2)));
        if (t.k == K::bin) t.a[1].a[0].a = {within(1, 5, H)};
        use(G, X);
        put(G + " = " + got(t));
        put(X + " = " + want(t));
        compare(G, X);
        return "subscript on the right";
      }
      case 9: {  // subscripts on the left (and on both sides)
        if (!intok) return {};
        Node sub = within(1, 5, H);
        Node val = num(7);
        if (chance(40)) val = H;
        if (chance(30)) {
          val = named(K::elem, "Y");
          val.a = {within(1, 5, H)};
        }
        const std::string weighted = "Z(1) + Z(2) * 2 + Z(3) * 3 + Z(4) * 4 + Z(5) * 5";
        use(G, X);
        put("Z = 0");
        put("Z(" + got(sub) + ") = " + got(val));
        put(G + " = " + weighted);
        put("Z = 0");
        put("Z(" + want(sub) + ") = " + want(val));
        put(X + " = " + weighted);
        compare(G, X);
        return val.k == K::num ? "subscript on the left" : "subscripts on both sides";
      }
      case 10: {  // WRITE with a format, compared and read back
        const int n = 1 + pick(3);
        const int at = pick(n);
        const bool integral = ev == std::floor(ev) && std::fabs(ev) < 1e6;
        std::string fmt, items, wants, reads, readx;
        const std::string f1 = std::fabs(ev) < 1e5
                                   ? any(std::vector<std::string>{"F14.4", "F12.3", "E16.8"})
                                   : "F20.4";
        for (int k = 0; k < n; ++k) {
          const std::string sep = k == 0 ? "" : ", ";
          if (k == at) {
            const std::string f = integral && chance(40) ? "I9" : f1;
            fmt += (k == 0 ? "" : ",") + f;
            items += sep + bare(e);
            wants += sep + "V";
            reads += sep + G;
            readx += sep + X;
          } else {
            fmt += (k == 0 ? "" : ",") + std::string("F8.2");
            const std::string c = numtext(pick(50) * 0.5);
            items += sep + c;
            wants += sep + c;
            reads += sep + "RD";
            readx += sep + "RD";
          }
        }
        if (chance(30)) fmt = "(" + fmt + ")";
        const std::string s = textpair(i);
        use(G, X);
        put("WRITE(Text=SG" + s + ", Format='" + fmt + "') " + items);
        put("WRITE(Text=SX" + s + ", Format='" + fmt + "') " + wants);
        compare("SG" + s, "SX" + s);
        put("READ(Text=SG" + s + ", Format='" + fmt + "') " + reads);
        put("READ(Text=SX" + s + ", Format='" + fmt + "') " + readx);
        compare(G, X);
        return "WRITE item with Format '" + fmt + "', read back";
      }
      case 11: {  // WRITE without a format, compared and read back
        const bool before = chance(40);
        const std::string s = textpair(i);
        use(G, X);
        put("WRITE(Text=SG" + s + ") " + (before ? "1, " : "") + bare(e));
        put("WRITE(Text=SX" + s + ") " + (before ? "1, " : "") + "V");
        compare("SG" + s, "SX" + s);
        put("READ(Text=SG" + s + ") " + (before ? "RD, " : "") + G);
        put("READ(Text=SX" + s + ") " + (before ? "RD, " : "") + X);
        compare(G, X);
        return "WRITE item without Format, read back";
      }
      case 12: {  // unary minus
        std::vector<Node> ts = {neg(H),
                                neg(H, true),
                                bin("*", num(5), neg(H)),
                                fn("ABS", {neg(H)}),
                                bin("*", num(2), neg(H, true)),
                                bin("-", num(3), neg(H)),
                                fn("MAX", {neg(H), num(0)}),
                                bin("+", neg(H), num(1))};
        const Node t = any(ts);
        use(G, X);
        put(G + " = " + got(t));
        put(X + " = " + want(t));
        compare(G, X);
        return "after a unary minus";
      }
      case 13: {  // MAX/MIN lists
        const int n = 2 + pick(3);
        const int at = pick(n);
        Node t = fn(chance(50) ? "MAX" : "MIN", {});
        for (int k = 0; k < n; ++k) {
          if (k == at) {
            t.a.push_back(H);
            continue;
          }
          switch (pick(6)) {
            case 0:
              t.a.push_back(fn("LEN", {named(K::text, "T")}));
              break;
            case 1:
              t.a.push_back(fn("ICHAR", {[] {
                                 Node p = named(K::piece, "T");
                                 p.form = 0;
                                 p.a = {num(2), num(2)};
                                 return p;
                               }()}));
              break;
            case 2:
              t.a.push_back(fn("LEN_TRIM", {named(K::text, "U")}));
              break;
            case 3:
              t.a.push_back(neg(H));
              break;
            default:
              t.a.push_back(constant(pick(21) - 10));
              break;
          }
        }
        use(G, X);
        put(G + " = " + got(t));
        put(X + " = " + want(t));
        compare(G, X);
        return "in a " + t.s + " list of " + std::to_string(n);
      }
      case 14: {  // pieces of texts with E in their bounds
        if (!intok) return {};
        Node p = named(K::piece, chance(70) ? "T" : "U");
        const int len = p.s == "T" ? 12 : 6;
        p.form = pick(4);
        if (p.form == 0) p.a = {within(1, 3, H), chance(50) ? num(len) : within(4, len, H)};
        if (p.form == 1) p.a = {within(1, len, H)};
        if (p.form == 2) p.a = {within(1, len, H)};
        if (p.form == 3) p.a = {within(1, len, H)};
        Node t = p;
        const int r = pick(3);
        if (r == 0) t = op(K::cat, "", {p, lit("-")});
        if (r == 1) t = op(K::cat, "", {lit("-"), p});
        const std::string s = textpair(i);
        use("SG" + s, "SX" + s);
        put("SG" + s + " = " + got(t));
        put("SX" + s + " = " + want(t));
        compare("SG" + s, "SX" + s);
        return r == 2 ? "bounds of a piece" : "bounds of a piece joined by //";
      }
      case 15: {  // a piece on the left
        if (!intok) return {};
        Node lo = within(1, 12, H);
        Node hi = chance(50) ? lo : bin("+", lo, num(1));
        const std::string s = textpair(i);
        use("SG" + s, "SX" + s);
        put("SG" + s + " = T");
        put("SG" + s + "(" + got(lo) + " : " + got(hi) + ") = '**'");
        put("SX" + s + " = T");
        put("SX" + s + "(" + want(lo) + " : " + want(hi) + ") = '**'");
        compare("SG" + s, "SX" + s);
        return "bounds of a piece on the left";
      }
      case 16: {  // a called SUBROUTINE, with arguments or sharing the main names
        const std::string name = "SE" + std::to_string(i);
        std::vector<std::string> decl, body;
        std::vector<std::string>& to = chance(50) ? after : routines;
        if (chance(30)) {
          // Without arguments: E over the main program's own names (after
          // the main program, which declares them).
          after.push_back("SUBROUTINE " + name);
          after.push_back("  " + G + " = " + bare(e));
          after.push_back("END");
          use(G, X);
          put("CALL " + name);
          put(X + " = V");
          compare(G, X);
          return "in a SUBROUTINE without arguments";
        }
        std::string args = usesof(e, chance(50), decl);
        const bool zput = intok && chance(50);
        const bool yput = intok && !zput && chance(40) && args.find('Y') != std::string::npos;
        std::string formals = args + ", R" + (zput ? ", Z" : "");
        std::string actuals = args + ", " + G + (zput ? ", Z" : "");
        if (zput && chance(50)) decl.push_back("DIMENSION Z(5)");
        to.push_back("SUBROUTINE " + name + "(" + formals + ")");
        for (const std::string& d : decl) to.push_back("  " + d);
        to.push_back("  R = " + bare(e));
        const Node sub = within(1, 5, H);
        if (zput) to.push_back("  Z(" + got(sub) + ") = " + bare(e));
        if (yput) to.push_back("  Y(" + got(sub) + ") = Y(" + got(sub) + ")");
        to.push_back("END");
        use(G, X);
        if (zput) put("Z = 0");
        put("CALL " + name + "(" + actuals + ")");
        put(X + " = V");
        compare(G, X);
        if (zput) {
          // (The element it stored, beside its value.)
          const std::string z = "Q" + std::to_string(i);
          put(z + " = Z(" + want(sub) + ")");
          compare(z, X);
          out.uses.back().also = z;
        }
        return std::string("in a SUBROUTINE with arguments") + (decl.empty() ? "" : " (declared)") +
               (zput ? " and its subscripted store" : "") +
               (yput ? " and a store into its array" : "");
      }
      default: {  // a FUNCTION body
        const std::string name = "FE" + std::to_string(i);
        std::vector<std::string> decl;
        const std::string args = usesof(e, chance(50), decl);
        routines.push_back("FUNCTION " + name + "(" + args + ")");
        for (const std::string& d : decl) routines.push_back("  " + d);
        if (chance(50)) {
          routines.push_back("  " + name + " = " + bare(e));
        } else {
          routines.push_back("  H9 = " + bare(e));
          routines.push_back("  " + name + " = H9");
        }
        routines.push_back("END");
        use(G, X);
        put(G + " = " + name + "(" + args + ")");
        put(X + " = V");
        compare(G, X);
        return std::string("in a FUNCTION body") + (decl.empty() ? "" : " (declared)");
      }
    }
  }
  return {};
}

// A piece whose end lies one past its text on the last pass of a loop.
void Gen::edge() {
  const std::string t = chance(70) ? "T" : "U";
  const int len = t == "T" ? 12 : 6;
  const int passes = any(std::vector<int>{1, 16, 17});
  const std::string last = std::to_string(len) + " + " +
                           any(std::vector<std::string>{"(I == " + std::to_string(passes) + ")",
                                                        "INT(I / " + std::to_string(passes) + ")"});
  const std::string first = std::to_string(1 + pick(3));
  const std::string p = t + "(" + first + " : " + last + ")";
  put("DO I = 1, " + std::to_string(passes));
  ++indent;
  switch (pick(5)) {
    case 0:
      put("QE = LEN(" + p + ")");
      break;
    case 1:
      put("QE = ICHAR(" + p + ")");
      break;
    case 2:
      put("SP = " + p + " // '-'");
      break;
    case 3:
      put("SP = " + p);
      break;
    default:
      put("QE = INDEX(" + p + ", 'q')");
      break;
  }
  --indent;
  put("ENDDO");
  texts.push_back("SP*32");
}

// Functions of the form (x op y) op z over their three formals, FQ of
// the main draw and FR of its own (its operators also /), referenced in a
// loop in statements whose references are all such functions, and beside
// a built-in; each statement is compared with the same written out.
void Gen::threeloop() {
  auto draw = [this](int n) { return static_cast<int>(more() % static_cast<unsigned>(n)); };
  std::vector<std::size_t> three;
  for (std::size_t j = 0; j < funcs.size(); ++j)
    if (funcs[j].name == "FQ" && draw(100) < 75) three.push_back(j);
  if (draw(100) < 50) {
    Func f;
    f.name = "FR";
    f.formals = {{'n', "P"}, {'n', "Q"}, {'n', "R"}};
    std::vector<Node> v = {named(K::var, "P"), named(K::var, "Q"), named(K::var, "R")};
    for (std::size_t i = v.size(); i > 1; --i)
      std::swap(v[i - 1], v[static_cast<std::size_t>(draw(static_cast<int>(i)))]);
    static const char* const ops[] = {"+", "-", "*", "/"};
    Node inner = bin(ops[draw(4)], v[0], v[1]);
    inner.paren = true;
    f.body.push_back({std::nullopt, f.name, bin(ops[draw(4)], inner, v[2]), std::nullopt});
    funcs.push_back(f);
    three.push_back(funcs.size() - 1);
  }
  if (three.empty()) return;
  // Actuals: three different ones of these, one that changes with the
  // pass; a divisor never 0.
  struct Actual {
    std::string text;
    bool nonzero;
  };
  std::vector<Actual> pool = {{"I", true}, {"I + 0.5", true}, {"K", true}, {"Y(K)", false}};
  for (const char* v : {"A", "B", "C"}) pool.push_back({v, std::fabs(top.sc.num[v]) >= 0.5});
  auto call = [&](std::size_t j, std::string& written) {
    const Func& f = funcs[j];
    const Stmt& st = f.body.front();
    std::vector<Actual> a;
    for (;;) {
      a.clear();
      std::vector<std::size_t> at;
      while (a.size() < 3) {
        const auto k = static_cast<std::size_t>(draw(static_cast<int>(pool.size())));
        if (std::find(at.begin(), at.end(), k) != at.end()) continue;
        at.push_back(k);
        a.push_back(pool[k]);
      }
      if (std::find(at.begin(), at.end(), std::size_t{0}) == at.end() &&
          std::find(at.begin(), at.end(), std::size_t{1}) == at.end())
        continue;
      // (The formal after each / gets an actual that is never 0.)
      auto of = [&](const Node& n) { return a[static_cast<std::size_t>(n.s[0] - 'P')]; };
      const Node& in = st.value.a[0];
      if ((in.s == "/" && !of(in.a[1]).nonzero) || (st.value.s == "/" && !of(st.value.a[1]).nonzero))
        continue;
      break;
    }
    auto arg = [&](const Node& n) {
      const std::string& t = a[static_cast<std::size_t>(n.s[0] - 'P')].text;
      return t.find(' ') == std::string::npos ? t : "(" + t + ")";
    };
    const Node& in = st.value.a[0];
    written = "((" + arg(in.a[0]) + " " + in.s + " " + arg(in.a[1]) + ") " + st.value.s + " " +
              arg(st.value.a[1]) + ")";
    return f.name + "(" + a[0].text + ", " + a[1].text + ", " + a[2].text + ")";
  };
  auto any3 = [&] { return three[static_cast<std::size_t>(draw(static_cast<int>(three.size())))]; };
  std::string w1, w2, w3;
  const std::string c1 = call(any3(), w1), c2 = call(any3(), w2), c3 = call(any3(), w3);
  const std::string joint = draw(2) == 0 ? " + " : " - ";
  put("QF = 0");
  put("QX = 0");
  put("QG = 0");
  put("QY = 0");
  put("DO I = 1, " + std::to_string(draw(2) == 0 ? 16 : 17));
  ++indent;
  put("QF = QF + " + c1 + joint + c2);
  put("QX = QX + " + w1 + joint + w2);
  put("QG = ABS(" + c3 + ") + QG");
  put("QY = ABS(" + w3 + ") + QY");
  --indent;
  put("ENDDO");
  out.finals.push_back({"functions (x op y) op z in a loop", "QF", "QX", 0});
  out.finals.push_back({"a function (x op y) op z beside a built-in in a loop", "QG", "QY", 0});
}

Script Gen::make() {
  // The main program's values.
  top.main = true;
  top.nums = {"A", "B", "C", "K"};
  top.arrs = {"Y"};
  top.txts = {"T", "U"};
  for (const char* v : {"A", "B", "C"}) top.sc.num[v] = small();
  top.sc.num["K"] = 1 + pick(arraysize);
  std::vector<double> y;
  for (int i = 0; i < arraysize; ++i) y.push_back(chance(20) ? small() : pick(19) - 9);
  top.sc.arr["Y"] = y;
  std::string t = letters(5 + pick(6)), u = letters(3 + pick(4));
  top.sc.txt["T"] = t + std::string(12 - t.size(), ' ');
  top.sc.txt["U"] = u + std::string(6 - u.size(), ' ');
  makefuncs();
  top.callable = static_cast<int>(funcs.size());
  makeexpr();
  out.expr = bare(e);
  out.value = ev;

  // V = E, and INDEX's lengths after it.
  const int nuses = 12 + pick(13);
  out.uses.push_back({"V = E", "V = E", "V", "", "", 0, ""});
  put("V = " + bare(e));
  for (const auto& [l, n] : lengths) count(1, l + " /= " + numtext(n));
  for (int i = 2; i <= nuses; ++i) context(i);
  put("NBAD = SUM(NB)");
  // Now and then E once more as the statement before the end, with
  // INDEX's lengths into variables of its own (M1 for L1), the run checked
  // from what it leaves.
  for (const auto& [l, n] : lengths) out.finals.push_back({"INDEX's length at the end", l, "", n});
  if (chance(50)) {
    std::function<void(Node&)> rename = [&](Node& n) {
      if (n.k == K::var && lengths.count(n.s) != 0) n.s[0] = 'M';
      for (Node& k : n.a) rename(k);
    };
    Node last = e;
    rename(last);
    put("VL = " + bare(last));
    out.finals.push_back({"E as the last statement", "VL", "V", 0});
    for (const auto& [l, n] : lengths)
      out.finals.push_back({"INDEX's length of the last statement", "M" + l.substr(1), "", n});
  }
  const bool stops = chance(12);
  threeloop();
  if (stops) edge();

  // The script: routines jumped over at the top, subroutines also after
  // the main program's END.
  std::vector<std::string> s;
  s.push_back("GOTO 100");
  for (const Func& f : funcs)
    for (const std::string& l : funclines(f)) s.push_back(l);
  for (const std::string& r : routines) s.push_back(r);
  s.push_back(chance(50) ? "100 CONTINUE" : "100 NBAD = 0");
  std::string decl = "CHARACTER T*12, U*6";
  for (const std::string& x : texts) decl += ", " + x;
  s.push_back(decl);
  s.push_back("DIMENSION Y(5), Z(5), NB(" + std::to_string(nuses) + ")");
  s.push_back("T = '" + t + "'");
  s.push_back("U = '" + u + "'");
  std::string ys = "Y = ";
  for (int i = 0; i < arraysize; ++i)
    ys += (i ? ", " : "") + numtext(y[static_cast<std::size_t>(i)]);
  s.push_back(ys);
  for (const char* v : {"A", "B", "C", "K"})
    s.push_back(std::string(v) + " = " + show(constant(top.sc.num[v])));
  for (const std::string& l : lines) s.push_back(l);
  if (stops) out.stopline = static_cast<int>(s.size()) - 1;
  s.push_back("END");
  for (const std::string& r : after) s.push_back(r);
  for (const std::string& l : s) out.text += l + "\n";
  return out;
}

}  // namespace

Script generate(std::uint32_t seed) { return Gen(seed).make(); }

bool linefits(const std::string& line) { return takes(line); }

}  // namespace compose
