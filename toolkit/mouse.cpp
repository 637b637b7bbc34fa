#include "toolkit/mouse.h"

#include <algorithm>
#include <cstdlib>

#include "platform/win_cursor.h"
#include "platform/win_gdi.h"
#include "platform/win_message_keys.h"
#include "toolkit/boxes.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"
#include "toolkit/timers.h"

namespace toolkit {

namespace {

// The events of one button: down, up, double click, click, and the
// drags and clicks that make a press worth tracking.
struct button_events {
  int down, up, double_click, click, tracked;
};
constexpr button_events kLeft{kLeftDown, kLeftUp, kLeftDouble, kLeftClick, 0x878200};
constexpr button_events kMiddle{kMiddleDown, kMiddleUp, kMiddleDouble, kMiddleClick, 0x400};
constexpr button_events kRight{kRightDown, kRightUp, kRightDouble, kRightClick, 0x1780800};

// The drag modes of a button, in the order they are tried.
struct drag_modes {
  int rubber_rect, move_rect, move_request, rubber_line, select_text, plain;
};
constexpr drag_modes kLeftDrags{kLeftRubberRect, kLeftMoveRect,   kLeftMoveRequest,
                                kLeftRubberLine, kLeftSelectText, kLeftPlainDrag};
constexpr drag_modes kRightDrags{kRightRubberRect, kRightMoveRect,   kRightMoveRequest,
                                 kRightRubberLine, kRightSelectText, kRightPlainDrag};
constexpr int kAnyDrag = 0x1FF8000 & ~(kLeftMoveRequest | kRightMoveRequest);

struct mouse_state_t {
  win::HWND drag_window = nullptr;
  win::WPARAM key_state = 0;
  win::POINT anchor;
  win::POINT current;
  bool dragging = false;
  int mode = 0;
  win::HWND captured = nullptr;
  win::HWND cursor_window = nullptr;
  win::HCURSOR cursor = nullptr;
  win::HCURSOR replaced_cursor = nullptr;
  win::RECT moved;
  int move_watchers = 0;
  int threshold_x = 0;
  int threshold_y = 0;
  box_record_t* text_box = nullptr;  // the box of a text selection, null for the window
  win::HWND autoscroll_window = nullptr;
  win::WPARAM saved_wparam = 0;
  win::LPARAM saved_lparam = 0;
};
mouse_state_t mouse;

// A scrolled text area: a window's own, or a box's.
struct text_area {
  scroll_data_t* scroll = nullptr;
  text_selection_t* selection = nullptr;
  win::RECT area;
  int line_height = 1;
  int char_width = 1;
};

text_area area_of(window_record_t& r, box_record_t* box) {
  if (box != nullptr)
    return {&box->scroll, &box->selection, box->client, std::max(1, box->line_height),
            std::max(1, box->char_width)};
  return {&r.scroll, &r.selection, r.client, std::max(1, r.line_height), std::max(1, r.char_width)};
}

bool before(int line_a, int column_a, int line_b, int column_b) {
  return line_a < line_b || (line_a == line_b && column_a < column_b);
}

// Inverts the cells from (line, column) up to, not including, the end
// cell, line by line, within the visible part of the area.
// On the given device, else on the window's own.
void invert_cells(win::HWND window, const text_area& t, int line, int column, int end_line,
                  int end_column, win::HDC paint_dc = nullptr) {
  if (before(end_line, end_column, line, column)) {
    std::swap(line, end_line);
    std::swap(column, end_column);
  }
  const scroll_data_t& s = *t.scroll;
  const win::HDC dc = paint_dc != nullptr ? paint_dc : win::GetDC(window);
  for (int l = std::max(line, s.first_line); l <= end_line; ++l) {
    const int top = t.area.top + (l - s.first_line) * t.line_height;
    if (top >= t.area.bottom) break;
    const int from = l == line ? column : s.first_column;
    const int to = l == end_line ? end_column : s.first_column + s.columns_per_page;
    if (to <= from) continue;
    win::RECT cells{t.area.left + (from - s.first_column) * t.char_width, top,
                    t.area.left + (to - s.first_column) * t.char_width, top + t.line_height};
    cells.left = std::max(cells.left, t.area.left);
    cells.right = std::min(cells.right, t.area.right);
    cells.bottom = std::min(cells.bottom, t.area.bottom);
    if (cells.left < cells.right) win::InvertRect(dc, &cells);
  }
  if (paint_dc == nullptr) win::ReleaseDC(window, dc);
}

// Takes a selection highlight off the screen and clears its flag.
void clear_selection(win::HWND window, const text_area& t) {
  if ((t.scroll->flags & kScrollSelection) == 0) return;
  const text_selection_t& s = *t.selection;
  invert_cells(window, t, s.anchor_line, s.anchor_column, s.end_line, s.end_column);
  t.scroll->flags &= ~kScrollSelection;
}

void clear_selections(window_record_t& r) {
  clear_selection(r.window, area_of(r, nullptr));
  for (box_record_t* b = r.first_box; b != nullptr; b = b->next)
    clear_selection(r.window, area_of(r, b));
}

void call_back(win::HWND window, int event, win::POINT first, win::POINT second, win::RECT rect,
               win::WPARAM key_state) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr || r->mouse == nullptr) return;
  int keys = static_cast<int>(key_state);
  r->mouse(event, first, second, window, rect, keys);
}

