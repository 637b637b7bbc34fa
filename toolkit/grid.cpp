#include "toolkit/grid.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/win_commctrl.h"
#include "platform/win_controls.h"
#include "platform/win_cursor.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/dialog_subclass.h"
#include "toolkit/entry.h"
#include "toolkit/grid_paint.h"
#include "toolkit/helpers.h"
#include "toolkit/mouse.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"
#include "toolkit/window_proc.h"

namespace toolkit {

namespace {

constexpr win::UINT kSpreadsheetClassStyle = 0x420B;
// The state word that opens a cell editor: enable, show, focus.
constexpr std::int32_t kOpenEditor = 0x2A000000;

int& current_row(dialog_t& grid) { return grid.text_length; }
int& current_column(dialog_t& grid) { return grid.list_stride; }
bool editing(const dialog_t& grid) { return (grid.style_options & kOptionEditing) != 0; }
int column_count(const dialog_t& grid) { return std::max(grid.integer_value, 0); }

void beep() { win::MessageBeep(win::MB_ICONEXCLAMATION); }

bool key_down(int key) { return win::GetKeyState(key) < 0; }

// The grid's record with its dialog array, null for any other window.
window_record_t* grid_record(win::HWND grid) {
  window_record_t* r = FIND_WINDOW_RECORD(grid);
  return r != nullptr && (r->flags & kSpreadsheetRecord) != 0 && r->dialog_array != nullptr
             ? r
             : nullptr;
}

dialog_t& grid_item(window_record_t& r) { return r.dialog_array[r.dialog_items]; }

win::POINT dialog_to_pixels(win::HWND dialog, int x, int y) {
  win::RECT rect{0, 0, x, y};
  win::MapDialogRect(dialog, &rect);
  return {rect.right, rect.bottom};
}

int text_width(const dialog_t& column) { return std::min(column.bound_kind, 256); }

// The element of the row into the component's value of its kind.
void load_COLUMN_ELEMENT(dialog_t& column, int row) {
  const char* at = COLUMN_ELEMENT(column, row);
  if (at == nullptr) return;
  switch (column.bound_kind) {
    case kBoundInteger:
    case kBoundLogical:
      std::memcpy(&column.integer_value, at, sizeof column.integer_value);
      break;
    case kBoundReal4:
      std::memcpy(&column.real4_value, at, sizeof column.real4_value);
      break;
    case kBoundReal8:
      std::memcpy(&column.real8_value, at, sizeof column.real8_value);
      break;
    default:
      if (column.bound_kind >= 0) {
        column.text.set(std::string_view(at, static_cast<std::size_t>(text_width(column))));
        column.text_length = TRIMMED_LENGTH(column.text.data(), text_width(column));
      }
      break;
  }
}

void store_COLUMN_ELEMENT(const dialog_t& column, int row) {
  char* at = COLUMN_ELEMENT(column, row);
  if (at == nullptr) return;
  switch (column.bound_kind) {
    case kBoundInteger:
    case kBoundLogical:
      std::memcpy(at, &column.integer_value, sizeof column.integer_value);
      break;
    case kBoundReal4:
      std::memcpy(at, &column.real4_value, sizeof column.real4_value);
      break;
    case kBoundReal8:
      std::memcpy(at, &column.real8_value, sizeof column.real8_value);
      break;
    default:
      if (column.bound_kind > 0) {
        const int n = text_width(column);
        std::memcpy(at, column.text.data(), static_cast<std::size_t>(n));
        std::memset(at + n, ' ', static_cast<std::size_t>(column.bound_kind - n));
      }
      break;
  }
}

win::HWND editor_of(const dialog_t& column) { return static_cast<win::HWND>(column.image); }

win::HWND spinner_of(const dialog_t& column, win::HWND editor) {
  if ((column.value_kind & kKindSpinner) == 0 || editor == nullptr) return nullptr;
  return win::GetDlgItem(win::GetParent(editor), column.id + kSpinnerIdOffset);
}

// Shows the editor over its cell (x, y of the component); a spinner takes
// the cell's right end.
void SHOW_CELL_EDITOR(window_record_t& record, dialog_t* items, int position, win::HWND control) {
  const dialog_t& column = items[position];
  const win::POINT size =
      dialog_to_pixels(win::GetParent(record.window), column.width, column.height);
  int width = size.x;
  if (win::HWND spinner = spinner_of(column, control)) {
    win::RECT spin{};
    win::GetWindowRect(spinner, &spin);
    const int spin_width = std::min(spin.right - spin.left, width / 2);
    width -= spin_width;
    win::EnableWindow(spinner, win::TRUE);
    win::MoveWindow(spinner, column.x + width, column.y, spin_width, size.y, win::TRUE);
    win::ShowWindow(spinner, win::SW_SHOW);
  }
  win::EnableWindow(control, win::TRUE);
  win::MoveWindow(control, column.x, column.y, width, size.y, win::TRUE);
  win::ShowWindow(control, win::SW_SHOW);
}

// Hides and disables the editor and its spinner; the grid keeps the focus
// the editor had.
void HIDE_CELL_EDITOR(window_record_t& record, dialog_t* items, int position, win::HWND control) {
  if (control == nullptr) return;
  const win::HWND focus = win::GetFocus();
  if (focus == control || win::IsChild(control, focus)) win::SetFocus(record.window);
  for (win::HWND h : {control, spinner_of(items[position], control)}) {
    if (h == nullptr) continue;
    win::ShowWindow(h, win::SW_HIDE);
    win::EnableWindow(h, win::FALSE);
  }
}

// Scrolls the grid so that the current cell is in view.
void scroll_into_view(window_record_t& r) {
  dialog_t* items = r.dialog_array;
  const int gp = r.dialog_items;
  dialog_t& g = items[gp];
  const grid_geometry_t geo = GRID_GEOMETRY(r.window, items, gp);
  win::RECT client{};
  win::GetClientRect(r.window, &client);
  const int row = current_row(g);
  if (row >= 1) {
    if (row - 1 < r.scroll.first_line) {
      r.scroll.first_line = row - 1;
    } else {
      const int y = (row - 1 - r.scroll.first_line) * geo.row_height + geo.title_height;
      if (y + geo.row_height > client.bottom)
        r.scroll.first_line += (y + geo.row_height - client.bottom - 1) / geo.row_height + 1;
    }
    r.scroll.first_line = std::clamp(r.scroll.first_line, 0, std::max(g.bound_count - 1, 0));
  }
  const int col = current_column(g);
  const int n = column_count(g);
  if (col >= 1 && col <= n) {
    LAYOUT_SPREADSHEET_COLUMNS(r);
    const dialog_t& c = items[gp + col];
    if (c.x < 0) {
      r.scroll.first_column = std::max(0, r.scroll.first_column + c.x);
    } else {
      const int width = dialog_to_pixels(win::GetParent(r.window), c.width, 0).x;
      while (c.x + width > client.right && r.scroll.first_column < n - 1) {
        ++r.scroll.first_column;
        LAYOUT_SPREADSHEET_COLUMNS(r);
        if (c.x < 0) {
          --r.scroll.first_column;
          break;
        }
      }
    }
  }
  LAYOUT_SPREADSHEET_COLUMNS(r);
  win::SetScrollPos(r.window, win::SB_VERT, r.scroll.first_line, win::TRUE);
  win::SetScrollPos(r.window, win::SB_HORZ, r.scroll.first_column, win::TRUE);
}

// The focus to the dialog's next (previous) tab item after the grid.
void leave_grid(window_record_t& r, bool backwards) {
  const win::HWND dialog = win::GetParent(r.window);
  if (win::HWND next = win::GetNextDlgTabItem(dialog, r.window, backwards ? win::TRUE : win::FALSE))
    win::SetFocus(next);
}

// The component of a running grid with the control id, -1 when none.
int find_component(window_record_t& r, int id) {
  const int gp = r.dialog_items;
  const int n = column_count(grid_item(r));
  for (int c = 1; c <= n; ++c)
    if (r.dialog_array[gp + c].id == id) return gp + c;
  return -1;
}

// A spinner step in a cell: the procedures run with the grid window, the
// editor shows the new text and the cell keeps the value.
win::LRESULT spin(window_record_t& r, win::LPARAM lparam) {
  const auto* step = reinterpret_cast<const win::NMUPDOWN*>(lparam);
  const int position = find_component(r, static_cast<int>(step->hdr.idFrom) - kSpinnerIdOffset);
  if (position < 0) return 0;
  dialog_t* items = r.dialog_array;
  dialog_t& column = items[position];
  STEP_SPINNER(r.window, items, position, step->iDelta);
  if (win::HWND control = editor_of(column)) RESTORE_CONTROL_TEXT(control, items, position);
  STORE_CELL_VALUE(items, position);
  if (column.event_code == kEventRepaintGrid) win::InvalidateRect(r.window, nullptr, win::TRUE);
  column.event_code = kEventAccepted;
  return 1;
}

// The grid's keys; false for a key it leaves to the window procedure.
bool grid_key(window_record_t& r, win::WPARAM key, win::LPARAM lparam) {
  const win::HWND grid = r.window;
  dialog_t* items = r.dialog_array;
  const int gp = r.dialog_items;
  const bool shift = key_down(win::VK_SHIFT);
  int direction = 0;
  switch (key) {
    case win::VK_TAB:
      if (key_down(win::VK_CONTROL)) {
        SPREADSHEET_TAB_OUT(r, shift ? 1 : 0);
        return true;
      }
      direction = shift ? kMoveLeft : kMoveRight;
      break;
    case win::VK_RETURN:
      direction = shift ? kMoveUp : kMoveDown;
      break;
    case win::VK_LEFT:
    case win::VK_UP:
    case win::VK_RIGHT:
    case win::VK_DOWN: {
      constexpr int kArrowMoves[] = {kMoveLeft, kMoveUp, kMoveRight, kMoveDown};
      direction = kArrowMoves[key - win::VK_LEFT];
      break;
    }
    case win::VK_ESCAPE:
      END_CELL_EDIT(r, 0);
      leave_grid(r, shift);
      return true;
    case win::VK_INSERT:
      SPREADSHEET_KEY_EVENT(grid, shift ? kEventInsertShift : kEventInsert);
      return true;
    case win::VK_DELETE:
      SPREADSHEET_KEY_EVENT(grid, shift ? kEventDeleteShift : kEventDelete);
      return true;
    case win::VK_F2:
      if (editing(items[gp]))
        END_CELL_EDIT(r, 1);
      else
        BEGIN_CELL_EDIT(r, items, gp, win::GetParent(grid));
      return true;
    default:
      return false;
  }
  const int count = std::max(1, static_cast<int>(win::LOWORD(lparam)));
  SPREADSHEET_MOVE_CELL(r, direction, count, items, gp, win::GetParent(grid));
  NOTIFY_CELL_VALUE(grid, items, gp);
  return true;
}

void call_grid_value_proc(win::HWND grid, dialog_t* items, int grid_position, int code) {
  if (ENTER_VALUE_CHANGE(items, grid_position) == 0) return;
  items[grid_position].event_code = code;
  CALL_VALUE_CHANGE_PROC(grid, items, grid_position);
  LEAVE_CHANGE(items, grid_position);
}

}  // namespace

int REGISTER_SPREADSHEET_CLASS(int* ups) {
  CLEAR_STATUS(ups);
  win::WNDCLASSA existing{};
  if (win::GetClassInfoA(GET_MODULE_HANDLE(), kSpreadsheetClass, &existing) != 0) return 1;
  win::WNDCLASSA wc{};
  wc.style = kSpreadsheetClassStyle;
  wc.lpfnWndProc = SPREADSHEET_WINDOW_PROC;
  wc.hInstance = GET_MODULE_HANDLE();
  wc.hCursor = win::LoadCursorA(nullptr, win::IDC_ARROW);
  wc.hbrBackground = SPREADSHEET_BRUSH();
  wc.lpszClassName = kSpreadsheetClass;
  if (win::RegisterClassA(&wc) == 0) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to register spreadsheet class");
    return 0;
  }
  return 1;
}

