#include "toolkit/draw_targets.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/win_print.h"
#include "toolkit/bitmaps.h"
#include "toolkit/boxes.h"
#include "toolkit/colours.h"
#include "toolkit/helpers.h"
#include "toolkit/printing.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr double kInchesPerMillimetre = 0.03937007874015748;

// The bitmap a new memory device held before the target's was selected.
win::HGDIOBJ saved_bitmap = nullptr;

// A failed start: the target stays closed.
void fail_start(draw_target_t& target, win::HDC memory_dc) {
  if (memory_dc != nullptr) win::DeleteDC(memory_dc);
  target = draw_target_t{};
}

// A backing bitmap of the given client size for a window or box that has
// none: white, recorded, scrolled unscaled unless it already is.
win::HBITMAP make_backing_bitmap(const win::RECT& client, std::int32_t& style,
                                 scroll_data_t& scroll, int* ups) {
  const win::HBITMAP bitmap =
      CREATE_BITMAP(client.right - client.left, client.bottom - client.top, nullptr, ups);
  if (bitmap == nullptr) return nullptr;
  if ((style & kStylePixelScroll) == 0) style = kStyleBitmap;
  take_bitmap_ranges(style, scroll, bitmap);
  return bitmap;
}

// The bitmap drawn on: the given one, or the backing bitmap of the window
// or box (made on first use). Null after reporting when there is none.
win::HBITMAP chosen_bitmap(const win::HBITMAP* bitmap, const win::HWND* window, box_record_t* box,
                           draw_target_t& target, int* ups) {
  if (bitmap != nullptr) return *bitmap;
  if (window != nullptr) {
    window_record_t* record = FIND_WINDOW_RECORD(*window);
    if (record == nullptr) {
      SET_STATUS(ups, "Invalid window handle in START_BITMAP_DRAW", kToolkitError);
      return nullptr;
    }
    if (record->bitmap == nullptr) {
      UPDATE_CLIENT_RECT(*record);
      record->bitmap = make_backing_bitmap(record->client, record->style, record->scroll, ups);
      if (record->bitmap == nullptr) return nullptr;
      record->flags |= kToolkitBitmap;
      SHOW_WINDOW_SCROLL_BARS(*record);
    }
    target.window = *window;
    return record->bitmap;
  }
  if (box != nullptr) {
    if (!CHECK_BOX_ARGUMENT(box, "START_BITMAP_DRAW", ups)) return nullptr;
    if (box->bitmap == nullptr) {
      box->bitmap = make_backing_bitmap(box->client, box->style, box->scroll, ups);
      if (box->bitmap == nullptr) return nullptr;
    }
    target.window = box->window;
    target.box = box;
    return box->bitmap;
  }
  SET_STATUS(ups, "You must supply a bitmap, window, or box to START_BITMAP_DRAW", kToolkitError);
  return nullptr;
}

}  // namespace

void START_BITMAP_DRAW(const win::HBITMAP* bitmap, const win::HWND* window, box_record_t* box,
                       draw_target_t& target, int* ups) {
  CLEAR_STATUS(ups);
  target = draw_target_t{};
  const win::HBITMAP chosen = chosen_bitmap(bitmap, window, box, target, ups);
  if (chosen == nullptr) {
    fail_start(target, nullptr);
    return;
  }
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::BITMAP bm{};
  if (dc == nullptr || win::GetObjectA(chosen, sizeof bm, &bm) == 0 ||
      win::GetObjectType(chosen) != win::OBJ_BITMAP) {
    SET_STATUS(ups, "Invalid Bitmap handle in START_BITMAP_DRAW", kToolkitError);
    fail_start(target, dc);
    return;
  }
  const win::HGDIOBJ previous = win::SelectObject(dc, chosen);
  if (previous == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Bitmap is already in use in START_BITMAP_DRAW");
    fail_start(target, dc);
    return;
  }
  saved_bitmap = previous;
  target.dc = dc;
  target.bitmap = chosen;
  target.bounds = win::RECT{0, 0, bm.bmWidth - 1, bm.bmHeight - 1};
  target.marker = kMarker;
}