win::RECT ordered(win::POINT a, win::POINT b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// Draws in the inverting mode, so that drawing twice leaves no trace; on
// the given device, else on the window's own.
void draw_inverted(win::HWND window, int mode, win::POINT from, win::POINT to,
                   const win::RECT* rect = nullptr, win::HDC paint_dc = nullptr) {
  const win::HDC dc = paint_dc != nullptr ? paint_dc : win::GetDC(window);
  const int old_mix = win::SetROP2(dc, win::R2_NOT);
  const win::HGDIOBJ old_brush = win::SelectObject(dc, win::GetStockObject(win::NULL_BRUSH));
  if (mode == kLeftRubberRect || mode == kRightRubberRect) {
    const win::RECT r = ordered(from, to);
    win::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  } else if (mode == kLeftRubberLine || mode == kRightRubberLine) {
    win::MoveToEx(dc, from.x, from.y, nullptr);
    win::LineTo(dc, to.x, to.y);
  } else if (rect != nullptr) {
    const win::HPEN pen = win::CreatePen(win::PS_SOLID, 3, 0);
    const win::HGDIOBJ old_pen = win::SelectObject(dc, pen);
    win::Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
    win::SelectObject(dc, old_pen);
    win::DeleteObject(pen);
  }
  win::SelectObject(dc, old_brush);
  win::SetROP2(dc, old_mix);
  if (paint_dc == nullptr) win::ReleaseDC(window, dc);
}

void stop_autoscroll() {
  if (mouse.autoscroll_window == nullptr) return;
  win::KillTimer(mouse.autoscroll_window, kAutoScrollTimer);
  mouse.autoscroll_window = nullptr;
}

int cell(int offset, int size, int first) { return first + (offset + size) / size - 1; }

// The first move of a text selection: the target is the window itself when
// it shows a file, else the first such box under the anchor.
bool start_selection(window_record_t& r) {
  box_record_t* target = nullptr;
  if ((r.style & kStyleScrollFile) == 0) {
    for (box_record_t* b = r.first_box; b != nullptr && target == nullptr; b = b->next) {
      const win::RECT& c = b->client;
      if ((b->style & kStyleScrollFile) != 0 && mouse.anchor.x >= c.left &&
          mouse.anchor.x < c.right && mouse.anchor.y >= c.top && mouse.anchor.y < c.bottom)
        target = b;
    }
    if (target == nullptr) return false;
  }
  mouse.text_box = target;
  win::SetCapture(r.window);
  const text_area t = area_of(r, target);
  t.scroll->flags |= kScrollSelection;
  const int line = cell(mouse.anchor.y - t.area.top, t.line_height, t.scroll->first_line);
  const int column = cell(mouse.anchor.x - t.area.left, t.char_width, t.scroll->first_column);
  *t.selection = text_selection_t{line, column, line, column};
  return true;
}

void extend_selection(window_record_t& r, win::POINT pt, win::WPARAM wparam, win::LPARAM lparam) {
  const text_area t = area_of(r, mouse.text_box);
  scroll_data_t& s = *t.scroll;
  int line = cell(pt.y - t.area.top, t.line_height, s.first_line);
  int column = cell(pt.x - t.area.left, t.char_width, s.first_column);
  bool scrolled = false;
  if (line < s.first_line || line >= s.first_line + s.lines_per_page) {
    const int to = line < s.first_line ? s.first_line - 1 : s.first_line + 1;
    const int one_based = to + 1;
    SET_SCROLL_POSITION(r.window, mouse.text_box, &one_based, nullptr, nullptr);
    line = line < s.first_line ? s.first_line : s.first_line + s.lines_per_page - 1;
    scrolled = true;
  }
  if (column < s.first_column || column >= s.first_column + s.columns_per_page) {
    const int to = column < s.first_column ? s.first_column - 1 : s.first_column + 1;
    const int one_based = to + 1;
    SET_SCROLL_POSITION(r.window, mouse.text_box, nullptr, &one_based, nullptr);
    column = column < s.first_column ? s.first_column : s.first_column + s.columns_per_page - 1;
    scrolled = true;
  }
  line = std::clamp(line, 0, std::max(0, s.lines - 1));
  column = std::clamp(column, 0, std::max(0, s.longest_line));
  text_selection_t& sel = *t.selection;
  invert_cells(r.window, t, sel.end_line, sel.end_column, line, column);
  sel.end_line = line;
  sel.end_column = column;
  if (scrolled) {
    mouse.autoscroll_window = r.window;
    mouse.saved_wparam = wparam;
    mouse.saved_lparam = lparam;
    win::SetTimer(r.window, kAutoScrollTimer, 100, nullptr);
  }
}

void button_down(window_record_t* r, win::HWND window, const button_events& b, win::POINT pt,
                 win::WPARAM wparam) {
  // A press still tracked, or a rubber band still on the screen, ends.
  if (b.down == kLeftDown && (mouse.drag_window != nullptr || mouse.captured != nullptr))
    END_MOUSE_CAPTURE(true);
  if (r == nullptr) return;
  clear_selections(*r);
  if ((r->mouse_mask & b.tracked) != 0) {
    mouse.drag_window = window;
    mouse.key_state = wparam;
    mouse.dragging = false;
    mouse.mode = 0;
    mouse.anchor = mouse.current = pt;
    if (b.down == kLeftDown) UPDATE_CLIENT_RECT(*r);
  }
  if ((r->mouse_mask & b.down) != 0) call_back(window, b.down, pt, {}, {}, wparam);
}

// One step of a drag under way (or beginning) with the pressed button.
void drag_step(window_record_t& r, win::POINT pt, win::WPARAM wparam, win::LPARAM lparam) {
  const win::HWND window = r.window;
  const int mask = r.mouse_mask;
  const drag_modes* d = (mouse.key_state & win::MK_LBUTTON) != 0   ? &kLeftDrags
                        : (mouse.key_state & win::MK_RBUTTON) != 0 ? &kRightDrags
                                                                   : nullptr;
  if (d != nullptr && (mask & d->rubber_rect) != 0) {
    if (mouse.dragging) draw_inverted(window, d->rubber_rect, mouse.anchor, mouse.current);
    draw_inverted(window, d->rubber_rect, mouse.anchor, pt);
    mouse.mode = d->rubber_rect;
    mouse.current = pt;
  } else if (d != nullptr && (mask & d->move_rect) != 0) {
    const win::POINT last = mouse.current;
    mouse.current = pt;
    mouse.mode = d->move_rect;
    if (mouse.dragging) {
      draw_inverted(window, 0, {}, {}, &mouse.moved);
      const int dx = pt.x - last.x, dy = pt.y - last.y;
      mouse.moved = {mouse.moved.left + dx, mouse.moved.top + dy, mouse.moved.right + dx,
                     mouse.moved.bottom + dy};
      draw_inverted(window, 0, {}, {}, &mouse.moved);
    } else {
      mouse.moved = win::RECT{};
      if (r.mouse != nullptr) {
        int event = d->move_request;
        win::HWND w = window;
        int keys = static_cast<int>(mouse.key_state);
        win::POINT anchor = mouse.anchor, current = mouse.current;
        r.mouse(event, anchor, current, w, mouse.moved, keys);
      }
      if (mouse.moved.left == mouse.moved.right) {
        mouse.drag_window = nullptr;
        return;
      }
      draw_inverted(window, 0, {}, {}, &mouse.moved);
    }
  } else if (d != nullptr && (mask & d->rubber_line) != 0) {
    if (mouse.dragging) draw_inverted(window, d->rubber_line, mouse.anchor, mouse.current);
    draw_inverted(window, d->rubber_line, mouse.anchor, pt);
    mouse.mode = d->rubber_line;
    mouse.current = pt;
  } else if (d != nullptr && (mask & d->select_text) != 0) {
    if (!mouse.dragging && !start_selection(r)) {
      END_MOUSE_CAPTURE(true);
      return;
    }
    mouse.mode = d->select_text;
    mouse.current = pt;
    extend_selection(r, pt, wparam, lparam);
  } else if (d != nullptr && (mask & d->plain) != 0) {
    mouse.mode = d->plain;
    mouse.current = pt;
  }
  mouse.dragging = true;
  mouse.captured = window;
}

void mouse_move(window_record_t* r, win::HWND window, win::POINT pt, win::WPARAM wparam,
                win::LPARAM lparam) {
  stop_autoscroll();
  if (r == nullptr) return;
  if (mouse.move_watchers > 0 && (r->mouse_mask & kMouseMoved) != 0)
    call_back(window, kMouseMoved, pt, {}, {}, wparam);
  r = FIND_WINDOW_RECORD(window);
  if (r == nullptr || window != mouse.drag_window) return;
  if (wparam != mouse.key_state) {
    END_MOUSE_CAPTURE(true);
    return;
  }
  if (!mouse.dragging) {
    if (std::abs(pt.x - mouse.anchor.x) < mouse.threshold_x &&
        std::abs(pt.y - mouse.anchor.y) < mouse.threshold_y)
      return;
    if ((r->mouse_mask & kAnyDrag) != 0 && r->drag_cursor != nullptr) {
      mouse.cursor_window = window;
      mouse.cursor = r->drag_cursor;
      mouse.replaced_cursor = win::SetCursor(r->drag_cursor);
    }
  }
  drag_step(*r, pt, wparam, lparam);
}

void button_up(window_record_t* r, win::HWND window, const button_events& b, win::POINT pt,
               win::WPARAM wparam) {
  win::ReleaseCapture();
  if (r == nullptr) return;
  if ((r->mouse_mask & b.up) != 0) call_back(window, b.up, pt, {}, {}, wparam);
  r = FIND_WINDOW_RECORD(window);
  if (r == nullptr || window != mouse.drag_window) return;
  const win::POINT anchor = mouse.anchor, end = mouse.current;
  const win::WPARAM keys = mouse.key_state;
  if (mouse.dragging) {
    const int mode = mouse.mode;
    END_MOUSE_CAPTURE(false);
    if (mode != 0) call_back(window, mode, anchor, end, ordered(anchor, end), keys);
  } else if ((r->mouse_mask & b.click) != 0) {
    mouse.mode = b.click;
    END_MOUSE_CAPTURE(true);
    call_back(window, b.click, anchor, end, {}, keys);
  }
}

}  // namespace

