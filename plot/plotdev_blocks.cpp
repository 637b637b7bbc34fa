// Blocks of pixels: clearing a window, blanking an axis's text box or the
// editor's text area, and moving a block for strip-chart scrolling (the
// window's own pixels slid with it where it can).
#include <algorithm>

#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/backbrush.h"
#include "plot/devbracket.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/upcalls.h"
#include "toolkit/draw.h"

namespace plot {

namespace {

// A rectangle filled with the target's brush, the null pen outlining
// nothing (the null pen leaves the right and bottom edge out, so they are
// taken one further).
void fill(const win::RECT& r) {
  int ups = 0;
  const int null = win::PS_NULL;
  const int one = 1;
  const win::COLORREF black = 0;
  toolkit::NEW_PEN(*plotdev, &black, &null, nullptr, &one, nullptr, nullptr, &ups);
  const int l = r.left, t = r.top, rr = r.right + 1, b = r.bottom + 1;
  toolkit::DRAW_RECTANGLE(*plotdev, nullptr, nullptr, nullptr, nullptr, nullptr, &l, &t, &rr, &b,
                          nullptr, nullptr, &ups);
  reselectpen();
}

// The window's own pixels slid as the bitmap's block just did, where the
// window shows its bitmap one to one: only what waited to be repainted in
// the block, moved with it, is repainted then. False when the window must
// be repainted over the destination instead, and for a window that
// paints later (sliding pixels no one sees would cost as much as the
// bitmap's own slide).
bool slidewindow(const PxlMovArgs& a) {
  exec::wdwrec* r = exec::wdwcur;
  if (upcalls.SCROLLWDW == nullptr || r == nullptr || printing(*plotdev) ||
      plotdev->bitmap == nullptr || plotdev->bitmap != r->bitmap || paintslater(r))
    return false;
  const std::int32_t dx = a.dstx - a.srcx, dy = a.dsty - a.srcy;
  const win::RECT block{std::min(a.srcx, a.dstx), std::min(a.srcy, a.dsty),
                        std::max(a.srcx, a.dstx) + a.width, std::max(a.srcy, a.dsty) + a.height};
  if (!upcalls.SCROLLWDW(r, block, dx, dy)) return false;
  const win::RECT& u = exec::updrect;
  const win::RECT moved{std::max(u.left, a.srcx) + dx, std::max(u.top, a.srcy) + dy,
                        std::min(u.right, a.srcx + a.width) + dx,
                        std::min(u.bottom, a.srcy + a.height) + dy};
  if (moved.left < moved.right && moved.top < moved.bottom)
    growupdrect(moved.left, moved.top, moved.right, moved.bottom);
  return true;
}

void setcurrentaxisbit() {
  const int k = std::clamp(axisstate.current, 1, naxes);
  axisstate.setup |= 1U << k;
}

}  // namespace

void UQCLEAR(double colour) {
  exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr) return;
  const Bracket bracket(Bracket::Select::none);
  if (!drawing(*plotdev)) return;
  std::int32_t w = r->clientwidth, h = r->clientheight;
  if (plotdev->bitmap != nullptr) {
    win::BITMAP bm{};
    if (win::GetObjectA(plotdev->bitmap, sizeof bm, &bm) != 0) {
      w = std::max<std::int32_t>(w, bm.bmWidth);
      h = std::max<std::int32_t>(h, bm.bmHeight);
    }
  }
  exec::updrect = win::RECT{0, 0, w, h};
  BACKBRUSH(colour);
  fill(exec::updrect);
}

void UQFLUSH(std::int32_t rows, std::int32_t columns, std::int32_t toprow, std::int32_t leftcol) {
  const exec::wdwrec* w = exec::wdwcur;
  // An editor-style window that prints keeps no axis boxes.
  if (w != nullptr && (w->kind & exec::kind::editorstyle) != 0 && (w->printstate & 1) != 0) return;
  const Bracket bracket(Bracket::Select::brush);
  if (!drawing(*plotdev)) return;
  const FontSlot& g = fontslots(5);
  const bool page = printing(*plotdev);
  win::RECT box{};
  box.left = leftcol * g.cellwidth + (page ? plotdev->bounds.left : 0) + 1;
  box.top = toprow * g.cellheight + (page ? plotdev->bounds.top : 0);
  box.right = box.left + columns * g.cellwidth;
  box.bottom = box.top + rows * g.cellheight;
  axisboxes[static_cast<std::size_t>(std::clamp(axisstate.current, 1, naxes))] = box;
  fill(box);
  growupdrect(box.left, box.top, box.right, box.bottom);
  setcurrentaxisbit();
}

void UQCLEARTEXT() {
  const Bracket bracket(Bracket::Select::none);
  if (!drawing(*plotdev)) return;
  // The editor's text area: the main window's rows and columns in cells of
  // its font, from its first row and column.
  const FontSlot& f = fontslots(2);
  const win::RECT area{0, 0, exec::ncols * f.cellwidth, exec::nrows * f.cellheight - 1};
  fill(area);
}

void PXLMOV() {
  if (!drawing(*plotdev)) return;
  const PxlMovArgs& a = pxlmovargs;
  bool slid = false;
  if (a.mode == pxlmovcopy) {
    win::BitBlt(plotdev->dc, a.dstx, a.dsty, a.width, a.height, plotdev->dc, a.srcx, a.srcy,
                win::SRCCOPY);
    slid = slidewindow(a);
  } else {
    win::PatBlt(plotdev->dc, a.dstx, a.dsty, a.width, a.height, win::PATCOPY);
  }
  if (!slid) growupdrect(a.dstx, a.dsty, a.dstx + a.width, a.dsty + a.height);
  setcurrentaxisbit();
}

}  // namespace plot