void END_BITMAP_DRAW(draw_target_t& target, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, target, "END_BITMAP_DRAW")) return;
  win::SelectObject(target.dc, saved_bitmap);
  if (!win::DeleteDC(target.dc)) {
    if (ups != nullptr) *ups = kToolkitError;
  } else {
    target.dc = nullptr;
  }
  if (target.box != nullptr)
    UPDATE_BOX(target.box, ups);
  else if (target.window != nullptr)
    UPDATE_WINDOW(target.window, nullptr, nullptr, ups);
  RELEASE_DRAW_OBJECTS(target);
}

void START_DIRECT_DRAW(const win::HWND* window, box_record_t* box, draw_target_t& target,
                       int* ups) {
  CLEAR_STATUS(ups);
  target = draw_target_t{};
  if (window != nullptr) {
    target.window = *window;
    GET_CLIENT_AREA(*window, target.bounds);
  } else if (box != nullptr) {
    if (!CHECK_BOX_ARGUMENT(box, "START_DIRECT_DRAW", ups)) return;
    target.window = box->window;
    target.box = box;
    target.bounds = box->client;
  } else {
    SET_STATUS(ups, "You must supply a window or box to START_DIRECT_DRAW", kToolkitError);
    return;
  }
  if (target.window == nullptr || !win::IsWindow(target.window) ||
      (target.dc = win::GetDC(target.window)) == nullptr) {
    SET_STATUS(ups, "Invalid window handle in START_DIRECT_DRAW", kToolkitError);
    fail_start(target, nullptr);
    return;
  }
  target.current = target.continuation = win::POINT{target.bounds.left, target.bounds.top};
  window_record_t* record = FIND_WINDOW_RECORD(target.window);
  if (record != nullptr) {
    if ((record->direct_drawing & kPainting) != 0) {
      win::ReleaseDC(target.window, target.dc);
      record->direct_drawing |= kRepaintRequested;
      fail_start(target, nullptr);
      SET_STATUS(ups, "Can't paint while painting", kToolkitError);
      return;
    }
    record->direct_drawing = kPainting;
  }
  if (palette_display()) {
    if (record != nullptr && record->palette != nullptr &&
        !EnsurePalette(record->palette, target.dc, nullptr))
      SET_STATUS_FROM_SYSTEM(ups, "Unable to select a color palette in START_DIRECT_DRAW");
    if (!EnsurePalette(&standard_palette, target.dc, nullptr)) {
      SET_STATUS_FROM_SYSTEM(ups, "Unable to select a color palette in START_DIRECT_DRAW(2)");
      win::DeleteObject(standard_palette.handle);
      standard_palette.handle = nullptr;
    }
  }
  if (record != nullptr) {
    win::SetBkColor(target.dc, record->background);
    win::SetTextColor(target.dc, record->text_colour);
    if (record->font != nullptr) win::SelectObject(target.dc, record->font);
  }
  target.marker = kMarker;
}

void END_DIRECT_DRAW(draw_target_t& target, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, target, "END_DIRECT_DRAW")) return;
  bool repaint = false;
  if (window_record_t* record = FIND_WINDOW_RECORD(target.window)) {
    repaint = (record->direct_drawing & kRepaintRequested) != 0;
    record->direct_drawing = 0;
  }
  if (win::ReleaseDC(target.window, target.dc) == 0 && ups != nullptr) *ups = kToolkitError;
  target.dc = nullptr;
  RELEASE_DRAW_OBJECTS(target);
  // A paint refused meanwhile comes now.
  if (repaint) win::InvalidateRect(target.window, nullptr, win::TRUE);
}

bool CHECK_STATUS_ARGUMENT(int* ups, draw_target_t& target, std::string_view routine) {
  if (target.marker != kMarker) {
    SET_STATUS(ups, "Invalid argument 'ups' passed to: " + std::string(routine), kToolkitError);
    return true;
  }
  if ((target.flags & kPrinterTarget) != 0 && print_job_state != 0) {
    if (ups != nullptr) *ups = kPrintCancelled;
    CANCEL_PRINT(target);
  }
  return false;
}

