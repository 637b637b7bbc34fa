#include "toolkit/grid_paint.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "platform/stdformat.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/grid.h"
#include "toolkit/mouse.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"
#include "toolkit/windows.h"

namespace toolkit {

namespace {

constexpr std::size_t kCellTextLength = 64;

std::string_view strip(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A number written with the format, else with the fallback.
std::string write_number(double value, std::string_view format, const char* fallback) {
  const plat::StdItem item{plat::StdItem::Kind::number, 0, value, false, {}, {}};
  std::string out;
  if (format.empty() || plat::std_write(format, {&item, 1}, out) != plat::stdfmt_ok) {
    out.clear();
    plat::std_write(fallback, {&item, 1}, out);
  }
  return out;
}

// What the column's text procedure makes of the cell: the component with
// the cell's value stands in the array while the procedure runs.
std::string text_from_proc(win::HWND grid, dialog_t* items, int position, const dialog_t& cell) {
  const dialog_t saved = items[position];
  items[position] = cell;
  items[position].event_code = kEventInitial;
  win::HWND window = grid;
  int number = position + 1;
  CALL_CHANGE_PROC_BY_NUMBER(window, items, number);
  std::string text = items[position].text.str();
  items[position] = saved;
  return text;
}

// A 3-D frame: white above and left, black below and right.
void frame(win::HDC dc, const win::RECT& r, win::HPEN white, win::HPEN black) {
  win::SelectObject(dc, white);
  win::MoveToEx(dc, r.left, r.bottom - 1, nullptr);
  win::LineTo(dc, r.left, r.top);
  win::LineTo(dc, r.right - 1, r.top);
  win::SelectObject(dc, black);
  win::LineTo(dc, r.right - 1, r.bottom - 1);
  win::LineTo(dc, r.left, r.bottom - 1);
}

void line(win::HDC dc, int x0, int y0, int x1, int y1) {
  win::MoveToEx(dc, x0, y0, nullptr);
  win::LineTo(dc, x1, y1);
}

void text_in(win::HDC dc, const std::string& text, win::RECT r, win::UINT align) {
  r.left += 2;
  r.right -= 2;
  win::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
                 align | win::DT_SINGLELINE | win::DT_VCENTER | win::DT_NOPREFIX);
}

win::UINT alignment(const dialog_t& column) {
  if ((column.style_options & kOptionLeft) != 0) return win::DT_LEFT;
  if ((column.style_options & kOptionRight) != 0) return win::DT_RIGHT;
  if ((column.style_options & kOptionCentre) != 0) return win::DT_CENTER;
  return win::DT_LEFT;
}

std::string row_label(const dialog_t& grid, int row) {
  const std::string title = grid.title.str();
  const std::string number = std::to_string(row);
  return title.empty() || title == "()" ? number : title + " " + number;
}

}  // namespace

bool GRID_CELL_TEXT(win::HWND grid, dialog_t* items, int position, int row, std::string& text) {
  text.clear();
  const dialog_t& column = items[position];
  const char* at = COLUMN_ELEMENT(column, row);
  if (column.bound_kind == kBoundLogical) return false;
  if (at == nullptr) return true;
  const bool own = (column.value_kind & kKindOwnText) != 0;
  dialog_t cell = own ? column : dialog_t{};
  const std::string_view format = column.format.trimmed();
  switch (column.bound_kind) {
    case kBoundInteger:
      std::memcpy(&cell.integer_value, at, sizeof cell.integer_value);
      if (!own) text = write_number(cell.integer_value, format, "(i10)");
      break;
    case kBoundReal4:
      std::memcpy(&cell.real4_value, at, sizeof cell.real4_value);
      if (!own) text = write_number(cell.real4_value, format, "(g12.5)");
      break;
    case kBoundReal8:
      std::memcpy(&cell.real8_value, at, sizeof cell.real8_value);
      if (!own) text = write_number(cell.real8_value, format, "(g17.10)");
      break;
    default:
      cell.text.set(
          std::string_view(at, static_cast<std::size_t>(std::min(column.bound_kind, 256))));
      if (!own) text = cell.text.str();
      break;
  }
  if (own) text = text_from_proc(grid, items, position, cell);
  text = std::string(strip(text).substr(0, kCellTextLength));
  return true;
}

int SPREADSHEET_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number) {
  dialog_t& g = items[item_number - 1];
  switch (g.event_code) {
    case -1:
      END_MOUSE_CAPTURE(true);
      break;
    case kEventInitial: {
      const int style = kStylePaint | kStyleHScroll | kStyleVScroll;
      const win::HBRUSH brush = g.brush != nullptr ? g.brush : SPREADSHEET_BRUSH();
      REDEFINE_WINDOW(window, nullptr, 0, &style, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, &g.text_colour,
                      g.font != nullptr ? &g.font : nullptr, nullptr, &brush, GRID_PAINT_PROC,
                      GRID_SCROLL_PROC, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr);
      window_record_t* r = FIND_WINDOW_RECORD(window);
      if (r == nullptr) break;
      r->dialog_array = items;
      r->dialog_items = item_number - 1;
      r->flags |= kSpreadsheetRecord;
      SET_GRID_SCROLL_RANGE(window, g.bound_count, g.integer_value);
      CAPTURE_MOUSE_EVENTS(window, SPREADSHEET_MOUSE, kLeftDouble | kLeftClick, nullptr, nullptr);
      break;
    }
    case kEventAccepted:
      if (window_record_t* r = FIND_WINDOW_RECORD(window)) END_CELL_EDIT(*r, 0);
      break;
    default:
      break;
  }
  return -1;
}

