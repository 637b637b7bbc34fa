// The box workers, the box check and the layout.
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <unordered_set>

#include "toolkit/boxes.h"
#include "toolkit/colours.h"
#include "toolkit/entry.h"
#include "toolkit/memory.h"
#include "toolkit/scroll_files.h"
#include "toolkit/scrolling.h"
#include "toolkit/standins.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

std::unordered_set<const box_record_t*> live_boxes;

// The brush's colour becomes the box's background; a non-brush is reported
// while the diagnosis mode is on.
void take_brush(box_record_t& box, win::HBRUSH brush, const char* message, int* ups) {
  if (!check_brush(brush, message, ups)) return;
  box.brush = brush;
  box.background = brush_colour(brush);
}

win::HBRUSH system_brush(int colour_index, win::HWND owner) {
  const win::HBRUSH brush = win::CreateSolidBrush(win::GetSysColor(colour_index));
  if (gdi_object_entry* e = ADD_GDI_OBJECT(brush, owner)) e->kind = win::OBJ_BRUSH;
  return brush;
}

void take_font(box_record_t& box, win::HFONT font) {
  box.font = font;
  bool variable = false;
  MEASURE_FONT(font, box.char_width, box.line_height, variable);
  if (variable)
    box.scroll.flags |= kScrollVariablePitch;
  else
    box.scroll.flags &= ~kScrollVariablePitch;
}

void take_frame(box_record_t& box, win::HBRUSH frame) {
  if (frame == nullptr) {
    box.frame_brush = nullptr;
    box.frame_width = 0;
    return;
  }
  box.frame_brush = frame == absent_handle<win::HBRUSH>()
                        ? system_brush(win::COLOR_WINDOWFRAME, box.window)
                        : frame;
  box.frame_width = 1;
}

void take_bitmap(box_record_t& box, window_record_t& record, win::HBITMAP bitmap) {
  box.bitmap = bitmap;
  take_bitmap_ranges(box.style, box.scroll, bitmap);
  if (record.palette == nullptr) MAKE_BITMAP_PALETTE(record);
}

void count_visible(box_record_t& box) {
  if ((box.style & (kStyleScrollFile | kStylePixelScroll)) == 0) return;
  if (box.line_height > 0)
    box.scroll.lines_per_page = (box.client.bottom - box.client.top) / box.line_height;
  if (box.char_width > 0)
    box.scroll.columns_per_page = (box.client.right - box.client.left) / box.char_width;
}

void take_file_name(box_record_t& box, const char* name, int length, int* ups) {
  copy_scroll_file_name(box.scroll, name, length);
  if ((box.style & kStyleScrollFile) != 0) OPEN_SCROLL_FILE(ups, box.scroll);
}

int round_edge(double value) { return static_cast<int>(value + 0.5); }

}  // namespace

bool CHECK_BOX_ARGUMENT(const box_record_t* box, std::string_view routine, int* ups) {
  if (box != nullptr && live_boxes.count(box) != 0 && box->marker == kMarker) return true;
  SET_STATUS(ups, "Invalid box argument passed to: " + std::string(routine), kToolkitError);
  return false;
}

box_record_t* C_DEFINE_BOX(win::HWND window, int style, const char* file_name, int file_name_length,
                           int unit, float left_fraction, float top_fraction, float right_fraction,
                           float bottom_fraction, int left, int top, int right, int bottom,
                           win::HBRUSH brush, win::COLORREF text_colour, win::HFONT font,
                           win::HBRUSH frame_brush, paint_callback paint, scroll_callback scroll,
                           win::HBITMAP bitmap, int* ups) {
  void* memory = HEAP_ALLOCATE_ZEROED(sizeof(box_record_t));
  if (memory == nullptr) return nullptr;
  auto* box = new (memory) box_record_t();
  live_boxes.insert(box);
  box->marker = kMarker;
  box->paint = paint;
  box->window = window;
  const bool has_file = (file_name != nullptr && file_name_length > 0) || unit != -1;
  if (style == -1 || style == -2)
    style = paint != nullptr ? kStylePaint
                             : (given(bitmap) ? kStyleBitmap : (has_file ? kStyleFile : 0));
  box->fraction[0] = left_fraction;
  box->fraction[1] = top_fraction;
  box->fraction[2] = right_fraction;
  box->fraction[3] = bottom_fraction;
  box->pixel[0] = left;
  box->pixel[1] = top;
  box->pixel[2] = right;
  box->pixel[3] = bottom;
  if (given(brush)) {
    take_brush(*box, brush, "Brush parameter to define_box is invalid", ups);
  } else {
    box->background = win::GetSysColor(win::COLOR_WINDOW);
    box->brush = system_brush(win::COLOR_WINDOW, window);
  }
  box->text_colour =
      text_colour != kAbsentColour ? text_colour : win::GetSysColor(win::COLOR_WINDOWTEXT);
  take_font(*box, given(font) ? font : DEFAULT_FONT());
  take_frame(*box, frame_brush);
  win::InvalidateRect(window, nullptr, win::TRUE);
  box->style = style;
  if (window_record_t* record = FIND_WINDOW_RECORD(window)) {
    APPEND_BOX(record->first_box, box);
    if (given(bitmap)) take_bitmap(*box, *record, bitmap);
    LAYOUT_BOX(*box);
    count_visible(*box);
    if ((box->style & (kStyleScrollFile | kStylePixelScroll)) != 0 && file_name != nullptr &&
        file_name_length > 0)
      take_file_name(*box, file_name, file_name_length, ups);
  }
  box->scroll_proc = scroll;
  return box;
}

