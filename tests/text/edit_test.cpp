// The EDIT statement called directly over hand-made stores (the break key,
// the run timer, values a script cannot write, random option lists), and
// its failures through whole scripts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "exec/optdispatch.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "platform/win_message.h"
#include "plot/upcalls.h"
#include "support/stores_fixture.h"
#include "support/test_support.h"
#include "text/builtins_install.h"
#include "text/edit.h"
#include "text/edit_call.h"
#include "text/edit_state.h"

namespace {

using storetest::addarray;
using storetest::addcharvar;
using storetest::addsym;
using storetest::textof;

// Stores with the predefined names, a result cell and the option list of
// one EDIT call, written in order.
class Edit : public ::testing::Test {
 protected:
  void SetUp() override {
    kept = exec::PANLIOSTEP;
    exec::PANLIOSTEP = [] {
      if (++steps == breakat) core::keystate[1] = 1;
    };
    fresh();
  }
  void fresh() {
    storetest::setup();
    storetest::addspecials();
    result = addsym("R#", 0x88);
    steps = 0;
    breakat = 0;
  }
  void TearDown() override {
    exec::PANLIOSTEP = kept;
    exec::realtimeflags = 0;
    exec::realtimehook = nullptr;
    core::reset_runwords();
  }

  std::int32_t num(double v) {
    const std::int32_t k = addsym(std::to_string(v), 0x81);
    core::z(k) = v;
    return k;
  }
  std::int32_t lit(std::string_view s) {
    const std::int32_t k = addcharvar("'", s);
    core::name(k).type = 0x41;
    return k;
  }
  void opt(int kw, std::int32_t v = 0) { opts.push_back({kw, v > 0 ? v : -kw}); }
  void run(std::int16_t assignkind = 0) {
    core::c1tmptop = core::c1top;
    exec::xeqexpr.ndescr = 0;
    edittest::callEDIT(opts, result, assignkind);
    opts.clear();
  }
  double value(std::int32_t k) { return core::z(k); }

