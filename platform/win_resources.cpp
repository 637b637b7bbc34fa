// The resource table of pictures (the system's icons, drawn here, and the
// program's own icons and bitmaps), and loading them.
#include <cairo.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/charcase.h"
#include "platform/win_controls_internal.h"
#include "platform/win_last_error.h"
#include "platform/win_resources.h"

namespace win::detail {

namespace {

constexpr std::uint32_t kPictureBase = 0x00700000;

struct Picture {
  plat::ResourceKind kind;
  bool system = false;
  int id = 0;
  std::string name;  // upper-cased
  int width = 32, height = 32;
  plat::PictureDrawer draw;
  cairo_surface_t* image = nullptr;  // drawn on first use
};

std::vector<Picture> pictures;

void path_poly(cairo_t* cr, std::initializer_list<double> xy) {
  auto it = xy.begin();
  cairo_move_to(cr, it[0], it[1]);
  for (std::size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, it[i], it[i + 1]);
  cairo_close_path(cr);
}

void fill_stroke(cairo_t* cr, double r, double g, double b, double line = 1.0) {
  cairo_set_source_rgb(cr, r, g, b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
}

// A bold character centred in a circle or triangle of the icons.
void glyph(cairo_t* cr, const char* s, double cx, double cy, double size, double r, double g,
           double b) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, s, &e);
  cairo_set_source_rgb(cr, r, g, b);
  cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
  cairo_show_text(cr, s);
}

// The system's icons, drawn on a 32 x 32 grid.
void draw_application_icon(cairo_t* cr, int, int) {
  cairo_rectangle(cr, 2.5, 4.5, 27, 23);
  fill_stroke(cr, 1, 1, 1);
  cairo_rectangle(cr, 3, 5, 26, 5);
  cairo_set_source_rgb(cr, 0, 0, 0.5);
  cairo_fill(cr);
}

void draw_hand_icon(cairo_t* cr, int, int) {
  cairo_arc(cr, 16, 16, 14, 0, 2 * M_PI);
  fill_stroke(cr, 0.85, 0.1, 0.1);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 4);
  cairo_move_to(cr, 10, 10);
  cairo_line_to(cr, 22, 22);
  cairo_move_to(cr, 22, 10);
  cairo_line_to(cr, 10, 22);
  cairo_stroke(cr);
}

void draw_question_icon(cairo_t* cr, int, int) {
  cairo_arc(cr, 16, 16, 14, 0, 2 * M_PI);
  fill_stroke(cr, 1, 1, 1);
  glyph(cr, "?", 16, 16, 22, 0.1, 0.2, 0.75);
}

void draw_exclamation_icon(cairo_t* cr, int, int) {
  path_poly(cr, {16, 2, 30.5, 29.5, 1.5, 29.5});
  fill_stroke(cr, 1, 0.85, 0.1);
  glyph(cr, "!", 16, 19, 18, 0, 0, 0);
}

void draw_asterisk_icon(cairo_t* cr, int, int) {
  cairo_arc(cr, 16, 16, 14, 0, 2 * M_PI);
  fill_stroke(cr, 1, 1, 1);
  glyph(cr, "i", 16, 16, 20, 0.1, 0.2, 0.75);
}

void add_system(int id, plat::PictureDrawer draw) {
  Picture p;
  p.kind = plat::ResourceKind::icon;
  p.system = true;
  p.id = id;
  p.draw = std::move(draw);
  pictures.push_back(std::move(p));
}

void ensure_system_pictures() {
  if (!pictures.empty()) return;
  add_system(32512, draw_application_icon);
  add_system(32513, draw_hand_icon);
  add_system(32514, draw_question_icon);
  add_system(32515, draw_exclamation_icon);
  add_system(32516, draw_asterisk_icon);
}

cairo_surface_t* image_of(Picture& p) {
  if (p.image == nullptr) {
    p.image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.width, p.height);
    cairo_t* cr = cairo_create(p.image);
    if (p.draw) p.draw(cr, p.width, p.height);
    cairo_destroy(cr);
    cairo_surface_flush(p.image);
  }
  return p.image;
}