win::LRESULT SPREADSHEET_WINDOW_PROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                                     win::LPARAM lparam) {
  window_record_t* r = grid_record(window);
  switch (message) {
    case win::WM_CLOSE:
      if (r != nullptr) END_CELL_EDIT(*r, 1);
      return 0;
    case win::WM_DESTROY:
      if (r != nullptr) END_CELL_EDIT(*r, 1);
      if (FIND_WINDOW_RECORD(window) != nullptr) FREE_WINDOW_RECORD(window);
      return win::DefWindowProcA(window, message, wparam, lparam);
    case win::WM_GETDLGCODE:
      return win::DefWindowProcA(window, message, wparam, lparam) | win::DLGC_WANTALLKEYS;
    case win::WM_KEYDOWN:
      if (r != nullptr && grid_key(*r, wparam, lparam)) return 0;
      break;
    case win::WM_KEYUP:
    case win::WM_CHAR:
      return 0;
    case win::WM_COMMAND:
      return win::SendMessageA(win::GetParent(window), message, wparam, lparam);
    case win::WM_HSCROLL:
    case win::WM_VSCROLL:
      if (lparam != 0) return win::DefWindowProcA(window, message, wparam, lparam);
      MAIN_WINDOW_PROC(window, message, wparam, lparam);
      SPREADSHEET_SCROLLED(window);
      win::InvalidateRect(window, nullptr, win::TRUE);
      win::SetFocus(window);
      return 0;
    case win::WM_NOTIFY: {
      const auto* head = reinterpret_cast<const win::NMHDR*>(lparam);
      if (r != nullptr && head != nullptr && head->code == win::UDN_DELTAPOS &&
          (head->idFrom & kSpinnerIdOffset) != 0)
        return spin(*r, lparam);
      break;
    }
    default:
      break;
  }
  return MAIN_WINDOW_PROC(window, message, wparam, lparam);
}

