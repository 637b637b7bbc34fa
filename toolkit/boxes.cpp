// The box routines' interface form: absent arguments become the workers'
// -1, -1.0 and absent handles.
#include <algorithm>

#include "platform/file_units.h"
#include "toolkit/boxes.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

float clamped_fraction(const float* f) { return f != nullptr ? std::clamp(*f, 0.0F, 1.0F) : -1.0F; }

}  // namespace

box_record_t* DEFINE_BOX(const win::HWND* window, const int* style, const char* file_name,
                         int file_name_length, const int* unit, const float* left_fraction,
                         const float* top_fraction, const float* right_fraction,
                         const float* bottom_fraction, const int* left, const int* top,
                         const int* right, const int* bottom, const win::HBRUSH* brush,
                         const win::COLORREF* text_colour, const win::HFONT* font,
                         const win::HBRUSH* frame_brush, paint_callback paint,
                         scroll_callback scroll, const win::HBITMAP* bitmap, int* ups) {
  CLEAR_STATUS(ups);
  if (unit != nullptr) {
    REPORT_ERROR(ups, "UNIT specifiers are not allowed in this version of Fenstra");
    if (!plat::unit_is_open(*unit)) {
      char text[32];
      REPORT_IOSTAT(plat::iostat_no_file, text, sizeof text);
      REPORT_SYSTEM_ERROR(ups, std::string_view(text, sizeof text));
    }
  }
  const bool has_file = (file_name != nullptr && file_name_length > 0) || unit != nullptr;
  const int box_style = style != nullptr ? *style : (has_file ? kStyleFile : -1);
  return C_DEFINE_BOX(window != nullptr ? *window : MAIN_WINDOW(), box_style, file_name,
                      file_name_length, or_absent(unit), clamped_fraction(left_fraction),
                      clamped_fraction(top_fraction), clamped_fraction(right_fraction),
                      clamped_fraction(bottom_fraction), or_absent(left), or_absent(top),
                      or_absent(right), or_absent(bottom), or_absent(brush),
                      colour_or_absent(text_colour), or_absent(font), or_absent(frame_brush), paint,
                      scroll, or_absent(bitmap), ups);
}

int REDEFINE_BOX(box_record_t* box, const int* style, const char* file_name, int file_name_length,
                 const int* unit, const float* left_fraction, const float* top_fraction,
                 const float* right_fraction, const float* bottom_fraction, const int* left,
                 const int* top, const int* right, const int* bottom, const win::HBRUSH* brush,
                 const win::COLORREF* text_colour, const win::HFONT* font,
                 const win::HBRUSH* frame_brush, paint_callback paint, scroll_callback scroll,
                 const win::HBITMAP* bitmap, const int* remove_paint, const int* remove_scroll,
                 int* ups) {
  return C_REDEFINE_BOX(
      box, or_absent(style), file_name, file_name_length, or_absent(unit), or_absent(left_fraction),
      or_absent(top_fraction), or_absent(right_fraction), or_absent(bottom_fraction),
      or_absent(left), or_absent(top), or_absent(right), or_absent(bottom), or_absent(brush),
      colour_or_absent(text_colour), or_absent(font), or_absent(frame_brush), paint, scroll,
      or_absent(bitmap), remove_paint != nullptr ? *remove_paint : 0,
      remove_scroll != nullptr ? *remove_scroll : 0, ups);
}

int DESTROY_BOX(box_record_t*& box, int* ups) { return C_DESTROY_BOX(box, ups); }

}  // namespace toolkit
