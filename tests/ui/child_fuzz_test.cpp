// Toolbar texts against mutated input, and whole WINDOW and POP statements
// made of random options (a deterministic mutation loop; the sanitised
// build catches a read or write out of bounds): each builds or refuses,
// and a run always ends with its report.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "child_fixture.h"
#include "core/runwords.h"
#include "ui/childtools.h"

namespace {

using childtest::ChildScript;

TEST(ChildFuzz, ToolbarTextsGiveAButtonForEveryFilledEntry) {
  std::mt19937 rng(22100);
  const std::string seeds[] = {"tools.bmp|Open|Save||Quit|", "a;b;;c", "x|", "|||", "  q  "};
  static constexpr char alphabet[] = "|;. abQ\r\n";
  for (int i = 0; i < 3000; ++i) {
    std::string t = seeds[rng() % std::size(seeds)];
    for (int e = 1 + static_cast<int>(rng() % 5); e > 0; --e) {
      const std::size_t at = rng() % (t.size() + 1);
      const char c = alphabet[rng() % (sizeof alphabet - 1)];
      if (rng() % 3 == 0 && at < t.size())
        t.erase(at, 1);
      else
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(at), c);
    }
    ui::ToolText out;
    if (!ui::splittools(t, out)) continue;
    const auto filled = std::count_if(out.entries.begin(), out.entries.end(),
                                      [](const std::string& e) { return !e.empty(); });
    ASSERT_EQ(out.buttons, filled) << t;
    ASSERT_LE(out.file.size(), t.size()) << t;
  }
}

TEST_F(ChildScript, RandomWindowAndPopStatementsEndWithAReport) {
  childtest::writebmp("tools.bmp", childtest::picture(32, 8, [](int x, int) { return x * 7u; }));
  testsupport::write_file("notes.txt", "a\r\nb\r\n");
  std::mt19937 rng(31000);
  const std::vector<std::string> options = {"X=0.2",
                                            "X=-5",
                                            "Y=3",
                                            "Width=-50",
                                            "Width=-3000",
                                            "Height=0.05",
                                            "Height=1.5",
                                            "Width=W",
                                            "X=W",
                                            "Kill=H",
                                            "Kill=A",
                                            "PRint=2",
                                            "PRint=1",
                                            "TItle='t'",
                                            "TItle='notes.txt'",
                                            "BaCkcolor=-4",
                                            "BaCkcolor=99",
                                            "ForeColor=5",
                                            "TopSpace=2",
                                            "LeftSpace=0.5",
                                            "BottomSpace=-3",
                                            "Left=2",
                                            "Up=-3",
                                            "FONt=5",
                                            "FONt=77",
                                            "STYle=16777216",
                                            "STYle=536870912",
                                            "Menu=M",
                                            "MenuTypes=A",
                                            "MenuTypes=3",
                                            "Toolbar=T",
                                            "ToolTypes=A",
                                            "ToolTypes=M",
                                            "SaveAs='s.bmp'",
                                            "LoaD='tools.bmp'",
                                            "SelTxt=S",
                                            "ForeGround=H",
                                            "STATus=ST",
                                            "Owner=H",
                                            "ClaSs='c'",
                                            "CaLl='d'",
                                            "NORMal=H",
                                            "MINImize=1",
                                            "MAXImize=H",
                                            "HIDE=H"};
  const std::vector<std::string> pops = {"Menu=M", "Poptype=2", "Poptype=1", "X=W",
                                         "Y=3",    "SelTxt=S",  "Owner=H",   "MenuTypes=A"};
  const std::vector<std::string> menus = {"'File|Edit|File:Open||Quit|'", "'3|'", "'a:b|'",
                                          "'tools.bmp|Open|Save|'", "'MYMENU'"};
  for (int i = 0; i < 50; ++i) {
    std::string text = "CHARACTER M*40, T*40, S*10\nDIMENSION A(3)\nA(1) = 6\nW = 0.4\n";
    text += "M = " + menus[rng() % menus.size()] + "\nT = " + menus[rng() % menus.size()] + "\n";
    text += "H = 0\nWINDOW(WINdowhandle=H, Width=-60, Height=-40)\n";
    for (int s = 0; s < 2; ++s) {
      const bool pop = rng() % 4 == 0;
      const auto& pool = pop ? pops : options;
      std::string statement = pop ? "POP(" : "WINDOW(WINdowhandle=H";
      const int n = 1 + static_cast<int>(rng() % 5);
      for (int k = 0; k < n; ++k)
        statement += (k > 0 || !pop ? ", " : "") + pool[rng() % pool.size()];
      text += statement + ")\n";
    }
    text += "END\nSUBROUTINE M\nRETURN\nEND\nSUBROUTINE T\nRETURN\nEND\nMYMENU\n A\n B\n";
    const std::string out = runopen(text);
    EXPECT_NE(out.find("stop="), std::string::npos) << text << "\n" << out;
    exec::CLOSEWINDOWLESS();
    EXPECT_EQ(exec::wdwhead, nullptr);
  }
}

}  // namespace
