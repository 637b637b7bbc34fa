#include "ide/qbitmap.h"

#include <algorithm>
#include <cstdlib>

#include "ide/idewords.h"
#include "plot/fontslots.h"
#include "toolkit/draw_targets.h"

namespace ide {

void BITMAPACTION(wdwrec& record, std::int32_t rowshift, std::int32_t colshift,
                  std::int32_t firstrow, std::int32_t firstcol, std::int32_t rowskeep,
                  std::int32_t colskeep) {
  std::int32_t slot = record.fontslot;
  if (slot == 0 && wdwhead != nullptr) slot = wdwhead->fontslot;
  if (!plot::fontslots.valid(slot)) slot = 2;
  const std::int32_t ch = std::max<std::int32_t>(1, plot::fontslots(slot).cellheight);
  const std::int32_t cw = std::max<std::int32_t>(1, plot::fontslots(slot).cellwidth);
  if (record.bitmap == nullptr) return;
  toolkit::draw_target_t t;
  int status = 0;
  toolkit::START_BITMAP_DRAW(&record.bitmap, nullptr, nullptr, t, &status);
  if (t.marker == 0) return;
  // The record's background colour number, a real (15.0, white, at creation).
  const win::HBRUSH brush =
      win::CreateSolidBrush(colour(static_cast<std::int32_t>(record.tablescale)));
  const win::HGDIOBJ before = win::SelectObject(t.dc, brush);
  // The moved area, kept inside the bitmap.
  win::BITMAP bm{};
  win::GetObjectA(record.bitmap, sizeof bm, &bm);
  const std::int32_t x0 = firstcol * cw, y0 = firstrow * ch;
  std::int32_t height = ch * (record.clientheight / ch) - (firstrow + rowskeep) * ch;
  std::int32_t width = cw * (record.clientwidth / cw) - (firstcol + colskeep) * cw;
  height = std::clamp(height, 0, std::max(0, static_cast<std::int32_t>(bm.bmHeight) - y0));
  width = std::clamp(width, 0, std::max(0, static_cast<std::int32_t>(bm.bmWidth) - x0));
  if (rowshift != 0 && width > 0) {
    const std::int32_t d = std::min(std::abs(rowshift) * ch, height);
    const std::int32_t kept = height - d;
    if (rowshift < 0) {
      win::BitBlt(t.dc, x0, y0 + d, width, kept, t.dc, x0, y0, win::SRCCOPY);
      win::PatBlt(t.dc, x0, y0, width, d, win::PATCOPY);
    } else {
      win::BitBlt(t.dc, x0, y0, width, kept, t.dc, x0, y0 + d, win::SRCCOPY);
      win::PatBlt(t.dc, x0, y0 + kept, width, d, win::PATCOPY);
    }
  }
  if (colshift != 0 && height > 0) {
    const std::int32_t d = std::min(std::abs(colshift) * cw, width);
    const std::int32_t kept = width - d;
    if (colshift < 0) {
      win::BitBlt(t.dc, x0 + d, y0, kept, height, t.dc, x0, y0, win::SRCCOPY);
      win::PatBlt(t.dc, x0, y0, d, height, win::PATCOPY);
    } else {
      win::BitBlt(t.dc, x0, y0, kept, height, t.dc, x0 + d, y0, win::SRCCOPY);
      win::PatBlt(t.dc, x0 + kept, y0, d, height, win::PATCOPY);
    }
  }
  win::SelectObject(t.dc, before);
  win::DeleteObject(brush);
  toolkit::END_BITMAP_DRAW(t, &status);
}

std::int32_t GETTABBEDTEXTWIDTH(win::HDC dc, std::string_view text, std::int32_t count) {
  text = text.substr(0, static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, text.size())));
  win::TEXTMETRICA tm{};
  win::GetTextMetricsA(dc, &tm);
  const std::int32_t stop = std::max<std::int32_t>(1, 8 * tm.tmAveCharWidth);
  std::int32_t x = 0;
  for (;;) {
    const std::size_t tab = text.find('\t');
    const std::string_view piece = text.substr(0, tab);
    win::SIZE sz{};
    if (!piece.empty())
      win::GetTextExtentPoint32A(dc, piece.data(), static_cast<int>(piece.size()), &sz);
    x += sz.cx;
    if (tab == std::string_view::npos) break;
    x = (x / stop + 1) * stop;
    text.remove_prefix(tab + 1);
  }
  return x & 0xFFFF;
}

}  // namespace ide
