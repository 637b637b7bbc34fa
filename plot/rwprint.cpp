// RWPRINT: text and figures into a window and onto the printer, with the
// print job kept open across calls (plot/printjob.h).
#include "plot/rwprint.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "core/messages.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "plot/devbracket.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/printjob.h"
#include "plot/printstate.h"
#include "plot/rwpass.h"
#include "plot/setups.h"
#include "plot/upcalls.h"
#include "toolkit/draw_targets.h"
#include "toolkit/scrolling.h"

namespace plot {

namespace {

constexpr std::int32_t windowfontslot = 6;
constexpr std::int32_t printerslot = 7;
constexpr std::int32_t clearcolour = 15;
constexpr char formfeed = '\f';
constexpr std::int32_t mostpieces = 1000000;

// The lines of a text: a line ends at CR LF, LF or CR; a line end at the
// very end adds no empty line.
std::vector<std::string_view> linesof(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t from = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '\r' && text[k] != '\n') continue;
    out.push_back(text.substr(from, k - from));
    if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
    from = k + 1;
  }
  if (from < text.size() || out.empty()) out.push_back(text.substr(from));
  return out;
}

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::int32_t pixels(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::trunc(std::clamp(v, -1e8, 1e8)));
}

// An alignment key ("TopLef", "BotRig", "Center"): "L" keeps the text at
// the left, else "C" centres and "R" right-aligns each line; "T" puts it at
// the top, else "B" at the bottom; "V" centres it vertically.
struct Alignment {
  char across = 0;
  char down = 0;
};

Alignment alignmentof(std::string_view key) {
  auto has = [key](char c) { return key.find(c) != std::string_view::npos; };
  Alignment a;
  if (!has('L')) a.across = has('C') ? 'C' : has('R') ? 'R' : 0;
  if (has('T'))
    a.down = 'T';
  else if (has('B'))
    a.down = 'B';
  if (has('V')) a.down = 'V';
  return a;
}

win::SIZE extent(win::HDC dc, std::string_view s) {
  win::SIZE size{};
  if (!s.empty()) win::GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
  return size;
}

// The margins and the text area from "L=", "R=", "W=", "T=", "B=", "H=".
void margins(Pass& p, exec::wdwrec& w, std::int32_t fullwidth, std::int32_t fullheight) {
  double v = 0;
  const auto size = [&](std::string_view item, std::int32_t unit, std::int32_t full,
                        std::int32_t& out) {
    if (!itemvalue(p.options, item, v)) return false;
    out = std::clamp(PXLSFROMR8(v, unit, full), -exec::marginmost, exec::marginmost);
    p.areaitem = true;
    return true;
  };
  std::int32_t px = 0;
  const bool l = size("L", p.cw, fullwidth, w.printarea[0]);
  if (l) p.left = w.printarea[0];
  const bool r = size("R", p.cw, fullwidth, w.printarea[1]);
  if (size("W", p.cw, fullwidth, px)) {
    p.width = px;
    if (r && !l)
      w.printarea[0] = fullwidth - w.printarea[1] - px - 1;
    else
      w.printarea[1] = fullwidth - (w.printarea[0] + px) - 1;
  }
  const bool t = size("T", p.ch, fullheight, w.printarea[2]);
  if (t) p.top = w.printarea[2];
  const bool b = size("B", p.ch, fullheight, w.printarea[3]);
  if (size("H", p.ch, fullheight, px)) {
    p.height = px;
    if (b && !t)
      w.printarea[2] = fullheight - w.printarea[3] - px - 1;
    else
      w.printarea[3] = fullheight - (w.printarea[2] + px) - 1 -
                       (!p.printer && &w != exec::wdwhead ? w.frameheight : 0);
  }
  for (int k = 0; k < 4; ++k) w.printarea[k] = std::max(0, w.printarea[k]);
  w.textarea[0] = w.printarea[0] / p.cw;
  w.textarea[1] = w.printarea[1] / p.cw;
  w.textarea[2] = w.printarea[2] / p.ch;
  w.textarea[3] = w.printarea[3] / p.ch;
}

