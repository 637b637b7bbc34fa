#include "ide/tooltip.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/stores.h"
#include "ide/editorwords.h"
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
  // (As high as the screen: a wrapped hint has as many rows as it needs.)
  tipbitmap = toolkit::CREATE_BITMAP(sysmetrics(metric::screenwidth),
                                     std::max(sysmetrics(metric::screenheight), tipcellh), nullptr,
                                     &ups);
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

// The editor's text area on the screen.
struct Area {
  int left = 0, top = 0, right = 0, bottom = 0;
};
Area editorarea(std::int32_t cellheight) {
  const int screen = sysmetrics(metric::screenwidth);
  if (wdwhead == nullptr || wdwhead->window == nullptr) return {0, 0, screen, screen};
  win::POINT origin{0, 0};
  win::ClientToScreen(wdwhead->window, &origin);
  Area a;
  a.left = origin.x;
  a.right = origin.x + std::max(textwidth - vscrollwidth, 0);
  a.top = textrowbottom(0, cellheight);
  a.bottom = a.top + std::max(textheight, 0);
  return a;
}

int textwidthof(toolkit::draw_target_t& target, std::string_view text, const win::HFONT* font) {
  std::array<int, 2> extent{};
  toolkit::GET_TEXT_EXTENT(target, text.data(), static_cast<int>(text.size()), font, nullptr,
                           extent.data(), &ups);
  return extent[0];
}

// The text in rows at most `room` pixels wide, broken at blanks and after
// commas (an option list is one long run of words and commas); a word
// wider than the room at the character that no longer fits.
std::vector<std::string> wrapped(toolkit::draw_target_t& target, std::string_view text, int room,
                                 const win::HFONT* font) {
  std::vector<std::string> rows;
  std::string row;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t next = text.find(' ', at + 1);
    if (const std::size_t comma = text.find(',', at); comma != std::string_view::npos)
      next = std::min(next, comma + 1);
    next = std::min(next, text.size());
    const std::string_view word = text.substr(at, next - at);
    if (textwidthof(target, row + std::string(word), font) <= room) {
      row += word;
      at = next;
      continue;
    }
    if (!row.empty() && row.find_first_not_of(' ') != std::string::npos) {
      rows.push_back(row);
      row.clear();
      at = text.find_first_not_of(' ', at);
      if (at == std::string_view::npos) break;
      continue;
    }
    // A word alone wider than the room.
    std::size_t n = 1;
    while (n < word.size() && textwidthof(target, word.substr(0, n + 1), font) <= room) ++n;
    rows.emplace_back(word.substr(0, n));
    row.clear();
    at += n;
  }
  if (!row.empty()) rows.push_back(row);
  return rows;
}

// The line in the line input, without its line end.
std::string typedline() {
  const std::string_view s(edlinebuf.data() + 1, edlinebuf.size() - 1);
  return std::string(s.substr(0, std::min(s.find('\r'), s.size())));
}

// Whether a tip at screen x, y of the size would hide code of the rows it
// covers: a character other than a blank of their lines under it. The
// line input's row shows the line being typed; the other rows their lines
// of the text, shifted sideways as the input's line is.
bool hidescode(const Area& area, int x, int y, int width, int height, std::int32_t cellwidth,
               std::int32_t cellheight) {
  if (cellwidth <= 0 || cellheight <= 0) return false;
  const int first = (x - area.left) / cellwidth + 1;
  const int last = (x + width - 1 - area.left) / cellwidth + 1;
  for (std::int32_t row = 1; textrowbottom(row - 1, cellheight) < area.bottom; ++row) {
    const int top = textrowbottom(row - 1, cellheight);
    // (A sliver of a row's top or bottom, where no character reaches, is
    // not covering it.)
    const int overlap = std::min(top + cellheight, y + height) - std::max(top, y);
    if (overlap <= cellheight / 4) continue;
    const std::int32_t line = edloadline + row - panfield.screenrow;
    if (line < 1 || line > core::nedlines) continue;
    const std::string text = line == edloadline ? typedline() : core::linetext(line);
    for (std::size_t j = 0; j < text.size(); ++j) {
      if (text[j] == ' ') continue;
      const std::int32_t column =
          cursorcell() + static_cast<std::int32_t>(j + 1) - panfield.cursorcol;
      if (column >= first && column <= last) return true;
    }
  }
  return false;
}

}  // namespace

std::int32_t cursorcell() {
  return panfield.cursorcol - panfield.fieldstart - panfield.firstshown + 4;
}