void FE_SPREADSHEET_MOVE(win::HWND& grid, int direction, int count, dialog_t* items,
                         int grid_number, int* ups) {
  CLEAR_STATUS(ups);
  window_record_t* r = grid_record(grid);
  if (r == nullptr) {
    SET_STATUS(ups, "Invalid spreadsheet window handle in FE_SPREADSHEET_MOVE", kToolkitError);
    return;
  }
  SPREADSHEET_MOVE_CELL(*r, direction, count, items, grid_number - 1, win::GetParent(grid));
}

char* COLUMN_ELEMENT(const dialog_t& column, int row) {
  if (column.bound_address == nullptr || row < 1 || row > column.bound_count) return nullptr;
  return static_cast<char*>(column.bound_address) +
         static_cast<std::ptrdiff_t>(row - 1) * column.bound_stride;
}

void SET_COLUMN_DATA(dialog_t& item, void* first, const void* second) {
  item.bound_address = first;
  item.bound_stride =
      static_cast<std::int32_t>(static_cast<const char*>(second) - static_cast<char*>(first));
}

void SET_COLUMN_TEXT_DATA(dialog_t& item, char* first, int, const char* second, int) {
  SET_COLUMN_DATA(item, first, second);
}

void GET_COLUMN_INTEGER(const dialog_t& item, const int& row, std::int32_t& result) {
  result = 0;
  if (const char* at = COLUMN_ELEMENT(item, row)) std::memcpy(&result, at, sizeof result);
}