// The place of the text from x and y.
void place(Pass& p, double x, double y, std::int32_t currenty, std::int32_t endx,
           std::int32_t firstwidth) {
  if (y == afterlast) {
    p.at.x = endx;
    p.at.y = currenty;
    if (p.at.x + firstwidth > p.area.right)
      p.at.x = p.area.left;
    else
      p.at.y = std::max(currenty - p.ch, p.area.top);
    return;
  }
  p.at.y = std::max(currenty, p.area.top);
  if (y != nextline) {
    std::int32_t dy = 0;
    if (y > nextline)
      dy = pixels((y - 1.0) * p.ch);
    else if (y > 0.0)
      dy = pixels(p.area.height() * y);
    else
      dy = pixels(-y);
    p.at.y = p.area.top + dy;
  }
  if (x < 0.0)
    p.at.x = p.area.left + pixels(-x);
  else if (x > 0.0 && x < 1.0)
    p.at.x = p.area.left + pixels(p.area.width() * x);
  else if (x >= 1.0)
    p.at.x = p.area.left + pixels((x - 1.0) * p.cw);
  else if (p.at.x < p.area.left)
    p.at.x = p.area.left;
}

// Columns: false when the output stops (the area is full and the user
// said so).
bool columnsof(Pass& p, std::int32_t& columns, std::string_view align, std::int32_t& currenty) {
  if (columns == pagebreak) {
    if (p.printer) {
      const Area kept = p.area;
      nextpage();
      p.area = kept;
    }
    p.at = win::POINT{p.area.left, p.area.top};
    currenty = p.area.top;
    printjob.columns = printjob.column = 0;
    return true;
  }
  if (columns == 0) return true;
  PrintJob& j = printjob;
  const std::int32_t n = std::abs(columns);
  if (n == j.columns && j.column >= 1) {
    if (currenty + p.ch > p.area.bottom || j.overflowed) {
      ++j.column;
      if (j.column > j.columns) {
        if (p.printer) {
          nextpage();
          j.prompt[0] = j.perline;
        } else {
          j.prompt[0] = currenty / p.ch;
        }
        j.column = 1;
        int answer = 1;
        if (align.find('P') == std::string_view::npos && j.prompt[2] <= 0) {
          double asked = columns;
          core::HelpValues values;
          values.words = std::span<std::int32_t>(j.prompt.data(), j.prompt.size());
          values.doubles = std::span<double>(&asked, 1);
          core::HELP("fullpage", answer, values);
          columns = static_cast<std::int32_t>(std::lround(std::clamp(asked, -1e6, 1e6)));
        }
        j.columns = std::abs(columns);
        if (j.columns < 1 || answer == 0) {
          if (p.printer) p.window->printstate |= printbit::endjob;
          return false;
        }
        if (!p.printer && align.find('0') == std::string_view::npos) {
          const win::HBRUSH b = win::CreateSolidBrush(DOSCOLTORGB(clearcolour));
          const win::SIZE s = clientsize(*p.window);
          const win::RECT all{0, 0, s.cx, s.cy};
          win::FillRect(p.target->dc, &all, b);
          win::DeleteObject(b);
        }
      }
      currenty = p.area.top;
    }
  } else {
    j.columns = n;
    j.column = 1;
    currenty = p.area.top;
  }
  const std::int32_t w = p.area.width() + 1;
  const std::int32_t left = p.area.left + (j.column - 1) * w / j.columns;
  p.area.right = std::max(left + 1, left + w / j.columns - p.cw);
  p.area.left = left;
  return true;
}

// The window's picture moved up by `pixels` inside the rectangle, the
// freed strip at its bottom filled with the text background.
void scrollup(toolkit::draw_target_t& t, const Area& a, std::int32_t pixels) {
  const std::int32_t h = a.height();
  if (pixels <= 0 || h <= 0) return;
  const std::int32_t n = std::min(pixels, h);
  if (n < h)
    win::BitBlt(t.dc, a.left, a.top, a.width(), h - n, t.dc, a.left, a.top + n, win::SRCCOPY);
  const win::RECT strip{a.left, a.bottom - n, a.right, a.bottom};
  const win::HBRUSH b = win::CreateSolidBrush(exec::txtcolors[1]);
  win::FillRect(t.dc, &strip, b);
  win::DeleteObject(b);
}

struct Call {
  std::string_view text;
  double x = 0, y = 0;
  std::int32_t columns = 0;
  std::int32_t slot = 1;
  std::string_view align;
  bool pagechanged = false;
};

