#include "ide/tooltip.h"

#include <algorithm>
#include <array>

#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/mainwindow.h"
#include "ide/panlio.h"
#include "ide/textwriters.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "platform/win_window.h"
#include "plot/fontslots.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/helpers.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/window_proc.h"
#include "toolkit/windows.h"

namespace ide {

namespace {

constexpr std::int32_t slotfont = 3;  // the tooltip's text
constexpr std::int32_t slotgrid = 2;  // the editor's character cells

void painttooltip(toolkit::draw_target_t& target) {
  const int scaling = 3;
  toolkit::DRAW_BITMAP(target, tipbitmap, nullptr, &scaling, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, &ups);
}

void makewindow() {
  // A window closed from outside leaves its bitmap behind.
  if (tipbitmap != nullptr) toolkit::DELETE_OBJECT(tipbitmap, &ups);
  tipcellh = plot::fontslots(slotfont).cellheight;
  tipbitmap = toolkit::CREATE_BITMAP(sysmetrics(metric::screenwidth), tipcellh, nullptr, &ups);
  const win::DWORD style = static_cast<win::DWORD>(toolkit::OR_FLAGS_2(
      static_cast<std::int32_t>(win::WS_POPUP), static_cast<std::int32_t>(win::WS_BORDER)));
  const int exstyle = toolkit::OR_FLAGS_3(1, 0, 0);
  const int show = 8;  // shown without activating
  const win::HWND owner = wdwhead != nullptr ? wdwhead->window : nullptr;
  std::array<char, 32> cls{};
  cls.fill(' ');
  tipwnd = toolkit::CREATE_SECONDARY_WINDOW(
      "tooltip", 7, nullptr, 0, nullptr, 0, cls.data(), static_cast<int>(cls.size()), &style,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &exstyle, nullptr, 0, nullptr, nullptr,
      &owner, nullptr, nullptr, nullptr, &show, painttooltip, KILLNONDLGWINDOW, nullptr, nullptr,
      &tipbitmap, &ups);
  tipstate = 1;
}

void show(win::HWND window, const int* x, const int* y, const int* width, const int* height,
          int command) {
  toolkit::REDEFINE_WINDOW(window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, x, y,
                           width, height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, 0, &command, nullptr, nullptr, nullptr,
                           nullptr, &ups);
}

// The screen y just below window text row `row` (1 the first) of the main
// window, counted from where its text really starts on the screen: a sum
// of the frame's, menu's and toolbar's heights misses with another toolbar
// or font and put the tip a part of a row, or a row, below its line.
int textrowbottom(std::int32_t row, std::int32_t cellheight) {
  if (wdwhead == nullptr) return row * cellheight;
  win::POINT origin{0, 0};
  if (wdwhead->window != nullptr) win::ClientToScreen(wdwhead->window, &origin);
  return origin.y + wdwhead->topoffset + kTextBelowToolbar + wdwhead->textarea[2] + row * cellheight;
}

}  // namespace

std::int32_t cursorcell() {
  return panfield.cursorcol - panfield.fieldstart - panfield.firstshown + 4;
}

void TOOLTIP(std::string_view text) {
  const win::HWND before = win::GetForegroundWindow();
  if (tipcellh != plot::fontslots(slotfont).cellheight) KILLTOOLTIPWINDOW();
  if (tipwnd == nullptr || toolkit::IS_WINDOW_VALID(tipwnd) == 0) makewindow();
  const std::size_t end = text.find_last_not_of(' ');
  if (end == std::string_view::npos) {
    show(tipwnd, nullptr, nullptr, nullptr, nullptr, 0);
    tipstate = 0;
  } else {
    const std::string_view shown = text.substr(0, end + 1);
    const int length = static_cast<int>(shown.size());
    const win::HFONT font = plot::fontslots(slotfont).font;
    const win::HFONT* fontp = font != nullptr ? &font : nullptr;
    std::array<int, 2> extent{};
    toolkit::draw_target_t target;
    toolkit::START_BITMAP_DRAW(nullptr, &tipwnd, nullptr, target, &ups);
    toolkit::GET_TEXT_EXTENT(target, shown.data(), length, fontp, nullptr, extent.data(), &ups);
    toolkit::END_BITMAP_DRAW(target, &ups);

    const std::int32_t screen = sysmetrics(metric::screenwidth);
    const plot::FontSlot& grid = plot::fontslots(slotgrid);
    const std::int32_t left = wdwhead != nullptr ? wdwhead->left : 0;
    int x = left + (cursorcell() + tipopts[2]) * grid.cellwidth - 1;
    const int width = std::min(screen, extent[0] + 2);
    x = std::max(0, std::min(x, screen - width));
    const int y = textrowbottom(panfield.screenrow + tipopts[3] - 1, grid.cellheight);
    const int height = extent[1] + 2;
    show(tipwnd, &x, &y, &width, &height, 5);
    tipstate = 1;

    setclass(4);
    const win::COLORREF fore = txtcolors[0];
    const win::COLORREF back = txtcolors[1];
    const int zero = 0;
    toolkit::draw_target_t draw;
    toolkit::START_BITMAP_DRAW(&tipbitmap, &tipwnd, nullptr, draw, &ups);
    toolkit::WRITE_TEXT(draw, shown.data(), length, nullptr, nullptr, &zero, &zero, &fore, &back,
                        fontp, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, &ups);
    toolkit::END_BITMAP_DRAW(draw, &ups);
  }
  toolkit::UPDATE_WINDOW(tipwnd, nullptr, nullptr, &ups);
  // The main window gets the focus back, unless another window (a message
  // box, a dialog) had it: the tooltip must never take it from them.
  if (wdwhead != nullptr) {
    FINDWINDOW(wdwhead->window);
    const win::HWND now = win::GetForegroundWindow();
    if (now == tipwnd || before == wdwhead->window || before == nullptr)
      toolkit::SET_FOREGROUND(wdwhead->window, &ups);
  }
}

void HIDETOOLTIP() {
  if (tipwnd == nullptr || tipstate != 1) return;
  tipstate = 0;
  if (toolkit::IS_WINDOW_VALID(tipwnd) != 0) show(tipwnd, nullptr, nullptr, nullptr, nullptr, 0);
}

void KILLTOOLTIPWINDOW() {
  if (tipwnd == nullptr) return;
  toolkit::DELETE_OBJECT(tipbitmap, &ups);
  const win::HWND w = tipwnd;
  tipwnd = nullptr;
  tipbitmap = nullptr;
  tipstate = -1;
  toolkit::CLOSE_WINDOW(w, 0);
}

}  // namespace ide
