// The language's two paths side by side: every expression is evaluated
// alone (the expression path) and with a word-path built-in beside it
// (+ 0 * ALARM(-2), which sends the statement word by word), on the general
// engine and on the fast road. The values must agree except where the
// language documents a difference.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "exec/fastpath.h"
#include "exec/script_runner.h"

namespace {

struct Case {
  const char* expr;
  // The paths may differ here: a comparison within the tolerance of a
  // zero, INDEX of a number, // of a number, and the trailing blanks of the
  // right text of a // (the word path drops them, the expression path keeps
  // them where it joins in place).
  bool documented = false;
};

const Case cases[] = {{"H + G"},
                      {"H - O"},
                      {"H * G"},
                      {"H / G"},
                      {"H / 3 * 3"},
                      {"H + G * O - H / 4"},
                      {"(H + G) * (O - H)"},
                      {"H ** 2"},
                      {"G ** 2"},
                      {"2 ** H"},
                      {"G ** 0.5"},
                      {"Z ** Z"},
                      {"M ** 3"},
                      {"2 ** 0.5 ** 2"},
                      {"-H"},
                      {"-2 ** 2"},
                      {"2 * -3"},
                      {"H - -G"},
                      {"2 ** -1"},
                      {"H < G"},
                      {"H > G"},
                      {"H <= H"},
                      {"H >= G"},
                      {"H == H"},
                      {"H /= H"},
                      {"G < H"},
                      {"O == O + T"},
                      {"(O + T) == O"},
                      {"O + T - O"},
                      {"Z == T", true},
                      {"Z /= T", true},
                      {"ABS(G)"},
                      {"EXP(O)"},
                      {"EXP(-H)"},
                      {"CEILING(G)"},
                      {"CEILING(-0.5)"},
                      {"FLOOR(G)"},
                      {"FLOOR(0.5)"},
                      {"INT(G)"},
                      {"INT(1E15 + 0.5)"},
                      {"NINT(G)"},
                      {"NINT(H)"},
                      {"NINT(-0.5)"},
                      {"NINT(2.5)"},
                      {"SIN(H)"},
                      {"COS(H)"},
                      {"TAN(H)"},
                      {"ASIN(0.5)"},
                      {"ASIN(1)"},
                      {"ACOS(0.5)"},
                      {"ATAN(H)"},
                      {"ATAN(-1E30)"},
                      {"SINH(O)"},
                      {"COSH(O)"},
                      {"TANH(O)"},
                      {"LOG(H)"},
                      {"LOG(8, 2)"},
                      {"NOT(5)"},
                      {"NOT(-1)"},
                      {"NOT(H)"},
                      {"MOD(7, 3)"},
                      {"MOD(G, 2)"},
                      {"MOD(-7, 3)"},
                      {"MOD(7, -3)"},
                      {"MOD(7.5, 2)"},
                      {"MOD(-7.5, 2)"},
                      {"IAND(12, 10)"},
                      {"IEOR(12, 10)"},
                      {"IOR(12, 10)"},
                      {"IAND(-6, 13)"},
                      {"IOR(-6, 13)"},
                      {"IEOR(-1, 5)"},
                      {"SIGN(H, G)"},
                      {"SIGN(G, Z)"},
                      {"SIGN(Z, M)"},
                      {"SIGN(H, Z)"},
                      {"MAX(H, G, O)"},
                      {"MIN(H, G, O)"},
                      {"MAX(H, G)"},
                      {"MAX(O, H, G, 7)"},
                      {"MIN(O, H, G, -7)"},
                      {"SUM(V)"},
                      {"SUM(V) / 5"},
                      {"MAX(V)"},
                      {"MIN(V)"},
                      {"MAXLOC(V)"},
                      {"MINLOC(V)"},
                      {"MAXLOC(V) + MINLOC(V) * 10"},
                      {"LEN(S)"},
                      {"LEN_TRIM(S)"},
                      {"LEN_TRIM('   ')"},
                      {"LEN(TRIM(S))"},
                      {"ICHAR(S)"},
                      {"ICHAR(U)"},
                      {"ICHAR('\xE9')"},
                      {"ICHAR(CHAR(66))"},
                      {"S < U"},
                      {"S > U"},
                      {"S == 'ab c'"},
                      {"S /= 'ab c'"},
                      {"'ab' < 'ab '"},
                      {"U == '12 '"},
                      {"INDEX(S, 'c')"},
                      {"INDEX(S, 'z')"},
                      {"INDEX('abcabc', 'bc')"},
                      {"INDEX(S, 99)", true},
                      {"LEN(S // U)"},
                      {"ICHAR(S // U)"},
                      {"LEN(U // S // U)", true},
                      {"LEN(S // H)", true}};

std::string script() {
  std::string s =
      "Z = 0\r\nO = 1\r\nM = -1\r\nH = 2.5\r\nG = -2.5\r\nT = 1E-14\r\n"
      "CHARACTER S*5, U*3\r\nS = 'ab c '\r\nU = '12'\r\nDIMENSION V(5)\r\nV = 3, 7, 7, 1, 1\r\n";
  int k = 0;
  for (const Case& c : cases) {
    const std::string n = std::to_string(k++);
    s += "E" + n + " = " + c.expr + "\r\n";
    s += "W" + n + " = (" + c.expr + ") + 0 * ALARM(-2)\r\n";
  }
  return s;
}

std::map<std::string, std::string> values(const std::string& outcome) {
  std::map<std::string, std::string> v;
  for (std::size_t at = 0; at < outcome.size();) {
    const std::size_t end = outcome.find('\n', at);
    const std::string line = outcome.substr(at, end - at);
    if (const std::size_t eq = line.find('='); eq != std::string::npos)
      v[line.substr(0, eq)] = line.substr(eq + 1);
    at = end == std::string::npos ? outcome.size() : end + 1;
  }
  return v;
}

TEST(PathCrossCheck, ExpressionAndWordPathAgree) {
  for (const bool fast : {false, true}) {
    SCOPED_TRACE(fast ? "fast road" : "general engine");
    scriptrun::start();
    exec::fast::enabled = fast;
    const std::string out = scriptrun::run(script());
    exec::fast::enabled = true;
    scriptrun::finish();
    ASSERT_NE(out.find("stop=-1"), std::string::npos) << out.substr(out.size() - 200);
    const auto v = values(out);
    int k = 0;
    for (const Case& c : cases) {
      const std::string n = std::to_string(k++);
      const auto e = v.find("E" + n), w = v.find("W" + n);
      ASSERT_TRUE(e != v.end() && w != v.end()) << c.expr;
      if (!c.documented) {
        EXPECT_EQ(e->second, w->second) << c.expr;
      }
    }
  }
}

}  // namespace
