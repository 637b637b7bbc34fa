#include "toolkit/statusbar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/clocks.h"
#include "platform/win_message_keys.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/menus.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr const char* kMonths[13] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr int kLineKind = 14;
constexpr int kColumnKind = 15;
constexpr int kHintKind = 13;
constexpr int kSecondsKind = 6;
constexpr int kChildKind = 20;

// Natural widths in average characters; a kind outside the table has 0.
int natural_width(const status_bar_field& f, int char_width) {
  static constexpr int kChars[16] = {0, 7, 7, 7, 7, 10, 10, 12, 14, 14, 17, 22, 0, 0, 10, 10};
  if (f.kind == kChildKind) {
    if (f.child == nullptr) return 0;
    win::RECT r{};
    win::GetWindowRect(f.child, &r);
    return r.right - r.left;
  }
  return f.kind > 0 && f.kind < 16 ? kChars[f.kind] * char_width : 0;
}

bool designates(int kind) {
  return (kind >= 1 && kind <= 3) || kind == kSecondsKind || kind == kHintKind ||
         kind == kLineKind || kind == kColumnKind;
}

// The field of a kind that is still in use, else null.
status_bar_field* field_of(int kind) {
  const int n = status_bar.designated[kind];
  if (n < 0 || n >= status_bar.count || status_bar.fields[n].kind != kind) return nullptr;
  return &status_bar.fields[n];
}

void copy_text(char* destination, const char* text, std::size_t length) {
  const std::size_t n = std::min<std::size_t>(length, 255);
  std::memcpy(destination, text, n);
  destination[n] = '\0';
}

win::RECT bar_rect(win::HWND window) {
  win::RECT c{};
  win::GetClientRect(window, &c);
  c.top = c.bottom - status_bar.height;
  return c;
}

void fill(win::HDC dc, int left, int top, int right, int bottom, win::HBRUSH brush) {
  if (right <= left || bottom <= top) return;
  const win::RECT r{left, top, right, bottom};
  win::FillRect(dc, &r, brush);
}

void draw_text(win::HDC dc, const win::RECT& rect, int x, const char* text) {
  const win::HGDIOBJ old = win::SelectObject(dc, status_bar.font);
  win::SetTextColor(dc, win::GetSysColor(win::COLOR_BTNTEXT));
  win::SetBkColor(dc, win::GetSysColor(win::COLOR_BTNFACE));
  win::ExtTextOutA(dc, x, rect.top, win::ETO_OPAQUE | win::ETO_CLIPPED, &rect, text,
                   static_cast<win::UINT>(std::strlen(text)), nullptr);
  win::SelectObject(dc, old);
}

bool key_on(int vk) { return (win::GetKeyState(vk) & 1) != 0; }

bool is_clock(int kind) { return kind >= 4 && kind <= 11; }

}  // namespace

void SET_STATUS_BAR_ITEM(status_bar_item_t& item, const int* kind, const float* width,
                         const char* text, int text_length) {
  INIT_TOOLKIT();
  if (item.marker != kMarker) {
    item.marker = kMarker;
    item.kind = 0;
    item.text.blank();
    item.width = 0.0F;
  }
  if (kind != nullptr) item.kind = *kind;
  if (width != nullptr) item.width = *width;
  if (text != nullptr)
    item.text.set(std::string_view(text, static_cast<std::size_t>(std::max(0, text_length))));
}

void SET_STATUS_BAR(status_bar_item_t* items, int count, const int* repaint, const win::HFONT* font,
                    const win::HWND* window, int* ups) {
  CLEAR_STATUS(ups);
  if (font != nullptr) SET_STATUS_BAR_FONT(*font, window);
  int number = 0;
  for (int i = 0; i < count; ++i) {
    status_bar_item_t& item = items[i];
    if (item.kind == 0) continue;
    const std::size_t n = std::min<std::size_t>(item.text.trimmed().size(), 255);
    item.text[n] = '\0';
    ADD_STATUS_BAR_FIELD(item.width, item.kind, item.text.data(), static_cast<int>(n), number++,
                         nullptr, ups);
  }
  if (repaint == nullptr || *repaint != 0) UPDATE_STATUS_BAR(window, ups);
}

