// The editor's screen: the rows of the main window kept in step with the
// edit buffer. View row r (from 1) shows line r + `edfirstline` - 1 and is
// drawn on window row r - 1 + `edtoprow`, where the line input draws its
// line too.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "ide/editorwords.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/qbitmap.h"
#include "ide/textwriters.h"
#include "ide/windowlist.h"
#include "plot/fontslots.h"

namespace ide {

namespace {

bool selected(std::int32_t line) {
  if (edselfrom == 0 || edselto == 0) return false;
  return line >= std::min(edselfrom, edselto) && line <= std::max(edselfrom, edselto);
}

std::int32_t cellheight() {
  const std::int32_t s = wdwhead != nullptr ? wdwhead->fontslot : 2;
  return std::max<std::int32_t>(1, plot::fontslots(plot::fontslots.valid(s) ? s : 2).cellheight);
}

}  // namespace

void PARTSCREENINTERNAL(std::int32_t first, std::int32_t last, std::int32_t sel) {
  if (core::c1edit.size() == 0) return;
  if (first > last) std::swap(first, last);
  const std::int32_t kept = txtclass;
  const std::int32_t from = std::max(first + edfirstline - 1, 1);
  const std::int32_t to = last + edfirstline - 1;
  std::int32_t before = from - 1;
  core::FEDNXT(nullptr, &before);
  std::array<char, 256> line{};
  for (std::int32_t l = from; l <= to; ++l) {
    if (l <= core::nedlines) {
      std::span<char> s(line);
      core::FEDNXT(&s);
    } else {
      line.fill(' ');
    }
    const bool sel6 = sel > 0 && selected(l);
    // A line the compiler could not take stands on colour 20.
    colnum(8) = l > 1 && untakenline(l) ? 20 : 15;
    setclass(sel6 ? 6 : 4);
    std::int32_t slot = 0;
    WRITETEXT(std::string_view(line.data(), line.size()), edwidth, edleftcol,
              l - edfirstline + edtoprow, slot, sel6 ? -6 : 1);
  }
  colnum(8) = 15;
  core::edmark = edfirstline;
  setclass(kept);
}

void SCREENINTERNAL() {
  for (int again = 0; again < 2; ++again) {
    std::int32_t origin = 0;
    bool uncovered = true;
    if (core::nedlines <= edrows) edfirstline = 1;
    std::int32_t amount = edfirstline - core::edmark;
    bool everything = false;
    if (edfullpaint || core::edmark == core::edmarkall) {
      if (wdwhead != nullptr) wdwhead->fontslot = 2;
      core::idestate &= ~busy::lineinput;
      everything = true;
      if (!edcentre) edcol = 0;
    } else if ((core::edmode == 6 || core::edmode == 5) && amount == 0) {
      // One line inserted or deleted at the cursor: the rows below it move.
      origin = edcurline - edfirstline;
      amount = core::edmode == 6 ? -1 : 1;
      uncovered = core::edmode == 5;
    } else if (core::edmode == 6 || core::edmode == 5) {
      everything = true;  // the view moved as well
    }
    if (!everything && amount == 0) {
      if (core::edmode == 13) {
        PARTSCREENINTERNAL(1, edrows, 1);
      } else if (edcurline - edfirstline >= edrows) {
        edfirstline = edcurline - edrows + 1;
        continue;
      }
    } else if (!everything && std::abs(amount) < edrows - origin) {
      const std::int32_t top = edtoprow - 1 + origin;
      if (wdwhead != nullptr) BITMAPACTION(*wdwhead, amount, 0, top, 0, 0, 0);
      // What the line input drew moved with its rows.
      for (std::int32_t& r : inputrowsdrawn)
        if (r - 1 >= top) r -= amount;
      const std::int32_t ch = cellheight();
      updrect.left = 0;
      updrect.right =
          std::max<std::int32_t>(updrect.right, wdwhead != nullptr ? wdwhead->clientwidth : 0);
      updrect.top = std::min<std::int32_t>(updrect.top, top * ch);
      updrect.bottom = std::max<std::int32_t>(updrect.bottom, (edtoprow - 1 + edrows) * ch);
      if (amount > 0)
        PARTSCREENINTERNAL(edrows - amount + 1, edrows, 1);
      else if (uncovered)
        PARTSCREENINTERNAL(origin + 1, origin - amount, 1);
    } else {
      PARTSCREENINTERNAL(1, edrows, 1);
    }
    break;
  }
  edfullpaint = false;
  core::edmark = edfirstline;
}

}  // namespace ide
