#include "toolkit/paint.h"

#include <algorithm>
#include <vector>

#include "platform/win_controls.h"
#include "toolkit/autopaint.h"
#include "toolkit/colours.h"
#include "toolkit/draw_targets.h"
#include "toolkit/mouse.h"
#include "toolkit/scroll_files.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"
#include "toolkit/statusbar.h"

namespace toolkit {

namespace {

constexpr int kLineLength = 1024;
// Scroll-data flags of painting: the file stays open between paints; the
// lines are to be counted again.
constexpr std::uint32_t kScrollStaysOpen = 0x2;
constexpr std::uint32_t kScrollRecount = 0x4;

bool callback_style(int style) {
  return style == 1 || style == 0x2001 || style == 0x4001 || style == 0x6001;
}
bool bitmap_style(int style) {
  return style == 0x1000 || style == 0x3000 || style == 0x5000 || style == 0x7000;
}
bool file_style(int style) { return style == 0x2800 || style == 0x4800 || style == 0x6800; }

bool meets(const win::RECT& a, const win::RECT& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// A target over the paint device.
draw_target_t paint_target(win::HWND window, win::PAINTSTRUCT& paint, win::HDC dc,
                           box_record_t* box, const win::RECT& bounds, int mode) {
  draw_target_t t;
  t.window = window;
  t.paint = &paint;
  t.dc = dc;
  t.box = box;
  t.bounds = bounds;
  t.current = t.continuation = win::POINT{bounds.left, bounds.top};
  t.autopaint_mode = mode;
  t.marker = kMarker;
  return t;
}

// The paint callback with a target over the paint device.
void call_paint(paint_callback paint, draw_target_t t) {
  if (paint == nullptr) return;
  paint(t);
  RELEASE_DRAW_OBJECTS(t);
}

// The recorded drawing again, unless a replay of this buffer is under way.
void replay(draw_target_t t, autopaint_buffer& buffer) {
  if (buffer.mode != 0) return;
  buffer.mode = 2;
  buffer.read_position = 0;
  while (buffer.read_position < buffer.used) REPLAY_AUTO_PAINT(t, buffer);
  buffer.mode = 0;
  RELEASE_DRAW_OBJECTS(t);
}

// Copies the bitmap (from `from`) onto `to` of the device: stretched over
// it, or unscaled.
void copy_bitmap(win::HDC dc, win::HBITMAP bitmap, const win::RECT& to, win::POINT from,
                 bool stretch) {
  const win::HDC memory = win::CreateCompatibleDC(dc);
  const win::HGDIOBJ old = win::SelectObject(memory, bitmap);
  if (old != nullptr) {
    const int w = to.right - to.left, h = to.bottom - to.top;
    if (stretch) {
      win::BITMAP bm{};
      win::GetObjectA(bitmap, sizeof bm, &bm);
      win::SetStretchBltMode(dc, win::COLORONCOLOR);
      win::StretchBlt(dc, to.left, to.top, w, h, memory, 0, 0, bm.bmWidth, bm.bmHeight,
                      win::SRCCOPY);
    } else {
      win::BitBlt(dc, to.left, to.top, w, h, memory, from.x, from.y, win::SRCCOPY);
    }
    win::SelectObject(memory, old);
  }
  win::DeleteDC(memory);
}

// The visible lines and columns of a text area.
void count_visible(scroll_data_t& s, const win::RECT& area, int line_height, int char_width) {
  if (line_height > 0) s.lines_per_page = (area.bottom - area.top) / line_height;
  if (char_width > 0) s.columns_per_page = (area.right - area.left) / char_width;
}

void paint_window_file(window_record_t& r, win::HDC dc, win::PAINTSTRUCT& ps) {
  scroll_data_t& s = r.scroll;
  if (OPEN_SCROLL_FILE_FOR_READING(nullptr, s) == 0) return;
  count_visible(s, r.client, r.line_height, r.char_width);
  const bool both = (s.flags & kScrollStaysOpen) != 0 && (s.flags & kScrollRecount) != 0;
  if (both || COUNT_SCROLL_LINES(s) != 0 || (s.flags & kScrollChanged) != 0) {
    if (s.first_line == -1) s.first_line = std::max(0, s.lines - s.lines_per_page);
    win::SetScrollRange(r.window, win::SB_VERT, 0, std::max(0, s.lines - 1), win::FALSE);
    if (r.style != 0x2800) win::SetScrollPos(r.window, win::SB_VERT, s.first_line, win::TRUE);
    win::SetScrollRange(r.window, win::SB_HORZ, 0, std::max(0, s.longest_line - 1), win::FALSE);
    if (r.style != 0x4800) win::SetScrollPos(r.window, win::SB_HORZ, s.first_column, win::TRUE);
    s.flags &= ~(kScrollRecount | kScrollChanged);
  }
  PAINT_FILE_TEXT(dc, s, ps.rcPaint, r.line_height, r.client);
  if ((s.flags & kScrollStaysOpen) == 0) CLOSE_SCROLL_FILE(s);
  INVERT_CELLS(dc, r, nullptr);
}

void paint_box_file(window_record_t& r, box_record_t& box, win::HDC dc, win::PAINTSTRUCT& ps) {
  scroll_data_t& s = box.scroll;
  if (OPEN_SCROLL_FILE_FOR_READING(nullptr, s) == 0) return;
  if ((s.flags & kScrollChanged) != 0) {
    if (box.vscroll != nullptr) {
      win::SetScrollRange(box.vscroll, win::SB_CTL, 0, std::max(0, s.lines - 1), win::FALSE);
      win::SetScrollPos(box.vscroll, win::SB_CTL, s.first_line, win::TRUE);
    }
    if (box.hscroll != nullptr) {
      win::SetScrollRange(box.hscroll, win::SB_CTL, 0, std::max(0, s.longest_line - 1), win::FALSE);
      win::SetScrollPos(box.hscroll, win::SB_CTL, s.first_column, win::TRUE);
    }
  }
  count_visible(s, box.client, box.line_height, box.char_width);
  PAINT_FILE_TEXT(dc, s, ps.rcPaint, box.line_height, box.client);
  if ((s.flags & kScrollStaysOpen) == 0) CLOSE_SCROLL_FILE(s);
  INVERT_CELLS(dc, r, &box);
}

}  // namespace

int PaintWindow(win::HWND window, win::WPARAM, win::LPARAM) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr) return 0;
  if ((r->direct_drawing & kPainting) != 0) {
    r->direct_drawing |= kRepaintRequested;
    return 0;
  }
  r->direct_drawing = kPainting;
  win::PAINTSTRUCT ps;
  const win::HDC dc = win::BeginPaint(window, &ps);
  if (dc == nullptr) {
    r->direct_drawing = 0;
    return 0;
  }
  if (palette_display() && !EnsurePalette(r->palette, dc, nullptr)) {
    if (r->palette != nullptr)
      SET_STATUS_FROM_SYSTEM(nullptr, "Unable to select a color palette in PaintWindow");
    else if (!EnsurePalette(&standard_palette, dc, nullptr))
      SET_STATUS_FROM_SYSTEM(nullptr, "Unable to select a color palette in PaintWindow(2)");
  }
  win::SetBkColor(dc, r->background);
  if (r->font != nullptr) win::SelectObject(dc, r->font);
  win::SetTextColor(dc, r->text_colour);
  const int style = r->style;
  if (callback_style(style) || style == 2) {
    win::RECT client{};
    GET_CLIENT_AREA(window, client);
    const draw_target_t t = paint_target(window, ps, dc, nullptr, client, style == 2 ? 2 : 0);
    if (style == 2)
      replay(t, r->autopaint);
    else
      call_paint(r->paint, t);
  } else if (style == 4 && r->bitmap != nullptr) {
    UPDATE_CLIENT_RECT(*r);
    copy_bitmap(dc, r->bitmap, r->client, {}, true);
  } else if (bitmap_style(style) && r->bitmap != nullptr) {
    UPDATE_CLIENT_RECT(*r);
    const win::RECT& c = r->client;
    copy_bitmap(dc, r->bitmap, c, {r->scroll.first_column, r->scroll.first_line}, false);
  } else if (file_style(style)) {
    paint_window_file(*r, dc, ps);
  }
  // A box's callback may destroy boxes: the record is looked up again and
  // only boxes still in its list are painted.
  for (box_record_t* box = r->first_box; box != nullptr;) {
    box_record_t* next = box->next;
    PAINT_BOX(*box, dc, ps);
    r = FIND_WINDOW_RECORD(window);
    if (r == nullptr) break;
    bool still = false;
    for (box_record_t* b = r->first_box; b != nullptr && !still; b = b->next) still = b == next;
    box = still ? next : nullptr;
  }
  if (r != nullptr) {
    if ((r->direct_drawing & kRepaintRequested) != 0)
      win::InvalidateRect(window, nullptr, win::TRUE);
    else if (r->status_bar != nullptr)
      PAINT_STATUS_BAR(window, dc);
    r->direct_drawing = 0;
  }
  ERASE_RUBBER_BAND(window, dc);
  win::EndPaint(window, &ps);
  return 1;
}