void ADD_STATUS_BAR_FIELD(float width, int kind, const char* text, int text_length, int number,
                          const win::HFONT* font, int* ups) {
  CLEAR_STATUS(ups);
  if (number < 0 || number >= kStatusFields) return;
  if (font != nullptr) {
    status_bar.font = *font;
    STATUS_BAR_METRICS();
  }
  status_bar_field& f = status_bar.fields[number];
  f.width_value = width;
  f.kind = kind;
  const std::string_view given(
      text != nullptr ? text : "",
      text != nullptr ? static_cast<std::size_t>(std::max(0, text_length)) : 0);
  std::string_view t = given.substr(0, given.find('\0'));
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  copy_text(f.text, t.data(), t.size());
  if (designates(kind)) status_bar.designated[kind] = number;
  if (status_bar.count >= number) status_bar.count = number + 1;
}

void SET_STATUS_BAR_FONT(win::HFONT font, const win::HWND*) {
  status_bar.font = font;
  STATUS_BAR_METRICS();
}

void STATUS_BAR_METRICS() {
  if (status_bar.font == nullptr)
    status_bar.font = reinterpret_cast<win::HFONT>(win::GetStockObject(win::SYSTEM_FONT));
  // Measured in a memory context like the screen: the screen's own context
  // would put its picture together from every window first.
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, status_bar.font);
  win::TEXTMETRICA tm{};
  win::GetTextMetricsA(dc, &tm);
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  status_bar.height = 6 * status_bar.border + tm.tmHeight + tm.tmExternalLeading;
  status_bar.char_width = tm.tmAveCharWidth;
}

void INIT_STATUS_BAR(win::HWND window) {
  status_bar.owner = window;
  status_bar.border = std::max(1, win::GetSystemMetrics(win::SM_CYBORDER));
  status_bar.gap = 10 * status_bar.border;
  STATUS_BAR_METRICS();
  LAYOUT_STATUS_BAR(window);
}

void LAYOUT_STATUS_BAR(win::HWND window) {
  status_bar_data& s = status_bar;
  win::RECT c{};
  win::GetClientRect(window, &c);
  s.client_width = c.right - c.left;
  const int free = s.client_width - (2 * s.border + s.gap) * s.count;
  int remainder = free;
  int edge = c.left + s.gap;
  for (int i = 0; i < s.count; ++i) {
    status_bar_field& f = s.fields[i];
    if (f.kind == 0) continue;
    int width = static_cast<int>(f.width_value * static_cast<float>(free));
    if (width == 0) width = natural_width(f, s.char_width);
    remainder -= width;
    if (remainder < s.gap) {
      width = std::max(0, width + remainder);
      remainder = 0;
    }
    f.left = edge;
    f.width = width;
    edge += width + s.gap;
  }
  for (int i = 0; i < s.count; ++i) {
    const int kind = s.fields[i].kind;
    if (kind == 4 || kind == 5 || kind == 11) START_MINUTE_TIMER(window);
    if (kind == kSecondsKind) START_SECOND_TIMER(window);
  }
}

void UPDATE_STATUS_BAR(const win::HWND* window, int* ups) {
  CLEAR_STATUS(ups);
  const win::HWND w = window != nullptr ? *window : MAIN_WINDOW();
  window_record_t* r = FIND_WINDOW_RECORD(w);
  if (w == nullptr || r == nullptr) {
    SET_STATUS(ups, "Invalid window parameter in update_status_bar", kToolkitError);
    return;
  }
  if (r->status_bar == nullptr) return;
  STOP_SECOND_TIMER(w);
  STOP_MINUTE_TIMER(w);
  LAYOUT_STATUS_BAR(w);
  if (r->direct_drawing != 0) {
    const win::RECT strip = bar_rect(w);
    win::InvalidateRect(w, &strip, win::FALSE);
    r->drawing_word |= 2;
    return;
  }
  REDRAW_STATUS_BAR(w);
}