// A resource name: a number (MAKEINTRESOURCE or "#123") or a text.
bool parse_name(const char* name, int& id, std::string& text) {
  if (name == nullptr) return false;
  auto v = reinterpret_cast<std::uintptr_t>(name);
  if (v < 0x10000) {
    id = static_cast<int>(v);
    return true;
  }
  std::string s(name);
  if (s.size() > 1 && s[0] == '#' && s.find_first_not_of("0123456789", 1) == std::string::npos) {
    id = std::stoi(s.substr(1));
    return true;
  }
  for (char& c : s) c = static_cast<char>(plat::upper1252(static_cast<unsigned char>(c)));
  text = s;
  id = 0;
  return true;
}

Picture* lookup(plat::ResourceKind kind, HINSTANCE module, const char* name,
                std::uint32_t* handle) {
  ensure_system_pictures();
  int id = 0;
  std::string text;
  if (parse_name(name, id, text)) {
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      Picture& p = pictures[i];
      if (p.kind != kind || p.system != (module == nullptr)) continue;
      if (text.empty() ? p.id == id : p.name == text) {
        *handle = kPictureBase + static_cast<std::uint32_t>(i);
        return &p;
      }
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

Picture* picture_of(std::uint32_t handle) {
  if (handle < kPictureBase || handle - kPictureBase >= pictures.size()) return nullptr;
  return &pictures[handle - kPictureBase];
}

}  // namespace

void reset_resources() {
  for (Picture& p : pictures)
    if (p.image != nullptr) cairo_surface_destroy(p.image);
  pictures.clear();
}

void draw_icon(HDC dc, int x, int y, HICON icon, int size) {
  Picture* p = picture_of(handle_value(icon));
  POINT origin;
  cairo_surface_t* s = plat::dc_surface(dc, &origin);
  RECT clip;
  if (p == nullptr || s == nullptr || GetClipBox(dc, &clip) == 0) return;
  cairo_t* cr = cairo_create(s);
  cairo_translate(cr, origin.x, origin.y);
  cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, static_cast<double>(size) / p->width, static_cast<double>(size) / p->height);
  cairo_set_source_surface(cr, image_of(*p), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_mark_dirty(s);
}

}  // namespace win::detail

namespace win {

using namespace detail;

HICON LoadIconA(HINSTANCE module, const char* name) {
  std::uint32_t h = 0;
  return lookup(plat::ResourceKind::icon, module, name, &h) ? handle_from<HICON>(h) : nullptr;
}

HBITMAP LoadBitmapA(HINSTANCE module, const char* name) {
  std::uint32_t h = 0;
  Picture* p = lookup(plat::ResourceKind::bitmap, module, name, &h);
  if (p == nullptr) return nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(screen, p->width, p->height);
  ReleaseDC(nullptr, screen);
  cairo_surface_t* s = plat::bitmap_surface(bm);
  if (s == nullptr) return bm;
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (p->draw) p->draw(cr, p->width, p->height);
  cairo_destroy(cr);
  cairo_surface_mark_dirty(s);
  return bm;
}

}  // namespace win

namespace plat {

void add_picture_resource(ResourceKind kind, int id, std::string_view name, int width, int height,
                          PictureDrawer draw) {
  win::detail::ensure_system_pictures();
  win::detail::Picture p;
  p.kind = kind;
  p.id = id;
  for (char c : name) p.name.push_back(static_cast<char>(upper1252(static_cast<unsigned char>(c))));
  p.width = std::max(1, width);
  p.height = std::max(1, height);
  p.draw = std::move(draw);
  win::detail::pictures.push_back(std::move(p));
}

cairo_surface_t* icon_image(win::HICON icon) {
  win::detail::Picture* p = win::detail::picture_of(win::handle_value(icon));
  return p != nullptr && p->kind == ResourceKind::icon ? win::detail::image_of(*p) : nullptr;
}

}  // namespace plat
