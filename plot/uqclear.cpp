#include "plot/uqclear.h"

#include "exec/windowlist.h"
#include "plot/backbrush.h"
#include "toolkit/draw_targets.h"

namespace plot {

void UQCLEAR(double colour) {
  exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr || r->bitmap == nullptr) return;
  toolkit::draw_target_t t;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&r->bitmap, nullptr, nullptr, t, &ups);
  if (t.marker == 0) return;
  win::BITMAP bm{};
  win::GetObjectA(r->bitmap, sizeof bm, &bm);
  const win::RECT whole{0, 0, bm.bmWidth, bm.bmHeight};
  win::FillRect(t.dc, &whole, BACKBRUSH(colour));
  toolkit::END_BITMAP_DRAW(t, &ups);
}

}  // namespace plot