void GET_COLUMN_REAL8(const dialog_t& item, const int& row, double& result) {
  result = 0.0;
  if (const char* at = COLUMN_ELEMENT(item, row)) std::memcpy(&result, at, sizeof result);
}

void GET_COLUMN_TEXT(const dialog_t& item, const int& row, char* buffer, int buffer_length) {
  if (buffer == nullptr || buffer_length <= 0) return;
  std::memset(buffer, ' ', static_cast<std::size_t>(buffer_length));
  const char* at = COLUMN_ELEMENT(item, row);
  if (at == nullptr || item.bound_kind <= 0) return;
  std::memcpy(buffer, at, static_cast<std::size_t>(std::min(text_width(item), buffer_length)));
}

void GET_SPREADSHEET_COLUMN_ITEM(win::HWND& grid, dialog_t& item, int column, int* ups) {
  CLEAR_STATUS(ups);
  window_record_t* r = grid_record(grid);
  if (r == nullptr || column < 0 || column > column_count(grid_item(*r))) {
    SET_STATUS(ups, "Spreadsheet dialog not available", kToolkitError);
    return;
  }
  item = r->dialog_array[r->dialog_items + column];
}

void SET_SPREADSHEET_COLUMN_ITEM(win::HWND& grid, const dialog_t& item, int column, int* ups) {
  CLEAR_STATUS(ups);
  window_record_t* r = grid_record(grid);
  if (r == nullptr || column < 0 || column > column_count(grid_item(*r))) {
    SET_STATUS(ups, "Spreadsheet dialog not available", kToolkitError);
    return;
  }
  r->dialog_array[r->dialog_items + column] = item;
}

