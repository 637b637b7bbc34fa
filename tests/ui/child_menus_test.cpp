// Menus of child windows and POP popup menus: items, sub-menus, types and
// ids from menu texts and text blocks, the refused texts, MenuTypes shorter
// than the menu, the armed popup that a right press shows and a POP
// without a menu disarms; and a mutation loop over menu texts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "child_fixture.h"
#include "support/test_support.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "toolkit/menus.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "ui/childmenus.h"
#include "ui/childtools.h"
#include "ui/popupmenu.h"
#include "ui/childwords.h"

namespace {

using childtest::ChildScript;

// The menu of the text, built into a record of its own.
std::string build(exec::wdwrec& r, const std::string& text) {
  return std::string(ui::MAKEMENUS2(r, text, 0));
}

std::string titleof(const toolkit::menu_item_t& it) { return std::string(it.title.trimmed()); }

TEST(ChildMenus, ItemsAreNumberedInTextOrderWithTheirSubMenus) {
  exec::wdwrec r;
  ASSERT_EQ(build(r, "File|Edit|File:Open|Save||Quit|Edit:Copy|"), "");
  ASSERT_EQ(r.menuitems.size(), 2);
  ASSERT_EQ(r.popupitems.size(), 5);
  EXPECT_EQ(titleof(r.menuitems(1)), "File");
  EXPECT_EQ(r.menuitems(1).submenu, &r.popupitems(1));
  EXPECT_EQ(r.menuitems(1).submenu_count, 4);
  EXPECT_EQ(r.menuitems(2).submenu, &r.popupitems(5));
  EXPECT_EQ(r.menuitems(2).submenu_count, 1);
  const struct {
    const char* title;
    win::UINT_PTR id;
    int flags;
  } subs[] = {{"Open", 31003, 0},
              {"Save", 31004, 0},
              {"", 0, 0x800},
              {"Quit", 31006, 0},
              {"Copy", 31007, 0}};
  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(titleof(r.popupitems(n)), subs[n - 1].title);
    EXPECT_EQ(r.popupitems(n).command, subs[n - 1].id);
    EXPECT_EQ(r.popupitems(n).flags, subs[n - 1].flags);
  }
}

TEST(ChildMenus, TypesTitlesAndTheLastSeparatorOfATextAreReadAsWritten) {
  exec::wdwrec r;
  // A number before further text is the item's type: 3 grayed and checked.
  ASSERT_EQ(build(r, "3Exit|Help|"), "");
  EXPECT_EQ(titleof(r.menuitems(1)), "Exit");
  EXPECT_EQ(r.menuitems(1).flags, 0x1 | 0x8);
  EXPECT_EQ(r.menuitems(1).command, 31001u);
  EXPECT_EQ(r.menuitems(2).flags, 0);
  ASSERT_EQ(build(r, "3|Exit|"), "");
  EXPECT_EQ(titleof(r.menuitems(1)), "3");
  EXPECT_EQ(r.menuitems(1).flags, 0);
  // 4 and 8 start new columns.
  ASSERT_EQ(build(r, "4A|8B|"), "");
  EXPECT_EQ(r.menuitems(1).flags, 0x40);
  EXPECT_EQ(r.menuitems(2).flags, 0x20);
  // Without its closing separator a text loses its last character.
  ASSERT_EQ(build(r, "File|Open"), "");
  ASSERT_EQ(r.menuitems.size(), 2);
  EXPECT_EQ(titleof(r.menuitems(2)), "Ope");
  // Line ends end items; a line that ends with the separator gives one.
  ASSERT_EQ(build(r, "File|\r\nEdit\r\n  View|\r\nEdit:\r\nCopy|"), "");
  ASSERT_EQ(r.menuitems.size(), 3);
  EXPECT_EQ(titleof(r.menuitems(3)), "View");
  EXPECT_EQ(r.menuitems(2).submenu_count, 1);
  EXPECT_EQ(r.popupitems(1).command, 31004u);
}

