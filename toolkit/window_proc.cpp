#include "toolkit/window_proc.h"

#include <cstdlib>

#include "platform/win_commctrl.h"
#include "platform/win_controls.h"
#include "platform/win_cursor.h"
#include "platform/win_message_keys.h"
#include "platform/win_system_info.h"
#include "toolkit/accelerators.h"
#include "toolkit/boxes.h"
#include "toolkit/dialog_subclass.h"
#include "toolkit/entry.h"
#include "toolkit/menus.h"
#include "toolkit/mouse.h"
#include "toolkit/paint.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/standins.h"
#include "toolkit/status.h"
#include "toolkit/statusbar.h"
#include "toolkit/timers.h"
#include "toolkit/toolbar.h"
#include "toolkit/tools_dialog.h"

namespace toolkit {

namespace {

void changed(win::HWND window, int code) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr || r->changed == nullptr) return;
  win::HWND w = window;
  r->changed(w, code);
}

bool is_main(win::HWND window) { return window != nullptr && window == MAIN_WINDOW(); }

void size_changed(win::HWND window, win::WPARAM size_type) {
  END_MOUSE_CAPTURE(true);
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr || (r->flags & kShowingScrollBars) != 0) return;
  changed(window, static_cast<int>(size_type));
  if ((r = FIND_WINDOW_RECORD(window)) == nullptr) return;
  win::InvalidateRect(window, nullptr, win::TRUE);
  UPDATE_CLIENT_RECT(*r);
  LAYOUT_BOXES(window);
  if ((r->style & (kStylePixelScroll | kStyleScrollFile)) != 0) r->scroll.flags |= kScrollChanged;
  if (is_main(window)) LAYOUT_STATUS_BAR(window);
  if (r->toolbar != nullptr) AUTOSIZE_TOOLBAR(*r);
  if ((r->style & kStylePixelScroll) != 0) SHOW_WINDOW_SCROLL_BARS(*r);
}

win::LRESULT close_window(win::HWND window, win::UINT message, win::WPARAM wparam,
                          win::LPARAM lparam) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r != nullptr && r->close != nullptr) {
    win::HWND w = window;
    if (r->close(w) == 0) return 0;
    r = FIND_WINDOW_RECORD(window);
  }
  if (r != nullptr) {
    if ((r->flags & kWinHelpUsed) != 0) QUIT_HELP(*r);
    FREE_WINDOW_RECORD(window);
  }
  return win::DefWindowProcA(window, message, wparam, lparam);
}

void timer_tick(win::HWND window, win::WPARAM id, win::LPARAM lparam) {
  if (id >= kFirstApplicationTimer) {
    if ((id & kRepeatingTimer) != kRepeatingTimer) win::KillTimer(window, id);
    call_fe_control(static_cast<int>(id), window, id, lparam);
    return;
  }
  switch (id) {
    case 1:
      win::KillTimer(window, 1);
      win::SetTimer(window, 2, 1000, nullptr);
      DRAW_STATUS_CLOCK(window);
      break;
    case 2:
      if (current_menu_hint() == nullptr) DRAW_STATUS_CLOCK(window);
      break;
    case 3:
      win::KillTimer(window, 3);
      win::SetTimer(window, 4, 60000, nullptr);
      REDRAW_STATUS_BAR();
      break;
    case 4:
      REDRAW_STATUS_BAR();
      break;
    case kAutoScrollTimer:
      AUTOSCROLL_TICK(window);
      break;
    default:
      break;
  }
}

// What a scroll message moves: a window's own bar or a box's control.
struct scroll_target {
  scroll_data_t* scroll = nullptr;
  int step = 1;
  int style = 0;
  scroll_callback callback = nullptr;
  win::RECT area;
  win::HWND bar_window = nullptr;
  int bar = win::SB_VERT;
};

// The thumb's place worked out from the cursor, for ranges beyond what the
// message carries; the position stays when the area is too small for it.
int position_under_cursor(win::HWND window, const scroll_target& t, bool horizontal, int range,
                          int position) {
  const int margin =
      3 * win::GetSystemMetrics(horizontal ? win::SM_CXHSCROLL : win::SM_CYVSCROLL) / 2;
  win::POINT cursor;
  win::GetCursorPos(&cursor);
  win::ScreenToClient(window, &cursor);
  const int offset = horizontal ? cursor.x - t.area.left : cursor.y - t.area.top;
  const int extent = horizontal ? t.area.right - t.area.left : t.area.bottom - t.area.top;
  if (extent <= 2 * margin) return position;
  const double at = std::max(0, offset - margin);
  return static_cast<int>(at * range / (extent - 2 * margin) + 0.5);
}