void CAPTURE_MOUSE_EVENTS(win::HWND window, mouse_callback callback, int mask,
                          const win::HCURSOR* drag_cursor, int* ups) {
  CLEAR_STATUS(ups);
  if (mouse.threshold_x == 0) {
    mouse.threshold_x = win::GetSystemMetrics(win::SM_CXDRAG);
    mouse.threshold_y = win::GetSystemMetrics(win::SM_CYDRAG);
  }
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (window == nullptr || r == nullptr) {
    SET_STATUS(ups, "Invalid Window handle in CAPTURE_MOUSE_EVENTS", kToolkitError);
    return;
  }
  if (callback != nullptr) r->mouse = callback;
  if ((r->mouse_mask & kMouseMoved) != 0) --mouse.move_watchers;
  r->mouse_mask = mask;
  if ((mask & kMouseMoved) != 0) {
    ++mouse.move_watchers;
  } else if (mask == 0) {
    r->mouse = nullptr;
    END_MOUSE_CAPTURE(true);
  }
  if (drag_cursor != nullptr) r->drag_cursor = *drag_cursor;
}

void ERASE_RUBBER_BAND(win::HWND window, win::HDC paint_dc) {
  if (window == nullptr || mouse.captured != window) return;
  const int mode = mouse.mode;
  if (mode == kLeftRubberRect || mode == kRightRubberRect || mode == kLeftRubberLine ||
      mode == kRightRubberLine)
    draw_inverted(window, mode, mouse.anchor, mouse.current, nullptr, paint_dc);
  else if ((mode == kLeftMoveRect || mode == kRightMoveRect) && mouse.dragging)
    draw_inverted(window, 0, {}, {}, &mouse.moved, paint_dc);
}