void windowpass(Call& c, Pass& p) {
  exec::wdwrec& w = *p.window;
  if (w.bitmap == nullptr) return;
  toolkit::draw_target_t& t = drawtargets[target::printwindow];
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&w.bitmap, nullptr, nullptr, t, &ups);
  if (!drawing(t)) return;
  p.target = &t;
  plotdev = &t;
  FontSlot& f = fontslots(c.slot);
  if (printjob.first || c.slot == windowfontslot) {
    savefont(printjob.saved, f);
  }
  p.cw = std::max<std::int32_t>(1, f.cellwidth);
  p.ch = std::max<std::int32_t>(1, f.cellheight);
  const win::SIZE full = clientsize(w);
  if (!p.options.empty()) margins(p, w, full.cx, full.cy);
  windowarea(w);
  p.area = printjob.windowarea;
  if (!p.options.empty()) drawfigures(p);
  if (f.font != nullptr) win::SelectObject(t.dc, f.font);
  const std::vector<std::string_view> lines = linesof(c.text);
  const auto n = static_cast<std::int32_t>(lines.size());
  std::int32_t currenty = w.texty;
  bool go = columnsof(p, c.columns, c.align, currenty);
  if (go && !c.text.empty()) {
    place(p, c.x, c.y, currenty, w.textx, extent(t.dc, lines[0]).cx);
    const Alignment al = alignmentof(c.align);
    if (al.down == 'T') p.at.y = p.area.top;
    if (al.down == 'B') p.at.y = std::max(p.area.top, p.area.bottom - n * p.ch);
    if (al.down == 'V')
      p.at.y = std::max(p.area.top, p.area.top + (p.area.height() - n * p.ch) / 2);
    const bool positioned = c.y != nextline && c.y != afterlast;
    if (!printjob.first && !c.pagechanged && !p.areaitem && !p.figureitem && al.down == 0 &&
        !positioned && printjob.columns <= 1 && p.options.find("WYS") == std::string_view::npos) {
      std::int32_t overflow = n * p.ch + p.at.y - p.area.bottom;
      if (&w != exec::wdwhead) overflow += 2 * w.frameheight + w.topoffset;
      if (overflow >= 0 && p.at.y > p.area.top) {
        scrollup(t, p.area, overflow + 1);
        p.at.y = std::max(0, p.at.y - (overflow + 1));
        growupdrect(p.area.left, p.area.top, p.area.right, p.area.bottom);
      }
    }
    win::SetTextColor(t.dc, exec::txtcolors[0]);
    win::SetBkColor(t.dc, exec::txtcolors[1]);
    win::SetBkMode(t.dc, win::OPAQUE);
    // "GRID": each character centred in its own character cell, over the
    // cells' background, whatever the font's own advance.
    const bool cells = p.options.find("GRID") != std::string_view::npos;
    std::int32_t endx = p.at.x;
    for (std::int32_t k = 0; k < n; ++k) {
      const std::string_view l = lines[static_cast<std::size_t>(k)];
      const win::SIZE s =
          cells ? win::SIZE{static_cast<std::int32_t>(l.size()) * p.cw, p.ch} : extent(t.dc, l);
      std::int32_t lx = p.at.x;
      if (al.across == 'C') lx = std::max(p.area.left, p.area.left + (p.area.width() - s.cx) / 2);
      if (al.across == 'R') lx = std::max(p.area.left, p.area.right - s.cx);
      const std::int32_t ly = p.at.y + k * p.ch;
      if (cells) {
        const win::RECT box{lx, ly, lx + s.cx, ly + p.ch};
        win::ExtTextOutA(t.dc, lx, ly, win::ETO_OPAQUE, &box, "", 0, nullptr);
        win::SetBkMode(t.dc, win::TRANSPARENT);
        for (std::size_t i = 0; i < l.size(); ++i) {
          if (l[i] == ' ') continue;
          const std::int32_t x = lx + static_cast<std::int32_t>(i) * p.cw +
                                 (p.cw - extent(t.dc, l.substr(i, 1)).cx) / 2;
          win::TextOutA(t.dc, x, ly, l.data() + i, 1);
        }
        win::SetBkMode(t.dc, win::OPAQUE);
      } else {
        win::TextOutA(t.dc, lx, ly, l.data(), static_cast<int>(l.size()));
      }
      endx = lx + s.cx;
    }
    growupdrect(p.area.left, p.at.y, p.area.right, p.at.y + n * p.ch);
    printjob.lastlineheight = std::max(n, 1) * p.ch;
    w.textx = endx;
    w.texty = p.at.y + std::max(n, 1) * p.ch;
  } else if (go && c.columns != 0) {
    w.texty = currenty;
  }
  toolkit::END_BITMAP_DRAW(t, &ups);
  if (p.options.find("NOUP") == std::string_view::npos && w.window != nullptr) {
    const int erase = 0;
    toolkit::UPDATE_WINDOW(w.window, &erase, nullptr, &ups);
  }
}

