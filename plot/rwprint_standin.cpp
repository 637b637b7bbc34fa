// RWPRINT until printing comes: text and straight lines into a window's
// backing bitmap; nothing is printed.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "plot/printstate.h"
#include "plot/rwprint.h"
#include "plot/upcalls.h"
#include "toolkit/draw_targets.h"
#include "toolkit/scrolling.h"

namespace plot {

namespace {

constexpr std::int32_t toprinter = 0x1;

// The lines of a text, split at CR LF (a lone CR or LF ends a line too).
std::vector<std::string_view> linesof(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t from = 0;
  for (std::size_t k = 0; k <= text.size(); ++k) {
    if (k < text.size() && text[k] != '\r' && text[k] != '\n') continue;
    out.push_back(text.substr(from, k - from));
    if (k + 1 < text.size() && text[k] == '\r' && text[k + 1] == '\n') ++k;
    from = k + 1;
  }
  return out;
}

// The number after the marker in the options; false when none stands there.
bool numberafter(std::string_view options, std::string_view marker, double& value) {
  const std::size_t at = options.find(marker);
  if (at == std::string_view::npos) return false;
  const char* p = options.data() + at + marker.size();
  const char* end = options.data() + options.size();
  while (p < end && *p == ' ') ++p;
  return std::from_chars(p, end, value).ec == std::errc();
}

// The numbers after "LI=", up to the first that cannot be read.
std::vector<double> pointlist(std::string_view options) {
  std::vector<double> out;
  const std::size_t at = options.find("LI=");
  if (at == std::string_view::npos) return out;
  const char* p = options.data() + at + 3;
  const char* end = options.data() + options.size();
  for (;;) {
    while (p < end && (*p == ' ' || *p == ',' || *p == '^')) ++p;
    double v = 0;
    const auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc()) break;
    out.push_back(v);
    p = r.ptr;
  }
  return out;
}

std::int32_t pixels(double v) {
  return static_cast<std::int32_t>(std::trunc(std::clamp(v, -1e8, 1e8)));
}

struct Area {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

Area textarea(const exec::wdwrec& r, const win::BITMAP& bm) {
  Area a;
  const bool child = &r != exec::wdwhead;
  const std::int32_t width = r.clientwidth > 0 ? r.clientwidth : bm.bmWidth;
  const std::int32_t height = r.clientheight > 0 ? r.clientheight : bm.bmHeight;
  a.left = child ? r.printarea[0] : 0;
  a.top = child ? r.printarea[2] : 0;
  a.right = std::max(a.left + 1, width - (child ? r.printarea[1] : 0));
  a.bottom = std::max(a.top + 1, height - (child ? r.printarea[3] : 0));
  return a;
}

void drawlines(exec::wdwrec& r, toolkit::draw_target_t& t, const Area& a, std::int32_t cw,
               std::int32_t ch, std::string_view options) {
  const std::vector<double> v = pointlist(options);
  if (v.size() < 4) return;
  const bool cells = options.find("CHA") != std::string_view::npos;
  std::vector<win::POINT> points;
  for (std::size_t k = 0; k + 1 < v.size(); k += 2) {
    if (cells)
      points.push_back(
          {pixels(v[k] * cw - cw / 2.0) + a.left, pixels(v[k + 1] * ch - ch / 2.0) + a.top});
    else
      points.push_back({pixels(v[k]), pixels(v[k + 1])});
  }
  double fc = 0;
  const win::COLORREF colour =
      numberafter(options, "FC=", fc) ? exec::colour(pixels(fc)) : exec::txtcolors[0];
  const win::HPEN pen = win::CreatePen(0, 1, colour);
  const win::HGDIOBJ old = win::SelectObject(t.dc, pen);
  win::Polyline(t.dc, points.data(), static_cast<int>(points.size()));
  win::SelectObject(t.dc, old);
  win::DeleteObject(pen);
  (void)r;
}

// The place of the text from x and y; lines: how many it has.
win::POINT placeof(exec::wdwrec& r, const Area& a, double x, double y, std::int32_t cw,
                   std::int32_t ch, std::int32_t firstwidth) {
  win::POINT p{a.left, std::max(r.texty, a.top)};
  if (y == afterlast) {
    p.x = r.textx;
    if (p.x + firstwidth > a.right) {
      p.x = a.left;
    } else {
      p.y = std::max(r.texty - ch, a.top);
    }
    return p;
  }
  if (y != nextline) {
    std::int32_t dy = 0;
    if (y > nextline) {
      dy = pixels((y - 1.0) * ch);
    } else if (y > 0.0) {
      dy = pixels((a.bottom - a.top) * y);
    } else {
      dy = pixels(-y);
    }
    p.y = a.top + dy;
  }
  std::int32_t dx = 0;
  if (x < 0.0) {
    dx = pixels(-x);
  } else if (x > 0.0 && x < 1.0) {
    dx = pixels((a.right - a.left) * x);
  } else if (x >= 1.0) {
    dx = pixels((x - 1.0) * cw);
  }
  p.x = a.left + dx;
  return p;
}

// An alignment key ("TopLef", "BotRig", "Center"): its capitals place the
// text in the text area. "L" keeps it at the left, else "C" centres and
// "R" right-aligns each line; "T" puts it at the top, else "B" at the
// bottom; "V" centres it vertically. A key without these places nothing.
struct Alignment {
  char across = 0;  // 'C' or 'R'
  char down = 0;    // 'T', 'B' or 'V'
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

// A text that would end below the area moves the area's picture up.
void scrollup(toolkit::draw_target_t& t, const Area& a, std::int32_t& y, std::int32_t height) {
  const std::int32_t over = y + height - a.bottom;
  if (over <= 0 || y <= a.top) return;
  const std::int32_t shift = std::min(over, y - a.top);
  win::BitBlt(t.dc, a.left, a.top, a.right - a.left, a.bottom - a.top - shift, t.dc, a.left,
              a.top + shift, win::SRCCOPY);
  const win::RECT strip{a.left, a.bottom - shift, a.right, a.bottom};
  const win::HBRUSH b = win::CreateSolidBrush(exec::txtcolors[1]);
  win::FillRect(t.dc, &strip, b);
  win::DeleteObject(b);
  y -= shift;
}

}  // namespace

void RWPRINT(std::string_view text, double x, double y, std::int32_t& columns, std::int32_t slot,
             std::string_view align, std::string_view options, exec::wdwrec* window,
             std::int32_t& status) {
  (void)columns;
  status = 0;
  exec::wdwrec* r = window != nullptr ? window : exec::wdwhead;
  if (r == nullptr) return;
  if ((r->printstate & toprinter) != 0) return upcallmissing();
  // A call without text draws what its options ask for.
  const bool figure =
      options.find("LI=") != std::string_view::npos || (text.empty() && !options.empty());
  const std::vector<std::string_view> lines = linesof(text);
  if (r == exec::wdwhead && exec::windowlessrun && !figure) {
    for (std::string_view l : lines) {
      // The blanks that end a line stay in the window.
      while (!l.empty() && l.back() == ' ') l.remove_suffix(1);
      if (exec::standardout == nullptr || !exec::standardout(l)) status = 1;
    }
  }
  if (r->bitmap == nullptr) return;
  toolkit::draw_target_t t;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&r->bitmap, nullptr, nullptr, t, &ups);
  if (t.marker == 0) return;
  win::BITMAP bm{};
  win::GetObjectA(r->bitmap, sizeof bm, &bm);
  const Area a = textarea(*r, bm);
  const FontSlot& f = fontslots(fontslots.valid(slot) ? slot : 1);
  const std::int32_t cw = std::max<std::int32_t>(1, f.cellwidth);
  const std::int32_t ch = std::max<std::int32_t>(1, f.cellheight);
  if (f.font != nullptr) win::SelectObject(t.dc, f.font);
  if (figure) {
    drawlines(*r, t, a, cw, ch, options);
  } else {
    win::SIZE first{};
    if (!lines.empty())
      win::GetTextExtentPoint32A(t.dc, lines[0].data(), static_cast<int>(lines[0].size()), &first);
    win::POINT p = placeof(*r, a, x, y, cw, ch, first.cx);
    const auto n = static_cast<std::int32_t>(lines.size());
    const Alignment al = alignmentof(align);
    if (al.down == 'T') p.y = a.top;
    if (al.down == 'B') p.y = std::max(a.top, a.bottom - n * ch);
    if (al.down == 'V') p.y = std::max(a.top, a.top + (a.bottom - a.top - n * ch) / 2);
    if (r != exec::wdwhead && al.down == 0) scrollup(t, a, p.y, n * ch);
    win::SetTextColor(t.dc, exec::txtcolors[0]);
    win::SetBkColor(t.dc, exec::txtcolors[1]);
    win::SetBkMode(t.dc, win::OPAQUE);
    std::int32_t endx = p.x;
    for (std::int32_t k = 0; k < n; ++k) {
      const std::string_view l = lines[static_cast<std::size_t>(k)];
      win::SIZE s{};
      win::GetTextExtentPoint32A(t.dc, l.data(), static_cast<int>(l.size()), &s);
      std::int32_t lx = p.x;
      if (al.across == 'C') lx = std::max(a.left, a.left + (a.right - a.left - s.cx) / 2);
      if (al.across == 'R') lx = std::max(a.left, a.right - s.cx);
      win::TextOutA(t.dc, lx, p.y + k * ch, l.data(), static_cast<int>(l.size()));
      endx = lx + s.cx;
    }
    r->textx = endx;
    r->texty = p.y + std::max(n, 1) * ch;
  }
  toolkit::END_BITMAP_DRAW(t, &ups);
  if (options.find("NOUP") == std::string_view::npos && r->window != nullptr) {
    const int erase = 0;
    toolkit::UPDATE_WINDOW(r->window, &erase, nullptr, &ups);
  }
}

}  // namespace plot
