// Pens, brushes, lines, the polyline family, chords, rectangles, stretched
// bitmaps, and the brush and device queries.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "toolkit/autopaint.h"
#include "toolkit/bitmaps.h"
#include "toolkit/colours.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"
#include "toolkit/printing.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr double kInchesPerMillimetre = 0.03937007874015748;
constexpr int kPenShapeBits = 0x100 | 0x200 | 0x1000 | 0x2000;

// One coordinate: the first form given wins.
int x_of(const draw_target_t& t, const int* pixels, const float* fraction, int fallback,
         bool pixels_win) {
  if (pixels_win && pixels != nullptr) return *pixels;
  if (fraction != nullptr) return fraction_x(t, *fraction);
  if (pixels != nullptr) return *pixels;
  return fallback;
}
int y_of(const draw_target_t& t, const int* pixels, const float* fraction, int fallback,
         bool pixels_win) {
  if (pixels_win && pixels != nullptr) return *pixels;
  if (fraction != nullptr) return fraction_y(t, *fraction);
  if (pixels != nullptr) return *pixels;
  return fallback;
}

// Mean pixels per inch of the target, halved as an integer.
int mean_per_inch(draw_target_t& t) {
  GET_TARGET_RESOLUTION(t);
  return (t.pixels_per_inch_y + t.pixels_per_inch_x) / 2;
}

struct poly_member {
  std::int32_t routine;
  const char* name;
  const char* message;
  win::BOOL (*draw)(win::HDC, const win::POINT*, int);
};

win::BOOL polyline(win::HDC dc, const win::POINT* p, int n) { return win::Polyline(dc, p, n); }
win::BOOL polygon(win::HDC dc, const win::POINT* p, int n) { return win::Polygon(dc, p, n); }
win::BOOL bezier(win::HDC dc, const win::POINT* p, int n) {
  return win::PolyBezier(dc, p, static_cast<win::DWORD>(n));
}

const poly_member kPolyline{kRecordPolyline, "DRAW_POLYLINE", "Unable to draw a POLYLINE",
                            polyline};
const poly_member kPolygon{kRecordPolygon, "DRAW_POLYGON", "Unable to draw a POLYGON", polygon};
const poly_member kBezier{kRecordPolyBezier, "DRAW_POLY_BEZIER", "Unable to draw a POLY_BEZIER",
                          bezier};

void poly(const poly_member& m, draw_target_t& t, const float* points, const int* count,
          const float* x0, const float* y0, const float* x1, const float* y1,
          const int* pixel_points, const int* use_real, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, std::string("C_") + m.name)) return;
  recorded_call rc(t, m.routine, ups);
  // More points than an array of bytes could count are refused below.
  constexpr int kMostPoints = 0x0FFFFFFF;
  const int given_count = count != nullptr ? std::clamp(*count, 0, kMostPoints) : 0;
  const bool given_real = use_real != nullptr && *use_real != 0;
  int real_bytes = given_real && points != nullptr ? given_count * 8 : 0;
  rc.array(points, real_bytes);
  rc.argument(count);
  int pixel_bytes = !given_real && pixel_points != nullptr ? given_count * 8 : 0;
  rc.array(pixel_points, pixel_bytes);
  rc.arguments(x0, y0, x1, y1, use_real);
  if (rc.recording_only()) return;
  const int n = count != nullptr ? std::max(0, *count) : 0;
  if (n == 0) return;
  if (n > kMostPoints) {
    SET_STATUS(ups, m.message, kToolkitError);
    return;
  }
  const bool real = use_real != nullptr && *use_real != 0;
  if (m.routine == kRecordPolyBezier && facts.win32s) {
    SET_STATUS(ups, "DRAW_POLY_BEZIER does not work under Win32s", kToolkitError);
    return;
  }
  if ((real ? points : reinterpret_cast<const float*>(pixel_points)) == nullptr ||
      (real ? real_bytes : pixel_bytes) < n * 8) {
    SET_STATUS(ups, m.message, kToolkitError);
    return;
  }
  std::vector<win::POINT> pts(static_cast<std::size_t>(n));
  if (real) {
    const double wx0 = x0 != nullptr ? *x0 : 0.0, wy0 = y0 != nullptr ? *y0 : 0.0;
    const double wx1 = x1 != nullptr ? *x1 : 1.0, wy1 = y1 != nullptr ? *y1 : 1.0;
    if (wx1 == wx0 || wy1 == wy0) {
      SET_STATUS(ups, m.message, kToolkitError);
      return;
    }
    const win::RECT& b = t.bounds;
    const double sx = (b.right - b.left) / (wx1 - wx0), sy = (b.bottom - b.top) / (wy1 - wy0);
    for (int i = 0; i < n; ++i) {
      pts[i].x = b.left + truncated((points[2 * i] - wx0) * sx);
      pts[i].y = b.top + truncated((points[2 * i + 1] - wy0) * sy);
    }
  } else {
    for (int i = 0; i < n; ++i) pts[i] = win::POINT{pixel_points[2 * i], pixel_points[2 * i + 1]};
  }
  if (!m.draw(t.dc, pts.data(), n)) SET_STATUS_FROM_SYSTEM(ups, m.message);
}

