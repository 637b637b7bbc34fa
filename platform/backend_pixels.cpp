// Reading a window's pixels back, and writing its image as a PNG file.
#include <cairo.h>

#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/surface_seam.h"
#include "platform/win_resources.h"
#include "platform/win_window.h"
#include "platform/win_window_tree.h"

namespace plat {

namespace {

// What waits to be painted in the window and the windows it holds that
// paint when read.
void paintwaiting(win::HWND wnd) {
  const win::detail::Window* w = win::detail::find(wnd);
  if (w == nullptr) return;
  if (w->paints_when_read) {
    win::UpdateWindow(wnd);
    return;
  }
  for (const win::HWND c : std::vector<win::HWND>(w->children)) paintwaiting(c);
}

}  // namespace

void paint_when_read(win::HWND wnd) {
  if (win::detail::Window* w = win::detail::find(wnd)) w->paints_when_read = true;
}

std::uint32_t window_pixel(win::HWND wnd, int x, int y) {
  paintwaiting(wnd);
  win::POINT origin;
  win::RECT clip;
  cairo_surface_t* s = win::seam::window_surface(wnd, false, &origin, &clip);
  if (s == nullptr) return 0xFFFFFFFF;
  int px = origin.x + x, py = origin.y + y;
  if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) return 0xFFFFFFFF;
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  std::uint32_t v;
  std::memcpy(&v, data + static_cast<std::ptrdiff_t>(py) * stride + px * 4, sizeof v);
  // 0x00RRGGBB in the surface, 0x00BBGGRR as a colour.
  return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

bool write_window_png(win::HWND wnd, const std::string& path, bool whole_window) {
  paintwaiting(wnd);
  win::POINT origin;
  win::RECT clip;
  cairo_surface_t* s = win::seam::window_surface(wnd, whole_window, &origin, &clip);
  if (s == nullptr || clip.right <= clip.left || clip.bottom <= clip.top) return false;
  cairo_surface_flush(s);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, clip.right - clip.left,
                                                    clip.bottom - clip.top);
  cairo_t* cr = cairo_create(img);
  cairo_set_source_surface(cr, s, -clip.left, -clip.top);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  // The caret, inverting the pixels under it, when it is in the picture.
  win::HWND caret_wnd = nullptr;
  win::RECT c;
  const win::detail::Window* w = win::detail::find(wnd);
  const win::detail::Window* cw = nullptr;
  if (caret_rect(&caret_wnd, &c) && (cw = win::detail::find(caret_wnd)) != nullptr &&
      w != nullptr && win::detail::is_descendant(wnd, caret_wnd)) {
    const win::POINT at = win::detail::client_origin_on_screen(*cw);
    const win::POINT base = whole_window ? win::detail::window_origin_on_screen(*w)
                                         : win::detail::client_origin_on_screen(*w);
    const int dx = at.x - base.x + origin.x - clip.left, dy = at.y - base.y + origin.y - clip.top;
    cairo_rectangle(cr, dx, dy, win::detail::client_width(*cw), win::detail::client_height(*cw));
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, dx + c.left, dy + c.top, c.right - c.left, c.bottom - c.top);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(img, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(img);
  return ok;
}

}  // namespace plat