void REDRAW_STATUS_BAR(win::HWND window) {
  if (window == nullptr) window = MAIN_WINDOW();
  const window_record_t* r = FIND_WINDOW_RECORD(window);
  if (window == nullptr || r == nullptr || r->status_bar == nullptr) return;
  const win::HDC dc = win::GetDC(window);
  PAINT_STATUS_BAR(window, dc);
  win::ReleaseDC(window, dc);
}

void PAINT_STATUS_BAR(win::HWND window, win::HDC dc) {
  status_bar_data& s = status_bar;
  const int b = s.border;
  const win::HBRUSH face = win::CreateSolidBrush(win::GetSysColor(win::COLOR_BTNFACE));
  const win::HBRUSH shadow = win::CreateSolidBrush(win::GetSysColor(win::COLOR_BTNSHADOW));
  const win::HBRUSH light = win::CreateSolidBrush(win::GetSysColor(win::COLOR_BTNHIGHLIGHT));
  const win::HBRUSH frame = win::CreateSolidBrush(win::GetSysColor(win::COLOR_WINDOWFRAME));
  const win::RECT bar = bar_rect(window);
  fill(dc, bar.left, bar.top, bar.right, bar.top + b, light);
  fill(dc, bar.left, bar.top + b, bar.right, bar.bottom, face);
  const char* hint = current_menu_hint();
  if (hint != nullptr && field_of(kHintKind) == nullptr) {
    const win::RECT r{bar.left, bar.top + b, bar.right, bar.bottom};
    draw_text(dc, r, bar.left + 2 * b, hint);
  } else if (s.count > 0) {
    const int top = bar.top + 2 * b, bottom = bar.bottom - b;
    for (int i = 0; i < s.count; ++i) {
      status_bar_field& f = s.fields[i];
      if (f.kind == 0) continue;
      const int left = bar.left + f.left, right = left + f.width;
      fill(dc, left, top, left + b, bottom, shadow);
      fill(dc, left, top, right, top + b, shadow);
      if (f.kind >= 1 && f.kind <= 3) {
        static constexpr int kKeys[4] = {0, win::VK_NUMLOCK, win::VK_CAPITAL, win::VK_SCROLL};
        static constexpr const char* kNames[4] = {"", "NUM", "CAPS", "SCRL"};
        std::strcpy(f.text, key_on(kKeys[f.kind]) ? kNames[f.kind] : "");
      } else if (is_clock(f.kind)) {
        FORMAT_CLOCK_TEXT(f);
      } else if (f.kind == kHintKind && hint != nullptr) {
        copy_text(f.text, hint, std::strlen(hint));
      } else if (f.kind == kChildKind && f.child != nullptr) {
        win::SetWindowPos(f.child, nullptr, left + 2 * b, top + b, 0, 0,
                          win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_SHOWWINDOW);
      }
      const win::RECT text{left + b, top + b, std::max(left + b, right - b), bottom - b};
      if (f.kind == kSecondsKind) s.clock_rect = text;
      draw_text(dc, text, left + 2 * b + b, f.text);
      fill(dc, std::max(left, right - b), top, right, bottom, light);
      fill(dc, left, bottom - b, right, bottom, light);
      int next = bar.right;
      for (int k = i + 1; k < s.count; ++k)
        if (s.fields[k].kind != 0) {
          next = bar.left + s.fields[k].left;
          break;
        }
      fill(dc, right, top, next, bottom, face);
    }
  }
  win::DeleteObject(face);
  win::DeleteObject(shadow);
  win::DeleteObject(light);
  win::DeleteObject(frame);
}