void poly_interface(const poly_member& m, draw_target_t& t, const float* points, int points_count,
                    const float* x0, const float* y0, const float* x1, const float* y1,
                    const int* pixel_points, int pixel_count, int* ups) {
  CLEAR_STATUS(ups);
  if (points == nullptr && pixel_points == nullptr) {
    SET_STATUS(ups, std::string("You must supply either points or pixel_points to ") + m.name,
               kToolkitError);
    return;
  }
  const int real = points != nullptr ? 1 : 0;
  const int count = std::max(0, real != 0 ? points_count : pixel_count);
  poly(m, t, real != 0 ? points : nullptr, &count, x0, y0, x1, y1,
       real != 0 ? nullptr : pixel_points, &real, ups);
}

// The platform's refusal of a stretch: a failure, or no such operation.
void report_stretch(win::HDC dc, int capability, const char* failed, int* ups) {
  if ((win::GetDeviceCaps(dc, win::RASTERCAPS) & capability) != 0)
    SET_STATUS_FROM_SYSTEM(ups, failed);
  else
    SET_STATUS(ups, "DRAW_BITMAP is not supported by the output device", kToolkitError);
}

}  // namespace

void NEW_PEN(draw_target_t& t, const win::COLORREF* colour, const int* style,
             const float* width_fraction, const int* width_pixels, const float* width_inches,
             const float* width_millimetres, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "NEW_PEN")) return;
  recorded_call rc(t, kRecordNewPen, ups);
  rc.arguments(colour, style, width_fraction, width_pixels, width_inches, width_millimetres);
  if (rc.recording_only()) return;
  const win::COLORREF c = colour != nullptr ? *colour : win::GetSysColor(win::COLOR_WINDOWTEXT);
  int width = 1;
  const win::RECT& b = t.bounds;
  if (width_fraction != nullptr)
    width = truncated(((b.right - b.left) + (b.bottom - b.top)) / 2 * double(*width_fraction));
  else if (width_pixels != nullptr)
    width = *width_pixels;
  else if (width_inches != nullptr)
    width = truncated(mean_per_inch(t) * double(*width_inches));
  else if (width_millimetres != nullptr)
    width = truncated(mean_per_inch(t) * double(*width_millimetres) * kInchesPerMillimetre);
  int s = 0;
  if (style != nullptr) {
    s = *style;
    if ((s & kPenShapeBits) != 0) s |= win::PS_GEOMETRIC;
    if (width != 1) {
      if ((s & 7) != 0)
        width = 1;
      else
        s |= win::PS_GEOMETRIC;
    }
  } else if (width != 1) {
    s = win::PS_GEOMETRIC;
  }
  const win::LOGBRUSH brush{win::BS_SOLID, c, 0};
  const win::HPEN pen = win::ExtCreatePen(
      static_cast<win::DWORD>(s), static_cast<win::DWORD>(std::max(0, width)), &brush, 0, nullptr);
  if (pen == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create a new pen");
    return;
  }
  if (win::SelectObject(t.dc, pen) == nullptr) {
    win::DeleteObject(pen);
    SET_STATUS_FROM_SYSTEM(ups, "Unable to select a new pen");
    return;
  }
  if (t.pen != nullptr) win::DeleteObject(t.pen);
  t.pen = pen;
}

void NEW_BRUSH(draw_target_t& t, const win::COLORREF* colour, const int* style, const int* hatch,
               int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "NEW_BRUSH")) return;
  recorded_call rc(t, kRecordNewBrush, ups);
  rc.arguments(colour, style, hatch);
  if (rc.recording_only()) return;
  const win::LOGBRUSH lb{static_cast<win::UINT>(style != nullptr ? *style : 0),
                         colour != nullptr ? *colour : win::GetSysColor(win::COLOR_WINDOW),
                         static_cast<win::UINT_PTR>(hatch != nullptr ? *hatch : win::HS_CROSS)};
  const win::HBRUSH brush = win::CreateBrushIndirect(&lb);
  if (brush == nullptr || win::SelectObject(t.dc, brush) == nullptr) {
    if (brush != nullptr) win::DeleteObject(brush);
    SET_STATUS_FROM_SYSTEM(ups, "Unable to select a new brush");
    return;
  }
  if (t.brush != nullptr) win::DeleteObject(t.brush);
  t.brush = brush;
}