void INVERT_CELLS(win::HDC paint_dc, window_record_t& record, box_record_t* box) {
  const text_area t = area_of(record, box);
  if ((t.scroll->flags & kScrollSelection) == 0) return;
  const text_selection_t& s = *t.selection;
  invert_cells(record.window, t, s.anchor_line, s.anchor_column, s.end_line, s.end_column,
               paint_dc);
}

int END_MOUSE_CAPTURE(bool release) {
  stop_autoscroll();
  if (release && mouse.captured != nullptr) {
    win::ReleaseCapture();
    if (window_record_t* r = FIND_WINDOW_RECORD(mouse.captured)) {
      const text_area t = area_of(*r, mouse.text_box);
      if ((mouse.mode == kLeftSelectText || mouse.mode == kRightSelectText) &&
          (t.scroll->flags & kScrollSelection) != 0)
        clear_selection(r->window, t);
      else if (mouse.mode != kLeftMoveRect && mouse.mode != kRightMoveRect)
        draw_inverted(mouse.captured, mouse.mode, mouse.anchor, mouse.current);
    }
    mouse.captured = nullptr;
    mouse.text_box = nullptr;
  }
  if (mouse.cursor_window != nullptr) {
    win::SetCursor(mouse.replaced_cursor);
    mouse.cursor_window = nullptr;
    mouse.cursor = nullptr;
  }
  mouse.dragging = false;
  mouse.drag_window = nullptr;
  return 0;
}

