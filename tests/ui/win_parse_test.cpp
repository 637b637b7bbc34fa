// The item grammar of dialog texts: labels and their ids, keywords with a
// number, a text or no value, references to a program's values and the
// values put into texts; and, over mutated texts, that the reader always
// ends within its line and never loops.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <future>
#include <random>
#include <string>

#include "core/helpdata.h"
#include "core/shoplists.h"
#include "exec/settingrefs.h"
#include "support/test_support.h"
#include "ui/bindings.h"
#include "ui/dialogwords.h"
#include "ui/winparse.h"

namespace {

using ui::winparse::Context;
using ui::winparse::Item;

// A program's values: 32-bit words 3, 7, 11; reals 2.5 and 1e300; a text.
struct Values {
  std::array<std::int32_t, 3> words{3, 7, 11};
  std::array<double, 2> reals{2.5, 1e300};
  std::array<char, 8> text{'*', '1', ' ', ' ', ' ', ' ', ' ', ' '};
  Values() {
    exec::parameters = {};
    exec::parameters[2] = std::as_writable_bytes(std::span(words));
    exec::parameters[4] = std::as_writable_bytes(std::span(reals));
    exec::parameters[5] = std::as_writable_bytes(std::span(text));
  }
  ~Values() { exec::parameters = {}; }
};

Context program() {
  Context cx;
  cx.nargs = ui::programcaller;
  return cx;
}

std::vector<Item> items(std::string_view line, Context cx) {
  std::vector<Item> out;
  std::size_t at = 0;
  Item it;
  bool failed = false;
  while (ui::winparse::nextitem(line, at, cx, it, failed)) {
    EXPECT_FALSE(failed) << line;
    out.push_back(it);
  }
  return out;
}

TEST(WinGrammar, LabelsGiveIdsNumbersAndLinks) {
  Values v;
  const auto got = items(
      "0:Button=No;3:Button=Three;-1:Button=Back;STEP:Button=S;RUN:Button=R;"
      "topic:Button=More;http:Button",
      program());
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[0].id, ui::idcancel);
  EXPECT_EQ(got[1].id, 10003);
  EXPECT_EQ(got[1].number, 3);
  EXPECT_EQ(got[2].id, ui::idprefix);
  EXPECT_EQ(got[3].id, ui::idstep);
  EXPECT_EQ(got[4].id, ui::idrun);
  EXPECT_EQ(got[5].id, 0);
  EXPECT_EQ(got[5].link, "topic");
  EXPECT_EQ(got[5].kw, ui::dk("Button"));
  EXPECT_EQ(got[5].text, "More");
  // A web link is the whole item, for the shell.
  EXPECT_TRUE(got[6].scheme);
  EXPECT_EQ(got[6].link, "http:Button");
}

TEST(WinGrammar, KeywordsTakeANumberATextOrNoValue) {
  Values v;
  const auto got = items("Width=6;Text=1234;DEFault;Button=&OK;Just a text;Width 5 cm", program());
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0].kw, ui::dk("Width"));
  EXPECT_EQ(got[0].kind, ui::winparse::kindconstant);
  EXPECT_EQ(got[0].value, 6.0);
  // The same digits after Text= stay a text.
  EXPECT_EQ(got[1].kw, ui::dk("Text"));
  EXPECT_EQ(got[1].kind, ui::winparse::kindtext);
  EXPECT_EQ(got[1].text, "1234");
  // A keyword without a value is told apart from one given "=0".
  EXPECT_EQ(got[2].kw, ui::dk("DEFault"));
  EXPECT_EQ(got[2].kind, ui::winparse::kindconstant);
  EXPECT_EQ(got[2].value, 2.2250738585072014E-308);
  EXPECT_EQ(got[3].text, "&OK");
  // Words that are no keyword, or a keyword followed by something else:
  // texts.
  EXPECT_EQ(got[4].kw, -1);
  EXPECT_EQ(got[4].text, "Just a text");
  EXPECT_TRUE(got[4].lower);
  EXPECT_EQ(got[5].kw, -1);
  EXPECT_EQ(got[5].text, "Width 5 cm");
}