// One piece of printed text, wrapped at the text area's right edge; false
// when the printer failed.
bool printpiece(Pass& p, std::string_view piece, bool breakpages) {
  toolkit::draw_target_t& t = *p.target;
  const std::int32_t startx = p.at.x;
  const std::int32_t room = std::max<std::int32_t>(p.area.right - startx, p.cw);
  int guard = 0;
  do {
    std::size_t n = piece.size();
    while (n > 1 && extent(t.dc, piece.substr(0, n)).cx > room) {
      // Back to the last blank that fits, else one character less.
      const std::size_t blankat = piece.substr(0, n - 1).find_last_of(' ');
      n = blankat != std::string_view::npos && blankat > 0 ? blankat : n - 1;
    }
    if (breakpages && p.at.y + p.ch > p.area.bottom && p.at.y > p.area.top) {
      nextpage();
      p.at = win::POINT{startx, printjob.printerat.y};
    }
    const std::string_view line = piece.substr(0, n);
    if (!line.empty() &&
        win::TextOutA(t.dc, p.at.x, p.at.y, line.data(), static_cast<int>(line.size())) == 0)
      return false;
    printjob.printerendx = p.at.x + extent(t.dc, line).cx;
    p.at.y += p.ch;
    piece.remove_prefix(n);
    // A line broken at a blank goes on after it.
    if (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
  } while (!piece.empty() && ++guard < mostpieces);
  return true;
}

void printerpass(Call& c, Pass& p) {
  exec::wdwrec& w = *p.window;
  toolkit::draw_target_t& t = drawtargets[target::printer];
  p.target = &t;
  plotdev = &t;
  p.printer = true;
  if ((w.printstate & printbit::newpage) != 0) {
    w.printstate &= ~printbit::newpage;
    nextpage();
    c.pagechanged = true;
  }
  p.cw = printjob.printercw;
  p.ch = printjob.printerch;
  if (!p.options.empty()) {
    const std::int32_t fullwidth = printjob.pagearea.width();
    const std::int32_t fullheight = printjob.pagearea.height();
    margins(p, w, fullwidth, fullheight);
    if (p.areaitem) {
      exec::wdwrec* const current = exec::wdwcur;
      exec::wdwcur = &w;
      SETUPSPRINTER(1);
      exec::wdwcur = current;
      printjob.printerat = win::POINT{printjob.printerarea.left, printjob.printerarea.top};
    }
  }
  p.area = printjob.printerarea;
  t.bounds = win::RECT{p.area.left, p.area.top, p.area.right, p.area.bottom};
  if (!p.options.empty()) drawfigures(p);
  const win::HFONT font = fontslots(printerslot).font;
  if (font != nullptr) win::SelectObject(t.dc, font);
  std::int32_t currenty = printjob.printerat.y;
  if (!columnsof(p, c.columns, c.align, currenty)) return;
  if (c.text.empty()) {
    printjob.printerat.y = currenty;
    return;
  }
  const std::vector<std::string_view> lines = linesof(c.text);
  place(p, c.x, c.y, currenty, printjob.printerendx, extent(t.dc, lines[0]).cx);
  const bool breakpages = printjob.columns == 0 && !printjob.wys;
  win::SetTextColor(t.dc, exec::txtcolors[0]);
  win::SetBkMode(t.dc, win::TRANSPARENT);
  printjob.overflowed = false;
  const std::int32_t startx = p.at.x;
  std::string_view rest = c.text;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\f\r\n");
    const std::string_view piece = rest.substr(0, end);
    if (!piece.empty() || end != std::string_view::npos) {
      if (!printpiece(p, piece, breakpages)) {
        w.printstate |= printbit::endjob;
        break;
      }
      p.at.x = startx;
    }
    if (end == std::string_view::npos) break;
    std::size_t skip = 1;
    if (rest[end] == formfeed) {
      nextpage();
      p.at = win::POINT{startx, printjob.printerat.y};
      c.pagechanged = true;
    } else if (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') {
      skip = 2;
    }
    rest.remove_prefix(end + skip);
  }
  if (p.at.y > p.area.bottom) printjob.overflowed = true;
  printjob.printerat = p.at;
}

