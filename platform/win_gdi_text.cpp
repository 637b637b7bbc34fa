// Text output and measurement: TextOutA, ExtTextOutA with the text
// alignment, background mode and escapement of the font, extents and
// metrics, and DrawTextA's formatted output.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win_gdi_internal.h"

namespace win {

using namespace detail;

namespace {

constexpr double kPi = 3.14159265358979323846;

int text_width(const FontData& fd, const char* s, int n) {
  int w = 0;
  for (int i = 0; i < n; ++i) w += fd.advance[static_cast<unsigned char>(s[i])];
  return w;
}

// Draws a run of text with its reference point at (x, y) (already taken
// from the current position when that is in use); returns the width.
int draw_run(Dc& d, int x, int y, UINT options, const RECT* rect, const char* s, int n,
             const INT* dx, UINT align, int extra_underline = -1) {
  Font* font = current_font(d);
  const auto fd = font_data(*font);
  std::vector<int> adv(static_cast<std::size_t>(std::max(n, 0)));
  int width = 0;
  for (int i = 0; i < n; ++i) {
    adv[i] = dx ? dx[i] : fd->advance[static_cast<unsigned char>(s[i])];
    width += adv[i];
  }
  int hx = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    hx = -width / 2;
  else if (align & TA_RIGHT)
    hx = -width;
  int vy = fd->ascent;
  if ((align & TA_BASELINE) == TA_BASELINE)
    vy = 0;
  else if (align & TA_BOTTOM)
    vy = -fd->descent;
  const double theta = font->lf.lfEscapement / 10.0 * kPi / 180.0;
  const double cs = std::cos(theta), sn = std::sin(theta);
  const bool rotated = font->lf.lfEscapement % 3600 != 0;
  auto map = [&](double tx, double ty, double& ox, double& oy) {
    ox = x + tx * cs + ty * sn;
    oy = y - tx * sn + ty * cs;
  };

  const std::uint32_t fg = to_pixel(resolve_color(&d, d.text_color));
  const std::uint32_t bg = to_pixel(resolve_color(&d, d.bk_color));
  const bool opaque_box = d.bk_mode == OPAQUE && n > 0;
  const double top = vy - fd->ascent, bottom = vy + fd->descent;

  // The glyphs, their origins relative to (x, y) before any turn.
  std::vector<cairo_glyph_t> gl(static_cast<std::size_t>(std::max(n, 0)));
  double pen = hx;
  for (int i = 0; i < n; ++i) {
    gl[i] = cairo_glyph_t{fd->glyph[static_cast<unsigned char>(s[i])], pen, double(vy)};
    pen += adv[i];
  }
  // The lines drawn under or through the text: left, top, width, height.
  struct Bar {
    double left, top, width, height;
  };
  std::vector<Bar> bars;
  const double t = fd->underline_thickness;
  if (font->lf.lfUnderline && n > 0)
    bars.push_back({double(hx), vy + std::round(fd->underline_pos), double(width), t});
  if (font->lf.lfStrikeOut && n > 0)
    bars.push_back({double(hx), vy - std::round(fd->strike_pos), double(width), t});
  if (extra_underline >= 0 && extra_underline < n) {
    int ux = hx;
    for (int i = 0; i < extra_underline; ++i) ux += adv[i];
    bars.push_back(
        {double(ux), vy + std::round(fd->underline_pos), double(adv[extra_underline]), 1});
  }

  // What the drawing may reach. Upright: the ink of the glyphs (as the font
  // measures it, a pixel more around), the bars and the opaque text box.
  // Turned: the text box with room for overhangs around it.
  RECT box{0, 0, 0, 0};
  auto take = [&box](double l, double tp, double r, double b) {
    const RECT more{static_cast<LONG>(std::floor(l)), static_cast<LONG>(std::floor(tp)),
                    static_cast<LONG>(std::ceil(r)), static_cast<LONG>(std::ceil(b))};
    if (more.right <= more.left || more.bottom <= more.top) return;
    if (box.right <= box.left || box.bottom <= box.top) {
      box = more;
      return;
    }
    box.left = std::min(box.left, more.left);
    box.top = std::min(box.top, more.top);
    box.right = std::max(box.right, more.right);
    box.bottom = std::max(box.bottom, more.bottom);
  };
  // Whether anything but the background is drawn (blanks leave no ink),
  // and where (upright).
  bool inked = rotated || !bars.empty();
  RECT inkbox{0, 0, 0, 0};
  if (!rotated) {
    if (n > 0) {
      cairo_text_extents_t ink;
      cairo_scaled_font_glyph_extents(fd->scaled, gl.data(), n, &ink);
      // (The bearings are taken from the first glyph's origin.)
      const double left = x + gl[0].x + ink.x_bearing, up = y + gl[0].y + ink.y_bearing;
      if (ink.width > 0 && ink.height > 0) {
        inked = true;
        take(left - 1, up - 1, left + ink.width + 1, up + ink.height + 1);
      }
    }
    for (const Bar& b : bars)
      take(x + b.left - 1, y + b.top - 1, x + b.left + b.width + 1, y + b.top + b.height + 1);
    inkbox = box;
    if (opaque_box) take(x + hx, y + top, x + hx + width, y + bottom);
  } else {
    const int margin = fd->em + 2;
    double minx = 1e18, miny = 1e18, maxx = -1e18, maxy = -1e18;
    for (double tx : {double(hx), double(hx + width)})
      for (double ty : {top, bottom}) {
        double ox, oy;
        map(tx, ty, ox, oy);
        minx = std::min(minx, ox);
        maxx = std::max(maxx, ox);
        miny = std::min(miny, oy);
        maxy = std::max(maxy, oy);
      }
    take(minx - margin, miny - margin, maxx + margin, maxy + margin);
  }
  if (rect && (options & ETO_OPAQUE)) take(rect->left, rect->top, rect->right, rect->bottom);
  if (rect && (options & ETO_CLIPPED)) {
    box.left = std::max(box.left, rect->left);
    box.top = std::max(box.top, rect->top);
    box.right = std::min(box.right, rect->right);
    box.bottom = std::min(box.bottom, rect->bottom);
  }

  auto glyph_path = [&](cairo_t* cr) {
    cairo_translate(cr, x, y);
    if (rotated) cairo_rotate(cr, -theta);
    cairo_set_scaled_font(cr, fd->scaled);
    if (n > 0) cairo_show_glyphs(cr, gl.data(), n);
    for (const Bar& b : bars) cairo_rectangle(cr, b.left, b.top, b.width, b.height);
    cairo_fill(cr);
  };
  auto box_path = [&](cairo_t* cr) {
    cairo_translate(cr, x, y);
    if (rotated) cairo_rotate(cr, -theta);
    cairo_rectangle(cr, hx, top, width, bottom - top);
    cairo_fill(cr);
  };

  if (!d.raster) {
    // A printer page: glyphs stay glyphs.
    cairo_t* cr = cairo_create(d.surface);
    cairo_scale(cr, d.unit_x, d.unit_y);
    cairo_translate(cr, d.origin.x, d.origin.y);
    const RECT lc = logical_clip(d);
    cairo_rectangle(cr, std::max(lc.left, box.left), std::max(lc.top, box.top),
                    std::max(0, int(std::min(lc.right, box.right) - std::max(lc.left, box.left))),
                    std::max(0, int(std::min(lc.bottom, box.bottom) - std::max(lc.top, box.top))));
    cairo_clip(cr);
    auto colour = [&](std::uint32_t p) {
      cairo_set_source_rgb(cr, ((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0,
                           (p & 255) / 255.0);
    };
    if (rect && (options & ETO_OPAQUE)) {
      colour(bg);
      cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left,
                      rect->bottom - rect->top);
      cairo_fill(cr);
    }
    if (opaque_box) {
      colour(bg);
      cairo_save(cr);
      box_path(cr);
      cairo_restore(cr);
    }
    colour(fg);
    glyph_path(cr);
    cairo_destroy(cr);
    return width;
  }

  if (!rotated) {
    // Upright: the background goes on first (the text box is a rectangle
    // of whole pixels), then the ink over it, straight into the pixels.
    PixelView v;
    if (!begin_pixels(d, v)) return width;
    RECT reach = view_rect(d, v, box);
    if (opaque_box)
      fill_view(
          d, v,
          RECT{x + hx, y + static_cast<LONG>(top), x + hx + width, y + static_cast<LONG>(bottom)},
          reach, bg);
    if (rect && (options & ETO_OPAQUE)) fill_view(d, v, *rect, reach, bg);
    RECT ink = inkbox;
    ink.left = std::max(ink.left, reach.left);
    ink.top = std::max(ink.top, reach.top);
    ink.right = std::min(ink.right, reach.right);
    ink.bottom = std::min(ink.bottom, reach.bottom);
    if (inked && ink.right > ink.left && ink.bottom > ink.top) {
      Cover area;
      area.x0 = ink.left;
      area.y0 = ink.top;
      area.w = ink.right - ink.left;
      area.h = ink.bottom - ink.top;
      raster_cairo(
          area, glyph_path,
          [&](int px, int py) { v.at(px + d.origin.x, py + d.origin.y) = fg & 0x00FFFFFF; }, true);
    }
    end_pixels(d, true);
    return width;
  }
  Cover c = make_cover(d, box);
  if (c.empty()) return width;
  raster_cairo(
      c, glyph_path, [&](int px, int py) { c.set(px, py, fg); }, true);
  if (opaque_box) raster_cairo(c, box_path, [&](int px, int py) { c.set_if_empty(px, py, bg); });
  if (rect && (options & ETO_OPAQUE)) c.fill_if_empty(*rect, bg);
  apply_cover(d, c, R2_COPYPEN);
  return width;
}

BOOL text_out(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* s, int n,
              const INT* dx) {
  Dc* d = dc(hdc);
  if (!d || n < 0 || (n > 0 && !s)) return FALSE;
  const bool update = d->align & TA_UPDATECP;
  if (update) {
    x = d->cp.x;
    y = d->cp.y;
  }
  const int w = draw_run(*d, x, y, options, rect, s, n, dx, d->align);
  if (update && (d->align & TA_CENTER) != TA_CENTER) {
    // The current position moves to the other end of the text.
    const Font* font = current_font(*d);
    const double theta = font->lf.lfEscapement / 10.0 * kPi / 180.0;
    const int step = (d->align & TA_RIGHT) ? -w : w;
    d->cp.x = x + static_cast<LONG>(std::lround(step * std::cos(theta)));
    d->cp.y = y - static_cast<LONG>(std::lround(step * std::sin(theta)));
  }
  return TRUE;
}

}  // namespace

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count) {
  return text_out(hdc, x, y, 0, nullptr, text, count, nullptr);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text,
                 UINT count, const INT* dx) {
  return text_out(hdc, x, y, options, rect, text, static_cast<int>(count), dx);
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size) {
  Dc* d = dc(hdc);
  if (!d || !size || count < 0 || (count > 0 && !text)) return FALSE;
  const auto fd = font_data(*current_font(*d));
  size->cx = text_width(*fd, text, count);
  size->cy = fd->ascent + fd->descent;
  return TRUE;
}

BOOL GetTextExtentExPointA(HDC hdc, const char* text, int count, int max_extent, int* fit, int* dx,
                           SIZE* size) {
  Dc* d = dc(hdc);
  if (!d || count < 0 || (count > 0 && !text)) return FALSE;
  const auto fd = font_data(*current_font(*d));
  int w = 0, n_fit = 0;
  for (int i = 0; i < count; ++i) {
    w += fd->advance[static_cast<unsigned char>(text[i])];
    if (dx) dx[i] = w;
    if (w <= max_extent && n_fit == i) n_fit = i + 1;
  }
  if (fit) *fit = n_fit;
  if (size) {
    size->cx = w;
    size->cy = fd->ascent + fd->descent;
  }
  return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  Dc* d = dc(hdc);
  if (!d || !tm) return FALSE;
  Font* font = current_font(*d);
  const auto fd = font_data(*font);
  *tm = TEXTMETRICA{};
  tm->tmAscent = fd->ascent;
  tm->tmDescent = fd->descent;
  tm->tmHeight = fd->ascent + fd->descent;
  tm->tmInternalLeading = std::max(0, tm->tmHeight - fd->em);
  tm->tmExternalLeading = fd->external_leading;
  tm->tmAveCharWidth = fd->ave_width;
  tm->tmMaxCharWidth = fd->max_width;
  tm->tmWeight = font->lf.lfWeight ? font->lf.lfWeight : FW_NORMAL;
  tm->tmDigitizedAspectX = d->info.dpi_x;
  tm->tmDigitizedAspectY = d->info.dpi_y;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = font->lf.lfItalic;
  tm->tmUnderlined = font->lf.lfUnderline;
  tm->tmStruckOut = font->lf.lfStrikeOut;
  tm->tmPitchAndFamily =
      static_cast<BYTE>((fd->fixed_pitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                        (fd->fixed_pitch ? FF_MODERN : FF_SWISS));
  tm->tmCharSet = ANSI_CHARSET;
  return TRUE;
}

int GetTextFaceA(HDC hdc, int size, char* face) {
  Dc* d = dc(hdc);
  if (!d) return 0;
  const Font* font = current_font(*d);
  const std::size_t len = std::strlen(font->lf.lfFaceName);
  if (!face) return static_cast<int>(len + 1);
  if (size <= 0) return 0;
  const std::size_t n = std::min(len, static_cast<std::size_t>(size - 1));
  std::memcpy(face, font->lf.lfFaceName, n);
  face[n] = '\0';
  return static_cast<int>(n);
}

int DrawTextA(HDC hdc, const char* text, int count, RECT* rect, UINT format) {
  return DrawTextExA(hdc, const_cast<char*>(text), count, rect, format, nullptr);
}

int DrawTextExA(HDC hdc, char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  Dc* d = dc(hdc);
  if (!d || !rect || (!text && count != 0)) return 0;
  if (count < 0) count = text ? static_cast<int>(std::strlen(text)) : 0;
  const auto fd = font_data(*current_font(*d));
  const int margin_l = params ? params->iLeftMargin : 0;
  const int margin_r = params ? params->iRightMargin : 0;
  int tab_chars = 8;
  if (format & DT_TABSTOP) tab_chars = (format >> 8) & 0xFF;
  if (params && params->iTabLength > 0) tab_chars = params->iTabLength;
  const int tab_px = std::max(1, tab_chars * std::max(1, fd->ave_width));
  const bool single = format & DT_SINGLELINE;

  // The text as shown: prefix characters taken out, the mnemonic remembered.
  std::string shown;
  int mnemonic = -1;
  for (int i = 0; i < count; ++i) {
    const char ch = text[i];
    if (ch == '&' && !(format & DT_NOPREFIX)) {
      if (i + 1 < count && text[i + 1] == '&') {
        shown.push_back('&');
        ++i;
      } else if (i + 1 < count) {
        mnemonic = static_cast<int>(shown.size());
      }
      continue;
    }
    shown.push_back(ch);
  }

  // Advances of a line's characters (tabs to the next stop when expanded).
  auto advances = [&](const std::string& line) {
    std::vector<int> adv(line.size());
    int x = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const unsigned char ch = static_cast<unsigned char>(line[i]);
      adv[i] = ch == '\t' && (format & DT_EXPANDTABS) ? tab_px - x % tab_px : fd->advance[ch];
      x += adv[i];
    }
    return adv;
  };
  auto width_of = [&](const std::string& line) {
    int w = 0;
    for (int a : advances(line)) w += a;
    return w;
  };

  // Break into lines: at line ends unless single-line, and at blanks (or
  // within a word that does not fit at all) with word breaking.
  struct Line {
    std::string text;
    int start;  // position in `shown`
  };
  std::vector<Line> lines;
  const int avail = rect->right - rect->left - margin_l - margin_r;
  std::size_t pos = 0;
  while (true) {
    std::size_t end = shown.size();
    if (!single) {
      const std::size_t nl = shown.find_first_of("\r\n", pos);
      if (nl != std::string::npos) end = nl;
    }
    std::string para = shown.substr(pos, end - pos);
    int para_start = static_cast<int>(pos);
    bool wrapped = false;
    if (format & DT_WORDBREAK) {
      while (!para.empty()) {
        const std::vector<int> adv = advances(para);
        int w = 0;
        std::size_t fits = 0;
        while (fits < para.size() && w + adv[fits] <= avail) w += adv[fits++];
        if (fits == para.size()) break;
        std::size_t cut = para.rfind(' ', fits);
        std::size_t next;
        if (cut != std::string::npos && cut > 0) {
          next = cut;
          while (next < para.size() && para[next] == ' ') ++next;
        } else {
          cut = std::max<std::size_t>(fits, 1);
          next = cut;
        }
        lines.push_back({para.substr(0, cut), para_start});
        wrapped = true;
        para_start += static_cast<int>(next);
        para.erase(0, next);
      }
    }
    if (!para.empty() || !wrapped) lines.push_back({para, para_start});
    if (end >= shown.size()) break;
    pos = end + ((shown[end] == '\r' && end + 1 < shown.size() && shown[end + 1] == '\n') ? 2 : 1);
  }

  const int line_h =
      fd->ascent + fd->descent + ((format & DT_EXTERNALLEADING) ? fd->external_leading : 0);
  const int total_h = line_h * static_cast<int>(lines.size());
  if (params) params->uiLengthDrawn = static_cast<UINT>(count);

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, width_of(l.text));
    if (!(format & DT_WORDBREAK) || widest > avail)
      rect->right = rect->left + margin_l + widest + margin_r;
    rect->bottom = rect->top + total_h;
    return total_h;
  }

  int y = rect->top;
  if (single && (format & DT_VCENTER))
    y = rect->top + (rect->bottom - rect->top - line_h) / 2;
  else if (single && (format & DT_BOTTOM))
    y = rect->bottom - line_h;
  const int first_y = y;
  const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
  for (const Line& l : lines) {
    const std::vector<int> adv = advances(l.text);
    int w = 0;
    for (int a : adv) w += a;
    int x = rect->left + margin_l;
    if (format & DT_CENTER)
      x = rect->left + margin_l + (avail - w) / 2;
    else if (format & DT_RIGHT)
      x = rect->right - margin_r - w;
    std::string drawn = l.text;
    for (char& ch : drawn)
      if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
    const int under = mnemonic >= l.start && mnemonic < l.start + static_cast<int>(l.text.size())
                          ? mnemonic - l.start
                          : -1;
    draw_run(*d, x, y, clip ? ETO_CLIPPED : 0, clip, drawn.data(), static_cast<int>(drawn.size()),
             adv.data(), TA_LEFT | TA_TOP, under);
    y += line_h;
  }
  return single && (format & (DT_VCENTER | DT_BOTTOM)) ? first_y - rect->top + line_h : total_h;
}

}  // namespace win
