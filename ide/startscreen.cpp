// The start screen, shown while no script is open: the program's tag line
// and release, and "Ostrel !" turning one and a half times as it grows.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/runwords.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/menutool.h"
#include "ide/redefine.h"
#include "ide/statusbar.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/records.h"

namespace ide {

namespace {

constexpr std::string_view face = "Times New Roman";
constexpr std::string_view release = "Release 3.99";
constexpr std::string_view spinning = "Ostrel !";
constexpr std::string_view measured = "Ostrel ! ";
constexpr double kPi = 3.14159;
constexpr int kFrames = 30;

win::HBRUSH backbrush = nullptr;

// A font of the face whose cell is `pixels` high, turned by `angle`
// degrees.
void font(toolkit::draw_target_t& target, double pixels, float angle) {
  toolkit::GET_TARGET_RESOLUTION(target);
  const int ppi = target.pixels_per_inch_y > 0 ? target.pixels_per_inch_y : 96;
  const int points = std::max(1, static_cast<int>(std::lround(pixels * 72.0 / ppi)));
  int ups = 0;
  toolkit::NEW_FONT(target, face.data(), static_cast<int>(face.size()), &points, nullptr, nullptr,
                    nullptr, nullptr, &angle, nullptr, &ups);
}

void text(toolkit::draw_target_t& target, std::string_view s, int x, int y, win::COLORREF fg,
          win::COLORREF bg, const int* format) {
  int ups = 0;
  toolkit::WRITE_TEXT(target, s.data(), static_cast<int>(s.size()), nullptr, nullptr, &x, &y, &fg,
                      &bg, nullptr, nullptr, format, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, &ups);
}

int trunc(double v) { return static_cast<int>(v); }

}  // namespace

void startscreen() {
  wdwrec* rec = wdwcur != nullptr ? wdwcur : wdwhead;
  if (rec == nullptr || rec->bitmap == nullptr) return;
  const int w = rec->clientwidth, h = rec->clientheight;
  const win::COLORREF paper = colour(colnum(8));
  int ups = 0;
  toolkit::draw_target_t target;
  toolkit::START_BITMAP_DRAW(&rec->bitmap, nullptr, nullptr, target, &ups);
  if (ups == 0) {
    toolkit::NEW_BRUSH(target, &paper, nullptr, nullptr, &ups);
    toolkit::NEW_PEN(target, &paper, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    const int left = 0, top = 0, right = w, bottom = h;
    toolkit::DRAW_RECTANGLE(target, nullptr, nullptr, nullptr, nullptr, nullptr, &left, &top,
                            &right, &bottom, nullptr, nullptr, &ups);
  }
  STATUSBAR({.title = scriptpath.view(), .layout = 1});
  const int r = std::min(h / 2, w / 3);
  const int y0 = h / 2 - 36 * (r / 333);
  const double scale = r / 333.0;
  if (target.marker != 0) {
    const win::COLORREF ink = colour(colnum(7)), clear = 0xFFFFFFFF;
    const int format = 1 | 16;  // centred, broken into words
    font(target, static_cast<double>(std::lround(scale * 36)), 0.0F);
    text(target, tagline, 5 * w / 8, h / 10, ink, clear, &format);
    font(target, static_cast<double>(std::lround(scale * 16)), 0.0F);
    text(target, release, 5 * w / 8, 19 * h / 20, ink, clear, &format);
    toolkit::END_BITMAP_DRAW(target, &ups);
  }
  const win::COLORREF fg = colour(colnum(21)), bg = colour(colnum(22));
  for (int k = 1; k <= kFrames; ++k) {
    toolkit::START_BITMAP_DRAW(&rec->bitmap, nullptr, nullptr, target, &ups);
    if (target.marker == 0) break;
    const int a = 180 + 18 * k;
    font(target, static_cast<double>(std::lround(scale * a / 10)), static_cast<float>(a));
    int size[2] = {};
    toolkit::GET_TEXT_EXTENT(target, measured.data(), static_cast<int>(measured.size()), nullptr,
                             nullptr, size, &ups);
    const int wide = trunc(size[0] * 1.3), high = size[1];
    const double rad = a * kPi / 180.0, rad90 = (a - 90) * kPi / 180.0;
    const int s1 = trunc(wide * std::sin(rad)), s2 = trunc(high * std::sin(rad90));
    const int c1 = trunc(wide * std::cos(rad)), c2 = trunc(high * std::cos(rad90));
    text(target, spinning, r, y0, fg, bg, nullptr);
    toolkit::END_BITMAP_DRAW(target, &ups);
    if (k == 1) {
      UPDATEWDW(1, rec);
    } else {
      updrect = {r + std::min({0, c1, c2, c1 + c2}), y0 - std::max({0, s1, s2, s1 + s2}),
                 r + std::max({0, c1, c2, c1 + c2}), y0 - std::min({0, s1, s2, s1 + s2})};
      UPDATEWDW(2, rec);
    }
  }
  const win::HBRUSH brush = toolkit::CREATE_BRUSH(&paper, nullptr, nullptr, &ups);
  if (brush != nullptr && rec->window != nullptr) {
    redefine_brush(rec->window, brush);
    if (backbrush != nullptr) toolkit::DELETE_OBJECT(backbrush, &ups);
    backbrush = brush;
  }
  MENUTOOLONOFF("A0");
  core::edmark = 0;  // the window is drawn whole
}

void reset_startscreen() { backbrush = nullptr; }

}  // namespace ide