// The menu text of the help's Menus topic gives the numbers its subroutine
// asks for: Save is item 4 (a "|" right after "File:" would make an empty
// item, a dividing line, before Open and move Save to 5).
TEST(ChildMenus, TheHelpsMenuExampleHasTheItemsItsSubroutineNames) {
  const std::string hlp = testsupport::read_file(testsupport::source_dir() / "data" / "Ostrel.hlp");
  const std::size_t topic = hlp.find("\r\nlangMenus ");
  ASSERT_NE(topic, std::string::npos);
  const std::size_t from = hlp.find("MAIN = '", topic), to = hlp.find("'\r\n", from);
  ASSERT_NE(to, std::string::npos);
  ASSERT_NE(hlp.find("IF ($$ == 4) CALL SAVEIT", topic), std::string::npos);
  exec::wdwrec r;
  ASSERT_EQ(build(r, hlp.substr(from + 8, to - from - 8)), "");
  ASSERT_EQ(r.popupitems.size(), 5);
  EXPECT_EQ(titleof(r.popupitems(2)), "Save");
  EXPECT_EQ(r.popupitems(2).command, 31004u);
  EXPECT_EQ(titleof(r.popupitems(4)), "Grid");
  EXPECT_EQ(r.popupitems(4).flags & 0x8, 0x8);
}

TEST(ChildMenus, RefusedTextsNameTheirReasonAndBuildNothing) {
  exec::wdwrec r;
  EXPECT_EQ(build(r, "3|"), "childNoMenuItem");
  EXPECT_EQ(build(r, "   "), "childNoMenuItem");
  // A header needs an earlier item standing whole in the text.
  EXPECT_EQ(build(r, "File|Colour:Red|"), "childNoDAD");
  EXPECT_EQ(build(r, "Colours|Colour:Red|"), "childNoDAD");
  // No sub-menu may hold its own parent.
  EXPECT_EQ(build(r, "A|B:C|C:B|"), "childNoDAD");
  EXPECT_EQ(r.menuitems.size(), 0);
  // Sub-menus nest sixteen deep, no deeper.
  std::string nest = "L0|";
  for (int k = 0; k < 16; ++k) nest += "L" + std::to_string(k) + ":L" + std::to_string(k + 1) + "|";
  EXPECT_EQ(build(r, nest), "");
  nest += "L16:L17|";
  EXPECT_EQ(build(r, nest), "childNoDAD");
}

TEST(ChildMenus, MenuTextsOfAnyShapeBuildWithinTheirItems) {
  std::mt19937 rng(49);
  const std::string seeds[] = {"File|Edit|File:Open|Save||Quit|Edit:Copy|",
                               "3Exit|Help|",
                               "A\r\nB:\r\n C\r\n",
                               "a:b:c:d|",
                               "|||",
                               "x:"};
  static constexpr char alphabet[] = "|:: \r\n0123ABab";
  for (int i = 0; i < 4000; ++i) {
    std::string t = seeds[rng() % std::size(seeds)];
    for (int e = 1 + static_cast<int>(rng() % 6); e > 0; --e) {
      const std::size_t at = rng() % (t.size() + 1);
      const char c = alphabet[rng() % (sizeof alphabet - 1)];
      if (rng() % 2 == 0 || at == t.size())
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(at), c);
      else
        t[at] = c;
    }
    exec::wdwrec r;
    if (!build(r, t).empty()) continue;
    // Every sub-menu lies inside the sub-menu items, after its parent.
    const auto top = r.menuitems.size(), subs = r.popupitems.size();
    for (long long n = 1; n <= top + subs; ++n) {
      const toolkit::menu_item_t& it = n <= top ? r.menuitems(n) : r.popupitems(n - top);
      if (it.has_submenu == 0 || it.submenu_count == 0) continue;
      const auto first = it.submenu - r.popupitems.data() + 1 + static_cast<long long>(top);
      ASSERT_GT(first, n) << t;
      ASSERT_LE(first - static_cast<long long>(top) + it.submenu_count - 1, subs) << t;
    }
    // The toolkit builds it and takes it down again.
    int ups = 0;
    if (top > 0) toolkit::MAKE_MENU(r.menuitems.data(), static_cast<int>(top), 1, &ups);
    ui::freemenus(r);
  }
}