void RELEASE_DRAW_OBJECTS(draw_target_t& target) {
  const struct {
    win::GdiObjectRef object;
    int stock;
  } held[] = {{target.pen, win::BLACK_PEN},
              {target.brush, win::NULL_BRUSH},
              {target.font, win::SYSTEM_FONT}};
  for (const auto& h : held) {
    if (h.object.value == 0) continue;
    if (target.dc != nullptr) win::SelectObject(target.dc, win::GetStockObject(h.stock));
    win::DeleteObject(h.object);
  }
  target.pen = nullptr;
  target.brush = nullptr;
  target.font = nullptr;
  target.marker = 0;
}

void GET_RECT(draw_target_t* target, const win::HWND* window, box_record_t* box,
              const win::HBITMAP* bitmap, const int* whole_window, win::RECT& rect, int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr) {
    if (CHECK_STATUS_ARGUMENT(ups, *target, "GET_RECT")) return;
    rect = target->bounds;
    if (target->autopaint_mode == 1)
      SET_STATUS(ups, "get_rect does not return useful values with AUTO_PAINT", kToolkitError);
  } else if (bitmap != nullptr) {
    win::BITMAP bm{};
    if (win::GetObjectType(*bitmap) != win::OBJ_BITMAP ||
        win::GetObjectA(*bitmap, sizeof bm, &bm) == 0) {
      SET_STATUS(ups, "Invalid Bitmap handle in GET_RECT", kToolkitError);
      return;
    }
    rect = win::RECT{0, 0, bm.bmWidth, bm.bmHeight};
  } else if (window != nullptr) {
    const bool whole = whole_window != nullptr && (*whole_window & 1) != 0;
    if (!win::IsWindow(*window) ||
        (whole ? !win::GetWindowRect(*window, &rect) : !GET_CLIENT_AREA(*window, rect)))
      SET_STATUS(ups, "Invalid Window passed to get_rect", kToolkitError);
  } else if (box != nullptr) {
    if (CHECK_BOX_ARGUMENT(box, "GET_RECT", ups)) rect = box->client;
  } else {
    GET_CLIENT_AREA(nullptr, rect);
  }
}

bool GET_CLIENT_AREA(win::HWND window, win::RECT& rect) {
  if (window == nullptr) return win::GetClientRect(win::GetDesktopWindow(), &rect) != 0;
  if (window_record_t* record = FIND_WINDOW_RECORD(window)) {
    UPDATE_CLIENT_RECT(*record);
    rect = record->client;
    return true;
  }
  return win::GetClientRect(window, &rect) != 0;
}

void GET_TARGET_RESOLUTION(draw_target_t& target) {
  if (target.pixels_per_inch_x != 0 && target.pixels_per_inch_y != 0 &&
      target.pixels_per_mm_x != 0.0F && target.pixels_per_mm_y != 0.0F)
    return;
  const win::HDC dc = target.dc != nullptr ? target.dc : win::GetDC(nullptr);
  target.pixels_per_inch_x = win::GetDeviceCaps(dc, win::LOGPIXELSX);
  target.pixels_per_inch_y = win::GetDeviceCaps(dc, win::LOGPIXELSY);
  if (target.dc == nullptr) win::ReleaseDC(nullptr, dc);
  target.pixels_per_mm_x = static_cast<float>(target.pixels_per_inch_x * kInchesPerMillimetre);
  target.pixels_per_mm_y = static_cast<float>(target.pixels_per_inch_y * kInchesPerMillimetre);
}

int truncated(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0));
}

int fraction_x(const draw_target_t& target, float f) {
  const win::RECT& b = target.bounds;
  return truncated(b.left + static_cast<double>(f) * (b.right - b.left));
}

int fraction_y(const draw_target_t& target, float f) {
  const win::RECT& b = target.bounds;
  return truncated(b.top + static_cast<double>(f) * (b.bottom - b.top));
}

}  // namespace toolkit