void UPDATE_SPREADSHEET(win::HWND& dialog, dialog_t* items, int grid_number,
                        const std::int32_t* state, const int* row, const int* column, int* ups) {
  CLEAR_STATUS(ups);
  dialog_t& g = items[grid_number - 1];
  win::HWND grid = GET_DIALOG_ITEM_WINDOW(dialog, g, ups);
  if (grid == nullptr) return;
  if (window_record_t* r = grid_record(grid)) END_CELL_EDIT(*r, 0);
  if (row != nullptr) current_row(g) = *row;
  if (column != nullptr) current_column(g) = *column;
  const window_record_t* owner = FIND_WINDOW_RECORD(dialog);
  const int count = owner != nullptr ? owner->dialog_items : grid_number + column_count(g);
  int columns = 0;
  g.bound_count = 0;
  for (int i = grid_number; i < count && (items[i].style_options & kOptionComponent) != 0; ++i) {
    ++columns;
    g.bound_count = std::max(g.bound_count, items[i].bound_count);
    items[i].owner_spreadsheet = grid_number;
  }
  g.integer_value = columns;
  if (state != nullptr) {
    g.event_code = kEventInitial;
    C_UPDATE_DIALOG_ITEM(g, dialog, state, ups);
  } else {
    SET_GRID_SCROLL_RANGE(grid, g.bound_count, g.integer_value);
  }
  FE_SPREADSHEET_MOVE(grid, 0, 0, items, grid_number, ups);
}

int LAYOUT_SPREADSHEET_COLUMNS(window_record_t& record) {
  dialog_t* items = record.dialog_array;
  const int gp = record.dialog_items;
  dialog_t& g = items[gp];
  const win::HWND dialog = win::GetParent(record.window);
  const grid_geometry_t geo = GRID_GEOMETRY(record.window, items, gp);
  const int d = current_row(g) - 1 - record.scroll.first_line;
  const int y = d >= 0 ? d * geo.row_height + geo.title_height : d;
  int threshold = record.scroll.first_column;
  int x = geo.label_width;
  int last = 0;
  const int n = column_count(g);
  for (int c = 1; c <= n; ++c) {
    dialog_t& column = items[gp + c];
    if (c <= threshold && (column.style_options & kOptionKeepVisible) == 0) {
      column.x = c - threshold - 1;
    } else {
      const int width = dialog_to_pixels(dialog, column.width, 0).x;
      column.x = x;
      x += width;
      if (c <= threshold) ++threshold;
      if (x <= geo.width) last = c;
    }
    column.y = y;
  }
  return last;
}

void SPREADSHEET_MOVE_CELL(window_record_t& record, int direction, int count, dialog_t* items,
                           int grid_position, win::HWND dialog) {
  dialog_t& g = items[grid_position];
  const int n = column_count(g);
  if (n == 0) return;
  bool reopen = editing(g);
  END_CELL_EDIT(record, 1);
  int& row = current_row(g);
  int& col = current_column(g);
  const auto is_text = [&](int c) { return low_type(items[grid_position + c]) == DLG_TEXT; };
  switch (direction) {
    case kMoveRight: {
      int c = col + count == 0 ? 1 : col + count;
      int r = row;
      bool failed = false;
      while (true) {
        if (c > n) {
          if (r >= g.bound_count) {
            failed = true;
            break;
          }
          ++r;
          c -= n;
        } else if (c >= 1 && is_text(c)) {
          ++c;
        } else {
          break;
        }
      }
      if (failed) {
        col = n;
        reopen = false;
        beep();
      } else {
        row = r;
        col = c;
      }
      break;
    }
    case kMoveDown:
      row = std::max(row, 0) + count;
      if (row > g.bound_count) {
        row = g.bound_count;
        reopen = false;
        beep();
      }
      break;
    case kMoveLeft: {
      int c = col - count;
      int r = row;
      bool failed = false;
      while (true) {
        if (c < 1) {
          if (r <= 1) {
            failed = true;
            break;
          }
          --r;
          c += n;
        } else if (is_text(c)) {
          --c;
        } else {
          break;
        }
      }
      if (failed) {
        col = 1;
        reopen = false;
        beep();
      } else {
        row = r;
        col = c;
      }
      break;
    }
    case kMoveUp:
      row = std::max(1, row - count);
      break;
    default:
      break;
  }
  scroll_into_view(record);
  if (reopen) BEGIN_CELL_EDIT(record, items, grid_position, dialog);
  win::InvalidateRect(record.window, nullptr, win::TRUE);
}

