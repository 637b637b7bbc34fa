// Toolbars of child windows: buttons, gaps, tooltips and images from the
// toolbar text and the BMP strip; the styles and states of ToolTypes; the
// state array following the user's presses of radio and check buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_fixture.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "ui/childtools.h"

namespace {

using childtest::ChildScript;

TEST(ChildTools, ATextGivesTheFileTheButtonsAndTheGaps) {
  ui::ToolText t;
  ASSERT_TRUE(ui::splittools("tools.bmp|Open|Save||Quit|   ", t));
  EXPECT_EQ(t.file, "tools.bmp");
  EXPECT_EQ(t.entries, (std::vector<std::string>{"Open", "Save", "", "Quit"}));
  EXPECT_EQ(t.buttons, 3);
  // Without its closing separator the text loses its last character.
  ASSERT_TRUE(ui::splittools("tools.bmp|Open|Save||Quit", t));
  EXPECT_EQ(t.entries.back(), "Qui");
  ASSERT_TRUE(ui::splittools("tools.bmp;Open;Save;", t));
  EXPECT_EQ(t.buttons, 2);
  EXPECT_FALSE(ui::splittools("tools.bmp", t));
  EXPECT_FALSE(ui::splittools("", t));
}

TEST(ChildTools, EveryToolTypesBitHasItsStyleOrState) {
  const struct {
    int value, style, state;
  } table[] = {{0, 0, 4},    {1, 0, 0},    {2, 2, 4},    {4, 4, 4},    {6, 6, 4},
               {8, 0, 0x24}, {16, 0, 0x5}, {32, 0, 0x6}, {64, 0, 0xC}, {127, 6, 0x2B}};
  for (const auto& e : table) {
    SCOPED_TRACE(e.value);
    const ui::ToolLook l = ui::STATE_STYLE_INTERNAL(e.value);
    EXPECT_EQ(l.style, e.style);
    EXPECT_EQ(l.state, e.state);
  }
}

class ToolScript : public ChildScript {
 protected:
  void SetUp() override {
    ChildScript::SetUp();
    childtest::writebmp("tools.bmp", childtest::picture(48, 16, [](int x, int) { return x * 5u; }));
  }
  // Presses button b of the window as the executor serves its command.
  void press(exec::wdwrec* r, int b) {
    exec::wdwcur = r;
    core::idecmd = 22100;
    ui::STATE_STYLE_EXTERNAL(b);
  }
  std::string states(const std::string& name) {
    std::int32_t k = 0;
    if (!core::FINDSN(name, k, 0x400)) return "?";
    std::int32_t first = k;
    core::ADR1FROMSYMBOL(first, k);
    std::string s;
    for (int i = 0; i < core::I4EQUZ(1, k) * core::I4EQUZ(2, k); ++i)
      s += (i > 0 ? "," : "") + std::to_string(static_cast<int>(core::z(first + i)));
    return s;
  }
};

constexpr const char* subs = "END\nSUBROUTINE T\nRETURN\nEND\n";

TEST_F(ToolScript, TheStripGivesEachButtonItsImageAndCommand) {
  const std::string out = runopen(
      "CHARACTER T*30\nT = 'tools.bmp|Open|Save||Quit|'\nH = 0\n"
      "WINDOW(WINdowhandle=H, Toolbar=T, ToolTypes=1)\n" +
      std::string(subs));
  ASSERT_TRUE(out.ends_with("stop=-1\n")) << out;
  exec::wdwrec* r = windowof("H");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->toolitems.size(), 4);
  EXPECT_EQ(r->topoffset, 16);
  const int commands[] = {22101, 22102, 0, 22103};
  for (int e = 1; e <= 4; ++e) {
    SCOPED_TRACE(e);
    const toolkit::toolbar_item_t& it = r->toolitems(e);
    EXPECT_EQ(it.command, commands[e - 1]);
    if (e == 3) {
      EXPECT_EQ(it.style, 1);
      continue;
    }
    // A scalar 1 disables every button.
    EXPECT_EQ(it.state, 0);
    EXPECT_EQ(it.image, e < 3 ? e - 1 : 2);
  }
  EXPECT_EQ(std::string(r->toolitems(4).tooltip.trimmed()).substr(0, 4), "Quit");
  EXPECT_EQ(r->toolbitmap.images, 3);
}

TEST_F(ToolScript, RadioButtonsReleaseTheirGroupAndCheckButtonsToggle) {
  const std::string out = runopen(
      "CHARACTER T*40\nDIMENSION S(4), G(5)\nT = 'tools.bmp|A|B|C|D|'\n"
      "S(1) = 38\nS(2) = 6\nS(3) = 6\nS(4) = 2\n"
      "G(1) = 38\nG(2) = 6\nG(3) = 0\nG(4) = 6\nG(5) = 38\n"
      "H = 0\nK = 0\nWINDOW(WINdowhandle=H, Toolbar=T, ToolTypes=S)\n"
      "T = 'tools.bmp|A|B|C|D|E|'\nWINDOW(WINdowhandle=K, Toolbar=T, ToolTypes=G)\n" +
      std::string(subs));
  ASSERT_TRUE(out.ends_with("stop=-1\n")) << out;
  exec::wdwrec* h = windowof("H");
  ASSERT_NE(h, nullptr);
  press(h, 2);
  EXPECT_EQ(states("S"), "6,38,6,2");
  press(h, 4);
  EXPECT_EQ(states("S"), "6,38,6,34");
  press(h, 4);
  EXPECT_EQ(states("S"), "6,38,6,2");
  // A check button beside the group belongs to its run.
  press(h, 4);
  press(h, 2);
  EXPECT_EQ(states("S"), "6,38,6,2");
  // A push button ends a group: the second group keeps its pressed button.
  exec::wdwrec* k = windowof("K");
  ASSERT_NE(k, nullptr);
  press(k, 2);
  EXPECT_EQ(states("G"), "6,38,0,6,38");
  // Past the array, and without a state array, nothing changes.
  press(k, 6);
  press(h, 0);
  EXPECT_EQ(states("G"), "6,38,0,6,38");
}

}  // namespace