void TOOLTIP(std::string_view text, bool clearofcode) {
  const win::HWND before = win::GetForegroundWindow();
  if (tipcellh != plot::fontslots(slotfont).cellheight) KILLTOOLTIPWINDOW();
  if (tipwnd == nullptr || toolkit::IS_WINDOW_VALID(tipwnd) == 0) makewindow();
  const std::size_t end = text.find_last_not_of(' ');
  if (end == std::string_view::npos) {
    show(tipwnd, nullptr, nullptr, nullptr, nullptr, 0);
    tipstate = 0;
  } else {
    const std::string_view shown = text.substr(0, end + 1);
    const win::HFONT font = plot::fontslots(slotfont).font;
    const win::HFONT* fontp = font != nullptr ? &font : nullptr;
    const plot::FontSlot& grid = plot::fontslots(slotgrid);
    const Area area = editorarea(grid.cellheight);
    const int areawidth = std::max(area.right - area.left, 3);
    const std::int32_t left = wdwhead != nullptr ? wdwhead->left : 0;
    const int cursorx = left + (cursorcell() + tipopts[2]) * grid.cellwidth - 1;

    // The hint stands inside the editor, never cut: it begins at the
    // cursor and is wrapped to the room right of it; when that room is less
    // than half the editor, to the editor's width, moved left as far as it
    // must.
    toolkit::draw_target_t target;
    toolkit::START_BITMAP_DRAW(nullptr, &tipwnd, nullptr, target, &ups);
    const int room = area.right - std::clamp(cursorx, area.left, area.right);
    const int wrapat = (room >= areawidth / 2 ? room : areawidth) - 2;
    const std::vector<std::string> rows = wrapped(target, shown, std::max(wrapat, 1), fontp);
    int widest = 0;
    for (const std::string& r : rows) widest = std::max(widest, textwidthof(target, r, fontp));
    std::array<int, 2> extent{};
    toolkit::GET_TEXT_EXTENT(target, shown.data(), static_cast<int>(shown.size()), fontp, nullptr,
                             extent.data(), &ups);
    const int blank = std::max(textwidthof(target, " ", fontp), 1);
    toolkit::END_BITMAP_DRAW(target, &ups);

    const int rowheight = extent[1];
    const int width = std::min(widest + 2, areawidth);
    const int height = static_cast<int>(rows.size()) * rowheight + 2;
    const int x = std::max(area.left, std::min(cursorx, area.right - width));
    // Below its line; where the editor has no room below, above it.
    int y = textrowbottom(panfield.screenrow + tipopts[3] - 1, grid.cellheight);
    const int above = textrowbottom(panfield.screenrow - 1, grid.cellheight) - height;
    if (y + height > area.bottom) y = above;
    y = std::max(y, area.top);
    int tipx = x;
    if (clearofcode && hidescode(area, x, y, width, height, grid.cellwidth, grid.cellheight)) {
      // A tip of a line that is not being typed hides no code: above its
      // line, or else on its row right of its text.
      const std::int32_t trimmed = core::C1LEN_TRIM(typedline());
      const int beside =
          area.left + (cursorcell() + trimmed + 1 - panfield.cursorcol) * grid.cellwidth;
      const int rowtop = textrowbottom(panfield.screenrow - 1, grid.cellheight);
      if (above >= area.top &&
          !hidescode(area, x, above, width, height, grid.cellwidth, grid.cellheight)) {
        y = above;
      } else if (beside + width <= area.right && rowtop + height <= area.bottom &&
                 !hidescode(area, beside, rowtop, width, height, grid.cellwidth, grid.cellheight)) {
        tipx = beside;
        y = rowtop;
      }
    }
    show(tipwnd, &tipx, &y, &width, &height, 5);
    tipstate = 1;

    setclass(4);
    const win::COLORREF fore = txtcolors[0];
    const win::COLORREF back = txtcolors[1];
    const int zero = 0;
    toolkit::draw_target_t draw;
    toolkit::START_BITMAP_DRAW(&tipbitmap, &tipwnd, nullptr, draw, &ups);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      // Each row filled with blanks to the window's right edge.
      const std::string row = rows[k] + std::string(static_cast<std::size_t>(width / blank + 2), ' ');
      const int rowy = static_cast<int>(k) * rowheight;
      toolkit::WRITE_TEXT(draw, row.data(), static_cast<int>(row.size()), nullptr, nullptr, &zero,
                          &rowy, &fore, &back, fontp, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    }
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