void BEGIN_CELL_EDIT(window_record_t& record, dialog_t* items, int grid_position,
                     win::HWND dialog) {
  dialog_t& g = items[grid_position];
  const int col = current_column(g);
  const int row = current_row(g);
  if (col < 1 || col > column_count(g)) {
    beep();
    return;
  }
  const int position = grid_position + col;
  dialog_t& column = items[position];
  const win::HWND control = editor_of(column);
  if (row < 1 || row > column.bound_count || low_type(column) == DLG_TEXT || control == nullptr) {
    beep();
    return;
  }
  g.style_options |= kOptionEditing;
  LAYOUT_SPREADSHEET_COLUMNS(record);
  column.event_code = kEventInitial;
  column.spare = row;
  SHOW_CELL_EDITOR(record, items, position, control);
  load_COLUMN_ELEMENT(column, row);
  win::HWND d = dialog;
  C_UPDATE_DIALOG_ITEM(column, d, &kOpenEditor, nullptr);
  // Loading the text is no change of the user's.
  column.event_code = kEventInitial;
  if (low_type(column) == DLG_EDITBOX) win::SendMessageA(control, win::EM_SETSEL, 0, -1);
}

void END_CELL_EDIT(window_record_t& record, int store) {
  if (record.dialog_array == nullptr || (record.flags & kSpreadsheetRecord) == 0) return;
  dialog_t* items = record.dialog_array;
  dialog_t& g = grid_item(record);
  if (!editing(g)) return;
  // Cleared first: the commit's message boxes and focus changes come back
  // here.
  g.style_options &= ~kOptionEditing;
  const int col = current_column(g);
  if (col < 1 || col > column_count(g)) {
    LOG_DIAGNOSIS("Spreadsheet edit confused", col);
    return;
  }
  const int position = record.dialog_items + col;
  dialog_t& column = items[position];
  const win::HWND control = editor_of(column);
  bool stored = false;
  if (store != 0 && control != nullptr) {
    column.event_code = kEventCommit;
    if (COMMIT_EDIT_TEXT(items, position, record, control) != 0) {
      STORE_CELL_VALUE(items, position);
      stored = true;
    }
  }
  // No commit follows when the editor loses the focus.
  column.event_code = stored ? kEventAccepted : kEventInitial;
  HIDE_CELL_EDITOR(record, items, position, control);
}

void STORE_CELL_VALUE(dialog_t* items, int position) {
  const dialog_t& column = items[position];
  if (column.owner_spreadsheet < 1 || column.owner_spreadsheet - 1 >= position) {
    LOG_DIAGNOSIS("Internal Fenstra Error", position + 1);
    return;
  }
  store_COLUMN_ELEMENT(column, column.spare);
}

void SPREADSHEET_TAB_OUT(window_record_t& record, int backwards) {
  END_CELL_EDIT(record, 1);
  leave_grid(record, backwards != 0);
}

void NOTIFY_CELL_VALUE(win::HWND grid, dialog_t* items, int grid_position) {
  call_grid_value_proc(grid, items, grid_position, kEventChanged);
}

void SPREADSHEET_KEY_EVENT(win::HWND grid, int code) {
  if (window_record_t* r = grid_record(grid))
    call_grid_value_proc(grid, r->dialog_array, r->dialog_items, code);
}

