// The target's font and text: NEW_FONT, WRITE_TEXT, the text extent and
// the text metrics.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/charcase.h"
#include "toolkit/autopaint.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/helpers.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

// NEW_FONT's description, kept from one call to the next.
win::LOGFONTA described;
bool has_description = false;

// The description of a fresh font of `points` on the target.
void fresh_description(draw_target_t& t, int points) {
  GET_TARGET_RESOLUTION(t);
  described = win::LOGFONTA{};
  described.lfHeight = -win::MulDiv(points, t.pixels_per_inch_y, 72);
  described.lfWeight = win::FW_NORMAL;
  described.lfCharSet = win::DEFAULT_CHARSET;
  has_description = true;
}

// Tenths of a degree, truncated, below a full turn.
win::LONG tenths_of(float degrees) {
  const double t = std::trunc(std::clamp(static_cast<double>(degrees) * 10.0, -1e9, 1e9));
  return static_cast<win::LONG>(std::fmod(t, 3600.0));
}

int stock_font_of(const std::string& name) {
  const char* const names[] = {"ANSI_FIXED_FONT", "ANSI_VAR_FONT", "SYSTEM_FONT"};
  const int stock[] = {win::ANSI_FIXED_FONT, win::ANSI_VAR_FONT, win::SYSTEM_FONT};
  for (int i = 0; i < 3; ++i)
    if (plat::same_any_case(name, names[i])) return stock[i];
  return 0;
}

// The line height of the device's current font.
int line_height(win::HDC dc) {
  win::TEXTMETRICA tm{};
  win::GetTextMetricsA(dc, &tm);
  return tm.tmHeight + tm.tmExternalLeading;
}

}  // namespace

void NEW_FONT(draw_target_t& t, const char* name, int name_length, const int* points,
              const int* italic, const int* underline, const int* strike_out, const int* bold,
              const float* angle, const int* width_divisor, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "NEW_FONT")) return;
  recorded_call rc(t, kRecordNewFont, ups);
  int length = name != nullptr ? name_length : 0;
  rc.array(name, length);
  name_length = length;
  rc.arguments(points, italic, underline, strike_out, bold, angle, width_divisor);
  if (rc.recording_only()) return;
  GET_TARGET_RESOLUTION(t);
  if (!has_description) fresh_description(t, 10);
  const int p = points != nullptr ? *points : 10;
  const std::string face = name != nullptr ? trimmed_text(name, name_length) : std::string();
  const int stock = name != nullptr ? stock_font_of(face) : 0;
  win::HGDIOBJ base = nullptr;
  if (name != nullptr && stock == 0) {
    fresh_description(t, p);
    COPY_C_STRING(described.lfFaceName, face.c_str(), win::LF_FACESIZE);
  } else {
    base = stock != 0 ? win::GetStockObject(stock) : win::GetCurrentObject(t.dc, win::OBJ_FONT);
    if (base == nullptr) {
      SET_STATUS(ups, "No current font is available in NEW_FONT", kToolkitError);
      return;
    }
    if (win::GetObjectA(base, sizeof described, &described) == 0) {
      SET_STATUS(ups, "Invalid font in NEW_FONT", kToolkitError);
      return;
    }
    if (points != nullptr) {
      described.lfHeight = -win::MulDiv(p, t.pixels_per_inch_y, 72);
      described.lfWidth = 0;
    }
  }
  if (angle != nullptr) described.lfEscapement = described.lfOrientation = tenths_of(*angle);
  if (italic != nullptr) described.lfItalic = static_cast<win::BYTE>(*italic);
  if (underline != nullptr) described.lfUnderline = static_cast<win::BYTE>(*underline);
  if (strike_out != nullptr) described.lfStrikeOut = static_cast<win::BYTE>(*strike_out);
  if (bold != nullptr) described.lfWeight = *bold != 0 ? win::FW_BOLD : win::FW_NORMAL;
  if (width_divisor != nullptr && *width_divisor != 0)
    described.lfWidth = t.pixels_per_inch_x / *width_divisor;
  win::HFONT font = win::CreateFontIndirectA(&described);
  if (font == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "CreateFontIndirect failed");
    font = reinterpret_cast<win::HFONT>(win::GetStockObject(win::SYSTEM_FONT));
  }
  if (win::SelectObject(t.dc, font) == nullptr) {
    win::DeleteObject(font);
    SET_STATUS_FROM_SYSTEM(ups, "Unable to select a new font");
    return;
  }
  if (t.font != nullptr && t.font != font) win::DeleteObject(t.font);
  t.font = font;
}

