// Dialog templates written from item arrays, and dialogs run from them:
// the header and item records byte by byte, a template that outgrows its
// estimate, modal and modeless runs of every item type.
#include <cstring>

#include "dialog_testing.h"
#include "platform/win_commctrl.h"
#include "platform/win_dialog.h"
#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/loops.h"
#include "toolkit/status.h"

using namespace toolkit;
using dlgt::args;

namespace {

using DialogRun = dlgt::DialogTest;

std::vector<int> dialog_codes;
int dialog_changed(win::HWND&, int& code) {
  dialog_codes.push_back(code);
  return 0;
}

// The 16-bit words of the template from byte `at` on.
std::vector<win::WORD> words(const dialog_template_t& t, std::size_t at, std::size_t n) {
  std::vector<win::WORD> out(n);
  std::memcpy(out.data(), t.base + at, 2 * n);
  return out;
}

std::vector<win::WORD> wide(const std::string& s) {
  std::vector<win::WORD> out(s.begin(), s.end());
  out.push_back(0);
  return out;
}

TEST_F(DialogRun, TemplateBytes) {
  dialog_template_t t;
  int estimate = 0;
  const win::DWORD style = 0x80C800C4;  // with DS_SETFONT, but no font
  const int x = 5, y = 6;
  const std::size_t first = BUILD_DIALOG_HEADER("Ab  ", 4, nullptr, nullptr, &x, &y, 100, 50, 2,
                                                estimate, t, 0, nullptr, &style, nullptr, nullptr);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(first % 4, 0u);
  win::DLGTEMPLATEEX head;
  std::memcpy(&head, t.base, sizeof head);
  EXPECT_EQ(head.style, 0x80C80084u);
  EXPECT_EQ(head.cDlgItems, 2);
  EXPECT_EQ(head.x, 5);
  EXPECT_EQ(head.cy, 50);
  EXPECT_EQ(words(t, sizeof head, 5), (std::vector<win::WORD>{0, 0, 'A', 'b', 0}));
  EXPECT_STREQ(main_title(), "Ab");

  dialog_t ok, grid;
  dlgt::set(ok, {.type = DLG_OK_BUTTON, .x = 1, .y = 2});
  dlgt::set(grid, {.type = DLG_SPREADSHEET, .title = "G", .id = 9});
  const std::size_t second = BUILD_DIALOG_TEMPLATE(ok, t);
  win::DLGITEMTEMPLATEEX item;
  std::memcpy(&item, t.base + first, sizeof item);
  EXPECT_EQ(item.style, 0x50030000u);
  EXPECT_EQ(item.id, 1u);
  EXPECT_EQ(item.x, 1);
  EXPECT_EQ(item.cx, 40);
  // An atom is two words; then the title and no creation data.
  EXPECT_EQ(words(t, first + sizeof item, 6),
            (std::vector<win::WORD>{0xFFFF, 0x80, 'O', 'K', 0, 0}));
  EXPECT_EQ(second % 4, 0u);
  const std::size_t end = BUILD_DIALOG_TEMPLATE(grid, t);
  std::vector<win::WORD> name = wide("FE_SPREADSHEET");
  name.push_back('G');
  name.push_back(0);
  EXPECT_EQ(words(t, second + sizeof item, name.size()), name);
  // The buffer grew past the estimate as it was written.
  EXPECT_GE(t.capacity, end);
  EXPECT_EQ(DIALOG_ITEM_CLASS_LENGTH(grid), 14);
  EXPECT_EQ(DIALOG_ITEM_CLASS_LENGTH(ok), 0);
  FREE_DIALOG_TEMPLATE(t);
}

TEST_F(DialogRun, FontBlockAndFractions) {
  win::LOGFONTA lf{};
  lf.lfHeight = -16;
  lf.lfWeight = 700;
  std::strcpy(lf.lfFaceName, "Courier New");
  win::HFONT font = win::CreateFontIndirectA(&lf);
  dialog_template_t t;
  int estimate = 58;
  const float half = 0.5F;
  const std::size_t first =
      BUILD_DIALOG_HEADER(nullptr, 0, &half, &half, nullptr, nullptr, 10, 10, 0, estimate, t, 1,
                          nullptr, nullptr, &font, nullptr);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(estimate, 58 + 8 + 2 * 11);
  win::DLGTEMPLATEEX head;
  std::memcpy(&head, t.base, sizeof head);
  EXPECT_EQ(head.style, 0x90C80004u | win::DS_SETFONT);
  // Half the screen in dialog units of the font.
  win::HDC screen = win::GetDC(nullptr);
  win::SelectObject(screen, font);
  win::TEXTMETRICA tm;
  win::GetTextMetricsA(screen, &tm);
  win::ReleaseDC(nullptr, screen);
  EXPECT_EQ(head.x, 640 * 4 / tm.tmAveCharWidth);
  EXPECT_EQ(head.y, 512 * 8 / tm.tmHeight);
  const std::size_t font_at = sizeof head + 6;  // menu, class, empty title
  EXPECT_EQ(words(t, font_at, 2), (std::vector<win::WORD>{12, 700}));
  EXPECT_EQ(words(t, font_at + 6, 12), wide("Courier New"));
  FREE_DIALOG_TEMPLATE(t);
  // A handle that is no font fails at once, and so does a pending error.
  int ups = 0;
  auto bad = reinterpret_cast<win::HFONT>(0x5);
  EXPECT_EQ(BUILD_DIALOG_HEADER(nullptr, 0, nullptr, nullptr, nullptr, nullptr, 1, 1, 0, estimate,
                                t, 0, nullptr, nullptr, &bad, &ups),
            0u);
  EXPECT_EQ(ups, kToolkitError);
  EXPECT_EQ(BUILD_DIALOG_HEADER(nullptr, 0, nullptr, nullptr, nullptr, nullptr, 1, 1, 0, estimate,
                                t, 0, nullptr, nullptr, nullptr, &ups),
            0u);
  win::DeleteObject(font);
}

TEST_F(DialogRun, ModalDialogThatCannotBeMadeGivesZero) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_OK_BUTTON});
  dlgt::set(items[1], {.type = DLG_SPREADSHEET});  // its class is not there
  int ups = 0;
  EXPECT_EQ(dlgt::run(items, 2, false, nullptr, &ups), 0);
  EXPECT_NE(ups, 0);
  EXPECT_EQ(FIRST_WINDOW_RECORD(), nullptr);
  EXPECT_EQ(dlgt::run(items, 2, true, nullptr, &ups), 0);
  EXPECT_NE(ups, 0);
  EXPECT_EQ(FIRST_WINDOW_RECORD(), nullptr);
}