int C_REDEFINE_BOX(box_record_t* box, int style, const char* file_name, int file_name_length,
                   int unit, float left_fraction, float top_fraction, float right_fraction,
                   float bottom_fraction, int left, int top, int right, int bottom,
                   win::HBRUSH brush, win::COLORREF text_colour, win::HFONT font,
                   win::HBRUSH frame_brush, paint_callback paint, scroll_callback scroll,
                   win::HBITMAP bitmap, int remove_paint, int remove_scroll, int* ups) {
  CLEAR_STATUS(ups);
  if (!CHECK_BOX_ARGUMENT(box, "REDEFINE_BOX", ups)) return 0;
  if (style != -1) box->style = style;
  if (paint != nullptr) {
    box->paint = paint;
    if (style == -1) box->style = kStylePaint;
  }
  if (unit != -1) SET_STATUS(ups, "UNIT argument not available with this platform", kToolkitError);
  const float fractions[4] = {left_fraction, top_fraction, right_fraction, bottom_fraction};
  const int pixels[4] = {left, top, right, bottom};
  for (int i = 0; i < 4; ++i) {
    if (fractions[i] != -1.0F) box->fraction[i] = fractions[i];
    if (pixels[i] != -1) box->pixel[i] = pixels[i];
  }
  if (given(brush)) take_brush(*box, brush, "Brush parameter to redefine_box is invalid", ups);
  if (text_colour != kAbsentColour) box->text_colour = text_colour;
  if (given(font)) take_font(*box, font);
  if (frame_brush != absent_handle<win::HBRUSH>()) take_frame(*box, frame_brush);
  window_record_t* record = FIND_WINDOW_RECORD(box->window);
  if (given(bitmap) && record != nullptr) take_bitmap(*box, *record, bitmap);
  if (record != nullptr) LAYOUT_BOX(*box);
  count_visible(*box);
  if (scroll != nullptr) box->scroll_proc = scroll;
  if (file_name != nullptr && file_name_length > 0) {
    FREE_SCROLL_FILE(ups, box->scroll);
    take_file_name(*box, file_name, file_name_length, ups);
  }
  if (remove_scroll != 0) box->scroll_proc = nullptr;
  if (remove_paint != 0) box->paint = nullptr;
  win::InvalidateRect(box->window, nullptr, win::TRUE);
  return 0;
}

int C_DESTROY_BOX(box_record_t*& box, int* ups) {
  CLEAR_STATUS(ups);
  if (!CHECK_BOX_ARGUMENT(box, "DESTROY_BOX", ups)) return 0;
  FREE_SCROLL_FILE(ups, box->scroll);
  DESTROY_BOX_SCROLL_BARS(*box);
  win::InvalidateRect(box->window, nullptr, win::TRUE);
  int found = 0;
  if (window_record_t* record = FIND_WINDOW_RECORD(box->window))
    found = UNLINK_BOX(record->first_box, box, ups);
  FREE_MEMORY(box->autopaint.base);
  live_boxes.erase(box);
  box->marker = 0;
  box->~box_record_t();
  FREE_MEMORY(box);
  box = nullptr;
  return found;
}

void DESTROY_BOX_SCROLL_BARS(box_record_t& box) {
  DESTROY_VERTICAL_SCROLL_BAR(box);
  DESTROY_HORIZONTAL_SCROLL_BAR(box);
}

void DESTROY_VERTICAL_SCROLL_BAR(box_record_t& box) {
  if (box.vscroll != nullptr) win::DestroyWindow(box.vscroll);
  box.vscroll = nullptr;
}

void DESTROY_HORIZONTAL_SCROLL_BAR(box_record_t& box) {
  if (box.hscroll != nullptr) win::DestroyWindow(box.hscroll);
  box.hscroll = nullptr;
}

void LAYOUT_BOX(box_record_t& box) {
  window_record_t* record = FIND_WINDOW_RECORD(box.window);
  if (record == nullptr) return;
  UPDATE_CLIENT_RECT(*record);
  const win::RECT c = record->client;
  const float* f = box.fraction;
  const int* p = box.pixel;
  const double height = c.bottom - c.top;
  win::RECT& o = box.outer;
  o.left =
      f[0] >= 0.0F ? round_edge(c.right * f[0]) : (p[0] != -1 ? std::max(p[0], c.left) : c.left);
  o.right =
      f[2] >= 0.0F ? round_edge(c.right * f[2]) : (p[2] != -1 ? std::min(p[2], c.right) : c.right);
  o.top = f[1] > 0.0F ? round_edge(c.top + height * f[1])
                      : (p[1] != -1 ? std::max(p[1], c.top) : c.top);
  o.bottom = f[3] > 0.0F ? round_edge(c.top + height * f[3])
                         : (p[3] != -1 ? std::min(p[3], c.bottom) : c.bottom);
  const int w = box.frame_width;
  box.client = win::RECT{o.left + w, o.top + w, o.right - w, o.bottom - w};
  win::InvalidateRect(box.window, &o, win::TRUE);
  LAYOUT_BOX_SCROLL_BARS(box);
}

void LAYOUT_BOXES(win::HWND window) {
  if (window_record_t* record = FIND_WINDOW_RECORD(window))
    for (box_record_t* b = record->first_box; b != nullptr; b = b->next) LAYOUT_BOX(*b);
}

void reset_boxes() { live_boxes.clear(); }

}  // namespace toolkit