TEST(WinGrammar, ReferencesBindTheProgramsValues) {
  Values v;
  const auto got =
      items("UpDown*3.2;CHeckbox*3.3 Third;Edit*6;*5.1;Value *5.1 and *5.2", program());
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].kind, ui::ck::rawi4);
  EXPECT_EQ(got[0].value, 7.0);
  EXPECT_EQ(got[0].where.offset, 4);  // the second 32-bit word
  EXPECT_EQ(got[1].value, 11.0);
  EXPECT_EQ(got[1].text, "Third");
  EXPECT_EQ(got[2].kind, ui::ck::rawtext);
  EXPECT_EQ(got[2].text, "*1");
  // A number alone is shown bound; in a text it is written in place.
  EXPECT_EQ(got[3].kind, ui::winparse::kindnumbertext);
  EXPECT_EQ(got[3].text, "2.5");
  EXPECT_EQ(got[4].text.substr(0, 15), "Value 2.5 and 1");
}

TEST(WinGrammar, AReferenceAProgramDoesNotPassFails) {
  Values v;
  Context cx = program();
  std::size_t at = 0;
  Item it;
  bool failed = false;
  ASSERT_TRUE(ui::winparse::nextitem("Edit*9;", at, cx, it, failed));
  EXPECT_TRUE(failed);
  EXPECT_EQ(ui::valuetext.trimmed(),
            "HELP file|Type Declaration MUST be in *n.index with 1 <= n <= 6");
  // Inside a text it stays as written.
  cx = program();
  EXPECT_EQ(ui::winparse::substitute("see *9 here", cx), "see *9 here");
}

TEST(WinGrammar, ReplacedTextsAreNotScannedAgain) {
  Values v;
  Context cx = program();
  // Parameter 6 holds "*1": put in, it must not be taken for a reference.
  auto done = std::async(std::launch::async, [&] { return ui::winparse::substitute("A*6B", cx); });
  ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready)
      << "waited for the text's references to be put in";
  EXPECT_EQ(done.get(), "A*1B");
  // A result that would reach 256 characters keeps the reference.
  cx = program();
  const std::string longtext(254, 'x');
  EXPECT_EQ(ui::winparse::substitute(longtext + "*5.2", cx), longtext + "*5.2");
}

TEST(WinGrammar, LinesAreClosedUpTo254Characters) {
  EXPECT_EQ(ui::winparse::closeline(std::string(254, 'a'), ';'), std::string(254, 'a') + ";");
  EXPECT_EQ(ui::winparse::closeline(std::string(255, 'a'), ';'), std::string(255, 'a'));
  EXPECT_EQ(ui::winparse::closeline(std::string(300, 'a'), ';').size(), 256u);
  EXPECT_EQ(ui::winparse::closeline("a;  ", ';'), "a;  ");
}

// Mutated texts: every item is read within its line and the reader ends.
TEST(WinGrammarFuzz, MutatedTextsAreReadWithinTheirLines) {
  Values v;
  const std::string seeds[] = {
      "0:Button=No;3:Button=Three;STEP:Button=S;Width=6;Text=1234;DEFault",
      "UpDown*3.2;CHeckbox*3.3 Third;Edit*6;*5.1;Value *5.1:2 and *6.1:9",
      "4>-LOOP:Button=Go;topic:Text=More;http://x.y;SEParators= :=*;>-|;Edit*-2.1",
  };
  const std::string alphabet = " :=*;>-|0123456789.aZ";
  std::mt19937 rng(48);
  for (int round = 0; round < 4000; ++round) {
    std::string t = seeds[round % 3];
    const int changes = 1 + static_cast<int>(rng() % 6);
    for (int c = 0; c < changes; ++c) {
      const std::size_t at = rng() % (t.size() + 1);
      const char ch = alphabet[rng() % alphabet.size()];
      switch (rng() % 3) {
        case 0:
          t.insert(at, 1, ch);
          break;
        case 1:
          if (at < t.size()) t[at] = ch;
          break;
        default:
          if (at < t.size()) t.erase(at, 1);
      }
    }
    if (rng() % 10 == 0) t += std::string(rng() % 300, '*');
    const std::string line = ui::winparse::closeline(t, ';');
    ASSERT_LE(line.size(), ui::winparse::linesize);
    Context cx = program();
    std::size_t at = 0, last = 0;
    Item it;
    bool failed = false;
    int n = 0;
    while (ui::winparse::nextitem(line, at, cx, it, failed)) {
      ASSERT_GT(at, last) << "no progress in: " << line;
      ASSERT_LE(at, line.size());
      ASSERT_LT(it.text.size(), ui::winparse::linesize) << line;
      last = at;
      ASSERT_LT(++n, 300) << line;
    }
  }
}

}  // namespace