void scroll_message(win::HWND window, win::UINT message, win::WPARAM wparam, win::LPARAM lparam) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr) return;
  END_MOUSE_CAPTURE(true);
  const bool horizontal = message == win::WM_HSCROLL;
  scroll_target t;
  if (lparam == 0) {
    t = {&r->scroll,
         std::max(1, horizontal ? r->char_width : r->line_height),
         r->style,
         r->scroll_proc,
         r->client,
         window,
         horizontal ? win::SB_HORZ : win::SB_VERT};
  } else {
    const auto control = reinterpret_cast<win::HWND>(lparam);
    box_record_t* box = r->first_box;
    while (box != nullptr && (horizontal ? box->hscroll : box->vscroll) != control) box = box->next;
    if (box == nullptr) {
      SET_STATUS_FROM_SYSTEM(nullptr, "Couldn't find the box for this scroll message");
      return;
    }
    t = {&box->scroll, std::max(1, horizontal ? box->char_width : box->line_height),
         box->style,   box->scroll_proc,
         box->client,  control,
         win::SB_CTL};
  }
  scroll_data_t& s = *t.scroll;
  int page = horizontal ? 8 : s.lines_per_page - 1;
  if ((t.style & kStylePixelScroll) != 0) {
    page = 20;
    t.step = 1;
  }
  const int code = win::LOWORD(wparam);
  const int thumb = win::HIWORD(wparam);
  const int range = horizontal ? s.longest_line : s.lines;
  const int position = horizontal ? s.first_column : s.first_line;
  int next = position;
  if (t.callback != nullptr) {
    if (code <= win::SB_BOTTOM) {
      win::HWND w = window;
      int c = code + (horizontal ? 0x100 : 0);
      int p = position + 1;
      int th = code == win::SB_THUMBPOSITION || code == win::SB_THUMBTRACK ? thumb + 1 : thumb;
      const int result = t.callback(w, c, p, th);
      if (horizontal ? result > 0 : result >= 0) next = result - 1;
    }
  } else {
    switch (code) {
      case win::SB_LINEUP:
        next = position - 1;
        break;
      case win::SB_LINEDOWN:
        next = position + 1;
        break;
      case win::SB_PAGEUP:
        next = position - page;
        break;
      case win::SB_PAGEDOWN:
        next = position + page;
        break;
      case win::SB_THUMBTRACK:
        if (range > 0xFFFF) return;
        next = thumb;
        break;
      case win::SB_THUMBPOSITION:
        if (range <= 0xFFFF) {
          if (!horizontal) return;
        } else {
          next = position_under_cursor(window, t, horizontal, range, position);
        }
        break;
      case win::SB_TOP:
        next = 0;
        break;
      case win::SB_BOTTOM:
        next = range - 1;
        break;
      default:
        if (!horizontal) return;
        break;
    }
  }
  next = std::clamp(next, 0, std::max(0, range - 1));
  if (!horizontal && next == position) return;
  win::SetScrollPos(t.bar_window, t.bar, next, win::TRUE);
  const int change = next - position;
  win::RECT area = t.area;
  if (!horizontal) area.bottom = area.top + (area.bottom - area.top) / t.step * t.step;
  if ((r->flags & kRepaintOnScroll) != 0) {
    win::InvalidateRect(window, &area, win::FALSE);
  } else if ((t.style & kStylePaint) != 0 ||
             (horizontal && (s.flags & kScrollVariablePitch) != 0) ||
             (!horizontal && std::abs(change) >= s.lines_per_page - 2)) {
    win::InvalidateRect(window, &area, win::TRUE);
  } else if (win::ScrollWindowEx(window, horizontal ? -change * t.step : 0,
                                 horizontal ? 0 : -change * t.step, &area, &area, nullptr, nullptr,
                                 win::SW_INVALIDATE | win::SW_ERASE) == 0) {
    SET_STATUS_FROM_SYSTEM(nullptr, "Unable to scroll Window bits");
    win::InvalidateRect(window, &area, win::TRUE);
  }
  (horizontal ? s.first_column : s.first_line) = next;
  if (SHOW_SCROLL_POSITION(s.first_line + 1, s.first_column + 1)) REDRAW_STATUS_BAR();
}

win::LRESULT notify(win::HWND window, win::LPARAM lparam) {
  auto* header = reinterpret_cast<win::NMHDR*>(lparam);
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (header == nullptr || r == nullptr || header->code != win::TTN_NEEDTEXT) return 0;
  auto* info = reinterpret_cast<win::NMTTDISPINFOA*>(lparam);
  if (const char* text = TOOLBAR_TOOLTIP(*r, static_cast<int>(header->idFrom)))
    info->lpszText = const_cast<char*>(text);
  return 0;
}

}  // namespace

