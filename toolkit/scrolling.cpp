#include "toolkit/scrolling.h"

#include <algorithm>
#include <string>

#include "platform/win_controls.h"
#include "platform/win_last_error.h"
#include "platform/win_resources.h"
#include "toolkit/boxes.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/mouse.h"
#include "toolkit/status.h"
#include "toolkit/statusbar.h"

namespace toolkit {

namespace {

constexpr int kBarId = 10;

// What a scroll routine works on.
struct target {
  scroll_data_t* scroll = nullptr;
  window_record_t* record = nullptr;
  box_record_t* box = nullptr;
  win::HWND window = nullptr;
  win::RECT area;
  int line_unit = 1;
  int column_unit = 1;
  int style = 0;
};

bool resolve(win::HWND window, box_record_t* box, const char* routine, bool main_pane, target& t,
             int* ups) {
  if (box == nullptr) {
    if (window == nullptr) {
      SET_STATUS(ups, std::string("You must supply a window or box to ") + routine, kToolkitError);
      return false;
    }
    window_record_t* r = FIND_WINDOW_RECORD(window);
    if (r == nullptr) {
      SET_STATUS(ups, std::string("Invalid window parameter in ") + routine, kToolkitError);
      return false;
    }
    if (main_pane && r == MAIN_WINDOW_RECORD() && r->first_box != nullptr) {
      box = r->first_box;
    } else {
      t = {&r->scroll,
           r,
           nullptr,
           window,
           r->client,
           std::max(1, r->line_height),
           std::max(1, r->char_width),
           r->style};
    }
  } else if (!CHECK_BOX_ARGUMENT(box, routine, ups)) {
    return false;
  }
  if (box != nullptr)
    t = {&box->scroll,
         nullptr,
         box,
         box->window,
         box->client,
         std::max(1, box->line_height),
         std::max(1, box->char_width),
         box->style};
  if ((t.style & kStylePixelScroll) != 0) t.line_unit = t.column_unit = 1;
  return true;
}

// The bar of a target: a box's control or the window's own.
void set_bar_position(const target& t, bool horizontal, int position) {
  if (t.box != nullptr) {
    const win::HWND bar = horizontal ? t.box->hscroll : t.box->vscroll;
    if (bar != nullptr) win::SetScrollPos(bar, win::SB_CTL, position, win::TRUE);
  } else {
    win::SetScrollPos(t.window, horizontal ? win::SB_HORZ : win::SB_VERT, position, win::TRUE);
  }
}

void set_box_ranges(box_record_t& box) {
  const bool pixels = (box.style & kStylePixelScroll) != 0;
  const int lines = pixels ? box.scroll.lines - 20 : box.scroll.lines;
  const int columns = pixels ? box.scroll.longest_line - 20 : box.scroll.longest_line;
  if (box.vscroll != nullptr)
    win::SetScrollRange(box.vscroll, win::SB_CTL, 0, std::max(0, lines - 1), win::FALSE);
  if (box.hscroll != nullptr)
    win::SetScrollRange(box.hscroll, win::SB_CTL, 0, std::max(0, columns - 1), win::FALSE);
}

int horizontal_bar_height() { return win::GetSystemMetrics(win::SM_CYHSCROLL); }
int vertical_bar_width() { return win::GetSystemMetrics(win::SM_CXVSCROLL); }

// Places (or makes) a bar control; an existing one is moved and
// invalidated.
win::HWND place_bar(win::HWND bar, box_record_t& box, bool vertical, const win::RECT& at) {
  if (bar != nullptr) {
    win::MoveWindow(bar, at.left, at.top, at.right - at.left, at.bottom - at.top, win::FALSE);
    win::InvalidateRect(bar, nullptr, win::TRUE);
    return bar;
  }
  return win::CreateWindowExA(0, "SCROLLBAR", "",
                              win::WS_CHILD | win::WS_VISIBLE | (vertical ? win::SBS_VERT : 0),
                              at.left, at.top, at.right - at.left, at.bottom - at.top, box.window,
                              reinterpret_cast<win::HMENU>(kBarId), GET_MODULE_HANDLE(), nullptr);
}

// The content range of a bar: lines (columns), or for a pixel-scrolled
// box the content less what shows.
void set_bar_range(box_record_t& box, bool vertical) {
  const win::HWND bar = vertical ? box.vscroll : box.hscroll;
  if (bar == nullptr) return;
  int top = vertical ? box.scroll.lines - 1 : box.scroll.longest_line - 1;
  if ((box.style & kStylePixelScroll) != 0)
    top = vertical ? box.scroll.lines - (box.client.bottom - box.client.top)
                   : box.scroll.longest_line - (box.client.right - box.client.left);
  win::SetScrollRange(bar, win::SB_CTL, 0, std::max(0, top), win::FALSE);
}

}  // namespace

void SET_SCROLL_POSITION(win::HWND window, box_record_t* box, const int* line, const int* column,
                         int* ups) {
  CLEAR_STATUS(ups);
  target t;
  if (!resolve(window, box, "SET_SCROLL_POSITION", true, t, ups)) return;
  scroll_data_t& s = *t.scroll;
  const win::RECT& a = t.area;
  bool written = false;
  if (line != nullptr) {
    const int first = std::max(0, *line - 1);
    if (first != s.first_line) {
      if (column != nullptr) {
        s.first_line = first;
        win::InvalidateRect(t.window, &a, win::TRUE);
      } else {
        SCROLL_LINES_TO(s, first, t.window, a.left, a.top, a.right, a.bottom, t.line_unit);
      }
      set_bar_position(t, false, s.first_line);
      written = SHOW_SCROLL_LINE(s.first_line + 1) || written;
    }
  }
  if (column != nullptr) {
    const int first = std::max(0, *column - 1);
    if (first != s.first_column) {
      if (line == nullptr && (s.flags & kScrollVariablePitch) == 0) {
        SCROLL_COLUMNS_TO(s, first, t.window, a.left, a.top, a.right, a.bottom, t.column_unit);
      } else {
        s.first_column = first;
        win::InvalidateRect(t.window, &a, win::TRUE);
      }
      set_bar_position(t, true, s.first_column);
      written = SHOW_SCROLL_COLUMN(s.first_column + 1) || written;
    }
  }
  if (written) REDRAW_STATUS_BAR(MAIN_WINDOW());
}

void GET_SCROLL_POSITION(win::HWND window, box_record_t* box, int* first_line, int* last_line,
                         int* first_column, int* last_column, int* ups) {
  CLEAR_STATUS(ups);
  target t;
  if (!resolve(window, box, "GET_SCROLL_POSITION", false, t, ups)) return;
  const scroll_data_t& s = *t.scroll;
  if (first_line != nullptr) *first_line = s.first_line + 1;
  if (last_line != nullptr) *last_line = s.first_line + s.lines_per_page;
  if (first_column != nullptr) *first_column = s.first_column + 1;
  if (last_column != nullptr) *last_column = s.first_column + s.columns_per_page;
}

void SET_SCROLL_RANGE(win::HWND window, box_record_t* box, const int* lines,
                      const int* longest_line, const int* lines_per_page,
                      const int* columns_per_page, int* ups) {
  CLEAR_STATUS(ups);
  target t;
  if (!resolve(window, box, "SET_SCROLL_RANGE", true, t, ups)) return;
  scroll_data_t& s = *t.scroll;
  if (lines != nullptr) s.lines = *lines;
  if (longest_line != nullptr) s.longest_line = *longest_line;
  if (lines_per_page != nullptr) s.lines_per_page = *lines_per_page;
  if (columns_per_page != nullptr) s.columns_per_page = *columns_per_page;
  if (t.box != nullptr)
    set_box_ranges(*t.box);
  else
    WINDOW_SCROLL_BARS(*t.record);
}

void GET_SCROLL_RANGE(win::HWND window, box_record_t* box, int* lines, int* longest_line,
                      int* lines_per_page, int* columns_per_page, int* ups) {
  CLEAR_STATUS(ups);
  target t;
  if (!resolve(window, box, "GET_SCROLL_RANGE", true, t, ups)) return;
  const scroll_data_t& s = *t.scroll;
  if (lines != nullptr) *lines = s.lines;
  if (longest_line != nullptr) *longest_line = s.longest_line;
  if (lines_per_page != nullptr) *lines_per_page = s.lines_per_page;
  if (columns_per_page != nullptr) *columns_per_page = s.columns_per_page;
}

void WINDOW_SCROLL_BARS(window_record_t& record) {
  const scroll_data_t& s = record.scroll;
  if ((record.style & kStyleVScroll) != 0) {
    win::SetScrollRange(record.window, win::SB_VERT, 0, std::max(0, s.lines - 1), win::FALSE);
    win::SetScrollPos(record.window, win::SB_VERT, s.first_line, win::TRUE);
  }
  if ((record.style & kStyleHScroll) != 0) {
    win::SetScrollRange(record.window, win::SB_HORZ, 0, std::max(0, s.longest_line - 1),
                        win::FALSE);
    win::SetScrollPos(record.window, win::SB_HORZ, s.first_column, win::TRUE);
  }
}

void SHOW_WINDOW_SCROLL_BARS(window_record_t& record) {
  const int style = record.style;
  if ((style & (kStyleHScroll | kStyleVScroll)) == 0) return;
  scroll_data_t& s = record.scroll;
  const bool may_h = (style & kStyleHScroll) != 0, may_v = (style & kStyleVScroll) != 0;
  record.flags |= kShowingScrollBars;
  win::ShowScrollBar(record.window, win::SB_BOTH, win::FALSE);
  auto width = [&] { return record.client.right - record.client.left; };
  auto height = [&] { return record.client.bottom - record.client.top; };
  UPDATE_CLIENT_RECT(record);
  s.lines_per_page = height() / 2;
  s.columns_per_page = width() / 2;
  if (may_h && s.longest_line > width()) {
    win::ShowScrollBar(record.window, win::SB_HORZ, win::TRUE);
    UPDATE_CLIENT_RECT(record);
    if (may_v && height() < s.lines) win::ShowScrollBar(record.window, win::SB_VERT, win::TRUE);
  } else if (may_v && s.lines > height()) {
    win::ShowScrollBar(record.window, win::SB_VERT, win::TRUE);
    UPDATE_CLIENT_RECT(record);
    if (may_h && width() < s.longest_line)
      win::ShowScrollBar(record.window, win::SB_HORZ, win::TRUE);
  } else {
    s.first_line = 0;
    s.first_column = 0;
  }
  UPDATE_CLIENT_RECT(record);
  // Setting the ranges may show or hide a bar again, which resizes the
  // client area: that size change must not lay the bars out once more.
  WINDOW_SCROLL_BARS(record);
  UPDATE_CLIENT_RECT(record);
  record.flags &= ~kShowingScrollBars;
}

void LAYOUT_BOX_SCROLL_BARS(box_record_t& box) {
  const int style = box.style;
  const bool may_h = (style & kStyleHScroll) != 0, may_v = (style & kStyleVScroll) != 0;
  bool h = may_h, v = may_v;
  if ((style & kStylePixelScroll) != 0) {
    scroll_data_t& s = box.scroll;
    const int w = box.client.right - box.client.left, ht = box.client.bottom - box.client.top;
    s.lines_per_page = ht / 2;
    s.columns_per_page = w / 2;
    h = v = false;
    if (may_h && s.longest_line > w) {
      h = true;
      v = may_v && ht - s.lines < horizontal_bar_height();
    } else if (may_v && s.lines > ht) {
      v = true;
      h = may_h && w - s.longest_line < vertical_bar_width();
    } else {
      s.first_line = 0;
      s.first_column = 0;
    }
  }
  if (h)
    CREATE_HSCROLL_BAR(box, v);
  else
    DESTROY_HORIZONTAL_SCROLL_BAR(box);
  if (v)
    CREATE_VSCROLL_BAR(box, h);
  else
    DESTROY_VERTICAL_SCROLL_BAR(box);
}

void CREATE_HSCROLL_BAR(box_record_t& box, bool both) {
  const int b = box.frame_width;
  const win::RECT& o = box.outer;
  const int bar = horizontal_bar_height();
  const win::RECT at{o.left + b, o.bottom - b - bar,
                     o.right - b - (both ? vertical_bar_width() : 0), o.bottom - b};
  box.hscroll = place_bar(box.hscroll, box, false, at);
  box.client.bottom = std::max(box.client.top, at.top);
  set_bar_range(box, false);
}

void CREATE_VSCROLL_BAR(box_record_t& box, bool both) {
  const int b = box.frame_width;
  const win::RECT& o = box.outer;
  const int bar = vertical_bar_width();
  const win::RECT at{o.right - b - bar, o.top + b, o.right - b,
                     o.bottom - b - (both ? horizontal_bar_height() : 0)};
  box.vscroll = place_bar(box.vscroll, box, true, at);
  box.client.right = std::max(box.client.left, at.left);
  set_bar_range(box, true);
}

void UPDATE_WINDOW(win::HWND window, const int* erase, const win::RECT* rect, int* ups) {
  CLEAR_STATUS(ups);
  const win::BOOL e = erase == nullptr || *erase != 0 ? win::TRUE : win::FALSE;
  if (!win::InvalidateRect(window, rect, e) || !win::UpdateWindow(window))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to UPDATE_WINDOW");
}

void UPDATE_BOX(box_record_t* box, int* ups) {
  CLEAR_STATUS(ups);
  if (!CHECK_BOX_ARGUMENT(box, "UPDATE_BOX", ups)) return;
  if (!win::InvalidateRect(box->window, &box->outer, win::TRUE) || !win::UpdateWindow(box->window))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to UPDATE_BOX");
}

int IS_WINDOW_VALID(win::HWND window) {
  if (window == nullptr) return 0;
  if (FIND_WINDOW_RECORD(window) != nullptr) return -1;
  int quiet = 0;
  if (CHECK_BOX_ARGUMENT(reinterpret_cast<const box_record_t*>(window), "", &quiet)) return -1;
  return win::IsWindow(window) ? -1 : 0;
}

void SET_FOREGROUND(win::HWND window, int* ups) {
  CLEAR_STATUS(ups);
  win::SetLastError(0);
  const bool ok = win::SetForegroundWindow(window) != 0;
  win::SetFocus(window);
  if (!ok && ups != nullptr && win::GetLastError() != 0)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to SET_FOREGROUND");
}

void HIDE_CARET(win::HWND window) {
  win::HideCaret(window);
  win::DestroyCaret();
}

int DRAW_TEXT_CLIPPED_LEFT(win::HDC dc, const char* text, int length, const win::RECT& in,
                           win::RECT& out) {
  out = in;
  const int room = in.right - in.left;
  int skip = 0;
  win::SIZE extent{};
  for (; skip < length; ++skip) {
    win::GetTextExtentPoint32A(dc, text + skip, length - skip, &extent);
    if (extent.cx <= room) break;
  }
  if (skip == length) extent = win::SIZE{};
  const int result = win::ExtTextOutA(dc, in.left, in.top, win::ETO_CLIPPED, &in, text + skip,
                                      static_cast<win::UINT>(length - skip), nullptr);
  out.left += extent.cx;
  return result;
}

}  // namespace toolkit
