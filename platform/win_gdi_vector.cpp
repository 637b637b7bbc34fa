// Figures on printer pages as vector paths: the page's transformation, the
// brush as a colour or an 8 x 8 hatch pattern, the pen as a hairline of one
// device pixel or a wide stroke.
#include <cairo.h>

#include "platform/win_gdi_internal.h"

namespace win::detail {

VectorPage::VectorPage(Dc& d) : cr(cairo_create(d.surface)) {
  cairo_scale(cr, d.unit_x, d.unit_y);
  cairo_translate(cr, d.origin.x, d.origin.y);
  const RECT c = logical_clip(d);
  cairo_rectangle(cr, c.left, c.top, c.right - c.left, c.bottom - c.top);
  cairo_clip(cr);
}

VectorPage::~VectorPage() { cairo_destroy(cr); }

void vector_colour(cairo_t* cr, std::uint32_t p) {
  cairo_set_source_rgb(cr, ((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0, (p & 255) / 255.0);
}

void vector_fill(cairo_t* cr, const Dc& d, const Brush& b, int fill_mode, bool hatch_background) {
  if (b.style != BS_SOLID && b.style != BS_HATCHED) return;
  cairo_set_fill_rule(cr,
                      fill_mode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  if (b.style == BS_SOLID) {
    vector_colour(cr, to_pixel(resolve_color(&d, b.color)));
    cairo_fill_preserve(cr);
    return;
  }
  // One tile of the hatch, repeated from the brush origin.
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  auto* px = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(tile));
  const int stride = cairo_image_surface_get_stride(tile) / 4;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      std::uint32_t p = 0;
      bool on = brush_pixel(d, b, d.brush_org.x + x, d.brush_org.y + y, p);
      if (!on && hatch_background) {
        p = to_pixel(resolve_color(&d, d.bk_color));
        on = true;
      }
      px[y * stride + x] = on ? 0xFF000000u | (p & 0x00FFFFFF) : 0;
    }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -d.brush_org.x, -d.brush_org.y);
  cairo_pattern_set_matrix(pattern, &m);
  cairo_set_source(cr, pattern);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(pattern);
  cairo_surface_destroy(tile);
}

void vector_stroke(cairo_t* cr, const Dc& d, const Pen& p) {
  if (p.style == PS_NULL) return;
  vector_colour(cr, to_pixel(resolve_color(&d, p.color)));
  if (p.geometric) {
    set_pen_stroke(cr, p);
  } else {
    double dashes[6];
    cairo_set_line_width(cr, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_dash(cr, dashes, cosmetic_dashes(p.style, dashes), 0);
  }
  cairo_stroke_preserve(cr);
}

}  // namespace win::detail
