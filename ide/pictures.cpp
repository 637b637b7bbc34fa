// The program's own pictures: the toolbar strip "Dirado" (16 images of
// 16 x 15 pixels, light grey 0xC0C0C0 showing the button face) and the
// window icon "QelIcon".
#include <cairo.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "ide/menutool.h"
#include "platform/win_resources.h"
#include "toolkit/entry.h"

namespace ide {

namespace {

constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;
constexpr int kImages = 16;

void rgb(cairo_t* cr, int r, int g, int b) {
  cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
}

void poly(cairo_t* cr, std::initializer_list<double> xy) {
  auto it = xy.begin();
  cairo_move_to(cr, it[0], it[1]);
  for (std::size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, it[i], it[i + 1]);
  cairo_close_path(cr);
}

void rect(cairo_t* cr, double x, double y, double w, double h) { cairo_rectangle(cr, x, y, w, h); }

// Bold text centred at (cx, cy).
void label(cairo_t* cr, const char* s, double cx, double cy, double size) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, s, &e);
  cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
  cairo_show_text(cr, s);
}

// A sheet of paper with text lines.
void page(cairo_t* cr, double x, double y, double w, double h) {
  rgb(cr, 255, 255, 255);
  rect(cr, x, y, w, h);
  cairo_fill(cr);
  rgb(cr, 0, 0, 0);
  rect(cr, x + 0.5, y + 0.5, w - 1, h - 1);
  cairo_stroke(cr);
}

void image(cairo_t* cr, int k) {
  cairo_set_line_width(cr, 1);
  switch (k) {
    case 1:  // a new line before the current one
      page(cr, 1, 0, 12, 15);
      rgb(cr, 128, 128, 128);
      rect(cr, 3, 9, 8, 1);
      rect(cr, 3, 12, 8, 1);
      cairo_fill(cr);
      rgb(cr, 0, 0, 224);
      rect(cr, 3, 5, 12, 2);
      cairo_fill(cr);
      poly(cr, {11, 2, 15, 6, 11, 10});
      cairo_fill(cr);
      break;
    case 2:  // Escape: stop
      rgb(cr, 208, 0, 0);
      poly(cr, {5, 0, 11, 0, 15, 4, 15, 10, 11, 14, 5, 14, 1, 10, 1, 4});
      cairo_fill(cr);
      rgb(cr, 255, 255, 255);
      label(cr, "Esc", 8, 7, 6.5);
      break;
    case 3:  // one step
      rgb(cr, 0, 0, 160);
      label(cr, "1", 5, 7.5, 12);
      rgb(cr, 0, 144, 0);
      poly(cr, {9, 4, 15, 7.5, 9, 11});
      cairo_fill(cr);
      break;
    case 4:  // trace: a row of steps
      rgb(cr, 0, 144, 0);
      for (int i = 0; i < 3; ++i) {
        poly(cr, {1.0 + 5 * i, 4, 5.0 + 5 * i, 7.5, 1.0 + 5 * i, 11});
        cairo_fill(cr);
      }
      break;
    case 5:  // run
      rgb(cr, 0, 160, 0);
      poly(cr, {3, 1, 14, 7.5, 3, 14});
      cairo_fill(cr);
      rgb(cr, 0, 80, 0);
      poly(cr, {3.5, 1.5, 13.5, 7.5, 3.5, 13.5});
      cairo_stroke(cr);
      break;
    case 14:  // help contents: a book
      rgb(cr, 0, 64, 176);
      rect(cr, 2, 1, 12, 13);
      cairo_fill(cr);
      rgb(cr, 255, 255, 255);
      rect(cr, 3, 12, 11, 1);
      cairo_fill(cr);
      label(cr, "?", 8, 6.5, 10);
      break;
    case 15:  // quick expression
      rgb(cr, 0, 0, 0);
      label(cr, "x=", 8, 5, 8);
      rgb(cr, 224, 160, 0);
      poly(cr, {9, 8, 5, 12, 8, 12, 6, 15, 12, 10, 9, 10});
      cairo_fill(cr);
      break;
    case 16:  // tooltips: a yellow speech bubble
      rgb(cr, 255, 255, 160);
      poly(cr, {1, 1, 15, 1, 15, 10, 7, 10, 3, 14, 4, 10, 1, 10});
      cairo_fill_preserve(cr);
      rgb(cr, 0, 0, 0);
      cairo_stroke(cr);
      rgb(cr, 0, 0, 0);
      rect(cr, 3, 4, 10, 1);
      rect(cr, 3, 7, 7, 1);
      cairo_fill(cr);
      break;
    default: {  // 6 to 13: the function keys F2 to F9
      rgb(cr, 255, 255, 255);
      rect(cr, 0, 1, 16, 13);
      cairo_fill(cr);
      rgb(cr, 64, 64, 64);
      rect(cr, 0.5, 1.5, 15, 12);
      cairo_stroke(cr);
      rgb(cr, 0, 0, 128);
      const std::string s = "F" + std::to_string(k - 4);
      label(cr, s.c_str(), 8, 7.5, 8);
      break;
    }
  }
}

void draw_dirado(cairo_t* cr, int, int) {
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  rgb(cr, 192, 192, 192);
  cairo_paint(cr);
  for (int k = 1; k <= kImages; ++k) {
    cairo_save(cr);
    cairo_translate(cr, (k - 1) * kImageWidth, 0);
    rect(cr, 0, 0, kImageWidth, kImageHeight);
    cairo_clip(cr);
    image(cr, k);
    cairo_restore(cr);
  }
}

// The icon: a blue tile with a white "O" and a red "!".
void draw_icon(cairo_t* cr, int, int) {
  rgb(cr, 0, 64, 176);
  poly(cr, {4, 1, 28, 1, 31, 4, 31, 28, 28, 31, 4, 31, 1, 28, 1, 4});
  cairo_fill(cr);
  rgb(cr, 255, 255, 255);
  cairo_set_line_width(cr, 4);
  cairo_arc(cr, 13, 16, 8, 0, 2 * M_PI);
  cairo_stroke(cr);
  rgb(cr, 255, 64, 64);
  rect(cr, 24, 7, 4, 13);
  rect(cr, 24, 23, 4, 4);
  cairo_fill(cr);
}

}  // namespace

void add_program_pictures() {
  const win::HINSTANCE module = toolkit::GET_MODULE_HANDLE();
  if (win::LoadIconA(module, "QelIcon") != nullptr) return;
  plat::add_picture_resource(plat::ResourceKind::bitmap, 0, "Dirado", kImageWidth * kImages,
                             kImageHeight, draw_dirado);
  plat::add_picture_resource(plat::ResourceKind::icon, 0, "QelIcon", 32, 32, draw_icon);
}

}  // namespace ide
