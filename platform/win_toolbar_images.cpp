// The toolbar's standard button images, drawn here on a 16 x 16 grid and
// scaled to the toolbar's image size: fifteen for editing and files, twelve
// for views, in the classic order.
#include <cairo.h>

#include <cmath>
#include <initializer_list>

#include "platform/win_toolbar_internal.h"

namespace win::detail {

namespace {

struct Pen {
  cairo_t* cr;

  void colour(double r, double g, double b) { cairo_set_source_rgb(cr, r, g, b); }
  // A rectangle of the grid, filled and outlined in black.
  void box(double x, double y, double w, double h, double r, double g, double b) {
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    colour(r, g, b);
    cairo_fill_preserve(cr);
    colour(0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  void line(double x0, double y0, double x1, double y1, double r = 0, double g = 0, double b = 0,
            double width = 1) {
    colour(r, g, b);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
  }
  void poly(std::initializer_list<double> xy, double r, double g, double b, bool outline = true) {
    auto it = xy.begin();
    cairo_move_to(cr, it[0], it[1]);
    for (std::size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, it[i], it[i + 1]);
    cairo_close_path(cr);
    colour(r, g, b);
    if (!outline) {
      cairo_fill(cr);
      return;
    }
    cairo_fill_preserve(cr);
    colour(0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  void ring(double cx, double cy, double rad, double width, double r, double g, double b) {
    colour(r, g, b);
    cairo_set_line_width(cr, width);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, rad, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
  void disc(double cx, double cy, double rad, double r, double g, double b) {
    colour(r, g, b);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, rad, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  // A sheet of paper with a folded corner and lines of text.
  void page(double x, double y, double w, double h, bool text = true) {
    poly({x + 0.5, y + 0.5, x + w - 3.5, y + 0.5, x + w - 0.5, y + 3.5, x + w - 0.5, y + h - 0.5,
          x + 0.5, y + h - 0.5},
         1, 1, 1);
    line(x + w - 3.5, y + 0.5, x + w - 3.5, y + 3.5);
    line(x + w - 3.5, y + 3.5, x + w - 0.5, y + 3.5);
    if (text)
      for (double ty = y + 5.5; ty < y + h - 2; ty += 2)
        line(x + 2, ty, x + w - 2, ty, 0.4, 0.4, 0.4);
  }
  void folder(double x, double y, bool open) {
    poly({x + 0.5, y + 2.5, x + 5.5, y + 2.5, x + 6.5, y + 3.5, x + 13.5, y + 3.5, x + 13.5,
          y + 11.5, x + 0.5, y + 11.5},
         0.85, 0.75, 0.25);
    if (open)
      poly({x + 2.5, y + 6.5, x + 15.5, y + 6.5, x + 13.5, y + 11.5, x + 0.5, y + 11.5}, 1, 0.9,
           0.45);
  }
  void arrow_curve(bool left) {
    // A half circle with an arrow head at one end.
    colour(0, 0, 0.6);
    cairo_set_line_width(cr, 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 8, 9, 4.5, M_PI, 2 * M_PI);
    cairo_stroke(cr);
    if (left)
      poly({0.5, 8, 7, 8, 3.5, 12.5}, 0, 0, 0.6, false);
    else
      poly({9, 8, 15.5, 8, 12.5, 12.5}, 0, 0, 0.6, false);
  }
  void magnifier(double cx, double cy, double rad) {
    line(cx + rad * 0.7, cy + rad * 0.7, cx + rad * 1.8, cy + rad * 1.8, 0.3, 0.2, 0.1, 2.5);
    disc(cx, cy, rad, 0.75, 0.9, 1);
    ring(cx, cy, rad, 1.2, 0, 0, 0);
  }
  void small_icon(double x, double y, double s) { box(x, y, s, s, 0.2, 0.5, 0.9); }
  void lines(double x0, double x1, std::initializer_list<double> ys) {
    for (double y : ys) line(x0, y + 0.5, x1, y + 0.5, 0, 0, 0);
  }
};

void standard(Pen& p, int index) {
  switch (index) {
    case 0:  // cut: scissors
      p.line(5, 1, 10, 10, 0.3, 0.3, 0.3, 1.5);
      p.line(11, 1, 6, 10, 0.3, 0.3, 0.3, 1.5);
      p.ring(4.5, 12.5, 2.3, 1.5, 0, 0, 0.6);
      p.ring(11.5, 12.5, 2.3, 1.5, 0, 0, 0.6);
      break;
    case 1:  // copy: two pages
      p.page(1, 1, 9, 11);
      p.page(6, 4, 9, 11);
      break;
    case 2:  // paste: a clipboard with a page
      p.box(1, 2, 10, 13, 0.7, 0.5, 0.25);
      p.box(4, 1, 4, 3, 0.75, 0.75, 0.75);
      p.page(7, 6, 8, 9);
      break;
    case 3:  // undo
      p.arrow_curve(true);
      break;
    case 4:  // redo
      p.arrow_curve(false);
      break;
    case 5:  // delete: a red cross
      p.line(3, 3, 13, 13, 0.85, 0, 0, 3);
      p.line(13, 3, 3, 13, 0.85, 0, 0, 3);
      break;
    case 6:  // new: a blank page
      p.page(3, 1, 10, 14, false);
      break;
    case 7:  // open: an open folder
      p.folder(0, 2, true);
      break;
    case 8:  // save: a diskette
      p.box(1, 1, 14, 14, 0.2, 0.2, 0.55);
      p.box(4, 1, 8, 6, 1, 1, 1);
      p.box(4, 10, 8, 5, 0.75, 0.75, 0.75);
      break;
    case 9:  // print preview: a page under a magnifier
      p.page(1, 1, 10, 13);
      p.magnifier(10, 9, 3);
      break;
    case 10:  // properties: a page with a hand-written tick
      p.page(2, 1, 11, 14);
      p.line(5, 9, 7, 12, 0, 0.5, 0, 2);
      p.line(7, 12, 12, 5, 0, 0.5, 0, 2);
      break;
    case 11:  // help: a question mark
      p.disc(8, 8, 7, 0.2, 0.4, 0.85);
      p.colour(1, 1, 1);
      cairo_set_line_width(p.cr, 2);
      cairo_new_sub_path(p.cr);
      cairo_arc(p.cr, 8, 6, 2.5, M_PI, 2.3 * M_PI);
      cairo_line_to(p.cr, 8, 10);
      cairo_stroke(p.cr);
      p.disc(8, 12.5, 1.2, 1, 1, 1);
      break;
    case 12:  // find: binoculars
      p.box(1, 5, 6, 9, 0.2, 0.2, 0.2);
      p.box(9, 5, 6, 9, 0.2, 0.2, 0.2);
      p.box(6, 6, 4, 4, 0.4, 0.4, 0.4);
      p.disc(4, 12, 1.5, 0.6, 0.8, 1);
      p.disc(12, 12, 1.5, 0.6, 0.8, 1);
      break;
    case 13:  // replace: a magnifier over an arrow to a page
      p.page(8, 4, 7, 11);
      p.line(1, 12.5, 7, 12.5, 0, 0, 0.6, 2);
      p.poly({6, 10, 9, 12.5, 6, 15}, 0, 0, 0.6, false);
      p.magnifier(5, 5, 3);
      break;
    case 14:  // print: a printer with paper
    default:
      p.page(4, 1, 8, 6, false);
      p.box(1, 6, 14, 7, 0.75, 0.75, 0.75);
      p.box(4, 11, 8, 4, 1, 1, 1);
      p.disc(12.5, 8.5, 0.8, 0, 0.7, 0);
      break;
  }
}

void view(Pen& p, int index) {
  switch (index) {
    case 0:  // large icons
      p.box(1, 1, 6, 6, 0.2, 0.5, 0.9);
      p.box(9, 1, 6, 6, 0.2, 0.5, 0.9);
      p.box(1, 9, 6, 6, 0.2, 0.5, 0.9);
      p.box(9, 9, 6, 6, 0.2, 0.5, 0.9);
      break;
    case 1:  // small icons
      for (double y : {2.0, 9.0}) {
        p.small_icon(1, y, 4);
        p.lines(6, 8, {y + 1.5});
        p.small_icon(9, y, 4);
        p.lines(14, 15.5, {y + 1.5});
      }
      break;
    case 2:  // list
      for (double y : {1.0, 6.0, 11.0}) {
        p.small_icon(1, y, 4);
        p.lines(6, 15, {y + 1.5});
      }
      break;
    case 3:  // details
      p.box(0, 1, 16, 3, 0.75, 0.75, 0.75);
      for (double y : {6.0, 9.0, 12.0}) {
        p.small_icon(1, y, 3);
        p.lines(5, 9, {y + 1});
        p.lines(11, 15, {y + 1});
      }
      break;
    case 4:  // sort by name: letters and an arrow
    case 5:  // sort by size: bars of growing length
    case 6:  // sort by date: a calendar leaf
    case 7:  // sort by type: shapes
      p.line(13, 2, 13, 13, 0, 0, 0.6, 1.5);
      p.poly({10.5, 11, 15.5, 11, 13, 15}, 0, 0, 0.6, false);
      if (index == 4) {
        p.lines(1, 4, {2, 6, 10});
        p.lines(1, 9, {3, 7, 11});
      } else if (index == 5) {
        p.box(1, 2, 3, 3, 0.2, 0.5, 0.9);
        p.box(1, 6, 6, 3, 0.2, 0.5, 0.9);
        p.box(1, 10, 9, 3, 0.2, 0.5, 0.9);
      } else if (index == 6) {
        p.box(1, 3, 9, 10, 1, 1, 1);
        p.box(1, 3, 9, 3, 0.85, 0.1, 0.1);
        p.lines(3, 8, {8, 10});
      } else {
        p.box(1, 2, 4, 4, 0.2, 0.5, 0.9);
        p.disc(7, 4, 2, 0.85, 0.1, 0.1);
        p.poly({1, 13, 5, 13, 3, 9}, 0, 0.6, 0);
      }
      break;
    case 8:  // parent folder: a folder with an up arrow
      p.folder(0, 3, false);
      p.line(9, 13, 9, 6, 0, 0.5, 0, 2);
      p.poly({6, 7, 12, 7, 9, 3}, 0, 0.5, 0, false);
      break;
    case 9:   // connect a network drive
    case 10:  // disconnect it
      p.box(1, 5, 9, 6, 0.75, 0.75, 0.75);
      p.disc(8, 8, 0.8, 0, 0.7, 0);
      p.line(5.5, 11, 5.5, 15, 0, 0, 0, 1);
      p.line(1, 15, 15, 15, 0, 0, 0, 1);
      if (index == 10) {
        p.line(10, 1, 15, 6, 0.85, 0, 0, 2);
        p.line(15, 1, 10, 6, 0.85, 0, 0, 2);
      } else {
        p.line(12.5, 1, 12.5, 8, 0, 0.5, 0, 2);
        p.line(9, 4.5, 16, 4.5, 0, 0.5, 0, 2);
      }
      break;
    case 11:  // new folder: a folder with a spark
    default:
      p.folder(0, 3, false);
      p.line(12, 0, 12, 6, 0.9, 0.7, 0, 1.5);
      p.line(9, 3, 15, 3, 0.9, 0.7, 0, 1.5);
      break;
  }
}

}  // namespace

int standard_image_count(UINT_PTR id) {
  if (id == IDB_STD_SMALL_COLOR || id == IDB_STD_LARGE_COLOR) return 15;
  if (id == IDB_VIEW_SMALL_COLOR || id == IDB_VIEW_LARGE_COLOR) return 12;
  return 0;
}

cairo_surface_t* standard_image(UINT_PTR id, int index, int width, int height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(s);
  cairo_scale(cr, width / 16.0, height / 16.0);
  Pen p{cr};
  if (id == IDB_STD_SMALL_COLOR || id == IDB_STD_LARGE_COLOR)
    standard(p, index);
  else
    view(p, index);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

}  // namespace win::detail