void WRITE_TEXT(draw_target_t& t, const char* text, int text_length, const float* x, const float* y,
                const int* x_pixels, const int* y_pixels, const win::COLORREF* colour,
                const win::COLORREF* background, const win::HFONT* font, const int* continue_flag,
                const int* format, const int* tab_size, const int* left_margin,
                const int* right_margin, const float* angle, win::POINT* start_point,
                win::POINT* current_position, int* lines, int* characters_written, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "WRITE_TEXT")) return;
  recorded_call rc(t, kRecordWriteText, ups);
  int length = text != nullptr ? std::max(0, text_length) : 0;
  rc.array(text, length);
  rc.arguments(x, y, x_pixels, y_pixels, colour, background, font, continue_flag, format, tab_size,
               left_margin, right_margin, angle);
  if (rc.recording_only()) return;
  if (text == nullptr) length = 0;
  const win::HDC dc = t.dc;
  if (colour != nullptr && win::SetTextColor(dc, *colour) == win::CLR_INVALID)
    SET_STATUS_FROM_SYSTEM(ups, "Invalid Color argument to WRITE_TEXT");
  if (background != nullptr) {
    if (*background == 0xFFFFFFFF) {
      win::SetBkMode(dc, win::TRANSPARENT);
    } else {
      win::SetBkMode(dc, win::OPAQUE);
      if (win::SetBkColor(dc, *background) == win::CLR_INVALID)
        SET_STATUS_FROM_SYSTEM(ups, "Invalid background color specified to WRITE_TEXT");
    }
  }
  if (continue_flag != nullptr && *continue_flag != 0) {
    t.current = t.continuation;
  } else {
    if (x != nullptr)
      t.current.x = fraction_x(t, *x);
    else if (x_pixels != nullptr)
      t.current.x = *x_pixels;
    if (y != nullptr)
      t.current.y = fraction_y(t, *y);
    else if (y_pixels != nullptr)
      t.current.y = *y_pixels;
  }
  const win::POINT at = t.current;
  if (start_point != nullptr) *start_point = at;
  const win::GdiObjectRef base = font != nullptr
                                     ? win::GdiObjectRef(*font)
                                     : win::GdiObjectRef(win::GetCurrentObject(dc, win::OBJ_FONT));
  if (base.value == 0) {
    SET_STATUS(ups, "Unable to determine the current Font in write_text", kToolkitError);
    return;
  }
  bool rotated = false;
  win::HFONT turned = nullptr;
  win::HGDIOBJ before_turn = nullptr;
  win::LOGFONTA lf{};
  if (win::GetObjectType(base) != win::OBJ_FONT || win::GetObjectA(base, sizeof lf, &lf) == 0) {
    SET_STATUS(ups,
               angle != nullptr ? "Font must be specified for rotate in write_text"
                                : "Invalid font in write_text",
               kToolkitError);
    return;
  }
  if (angle != nullptr) {
    lf.lfEscapement = lf.lfOrientation = tenths_of(*angle);
    turned = win::CreateFontIndirectA(&lf);
    before_turn = win::SelectObject(dc, turned);
    rotated = true;
  } else {
    if (font != nullptr) win::SelectObject(dc, *font);
    rotated = lf.lfEscapement != 0;
  }
  if (current_position != nullptr) {
    win::MoveToEx(dc, at.x, at.y, nullptr);
    win::SetTextAlign(dc, win::TA_UPDATECP);
  }
  const win::RECT& b = t.bounds;
  int height = 0, written = 0;
  if (length == 0) {
    win::SIZE size{};
    win::GetTextExtentPoint32A(dc, "X", 1, &size);
    t.continuation.y = at.y;
    t.current.y = at.y + size.cy;
  } else if (format == nullptr) {
    if (rotated) {
      win::TextOutA(dc, at.x, at.y, text, length);
      written = length;
    } else if (at.x > b.right) {
      written = 0;
    } else {
      int fit = 0;
      win::SIZE whole{};
      // The bounds count their last pixel: a text that ends on it fits.
      if (!win::GetTextExtentExPointA(dc, text, length, b.right + 1 - at.x, &fit, nullptr,
                                      &whole)) {
        SET_STATUS(ups, "Internal error calling GetTextExtentExPoint", kToolkitError);
      } else {
        const win::RECT clip{b.left, b.top, at.x + whole.cx, b.bottom + 1};
        win::ExtTextOutA(dc, at.x, at.y, win::ETO_CLIPPED, &clip, text, static_cast<win::UINT>(fit),
                         nullptr);
        written = fit;
        height = whole.cy;
        const win::POINT next_line{b.left, at.y + whole.cy};
        t.continuation = fit == length ? win::POINT{at.x + whole.cx, at.y} : next_line;
        t.current = next_line;
      }
    }
  } else {
    if (rotated)
      SET_STATUS(ups, "Format argument is not compatible with rotated fonts in WRITE_TEXT",
                 kToolkitError);
    win::UINT f = static_cast<win::UINT>(*format);
    if ((f & (win::DT_VCENTER | win::DT_BOTTOM)) != 0) f |= win::DT_SINGLELINE;
    if ((f & win::DT_SINGLELINE) == 0) f |= win::DT_WORDBREAK;
    win::DRAWTEXTPARAMS params;
    params.iTabLength = 8;
    if (tab_size != nullptr) {
      params.iTabLength = *tab_size;
      f |= win::DT_EXPANDTABS;
    }
    params.iLeftMargin = left_margin != nullptr ? *left_margin * 8 : 0;
    params.iRightMargin = right_margin != nullptr ? *right_margin * 8 : 0;
    win::RECT area{at.x, at.y, b.right, b.bottom};
    std::string copy(text, static_cast<std::size_t>(length));
    height = win::DrawTextExA(dc, copy.data(), length, &area, f | win::DT_NOPREFIX, &params);
    written = static_cast<int>(params.uiLengthDrawn);
    t.current = win::POINT{b.left, at.y + height};
    t.continuation.x = b.left;
  }
  if (current_position != nullptr) {
    win::GetCurrentPositionEx(dc, current_position);
    win::SetTextAlign(dc, win::TA_NOUPDATECP);
  }
  if (turned != nullptr) {
    win::SelectObject(dc, before_turn);
    win::DeleteObject(turned);
  }
  if (lines != nullptr) *lines = height / std::max(1, line_height(dc));
  if (characters_written != nullptr) *characters_written = written;
}