// Whether the job stays open for this call.
bool jobstays(const exec::wdwrec& w, const exec::wdwrec& state) {
  if (!printjob.open) return false;
  if ((state.printstate & printbit::printer) != 0 && !printjob.declined)
    return printing(drawtargets[target::printer]);
  return printjob.window == w.window;
}

void openjob(exec::wdwrec& w, exec::wdwrec& state, std::string_view options, std::int32_t slot,
             std::int32_t& status) {
  const std::int32_t ps = state.printstate;
  printjob.wys = options.find("WYS") != std::string_view::npos;
  double ls = 0;
  bool landscape = (ps & printbit::landscape) != 0;
  if (itemvalue(options, "LS", ls)) {
    landscape = ls > 0;
    if (landscape != printjob.landscape) status = orientationchanged;
  }
  printjob.landscape = landscape;
  printjob.window = w.window;
  if (&w != exec::wdwhead) w.fontslot = slot;
  windowarea(w);
  printjob.columns = printjob.column = 0;
  printjob.prompt.fill(0);
  if ((ps & printbit::printer) != 0 && !printing(drawtargets[target::printer])) {
    // The window pass comes first: it saves the window's font for paper.
    if ((ps & printbit::window) != 0) {
      savefont(printjob.saved, fontslots(slot));
    }
    printjob.declined = !startprinter(w, options, status) && printjob.failure == 0;
    if (!printjob.declined) printjob.page = 0;
  }
  printjob.open = true;
  printjob.first = true;
}

}  // namespace

void RWPRINT(std::string_view text, double x, double y, std::int32_t& columns, std::int32_t slot,
             std::string_view align, std::string_view options, exec::wdwrec* window,
             std::int32_t& status) {
  status = 0;
  exec::wdwrec* r = window != nullptr ? window : exec::wdwhead;
  if (r == nullptr) return;
  if (!fontslots.valid(slot)) slot = 1;
  if (blank(options)) options = {};
  const bool figure = !options.empty() && text.empty();
  if (r == exec::wdwhead && exec::windowlessrun && !figure && !text.empty() &&
      ((r->printstate & printbit::window) != 0 || (r->printstate & printbit::printer) == 0)) {
    for (std::string_view l : linesof(text)) {
      // The blanks that end a line stay in the window.
      while (!l.empty() && l.back() == ' ') l.remove_suffix(1);
      if (exec::standardout == nullptr || !exec::standardout(l)) status = 1;
    }
  }
  exec::wdwrec* const entrywindow = exec::wdwcur;
  toolkit::draw_target_t* const entrydev = plotdev;
  // The print state is the current window's; callers make it the same.
  exec::wdwrec& state = exec::wdwcur != nullptr ? *exec::wdwcur : *r;
  const std::int32_t ps = state.printstate;
  const bool toprinter = (ps & printbit::printer) != 0;
  const bool towindow = (ps & printbit::window) != 0 || !toprinter;
  if (!jobstays(*r, state)) {
    if (printing(drawtargets[target::printer]) && !toprinter) endprinter();
    openjob(*r, state, options, slot, status);
  } else {
    printjob.first = false;
  }
  Call c{text, x, y, columns, slot, align, false};
  const std::int32_t asked = columns;
  if (towindow) {
    Pass p;
    p.window = r;
    p.slot = slot;
    p.options = options;
    windowpass(c, p);
  }
  if (toprinter && printing(drawtargets[target::printer])) {
    Pass p;
    p.window = r;
    p.slot = slot;
    p.options = options;
    c.columns = asked;
    printerpass(c, p);
  }
  columns = c.columns == pagebreak ? 0 : std::abs(c.columns);
  printjob.font = fontslots(slot).font;
  if (!blank(options) && options.front() > ' ') printjob.marker = fontslots(slot).font;
  // The end of the job.
  if ((state.printstate & printbit::endjob) != 0) {
    if ((state.printstate & printbit::printer) != 0) endprinter();
    printjob.window = nullptr;
    state.printstate = 0;
    printjob.open = false;
    printjob.declined = false;
  }
  printjob.first = false;
  plotdev = entrydev;
  exec::wdwcur = entrywindow;
  printfailure = takeprintfailure();
  if (printfailure != 0) status = printfailure;
}

}  // namespace plot