// Every item type in one dialog, modeless and then modal.
void every_type(dialog_t* items) {
  const std::vector<std::string> list{"red", "green", "blue"};
  dlgt::set(items[0],
            {.type = DLG_GROUP, .title = "Group", .x = 4, .y = 4, .width = 100, .height = 60});
  dlgt::set(items[1], {.type = DLG_RADIOBUTTON, .title = "One", .value = 1, .x = 8, .y = 14});
  dlgt::set(items[2], {.type = DLG_CHECKBOX, .title = "Check", .x = 8, .y = 26, .width = 60});
  dlgt::set(items[3],
            {.type = DLG_EDITBOX, .x = 8, .y = 40, .width = 60, .kind = kKindInteger, .imax = 99});
  dlgt::set(items[4],
            {.type = DLG_LISTBOX, .value = 2, .x = 110, .y = 4, .width = 50, .list = list});
  dlgt::set(items[5], {.type = DLG_COMBOBOX, .x = 110, .y = 34, .width = 50, .list = list});
  dlgt::set(items[6], {.type = DLG_TEXT, .title = "Text", .x = 4, .y = 70});
  dlgt::set(items[7], {.type = DLG_FRAME, .x = 4, .y = 82, .width = 30, .height = 10});
  dlgt::set(
      items[8],
      {.type = DLG_RECTANGLE, .options = kOptionGrey, .x = 40, .y = 82, .width = 30, .height = 10});
  dlgt::set(items[9], {.type = DLG_UPDOWN, .value = 3, .x = 80, .y = 82, .imax = 10, .imin = 0});
  dlgt::set(
      items[10],
      {.type = DLG_TRACKBAR, .value = 5, .x = 110, .y = 60, .width = 60, .imax = 10, .imin = 0});
  dlgt::set(items[11], {.type = DLG_PROGRESSBAR,
                        .value = 50,
                        .x = 110,
                        .y = 82,
                        .width = 60,
                        .imax = 100,
                        .imin = 0});
  dlgt::set(
      items[12],
      {.type = DLG_SCROLLBAR, .value = 4, .x = 110, .y = 96, .width = 60, .imax = 10, .imin = 0});
  dlgt::set(items[13], {.type = DLG_OK_BUTTON, .x = 4, .y = 110});
  dlgt::set(items[14], {.type = DLG_CANCEL_BUTTON, .x = 50, .y = 110});
}