void SPREADSHEET_SCROLLED(win::HWND grid) {
  window_record_t* r = grid_record(grid);
  if (r == nullptr || !editing(grid_item(*r))) return;
  LAYOUT_SPREADSHEET_COLUMNS(*r);
  const int col = current_column(grid_item(*r));
  if (col < 1 || col > column_count(grid_item(*r))) return;
  const int position = r->dialog_items + col;
  const dialog_t& column = r->dialog_array[position];
  const win::HWND control = editor_of(column);
  if (control == nullptr) return;
  if (column.x >= 0 && column.y >= 0) {
    SHOW_CELL_EDITOR(*r, r->dialog_array, position, control);
  } else {
    win::ShowWindow(control, win::SW_HIDE);
    if (win::HWND spinner = spinner_of(column, control)) win::ShowWindow(spinner, win::SW_HIDE);
  }
}

int SPREADSHEET_MOUSE(int& event, win::POINT& first, win::POINT&, win::HWND& window, win::RECT&,
                      int&) {
  window_record_t* r = grid_record(window);
  if (r == nullptr || (event != kLeftDouble && event != kLeftClick)) return 0;
  win::SetFocus(window);
  dialog_t* items = r->dialog_array;
  const int gp = r->dialog_items;
  dialog_t& g = items[gp];
  const grid_geometry_t geo = GRID_GEOMETRY(window, items, gp);
  const int row = first.y < geo.title_height
                      ? -1
                      : r->scroll.first_line + 1 + (first.y - geo.title_height) / geo.row_height;
  // Below the last row there is no cell.
  if (row > g.bound_count) return 0;
  if (first.x > geo.label_width) {
    LAYOUT_SPREADSHEET_COLUMNS(*r);
    int col = 0;
    for (int c = 1; c <= column_count(g); ++c)
      if (items[gp + c].x > 0 && items[gp + c].x <= first.x) col = c;
    END_CELL_EDIT(*r, 1);
    if (col == 0) return 0;
    if (row == current_row(g) && col == current_column(g)) {
      BEGIN_CELL_EDIT(*r, items, gp, win::GetParent(window));
    } else {
      current_row(g) = row;
      current_column(g) = col;
      if (event == kLeftDouble) BEGIN_CELL_EDIT(*r, items, gp, win::GetParent(window));
      win::InvalidateRect(window, nullptr, win::TRUE);
    }
  } else {
    END_CELL_EDIT(*r, 1);
    current_row(g) = row;
    current_column(g) = -1;
    win::InvalidateRect(window, nullptr, win::TRUE);
  }
  NOTIFY_CELL_VALUE(window, items, gp);
  return 0;
}

grid_geometry_t GRID_GEOMETRY(win::HWND grid, const dialog_t* items, int grid_position) {
  const dialog_t& g = items[grid_position];
  int row_height = g.integer_min;
  if (row_height <= 0 && column_count(g) > 0) row_height = items[grid_position + 1].height;
  if (row_height <= 0) row_height = 12;
  const win::HWND dialog = win::GetParent(grid);
  const win::POINT a = dialog_to_pixels(dialog, g.integer_increment, g.integer_max);
  const win::POINT b = dialog_to_pixels(dialog, g.width, row_height);
  return {a.y, a.x, std::max(b.y, 1), b.x};
}

void SET_GRID_SCROLL_RANGE(win::HWND grid, int rows, int columns) {
  window_record_t* r = grid_record(grid);
  if (r == nullptr) return;
  const grid_geometry_t geo = GRID_GEOMETRY(grid, r->dialog_array, r->dialog_items);
  win::RECT client{};
  win::GetClientRect(grid, &client);
  const int lines = std::max(rows, 0), longest = std::max(columns, 0);
  const int per_page = std::max(1, (client.bottom - geo.title_height) / geo.row_height);
  const int columns_per_page = std::max(1, LAYOUT_SPREADSHEET_COLUMNS(*r) - r->scroll.first_column);
  SET_SCROLL_RANGE(grid, nullptr, &lines, &longest, &per_page, &columns_per_page, nullptr);
}

}  // namespace toolkit