  std::int32_t result = 0;
  std::vector<std::pair<int, std::int32_t>> opts;
  void (*kept)() = nullptr;
  static inline int steps = 0, breakat = 0;
};

namespace kw = text::ekw;

TEST_F(Edit, EscapeEndsLoopsAndRangesAndTheProgressIsShown) {
  const std::int32_t s = addcharvar("S", "aaaaaaaaaaa");
  const std::int32_t a = addarray("A", 5, 1);
  // An endless loop ends at the break key with the stop word -4.
  breakat = 3;
  opt(kw::Text, s);
  opt(kw::DO);
  opt(kw::Right, num(0));
  opt(kw::ENDDO);
  opt(kw::Count);
  run();
  EXPECT_EQ(core::xeqstop, -4);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(core::name(result).type, 0x48);  // the run's end still gives the result
  // Ranges: the step between two ranges shows the progress and breaks.
  static std::vector<std::string> shown;
  exec::realtimeflags = 1;
  exec::realtimehook = [](std::int32_t mode, std::int32_t) {
    if (mode == -1) shown.push_back(text::editprogress.str());
  };
  steps = 0;
  core::keystate[1] = 0;
  breakat = 2;
  opt(kw::Text, s);
  opt(kw::RaNge, num(1));
  opt(kw::GetPosition, a);
  run();
  EXPECT_EQ(core::xeqstop, -4);
  EXPECT_EQ(shown, (std::vector<std::string>{"10%", "20%"}));
  const std::int32_t e = core::name(a).adr;
  EXPECT_EQ(value(e), 1.0);
  EXPECT_EQ(value(e + 1), 2.0);
  EXPECT_EQ(value(e + 2), 0.0);
}

TEST_F(Edit, ValuesAScriptCannotWrite) {
  const std::int32_t s = addcharvar("S", "abcdef");
  const std::int32_t t = addcharvar("T", "xyz");
  const std::int32_t g = addsym("G", 0x80);
  // A text value makes SetPosition tolerant of values below 1.
  opt(kw::Text, s);
  opt(kw::Right, num(2));
  opt(kw::SetPosition, lit("x"));
  opt(kw::SetPosition, num(0));
  opt(kw::GetPosition, g);
  opt(kw::Count);
  run(0x8400);
  EXPECT_EQ(value(g), 3.0);
  // The receiving variable starts with the character of code 1, unless it
  // is the edited text itself.
  core::xeqtarget = t;
  opt(kw::Text, s);
  run(0x8400);
  EXPECT_EQ(textof(t), "\x01yz");
  EXPECT_EQ(std::string(core::c1namen.ptr(core::I4EQUZ(1, result)), 6), "abcdef");
  EXPECT_EQ(core::name(result).type, 0x48);
  core::xeqtarget = s;
  opt(kw::Text, s);
  run(0x8400);
  EXPECT_EQ(textof(s), "abcdef");
  // Text with a number stores 0 and runs nothing.
  core::z(result) = 5;
  opt(kw::Text, num(3));
  opt(kw::Insert, lit("q"));
  run();
  EXPECT_EQ(value(result), 0.0);
  EXPECT_EQ(core::name(result).type, 0x88);
  EXPECT_EQ(textof(s), "abcdef");
}

// Random option lists over random strings: nothing outside the string
// changes but what the options name, and every run ends.
TEST_F(Edit, RandomOptionListsStayInsideTheirStrings) {
  std::mt19937 rng(41);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string alphabet = "ab ,;()=x1A.*[]\x01";
  auto randtext = [&](int maxlen) {
    std::string s(static_cast<std::size_t>(1 + pick(maxlen)), ' ');
    for (char& c : s) c = alphabet[static_cast<std::size_t>(pick(int(alphabet.size())))];
    return s;
  };
  const std::vector<int> kws = {
      kw::Right,       kw::Left,        kw::Delete,        kw::Insert,        kw::DO,
      kw::RaNge,       kw::Count,       kw::UpperCase,     kw::LowerCase,     kw::Option,
      kw::GetPosition, kw::SetPosition, kw::ScanFor,       kw::ScaNnot,       kw::SePaRators,
      kw::ContInueiF,  kw::ScanForLeft, kw::ScaNnotLeft,   kw::RePLaceby,     kw::IF,
      kw::ELSE,        kw::RangeBegin,  kw::RangEend,      kw::EXit,          kw::ITeM,
      kw::Mark1,       kw::Mark2,       kw::CoPyto,        kw::ENDIF,         kw::Parse,
      kw::Marks,       kw::End,         kw::Begin,         kw::Word,          kw::WordEnd,
      kw::APpendTo,    kw::ENDDO,       kw::SorTtoIndex,   kw::SorTedtext,    kw::SortDelDbls,
      kw::LeXicon,     kw::SorTColumn1, kw::InvertedIndex, kw::IDentification};
  for (int round = 0; round < 4000; ++round) {
    SCOPED_TRACE(round);
    fresh();
    const std::int32_t after = addcharvar("GA", "#after#");
    const std::string start = round % 7 == 0 ? std::string(5, ' ') : randtext(24);
    const std::int32_t s = addcharvar("S", start);
    const std::int32_t before = addcharvar("GB", "#before#");
    const std::int32_t c = addcharvar("C", "      ");
    const std::int32_t list = addcharvar("PL", round % 2 ? ";         " : "          ");
    const std::int32_t a = addarray("A", 3, 1);
    const std::int32_t n = addsym("N", 0x80);
    const std::int32_t p = addsym("P", 0x80);
    if (round % 11 == 0) core::name(s).type = 0x41;
    core::z(core::name(a).adr + 2) = 2;
    breakat = 40;
    opt(kw::Text, s);
    for (int i = pick(12); i >= 0; --i) {
      const int k = kws[static_cast<std::size_t>(pick(int(kws.size())))];
      std::int32_t v = 0;
      switch (pick(6)) {
        case 0:
          break;
        case 1:
          v = num(pick(15) - 4);
          break;
        case 2:
          v = k == kw::Option ? num(pick(0x400)) : num(pick(40));
          break;
        case 3:
          v = lit(randtext(3));
          break;
        case 4:
          v = k == kw::Parse ? p : k == kw::CoPyto || k == kw::APpendTo ? c : list;
          break;
        default:
          v = k == kw::GetPosition || k == kw::SetPosition || k == kw::Count ? a : n;
      }
      opt(k, v);
    }
    const std::int32_t cells = core::nztop;
    run();
    ASSERT_TRUE(core::xeqstop == 0 || core::xeqstop == -4 || core::xeqstop == 0x7FFF);
    EXPECT_EQ(textof(before), "#before#");
    EXPECT_EQ(textof(after), "#after#");
    EXPECT_EQ(textof(s).size(), start.size());
    EXPECT_EQ(textof(c).size(), 6u);
    EXPECT_EQ(textof(list).size(), 10u);
    EXPECT_EQ(core::nztop, cells);
    if (core::name(s).type == 0x41) {
      EXPECT_EQ(textof(s), start);
    }
    std::int32_t f = 0, l = 0;
    core::TRANSFERR8TO2I4(core::z(s), f, l);
    if (core::name(p).type & 0x800) {
      std::int32_t pf = 0, pl = 0;
      core::TRANSFERR8TO2I4(core::z(p), pf, pl);
      EXPECT_GE(pf, f);
      EXPECT_LE(pl, l);
      EXPECT_GE(pl, pf - 1);
    }
    if (core::name(result).type == 0x48) {
      std::int32_t rf = 0, rl = 0;
      core::TRANSFERR8TO2I4(core::z(result), rf, rl);
      EXPECT_GT(rf, core::c1top);
      EXPECT_LT(rl, core::c1limit);
      EXPECT_LE(rf, rl);
    }
  }
}

// Option lists that write only into their string, with patterns and new
// texts outside it, run by the fixed roads and by the general road alike:
// the same text, result, pass number, stop word and message. From seed
// 3001 the loop is one search to the right and a replacement, mostly of the
// pattern's length, over a longer text of few letters (many hits a pass).
// From seed 4501 that loop stands alone over a text of up to three hundred
// and runs with the input step idle (no break key), as a script does when
// nothing waits; from seed 5501 its pattern is up to ten long and hits often;
// from seed 6501 the text ends with the pattern (a hit at the scan's very
// end) and the loop runs until its search fails.
TEST_F(Edit, FixedRoadsRunAsTheGeneralRoad) {
  const std::vector<int> kws = {kw::Right,  kw::Left,   kw::RePLaceby, kw::DO,     kw::ENDDO,
                                kw::Delete, kw::Insert, kw::IF,        kw::ELSE,   kw::ENDIF,
                                kw::Mark1,  kw::Mark2,  kw::RaNge,     kw::Option, kw::Word,
                                kw::End,    kw::EXit,   kw::UpperCase};
  const std::string alphabet = "aab b,;Ax";
  auto once = [&](unsigned seed, bool fixed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const bool pairs = seed > 3000, idle = seed > 4500, longer = seed > 5500, atend = seed > 6500;
    const std::string letters = pairs ? "ab A" : alphabet;
    auto randtext = [&](int maxlen) {
      std::string t(static_cast<std::size_t>(1 + pick(maxlen)), ' ');
      for (char& c : t) c = letters[static_cast<std::size_t>(pick(int(letters.size())))];
      return t;
    };
    fresh();
    // (A longer pattern's text is made of it and a few other letters.)
    const std::string pattern = longer ? randtext(10) : "";
    std::string text = randtext(idle ? 300 : pairs ? 80 : 30);
    if (longer) {
      text.clear();
      while (text.size() < 300) text += pattern + randtext(3).substr(0, 1 + pick(3));
      if (atend) text += pattern;
    }
    const std::int32_t s = addcharvar("S", text + "  ");
    opt(kw::Text, s);
    auto some = [&](int most) {
      for (int i = pick(most); i > 0; --i) {
        const int k = kws[static_cast<std::size_t>(pick(int(kws.size())))];
        const int how = pick(4);
        const std::int32_t v = k == kw::Option ? num(pick(2) ? 1 : 0x10)
                               : how == 0      ? 0
                               : how == 1      ? num(pick(6))
                               : pick(3) == 0  ? addcharvar("V", randtext(3))
                                               : lit(randtext(3));
        opt(k, v);
      }
    };
    if (!idle) some(pairs ? 2 : 5);
    if (pairs) {
      opt(kw::DO, pick(2) && !atend ? num(1 + pick(40)) : 0);
      const std::string p = longer ? pattern : randtext(3);
      const std::string r = pick(4) ? std::string(p.size(), "xY"[pick(2)]) : randtext(3);
      opt(kw::Right, pick(2) ? lit(p) : addcharvar("V", p));
      opt(kw::RePLaceby, pick(2) ? lit(r) : addcharvar("V", r));
      opt(kw::ENDDO);
    } else if (pick(2) == 0) {
      // A loop of searches and replacements.
      opt(kw::DO, pick(2) ? num(pick(8)) : 0);
      for (int i = pick(3); i >= 0; --i) {
        const int k = i % 2 ? kw::RePLaceby : pick(3) ? kw::Right : kw::Left;
        opt(k, pick(4) ? lit(randtext(3)) : addcharvar("V", randtext(3)));
      }
      opt(kw::ENDDO);
    }
    if (!idle) some(4);
    text::fixedroads = fixed;
    breakat = 200;
    const auto step = exec::PANLIOSTEP, idlestep = exec::idlestep;
    if (idle) {
      exec::PANLIOSTEP = exec::idlestep = [] {
        win::MSG m;
        win::PeekMessageA(&m, nullptr, 0, 0, win::PM_REMOVE);
      };
      exec::idlestep();  // (the queue looked at, as a run has done by then)
    }
    run();
    exec::PANLIOSTEP = step;
    exec::idlestep = idlestep;
    text::fixedroads = true;
    std::string out = textof(s) + "|" + std::to_string(value(result)) + "|" +
                      std::to_string(core::name(result).type) + "|" + std::to_string(value(1)) +
                      "|" + std::to_string(core::xeqstop) + "|" + core::msgkey.str();
    if (core::name(result).type == 0x48) {
      std::int32_t f = 0, l = 0;
      core::TRANSFERR8TO2I4(core::z(result), f, l);
      out += "|" + std::string(core::c1namen.ptr(f), static_cast<std::size_t>(l - f + 1));
    }
    return out;
  };
  for (unsigned seed = 1; seed <= 7000; ++seed) {
    SCOPED_TRACE(seed);
    ASSERT_EQ(once(seed, true), once(seed, false));
  }
}

// The failures, each through a script: the message key it ends with.
TEST(EditScripts, FailuresEndTheRunWithTheirKeys) {
  text::install_builtins();
  // Without the script windows the table form is not there (another test of
  // this program may have installed them).
  const auto tables = text::editmx;
  text::editmx = nullptr;
  const std::string help = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  const std::string head =
      "CHARACTER S*6, C*6, L*3\r\nDIMENSION A1(2), A2(2), A3(2), A4(2), A5(2)\r\nS = 'ab,cd'\r\n";
  const struct {
    std::string line, key;
  } cases[] = {
      {"N = EDIT(Right=1, Text=S)", "editText1"},
      {"N = EDIT(Text=S, Count, Text=S)", "editText2"},
      {"N = EDIT(Text='abc', Insert='x')", "editConstant"},
      {"N = EDIT(Text='abc', Delete=1)", "editConstant"},
      {"N = EDIT(Text='abc', CoPyto=C)", "editConstant"},
      {"N = EDIT(Text=S, SePaRators=0)", "editSep<=0"},
      {"N = EDIT(Text=S, Parse=C)", "illegalVar"},
      {"N = EDIT(Text=S, GetPosition=A1, GetPosition=A2, GetPosition=A3, GetPosition=A4, "
       "GetPosition=A5)",
       "editPos"},
      {"L = 'x'\r\nN = EDIT(Text=S, GetPosition=L)", "stringtooshort"},
      {"N = EDIT(MatriX='m', Text=S)", "notYetBuilt"},
      {"N = EDIT(Text=S, InvertedIndex=C)", "editInv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    exec::reset_all();
    ASSERT_TRUE(exec::prepare_run(help));
    const std::string out = exec::run_script(head + c.line + "\r\nEND\r\n");
    EXPECT_NE(out.find("key=" + c.key), std::string::npos) << out;
    EXPECT_NE(out.find("S='ab,cd '"), std::string::npos) << out;
  }
  // TabiFyfont without the editor's measuring installed stops where it
  // stands, after the options before it ran.
  const auto measuring = plot::upcalls.GETTABBEDTEXTWIDTH;
  plot::upcalls.GETTABBEDTEXTWIDTH = nullptr;
  for (const char* o : {"TabiFyfont=1"}) {
    SCOPED_TRACE(o);
    exec::reset_all();
    ASSERT_TRUE(exec::prepare_run(help));
    const std::string out =
        exec::run_script(head + "N = EDIT(Text=S, UpperCase=2, " + o + ")\r\nEND\r\n");
    EXPECT_NE(out.find("key=notYetBuilt"), std::string::npos) << out;
    EXPECT_NE(out.find("S='AB,cd '"), std::string::npos) << out;
  }
  plot::upcalls.GETTABBEDTEXTWIDTH = measuring;
  text::editmx = tables;
  exec::reset_all();
}

}  // namespace