void MOUSE_MESSAGE(win::HWND window, win::UINT message, win::WPARAM wparam, win::LPARAM lparam) {
  const win::POINT pt{win::GET_X_LPARAM(lparam), win::GET_Y_LPARAM(lparam)};
  window_record_t* r = FIND_WINDOW_RECORD(window);
  switch (message) {
    case win::WM_MOUSEMOVE:
      mouse_move(r, window, pt, wparam, lparam);
      break;
    case win::WM_LBUTTONDOWN:
      button_down(r, window, kLeft, pt, wparam);
      break;
    case win::WM_MBUTTONDOWN:
      button_down(r, window, kMiddle, pt, wparam);
      break;
    case win::WM_RBUTTONDOWN:
      button_down(r, window, kRight, pt, wparam);
      break;
    case win::WM_LBUTTONUP:
      button_up(r, window, kLeft, pt, wparam);
      break;
    case win::WM_MBUTTONUP:
      button_up(r, window, kMiddle, pt, wparam);
      break;
    case win::WM_RBUTTONUP:
      button_up(r, window, kRight, pt, wparam);
      break;
    case win::WM_LBUTTONDBLCLK:
    case win::WM_MBUTTONDBLCLK:
    case win::WM_RBUTTONDBLCLK: {
      const int code = message == win::WM_LBUTTONDBLCLK   ? kLeftDouble
                       : message == win::WM_MBUTTONDBLCLK ? kMiddleDouble
                                                          : kRightDouble;
      if (r != nullptr && (r->mouse_mask & code) != 0) call_back(window, code, pt, {}, {}, wparam);
      break;
    }
    default:
      break;
  }
}