bool ERASE_AROUND_BOXES(win::HWND window, win::HDC dc) {
  const window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr || dc == nullptr) return false;
  const auto brush =
      reinterpret_cast<win::HBRUSH>(win::GetClassLongPtrA(window, win::GCLP_HBRBACKGROUND));
  if (brush == nullptr) return false;
  win::RECT client{};
  if (!win::GetClientRect(window, &client)) return false;
  // The client area less each brushed box: a rectangle less another is
  // what lies above, below, left and right of it.
  std::vector<win::RECT> left{client};
  bool any = false;
  for (const box_record_t* box = r->first_box; box != nullptr; box = box->next) {
    if (box->brush == nullptr) continue;
    any = true;
    const win::RECT& b = box->client;
    std::vector<win::RECT> next;
    for (const win::RECT& a : left) {
      if (!meets(a, b)) {
        next.push_back(a);
        continue;
      }
      const win::LONG top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
      if (a.top < top) next.push_back({a.left, a.top, a.right, top});
      if (bottom < a.bottom) next.push_back({a.left, bottom, a.right, a.bottom});
      if (a.left < b.left) next.push_back({a.left, top, b.left, bottom});
      if (b.right < a.right) next.push_back({b.right, top, a.right, bottom});
    }
    left = std::move(next);
  }
  if (!any) return false;
  for (const win::RECT& a : left) win::FillRect(dc, &a, brush);
  return true;
}