void DRAW_LINE(draw_target_t& t, const float* x, const float* y, const float* x_start,
               const float* y_start, const int* x_pixels, const int* y_pixels,
               const int* x_start_pixels, const int* y_start_pixels, win::POINT* start_point,
               win::POINT* end_point, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "DRAW_LINE")) return;
  recorded_call rc(t, kRecordDrawLine, ups);
  rc.arguments(x, y, x_start, y_start, x_pixels, y_pixels, x_start_pixels, y_start_pixels);
  rc.output(start_point);
  rc.output(end_point);
  if (rc.recording_only()) return;
  t.current.x = x_of(t, x_start_pixels, x_start, t.current.x, true);
  t.current.y = y_of(t, y_start_pixels, y_start, t.current.y, true);
  const win::POINT from = t.current;
  const win::POINT to{x_of(t, x_pixels, x, from.x, true), y_of(t, y_pixels, y, from.y, true)};
  if (start_point != nullptr) *start_point = from;
  if (end_point != nullptr) *end_point = to;
  win::MoveToEx(t.dc, from.x, from.y, nullptr);
  if (!win::LineTo(t.dc, to.x, to.y)) SET_STATUS_FROM_SYSTEM(ups, "Unable to draw a line");
  t.current = to;
}

void C_DRAW_POLYLINE(draw_target_t& t, const float* points, const int* count, const float* x0,
                     const float* y0, const float* x1, const float* y1, const int* pixel_points,
                     const int* use_real, int* ups) {
  poly(kPolyline, t, points, count, x0, y0, x1, y1, pixel_points, use_real, ups);
}

void C_DRAW_POLYGON(draw_target_t& t, const float* points, const int* count, const float* x0,
                    const float* y0, const float* x1, const float* y1, const int* pixel_points,
                    const int* use_real, int* ups) {
  poly(kPolygon, t, points, count, x0, y0, x1, y1, pixel_points, use_real, ups);
}

void C_DRAW_POLY_BEZIER(draw_target_t& t, const float* points, const int* count, const float* x0,
                        const float* y0, const float* x1, const float* y1, const int* pixel_points,
                        const int* use_real, int* ups) {
  poly(kBezier, t, points, count, x0, y0, x1, y1, pixel_points, use_real, ups);
}

void DRAW_POLYLINE(draw_target_t& t, const float* points, int points_count, const float* x0,
                   const float* y0, const float* x1, const float* y1, const int* pixel_points,
                   int pixel_count, int* ups) {
  poly_interface(kPolyline, t, points, points_count, x0, y0, x1, y1, pixel_points, pixel_count,
                 ups);
}

void DRAW_POLYGON(draw_target_t& t, const float* points, int points_count, const float* x0,
                  const float* y0, const float* x1, const float* y1, const int* pixel_points,
                  int pixel_count, int* ups) {
  poly_interface(kPolygon, t, points, points_count, x0, y0, x1, y1, pixel_points, pixel_count, ups);
}

void DRAW_POLY_BEZIER(draw_target_t& t, const float* points, int points_count, const float* x0,
                      const float* y0, const float* x1, const float* y1, const int* pixel_points,
                      int pixel_count, int* ups) {
  poly_interface(kBezier, t, points, points_count, x0, y0, x1, y1, pixel_points, pixel_count, ups);
}