TEST_F(DialogRun, EveryTypeModelessAndModal) {
  tktest::make_main();
  dialog_codes.clear();
  dialog_t items[15];
  every_type(items);
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 15, true, dialog_changed));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(IS_MODELESS_DIALOG(dialog), 1);
  EXPECT_EQ(current_modeless_dialog, dialog);
  window_record_t* r = FIND_WINDOW_RECORD(dialog);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->dialog_array, items);
  EXPECT_EQ(r->flags & 0x28, 0x20);
  EXPECT_EQ(dialog_codes, (std::vector<int>{kChangedDialogReady}));
  const auto control = [&](int i) { return win::GetDlgItem(dialog, items[i].id); };
  EXPECT_EQ(win::SendMessageA(control(1), win::BM_GETCHECK, 0, 0), 1);
  EXPECT_EQ(dlgt::text(control(3)), "0");
  EXPECT_EQ(win::SendMessageA(control(4), win::LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(win::SendMessageA(control(4), win::LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(win::SendMessageA(control(5), win::CB_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(win::LOWORD(win::SendMessageA(control(9), win::UDM_GETPOS, 0, 0)), 3);
  EXPECT_EQ(win::SendMessageA(control(10), win::TBM_GETPOS, 0, 0), 5);
  EXPECT_EQ(win::GetScrollPos(control(12), win::SB_CTL), 4);
  // OK reads back and closes the modeless dialog through WM_CLOSE.
  win::SendMessageA(dialog, win::WM_COMMAND, 1, reinterpret_cast<win::LPARAM>(control(13)));
  EXPECT_FALSE(win::IsWindow(dialog));
  EXPECT_EQ(IS_MODELESS_DIALOG(dialog), 0);
  EXPECT_EQ(FIND_WINDOW_RECORD(dialog), nullptr);
  EXPECT_EQ(items[13].integer_value, 1);
  EXPECT_EQ(items[4].integer_value, 2);
  EXPECT_EQ(items[4].text.str(), "green");
  EXPECT_EQ(dialog_codes, (std::vector<int>{kChangedDialogReady, kChangedDialogClosing}));

  // Modal: a click on Cancel inside the run ends it with 2.
  every_type(items);
  dlgt::later([] {
    win::HWND d = win::GetActiveWindow();
    win::HWND cancel = win::GetDlgItem(d, 2);
    plat::inject_click(cancel, 3, 3);
  });
  EXPECT_EQ(dlgt::run(items, 15, false), 2);
  EXPECT_EQ(items[14].integer_value, 1);
  EXPECT_EQ(current_modeless_dialog, nullptr);
  EXPECT_EQ(NEXT_WINDOW_RECORD(MAIN_WINDOW_RECORD()), nullptr);
  for (dialog_t& d : items) FREE_ITEM_LISTS(d);
}

// A grid's change procedure makes the grid window a toolkit window.
int grid_proc(win::HWND& grid, dialog_t*, int&) {
  if (FIND_WINDOW_RECORD(grid) == nullptr) GET_FREE_WINDOW_RECORD(grid, nullptr);
  return -1;
}

TEST_F(DialogRun, GridColumnsAreMadeAtStart) {
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = win::DefWindowProcA;
  wc.lpszClassName = "FE_SPREADSHEET";
  ASSERT_NE(win::RegisterClassA(&wc), 0);
  std::int32_t column[3] = {};
  dialog_t items[3];
  dlgt::set(items[0], {.type = DLG_SPREADSHEET, .x = 4, .y = 4, .proc = grid_proc});
  SET_COLUMN_ITEM_INTEGER(items[1], column, 3, "N", 1, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr);
  items[1].id = 0x500;
  dlgt::set(items[2], {.type = DLG_OK_BUTTON, .x = 4, .y = 130});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 3, true));
  ASSERT_NE(dialog, nullptr);
  win::HWND grid = win::GetDlgItem(dialog, items[0].id);
  // The column's control is the grid's child, hidden until a cell is edited.
  auto cell = static_cast<win::HWND>(items[1].image);
  ASSERT_TRUE(win::IsWindow(cell));
  EXPECT_EQ(win::GetParent(cell), grid);
  EXPECT_FALSE(win::IsWindowVisible(cell));
  EXPECT_EQ(win::GetDlgItem(dialog, 0x500), nullptr);
  EXPECT_EQ(items[0].brush, SPREADSHEET_BRUSH());
  window_record_t* grid_record = FIND_WINDOW_RECORD(grid);
  ASSERT_NE(grid_record, nullptr);
  EXPECT_EQ(grid_record->flags & kSpreadsheetRecord, kSpreadsheetRecord);
  EXPECT_EQ(grid_record->dialog_array, items);
  // A key in the cell finds its column through the grid.
  int in_grid = 0, id = 0, position = -1;
  dialog_t* found = nullptr;
  EXPECT_EQ(FIND_CONTROL_ITEM(cell, in_grid, id, found, position), grid_record);
  EXPECT_EQ(in_grid, 1);
  EXPECT_EQ(position, 1);
  win::DestroyWindow(dialog);
}

TEST_F(DialogRun, ModelessDialogWithoutMainWindowBecomesIt) {
  dialog_t items[1];
  dlgt::set(items[0], {.type = DLG_OK_BUTTON, .x = 4, .y = 4});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 1, true));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(MAIN_WINDOW(), dialog);
  win::SendMessageA(dialog, win::WM_CLOSE, 0, 0);
  EXPECT_EQ(MAIN_WINDOW(), nullptr);
  win::MSG m;
  EXPECT_TRUE(win::PeekMessageA(&m, nullptr, win::WM_QUIT, win::WM_QUIT, win::PM_REMOVE));
}

}  // namespace