void PAINT_BOX(box_record_t& box, win::HDC dc, win::PAINTSTRUCT& ps) {
  if (!meets(ps.rcPaint, box.client)) return;
  window_record_t* r = FIND_WINDOW_RECORD(box.window);
  if (r == nullptr) return;
  if (box.frame_brush != nullptr) win::FrameRect(dc, &box.outer, box.frame_brush);
  if (box.brush != nullptr) win::FillRect(dc, &box.client, box.brush);
  if (box.font != nullptr) win::SelectObject(dc, box.font);
  win::SetBkColor(dc, box.background);
  win::SetTextColor(dc, box.text_colour);
  const int style = box.style;
  if (callback_style(style)) {
    call_paint(box.paint, paint_target(box.window, ps, dc, &box, box.client, 0));
    return;
  }
  if (style == 2) {
    replay(paint_target(box.window, ps, dc, &box, box.client, 2), box.autopaint);
    return;
  }
  if ((style == 0x6800 || style == 0x7000) && box.hscroll != nullptr && box.vscroll != nullptr) {
    const win::RECT corner{box.client.right, box.client.bottom,
                           box.client.right + win::GetSystemMetrics(win::SM_CXVSCROLL),
                           box.client.bottom + win::GetSystemMetrics(win::SM_CYHSCROLL)};
    win::FillRect(dc, &corner, win::GetSysColorBrush(win::COLOR_BTNFACE));
  }
  if (bitmap_style(style) && box.bitmap != nullptr)
    copy_bitmap(dc, box.bitmap, box.client, {box.scroll.first_column, box.scroll.first_line},
                false);
  else if (file_style(style))
    paint_box_file(*r, box, dc, ps);
}

void PAINT_FILE_TEXT(win::HDC dc, scroll_data_t& scroll, const win::RECT& update, int line_height,
                     win::RECT text) {
  if (line_height <= 0) return;
  int line = std::max(0, scroll.first_line);
  while (text.top + line_height <= update.top && line < scroll.lines) {
    text.top += line_height;
    ++line;
  }
  SEEK_SCROLL_LINE(scroll, line);
  char buffer[kLineLength + 1];
  for (; line < scroll.lines && text.top < update.bottom && text.top < text.bottom; ++line) {
    const int n = READ_SCROLL_LINE(scroll, buffer, sizeof buffer);
    if (n < 0) break;
    const int skip = std::min(n, std::max(0, scroll.first_column));
    const win::RECT cell{text.left, text.top, text.right, text.top + line_height};
    win::ExtTextOutA(dc, text.left, text.top, win::ETO_OPAQUE | win::ETO_CLIPPED, &cell,
                     buffer + skip, static_cast<win::UINT>(n - skip), nullptr);
    text.top += line_height;
  }
}

}  // namespace toolkit