void AUTOSCROLL_TICK(win::HWND window) {
  win::KillTimer(window, kAutoScrollTimer);
  if (mouse.autoscroll_window != window) return;
  mouse.autoscroll_window = nullptr;
  win::SendMessageA(window, win::WM_MOUSEMOVE, mouse.saved_wparam, mouse.saved_lparam);
}

win::HCURSOR drag_cursor_shown(win::HWND window) {
  return mouse.cursor_window == window ? mouse.cursor : nullptr;
}

int GET_FILE_SECTION(const win::HWND* window, const box_record_t* box, int& first_line,
                     int& first_column, int& last_line, int& last_column, int* ups) {
  CLEAR_STATUS(ups);
  const scroll_data_t* scroll = nullptr;
  const text_selection_t* sel = nullptr;
  if (box != nullptr) {
    if (!CHECK_BOX_ARGUMENT(box, "GET_FILE_SECTION", ups)) return 0;
    scroll = &box->scroll;
    sel = &box->selection;
  } else {
    if (window == nullptr) {
      SET_STATUS(ups, "You must supply a window or box to GET_FILE_SECTION", kToolkitError);
      return 0;
    }
    window_record_t* r = FIND_WINDOW_RECORD(*window);
    if (r == nullptr) {
      SET_STATUS(ups, "Invalid window parameter in GET_FILE_SECTION", kToolkitError);
      return 0;
    }
    const bool main_pane = r == MAIN_WINDOW_RECORD() && r->first_box != nullptr;
    scroll = main_pane ? &r->first_box->scroll : &r->scroll;
    sel = main_pane ? &r->first_box->selection : &r->selection;
  }
  if ((scroll->flags & kScrollSelection) == 0) return 0;
  first_line = sel->anchor_line + 1;
  first_column = sel->anchor_column + 1;
  last_line = sel->end_line + 1;
  last_column = sel->end_column + 1;
  if (last_line < first_line) {
    std::swap(first_line, last_line);
    std::swap(first_column, last_column);
  } else if (first_line == last_line && first_column > last_column) {
    std::swap(first_column, last_column);
  }
  return 1;
}

void SCROLL_LINES_TO(scroll_data_t& scroll, int line, win::HWND window, int left, int top,
                     int right, int bottom, int line_height) {
  line = std::clamp(line, 0, std::max(0, scroll.lines - 1));
  const int change = line - scroll.first_line;
  if (change == 0) return;
  const int height = std::max(1, line_height);
  win::RECT area{left, top, right, top + (bottom - top) / height * height};
  if (std::abs(change) >= scroll.lines_per_page - 2) {
    win::InvalidateRect(window, &area, win::TRUE);
  } else if (win::ScrollWindowEx(window, 0, -change * height, &area, &area, nullptr, nullptr,
                                 win::SW_INVALIDATE | win::SW_ERASE) == 0) {
    SET_STATUS_FROM_SYSTEM(nullptr, "Unable to scroll Window bits");
  }
  scroll.first_line = line;
}

void SCROLL_COLUMNS_TO(scroll_data_t& scroll, int column, win::HWND window, int left, int top,
                       int right, int bottom, int column_width) {
  column = std::clamp(column, 0, std::max(0, scroll.longest_line - 1));
  const int change = column - scroll.first_column;
  if (change == 0) return;
  win::RECT area{left, top, right, bottom};
  if (win::ScrollWindowEx(window, -change * column_width, 0, &area, &area, nullptr, nullptr,
                          win::SW_INVALIDATE | win::SW_ERASE) == 0)
    win::InvalidateRect(window, &area, win::TRUE);
  scroll.first_column = column;
}

void reset_mouse() { mouse = mouse_state_t{}; }

}  // namespace toolkit