win::LRESULT MAIN_WINDOW_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                              win::LPARAM lparam) {
  switch (message) {
    case win::WM_CREATE:
      if (MAIN_WINDOW() == nullptr) wait_cursor = win::LoadCursorA(nullptr, win::IDC_WAIT);
      break;
    case win::WM_DESTROY:
      WINDOW_DESTROYED(window);
      return 0;
    case win::WM_MOVE:
      changed(window, kChangedMoved);
      return 0;
    case win::WM_SIZE:
      size_changed(window, wparam);
      return 0;
    case win::WM_SETFOCUS:
      changed(window, kChangedFocusGained);
      if (is_main(window)) REDRAW_STATUS_BAR();
      break;
    case win::WM_KILLFOCUS:
      changed(window, kChangedFocusLost);
      break;
    case win::WM_ERASEBKGND:
      if (ERASE_AROUND_BOXES(window, reinterpret_cast<win::HDC>(wparam))) return 1;
      break;
    case win::WM_PAINT: {
      if (PaintWindow(window, wparam, lparam) != 0) return 0;
      // The system's paint erases the whole client area: the bar again.
      const win::LRESULT r = win::DefWindowProcA(window, message, wparam, lparam);
      REDRAW_STATUS_BAR(window);
      return r;
    }
    case win::WM_CLOSE:
      return close_window(window, message, wparam, lparam);
    case win::WM_SETCURSOR:
      if (const win::HCURSOR drag = drag_cursor_shown(window)) {
        win::SetCursor(drag);
        return 0;
      }
      if (busy_window != nullptr && busy_window == window) {
        win::SetCursor(the_wait_cursor());
        return 0;
      }
      break;
    case win::WM_NOTIFY:
      return notify(window, lparam);
    case win::WM_HELP:
      win::SendMessageA(window, win::WM_COMMAND, kHelpCommand, 0);
      return 0;
    case win::WM_KEYDOWN:
    case win::WM_KEYUP:
    case win::WM_CHAR: {
      const auto key = static_cast<int>(wparam);
      if (message == win::WM_KEYDOWN &&
          (key == win::VK_CAPITAL || key == win::VK_NUMLOCK || key == win::VK_SCROLL) &&
          STATUS_BAR_SHOWS_KEY(key))
        REDRAW_STATUS_BAR();
      if (call_fe_control(kKeyEventBase + static_cast<int>(message), window, wparam, lparam) != 0)
        return 0;
      break;
    }
    case win::WM_COMMAND:
      return COMMAND_HANDLER(window, message, wparam, lparam);
    case win::WM_TIMER:
      timer_tick(window, wparam, lparam);
      return 0;
    case win::WM_HSCROLL:
    case win::WM_VSCROLL:
      scroll_message(window, message, wparam, lparam);
      return 0;
    case win::WM_MENUSELECT:
      if (SHOW_MENU_HINT(window, reinterpret_cast<win::HMENU>(lparam), wparam) != 0 &&
          is_main(window))
        REDRAW_STATUS_BAR();
      return 0;
    case win::WM_QUERYNEWPALETTE:
    case win::WM_PALETTECHANGED:
      // The platform's displays are true-colour: no palette to realise.
      return 0;
    default:
      if (message >= win::WM_MOUSEMOVE && message <= win::WM_MBUTTONDBLCLK) {
        MOUSE_MESSAGE(window, message, wparam, lparam);
        return 0;
      }
      break;
  }
  return win::DefWindowProcA(window, message, wparam, lparam);
}

win::LRESULT COMMAND_HANDLER(win::HWND window, win::UINT message, win::WPARAM wparam,
                             win::LPARAM lparam) {
  busy_window = window;
  win::SetCursor(the_wait_cursor());
  const int id = win::LOWORD(wparam);
  const int handled = call_fe_control(id, window, wparam, lparam);
  busy_window = nullptr;
  if (win::IsWindow(window))
    win::SetCursor(
        reinterpret_cast<win::HCURSOR>(win::GetClassLongPtrA(window, win::GCLP_HCURSOR)));
  if (handled != 0) return 0;
  switch (id) {
    case kQuitCommand:
      win::SendMessageA(MAIN_WINDOW(), win::WM_CLOSE, 0, 0);
      return 0;
    case kHelpCommand:
      if (win::WinHelpA(window, nullptr, win::HELP_HELPONHELP, 0))
        if (window_record_t* r = FIND_WINDOW_RECORD(window)) r->flags |= kWinHelpUsed;
      return 0;
    case kToolsCommand:
      FENTOOLDIALOG();
      return 0;
    case kNothingCommand:
      return 0;
    case kHookCommand:
      DEFAULT_COMMAND_HOOK(id);
      return 0;
    default:
      return win::DefWindowProcA(window, message, wparam, lparam);
  }
}

void WINDOW_DESTROYED(win::HWND window) {
  if (!is_main(window)) {
    if (FIND_WINDOW_RECORD(window) != nullptr) FREE_WINDOW_RECORD(window);
    return;
  }
  for (window_record_t* r = FIRST_WINDOW_RECORD(); r != nullptr; r = NEXT_WINDOW_RECORD(r))
    if (r->window != window) CLOSE_WINDOW(r->window);
  for (gdi_object_entry& e : gdi_object_table)
    if (e.handle != nullptr) DELETE_OBJECT(e.handle, nullptr);
  if (accelerator_table != nullptr) win::DestroyAcceleratorTable(accelerator_table);
  accelerator_table = nullptr;
  UNSUBCLASS_EDIT();
  RELEASE_MAIN_RECORD();
  win::PostQuitMessage(0);
}

int CLOSE_WINDOW(win::HWND window, int) {
  if (window != nullptr && window != reinterpret_cast<win::HWND>(~std::uintptr_t{0}))
    win::SendMessageA(window, win::WM_CLOSE, 0, 0);
  return 1;
}

}  // namespace toolkit