int GRID_SCROLL_PROC(win::HWND& grid, int& code, int& position, int& thumb) {
  if (code < 0) return -1;
  int rows = 0, columns = 0, rows_per_page = 0, columns_per_page = 0, status = 0;
  GET_SCROLL_RANGE(grid, nullptr, &rows, &columns, &rows_per_page, &columns_per_page, &status);
  if (status != 0) return -1;
  const bool horizontal = (code & 0x100) != 0;
  const int page = std::max(1, horizontal ? columns_per_page : rows_per_page);
  const int max = horizontal ? columns : rows;
  const int p = position;
  int result = -1;
  switch (code & 0xFF) {
    case 0:
      result = p - 1;
      break;
    case 1:
      result = p + 1;
      break;
    case 2:
      result = p - page + 1;
      if (result < 1) result = p == 1 ? -1 : 1;
      break;
    case 3:
      result = std::min(p + page - 1, max - page + 1);
      break;
    case 5:
      result = thumb;
      break;
    case 6:
      result = 1;
      break;
    case 7:
      result = max - page + 1;
      break;
    default:
      break;
  }
  return result == p ? -1 : result;
}

void GRID_PAINT_PROC(draw_target_t& target) {
  win::HWND grid = target.window;
  const win::HDC dc = target.dc;
  dialog_t g;
  int status = 0;
  GET_SPREADSHEET_COLUMN_ITEM(grid, g, 0, &status);
  window_record_t* r = FIND_WINDOW_RECORD(grid);
  if (status != 0 || r == nullptr) return;
  dialog_t* items = r->dialog_array;
  const int gp = r->dialog_items;
  const int first_row = r->scroll.first_line + 1;
  win::RECT client{};
  win::GetClientRect(grid, &client);
  const grid_geometry_t geo = GRID_GEOMETRY(grid, items, gp);
  const int th = geo.title_height, rh = geo.row_height, lw = geo.label_width;
  const int rows = g.bound_count;
  const int shown =
      std::clamp((client.bottom - th + rh - 1) / rh, 0, std::max(rows - first_row + 1, 0));
  const int bottom = th + shown * rh;

  win::HFONT font = g.font;
  if (font == nullptr)
    font = reinterpret_cast<win::HFONT>(
        win::SendMessageA(win::GetParent(grid), win::WM_GETFONT, 0, 0));
  const win::HGDIOBJ old_font = font != nullptr ? win::SelectObject(dc, font) : nullptr;
  const win::HGDIOBJ old_pen = win::SelectObject(dc, win::GetStockObject(win::BLACK_PEN));
  win::SetBkMode(dc, win::TRANSPARENT);
  win::SetTextColor(dc, g.text_colour);
  const win::HBRUSH grey = win::CreateSolidBrush(kGridTitleColour);
  const win::HPEN white = win::CreatePen(win::PS_SOLID, 1, 0xFFFFFF);
  const win::HPEN black = win::CreatePen(win::PS_SOLID, 1, 0x000000);

  // Title row and row labels.
  const win::RECT title_row{0, 0, client.right, th};
  const win::RECT labels{0, th, lw, bottom};
  win::FillRect(dc, &title_row, grey);
  win::FillRect(dc, &labels, grey);
  for (int k = 0; k < shown; ++k) {
    const int row = first_row + k;
    const win::RECT cell{0, th + k * rh, lw, th + (k + 1) * rh};
    text_in(dc, row_label(g, row), cell, win::DT_CENTER);
    if (row == g.text_length) frame(dc, cell, white, black);
  }

  // Columns: title, cells, the line on the right.
  LAYOUT_SPREADSHEET_COLUMNS(*r);
  int right = lw;
  bool cells = true;
  win::RECT current{0, 0, 0, 0};
  for (int c = 1; c <= g.integer_value; ++c) {
    const dialog_t& column = items[gp + c];
    if (column.x < 0) continue;
    win::RECT size{0, 0, column.width, 0};
    win::MapDialogRect(win::GetParent(grid), &size);
    const int x = column.x, w = size.right;
    const win::RECT title{x, 0, x + w, th};
    text_in(dc, column.title.str(), title, win::DT_CENTER);
    if (c == g.list_stride) frame(dc, title, white, black);
    for (int k = 0; k < shown && cells; ++k) {
      const int row = first_row + k;
      const win::RECT cell{x, th + k * rh, x + w, th + (k + 1) * rh};
      if (row == g.text_length && (c == g.list_stride || g.list_stride == -1)) current = cell;
      if (row > column.bound_count) continue;
      std::string text;
      if (!GRID_CELL_TEXT(grid, items, gp + c, row, text)) {
        SET_STATUS_WITH_CODE(nullptr, "LOGICAL spreadsheet item not implemented", row);
        cells = false;
        break;
      }
      text_in(dc, text, cell, alignment(column));
    }
    win::SelectObject(dc, black);
    line(dc, x + w - 1, 0, x + w - 1, bottom);
    right = std::max(right, x + w);
  }

  // Grid lines and the current cell's mark.
  win::SelectObject(dc, black);
  line(dc, 0, th - 1, right, th - 1);
  line(dc, lw - 1, th, lw - 1, bottom);
  for (int k = 1; k <= shown; ++k) line(dc, 0, th + k * rh - 1, right, th + k * rh - 1);
  if (current.right > current.left && (g.style_options & kOptionEditing) == 0) {
    if (g.list_stride == -1) current = {lw, current.top, right, current.bottom};
    for (int inset = 0; inset < 2; ++inset) {
      const win::RECT m{current.left + inset - 1, current.top + inset - 1, current.right - inset,
                        current.bottom - inset};
      frame(dc, m, black, black);
    }
  }

  win::SelectObject(dc, old_pen);
  if (old_font != nullptr) win::SelectObject(dc, old_font);
  win::DeleteObject(grey);
  win::DeleteObject(white);
  win::DeleteObject(black);
  SET_GRID_SCROLL_RANGE(grid, g.bound_count, g.integer_value);
}

}  // namespace toolkit