TEST_F(ChildScript, AMenuComesFromATextBlockAndShortMenuTypesRepeatTheirLast) {
  const std::string out = runopen(
      "CHARACTER M*8, N*12\nDIMENSION T(2)\nT(1) = 1\nT(2) = 2\nM = 'MYMENU'\nN = 'A|B|C|D|'\n"
      "H = 0\nG = 0\nWINDOW(WINdowhandle=H, Menu=M)\nWINDOW(WINdowhandle=G, Menu=N, MenuTypes=T)\n"
      "T(1) = 2\nWINDOW(WINdowhandle=G, MenuTypes=T)\n"
      "END\nSUBROUTINE M\nRETURN\nEND\nSUBROUTINE N\nRETURN\nEND\n"
      "MYMENU\n File\n Edit\n File:\n Open\n Save\n");
  ASSERT_TRUE(out.ends_with("stop=-1\n")) << out;
  exec::wdwrec* h = windowof("H");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(h->menuitems.size(), 2);
  EXPECT_EQ(titleof(h->menuitems(1)), "File");
  EXPECT_EQ(h->menuitems(1).submenu_count, 2);
  EXPECT_EQ(titleof(h->popupitems(2)), "Save");
  EXPECT_NE(win::GetMenu(h->window), nullptr);
  // Items past the array take its last element; a later MenuTypes sets the
  // grayed and checked states of the items it reaches.
  exec::wdwrec* g = windowof("G");
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->menuitems.size(), 4);
  EXPECT_EQ(g->menuitems(1).flags & 0x9, 0x8);
  EXPECT_EQ(g->menuitems(2).flags, 0x8);
  EXPECT_EQ(g->menuitems(3).flags, 0x8);
  EXPECT_EQ(g->menuitems(4).flags, 0x8);
}

TEST_F(ChildScript, AnArmedPopupShowsAtARightPressAndAPopWithoutMenuDisarmsIt) {
  const std::string script =
      "CHARACTER P*20, S*10\nP = 'Red|Green|'\nH = 0\nPX = -1\nPY = -1\n"
      "WINDOW(WINdowhandle=H, Width=-300, Height=-200)\n"
      "POP(Menu=P, Poptype=2, X=PX, Y=PY, SelTxt=S)\n";
  const std::string subs = "END\nSUBROUTINE P\nRETURN\nEND\n";
  std::string out = runopen(script + subs);
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  EXPECT_EQ(ui::popupmode, 2);
  EXPECT_EQ(ui::popuppending, 0);
  exec::wdwrec* r = windowof("H");
  ASSERT_NE(r, nullptr);
  // The user presses the right button and picks the second item by keys.
  plat::inject_key_press(win::VK_DOWN, 0);
  plat::inject_key_press(win::VK_DOWN, 0);
  plat::inject_key_press(win::VK_RETURN, 0);
  win::SendMessageA(r->window, win::WM_RBUTTONDOWN, 2, win::MAKELPARAM(30, 40));
  EXPECT_EQ(number("PX"), 30);
  EXPECT_EQ(number("PY"), 40);
  EXPECT_EQ(ui::popuppending, 1);
  win::MSG m{};
  ASSERT_TRUE(win::PeekMessageA(&m, r->window, win::WM_COMMAND, win::WM_COMMAND, win::PM_REMOVE));
  EXPECT_EQ(win::LOWORD(m.wParam), 31002);
  exec::CLOSEWINDOWLESS();
  // POP without a menu disarms it: a press shows nothing.
  out = runopen(script + "POP(X=PX)\n" + subs);
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  EXPECT_EQ(ui::popupmode, 0);
  r = windowof("H");
  ASSERT_NE(r, nullptr);
  win::SendMessageA(r->window, win::WM_RBUTTONDOWN, 2, win::MAKELPARAM(30, 40));
  EXPECT_EQ(number("PX"), -1);
}

TEST_F(ChildScript, ADialogTextsPopupPutsTheChosenTitleIntoAScratchText) {
  // A window shown takes the keys.
  ASSERT_TRUE(runopen("H = 0\nWINDOW(WINdowhandle=H)\n").ends_with("stop=-1\n"));
  exec::wdwrec* main = exec::wdwhead;
  ASSERT_NE(main, nullptr);
  plat::inject_key_press(win::VK_DOWN, 0);
  plat::inject_key_press(win::VK_DOWN, 0);
  plat::inject_key_press(win::VK_RETURN, 0);
  ui::SHOWPOPUPMENU("Help|About|");
  ASSERT_EQ(ui::popuppending, 1);
  win::MSG m{};
  ASSERT_TRUE(win::PeekMessageA(&m, main->window, win::WM_COMMAND, win::WM_COMMAND, win::PM_REMOVE));
  EXPECT_EQ(win::LOWORD(m.wParam), 31002);
  // As the command is served: the title into the main window's scratch text.
  exec::wdwcur = main;
  core::idecmd = 31000;
  ui::STATE_STYLE_EXTERNAL(2);
  std::int32_t first = 0, last = 0;
  ASSERT_GT(core::ISCHAR(main->menustatevar, first, last), 0);
  EXPECT_EQ(std::string(core::c1namen.ptr(first), 5), "About");
  EXPECT_EQ(ui::popuppending, 0);
}

}  // namespace
