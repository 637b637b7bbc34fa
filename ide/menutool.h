// The main window's menu bar, accelerators and toolbar: the item records
// filled once at start-up, and the switch that enables, greys, hides or
// check-marks items to match the IDE's mode.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/indexed.h"
#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

namespace ide {

// Command ids of the menus and the toolbar.
namespace cmd {
inline constexpr int newscript = 10001;
inline constexpr int open = 10002;
inline constexpr int save = 10003;
inline constexpr int saveas = 10004;
inline constexpr int print = 10005;
inline constexpr int printsetup = 10006;
inline constexpr int recent1 = 10009;
inline constexpr int recent10 = 10018;
inline constexpr int line = 10101;
inline constexpr int redo = 10107;
inline constexpr int step = 10201;
inline constexpr int trace = 10202;
inline constexpr int run = 10203;
inline constexpr int quicky = 10204;
inline constexpr int cputime = 10205;
inline constexpr int fonts = 10301;
inline constexpr int editor = 10303;
inline constexpr int index = 10401;
inline constexpr int tooltips = 10402;
inline constexpr int contents = 10403;
inline constexpr int about = 10408;
inline constexpr int donate = 10409;
inline constexpr int quit = 0x4001;
inline constexpr int helpcmd = 0x4002;
inline constexpr int escape = 21051;
inline constexpr int jump = 22001;  // a window asks the run to go on elsewhere
inline constexpr int fkey = 22000;  // + 2 to 9: the buttons F2 to F9
}  // namespace cmd

// The menu bar (File, Edit, Go, Options, Help) and its menus, 1-based.
inline plat::Store1<toolkit::menu_item_t> menubar(5);
inline plat::Store1<toolkit::menu_item_t> filemenu(18);  // 9 to 18: recent files
inline plat::Store1<toolkit::menu_item_t> editmenu(7);
inline plat::Store1<toolkit::menu_item_t> gomenu(5);
inline plat::Store1<toolkit::menu_item_t> optionsmenu(3);
inline plat::Store1<toolkit::menu_item_t> helpmenu(8);
// Items of the File menu that are built (the recent files come later).
inline int filecount = 8;

// The standard images and the program's own ("Dirado"); the 28 buttons:
// 20 fixed ones, then F2 to F9.
inline plat::Store1<toolkit::tool_bitmap_t> toolbitmaps(2);
inline constexpr int ntoolitems = 28;
inline plat::Store1<toolkit::toolbar_item_t> toolitems(ntoolitems);

// For F2 to F9: 0 the script has no subroutine for the key, 1 it has one
// but the button is disabled, 3 the button is enabled.
inline plat::IndexedStore<std::uint8_t, 2> fkeymarks(8);
// The CPU-time display switch.
inline bool cputoggle = false;

// Fills the menu and toolbar records (once, before the main window).
void MENUTOOL();
// "A0" start state, "E0" editing, "UR" undo and redo, "t0" CPU-time
// switch, "Fn" F-key buttons (n: a text position, 0, or a key number,
// negative to disable); any other mode does nothing.
void MENUTOOLONOFF(std::string_view mode, std::int32_t n = 0);

// The program's own pictures: the toolbar images "Dirado" (16 images of
// 16 x 15) and the icon "QelIcon"; added once.
void add_program_pictures();

void reset_menutool();

}  // namespace ide
