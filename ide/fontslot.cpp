#include "ide/fontslot.h"

#include <algorithm>
#include <cstring>

#include "core/messages.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/qbitmap.h"
#include "ide/statusbar.h"
#include "ide/windowlist.h"
#include "platform/win_commdlg.h"
#include "plot/fontslots.h"
#include "plot/upcalls.h"
#include "toolkit/draw_targets.h"

namespace ide {

namespace {

constexpr win::DWORD kDialogFlags = 0x10143;  // screen and printer fonts, from the
                                              // description, effects, existing only
constexpr int kMaxPoints = 800;

void report(std::string_view text) {
  int answer = 0;
  core::MESSAGEBOX("-", text, answer);
}

// The device the slot draws on; false when slot 7's bitmap cannot be had.
bool slotdevice(std::int32_t slot, win::HDC& dc, bool& started, bool& screen) {
  started = false;
  screen = false;
  if (slot == 7) {
    if (slot7target.marker != toolkit::kMarker) {
      int ups = 0;
      if (wdwcur != nullptr && wdwcur->bitmap != nullptr)
        toolkit::START_BITMAP_DRAW(&wdwcur->bitmap, nullptr, nullptr, slot7target, &ups);
      if (slot7target.marker != toolkit::kMarker) {
        report("WIN_APIs|Cannot start bitmap");
        return false;
      }
      started = true;
    }
    dc = slot7target.dc;
    return true;
  }
  dc = win::GetDC(nullptr);
  screen = true;
  return true;
}

}  // namespace

void CHOOSEFONTSLOT(std::int32_t ask, std::int32_t s, std::int32_t flags, std::int32_t& status) {
  if (!plot::fontslots.valid(s)) return;
  plot::FontSlot& f = plot::fontslots(s);
  win::HDC dc = nullptr;
  bool started = false, screen = false;
  if (!slotdevice(s, dc, started, screen)) return;
  win::LOGFONTA lf{};
  lf.lfHeight = -win::MulDiv(f.points, win::GetDeviceCaps(dc, win::LOGPIXELSY), 72);
  lf.lfWeight = f.weight;
  lf.lfItalic = static_cast<win::BYTE>(f.italic);
  lf.lfUnderline = static_cast<win::BYTE>(f.underline);
  lf.lfPitchAndFamily = 2;
  const std::string_view face = f.face.trimmed();
  std::copy_n(face.data(), std::min<std::size_t>(face.size(), win::LF_FACESIZE - 1), lf.lfFaceName);
  win::CHOOSEFONTA cf{};
  cf.hwndOwner = wdwhead != nullptr ? wdwhead->window : nullptr;
  cf.hDC = dc;
  cf.lpLogFont = &lf;
  cf.iPointSize = f.points * 10;
  cf.Flags = static_cast<win::DWORD>(flags) | kDialogFlags;
  cf.rgbColors = f.colour;
  cf.nSizeMin = 1;
  cf.nSizeMax = kMaxPoints;
  bool chosen = true;
  if ((ask & 1) != 0) chosen = win::ChooseFontA(&cf) != 0;
  if (chosen) {
    status = 0;
    if (f.font != nullptr) {
      if (f.previous != nullptr) win::SelectObject(dc, f.previous);
      win::DeleteObject(f.font);
      f.font = nullptr;
    }
    f.font = win::CreateFontIndirectA(&lf);
    if (f.font == nullptr) report("WIN_APIs|Cannot create font");
    f.previous = f.font != nullptr ? win::SelectObject(dc, f.font) : nullptr;
    lf.lfFaceName[win::LF_FACESIZE - 1] = '\0';
    f.face.set(lf.lfFaceName);
    f.weight = lf.lfWeight;
    f.underline = lf.lfUnderline;
    f.italic = lf.lfItalic;
    f.colour = cf.rgbColors;
    if ((ask & 1) != 0) f.points = cf.iPointSize / 10;
    GETFONTMETRICS(dc, s);
    if (s == 3 && wdwhead != nullptr) STATUSBAR({.title = wdwhead->title.view(), .layout = 2});
  }
  if (screen) {
    // The screen's device goes back as it was.
    if (f.previous != nullptr) win::SelectObject(dc, f.previous);
    f.previous = nullptr;
    win::ReleaseDC(nullptr, dc);
  }
  if (started) toolkit::END_BITMAP_DRAW(slot7target, &ups);
  status = 0;
}

void GETFONTMETRICS(win::HDC dc, std::int32_t slot) {
  win::TEXTMETRICA tm{};
  if (win::GetTextMetricsA(dc, &tm) == 0) {
    report("WIN_APIs|Cannot Get Text Metrics");
    return;
  }
  plot::fontslots(slot).cellheight = static_cast<std::int16_t>(tm.tmHeight);
  plot::fontslots(slot).cellwidth = static_cast<std::int16_t>(tm.tmAveCharWidth);
}

void TEXTEXTENT(win::HDC dc, std::string_view text, std::int32_t size[2]) {
  win::SIZE sz{};
  win::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &sz);
  size[0] = sz.cx;
  size[1] = sz.cy;
}

void install_fontslots() {
  plot::upcalls.CHOOSEFONTSLOT = CHOOSEFONTSLOT;
  plot::upcalls.UPDATEWDW = UPDATEWDW;
  plot::upcalls.GETTABBEDTEXTWIDTH = GETTABBEDTEXTWIDTH;
}

}  // namespace ide
