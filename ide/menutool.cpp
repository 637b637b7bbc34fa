#include "ide/menutool.h"

#include <cstring>
#include <string>

#include "core/editbuffer.h"
#include "core/stores.h"
#include "toolkit/bitmaps.h"
#include "toolkit/colours.h"
#include "toolkit/records.h"
#include "toolkit/services.h"

namespace ide {

namespace {

struct MenuRow {
  const char* caption;
  const char* hint;
  const char* accelerator;
  int id;  // 0: a separator
};

constexpr MenuRow filerows[] = {
    {"&New", "Create new script", "", cmd::newscript},
    {"&Open", "Select Ostrel script", "", cmd::open},
    {"&Save", "Save current file", "Ctrl+S", cmd::save},
    {"Save &As", "Save current file under different name", "", cmd::saveas},
    {"&Print", "Print a window", "Ctrl+P", cmd::print},
    {"Print Set&up...", "Printer setup", "", cmd::printsetup},
    {"QUIT", "Quit Ostrel", "Alt+F4", cmd::quit},
    {"", "", "", 0},
};
constexpr MenuRow editrows[] = {
    {"Line", "New line BEFORE current line", "Alt+I", 10101},
    {"Cut", "Cut block or line to clipboard", "Ctrl+X", 10102},
    {"Copy", "Copy block or line to clipboard", "Ctrl+C", 10103},
    {"Paste", "Insert block or line from clipboard", "Ctrl+V", 10104},
    {"Find", "Find some text in edited file", "Ctrl+F", 10105},
    {"Undo", "Undo last change/command", "Ctrl+Z", 10106},
    {"Redo", "Redo last Undo", "Ctrl+Y", 10107},
};
constexpr MenuRow gorows[] = {
    {"&Step", "1 STEP", "Alt+S", cmd::step},
    {"&Trace", "TRACE script", "Alt+T", cmd::trace},
    {"&Run", "RUN script", "Alt+R", cmd::run},
    {"&Quicky", "Quick test expression", "Alt+Q", cmd::quicky},
    {"&CPU time", "Status bar to show elapsed CPU times", "Alt+M", cmd::cputime},
};
constexpr MenuRow optionrows[] = {
    {"&Fonts", "Change the fonts", "", cmd::fonts},
    {"Color", "Change the colors of editor, panels etc", "", 10302},
    {"&Editor", "Change the size of editor window", "", cmd::editor},
};
constexpr MenuRow helprows[] = {
    {"&Donate", "Help to keep Ostrel running", "", cmd::donate},
    {"&Index", "Step thru Ostrel's help or hit F1", "", cmd::index},
    {"&Tooltips", "Tooltip properties", "Ctrl+T", cmd::tooltips},
    {"&Contents", "Ostrel help contents", "Alt+C", cmd::contents},
    {"&Memory", "Show memory usage", "", 10404},
    {"&Update", "Check for update", "", 10405},
    {"&e-mail", "Start e-mail to Ostrel", "", 10406},
    {"&About", "Roots of Ostrel", "", cmd::about},
};
constexpr MenuRow barrows[] = {
    {"&File", "File operations", "", 0}, {"&Edit", "How to change this Ostrel file", "", 0},
    {"&Go", "Execution modes", "", 0},   {"&Options", "Color, Editor, Fonts, Graphics", "", 0},
    {"&Help", "Help on Ostrel", "", 0},
};

// The fixed buttons: own bitmap or not, image (1-based), command id (0: a
// separator), tooltip ("\r" breaks a line).
struct ToolRow {
  bool own;
  int image;
  int id;
  const char* tooltip;
};
constexpr ToolRow toolrows[20] = {
    {false, 7, cmd::newscript, "Create new script"},
    {false, 9, cmd::save, "Save script, Ctrl+S"},
    {false, 1, 10102, "Cut block or line to clipboard, Ctrl+X"},
    {false, 2, 10103, "Copy block or line to clipboard, Ctrl+C"},
    {false, 3, 10104, "Paste block or line from clipboard, Ctrl+V"},
    {false, 15, cmd::print, "Print a window, Ctrl+P"},
    {false, 13, 10105, "New find: Ctrl+tool, or Ctrl+F\rRepeat find: find tool, or shift+Ctrl+F"},
    {true, 1, cmd::line,
     "New line BEFORE current line (Alt+i),\rENTER right of text inserts after current line\r"},
    {false, 4, 10106, "Undo last change, Ctrl+Z"},
    {false, 5, cmd::redo, "Redo last Undo, Ctrl+Y"},
    {false, 0, 0, ""},
    {true, 3, cmd::step,
     "1 STEP (Alt+S),\rsame as ENTER on text section.\rHold Shift to step in or out Func/Subr"},
    {true, 4, cmd::trace, "TRACE script (Alt+T)"},
    {true, 5, cmd::run, "RUN script (Alt+R)"},
    {true, 15, cmd::quicky, "Quick expression (Alt+Q)"},
    {true, 2, cmd::escape, "Escape:\r(1) STOP execution\r(2) Restore screen\r(3) Exit script"},
    {false, 0, 0, ""},
    {true, 14, cmd::contents, "Ostrel help contents (Alt+C)"},
    {true, 16, cmd::tooltips, "Tooltips settings (Ctrl+T)"},
    {false, 0, 0, ""},
};
constexpr int nfixedtools = 20;
constexpr std::string_view undefinedtip = "This subroutine is not yet defined";

constexpr int kEnabled = 4;
constexpr int kHidden = 8;
constexpr int kSeparatorFlag = 2048;

int len(const char* s) { return static_cast<int>(std::strlen(s)); }

template <std::size_t N>
void fillmenu(plat::Store1<toolkit::menu_item_t>& menu, const MenuRow (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    const MenuRow& r = rows[i];
    const auto id = static_cast<win::UINT_PTR>(r.id);
    const int flags = r.id == 0 ? kSeparatorFlag : 0;
    toolkit::SET_MENU_ITEM(menu(static_cast<long long>(i) + 1), r.caption, len(r.caption), r.hint,
                           len(r.hint), r.accelerator, len(r.accelerator), nullptr, 0, &id, &flags);
  }
}

// Items 1 to k of a menu: bit k-i of `enable` enables item i (else it is
// greyed), the same bit of `check` check-marks it. Items not set yet (the
// recent-file slots) are left alone.
void M(plat::Store1<toolkit::menu_item_t>& menu, int k, std::uint32_t enable, std::uint32_t check) {
  for (int i = 1; i <= k; ++i) {
    toolkit::menu_item_t& item = menu(i);
    if (item.marker != toolkit::kMarker || item.menu == nullptr || item.command == 0) continue;
    const std::uint32_t bit = 1U << (k - i);
    int state = (enable & bit) != 0 ? 0 : 1;
    if ((check & bit) != 0) state += 8;
    toolkit::UPDATE_MENU_ITEM(item, state);
  }
}

// The toolbar control of the main window, null when there is none.
win::HWND toolbarcontrol() {
  const toolkit::window_record_t* r = toolkit::MAIN_WINDOW_RECORD();
  return r != nullptr && r->toolbar != nullptr ? r->toolbar->window : nullptr;
}

// A button's state: 4 enabled, 8 disabled; a disabled button is hidden,
// not greyed.
void setbutton(int i, int state) {
  toolkit::toolbar_item_t& item = toolitems(i);
  toolkit::UPDATE_TOOLBAR_ITEM(item, nullptr, &state, nullptr, 0, nullptr);
  if (const win::HWND bar = toolbarcontrol())
    win::SendMessageA(bar, win::TB_HIDEBUTTON, static_cast<win::WPARAM>(item.command),
                      (state & kEnabled) == 0 ? 1 : 0);
}

// Buttons first to last: bit (last-first+1)-(i-first+1) of the mask
// enables button i, else it is disabled.
void T(int first, int last, std::uint32_t mask) {
  for (int i = first; i <= last; ++i) {
    const std::uint32_t bit = 1U << ((last - first + 1) - (i - first + 1));
    setbutton(i, (mask & bit) != 0 ? kEnabled : kHidden);
  }
}

void settip(int i, std::string_view tip) {
  toolkit::UPDATE_TOOLBAR_ITEM(toolitems(i), nullptr, nullptr, tip.data(),
                               static_cast<int>(tip.size()), nullptr);
}

std::uint32_t cpucheck() { return cputoggle ? 1U : 0U; }

void undoredo() {
  const bool undo = core::c1logtop != core::c1logbase;
  const bool redo = core::c1redolimit < core::c1logtop;
  toolkit::UPDATE_MENU_ITEM(editmenu(6), undo ? 0 : 1);
  toolkit::UPDATE_MENU_ITEM(editmenu(7), redo ? 0 : 1);
  T(9, 10, (undo ? 2U : 0U) | (redo ? 1U : 0U));
}

// The button of F-key k (2 to 9).
int fbutton(int k) { return nfixedtools - 1 + k; }

void fkeys(std::int32_t n) {
  if (n > 9) {
    // A record in `c1namen`: its length byte L, the key, L-2 characters.
    if (!core::c1namen.valid(n + 1)) return;
    const int l = static_cast<unsigned char>(core::c1namen(n));
    const int k = static_cast<unsigned char>(core::c1namen(n + 1));
    if (k < 2 || k > 9) return;
    std::string tip;
    for (int j = 0; j < l - 2 && j < 256 && core::c1namen.valid(n + 2 + j); ++j)
      tip += core::c1namen(n + 2 + j);
    settip(fbutton(k), tip);
    setbutton(fbutton(k), kEnabled);
    fkeymarks(k) = 3;
    return;
  }
  if (n == 0) {
    for (int k = 2; k <= 9; ++k) {
      if (fkeymarks(k) == 0) continue;
      setbutton(fbutton(k), kEnabled);
      fkeymarks(k) = 3;
    }
    return;
  }
  const int k = n < 0 ? -n : n;
  if (k < 2 || k > 9 || fkeymarks(k) == 0) return;
  setbutton(fbutton(k), n < 0 ? kHidden : kEnabled);
  fkeymarks(k) = n < 0 ? 1 : 3;
}

}  // namespace

void MENUTOOL() {
  fillmenu(filemenu, filerows);
  fillmenu(editmenu, editrows);
  fillmenu(gomenu, gorows);
  fillmenu(optionsmenu, optionrows);
  fillmenu(helpmenu, helprows);
  plat::Store1<toolkit::menu_item_t>* menus[] = {&filemenu, &editmenu, &gomenu, &optionsmenu,
                                                 &helpmenu};
  for (int i = 1; i <= 5; ++i) {
    const MenuRow& r = barrows[i - 1];
    const int count = i == 1 ? filecount : static_cast<int>(menus[i - 1]->size());
    toolkit::SET_MENU_ITEM(menubar(i), r.caption, len(r.caption), r.hint, len(r.hint), nullptr, 0,
                           menus[i - 1]->data(), count, nullptr, nullptr);
  }
  toolkit::RESET_PALETTE();
  const int standard = 0;
  toolkit::SET_TOOL_BITMAP_ITEM(toolbitmaps(1), nullptr, 0, &standard, nullptr, nullptr, nullptr);
  add_program_pictures();
  const win::HBITMAP own = toolkit::LOAD_BITMAP("Dirado", 6, nullptr, nullptr, 0, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr);
  const int ownimages = 16;
  toolkit::SET_TOOL_BITMAP_ITEM(toolbitmaps(2), nullptr, 0, nullptr, &own, &ownimages, nullptr);
  for (int i = 1; i <= nfixedtools; ++i) {
    const ToolRow& r = toolrows[i - 1];
    const int style = r.id == 0 ? 1 : 0;
    toolkit::SET_TOOLBAR_ITEM(toolitems(i), r.id == 0 ? nullptr : &toolbitmaps(r.own ? 2 : 1),
                              r.id == 0 ? nullptr : &r.image, &r.id, &style, nullptr, r.tooltip,
                              len(r.tooltip), nullptr);
  }
  for (int k = 2; k <= 9; ++k) {
    const int image = k + 4, id = cmd::fkey + k;
    toolkit::SET_TOOLBAR_ITEM(toolitems(fbutton(k)), &toolbitmaps(2), &image, &id, nullptr, nullptr,
                              nullptr, 0, nullptr);
  }
}

void MENUTOOLONOFF(std::string_view mode, std::int32_t n) {
  if (mode == "A0") {
    M(menubar, 5, 0b10111, 0);
    M(filemenu, 18, 0b110001111111110000, 0);
    M(editmenu, 7, 0b1111100, 0);
    M(gomenu, 5, 0b10100, cpucheck());
    M(optionsmenu, 3, 0b111, 0);
    M(helpmenu, 7, 0b0110111, 0);
    T(1, ntoolitems, 0b10000000001101011111'00000000);
    for (int k = 2; k <= 9; ++k) {
      settip(fbutton(k), undefinedtip);
      fkeymarks(k) = 0;
    }
  } else if (mode == "E0") {
    M(menubar, 5, 0b11111, 0);
    M(gomenu, 5, 0b11111, cpucheck());
    M(filemenu, 5, 0b11111, 0);
    M(helpmenu, 4, 0b1111, 0);
    T(1, ntoolitems, 0b11111111111111111111'00000000);
    undoredo();
  } else if (mode == "UR") {
    undoredo();
  } else if (mode == "t0") {
    cputoggle = !cputoggle;
    M(gomenu, 5, 0b11111, cpucheck());
  } else if (mode == "Fn") {
    fkeys(n);
  }
}

void reset_menutool() {
  for (auto* menu : {&menubar, &filemenu, &editmenu, &gomenu, &optionsmenu, &helpmenu})
    for (long long i = 1; i <= menu->size(); ++i) (*menu)(i) = toolkit::menu_item_t{};
  for (long long i = 1; i <= toolitems.size(); ++i) toolitems(i) = toolkit::toolbar_item_t{};
  for (long long i = 1; i <= toolbitmaps.size(); ++i) toolbitmaps(i) = toolkit::tool_bitmap_t{};
  for (int k = 2; k <= 9; ++k) fkeymarks(k) = 0;
  filecount = 8;
  cputoggle = false;
}

}  // namespace ide
