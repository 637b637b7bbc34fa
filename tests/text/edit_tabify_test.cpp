// TabiFyfont: a script's columns lined up with tabs in the monospace
// font of a windowless run (tab stops every 8 cells); and the measuring in
// the current window's own font, where a proportional face lines narrow
// and wide letters up otherwise.
#include <gtest/gtest.h>

#include <string>

#include "core/runwords.h"
#include "core/stores.h"
#include "exec/postfix.h"
#include "exec/windowlist.h"
#include "exec/xeq2.h"
#include "ide/builtins_install.h"
#include "platform/backend.h"
#include "plot/fontslots.h"
#include "support/script_folder.h"
#include "support/stores_fixture.h"
#include "text/edit_call.h"
#include "text/edit_state.h"
#include "toolkit/bitmaps.h"
#include "toolkit/entry.h"

namespace {

using ScriptTabify = testsupport::ScriptInFolder;

TEST_F(ScriptTabify, GapsBecomeTabsThatLineTheColumnsUp) {
  const std::string out =
      run("CHARACTER T*40, U*40, V*40, W*20, R*20\n"
          // a and abcdef: one tab each, so b and c start at the same stop.
          "T = 'a  b;abcdef  c'\n"
          "N1 = EDIT(Text=T, RaNge=';', TabiFyfont=1)\n"
          // A first column of 10 cells: the short line needs two tabs.
          "U = 'a  b;abcdefghij  c'\n"
          "N2 = EDIT(Text=U, RaNge=';', TabiFyfont=1)\n"
          // A single blank stays; of three blanks the third stays before the
          // next column; of four the second pair is the next (empty) column.
          "V = 'one two;x   y    z;abcdefghijk  w'\n"
          "N3 = EDIT(Text=V, RaNge=';', TabiFyfont=1)\n"
          // No pair of blanks: nothing changes.
          "W = 'no gaps here'\n"
          "R = EDIT(Text=W, RaNge=';', TabiFyfont=1)\n"
          // Tabs go only into a variable.
          "N4 = EDIT(Text='a  b', TabiFyfont=1)\n");
  EXPECT_EQ(out,
            "T='a\tb;abcdef\tc                            '\n"
            "U='a\t\tb;abcdefghij\tc                       '\n"
            "V='one two;x\t\t y\t\tz;abcdefghijk\tw          '\n"
            "W='no gaps here        '\n"
            "R='no                  '\n"
            "N1=2\nN2=2\nN3=4\nN4=0\n"
            "stop=32767 line=10 key=editConstant\n");
}

std::string tabified(std::int32_t slot) {
  storetest::setup();
  storetest::addspecials();
  const std::int32_t result = storetest::addsym("R#", 0x88);
  const std::int32_t text = storetest::addcharvar("T", "iiiiiiiiii  b;WW  c     ");
  const std::int32_t sep = storetest::addcharvar("S", ";");
  const std::int32_t one = storetest::addsym("ONE", 0x81);
  core::z(one) = 1;
  exec::wdwcur->fontslot = slot;
  core::c1tmptop = core::c1top;
  exec::xeqexpr.ndescr = 0;
  namespace kw = text::ekw;
  edittest::callEDIT({{kw::Text, text}, {kw::RaNge, sep}, {kw::TabiFyfont, one}}, result, 0);
  EXPECT_TRUE(core::msgkey.is_blank());
  return storetest::textof(text);
}

TEST(EditTabify, TheWindowsOwnFontDecidesTheTabs) {
  plat::reset_windows();
  toolkit::reset_toolkit();
  exec::reset_windowlist();
  plot::reset_fontslots();
  ide::install_all_builtins();
  std::int32_t status = 0;
  exec::NEWWINDOW(status, nullptr);
  int ups = 0;
  exec::wdwcur->bitmap = toolkit::CREATE_BITMAP(400, 200, nullptr, &ups);
  plot::SETFONT(1, "Arial", 9, 0, 0, 400, 0);
  plot::SETFONT(4, "Courier new", 9, 0, 0, 400, 0);
  // Ten narrow letters and two wide ones reach the same stop in Arial.
  EXPECT_EQ(tabified(1).substr(0, 17), "iiiiiiiiii\tb;WW\tc");
  // In a monospace face the ten letters pass the first stop.
  EXPECT_EQ(tabified(4).substr(0, 18), "iiiiiiiiii\tb;WW\t\tc");
  exec::reset_windowlist();
  core::reset_runwords();
  toolkit::reset_toolkit();
  plat::reset_windows();
}

// Random texts of letters, blanks and range ends: the tabs only ever take
// the place of blanks, every other character stays in its order, the
// string keeps its length, and each run of blanks keeps at least its
// last blank or becomes tabs.
TEST(EditTabify, RandomTextsKeepTheirCharactersInOrder) {
  plat::reset_windows();
  toolkit::reset_toolkit();
  exec::reset_windowlist();
  plot::reset_fontslots();
  ide::install_all_builtins();
  std::int32_t status = 0;
  exec::NEWWINDOW(status, nullptr);
  std::uint32_t seed = 20261208;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 300; ++round) {
    std::string t;
    const std::size_t n = 1 + next() % 60;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint32_t r = next() % 10;
      t += r < 4 ? ' ' : r == 4 ? ';' : static_cast<char>('a' + next() % 26);
    }
    storetest::setup();
    storetest::addspecials();
    const std::int32_t result = storetest::addsym("R#", 0x88);
    const std::int32_t text = storetest::addcharvar("T", t);
    const std::int32_t sep = storetest::addcharvar("S", ";");
    const std::int32_t one = storetest::addsym("ONE", 0x81);
    core::z(one) = 1;
    core::c1tmptop = core::c1top;
    exec::xeqexpr.ndescr = 0;
    namespace kw = text::ekw;
    const bool ranges = next() % 2 == 0;
    if (ranges)
      edittest::callEDIT({{kw::Text, text}, {kw::RaNge, sep}, {kw::TabiFyfont, one}}, result, 0);
    else
      edittest::callEDIT({{kw::Text, text}, {kw::TabiFyfont, one}}, result, 0);
    const std::string out = storetest::textof(text);
    SCOPED_TRACE("round " + std::to_string(round) + ": '" + t + "'");
    ASSERT_TRUE(core::msgkey.is_blank());
    ASSERT_EQ(out.size(), t.size());
    std::string a, b;
    for (const char c : t)
      if (c != ' ') a += c;
    for (const char c : out)
      if (c != ' ' && c != '\t') b += c;
    EXPECT_EQ(a, b);
    // No gap of two blanks is left before the last non-blank.
    const std::size_t end = out.find_last_not_of(" \t");
    if (end != std::string::npos) {
      const std::string head = out.substr(0, end);
      for (std::size_t r = 0, e = 0; r <= head.size(); r = e + 1) {
        e = ranges ? head.find(';', r) : std::string::npos;
        if (e == std::string::npos) e = head.size();
        EXPECT_EQ(head.substr(r, e - r).find("  "), std::string::npos) << out;
      }
    }
  }
  exec::reset_windowlist();
  core::reset_runwords();
  toolkit::reset_toolkit();
  plat::reset_windows();
}

}  // namespace