void DRAW_CHORD(draw_target_t& t, const float* x1, const float* y1, const float* x2,
                const float* y2, const float* x_start, const float* y_start, const float* x_end,
                const float* y_end, const int* x1_pixels, const int* y1_pixels,
                const int* x2_pixels, const int* y2_pixels, const int* x_start_pixels,
                const int* y_start_pixels, const int* x_end_pixels, const int* y_end_pixels,
                win::RECT* rect, win::POINT* start_point, win::POINT* end_point, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "DRAW_CHORD")) return;
  recorded_call rc(t, kRecordChord, ups);
  rc.arguments(x1, y1, x2, y2, x_start, y_start, x_end, y_end, x1_pixels, y1_pixels, x2_pixels,
               y2_pixels, x_start_pixels, y_start_pixels, x_end_pixels, y_end_pixels);
  rc.output(rect);
  rc.output(start_point);
  rc.output(end_point);
  if (rc.recording_only()) return;
  const win::RECT& b = t.bounds;
  win::RECT r{x_of(t, x1_pixels, x1, 0, true), y_of(t, y1_pixels, y1, 0, true), 0, 0};
  const bool has_x2 = x2_pixels != nullptr || x2 != nullptr;
  const bool has_y2 = y2_pixels != nullptr || y2 != nullptr;
  if (has_x2) r.right = x_of(t, x2_pixels, x2, 0, true);
  r.bottom = has_y2 ? y_of(t, y2_pixels, y2, 0, true) : r.top + (has_x2 ? r.right - r.left : 0);
  if (!has_x2) r.right = r.left + (r.bottom - r.top);
  const win::POINT from{x_of(t, x_start_pixels, x_start, b.left, true),
                        y_of(t, y_start_pixels, y_start, b.top, true)};
  const win::POINT to{x_of(t, x_end_pixels, x_end, b.right, true),
                      y_of(t, y_end_pixels, y_end, b.bottom, true)};
  r.left = std::max(r.left, b.left);
  r.top = std::max(r.top, b.top);
  r.right = std::min(r.right, b.right);
  r.bottom = std::min(r.bottom, b.bottom);
  if (rect != nullptr) *rect = r;
  if (start_point != nullptr) *start_point = from;
  if (end_point != nullptr) *end_point = to;
  if (!win::Chord(t.dc, r.left, r.top, r.right, r.bottom, from.x, from.y, to.x, to.y))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to draw the Chord");
}

void DRAW_RECTANGLE(draw_target_t& t, const float* x1, const float* y1, const float* x2,
                    const float* y2, const float* corner, const int* x1_pixels,
                    const int* y1_pixels, const int* x2_pixels, const int* y2_pixels,
                    const int* corner_pixels, win::RECT* rect, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "DRAW_RECTANGLE")) return;
  recorded_call rc(t, kRecordRectangle, ups);
  rc.arguments(x1, y1, x2, y2, corner, x1_pixels, y1_pixels, x2_pixels, y2_pixels, corner_pixels);
  rc.output(rect);
  if (rc.recording_only()) return;
  const win::RECT& b = t.bounds;
  win::RECT r{x_of(t, x1_pixels, x1, b.left, false), y_of(t, y1_pixels, y1, b.top, false), 0, 0};
  const bool has_x2 = x2 != nullptr || (x2_pixels != nullptr && *x2_pixels != -1);
  const bool has_y2 = y2 != nullptr || y2_pixels != nullptr;
  if (has_x2) r.right = x2 != nullptr ? fraction_x(t, *x2) : *x2_pixels;
  if (has_y2) r.bottom = y_of(t, y2_pixels, y2, 0, false);
  if (has_x2 != has_y2) GET_TARGET_RESOLUTION(t);
  const double per_inch_x = std::max(1, t.pixels_per_inch_x);
  const double per_inch_y = std::max(1, t.pixels_per_inch_y);
  if (has_x2 && !has_y2)
    r.bottom = r.top + truncated((r.right - r.left) * per_inch_y / per_inch_x);
  else if (!has_x2 && has_y2)
    r.right = r.left + truncated((r.bottom - r.top) * per_inch_x / per_inch_y);
  else if (!has_x2)
    r.right = r.left, r.bottom = r.top;
  int round = 0;
  if (corner_pixels != nullptr)
    round = *corner_pixels;
  else if (corner != nullptr)
    round = truncated(double(*corner) * (b.right - b.left));
  if (rect != nullptr) *rect = r;
  const win::BOOL ok = round != 0
                           ? win::RoundRect(t.dc, r.left, r.top, r.right, r.bottom, round, round)
                           : win::Rectangle(t.dc, r.left, r.top, r.right, r.bottom);
  if (!ok) SET_STATUS_FROM_SYSTEM(ups, "Unable to draw the Rectangle");
}