void FORMAT_CLOCK_TEXT(status_bar_field& f) {
  if (!is_clock(f.kind)) return;
  const plat::LocalDateTime t = plat::local_now();
  const char* month = t.month >= 1 && t.month <= 12 ? kMonths[t.month] : "";
  const std::int64_t days = plat::days_from_civil(t.year, t.month, t.day);
  const char* weekday = kWeekdays[((days % 7) + 11) % 7];
  const int hour12 = t.hour > 12 ? t.hour - 12 : t.hour;
  char* out = f.text;
  constexpr std::size_t n = sizeof f.text;
  switch (f.kind) {
    case 4:
      std::snprintf(out, n, "%2d:%2.2d", t.hour, t.minute);
      break;
    case 5:
      std::snprintf(out, n, "%2d:%2.2d %2s", hour12, t.minute, t.hour < 12 ? "AM" : "PM");
      break;
    case 6:
      std::snprintf(out, n, "%2.2d:%2.2d:%2.2d", t.hour, t.minute, t.second);
      break;
    case 7:
      std::snprintf(out, n, "%2.2d-%2.2d-%4d", t.month, t.day, t.year);
      break;
    case 8:
      std::snprintf(out, n, "%3s %2d, %4d", month, t.day, t.year);
      break;
    case 9:
      std::snprintf(out, n, "%2d %3s %4d", t.day, month, t.year);
      break;
    case 10:
      std::snprintf(out, n, "%3s %2d %3s %4d", weekday, t.day, month, t.year);
      break;
    default:
      std::snprintf(out, n, "%2d:%2.2d   %3s %2d, %4d", t.hour, t.minute, month, t.day, t.year);
      break;
  }
}

void START_SECOND_TIMER(win::HWND window) {
  if (status_bar.second_timer) return;
  status_bar.second_timer = true;
  win::SetTimer(window, 1, static_cast<win::UINT>(1000 - plat::local_now().millisecond), nullptr);
}

void START_MINUTE_TIMER(win::HWND window) {
  if (status_bar.minute_timer) return;
  status_bar.minute_timer = true;
  win::SetTimer(window, 3, static_cast<win::UINT>((60 - plat::local_now().second) * 1000), nullptr);
}

void STOP_SECOND_TIMER(win::HWND window) {
  win::KillTimer(window, 1);
  win::KillTimer(window, 2);
  status_bar.second_timer = false;
}

void STOP_MINUTE_TIMER(win::HWND window) {
  win::KillTimer(window, 3);
  win::KillTimer(window, 4);
  status_bar.minute_timer = false;
}

void ATTACH_STATUS_BAR(window_record_t& record) {
  record.status_bar = &status_bar;
  INIT_STATUS_BAR(record.window);
}

void DETACH_STATUS_BAR(window_record_t& record) {
  if (record.status_bar == nullptr) return;
  record.status_bar = nullptr;
  if (status_bar.owner != record.window) return;
  STOP_SECOND_TIMER(record.window);
  STOP_MINUTE_TIMER(record.window);
  status_bar.owner = nullptr;
}

int STATUS_BAR_HEIGHT(const window_record_t& record) {
  return record.status_bar != nullptr ? status_bar.height : 0;
}

void DRAW_STATUS_CLOCK(win::HWND window) {
  status_bar_field* f = field_of(kSecondsKind);
  if (f == nullptr || current_menu_hint() != nullptr || window != status_bar.owner) return;
  FORMAT_CLOCK_TEXT(*f);
  const win::HDC dc = win::GetDC(window);
  draw_text(dc, status_bar.clock_rect, status_bar.clock_rect.left + 2 * status_bar.border, f->text);
  win::ReleaseDC(window, dc);
}

bool STATUS_BAR_SHOWS_KEY(int virtual_key) {
  const int kind = virtual_key == win::VK_NUMLOCK   ? 1
                   : virtual_key == win::VK_CAPITAL ? 2
                   : virtual_key == win::VK_SCROLL  ? 3
                                                    : 0;
  return kind != 0 && field_of(kind) != nullptr;
}

bool SHOW_SCROLL_LINE(int line) {
  status_bar_field* f = field_of(kLineKind);
  if (f == nullptr) return false;
  std::snprintf(f->text, sizeof f->text, "ln %-6d", line);
  return true;
}

bool SHOW_SCROLL_COLUMN(int column) {
  status_bar_field* f = field_of(kColumnKind);
  if (f == nullptr) return false;
  std::snprintf(f->text, sizeof f->text, "col %-4d", column);
  return true;
}

bool SHOW_SCROLL_POSITION(int line, int column) {
  const bool a = SHOW_SCROLL_LINE(line);
  const bool b = SHOW_SCROLL_COLUMN(column);
  return a || b;
}

void reset_status_bar() { status_bar = status_bar_data{}; }

}  // namespace toolkit