void GET_TEXT_EXTENT(draw_target_t& t, const char* text, int text_length, const win::HFONT* font,
                     float* extent_fraction, int* extent_pixels, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, t, "GET_TEXT_EXTENT")) return;
  if (t.autopaint_mode != 0) {
    SET_STATUS(ups, "Autopaint is invalid for GET_TEXT_EXTENT", kToolkitError);
    return;
  }
  if (font != nullptr) win::SelectObject(t.dc, *font);
  win::SIZE size{};
  if (!win::GetTextExtentPoint32A(t.dc, text != nullptr ? text : "",
                                  text != nullptr ? std::max(0, text_length) : 0, &size)) {
    SET_STATUS_FROM_SYSTEM(ups, "Invalid arguments in GET_TEXT_EXTENT");
    return;
  }
  if (extent_pixels != nullptr) {
    extent_pixels[0] = size.cx;
    extent_pixels[1] = size.cy;
  }
  if (extent_fraction != nullptr) {
    const int w = t.bounds.right - t.bounds.left, h = t.bounds.bottom - t.bounds.top;
    extent_fraction[0] = w != 0 ? static_cast<float>(size.cx) / w : static_cast<float>(size.cx);
    extent_fraction[1] = h != 0 ? static_cast<float>(size.cy) / h : static_cast<float>(size.cy);
  }
}

void GET_TEXT_METRICS(win::TEXTMETRICA& metrics, draw_target_t* target, const win::HFONT* font,
                      int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr && CHECK_STATUS_ARGUMENT(ups, *target, "GET_TEXT_METRICS")) return;
  const win::HDC dc = target != nullptr ? target->dc : win::GetDC(nullptr);
  win::HGDIOBJ old = nullptr;
  if (font != nullptr && (old = win::SelectObject(dc, *font)) == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Invalid font in GET_TEXT_METRICS");
  } else if (!win::GetTextMetricsA(dc, &metrics)) {
    SET_STATUS_FROM_SYSTEM(ups, "Error in GET_TEXT_METRICS");
  }
  if (old != nullptr) win::SelectObject(dc, old);
  if (target == nullptr) win::ReleaseDC(nullptr, dc);
}

void reset_draw() {
  described = win::LOGFONTA{};
  has_description = false;
}

}  // namespace toolkit