void DRAW_BITMAP(draw_target_t& t, win::HBITMAP bitmap, const win::RECT* source, const int* scaling,
                 const float* x1, const float* y1, const float* x2, const float* y2,
                 const int* x1_pixels, const int* y1_pixels, const int* x2_pixels,
                 const int* y2_pixels, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "DRAW_BITMAP")) return;
  if (t.autopaint_mode != 0) {
    SET_STATUS(ups, "DRAW_BITMAP does not work with AUTO_PAINT", kToolkitError);
    return;
  }
  // Bounds and rectangles count their last pixel: the destination and the
  // source are made exclusive here.
  const win::RECT& b = t.bounds;
  win::RECT d{x_of(t, x1_pixels, x1, b.left, false), y_of(t, y1_pixels, y1, b.top, false),
              x_of(t, x2_pixels, x2, b.right, false) + 1,
              y_of(t, y2_pixels, y2, b.bottom, false) + 1};
  win::BITMAP bm{};
  if (win::GetObjectType(bitmap) != win::OBJ_BITMAP ||
      win::GetObjectA(bitmap, sizeof bm, &bm) == 0) {
    SET_STATUS(ups, "Unable to select the bitmap in draw_bitmap", kToolkitError);
    return;
  }
  const win::RECT s =
      source != nullptr ? *source : win::RECT{0, 0, bm.bmWidth - 1, bm.bmHeight - 1};
  const int source_w = s.right - s.left + 1, source_h = s.bottom - s.top + 1;
  const int mode = scaling != nullptr ? *scaling : 0;
  if (mode >= 1 && mode <= 3) {
    INIT_DISPLAY_METRICS();
    const int screen = display_metrics.pixels_per_inch_x;
    FIT_PRINT_RECTANGLE(win::RECT{0, 0, source_w, source_h}, d, t, mode, screen, screen);
  }
  palette_record* palette = GET_BITMAP_PALETTE(bitmap);
  const bool own_palette = palette != nullptr && palette_display();
  if (own_palette && !EnsurePalette(palette, t.dc, nullptr))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to select a bitmap palette");
  win::SetStretchBltMode(t.dc, win::COLORONCOLOR);
  const int w = d.right - d.left, h = d.bottom - d.top;
  if ((t.flags & kPrinterTarget) != 0) {
    const win::HGLOBAL dib = BITMAP_TO_DIB_HANDLE(bitmap, standard_palette.handle, t.dc);
    const auto* info =
        dib != nullptr ? static_cast<const win::BITMAPINFO*>(win::GlobalLock(dib)) : nullptr;
    const bool ok = info != nullptr &&
                    win::StretchDIBits(t.dc, d.left, d.top, w, h, s.left, s.top, source_w, source_h,
                                       reinterpret_cast<const unsigned char*>(info) +
                                           info->bmiHeader.biSize + DIB_PALETTE_SIZE(info),
                                       info, win::DIB_RGB_COLORS, win::SRCCOPY) != 0;
    if (info != nullptr) win::GlobalUnlock(dib);
    if (dib != nullptr) win::GlobalFree(dib);
    if (!ok) report_stretch(t.dc, win::RC_STRETCHDIB, "StretchDIBits failed in DRAW_BITMAP", ups);
  } else {
    const win::HDC memory = win::CreateCompatibleDC(t.dc);
    if (memory == nullptr) {
      SET_STATUS_FROM_SYSTEM(ups, "Unable to create device context for draw_bitmap");
      return;
    }
    const win::HGDIOBJ old = win::SelectObject(memory, bitmap);
    if (old == nullptr) {
      SET_STATUS_FROM_SYSTEM(ups, "Unable to select the bitmap in draw_bitmap");
    } else {
      if (!win::StretchBlt(t.dc, d.left, d.top, w, h, memory, s.left, s.top, source_w, source_h,
                           win::SRCCOPY))
        report_stretch(t.dc, win::RC_STRETCHBLT, "StretchBlt failed in DRAW_BITMAP", ups);
      win::SelectObject(memory, old);
    }
    win::DeleteDC(memory);
    if (own_palette)
      if (window_record_t* record = FIND_WINDOW_RECORD(t.window)) record->palette = palette;
  }
}

win::HBRUSH CREATE_BRUSH(const win::COLORREF* colour, const int* style, const int* hatch,
                         int* ups) {
  CLEAR_STATUS(ups);
  const win::LOGBRUSH lb{static_cast<win::UINT>(style != nullptr ? *style : 0),
                         colour != nullptr ? *colour : 0x00FFFFFF,
                         static_cast<win::UINT_PTR>(hatch != nullptr ? *hatch : win::HS_CROSS)};
  const win::HBRUSH brush = win::CreateBrushIndirect(&lb);
  if (brush == nullptr) {
    if (ups != nullptr) *ups = kToolkitError;
    return nullptr;
  }
  if (gdi_object_entry* e = ADD_GDI_OBJECT(brush, nullptr)) e->kind = win::OBJ_BRUSH;
  return brush;
}

int GET_DEVICE_CAPS(int index, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr) {
    if (CHECK_STATUS_ARGUMENT(ups, *target, "GET_DEVICE_CAPS")) return 0;
    return win::GetDeviceCaps(target->dc, index);
  }
  const win::HDC screen = win::GetDC(nullptr);
  const int value = win::GetDeviceCaps(screen, index);
  win::ReleaseDC(nullptr, screen);
  return value;
}

}  // namespace toolkit
